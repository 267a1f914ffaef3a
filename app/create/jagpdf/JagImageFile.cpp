#include "app/create/jagpdf/JagImageFile.h"

#include "app/ImageFiles.h"
#include "app/create/jagpdf/JagFailure.h"
#include "app/create/jagpdf/jagpdf.h"
#include "pdf/images/JPEGImageHandler.h"

#include <QFile>
#include <QtEndian>

#include <cmath>

namespace {

const int scPNGSignatureSize = 8;
const double scDefaultDPI = 72;
const double scCentimetresPerInch = 2.54;
// PNG gives pixels per metre.
const double scMetresPerInch = 0.0254;
// Chunks looked at before the image data; pHYs must come before IDAT.
const int scMaximumChunks = 4096;

[[noreturn]] void Fail(const std::string& inPath, const char* inWhat)
{
    throw JagFailure{JAG_ERR_IMAGE, "image " + inPath + ": " + inWhat};
}

// A resolution of 0, negative or not finite (a damaged header) is none.
double DotsPerInch(double inDensity, double inUnitsPerInch)
{
    double dpi = inDensity * inUnitsPerInch;
    return std::isfinite(dpi) && dpi > 0 ? dpi : scDefaultDPI;
}

} // namespace

JagImageFile JagImageFile::Read(const std::string& inPath, JPEGImageHandler& inJPEGHandler)
{
    JagImageFile image;
    image.path = inPath;
    // Only what the editors show is placed: a file whose header claims more pixels than any
    // reader could decode is refused, not embedded for readers to choke on.
    QFile file(QString::fromUtf8(inPath.c_str()));
    file.open(QIODevice::ReadOnly);
    ImageFiles::Header header;
    QString reason;
    if (!ImageFiles::Check(file, file.fileName(), header, reason))
        throw JagFailure{JAG_ERR_IMAGE, reason.toStdString()};
    if (header.format == ImageFiles::Format::Jpeg) {
        file.close();
        ReadJPEG(image, inJPEGHandler);
    } else {
        file.seek(scPNGSignatureSize);
        ReadPNG(image, file);
    }
    return image;
}

void JagImageFile::ReadJPEG(JagImageFile& ioImage, JPEGImageHandler& inJPEGHandler)
{
    ioImage.kind = eJPEG;
    std::pair<bool, JPEGImageInformation> header = inJPEGHandler.ReadJPGInformation(ioImage.path);
    const JPEGImageInformation& information = header.second;
    if (!header.first)
        Fail(ioImage.path, "is not a readable JPEG file");
    if (information.ColorComponentsCount != 1 && information.ColorComponentsCount != 3 &&
        information.ColorComponentsCount != 4)
        Fail(ioImage.path, "has a colour model other than gray, RGB or CMYK");
    if (information.SamplesWidth <= 0 || information.SamplesHeight <= 0 || information.SamplesWidth > 0xFFFF ||
        information.SamplesHeight > 0xFFFF)
        Fail(ioImage.path, "has no valid size");
    ioImage.jpeg = information;
    ioImage.width = static_cast<unsigned int>(information.SamplesWidth);
    ioImage.height = static_cast<unsigned int>(information.SamplesHeight);

    // The same precedence as the JPEG handler's own sizing: a JFIF block decides, then Exif,
    // then Photoshop's.
    double unitsPerInch = 0; // 0: the file gives no resolution
    double x = 0;
    double y = 0;
    if (information.JFIFInformationExists) {
        x = information.JFIFXDensity, y = information.JFIFYDensity;
        unitsPerInch = information.JFIFUnit == 1 ? 1 : information.JFIFUnit == 2 ? scCentimetresPerInch : 0;
    } else if (information.ExifInformationExists) {
        x = information.ExifXDensity, y = information.ExifYDensity;
        unitsPerInch = information.ExifUnit == 1 ? 0 : information.ExifUnit == 3 ? scCentimetresPerInch : 1;
    } else if (information.PhotoshopInformationExists) {
        x = information.PhotoshopXDensity, y = information.PhotoshopYDensity;
        unitsPerInch = 1;
    }
    ioImage.dpiX = DotsPerInch(x, unitsPerInch);
    ioImage.dpiY = DotsPerInch(y, unitsPerInch);
}

void JagImageFile::ReadPNG(JagImageFile& ioImage, QFile& inFile)
{
    ioImage.kind = ePNG;
    bool haveHeader = false;
    for (int chunk = 0; chunk < scMaximumChunks; ++chunk) {
        const QByteArray head = inFile.read(8);
        if (head.size() != 8)
            break;
        const quint32 length = qFromBigEndian<quint32>(head.constData());
        const QByteArray type = head.mid(4, 4);
        if (length > 0x7FFFFFFFu || static_cast<qint64>(length) > inFile.size() - inFile.pos())
            Fail(ioImage.path, "has a damaged chunk");
        if (type == "IHDR" || type == "pHYs") {
            const QByteArray data = inFile.read(length);
            if (type == "IHDR" && length >= 8) {
                ioImage.width = qFromBigEndian<quint32>(data.constData());
                ioImage.height = qFromBigEndian<quint32>(data.constData() + 4);
                const int colourType = length >= 10 ? static_cast<unsigned char>(data.at(9)) : -1;
                ioImage.gray = colourType == 0 || colourType == 4;
                haveHeader = true;
            } else if (type == "pHYs" && length >= 9 && data.at(8) == 1) { // unit 1: the metre
                ioImage.dpiX = DotsPerInch(qFromBigEndian<quint32>(data.constData()), scMetresPerInch);
                ioImage.dpiY = DotsPerInch(qFromBigEndian<quint32>(data.constData() + 4), scMetresPerInch);
            }
        } else if (type == "IDAT" || type == "IEND") {
            break;
        } else if (!inFile.seek(inFile.pos() + length)) {
            break;
        }
        inFile.seek(inFile.pos() + 4); // the chunk's CRC
    }
    // The PNG format allows up to 2^31 - 1 pixels a side.
    if (!haveHeader || ioImage.width == 0 || ioImage.height == 0 || ioImage.width > 0x7FFFFFFFu ||
        ioImage.height > 0x7FFFFFFFu)
        Fail(ioImage.path, "is not a readable PNG file");
}
