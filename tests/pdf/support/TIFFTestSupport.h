#pragma once
// TIFF files made with libtiff for the tests, the fuzzer's seeds and the benchmark: pages of four
// blocks (top left, top right, bottom left, bottom right), each one colour given as samples, in
// any layout libtiff writes (strips or tiles, contiguous or separate planes) and compression.

#include <tiffio.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tifftest {

// The samples of one block, as the file stores them (up to 4).
using Samples = std::array<uint16_t, 4>;

struct PageRecipe {
    uint32_t mWidth = 96;
    uint32_t mLength = 64;
    uint16_t mBitsPerSample = 8;
    uint16_t mSamplesPerPixel = 3;
    uint16_t mPhotometric = PHOTOMETRIC_RGB;
    uint16_t mCompression = COMPRESSION_NONE;
    uint16_t mPlanarConfig = PLANARCONFIG_CONTIG;
    uint16_t mOrientation = ORIENTATION_TOPLEFT;
    uint16_t mFillOrder = FILLORDER_MSB2LSB;
    uint16_t mPredictor = PREDICTOR_NONE;
    int mExtraSample = -1; // the ExtraSamples value of a last sample, -1 for none
    uint32_t mRowsPerStrip = 0; // 0: one strip
    uint32_t mTileWidth = 0;    // 0: strips
    uint32_t mTileLength = 0;
    float mResolution = 72; // 0: no resolution tags
    uint16_t mResolutionUnit = RESUNIT_INCH;
    std::vector<uint16_t> mColorMap; // red, green and blue tables one after the other
    std::vector<uint8_t> mICCProfile;
    int mSubfileType = -1; // -1: no tag
    int mPageNumber = -1;  // -1: no tag
    // top left, top right, bottom left, bottom right
    std::array<Samples, 4> mBlocks = {Samples{200, 30, 30, 0}, Samples{30, 160, 30, 0}, Samples{30, 30, 220, 0},
                                      Samples{240, 220, 40, 0}};
    // The block of a pixel, given in stored rows and columns.
    const Samples& At(uint32_t inColumn, uint32_t inRow) const
    {
        return mBlocks[(inRow < mLength / 2 ? 0 : 2) + (inColumn < mWidth / 2 ? 0 : 1)];
    }
};

// The pixel rows of a page, contiguous samples, each row padded to whole bytes; one plane of
// separate samples when inPlane is not negative.
inline std::vector<uint8_t> PixelRows(const PageRecipe& inPage, uint32_t inWidth, uint32_t inLength,
                                      uint32_t inFirstColumn, uint32_t inFirstRow, int inPlane)
{
    uint16_t samples = inPlane < 0 ? inPage.mSamplesPerPixel : 1;
    size_t rowBytes = (size_t(inWidth) * samples * inPage.mBitsPerSample + 7) / 8;
    std::vector<uint8_t> data(rowBytes * inLength, 0);
    for (uint32_t y = 0; y < inLength; ++y) {
        for (uint32_t x = 0; x < inWidth; ++x) {
            uint32_t column = inFirstColumn + x;
            uint32_t row = inFirstRow + y;
            if (column >= inPage.mWidth || row >= inPage.mLength)
                continue;
            const Samples& block = inPage.At(column, row);
            for (uint16_t s = 0; s < samples; ++s) {
                uint32_t value = block[inPlane < 0 ? s : static_cast<size_t>(inPlane)];
                size_t bit = (size_t(x) * samples + s) * inPage.mBitsPerSample;
                uint8_t* at = &data[y * rowBytes + bit / 8];
                if (inPage.mBitsPerSample == 8)
                    *at = static_cast<uint8_t>(value);
                else
                    *at |= static_cast<uint8_t>(value << (8 - inPage.mBitsPerSample - bit % 8));
            }
        }
    }
    return data;
}

inline bool WritePage(TIFF* inTIFF, const PageRecipe& inPage)
{
    TIFFSetField(inTIFF, TIFFTAG_IMAGEWIDTH, inPage.mWidth);
    TIFFSetField(inTIFF, TIFFTAG_IMAGELENGTH, inPage.mLength);
    TIFFSetField(inTIFF, TIFFTAG_BITSPERSAMPLE, inPage.mBitsPerSample);
    TIFFSetField(inTIFF, TIFFTAG_SAMPLESPERPIXEL, inPage.mSamplesPerPixel);
    TIFFSetField(inTIFF, TIFFTAG_PHOTOMETRIC, inPage.mPhotometric);
    TIFFSetField(inTIFF, TIFFTAG_PLANARCONFIG, inPage.mPlanarConfig);
    TIFFSetField(inTIFF, TIFFTAG_ORIENTATION, inPage.mOrientation);
    TIFFSetField(inTIFF, TIFFTAG_FILLORDER, inPage.mFillOrder);
    TIFFSetField(inTIFF, TIFFTAG_COMPRESSION, inPage.mCompression);
    if (inPage.mPredictor != PREDICTOR_NONE)
        TIFFSetField(inTIFF, TIFFTAG_PREDICTOR, inPage.mPredictor);
    if (inPage.mExtraSample >= 0) {
        uint16_t extra = static_cast<uint16_t>(inPage.mExtraSample);
        TIFFSetField(inTIFF, TIFFTAG_EXTRASAMPLES, 1, &extra);
    }
    if (inPage.mResolution > 0) {
        TIFFSetField(inTIFF, TIFFTAG_XRESOLUTION, inPage.mResolution);
        TIFFSetField(inTIFF, TIFFTAG_YRESOLUTION, inPage.mResolution);
        TIFFSetField(inTIFF, TIFFTAG_RESOLUTIONUNIT, inPage.mResolutionUnit);
    }
    if (!inPage.mColorMap.empty()) {
        size_t entries = inPage.mColorMap.size() / 3;
        TIFFSetField(inTIFF, TIFFTAG_COLORMAP, &inPage.mColorMap[0], &inPage.mColorMap[entries],
                     &inPage.mColorMap[2 * entries]);
    }
    if (!inPage.mICCProfile.empty())
        TIFFSetField(inTIFF, TIFFTAG_ICCPROFILE, static_cast<uint32_t>(inPage.mICCProfile.size()),
                     inPage.mICCProfile.data());
    if (inPage.mSubfileType >= 0)
        TIFFSetField(inTIFF, TIFFTAG_SUBFILETYPE, static_cast<uint32_t>(inPage.mSubfileType));
    if (inPage.mPageNumber >= 0)
        TIFFSetField(inTIFF, TIFFTAG_PAGENUMBER, static_cast<uint16_t>(inPage.mPageNumber), uint16_t(0));
    if (inPage.mCompression == COMPRESSION_JPEG) {
        TIFFSetField(inTIFF, TIFFTAG_JPEGQUALITY, 95);
        if (inPage.mPhotometric == PHOTOMETRIC_YCBCR)
            TIFFSetField(inTIFF, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    }

    const int planes = inPage.mPlanarConfig == PLANARCONFIG_SEPARATE ? inPage.mSamplesPerPixel : 1;
    if (inPage.mTileWidth > 0) {
        TIFFSetField(inTIFF, TIFFTAG_TILEWIDTH, inPage.mTileWidth);
        TIFFSetField(inTIFF, TIFFTAG_TILELENGTH, inPage.mTileLength);
        for (int plane = 0; plane < planes; ++plane)
            for (uint32_t y = 0; y < inPage.mLength; y += inPage.mTileLength)
                for (uint32_t x = 0; x < inPage.mWidth; x += inPage.mTileWidth) {
                    std::vector<uint8_t> tile = PixelRows(inPage, inPage.mTileWidth, inPage.mTileLength, x, y,
                                                          planes > 1 ? plane : -1);
                    if (TIFFWriteEncodedTile(inTIFF, TIFFComputeTile(inTIFF, x, y, 0, static_cast<uint16_t>(plane)),
                                             tile.data(), static_cast<tmsize_t>(tile.size())) < 0)
                        return false;
                }
    } else {
        uint32_t rows = inPage.mRowsPerStrip > 0 ? inPage.mRowsPerStrip : inPage.mLength;
        TIFFSetField(inTIFF, TIFFTAG_ROWSPERSTRIP, rows);
        for (int plane = 0; plane < planes; ++plane)
            for (uint32_t y = 0; y < inPage.mLength; y += rows) {
                uint32_t count = std::min(rows, inPage.mLength - y);
                std::vector<uint8_t> strip = PixelRows(inPage, inPage.mWidth, count, 0, y, planes > 1 ? plane : -1);
                if (TIFFWriteEncodedStrip(inTIFF, TIFFComputeStrip(inTIFF, y, static_cast<uint16_t>(plane)),
                                          strip.data(), static_cast<tmsize_t>(strip.size())) < 0)
                    return false;
            }
    }
    return TIFFWriteDirectory(inTIFF) != 0;
}

// Writes the pages into a new file; false when libtiff refuses.
inline bool WriteTIFF(const std::string& inPath, const std::vector<PageRecipe>& inPages)
{
    TIFF* tiff = TIFFOpen(inPath.c_str(), "w");
    if (!tiff)
        return false;
    bool written = true;
    for (const PageRecipe& page : inPages)
        written = written && WritePage(tiff, page);
    TIFFClose(tiff);
    return written;
}

} // namespace tifftest
