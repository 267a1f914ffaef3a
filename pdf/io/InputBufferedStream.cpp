#include "pdf/io/InputBufferedStream.h"

#include <cstring>

InputBufferedStream::InputBufferedStream(IByteReaderWithPosition* inSourceStream, size_t inBufferSize)
    : mBuffer(new Byte[inBufferSize > 0 ? inBufferSize : 1]),
      mBufferSize(inBufferSize > 0 ? inBufferSize : 1),
      mSource(inSourceStream)
{
    mRefillSize = mBufferSize;
}

void InputBufferedStream::Assign(IByteReaderWithPosition* inSourceStream)
{
    mSource.reset(inSourceStream);
    mCursor = mEnd = 0;
    mSourceFailed = false;
    mSourcePositionKnown = false;
    mRefillSize = mBufferSize;
}

LongFilePositionType InputBufferedStream::SourcePosition()
{
    // Asked of the source once after each move that the buffer cannot follow, then counted:
    // a file's position costs a system call.
    if (!mSourcePositionKnown) {
        mSourcePosition = mSource->TellPosition();
        mSourcePositionKnown = true;
    }
    return mSourcePosition;
}

bool InputBufferedStream::SourceHasMore()
{
    return mSource && !mSourceFailed && mSource->HasMoreBytes();
}

size_t InputBufferedStream::ReadFromSource(Byte* inBuffer, size_t inSize)
{
    size_t got = mSource->Read(inBuffer, inSize);
    mSourcePosition += static_cast<LongFilePositionType>(got);
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

    Refill(tail);
    size_t take = mEnd < tail ? mEnd : tail;
    memcpy(inBuffer + total, mBuffer.get(), take);
    mCursor = take;
    return total + take;
}

void InputBufferedStream::Refill(size_t inAtLeast)
{
    mCursor = 0;
    mEnd = ReadFromSource(mBuffer.get(), mRefillSize > inAtLeast ? mRefillSize : inAtLeast);
    mRefillSize = mRefillSize < mBufferSize / 2 ? mRefillSize * 2 : mBufferSize;
}

const Byte* InputBufferedStream::ReadWindow(size_t& outAvailable)
{
    if (Unread() == 0 && SourceHasMore())
        Refill(0);
    outAvailable = Unread();
    return mBuffer.get() + mCursor;
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
        mSourcePositionKnown = false;
        mRefillSize = FirstRefillSize();
    } else {
        mCursor += inSkipSize;
    }
}

void InputBufferedStream::SeekFromStart(LongFilePositionType inOffset)
{
    if (!mSource)
        return;
    // The buffer holds the bytes just before the source's position; a target among them is
    // served from there (parsing objects seeks back and forth within a small part of a file).
    if (mEnd > 0) {
        LongFilePositionType sourcePosition = SourcePosition();
        LongFilePositionType bufferStart = sourcePosition - static_cast<LongFilePositionType>(mEnd);
        // The buffer's end too: reads go on from there as if nothing had moved.
        if (inOffset >= bufferStart && inOffset <= sourcePosition) {
            mCursor = static_cast<size_t>(inOffset - bufferStart);
            return;
        }
    }
    mCursor = mEnd = 0;
    mSource->SeekFromStart(inOffset);
    mSourcePositionKnown = false;
    mRefillSize = FirstRefillSize();
}

void InputBufferedStream::SeekFromEnd(LongFilePositionType inOffset)
{
    if (!mSource)
        return;
    mCursor = mEnd = 0;
    mSource->SeekFromEnd(inOffset);
    mSourcePositionKnown = false;
    mRefillSize = FirstRefillSize();
}

LongFilePositionType InputBufferedStream::TellPosition()
{
    if (!mSource)
        return 0;
    return SourcePosition() - static_cast<LongFilePositionType>(Unread());
}
