#include "pdf/io/OutputFlateEncodeStream.h"

#include "pdf/io/DiagnosticLog.h"

#include <zlib.h>

#include <climits>
#include <cstring>

OutputFlateEncodeStream::OutputFlateEncodeStream() : mZLibState(new z_stream_s()) {}

OutputFlateEncodeStream::OutputFlateEncodeStream(IByteWriterWithPosition* inTargetStream)
    : mTargetStream(inTargetStream), mZLibState(new z_stream_s())
{
}

OutputFlateEncodeStream::~OutputFlateEncodeStream()
{
    Assign(nullptr);
}

void OutputFlateEncodeStream::Assign(IByteWriterWithPosition* inTargetStream)
{
    if (mTargetStream)
        FinalizeEncoding();
    else
        EndDeflate();
    delete mTargetStream;
    mTargetStream = inTargetStream;
}

IByteWriterWithPosition* OutputFlateEncodeStream::Detach()
{
    EndDeflate();
    IByteWriterWithPosition* target = mTargetStream;
    mTargetStream = nullptr;
    return target;
}

void OutputFlateEncodeStream::StartEncoding()
{
    EndDeflate();
    mFailed = false;
    std::memset(mZLibState.get(), 0, sizeof(z_stream_s));
    mZLibState->zalloc = Z_NULL;
    mZLibState->zfree = Z_NULL;
    mZLibState->opaque = Z_NULL;
    int status = deflateInit(mZLibState.get(), Z_DEFAULT_COMPRESSION);
    if (status != Z_OK) {
        TraceMessage("OutputFlateEncodeStream::StartEncoding, Unexpected failure in initializating flate library. status code = %d",
                     status);
        // Passing the bytes through would put plain data into a stream declared compressed.
        mFailed = true;
        return;
    }
    if (!mBuffer)
        mBuffer.reset(new Byte[kBufferSize]);
    mCurrentlyEncoding = true;
}

size_t OutputFlateEncodeStream::WriteBytes(const Byte* inBuffer, size_t inSize)
{
    if (mCurrentlyEncoding)
        return EncodeBufferAndWrite(inBuffer, inSize);
    if (!mTargetStream || mFailed)
        return 0;
    return mTargetStream->WriteBytes(inBuffer, inSize);
}

size_t OutputFlateEncodeStream::EncodeBufferAndWrite(const Byte* inBuffer, size_t inSize)
{
    // An empty write makes no output: not even the zlib header goes out before the end.
    if (inSize == 0)
        return 0;
    const Byte* next = inBuffer;
    size_t remaining = inSize;
    do {
        // zlib counts its input in 32 bits; larger writes go in slices.
        uInt slice = remaining > UINT_MAX ? UINT_MAX : static_cast<uInt>(remaining);
        mZLibState->next_in = const_cast<Bytef*>(next);
        mZLibState->avail_in = slice;
        do {
            mZLibState->next_out = mBuffer.get();
            mZLibState->avail_out = static_cast<uInt>(kBufferSize);
            int status = deflate(mZLibState.get(), Z_NO_FLUSH);
            // Z_BUF_ERROR only says that no progress was possible, which is no failure here.
            if (status != Z_OK && status != Z_BUF_ERROR) {
                TraceMessage("OutputFlateEncodeStream::EncodeBufferAndWrite, failed to write zlib information. returned error code = %d",
                             status);
                EndDeflate();
                mFailed = true;
                return 0;
            }
            if (!WriteProduced("OutputFlateEncodeStream::EncodeBufferAndWrite")) {
                EndDeflate();
                mFailed = true;
                return 0;
            }
        } while (mZLibState->avail_out == 0);
        next += slice;
        remaining -= slice;
    } while (remaining > 0);
    return inSize;
}

bool OutputFlateEncodeStream::WriteProduced(const char* inCaller)
{
    size_t produced = kBufferSize - mZLibState->avail_out;
    if (produced == 0)
        return true;
    size_t written = mTargetStream ? mTargetStream->WriteBytes(mBuffer.get(), produced) : 0;
    if (written == produced)
        return true;
    TraceMessage("%s, Failed to write the desired amount of zlib bytes to underlying stream. supposed to write %lld, wrote %lld",
                 inCaller, static_cast<long long>(produced), static_cast<long long>(written));
    return false;
}

void OutputFlateEncodeStream::FinalizeEncoding()
{
    if (!mCurrentlyEncoding)
        return;
    mZLibState->next_in = Z_NULL;
    mZLibState->avail_in = 0;
    int status;
    do {
        mZLibState->next_out = mBuffer.get();
        mZLibState->avail_out = static_cast<uInt>(kBufferSize);
        status = deflate(mZLibState.get(), Z_FINISH);
        if (status != Z_OK && status != Z_STREAM_END) {
            TraceMessage("OutputFlateEncodeStream::FinalizeEncoding, failed to flush zlib information. returned error code = %d",
                         status);
            mFailed = true;
            break;
        }
        if (!WriteProduced("OutputFlateEncodeStream::FinalizeEncoding")) {
            mFailed = true;
            break;
        }
    } while (status == Z_OK);
    EndDeflate();
}

void OutputFlateEncodeStream::EndDeflate()
{
    if (!mCurrentlyEncoding)
        return;
    deflateEnd(mZLibState.get());
    mCurrentlyEncoding = false;
}

LongFilePositionType OutputFlateEncodeStream::TellPosition()
{
    return mTargetStream ? mTargetStream->TellPosition() : 0;
}
