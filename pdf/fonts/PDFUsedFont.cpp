#include "pdf/fonts/PDFUsedFont.h"

#include "pdf/io/DiagnosticLog.h"

PDFUsedFont::~PDFUsedFont() = default;

OpStatus PDFUsedFont::TextToGlyphMapping(const std::string&, GlyphTextRecordList& outGlyphs)
{
    outGlyphs.clear();
    TraceMessage("PDFUsedFont::TextToGlyphMapping, font embedding is not available in this build");
    return eFailure;
}

OpStatus PDFUsedFont::EncodeGlyphs(const GlyphTextRecordList&, std::vector<uint16_t>& outCharacterCodes,
                                   bool& outIsCIDFont, ObjectIDType& outFontObjectID)
{
    outCharacterCodes.clear();
    outIsCIDFont = false;
    outFontObjectID = 0;
    TraceMessage("PDFUsedFont::EncodeGlyphs, font embedding is not available in this build");
    return eFailure;
}

TextExtent PDFUsedFont::MeasureText(const std::string&, long)
{
    TraceMessage("PDFUsedFont::MeasureText, font embedding is not available in this build");
    return TextExtent();
}

TextExtent PDFUsedFont::MeasureGlyphs(const std::vector<uint16_t>&, long)
{
    TraceMessage("PDFUsedFont::MeasureGlyphs, font embedding is not available in this build");
    return TextExtent();
}
