#include "pdf/images/JPEGImageHandler.h"

#include "pdf/io/DiagnosticLog.h"
#include "pdf/writing/OutputFormXObject.h"

JPEGImageHandler::JPEGImageHandler() = default;

JPEGImageHandler::~JPEGImageHandler() = default;

void JPEGImageHandler::SetOperationsContexts(DocumentContext* inDocumentContext, ObjectsContext* inObjectsContext)
{
    mDocumentContext = inDocumentContext;
    mObjectsContext = inObjectsContext;
}

std::pair<bool, JPEGImageInformation> JPEGImageHandler::ReadJPGInformation(const std::string& inJPGFilePath)
{
    TraceMessage("JPEGImageHandler::ReadJPGInformation, JPEG images are not available in this build, cannot read %s",
                 inJPGFilePath.c_str());
    return std::make_pair(false, JPEGImageInformation());
}

std::unique_ptr<OutputFormXObject> JPEGImageHandler::CreateFormXObjectFromJPGFile(const std::string& inJPGFilePath,
                                                                                  ObjectIDType)
{
    TraceMessage("JPEGImageHandler::CreateFormXObjectFromJPGFile, JPEG images are not available in this build, cannot "
                 "place %s",
                 inJPGFilePath.c_str());
    return nullptr;
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
    mExtenders.clear();
}
