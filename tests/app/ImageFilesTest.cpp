// The image gate's header reader on headers made here: a JPEG's frame header found past other
// segments, stray bytes, fill bytes and markers without a segment, as a decoder finds it; the
// bound at exactly 1 GiB, counted at 8 bytes a pixel for a PNG of 16 bits a sample; damaged
// headers and other formats refused. The images themselves go through every reader in
// UserImagesTest.

#include "app/ImageFiles.h"
#include "app/support/AppTestMain.h"
#include "app/support/OversizedImage.h"

#include <QBuffer>

namespace {

using Outcome = ImageFiles::Outcome;

QByteArray Frame(int width, int height, char marker = '\xC0')
{
    QByteArray frame("\xFF", 1);
    frame += marker;
    frame += QByteArray("\x00\x0B\x08", 3);
    for (int value : {height, width}) {
        frame += char(value >> 8);
        frame += char(value);
    }
    return frame + QByteArray("\x01\x01\x11\x00", 4);
}

QByteArray Jpeg(const QByteArray& segments)
{
    return QByteArray("\xFF\xD8", 2) + segments;
}

QByteArray Png(quint32 width, quint32 height, int sampleBits, const QByteArray& firstChunk = "IHDR")
{
    QByteArray header = OversizedImage::BigEndian32(width) + OversizedImage::BigEndian32(height);
    header += char(sampleBits);
    header += QByteArray("\x06\x00\x00\x00", 4); // RGBA
    return QByteArray("\x89PNG\r\n\x1A\n", 8) + OversizedImage::PngChunk(firstChunk, header);
}

} // namespace

class ImageFilesTest : public QObject {
    Q_OBJECT

private slots:
    void headers_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QSize>("size");
        const int read = int(Outcome::Read);
        const int damaged = int(Outcome::Unreadable);
        const int tooLarge = int(Outcome::TooLarge);
        QTest::newRow("JPEG frame past stray, fill and lone markers")
            << Jpeg(QByteArray("\xFF\xE0\x00\x04\xAB\xCDstray\xFF\xFF\x00\xFF\xD0", 16) + Frame(640, 480)) << read
            << QSize(640, 480);
        QTest::newRow("JPEG of 16384 x 16384") << Jpeg(Frame(16384, 16384, '\xC2')) << read << QSize(16384, 16384);
        QTest::newRow("JPEG of 16384 x 16385") << Jpeg(Frame(16384, 16385)) << tooLarge << QSize(16384, 16385);
        QTest::newRow("JPEG scan before any frame") << Jpeg(QByteArray("\xFF\xDA\x00\x02", 4) + Frame(8, 8)) << damaged
                                                    << QSize();
        QTest::newRow("JPEG frame of height 0") << Jpeg(Frame(640, 0)) << damaged << QSize();
        QTest::newRow("JPEG segment length below 2") << Jpeg(QByteArray("\xFF\xE1\x00\x01", 4) + Frame(8, 8)) << damaged
                                                     << QSize();
        QTest::newRow("PNG of 8 bits a sample") << Png(11586, 11586, 8) << read << QSize(11586, 11586);
        QTest::newRow("PNG of 16 bits a sample") << Png(11586, 11586, 16) << tooLarge << QSize(11586, 11586);
        QTest::newRow("PNG of no width") << Png(0, 10, 8) << damaged << QSize();
        QTest::newRow("PNG without IHDR first") << Png(10, 10, 8, "gAMA") << damaged << QSize();
        QTest::newRow("GIF") << QByteArray("GIF89a\x10\x00\x10\x00", 10) << int(Outcome::NotJpegOrPng) << QSize();
    }

    void headers()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, outcome);
        QFETCH(QSize, size);
        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        ImageFiles::Header header;
        QString reason;
        Outcome found = Outcome::Read;
        QCOMPARE(ImageFiles::Check(buffer, QStringLiteral("made"), header, reason, &found), outcome == int(Outcome::Read));
        QCOMPARE(int(found), outcome);
        if (size.isValid())
            QCOMPARE(header.size, size);
    }
};

VELLORAN_APP_TEST_MAIN(ImageFilesTest)
#include "ImageFilesTest.moc"
