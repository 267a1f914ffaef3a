#pragma once
// Row machinery of the PNG predictor readers (Predictor 10 to 15): each row is a filter-type
// byte and Colors x BitsPerComponent x Columns bits rounded up to whole bytes; the left
// neighbour lies one pixel (max(1, Colors x BitsPerComponent / 8) bytes) back. The reader owns
// its source and deletes it with itself. Bad parameters, a row cut short or (per-row types) an
// unknown filter type fail: one log line, then Read gives 0 and HasMoreBytes is false.

#include "pdf/io/InputPredictorStream.h"
#include "pdf/io/PredictorRowLayout.h"

#include <memory>

class InputPredictorPNGStream : public InputPredictorStream {
public:
    enum FilterType { eNone = 0, eSub = 1, eUp = 2, eAverage = 3, ePaeth = 4, eEachRowsOwn = -1 };

protected:
    // inFilterType: the type applied to every row, or eEachRowsOwn to follow each row's own
    // type byte. inClassName names the reader in its log lines.
    InputPredictorPNGStream(IByteReader* inSourceStream, long long inColors, long long inBitsPerComponent,
                            long long inColumns, FilterType inFilterType, const char* inClassName);

private:
    bool ReadNextRow() override;
    void DecodeRow(int inType);

    const FilterType mFilterType;
    const char* mClassName;
    PredictorRowLayout mLayout;
    size_t mRowSize = 0; // type byte plus data bytes
    std::unique_ptr<Byte[]> mRow;
    std::unique_ptr<Byte[]> mPreviousRow;
};
