// A write that is lost anywhere must make the objects context report failure, so that the end of
// the document cannot call a broken file finished.

#include "pdf/io/OutputBufferedStream.h"
#include "pdf/writing/ObjectsContext.h"

#include "pdf/writing/WriterTestSupport.h"
#include "pdf/support/LogCapture.h"

#include <gtest/gtest.h>

#include <string>

using WriterTestSupport::LimitedTarget;
using testsupport::LogCapture;

namespace {

TEST(ObjectsContextFailure, TokensRefusedByTheTargetAreRemembered)
{
    LogCapture log;
    LimitedTarget target(20);
    ObjectsContext context;
    context.SetOutputStream(&target);
    context.AllocateAndStartIndirectObject();
    EXPECT_FALSE(context.HasFailed());
    DictionaryContext* dictionary = context.StartDictionary();
    dictionary->WriteKey("Type");
    context.GetValueWriter().WriteNameValue("Catalog", eTokenSeparatorEndLine);
    context.EndDictionary(dictionary);
    context.EndIndirectObject();
    EXPECT_TRUE(context.HasFailed());
    EXPECT_EQ(target.Data().size(), 20u);
    EXPECT_TRUE(log.Contains("PDFValueWriter::WriteBytes, failed to write to the output stream. supposed to write"));

    // Writing on does not make it good again; only a reset does.
    LimitedTarget roomy(1000);
    context.SetOutputStream(&roomy);
    context.WriteKeyword("trailer");
    EXPECT_TRUE(context.HasFailed());
    context.Reset();
    EXPECT_FALSE(context.HasFailed());
}

TEST(ObjectsContextFailure, DataWrittenPastTheContextIntoAFailedFileIsSeen)
{
    // The file under the buffered stream takes the first 1000 bytes only.
    LimitedTarget* file = new LimitedTarget(1000);
    OutputBufferedStream output(file);
    ObjectsContext context;
    context.SetOutputStream(&output);
    context.SetCompressStreams(false);
    context.AllocateAndStartIndirectObject();
    std::unique_ptr<WrittenPDFStream> stream = context.StartStream();
    // Uncompressed content goes straight to the output, not through the context's writer; the
    // loss shows when the buffer goes to the file.
    std::string data(600000, 'x');
    stream->GetWriteStream()->WriteBytes(reinterpret_cast<const Byte*>(data.data()), data.size());
    EXPECT_TRUE(output.HasFailed());
    EXPECT_TRUE(context.HasFailed());
    context.EndStream(stream.get());
    EXPECT_TRUE(context.HasFailed());
}

TEST(ObjectsContextFailure, ARefusedMarkingIsRememberedAndTheHeaderStillWritten)
{
    LogCapture log;
    WriterTestSupport::MemoryContext memory;
    ObjectsContext& context = memory.Context();
    ObjectIDType id = context.AllocateAndStartIndirectObject();
    context.EndIndirectObject();
    EXPECT_FALSE(context.HasFailed());
    context.StartIndirectObject(id);
    EXPECT_TRUE(context.HasFailed());
    EXPECT_EQ(memory.Bytes(), "1 0 obj\r\nendobj\r\n1 0 obj\r\n");
    EXPECT_TRUE(log.Contains("IndirectObjectsReferenceRegistry::MarkObjectAsWritten, Object rewrite failure."));
}

TEST(ObjectsContextFailure, AnObjectStartedInsideAnotherIsRemembered)
{
    LogCapture log;
    const char message[] = "ObjectsContext::StartIndirectObject, object 2 starts while a dictionary or a stream is still open";

    // Inside an open dictionary.
    {
        WriterTestSupport::MemoryContext memory;
        ObjectsContext& context = memory.Context();
        context.AllocateAndStartIndirectObject();
        DictionaryContext* dictionary = context.StartDictionary();
        context.AllocateAndStartIndirectObject();
        EXPECT_TRUE(context.HasFailed());
        context.EndDictionary(dictionary);
    }
    EXPECT_TRUE(log.Contains(message));

    // Inside the data of a stream written straight to the output.
    {
        WriterTestSupport::MemoryContext memory;
        ObjectsContext& context = memory.Context();
        context.SetCompressStreams(false);
        context.AllocateAndStartIndirectObject();
        std::unique_ptr<WrittenPDFStream> stream = context.StartStream();
        ObjectIDType inner = context.GetInDirectObjectsRegistry().ReserveNewObjectID();
        context.StartIndirectObject(inner);
        context.EndIndirectObject();
        EXPECT_TRUE(context.HasFailed());
        context.EndStream(stream.get());
    }
    // Once the stream is ended, objects follow it freely.
    {
        WriterTestSupport::MemoryContext memory;
        ObjectsContext& context = memory.Context();
        context.AllocateAndStartIndirectObject();
        std::unique_ptr<WrittenPDFStream> stream = context.StartStream(nullptr, true);
        EXPECT_EQ(context.EndStream(stream.get()), eSuccess);
        context.AllocateAndStartIndirectObject();
        context.EndIndirectObject();
        EXPECT_FALSE(context.HasFailed());
    }
}

} // namespace
