#include "app/tools/watermark/WatermarkThread.h"

#include "app/ImageFiles.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

// 72 pixels per inch: the library sizes a JPEG from its resolution, so one pixel is one point.
constexpr int kDotsPerMeter = 2834;

} // namespace

WatermarkThread::WatermarkThread()
{
    engine.SetStopFlag(StopFlag());
}

WatermarkThread::~WatermarkThread()
{
    // The engine goes before the base class could wait for the job.
    StopAndWait();
}

bool WatermarkThread::MakeTemporaryJpeg(const QString& imagePath, const QString& jpegPath, QString& reason)
{
    if (imagePath.isEmpty()) {
        reason = PDFWatermarker::tr("no image was chosen");
        return false;
    }
    QImage image = ImageFiles::Read(imagePath, reason);
    if (image.isNull())
        return false;
    // JPEG has no transparency: transparent parts would turn black unless laid on white first.
    if (image.hasAlphaChannel()) {
        QImage flat(image.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter painter(&flat);
        painter.drawImage(0, 0, image);
        painter.end();
        image = flat;
    }
    image.setDotsPerMeterX(kDotsPerMeter);
    image.setDotsPerMeterY(kDotsPerMeter);
    if (!image.save(jpegPath, "JPG", 100)) {
        reason = PDFWatermarker::tr("the image %1 could not be converted for the document")
                     .arg(QDir::toNativeSeparators(imagePath));
        return false;
    }
    return true;
}

void WatermarkThread::run()
{
    failedFiles.clear();
    const QStringList sources = usePageIntervals ? files.mid(0, 1) : files;
    auto failAll = [this, &sources](const QString& reason) {
        for (const QString& source : sources)
            failedFiles.append({source, reason});
    };
    switch (mode) {
    case TextWatermark:
        if (usePageIntervals && !sources.isEmpty())
            failedFiles = engine.AddTextWatermarkToPageIntervals(sources.first(), pageIntervals, text, fontName,
                                                                 fontSize, color, position, unitMode, offsetX,
                                                                 offsetY, outputFolder, outputNames);
        else
            failedFiles = engine.AddTextWatermark(sources, text, fontName, fontSize, color, position, unitMode,
                                                  offsetX, offsetY, outputFolder, outputNames);
        break;
    case ImageWatermark: {
        // A folder of this job's own: no name shared with another job, no file of the user's
        // touched; it goes with everything in it when the job ends.
        QTemporaryDir folder(QStandardPaths::writableLocation(QStandardPaths::TempLocation) +
                             QStringLiteral("/velloran-watermark-XXXXXX"));
        if (!folder.isValid()) {
            failAll(PDFWatermarker::tr("no temporary folder could be made: %1").arg(folder.errorString()));
            break;
        }
        const QString jpeg = folder.filePath(QStringLiteral("mark.jpg"));
        QString reason;
        if (!MakeTemporaryJpeg(imagePath, jpeg, reason)) {
            failAll(reason);
            break;
        }
        if (usePageIntervals && !sources.isEmpty())
            failedFiles = engine.AddImageWatermarkToPageIntervals(sources.first(), pageIntervals, jpeg, scale,
                                                                  position, unitMode, offsetX, offsetY, outputFolder,
                                                                  outputNames);
        else
            failedFiles = engine.AddImageWatermark(sources, jpeg, scale, position, unitMode, offsetX, offsetY,
                                                   outputFolder, outputNames);
        break;
    }
    default:
        failAll(PDFWatermarker::tr("unknown watermark mode %1").arg(mode));
        break;
    }
}

#include "moc_WatermarkThread.cpp"
