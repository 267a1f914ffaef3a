#pragma once
// Raises the version of an updated file: attached to the document context while the catalog of
// the update is written, it adds the catalog's "Version" entry. Holds nothing but the version code.

#include "pdf/writing/DocumentContextExtenderAdapter.h"

class VersionUpdate : public DocumentContextExtenderAdapter {
public:
    explicit VersionUpdate(int inPDFVersionCode) : mPDFVersionCode(inPDFVersionCode) {}

    // "Version" and the code as a name in the shortest decimal form (13 gives /1.3).
    OpStatus CatalogWriting(PageTreeBuilder* inPageTree, DictionaryContext* inCatalogDictionary,
                            ObjectsContext* inObjectsContext, DocumentContext* inDocumentContext) override;

private:
    int mPDFVersionCode;
};
