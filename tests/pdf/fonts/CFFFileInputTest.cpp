// The CFF reader on small fonts built byte by byte (header, INDEXes, charsets, encodings,
// FDSelect, accented characters), on every kind of damage, which must fail with a log line, on
// the kept fuzzer findings, and on Debian's OpenType/CFF fonts against FreeType with every
// glyph interpreted and flattened.

#include "pdf/fonts/CFFFileInput.h"
#include "pdf/fonts/OpenTypeFileInput.h"
#include "pdf/io/InputByteArrayStream.h"
#include "pdf/io/InputFile.h"

#include "CFFTestSupport.h"
#include "fuzz/CFFFuzzExercise.h"
#include "tests/pdf/support/LogCapture.h"

#include FT_CID_H

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

using namespace cfftest;

namespace {

OpStatus Read(const std::string& inBytes, CFFFileInput& outInput)
{
    InputByteArrayStream stream(reinterpret_cast<const Byte*>(inBytes.data()),
                                static_cast<LongFilePositionType>(inBytes.size()));
    return outInput.ReadCFFFile(&stream);
}

std::vector<std::string> Glyphs(size_t inCount)
{
    return std::vector<std::string>(inCount, Bytes({14}));
}

// Top DICT ROS entry: Adobe (SID 391) Identity (392) 0.
const std::string kROS = Num(391) + Num(392) + Num(0) + Bytes({12, 30});

CFFBuilder CIDFont(const std::string& inFDSelect, size_t inGlyphs, size_t inFDs)
{
    CFFBuilder builder;
    builder.mTopDictExtra = kROS;
    builder.mStrings = {"Adobe", "Identity"};
    builder.mCharStrings = Glyphs(inGlyphs);
    builder.mFDSelect = inFDSelect;
    for (size_t i = 0; i < inFDs; ++i)
        builder.mFDs.push_back({Num(static_cast<int>(i)) + Bytes({12, 38}), Num(100 + static_cast<int>(i)) + Bytes({20}), {}});
    return builder;
}

} // namespace

TEST(CFFFileInputTest, HandMadeFontStructures)
{
    CFFFileInput input;

    // A header of five bytes is stepped over; an empty INDEX takes two bytes.
    CFFBuilder builder;
    builder.mHdrSize = 5;
    builder.mCharStrings = Glyphs(3);
    ASSERT_EQ(Read(builder.Build(), input), eSuccess);
    EXPECT_EQ(input.GetHeader().mHdrSize, 5);
    EXPECT_EQ(input.GetNameIndexPosition(), 5);
    EXPECT_EQ(input.GetFontNames(), std::vector<std::string>{"TestFont"});
    EXPECT_EQ(input.GetFontIndex("TestFont"), 0);
    EXPECT_EQ(input.GetGlobalSubrsPosition(), input.GetStringIndexPosition() + 2);
    EXPECT_EQ(input.GetCharStringsCount(0), 3);
    EXPECT_EQ(input.GetCharStrings(0).mCharStringType, 2);

    // A Top DICT without CharStrings: a font with no glyphs.
    std::string bare = Bytes({1, 0, 4, 1}) + Index({"A"}) + Index({""}) + Index({}) + Index({});
    ASSERT_EQ(Read(bare, input), eSuccess);
    EXPECT_EQ(input.GetCharStringsCount(0), 0);
    EXPECT_EQ(input.GetCharStrings(0).mCharStringType, 2);

    // Predefined charsets: ISOAdobe maps glyph i to SID i, Expert starts space, dollaroldstyle.
    builder = CFFBuilder();
    builder.mCharStrings = Glyphs(229);
    ASSERT_EQ(Read(builder.Build(), input), eSuccess);
    EXPECT_EQ(input.GetGlyphSID(0, 1), 1);
    EXPECT_EQ(input.GetGlyphSID(0, 228), 228);
    EXPECT_STREQ(input.GetStringForSID(input.GetGlyphSID(0, 1)), "space");
    EXPECT_EQ(CFFFileInput::PredefinedCharset(eCharSetExpert).size(), 165u);
    EXPECT_EQ(CFFFileInput::PredefinedCharset(eCharSetExpertSubset).size(), 86u);
    EXPECT_EQ(CFFFileInput::PredefinedCharset(eCharSetExpert)[1], 229);

    // Charset format 1: {first 5, nLeft 2} gives SIDs 5, 6, 7; a range past the last glyph
    // gives only the glyphs there are.
    builder = CFFBuilder();
    builder.mCharStrings = Glyphs(4);
    builder.mCharset = Bytes({1, 0, 5, 2});
    ASSERT_EQ(Read(builder.Build(), input), eSuccess);
    EXPECT_EQ(input.GetTopDictionary(0).mCharSet->mSIDs, (std::vector<uint16_t>{0, 5, 6, 7}));
    builder.mCharset = Bytes({2, 0, 5, 0, 200});
    ASSERT_EQ(Read(builder.Build(), input), eSuccess);
    EXPECT_EQ(input.GetTopDictionary(0).mCharSet->mSIDs, (std::vector<uint16_t>{0, 5, 6, 7}));

    // Encoding format 1 {65, 2}: codes 65, 66, 67; format 0x80: codes, then supplements.
    builder.mCharset.clear();
    builder.mEncoding = Bytes({1, 1, 65, 2});
    ASSERT_EQ(Read(builder.Build(), input), eSuccess);
    EXPECT_EQ(input.GetTopDictionary(0).mEncoding->mEncoding, (std::vector<Byte>{65, 66, 67}));
    builder.mEncoding = Bytes({0x80, 2, 70, 71, 1, 72, 0, 34});
    ASSERT_EQ(Read(builder.Build(), input), eSuccess);
    const EncodingTable* encoding = input.GetTopDictionary(0).mEncoding;
    EXPECT_EQ(encoding->mEncoding, (std::vector<Byte>{70, 71}));
    EXPECT_EQ(encoding->mSupplements.at(34), std::vector<Byte>{72});
    EXPECT_EQ(encoding->mEncodingEnd - encoding->mEncodingStart, 8);

    // FDSelect format 3 with two ranges; each FD keeps its own Private DICT.
    builder = CIDFont(Bytes({3, 0, 2, 0, 0, 0, 0, 2, 1, 0, 5}), 5, 2);
    ASSERT_EQ(Read(builder.Build(), input), eSuccess);
    EXPECT_TRUE(input.IsCIDKeyed(0));
    const TopDictionary& top = input.GetTopDictionary(0);
    ASSERT_EQ(top.mFDArray.size(), 2u);
    EXPECT_EQ(input.GetGlyphFontDictionary(0, 1), &top.mFDArray[0]);
    EXPECT_EQ(input.GetGlyphFontDictionary(0, 4), &top.mFDArray[1]);
    EXPECT_EQ(top.mFDArray[1].mPrivateDict.mPrivateDict.at(20)[0].mIntegerValue, 101);
    EXPECT_EQ(input.PrepareForGlyphIntepretation(0, 4), eSuccess);
}

TEST(CFFFileInputTest, AccentedCharactersNameTheirComponents)
{
    // seac-style endchar: adx ady bchar achar. With ISOAdobe, "A" (code 65) is SID 34 and so
    // glyph 34; "grave" (code 193) is SID 124.
    CFFBuilder builder;
    builder.mCharStrings = Glyphs(130);
    builder.mCharStrings[1] = Num(0) + Num(0) + Num(65) + Num(193) + Bytes({14});
    CFFFileInput input;
    ASSERT_EQ(Read(builder.Build(), input), eSuccess);
    GlyphDependencies dependencies;
    ASSERT_EQ(input.CalculateDependenciesForCharIndex(0, 1, dependencies), eSuccess);
    EXPECT_EQ(dependencies.mCharCodes, (std::set<uint16_t>{34, 124}));

    // The same codes in a font of ten glyphs name no glyph.
    builder.mCharStrings.resize(10);
    ASSERT_EQ(Read(builder.Build(), input), eSuccess);
    testsupport::LogCapture log;
    EXPECT_EQ(input.CalculateDependenciesForCharIndex(0, 1, dependencies), eFailure);
    EXPECT_TRUE(log.Contains("CFFFileInput::OnEndchar, accented character names code 65")) << log.Text();

    // Subroutines used are collected after the bias.
    builder.mCharStrings[2] = Num(-107) + Bytes({10}) + Num(-106) + Bytes({10}) + Bytes({14});
    builder.mLocalSubrs = {Bytes({11}), Bytes({11})};
    ASSERT_EQ(Read(builder.Build(), input), eSuccess);
    GlyphDependencies subrs;
    ASSERT_EQ(input.CalculateDependenciesForCharIndex(0, 2, subrs), eSuccess);
    EXPECT_EQ(subrs.mLocalSubrs, (std::set<uint16_t>{0, 1}));
}

TEST(CFFFileInputTest, DamagedDataFailsWithALogLine)
{
    auto font = [](std::function<void(CFFBuilder&)> inChange) {
        CFFBuilder builder;
        builder.mCharStrings = Glyphs(4);
        inChange(builder);
        return builder.Build();
    };
    const std::string header = Bytes({1, 0, 4, 4});
    // CharStrings at the end of the data, claiming 65535 glyphs.
    size_t size = font([](CFFBuilder& b) { b.mTopDictExtra = Int5(0) + Bytes({17}); }).size();
    const std::string countPastData =
        font([size](CFFBuilder& b) { b.mTopDictExtra = Int5(static_cast<uint32_t>(size)) + Bytes({17}); }) +
        Bytes({0xFF, 0xFF, 4});
    struct Case {
        const char* name;
        std::string bytes;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"cut-off header", Bytes({1, 0}), "CFFFileInput::ReadCFFFile, Failed to read header"},
        {"header size below four", Bytes({1, 0, 2, 4, 0, 0}), "CFFFileInput::ReadCFFFile, Failed to read header"},
        {"offSize 5", header + Bytes({0, 1, 5, 0, 0, 0, 0, 1, 0, 0, 0, 0, 2, 'A'}), "offSize 5 is not 1 to 4"},
        {"offsets not ascending", header + Bytes({0, 2, 1, 1, 5, 3, 'a', 'b', 'c', 'd'}), "INDEX offsets are not ascending"},
        {"first offset 0", header + Bytes({0, 1, 1, 0, 2, 'a'}), "first offset of an INDEX is 0"},
        {"INDEX data past the end", header + Bytes({0, 1, 1, 1, 200, 'a', 'b'}),
         "INDEX data runs past the end of the CFF data"},
        {"65535 offsets in a few bytes", header + Bytes({0xFF, 0xFF, 4, 0, 0, 0, 1}),
         "the offsets of an INDEX of 65535 items run past the data"},
        {"no Top DICT for the font", header + Index({"A"}) + Index({}), "CFFFileInput::ReadCFFFile failed to read top index"},
        {"CharStrings count beyond the data", countPastData, "the offsets of an INDEX of 65535 items run past the data"},
        {"CharStrings offset past the end", font([](CFFBuilder& b) { b.mTopDictExtra = Int5(1 << 30) + Bytes({17}); }),
         "damaged CharStrings or CharstringType entry"},
        {"Private DICT past the end",
         font([](CFFBuilder& b) { b.mTopDictExtra = Num(100) + Int5(100000) + Bytes({18}); }),
         "Private entry is damaged or points outside the CFF data"},
        {"Subrs past the end", font([](CFFBuilder& b) { b.mPrivateDict = Int5(1000000) + Bytes({19}); }),
         "CFFFileInput::ReadLocalSubrs, failed to read local subrs"},
        {"real with a huge exponent", font([](CFFBuilder& b) { b.mTopDictExtra = Bytes({30, 0x1B, 0x99, 0x9F, 12, 7}); }),
         "a real operand is damaged or out of range"},
        {"real beyond what can be written back",
         font([](CFFBuilder& b) { b.mTopDictExtra = Bytes({30, 0x1B, 0x30, 0x0F, 12, 7}); }),
         "a real operand is damaged or out of range"},
        {"byte 255 in a DICT", font([](CFFBuilder& b) { b.mTopDictExtra = Bytes({255}); }), "reserved byte 255 in a DICT"},
        {"unknown charset format", font([](CFFBuilder& b) { b.mCharset = Bytes({3, 0, 1}); }),
         "unknown charset format 3"},
        {"charset range past the largest SID", font([](CFFBuilder& b) { b.mCharset = Bytes({2, 0xFF, 0xFF, 0, 2}); }),
         "charset range runs past the largest SID"},
        {"encoding ranges beyond code 255", font([](CFFBuilder& b) { b.mEncoding = Bytes({1, 1, 200, 100}); }),
         "encoding ranges give more codes than there are"},
        {"unknown encoding format", font([](CFFBuilder& b) { b.mEncoding = Bytes({2, 0}); }), "unknown encoding format 2"},
        {"CID font without FDArray",
         font([](CFFBuilder& b) {
             b.mTopDictExtra = kROS;
             b.mStrings = {"Adobe", "Identity"};
         }),
         "unable to read FDArray for font index 0"},
        {"FD index beyond the FDArray", CIDFont(Bytes({0, 0, 0, 2, 0}), 4, 2).Build(), "FD 2 of glyph 2 is not in the FDArray of 2"},
        {"FDSelect range going backwards", CIDFont(Bytes({3, 0, 2, 0, 0, 0, 0, 2, 1, 0, 1}), 4, 2).Build(),
         "FDSelect range 1 is damaged"},
        {"unknown FDSelect format", CIDFont(Bytes({4, 0, 1, 0, 0, 0, 0, 0, 4}), 4, 1).Build(), "unknown FDSelect format 4"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        testsupport::LogCapture log;
        CFFFileInput input;
        EXPECT_EQ(Read(test.bytes, input), eFailure);
        EXPECT_TRUE(log.Contains(test.message)) << log.Text();
    }

    // A glyph that FDSelect leaves without an FD cannot be interpreted.
    testsupport::LogCapture log;
    CFFFileInput input;
    ASSERT_EQ(Read(CIDFont(Bytes({3, 0, 1, 0, 0, 0, 0, 2}), 4, 1).Build(), input), eSuccess);
    EXPECT_EQ(input.PrepareForGlyphIntepretation(0, 1), eSuccess);
    EXPECT_EQ(input.PrepareForGlyphIntepretation(0, 3), eFailure);
    EXPECT_TRUE(log.Contains("CFFFileInput::PrepareForGlyphIntepretation, glyph 3 has no FDSelect entry")) << log.Text();
    EXPECT_EQ(input.PrepareForGlyphIntepretation(0, 4), eFailure);
    EXPECT_EQ(input.GetGlyphCharStringRange(0, 4), nullptr);
}

TEST(CFFFileInputTest, KeptFuzzerFindingsAreHandledCleanly)
{
    std::filesystem::path folder = std::filesystem::path(__FILE__).parent_path() / "cff-regressions";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        SCOPED_TRACE(entry.path().filename().string());
        std::string bytes = testsupport::ReadFile(entry.path());
        EXPECT_TRUE(cfffuzz::ExerciseCFF(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
        ++files;
    }
    EXPECT_GT(files, 0);
}

TEST(CFFFileInputTest, DebianFontsAgreeWithFreeTypeAndEveryGlyphRuns)
{
    const std::vector<std::string> fonts = DebianCFFFonts();
    EXPECT_EQ(fonts.size(), 36u);

    for (const std::string& path : fonts) {
        SCOPED_TRACE(path);
        InputFile file;
        ASSERT_EQ(file.OpenFile(path), eSuccess);
        OpenTypeFileInput openType;
        ASSERT_EQ(openType.ReadOpenTypeFile(file.GetInputStream(), 0), eSuccess);
        CFFFileInput& cff = openType.GetCFF();
        fonttest::ReferenceFace reference(path);
        FT_Face face = reference.Face();
        ASSERT_NE(face, nullptr);
        ASSERT_EQ(cff.GetCharStringsCount(0), face->num_glyphs);
        EXPECT_EQ(cff.GetFontNames().front(), FT_Get_Postscript_Name(face));

        // Glyph names (CIDs for the CID-keyed font) as FreeType sees them.
        FT_Bool cidKeyed = 0;
        FT_Get_CID_Is_Internally_CID_Keyed(face, &cidKeyed);
        ASSERT_EQ(cff.IsCIDKeyed(0), cidKeyed != 0);
        for (FT_Long glyph = 0; glyph < face->num_glyphs; glyph += cidKeyed ? 97 : 1) {
            uint16_t sid = cff.GetGlyphSID(0, static_cast<uint16_t>(glyph));
            if (cidKeyed) {
                FT_UInt cid = 0;
                ASSERT_EQ(FT_Get_CID_From_Glyph_Index(face, static_cast<FT_UInt>(glyph), &cid), 0);
                EXPECT_EQ(sid, cid) << glyph;
            } else {
                char name[128];
                ASSERT_EQ(FT_Get_Glyph_Name(face, static_cast<FT_UInt>(glyph), name, sizeof(name)), 0);
                EXPECT_STREQ(cff.GetStringForSID(sid), name) << glyph;
            }
        }
        EXPECT_TRUE(cfffuzz::InterpretEveryGlyph(cff, 65536, true));
    }
}
