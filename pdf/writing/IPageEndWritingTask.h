#pragma once
// Work that runs right after a page object is written (an image form queued while drawing on
// the page). The document context owns a scheduled task and deletes it after running it.

#include "pdf/io/IOBasicTypes.h"

class DocumentContext;
class ObjectsContext;
class OutputPage;

class IPageEndWritingTask {
public:
    virtual ~IPageEndWritingTask() = default;
    virtual OpStatus RunTask(OutputPage* inPage, ObjectsContext* inObjectsContext,
                             DocumentContext* inDocumentContext) = 0;
};
