#pragma once
// Inflates zlib (FlateDecode) data read from a source that it owns and deletes with itself.
// Call StartEncoding once before reading (a first Read starts it otherwise). A failure to start,
// to read the source or to inflate is final: later reads give 0 bytes, HasMoreBytes is false,
// and compressed bytes are never handed out as if they were decoded. A shared inflate state
// (a parser's) is used when no other reader holds it, and given back once the data has ended,
// failed or the reader goes; otherwise the reader makes a state of its own.

#include "pdf/io/IByteReader.h"
#include "pdf/io/InflateState.h"

#include <memory>

class InputFlateDecodeStream : public IByteReader {
public:
    explicit InputFlateDecodeStream(IByteReader* inSourceReader, std::shared_ptr<InflateState> inSharedState = nullptr);
    ~InputFlateDecodeStream() override;
    InputFlateDecodeStream(const InputFlateDecodeStream&) = delete;
    InputFlateDecodeStream& operator=(const InputFlateDecodeStream&) = delete;

    // Initialises inflate; -1 (with a log line) when zlib refuses.
    OpStatus StartEncoding();

    size_t Read(Byte* inBuffer, size_t inBufferSize) override;
    bool HasMoreBytes() override;

    static constexpr size_t kInputChunkSize = InflateState::kInputSize;

private:
    enum class State { NotStarted, Decoding, Ended, Failed };

    size_t DecodeBufferAndWrite(Byte* inBuffer, size_t inBufferSize);
    // Leaves decoding in the given final state and lets the inflate state go.
    void Finish(State inState);

    IByteReader* mSourceStream;
    std::shared_ptr<InflateState> mInflate;
    State mState = State::NotStarted;
    bool mSourceEnded = false;
    bool mOutputWasFull = false;
};
