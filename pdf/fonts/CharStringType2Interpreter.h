#pragma once
// Runs one Type 2 glyph program (and the subroutines it calls) and reports every number and
// operator to an implementation; it draws nothing itself. It keeps the operand stack, counts
// stem hints to step over hint masks, settles the advance width and does the arithmetic and
// storage operators. Damaged programs end with -1: at most 48 operands, 10 nested subroutine
// levels and a transient array of 32; numbers and masks must lie inside the program; every
// operator finds its operands; integer overflow and division by zero fail. Make one
// interpreter per glyph.

#include "pdf/fonts/IType2InterpreterImplementation.h"

#include <random>
#include <vector>

class CharStringType2Interpreter {
public:
    static constexpr size_t kMaxStackSize = 48;
    static constexpr int kMaxSubrNesting = 10;
    static constexpr size_t kTransientArraySize = 32;
    // Program bytes one glyph may run, its subroutines' every time they are called: subroutines
    // calling each other many times over could otherwise make the work grow without end. Real
    // glyphs run a few thousand.
    static constexpr LongFilePositionType kMaxProgramBytes = 262144;

    OpStatus Intepret(const CharStringRange& inCharStringRange, IType2InterpreterImplementation* inImplementationHelper);

    // The operand stack, bottom first, as the current operator sees it.
    const std::vector<Type2Operand>& GetOperandStack() const { return mOperandStack; }
    size_t GetStackSize() const { return mOperandStack.size(); }
    // The advance width taken off the stack, when the glyph gave one.
    bool HasWidth() const { return mHasWidth; }
    const Type2Operand& GetWidth() const { return mWidth; }

private:
    OpStatus ProcessCharString(const Byte* inBytes, size_t inLength, int inDepth);
    OpStatus ReadNumber(const Byte* inBytes, size_t inLength, size_t& ioPosition);
    OpStatus InterpretOperator(uint16_t inOperator, const Byte* inBytes, size_t inLength, size_t& ioPosition,
                               int inDepth, bool& outReturned);
    OpStatus InterpretCallSubr(bool inGlobal, int inDepth);
    OpStatus InterpretArithmetic(uint16_t inOperator);
    void CheckWidth(uint16_t inOperator);
    OpStatus Push(const Type2Operand& inOperand);
    // The bytes of a program, counted against the budget; logged failure.
    OpStatus FetchProgram(const CharStringRange& inRange, const char* inCaller, const Byte*& outBytes);
    OpStatus Require(size_t inCount, uint16_t inOperator);

    IType2InterpreterImplementation* mImplementationHelper = nullptr;
    std::vector<Type2Operand> mOperandStack;
    uint32_t mStemsCount = 0;
    LongFilePositionType mProgramBytes = 0;
    bool mCheckedWidth = false;
    bool mHasWidth = false;
    Type2Operand mWidth;
    bool mGotEndChar = false;
    Type2Operand mTransientArray[kTransientArraySize];
    // The random operator's generator: fixed seed, so a program gives the same output every run.
    std::minstd_rand mRandom{1};
};
