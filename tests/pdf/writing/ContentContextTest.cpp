// Content operators as they reach the stream, the graphic state stack, colours, and the
// refusals that keep broken drawing out of the content.

#include "pdf/writing/NamedColorTable.h"
#include "pdf/writing/ObjectsContext.h"
#include "pdf/writing/OutputPage.h"
#include "pdf/writing/PageContentContext.h"

#include "pdf/writing/DocumentTestSupport.h"
#include "pdf/support/LogCapture.h"
#include "pdf/support/TestDirectory.h"

#include <gtest/gtest.h>

#include <clocale>
#include <fstream>
#include <functional>
#include <string>

using testsupport::LogCapture;
using DocumentTestSupport::MemoryDocument;
using testsupport::TestDirectory;

namespace {

// A page whose content is drawn by the caller, in a document in memory without compression.
class DrawnPage {
public:
    DrawnPage() { mPage.SetMediaBox(PDFRectangle(0, 0, 612, 792)); }
    PageContentContext* Context() { return mDocument.Document().StartPageContentContext(&mPage); }
    // The data of the page's only content stream, after ending it.
    std::string Content()
    {
        if (PageContentContext* context = mPage.GetAssociatedContentContext()) {
            EXPECT_EQ(mDocument.Document().ClosePageContentContext(context), eSuccess);
        }
        std::string bytes = mDocument.Bytes();
        size_t start = bytes.find("stream\r\n");
        size_t end = bytes.find("\r\nendstream");
        if (start == std::string::npos || end == std::string::npos)
            return "<no stream>";
        return bytes.substr(start + 8, end - start - 8);
    }
    OutputPage& Page() { return mPage; }
    MemoryDocument& Document() { return mDocument; }
    ObjectIDType ObjectsCount() { return mDocument.Objects().GetInDirectObjectsRegistry().GetObjectsCount(); }

private:
    MemoryDocument mDocument;
    OutputPage mPage;
};

// A file of the given bytes in the folder.
TEST(ContentContext, OperatorsAndTheirOperands)
{
    DrawnPage page;
    PageContentContext* context = page.Context();
    context->SaveGraphicState();
    context->ConcatMatrix(1, 0, 0, 1, 10.25, 0);
    EXPECT_EQ(context->SetFillColor(0xFF8000, eColorSpaceRGB), eSuccess);
    EXPECT_EQ(context->SetFillColor(0x00FF8040, eColorSpaceCMYK), eSuccess);
    EXPECT_EQ(context->SetFillColor(0x1234CC, eColorSpaceGray), eSuccess);
    context->SetExtGState("GS 1");
    context->SetLineWidth(0.75);
    context->SetStrokeRGBColor(0, 0, 1);
    context->MoveTo(10, 10);
    context->LineTo(100, 10.5);
    context->ClosePath();
    context->Stroke();
    context->Rectangle(20, 20, 50, -5);
    context->Fill();
    context->PaintXObject("Fm1");
    context->BeginText();
    context->SetFontAndSize("FN1", 12);
    context->SetTextMatrix(1, 0, 0, 1, 72, 720);
    context->MoveTextPosition(-12.5, 0);
    context->ShowTextLiteral("a(b)\\c\n");
    context->ShowTextHex("00410042");
    context->EndText();
    EXPECT_EQ(context->GetGraphicStateStack().GetCurrentState().mPlacedFontName, "FN1");
    EXPECT_EQ(context->GetGraphicStateStack().GetCurrentState().mPlacedFontSize, 12);
    EXPECT_EQ(context->RestoreGraphicState(), eSuccess);
    // The state placed inside "q" is gone with it.
    EXPECT_EQ(context->GetGraphicStateStack().GetCurrentState().mPlacedFontName, "");

    EXPECT_EQ(page.Content(), "q\r\n"
                              "1 0 0 1 10.25 0 cm\r\n"
                              "1 0.501961 0 rg\r\n"
                              "0 1 0.501961 0.25098 k\r\n"
                              "0.8 g\r\n"
                              "/GS#201 gs\r\n"
                              "0.75 w\r\n"
                              "0 0 1 RG\r\n"
                              "10 10 m\r\n"
                              "100 10.5 l\r\n"
                              "h\r\n"
                              "S\r\n"
                              "20 20 50 -5 re\r\n"
                              "f\r\n"
                              "/Fm1 Do\r\n"
                              "BT\r\n"
                              "/FN1 12 Tf\r\n"
                              "1 0 0 1 72 720 Tm\r\n"
                              "-12.5 0 Td\r\n"
                              "(a\\(b\\)\\\\c\\012) Tj\r\n"
                              "<00410042> Tj\r\n"
                              "ET\r\n"
                              "Q\r\n");
    EXPECT_EQ(page.Page().GetResourcesDictionary().GetProcSets(), std::set<std::string>({"PDF", "Text"}));
}

TEST(ContentContext, ARestoreWithoutASaveWritesNothing)
{
    LogCapture log;
    {
        // Not even a stream is started for it.
        DrawnPage page;
        EXPECT_EQ(page.Context()->RestoreGraphicState(), eFailure);
        EXPECT_TRUE(page.Page().GetContentStreamReferences().empty());
        EXPECT_EQ(page.Document().Bytes(), "");
        EXPECT_TRUE(log.Contains("GraphicStateStack::Pop, exception. stack underflow, reached to the initial state"));
    }
    DrawnPage page;
    PageContentContext* context = page.Context();
    context->SaveGraphicState();
    EXPECT_EQ(context->RestoreGraphicState(), eSuccess);
    EXPECT_EQ(context->RestoreGraphicState(), eFailure);
    EXPECT_EQ(page.Content(), "q\r\nQ\r\n");
}

TEST(ContentContext, UnknownColourKindAndTextWithoutFontWriteNothing)
{
    LogCapture log;
    DrawnPage page;
    PageContentContext* context = page.Context();
    EXPECT_NE(context->SetFillColor(0xFF0000, 3), eSuccess);
    EXPECT_TRUE(log.Contains("AbstractContentContext::SetFillColor, unknown colour space kind 3"));

    TextOptions options;
    options.mFontSize = 12;
    EXPECT_EQ(context->WriteText(72, 720, "Hello", options), eFailure);
    EXPECT_TRUE(log.Contains("AbstractContentContext::WriteText, Cannot write text, no current font is defined"));
    options.mColorSpace = 7;
    EXPECT_EQ(context->WriteText(72, 720, "Hello", options), eFailure);

    EXPECT_TRUE(page.Page().GetContentStreamReferences().empty());
    EXPECT_EQ(page.Document().Bytes(), "");
}

TEST(ContentContext, ImagesThatCannotBecomeFormsAreRefusedBeforeAnIdIsTaken)
{
    LogCapture log;
    TestDirectory folder;
    std::string text = folder.Write("notes.jpg", "not an image at all");
    // A JPEG start with no frame: it cannot be measured.
    std::string bare = folder.Write("bare.jpg", std::string("\xFF\xD8\xFF\xD9", 4));

    DrawnPage page;
    PageContentContext* context = page.Context();
    ObjectIDType objects = page.ObjectsCount();
    ImageOptions options;
    EXPECT_EQ(context->DrawImage(0, 0, folder.PathOf("missing.jpg"), options), eFailure);
    EXPECT_EQ(context->DrawImage(0, 0, text, options), eFailure);
    EXPECT_TRUE(log.Contains("AbstractContentContext::DrawImage, " + text + " is not an image file of a known kind"));

    options.mTransformationMethod = eImageTransformationFit;
    options.mBoundingBoxWidth = 200;
    options.mBoundingBoxHeight = 200;
    EXPECT_EQ(context->DrawImage(0, 0, bare, options), eFailure);
    EXPECT_TRUE(log.Contains("AbstractContentContext::DrawImage, cannot fit " + bare + ": it measures 0 x 0 points"));

    options.mTransformationMethod = 7;
    EXPECT_EQ(context->DrawImage(0, 0, bare, options), eFailure);
    options.mTransformationMethod = eImageTransformationNone;
    options.mImageIndex = -1;
    EXPECT_EQ(context->DrawImage(0, 0, bare, options), eFailure);

    EXPECT_EQ(page.ObjectsCount(), objects);
    EXPECT_TRUE(page.Page().GetContentStreamReferences().empty());
    EXPECT_EQ(page.Document().Bytes(), "");
}

TEST(ContentContext, OneImageFilePlacedTwiceIsOneForm)
{
    TestDirectory folder;
    std::string image = folder.Write("photo.jpg", std::string("\xFF\xD8\xFF\xD9", 4));
    DrawnPage page;
    PageContentContext* context = page.Context();
    ImageOptions options;
    EXPECT_EQ(context->DrawImage(5, 6, image, options), eSuccess);
    ObjectIDType objects = page.ObjectsCount();
    options.mTransformationMethod = eImageTransformationMatrix;
    options.mMatrix[0] = 2;
    options.mMatrix[3] = 2;
    options.mMatrix[4] = 10;
    options.mMatrix[5] = 20;
    EXPECT_EQ(context->DrawImage(5, 6, image, options), eSuccess);
    EXPECT_EQ(page.ObjectsCount(), objects);

    EXPECT_EQ(page.Content(), "q\r\n1 0 0 1 5 6 cm\r\n/Fm1 Do\r\nQ\r\n"
                              "q\r\n2 0 0 2 15 26 cm\r\n/Fm1 Do\r\nQ\r\n");
    const ResourcesDictionary::ObjectIDToNameMap& placed =
        page.Page().GetResourcesDictionary().GetCategory(ResourcesDictionary::eXObject);
    ASSERT_EQ(placed.size(), 1u);

    // The same image on another page of the document keeps its form id.
    OutputPage other;
    other.SetMediaBox(PDFRectangle(0, 0, 612, 792));
    PageContentContext* otherContext = page.Document().Document().StartPageContentContext(&other);
    EXPECT_EQ(otherContext->DrawImage(0, 0, image, ImageOptions()), eSuccess);
    EXPECT_EQ(other.GetResourcesDictionary().GetCategory(ResourcesDictionary::eXObject), placed);
    EXPECT_EQ(page.Document().Document().ClosePageContentContext(otherContext), eSuccess);
    EXPECT_FALSE(page.Document().Objects().HasFailed());
}

TEST(ContentContext, ImageKindsComeFromTheFirstBytes)
{
    TestDirectory folder;
    MemoryDocument document;
    DocumentContext& context = document.Document();
    // Whatever the name says.
    EXPECT_EQ(context.ImageKindOf(folder.Write("a.png", std::string("II*\0", 4)), 0),
              DocumentContext::eImageKindTIFF);
    EXPECT_EQ(context.ImageKindOf(folder.Write("b.jpg", std::string("MM\0*", 4)), 0),
              DocumentContext::eImageKindTIFF);
    EXPECT_EQ(context.ImageKindOf(folder.Write("c", std::string("II+\0", 4)), 0), DocumentContext::eImageKindTIFF);
    EXPECT_EQ(context.ImageKindOf(folder.Write("d.tif", "%PDF-1.4\n"), 0), DocumentContext::eImageKindPDF);
    EXPECT_EQ(context.ImageKindOf(folder.Write("e.gif", std::string("\xFF\xD8", 2)), 0),
              DocumentContext::eImageKindJPEG);
    EXPECT_EQ(context.ImageKindOf(folder.Write("f.jpg", "GIF89a"), 0), DocumentContext::eImageKindUnknown);
    EXPECT_EQ(context.ImageKindOf(folder.PathOf("missing.jpg"), 0), DocumentContext::eImageKindUnknown);

    // A known kind is kept for the writer's life: the file is not read again.
    std::string changing = folder.Write("changing.jpg", std::string("\xFF\xD8\xFF\xE0", 4));
    EXPECT_EQ(context.ImageKindOf(changing, 0), DocumentContext::eImageKindJPEG);
    folder.Write("changing.jpg", "text now");
    EXPECT_EQ(context.ImageKindOf(changing, 0), DocumentContext::eImageKindJPEG);
    context.ResetForNewDocument();
    EXPECT_EQ(context.ImageKindOf(changing, 0), DocumentContext::eImageKindJPEG);
}

TEST(ContentContext, NamedColours)
{
    const std::map<std::string, uint32_t>& colors = NamedColorTable::Colors();
    EXPECT_EQ(colors.size(), 140u);
    EXPECT_EQ(colors.begin()->first, "aliceblue");
    EXPECT_EQ(colors.rbegin()->first, "yellowgreen");
    for (const auto& color : colors)
        EXPECT_EQ(color.first.find("grey"), std::string::npos) << color.first;
    uint32_t value = 0;
    EXPECT_TRUE(NamedColorTable::Find("rebeccapurple", value) == false);
    ASSERT_TRUE(NamedColorTable::Find("lightslategray", value));
    EXPECT_EQ(value, 0x778899u);
    ASSERT_TRUE(NamedColorTable::Find("orange", value));

    DrawnPage page;
    page.Context()->SetFillColor(value, eColorSpaceRGB);
    EXPECT_EQ(page.Content(), "1 0.647059 0 rg\r\n");
}

TEST(ContentContext, NumbersIgnoreTheProcessLocale)
{
    std::string previous = setlocale(LC_ALL, nullptr);
    if (!setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "no de_DE.UTF-8 locale";
    DrawnPage page;
    page.Context()->ConcatMatrix(0.5, 0, 0, 1.25, 10.125, -3.5);
    std::string content = page.Content();
    setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(content, "0.5 0 0 1.25 10.125 -3.5 cm\r\n");
}

} // namespace
