#include "pdf/fonts/CharStringType2Flattener.h"

#include "pdf/io/DiagnosticLog.h"

OpStatus CharStringType2Flattener::Trace(uint16_t inFontIndex, uint16_t inCharStringIndex, CFFFileInput* inCFFFileInput,
                                         IByteWriter* inWriter, GlyphDependencies* ioAccentComponents)
{
    OpStatus status = inCFFFileInput ? inCFFFileInput->PrepareForGlyphIntepretation(inFontIndex, inCharStringIndex)
                                     : eFailure;
    mEncoder = std::make_unique<Type2CharStringEncoder>(inWriter);
    mSource = inCFFFileInput;
    mPendingOperands.clear();
    mStemsCount = 0;
    mAccentComponents = ioAccentComponents;
    if (status != eSuccess) {
        TraceMessage("CharStringType2Flattener::Trace, Exception, cannot prepare for glyph interpretation");
        return eFailure;
    }
    const CharStringRange* range = mSource->GetGlyphCharStringRange(inFontIndex, inCharStringIndex);
    if (!range) {
        TraceMessage("CharStringType2Flattener::Trace, Exception, cannot find glyph index");
        return eFailure;
    }
    CharStringType2Interpreter interpreter;
    return interpreter.Intepret(*range, this);
}

OpStatus CharStringType2Flattener::FetchCharStringBytes(LongFilePositionType inStart, LongFilePositionType inEnd,
                                                        const Byte*& outBytes)
{
    return mSource->FetchCharStringBytes(inStart, inEnd, outBytes);
}

OpStatus CharStringType2Flattener::OnNumberOperand(const Type2Operand& inOperand)
{
    mPendingOperands.push_back(inOperand);
    return eSuccess;
}

OpStatus CharStringType2Flattener::WritePendingOperands()
{
    OpStatus status = eSuccess;
    for (const Type2Operand& operand : mPendingOperands) {
        if (mEncoder->WriteOperand(operand) != eSuccess) {
            status = eFailure;
            break;
        }
    }
    mPendingOperands.clear();
    return status;
}

OpStatus CharStringType2Flattener::WriteOperator(uint16_t inOperatorCode)
{
    if (WritePendingOperands() != eSuccess)
        return eFailure;
    return mEncoder->WriteOperator(inOperatorCode);
}

OpStatus CharStringType2Flattener::WriteMask(uint16_t inOperatorCode, CharStringType2Interpreter& inInterpreter,
                                             const Byte* inMaskBytes, size_t inMaskSize)
{
    // The interpreter has counted the same stems and checked that the mask is there.
    mStemsCount += static_cast<uint32_t>(inInterpreter.GetStackSize() / 2);
    if (WriteOperator(inOperatorCode) != eSuccess)
        return eFailure;
    return mEncoder->WriteBytes(inMaskBytes, inMaskSize);
}

OpStatus CharStringType2Flattener::OnHintmask(CharStringType2Interpreter& inInterpreter, const Byte* inMaskBytes,
                                              size_t inMaskSize)
{
    return WriteMask(19, inInterpreter, inMaskBytes, inMaskSize);
}

OpStatus CharStringType2Flattener::OnCntrmask(CharStringType2Interpreter& inInterpreter, const Byte* inMaskBytes,
                                              size_t inMaskSize)
{
    return WriteMask(20, inInterpreter, inMaskBytes, inMaskSize);
}

OpStatus CharStringType2Flattener::PrepareForCall()
{
    if (mPendingOperands.empty()) {
        // drop
        return mEncoder->WriteOperator(0x0C12);
    }
    mPendingOperands.pop_back();
    return WritePendingOperands();
}

const CharStringRange* CharStringType2Flattener::LocalSubrCharString(int32_t inSubrIndex)
{
    if (PrepareForCall() != eSuccess)
        return nullptr;
    return mSource->LocalSubrCharString(inSubrIndex);
}

const CharStringRange* CharStringType2Flattener::GlobalSubrCharString(int32_t inSubrIndex)
{
    if (PrepareForCall() != eSuccess)
        return nullptr;
    return mSource->GlobalSubrCharString(inSubrIndex);
}

OpStatus CharStringType2Flattener::OnHstem(CharStringType2Interpreter& inInterpreter)
{
    mStemsCount += static_cast<uint32_t>(inInterpreter.GetStackSize() / 2);
    return WriteOperator(1);
}

OpStatus CharStringType2Flattener::OnVstem(CharStringType2Interpreter& inInterpreter)
{
    mStemsCount += static_cast<uint32_t>(inInterpreter.GetStackSize() / 2);
    return WriteOperator(3);
}

OpStatus CharStringType2Flattener::OnVmoveto(CharStringType2Interpreter&)
{
    return WriteOperator(4);
}

OpStatus CharStringType2Flattener::OnRlineto(CharStringType2Interpreter&)
{
    return WriteOperator(5);
}

OpStatus CharStringType2Flattener::OnHlineto(CharStringType2Interpreter&)
{
    return WriteOperator(6);
}

OpStatus CharStringType2Flattener::OnVlineto(CharStringType2Interpreter&)
{
    return WriteOperator(7);
}

OpStatus CharStringType2Flattener::OnRrcurveto(CharStringType2Interpreter&)
{
    return WriteOperator(8);
}

OpStatus CharStringType2Flattener::OnEndchar(CharStringType2Interpreter& inInterpreter)
{
    if (mAccentComponents &&
        mSource->AddAccentComponents(inInterpreter.GetOperandStack(), *mAccentComponents) != eSuccess)
        return eFailure;
    return WriteOperator(14);
}

OpStatus CharStringType2Flattener::OnHstemhm(CharStringType2Interpreter& inInterpreter)
{
    mStemsCount += static_cast<uint32_t>(inInterpreter.GetStackSize() / 2);
    return WriteOperator(18);
}

OpStatus CharStringType2Flattener::OnRmoveto(CharStringType2Interpreter&)
{
    return WriteOperator(21);
}

OpStatus CharStringType2Flattener::OnHmoveto(CharStringType2Interpreter&)
{
    return WriteOperator(22);
}

OpStatus CharStringType2Flattener::OnVstemhm(CharStringType2Interpreter& inInterpreter)
{
    mStemsCount += static_cast<uint32_t>(inInterpreter.GetStackSize() / 2);
    return WriteOperator(23);
}

OpStatus CharStringType2Flattener::OnRcurveline(CharStringType2Interpreter&)
{
    return WriteOperator(24);
}

OpStatus CharStringType2Flattener::OnRlinecurve(CharStringType2Interpreter&)
{
    return WriteOperator(25);
}

OpStatus CharStringType2Flattener::OnVvcurveto(CharStringType2Interpreter&)
{
    return WriteOperator(26);
}

OpStatus CharStringType2Flattener::OnHvcurveto(CharStringType2Interpreter&)
{
    return WriteOperator(31);
}

OpStatus CharStringType2Flattener::OnHhcurveto(CharStringType2Interpreter&)
{
    return WriteOperator(27);
}

OpStatus CharStringType2Flattener::OnVhcurveto(CharStringType2Interpreter&)
{
    return WriteOperator(30);
}

OpStatus CharStringType2Flattener::OnHflex(CharStringType2Interpreter&)
{
    return WriteOperator(0x0C22);
}

OpStatus CharStringType2Flattener::OnHflex1(CharStringType2Interpreter&)
{
    return WriteOperator(0x0C24);
}

OpStatus CharStringType2Flattener::OnFlex(CharStringType2Interpreter&)
{
    return WriteOperator(0x0C23);
}

OpStatus CharStringType2Flattener::OnFlex1(CharStringType2Interpreter&)
{
    return WriteOperator(0x0C25);
}

OpStatus CharStringType2Flattener::OnAnd(CharStringType2Interpreter&)
{
    return WriteOperator(0x0C03);
}

OpStatus CharStringType2Flattener::OnOr(CharStringType2Interpreter&)
{
    return WriteOperator(0x0C04);
}

OpStatus CharStringType2Flattener::OnNot(CharStringType2Interpreter&)
{
    return WriteOperator(0x0C05);
}

OpStatus CharStringType2Flattener::OnAbs(CharStringType2Interpreter&)
{
    return WriteOperator(0x0C09);
}

OpStatus CharStringType2Flattener::OnAdd(CharStringType2Interpreter&)
{
    return WriteOperator(0x0C0A);
}

OpStatus CharStringType2Flattener::OnSub(CharStringType2Interpreter&)
{
    return WriteOperator(0x0C0B);
}

OpStatus CharStringType2Flattener::OnDiv(CharStringType2Interpreter&)
{
    return WriteOperator(0x0C0C);
}

OpStatus CharStringType2Flattener::OnNeg(CharStringType2Interpreter&)
{
    return WriteOperator(0x0C0E);
}

OpStatus CharStringType2Flattener::OnEq(CharStringType2Interpreter&)
{
    return WriteOperator(0x0C0F);
}

OpStatus CharStringType2Flattener::OnDrop(CharStringType2Interpreter&)
{
    return WriteOperator(0x0C12);
}

OpStatus CharStringType2Flattener::OnPut(CharStringType2Interpreter&)
{
    return WriteOperator(0x0C14);
}

OpStatus CharStringType2Flattener::OnGet(CharStringType2Interpreter&)
{
    return WriteOperator(0x0C15);
}

OpStatus CharStringType2Flattener::OnIfelse(CharStringType2Interpreter&)
{
    return WriteOperator(0x0C16);
}

OpStatus CharStringType2Flattener::OnRandom(CharStringType2Interpreter&)
{
    return WriteOperator(0x0C17);
}

OpStatus CharStringType2Flattener::OnMul(CharStringType2Interpreter&)
{
    return WriteOperator(0x0C18);
}

OpStatus CharStringType2Flattener::OnSqrt(CharStringType2Interpreter&)
{
    return WriteOperator(0x0C1A);
}

OpStatus CharStringType2Flattener::OnDup(CharStringType2Interpreter&)
{
    return WriteOperator(0x0C1B);
}

OpStatus CharStringType2Flattener::OnExch(CharStringType2Interpreter&)
{
    return WriteOperator(0x0C1C);
}

OpStatus CharStringType2Flattener::OnIndex(CharStringType2Interpreter&)
{
    return WriteOperator(0x0C1D);
}

OpStatus CharStringType2Flattener::OnRoll(CharStringType2Interpreter&)
{
    return WriteOperator(0x0C1E);
}
