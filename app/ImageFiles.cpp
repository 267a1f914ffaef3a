#include "app/ImageFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QtEndian>

#include <algorithm>

namespace {

const char kPngSignature[] = "\x89PNG\r\n\x1A\n";
const int kPngSignatureSize = 8;
// Qt decodes a PNG of 16 bits a sample to 64 bits a pixel, anything else to 32 at most.
const int kLeastBitsPerPixel = 32;
const int kWideBitsPerPixel = 64;

QString Tr(const char* text)
{
    return QCoreApplication::translate("ImageFiles", text);
}

// The bytes of the decoded image, as QImage lays its lines out (each padded to four bytes);
// beyond the bound, any number above it.
qint64 DecodedBytes(const QSize& size, int bitsPerPixel)
{
    const qint64 lineBytes = (qint64(size.width()) * bitsPerPixel + 31) / 32 * 4;
    if (lineBytes > ImageFiles::kMaxDecodedBytes / size.height())
        return ImageFiles::kMaxDecodedBytes + 1;
    return lineBytes * size.height();
}

bool ReadByte(QIODevice& device, uchar& byte)
{
    char c = 0;
    if (!device.getChar(&c))
        return false;
    byte = static_cast<uchar>(c);
    return true;
}

bool ReadBigEndian16(QIODevice& device, int& value)
{
    const QByteArray bytes = device.read(2);
    if (bytes.size() != 2)
        return false;
    value = qFromBigEndian<quint16>(bytes.constData());
    return true;
}

// The size in the first frame header (SOFn), found as a JPEG decoder finds it: segment after
// segment from the start of image, each skipped by its length; bytes that are no marker are passed
// over up to the next one. The device stands after the start-of-image marker.
QSize JpegSize(QIODevice& device)
{
    for (;;) {
        uchar code = 0;
        do {
            if (!ReadByte(device, code))
                return QSize();
        } while (code != 0xFF);
        do {
            if (!ReadByte(device, code))
                return QSize();
        } while (code == 0xFF);
        // FF 00 is a stuffed byte, not a marker; restart and temporary markers have no segment.
        if (code == 0x00 || code == 0x01 || (code >= 0xD0 && code <= 0xD8))
            continue;
        // The end of the image or the start of a scan before any frame: no size.
        if (code == 0xD9 || code == 0xDA)
            return QSize();
        int length = 0;
        if (!ReadBigEndian16(device, length) || length < 2)
            return QSize();
        // SOF0 to SOF15 but DHT (C4), JPG (C8) and DAC (CC).
        if (code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC) {
            uchar precision = 0;
            int height = 0;
            int width = 0;
            if (length < 7 || !ReadByte(device, precision) || !ReadBigEndian16(device, height) ||
                !ReadBigEndian16(device, width))
                return QSize();
            // A height of 0 would be given later (DNL), which decoders do not support.
            return width > 0 && height > 0 ? QSize(width, height) : QSize();
        }
        if (!device.seek(device.pos() + length - 2))
            return QSize();
    }
}

// The size in the IHDR chunk, which the PNG format puts first, and the bits a pixel take once
// decoded. The device stands after the signature.
QSize PngSize(QIODevice& device, int& bitsPerPixel)
{
    const QByteArray chunk = device.read(8 + 13);
    if (chunk.size() != 8 + 13 || qFromBigEndian<quint32>(chunk.constData()) != 13 || chunk.mid(4, 4) != "IHDR")
        return QSize();
    const quint32 width = qFromBigEndian<quint32>(chunk.constData() + 8);
    const quint32 height = qFromBigEndian<quint32>(chunk.constData() + 12);
    const int sampleBits = static_cast<uchar>(chunk.at(16));
    if (width == 0 || height == 0 || width > 0x7FFFFFFFu || height > 0x7FFFFFFFu)
        return QSize();
    bitsPerPixel = sampleBits == 16 ? kWideBitsPerPixel : kLeastBitsPerPixel;
    return QSize(static_cast<int>(width), static_cast<int>(height));
}

} // namespace

namespace ImageFiles {

bool Check(QIODevice& device, const QString& name, Header& header, QString& reason, Outcome* outcome)
{
    const QString shown = QDir::toNativeSeparators(name);
    auto refuse = [&](Outcome why, const QString& text) {
        reason = text;
        if (outcome)
            *outcome = why;
        return false;
    };
    if (!device.isOpen() || !device.seek(0))
        return refuse(Outcome::Unreadable, Tr("the image %1 cannot be read: %2").arg(shown, device.errorString()));
    const QByteArray start = device.read(kPngSignatureSize);
    int bitsPerPixel = kLeastBitsPerPixel;
    if (start.startsWith("\xFF\xD8\xFF")) {
        header.format = Format::Jpeg;
        device.seek(2);
        header.size = JpegSize(device);
    } else if (start == QByteArray(kPngSignature, kPngSignatureSize)) {
        header.format = Format::Png;
        header.size = PngSize(device, bitsPerPixel);
    } else {
        return refuse(Outcome::NotJpegOrPng, Tr("the image %1 is not a JPEG or PNG image").arg(shown));
    }
    if (!header.size.isValid())
        return refuse(Outcome::Unreadable, Tr("the image %1 cannot be read: its header is damaged").arg(shown));
    if (DecodedBytes(header.size, bitsPerPixel) > kMaxDecodedBytes)
        return refuse(Outcome::TooLarge, Tr("the image %1 is too large: %2 x %3 pixels take more than 1 GiB of "
                                            "memory once decoded")
                                             .arg(shown)
                                             .arg(header.size.width())
                                             .arg(header.size.height()));
    if (outcome)
        *outcome = Outcome::Read;
    return true;
}

bool Check(const QString& path, Header& header, QString& reason, Outcome* outcome)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly); // a file that does not open is refused with the system's reason
    return Check(file, path, header, reason, outcome);
}

QSize HeaderSize(const QString& path)
{
    Header header;
    QString reason;
    return Check(path, header, reason) ? header.size : QSize();
}

QImage Read(QIODevice& device, const QString& name, QString& reason, Outcome* outcome)
{
    Header header;
    if (!Check(device, name, header, reason, outcome))
        return QImage();
    device.seek(0);
    QImageReader reader(&device, header.format == Format::Jpeg ? QByteArrayLiteral("jpeg") : QByteArrayLiteral("png"));
    reader.setAutoDetectImageFormat(false);
    QImage image = reader.read();
    if (image.isNull()) {
        reason = Tr("the image %1 cannot be read: %2").arg(QDir::toNativeSeparators(name), reader.errorString());
        if (outcome)
            *outcome = Outcome::Unreadable;
    }
    return image;
}

QImage Read(const QString& path, QString& reason, Outcome* outcome)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return Read(file, path, reason, outcome);
}

} // namespace ImageFiles
