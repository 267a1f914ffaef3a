// The PDF generation layer under the rich-text exporter: its measures, the mapping of text to the
// standard faces' glyphs, font descriptions, the resolution of JPEG and PNG files, the refusals
// of calls out of order, handle counting and the file a released document leaves (or does not),
// and a document read back by qpdf, pdffonts and pdfimages.

#include "app/create/jagpdf/JagPDF.h"
#include "app/create/jagpdf/StandardText.h"
#include "app/support/AppTestMain.h"
#include "app/support/PDFReaders.h"
#include "pdf/support/JPEGTestSupport.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

using namespace jag::pdf;

namespace {

bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray JPEG(const JPEGTestSupport::JPEGRecipe& recipe)
{
    const std::string bytes = JPEGTestSupport::MakeJPEG(recipe);
    return QByteArray(bytes.data(), static_cast<int>(bytes.size()));
}

std::string Path(const QString& path)
{
    return path.toStdString();
}

// The glyphs as WinAnsi characters, each glyph beyond WinAnsi by its name in brackets.
QString Shown(const StandardGlyphs& glyphs)
{
    QString shown;
    for (StandardGlyph glyph : glyphs)
        shown += StandardFontMetrics::IsExtraGlyph(glyph)
                     ? QLatin1Char('[') + QLatin1String(StandardFontMetrics::ExtraGlyphName(glyph)) + QLatin1Char(']')
                     : QString(QChar::fromLatin1(static_cast<char>(glyph)));
    return shown;
}

} // namespace

class JagPDFLayerTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder;

    QString In(const QString& name) const { return folder.filePath(name); }

private slots:
    void measuresOfTheStandardFonts_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("advance");
        QTest::addColumn<double>("height");
        const QString times = QStringLiteral("standard; name=Times-Roman; size=12; enc=utf-8");
        QTest::newRow("Hello") << times << "Hello" << 26.664 << 14.4;
        QTest::newRow("empty text") << times << "" << 0.0 << 14.4;
        QTest::newRow("space") << times << " " << 3.0 << 14.4;
        // What WinAnsi cannot show is measured as the "?" it is drawn as.
        QTest::newRow("not in WinAnsi") << times << "\u4e2d" << 5.328 << 14.4;
        QTest::newRow("accent and euro") << times << "\u00e9\u20ac" << 11.328 << 14.4;
        QTest::newRow("beyond WinAnsi") << times << "\u0141\u00f3d\u017a" << 24.66 << 14.4;
        QTest::newRow("Times-Bold") << "standard; name=Times-Bold; size=10" << "Hello" << 22.78 << 12.0;
        QTest::newRow("Times-Italic") << "standard; name=Times-Italic; size=20; enc=utf-8" << "Wg" << 26.66 << 24.0;
        QTest::newRow("Times-BoldItalic") << "standard;name=Times-BoldItalic;size=8" << "Ab" << 9.336 << 9.6;
        QTest::newRow("Courier") << "standard; name=Courier; size=10" << "abc de" << 36.0 << 12.0;
        QTest::newRow("Courier-BoldOblique")
            << "standard; name=Courier-BoldOblique; size=36; enc=utf-8" << "\u00c4" << 21.6 << 43.2;
        QTest::newRow("fractional size") << "standard; name=Courier-Oblique; size=10.5" << "ab" << 12.6 << 12.6;
        QTest::newRow("empty description") << "" << "Hello" << 26.664 << 14.4;
    }

    void measuresOfTheStandardFonts()
    {
        QFETCH(QString, description);
        QFETCH(QString, text);
        QFETCH(double, advance);
        QFETCH(double, height);
        Document document = create_file(Path(In("measures.pdf")));
        Font font = document.font_load(description.toStdString());
        QCOMPARE(font.advance(text.toStdString()), advance);
        QCOMPARE(font.height(), height);
    }

    void textBecomesStandardGlyphs_data()
    {
        QTest::addColumn<QByteArray>("utf8");
        QTest::addColumn<QString>("glyphs");
        QTest::newRow("ASCII") << QByteArray("Hello (1) \\ ~") << QString("Hello (1) \\ ~");
        QTest::newRow("Latin-1") << QString("\u00e9\u00df\u00ff\u00a0\u00ad").toUtf8()
                                 << QString::fromLatin1("\xe9\xdf\xff\xa0\xad");
        QTest::newRow("WinAnsi extras") << QString("\u20ac\u201a\u0192\u201e\u2026\u2020\u2021\u02c6\u2030\u0160")
                                               .toUtf8()
                                        << QString::fromLatin1("\x80\x82\x83\x84\x85\x86\x87\x88\x89\x8a");
        QTest::newRow("quotes and dashes") << QString("\u2018\u2019\u201c\u201d\u2022\u2013\u2014\u2122\u0178")
                                                  .toUtf8()
                                           << QString::fromLatin1("\x91\x92\x93\x94\x95\x96\x97\x99\x9f");
        QTest::newRow("spaces") << QString("a\tb\u2028c\u2003d\u3000e").toUtf8() << QString("a b c d e");
        QTest::newRow("letters beyond WinAnsi")
            << QString("\u0141\u00f3d\u017a Dvo\u0159\u00e1k \u015ei\u015fli R\u012bga").toUtf8()
            << QString::fromLatin1("[Lslash]\xf3" "d[zacute] Dvo[rcaron]\xe1k [Scedilla]i[scedilla]li R[imacron]ga");
        // Romanian with comma below and with cedilla alike.
        QTest::newRow("Romanian") << QString("\u0218\u0219\u021a\u021b\u0162\u0163").toUtf8()
                                  << QString("[Scommaaccent][scommaaccent][Tcommaaccent][tcommaaccent]"
                                             "[Tcommaaccent][tcommaaccent]");
        QTest::newRow("signs") << QString("\u2264\u2260\u2212\ufb01").toUtf8()
                               << QString("[lessequal][notequal][minus][fi]");
        QTest::newRow("no standard face has it") << QString("\u4e2d\u0394\u0416\U0001F600\u0001").toUtf8()
                                                 << QString("?????");
        QTest::newRow("malformed UTF-8") << QByteArray("a\xff" "b\xc0\xaf" "c\xe2\x82") << QString("a?b??c??");
        QTest::newRow("surrogate in UTF-8") << QByteArray("\xed\xa0\x80") << QString("???");
    }

    void textBecomesStandardGlyphs()
    {
        QFETCH(QByteArray, utf8);
        QFETCH(QString, glyphs);
        QCOMPARE(Shown(StandardText::FromUTF8(std::string(utf8.constData(), utf8.size()))), glyphs);
    }

    void badFontDescriptionsAreRefused_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<int>("code");
        QTest::newRow("another standard font") << "standard; name=Helvetica; size=12" << int(JAG_ERR_FONT);
        QTest::newRow("no name") << "standard; size=12" << int(JAG_ERR_FONT);
        QTest::newRow("not standard") << "name=Courier; size=12" << int(JAG_ERR_FONT);
        QTest::newRow("other encoding") << "standard; name=Courier; size=12; enc=latin1" << int(JAG_ERR_FONT);
        QTest::newRow("unknown part") << "standard; name=Courier; size=12; file=x.ttf" << int(JAG_ERR_FONT);
        QTest::newRow("size zero") << "standard; name=Courier; size=0" << int(JAG_ERR_INVALID_ARGUMENT);
        QTest::newRow("size negative") << "standard; name=Courier; size=-1" << int(JAG_ERR_INVALID_ARGUMENT);
        QTest::newRow("size not a number") << "standard; name=Courier; size=12pt" << int(JAG_ERR_INVALID_ARGUMENT);
        QTest::newRow("size infinite") << "standard; name=Courier; size=inf" << int(JAG_ERR_INVALID_ARGUMENT);
    }

    void badFontDescriptionsAreRefused()
    {
        QFETCH(QString, description);
        QFETCH(int, code);
        Document document = create_file(Path(In("fonts.pdf")));
        try {
            document.font_load(description.toStdString());
            QFAIL("the description was accepted");
        } catch (const Exception& error) {
            QCOMPARE(int(error.code()), code);
            QVERIFY(!QString::fromUtf8(error.what()).isEmpty());
        }
        QCOMPARE(jag_error_code(), jag_error(code));
    }

    void imageSizesAndResolutions_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<uint>("width");
        QTest::addColumn<uint>("height");
        QTest::addColumn<double>("dpiX");
        QTest::addColumn<double>("dpiY");
        JPEGTestSupport::JPEGRecipe jpeg;
        jpeg.mWidth = 96;
        jpeg.mHeight = 64;
        jpeg.mDensityUnit = 1, jpeg.mXDensity = 300, jpeg.mYDensity = 150;
        QTest::newRow("JPEG per inch") << JPEG(jpeg) << 96u << 64u << 300.0 << 150.0;
        jpeg.mDensityUnit = 2, jpeg.mXDensity = 100, jpeg.mYDensity = 50;
        QTest::newRow("JPEG per centimetre") << JPEG(jpeg) << 96u << 64u << 254.0 << 127.0;
        jpeg.mDensityUnit = 0, jpeg.mXDensity = 1, jpeg.mYDensity = 1;
        QTest::newRow("JPEG aspect only") << JPEG(jpeg) << 96u << 64u << 72.0 << 72.0;
        jpeg.mDensityUnit = 1, jpeg.mXDensity = 0, jpeg.mYDensity = 0;
        QTest::newRow("JPEG density 0") << JPEG(jpeg) << 96u << 64u << 72.0 << 72.0;
        jpeg.mJFIF = false;
        jpeg.mMarkers = {{0xE1, JPEGTestSupport::ExifBlock({})}};
        QTest::newRow("JPEG Exif") << JPEG(jpeg) << 96u << 64u << 300.0 << 300.0;
        jpeg.mMarkers = {{0xED, JPEGTestSupport::PhotoshopBlock(200, 0, 100, 0)}};
        jpeg.mComponents = 1;
        QTest::newRow("JPEG Photoshop, gray") << JPEG(jpeg) << 96u << 64u << 200.0 << 100.0;
        jpeg.mMarkers.clear();
        QTest::newRow("JPEG without resolution") << JPEG(jpeg) << 96u << 64u << 72.0 << 72.0;

        QImage png(40, 30, QImage::Format_ARGB32);
        png.fill(QColor(0, 128, 255, 100));
        png.setDotsPerMeterX(3779); // what the editor's image store writes: 95.9866 dpi
        png.setDotsPerMeterY(7874);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        png.save(&buffer, "PNG");
        QTest::newRow("PNG with pHYs") << bytes << 40u << 30u << 3779 * 0.0254 << 7874 * 0.0254;
        // Qt writes pHYs for any resolution; a file without one is made by removing it.
        const int phys = bytes.indexOf("pHYs") - 4;
        QTest::newRow("PNG without pHYs") << bytes.left(phys) + bytes.mid(phys + 21) << 40u << 30u << 72.0 << 72.0;
    }

    void imageSizesAndResolutions()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(uint, width);
        QFETCH(uint, height);
        QFETCH(double, dpiX);
        QFETCH(double, dpiY);
        QVERIFY(WriteBytes(In("image"), bytes));
        Document document = create_file(Path(In("images.pdf")));
        Image image = document.image_load_file(Path(In("image")));
        QCOMPARE(image.width(), width);
        QCOMPARE(image.height(), height);
        QCOMPARE(image.dpi_x(), dpiX);
        QCOMPARE(image.dpi_y(), dpiY);
    }

    void unreadableImagesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("text") << QByteArray("not an image at all");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("JPEG cut after its start") << QByteArray("\xff\xd8\xff\xe0\x00\x10JFIF", 10);
        QTest::newRow("PNG signature only") << QByteArray("\x89PNG\r\n\x1a\n", 8);
        QTest::newRow("PNG chunk longer than the file")
            << QByteArray("\x89PNG\r\n\x1a\n\x7f\xff\xff\xffIHDR", 16);
        QTest::newRow("PNG of width 0")
            << QByteArray("\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR\x00\x00\x00\x00\x00\x00\x00\x01\x08\x02\x00\x00\x00"
                          "\x00\x00\x00\x00",
                          33);
    }

    void unreadableImagesAreRefused()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(WriteBytes(In("bad"), bytes));
        Document document = create_file(Path(In("bad.pdf")));
        try {
            document.image_load_file(Path(In("bad")));
            QFAIL("the image was accepted");
        } catch (const Exception& error) {
            QCOMPARE(int(error.code()), int(JAG_ERR_IMAGE));
        }
    }

    // Calls out of order, and arguments that cannot be used, are refused without writing.
    void misuseIsRefused_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("code");
        QTest::newRow("text outside a text object") << 0 << int(JAG_ERR_INVALID_STATE);
        QTest::newRow("a second text object") << 1 << int(JAG_ERR_INVALID_STATE);
        QTest::newRow("text without a font") << 2 << int(JAG_ERR_INVALID_STATE);
        QTest::newRow("page end with the text object open") << 3 << int(JAG_ERR_INVALID_STATE);
        QTest::newRow("image inside a text object") << 4 << int(JAG_ERR_INVALID_STATE);
        QTest::newRow("a second page while one is open") << 5 << int(JAG_ERR_INVALID_STATE);
        QTest::newRow("finalize with a page open") << 6 << int(JAG_ERR_INVALID_STATE);
        QTest::newRow("line moved outside a text object") << 7 << int(JAG_ERR_INVALID_STATE);
        QTest::newRow("a page without area") << 8 << int(JAG_ERR_INVALID_ARGUMENT);
        QTest::newRow("a coordinate that is not a number") << 9 << int(JAG_ERR_INVALID_ARGUMENT);
        QTest::newRow("a null text") << 10 << int(JAG_ERR_INVALID_ARGUMENT);
        QTest::newRow("an image of no size") << 11 << int(JAG_ERR_INVALID_ARGUMENT);
        QTest::newRow("a font passed as a canvas") << 12 << int(JAG_ERR_INVALID_HANDLE);
        QTest::newRow("an image format other than 0") << 13 << int(JAG_ERR_INVALID_ARGUMENT);
        QTest::newRow("a canvas of an ended page") << 14 << int(JAG_ERR_INVALID_STATE);
        QTest::newRow("a page handle of an ended page") << 15 << int(JAG_ERR_INVALID_STATE);
    }

    void misuseIsRefused()
    {
        QFETCH(int, step);
        QFETCH(int, code);
        QImage(8, 8, QImage::Format_RGB32).save(In("small.png"));
        const QString path = In("misuse.pdf");
        jag_Document document = jag_create_file(Path(path).c_str(), nullptr);
        QVERIFY(document);
        QCOMPARE(jag_Document_page_start(document, 200, 100), JAG_ERR_OK);
        jag_Page page = jag_Document_page(document);
        jag_Canvas canvas = jag_Page_canvas(page);
        jag_Font font = jag_Document_font_load(document, "standard; name=Courier; size=10");
        jag_Image image = jag_Document_image_load_file(document, Path(In("small.png")).c_str(), 0);
        QVERIFY(page && canvas && font && image);

        jag_error status = JAG_ERR_OK;
        switch (step) {
        case 0:
            status = jag_Canvas_text(canvas, "x");
            break;
        case 1:
            jag_Canvas_text_start(canvas, 10, 10);
            status = jag_Canvas_text_start(canvas, 10, 10);
            break;
        case 2:
            jag_Canvas_text_start(canvas, 10, 10);
            status = jag_Canvas_text(canvas, "x");
            break;
        case 3:
            jag_Canvas_text_start(canvas, 10, 10);
            status = jag_Document_page_end(document);
            break;
        case 4:
            jag_Canvas_text_start(canvas, 10, 10);
            status = jag_Canvas_image(canvas, image, 0, 0);
            break;
        case 5:
            status = jag_Document_page_start(document, 200, 100);
            break;
        case 6:
            status = jag_Document_finalize(document);
            break;
        case 7:
            status = jag_Canvas_text_translate_line(canvas, 0, -12);
            break;
        case 8:
            jag_Document_page_end(document);
            status = jag_Document_page_start(document, 0, 100);
            break;
        case 9:
            jag_Canvas_text_start(canvas, 10, 10);
            status = jag_Canvas_text_translate_line(canvas, qQNaN(), 0);
            break;
        case 10:
            jag_Canvas_text_start(canvas, 10, 10);
            jag_Canvas_text_font(canvas, font);
            status = jag_Canvas_text(canvas, nullptr);
            break;
        case 11:
            status = jag_Canvas_image_sized(canvas, image, 0, 0, 10, 0);
            break;
        case 12:
            status = jag_Canvas_text_start(reinterpret_cast<jag_Canvas>(font), 10, 10);
            break;
        case 13:
            QVERIFY(!jag_Document_image_load_file(document, Path(In("small.png")).c_str(), 1));
            status = jag_error_code();
            break;
        case 14:
            jag_Document_page_end(document);
            jag_Document_page_start(document, 200, 100);
            status = jag_Canvas_text_start(canvas, 10, 10);
            break;
        case 15:
            jag_Document_page_end(document);
            jag_Document_page_start(document, 200, 100);
            QVERIFY(!jag_Page_canvas(page));
            status = jag_error_code();
            break;
        }
        QCOMPARE(status, jag_error(code));
        QCOMPARE(jag_error_code(), jag_error(code));
        QVERIFY(*jag_error_msg() != '\0');

        for (const void* handle : {static_cast<const void*>(image), static_cast<const void*>(font),
                                   static_cast<const void*>(canvas), static_cast<const void*>(page),
                                   static_cast<const void*>(document)})
            QCOMPARE(jag_release(handle), JAG_ERR_OK);
        QVERIFY(!QFile::exists(path));
    }

    void handlesAreCounted()
    {
        const QString path = In("counted.pdf");
        jag_Document document = jag_create_file(Path(path).c_str(), nullptr);
        jag_Font font = jag_Document_font_load(document, "");
        QCOMPARE(jag_addref(document), JAG_ERR_OK);
        QCOMPARE(jag_release(document), JAG_ERR_OK);
        QVERIFY(QFile::exists(path)); // one reference is left
        QCOMPARE(jag_Document_page_start(document, 100, 100), JAG_ERR_OK);

        // The last document reference ends the document: unfinished, its file goes.
        QCOMPARE(jag_release(document), JAG_ERR_OK);
        QVERIFY(!QFile::exists(path));
        QCOMPARE(jag_release(document), JAG_ERR_INVALID_HANDLE);
        QCOMPARE(jag_addref(nullptr), JAG_ERR_INVALID_HANDLE);
        int notAHandle = 0;
        QCOMPARE(jag_release(&notAHandle), JAG_ERR_INVALID_HANDLE);
        // A font outlives its document and still measures.
        QCOMPARE(jag_Font_height(font), 14.4);
        QCOMPARE(jag_error_code(), JAG_ERR_OK);
        QCOMPARE(jag_release(font), JAG_ERR_OK);
    }

    void filesThatCannotBeWritten()
    {
        QVERIFY(!jag_create_file(Path(folder.path()).c_str(), nullptr));
        QCOMPARE(jag_error_code(), JAG_ERR_IO);
        QVERIFY(!jag_create_file(Path(In("missing/folder/x.pdf")).c_str(), nullptr));
        QCOMPARE(jag_error_code(), JAG_ERR_IO);
        QVERIFY(!jag_create_file("", nullptr));
        QCOMPARE(jag_error_code(), JAG_ERR_INVALID_ARGUMENT);
        int profile = 0;
        QVERIFY(!jag_create_file(Path(In("p.pdf")).c_str(), reinterpret_cast<jag_Profile>(&profile)));
        QCOMPARE(jag_error_code(), JAG_ERR_INVALID_ARGUMENT);

        // A document without pages cannot be finalized, and released it leaves nothing.
        const QString path = In("empty.pdf");
        {
            Document document = create_file(Path(path));
            QVERIFY_EXCEPTION_THROWN(document.finalize(), Exception);
            QCOMPARE(jag_error_code(), JAG_ERR_INVALID_STATE);
        }
        QVERIFY(!QFile::exists(path));
    }

    // A finalized document is kept; its pages, text, fonts and images are what other readers see.
    void aDocumentReadBack()
    {
        JPEGTestSupport::JPEGRecipe recipe;
        recipe.mWidth = 160;
        recipe.mHeight = 96;
        recipe.mDensityUnit = 1, recipe.mXDensity = 144, recipe.mYDensity = 144;
        QVERIFY(WriteBytes(In("photo.jpg"), JPEG(recipe)));
        QImage png(50, 20, QImage::Format_Grayscale8);
        png.fill(100);
        QVERIFY(png.save(In("gray.png")));
        QImage transparent(30, 30, QImage::Format_ARGB32);
        transparent.fill(Qt::transparent);
        QVERIFY(transparent.save(In("clear.png")));

        const QString path = In("read back.pdf");
        {
            Document document = create_file(Path(path));
            Font times = document.font_load("standard; name=Times-Roman; size=12; enc=utf-8");
            Font courier = document.font_load("standard; name=Courier-Bold; size=10; enc=utf-8");
            Image photo = document.image_load_file(Path(In("photo.jpg")));
            for (int page = 0; page < 2; ++page) {
                document.page_start(595, 842);
                Canvas canvas = document.page().canvas();
                canvas.text_start(50, 780);
                canvas.text_font(times);
                canvas.text("Hello \u00e9t\u00e9 (page) \\" + std::to_string(page + 1));
                canvas.text_translate_line(0, -14.4);
                canvas.text_font(courier);
                canvas.text("Second line");
                canvas.text_end();
                canvas.image(photo, 100, 500);
                canvas.image(document.image_load_file(Path(In("gray.png"))), 100, 300, 100, 40);
                if (page == 1)
                    canvas.image(document.image_load_file(Path(In("clear.png"))), 300, 300);
                document.page_end();
            }
            document.finalize();
            QVERIFY_EXCEPTION_THROWN(document.page_start(595, 842), Exception);
        }
        QVERIFY(PDFReaders::QpdfAccepts(path));
        QCOMPARE(PDFReaders::PageCount(path), 2);

        QStringList fonts;
        for (const QStringList& row : PDFReaders::FontRows(path))
            fonts << row.mid(0, 7).join(QLatin1Char(' '));
        QCOMPARE(fonts, QStringList({"Times-Roman Type 1 WinAnsi no no no", "Courier-Bold Type 1 WinAnsi no no no"}));

        // Each image file is written once and drawn where asked: the JPEG at its own 144 dpi.
        QList<QStringList> images = PDFReaders::ImageRows(path);
        QCOMPARE(images.size(), 5);
        const QStringList photo = images[0];
        QCOMPARE(photo.mid(0, 9), QStringList({"1", "0", "image", "160", "96", "rgb", "3", "8", "jpeg"}));
        QCOMPARE(photo.mid(12, 2), QStringList({"144", "144"}));
        QCOMPARE(images[1].mid(3, 6), QStringList({"50", "20", "gray", "1", "8", "image"}));
        QCOMPARE(images[1].mid(12, 2), QStringList({"36", "36"}));
        QCOMPARE(images[2][10], photo[10]); // the same objects on page 2
        QCOMPARE(images[3][10], images[1][10]);
        QCOMPARE(images[4].mid(3, 6), QStringList({"30", "30", "rgb", "3", "8", "image"}));

        const QString text = PDFReaders::Run("pdftotext", {"-f", "2", "-l", "2", path, "-"});
        QVERIFY(text.contains(QString::fromUtf8("Hello \u00e9t\u00e9 (page) \\2\nSecond line")));

        // Flattened on white, the transparent image is white.
        const QString render = In("clear");
        PDFReaders::Run("pdftoppm", {"-r", "72", "-f", "2", "-l", "2", "-singlefile", "-png", path, render});
        const QImage page = QImage(render + ".png");
        QCOMPARE(page.pixelColor(315, 842 - 315), QColor(Qt::white));
        QCOMPARE(page.pixelColor(150, 842 - 320).red(), 100); // the gray image
    }
};

VELLORAN_APP_TEST_MAIN(JagPDFLayerTest)
#include "JagPDFLayerTest.moc"
