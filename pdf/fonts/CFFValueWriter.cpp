#include "pdf/fonts/CFFValueWriter.h"

#include "pdf/io/DiagnosticLog.h"

#include <cmath>
#include <string>
#include <vector>

void CFFValueWriter::SetStream(IByteWriter* inStream)
{
    mStream = inStream;
    mStatus = inStream ? eSuccess : eFailure;
}

OpStatus CFFValueWriter::Write(const Byte* inBuffer, size_t inSize)
{
    if (mStatus != eSuccess)
        return eFailure;
    if (inSize > 0 && mStream->WriteBytes(inBuffer, inSize) != inSize)
        mStatus = eFailure;
    return mStatus;
}

OpStatus CFFValueWriter::PutByte(int inValue)
{
    Byte byte = static_cast<Byte>(inValue & 0xFF);
    return Write(&byte, 1);
}

OpStatus CFFValueWriter::PutCard16(uint16_t inValue)
{
    Byte bytes[2] = {static_cast<Byte>(inValue >> 8), static_cast<Byte>(inValue & 0xFF)};
    return Write(bytes, 2);
}

OpStatus CFFValueWriter::PutUInt24(uint32_t inValue)
{
    Byte bytes[3] = {static_cast<Byte>((inValue >> 16) & 0xFF), static_cast<Byte>((inValue >> 8) & 0xFF),
                     static_cast<Byte>(inValue & 0xFF)};
    return Write(bytes, 3);
}

OpStatus CFFValueWriter::PutCard32(uint32_t inValue)
{
    Byte bytes[4] = {static_cast<Byte>(inValue >> 24), static_cast<Byte>((inValue >> 16) & 0xFF),
                     static_cast<Byte>((inValue >> 8) & 0xFF), static_cast<Byte>(inValue & 0xFF)};
    return Write(bytes, 4);
}

OpStatus CFFValueWriter::PutOffset(uint32_t inValue)
{
    switch (mOffSize) {
    case 1:
        return PutByte(static_cast<int>(inValue));
    case 2:
        return PutCard16(static_cast<uint16_t>(inValue));
    case 3:
        return PutUInt24(inValue);
    case 4:
        return PutCard32(inValue);
    default:
        return eFailure;
    }
}

OpStatus CFFValueWriter::PutIntegerOperand(int32_t inValue)
{
    if (inValue >= -107 && inValue <= 107)
        return PutByte(inValue + 139);
    if (inValue >= 108 && inValue <= 1131) {
        int value = inValue - 108;
        Byte bytes[2] = {static_cast<Byte>((value >> 8) + 247), static_cast<Byte>(value & 0xFF)};
        return Write(bytes, 2);
    }
    if (inValue >= -1131 && inValue <= -108) {
        int value = -inValue - 108;
        Byte bytes[2] = {static_cast<Byte>((value >> 8) + 251), static_cast<Byte>(value & 0xFF)};
        return Write(bytes, 2);
    }
    if (inValue >= -32768 && inValue <= 32767) {
        uint16_t value = static_cast<uint16_t>(static_cast<int16_t>(inValue));
        Byte bytes[3] = {28, static_cast<Byte>(value >> 8), static_cast<Byte>(value & 0xFF)};
        return Write(bytes, 3);
    }
    return PutFiveByteInteger(inValue);
}

OpStatus CFFValueWriter::PutFiveByteInteger(int32_t inValue)
{
    uint32_t value = static_cast<uint32_t>(inValue);
    Byte bytes[5] = {29, static_cast<Byte>(value >> 24), static_cast<Byte>((value >> 16) & 0xFF),
                     static_cast<Byte>((value >> 8) & 0xFF), static_cast<Byte>(value & 0xFF)};
    return Write(bytes, 5);
}

OpStatus CFFValueWriter::PutRealOperand(double inValue, int inFractionDigits)
{
    if (mStatus != eSuccess)
        return eFailure;
    double magnitude = std::fabs(inValue);
    // The integer part is written digit by digit from a 64-bit integer.
    if (!std::isfinite(inValue) || magnitude >= 1e15) {
        TraceMessage("CFFValueWriter::PutRealOperand, cannot write the real value %g", inValue);
        return eFailure;
    }
    long long integerPart = static_cast<long long>(std::floor(magnitude));
    double fraction = magnitude - static_cast<double>(integerPart);
    int exponent = 0;

    if (fraction != 0 && integerPart == 0 && fraction <= 0.001) {
        while (fraction < 0.1) {
            fraction *= 10;
            --exponent;
        }
    }
    if (fraction == 0 && integerPart >= 1000 && integerPart % 1000 == 0) {
        while (integerPart % 10 == 0) {
            integerPart /= 10;
            ++exponent;
        }
    }

    std::vector<Byte> nibbles;
    if (inValue < 0)
        nibbles.push_back(0xE);
    if (integerPart != 0) {
        std::string digits = std::to_string(integerPart);
        for (char digit : digits)
            nibbles.push_back(static_cast<Byte>(digit - '0'));
    }
    if (fraction != 0) {
        if (integerPart == 0)
            nibbles.push_back(0);
        nibbles.push_back(0xA);
        for (int i = 0; i < inFractionDigits && fraction != 0; ++i) {
            fraction *= 10;
            int digit = static_cast<int>(fraction);
            nibbles.push_back(static_cast<Byte>(digit));
            fraction -= digit;
        }
    }
    if (exponent != 0) {
        nibbles.push_back(exponent < 0 ? 0xC : 0xB);
        for (char digit : std::to_string(exponent < 0 ? -exponent : exponent))
            nibbles.push_back(static_cast<Byte>(digit - '0'));
    }

    std::vector<Byte> bytes;
    bytes.push_back(30);
    for (size_t i = 0; i + 1 < nibbles.size(); i += 2)
        bytes.push_back(static_cast<Byte>((nibbles[i] << 4) | nibbles[i + 1]));
    bytes.push_back(nibbles.size() % 2 == 1 ? static_cast<Byte>((nibbles.back() << 4) | 0xF) : 0xFF);
    return Write(bytes.data(), bytes.size());
}

OpStatus CFFValueWriter::PutDictEntry(uint16_t inOperatorKey, const DictOperandList& inOperands)
{
    for (const DictOperand& operand : inOperands) {
        OpStatus status = operand.mIsInteger ? PutIntegerOperand(operand.mIntegerValue)
                                             : PutRealOperand(operand.mRealValue, operand.mRealFractionDigits);
        if (status != eSuccess)
            return eFailure;
    }
    if ((inOperatorKey >> 8) == 12) {
        Byte bytes[2] = {12, static_cast<Byte>(inOperatorKey & 0xFF)};
        return Write(bytes, 2);
    }
    return PutByte(inOperatorKey & 0xFF);
}
