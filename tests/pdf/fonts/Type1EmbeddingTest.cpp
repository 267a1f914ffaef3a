// Text in Type 1 fonts embedded end to end: documents with several URW faces (the Symbol face
// with its own encoding among them) that qpdf, pdffonts and pdftotext accept
// and read back, each Type1C subset taken out of the PDF and drawn by FreeType as the PFB, and
// the kinds that cannot be embedded failing cleanly.

#include "pdf/fonts/PDFUsedFont.h"
#include "pdf/fonts/UsedFontsRepository.h"
#include "pdf/io/CodePointString.h"
#include "pdf/writing/OutputPage.h"
#include "pdf/writing/PDFWriter.h"
#include "pdf/writing/PageContentContext.h"

#include "FontTestSupport.h"
#include "Type1TestSupport.h"
#include "tests/pdf/support/ExternalReaders.h"
#include "tests/pdf/support/LogCapture.h"
#include "tests/pdf/support/TestDirectory.h"
#include "tests/pdf/writing/WriterTestSupport.h"

#include FT_FONT_FORMATS_H

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <sstream>

using namespace testsupport;
using namespace type1test;

namespace {

struct Type1Line {
    std::string face;    // URW face name: <face>.pfb in the test font folder
    std::string metrics; // "", "pfm" (beside the PFB) or "afm" (Debian's)
    std::string text;
};

const std::vector<Type1Line> kLines = {
    {"NimbusRoman-Regular", "pfm", "Hello, Type 1 World!"},
    {"NimbusSans-Bold", "afm", "Grüße aus Köln, 12 € (fünf)"},
    {"C059-Italic", "", "“Quoted” text – with dashes — fi"},
    {"URWGothic-Book", "pfm", "The quick brown fox"},
    // A face with its own encoding shows characters by glyph name all the same.
    {"StandardSymbolsPS", "pfm", "αβγ Σ π ∑ ≤"},
};

std::string MetricsPath(const Type1Line& inLine)
{
    if (inLine.metrics == "pfm")
        return FontPath(inLine.face + ".pfm");
    if (inLine.metrics == "afm")
        return "/usr/share/fonts/type1/urw-base35/" + inLine.face + ".afm";
    return "";
}

// A face is a URW face name, or a path of any PFB file.
std::string FacePath(const Type1Line& inLine)
{
    return inLine.face.find('.') == std::string::npos ? FontPath(inLine.face + ".pfb") : inLine.face;
}

OpStatus WriteDocument(const std::string& inPath, const std::vector<Type1Line>& inLines, bool inCompress,
                       const LogSettings& inLog = LogSettings())
{
    WriterOptions options;
    options.mCompressStreams = inCompress;
    PDFWriter writer;
    if (writer.CreateNewPDF(inPath, 14, inLog, options) != eSuccess)
        return eFailure;
    OutputPage page;
    page.SetMediaBox(PDFRectangle(0, 0, 595, 842));
    PageContentContext* content = writer.GetDocumentContext().StartPageContentContext(&page);
    double y = 780;
    for (const Type1Line& line : inLines) {
        TextOptions text;
        std::string path = FacePath(line);
        text.mFont = writer.GetDocumentContext().GetUsedFontsRepository().GetFontForFile(path, MetricsPath(line), 0);
        EXPECT_NE(text.mFont, nullptr) << path;
        if (!text.mFont)
            return eFailure;
        text.mFontSize = 20;
        EXPECT_EQ(content->WriteText(40, y, line.text, text), eSuccess) << line.text;
        y -= 40;
    }
    ObjectIDType pageID = 0;
    if (writer.GetDocumentContext().WritePage(&page, pageID) != eSuccess)
        return eFailure;
    return writer.EndPDF();
}

std::string Pdftotext(const std::string& inPath)
{
    std::string output;
    EXPECT_EQ(Run("pdftotext -enc UTF-8 " + Quote(inPath) + " -", &output), 0);
    std::istringstream lines(output);
    std::string line, text;
    while (std::getline(lines, line)) {
        if (!line.empty() && line != "\f")
            text += line + "\n";
    }
    return text;
}

// The text of a line of 300 different characters, more than one-byte codes hold.
std::string ThreeHundredCharacters()
{
    std::string many;
    for (uint32_t c = 0x21; c < 0x7F; ++c)
        many += static_cast<char>(c);
    for (uint32_t c = 0xA1; c <= 0x17F; ++c) {
        many += static_cast<char>(0xC0 | (c >> 6));
        many += static_cast<char>(0x80 | (c & 0x3F));
    }
    return many;
}

// pdffonts rows as "name: type embedded subset unicode", the name without its subset prefix.
std::multiset<std::string> Pdffonts(const std::string& inPath)
{
    std::string output;
    EXPECT_EQ(Run("pdffonts " + Quote(inPath), &output), 0);
    std::multiset<std::string> fonts;
    std::regex row(R"(^[A-Z]{6}\+(\S+)\s+(Type 1C|Type 1|CID Type 0C)\s+\S+\s+(yes|no)\s+(yes|no)\s+(yes|no)\s)");
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        std::smatch match;
        if (std::regex_search(line, match, row))
            fonts.insert(std::string(match[1]) + ": " + std::string(match[2]) + " " + std::string(match[3]) + " " +
                         std::string(match[4]) + " " + std::string(match[5]));
    }
    return fonts;
}

// The FontFile3 programs of an uncompressed PDF, each as long as its stream's (indirect) Length.
std::vector<std::string> Type1CPrograms(const std::string& inPDF, const char* inSubtype = "Type1C")
{
    std::vector<std::string> programs;
    std::regex dictionary("/Subtype /" + std::string(inSubtype) + R"(\r\n\s*/Length (\d+) 0 R\r\n>>\r\nstream\r\n)");
    for (auto match = std::sregex_iterator(inPDF.begin(), inPDF.end(), dictionary); match != std::sregex_iterator();
         ++match) {
        std::smatch length;
        std::string lengthObject = "\n" + std::string((*match)[1]) + " 0 obj\r\n";
        size_t at = inPDF.find(lengthObject);
        if (at == std::string::npos)
            continue;
        size_t size = std::stoul(inPDF.substr(at + lengthObject.size(), 20));
        programs.push_back(inPDF.substr(static_cast<size_t>(match->position() + match->length()), size));
    }
    return programs;
}

// Every glyph of the subset drawn as the glyph of the same name in the PFB, with its advance;
// the names of the subset's glyphs.
std::set<std::string> ExpectOutlinesAsInPFB(const std::string& inSubset, FT_Face inPFB)
{
    std::set<std::string> names;
    FT_Library library = nullptr;
    EXPECT_EQ(FT_Init_FreeType(&library), 0);
    FT_Face cff = nullptr;
    EXPECT_EQ(FT_New_Memory_Face(library, reinterpret_cast<const FT_Byte*>(inSubset.data()),
                                 static_cast<FT_Long>(inSubset.size()), 0, &cff),
              0);
    if (!cff) {
        FT_Done_FreeType(library);
        return names;
    }
    EXPECT_STREQ(FT_Get_Font_Format(cff), "CFF");
    for (FT_Long glyph = 1; glyph < cff->num_glyphs; ++glyph) {
        char name[64] = "";
        FT_Get_Glyph_Name(cff, static_cast<FT_UInt>(glyph), name, sizeof(name));
        names.insert(name);
        FT_UInt original = FT_Get_Name_Index(inPFB, name);
        EXPECT_NE(original, 0u) << name;
        Outline expected = FreeTypeOutline(inPFB, original);
        FT_Pos advance = inPFB->glyph->metrics.horiAdvance;
        Outline ours = FreeTypeOutline(cff, static_cast<FT_UInt>(glyph));
        std::string why;
        EXPECT_TRUE(SameOutline(ours, expected, 1, why)) << name << ": " << why;
        EXPECT_EQ(cff->glyph->metrics.horiAdvance, advance) << name;
    }
    FT_Done_Face(cff);
    FT_Done_FreeType(library);
    return names;
}

// The line whose face a Type1C program was made from, found by the subset's name (prefix, "+",
// the face's PostScript name), which goes to outFullName; inLines.end() when none matches.
std::vector<Type1Line>::const_iterator LineOfProgram(const std::string& inProgram, const std::vector<Type1Line>& inLines,
                                                     std::string& outFullName)
{
    fonttest::ReferenceFace cff(inProgram, fonttest::kInMemory);
    EXPECT_NE(cff.Face(), nullptr);
    outFullName = cff.Face() ? FT_Get_Postscript_Name(cff.Face()) : "";
    if (!std::regex_match(outFullName, std::regex("[A-Z]{6}\\+.+")))
        return inLines.end();
    return std::find_if(inLines.begin(), inLines.end(), [&](const Type1Line& l) {
        fonttest::ReferenceFace face(FacePath(l));
        return face.Face() && outFullName.substr(7) == FT_Get_Postscript_Name(face.Face());
    });
}

} // namespace

TEST(Type1Embedding, TextInURWFacesIsEmbeddedAsType1CSubsetsThatReadersAccept)
{
    TestDirectory folder;
    std::string expectedText;
    for (const Type1Line& line : kLines)
        expectedText += line.text + "\n";
    for (bool compress : {true, false}) {
        SCOPED_TRACE(compress ? "compressed" : "plain");
        std::string path = folder.PathOf(compress ? "compressed.pdf" : "plain.pdf");
        ASSERT_EQ(WriteDocument(path, kLines, compress), eSuccess);
        ExpectQpdfAccepts(path);
        EXPECT_EQ(Pdftotext(path), expectedText);
        std::multiset<std::string> fonts = Pdffonts(path);
        EXPECT_EQ(fonts.size(), kLines.size());
        for (const Type1Line& line : kLines)
            EXPECT_EQ(fonts.count(line.face + ": Type 1C yes yes yes"), 1u) << line.face;
    }

    std::string pdf = ReadFile(folder.PathOf("plain.pdf"));
    std::vector<std::string> programs = Type1CPrograms(pdf);
    ASSERT_EQ(programs.size(), kLines.size());
    for (const std::string& program : programs) {
        // The subset names itself as the font dictionary does: prefix, "+", PostScript name.
        std::string fullName;
        auto line = LineOfProgram(program, kLines, fullName);
        ASSERT_NE(line, kLines.end()) << fullName;
        SCOPED_TRACE(line->face);
        EXPECT_NE(pdf.find("/BaseFont /" + fullName + "\r\n"), std::string::npos);
        EXPECT_NE(pdf.find("/FontName /" + fullName + "\r\n"), std::string::npos);

        fonttest::ReferenceFace pfb(FontPath(line->face + ".pfb"));
        std::set<std::string> names = ExpectOutlinesAsInPFB(program, pfb.Face());
        // Every character's glyph is in the subset, and is named in the descriptor's CharSet.
        std::smatch charSet;
        std::string fontNameKey = "/FontName /" + fullName + "\r\n";
        size_t descriptor = pdf.find(fontNameKey);
        std::string rest = pdf.substr(descriptor, pdf.find("endobj", descriptor) - descriptor);
        ASSERT_TRUE(std::regex_search(rest, charSet, std::regex(R"(/CharSet \(([^)]*)\)\r\n)"))) << rest;
        EXPECT_NE(rest.find("/FontFile3 "), std::string::npos);
        CodePointString text;
        text.FromUTF8Bytes(line->text);
        for (uint32_t character : text.GetCodePoints()) {
            FT_UInt glyph = FT_Get_Char_Index(pfb.Face(), character);
            ASSERT_NE(glyph, 0u) << character;
            char glyphName[64] = "";
            FT_Get_Glyph_Name(pfb.Face(), glyph, glyphName, sizeof(glyphName));
            EXPECT_TRUE(names.count(glyphName)) << glyphName;
            EXPECT_NE((std::string(charSet[1]) + "/").find("/" + std::string(glyphName) + "/"), std::string::npos)
                << glyphName;
        }
    }
}

// Faces whose programs divide: Latin Modern's widths are fractions of a unit, Computer Modern's
// beta has a point between units, p052023d's "№" ends a flex between units. The widths reach the
// font dictionary as the font gives them, and every glyph of each embedded subset draws as the
// PFB's.
TEST(Type1Embedding, FacesThatDivideKeepTheirFractionalWidthsAndPoints)
{
    const std::vector<Type1Line> lines = {
        {"/usr/share/texmf/fonts/type1/public/lm/lmr10.pfb", "", "Hamburg"},
        {"/usr/share/texlive/texmf-dist/fonts/type1/public/amsfonts/cm/cmmi10.pfb", "", "αβγδ"},
        // Its flex ends at a fractional point.
        {"/usr/share/fonts/X11/Type1/p052023d.pfb", "", "№"},
    };
    TestDirectory folder;
    std::string path = folder.PathOf("divided.pdf");
    ASSERT_EQ(WriteDocument(path, lines, false), eSuccess);
    ExpectQpdfAccepts(path);
    EXPECT_EQ(Pdftotext(path), "Hamburg\nαβγδ\n№\n");

    // The widths of H, a, b, g, m, r and u (WinAnsi codes) by fontTools: 750, 500, 5000/9, 500,
    // 7500/9, 3525/9, 5000/9, written with six decimals.
    std::string pdf = ReadFile(path);
    std::smatch widths;
    ASSERT_TRUE(std::regex_search(
        pdf, widths,
        std::regex(R"(/BaseFont /[A-Z]{6}\+LMRoman10-Regular\r\n\s*/FirstChar (\d+)\r\n\s*/LastChar 117\r\n\s*/Widths \[ ([^\]]*)\])")));
    size_t firstChar = std::stoul(widths[1]);
    std::vector<std::string> values;
    std::istringstream numbers(widths[2]);
    for (std::string value; numbers >> value;)
        values.push_back(value);
    ASSERT_EQ(values.size(), 117u - firstChar + 1u);
    const std::map<char, std::string> expected = {{'H', "750"}, {'a', "500"},        {'b', "555.555556"},
                                                  {'g', "500"}, {'m', "833.333333"}, {'r', "391.666667"},
                                                  {'u', "555.555556"}};
    for (const auto& [character, width] : expected)
        EXPECT_EQ(values[static_cast<size_t>(character) - firstChar], width) << character;

    std::vector<std::string> programs = Type1CPrograms(pdf);
    ASSERT_EQ(programs.size(), lines.size());
    for (const std::string& program : programs) {
        std::string fullName;
        auto line = LineOfProgram(program, lines, fullName);
        ASSERT_NE(line, lines.end()) << fullName;
        std::string report;
        EXPECT_EQ(CompareWithFontTools(line->face, program, folder, report), 0) << report;
        EXPECT_NE(report.find(" 0 differ"), std::string::npos) << report;
    }
}

TEST(Type1Embedding, MoreGlyphsThanOneByteCodesHoldFailTheDocumentCleanly)
{
    // 300 different glyphs of one Type 1 face do not fit one-byte codes, and Type 1 faces have no
    // CID form.
    std::string many = ThreeHundredCharacters();
    const struct {
        const char* what;
        Type1Line line;
        const char* message;
    } cases[] = {
        {"Type 1 beyond one-byte codes", {"NimbusSans-Regular", "", many},
         "CFFDescendentFontWriter::WriteFont, Exception. identified type1 font when writing CFF CID font"},
    };
    TestDirectory folder;
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        LogCapture log;
        EXPECT_EQ(WriteDocument(folder.PathOf("failed.pdf"), {test.line}, true, log.Settings()), eFailure);
        EXPECT_TRUE(log.Contains(test.message)) << log.Text();
    }
}

TEST(Type1Embedding, AFontThatForbidsEmbeddingIsWrittenWithoutProgramOrSubsetPrefix)
{
    TestDirectory folder;
    FontParts parts = DefaultParts();
    std::string priv;
    std::string clear = FontText(parts, priv);
    clear.replace(clear.find("/FSType 8 def"), 13, "/FSType 2 def");
    std::string font = folder.Write("restricted.pfb", MakePFB(clear, priv));
    std::string path = folder.PathOf("restricted.pdf");
    ASSERT_EQ(WriteDocument(path, {{font, "", "AB"}}, false), eSuccess);
    ExpectQpdfAccepts(path);
    std::string pdf = ReadFile(path);
    EXPECT_NE(pdf.find("/BaseFont /TestFont\r\n"), std::string::npos);
    EXPECT_NE(pdf.find("/FontName /TestFont\r\n"), std::string::npos);
    EXPECT_EQ(pdf.find("/FontFile3"), std::string::npos);
    EXPECT_EQ(pdf.find("Type1C"), std::string::npos);
}

// A face that calls itself by more bytes than readers keep of a name: its dictionaries and its
// subset take the first 127 bytes, with and without the subset prefix, and the text still reads.
TEST(Type1Embedding, AFaceNamedBeyondTheNameLimitIsNamedByItsFirst127Bytes)
{
    const std::string longName = "VeryLong" + std::string(192, 'N');
    // Embedded with the subset prefix, and not embedded.
    const std::pair<const char*, size_t> cases[] = {{"/FSType 8 def", 7}, {"/FSType 2 def", 0}};
    TestDirectory folder;
    for (const auto& [fsType, prefixLength] : cases) {
        SCOPED_TRACE(fsType);
        std::string priv;
        std::string clear = FontText(DefaultParts(), priv);
        clear.replace(clear.find("/FSType 8 def"), 13, fsType);
        clear.replace(clear.find("/FontName /TestFont def"), 23, "/FontName /" + longName + " def");
        std::string font = folder.Write("long.pfb", MakePFB(clear, priv));
        std::string path = folder.PathOf("long.pdf");
        ASSERT_EQ(WriteDocument(path, {{font, "", "A"}}, false), eSuccess);
        ExpectQpdfAccepts(path);
        std::string pdf = ReadFile(path);
        const std::string kept = longName.substr(0, 127 - prefixLength);
        const size_t at = pdf.find("/BaseFont /") + 11;
        const std::string name = pdf.substr(at, pdf.find_first_of("\r\n", at) - at);
        EXPECT_TRUE(std::regex_match(name, std::regex((prefixLength ? "[A-Z]{6}\\+" : "") + kept))) << name;
        EXPECT_NE(pdf.find("/FontName /" + name + "\r\n"), std::string::npos);
        if (prefixLength > 0) {
            EXPECT_EQ(Pdffonts(path).count(kept + ": Type 1C yes yes yes"), 1u);
        }
        EXPECT_EQ(Pdftotext(path), "A\n");
    }
}

TEST(CFFEmbedding, OpenTypeCFFTextIsEmbeddedAsType1CAndCIDFontType0CSubsets)
{
    const char* const roman = "/usr/share/fonts/opentype/urw-base35/NimbusRoman-Regular.otf";
    const char* const cjk = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";
    // The Nimbus Roman lines hold more than 255 glyphs: the later ones go to its CID font.
    std::string many = ThreeHundredCharacters();
    std::vector<Type1Line> lines = {{fonttest::kNimbusSansOTF, "", "Hello from CFF outlines"}, {cjk, "", "中文字体测试"}};
    for (size_t at = 0; at < many.size();) {
        size_t end = std::min(many.size(), at + 30);
        while (end < many.size() && (static_cast<unsigned char>(many[end]) & 0xC0) == 0x80)
            ++end;
        lines.push_back({roman, "", many.substr(at, end - at)});
        at = end;
    }
    TestDirectory folder;
    std::string path = folder.PathOf("cff.pdf");
    ASSERT_EQ(WriteDocument(path, lines, false), eSuccess);
    ExpectQpdfAccepts(path);
    std::string expectedText;
    for (const Type1Line& line : lines)
        expectedText += line.text + "\n";
    EXPECT_EQ(Pdftotext(path), expectedText);
    EXPECT_EQ(Pdffonts(path), (std::multiset<std::string>{"NimbusSans-Regular: Type 1C yes yes yes",
                                                          "NimbusRoman-Regular: Type 1C yes yes yes",
                                                          "NimbusRoman-Regular: CID Type 0C yes yes yes",
                                                          "NotoSansCJKjp-Regular: CID Type 0C yes yes yes"}));

    // Each subset's glyphs drawn as the source's: by name in the Type1C subsets, by CID (the
    // source's glyph id) in the CID-keyed ones.
    std::string pdf = ReadFile(path);
    std::vector<std::string> simple = Type1CPrograms(pdf);
    std::vector<std::string> cid = Type1CPrograms(pdf, "CIDFontType0C");
    ASSERT_EQ(simple.size(), 2u);
    ASSERT_EQ(cid.size(), 2u);
    for (const std::string& program : simple) {
        std::string source = program.find("NimbusSans") != std::string::npos ? fonttest::kNimbusSansOTF : roman;
        fonttest::ReferenceFace face(source);
        EXPECT_GT(ExpectOutlinesAsInPFB(program, face.Face()).size(), 10u) << source;
    }
    for (const std::string& program : cid) {
        bool isCJK = program.find("NotoSansCJK") != std::string::npos;
        fonttest::ReferenceFace source(isCJK ? cjk : roman);
        FT_Library library = nullptr;
        ASSERT_EQ(FT_Init_FreeType(&library), 0);
        FT_Face subset = nullptr;
        ASSERT_EQ(FT_New_Memory_Face(library, reinterpret_cast<const FT_Byte*>(program.data()),
                                     static_cast<FT_Long>(program.size()), 0, &subset),
                  0);
        EXPECT_TRUE(FT_IS_CID_KEYED(subset));
        CodePointString text;
        text.FromUTF8Bytes(isCJK ? lines[1].text : many);
        size_t compared = 0;
        for (uint32_t character : text.GetCodePoints()) {
            FT_UInt glyph = FT_Get_Char_Index(source.Face(), character);
            ASSERT_NE(glyph, 0u) << character;
            Outline expected = FreeTypeOutline(source.Face(), glyph);
            FT_Pos advance = source.Face()->glyph->metrics.horiAdvance;
            Outline ours = FreeTypeOutline(subset, glyph);
            if (!isCJK && ours.empty() && !expected.empty())
                continue; // shown through the simple font, not in this subset
            std::string why;
            EXPECT_TRUE(SameOutline(ours, expected, 1, why)) << character << ": " << why;
            EXPECT_EQ(subset->glyph->metrics.horiAdvance, advance) << character;
            ++compared;
        }
        EXPECT_GT(compared, 5u);
        FT_Done_Face(subset);
        FT_Done_FreeType(library);
    }
}
