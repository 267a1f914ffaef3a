#pragma once
// A form XObject being written: its object id, the id reserved for its resources dictionary
// (written when the form is finished), its resources, its open stream and the content context
// that writes into it. The document context makes it (StartFormXObject) and finishes it
// (FinishFormXObject); the caller owns it and deletes it afterwards, which deletes the stream
// and the content context.

#include "pdf/objects/ObjectIDType.h"
#include "pdf/writing/ResourcesDictionary.h"

#include <memory>

class DocumentContext;
class WrittenPDFStream;
class XObjectContentContext;

class OutputFormXObject {
public:
    OutputFormXObject(DocumentContext* inDocumentContext, ObjectIDType inFormObjectID, ObjectIDType inResourcesObjectID,
                      std::unique_ptr<WrittenPDFStream> inContentStream);
    ~OutputFormXObject();
    OutputFormXObject(const OutputFormXObject&) = delete;
    OutputFormXObject& operator=(const OutputFormXObject&) = delete;

    ObjectIDType GetObjectID() const { return mFormObjectID; }
    ObjectIDType GetResourcesDictionaryObjectID() const { return mResourcesObjectID; }
    ResourcesDictionary& GetResourcesDictionary() { return mResources; }
    WrittenPDFStream* GetContentStream() { return mContentStream.get(); }
    XObjectContentContext* GetContentContext() { return mContentContext.get(); }

    // Set by the document context when the form is finished; a form is finished once.
    bool IsFinished() const { return mFinished; }
    void MarkFinished() { mFinished = true; }

private:
    ObjectIDType mFormObjectID;
    ObjectIDType mResourcesObjectID;
    ResourcesDictionary mResources;
    std::unique_ptr<WrittenPDFStream> mContentStream;
    std::unique_ptr<XObjectContentContext> mContentContext;
    bool mFinished = false;
};
