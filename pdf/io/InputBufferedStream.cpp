#include "pdf/io/InputBufferedStream.h"

#include <cstring>

InputBufferedStream::InputBufferedStream(IByteReaderWithPosition* inSourceStream, size_t inBufferSize)
    : mBuffer(new Byte[inBufferSize > 0 ? inBufferSize : 1]),
      mBufferSize(inBufferSize > 0 ? inBufferSize : 1),
      mSource(inSourceStream)
{
}

void InputBufferedStream::Assign(IByteReaderWithPosition* inSourceStream)
{
    mSource.reset(inSourceStream);
    mCursor = mEnd = 0;
    mSourceFailed = false;
}

bool InputBufferedStream::SourceHasMore()
{
    return mSource && !mSourceFailed && mSource->HasMoreBytes();
}

size_t InputBufferedStream::ReadFromSource(Byte* inBuffer, size_t inSize)
{
    size_t got = mSource->Read(inBuffer, inSize);
    // Nothing read, yet the source still claims more: it is stuck, and would stay so.
    if (got == 0 && inSize > 0 && mSource->HasMoreBytes())
        mSourceFailed = true;
    return got;
}

size_t InputBufferedStream::Read(Byte* inBuffer, size_t inBufferSize)
{
    if (!mSource || inBufferSize == 0)
        return 0;

    size_t buffered = Unread();
    if (buffered >= inBufferSize) {
        memcpy(inBuffer, mBuffer.get() + mCursor, inBufferSize);
        mCursor += inBufferSize;
        return inBufferSize;
    }

    if (buffered > 0)
        memcpy(inBuffer, mBuffer.get() + mCursor, buffered);
    mCursor = mEnd = 0;
    size_t total = buffered;
    if (!SourceHasMore())
        return total;

    size_t rest = inBufferSize - total;
    size_t tail = rest % mBufferSize;
    if (rest > tail) {
        total += ReadFromSource(inBuffer + total, rest - tail);
        if (tail == 0 || !SourceHasMore())
            return total;
    }

    mEnd = ReadFromSource(mBuffer.get(), mBufferSize);
    size_t take = mEnd < tail ? mEnd : tail;
    memcpy(inBuffer + total, mBuffer.get(), take);
    mCursor = take;
    return total + take;
}

bool InputBufferedStream::HasMoreBytes()
{
    return Unread() > 0 || SourceHasMore();
}

void InputBufferedStream::SkipForward(size_t inSkipSize)
{
    if (!mSource)
        return;
    size_t buffered = Unread();
    if (inSkipSize > buffered) {
        mCursor = mEnd = 0;
        mSource->SkipForward(inSkipSize - buffered);
    } else {
        mCursor += inSkipSize;
    }
}

void InputBufferedStream::SeekFromStart(LongFilePositionType inOffset)
{
    if (!mSource)
        return;
    mCursor = mEnd = 0;
    mSource->SeekFromStart(inOffset);
}

void InputBufferedStream::SeekFromEnd(LongFilePositionType inOffset)
{
    if (!mSource)
        return;
    mCursor = mEnd = 0;
    mSource->SeekFromEnd(inOffset);
}

LongFilePositionType InputBufferedStream::TellPosition()
{
    if (!mSource)
        return 0;
    return mSource->TellPosition() - static_cast<LongFilePositionType>(Unread());
}
