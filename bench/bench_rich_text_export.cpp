// The rich-text exporter against Qt's own PDF output of the same document: a generated rich-text
// document of about 200 pages (paragraphs in Times New Roman and Courier at several sizes, bold
// and italic, the three alignments) with 20 images (10 JPEG photographs, 10 PNG diagrams, stored
// the way the editor's image store writes them) is written
//   1. by RichTextPDFExporter::ExportDocumentToPDF, A4 with a 50-point margin, in the standard
//      Times and Courier fonts (not embedded);
//   2. by QTextDocument::print to a QPdfWriter: a copy of the document paginated on the same A4
//      page with the same 50-point margin (no page numbers, none of print's own 2 cm margins), in
//      the URW fonts whose metrics ours uses for Times and Courier (Nimbus Roman, Nimbus Mono PS).
// Both run in this process and take turns; each Qt run copies the document first, as print
// itself does for a document without pages. What each side produced (pages, bytes, fonts and
// whether they are embedded, images) is printed beside the times, with what still differs. Both
// outputs are checked (qpdf's check, the first and last sentences on the first and last pages,
// every image there, page counts no more than a tenth apart) and a wrong one fails the benchmark.
// Usage: bench_rich_text_export [runs]

#include "app/create/RichTextPDFExporter.h"
#include "bench/BenchSupport.h"
#include "bench/OutputChecks.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QAbstractTextDocumentLayout>
#include <QTextFrame>
#include <QTextImageFormat>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <vector>

namespace {

const int kParagraphs = 2185;
const int kImages = 20;
const double kWidth = 595;
const double kHeight = 842;
const int kMargin = 50;

// A photograph-like picture: smooth gradients with fine texture, as a camera gives.
QImage Photo(int index)
{
    QImage image(640, 480, QImage::Format_RGB32);
    unsigned state = 12345u + unsigned(index);
    for (int y = 0; y < image.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            state = state * 1664525u + 1013904223u;
            const int grain = int(state >> 28);
            row[x] = qRgb((x * 255 / 640 + grain + index * 20) % 256, (y * 255 / 480 + grain) % 256,
                          ((x + y) * 128 / 1120 + 64 + grain) % 256);
        }
    }
    return image;
}

// A diagram: flat colours, lines and text on white, as a screenshot or chart gives.
QImage Diagram(int index)
{
    QImage image(500, 320, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (int bar = 0; bar < 8; ++bar) {
        painter.fillRect(30 + bar * 55, 300 - (bar * 29 + index * 13) % 250, 40, (bar * 29 + index * 13) % 250,
                         QColor::fromHsv((bar * 40 + index * 10) % 360, 180, 220));
    }
    painter.setPen(QPen(Qt::black, 2));
    painter.drawLine(20, 300, 480, 300);
    painter.drawLine(20, 20, 20, 300);
    painter.drawText(40, 20, QStringLiteral("Figure %1").arg(index + 1));
    return image;
}

QString Sentence(unsigned& state)
{
    static const char* const words[] = {"the",       "report",   "shows",     "quarterly", "figures", "for",
                                        "each",      "region",   "and",       "a",         "summary", "of",
                                        "sales",     "growth",   "remained",  "steady",    "while",   "costs",
                                        "increased", "slightly", "customers", "returned",  "orders",  "delivery"};
    QStringList sentence;
    state = state * 1664525u + 1013904223u;
    const int count = 8 + int(state >> 28);
    for (int word = 0; word < count; ++word) {
        state = state * 1664525u + 1013904223u;
        sentence << QString::fromLatin1(words[(state >> 16) % (sizeof(words) / sizeof(words[0]))]);
    }
    sentence[0][0] = sentence[0][0].toUpper();
    return sentence.join(QLatin1Char(' ')) + QLatin1Char('.');
}

// The editor's kind of document: paragraphs of plain text with some bold and italic words,
// headings, and images in paragraphs of their own. Its first and last sentences, which the
// first and last pages must show, go to outFirst and outLast.
void BuildDocument(QTextEdit& editor, const QStringList& images, QString& outFirst, QString& outLast)
{
    editor.clear();
    QTextCursor cursor(editor.document());
    unsigned state = 7;
    int image = 0;
    for (int paragraph = 0; paragraph < kParagraphs; ++paragraph) {
        QTextBlockFormat block;
        const bool heading = paragraph % 25 == 0;
        block.setAlignment(heading ? Qt::AlignCenter : paragraph % 7 == 3 ? Qt::AlignRight : Qt::AlignLeft);
        if (paragraph > 0)
            cursor.insertBlock(block);
        else
            cursor.setBlockFormat(block);
        QTextCharFormat format;
        format.setFontFamily(paragraph % 5 == 4 ? QStringLiteral("Courier") : QStringLiteral("Times New Roman"));
        format.setFontPointSize(heading ? 18 : paragraph % 5 == 4 ? 10 : 12);
        format.setFontWeight(heading ? 75 : 10);
        format.setFontItalic(false);
        if (image < kImages && paragraph % (kParagraphs / kImages) == 10) {
            QTextImageFormat picture;
            picture.setName(images[image++]);
            cursor.insertImage(picture);
            continue;
        }
        const int sentences = heading ? 0 : 2 + paragraph % 4;
        const QString title = heading ? Sentence(state) : QString();
        if (paragraph == 0)
            outFirst = title;
        cursor.insertText(title, format);
        for (int sentence = 0; sentence < sentences; ++sentence) {
            QTextCharFormat run = format;
            run.setFontWeight(sentence == 1 ? 75 : 10);
            run.setFontItalic(sentence == 2);
            outLast = Sentence(state);
            cursor.insertText(outLast + QLatin1Char(' '), run);
        }
    }
}

// The document with its families replaced by the URW fonts whose metrics ours uses for them.
std::unique_ptr<QTextDocument> WithURWFonts(const QTextDocument& inDocument)
{
    std::unique_ptr<QTextDocument> copy(inDocument.clone());
    const std::map<QString, QString> families = {{QStringLiteral("Times New Roman"), QStringLiteral("Nimbus Roman")},
                                                 {QStringLiteral("Courier"), QStringLiteral("Nimbus Mono PS")}};
    for (QTextBlock block = copy->begin(); block.isValid(); block = block.next()) {
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const auto family = families.find(fragment.charFormat().fontFamily());
            if (family == families.end())
                continue;
            QTextCursor cursor(copy.get());
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            QTextCharFormat format;
            format.setFontFamily(family->second);
            cursor.mergeCharFormat(format);
        }
    }
    return copy;
}

// Qt's side: a copy of the document laid out on A4 pages with the margin, printed on whole pages
// (the writer's own margins are 0, so that the copy's page is the paper).
bool PrintWithQt(const QTextDocument& inDocument, const QString& inPath)
{
    std::unique_ptr<QTextDocument> copy(inDocument.clone());
    // Laid out in points (a device of 72 dpi) with the fonts' unhinted metrics, as ours is.
    QImage points(1, 1, QImage::Format_RGB32);
    points.setDotsPerMeterX(2835);
    points.setDotsPerMeterY(2835);
    copy->setUseDesignMetrics(true);
    copy->documentLayout()->setPaintDevice(&points);
    copy->setPageSize(QSizeF(kWidth, kHeight));
    QTextFrameFormat frame = copy->rootFrame()->frameFormat();
    frame.setMargin(kMargin);
    copy->rootFrame()->setFrameFormat(frame);
    QPdfWriter writer(inPath);
    writer.setPageSize(QPageSize(QSizeF(kWidth, kHeight), QPageSize::Point));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
    copy->print(&writer);
    return true;
}

// What a PDF file holds, as poppler's tools read it: pages (those pdfinfo reaches, not the page
// tree's /Count), bytes, fonts (embedded or not) and images by encoding, as text; the pages and
// images counted.
struct Description {
    std::string text;
    int pages = -1;
    int images = 0;
};

Description Describe(const QString& inPath)
{
    const std::string path = testsupport::Quote(inPath.toStdString());
    std::string info;
    testsupport::Run("pdfinfo -l " + std::string(bench::kPdfinfoLastPage) + " " + path, &info);
    Description description;
    description.pages = bench::PdfinfoPagesReached(info);
    std::string fonts;
    // name, type (one or two words), encoding, emb, sub, uni, object, id
    for (const std::vector<std::string>& row : bench::TableRows("pdffonts " + path))
        if (row.size() >= 8)
            fonts += (fonts.empty() ? "" : ", ") + row[0] + (row[row.size() - 5] == "yes" ? " (embedded)" : " (not embedded)");
    std::map<std::string, int> encodings;
    for (const std::vector<std::string>& row : bench::TableRows("pdfimages -list " + path)) {
        if (row.size() > 8)
            ++encodings[row[2] == "smask" ? "smask " + row[8] : row[8]];
        description.images += row.size() > 2 && row[2] == "image";
    }
    std::string images;
    for (const auto& encoding : encodings)
        images += (images.empty() ? "" : ", ") + std::to_string(encoding.second) + " " + encoding.first;
    description.text = std::to_string(description.pages) + " pages, " + std::to_string(QFileInfo(inPath).size()) +
                       " bytes\n    fonts: " + fonts + "\n    images: " + images;
    return description;
}

} // namespace

int main(int argc, char* argv[])
{
    const int runs = bench::RunCount(argc, argv, 1, 5);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir folder;
    // VELLORAN_BENCH_KEEP keeps the documents for a look.
    folder.setAutoRemove(!std::getenv("VELLORAN_BENCH_KEEP"));

    // The image store's resized copies: re-encoded by Qt at 3779 dots per metre (96 dpi).
    QStringList images;
    for (int index = 0; index < kImages; ++index) {
        const bool photo = index % 2 == 0;
        QImage image = photo ? Photo(index) : Diagram(index);
        image.setDotsPerMeterX(3779);
        image.setDotsPerMeterY(3779);
        const QString path = folder.filePath(QStringLiteral("image%1.%2").arg(index).arg(photo ? "jpg" : "png"));
        if (!image.save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        images << path;
    }
    QTextEdit editor;
    QString firstSentence, lastSentence;
    BuildDocument(editor, images, firstSentence, lastSentence);
    const std::unique_ptr<QTextDocument> qtDocument = WithURWFonts(*editor.document());

    const QString ours = folder.filePath(QStringLiteral("exporter.pdf"));
    const QString qt = folder.filePath(QStringLiteral("qt.pdf"));
    const std::vector<bench::SideRuns> sides = bench::InterleaveInProcess(
        runs, {[&]() { return RichTextPDFExporter().ExportDocumentToPDF(ours, &editor, kWidth, kHeight, kMargin); },
               // (print reports nothing; its output is looked at below)
               [&]() { return PrintWithQt(*qtDocument, qt); }});

    std::printf("A %d-paragraph rich-text document with %d images on A4, 50-point margins; %d runs each\n",
                kParagraphs, kImages, runs);
    bench::PrintLoad();
    const Description descriptions[2] = {Describe(ours), Describe(qt)};
    std::printf("  exporter: seconds median [min-max] %s\n    %s\n", bench::Format(sides[0].Seconds(), 3).c_str(),
                descriptions[0].text.c_str());
    std::printf("  Qt print: seconds median [min-max] %s\n    %s\n", bench::Format(sides[1].Seconds(), 3).c_str(),
                descriptions[1].text.c_str());
    std::printf("  Qt / exporter (medians): %.2f times the time, %.2f times the size\n",
                sides[1].Seconds().median / sides[0].Seconds().median,
                static_cast<double>(QFileInfo(qt).size()) / QFileInfo(ours).size());

    // What the last round wrote: sound, the first sentence on the first page and the last on
    // the last, every image there; qpdf must reach the pages pdfinfo reaches. The two are laid out
    // by their own rules, so their page counts may differ, but by no more than a tenth.
    bench::Failures failures;
    const int pages[2] = {descriptions[0].pages, descriptions[1].pages};
    const QString outputs[2] = {ours, qt};
    const char* const names[2] = {"exporter", "Qt print"};
    for (int side = 0; side < 2; ++side) {
        const char* check = failures.Check(names[side], sides[static_cast<size_t>(side)], [&]() -> std::string {
            bench::PdfExpectation expected;
            expected.pages = pages[side];
            expected.pageTexts = [&](int inPage) {
                std::vector<std::string> texts;
                if (inPage == 1)
                    texts.push_back(firstSentence.toStdString());
                if (inPage == pages[side])
                    texts.push_back(lastSentence.toStdString());
                return texts;
            };
            if (pages[side] <= 0)
                return "no pages";
            const std::string problem = bench::PdfProblem(outputs[side].toStdString(), expected);
            if (!problem.empty() || descriptions[side].images == kImages)
                return problem;
            return std::to_string(descriptions[side].images) + " images, not " + std::to_string(kImages);
        });
        std::printf("  %s output: %s\n", names[side], check);
    }
    std::printf("  pages: exporter %d, Qt print %d (Qt / exporter %.3f)\n", pages[0], pages[1],
                pages[0] > 0 ? static_cast<double>(pages[1]) / pages[0] : 0.0);
    if (std::abs(pages[1] - pages[0]) * 10 > std::max(pages[0], pages[1]))
        failures.Note("page counts", "more than a tenth apart");
    std::printf("  Still different: Qt embeds subsets of the fonts and cannot leave them out, where the exporter\n"
                "  names the standard fonts; each lays out with its own rules (the exporter: lines 1.2 times the\n"
                "  tallest font, breaks at spaces only, no paragraph spacing; Qt: the fonts' own line heights,\n"
                "  its text engine's breaks), so pages break in other places; the exporter copies the JPEG files\n"
                "  and keeps the PNG pictures lossless (Flate), where Qt may encode either as JPEG again.\n");
    if (!folder.autoRemove())
        std::printf("\nfiles kept in %s\n", qPrintable(folder.path()));
    return failures.ExitStatus();
}
