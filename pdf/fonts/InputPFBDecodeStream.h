#pragma once
// A Type 1 font file in PFB form read as one plain text: segment headers dropped, binary
// segments eexec-decrypted (the decryption runs on across consecutive binary segments), the
// trailer of zeros and "cleartomark" removed. On top of it, GetNextToken splits the text into
// PostScript tokens. The source is not owned; Assign takes it until the next Assign or Release.
// Any failure is sticky: Read then produces nothing and GetNextToken finds no token.

#include "pdf/io/IByteReader.h"

#include <cstdint>
#include <string>

class InputPFBDecodeStream : public IByteReader {
public:
    InputPFBDecodeStream() = default;
    InputPFBDecodeStream(const InputPFBDecodeStream&) = delete;
    InputPFBDecodeStream& operator=(const InputPFBDecodeStream&) = delete;

    // Takes the source and reads the first segment header; returns that header's status.
    OpStatus Assign(IByteReader* inSource);
    // Lets go of the source; the stream then stays ended with status -1.
    void Release();

    // Reads the next segment header. Data that does not start with a PFB segment marker fails.
    OpStatus InitializeStreamSegment();

    size_t Read(Byte* inBuffer, size_t inBufferSize) override;
    bool HasMoreBytes() override;

    // The next PostScript token of the current segment; false when there is none.
    bool GetNextToken(std::string& outToken);

    OpStatus GetInternalState() const { return mStatus; }

private:
    enum SegmentType { eSegmentNone = 0, eSegmentText = 1, eSegmentBinary = 2, eSegmentEndOfFile = 3 };

    bool SourceHasMoreBytes();
    bool ReadSourceByte(Byte& outByte);
    bool ReadLength(uint32_t& outLength);
    // One byte of the current segment, decrypted in a binary one; false at its end or on failure.
    bool ReadSegmentByte(Byte& outByte);
    // The same, handing out the put-back character first.
    bool GetChar(Byte& outByte);
    void PutBack(Byte inByte);
    OpStatus SkipTrailer();

    IByteReader* mSource = nullptr;
    Byte mBuffer[4096];
    size_t mBufferSize = 0;
    size_t mBufferPosition = 0;

    uint64_t mSegmentRemaining = 0;
    uint64_t mSegmentRead = 0;
    int mSegmentType = eSegmentNone;
    bool mEndOfFileSeen = false;
    bool mDecrypting = false;
    uint16_t mRandomizer = 0;
    bool mHasPutBack = false;
    Byte mPutBack = 0;
    OpStatus mStatus = eFailure;
};
