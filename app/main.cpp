#include "app/MainWindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    // Lets the desktop match the windows to velloran.desktop and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("velloran"));
    int result = 0;
    {
        MainWindow window;
        window.show();
        result = application.exec();
    }
    return result;
}
