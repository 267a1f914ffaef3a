#pragma once
// Writes a glyph program of a CFF font again without subroutines: the glyph runs through the
// Type 2 interpreter, every number and operator it reports is written back, and the bodies of
// called subroutines come in place of the calls (the calls, their numbers and the returns are
// left out). Arithmetic and storage operators are kept and computed when the program runs.
// One flattener serves every glyph of a subset; the source and the output are the caller's.

#include "pdf/fonts/CFFFileInput.h"
#include "pdf/fonts/CharStringType2Interpreter.h"
#include "pdf/fonts/Type2CharStringEncoder.h"

#include <memory>

class CharStringType2Flattener : public IType2InterpreterImplementation {
public:
    CharStringType2Flattener() = default;
    ~CharStringType2Flattener() = default;

    // Writes the flattened program of a glyph of the source's first font; 0 or -1. With
    // ioAccentComponents, the components an accented character names are added there.
    OpStatus Trace(uint16_t inFontIndex, uint16_t inCharStringIndex, CFFFileInput* inCFFFileInput,
                   IByteWriter* inWriter, GlyphDependencies* ioAccentComponents = nullptr);

    OpStatus FetchCharStringBytes(LongFilePositionType inStart, LongFilePositionType inEnd,
                                  const Byte*& outBytes) override;
    OpStatus OnNumberOperand(const Type2Operand& inOperand) override;
    OpStatus OnHstem(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnVstem(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnVmoveto(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnRlineto(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnHlineto(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnVlineto(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnRrcurveto(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnEndchar(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnHstemhm(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnRmoveto(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnHmoveto(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnVstemhm(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnRcurveline(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnRlinecurve(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnVvcurveto(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnHvcurveto(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnHhcurveto(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnVhcurveto(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnHflex(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnHflex1(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnFlex(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnFlex1(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnAnd(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnOr(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnNot(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnAbs(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnAdd(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnSub(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnDiv(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnNeg(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnEq(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnDrop(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnPut(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnGet(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnIfelse(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnRandom(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnMul(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnSqrt(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnDup(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnExch(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnIndex(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnRoll(CharStringType2Interpreter& inInterpreter) override;
    OpStatus OnReturn(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnHintmask(CharStringType2Interpreter& inInterpreter, const Byte* inMaskBytes, size_t inMaskSize) override;
    OpStatus OnCntrmask(CharStringType2Interpreter& inInterpreter, const Byte* inMaskBytes, size_t inMaskSize) override;
    const CharStringRange* LocalSubrCharString(int32_t inSubrIndex) override;
    const CharStringRange* GlobalSubrCharString(int32_t inSubrIndex) override;

private:
    OpStatus WritePendingOperands();
    OpStatus WriteOperator(uint16_t inOperatorCode);
    OpStatus WriteMask(uint16_t inOperatorCode, CharStringType2Interpreter& inInterpreter, const Byte* inMaskBytes,
                       size_t inMaskSize);
    // Before a call: the subroutine number leaves the output (or is dropped when the program
    // computes it); the operands under it are written for the body to use.
    OpStatus PrepareForCall();

    CFFFileInput* mSource = nullptr;
    std::unique_ptr<Type2CharStringEncoder> mEncoder;
    uint32_t mStemsCount = 0;
    GlyphDependencies* mAccentComponents = nullptr;
    std::vector<Type2Operand> mPendingOperands;
};
