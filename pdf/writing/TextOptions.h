#pragma once
// How WriteText shows a text: the fill colour (kind and value) and the font and its size.

#include <cstdint>

class PDFUsedFont;

enum EColorSpaceKind { eColorSpaceRGB = 0, eColorSpaceCMYK = 1, eColorSpaceGray = 2 };

struct TextOptions {
    // RGB 0xRRGGBB, CMYK 0xCCMMYYKK, gray the low byte.
    int mColorSpace = eColorSpaceRGB;
    uint32_t mColorValue = 0;
    double mFontSize = 0;
    PDFUsedFont* mFont = nullptr; // null: keep the content context's current font
};
