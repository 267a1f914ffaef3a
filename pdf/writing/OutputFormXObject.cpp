#include "pdf/writing/OutputFormXObject.h"

#include "pdf/writing/DocumentContext.h"
#include "pdf/writing/WritingStep.h"
#include "pdf/writing/WrittenPDFStream.h"
#include "pdf/writing/XObjectContentContext.h"

OutputFormXObject::OutputFormXObject(DocumentContext* inDocumentContext, ObjectIDType inFormObjectID,
                                     ObjectIDType inResourcesObjectID,
                                     std::unique_ptr<WrittenPDFStream> inContentStream,
                                     std::unique_ptr<WritingStep> inStep)
    : mDocumentContext(inDocumentContext), mFormObjectID(inFormObjectID), mResourcesObjectID(inResourcesObjectID),
      mContentStream(std::move(inContentStream)), mContentContext(new XObjectContentContext(inDocumentContext, this)),
      mStep(std::move(inStep))
{
}

// The content context goes first: it refers to the stream.
OutputFormXObject::~OutputFormXObject()
{
    if (!mFinished)
        mDocumentContext->AbandonFormXObject(this);
    mContentContext.reset();
}
