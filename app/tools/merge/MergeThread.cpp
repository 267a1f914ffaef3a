#include "app/tools/merge/MergeThread.h"

#include "app/tools/PDFQueries.h"


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
    // The document is read back before it replaces anything; a job that is being stopped has no
    // reader for its answer (the window is closing), so it is not read back and not kept.
    result = engine.Merge(jobFiles, jobOutput, StopFlag(),
                          [this](const QString& path) { return !StopRequested() && outputCheck && outputCheck(path); });
    outputReadable = result.written;
}

#include "moc_MergeThread.cpp"
