// A page of another PDF file placed like an image: it becomes a form XObject whose resources get
// the form's own names, renamed consistently in the content, and the placed page renders as the
// page itself did.

#include "CopyTestSupport.h"

#include "pdf/objects/PDFObjects.h"
#include "pdf/parsing/PDFParser.h"
#include "pdf/writing/DocumentTestSupport.h"
#include "pdf/writing/OutputPage.h"
#include "pdf/writing/PageContentContext.h"
#include "pdf/support/LogCapture.h"

using namespace copytest;

namespace {

// One 300 x 300 page below a node that holds its Resources: two fonts (one selected through an
// escaped name), an image, an ExtGState and a colour space written inline (the ExtGState refers
// to a font object), content in two streams with a string that holds "/F1", and two inline
// images, one in the inline colour space and one whose binary data holds a name, a parenthesis
// and "EI" inside a word.
std::string FormSourceFile()
{
    PdfBuilder builder;
    builder.Add("<< /Type /Catalog /Pages 2 0 R >>");
    builder.Add("<< /Type /Pages /Kids [3 0 R] /Count 1 /MediaBox [0 0 300 300] "
                "/Resources << /ProcSet [/PDF /Text /ImageB] /Font << /F1 4 0 R /F2 5 0 R >> "
                "/XObject << /Im1 6 0 R /F1 6 0 R >> "
                "/ExtGState << /GS1 << /Type /ExtGState /ca 0.6 /Font [5 0 R 9] >> >> "
                "/ColorSpace << /CS0 [/Indexed /DeviceRGB 1 <FF000000A0FF>] >> >> >>");
    builder.Add("<< /Type /Page /Parent 2 0 R /Contents [7 0 R 8 0 R] >>");
    builder.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
    builder.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Courier /Encoding /WinAnsiEncoding >>");
    std::string pixels;
    for (int i = 0; i < 16; ++i)
        pixels += std::string{static_cast<char>(i * 16), static_cast<char>(255 - i * 16), static_cast<char>(i * 8)};
    builder.Add(FlateStream(pixels, " /Type /XObject /Subtype /Image /Width 4 /Height 4 /ColorSpace /DeviceRGB "
                                    "/BitsPerComponent 8"));
    builder.Add(FlateStream("BT /F1 20 Tf 20 260 Td (Keep /F1 and \\(/F2\\) here) Tj ET "
                            "BT /F#32 14 Tf 20 230 Td (Courier line) Tj ET "));
    std::string binary = std::string("\x00/F1(\xFF\x10", 7) + "xEIx" + std::string("\x80\x90\xA0\xB0\xC0", 5);
    builder.Add(FlateStream("q /GS1 gs 100 0 0 100 20 20 cm /F1 Do Q "
                            "q 60 0 0 60 150 20 cm BI /W 4 /H 4 /CS /G /BPC 8 ID " +
                            binary + "\nEI Q q 60 0 0 60 220 20 cm BI /W 2 /H 2 /CS /CS0 /BPC 8 ID " +
                            std::string("\x00\x01\x01\x00", 4) + "\nEI Q"));
    return builder.Build();
}

// Writes a new file whose one page, of inWidth x inHeight, shows page inPageIndex of the source
// placed at the origin.
OpStatus PlacePage(const std::string& inTarget, const std::string& inSource, int inPageIndex, double inWidth,
                   double inHeight)
{
    PDFWriter writer;
    if (writer.CreateNewPDF(inTarget, 13) != eSuccess)
        return eFailure;
    OutputPage page;
    page.SetMediaBox(PDFRectangle(0, 0, inWidth, inHeight));
    PageContentContext* content = writer.GetDocumentContext().StartPageContentContext(&page);
    ImageOptions options;
    options.mImageIndex = inPageIndex;
    OpStatus status = content->DrawImage(0, 0, inSource, options);
    ObjectIDType pageID = 0;
    if (status == eSuccess)
        status = writer.GetDocumentContext().WritePage(&page, pageID);
    OpStatus end = writer.EndPDF();
    return status != eSuccess ? status : end;
}

// The decoded content of the first form XObject of the file, and its resources dictionary.
std::string FormContent(const std::string& inPath, RefCountPtr<PDFDictionary>& outResources)
{
    auto parsed = parsertest::ParseFile(inPath);
    for (RefCountPtr<PDFStreamInput>& stream : StreamsOfSubtype(parsed->parser, "Form")) {
        RefCountPtr<PDFDictionary> dictionary(stream->QueryStreamDictionary());
        outResources = PDFObjectCastPtr<PDFDictionary>(parsed->parser.ResolveDictionaryValue(dictionary.GetPtr(), "Resources"));
        parsed->stream.SeekFromStart(stream->GetStreamContentStart());
        std::unique_ptr<IByteReader> reader(parsed->parser.CreateInputStreamReader(stream.GetPtr()));
        std::string content;
        Byte buffer[4096];
        while (reader && reader->HasMoreBytes()) {
            size_t got = reader->Read(buffer, sizeof(buffer));
            if (got == 0)
                break;
            content.append(reinterpret_cast<char*>(buffer), got);
        }
        return content;
    }
    return std::string();
}

} // namespace

TEST(PageAsForm, PlacedPageRendersAsThePageAndItsNamesAreRenamedConsistently)
{
    TestDirectory dir("form-render");
    std::string source = (dir / "source.pdf").string();
    WriteFile(source, FormSourceFile());
    std::string target = (dir / "placed.pdf").string();
    ASSERT_EQ(PlacePage(target, source, 0, 300, 300), eSuccess);
    ExpectQpdfAccepts(target);

    ShownDocument shownSource(source, (dir / "s").string());
    ShownDocument shownTarget(target, (dir / "t").string());
    ExpectSamePage(shownSource, 1, shownTarget, 1, true);

    RefCountPtr<PDFDictionary> resources;
    std::string content = FormContent(target, resources);
    ASSERT_TRUE(resources);
    // F1 names both a font and the image: each use gets the name of its operator's category.
    EXPECT_NE(content.find("/GS1 gs"), std::string::npos) << content;
    EXPECT_NE(content.find("/XO1 Do"), std::string::npos) << content;
    EXPECT_NE(content.find("/FN1 20 Tf"), std::string::npos) << content;
    EXPECT_NE(content.find("/FN2 14 Tf"), std::string::npos) << content;
    EXPECT_NE(content.find("/CS /CS1 /BPC"), std::string::npos) << content;
    EXPECT_NE(content.find("(Keep /F1 and \\(/F2\\) here)"), std::string::npos) << content;
    EXPECT_NE(content.find(std::string("\x00/F1(\xFF\x10xEIx", 11)), std::string::npos);
    // The two content streams, each followed by CR LF.
    EXPECT_NE(content.find("Tj ET \r\nq /GS1 gs"), std::string::npos) << content;
    ASSERT_GT(content.size(), 3u);
    EXPECT_EQ(content.substr(content.size() - 3), "Q\r\n");

    PDFObjectCastPtr<PDFDictionary> fonts(resources->QueryDirectObject("Font"));
    PDFObjectCastPtr<PDFDictionary> xObjects(resources->QueryDirectObject("XObject"));
    PDFObjectCastPtr<PDFDictionary> extGStates(resources->QueryDirectObject("ExtGState"));
    PDFObjectCastPtr<PDFDictionary> colorSpaces(resources->QueryDirectObject("ColorSpace"));
    ASSERT_TRUE(fonts && xObjects && extGStates && colorSpaces);
    EXPECT_TRUE(fonts->Exists("FN1") && fonts->Exists("FN2"));
    EXPECT_TRUE(xObjects->Exists("XO1"));
    EXPECT_EQ(xObjects->GetSize(), 1u); // Im1 and F1 name the same image object
    // Direct values are written inline under their new names.
    PDFObjectCastPtr<PDFDictionary> state(extGStates->QueryDirectObject("GS1"));
    ASSERT_TRUE(state);
    EXPECT_TRUE(state->Exists("Font"));
    EXPECT_TRUE(PDFObjectCastPtr<PDFArray>(colorSpaces->QueryDirectObject("CS1")));
}

TEST(PageAsForm, PagesOfAMergedDocumentPlaceAndMeasureLikeTheirSources)
{
    TestDirectory dir("form-pages");
    std::string source = (dir / "source.pdf").string();
    WriteFile(source, XrefStreamFile(MakeSourceDocument(6, "Placed"), true, false));
    ShownDocument shownSource(source, (dir / "s").string());
    // Page 2 inherits the node's Resources, a 612 x 792 MediaBox and a rotation (which a form
    // does not take over: only its text is compared); page 5 has its own 550 x 800 MediaBox and
    // Resources, no rotation, and content in two streams.
    const std::pair<int, std::pair<double, double>> pages[] = {{1, {612, 792}}, {4, {550, 800}}};
    for (const auto& placed : pages) {
        SCOPED_TRACE(placed.first);
        PDFWriter writer;
        EXPECT_EQ(writer.GetDocumentContext().MeasureImage(source, placed.first), placed.second);
        std::string target = (dir / ("placed" + std::to_string(placed.first) + ".pdf")).string();
        ASSERT_EQ(PlacePage(target, source, placed.first, placed.second.first, placed.second.second), eSuccess);
        ExpectQpdfAccepts(target);
        ShownDocument shownTarget(target, (dir / "t").string());
        EXPECT_NE(shownTarget.Text(1).find("Placed page " + std::to_string(placed.first + 1)), std::string::npos)
            << shownTarget.Text(1);
        EXPECT_NE(shownTarget.Text(1).find("Second line of page " + std::to_string(placed.first + 1)),
                  std::string::npos)
            << shownTarget.Text(1);
        if (placed.first == 4)
            ExpectSamePage(shownSource, 5, shownTarget, 1, true);
    }
}

TEST(PageAsForm, AMissingPageFailsBeforeTheFormIsBegun)
{
    TestDirectory dir("form-missing");
    std::string source = (dir / "source.pdf").string();
    WriteFile(source, FormSourceFile());
    DocumentTestSupport::MemoryDocument document;
    testsupport::LogCapture log;
    ObjectIDType formID = document.Objects().GetInDirectObjectsRegistry().ReserveNewObjectID();
    EXPECT_EQ(document.Document().WriteImageFileAsFormXObject(source, 1, formID), eFailure);
    EXPECT_TRUE(log.Contains("PDFDocumentHandler::MergePDFPageToFormXObject, request object index 1 is larger than "
                             "maximum page for input document = 0"));
    EXPECT_EQ(document.Bytes(), "");
    EXPECT_FALSE(document.Objects().HasFailed());
    EXPECT_EQ(document.Document().MeasureImage(source, 1), std::make_pair(0.0, 0.0));
}
