// New documents that place JPEG files made by libjpeg through DrawImage, as the application
// does: other readers must accept the file, list each image with its size and colour space,
// and render its blocks of colour where the placement puts them.

#include "pdf/writing/OutputPage.h"
#include "pdf/writing/PDFWriter.h"
#include "pdf/writing/PageContentContext.h"

#include "pdf/support/JPEGTestSupport.h"
#include "pdf/writing/WriterTestSupport.h"
#include "pdf/support/ExternalReaders.h"
#include "pdf/support/TestDirectory.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace JPEGTestSupport;
using testsupport::PdfimagesList;
using testsupport::RenderedPage;
using testsupport::TestDirectory;

namespace {

const double kPageWidth = 800;
const double kPageHeight = 600;

struct JPEGCase {
    std::string mName;
    JPEGRecipe mSpec;
    double mWidthInPoints;
    double mHeightInPoints;
    std::string mColorName; // as pdfimages names it
};

// Inks of CMYK files, given as ink amounts; files in Adobe's form store them inverted.
const std::array<Color, 4> kInks = {Color{255, 0, 0, 0}, Color{0, 255, 0, 0}, Color{0, 0, 255, 0},
                                    Color{0, 0, 0, 200}};

std::vector<JPEGCase> Cases()
{
    std::vector<JPEGCase> cases;
    JPEGRecipe gray;
    gray.mComponents = 1;
    gray.mBlocks = {Color{30, 0, 0, 0}, Color{100, 0, 0, 0}, Color{170, 0, 0, 0}, Color{240, 0, 0, 0}};
    cases.push_back({"gray", gray, 96, 64, "gray"});

    JPEGRecipe dpi;
    dpi.mDensityUnit = 1;
    dpi.mXDensity = 144;
    dpi.mYDensity = 144;
    cases.push_back({"rgb 144 dpi", dpi, 48, 32, "rgb"});

    JPEGRecipe dpcm;
    dpcm.mWidth = 128;
    dpcm.mDensityUnit = 2;
    dpcm.mXDensity = 50;
    dpcm.mYDensity = 25;
    cases.push_back({"rgb 50 x 25 dpcm", dpcm, 128 / 50.0 * 72 / 2.54, 64 / 25.0 * 72 / 2.54, "rgb"});

    JPEGRecipe adobe;
    adobe.mComponents = 4;
    adobe.mJFIF = false;
    adobe.mAdobe = true;
    for (size_t i = 0; i < 4; ++i)
        for (size_t c = 0; c < 4; ++c)
            adobe.mBlocks[i][c] = static_cast<Byte>(255 - kInks[i][c]);
    cases.push_back({"cmyk inverted with Adobe block", adobe, 96, 64, "cmyk"});

    JPEGRecipe plainCMYK;
    plainCMYK.mComponents = 4;
    plainCMYK.mJFIF = false;
    plainCMYK.mBlocks = kInks;
    cases.push_back({"cmyk without Adobe block", plainCMYK, 96, 64, "cmyk"});

    ExifRecipe exifResolution;
    exifResolution.mXNumerator = 36;
    exifResolution.mYNumerator = 72;
    JPEGRecipe exif;
    exif.mJFIF = false;
    exif.mMarkers.push_back(std::make_pair(JPEG_APP0 + 1, ExifBlock(exifResolution)));
    cases.push_back({"exif 36 x 72 dpi", exif, 192, 64, "rgb"});

    JPEGRecipe xmp = exif;
    xmp.mMarkers.insert(xmp.mMarkers.begin(), std::make_pair(JPEG_APP0 + 1, XMPBlock()));
    cases.push_back({"xmp before exif", xmp, 192, 64, "rgb"});

    JPEGRecipe progressive;
    progressive.mProgressive = true;
    progressive.mBlocks = {Color{250, 250, 250, 0}, Color{10, 10, 10, 0}, Color{200, 120, 0, 0},
                           Color{0, 160, 160, 0}};
    cases.push_back({"progressive", progressive, 96, 64, "rgb"});

    JPEGRecipe photoshop;
    photoshop.mJFIF = false;
    photoshop.mMarkers.push_back(std::make_pair(JPEG_APP0 + 13, PhotoshopBlock(144, 0, 144, 0)));
    cases.push_back({"photoshop 144 dpi", photoshop, 48, 32, "rgb"});
    return cases;
}

// One placement on the page: the options, the position, and the resulting scale of the image's
// size in points (worked out here, independently of the library).
struct Placement {
    ImageOptions mOptions;
    double mX;
    double mY;
    double mScaleX;
    double mScaleY;
    double mOffsetX; // the matrix's own translation
    double mOffsetY;
};

std::vector<Placement> Placements(double inWidth, double inHeight)
{
    std::vector<Placement> placements;
    ImageOptions none;
    placements.push_back({none, 20, 20, 1, 1, 0, 0});

    ImageOptions matrix;
    matrix.mTransformationMethod = eImageTransformationMatrix;
    double matrixValues[6] = {1.5, 0, 0, 0.75, 10, 5};
    std::copy(matrixValues, matrixValues + 6, matrix.mMatrix);
    placements.push_back({matrix, 20, 300, 1.5, 0.75, 10, 5});

    ImageOptions proportional;
    proportional.mTransformationMethod = eImageTransformationFit;
    proportional.mBoundingBoxWidth = 150;
    proportional.mBoundingBoxHeight = 200;
    proportional.mFitProportional = true;
    double scale = std::min(150 / inWidth, 200 / inHeight);
    placements.push_back({proportional, 400, 20, scale, scale, 0, 0});

    ImageOptions stretched;
    stretched.mTransformationMethod = eImageTransformationFit;
    stretched.mBoundingBoxWidth = 300;
    stretched.mBoundingBoxHeight = 60;
    placements.push_back({stretched, 400, 300, 300 / inWidth, 60 / inHeight, 0, 0});

    // Scaled only where it overflows: here only the width of the wider images.
    ImageOptions overflow;
    overflow.mTransformationMethod = eImageTransformationFit;
    overflow.mBoundingBoxWidth = 120;
    overflow.mBoundingBoxHeight = 120;
    overflow.mFitPolicy = eImageFitOverflowOnly;
    placements.push_back({overflow, 620, 20, inWidth > 120 ? 120 / inWidth : 1, 1, 0, 0});
    return placements;
}

// Reference squares filled with the inks, for the renderer's own conversion of CMYK.
void DrawInkReferences(PageContentContext* inContext)
{
    for (size_t i = 0; i < 4; ++i) {
        inContext->SetFillCMYKColor(kInks[i][0] / 255.0, kInks[i][1] / 255.0, kInks[i][2] / 255.0,
                                    kInks[i][3] / 255.0);
        inContext->Rectangle(20 + 40.0 * static_cast<double>(i), 540, 30, 30);
        inContext->Fill();
    }
}

bool WritePage(PDFWriter& inWriter, const std::string& inImagePath, const JPEGCase& inCase)
{
    OutputPage page;
    page.SetMediaBox(PDFRectangle(0, 0, kPageWidth, kPageHeight));
    PageContentContext* context = inWriter.GetDocumentContext().StartPageContentContext(&page);
    for (const Placement& placement : Placements(inCase.mWidthInPoints, inCase.mHeightInPoints))
        EXPECT_EQ(context->DrawImage(placement.mX, placement.mY, inImagePath, placement.mOptions), eSuccess);
    if (inCase.mSpec.mComponents == 4)
        DrawInkReferences(context);
    ObjectIDType pageID = 0;
    return inWriter.GetDocumentContext().WritePage(&page, pageID) == eSuccess;
}

// The colour of a point of a rendered page; black outside it.
Color ColorAt(const RenderedPage& inPage, double inX, double inY)
{
    RenderedPage::RGB shown = inPage.At(inX, inY);
    Color pixel = {0, 0, 0, 0};
    for (size_t c = 0; c < 3; ++c)
        pixel[c] = static_cast<Byte>(std::max(shown[c], 0));
    return pixel;
}

int Distance(const Color& inA, const Color& inB)
{
    int largest = 0;
    for (size_t c = 0; c < 3; ++c)
        largest = std::max(largest, std::abs(static_cast<int>(inA[c]) - static_cast<int>(inB[c])));
    return largest;
}

std::string Text(const Color& inColor)
{
    return std::to_string(inColor[0]) + "," + std::to_string(inColor[1]) + "," + std::to_string(inColor[2]);
}

// Every block of every placement shows its colour at its centre.
void ExpectBlocksRendered(const RenderedPage& inRaster, const JPEGCase& inCase)
{
    const double w = inCase.mWidthInPoints;
    const double h = inCase.mHeightInPoints;
    // Block centres in the image's unit square; the first row of the file is the top.
    const double centres[4][2] = {{0.25, 0.75}, {0.75, 0.75}, {0.25, 0.25}, {0.75, 0.25}};
    for (const Placement& placement : Placements(w, h)) {
        for (size_t block = 0; block < 4; ++block) {
            double x = placement.mX + placement.mOffsetX + placement.mScaleX * w * centres[block][0];
            double y = placement.mY + placement.mOffsetY + placement.mScaleY * h * centres[block][1];
            Color expected;
            if (inCase.mSpec.mComponents == 4) {
                expected = ColorAt(inRaster, 35 + 40.0 * static_cast<double>(block), 555);
            } else {
                const Color& source = inCase.mSpec.mBlocks[block];
                expected = inCase.mSpec.mComponents == 1 ? Color{source[0], source[0], source[0], 0} : source;
            }
            Color rendered = ColorAt(inRaster, x, y);
            EXPECT_LE(Distance(rendered, expected), 12)
                << "block " << block << " of the placement at " << placement.mX << "," << placement.mY << ": "
                << Text(rendered) << " instead of " << Text(expected);
        }
    }
    // Outside the images the page stays white.
    EXPECT_EQ(Text(ColorAt(inRaster, 5, 5)), "255,255,255");
}

TEST(JPEGDocument, EveryKindOfJPEGPlacedEveryWay)
{
    TestDirectory folder;
    std::vector<JPEGCase> cases = Cases();
    std::vector<std::string> paths;
    for (size_t i = 0; i < cases.size(); ++i) {
        paths.push_back(folder.PathOf("image " + std::to_string(i) + ".jpg"));
        std::ofstream(paths.back(), std::ios::binary) << MakeJPEG(cases[i].mSpec);
    }

    std::string pdf = folder.PathOf("images.pdf");
    {
        PDFWriter writer;
        ASSERT_EQ(writer.CreateNewPDF(pdf, 14), eSuccess);
        for (size_t i = 0; i < cases.size(); ++i)
            ASSERT_TRUE(WritePage(writer, paths[i], cases[i])) << cases[i].mName;
        ASSERT_EQ(writer.EndPDF(), eSuccess);
    }
    testsupport::ExpectQpdfAccepts(pdf);

    std::vector<std::vector<std::string>> rows = PdfimagesList(pdf);
    const size_t placements = Placements(1, 1).size();
    ASSERT_EQ(rows.size(), cases.size() * placements);
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].mName);
        for (size_t p = 0; p < placements; ++p) {
            const std::vector<std::string>& row = rows[i * placements + p];
            ASSERT_GE(row.size(), 12u);
            EXPECT_EQ(row[0], std::to_string(i + 1));
            EXPECT_EQ(row[2], "image");
            EXPECT_EQ(row[3], std::to_string(cases[i].mSpec.mWidth));
            EXPECT_EQ(row[4], std::to_string(cases[i].mSpec.mHeight));
            EXPECT_EQ(row[5], cases[i].mColorName);
            EXPECT_EQ(row[6], std::to_string(cases[i].mSpec.mComponents));
            EXPECT_EQ(row[7], "8");
            EXPECT_EQ(row[8], "jpeg");
            // One image object for all placements on the page.
            EXPECT_EQ(row[10], rows[i * placements][10]);
        }
        RenderedPage raster(pdf, static_cast<int>(i + 1), folder.PathOf("page"));
        ASSERT_EQ(raster.Width(), kPageWidth);
        ASSERT_EQ(raster.Height(), kPageHeight);
        ExpectBlocksRendered(raster, cases[i]);
    }
}

TEST(JPEGDocument, OneFileOnTwoPagesIsWrittenOnce)
{
    TestDirectory folder;
    JPEGCase picture = Cases()[1];
    std::string path = folder.PathOf("picture.jpg");
    std::string jpeg = MakeJPEG(picture.mSpec);
    std::ofstream(path, std::ios::binary) << jpeg;

    std::string pdf = folder.PathOf("twice.pdf");
    {
        PDFWriter writer;
        ASSERT_EQ(writer.CreateNewPDF(pdf, 14), eSuccess);
        ASSERT_TRUE(WritePage(writer, path, picture));
        ASSERT_TRUE(WritePage(writer, path, picture));
        ASSERT_EQ(writer.EndPDF(), eSuccess);
    }
    testsupport::ExpectQpdfAccepts(pdf);
    std::vector<std::vector<std::string>> rows = PdfimagesList(pdf);
    ASSERT_EQ(rows.size(), 2 * Placements(1, 1).size());
    for (const std::vector<std::string>& row : rows)
        EXPECT_EQ(row[10], rows.front()[10]);
    EXPECT_EQ(rows.back()[0], "2");

    std::string bytes = testsupport::ReadFile(pdf);
    size_t first = bytes.find(jpeg);
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(bytes.find(jpeg, first + 1), std::string::npos);
    EXPECT_EQ(bytes.find("/Subtype /Image"), bytes.rfind("/Subtype /Image"));
    for (int page : {1, 2})
        ExpectBlocksRendered(RenderedPage(pdf, page, folder.PathOf("page")), picture);
}

} // namespace
