#pragma once
// Writes an image file placed in a form XObject as the form reserved for it, once the placing
// form is finished.

#include "pdf/objects/ObjectIDType.h"
#include "pdf/writing/IFormEndWritingTask.h"

#include <string>

class FormImageWritingTask : public IFormEndWritingTask {
public:
    FormImageWritingTask(const std::string& inImagePath, int inImageIndex, ObjectIDType inObjectID)
        : mImagePath(inImagePath), mImageIndex(inImageIndex), mObjectID(inObjectID)
    {
    }
    OpStatus RunTask(OutputFormXObject* inForm, ObjectsContext* inObjectsContext,
                     DocumentContext* inDocumentContext) override;
    void Abandon(DocumentContext* inDocumentContext) override;

private:
    std::string mImagePath;
    int mImageIndex;
    ObjectIDType mObjectID;
};
