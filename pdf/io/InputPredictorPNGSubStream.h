#pragma once
// PNG predictor reader that decodes every row with the Sub filter (Predictor 11).
// Owns its source; see InputPredictorPNGStream for row layout and failures.

#include "pdf/io/InputPredictorPNGStream.h"

class InputPredictorPNGSubStream : public InputPredictorPNGStream {
public:
    InputPredictorPNGSubStream(IByteReader* inSourceStream, long long inColors, long long inBitsPerComponent, long long inColumns)
        : InputPredictorPNGStream(inSourceStream, inColors, inBitsPerComponent, inColumns, eSub, "InputPredictorPNGSubStream")
    {
    }
};
