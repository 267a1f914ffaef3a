#pragma once
// The main function of an application test program. Before the QApplication exists it points
// HOME and the XDG folders at a fresh temporary folder (so settings and standard folders never
// touch the real user's) and selects the offscreen platform unless a platform is chosen
// already; the process is set up as the program's own main does it; then it runs the test class.

#include "app/ProcessSetup.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>

namespace AppTest {
// Sets the environment below `home`; false when a folder could not be made.
bool PrepareEnvironment(const QString& home);
} // namespace AppTest

#define VELLORAN_APP_TEST_MAIN(TestClass)                                  \
    int main(int argc, char* argv[])                                       \
    {                                                                      \
        QTemporaryDir home;                                                \
        if (!home.isValid() || !AppTest::PrepareEnvironment(home.path()))  \
            return 2;                                                      \
        SetUpProcess();                                                    \
        QApplication application(argc, argv);                             \
        TestClass test;                                                    \
        return QTest::qExec(&test, argc, argv);                            \
    }
