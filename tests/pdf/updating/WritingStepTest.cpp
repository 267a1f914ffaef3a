// A step of writing that fails part-way is unwound to where it began: only what it opened is
// closed, its ids are given back, and the document ends in a file qpdf accepts, new or updated.

#include "pdf/updating/UpdateTestSupport.h"

#include "pdf/writing/OutputPage.h"
#include "pdf/writing/WritingStep.h"

using namespace updatetest;
using testsupport::ExpectQpdfAccepts;
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
