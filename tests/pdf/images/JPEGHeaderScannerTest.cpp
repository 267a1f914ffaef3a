// What the header scan reads from JPEG files that libjpeg wrote, with JFIF, Exif, Photoshop and
// Adobe blocks; damaged resolution blocks that must be ignored; and damaged files that must fail
// cleanly.

#include "pdf/images/JPEGHeaderScanner.h"
#include "pdf/io/InputByteArrayStream.h"

#include "pdf/support/JPEGTestSupport.h"
#include "pdf/support/LogCapture.h"

#include <gtest/gtest.h>

using testsupport::LogCapture;
using namespace JPEGTestSupport;

namespace {

OpStatus Scan(const std::string& inJPEG, JPEGImageInformation& outInformation)
{
    InputByteArrayStream stream(reinterpret_cast<const Byte*>(inJPEG.data()),
                                static_cast<LongFilePositionType>(inJPEG.size()));
    JPEGHeaderScanner scanner;
    return scanner.ScanHeader(&stream, outInformation);
}

JPEGImageInformation ScanOrFail(const std::string& inJPEG)
{
    JPEGImageInformation information;
    EXPECT_EQ(Scan(inJPEG, information), eSuccess);
    return information;
}

// A file without JFIF block carrying one extra marker segment.
std::string WithMarker(int inCode, const std::string& inData)
{
    JPEGRecipe recipe;
    recipe.mJFIF = false;
    recipe.mMarkers.push_back(std::make_pair(inCode, inData));
    return MakeJPEG(recipe);
}

void ExpectNoResolution(const JPEGImageInformation& inInformation)
{
    EXPECT_FALSE(inInformation.JFIFInformationExists);
    EXPECT_FALSE(inInformation.ExifInformationExists);
    EXPECT_FALSE(inInformation.PhotoshopInformationExists);
    EXPECT_EQ(inInformation.SamplesWidth, 96);
    EXPECT_EQ(inInformation.SamplesHeight, 64);
}

TEST(JPEGHeaderScanner, FrameAndJFIFOfGrayColourAndCMYKFiles)
{
    JPEGRecipe gray;
    gray.mWidth = 50;
    gray.mHeight = 30;
    gray.mComponents = 1;
    gray.mDensityUnit = 1;
    gray.mXDensity = 150;
    gray.mYDensity = 300;
    JPEGImageInformation information = ScanOrFail(MakeJPEG(gray));
    EXPECT_EQ(information.SamplesWidth, 50);
    EXPECT_EQ(information.SamplesHeight, 30);
    EXPECT_EQ(information.ColorComponentsCount, 1);
    EXPECT_TRUE(information.JFIFInformationExists);
    EXPECT_EQ(information.JFIFUnit, 1);
    EXPECT_EQ(information.JFIFXDensity, 150);
    EXPECT_EQ(information.JFIFYDensity, 300);
    EXPECT_FALSE(information.AdobeInformationExists);

    JPEGRecipe rgb;
    rgb.mWidth = 65500;
    rgb.mHeight = 1;
    rgb.mProgressive = true;
    rgb.mDensityUnit = 2;
    rgb.mXDensity = 100;
    rgb.mYDensity = 100;
    information = ScanOrFail(MakeJPEG(rgb));
    EXPECT_EQ(information.SamplesWidth, 65500);
    EXPECT_EQ(information.SamplesHeight, 1);
    EXPECT_EQ(information.ColorComponentsCount, 3);
    EXPECT_EQ(information.JFIFUnit, 2);
    EXPECT_EQ(information.JFIFXDensity, 100);

    JPEGRecipe cmyk;
    cmyk.mComponents = 4;
    cmyk.mJFIF = false;
    cmyk.mAdobe = true;
    information = ScanOrFail(MakeJPEG(cmyk));
    EXPECT_EQ(information.ColorComponentsCount, 4);
    EXPECT_TRUE(information.AdobeInformationExists);
    ExpectNoResolution(information);
    cmyk.mAdobe = false;
    EXPECT_FALSE(ScanOrFail(MakeJPEG(cmyk)).AdobeInformationExists);

    // Fill bytes before a marker code are allowed.
    std::string filled = MakeJPEG(rgb);
    size_t frame = FindMarker(filled, 0xC2);
    ASSERT_NE(frame, std::string::npos);
    filled.insert(frame, "\xFF\xFF\xFF");
    EXPECT_EQ(ScanOrFail(filled).SamplesWidth, 65500);
}

TEST(JPEGHeaderScanner, ExifResolutionInBothByteOrders)
{
    for (bool bigEndian : {true, false}) {
        SCOPED_TRACE(bigEndian ? "MM" : "II");
        ExifRecipe exif;
        exif.mBigEndian = bigEndian;
        exif.mXNumerator = 300;
        exif.mXDenominator = 2;
        exif.mYNumerator = 0x80000000u; // large unsigned values stay unsigned
        exif.mYDenominator = 0x10000000u;
        exif.mUnit = 3;
        JPEGImageInformation information = ScanOrFail(WithMarker(JPEG_APP0 + 1, ExifBlock(exif)));
        EXPECT_TRUE(information.ExifInformationExists);
        EXPECT_EQ(information.ExifUnit, 3);
        EXPECT_EQ(information.ExifXDensity, 150);
        EXPECT_EQ(information.ExifYDensity, 8);
        EXPECT_FALSE(information.JFIFInformationExists);

        // Without ResolutionUnit the unit is inches.
        exif.mUnit = -1;
        information = ScanOrFail(WithMarker(JPEG_APP0 + 1, ExifBlock(exif)));
        EXPECT_TRUE(information.ExifInformationExists);
        EXPECT_EQ(information.ExifUnit, 2);
    }
}

TEST(JPEGHeaderScanner, XMPBeforeExifAndPhotoshopResolution)
{
    // XMP shares APP1 with Exif: it is passed over, and the Exif block after it is read.
    JPEGRecipe recipe;
    recipe.mJFIF = false;
    recipe.mMarkers.push_back(std::make_pair(JPEG_APP0 + 1, XMPBlock()));
    ExifRecipe exif;
    exif.mXNumerator = 72;
    exif.mYNumerator = 144;
    recipe.mMarkers.push_back(std::make_pair(JPEG_APP0 + 1, ExifBlock(exif)));
    // A second Exif block is not read.
    exif.mXNumerator = 1;
    recipe.mMarkers.push_back(std::make_pair(JPEG_APP0 + 1, ExifBlock(exif)));
    JPEGImageInformation information = ScanOrFail(MakeJPEG(recipe));
    EXPECT_TRUE(information.ExifInformationExists);
    EXPECT_EQ(information.ExifXDensity, 72);
    EXPECT_EQ(information.ExifYDensity, 144);

    // XMP alone tells no resolution and harms nothing.
    ExpectNoResolution(ScanOrFail(WithMarker(JPEG_APP0 + 1, XMPBlock())));

    information = ScanOrFail(WithMarker(JPEG_APP0 + 13, PhotoshopBlock(300, 0x8000, 150, 0x4000)));
    EXPECT_TRUE(information.PhotoshopInformationExists);
    EXPECT_EQ(information.PhotoshopXDensity, 300.5);
    EXPECT_EQ(information.PhotoshopYDensity, 150.25);
}

TEST(JPEGHeaderScanner, DamagedResolutionBlocksAreIgnored)
{
    std::vector<std::pair<std::string, std::string>> exifBlocks;
    auto addExif = [&](const std::string& inName, ExifRecipe inRecipe) {
        exifBlocks.push_back(std::make_pair(inName, ExifBlock(inRecipe)));
    };
    ExifRecipe recipe;
    recipe.mXDenominator = 0;
    addExif("x over zero", recipe);
    recipe = ExifRecipe();
    recipe.mYDenominator = 0;
    addExif("y over zero", recipe);
    recipe = ExifRecipe();
    recipe.mWrittenDirectoryOffset = 4000;
    addExif("directory beyond the block", recipe);
    recipe.mWrittenDirectoryOffset = 0xFFFFFFFFu;
    addExif("directory at the top of the offsets", recipe);
    recipe = ExifRecipe();
    recipe.mRationalOffsetShift = 1000;
    addExif("rationals beyond the block", recipe);
    recipe.mRationalOffsetShift = 0xFFFFFFFCll - 50; // the rationals start at 50
    addExif("rational offsets that wrap around", recipe);
    recipe.mRationalOffsetShift = 4; // the last rational runs 4 bytes past the end
    addExif("rational cut by the block's end", recipe);
    recipe = ExifRecipe();
    recipe.mWrittenEntryCount = 65535;
    recipe.mXDenominator = 0;
    addExif("entry count beyond the block", recipe);
    recipe = ExifRecipe();
    recipe.mWrittenEntryCount = 1;
    addExif("one axis only", recipe);
    exifBlocks.push_back(std::make_pair("byte order XX", "Exif" + std::string(2, '\0') + "XX" + Bytes16(42) +
                                                             Bytes32(8) + std::string(20, '\0')));
    exifBlocks.push_back(std::make_pair("magic number 43", "Exif" + std::string(2, '\0') + "MM" + Bytes16(43) +
                                                               Bytes32(8) + std::string(20, '\0')));
    exifBlocks.push_back(std::make_pair("identifier only", std::string("Exif\0", 5)));
    exifBlocks.push_back(std::make_pair("header cut", std::string("Exif\0\0MM\0*\0", 11)));
    exifBlocks.push_back(std::make_pair("empty APP1", std::string()));
    for (const auto& block : exifBlocks) {
        SCOPED_TRACE(block.first);
        ExpectNoResolution(ScanOrFail(WithMarker(JPEG_APP0 + 1, block.second)));
    }

    std::string goodPhotoshop = PhotoshopBlock(300, 0, 300, 0);
    std::vector<std::pair<std::string, std::string>> photoshopBlocks;
    photoshopBlocks.push_back(std::make_pair("no zero after the identifier", std::string("Photoshop 3.0")));
    photoshopBlocks.push_back(std::make_pair("empty APP13", std::string()));
    std::string damaged = goodPhotoshop;
    damaged.replace(14 + 10, 4, Bytes32(0xFFFFFFFFu)); // the first resource's data size
    photoshopBlocks.push_back(std::make_pair("resource larger than the block", damaged));
    damaged = goodPhotoshop;
    damaged[14 + 6] = '\xFF'; // the first resource's name length
    photoshopBlocks.push_back(std::make_pair("name longer than the block", damaged));
    damaged = goodPhotoshop.substr(0, goodPhotoshop.size() - 6);
    photoshopBlocks.push_back(std::make_pair("resolution resource cut", damaged));
    damaged = goodPhotoshop;
    damaged.replace(damaged.size() - 20, 4, Bytes32(12));
    photoshopBlocks.push_back(std::make_pair("resolution resource of 12 bytes", damaged));
    damaged = goodPhotoshop;
    damaged.replace(14, 4, "8BIN");
    photoshopBlocks.push_back(std::make_pair("not a resource", damaged));
    for (const auto& block : photoshopBlocks) {
        SCOPED_TRACE(block.first);
        ExpectNoResolution(ScanOrFail(WithMarker(JPEG_APP0 + 13, block.second)));
    }

    // An APP0 block that is not JFIF (motion JPEG frames carry one), and a JFIF block cut short.
    ExpectNoResolution(ScanOrFail(WithMarker(JPEG_APP0, std::string("AVI1\0\0\0\0\0\0\0\0\0\0", 14))));
    ExpectNoResolution(ScanOrFail(WithMarker(JPEG_APP0, std::string("JFIF\0\1\2\1\0\x48", 10))));
    // An Adobe block too short to be one.
    EXPECT_FALSE(ScanOrFail(WithMarker(JPEG_APP0 + 14, "Adobe")).AdobeInformationExists);
}

TEST(JPEGHeaderScanner, DamagedFilesFailWithALogLine)
{
    JPEGRecipe recipe;
    recipe.mDensityUnit = 1;
    recipe.mXDensity = 72;
    recipe.mYDensity = 72;
    const std::string good = MakeJPEG(recipe);
    const size_t app0 = FindMarker(good, 0xE0);
    const size_t frame = FindMarker(good, 0xC0);
    ASSERT_EQ(app0, 2u);
    ASSERT_NE(frame, std::string::npos);

    std::vector<std::pair<std::string, std::string>> damaged;
    damaged.push_back(std::make_pair("empty", std::string()));
    damaged.push_back(std::make_pair("one byte", std::string("\xFF", 1)));
    damaged.push_back(std::make_pair("not a JPEG", std::string("\x89PNG\r\n\x1A\n", 8)));
    damaged.push_back(std::make_pair("start of image only", good.substr(0, 2)));
    damaged.push_back(std::make_pair("start and end of image", std::string("\xFF\xD8\xFF\xD9", 4)));
    damaged.push_back(std::make_pair("cut inside the JFIF block", good.substr(0, app0 + 9)));
    damaged.push_back(std::make_pair("cut inside a length", good.substr(0, app0 + 3)));
    damaged.push_back(std::make_pair("cut inside the frame", good.substr(0, frame + 7)));
    for (unsigned length : {0u, 1u}) {
        std::string shortLength = good;
        shortLength.replace(app0 + 2, 2, Bytes16(length));
        damaged.push_back(std::make_pair("segment length " + std::to_string(length), shortLength));
    }
    std::string zeroWidth = good;
    zeroWidth.replace(frame + 7, 2, Bytes16(0));
    damaged.push_back(std::make_pair("width 0", zeroWidth));
    std::string zeroHeight = good;
    zeroHeight.replace(frame + 5, 2, Bytes16(0));
    damaged.push_back(std::make_pair("height 0", zeroHeight));
    std::string shortFrame = good.substr(0, frame) + "\xFF\xC0" + Bytes16(7) + std::string("\x08\0\x10\0\x10", 5) +
                             good.substr(frame);
    damaged.push_back(std::make_pair("frame of 5 bytes", shortFrame));
    // Scan data first: the frame after it is never reached.
    damaged.push_back(std::make_pair("scan before the frame", good.substr(0, frame) + "\xFF\xDA" + Bytes16(2) +
                                                                  "\x12\x34" + good.substr(frame)));

    for (const auto& file : damaged) {
        SCOPED_TRACE(file.first);
        LogCapture log;
        JPEGImageInformation information;
        information.SamplesWidth = 7;
        EXPECT_EQ(Scan(file.second, information), eFailure);
        EXPECT_NE(log.Text().find("JPEGHeaderScanner::"), std::string::npos);
    }

    // Damage after the frame is no concern of the header: the scan data is not read.
    for (size_t keep : {frame + 19, good.size() / 2 + 100, good.size() - 1}) {
        SCOPED_TRACE(keep);
        JPEGImageInformation information = ScanOrFail(good.substr(0, keep));
        EXPECT_EQ(information.SamplesWidth, 96);
        EXPECT_EQ(information.JFIFXDensity, 72);
    }
}

// Every block kind in one file, then every cut of its header and many corrupted copies: each
// scan ends with an answer, and a found frame has a size (the sanitizer build watches the reads).
TEST(JPEGHeaderScanner, EveryCutAndManyCorruptionsEndCleanly)
{
    JPEGRecipe recipe;
    recipe.mDensityUnit = 1;
    recipe.mXDensity = 300;
    recipe.mYDensity = 300;
    recipe.mMarkers.push_back(std::make_pair(JPEG_APP0 + 1, XMPBlock()));
    ExifRecipe exif;
    exif.mBigEndian = false;
    recipe.mMarkers.push_back(std::make_pair(JPEG_APP0 + 1, ExifBlock(exif)));
    recipe.mMarkers.push_back(std::make_pair(JPEG_APP0 + 13, PhotoshopBlock(72, 0, 72, 0)));
    recipe.mMarkers.push_back(std::make_pair(JPEG_APP0 + 14, std::string("Adobe\0\x64\0\0\0\0\1", 12)));
    const std::string jpeg = MakeJPEG(recipe);
    const size_t frame = FindMarker(jpeg, 0xC0);
    const size_t scan = FindMarker(jpeg, 0xDA);
    ASSERT_NE(frame, std::string::npos);
    ASSERT_NE(scan, std::string::npos);
    const size_t frameEnd = frame + 2 + ((static_cast<Byte>(jpeg[frame + 2]) << 8) | static_cast<Byte>(jpeg[frame + 3]));

    JPEGImageInformation whole = ScanOrFail(jpeg);
    EXPECT_TRUE(whole.JFIFInformationExists && whole.ExifInformationExists && whole.PhotoshopInformationExists &&
                whole.AdobeInformationExists);
    for (size_t keep = 0; keep <= scan + 4; ++keep) {
        JPEGImageInformation information;
        EXPECT_EQ(Scan(jpeg.substr(0, keep), information), keep >= frameEnd ? eSuccess : eFailure) << keep;
    }

    uint32_t random = 12345;
    auto next = [&random]() {
        random = random * 1103515245u + 12345u;
        return (random >> 8) & 0xFFFF;
    };
    for (int round = 0; round < 3000; ++round) {
        std::string damaged = jpeg;
        for (unsigned changes = 1 + next() % 4; changes > 0; --changes)
            damaged[2 + next() % (scan - 2)] = static_cast<char>(next() & 0xFF);
        JPEGImageInformation information;
        if (Scan(damaged, information) == eSuccess) {
            EXPECT_GT(information.SamplesWidth, 0) << round;
            EXPECT_GT(information.SamplesHeight, 0) << round;
        }
    }
}

} // namespace
