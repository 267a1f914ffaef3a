#pragma once
// Copies source objects that a merged page's resources refer to, once the form that uses them is
// finished. The document context owns the task once scheduled; the handler is borrowed and its
// copying context must stay open until the form ends.

#include "pdf/copying/PDFDocumentHandler.h"
#include "pdf/writing/IFormEndWritingTask.h"

class ObjectsCopyingTask : public IFormEndWritingTask {
public:
    ObjectsCopyingTask(PDFDocumentHandler* inDocumentHandler, const PDFDocumentHandler::ObjectIDList& inObjectsToCopy)
        : mDocumentHandler(inDocumentHandler), mObjectsToCopy(inObjectsToCopy)
    {
    }

    OpStatus RunTask(OutputFormXObject*, ObjectsContext*, DocumentContext*) override
    {
        return mDocumentHandler->CopyPendingObjects(mObjectsToCopy);
    }

private:
    PDFDocumentHandler* mDocumentHandler;
    PDFDocumentHandler::ObjectIDList mObjectsToCopy;
};
