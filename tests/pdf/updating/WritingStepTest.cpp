// A step of writing that fails part-way is unwound to where it began: only what it opened is
// closed, its ids are given back, and the document ends in a file qpdf accepts, new or updated.
// A step that meets a refused write fails, wherever in it the refusal comes.

#include "pdf/updating/UpdateTestSupport.h"

#include "pdf/writing/OutputPage.h"
#include "pdf/writing/PageRewriter.h"
#include "pdf/writing/WritingStep.h"
#include "pdf/writing/XObjectContentContext.h"
#include "pdf/support/JPEGTestSupport.h"
#include "pdf/support/LogCapture.h"

#include <functional>

using namespace updatetest;
using testsupport::ExpectQpdfAccepts;
using testsupport::LogCapture;
using testsupport::QpdfPageCount;
using testsupport::ReadFile;
using testsupport::TestDirectory;

namespace {

void WriteData(WrittenPDFStream& inStream, const std::string& inData)
{
    inStream.GetWriteStream()->WriteBytes(reinterpret_cast<const Byte*>(inData.data()), inData.size());
    inStream.FinalizeLength(); // the stream itself is gone before the step unwinds
}

void WriteEmptyPage(PDFWriter& inWriter)
{
    OutputPage page;
    page.SetMediaBox(PDFRectangle(0, 0, 200, 200));
    ObjectIDType pageID = 0;
    EXPECT_EQ(inWriter.GetDocumentContext().WritePage(&page, pageID), eSuccess);
}

// What the step leaves open in its object, and what the file must then hold.
const struct {
    const char* what;
    void (*leave)(ObjectsContext&);
    const char* inFile;
} kLeftOpen[] = {
    {"an object", [](ObjectsContext& o) { o.WriteInteger(7, eTokenSeparatorSpace); }, ""},
    {"a dictionary", [](ObjectsContext& o) { o.StartDictionary()->WriteKey("Step"); o.StartDictionary()->WriteKey("X"); }, ""},
    {"an array", [](ObjectsContext& o) { o.StartArray(); o.WriteInteger(1, eTokenSeparatorSpace); }, ""},
    // Data written straight to the file ends as a stream before its object ends.
    {"a stream in the file", [](ObjectsContext& o) { WriteData(*o.StartStream(nullptr, false), "0 0 m endobj trailer"); },
     "endobj trailer\r\nendstream\r\n\r\nendobj"},
    {"a stream in memory", [](ObjectsContext& o) { WriteData(*o.StartStream(nullptr, true), "0 0 m"); }, ""},
    {"nothing, inside a stream opened before it", nullptr, ""},
};

} // namespace

TEST(WritingStep, AFailedStepIsUnwoundAndTheDocumentEnds)
{
    TestDirectory folder;
    const std::string source = folder.Write("source.pdf", TwoPageSource(SourceForm::ClassicTable));
    for (bool update : {false, true}) {
        for (const auto& row : kLeftOpen) {
            SCOPED_TRACE(std::string(update ? "update, " : "new file, ") + row.what);
            const std::string out = folder.PathOf("out.pdf");
            PDFWriter writer;
            ASSERT_EQ(update ? writer.StartIncrementalUpdate(source, 13, out) : writer.CreateNewPDF(out, 13), eSuccess);
            ObjectsContext& objects = writer.GetObjectsContext();
            objects.SetCompressStreams(false);
            if (row.leave) {
                // In an update the step rewrites page 1 (object 3), which keeps its old version.
                WritingStep step(objects);
                if (update)
                    objects.StartUpdatedIndirectObject(3);
                else
                    objects.StartIndirectObject(step.ReserveID());
                row.leave(objects);
            } else {
                objects.AllocateAndStartIndirectObject();
                std::unique_ptr<WrittenPDFStream> outer = objects.StartStream(nullptr, true);
                {
                    WritingStep inner(objects);
                    inner.ReserveID();
                    inner.Unwind(); // and once more, without effect, as it goes
                }
                WriteData(*outer, "0 0 m 10 10 l S");
                EXPECT_EQ(objects.EndStream(outer.get()), eSuccess);
            }
            EXPECT_FALSE(objects.HasFailed());
            WriteEmptyPage(writer);
            ASSERT_EQ(writer.EndPDF(), eSuccess);
            ExpectQpdfAccepts(out);
            EXPECT_EQ(QpdfPageCount(out), update ? 3 : 1);
            if (update) {
                EXPECT_EQ(QpdfObject(out, "3").find("Step"), std::string::npos);
            }
            EXPECT_NE(ReadFile(out).find(row.inFile), std::string::npos);
        }
    }

    // A step of a document that has ended since leaves the next document alone.
    PDFWriter writer;
    ASSERT_EQ(writer.CreateNewPDF(folder.PathOf("first.pdf"), 13), eSuccess);
    auto late = std::make_unique<WritingStep>(writer.GetObjectsContext());
    ASSERT_EQ(writer.EndPDF(), eSuccess);
    ASSERT_EQ(writer.CreateNewPDF(folder.PathOf("second.pdf"), 13), eSuccess);
    ObjectsContext& objects = writer.GetObjectsContext();
    objects.AllocateAndStartIndirectObject();
    DictionaryContext* open = objects.StartDictionary();
    late.reset();
    EXPECT_EQ(objects.EndDictionary(open), eSuccess);
    objects.EndIndirectObject();
    WriteEmptyPage(writer);
    ASSERT_EQ(writer.EndPDF(), eSuccess);
    ExpectQpdfAccepts(folder.PathOf("second.pdf"));
}

TEST(WritingStep, AStepThatMeetsARefusedWriteFailsWherever)
{
    // The output stops taking bytes after each count in turn while one step writes: the step
    // fails, undoing what it began, and the document can no longer end as if complete. Each
    // step's own failure paths show in the log at some count.
    TestDirectory folder;
    const std::string source = folder.Write("source.pdf", TwoPageSource(SourceForm::ClassicTable));
    parsertest::PdfBuilder placed = parsertest::PagesDocument(
        {"/Resources << /Font << /F1 5 0 R >> /ExtGState << /G << /Type /ExtGState /Font [6 0 R 12] >> >> >>"});
    placed.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    placed.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Courier >>");
    const std::string page = folder.Write("placed.pdf", placed.Build());
    JPEGTestSupport::JPEGRecipe recipe;
    recipe.mWidth = recipe.mHeight = 16;
    const std::string jpeg = folder.Write("mark.jpg", JPEGTestSupport::MakeJPEG(recipe));
    auto rewrite = [](const std::string& inImage) {
        return [inImage](PDFWriter& inWriter) {
            PageRewriter rewriter(&inWriter, 0);
            XObjectContentContext* content = rewriter.StartContentContext();
            if (!inImage.empty() && content->DrawImage(10, 10, inImage, ImageOptions()) != eSuccess)
                return false;
            content->Rectangle(10, 10, 20, 20);
            content->Fill();
            return rewriter.EndContentContext() == eSuccess && rewriter.WritePage() == eSuccess;
        };
    };
    const struct {
        const char* step;
        bool update;
        std::function<bool(PDFWriter&)> write;
        std::vector<std::string> logged;
    } steps[] = {
        {"a page copy", false,
         [&](PDFWriter& inWriter) {
             return inWriter.AppendPDFPagesFromPDF(source, PageSelection()).mStatus == eSuccess;
         },
         {"PDFDocumentHandler::CreatePDFPageForPage, the page object could not be written"}},
        {"a page rewrite", true, rewrite(""),
         {"ObjectsContext::EndStream, the stream's data could not be written in full",
          "DocumentContext::FinishFormXObject, the resources of the form",
          "PageRewriter::WritePage, failed to write the page again"}},
        {"a rewrite placing a JPEG", true, rewrite(jpeg),
         {"JPEGImageHandler::CreateFormXObjectFromJPGFile, unable to create image xobject",
          "JPEGImageHandler::CreateFormXObjectFromJPGFile, unable to create form xobject"}},
        {"a rewrite placing a page", true, rewrite(page),
         {"PDFDocumentHandler::MergePDFPageToFormXObject, failed to merge page 0"}},
    };
    for (const auto& row : steps) {
        SCOPED_TRACE(row.step);
        LogCapture log;
        // Every few bytes: each path of a step spans more than that.
        for (size_t budget = 0;; budget += 4) {
            PDFWriter writer;
            const std::string out = folder.PathOf("refused.pdf");
            ASSERT_EQ(row.update ? writer.StartIncrementalUpdate(source, 13, out, log.Settings())
                                 : writer.CreateNewPDF(out, 13, log.Settings()),
                      eSuccess);
            ObjectsContext& objects = writer.GetObjectsContext();
            WriterTestSupport::LimitedTarget refusing(budget, objects.GetOutputStream());
            objects.SetOutputStream(&refusing);
            const bool written = row.write(writer);
            EXPECT_EQ(written, !objects.HasFailed()) << budget;
            EXPECT_NE(writer.EndPDF(), eSuccess) << budget;
            if (written)
                break;
        }
        for (const std::string& line : row.logged)
            EXPECT_TRUE(log.Contains(line)) << line;
    }
}
