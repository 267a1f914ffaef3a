#include "pdf/fonts/CFFANSIFontWriter.h"

#include "pdf/fonts/ANSIFontWriter.h"
#include "pdf/fonts/CFFEmbeddedFontWriter.h"
#include "pdf/fonts/EmbeddedFontName.h"
#include "pdf/fonts/FreeTypeFaceWrapper.h"
#include "pdf/fonts/Type1ToCFFEmbeddedFontWriter.h"
#include "pdf/io/DiagnosticLog.h"
#include "pdf/io/OutputStringBufferStream.h"
#include "pdf/writing/ObjectsContext.h"

namespace {

const char* const scSubtype = "Subtype";
const char* const scType1 = "Type1";
const char* const scType1C = "Type1C";
const char* const scCharSet = "CharSet";
const char* const scFontFile3 = "FontFile3";

} // namespace

OpStatus CFFANSIFontWriter::WriteFont(FreeTypeFaceWrapper& inFontInfo, const WrittenFontRepresentation& inRepresentation,
                                      ObjectsContext* inObjectsContext, bool inEmbedFont)
{
    std::string postScriptName;
    if (!GetPostScriptName(inFontInfo, postScriptName)) {
        TraceMessage("CFFANSIFontWriter::WriteFont, unexpected failure. no postscript font name for font");
        return eFailure;
    }
    mEmbeddedFontFileObjectID = 0;
    std::string fontName = FontNameForDictionary(inObjectsContext, inFontInfo, postScriptName, inEmbedFont);
    if (inEmbedFont) {
        std::string format = inFontInfo.FontFormat();
        OpStatus status = eSuccess;
        EncodedGlyphList encodedGlyphs = CollectEncodedGlyphs(inRepresentation);
        std::vector<uint32_t> glyphs = SortedGlyphIDs(encodedGlyphs);
        if (format == "Type 1") {
            // The subset's own encoding shows each glyph at the code the text uses.
            Type1ToCFFEmbeddedFontWriter::GlyphCodes codes;
            for (const EncodedGlyph& glyph : encodedGlyphs)
                codes.emplace(glyph.mGlyphID, static_cast<Byte>(glyph.mEncodedCharacter & 0xFF));
            Type1ToCFFEmbeddedFontWriter embeddedFontWriter;
            status = embeddedFontWriter.WriteEmbeddedFont(inFontInfo, glyphs, fontName, inObjectsContext,
                                                          mEmbeddedFontFileObjectID, &codes);
        } else if (format == "CFF") {
            CFFEmbeddedFontWriter embeddedFontWriter;
            status = embeddedFontWriter.WriteEmbeddedFont(inFontInfo, glyphs, scType1C, fontName, inObjectsContext,
                                                          nullptr, mEmbeddedFontFileObjectID);
        } else {
            TraceMessage("CFFANSIFontWriter::WriteFont, Exception, unfamilar font type for embedding representation");
            return eFailure;
        }
        if (status != eSuccess)
            return status;
        // A font whose FSType forbids embedding gets no program, and a subset prefix would claim one.
        if (mEmbeddedFontFileObjectID == 0)
            fontName = FontNameForDictionary(inObjectsContext, inFontInfo, postScriptName, false);
    }
    ANSIFontWriter fontWriter;
    return fontWriter.WriteFont(inFontInfo, inRepresentation, inObjectsContext, this, fontName);
}

void CFFANSIFontWriter::WriteSubtypeName(ObjectsContext* inObjectsContext, DictionaryContext* inFontDictionary)
{
    inFontDictionary->WriteKey(scSubtype);
    inObjectsContext->GetValueWriter().WriteNameValue(scType1, eTokenSeparatorEndLine);
}

std::string CFFANSIFontWriter::CharSetText(FreeTypeFaceWrapper& inFontInfo, const EncodedGlyphList& inEncodedGlyphs)
{
    OutputStringBufferStream buffer;
    PDFValueWriter names(&buffer);
    for (size_t i = 1; i < inEncodedGlyphs.size(); ++i)
        names.WriteNameValue(inFontInfo.GlyphNameOfIndex(static_cast<uint16_t>(inEncodedGlyphs[i].mGlyphID)),
                             eTokenSeparatorNone);
    return buffer.ContentsAsString();
}

void CFFANSIFontWriter::WriteGlyphSetEntry(DictionaryContext* inDescriptor, ObjectsContext* inObjectsContext,
                                           FreeTypeFaceWrapper& inFontInfo, const EncodedGlyphList& inEncodedGlyphs)
{
    inDescriptor->WriteKey(scCharSet);
    // Names escape every delimiter, so the string needs no escapes of its own.
    inObjectsContext->GetValueWriter().WriteLiteralStringValue(CharSetText(inFontInfo, inEncodedGlyphs),
                                                               eTokenSeparatorEndLine);
}

void CFFANSIFontWriter::WriteFontProgramEntry(DictionaryContext* inDescriptor, ObjectsContext* inObjectsContext)
{
    if (mEmbeddedFontFileObjectID == 0)
        return;
    inDescriptor->WriteKey(scFontFile3);
    inObjectsContext->WriteIndirectObjectReference(mEmbeddedFontFileObjectID);
}
