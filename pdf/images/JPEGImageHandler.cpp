#include "pdf/images/JPEGImageHandler.h"

#include "pdf/images/JPEGHeaderScanner.h"
#include "pdf/io/DiagnosticLog.h"
#include "pdf/io/InputFile.h"
#include "pdf/io/StreamCopier.h"
#include "pdf/writing/DictionaryContext.h"
#include "pdf/writing/DocumentContext.h"
#include "pdf/writing/IDocumentContextExtender.h"
#include "pdf/writing/ObjectsContext.h"
#include "pdf/writing/OutputFormXObject.h"
#include "pdf/writing/WritingStep.h"
#include "pdf/writing/XObjectContentContext.h"

namespace {

const char scType[] = "Type";
const char scXObject[] = "XObject";
const char scSubtype[] = "Subtype";
const char scImage[] = "Image";
const char scWidth[] = "Width";
const char scHeight[] = "Height";
const char scColorSpace[] = "ColorSpace";
const char scDeviceGray[] = "DeviceGray";
const char scDeviceRGB[] = "DeviceRGB";
const char scDeviceCMYK[] = "DeviceCMYK";
const char scDecode[] = "Decode";
const char scBitsPerComponent[] = "BitsPerComponent";
const char scFilter[] = "Filter";
const char scDCTDecode[] = "DCTDecode";
const char scImageB[] = "ImageB";
const char scImageC[] = "ImageC";

void WriteNameEntry(ObjectsContext* inObjectsContext, DictionaryContext* inDictionary, const char* inKey,
                    const char* inName)
{
    if (inDictionary->WriteKey(inKey) == eSuccess)
        inObjectsContext->GetValueWriter().WriteNameValue(inName, eTokenSeparatorEndLine);
}

void WriteIntegerEntry(DictionaryContext* inDictionary, const char* inKey, long long inValue)
{
    if (inDictionary->WriteKey(inKey) == eSuccess)
        inDictionary->WriteIntegerValue(inValue);
}

} // namespace

JPEGImageHandler::JPEGImageHandler() = default;

JPEGImageHandler::~JPEGImageHandler() = default;

void JPEGImageHandler::SetOperationsContexts(DocumentContext* inDocumentContext, ObjectsContext* inObjectsContext)
{
    mDocumentContext = inDocumentContext;
    mObjectsContext = inObjectsContext;
}

std::pair<bool, JPEGImageInformation> JPEGImageHandler::ReadJPGInformation(const std::string& inJPGFilePath)
{
    auto cached = mImagesInformation.find(inJPGFilePath);
    if (cached != mImagesInformation.end())
        return std::make_pair(true, cached->second);

    JPEGImageInformation information;
    InputFile file;
    if (file.OpenFile(inJPGFilePath) != eSuccess) {
        TraceMessage("JPEGImageHandler::JPEGImageHandler. Unable to open JPG file for reading, %s",
                     inJPGFilePath.c_str());
        return std::make_pair(false, information);
    }
    JPEGHeaderScanner scanner;
    if (scanner.ScanHeader(file.GetInputStream(), information) != eSuccess) {
        TraceMessage("JPEGImageHandler::JPEGImageHandler. Failed to parse JPG file, %s", inJPGFilePath.c_str());
        return std::make_pair(false, JPEGImageInformation());
    }
    if (file.CloseFile() != eSuccess) {
        TraceMessage("JPEGImageHandler::JPEGImageHandler. Failed to close JPG file, %s", inJPGFilePath.c_str());
        return std::make_pair(false, JPEGImageInformation());
    }
    mImagesInformation.emplace(inJPGFilePath, information);
    return std::make_pair(true, information);
}

std::unique_ptr<OutputFormXObject> JPEGImageHandler::CreateFormXObjectFromJPGFile(const std::string& inJPGFilePath,
                                                                                  ObjectIDType inFormObjectID)
{
    if (!mDocumentContext || !mObjectsContext) {
        TraceMessage("JPEGImageHandler::CreateFormXObjectFromJPGFile. Unexpected Error, mDocumentContex not "
                     "initialized with a document context");
        return nullptr;
    }
    std::pair<bool, JPEGImageInformation> information = ReadJPGInformation(inJPGFilePath);
    if (!information.first) {
        TraceMessage("JPEGImageHandler::CreateFormXObjectFromJPGFile, unable to retrieve image information for %s",
                     inJPGFilePath.c_str());
        return nullptr;
    }
    // One step: an image that cannot be written whole leaves nothing open and no id reserved.
    WritingStep step(*mObjectsContext);
    std::unique_ptr<ImageXObject> image =
        CreateAndWriteImageXObjectFromJPGInformation(inJPGFilePath, step.ReserveID(), information.second);
    if (!image) {
        TraceMessage("JPEGImageHandler::CreateFormXObjectFromJPGFile, unable to create image xobject for %s",
                     inJPGFilePath.c_str());
        return nullptr;
    }
    std::unique_ptr<OutputFormXObject> form =
        CreateImageFormXObjectFromImageXObject(*image, inFormObjectID, information.second);
    if (!form) {
        TraceMessage("JPEGImageHandler::CreateFormXObjectFromJPGFile, unable to create form xobject for %s",
                     inJPGFilePath.c_str());
        return nullptr;
    }
    step.Commit();
    return form;
}

std::unique_ptr<ImageXObject>
JPEGImageHandler::CreateAndWriteImageXObjectFromJPGInformation(const std::string& inJPGFilePath,
                                                               ObjectIDType inImageObjectID,
                                                               const JPEGImageInformation& inInformation)
{
    if (!mObjectsContext) {
        TraceMessage("JPEGImageHandler::CreateAndWriteImageXObjectFromJPGInformation. Unexpected Error, "
                     "mObjectsContext not initialized with an objects context");
        return nullptr;
    }
    // Refused before anything is written: a DCT image has one, three or four components.
    const char* colorSpace = nullptr;
    switch (inInformation.ColorComponentsCount) {
    case 1:
        colorSpace = scDeviceGray;
        break;
    case 3:
        colorSpace = scDeviceRGB;
        break;
    case 4:
        colorSpace = scDeviceCMYK;
        break;
    default:
        TraceMessage("JPEGImageHandler::CreateAndWriteImageXObjectFromJPGInformation, Unexpected Error, unfamilar "
                     "color components count - %d",
                     inInformation.ColorComponentsCount);
        return nullptr;
    }
    InputFile file;
    if (file.OpenFile(inJPGFilePath) != eSuccess) {
        TraceMessage("JPEGImageHandler::CreateAndWriteImageXObjectFromJPGInformation. Unable to open JPG file for "
                     "reading, %s",
                     inJPGFilePath.c_str());
        return nullptr;
    }

    mObjectsContext->StartIndirectObject(inImageObjectID);
    DictionaryContext* imageDictionary = mObjectsContext->StartDictionary();
    WriteNameEntry(mObjectsContext, imageDictionary, scType, scXObject);
    WriteNameEntry(mObjectsContext, imageDictionary, scSubtype, scImage);
    WriteIntegerEntry(imageDictionary, scWidth, inInformation.SamplesWidth);
    WriteIntegerEntry(imageDictionary, scHeight, inInformation.SamplesHeight);
    WriteIntegerEntry(imageDictionary, scBitsPerComponent, 8);
    WriteNameEntry(mObjectsContext, imageDictionary, scColorSpace, colorSpace);
    // Adobe's applications (Photoshop first) store CMYK inverted and mark the file with their
    // block; plain CMYK without that block is taken as it is.
    if (inInformation.ColorComponentsCount == 4 && inInformation.AdobeInformationExists &&
        imageDictionary->WriteKey(scDecode) == eSuccess) {
        mObjectsContext->StartArray();
        for (int channel = 0; channel < 4; ++channel) {
            mObjectsContext->WriteInteger(1, eTokenSeparatorSpace);
            mObjectsContext->WriteInteger(0, eTokenSeparatorSpace);
        }
        mObjectsContext->EndArray(eTokenSeparatorEndLine);
    }
    WriteNameEntry(mObjectsContext, imageDictionary, scFilter, scDCTDecode);

    for (IDocumentContextExtender* extender : mExtenders) {
        if (extender->JPEGImageDictionaryWriting(inImageObjectID, imageDictionary, mObjectsContext, mDocumentContext,
                                                 this) != eSuccess) {
            TraceMessage("JPEGImageHandler::CreateAndWriteImageXObjectFromJPGInformation, unexpected failure. "
                         "extender declared failure when writing image xobject.");
            return nullptr;
        }
    }

    // The data is DCT-encoded already: copied as it is, not compressed again.
    std::unique_ptr<WrittenPDFStream> stream = mObjectsContext->StartRawStream(imageDictionary);
    StreamCopier copier(stream->GetWriteStream());
    OpStatus copyStatus = copier.CopyToEnd(file.GetInputStream());
    // Ended even after a failed copy, so that the output stays well formed around it.
    OpStatus endStatus = mObjectsContext->EndStream(stream.get());
    if (copyStatus != eSuccess) {
        TraceMessage("JPEGImageHandler::CreateAndWriteImageXObjectFromJPGInformation. Unexpected Error, failed to "
                     "copy jpg stream to output stream");
        return nullptr;
    }
    if (endStatus != eSuccess) {
        TraceMessage("JPEGImageHandler::CreateAndWriteImageXObjectFromJPGInformation, failed to end the image "
                     "stream of %s",
                     inJPGFilePath.c_str());
        return nullptr;
    }

    std::unique_ptr<ImageXObject> image = std::make_unique<ImageXObject>();
    image->mImageObjectID = inImageObjectID;
    image->mRequiredProcsetResourceNames.push_back(inInformation.ColorComponentsCount == 1 ? scImageB : scImageC);
    return image;
}

std::unique_ptr<OutputFormXObject>
JPEGImageHandler::CreateImageFormXObjectFromImageXObject(const ImageXObject& inImage, ObjectIDType inFormObjectID,
                                                         const JPEGImageInformation& inInformation)
{
    if (!mDocumentContext) {
        TraceMessage("JPEGImageHandler::CreateImageFormXObjectFromImageXObject. Unexpected Error, mDocumentContex "
                     "not initialized with a document context");
        return nullptr;
    }
    std::pair<double, double> size = DisplaySizeInPoints(inInformation);
    std::unique_ptr<OutputFormXObject> form =
        mDocumentContext->StartFormXObject(PDFRectangle(0, 0, size.first, size.second), inFormObjectID);
    if (!form) {
        TraceMessage("JPEGImageHandler::CreateImageFormXObjectFromImageXObject. Unexpected Error, could not create "
                     "form XObject for image");
        return nullptr;
    }
    XObjectContentContext* content = form->GetContentContext();
    content->SaveGraphicState();
    content->ConcatMatrix(size.first, 0, 0, size.second, 0, 0);
    content->PaintXObject(form->GetResourcesDictionary().ImageXObjectNameForObject(inImage));
    OpStatus status = content->RestoreGraphicState();
    if (status == eSuccess)
        status = mDocumentContext->FinishFormXObject(form.get());
    if (status != eSuccess) {
        TraceMessage("JPEGImageHandler::CreateImageFormXObjectFromImageXObject. Unexpected Error, could not create "
                     "form XObject for image");
        return nullptr;
    }
    return form;
}

std::pair<double, double> JPEGImageHandler::DisplaySizeInPoints(const JPEGImageInformation& inInformation)
{
    // A resolution of 0 counts as 1.
    auto perInch = [&](double inX, double inY) {
        return std::make_pair(inInformation.SamplesWidth / (inX == 0 ? 1 : inX) * 72.0,
                              inInformation.SamplesHeight / (inY == 0 ? 1 : inY) * 72.0);
    };
    auto perCentimetre = [&](double inX, double inY) {
        std::pair<double, double> size = perInch(inX, inY);
        return std::make_pair(size.first / 2.54, size.second / 2.54);
    };
    std::pair<double, double> pixels(static_cast<double>(inInformation.SamplesWidth),
                                     static_cast<double>(inInformation.SamplesHeight));

    if (inInformation.JFIFInformationExists) {
        if (inInformation.JFIFUnit == 1)
            return perInch(inInformation.JFIFXDensity, inInformation.JFIFYDensity);
        if (inInformation.JFIFUnit == 2)
            return perCentimetre(inInformation.JFIFXDensity, inInformation.JFIFYDensity);
        return pixels;
    }
    if (inInformation.ExifInformationExists) {
        if (inInformation.ExifUnit == 1)
            return pixels;
        if (inInformation.ExifUnit == 3)
            return perCentimetre(inInformation.ExifXDensity, inInformation.ExifYDensity);
        return perInch(inInformation.ExifXDensity, inInformation.ExifYDensity);
    }
    if (inInformation.PhotoshopInformationExists)
        return perInch(inInformation.PhotoshopXDensity, inInformation.PhotoshopYDensity);
    return pixels;
}

void JPEGImageHandler::Reset()
{
    mImagesInformation.clear();
    mExtenders.clear();
}
