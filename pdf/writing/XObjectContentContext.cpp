#include "pdf/writing/XObjectContentContext.h"

#include "pdf/writing/DocumentContext.h"
#include "pdf/writing/FormImageWritingTask.h"
#include "pdf/writing/OutputFormXObject.h"
#include "pdf/writing/WrittenPDFStream.h"

XObjectContentContext::XObjectContentContext(DocumentContext* inDocumentContext, OutputFormXObject* inForm)
    : AbstractContentContext(inDocumentContext), mForm(inForm)
{
}

XObjectContentContext::~XObjectContentContext() = default;

ResourcesDictionary* XObjectContentContext::TargetResources()
{
    return &mForm->GetResourcesDictionary();
}

void XObjectContentContext::EnsureContentStream()
{
    SetContentStream(mForm->GetContentStream()->GetWriteStream());
}

void XObjectContentContext::QueueImageFileWrite(const std::string& inImagePath, int inImageIndex,
                                                ObjectIDType inObjectID)
{
    GetDocumentContext()->ScheduleFormEndTask(
        mForm, std::make_unique<FormImageWritingTask>(inImagePath, inImageIndex, inObjectID));
}
