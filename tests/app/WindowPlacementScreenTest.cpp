// Where windows and dialogs open, on a small real screen (1024 x 768 under Xvfb, see
// tests/CMakeLists.txt): the arithmetic of the placement, every window the main window opens
// and the program's dialogs whole on the screen and centred over their window where they fit,
// nothing cut off in them as they open, and the real question box closed from outside.

#include "app/AboutDialog.h"
#include "app/MainWindow.h"
#include "app/Prompts.h"
#include "app/WindowPlacement.h"
#include "app/create/PDFPageSettingsDialog.h"
#include "app/create/ResizeImageDialog.h"
#include "app/support/AppTestMain.h"
#include "app/support/ScriptedPrompts.h"
#include "app/tools/OverwriteDialog.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTimer>

namespace {

QRect Area()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

// The texts of the window's labels, boxes and (with pushButtons) push buttons that do not get
// the room they need.
QStringList ClippedTexts(QWidget& window, bool pushButtons)
{
    QStringList clipped;
    const auto check = [&clipped](QWidget* widget, const QString& text, const QSize& needed, const QSize& room) {
        if (widget->isVisibleTo(widget->window()) && !text.isEmpty() &&
            (room.width() < needed.width() || room.height() < needed.height()))
            clipped << QStringLiteral("%1 \"%2\" %3x%4 < %5x%6")
                           .arg(widget->objectName(), text)
                           .arg(room.width())
                           .arg(room.height())
                           .arg(needed.width())
                           .arg(needed.height());
    };
    for (QLabel* label : window.findChildren<QLabel*>())
        if (!label->wordWrap())
            check(label, label->text(), label->sizeHint(), label->size());
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (qobject_cast<QPushButton*>(button)) {
            if (!pushButtons)
                continue;
            // The text beside the icon.
            const int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
            const QFontMetrics metrics = button->fontMetrics();
            check(button, button->text(),
                  QSize(metrics.horizontalAdvance(button->text()) + icon, metrics.height()), button->size());
        } else {
            check(button, button->text(), button->sizeHint(), button->size());
        }
    }
    for (QComboBox* combo : window.findChildren<QComboBox*>()) {
        QStyleOptionComboBox option;
        option.initFrom(combo);
        const QRect field =
            combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
        const QFontMetrics metrics = combo->fontMetrics();
        check(combo, combo->currentText(), QSize(metrics.horizontalAdvance(combo->currentText()), metrics.height()),
              field.size());
    }
    return clipped;
}

QWidget* TopLevel(const char* name)
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == QLatin1String(name))
            return window;
    return nullptr;
}

void VerifyPlaced(QWidget& window, const QWidget& over)
{
    const QRect frame = window.frameGeometry();
    QVERIFY2(Area().contains(frame), qPrintable(window.objectName()));
    // Centred over the window it opens over, unless that would leave the screen.
    QRect centred = frame;
    centred.moveCenter(over.frameGeometry().center());
    if (Area().contains(centred))
        QVERIFY2((frame.center() - over.frameGeometry().center()).manhattanLength() <= 1, qPrintable(window.objectName()));
}

} // namespace

class WindowPlacementScreenTest : public QObject {
    Q_OBJECT

private slots:
    void thePlacementKeepsWindowsWholeOverTheirWindow_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QSize>("minimum");
        QTest::addColumn<QRect>("over");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QRect>("expected");
        const QRect small(0, 0, 1024, 768);
        // A 615 x 416 window with a 1-pixel frame and a 20-pixel title bar.
        QTest::newRow("centred over the main window") << QSize(615, 416) << QSize(300, 200)
                                                      << QRect(167, 246, 690, 300) << small
                                                      << QRect(204, 197, 615, 416);
        QTest::newRow("the main window low on a large screen")
            << QSize(615, 416) << QSize(300, 200) << QRect(455, 700, 690, 300) << QRect(0, 0, 1600, 1000)
            << QRect(492, 583, 615, 416);
        QTest::newRow("the main window at the right edge")
            << QSize(615, 416) << QSize(300, 200) << QRect(700, 100, 690, 300) << small << QRect(408, 51, 615, 416);
        QTest::newRow("no window to open over") << QSize(615, 416) << QSize(300, 200) << QRect() << small
                                                << QRect(204, 185, 615, 416);
        QTest::newRow("larger than the screen") << QSize(1050, 800) << QSize(700, 500) << QRect(167, 246, 690, 300)
                                                << small << QRect(1, 20, 1022, 747);
        QTest::newRow("a minimum larger than the screen")
            << QSize(1200, 900) << QSize(1100, 800) << QRect(167, 246, 690, 300) << small << QRect(1, 20, 1100, 800);
        QTest::newRow("a second screen with a panel") << QSize(615, 416) << QSize(300, 200) << QRect()
                                                      << QRect(1600, 40, 1024, 728) << QRect(1804, 205, 615, 416);
    }

    void thePlacementKeepsWindowsWholeOverTheirWindow()
    {
        QFETCH(QSize, size);
        QFETCH(QSize, minimum);
        QFETCH(QRect, over);
        QFETCH(QRect, area);
        QFETCH(QRect, expected);
        const QMargins frame(1, 20, 1, 1);
        const QRect placed = PlacedGeometry(size, minimum, frame, over, area);
        QCOMPARE(placed, expected);
        QVERIFY(placed.size().width() >= minimum.width() && placed.size().height() >= minimum.height());
    }

    void everyWindowOpensWholeOverTheMainWindow()
    {
        ScriptedPrompts prompts;
        MainWindow main;
        // Low at the right: a window centred over it would leave the screen.
        for (const QPoint corner : {QPoint(100, 100), QPoint(Area().right() - 500, Area().bottom() - 200)}) {
            main.move(corner);
            main.show();
            QVERIFY(QTest::qWaitForWindowExposed(&main));
            const struct {
                const char* button;
                const char* window;
                bool fileTool;
            } tools[] = {{"buttonCreateNewPDF", "CreateNewPDFWindow", false},
                         {"buttonMergePDFFiles", "MergePDFFilesWindow", true},
                         {"buttonSplitPDFFiles", "SplitPDFFilesWindow", true},
                         {"buttonWatermarkPDFFiles", "WatermarkPDFFilesWindow", true},
                         {"buttonExtractTextFromScan", "ExtractTextFromScanWindow", false},
                         {"buttonCropPDFFiles", "CropPDFFilesWindow", true}};
            for (const auto& tool : tools) {
                main.findChild<QPushButton*>(QLatin1String(tool.button))->click();
                QWidget* window = TopLevel(tool.window);
                QVERIFY2(window && window->isVisible(), tool.window);
                QVERIFY(QTest::qWaitForWindowExposed(window));
                VerifyPlaced(*window, main);
                const QStringList clipped = ClippedTexts(*window, tool.fileTool);
                QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral("; "))));

                if (QLatin1String(tool.window) == QLatin1String("ExtractTextFromScanWindow")) {
                    window->findChild<QPushButton*>(QStringLiteral("buttonDocumentPreview"))->click();
                    QWidget* preview = TopLevel("DocumentPreviewWindow");
                    QVERIFY(preview && preview->isVisible());
                    VerifyPlaced(*preview, main);
                    preview->close();
                }
                window->close();
                QVERIFY(!window->isVisible());
            }
            main.hide();
        }
    }

    void theWatermarkWindowShowsItsTextsWhole()
    {
        ScriptedPrompts prompts;
        MainWindow main;
        main.show();
        main.findChild<QPushButton*>(QStringLiteral("buttonWatermarkPDFFiles"))->click();
        QWidget* window = TopLevel("WatermarkPDFFilesWindow");
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        // The four lines of the document information, down to "File Size:".
        auto* info = window->findChild<QLabel*>(QStringLiteral("labelDocInfo"));
        QVERIFY(info->contentsRect().height() >= info->fontMetrics().lineSpacing() * 4);
        // The position box in the window's own font.
        QCOMPARE(window->findChild<QComboBox*>(QStringLiteral("comboPosition"))->font().pointSize(),
                 window->findChild<QComboBox*>(QStringLiteral("comboPositionMode"))->font().pointSize());
        window->close();
    }

    void dialogsOpenWholeOverTheirWindow()
    {
        MainWindow main;
        main.move(Area().right() - 400, Area().bottom() - 150);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        AboutDialog about;
        PDFPageSettingsDialog pageSettings;
        ResizeImageDialog resize;
        OverwriteDialog overwrite(&main);
        for (QDialog* dialog : std::initializer_list<QDialog*>{&about, &pageSettings, &resize, &overwrite}) {
            PlaceWindow(dialog);
            VerifyPlaced(*dialog, main);
        }
    }

    void theRealQuestionCanBeClosedFromOutside()
    {
        MainWindow main;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QtPrompts real;
        QuestionCloser closer;
        QRect shown;
        QTimer::singleShot(0, [&]() {
            if (QWidget* box = QApplication::activeModalWidget()) {
                shown = box->frameGeometry();
                VerifyPlaced(*box, main);
            }
            QVERIFY(closer.IsOpen());
            closer.Close();
        });
        const QMessageBox::StandardButton answer =
            real.Question(nullptr, QString(), QStringLiteral("Still there?"), QMessageBox::Yes | QMessageBox::No,
                          QMessageBox::Yes, &closer);
        QCOMPARE(answer, QMessageBox::No);
        QVERIFY(!closer.IsOpen());
        QVERIFY(!shown.isEmpty());
    }
};

VELLORAN_APP_TEST_MAIN(WindowPlacementScreenTest)
#include "WindowPlacementScreenTest.moc"
