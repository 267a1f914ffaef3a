// Text in TrueType fonts embedded end to end: documents that qpdf, pdffonts and pdftotext accept
// and read back, subsets taken out of the PDF that FreeType draws as the source fonts, the exact
// bytes of the font objects, and the same text added by an incremental update.

#include "pdf/fonts/ANSIFontWriter.h"
#include "pdf/fonts/DescendentFontWriter.h"
#include "pdf/fonts/FontDescriptorBuilder.h"
#include "pdf/fonts/FreeTypeWrapper.h"
#include "pdf/fonts/IANSIFontWriterHelper.h"
#include "pdf/fonts/IFontDescriptorHelper.h"
#include "pdf/fonts/PDFUsedFont.h"
#include "pdf/fonts/ToUnicodeMapWriter.h"
#include "pdf/fonts/UsedFontsRepository.h"
#include "pdf/io/CodePointString.h"
#include "pdf/writing/OutputPage.h"
#include "pdf/writing/PDFWriter.h"
#include "pdf/writing/PageContentContext.h"
#include "pdf/writing/PageRewriter.h"
#include "pdf/writing/XObjectContentContext.h"

#include "FontTestSupport.h"
#include "tests/pdf/support/ExternalReaders.h"
#include "tests/pdf/support/LogCapture.h"
#include "tests/pdf/support/TestDirectory.h"
#include "tests/pdf/writing/WriterTestSupport.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

using namespace fonttest;
using namespace testsupport;

void ExpectGlyphsAsInSource(const std::string& inSubset, const char* inSourcePath,
                            const std::vector<uint32_t>& inGlyphs);

namespace {

struct TextLine {
    const char* fontPath;
    std::string text;
};

const std::vector<TextLine> kScripts = {
    {kDejaVuSans, "Hello, World! Grüße"},
    {kDejaVuSans, "Ωμέγα αλφάβητο"},
    {kDejaVuSans, "Привет, мир"},
    {kDroidSansFallback, "中文字体测试"},
};

WriterOptions Options(bool inCompress)
{
    WriterOptions options;
    options.mCompressStreams = inCompress;
    return options;
}

// Draws each line 40 points below the one before, starting at the top of the content.
void DrawLines(PDFWriter& ioWriter, AbstractContentContext* inContent, const std::vector<TextLine>& inLines)
{
    double y = 780;
    for (const TextLine& line : inLines) {
        TextOptions options;
        options.mFont = ioWriter.GetFontForFile(line.fontPath);
        ASSERT_NE(options.mFont, nullptr) << line.fontPath;
        options.mFontSize = 20;
        EXPECT_EQ(inContent->WriteText(40, y, line.text, options), eSuccess);
        y -= 40;
    }
}

void WriteDocument(const std::string& inPath, const std::vector<TextLine>& inLines, bool inCompress)
{
    PDFWriter writer;
    ASSERT_EQ(writer.CreateNewPDF(inPath, 14, LogSettings(), Options(inCompress)), eSuccess);
    OutputPage page;
    page.SetMediaBox(PDFRectangle(0, 0, 595, 842));
    DrawLines(writer, writer.GetDocumentContext().StartPageContentContext(&page), inLines);
    ObjectIDType pageID = 0;
    ASSERT_EQ(writer.GetDocumentContext().WritePage(&page, pageID), eSuccess);
    ASSERT_EQ(writer.EndPDF(), eSuccess);
}

std::string Joined(const std::vector<TextLine>& inLines)
{
    std::string text;
    for (const TextLine& line : inLines)
        text += line.text + "\n";
    return text;
}

// pdftotext's text with blank lines and the page break dropped.
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

struct ListedFont {
    std::string name, type, encoding, embedded, subset, unicode;
};

std::vector<ListedFont> Pdffonts(const std::string& inPath)
{
    std::string output;
    EXPECT_EQ(Run("pdffonts " + Quote(inPath), &output), 0);
    std::vector<ListedFont> fonts;
    std::regex row(R"(^(\S+)\s+(TrueType|CID TrueType|Type 1|Type 1C|CID Type 0C)\s+(\S+)\s+)"
                   R"((yes|no)\s+(yes|no)\s+(yes|no)\s)");
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        std::smatch match;
        if (std::regex_search(line, match, row))
            fonts.push_back({match[1], match[2], match[3], match[4], match[5], match[6]});
    }
    return fonts;
}

// The font programs of an uncompressed PDF: each FontFile2 stream's Length1 bytes.
std::vector<std::string> FontPrograms(const std::string& inPDF)
{
    std::vector<std::string> programs;
    std::regex length1(R"(/Length1 (\d+)\r\n)");
    for (auto match = std::sregex_iterator(inPDF.begin(), inPDF.end(), length1); match != std::sregex_iterator();
         ++match) {
        size_t data = inPDF.find("stream\r\n", static_cast<size_t>(match->position())) + 8;
        programs.push_back(inPDF.substr(data, std::stoul((*match)[1])));
    }
    return programs;
}

std::vector<uint32_t> GlyphsOf(const char* inFontPath, const std::string& inText)
{
    ReferenceFace face(inFontPath);
    CodePointString text;
    text.FromUTF8Bytes(inText);
    std::vector<uint32_t> glyphs;
    for (uint32_t character : text.GetCodePoints())
        glyphs.push_back(FT_Get_Char_Index(face.Face(), character));
    return glyphs;
}

long long Width(FT_Face inFace, FT_UInt inGlyph)
{
    FT_Load_Glyph(inFace, inGlyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING);
    return static_cast<long long>(static_cast<double>(inFace->glyph->metrics.horiAdvance) * 1000.0 /
                                  inFace->units_per_EM);
}

// The object "id 0 obj" ... "endobj" CR LF of a PDF text.
std::string ObjectText(const std::string& inPDF, ObjectIDType inID)
{
    std::string header = std::to_string(inID) + " 0 obj\r\n";
    size_t start = inPDF.find(header);
    if (start == std::string::npos)
        return "<missing>";
    size_t end = inPDF.find("endobj\r\n", start);
    return inPDF.substr(start, end + 8 - start);
}

std::string StreamData(const std::string& inObject)
{
    size_t start = inObject.find("stream\r\n");
    size_t end = inObject.find("\r\nendstream");
    if (start == std::string::npos || end == std::string::npos)
        return "<no stream>";
    return inObject.substr(start + 8, end - start - 8);
}

// Every script in its font; the subsets, looked up by family name.
void ExpectReadersAcceptAndReadBack(const std::string& inPath, const std::vector<TextLine>& inLines)
{
    ExpectQpdfAccepts(inPath);
    EXPECT_EQ(Pdftotext(inPath), Joined(inLines));
    std::vector<ListedFont> fonts = Pdffonts(inPath);
    ASSERT_EQ(fonts.size(), 3u);
    const struct {
        const char* name;
        const char* type;
        const char* encoding;
    } scExpected[] = {{"DejaVuSans", "TrueType", "WinAnsi"},
                      {"DejaVuSans", "CID TrueType", "Identity-H"},
                      {"DroidSansFallback", "CID TrueType", "Identity-H"}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(std::regex_match(fonts[i].name, std::regex("[A-Z]{6}\\+" + std::string(scExpected[i].name))))
            << fonts[i].name;
        EXPECT_EQ(fonts[i].type, scExpected[i].type);
        EXPECT_EQ(fonts[i].encoding, scExpected[i].encoding);
        EXPECT_EQ(fonts[i].embedded, "yes");
        EXPECT_EQ(fonts[i].subset, "yes");
        EXPECT_EQ(fonts[i].unicode, "yes");
    }
}

} // namespace

TEST(FontEmbedding, LatinGreekCyrillicAndCJKTextIsEmbeddedAsSubsetsThatReadersAccept)
{
    TestDirectory folder;
    for (bool compress : {true, false}) {
        std::string path = folder.PathOf(compress ? "compressed.pdf" : "plain.pdf");
        WriteDocument(path, kScripts, compress);
        ExpectReadersAcceptAndReadBack(path, kScripts);
    }

    // DejaVu's simple font, its CID font, then Droid's CID font.
    std::vector<std::string> programs = FontPrograms(ReadFile(folder.PathOf("plain.pdf")));
    ASSERT_EQ(programs.size(), 3u);
    // The Latin line fits WinAnsiEncoding; Greek and Cyrillic go to the CID font.
    std::vector<uint32_t> beyondLatin = GlyphsOf(kDejaVuSans, kScripts[1].text + kScripts[2].text);
    ExpectGlyphsAsInSource(programs[0], kDejaVuSans, GlyphsOf(kDejaVuSans, kScripts[0].text));
    ExpectGlyphsAsInSource(programs[1], kDejaVuSans, beyondLatin);
    ExpectGlyphsAsInSource(programs[2], kDroidSansFallback, GlyphsOf(kDroidSansFallback, kScripts[3].text));
    // Subsets: a tenth of DejaVu, and far less of Droid's 4 MB.
    EXPECT_LT(programs[1].size(), ReadFile(kDejaVuSans).size() / 5);
    EXPECT_LT(programs[2].size(), ReadFile(kDroidSansFallback).size() / 8);
}

TEST(FontEmbedding, TextAddedByAnIncrementalUpdateIsEmbeddedTheSameWay)
{
    TestDirectory folder;
    std::string path = folder.PathOf("update.pdf");
    {
        PDFWriter writer;
        ASSERT_EQ(writer.CreateNewPDF(path, 13, LogSettings(), Options(true)), eSuccess);
        OutputPage page;
        page.SetMediaBox(PDFRectangle(0, 0, 595, 842));
        ObjectIDType pageID = 0;
        ASSERT_EQ(writer.GetDocumentContext().WritePage(&page, pageID), eSuccess);
        ASSERT_EQ(writer.EndPDF(), eSuccess);
    }
    const std::string before = ReadFile(path);
    {
        PDFWriter writer;
        ASSERT_EQ(writer.StartIncrementalUpdate(path, 13, "", LogSettings(), Options(true)), eSuccess);
        PageRewriter rewriter(&writer, 0);
        XObjectContentContext* content = rewriter.StartContentContext();
        ASSERT_NE(content, nullptr);
        DrawLines(writer, content, kScripts);
        ASSERT_EQ(rewriter.EndContentContext(), eSuccess);
        ASSERT_EQ(rewriter.WritePage(), eSuccess);
        ASSERT_EQ(writer.EndPDF(), eSuccess);
    }
    const std::string after = ReadFile(path);
    ASSERT_GT(after.size(), before.size());
    EXPECT_EQ(after.compare(0, before.size(), before), 0) << "the old bytes are a prefix of the update";
    ExpectReadersAcceptAndReadBack(path, kScripts);
}

TEST(FontEmbedding, ExactBytesOfTheSimpleFontAndItsDescriptor)
{
    WriterTestSupport::MemoryContext memory;
    UsedFontsRepository repository;
    memory.Context().SetCompressStreams(false);
    repository.SetObjectsContext(&memory.Context());
    PDFUsedFont* font = repository.GetFontForFile(kDejaVuSans, 0);
    ASSERT_NE(font, nullptr);
    GlyphTextRecordList glyphs;
    ASSERT_EQ(font->TextToGlyphMapping("Hi", glyphs), eSuccess);
    std::vector<uint16_t> codes;
    bool isCID = true;
    ObjectIDType fontID = 0;
    ASSERT_EQ(font->EncodeGlyphs(glyphs, codes, isCID, fontID), eSuccess);
    ASSERT_FALSE(isCID);
    ASSERT_EQ(repository.WriteAllUsedFonts(false), eSuccess);
    ASSERT_FALSE(memory.Context().HasFailed());
    const std::string pdf = memory.Bytes();

    ReferenceFace face(kDejaVuSans);
    std::string widths = std::to_string(Width(face.Face(), 0)) + " ";
    for (int code = 1; code <= 'i'; ++code) {
        FT_UInt glyph = code == 'H' || code == 'i' ? FT_Get_Char_Index(face.Face(), code) : 0;
        widths += std::to_string(glyph ? Width(face.Face(), glyph) : 0) + " ";
    }
    EXPECT_EQ(ObjectText(pdf, fontID), std::to_string(fontID) +
                                           " 0 obj\r\n<<\r\n\t/Type /Font\r\n\t/Subtype /TrueType\r\n"
                                           "\t/BaseFont /DejaVuSans\r\n\t/FirstChar 0\r\n\t/LastChar 105\r\n"
                                           "\t/Widths [ " +
                                           widths +
                                           "]\r\n\t/Encoding /WinAnsiEncoding\r\n"
                                           "\t/ToUnicode 2 0 R\r\n\t/FontDescriptor 3 0 R\r\n>>\r\nendobj\r\n");
    EXPECT_EQ(StreamData(ObjectText(pdf, 2)), "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                                              "/CIDSystemInfo\n<< /Registry (Adobe)\n"
                                              "/Ordering (UCS) /Supplement 0 >> def\n"
                                              "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                                              "1 begincodespacerange\n<00> <FF>\r\nendcodespacerange\n"
                                              "2 beginbfchar\r\n<48> <0048>\n<69> <0069>\nendbfchar\r\n"
                                              "endcmap CMapName currentdict /CMap defineresource pop end end\n");
    // Not embedded: no subset prefix and no font file. DejaVu Sans's own values, scaled from
    // 2048 units per em; its OS/2 table (version 1) gives cap and x height 0.
    EXPECT_EQ(ObjectText(pdf, 3), "3 0 obj\r\n<<\r\n\t/Type /FontDescriptor\r\n\t/FontName /DejaVuSans\r\n"
                                  "\t/FontFamily (DejaVu Sans)\r\n\t/FontStretch /Normal\r\n\t/FontWeight 400\r\n"
                                  "\t/FontBBox [ -1020 -462 1793 1232 ]\r\n\t/ItalicAngle 0\r\n\t/Ascent 928\r\n"
                                  "\t/Descent -235\r\n\t/CapHeight 0\r\n\t/XHeight 0\r\n\t/StemV 277\r\n"
                                  "\t/Flags 34\r\n>>\r\nendobj\r\n");
}

TEST(FontEmbedding, ExactBytesOfTheType0FontWithItsWidthsAndCIDSet)
{
    WriterTestSupport::MemoryContext memory;
    UsedFontsRepository repository;
    memory.Context().SetCompressStreams(false);
    repository.SetObjectsContext(&memory.Context());
    PDFUsedFont* font = repository.GetFontForFile(kDejaVuSans, 0);
    ASSERT_NE(font, nullptr);
    GlyphTextRecordList glyphs;
    // The omega does not fit WinAnsiEncoding: the whole text goes to the CID font.
    ASSERT_EQ(font->TextToGlyphMapping("0123abΩ", glyphs), eSuccess);
    std::vector<uint16_t> codes;
    bool isCID = false;
    ObjectIDType fontID = 0;
    ASSERT_EQ(font->EncodeGlyphs(glyphs, codes, isCID, fontID), eSuccess);
    ASSERT_TRUE(isCID);
    ASSERT_EQ(repository.WriteAllUsedFonts(true), eSuccess);
    const std::string pdf = memory.Bytes();

    ReferenceFace face(kDejaVuSans);
    std::vector<uint32_t> ids = GlyphsOf(kDejaVuSans, "0123abΩ");
    // Digits share one width, a and b do not, and the glyph ids are consecutive.
    ASSERT_EQ(ids[3], ids[0] + 3);
    ASSERT_EQ(ids[5], ids[4] + 1);
    ASSERT_EQ(Width(face.Face(), ids[0]), Width(face.Face(), ids[3]));
    ASSERT_NE(Width(face.Face(), ids[4]), Width(face.Face(), ids[5]));
    auto number = [](long long inValue) { return std::to_string(inValue); };
    std::string w = number(ids[0]) + " " + number(ids[3]) + " " + number(Width(face.Face(), ids[0])) + " " +
                    number(ids[4]) + " [ " + number(Width(face.Face(), ids[4])) + " " +
                    number(Width(face.Face(), ids[5])) + " ] " + number(ids[6]) + " " + number(ids[6]) + " " +
                    number(Width(face.Face(), ids[6])) + " ";

    std::smatch prefix;
    ASSERT_TRUE(std::regex_search(pdf, prefix, std::regex("/BaseFont /([A-Z]{6})\\+DejaVuSans")));
    const std::string name = prefix[1].str() + "+DejaVuSans";
    EXPECT_EQ(ObjectText(pdf, fontID), std::to_string(fontID) +
                                           " 0 obj\r\n<<\r\n\t/Type /Font\r\n\t/Subtype /Type0\r\n\t/BaseFont /" +
                                           name +
                                           "\r\n\t/Encoding /Identity-H\r\n\t/DescendantFonts [ 2 0 R ]\r\n"
                                           "\t/ToUnicode 3 0 R\r\n>>\r\nendobj\r\n");
    std::string toUnicode = StreamData(ObjectText(pdf, 3));
    char entries[200];
    std::snprintf(entries, sizeof(entries),
                  "7 beginbfchar\r\n<%04x> <0030>\n<%04x> <0031>\n<%04x> <0032>\n<%04x> <0033>\n<%04x> <0061>\n"
                  "<%04x> <0062>\n<%04x> <03a9>\nendbfchar\r\n",
                  ids[0], ids[1], ids[2], ids[3], ids[4], ids[5], ids[6]);
    EXPECT_NE(toUnicode.find(std::string("<0000> <FFFF>\r\nendcodespacerange\n") + entries), std::string::npos)
        << toUnicode;

    // The font program (its stream and length object) comes before the descendant.
    std::string descendant = ObjectText(pdf, 2);
    std::smatch descriptorID;
    ASSERT_TRUE(std::regex_search(descendant, descriptorID, std::regex("/FontDescriptor (\\d+) 0 R")));
    std::smatch infoID;
    ASSERT_TRUE(std::regex_search(descendant, infoID, std::regex("/CIDSystemInfo (\\d+) 0 R")));
    EXPECT_EQ(descendant, "2 0 obj\r\n<<\r\n\t/Type /Font\r\n\t/Subtype /CIDFontType2\r\n\t/BaseFont /" + name +
                              "\r\n\t/DW " + number(Width(face.Face(), 0)) + "\r\n\t/W [ " + w +
                              "]\r\n\t/CIDSystemInfo " + infoID[1].str() + " 0 R\r\n\t/FontDescriptor " +
                              descriptorID[1].str() + " 0 R\r\n\t/CIDToGIDMap /Identity\r\n>>\r\nendobj\r\n");
    EXPECT_EQ(ObjectText(pdf, std::stoul(infoID[1])),
              infoID[1].str() + " 0 obj\r\n<<\r\n\t/Registry (Adobe)\r\n\t/Ordering (Identity)\r\n"
                                "\t/Supplement 0\r\n>>\r\nendobj\r\n");
    std::string descriptor = ObjectText(pdf, std::stoul(descriptorID[1]));
    std::smatch setAndFile;
    ASSERT_TRUE(std::regex_search(descriptor, setAndFile,
                                  std::regex("\t/CIDSet (\\d+) 0 R\r\n\t/Flags 6\r\n\t/FontFile2 (\\d+) 0 R\r\n>>")))
        << descriptor;
    EXPECT_NE(descriptor.find("\t/FontName /" + name + "\r\n"), std::string::npos);
    std::string cidSet = StreamData(ObjectText(pdf, std::stoul(setAndFile[1])));
    std::string expectedSet(ids[6] / 8 + 1, '\0');
    for (uint32_t id : ids)
        expectedSet[id / 8] = static_cast<char>(expectedSet[id / 8] | (0x80 >> (id % 8)));
    expectedSet[0] = static_cast<char>(expectedSet[0] | 0x80);
    EXPECT_EQ(cidSet, expectedSet);
}

TEST(FontEmbedding, ToUnicodeMapEntriesAndBlocks)
{
    auto glyphs = [](size_t inCount, std::vector<uint32_t> inUnicode) {
        EncodedGlyphList list{{0, 0, {}}};
        for (size_t i = 1; i <= inCount; ++i)
            list.push_back({static_cast<uint32_t>(i), static_cast<uint16_t>(i), inUnicode});
        return list;
    };
    auto blockCounts = [](const std::string& inText) {
        std::vector<int> counts;
        std::regex block(R"((\d+) beginbfchar\r\n)");
        for (auto match = std::sregex_iterator(inText.begin(), inText.end(), block); match != std::sregex_iterator();
             ++match)
            counts.push_back(std::stoi((*match)[1]));
        return counts;
    };
    const struct {
        size_t records;
        ToUnicodeMapWriter::ECodeWidth width;
        std::vector<int> blocks;
    } scBlocks[] = {{0, ToUnicodeMapWriter::eOneByteCodes, {0}},
                    {100, ToUnicodeMapWriter::eOneByteCodes, {100}},
                    {250, ToUnicodeMapWriter::eOneByteCodes, {100, 100, 50}},
                    {249, ToUnicodeMapWriter::eTwoByteCodes, {100, 100, 49}}};
    for (const auto& test : scBlocks) {
        std::string text = ToUnicodeMapWriter::ToUnicodeMapText(glyphs(test.records, {0x41}), test.width);
        EXPECT_EQ(blockCounts(text), test.blocks) << test.records;
        size_t endings = 0;
        for (size_t at = text.find("endbfchar\r\n"); at != std::string::npos; at = text.find("endbfchar\r\n", at + 1))
            ++endings;
        EXPECT_EQ(endings, test.blocks.size());
    }
    EXPECT_NE(ToUnicodeMapWriter::ToUnicodeMapText(glyphs(0, {}), ToUnicodeMapWriter::eOneByteCodes)
                  .find("0 beginbfchar\r\nendbfchar\r\n"),
              std::string::npos);

    const struct {
        std::vector<uint32_t> unicode;
        const char* hex;
    } scEntries[] = {{{0x41}, "0041"},
                     {{0x1F600}, "d83dde00"},
                     {{0x66, 0x69}, "00660069"},
                     {{}, "0000"},
                     {{0xD800}, "fffd"},
                     {{0x110000}, "fffd"},
                     {{0x10FFFF}, "dbffdfff"}};
    for (const auto& test : scEntries)
        EXPECT_EQ(ToUnicodeMapWriter::UTF16Hex(test.unicode), test.hex);
    EXPECT_NE(ToUnicodeMapWriter::ToUnicodeMapText(glyphs(1, {0x1F600}), ToUnicodeMapWriter::eTwoByteCodes)
                  .find("1 beginbfchar\r\n<0001> <d83dde00>\nendbfchar\r\n"),
              std::string::npos);
}

TEST(FontEmbedding, CIDSetBitsAndDescriptorFlags)
{
    const struct {
        std::vector<uint32_t> glyphs;
        std::string bytes;
    } scSets[] = {{{0}, ""}, {{0, 3}, "\x90"}, {{0, 8}, std::string("\x80\x80", 2)}, {{0, 1, 15}, "\xC0\x01"}};
    for (const auto& test : scSets) {
        EncodedGlyphList list;
        for (uint32_t glyph : test.glyphs)
            list.push_back({glyph, static_cast<uint16_t>(glyph), {}});
        EXPECT_EQ(DescendentFontWriter::CIDSetBytes(list), test.bytes);
    }

    // Control characters never count; the euro sign is standard Latin, an arrow is not.
    const struct {
        std::vector<uint32_t> unicode;
        bool symbolic;
    } scSymbolic[] = {{{0x41, 0x7A}, false}, {{0x20AC}, false}, {{0x09, 0x1F}, false}, {{0x2192}, true},
                      {{0x41, 0x3A9}, true}};
    for (const auto& test : scSymbolic) {
        EncodedGlyphList list{{0, 0, {0x2192}}}; // .notdef's own values are never looked at
        for (uint32_t value : test.unicode)
            list.push_back({1, 1, {value}});
        EXPECT_EQ(FontDescriptorBuilder::IsSymbolic(list), test.symbolic) << test.unicode.front();
    }

    FreeTypeWrapper freeType;
    const struct {
        const char* path;
        unsigned int asciiFlags;
    } scFlags[] = {{kDejaVuSans, 34}, {"/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf", 35}};
    for (const auto& test : scFlags) {
        FreeTypeFaceWrapper face(freeType.NewFace(test.path, 0), test.path, "", 0);
        EXPECT_EQ(FontDescriptorBuilder::CalculateFlags(face, {{0, 0, {}}, {36, 65, {0x41}}}), test.asciiFlags);
        EXPECT_EQ(FontDescriptorBuilder::CalculateFlags(face, {{0, 0, {}}, {36, 65, {0x2192}}}),
                  test.asciiFlags - 32 + 4);
    }
    EXPECT_STREQ(FontDescriptorBuilder::StretchName(1), "UltraCondensed");
    EXPECT_STREQ(FontDescriptorBuilder::StretchName(9), "UltraExpanded");
    EXPECT_STREQ(FontDescriptorBuilder::StretchName(0), "Normal");
    EXPECT_STREQ(FontDescriptorBuilder::StretchName(12), "Normal");
}

namespace {

// A simple font kind that allows Differences, as Type 1 fonts do.
class DifferencesHelper : public IANSIFontWriterHelper, public IFontDescriptorHelper {
public:
    void WriteSubtypeName(ObjectsContext* inObjectsContext, DictionaryContext* inFontDictionary) override
    {
        inFontDictionary->WriteKey("Subtype");
        inObjectsContext->GetValueWriter().WriteNameValue("Type1", eTokenSeparatorEndLine);
    }
    IFontDescriptorHelper* DescriptorHelper() override { return this; }
    bool AllowsDifferences() override { return true; }
    void WriteGlyphSetEntry(DictionaryContext*, ObjectsContext*, FreeTypeFaceWrapper&, const EncodedGlyphList&) override
    {
    }
    void WriteFontProgramEntry(DictionaryContext*, ObjectsContext*) override {}
};

} // namespace

TEST(FontEmbedding, GlyphNamesOutsideWinAnsiGoToAnEncodingWithDifferencesInRuns)
{
    WriterTestSupport::MemoryContext memory;
    FreeTypeWrapper freeType;
    FreeTypeFaceWrapper face(freeType.NewFace(kDejaVuSans, 0), kDejaVuSans, "", 0);
    ReferenceFace reference(kDejaVuSans);
    auto glyph = [&](FT_ULong inCharacter) {
        return static_cast<uint16_t>(FT_Get_Char_Index(reference.Face(), inCharacter));
    };
    WrittenFontRepresentation representation;
    representation.InsertNotDef();
    // "A" at 0x41 matches WinAnsiEncoding; A, B and C at 128, 129 and 140 do not.
    representation.mGlyphIDToEncodedChar[glyph('A')] = {0x41, {0x41}};
    representation.mGlyphIDToEncodedChar[glyph('B')] = {128, {0x42}};
    representation.mGlyphIDToEncodedChar[glyph('C')] = {129, {0x43}};
    representation.mGlyphIDToEncodedChar[glyph('D')] = {140, {0x44}};
    representation.mWrittenObjectID = memory.Context().GetInDirectObjectsRegistry().ReserveNewObjectID();
    DifferencesHelper helper;
    ANSIFontWriter writer;
    ASSERT_EQ(writer.WriteFont(face, representation, &memory.Context(), &helper, "DejaVuSans"), eSuccess);
    const std::string pdf = memory.Bytes();
    EXPECT_NE(ObjectText(pdf, 1).find("\t/Encoding 2 0 R\r\n\t/ToUnicode 3 0 R\r\n\t/FontDescriptor 4 0 R\r\n"),
              std::string::npos)
        << pdf;
    EXPECT_EQ(ObjectText(pdf, 2), "2 0 obj\r\n<<\r\n\t/Type /Encoding\r\n\t/BaseEncoding /WinAnsiEncoding\r\n"
                                  "\t/Differences [ 128\r\n/B\r\n/C\r\n\r\n\t140\r\n/D\r\n  ]\r\n>>\r\nendobj\r\n");
}

TEST(FontEmbedding, AFontThatMayNotBeEmbeddedIsWrittenWithoutProgramOrSubsetName)
{
    TestDirectory folder;
    std::string font = ReadFile(kDejaVuSans);
    PutUInt16(font, TableOffset(font, "OS/2") + 8, 0x0002);
    std::string fontPath = folder.Write("Restricted.ttf", font);
    std::string path = folder.PathOf("restricted.pdf");
    testsupport::LogCapture log;
    WriteDocument(path, {{fontPath.c_str(), "Hello"}, {fontPath.c_str(), "Ωμέγα"}}, true);
    ExpectQpdfAccepts(path);
    EXPECT_EQ(Pdftotext(path), "Hello\nΩμέγα\n");
    std::vector<ListedFont> fonts = Pdffonts(path);
    ASSERT_EQ(fonts.size(), 2u);
    for (const ListedFont& listed : fonts) {
        EXPECT_EQ(listed.name, "DejaVuSans");
        EXPECT_EQ(listed.embedded, "no");
        EXPECT_EQ(listed.subset, "no");
        EXPECT_EQ(listed.unicode, "yes");
    }
}
