// New documents of many sizes written through the writer, compressed as the application writes
// them, with drawn content and forms, must be accepted by other readers with their pages and
// boxes as written.

#include "pdf/io/InputFile.h"
#include "pdf/objects/PDFObjects.h"
#include "pdf/parsing/PDFPageInput.h"
#include "pdf/parsing/PDFParser.h"
#include "pdf/writing/NamedColorTable.h"
#include "pdf/writing/OutputFormXObject.h"
#include "pdf/writing/OutputPage.h"
#include "pdf/writing/PDFWriter.h"
#include "pdf/writing/PageContentContext.h"
#include "pdf/writing/XObjectContentContext.h"

#include "pdf/writing/WriterTestSupport.h"
#include "pdf/support/TestDirectory.h"
#include "pdf/support/ExternalReaders.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using testsupport::PdfinfoField;
using testsupport::RunMerged;
using testsupport::TestDirectory;

namespace {

struct PageBoxes {
    PDFRectangle mMediaBox;
    PDFRectangle mCropBox; // equal to the media box when the page has none
};

// Page sizes and crop boxes that vary with the page's number.
PageBoxes BoxesOfPage(int inPageIndex)
{
    static const PDFRectangle kSizes[] = {PDFRectangle(0, 0, 595, 842), PDFRectangle(0, 0, 612, 792),
                                          PDFRectangle(0, 0, 842, 595.5), PDFRectangle(-20, -10, 280.25, 400)};
    PageBoxes boxes;
    boxes.mMediaBox = kSizes[inPageIndex % 4];
    boxes.mCropBox = boxes.mMediaBox;
    if (inPageIndex % 5 == 4) {
        boxes.mCropBox.LowerLeftX += 10;
        boxes.mCropBox.LowerLeftY += 12.5;
        boxes.mCropBox.UpperRightX -= 10;
        boxes.mCropBox.UpperRightY -= 12.5;
    }
    return boxes;
}

// A badge drawn once as a form and placed on every page.
ObjectIDType WriteBadgeForm(PDFWriter& inWriter)
{
    ObjectIDType formID = inWriter.GetObjectsContext().GetInDirectObjectsRegistry().ReserveNewObjectID();
    std::unique_ptr<OutputFormXObject> form =
        inWriter.GetDocumentContext().StartFormXObject(PDFRectangle(0, 0, 60, 30), formID);
    if (!form)
        return 0;
    XObjectContentContext* content = form->GetContentContext();
    uint32_t navy = 0;
    NamedColorTable::Find("navy", navy);
    content->SaveGraphicState();
    content->SetFillColor(navy, eColorSpaceRGB);
    content->Rectangle(0, 0, 60, 30);
    content->Fill();
    content->SetStrokeRGBColor(1, 1, 1);
    content->SetLineWidth(1.5);
    content->MoveTo(5, 5);
    content->LineTo(55, 25);
    content->Stroke();
    if (content->RestoreGraphicState() != eSuccess)
        return 0;
    return inWriter.GetDocumentContext().FinishFormXObject(form.get()) == eSuccess ? formID : 0;
}

void DrawPage(PageContentContext* inContext, OutputPage& inPage, int inPageIndex, ObjectIDType inBadgeID)
{
    const std::map<std::string, uint32_t>& colors = NamedColorTable::Colors();
    auto color = colors.begin();
    std::advance(color, inPageIndex % colors.size());
    const PDFRectangle& box = inPage.GetMediaBox();

    inContext->SaveGraphicState();
    inContext->SetFillColor(color->second, eColorSpaceRGB);
    inContext->Rectangle(box.LowerLeftX + 20, box.LowerLeftY + 20, 100, 50);
    inContext->Fill();
    inContext->SetFillColor(0x00FF8040, eColorSpaceCMYK);
    inContext->Rectangle(box.LowerLeftX + 130, box.LowerLeftY + 20, 40, 40);
    inContext->Fill();
    inContext->SetStrokeRGBColor(0.2, 0.4, 0.6);
    inContext->SetLineWidth(0.5);
    inContext->MoveTo(box.LowerLeftX + 10, box.LowerLeftY + 10);
    inContext->LineTo(box.UpperRightX - 10, box.UpperRightY - 10);
    inContext->LineTo(box.UpperRightX - 10, box.LowerLeftY + 10);
    inContext->ClosePath();
    inContext->Stroke();
    inContext->SaveGraphicState();
    inContext->ConcatMatrix(1, 0, 0, 1, box.LowerLeftX + 30, box.UpperRightY - 60);
    inContext->PaintXObject(inPage.GetResourcesDictionary().FormXObjectNameForObject(inBadgeID));
    EXPECT_EQ(inContext->RestoreGraphicState(), eSuccess);
    inContext->SetFillColor(0x40, eColorSpaceGray);
    inContext->Rectangle(box.LowerLeftX + 180, box.LowerLeftY + 20, 10.5, 10.5);
    inContext->Fill();
    EXPECT_EQ(inContext->RestoreGraphicState(), eSuccess);
}

bool WriteDocument(const std::string& inPath, int inPageCount)
{
    PDFWriter writer;
    if (writer.CreateNewPDF(inPath, 14) != eSuccess)
        return false;
    writer.GetDocumentContext().GetDocumentInfo().Title = "Pages " + std::to_string(inPageCount);
    writer.GetDocumentContext().GetDocumentInfo().Creator = "Velloran tests";
    ObjectIDType badgeID = WriteBadgeForm(writer);
    if (badgeID == 0)
        return false;
    for (int i = 0; i < inPageCount; ++i) {
        PageBoxes boxes = BoxesOfPage(i);
        OutputPage page;
        page.SetMediaBox(boxes.mMediaBox);
        if (boxes.mCropBox != boxes.mMediaBox)
            page.SetCropBox(boxes.mCropBox);
        DrawPage(writer.GetDocumentContext().StartPageContentContext(&page), page, i, badgeID);
        ObjectIDType pageID = 0;
        if (writer.GetDocumentContext().WritePage(&page, pageID) != eSuccess)
            return false;
    }
    return writer.EndPDF() == eSuccess;
}

std::string BoxText(const PDFRectangle& inBox)
{
    char text[128];
    snprintf(text, sizeof(text), "%.2f %.2f %.2f %.2f", inBox.LowerLeftX, inBox.LowerLeftY, inBox.UpperRightX,
             inBox.UpperRightY);
    return text;
}

// "Page n MediaBox" and "Page n CropBox" of pdfinfo's report, as "x0 y0 x1 y1" with two decimals.
std::map<std::string, std::string> ReportedBoxes(const std::string& inReport)
{
    std::map<std::string, std::string> boxes;
    std::istringstream lines(inReport);
    std::string line;
    while (std::getline(lines, line)) {
        int page = 0;
        char kind[16];
        double x0, y0, x1, y1;
        if (sscanf(line.c_str(), "Page %d %15[A-Za-z]: %lf %lf %lf %lf", &page, kind, &x0, &y0, &x1, &y1) == 6)
            boxes[std::to_string(page) + " " + kind] = BoxText(PDFRectangle(x0, y0, x1, y1));
    }
    return boxes;
}

void ExpectReadersAccept(int inPageCount)
{
    TestDirectory folder;
    std::string path = folder.PathOf("pages " + std::to_string(inPageCount) + ".pdf");
    ASSERT_TRUE(WriteDocument(path, inPageCount));

    testsupport::ExpectQpdfAccepts(path);

    std::string output;

    EXPECT_EQ(RunMerged("qpdf --show-npages '" + path + "'", output), 0) << output;
    EXPECT_EQ(output, std::to_string(inPageCount) + "\n");

    EXPECT_EQ(RunMerged("pdfinfo -box -f 1 -l " + std::to_string(inPageCount) + " '" + path + "'", output), 0) << output;
    EXPECT_EQ(PdfinfoField(output, "Pages"), std::to_string(inPageCount));
    EXPECT_EQ(PdfinfoField(output, "Title"), "Pages " + std::to_string(inPageCount));
    EXPECT_EQ(output.find("Syntax Error"), std::string::npos) << output.substr(0, 2000);
    std::map<std::string, std::string> reported = ReportedBoxes(output);
    for (int i = 0; i < inPageCount; ++i) {
        PageBoxes boxes = BoxesOfPage(i);
        std::string page = std::to_string(i + 1);
        EXPECT_EQ(reported[page + " MediaBox"], BoxText(boxes.mMediaBox)) << "page " << page;
        EXPECT_EQ(reported[page + " CropBox"], BoxText(boxes.mCropBox)) << "page " << page;
    }

    // The library's own parser reads the same pages and boxes back.
    InputFile file;
    ASSERT_EQ(file.OpenFile(path), eSuccess);
    PDFParser parser;
    ASSERT_EQ(parser.ParseDocument(file.GetInputStream()), eSuccess);
    ASSERT_EQ(parser.GetPageCount(), static_cast<uint32_t>(inPageCount));
    for (int i = 0; i < inPageCount; ++i) {
        PageBoxes boxes = BoxesOfPage(i);
        RefCountPtr<PDFDictionary> page(parser.ParsePage(static_cast<uint32_t>(i)));
        ASSERT_TRUE(page) << "page " << i + 1;
        page->AddRef(); // the page input takes over one reference
        EXPECT_EQ(BoxText(PDFPageInput(&parser, page.GetPtr()).GetMediaBox()), BoxText(boxes.mMediaBox)) << "page " << i + 1;
        PDFObjectCastPtr<PDFArray> cropBox(parser.ResolveDictionaryValue(page.GetPtr(), "CropBox"));
        EXPECT_EQ(static_cast<bool>(cropBox), BoxText(boxes.mCropBox) != BoxText(boxes.mMediaBox)) << "page " << i + 1;
    }

    // The content of the first and the last page renders without complaint.
    for (int page : {1, inPageCount}) {
        std::string pageText = std::to_string(page);
        EXPECT_EQ(RunMerged("pdftoppm -r 10 -f " + pageText + " -l " + pageText + " -png '" + path + "' '" +
                          folder.PathOf("render") + "'",
                      output),
                  0)
            << output;
        EXPECT_EQ(output, "") << "page " << page;
    }
}

TEST(NewDocumentReaders, OnePage)
{
    ExpectReadersAccept(1);
}

TEST(NewDocumentReaders, TenPages)
{
    ExpectReadersAccept(10);
}

TEST(NewDocumentReaders, ElevenPages)
{
    ExpectReadersAccept(11);
}

TEST(NewDocumentReaders, OneHundredAndOnePages)
{
    ExpectReadersAccept(101);
}

TEST(NewDocumentReaders, OneThousandPages)
{
    ExpectReadersAccept(1000);
}

} // namespace
