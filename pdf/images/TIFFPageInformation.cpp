#include "pdf/images/TIFFPageInformation.h"

namespace {

// a b c d e f as the rows (a b 0) (c d 0) (e f 1); the product applies inFirst, then inSecond.
TIFFPlacementMatrix Multiply(const double inFirst[6], const double inSecond[6])
{
    TIFFPlacementMatrix product;
    double* r = product.mValues;
    r[0] = inFirst[0] * inSecond[0] + inFirst[1] * inSecond[2];
    r[1] = inFirst[0] * inSecond[1] + inFirst[1] * inSecond[3];
    r[2] = inFirst[2] * inSecond[0] + inFirst[3] * inSecond[2];
    r[3] = inFirst[2] * inSecond[1] + inFirst[3] * inSecond[3];
    r[4] = inFirst[4] * inSecond[0] + inFirst[5] * inSecond[2] + inSecond[4];
    r[5] = inFirst[4] * inSecond[1] + inFirst[5] * inSecond[3] + inSecond[5];
    return product;
}

} // namespace

unsigned TIFFPageInformation::PDFComponents() const
{
    if (mPalette)
        return 1;
    switch (mColorSpace) {
    case eTIFFColorSpaceBilevel:
    case eTIFFColorSpaceGray:
        return 1;
    case eTIFFColorSpaceRGB:
    case eTIFFColorSpaceLab:
        return 3;
    case eTIFFColorSpaceCMYK:
        return 4;
    }
    return 1;
}

uint32_t TIFFPageInformation::TileWidthAt(uint32_t inColumn) const
{
    if (!mTiled)
        return mWidth;
    uint64_t start = uint64_t(inColumn) * mTileWidth;
    return start + mTileWidth > mWidth ? uint32_t(mWidth - start) : mTileWidth;
}

uint32_t TIFFPageInformation::TileLengthAt(uint32_t inRow) const
{
    if (!mTiled)
        return mLength;
    uint64_t start = uint64_t(inRow) * mTileLength;
    return start + mTileLength > mLength ? uint32_t(mLength - start) : mTileLength;
}

TIFFPlacementMatrix TIFFPageInformation::PlacementOf(uint32_t inTile, uint32_t inDeclaredWidth,
                                                     uint32_t inDeclaredLength) const
{
    double firstColumn = 0;
    double firstRow = 0;
    if (mTiled && mTilesAcross > 0) {
        firstColumn = double(inTile % mTilesAcross) * mTileWidth;
        firstRow = double(inTile / mTilesAcross) * mTileLength;
    }
    // The image in upright points, rows counted from its top; a declared size beyond the image's
    // edge (a whole edge tile) reaches past it and is clipped by the form's box.
    const double imageWidth = mWidth * mPixelWidthInPoints;
    const double imageHeight = mLength * mPixelHeightInPoints;
    const double tile[6] = {inDeclaredWidth * mPixelWidthInPoints, 0, 0, inDeclaredLength * mPixelHeightInPoints,
                            firstColumn * mPixelWidthInPoints,
                            imageHeight - (firstRow + inDeclaredLength) * mPixelHeightInPoints};
    // Where the upright image goes on the page: row 0 and column 0 end up where the orientation
    // says (2 to 4 mirror it, 5 to 8 also swap its axes).
    const double w = imageWidth;
    const double h = imageHeight;
    const double orientations[9][6] = {
        {1, 0, 0, 1, 0, 0},   {1, 0, 0, 1, 0, 0},   {-1, 0, 0, 1, w, 0}, {-1, 0, 0, -1, w, h}, {1, 0, 0, -1, 0, h},
        {0, -1, -1, 0, h, w}, {0, -1, 1, 0, 0, w}, {0, 1, 1, 0, 0, 0},  {0, 1, -1, 0, h, 0}};
    return Multiply(tile, orientations[mOrientation <= 8 ? mOrientation : 0]);
}
