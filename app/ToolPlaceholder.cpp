#include "app/ToolPlaceholder.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMainWindow>

void SetUpToolPlaceholder(QMainWindow* window, const QString& title)
{
    window->setWindowTitle(title);
    auto* label = new QLabel(QCoreApplication::translate("ToolPlaceholder", "This tool is not available yet."), window);
    label->setObjectName(QStringLiteral("labelNotAvailable"));
    label->setAlignment(Qt::AlignCenter);
    QFont font = label->font();
    font.setPointSize(12);
    label->setFont(font);
    window->setCentralWidget(label);
    window->resize(520, 240);
}
