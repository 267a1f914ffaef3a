#include "pdf/io/InputStreamSkipperStream.h"

InputStreamSkipperStream::InputStreamSkipperStream(IByteReader* inSourceStream) : mStream(inSourceStream)
{
}

InputStreamSkipperStream::~InputStreamSkipperStream()
{
    delete mStream;
}

size_t InputStreamSkipperStream::Read(Byte* inBuffer, size_t inBufferSize)
{
    if (!mStream)
        return 0;
    size_t got = mStream->Read(inBuffer, inBufferSize);
    mReadCount += static_cast<LongFilePositionType>(got);
    return got;
}

bool InputStreamSkipperStream::HasMoreBytes()
{
    return mStream && mStream->HasMoreBytes();
}

bool InputStreamSkipperStream::SkipForward(LongFilePositionType inSkipSize)
{
    if (!mStream)
        return false;
    // Skipping reads in chunks rather than byte by byte; a read that yields nothing ends the
    // skip, so a failed source cannot hold the loop.
    Byte scratch[4096];
    while (inSkipSize > 0 && mStream->HasMoreBytes()) {
        size_t want = inSkipSize < static_cast<LongFilePositionType>(sizeof(scratch)) ? static_cast<size_t>(inSkipSize) : sizeof(scratch);
        size_t got = Read(scratch, want);
        if (got == 0)
            break;
        inSkipSize -= static_cast<LongFilePositionType>(got);
    }
    return mStream->HasMoreBytes();
}
