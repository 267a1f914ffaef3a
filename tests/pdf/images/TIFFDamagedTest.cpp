// Damaged TIFF files, made from good ones by changing their tags, cutting them short or flipping
// their bytes, and the inputs the fuzzer once stopped on (regressions/): each is measured and
// placed without crashing (the sanitizer build watches), and a refusal is a null result with its
// log lines, never a buffer allocated for a size the file merely claims.

#include "pdf/io/InputByteArrayStream.h"
#include "pdf/io/OutputStringBufferStream.h"
#include "pdf/writing/DocumentContext.h"
#include "pdf/writing/ObjectsContext.h"
#include "pdf/writing/OutputFormXObject.h"

#include "pdf/support/LogCapture.h"
#include "pdf/support/TIFFTestSupport.h"
#include "pdf/support/TestDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>

using testsupport::TestDirectory;
using tifftest::PageRecipe;

namespace {

// Measures and places a page of the bytes in a document written into memory; whether a form
// came out.
bool Place(const std::string& inBytes, unsigned int inPage = 0)
{
    OutputStringBufferStream output;
    ObjectsContext objects;
    objects.SetOutputStream(&output);
    DocumentContext document(&objects);
    TIFFImageHandler& handler = document.GetTIFFImageHandler();
    const Byte* data = reinterpret_cast<const Byte*>(inBytes.data());
    InputByteArrayStream measured(data, static_cast<LongFilePositionType>(inBytes.size()));
    TIFFImageDimensions size = handler.ReadImageDimensions(&measured, inPage);
    InputByteArrayStream placed(data, static_cast<LongFilePositionType>(inBytes.size()));
    TIFFImageOptions options;
    options.mPageIndex = inPage;
    bool made = handler.CreateFormXObjectFromTIFFFile(&placed, objects.GetInDirectObjectsRegistry().ReserveNewObjectID(),
                                                      options) != nullptr;
    // A page that is placed can also be measured.
    EXPECT_TRUE(!made || size.mWidth > 0);
    return made;
}

std::string MakeTIFF(const PageRecipe& inPage)
{
    TestDirectory folder;
    std::string path = folder.PathOf("good.tif");
    EXPECT_TRUE(tifftest::WriteTIFF(path, {inPage}));
    return testsupport::ReadFile(path);
}

// Replaces the value of a tag of the first directory of a little-endian file (a SHORT or LONG
// held in the entry, or the first of a RATIONAL's numbers); false when the tag is not there.
bool PatchTag(std::string& ioBytes, uint16_t inTag, uint32_t inValue)
{
    auto read = [&](size_t inAt, int inSize) {
        uint32_t value = 0;
        for (int i = inSize - 1; i >= 0; --i)
            value = value << 8 | static_cast<uint8_t>(ioBytes[inAt + static_cast<size_t>(i)]);
        return value;
    };
    auto write = [&](size_t inAt, int inSize, uint32_t inNumber) {
        for (int i = 0; i < inSize; ++i)
            ioBytes[inAt + static_cast<size_t>(i)] = static_cast<char>(inNumber >> (8 * i));
    };
    size_t directory = read(4, 4);
    uint32_t entries = read(directory, 2);
    for (uint32_t i = 0; i < entries; ++i) {
        size_t entry = directory + 2 + 12 * i;
        if (read(entry, 2) != inTag)
            continue;
        uint32_t type = read(entry + 2, 2);
        if (type == TIFF_RATIONAL)
            write(read(entry + 8, 4), 4, inValue);
        else
            write(entry + 8, type == TIFF_SHORT ? 2 : 4, inValue);
        return true;
    }
    return false;
}

PageRecipe G4Page()
{
    PageRecipe page;
    page.mPhotometric = PHOTOMETRIC_MINISWHITE;
    page.mSamplesPerPixel = 1;
    page.mBitsPerSample = 1;
    page.mCompression = COMPRESSION_CCITTFAX4;
    page.mBlocks = {tifftest::Samples{1}, tifftest::Samples{0}, tifftest::Samples{0}, tifftest::Samples{1}};
    return page;
}

PageRecipe StripsPage()
{
    PageRecipe page;
    page.mCompression = COMPRESSION_LZW;
    page.mRowsPerStrip = 10;
    return page;
}

PageRecipe TilesPage()
{
    PageRecipe page;
    page.mCompression = COMPRESSION_ADOBE_DEFLATE;
    page.mTileWidth = 32;
    page.mTileLength = 32;
    return page;
}

TEST(TIFFDamaged, ChangedTagsAreRefusedBeforeAnythingIsAllocated)
{
    struct Case {
        std::string mName;
        PageRecipe mPage;
        std::vector<std::pair<uint16_t, uint32_t>> mTags;
        bool mPlaced;
    };
    const std::vector<Case> cases = {
        {"60000 x 60000 RGB in strips", StripsPage(), {{TIFFTAG_IMAGEWIDTH, 60000}, {TIFFTAG_IMAGELENGTH, 60000}},
         false},
        {"4 billion wide", StripsPage(), {{TIFFTAG_IMAGEWIDTH, 0xFFFFFFFF}}, false},
        {"40000 x 40000 in small tiles", TilesPage(), {{TIFFTAG_IMAGEWIDTH, 40000}, {TIFFTAG_IMAGELENGTH, 40000}},
         false},
        {"tile width 0", TilesPage(), {{TIFFTAG_TILEWIDTH, 0}}, false},
        {"tile length 0", TilesPage(), {{TIFFTAG_TILELENGTH, 0}}, false},
        {"rows per strip 0", StripsPage(), {{TIFFTAG_ROWSPERSTRIP, 0}}, false},
        {"strip claims 2 GB", G4Page(), {{TIFFTAG_STRIPBYTECOUNTS, 0x7FFFFFFF}}, false},
        {"strip beyond the end", G4Page(), {{TIFFTAG_STRIPOFFSETS, 0xFFFFFF00}}, false},
        {"16 bits per sample", StripsPage(), {{TIFFTAG_BITSPERSAMPLE, 16}}, false},
        {"0 bits per sample", StripsPage(), {{TIFFTAG_BITSPERSAMPLE, 0}}, false},
        {"0 samples per pixel", StripsPage(), {{TIFFTAG_SAMPLESPERPIXEL, 0}}, false},
        {"9 samples per pixel", StripsPage(), {{TIFFTAG_SAMPLESPERPIXEL, 9}}, false},
        {"LogLuv", StripsPage(), {{TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_LOGLUV}}, false},
        {"resolution 0", StripsPage(), {{TIFFTAG_XRESOLUTION, 0}}, true},
        {"orientation 9", StripsPage(), {{TIFFTAG_ORIENTATION, 9}}, true},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.mName);
        testsupport::LogCapture log;
        std::string bytes = MakeTIFF(test.mPage);
        for (const std::pair<uint16_t, uint32_t>& tag : test.mTags)
            ASSERT_TRUE(PatchTag(bytes, tag.first, tag.second));
        EXPECT_EQ(Place(bytes), test.mPlaced) << log.Text();
        EXPECT_TRUE(test.mPlaced || log.LineCount() > 0);
    }
}

TEST(TIFFDamaged, CutAndFlippedFilesEndCleanly)
{
    PageRecipe palette = StripsPage();
    palette.mPhotometric = PHOTOMETRIC_PALETTE;
    palette.mSamplesPerPixel = 1;
    palette.mBitsPerSample = 2;
    palette.mColorMap.assign(12, 40000);
    palette.mBlocks = {tifftest::Samples{0}, tifftest::Samples{1}, tifftest::Samples{2}, tifftest::Samples{3}};
    PageRecipe planes = TilesPage();
    planes.mPlanarConfig = PLANARCONFIG_SEPARATE;
    PageRecipe ycbcr;
    ycbcr.mPhotometric = PHOTOMETRIC_YCBCR;
    ycbcr.mCompression = COMPRESSION_JPEG;
    ycbcr.mRowsPerStrip = 16;
    const std::vector<PageRecipe> seeds = {G4Page(), StripsPage(), TilesPage(), palette, planes, ycbcr};
    uint32_t random = 12345;
    for (size_t s = 0; s < seeds.size(); ++s) {
        SCOPED_TRACE("seed " + std::to_string(s));
        std::string good = MakeTIFF(seeds[s]);
        ASSERT_TRUE(Place(good));
        // A cut before the directory (written after the image data) leaves no page; later cuts
        // may lose only what libtiff can do without.
        size_t directory = static_cast<uint8_t>(good[4]) | static_cast<size_t>(static_cast<uint8_t>(good[5])) << 8;
        for (size_t cut = 0; cut < good.size(); cut += std::max<size_t>(1, good.size() / 40)) {
            bool placed = Place(good.substr(0, cut));
            EXPECT_TRUE(cut >= directory || !placed) << "cut at " << cut;
        }
        for (int variant = 0; variant < 60; ++variant) {
            std::string flipped = good;
            for (int flip = 0; flip < 4; ++flip) {
                random = random * 1103515245u + 12345u;
                flipped[(random >> 8) % flipped.size()] ^= static_cast<char>(1u << ((random >> 4) % 8));
            }
            Place(flipped);
        }
    }
}

TEST(TIFFDamaged, InputsTheFuzzerFoundAreHandled)
{
    std::filesystem::path folder = std::filesystem::path(__FILE__).parent_path() / "regressions";
    ASSERT_TRUE(std::filesystem::is_directory(folder));
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++files;
        SCOPED_TRACE(entry.path().filename().string());
        std::string bytes = testsupport::ReadFile(entry.path());
        Place(bytes, 0);
        Place(bytes, 1);
    }
    EXPECT_GT(files, 0);
}

} // namespace
