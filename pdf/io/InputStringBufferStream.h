#pragma once
// Reads a string buffer that it does not own. SeekFromEnd(n) places the reader n bytes before
// the end, as the other positioned readers do.

#include "pdf/io/IByteReaderWithPosition.h"
#include "pdf/io/MyStringBuf.h"

class InputStringBufferStream : public IByteReaderWithPosition {
public:
    explicit InputStringBufferStream(MyStringBuf* inBufferToReadFrom) : mBuffer(inBufferToReadFrom) {}
    void Assign(MyStringBuf* inBufferToReadFrom) { mBuffer = inBufferToReadFrom; }

    size_t Read(Byte* inBuffer, size_t inBufferSize) override;
    bool HasMoreBytes() override;
    void SkipForward(size_t inSkipSize) override;
    void SeekFromStart(LongFilePositionType inOffset) override;
    void SeekFromEnd(LongFilePositionType inOffset) override;
    LongFilePositionType TellPosition() override;

private:
    MyStringBuf* mBuffer;
};
