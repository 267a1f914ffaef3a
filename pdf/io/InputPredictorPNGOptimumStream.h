#pragma once
// PNG predictor reader that decodes each row with the filter its type byte names (Predictor 15);
// a type above 4 fails.
// Owns its source; see InputPredictorPNGStream for row layout and failures.

#include "pdf/io/InputPredictorPNGStream.h"

class InputPredictorPNGOptimumStream : public InputPredictorPNGStream {
public:
    InputPredictorPNGOptimumStream(IByteReader* inSourceStream, long long inColors, long long inBitsPerComponent, long long inColumns)
        : InputPredictorPNGStream(inSourceStream, inColors, inBitsPerComponent, inColumns, eEachRowsOwn, "InputPredictorPNGOptimumStream")
    {
    }
};
