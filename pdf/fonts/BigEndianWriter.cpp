#include "pdf/fonts/BigEndianWriter.h"

void BigEndianWriter::SetStream(IByteWriterWithPosition* inStream)
{
    mStream = inStream;
    mStatus = inStream ? eSuccess : eFailure;
}

OpStatus BigEndianWriter::Write(const Byte* inBuffer, size_t inSize)
{
    if (mStatus != eSuccess)
        return eFailure;
    if (inSize > 0 && mStream->WriteBytes(inBuffer, inSize) != inSize)
        mStatus = eFailure;
    return mStatus;
}

OpStatus BigEndianWriter::WriteByte(Byte inValue)
{
    return Write(&inValue, 1);
}

OpStatus BigEndianWriter::WriteUInt16(uint16_t inValue)
{
    Byte bytes[2] = {static_cast<Byte>(inValue >> 8), static_cast<Byte>(inValue & 0xFF)};
    return Write(bytes, 2);
}

OpStatus BigEndianWriter::WriteSInt16(int16_t inValue)
{
    return WriteUInt16(static_cast<uint16_t>(inValue));
}

OpStatus BigEndianWriter::WriteUInt32(uint32_t inValue)
{
    Byte bytes[4] = {static_cast<Byte>(inValue >> 24), static_cast<Byte>((inValue >> 16) & 0xFF),
                     static_cast<Byte>((inValue >> 8) & 0xFF), static_cast<Byte>(inValue & 0xFF)};
    return Write(bytes, 4);
}

OpStatus BigEndianWriter::WriteTwelveZeroBytes()
{
    static const Byte scZeros[12] = {0};
    return Write(scZeros, sizeof(scZeros));
}

OpStatus BigEndianWriter::PadToFourBytes()
{
    if (mStatus != eSuccess)
        return eFailure;
    static const Byte scZeros[3] = {0};
    size_t remainder = static_cast<size_t>(mStream->TellPosition() % 4);
    return remainder == 0 ? eSuccess : Write(scZeros, 4 - remainder);
}
