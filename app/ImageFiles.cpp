#include "app/ImageFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QImageReader>
#include <QPixelFormat>

#include <algorithm>

namespace {

// The form every image takes at the latest when it is painted or shown.
constexpr int kLeastBitsPerPixel = 32;

// The bytes of the decoded image, as QImage lays its lines out (each padded to four bytes);
// beyond the bound, any number above it.
qint64 DecodedBytes(const QSize& size, QImage::Format format)
{
    // A format the header does not tell has no bits at all.
    const int bits = std::max<int>(kLeastBitsPerPixel, QImage::toPixelFormat(format).bitsPerPixel());
    const qint64 lineBytes = (qint64(size.width()) * bits + 31) / 32 * 4;
    if (lineBytes > ImageFiles::kMaxDecodedBytes / size.height())
        return ImageFiles::kMaxDecodedBytes + 1;
    return lineBytes * size.height();
}

} // namespace

namespace ImageFiles {

QSize HeaderSize(const QString& path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return reader.size();
}

QImage Read(const QString& path, QString& reason, Outcome* outcome)
{
    auto refuse = [&](Outcome why, const QString& text) {
        reason = text;
        if (outcome)
            *outcome = why;
        return QImage();
    };
    const QString shown = QDir::toNativeSeparators(path);
    // By content, not by the name's extension, which may be in capitals or wrong.
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    auto unreadable = [&]() {
        return refuse(Outcome::Unreadable, QCoreApplication::translate("ImageFiles", "the image %1 cannot be read: %2")
                                               .arg(shown, reader.errorString()));
    };
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return unreadable();
    if (DecodedBytes(size, reader.imageFormat()) > kMaxDecodedBytes)
        return refuse(Outcome::TooLarge,
                      QCoreApplication::translate("ImageFiles", "the image %1 is too large: %2 x %3 pixels take more "
                                                                "than 1 GiB of memory once decoded")
                          .arg(shown)
                          .arg(size.width())
                          .arg(size.height()));
    QImage image = reader.read();
    if (image.isNull())
        return unreadable();
    if (outcome)
        *outcome = Outcome::Read;
    return image;
}

} // namespace ImageFiles
