#pragma once
// Runs one merge at a time on a worker thread for the merge window. The window sets the files,
// the output path and the output check while the thread is not running and starts it; run()
// merges copies of them, reading the document back before it takes the output's place, and
// GetResult() and OutputReadable() tell the window, after finished(), what became of the job. The engine is made with the thread
// object and dies with it.

#include "app/tools/ToolThread.h"
#include "app/tools/merge/PDFMerger.h"

#include <QString>
#include <QStringList>

#include <functional>

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
    // Whether a written document can be read back; called on the worker thread once the merge
    // has written it, before it replaces the output. Reading a large document back takes a while, which is why the window
    // does not do it on its own thread. IsPDFReadable unless the window sets another.
    std::function<bool(const QString&)> outputCheck;
    // The last job's result; read only after finished().
    MergeResult GetResult() const;
    // The last job's output was written, passed the check and is in place; read only after
    // finished().
    bool OutputReadable() const;

protected:
    void run() override;

private:
    QStringList files;
    MergeResult result;
    bool outputReadable = false;
};
