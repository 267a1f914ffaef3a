#include "app/tools/split/SplitThread.h"

SplitThread::SplitThread()
{
    engine.SetStopFlag(StopFlag());
}

SplitThread::~SplitThread()
{
    // The engine goes before the base class could wait for the job.
    StopAndWait();
}

void SplitThread::SetFiles(const QStringList& newFiles)
{
    files = newFiles;
}

void SplitThread::run()
{
    failedFiles.clear();
    const QString folder = outputFolder;
    const QString names = outputNames;
    switch (mode) {
    case ConsecutivePageSplit:
        failedFiles = engine.SplitByPagesPerInterval(QStringList(files), pagesPerInterval, folder, names);
        break;
    case IntervalSplit:
        failedFiles = engine.SplitByPageRanges(QString(sourceFile), QString(pageIntervals), folder, names);
        break;
    default: {
        // Nothing would be written and nothing said: every source the job was given is named.
        QStringList sources = files;
        if (!sourceFile.isEmpty() && !sources.contains(sourceFile))
            sources.append(sourceFile);
        for (const QString& source : sources)
            failedFiles.append({source, PDFSplitter::tr("unknown split mode %1").arg(mode)});
        break;
    }
    }
}

#include "moc_SplitThread.cpp"
