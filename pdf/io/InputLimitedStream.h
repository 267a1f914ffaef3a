#pragma once
// Reads at most a given number of bytes from a source, e.g. one stream's Length inside a file.
// The source is deleted with this reader only when it was handed over as owned; a negative
// limit counts as 0.

#include "pdf/io/IByteReader.h"

class InputLimitedStream : public IByteReader {
public:
    InputLimitedStream(IByteReader* inSourceStream, LongFilePositionType inReadLimit, bool inOwnsStream);
    ~InputLimitedStream() override;
    InputLimitedStream(const InputLimitedStream&) = delete;
    InputLimitedStream& operator=(const InputLimitedStream&) = delete;

    size_t Read(Byte* inBuffer, size_t inBufferSize) override;
    bool HasMoreBytes() override;

private:
    IByteReader* mStream;
    bool mOwnsStream;
    LongFilePositionType mMoreToRead;
};
