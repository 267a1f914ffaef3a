// The rich-text exporter against Qt's own PDF output of the same document: a generated rich-text
// document of about 200 pages (paragraphs in Times New Roman and Courier at several sizes, bold
// and italic, the three alignments) with 20 images (10 JPEG photographs, 10 PNG diagrams, stored
// the way the editor's image store writes them) is written
//   1. by RichTextPDFExporter::ExportDocumentToPDF, A4 with a 50-point margin;
//   2. by QTextDocument::print to a QPdfWriter of the same page size and margins.
// The two take turns; the times, page counts and file sizes are printed with their ratios.
// The goal: faster and smaller than Qt's.
// Usage: bench_rich_text_export [repeats]

#include "app/create/RichTextPDFExporter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextImageFormat>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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
// headings, and images in paragraphs of their own.
void BuildDocument(QTextEdit& editor, const QStringList& images)
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
        cursor.insertText(heading ? Sentence(state) : QString(), format);
        for (int sentence = 0; sentence < sentences; ++sentence) {
            QTextCharFormat run = format;
            run.setFontWeight(sentence == 1 ? 75 : 10);
            run.setFontItalic(sentence == 2);
            cursor.insertText(Sentence(state) + QLatin1Char(' '), run);
        }
    }
}

int PageCount(const QString& path)
{
    QProcess pdfinfo;
    pdfinfo.start(QStringLiteral("pdfinfo"), {path});
    pdfinfo.waitForFinished();
    for (const QString& line : QString::fromUtf8(pdfinfo.readAllStandardOutput()).split(QLatin1Char('\n')))
        if (line.startsWith(QStringLiteral("Pages:")))
            return line.mid(6).trimmed().toInt();
    return -1;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir folder;

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
    BuildDocument(editor, images);

    const QString ours = folder.filePath(QStringLiteral("exporter.pdf"));
    const QString qt = folder.filePath(QStringLiteral("qt.pdf"));
    std::vector<double> ourTimes;
    std::vector<double> qtTimes;
    for (int run = 0; run < repeats; ++run) {
        QElapsedTimer clock;
        clock.start();
        RichTextPDFExporter exporter;
        if (!exporter.ExportDocumentToPDF(ours, &editor, kWidth, kHeight, kMargin)) {
            std::fprintf(stderr, "the export failed\n");
            return 1;
        }
        ourTimes.push_back(clock.nsecsElapsed() / 1e9);

        clock.start();
        QPdfWriter writer(qt);
        writer.setPageSize(QPageSize(QSizeF(kWidth, kHeight), QPageSize::Point));
        writer.setPageMargins(QMarginsF(kMargin, kMargin, kMargin, kMargin), QPageLayout::Point);
        editor.document()->print(&writer);
        qtTimes.push_back(clock.nsecsElapsed() / 1e9);
        std::printf("run %d: exporter %.3f s, Qt %.3f s\n", run + 1, ourTimes.back(), qtTimes.back());
    }

    const double ourSize = QFileInfo(ours).size();
    const double qtSize = QFileInfo(qt).size();
    std::printf("exporter: best %.3f s, median %.3f s, %d pages, %.2f MB\n",
                *std::min_element(ourTimes.begin(), ourTimes.end()), Median(ourTimes), PageCount(ours),
                ourSize / 1e6);
    std::printf("Qt print: best %.3f s, median %.3f s, %d pages, %.2f MB\n",
                *std::min_element(qtTimes.begin(), qtTimes.end()), Median(qtTimes), PageCount(qt), qtSize / 1e6);
    std::printf("Qt / exporter: time %.2f (median), size %.2f\n", Median(qtTimes) / Median(ourTimes),
                qtSize / ourSize);
    return 0;
}
