#pragma once
// Writes an image file placed on a page as the form XObject reserved for it, once the page
// object is written.

#include "pdf/objects/ObjectIDType.h"
#include "pdf/writing/IPageEndWritingTask.h"

#include <string>

class PageImageWritingTask : public IPageEndWritingTask {
public:
    PageImageWritingTask(const std::string& inImagePath, int inImageIndex, ObjectIDType inObjectID)
        : mImagePath(inImagePath), mImageIndex(inImageIndex), mObjectID(inObjectID)
    {
    }
    OpStatus RunTask(OutputPage* inPage, ObjectsContext* inObjectsContext, DocumentContext* inDocumentContext) override;

private:
    std::string mImagePath;
    int mImageIndex;
    ObjectIDType mObjectID;
};
