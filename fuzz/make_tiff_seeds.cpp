// Writes the TIFF fuzzer's seed corpus into the folder named on the command line: small pages of
// every layout, compression and colour space the handler knows, and a file of several pages.

#include "tests/pdf/support/TIFFTestSupport.h"

#include <string>

using tifftest::PageRecipe;

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    const std::string folder = argv[1];
    auto small = [](uint16_t inPhotometric, uint16_t inSamples, uint16_t inBits, uint16_t inCompression) {
        PageRecipe page;
        page.mWidth = 40;
        page.mLength = 30;
        page.mPhotometric = inPhotometric;
        page.mSamplesPerPixel = inSamples;
        page.mBitsPerSample = inBits;
        page.mCompression = inCompression;
        for (auto& block : page.mBlocks)
            for (auto& sample : block)
                sample = static_cast<uint16_t>(sample % (1u << inBits));
        return page;
    };
    std::vector<std::pair<std::string, std::vector<PageRecipe>>> seeds;
    seeds.push_back({"g4", {small(PHOTOMETRIC_MINISWHITE, 1, 1, COMPRESSION_CCITTFAX4)}});
    PageRecipe g4Strips = small(PHOTOMETRIC_MINISBLACK, 1, 1, COMPRESSION_CCITTFAX4);
    g4Strips.mRowsPerStrip = 8;
    g4Strips.mFillOrder = FILLORDER_LSB2MSB;
    seeds.push_back({"g4-strips", {g4Strips}});
    seeds.push_back({"deflate-rgb", {small(PHOTOMETRIC_RGB, 3, 8, COMPRESSION_ADOBE_DEFLATE)}});
    PageRecipe predictor = small(PHOTOMETRIC_RGB, 3, 8, COMPRESSION_ADOBE_DEFLATE);
    predictor.mPredictor = PREDICTOR_HORIZONTAL;
    predictor.mRowsPerStrip = 7;
    seeds.push_back({"deflate-predictor", {predictor}});
    PageRecipe palette = small(PHOTOMETRIC_PALETTE, 1, 4, COMPRESSION_LZW);
    palette.mColorMap.assign(48, 0);
    for (size_t i = 0; i < 48; ++i)
        palette.mColorMap[i] = static_cast<uint16_t>(i * 1361);
    seeds.push_back({"palette", {palette}});
    PageRecipe tiled = small(PHOTOMETRIC_MINISBLACK, 1, 8, COMPRESSION_ADOBE_DEFLATE);
    tiled.mTileWidth = 16;
    tiled.mTileLength = 16;
    seeds.push_back({"tiled", {tiled}});
    PageRecipe planes = small(PHOTOMETRIC_RGB, 3, 8, COMPRESSION_PACKBITS);
    planes.mPlanarConfig = PLANARCONFIG_SEPARATE;
    planes.mTileWidth = 16;
    planes.mTileLength = 16;
    seeds.push_back({"planes", {planes}});
    PageRecipe rgba = small(PHOTOMETRIC_RGB, 4, 8, COMPRESSION_NONE);
    rgba.mExtraSample = EXTRASAMPLE_ASSOCALPHA;
    seeds.push_back({"rgba", {rgba}});
    seeds.push_back({"cmyk", {small(PHOTOMETRIC_SEPARATED, 4, 8, COMPRESSION_LZW)}});
    seeds.push_back({"lab", {small(PHOTOMETRIC_CIELAB, 3, 8, COMPRESSION_NONE)}});
    PageRecipe ycbcr = small(PHOTOMETRIC_YCBCR, 3, 8, COMPRESSION_JPEG);
    ycbcr.mRowsPerStrip = 16;
    seeds.push_back({"ycbcr", {ycbcr}});
    PageRecipe turned = small(PHOTOMETRIC_MINISBLACK, 1, 2, COMPRESSION_NONE);
    turned.mOrientation = ORIENTATION_RIGHTTOP;
    turned.mResolutionUnit = RESUNIT_CENTIMETER;
    PageRecipe thumbnail = small(PHOTOMETRIC_MINISBLACK, 1, 8, COMPRESSION_NONE);
    thumbnail.mSubfileType = FILETYPE_REDUCEDIMAGE;
    seeds.push_back({"pages", {turned, thumbnail, small(PHOTOMETRIC_RGB, 3, 8, COMPRESSION_LZW)}});
    for (const auto& seed : seeds)
        if (!tifftest::WriteTIFF(folder + "/" + seed.first + ".tif", seed.second))
            return 1;
    return 0;
}
