#include "pdf/fonts/Type1CharStringInterpreter.h"

#include "pdf/io/InputByteArrayStream.h"
#include "pdf/io/InputCharStringDecodeStream.h"

#include <cmath>

namespace {

bool ReadByte(Type1CharStringInterpreter::Program* inProgram, Byte& outByte)
{
    if (inProgram->mPosition >= inProgram->mSize)
        return false;
    outByte = inProgram->mData[inProgram->mPosition++];
    return true;
}

} // namespace

bool Type1CharStringInterpreter::IsInteger(double inValue, long& outInteger)
{
    // Operands come from 32-bit numbers and quotients of them, so a whole value fits easily.
    if (!(std::fabs(inValue) <= 2147483647.0) || std::trunc(inValue) != inValue)
        return false;
    outInteger = static_cast<long>(inValue);
    return true;
}

OpStatus Type1CharStringInterpreter::InterpretCharString(const Type1CharString& inCharString,
                                                         IType1InterpreterImplementation* inImplementation)
{
    mImplementation = inImplementation;
    mGotEndChar = false;
    mSteps = 0;
    mOperandStack.clear();
    mPostScriptStack.clear();
    if (!mImplementation)
        return eFailure;
    return RunCharString(inCharString, 0);
}

OpStatus Type1CharStringInterpreter::RunCharString(const Type1CharString& inCharString, int inDepth)
{
    int lenIV = mImplementation->LenIVBytes();
    // lenIV -1 marks charstrings that are stored without encryption.
    if (lenIV < 0) {
        Program program{inCharString.mCode.data(), inCharString.mCode.size(), 0};
        return RunProgram(&program, inDepth);
    }
    // Decrypted in one pass, then run from memory.
    InputByteArrayStream bytes(inCharString.mCode.data(), static_cast<LongFilePositionType>(inCharString.mCode.size()));
    InputCharStringDecodeStream decoded(&bytes);
    decoded.StartDecryption(lenIV);
    std::vector<Byte> plain(inCharString.mCode.size());
    plain.resize(decoded.Read(plain.data(), plain.size()));
    Program program{plain.data(), plain.size(), 0};
    return RunProgram(&program, inDepth);
}

OpStatus Type1CharStringInterpreter::Push(int32_t inValue)
{
    if (mOperandStack.size() >= kMaxStackSize)
        return eFailure;
    mOperandStack.push_back(inValue);
    return mImplementation->OnNumberOperand(inValue) == 0 ? eSuccess : eFailure;
}

OpStatus Type1CharStringInterpreter::RunProgram(Program* inProgram, int inDepth)
{
    bool returned = false;
    while (!returned && !mGotEndChar && inProgram->mPosition < inProgram->mSize) {
        if (++mSteps > kMaxSteps)
            return eFailure;
        Byte value;
        if (!ReadByte(inProgram, value))
            return eFailure;
        OpStatus status;
        if (value >= 32) {
            int32_t number;
            Byte next;
            if (value <= 246) {
                number = static_cast<int32_t>(value) - 139;
            } else if (value <= 250) {
                if (!ReadByte(inProgram, next))
                    return eFailure;
                number = (value - 247) * 256 + next + 108;
            } else if (value <= 254) {
                if (!ReadByte(inProgram, next))
                    return eFailure;
                number = -(value - 251) * 256 - next - 108;
            } else {
                uint32_t bits = 0;
                for (int i = 0; i < 4; ++i) {
                    if (!ReadByte(inProgram, next))
                        return eFailure;
                    bits = (bits << 8) | next;
                }
                number = static_cast<int32_t>(bits);
            }
            status = Push(number);
        } else {
            status = RunOperator(value, inProgram, inDepth, returned);
        }
        if (status != eSuccess)
            return eFailure;
    }
    return eSuccess;
}

OpStatus Type1CharStringInterpreter::RunOperator(Byte inOperator, Program* inProgram, int inDepth,
                                                 bool& outReturned)
{
    // Operators and the operand count each needs; the drawing operators clear the stack after.
    typedef int (IType1InterpreterImplementation::*Callback)(Type1OperandStack&);
    struct Entry {
        Callback callback;
        size_t operands;
    };
    Entry entry{nullptr, 0};
    switch (inOperator) {
    case 1: entry = {&IType1InterpreterImplementation::OnHstem, 2}; break;
    case 3: entry = {&IType1InterpreterImplementation::OnVstem, 2}; break;
    case 4: entry = {&IType1InterpreterImplementation::OnVmoveto, 1}; break;
    case 5: entry = {&IType1InterpreterImplementation::OnRlineto, 2}; break;
    case 6: entry = {&IType1InterpreterImplementation::OnHlineto, 1}; break;
    case 7: entry = {&IType1InterpreterImplementation::OnVlineto, 1}; break;
    case 8: entry = {&IType1InterpreterImplementation::OnRrcurveto, 6}; break;
    case 9: entry = {&IType1InterpreterImplementation::OnClosepath, 0}; break;
    case 13: entry = {&IType1InterpreterImplementation::OnHsbw, 2}; break;
    case 14: entry = {&IType1InterpreterImplementation::OnEndchar, 0}; break;
    case 21: entry = {&IType1InterpreterImplementation::OnRmoveto, 2}; break;
    case 22: entry = {&IType1InterpreterImplementation::OnHmoveto, 1}; break;
    case 30: entry = {&IType1InterpreterImplementation::OnVhcurveto, 4}; break;
    case 31: entry = {&IType1InterpreterImplementation::OnHvcurveto, 4}; break;
    case 10: {
        long index;
        if (mOperandStack.empty() || inDepth >= kMaxSubrDepth || !IsInteger(mOperandStack.back(), index))
            return eFailure;
        const Type1CharString* subr = mImplementation->GetLocalSubr(index);
        mOperandStack.pop_back();
        if (!subr)
            return eFailure;
        return RunCharString(*subr, inDepth + 1);
    }
    case 11:
        if (mImplementation->OnReturn(mOperandStack) != 0)
            return eFailure;
        outReturned = true;
        return eSuccess;
    case 12: {
        Byte second;
        if (!ReadByte(inProgram, second))
            return eFailure;
        return RunEscapedOperator(second);
    }
    default:
        return eFailure;
    }
    if (mOperandStack.size() < entry.operands || (mImplementation->*entry.callback)(mOperandStack) != 0)
        return eFailure;
    if (inOperator == 14)
        mGotEndChar = true;
    mOperandStack.clear();
    return eSuccess;
}

OpStatus Type1CharStringInterpreter::RunEscapedOperator(Byte inOperator)
{
    typedef int (IType1InterpreterImplementation::*Callback)(Type1OperandStack&);
    Callback callback = nullptr;
    size_t operands = 0;
    switch (inOperator) {
    case 0: callback = &IType1InterpreterImplementation::OnDotsection; break;
    case 1: callback = &IType1InterpreterImplementation::OnVstem3; operands = 6; break;
    case 2: callback = &IType1InterpreterImplementation::OnHstem3; operands = 6; break;
    case 6: callback = &IType1InterpreterImplementation::OnSeac; operands = 5; break;
    case 7: callback = &IType1InterpreterImplementation::OnSbw; operands = 4; break;
    case 33: callback = &IType1InterpreterImplementation::OnSetCurrentPoint; operands = 2; break;
    case 12: {
        if (mOperandStack.size() < 2 || mImplementation->OnDiv(mOperandStack) != 0 || mOperandStack.size() < 2)
            return eFailure;
        double divisor = mOperandStack.back();
        double dividend = mOperandStack[mOperandStack.size() - 2];
        // A real quotient: fonts divide to reach coordinates and widths between whole units.
        // Quotients of quotients can grow past any double; such a program is damaged.
        double quotient = divisor != 0 ? dividend / divisor : 0;
        if (divisor == 0 || !std::isfinite(quotient))
            return eFailure;
        mOperandStack.pop_back();
        mOperandStack.back() = quotient;
        return eSuccess;
    }
    case 16:
        return CallOtherSubr();
    case 17: {
        if (mPostScriptStack.empty() || mOperandStack.size() >= kMaxStackSize ||
            mImplementation->OnPop(mOperandStack, mPostScriptStack) != 0 || mPostScriptStack.empty())
            return eFailure;
        mOperandStack.push_back(mPostScriptStack.back());
        mPostScriptStack.pop_back();
        return eSuccess;
    }
    default:
        return eFailure;
    }
    if (mOperandStack.size() < operands)
        return eFailure;
    // The base and accent character codes of seac.
    long code;
    if (inOperator == 6 && (!IsInteger(mOperandStack.back(), code) ||
                            !IsInteger(mOperandStack[mOperandStack.size() - 2], code)))
        return eFailure;
    if ((mImplementation->*callback)(mOperandStack) != 0)
        return eFailure;
    mOperandStack.clear();
    return eSuccess;
}

OpStatus Type1CharStringInterpreter::CallOtherSubr()
{
    // ... a1 .. an n number callothersubr
    long number;
    long count;
    if (mOperandStack.size() < 2 || !IsInteger(mOperandStack.back(), number) ||
        !IsInteger(mOperandStack[mOperandStack.size() - 2], count))
        return eFailure;
    if (count < 0 || static_cast<size_t>(count) > mOperandStack.size() - 2 ||
        mPostScriptStack.size() + static_cast<size_t>(count) > kMaxStackSize)
        return eFailure;
    size_t firstArgument = mOperandStack.size() - 2 - static_cast<size_t>(count);
    if (mImplementation->AcceptsOtherSubr(number)) {
        if (mImplementation->OnCallOtherSubr(mOperandStack, mPostScriptStack) != 0)
            return eFailure;
        // The implementation may have changed the stacks; they must stay within their bounds.
        if (mOperandStack.size() < firstArgument + 2 + static_cast<size_t>(count) ||
            mPostScriptStack.size() > kMaxStackSize)
            return eFailure;
    } else {
        // an first, down to a1, so that a1 ends on top and the first pop returns it
        for (size_t i = firstArgument + static_cast<size_t>(count); i > firstArgument; --i)
            mPostScriptStack.push_back(mOperandStack[i - 1]);
    }
    mOperandStack.erase(mOperandStack.begin() + static_cast<long>(firstArgument),
                        mOperandStack.begin() + static_cast<long>(firstArgument) + 2 + count);
    return eSuccess;
}
