// The exact bytes of what the document context writes with compression off: page objects and
// their boxes, form XObjects, resources dictionaries, the page tree, the catalog, the
// information dictionary and the trailer with its document ID.

#include "pdf/io/MD5Digest.h"
#include "pdf/writing/DictionaryContext.h"
#include "pdf/writing/DocumentContext.h"
#include "pdf/writing/ObjectsContext.h"
#include "pdf/writing/OutputFormXObject.h"
#include "pdf/writing/OutputPage.h"
#include "pdf/writing/PageContentContext.h"
#include "pdf/writing/XObjectContentContext.h"

#include "pdf/writing/DocumentTestSupport.h"
#include "pdf/support/LogCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using DocumentTestSupport::MemoryDocument;
using DocumentTestSupport::ObjectOffset;
using DocumentTestSupport::ObjectText;

namespace {

const PDFRectangle kLetter(0, 0, 612, 792);

// A direct stream object without compression and its Length object.
std::string StreamObjects(unsigned long inID, const std::string& inData)
{
    std::string id = std::to_string(inID);
    std::string lengthID = std::to_string(inID + 1);
    return id + " 0 obj\r\n<<\r\n\t/Length " + lengthID + " 0 R\r\n>>\r\nstream\r\n" + inData +
           "\r\nendstream\r\nendobj\r\n" + lengthID + " 0 obj\r\n" + std::to_string(inData.size()) + "\r\nendobj\r\n";
}

// A page tree node as the document context writes it.
std::string PagesNode(unsigned long inID, long inCount, const std::vector<unsigned long>& inKids,
                      unsigned long inParent)
{
    std::string text = std::to_string(inID) + " 0 obj\r\n<<\r\n\t/Type /Pages\r\n\t/Count " + std::to_string(inCount) +
                       "\r\n\t/Kids [ ";
    for (unsigned long kid : inKids)
        text += std::to_string(kid) + " 0 R ";
    text += "]\r\n";
    if (inParent != 0)
        text += "\t/Parent " + std::to_string(inParent) + " 0 R\r\n";
    return text + ">>\r\nendobj\r\n";
}

// The nodes of the page tree: everything from the first node to the catalog.
std::string PageTreeText(const std::string& inBytes)
{
    size_t firstNode = inBytes.find("<<\r\n\t/Type /Pages\r\n");
    size_t catalog = inBytes.find("<<\r\n\t/Type /Catalog\r\n");
    if (firstNode == std::string::npos || catalog == std::string::npos)
        return std::string();
    size_t start = inBytes.rfind("endobj\r\n", firstNode);
    start = start == std::string::npos ? 0 : start + 8;
    size_t end = inBytes.rfind("endobj\r\n", catalog) + 8;
    return inBytes.substr(start, end - start);
}

// A document of inPageCount empty Letter pages, ended.
std::string EndedDocumentOfPages(int inPageCount)
{
    MemoryDocument document;
    for (int i = 0; i < inPageCount; ++i) {
        OutputPage page;
        page.SetMediaBox(kLetter);
        ObjectIDType pageID = 0;
        EXPECT_EQ(document.Document().WritePage(&page, pageID), eSuccess);
    }
    EXPECT_EQ(document.Document().FinalizeNewDocument(true), eSuccess);
    EXPECT_FALSE(document.Objects().HasFailed());
    return document.Bytes();
}

TEST(DocumentStructure, PageObjectsCarryOnlyTheBoxesThatDiffer)
{
    MemoryDocument document;
    DocumentContext& context = document.Document();

    // Crop box equal to the media box, bleed and art boxes equal to the effective crop box:
    // none of them is written. Two content streams make Contents an array.
    OutputPage page;
    page.SetMediaBox(kLetter);
    page.SetCropBox(kLetter);
    page.SetBleedBox(kLetter);
    page.SetTrimBox(PDFRectangle(10, 10, 602, 782.5));
    page.SetArtBox(kLetter);
    context.StartPageContentContext(&page)->SetFillGray(0.5);
    ASSERT_EQ(context.ClosePageContentContext(page.GetAssociatedContentContext()), eSuccess);
    context.StartPageContentContext(&page)->SetLineWidth(2);
    ObjectIDType pageID = 0;
    // The second content context is still open; writing the page ends it first.
    ASSERT_EQ(context.WritePage(&page, pageID), eSuccess);
    EXPECT_EQ(pageID, 5u);
    EXPECT_EQ(page.GetAssociatedContentContext(), nullptr);

    EXPECT_EQ(document.Bytes(), StreamObjects(1, "0.5 g\r\n") + StreamObjects(3, "2 w\r\n") +
                                    "5 0 obj\r\n<<\r\n"
                                    "\t/Type /Page\r\n"
                                    "\t/Parent 6 0 R\r\n"
                                    "\t/MediaBox [ 0 0 612 792 ]\r\n"
                                    "\t/TrimBox [ 10 10 602 782.5 ]\r\n"
                                    "\t/Resources <<\r\n"
                                    "\t\t/ProcSet [ /PDF ]\r\n"
                                    "\t>>\r\n"
                                    "\t/Contents [ 1 0 R 3 0 R ]\r\n"
                                    ">>\r\nendobj\r\n");

    // A crop box of its own: the bleed box equal to the media box now differs from it, the
    // trim box equal to it does not. One content stream is a single reference.
    OutputPage second;
    second.SetMediaBox(kLetter);
    second.SetCropBox(PDFRectangle(5, 5, 600, 780));
    second.SetBleedBox(kLetter);
    second.SetTrimBox(PDFRectangle(5, 5, 600, 780));
    context.StartPageContentContext(&second)->Rectangle(0, 0, 10, 10);
    ASSERT_EQ(context.WritePage(&second, pageID), eSuccess);
    EXPECT_EQ(ObjectText(document.Bytes(), pageID), "9 0 obj\r\n<<\r\n"
                                                    "\t/Type /Page\r\n"
                                                    "\t/Parent 6 0 R\r\n"
                                                    "\t/MediaBox [ 0 0 612 792 ]\r\n"
                                                    "\t/CropBox [ 5 5 600 780 ]\r\n"
                                                    "\t/BleedBox [ 0 0 612 792 ]\r\n"
                                                    "\t/Resources <<\r\n"
                                                    "\t\t/ProcSet [ /PDF ]\r\n"
                                                    "\t>>\r\n"
                                                    "\t/Contents 7 0 R\r\n"
                                                    ">>\r\nendobj\r\n");
    EXPECT_FALSE(document.Objects().HasFailed());
}

TEST(DocumentStructure, APageWithoutAreaIsRefusedBeforeAnythingIsWritten)
{
    testsupport::LogCapture log;
    MemoryDocument document;
    OutputPage page; // no media box set: 0 0 0 0
    ObjectIDType pageID = 1;
    EXPECT_EQ(document.Document().WritePage(&page, pageID), eFailure);
    EXPECT_EQ(pageID, 0u);
    EXPECT_EQ(document.Bytes(), "");
    EXPECT_TRUE(log.Contains("DocumentContext::WritePage, the page's MediaBox has no area"));
}

TEST(DocumentStructure, FormXObjectWithItsResourcesObject)
{
    MemoryDocument document;
    DocumentContext& context = document.Document();
    ObjectIDType formID = document.Objects().GetInDirectObjectsRegistry().ReserveNewObjectID();
    std::unique_ptr<OutputFormXObject> form = context.StartFormXObject(PDFRectangle(0, 0, 100, 50.5), formID);
    ASSERT_TRUE(form);
    ObjectIDType placedID = document.Objects().GetInDirectObjectsRegistry().ReserveNewObjectID();
    XObjectContentContext* content = form->GetContentContext();
    content->SaveGraphicState();
    content->ConcatMatrix(1, 0, 0, 1, 10, 20);
    content->PaintXObject(form->GetResourcesDictionary().FormXObjectNameForObject(placedID));
    ASSERT_EQ(content->RestoreGraphicState(), eSuccess);
    ASSERT_EQ(context.FinishFormXObject(form.get()), eSuccess);

    const std::string data = "q\r\n1 0 0 1 10 20 cm\r\n/Fm1 Do\r\nQ\r\n";
    EXPECT_EQ(document.Bytes(), "1 0 obj\r\n<<\r\n"
                                "\t/Type /XObject\r\n"
                                "\t/Subtype /Form\r\n"
                                "\t/FormType 1\r\n"
                                "\t/BBox [ 0 0 100 50.5 ]\r\n"
                                "\t/Resources 2 0 R\r\n"
                                "\t/Length 3 0 R\r\n"
                                ">>\r\nstream\r\n" +
                                    data +
                                    "\r\nendstream\r\nendobj\r\n"
                                    "3 0 obj\r\n" +
                                    std::to_string(data.size()) +
                                    "\r\nendobj\r\n"
                                    "2 0 obj\r\n<<\r\n"
                                    "\t/ProcSet [ /PDF ]\r\n"
                                    "\t/XObject <<\r\n"
                                    "\t\t/Fm1 4 0 R\r\n"
                                    "\t>>\r\n"
                                    ">>\r\nendobj\r\n");

    // A form is finished once; operators after that reach nothing.
    testsupport::LogCapture log;
    std::string before = document.Bytes();
    EXPECT_EQ(context.FinishFormXObject(form.get()), eFailure);
    content->SetFillGray(1);
    EXPECT_EQ(document.Bytes(), before);
    EXPECT_TRUE(log.Contains("DocumentContext::FinishFormXObject, the form 1 is finished already"));
}

// Writes its own ExtGState entry: a direct dictionary under the name it was given.
class InlineExtGStateTask : public IResourceWritingTask {
public:
    explicit InlineExtGStateTask(std::string* inName) : mName(inName) {}
    OpStatus RunTask(DictionaryContext* inCategoryDictionary, ObjectsContext* inObjectsContext,
                     DocumentContext*) override
    {
        inCategoryDictionary->WriteKey(*mName);
        DictionaryContext* state = inObjectsContext->StartDictionary();
        state->WriteKey("CA");
        state->WriteRealValue(0.5);
        return inObjectsContext->EndDictionary(state);
    }

private:
    std::string* mName;
};

TEST(DocumentStructure, ResourcesDictionaryInCategoryOrder)
{
    MemoryDocument document;
    ResourcesDictionary resources;
    // Registered in a mixed order; written XObject, ExtGState, Font, ColorSpace, Pattern,
    // Shading, Properties, each by ascending object id. No pattern: no Pattern key.
    EXPECT_EQ(resources.PropertiesNameForObject(41), "PP1");
    EXPECT_EQ(resources.ShadingNameForObject(40), "SH1");
    EXPECT_EQ(resources.ColorSpaceNameForObject(43), "CS1");
    EXPECT_EQ(resources.FontNameForObject(44), "FN1");
    EXPECT_EQ(resources.FontNameForObject(9), "FN2");
    EXPECT_EQ(resources.ExtGStateNameForObject(45), "GS1");
    EXPECT_EQ(resources.XObjectNameForObject(48), "XO1");
    EXPECT_EQ(resources.FormXObjectNameForObject(47), "Fm1");
    EXPECT_EQ(resources.ImageXObjectNameForObject(ImageXObject{46, {"ImageC"}}), "Im1");
    resources.AddProcSetName("Text");
    resources.AddProcSetName("PDF");

    std::string taskName;
    taskName = document.Document().AddExtendedResourceMapping(&resources, "ExtGState",
                                                              std::make_unique<InlineExtGStateTask>(&taskName));
    EXPECT_EQ(taskName, "GS2");

    ASSERT_EQ(document.Document().WriteResourcesDictionary(resources), eSuccess);
    EXPECT_EQ(document.Bytes(), "<<\r\n"
                                "\t/ProcSet [ /ImageC /PDF /Text ]\r\n"
                                "\t/XObject <<\r\n"
                                "\t\t/Im1 46 0 R\r\n"
                                "\t\t/Fm1 47 0 R\r\n"
                                "\t\t/XO1 48 0 R\r\n"
                                "\t>>\r\n"
                                "\t/ExtGState <<\r\n"
                                "\t\t/GS1 45 0 R\r\n"
                                "\t\t/GS2 <<\r\n"
                                "\t\t\t/CA 0.5\r\n"
                                "\t\t>>\r\n"
                                "\t>>\r\n"
                                "\t/Font <<\r\n"
                                "\t\t/FN2 9 0 R\r\n"
                                "\t\t/FN1 44 0 R\r\n"
                                "\t>>\r\n"
                                "\t/ColorSpace <<\r\n"
                                "\t\t/CS1 43 0 R\r\n"
                                "\t>>\r\n"
                                "\t/Shading <<\r\n"
                                "\t\t/SH1 40 0 R\r\n"
                                "\t>>\r\n"
                                "\t/Properties <<\r\n"
                                "\t\t/PP1 41 0 R\r\n"
                                "\t>>\r\n"
                                ">>\r\n");

    // The task ran once and is gone: writing again gives only the mapped entries.
    std::string before = document.Bytes();
    ASSERT_EQ(document.Document().WriteResourcesDictionary(resources), eSuccess);
    EXPECT_EQ(document.Bytes().substr(before.size()).find("GS2"), std::string::npos);
}

TEST(DocumentStructure, ResourceNamesAndTheirCounters)
{
    ResourcesDictionary resources;
    // The same id twice: the same name, the counter does not move.
    EXPECT_EQ(resources.FontNameForObject(7), "FN1");
    EXPECT_EQ(resources.FontNameForObject(7), "FN1");
    EXPECT_EQ(resources.FontNameForObject(8), "FN2");
    // Forms and images share the XObject map but count separately; a known id keeps its name
    // whichever naming asks.
    EXPECT_EQ(resources.FormXObjectNameForObject(20), "Fm1");
    EXPECT_EQ(resources.ImageXObjectNameForObject(ImageXObject{21, {"ImageB"}}), "Im1");
    EXPECT_EQ(resources.XObjectNameForObject(20), "Fm1");
    EXPECT_EQ(resources.GetCategory(ResourcesDictionary::eXObject).size(), 2u);
    // Id 0 gets a fresh name every time and is never stored.
    EXPECT_EQ(resources.ExtGStateNameForObject(0), "GS1");
    EXPECT_EQ(resources.ExtGStateNameForObject(0), "GS2");
    EXPECT_TRUE(resources.GetCategory(ResourcesDictionary::eExtGState).empty());
    EXPECT_EQ(resources.GetProcSets(), std::set<std::string>({"ImageB"}));

    testsupport::LogCapture log;
    MemoryDocument document;
    EXPECT_EQ(document.Document().AddExtendedResourceMapping(&resources, "Fonts", nullptr), "");
    EXPECT_TRUE(log.Contains("DocumentContext::AddExtendedResourceMapping:, unidentified category for registering a "
                             "resource writer Fonts"));
}

TEST(DocumentStructure, PageTreeOfTenPagesIsOneLeaf)
{
    // Page 1 is object 1, the leaf made for it object 2, the other pages 3 to 11.
    EXPECT_EQ(PageTreeText(EndedDocumentOfPages(10)), "2 0 obj\r\n<<\r\n"
                                                      "\t/Type /Pages\r\n"
                                                      "\t/Count 10\r\n"
                                                      "\t/Kids [ 1 0 R 3 0 R 4 0 R 5 0 R 6 0 R 7 0 R 8 0 R 9 0 R "
                                                      "10 0 R 11 0 R ]\r\n"
                                                      ">>\r\nendobj\r\n");
}

TEST(DocumentStructure, PageTreeOfElevenPagesHasANewTopAfterItsLeaves)
{
    // Page 11 is object 12; the new top node 13 and the second leaf 14 are made for it.
    std::string bytes = EndedDocumentOfPages(11);
    EXPECT_EQ(PageTreeText(bytes), PagesNode(2, 10, {1, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 13) +
                                       "14 0 obj\r\n<<\r\n"
                                       "\t/Type /Pages\r\n"
                                       "\t/Count 1\r\n"
                                       "\t/Kids [ 12 0 R ]\r\n"
                                       "\t/Parent 13 0 R\r\n"
                                       ">>\r\nendobj\r\n"
                                       "13 0 obj\r\n<<\r\n"
                                       "\t/Type /Pages\r\n"
                                       "\t/Count 11\r\n"
                                       "\t/Kids [ 2 0 R 14 0 R ]\r\n"
                                       ">>\r\nendobj\r\n");
    EXPECT_NE(bytes.find("\t/Pages 13 0 R\r\n"), std::string::npos);
}

TEST(DocumentStructure, PageTreeOfOneHundredAndOnePagesHasThreeLevels)
{
    // Pages 1 to 10 and leaf 2 take objects 1 to 11; page 11, the inner node 13 and leaf 14 take
    // 12 to 14; every later leaf is made with the first of its ten pages, so leaf k (k > 1) is
    // object 14 + 11 (k - 2). Page 101 is object 112; the top 113, the second inner node 114
    // and leaf 115 are made for it.
    std::string expected = PagesNode(2, 10, {1, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 13);
    std::vector<unsigned long> leaves = {2};
    for (unsigned long k = 2; k <= 10; ++k) {
        unsigned long leaf = 14 + 11 * (k - 2);
        std::vector<unsigned long> pages = {k == 2 ? 12 : leaf - 1};
        for (unsigned long page = leaf + 1; page <= leaf + 9; ++page)
            pages.push_back(page);
        expected += PagesNode(leaf, 10, pages, 13);
        leaves.push_back(leaf);
    }
    expected += PagesNode(13, 100, leaves, 113);
    expected += PagesNode(115, 1, {112}, 114);
    expected += PagesNode(114, 1, {115}, 113);
    expected += PagesNode(113, 101, {13, 114}, 0);
    std::string bytes = EndedDocumentOfPages(101);
    EXPECT_EQ(PageTreeText(bytes), expected);
    EXPECT_NE(bytes.find("\t/Pages 113 0 R\r\n"), std::string::npos);
}

TEST(DocumentStructure, EmptyDocumentHasOneEmptyLeafACatalogAndATrailer)
{
    std::string bytes = EndedDocumentOfPages(0);
    EXPECT_EQ(bytes.substr(0, bytes.find("xref\r\n")), PagesNode(1, 0, {}, 0) + "2 0 obj\r\n<<\r\n"
                                                                                "\t/Type /Catalog\r\n"
                                                                                "\t/Pages 1 0 R\r\n"
                                                                                ">>\r\nendobj\r\n");
    EXPECT_NE(bytes.find("trailer\r\n<<\r\n\t/Size 3\r\n\t/Root 2 0 R\r\n\t/ID [ <"), std::string::npos);
}

TEST(DocumentStructure, CatalogInformationAndTrailerWithItsDocumentID)
{
    MemoryDocument document;
    DocumentContext& context = document.Document();
    context.SetOutputFileInformation("/home/ana/Reports/march.pdf");
    DocumentInfo& info = context.GetDocumentInfo();
    info.Title = "Report (draft)";
    info.Author = "Ana";
    info.CreationDate.mYear = 2016;
    info.CreationDate.mMonth = 3;
    info.CreationDate.mDay = 5;
    info.CreationDate.mHour = 9;
    info.CreationDate.mMinute = 7;
    info.CreationDate.mSecond = 3;
    info.CreationDate.mUTC = PDFDate::eAheadOfUTC;
    info.CreationDate.mHourFromUTC = 1;
    info.CreationDate.mMinuteFromUTC = 0;
    info.Trapped = EInfoTrappedFalse;
    info.AdditionalInfoEntries["Company"] = "Brennmoor";

    OutputPage page;
    page.SetMediaBox(kLetter);
    ObjectIDType pageID = 0;
    ASSERT_EQ(context.WritePage(&page, pageID), eSuccess);
    ASSERT_EQ(context.FinalizeNewDocument(true), eSuccess);
    std::string bytes = document.Bytes();

    EXPECT_EQ(ObjectText(bytes, 3), "3 0 obj\r\n<<\r\n"
                                    "\t/Type /Catalog\r\n"
                                    "\t/Pages 2 0 R\r\n"
                                    ">>\r\nendobj\r\n");
    EXPECT_EQ(ObjectText(bytes, 4), "4 0 obj\r\n<<\r\n"
                                    "\t/Title (Report \\(draft\\))\r\n"
                                    "\t/Author (Ana)\r\n"
                                    "\t/CreationDate (D:20160305090703+01'00')\r\n"
                                    "\t/Trapped /False\r\n"
                                    "\t/Company (Brennmoor)\r\n"
                                    ">>\r\nendobj\r\n");

    // The ID digests, in this order: the clock's date, the output path, the output position when
    // the ID is written, the six texts, both dates, the trapped state and the further values.
    size_t idPosition = bytes.find("\t/ID ") + 5;
    std::string digestInput = std::string("D:20240229235959Z") + "/home/ana/Reports/march.pdf" +
                              std::to_string(idPosition) + "Report (draft)" + "Ana" + "D:20160305090703+01'00'" +
                              "False" + "Brennmoor";
    MD5Digest digest;
    digest.AddBytes(reinterpret_cast<const Byte*>(digestInput.data()), digestInput.size());
    std::string id = digest.HexDigest();

    auto row = [&](unsigned long inID) {
        char text[32];
        snprintf(text, sizeof(text), "%010zu 00000 n\r\n", ObjectOffset(bytes, inID));
        return std::string(text);
    };
    size_t xref = bytes.find("xref\r\n");
    EXPECT_EQ(bytes.substr(xref), "xref\r\n0 5\r\n"
                                  "0000000000 65535 f\r\n" +
                                      row(1) + row(2) + row(3) + row(4) +
                                      "trailer\r\n<<\r\n"
                                      "\t/Size 5\r\n"
                                      "\t/Root 3 0 R\r\n"
                                      "\t/Info 4 0 R\r\n"
                                      "\t/ID [ <" +
                                      id + "> <" + id +
                                      "> ]\r\n"
                                      ">>\r\n"
                                      "startxref\r\n" +
                                      std::to_string(xref) + "\r\n%%EOF");
}

TEST(DocumentStructure, UntouchedInformationGivesNoInfoObject)
{
    std::string bytes = EndedDocumentOfPages(1);
    EXPECT_EQ(bytes.find("/Info"), std::string::npos);
    EXPECT_NE(bytes.find("trailer\r\n<<\r\n\t/Size 4\r\n\t/Root 3 0 R\r\n\t/ID [ <"), std::string::npos);
}

} // namespace
