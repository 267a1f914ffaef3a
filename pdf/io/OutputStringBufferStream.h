#pragma once
// Writes into memory: its own buffer, or one attached by the caller (not owned).

#include "pdf/io/IByteWriterWithPosition.h"
#include "pdf/io/MyStringBuf.h"

#include <string>

class OutputStringBufferStream : public IByteWriterWithPosition {
public:
    OutputStringBufferStream();
    explicit OutputStringBufferStream(MyStringBuf* inControlledBuffer);
    ~OutputStringBufferStream() override;
    OutputStringBufferStream(const OutputStringBufferStream&) = delete;
    OutputStringBufferStream& operator=(const OutputStringBufferStream&) = delete;

    // A buffer: write into it from now on (not owned). Null: a fresh owned buffer.
    void AttachBuffer(MyStringBuf* inControlledBuffer);

    size_t WriteBytes(const Byte* inBuffer, size_t inSize) override;
    LongFilePositionType TellPosition() override;

    std::string ContentsAsString() const { return mBuffer->str(); }
    MyStringBuf* GetBuffer() { return mBuffer; }
    void Reset(); // empties the buffer

private:
    MyStringBuf* mBuffer;
    bool mOwnsBuffer;
};
