// The sfnt reader against FreeType on Debian's fonts, collections and dfonts made from them,
// and damaged fonts, which must fail cleanly with a log line.

#include "pdf/fonts/OpenTypeFileInput.h"
#include "pdf/fonts/FreeTypeWrapper.h"
#include "pdf/io/InputByteArrayStream.h"
#include "pdf/io/InputFile.h"

#include "FontTestSupport.h"
#include "tests/pdf/support/LogCapture.h"
#include "tests/pdf/support/TestDirectory.h"

#include FT_TRUETYPE_TABLES_H
#include FT_ADVANCES_H

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

using namespace fonttest;

namespace {

OpStatus ReadBytes(const std::string& inBytes, OpenTypeFileInput& outInput, uint16_t inFace = 0)
{
    InputByteArrayStream stream(reinterpret_cast<const Byte*>(inBytes.data()),
                                static_cast<LongFilePositionType>(inBytes.size()));
    return outInput.ReadOpenTypeFile(&stream, inFace);
}

// A name of the font as ASCII: Macintosh Roman records as they are, Windows UTF-16 by low bytes.
std::string NameOf(const OpenTypeFileInput& inInput, uint16_t inNameID)
{
    for (const NameTableEntry& entry : inInput.GetName()) {
        if (entry.mNameID != inNameID)
            continue;
        if (entry.mPlatformID == 1 && entry.mEncodingID == 0)
            return entry.mName;
        if (entry.mPlatformID == 3) {
            std::string text;
            for (size_t i = 1; i < entry.mName.size(); i += 2)
                text.push_back(entry.mName[i]);
            return text;
        }
    }
    return std::string();
}

void ExpectSameAsFreeType(const OpenTypeFileInput& inInput, FT_Face inFace, bool inCheckComponents)
{
    ASSERT_NE(inFace, nullptr);
    EXPECT_EQ(inInput.GetGlyphCount(), inFace->num_glyphs);
    EXPECT_EQ(inInput.GetHead().mUnitsPerEm, inFace->units_per_EM);
    EXPECT_EQ(inInput.GetHead().mXMin, inFace->bbox.xMin);
    EXPECT_EQ(inInput.GetHead().mYMax, inFace->bbox.yMax);
    EXPECT_EQ(inInput.GetHHea().mAscender, inFace->ascender);
    EXPECT_EQ(inInput.GetHHea().mDescender, inFace->descender);
    EXPECT_EQ(NameOf(inInput, 6), FT_Get_Postscript_Name(inFace));
    EXPECT_EQ(NameOf(inInput, 1), inFace->family_name);
    TT_OS2* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(inFace, FT_SFNT_OS2));
    ASSERT_EQ(inInput.HasOS2(), os2 != nullptr);
    if (os2) {
        EXPECT_EQ(inInput.GetOS2().mWeightClass, os2->usWeightClass);
        EXPECT_EQ(inInput.GetOS2().mFSType, os2->fsType);
    }

    int differentAdvances = 0;
    int differentComponents = 0;
    for (FT_UInt glyph = 0; glyph < inInput.GetGlyphCount(); ++glyph) {
        FT_Fixed advance = 0;
        FT_Get_Advance(inFace, glyph, FT_LOAD_NO_SCALE, &advance);
        differentAdvances += inInput.GetHMtx()[glyph].mAdvanceWidth != advance;
        if (!inCheckComponents)
            continue;
        // FreeType lists a composite's parts when it does not assemble the glyph.
        std::vector<uint16_t> components;
        if (FT_Load_Glyph(inFace, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_RECURSE) == 0 &&
            inFace->glyph->format == FT_GLYPH_FORMAT_COMPOSITE) {
            for (FT_UInt i = 0; i < inFace->glyph->num_subglyphs; ++i) {
                FT_Int index, arg1, arg2;
                FT_UInt flags;
                FT_Matrix matrix;
                FT_Get_SubGlyph_Info(inFace->glyph, i, &index, &flags, &arg1, &arg2, &matrix);
                components.push_back(static_cast<uint16_t>(index));
            }
        }
        const GlyphEntry* entry = inInput.GetGlyphEntry(static_cast<uint16_t>(glyph));
        differentComponents += (entry ? entry->mComponentGlyphs : std::vector<uint16_t>()) != components;
    }
    EXPECT_EQ(differentAdvances, 0);
    EXPECT_EQ(differentComponents, 0);
}

} // namespace

TEST(OpenTypeFileInputTest, DebianFontsReadAsFreeTypeReadsThem)
{
    const struct {
        const char* path;
        bool checkComponents;
    } scFonts[] = {{kDejaVuSans, true}, {kLiberationSans, true}, {kDroidSansFallback, false}};
    for (const auto& font : scFonts) {
        SCOPED_TRACE(font.path);
        InputFile file;
        ASSERT_EQ(file.OpenFile(font.path), eSuccess);
        OpenTypeFileInput input;
        ASSERT_EQ(input.ReadOpenTypeFile(file.GetInputStream(), 0), eSuccess);
        EXPECT_EQ(input.GetOpenTypeFontType(), eOpenTypeTrueType);
        EXPECT_EQ(input.GetLoca().size(), input.GetGlyphCount() + 1u);
        ReferenceFace reference(font.path);
        ExpectSameAsFreeType(input, reference.Face(), font.checkComponents);
    }
}

TEST(OpenTypeFileInputTest, CollectionsAndDfontsOpenAtEachFaceIndex)
{
    testsupport::TestDirectory folder;
    std::vector<std::string> fonts = {testsupport::ReadFile(kDejaVuSans), testsupport::ReadFile(kLiberationSans)};
    const struct {
        const char* name;
        std::string bytes;
        const char* outOfRange;
    } scContainers[] = {
        {"pair.ttc", MakeCollection(fonts), "OpenTypeFileInput::ReadOpenTypeSFNT, face index 2 out of range. Max font "
                                             "count is 2"},
        {"pair.dfont", MakeDfont(fonts), "OpenTypeFileInput::ReadOpenTypeSFNTFromDfont, could not find face inside "
                                          "resource"}};
    for (const auto& container : scContainers) {
        SCOPED_TRACE(container.name);
        std::string path = folder.Write(container.name, container.bytes);
        FreeTypeWrapper freeType;
        for (uint16_t face = 0; face < 2; ++face) {
            SCOPED_TRACE(face);
            OpenTypeFileInput input;
            ASSERT_EQ(ReadBytes(container.bytes, input, face), eSuccess);
            EXPECT_EQ(input.GetFaceIndex(), face);
            ReferenceFace plain(face == 0 ? kDejaVuSans : kLiberationSans);
            ExpectSameAsFreeType(input, plain.Face(), false);
            // The library's own FreeType streams open the same face of the container.
            FT_Face opened = freeType.NewFace(path, face);
            ASSERT_NE(opened, nullptr);
            EXPECT_STREQ(FT_Get_Postscript_Name(opened), FT_Get_Postscript_Name(plain.Face()));
            FT_Done_Face(opened);
        }
        testsupport::LogCapture log;
        OpenTypeFileInput input;
        EXPECT_EQ(ReadBytes(container.bytes, input, 2), eFailure);
        EXPECT_TRUE(log.Contains(container.outOfRange)) << log.Text();
    }
}

TEST(OpenTypeFileInputTest, OptionalTablesAndOtherOutlines)
{
    std::string font = testsupport::ReadFile(kDejaVuSans);
    std::string shortOS2 = font;
    PutUInt32(shortOS2, TableRecordAt(shortOS2, "OS/2") + 12, 78);
    OpenTypeFileInput input;
    ASSERT_EQ(ReadBytes(shortOS2, input), eSuccess);
    EXPECT_TRUE(input.HasOS2());
    EXPECT_EQ(input.GetOS2().mCapHeight, 0);
    EXPECT_EQ(input.GetOS2().mCodePageRange1, 0u);

    std::string withoutOS2 = font;
    withoutOS2.replace(TableRecordAt(withoutOS2, "OS/2"), 4, "XS/2");
    ASSERT_EQ(ReadBytes(withoutOS2, input), eSuccess);
    EXPECT_FALSE(input.HasOS2());

    // CFF outlines go to the CFF reader, which is bounded by the table's length.
    InputFile file;
    ASSERT_EQ(file.OpenFile(kNimbusSansOTF), eSuccess);
    EXPECT_EQ(input.ReadOpenTypeFile(file.GetInputStream(), 0), eSuccess);
    EXPECT_EQ(input.GetOpenTypeFontType(), eOpenTypeCFF);
    ReferenceFace reference(kNimbusSansOTF);
    EXPECT_EQ(input.GetGlyphCount(), reference.Face()->num_glyphs);
    EXPECT_EQ(input.GetCFF().GetCharStringsCount(0), reference.Face()->num_glyphs);
    EXPECT_EQ(input.GetCFF().GetCFFLength(), input.FindTableEntry("CFF ")->mLength);
}

TEST(OpenTypeFileInputTest, DamagedFontsFailWithALogLine)
{
    const std::string font = testsupport::ReadFile(kDejaVuSans);
    ASSERT_FALSE(font.empty());
    const size_t head = TableOffset(font, "head");
    const size_t hhea = TableOffset(font, "hhea");
    const size_t loca = TableOffset(font, "loca");
    const uint16_t glyphCount = GetUInt16(font, TableOffset(font, "maxp") + 4);
    const bool longLoca = GetUInt16(font, head + 50) != 0;
    auto locaAt = [&](const std::string& inFont, size_t inGlyph) {
        return longLoca ? GetUInt32(inFont, loca + 4 * inGlyph) : 2u * GetUInt16(inFont, loca + 2 * inGlyph);
    };
    auto setLoca = [&](std::string& ioFont, size_t inGlyph, uint32_t inValue) {
        if (longLoca)
            PutUInt32(ioFont, loca + 4 * inGlyph, inValue);
        else
            PutUInt16(ioFont, loca + 2 * inGlyph, static_cast<uint16_t>(inValue / 2));
    };
    // The first composite glyph's data.
    size_t composite = 0;
    for (size_t glyph = 0; glyph < glyphCount && !composite; ++glyph) {
        size_t start = TableOffset(font, "glyf") + locaAt(font, glyph);
        if (locaAt(font, glyph + 1) > locaAt(font, glyph) && static_cast<int16_t>(GetUInt16(font, start)) < 0)
            composite = start;
    }
    ASSERT_NE(composite, 0u);

    const struct {
        const char* name;
        std::function<std::string()> make;
        const char* message;
    } scCases[] = {
        {"cut in half", [&] { return font.substr(0, font.size() / 2); }, "lies beyond the end of the file"},
        {"table record past the end",
         [&] {
             std::string bytes = font;
             PutUInt32(bytes, TableRecordAt(bytes, "name") + 8, static_cast<uint32_t>(bytes.size()));
             return bytes;
         },
         "table name at"},
        {"no horizontal metrics",
         [&] {
             std::string bytes = font;
             PutUInt16(bytes, hhea + 34, 0);
             return bytes;
         },
         "numberOfHMetrics 0 is not within 1 and the glyph count"},
        {"more horizontal metrics than glyphs",
         [&] {
             std::string bytes = font;
             PutUInt16(bytes, hhea + 34, static_cast<uint16_t>(glyphCount + 1));
             return bytes;
         },
         "OpenTypeFileInput::ReadHMtx, numberOfHMetrics"},
        {"loca going back",
         [&] {
             std::string bytes = font;
             setLoca(bytes, 10, 0);
             return bytes;
         },
         "OpenTypeFileInput::ReadLoca, offset 0 of glyph 10 is below the one before it"},
        {"loca past glyf",
         [&] {
             std::string bytes = font;
             setLoca(bytes, glyphCount, GetUInt32(bytes, TableRecordAt(bytes, "glyf") + 12) + 2);
             return bytes;
         },
         "past the glyf table"},
        {"component out of range",
         [&] {
             std::string bytes = font;
             PutUInt16(bytes, composite + 12, 0xFFFF);
             return bytes;
         },
         "OpenTypeFileInput::ReadGlyfForDependencies, dependent glyph out of range"},
        {"components running on past the glyph",
         [&] {
             // Every component says another follows.
             std::string bytes = font;
             size_t at = composite + 10;
             for (int i = 0; i < 8; ++i) {
                 uint16_t flags = GetUInt16(bytes, at);
                 PutUInt16(bytes, at, static_cast<uint16_t>(flags | 0x20));
                 at += 4 + ((flags & 1) ? 4 : 2) + ((flags & 8) ? 2 : (flags & 0x40) ? 4 : (flags & 0x80) ? 8 : 0);
             }
             return bytes;
         },
         "OpenTypeFileInput::ReadGlyfForDependencies, "},
        {"collection face at offset 0",
         [&] { return "ttcf" + BigEndian32(0x00010000) + BigEndian32(1) + BigEndian32(0) + font; },
         "face 0 of the collection starts at 0, inside the collection header"},
        {"collection inside a collection",
         [&] {
             return "ttcf" + BigEndian32(0x00010000) + BigEndian32(1) + BigEndian32(16) + "ttcf" +
                    BigEndian32(0x00010000) + BigEndian32(1) + BigEndian32(16);
         },
         "a collection inside a collection or resource is not supported"},
        {"dfont inside a dfont", [&] { return MakeDfont({MakeDfont({font})}); }, "SFNT header not open type"},
        {"not a font", [&] { return std::string("%PDF-1.4 not a font at all"); }, "SFNT header not open type"},
        {"empty", [&] { return std::string(); }, "SFNT header not open type"},
    };
    for (const auto& damaged : scCases) {
        SCOPED_TRACE(damaged.name);
        testsupport::LogCapture log;
        OpenTypeFileInput input;
        EXPECT_EQ(ReadBytes(damaged.make(), input), eFailure);
        EXPECT_TRUE(log.Contains(damaged.message)) << log.Text();
        EXPECT_TRUE(log.Contains("OpenTypeFileInput::ReadOpenTypeFile, failed to read ")) << log.Text();
    }
}

// A name table that claims more records than it holds: only what lies in the table is read, and
// the real names stay.
TEST(OpenTypeFileInputTest, NameRecordsStayInsideTheirTable)
{
    std::string font = testsupport::ReadFile(kDejaVuSans);
    ASSERT_FALSE(font.empty());
    const size_t name = TableOffset(font, "name");
    const uint32_t length = GetUInt32(font, TableRecordAt(font, "name") + 12);
    const std::string family = [&] {
        OpenTypeFileInput input;
        EXPECT_EQ(ReadBytes(font, input), eSuccess);
        return NameOf(input, 1);
    }();
    PutUInt16(font, name + 2, 0xFFFF);
    OpenTypeFileInput input;
    ASSERT_EQ(ReadBytes(font, input), eSuccess);
    EXPECT_LE(input.GetName().size(), (length - 6) / 12);
    EXPECT_EQ(NameOf(input, 1), family);
}

TEST(OpenTypeFileInputTest, KeptFuzzerFindingsAreHandledCleanly)
{
    std::filesystem::path folder = std::filesystem::path(__FILE__).parent_path() / "regressions";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        SCOPED_TRACE(entry.path().filename().string());
        std::string bytes = testsupport::ReadFile(entry.path());
        for (uint16_t face = 0; face < 3; ++face) {
            OpenTypeFileInput input;
            if (ReadBytes(bytes, input, face) != eSuccess)
                continue;
            for (uint32_t glyph = 0; glyph < input.GetGlyphCount(); ++glyph) {
                const GlyphEntry* record = input.GetGlyphEntry(static_cast<uint16_t>(glyph));
                for (uint16_t component : record ? record->mComponentGlyphs : std::vector<uint16_t>())
                    EXPECT_LT(component, input.GetGlyphCount());
            }
        }
        ++files;
    }
    EXPECT_GT(files, 0);
}

TEST(OpenTypeFileInputTest, GlyphRecordsReadOnDemandEqualThoseReadWithTheTables)
{
    const std::string font = testsupport::ReadFile(kDejaVuSans);
    InputByteArrayStream eagerStream(reinterpret_cast<const Byte*>(font.data()),
                                     static_cast<LongFilePositionType>(font.size()));
    InputByteArrayStream lazyStream(reinterpret_cast<const Byte*>(font.data()),
                                    static_cast<LongFilePositionType>(font.size()));
    OpenTypeFileInput eager;
    OpenTypeFileInput lazy;
    ASSERT_EQ(eager.ReadOpenTypeFile(&eagerStream, 0), eSuccess);
    ASSERT_EQ(lazy.ReadOpenTypeFile(&lazyStream, 0, OpenTypeFileInput::eReadGlyphRecordsOnDemand), eSuccess);
    EXPECT_EQ(lazy.GetGlyphEntry(36), nullptr) << "nothing is read before it is asked for";
    size_t composites = 0;
    // Backwards, so that every record is read out of file order.
    for (uint32_t glyph = eager.GetGlyphCount(); glyph-- > 0;) {
        const GlyphEntry* expected = eager.GetGlyphEntry(static_cast<uint16_t>(glyph));
        const GlyphEntry* actual = nullptr;
        ASSERT_EQ(lazy.LoadGlyphEntry(static_cast<uint16_t>(glyph), actual), eSuccess);
        ASSERT_EQ(actual == nullptr, expected == nullptr) << glyph;
        if (!expected)
            continue;
        EXPECT_EQ(actual->mNumberOfContours, expected->mNumberOfContours);
        EXPECT_EQ(actual->mXMax, expected->mXMax);
        EXPECT_EQ(actual->mComponentGlyphs, expected->mComponentGlyphs) << glyph;
        composites += expected->mComponentGlyphs.empty() ? 0 : 1;
    }
    EXPECT_GT(composites, 100u);
    testsupport::LogCapture log;
    const GlyphEntry* none = nullptr;
    EXPECT_EQ(lazy.LoadGlyphEntry(eager.GetGlyphCount(), none), eFailure);
    EXPECT_TRUE(log.Contains("OpenTypeFileInput::LoadGlyphEntry, glyph")) << log.Text();
}
