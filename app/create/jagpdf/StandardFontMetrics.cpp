#include "app/create/jagpdf/StandardFontMetrics.h"

#include <algorithm>
#include <iterator>

namespace {

const char* const scFaceNames[StandardFontMetrics::eFaceCount] = {
    "Courier",     "Courier-Bold", "Courier-Oblique", "Courier-BoldOblique",
    "Times-Roman", "Times-Bold",   "Times-Italic",    "Times-BoldItalic"};

struct ExtraGlyph {
    const char* name;
    unsigned short widths[StandardFontMetrics::eFaceCount];
};

struct ExtraCharacter {
    char32_t character;
    unsigned short glyph; // index into scExtraGlyphs
};

#include "app/create/jagpdf/StandardFontWidths.inc"

const size_t scExtraGlyphCount = std::size(scExtraGlyphs);

} // namespace

bool StandardFontMetrics::FaceForName(std::string_view inName, Face& outFace)
{
    for (int face = 0; face < eFaceCount; ++face) {
        if (inName == scFaceNames[face]) {
            outFace = static_cast<Face>(face);
            return true;
        }
    }
    return false;
}

const char* StandardFontMetrics::FaceName(Face inFace)
{
    return scFaceNames[inFace];
}

bool StandardFontMetrics::ExtraGlyphForCharacter(char32_t inCharacter, StandardGlyph& outGlyph)
{
    const ExtraCharacter* end = std::end(scExtraCharacters);
    const ExtraCharacter* found =
        std::lower_bound(std::begin(scExtraCharacters), end, inCharacter,
                         [](const ExtraCharacter& inEntry, char32_t inValue) { return inEntry.character < inValue; });
    if (found == end || found->character != inCharacter)
        return false;
    outGlyph = static_cast<StandardGlyph>(scFirstExtraGlyph + found->glyph);
    return true;
}

const char* StandardFontMetrics::ExtraGlyphName(StandardGlyph inGlyph)
{
    const size_t index = static_cast<size_t>(inGlyph - scFirstExtraGlyph);
    return IsExtraGlyph(inGlyph) && index < scExtraGlyphCount ? scExtraGlyphs[index].name : ".notdef";
}

int StandardFontMetrics::GlyphWidth(Face inFace, StandardGlyph inGlyph)
{
    if (!IsExtraGlyph(inGlyph))
        return scWinAnsiWidths[inFace][inGlyph];
    const size_t index = static_cast<size_t>(inGlyph - scFirstExtraGlyph);
    return index < scExtraGlyphCount ? scExtraGlyphs[index].widths[inFace] : 0;
}

double StandardFontMetrics::Advance(Face inFace, const StandardGlyphs& inGlyphs, double inSize)
{
    long long units = 0;
    for (StandardGlyph glyph : inGlyphs)
        units += GlyphWidth(inFace, glyph);
    return static_cast<double>(units) * inSize / 1000.0;
}
