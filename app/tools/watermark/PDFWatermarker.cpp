#include "app/tools/watermark/PDFWatermarker.h"

#include "app/FontCatalog.h"
#include "app/ImageFiles.h"
#include "app/SharedHelpers.h"
#include "app/tools/FailedFile.h"
#include "app/tools/PDFQueries.h"
#include "app/tools/UpdatedCopy.h"
#include "app/tools/watermark/WatermarkGeometry.h"

#include "pdf/copying/CopySession.h"
#include "pdf/parsing/PDFParser.h"
#include "pdf/fonts/PDFUsedFont.h"
#include "pdf/io/DiagnosticLog.h"
#include "pdf/writing/PDFWriter.h"
#include "pdf/writing/PageRewriter.h"
#include "pdf/writing/XObjectContentContext.h"

#include <QDir>

#include <memory>
#include <string>
#include <vector>

namespace {

// The library takes paths and texts as the UTF-8 bytes of the QString.
std::string Utf8(const QString& text)
{
    return text.toUtf8().toStdString();
}

const QString kPageNumberToken = QStringLiteral("[PgNo]");

// The mark's font, or null with the reason: the library's, which says what is wrong with the file.
PDFUsedFont* LoadFont(PDFWriter& writer, const QString& path, QString& reason)
{
    DiagnosticLog::BeginOperation(Utf8(path));
    PDFUsedFont* font = writer.GetFontForFile(Utf8(path), 0);
    if (!font)
        reason = PDFWatermarker::tr("the font file %1 cannot be loaded: %2")
                     .arg(QDir::toNativeSeparators(path), LibraryFailureReason());
    return font;
}

// The characters a refusal names; a long text may lack hundreds.
constexpr size_t kMaxNamedCharacters = 5;

} // namespace

PDFWatermarker::PDFWatermarker(QObject* parent) : FileToolEngine(parent) {}

bool PDFWatermarker::ResolveFont(const QString& fontName, const QString& text, QString& path,
                                 QString& reason) const
{
    const FontCatalog& catalog = fontCatalog ? *fontCatalog : FontCatalog::Shared();
    path = catalog.PathOf(fontName);
    if (path.isEmpty()) {
        reason = tr("the font \"%1\" is not among the system's TrueType fonts").arg(QuotedExcerpt(fontName));
        return false;
    }
    // Loaded once here, so that a font file that cannot be read, or that lacks a character of
    // the text, fails the job before any copy.
    PDFWriter probe;
    PDFUsedFont* font = LoadFont(probe, path, reason);
    if (!font)
        return false;
    reason = MissingGlyphsIn(*font, fontName, text);
    return reason.isEmpty();
}

QString PDFWatermarker::MissingGlyphsReason(const FontCatalog& catalog, const QString& fontName, const QString& text)
{
    const QString path = catalog.PathOf(fontName);
    PDFWriter probe;
    PDFUsedFont* font = path.isEmpty() ? nullptr : probe.GetFontForFile(Utf8(path), 0);
    return font ? MissingGlyphsIn(*font, fontName, text) : QString();
}

QString PDFWatermarker::MissingGlyphsIn(PDFUsedFont& font, const QString& fontName, const QString& text)
{
    // The library refuses to draw a text with any character its font lacks, a blank included;
    // the token's own characters are never drawn, but every page number is made of digits.
    QString drawn = text;
    drawn.replace(kPageNumberToken, QStringLiteral("0123456789"));
    std::vector<uint32_t> missing;
    font.CharactersWithoutGlyph(Utf8(drawn), missing);
    if (missing.empty())
        return QString();
    QStringList named;
    for (size_t i = 0; i < missing.size() && i < kMaxNamedCharacters; ++i) {
        const uint character = missing[i];
        named << QStringLiteral("\"%1\" (U+%2)")
                     .arg(QuotedExcerpt(QString::fromUcs4(&character, 1)),
                          QString::number(character, 16).toUpper().rightJustified(4, QLatin1Char('0')));
    }
    QString characters = named.join(QStringLiteral(", "));
    if (missing.size() > kMaxNamedCharacters)
        characters += tr(" and %n more", nullptr, static_cast<int>(missing.size() - kMaxNamedCharacters));
    // Digits that only the token brings: the user never typed them.
    if (text.contains(kPageNumberToken)) {
        QString typed = text;
        typed.remove(kPageNumberToken);
        std::vector<uint32_t> typedMissing;
        font.CharactersWithoutGlyph(Utf8(typed), typedMissing);
        if (typedMissing.empty())
            return tr("The font \"%1\" has no glyph for the digits of the page number (%2). Please choose another "
                      "font or change the text.")
                .arg(QuotedExcerpt(fontName), characters);
    }
    return tr("The font \"%1\" has no glyph for %2. Please choose another font or change the text.")
        .arg(QuotedExcerpt(fontName), characters);
}

bool PDFWatermarker::MeasureImage(const QString& jpegPath, int scale, QSize& size, QString& reason)
{
    const QSize pixels = ImageFiles::HeaderSize(jpegPath);
    if (jpegPath.isEmpty() || !pixels.isValid() || pixels.isEmpty()) {
        reason = jpegPath.isEmpty() ? tr("no image was chosen")
                                    : tr("the image %1 cannot be read").arg(QDir::toNativeSeparators(jpegPath));
        return false;
    }
    size = ImageMarkSize(pixels, scale);
    return true;
}

PDFWatermarker::Outcome PDFWatermarker::MarkSource(const Mark& mark, const QString& file,
                                                   const QStringList& jobInputs, const PageWalk& walk,
                                                   QString& reason)
{
    return UpdateCopyOf(file, mark.outputFolder, mark.outputNames, jobInputs, [&](UpdatedCopy& copy) {
        return MarkCopy(mark, copy, walk, reason);
    }, reason);
}

PDFWatermarker::Outcome PDFWatermarker::MarkCopy(const Mark& mark, UpdatedCopy& copy, const PageWalk& walk,
                                                 QString& reason)
{
    PDFWriter& writer = copy.Writer();
    const int pageCount = copy.PageCount();
    // Percent offsets count from the first page as it is shown, for every page.
    const QSize firstPage = ShownFirstPageSize(copy.Parser());
    const MarkOffsets offsets =
        OffsetsInPoints(mark.unitMode, mark.offsetX, mark.offsetY, firstPage.width(), firstPage.height());

    PDFUsedFont* font = nullptr;
    if (mark.isText) {
        font = LoadFont(writer, mark.fontPath, reason);
        if (!font)
            return Outcome::Failed;
    }
    // A page that cannot be marked is left as it is and the others are marked: the copy is
    // written and the source listed with the first such page's reason.
    PageFailures failures;
    // The walk ends early only when a page spoils the copy, which the failures record.
    walk(pageCount, [&](int index) {
        if (StopRequested())
            return false;
        // A write the disk refused spoils the whole copy: no page after it can be kept.
        auto fail = [&]() {
            return failures.Add(index, copy.FailureReason(), writer.GetObjectsContext().HasFailed());
        };
        PageRewriter rewriter(&writer, static_cast<unsigned long>(index));
        XObjectContentContext* content = rewriter.StartContentContext();
        if (!content)
            return fail();
        // Each page's mark is placed in that page as a reader shows it (its crop, its rotation):
        // the form's space runs upright from the shown lower-left corner.
        const int pageWidth = WholePoints(rewriter.GetFormWidth());
        const int pageHeight = WholePoints(rewriter.GetFormHeight());
        OpStatus drawn = eSuccess;
        if (mark.isText) {
            // Each page its own text: pages that share their resources still show their own
            // number.
            QString text = mark.text;
            text.replace(kPageNumberToken, QString::number(index + 1));
            const std::string utf8 = Utf8(text);
            const TextExtent extent = font->MeasureText(utf8, mark.fontSize);
            double x = 0;
            double y = 0;
            TextMarkOrigin(mark.position, pageWidth, pageHeight, offsets, extent, x, y);
            TextOptions options;
            options.mColorSpace = eColorSpaceRGB;
            options.mColorValue = mark.color & 0xFFFFFFu;
            options.mFontSize = mark.fontSize;
            options.mFont = font;
            drawn = content->WriteText(x, y, utf8, options);
        } else {
            ImageOptions options;
            options.mTransformationMethod = eImageTransformationMatrix;
            options.mImageIndex = 0;
            const double s = static_cast<double>(static_cast<float>(mark.scale) / 100.0f);
            const double matrix[6] = {s, 0, 0, s, 0, 0};
            std::copy(matrix, matrix + 6, options.mMatrix);
            options.mBoundingBoxWidth = 100;
            options.mBoundingBoxHeight = 100;
            options.mFitPolicy = eImageFitAlways;
            options.mFitProportional = true;
            int imageX = 0;
            int imageY = 0;
            ImageMarkOrigin(mark.position, pageWidth, pageHeight, offsets, mark.imageSize.width(),
                            mark.imageSize.height(), imageX, imageY);
            drawn = content->DrawImage(imageX, imageY, Utf8(mark.jpegPath), options);
        }
        if (drawn != eSuccess || rewriter.EndContentContext() != eSuccess || rewriter.WritePage() != eSuccess)
            return fail();
        failures.AddDone();
        return true;
    });
    if (StopRequested())
        return Outcome::Skipped;
    return OutcomeOf(failures, tr("page %1 could not be watermarked: %2"), reason);
}

FileToolEngine::SourceStep PDFWatermarker::MarkStep(const Mark& mark)
{
    return [this, &mark](const QString& file, const QStringList& jobInputs, const PageWalk& walk, QString& reason) {
        return MarkSource(mark, file, jobInputs, walk, reason);
    };
}

PDFWatermarker::Mark PDFWatermarker::Placement(int position, int unitMode, int offsetX, int offsetY,
                                               const QString& outputFolder, const QString& outputNames)
{
    Mark mark;
    mark.position = position;
    mark.unitMode = unitMode;
    mark.offsetX = offsetX;
    mark.offsetY = offsetY;
    mark.outputFolder = outputFolder;
    mark.outputNames = outputNames;
    return mark;
}

QList<FailedFile> PDFWatermarker::FailAll(const QStringList& files, const QString& reason)
{
    QList<FailedFile> failed;
    for (const QString& file : files)
        failed.append({file, reason});
    return failed;
}

bool PDFWatermarker::PrepareText(Mark& mark, const QString& text, const QString& fontName, int fontSize,
                                 unsigned int color, QString& reason) const
{
    mark.isText = true;
    mark.text = text;
    mark.fontSize = fontSize;
    mark.color = color;
    // Blanks draw nothing: every copy would come out unmarked under a new name.
    if (text.trimmed().isEmpty()) {
        reason = tr("the watermark text is empty");
        return false;
    }
    return ResolveFont(fontName, text, mark.fontPath, reason);
}

bool PDFWatermarker::PrepareImage(Mark& mark, const QString& jpegPath, int scale, QString& reason)
{
    mark.isText = false;
    mark.jpegPath = jpegPath;
    mark.scale = scale;
    return MeasureImage(jpegPath, scale, mark.imageSize, reason);
}

QList<FailedFile> PDFWatermarker::AddTextWatermark(const QStringList& files, const QString& text,
                                                   const QString& fontName, int fontSize, unsigned int color,
                                                   int position, int unitMode, int offsetX, int offsetY,
                                                   const QString& outputFolder, const QString& outputNames)
{
    BeginOperation();
    Mark mark = Placement(position, unitMode, offsetX, offsetY, outputFolder, outputNames);
    QString reason;
    if (!PrepareText(mark, text, fontName, fontSize, color, reason))
        return FailAll(files, reason);
    return EachFileEveryPage(files, MarkStep(mark));
}

QList<FailedFile> PDFWatermarker::AddTextWatermarkToPageIntervals(const QString& file, const QString& pageIntervals,
                                                                  const QString& text, const QString& fontName,
                                                                  int fontSize, unsigned int color, int position,
                                                                  int unitMode, int offsetX, int offsetY,
                                                                  const QString& outputFolder,
                                                                  const QString& outputNames)
{
    BeginOperation();
    Mark mark = Placement(position, unitMode, offsetX, offsetY, outputFolder, outputNames);
    QString reason;
    if (!PrepareText(mark, text, fontName, fontSize, color, reason))
        return FailAll({file}, reason);
    return OneFileRangePages(file, pageIntervals, MarkStep(mark));
}

QList<FailedFile> PDFWatermarker::AddImageWatermark(const QStringList& files, const QString& jpegPath, int scale,
                                                    int position, int unitMode, int offsetX, int offsetY,
                                                    const QString& outputFolder, const QString& outputNames)
{
    BeginOperation();
    Mark mark = Placement(position, unitMode, offsetX, offsetY, outputFolder, outputNames);
    QString reason;
    if (!PrepareImage(mark, jpegPath, scale, reason))
        return FailAll(files, reason);
    return EachFileEveryPage(files, MarkStep(mark));
}

QList<FailedFile> PDFWatermarker::AddImageWatermarkToPageIntervals(const QString& file, const QString& pageIntervals,
                                                                   const QString& jpegPath, int scale, int position,
                                                                   int unitMode, int offsetX, int offsetY,
                                                                   const QString& outputFolder,
                                                                   const QString& outputNames)
{
    BeginOperation();
    Mark mark = Placement(position, unitMode, offsetX, offsetY, outputFolder, outputNames);
    QString reason;
    if (!PrepareImage(mark, jpegPath, scale, reason))
        return FailAll({file}, reason);
    return OneFileRangePages(file, pageIntervals, MarkStep(mark));
}

#include "moc_PDFWatermarker.cpp"
