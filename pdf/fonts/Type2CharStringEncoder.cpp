#include "pdf/fonts/Type2CharStringEncoder.h"

#include <cmath>

OpStatus Type2CharStringEncoder::WriteBytes(const Byte* inBytes, size_t inSize)
{
    if (!mStream)
        return eFailure;
    return inSize == 0 || mStream->WriteBytes(inBytes, inSize) == inSize ? eSuccess : eFailure;
}

OpStatus Type2CharStringEncoder::WriteCharStringOperand(long inValue)
{
    Byte bytes[3];
    size_t size;
    if (inValue >= -107 && inValue <= 107) {
        bytes[0] = static_cast<Byte>(inValue + 139);
        size = 1;
    } else if (inValue >= 108 && inValue <= 1131) {
        bytes[0] = static_cast<Byte>((inValue - 108) / 256 + 247);
        bytes[1] = static_cast<Byte>((inValue - 108) % 256);
        size = 2;
    } else if (inValue >= -1131 && inValue <= -108) {
        bytes[0] = static_cast<Byte>((-inValue - 108) / 256 + 251);
        bytes[1] = static_cast<Byte>((-inValue - 108) % 256);
        size = 2;
    } else if (inValue >= -32768 && inValue <= 32767) {
        bytes[0] = 28;
        bytes[1] = static_cast<Byte>((inValue >> 8) & 0xFF);
        bytes[2] = static_cast<Byte>(inValue & 0xFF);
        size = 3;
    } else {
        return eFailure;
    }
    return WriteBytes(bytes, size);
}

OpStatus Type2CharStringEncoder::WriteRealOperand(double inValue)
{
    double fixed = std::trunc(inValue * 65536.0);
    if (!(fixed >= -2147483648.0 && fixed <= 2147483647.0))
        return eFailure;
    uint32_t value = static_cast<uint32_t>(static_cast<int32_t>(fixed));
    Byte bytes[5] = {255, static_cast<Byte>(value >> 24), static_cast<Byte>(value >> 16), static_cast<Byte>(value >> 8),
                     static_cast<Byte>(value)};
    return WriteBytes(bytes, 5);
}

OpStatus Type2CharStringEncoder::WriteOperand(const Type2Operand& inOperand)
{
    return inOperand.mIsInteger ? WriteCharStringOperand(inOperand.mIntegerValue) : WriteRealOperand(inOperand.mRealValue);
}

OpStatus Type2CharStringEncoder::WriteNumberOperand(double inValue)
{
    if (std::trunc(inValue) == inValue && std::fabs(inValue) <= 2147483647.0)
        return WriteCharStringOperand(static_cast<long>(inValue));
    return WriteRealOperand(inValue);
}

OpStatus Type2CharStringEncoder::WriteOperator(uint16_t inOperatorCode)
{
    if ((inOperatorCode >> 8) == 12) {
        Byte bytes[2] = {12, static_cast<Byte>(inOperatorCode & 0xFF)};
        return WriteBytes(bytes, 2);
    }
    Byte byte = static_cast<Byte>(inOperatorCode & 0xFF);
    return WriteBytes(&byte, 1);
}

OpStatus Type2CharStringEncoder::WriteHintMask(unsigned long inMask, size_t inByteCount)
{
    for (size_t i = inByteCount; i > 0; --i) {
        size_t shift = 8 * (i - 1);
        Byte byte = shift < 8 * sizeof(unsigned long) ? static_cast<Byte>((inMask >> shift) & 0xFF) : 0;
        if (WriteBytes(&byte, 1) != eSuccess)
            return eFailure;
    }
    return eSuccess;
}
