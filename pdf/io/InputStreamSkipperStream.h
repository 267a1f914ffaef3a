#pragma once
// Counts the bytes read through it and skips forward by reading, for sources that cannot seek
// (decoded stream data). It owns its source and deletes it with itself.

#include "pdf/io/IByteReader.h"
#include "pdf/io/IReadPositionProvider.h"

class InputStreamSkipperStream : public IByteReader, public IReadPositionProvider {
public:
    explicit InputStreamSkipperStream(IByteReader* inSourceStream);
    ~InputStreamSkipperStream() override;
    InputStreamSkipperStream(const InputStreamSkipperStream&) = delete;
    InputStreamSkipperStream& operator=(const InputStreamSkipperStream&) = delete;

    size_t Read(Byte* inBuffer, size_t inBufferSize) override;
    bool HasMoreBytes() override;

    // Reads and drops up to inSkipSize bytes; answers whether the source still has bytes.
    bool SkipForward(LongFilePositionType inSkipSize);

    // The count of bytes read (or skipped) through this reader so far.
    LongFilePositionType TellPosition() override { return mReadCount; }

private:
    IByteReader* mStream;
    LongFilePositionType mReadCount = 0;
};
