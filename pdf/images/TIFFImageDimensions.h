#pragma once
// The size of a TIFF page in points (after resolution and orientation) and its samples per
// pixel; -1, -1 and 0 when the page cannot be read.

struct TIFFImageDimensions {
    double mWidth = -1;
    double mHeight = -1;
    int mSamplesPerPixel = 0;
};
