#pragma once
// The crop tool's engine: each source is copied into the output folder and the chosen pages of
// the copy get the crop rectangle as their new MediaBox, through an incremental update appended
// to the copy, so the source's bytes stay a prefix of the output. The rectangle is measured on
// each page as a reader shows it, from the lower-left corner of its shown area and upright as
// shown, and cut to that area (CropOnPage, as the window's preview shows it); percents are of
// the first page's shown size. Each page object is written again with all its other entries
// unchanged (a CropBox, Rotate, Resources and inherited values stay as they were; a page that
// inherited its MediaBox gets one of its own). A chosen page that the rectangle misses
// altogether fails its source, naming the page: it would come out blank.
//
// Every output passes the overwrite steps of FileToolEngine and is made as an UpdatedCopy: the
// copy is checked, the update and its end are checked, and only a complete output replaces the
// target. A source fails, with its reason and nothing left behind, when its copy, the update,
// one of its chosen pages or the end of the update fails, and before any file is touched when
// the rectangle has no area. The operations run synchronously on the worker thread and check the
// stop flag between files and pages; a stopped source leaves no output and is not reported.

#include "app/tools/FailedFile.h"
#include "app/tools/FileToolEngine.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class UpdatedCopy;

class PDFCropper : public FileToolEngine {
    Q_OBJECT

public:
    explicit PDFCropper(QObject* parent = nullptr);

    // Every page of every file; progress after each file that was written or failed. The files
    // that failed, with their reasons.
    QList<FailedFile> CropDocuments(const QStringList& files, int unitMode, int originX, int originY, int width,
                                    int height, const QString& outputFolder, const QString& outputNames);

    // The pages that the page-range text names, in one file; progress after each interval of
    // the text, counted over all its items. Pages beyond the document are passed over; a page
    // named twice is written once. The file with its reason when it failed, else nothing.
    QList<FailedFile> CropDocumentPageIntervals(const QString& file, const QString& pageIntervals, int unitMode,
                                                int originX, int originY, int width, int height,
                                                const QString& outputFolder, const QString& outputNames);

private:
    struct Job;
    // CropSource for the job, as the frame's loops take it.
    SourceStep CropStep(const Job& job);
    // One source from its target's name to the committed output.
    Outcome CropSource(const Job& job, const QString& file, const QStringList& jobInputs, const PageWalk& cropPages,
                       QString& reason);
    // The new page objects, written into the open copy.
    Outcome CropCopy(const Job& job, UpdatedCopy& copy, const PageWalk& cropPages, QString& reason);
};
