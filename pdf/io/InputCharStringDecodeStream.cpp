#include "pdf/io/InputCharStringDecodeStream.h"

static const uint16_t kInitialKey = 4330;
static const uint16_t kMultiplier = 52845;
static const uint16_t kIncrement = 22719;

void InputCharStringDecodeStream::Assign(IByteReader* inSourceStream)
{
    mSource = inSourceStream;
    mRandomizer = kInitialKey;
    mFailed = false;
}

bool InputCharStringDecodeStream::ReadDecryptedByte(Byte& outByte)
{
    Byte cipher;
    if (mFailed || !mSource || mSource->Read(&cipher, 1) != 1) {
        mFailed = true;
        return false;
    }
    outByte = static_cast<Byte>(cipher ^ (mRandomizer >> 8));
    // In 32 bits: the product overflows int, and only its low 16 bits count.
    mRandomizer = static_cast<uint16_t>((uint32_t{cipher} + mRandomizer) * kMultiplier + kIncrement);
    return true;
}

void InputCharStringDecodeStream::StartDecryption(int inLenIV)
{
    mRandomizer = kInitialKey;
    Byte dropped;
    for (int i = 0; i < inLenIV; ++i) {
        if (!ReadDecryptedByte(dropped))
            break; // a charstring shorter than lenIV simply has no data
    }
}

size_t InputCharStringDecodeStream::Read(Byte* inBuffer, size_t inBufferSize)
{
    if (inBufferSize == 0 || !HasMoreBytes())
        return 0;
    // The cipher bytes are read in one call and decrypted in place.
    size_t count = mSource->Read(inBuffer, inBufferSize);
    if (count == 0) {
        mFailed = true;
        return 0;
    }
    for (size_t i = 0; i < count; ++i) {
        Byte cipher = inBuffer[i];
        inBuffer[i] = static_cast<Byte>(cipher ^ (mRandomizer >> 8));
        mRandomizer = static_cast<uint16_t>((uint32_t{cipher} + mRandomizer) * kMultiplier + kIncrement);
    }
    return count;
}

bool InputCharStringDecodeStream::HasMoreBytes()
{
    return !mFailed && mSource && mSource->HasMoreBytes();
}
