#pragma once
// The format-specific answers about one FreeType face that the font descriptor and the face
// wrapper need: read once when the extender is made (from the face, its tables or the font
// file), only answered afterwards. FreeTypeType1Wrapper serves Type 1 faces,
// FreeTypeOpenTypeWrapper TrueType and CFF-flavoured ones. Heights and stem widths are in font
// units; the caller scales them.

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <optional>
#include <string>

class IFreeTypeFaceExtender {
public:
    static constexpr int kUnknownFontStretch = 11;
    static constexpr int kUnknownFontWeight = 1000;

    virtual ~IFreeTypeFaceExtender() {}

    virtual double ItalicAngle() = 0;
    virtual std::optional<FT_Short> CapHeight() = 0;
    virtual std::optional<FT_Short> XHeight() = 0;
    virtual FT_UShort StemV() = 0;
    // 1 (ultra-condensed) to 9 (ultra-expanded); kUnknownFontStretch when the font does not say.
    virtual int FontStretch() = 0;
    // 100 to 900; kUnknownFontWeight when the font does not say.
    virtual int FontWeight() = 0;
    virtual bool HasSerifFlag() = 0;
    virtual bool HasScriptFlag() = 0;
    virtual bool HasForceBoldFlag() = 0;
    // True for a Type 1 font with its own encoding array. Its glyph codes are glyph indices all
    // the same: text reaches its glyphs by name, whatever the encoding says.
    virtual bool UsesOwnEncoding() = 0;
    // The glyph index that shows a Unicode value; 0 when the font has no glyph for it.
    virtual FT_UInt GlyphIndexForUnicode(uint32_t inUnicode) = 0;
    // The glyph name of a code in the font's own encoding, and that glyph's index.
    virtual std::string OwnGlyphName(uint16_t inCode) = 0;
    virtual FT_UInt FaceGlyphIndexForCode(uint16_t inCode) = 0;
    // The glyph's advance in font units when the font gives it with a fraction of a unit, which
    // FreeType rounds away (Type 1 widths made with div); none otherwise.
    virtual std::optional<double> FractionalAdvance(FT_UInt inGlyphIndex) = 0;
};
