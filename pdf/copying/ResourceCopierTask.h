#pragma once
// Writes one direct resource value of a merged page (an ExtGState written inline, say) into the
// form's resources under the name the form gave it, and schedules the objects the value refers
// to for copying when the form ends. The document context owns the task once registered; the
// handler and the form are borrowed and must outlive it. The value's reference is held until the
// task runs.

#include "pdf/objects/RefCountPtr.h"
#include "pdf/writing/IResourceWritingTask.h"

#include <string>

class OutputFormXObject;
class PDFDocumentHandler;
class PDFObject;

class ResourceCopierTask : public IResourceWritingTask {
public:
    // Takes a reference of its own to the value.
    ResourceCopierTask(PDFDocumentHandler* inDocumentHandler, PDFObject* inValue, OutputFormXObject* inForm);
    ~ResourceCopierTask() override;

    void SetResourceName(const std::string& inName) { mResourceName = inName; }
    OpStatus RunTask(DictionaryContext* inCategoryDictionary, ObjectsContext* inObjectsContext,
                     DocumentContext* inDocumentContext) override;

private:
    PDFDocumentHandler* mDocumentHandler;
    RefCountPtr<PDFObject> mValue;
    OutputFormXObject* mForm;
    std::string mResourceName;
};
