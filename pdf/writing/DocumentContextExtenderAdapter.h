#pragma once
// An extender that does nothing: every hook answers 0, and no catalog rewrite is wanted.
// Extenders derive from it and override only the hooks they need.

#include "pdf/writing/IDocumentContextExtender.h"

class DocumentContextExtenderAdapter : public IDocumentContextExtender {
public:
    OpStatus PageDictionaryWriting(OutputPage*, DictionaryContext*, ObjectsContext*, DocumentContext*) override
    {
        return eSuccess;
    }
    OpStatus ResourcesDictionaryWriting(ResourcesDictionary*, DictionaryContext*, ObjectsContext*,
                                        DocumentContext*) override
    {
        return eSuccess;
    }
    OpStatus ResourceCategoryWriting(DictionaryContext*, const std::string&, ObjectsContext*, DocumentContext*) override
    {
        return eSuccess;
    }
    OpStatus FormXObjectDictionaryWriting(ObjectIDType, ObjectIDType, DictionaryContext*, ObjectsContext*,
                                          DocumentContext*) override
    {
        return eSuccess;
    }
    OpStatus JPEGImageDictionaryWriting(ObjectIDType, DictionaryContext*, ObjectsContext*, DocumentContext*,
                                        JPEGImageHandler*) override
    {
        return eSuccess;
    }
    OpStatus TIFFImageDictionaryWriting(ObjectIDType, DictionaryContext*, ObjectsContext*, DocumentContext*,
                                        TIFFImageHandler*) override
    {
        return eSuccess;
    }
    OpStatus CatalogWriting(PageTreeBuilder*, DictionaryContext*, ObjectsContext*, DocumentContext*) override
    {
        return eSuccess;
    }
    OpStatus CopySourceParsed(ObjectsContext*, DocumentContext*, PDFDocumentHandler*) override { return eSuccess; }
    OpStatus PageCopyStarting(PDFDictionary*, ObjectsContext*, DocumentContext*, PDFDocumentHandler*) override
    {
        return eSuccess;
    }
    OpStatus PageCopyFinished(OutputPage*, PDFDictionary*, ObjectsContext*, DocumentContext*,
                              PDFDocumentHandler*) override
    {
        return eSuccess;
    }
    OpStatus CopyEnding(ObjectsContext*, DocumentContext*, PDFDocumentHandler*) override { return eSuccess; }
    bool CatalogRewriteWanted(PDFParser*) override { return false; }
};
