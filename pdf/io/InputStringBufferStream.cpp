#include "pdf/io/InputStringBufferStream.h"

size_t InputStringBufferStream::Read(Byte* inBuffer, size_t inBufferSize)
{
    return static_cast<size_t>(mBuffer->sgetn(reinterpret_cast<char*>(inBuffer), static_cast<std::streamsize>(inBufferSize)));
}

bool InputStringBufferStream::HasMoreBytes()
{
    return mBuffer->in_avail() > 0;
}

void InputStringBufferStream::SkipForward(size_t inSkipSize)
{
    mBuffer->pubseekoff(static_cast<std::streamoff>(inSkipSize), std::ios_base::cur, std::ios_base::in);
}

void InputStringBufferStream::SeekFromStart(LongFilePositionType inOffset)
{
    mBuffer->pubseekoff(static_cast<std::streamoff>(inOffset), std::ios_base::beg, std::ios_base::in);
}

void InputStringBufferStream::SeekFromEnd(LongFilePositionType inOffset)
{
    mBuffer->pubseekoff(-static_cast<std::streamoff>(inOffset), std::ios_base::end, std::ios_base::in);
}

LongFilePositionType InputStringBufferStream::TellPosition()
{
    std::streampos position = mBuffer->pubseekoff(0, std::ios_base::cur, std::ios_base::in);
    return position < 0 ? 0 : static_cast<LongFilePositionType>(position);
}
