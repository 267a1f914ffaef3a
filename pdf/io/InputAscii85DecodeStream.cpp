#include "pdf/io/InputAscii85DecodeStream.h"

#include <cstdint>
#include <cstring>

InputAscii85DecodeStream::InputAscii85DecodeStream(IByteReader* inSourceStream) : mSourceStream(inSourceStream)
{
    mSourceDone = !mSourceStream;
}

InputAscii85DecodeStream::~InputAscii85DecodeStream()
{
    delete mSourceStream;
}

bool InputAscii85DecodeStream::SourceHasMoreBytes()
{
    if (mInputRead < mInputEnd)
        return true;
    if (!mSourceDone && !mSourceStream->HasMoreBytes())
        mSourceDone = true;
    return !mSourceDone;
}

bool InputAscii85DecodeStream::NextByte(Byte& outByte)
{
    if (mInputRead == mInputEnd) {
        if (!SourceHasMoreBytes())
            return false;
        mInputRead = 0;
        mInputEnd = mSourceStream->Read(mInput, sizeof(mInput));
        if (mInputEnd == 0) {
            // A source that yields nothing is at its end, whatever it says.
            mSourceDone = true;
            return false;
        }
    }
    outByte = mInput[mInputRead++];
    return true;
}

void InputAscii85DecodeStream::ReadNextGroup()
{
    Byte digits[5];
    size_t count = 0;
    bool zeroGroup = false;
    Byte c;
    while (count < 5 && NextByte(c)) {
        if (c >= '!' && c <= 'u') {
            digits[count++] = static_cast<Byte>(c - '!');
        } else if (c == 'z') {
            zeroGroup = (count == 0);
            break;
        } else if (c == '~') {
            Byte next;
            if (NextByte(next) && next == '>') {
                mHitEnd = true;
                break;
            }
            // "~" followed by anything else is dropped with that byte.
        }
        // Anything else, white space included, is skipped.
    }

    mGroupIndex = 0;
    if (zeroGroup) {
        memset(mGroup, 0, 4);
        mGroupSize = 4;
        return;
    }
    if (count == 0) {
        mGroupSize = 0;
        return;
    }
    // Missing digits of a final partial group count as "u"; the value wraps in 32 bits.
    uint32_t value = 0;
    for (size_t i = 0; i < 5; ++i)
        value = value * 85u + (i < count ? digits[i] : 84u);
    mGroup[0] = static_cast<Byte>(value >> 24);
    mGroup[1] = static_cast<Byte>(value >> 16);
    mGroup[2] = static_cast<Byte>(value >> 8);
    mGroup[3] = static_cast<Byte>(value);
    mGroupSize = count - 1;
}

bool InputAscii85DecodeStream::HasMoreBytes()
{
    return mGroupIndex < mGroupSize || (!mHitEnd && SourceHasMoreBytes());
}

size_t InputAscii85DecodeStream::Read(Byte* inBuffer, size_t inBufferSize)
{
    size_t produced = 0;
    while (produced < inBufferSize) {
        if (mGroupIndex == mGroupSize) {
            if (mHitEnd || !SourceHasMoreBytes())
                break;
            ReadNextGroup();
            continue;
        }
        size_t take = mGroupSize - mGroupIndex;
        if (take > inBufferSize - produced)
            take = inBufferSize - produced;
        memcpy(inBuffer + produced, mGroup + mGroupIndex, take);
        mGroupIndex += take;
        produced += take;
    }
    return produced;
}
