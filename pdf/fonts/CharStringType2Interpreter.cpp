#include "pdf/fonts/CharStringType2Interpreter.h"

#include "pdf/io/DiagnosticLog.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

enum : uint16_t {
    eHstem = 1,
    eVstem = 3,
    eVmoveto = 4,
    eRlineto = 5,
    eHlineto = 6,
    eVlineto = 7,
    eRrcurveto = 8,
    eCallsubr = 10,
    eReturn = 11,
    eEscape = 12,
    eEndchar = 14,
    eHstemhm = 18,
    eHintmask = 19,
    eCntrmask = 20,
    eRmoveto = 21,
    eHmoveto = 22,
    eVstemhm = 23,
    eRcurveline = 24,
    eRlinecurve = 25,
    eVvcurveto = 26,
    eHhcurveto = 27,
    eShortInt = 28,
    eCallgsubr = 29,
    eVhcurveto = 30,
    eHvcurveto = 31,
    eAnd = 0x0C03,
    eOr = 0x0C04,
    eNot = 0x0C05,
    eAbs = 0x0C09,
    eAdd = 0x0C0A,
    eSub = 0x0C0B,
    eDiv = 0x0C0C,
    eNeg = 0x0C0E,
    eEq = 0x0C0F,
    eDrop = 0x0C12,
    ePut = 0x0C14,
    eGet = 0x0C15,
    eIfelse = 0x0C16,
    eRandom = 0x0C17,
    eMul = 0x0C18,
    eSqrt = 0x0C1A,
    eDup = 0x0C1B,
    eExch = 0x0C1C,
    eIndex = 0x0C1D,
    eRoll = 0x0C1E,
    eHflex = 0x0C22,
    eFlex = 0x0C23,
    eHflex1 = 0x0C24,
    eFlex1 = 0x0C25,
};

// An operand used as a count or an index: its integer part, when it has one that fits.
bool ToInteger(const Type2Operand& inOperand, int32_t& outValue)
{
    if (inOperand.mIsInteger) {
        outValue = inOperand.mIntegerValue;
        return true;
    }
    double value = std::trunc(inOperand.mRealValue);
    if (!(value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max()))
        return false;
    outValue = static_cast<int32_t>(value);
    return true;
}

// A 64-bit integer result as an operand; false when it does not fit 32 bits.
bool IntegerResult(int64_t inValue, Type2Operand& outOperand)
{
    if (inValue < std::numeric_limits<int32_t>::min() || inValue > std::numeric_limits<int32_t>::max())
        return false;
    outOperand = Type2Operand::Integer(static_cast<int32_t>(inValue));
    return true;
}

bool RealResult(double inValue, Type2Operand& outOperand)
{
    if (!std::isfinite(inValue))
        return false;
    outOperand = Type2Operand::Real(inValue);
    return true;
}

} // namespace

OpStatus CharStringType2Interpreter::Intepret(const CharStringRange& inCharStringRange,
                                              IType2InterpreterImplementation* inImplementationHelper)
{
    if (!inImplementationHelper) {
        TraceMessage("CharStringType2Interpreter::Intepret, null implementation helper passed. pass a proper pointer!!");
        return eFailure;
    }
    mImplementationHelper = inImplementationHelper;
    mGotEndChar = false;
    mStemsCount = 0;
    mCheckedWidth = false;
    mHasWidth = false;
    mProgramBytes = 0;

    const Byte* bytes = nullptr;
    if (FetchProgram(inCharStringRange, "CharStringType2Interpreter::Intepret", bytes) != eSuccess)
        return eFailure;
    return ProcessCharString(bytes, static_cast<size_t>(inCharStringRange.mEndPosition - inCharStringRange.mStartPosition), 0);
}

OpStatus CharStringType2Interpreter::FetchProgram(const CharStringRange& inRange, const char* inCaller,
                                                  const Byte*& outBytes)
{
    LongFilePositionType length = inRange.mEndPosition - inRange.mStartPosition;
    if (length < 0 || mImplementationHelper->FetchCharStringBytes(inRange.mStartPosition, inRange.mEndPosition, outBytes) != eSuccess ||
        (length > 0 && !outBytes)) {
        TraceMessage("%s, failed to read charstring starting in %lld and ending in %lld", inCaller, inRange.mStartPosition,
                     inRange.mEndPosition);
        return eFailure;
    }
    mProgramBytes += length;
    if (mProgramBytes > kMaxProgramBytes) {
        TraceMessage("%s, the glyph runs more than %lld bytes of programs", inCaller, kMaxProgramBytes);
        return eFailure;
    }
    return eSuccess;
}

OpStatus CharStringType2Interpreter::ProcessCharString(const Byte* inBytes, size_t inLength, int inDepth)
{
    size_t position = 0;
    bool returned = false;
    while (!returned && !mGotEndChar && position < inLength) {
        Byte byte = inBytes[position];
        OpStatus status;
        if (byte == eShortInt || byte >= 32) {
            status = ReadNumber(inBytes, inLength, position);
        } else {
            ++position;
            uint16_t op = byte;
            if (byte == eEscape) {
                if (position >= inLength) {
                    TraceMessage("CharStringType2Interpreter::ProcessCharString, escaped operator runs past the end of the program");
                    return eFailure;
                }
                op = static_cast<uint16_t>(0x0C00 + inBytes[position++]);
            }
            status = InterpretOperator(op, inBytes, inLength, position, inDepth, returned);
        }
        if (status != eSuccess)
            return eFailure;
    }
    return eSuccess;
}

OpStatus CharStringType2Interpreter::ReadNumber(const Byte* inBytes, size_t inLength, size_t& ioPosition)
{
    Byte b0 = inBytes[ioPosition];
    size_t size = b0 <= 246 ? (b0 == eShortInt ? 3 : 1) : (b0 == 255 ? 5 : 2);
    if (inLength - ioPosition < size) {
        TraceMessage("CharStringType2Interpreter::ReadNumber, number runs past the end of the program");
        return eFailure;
    }
    const Byte* bytes = inBytes + ioPosition;
    ioPosition += size;
    Type2Operand operand;
    if (b0 == eShortInt) {
        operand = Type2Operand::Integer(static_cast<int16_t>((bytes[1] << 8) | bytes[2]));
    } else if (b0 <= 246) {
        operand = Type2Operand::Integer(b0 - 139);
    } else if (b0 <= 250) {
        operand = Type2Operand::Integer((b0 - 247) * 256 + bytes[1] + 108);
    } else if (b0 <= 254) {
        operand = Type2Operand::Integer(-(b0 - 251) * 256 - bytes[1] - 108);
    } else {
        uint32_t fixed = (static_cast<uint32_t>(bytes[1]) << 24) | (static_cast<uint32_t>(bytes[2]) << 16) |
                         (static_cast<uint32_t>(bytes[3]) << 8) | bytes[4];
        operand = Type2Operand::Real(static_cast<int32_t>(fixed) / 65536.0);
    }
    if (Push(operand) != eSuccess)
        return eFailure;
    return mImplementationHelper->OnNumberOperand(operand);
}

OpStatus CharStringType2Interpreter::Push(const Type2Operand& inOperand)
{
    if (mOperandStack.size() >= kMaxStackSize) {
        TraceMessage("CharStringType2Interpreter::Push, more than %zu operands on the stack", kMaxStackSize);
        return eFailure;
    }
    mOperandStack.push_back(inOperand);
    return eSuccess;
}

OpStatus CharStringType2Interpreter::Require(size_t inCount, uint16_t inOperator)
{
    if (mOperandStack.size() >= inCount)
        return eSuccess;
    TraceMessage("CharStringType2Interpreter::Require, operator %u needs %zu operands, the stack holds %zu",
                 static_cast<unsigned>(inOperator), inCount, mOperandStack.size());
    return eFailure;
}

void CharStringType2Interpreter::CheckWidth(uint16_t inOperator)
{
    if (mCheckedWidth)
        return;
    mCheckedWidth = true;
    size_t size = mOperandStack.size();
    bool hasWidth;
    switch (inOperator) {
    case eRmoveto:
        hasWidth = size == 3;
        break;
    case eHmoveto:
    case eVmoveto:
        hasWidth = size == 2;
        break;
    case eEndchar:
        hasWidth = size == 1 || size == 5;
        break;
    default: // stems and masks
        hasWidth = size % 2 == 1;
        break;
    }
    if (hasWidth) {
        mHasWidth = true;
        mWidth = mOperandStack.front();
        mOperandStack.erase(mOperandStack.begin());
    }
}

OpStatus CharStringType2Interpreter::InterpretOperator(uint16_t inOperator, const Byte* inBytes, size_t inLength,
                                                       size_t& ioPosition, int inDepth, bool& outReturned)
{
    IType2InterpreterImplementation* helper = mImplementationHelper;
    // The operands one application of a path or hint operator needs.
    size_t arity = 0;
    switch (inOperator) {
    case eHstem:
    case eVstem:
    case eHstemhm:
    case eVstemhm:
    case eRmoveto:
    case eRlineto:
        arity = 2;
        break;
    case eHmoveto:
    case eVmoveto:
    case eHlineto:
    case eVlineto:
        arity = 1;
        break;
    case eVvcurveto:
    case eHhcurveto:
    case eHvcurveto:
    case eVhcurveto:
        arity = 4;
        break;
    case eRrcurveto:
        arity = 6;
        break;
    case eRcurveline:
    case eRlinecurve:
        arity = 8;
        break;
    case eHflex:
        arity = 7;
        break;
    case eHflex1:
        arity = 9;
        break;
    case eFlex1:
        arity = 11;
        break;
    case eFlex:
        arity = 13;
        break;
    default:
        break;
    }

    switch (inOperator) {
    case eHstem:
    case eVstem:
    case eHstemhm:
    case eVstemhm:
    case eHintmask:
    case eCntrmask:
    case eRmoveto:
    case eHmoveto:
    case eVmoveto:
    case eEndchar:
        CheckWidth(inOperator);
        break;
    default:
        break;
    }

    OpStatus status = eSuccess;
    switch (inOperator) {
    case eHstem:
    case eVstem:
    case eHstemhm:
    case eVstemhm: {
        if (Require(arity, inOperator) != eSuccess)
            return eFailure;
        mStemsCount += static_cast<uint32_t>(mOperandStack.size() / 2);
        status = inOperator == eHstem     ? helper->OnHstem(*this)
                 : inOperator == eVstem   ? helper->OnVstem(*this)
                 : inOperator == eHstemhm ? helper->OnHstemhm(*this)
                                          : helper->OnVstemhm(*this);
        mOperandStack.clear();
        return status;
    }
    case eHintmask:
    case eCntrmask: {
        // Operands before a mask are the vertical stems of an omitted vstemhm.
        mStemsCount += static_cast<uint32_t>(mOperandStack.size() / 2);
        size_t maskSize = (static_cast<size_t>(mStemsCount) + 7) / 8;
        if (inLength - ioPosition < maskSize) {
            TraceMessage("CharStringType2Interpreter::InterpretOperator, hint mask runs past the end of the program");
            return eFailure;
        }
        status = inOperator == eHintmask ? helper->OnHintmask(*this, inBytes + ioPosition, maskSize)
                                         : helper->OnCntrmask(*this, inBytes + ioPosition, maskSize);
        mOperandStack.clear();
        ioPosition += maskSize;
        return status;
    }
    case eVmoveto:
    case eRlineto:
    case eHlineto:
    case eVlineto:
    case eRrcurveto:
    case eRmoveto:
    case eHmoveto:
    case eRcurveline:
    case eRlinecurve:
    case eVvcurveto:
    case eHhcurveto:
    case eHvcurveto:
    case eVhcurveto:
    case eHflex:
    case eFlex:
    case eHflex1:
    case eFlex1: {
        if (Require(arity, inOperator) != eSuccess)
            return eFailure;
        switch (inOperator) {
        case eVmoveto: status = helper->OnVmoveto(*this); break;
        case eRlineto: status = helper->OnRlineto(*this); break;
        case eHlineto: status = helper->OnHlineto(*this); break;
        case eVlineto: status = helper->OnVlineto(*this); break;
        case eRrcurveto: status = helper->OnRrcurveto(*this); break;
        case eRmoveto: status = helper->OnRmoveto(*this); break;
        case eHmoveto: status = helper->OnHmoveto(*this); break;
        case eRcurveline: status = helper->OnRcurveline(*this); break;
        case eRlinecurve: status = helper->OnRlinecurve(*this); break;
        case eVvcurveto: status = helper->OnVvcurveto(*this); break;
        case eHhcurveto: status = helper->OnHhcurveto(*this); break;
        case eHvcurveto: status = helper->OnHvcurveto(*this); break;
        case eVhcurveto: status = helper->OnVhcurveto(*this); break;
        case eHflex: status = helper->OnHflex(*this); break;
        case eFlex: status = helper->OnFlex(*this); break;
        case eHflex1: status = helper->OnHflex1(*this); break;
        default: status = helper->OnFlex1(*this); break;
        }
        mOperandStack.clear();
        return status;
    }
    case eEndchar:
        status = helper->OnEndchar(*this);
        mGotEndChar = true;
        mOperandStack.clear();
        return status;
    case eReturn:
        status = helper->OnReturn(*this);
        outReturned = true;
        return status;
    case eCallsubr:
    case eCallgsubr:
        return InterpretCallSubr(inOperator == eCallgsubr, inDepth);
    case eAnd:
    case eOr:
    case eNot:
    case eAbs:
    case eAdd:
    case eSub:
    case eDiv:
    case eNeg:
    case eEq:
    case eDrop:
    case ePut:
    case eGet:
    case eIfelse:
    case eRandom:
    case eMul:
    case eSqrt:
    case eDup:
    case eExch:
    case eIndex:
    case eRoll:
        return InterpretArithmetic(inOperator);
    default:
        // Reserved operators are stepped over; their operands stay for the next operator.
        return eSuccess;
    }
}

OpStatus CharStringType2Interpreter::InterpretCallSubr(bool inGlobal, int inDepth)
{
    if (Require(1, inGlobal ? eCallgsubr : eCallsubr) != eSuccess)
        return eFailure;
    int32_t number;
    if (!ToInteger(mOperandStack.back(), number)) {
        TraceMessage("CharStringType2Interpreter::InterpretCallSubr, subroutine number out of range");
        return eFailure;
    }
    mOperandStack.pop_back();
    if (inDepth + 1 > kMaxSubrNesting) {
        TraceMessage("CharStringType2Interpreter::InterpretCallSubr, subroutines nested deeper than %d levels",
                     kMaxSubrNesting);
        return eFailure;
    }
    const CharStringRange* range = inGlobal ? mImplementationHelper->GlobalSubrCharString(number)
                                            : mImplementationHelper->LocalSubrCharString(number);
    if (!range)
        return eFailure;

    const Byte* bytes = nullptr;
    if (FetchProgram(*range, "CharStringType2Interpreter::InterpretCallSubr", bytes) != eSuccess)
        return eFailure;
    return ProcessCharString(bytes, static_cast<size_t>(range->mEndPosition - range->mStartPosition), inDepth + 1);
}

OpStatus CharStringType2Interpreter::InterpretArithmetic(uint16_t inOperator)
{
    size_t needed = 0;
    switch (inOperator) {
    case eRandom:
        break;
    case eNot:
    case eAbs:
    case eNeg:
    case eDrop:
    case eGet:
    case eSqrt:
    case eDup:
    case eIndex:
        needed = 1;
        break;
    case eIfelse:
        needed = 4;
        break;
    default:
        needed = 2;
        break;
    }
    if (Require(needed, inOperator) != eSuccess)
        return eFailure;

    IType2InterpreterImplementation* helper = mImplementationHelper;
    OpStatus status;
    switch (inOperator) {
    case eAnd: status = helper->OnAnd(*this); break;
    case eOr: status = helper->OnOr(*this); break;
    case eNot: status = helper->OnNot(*this); break;
    case eAbs: status = helper->OnAbs(*this); break;
    case eAdd: status = helper->OnAdd(*this); break;
    case eSub: status = helper->OnSub(*this); break;
    case eDiv: status = helper->OnDiv(*this); break;
    case eNeg: status = helper->OnNeg(*this); break;
    case eEq: status = helper->OnEq(*this); break;
    case eDrop: status = helper->OnDrop(*this); break;
    case ePut: status = helper->OnPut(*this); break;
    case eGet: status = helper->OnGet(*this); break;
    case eIfelse: status = helper->OnIfelse(*this); break;
    case eRandom: status = helper->OnRandom(*this); break;
    case eMul: status = helper->OnMul(*this); break;
    case eSqrt: status = helper->OnSqrt(*this); break;
    case eDup: status = helper->OnDup(*this); break;
    case eExch: status = helper->OnExch(*this); break;
    case eIndex: status = helper->OnIndex(*this); break;
    default: status = helper->OnRoll(*this); break;
    }
    if (status != eSuccess)
        return status;

    std::vector<Type2Operand>& stack = mOperandStack;
    auto pop = [&stack]() {
        Type2Operand top = stack.back();
        stack.pop_back();
        return top;
    };
    Type2Operand result;
    bool ok = true;
    switch (inOperator) {
    case eAnd: {
        Type2Operand b = pop(), a = pop();
        result = Type2Operand::Integer(a.AsReal() != 0 && b.AsReal() != 0 ? 1 : 0);
        break;
    }
    case eOr: {
        Type2Operand b = pop(), a = pop();
        result = Type2Operand::Integer(a.AsReal() != 0 || b.AsReal() != 0 ? 1 : 0);
        break;
    }
    case eNot:
        result = Type2Operand::Integer(pop().AsReal() == 0 ? 1 : 0);
        break;
    case eAbs: {
        Type2Operand a = pop();
        ok = a.mIsInteger ? IntegerResult(std::abs(static_cast<int64_t>(a.mIntegerValue)), result)
                          : RealResult(std::fabs(a.mRealValue), result);
        break;
    }
    case eNeg: {
        Type2Operand a = pop();
        ok = a.mIsInteger ? IntegerResult(-static_cast<int64_t>(a.mIntegerValue), result)
                          : RealResult(-a.mRealValue, result);
        break;
    }
    case eAdd:
    case eSub:
    case eMul:
    case eDiv: {
        Type2Operand b = pop(), a = pop();
        if (inOperator == eDiv && b.AsReal() == 0) {
            TraceMessage("CharStringType2Interpreter::InterpretArithmetic, division by zero");
            return eFailure;
        }
        if (a.mIsInteger && b.mIsInteger) {
            int64_t x = a.mIntegerValue, y = b.mIntegerValue;
            int64_t value = inOperator == eAdd ? x + y : inOperator == eSub ? x - y : inOperator == eMul ? x * y : x / y;
            ok = IntegerResult(value, result);
        } else {
            double x = a.AsReal(), y = b.AsReal();
            double value = inOperator == eAdd ? x + y : inOperator == eSub ? x - y : inOperator == eMul ? x * y : x / y;
            ok = RealResult(value, result);
        }
        break;
    }
    case eEq: {
        Type2Operand b = pop(), a = pop();
        result = Type2Operand::Integer(a.AsReal() == b.AsReal() ? 1 : 0);
        break;
    }
    case eDrop:
        pop();
        return eSuccess;
    case ePut: {
        int32_t index;
        if (!ToInteger(stack.back(), index) || index < 0 || index >= static_cast<int32_t>(kTransientArraySize)) {
            TraceMessage("CharStringType2Interpreter::InterpretArithmetic, put outside the transient array");
            return eFailure;
        }
        pop();
        mTransientArray[index] = pop();
        return eSuccess;
    }
    case eGet: {
        int32_t index;
        if (!ToInteger(stack.back(), index) || index < 0 || index >= static_cast<int32_t>(kTransientArraySize)) {
            TraceMessage("CharStringType2Interpreter::InterpretArithmetic, get outside the transient array");
            return eFailure;
        }
        pop();
        result = mTransientArray[index];
        break;
    }
    case eIfelse: {
        Type2Operand d = pop(), c = pop(), b = pop(), a = pop();
        result = c.AsReal() <= d.AsReal() ? a : b;
        break;
    }
    case eRandom:
        result = Type2Operand::Real((static_cast<double>(mRandom() % 32768) + 1) / 32768.0);
        break;
    case eSqrt: {
        Type2Operand a = pop();
        if (a.AsReal() < 0) {
            TraceMessage("CharStringType2Interpreter::InterpretArithmetic, square root of a negative number");
            return eFailure;
        }
        result = Type2Operand::Real(std::sqrt(a.AsReal()));
        break;
    }
    case eDup:
        result = stack.back();
        break;
    case eExch:
        std::swap(stack[stack.size() - 1], stack[stack.size() - 2]);
        return eSuccess;
    case eIndex: {
        int32_t index;
        if (!ToInteger(stack.back(), index)) {
            TraceMessage("CharStringType2Interpreter::InterpretArithmetic, index out of range");
            return eFailure;
        }
        pop();
        if (index < 0)
            index = 0;
        if (static_cast<size_t>(index) >= stack.size()) {
            TraceMessage("CharStringType2Interpreter::InterpretArithmetic, index reaches below the bottom of the stack");
            return eFailure;
        }
        result = stack[stack.size() - 1 - index];
        break;
    }
    default: { // roll
        int32_t shift, count;
        if (!ToInteger(stack[stack.size() - 1], shift) || !ToInteger(stack[stack.size() - 2], count) || count < 0 ||
            static_cast<size_t>(count) > stack.size() - 2) {
            TraceMessage("CharStringType2Interpreter::InterpretArithmetic, roll reaches below the bottom of the stack");
            return eFailure;
        }
        pop();
        pop();
        if (count > 0) {
            int32_t places = shift % count;
            if (places < 0)
                places += count;
            std::rotate(stack.end() - count, stack.end() - places, stack.end());
        }
        return eSuccess;
    }
    }
    if (!ok) {
        TraceMessage("CharStringType2Interpreter::InterpretArithmetic, result of operator %u out of range",
                     static_cast<unsigned>(inOperator));
        return eFailure;
    }
    return Push(result);
}
