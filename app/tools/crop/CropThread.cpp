#include "app/tools/crop/CropThread.h"

CropThread::CropThread()
{
    engine.SetStopFlag(StopFlag());
}

CropThread::~CropThread()
{
    // The engine goes before the base class could wait for the job.
    StopAndWait();
}

void CropThread::run()
{
    failedFiles.clear();
    // The window never starts with an empty list; a thread started without files does nothing.
    if (files.isEmpty())
        return;
    const QStringList jobFiles = files;
    if (usePageIntervals)
        failedFiles = engine.CropDocumentPageIntervals(jobFiles.first(), QString(pageIntervals), unitMode, originX,
                                                       originY, width, height, QString(outputFolder),
                                                       QString(outputNames));
    else
        failedFiles = engine.CropDocuments(jobFiles, unitMode, originX, originY, width, height,
                                           QString(outputFolder), QString(outputNames));
}

#include "moc_CropThread.cpp"
