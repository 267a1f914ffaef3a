// Characters reach the glyphs of Type 1 fonts by glyph name, whatever the font's encoding: Latin
// Modern fonts (their own encodings) and URW faces (the standard encoding) show on the rendered
// page the glyph the font file draws under the character's name, and readers get the text back.

#include "pdf/fonts/AdobeGlyphList.h"
#include "pdf/fonts/PDFUsedFont.h"
#include "pdf/fonts/UsedFontsRepository.h"
#include "pdf/fonts/WinAnsiEncoding.h"
#include "pdf/writing/OutputPage.h"
#include "pdf/writing/PDFWriter.h"
#include "pdf/writing/PageContentContext.h"

#include "FontTestSupport.h"
#include "Type1TestSupport.h"
#include "tests/pdf/support/ExternalReaders.h"
#include "tests/pdf/support/LogCapture.h"
#include "tests/pdf/support/TestDirectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>
#include <set>

using namespace testsupport;

namespace {

const std::string kLatinModern = "/usr/share/texmf/fonts/type1/public/lm/";
const std::string kText = "Hamburg 1234567890 ß Æ ø é ü Ł “quotes” – € ‰ ﬁ";

// The glyph names a font gives these characters (UTF-8), independent of the library's glyph list;
// a letter is its own name.
std::string NameOf(const std::string& inCharacter)
{
    static const std::map<std::string, std::string> names = {
        {"0", "zero"}, {"1", "one"}, {"2", "two"}, {"3", "three"}, {"4", "four"}, {"5", "five"}, {"6", "six"},
        {"7", "seven"}, {"8", "eight"}, {"9", "nine"}, {"ß", "germandbls"}, {"Æ", "AE"}, {"ø", "oslash"},
        {"é", "eacute"}, {"ü", "udieresis"}, {"Ł", "Lslash"}, {"“", "quotedblleft"}, {"”", "quotedblright"},
        {"–", "endash"}, {"€", "Euro"}, {"‰", "perthousand"}, {"ﬁ", "fi"}};
    auto found = names.find(inCharacter);
    return found != names.end() ? found->second : inCharacter;
}

// The text's characters other than the space, each once, in UTF-8.
std::vector<std::string> DistinctCharacters(const std::string& inText)
{
    std::vector<std::string> characters;
    for (size_t at = 0; at < inText.size();) {
        size_t end = at + 1;
        while (end < inText.size() && (static_cast<Byte>(inText[end]) & 0xC0) == 0x80)
            ++end;
        std::string character = inText.substr(at, end - at);
        if (character != " " && std::find(characters.begin(), characters.end(), character) == characters.end())
            characters.push_back(character);
        at = end;
    }
    return characters;
}

// Page 1 holds the text as one line; page 2 each of its characters alone in a grid cell, at 100
// points, so that at 72 dpi a glyph is 100 pixels to the em.
const double kCell = 150;
const double kSize = 100;
const double kPageWidth = 20 + 10 * kCell;
const double kPageHeight = 640;

void CellOrigin(size_t inIndex, double& outX, double& outY)
{
    outX = 30 + static_cast<double>(inIndex % 10) * kCell;
    outY = kPageHeight - 120 - static_cast<double>(inIndex / 10) * 140;
}

OpStatus WriteTextDocument(const std::string& inPath, const std::string& inFont, const std::string& inText,
                           const std::vector<std::string>& inGlyphCells, bool inCompress = true,
                           const LogSettings& inLog = LogSettings())
{
    WriterOptions options;
    options.mCompressStreams = inCompress;
    PDFWriter writer;
    if (writer.CreateNewPDF(inPath, 14, inLog, options) != eSuccess)
        return eFailure;
    TextOptions text;
    text.mFont = writer.GetDocumentContext().GetUsedFontsRepository().GetFontForFile(inFont, 0);
    if (!text.mFont)
        return eFailure;
    OpStatus status = eSuccess;
    for (int page = 0; page < (inGlyphCells.empty() ? 1 : 2); ++page) {
        OutputPage output;
        output.SetMediaBox(PDFRectangle(0, 0, kPageWidth, kPageHeight));
        PageContentContext* content = writer.GetDocumentContext().StartPageContentContext(&output);
        text.mFontSize = page == 0 ? 30 : kSize;
        if (page == 0 && content->WriteText(20, kPageHeight - 60, inText, text) != eSuccess)
            status = eFailure;
        for (size_t i = 0; page == 1 && i < inGlyphCells.size(); ++i) {
            double x, y;
            CellOrigin(i, x, y);
            if (content->WriteText(x, y, inGlyphCells[i], text) != eSuccess)
                status = eFailure;
        }
        ObjectIDType pageID = 0;
        if (writer.GetDocumentContext().WritePage(&output, pageID) != eSuccess)
            status = eFailure;
    }
    return writer.EndPDF() == eSuccess ? status : eFailure;
}

// Ink pixels as their lower-left corners, relative to the glyph origin, y up.
typedef std::set<std::pair<int, int>> Ink;

Ink FontFileInk(FT_Face inFace, const std::string& inGlyphName)
{
    Ink ink;
    FT_UInt glyph = FT_Get_Name_Index(inFace, const_cast<char*>(inGlyphName.c_str()));
    EXPECT_NE(glyph, 0u) << inGlyphName;
    FT_Set_Pixel_Sizes(inFace, 0, static_cast<FT_UInt>(kSize));
    if (glyph == 0 || FT_Load_Glyph(inFace, glyph, FT_LOAD_RENDER | FT_LOAD_NO_HINTING) != 0)
        return ink;
    const FT_Bitmap& bitmap = inFace->glyph->bitmap;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
        for (unsigned column = 0; column < bitmap.width; ++column) {
            if (bitmap.buffer[row * bitmap.pitch + column] >= 128)
                ink.insert({inFace->glyph->bitmap_left + static_cast<int>(column),
                            inFace->glyph->bitmap_top - static_cast<int>(row) - 1});
        }
    }
    return ink;
}

Ink PageInk(const RenderedPage& inPage, double inX, double inY)
{
    Ink ink;
    for (int dx = -20; dx < static_cast<int>(kCell) - 20; ++dx) {
        for (int dy = -35; dy < 105; ++dy) {
            if (inPage.At(inX + dx + 0.5, inY + dy + 0.5)[0] < 128)
                ink.insert({dx, dy});
        }
    }
    return ink;
}

// The share of one ink's pixels that have a pixel of the other within two pixels: anti-aliasing
// and rounding move edges by a pixel, another glyph differs in whole strokes.
double Covered(const Ink& inInk, const Ink& inOther)
{
    if (inInk.empty())
        return inOther.empty() ? 1 : 0;
    size_t covered = 0;
    for (const auto& pixel : inInk) {
        auto near = inOther.lower_bound({pixel.first - 2, pixel.second - 2});
        for (; near != inOther.end() && near->first <= pixel.first + 2; ++near) {
            if (std::abs(near->second - pixel.second) <= 2) {
                ++covered;
                break;
            }
        }
    }
    return static_cast<double>(covered) / static_cast<double>(inInk.size());
}

} // namespace

TEST(Type1GlyphNames, TextInLatinModernAndURWFacesShowsTheNamedGlyphs)
{
    std::string noLigature = kText.substr(0, kText.size() - std::string(" ﬁ").size());
    const struct {
        std::string font;
        std::string text;
    } cases[] = {
        {kLatinModern + "lmr10.pfb", kText},           {kLatinModern + "lmbx12.pfb", kText},
        {kLatinModern + "lmri10.pfb", kText},          {kLatinModern + "lmtt10.pfb", noLigature},
        {type1test::FontPath("NimbusSans-Regular.pfb"), kText}, {type1test::FontPath("P052-Roman.pfb"), kText},
    };
    TestDirectory folder;
    for (const auto& test : cases) {
        SCOPED_TRACE(test.font);
        std::vector<std::string> cells = DistinctCharacters(test.text);
        std::string path = folder.PathOf("text.pdf");
        ASSERT_EQ(WriteTextDocument(path, test.font, test.text, cells), eSuccess);
        ExpectQpdfAccepts(path);
        std::string text;
        EXPECT_EQ(testsupport::Run("pdftotext -enc UTF-8 -f 1 -l 1 " + Quote(path) + " -", &text), 0);
        EXPECT_EQ(text.substr(0, text.find_first_of("\n\f")), test.text);
        std::string fonts;
        EXPECT_EQ(testsupport::Run("pdffonts " + Quote(path), &fonts), 0);
        EXPECT_TRUE(std::regex_search(fonts, std::regex(R"(\n[A-Z]{6}\+\S+\s+Type 1C\s+\S+\s+yes\s+yes\s+yes\s)")))
            << fonts;

        RenderedPage page(path, 2, folder.PathOf("glyphs"));
        fonttest::ReferenceFace face(test.font);
        ASSERT_NE(face.Face(), nullptr);
        for (size_t i = 0; i < cells.size(); ++i) {
            double x, y;
            CellOrigin(i, x, y);
            std::string name = NameOf(cells[i]);
            Ink expected = FontFileInk(face.Face(), name);
            Ink shown = PageInk(page, x, y);
            EXPECT_FALSE(expected.empty()) << name;
            EXPECT_GE(Covered(shown, expected), 0.97) << name;
            EXPECT_GE(Covered(expected, shown), 0.97) << name;
        }
    }
}

TEST(Type1GlyphNames, ACharacterTheFontLacksFailsTheTextWithALogLine)
{
    const struct {
        std::string font;
        std::string text;
        const char* missing;
    } cases[] = {
        {kLatinModern + "lmr10.pfb", "A中B", "0x4e2d"},                  // own encoding
        {type1test::FontPath("NimbusSans-Regular.pfb"), "A中B", "0x4e2d"}, // standard encoding
        {type1test::FontPath("D050000L.pfb"), " 3", "0x0033"},           // names outside the glyph list
        {fonttest::kDejaVuSans, "A\xF3\xB0\x80\x80", "0xf0000"},          // every font alike
    };
    TestDirectory folder;
    for (const auto& test : cases) {
        SCOPED_TRACE(test.font);
        LogCapture log;
        std::string path = folder.PathOf("missing.pdf");
        EXPECT_EQ(WriteTextDocument(path, test.font, test.text, {}, false, log.Settings()), eFailure);
        EXPECT_TRUE(log.Contains(std::string("FreeTypeFaceWrapper::GetGlyphsForUnicodeText, failed to find glyph for "
                                             "charachter ") +
                                 test.missing))
            << log.Text();
        EXPECT_TRUE(log.Contains("WriteTextCommandWithEncoding, was unable to find glyphs for all characters"));
        // Nothing is shown: the document is whole, its page without text.
        ExpectQpdfAccepts(path);
        EXPECT_EQ(ReadFile(path).find(") Tj"), std::string::npos);
    }
}

TEST(Type1GlyphNames, WinAnsiNamesAreTheGlyphListNamesOfTheirCharacters)
{
    // Every character WinAnsiEncoding holds is named there as the glyph list names it.
    for (uint32_t character = 0; character <= 0xFFFF; ++character) {
        Byte code = 0;
        std::string name = WinAnsiEncoding::CodeForUnicode(character, code) ? WinAnsiEncoding::GlyphName(code) : "";
        if (name.empty() || name == ".notdef")
            continue;
        std::vector<std::string> names = AdobeGlyphList::GlyphNamesForUnicode(character);
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << code;
    }
    const struct {
        uint32_t character;
        std::vector<std::string> names;
    } lookups[] = {{0xA0, {"nbspace", "nonbreakingspace", "uni00A0", "u00A0", "space"}},
                   {0x3A9, {"Omegagreek", "uni03A9", "u03A9", "Omega"}},
                   {0x1F600, {"u1F600"}},
                   {0xD800, {}}};
    for (const auto& lookup : lookups)
        EXPECT_EQ(AdobeGlyphList::GlyphNamesForUnicode(lookup.character), lookup.names) << lookup.character;

    // The superscripts sit at their WinAnsi codes under WinAnsi names: no Differences.
    TestDirectory folder;
    for (const std::string& font :
         {type1test::FontPath("NimbusSans-Regular.pfb"), std::string(fonttest::kNimbusSansOTF)}) {
        SCOPED_TRACE(font);
        std::string path = folder.PathOf("superscripts.pdf");
        ASSERT_EQ(WriteTextDocument(path, font, "x² y³ z¹", {}, false), eSuccess);
        std::string pdf = ReadFile(path);
        EXPECT_NE(pdf.find("/Encoding /WinAnsiEncoding"), std::string::npos);
        EXPECT_EQ(pdf.find("/Differences"), std::string::npos);
        std::string text;
        EXPECT_EQ(testsupport::Run("pdftotext -enc UTF-8 " + Quote(path) + " -", &text), 0);
        EXPECT_EQ(text.substr(0, text.find_first_of("\n\f")), "x² y³ z¹");
    }
}
