#pragma once
// Copies everything a reader yields into a writer, 10 MB at a time.

#include "pdf/io/IByteReader.h"
#include "pdf/io/IByteWriter.h"

class StreamCopier {
public:
    static constexpr size_t kBufferSize = 10 * 1024 * 1024;

    explicit StreamCopier(IByteWriter* inTargetStream) : mTargetStream(inTargetStream) {}

    // -1 when the writer takes fewer bytes than read, or the reader yields nothing while it still
    // claims more data (a failed reader must not pass for a finished one).
    OpStatus CopyToEnd(IByteReader* inSourceStream);
    // Copies at most inLength bytes; -1 when the reader ends before that or the writer fails.
    OpStatus CopyLength(IByteReader* inSourceStream, LongFilePositionType inLength);

private:
    IByteWriter* mTargetStream;
};
