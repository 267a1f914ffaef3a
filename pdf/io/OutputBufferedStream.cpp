#include "pdf/io/OutputBufferedStream.h"

#include <cstring>

OutputBufferedStream::OutputBufferedStream(IByteWriterWithPosition* inTargetWriter, size_t inBufferSize)
    : mBuffer(new Byte[inBufferSize]), mBufferSize(inBufferSize), mTarget(inTargetWriter)
{
}

OutputBufferedStream::~OutputBufferedStream()
{
    Flush();
}

void OutputBufferedStream::Assign(IByteWriterWithPosition* inTargetWriter)
{
    Flush();
    mTarget.reset(inTargetWriter);
    mFailed = false;
}

OpStatus OutputBufferedStream::Flush()
{
    if (!mTarget || mFill == 0)
        return mFailed ? eFailure : eSuccess;
    size_t written = mTarget->WriteBytes(mBuffer.get(), mFill);
    if (written != mFill)
        mFailed = true;
    mFill = 0;
    return mFailed ? eFailure : eSuccess;
}

size_t OutputBufferedStream::WriteBytes(const Byte* inBuffer, size_t inSize)
{
    if (!mTarget || mFailed)
        return 0;

    if (inSize <= mBufferSize - mFill) {
        if (inSize > 0)
            memcpy(mBuffer.get() + mFill, inBuffer, inSize);
        mFill += inSize;
        return inSize;
    }

    if (Flush() != eSuccess)
        return 0;

    size_t remainder = inSize % mBufferSize;
    size_t direct = inSize - remainder;
    size_t written = direct > 0 ? mTarget->WriteBytes(inBuffer, direct) : 0;
    if (written != direct) {
        mFailed = true;
        return written;
    }
    if (remainder > 0)
        memcpy(mBuffer.get(), inBuffer + direct, remainder);
    mFill = remainder;
    return written + remainder;
}

LongFilePositionType OutputBufferedStream::TellPosition()
{
    if (!mTarget)
        return 0;
    return mTarget->TellPosition() + static_cast<LongFilePositionType>(mFill);
}
