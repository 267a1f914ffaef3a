// The launcher: its form, and that each button reaches the right tool window.

#include "app/MainWindow.h"
#include "app/support/AppTestMain.h"
#include "app/support/ScriptedPrompts.h"

#include <QGridLayout>
#include <QPushButton>

namespace {

template <class Window>
QList<Window*> VisibleTopLevels()
{
    QList<Window*> found;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<Window*>(widget); window && window->isVisible())
            found.append(window);
    return found;
}

void HideAllTopLevels()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        widget->hide();
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() { HideAllTopLevels(); }

    void formHasSevenButtonsInTheirPlaces()
    {
        MainWindow window;
        QCOMPARE(window.windowTitle(), QStringLiteral("Velloran"));
        QCOMPARE(window.size(), QSize(690, 276));
        auto* grid = window.findChild<QGridLayout*>(QStringLiteral("gridLayout"));
        QVERIFY(grid);
        QCOMPARE(grid->spacing(), 6);

        struct Expected {
            const char* name;
            const char* text;
            int row;
            int column;
        };
        const Expected buttons[] = {
            {"buttonCreateNewPDF", "Create New PDF Document", 0, 0},
            {"buttonExtractTextFromScan", "Extract Text from Scanned Document", 0, 1},
            {"buttonSplitPDFFiles", "Split PDF Documents", 1, 0},
            {"buttonMergePDFFiles", "Merge PDF Documents", 1, 1},
            {"buttonWatermarkPDFFiles", "Watermark PDF Documents", 2, 0},
            {"buttonCropPDFFiles", "Crop PDF Documents", 2, 1},
            {"buttonAbout", "About", 3, 1},
        };
        for (const Expected& expected : buttons) {
            auto* button = window.findChild<QPushButton*>(QLatin1String(expected.name));
            QVERIFY2(button, expected.name);
            QCOMPARE(button->text(), QLatin1String(expected.text));
            QCOMPARE(button->styleSheet(), QStringLiteral("text-align: left"));
            QCOMPARE(button->minimumHeight(), 60);
            QCOMPARE(button->maximumHeight(), 60);
            QCOMPARE(button->iconSize(), QSize(32, 32));
            QVERIFY2(!button->icon().pixmap(32, 32).isNull(), expected.name);
            int row = -1, column = -1, rowSpan = 0, columnSpan = 0;
            grid->getItemPosition(grid->indexOf(button), &row, &column, &rowSpan, &columnSpan);
            QCOMPARE(row, expected.row);
            QCOMPARE(column, expected.column);
        }
        QVERIFY(!grid->itemAtPosition(3, 0));
    }

    void toolWindowsStayHiddenUntilTheirButton()
    {
        MainWindow window;
        window.show();
        QVERIFY(VisibleTopLevels<QMainWindow>() == QList<QMainWindow*>{&window});
    }

    void eachButtonOpensItsToolWindow_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("windowClass");
        QTest::addColumn<QString>("windowTitle");
        QTest::newRow("create") << "buttonCreateNewPDF" << "CreateNewPDFWindow" << "Create New PDF Document";
        QTest::newRow("merge") << "buttonMergePDFFiles" << "MergePDFFilesWindow" << "Merge PDF Documents";
        QTest::newRow("split") << "buttonSplitPDFFiles" << "SplitPDFFilesWindow" << "Split PDF Documents";
        QTest::newRow("watermark") << "buttonWatermarkPDFFiles" << "WatermarkPDFFilesWindow" << "Watermark PDF Documents";
        QTest::newRow("extract") << "buttonExtractTextFromScan" << "ExtractTextFromScanWindow"
                                 << "Extract Text from Scanned Document";
        QTest::newRow("crop") << "buttonCropPDFFiles" << "CropPDFFilesWindow" << "Crop PDF Documents";
    }

    void eachButtonOpensItsToolWindow()
    {
        QFETCH(QString, button);
        QFETCH(QString, windowClass);
        QFETCH(QString, windowTitle);
        ScriptedPrompts prompts;
        MainWindow window;
        window.show();
        QTest::mouseClick(window.findChild<QPushButton*>(button), Qt::LeftButton);

        QList<QMainWindow*> opened = VisibleTopLevels<QMainWindow>();
        opened.removeOne(&window);
        QCOMPARE(opened.size(), 1);
        QCOMPARE(QString::fromLatin1(opened.first()->metaObject()->className()), windowClass);
        QCOMPARE(opened.first()->windowTitle(), windowTitle);
        QVERIFY(!opened.first()->parentWidget());
        QVERIFY(window.isVisible());

        // Pressing again while it is open shows the same window, not a second one.
        QMainWindow* first = opened.first();
        QTest::mouseClick(window.findChild<QPushButton*>(button), Qt::LeftButton);
        opened = VisibleTopLevels<QMainWindow>();
        opened.removeOne(&window);
        QVERIFY(opened == QList<QMainWindow*>{first});
        QVERIFY(prompts.records.isEmpty());
    }

    void editorKeepsItsWindowAfterClosing()
    {
        MainWindow window;
        window.show();
        auto* button = window.findChild<QPushButton*>(QStringLiteral("buttonCreateNewPDF"));
        QTest::mouseClick(button, Qt::LeftButton);
        QList<CreateNewPDFWindow*> editors = VisibleTopLevels<CreateNewPDFWindow>();
        QCOMPARE(editors.size(), 1);
        CreateNewPDFWindow* editor = editors.first();
        editor->close();
        QVERIFY(!editor->isVisible());
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(VisibleTopLevels<CreateNewPDFWindow>() == QList<CreateNewPDFWindow*>{editor});
    }

    void aboutButtonRunsTheAboutBoxModally()
    {
        ScriptedPrompts prompts;
        MainWindow window;
        window.show();
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("buttonAbout")), Qt::LeftButton);
        const QList<ScriptedPrompts::Record> dialogs = prompts.Of(QStringLiteral("dialog"));
        QCOMPARE(dialogs.size(), 1);
        QCOMPARE(dialogs.first().text, QStringLiteral("AboutDialog"));
        QCOMPARE(dialogs.first().title, QStringLiteral("About"));
        QVERIFY(!dialogs.first().hadParent); // modal for the whole program
        QCOMPARE(prompts.records.size(), 1);
    }

    void closingTheLauncherLeavesToolWindowsOpen()
    {
        MainWindow window;
        window.show();
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("buttonMergePDFFiles")), Qt::LeftButton);
        window.close();
        QVERIFY(!window.isVisible());
        QCOMPARE(VisibleTopLevels<MergePDFFilesWindow>().size(), 1);
    }
};

VELLORAN_APP_TEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
