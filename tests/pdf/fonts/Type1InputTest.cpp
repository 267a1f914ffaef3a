// The PFB stream and tokenizer, the Type 1 charstring interpreter, Type 1 font input and PFM
// metrics: synthetic fonts for each rule and each kind of damage, and every URW face of
// fonts-urw-base35 against FreeType.

#include "fuzz/Type1FuzzExercise.h"
#include "pdf/fonts/FreeTypeFaceWrapper.h"
#include "pdf/fonts/FreeTypeWrapper.h"
#include "pdf/fonts/InputPFBDecodeStream.h"
#include "pdf/fonts/PFMFileReader.h"
#include "pdf/fonts/Type1CharStringInterpreter.h"
#include "pdf/fonts/Type1Input.h"
#include "pdf/io/InputFile.h"
#include "pdf/io/NumberText.h"
#include "tests/pdf/fonts/FontTestSupport.h"
#include "tests/pdf/fonts/Type1TestSupport.h"
#include "tests/pdf/support/LogCapture.h"
#include "tests/pdf/support/TestDirectory.h"

#include FT_TYPE1_TABLES_H

#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <map>
#include <sstream>

using namespace type1test;

namespace {

std::string ReadAll(InputPFBDecodeStream& ioStream)
{
    std::string text;
    Byte buffer[100];
    while (ioStream.HasMoreBytes()) {
        size_t count = ioStream.Read(buffer, sizeof(buffer));
        if (count == 0)
            break;
        text.append(reinterpret_cast<char*>(buffer), count);
    }
    return text;
}

} // namespace

TEST(InputPFBDecodeStreamTest, TextAndDecryptedPrivatePartWithoutTrailer)
{
    std::string priv = "dup /Private 8 dict dup begin end mark currentfile closefile\n";
    std::string whole = MakePFB("%!FontType1\ncurrentfile eexec\n", priv);
    // The encrypted part split in two binary segments: the cipher runs on across them.
    std::string cipher = EexecEncrypt(priv);
    std::string split = Segment(1, "%!FontType1\ncurrentfile eexec\n") + Segment(2, cipher.substr(0, 7)) +
                        Segment(2, cipher.substr(7)) + Segment(1, Trailer() + "{restore}if\n") +
                        std::string("\x80\x03", 2);
    struct Case {
        std::string bytes;
        std::string text;
    } cases[] = {{whole, "%!FontType1\ncurrentfile eexec\n" + priv},
                 {split, "%!FontType1\ncurrentfile eexec\n" + priv + "{restore}if\n"}};
    for (const Case& c : cases) {
        ByteSource source(c.bytes);
        InputPFBDecodeStream stream;
        ASSERT_EQ(stream.Assign(&source), eSuccess);
        EXPECT_EQ(ReadAll(stream), c.text);
        EXPECT_EQ(stream.GetInternalState(), eSuccess);

        ByteSource again(c.bytes);
        ASSERT_EQ(stream.Assign(&again), eSuccess);
        std::vector<std::string> tokens;
        std::string token;
        while (stream.HasMoreBytes()) {
            if (stream.GetNextToken(token))
                tokens.push_back(token);
        }
        ASSERT_GE(tokens.size(), 4u);
        EXPECT_EQ(tokens[0], "%!FontType1");
        EXPECT_EQ(tokens[4], "/Private");
        EXPECT_EQ(std::count(tokens.begin(), tokens.end(), "cleartomark"), 0);
        EXPECT_EQ(std::count(tokens.begin(), tokens.end(), std::string(64, '0')), 0);
    }
}

TEST(InputPFBDecodeStreamTest, Tokens)
{
    std::string text = "/FontName/Foo def (a\\)b (c)) % note\r\n<41 42\n43> <~abc~> [1 -2.5]{x} (x\\\ny)";
    ByteSource source(Segment(1, text));
    InputPFBDecodeStream stream;
    ASSERT_EQ(stream.Assign(&source), eSuccess);
    std::vector<std::string> tokens;
    std::string token;
    while (stream.GetNextToken(token))
        tokens.push_back(token);
    std::vector<std::string> expected = {"/FontName", "/Foo", "def", "(a\\)b (c))", "% note", "<414243>", "<~abc~>",
                                         "[",         "1",    "-2.5", "]",         "{",      "x",        "}",
                                         "(xy)"};
    EXPECT_EQ(tokens, expected);
}

TEST(InputPFBDecodeStreamTest, DamagedDataFailsCleanly)
{
    std::string good = MakePFB("%!FontType1\ncurrentfile eexec\n", "dup /Private 8 dict\n");
    struct Case {
        const char* what;
        std::string bytes;
        const char* message;
    } cases[] = {
        {"plain text form", "%!PS-AdobeFont-1.0: Foo\n", "wrong segment header"},
        {"segment type 4", std::string("\x80\x04\x01\0\0\0x", 7), "unrecognized segment type - 4"},
        {"header cut in the length", std::string("\x80\x01\x05\0", 4), "unable to read segment length"},
        {"no type byte", std::string("\x80", 1), "unable to read segment type"},
        {"segment longer than the file", Segment(1, "abcdef").substr(0, 9), "the file ends inside a segment"},
        {"garbage between segments", Segment(1, "abc") + "Z" + Segment(1, "def"), "wrong segment header"},
        {"trailer without cleartomark", Segment(1, "a") + Segment(2, EexecEncrypt("b")) + Segment(1, "0000 foo"),
         "the trailer has no cleartomark"},
    };
    for (const Case& c : cases) {
        testsupport::LogCapture log;
        ByteSource source(c.bytes);
        InputPFBDecodeStream stream;
        stream.Assign(&source);
        ReadAll(stream);
        std::string token;
        EXPECT_FALSE(stream.GetNextToken(token)) << c.what;
        EXPECT_EQ(stream.GetInternalState(), eFailure) << c.what;
        EXPECT_FALSE(stream.HasMoreBytes()) << c.what;
        EXPECT_TRUE(log.Contains(c.message)) << c.what << ": " << log.Text();
    }
}

namespace {

// Records every callback as text, e.g. "rlineto 1 2".
class Recorder : public Type1InterpreterImplementationAdapter {
public:
    std::map<long, Type1CharString> subrs;
    std::vector<std::string> calls;
    int lenIV = 4;

    std::string Record(const char* inName, const Type1OperandStack& inStack)
    {
        std::string text = inName;
        for (double value : inStack)
            text += " " + NumberText::FormatTrimmed(value);
        calls.push_back(text);
        return text;
    }
    int OnRlineto(Type1OperandStack& s) override { return Record("rlineto", s), 0; }
    int OnHsbw(Type1OperandStack& s) override { return Record("hsbw", s), 0; }
    int OnEndchar(Type1OperandStack& s) override { return Record("endchar", s), 0; }
    int OnReturn(Type1OperandStack& s) override { return Record("return", s), 0; }
    int OnSetCurrentPoint(Type1OperandStack& s) override { return Record("setcurrentpoint", s), 0; }
    int OnSeac(Type1OperandStack& s) override { return Record("seac", s), 0; }
    const Type1CharString* GetLocalSubr(long inIndex) override
    {
        auto it = subrs.find(inIndex);
        return it == subrs.end() ? nullptr : &it->second;
    }
    int LenIVBytes() override { return lenIV; }
};

Type1CharString Encrypted(const std::string& inPlain, int inLenIV = 4)
{
    std::string bytes = Program(inPlain, inLenIV);
    return Type1CharString{std::vector<Byte>(bytes.begin(), bytes.end())};
}

} // namespace

TEST(Type1CharStringInterpreterTest, ProgramsAndTheirEffects)
{
    std::string recurse = CharStringBytes({0}) + Op(10);
    // Subroutine 3 multiplies the top of the stack by 2^31 - 1, as A / (1 / x); forty calls pass
    // any double.
    std::string growing = CharStringBytes({INT32_MAX});
    for (int i = 0; i < 40; ++i)
        growing += CharStringBytes({3}) + Op(10);
    struct Case {
        const char* what;
        std::string program;
        OpStatus status;
        std::string operands; // operand stack at the end
        std::string postScript;
        std::vector<std::string> calls;
        int lenIV = 4;
    } cases[] = {
        {"number forms", std::string("\x8b\xf7\x00\xfb\x00\xff\x00\x00\x01\x00", 10), eSuccess, "0 108 -108 256", "", {}},
        {"div gives a real", CharStringBytes({7, 2}) + Op12(12) + CharStringBytes({-7, 2}) + Op12(12), eSuccess,
         "3.5 -3.5", "", {}},
        {"div of a quotient", CharStringBytes({1000, 3}) + Op12(12) + CharStringBytes({2}) + Op12(12), eSuccess,
         "166.666667", "", {}},
        {"a real drawn", CharStringBytes({1, 4}) + Op12(12) + CharStringBytes({2500, 1000}) + Op12(12) + Op(5),
         eSuccess, "", "", {"rlineto 0.25 2.5"}},
        {"div by zero", CharStringBytes({7, 0}) + Op12(12), eFailure, "", "", {}},
        {"quotients that grow past any double", growing, eFailure, "", "", {}},
        {"a product by quotients", CharStringBytes({3, 3}) + Op(10), eSuccess, "6442450941", "",
         {"return 6442450941"}},
        {"div beyond 32 bits", CharStringBytes({INT32_MIN, -1}) + Op12(12), eSuccess, "2147483648", "", {}},
        {"seac", CharStringBytes({0, 10, 20, 65, 194}) + Op12(6), eSuccess, "", "", {"seac 0 10 20 65 194"}},
        {"seac with a fractional code", CharStringBytes({0, 10, 20, 131, 2}) + Op12(12) + CharStringBytes({194}) +
             Op12(6), eFailure, "", "", {}},
        {"fractional subroutine number", CharStringBytes({3, 2}) + Op12(12) + Op(10), eFailure, "", "", {}},
        {"fractional other-subroutine number", CharStringBytes({0, 11, 2}) + Op12(12) + Op12(16), eFailure, "", "",
         {}},
        {"fractional argument count", CharStringBytes({10, 1, 2}) + Op12(12) + CharStringBytes({5}) + Op12(16),
         eFailure, "", "", {}},
        {"a fraction passes the PostScript stack", CharStringBytes({1, 2}) + Op12(12) +
             CharStringBytes({1, 5}) + Op12(16) + Op12(17), eSuccess, "0.5", "", {}},
        {"div without operands", CharStringBytes({7}) + Op12(12), eFailure, "", "", {}},
        {"callothersubr default", CharStringBytes({10, 20, 2, 5}) + Op12(16), eSuccess, "", "20 10", {}},
        {"pop", CharStringBytes({10, 20, 2, 5}) + Op12(16) + Op12(17), eSuccess, "10", "20", {}},
        {"pop of an empty stack", Op12(17), eFailure, "", "", {}},
        {"callothersubr count beyond the stack", CharStringBytes({10, 5, 5}) + Op12(16), eFailure, "", "", {}},
        {"callothersubr negative count", CharStringBytes({-1, 5}) + Op12(16), eFailure, "", "", {}},
        {"subroutine leaves its operands", CharStringBytes({5, 1}) + Op(10) + Op(5), eSuccess, "", "",
         {"return 5 7 8", "rlineto 5 7 8"}},
        {"endchar inside a subroutine ends the glyph", CharStringBytes({2}) + Op(10) + CharStringBytes({1, 1}) + Op(5),
         eSuccess, "", "", {"endchar"}},
        {"missing subroutine", CharStringBytes({9}) + Op(10), eFailure, "", "", {}},
        {"endless recursion", recurse, eFailure, "", "", {}},
        {"rlineto without operands", CharStringBytes({1}) + Op(5), eFailure, "", "", {}},
        {"unknown operator", CharStringBytes({1}) + Op(0), eFailure, "", "", {}},
        {"unknown escaped operator", Op12(40), eFailure, "", "", {}},
        {"truncated number", "\xf7", eFailure, "", "", {}},
        {"truncated escape", "\x0c", eFailure, "", "", {}},
        {"empty program", "", eSuccess, "", "", {}},
        {"unencrypted with lenIV -1", CharStringBytes({0, 500}) + Op(13) + Op(14), eSuccess, "", "",
         {"hsbw 0 500", "endchar"}, -1},
    };
    for (const Case& c : cases) {
        Recorder recorder;
        recorder.lenIV = c.lenIV;
        recorder.subrs[0] = Encrypted(recurse);
        recorder.subrs[1] = Encrypted(CharStringBytes({7, 8}) + Op(11));
        recorder.subrs[2] = Encrypted(Op(14));
        recorder.subrs[3] = Encrypted(CharStringBytes({1, 99}) + Op12(16) + CharStringBytes({INT32_MAX, 1}) +
                                      Op12(17) + Op12(12) + Op12(12) + Op(11));
        Type1CharStringInterpreter interpreter;
        EXPECT_EQ(interpreter.InterpretCharString(Encrypted(c.program, c.lenIV), &recorder), c.status) << c.what;
        if (c.status != eSuccess)
            continue;
        std::string operands, postScript;
        for (double value : interpreter.OperandStack())
            operands += (operands.empty() ? "" : " ") + NumberText::FormatTrimmed(value);
        for (double value : interpreter.PostScriptStack())
            postScript += (postScript.empty() ? "" : " ") + NumberText::FormatTrimmed(value);
        EXPECT_EQ(operands, c.operands) << c.what;
        EXPECT_EQ(postScript, c.postScript) << c.what;
        EXPECT_EQ(recorder.calls, c.calls) << c.what;
    }
}

TEST(Type1CharStringInterpreterTest, StackAndWorkAreBounded)
{
    Recorder recorder;
    std::vector<long> numbers(Type1CharStringInterpreter::kMaxStackSize + 1, 1);
    Type1CharStringInterpreter interpreter;
    EXPECT_EQ(interpreter.InterpretCharString(Encrypted(CharStringBytes(numbers)), &recorder), eFailure);

    // Each subroutine calls the next one many times: far more work than any glyph needs.
    std::string body;
    for (int i = 0; i < 2000; ++i)
        body += CharStringBytes({1}) + Op(10);
    for (long depth = 0; depth < 9; ++depth) {
        std::string program;
        for (int i = 0; i < 2000; ++i)
            program += CharStringBytes({depth + 1}) + Op(10);
        recorder.subrs[depth] = Encrypted(program);
    }
    recorder.subrs[9] = Encrypted(Op(11));
    EXPECT_EQ(interpreter.InterpretCharString(Encrypted(CharStringBytes({0}) + Op(10)), &recorder), eFailure);
}

TEST(Type1InputTest, DictionariesEncodingAndPrograms)
{
    Type1Input input;
    ASSERT_EQ(Parse(input, MakeFont(DefaultParts())), eSuccess);
    EXPECT_EQ(input.FontDictionary().FontName, "TestFont");
    EXPECT_EQ(input.FontDictionary().FontBBox[2], 900);
    EXPECT_FALSE(input.FontDictionary().HasUniqueID);
    EXPECT_EQ(input.FontInfoDictionary().version, "1Ab");
    EXPECT_EQ(input.FontInfoDictionary().Notice, "a)b");
    EXPECT_EQ(input.FontInfoDictionary().ItalicAngle, -12.5);
    EXPECT_TRUE(input.FontInfoDictionary().isFixedPitch);
    EXPECT_TRUE(input.FontInfoDictionary().fsTypeValid);
    EXPECT_EQ(input.FontInfoDictionary().FSType, 8);
    EXPECT_EQ(input.PrivateDictionary().BlueValues, (std::vector<int>{-15, 0, 700, 715}));
    EXPECT_EQ(input.PrivateDictionary().StdHW, 50);
    EXPECT_EQ(input.PrivateDictionary().StdVW, -1);
    EXPECT_EQ(input.SubrsCount(), 2u);
    EXPECT_EQ(input.CharStrings().size(), 3u);

    EXPECT_EQ(input.EncodingType(), eType1EncodingTypeCustom);
    EXPECT_EQ(input.GlyphNameOfCharCode(65), "A");
    EXPECT_EQ(input.GlyphNameOfCharCode(66), "A");
    EXPECT_EQ(input.GlyphNameOfCharCode(10), ".notdef");
    Byte code = 0;
    ASSERT_TRUE(input.CharCodeOfGlyphName("A", code));
    EXPECT_EQ(code, 65);

    CharString1Dependencies dependencies;
    ASSERT_EQ(input.CalculateDependenciesForCharIndex("B", &dependencies), eSuccess);
    EXPECT_EQ(dependencies.mCharCodes, (std::set<Byte>{65, 67}));
    EXPECT_EQ(dependencies.mSubrs, (std::set<uint16_t>{1}));

    testsupport::LogCapture log;
    EXPECT_EQ(input.GetLocalSubr(2), nullptr);
    EXPECT_EQ(input.GetLocalSubr(-1), nullptr);
    EXPECT_TRUE(log.Contains("CharStringType1Tracer::GetLocalSubr exception, asked for 2 and there are only 2 count subrs"));
    EXPECT_EQ(input.CalculateDependenciesForCharIndex("Z", &dependencies), eFailure);
    EXPECT_TRUE(log.Contains("Type1Input::CalculateDependenciesForCharIndex, Exception, cannot find glyph from name"));

    FontParts standard = DefaultParts();
    standard.encoding = "/Encoding StandardEncoding def\n";
    ASSERT_EQ(Parse(input, MakeFont(standard)), eSuccess);
    EXPECT_EQ(input.EncodingType(), eType1EncodingTypeStandardEncoding);
    EXPECT_EQ(input.GlyphNameOfCharCode(65), "A");
    EXPECT_EQ(input.GlyphNameOfCharCode(0xE1), "AE");

    FontParts none = DefaultParts();
    none.encoding.clear();
    ASSERT_EQ(Parse(input, MakeFont(none)), eSuccess);
    EXPECT_EQ(input.EncodingType(), eType1EncodingTypeStandardEncoding);
    ASSERT_TRUE(input.CharCodeOfGlyphName("B", code));
    EXPECT_EQ(code, 66);

    FontParts plain = DefaultParts();
    plain.lenIV = "/lenIV -1 def\n";
    plain.charStringLenIV = -1;
    ASSERT_EQ(Parse(input, MakeFont(plain)), eSuccess);
    ASSERT_EQ(input.CalculateDependenciesForCharIndex("B", &dependencies), eSuccess);
}

TEST(Type1InputTest, DamagedFontsFailCleanly)
{
    auto with = [](auto inChange) {
        FontParts parts = DefaultParts();
        inChange(parts);
        return MakeFont(parts);
    };
    std::string good = MakeFont(DefaultParts());
    struct Case {
        const char* what;
        std::string bytes;
        const char* message;
    } cases[] = {
        {"encoding code 300", with([](FontParts& p) { p.encoding = "/Encoding 256 array\ndup 300 /A put\nreadonly def\n"; }),
         "wrong encoding entry 300"},
        {"huge subroutine count", with([](FontParts& p) { p.subrsHeader = "/Subrs 2000000000 array\n"; }),
         "wrong subroutine count 2000000000"},
        {"subroutine index beyond the count", with([](FontParts& p) { p.subrs[1].first = "7"; }),
         "subroutine index 7 is not below the count 2"},
        {"negative subroutine index", with([](FontParts& p) { p.subrs[1].first = "-1"; }),
         "subroutine index -1 is not below the count 2"},
        {"no glyph programs", with([](FontParts& p) { p.glyphs.clear(); }), "the font has no glyph programs"},
        {"cut inside the encrypted part", good.substr(0, good.size() - 300), "the file ends inside a segment"},
        {"not a PFB", "%!PS-AdobeFont-1.0: TestFont\n", "wrong segment header"},
        {"empty file", "", ""},
    };
    for (const Case& c : cases) {
        testsupport::LogCapture log;
        Type1Input input;
        EXPECT_EQ(Parse(input, c.bytes), eFailure) << c.what;
        EXPECT_TRUE(log.Contains(c.message)) << c.what << ": " << log.Text();
    }

    // A charstring length larger than the data that follows.
    std::string priv;
    std::string clear = FontText(DefaultParts(), priv);
    size_t at = priv.find("/A ");
    size_t end = priv.find(" RD", at);
    priv.replace(at, end - at, "/A 60000");
    testsupport::LogCapture log;
    Type1Input input;
    EXPECT_EQ(Parse(input, MakePFB(clear, priv)), eFailure);
    EXPECT_TRUE(log.Contains("the font ends inside a charstring of 60000 bytes")) << log.Text();
}

TEST(Type1InputTest, URWFacesMatchFreeType)
{
    for (const std::string& face : URWFaces()) {
        for (const std::string& path : {FontPath(face + ".pfb"), FontPath("fontforge/" + face + ".pfb")}) {
            SCOPED_TRACE(path);
            InputFile file;
            ASSERT_EQ(file.OpenFile(path), eSuccess);
            Type1Input input;
            ASSERT_EQ(input.ParseFontFile(file.GetInputStream()), eSuccess);
            fonttest::ReferenceFace reference(path);
            FT_Face ft = reference.Face();
            ASSERT_NE(ft, nullptr);
            EXPECT_EQ(input.FontDictionary().FontName, FT_Get_Postscript_Name(ft));

            T1_EncodingType encoding = T1_ENCODING_TYPE_NONE;
            FT_Get_PS_Font_Value(ft, PS_DICT_ENCODING_TYPE, 0, &encoding, sizeof(encoding));
            EXPECT_EQ(input.EncodingType() == eType1EncodingTypeCustom, encoding == T1_ENCODING_TYPE_ARRAY);
            if (encoding == T1_ENCODING_TYPE_ARRAY) {
                for (FT_UInt code = 0; code < 256; ++code) {
                    char name[64] = "";
                    FT_Long size = FT_Get_PS_Font_Value(ft, PS_DICT_ENCODING_ENTRY, code, name, sizeof(name));
                    std::string expected = size > 0 ? name : ".notdef";
                    EXPECT_EQ(input.GlyphNameOfCharCode(static_cast<Byte>(code)), expected) << code;
                }
            }

            // Every glyph drawn by our interpreter, subroutines, flex and seac included.
            OutlineBuilder builder(input);
            size_t compared = 0;
            for (const auto& glyph : input.CharStrings()) {
                FT_UInt index = FT_Get_Name_Index(ft, glyph.first.c_str());
                if (index == 0 && glyph.first != ".notdef")
                    continue;
                Outline ours;
                ASSERT_TRUE(builder.Build(glyph.first, ours)) << glyph.first;
                std::string why;
                EXPECT_TRUE(SameOutline(ours, FreeTypeOutline(ft, index), 1, why)) << glyph.first << ": " << why;
                ++compared;
            }
            EXPECT_EQ(compared, static_cast<size_t>(ft->num_glyphs));
        }
    }
}

namespace {

// A value of an AFM file's header ("CapHeight 729").
int AFMValue(const std::string& inAFMPath, const std::string& inKey)
{
    std::ifstream file(inAFMPath);
    std::string line;
    while (std::getline(file, line)) {
        if (line.rfind(inKey + " ", 0) == 0)
            return std::stoi(line.substr(inKey.size() + 1));
    }
    return INT_MIN;
}

} // namespace

TEST(PFMFileReaderTest, MetricsOfTheURWFacesAndShortFiles)
{
    for (const std::string& face : {std::string("NimbusSans-Regular"), std::string("NimbusRoman-Bold")}) {
        PFMFileReader reader;
        ASSERT_EQ(reader.Read(FontPath(face + ".pfm")), eSuccess) << face;
        std::string afm = "/usr/share/fonts/type1/urw-base35/" + face + ".afm";
        EXPECT_EQ(reader.CapHeight(), AFMValue(afm, "CapHeight")) << face;
        EXPECT_EQ(reader.XHeight(), AFMValue(afm, "XHeight")) << face;
        EXPECT_EQ(reader.Header().dfVersion, 0x100) << face;
    }

    testsupport::TestDirectory directory;
    std::string whole = testsupport::ReadFile(FontPath("NimbusSans-Regular.pfm"));
    {
        testsupport::LogCapture log;
        PFMFileReader reader;
        EXPECT_EQ(reader.Read(directory.Write("short.pfm", whole.substr(0, 100))), eFailure);
        EXPECT_EQ(reader.Header().dfPitchAndFamily, static_cast<Byte>(whole[90]));
        EXPECT_EQ(reader.Header().dfDevice, 0u);
        EXPECT_EQ(reader.Extension().dfExtMetricsOffset, 0u);
        EXPECT_EQ(reader.Read(directory.PathOf("missing.pfm")), eFailure);
        EXPECT_TRUE(log.Contains("PFMFileReader::Read, unable to open PFM file in ")) << log.Text();
    }
    // An offset that points past the end: the metrics are read right after the extension.
    std::string moved = whole;
    moved[0x77] = '\xff';
    moved[0x78] = '\xff';
    PFMFileReader reader;
    reader.Read(directory.Write("moved.pfm", moved));
    EXPECT_EQ(reader.ExtendedTextMetrics().etmSize, static_cast<uint16_t>(Byte(whole[147]) | (Byte(whole[148]) << 8)));
}

TEST(Type1FuzzRegressionTest, KeptInputsRunCleanly)
{
    // Inputs the Type 1 fuzz target once failed on, and the synthetic fonts of these tests.
    std::filesystem::path folder = std::filesystem::path(__FILE__).parent_path() / "type1-regressions";
    std::vector<std::string> inputs = {MakeFont(DefaultParts())};
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().filename() != "README")
            inputs.push_back(testsupport::ReadFile(entry.path()));
    }
    for (const std::string& input : inputs)
        type1fuzz::Exercise(reinterpret_cast<const uint8_t*>(input.data()), input.size());
}

TEST(FreeTypeType1WrapperTest, OwnEncodingNamesAndPFMMetrics)
{
    FreeTypeWrapper freeType;
    std::string symbolPath = FontPath("StandardSymbolsPS.pfb");
    FreeTypeFaceWrapper symbol(freeType.NewFace(symbolPath, FontPath("StandardSymbolsPS.pfm"), 0), symbolPath,
                               FontPath("StandardSymbolsPS.pfm"), 0);
    IFreeTypeFaceExtender* extender = symbol.GetFormatSpecificExtender();
    ASSERT_NE(extender, nullptr);
    ASSERT_TRUE(extender->UsesOwnEncoding());
    EXPECT_EQ(extender->OwnGlyphName(0x41), "Alpha");
    EXPECT_EQ(symbol.GlyphNameOfIndex(static_cast<uint16_t>(extender->FaceGlyphIndexForCode(0x61))), "alpha");
    EXPECT_NE(extender->FaceGlyphIndexForCode(0x61), 0u);
    PFMFileReader pfm;
    ASSERT_EQ(pfm.Read(FontPath("StandardSymbolsPS.pfm")), eSuccess);
    EXPECT_EQ(extender->CapHeight(), std::optional<FT_Short>(static_cast<FT_Short>(pfm.CapHeight())));

    struct Case {
        const char* face;
        bool serif;
    } cases[] = {{"NimbusRoman-Regular", true}, {"NimbusSans-Regular", false}};
    for (const Case& c : cases) {
        std::string path = FontPath(std::string(c.face) + ".pfb");
        std::string metrics = FontPath(std::string(c.face) + ".pfm");
        FreeTypeFaceWrapper face(freeType.NewFace(path, metrics, 0), path, metrics, 0);
        ASSERT_NE(face.GetFormatSpecificExtender(), nullptr) << c.face;
        EXPECT_EQ(face.GetFormatSpecificExtender()->HasSerifFlag(), c.serif) << c.face;
        EXPECT_EQ(face.GetFormatSpecificExtender()->XHeight(),
                  AFMValue("/usr/share/fonts/type1/urw-base35/" + std::string(c.face) + ".afm", "XHeight"))
            << c.face;
    }
}
