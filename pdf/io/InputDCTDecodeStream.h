#pragma once
// Decodes DCT (baseline or progressive JPEG) data read from a source that it owns and deletes
// with itself; the output is the rows of the image, width x components bytes each, in the
// decoder's default colour space. Call InitializeDecodingState once before reading. Any
// decoding failure is logged once and final: Read then gives 0 and HasMoreBytes is false.
// Data that ends early reads as an end-of-image marker, so a cut JPEG still yields its rows.

#include "pdf/io/IByteReader.h"

#include <memory>

class InputDCTDecodeStream : public IByteReader {
public:
    explicit InputDCTDecodeStream(IByteReader* inSourceStream);
    ~InputDCTDecodeStream() override;
    InputDCTDecodeStream(const InputDCTDecodeStream&) = delete;
    InputDCTDecodeStream& operator=(const InputDCTDecodeStream&) = delete;

    OpStatus InitializeDecodingState();

    size_t Read(Byte* inBuffer, size_t inBufferSize) override;
    bool HasMoreBytes() override;

    // Bounds what libjpeg may allocate for one image (whole-image buffers of progressive data).
    static constexpr long kMaxDecoderMemory = 512L * 1024 * 1024;
    // Bounds the scans of a progressive image; real files use about ten.
    static constexpr int kMaxProgressiveScans = 500;

    // libjpeg's state, kept out of this header; defined in the source file.
    struct DecoderContext;

private:
    OpStatus StartRead();
    bool ReadNextRows();

    IByteReader* mStream;
    std::unique_ptr<DecoderContext> mDecoder;
    bool mIsInitialized = false;
    bool mIsStarted = false;
    bool mFailed = false;
    unsigned mRowsInBuffer = 0;
    unsigned mCurrentRow = 0;
    size_t mOffsetInRow = 0;
    size_t mRowSize = 0;
};
