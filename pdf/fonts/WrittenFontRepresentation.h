#pragma once
// One representation of a written font: the glyphs it shows with their character codes, and the
// object id its font dictionary will be written under (0 until one is allocated). Every
// representation in use holds the .notdef entry, glyph 0 at code 0, which the font dictionary
// writers take as their first record.

#include "pdf/fonts/GlyphEncodingInfo.h"
#include "pdf/objects/ObjectIDType.h"

#include <map>

typedef std::map<uint16_t, GlyphEncodingInfo> UShortToGlyphEncodingInfoMap;

struct WrittenFontRepresentation {
    UShortToGlyphEncodingInfoMap mGlyphIDToEncodedChar;
    ObjectIDType mWrittenObjectID = 0;

    bool HoldsGlyph(uint16_t inGlyphCode) const { return mGlyphIDToEncodedChar.count(inGlyphCode) != 0; }
    // Glyph 0 at code 0, when it is not there yet.
    void InsertNotDef() { mGlyphIDToEncodedChar.emplace(0, GlyphEncodingInfo()); }
};
