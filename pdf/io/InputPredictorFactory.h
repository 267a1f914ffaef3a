#pragma once
// Builds the predictor reader that a stream's DecodeParms ask for, over an already decoded
// source. Takes ownership of inSource in every case: it comes back unchanged for Predictor 1,
// is owned by the new reader for 2 (TIFF) and 10 to 15 (PNG), and is deleted when the
// predictor or its parameters are unsupported (null result, one log line).

#include "pdf/io/IByteReader.h"

IByteReader* CreatePredictorStream(IByteReader* inSource, long long inPredictor, long long inColors,
                                   long long inBitsPerComponent, long long inColumns);
