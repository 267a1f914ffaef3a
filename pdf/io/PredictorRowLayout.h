#pragma once
// Row geometry of the TIFF and PNG predictors, computed from a stream's Colors,
// BitsPerComponent and Columns with every value range-checked before any multiplication.

#include <cstddef>

struct PredictorRowLayout {
    unsigned colors = 1;
    unsigned bitsPerComponent = 8;
    size_t rowBytes = 0;      // Colors x BitsPerComponent x Columns bits, rounded up to bytes
    size_t bytesPerPixel = 1; // max(1, Colors x BitsPerComponent / 8)

    static constexpr size_t kMaxRowBytes = 64 * 1024 * 1024;

    // BitsPerComponent 1, 2, 4, 8 or 16, Colors 1 to 32, Columns 1 or more with a row of at most
    // kMaxRowBytes; false for anything else.
    static bool Compute(long long inColors, long long inBitsPerComponent, long long inColumns, PredictorRowLayout& outLayout);
};
