#pragma once
// A JPEG of a few hundred bytes, baseline or progressive, whose frame header claims 65,500 x
// 65,500 pixels (17 GB once decoded); and whether the process's peak memory shows none decoded.

#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QTest>

#include <sys/resource.h>

namespace OversizedImage {

inline void AddRows()
{
    QTest::addColumn<bool>("progressive");
    QTest::newRow("baseline") << false;
    QTest::newRow("progressive") << true;
}

// False when the JPEG cannot be written or lacks its frame marker.
inline bool WriteJpeg(const QString& path, bool progressive)
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::red);
    QImageWriter writer(path, "jpeg");
    writer.setProgressiveScanWrite(progressive);
    QFile file(path);
    if (!writer.write(image) || !file.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes = file.readAll();
    // The marker, then its length (2 bytes), precision (1), height and width (2 each): 0xFFDC.
    const int frame = bytes.indexOf(progressive ? "\xFF\xC2" : "\xFF\xC0");
    return frame >= 0 && file.seek(frame + 5) && file.write("\xFF\xDC\xFF\xDC") == 4;
}

inline bool PeakMemoryUnder1GB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss < 1024 * 1024; // in KB
}

} // namespace OversizedImage
