// The watermark engine and its thread on files made here, judged by pdftotext, pdffonts,
// pdftoppm and qpdf: text marks on exactly the chosen pages with their own page numbers, the
// font embedded as a subset, the source's bytes kept as the output's first bytes, image marks
// drawn where the position says (transparency on white), and failures that leave nothing behind.

#include "app/support/AppTestMain.h"
#include "app/support/ExternalReaders.h"
#include "app/support/FileSizeLimit.h"
#include "app/support/OversizedImage.h"
#include "app/support/TestPDF.h"
#include "app/FontCatalog.h"
#include "app/tools/watermark/PDFWatermarker.h"
#include "app/tools/watermark/WatermarkGeometry.h"
#include "app/tools/watermark/WatermarkThread.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QStandardPaths>

using namespace ExternalReaders;

namespace {

const QString kFontFolder = QStringLiteral("/usr/share/fonts/truetype/dejavu");
const QString kFont = QStringLiteral("DejaVuSans");

QList<int> Values(const QSignalSpy& spy)
{
    QList<int> values;
    for (const QList<QVariant>& arguments : spy)
        values.append(arguments.first().toInt());
    return values;
}

QStringList Pages(int count)
{
    QStringList texts;
    for (int i = 1; i <= count; ++i)
        texts << QStringLiteral("Body%1").arg(i);
    return texts;
}

// pdffonts' rows: name, type, encoding, emb, sub, uni.
QStringList FontRows(const QString& path)
{
    const QStringList lines = QString::fromUtf8(Run(QStringLiteral("pdffonts"), {path})).split(QLatin1Char('\n'));
    return lines.mid(2).filter(QRegularExpression(QStringLiteral("\\S")));
}

// Page `page` (from 1) rendered at 72 pixels per inch.
QImage Render(const QString& path, int page, const QString& folder)
{
    const QString stem = folder + QStringLiteral("/render");
    Run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-f"),
                                     QString::number(page), QStringLiteral("-l"), QString::number(page),
                                     QStringLiteral("-singlefile"), QStringLiteral("-png"), path, stem});
    QImage image(stem + QStringLiteral(".png"));
    QFile::remove(stem + QStringLiteral(".png"));
    return image;
}

bool IsColour(QRgb pixel, int r, int g, int b)
{
    return qAbs(qRed(pixel) - r) < 40 && qAbs(qGreen(pixel) - g) < 40 && qAbs(qBlue(pixel) - b) < 40;
}

} // namespace

class PDFWatermarkerTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder;
    FontCatalog catalog{QStringList{kFontFolder}};
    int fresh = 0;

    QString Input(const QString& name, const QByteArray& bytes)
    {
        const QString path = folder.filePath(name);
        if (!TestPDF::Write(path, bytes))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    QString FreshFolder()
    {
        const QString path = folder.filePath(QStringLiteral("out%1").arg(++fresh));
        QDir().mkpath(path);
        return path;
    }

private slots:
    void textMarksOnChosenPages_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("intervals"); // empty: every page
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("unit");
        QTest::addColumn<QList<int>>("marked");
        QTest::addColumn<QList<int>>("progress");
        const QList<int> all{1, 2, 3, 4, 5, 6};
        QTest::newRow("page numbers, bottom left") << "Mark [PgNo] of [PgNo]" << "" << 2 << 0 << all << QList<int>{100};
        QTest::newRow("symbols, top left") << "Draft \u00a9\u2122\u00ae [PgNo]" << "" << 0 << 1 << all << QList<int>{100};
        QTest::newRow("a dash and Greek, bottom left")
            << "Entwurf \u2013 \u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac [PgNo]" << "" << 2 << 0 << all
            << QList<int>{100};
        QTest::newRow("non-Latin, top right") << "\u041f\u0440\u0438\u0432\u0435\u0442 \u03a9\u03bc\u03ad\u03b3\u03b1 [PgNo]"
                                             << "" << 1 << 0 << all << QList<int>{100};
        QTest::newRow("intervals, bottom right")
            << "Copy [PgNo]" << "[1-3],5,[7-9]" << 3 << 1 << QList<int>{1, 2, 3, 5} << QList<int>{33, 66, 100};
        QTest::newRow("a page twice, center") << "Seal [PgNo]" << "2,[1-2],x,0" << 4 << 0 << QList<int>{1, 2}
                                              << QList<int>{25, 50};
        QTest::newRow("center top") << "Top [PgNo]" << "[4-6]" << 5 << 0 << QList<int>{4, 5, 6} << QList<int>{100};
        QTest::newRow("center bottom") << "Low [PgNo]" << "6" << 6 << 1 << QList<int>{6} << QList<int>{100};
    }
    void textMarksOnChosenPages()
    {
        QFETCH(QString, text);
        QFETCH(QString, intervals);
        QFETCH(int, position);
        QFETCH(int, unit);
        QFETCH(QList<int>, marked);
        QFETCH(QList<int>, progress);
        const QByteArray sourceBytes = TestPDF::Make(Pages(6));
        const QString source = Input(QStringLiteral("doc.pdf"), sourceBytes);
        const QString out = FreshFolder();
        PDFWatermarker engine;
        engine.SetFontCatalog(&catalog);
        QSignalSpy spy(&engine, &PDFWatermarker::UpdateProgress);
        const QList<FailedFile> failed =
            intervals.isEmpty()
                ? engine.AddTextWatermark({source}, text, kFont, 14, 0xff0000, position, unit, 10, 10, out,
                                          QStringLiteral("[FileName]_Watermarked"))
                : engine.AddTextWatermarkToPageIntervals(source, intervals, text, kFont, 14, 0xff0000, position, unit,
                                                         10, 10, out, QStringLiteral("[FileName]_Watermarked"));
        QVERIFY2(failed.isEmpty(), qPrintable(failed.isEmpty() ? QString() : failed.first().reason));
        QCOMPARE(Values(spy), progress);
        const QString output = out + QStringLiteral("/doc_Watermarked.pdf");
        QString report;
        QVERIFY2(QpdfAccepts(output, &report), qPrintable(report));
        QVERIFY(TestPDF::Read(output).startsWith(sourceBytes));
        const QStringList texts = PageTexts(output);
        QCOMPARE(texts.size(), 6);
        for (int page = 1; page <= 6; ++page) {
            QString expected = text;
            expected.replace(QStringLiteral("[PgNo]"), QString::number(page));
            QVERIFY2(texts[page - 1].contains(QStringLiteral("Body%1").arg(page)), qPrintable(texts[page - 1]));
            QCOMPARE(texts[page - 1].contains(expected), marked.contains(page));
        }
        const QStringList fonts = FontRows(output);
        const QStringList embedded = fonts.filter(QStringLiteral("DejaVuSans"));
        QCOMPARE(embedded.size(), 1);
        QVERIFY2(embedded.first().contains(QRegularExpression(QStringLiteral("^[A-Z]{6}\\+DejaVuSans .* yes +yes +yes"))),
                 qPrintable(embedded.first()));
    }

    // Pages that share one resources object still show their own numbers.
    void sharedResourcesKeepTheirOwnNumbers()
    {
        TestPDF::Extras extras;
        extras.pageTree = "/Resources << /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >>";
        const QString source = Input(QStringLiteral("shared.pdf"), TestPDF::Make(Pages(3), false, extras));
        const QString out = FreshFolder();
        PDFWatermarker engine;
        engine.SetFontCatalog(&catalog);
        QVERIFY(engine.AddTextWatermark({source}, QStringLiteral("No.[PgNo]"), kFont, 10, 0, 2, 0, 5, 5, out,
                                        QStringLiteral("[FileName]"))
                    .isEmpty());
        const QStringList texts = PageTexts(out + QStringLiteral("/shared.pdf"));
        QCOMPARE(texts.size(), 3);
        for (int page = 1; page <= 3; ++page) {
            QVERIFY(texts[page - 1].contains(QStringLiteral("No.%1").arg(page)));
            for (int other = 1; other <= 3; ++other)
                if (other != page)
                    QVERIFY(!texts[page - 1].contains(QStringLiteral("No.%1").arg(other)));
        }
    }

    void imageMarksWhereThePositionSays_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("scale");
        QTest::addColumn<QSize>("page"); // (0, 0): each page its own Letter box
        QTest::newRow("JPEG bottom left") << "mark.jpg" << 2 << 100 << QSize();
        QTest::newRow("PNG with alpha top right") << "mark.png" << 1 << 50 << QSize();
        QTest::newRow("PNG in capitals center") << "MARK.PNG" << 4 << 100 << QSize();
        QTest::newRow("size from the page tree, top left") << "mark.jpg" << 0 << 100 << QSize(300, 400);
    }
    void imageMarksWhereThePositionSays()
    {
        QFETCH(QString, name);
        QFETCH(int, position);
        QFETCH(int, scale);
        QFETCH(QSize, page);
        // 100 x 60 pixels: red on the left half, transparent (or blue for JPEG) on the right.
        QImage picture(100, 60, QImage::Format_ARGB32);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        painter.fillRect(0, 0, 50, 60, Qt::red);
        if (name.endsWith(QLatin1String(".jpg")))
            painter.fillRect(50, 0, 50, 60, Qt::blue);
        painter.end();
        const QString imagePath = folder.filePath(name);
        QVERIFY(picture.save(imagePath, name.endsWith(QLatin1String(".jpg")) ? "JPG" : "PNG", 100));

        TestPDF::Extras extras;
        if (page.isValid()) {
            extras.pageTree = QStringLiteral("/MediaBox [0 0 %1 %2]").arg(page.width()).arg(page.height()).toLatin1();
            extras.pages = {"/Note (/MediaBox)", "/Note (/MediaBox)"};
        } else {
            page = QSize(612, 792);
        }
        const QString source = Input(QStringLiteral("img.pdf"), TestPDF::Make(Pages(2), false, extras));
        const QString out = FreshFolder();
        WatermarkThread thread;
        thread.files = QStringList{source};
        thread.mode = ImageWatermark;
        thread.imagePath = imagePath;
        thread.scale = scale;
        thread.position = position;
        thread.unitMode = 0;
        thread.offsetX = 40;
        thread.offsetY = 30;
        thread.outputFolder = out;
        thread.outputNames = QStringLiteral("[FileName]_m");
        thread.start();
        QVERIFY(thread.wait(60000));
        QVERIFY2(thread.GetFailedFiles().isEmpty(), qPrintable(FailedFilesText(QString(), thread.GetFailures())));
        const QString output = out + QStringLiteral("/img_m.pdf");
        QVERIFY(QpdfAccepts(output));
        // The image is written into the document once, whatever the number of pages.
        QCOMPARE(TestPDF::Read(output).count("/Subtype /Image"), 1);

        const QSize size = ImageMarkSize(QSize(100, 60), scale);
        int x = 0;
        int y = 0;
        ImageMarkOrigin(position, page.width(), page.height(), {40, 30}, size.width(), size.height(), x, y);
        for (int number = 1; number <= 2; ++number) {
            const QImage render = Render(output, number, folder.path());
            QCOMPARE(render.size(), page);
            const int top = page.height() - y - size.height();
            const QRgb left = render.pixel(x + size.width() / 4, top + size.height() / 2);
            const QRgb right = render.pixel(x + size.width() * 3 / 4, top + size.height() / 2);
            QVERIFY2(IsColour(left, 255, 0, 0), qPrintable(QString::number(left, 16)));
            if (name.endsWith(QLatin1String(".jpg")))
                QVERIFY(IsColour(right, 0, 0, 255));
            else
                QVERIFY2(IsColour(right, 255, 255, 255), qPrintable(QString::number(right, 16))); // never black
            // Outside the mark the page stays white.
            QVERIFY(IsColour(render.pixel(x + size.width() + 3, top + size.height() / 2), 255, 255, 255));
        }
    }

    // A source that fails leaves nothing in the output folder, and is named with its reason.
    void failuresLeaveNothingBehind()
    {
        const QString source = Input(QStringLiteral("ok.pdf"), TestPDF::Make(Pages(2)));
        const QString broken = Input(QStringLiteral("broken.pdf"), QByteArray("%PDF-1.4\nno pdf here\n"));
        const QString out = FreshFolder();
        PDFWatermarker engine;
        engine.SetFontCatalog(&catalog);

        QList<FailedFile> failed = engine.AddTextWatermark({source, broken}, QStringLiteral("x"), kFont, 12, 0, 2, 0,
                                                           5, 5, out, QStringLiteral("[FileName]"));
        QCOMPARE(FailedPaths(failed), QStringList{broken});
        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden), QStringList{"ok.pdf"});

        // A font the system lacks fails every source before any copy is made; a name is never a
        // path.
        const QString out2 = FreshFolder();
        for (const QString& font : {QStringLiteral("NoSuchFont"), QStringLiteral("../dejavu/DejaVuSans")}) {
            failed = engine.AddTextWatermark({source}, QStringLiteral("x"), font, 12, 0, 2, 0, 5, 5, out2,
                                             QStringLiteral("[FileName]"));
            QCOMPARE(FailedPaths(failed), QStringList{source});
            QVERIFY(failed.first().reason.contains(QStringLiteral("is not among")));
        }
        QVERIFY(QDir(out2).entryList(QDir::Files | QDir::Hidden).isEmpty());

        // A text that draws nothing, and page intervals that name no page, fail before any copy.
        failed = engine.AddTextWatermark({source, broken}, QStringLiteral(" \t"), kFont, 12, 0, 2, 0, 5, 5, out2, "x");
        QCOMPARE(failed.size(), 2);
        QCOMPARE(failed[1].reason, QStringLiteral("the watermark text is empty"));
        failed = engine.AddTextWatermarkToPageIntervals(source, ",,", "x", kFont, 12, 0, 2, 0, 5, 5, out2, "[FileName]");
        QCOMPARE(failed.value(0).reason, QStringLiteral("the page intervals \",,\" name no page"));
        QVERIFY(QDir(out2).entryList(QDir::Files | QDir::Hidden).isEmpty());

        // A file that is no image fails the job's sources.
        WatermarkThread thread;
        thread.files = QStringList{source};
        thread.mode = ImageWatermark;
        thread.imagePath = Input(QStringLiteral("fake.png"), QByteArray("not an image"));
        thread.outputFolder = out2;
        thread.outputNames = QStringLiteral("[FileName]");
        thread.start();
        QVERIFY(thread.wait(30000));
        QCOMPARE(thread.GetFailedFiles(), QStringList{source});
        QVERIFY(thread.GetFailures().first().reason.endsWith(QStringLiteral("is not a JPEG or PNG image")));

        // A name that the system would cut at its NUL fails before any copy is made.
        failed = engine.AddTextWatermark({source}, QStringLiteral("x"), kFont, 12, 0, 2, 0, 5, 5, out2,
                                         QStringLiteral("[FileName]") + QChar(0) + QStringLiteral("x"));
        QCOMPARE(failed.value(0).reason,
                 QStringLiteral("the output \"ok\\x00x.pdf\" holds a NUL character, which no file name may hold"));
        QVERIFY(QDir(out2).entryList(QDir::Files | QDir::Hidden).isEmpty());

        // A folder that does not exist fails every source.
        failed = engine.AddTextWatermark({source}, QStringLiteral("x"), kFont, 12, 0, 2, 0, 5, 5,
                                         out2 + QStringLiteral("/missing"), QStringLiteral("[FileName]"));
        QCOMPARE(FailedPaths(failed), QStringList{source});

        // An output that would be the source itself is refused, and the source is untouched.
        const QByteArray before = TestPDF::Read(source);
        failed = engine.AddTextWatermark({source}, QStringLiteral("x"), kFont, 12, 0, 2, 0, 5, 5, folder.path(),
                                         QStringLiteral("[FileName]"));
        QCOMPARE(FailedPaths(failed), QStringList{source});
        QCOMPARE(TestPDF::Read(source), before);
    }

    // A character the font has no glyph for fails every source before any copy, with the reason
    // that the window gives before a job: each missing character once, in text order, by code
    // point; the digits of page numbers, not the token; a few named of many.
    void textsTheFontCannotShowFailBeforeAnyCopy_data()
    {
        QTest::addColumn<QString>("font");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("characters");
        QTest::newRow("a CJK character") << kFont << "Entwurf \u4e2d draft" << "\"\u4e2d\" (U+4E2D)";
        QTest::newRow("each once, a tab, beyond the BMP")
            << kFont << QString::fromUtf8("\u4e2d\t\u6587\U0001F600\U00010348\u4e2d [PgNo]")
            << QString::fromUtf8("\"\u4e2d\" (U+4E2D), \"\\x09\" (U+0009), \"\u6587\" (U+6587), "
                                 "\"\U00010348\" (U+10348)");
        // The user never typed the digits that the token stands for; digits typed are named as such.
        QTest::newRow("page numbers need digits")
            << "DroidSansFallbackFull" << "\u4e2d\u6587 [PgNo]"
            << "the digits of the page number (\"0\" (U+0030), \"1\" (U+0031), \"2\" (U+0032), \"3\" (U+0033), "
               "\"4\" (U+0034) and 5 more)";
        QTest::newRow("a digit typed beside the token")
            << "DroidSansFallbackFull" << "\u7b2c1\u9875 [PgNo]"
            << "\"1\" (U+0031), \"0\" (U+0030), \"2\" (U+0032), \"3\" (U+0033), \"4\" (U+0034) and 5 more";
        QString many;
        for (uint character = 0x4E00; character < 0x4E00 + 300; ++character)
            many += QString::fromUcs4(&character, 1);
        QTest::newRow("many") << kFont << many
                              << "\"\u4e00\" (U+4E00), \"\u4e01\" (U+4E01), \"\u4e02\" (U+4E02), \"\u4e03\" (U+4E03), "
                                 "\"\u4e04\" (U+4E04) and 295 more";
    }
    void textsTheFontCannotShowFailBeforeAnyCopy()
    {
        QFETCH(QString, font);
        QFETCH(QString, text);
        QFETCH(QString, characters);
        const FontCatalog fonts(QStringList{kFontFolder, QStringLiteral("/usr/share/fonts/truetype/droid")});
        const QString reason = QStringLiteral("The font \"%1\" has no glyph for %2. Please choose another font or "
                                              "change the text.")
                                   .arg(font, characters);
        QCOMPARE(PDFWatermarker::MissingGlyphsReason(fonts, font, text), reason);
        const QString a = Input(QStringLiteral("lacking-a.pdf"), TestPDF::Make(Pages(2)));
        const QString b = Input(QStringLiteral("lacking-b.pdf"), TestPDF::Make(Pages(1)));
        const QString out = FreshFolder();
        PDFWatermarker engine;
        engine.SetFontCatalog(&fonts);
        QList<FailedFile> failed =
            engine.AddTextWatermark({a, b}, text, font, 12, 0, 2, 0, 5, 5, out, QStringLiteral("[FileName]"));
        failed += engine.AddTextWatermarkToPageIntervals(a, QStringLiteral("1"), text, font, 12, 0, 2, 0, 5, 5, out,
                                                         QStringLiteral("[FileName]"));
        QCOMPARE(FailedPaths(failed), (QStringList{a, b, a}));
        for (const FailedFile& file : failed)
            QCOMPARE(file.reason, reason);
        QVERIFY(QDir(out).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }

    // A disk that fills up while the update of a copy is written names the output.
    void aFullDiskNamesTheOutput()
    {
        const QByteArray bytes = TestPDF::Make(Pages(2));
        const QString source = Input(QStringLiteral("full.pdf"), bytes);
        const QString out = FreshFolder();
        PDFWatermarker engine;
        engine.SetFontCatalog(&catalog);
        QList<FailedFile> failed;
        {
            // The copy fits; the update, with its font, does not.
            const FileSizeLimit full(bytes.size() + 100);
            QVERIFY(full.IsSet());
            failed = engine.AddTextWatermark({source}, QStringLiteral("Draft"), kFont, 12, 0, 2, 0, 5, 5, out,
                                             QStringLiteral("[FileName]"));
        }
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed[0].reason, out + QStringLiteral("/full.pdf cannot be written: File too large"));
        QVERIFY(QDir(out).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }

    // An image whose header claims far more pixels than its data holds fails the job's sources
    // before anything decodes it.
    void imagesTooLargeToDecodeFailTheJob_data() { OversizedImage::AddRows(); }
    void imagesTooLargeToDecodeFailTheJob()
    {
        QFETCH(bool, progressive);
        const QString source = Input(QStringLiteral("for-a-large-image.pdf"), TestPDF::Make(Pages(1)));
        const QString image = folder.filePath(QStringLiteral("claims.jpg"));
        QVERIFY(OversizedImage::WriteJpeg(image, progressive));
        WatermarkThread thread;
        thread.files = QStringList{source};
        thread.mode = ImageWatermark;
        thread.imagePath = image;
        thread.outputFolder = FreshFolder();
        thread.outputNames = QStringLiteral("[FileName]");
        thread.start();
        QVERIFY(thread.wait(30000));
        QCOMPARE(thread.GetFailedFiles(), QStringList{source});
        QCOMPARE(thread.GetFailures().first().reason,
                 QStringLiteral("the image %1 is too large: 65500 x 65500 pixels take more than 1 GiB of memory once "
                                "decoded")
                     .arg(image));
        QVERIFY(QDir(thread.outputFolder).entryList(QDir::Files | QDir::Hidden).isEmpty());
        QVERIFY(OversizedImage::PeakMemoryUnder1GB());
    }

    // A font file far larger than any font (a real one followed by gigabytes of zeros, sparse on
    // the disk) in the font folder fails the job with the reason, also where memory could not
    // hold it ("ulimit -v 2000000"), and the program goes on.
    void aFontFileLargerThanAnyFontFailsTheJob()
    {
        if (!VELLORAN_ADDRESS_SPACE_LIMITS)
            QSKIP("AddressSanitizer reserves more address space than the limit leaves");
        const QString fonts = QStandardPaths::writableLocation(QStandardPaths::FontsLocation);
        const QString huge = fonts + QStringLiteral("/Huge.ttf");
        QVERIFY(QDir().mkpath(fonts) && QFile::copy(kFontFolder + QStringLiteral("/DejaVuSans.ttf"), huge));
        QVERIFY(QFile::resize(huge, qint64(3) << 30));
        const FontCatalog home{QStringList{fonts}};
        const QString source = Input(QStringLiteral("for-a-huge-font.pdf"), TestPDF::Make(Pages(1)));
        const QString out = FreshFolder();
        QList<FailedFile> failed;
        {
            const AddressSpaceLimit limit(rlim_t(2000000) * 1024);
            QVERIFY(limit.IsSet());
            PDFWatermarker engine;
            engine.SetFontCatalog(&home);
            failed = engine.AddTextWatermark({source}, QStringLiteral("x"), QStringLiteral("Huge"), 12, 0, 2, 0, 5, 5,
                                             out, QStringLiteral("[FileName]"));
        }
        QFile::remove(huge);
        QCOMPARE(FailedPaths(failed), QStringList{source});
        QCOMPARE(failed.first().reason, QStringLiteral("the font file %1 cannot be loaded: the file holds 3221225472 "
                                                       "bytes, more than any font file (536870912 at most)")
                                            .arg(huge));
        QVERIFY(QDir(out).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }

    // The overwrite question: No keeps the file and is no failure; Yes to All replaces.
    void existingTargetsFollowTheAnswers()
    {
        const QString a = Input(QStringLiteral("a.pdf"), TestPDF::Make(Pages(1)));
        const QString b = Input(QStringLiteral("b.pdf"), TestPDF::Make(Pages(1)));
        const QString out = FreshFolder();
        QVERIFY(TestPDF::Write(out + QStringLiteral("/a.pdf"), "old"));
        QVERIFY(TestPDF::Write(out + QStringLiteral("/b.pdf"), "old"));
        PDFWatermarker engine;
        engine.SetFontCatalog(&catalog);
        int asked = 0;
        int answer = OverwriteDecision::NoToAll;
        connect(&engine, &PDFWatermarker::ShowOverwriteDialog, this, [&](QString) {
            ++asked;
            engine.overwriteDecision.Store(answer);
        });
        QVERIFY(engine.AddTextWatermark({a, b}, QStringLiteral("x"), kFont, 12, 0, 2, 0, 5, 5, out,
                                        QStringLiteral("[FileName]"))
                    .isEmpty());
        QCOMPARE(asked, 1);
        QCOMPARE(TestPDF::Read(out + QStringLiteral("/b.pdf")), QByteArray("old"));
        answer = OverwriteDecision::YesToAll;
        QVERIFY(engine.AddTextWatermark({a, b}, QStringLiteral("x"), kFont, 12, 0, 2, 0, 5, 5, out,
                                        QStringLiteral("[FileName]"))
                    .isEmpty());
        QCOMPARE(asked, 2);
        QVERIFY(QpdfAccepts(out + QStringLiteral("/b.pdf")));
    }

    void geometry()
    {
        // Offsets in percent of the first page, rounded half up.
        const MarkOffsets percent = OffsetsInPoints(UnitPercents, 50, 10, 595, 842);
        QCOMPARE(percent.x, 298);
        QCOMPARE(percent.y, 84);
        QCOMPARE(ImageMarkSize(QSize(301, 101), 50), QSize(151, 51));
        // The ink box of 100 x 12 is placed; the origin lies off it by the side bearing and descent.
        const TextExtent extent{2, -3, 102, 9, 100, 12};
        const struct {
            int position;
            double x, y;
        } text[] = {{0, 10, 842 - 20 - 12}, {1, 595 - 10 - 100, 842 - 20 - 12}, {2, 10, 20}, {3, 485, 20},
                    {4, 247.5, 415}, {5, 247.5, 810}, {6, 247.5, 20}};
        for (const auto& row : text) {
            double x = 0, y = 0;
            TextMarkOrigin(row.position, 595, 842, {10, 20}, extent, x, y);
            QCOMPARE(x, row.x - 2);
            QCOMPARE(y, row.y + 3);
        }
        int ix = 0, iy = 0;
        ImageMarkOrigin(PositionCenter, 595, 842, {10, 20}, 100, 13, ix, iy);
        QCOMPARE(ix, 247);
        QCOMPARE(iy, 414);

        // The preview: A4, Letter landscape, a square page, and the mark of a 100 x 20 text.
        const struct {
            int w, h, mw, mh, position, ox, oy;
            QSize picture;
            QRect mark;
        } previews[] = {
            {595, 842, 100, 20, 2, 50, 50, QSize(141, 200), QRect(12, 184, 23, 4)},
            {792, 612, 0, 0, 2, 0, 0, QSize(200, 154), QRect(1, 153, 0, 0)},
            {500, 500, 100, 50, 4, 0, 0, QSize(200, 200), QRect(80, 90, 40, 20)},
            {500, 500, 100, 50, 1, 10, 10, QSize(200, 200), QRect(155, 3, 40, 20)},
            // Strips keep a picture of one pixel across.
            {14400, 14, 0, 0, 2, 0, 0, QSize(200, 1), QRect(1, 0, 0, 0)},
            {14, 14400, 0, 0, 2, 0, 0, QSize(1, 200), QRect(1, 199, 0, 0)},
        };
        for (const auto& row : previews) {
            const WatermarkPreview preview = PreviewGeometry(row.w, row.h, row.mw, row.mh, row.position, {row.ox, row.oy});
            QVERIFY(preview.valid);
            QCOMPARE(preview.picture, row.picture);
            QCOMPARE(preview.mark, row.mark);
        }
        QVERIFY(!PreviewGeometry(0, 842, 10, 10, 0, {0, 0}).valid);
    }
};

VELLORAN_APP_TEST_MAIN(PDFWatermarkerTest)
#include "PDFWatermarkerTest.moc"
