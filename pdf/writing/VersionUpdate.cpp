#include "pdf/writing/VersionUpdate.h"

#include "pdf/io/NumberText.h"
#include "pdf/writing/DictionaryContext.h"
#include "pdf/writing/ObjectsContext.h"

namespace {

const char scVersion[] = "Version";

} // namespace

OpStatus VersionUpdate::CatalogWriting(PageTreeBuilder*, DictionaryContext* inCatalogDictionary,
                                       ObjectsContext* inObjectsContext, DocumentContext*)
{
    if (inCatalogDictionary->WriteKey(scVersion) != eSuccess)
        return eFailure;
    inObjectsContext->GetValueWriter().WriteNameValue(NumberText::FormatTrimmed(mPDFVersionCode / 10.0),
                                                      eTokenSeparatorEndLine);
    return eSuccess;
}
