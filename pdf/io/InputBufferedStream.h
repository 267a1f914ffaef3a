#pragma once
// Reads an owned positioned source through one buffer (256 KB by default). Reads larger than
// what is buffered take whole multiples of the buffer size straight from the source; only the
// rest goes through the buffer. A source that yields nothing while it claims more data is taken
// as failed: the stream then ends once its buffered bytes are read. The buffer always holds the
// bytes just before the source's position, so a seek to one of them reads nothing; that position
// is counted rather than asked of the source each time. After a seek outside the buffer the
// first refill is small (kSeekReadSize) and each following one twice the last, up to the buffer
// size: objects are read at scattered places, where a whole buffer each time would read a file
// hundreds of times over, while a long run of reads soon gets whole buffers again.

#include "pdf/io/IByteReaderWindow.h"
#include "pdf/io/IByteReaderWithPosition.h"

#include <memory>

class InputBufferedStream : public IByteReaderWithPosition, public IByteReaderWindow {
public:
    static constexpr size_t kDefaultBufferSize = 0x40000;
    static constexpr size_t kSeekReadSize = 0x2000;

    // Takes ownership of inSourceStream (may be null).
    explicit InputBufferedStream(IByteReaderWithPosition* inSourceStream = nullptr,
                                 size_t inBufferSize = kDefaultBufferSize);
    ~InputBufferedStream() override = default;
    InputBufferedStream(const InputBufferedStream&) = delete;
    InputBufferedStream& operator=(const InputBufferedStream&) = delete;

    // Replaces (and deletes) the source; the buffer is emptied.
    void Assign(IByteReaderWithPosition* inSourceStream);

    size_t Read(Byte* inBuffer, size_t inBufferSize) override;
    bool HasMoreBytes() override;
    void SkipForward(size_t inSkipSize) override;
    void SeekFromStart(LongFilePositionType inOffset) override;
    void SeekFromEnd(LongFilePositionType inOffset) override;
    LongFilePositionType TellPosition() override;
    // The buffered bytes, refilled from the source when none are left.
    const Byte* ReadWindow(size_t& outAvailable) override;
    void ConsumeWindow(size_t inCount) override { mCursor += inCount; }

    IByteReaderWithPosition* GetSourceStream() { return mSource.get(); }

private:
    size_t Unread() const { return mEnd - mCursor; }
    bool SourceHasMore();
    size_t ReadFromSource(Byte* inBuffer, size_t inSize);
    LongFilePositionType SourcePosition();
    // Fills the buffer from the source with at least inAtLeast bytes (at most the buffer size).
    void Refill(size_t inAtLeast);
    size_t FirstRefillSize() const { return kSeekReadSize < mBufferSize ? kSeekReadSize : mBufferSize; }

    std::unique_ptr<Byte[]> mBuffer;
    size_t mBufferSize;
    size_t mCursor = 0;
    size_t mEnd = 0;
    std::unique_ptr<IByteReaderWithPosition> mSource;
    // How much the next refill asks of the source.
    size_t mRefillSize;
    bool mSourceFailed = false;
    // The source's position, counted from the last time it was asked.
    LongFilePositionType mSourcePosition = 0;
    bool mSourcePositionKnown = false;
};
