#pragma once
// One stream object while its data is written. The objects context makes it (StartStream,
// StartRawStream) and ends it (EndStream); the caller that started it owns it and deletes it
// afterwards. In between, data goes through GetWriteStream(), Flate-encoded when compressing.
// The direct form writes the data straight to the file and its Length as an object of its own;
// the buffered form collects the data in memory and puts Length into its still open dictionary.
// Deleting an unfinished stream writes nothing more: the output may already be closed.

#include "pdf/io/IByteWriterWithPosition.h"
#include "pdf/io/MyStringBuf.h"
#include "pdf/io/OutputFlateEncodeStream.h"
#include "pdf/io/OutputStringBufferStream.h"
#include "pdf/objects/ObjectIDType.h"

class DictionaryContext;

class WrittenPDFStream {
public:
    // Direct form: the data goes to inTargetStream (not owned) from its current position on.
    WrittenPDFStream(bool inCompress, IByteWriterWithPosition* inTargetStream, ObjectIDType inLengthObjectID);
    // Buffered form: the data is collected in memory; inStreamDictionary stays open until the end.
    WrittenPDFStream(bool inCompress, DictionaryContext* inStreamDictionary);
    ~WrittenPDFStream();
    WrittenPDFStream(const WrittenPDFStream&) = delete;
    WrittenPDFStream& operator=(const WrittenPDFStream&) = delete;

    // Where the data is written; null once the length is final.
    IByteWriterWithPosition* GetWriteStream() { return mWriteStream; }

    // Ends the encoding and fixes the length: the bytes that reached the file (direct form) or
    // the buffer (buffered form), compressed ones when compressing. A second call changes nothing.
    LongFilePositionType FinalizeLength();
    // Buffered form: copies the collected bytes to inTargetStream and empties the buffer.
    OpStatus CopyBufferedContentTo(IByteWriter* inTargetStream);

    bool IsBuffered() const { return mStreamDictionary != nullptr; }
    ObjectIDType GetLengthObjectID() const { return mLengthObjectID; } // 0 in the buffered form
    LongFilePositionType GetLength() const { return mLength; }
    DictionaryContext* GetStreamDictionary() { return mStreamDictionary; }
    // The encoder or the copy lost data.
    bool HasFailed() const { return mFailed || mFlateEncodingStream.HasFailed(); }

private:
    bool mCompress;
    OutputFlateEncodeStream mFlateEncodingStream;
    IByteWriterWithPosition* mTargetStream;
    ObjectIDType mLengthObjectID;
    LongFilePositionType mLength = 0;
    LongFilePositionType mStartPosition = 0;
    IByteWriterWithPosition* mWriteStream;
    MyStringBuf mBuffer;
    OutputStringBufferStream mBufferStream;
    DictionaryContext* mStreamDictionary;
    bool mFinalized = false;
    bool mFailed = false;
};
