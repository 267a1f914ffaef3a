#include "pdf/io/InputFlateDecodeStream.h"

#include "pdf/io/DiagnosticLog.h"

InputFlateDecodeStream::InputFlateDecodeStream(IByteReader* inSourceReader, std::shared_ptr<InflateState> inSharedState)
    : mSourceStream(inSourceReader), mInflate(std::move(inSharedState))
{
}

InputFlateDecodeStream::~InputFlateDecodeStream()
{
    if (mState == State::Decoding)
        Finish(State::Ended);
    delete mSourceStream;
}

OpStatus InputFlateDecodeStream::StartEncoding()
{
    if (mState != State::NotStarted)
        return mState == State::Failed ? eFailure : eSuccess;
    // A shared state that another reader holds stays with it.
    if (!mInflate || !mInflate->TryTake()) {
        mInflate = std::make_shared<InflateState>();
        mInflate->TryTake();
    }
    int status = mInflate->Begin();
    if (status != Z_OK) {
        TraceMessage("InputFlateDecodeStream::StartEncoding, Unexpected failure in initializating flate library. status code = %d", status);
        Finish(State::Failed);
        return eFailure;
    }
    mState = State::Decoding;
    return eSuccess;
}

void InputFlateDecodeStream::Finish(State inState)
{
    mState = inState;
    if (mInflate) {
        mInflate->Give();
        mInflate.reset();
    }
}

size_t InputFlateDecodeStream::Read(Byte* inBuffer, size_t inBufferSize)
{
    return DecodeBufferAndWrite(inBuffer, inBufferSize);
}

size_t InputFlateDecodeStream::DecodeBufferAndWrite(Byte* inBuffer, size_t inBufferSize)
{
    if (mState == State::NotStarted && StartEncoding() != eSuccess)
        return 0;
    if (mState != State::Decoding || inBufferSize == 0 || !mSourceStream)
        return 0;

    z_stream& zlib = mInflate->Stream();
    size_t produced = 0;
    while (produced < inBufferSize) {
        if (zlib.avail_in == 0 && !mSourceEnded) {
            size_t got = mSourceStream->HasMoreBytes() ? mSourceStream->Read(mInflate->Input(), kInputChunkSize) : 0;
            if (got == 0) {
                if (mSourceStream->HasMoreBytes()) {
                    TraceMessage("InputFlateDecodeStream::DecodeBufferAndWrite, failed to read from source stream");
                    Finish(State::Failed);
                    return produced;
                }
                // No more input; inflate may still hold output for the caller.
                mSourceEnded = true;
            }
            zlib.next_in = mInflate->Input();
            zlib.avail_in = static_cast<uInt>(got);
        }

        // zlib counts room in 32 bits; a larger caller buffer is filled in slices.
        size_t room = inBufferSize - produced;
        uInt slice = room > 0x40000000u ? 0x40000000u : static_cast<uInt>(room);
        zlib.next_out = inBuffer + produced;
        zlib.avail_out = slice;
        int status = inflate(&zlib, Z_NO_FLUSH);
        produced += slice - zlib.avail_out;

        if (status == Z_STREAM_END) {
            // Whatever follows the compressed data in the stream is ignored.
            Finish(State::Ended);
            return produced;
        }
        if (status == Z_BUF_ERROR)
            break; // no progress possible: the input is used up
        if (status != Z_OK) {
            // Bytes zlib produced before it met the damage are sound; they are handed out and
            // the reader stops.
            TraceMessage("InputFlateDecodeStream::DecodeBufferAndWrite, failed to write zlib information. returned error code = %d", status);
            Finish(State::Failed);
            return produced;
        }
    }

    mOutputWasFull = produced == inBufferSize;
    if (!mOutputWasFull) {
        // The input ran out before zlib saw the end of the compressed data: what was decoded
        // so far is handed out, and the reader stops here.
        TraceMessage("InputFlateDecodeStream::DecodeBufferAndWrite, compressed data ended before the end of the zlib stream");
        Finish(State::Failed);
    }
    return produced;
}

bool InputFlateDecodeStream::HasMoreBytes()
{
    if (!mSourceStream)
        return false;
    if (mState == State::NotStarted)
        return mSourceStream->HasMoreBytes();
    // A read that filled the caller's buffer may have left output inside zlib.
    return mState == State::Decoding &&
           (mInflate->Stream().avail_in > 0 || mOutputWasFull || mSourceStream->HasMoreBytes());
}
