#pragma once
// Runs one Type 1 glyph program and reports every operator, with the operand stack, to an
// IType1InterpreterImplementation (not owned). It draws nothing: it decodes numbers, keeps the
// operand and PostScript stacks, runs subroutines and does div, callothersubr and pop.
// One interpreter per glyph. Damaged programs fail with -1: stacks are bounded, operators
// must find their operands, subroutines nest at most kMaxSubrDepth deep, and a glyph may run
// at most kMaxSteps numbers and operators in all. Where an operator needs an integer (subroutine
// and other-subroutine numbers and counts, seac codes), a fraction fails the glyph.

#include "pdf/fonts/IType1InterpreterImplementation.h"
#include "pdf/io/IOBasicTypes.h"

class Type1CharStringInterpreter {
public:
    static constexpr size_t kMaxStackSize = 48;
    static constexpr int kMaxSubrDepth = 10;
    static constexpr long kMaxSteps = 1 << 20;

    OpStatus InterpretCharString(const Type1CharString& inCharString,
                                 IType1InterpreterImplementation* inImplementation);

    const Type1OperandStack& OperandStack() const { return mOperandStack; }
    // inValue as an integer when it is one (and fits a long).
    static bool IsInteger(double inValue, long& outInteger);

    // A decrypted program and the position of the next byte.
    struct Program {
        const Byte* mData;
        size_t mSize;
        size_t mPosition;
    };
    const Type1OperandStack& PostScriptStack() const { return mPostScriptStack; }

private:
    OpStatus RunCharString(const Type1CharString& inCharString, int inDepth);
    OpStatus RunProgram(Program* inProgram, int inDepth);
    OpStatus Push(int32_t inValue);
    OpStatus RunOperator(Byte inOperator, Program* inProgram, int inDepth, bool& outReturned);
    OpStatus RunEscapedOperator(Byte inOperator);
    OpStatus CallOtherSubr();

    Type1OperandStack mOperandStack;
    Type1OperandStack mPostScriptStack;
    IType1InterpreterImplementation* mImplementation = nullptr;
    bool mGotEndChar = false;
    long mSteps = 0;
};
