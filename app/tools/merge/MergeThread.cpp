#include "app/tools/merge/MergeThread.h"

MergeThread::MergeThread(MergeOutputFactory outputFactory) : engine(std::move(outputFactory)) {}

MergeThread::~MergeThread()
{
    // The engine goes before the base class could wait for the job.
    StopAndWait();
}

void MergeThread::SetFiles(const QStringList& newFiles)
{
    files = newFiles;
}

QString MergeThread::GetOutputPath() const
{
    return outputPath;
}

MergeResult MergeThread::GetResult() const
{
    return result;
}

void MergeThread::run()
{
    const QStringList jobFiles = files;
    const QString jobOutput = outputPath;
    result = engine.Merge(jobFiles, jobOutput, StopFlag());
}
