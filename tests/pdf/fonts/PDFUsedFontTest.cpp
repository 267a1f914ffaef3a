// Used fonts: text measured as FreeType's own advances and outlines give it, text turned into
// glyph records, and the repository's handing out and remembering of fonts.

#include "pdf/fonts/FreeTypeWrapper.h"
#include "pdf/fonts/PDFUsedFont.h"
#include "pdf/fonts/UsedFontsRepository.h"
#include "pdf/io/CodePointString.h"
#include "pdf/writing/OutputPage.h"
#include "pdf/writing/PDFWriter.h"
#include "pdf/writing/PageContentContext.h"

#include "FontTestSupport.h"
#include "tests/pdf/support/LogCapture.h"
#include "tests/pdf/support/ResourceLimit.h"
#include "tests/pdf/support/TestDirectory.h"
#include "tests/pdf/writing/WriterTestSupport.h"

#include FT_OUTLINE_H

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>

using namespace fonttest;

namespace {

// The extent from FreeType alone: scaled advances place each glyph's outline box, all in
// 1000 units per em, then every edge at the size, truncated.
TextExtent ExpectedExtent(const char* inFontPath, const std::string& inText, long inSize)
{
    ReferenceFace reference(inFontPath);
    FT_Face face = reference.Face();
    auto scale = [face](long long inValue) {
        return face->units_per_EM == 1000 ? inValue
                                          : static_cast<long long>(static_cast<double>(inValue) * 1000.0 /
                                                                   face->units_per_EM);
    };
    CodePointString text;
    text.FromUTF8Bytes(inText);
    long long pen = 0;
    long long minX = 32000, minY = 32000, maxX = -32000, maxY = -32000;
    for (uint32_t character : text.GetCodePoints()) {
        EXPECT_EQ(FT_Load_Glyph(face, FT_Get_Char_Index(face, character), FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING), 0);
        FT_BBox box = {0, 0, 0, 0};
        if (face->glyph->format == FT_GLYPH_FORMAT_OUTLINE)
            FT_Outline_Get_CBox(&face->glyph->outline, &box);
        minX = std::min(minX, scale(box.xMin) + pen);
        maxX = std::max(maxX, scale(box.xMax) + pen);
        minY = std::min(minY, scale(box.yMin));
        maxY = std::max(maxY, scale(box.yMax));
        pen += scale(face->glyph->metrics.horiAdvance);
    }
    if (text.GetCodePoints().empty() || maxX < minX)
        minX = minY = maxX = maxY = 0;
    auto atSize = [inSize](long long inValue) {
        return static_cast<double>(std::trunc(static_cast<long double>(inValue) * inSize / 1000));
    };
    return TextExtent{atSize(minX), atSize(minY), atSize(maxX), atSize(maxY), atSize(maxX - minX), atSize(maxY - minY)};
}

void ExpectExtent(const TextExtent& inActual, const TextExtent& inExpected)
{
    EXPECT_EQ(inActual.mMinX, inExpected.mMinX);
    EXPECT_EQ(inActual.mMinY, inExpected.mMinY);
    EXPECT_EQ(inActual.mMaxX, inExpected.mMaxX);
    EXPECT_EQ(inActual.mMaxY, inExpected.mMaxY);
    EXPECT_EQ(inActual.mWidth, inExpected.mWidth);
    EXPECT_EQ(inActual.mHeight, inExpected.mHeight);
}

class UsedFonts : public ::testing::Test {
protected:
    UsedFonts() { mRepository.SetObjectsContext(&mMemory.Context()); }
    WriterTestSupport::MemoryContext mMemory;
    UsedFontsRepository mRepository;
};

} // namespace

TEST_F(UsedFonts, MeasuredTextEqualsWhatFreeTypeGives)
{
    const struct {
        const char* font;
        const char* text;
    } scTexts[] = {{kDejaVuSans, "Hello, World! Quick fox"},
                   {kDejaVuSans, "Καλημέρα κόσμε"},
                   {kDejaVuSans, "Привет, мир"},
                   {kLiberationSans, "Watermark – Ünïcødé ‰ €"},
                   {kLiberationSans, "Съешь же ещё этих"},
                   {kDroidSansFallback, "中文字体测试，日本語のテキスト"},
                   {kDroidSansFallback, "한국어 텍스트"}};
    for (const auto& entry : scTexts) {
        PDFUsedFont* font = mRepository.GetFontForFile(entry.font, 0);
        ASSERT_NE(font, nullptr) << entry.font;
        for (long size : {1000L, 12L, 37L}) {
            SCOPED_TRACE(std::string(entry.text) + " at " + std::to_string(size));
            ExpectExtent(font->MeasureText(entry.text, size), ExpectedExtent(entry.font, entry.text, size));
        }
    }
}

TEST_F(UsedFonts, MeasurementEdgeCases)
{
    PDFUsedFont* font = mRepository.GetFontForFile(kDejaVuSans, 0);
    ASSERT_NE(font, nullptr);
    ExpectExtent(font->MeasureText("", 12), TextExtent{});
    ExpectExtent(font->MeasureText(" ", 12), TextExtent{});
    // Spaces have empty boxes at their origins: the width spans the first two advances.
    ReferenceFace reference(kDejaVuSans);
    FT_Load_Char(reference.Face(), ' ', FT_LOAD_NO_SCALE);
    double space = static_cast<long long>(reference.Face()->glyph->metrics.horiAdvance * 1000.0 / 2048);
    TextExtent spaces = font->MeasureText("   ", 1000);
    EXPECT_EQ(spaces.mWidth, 2 * space);
    EXPECT_EQ(spaces.mHeight, 0);
    // Characters without a glyph are measured as glyph 0; text after a broken sequence is left out.
    TextExtent missing = font->MeasureText("A\xF3\xB0\x80\x80" "B", 1000);
    EXPECT_GT(missing.mWidth, font->MeasureText("AB", 1000).mWidth);
    ExpectExtent(font->MeasureText("AB\xC3", 500), font->MeasureText("AB", 500));

    // A long text at a large size: the products pass 32 bits, and with 32-bit sizes they would.
    std::string longText(20000, 'W');
    for (long size : {2000000000L, 100000000000L})
        ExpectExtent(font->MeasureText(longText, size), ExpectedExtent(kDejaVuSans, longText, size));
}

TEST_F(UsedFonts, TextBecomesGlyphRecords)
{
    PDFUsedFont* font = mRepository.GetFontForFile(kDejaVuSans, 0);
    ASSERT_NE(font, nullptr);
    ReferenceFace reference(kDejaVuSans);
    GlyphTextRecordList glyphs;
    EXPECT_EQ(font->TextToGlyphMapping("Aé€", glyphs), eSuccess);
    ASSERT_EQ(glyphs.size(), 3u);
    const uint32_t scCharacters[] = {'A', 0xE9, 0x20AC};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(glyphs[i].mGlyphCode, FT_Get_Char_Index(reference.Face(), scCharacters[i]));
        EXPECT_EQ(glyphs[i].mUnicodeValues, std::vector<uint32_t>{scCharacters[i]});
    }
    testsupport::LogCapture log;
    EXPECT_EQ(font->TextToGlyphMapping("A\xFF", glyphs), eFailure);
    EXPECT_TRUE(glyphs.empty());
    EXPECT_EQ(font->TextToGlyphMapping("A\xF3\xB0\x80\x80", glyphs), eFailure);
    ASSERT_EQ(glyphs.size(), 2u);
    EXPECT_EQ(glyphs[1].mGlyphCode, 0);

    // Encoding makes the written font: Latin text gets its WinAnsi codes.
    std::vector<uint16_t> codes;
    bool isCID = true;
    ObjectIDType fontID = 0;
    font->TextToGlyphMapping("Hello", glyphs);
    EXPECT_EQ(font->EncodeGlyphs(glyphs, codes, isCID, fontID), eSuccess);
    EXPECT_EQ(codes, (std::vector<uint16_t>{0x48, 0x65, 0x6C, 0x6C, 0x6F}));
    EXPECT_FALSE(isCID);
    EXPECT_NE(fontID, 0u);
}

// The characters a caller may ask about before it writes are exactly those the text writing
// path finds no glyph for: each once, in text order, asked without a log line.
TEST_F(UsedFonts, CharactersWithoutGlyphAreThoseTheMappingMisses)
{
    const struct {
        const char* font;
        const char* text;
        std::vector<uint32_t> missing;
    } scCases[] = {{kDejaVuSans, "Entwurf \u2013 \u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac 0123456789", {}},
                   {kDejaVuSans, "Entwurf \u4e2d draft \u4e2d\u6587\t\U0001F600\U00010348\u4e2d",
                    {0x4E2D, 0x6587, 0x9, 0x10348}},
                   {kDejaVuSans, "", {}},
                   {kDroidSansFallback, "\u4e2d\u6587 [9]", {'[', '9', ']'}}};
    for (const auto& entry : scCases) {
        SCOPED_TRACE(entry.text);
        PDFUsedFont* font = mRepository.GetFontForFile(entry.font, 0);
        ASSERT_NE(font, nullptr);
        testsupport::LogCapture log;
        std::vector<uint32_t> missing{1};
        EXPECT_EQ(font->CharactersWithoutGlyph(entry.text, missing), eSuccess);
        EXPECT_EQ(missing, entry.missing);
        EXPECT_EQ(log.LineCount(), 0u);
        GlyphTextRecordList glyphs;
        EXPECT_EQ(font->TextToGlyphMapping(entry.text, glyphs) == eSuccess, missing.empty());
        for (const GlyphTextRecord& record : glyphs)
            EXPECT_EQ(record.mGlyphCode == 0, std::count(missing.begin(), missing.end(), record.mUnicodeValues[0]) == 1)
                << record.mUnicodeValues[0];
    }
    PDFUsedFont* font = mRepository.GetFontForFile(kDejaVuSans, 0);
    std::vector<uint32_t> missing{1};
    EXPECT_EQ(font->CharactersWithoutGlyph("A\xFF", missing), eFailure);
    EXPECT_TRUE(missing.empty());
}

TEST_F(UsedFonts, RepositoryHandsOutAndRemembersFonts)
{
    testsupport::TestDirectory folder;
    testsupport::LogCapture log;
    PDFUsedFont* dejaVu = mRepository.GetFontForFile(kDejaVuSans, 0);
    ASSERT_NE(dejaVu, nullptr);
    EXPECT_EQ(mRepository.GetFontForFile(kDejaVuSans, 0), dejaVu);
    EXPECT_NE(mRepository.GetFontForFile(kDejaVuSansBold, 0), dejaVu);
    // Measuring only leaves nothing to write.
    dejaVu->MeasureText("Hello", 12);
    EXPECT_EQ(mRepository.WriteAllUsedFonts(true), eSuccess);

    std::string missing = folder.PathOf("missing.ttf");
    EXPECT_EQ(mRepository.GetFontForFile(missing, 0), nullptr);
    size_t lines = log.LineCount();
    EXPECT_TRUE(log.Contains("UsedFontsRepository::GetFontForFile, Failed to load font from " + missing));
    EXPECT_EQ(mRepository.GetFontForFile(missing, 0), nullptr);
    EXPECT_EQ(log.LineCount(), lines);
    EXPECT_EQ(mRepository.GetFontForFile(kDejaVuSans, 1), nullptr);
    EXPECT_EQ(mRepository.WriteAllUsedFonts(true), eFailure);

    mRepository.Reset();
    EXPECT_EQ(mRepository.WriteAllUsedFonts(true), eSuccess);
    EXPECT_NE(mRepository.GetFontForFile(kDejaVuSans, 0), nullptr);

    UsedFontsRepository withoutContext;
    EXPECT_EQ(withoutContext.GetFontForFile(kDejaVuSans, 0), nullptr);
    EXPECT_TRUE(log.Contains("UsedFontsRepository::GetFontForFile, exception, not objects context available"));
}

// A real font followed by hundreds of megabytes of zeros (sparse on the disk): beyond any font's
// size it is refused unread; within it, memory that runs out fails the request, not the program.
// Either failure is remembered.
TEST_F(UsedFonts, FontFilesThatMemoryCannotHoldFailTheirRequest)
{
    testsupport::TestDirectory folder;
    testsupport::LogCapture log;
    auto padded = [&folder](const char* inName, uintmax_t inSize) {
        const std::string path = folder.PathOf(inName);
        std::filesystem::copy_file(kDejaVuSans, path);
        std::filesystem::resize_file(path, inSize);
        return path;
    };
    EXPECT_EQ(mRepository.GetFontForFile(padded("huge.ttf", FreeTypeWrapper::kMaxFontFileBytes + 1), 0), nullptr);
    EXPECT_TRUE(log.Contains("FreeTypeWrapper::NewFace, the file holds 536870913 bytes, more than any font file "
                             "(536870912 at most)"));
    if (!VELLORAN_ADDRESS_SPACE_LIMITS)
        GTEST_SKIP() << "AddressSanitizer reserves more address space than a limit would leave";
    const std::string large = padded("large.ttf", 400u << 20);
    PDFUsedFont* font = nullptr;
    {
        const AddressSpaceLimit limit(AddressSpaceInUse() + (128u << 20));
        ASSERT_TRUE(limit.IsSet());
        font = mRepository.GetFontForFile(large, 0);
    }
    EXPECT_EQ(font, nullptr);
    EXPECT_TRUE(log.Contains("UsedFontsRepository::GetFontForFile, Not enough memory to load font from " + large));
    const size_t lines = log.LineCount();
    EXPECT_EQ(mRepository.GetFontForFile(large, 0), nullptr);
    EXPECT_EQ(log.LineCount(), lines);
    EXPECT_EQ(mRepository.WriteAllUsedFonts(true), eFailure);
}

TEST_F(UsedFonts, SubsetPrefixesCountPerDocument)
{
    ObjectsContext& context = mMemory.Context();
    EXPECT_EQ(context.GenerateSubsetFontPrefix(), "AAAAAB");
    EXPECT_EQ(context.GenerateSubsetFontPrefix(), "AAAAAC");
    for (int i = 3; i < 25; ++i)
        context.GenerateSubsetFontPrefix();
    EXPECT_EQ(context.GenerateSubsetFontPrefix(), "AAAAAZ");
    EXPECT_EQ(context.GenerateSubsetFontPrefix(), "AAAABA");
    context.Reset();
    EXPECT_EQ(context.GenerateSubsetFontPrefix(), "AAAAAB");
}

TEST(UsedFontText, TextIsWrittenWithItsCodesAndItsFontsAtTheEnd)
{
    testsupport::TestDirectory folder;
    testsupport::LogCapture log;
    WriterOptions options;
    options.mCompressStreams = false;
    PDFWriter writer;
    ASSERT_EQ(writer.CreateNewPDF(folder.PathOf("text.pdf"), 14, log.Settings(), options), eSuccess);
    PDFUsedFont* font = writer.GetFontForFile(kLiberationSans);
    ASSERT_NE(font, nullptr);
    OutputPage page;
    page.SetMediaBox(PDFRectangle(0, 0, 595, 842));
    PageContentContext* content = writer.GetDocumentContext().StartPageContentContext(&page);
    TextOptions text;
    text.mFont = font;
    text.mFontSize = 24;
    EXPECT_EQ(content->WriteText(72, 700, "Hello", text), eSuccess);
    EXPECT_EQ(content->WriteText(72, 650, "Ω→", text), eSuccess);
    ObjectIDType pageID = 0;
    ASSERT_EQ(writer.GetDocumentContext().WritePage(&page, pageID), eSuccess);
    size_t lines = log.LineCount();
    EXPECT_EQ(writer.EndPDF(), eSuccess) << log.Text();

    std::string bytes = testsupport::ReadFile(folder.PathOf("text.pdf"));
    EXPECT_NE(bytes.find("(Hello) Tj"), std::string::npos);
    ReferenceFace reference(kLiberationSans);
    char cids[20];
    std::snprintf(cids, sizeof(cids), "<%04x%04x> Tj", FT_Get_Char_Index(reference.Face(), 0x3A9),
                  FT_Get_Char_Index(reference.Face(), 0x2192));
    EXPECT_NE(bytes.find(cids), std::string::npos) << cids;
    EXPECT_LE(log.LineCount(), lines + 3);
}
