#pragma once
// A font of a font file in use by one written document: turns UTF-8 text into glyphs, glyphs
// into the character codes of its written font, and measures text. The used-fonts repository
// makes and owns every PDFUsedFont; a pointer handed out stays valid until the repository is
// reset.
//
// Font loading is not built yet: no PDFUsedFont can be made, and every operation fails with
// one trace-log line.

#include "pdf/fonts/GlyphTextRecord.h"
#include "pdf/fonts/TextExtent.h"
#include "pdf/io/IOBasicTypes.h"
#include "pdf/objects/ObjectIDType.h"

#include <string>
#include <vector>

class PDFUsedFont {
public:
    PDFUsedFont() = delete;
    virtual ~PDFUsedFont();
    PDFUsedFont(const PDFUsedFont&) = delete;
    PDFUsedFont& operator=(const PDFUsedFont&) = delete;

    // One record per character, in text order. -1 when the text is not valid UTF-8 (no records)
    // or some character has no glyph (glyph 0 in its record).
    OpStatus TextToGlyphMapping(const std::string& inText, GlyphTextRecordList& outGlyphs);
    // The character codes of the glyphs in the written font, whether they are two-byte (CID)
    // codes, and the object id of the font's dictionary.
    OpStatus EncodeGlyphs(const GlyphTextRecordList& inGlyphs, std::vector<uint16_t>& outCharacterCodes,
                          bool& outIsCIDFont, ObjectIDType& outFontObjectID);
    TextExtent MeasureText(const std::string& inText, long inFontSize);
    TextExtent MeasureGlyphs(const std::vector<uint16_t>& inGlyphCodes, long inFontSize);
};
