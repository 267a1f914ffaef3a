#pragma once
// Writes the rich text of a QTextEdit (paragraphs in "Courier" and "Times New Roman" at point
// sizes, bold and italic, left, centred or right aligned, with JPEG and PNG images that pass
// ImageFiles) as a PDF file of fixed-size pages, through the jagpdf layer and the metrics of the
// PDF standard fonts.
//
// Layout: each text fragment is set in the standard face of its format and wrapped at single
// spaces (a word wider than the text width is cut where it must be; a line separator breaks the
// line). A visual line is as high as the tallest font on it (1.2 x its size), its baseline 4/5 of
// that below the line's top, and it is moved right as a whole for centred and right-aligned
// paragraphs (any other alignment, justified included, is drawn as left). An image stands on
// lines of its own, at its size in points from its resolution, scaled down to fit the text width
// and the page's room; a paragraph that ends with an image is followed by one empty line. An
// empty paragraph takes one line of the last font used. Pages break between paragraphs when the
// next paragraph no longer fits but would fit on an empty page, and between its lines or images
// when it is taller than a page. Everything stays inside the margins.
//
// ExportDocumentToPDF reports the outcome: false when anything failed (no editor, a page too small
// for its margins, a target that cannot be written, an image that cannot be read ...). The
// document is written beside the target (StagedOutput) and replaces it only once complete, so a
// failed export leaves the path as it was, an existing file included, and no file beside it; a
// target that is one of the document's own images is refused before anything is written. Memory
// that runs out is thrown on as std::bad_alloc, after the same clean-up, for the caller's job to
// fail with that reason. GUI thread (it reads the editor's document); the class keeps nothing
// between calls.

#include "app/create/jagpdf/JagPDF.h"

#include <QList>
#include <QString>
#include <QStringList>

class QTextCharFormat;
class QTextEdit;

class RichTextPDFExporter {
public:
    // An image placed on the current page, drawn when the page ends: lower-left corner and size
    // in points, and its file.
    struct QueuedImage {
        double x = 0;
        double y = 0;
        double width = 0;
        double height = 0;
        QString path;
    };

    // Lays out editor->document() on pages of pageWidth x pageHeight points with the margin (in
    // points) on every side and writes outputPath (created, or replaced). True when the file was
    // written completely; false otherwise, with outputPath as it was before, and with the reason
    // when an image is refused (ImageFiles: the same images the editors show), naming it.
    bool ExportDocumentToPDF(const QString& outputPath, QTextEdit* editor, double pageWidth, double pageHeight,
                             int margin, QString* imageFailure = nullptr);

    // The standard font for a character format: Courier or Times by the exact family "Courier" or
    // "Times New Roman", bold when the weight is exactly 75, italic for any style but normal, at
    // the format's point size (a size in pixels at 0.75 point per pixel). Any other family gives
    // the empty description, which is Times-Roman at 12 points.
    jag::pdf::Font BuildStandardFontSpec(const jag::pdf::Document& document, const QTextCharFormat& format);

    // The lines of one fragment's text in the font, for lines lineWidth points wide whose first one
    // is filled by firstLineOffset points already. Breaks at single spaces; every word but the last
    // keeps the space after it. A first word that does not fit after the offset gives an empty
    // first line (the text starts on the next line); a word wider than lineWidth is cut into
    // pieces that fit.
    QStringList WrapTextToWidth(const jag::pdf::Font& font, const QString& text, int lineWidth,
                                double firstLineOffset);

    // Draws the queued images on the document's open page (outside its text object) and empties
    // the queue.
    void DrawQueuedImages(QList<QueuedImage>& queue, const jag::pdf::Document& document);
};
