#include "pdf/fonts/EncodedGlyph.h"

#include <algorithm>

EncodedGlyphList CollectEncodedGlyphs(const WrittenFontRepresentation& inRepresentation)
{
    EncodedGlyphList glyphs;
    glyphs.reserve(inRepresentation.mGlyphIDToEncodedChar.size());
    for (const auto& entry : inRepresentation.mGlyphIDToEncodedChar)
        glyphs.push_back(EncodedGlyph{entry.first, entry.second.mEncodedCharacter, entry.second.mUnicodeCharacters});
    std::stable_sort(glyphs.begin(), glyphs.end(), [](const EncodedGlyph& inLeft, const EncodedGlyph& inRight) {
        return inLeft.mEncodedCharacter < inRight.mEncodedCharacter;
    });
    return glyphs;
}

std::vector<uint32_t> SortedGlyphIDs(const EncodedGlyphList& inGlyphs)
{
    std::vector<uint32_t> ids;
    ids.reserve(inGlyphs.size());
    for (const EncodedGlyph& glyph : inGlyphs)
        ids.push_back(glyph.mGlyphID);
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
}
