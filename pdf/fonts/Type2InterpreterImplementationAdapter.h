#pragma once
// An interpreter implementation that does nothing: every callback goes on, but no program
// bytes and no subroutine are found. Implementations override only what they need.

#include "pdf/fonts/IType2InterpreterImplementation.h"

class Type2InterpreterImplementationAdapter : public IType2InterpreterImplementation {
public:
    OpStatus FetchCharStringBytes(LongFilePositionType, LongFilePositionType, const Byte*& outBytes) override
    {
        outBytes = nullptr;
        return eFailure;
    }
    OpStatus OnNumberOperand(const Type2Operand&) override { return eSuccess; }
    OpStatus OnHstem(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnVstem(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnVmoveto(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnRlineto(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnHlineto(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnVlineto(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnRrcurveto(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnReturn(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnEndchar(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnHstemhm(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnHintmask(CharStringType2Interpreter&, const Byte*, size_t) override { return eSuccess; }
    OpStatus OnCntrmask(CharStringType2Interpreter&, const Byte*, size_t) override { return eSuccess; }
    OpStatus OnRmoveto(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnHmoveto(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnVstemhm(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnRcurveline(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnRlinecurve(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnVvcurveto(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnHvcurveto(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnHhcurveto(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnVhcurveto(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnHflex(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnHflex1(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnFlex(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnFlex1(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnAnd(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnOr(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnNot(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnAbs(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnAdd(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnSub(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnDiv(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnNeg(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnEq(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnDrop(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnPut(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnGet(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnIfelse(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnRandom(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnMul(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnSqrt(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnDup(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnExch(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnIndex(CharStringType2Interpreter&) override { return eSuccess; }
    OpStatus OnRoll(CharStringType2Interpreter&) override { return eSuccess; }
    const CharStringRange* LocalSubrCharString(int32_t) override { return nullptr; }
    const CharStringRange* GlobalSubrCharString(int32_t) override { return nullptr; }

protected:
    ~Type2InterpreterImplementationAdapter() = default;
};
