#include "app/tools/split/PDFSplitter.h"

#include "app/OutOfMemory.h"
#include "app/tools/OutputNames.h"
#include "app/tools/PageFailures.h"
#include "app/tools/PageRanges.h"
#include "app/tools/ParsedPDF.h"
#include "app/tools/ProgressPercent.h"
#include "app/tools/StagedOutput.h"

#include "pdf/copying/CopySession.h"
#include "pdf/copying/PageSelection.h"
#include "pdf/io/DiagnosticLog.h"
#include "pdf/writing/PDFWriter.h"


#include <QDir>

#include <algorithm>
#include <memory>
#include <string>

namespace {

// The library takes paths as the UTF-8 bytes of the QString.
std::string Utf8(const QString& path)
{
    return path.toUtf8().toStdString();
}

// A source to split: parsed, not encrypted, with pages.
bool OpenSource(ParsedPDF& source, const QString& path, QString& reason)
{
    if (!source.Open(path, reason))
        return false;
    if (source.PageCount() == 0) {
        reason = PDFSplitter::tr("the document has no pages");
        return false;
    }
    return true;
}

} // namespace

PDFSplitter::PDFSplitter(QObject* parent) : FileToolEngine(parent) {}

PDFSplitter::Outcome PDFSplitter::PartsOutcome(const PageFailures& failures, QString& reason)
{
    if (!failures.Any())
        return Outcome::Written;
    reason = failures.CopyReason();
    return Outcome::Partial;
}

bool PDFSplitter::WriteOutput(ParsedPDF& source, int first, int last, const QString& target, PageFailures& failures,
                              QString& reason)
{
    StagedOutput staged(target);
    if (!staged.Create()) {
        reason = WriteFailureReason(target, staged.ErrorString());
        return false;
    }
    // Declared after the staged output, so that the writer has closed the file before an
    // unfinished one is removed.
    PDFWriter writer;
    if (documentClock)
        writer.GetDocumentContext().SetClock(documentClock);
    // Version code 13: the outputs' header says PDF 1.3, whatever the source says.
    if (writer.CreateNewPDF(Utf8(staged.TemporaryPath()), 13) != eSuccess) {
        reason = LibraryFailureReason();
        return false;
    }
    // The document's ID is made from its name, which is the target's, not the temporary one's.
    writer.GetDocumentContext().SetOutputFileInformation(Utf8(target));

    DiagnosticLog::BeginOperation(Utf8(source.Path()));
    PageSelection selection;
    selection.mKind = PageSelection::ListedRanges;
    selection.mRanges.emplace_back(static_cast<uint32_t>(first - 1), static_cast<uint32_t>(last - 1));
    std::unique_ptr<CopySession> session = writer.GetDocumentContext().CreateCopySessionForParser(&source.Parser());
    const AppendPagesResult appended = session ? session->AppendPDFPages(selection) : AppendPagesResult();
    session.reset();
    // A page that cannot be copied costs only itself; a source that cannot be read, or a write
    // the disk refused, ends the part and the source.
    if (appended.mStatus != eSuccess &&
        (appended.mFailedPages.empty() || writer.GetObjectsContext().HasFailed())) {
        reason = OutputFailureReason(target, writer.GetOutputFile(), LibraryFailureReason());
        return false;
    }
    failures.AddCopy(appended, LibraryFailureReason());
    // A part none of whose pages could be copied is not written; the parts after it follow.
    if (appended.mPageObjectIDs.empty())
        return true;
    if (writer.EndPDF() != eSuccess) {
        reason = OutputFailureReason(target, writer.GetOutputFile(), LibraryFailureReason());
        return false;
    }
    if (!staged.Commit()) {
        reason = WriteFailureReason(target, staged.ErrorString());
        return false;
    }
    return true;
}

QList<FailedFile> PDFSplitter::SplitByPageRanges(const QString& file, const QString& pageIntervals,
                                                 const QString& outputFolder, const QString& outputNames)
{
    BeginOperation();
    if (StopRequested())
        return {};
    const PageRanges ranges = ReadPageRanges(pageIntervals);
    // Nothing would be written, and nothing said.
    if (ranges.intervals.isEmpty())
        return {FailedFile{file, NoPageNamedReason(pageIntervals)}};
    QString reason;
    const Outcome outcome = UnlessMemoryRunsOut(
        [&] { return SplitAlongRanges(file, ranges, outputFolder, outputNames, reason); }, reason, Outcome::Failed);
    if (outcome == Outcome::Failed || outcome == Outcome::Partial)
        return {FailedFile{file, reason}};
    return {};
}

PDFSplitter::Outcome PDFSplitter::SplitAlongRanges(const QString& file, const PageRanges& ranges,
                                                   const QString& outputFolder, const QString& outputNames,
                                                   QString& reason)
{
    ParsedPDF source;
    if (!OpenSource(source, file, reason))
        return Outcome::Failed;
    PageFailures failures;

    for (const PageInterval& interval : ranges.intervals) {
        if (StopRequested())
            return Outcome::Skipped;
        int first = 0;
        int last = 0;
        if (!interval.ClampTo(source.PageCount(), first, last)) {
            reason = tr("the range %1-%2 names no page of the document, which has %3")
                         .arg(interval.first)
                         .arg(interval.last)
                         .arg(source.PageCount());
            return Outcome::Failed;
        }
        const QString target = OutputFilePath(outputFolder, outputNames, file,
                                              {{QStringLiteral("[IntervalIndex]"), QString::number(interval.index)},
                                               {QStringLiteral("[IntervalStart]"), QString::number(first)},
                                               {QStringLiteral("[IntervalEnd]"), QString::number(last)}},
                                              reason);
        if (target.isEmpty())
            return Outcome::Failed;
        switch (ClearTarget(target, {file}, reason)) {
        case TargetStep::Fail:
            return Outcome::Failed;
        case TargetStep::Skip:
            continue; // the user keeps the file: no failure, no progress
        case TargetStep::Write:
            break;
        }
        if (!WriteOutput(source, first, last, target, failures, reason))
            return Outcome::Failed;
        emit UpdateProgress(ProgressPercent(interval.index, ranges.itemCount));
    }
    return PartsOutcome(failures, reason);
}

QList<FailedFile> PDFSplitter::SplitByPagesPerInterval(const QStringList& files, int pagesPerInterval,
                                                       const QString& outputFolder, const QString& outputNames)
{
    BeginOperation();
    QList<FailedFile> failed;
    const int total = files.size();
    for (int d = 0; d < total; ++d) {
        if (StopRequested())
            return failed;
        const QString& file = files.at(d);
        if (pagesPerInterval < 1) {
            failed.append({file, tr("a part must hold at least one page")});
            continue;
        }
        QString reason;
        const Outcome outcome = UnlessMemoryRunsOut(
            [&] { return SplitIntoParts(file, files, pagesPerInterval, outputFolder, outputNames, reason); }, reason,
            Outcome::Failed);
        if (outcome == Outcome::Skipped)
            return failed; // stopped
        if (outcome == Outcome::Failed || outcome == Outcome::Partial)
            failed.append({file, reason});
        emit UpdateProgress(ProgressPercent(d + 1, total));
    }
    return failed;
}

PDFSplitter::Outcome PDFSplitter::SplitIntoParts(const QString& file, const QStringList& jobInputs,
                                                 int pagesPerInterval, const QString& outputFolder,
                                                 const QString& outputNames, QString& reason)
{
    ParsedPDF source;
    if (!OpenSource(source, file, reason))
        return Outcome::Failed;
    PageFailures failures;
    for (qint64 start = 0; start < source.PageCount(); start += pagesPerInterval) {
        if (StopRequested())
            return Outcome::Skipped;
        const int first = static_cast<int>(start) + 1;
        const int last = static_cast<int>(std::min<qint64>(start + pagesPerInterval, source.PageCount()));
        const QString target =
            OutputFilePath(outputFolder, outputNames, file,
                           {{QStringLiteral("[IntervalIndex]"), QString::number(start / pagesPerInterval + 1)},
                            {QStringLiteral("[IntervalStart]"), QString::number(first)},
                            {QStringLiteral("[IntervalEnd]"), QString::number(last)}},
                           reason);
        if (target.isEmpty())
            return Outcome::Failed;
        const TargetStep step = ClearTarget(target, jobInputs, reason);
        if (step == TargetStep::Skip)
            continue;
        if (step == TargetStep::Fail || !WriteOutput(source, first, last, target, failures, reason))
            return Outcome::Failed;
    }
    return PartsOutcome(failures, reason);
}

#include "moc_PDFSplitter.cpp"
