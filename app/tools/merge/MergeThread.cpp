#include "app/tools/merge/MergeThread.h"

#include "app/tools/PDFQueries.h"

#include <QFileInfo>

MergeThread::MergeThread(MergeOutputFactory outputFactory)
    : engine(std::move(outputFactory)), outputCheck(IsPDFReadable)
{
}

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

bool MergeThread::OutputReadable() const
{
    return outputReadable;
}

void MergeThread::run()
{
    const QStringList jobFiles = files;
    const QString jobOutput = outputPath;
    outputReadable = false;
    result = engine.Merge(jobFiles, jobOutput, StopFlag());
    // A job that is being stopped has no reader for its answer: the window is closing.
    outputReadable = result.written && !StopRequested() && QFileInfo::exists(jobOutput) && outputCheck &&
                     outputCheck(jobOutput);
}
