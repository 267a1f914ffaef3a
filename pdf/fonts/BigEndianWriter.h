#pragma once
// Writes big-endian values (sfnt tables) into a stream that the caller owns. The status is
// sticky: after the first short write nothing more is written and every call returns -1, so a
// font builder can write a whole table and check once. A writer made without a stream starts
// failed.

#include "pdf/io/IByteWriterWithPosition.h"

class BigEndianWriter {
public:
    BigEndianWriter() = default;
    explicit BigEndianWriter(IByteWriterWithPosition* inStream) { SetStream(inStream); }

    // Takes the stream (not owned); status 0 (-1 for null).
    void SetStream(IByteWriterWithPosition* inStream);
    IByteWriterWithPosition* GetStream() const { return mStream; }

    OpStatus WriteByte(Byte inValue);
    OpStatus WriteUInt16(uint16_t inValue);
    OpStatus WriteSInt16(int16_t inValue);
    OpStatus WriteUInt32(uint32_t inValue);
    OpStatus Write(const Byte* inBuffer, size_t inSize);
    OpStatus WriteTwelveZeroBytes();
    // Zero bytes up to the next multiple of four of the stream position.
    OpStatus PadToFourBytes();

    OpStatus GetStatus() const { return mStatus; }

private:
    IByteWriterWithPosition* mStream = nullptr;
    OpStatus mStatus = eFailure;
};
