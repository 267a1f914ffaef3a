#pragma once
// The base of the engines that write their outputs into a folder under names made from a
// pattern (split, watermark, crop). It holds the overwrite answer and the two signals that the
// window connects, and the steps that every output goes through before anything is written
// (ClearTarget):
//   1. a target that is the same file as one of the job's inputs (same device and inode) is
//      refused at once, before any question: the source fails and no input is ever touched;
//   2. an existing target is asked about through ShowOverwriteDialog, and the worker waits for
//      the window's answer in overwriteDecision; a "to all" answer holds for the rest of the
//      operation (BeginOperation starts each operation without one);
//   3. a target the user agreed to replace must be writable now, else the source fails with the
//      reason ("opened in another application" only when a program holds it).
// The output itself is then written through a StagedOutput, so an existing file is replaced
// only by a complete one; UpdateCopyOf takes a tool that updates a copy of each source through
// all of these steps. Memory that runs out while a source is handled fails that source alone
// (UnlessMemoryRunsOut), with nothing of its outputs left behind, and the job goes on. The
// operations of a subclass run on the worker thread and check StopRequested() between outputs;
// a stop also ends a wait for an answer (as No).

#include "app/tools/OverwriteDecision.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

#include "app/tools/FailedFile.h"
#include "app/tools/PageFailures.h"

struct PageRanges;
class UpdatedCopy;

class FileToolEngine : public QObject {
    Q_OBJECT

public:
    explicit FileToolEngine(QObject* parent = nullptr);

    // Written by the window on the GUI thread, read by the worker.
    OverwriteDecision overwriteDecision;

    // The flag of the thread that runs the engine (not owned; null: never stopped).
    void SetStopFlag(const std::atomic<bool>* flag) { stopFlag = flag; }
    bool StopRequested() const;

signals:
    // Percent done (ProgressPercent).
    void UpdateProgress(int progress);
    // The target exists: the window asks the user and stores the answer.
    void ShowOverwriteDialog(QString filePath);

protected:
    enum class TargetStep { Write, Skip, Fail };
    // What became of one source of a job that writes one output for each. Partial: the output
    // was written, but some of its pages could not be changed; the source is listed as failed.
    enum class Outcome { Written, Partial, Skipped, Failed };

    // Written when no page failed. Otherwise `reason` becomes the failures' reason (worded by
    // `pageText`, PageFailures::Reason); Partial when some page was done and nothing spoilt the
    // output, else Failed (nothing to write).
    static Outcome OutcomeOf(const PageFailures& failures, const QString& pageText, QString& reason);

    // At the start of every operation: no answer stands yet.
    void BeginOperation();
    // The steps above for one target. Skip: the user keeps the file (or the job is stopping),
    // which is no failure. Fail: `reason` says why.
    TargetStep ClearTarget(const QString& target, const QStringList& jobInputs, QString& reason);
    // Hands each page (0-based) the ranges name to `visit` once, in their order, and reports
    // progress after each item. False as soon as a visit fails.
    bool VisitRangePages(const PageRanges& ranges, int pageCount, const std::function<bool(int)>& visit);
    // One output made by updating a copy of `source`: its target in `folder` under the name
    // pattern `names`, the steps of ClearTarget, then the copy opened (UpdatedCopy::Open).
    // `update` writes the changes and says how that went; only Written and Partial end the update
    // and put the copy in the target's place. What the update left open with the copy (a copy session)
    // is closed when `update` returns, before the update ends.
    Outcome UpdateCopyOf(const QString& source, const QString& folder, const QString& names,
                         const QStringList& jobInputs, const std::function<Outcome(UpdatedCopy&)>& update,
                         QString& reason);

    // Given a document's page count, calls `visitPage` for each chosen page (from 0); false when
    // a page failed or the job is stopping.
    using PageWalk = std::function<bool(int pageCount, const std::function<bool(int)>& visitPage)>;
    // What a tool does with one source: its output, from the target's name to the commit.
    using SourceStep =
        std::function<Outcome(const QString& file, const QStringList& jobInputs, const PageWalk& walk, QString& reason)>;
    // Every page of every file, with progress after each file that was not skipped; stops between
    // files. The files that failed, with their reasons.
    QList<FailedFile> EachFileEveryPage(const QStringList& files, const SourceStep& step);
    // The pages that `pageIntervals` names in one file; a text none of whose items names an
    // interval fails the file before anything is written.
    QList<FailedFile> OneFileRangePages(const QString& file, const QString& pageIntervals, const SourceStep& step);

private:
    const std::atomic<bool>* stopFlag = nullptr;
};
