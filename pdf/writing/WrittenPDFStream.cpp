#include "pdf/writing/WrittenPDFStream.h"

#include "pdf/io/DiagnosticLog.h"
#include "pdf/io/InputStringBufferStream.h"
#include "pdf/io/StreamCopier.h"

WrittenPDFStream::WrittenPDFStream(bool inCompress, IByteWriterWithPosition* inTargetStream, ObjectIDType inLengthObjectID)
    : mCompress(inCompress),
      mTargetStream(inTargetStream),
      mLengthObjectID(inLengthObjectID),
      mStartPosition(inTargetStream ? inTargetStream->TellPosition() : 0),
      mWriteStream(inTargetStream),
      mBufferStream(&mBuffer),
      mStreamDictionary(nullptr)
{
    if (mCompress) {
        // The encoder would own its target; it is detached again before anything is deleted.
        mFlateEncodingStream.Assign(inTargetStream);
        mFlateEncodingStream.StartEncoding();
        mWriteStream = &mFlateEncodingStream;
    }
}

WrittenPDFStream::WrittenPDFStream(bool inCompress, DictionaryContext* inStreamDictionary)
    : mCompress(inCompress),
      mTargetStream(nullptr),
      mLengthObjectID(0),
      mWriteStream(&mBufferStream),
      mBufferStream(&mBuffer),
      mStreamDictionary(inStreamDictionary)
{
    if (mCompress) {
        mFlateEncodingStream.Assign(&mBufferStream);
        mFlateEncodingStream.StartEncoding();
        mWriteStream = &mFlateEncodingStream;
    }
}

WrittenPDFStream::~WrittenPDFStream()
{
    // Neither target belongs to the encoder, and an unfinished encoding is dropped unwritten.
    mFlateEncodingStream.Detach();
}

LongFilePositionType WrittenPDFStream::FinalizeLength()
{
    if (mFinalized)
        return mLength;
    mFinalized = true;
    mWriteStream = nullptr;
    if (mCompress) {
        mFlateEncodingStream.FinalizeEncoding();
        mFlateEncodingStream.Detach();
    }
    if (IsBuffered()) {
        mLength = mBufferStream.TellPosition();
    } else {
        mLength = mTargetStream ? mTargetStream->TellPosition() - mStartPosition : 0;
        mTargetStream = nullptr;
    }
    return mLength;
}

OpStatus WrittenPDFStream::CopyBufferedContentTo(IByteWriter* inTargetStream)
{
    if (!inTargetStream) {
        TraceMessage("WrittenPDFStream::CopyBufferedContentTo, no output to copy the stream's data to");
        mFailed = true;
        return eFailure;
    }
    mBuffer.pubseekpos(0, std::ios_base::in);
    InputStringBufferStream input(&mBuffer);
    StreamCopier copier(inTargetStream);
    OpStatus status = copier.CopyLength(&input, mBufferStream.TellPosition());
    mBuffer.str(std::string());
    if (status != eSuccess) {
        TraceMessage("WrittenPDFStream::CopyBufferedContentTo, failed to copy the stream's data to the output");
        mFailed = true;
    }
    return status;
}
