#include "pdf/io/InputPredictorFactory.h"

#include "pdf/io/DiagnosticLog.h"
#include "pdf/io/InputPredictorPNGOptimumStream.h"
#include "pdf/io/InputPredictorTIFFSubStream.h"
#include "pdf/io/PredictorRowLayout.h"

IByteReader* CreatePredictorStream(IByteReader* inSource, long long inPredictor, long long inColors,
                                   long long inBitsPerComponent, long long inColumns)
{
    if (inPredictor == 1)
        return inSource;
    if (inPredictor != 2 && (inPredictor < 10 || inPredictor > 15)) {
        TraceMessage("CreatePredictorStream, supporting only predictor of types 1,2,10,11,12,13,14,15, got %lld", inPredictor);
        delete inSource;
        return nullptr;
    }
    PredictorRowLayout layout;
    if (!PredictorRowLayout::Compute(inColors, inBitsPerComponent, inColumns, layout)) {
        TraceMessage("CreatePredictorStream, unsupported predictor parameters. Colors = %lld, BitsPerComponent = %lld, Columns = %lld",
                     inColors, inBitsPerComponent, inColumns);
        delete inSource;
        return nullptr;
    }
    if (inPredictor == 2)
        return new InputPredictorTIFFSubStream(inSource, inColors, inBitsPerComponent, inColumns);
    // For any PNG predictor the value in DecodeParms is only a hint: every row carries its own
    // filter type, and writers do mix types within one stream.
    return new InputPredictorPNGOptimumStream(inSource, inColors, inBitsPerComponent, inColumns);
}
