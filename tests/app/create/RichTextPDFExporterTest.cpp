// The rich-text exporter: line breaking, documents of every kind of paragraph read back by qpdf,
// pdffonts, pdftotext -bbox-layout and pdfimages (words inside the margins and on the lines the
// layout computes, images at their pixel size and resolution, the page counts the layout
// computes), letters beyond WinAnsi drawn and measured as the URW metrics say, WinAnsi text
// written as before, and exports that fail without leaving a file.

#include "app/create/RichTextPDFExporter.h"
#include "app/support/AppTestMain.h"
#include "app/support/PDFReaders.h"
#include "pdf/support/JPEGTestSupport.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextImageFormat>

#include <algorithm>
#include <cmath>

using PDFReaders::Word;

namespace {

const QString scTimes = QStringLiteral("Times New Roman");
const QString scCourier = QStringLiteral("Courier");
// Where poppler puts a Times word's bottom below its baseline, as a part of the size.
const double scTimesDescent = 0.217;

QTextCharFormat Format(const QString& family, int size, bool bold = false, bool italic = false)
{
    QTextCharFormat format;
    format.setFontFamily(family);
    format.setFontPointSize(size);
    format.setFontWeight(bold ? 75 : 10);
    format.setFontItalic(italic);
    return format;
}

// Builds the editor's document paragraph by paragraph, the way the editors' controls do.
class DocumentBuilder {
public:
    explicit DocumentBuilder(QTextEdit& editor) : mCursor(editor.document()) { editor.clear(); }

    DocumentBuilder& Paragraph(Qt::Alignment alignment = Qt::AlignLeft)
    {
        QTextBlockFormat format;
        format.setAlignment(alignment);
        if (mFirst)
            mCursor.setBlockFormat(format);
        else
            mCursor.insertBlock(format);
        mFirst = false;
        return *this;
    }
    DocumentBuilder& Text(const QString& text, const QTextCharFormat& format)
    {
        mCursor.insertText(text, format);
        return *this;
    }
    DocumentBuilder& Image(const QString& path)
    {
        QTextImageFormat format;
        format.setName(path);
        mCursor.insertImage(format);
        return *this;
    }

private:
    QTextCursor mCursor;
    bool mFirst = true;
};

QStringList WordsOf(const QList<Word>& words)
{
    QStringList texts;
    for (const Word& word : words)
        texts << word.text;
    return texts;
}

// Every word box inside the page's margins (a thousandth of a point for poppler's rounding).
bool InsideMargins(const QList<Word>& words, double width, double height, int margin, QString& outside)
{
    const double slack = 0.001;
    for (const Word& word : words) {
        if (word.xMin < margin - slack || word.xMax > width - margin + slack || word.yMin < margin - slack ||
            word.yMax > height - margin + slack) {
            outside = QStringLiteral("%1 on page %2 at %3 %4 %5 %6")
                          .arg(word.text)
                          .arg(word.page)
                          .arg(word.xMin)
                          .arg(word.yMin)
                          .arg(word.xMax)
                          .arg(word.yMax);
            return false;
        }
    }
    return true;
}

// Rendering may smooth a colour by a step or two.
bool Near(const QColor& colour, const QColor& expected)
{
    return std::abs(colour.red() - expected.red()) <= 2 && std::abs(colour.green() - expected.green()) <= 2 &&
           std::abs(colour.blue() - expected.blue()) <= 2;
}

bool SaveJPEG(const QString& path, int width, int height, int dotsPerInch)
{
    JPEGTestSupport::JPEGRecipe recipe;
    recipe.mWidth = width;
    recipe.mHeight = height;
    recipe.mDensityUnit = 1;
    recipe.mXDensity = recipe.mYDensity = dotsPerInch;
    const std::string bytes = JPEGTestSupport::MakeJPEG(recipe);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
}

bool SavePNG(const QString& path, int width, int height, QColor colour, int dotsPerMetre = 0)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    if (dotsPerMetre > 0) {
        image.setDotsPerMeterX(dotsPerMetre);
        image.setDotsPerMeterY(dotsPerMetre);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return false;
    if (dotsPerMetre == 0) { // no pHYs chunk at all
        const int phys = bytes.indexOf("pHYs") - 4;
        bytes = bytes.left(phys) + bytes.mid(phys + 21);
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Every font dictionary whose encoding names glyphs in Differences, as qpdf reads it, has the
// widths of the URW metrics files for those glyphs and the ASCII letters. The number of such
// dictionaries; -1 when a width differs.
int DifferencesFontsWithAFMWidths(const QString& path)
{
    const QMap<QString, QString> urw = {{"/Times-Roman", "NimbusRoman-Regular"},
                                        {"/Times-BoldItalic", "NimbusRoman-BoldItalic"},
                                        {"/Courier-BoldOblique", "NimbusMonoPS-BoldItalic"}};
    const QJsonObject objects = QJsonDocument::fromJson(PDFReaders::Run("qpdf", {"--json=2", "--json-key=qpdf", path})
                                                            .toUtf8())["qpdf"][1].toObject();
    int fonts = 0;
    for (const QJsonValue& object : objects) {
        const QJsonObject font = object["value"].toObject();
        QMap<int, QString> names;
        int code = 0;
        for (const QJsonValue& entry : font["/Encoding"]["/Differences"].toArray()) {
            if (entry.isDouble())
                code = entry.toInt();
            else
                names.insert(code++, entry.toString().mid(1));
        }
        if (names.isEmpty())
            continue;
        for (char letter = 'A'; letter <= 'z'; ++letter)
            if (QChar(letter).isLetter())
                names.insert(letter, QString(letter));
        QFile afm("/usr/share/fonts/type1/urw-base35/" + urw.value(font["/BaseFont"].toString()) + ".afm");
        const QString metrics = afm.open(QIODevice::ReadOnly) ? QString::fromLatin1(afm.readAll()) : QString();
        for (auto name = names.cbegin(); name != names.cend(); ++name) {
            const QRegularExpressionMatch width = QRegularExpression("WX (\\d+) ; N " + name.value() + " ;").match(metrics);
            if (!width.hasMatch() ||
                font["/Widths"][name.key() - font["/FirstChar"].toInt()].toInt() != width.captured(1).toInt())
                return -1;
        }
        ++fonts;
    }
    return fonts;
}

// The SHA-256 of a file's bytes without its document ID, which is new for every file.
QByteArray DigestWithoutID(const QString& path)
{
    QFile file(path);
    QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    const int start = bytes.lastIndexOf("/ID [");
    bytes.replace(start, bytes.indexOf(']', start) + 1 - start, "/ID []");
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

} // namespace

Q_DECLARE_METATYPE(QTextCharFormat)

class RichTextPDFExporterTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder;
    QTextEdit editor;
    RichTextPDFExporter exporter;

    QString In(const QString& name) const { return folder.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(folder.isValid());
        QVERIFY(SaveJPEG(In("photo.jpg"), 300, 150, 150));
        QVERIFY(SavePNG(In("chart.png"), 200, 100, QColor(255, 0, 0, 128), 3779));
        QVERIFY(SavePNG(In("tall.png"), 100, 2000, Qt::red));
        QVERIFY(SaveJPEG(In("wide.jpg"), 992, 96, 0));
    }

    // Line breaking in Courier at 10 points: 6 points a character, the space too.
    void wrapTextToWidth_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("offset");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("words") << "aaa bbb ccc" << 0.0 << QStringList({"aaa bbb ", "ccc"});
        QTest::newRow("two spaces keep an empty word") << "aa  bb" << 0.0 << QStringList({"aa  bb"});
        QTest::newRow("offset") << "aaa bbb" << 30.0 << QStringList({"aaa ", "bbb"});
        QTest::newRow("first word does not fit after the offset")
            << "aaa b" << 50.0 << QStringList({"", "aaa b"});
        QTest::newRow("word filling the line") << "aaaaaaaaaa b" << 0.0 << QStringList({"aaaaaaaaaa ", "b"});
        QTest::newRow("word wider than the line") << "abcdefghijklmnopqrstuvwxy"
                                                  << 0.0 << QStringList({"abcdefghij", "klmnopqrst", "uvwxy"});
        QTest::newRow("wide word after another") << "ab abcdefghijklmn c" << 0.0
                                                 << QStringList({"ab ", "abcdefghij", "klmn c"});
        QTest::newRow("empty") << "" << 0.0 << QStringList();
    }

    void wrapTextToWidth()
    {
        QFETCH(QString, text);
        QFETCH(double, offset);
        QFETCH(QStringList, lines);
        jag::pdf::Document document = jag::pdf::create_file(In("wrap.pdf").toStdString());
        jag::pdf::Font font = exporter.BuildStandardFontSpec(document, Format(scCourier, 10));
        QCOMPARE(exporter.WrapTextToWidth(font, text, 60, offset), lines);
    }

    void standardFontOfAFormat_data()
    {
        QTest::addColumn<QTextCharFormat>("format");
        QTest::addColumn<double>("advance"); // of "Hello"
        QTest::addColumn<double>("height");
        QTest::newRow("Times") << Format(scTimes, 12) << 26.664 << 14.4;
        QTest::newRow("Times bold italic") << Format(scTimes, 10, true, true) << 22.78 << 12.0;
        QTest::newRow("Courier bold") << Format(scCourier, 20, true) << 60.0 << 24.0;
        QTextCharFormat halfBold = Format(scTimes, 10);
        halfBold.setFontWeight(63); // only 75 is bold
        QTest::newRow("weight 63") << halfBold << 22.22 << 12.0;
        QTest::newRow("other family") << Format(QStringLiteral("Arial"), 30, true) << 26.664 << 14.4;
        QTextCharFormat pixels;
        pixels.setFontFamily(scCourier);
        pixels.setProperty(QTextFormat::FontPixelSize, 16); // pasted HTML
        QTest::newRow("size in pixels") << pixels << 36.0 << 14.4;
    }

    void standardFontOfAFormat()
    {
        QFETCH(QTextCharFormat, format);
        QFETCH(double, advance);
        QFETCH(double, height);
        jag::pdf::Document document = jag::pdf::create_file(In("fonts.pdf").toStdString());
        jag::pdf::Font font = exporter.BuildStandardFontSpec(document, format);
        QCOMPARE(font.advance("Hello"), advance);
        QCOMPARE(font.height(), height);
    }

    // Paragraphs of every kind on A4 and Letter: the file is sound, uses the standard fonts
    // unembedded, and every word is there and inside the margins.
    void everyKindOfParagraph_data()
    {
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("height");
        QTest::addColumn<int>("margin");
        QTest::newRow("A4, 50") << 595.0 << 842.0 << 50;
        QTest::newRow("Letter, 99") << 612.0 << 792.0 << 99;
        QTest::newRow("A4, 0") << 595.0 << 842.0 << 0;
    }

    void everyKindOfParagraph()
    {
        QFETCH(double, width);
        QFETCH(double, height);
        QFETCH(int, margin);
        const QString sentence = QStringLiteral("The quick brown fox (jumps) over the lazy dog, gypsy quay %1.");
        const Qt::Alignment alignments[] = {Qt::AlignLeft,         Qt::AlignCenter,        Qt::AlignRight,
                                            Qt::AlignHCenter,      Qt::AlignRight | Qt::AlignAbsolute,
                                            Qt::AlignJustify,      Qt::AlignLeft | Qt::AlignAbsolute};
        const int sizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 24, 28, 32, 36};
        DocumentBuilder builder(editor);
        QStringList expected;
        for (int index = 0; index < 60; ++index) {
            const QString family = index % 2 ? scCourier : scTimes;
            const QTextCharFormat format = Format(family, sizes[index % 13], index % 3 == 1, index % 4 >= 2);
            const QString text = sentence.arg(index).repeated(1 + index % 4);
            builder.Paragraph(alignments[index % 7]).Text(text, format);
            // A second fragment in the other font continues the paragraph's last line.
            if (index % 5 == 0)
                builder.Text(QStringLiteral(" and more"), Format(index % 2 ? scTimes : scCourier, 12));
            expected << text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (index % 5 == 0)
                expected << "and" << "more";
            if (index % 10 == 3)
                builder.Paragraph(alignments[index % 7]).Image(In(index % 20 == 3 ? "photo.jpg" : "chart.png"));
            if (index % 10 == 7)
                builder.Paragraph(); // empty
        }
        const QString path = In("every kind.pdf");
        QVERIFY(exporter.ExportDocumentToPDF(path, &editor, width, height, margin));

        QVERIFY(PDFReaders::QpdfAccepts(path));
        QStringList fonts;
        for (const QStringList& row : PDFReaders::FontRows(path))
            if (!fonts.contains(row[0]) && row.mid(1, 6) == QStringList({"Type", "1", "WinAnsi", "no", "no", "no"}))
                fonts << row[0];
        fonts.sort();
        QCOMPARE(fonts, QStringList({"Courier", "Courier-Bold", "Courier-BoldOblique", "Courier-Oblique",
                                     "Times-Bold", "Times-BoldItalic", "Times-Italic", "Times-Roman"}));

        const QList<Word> words = PDFReaders::Words(path);
        QString outside;
        QVERIFY2(InsideMargins(words, width, height, margin, outside), qPrintable(outside));
        QStringList found = WordsOf(words);
        found.sort();
        expected.sort();
        QCOMPARE(found, expected);
        QCOMPARE(PDFReaders::ImageRows(path).size(), 6);
    }

    // Single-line paragraphs: each line as high as its font (1.2 x size), the baseline 0.96 x
    // size below the line's top; left, centred and right by their alignment.
    void linesWhereTheLayoutPutsThem()
    {
        struct Line {
            QString family;
            int size;
            Qt::Alignment alignment;
        };
        const QList<Line> lines = {{scTimes, 12, Qt::AlignLeft},   {scTimes, 36, Qt::AlignCenter},
                                   {scCourier, 10, Qt::AlignRight}, {scTimes, 8, Qt::AlignJustify},
                                   {scCourier, 24, Qt::AlignLeft},  {scTimes, 20, Qt::AlignRight}};
        DocumentBuilder builder(editor);
        for (const Line& line : lines)
            builder.Paragraph(line.alignment).Text(QStringLiteral("Word gap"), Format(line.family, line.size));
        const int margin = 40;
        const QString path = In("lines.pdf");
        QVERIFY(exporter.ExportDocumentToPDF(path, &editor, 612, 792, margin));

        const QList<Word> words = PDFReaders::Words(path);
        QCOMPARE(words.size(), 2 * lines.size());
        double top = margin;
        for (int index = 0; index < lines.size(); ++index) {
            const Line& line = lines[index];
            const Word& first = words[2 * index];
            const Word& last = words[2 * index + 1];
            QCOMPARE(first.text + last.text, QStringLiteral("Wordgap"));
            // Inside its own line, and Times exactly on its baseline.
            QVERIFY(first.yMin >= top && first.yMax <= top + 1.2 * line.size);
            if (line.family == scTimes)
                QVERIFY(std::abs(first.yMax - (top + 0.96 * line.size + scTimesDescent * line.size)) < 0.01);
            if (line.alignment == Qt::AlignCenter)
                QVERIFY(std::abs((first.xMin + last.xMax) / 2 - 612.0 / 2) <= 1);
            else if (line.alignment == Qt::AlignRight)
                QVERIFY(last.xMax <= 612 - margin && last.xMax > 612 - margin - 1);
            else
                QCOMPARE(first.xMin, double(margin));
            top += 1.2 * line.size;
        }
    }

    // A line of several sizes is as high as its tallest font, and its words share one baseline.
    void aLineOfSeveralSizes()
    {
        DocumentBuilder(editor)
            .Paragraph()
            .Text(QStringLiteral("small "), Format(scTimes, 10))
            .Text(QStringLiteral("Tall"), Format(scTimes, 30))
            .Paragraph()
            .Text(QStringLiteral("next"), Format(scTimes, 10));
        const QString path = In("sizes.pdf");
        QVERIFY(exporter.ExportDocumentToPDF(path, &editor, 595, 842, 50));
        QMap<QString, Word> words;
        for (const Word& word : PDFReaders::Words(path))
            words.insert(word.text, word);
        QCOMPARE(words.keys(), QStringList({"Tall", "next", "small"}));
        const double baseline = 50 + 0.8 * 36;
        QVERIFY(std::abs(words["small"].yMax - (baseline + scTimesDescent * 10)) < 0.01);
        QVERIFY(std::abs(words["Tall"].yMax - (baseline + scTimesDescent * 30)) < 0.01);
        QVERIFY(words["next"].yMin >= 50 + 36);
    }

    void pageCounts_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("words");
        // 742 points of room: 51 lines of Times at 12 points a page (51 x 14.4 = 734.4).
        QTest::newRow("200 one-line paragraphs") << 0 << 4 << 200;
        // Courier 10: 16 words of "abcd" a line, 100 lines, 61 lines of 12 points a page.
        QTest::newRow("one paragraph of 100 lines") << 1 << 2 << 1600;
        // 55 lines, then a paragraph of 10 that fits on a page: it starts page 2 whole.
        QTest::newRow("a paragraph kept whole") << 2 << 2 << 65;
        QTest::newRow("empty paragraphs only") << 3 << 1 << 0;
        // An image of 2000 points, scaled to the page's room, after a line of text.
        QTest::newRow("a tall image") << 4 << 3 << 2;
        // The empty line after an image that fills its page starts no page of its own.
        QTest::newRow("a tall image last") << 5 << 2 << 1;
    }

    void pageCounts()
    {
        QFETCH(int, kind);
        QFETCH(int, pages);
        QFETCH(int, words);
        DocumentBuilder builder(editor);
        switch (kind) {
        case 0:
            for (int line = 0; line < 200; ++line)
                builder.Paragraph().Text(QStringLiteral("line%1").arg(line), Format(scTimes, 12));
            break;
        case 1:
            builder.Paragraph().Text(QStringLiteral("abcd ").repeated(1600).trimmed(),
                                     Format(scCourier, 10));
            break;
        case 2:
            for (int line = 0; line < 55; ++line)
                builder.Paragraph().Text(QStringLiteral("line%1").arg(line), Format(scCourier, 10));
            builder.Paragraph().Text((QStringLiteral("k") + QString(74, 'x') + ' ').repeated(10).trimmed(),
                                     Format(scCourier, 10));
            break;
        case 3:
            for (int line = 0; line < 100; ++line)
                builder.Paragraph();
            break;
        case 4:
            builder.Paragraph().Text(QStringLiteral("before"), Format(scTimes, 12));
            builder.Paragraph().Image(In("tall.png"));
            builder.Paragraph().Text(QStringLiteral("after"), Format(scTimes, 12));
            break;
        case 5:
            builder.Paragraph().Text(QStringLiteral("before"), Format(scTimes, 12));
            builder.Paragraph().Image(In("tall.png"));
            break;
        }
        const QString path = In("pages.pdf");
        QVERIFY(exporter.ExportDocumentToPDF(path, &editor, 595, 842, 50));
        QVERIFY(PDFReaders::QpdfAccepts(path));
        QCOMPARE(PDFReaders::PageCount(path), pages);
        const QList<Word> found = PDFReaders::Words(path);
        QCOMPARE(found.size(), words);
        QString outside;
        QVERIFY2(InsideMargins(found, 595, 842, 50, outside), qPrintable(outside));
        if (kind == 2) {
            QCOMPARE(found[54].page, 1);
            QCOMPARE(found[55].page, 2);
        }
        if (kind == 4)
            QCOMPARE(found.last().page, 3);
    }

    // Images keep their pixels and their resolution, unless they had to be scaled to fit.
    void imagesAtTheirSizeAndResolution()
    {
        QVERIFY(SaveJPEG(In("no resolution.jpg"), 64, 48, 0));
        DocumentBuilder(editor)
            .Paragraph(Qt::AlignCenter)
            .Image(In("photo.jpg"))
            .Paragraph(Qt::AlignRight)
            .Image(In("chart.png"))
            .Paragraph()
            .Image(In("no resolution.jpg"))
            .Paragraph(Qt::AlignCenter)
            .Image(In("wide.jpg"))
            .Paragraph(Qt::AlignCenter)
            .Image(In("tall.png"));
        const QString path = In("images.pdf");
        QVERIFY(exporter.ExportDocumentToPDF(path, &editor, 595, 842, 50));
        QVERIFY(PDFReaders::QpdfAccepts(path));
        QList<QStringList> rows;
        for (const QStringList& row : PDFReaders::ImageRows(path))
            rows << (QStringList() << row[0] << row.mid(3, 3) << row[8] << row.mid(12, 2));
        QCOMPARE(rows, QList<QStringList>({{"1", "300", "150", "rgb", "jpeg", "150", "150"},
                                           {"1", "200", "100", "rgb", "image", "96", "96"},
                                           {"1", "64", "48", "rgb", "jpeg", "72", "72"},
                                           // 992 points into the 495 of the text width
                                           {"1", "992", "96", "rgb", "jpeg", "144", "144"},
                                           // 2000 points into the 742 of a page's room
                                           {"2", "100", "2000", "rgb", "image", "194", "194"}}));

        // The tall image fills page 2 from margin to margin, centred; the PNG is flattened on white.
        const QString render = In("page");
        PDFReaders::Run("pdftoppm", {"-r", "72", "-png", path, render});
        const QImage second(render + "-2.png");
        QVERIFY(Near(second.pixelColor(297, 51), Qt::red));
        QVERIFY(Near(second.pixelColor(297, 790), Qt::red));
        QVERIFY(Near(second.pixelColor(297, 48), Qt::white));
        QVERIFY(Near(second.pixelColor(297, 794), Qt::white));
        const QImage first(render + "-1.png");
        QVERIFY(Near(first.pixelColor(545 - 100, 50 + 113 + 37), QColor(255, 127, 127)));
    }

    // Text that WinAnsi cannot show comes out as "?"; the rest keeps its accents and signs.
    void charactersOutsideWinAnsi()
    {
        DocumentBuilder(editor)
            .Paragraph()
            .Text(QString::fromUtf8("Caf\u00e9 \u20ac5 \u2013 \u4e2d\u6587 \u201cok\u201d"), Format(scTimes, 12));
        const QString path = In("characters.pdf");
        QVERIFY(exporter.ExportDocumentToPDF(path, &editor, 595, 842, 50));
        QCOMPARE(WordsOf(PDFReaders::Words(path)),
                 QStringList({QString::fromUtf8("Caf\u00e9"), QString::fromUtf8("\u20ac5"), QString::fromUtf8("\u2013"),
                              "??", QString::fromUtf8("\u201cok\u201d")}));
    }

    // The letters the standard faces have beyond WinAnsi: read back by pdftotext, each drawn by
    // pdftoppm with a glyph of its own, right-aligned by their widths, and the widths in the font
    // dictionaries those of the URW metrics files.
    void lettersBeyondWinAnsi_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QTextCharFormat>("format");
        const QStringList words = {QString::fromUtf8("\u0141\u00f3d\u017a"), QString::fromUtf8("Dvo\u0159\u00e1k"),
                                   QString::fromUtf8("Gy\u0151r"), QString::fromUtf8("\u015ei\u015fli"),
                                   QString::fromUtf8("Krak\u00f3w"), QString::fromUtf8("Tallinn\u2013R\u012bga")};
        for (const QString& word : words)
            QTest::newRow(qPrintable(word)) << word << Format(scTimes, 24);
        QTest::newRow("all, Courier bold oblique") << words.join(' ') << Format(scCourier, 14, true, true);
        QTest::newRow("all, Times bold italic") << words.join(' ') << Format(scTimes, 20, true, true);
    }

    void lettersBeyondWinAnsi()
    {
        QFETCH(QString, text);
        QFETCH(QTextCharFormat, format);
        DocumentBuilder builder(editor);
        builder.Paragraph(Qt::AlignRight).Text(text, format);
        QStringList letters;
        for (const QChar letter : text)
            if (letter.unicode() > 0xff && letter.isLetter() && !letters.contains(letter))
                letters << letter;
        for (const QString& letter : letters)
            builder.Paragraph().Text(letter, format);
        const QString path = In("letters.pdf");
        QVERIFY(exporter.ExportDocumentToPDF(path, &editor, 595, 842, 50));
        QVERIFY(PDFReaders::QpdfAccepts(path));

        const QList<Word> words = PDFReaders::Words(path);
        QCOMPARE(WordsOf(words), text.split(' ') + letters);
        const Word& last = words[text.count(' ')];
        QVERIFY2(last.xMax <= 545 && last.xMax > 544, qPrintable(QString::number(last.xMax)));
        const QString render = In("letters");
        PDFReaders::Run("pdftoppm", {"-r", "144", "-singlefile", "-png", path, render});
        const QImage page(render + ".png");
        for (const Word& letter : words.mid(words.size() - letters.size())) {
            int ink = 0;
            for (int y = int(2 * letter.yMin); y < int(2 * letter.yMax); ++y)
                for (int x = int(2 * letter.xMin); x < int(2 * letter.xMax); ++x)
                    ink += qGray(page.pixel(x, y)) < 128;
            QVERIFY2(ink > 20, qPrintable(letter.text));
        }

        // Text that WinAnsi covers ("Krak\u00f3w") needs no other dictionary.
        QCOMPARE(DifferencesFontsWithAFMWidths(path), letters.isEmpty() ? 0 : 1);
    }

    // Text that WinAnsi covers is laid out and written as it was before the faces showed more:
    // the same bytes but for the document ID.
    void winAnsiTextAsBefore()
    {
        DocumentBuilder builder(editor);
        const Qt::Alignment alignments[] = {Qt::AlignLeft, Qt::AlignCenter, Qt::AlignRight};
        for (int index = 0; index < 6; ++index)
            builder.Paragraph(alignments[index % 3])
                .Text(QString::fromUtf8("Caf\u00e9 cr\u00e8me, na\u00efve \u201cquotes\u201d \u2013 \u20ac12 and more "
                                        "words to wrap the line ")
                          .repeated(1 + index % 2),
                      Format(index % 2 ? scCourier : scTimes, 10 + 2 * index, index % 3 == 1, index >= 3));
        const QString path = In("winansi.pdf");
        QVERIFY(exporter.ExportDocumentToPDF(path, &editor, 595, 842, 50));
        QCOMPARE(DigestWithoutID(path), QByteArray("ace525752c34d8951431324e091a4e6ec30570bb4696a7a3d151377255b9de99"));
    }

    // Whatever fails, the caller hears of it and no file is left.
    void failuresLeaveNoFile_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("missing image") << 0;
        QTest::newRow("image that is not one") << 1;
        QTest::newRow("folder that does not exist") << 2;
        QTest::newRow("margin larger than the page") << 3;
        QTest::newRow("no editor") << 4;
    }

    void failuresLeaveNoFile()
    {
        QFETCH(int, kind);
        QFile notAnImage(In("not an image.png"));
        QVERIFY(notAnImage.open(QIODevice::WriteOnly) && notAnImage.write("text") == 4);
        notAnImage.close();
        DocumentBuilder builder(editor);
        builder.Paragraph().Text(QStringLiteral("Some text"), Format(scTimes, 12));
        if (kind == 0)
            builder.Paragraph().Image(In("gone.png"));
        if (kind == 1)
            builder.Paragraph().Image(In("not an image.png"));
        QString path = In("failed.pdf");
        if (kind == 2)
            path = In("no such folder/failed.pdf");
        QVERIFY(!exporter.ExportDocumentToPDF(path, kind == 4 ? nullptr : &editor, 595, 842, kind == 3 ? 300 : 50));
        QVERIFY(!QFile::exists(path));
    }

    void anExistingFileIsReplaced()
    {
        const QString path = In("replaced.pdf");
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old content") == 11);
        old.close();
        DocumentBuilder(editor).Paragraph().Text(QStringLiteral("new"), Format(scTimes, 12));
        QVERIFY(exporter.ExportDocumentToPDF(path, &editor, 595, 842, 50));
        QVERIFY(PDFReaders::QpdfAccepts(path));
        // A target that is a folder is refused and the folder stays.
        QVERIFY(QDir(folder.path()).mkdir("a folder"));
        QVERIFY(!exporter.ExportDocumentToPDF(In("a folder"), &editor, 595, 842, 50));
        QVERIFY(QFileInfo(In("a folder")).isDir());
        // A target that is one of the document's images (by another spelling) is left alone.
        DocumentBuilder(editor).Paragraph().Image(In("photo.jpg"));
        const QByteArray photo = [&] {
            QFile file(In("photo.jpg"));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }();
        QVERIFY(!exporter.ExportDocumentToPDF(In("a folder/../photo.jpg"), &editor, 595, 842, 50));
        QFile kept(In("photo.jpg"));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), photo);
    }
};

VELLORAN_APP_TEST_MAIN(RichTextPDFExporterTest)
#include "RichTextPDFExporterTest.moc"
