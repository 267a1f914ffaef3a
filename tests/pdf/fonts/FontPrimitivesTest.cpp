// The big-endian and CFF value readers and writers byte for byte, their sticky failures, and the
// shared font tables.

#include "pdf/fonts/BigEndianReader.h"
#include "pdf/fonts/BigEndianWriter.h"
#include "pdf/fonts/CFFStandardStrings.h"
#include "pdf/fonts/CFFValueReader.h"
#include "pdf/fonts/CFFValueWriter.h"
#include "pdf/fonts/StandardEncoding.h"
#include "pdf/fonts/TableTag.h"
#include "pdf/fonts/WinAnsiEncoding.h"
#include "pdf/io/InputByteArrayStream.h"
#include "pdf/io/OutputStringBufferStream.h"

#include "tests/pdf/writing/WriterTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Bytes(std::initializer_list<int> inValues)
{
    std::string bytes;
    for (int value : inValues)
        bytes.push_back(static_cast<char>(value));
    return bytes;
}

InputByteArrayStream StreamOver(const std::string& inBytes)
{
    return InputByteArrayStream(reinterpret_cast<const Byte*>(inBytes.data()),
                                static_cast<LongFilePositionType>(inBytes.size()));
}

} // namespace

TEST(FontPrimitivesTest, BigEndianValuesAndStickyFailures)
{
    std::string data = Bytes({0x00, 0x01, 0x80, 0x00, 0xFF, 0xFE, 0x12, 0x34, 0x56, 0x78, 0x00, 0x00, 0x00, 0x00,
                              0x00, 0x00, 0x01, 0x02, 0x42});
    InputByteArrayStream stream = StreamOver(data);
    stream.SeekFromStart(2);
    BigEndianReader reader(&stream);
    double fixed = 0;
    int16_t negative = 0;
    uint32_t word = 0;
    long long date = 0;
    EXPECT_EQ(reader.ReadFixed(fixed), eSuccess); // 0x8000 0xFFFE, offset 0 being stream position 2
    EXPECT_EQ(fixed, -32768 + 0xFFFE / 65536.0);
    reader.SetOffset(0);
    EXPECT_EQ(reader.ReadSInt16(negative), eSuccess);
    EXPECT_EQ(negative, -32768);
    reader.SetOffset(4);
    EXPECT_EQ(reader.ReadUInt32(word), eSuccess);
    EXPECT_EQ(word, 0x12345678u);
    EXPECT_EQ(reader.ReadDateTime64(date), eSuccess);
    EXPECT_EQ(date, 0x0102);
    EXPECT_EQ(reader.GetOffset(), 16);
    // A short read fails, and so does everything after it, without touching the value.
    EXPECT_EQ(reader.ReadUInt32(word), eFailure);
    reader.SetOffset(0);
    uint16_t small = 0;
    EXPECT_EQ(reader.ReadUInt16(small), eFailure);
    EXPECT_EQ(word, 0x12345678u);
    EXPECT_EQ(BigEndianReader().GetStatus(), eFailure);

    OutputStringBufferStream output;
    BigEndianWriter writer(&output);
    writer.WriteUInt32(0x00010000);
    writer.WriteUInt16(0xABCD);
    writer.WriteByte(7);
    writer.PadToFourBytes();
    writer.PadToFourBytes();
    writer.WriteTwelveZeroBytes();
    EXPECT_EQ(output.ContentsAsString(),
              Bytes({0, 1, 0, 0, 0xAB, 0xCD, 7, 0}) + std::string(12, '\0'));
    WriterTestSupport::LimitedTarget full(3);
    BigEndianWriter failing(&full);
    EXPECT_EQ(failing.WriteUInt32(1), eFailure);
    EXPECT_EQ(failing.WriteByte(1), eFailure);
    EXPECT_EQ(full.Data().size(), 3u);

    EXPECT_EQ(MakeTableTag("cvt"), 0x63767420u);
    EXPECT_EQ(MakeTableTag("OS/2"), 0x4F532F32u);
}

TEST(FontPrimitivesTest, CFFIntegersAndOffsetsByteForByte)
{
    const struct {
        int32_t value;
        std::string bytes;
    } scIntegers[] = {{0, Bytes({139})},           {107, Bytes({246})},           {-107, Bytes({32})},
                      {108, Bytes({247, 0})},      {1131, Bytes({250, 255})},     {-108, Bytes({251, 0})},
                      {-1131, Bytes({254, 255})},  {1132, Bytes({28, 4, 108})},   {-32768, Bytes({28, 128, 0})},
                      {32767, Bytes({28, 127, 255})}, {32768, Bytes({29, 0, 0, 128, 0})},
                      {-2147483647 - 1, Bytes({29, 128, 0, 0, 0})}};
    for (const auto& integer : scIntegers) {
        SCOPED_TRACE(integer.value);
        OutputStringBufferStream output;
        CFFValueWriter writer(&output);
        EXPECT_EQ(writer.PutIntegerOperand(integer.value), eSuccess);
        EXPECT_EQ(output.ContentsAsString(), integer.bytes);
        std::string rest = integer.bytes.substr(1);
        InputByteArrayStream input = StreamOver(rest);
        CFFValueReader reader(&input);
        int32_t read = 0;
        EXPECT_EQ(reader.GetDictInteger(static_cast<Byte>(integer.bytes[0]), read), eSuccess);
        EXPECT_EQ(read, integer.value);
    }

    OutputStringBufferStream output;
    CFFValueWriter writer(&output);
    writer.PutFiveByteInteger(5);
    writer.PutDictEntry(0x0C07, {DictOperand::Integer(1), DictOperand::Integer(-1)});
    writer.PutDictEntry(17, {DictOperand::Integer(500)});
    for (Byte size = 1; size <= 4; ++size) {
        writer.SetOffSize(size);
        writer.PutOffset(0x010203 + size);
    }
    std::string expected = Bytes({29, 0, 0, 0, 5, 140, 138, 12, 7, 248, 136, 17, 4, 2, 5, 1, 2, 6, 0, 1, 2, 7});
    EXPECT_EQ(output.ContentsAsString(), expected);

    std::string offsetBytes = expected.substr(12);
    InputByteArrayStream input = StreamOver(offsetBytes);
    CFFValueReader reader(&input);
    uint32_t offset = 0;
    std::vector<uint32_t> offsets;
    for (Byte size = 1; size <= 4; ++size) {
        reader.SetOffSize(size);
        EXPECT_EQ(reader.GetOffsetBySize(offset), eSuccess);
        offsets.push_back(offset);
    }
    EXPECT_EQ(offsets, (std::vector<uint32_t>{0x04, 0x0205, 0x010206, 0x010207}));
    // Sizes outside 1 to 4 and bytes that start no integer fail without reading or writing.
    for (Byte size : {0, 5}) {
        reader.SetOffSize(size);
        writer.SetOffSize(size);
        EXPECT_EQ(reader.GetOffsetBySize(offset), eFailure);
        EXPECT_EQ(writer.PutOffset(1), eFailure);
    }
    int32_t value = 0;
    EXPECT_EQ(reader.GetDictInteger(255, value), eFailure);
    EXPECT_EQ(writer.GetStatus(), eSuccess);

    WriterTestSupport::LimitedTarget full(2);
    CFFValueWriter failing(&full);
    EXPECT_EQ(failing.PutFiveByteInteger(1), eFailure);
    EXPECT_EQ(failing.PutByte(1), eFailure);
    EXPECT_EQ(full.Data().size(), 2u);
}

TEST(FontPrimitivesTest, CFFRealsByteForByteAndBack)
{
    const struct {
        double value;
        int fractionDigits;
        std::string bytes;
        double readBack;
    } scReals[] = {
        {-2.25, 2, Bytes({0x1E, 0xE2, 0xA2, 0x5F}), -2.25},
        {5000, 0, Bytes({0x1E, 0x5B, 0x3F}), 5000},
        {0, 0, Bytes({0x1E, 0xFF}), 0},
        {0.0005, 1, Bytes({0x1E, 0x0A, 0x5C, 0x3F}), 0.0005},
        {0.001, 10, Bytes({0x1E, 0x0A, 0x1C, 0x2F}), 0.001},
        {1.5, 10, Bytes({0x1E, 0x1A, 0x5F}), 1.5},
        {-0.1, 1, Bytes({0x1E, 0xE0, 0xA1, 0xFF}), -0.1},
        {123000, 0, Bytes({0x1E, 0x12, 0x3B, 0x3F}), 123000},
    };
    for (const auto& real : scReals) {
        SCOPED_TRACE(real.value);
        OutputStringBufferStream output;
        CFFValueWriter writer(&output);
        EXPECT_EQ(writer.PutRealOperand(real.value, real.fractionDigits), eSuccess);
        EXPECT_EQ(output.ContentsAsString(), real.bytes);
        std::string rest = real.bytes.substr(1);
        InputByteArrayStream input = StreamOver(rest);
        CFFValueReader reader(&input);
        double read = 1;
        int digits = -1;
        EXPECT_EQ(reader.GetDictReal(read, digits), eSuccess);
        EXPECT_DOUBLE_EQ(read, real.readBack);
    }
    // The digits a real was read with come back with it.
    std::string bytes = Bytes({0xE2, 0xA2, 0x5F});
    InputByteArrayStream input = StreamOver(bytes);
    CFFValueReader reader(&input);
    double read = 0;
    int digits = 0;
    EXPECT_EQ(reader.GetDictReal(read, digits), eSuccess);
    EXPECT_EQ(digits, 2);
    // A real that never ends fails at the end of the data, and so does the next read.
    std::string endless(300, '\x11');
    InputByteArrayStream endlessInput = StreamOver(endless);
    CFFValueReader endlessReader(&endlessInput);
    EXPECT_EQ(endlessReader.GetDictReal(read, digits), eFailure);
    Byte byte = 0;
    EXPECT_EQ(endlessReader.ReadCard8(byte), eFailure);

    OutputStringBufferStream output;
    CFFValueWriter writer(&output);
    EXPECT_EQ(writer.PutRealOperand(1e300, 2), eFailure);
    EXPECT_EQ(output.ContentsAsString(), "");
}

TEST(FontPrimitivesTest, SharedTables)
{
    const struct {
        uint16_t sid;
        const char* string;
    } scStrings[] = {{0, ".notdef"}, {1, "space"}, {34, "A"}, {95, "asciitilde"}, {149, "germandbls"},
                     {228, "zcaron"}, {229, "exclamsmall"}, {379, "001.000"}, {390, "Semibold"}};
    for (const auto& entry : scStrings) {
        EXPECT_STREQ(CFFStandardStrings::StringOfSID(entry.sid), entry.string);
        uint16_t sid = 0;
        EXPECT_TRUE(CFFStandardStrings::SIDOfString(entry.string, sid));
        EXPECT_EQ(sid, entry.sid);
    }
    uint16_t sid = 7;
    EXPECT_FALSE(CFFStandardStrings::SIDOfString("uni20AC", sid));
    EXPECT_EQ(CFFStandardStrings::StringOfSID(391), nullptr);
    for (uint16_t i = 0; i < CFFStandardStrings::kCount; ++i)
        EXPECT_TRUE(CFFStandardStrings::SIDOfString(CFFStandardStrings::StringOfSID(i), sid) && sid == i) << i;

    const struct {
        Byte code;
        const char* standard;
        const char* winAnsi;
    } scCodes[] = {{0, ".notdef", ".notdef"},       {32, "space", "space"},         {39, "quoteright", "quotesingle"},
                   {65, "A", "A"},                  {96, "quoteleft", "grave"},     {128, ".notdef", "Euro"},
                   {149, ".notdef", "bullet"},      {160, ".notdef", ".notdef"},    {161, "exclamdown", "exclamdown"},
                   {173, "guilsinglright", ".notdef"},     {198, "breve", "AE"},       {225, "AE", "aacute"},
                   {251, "germandbls", "ucircumflex"}, {255, ".notdef", "ydieresis"}};
    for (const auto& entry : scCodes) {
        EXPECT_STREQ(StandardEncoding::GlyphName(entry.code), entry.standard) << int(entry.code);
        EXPECT_STREQ(WinAnsiEncoding::GlyphName(entry.code), entry.winAnsi) << int(entry.code);
    }

    const struct {
        uint32_t unicode;
        int code; // -1: none
    } scUnicodes[] = {{0x41, 0x41}, {23, 23},     {24, -1},     {31, -1},     {127, -1},    {0xA0, -1},
                      {0xB2, -1},   {0xB3, 0xB3}, {0xFF, 0xFF}, {0x20AC, 0x80}, {0x2022, 0x95}, {0x178, 0x9F},
                      {0x2192, -1}, {0x141, -1}};
    for (const auto& entry : scUnicodes) {
        Byte code = 0;
        EXPECT_EQ(WinAnsiEncoding::CodeForUnicode(entry.unicode, code), entry.code >= 0) << entry.unicode;
        if (entry.code >= 0) {
            EXPECT_EQ(code, entry.code);
        }
    }
}
