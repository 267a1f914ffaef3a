// Type 1 glyphs rewritten as Type 2 charstrings, and Type 1 fonts embedded as CFF subsets: each
// rewriting rule on synthetic glyphs; every glyph of every URW face read back by FreeType from
// the subset and compared with FreeType's outline of the PFB; a PDF with such a subset checked
// with pdffonts and pdftotext.

#include "pdf/fonts/FreeTypeFaceWrapper.h"
#include "pdf/fonts/FreeTypeWrapper.h"
#include "pdf/fonts/Type1ToCFFEmbeddedFontWriter.h"
#include "pdf/fonts/Type1ToType2Converter.h"
#include "pdf/io/NumberText.h"
#include "pdf/io/OutputStringBufferStream.h"
#include "pdf/writing/ObjectsContext.h"
#include "tests/pdf/fonts/FontTestSupport.h"
#include "tests/pdf/fonts/Type1TestSupport.h"
#include "tests/pdf/parsing/ParserTestSupport.h"
#include "tests/pdf/support/ExternalReaders.h"
#include "tests/pdf/support/LogCapture.h"
#include "tests/pdf/support/TestDirectory.h"

#include FT_TYPE1_TABLES_H

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <sstream>

using namespace type1test;

namespace {

// A Type 2 charstring as text: numbers and operator names, hint masks as "hintmask:" and hex.
std::string DecodeType2(const std::string& inProgram)
{
    static const std::map<int, const char*> names = {
        {1, "hstem"},      {3, "vstem"},       {4, "vmoveto"},    {5, "rlineto"},    {6, "hlineto"},
        {7, "vlineto"},    {8, "rrcurveto"},   {14, "endchar"},   {18, "hstemhm"},   {19, "hintmask"},
        {21, "rmoveto"},   {22, "hmoveto"},    {23, "vstemhm"},   {26, "vvcurveto"}, {27, "hhcurveto"},
        {30, "vhcurveto"}, {31, "hvcurveto"},  {0x0C23, "flex"}};
    std::ostringstream text;
    size_t arguments = 0;
    size_t stems = 0;
    for (size_t i = 0; i < inProgram.size();) {
        int b = static_cast<unsigned char>(inProgram[i++]);
        auto next = [&]() { return i < inProgram.size() ? static_cast<unsigned char>(inProgram[i++]) : 0; };
        double value;
        if (b >= 32 && b <= 246) {
            value = b - 139;
        } else if (b >= 247 && b <= 250) {
            value = (b - 247) * 256 + next() + 108;
        } else if (b >= 251 && b <= 254) {
            value = -(b - 251) * 256 - next() - 108;
        } else if (b == 28) {
            int high = next();
            value = static_cast<int16_t>((high << 8) | next());
        } else if (b == 255) {
            uint32_t fixed = 0;
            for (int k = 0; k < 4; ++k)
                fixed = (fixed << 8) | next();
            value = static_cast<int32_t>(fixed) / 65536.0;
        } else {
            int code = b == 12 ? 0x0C00 + next() : b;
            if (code == 1 || code == 3 || code == 18 || code == 23 || code == 19)
                stems += arguments / 2;
            auto it = names.find(code);
            text << (it == names.end() ? "op" + std::to_string(code) : it->second);
            if (code == 19) {
                text << ":";
                for (size_t n = 0; n < (stems + 7) / 8; ++n) {
                    char hex[3];
                    snprintf(hex, sizeof(hex), "%02x", next());
                    text << hex;
                }
            }
            text << " ";
            arguments = 0;
            continue;
        }
        text << NumberText::FormatTrimmed(value) << " ";
        ++arguments;
    }
    std::string result = text.str();
    if (!result.empty())
        result.pop_back();
    return result;
}

std::string Convert(Type1Input& inFont, const std::string& inGlyph, OpStatus& outStatus)
{
    OutputStringBufferStream output;
    Type1ToType2Converter converter;
    outStatus = converter.WriteConvertedFontProgram(inGlyph, &inFont, &output);
    return DecodeType2(output.ContentsAsString());
}

std::string Numbers(std::initializer_list<long> inValues)
{
    return CharStringBytes(std::vector<long>(inValues));
}

std::string Hsbw(long inSideBearing, long inWidth)
{
    return Numbers({inSideBearing, inWidth}) + Op(13);
}

// inDividend / inDivisor as a Type 1 program computes it.
std::string Quotient(long inDividend, long inDivisor)
{
    return Numbers({inDividend, inDivisor}) + Op12(12);
}

// Flex as Type 1 fonts write it, from (0, 0): subroutine 1 starts it, subroutine 2 adds each
// point, and subroutine 0 ends it with the flex height and the end point. Whole: height 50 and an
// end point that the moves do not reach; fractional: the last move, the end point (120.5, 0) and
// the height 50.5 are quotients, as in a font that divides.
std::string Flex(bool inFractional)
{
    const long moves[7][2] = {{0, 20}, {10, 0}, {20, 5}, {30, 0}, {20, -5}, {10, 0}, {30, -20}};
    std::string flex = Numbers({1}) + Op(10);
    for (size_t i = 0; i < 7; ++i)
        flex += (inFractional && i == 6 ? Quotient(61, 2) : Numbers({moves[i][0]})) + Numbers({moves[i][1]}) + Op(21) +
                Numbers({2}) + Op(10);
    if (inFractional)
        return flex + Quotient(101, 2) + Quotient(241, 2) + Numbers({0, 0}) + Op(10);
    return flex + Numbers({50, 200, 100, 0}) + Op(10);
}

// The subroutines that the flex above calls.
const std::vector<std::pair<std::string, std::string>> kFlexSubrs = {
    {"0", Numbers({3, 0}) + Op12(16) + Op12(17) + Op12(17) + Op12(33) + Op(11)},
    {"1", Numbers({0, 1}) + Op12(16) + Op(11)},
    {"2", Numbers({0, 2}) + Op12(16) + Op(11)}};

} // namespace

TEST(Type1ToType2ConverterTest, RewritingRules)
{
    std::string twentyLines;
    for (int i = 0; i < 20; ++i)
        twentyLines += Numbers({i + 1, 2}) + Op(5);
    std::string tenStems;
    for (int i = 0; i < 5; ++i)
        tenStems += Numbers({i * 100, 20}) + Op(1) + Numbers({i * 100, 30}) + Op(3);
    std::string manyStems;
    for (int i = 0; i < 97; ++i)
        manyStems += Numbers({i * 50, 20}) + Op(1);
    const std::string flex = Flex(false);
    const std::string fractionalFlex = Flex(true);

    struct Case {
        const char* what;
        std::string program;
        std::string expected;
    } cases[] = {
        {"width first, absolute first move", Hsbw(50, 500) + Numbers({10, 20}) + Op(21) + Op(14), "500 60 20 rmoveto endchar"},
        {"first move on the y axis", Hsbw(0, 500) + Numbers({0, 0}) + Op(21) + Op(14), "500 0 vmoveto endchar"},
        {"first move on the x axis", Hsbw(40, 500) + Numbers({5}) + Op(22) + Op(14), "500 45 hmoveto endchar"},
        {"stems declared before drawing", Hsbw(0, 500) + Numbers({100, 50}) + Op(1) + Numbers({300, 40}) + Op(1) +
                                              Numbers({10, 20}) + Op(21) + Op(14),
         "500 100 50 150 40 hstem 10 20 rmoveto endchar"},
        {"vertical stems move with the side bearing", Hsbw(30, 500) + Numbers({10, 20}) + Op(3) + Op(14),
         "500 40 20 vstem endchar"},
        {"twenty lines", Hsbw(0, 500) + Numbers({0, 0}) + Op(21) + twentyLines + Op(14),
         [] {
             std::string e = "500 0 vmoveto ";
             for (int i = 0; i < 19; ++i)
                 e += std::to_string(i + 1) + " 2 ";
             return e + "rlineto 20 2 rlineto endchar";
         }()},
        {"horizontal curve", Hsbw(0, 500) + Numbers({1, 1}) + Op(21) + Numbers({10, 0, 20, 30, 40, 0}) + Op(8) + Op(14),
         "500 1 1 rmoveto 10 20 30 40 hhcurveto endchar"},
        {"vertical curve", Hsbw(0, 500) + Numbers({1, 1}) + Op(21) + Numbers({0, 10, 20, 30, 0, 40}) + Op(8) + Op(14),
         "500 1 1 rmoveto 10 20 30 40 vvcurveto endchar"},
        {"alternating curves and a last general one",
         Hsbw(0, 500) + Numbers({1, 1}) + Op(21) + Numbers({1, 2, 3, 4}) + Op(30) + Numbers({5, 6, 7, 8}) + Op(31) +
             Numbers({0, 9, 10, 11, 12, 13}) + Op(8) + Op(14),
         "500 1 1 rmoveto 1 2 3 4 5 6 7 8 9 10 11 12 13 vhcurveto endchar"},
        {"alternating lines", Hsbw(0, 500) + Numbers({1, 1}) + Op(21) + Numbers({5}) + Op(6) + Numbers({6}) + Op(7) +
                                  Numbers({7}) + Op(6) + Op(14),
         "500 1 1 rmoveto 5 6 7 hlineto endchar"},
        {"seac", Hsbw(10, 600) + Numbers({20, 150, 200, 65, 194}) + Op12(6), "600 140 200 65 194 endchar"},
        {"drawing without a move starts at the side bearing", Hsbw(30, 500) + Numbers({10, 0}) + Op(5) + Op(14),
         "500 30 hmoveto 10 0 rlineto endchar"},
        {"hint replacement with ten stems", Numbers({0, 500}) + Op(13) + tenStems + Numbers({0, 0}) + Op(21) +
                                                Numbers({3, 1, 3}) + Op12(16) + Op12(17) + Op(10) + Op(14),
         "500 0 20 80 20 80 20 80 20 80 20 hstemhm 0 30 70 30 70 30 70 30 70 30 hintmask:ffc0 0 vmoveto hintmask:8200 "
         "endchar"},
        {"late stems", Hsbw(0, 500) + Numbers({0, 0}) + Op(21) + Numbers({100, 20}) + Op(1) + Numbers({10, 0}) + Op(5) + Op(14),
         "500 100 20 hstemhm hintmask:00 0 vmoveto hintmask:80 10 0 rlineto endchar"},
        {"flex depth from the flex height", Hsbw(0, 500) + Numbers({0, 0}) + Op(21) + flex + Op(14),
         "500 0 vmoveto 10 20 20 5 30 0 20 -5 10 0 30 -20 50 flex endchar"},
        // Quotients stay reals: whole ones are written as integers, fractions as 16.16 reals.
        {"fractional width and side bearing", Quotient(61, 2) + Quotient(1001, 2) + Op(13) + Numbers({10, 20}) +
                                                  Op(21) + Op(14),
         "500.5 40.5 20 rmoveto endchar"},
        {"a whole quotient is an integer", Numbers({50}) + Quotient(1000, 2) + Op(13) + Numbers({10, 20}) + Op(21) +
                                               Op(14),
         "500 60 20 rmoveto endchar"},
        {"fractional curve", Hsbw(0, 500) + Numbers({1, 1}) + Op(21) + Numbers({10}) + Quotient(1, 3) +
                                 Numbers({20, 30, 40}) + Quotient(-1, 4) + Op(8) + Op(14),
         "500 1 1 rmoveto 10 0.333328 20 30 40 -0.25 rrcurveto endchar"},
        {"fractions add up in the first move", Quotient(1, 4) + Numbers({500}) + Op(13) + Quotient(3, 4) +
                                                   Numbers({0}) + Op(21) + Op(14),
         "500 1 hmoveto endchar"},
        {"fractional stems", Hsbw(0, 500) + Quotient(201, 2) + Numbers({50}) + Op(1) + Numbers({300}) +
                                 Quotient(81, 2) + Op(1) + Op(14),
         "500 100.5 50 149.5 40.5 hstem endchar"},
        {"seac with a fractional accent offset", Hsbw(10, 600) + Numbers({20}) + Quotient(301, 2) +
                                                     Numbers({200, 65, 194}) + Op12(6),
         "600 140.5 200 65 194 endchar"},
        // The flex height and the end point are coordinates: fractions in a font that divides.
        {"flex with a fractional height and end point",
         Hsbw(0, 500) + Numbers({0, 0}) + Op(21) + fractionalFlex + Numbers({0, 30}) + Op(5) + Op(9) + Op(14),
         "500 0 vmoveto 10 20 20 5 30 0 20 -5 10 0 30.5 -20 50.5 flex 0 30 rlineto endchar"},
    };
    FontParts parts = DefaultParts();
    parts.subrsHeader = "/Subrs 4 array\n";
    parts.subrs = kFlexSubrs;
    parts.subrs.push_back({"3", Numbers({0, 20}) + Op(1) + Numbers({100, 30}) + Op(3) + Op(11)});
    for (const Case& c : cases)
        parts.glyphs.push_back({c.what, c.program});
    parts.glyphs.push_back({"manystems", Numbers({0, 500}) + Op(13) + manyStems + Op(14)});
    parts.glyphs.push_back({"badflex", Hsbw(0, 500) + Numbers({1}) + Op(10) + Numbers({1, 1}) + Op(21) +
                                           Numbers({50, 200, 100, 0}) + Op(10) + Op(14)});
    parts.glyphs.push_back({"huge", Hsbw(0, 500) + Numbers({40000, 0}) + Op(21) + Op(14)});
    // The counts that name and feed an other subroutine stay whole: 0 as 1/2 + 1/2 would be one.
    parts.glyphs.push_back({"fractionalothersubr", Hsbw(0, 500) + Numbers({7, 8, 9, 3}) + Quotient(1, 2) + Op12(16) +
                                                       Op(14)});
    parts.glyphs.push_back({"fractionalcount", Hsbw(0, 500) + Numbers({1, 2, 3}) + Quotient(5, 2) + Numbers({0}) +
                                                   Op12(16) + Op(14)});
    parts.glyphs.push_back({"fractionalseac", Hsbw(10, 600) + Numbers({20, 150, 200}) + Quotient(131, 2) +
                                                  Numbers({194}) + Op12(6)});
    parts.glyphs.push_back({"fractionalsubr", Hsbw(0, 500) + Quotient(7, 2) + Op(10) + Op(14)});
    for (auto& glyph : parts.glyphs)
        std::replace(glyph.first.begin(), glyph.first.end(), ' ', '_');
    Type1Input font;
    ASSERT_EQ(Parse(font, MakeFont(parts)), eSuccess);

    for (const Case& c : cases) {
        std::string name = c.what;
        std::replace(name.begin(), name.end(), ' ', '_');
        OpStatus status;
        EXPECT_EQ(Convert(font, name, status), c.expected) << c.what;
        EXPECT_EQ(status, eSuccess) << c.what;
    }

    struct Failure {
        const char* glyph;
        const char* message;
    } failures[] = {
        {"missing", "Type1ToType2Converter::WriteConvertedFontProgram, Exception, cannot find glyph name missing"},
        {"manystems", "has more stem hints than a Type 2 glyph may hold"},
        {"badflex", "Type1ToType2Converter::WriteConvertedFontProgram, Exception, failed to interpret glyph"},
        {"huge", "Type1ToType2Converter::WriteConvertedFontProgram, Exception, can't write program to target stream"},
        {"fractionalothersubr", "Type1ToType2Converter::WriteConvertedFontProgram, Exception, failed to interpret"},
        {"fractionalcount", "Type1ToType2Converter::WriteConvertedFontProgram, Exception, failed to interpret glyph"},
        {"fractionalseac", "Type1ToType2Converter::WriteConvertedFontProgram, Exception, failed to interpret glyph"},
        {"fractionalsubr", "Type1ToType2Converter::WriteConvertedFontProgram, Exception, failed to interpret glyph"},
    };
    for (const Failure& f : failures) {
        testsupport::LogCapture log;
        OpStatus status;
        Convert(font, f.glyph, status);
        EXPECT_EQ(status, eFailure) << f.glyph;
        EXPECT_TRUE(log.Contains(f.message)) << f.glyph << ": " << log.Text();
    }
}

namespace {

// The Top DICT and the Private DICT of a CFF font, operator -> operands.
typedef std::map<int, std::vector<double>> Dict;

size_t IndexEnd(const std::string& inFont, size_t inAt, std::vector<std::string>* outItems = nullptr)
{
    size_t count = fonttest::GetUInt16(inFont, inAt);
    if (count == 0)
        return inAt + 2;
    int offSize = static_cast<unsigned char>(inFont[inAt + 2]);
    auto offset = [&](size_t i) {
        size_t value = 0;
        for (int b = 0; b < offSize; ++b)
            value = (value << 8) | static_cast<unsigned char>(inFont[inAt + 3 + i * offSize + b]);
        return value;
    };
    size_t data = inAt + 3 + (count + 1) * offSize - 1;
    for (size_t i = 0; outItems && i < count; ++i)
        outItems->push_back(inFont.substr(data + offset(i), offset(i + 1) - offset(i)));
    return data + offset(count);
}

Dict ParseDict(const std::string& inData)
{
    Dict dict;
    std::vector<double> operands;
    for (size_t i = 0; i < inData.size();) {
        int b = static_cast<unsigned char>(inData[i++]);
        auto next = [&]() { return static_cast<unsigned char>(inData[i++]); };
        if (b >= 32 && b <= 246) {
            operands.push_back(b - 139);
        } else if (b >= 247 && b <= 250) {
            operands.push_back((b - 247) * 256 + next() + 108);
        } else if (b >= 251 && b <= 254) {
            operands.push_back(-(b - 251) * 256 - next() - 108);
        } else if (b == 28) {
            int high = next();
            operands.push_back(static_cast<int16_t>((high << 8) | next()));
        } else if (b == 29) {
            uint32_t value = 0;
            for (int k = 0; k < 4; ++k)
                value = (value << 8) | next();
            operands.push_back(static_cast<int32_t>(value));
        } else if (b == 30) {
            std::string text;
            for (bool done = false; !done;) {
                int byte = next();
                for (int nibble : {byte >> 4, byte & 15}) {
                    if (nibble == 15) {
                        done = true;
                        break;
                    }
                    static const char* forms[] = {"0", "1", "2", "3", "4", "5", "6", "7",
                                                  "8", "9", ".", "E", "E-", "",  "-"};
                    text += forms[nibble];
                }
            }
            operands.push_back(text.empty() ? 0 : std::stod(text));
        } else {
            dict[b == 12 ? 0x0C00 + next() : b] = operands;
            operands.clear();
        }
    }
    return dict;
}

struct ParsedCFF {
    std::string name;
    Dict top;
    Dict priv;
    std::vector<std::string> strings;
    std::vector<std::string> charStrings;
    std::string encoding; // format byte, count and codes
};

ParsedCFF ParseCFF(const std::string& inFont)
{
    ParsedCFF cff;
    std::vector<std::string> names, tops;
    size_t at = IndexEnd(inFont, 4, &names);
    at = IndexEnd(inFont, at, &tops);
    IndexEnd(inFont, at, &cff.strings);
    cff.name = names.at(0);
    cff.top = ParseDict(tops.at(0));
    size_t privateSize = static_cast<size_t>(cff.top[18].at(0));
    size_t privateOffset = static_cast<size_t>(cff.top[18].at(1));
    cff.priv = ParseDict(inFont.substr(privateOffset, privateSize));
    IndexEnd(inFont, static_cast<size_t>(cff.top[17].at(0)), &cff.charStrings);
    size_t encoding = static_cast<size_t>(cff.top[16].at(0));
    cff.encoding = inFont.substr(encoding, 2 + static_cast<unsigned char>(inFont[encoding + 1]));
    return cff;
}

// A subset of a Type 1 file through the face wrapper, as the simple font writer asks for it.
OpStatus Subset(const std::string& inPath, std::vector<uint32_t> inGlyphs, std::string& outFont,
                bool* outNotEmbeddable = nullptr, const std::string& inName = "ABCDEF+Test",
                const Type1ToCFFEmbeddedFontWriter::GlyphCodes* inCodes = nullptr)
{
    FreeTypeWrapper freeType;
    FT_Face face = freeType.NewFace(inPath, 0);
    if (!face)
        return eFailure;
    FreeTypeFaceWrapper wrapper(face, inPath, "", 0);
    Type1ToCFFEmbeddedFontWriter writer;
    bool notEmbeddable = false;
    OpStatus status = writer.CreateCFFSubset(wrapper, inGlyphs, inName, notEmbeddable, outFont, inCodes);
    if (outNotEmbeddable)
        *outNotEmbeddable = notEmbeddable;
    return status;
}

} // namespace

TEST(Type1ToCFFEmbeddedFontWriterTest, URWSubsetsHaveFreeTypesOutlinesAndWidths)
{
    for (const std::string& face : URWFaces()) {
        for (const std::string& path : {FontPath(face + ".pfb"), FontPath("fontforge/" + face + ".pfb")}) {
            SCOPED_TRACE(path);
            fonttest::ReferenceFace reference(path);
            FT_Face type1 = reference.Face();
            ASSERT_NE(type1, nullptr);
            // Glyph codes are glyph indices, also in a face with its own encoding.
            std::vector<uint32_t> glyphs;
            for (FT_Long glyph = 0; glyph < type1->num_glyphs; ++glyph)
                glyphs.push_back(static_cast<uint32_t>(glyph));
            std::string font;
            ASSERT_EQ(Subset(path, glyphs, font), eSuccess);

            FT_Library library = nullptr;
            ASSERT_EQ(FT_Init_FreeType(&library), 0);
            FT_Face cff = nullptr;
            ASSERT_EQ(FT_New_Memory_Face(library, reinterpret_cast<const FT_Byte*>(font.data()),
                                         static_cast<FT_Long>(font.size()), 0, &cff),
                      0);
            EXPECT_EQ(cff->num_glyphs, type1->num_glyphs);
            EXPECT_STREQ(FT_Get_Postscript_Name(cff), "ABCDEF+Test");
            for (FT_Long glyph = 0; glyph < cff->num_glyphs; ++glyph) {
                char name[64] = "";
                FT_Get_Glyph_Name(cff, static_cast<FT_UInt>(glyph), name, sizeof(name));
                FT_UInt original = glyph == 0 ? 0 : FT_Get_Name_Index(type1, name);
                ASSERT_TRUE(glyph == 0 || original != 0) << name;
                Outline expected = FreeTypeOutline(type1, original);
                FT_Pos advance = type1->glyph->metrics.horiAdvance;
                Outline ours = FreeTypeOutline(cff, static_cast<FT_UInt>(glyph));
                std::string why;
                EXPECT_TRUE(SameOutline(ours, expected, 1, why)) << name << ": " << why;
                EXPECT_EQ(cff->glyph->metrics.horiAdvance, advance) << name;
            }
            FT_Done_Face(cff);
            FT_Done_FreeType(library);
        }
    }
}

// Faces whose programs divide, found by running the interpreter over every Type 1 face that
// texlive, lmodern and fonts-urw-base35 install: quotients give Computer Modern's points (cmmi10's
// beta, cmtt12), Latin Modern's widths and Courier's and Utopia's stems; fontforge writes
// fractional points of the URW faces with div too; t1-cyrillic's p052023d ends the flex of its
// "№" at a fractional point. A flex whose height and end point are quotients is made here.
TEST(Type1ToCFFEmbeddedFontWriterTest, FacesThatDivideKeepEveryPointWithinHalfAUnit)
{
    testsupport::TestDirectory folder;
    FontParts parts = DefaultParts();
    parts.subrsHeader = "/Subrs 3 array\n";
    parts.subrs = kFlexSubrs;
    parts.glyphs = {{".notdef", Hsbw(0, 500) + Op(14)},
                    {"A", Hsbw(0, 500) + Numbers({0, 0}) + Op(21) + Flex(true) + Numbers({0, 30}) + Op(5) + Op(9) +
                              Op(14)}};
    std::string privatePart;
    std::string clearPart = FontText(parts, privatePart);
    // fontTools' reader takes no escapes in strings.
    clearPart = std::regex_replace(clearPart, std::regex(R"(\([^()]*\\[^\n]*\))"), "(x)");
    const std::string fractionalFlex = MakePFB(clearPart, privatePart);
    const std::string tex = "/usr/share/texlive/texmf-dist/fonts/type1/";
    const std::string latinModern = "/usr/share/texmf/fonts/type1/public/lm/";
    const std::vector<std::string> faces = {tex + "public/amsfonts/cm/cmmi10.pfb",
                                            tex + "public/amsfonts/cm/cmtt12.pfb",
                                            tex + "public/amsfonts/latxfont/lcmssb8.pfb",
                                            latinModern + "lmr10.pfb",
                                            latinModern + "lmri10.pfb",
                                            tex + "adobe/courier/pcrr8a.pfb",
                                            tex + "adobe/utopia/putri8a.pfb",
                                            FontPath("fontforge/URWGothic-Book.pfb"),
                                            "/usr/share/fonts/X11/Type1/p052023d.pfb",
                                            folder.Write("fractional-flex.pfb", fractionalFlex)};
    for (const std::string& path : faces) {
        SCOPED_TRACE(path);
        fonttest::ReferenceFace reference(path);
        ASSERT_NE(reference.Face(), nullptr);
        std::vector<uint32_t> glyphs;
        // p052023d holds a few glyph names twice; the subset has each name once.
        std::set<std::string> names;
        for (FT_Long glyph = 0; glyph < reference.Face()->num_glyphs; ++glyph) {
            glyphs.push_back(static_cast<uint32_t>(glyph));
            char name[64] = "";
            FT_Get_Glyph_Name(reference.Face(), static_cast<FT_UInt>(glyph), name, sizeof(name));
            names.insert(name);
        }
        std::string font;
        ASSERT_EQ(Subset(path, glyphs, font), eSuccess);
        std::string report;
        EXPECT_EQ(CompareWithFontTools(path, font, folder, report), 0) << report;
        EXPECT_NE(report.find(std::to_string(names.size()) + " glyphs, 0 differ"), std::string::npos) << report;
    }
}

TEST(Type1ToCFFEmbeddedFontWriterTest, GlyphListAndDictionaries)
{
    std::string path = FontPath("NimbusSans-Regular.pfb");
    fonttest::ReferenceFace reference(path);
    FT_Face face = reference.Face();
    auto index = [&](const char* inName) { return static_cast<uint32_t>(FT_Get_Name_Index(face, inName)); };

    std::string font;
    ASSERT_EQ(Subset(path, {index("B"), index("A")}, font), eSuccess);
    ParsedCFF cff = ParseCFF(font);
    EXPECT_EQ(cff.name, "ABCDEF+Test");
    EXPECT_EQ(cff.charStrings.size(), 3u);
    EXPECT_EQ(cff.encoding, std::string("\x00\x02\x42\x41", 4));
    EXPECT_EQ(cff.top.count(12 * 256 + 7), 0u);   // the default FontMatrix
    EXPECT_EQ(cff.top.count(13), 0u);             // no UniqueID in the font
    EXPECT_EQ(cff.top.count(12 * 256 + 8), 0u);   // no StrokeWidth
    EXPECT_EQ(cff.top.at(5).size(), 4u);          // FontBBox
    EXPECT_EQ(cff.priv.count(10), 1u);            // StdHW
    EXPECT_EQ(cff.priv.count(11), 1u);            // StdVW
    EXPECT_EQ(cff.priv.at(6).size() % 2, 0u);     // BlueValues pairs
    // The codes the text uses make the subset's encoding.
    Type1ToCFFEmbeddedFontWriter::GlyphCodes codes = {{index("A"), 0x80}, {index("B"), 0x41}};
    ASSERT_EQ(Subset(path, {index("B"), index("A")}, font, nullptr, "X", &codes), eSuccess);
    EXPECT_EQ(ParseCFF(font).encoding, std::string("\x00\x02\x41\x80", 4));

    // An accented glyph made with seac brings its base and accent, the list then in name order,
    // and FreeType composes it from the subset as it does from the PFB.
    testsupport::TestDirectory directory;
    FontParts parts = DefaultParts();
    parts.encoding = "/Encoding StandardEncoding def\n";
    parts.glyphs = {{".notdef", Hsbw(0, 500) + Op(14)},
                    {"Z", Hsbw(20, 700) + Numbers({0, 0}) + Op(21) + Numbers({300}) + Op(6) + Numbers({300}) + Op(7) +
                              Numbers({-300}) + Op(6) + Op(9) + Op(14)},
                    {"A", Hsbw(50, 600) + Numbers({0, 0}) + Op(21) + Numbers({400, 0}) + Op(5) +
                              Numbers({0, 400}) + Op(5) + Numbers({-400, 0}) + Op(5) + Op(9) + Op(14)},
                    {"C", Hsbw(30, 300) + Numbers({10, 10}) + Op(21) + Numbers({100, 0, 20, 50, 0, 80}) + Op(8) +
                              Op(9) + Op(14)},
                    {"B", Hsbw(50, 600) + Numbers({30, 150, 200, 65, 67}) + Op12(6)}};
    std::string synthetic = directory.Write("seac.pfb", MakeFont(parts));
    fonttest::ReferenceFace syntheticFace(synthetic);
    ASSERT_NE(syntheticFace.Face(), nullptr);
    FT_UInt composite = FT_Get_Name_Index(syntheticFace.Face(), "B");
    std::string subsetData;
    ASSERT_EQ(Subset(synthetic, {composite}, subsetData), eSuccess);
    FT_Library library;
    FT_Init_FreeType(&library);
    FT_Face subset = nullptr;
    ASSERT_EQ(FT_New_Memory_Face(library, reinterpret_cast<const FT_Byte*>(subsetData.data()),
                                 static_cast<FT_Long>(subsetData.size()), 0, &subset),
              0);
    std::vector<std::string> names;
    for (FT_Long glyph = 0; glyph < subset->num_glyphs; ++glyph) {
        char name[64] = "";
        FT_Get_Glyph_Name(subset, static_cast<FT_UInt>(glyph), name, sizeof(name));
        names.push_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{".notdef", "A", "B", "C"}));
    std::string why;
    Outline composed = FreeTypeOutline(syntheticFace.Face(), composite);
    EXPECT_EQ(composed.size(), 2u);
    // FreeType puts the accent first for CFF, last for Type 1.
    Outline fromSubset = FreeTypeOutline(subset, 2);
    auto byStart = [](const std::vector<OutlinePoint>& a, const std::vector<OutlinePoint>& b) {
        return std::make_pair(a[0].x, a[0].y) < std::make_pair(b[0].x, b[0].y);
    };
    std::sort(fromSubset.begin(), fromSubset.end(), byStart);
    std::sort(composed.begin(), composed.end(), byStart);
    EXPECT_TRUE(SameOutline(fromSubset, composed, 0, why)) << why;
    FT_Done_Face(subset);
    FT_Done_FreeType(library);
    // Components keep their own codes unless the text took them: A's 0x41 is B's here.
    codes = {{composite, 0x41}};
    ASSERT_EQ(Subset(synthetic, {composite}, subsetData, nullptr, "X", &codes), eSuccess);
    EXPECT_EQ(ParseCFF(subsetData).encoding, std::string("\x00\x03\x01\x41\x43", 5));

    // A seac whose accent the font lacks fails the subset.
    parts.glyphs.pop_back();
    parts.glyphs.push_back({"B", Hsbw(50, 600) + Numbers({30, 150, 200, 65, 68}) + Op12(6)});
    synthetic = directory.Write("seac-missing.pfb", MakeFont(parts));
    {
        fonttest::ReferenceFace missingFace(synthetic);
        testsupport::LogCapture log;
        EXPECT_EQ(Subset(synthetic, {FT_Get_Name_Index(missingFace.Face(), "B")}, subsetData), eFailure);
        EXPECT_TRUE(log.Contains("Type1ToCFFEmbeddedFontWriter::CreateCFFSubset, failed to add dependent glyphs"))
            << log.Text();
    }

    // 300 glyphs: the format 0 encoding holds codes for the first 255 after glyph 0.
    std::vector<uint32_t> many;
    for (uint32_t glyph = 1; glyph <= 300; ++glyph)
        many.push_back(glyph);
    ASSERT_EQ(Subset(path, many, font), eSuccess);
    cff = ParseCFF(font);
    EXPECT_EQ(cff.charStrings.size(), 301u);
    EXPECT_EQ(static_cast<unsigned char>(cff.encoding[1]), 255);

    // Without a subset name the font's own FontName names the CFF font.
    ASSERT_EQ(Subset(path, {index("A")}, font, nullptr, ""), eSuccess);
    EXPECT_EQ(ParseCFF(font).name, "NimbusSans-Regular");
}

TEST(Type1ToCFFEmbeddedFontWriterTest, EmbeddingPermissionsAndMissingFiles)
{
    testsupport::TestDirectory directory;
    auto withFSType = [&](const std::string& inValue) {
        FontParts parts = DefaultParts();
        std::string priv;
        std::string clear = FontText(parts, priv);
        size_t at = clear.find("/FSType 8 def");
        clear.replace(at, 13, "/FSType " + inValue + " def");
        return directory.Write("fstype" + inValue + ".pfb", MakePFB(clear, priv));
    };
    for (const char* forbidden : {"2", "512", "514"}) {
        std::string font;
        bool notEmbeddable = false;
        ASSERT_EQ(Subset(withFSType(forbidden), {1}, font, &notEmbeddable), eSuccess) << forbidden;
        EXPECT_TRUE(notEmbeddable) << forbidden;
        EXPECT_TRUE(font.empty()) << forbidden;
    }
    std::string font;
    bool notEmbeddable = true;
    ASSERT_EQ(Subset(withFSType("8"), {1}, font, &notEmbeddable), eSuccess);
    EXPECT_FALSE(notEmbeddable);
    ParsedCFF cff = ParseCFF(font);
    EXPECT_EQ(cff.top.count(12 * 256 + 21), 1u);
    EXPECT_NE(std::find(cff.strings.begin(), cff.strings.end(), "/FSType 8 def"), cff.strings.end());
    EXPECT_EQ(cff.top.count(12 * 256 + 7), 0u);
    EXPECT_EQ(cff.priv.count(11), 0u); // the font has no StdVW

    // A file that is not a Type 1 font at all.
    testsupport::LogCapture log;
    FreeTypeWrapper freeType;
    std::string dejaVu = fonttest::kDejaVuSans;
    FT_Face face = freeType.NewFace(dejaVu, 0);
    ASSERT_NE(face, nullptr);
    FreeTypeFaceWrapper wrapper(face, dejaVu, "", 0);
    Type1ToCFFEmbeddedFontWriter writer;
    EXPECT_EQ(writer.CreateCFFSubset(wrapper, {1}, "X", notEmbeddable, font), eFailure);
    EXPECT_TRUE(log.Contains("Type1ToCFFEmbeddedFontWriter::CreateCFFSubset, failed to read Type 1 file")) << log.Text();
}

TEST(Type1ToCFFEmbeddedFontWriterTest, PDFReadersShowTheSubsetAndItsText)
{
    // A one-page PDF made here around the subset: a Type1 font with a FontFile3 Type1C stream.
    std::string path = FontPath("NimbusRoman-Regular.pfb");
    fonttest::ReferenceFace reference(path);
    std::string text = "Hello Type1C";
    std::vector<uint32_t> glyphs;
    for (char c : text)
        glyphs.push_back(FT_Get_Char_Index(reference.Face(), static_cast<FT_ULong>(c)));
    std::sort(glyphs.begin(), glyphs.end());
    glyphs.erase(std::unique(glyphs.begin(), glyphs.end()), glyphs.end());
    std::string font;
    ASSERT_EQ(Subset(path, glyphs, font, nullptr, "ABCDEF+NimbusRoman-Regular"), eSuccess);

    std::string content = "BT /F1 24 Tf 72 700 Td (" + text + ") Tj ET";
    parsertest::PdfBuilder builder;
    builder.Add("<< /Type /Catalog /Pages 2 0 R >>");
    builder.Add("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    builder.Add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R "
                "/Resources << /Font << /F1 5 0 R >> >> >>");
    builder.Add(parsertest::PdfBuilder::Stream(content));
    builder.Add("<< /Type /Font /Subtype /Type1 /BaseFont /ABCDEF+NimbusRoman-Regular /FontDescriptor 6 0 R >>");
    builder.Add("<< /Type /FontDescriptor /FontName /ABCDEF+NimbusRoman-Regular /Flags 34 "
                "/FontBBox [-168 -281 1000 924] /ItalicAngle 0 /Ascent 700 /Descent -200 /CapHeight 660 /StemV 80 "
                "/FontFile3 7 0 R >>");
    builder.Add(parsertest::PdfBuilder::Stream(font, " /Subtype /Type1C"));
    std::string pdf = builder.Build();
    testsupport::TestDirectory directory;
    std::string file = directory.Write("type1c.pdf", pdf);

    std::string fonts;
    ASSERT_EQ(testsupport::RunMerged("pdffonts " + testsupport::Quote(file), fonts), 0) << fonts;
    EXPECT_NE(fonts.find("ABCDEF+NimbusRoman-Regular"), std::string::npos) << fonts;
    EXPECT_NE(fonts.find("Type 1C"), std::string::npos) << fonts;
    EXPECT_EQ(fonts.find("Error"), std::string::npos) << fonts;
    std::string extracted;
    ASSERT_EQ(testsupport::RunMerged("pdftotext " + testsupport::Quote(file) + " -", extracted), 0);
    EXPECT_NE(extracted.find(text), std::string::npos) << extracted;
    std::string rendered;
    EXPECT_EQ(testsupport::RunMerged("mutool draw -o /dev/null " + testsupport::Quote(file), rendered), 0) << rendered;
    EXPECT_EQ(rendered.find("error"), std::string::npos) << rendered;
}

TEST(Type1ToCFFEmbeddedFontWriterTest, WritesTheSubsetAsAType1CStream)
{
    std::string path = FontPath("NimbusSans-Regular.pfb");
    FreeTypeWrapper freeType;
    FreeTypeFaceWrapper face(freeType.NewFace(path, 0), path, "", 0);
    std::string expected;
    ASSERT_EQ(Subset(path, {36, 37}, expected, nullptr, "ABCDEF+NimbusSans-Regular"), eSuccess);

    OutputStringBufferStream output;
    ObjectsContext context;
    context.SetOutputStream(&output);
    context.SetCompressStreams(false);
    Type1ToCFFEmbeddedFontWriter writer;
    ObjectIDType id = 0;
    ASSERT_EQ(writer.WriteEmbeddedFont(face, {36, 37}, "ABCDEF+NimbusSans-Regular", &context, id), eSuccess);
    EXPECT_EQ(id, 1u);
    std::string pdf = output.ContentsAsString();
    EXPECT_NE(pdf.find("/Subtype /Type1C"), std::string::npos) << pdf.substr(0, 200);
    EXPECT_NE(pdf.find("stream\r\n" + expected + "\r\nendstream"), std::string::npos);
    EXPECT_FALSE(context.HasFailed());

    // A font that may not be embedded writes nothing and gives id 0.
    testsupport::TestDirectory directory;
    FontParts parts = DefaultParts();
    std::string priv;
    std::string clear = FontText(parts, priv);
    clear.replace(clear.find("/FSType 8 def"), 13, "/FSType 2 def");
    std::string restricted = directory.Write("restricted.pfb", MakePFB(clear, priv));
    FreeTypeFaceWrapper restrictedFace(freeType.NewFace(restricted, 0), restricted, "", 0);
    testsupport::LogCapture log;
    size_t before = output.ContentsAsString().size();
    ASSERT_EQ(writer.WriteEmbeddedFont(restrictedFace, {1}, "X", &context, id), eSuccess);
    EXPECT_EQ(id, 0u);
    EXPECT_EQ(output.ContentsAsString().size(), before);
    EXPECT_TRUE(log.Contains("Type1ToCFFEmbeddedFontWriter::WriteEmbeddedFont, font may not be embedded. so not embedding"));
}
