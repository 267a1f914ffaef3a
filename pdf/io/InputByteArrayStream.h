#pragma once
// Reads a byte array it does not own. Every position is clamped to [0, size].

#include "pdf/io/IByteReaderWindow.h"
#include "pdf/io/IByteReaderWithPosition.h"

class InputByteArrayStream : public IByteReaderWithPosition, public IByteReaderWindow {
public:
    InputByteArrayStream() = default;
    InputByteArrayStream(const Byte* inByteArray, LongFilePositionType inArrayLength);

    void Assign(const Byte* inByteArray, LongFilePositionType inArrayLength);

    size_t Read(Byte* inBuffer, size_t inBufferSize) override;
    bool HasMoreBytes() override;
    void SkipForward(size_t inSkipSize) override;
    void SeekFromStart(LongFilePositionType inOffset) override;
    void SeekFromEnd(LongFilePositionType inOffset) override;
    LongFilePositionType TellPosition() override { return mCurrentPosition; }
    const Byte* ReadWindow(size_t& outAvailable) override;
    void ConsumeWindow(size_t inCount) override { mCurrentPosition += static_cast<LongFilePositionType>(inCount); }

private:
    const Byte* mByteArray = nullptr;
    LongFilePositionType mArrayLength = 0;
    LongFilePositionType mCurrentPosition = 0;
};
