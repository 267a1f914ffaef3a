#include "pdf/images/TIFFImageHandler.h"

#include "pdf/io/DiagnosticLog.h"
#include "pdf/writing/OutputFormXObject.h"

TIFFImageHandler::TIFFImageHandler() = default;

TIFFImageHandler::~TIFFImageHandler() = default;

void TIFFImageHandler::SetOperationsContexts(DocumentContext* inDocumentContext, ObjectsContext* inObjectsContext)
{
    mDocumentContext = inDocumentContext;
    mObjectsContext = inObjectsContext;
}

std::unique_ptr<OutputFormXObject> TIFFImageHandler::CreateFormXObjectFromTIFFFile(const std::string& inTIFFFilePath,
                                                                                   ObjectIDType,
                                                                                   const TIFFImageOptions&)
{
    TraceMessage("TIFFImageHandler::CreateFormXObjectFromTIFFFile, TIFF images are not available in this build, cannot "
                 "place %s",
                 inTIFFFilePath.c_str());
    return nullptr;
}

std::unique_ptr<OutputFormXObject>
TIFFImageHandler::CreateFormXObjectFromTIFFFile(IByteReaderWithPosition*, ObjectIDType, const TIFFImageOptions&)
{
    TraceMessage("TIFFImageHandler::CreateFormXObjectFromTIFFFile, TIFF images are not available in this build");
    return nullptr;
}

TIFFImageDimensions TIFFImageHandler::ReadImageDimensions(IByteReaderWithPosition*, unsigned int)
{
    TraceMessage("TIFFImageHandler::ReadImageDimensions, TIFF images are not available in this build");
    return TIFFImageDimensions();
}

void TIFFImageHandler::Reset()
{
    mExtenders.clear();
}
