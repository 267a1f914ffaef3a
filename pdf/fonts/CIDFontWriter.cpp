#include "pdf/fonts/CIDFontWriter.h"

#include "pdf/fonts/EmbeddedFontName.h"
#include "pdf/fonts/IDescendentFontWriter.h"
#include "pdf/fonts/ToUnicodeMapWriter.h"
#include "pdf/io/DiagnosticLog.h"
#include "pdf/writing/ObjectsContext.h"

namespace {

const char* const scType = "Type";
const char* const scFont = "Font";
const char* const scSubtype = "Subtype";
const char* const scType0 = "Type0";
const char* const scBaseFont = "BaseFont";
const char* const scDescendantFonts = "DescendantFonts";
const char* const scToUnicode = "ToUnicode";
const char* const scEncoding = "Encoding";
const char* const scIdentityH = "Identity-H";

} // namespace

OpStatus CIDFontWriter::WriteFont(FreeTypeFaceWrapper& inFontInfo, const WrittenFontRepresentation& inRepresentation,
                                  ObjectsContext* inObjectsContext, IDescendentFontWriter* inDescendentFontWriter,
                                  bool inEmbedFont)
{
    // Checked before the object is begun: a failure leaves no half-written dictionary.
    std::string postScriptName;
    if (!GetPostScriptName(inFontInfo, postScriptName)) {
        TraceMessage("CIDFontWriter::WriteFont, unexpected failure. no postscript font name for font");
        return eFailure;
    }
    std::string fontName = FontNameForDictionary(inObjectsContext, inFontInfo, postScriptName, inEmbedFont);
    PDFValueWriter& values = inObjectsContext->GetValueWriter();
    IndirectObjectsReferenceRegistry& registry = inObjectsContext->GetInDirectObjectsRegistry();

    inObjectsContext->StartIndirectObject(inRepresentation.mWrittenObjectID);
    DictionaryContext* font = inObjectsContext->StartDictionary();
    font->WriteKey(scType);
    values.WriteNameValue(scFont, eTokenSeparatorEndLine);
    font->WriteKey(scSubtype);
    values.WriteNameValue(scType0, eTokenSeparatorEndLine);
    font->WriteKey(scBaseFont);
    values.WriteNameValue(fontName, eTokenSeparatorEndLine);
    font->WriteKey(scEncoding);
    values.WriteNameValue(scIdentityH, eTokenSeparatorEndLine);

    ObjectIDType descendantID = registry.ReserveNewObjectID();
    font->WriteKey(scDescendantFonts);
    inObjectsContext->StartArray();
    inObjectsContext->WriteIndirectObjectReference(descendantID, eTokenSeparatorSpace);
    inObjectsContext->EndArray(eTokenSeparatorEndLine);

    EncodedGlyphList encodedGlyphs = CollectEncodedGlyphs(inRepresentation);
    ObjectIDType toUnicodeID = registry.ReserveNewObjectID();
    font->WriteKey(scToUnicode);
    inObjectsContext->WriteIndirectObjectReference(toUnicodeID);

    if (inObjectsContext->EndDictionary(font) != eSuccess) {
        TraceMessage("CIDFontWriter::WriteFont, unexpected failure. Failed to end dictionary in font write.");
        return eFailure;
    }
    inObjectsContext->EndIndirectObject();

    ToUnicodeMapWriter::WriteToUnicodeMap(inObjectsContext, toUnicodeID, encodedGlyphs,
                                          ToUnicodeMapWriter::eTwoByteCodes);
    return inDescendentFontWriter->WriteFont(descendantID, fontName, inFontInfo, encodedGlyphs, inObjectsContext,
                                             inEmbedFont);
}
