// The watermark window's road through its slots, offscreen, with the real engine on small files
// made here: the fonts offered, the defaults, the unit switch and the offset boxes, the colour,
// the preview, the preview against the job's output on pages cropped, turned and away from the
// origin, a job with its report, the project's exact bytes and what loading keeps, and a
// close during a job.

#include "app/AppIdentity.h"
#include "app/FontCatalog.h"
#include "app/support/AppTestMain.h"
#include "app/support/ExternalReaders.h"
#include "app/support/PageRenders.h"
#include "app/support/PDFReaders.h"
#include "app/support/ScriptedPrompts.h"
#include "app/support/TestPDF.h"
#include "app/support/WindowTestSupport.h"
#include "app/tools/ListPDFFiles.h"
#include "app/tools/OverwriteDecision.h"
#include "app/tools/watermark/WatermarkPDFFilesWindow.h"

#include <QAction>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>

namespace {

const QString kTitle = QStringLiteral("Watermark PDF Documents");

} // namespace

class WatermarkPDFFilesWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder;
    std::unique_ptr<FontCatalog> catalog;
    int number = 0;

    QString Pdf(const QString& name, const QStringList& pages, const TestPDF::Extras& extras = TestPDF::Extras())
    {
        const QString path = folder.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        if (!TestPDF::Write(path, TestPDF::Make(pages, false, extras)))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    QString Fresh()
    {
        const QString path = folder.filePath(QStringLiteral("out%1").arg(++number));
        QDir().mkpath(path);
        return path;
    }
    static void Combo(QComboBox* box, int index)
    {
        box->setCurrentIndex(index);
        emit box->activated(index);
        // The text form of the signal, which the font box's slot takes, by name: Qt marks it as
        // deprecated but still emits it.
        QMetaObject::invokeMethod(box, "activated", Q_ARG(QString, box->itemText(index)));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(folder.isValid());
        const QString fonts = folder.filePath(QStringLiteral("fonts"));
        QDir().mkpath(fonts);
        const QString dejaVu = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
        for (const char* name : {"arial.ttf", "ARIALBD.TTF", "times.ttf"})
            QVERIFY(QFile::copy(dejaVu, fonts + QLatin1Char('/') + QLatin1String(name)));
        catalog = std::make_unique<FontCatalog>(QStringList{fonts});
    }

    void init()
    {
        AppIdentity::Instance();
        QSettings().clear();
    }

    void defaultsFontsAndOffsetBoxes()
    {
        ScriptedPrompts prompts;
        WatermarkPDFFilesWindow window(nullptr, catalog.get());
        window.OpenWindow();
        QCOMPARE(window.windowTitle(), kTitle);
        auto* fonts = Find<QComboBox>(window, "comboFont");
        QCOMPARE(fonts->count(), 2);
        QCOMPARE(fonts->itemText(0), QStringLiteral("Arial"));
        QCOMPARE(fonts->itemText(1), QStringLiteral("Times"));
        QCOMPARE(window.fontName, QStringLiteral("Arial"));
        QCOMPARE(Find<QSpinBox>(window, "spinSize")->value(), 16);
        QCOMPARE(Find<QPushButton>(window, "buttonColor")->styleSheet(), QStringLiteral("background-color: black"));
        QCOMPARE(Find<QComboBox>(window, "comboPosition")->currentIndex(), 2);
        QCOMPARE(Find<QLineEdit>(window, "editPageIntervals")->text(), QStringLiteral("[1-3],5,[7-9]"));
        QCOMPARE(Find<QLineEdit>(window, "editOutputNames")->text(), QStringLiteral("[FileName]_Watermarked"));
        QCOMPARE(Find<QLabel>(window, "labelDocInfo")->text(),
                 QStringLiteral("Number of Pages:\nPage Size:\nEncrypted:\nFile Size:"));

        // Without an "Arial" the first font of the catalog is the default.
        FontCatalog other(QStringList{QStringLiteral("/usr/share/fonts/truetype/dejavu")});
        WatermarkPDFFilesWindow second(nullptr, &other);
        QCOMPARE(second.fontName, other.DisplayNames().first());

        auto* x = Find<QSpinBox>(window, "spinOffsetX");
        auto* y = Find<QSpinBox>(window, "spinOffsetY");
        auto* position = Find<QComboBox>(window, "comboPosition");
        const struct {
            int position;
            bool x, y;
        } boxes[] = {{4, false, false}, {5, false, true}, {6, false, true}, {0, true, true}, {3, true, true}};
        for (const auto& row : boxes) {
            Combo(position, row.position);
            QCOMPARE(window.position, row.position);
            QCOMPARE(x->isEnabled(), row.x);
            QCOMPARE(y->isEnabled(), row.y);
        }
        Combo(position, 4);
        prompts.questionAnswers = {QMessageBox::No}; // the changes discarded
        Find<QAction>(window, "actionNew")->trigger();
        QVERIFY(x->isEnabled() && y->isEnabled());

        // The unit switch on A4 with no file: 50/50 points are 8/6 percent, and back 48/51.
        auto* unit = Find<QComboBox>(window, "comboPositionMode");
        Combo(unit, 1);
        QCOMPARE(window.offsetX, 8);
        QCOMPARE(window.offsetY, 6);
        QCOMPARE(x->maximum(), 100);
        Combo(unit, 0);
        QCOMPARE(window.offsetX, 48);
        QCOMPARE(window.offsetY, 51);
        x->setValue(700);
        Combo(unit, 1);
        QCOMPARE(window.offsetX, 100);
        // The unit already active changes nothing, not even the marker.
        prompts.questionAnswers = {QMessageBox::No};
        Find<QAction>(window, "actionNew")->trigger();
        Combo(unit, 0);
        QCOMPARE(window.windowTitle(), kTitle);

        // Pure red from the colour dialog.
        prompts.dialogHandler = [](QDialog& dialog) {
            static_cast<QColorDialog&>(dialog).setCurrentColor(Qt::red);
            dialog.accept();
            return int(QDialog::Accepted);
        };
        Find<QPushButton>(window, "buttonColor")->click();
        QCOMPARE(window.color, 16711680u);
        QVERIFY(Find<QPushButton>(window, "buttonColor")->styleSheet().endsWith(QStringLiteral("#ff0000")));

        // The tokens go into the text.
        auto* text = Find<QLineEdit>(window, "editText");
        Find<QAction>(window, "actionPageNumber")->trigger();
        Find<QAction>(window, "actionCopyrightSymbol")->trigger();
        Find<QAction>(window, "actionTrademarkSymbol")->trigger();
        Find<QAction>(window, "actionRegisteredTrademarkSymbol")->trigger();
        QCOMPARE(text->text(), QStringLiteral("[PgNo]\u00a9\u2122\u00ae"));
        QCOMPARE(window.text, text->text());
        QVERIFY(window.windowTitle().endsWith(QLatin1Char('*')));
    }

    void previewAndJob()
    {
        ScriptedPrompts prompts;
        WatermarkPDFFilesWindow window(nullptr, catalog.get());
        window.OpenWindow();
        TestPDF::Extras a4;
        a4.pages = {"/MediaBox [0 0 595 842]", "/MediaBox [0 0 595 842]"};
        const QString doc = Pdf(QStringLiteral("job/doc.pdf"), {"One", "Two"}, a4);
        auto* list = Find<ListPDFFiles>(window, "listPDFFiles");
        emit list->FilesDropped({doc});
        list->setCurrentRow(0);
        emit list->itemClicked(list->item(0));
        QCOMPARE(Find<QLabel>(window, "labelDocInfo")->text(),
                 QStringLiteral("Number of Pages: 2\nPage Size: 595 x 842\nEncrypted: NO\nFile Size: 0 KB"));
        Find<QLineEdit>(window, "editText")->setText(QStringLiteral("Page [PgNo]"));
        const QPixmap preview = Find<QLabel>(window, "labelPreview")->pixmap(Qt::ReturnByValue);
        QCOMPARE(preview.size(), QSize(141, 200));
        // The mark's colour (black) fills its rectangle near the bottom left; the page is white.
        const QImage image = preview.toImage();
        QCOMPARE(image.pixelColor(70, 60), QColor(Qt::white));
        QCOMPARE(image.pixelColor(14, 187), QColor(Qt::black));

        const QString out = Fresh();
        prompts.folderAnswers = QStringList{out};
        Find<QPushButton>(window, "buttonBrowse")->click();
        Find<QPushButton>(window, "buttonWatermarkFiles")->click();
        QTRY_COMPARE(prompts.Of(QStringLiteral("information")).size(), 1);
        QCOMPARE(prompts.Of(QStringLiteral("information"))[0].text, QStringLiteral("Documents watermarked successfully."));
        const QStringList texts = ExternalReaders::PageTexts(out + QStringLiteral("/doc_Watermarked.pdf"));
        QCOMPARE(texts.size(), 2);
        QVERIFY(texts[0].contains(QStringLiteral("Page 1")) && texts[1].contains(QStringLiteral("Page 2")));

        // An image mode without an image is reported, with nothing written.
        Find<QRadioButton>(window, "radioImageWatermark")->click();
        QCOMPARE(window.watermarkMode, 2);
        QVERIFY(!Find<QRadioButton>(window, "radioTextWatermark")->isChecked());
        const QString out2 = Fresh();
        prompts.folderAnswers = QStringList{out2};
        Find<QPushButton>(window, "buttonBrowse")->click();
        Find<QPushButton>(window, "buttonWatermarkFiles")->click();
        QTRY_COMPARE(prompts.Of(QStringLiteral("warning")).size(), 1);
        QCOMPARE(prompts.Of(QStringLiteral("warning"))[0].text,
                 QStringLiteral("The following PDF documents could not be watermarked:\n\n") + doc +
                     " (no image was chosen)\n");
        QVERIFY(Files(out2).isEmpty());
    }

    // The preview draws the first page as shown (cropped, turned) with the mark where the job puts
    // it: page shape, mark centre and width agree with a render of the output within 3% of the page.
    void previewShowsWhatTheJobWrites_data()
    {
        QTest::addColumn<QByteArray>("pageTree");
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<int>("position");
        const char* const shapes[][3] = {
            {"Rotate 90", "", "/MediaBox [0 0 400 600] /Rotate 90"},
            {"Rotate 270 inherited", "/Rotate 270", "/MediaBox [0 0 300 500]"},
            {"MediaBox off the origin", "", "/MediaBox [298 421 595 842]"},
            {"CropBox", "", "/MediaBox [0 0 612 792] /CropBox [100 150 500 600]"},
        };
        for (const auto& shape : shapes)
            for (int position : {0, 4, 3}) // top left, center, bottom right
                QTest::addRow("%s, position %d", shape[0], position)
                    << QByteArray(shape[1]) << QByteArray(shape[2]) << position;
    }
    void previewShowsWhatTheJobWrites()
    {
        QFETCH(QByteArray, pageTree);
        QFETCH(QByteArray, page);
        QFETCH(int, position);
        ScriptedPrompts prompts;
        WatermarkPDFFilesWindow window(nullptr, catalog.get());
        window.OpenWindow();
        TestPDF::Extras extras;
        extras.pageTree = pageTree;
        extras.pages = {page};
        const QString base = QStringLiteral("shown%1").arg(++number);
        const QString doc = Pdf(QStringLiteral("shown/") + base + QStringLiteral(".pdf"), {"One"}, extras);
        auto* list = Find<ListPDFFiles>(window, "listPDFFiles");
        emit list->FilesDropped({doc});
        list->setCurrentRow(0);
        emit list->itemClicked(list->item(0));
        Find<QSpinBox>(window, "spinSize")->setValue(40);
        Combo(Find<QComboBox>(window, "comboPosition"), position);
        Combo(Find<QComboBox>(window, "comboPositionMode"), 1);
        Find<QSpinBox>(window, "spinOffsetX")->setValue(6);
        Find<QSpinBox>(window, "spinOffsetY")->setValue(6);
        Find<QLineEdit>(window, "editText")->setText(QStringLiteral("DRAFT"));

        // The mark in the preview: what is not white inside the page's outline.
        const QImage preview = Find<QLabel>(window, "labelPreview")->pixmap(Qt::ReturnByValue).toImage();
        const QImage inner = preview.copy(preview.rect().adjusted(1, 1, -1, -1)).convertToFormat(QImage::Format_RGB32);
        QImage white(inner.size(), QImage::Format_RGB32);
        white.fill(Qt::white);
        const QRect sketch = PageRenders::Changed(white, inner).translated(1, 1);

        const QString out = Fresh();
        prompts.folderAnswers = QStringList{out};
        Find<QPushButton>(window, "buttonBrowse")->click();
        Find<QPushButton>(window, "buttonWatermarkFiles")->click();
        QTRY_COMPARE(prompts.Of(QStringLiteral("information")).size(), 1);
        const QList<QImage> before = PageRenders::Render(doc, out + QStringLiteral("/before"));
        const QList<QImage> after =
            PageRenders::Render(out + QLatin1Char('/') + base + QStringLiteral("_Watermarked.pdf"), out + "/after");
        QVERIFY(before.size() == 1 && after.size() == 1);
        const QRect ink = PageRenders::Changed(before[0], after[0]);
        QVERIFY(!sketch.isNull() && !ink.isNull());

        const QSizeF shown = after[0].size(), drawn = preview.size();
        const QPointF sketchCentre = QRectF(sketch).center(), inkCentre = QRectF(ink).center();
        QVERIFY(qAbs((drawn.width() / drawn.height()) / (shown.width() / shown.height()) - 1) <= 0.03);
        QVERIFY(qAbs(sketchCentre.x() / drawn.width() - inkCentre.x() / shown.width()) <= 0.03);
        QVERIFY(qAbs(sketchCentre.y() / drawn.height() - inkCentre.y() / shown.height()) <= 0.03);
        QVERIFY(qAbs(sketch.width() / drawn.width() - ink.width() / shown.width()) <= 0.03);
    }

    void projectBytesAndLoading()
    {
        ScriptedPrompts prompts;
        WatermarkPDFFilesWindow window(nullptr, catalog.get());
        window.OpenWindow();
        const QString a = Pdf(QStringLiteral("project/Ünï a.pdf"), {"A"});
        emit Find<ListPDFFiles>(window, "listPDFFiles")->FilesDropped({a});
        Find<QLineEdit>(window, "editText")->setText(QStringLiteral("© [PgNo]"));
        Combo(Find<QComboBox>(window, "comboFont"), 1);
        Find<QSpinBox>(window, "spinScale")->setValue(40);
        Find<QRadioButton>(window, "radioImageWatermark")->click();
        Combo(Find<QComboBox>(window, "comboPosition"), 5);
        const QString out = Fresh();
        prompts.folderAnswers = QStringList{out};
        Find<QPushButton>(window, "buttonBrowse")->click();

        const QString bare = folder.filePath(QStringLiteral("project/marks"));
        prompts.fileNameAnswers = QStringList{bare};
        Find<QAction>(window, "actionSave")->trigger();
        const QString project = bare + ".wpf";
        const QByteArray expected = (a + "|612|792\nEndOfList\n2\n© [PgNo]\nTimes\n16\n0\n\n40\n5\n0\n50\n50\n0\n"
                                         "[1-3],5,[7-9]\n[FileName]_Watermarked\n" + out)
                                        .toUtf8();
        QCOMPARE(TestPDF::Read(project), expected);
        QCOMPARE(window.windowTitle(), kTitle + " - marks");

        Find<QAction>(window, "actionNew")->trigger();
        prompts.fileNameAnswers = QStringList{project};
        Find<QAction>(window, "actionLoad")->trigger();
        QCOMPARE(window.windowTitle(), kTitle + " - marks");
        QVERIFY(Find<QRadioButton>(window, "radioImageWatermark")->isChecked());
        QCOMPARE(Find<QLineEdit>(window, "editText")->text(), QStringLiteral("© [PgNo]"));
        QCOMPARE(Find<QComboBox>(window, "comboFont")->currentText(), QStringLiteral("Times"));
        QVERIFY(!Find<QSpinBox>(window, "spinOffsetX")->isEnabled());
        Find<QAction>(window, "actionSave")->trigger();
        QCOMPARE(TestPDF::Read(project), expected);

        // Values beyond the boxes are clamped as the boxes show them; the recorded page size
        // stays; an unknown font is named; no "|" fields is no project.
        const QString odd = folder.filePath(QStringLiteral("project/odd.wpf"));
        QVERIFY(TestPDF::Write(odd, (a + "|100|200\nEndOfList\n1\nx\nNoSuch\n120\n16711680\n\n0\n0\n1\n150\n7\n1\n"
                                         "2\nn\n" + out)
                                        .toUtf8()));
        prompts.fileNameAnswers = QStringList{odd};
        Find<QAction>(window, "actionLoad")->trigger();
        QCOMPARE(window.fontSize, 99);
        QCOMPARE(window.scale, 1);
        QCOMPARE(window.offsetX, 100);
        QCOMPARE(window.color, 16711680u);
        QVERIFY(Find<QPushButton>(window, "buttonColor")->styleSheet().endsWith(QStringLiteral("#ff0000")));
        QVERIFY(window.pageIntervalsEnabled);
        QVERIFY(prompts.Of(QStringLiteral("warning"))
                    .last()
                    .text.contains(QStringLiteral("The font \"NoSuch\" is not installed; \"Arial\" is used.")));
        QCOMPARE(window.fontName, QStringLiteral("Arial"));
        prompts.fileNameAnswers = QStringList{bare + ".wpf"};
        QVERIFY(TestPDF::Write(bare + ".wpf", (a + "\nEndOfList\n1\n").toUtf8()));
        Find<QAction>(window, "actionLoad")->trigger();
        QCOMPARE(prompts.Of(QStringLiteral("warning")).last().text, QStringLiteral("Could not load file."));

        // Nor is one whose image, output names or output folder hold a control character: the
        // system would cut a name at a NUL.
        const QString nul = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
        const QString settings = "EndOfList\n2\nx\nArial\n16\n0\n%1\n100\n2\n0\n50\n50\n0\n[1-3]\n%2\n%3";
        for (const QStringList& lines : {QStringList{nul, "n", "/f"}, {"/i.png", nul, "/f"}, {"/i.png", "n", "/f\x01"}}) {
            QVERIFY(TestPDF::Write(bare + ".wpf", settings.arg(lines[0], lines[1], lines[2]).toUtf8()));
            prompts.fileNameAnswers = QStringList{bare + ".wpf"};
            const int warnings = prompts.Of(QStringLiteral("warning")).size();
            Find<QAction>(window, "actionLoad")->trigger();
            QCOMPARE(prompts.Of(QStringLiteral("warning")).size(), warnings + 1);
            QCOMPARE(prompts.Of(QStringLiteral("warning")).last().text, QStringLiteral("Could not load file."));
        }
    }

    void aTextMarkNeedsAText_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("warning"); // how it begins
        const QString refusal = QStringLiteral("Please type the text of the watermark.");
        QTest::newRow("no text") << 1 << "" << refusal;
        QTest::newRow("blanks only") << 1 << "   " << refusal;
        QTest::newRow("an image mark needs none")
            << 2 << "" << QStringLiteral("The following PDF documents could not be watermarked:\n\n");
    }

    void aTextMarkNeedsAText()
    {
        QFETCH(int, mode);
        QFETCH(QString, text);
        QFETCH(QString, warning);
        ScriptedPrompts prompts;
        WatermarkPDFFilesWindow window(nullptr, catalog.get());
        window.OpenWindow();
        emit Find<ListPDFFiles>(window, "listPDFFiles")->FilesDropped({Pdf(QStringLiteral("empty/doc.pdf"), {"One"})});
        Find<QLineEdit>(window, "editText")->setText(text);
        if (mode == 2)
            Find<QRadioButton>(window, "radioImageWatermark")->click();
        Find<QPushButton>(window, "buttonWatermarkFiles")->click();
        // Refused before any job, or run and reported (an image mark without an image fails).
        QCOMPARE(window.IsWorking(), mode == 2);
        QTRY_COMPARE(prompts.Of(QStringLiteral("warning")).size(), 1);
        QVERIFY2(prompts.Of(QStringLiteral("warning"))[0].text.startsWith(warning),
                 qPrintable(prompts.Of(QStringLiteral("warning"))[0].text));
    }

    // A character the chosen font has no glyph for is refused before the job, the font and the
    // character named, and nothing is written.
    void aTextTheFontCannotShowIsRefusedBeforeTheJob()
    {
        ScriptedPrompts prompts;
        const FontCatalog dejaVu(QStringList{QStringLiteral("/usr/share/fonts/truetype/dejavu")});
        WatermarkPDFFilesWindow window(nullptr, &dejaVu);
        window.OpenWindow();
        const QString doc = Pdf(QStringLiteral("glyphs/doc.pdf"), {"A", "B"});
        emit Find<ListPDFFiles>(window, "listPDFFiles")->FilesDropped({doc});
        auto* fonts = Find<QComboBox>(window, "comboFont");
        Combo(fonts, fonts->findText(QStringLiteral("DejaVuSans")));
        QCOMPARE(window.fontName, QStringLiteral("DejaVuSans"));
        const QString out = Fresh();
        prompts.folderAnswers = QStringList{out};
        Find<QPushButton>(window, "buttonBrowse")->click();

        Find<QLineEdit>(window, "editText")->setText(QStringLiteral("Entwurf \u4e2d"));
        Find<QPushButton>(window, "buttonWatermarkFiles")->click();
        QVERIFY(!window.IsWorking());
        QCOMPARE(prompts.Of(QStringLiteral("warning")).size(), 1);
        QCOMPARE(prompts.Of(QStringLiteral("warning"))[0].text,
                 QStringLiteral("The font \"DejaVuSans\" has no glyph for \"\u4e2d\" (U+4E2D). Please choose another "
                                "font or change the text."));
        QVERIFY(Files(out).isEmpty());
    }

    // A project whose font is not installed gets the font the box shows, and everything after
    // the load uses it: the job's output, the glyph check at Start, a saved project.
    void aMissingProjectFontGivesWayToTheShownOne()
    {
        ScriptedPrompts prompts;
        // Fonts whose PostScript names are their file names, as pdffonts shows them.
        const QString fontFolder = folder.filePath(QStringLiteral("missingfont/fonts"));
        QDir().mkpath(fontFolder);
        for (const char* name : {"DejaVuSerif-Bold.ttf", "DejaVuSans.ttf"})
            QVERIFY(QFile::copy(QStringLiteral("/usr/share/fonts/truetype/dejavu/") + QLatin1String(name),
                                fontFolder + QLatin1Char('/') + QLatin1String(name)));
        const FontCatalog fonts(QStringList{fontFolder});
        WatermarkPDFFilesWindow window(nullptr, &fonts);
        window.OpenWindow();
        const QString doc = Pdf(QStringLiteral("missingfont/doc.pdf"), {"A", "B"});
        const QString out = Fresh();
        const QString project = folder.filePath(QStringLiteral("missingfont/project.wpf"));
        const QString lines = doc + "|612|792\nEndOfList\n1\nEntwurf [PgNo]\nNoSuchFont\n12\n0\n\n100\n2\n0\n50\n50\n0\n"
                                    "[1-3]\n[FileName]_W\n" + out;
        QVERIFY(TestPDF::Write(project, lines.toUtf8()));
        prompts.fileNameAnswers = QStringList{project};
        Find<QAction>(window, "actionLoad")->trigger();
        const QString shown = Find<QComboBox>(window, "comboFont")->currentText();
        QVERIFY(!shown.isEmpty());
        QCOMPARE(window.fontName, shown);
        QCOMPARE(prompts.Of(QStringLiteral("warning")).size(), 1);
        QCOMPARE(prompts.Of(QStringLiteral("warning"))[0].text,
                 QStringLiteral("Some settings of the project could not be used:\n\nThe font \"NoSuchFont\" is not "
                                "installed; \"%1\" is used.")
                     .arg(shown));

        Find<QPushButton>(window, "buttonWatermarkFiles")->click();
        QTRY_COMPARE(prompts.Of(QStringLiteral("information")).size(), 1);
        const QString output = out + QStringLiteral("/doc_W.pdf");
        // The page's own font and the mark's subset.
        QStringList written;
        for (const QStringList& row : PDFReaders::FontRows(output))
            written << row.value(0).section(QLatin1Char('+'), -1);
        QCOMPARE(written, (QStringList{QStringLiteral("Helvetica"), shown}));
        QCOMPARE(ExternalReaders::PageTexts(output).value(1).contains(QStringLiteral("Entwurf 2")), true);

        Find<QLineEdit>(window, "editText")->setText(QStringLiteral("Entwurf \u4e2d"));
        Find<QPushButton>(window, "buttonWatermarkFiles")->click();
        QVERIFY(!window.IsWorking());
        QCOMPARE(prompts.Of(QStringLiteral("warning")).last().text,
                 QStringLiteral("The font \"%1\" has no glyph for \"\u4e2d\" (U+4E2D). Please choose another font or "
                                "change the text.")
                     .arg(shown));

        Find<QAction>(window, "actionSave")->trigger();
        QCOMPARE(QString::fromUtf8(TestPDF::Read(project)).split(QLatin1Char('\n')).value(4), shown);
    }

    void theListOfAProjectIsReadLineByLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("saved");
        QTest::newRow("a path alone has no size") << "/a/doc.pdf" << "/a/doc.pdf|0|0";
        QTest::newRow("one bar") << "/a/doc.pdf|5" << "/a/doc.pdf|5|0|0";
    }

    void theListOfAProjectIsReadLineByLine()
    {
        QFETCH(QString, line);
        QFETCH(QString, saved);
        ScriptedPrompts prompts;
        WatermarkPDFFilesWindow window(nullptr, catalog.get());
        const QString project = folder.filePath(QStringLiteral("%1.wpf").arg(QTest::currentDataTag()));
        const QString settings = "EndOfList\n1\nx\nTimes\n16\n0\n\n100\n2\n0\n50\n50\n0\n[1-3]\n[FileName]\n/out";
        QVERIFY(TestPDF::Write(project, (line + QLatin1Char('\n') + settings).toUtf8()));
        prompts.fileNameAnswers = QStringList{project};
        Find<QAction>(window, "actionLoad")->trigger();
        Find<QAction>(window, "actionSave")->trigger();
        QCOMPARE(QString::fromUtf8(TestPDF::Read(project)), saved + QLatin1Char('\n') + settings);
    }

    void closingDuringAJobStopsIt()
    {
        ScriptedPrompts prompts;
        auto window = std::make_unique<WatermarkPDFFilesWindow>(nullptr, catalog.get());
        window->OpenWindow();
        QStringList pages;
        for (int i = 0; i < 400; ++i)
            pages << QStringLiteral("P%1").arg(i);
        QStringList docs;
        for (int i = 0; i < 6; ++i)
            docs << Pdf(QStringLiteral("close/d%1.pdf").arg(i), pages);
        emit Find<ListPDFFiles>(*window, "listPDFFiles")->FilesDropped(docs);
        Find<QLineEdit>(*window, "editText")->setText(QStringLiteral("Draft"));
        const QString out = Fresh();
        prompts.folderAnswers = QStringList{out};
        Find<QPushButton>(*window, "buttonBrowse")->click();
        Find<QPushButton>(*window, "buttonWatermarkFiles")->click();
        prompts.questionAnswers = {QMessageBox::No, QMessageBox::Yes};
        QVERIFY(window->IsWorking());
        QVERIFY(window->close());
        QVERIFY(!window->IsWorking());
        // Nothing half-written is left: every file there is complete.
        for (const QString& name : Files(out))
            QVERIFY2(ExternalReaders::QpdfAccepts(out + QLatin1Char('/') + name), qPrintable(name));
    }
};

VELLORAN_APP_TEST_MAIN(WatermarkPDFFilesWindowTest)
#include "WatermarkPDFFilesWindowTest.moc"
