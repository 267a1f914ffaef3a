#include "app/MainWindow.h"
#include "app/ProcessSetup.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    SetUpProcess();
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
