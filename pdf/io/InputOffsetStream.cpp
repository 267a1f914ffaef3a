#include "pdf/io/InputOffsetStream.h"

#include <limits>

InputOffsetStream::InputOffsetStream(IByteReaderWithPosition* inSource, LongFilePositionType inStart)
    : mSource(inSource), mStart(inStart < 0 ? 0 : inStart)
{
}

void InputOffsetStream::SeekFromStart(LongFilePositionType inOffset)
{
    if (inOffset < 0)
        inOffset = 0;
    if (inOffset > std::numeric_limits<LongFilePositionType>::max() - mStart)
        inOffset = std::numeric_limits<LongFilePositionType>::max() - mStart;
    mSource->SeekFromStart(mStart + inOffset);
}

void InputOffsetStream::SeekFromEnd(LongFilePositionType inOffset)
{
    mSource->SeekFromEnd(inOffset);
    if (mSource->TellPosition() < mStart)
        mSource->SeekFromStart(mStart);
}
