#pragma once
// Work that runs when a form XObject is finished, after its stream and resources are written.
// The document context owns a scheduled task and deletes it after running it.

#include "pdf/io/IOBasicTypes.h"

class DocumentContext;
class ObjectsContext;
class OutputFormXObject;

class IFormEndWritingTask {
public:
    virtual ~IFormEndWritingTask() = default;
    virtual OpStatus RunTask(OutputFormXObject* inForm, ObjectsContext* inObjectsContext,
                             DocumentContext* inDocumentContext) = 0;
    // The form failed or was given up: before the task ran, while it ran, or after.
    virtual void Abandon(DocumentContext*) {}
};
