#include "pdf/io/PredictorRowLayout.h"

bool PredictorRowLayout::Compute(long long inColors, long long inBitsPerComponent, long long inColumns, PredictorRowLayout& outLayout)
{
    if (inBitsPerComponent != 1 && inBitsPerComponent != 2 && inBitsPerComponent != 4 && inBitsPerComponent != 8 &&
        inBitsPerComponent != 16)
        return false;
    if (inColors < 1 || inColors > 32 || inColumns < 1)
        return false;
    const unsigned long long bitsPerPixel = static_cast<unsigned long long>(inColors * inBitsPerComponent); // at most 512
    if (static_cast<unsigned long long>(inColumns) > (kMaxRowBytes * 8ull) / bitsPerPixel)
        return false;
    const unsigned long long rowBits = bitsPerPixel * static_cast<unsigned long long>(inColumns);
    outLayout.colors = static_cast<unsigned>(inColors);
    outLayout.bitsPerComponent = static_cast<unsigned>(inBitsPerComponent);
    outLayout.rowBytes = static_cast<size_t>((rowBits + 7) / 8);
    outLayout.bytesPerPixel = bitsPerPixel >= 8 ? static_cast<size_t>(bitsPerPixel / 8) : 1;
    return true;
}
