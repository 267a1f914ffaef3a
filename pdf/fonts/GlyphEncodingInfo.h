#pragma once
// The character code a written font gave one glyph, and the Unicode values the glyph shows.

#include <cstdint>
#include <vector>

struct GlyphEncodingInfo {
    uint16_t mEncodedCharacter = 0;
    std::vector<uint32_t> mUnicodeCharacters;
};
