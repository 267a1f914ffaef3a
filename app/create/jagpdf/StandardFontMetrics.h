#pragma once
// Metrics of the eight standard Times and Courier faces, which PDF readers supply themselves so
// that documents use them without embedding: the face names, the advance widths (taken from the
// metric-compatible URW fonts by scripts/make-standard-font-widths.py) and the line height.
//
// A glyph of these faces is a StandardGlyph: below 256 the WinAnsi code that shows it; from
// 256 on, one of the glyphs the faces have beyond WinAnsi (the Central European, Baltic, Turkish
// and Romanian letters and a few accents and signs), which a document reaches through an
// encoding whose Differences name it. Constant data, any thread.

#include <string>
#include <string_view>

using StandardGlyph = char16_t;
using StandardGlyphs = std::u16string;

class StandardFontMetrics {
public:
    enum Face {
        eCourier = 0,
        eCourierBold,
        eCourierOblique,
        eCourierBoldOblique,
        eTimesRoman,
        eTimesBold,
        eTimesItalic,
        eTimesBoldItalic,
        eFaceCount
    };

    // The first glyph beyond WinAnsi.
    static const StandardGlyph scFirstExtraGlyph = 256;

    // The face of a PostScript name ("Times-Roman"); false for any other name.
    static bool FaceForName(std::string_view inName, Face& outFace);
    static const char* FaceName(Face inFace);

    // The glyph beyond WinAnsi that shows a character; false when the faces have none for it.
    static bool ExtraGlyphForCharacter(char32_t inCharacter, StandardGlyph& outGlyph);
    static bool IsExtraGlyph(StandardGlyph inGlyph) { return inGlyph >= scFirstExtraGlyph; }
    // The PostScript name of a glyph beyond WinAnsi ("Lslash").
    static const char* ExtraGlyphName(StandardGlyph inGlyph);

    // The advance of a glyph in 1/1000 em; 0 for the codes WinAnsi leaves undefined.
    static int GlyphWidth(Face inFace, StandardGlyph inGlyph);
    // The advance of the glyphs in points at the size.
    static double Advance(Face inFace, const StandardGlyphs& inGlyphs, double inSize);
    // Baseline to baseline. The AFM files give no ascender, descender or line gap to build a
    // better rule from, so the customary 1.2 times the size.
    static double LineHeight(double inSize) { return 1.2 * inSize; }
};
