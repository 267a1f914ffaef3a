#pragma once
// Reads the primitive values of CFF data from a positioned stream the caller owns: cards,
// INDEX offsets of the current offSize, and DICT integer and real operands. Positions are
// relative to the start of the CFF data (the stream position when the stream was set). The
// status is sticky, as the big-endian reader's: after the first short read every read fails.
// An unsupported offSize or operand byte fails that call only.

#include "pdf/fonts/BigEndianReader.h"

class CFFValueReader {
public:
    CFFValueReader() = default;
    explicit CFFValueReader(IByteReaderWithPosition* inStream) { SetStream(inStream); }

    void SetStream(IByteReaderWithPosition* inStream) { mReader.SetStream(inStream); }
    IByteReaderWithPosition* GetStream() const { return mReader.GetStream(); }
    LongFilePositionType GetCFFStart() const { return mReader.GetOrigin(); }

    OpStatus ReadCard8(Byte& outValue) { return mReader.ReadByte(outValue); }
    OpStatus ReadCard16(uint16_t& outValue) { return mReader.ReadUInt16(outValue); }
    OpStatus ReadCard32(uint32_t& outValue) { return mReader.ReadUInt32(outValue); }
    OpStatus GetUInt24(uint32_t& outValue);
    OpStatus Read(Byte* outBuffer, size_t inSize) { return mReader.Read(outBuffer, inSize); }

    void SetOffSize(Byte inOffSize) { mOffSize = inOffSize; }
    Byte GetOffSize() const { return mOffSize; }
    // One INDEX offset of the current offSize (1 to 4 bytes).
    OpStatus GetOffsetBySize(uint32_t& outValue);

    // The integer that starts with inFirstByte (28, 29 or 32 to 254), the rest read here.
    OpStatus GetDictInteger(Byte inFirstByte, int32_t& outValue);
    // The real that follows the byte 30, and the count of its fraction digits.
    OpStatus GetDictReal(double& outValue, int& outFractionDigits);

    void SetOffset(LongFilePositionType inOffsetFromCFFStart) { mReader.SetOffset(inOffsetFromCFFStart); }
    void Skip(size_t inByteCount) { mReader.Skip(inByteCount); }
    LongFilePositionType GetOffset() { return mReader.GetOffset(); }

    OpStatus GetStatus() const { return mReader.GetStatus(); }

private:
    BigEndianReader mReader;
    Byte mOffSize = 0;
};
