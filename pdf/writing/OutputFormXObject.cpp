#include "pdf/writing/OutputFormXObject.h"

#include "pdf/writing/WrittenPDFStream.h"
#include "pdf/writing/XObjectContentContext.h"

OutputFormXObject::OutputFormXObject(DocumentContext* inDocumentContext, ObjectIDType inFormObjectID,
                                     ObjectIDType inResourcesObjectID,
                                     std::unique_ptr<WrittenPDFStream> inContentStream)
    : mFormObjectID(inFormObjectID), mResourcesObjectID(inResourcesObjectID),
      mContentStream(std::move(inContentStream)), mContentContext(new XObjectContentContext(inDocumentContext, this))
{
}

// The content context goes first: it refers to the stream.
OutputFormXObject::~OutputFormXObject()
{
    mContentContext.reset();
}
