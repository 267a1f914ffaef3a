#pragma once
// What a Type 2 charstring interpretation is for: the interpreter reports every number and
// operator here and asks for the bytes of the glyph and of its subroutines. A non-zero result
// (or no subroutine) ends the interpretation with -1. The operator callbacks run before the
// interpreter does the operator's own work, so the operand stack they see is the operator's.
// Implementations are never deleted through this interface.

#include "pdf/fonts/CharStringRange.h"
#include "pdf/fonts/Type2Operand.h"

#include <vector>

class CharStringType2Interpreter;

class IType2InterpreterImplementation {
public:
    // The bytes from inStart to inEnd (exclusive) of the CFF data, owned by the implementation
    // and valid while the interpretation runs.
    virtual OpStatus FetchCharStringBytes(LongFilePositionType inStart, LongFilePositionType inEnd,
                                          const Byte*& outBytes) = 0;
    virtual OpStatus OnNumberOperand(const Type2Operand& inOperand) = 0;
    virtual OpStatus OnHstem(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnVstem(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnVmoveto(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnRlineto(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnHlineto(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnVlineto(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnRrcurveto(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnReturn(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnEndchar(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnHstemhm(CharStringType2Interpreter& inInterpreter) = 0;
    // The mask bytes that follow the operator in the program, already checked to be there.
    virtual OpStatus OnHintmask(CharStringType2Interpreter& inInterpreter, const Byte* inMaskBytes,
                                size_t inMaskSize) = 0;
    virtual OpStatus OnCntrmask(CharStringType2Interpreter& inInterpreter, const Byte* inMaskBytes,
                                size_t inMaskSize) = 0;
    virtual OpStatus OnRmoveto(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnHmoveto(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnVstemhm(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnRcurveline(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnRlinecurve(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnVvcurveto(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnHvcurveto(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnHhcurveto(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnVhcurveto(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnHflex(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnHflex1(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnFlex(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnFlex1(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnAnd(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnOr(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnNot(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnAbs(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnAdd(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnSub(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnDiv(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnNeg(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnEq(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnDrop(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnPut(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnGet(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnIfelse(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnRandom(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnMul(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnSqrt(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnDup(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnExch(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnIndex(CharStringType2Interpreter& inInterpreter) = 0;
    virtual OpStatus OnRoll(CharStringType2Interpreter& inInterpreter) = 0;
    // The subroutine that callsubr or callgsubr names with inSubrIndex (before the bias, which is
    // the implementation's); null when there is none.
    virtual const CharStringRange* LocalSubrCharString(int32_t inSubrIndex) = 0;
    virtual const CharStringRange* GlobalSubrCharString(int32_t inSubrIndex) = 0;

protected:
    ~IType2InterpreterImplementation() = default;
};
