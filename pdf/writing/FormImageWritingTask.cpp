#include "pdf/writing/FormImageWritingTask.h"

#include "pdf/writing/DocumentContext.h"

OpStatus FormImageWritingTask::RunTask(OutputFormXObject*, ObjectsContext*, DocumentContext* inDocumentContext)
{
    return inDocumentContext->WriteImageFileAsFormXObject(mImagePath, mImageIndex, mObjectID);
}

void FormImageWritingTask::Abandon(DocumentContext* inDocumentContext)
{
    inDocumentContext->ForgetImageForm(mImagePath, mImageIndex, mObjectID);
}
