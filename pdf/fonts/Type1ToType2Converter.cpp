#include "pdf/fonts/Type1ToType2Converter.h"

#include "pdf/fonts/Type1CharStringInterpreter.h"
#include "pdf/fonts/Type1Input.h"
#include "pdf/fonts/Type2CharStringEncoder.h"
#include "pdf/io/DiagnosticLog.h"

#include <cstdint>

namespace {

enum : uint16_t {
    kHstem = 1,
    kVstem = 3,
    kVmoveto = 4,
    kRlineto = 5,
    kHlineto = 6,
    kVlineto = 7,
    kRrcurveto = 8,
    kEndchar = 14,
    kHstemhm = 18,
    kHintmask = 19,
    kRmoveto = 21,
    kHmoveto = 22,
    kVstemhm = 23,
    kVvcurveto = 26,
    kHhcurveto = 27,
    kVhcurveto = 30,
    kHvcurveto = 31,
    kVstem3 = 0x0C01,
    kHstem3 = 0x0C02,
    kHintReplacement = 0x0C10,
    kFlex = 0x0C23,
};

// Operands of one merged path command stay below this count.
const size_t kMaxMergedOperands = 40;
// Stems per stem command: with the width, well inside the 48 entries of the argument stack.
const size_t kMaxStemsPerCommand = 22;

bool IsStemCommand(uint16_t inCode)
{
    return inCode == kHstem || inCode == kVstem || inCode == kVstem3 || inCode == kHstem3;
}

bool IsMoveto(uint16_t inCode)
{
    return inCode == kVmoveto || inCode == kRmoveto || inCode == kHmoveto;
}

bool IsPathCommand(uint16_t inCode)
{
    switch (inCode) {
    case kVmoveto:
    case kRlineto:
    case kHlineto:
    case kVlineto:
    case kRrcurveto:
    case kRmoveto:
    case kHmoveto:
    case kVvcurveto:
    case kHhcurveto:
    case kVhcurveto:
    case kHvcurveto:
    case kFlex:
        return true;
    default:
        return false;
    }
}

} // namespace

void Type1ToType2Converter::Clear()
{
    mCommands.clear();
    mHintReplacement = mLateStems = mDrawing = mFirstFlexPoint = mInFlex = false;
    mFlexParameters.clear();
    mSideBearingX = mSideBearingY = mWidthX = mWidthY = 0;
    mHorizontalStems.clear();
    mVerticalStems.clear();
    mHorizontalHintNumbers.clear();
    mVerticalHintNumbers.clear();
}

OpStatus Type1ToType2Converter::WriteConvertedFontProgram(const std::string& inGlyphName, Type1Input* inFont,
                                                          IByteWriter* inOutput)
{
    Clear();
    mSeacComponents.clear();
    mFont = inFont;
    const Type1CharString* program = inFont ? inFont->GetGlyphCharString(inGlyphName) : nullptr;
    if (!program) {
        TraceMessage("Type1ToType2Converter::WriteConvertedFontProgram, Exception, cannot find glyph name %s",
                     TraceExcerpt(inGlyphName).c_str());
        return eFailure;
    }
    Type1CharStringInterpreter interpreter;
    // A flex left open is a damaged program as much as one that fails to run.
    if (interpreter.InterpretCharString(*program, this) != eSuccess || mInFlex) {
        TraceMessage("Type1ToType2Converter::WriteConvertedFontProgram, Exception, failed to interpret glyph");
        Clear();
        return eFailure;
    }
    if (ConvertStems() != eSuccess) {
        TraceMessage("Type1ToType2Converter::WriteConvertedFontProgram, Exception, the glyph %s has more stem hints "
                     "than a Type 2 glyph may hold",
                     TraceExcerpt(inGlyphName).c_str());
        Clear();
        return eFailure;
    }
    ConvertPathCommands();
    MergeRuns();
    AddWidth();
    OpStatus status = Encode(inOutput);
    if (status != eSuccess)
        TraceMessage("Type1ToType2Converter::WriteConvertedFontProgram, Exception, can't write program to target stream");
    Clear();
    return status;
}

int Type1ToType2Converter::Record(uint16_t inCode, const Type1OperandStack& inOperandStack, size_t inCount)
{
    // The interpreter has checked that the operator's operands are there; only they are kept.
    if (inOperandStack.size() < inCount)
        return -1;
    mCommands.push_back({inCode, std::vector<double>(inOperandStack.end() - static_cast<long>(inCount),
                                                     inOperandStack.end())});
    return 0;
}

int Type1ToType2Converter::AddStems(std::set<Stem>& ioStems, uint16_t inCode, const Type1OperandStack& inOperandStack,
                                    size_t inCount)
{
    if (inOperandStack.size() < inCount)
        return -1;
    if (mDrawing)
        mLateStems = true;
    for (size_t i = inOperandStack.size() - inCount; i < inOperandStack.size(); i += 2)
        ioStems.insert(Stem(inOperandStack[i], inOperandStack[i + 1]));
    return Record(inCode, inOperandStack, inCount);
}

int Type1ToType2Converter::OnHstem(Type1OperandStack& inOperandStack)
{
    return AddStems(mHorizontalStems, kHstem, inOperandStack, 2);
}

int Type1ToType2Converter::OnVstem(Type1OperandStack& inOperandStack)
{
    return AddStems(mVerticalStems, kVstem, inOperandStack, 2);
}

int Type1ToType2Converter::OnHstem3(Type1OperandStack& inOperandStack)
{
    return AddStems(mHorizontalStems, kHstem3, inOperandStack, 6);
}

int Type1ToType2Converter::OnVstem3(Type1OperandStack& inOperandStack)
{
    return AddStems(mVerticalStems, kVstem3, inOperandStack, 6);
}

int Type1ToType2Converter::OnVmoveto(Type1OperandStack& inOperandStack)
{
    mDrawing = true;
    return Record(kVmoveto, inOperandStack, 1);
}

int Type1ToType2Converter::OnRlineto(Type1OperandStack& inOperandStack)
{
    mDrawing = true;
    return Record(kRlineto, inOperandStack, 2);
}

int Type1ToType2Converter::OnHlineto(Type1OperandStack& inOperandStack)
{
    mDrawing = true;
    return Record(kHlineto, inOperandStack, 1);
}

int Type1ToType2Converter::OnVlineto(Type1OperandStack& inOperandStack)
{
    mDrawing = true;
    return Record(kVlineto, inOperandStack, 1);
}

int Type1ToType2Converter::OnRrcurveto(Type1OperandStack& inOperandStack)
{
    mDrawing = true;
    return Record(kRrcurveto, inOperandStack, 6);
}

int Type1ToType2Converter::OnHmoveto(Type1OperandStack& inOperandStack)
{
    mDrawing = true;
    return Record(kHmoveto, inOperandStack, 1);
}

int Type1ToType2Converter::OnVhcurveto(Type1OperandStack& inOperandStack)
{
    mDrawing = true;
    return Record(kVhcurveto, inOperandStack, 4);
}

int Type1ToType2Converter::OnHvcurveto(Type1OperandStack& inOperandStack)
{
    mDrawing = true;
    return Record(kHvcurveto, inOperandStack, 4);
}

int Type1ToType2Converter::OnRmoveto(Type1OperandStack& inOperandStack)
{
    mDrawing = true;
    if (!mInFlex)
        return Record(kRmoveto, inOperandStack, 2);
    if (inOperandStack.size() < 2)
        return -1;
    double dx = inOperandStack[inOperandStack.size() - 2];
    double dy = inOperandStack.back();
    // The reference point and the first control point become one relative move.
    if (mFirstFlexPoint && mFlexParameters.size() == 2) {
        mFlexParameters[0] += dx;
        mFlexParameters[1] += dy;
        mFirstFlexPoint = false;
        return 0;
    }
    if (mFlexParameters.size() >= 12)
        return -1;
    mFlexParameters.push_back(dx);
    mFlexParameters.push_back(dy);
    return 0;
}

const Type1CharString* Type1ToType2Converter::GetLocalSubr(long inSubrIndex)
{
    return mFont ? mFont->GetLocalSubr(inSubrIndex) : nullptr;
}

int Type1ToType2Converter::LenIVBytes()
{
    return mFont ? mFont->LenIVBytes() : 4;
}

int Type1ToType2Converter::OnHsbw(Type1OperandStack& inOperandStack)
{
    if (inOperandStack.size() < 2)
        return -1;
    mSideBearingX = inOperandStack[inOperandStack.size() - 2];
    mSideBearingY = 0;
    mWidthX = inOperandStack.back();
    mWidthY = 0;
    return 0;
}

int Type1ToType2Converter::OnSbw(Type1OperandStack& inOperandStack)
{
    size_t size = inOperandStack.size();
    if (size < 4)
        return -1;
    mSideBearingX = inOperandStack[size - 4];
    mSideBearingY = inOperandStack[size - 3];
    mWidthX = inOperandStack[size - 2];
    mWidthY = inOperandStack[size - 1];
    return 0;
}

int Type1ToType2Converter::OnEndchar(Type1OperandStack& inOperandStack)
{
    return Record(kEndchar, inOperandStack, 0);
}

int Type1ToType2Converter::OnSeac(Type1OperandStack& inOperandStack)
{
    // asb adx ady bchar achar. Type 1 places the accent's origin at adx - asb from the base's
    // side bearing point; a Type 2 glyph has no side bearing point, so its adx is measured from
    // the origin. The composite's side bearing is its base's, as Type 1 fonts make them.
    // The interpreter has checked that both codes are whole numbers.
    size_t size = inOperandStack.size();
    if (size < 5)
        return -1;
    double adx = inOperandStack[size - 4] - inOperandStack[size - 5] + mSideBearingX;
    double base = inOperandStack[size - 2];
    double accent = inOperandStack[size - 1];
    if (base < 0 || base > 255 || accent < 0 || accent > 255)
        return -1;
    mSeacComponents = {static_cast<Byte>(base), static_cast<Byte>(accent)};
    mCommands.push_back({kEndchar, {adx, inOperandStack[size - 3], base, accent}});
    return 0;
}

bool Type1ToType2Converter::AcceptsOtherSubr(long inOtherSubrIndex)
{
    switch (inOtherSubrIndex) {
    case 3:
        mHintReplacement = true;
        mCommands.push_back({kHintReplacement, {}});
        return false;
    case 1:
        mInFlex = true;
        mFirstFlexPoint = true;
        mFlexParameters.clear();
        return false;
    case 0:
        return mInFlex;
    default:
        return false;
    }
}

int Type1ToType2Converter::OnCallOtherSubr(Type1OperandStack& inOperandStack, Type1OperandStack& inPostScriptStack)
{
    // ... flexHeight x y 3 0 callothersubr, after seven flex moves. The interpreter has checked
    // that the count and the number are whole; the height and the end point are coordinates,
    // fractions in a font that divides, and stay reals.
    size_t size = inOperandStack.size();
    if (size < 5 || inOperandStack[size - 2] != 3 || mFlexParameters.size() != 12)
        return -1;
    // The Type 1 flex height is the Type 2 flex depth: both in hundredths of a device pixel.
    mFlexParameters.push_back(inOperandStack[size - 5]);
    // What the flex procedure leaves for the program's "pop pop setcurrentpoint": x, then y.
    inPostScriptStack.push_back(inOperandStack[size - 3]);
    inPostScriptStack.push_back(inOperandStack[size - 4]);
    mCommands.push_back({kFlex, mFlexParameters});
    mFlexParameters.clear();
    mInFlex = false;
    mFirstFlexPoint = false;
    return 0;
}

void Type1ToType2Converter::AppendStemCommands(uint16_t inCode, const std::set<Stem>& inStems, double inSideBearing,
                                               CommandList& ioCommands)
{
    size_t inCommand = 0;
    double previousEnd = 0;
    for (const Stem& stem : inStems) {
        if (inCommand == 0) {
            ioCommands.push_back({inCode, {}});
            previousEnd = -inSideBearing;
        }
        ioCommands.back().mOperands.push_back(stem.first - previousEnd);
        ioCommands.back().mOperands.push_back(stem.second);
        previousEnd = stem.first + stem.second;
        inCommand = (inCommand + 1) % kMaxStemsPerCommand;
    }
}

std::vector<double> Type1ToType2Converter::MaskOf(const std::set<size_t>& inHints) const
{
    size_t stems = mHorizontalStems.size() + mVerticalStems.size();
    std::vector<unsigned> mask((stems + 7) / 8, 0);
    for (size_t hint : inHints)
        mask[hint / 8] |= 0x80u >> (hint % 8);
    return std::vector<double>(mask.begin(), mask.end());
}

void Type1ToType2Converter::AddHintsOf(const CharStringCommand& inCommand, std::set<size_t>& ioHints) const
{
    bool horizontal = inCommand.mCode == kHstem || inCommand.mCode == kHstem3;
    const std::map<Stem, size_t>& numbers = horizontal ? mHorizontalHintNumbers : mVerticalHintNumbers;
    for (size_t i = 0; i + 1 < inCommand.mOperands.size(); i += 2) {
        auto it = numbers.find(Stem(inCommand.mOperands[i], inCommand.mOperands[i + 1]));
        if (it != numbers.end())
            ioHints.insert(it->second);
    }
}

OpStatus Type1ToType2Converter::ConvertStems()
{
    CommandList result;
    if (mHorizontalStems.size() + mVerticalStems.size() > kMaxStems)
        return eFailure;
    if (mHorizontalStems.empty() && mVerticalStems.empty()) {
        for (CharStringCommand& command : mCommands) {
            if (!IsStemCommand(command.mCode) && command.mCode != kHintReplacement)
                result.push_back(std::move(command));
        }
        mCommands.swap(result);
        return eSuccess;
    }

    if (!mHintReplacement && !mLateStems) {
        AppendStemCommands(kHstem, mHorizontalStems, mSideBearingY, result);
        AppendStemCommands(kVstem, mVerticalStems, mSideBearingX, result);
        for (CharStringCommand& command : mCommands) {
            if (!IsStemCommand(command.mCode) && command.mCode != kHintReplacement)
                result.push_back(std::move(command));
        }
        mCommands.swap(result);
        return eSuccess;
    }

    size_t hint = 0;
    for (const Stem& stem : mHorizontalStems)
        mHorizontalHintNumbers[stem] = hint++;
    for (const Stem& stem : mVerticalStems)
        mVerticalHintNumbers[stem] = hint++;
    AppendStemCommands(kHstemhm, mHorizontalStems, mSideBearingY, result);
    AppendStemCommands(kVstemhm, mVerticalStems, mSideBearingX, result);

    size_t first = 0;
    while (first < mCommands.size() && mCommands[first].mCode == kHintReplacement)
        ++first;
    if (first == mCommands.size() || !IsStemCommand(mCommands[first].mCode))
        result.push_back({kHintmask, MaskOf({})});

    std::set<size_t> active;
    size_t i = 0;
    while (i < mCommands.size()) {
        if (mCommands[i].mCode == kHintReplacement) {
            active.clear();
            ++i;
        } else if (IsStemCommand(mCommands[i].mCode)) {
            for (; i < mCommands.size() && IsStemCommand(mCommands[i].mCode); ++i)
                AddHintsOf(mCommands[i], active);
            result.push_back({kHintmask, MaskOf(active)});
        } else {
            result.push_back(std::move(mCommands[i]));
            ++i;
        }
    }
    mCommands.swap(result);
    return eSuccess;
}

void Type1ToType2Converter::ConvertPathCommands()
{
    size_t first = 0;
    while (first < mCommands.size() && !IsPathCommand(mCommands[first].mCode))
        ++first;
    if (first < mCommands.size()) {
        // A Type 2 path must open with a move; a Type 1 one may start drawing at the side bearing.
        if (!IsMoveto(mCommands[first].mCode))
            mCommands.insert(mCommands.begin() + static_cast<long>(first), {kRmoveto, {0, 0}});
        CharStringCommand& move = mCommands[first];
        double x = mSideBearingX;
        double y = mSideBearingY;
        if (move.mCode == kVmoveto)
            y += move.mOperands[0];
        else if (move.mCode == kHmoveto)
            x += move.mOperands[0];
        else {
            x += move.mOperands[0];
            y += move.mOperands[1];
        }
        if (x == 0)
            move = {kVmoveto, {y}};
        else if (y != 0)
            move = {kRmoveto, {x, y}};
        else
            move = {kHmoveto, {x}};
    }

    for (CharStringCommand& command : mCommands) {
        if (command.mCode != kRrcurveto)
            continue;
        const std::vector<double>& d = command.mOperands;
        if (d[1] == 0 && d[5] == 0)
            command = {kHhcurveto, {d[0], d[2], d[3], d[4]}};
        else if (d[0] == 0 && d[4] == 0)
            command = {kVvcurveto, {d[1], d[2], d[3], d[5]}};
    }
}

void Type1ToType2Converter::MergeRuns()
{
    CommandList result;
    size_t i = 0;
    while (i < mCommands.size()) {
        CharStringCommand command = std::move(mCommands[i++]);
        std::vector<double>& operands = command.mOperands;
        auto append = [&](const std::vector<double>& inMore) {
            operands.insert(operands.end(), inMore.begin(), inMore.end());
        };
        switch (command.mCode) {
        case kRlineto:
        case kRrcurveto:
        case kVvcurveto:
        case kHhcurveto:
            while (i < mCommands.size() && mCommands[i].mCode == command.mCode &&
                   operands.size() + mCommands[i].mOperands.size() < kMaxMergedOperands)
                append(mCommands[i++].mOperands);
            break;
        case kHlineto:
        case kVlineto: {
            uint16_t expected = command.mCode == kHlineto ? kVlineto : kHlineto;
            while (i < mCommands.size() && mCommands[i].mCode == expected &&
                   operands.size() + mCommands[i].mOperands.size() < kMaxMergedOperands) {
                append(mCommands[i++].mOperands);
                expected = expected == kHlineto ? kVlineto : kHlineto;
            }
            break;
        }
        case kVhcurveto:
        case kHvcurveto: {
            uint16_t expected = command.mCode == kVhcurveto ? kHvcurveto : kVhcurveto;
            while (i < mCommands.size() && mCommands[i].mCode == expected &&
                   operands.size() + mCommands[i].mOperands.size() < kMaxMergedOperands) {
                append(mCommands[i++].mOperands);
                expected = expected == kHvcurveto ? kVhcurveto : kHvcurveto;
            }
            // A following general curve that starts the way the next one of the run would
            // becomes its last curve, with the odd final coordinate.
            if (i < mCommands.size() && mCommands[i].mCode == kRrcurveto && operands.size() + 5 < kMaxMergedOperands) {
                const std::vector<double>& d = mCommands[i].mOperands;
                if (expected == kVhcurveto && d[0] == 0) {
                    append({d[1], d[2], d[3], d[4], d[5]});
                    ++i;
                } else if (expected == kHvcurveto && d[1] == 0) {
                    append({d[0], d[2], d[3], d[5], d[4]});
                    ++i;
                }
            }
            break;
        }
        default:
            break;
        }
        result.push_back(std::move(command));
    }
    mCommands.swap(result);
}

void Type1ToType2Converter::AddWidth()
{
    if (mCommands.empty() || mCommands.back().mCode != kEndchar)
        mCommands.push_back({kEndchar, {}});
    for (CharStringCommand& command : mCommands) {
        switch (command.mCode) {
        case kHstem:
        case kVstem:
        case kVmoveto:
        case kEndchar:
        case kHstemhm:
        case kRmoveto:
        case kHmoveto:
        case kVstemhm:
            command.mOperands.insert(command.mOperands.begin(), mWidthX);
            return;
        default:
            break;
        }
    }
}

OpStatus Type1ToType2Converter::Encode(IByteWriter* inOutput)
{
    Type2CharStringEncoder encoder(inOutput);
    for (size_t i = 0; i < mCommands.size(); ++i) {
        const CharStringCommand& command = mCommands[i];
        if (command.mCode == kHintmask) {
            if (encoder.WriteOperator(kHintmask) != eSuccess)
                return eFailure;
            for (double byte : command.mOperands) {
                Byte value = static_cast<Byte>(byte);
                if (encoder.WriteBytes(&value, 1) != eSuccess)
                    return eFailure;
            }
            continue;
        }
        for (double operand : command.mOperands) {
            if (encoder.WriteNumberOperand(operand) != eSuccess)
                return eFailure;
        }
        // Stem operands right before a hintmask are taken by it as vertical stems.
        bool implicit = command.mCode == kVstemhm && i + 1 < mCommands.size() && mCommands[i + 1].mCode == kHintmask;
        if (!implicit && encoder.WriteOperator(command.mCode) != eSuccess)
            return eFailure;
    }
    return eSuccess;
}
