#include "pdf/fonts/TrueTypeDescendentFontWriter.h"

#include "pdf/fonts/DescendentFontWriter.h"
#include "pdf/fonts/TrueTypeEmbeddedFontWriter.h"
#include "pdf/writing/ObjectsContext.h"

namespace {

const char* const scSubtype = "Subtype";
const char* const scCIDFontType2 = "CIDFontType2";
const char* const scCIDToGIDMap = "CIDToGIDMap";
const char* const scIdentity = "Identity";
const char* const scFontFile2 = "FontFile2";

} // namespace

OpStatus TrueTypeDescendentFontWriter::WriteFont(ObjectIDType inDescendentObjectID, const std::string& inFontName,
                                                 FreeTypeFaceWrapper& inFontInfo,
                                                 const EncodedGlyphList& inEncodedGlyphs,
                                                 ObjectsContext* inObjectsContext, bool inEmbedFont)
{
    mEmbeddedFontFileObjectID = 0;
    if (inEmbedFont) {
        TrueTypeEmbeddedFontWriter embeddedFontWriter;
        OpStatus status = embeddedFontWriter.WriteEmbeddedFont(inFontInfo, SortedGlyphIDs(inEncodedGlyphs),
                                                               inObjectsContext, mEmbeddedFontFileObjectID);
        if (status != eSuccess)
            return status;
    }
    DescendentFontWriter descendentFontWriter;
    return descendentFontWriter.WriteFont(inDescendentObjectID, inFontName, inFontInfo, inEncodedGlyphs,
                                          inObjectsContext, this);
}

void TrueTypeDescendentFontWriter::WriteSubtypeName(ObjectsContext* inObjectsContext,
                                                    DictionaryContext* inFontDictionary)
{
    inFontDictionary->WriteKey(scSubtype);
    inObjectsContext->GetValueWriter().WriteNameValue(scCIDFontType2, eTokenSeparatorEndLine);
}

void TrueTypeDescendentFontWriter::WriteExtraKeys(ObjectsContext* inObjectsContext, DictionaryContext* inFontDictionary)
{
    inFontDictionary->WriteKey(scCIDToGIDMap);
    inObjectsContext->GetValueWriter().WriteNameValue(scIdentity, eTokenSeparatorEndLine);
}

void TrueTypeDescendentFontWriter::WriteFontProgramEntry(DictionaryContext* inDescriptor,
                                                         ObjectsContext* inObjectsContext)
{
    if (mEmbeddedFontFileObjectID == 0)
        return;
    inDescriptor->WriteKey(scFontFile2);
    inObjectsContext->WriteIndirectObjectReference(mEmbeddedFontFileObjectID);
}
