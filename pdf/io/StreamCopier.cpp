#include "pdf/io/StreamCopier.h"

#include <memory>

OpStatus StreamCopier::CopyToEnd(IByteReader* inSourceStream)
{
    if (!inSourceStream->HasMoreBytes())
        return eSuccess;
    std::unique_ptr<Byte[]> buffer(new Byte[kBufferSize]);
    while (inSourceStream->HasMoreBytes()) {
        size_t read = inSourceStream->Read(buffer.get(), kBufferSize);
        if (read == 0) {
            if (inSourceStream->HasMoreBytes())
                return eFailure;
            break;
        }
        if (mTargetStream->WriteBytes(buffer.get(), read) != read)
            return eFailure;
    }
    return eSuccess;
}

OpStatus StreamCopier::CopyLength(IByteReader* inSourceStream, LongFilePositionType inLength)
{
    if (inLength < 0)
        return eFailure;
    const size_t chunk = inLength < static_cast<LongFilePositionType>(kBufferSize) ? static_cast<size_t>(inLength) : kBufferSize;
    std::unique_ptr<Byte[]> buffer(new Byte[chunk > 0 ? chunk : 1]);
    while (inLength > 0) {
        size_t want = inLength < static_cast<LongFilePositionType>(chunk) ? static_cast<size_t>(inLength) : chunk;
        size_t read = inSourceStream->Read(buffer.get(), want);
        if (read == 0)
            return eFailure;
        if (mTargetStream->WriteBytes(buffer.get(), read) != read)
            return eFailure;
        inLength -= static_cast<LongFilePositionType>(read);
    }
    return eSuccess;
}
