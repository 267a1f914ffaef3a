#include "pdf/io/InputByteArrayStream.h"

#include <cstring>

InputByteArrayStream::InputByteArrayStream(const Byte* inByteArray, LongFilePositionType inArrayLength)
{
    Assign(inByteArray, inArrayLength);
}

void InputByteArrayStream::Assign(const Byte* inByteArray, LongFilePositionType inArrayLength)
{
    mByteArray = inByteArray;
    mArrayLength = inArrayLength < 0 ? 0 : inArrayLength;
    mCurrentPosition = 0;
}

size_t InputByteArrayStream::Read(Byte* inBuffer, size_t inBufferSize)
{
    if (!mByteArray)
        return 0;
    LongFilePositionType left = mArrayLength - mCurrentPosition;
    size_t count = static_cast<unsigned long long>(left) < inBufferSize ? static_cast<size_t>(left) : inBufferSize;
    if (count > 0)
        memcpy(inBuffer, mByteArray + mCurrentPosition, count);
    mCurrentPosition += static_cast<LongFilePositionType>(count);
    return count;
}

bool InputByteArrayStream::HasMoreBytes()
{
    return mByteArray && mCurrentPosition < mArrayLength;
}

void InputByteArrayStream::SkipForward(size_t inSkipSize)
{
    LongFilePositionType left = mArrayLength - mCurrentPosition;
    mCurrentPosition = static_cast<unsigned long long>(left) < inSkipSize ? mArrayLength
                                                                         : mCurrentPosition + static_cast<LongFilePositionType>(inSkipSize);
}

void InputByteArrayStream::SeekFromStart(LongFilePositionType inOffset)
{
    mCurrentPosition = inOffset < 0 ? 0 : (inOffset > mArrayLength ? mArrayLength : inOffset);
}

void InputByteArrayStream::SeekFromEnd(LongFilePositionType inOffset)
{
    mCurrentPosition = (inOffset >= 0 && inOffset <= mArrayLength) ? mArrayLength - inOffset : (inOffset < 0 ? mArrayLength : 0);
}

const Byte* InputByteArrayStream::ReadWindow(size_t& outAvailable)
{
    outAvailable = mByteArray ? static_cast<size_t>(mArrayLength - mCurrentPosition) : 0;
    return mByteArray ? mByteArray + mCurrentPosition : nullptr;
}
