// CFF subsets of Debian's OpenType/CFF fonts loaded back by FreeType, glyph for glyph against
// the source; the subset's own structure read back (no subroutines, charsets, FDs, the added
// FSType string, CID-keyed subsets of name-keyed fonts); embedding rights; the stream object;
// and failures.

#include "pdf/fonts/CFFEmbeddedFontWriter.h"
#include "pdf/fonts/FreeTypeFaceWrapper.h"
#include "pdf/fonts/FreeTypeWrapper.h"
#include "pdf/io/InputByteArrayStream.h"
#include "pdf/io/InputFile.h"
#include "pdf/writing/ObjectsContext.h"

#include "CFFTestSupport.h"
#include "tests/pdf/support/LogCapture.h"
#include "tests/pdf/writing/WriterTestSupport.h"

#include FT_CID_H

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace cfftest;

namespace {

OpStatus SubsetOfBytes(const std::string& inFont, const std::vector<uint32_t>& inGlyphs,
                       const std::vector<uint16_t>* inCIDs, std::string& outSubset, bool& outNotEmbeddable)
{
    InputByteArrayStream stream(reinterpret_cast<const Byte*>(inFont.data()),
                                static_cast<LongFilePositionType>(inFont.size()));
    CFFEmbeddedFontWriter writer;
    return writer.CreateCFFSubset(&stream, 0, inGlyphs, inCIDs, "ABCDEF+Subset", outNotEmbeddable, outSubset);
}

OpStatus ReadSubset(const std::string& inSubset, CFFFileInput& outInput)
{
    InputByteArrayStream stream(reinterpret_cast<const Byte*>(inSubset.data()),
                                static_cast<LongFilePositionType>(inSubset.size()));
    return outInput.ReadCFFFile(&stream);
}

// The source's glyphs that a subset of the given ids holds, in order (glyph 0 first).
std::vector<uint32_t> WithNotdef(const std::vector<uint32_t>& inGlyphs)
{
    std::vector<uint32_t> glyphs = inGlyphs;
    if (glyphs.empty() || glyphs.front() != 0)
        glyphs.insert(glyphs.begin(), 0);
    return glyphs;
}

// No subroutine is left: an empty Global Subr INDEX and no Subrs in any Private DICT.
void ExpectNoSubroutines(const CFFFileInput& inSubset)
{
    EXPECT_TRUE(inSubset.GetGlobalSubrs().empty());
    EXPECT_EQ(inSubset.GetPrivateDictionary(0).mPrivateDict.count(19), 0u);
    for (const FontDictionary& fd : inSubset.GetTopDictionary(0).mFDArray)
        EXPECT_EQ(fd.mPrivateDict.mPrivateDict.count(19), 0u);
}

} // namespace

TEST(CFFEmbeddedFontWriterTest, SubsetsOfDebianFontsLoadInFreeTypeWithEqualGlyphs)
{
    const std::vector<std::string> fonts = DebianCFFFonts();

    for (const std::string& path : fonts) {
        SCOPED_TRACE(path);
        std::string font = testsupport::ReadFile(path);
        // The reference is the source's own CFF program, whose widths may differ from hmtx
        // (URW's .notdef); indexes of a CID-keyed one are CIDs.
        std::string sourceCFFBytes = CFFTable(font);
        MemoryFace source(sourceCFFBytes);
        ASSERT_NE(source.Face(), nullptr);
        CFFFileInput sourceCFF;
        ASSERT_EQ(ReadSubset(sourceCFFBytes, sourceCFF), eSuccess);
        auto sourceIndex = [&](uint32_t inGlyph) {
            return sourceCFF.IsCIDKeyed(0) ? sourceCFF.GetGlyphSID(0, static_cast<uint16_t>(inGlyph)) : inGlyph;
        };
        FT_Long glyphCount = sourceCFF.GetCharStringsCount(0);
        std::vector<uint32_t> glyphs;
        for (FT_Long glyph = 1; glyph < glyphCount; glyph += glyphCount > 2000 ? 211 : 3)
            glyphs.push_back(static_cast<uint32_t>(glyph));
        std::vector<uint16_t> cids(glyphs.begin(), glyphs.end());
        std::vector<uint32_t> expected = WithNotdef(glyphs);

        for (bool cidKeyed : {false, true}) {
            SCOPED_TRACE(cidKeyed ? "CID-keyed" : "as the source");
            std::string subset;
            bool notEmbeddable = true;
            ASSERT_EQ(SubsetOfBytes(font, glyphs, cidKeyed ? &cids : nullptr, subset, notEmbeddable), eSuccess);
            EXPECT_FALSE(notEmbeddable);

            CFFFileInput reread;
            ASSERT_EQ(ReadSubset(subset, reread), eSuccess);
            bool subsetIsCID = reread.IsCIDKeyed(0);
            EXPECT_EQ(subsetIsCID, cidKeyed || path == kNotoSansCJK);
            ASSERT_EQ(reread.GetCharStringsCount(0), expected.size());

            // FreeType takes glyph indexes of a bare CID-keyed CFF font as CIDs: loading by
            // CID checks the charset too.
            MemoryFace loaded(subset);
            ASSERT_NE(loaded.Face(), nullptr);
            EXPECT_STREQ(FT_Get_Postscript_Name(loaded.Face()), "ABCDEF+Subset");
            for (size_t i = 0; i < expected.size(); ++i) {
                unsigned index = subsetIsCID ? reread.GetGlyphSID(0, static_cast<uint16_t>(i)) : static_cast<unsigned>(i);
                if (subsetIsCID) {
                    ASSERT_EQ(index, cidKeyed ? expected[i] : sourceIndex(expected[i]));
                }
                ASSERT_EQ(GlyphFingerprint(loaded.Face(), index), GlyphFingerprint(source.Face(), sourceIndex(expected[i])))
                    << "glyph " << expected[i];
            }
            ExpectNoSubroutines(reread);
        }
    }
}

TEST(CFFEmbeddedFontWriterTest, SubsetStructure)
{
    const std::string font = testsupport::ReadFile(fonttest::kNimbusSansOTF);
    InputByteArrayStream sourceStream(reinterpret_cast<const Byte*>(font.data()),
                                      static_cast<LongFilePositionType>(font.size()));
    OpenTypeFileInput source;
    ASSERT_EQ(source.ReadOpenTypeFile(&sourceStream, 0), eSuccess);
    CFFFileInput& sourceCFF = source.GetCFF();

    // Glyphs {3, 5}: three glyphs 0, 3, 5 and their SIDs; the source's Standard encoding is
    // kept by number; the FSType string is added as PostScript entry.
    std::string subset;
    bool notEmbeddable = false;
    ASSERT_EQ(SubsetOfBytes(font, {3, 5}, nullptr, subset, notEmbeddable), eSuccess);
    CFFFileInput reread;
    ASSERT_EQ(ReadSubset(subset, reread), eSuccess);
    EXPECT_EQ(reread.GetFontNames(), std::vector<std::string>{"ABCDEF+Subset"});
    EXPECT_EQ(reread.GetCharStringsCount(0), 3);
    EXPECT_STREQ(reread.GetStringForSID(reread.GetGlyphSID(0, 1)), sourceCFF.GetStringForSID(sourceCFF.GetGlyphSID(0, 3)));
    EXPECT_STREQ(reread.GetStringForSID(reread.GetGlyphSID(0, 2)), sourceCFF.GetStringForSID(sourceCFF.GetGlyphSID(0, 5)));
    for (uint16_t key : {0, 1, 2, 3, 4})
        EXPECT_STREQ(reread.GetStringForSID(static_cast<uint16_t>(reread.GetTopDictionary(0).mTopDict.at(key)[0].mIntegerValue)),
                     sourceCFF.GetStringForSID(static_cast<uint16_t>(sourceCFF.GetTopDictionary(0).mTopDict.at(key)[0].mIntegerValue)));
    EXPECT_EQ(reread.GetTopDictionary(0).mEncoding->mType, sourceCFF.GetTopDictionary(0).mEncoding->mType);
    EXPECT_EQ(reread.GetHeader().mBytes, sourceCFF.GetHeader().mBytes);
    ASSERT_EQ(sourceCFF.GetTopDictionary(0).mTopDict.count(0x0C15), 0u);
    const DictOperandList& postScript = reread.GetTopDictionary(0).mTopDict.at(0x0C15);
    std::string expected = "/FSType " + std::to_string(source.GetOS2().mFSType) + " def";
    EXPECT_EQ(reread.GetStringForSID(static_cast<uint16_t>(postScript[0].mIntegerValue)), expected);
    // The strings kept: the font's own names and the FSType string (Nimbus's glyphs 3 and 5 have
    // standard names).
    std::set<int32_t> ownNames;
    for (uint16_t key : {0, 1, 2, 3, 4, 0x0C00})
        if (sourceCFF.GetTopDictionary(0).mTopDict.count(key) &&
            sourceCFF.GetTopDictionary(0).mTopDict.at(key)[0].mIntegerValue >= 391)
            ownNames.insert(sourceCFF.GetTopDictionary(0).mTopDict.at(key)[0].mIntegerValue);
    EXPECT_EQ(reread.GetStrings().size(), ownNames.size() + 1);
    ExpectNoSubroutines(reread);

    // A CID-keyed subset of the name-keyed font: ROS Adobe Identity 0, one FD with the Private
    // DICT, FDSelect all 0 and a charset of the given CIDs.
    std::vector<uint16_t> cids = {300, 7};
    ASSERT_EQ(SubsetOfBytes(font, {3, 5}, &cids, subset, notEmbeddable), eSuccess);
    ASSERT_EQ(ReadSubset(subset, reread), eSuccess);
    ASSERT_TRUE(reread.IsCIDKeyed(0));
    const DictOperandList& ros = reread.GetTopDictionary(0).mTopDict.at(0x0C1E);
    EXPECT_STREQ(reread.GetStringForSID(static_cast<uint16_t>(ros[0].mIntegerValue)), "Adobe");
    EXPECT_STREQ(reread.GetStringForSID(static_cast<uint16_t>(ros[1].mIntegerValue)), "Identity");
    EXPECT_EQ(ros[2].mIntegerValue, 0);
    EXPECT_EQ(reread.GetTopDictionary(0).mTopDict.at(0x0C22)[0].mIntegerValue, 301);
    ASSERT_EQ(reread.GetTopDictionary(0).mFDArray.size(), 1u);
    CFFDict sourcePrivate = sourceCFF.GetPrivateDictionary(0).mPrivateDict;
    sourcePrivate.erase(19);
    EXPECT_EQ(reread.GetTopDictionary(0).mFDArray[0].mPrivateDict.mPrivateDict.size(), sourcePrivate.size());
    EXPECT_FALSE(reread.GetPrivateDictionary(0).mExists);
    for (uint16_t glyph = 0; glyph < 3; ++glyph)
        EXPECT_EQ(reread.GetGlyphFontDictionary(0, glyph), &reread.GetTopDictionary(0).mFDArray[0]);
    EXPECT_EQ(reread.GetTopDictionary(0).mCharSet->mSIDs, (std::vector<uint16_t>{0, 300, 7}));
}

TEST(CFFEmbeddedFontWriterTest, CIDFontKeepsTheFDsItUses)
{
    // Two glyphs of Noto Sans CJK whose FDs are 1 and 4 or more in the source: the subset's
    // FDArray holds the used FDs in source order, and each glyph keeps its FD's Private DICT.
    const std::string font = testsupport::ReadFile(kNotoSansCJK);
    InputByteArrayStream sourceStream(reinterpret_cast<const Byte*>(font.data()),
                                      static_cast<LongFilePositionType>(font.size()));
    OpenTypeFileInput source;
    ASSERT_EQ(source.ReadOpenTypeFile(&sourceStream, 0), eSuccess);
    CFFFileInput& sourceCFF = source.GetCFF();
    const std::vector<FontDictionary>& fdArray = sourceCFF.GetTopDictionary(0).mFDArray;
    ASSERT_GT(fdArray.size(), 4u);
    auto fdOf = [&](uint16_t inGlyph) { return sourceCFF.GetGlyphFontDictionary(0, inGlyph) - fdArray.data(); };
    uint32_t high = 0, low = 0;
    for (uint16_t glyph = 1; glyph < sourceCFF.GetCharStringsCount(0) && (!high || !low); ++glyph) {
        if (!high && fdOf(glyph) >= 4)
            high = glyph;
        if (!low && fdOf(glyph) == 1)
            low = glyph;
    }
    ASSERT_TRUE(high && low);
    std::vector<uint32_t> glyphs = {std::min(high, low), std::max(high, low)};
    std::vector<uint16_t> cids(glyphs.begin(), glyphs.end());
    std::string subset;
    bool notEmbeddable = false;
    ASSERT_EQ(SubsetOfBytes(font, glyphs, &cids, subset, notEmbeddable), eSuccess);
    CFFFileInput reread;
    ASSERT_EQ(ReadSubset(subset, reread), eSuccess);

    std::vector<long> usedFDs = {fdOf(0), fdOf(static_cast<uint16_t>(glyphs[0])), fdOf(static_cast<uint16_t>(glyphs[1]))};
    std::sort(usedFDs.begin(), usedFDs.end());
    usedFDs.erase(std::unique(usedFDs.begin(), usedFDs.end()), usedFDs.end());
    const std::vector<FontDictionary>& subsetFDs = reread.GetTopDictionary(0).mFDArray;
    ASSERT_EQ(subsetFDs.size(), usedFDs.size());
    std::vector<uint32_t> all = WithNotdef(glyphs);
    for (uint16_t i = 0; i < all.size(); ++i) {
        const FontDictionary* subsetFD = reread.GetGlyphFontDictionary(0, i);
        ASSERT_NE(subsetFD, nullptr);
        long newNumber = subsetFD - subsetFDs.data();
        EXPECT_EQ(usedFDs[newNumber], fdOf(static_cast<uint16_t>(all[i])));
        CFFDict sourcePrivate = fdArray[fdOf(static_cast<uint16_t>(all[i]))].mPrivateDict.mPrivateDict;
        sourcePrivate.erase(19);
        EXPECT_EQ(subsetFD->mPrivateDict.mPrivateDict.size(), sourcePrivate.size());
        EXPECT_EQ(subsetFD->mFontDict.at(0x0C26)[0].mIntegerValue,
                  fdArray[fdOf(static_cast<uint16_t>(all[i]))].mFontDict.at(0x0C26)[0].mIntegerValue);
    }
    ExpectNoSubroutines(reread);
}

TEST(CFFEmbeddedFontWriterTest, EmbeddingRightsAndAccentedCharacters)
{
    std::string font = testsupport::ReadFile(fonttest::kNimbusSansOTF);
    size_t fsType = fonttest::TableOffset(font, "OS/2") + 8;
    struct Case {
        uint16_t fsType;
        bool notEmbeddable;
    };
    for (const Case& test : {Case{2, true}, Case{512, true}, Case{514, true}, Case{8, false}, Case{4, false}}) {
        fonttest::PutUInt16(font, fsType, test.fsType);
        std::string subset;
        bool notEmbeddable = false;
        ASSERT_EQ(SubsetOfBytes(font, {3}, nullptr, subset, notEmbeddable), eSuccess);
        EXPECT_EQ(notEmbeddable, test.notEmbeddable) << test.fsType;
        EXPECT_EQ(subset.empty(), test.notEmbeddable);
        if (test.fsType == 8) {
            EXPECT_NE(subset.find("/FSType 8 def"), std::string::npos);
        }
    }

    // An accented character brings its base and accent, sorted into place.
    CFFBuilder builder;
    builder.mCharStrings = std::vector<std::string>(130, Bytes({14}));
    builder.mCharStrings[40] = Num(0) + Num(0) + Num(65) + Num(193) + Bytes({14});
    std::string bytes = builder.Build();
    InputByteArrayStream stream(reinterpret_cast<const Byte*>(bytes.data()), static_cast<LongFilePositionType>(bytes.size()));
    CFFFileInput input;
    ASSERT_EQ(input.ReadCFFFile(&stream), eSuccess);
    CFFEmbeddedFontWriter writer;
    std::string subset;
    bool notEmbeddable = false;
    ASSERT_EQ(writer.CreateCFFSubset(input, nullptr, {129, 40}, nullptr, "", notEmbeddable, subset), eSuccess);
    CFFFileInput reread;
    ASSERT_EQ(ReadSubset(subset, reread), eSuccess);
    EXPECT_EQ(reread.GetFontNames(), std::vector<std::string>{"TestFont"});
    ASSERT_EQ(reread.GetCharStringsCount(0), 5);
    std::vector<uint16_t> sids;
    for (uint16_t glyph = 0; glyph < 5; ++glyph)
        sids.push_back(reread.GetGlyphSID(0, glyph));
    EXPECT_EQ(sids, (std::vector<uint16_t>{0, 34, 40, 124, 129}));
    GlyphDependencies dependencies;
    EXPECT_EQ(reread.CalculateDependenciesForCharIndex(0, 2, dependencies), eSuccess);
    EXPECT_EQ(dependencies.mCharCodes, (std::set<uint16_t>{1, 3}));

    // ... which a CID-keyed subset could not resolve: refused.
    testsupport::LogCapture log;
    std::vector<uint16_t> cids = {129, 40};
    EXPECT_EQ(writer.CreateCFFSubset(input, nullptr, {129, 40}, &cids, "", notEmbeddable, subset), eFailure);
    EXPECT_TRUE(log.Contains("accented characters made of components cannot be kept in a CID-keyed subset"));
}

TEST(CFFEmbeddedFontWriterTest, FontFileStreamAndFailures)
{
    FreeTypeWrapper freeType;
    FreeTypeFaceWrapper face(freeType.NewFace(fonttest::kNimbusSansOTF, 0), fonttest::kNimbusSansOTF, "", 0);
    WriterTestSupport::MemoryContext memory;
    memory.Context().SetCompressStreams(false);
    CFFEmbeddedFontWriter writer;
    ObjectIDType id = 0;
    ASSERT_EQ(writer.WriteEmbeddedFont(face, {36, 37}, "Type1C", "ABCDEF+NimbusSans-Regular", &memory.Context(), nullptr, id),
              eSuccess);
    EXPECT_EQ(id, 1u);
    std::string pdf = memory.Bytes();
    EXPECT_NE(pdf.find("/Subtype /Type1C"), std::string::npos) << pdf.substr(0, 200);
    size_t data = pdf.find("stream\r\n");
    ASSERT_NE(data, std::string::npos);
    EXPECT_EQ(pdf.compare(data + 8, 4, std::string("\x01\x00\x04", 3) + pdf[data + 11]), 0);
    EXPECT_NE(pdf.find("ABCDEF+NimbusSans-Regular"), std::string::npos);

    testsupport::LogCapture log;
    std::string subset;
    bool notEmbeddable = false;
    FreeTypeFaceWrapper trueType(freeType.NewFace(fonttest::kDejaVuSans, 0), fonttest::kDejaVuSans, "", 0);
    EXPECT_EQ(writer.CreateCFFSubset(trueType, {3}, nullptr, "", notEmbeddable, subset), eFailure);
    EXPECT_TRUE(log.Contains("CFFEmbeddedFontWriter::CreateCFFSubset, font file is not CFF")) << log.Text();
    EXPECT_EQ(writer.CreateCFFSubset(face, {5000}, nullptr, "", notEmbeddable, subset), eFailure);
    EXPECT_TRUE(log.Contains("glyph 5000 is not in a font of 855 glyphs")) << log.Text();
    ObjectIDType failedID = 7;
    EXPECT_EQ(writer.WriteEmbeddedFont(face, {5000}, "Type1C", "", &memory.Context(), nullptr, failedID), eFailure);
    EXPECT_EQ(failedID, 0u);
    EXPECT_TRUE(log.Contains("CFFEmbeddedFontWriter::WriteEmbeddedFont, failed to write embedded font program"));
    EXPECT_EQ(memory.Bytes(), pdf);
}
