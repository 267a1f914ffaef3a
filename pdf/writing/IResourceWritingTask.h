#pragma once
// Writes entries of its own into one resource category of a page's or form's resources
// dictionary while that category is open. The document context owns a registered task and
// deletes it after running it.

#include "pdf/io/IOBasicTypes.h"

class DictionaryContext;
class DocumentContext;
class ObjectsContext;

class IResourceWritingTask {
public:
    virtual ~IResourceWritingTask() = default;
    virtual OpStatus RunTask(DictionaryContext* inCategoryDictionary, ObjectsContext* inObjectsContext,
                             DocumentContext* inDocumentContext) = 0;
};
