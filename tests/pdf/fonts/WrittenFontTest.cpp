// Written fonts: which texts go to one-byte codes and which to CIDs, the codes they get, and the
// encoding state saved into a PDF file and read back.

#include "pdf/fonts/WrittenFontCFF.h"
#include "pdf/fonts/WrittenFontTrueType.h"
#include "pdf/io/InputFile.h"
#include "pdf/parsing/PDFParser.h"
#include "pdf/writing/PDFWriter.h"

#include "tests/pdf/support/LogCapture.h"
#include "tests/pdf/support/TestDirectory.h"
#include "tests/pdf/writing/WriterTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// A glyph per character: glyph = character + 3 unless given.
GlyphTextRecordList Text(std::initializer_list<uint32_t> inCharacters)
{
    GlyphTextRecordList records;
    for (uint32_t character : inCharacters)
        records.push_back(GlyphTextRecord{static_cast<uint16_t>(character + 3), {character}});
    return records;
}

struct Encoded {
    std::vector<uint16_t> codes;
    bool isCID = false;
    ObjectIDType id = 0;
};

Encoded Encode(IWrittenFont& inFont, const GlyphTextRecordList& inText)
{
    Encoded result;
    inFont.EncodeGlyphList(inText, result.codes, result.isCID, result.id);
    return result;
}

std::vector<uint16_t> GlyphsOf(const WrittenFontRepresentation* inRepresentation)
{
    std::vector<uint16_t> glyphs;
    for (const auto& entry : inRepresentation->mGlyphIDToEncodedChar)
        glyphs.push_back(entry.first);
    return glyphs;
}

} // namespace

TEST(WrittenFontTest, TrueTypeTextsGoToWinAnsiCodesOrToCIDs)
{
    WriterTestSupport::MemoryContext memory;
    WrittenFontTrueType font(&memory.Context());
    Encoded hello = Encode(font, Text({'H', 'e', 'l', 'l', 'o'}));
    EXPECT_EQ(hello.codes, (std::vector<uint16_t>{0x48, 0x65, 0x6C, 0x6C, 0x6F}));
    EXPECT_FALSE(hello.isCID);
    EXPECT_NE(hello.id, 0u);
    EXPECT_EQ(GlyphsOf(font.GetANSIRepresentation()), (std::vector<uint16_t>{0, 'H' + 3, 'e' + 3, 'l' + 3, 'o' + 3}));

    // Hyphen and soft hyphen share a glyph: the code stored first is the one written.
    GlyphTextRecordList hyphens = {{48, {0x2D}}, {48, {0xAD}}, {'e' + 3, {'e'}}};
    EXPECT_EQ(Encode(font, hyphens).codes, (std::vector<uint16_t>{0x2D, 0x2D, 0x65}));
    EXPECT_EQ(Encode(font, GlyphTextRecordList{{48, {0xAD}}}).codes, (std::vector<uint16_t>{0x2D}));
    EXPECT_EQ(font.GetANSIRepresentation()->mGlyphIDToEncodedChar.at(48).mEncodedCharacter, 0x2D);

    // Outside the one-byte set: the bullet, superscript two, a ligature, two glyphs for one code.
    const std::function<GlyphTextRecordList()> scForCID[] = {
        [] { return Text({'A', 0x2022}); },
        [] { return Text({0xB2}); },
        [] { return GlyphTextRecordList{{900, {'f', 'i'}}}; },
        [] { return GlyphTextRecordList{{901, {'H'}}}; }};
    WrittenFontTrueType fresh(&memory.Context());
    for (const auto& make : scForCID) {
        WrittenFontTrueType one(&memory.Context());
        Encoded encoded = Encode(one, Text({'H'}));
        encoded = Encode(one, make());
        EXPECT_TRUE(encoded.isCID);
        EXPECT_EQ(GlyphsOf(one.GetCIDRepresentation()).front(), 0);
        for (size_t i = 0; i < encoded.codes.size(); ++i)
            EXPECT_EQ(encoded.codes[i], make()[i].mGlyphCode);
    }
    Encoded bullet = Encode(font, Text({'H', 0x2022}));
    EXPECT_TRUE(bullet.isCID);
    // Text wholly in the one-byte font keeps using it, alongside the CID font.
    Encoded again = Encode(font, Text({'H', 'e'}));
    EXPECT_FALSE(again.isCID);
    EXPECT_EQ(again.id, hello.id);
    EXPECT_NE(bullet.id, hello.id);
    // New glyphs now go to the CID font for good.
    EXPECT_TRUE(Encode(font, Text({'Z'})).isCID);
    EXPECT_EQ(font.GetANSIRepresentation()->mGlyphIDToEncodedChar.count('Z' + 3), 0u);

    // A text without glyphs still makes a font that holds .notdef.
    Encoded empty = Encode(fresh, {});
    EXPECT_FALSE(empty.isCID);
    EXPECT_EQ(GlyphsOf(fresh.GetANSIRepresentation()), std::vector<uint16_t>{0});
}

TEST(WrittenFontTest, CFFCodesAreHandedOutOneByOne)
{
    WriterTestSupport::MemoryContext memory;
    WrittenFontCFF font(&memory.Context(), false);
    EXPECT_EQ(Encode(font, Text({'A', 'B'})).codes, (std::vector<uint16_t>{0x41, 0x42}));
    // The low byte of U+0141 is taken: the lowest free code.
    EXPECT_EQ(Encode(font, Text({0x141})).codes, (std::vector<uint16_t>{0x01}));
    // A glyph without Unicode values prefers its glyph code's low byte; 0 is .notdef's.
    EXPECT_EQ(Encode(font, GlyphTextRecordList{{0x300, {}}}).codes, (std::vector<uint16_t>{0x02}));
    EXPECT_EQ(Encode(font, GlyphTextRecordList{{0x343, {}}}).codes, (std::vector<uint16_t>{0x43}));
    EXPECT_EQ(font.GetAvailablePositionsCount(), 250);

    // Fill every code but two: three new glyphs no longer fit, even if two would.
    std::vector<uint32_t> characters;
    for (uint32_t c = 0x1000; characters.size() < 248; ++c)
        characters.push_back(c);
    GlyphTextRecordList many;
    for (uint32_t c : characters)
        many.push_back(GlyphTextRecord{static_cast<uint16_t>(c), {c}});
    Encoded filled = Encode(font, many);
    EXPECT_FALSE(filled.isCID);
    EXPECT_EQ(font.GetAvailablePositionsCount(), 2);
    std::set<uint16_t> used(filled.codes.begin(), filled.codes.end());
    EXPECT_EQ(used.size(), 248u);
    EXPECT_EQ(used.count(0), 0u);
    Encoded three = Encode(font, Text({0x2000, 0x2001, 0x2002}));
    EXPECT_TRUE(three.isCID);
    EXPECT_EQ(three.codes, (std::vector<uint16_t>{0x2003, 0x2004, 0x2005}));
    EXPECT_EQ(GlyphsOf(font.GetCIDRepresentation()).front(), 0);

    // A CID-keyed font puts even its first text into the CID font, which starts with glyph 0.
    WrittenFontCFF cid(&memory.Context(), true);
    Encoded first = Encode(cid, Text({'A'}));
    EXPECT_TRUE(first.isCID);
    EXPECT_EQ(cid.GetANSIRepresentation()->mWrittenObjectID, 0u);
    EXPECT_EQ(GlyphsOf(cid.GetCIDRepresentation()), (std::vector<uint16_t>{0, 'A' + 3}));

    // An empty text, and texts placed together, in a fresh font.
    WrittenFontCFF together(&memory.Context(), false);
    EXPECT_EQ(Encode(together, {}).codes, std::vector<uint16_t>{});
    EXPECT_EQ(GlyphsOf(together.GetANSIRepresentation()), std::vector<uint16_t>{0});
    UShortListList codes;
    bool isCID = true;
    ObjectIDType id = 0;
    together.EncodeGlyphLists({Text({'a'}), Text({'b', 'a'})}, codes, isCID, id);
    EXPECT_FALSE(isCID);
    EXPECT_EQ(codes, (UShortListList{{0x61}, {0x62, 0x61}}));
}

TEST(WrittenFontTest, EncodingStateSavedAndReadBack)
{
    testsupport::TestDirectory folder;
    std::string path = folder.PathOf("state.pdf");
    ObjectIDType cffState = 0;
    ObjectIDType trueTypeState = 0;
    ObjectIDType emptyState = 0;
    ObjectIDType damagedState = 0;
    WrittenFontCFF saved(nullptr, false);
    Encode(saved, Text({'A', 'B'}));
    Encode(saved, Text({0x141, 0x2022}));
    WrittenFontTrueType savedTrueType(nullptr);
    Encode(savedTrueType, Text({'x'}));
    Encode(savedTrueType, Text({0x2192}));
    {
        PDFWriter writer;
        ASSERT_EQ(writer.CreateNewPDF(path, 14), eSuccess);
        ObjectsContext& objects = writer.GetObjectsContext();
        cffState = objects.GetInDirectObjectsRegistry().ReserveNewObjectID();
        ASSERT_EQ(saved.SaveState(&objects, cffState), eSuccess);
        trueTypeState = objects.GetInDirectObjectsRegistry().ReserveNewObjectID();
        ASSERT_EQ(savedTrueType.SaveState(&objects, trueTypeState), eSuccess);
        emptyState = objects.GetInDirectObjectsRegistry().ReserveNewObjectID();
        WrittenFontTrueType(nullptr).SaveState(&objects, emptyState);
        // Code assignments beyond one byte's 256.
        damagedState = objects.AllocateAndStartIndirectObject();
        DictionaryContext* dictionary = objects.StartDictionary();
        dictionary->WriteKey("mAvailablePositionsCount");
        dictionary->WriteIntegerValue(3);
        dictionary->WriteKey("mFreeList");
        objects.StartArray();
        objects.EndArray(eTokenSeparatorEndLine);
        dictionary->WriteKey("mAssignedPositions");
        objects.StartArray();
        for (int i = 0; i < 300; ++i)
            objects.WriteInteger(i, eTokenSeparatorSpace);
        objects.EndArray(eTokenSeparatorEndLine);
        dictionary->WriteKey("mAssignedPositionsAvailable");
        objects.StartArray();
        objects.EndArray(eTokenSeparatorEndLine);
        dictionary->WriteKey("mIsCID");
        dictionary->WriteBooleanValue(false);
        objects.EndDictionary(dictionary);
        objects.EndIndirectObject();
        ASSERT_EQ(writer.EndPDF(), eSuccess);
    }
    std::string bytes = testsupport::ReadFile(path);
    EXPECT_NE(bytes.find("/Type /WrittenFontCFF\r\n\t/mAvailablePositionsCount 251\r\n\t/mFreeList [ 2 33 35 64 67 255 ]"),
              std::string::npos);
    EXPECT_NE(bytes.find("/mIsCID false"), std::string::npos);

    InputFile file;
    ASSERT_EQ(file.OpenFile(path), eSuccess);
    PDFParser parser;
    ASSERT_EQ(parser.ParseDocument(file.GetInputStream()), eSuccess);

    WrittenFontCFF loaded(nullptr, true);
    ASSERT_EQ(loaded.LoadState(&parser, cffState), eSuccess);
    EXPECT_FALSE(loaded.IsCID());
    EXPECT_EQ(loaded.GetAvailablePositionsCount(), saved.GetAvailablePositionsCount());
    EXPECT_EQ(GlyphsOf(loaded.GetANSIRepresentation()), GlyphsOf(saved.GetANSIRepresentation()));
    EXPECT_EQ(loaded.GetCIDRepresentation(), nullptr);
    // The loaded font goes on where the saved one stopped: the next free code is 0x02.
    EXPECT_EQ(Encode(loaded, Text({0x142})).codes, std::vector<uint16_t>{0x02});
    EXPECT_EQ(Encode(loaded, Text({'A', 0x2022})).codes, (std::vector<uint16_t>{0x41, 0x22}));

    WrittenFontTrueType loadedTrueType(nullptr);
    ASSERT_EQ(loadedTrueType.LoadState(&parser, trueTypeState), eSuccess);
    EXPECT_EQ(loadedTrueType.GetANSIRepresentation()->mWrittenObjectID,
              savedTrueType.GetANSIRepresentation()->mWrittenObjectID);
    EXPECT_EQ(loadedTrueType.GetCIDRepresentation()->mGlyphIDToEncodedChar.at(0x2192 + 3).mUnicodeCharacters,
              std::vector<uint32_t>{0x2192});
    ASSERT_EQ(loadedTrueType.LoadState(&parser, emptyState), eSuccess);
    EXPECT_EQ(loadedTrueType.GetANSIRepresentation(), nullptr);

    // Damaged states change nothing.
    testsupport::LogCapture log;
    EXPECT_EQ(loaded.LoadState(&parser, damagedState), eFailure);
    EXPECT_TRUE(log.Contains("WrittenFontCFF::LoadState, the saved code assignments are missing or out of bounds"));
    EXPECT_EQ(loaded.LoadState(&parser, 1000), eFailure);
    EXPECT_NE(loaded.GetANSIRepresentation(), nullptr);
    EXPECT_EQ(loaded.GetAvailablePositionsCount(), saved.GetAvailablePositionsCount() - 1);
}
