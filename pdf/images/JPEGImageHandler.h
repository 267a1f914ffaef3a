#pragma once
// Turns a JPEG file into an image XObject (the file's bytes under DCTDecode) and a form XObject
// that draws it at its size in points. The document context owns one handler and sets its
// contexts (not owned); header information is cached per path for the handler's life.
//
// Reading and writing JPEG files is not built yet: reading information and making forms fail
// with one trace-log line each.

#include "pdf/images/JPEGImageInformation.h"
#include "pdf/objects/ObjectIDType.h"

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

    // {found, information}; not found after one log line.
    std::pair<bool, JPEGImageInformation> ReadJPGInformation(const std::string& inJPGFilePath);
    // The finished form written under inFormObjectID, or null.
    std::unique_ptr<OutputFormXObject> CreateFormXObjectFromJPGFile(const std::string& inJPGFilePath,
                                                                    ObjectIDType inFormObjectID);
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
    std::set<IDocumentContextExtender*> mExtenders;
};
