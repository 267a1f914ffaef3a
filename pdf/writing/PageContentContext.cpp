#include "pdf/writing/PageContentContext.h"

#include "pdf/writing/DocumentContext.h"
#include "pdf/writing/ObjectsContext.h"
#include "pdf/writing/OutputPage.h"
#include "pdf/writing/PageImageWritingTask.h"

PageContentContext::PageContentContext(DocumentContext* inDocumentContext, OutputPage* inPage,
                                       ObjectsContext* inObjectsContext)
    : AbstractContentContext(inDocumentContext), mPage(inPage), mObjectsContext(inObjectsContext)
{
}

PageContentContext::~PageContentContext() = default;

ResourcesDictionary* PageContentContext::TargetResources()
{
    return &mPage->GetResourcesDictionary();
}

void PageContentContext::EnsureContentStream()
{
    if (mCurrentStream)
        return;
    mPage->AddContentStreamReference(mObjectsContext->AllocateAndStartIndirectObject());
    mCurrentStream = mObjectsContext->StartStream();
    SetContentStream(mCurrentStream->GetWriteStream());
}

OpStatus PageContentContext::FinalizeCurrentStream()
{
    if (!mCurrentStream)
        return eSuccess;
    SetContentStream(nullptr);
    OpStatus status = mObjectsContext->EndStream(mCurrentStream.get());
    mCurrentStream.reset();
    return status;
}

void PageContentContext::QueueImageFileWrite(const std::string& inImagePath, int inImageIndex, ObjectIDType inObjectID)
{
    GetDocumentContext()->SchedulePageEndTask(
        mPage, std::make_unique<PageImageWritingTask>(inImagePath, inImageIndex, inObjectID));
}
