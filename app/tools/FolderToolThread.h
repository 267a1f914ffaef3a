#pragma once
// The worker thread of a tool that writes its outputs into a folder (split, watermark, crop):
// besides the stop of every tool thread it keeps the sources that the last job could not handle,
// with their reasons. run() empties the list when it starts and fills it; the window reads it
// only after finished().

#include "app/tools/FailedFile.h"
#include "app/tools/ToolThread.h"

#include <QList>
#include <QStringList>

class FolderToolThread : public ToolThread {
    Q_OBJECT

public:
    using ToolThread::ToolThread;

    // The last job's failed sources, in order.
    QStringList GetFailedFiles() const { return FailedPaths(failedFiles); }
    QList<FailedFile> GetFailures() const { return failedFiles; }

protected:
    QList<FailedFile> failedFiles;
};
