#pragma once
// Flate-compresses what is written to it into a target writer, at zlib's default level.
// The target is owned while attached: the destructor finishes an open encoding into it and
// deletes it; Detach hands it back undeleted (and drops an unfinished encoding, since nothing
// may be written any more). Call StartEncoding before writing and FinalizeEncoding at the end;
// without a started encoding bytes pass through unchanged. A failed deflate or a target that
// takes fewer bytes than produced ends the encoding and stays reported by HasFailed.

#include "pdf/io/IByteWriterWithPosition.h"

#include <memory>

struct z_stream_s;

class OutputFlateEncodeStream : public IByteWriterWithPosition {
public:
    static constexpr size_t kBufferSize = 0x40000;

    OutputFlateEncodeStream();
    // Takes ownership of inTargetStream (may be null).
    explicit OutputFlateEncodeStream(IByteWriterWithPosition* inTargetStream);
    ~OutputFlateEncodeStream() override;
    OutputFlateEncodeStream(const OutputFlateEncodeStream&) = delete;
    OutputFlateEncodeStream& operator=(const OutputFlateEncodeStream&) = delete;

    // Finishes an encoding in progress into the old target, deletes it and takes the new one.
    void Assign(IByteWriterWithPosition* inTargetStream);
    // Gives up the target without deleting it. An encoding still open is ended without output.
    IByteWriterWithPosition* Detach();

    void StartEncoding();
    // Feeds the bytes to deflate and writes what it produces. inSize, or 0 on failure.
    size_t WriteBytes(const Byte* inBuffer, size_t inSize) override;
    // Flushes the rest of the compressed data and ends the encoding.
    void FinalizeEncoding();

    // The target's position (the compressed bytes written so far), 0 without a target.
    LongFilePositionType TellPosition() override;

    bool IsEncoding() const { return mCurrentlyEncoding; }
    bool HasFailed() const { return mFailed; }

private:
    size_t EncodeBufferAndWrite(const Byte* inBuffer, size_t inSize);
    bool WriteProduced(const char* inCaller);
    void EndDeflate();

    IByteWriterWithPosition* mTargetStream = nullptr;
    std::unique_ptr<z_stream_s> mZLibState;
    std::unique_ptr<Byte[]> mBuffer;
    bool mCurrentlyEncoding = false;
    bool mFailed = false;
};
