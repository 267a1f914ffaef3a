#pragma once
// What one conversion knows about the chosen TIFF page: the values read from its directory, the
// PDF values derived from them, and its geometry in points. Filled by TIFFPageReader and read by
// the handler that writes the PDF objects; it lives for one conversion.

#include <cstdint>
#include <string>
#include <vector>

// The six numbers of a "cm" operator.
struct TIFFPlacementMatrix {
    double mValues[6] = {1, 0, 0, 1, 0, 0};
};

enum ETIFFColorSpace { eTIFFColorSpaceBilevel, eTIFFColorSpaceGray, eTIFFColorSpaceRGB, eTIFFColorSpaceCMYK,
                       eTIFFColorSpaceLab };

enum ETIFFTranscode { eTIFFTranscodeRaw, eTIFFTranscodeEncode };

enum ETIFFPDFCompression { eTIFFPDFCompressionNone, eTIFFPDFCompressionG4, eTIFFPDFCompressionFlate };

struct TIFFPageInformation {
    // From the directory.
    uint32_t mDirectory = 0;
    uint32_t mWidth = 0;
    uint32_t mLength = 0;
    uint16_t mBitsPerSample = 1;
    uint16_t mSamplesPerPixel = 1;
    uint16_t mPhotometric = 0;
    uint16_t mPlanarConfig = 1;
    uint16_t mFillOrder = 1;
    uint16_t mOrientation = 1;
    uint16_t mCompression = 1;
    uint16_t mPredictor = 1;
    float mXResolution = 0;
    float mYResolution = 0;
    uint16_t mResolutionUnit = 2;

    // Tiles; a page without tiles is one image.
    bool mTiled = false;
    uint32_t mTileWidth = 0;
    uint32_t mTileLength = 0;
    uint32_t mTilesAcross = 0;
    uint32_t mTilesDown = 0;

    // Derived PDF values.
    ETIFFColorSpace mColorSpace = eTIFFColorSpaceGray;
    bool mPalette = false;
    bool mICCBased = false;
    bool mSwitchDecode = false;
    double mLabRange[4] = {-127, 127, -127, 127};
    double mWhitePoint[2] = {0.3457, 0.3585}; // chromaticity x, y
    // Sample conversions applied while decoding.
    bool mSeparatedToContiguous = false;
    bool mDropAlpha = false;
    bool mAssociatedAlpha = false;
    bool mYCbCrToRGB = false;
    bool mSignedLabToUnsigned = false;
    ETIFFTranscode mTranscode = eTIFFTranscodeEncode;
    ETIFFPDFCompression mPDFCompression = eTIFFPDFCompressionFlate;

    // Palette: three (RGB) bytes per entry.
    std::vector<uint8_t> mPaletteBytes;
    std::vector<uint8_t> mICCProfile;
    // One or three tables of 2^bits 16-bit entries.
    std::vector<std::vector<uint16_t>> mTransferFunctions;

    // Size of one pixel in points, and the page box (after orientation), from 0 0.
    double mPixelWidthInPoints = 0;
    double mPixelHeightInPoints = 0;
    double mPageWidthInPoints = 0;
    double mPageHeightInPoints = 0;

    // Components of one pixel as the PDF image holds it (after conversions).
    unsigned PDFComponents() const;
    // Samples per pixel of the decoded data that the PDF image holds.
    uint16_t OutputSamplesPerPixel() const { return mDropAlpha ? uint16_t(mSamplesPerPixel - 1) : mSamplesPerPixel; }
    uint16_t OutputBitsPerSample() const { return mYCbCrToRGB ? 8 : mBitsPerSample; }
    uint32_t TileCount() const { return mTiled ? mTilesAcross * mTilesDown : 1; }
    // Pixel width and height of a tile (edge tiles cropped) or of the whole image.
    uint32_t TileWidthAt(uint32_t inColumn) const;
    uint32_t TileLengthAt(uint32_t inRow) const;
    // The matrix that draws the image of the given tile (or of the whole image) into the page box.
    TIFFPlacementMatrix PlacementOf(uint32_t inTile, uint32_t inDeclaredWidth, uint32_t inDeclaredLength) const;
};
