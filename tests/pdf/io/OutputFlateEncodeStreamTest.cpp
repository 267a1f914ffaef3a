#include "pdf/io/OutputFlateEncodeStream.h"

#include "pdf/io/OutputStringBufferStream.h"
#include "pdf/writing/WriterTestSupport.h"
#include "pdf/support/ZlibData.h"
#include "pdf/support/LogCapture.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using testsupport::Inflate;
using WriterTestSupport::LimitedTarget;
using testsupport::LogCapture;

namespace {

// Text-like runs mixed with noise, so that deflate produces more than one output buffer.
std::string MakeData(size_t inSize)
{
    std::string data;
    data.reserve(inSize);
    std::mt19937 random(7);
    while (data.size() < inSize) {
        if (random() % 3 == 0) {
            for (int i = 0; i < 512 && data.size() < inSize; ++i)
                data.push_back(static_cast<char>(random() & 0xFF));
        } else {
            data.append("BT /F1 12 Tf 72 712 Td (Hello, world) Tj ET\n", 0,
                        std::min<size_t>(45, inSize - data.size()));
        }
    }
    return data;
}

std::string Encode(const std::string& inData, size_t inChunk)
{
    OutputStringBufferStream target;
    OutputFlateEncodeStream encoder;
    encoder.Assign(&target);
    encoder.StartEncoding();
    for (size_t offset = 0; offset < inData.size(); offset += inChunk) {
        size_t count = std::min(inChunk, inData.size() - offset);
        EXPECT_EQ(encoder.WriteBytes(reinterpret_cast<const Byte*>(inData.data()) + offset, count), count);
    }
    encoder.FinalizeEncoding();
    EXPECT_FALSE(encoder.HasFailed());
    encoder.Detach();
    return target.ContentsAsString();
}

TEST(OutputFlateEncodeStream, LargeDataRoundTripsInAnyWriteSize)
{
    const std::string data = MakeData(24 * 1024 * 1024);
    for (size_t chunk : {size_t(1) << 30, size_t(0x40000), size_t(100003)}) {
        std::string encoded = Encode(data, chunk);
        EXPECT_LT(encoded.size(), data.size());
        std::string decoded;
        ASSERT_TRUE(Inflate(encoded, data.size(), decoded)) << "chunk " << chunk;
        EXPECT_TRUE(decoded == data) << "chunk " << chunk;
    }
}

TEST(OutputFlateEncodeStream, NothingIsWrittenBeforeTheEndOfAnEmptyEncoding)
{
    OutputStringBufferStream target;
    OutputFlateEncodeStream encoder;
    encoder.Assign(&target);
    encoder.StartEncoding();
    Byte none[1] = {0};
    EXPECT_EQ(encoder.WriteBytes(none, 0), 0u);
    EXPECT_EQ(target.TellPosition(), 0);
    encoder.FinalizeEncoding();
    EXPECT_FALSE(encoder.IsEncoding());
    encoder.Detach();

    std::string encoded = target.ContentsAsString();
    ASSERT_GE(encoded.size(), 8u); // two header bytes, a final block, the four-byte checksum
    EXPECT_EQ(static_cast<unsigned char>(encoded[0]), 0x78);
    std::string decoded;
    EXPECT_TRUE(Inflate(encoded, 0, decoded));
}

TEST(OutputFlateEncodeStream, ATargetThatStopsTakingBytesFailsTheEncoding)
{
    LogCapture log;
    const std::string data = MakeData(4 * 1024 * 1024);
    LimitedTarget target(1000);
    OutputFlateEncodeStream encoder;
    encoder.Assign(&target);
    encoder.StartEncoding();
    EXPECT_EQ(encoder.WriteBytes(reinterpret_cast<const Byte*>(data.data()), data.size()), 0u);
    EXPECT_TRUE(encoder.HasFailed());
    EXPECT_FALSE(encoder.IsEncoding());
    EXPECT_TRUE(log.Contains("OutputFlateEncodeStream::EncodeBufferAndWrite, Failed to write the desired amount of zlib bytes "
                             "to underlying stream. supposed to write 262144, wrote 1000"));
    // Plain bytes must not follow the compressed ones into the same stream.
    EXPECT_EQ(encoder.WriteBytes(reinterpret_cast<const Byte*>("abc"), 3), 0u);
    EXPECT_EQ(target.Data().size(), 1000u);
    encoder.Detach();
}

TEST(OutputFlateEncodeStream, TheEndOfTheDataCanFailToo)
{
    LogCapture log;
    LimitedTarget target(4);
    OutputFlateEncodeStream encoder;
    encoder.Assign(&target);
    encoder.StartEncoding();
    EXPECT_EQ(encoder.WriteBytes(reinterpret_cast<const Byte*>("some text"), 9), 9u);
    encoder.FinalizeEncoding();
    EXPECT_TRUE(encoder.HasFailed());
    EXPECT_TRUE(log.Contains("OutputFlateEncodeStream::FinalizeEncoding, Failed to write the desired amount of zlib bytes"));
    encoder.Detach();
}

TEST(OutputFlateEncodeStream, WithoutEncodingBytesPassThroughAndPositionIsTheTargets)
{
    OutputStringBufferStream target;
    OutputFlateEncodeStream encoder;
    EXPECT_EQ(encoder.WriteBytes(reinterpret_cast<const Byte*>("abc"), 3), 0u); // no target yet
    EXPECT_EQ(encoder.TellPosition(), 0);
    encoder.Assign(&target);
    EXPECT_EQ(encoder.WriteBytes(reinterpret_cast<const Byte*>("abc"), 3), 3u);
    EXPECT_EQ(encoder.TellPosition(), 3);
    EXPECT_EQ(target.ContentsAsString(), "abc");
    EXPECT_EQ(encoder.Detach(), &target);
}

TEST(OutputFlateEncodeStream, DestructionFinishesTheDataAndDeletesAnAttachedTarget)
{
    // The target outlives the encoder through a second owner of its buffer.
    MyStringBuf buffer;
    {
        OutputFlateEncodeStream encoder(new OutputStringBufferStream(&buffer));
        encoder.StartEncoding();
        encoder.WriteBytes(reinterpret_cast<const Byte*>("hello hello hello"), 17);
    }
    std::string decoded;
    EXPECT_TRUE(Inflate(buffer.str(), 17, decoded));
    EXPECT_EQ(decoded, "hello hello hello");
}

TEST(OutputFlateEncodeStream, DetachingInTheMiddleDropsTheRestWithoutWriting)
{
    OutputStringBufferStream target;
    OutputFlateEncodeStream encoder;
    encoder.Assign(&target);
    encoder.StartEncoding();
    encoder.WriteBytes(reinterpret_cast<const Byte*>("short"), 5);
    std::string before = target.ContentsAsString();
    EXPECT_EQ(encoder.Detach(), &target);
    EXPECT_FALSE(encoder.IsEncoding());
    EXPECT_EQ(target.ContentsAsString(), before);
}

} // namespace
