#include "pdf/copying/ResourceCopierTask.h"

#include "pdf/copying/PDFDocumentHandler.h"
#include "pdf/io/DiagnosticLog.h"
#include "pdf/objects/PDFObject.h"
#include "pdf/writing/DictionaryContext.h"

ResourceCopierTask::ResourceCopierTask(PDFDocumentHandler* inDocumentHandler, PDFObject* inValue,
                                       OutputFormXObject* inForm)
    : mDocumentHandler(inDocumentHandler), mForm(inForm)
{
    inValue->AddRef();
    mValue = inValue;
}

ResourceCopierTask::~ResourceCopierTask() = default;

OpStatus ResourceCopierTask::RunTask(DictionaryContext* inCategoryDictionary, ObjectsContext*, DocumentContext*)
{
    if (!mValue) {
        TraceMessage("ResourceCopierTask::RunTask, the resource %s was written already",
                     TraceExcerpt(mResourceName).c_str());
        return eFailure;
    }
    if (inCategoryDictionary->WriteKey(mResourceName) != eSuccess)
        return eFailure;
    PDFDocumentHandler::ObjectIDList references;
    OpStatus status = mDocumentHandler->WriteValueAndListReferences(mForm, mValue.GetPtr(), references);
    mValue = nullptr;
    // Scheduled even after a failure: the failed form's task forgets what the value mapped.
    if (!references.empty())
        mDocumentHandler->ScheduleObjectsCopying(mForm, references);
    return status;
}
