#pragma once
// One glyph of a text and the Unicode values it shows: the unit passed between text, glyphs
// and the character codes of a written font.

#include <cstdint>
#include <vector>

struct GlyphTextRecord {
    uint16_t mGlyphCode = 0;
    std::vector<uint32_t> mUnicodeValues;
};

typedef std::vector<GlyphTextRecord> GlyphTextRecordList;
