#include "pdf/fonts/CFFValueReader.h"

#include <cmath>
#include <initializer_list>

OpStatus CFFValueReader::GetUInt24(uint32_t& outValue)
{
    Byte bytes[3];
    if (mReader.Read(bytes, 3) != eSuccess)
        return eFailure;
    outValue = (static_cast<uint32_t>(bytes[0]) << 16) | (static_cast<uint32_t>(bytes[1]) << 8) | bytes[2];
    return eSuccess;
}

OpStatus CFFValueReader::GetOffsetBySize(uint32_t& outValue)
{
    switch (mOffSize) {
    case 1: {
        Byte value;
        if (ReadCard8(value) != eSuccess)
            return eFailure;
        outValue = value;
        return eSuccess;
    }
    case 2: {
        uint16_t value;
        if (ReadCard16(value) != eSuccess)
            return eFailure;
        outValue = value;
        return eSuccess;
    }
    case 3:
        return GetUInt24(outValue);
    case 4:
        return ReadCard32(outValue);
    default:
        return eFailure;
    }
}

OpStatus CFFValueReader::GetDictInteger(Byte inFirstByte, int32_t& outValue)
{
    if (inFirstByte >= 32 && inFirstByte <= 246) {
        outValue = inFirstByte - 139;
        return eSuccess;
    }
    if (inFirstByte >= 247 && inFirstByte <= 254) {
        Byte second;
        if (ReadCard8(second) != eSuccess)
            return eFailure;
        outValue = inFirstByte <= 250 ? (inFirstByte - 247) * 256 + second + 108
                                      : -(inFirstByte - 251) * 256 - second - 108;
        return eSuccess;
    }
    if (inFirstByte == 28) {
        uint16_t value;
        if (ReadCard16(value) != eSuccess)
            return eFailure;
        outValue = static_cast<int16_t>(value);
        return eSuccess;
    }
    if (inFirstByte == 29) {
        uint32_t value;
        if (ReadCard32(value) != eSuccess)
            return eFailure;
        outValue = static_cast<int32_t>(value);
        return eSuccess;
    }
    return eFailure;
}

OpStatus CFFValueReader::GetDictReal(double& outValue, int& outFractionDigits)
{
    // Digit counts are capped: a damaged real may run on for the rest of the data, and digits
    // beyond a double's precision change nothing.
    static const int scMaxCountedDigits = 400;
    double integerPart = 0;
    double fraction = 0;
    int fractionDigits = 0;
    int exponent = 0;
    bool negative = false;
    bool negativeExponent = false;
    enum { eInteger, eFraction, eExponent } part = eInteger;

    while (true) {
        Byte byte;
        if (ReadCard8(byte) != eSuccess)
            return eFailure;
        bool ended = false;
        for (int nibble : {byte >> 4, byte & 0xF}) {
            if (nibble <= 9) {
                if (part == eInteger) {
                    integerPart = integerPart * 10 + nibble;
                } else if (part == eFraction) {
                    if (fractionDigits < scMaxCountedDigits) {
                        fraction = fraction * 10 + nibble;
                        ++fractionDigits;
                    }
                } else if (exponent < scMaxCountedDigits) {
                    exponent = exponent * 10 + nibble;
                }
            } else if (nibble == 0xA) {
                part = eFraction;
            } else if (nibble == 0xB || nibble == 0xC) {
                part = eExponent;
                negativeExponent = nibble == 0xC;
            } else if (nibble == 0xE) {
                negative = true;
            } else if (nibble == 0xF) {
                ended = true;
                break;
            }
        }
        if (ended)
            break;
    }

    double value = (integerPart + fraction / std::pow(10.0, fractionDigits)) *
                   std::pow(10.0, negativeExponent ? -exponent : exponent);
    if (!std::isfinite(value))
        return eFailure;
    outValue = negative ? -value : value;
    outFractionDigits = fractionDigits;
    return eSuccess;
}
