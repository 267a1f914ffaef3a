#pragma once
// Runs one watermark job at a time on a worker thread for the watermark window. The window sets
// the fields while the thread is not running, then starts it; run() marks copies of the sources
// and GetFailedFiles() / GetFailures() tell the window, after finished(), which sources could not
// be marked and why. An image mark is first converted to a JPEG at 72 pixels per inch (an image
// with transparency flattened on white) inside a temporary folder of the job's own, removed when
// the job ends; an image that cannot be read or converted, or that ImageFiles refuses (no JPEG
// or PNG, or too large to decode), fails every source. A thread in an unknown mode marks nothing
// and reports every source. The engine dies with the thread object.

#include "app/tools/FolderToolThread.h"
#include "app/tools/watermark/PDFWatermarker.h"

#include <QString>
#include <QStringList>

enum WatermarkMode { TextWatermark = 1, ImageWatermark = 2 };

class QImage;

class WatermarkThread : public FolderToolThread {
    Q_OBJECT

public:
    WatermarkThread();
    ~WatermarkThread() override;

    PDFWatermarker engine;

    // The job's fields; written by the window only while the thread is not running.
    QStringList files;
    int mode = TextWatermark;
    QString text;
    QString fontName;
    int fontSize = 16;
    unsigned int color = 0;
    QString imagePath;
    int scale = 100;
    int position = 2;
    int unitMode = 0;
    int offsetX = 50;
    int offsetY = 50;
    bool usePageIntervals = false;
    QString pageIntervals;
    QString outputNames;
    QString outputFolder;

    // The image as the JPEG the job draws: transparency on white, 72 pixels per inch. False with
    // the reason when it cannot be read, is too large to decode or cannot be saved there.
    static bool MakeTemporaryJpeg(const QString& imagePath, const QString& jpegPath, QString& reason);

protected:
    void run() override;
};
