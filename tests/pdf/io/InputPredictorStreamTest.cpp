#include "pdf/io/InputPredictorFactory.h"
#include "pdf/io/InputPredictorPNGOptimumStream.h"
#include "pdf/io/InputPredictorPNGUpStream.h"
#include "pdf/io/InputPredictorTIFFSubStream.h"

#include "FilterTestSupport.h"

#include <cstdlib>
#include <memory>

using namespace filtertest;

namespace {

Bytes DecodeWith(long long inPredictor, long long inColors, long long inBits, long long inColumns, const Bytes& inRows,
                 size_t inPieceSize = 4096, size_t inSourceChunk = static_cast<size_t>(-1))
{
    std::unique_ptr<IByteReader> reader(
        CreatePredictorStream(new OwnedBytesReader(inRows, inSourceChunk), inPredictor, inColors, inBits, inColumns));
    EXPECT_TRUE(reader != nullptr);
    if (!reader)
        return {};
    return ReadAll(*reader, inPieceSize);
}

size_t RowBytes(int inColors, int inBits, int inColumns)
{
    return (static_cast<size_t>(inColors) * inBits * inColumns + 7) / 8;
}

// --- An encoder written for the tests from the published TIFF filter definition ---

std::vector<unsigned> UnpackSamples(const Byte* inRow, size_t inCount, int inBits)
{
    std::vector<unsigned> samples(inCount);
    for (size_t s = 0; s < inCount; ++s) {
        unsigned value = 0;
        for (int bit = 0; bit < inBits; ++bit) {
            size_t position = s * inBits + bit;
            value = (value << 1) | ((inRow[position / 8] >> (7 - position % 8)) & 1u);
        }
        samples[s] = value;
    }
    return samples;
}

void PackSamples(const std::vector<unsigned>& inSamples, int inBits, Byte* outRow)
{
    for (size_t s = 0; s < inSamples.size(); ++s)
        for (int bit = 0; bit < inBits; ++bit) {
            size_t position = s * inBits + bit;
            Byte mask = static_cast<Byte>(0x80 >> (position % 8));
            if ((inSamples[s] >> (inBits - 1 - bit)) & 1u)
                outRow[position / 8] |= mask;
            else
                outRow[position / 8] &= static_cast<Byte>(~mask);
        }
}

Bytes TiffEncode(const Bytes& inRaw, int inColors, int inBits, int inColumns)
{
    size_t rowBytes = RowBytes(inColors, inBits, inColumns);
    size_t count = static_cast<size_t>(inColors) * inColumns;
    unsigned mask = (1u << inBits) - 1;
    Bytes out = inRaw;
    for (size_t r = 0; r < inRaw.size() / rowBytes; ++r) {
        std::vector<unsigned> samples = UnpackSamples(inRaw.data() + r * rowBytes, count, inBits);
        std::vector<unsigned> differences = samples;
        for (size_t s = inColors; s < count; ++s)
            differences[s] = (samples[s] - samples[s - inColors]) & mask;
        PackSamples(differences, inBits, out.data() + r * rowBytes);
    }
    return out;
}

// --- TIFF predictor ---

TEST(InputPredictorTIFFSubStream, HandComputedRows)
{
    EXPECT_EQ(DecodeWith(2, 1, 8, 3, Bytes{0x10, 0x01, 0x01}), (Bytes{0x10, 0x11, 0x12}));
    // Two rows: each row starts afresh.
    EXPECT_EQ(DecodeWith(2, 1, 8, 3, Bytes{0x10, 0x01, 0x01, 0xFF, 0x02, 0x03}), (Bytes{0x10, 0x11, 0x12, 0xFF, 0x01, 0x04}));
    // Colors 3, 16 bits: (0102 0304 0506) then differences (0001 FFFF 0100).
    EXPECT_EQ(DecodeWith(2, 3, 16, 2, Bytes{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x00, 0x01, 0xFF, 0xFF, 0x01, 0x00}),
              (Bytes{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x01, 0x03, 0x03, 0x03, 0x06, 0x06}));
    // 1 bit, 10 columns: bits 1001000011 plus padding 101010; the padding stays as it was.
    EXPECT_EQ(DecodeWith(2, 1, 1, 10, Bytes{0x90, 0xEA}), (Bytes{0xE0, 0xAA}));
    // Colors 2, 4 bits, 3 columns: (1,15) (2,1) (15,15) -> (1,15) (3,0) (2,15).
    EXPECT_EQ(DecodeWith(2, 2, 4, 3, Bytes{0x1F, 0x21, 0xFF}), (Bytes{0x1F, 0x30, 0x2F}));
}

TEST(InputPredictorTIFFSubStream, UndoesAnIndependentEncoderForEveryDepth)
{
    for (int bits : {1, 2, 4, 8, 16})
        for (int colors : {1, 2, 3, 4})
            for (int columns : {1, 5, 33}) {
                size_t rowBytes = RowBytes(colors, bits, columns);
                Bytes raw = PseudoRandomBytes(rowBytes * 7, static_cast<uint32_t>(bits * 100 + colors * 10 + columns));
                // Padding bits of sub-byte rows are kept zero, as an encoder writes them.
                if ((static_cast<size_t>(colors) * bits * columns) % 8 != 0)
                    for (size_t r = 0; r < 7; ++r)
                        raw[r * rowBytes + rowBytes - 1] &= static_cast<Byte>(0xFF << (8 - (colors * bits * columns) % 8));
                Bytes encoded = TiffEncode(raw, colors, bits, columns);
                EXPECT_EQ(DecodeWith(2, colors, bits, columns, encoded), raw) << bits << " " << colors << " " << columns;
                EXPECT_EQ(DecodeWith(2, colors, bits, columns, encoded, 3, 2), raw) << bits << " " << colors << " " << columns;
            }
}

TEST(InputPredictorTIFFSubStream, ARowCutShortFailsForGood)
{
    LogCapture log;
    std::unique_ptr<IByteReader> reader(CreatePredictorStream(new OwnedBytesReader(Bytes{1, 2, 3, 4, 5}), 2, 1, 8, 3));
    ASSERT_TRUE(reader);
    Bytes out = ReadAll(*reader);
    EXPECT_EQ(out, (Bytes{1, 3, 6}));
    EXPECT_FALSE(reader->HasMoreBytes());
    EXPECT_TRUE(log.Contains("InputPredictorPNGSubStream::Read, problem, expected columns*colors*bitspercomponent/8 number read. didn't make it"));
}

// --- PNG predictors ---

TEST(InputPredictorPNG, HandComputedUpRows)
{
    Bytes rows{0x02, 0x01, 0x02, 0x03, 0x04, 0x02, 0x01, 0x01, 0x01, 0x01};
    EXPECT_EQ(DecodeWith(12, 1, 8, 4, rows), (Bytes{0x01, 0x02, 0x03, 0x04, 0x02, 0x03, 0x04, 0x05}));
    EXPECT_EQ(DecodeWith(15, 1, 8, 4, rows), (Bytes{0x01, 0x02, 0x03, 0x04, 0x02, 0x03, 0x04, 0x05}));
    EXPECT_EQ(DecodeWith(12, 1, 8, 4, rows, 1, 1), (Bytes{0x01, 0x02, 0x03, 0x04, 0x02, 0x03, 0x04, 0x05}));
    // The left neighbour is one pixel back: with 2 colours of 8 bits, two bytes.
    EXPECT_EQ(DecodeWith(11, 2, 8, 3, Bytes{0x01, 0x10, 0x20, 0x01, 0x01, 0x02, 0x02}),
              (Bytes{0x10, 0x20, 0x11, 0x21, 0x13, 0x23}));
}

TEST(InputPredictorPNG, EachFixedTypeUndoesAnIndependentEncoder)
{
    for (int type = 0; type <= 4; ++type)
        for (int bits : {8, 16})
            for (int colors : {1, 2, 3, 4}) {
                const int columns = 17;
                size_t rowBytes = RowBytes(colors, bits, columns);
                size_t bpp = static_cast<size_t>(colors) * bits / 8;
                Bytes raw = PseudoRandomBytes(rowBytes * 9, static_cast<uint32_t>(type * 1000 + bits * 10 + colors));
                Bytes encoded = PngEncode(raw, rowBytes, bpp, {type});
                EXPECT_EQ(DecodeWith(10 + type, colors, bits, columns, encoded), raw) << type << " " << bits << " " << colors;
                EXPECT_EQ(DecodeWith(15, colors, bits, columns, encoded, 5, 7), raw) << type << " " << bits << " " << colors;
            }
}

TEST(InputPredictorPNG, OptimumFollowsEachRowsTypeAtEveryDepth)
{
    for (int bits : {1, 2, 4, 8, 16})
        for (int colors : {1, 2, 3, 4}) {
            const int columns = 23;
            size_t rowBytes = RowBytes(colors, bits, columns);
            size_t bpp = std::max<size_t>(1, static_cast<size_t>(colors) * bits / 8);
            Bytes raw = PseudoRandomBytes(rowBytes * 12, static_cast<uint32_t>(bits * 10 + colors));
            Bytes encoded = PngEncode(raw, rowBytes, bpp, {4, 0, 3, 1, 2, 3, 4});
            EXPECT_EQ(DecodeWith(15, colors, bits, columns, encoded), raw) << bits << " " << colors;
            EXPECT_EQ(DecodeWith(15, colors, bits, columns, encoded, 1, 3), raw) << bits << " " << colors;
        }
}

TEST(InputPredictorPNG, FixedTypeReadersApplyTheirOwnTypeToEveryRow)
{
    // Row type bytes say Sub, the Up reader applies Up.
    Bytes rows{0x01, 0x01, 0x02, 0x01, 0x01, 0x01, 0x01, 0x01};
    InputPredictorPNGUpStream reader(new OwnedBytesReader(rows), 1, 8, 3);
    EXPECT_EQ(ReadAll(reader), (Bytes{0x01, 0x02, 0x01, 0x02, 0x03, 0x02}));
}

TEST(InputPredictorPNG, AnyPNGPredictorInDecodeParmsFollowsEachRowsType)
{
    // DecodeParms says Up (12), the rows say Sub: the rows decide.
    Bytes rows{0x01, 0x01, 0x02, 0x01, 0x01, 0x01, 0x01, 0x01};
    for (long long predictor = 10; predictor <= 15; ++predictor)
        EXPECT_EQ(DecodeWith(predictor, 1, 8, 3, rows), (Bytes{0x01, 0x03, 0x04, 0x01, 0x02, 0x03})) << predictor;
}

TEST(InputPredictorPNG, BadRowsFailForGood)
{
    {
        LogCapture log;
        std::unique_ptr<IByteReader> reader(
            CreatePredictorStream(new OwnedBytesReader(Bytes{0x00, 0x05, 0x06, 0x05, 0x01, 0x02, 0x00, 0x07, 0x08}), 15, 1, 8, 2));
        ASSERT_TRUE(reader);
        EXPECT_EQ(ReadAll(*reader), (Bytes{0x05, 0x06}));
        EXPECT_FALSE(reader->HasMoreBytes());
        EXPECT_TRUE(log.Contains("InputPredictorPNGOptimumStream::Read, unknown PNG filter type 5 in row"));
        EXPECT_EQ(log.LineCount(), 1u);
    }
    {
        LogCapture log;
        std::unique_ptr<IByteReader> reader(
            CreatePredictorStream(new OwnedBytesReader(Bytes{0x02, 0x01, 0x02, 0x03, 0x04, 0x02, 0x01}), 12, 1, 8, 4));
        ASSERT_TRUE(reader);
        EXPECT_EQ(ReadAll(*reader), (Bytes{0x01, 0x02, 0x03, 0x04}));
        EXPECT_FALSE(reader->HasMoreBytes());
        Byte buffer[4];
        EXPECT_EQ(reader->Read(buffer, 4), 0u);
        EXPECT_TRUE(log.Contains("InputPredictorPNGOptimumStream::Read, problem, expected columns number read. didn't make it"));
        EXPECT_EQ(log.LineCount(), 1u);
    }
    {
        // A source that stalls mid-row cannot hold the reader in a loop.
        LogCapture log;
        InputPredictorPNGUpStream reader(new StallingReader(Bytes{0x02, 0x01}), 1, 8, 4);
        ReadAll(reader);
        EXPECT_FALSE(reader.HasMoreBytes());
    }
}

// --- The factory ---

TEST(CreatePredictorStream, PredictorOneHandsBackTheSource)
{
    OwnedBytesReader* source = new OwnedBytesReader(ToBytes("abc"));
    IByteReader* reader = CreatePredictorStream(source, 1, 1, 8, 1);
    EXPECT_EQ(reader, source);
    delete reader;
}

TEST(CreatePredictorStream, UnsupportedPredictorsAndParametersGiveNullAndDeleteTheSource)
{
    struct Case {
        long long predictor, colors, bits, columns;
    };
    const Case cases[] = {
        {0, 1, 8, 1}, {3, 1, 8, 1}, {9, 1, 8, 1}, {16, 1, 8, 1}, {-1, 1, 8, 1},
        {2, 0, 8, 1}, {12, 33, 8, 1}, {12, -1, 8, 1},
        {12, 1, 3, 1}, {2, 1, 0, 1}, {12, 1, 32, 1}, {2, 1, 12, 1}, {15, 1, 264, 1},
        {12, 1, 8, 0}, {2, 1, 8, -4}, {12, 1, 8, 1LL << 40}, {2, 32, 16, 1LL << 30}, {12, 1, 8, 64LL * 1024 * 1024 + 1},
    };
    for (const Case& c : cases) {
        LogCapture log;
        bool deleted = false;
        IByteReader* reader =
            CreatePredictorStream(new OwnedBytesReader(ToBytes("abc"), 100, &deleted), c.predictor, c.colors, c.bits, c.columns);
        EXPECT_EQ(reader, nullptr) << c.predictor << " " << c.colors << " " << c.bits << " " << c.columns;
        delete reader;
        EXPECT_TRUE(deleted);
        EXPECT_EQ(log.LineCount(), 1u);
    }
    // The largest row allowed is fine, and costs nothing until data comes.
    std::unique_ptr<IByteReader> largest(CreatePredictorStream(new OwnedBytesReader(Bytes{}), 12, 1, 8, 64LL * 1024 * 1024));
    EXPECT_TRUE(largest != nullptr);
}

TEST(CreatePredictorStream, ReadersBuiltDirectlyWithBadParametersReadNothing)
{
    LogCapture log;
    InputPredictorTIFFSubStream tiff(new OwnedBytesReader(ToBytes("abc")), 1, 7, 3);
    InputPredictorPNGOptimumStream png(new OwnedBytesReader(ToBytes("abc")), 0, 8, 3);
    Byte buffer[4];
    EXPECT_FALSE(tiff.HasMoreBytes());
    EXPECT_EQ(tiff.Read(buffer, 4), 0u);
    EXPECT_FALSE(png.HasMoreBytes());
    EXPECT_EQ(png.Read(buffer, 4), 0u);
    EXPECT_EQ(log.LineCount(), 2u);
}

} // namespace
