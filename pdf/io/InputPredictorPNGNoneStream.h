#pragma once
// PNG predictor reader that decodes every row as is (Predictor 10).
// Owns its source; see InputPredictorPNGStream for row layout and failures.

#include "pdf/io/InputPredictorPNGStream.h"

class InputPredictorPNGNoneStream : public InputPredictorPNGStream {
public:
    InputPredictorPNGNoneStream(IByteReader* inSourceStream, long long inColors, long long inBitsPerComponent, long long inColumns)
        : InputPredictorPNGStream(inSourceStream, inColors, inBitsPerComponent, inColumns, eNone, "InputPredictorPNGNoneStream")
    {
    }
};
