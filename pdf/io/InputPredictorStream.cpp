#include "pdf/io/InputPredictorStream.h"

#include <cstring>

InputPredictorStream::InputPredictorStream(IByteReader* inSourceStream) : mSourceStream(inSourceStream)
{
    if (!mSourceStream)
        mFailed = true;
}

InputPredictorStream::~InputPredictorStream()
{
    delete mSourceStream;
}

bool InputPredictorStream::HasMoreBytes()
{
    return !mFailed && (mOutputIndex < mOutputSize || mInputIndex < mInputSize || mSourceStream->HasMoreBytes());
}

size_t InputPredictorStream::Read(Byte* inBuffer, size_t inBufferSize)
{
    size_t produced = 0;
    while (produced < inBufferSize && !mFailed) {
        if (mOutputIndex == mOutputSize && !ReadNextRow())
            break;
        size_t take = mOutputSize - mOutputIndex;
        if (take > inBufferSize - produced)
            take = inBufferSize - produced;
        memcpy(inBuffer + produced, mOutput + mOutputIndex, take);
        mOutputIndex += take;
        produced += take;
    }
    return produced;
}

void InputPredictorStream::SetOutput(const Byte* inBytes, size_t inSize)
{
    mOutput = inBytes;
    mOutputSize = inSize;
    mOutputIndex = 0;
}

InputPredictorStream::RowResult InputPredictorStream::ReadRow(Byte* outRow, size_t inSize)
{
    size_t got = 0;
    while (got < inSize && (mInputIndex < mInputSize || FillInput())) {
        size_t take = mInputSize - mInputIndex < inSize - got ? mInputSize - mInputIndex : inSize - got;
        memcpy(outRow + got, mInput.get() + mInputIndex, take);
        mInputIndex += take;
        got += take;
    }
    if (got == inSize)
        return RowResult::Full;
    // A decoder may learn only on the read after its last byte that its data ended.
    return got == 0 && !mSourceStream->HasMoreBytes() ? RowResult::End : RowResult::Short;
}

bool InputPredictorStream::FillInput()
{
    if (!mSourceStream->HasMoreBytes())
        return false;
    if (!mInput)
        mInput.reset(new Byte[kInputChunkSize]);
    mInputIndex = 0;
    mInputSize = mSourceStream->Read(mInput.get(), kInputChunkSize);
    return mInputSize > 0;
}
