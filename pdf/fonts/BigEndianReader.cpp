#include "pdf/fonts/BigEndianReader.h"

void BigEndianReader::SetStream(IByteReaderWithPosition* inStream)
{
    mStream = inStream;
    mOrigin = inStream ? inStream->TellPosition() : 0;
    mStatus = inStream ? eSuccess : eFailure;
}

OpStatus BigEndianReader::Read(Byte* outBuffer, size_t inSize)
{
    if (mStatus != eSuccess)
        return eFailure;
    if (inSize > 0 && mStream->Read(outBuffer, inSize) != inSize)
        mStatus = eFailure;
    return mStatus;
}

OpStatus BigEndianReader::ReadByte(Byte& outValue)
{
    Byte value;
    if (Read(&value, 1) != eSuccess)
        return eFailure;
    outValue = value;
    return eSuccess;
}

OpStatus BigEndianReader::ReadChar(char& outValue)
{
    Byte value;
    if (ReadByte(value) != eSuccess)
        return eFailure;
    outValue = static_cast<char>(value);
    return eSuccess;
}

OpStatus BigEndianReader::ReadUInt16(uint16_t& outValue)
{
    Byte bytes[2];
    if (Read(bytes, 2) != eSuccess)
        return eFailure;
    outValue = static_cast<uint16_t>((bytes[0] << 8) | bytes[1]);
    return eSuccess;
}

OpStatus BigEndianReader::ReadSInt16(int16_t& outValue)
{
    uint16_t value;
    if (ReadUInt16(value) != eSuccess)
        return eFailure;
    outValue = static_cast<int16_t>(value);
    return eSuccess;
}

OpStatus BigEndianReader::ReadUInt32(uint32_t& outValue)
{
    Byte bytes[4];
    if (Read(bytes, 4) != eSuccess)
        return eFailure;
    outValue = (static_cast<uint32_t>(bytes[0]) << 24) | (static_cast<uint32_t>(bytes[1]) << 16) |
               (static_cast<uint32_t>(bytes[2]) << 8) | bytes[3];
    return eSuccess;
}

OpStatus BigEndianReader::ReadSInt32(int32_t& outValue)
{
    uint32_t value;
    if (ReadUInt32(value) != eSuccess)
        return eFailure;
    outValue = static_cast<int32_t>(value);
    return eSuccess;
}

OpStatus BigEndianReader::ReadFixed(double& outValue)
{
    uint32_t value;
    if (ReadUInt32(value) != eSuccess)
        return eFailure;
    outValue = static_cast<int16_t>(value >> 16) + (value & 0xFFFF) / 65536.0;
    return eSuccess;
}

OpStatus BigEndianReader::ReadDateTime64(long long& outValue)
{
    Byte bytes[8];
    if (Read(bytes, 8) != eSuccess)
        return eFailure;
    unsigned long long value = 0;
    for (Byte byte : bytes)
        value = (value << 8) | byte;
    outValue = static_cast<long long>(value);
    return eSuccess;
}

void BigEndianReader::SetOffset(LongFilePositionType inOffsetFromOrigin)
{
    if (mStatus == eSuccess)
        mStream->SeekFromStart(mOrigin + inOffsetFromOrigin);
}

void BigEndianReader::Skip(size_t inByteCount)
{
    if (mStatus == eSuccess)
        mStream->SkipForward(inByteCount);
}

LongFilePositionType BigEndianReader::GetOffset()
{
    return mStream ? mStream->TellPosition() - mOrigin : 0;
}
