#pragma once
// What the Type 1 fuzz target does with one input, shared with the regression test that replays
// the inputs kept under tests/pdf/fonts/type1-regressions: the bytes read as a PFB font (every
// glyph's dependencies and its Type 2 conversion), and the bytes run as one charstring, plain
// and encrypted, whose subroutines are the same bytes again.

#include "pdf/fonts/Type1CharStringInterpreter.h"
#include "pdf/fonts/Type1Input.h"
#include "pdf/fonts/Type1ToType2Converter.h"
#include "pdf/io/InputByteArrayStream.h"
#include "pdf/io/OutputStringBufferStream.h"

#include <cstddef>
#include <cstdint>

namespace type1fuzz {

class SelfCallingProgram : public Type1InterpreterImplementationAdapter {
public:
    SelfCallingProgram(const Type1CharString& inProgram, int inLenIV) : mProgram(inProgram), mLenIV(inLenIV) {}
    const Type1CharString* GetLocalSubr(long inIndex) override { return inIndex >= 0 && inIndex < 4 ? &mProgram : nullptr; }
    int LenIVBytes() override { return mLenIV; }
    bool AcceptsOtherSubr(long inIndex) override { return inIndex == 7; }
    int OnCallOtherSubr(Type1OperandStack& ioOperands, Type1OperandStack& ioPostScript) override
    {
        ioPostScript.push_back(ioOperands.empty() ? 0 : ioOperands.back());
        return 0;
    }

private:
    const Type1CharString& mProgram;
    int mLenIV;
};

inline void Exercise(const uint8_t* inData, size_t inSize)
{
    InputByteArrayStream stream(inData, static_cast<LongFilePositionType>(inSize));
    Type1Input font;
    if (font.ParseFontFile(&stream) == eSuccess) {
        Type1ToType2Converter converter;
        size_t glyphs = 0;
        for (const auto& glyph : font.CharStrings()) {
            if (++glyphs > 300)
                break;
            CharString1Dependencies dependencies;
            font.CalculateDependenciesForCharIndex(glyph.first, &dependencies);
            OutputStringBufferStream output;
            converter.WriteConvertedFontProgram(glyph.first, &font, &output);
        }
        for (int code = 0; code < 256; ++code)
            font.GlyphNameOfCharCode(static_cast<Byte>(code));
    }

    Type1CharString program;
    program.mCode.assign(inData, inData + std::min<size_t>(inSize, 4096));
    for (int lenIV : {-1, 4}) {
        SelfCallingProgram implementation(program, lenIV);
        Type1CharStringInterpreter interpreter;
        interpreter.InterpretCharString(program, &implementation);
    }
}

} // namespace type1fuzz
