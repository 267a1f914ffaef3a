#pragma once
// Buffers writes to an owned target in one 256 KB buffer; writes larger than the room left go
// to the target in whole multiples of the buffer size, so no byte is copied twice.
// Once the target refuses bytes the stream is failed: every later write takes nothing, so the
// failure cannot be hidden by writes that merely land in the buffer.

#include "pdf/io/IByteWriterWithPosition.h"

#include <memory>

class OutputBufferedStream : public IByteWriterWithPosition {
public:
    static constexpr size_t kDefaultBufferSize = 0x40000;

    // Takes ownership of inTargetWriter (may be null).
    explicit OutputBufferedStream(IByteWriterWithPosition* inTargetWriter = nullptr,
                                  size_t inBufferSize = kDefaultBufferSize);
    ~OutputBufferedStream() override; // flushes, then deletes the target

    OutputBufferedStream(const OutputBufferedStream&) = delete;
    OutputBufferedStream& operator=(const OutputBufferedStream&) = delete;

    // Replaces the target (flushing into the old one first) and takes ownership of the new one.
    void Assign(IByteWriterWithPosition* inTargetWriter);

    size_t WriteBytes(const Byte* inBuffer, size_t inSize) override;
    LongFilePositionType TellPosition() override;

    // Writes the buffered bytes to the target. -1 when the target did not take them all.
    OpStatus Flush();
    bool HasFailed() const { return mFailed; }
    IByteWriterWithPosition* GetTargetStream() { return mTarget.get(); }

private:
    std::unique_ptr<Byte[]> mBuffer;
    size_t mBufferSize;
    size_t mFill = 0;
    std::unique_ptr<IByteWriterWithPosition> mTarget;
    bool mFailed = false;
};
