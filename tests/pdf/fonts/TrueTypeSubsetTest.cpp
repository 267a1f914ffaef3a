// TrueType subsets: the layout of the font built, glyph outlines and advances as FreeType reads
// them from the subset and from the source, composite closure (cycles included), the embedding
// rights, and damaged fonts failing cleanly.

#include "pdf/fonts/TrueTypeEmbeddedFontWriter.h"
#include "pdf/io/InputByteArrayStream.h"

#include "FontTestSupport.h"
#include "tests/pdf/support/LogCapture.h"
#include "tests/pdf/support/TestDirectory.h"

#include FT_OUTLINE_H

#include <gtest/gtest.h>

#include <functional>

using namespace fonttest;

namespace {

OpStatus Subset(const std::string& inFont, const std::vector<uint32_t>& inGlyphs, std::string& outSubset,
                bool* outNotEmbeddable = nullptr)
{
    InputByteArrayStream stream(reinterpret_cast<const Byte*>(inFont.data()),
                                static_cast<LongFilePositionType>(inFont.size()));
    TrueTypeEmbeddedFontWriter writer;
    bool notEmbeddable = false;
    OpStatus status = writer.CreateTrueTypeSubset(&stream, 0, inGlyphs, notEmbeddable, outSubset);
    if (outNotEmbeddable)
        *outNotEmbeddable = notEmbeddable;
    return status;
}

// FreeType over a font in memory.
class MemoryFace {
public:
    explicit MemoryFace(const std::string& inBytes) : mBytes(inBytes)
    {
        if (FT_Init_FreeType(&mLibrary) == 0)
            FT_New_Memory_Face(mLibrary, reinterpret_cast<const FT_Byte*>(mBytes.data()),
                               static_cast<FT_Long>(mBytes.size()), 0, &mFace);
    }
    ~MemoryFace()
    {
        if (mFace)
            FT_Done_Face(mFace);
        if (mLibrary)
            FT_Done_FreeType(mLibrary);
    }
    FT_Face Face() const { return mFace; }

private:
    std::string mBytes;
    FT_Library mLibrary = nullptr;
    FT_Face mFace = nullptr;
};

struct LoadedGlyph {
    FT_Pos advance = 0;
    std::vector<FT_Vector> points;
    std::vector<char> tags;
    std::vector<short> contours;
};

LoadedGlyph Load(FT_Face inFace, FT_UInt inGlyph)
{
    LoadedGlyph glyph;
    EXPECT_EQ(FT_Load_Glyph(inFace, inGlyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING), 0) << inGlyph;
    FT_Outline& outline = inFace->glyph->outline;
    glyph.advance = inFace->glyph->metrics.horiAdvance;
    glyph.points.assign(outline.points, outline.points + outline.n_points);
    glyph.tags.assign(outline.tags, outline.tags + outline.n_points);
    glyph.contours.assign(outline.contours, outline.contours + outline.n_contours);
    return glyph;
}

} // namespace

// Shared with the end-to-end tests: every used glyph of the subset draws and advances as the
// source font's.
void ExpectGlyphsAsInSource(const std::string& inSubset, const char* inSourcePath,
                            const std::vector<uint32_t>& inGlyphs)
{
    MemoryFace subset(inSubset);
    ReferenceFace source(inSourcePath);
    ASSERT_NE(subset.Face(), nullptr) << "the subset does not load in FreeType";
    ASSERT_NE(source.Face(), nullptr);
    for (uint32_t glyph : inGlyphs) {
        LoadedGlyph expected = Load(source.Face(), glyph);
        LoadedGlyph actual = Load(subset.Face(), glyph);
        EXPECT_EQ(actual.advance, expected.advance) << "glyph " << glyph;
        ASSERT_EQ(actual.points.size(), expected.points.size()) << "glyph " << glyph;
        for (size_t i = 0; i < expected.points.size(); ++i) {
            EXPECT_EQ(actual.points[i].x, expected.points[i].x) << "glyph " << glyph << " point " << i;
            EXPECT_EQ(actual.points[i].y, expected.points[i].y) << "glyph " << glyph << " point " << i;
        }
        EXPECT_EQ(actual.tags, expected.tags) << "glyph " << glyph;
        EXPECT_EQ(actual.contours, expected.contours) << "glyph " << glyph;
    }
}

TEST(TrueTypeSubset, LayoutOfTheBuiltFont)
{
    const std::string font = testsupport::ReadFile(kDejaVuSans);
    ASSERT_FALSE(font.empty());
    std::string subset;
    ASSERT_EQ(Subset(font, {0, 36}, subset), eSuccess);

    // DejaVu Sans has OS/2, cvt, fpgm and prep: 12 tables.
    EXPECT_EQ(GetUInt32(subset, 0), 0x00010000u);
    EXPECT_EQ(GetUInt16(subset, 4), 12);
    EXPECT_EQ(GetUInt16(subset, 6), 128);
    EXPECT_EQ(GetUInt16(subset, 8), 3);
    EXPECT_EQ(GetUInt16(subset, 10), 64);
    const char* const scOrder[] = {"OS/2", "cmap", "cvt ", "fpgm", "glyf", "head",
                                   "hhea", "hmtx", "loca", "maxp", "name", "prep"};
    for (size_t i = 0; i < 12; ++i)
        EXPECT_EQ(subset.substr(12 + 16 * i, 4), scOrder[i]);

    // Every table's checksum, and the whole font's with the adjustment.
    uint32_t total = 0;
    for (size_t at = 0; at < subset.size(); at += 4)
        total += GetUInt32(subset, at);
    EXPECT_EQ(total, 0xB1B0AFBAu);
    EXPECT_EQ(subset.size() % 4, 0u);
    for (size_t i = 0; i < 12; ++i) {
        size_t record = 12 + 16 * i;
        uint32_t offset = GetUInt32(subset, record + 8);
        uint32_t length = GetUInt32(subset, record + 12);
        ASSERT_LE(offset + length, subset.size());
        uint32_t sum = 0;
        for (size_t at = offset; at < offset + length; at += 4) {
            std::string word = subset.substr(at, 4);
            word.resize(4, '\0');
            sum += GetUInt32(word, 0);
        }
        if (subset.compare(record, 4, "head") != 0) {
            EXPECT_EQ(sum, GetUInt32(subset, record + 4)) << scOrder[i];
        }
    }

    const size_t head = TableOffset(subset, "head");
    EXPECT_EQ(GetUInt16(subset, head + 50), 1) << "long loca offsets";
    EXPECT_EQ(GetUInt16(subset, TableOffset(subset, "maxp") + 4), 37);
    EXPECT_EQ(GetUInt16(subset, TableOffset(subset, "hhea") + 34), 37);
    EXPECT_EQ(GetUInt32(subset, TableRecordAt(subset, "hmtx") + 12), 37u * 4);
    const size_t loca = TableOffset(subset, "loca");
    EXPECT_EQ(GetUInt32(subset, TableRecordAt(subset, "loca") + 12), 38u * 4);
    const uint32_t notdefLength = GetUInt32(subset, loca + 4);
    EXPECT_GT(notdefLength, 0u);
    for (size_t glyph = 1; glyph <= 36; ++glyph)
        EXPECT_EQ(GetUInt32(subset, loca + 4 * glyph), notdefLength) << glyph;
    EXPECT_EQ(GetUInt32(subset, loca + 4 * 37), GetUInt32(subset, TableRecordAt(subset, "glyf") + 12));
    // name, cmap and the hinting tables are the source's own bytes.
    for (const char* copied : {"name", "cmap", "cvt ", "fpgm", "prep", "OS/2"})
        EXPECT_EQ(subset.substr(TableOffset(subset, copied), GetUInt32(subset, TableRecordAt(subset, copied) + 12)),
                  font.substr(TableOffset(font, copied), GetUInt32(font, TableRecordAt(font, copied) + 12)))
            << copied;

    ExpectGlyphsAsInSource(subset, kDejaVuSans, {0, 36});
    MemoryFace face(subset);
    ASSERT_NE(face.Face(), nullptr);
    EXPECT_EQ(face.Face()->num_glyphs, 37);
    EXPECT_EQ(Load(face.Face(), 35).points.size(), 0u) << "glyphs outside the subset are empty";
}

TEST(TrueTypeSubset, CompositeGlyphsBringTheirComponents)
{
    ReferenceFace source(kDejaVuSans);
    ASSERT_NE(source.Face(), nullptr);
    // Accented letters of DejaVu Sans are composites of their base letter and accent.
    std::vector<uint32_t> glyphs;
    for (FT_ULong character : {0xE9ul, 0x1EA4ul, 0x1F0Aul})
        glyphs.push_back(FT_Get_Char_Index(source.Face(), character));
    std::sort(glyphs.begin(), glyphs.end());
    std::string subset;
    ASSERT_EQ(Subset(testsupport::ReadFile(kDejaVuSans), glyphs, subset), eSuccess);
    ExpectGlyphsAsInSource(subset, kDejaVuSans, glyphs);
    // Only composites were asked for: their outlines come from the components kept.
    MemoryFace face(subset);
    for (uint32_t glyph : glyphs)
        EXPECT_GT(Load(face.Face(), glyph).points.size(), 0u) << glyph;
}

TEST(TrueTypeSubset, FacesOfCollectionsAndDfontsAreSubsetAsPlainFonts)
{
    const std::string dejaVu = testsupport::ReadFile(kDejaVuSans);
    const std::string liberation = testsupport::ReadFile(kLiberationSans);
    const struct {
        const char* name;
        std::string bytes;
    } scContainers[] = {{"collection", MakeCollection({dejaVu, liberation})},
                        {"dfont", MakeDfont({dejaVu, liberation})}};
    for (const auto& container : scContainers) {
        InputByteArrayStream stream(reinterpret_cast<const Byte*>(container.bytes.data()),
                                    static_cast<LongFilePositionType>(container.bytes.size()));
        TrueTypeEmbeddedFontWriter writer;
        bool notEmbeddable = false;
        std::string subset;
        ASSERT_EQ(writer.CreateTrueTypeSubset(&stream, 1, {0, 36, 68}, notEmbeddable, subset), eSuccess)
            << container.name;
        ExpectGlyphsAsInSource(subset, kLiberationSans, {0, 36, 68});
        MemoryFace face(subset);
        ASSERT_NE(face.Face(), nullptr);
        EXPECT_STREQ(face.Face()->family_name, "Liberation Sans") << container.name;
    }
}

TEST(TrueTypeSubset, EmbeddingRightsByFSType)
{
    std::string font = testsupport::ReadFile(kDejaVuSans);
    const size_t fsType = TableOffset(font, "OS/2") + 8;
    const struct {
        uint16_t fsType;
        bool embeds;
    } scCases[] = {{0x0000, true},  {0x0002, false}, {0x0004, true},  {0x0008, true},
                   {0x0200, false}, {0x0202, false}, {0x0302, true},  {0x000A, true}};
    for (const auto& test : scCases) {
        PutUInt16(font, fsType, test.fsType);
        std::string subset;
        bool notEmbeddable = false;
        EXPECT_EQ(Subset(font, {0, 36}, subset, &notEmbeddable), eSuccess) << test.fsType;
        EXPECT_EQ(notEmbeddable, !test.embeds) << test.fsType;
        EXPECT_EQ(subset.empty(), !test.embeds) << test.fsType;
    }
}

TEST(TrueTypeSubset, DamagedFontsAndBadGlyphListsFailCleanly)
{
    const std::string font = testsupport::ReadFile(kDejaVuSans);
    ReferenceFace source(kDejaVuSans);
    const uint16_t glyphCount = static_cast<uint16_t>(source.Face()->num_glyphs);
    const uint32_t eAcute = FT_Get_Char_Index(source.Face(), 0xE9);
    const uint32_t aAcute = FT_Get_Char_Index(source.Face(), 0xE1);
    const size_t glyf = TableOffset(font, "glyf");
    const size_t loca = TableOffset(font, "loca");
    const bool longLoca = GetUInt16(font, TableOffset(font, "head") + 50) != 0;
    auto glyphStart = [&](uint32_t inGlyph) {
        return glyf + (longLoca ? GetUInt32(font, loca + 4 * inGlyph) : 2u * GetUInt16(font, loca + 2 * inGlyph));
    };
    ASSERT_LT(static_cast<int16_t>(GetUInt16(font, glyphStart(eAcute))), 0) << "é is a composite";
    ASSERT_LT(static_cast<int16_t>(GetUInt16(font, glyphStart(aAcute))), 0) << "á is a composite";
    auto shortened = [&](const char* inTable, uint32_t inLength) {
        std::string bytes = font;
        PutUInt32(bytes, TableRecordAt(bytes, inTable) + 12, inLength);
        return bytes;
    };

    const struct {
        const char* name;
        std::function<std::string()> make;
        std::vector<uint32_t> glyphs;
        OpStatus status;
        const char* message;
    } scCases[] = {
        {"glyph id at the glyph count", [&] { return font; }, {0, glyphCount}, eFailure,
         "requested glyph index"},
        {"glyph id far beyond", [&] { return font; }, {0, 70000}, eFailure, "requested glyph index"},
        {"head too short", [&] { return shortened("head", 53); }, {0, 36}, eFailure, "head"},
        {"hhea too short", [&] { return shortened("hhea", 35); }, {0, 36}, eFailure, "hhea"},
        {"maxp too short", [&] { return shortened("maxp", 5); }, {0, 36}, eFailure, "maxp"},
        {"not a font", [&] { return std::string("not a font at all"); }, {0}, eFailure,
         "failed to read true type file"},
        {"composite made of itself",
         [&] {
             std::string bytes = font;
             PutUInt16(bytes, glyphStart(eAcute) + 12, static_cast<uint16_t>(eAcute));
             return bytes;
         },
         {0, eAcute}, eSuccess, ""},
        {"two composites made of each other",
         [&] {
             std::string bytes = font;
             PutUInt16(bytes, glyphStart(eAcute) + 12, static_cast<uint16_t>(aAcute));
             PutUInt16(bytes, glyphStart(aAcute) + 12, static_cast<uint16_t>(eAcute));
             return bytes;
         },
         {0, eAcute}, eSuccess, ""},
    };
    for (const auto& test : scCases) {
        testsupport::LogCapture log;
        std::string subset;
        EXPECT_EQ(Subset(test.make(), test.glyphs, subset), test.status) << test.name;
        if (test.status == eFailure) {
            EXPECT_TRUE(subset.empty()) << test.name;
            EXPECT_TRUE(log.Contains(test.message)) << test.name << "\n" << log.Text();
        } else {
            MemoryFace face(subset);
            EXPECT_NE(face.Face(), nullptr) << test.name;
        }
    }
}
