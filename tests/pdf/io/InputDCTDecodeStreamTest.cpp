#include "pdf/io/InputDCTDecodeStream.h"

#include "FilterTestSupport.h"

#include "pdf/support/JPEGTestSupport.h"

#include <cstdlib>

using namespace filtertest;

namespace {

// Smooth content, so that lossy compression stays close to the source.
Bytes MakeImage(int inWidth, int inHeight, int inComponents)
{
    Bytes pixels(static_cast<size_t>(inWidth) * inHeight * inComponents);
    for (int y = 0; y < inHeight; ++y)
        for (int x = 0; x < inWidth; ++x)
            for (int c = 0; c < inComponents; ++c)
                pixels[(static_cast<size_t>(y) * inWidth + x) * inComponents + c] =
                    static_cast<Byte>(40 + (x * 150) / (inWidth + 1) + (y * 50) / (inHeight + 1) + c * 10);
    return pixels;
}

// Compresses with libjpeg; inScans, when given, is the progressive scan script to use.
Bytes Compress(const Bytes& inPixels, int inWidth, int inHeight, int inComponents, bool inProgressive = false,
               const std::vector<jpeg_scan_info>* inScans = nullptr)
{
    JPEGTestSupport::JPEGRecipe recipe;
    recipe.mWidth = inWidth;
    recipe.mHeight = inHeight;
    recipe.mComponents = inComponents;
    recipe.mProgressive = inProgressive;
    return ToBytes(JPEGTestSupport::CompressJPEG(recipe, inPixels, inScans));
}

Bytes Decode(const Bytes& inJpeg, size_t inPieceSize = 4096, size_t inSourceChunk = static_cast<size_t>(-1))
{
    InputDCTDecodeStream decoder(new OwnedBytesReader(inJpeg, inSourceChunk));
    EXPECT_EQ(decoder.InitializeDecodingState(), eSuccess);
    return ReadAll(decoder, inPieceSize);
}

int LargestDifference(const Bytes& inA, const Bytes& inB)
{
    int largest = 0;
    for (size_t i = 0; i < inA.size() && i < inB.size(); ++i)
        largest = std::max(largest, std::abs(static_cast<int>(inA[i]) - static_cast<int>(inB[i])));
    return largest;
}

TEST(InputDCTDecodeStream, DecodesGrayAndColourImagesOfAnySize)
{
    const int sizes[][2] = {{1, 1}, {8, 8}, {17, 9}, {33, 100}, {257, 3}, {64, 48}};
    for (int components : {1, 3})
        for (bool progressive : {false, true})
            for (const auto& size : sizes) {
                SCOPED_TRACE(std::to_string(size[0]) + "x" + std::to_string(size[1]) + " components " +
                             std::to_string(components) + (progressive ? " progressive" : ""));
                Bytes pixels = MakeImage(size[0], size[1], components);
                Bytes jpeg = Compress(pixels, size[0], size[1], components, progressive);
                Bytes decoded = Decode(jpeg);
                ASSERT_EQ(decoded.size(), pixels.size());
                EXPECT_LE(LargestDifference(decoded, pixels), 12);
                EXPECT_EQ(Decode(jpeg, 5, 7), decoded);
            }
}

TEST(InputDCTDecodeStream, ReportsTheEndOnlyAfterTheLastRow)
{
    Bytes pixels = MakeImage(20, 10, 3);
    InputDCTDecodeStream decoder(new OwnedBytesReader(Compress(pixels, 20, 10, 3)));
    ASSERT_EQ(decoder.InitializeDecodingState(), eSuccess);
    Bytes buffer(pixels.size());
    EXPECT_TRUE(decoder.HasMoreBytes());
    EXPECT_EQ(decoder.Read(buffer.data(), buffer.size() - 1), buffer.size() - 1);
    EXPECT_TRUE(decoder.HasMoreBytes());
    EXPECT_EQ(decoder.Read(buffer.data(), buffer.size()), 1u);
    EXPECT_FALSE(decoder.HasMoreBytes());
    EXPECT_EQ(decoder.Read(buffer.data(), buffer.size()), 0u);
}

TEST(InputDCTDecodeStream, DataCutShortStillDecodesToTheWholeImage)
{
    Bytes pixels = MakeImage(100, 80, 3);
    Bytes jpeg = Compress(pixels, 100, 80, 3);
    size_t scanStart = 0;
    for (size_t i = 2; i + 1 < jpeg.size() && scanStart == 0; ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA)
            scanStart = i;
    ASSERT_GT(scanStart, 0u);
    for (size_t keep : {jpeg.size() - 2, jpeg.size() - 100, scanStart + (jpeg.size() - scanStart) / 2, scanStart + 20}) {
        LogCapture log;
        Bytes cut(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(keep));
        Bytes decoded = Decode(cut);
        EXPECT_EQ(decoded.size(), pixels.size()) << keep;
        // The missing end reads as an end-of-image marker; libjpeg warns about the short scan.
        if (keep < jpeg.size() - 2) {
            EXPECT_TRUE(log.Contains("KestrinJPGOutputMessage, error from jpg library: Corrupt JPEG data")) << log.Text();
        }
        EXPECT_FALSE(log.Contains("caught exception")) << log.Text();
    }
    // The same data, cut at the very end of the first rows, decodes those rows as they were.
    Bytes whole = Decode(jpeg);
    Bytes cut = Decode(Bytes(jpeg.begin(), jpeg.end() - 2));
    EXPECT_EQ(cut, whole);
}

TEST(InputDCTDecodeStream, GarbageFailsCleanlyWithTheLogLine)
{
    {
        LogCapture log;
        InputDCTDecodeStream decoder(new OwnedBytesReader(PseudoRandomBytes(5000, 3)));
        ASSERT_EQ(decoder.InitializeDecodingState(), eSuccess);
        EXPECT_TRUE(decoder.HasMoreBytes());
        Byte buffer[64];
        EXPECT_EQ(decoder.Read(buffer, sizeof(buffer)), 0u);
        EXPECT_FALSE(decoder.HasMoreBytes());
        EXPECT_EQ(decoder.Read(buffer, sizeof(buffer)), 0u);
        EXPECT_TRUE(log.Contains("KestrinJPGOutputMessage, error from jpg library: Not a JPEG file"));
        EXPECT_TRUE(log.Contains("InputDCTDecodeStream::StartRead, caught exception in jpg decoding"));
    }
    {
        // An empty source reads as an end-of-image marker straight away.
        LogCapture log;
        EXPECT_EQ(Decode(Bytes{}), Bytes{});
        EXPECT_TRUE(log.Contains("InputDCTDecodeStream::StartRead, caught exception in jpg decoding"));
    }
    {
        // A sound header over damaged scan data, and damaged tables: nothing crashes, reads end.
        Bytes pixels = MakeImage(64, 64, 3);
        Bytes jpeg = Compress(pixels, 64, 64, 3);
        for (uint32_t seed = 1; seed <= 40; ++seed) {
            LogCapture log;
            Bytes damaged = jpeg;
            Bytes noise = PseudoRandomBytes(damaged.size(), seed);
            for (size_t i = 2 + seed * 7 % 200; i < damaged.size(); i += 1 + noise[i] % 60)
                damaged[i] = noise[i];
            Bytes decoded = Decode(damaged, 999);
            EXPECT_LE(decoded.size(), pixels.size());
        }
    }
    {
        // A source that stops yielding mid-scan while it claims more: read as the end of data.
        LogCapture log;
        Bytes jpeg = Compress(MakeImage(120, 90, 3), 120, 90, 3, true);
        jpeg.resize(jpeg.size() * 3 / 4);
        InputDCTDecodeStream decoder(new StallingReader(jpeg));
        ASSERT_EQ(decoder.InitializeDecodingState(), eSuccess);
        EXPECT_EQ(ReadAll(decoder).size(), 120u * 90u * 3u) << log.Text();
    }
}

// Patches the frame size in a start-of-frame marker (SOF0 or SOF2).
void SetFrameSize(Bytes& ioJpeg, int inWidth, int inHeight)
{
    for (size_t i = 2; i + 9 < ioJpeg.size(); ++i)
        if (ioJpeg[i] == 0xFF && (ioJpeg[i + 1] == 0xC0 || ioJpeg[i + 1] == 0xC2)) {
            ioJpeg[i + 5] = static_cast<Byte>(inHeight >> 8);
            ioJpeg[i + 6] = static_cast<Byte>(inHeight);
            ioJpeg[i + 7] = static_cast<Byte>(inWidth >> 8);
            ioJpeg[i + 8] = static_cast<Byte>(inWidth);
            return;
        }
    ADD_FAILURE() << "no frame marker";
}

TEST(InputDCTDecodeStream, HostileProgressiveDataIsRefusedWithinBounds)
{
    {
        // A small progressive file claiming 60000 x 60000 pixels would need gigabytes of
        // coefficient buffers.
        LogCapture log;
        Bytes jpeg = Compress(MakeImage(16, 16, 3), 16, 16, 3, true);
        SetFrameSize(jpeg, 60000, 60000);
        InputDCTDecodeStream decoder(new OwnedBytesReader(jpeg));
        ASSERT_EQ(decoder.InitializeDecodingState(), eSuccess);
        Byte buffer[64];
        EXPECT_EQ(decoder.Read(buffer, sizeof(buffer)), 0u);
        EXPECT_FALSE(decoder.HasMoreBytes());
        EXPECT_TRUE(log.Contains("KestrinJPGOutputMessage, error from jpg library: Backing store not supported")) << log.Text();
        EXPECT_TRUE(log.Contains("InputDCTDecodeStream::StartRead, caught exception in jpg decoding"));
    }
    {
        // Hundreds of successive-approximation scans, each a pass over the whole image.
        std::vector<jpeg_scan_info> scans;
        scans.push_back({1, {0, 0, 0, 0}, 0, 0, 0, 0});
        for (int k = 1; k < 64; ++k) {
            scans.push_back({1, {0, 0, 0, 0}, k, k, 0, 10});
            for (int al = 10; al > 0; --al)
                scans.push_back({1, {0, 0, 0, 0}, k, k, al, al - 1});
        }
        ASSERT_GT(scans.size(), static_cast<size_t>(InputDCTDecodeStream::kMaxProgressiveScans));
        LogCapture log;
        Bytes jpeg = Compress(MakeImage(16, 16, 1), 16, 16, 1, false, &scans);
        InputDCTDecodeStream decoder(new OwnedBytesReader(jpeg));
        ASSERT_EQ(decoder.InitializeDecodingState(), eSuccess);
        Byte buffer[64];
        EXPECT_EQ(decoder.Read(buffer, sizeof(buffer)), 0u);
        EXPECT_FALSE(decoder.HasMoreBytes());
        EXPECT_TRUE(log.Contains("KestrinJPGOutputMessage, error from jpg library: too many scans in progressive JPEG data"));
        EXPECT_TRUE(log.Contains("InputDCTDecodeStream::StartRead, caught exception in jpg decoding"));
    }
}

} // namespace
