// Where windows and dialogs open, on a small real screen (1024 x 768 under Xvfb, see
// tests/CMakeLists.txt): the placement's arithmetic; every window the main window opens whole on
// the screen, centred over it where it fits, with no label, box text or row of an open list cut
// off or elided; the dialogs; and the real question box, placed and closed from outside.

#include "app/AboutDialog.h"
#include "app/MainWindow.h"
#include "app/WindowPlacement.h"
#include "app/create/PDFPageSettingsDialog.h"
#include "app/support/AppTestMain.h"
#include "app/support/ScriptedPrompts.h"
#include "app/tools/OverwriteDialog.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCursor>
#include <QImage>
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

QWidget* TopLevel(const QString& name)
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == name)
            return window;
    return nullptr;
}

// The texts of labels and boxes that get less room than they need. A box is checked with every
// item it can show, but for the watermark's fonts, whose names are the machine's: there only the
// one shown.
QStringList ClippedTexts(QWidget& window)
{
    QStringList clipped;
    for (QLabel* label : window.findChildren<QLabel*>())
        if (label->isVisible() && (label->width() < label->sizeHint().width() ||
                                   label->height() < label->sizeHint().height()))
            clipped << label->text();
    for (QComboBox* combo : window.findChildren<QComboBox*>()) {
        if (!combo->isVisible())
            continue;
        QStyleOptionComboBox option;
        option.initFrom(combo);
        const QRect field =
            combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
        const bool systemFonts = window.objectName() == QLatin1String("WatermarkPDFFilesWindow") &&
                                 combo->objectName() == QLatin1String("comboFont");
        QStringList texts{combo->currentText()};
        for (int row = 0; row < combo->count() && !systemFonts; ++row)
            texts << combo->itemText(row);
        for (const QString& text : texts)
            if (field.width() < combo->fontMetrics().horizontalAdvance(text))
                clipped << text;
    }
    return clipped;
}

// The rows of the box's open list, as drawn: with no row current, so that no highlight is drawn.
QList<QImage> OpenListRows(QComboBox& combo)
{
    combo.showPopup();
    QAbstractItemView* view = combo.view();
    if (!QTest::qWaitForWindowExposed(view->window()))
        return {};
    view->selectionModel()->clear();
    view->setCurrentIndex(QModelIndex());
    const QImage drawn = view->viewport()->grab().toImage();
    QList<QImage> rows;
    for (int row = 0; row < combo.count(); ++row) {
        const QModelIndex index = combo.model()->index(row, combo.modelColumn(), combo.rootModelIndex());
        rows << drawn.copy(view->visualRect(index) & drawn.rect());
    }
    combo.hidePopup();
    return rows;
}

// The items of the box that its open list draws otherwise than a list with room to spare does:
// elided or cut off at the list's edge.
QStringList RowsNotDrawnWhole(QComboBox& combo)
{
    // Off every window, so that no row is hovered.
    QCursor::setPos(QGuiApplication::primaryScreen()->geometry().bottomRight());
    const QList<QImage> shown = OpenListRows(combo);
    const int minimum = combo.view()->minimumWidth();
    combo.view()->setMinimumWidth(combo.view()->width() + 400);
    const QList<QImage> roomy = OpenListRows(combo);
    combo.view()->setMinimumWidth(minimum);
    if (shown.size() != combo.count() || roomy.size() != combo.count())
        return {QStringLiteral("the list of %1 did not open").arg(combo.objectName())};
    QStringList cut;
    for (int row = 0; row < combo.count(); ++row)
        if (shown[row].isNull() || shown[row] != roomy[row].copy(shown[row].rect()))
            cut << combo.itemText(row);
    return cut;
}

void VerifyPlaced(QWidget& window, const QWidget& over)
{
    const QRect frame = window.frameGeometry();
    QVERIFY2(Area().contains(frame), qPrintable(window.objectName()));
    QRect centred = frame;
    centred.moveCenter(over.frameGeometry().center());
    if (Area().contains(centred))
        QVERIFY2((frame.center() - centred.center()).manhattanLength() <= 1, qPrintable(window.objectName()));
}

} // namespace

class WindowPlacementScreenTest : public QObject {
    Q_OBJECT

private slots:
    void thePlacementKeepsWindowsWhole_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRect>("over");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QRect>("expected");
        // A window with a 1-pixel frame and a 20-pixel title bar, at least 700 x 500.
        QTest::newRow("centred over the main window")
            << QSize(715, 516) << QRect(167, 246, 690, 300) << QRect(0, 0, 1024, 768) << QRect(154, 147, 715, 516);
        QTest::newRow("the main window low on a large screen")
            << QSize(715, 516) << QRect(455, 700, 690, 300) << QRect(0, 0, 1600, 1000) << QRect(442, 483, 715, 516);
        QTest::newRow("larger than the screen") << QSize(1050, 800) << QRect(167, 246, 690, 300)
                                                << QRect(0, 0, 1024, 768) << QRect(1, 20, 1022, 747);
        QTest::newRow("nothing to open over, a second screen with a panel")
            << QSize(715, 516) << QRect() << QRect(1600, 40, 1024, 728) << QRect(1754, 155, 715, 516);
    }

    void thePlacementKeepsWindowsWhole()
    {
        QFETCH(QSize, size);
        QFETCH(QRect, over);
        QFETCH(QRect, area);
        QFETCH(QRect, expected);
        QCOMPARE(PlacedGeometry(size, QSize(700, 500), QMargins(1, 20, 1, 1), over, area), expected);
    }

    void everyWindowOpensWholeOverTheMainWindow()
    {
        ScriptedPrompts prompts;
        MainWindow main;
        // High at the left, then low at the right where a centred window would leave the screen.
        for (const QPoint corner : {QPoint(100, 100), QPoint(Area().right() - 500, Area().bottom() - 200)}) {
            main.move(corner);
            main.show();
            QVERIFY(QTest::qWaitForWindowExposed(&main));
            for (const char* tool : {"CreateNewPDF", "MergePDFFiles", "SplitPDFFiles", "WatermarkPDFFiles",
                                     "ExtractTextFromScan", "CropPDFFiles"}) {
                main.findChild<QPushButton*>(QStringLiteral("button") + tool)->click();
                QWidget* window = TopLevel(tool + QStringLiteral("Window"));
                QVERIFY(QTest::qWaitForWindowExposed(window));
                VerifyPlaced(*window, main);
                QCOMPARE(ClippedTexts(*window), QStringList());
                for (QComboBox* combo : window->findChildren<QComboBox*>())
                    if (combo->isVisible())
                        QCOMPARE(RowsNotDrawnWhole(*combo), QStringList());
                if (auto* preview = window->findChild<QPushButton*>(QStringLiteral("buttonDocumentPreview"))) {
                    preview->click();
                    VerifyPlaced(*TopLevel(QStringLiteral("DocumentPreviewWindow")), main);
                    TopLevel(QStringLiteral("DocumentPreviewWindow"))->close();
                }
                // The watermark position box is written in the window's own font.
                if (auto* position = window->findChild<QComboBox*>(QStringLiteral("comboPosition")))
                    QCOMPARE(position->font().pointSize(), position->parentWidget()->font().pointSize());
                window->close();
            }
        }
    }

    void dialogsOpenWholeOverTheirWindow()
    {
        MainWindow main;
        main.move(Area().right() - 400, Area().bottom() - 150);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        AboutDialog about;
        PDFPageSettingsDialog pageSettings;
        OverwriteDialog overwrite(&main);
        for (QDialog* dialog : std::initializer_list<QDialog*>{&about, &pageSettings, &overwrite}) {
            PlaceWindow(dialog);
            VerifyPlaced(*dialog, main);
        }

        // The real question box, placed when it shows, and closed by its asker.
        QtPrompts real;
        QuestionCloser closer;
        bool shown = false;
        QTimer::singleShot(0, [&]() {
            shown = QApplication::activeModalWidget() != nullptr;
            if (shown)
                VerifyPlaced(*QApplication::activeModalWidget(), main);
            closer.Close();
        });
        QCOMPARE(real.Question(nullptr, QString(), QStringLiteral("Still there?"), QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::Yes, &closer),
                 QMessageBox::No);
        QVERIFY(shown);
        QVERIFY(!closer.IsOpen());
    }
};

VELLORAN_APP_TEST_MAIN(WindowPlacementScreenTest)
#include "WindowPlacementScreenTest.moc"
