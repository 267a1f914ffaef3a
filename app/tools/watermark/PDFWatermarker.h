#pragma once
// The watermark tool's engine: for each source, a copy in the output folder whose chosen pages
// draw a mark after their own content, a line of text in a system TrueType font or a JPEG image.
// The copy is made beside its target, changed by an incremental update (the source's bytes stay
// the copy's first bytes; each marked page gets a form XObject with the mark and a new version
// of its page object), and put in the target's place only when every step succeeded, so a failed
// or stopped source leaves nothing behind and an existing target as it was. The font and the
// image are embedded once per document. Each target passes the overwrite steps of
// FileToolEngine. The operations run synchronously on the worker thread, check the stop flag
// between pages and name every source that failed with its reason. The font name is a display
// name of the font catalog, never a path.

#include "app/tools/FailedFile.h"
#include "app/tools/FileToolEngine.h"

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>

class FontCatalog;
class PDFUsedFont;
class UpdatedCopy;

class PDFWatermarker : public FileToolEngine {
    Q_OBJECT

public:
    explicit PDFWatermarker(QObject* parent = nullptr);

    // The catalog the font names are looked up in (not owned; null: the system's shared one).
    void SetFontCatalog(const FontCatalog* catalog) { fontCatalog = catalog; }

    // Every page of every file; "[PgNo]" in the text becomes each page's number. Progress after
    // each source that was written or failed. A text of nothing but blanks, or one with a
    // character the font has no glyph for (MissingGlyphsReason), fails every source.
    QList<FailedFile> AddTextWatermark(const QStringList& files, const QString& text, const QString& fontName,
                                       int fontSize, unsigned int color, int position, int unitMode, int offsetX,
                                       int offsetY, const QString& outputFolder, const QString& outputNames);
    // The pages of the page-range text of one file; progress after each range item.
    QList<FailedFile> AddTextWatermarkToPageIntervals(const QString& file, const QString& pageIntervals,
                                                      const QString& text, const QString& fontName, int fontSize,
                                                      unsigned int color, int position, int unitMode, int offsetX,
                                                      int offsetY, const QString& outputFolder,
                                                      const QString& outputNames);
    // The same with a JPEG file, scale percent of its pixel size (one pixel is one point).
    QList<FailedFile> AddImageWatermark(const QStringList& files, const QString& jpegPath, int scale, int position,
                                        int unitMode, int offsetX, int offsetY, const QString& outputFolder,
                                        const QString& outputNames);
    QList<FailedFile> AddImageWatermarkToPageIntervals(const QString& file, const QString& pageIntervals,
                                                       const QString& jpegPath, int scale, int position, int unitMode,
                                                       int offsetX, int offsetY, const QString& outputFolder,
                                                       const QString& outputNames);

    // Why the text cannot be drawn in the catalog's font of that name: the characters its marks
    // would show that the font has no glyph for ("[PgNo]" shows digits), in a sentence for the
    // user that names the font and at most a few of them. Empty when the font has them all, and
    // when there is no such font or it cannot be loaded, which a job reports itself. The window
    // asks it before a job; the operations above fail with it.
    static QString MissingGlyphsReason(const FontCatalog& catalog, const QString& fontName, const QString& text);

    // The mark of one job, as the operations above take it.
    struct Mark {
        bool isText = true;
        QString text;
        QString fontPath; // resolved through the catalog
        int fontSize = 0;
        unsigned int color = 0;
        QString jpegPath;
        int scale = 100;
        QSize imageSize; // points
        int position = 0;
        int unitMode = 0;
        int offsetX = 0;
        int offsetY = 0;
        QString outputFolder;
        QString outputNames;
    };

private:
    static Mark Placement(int position, int unitMode, int offsetX, int offsetY, const QString& outputFolder,
                          const QString& outputNames);
    static QList<FailedFile> FailAll(const QStringList& files, const QString& reason);
    bool PrepareText(Mark& mark, const QString& text, const QString& fontName, int fontSize, unsigned int color,
                     QString& reason) const;
    static bool PrepareImage(Mark& mark, const QString& jpegPath, int scale, QString& reason);
    // The text mark's font file, or false with the reason.
    bool ResolveFont(const QString& fontName, const QString& text, QString& path, QString& reason) const;
    static QString MissingGlyphsIn(PDFUsedFont& font, const QString& fontName, const QString& text);
    // The JPEG's size at the scale, or false with the reason.
    static bool MeasureImage(const QString& jpegPath, int scale, QSize& size, QString& reason);
    Outcome MarkSource(const Mark& mark, const QString& file, const QStringList& jobInputs, const PageWalk& walk,
                       QString& reason);
    // The marks, written into the open copy.
    Outcome MarkCopy(const Mark& mark, UpdatedCopy& copy, const PageWalk& walk, QString& reason);
    // MarkSource for the mark, as the frame's loops take it.
    SourceStep MarkStep(const Mark& mark);

    const FontCatalog* fontCatalog = nullptr;
};
