// New documents that place TIFF files made by libtiff through DrawImage, as the application
// does: qpdf must accept the file, pdfimages must list each image (or each tile) with its size,
// colour space and encoding, and pdftoppm must render each block of the page where the file's
// orientation puts it, in its colour.

#include "pdf/writing/OutputPage.h"
#include "pdf/writing/PDFWriter.h"
#include "pdf/writing/PageContentContext.h"

#include "pdf/support/ExternalReaders.h"
#include "pdf/support/LogCapture.h"
#include "pdf/support/TIFFTestSupport.h"
#include "pdf/support/TestDirectory.h"

#include <gtest/gtest.h>

#include <cmath>

using testsupport::PdfimagesList;
using testsupport::RenderedPage;
using testsupport::TestDirectory;
using tifftest::PageRecipe;
using tifftest::Samples;

namespace {

using RGB = RenderedPage::RGB;

struct TIFFCase {
    std::string mName;
    PageRecipe mPage;
    // pdfimages: images (tiles), the first one's width and height, colour, components, bits, encoding
    size_t mImages;
    uint32_t mImageWidth;
    uint32_t mImageHeight;
    std::string mColor;
    int mComponents;
    int mBits;
    std::string mEncoding;
    // The colours of the stored blocks (top left, top right, bottom left, bottom right); a
    // negative red takes the colour of the ink reference square of that number instead.
    std::array<RGB, 4> mColors;
};

const std::array<RGB, 4> kRGBColors = {RGB{200, 30, 30}, RGB{30, 160, 30}, RGB{30, 30, 220}, RGB{240, 220, 40}};
const std::array<Samples, 4> kInks = {Samples{255, 0, 0, 0}, Samples{0, 255, 0, 0}, Samples{0, 0, 255, 0},
                                      Samples{0, 0, 0, 200}};

PageRecipe Page(uint16_t inPhotometric, uint16_t inSamples, uint16_t inBits, uint16_t inCompression)
{
    PageRecipe page;
    page.mPhotometric = inPhotometric;
    page.mSamplesPerPixel = inSamples;
    page.mBitsPerSample = inBits;
    page.mCompression = inCompression;
    return page;
}

PageRecipe Tiled(PageRecipe inPage)
{
    inPage.mWidth = 100;
    inPage.mLength = 70;
    inPage.mTileWidth = 32;
    inPage.mTileLength = 32;
    return inPage;
}

std::vector<TIFFCase> Cases()
{
    const RGB black{0, 0, 0};
    const RGB white{255, 255, 255};
    std::vector<TIFFCase> cases;
    PageRecipe g4 = Page(PHOTOMETRIC_MINISWHITE, 1, 1, COMPRESSION_CCITTFAX4);
    g4.mBlocks = {Samples{1}, Samples{0}, Samples{0}, Samples{1}};
    cases.push_back({"G4 min-is-white, one strip", g4, 1, 96, 64, "gray", 1, 1, "ccitt", {black, white, white, black}});
    PageRecipe g4Black = g4;
    g4Black.mPhotometric = PHOTOMETRIC_MINISBLACK;
    g4Black.mFillOrder = FILLORDER_LSB2MSB;
    cases.push_back({"G4 min-is-black, least significant bit first", g4Black, 1, 96, 64, "gray", 1, 1, "ccitt",
                     {white, black, black, white}});
    PageRecipe g4Strips = g4;
    g4Strips.mRowsPerStrip = 16;
    cases.push_back({"G4 in strips, encoded again", g4Strips, 1, 96, 64, "gray", 1, 1, "image",
                     {black, white, white, black}});

    PageRecipe gray4 = Page(PHOTOMETRIC_MINISWHITE, 1, 4, COMPRESSION_NONE);
    gray4.mBlocks = {Samples{0}, Samples{5}, Samples{10}, Samples{15}};
    cases.push_back({"gray 4 bits min-is-white", gray4, 1, 96, 64, "gray", 1, 4, "image",
                     {white, RGB{170, 170, 170}, RGB{85, 85, 85}, black}});
    PageRecipe grayAlpha = Page(PHOTOMETRIC_MINISBLACK, 2, 8, COMPRESSION_LZW);
    grayAlpha.mExtraSample = EXTRASAMPLE_UNASSALPHA;
    grayAlpha.mRowsPerStrip = 10;
    grayAlpha.mBlocks = {Samples{30, 255}, Samples{100, 128}, Samples{170, 0}, Samples{240, 255}};
    cases.push_back({"gray with alpha, LZW strips", grayAlpha, 1, 96, 64, "gray", 1, 8, "image",
                     {RGB{30, 30, 30}, RGB{100, 100, 100}, RGB{170, 170, 170}, RGB{240, 240, 240}}});
    PageRecipe palette = Page(PHOTOMETRIC_PALETTE, 1, 2, COMPRESSION_LZW);
    palette.mColorMap = {65535, 0, 0, 65535, 0, 65535, 0, 65535, 0, 0, 65535, 65535};
    palette.mBlocks = {Samples{0}, Samples{1}, Samples{2}, Samples{3}};
    cases.push_back({"palette 2 bits, LZW", palette, 1, 96, 64, "index", 1, 2, "image",
                     {RGB{255, 0, 0}, RGB{0, 255, 0}, RGB{0, 0, 255}, white}});

    PageRecipe deflate = Page(PHOTOMETRIC_RGB, 3, 8, COMPRESSION_ADOBE_DEFLATE);
    cases.push_back({"RGB Deflate, one strip copied", deflate, 1, 96, 64, "rgb", 3, 8, "image", kRGBColors});
    PageRecipe predictor = deflate;
    predictor.mPredictor = PREDICTOR_HORIZONTAL;
    cases.push_back({"RGB Deflate with predictor, one strip copied", predictor, 1, 96, 64, "rgb", 3, 8, "image",
                     kRGBColors});
    predictor.mRowsPerStrip = 10;
    cases.push_back({"RGB Deflate with predictor in strips", predictor, 1, 96, 64, "rgb", 3, 8, "image", kRGBColors});
    PageRecipe planes = Page(PHOTOMETRIC_RGB, 3, 8, COMPRESSION_ADOBE_DEFLATE);
    planes.mPlanarConfig = PLANARCONFIG_SEPARATE;
    cases.push_back({"RGB in separate planes", planes, 1, 96, 64, "rgb", 3, 8, "image", kRGBColors});
    PageRecipe rgba = Page(PHOTOMETRIC_RGB, 4, 8, COMPRESSION_NONE);
    rgba.mExtraSample = EXTRASAMPLE_ASSOCALPHA;
    rgba.mBlocks = {Samples{200, 30, 30, 255}, Samples{0, 0, 0, 0}, Samples{15, 15, 110, 128},
                    Samples{240, 220, 40, 255}};
    cases.push_back({"RGBA with associated alpha, over white", rgba, 1, 96, 64, "rgb", 3, 8, "image",
                     {kRGBColors[0], white, RGB{142, 142, 237}, kRGBColors[3]}});
    PageRecipe cmyk = Page(PHOTOMETRIC_SEPARATED, 4, 8, COMPRESSION_LZW);
    cmyk.mBlocks = kInks;
    cases.push_back({"CMYK, LZW", cmyk, 1, 96, 64, "cmyk", 4, 8, "image",
                     {RGB{-1, 0, 0}, RGB{-2, 0, 0}, RGB{-3, 0, 0}, RGB{-4, 0, 0}}});
    PageRecipe lab = Page(PHOTOMETRIC_CIELAB, 3, 8, COMPRESSION_NONE);
    lab.mBlocks = {Samples{255, 0, 0}, Samples{0, 0, 0}, Samples{128, 0, 0}, Samples{192, 0, 0}};
    cases.push_back({"CIE L*a*b*, signed", lab, 1, 96, 64, "lab", 3, 8, "image",
                     {white, black, RGB{119, 119, 119}, RGB{185, 185, 185}}});
    PageRecipe icc = Page(PHOTOMETRIC_RGB, 3, 8, COMPRESSION_LZW);
    std::string profile = testsupport::ReadFile("/usr/share/color/icc/sRGB.icc");
    icc.mICCProfile.assign(profile.begin(), profile.end());
    cases.push_back({"RGB with an sRGB profile", icc, 1, 96, 64, "icc", 3, 8, "image", kRGBColors});
    PageRecipe ycbcr = Page(PHOTOMETRIC_YCBCR, 3, 8, COMPRESSION_JPEG);
    ycbcr.mRowsPerStrip = 16;
    cases.push_back({"YCbCr JPEG", ycbcr, 1, 96, 64, "rgb", 3, 8, "image", kRGBColors});

    cases.push_back({"tiles copied whole", Tiled(deflate), 12, 32, 32, "rgb", 3, 8, "image", kRGBColors});
    PageRecipe grayTiles = Tiled(Page(PHOTOMETRIC_MINISBLACK, 1, 8, COMPRESSION_LZW));
    grayTiles.mBlocks = {Samples{30}, Samples{100}, Samples{170}, Samples{240}};
    cases.push_back({"tiles encoded again, edges cropped", grayTiles, 12, 32, 32, "gray", 1, 8, "image",
                     {RGB{30, 30, 30}, RGB{100, 100, 100}, RGB{170, 170, 170}, RGB{240, 240, 240}}});

    PageRecipe turned = Page(PHOTOMETRIC_RGB, 3, 8, COMPRESSION_LZW);
    for (uint16_t orientation = ORIENTATION_TOPRIGHT; orientation <= ORIENTATION_LEFTBOT; ++orientation) {
        turned.mOrientation = orientation;
        cases.push_back({"orientation " + std::to_string(orientation), turned, 1, 96, 64, "rgb", 3, 8, "image",
                         kRGBColors});
    }
    for (uint16_t orientation : {ORIENTATION_BOTRIGHT, ORIENTATION_LEFTTOP, ORIENTATION_RIGHTTOP}) {
        PageRecipe turnedTiles = Tiled(deflate);
        turnedTiles.mOrientation = orientation;
        cases.push_back({"tiles, orientation " + std::to_string(orientation), turnedTiles, 12, 32, 32, "rgb", 3, 8,
                         "image", kRGBColors});
        grayTiles.mOrientation = orientation;
        cases.push_back({"cropped tiles, orientation " + std::to_string(orientation), grayTiles, 12, 32, 32, "gray", 1,
                         8, "image", {RGB{30, 30, 30}, RGB{100, 100, 100}, RGB{170, 170, 170}, RGB{240, 240, 240}}});
    }
    return cases;
}

// Where a stored block (row, column of the 2 x 2 blocks) shows: orientations 2 to 4 mirror the
// image, 5 to 8 also put its rows along the page's width.
std::pair<int, int> ShownBlock(uint16_t inOrientation, int inRow, int inColumn)
{
    switch (inOrientation) {
    case ORIENTATION_TOPRIGHT:
        return {inRow, 1 - inColumn};
    case ORIENTATION_BOTRIGHT:
        return {1 - inRow, 1 - inColumn};
    case ORIENTATION_BOTLEFT:
        return {1 - inRow, inColumn};
    case ORIENTATION_LEFTTOP:
        return {inColumn, inRow};
    case ORIENTATION_RIGHTTOP:
        return {inColumn, 1 - inRow};
    case ORIENTATION_RIGHTBOT:
        return {1 - inColumn, 1 - inRow};
    case ORIENTATION_LEFTBOT:
        return {1 - inColumn, inRow};
    default:
        return {inRow, inColumn};
    }
}

int Distance(const RGB& inA, const RGB& inB)
{
    int largest = 0;
    for (size_t c = 0; c < 3; ++c)
        largest = std::max(largest, std::abs(inA[c] - inB[c]));
    return largest;
}

std::string Text(const RGB& inColor)
{
    return std::to_string(inColor[0]) + "," + std::to_string(inColor[1]) + "," + std::to_string(inColor[2]);
}

const double kMargin = 40; // beside the image: the ink reference squares

TEST(TIFFDocument, EveryKindOfTIFFPlacedAndRendered)
{
    TestDirectory folder;
    std::vector<TIFFCase> cases = Cases();
    std::string pdf = folder.PathOf("tiffs.pdf");
    std::vector<std::pair<double, double>> sizes;
    {
        PDFWriter writer;
        ASSERT_EQ(writer.CreateNewPDF(pdf, 14), eSuccess);
        DocumentContext& document = writer.GetDocumentContext();
        for (size_t i = 0; i < cases.size(); ++i) {
            std::string path = folder.PathOf("case " + std::to_string(i) + ".tif");
            ASSERT_TRUE(tifftest::WriteTIFF(path, {cases[i].mPage})) << cases[i].mName;
            sizes.push_back(document.MeasureImage(path, 0));
            OutputPage page;
            page.SetMediaBox(PDFRectangle(0, 0, sizes.back().first + kMargin, std::max(sizes.back().second, 160.0)));
            PageContentContext* content = document.StartPageContentContext(&page);
            ASSERT_EQ(content->DrawImage(0, 0, path, ImageOptions()), eSuccess);
            for (size_t ink = 0; ink < 4; ++ink) {
                content->SetFillCMYKColor(kInks[ink][0] / 255.0, kInks[ink][1] / 255.0, kInks[ink][2] / 255.0,
                                          kInks[ink][3] / 255.0);
                content->Rectangle(sizes.back().first + 5, 5 + 40.0 * ink, 30, 30);
                content->Fill();
            }
            ObjectIDType pageID = 0;
            ASSERT_EQ(document.WritePage(&page, pageID), eSuccess) << cases[i].mName;
        }
        ASSERT_EQ(writer.EndPDF(), eSuccess);
    }
    testsupport::ExpectQpdfAccepts(pdf);

    std::vector<std::vector<std::string>> rows = PdfimagesList(pdf);
    size_t row = 0;
    for (size_t i = 0; i < cases.size(); ++i) {
        const TIFFCase& tiff = cases[i];
        SCOPED_TRACE(tiff.mName);
        const bool swapped = tiff.mPage.mOrientation >= ORIENTATION_LEFTTOP;
        EXPECT_DOUBLE_EQ(sizes[i].first, swapped ? tiff.mPage.mLength : tiff.mPage.mWidth);
        EXPECT_DOUBLE_EQ(sizes[i].second, swapped ? tiff.mPage.mWidth : tiff.mPage.mLength);
        ASSERT_GE(rows.size(), row + tiff.mImages);
        for (size_t image = 0; image < tiff.mImages; ++image, ++row) {
            ASSERT_GE(rows[row].size(), 9u);
            EXPECT_EQ(rows[row][0], std::to_string(i + 1));
            EXPECT_EQ(rows[row][5], tiff.mColor);
            EXPECT_EQ(rows[row][6], std::to_string(tiff.mComponents));
            EXPECT_EQ(rows[row][7], std::to_string(tiff.mBits));
            EXPECT_EQ(rows[row][8], tiff.mEncoding);
            if (image == 0) {
                EXPECT_EQ(rows[row][3], std::to_string(tiff.mImageWidth));
                EXPECT_EQ(rows[row][4], std::to_string(tiff.mImageHeight));
            }
        }
        // The last tile of a page copied whole keeps the whole tile; one encoded again is cut
        // to the image.
        if (tiff.mImages == 12) {
            bool whole = tiff.mPage.mCompression == COMPRESSION_ADOBE_DEFLATE;
            EXPECT_EQ(rows[row - 1][3], whole ? "32" : "4");
            EXPECT_EQ(rows[row - 1][4], whole ? "32" : "6");
        }

        RenderedPage raster(pdf, static_cast<int>(i + 1), folder.PathOf("page"));
        const double w = sizes[i].first;
        const double h = sizes[i].second;
        for (int block = 0; block < 4; ++block) {
            std::pair<int, int> shown = ShownBlock(tiff.mPage.mOrientation, block / 2, block % 2);
            RGB rendered = raster.At(w * (0.25 + 0.5 * shown.second), h * (0.75 - 0.5 * shown.first));
            RGB expected = tiff.mColors[block];
            if (expected[0] < 0)
                expected = raster.At(w + 20, 20 + 40.0 * (-expected[0] - 1));
            EXPECT_LE(Distance(rendered, expected), 14)
                << "block " << block << ": " << Text(rendered) << " instead of " << Text(expected);
        }
    }
    EXPECT_EQ(row, rows.size());
}

TEST(TIFFDocument, PagesOfAFileInPageOrderWithoutThumbnails)
{
    TestDirectory folder;
    testsupport::LogCapture log;
    // Stored as page 3, a thumbnail, page 1 and page 2, each in one colour.
    std::vector<PageRecipe> stored;
    const std::array<Samples, 3> colors = {Samples{250, 0, 0}, Samples{0, 250, 0}, Samples{0, 0, 250}};
    for (int number : {2, -1, 0, 1}) {
        PageRecipe page = Page(PHOTOMETRIC_RGB, 3, 8, COMPRESSION_LZW);
        page.mPageNumber = number;
        page.mSubfileType = number < 0 ? FILETYPE_REDUCEDIMAGE : FILETYPE_PAGE;
        page.mBlocks.fill(number < 0 ? Samples{0, 0, 0} : colors[static_cast<size_t>(number)]);
        if (number < 0)
            page.mWidth = page.mLength = 8;
        stored.push_back(page);
    }
    std::string path = folder.PathOf("pages.tif");
    ASSERT_TRUE(tifftest::WriteTIFF(path, stored));

    {
        // A fourth page is not there: not measured, not placed, in a document that then fails.
        PDFWriter writer;
        ASSERT_EQ(writer.CreateNewPDF(folder.PathOf("fourth.pdf"), 14, log.Settings()), eSuccess);
        DocumentContext& document = writer.GetDocumentContext();
        EXPECT_EQ(document.MeasureImage(path, 3), std::make_pair(0.0, 0.0));
        EXPECT_TRUE(log.Contains("TIFFImageHandler::ReadImageDimensions, Requested tiff page 3 where the tiff only "
                                 "has 3 pages"));
        ObjectIDType formID = writer.GetObjectsContext().GetInDirectObjectsRegistry().ReserveNewObjectID();
        EXPECT_EQ(document.WriteImageFileAsFormXObject(path, 3, formID), eFailure);
        EXPECT_TRUE(log.Contains("TIFFImageHandler::ConvertTiff2PDF, Requested tiff page 3 where the tiff only has 3 "
                                 "pages. Tiff file name - " + path));
    }
    std::string pdf = folder.PathOf("pages.pdf");
    PDFWriter writer;
    ASSERT_EQ(writer.CreateNewPDF(pdf, 14), eSuccess);
    DocumentContext& document = writer.GetDocumentContext();
    // A failed request leaves the file's later pages readable.
    EXPECT_EQ(document.MeasureImage(path, 5), std::make_pair(0.0, 0.0));
    for (int index = 2; index >= 0; --index)
        EXPECT_EQ(document.MeasureImage(path, index), std::make_pair(96.0, 64.0));
    for (int index = 0; index < 3; ++index) {
        OutputPage page;
        page.SetMediaBox(PDFRectangle(0, 0, 96, 64));
        ImageOptions options;
        options.mImageIndex = index;
        ASSERT_EQ(document.StartPageContentContext(&page)->DrawImage(0, 0, path, options), eSuccess);
        ObjectIDType pageID = 0;
        ASSERT_EQ(document.WritePage(&page, pageID), eSuccess);
    }
    ASSERT_EQ(writer.EndPDF(), eSuccess);
    testsupport::ExpectQpdfAccepts(pdf);
    for (int index = 0; index < 3; ++index) {
        RGB shown = RenderedPage(pdf, index + 1, folder.PathOf("page")).At(48, 32);
        const Samples& color = colors[static_cast<size_t>(index)];
        EXPECT_LE(Distance(shown, RGB{color[0], color[1], color[2]}), 8) << "page " << index << ": " << Text(shown);
    }
}

} // namespace
