#pragma once
// Images that take far more memory once decoded than their files: a JPEG of a few hundred bytes,
// baseline or progressive, whose frame header claims 65,500 x 65,500 pixels (17 GB once decoded);
// PNG images of zeros and a compressed SVG of blanks, a few megabytes that inflate to a gigabyte,
// written as a fixed-code deflate stream by hand (zlib would take seconds to find the repeats);
// and the process's peak memory, which shows whether any was decoded.

#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QTest>

#include <QtEndian>

#include <sys/resource.h>
#include <zlib.h>

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

inline long PeakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024; // from KB
}

inline bool PeakMemoryUnder1GB()
{
    return PeakMegabytes() < 1024;
}

// The bits of a deflate stream, low bit first; Huffman codes go high bit first.
class DeflateBits {
public:
    QByteArray bytes;

    void Bits(quint32 value, int count)
    {
        pending |= quint64(value) << filled;
        for (filled += count; filled >= 8; filled -= 8, pending >>= 8)
            bytes.append(char(pending & 0xFF));
    }
    void Code(quint32 code, int length)
    {
        quint32 reversed = 0;
        for (int bit = 0; bit < length; ++bit)
            reversed |= ((code >> bit) & 1) << (length - 1 - bit);
        Bits(reversed, length);
    }
    // The fixed codes: a literal byte, a copy of the byte before, 258 times (length code 285,
    // distance code 0, 13 bits in all), and the block's end, which also flushes the last byte.
    void Literal(uchar byte) { byte < 144 ? Code(0x30 + byte, 8) : Code(0x190 + byte - 144, 9); }
    void Repeat258() { Bits(0xA3, 13); }
    void End()
    {
        Code(0, 7);
        if (filled > 0)
            bytes.append(char(pending & 0xFF));
    }

private:
    quint64 pending = 0;
    int filled = 0;
};

// One fixed-code block: the prefix, `count` times the byte `fill`, the suffix.
inline QByteArray Deflate(const QByteArray& prefix, char fill, qint64 count, const QByteArray& suffix)
{
    DeflateBits out;
    out.Bits(1, 1); // the last block
    out.Bits(1, 2); // fixed codes
    for (char byte : prefix)
        out.Literal(uchar(byte));
    out.Literal(uchar(fill));
    qint64 left = count - 1;
    for (; left >= 258; left -= 258)
        out.Repeat258();
    for (; left > 0; --left)
        out.Literal(uchar(fill));
    for (char byte : suffix)
        out.Literal(uchar(byte));
    out.End();
    return out.bytes;
}

inline QByteArray BigEndian32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

inline QByteArray PngChunk(const QByteArray& type, const QByteArray& data)
{
    const QByteArray typed = type + data;
    return BigEndian32(quint32(data.size())) + typed +
           BigEndian32(quint32(crc32(0, reinterpret_cast<const Bytef*>(typed.constData()), uInt(typed.size()))));
}

// A valid PNG of the size, every pixel 0, 8 bits a sample: grey or RGB.
inline QByteArray ZeroPng(quint32 width, quint32 height, bool grey)
{
    const qint64 raw = qint64(height) * (1 + qint64(width) * (grey ? 1 : 3)); // a filter byte a row
    QByteArray header = BigEndian32(width) + BigEndian32(height);
    header += char(8);
    header += char(grey ? 0 : 2);
    header += QByteArray(3, '\0');
    // Adler-32 of zeros: the sum stays 1, the second sum counts the bytes.
    const quint32 adler = quint32(raw % 65521) << 16 | 1;
    const QByteArray zlib = QByteArray("\x78\x01", 2) + Deflate(QByteArray(), '\0', raw, QByteArray()) +
                            BigEndian32(adler);
    return QByteArray("\x89PNG\r\n\x1A\n", 8) + PngChunk("IHDR", header) + PngChunk("IDAT", zlib) +
           PngChunk("IEND", QByteArray());
}

// A gzip-compressed SVG of 16 x 16 pixels that holds `blanks` spaces.
inline QByteArray BlankSvgz(qint64 blanks)
{
    const QByteArray prefix = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"16\" height=\"16\">";
    const QByteArray suffix = "<rect width=\"16\" height=\"16\"/></svg>";
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(prefix.constData()), uInt(prefix.size()));
    const QByteArray block(1 << 20, ' ');
    const uLong blockCrc = crc32(0, reinterpret_cast<const Bytef*>(block.constData()), uInt(block.size()));
    qint64 left = blanks;
    for (; left >= block.size(); left -= block.size())
        crc = crc32_combine(crc, blockCrc, block.size());
    crc = crc32(crc, reinterpret_cast<const Bytef*>(block.constData()), uInt(left));
    crc = crc32(crc, reinterpret_cast<const Bytef*>(suffix.constData()), uInt(suffix.size()));
    QByteArray trailer(8, '\0');
    qToLittleEndian(quint32(crc), trailer.data());
    qToLittleEndian(quint32(prefix.size() + blanks + suffix.size()), trailer.data() + 4);
    return QByteArray("\x1F\x8B\x08\0\0\0\0\0\0\x03", 10) + Deflate(prefix, ' ', blanks, suffix) + trailer;
}

// An icon file whose directory claims one 16 x 16 image and which holds the PNG.
inline QByteArray IconHolding(const QByteArray& png)
{
    QByteArray entry("\x10\x10\0\0\x01\0\x20\0", 8);
    entry += QByteArray(8, '\0');
    qToLittleEndian(quint32(png.size()), entry.data() + 8);
    qToLittleEndian(quint32(6 + 16), entry.data() + 12);
    return QByteArray("\0\0\x01\0\x01\0", 6) + entry + png;
}

} // namespace OversizedImage
