// Where a watermark lands on pages of every shape: boxes away from the origin or with negative
// corners, crops inside and partly outside the MediaBox, rotations of the page and of the page
// tree, box numbers by reference, boxes that do not read, and a document whose pages differ. Judged by other readers,
// never by the engine's geometry: pdftoppm's render of each shown page (the pixels the mark
// changed must sit whole at the chosen place, an image upright), mupdf's direction of the mark's
// text line, and qpdf's check and view of the written forms. A text's ink keeps the offsets.

#include "app/support/AppTestMain.h"
#include "app/support/ExternalReaders.h"
#include "app/support/PageRenders.h"
#include "app/support/TestPDF.h"
#include "app/FontCatalog.h"
#include "app/tools/watermark/PDFWatermarker.h"

#include <QDir>
#include <QHash>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QRawFont>
#include <QVector>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>
#include <iterator>

using namespace ExternalReaders;
using namespace PageRenders;

namespace {

const QString kFontFolder = QStringLiteral("/usr/share/fonts/truetype/dejavu");
const QString kFont = QStringLiteral("DejaVuSans");
const int kTextSize = 20;
const QSize kImagePixels(80, 40);
const int kSlack = 2; // pixels at 72 dpi, one pixel a point

struct Shape {
    const char* name;
    QByteArray pageTree;
    QList<QByteArray> pages;   // each page's own entries
    QList<QByteArray> objects; // numbered from 3, for values given by reference
    QList<QSize> shown;        // each page's area as a reader shows it, in points
    QList<bool> upright;       // at the origin and unturned: the form needs no matrix
};

const QList<QByteArray> kUnreadableBoxes{"", "/MediaBox [0 0 300]", "/MediaBox /Letter",
                                         "/MediaBox [(0) (0) (300) (400)]", "/MediaBox [0 0 0 0]"};

const QList<Shape>& Shapes()
{
    static const QList<Shape> shapes{
        {"uniform Letter", "", {"/MediaBox [0 0 612 792]", "/MediaBox [0 0 612 792]"}, {},
         {QSize(612, 792), QSize(612, 792)}, {true, true}},
        {"small landscape", "", {"/MediaBox [0 0 300 120]"}, {}, {QSize(300, 120)}, {true}},
        // The crop tool's top right quarter of A4.
        {"cropped A4", "", {"/MediaBox [298 421 595 842]"}, {}, {QSize(297, 421)}, {false}},
        {"negative corners", "", {"/MediaBox [-300 -200 100 150]"}, {}, {QSize(400, 350)}, {false}},
        {"CropBox inside", "", {"/MediaBox [0 0 612 792] /CropBox [100 150 500 600]"}, {}, {QSize(400, 450)},
         {false}},
        {"CropBox partly outside", "", {"/MediaBox [0 0 400 500] /CropBox [200 -100 600 300]"}, {},
         {QSize(200, 300)}, {false}},
        {"Rotate 90", "", {"/MediaBox [20 30 320 530] /Rotate 90"}, {}, {QSize(500, 300)}, {false}},
        {"Rotate 180 with a crop", "", {"/MediaBox [0 0 612 792] /CropBox [50 100 450 400] /Rotate 180"}, {},
         {QSize(400, 300)}, {false}},
        {"Rotate 270 and MediaBox inherited", "/Rotate 270 /MediaBox [10 20 410 320]", {""}, {}, {QSize(300, 400)},
         {false}},
        {"MediaBox numbers by reference", "", {"/MediaBox [3 0 R 4 0 R 5 0 R 6 0 R]"}, {"50", "60", "450", "360"},
         {QSize(400, 300)}, {false}},
        // The first page turned, so that percents count from its turned size.
        {"mixed pages", "",
         {"/MediaBox [0 0 250 450] /Rotate 90", "/MediaBox [0 0 612 792]",
          "/MediaBox [0 0 612 792] /CropBox [306 0 612 396] /Rotate -90"},
         {}, {QSize(450, 250), QSize(612, 792), QSize(396, 306)}, {false, true, false}},
        // MediaBoxes that do not read (none, three numbers, a name, strings, four zeros): readers
        // take the page tree's, else Letter.
        {"unreadable boxes under a tree box", "/MediaBox [0 0 400 500]", kUnreadableBoxes, {},
         QVector<QSize>(kUnreadableBoxes.size(), QSize(400, 500)).toList(), QVector<bool>(kUnreadableBoxes.size(), true).toList()},
        {"unreadable boxes alone", "", kUnreadableBoxes, {}, QVector<QSize>(kUnreadableBoxes.size(), QSize(612, 792)).toList(),
         QVector<bool>(kUnreadableBoxes.size(), true).toList()},
    };
    return shapes;
}

struct Place {
    const char* name;
    int position;
    int unit;
    int x;
    int y;
};

// A text of capitals (its ink starts at the baseline, close to the text's origin), or the JPEG
// at 72 dpi as the watermark thread makes it: one pixel a point.
const char* const kKinds[] = {"text", "image"};
const char* const kText = "WATERMARK";

const Place kPlaces[] = {
    {"center", 4, 0, 20, 10},
    {"top right", 1, 0, 20, 10},
    {"bottom left", 2, 0, 20, 10},
    {"top right in percent", 1, 1, 4, 4},
};

// Each page draws a grey sheet under all it may show; objects from 3 on are the shape's, then
// each page and its content.
QByteArray MakePDF(const Shape& shape)
{
    const int first = 3 + shape.objects.size();
    QByteArray kids;
    for (int i = 0; i < shape.pages.size(); ++i)
        kids += QByteArray::number(first + 2 * i) + " 0 R ";
    QList<QByteArray> bodies{"<< /Type /Catalog /Pages 2 0 R >>",
                             "<< /Type /Pages /Kids [ " + kids + "] /Count " + QByteArray::number(shape.pages.size()) +
                                 " " + shape.pageTree + " >>"};
    bodies << shape.objects;
    const QByteArray content = "0.85 g -1000 -1000 3000 3000 re f";
    for (int i = 0; i < shape.pages.size(); ++i) {
        bodies << "<< /Type /Page /Parent 2 0 R " + shape.pages[i] + " /Contents " +
                      QByteArray::number(first + 2 * i + 1) + " 0 R >>";
        bodies << "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content + "\nendstream";
    }
    return TestPDF::Assemble(bodies);
}

bool IsColour(QRgb pixel, QColor colour)
{
    return qAbs(qRed(pixel) - colour.red()) < 60 && qAbs(qGreen(pixel) - colour.green()) < 60 &&
           qAbs(qBlue(pixel) - colour.blue()) < 60;
}

// The ink of the text in the font file at the size, as Qt lays it out (a point a pixel).
QSize TextInk(const QString& text)
{
    const QRawFont font(kFontFolder + "/DejaVuSans.ttf", kTextSize, QFont::PreferNoHinting);
    const QVector<quint32> glyphs = font.glyphIndexesForString(text);
    const QVector<QPointF> advances = font.advancesForGlyphIndexes(glyphs);
    QRectF ink;
    qreal pen = 0;
    for (int i = 0; i < glyphs.size(); ++i) {
        ink |= font.boundingRect(glyphs[i]).translated(pen, 0);
        pen += advances[i].x();
    }
    return QSize(qRound(ink.width()), qRound(ink.height()));
}

// Per page (from 0), the direction mupdf gives the line that holds the mark's text, as shown.
QHash<int, QString> MarkLineDirections(const QString& pdf, const QString& mark)
{
    QHash<int, QString> directions;
    QXmlStreamReader xml(Run("mutool", {"draw", "-q", "-F", "stext", "-o", "-", pdf}));
    int page = -1;
    QString direction;
    QString text;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == QLatin1String("page")) {
                ++page;
            } else if (xml.name() == QLatin1String("line")) {
                direction = xml.attributes().value("dir").toString();
                text.clear();
            } else if (xml.name() == QLatin1String("char")) {
                text += xml.attributes().value("c");
            }
        } else if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("line") &&
                   text.contains(mark)) {
            directions.insert(page, direction);
        }
    }
    return directions;
}

// The forms the pages draw, as qpdf reads them: each its BBox, plus " matrix" when it has one.
QStringList PageForms(const QString& pdf)
{
    const QJsonObject objects =
        QJsonDocument::fromJson(Run(QStringLiteral("qpdf"), {"--json=2", "--json-key=qpdf", pdf}))
            .object()["qpdf"]
            .toArray()
            .at(1)
            .toObject();
    // A dictionary in place, or the object (a stream's dictionary) a reference names.
    auto resolve = [&](const QJsonValue& value) {
        const QJsonObject named = objects["obj:" + value.toString()].toObject();
        return value.isObject() ? value.toObject()
                                : named.contains("stream") ? named["stream"]["dict"].toObject()
                                                           : named["value"].toObject();
    };
    QStringList forms;
    for (const QJsonValue& object : objects) {
        const QJsonObject page = object["value"].toObject();
        if (page["/Type"] != "/Page")
            continue;
        for (const QJsonValue& reference : resolve(resolve(page["/Resources"])["/XObject"])) {
            const QJsonObject form = resolve(reference);
            QStringList box;
            for (const QJsonValue& number : form["/BBox"].toArray())
                box << QString::number(number.toDouble());
            forms << box.join(' ') + (form.contains("/Matrix") ? " matrix" : "");
        }
    }
    forms.sort();
    return forms;
}

} // namespace

class WatermarkPlacementTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder;
    FontCatalog catalog{QStringList{kFontFolder}};
    QString jpeg;
    QHash<int, QList<QImage>> sourceRenders;
    int fresh = 0;

private slots:
    void initTestCase()
    {
        // Red top left, blue top right, green bottom left, black bottom right: any turn or
        // mirror moves a colour.
        QImage picture(kImagePixels, QImage::Format_RGB32);
        QPainter painter(&picture);
        const int w = kImagePixels.width() / 2, h = kImagePixels.height() / 2;
        painter.fillRect(0, 0, w, h, Qt::red);
        painter.fillRect(w, 0, w, h, Qt::blue);
        painter.fillRect(0, h, w, h, QColor(0, 160, 0));
        painter.fillRect(w, h, w, h, Qt::black);
        painter.end();
        picture.setDotsPerMeterX(2835);
        picture.setDotsPerMeterY(2835);
        jpeg = folder.filePath(QStringLiteral("mark.jpg"));
        QVERIFY(picture.save(jpeg, "JPG", 100));
    }

    void markSitsWholeAndUprightInTheShownPage_data()
    {
        QTest::addColumn<int>("shape");
        QTest::addColumn<int>("place");
        QTest::addColumn<int>("kind");
        for (int s = 0; s < Shapes().size(); ++s)
            for (int p = 0; p < int(std::size(kPlaces)); ++p)
                for (int k = 0; k < int(std::size(kKinds)); ++k)
                    QTest::addRow("%s, %s, %s", Shapes()[s].name, kPlaces[p].name, kKinds[k]) << s << p << k;
    }
    void markSitsWholeAndUprightInTheShownPage()
    {
        QFETCH(int, shape);
        QFETCH(int, place);
        QFETCH(int, kind);
        const Shape& page = Shapes()[shape];
        const Place& at = kPlaces[place];
        const bool isText = kind == 0;
        const QString text = QString::fromLatin1(kText);
        const QString source = folder.filePath(QStringLiteral("shape%1.pdf").arg(shape));
        if (!sourceRenders.contains(shape)) {
            QVERIFY(TestPDF::Write(source, MakePDF(page)));
            sourceRenders.insert(shape, Render(source, folder.filePath(QStringLiteral("shape%1").arg(shape))));
        }
        const QList<QImage>& before = sourceRenders[shape];
        QCOMPARE(before.size(), page.shown.size());

        const QString out = folder.filePath(QStringLiteral("out%1").arg(++fresh));
        QVERIFY(QDir().mkpath(out));
        PDFWatermarker engine;
        engine.SetFontCatalog(&catalog);
        const QString names = QStringLiteral("[FileName]_m");
        const QList<FailedFile> failed =
            isText ? engine.AddTextWatermark({source}, text, kFont, kTextSize, 0x800000, at.position, at.unit, at.x,
                                             at.y, out, names)
                   : engine.AddImageWatermark({source}, jpeg, 100, at.position, at.unit, at.x, at.y, out, names);
        QVERIFY2(failed.isEmpty(), qPrintable(failed.isEmpty() ? QString() : failed.first().reason));
        const QString output = out + QStringLiteral("/shape%1_m.pdf").arg(shape);
        QString report;
        QVERIFY2(QpdfAccepts(output, &report), qPrintable(report));

        // One form per page, covering the shown area from 0 0; a matrix only where that area
        // is away from the origin or turned.
        QStringList forms;
        for (int i = 0; i < page.shown.size(); ++i)
            forms << QStringLiteral("0 0 %1 %2").arg(page.shown[i].width()).arg(page.shown[i].height()) +
                         (page.upright[i] ? "" : " matrix");
        forms.sort();
        QCOMPARE(PageForms(output), forms);

        // Percents count from the first page as shown.
        const QSize firstPage = page.shown.first();
        const int ox = at.unit == 0 ? at.x : int(std::floor(at.x * firstPage.width() / 100.0 + 0.5));
        const int oy = at.unit == 0 ? at.y : int(std::floor(at.y * firstPage.height() / 100.0 + 0.5));
        const QSize mark = isText ? TextInk(text) : kImagePixels;
        const QList<QImage> after = Render(output, out + QStringLiteral("/render"));
        QCOMPARE(after.size(), page.shown.size());
        const QHash<int, QString> directions = isText ? MarkLineDirections(output, text) : QHash<int, QString>();
        for (int i = 0; i < after.size(); ++i) {
            const QImage& image = after[i];
            QCOMPARE(image.size(), page.shown[i]);
            const QRect ink = Changed(before[i], image);
            const QByteArray got = QString::asprintf("page %d: ink at %d,%d %dx%d on %dx%d, offsets %d %d", i + 1,
                                                     ink.x(), ink.y(), ink.width(), ink.height(), image.width(),
                                                     image.height(), ox, oy)
                                       .toLatin1();
            QVERIFY2(!ink.isNull(), got.constData());
            // Whole: clear of every edge of the shown page.
            QVERIFY2(ink.left() >= kSlack && ink.top() >= kSlack && ink.right() < image.width() - kSlack &&
                         ink.bottom() < image.height() - kSlack,
                     got.constData());
            // Its own size, not turned on its side nor scaled.
            QVERIFY2(qAbs(ink.width() - mark.width()) <= kSlack && qAbs(ink.height() - mark.height()) <= kSlack,
                     got.constData());
            // Edges as pixel boundaries: right and bottom one past the last changed pixel.
            const int right = ink.right() + 1;
            const int bottom = ink.bottom() + 1;
            bool placed = false;
            if (at.position == 4)
                placed = qAbs(ink.left() + right - image.width()) <= 2 * kSlack &&
                         qAbs(ink.top() + bottom - image.height()) <= 2 * kSlack;
            else if (at.position == 1)
                placed = qAbs(right - (image.width() - ox)) <= kSlack && qAbs(ink.top() - oy) <= kSlack;
            else if (at.position == 2)
                placed = qAbs(ink.left() - ox) <= kSlack && qAbs(bottom - (image.height() - oy)) <= kSlack;
            QVERIFY2(placed, got.constData());
            // Upright in the view the reader shows.
            if (isText) {
                QCOMPARE(directions.value(i), QStringLiteral("1 0"));
            } else {
                const int qx = ink.width() / 4, qy = ink.height() / 4;
                const QPoint centre = ink.center();
                QVERIFY2(IsColour(image.pixel(centre + QPoint(-qx, -qy)), Qt::red), got.constData());
                QVERIFY2(IsColour(image.pixel(centre + QPoint(qx, -qy)), Qt::blue), got.constData());
                QVERIFY2(IsColour(image.pixel(centre + QPoint(-qx, qy)), QColor(0, 160, 0)), got.constData());
                QVERIFY2(IsColour(image.pixel(centre + QPoint(qx, qy)), Qt::black), got.constData());
            }
        }
    }

    // A text's ink, not its origin, keeps the offsets 20/20: a text with descenders and side
    // bearings on A4, its gaps measured in a render at two pixels a point.
    void textInkKeepsTheOffsets_data()
    {
        QTest::addColumn<int>("position");
        QTest::newRow("bottom left") << 2;
        QTest::newRow("top right") << 1;
        QTest::newRow("center") << 4;
    }
    void textInkKeepsTheOffsets()
    {
        QFETCH(int, position);
        const QString source = folder.filePath(QStringLiteral("ink.pdf"));
        QVERIFY(TestPDF::Write(source, MakePDF({"A4", "", {"/MediaBox [0 0 595 842]"}, {}, {QSize(595, 842)}, {true}})));
        const QString out = folder.filePath(QStringLiteral("out%1").arg(++fresh));
        QVERIFY(QDir().mkpath(out));
        PDFWatermarker engine;
        engine.SetFontCatalog(&catalog);
        QVERIFY(engine.AddTextWatermark({source}, QStringLiteral("jagged Type"), kFont, 40, 0x800000, position, 0, 20,
                                        20, out, QStringLiteral("[FileName]_m"))
                    .isEmpty());
        const QList<QImage> before = Render(source, out + QStringLiteral("/before"), 144);
        const QList<QImage> after = Render(out + QStringLiteral("/ink_m.pdf"), out + QStringLiteral("/after"), 144);
        QVERIFY(before.size() == 1 && after.size() == 1);
        const QRect changed = Changed(before[0], after[0]);
        QVERIFY(!changed.isNull());
        // Edges in points, y down from the top; right and bottom one past the last pixel.
        const QRectF ink(changed);
        const double left = ink.left() / 2, top = ink.top() / 2, right = ink.right() / 2, bottom = ink.bottom() / 2;
        if (position == 2) {
            QVERIFY(qAbs(left - 20) <= 1.5 && qAbs(842 - bottom - 20) <= 1.5);
        } else if (position == 1) {
            QVERIFY(qAbs(595 - right - 20) <= 1.5 && qAbs(top - 20) <= 1.5);
        } else {
            QVERIFY(qAbs((left + right) / 2 - 297.5) <= 1.5 && qAbs((top + bottom) / 2 - 421) <= 1.5);
        }
    }
};

VELLORAN_APP_TEST_MAIN(WatermarkPlacementTest)
#include "WatermarkPlacementTest.moc"
