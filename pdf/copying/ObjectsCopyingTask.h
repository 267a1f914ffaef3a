#pragma once
// Copies source objects that a merged page's resources refer to, once the form that uses them is
// finished. Its list holds the source ids mapped for the form: those to copy, and those mapped
// while they were copied. The document context owns the task once scheduled; the handler is
// borrowed and its copying context must stay open until the form ends.

#include "pdf/copying/PDFDocumentHandler.h"
#include "pdf/writing/IFormEndWritingTask.h"

class ObjectsCopyingTask : public IFormEndWritingTask {
public:
    ObjectsCopyingTask(PDFDocumentHandler* inDocumentHandler, const PDFDocumentHandler::ObjectIDList& inObjectsToCopy)
        : mDocumentHandler(inDocumentHandler), mObjectsToCopy(inObjectsToCopy)
    {
    }

    OpStatus RunTask(OutputFormXObject* inForm, ObjectsContext*, DocumentContext*) override
    {
        return mDocumentHandler->CopyObjectsForForm(inForm, mObjectsToCopy);
    }
    // Whatever the form was to copy, or copied, is forgotten: a later form copies it afresh.
    void Abandon(DocumentContext*) override { mDocumentHandler->ForgetMappings(mObjectsToCopy); }

private:
    PDFDocumentHandler* mDocumentHandler;
    PDFDocumentHandler::ObjectIDList mObjectsToCopy;
};
