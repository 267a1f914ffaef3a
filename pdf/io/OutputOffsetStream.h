#pragma once
// A positioned sink that tells positions from a later byte of the file it writes to: an update
// appended to a file with bytes before its header lists its objects counted from that header, as
// readers look for them. The target is borrowed.

#include "pdf/io/IByteWriterWithPosition.h"

class OutputOffsetStream : public IByteWriterWithPosition {
public:
    OutputOffsetStream(IByteWriterWithPosition* inTarget, LongFilePositionType inStart)
        : mTarget(inTarget), mStart(inStart)
    {
    }

    size_t WriteBytes(const Byte* inBuffer, size_t inSize) override { return mTarget->WriteBytes(inBuffer, inSize); }
    LongFilePositionType TellPosition() override { return mTarget->TellPosition() - mStart; }

private:
    IByteWriterWithPosition* mTarget;
    LongFilePositionType mStart;
};
