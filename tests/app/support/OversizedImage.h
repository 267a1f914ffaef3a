#pragma once
// A JPEG of a few hundred bytes whose frame header claims 65,500 x 65,500 pixels (17 GB once
// decoded): a small image written by Qt, baseline or progressive, with its SOF0 or SOF2 marker's
// height and width patched. And the test process's peak memory, to show that nothing decoded it.

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QString>
#include <QTest>

#include <sys/resource.h>

namespace OversizedImage {

constexpr int kSide = 65500;

// False when the JPEG cannot be written or lacks the marker.
inline bool WriteJpeg(const QString& path, bool progressive)
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::red);
    QImageWriter writer(path, "jpeg");
    writer.setProgressiveScanWrite(progressive);
    if (!writer.write(image))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes = file.readAll();
    // After the marker: its length (2 bytes), the sample precision (1), height (2), width (2).
    const int frame = bytes.indexOf(progressive ? QByteArray("\xFF\xC2") : QByteArray("\xFF\xC0"));
    if (frame < 0 || frame + 9 > bytes.size())
        return false;
    for (int at : {frame + 5, frame + 7}) {
        bytes[at] = static_cast<char>(kSide >> 8);
        bytes[at + 1] = static_cast<char>(kSide & 0xFF);
    }
    return file.seek(0) && file.write(bytes) == bytes.size();
}

// The rows of a test of both: a bool column "progressive".
inline void AddRows()
{
    QTest::addColumn<bool>("progressive");
    QTest::newRow("baseline") << false;
    QTest::newRow("progressive") << true;
}

// The largest resident size the process has had, in KB.
inline long PeakMemoryKB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

constexpr long kMostMemoryKB = 1024 * 1024;

} // namespace OversizedImage
