#include "pdf/fonts/CFFDescendentFontWriter.h"

#include "pdf/fonts/DescendentFontWriter.h"
#include "pdf/fonts/FreeTypeFaceWrapper.h"
#include "pdf/io/DiagnosticLog.h"
#include "pdf/writing/ObjectsContext.h"

namespace {

const char* const scSubtype = "Subtype";
const char* const scCIDFontType0 = "CIDFontType0";
const char* const scFontFile3 = "FontFile3";

} // namespace

OpStatus CFFDescendentFontWriter::WriteFont(ObjectIDType inDescendentObjectID, const std::string& inFontName,
                                            FreeTypeFaceWrapper& inFontInfo, const EncodedGlyphList& inEncodedGlyphs,
                                            ObjectsContext* inObjectsContext, bool inEmbedFont)
{
    mEmbeddedFontFileObjectID = 0;
    if (inFontInfo.FontFormat() == "Type 1") {
        TraceMessage("CFFDescendentFontWriter::WriteFont, Exception. identified type1 font when writing CFF CID font, "
                     "font name - %s. type 1 CIDs are not supported.",
                     inFontName.c_str());
        return eFailure;
    }
    if (inEmbedFont) {
        // CID-keyed CFF subsets need the CFF subsetter, which this build does not have.
        TraceMessage("CFFDescendentFontWriter::WriteFont, font name - %s. embedding CFF fonts is not available in "
                     "this build",
                     inFontName.c_str());
        return eFailure;
    }
    DescendentFontWriter descendentFontWriter;
    return descendentFontWriter.WriteFont(inDescendentObjectID, inFontName, inFontInfo, inEncodedGlyphs,
                                          inObjectsContext, this);
}

void CFFDescendentFontWriter::WriteSubtypeName(ObjectsContext* inObjectsContext, DictionaryContext* inFontDictionary)
{
    inFontDictionary->WriteKey(scSubtype);
    inObjectsContext->GetValueWriter().WriteNameValue(scCIDFontType0, eTokenSeparatorEndLine);
}

void CFFDescendentFontWriter::WriteFontProgramEntry(DictionaryContext* inDescriptor, ObjectsContext* inObjectsContext)
{
    if (mEmbeddedFontFileObjectID == 0)
        return;
    inDescriptor->WriteKey(scFontFile3);
    inObjectsContext->WriteIndirectObjectReference(mEmbeddedFontFileObjectID);
}
