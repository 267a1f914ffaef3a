#include "app/SetModifiedMarker.h"

#include "app/Prompts.h"

#include <QCoreApplication>
#include <QWidget>

void SetModifiedMarker(QWidget* window, bool modified)
{
    QString title = window->windowTitle();
    if (modified) {
        if (!title.contains(QLatin1Char('*')))
            window->setWindowTitle(title + QLatin1Char('*'));
    } else {
        window->setWindowTitle(title.remove(QLatin1Char('*')));
    }
}

bool HasModifiedMarker(const QWidget* window)
{
    return window->windowTitle().contains(QLatin1Char('*'));
}

bool MayDiscardUnsavedChanges(QWidget* window, const std::function<bool()>& save)
{
    if (!HasModifiedMarker(window))
        return true;
    const QMessageBox::StandardButton answer = Prompts().Question(
        window, QString(), QCoreApplication::translate("SetModifiedMarker",
                                                       "You have unsaved changes. Do you want to save your settings?"),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::NoButton);
    return answer == QMessageBox::No || (answer == QMessageBox::Yes && save());
}
