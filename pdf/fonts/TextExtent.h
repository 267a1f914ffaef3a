#pragma once
// The ink box of a measured text at a font size, in text space units (whole numbers).

struct TextExtent {
    double mMinX = 0;
    double mMinY = 0;
    double mMaxX = 0;
    double mMaxY = 0;
    double mWidth = 0;
    double mHeight = 0;
};
