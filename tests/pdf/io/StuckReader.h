#pragma once
// Claims more data forever but never yields any: a broken device, or a filter stuck on bad data.

#include "pdf/io/IByteReaderWithPosition.h"

class StuckReader : public IByteReaderWithPosition {
public:
    size_t Read(Byte*, size_t) override { return 0; }
    bool HasMoreBytes() override { return true; }
    void SeekFromStart(LongFilePositionType) override {}
    void SeekFromEnd(LongFilePositionType) override {}
    LongFilePositionType TellPosition() override { return 0; }
    void SkipForward(size_t) override {}
};
