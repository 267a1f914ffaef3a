#pragma once
// Turns one page of a TIFF file into image XObjects and a form XObject that draws them at the
// page's physical size, and measures TIFF pages. The document context owns one handler and
// sets its contexts (not owned).
//
// Reading TIFF files is not built yet: conversions and measurements fail with one trace-log
// line each.

#include "pdf/images/TIFFImageDimensions.h"
#include "pdf/images/TIFFImageOptions.h"
#include "pdf/io/IByteReaderWithPosition.h"
#include "pdf/objects/ObjectIDType.h"

#include <memory>
#include <set>
#include <string>

class DocumentContext;
class IDocumentContextExtender;
class ObjectsContext;
class OutputFormXObject;

class TIFFImageHandler {
public:
    TIFFImageHandler();
    virtual ~TIFFImageHandler();
    TIFFImageHandler(const TIFFImageHandler&) = delete;
    TIFFImageHandler& operator=(const TIFFImageHandler&) = delete;

    void SetOperationsContexts(DocumentContext* inDocumentContext, ObjectsContext* inObjectsContext);

    // The finished form written under inFormObjectID, or null.
    std::unique_ptr<OutputFormXObject>
    CreateFormXObjectFromTIFFFile(const std::string& inTIFFFilePath, ObjectIDType inFormObjectID,
                                  const TIFFImageOptions& inOptions = TIFFImageOptions());
    std::unique_ptr<OutputFormXObject>
    CreateFormXObjectFromTIFFFile(IByteReaderWithPosition* inTIFFStream, ObjectIDType inFormObjectID,
                                  const TIFFImageOptions& inOptions = TIFFImageOptions());
    TIFFImageDimensions ReadImageDimensions(IByteReaderWithPosition* inTIFFStream, unsigned int inPageIndex);

    void AddDocumentContextExtender(IDocumentContextExtender* inExtender) { mExtenders.insert(inExtender); }
    void RemoveDocumentContextExtender(IDocumentContextExtender* inExtender) { mExtenders.erase(inExtender); }
    // Forgets the extenders and any conversion state.
    void Reset();

private:
    DocumentContext* mDocumentContext = nullptr;
    ObjectsContext* mObjectsContext = nullptr;
    std::set<IDocumentContextExtender*> mExtenders;
};
