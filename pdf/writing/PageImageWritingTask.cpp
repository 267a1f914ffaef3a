#include "pdf/writing/PageImageWritingTask.h"

#include "pdf/writing/DocumentContext.h"

OpStatus PageImageWritingTask::RunTask(OutputPage*, ObjectsContext*, DocumentContext* inDocumentContext)
{
    return inDocumentContext->WriteImageFileAsFormXObject(mImagePath, mImageIndex, mObjectID);
}
