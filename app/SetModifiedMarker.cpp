#include "app/SetModifiedMarker.h"

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
