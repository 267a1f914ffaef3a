#pragma once
// PNG predictor reader that decodes every row with the Average filter (Predictor 13).
// Owns its source; see InputPredictorPNGStream for row layout and failures.

#include "pdf/io/InputPredictorPNGStream.h"

class InputPredictorPNGAverageStream : public InputPredictorPNGStream {
public:
    InputPredictorPNGAverageStream(IByteReader* inSourceStream, long long inColors, long long inBitsPerComponent, long long inColumns)
        : InputPredictorPNGStream(inSourceStream, inColors, inBitsPerComponent, inColumns, eAverage, "InputPredictorPNGAverageStream")
    {
    }
};
