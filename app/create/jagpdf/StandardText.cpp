#include "app/create/jagpdf/StandardText.h"

#include <cstdint>

namespace {

// The code points that WinAnsi places at 0x80 to 0x9F, by code; 0 where it has none.
const char32_t scHighCodes[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                  0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

const char32_t scMalformed = 0xFFFD;

bool IsSpaceLike(char32_t inCodePoint)
{
    return inCodePoint == U'\t' || inCodePoint == U'\n' || inCodePoint == U'\r' || inCodePoint == 0x2028 ||
           inCodePoint == 0x2029 || (inCodePoint >= 0x2000 && inCodePoint <= 0x200A) || inCodePoint == 0x202F ||
           inCodePoint == 0x205F || inCodePoint == 0x3000;
}

StandardGlyph GlyphOf(char32_t inCodePoint)
{
    if ((inCodePoint >= 0x20 && inCodePoint <= 0x7E) || (inCodePoint >= 0xA0 && inCodePoint <= 0xFF))
        return static_cast<StandardGlyph>(inCodePoint);
    if (IsSpaceLike(inCodePoint))
        return u' ';
    // Codes 0x80 to 0x9F that WinAnsi leaves free hold 0 in the table and match no character.
    for (int code = 0; code < 32; ++code) {
        if (scHighCodes[code] != 0 && scHighCodes[code] == inCodePoint)
            return static_cast<StandardGlyph>(0x80 + code);
    }
    StandardGlyph extra = 0;
    if (StandardFontMetrics::ExtraGlyphForCharacter(inCodePoint, extra))
        return extra;
    return u'?';
}

// The code point starting at ioAt, which moves past it. A malformed sequence (a stray
// continuation byte, a cut or overlong sequence, a surrogate, a value past U+10FFFF) gives
// U+FFFD and moves one byte on.
char32_t NextCodePoint(std::string_view inUTF8, size_t& ioAt)
{
    const unsigned char lead = static_cast<unsigned char>(inUTF8[ioAt]);
    size_t length;
    char32_t value;
    char32_t minimum;
    if (lead < 0x80) {
        ++ioAt;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        ++ioAt;
        return scMalformed;
    }
    if (inUTF8.size() - ioAt < length) {
        ++ioAt;
        return scMalformed;
    }
    for (size_t index = 1; index < length; ++index) {
        const unsigned char next = static_cast<unsigned char>(inUTF8[ioAt + index]);
        if ((next & 0xC0) != 0x80) {
            ++ioAt;
            return scMalformed;
        }
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ++ioAt;
        return scMalformed;
    }
    ioAt += length;
    return value;
}

} // namespace

StandardGlyphs StandardText::FromUTF8(std::string_view inUTF8)
{
    StandardGlyphs glyphs;
    glyphs.reserve(inUTF8.size());
    for (size_t at = 0; at < inUTF8.size();)
        glyphs.push_back(GlyphOf(NextCodePoint(inUTF8, at)));
    return glyphs;
}
