#pragma once
// Runs one crop at a time on a worker thread for the crop window. The window fills the job's
// fields while the thread is not running, then starts it; run() crops copies of them: every
// page of every file, or with usePageIntervals the pages of the interval text in the first
// file only. GetFailedFiles() / GetFailures() tell the window, after finished(), which sources
// could not be cropped and why. The engine is made with the thread object and dies with it.

#include "app/tools/FolderToolThread.h"
#include "app/tools/crop/PDFCropper.h"

#include <QString>
#include <QStringList>

class CropThread : public FolderToolThread {
    Q_OBJECT

public:
    CropThread();
    ~CropThread() override;

    PDFCropper engine;

    // The job's fields; written by the window only while the thread is not running.
    QStringList files;
    int unitMode = 1;
    int originX = 10;
    int originY = 10;
    int width = 80;
    int height = 80;
    bool usePageIntervals = false;
    QString pageIntervals;
    QString outputNames;
    QString outputFolder;

protected:
    void run() override;
};
