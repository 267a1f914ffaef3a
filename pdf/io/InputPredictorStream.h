#pragma once
// Common ground of the predictor readers: a source that it owns and deletes with itself, rows
// of a fixed size read from it whole, and decoded bytes handed out row after row. A failure
// (bad parameters, a row cut short, damaged row data) is logged once by the subclass and is
// final: Read then gives 0 and HasMoreBytes is false.

#include "pdf/io/IByteReader.h"

#include <memory>

class InputPredictorStream : public IByteReader {
public:
    ~InputPredictorStream() override;
    InputPredictorStream(const InputPredictorStream&) = delete;
    InputPredictorStream& operator=(const InputPredictorStream&) = delete;

    size_t Read(Byte* inBuffer, size_t inBufferSize) override;
    bool HasMoreBytes() override;

protected:
    explicit InputPredictorStream(IByteReader* inSourceStream);

    // Reads and decodes the next row, then points the output at its decoded bytes with
    // SetOutput. False at the end of the data or on failure (after calling Fail).
    virtual bool ReadNextRow() = 0;

    enum class RowResult { Full, End, Short };
    // Reads inSize bytes whole. End: the source had nothing left; Short: it ended (or stopped
    // yielding) inside the row.
    RowResult ReadRow(Byte* outRow, size_t inSize);

    void SetOutput(const Byte* inBytes, size_t inSize);
    void Fail() { mFailed = true; }

private:
    // Source bytes read ahead: rows are often a few bytes (cross-reference streams), and one
    // source read per row would cost a decoder call each.
    static constexpr size_t kInputChunkSize = 16 * 1024;
    bool FillInput();

    IByteReader* mSourceStream;
    std::unique_ptr<Byte[]> mInput;
    size_t mInputIndex = 0;
    size_t mInputSize = 0;
    const Byte* mOutput = nullptr;
    size_t mOutputSize = 0;
    size_t mOutputIndex = 0;
    bool mFailed = false;
};
