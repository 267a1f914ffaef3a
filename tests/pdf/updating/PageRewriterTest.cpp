// Drawing over the pages of an existing file: a form with a JPEG image and a mark of its own on
// every page of a file whose pages share one resources object (directly, inherited, or through an
// indirect XObject dictionary), checked by rendering, by pdfimages and by the bytes written.

#include "pdf/updating/UpdateTestSupport.h"

#include "pdf/support/JPEGTestSupport.h"
#include "pdf/writing/ImageOptions.h"
#include "pdf/writing/PageRewriter.h"
#include "pdf/writing/XObjectContentContext.h"
#include "pdf/support/LogCapture.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace updatetest;
using testsupport::ExpectQpdfAccepts;
using testsupport::ReadFile;
using testsupport::RenderedPage;
using testsupport::TestDirectory;

namespace {

// Four pages over one resources object 7 that holds the form Fm0 (a green square). Page 1 names
// it, page 2 too with its content as a reference to an array of two streams, page 3 inherits it
// from the page tree, page 4 has its own Resources whose XObject dictionary is object 14. Each old
// content draws Fm0, then scales by 2 and leaves it so, then draws a blue square.
std::map<int, std::string> SharedResourcesObjects()
{
    using parsertest::PdfBuilder;
    const std::string content = "/Fm0 Do 2 0 0 2 0 0 cm 0 0 1 rg 5 5 10 10 re f";
    return {
        {1, "<< /Type /Catalog /Pages 2 0 R >>"},
        {2, "<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R 6 0 R] /Count 4 /MediaBox [0 0 200 200] /Resources 7 0 R >>"},
        {3, "<< /Type /Page /Parent 2 0 R /Resources 7 0 R /Contents 9 0 R >>"},
        {4, "<< /Type /Page /Parent 2 0 R /Resources 7 0 R /Contents 10 0 R >>"},
        {5, "<< /Type /Page /Parent 2 0 R /Contents 13 0 R >>"},
        {6, "<< /Type /Page /Parent 2 0 R /Resources << /XObject 14 0 R /ProcSet [/PDF] >> /Contents [15 0 R] >>"},
        {7, "<< /XObject << /Fm0 8 0 R >> /ProcSet [/PDF] >>"},
        {8, PdfBuilder::Stream("0 1 0 rg 40 10 20 20 re f", " /Type /XObject /Subtype /Form /BBox [0 0 200 200]")},
        {9, PdfBuilder::Stream(content)},
        {10, "[11 0 R 12 0 R]"},
        {11, PdfBuilder::Stream("/Fm0 Do 2 0 0 2 0 0 cm")},
        {12, PdfBuilder::Stream("0 0 1 rg 5 5 10 10 re f")},
        {13, PdfBuilder::Stream(content)},
        {14, "<< /Fm0 8 0 R >>"},
        {15, PdfBuilder::Stream(content)},
    };
}

// The objects as a classic file, or with the dictionaries in an object stream (40) under a
// cross-reference stream or a hybrid table.
std::string BuildSource(SourceForm inForm, const std::map<int, std::string>& inObjects)
{
    if (inForm == SourceForm::ClassicTable) {
        parsertest::PdfBuilder builder;
        for (const auto& object : inObjects)
            builder.Add(object.second);
        return builder.Build();
    }
    parsertest::XrefStreamBuilder builder;
    builder.hybrid = inForm == SourceForm::Hybrid;
    for (const auto& object : inObjects) {
        if (object.second.find("stream") != std::string::npos || object.first == 1)
            builder.fileObjects[object.first] = object.second;
        else
            builder.objectStreams[40].push_back(object);
    }
    return builder.Build();
}

std::string MakeJPEGFile(const std::string& inPath, int inComponents)
{
    JPEGTestSupport::JPEGRecipe recipe;
    recipe.mComponents = inComponents;
    recipe.mDensityUnit = 1;
    recipe.mXDensity = 72;
    recipe.mYDensity = 72;
    if (inComponents == 4) {
        // Stored inverted, as the Adobe block says: red, green, blue and yellow (C M Y K = 0 1 1 0
        // is red, stored as 255 0 0 255).
        recipe.mAdobe = true;
        recipe.mBlocks = {JPEGTestSupport::Color{255, 0, 0, 255}, JPEGTestSupport::Color{0, 255, 0, 255},
                        JPEGTestSupport::Color{0, 0, 255, 255}, JPEGTestSupport::Color{255, 255, 0, 255}};
    }
    testsupport::WriteFile(inPath, JPEGTestSupport::MakeJPEG(recipe));
    return inPath;
}

using RGB = RenderedPage::RGB;

bool Near(const RGB& inColor, const RGB& inExpected)
{
    for (size_t c = 0; c < 3; ++c) {
        if (std::abs(inColor[c] - inExpected[c]) > 40)
            return false;
    }
    return true;
}

std::string Show(const RGB& inColor)
{
    return std::to_string(inColor[0]) + "," + std::to_string(inColor[1]) + "," + std::to_string(inColor[2]);
}

const RGB kWhite = {255, 255, 255};
const RGB kBlack = {0, 0, 0};

// Draws the image at (100, 100) and a black mark whose place tells the page (1-based) on it.
void Watermark(PDFWriter& inWriter, uint32_t inPageIndex, const std::string& inJPEG)
{
    PageRewriter rewriter(&inWriter, inPageIndex);
    XObjectContentContext* content = rewriter.StartContentContext();
    ASSERT_NE(content, nullptr);
    EXPECT_EQ(content->DrawImage(100, 100, inJPEG, ImageOptions()), eSuccess);
    content->SetFillRGBColor(0, 0, 0);
    content->Rectangle(10 + 40 * inPageIndex, 170, 20, 20);
    content->Fill();
    EXPECT_EQ(rewriter.EndContentContext(), eSuccess);
    EXPECT_EQ(rewriter.WritePage(), eSuccess);
}

// The JPEG's four blocks at their places: the image spans 100..196 x 100..164.
void ExpectImage(const RenderedPage& inPage, const std::array<RGB, 4>& inBlocks)
{
    const double points[4][2] = {{124, 148}, {172, 148}, {124, 116}, {172, 116}};
    for (size_t i = 0; i < 4; ++i)
        EXPECT_TRUE(Near(inPage.At(points[i][0], points[i][1]), inBlocks[i]))
            << "block " << i << " is " << Show(inPage.At(points[i][0], points[i][1]));
}

// pdfimages' lines for one page: width, height, colour, components and encoding.
std::vector<std::string> ImagesOnPage(const std::string& inPDF, int inPage)
{
    std::vector<std::string> images;
    for (const std::vector<std::string>& row : testsupport::PdfimagesList(inPDF, inPage)) {
        if (row.size() >= 9 && row[2] == "image")
            images.push_back(row[3] + " " + row[4] + " " + row[5] + " " + row[6] + " " + row[8]);
    }
    return images;
}

class SharedResourcePages : public ::testing::TestWithParam<SourceForm> {};

} // namespace

TEST_P(SharedResourcePages, EveryPageShowsItsOwnFormOverItsOldContent)
{
    TestDirectory folder;
    std::string source = folder.PathOf("shared.pdf");
    std::string sourceBytes = BuildSource(GetParam(), SharedResourcesObjects());
    testsupport::WriteFile(source, sourceBytes);
    std::string jpeg = MakeJPEGFile(folder.PathOf("mark.jpg"), 3);

    ASSERT_EQ(RunUpdate(source, "",
                        [&jpeg](PDFWriter& inWriter) {
                            for (uint32_t page = 0; page < 4; ++page)
                                Watermark(inWriter, page, jpeg);
                        }),
              eSuccess);

    std::string output = ReadFile(source);
    EXPECT_EQ(output.compare(0, sourceBytes.size(), sourceBytes), 0);
    ExpectQpdfAccepts(source);
    // The shared objects stay as they were; the pages are new.
    std::map<std::string, std::string> xref = QpdfXref(source);
    for (const char* shared : {"7/0", "8/0", "9/0", "10/0", "14/0"}) {
        ASSERT_EQ(xref.count(shared), 1u) << shared;
        EXPECT_LT(QpdfOffset(xref, shared), static_cast<long long>(sourceBytes.size())) << shared;
    }
    for (const char* page : {"3/0", "4/0", "5/0", "6/0"})
        EXPECT_GE(QpdfOffset(xref, page), static_cast<long long>(sourceBytes.size())) << page;

    const std::array<RGB, 4> blocks = {RGB{220, 30, 30}, RGB{30, 200, 60}, RGB{30, 60, 220}, RGB{240, 220, 40}};
    for (int page = 1; page <= 4; ++page) {
        SCOPED_TRACE("page " + std::to_string(page));
        RenderedPage shown(source, page, folder.PathOf("page"));
        ExpectImage(shown, blocks);
        // Its own mark, and none of the others'.
        for (int mark = 1; mark <= 4; ++mark)
            EXPECT_TRUE(Near(shown.At(20 + 40 * (mark - 1), 180), mark == page ? kBlack : kWhite))
                << "mark " << mark << " is " << Show(shown.At(20 + 40 * (mark - 1), 180));
        // The old content: the shared form's green square and the blue square drawn at twice its size.
        EXPECT_TRUE(Near(shown.At(50, 20), RGB{0, 255, 0})) << Show(shown.At(50, 20));
        EXPECT_TRUE(Near(shown.At(20, 20), RGB{0, 0, 255})) << Show(shown.At(20, 20));

        std::vector<std::string> images = ImagesOnPage(source, page);
        ASSERT_EQ(images.size(), 1u);
        EXPECT_EQ(images[0], "96 64 rgb 3 jpeg");
    }
}

INSTANTIATE_TEST_SUITE_P(Rewrite, SharedResourcePages,
                         ::testing::Values(SourceForm::ClassicTable, SourceForm::XrefStream, SourceForm::Hybrid),
                         [](const ::testing::TestParamInfo<SourceForm>& inInfo) { return FormName(inInfo.param); });

TEST(PageRewriter, CMYKImageIntoACopy)
{
    TestDirectory folder;
    std::string source = folder.PathOf("plain.pdf");
    std::string output = folder.PathOf("marked.pdf");
    std::string sourceBytes = BuildSource(SourceForm::XrefStream, SharedResourcesObjects());
    testsupport::WriteFile(source, sourceBytes);
    std::string jpeg = MakeJPEGFile(folder.PathOf("cmyk.jpg"), 4);

    ASSERT_EQ(RunUpdate(source, output, [&jpeg](PDFWriter& inWriter) { Watermark(inWriter, 2, jpeg); }), eSuccess);
    EXPECT_EQ(ReadFile(source), sourceBytes);
    EXPECT_EQ(ReadFile(output).compare(0, sourceBytes.size(), sourceBytes), 0);
    ExpectQpdfAccepts(output);

    std::vector<std::string> images = ImagesOnPage(output, 3);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0], "96 64 cmyk 4 jpeg");
    EXPECT_TRUE(ImagesOnPage(output, 1).empty());
    // Renderers turn CMYK into RGB each their own way; the hue of each block is what counts.
    RenderedPage shown(output, 3, folder.PathOf("page"));
    auto hue = [&shown](double inX, double inY) {
        RGB color = shown.At(inX, inY);
        auto high = [](int inValue) { return inValue > 120; };
        return std::string(high(color[0]) ? "R" : "") + (high(color[1]) ? "G" : "") + (high(color[2]) ? "B" : "");
    };
    EXPECT_EQ(hue(124, 148), "R");
    EXPECT_EQ(hue(172, 148), "G");
    EXPECT_EQ(hue(124, 116), "B");
    EXPECT_EQ(hue(172, 116), "RG");
    EXPECT_TRUE(Near(shown.At(20, 20), RGB{0, 0, 255}));
}

TEST(PageRewriter, FormsAreDrawnInTheOrderTheyEndedUnderFreshNames)
{
    TestDirectory folder;
    std::string source = folder.PathOf("names.pdf");
    // Page 1 names Im1 in an indirect resources object; page 2 has no resources at all.
    parsertest::PdfBuilder builder;
    builder.Add("<< /Type /Catalog /Pages 2 0 R >>");
    builder.Add("<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 /MediaBox [0 0 200 200] >>");
    builder.Add("<< /Type /Page /Parent 2 0 R /Resources 6 0 R /Contents 5 0 R >>");
    builder.Add("<< /Type /Page /Parent 2 0 R >>");
    builder.Add(parsertest::PdfBuilder::Stream("/Im1 Do"));
    builder.Add("<< /XObject << /Im1 7 0 R >> >>");
    builder.Add(parsertest::PdfBuilder::Stream("0 0 1 rg 0 0 10 10 re f",
                                               " /Type /XObject /Subtype /Form /BBox [0 0 10 10]"));
    std::string sourceBytes = builder.Build();
    testsupport::WriteFile(source, sourceBytes);

    WriterOptions uncompressed;
    uncompressed.mCompressStreams = false;
    PDFWriter writer;
    ASSERT_EQ(writer.StartIncrementalUpdate(source, 13, "", LogSettings(), uncompressed), eSuccess);
    {
        PageRewriter rewriter(&writer, 0);
        for (int form = 0; form < 2; ++form) {
            XObjectContentContext* content = rewriter.StartContentContext();
            ASSERT_NE(content, nullptr);
            EXPECT_EQ(rewriter.StartContentContext(), content) << "an open form is handed out again";
            content->Rectangle(form * 20, 0, 10, 10);
            content->Fill();
            EXPECT_EQ(rewriter.EndContentContext(), eSuccess);
        }
        EXPECT_EQ(rewriter.WritePage(), eSuccess);
    }
    {
        PageRewriter rewriter(&writer, 1);
        ASSERT_NE(rewriter.StartContentContext(), nullptr);
        // Left open: WritePage ends it first.
        EXPECT_EQ(rewriter.WritePage(), eSuccess);
    }
    ASSERT_EQ(writer.EndPDF(), eSuccess);
    ExpectQpdfAccepts(source);

    std::string update = ReadFile(source).substr(sourceBytes.size());
    EXPECT_NE(update.find("q\r\n1 0 0 1 0 0 cm\r\n/J_0 Do\r\nQ\r\nq\r\n1 0 0 1 0 0 cm\r\n/J_1 Do\r\nQ\r\n"),
              std::string::npos)
        << update;
    EXPECT_NE(update.find("/myForm_0 "), std::string::npos) << update;
    // Page 1's content: the old stream inside q and Q, then the forms; page 2 had none.
    std::string page1 = QpdfObject(source, "3");
    EXPECT_NE(page1.find("/Contents [ "), std::string::npos) << page1;
    EXPECT_NE(page1.find(" 5 0 R "), std::string::npos) << page1;
    EXPECT_NE(page1.find("/Im1 7 0 R"), std::string::npos) << page1;
    std::string page2 = QpdfObject(source, "4");
    EXPECT_NE(page2.find("/XObject << /myForm_0 "), std::string::npos) << page2;
}

TEST(PageRewriter, UnreadablePageWritesAndReservesNothing)
{
    TestDirectory folder;
    testsupport::LogCapture log;
    std::string source = folder.PathOf("two.pdf");
    testsupport::WriteFile(source, TwoPageSource(SourceForm::ClassicTable));

    PDFWriter writer;
    ASSERT_EQ(writer.StartIncrementalUpdate(source, 13, "", log.Settings()), eSuccess);
    IndirectObjectsReferenceRegistry& registry = writer.GetObjectsContext().GetInDirectObjectsRegistry();
    ObjectIDType before = registry.GetObjectsCount();
    LongFilePositionType position = writer.GetObjectsContext().GetOutputStream()->TellPosition();
    PageRewriter missing(&writer, 7);
    EXPECT_EQ(missing.StartContentContext(), nullptr);
    EXPECT_EQ(missing.WritePage(), eSuccess) << "nothing drawn, nothing to do";
    EXPECT_EQ(registry.GetObjectsCount(), before);
    EXPECT_EQ(writer.GetObjectsContext().GetOutputStream()->TellPosition(), position);
    EXPECT_EQ(writer.EndPDF(), eSuccess);

    // Without an update under way nothing starts.
    PageRewriter idle(&writer, 0);
    EXPECT_EQ(idle.StartContentContext(), nullptr);
    EXPECT_TRUE(log.Contains("PageRewriter::StartContentContext, the page cannot be read"));

    // A form left open spoils the end of the update, which is then taken back off the file; the
    // rewriter that held it goes quietly afterwards.
    std::string bytesBefore = ReadFile(source);
    ASSERT_EQ(writer.StartIncrementalUpdate(source, 13, "", log.Settings()), eSuccess);
    auto open = std::make_unique<PageRewriter>(&writer, 0);
    ASSERT_NE(open->StartContentContext(), nullptr);
    EXPECT_EQ(writer.EndPDF(), eFailure);
    open.reset();
    EXPECT_EQ(ReadFile(source), bytesBefore);
}

TEST(PageRewriter, FormNamesDifferFromEveryExistingName)
{
    EXPECT_EQ(PageRewriter::FormResourceName({"Im1"}, true, 0), "J_0");
    EXPECT_EQ(PageRewriter::FormResourceName({}, true, 2), "_2");
    EXPECT_EQ(PageRewriter::FormResourceName({}, false, 1), "myForm_1");
    // z wraps to a, 9 to 0, Z and others become A, a short name counts as "0".
    EXPECT_EQ(PageRewriter::FormResourceName({"z", "a9", "XYZ", "Qabc", "Q"}, true, 0), "a0Ad1_0");
    std::vector<std::string> names = {"J_0", "aK_0", "x", "ZZZZ", "#a#"};
    std::string made = PageRewriter::FormResourceName(names, true, 0);
    for (const std::string& name : names)
        EXPECT_NE(made, name);
    // Up to 125 names the prefix scheme's names fit the 127 bytes of a name; past that a short one.
    std::vector<std::string> many(125, "Im");
    EXPECT_EQ(PageRewriter::FormResourceName(many, true, 0), "Jn" + std::string(123, '1') + "_0");
    many.push_back("Im");
    EXPECT_EQ(PageRewriter::FormResourceName(many, true, 0), "_0");
}

TEST(PageRewriter, ResourcesThatCannotBeReadFailThePageWithNothingWritten)
{
    // Page 1's Resources names an object that does not parse, page 2 inherits one such, page 3's
    // XObject dictionary is one: a page written again without them would lose every font and
    // image it shows.
    TestDirectory folder;
    testsupport::LogCapture log;
    std::string source = folder.PathOf("unreadable.pdf");
    parsertest::PdfBuilder builder;
    builder.Add("<< /Type /Catalog /Pages 2 0 R >>");
    builder.Add("<< /Type /Pages /Kids [3 0 R 6 0 R 8 0 R] /Count 3 /MediaBox [0 0 200 200] >>");
    builder.Add("<< /Type /Page /Parent 2 0 R /Resources 5 0 R /Contents 4 0 R >>");
    builder.Add(parsertest::PdfBuilder::Stream("BT /F1 12 Tf 10 100 Td (Text) Tj ET"));
    builder.Add("<< /Font << /F1 9 0 R >> /Broken (unended >>");
    builder.Add("<< /Type /Pages /Parent 2 0 R /Kids [7 0 R] /Count 1 /Resources 5 0 R >>");
    builder.Add("<< /Type /Page /Parent 6 0 R /Contents 4 0 R >>");
    builder.Add("<< /Type /Page /Parent 2 0 R /Contents 4 0 R /Resources << /Font << /F1 9 0 R >> /XObject 5 0 R >> >>");
    parsertest::WriteFile(source, builder.Build());

    PDFWriter writer;
    ASSERT_EQ(writer.StartIncrementalUpdate(source, 13, folder.PathOf("out.pdf"), log.Settings()), eSuccess);
    IndirectObjectsReferenceRegistry& registry = writer.GetObjectsContext().GetInDirectObjectsRegistry();
    for (uint32_t page = 0; page < 3; ++page) {
        PageRewriter rewriter(&writer, page);
        XObjectContentContext* content = rewriter.StartContentContext();
        ASSERT_NE(content, nullptr);
        content->Rectangle(0, 0, 10, 10);
        content->Fill();
        ASSERT_EQ(rewriter.EndContentContext(), eSuccess);
        ObjectIDType before = registry.GetObjectsCount();
        LongFilePositionType position = writer.GetObjectsContext().GetOutputStream()->TellPosition();
        EXPECT_EQ(rewriter.WritePage(), eFailure);
        EXPECT_EQ(registry.GetObjectsCount(), before);
        EXPECT_EQ(writer.GetObjectsContext().GetOutputStream()->TellPosition(), position);
    }
    // Once for each page; the caller names the page, counting from 1.
    const std::string line = "PageRewriter::WritePage, the Resources of the page cannot be read, nothing written";
    const std::string text = log.Text();
    size_t lines = 0;
    for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1))
        ++lines;
    EXPECT_EQ(lines, 3u) << text;
    writer.EndPDF();
}

TEST(PageRewriter, ContentsReferencesToObjectsTheFileDoesNotHoldAreLeftOut)
{
    // Page 1's Contents is one such reference, page 2's array holds one between its streams. Kept
    // in the new Contents array, they make some readers drop the whole page's content, forms
    // and all.
    TestDirectory folder;
    std::string source = folder.PathOf("dangling.pdf");
    parsertest::PdfBuilder builder;
    builder.Add("<< /Type /Catalog /Pages 2 0 R >>");
    builder.Add("<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 /MediaBox [0 0 200 200] >>");
    builder.Add("<< /Type /Page /Parent 2 0 R /Contents 30 0 R >>");
    builder.Add("<< /Type /Page /Parent 2 0 R /Contents [5 0 R 30 0 R 6 0 R] >>");
    builder.Add(parsertest::PdfBuilder::Stream("0 0 1 rg"));
    builder.Add(parsertest::PdfBuilder::Stream("100 100 50 50 re f"));
    parsertest::WriteFile(source, builder.Build());

    std::string target = folder.PathOf("out.pdf");
    ASSERT_EQ(RunUpdate(source, target,
                        [](PDFWriter& inWriter) {
                            for (uint32_t page = 0; page < 2; ++page) {
                                PageRewriter rewriter(&inWriter, page);
                                XObjectContentContext* content = rewriter.StartContentContext();
                                ASSERT_NE(content, nullptr);
                                content->SetFillRGBColor(1, 0, 0);
                                content->Rectangle(0, 0, 50, 50);
                                content->Fill();
                                EXPECT_EQ(rewriter.WritePage(), eSuccess);
                            }
                        }),
              eSuccess);
    ExpectQpdfAccepts(target);
    EXPECT_EQ(QpdfObject(target, "3").find(" 30 0 R"), std::string::npos) << QpdfObject(target, "3");
    std::string page2 = QpdfObject(target, "4");
    EXPECT_EQ(page2.find(" 30 0 R"), std::string::npos) << page2;
    EXPECT_NE(page2.find(" 5 0 R 6 0 R "), std::string::npos) << page2;
    // Both pages show the red square, page 2 its blue one too.
    for (int page = 1; page <= 2; ++page) {
        RenderedPage shown(target, page, folder.PathOf("page" + std::to_string(page)));
        EXPECT_TRUE(Near(shown.At(25, 25), {255, 0, 0})) << page << ": " << Show(shown.At(25, 25));
    }
    EXPECT_TRUE(Near(RenderedPage(target, 2, folder.PathOf("blue")).At(125, 125), {0, 0, 255}));
}

// The image a form places is no JPEG any more when the form ends: the form leaves nothing behind,
// and a later page that places the same file, whole again, shows it.
TEST(PageRewriter, AFormThatFailsToEndLeavesTheLaterPagesMarked)
{
    TestDirectory folder;
    std::string source =
        folder.Write("three.pdf", parsertest::PagesDocument({"", "", ""}, "/MediaBox [0 0 300 400]").Build());
    std::string output = folder.PathOf("marked.pdf");
    std::string first = MakeJPEGFile(folder.PathOf("first.jpg"), 3);
    std::string jpeg = MakeJPEGFile(folder.PathOf("mark.jpg"), 3);
    const std::string whole = ReadFile(jpeg);
    ASSERT_EQ(RunUpdate(source, output, [&](PDFWriter& inWriter) {
                  Watermark(inWriter, 0, first);
                  PageRewriter failing(&inWriter, 1);
                  XObjectContentContext* content = failing.StartContentContext();
                  ASSERT_NE(content, nullptr);
                  EXPECT_EQ(content->DrawImage(100, 100, jpeg, ImageOptions()), eSuccess);
                  testsupport::WriteFile(jpeg, "no image at all");
                  EXPECT_EQ(failing.EndContentContext(), eFailure);
                  EXPECT_EQ(failing.WritePage(), eSuccess) << "no form to draw";
                  testsupport::WriteFile(jpeg, whole);
                  Watermark(inWriter, 2, jpeg);
              }),
              eSuccess);
    ExpectQpdfAccepts(output);
    for (int page : {1, 2, 3})
        EXPECT_EQ(ImagesOnPage(output, page).size(), page == 2 ? 0u : 1u) << page;
}

// More XObjects than a name may have bytes, in the page or in an object whose first short names
// are taken: the forms' names stay within the limit, so mutool clean keeps them.
TEST(PageRewriter, FormNamesOnPagesWithManyXObjectsStayWithinTheNameLimit)
{
    TestDirectory folder;
    for (bool indirect : {false, true}) {
        SCOPED_TRACE(indirect);
        std::string xobjects;
        for (int i = 1; i <= 160; ++i)
            xobjects += " /Picture" + std::to_string(i) + " 5 0 R";
        const std::string resources = "<< /XObject <<" + xobjects + (indirect ? " /_0 5 0 R /_1 5 0 R" : "") + " >> >>";
        const size_t forms = indirect ? 2 : 1;
        parsertest::PdfBuilder builder = parsertest::PagesDocument(
            {"/Resources " + (indirect ? std::string("6 0 R") : resources)}, "/MediaBox [0 0 200 200]");
        builder.objects[3] = parsertest::PdfBuilder::Stream("/Picture160 Do");
        builder.Add(parsertest::PdfBuilder::Stream("0 0 1 rg 150 150 20 20 re f",
                                                   " /Type /XObject /Subtype /Form /BBox [0 0 200 200]"));
        builder.Add(resources);
        std::string source = folder.Write("many.pdf", builder.Build());
        std::string output = folder.PathOf("marked.pdf");

        WriterOptions uncompressed;
        uncompressed.mCompressStreams = false;
        PDFWriter writer;
        ASSERT_EQ(writer.StartIncrementalUpdate(source, 13, output, LogSettings(), uncompressed), eSuccess);
        {
            PageRewriter rewriter(&writer, 0);
            for (size_t form = 0; form < forms; ++form) {
                XObjectContentContext* content = rewriter.StartContentContext();
                ASSERT_NE(content, nullptr);
                content->SetFillRGBColor(1, 0, 0);
                content->Rectangle(10 + 40 * form, 10, 20, 20);
                content->Fill();
                EXPECT_EQ(rewriter.EndContentContext(), eSuccess);
            }
            EXPECT_EQ(rewriter.WritePage(), eSuccess);
        }
        ASSERT_EQ(writer.EndPDF(), eSuccess);
        ExpectQpdfAccepts(output);
        const std::string added = ReadFile(output).substr(ReadFile(source).size());
        for (size_t at = added.find('/'); at != std::string::npos; at = added.find('/', at + 1))
            EXPECT_LE(added.find_first_of(" \t\r\n()<>[]{}/%", at + 1) - at - 1, 127u);

        std::string cleaned = folder.PathOf("cleaned.pdf");
        ASSERT_EQ(testsupport::Run("mutool clean " + testsupport::Quote(output) + " " + testsupport::Quote(cleaned)), 0);
        RenderedPage shown(cleaned, 1, folder.PathOf("page"));
        EXPECT_TRUE(Near(shown.At(160, 160), {0, 0, 255}));
        for (size_t form = 0; form < forms; ++form)
            EXPECT_TRUE(Near(shown.At(20 + 40 * form, 20), {255, 0, 0})) << form;
    }
}
