#include "pdf/io/InputAscii85DecodeStream.h"

#include "FilterTestSupport.h"

using namespace filtertest;

namespace {

Bytes Decode(const std::string& inText, size_t inPieceSize = 4096, size_t inSourceChunk = static_cast<size_t>(-1))
{
    InputAscii85DecodeStream decoder(new OwnedBytesReader(ToBytes(inText), inSourceChunk));
    return ReadAll(decoder, inPieceSize);
}

TEST(InputAscii85DecodeStream, GroupsAndPartialGroups)
{
    EXPECT_EQ(Decode("!!!!!~>"), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(Decode("!!~>"), (Bytes{0}));
    EXPECT_EQ(Decode("!!!~>"), (Bytes{0, 0}));
    EXPECT_EQ(Decode("!!!!~>"), (Bytes{0, 0, 0}));
    // One character alone gives no byte.
    EXPECT_EQ(Decode("!~>"), Bytes{});
    EXPECT_EQ(Decode("s8W-!~>"), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
    // 84 x (85^4 + 85^3 + 85^2 + 85 + 1) = 4,437,053,124 wraps modulo 2^32 to 142,085,828.
    EXPECT_EQ(Decode("uuuuu~>"), (Bytes{0x08, 0x78, 0x0E, 0xC4}));
    EXPECT_EQ(Decode("87cURDZ~>"), ToBytes("Hello"));
}

TEST(InputAscii85DecodeStream, ZeroGroupsWhiteSpaceAndTheEndMarker)
{
    EXPECT_EQ(Decode("z~>"), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(Decode("zz!!~>"), (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Decode(" 8 7c\r\nU\tR\fD Z \n~>"), ToBytes("Hello"));
    // Nothing after the end marker is decoded.
    EXPECT_EQ(Decode("87cURDZ~>87cURDZ"), ToBytes("Hello"));
    // Without an end marker the data ends with the source.
    EXPECT_EQ(Decode("87cURDZ"), ToBytes("Hello"));
    // "~" followed by anything but ">" is dropped with that byte.
    EXPECT_EQ(Decode("87c~xURDZ~>"), ToBytes("Hello"));
    EXPECT_EQ(Decode(""), Bytes{});
    EXPECT_EQ(Decode("   \n  "), Bytes{});
}

TEST(InputAscii85DecodeStream, HasMoreBytesTurnsFalseAtTheMarkerAndReadsStopThere)
{
    InputAscii85DecodeStream decoder(new OwnedBytesReader(ToBytes("87cURDZ~>garbage")));
    Byte buffer[16];
    EXPECT_TRUE(decoder.HasMoreBytes());
    EXPECT_EQ(decoder.Read(buffer, 2), 2u);
    EXPECT_EQ(decoder.Read(buffer, 16), 3u);
    EXPECT_FALSE(decoder.HasMoreBytes());
    EXPECT_EQ(decoder.Read(buffer, 16), 0u);
}

// The text was made by an independent encoder, Python's base64.a85encode(data, adobe=True,
// wrapcol=60), with the leading "<~" removed (PDF data has no start marker), where data is the
// bytes 0 to 255, four zero bytes, "Kestrin decodes ASCII85." and FF FF FF.
const char* const kIndependentText =
    "!!*-'\"9eu7#RLhG$k3[W&.oNg'GVB\"(`=52*$$(B+<_pR,UFcb-n-Vr/1i\n"
    "J-0JP==1c70M3&s#]4?Ykm5X@_(6q'R884cEH9MJ8X:f1+h<)lt#=BSg3>[:\n"
    "ZC?t!MSA7]@cBPD3sCi+'.E,fo>FEMbNG^4U^I!pHnJ:W<)KS>/9Ll%\"IN/`\n"
    "jYOHG]iPa.Q$R$jD4S=Q7DTV8*TUnsrdW2ZetXKAY/Yd(L?['d?O\\@K2_]Y2\n"
    "%o^qmn*`5Ta:aN;TJbg\"GZd*^:jeCE.%f\\,!5gtgiEi8N\\UjQ5OekiqBum-X\n"
    "60nF?)@o_%qPq\"ad`r;HWpz94`0dEbTD6A7]7hA7]g)5uU-B8N8R[s8W*~>";

TEST(InputAscii85DecodeStream, DecodesTextOfAnIndependentEncoderWhateverThePieceSizes)
{
    Bytes expected;
    for (int i = 0; i < 256; ++i)
        expected.push_back(static_cast<Byte>(i));
    expected.insert(expected.end(), 4, 0);
    Bytes words = ToBytes("Kestrin decodes ASCII85.");
    expected.insert(expected.end(), words.begin(), words.end());
    expected.insert(expected.end(), 3, 0xFF);

    EXPECT_EQ(Decode(kIndependentText), expected);
    EXPECT_EQ(Decode(kIndependentText, 1), expected);
    EXPECT_EQ(Decode(kIndependentText, 7, 3), expected);
    EXPECT_EQ(Decode(kIndependentText, 1000, 1), expected);
}

} // namespace
