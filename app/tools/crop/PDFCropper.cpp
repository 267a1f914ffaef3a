#include "app/tools/crop/PDFCropper.h"

#include "app/tools/PDFQueries.h"
#include "app/tools/UpdatedCopy.h"
#include "app/tools/crop/CropGeometry.h"

#include "pdf/copying/CopySession.h"
#include "pdf/parsing/InheritedPageValues.h"
#include "pdf/io/NumberText.h"
#include "pdf/objects/PDFDictionary.h"
#include "pdf/objects/RefCountPtr.h"
#include "pdf/writing/PDFWriter.h"
#include "pdf/writing/WritingStep.h"

#include <memory>
#include <string>

struct PDFCropper::Job {
    int unitMode;
    int originX;
    int originY;
    int width;
    int height;
    QString outputFolder;
    QString outputNames;
};

namespace {

// Whether the rectangle can have an area before any page is known: a width or height of 0 or
// less has none on any page, in points as in percents (which are clamped to 0-100).
bool MayHaveArea(int width, int height)
{
    return width > 0 && height > 0;
}

QString Trimmed(double number)
{
    return QString::fromStdString(NumberText::FormatTrimmed(number));
}

QString BoxText(const PDFRectangle& box)
{
    return QStringLiteral("[%1 %2 %3 %4]")
        .arg(Trimmed(box.LowerLeftX), Trimmed(box.LowerLeftY), Trimmed(box.UpperRightX), Trimmed(box.UpperRightY));
}

enum class PageCrop { Written, OffPage, Failed };

// A new version of the page object: its entries as they are, but the MediaBox, which becomes
// the part of the rectangle that lies on what the page shows (CropOnPage). OffPage, with nothing
// written, when no part of it does; `shown` then holds that area.
PageCrop WriteCroppedPage(PDFWriter& writer, CopySession& session, PDFParser& parser, int index, const CropBox& box,
                          InheritedPageValues::ShownArea& shown)
{
    const ObjectIDType id = parser.GetPageObjectID(static_cast<unsigned long>(index));
    RefCountPtr<PDFDictionary> page(parser.ParsePage(static_cast<unsigned long>(index)));
    // Writing without a page would give object 0 a new version or an empty page.
    if (id == 0 || !page)
        return PageCrop::Failed;
    // A box with no finite size fails the page with the library's reason.
    if (!InheritedPageValues().Shown(&parser, page.GetPtr(), shown))
        return PageCrop::Failed;
    const PDFRectangle cut = CropOnPage(box, shown);
    // A box beside the page would show an empty page.
    if (!HasArea(cut))
        return PageCrop::OffPage;
    ObjectsContext& objects = writer.GetObjectsContext();
    // A page that fails part-way keeps its old version; the other pages go on.
    WritingStep step(objects);
    objects.StartUpdatedIndirectObject(id);
    DictionaryContext* dictionary = objects.StartDictionary();
    DictionaryIterator entries = page->CreateIterator();
    bool written = true;
    while (written && entries.MoveNext()) {
        const std::string& key = entries.GetKey()->GetValue();
        if (key != "MediaBox")
            written = dictionary->WriteKey(key) == eSuccess && session.CopyParsedValue(entries.GetValue()) == eSuccess;
    }
    written = written && dictionary->WriteKey("MediaBox") == eSuccess;
    if (written) {
        objects.StartArray();
        for (double edge : {cut.LowerLeftX, cut.LowerLeftY, cut.UpperRightX, cut.UpperRightY})
            objects.GetValueWriter().WriteRealValue(edge, eTokenSeparatorSpace);
        objects.EndArray(eTokenSeparatorNone);
        objects.EndLine();
    }
    written = written && objects.EndDictionary(dictionary) == eSuccess;
    if (written)
        objects.EndIndirectObject();
    // A write the system refused fails the page as well; the step unwinds what it began.
    if (!written || objects.HasFailed())
        return PageCrop::Failed;
    step.Commit();
    return PageCrop::Written;
}

} // namespace

PDFCropper::PDFCropper(QObject* parent) : FileToolEngine(parent) {}

FileToolEngine::SourceStep PDFCropper::CropStep(const Job& job)
{
    return [this, &job](const QString& file, const QStringList& jobInputs, const PageWalk& walk, QString& reason) {
        return CropSource(job, file, jobInputs, walk, reason);
    };
}

PDFCropper::Outcome PDFCropper::CropSource(const Job& job, const QString& file, const QStringList& jobInputs,
                                           const PageWalk& cropPages, QString& reason)
{
    if (job.unitMode != CropUnitPoints && job.unitMode != CropUnitPercents) {
        reason = tr("the unit %1 of the crop rectangle is unknown").arg(job.unitMode);
        return Outcome::Failed;
    }
    if (!MayHaveArea(job.width, job.height)) {
        reason = tr("the crop rectangle has no area");
        return Outcome::Failed;
    }
    return UpdateCopyOf(file, job.outputFolder, job.outputNames, jobInputs, [&](UpdatedCopy& copy) {
        return CropCopy(job, copy, cropPages, reason);
    }, reason);
}

PDFCropper::Outcome PDFCropper::CropCopy(const Job& job, UpdatedCopy& copy, const PageWalk& cropPages,
                                         QString& reason)
{
    PDFWriter& writer = copy.Writer();
    // A session over the copy's own parser: the page's values keep the ids they have there.
    std::unique_ptr<CopySession> session = writer.CreateCopySessionForModifiedFile();
    if (!session) {
        reason = copy.FailureReason();
        return Outcome::Failed;
    }
    PDFParser& parser = copy.Parser();

    // Percents are of the first page as a reader shows it, where the user framed the rectangle.
    const QSize firstPage = ShownFirstPageSize(parser);
    CropBox box;
    CropBoxInPoints(job.unitMode, job.originX, job.originY, job.width, job.height, firstPage, box);
    if (!box.HasArea()) {
        reason = tr("the crop rectangle has no area on pages of %1 x %2 points")
                     .arg(firstPage.width())
                     .arg(firstPage.height());
        return Outcome::Failed;
    }

    // A page that cannot be cropped is left as it is and the others are cropped: the copy is
    // written and the source listed with the first such page's reason.
    PageFailures failures;
    // The walk ends early only when a page spoils the copy, which the failures record.
    cropPages(copy.PageCount(), [&](int index) {
        if (StopRequested())
            return false;
        InheritedPageValues::ShownArea shown;
        switch (WriteCroppedPage(writer, *session, parser, index, box, shown)) {
        case PageCrop::Written:
            failures.AddDone();
            break;
        case PageCrop::OffPage:
            failures.Add(index, tr("nothing of the crop rectangle %1 lies on its shown area of %2 x %3 points")
                                    .arg(BoxText(PDFRectangle(box.x, box.y, box.x + box.width, box.y + box.height)))
                                    .arg(Trimmed(shown.ShownWidth()))
                                    .arg(Trimmed(shown.ShownHeight())));
            break;
        case PageCrop::Failed:
            // A write the disk refused spoils the whole copy: no page after it can be kept.
            return failures.Add(index, copy.FailureReason(), writer.GetObjectsContext().HasFailed());
        }
        return true;
    });
    if (StopRequested())
        return Outcome::Skipped;
    return OutcomeOf(failures, tr("page %1 could not be cropped: %2"), reason);
}

QList<FailedFile> PDFCropper::CropDocuments(const QStringList& files, int unitMode, int originX, int originY,
                                            int width, int height, const QString& outputFolder,
                                            const QString& outputNames)
{
    BeginOperation();
    const Job job{unitMode, originX, originY, width, height, outputFolder, outputNames};
    return EachFileEveryPage(files, CropStep(job));
}

QList<FailedFile> PDFCropper::CropDocumentPageIntervals(const QString& file, const QString& pageIntervals,
                                                        int unitMode, int originX, int originY, int width,
                                                        int height, const QString& outputFolder,
                                                        const QString& outputNames)
{
    BeginOperation();
    const Job job{unitMode, originX, originY, width, height, outputFolder, outputNames};
    return OneFileRangePages(file, pageIntervals, CropStep(job));
}

#include "moc_PDFCropper.cpp"
