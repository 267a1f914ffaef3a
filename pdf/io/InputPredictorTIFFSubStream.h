#pragma once
// Undoes TIFF predictor 2 (horizontal differencing) on rows read from a source that it owns
// and deletes with itself. Rows hold Colors x Columns samples of BitsPerComponent bits (1, 2,
// 4, 8 or 16), padded to whole bytes. Parameters outside the supported ranges, or a row cut
// short, fail: one log line, then Read gives 0 and HasMoreBytes is false.

#include "pdf/io/InputPredictorStream.h"
#include "pdf/io/PredictorRowLayout.h"

#include <memory>

class InputPredictorTIFFSubStream : public InputPredictorStream {
public:
    InputPredictorTIFFSubStream(IByteReader* inSourceStream, long long inColors, long long inBitsPerComponent, long long inColumns);

private:
    bool ReadNextRow() override;
    void DecodeRow();

    PredictorRowLayout mLayout;
    size_t mSampleCount = 0; // samples in one row: Colors x Columns
    std::unique_ptr<Byte[]> mRow;
};
