// A step of writing that fails part-way is unwound to where it began: whatever it left open (an
// object, a dictionary, an array, a stream written to the file or kept in memory) is closed, its
// ids are given back, what was open before it stays open; the document goes on and ends in a file
// qpdf accepts, in a new file and in an update (where a rewritten object keeps its old version).

#include "pdf/updating/UpdateTestSupport.h"

#include "pdf/support/LogCapture.h"
#include "pdf/writing/OutputPage.h"
#include "pdf/writing/PageRewriter.h"
#include "pdf/writing/WritingStep.h"
#include "pdf/writing/XObjectContentContext.h"

using namespace updatetest;
using testsupport::ExpectQpdfAccepts;
using testsupport::QpdfPageCount;
using testsupport::ReadFile;
using testsupport::TestDirectory;

namespace {

enum class Left { Object, Dictionary, Array, FileStream, MemoryStream, NothingInsideAnOpenStream };
const char* const kLeftNames[] = {"an object", "a dictionary", "an array", "a stream in the file",
                                  "a stream in memory", "nothing, inside an open stream"};

// The object the step writes: a new one, or in an update a new version of page 1 (object 3).
void StartStepObject(ObjectsContext& inObjects, WritingStep& inStep, bool inUpdate)
{
    if (inUpdate)
        inObjects.StartUpdatedIndirectObject(3);
    else
        inObjects.StartIndirectObject(inStep.ReserveID());
}

void FailAStep(ObjectsContext& inObjects, Left inLeft, bool inUpdate)
{
    WritingStep step(inObjects);
    switch (inLeft) {
    case Left::Object:
        StartStepObject(inObjects, step, inUpdate);
        inObjects.WriteInteger(7, eTokenSeparatorSpace);
        break;
    case Left::Dictionary: {
        StartStepObject(inObjects, step, inUpdate);
        DictionaryContext* dictionary = inObjects.StartDictionary();
        dictionary->WriteKey("Step");
        inObjects.StartDictionary()->WriteKey("Inner");
        break;
    }
    case Left::Array:
        StartStepObject(inObjects, step, inUpdate);
        inObjects.StartArray();
        inObjects.WriteInteger(1, eTokenSeparatorSpace);
        break;
    case Left::FileStream:
    case Left::MemoryStream: {
        StartStepObject(inObjects, step, inUpdate);
        std::unique_ptr<WrittenPDFStream> stream = inObjects.StartStream(nullptr, inLeft == Left::MemoryStream);
        const std::string data = "0 0 m 50 50 l S endobj trailer";
        stream->GetWriteStream()->WriteBytes(reinterpret_cast<const Byte*>(data.data()), data.size());
        stream->FinalizeLength();
        break; // the stream itself is gone before the step unwinds
    }
    case Left::NothingInsideAnOpenStream: {
        // An object and a stream in memory opened before the step, which the unwinding leaves open.
        inObjects.AllocateAndStartIndirectObject();
        std::unique_ptr<WrittenPDFStream> outer = inObjects.StartStream(nullptr, true);
        {
            WritingStep inner(inObjects);
            inner.ReserveID();
            inner.Unwind();
            inner.Unwind(); // once
        }
        const std::string data = "0 0 m 10 10 l S";
        outer->GetWriteStream()->WriteBytes(reinterpret_cast<const Byte*>(data.data()), data.size());
        EXPECT_EQ(inObjects.EndStream(outer.get()), eSuccess);
        break;
    }
    }
}

} // namespace

TEST(WritingStep, AFailedStepIsUnwoundAndTheDocumentEnds)
{
    TestDirectory folder;
    const std::string source = folder.Write("source.pdf", TwoPageSource(SourceForm::ClassicTable));
    for (bool update : {false, true}) {
        for (int left = 0; left <= static_cast<int>(Left::NothingInsideAnOpenStream); ++left) {
            SCOPED_TRACE(std::string(update ? "update, " : "new file, ") + kLeftNames[left]);
            const std::string out = folder.PathOf("out" + std::to_string(update) + std::to_string(left) + ".pdf");
            PDFWriter writer;
            ObjectsContext& objects = writer.GetObjectsContext();
            if (update) {
                ASSERT_EQ(writer.StartIncrementalUpdate(source, 13, out), eSuccess);
            } else {
                ASSERT_EQ(writer.CreateNewPDF(out, 13), eSuccess);
            }
            objects.SetCompressStreams(false);
            FailAStep(objects, static_cast<Left>(left), update);
            EXPECT_FALSE(objects.HasFailed());
            // The document goes on: a page after the step.
            if (update) {
                PageRewriter rewriter(&writer, 1);
                XObjectContentContext* content = rewriter.StartContentContext();
                ASSERT_NE(content, nullptr);
                content->Rectangle(10, 10, 20, 20);
                content->Fill();
                EXPECT_EQ(rewriter.WritePage(), eSuccess);
            } else {
                OutputPage page;
                page.SetMediaBox(PDFRectangle(0, 0, 200, 200));
                ObjectIDType pageID = 0;
                EXPECT_EQ(writer.GetDocumentContext().WritePage(&page, pageID), eSuccess);
            }
            ASSERT_EQ(writer.EndPDF(), eSuccess);
            ExpectQpdfAccepts(out);
            EXPECT_EQ(QpdfPageCount(out), update ? 2 : 1);
            if (update) {
                EXPECT_EQ(QpdfObject(out, "3").find("Step"), std::string::npos) << "page 1 keeps its old version";
            }
            // Data written straight to the file ends as a stream before its object ends.
            const std::string bytes = ReadFile(out);
            if (left == static_cast<int>(Left::FileStream)) {
                EXPECT_NE(bytes.find("endobj trailer\r\nendstream\r\n\r\nendobj"), std::string::npos);
            }
        }
    }

    // A step of a document that has ended since leaves the next document alone.
    testsupport::LogCapture log;
    PDFWriter writer;
    ASSERT_EQ(writer.CreateNewPDF(folder.PathOf("first.pdf"), 13), eSuccess);
    auto late = std::make_unique<WritingStep>(writer.GetObjectsContext());
    ASSERT_EQ(writer.EndPDF(), eSuccess);
    const std::string second = folder.PathOf("second.pdf");
    ASSERT_EQ(writer.CreateNewPDF(second, 13, log.Settings()), eSuccess);
    ObjectsContext& objects = writer.GetObjectsContext();
    objects.AllocateAndStartIndirectObject();
    DictionaryContext* open = objects.StartDictionary();
    late.reset();
    open->WriteKey("Kept");
    objects.WriteNull();
    EXPECT_EQ(objects.EndDictionary(open), eSuccess);
    objects.EndIndirectObject();
    OutputPage page;
    page.SetMediaBox(PDFRectangle(0, 0, 100, 100));
    ObjectIDType pageID = 0;
    EXPECT_EQ(writer.GetDocumentContext().WritePage(&page, pageID), eSuccess);
    ASSERT_EQ(writer.EndPDF(), eSuccess) << log.Text();
    ExpectQpdfAccepts(second);
}
