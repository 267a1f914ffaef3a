#pragma once
// PNG predictor reader that decodes every row with the Paeth filter (Predictor 14).
// Owns its source; see InputPredictorPNGStream for row layout and failures.

#include "pdf/io/InputPredictorPNGStream.h"

class InputPredictorPNGPaethStream : public InputPredictorPNGStream {
public:
    InputPredictorPNGPaethStream(IByteReader* inSourceStream, long long inColors, long long inBitsPerComponent, long long inColumns)
        : InputPredictorPNGStream(inSourceStream, inColors, inBitsPerComponent, inColumns, ePaeth, "InputPredictorPNGPaethStream")
    {
    }
};
