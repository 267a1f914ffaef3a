#pragma once
// The glyphs of one written font representation as the font dictionary writers pass them
// around: glyph id, the code it was given (0 to 255 in a simple font, the CID in a CID font) and
// the Unicode values it shows, sorted by code. Every representation in use holds .notdef (glyph 0
// at code 0), so the first record is that entry: widths, FirstChar and DW include it, the
// ToUnicode maps, the glyph-set entries and the symbolic test skip it.

#include "pdf/fonts/WrittenFontRepresentation.h"

#include <cstdint>
#include <vector>

struct EncodedGlyph {
    uint32_t mGlyphID = 0;
    uint16_t mEncodedCharacter = 0;
    std::vector<uint32_t> mUnicodeCharacters;
};

typedef std::vector<EncodedGlyph> EncodedGlyphList;

// The representation's entries, sorted by code ascending (stable).
EncodedGlyphList CollectEncodedGlyphs(const WrittenFontRepresentation& inRepresentation);

// The glyph ids of the list, ascending, without repeats: what a font program subset keeps.
std::vector<uint32_t> SortedGlyphIDs(const EncodedGlyphList& inGlyphs);
