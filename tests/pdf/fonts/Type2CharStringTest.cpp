// The Type 2 interpreter on hand-made programs (stems and masks, widths, subroutines, arithmetic
// and every kind of damage, which must end with -1), the flattener's exact output bytes, and the
// Type 2 encoder.

#include "pdf/fonts/CFFFileInput.h"
#include "pdf/fonts/CharStringType2Flattener.h"
#include "pdf/fonts/CharStringType2Interpreter.h"
#include "pdf/fonts/Type2CharStringEncoder.h"
#include "pdf/io/InputByteArrayStream.h"
#include "pdf/io/OutputStringBufferStream.h"

#include "CFFTestSupport.h"
#include "tests/pdf/support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace cfftest;

namespace {

// Programs in memory, and a record of every operator with the operands it saw.
class RecordingPrograms : public Type2InterpreterImplementationAdapter {
public:
    CharStringRange Add(const std::string& inProgram)
    {
        CharStringRange range;
        range.mStartPosition = static_cast<LongFilePositionType>(mData.size());
        mData += inProgram;
        range.mEndPosition = static_cast<LongFilePositionType>(mData.size());
        return range;
    }
    void AddLocal(const std::string& inProgram) { mLocal.push_back(Add(inProgram)); }
    void AddGlobal(const std::string& inProgram) { mGlobal.push_back(Add(inProgram)); }

    OpStatus FetchCharStringBytes(LongFilePositionType inStart, LongFilePositionType inEnd,
                                  const Byte*& outBytes) override
    {
        outBytes = reinterpret_cast<const Byte*>(mData.data()) + inStart;
        return inEnd <= static_cast<LongFilePositionType>(mData.size()) ? eSuccess : eFailure;
    }
    const CharStringRange* LocalSubrCharString(int32_t inIndex) override { return Subr(mLocal, inIndex); }
    const CharStringRange* GlobalSubrCharString(int32_t inIndex) override { return Subr(mGlobal, inIndex); }

    OpStatus OnHstem(CharStringType2Interpreter& inInterpreter) override { return Record("hstem", inInterpreter); }
    OpStatus OnVstem(CharStringType2Interpreter& inInterpreter) override { return Record("vstem", inInterpreter); }
    OpStatus OnHmoveto(CharStringType2Interpreter& inInterpreter) override { return Record("hmoveto", inInterpreter); }
    OpStatus OnRlineto(CharStringType2Interpreter& inInterpreter) override { return Record("rlineto", inInterpreter); }
    OpStatus OnEndchar(CharStringType2Interpreter& inInterpreter) override { return Record("endchar", inInterpreter); }
    OpStatus OnReturn(CharStringType2Interpreter& inInterpreter) override { return Record("return", inInterpreter); }
    OpStatus OnHintmask(CharStringType2Interpreter& inInterpreter, const Byte*, size_t inMaskSize) override
    {
        return Record("hintmask" + std::to_string(inMaskSize), inInterpreter);
    }

    std::string mLog;

private:
    const CharStringRange* Subr(const std::vector<CharStringRange>& inSubrs, int32_t inIndex)
    {
        int64_t biased = static_cast<int64_t>(inIndex) + CFFFileInput::SubrBias(inSubrs.size());
        return biased >= 0 && biased < static_cast<int64_t>(inSubrs.size()) ? &inSubrs[biased] : nullptr;
    }
    OpStatus Record(const std::string& inName, CharStringType2Interpreter& inInterpreter)
    {
        mLog += inName + "[";
        for (const Type2Operand& operand : inInterpreter.GetOperandStack()) {
            char text[32];
            std::snprintf(text, sizeof(text), operand.mIsInteger ? "%.0f%s" : "%g%s", operand.AsReal(),
                          operand.mIsInteger ? "" : "r");
            mLog += std::string(mLog.back() == '[' ? "" : " ") + text;
        }
        mLog += "] ";
        return eSuccess;
    }

    std::string mData;
    std::vector<CharStringRange> mLocal;
    std::vector<CharStringRange> mGlobal;
};

const std::string kHstem = Bytes({1});
const std::string kHintmask = Bytes({19});
const std::string kEndchar = Bytes({14});
const std::string kReturn = Bytes({11});
const std::string kCallsubr = Bytes({10});
const std::string kCallgsubr = Bytes({29});
const std::string kHmoveto = Bytes({22});
const std::string kRlineto = Bytes({5});

std::string Esc(int inOperator)
{
    return Bytes({12, inOperator});
}

std::string Numbers(int inCount)
{
    std::string bytes;
    for (int i = 0; i < inCount; ++i)
        bytes += Num(i);
    return bytes;
}

} // namespace

TEST(Type2CharStringTest, InterpreterRunsProgramsAndFailsOnDamage)
{
    // A subroutine that calls itself, to nest without end.
    std::string selfCall = Num(-107) + kCallsubr + kReturn;
    struct Case {
        const char* name;
        std::string glyph;
        std::vector<std::string> locals;
        OpStatus status;
        const char* log;
        const char* width;
    };
    const std::vector<Case> cases = {
        {"two stems then a one-byte mask", Num(0) + Num(0) + kHstem + kHintmask + Bytes({0x80}) + kEndchar, {}, eSuccess,
         "hstem[0 0] hintmask1[] endchar[] ", ""},
        {"odd stem operands: the first is the width", Num(50) + Num(0) + Num(0) + kHstem + kEndchar, {}, eSuccess,
         "hstem[0 0] endchar[] ", "50"},
        {"nine stems: two mask bytes", Numbers(18) + kHstem + kHintmask + Bytes({0xFF, 0x80}) + kEndchar, {}, eSuccess,
         "hstem[0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17] hintmask2[] endchar[] ", ""},
        {"no stems: no mask bytes", kHintmask + Num(10) + kHmoveto + kEndchar, {}, eSuccess,
         "hintmask0[] hmoveto[10] endchar[] ", ""},
        {"width then eight implicit vertical stems", Num(7) + Numbers(8) + kHintmask + Bytes({0xF0}) + kEndchar, {},
         eSuccess, "hintmask1[0 1 2 3 4 5 6 7] endchar[] ", "7"},
        {"16.16 reals", Bytes({255, 0, 1, 0x80, 0}) + Bytes({255, 0xFF, 0xFE, 0x80, 0}) + kRlineto + kEndchar, {},
         eSuccess, "rlineto[1.5r -1.5r] endchar[] ", ""},
        {"endchar inside a subroutine ends the glyph", Num(-107) + kCallsubr + Num(1) + kHmoveto, {Num(5) + kEndchar},
         eSuccess, "endchar[] ", "5"},
        {"return ends only the subroutine", Num(-107) + kCallsubr + kHmoveto + kEndchar, {Num(9) + kReturn + Num(3)},
         eSuccess, "return[9] hmoveto[9] endchar[] ", ""},
        {"integer division truncates", Num(7) + Num(2) + Esc(12) + kHmoveto, {}, eSuccess, "hmoveto[3] ", ""},
        {"division by a real gives a real", Num(7) + Bytes({255, 0, 2, 0, 0}) + Esc(12) + kHmoveto, {}, eSuccess,
         "hmoveto[3.5r] ", ""},
        {"arithmetic, comparison and storage",
         Num(3) + Num(4) + Esc(10) + Num(0) + Esc(20) + Num(0) + Esc(21) + Num(2) + Esc(24) + Num(-5) + Esc(9) +
             Esc(11) + Num(1) + Num(2) + Num(3) + Num(4) + Esc(22) + Num(5) + Num(5) + Esc(15) + Num(0) + Esc(5) +
             Esc(28) + kRlineto,
         {}, eSuccess, "rlineto[9 1 1 1] ", ""},
        {"dup, index and roll", Num(1) + Num(2) + Num(3) + Esc(27) + Num(3) + Esc(29) + Num(5) + Num(2) + Esc(30) +
                                    Esc(18) + kRlineto,
         {}, eSuccess, "rlineto[3 1 1 2] ", ""},
        {"a width in front of an endchar with four accent operands", Num(9) + Numbers(4) + kEndchar, {}, eSuccess,
         "endchar[0 1 2 3] ", "9"},
        {"local subr -107 with one subroutine is the first", Num(-107) + kCallsubr, {Num(1) + kHmoveto}, eSuccess,
         "hmoveto[1] ", ""},
        {"49 operands", Numbers(49) + kRlineto, {}, eFailure, "", ""},
        {"subroutines nested 11 deep", Num(-107) + kCallsubr, {selfCall}, eFailure, "", ""},
        {"put outside the transient array", Num(1) + Num(32) + Esc(20), {}, eFailure, "", ""},
        {"get below the transient array", Num(-1) + Esc(21), {}, eFailure, "", ""},
        {"two-byte number cut off", Bytes({247}), {}, eFailure, "", ""},
        {"16-bit number cut off", Bytes({28, 1}), {}, eFailure, "", ""},
        {"real cut off", Bytes({255, 0, 1, 0}), {}, eFailure, "", ""},
        {"escape byte at the end", Bytes({12}), {}, eFailure, "", ""},
        {"hint mask cut off", Numbers(18) + kHstem + kHintmask + Bytes({0xFF}), {}, eFailure, "", ""},
        {"index below the bottom", Num(1) + Num(1) + Esc(29), {}, eFailure, "", ""},
        {"roll below the bottom", Num(1) + Num(3) + Num(1) + Esc(30), {}, eFailure, "", ""},
        {"integer division by zero", Num(1) + Num(0) + Esc(12), {}, eFailure, "", ""},
        {"32-bit overflow", Num(32766) + Esc(27) + Esc(24) + Esc(27) + Esc(24), {}, eFailure, "", ""},
        {"negated smallest integer", Num(-32768) + Num(256) + Num(256) + Esc(24) + Esc(24) + Esc(14), {}, eFailure, "", ""},
        {"add with one operand", Num(1) + Esc(10), {}, eFailure, "", ""},
        {"rlineto with one operand", Num(1) + kRlineto, {}, eFailure, "", ""},
        {"rrcurveto with five operands", Numbers(5) + Bytes({8}), {}, eFailure, "", ""},
        {"callsubr on an empty stack", kCallsubr, {Num(1) + kHmoveto}, eFailure, "", ""},
        {"biased subroutine number past the table", Num(-106) + kCallsubr, {Num(1) + kHmoveto}, eFailure, "", ""},
        {"biased subroutine number below the table", Num(-108) + kCallsubr, {Num(1) + kHmoveto}, eFailure, "", ""},
        {"global subroutine that does not exist", Num(0) + kCallgsubr, {}, eFailure, "", ""},
        {"square root of a negative number", Num(-4) + Esc(26), {}, eFailure, "", ""},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        RecordingPrograms programs;
        CharStringRange glyph = programs.Add(test.glyph);
        for (const std::string& local : test.locals)
            programs.AddLocal(local);
        CharStringType2Interpreter interpreter;
        EXPECT_EQ(interpreter.Intepret(glyph, &programs), test.status);
        if (test.status == eSuccess) {
            EXPECT_EQ(programs.mLog, test.log);
            EXPECT_EQ(interpreter.HasWidth() ? std::to_string(static_cast<int>(interpreter.GetWidth().AsReal())) : "",
                      test.width);
        }
    }
}

TEST(Type2CharStringTest, SubroutinesCallingEachOtherManyTimesOverEndTheGlyph)
{
    // Nine levels, each calling the next ten times: 10^9 calls unless the work is bounded.
    RecordingPrograms programs;
    for (int level = 0; level < 9; ++level) {
        std::string body;
        for (int i = 0; i < 10; ++i)
            body += Num(level + 1 - 107) + kCallsubr;
        programs.AddLocal(body + kReturn);
    }
    programs.AddLocal(kReturn);
    CharStringRange glyph = programs.Add(Num(-107) + kCallsubr + kEndchar);
    testsupport::LogCapture log;
    CharStringType2Interpreter interpreter;
    EXPECT_EQ(interpreter.Intepret(glyph, &programs), eFailure);
    EXPECT_TRUE(log.Contains("CharStringType2Interpreter::InterpretCallSubr, the glyph runs more than 262144 bytes of programs"))
        << log.Text();
}

TEST(Type2CharStringTest, RandomIsTheSameInEveryInterpreter)
{
    std::string program = Esc(23) + Esc(23) + kRlineto;
    std::string first;
    for (int run = 0; run < 2; ++run) {
        RecordingPrograms programs;
        CharStringRange glyph = programs.Add(program);
        CharStringType2Interpreter interpreter;
        ASSERT_EQ(interpreter.Intepret(glyph, &programs), eSuccess);
        if (run == 0)
            first = programs.mLog;
        else
            EXPECT_EQ(programs.mLog, first);
    }
    double value = std::stod(first.substr(first.find('[') + 1));
    EXPECT_GT(value, 0);
    EXPECT_LE(value, 1);
}

TEST(Type2CharStringTest, LocalSubrBiasByTableSize)
{
    // -107 with 100 subroutines is the first; 0 with 1240 is number 1131.
    for (size_t count : {size_t(100), size_t(1240)}) {
        RecordingPrograms programs;
        for (size_t i = 0; i < count; ++i)
            programs.AddLocal(Num(static_cast<int>(i)) + kHmoveto + kReturn);
        CharStringRange glyph = programs.Add((count == 100 ? Num(-107) : Num(0)) + kCallsubr);
        CharStringType2Interpreter interpreter;
        ASSERT_EQ(interpreter.Intepret(glyph, &programs), eSuccess);
        EXPECT_EQ(programs.mLog, count == 100 ? "hmoveto[0] return[] " : "hmoveto[1131] return[] ");
    }
}

namespace {

// The flattened program of glyph inGlyph of a font of the given glyphs and local subroutines.
std::string Flatten(const std::vector<std::string>& inGlyphs, const std::vector<std::string>& inLocals,
                    uint16_t inGlyph, OpStatus inExpected)
{
    CFFBuilder builder;
    builder.mCharStrings = inGlyphs;
    builder.mLocalSubrs = inLocals;
    std::string font = builder.Build();
    InputByteArrayStream stream(reinterpret_cast<const Byte*>(font.data()), static_cast<LongFilePositionType>(font.size()));
    CFFFileInput input;
    EXPECT_EQ(input.ReadCFFFile(&stream), eSuccess);
    OutputStringBufferStream output;
    CharStringType2Flattener flattener;
    EXPECT_EQ(flattener.Trace(0, inGlyph, &input, &output), inExpected);
    return output.ContentsAsString();
}

std::string Flatten(const std::string& inGlyph, const std::vector<std::string>& inLocals)
{
    return Flatten({kEndchar, inGlyph}, inLocals, 1, eSuccess);
}

} // namespace

TEST(Type2CharStringTest, FlattenerWritesSubroutineBodiesInPlace)
{
    struct Case {
        const char* name;
        std::string glyph;
        std::vector<std::string> locals;
        std::string flattened;
    };
    std::vector<std::string> sixSubrs(6, kReturn);
    sixSubrs[5] = Num(10) + Num(20) + kRlineto + kReturn;
    std::vector<std::string> fourSubrs(4, kReturn);
    fourSubrs[3] = Num(3) + kRlineto + kReturn;
    const std::vector<Case> cases = {
        {"number and callsubr", Num(5 - 107) + kCallsubr + kEndchar, sixSubrs, Num(10) + Num(20) + kRlineto + kEndchar},
        {"operands under the number stay", Num(1) + Num(2) + Num(3 - 107) + kCallsubr + kEndchar, fourSubrs,
         Num(1) + Num(2) + Num(3) + kRlineto + kEndchar},
        {"computed number is dropped", Num(5 - 107) + Esc(27) + kCallsubr + kEndchar, sixSubrs,
         Num(5 - 107) + Esc(27) + Esc(18) + Num(10) + Num(20) + kRlineto + kEndchar},
        {"width stays in front of the stems", Num(50) + Num(0) + Num(10) + kHstem + kEndchar, {},
         Num(50) + Num(0) + Num(10) + kHstem + kEndchar},
        {"mask after ten stems", Numbers(20) + kHstem + kHintmask + Bytes({0xAB, 0xC0}) + kEndchar, {},
         Numbers(20) + kHstem + kHintmask + Bytes({0xAB, 0xC0}) + kEndchar},
        {"reals", Bytes({255, 0, 1, 0x80, 0, 255, 0xFF, 0xFE, 0x80, 0}) + kRlineto + kEndchar, {},
         Bytes({255, 0, 1, 0x80, 0, 255, 0xFF, 0xFE, 0x80, 0}) + kRlineto + kEndchar},
        {"reserved operator dropped, its operands kept", Num(1) + Num(2) + Bytes({2}) + kRlineto + kEndchar, {},
         Num(1) + Num(2) + kRlineto + kEndchar},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        EXPECT_EQ(Flatten(test.glyph, test.locals), test.flattened);
    }
}

TEST(Type2CharStringTest, FlattenerFailsOnUnwritableOrMissingGlyphs)
{
    testsupport::LogCapture log;
    // A glyph the font does not have, and a glyph the interpreter refuses.
    EXPECT_EQ(Flatten({kEndchar}, {}, 1, eFailure), "");
    EXPECT_TRUE(log.Contains("CharStringType2Flattener::Trace, Exception, cannot prepare for glyph interpretation"));
    EXPECT_EQ(Flatten({kEndchar, Num(1) + kRlineto}, {}, 1, eFailure), "");
}

TEST(Type2CharStringTest, EncoderBytes)
{
    struct Case {
        long value;
        std::string bytes;
    };
    const std::vector<Case> cases = {{0, Bytes({139})},           {107, Bytes({246})},       {-107, Bytes({32})},
                                     {108, Bytes({247, 0})},      {1131, Bytes({250, 255})}, {-108, Bytes({251, 0})},
                                     {-1131, Bytes({254, 255})},  {1132, Bytes({28, 4, 108})},
                                     {-32768, Bytes({28, 128, 0})}, {32767, Bytes({28, 127, 255})}};
    for (const Case& test : cases) {
        OutputStringBufferStream output;
        Type2CharStringEncoder encoder(&output);
        EXPECT_EQ(encoder.WriteCharStringOperand(test.value), eSuccess);
        EXPECT_EQ(output.ContentsAsString(), test.bytes) << test.value;
    }
    OutputStringBufferStream output;
    Type2CharStringEncoder encoder(&output);
    EXPECT_EQ(encoder.WriteCharStringOperand(32768), eFailure);
    EXPECT_EQ(encoder.WriteCharStringOperand(-32769), eFailure);
    EXPECT_EQ(output.ContentsAsString(), "");
    EXPECT_EQ(encoder.WriteHintMask(0x1234, 2), eSuccess);
    EXPECT_EQ(encoder.WriteHintMask(0x1234, 1), eSuccess);
    EXPECT_EQ(encoder.WriteRealOperand(1.5), eSuccess);
    EXPECT_EQ(encoder.WriteOperator(0x0C23), eSuccess);
    EXPECT_EQ(output.ContentsAsString(), Bytes({0x12, 0x34, 0x34, 255, 0, 1, 0x80, 0, 12, 35}));
}
