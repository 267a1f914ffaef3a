#pragma once
// The user's image files as the windows and the watermark job decode them. A file is decoded only
// once its header's size fits: a few kilobytes whose frame header claims 65,500 x 65,500 pixels
// would otherwise be decoded in full, 17 GB of memory, before anything could refuse it. The bound
// is the one the library keeps for a decoded TIFF page, 1 GiB, counted in the pixel format Qt
// decodes to and at least four bytes a pixel, the form in which images are painted and shown.
// A reason names the file, as part of a sentence ("the image ... cannot be read: ..."). Any
// thread.

#include <QImage>
#include <QSize>
#include <QString>

namespace ImageFiles {

constexpr qint64 kMaxDecodedBytes = qint64(1) << 30;

enum class Outcome { Read, Unreadable, TooLarge };

// The pixel size that the file's header gives, without decoding; invalid when there is none.
QSize HeaderSize(const QString& path);

// The decoded image, or a null image with the reason (and the outcome, when asked for).
QImage Read(const QString& path, QString& reason, Outcome* outcome = nullptr);

} // namespace ImageFiles
