#pragma once
// Reads big-endian values (sfnt tables, CFF cards) from a positioned stream that the caller owns.
// Offsets are counted from the origin: the stream position when the stream was set. The status
// is sticky: after the first short read every later read returns -1 without touching the stream,
// and positioning does nothing either, so a table reader can run on and report once at its end.
// A reader made without a stream starts failed.

#include "pdf/io/IByteReaderWithPosition.h"

class BigEndianReader {
public:
    BigEndianReader() = default;
    explicit BigEndianReader(IByteReaderWithPosition* inStream) { SetStream(inStream); }

    // Takes the stream (not owned) with its current position as the origin; status 0 (-1 for null).
    void SetStream(IByteReaderWithPosition* inStream);
    IByteReaderWithPosition* GetStream() const { return mStream; }
    LongFilePositionType GetOrigin() const { return mOrigin; }

    // Each stores its value only on success.
    OpStatus ReadByte(Byte& outValue);
    OpStatus ReadChar(char& outValue);
    OpStatus ReadUInt16(uint16_t& outValue);
    OpStatus ReadSInt16(int16_t& outValue);
    OpStatus ReadUInt32(uint32_t& outValue);
    OpStatus ReadSInt32(int32_t& outValue);
    // A 16.16 fixed value: signed integer part plus fraction / 65536.
    OpStatus ReadFixed(double& outValue);
    // Eight bytes, most significant first (the LONGDATETIME of head).
    OpStatus ReadDateTime64(long long& outValue);
    // Exactly inSize bytes or failure.
    OpStatus Read(Byte* outBuffer, size_t inSize);

    void SetOffset(LongFilePositionType inOffsetFromOrigin);
    void Skip(size_t inByteCount);
    LongFilePositionType GetOffset();

    OpStatus GetStatus() const { return mStatus; }

private:
    IByteReaderWithPosition* mStream = nullptr;
    LongFilePositionType mOrigin = 0;
    OpStatus mStatus = eFailure;
};
