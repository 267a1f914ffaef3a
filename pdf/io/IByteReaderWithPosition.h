#pragma once
// A byte source that can be positioned. SeekFromEnd(n) places the reader n bytes before the end.

#include "pdf/io/IByteReader.h"

class IByteReaderWithPosition : public IByteReader {
public:
    virtual ~IByteReaderWithPosition() {}
    virtual void SeekFromStart(LongFilePositionType inOffset) = 0;
    virtual void SeekFromEnd(LongFilePositionType inOffset) = 0;
    virtual LongFilePositionType TellPosition() = 0;
    virtual void SkipForward(size_t inSkipSize) = 0;
};
