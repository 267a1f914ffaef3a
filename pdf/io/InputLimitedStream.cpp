#include "pdf/io/InputLimitedStream.h"

InputLimitedStream::InputLimitedStream(IByteReader* inSourceStream, LongFilePositionType inReadLimit, bool inOwnsStream)
    : mStream(inSourceStream), mOwnsStream(inOwnsStream), mMoreToRead(inReadLimit < 0 ? 0 : inReadLimit)
{
}

InputLimitedStream::~InputLimitedStream()
{
    if (mOwnsStream)
        delete mStream;
}

size_t InputLimitedStream::Read(Byte* inBuffer, size_t inBufferSize)
{
    if (!mStream || mMoreToRead <= 0)
        return 0;
    size_t want = static_cast<unsigned long long>(mMoreToRead) < inBufferSize ? static_cast<size_t>(mMoreToRead) : inBufferSize;
    size_t got = mStream->Read(inBuffer, want);
    if (got > want)
        got = want; // never trust a source to stay within the room it was given
    mMoreToRead -= static_cast<LongFilePositionType>(got);
    return got;
}

bool InputLimitedStream::HasMoreBytes()
{
    return mStream && mMoreToRead > 0 && mStream->HasMoreBytes();
}
