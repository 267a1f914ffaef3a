#pragma once
// Runs one split at a time on a worker thread for the split window. The window sets the mode and
// the fields that mode uses while the thread is not running, then starts it; run() splits copies
// of them, and GetFailedFiles() / GetFailures() tell the window, after finished(), which sources
// could not be split and why. A thread in an unknown mode splits nothing and reports every
// source it was given. The engine is made with the thread object and dies with it.

#include "app/tools/FolderToolThread.h"
#include "app/tools/split/PDFSplitter.h"

#include <QString>
#include <QStringList>

enum SplitMode { ConsecutivePageSplit = 1, IntervalSplit = 2 };

class SplitThread : public FolderToolThread {
    Q_OBJECT

public:
    SplitThread();
    ~SplitThread() override;

    PDFSplitter engine;

    void SetFiles(const QStringList& newFiles);
    // The job's fields; written by the window only while the thread is not running.
    int mode = ConsecutivePageSplit;
    QString sourceFile;        // interval split
    int pagesPerInterval = 1;  // consecutive page split
    QString pageIntervals;     // interval split
    QString outputFolder;
    QString outputNames;

protected:
    void run() override;

private:
    QStringList files; // consecutive page split
};
