#include "pdf/io/OutputStringBufferStream.h"

OutputStringBufferStream::OutputStringBufferStream() : mBuffer(new MyStringBuf()), mOwnsBuffer(true) {}

OutputStringBufferStream::OutputStringBufferStream(MyStringBuf* inControlledBuffer)
    : mBuffer(inControlledBuffer), mOwnsBuffer(false)
{
}

OutputStringBufferStream::~OutputStringBufferStream()
{
    if (mOwnsBuffer)
        delete mBuffer;
}

void OutputStringBufferStream::AttachBuffer(MyStringBuf* inControlledBuffer)
{
    if (mOwnsBuffer)
        delete mBuffer;
    if (inControlledBuffer) {
        mBuffer = inControlledBuffer;
        mOwnsBuffer = false;
    } else {
        mBuffer = new MyStringBuf();
        mOwnsBuffer = true;
    }
}

size_t OutputStringBufferStream::WriteBytes(const Byte* inBuffer, size_t inSize)
{
    return static_cast<size_t>(mBuffer->sputn(reinterpret_cast<const char*>(inBuffer), static_cast<std::streamsize>(inSize)));
}

LongFilePositionType OutputStringBufferStream::TellPosition()
{
    std::streampos position = mBuffer->pubseekoff(0, std::ios_base::cur, std::ios_base::out);
    return position < 0 ? 0 : static_cast<LongFilePositionType>(position);
}

void OutputStringBufferStream::Reset()
{
    mBuffer->str(std::string());
}
