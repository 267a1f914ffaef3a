#include "app/create/jagpdf/PNGImageXObjectWriter.h"

#include "app/ImageFiles.h"
#include "app/create/jagpdf/JagFailure.h"
#include "app/create/jagpdf/jagpdf.h"
#include "pdf/writing/DictionaryContext.h"
#include "pdf/writing/ObjectsContext.h"

#include <QImage>
#include <QPainter>

namespace {

QImage DecodedOnWhite(const std::string& inPath, unsigned int inWidth, unsigned int inHeight, bool inGray)
{
    QString reason;
    QImage image = ImageFiles::Read(QString::fromUtf8(inPath.c_str()), reason);
    if (image.isNull())
        throw JagFailure{JAG_ERR_IMAGE, reason.toStdString()};
    if (static_cast<unsigned int>(image.width()) != inWidth || static_cast<unsigned int>(image.height()) != inHeight)
        throw JagFailure{JAG_ERR_IMAGE, "image " + inPath + ": changed after it was loaded"};
    if (image.hasAlphaChannel()) {
        QImage flattened(image.size(), QImage::Format_RGB32);
        flattened.fill(Qt::white);
        QPainter painter(&flattened);
        painter.drawImage(0, 0, image);
        painter.end();
        image = flattened;
    }
    return inGray ? image.convertToFormat(QImage::Format_Grayscale8)
                               : image.convertToFormat(QImage::Format_RGB888);
}

void WriteNameEntry(ObjectsContext& inObjectsContext, DictionaryContext* inDictionary, const char* inKey,
                    const char* inName)
{
    if (inDictionary->WriteKey(inKey) == eSuccess)
        inObjectsContext.GetValueWriter().WriteNameValue(inName, eTokenSeparatorEndLine);
}

void WriteIntegerEntry(DictionaryContext* inDictionary, const char* inKey, long long inValue)
{
    if (inDictionary->WriteKey(inKey) == eSuccess)
        inDictionary->WriteIntegerValue(inValue);
}

} // namespace

ImageXObject PNGImageXObjectWriter::Write(ObjectsContext& inObjectsContext, const std::string& inPath,
                                          ObjectIDType inImageObjectID, unsigned int inWidth, unsigned int inHeight,
                                          bool inGray)
{
    const QImage image = DecodedOnWhite(inPath, inWidth, inHeight, inGray);
    if (image.isNull())
        throw JagFailure{JAG_ERR_IMAGE, "image " + inPath + ": not enough memory to decode it"};
    const bool gray = inGray;

    inObjectsContext.StartIndirectObject(inImageObjectID);
    DictionaryContext* dictionary = inObjectsContext.StartDictionary();
    WriteNameEntry(inObjectsContext, dictionary, "Type", "XObject");
    WriteNameEntry(inObjectsContext, dictionary, "Subtype", "Image");
    WriteIntegerEntry(dictionary, "Width", image.width());
    WriteIntegerEntry(dictionary, "Height", image.height());
    WriteNameEntry(inObjectsContext, dictionary, "ColorSpace", gray ? "DeviceGray" : "DeviceRGB");
    WriteIntegerEntry(dictionary, "BitsPerComponent", 8);
    std::unique_ptr<WrittenPDFStream> stream = inObjectsContext.StartStream(dictionary);

    // Rows one after the other: Qt pads each scan line to four bytes, the PDF image does not.
    const size_t rowSize = static_cast<size_t>(image.width()) * (gray ? 1 : 3);
    bool written = true;
    for (int row = 0; row < image.height() && written; ++row)
        written = stream->GetWriteStream()->WriteBytes(image.constScanLine(row), rowSize) == rowSize;
    // Ended even after a failed write, so that the output stays well formed around it.
    const OpStatus status = inObjectsContext.EndStream(stream.get());
    if (!written || status != eSuccess)
        throw JagFailure{JAG_ERR_IO, "image " + inPath + ": could not be written"};

    ImageXObject xobject;
    xobject.mImageObjectID = inImageObjectID;
    xobject.mRequiredProcsetResourceNames.push_back(gray ? "ImageB" : "ImageC");
    return xobject;
}
