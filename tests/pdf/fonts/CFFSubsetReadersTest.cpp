// CFF subsets judged by other readers: a page of text in a subset (Type1C for the name-keyed
// URW font, CIDFontType0C for the CID-keyed subset of it and for Noto Sans CJK) is listed by
// pdffonts with that type, gives its text back through pdftotext, and renders in pdftoppm and
// mutool exactly as the same page with the whole source font program embedded.

#include "pdf/fonts/CFFEmbeddedFontWriter.h"
#include "pdf/io/InputByteArrayStream.h"

#include "CFFTestSupport.h"
#include "tests/pdf/parsing/ParserTestSupport.h"
#include "tests/pdf/support/ExternalReaders.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>

using namespace cfftest;

namespace {

struct PageText {
    std::u32string text;
    std::vector<uint32_t> glyphs; // per character
    std::vector<int> widths;      // per character, in thousandths of the em
};

PageText GlyphsOf(FT_Face inFace, const std::u32string& inText)
{
    PageText page{inText, {}, {}};
    for (char32_t character : inText) {
        FT_UInt glyph = FT_Get_Char_Index(inFace, character);
        FT_Load_Glyph(inFace, glyph, FT_LOAD_NO_SCALE);
        page.glyphs.push_back(glyph);
        page.widths.push_back(static_cast<int>(inFace->glyph->metrics.horiAdvance * 1000 / inFace->units_per_EM));
    }
    return page;
}

std::string Hex4(unsigned inValue)
{
    char text[8];
    std::snprintf(text, sizeof(text), "%04X", inValue);
    return text;
}

// One page showing the text at 36 points in a font whose program is inProgram: a simple font
// with the program's built-in encoding (ASCII text), or a Type0 font with Identity-H codes
// that are the glyph ids and a ToUnicode map.
std::string MakePDF(const std::string& inProgram, bool inCID, const PageText& inPage)
{
    parsertest::PdfBuilder pdf;
    pdf.Add("<< /Type /Catalog /Pages 2 0 R >>");
    pdf.Add("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    pdf.Add("");
    auto add = [&pdf](const std::string& inObject) { return std::to_string(pdf.Add(inObject)); };
    std::string file = add("<< /Subtype /" + std::string(inCID ? "CIDFontType0C" : "Type1C") + " /Length " +
                           std::to_string(inProgram.size()) + " >>\nstream\n" + inProgram + "\nendstream");
    std::string descriptor = add("<< /Type /FontDescriptor /FontName /ABCDEF+Subset /Flags " +
                                 std::string(inCID ? "4" : "32") +
                                 " /FontBBox [0 -300 1000 1000] /ItalicAngle 0 /Ascent 900 /Descent -200 "
                                 "/CapHeight 700 /StemV 80 /FontFile3 " + file + " 0 R >>");
    std::string font, shown;
    if (inCID) {
        std::string widths, map;
        std::set<uint32_t> seen;
        for (size_t i = 0; i < inPage.glyphs.size(); ++i) {
            shown += Hex4(inPage.glyphs[i]);
            if (!seen.insert(inPage.glyphs[i]).second)
                continue;
            widths += std::to_string(inPage.glyphs[i]) + " [" + std::to_string(inPage.widths[i]) + "] ";
            map += "<" + Hex4(inPage.glyphs[i]) + "> <" + Hex4(static_cast<unsigned>(inPage.text[i])) + ">\n";
        }
        std::string cmap = "/CIDInit /ProcSet findresource begin 12 dict begin begincmap /CMapName /Test def "
                           "1 begincodespacerange <0000> <FFFF> endcodespacerange " +
                           std::to_string(seen.size()) + " beginbfchar\n" + map +
                           "endbfchar endcmap CMapName currentdict /CMap defineresource pop end end";
        std::string toUnicode = add("<< /Length " + std::to_string(cmap.size()) + " >>\nstream\n" + cmap + "\nendstream");
        std::string descendant = add("<< /Type /Font /Subtype /CIDFontType0 /BaseFont /ABCDEF+Subset /CIDSystemInfo "
                                     "<< /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> /FontDescriptor " +
                                     descriptor + " 0 R /W [" + widths + "] >>");
        font = add("<< /Type /Font /Subtype /Type0 /BaseFont /ABCDEF+Subset /Encoding /Identity-H /DescendantFonts [" +
                   descendant + " 0 R] /ToUnicode " + toUnicode + " 0 R >>");
        shown = "<" + shown + ">";
    } else {
        std::vector<int> widths(95, 0);
        for (size_t i = 0; i < inPage.text.size(); ++i) {
            widths[inPage.text[i] - 32] = inPage.widths[i];
            shown.push_back(static_cast<char>(inPage.text[i]));
        }
        std::string widthList;
        for (int width : widths)
            widthList += std::to_string(width) + " ";
        font = add("<< /Type /Font /Subtype /Type1 /BaseFont /ABCDEF+Subset /FirstChar 32 /LastChar 126 /Widths [" +
                   widthList + "] /FontDescriptor " + descriptor + " 0 R >>");
        shown = "(" + shown + ")";
    }
    std::string content = "BT /F1 36 Tf 20 100 Td " + shown + " Tj ET";
    std::string contents = add("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream");
    pdf.objects[2] = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 600 200] /Contents " + contents +
                     " 0 R /Resources << /Font << /F1 " + font + " 0 R >> >> >>";
    return pdf.Build();
}

std::string Utf8(const std::u32string& inText)
{
    std::string text;
    for (char32_t c : inText) {
        if (c < 0x80) {
            text.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            text.push_back(static_cast<char>(0xC0 | (c >> 6)));
            text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            text.push_back(static_cast<char>(0xE0 | (c >> 12)));
            text.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return text;
}

} // namespace

TEST(CFFSubsetReadersTest, PagesInSubsetsReadAndRenderAsWithTheWholeFont)
{
    using namespace testsupport;
    struct Case {
        const char* name;
        std::string path;
        std::u32string text;
        bool cid;
        const char* type;
    };
    const std::vector<Case> cases = {
        {"Type1C", fonttest::kNimbusSansOTF, U"Hello World, fig. 1-2", false, "Type 1C"},
        {"name-keyed as CIDFontType0C", fonttest::kNimbusSansOTF, U"Hello World, fig. 1-2", true, "CID Type 0C"},
        {"CID-keyed", kNotoSansCJK, U"漢字かなカナ 中文 한국어", true, "CID Type 0C"},
    };
    TestDirectory folder;
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        std::string font = ReadFile(test.path);
        fonttest::ReferenceFace face(test.path);
        ASSERT_NE(face.Face(), nullptr);
        PageText page = GlyphsOf(face.Face(), test.text);
        std::set<uint32_t> distinct(page.glyphs.begin(), page.glyphs.end());
        std::vector<uint32_t> glyphs(distinct.begin(), distinct.end());
        std::vector<uint16_t> cids(glyphs.begin(), glyphs.end());

        InputByteArrayStream stream(reinterpret_cast<const Byte*>(font.data()), static_cast<LongFilePositionType>(font.size()));
        CFFEmbeddedFontWriter writer;
        std::string subset;
        bool notEmbeddable = false;
        ASSERT_EQ(writer.CreateCFFSubset(&stream, 0, glyphs, test.cid ? &cids : nullptr, "ABCDEF+Subset", notEmbeddable,
                                         subset),
                  eSuccess);

        std::string subsetPDF = (folder / "subset.pdf").string();
        std::string wholePDF = (folder / "whole.pdf").string();
        WriteFile(subsetPDF, MakePDF(subset, test.cid, page));
        WriteFile(wholePDF, MakePDF(CFFTable(font), test.cid, page));

        std::string fonts;
        ASSERT_EQ(testsupport::Run("pdffonts " + Quote(subsetPDF), &fonts), 0);
        EXPECT_NE(fonts.find("ABCDEF+Subset"), std::string::npos) << fonts;
        EXPECT_NE(fonts.find(std::string(test.type) + " "), std::string::npos) << fonts;
        std::string text;
        ASSERT_EQ(testsupport::Run("pdftotext " + Quote(subsetPDF) + " -", &text), 0);
        EXPECT_EQ(text.substr(0, text.find('\n')), Utf8(test.text));

        // Rendered in grey at 150 dpi by poppler and by mupdf.
        auto render = [&folder](const std::string& inPDF, bool inPoppler, const std::string& inName) {
            std::string image = (folder / inName).string();
            std::string output;
            std::string command = inPoppler ? "pdftoppm -r 150 -gray -singlefile " + Quote(inPDF) + " " + Quote(image)
                                            : "mutool draw -q -r 150 -o " + Quote(image + ".pgm") + " " + Quote(inPDF);
            EXPECT_EQ(RunMerged(command, output), 0) << output;
            return ReadFile(image + ".pgm");
        };
        for (bool poppler : {true, false}) {
            std::string rendered = render(subsetPDF, poppler, "subset");
            EXPECT_GT(rendered.size(), 1000u);
            EXPECT_TRUE(rendered == render(wholePDF, poppler, "whole")) << (poppler ? "pdftoppm" : "mutool");
        }
    }
}
