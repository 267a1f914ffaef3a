#include "app/tools/FileToolEngine.h"

#include "app/OutOfMemory.h"
#include "app/tools/FailedFile.h"
#include "app/tools/OutputNames.h"
#include "app/tools/PageRanges.h"
#include "app/tools/ProgressPercent.h"
#include "app/tools/UpdatedCopy.h"

#include <QFile>
#include <QFileInfo>
#include <QMetaMethod>

#include <vector>

FileToolEngine::FileToolEngine(QObject* parent) : QObject(parent) {}

bool FileToolEngine::StopRequested() const
{
    return stopFlag && stopFlag->load(std::memory_order_acquire);
}

void FileToolEngine::BeginOperation()
{
    overwriteDecision.Reset();
}

FileToolEngine::Outcome FileToolEngine::OutcomeOf(const PageFailures& failures, const QString& pageText,
                                                  QString& reason)
{
    if (!failures.Any())
        return Outcome::Written;
    reason = failures.Reason(pageText);
    return failures.Done() > 0 && !failures.Spoilt() ? Outcome::Partial : Outcome::Failed;
}

FileToolEngine::TargetStep FileToolEngine::ClearTarget(const QString& target, const QStringList& jobInputs,
                                                      QString& reason)
{
    // A target that is not there is none of the inputs either.
    if (!QFileInfo::exists(target))
        return TargetStep::Write;
    reason = ReplacedInputReason(target, jobInputs);
    if (!reason.isEmpty())
        return TargetStep::Fail;
    if (!overwriteDecision.AnswersForAll()) {
        // Nobody to ask (an engine run without a window) would mean waiting for ever: the file
        // is kept, as a user who closes the question keeps it.
        if (!isSignalConnected(QMetaMethod::fromSignal(&FileToolEngine::ShowOverwriteDialog)))
            return TargetStep::Skip;
        overwriteDecision.Reset();
        emit ShowOverwriteDialog(target);
        overwriteDecision.WaitForAnswer(stopFlag);
    }
    if (StopRequested() || !overwriteDecision.AllowsOverwrite())
        return TargetStep::Skip;
    // Opened for reading and writing without being changed: a file that another program holds,
    // or that is read-only, is not replaced behind the user's back.
    QFile existing(target);
    if (!existing.open(QIODevice::ReadWrite)) {
        reason = WriteFailureReason(target, existing.errorString());
        return TargetStep::Fail;
    }
    existing.close();
    return TargetStep::Write;
}

bool FileToolEngine::VisitRangePages(const PageRanges& ranges, int pageCount, const std::function<bool(int)>& visit)
{
    // A page that two items name is visited once: its result would be the same.
    std::vector<bool> visited(static_cast<size_t>(pageCount > 0 ? pageCount : 0), false);
    for (const PageInterval& interval : ranges.intervals) {
        int first = 0;
        int last = 0;
        if (interval.ClampTo(pageCount, first, last)) {
            for (int page = first; page <= last; ++page) {
                if (visited[static_cast<size_t>(page - 1)])
                    continue;
                if (!visit(page - 1))
                    return false;
                visited[static_cast<size_t>(page - 1)] = true;
            }
        }
        emit UpdateProgress(ProgressPercent(interval.index, ranges.itemCount));
    }
    return true;
}

FileToolEngine::Outcome FileToolEngine::UpdateCopyOf(const QString& source, const QString& folder,
                                                     const QString& names, const QStringList& jobInputs,
                                                     const std::function<Outcome(UpdatedCopy&)>& update,
                                                     QString& reason)
{
    const QString target = OutputFilePath(folder, names, source, {}, reason);
    if (target.isEmpty())
        return Outcome::Failed;
    switch (ClearTarget(target, jobInputs, reason)) {
    case TargetStep::Fail:
        return Outcome::Failed;
    case TargetStep::Skip:
        return Outcome::Skipped;
    case TargetStep::Write:
        break;
    }
    UpdatedCopy copy(target, source);
    if (!copy.Open(reason))
        return Outcome::Failed;
    const Outcome outcome = update(copy);
    if (outcome != Outcome::Written && outcome != Outcome::Partial)
        return outcome;
    // A partial update keeps the reason its pages gave unless the commit fails.
    QString commitReason;
    if (!copy.Commit(commitReason)) {
        reason = commitReason;
        return Outcome::Failed;
    }
    return outcome;
}

QList<FailedFile> FileToolEngine::EachFileEveryPage(const QStringList& files, const SourceStep& step)
{
    const PageWalk everyPage = [](int pageCount, const std::function<bool(int)>& visitPage) {
        for (int page = 0; page < pageCount; ++page)
            if (!visitPage(page))
                return false;
        return true;
    };
    QList<FailedFile> failed;
    const int total = files.size();
    for (int i = 0; i < total; ++i) {
        if (StopRequested())
            return failed;
        const QString& file = files.at(i);
        QString reason;
        const Outcome outcome =
            UnlessMemoryRunsOut([&] { return step(file, files, everyPage, reason); }, reason, Outcome::Failed);
        if (StopRequested())
            return failed;
        if (outcome == Outcome::Skipped)
            continue;
        if (outcome == Outcome::Failed || outcome == Outcome::Partial)
            failed.append({file, reason});
        emit UpdateProgress(ProgressPercent(i + 1, total));
    }
    return failed;
}

QList<FailedFile> FileToolEngine::OneFileRangePages(const QString& file, const QString& pageIntervals,
                                                    const SourceStep& step)
{
    if (StopRequested())
        return {};
    const PageRanges ranges = ReadPageRanges(pageIntervals);
    // A text that names no page would give an untouched copy under a new name.
    if (ranges.intervals.isEmpty())
        return {FailedFile{file, NoPageNamedReason(pageIntervals)}};
    const PageWalk rangePages = [this, &ranges](int pageCount, const std::function<bool(int)>& visitPage) {
        return VisitRangePages(ranges, pageCount, visitPage);
    };
    QString reason;
    const Outcome outcome =
        UnlessMemoryRunsOut([&] { return step(file, {file}, rangePages, reason); }, reason, Outcome::Failed);
    if ((outcome == Outcome::Failed || outcome == Outcome::Partial) && !StopRequested())
        return {FailedFile{file, reason}};
    return {};
}

#include "moc_FileToolEngine.cpp"
