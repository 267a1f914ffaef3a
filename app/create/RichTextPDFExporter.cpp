#include "app/create/RichTextPDFExporter.h"

#include "app/create/DocumentImages.h"
#include "app/tools/FileIdentity.h"
#include "app/tools/StagedOutput.h"

#include <QFile>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFragment>
#include <QTextImageFormat>

#include <algorithm>
#include <cmath>
#include <new>
#include <optional>

namespace {

// Where a line's baseline lies below its top, as a part of its height: with the standard fonts'
// 1.2 x size, 0.96 of the size is above it (more than any ascender) and 0.24 below (more than any
// descender), so no glyph leaves its line.
const double scBaselineDrop = 0.8;
const double scPointsPerInch = 72;
// A size in pixels (pasted HTML) counts as CSS pixels: 96 to the inch.
const double scPointsPerPixel = 0.75;
const int scDefaultPointSize = 12;

enum class Alignment { eLeft, eCenter, eRight };

// Only these values of the editors' alignment buttons move lines; anything else (justified, a
// pasted "left", which Qt reads as left | absolute) is drawn as left.
Alignment AlignmentOf(const QTextBlock& inBlock)
{
    const Qt::Alignment value = inBlock.blockFormat().alignment();
    if (value == Qt::AlignRight || value == (Qt::AlignRight | Qt::AlignAbsolute))
        return Alignment::eRight;
    if (value == Qt::AlignCenter || value == Qt::AlignHCenter)
        return Alignment::eCenter;
    return Alignment::eLeft;
}

// The file of an image: a path as the editor keeps it, or a local file URL from pasted HTML.
QString ImageFilePath(const QTextCharFormat& inFormat)
{
    return DocumentImages::FilePath(inFormat.toImageFormat().name());
}

std::string UTF8(const QString& inText)
{
    const QByteArray bytes = inText.toUtf8();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// A resolution that is missing or not a positive number (a damaged file) counts as 72 dpi.
double PointsOf(unsigned int inPixels, double inDotsPerInch)
{
    if (!std::isfinite(inDotsPerInch) || inDotsPerInch <= 0)
        inDotsPerInch = scPointsPerInch;
    return inPixels / inDotsPerInch * scPointsPerInch;
}

// The pages of one export: the open page's canvas and text object, the room left on it and the
// images waiting for its end.
class PageFlow {
public:
    PageFlow(RichTextPDFExporter& inExporter, jag::pdf::Document& inDocument, double inPageWidth,
             double inPageHeight, int inMargin)
        : mExporter(inExporter), mDocument(inDocument), mPageWidth(inPageWidth), mPageHeight(inPageHeight),
          mMargin(inMargin), mTextWidth(static_cast<int>(inPageWidth - 2.0 * inMargin)),
          mPageRoom(inPageHeight - 2.0 * inMargin)
    {
    }

    void Export(const QTextDocument& inText);

private:
    struct Piece {
        jag::pdf::Font font;
        std::string text;
        double width;
    };
    // One band of the page, top to bottom: a visual line of text, an image or an empty line.
    struct Item {
        double height = 0;
        double width = 0;
        std::vector<Piece> pieces;
        std::optional<jag::pdf::Image> image;
        QString imagePath;
    };

    void StartPage();
    void EndPage();
    std::vector<Item> LayOutParagraph(const QTextBlock& inBlock);
    void AddText(std::vector<Item>& ioItems, Item& ioLine, double& ioLineOffset, const QTextCharFormat& inFormat,
                 const QString& inText);
    Item ImageItem(const QString& inPath);
    static void EndLine(std::vector<Item>& ioItems, Item& ioLine);
    void Place(const Item& inItem, Alignment inAlignment);

    RichTextPDFExporter& mExporter;
    jag::pdf::Document& mDocument;
    const double mPageWidth;
    const double mPageHeight;
    const int mMargin;
    const int mTextWidth;
    const double mPageRoom;

    std::optional<jag::pdf::Canvas> mCanvas;
    std::optional<jag::pdf::Font> mCurrentFont;
    double mRoomLeft = 0;
    // Where the text object's current line starts.
    double mLineX = 0;
    double mLineY = 0;
    QList<RichTextPDFExporter::QueuedImage> mQueue;
};

void PageFlow::Export(const QTextDocument& inText)
{
    StartPage();
    const QTextBlock first = inText.firstBlock();
    const QTextBlock::iterator firstFragment = first.begin();
    mCurrentFont = mExporter.BuildStandardFontSpec(
        mDocument, firstFragment.atEnd() ? first.charFormat() : firstFragment.fragment().charFormat());

    for (QTextBlock block = first; block.isValid(); block = block.next()) {
        std::vector<Item> items;
        if (!block.text().isEmpty())
            items = LayOutParagraph(block);
        if (items.empty()) {
            // An empty paragraph takes a line and never starts a page.
            mRoomLeft -= mCurrentFont->height();
            continue;
        }
        const Alignment alignment = AlignmentOf(block);
        double height = 0;
        for (const Item& item : items)
            height += item.height;
        // A paragraph is kept on one page when it fits on one; a taller one starts where it is.
        if (mRoomLeft < mPageRoom && height > mRoomLeft && height <= mPageRoom) {
            EndPage();
            StartPage();
        }
        for (const Item& item : items) {
            // Like an empty paragraph, the empty line after an image starts no page.
            const bool empty = item.pieces.empty() && !item.image;
            if (!empty && mRoomLeft < mPageRoom && item.height > mRoomLeft) {
                EndPage();
                StartPage();
            }
            Place(item, alignment);
        }
    }
    EndPage();
    mDocument.finalize();
}

void PageFlow::StartPage()
{
    mDocument.page_start(mPageWidth, mPageHeight);
    mCanvas.emplace(mDocument.page().canvas());
    mLineX = mMargin;
    mLineY = mPageHeight - mMargin;
    mCanvas->text_start(mLineX, mLineY);
    mRoomLeft = mPageRoom;
}

void PageFlow::EndPage()
{
    mCanvas->text_end();
    mExporter.DrawQueuedImages(mQueue, mDocument);
    mCanvas.reset();
    mDocument.page_end();
}

void PageFlow::EndLine(std::vector<Item>& ioItems, Item& ioLine)
{
    if (!ioLine.pieces.empty())
        ioItems.push_back(std::move(ioLine));
    ioLine = Item();
}

std::vector<PageFlow::Item> PageFlow::LayOutParagraph(const QTextBlock& inBlock)
{
    std::vector<Item> items;
    Item line;
    double lineOffset = 0;
    for (QTextBlock::iterator at = inBlock.begin(); !at.atEnd(); ++at) {
        const QTextFragment fragment = at.fragment();
        if (!fragment.isValid())
            continue;
        const QTextCharFormat format = fragment.charFormat();
        if (DocumentImages::IsImage(format)) {
            // Each image on lines of its own; identical images side by side share a fragment.
            EndLine(items, line);
            for (int image = 0; image < fragment.length(); ++image)
                items.push_back(ImageItem(ImageFilePath(format)));
            lineOffset = 0;
            continue;
        }
        // A line separator (Shift+Enter) ends the visual line.
        const QStringList parts = fragment.text().split(QChar::LineSeparator);
        for (int part = 0; part < parts.size(); ++part) {
            if (part > 0) {
                if (line.pieces.empty()) {
                    Item empty;
                    empty.height = mExporter.BuildStandardFontSpec(mDocument, format).height();
                    items.push_back(std::move(empty));
                }
                EndLine(items, line);
                lineOffset = 0;
            }
            if (!parts[part].isEmpty())
                AddText(items, line, lineOffset, format, parts[part]);
        }
    }
    EndLine(items, line);
    // The line a paragraph ends with; after an image an empty one in the last font used.
    if (!items.empty() && items.back().image) {
        Item empty;
        empty.height = mCurrentFont->height();
        items.push_back(std::move(empty));
    }
    return items;
}

void PageFlow::AddText(std::vector<Item>& ioItems, Item& ioLine, double& ioLineOffset,
                       const QTextCharFormat& inFormat, const QString& inText)
{
    jag::pdf::Font font = mExporter.BuildStandardFontSpec(mDocument, inFormat);
    mCurrentFont = font;
    const double height = font.height();
    const QStringList lines = mExporter.WrapTextToWidth(font, inText, mTextWidth, ioLineOffset);
    for (int index = 0; index < lines.size(); ++index) {
        if (index > 0) {
            EndLine(ioItems, ioLine);
            ioLineOffset = 0;
        }
        if (lines[index].isEmpty())
            continue;
        Piece piece{font, UTF8(lines[index]), 0};
        piece.width = font.advance(piece.text);
        ioLine.height = std::max(ioLine.height, height);
        ioLine.width += piece.width;
        ioLineOffset += piece.width;
        ioLine.pieces.push_back(std::move(piece));
    }
}

PageFlow::Item PageFlow::ImageItem(const QString& inPath)
{
    Item item;
    item.image.emplace(mDocument.image_load_file(UTF8(inPath)));
    item.imagePath = inPath;
    const double width = PointsOf(item.image->width(), item.image->dpi_x());
    const double height = PointsOf(item.image->height(), item.image->dpi_y());
    // An image larger than the text width or a page's room is scaled down to fit both.
    const double scale = std::min({1.0, mTextWidth / width, mPageRoom / height});
    item.width = width * scale;
    item.height = height * scale;
    return item;
}

void PageFlow::Place(const Item& inItem, Alignment inAlignment)
{
    const double top = mMargin + mRoomLeft;
    mRoomLeft -= inItem.height;
    if (inItem.image) {
        double x = mMargin;
        if (inAlignment == Alignment::eRight)
            x += mTextWidth - inItem.width;
        else if (inAlignment == Alignment::eCenter)
            x += (mTextWidth - inItem.width) / 2;
        RichTextPDFExporter::QueuedImage queued;
        queued.x = x;
        queued.y = top - inItem.height;
        queued.width = inItem.width;
        queued.height = inItem.height;
        queued.path = inItem.imagePath;
        mQueue.append(queued);
        return;
    }
    if (inItem.pieces.empty())
        return; // an empty line
    // Whole points, rounded so that the line stays inside the right margin; a centred line
    // drops the odd point.
    const int width = static_cast<int>(std::ceil(inItem.width));
    int shift = 0;
    if (inAlignment == Alignment::eRight)
        shift = mTextWidth - width;
    else if (inAlignment == Alignment::eCenter)
        shift = (mTextWidth - width) / 2;
    const double x = mMargin + std::max(0, shift);
    const double baseline = top - scBaselineDrop * inItem.height;
    mCanvas->text_translate_line(x - mLineX, baseline - mLineY);
    mLineX = x;
    mLineY = baseline;
    for (const Piece& piece : inItem.pieces) {
        mCanvas->text_font(piece.font);
        mCanvas->text(piece.text);
    }
}

// The pieces of a word that is wider than a whole line, each as wide as fits (at least one
// character).
QStringList CutToWidth(const jag::pdf::Font& inFont, const QString& inWord, int inLineWidth)
{
    QStringList pieces;
    QString piece;
    double width = 0;
    for (int at = 0; at < inWord.size();) {
        // A character beyond the first plane is two units and is never cut.
        const int units = inWord.at(at).isHighSurrogate() && at + 1 < inWord.size() ? 2 : 1;
        const QString character = inWord.mid(at, units);
        at += units;
        const double advance = inFont.advance(UTF8(character));
        if (!piece.isEmpty() && width + advance > inLineWidth) {
            pieces.append(piece);
            piece.clear();
            width = 0;
        }
        piece += character;
        width += advance;
    }
    if (!piece.isEmpty())
        pieces.append(piece);
    return pieces;
}

} // namespace

bool RichTextPDFExporter::ExportDocumentToPDF(const QString& outputPath, QTextEdit* editor, double pageWidth,
                                              double pageHeight, int margin, QString* imageFailure)
{
    if (!editor || outputPath.isEmpty() || !std::isfinite(pageWidth) || !std::isfinite(pageHeight) || margin < 0 ||
        static_cast<int>(pageWidth - 2.0 * margin) <= 0 || pageHeight - 2.0 * margin <= 0)
        return false;
    // Replacing the file would destroy an image it is to show.
    if (!FindSameFile(outputPath, DocumentImages::FilePaths(*editor->document())).isEmpty())
        return false;
    // Written beside the target, which it replaces only once complete: a failed export leaves an
    // existing file as it was, and nothing beside it.
    StagedOutput staged(outputPath);
    if (!staged.Create())
        return false;
    try {
        // Released before finalize, the document deletes the file it began.
        jag::pdf::Document document = jag::pdf::create_file(UTF8(staged.TemporaryPath()));
        PageFlow(*this, document, pageWidth, pageHeight, margin).Export(*editor->document());
    } catch (const std::bad_alloc&) {
        // The caller's job fails with its own reason, once the document and its file are gone.
        throw;
    } catch (const jag::pdf::Exception& failure) {
        if (imageFailure && failure.code() == JAG_ERR_IMAGE)
            *imageFailure = QString::fromUtf8(failure.what());
        return false;
    } catch (...) {
        // A jag::pdf::Exception from the layer, or anything else: the caller hears of it.
        return false;
    }
    return staged.Commit();
}

jag::pdf::Font RichTextPDFExporter::BuildStandardFontSpec(const jag::pdf::Document& document,
                                                          const QTextCharFormat& format)
{
    const QFont font = format.font();
    const bool bold = font.weight() == 75;
    const bool italic = font.style() != QFont::StyleNormal;
    QString name;
    if (font.family() == QLatin1String("Courier"))
        name = bold ? (italic ? "Courier-BoldOblique" : "Courier-Bold") : (italic ? "Courier-Oblique" : "Courier");
    else if (font.family() == QLatin1String("Times New Roman"))
        name = bold ? (italic ? "Times-BoldItalic" : "Times-Bold") : (italic ? "Times-Italic" : "Times-Roman");
    if (name.isEmpty())
        return document.font_load(std::string());
    int size = font.pointSize();
    if (size <= 0)
        size = font.pixelSize() > 0 ? std::max(1, qRound(font.pixelSize() * scPointsPerPixel)) : scDefaultPointSize;
    return document.font_load(
        UTF8(QStringLiteral("standard; name=") + name + QStringLiteral("; size=") + QString::number(size) +
             QStringLiteral("; enc=utf-8")));
}

QStringList RichTextPDFExporter::WrapTextToWidth(const jag::pdf::Font& font, const QString& text, int lineWidth,
                                                 double firstLineOffset)
{
    const double space = font.advance(" ");
    const QStringList words = text.split(QLatin1Char(' '));
    QStringList lines;
    QString line;
    double x = firstLineOffset;
    for (int index = 0; index < words.size(); ++index) {
        QString word = words[index];
        double advance = font.advance(UTF8(word));
        // Each word is measured with the space after it.
        if (x + advance + space > lineWidth) {
            if (x > 0 || !line.isEmpty())
                lines.append(line);
            line.clear();
            x = 0;
            if (advance > lineWidth) {
                QStringList pieces = CutToWidth(font, word, lineWidth);
                word = pieces.takeLast();
                lines.append(pieces);
                advance = font.advance(UTF8(word));
            }
        }
        line += word;
        if (index + 1 < words.size())
            line += QLatin1Char(' ');
        x += advance + space;
    }
    if (!line.isEmpty())
        lines.append(line);
    return lines;
}

void RichTextPDFExporter::DrawQueuedImages(QList<QueuedImage>& queue, const jag::pdf::Document& document)
{
    if (queue.isEmpty())
        return;
    jag::pdf::Canvas canvas = document.page().canvas();
    for (const QueuedImage& queued : queue)
        canvas.image(document.image_load_file(UTF8(queued.path)), queued.x, queued.y, queued.width, queued.height);
    queue.clear();
}
