#pragma once
// The user's images as every part of the program reads them: JPEG or PNG files only, known by
// their first bytes, never by a name's extension or by asking Qt's image plugins (which would
// pick a reader by content among whatever plugins are installed: an icon holding a huge PNG, a
// compressed SVG inflated whole just to learn its size). The size comes from that format's own
// header (the JPEG frame header, the PNG IHDR chunk) and must fit the bound before anything is
// decoded: a few kilobytes whose header claims 65,500 x 65,500 pixels would otherwise be decoded
// in full, 17 GB of memory. The bound is the one the library keeps for a decoded TIFF page,
// 1 GiB, counted in the pixel format Qt decodes to and at least four bytes a pixel, the form in
// which images are painted and shown. Decoding names the format, so no other reader takes over.
// A reason names the image, as part of a sentence ("the image ... is not a JPEG or PNG image").
// Any thread.

#include <QImage>
#include <QSize>
#include <QString>

class QIODevice;

namespace ImageFiles {

constexpr qint64 kMaxDecodedBytes = qint64(1) << 30;

enum class Format { Jpeg, Png };
enum class Outcome { Read, Unreadable, NotJpegOrPng, TooLarge };

struct Header {
    Format format = Format::Jpeg;
    QSize size;
};

// Whether the image may be decoded: a JPEG or PNG whose header gives a size within the bound.
// Reads only the header, from the device's start; `name` is how the reason names the image.
bool Check(QIODevice& device, const QString& name, Header& header, QString& reason, Outcome* outcome = nullptr);
bool Check(const QString& path, Header& header, QString& reason, Outcome* outcome = nullptr);

// The pixel size of an image that passes Check; invalid for any other.
QSize HeaderSize(const QString& path);

// The decoded image, or a null image with the reason (and the outcome, when asked for).
QImage Read(QIODevice& device, const QString& name, QString& reason, Outcome* outcome = nullptr);
QImage Read(const QString& path, QString& reason, Outcome* outcome = nullptr);

} // namespace ImageFiles
