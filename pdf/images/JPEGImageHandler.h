#pragma once
// Turns a JPEG file into an image XObject (the file's bytes, unchanged, under DCTDecode) and a
// form XObject that draws it at its size in points. The document context owns one handler and
// sets its contexts (not owned) before anything is written; header information is cached per
// path until Reset. A failure is logged and returns not found or null; an object already started
// stays in the output, and the document then fails with it.

#include "pdf/images/JPEGImageInformation.h"
#include "pdf/objects/ObjectIDType.h"
#include "pdf/writing/ImageXObject.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>

class DocumentContext;
class IDocumentContextExtender;
class ObjectsContext;
class OutputFormXObject;

class JPEGImageHandler {
public:
    JPEGImageHandler();
    ~JPEGImageHandler();
    JPEGImageHandler(const JPEGImageHandler&) = delete;
    JPEGImageHandler& operator=(const JPEGImageHandler&) = delete;

    void SetOperationsContexts(DocumentContext* inDocumentContext, ObjectsContext* inObjectsContext);

    // {found, information}; a path read once is answered from the cache.
    std::pair<bool, JPEGImageInformation> ReadJPGInformation(const std::string& inJPGFilePath);
    // The image XObject under a new id and the finished form written under inFormObjectID, or
    // null.
    std::unique_ptr<OutputFormXObject> CreateFormXObjectFromJPGFile(const std::string& inJPGFilePath,
                                                                    ObjectIDType inFormObjectID);
    // The image XObject alone, under inImageObjectID: the whole file copied into a DCTDecode
    // stream. Gray, RGB and CMYK (1, 3 or 4 components) only.
    std::unique_ptr<ImageXObject> CreateAndWriteImageXObjectFromJPGInformation(const std::string& inJPGFilePath,
                                                                               ObjectIDType inImageObjectID,
                                                                               const JPEGImageInformation& inInformation);
    // A finished form of the image's size in points that draws the image filling it.
    std::unique_ptr<OutputFormXObject> CreateImageFormXObjectFromImageXObject(const ImageXObject& inImage,
                                                                              ObjectIDType inFormObjectID,
                                                                              const JPEGImageInformation& inInformation);
    // Width and height in points, from the resolution the file gives (one pixel per point
    // without one).
    static std::pair<double, double> DisplaySizeInPoints(const JPEGImageInformation& inInformation);

    void AddDocumentContextExtender(IDocumentContextExtender* inExtender) { mExtenders.insert(inExtender); }
    void RemoveDocumentContextExtender(IDocumentContextExtender* inExtender) { mExtenders.erase(inExtender); }
    // Forgets the cached information and the extenders.
    void Reset();

private:
    DocumentContext* mDocumentContext = nullptr;
    ObjectsContext* mObjectsContext = nullptr;
    std::map<std::string, JPEGImageInformation> mImagesInformation;
    std::set<IDocumentContextExtender*> mExtenders;
};
