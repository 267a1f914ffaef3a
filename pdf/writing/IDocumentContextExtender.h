#pragma once
// Hooks through which other parts of the library (and callers) add entries to what the document
// context, the image handlers and the page copier write. Each returns 0 to let writing go on; a
// non-zero answer fails the object being written. Extenders are attached to the document context
// and are not owned by it.

#include "pdf/io/IOBasicTypes.h"
#include "pdf/objects/ObjectIDType.h"

#include <string>

class DictionaryContext;
class DocumentContext;
class JPEGImageHandler;
class ObjectsContext;
class OutputPage;
class PageTreeBuilder;
class PDFDictionary;
class PDFDocumentHandler;
class PDFParser;
class ResourcesDictionary;
class TIFFImageHandler;

class IDocumentContextExtender {
public:
    virtual ~IDocumentContextExtender() = default;

    // While a page dictionary is open, after its Contents.
    virtual OpStatus PageDictionaryWriting(OutputPage* inPage, DictionaryContext* inPageDictionaryContext,
                                           ObjectsContext* inObjectsContext, DocumentContext* inDocumentContext) = 0;
    // After the last category of a resources dictionary.
    virtual OpStatus ResourcesDictionaryWriting(ResourcesDictionary* inResources,
                                                DictionaryContext* inResourcesDictionary,
                                                ObjectsContext* inObjectsContext,
                                                DocumentContext* inDocumentContext) = 0;
    // After the entries and tasks of one resource category.
    virtual OpStatus ResourceCategoryWriting(DictionaryContext* inCategoryDictionary, const std::string& inCategoryName,
                                             ObjectsContext* inObjectsContext, DocumentContext* inDocumentContext) = 0;
    // When a form starts, before its stream begins.
    virtual OpStatus FormXObjectDictionaryWriting(ObjectIDType inFormObjectID, ObjectIDType inResourcesObjectID,
                                                  DictionaryContext* inFormDictionaryContext,
                                                  ObjectsContext* inObjectsContext,
                                                  DocumentContext* inDocumentContext) = 0;
    virtual OpStatus JPEGImageDictionaryWriting(ObjectIDType inImageObjectID, DictionaryContext* inImageDictionary,
                                                ObjectsContext* inObjectsContext, DocumentContext* inDocumentContext,
                                                JPEGImageHandler* inJPEGImageHandler) = 0;
    virtual OpStatus TIFFImageDictionaryWriting(ObjectIDType inImageObjectID, DictionaryContext* inImageDictionary,
                                                ObjectsContext* inObjectsContext, DocumentContext* inDocumentContext,
                                                TIFFImageHandler* inTIFFImageHandler) = 0;
    // While the catalog is open, after Pages.
    virtual OpStatus CatalogWriting(PageTreeBuilder* inPageTree, DictionaryContext* inCatalogDictionary,
                                    ObjectsContext* inObjectsContext, DocumentContext* inDocumentContext) = 0;
    // Page copying: after the source is parsed, before and after each page, before the end.
    virtual OpStatus CopySourceParsed(ObjectsContext* inObjectsContext, DocumentContext* inDocumentContext,
                                      PDFDocumentHandler* inCopier) = 0;
    virtual OpStatus PageCopyStarting(PDFDictionary* inSourcePage, ObjectsContext* inObjectsContext,
                                      DocumentContext* inDocumentContext, PDFDocumentHandler* inCopier) = 0;
    virtual OpStatus PageCopyFinished(OutputPage* inPage, PDFDictionary* inSourcePage, ObjectsContext* inObjectsContext,
                                      DocumentContext* inDocumentContext, PDFDocumentHandler* inCopier) = 0;
    virtual OpStatus CopyEnding(ObjectsContext* inObjectsContext, DocumentContext* inDocumentContext,
                                PDFDocumentHandler* inCopier) = 0;
    // Whether the catalog of an updated file must be written again.
    virtual bool CatalogRewriteWanted(PDFParser* inModifiedFileParser) = 0;
};
