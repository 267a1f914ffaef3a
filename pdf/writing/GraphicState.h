#pragma once
// The text state a content context tracks per graphic state: the current font and size, and the
// font name and size last placed with "Tf", so that "Tf" is written only when they change.

#include <string>

class PDFUsedFont;

struct GraphicState {
    PDFUsedFont* mFont = nullptr; // not owned
    double mFontSize = 0;
    std::string mPlacedFontName;
    double mPlacedFontSize = 0;
};
