#pragma once
// Runs one merge at a time on a worker thread for the merge window. The window sets the files
// and the output path while the thread is not running and starts it; run() merges copies of
// them, and GetResult() tells the window, after finished(), what became of the job. The engine
// is made with the thread object and dies with it.

#include "app/tools/ToolThread.h"
#include "app/tools/merge/PDFMerger.h"

#include <QString>
#include <QStringList>

class MergeThread : public ToolThread {
    Q_OBJECT

public:
    // An empty factory merges through the library (PDFMerger).
    explicit MergeThread(MergeOutputFactory outputFactory = MergeOutputFactory());
    ~MergeThread() override;

    PDFMerger engine;

    void SetFiles(const QStringList& newFiles);
    // The output file; written by the window only while the thread is not running.
    QString outputPath;
    QString GetOutputPath() const;
    // The last job's result; read only after finished().
    MergeResult GetResult() const;

protected:
    void run() override;

private:
    QStringList files;
    MergeResult result;
};
