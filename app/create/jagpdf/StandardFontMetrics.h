#pragma once
// Metrics of the eight standard Times and Courier faces, which PDF readers supply themselves so
// that documents use them without embedding: the face names, the advance widths by WinAnsi code
// (taken from the metric-compatible URW fonts by scripts/make-standard-font-widths.py) and the
// line height. Constant data, any thread.

#include <string>
#include <string_view>

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

    // The face of a PostScript name ("Times-Roman"); false for any other name.
    static bool FaceForName(std::string_view inName, Face& outFace);
    static const char* FaceName(Face inFace);

    // The advance of one WinAnsi code in 1/1000 em; 0 for codes WinAnsi leaves undefined.
    static int Width(Face inFace, unsigned char inCode);
    // The advance of WinAnsi text in points at the size.
    static double Advance(Face inFace, std::string_view inWinAnsiText, double inSize);
    // Baseline to baseline. The AFM files give no ascender, descender or line gap to build a
    // better rule from, so the customary 1.2 times the size.
    static double LineHeight(double inSize) { return 1.2 * inSize; }
};
