#pragma once
// PNG predictor reader that decodes every row with the Up filter (Predictor 12).
// Owns its source; see InputPredictorPNGStream for row layout and failures.

#include "pdf/io/InputPredictorPNGStream.h"

class InputPredictorPNGUpStream : public InputPredictorPNGStream {
public:
    InputPredictorPNGUpStream(IByteReader* inSourceStream, long long inColors, long long inBitsPerComponent, long long inColumns)
        : InputPredictorPNGStream(inSourceStream, inColors, inBitsPerComponent, inColumns, eUp, "InputPredictorPNGUpStream")
    {
    }
};
