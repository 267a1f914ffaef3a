#include "pdf/fonts/TrueTypeANSIFontWriter.h"

#include "pdf/fonts/ANSIFontWriter.h"
#include "pdf/fonts/EmbeddedFontName.h"
#include "pdf/fonts/TrueTypeEmbeddedFontWriter.h"
#include "pdf/io/DiagnosticLog.h"
#include "pdf/writing/ObjectsContext.h"

namespace {

const char* const scSubtype = "Subtype";
const char* const scTrueType = "TrueType";
const char* const scFontFile2 = "FontFile2";

} // namespace

OpStatus TrueTypeANSIFontWriter::WriteFont(FreeTypeFaceWrapper& inFontInfo,
                                           const WrittenFontRepresentation& inRepresentation,
                                           ObjectsContext* inObjectsContext, bool inEmbedFont)
{
    std::string postScriptName;
    if (!GetPostScriptName(inFontInfo, postScriptName)) {
        TraceMessage("TrueTypeANSIFontWriter::WriteFont, unexpected failure. no postscript font name for font");
        return eFailure;
    }
    mEmbeddedFontFileObjectID = 0;
    std::string fontName = FontNameForDictionary(inObjectsContext, inFontInfo, postScriptName, inEmbedFont);
    if (inEmbedFont) {
        TrueTypeEmbeddedFontWriter embeddedFontWriter;
        OpStatus status =
            embeddedFontWriter.WriteEmbeddedFont(inFontInfo, SortedGlyphIDs(CollectEncodedGlyphs(inRepresentation)),
                                                 inObjectsContext, mEmbeddedFontFileObjectID);
        if (status != eSuccess)
            return status;
    }
    ANSIFontWriter fontWriter;
    return fontWriter.WriteFont(inFontInfo, inRepresentation, inObjectsContext, this, fontName);
}

void TrueTypeANSIFontWriter::WriteSubtypeName(ObjectsContext* inObjectsContext, DictionaryContext* inFontDictionary)
{
    inFontDictionary->WriteKey(scSubtype);
    inObjectsContext->GetValueWriter().WriteNameValue(scTrueType, eTokenSeparatorEndLine);
}

void TrueTypeANSIFontWriter::WriteFontProgramEntry(DictionaryContext* inDescriptor, ObjectsContext* inObjectsContext)
{
    if (mEmbeddedFontFileObjectID == 0)
        return;
    inDescriptor->WriteKey(scFontFile2);
    inObjectsContext->WriteIndirectObjectReference(mEmbeddedFontFileObjectID);
}
