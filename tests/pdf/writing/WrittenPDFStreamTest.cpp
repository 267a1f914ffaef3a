#include "pdf/writing/ObjectsContext.h"

#include "pdf/writing/WriterTestSupport.h"
#include "pdf/support/ZlibData.h"
#include "pdf/support/LogCapture.h"

#include <gtest/gtest.h>

#include <string>

using testsupport::Inflate;
using WriterTestSupport::LimitedTarget;
using testsupport::LogCapture;
using WriterTestSupport::MemoryContext;

namespace {

void WriteData(WrittenPDFStream& inStream, const std::string& inData)
{
    ASSERT_NE(inStream.GetWriteStream(), nullptr);
    EXPECT_EQ(inStream.GetWriteStream()->WriteBytes(reinterpret_cast<const Byte*>(inData.data()), inData.size()),
              inData.size());
}

// The bytes between "stream" CR LF and CR LF "endstream".
std::string StreamData(const std::string& inFile)
{
    size_t start = inFile.find("stream\r\n");
    size_t end = inFile.rfind("\r\nendstream\r\n");
    if (start == std::string::npos || end == std::string::npos || end < start + 8)
        return "<no stream>";
    return inFile.substr(start + 8, end - start - 8);
}

// Starts object 1 with an uncompressing context and a dictionary holding Type inType.
DictionaryContext* StartTypedObject(ObjectsContext& inContext, const char* inType)
{
    inContext.SetCompressStreams(false);
    inContext.AllocateAndStartIndirectObject();
    DictionaryContext* dictionary = inContext.StartDictionary();
    dictionary->WriteKey("Type");
    inContext.GetValueWriter().WriteNameValue(inType, eTokenSeparatorEndLine);
    return dictionary;
}

std::string Repeated(size_t inSize)
{
    std::string data;
    while (data.size() < inSize)
        data += "0 0 m 100 100 l S q 1 0 0 1 " + std::to_string(data.size() % 977) + " 0 cm Q\n";
    data.resize(inSize);
    return data;
}

TEST(WrittenPDFStream, DirectUncompressedStreamWritesItsLengthAsAnObjectAfterIt)
{
    MemoryContext memory;
    ObjectsContext& context = memory.Context();
    context.SetCompressStreams(false);
    ObjectIDType id = context.AllocateAndStartIndirectObject();
    std::unique_ptr<WrittenPDFStream> stream = context.StartStream();
    WriteData(*stream, "hello");
    EXPECT_EQ(context.EndStream(stream.get()), eSuccess);
    EXPECT_EQ(stream->GetLength(), 5);
    EXPECT_EQ(id, 1u);
    EXPECT_EQ(memory.Bytes(), "1 0 obj\r\n"
                              "<<\r\n"
                              "\t/Length 2 0 R\r\n"
                              ">>\r\n"
                              "stream\r\n"
                              "hello\r\n"
                              "endstream\r\n"
                              "endobj\r\n"
                              "2 0 obj\r\n"
                              "5\r\n"
                              "endobj\r\n");
    EXPECT_FALSE(context.HasFailed());
}

TEST(WrittenPDFStream, AnEmptyDirectStreamHasLengthZero)
{
    MemoryContext memory;
    ObjectsContext& context = memory.Context();
    DictionaryContext* dictionary = StartTypedObject(context, "XObject");
    std::unique_ptr<WrittenPDFStream> stream = context.StartStream(dictionary);
    context.EndStream(stream.get());
    EXPECT_EQ(memory.Bytes(), "1 0 obj\r\n<<\r\n\t/Type /XObject\r\n\t/Length 2 0 R\r\n>>\r\n"
                              "stream\r\n\r\nendstream\r\nendobj\r\n2 0 obj\r\n0\r\nendobj\r\n");
}

TEST(WrittenPDFStream, DirectCompressedStreamCountsTheEncodedBytes)
{
    const std::string data = Repeated(3 * 1024 * 1024 + 17);
    MemoryContext memory;
    ObjectsContext& context = memory.Context();
    context.AllocateAndStartIndirectObject();
    std::unique_ptr<WrittenPDFStream> stream = context.StartStream();
    // Many small writes, as a content stream gets them.
    for (size_t offset = 0; offset < data.size(); offset += 4096)
        WriteData(*stream, data.substr(offset, 4096));
    EXPECT_EQ(context.EndStream(stream.get()), eSuccess);

    std::string file = memory.Bytes();
    const std::string head = "1 0 obj\r\n<<\r\n\t/Filter /FlateDecode\r\n\t/Length 2 0 R\r\n>>\r\nstream\r\n";
    ASSERT_EQ(file.compare(0, head.size(), head), 0);
    std::string encoded = StreamData(file);
    EXPECT_EQ(stream->GetLength(), static_cast<LongFilePositionType>(encoded.size()));
    EXPECT_LT(encoded.size(), data.size() / 10);
    std::string tail = "\r\nendstream\r\nendobj\r\n2 0 obj\r\n" + std::to_string(encoded.size()) + "\r\nendobj\r\n";
    EXPECT_EQ(file.substr(file.size() - tail.size()), tail);
    std::string decoded;
    ASSERT_TRUE(Inflate(encoded, data.size(), decoded));
    EXPECT_TRUE(decoded == data);
}

TEST(WrittenPDFStream, BufferedStreamPutsLengthIntoItsStillOpenDictionary)
{
    MemoryContext memory;
    ObjectsContext& context = memory.Context();
    DictionaryContext* dictionary = StartTypedObject(context, "XRef");
    std::unique_ptr<WrittenPDFStream> stream = context.StartStream(dictionary, true);
    WriteData(*stream, "hello");
    // Nothing of the data reaches the file before the end, and the dictionary takes more keys.
    EXPECT_EQ(memory.Bytes(), "1 0 obj\r\n<<\r\n\t/Type /XRef\r\n");
    dictionary->WriteKey("Late");
    dictionary->WriteIntegerValue(1);
    EXPECT_EQ(context.EndStream(stream.get()), eSuccess);
    EXPECT_EQ(memory.Bytes(), "1 0 obj\r\n"
                              "<<\r\n"
                              "\t/Type /XRef\r\n"
                              "\t/Late 1\r\n"
                              "\t/Length 5\r\n"
                              ">>\r\n"
                              "stream\r\n"
                              "hello\r\n"
                              "endstream\r\n"
                              "endobj\r\n");
    EXPECT_EQ(context.GetInDirectObjectsRegistry().GetObjectsCount(), 2u); // no Length object
}

TEST(WrittenPDFStream, BufferedCompressedStreamHoldsTheEncodedData)
{
    const std::string data = Repeated(700000);
    MemoryContext memory;
    ObjectsContext& context = memory.Context();
    context.AllocateAndStartIndirectObject();
    std::unique_ptr<WrittenPDFStream> stream = context.StartStream(nullptr, true);
    WriteData(*stream, data);
    EXPECT_EQ(context.EndStream(stream.get()), eSuccess);

    std::string file = memory.Bytes();
    std::string head = "1 0 obj\r\n<<\r\n\t/Filter /FlateDecode\r\n\t/Length " + std::to_string(stream->GetLength()) +
                       "\r\n>>\r\nstream\r\n";
    ASSERT_EQ(file.compare(0, head.size(), head), 0);
    std::string encoded = StreamData(file);
    EXPECT_EQ(static_cast<LongFilePositionType>(encoded.size()), stream->GetLength());
    std::string decoded;
    ASSERT_TRUE(Inflate(encoded, data.size(), decoded));
    EXPECT_TRUE(decoded == data);
    EXPECT_EQ(file.substr(file.size() - 21), "\r\nendstream\r\nendobj\r\n");
}

TEST(WrittenPDFStream, RawStreamNeverCompressesAndHasNoFilter)
{
    MemoryContext memory;
    ObjectsContext& context = memory.Context();
    ASSERT_TRUE(context.IsCompressingStreams());
    context.AllocateAndStartIndirectObject();
    DictionaryContext* dictionary = context.StartDictionary();
    dictionary->WriteKey("Filter");
    context.GetValueWriter().WriteNameValue("DCTDecode", eTokenSeparatorEndLine);
    std::unique_ptr<WrittenPDFStream> stream = context.StartRawStream(dictionary);
    WriteData(*stream, "\xFF\xD8\xFF\xD9");
    context.EndStream(stream.get());
    EXPECT_EQ(memory.Bytes(), "1 0 obj\r\n<<\r\n\t/Filter /DCTDecode\r\n\t/Length 2 0 R\r\n>>\r\n"
                              "stream\r\n\xFF\xD8\xFF\xD9\r\nendstream\r\nendobj\r\n2 0 obj\r\n4\r\nendobj\r\n");
    EXPECT_FALSE(context.HasFailed());
}

TEST(WrittenPDFStream, LostStreamDataMakesTheContextFail)
{
    LogCapture log;
    LimitedTarget target(200);
    ObjectsContext context;
    context.SetOutputStream(&target);
    context.AllocateAndStartIndirectObject();
    std::unique_ptr<WrittenPDFStream> stream = context.StartStream();
    // Deflate output only comes at the end for small data; it then does not fit the target.
    std::string data = Repeated(5000);
    stream->GetWriteStream()->WriteBytes(reinterpret_cast<const Byte*>(data.data()), data.size());
    EXPECT_EQ(context.EndStream(stream.get()), eFailure);
    EXPECT_TRUE(context.HasFailed());
    EXPECT_TRUE(log.Contains("OutputFlateEncodeStream::FinalizeEncoding, Failed to write the desired amount of zlib bytes"));
    EXPECT_TRUE(log.Contains("ObjectsContext::EndStream, the stream's data could not be written in full"));
}

TEST(WrittenPDFStream, AStreamDictionaryThatAlreadyHasLengthKeepsItsSyntax)
{
    LogCapture log;
    MemoryContext memory;
    ObjectsContext& context = memory.Context();
    context.SetCompressStreams(false);
    context.AllocateAndStartIndirectObject();
    DictionaryContext* dictionary = context.StartDictionary();
    dictionary->WriteKey("Length");
    dictionary->WriteIntegerValue(3);
    std::unique_ptr<WrittenPDFStream> stream = context.StartStream(dictionary);
    WriteData(*stream, "abc");
    context.EndStream(stream.get());
    // No value without its key, no Length object that nothing refers to.
    EXPECT_EQ(memory.Bytes(), "1 0 obj\r\n<<\r\n\t/Length 3\r\n>>\r\nstream\r\nabc\r\nendstream\r\nendobj\r\n");
    EXPECT_EQ(context.GetInDirectObjectsRegistry().GetObjectsCount(), 2u);
    EXPECT_TRUE(context.HasFailed());
}

// Under AddressSanitizer any write into the deleted output shows here.
TEST(WrittenPDFStream, StreamsFromBeforeAResetOrEndedTwiceAreRefusedUntouched)
{
    LogCapture log;
    std::unique_ptr<OutputStringBufferStream> output(new OutputStringBufferStream());
    ObjectsContext context;
    context.SetOutputStream(output.get());
    context.AllocateAndStartIndirectObject();
    std::unique_ptr<WrittenPDFStream> stream = context.StartStream();
    WriteData(*stream, Repeated(1000));
    // Failure clean-up closes the file and resets before the stream's owner ends it.
    output.reset();
    context.Reset();
    EXPECT_EQ(context.EndStream(stream.get()), eFailure);
    EXPECT_TRUE(log.Contains("ObjectsContext::EndStream, the stream was not started in this document or was ended already"));
    EXPECT_TRUE(context.HasFailed());
    stream.reset(); // an unfinished stream goes without a word to its old output

    MemoryContext memory;
    memory.Context().AllocateAndStartIndirectObject();
    std::unique_ptr<WrittenPDFStream> once = memory.Context().StartStream();
    EXPECT_EQ(memory.Context().EndStream(once.get()), eSuccess);
    std::string ended = memory.Bytes();
    EXPECT_EQ(memory.Context().EndStream(once.get()), eFailure);
    EXPECT_EQ(memory.Bytes(), ended);
}

TEST(WrittenPDFStream, ABufferedStreamWhoseDictionaryWasEndedEarlyFailsCleanly)
{
    LogCapture log;
    MemoryContext memory;
    ObjectsContext& context = memory.Context();
    context.AllocateAndStartIndirectObject();
    DictionaryContext* dictionary = context.StartDictionary();
    std::unique_ptr<WrittenPDFStream> stream = context.StartStream(dictionary, true);
    context.EndDictionary(dictionary); // deletes it
    EXPECT_EQ(context.EndStream(stream.get()), eFailure);
    EXPECT_TRUE(log.Contains("ObjectsContext::EndStream, the dictionary of the stream was ended before the stream"));

    // Starting a stream on the ended dictionary gives the stream a fresh one instead.
    std::unique_ptr<WrittenPDFStream> other = context.StartStream(dictionary, true);
    EXPECT_TRUE(log.Contains("ObjectsContext::StartStream, the stream dictionary is not open"));
    EXPECT_EQ(context.EndStream(other.get()), eSuccess);
    EXPECT_TRUE(context.HasFailed());
}

} // namespace
