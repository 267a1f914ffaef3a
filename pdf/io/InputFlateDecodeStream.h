#pragma once
// Inflates zlib (FlateDecode) data read from a source that it owns and deletes with itself.
// Call StartEncoding once before reading (a first Read starts it otherwise). A failure to start,
// to read the source or to inflate is final: later reads give 0 bytes, HasMoreBytes is false,
// and compressed bytes are never handed out as if they were decoded.

#include "pdf/io/IByteReader.h"

#include <zlib.h>

#include <memory>

class InputFlateDecodeStream : public IByteReader {
public:
    explicit InputFlateDecodeStream(IByteReader* inSourceReader);
    ~InputFlateDecodeStream() override;
    InputFlateDecodeStream(const InputFlateDecodeStream&) = delete;
    InputFlateDecodeStream& operator=(const InputFlateDecodeStream&) = delete;

    // Initialises inflate; -1 (with a log line) when zlib refuses.
    OpStatus StartEncoding();

    size_t Read(Byte* inBuffer, size_t inBufferSize) override;
    bool HasMoreBytes() override;

    static constexpr size_t kInputChunkSize = 0x10000;

private:
    enum class State { NotStarted, Decoding, Ended, Failed };

    size_t DecodeBufferAndWrite(Byte* inBuffer, size_t inBufferSize);
    void Fail();

    IByteReader* mSourceStream;
    z_stream mZLibState;
    std::unique_ptr<Byte[]> mInputChunk;
    State mState = State::NotStarted;
    bool mSourceEnded = false;
    bool mOutputWasFull = false;
};
