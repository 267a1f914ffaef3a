#include "pdf/fonts/CFFDescendentFontWriter.h"

#include "pdf/fonts/CFFEmbeddedFontWriter.h"
#include "pdf/fonts/DescendentFontWriter.h"
#include "pdf/fonts/FreeTypeFaceWrapper.h"
#include "pdf/io/DiagnosticLog.h"
#include "pdf/writing/ObjectsContext.h"

#include <algorithm>

namespace {

const char* const scSubtype = "Subtype";
const char* const scCIDFontType0 = "CIDFontType0";
const char* const scCIDFontType0C = "CIDFontType0C";
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
                     TraceExcerpt(inFontName).c_str());
        return eFailure;
    }
    if (inEmbedFont) {
        EncodedGlyphList byGlyph = inEncodedGlyphs;
        std::stable_sort(byGlyph.begin(), byGlyph.end(),
                         [](const EncodedGlyph& inA, const EncodedGlyph& inB) { return inA.mGlyphID < inB.mGlyphID; });
        std::vector<uint32_t> glyphs;
        std::vector<uint16_t> cids;
        for (const EncodedGlyph& glyph : byGlyph) {
            glyphs.push_back(glyph.mGlyphID);
            cids.push_back(glyph.mEncodedCharacter);
        }
        CFFEmbeddedFontWriter embeddedFontWriter;
        OpStatus status = embeddedFontWriter.WriteEmbeddedFont(inFontInfo, glyphs, scCIDFontType0C, inFontName,
                                                               inObjectsContext, &cids, mEmbeddedFontFileObjectID);
        if (status != eSuccess)
            return status;
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
