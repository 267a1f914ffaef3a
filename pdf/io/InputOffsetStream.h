#pragma once
// A positioned source whose position 0 is a later byte of another one: a PDF file with bytes
// before its header (print job data, a mail header) counts every offset from the header. The
// source is borrowed; positions before the new start are clamped to it.

#include "pdf/io/IByteReaderWithPosition.h"

class InputOffsetStream : public IByteReaderWithPosition {
public:
    InputOffsetStream(IByteReaderWithPosition* inSource, LongFilePositionType inStart);

    size_t Read(Byte* inBuffer, size_t inBufferSize) override { return mSource->Read(inBuffer, inBufferSize); }
    bool HasMoreBytes() override { return mSource->HasMoreBytes(); }
    void SkipForward(size_t inSkipSize) override { mSource->SkipForward(inSkipSize); }
    void SeekFromStart(LongFilePositionType inOffset) override;
    void SeekFromEnd(LongFilePositionType inOffset) override;
    LongFilePositionType TellPosition() override { return mSource->TellPosition() - mStart; }

private:
    IByteReaderWithPosition* mSource;
    LongFilePositionType mStart;
};
