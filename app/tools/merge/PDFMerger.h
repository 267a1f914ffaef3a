#pragma once
// The merge engine: all pages of a list of PDF files, in list order, into one new PDF file.
// Merge runs synchronously on the caller's thread (the merge worker) and emits UpdateProgress
// after each input. It checks the stop flag before each input; a stopped job, a failed end and a
// document to which no input could be added leave no output behind. The engine never touches an
// input, and it does not check that the output is none of them: the window does, before it
// starts the job. The library is reached only through the output that the factory makes, one
// per job.

#include "app/tools/merge/IMergeOutput.h"

#include <QObject>
#include <QStringList>

#include <atomic>

struct MergeResult {
    // The output was completed and holds the pages of at least one input.
    bool written = false;
    // Inputs that could not be added (wholly or partly), in list order.
    QStringList failedFiles;
    // The job was stopped before its end; nothing is left of its output.
    bool stopped = false;
};

class PDFMerger : public QObject {
    Q_OBJECT

public:
    // An empty factory merges through the library's PDFWriter.
    explicit PDFMerger(MergeOutputFactory outputFactory = MergeOutputFactory(), QObject* parent = nullptr);

    MergeResult Merge(const QStringList& files, const QString& outputPath,
                      const std::atomic<bool>* stop = nullptr);

signals:
    // Percent of the inputs done (ProgressPercent), after each input.
    void UpdateProgress(int progress);

private:
    MergeOutputFactory outputFactory;
};
