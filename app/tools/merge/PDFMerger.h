#pragma once
// The merge engine: all pages of a list of PDF files, in list order, into one new PDF file.
// Merge runs synchronously on the caller's thread (the merge worker) and emits UpdateProgress
// after each input. The document is written beside the output (StagedOutput), read back through
// the check when one is given, and only then put in the output's place: a stopped job, a failed
// end, a document that does not read back and one to which no input could be added leave the
// output path as it was, an existing file included, and so does memory that runs out, which
// fails the merge with that reason. The engine never touches an input: an output that is one of
// them (same device and inode) fails the job before anything is written. The library is reached
// only through the output that the factory makes, one per job.

#include "app/tools/FailedFile.h"
#include "app/tools/merge/IMergeOutput.h"

#include <QObject>
#include <QStringList>

#include <atomic>
#include <functional>

struct MergeResult {
    // The output was completed, read back and put in place; it holds the pages of at least one
    // input.
    bool written = false;
    // Why nothing was written (empty when it was, or when the job was stopped).
    QString failure;
    // Inputs that could not be added (wholly or partly), in list order, with their reasons.
    QList<FailedFile> failedFiles;
    // The job was stopped before its end; nothing is left of its output.
    bool stopped = false;
};

class PDFMerger : public QObject {
    Q_OBJECT

public:
    // An empty factory merges through the library's PDFWriter.
    explicit PDFMerger(MergeOutputFactory outputFactory = MergeOutputFactory(), QObject* parent = nullptr);

    // `check` reads the finished document back (given its temporary path) before it replaces
    // anything; none: no check.
    MergeResult Merge(const QStringList& files, const QString& outputPath, const std::atomic<bool>* stop = nullptr,
                      const std::function<bool(const QString&)>& check = nullptr);

signals:
    // Percent of the inputs done (ProgressPercent), after each input.
    void UpdateProgress(int progress);

private:
    MergeResult MergeStaged(const QStringList& files, const QString& outputPath, const std::atomic<bool>* stop,
                            const std::function<bool(const QString&)>& check);

    MergeOutputFactory outputFactory;
};
