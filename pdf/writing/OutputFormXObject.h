#pragma once
// A form XObject being written: its object id, the id reserved for its resources dictionary
// (written when the form is finished), its resources, its open stream, the content context
// that writes into it and the writing step it is. The document context makes it
// (StartFormXObject) and finishes it (FinishFormXObject) or gives it up (AbandonFormXObject); the
// caller owns it and deletes it afterwards, which deletes the stream and the content context. A
// form deleted unfinished is given up, so that nothing of it is left open in the document.

#include "pdf/objects/ObjectIDType.h"
#include "pdf/writing/ResourcesDictionary.h"

#include <memory>

class DocumentContext;
class WritingStep;
class WrittenPDFStream;
class XObjectContentContext;

class OutputFormXObject {
public:
    OutputFormXObject(DocumentContext* inDocumentContext, ObjectIDType inFormObjectID, ObjectIDType inResourcesObjectID,
                      std::unique_ptr<WrittenPDFStream> inContentStream, std::unique_ptr<WritingStep> inStep);
    ~OutputFormXObject();
    OutputFormXObject(const OutputFormXObject&) = delete;
    OutputFormXObject& operator=(const OutputFormXObject&) = delete;

    ObjectIDType GetObjectID() const { return mFormObjectID; }
    ObjectIDType GetResourcesDictionaryObjectID() const { return mResourcesObjectID; }
    ResourcesDictionary& GetResourcesDictionary() { return mResources; }
    WrittenPDFStream* GetContentStream() { return mContentStream.get(); }
    XObjectContentContext* GetContentContext() { return mContentContext.get(); }

    // Set by the document context when the form is finished or given up; once.
    bool IsFinished() const { return mFinished; }
    void MarkFinished() { mFinished = true; }
    WritingStep& GetWritingStep() { return *mStep; }

private:
    DocumentContext* mDocumentContext;
    ObjectIDType mFormObjectID;
    ObjectIDType mResourcesObjectID;
    ResourcesDictionary mResources;
    std::unique_ptr<WrittenPDFStream> mContentStream;
    std::unique_ptr<XObjectContentContext> mContentContext;
    std::unique_ptr<WritingStep> mStep;
    bool mFinished = false;
};
