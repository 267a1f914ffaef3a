// What the TIFF handler writes, read back from the output: encoded data copied byte for byte
// with the filter parameters a reader needs, data encoded again that inflates to exactly the
// image's samples, and page sizes from resolution, unit and orientation.

#include "pdf/io/InputFile.h"
#include "pdf/writing/OutputPage.h"
#include "pdf/writing/PDFWriter.h"
#include "pdf/writing/PageContentContext.h"

#include "pdf/support/ExternalReaders.h"
#include "pdf/support/TIFFTestSupport.h"
#include "pdf/support/TestDirectory.h"

#include <gtest/gtest.h>
#include <zlib.h>

using testsupport::TestDirectory;
using tifftest::PageRecipe;

namespace {

// The document holding the file's first page, drawn on a page of its size; its bytes.
std::string PlaceOnPage(const TestDirectory& inFolder, const std::string& inTIFF, const std::string& inName)
{
    std::string pdf = inFolder.PathOf(inName + ".pdf");
    PDFWriter writer;
    EXPECT_EQ(writer.CreateNewPDF(pdf, 14), eSuccess);
    OutputPage page;
    page.SetMediaBox(PDFRectangle(0, 0, 96, 64));
    EXPECT_EQ(writer.GetDocumentContext().StartPageContentContext(&page)->DrawImage(0, 0, inTIFF, ImageOptions()),
              eSuccess);
    ObjectIDType pageID = 0;
    EXPECT_EQ(writer.GetDocumentContext().WritePage(&page, pageID), eSuccess);
    EXPECT_EQ(writer.EndPDF(), eSuccess);
    testsupport::ExpectQpdfAccepts(pdf);
    return testsupport::ReadFile(pdf);
}

// The encoded bytes of the file's first strip.
std::string RawStrip(const std::string& inTIFF)
{
    TIFF* tiff = TIFFOpen(inTIFF.c_str(), "r");
    std::string data(static_cast<size_t>(TIFFGetStrileByteCount(tiff, 0)), '\0');
    TIFFReadRawStrip(tiff, 0, &data[0], static_cast<tmsize_t>(data.size()));
    TIFFClose(tiff);
    return data;
}

TEST(TIFFImageHandler, PassedThroughDataIsCopiedWithItsParameters)
{
    TestDirectory folder;
    struct Case {
        std::string mName;
        uint16_t mPhotometric;
        uint16_t mCompression;
        uint16_t mPredictor;
        std::vector<std::string> mPresent;
        std::vector<std::string> mAbsent;
    };
    const std::vector<Case> cases = {
        {"g4 min-is-black", PHOTOMETRIC_MINISBLACK, COMPRESSION_CCITTFAX4, PREDICTOR_NONE,
         {"/Filter /CCITTFaxDecode", "/K -1", "/Columns 96", "/Rows 64", "/BlackIs1 true"}, {"/Decode ["}},
        {"g4 min-is-white", PHOTOMETRIC_MINISWHITE, COMPRESSION_CCITTFAX4, PREDICTOR_NONE,
         {"/Filter /CCITTFaxDecode", "/K -1"}, {"/BlackIs1", "/Decode ["}},
        {"deflate", PHOTOMETRIC_RGB, COMPRESSION_ADOBE_DEFLATE, PREDICTOR_NONE, {"/Filter /FlateDecode"},
         {"/DecodeParms"}},
        {"deflate with predictor", PHOTOMETRIC_RGB, COMPRESSION_DEFLATE, PREDICTOR_HORIZONTAL,
         {"/Filter /FlateDecode", "/Predictor 2", "/Colors 3", "/BitsPerComponent 8", "/Columns 96"}, {}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.mName);
        PageRecipe page;
        page.mPhotometric = test.mPhotometric;
        page.mCompression = test.mCompression;
        page.mPredictor = test.mPredictor;
        if (test.mCompression == COMPRESSION_CCITTFAX4) {
            page.mSamplesPerPixel = 1;
            page.mBitsPerSample = 1;
            page.mBlocks = {tifftest::Samples{1}, tifftest::Samples{0}, tifftest::Samples{0}, tifftest::Samples{1}};
        }
        std::string tiff = folder.PathOf(test.mName + ".tif");
        ASSERT_TRUE(tifftest::WriteTIFF(tiff, {page}));
        std::string bytes = PlaceOnPage(folder, tiff, test.mName);
        EXPECT_NE(bytes.find("stream\r\n" + RawStrip(tiff) + "\r\nendstream"), std::string::npos);
        for (const std::string& present : test.mPresent)
            EXPECT_NE(bytes.find(present), std::string::npos) << present;
        for (const std::string& absent : test.mAbsent)
            EXPECT_EQ(bytes.find(absent), std::string::npos) << absent;
    }
}

TEST(TIFFImageHandler, DataEncodedAgainInflatesToExactlyTheDifferencedSamples)
{
    TestDirectory folder;
    PageRecipe page;
    page.mCompression = COMPRESSION_LZW;
    page.mRowsPerStrip = 7;
    std::string tiff = folder.PathOf("strips.tif");
    ASSERT_TRUE(tifftest::WriteTIFF(tiff, {page}));
    std::string pdf = folder.PathOf("strips.pdf");
    PlaceOnPage(folder, tiff, "strips");

    std::vector<std::vector<std::string>> rows = testsupport::PdfimagesList(pdf);
    ASSERT_EQ(rows.size(), 1u);
    std::string raw;
    ASSERT_EQ(testsupport::Run("qpdf --show-object=" + rows[0][10] + " --raw-stream-data " + testsupport::Quote(pdf),
                               &raw),
              0);
    // One zlib stream and nothing after it (no part of libtiff's own file structure), holding
    // each sample as its difference to the one before it in its row.
    EXPECT_NE(testsupport::ReadFile(pdf).find("/Predictor 2"), std::string::npos);
    std::vector<uint8_t> samples = tifftest::PixelRows(page, 96, 64, 0, 0, -1);
    for (size_t row = 0; row < 64; ++row)
        for (size_t at = 96 * 3 - 1; at >= 3; --at)
            samples[row * 96 * 3 + at] = static_cast<uint8_t>(samples[row * 96 * 3 + at] - samples[row * 96 * 3 + at - 3]);
    std::string inflated(samples.size() + 1, '\0');
    z_stream zlib{};
    ASSERT_EQ(inflateInit(&zlib), Z_OK);
    zlib.next_in = reinterpret_cast<Bytef*>(&raw[0]);
    zlib.avail_in = static_cast<uInt>(raw.size());
    zlib.next_out = reinterpret_cast<Bytef*>(&inflated[0]);
    zlib.avail_out = static_cast<uInt>(inflated.size());
    EXPECT_EQ(inflate(&zlib, Z_FINISH), Z_STREAM_END);
    EXPECT_EQ(zlib.avail_in, 0u);
    EXPECT_EQ(zlib.total_out, samples.size());
    inflateEnd(&zlib);
    inflated.resize(samples.size());
    EXPECT_TRUE(inflated == std::string(samples.begin(), samples.end()));
}

TEST(TIFFImageHandler, PageSizeFromResolutionUnitAndOrientation)
{
    TestDirectory folder;
    struct Case {
        std::string mName;
        float mResolution;
        uint16_t mUnit;
        uint16_t mOrientation;
        double mWidth;
        double mHeight;
    };
    const std::vector<Case> cases = {
        {"144 per inch", 144, RESUNIT_INCH, ORIENTATION_TOPLEFT, 48, 32},
        {"50 per centimetre", 50, RESUNIT_CENTIMETER, ORIENTATION_TOPLEFT, 96 * 72 / 127.0, 64 * 72 / 127.0},
        {"no resolution: 300 per inch", 0, RESUNIT_INCH, ORIENTATION_TOPLEFT, 23.04, 15.36},
        {"no unit: pixels per point", 2, RESUNIT_NONE, ORIENTATION_TOPLEFT, 48, 32},
        {"600 per inch turned", 600, RESUNIT_INCH, ORIENTATION_RIGHTTOP, 7.68, 11.52},
    };
    PDFWriter writer;
    ASSERT_EQ(writer.CreateNewPDF(folder.PathOf("sizes.pdf"), 14), eSuccess);
    for (const Case& test : cases) {
        SCOPED_TRACE(test.mName);
        PageRecipe page;
        page.mResolution = test.mResolution;
        page.mResolutionUnit = test.mUnit;
        page.mOrientation = test.mOrientation;
        std::string tiff = folder.PathOf(test.mName + ".tif");
        ASSERT_TRUE(tifftest::WriteTIFF(tiff, {page}));
        InputFile file;
        ASSERT_EQ(file.OpenFile(tiff), eSuccess);
        TIFFImageDimensions size =
            writer.GetDocumentContext().GetTIFFImageHandler().ReadImageDimensions(file.GetInputStream(), 0);
        EXPECT_NEAR(size.mWidth, test.mWidth, 1e-3);
        EXPECT_NEAR(size.mHeight, test.mHeight, 1e-3);
        EXPECT_EQ(size.mSamplesPerPixel, 3);
    }
    EXPECT_EQ(writer.EndPDF(), eSuccess);
}

} // namespace
