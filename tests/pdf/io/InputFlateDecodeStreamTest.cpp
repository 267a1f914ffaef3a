#include "pdf/io/InputFlateDecodeStream.h"

#include "FilterTestSupport.h"

#include "pdf/support/ZlibData.h"

using namespace filtertest;

namespace {

Bytes Compress(const Bytes& inData)
{
    std::string compressed = testsupport::Deflate(std::string(inData.begin(), inData.end()));
    EXPECT_FALSE(compressed.empty());
    return ToBytes(compressed);
}

// Random stretches mixed with long repeats, so both stored-like and matched data occur.
Bytes MixedData(size_t inSize)
{
    Bytes data = PseudoRandomBytes(inSize, 7);
    for (size_t at = 0; at + 5000 < inSize; at += 20000)
        for (size_t i = 0; i < 5000; ++i)
            data[at + i] = static_cast<Byte>("Kestrin "[i % 8]);
    return data;
}

Bytes Inflate(const Bytes& inCompressed, size_t inPieceSize = 4096, size_t inSourceChunk = static_cast<size_t>(-1))
{
    InputFlateDecodeStream decoder(new OwnedBytesReader(inCompressed, inSourceChunk));
    EXPECT_EQ(decoder.StartEncoding(), eSuccess);
    return ReadAll(decoder, inPieceSize);
}

TEST(InputFlateDecodeStream, DecodesZlibDataOfEverySize)
{
    for (size_t size : {size_t(0), size_t(1), size_t(1000), size_t(70000), size_t(1500000)}) {
        Bytes data = MixedData(size);
        Bytes compressed = Compress(data);
        EXPECT_EQ(Inflate(compressed), data) << size;
        EXPECT_EQ(Inflate(compressed, 1 << 20), data) << size;
        if (size <= 70000) {
            EXPECT_EQ(Inflate(compressed, 1), data) << size;
            EXPECT_EQ(Inflate(compressed, 333, 1), data) << size;
        }
    }
}

TEST(InputFlateDecodeStream, EndsWithTheCompressedDataAndIgnoresWhatFollows)
{
    LogCapture log;
    Bytes data = MixedData(100000);
    Bytes compressed = Compress(data);
    Bytes padded = compressed;
    Bytes trailing = ToBytes("\r\nendstream garbage that is not zlib data");
    padded.insert(padded.end(), trailing.begin(), trailing.end());

    InputFlateDecodeStream decoder(new OwnedBytesReader(padded));
    ASSERT_EQ(decoder.StartEncoding(), eSuccess);
    Bytes all(data.size() + 100);
    size_t got = decoder.Read(all.data(), all.size());
    EXPECT_EQ(got, data.size());
    all.resize(got);
    EXPECT_EQ(all, data);
    EXPECT_FALSE(decoder.HasMoreBytes());
    Byte buffer[8];
    EXPECT_EQ(decoder.Read(buffer, sizeof(buffer)), 0u);
    EXPECT_EQ(log.LineCount(), 0u);

    // A read that takes exactly the decoded size may leave the end to the next read, which then
    // gives nothing and ends the data.
    InputFlateDecodeStream exact(new OwnedBytesReader(compressed));
    ASSERT_EQ(exact.StartEncoding(), eSuccess);
    Bytes out(data.size());
    EXPECT_EQ(exact.Read(out.data(), out.size()), data.size());
    if (exact.HasMoreBytes()) {
        EXPECT_EQ(exact.Read(buffer, sizeof(buffer)), 0u);
    }
    EXPECT_FALSE(exact.HasMoreBytes());
    EXPECT_EQ(out, data);
}

TEST(InputFlateDecodeStream, TruncatedDataGivesItsDecodedPrefixThenStops)
{
    Bytes data = MixedData(300000);
    Bytes compressed = Compress(data);
    for (size_t cut : {compressed.size() - 1, compressed.size() - 4, compressed.size() / 2, size_t(3)}) {
        LogCapture log;
        Bytes truncated(compressed.begin(), compressed.begin() + static_cast<std::ptrdiff_t>(cut));
        InputFlateDecodeStream decoder(new OwnedBytesReader(truncated));
        ASSERT_EQ(decoder.StartEncoding(), eSuccess);
        Bytes out = ReadAll(decoder, 5000);
        ASSERT_LE(out.size(), data.size());
        EXPECT_TRUE(std::equal(out.begin(), out.end(), data.begin())) << cut;
        EXPECT_FALSE(decoder.HasMoreBytes());
        Byte buffer[8];
        EXPECT_EQ(decoder.Read(buffer, sizeof(buffer)), 0u);
        EXPECT_EQ(log.LineCount(), 1u) << log.Text();
        EXPECT_TRUE(log.Contains("InputFlateDecodeStream::DecodeBufferAndWrite, compressed data ended before the end of the zlib stream"));
    }
    // Without its checksum the data is all there, whatever the read sizes: output that zlib
    // still holds when the input runs out is handed out before the reader stops.
    Bytes noChecksum(compressed.begin(), compressed.end() - 4);
    for (size_t piece : {size_t(1), size_t(258), size_t(4096), data.size()}) {
        LogCapture log;
        InputFlateDecodeStream decoder(new OwnedBytesReader(noChecksum));
        ASSERT_EQ(decoder.StartEncoding(), eSuccess);
        EXPECT_EQ(ReadAll(decoder, piece), data) << piece;
        EXPECT_EQ(log.LineCount(), 1u);
    }
}

TEST(InputFlateDecodeStream, DamagedDataFailsForGoodAndIsNeverPassedThrough)
{
    {
        // Not zlib data at all: nothing of it comes out.
        LogCapture log;
        Bytes text = ToBytes("BT /F1 12 Tf 72 712 Td (plain text, not compressed) Tj ET");
        InputFlateDecodeStream decoder(new OwnedBytesReader(text));
        ASSERT_EQ(decoder.StartEncoding(), eSuccess);
        Byte buffer[256];
        EXPECT_EQ(decoder.Read(buffer, sizeof(buffer)), 0u);
        EXPECT_FALSE(decoder.HasMoreBytes());
        EXPECT_EQ(decoder.Read(buffer, sizeof(buffer)), 0u);
        EXPECT_TRUE(log.Contains("InputFlateDecodeStream::DecodeBufferAndWrite, failed to write zlib information. returned error code = -3"));
        EXPECT_EQ(log.LineCount(), 1u);
    }
    {
        // Damage in the middle: what came before it is sound, then the reader stops for good.
        LogCapture log;
        Bytes data = MixedData(200000);
        Bytes compressed = Compress(data);
        for (size_t i = compressed.size() / 2; i < compressed.size() / 2 + 64; ++i)
            compressed[i] = static_cast<Byte>(compressed[i] ^ 0x5A);
        InputFlateDecodeStream decoder(new OwnedBytesReader(compressed));
        ASSERT_EQ(decoder.StartEncoding(), eSuccess);
        Bytes out = ReadAll(decoder, 4096);
        EXPECT_LT(out.size(), data.size());
        EXPECT_FALSE(decoder.HasMoreBytes());
        EXPECT_TRUE(log.Contains("InputFlateDecodeStream::DecodeBufferAndWrite, failed to write zlib information"));
        EXPECT_EQ(log.LineCount(), 1u);
    }
    {
        // A source that stops yielding while it claims more: a read failure, final too.
        LogCapture log;
        Bytes compressed = Compress(MixedData(50000));
        compressed.resize(compressed.size() / 2);
        InputFlateDecodeStream decoder(new StallingReader(compressed));
        ASSERT_EQ(decoder.StartEncoding(), eSuccess);
        ReadAll(decoder, 4096);
        EXPECT_FALSE(decoder.HasMoreBytes());
        EXPECT_TRUE(log.Contains("InputFlateDecodeStream::DecodeBufferAndWrite, failed to read from source stream"));
    }
}

TEST(InputFlateDecodeStream, OneSharedStateServesStreamAfterStream)
{
    // Streams of sizes around the 64 KB input piece, one after another through one state (the
    // parser's tests add damaged ones between); while one reader holds the state, another makes
    // its own, and reads that take turns both decode.
    auto shared = std::make_shared<InflateState>();
    std::vector<std::pair<Bytes, Bytes>> streams; // (data, compressed)
    for (size_t size : {size_t(0), size_t(65535), size_t(65536), size_t(65537), size_t(262145)}) {
        Bytes data = PseudoRandomBytes(size, static_cast<uint32_t>(size + 1)); // barely compresses
        streams.emplace_back(data, Compress(data));
    }
    for (const auto& [data, compressed] : streams) {
        InputFlateDecodeStream decoder(new OwnedBytesReader(compressed, 1000), shared);
        EXPECT_EQ(ReadAll(decoder, 333), data) << data.size();
    }
    InputFlateDecodeStream first(new OwnedBytesReader(streams[4].second), shared);
    InputFlateDecodeStream second(new OwnedBytesReader(streams[2].second), shared);
    Bytes firstOut, secondOut;
    Byte buffer[7777];
    while (first.HasMoreBytes() || second.HasMoreBytes()) {
        size_t got = first.Read(buffer, sizeof(buffer));
        firstOut.insert(firstOut.end(), buffer, buffer + got);
        size_t other = second.Read(buffer, 5000);
        secondOut.insert(secondOut.end(), buffer, buffer + other);
        if (got == 0 && other == 0)
            break;
    }
    EXPECT_EQ(firstOut, streams[4].first);
    EXPECT_EQ(secondOut, streams[2].first);
}

TEST(InputFlateDecodeStream, AnEmptySourceGivesNothing)
{
    LogCapture log;
    InputFlateDecodeStream decoder(new OwnedBytesReader(Bytes{}));
    ASSERT_EQ(decoder.StartEncoding(), eSuccess);
    EXPECT_FALSE(decoder.HasMoreBytes());
    Byte buffer[4];
    EXPECT_EQ(decoder.Read(buffer, 4), 0u);
}

} // namespace
