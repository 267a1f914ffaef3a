#pragma once
// Decodes ASCII85 text read from a source that it owns and deletes with itself. Decoding stops
// at the "~>" end marker or at the end of the source; a final partial group of k characters
// gives k - 1 bytes.

#include "pdf/io/IByteReader.h"

class InputAscii85DecodeStream : public IByteReader {
public:
    explicit InputAscii85DecodeStream(IByteReader* inSourceStream);
    ~InputAscii85DecodeStream() override;
    InputAscii85DecodeStream(const InputAscii85DecodeStream&) = delete;
    InputAscii85DecodeStream& operator=(const InputAscii85DecodeStream&) = delete;

    size_t Read(Byte* inBuffer, size_t inBufferSize) override;
    bool HasMoreBytes() override;

private:
    bool SourceHasMoreBytes();
    // Next source byte; false at the end of the source.
    bool NextByte(Byte& outByte);
    void ReadNextGroup();

    IByteReader* mSourceStream;
    bool mHitEnd = false;
    bool mSourceDone = false;
    Byte mInput[4096];
    size_t mInputRead = 0;
    size_t mInputEnd = 0;
    Byte mGroup[4];
    size_t mGroupSize = 0;
    size_t mGroupIndex = 0;
};
