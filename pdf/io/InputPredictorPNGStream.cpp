#include "pdf/io/InputPredictorPNGStream.h"

#include "pdf/io/DiagnosticLog.h"

#include <cstdlib>
#include <cstring>

InputPredictorPNGStream::InputPredictorPNGStream(IByteReader* inSourceStream, long long inColors, long long inBitsPerComponent,
                                                 long long inColumns, FilterType inFilterType, const char* inClassName)
    : InputPredictorStream(inSourceStream), mFilterType(inFilterType), mClassName(inClassName)
{
    if (!PredictorRowLayout::Compute(inColors, inBitsPerComponent, inColumns, mLayout)) {
        TraceMessage("%s::%s, unsupported predictor parameters. Colors = %lld, BitsPerComponent = %lld, Columns = %lld",
                     mClassName, mClassName, inColors, inBitsPerComponent, inColumns);
        Fail();
        return;
    }
    mRowSize = mLayout.rowBytes + 1;
}

bool InputPredictorPNGStream::ReadNextRow()
{
    if (!mRow) {
        // Allocated with the first row, so an empty stream with a huge Columns costs nothing.
        // The previous row starts zero-filled: the first row's upper neighbours are 0.
        mRow.reset(new Byte[mRowSize]());
        mPreviousRow.reset(new Byte[mRowSize]());
    } else {
        mRow.swap(mPreviousRow);
    }
    switch (ReadRow(mRow.get(), mRowSize)) {
    case RowResult::End:
        return false;
    case RowResult::Short:
        TraceMessage("%s::Read, problem, expected columns number read. didn't make it", mClassName);
        Fail();
        return false;
    case RowResult::Full:
        break;
    }
    int type = mFilterType;
    if (mFilterType == eEachRowsOwn) {
        type = mRow[0];
        if (type > ePaeth) {
            TraceMessage("%s::Read, unknown PNG filter type %d in row", mClassName, type);
            Fail();
            return false;
        }
    }
    DecodeRow(type);
    // The type byte is not data: hand out from the first data byte on.
    SetOutput(mRow.get() + 1, mLayout.rowBytes);
    return true;
}

void InputPredictorPNGStream::DecodeRow(int inType)
{
    Byte* row = mRow.get() + 1;
    const Byte* up = mPreviousRow.get() + 1;
    const size_t size = mLayout.rowBytes;
    const size_t bpp = mLayout.bytesPerPixel;
    // Neighbours before the start of the row are 0.
    switch (inType) {
    case eNone:
        break;
    case eSub:
        for (size_t i = bpp; i < size; ++i)
            row[i] = static_cast<Byte>(row[i] + row[i - bpp]);
        break;
    case eUp:
        for (size_t i = 0; i < size; ++i)
            row[i] = static_cast<Byte>(row[i] + up[i]);
        break;
    case eAverage:
        for (size_t i = 0; i < bpp && i < size; ++i)
            row[i] = static_cast<Byte>(row[i] + up[i] / 2);
        for (size_t i = bpp; i < size; ++i)
            row[i] = static_cast<Byte>(row[i] + (row[i - bpp] + up[i]) / 2);
        break;
    case ePaeth:
        for (size_t i = 0; i < bpp && i < size; ++i)
            row[i] = static_cast<Byte>(row[i] + up[i]); // with a = c = 0 the predictor is b
        for (size_t i = bpp; i < size; ++i) {
            // Distances of p = a + b - c to a, b and c, written so the compiler can avoid branches.
            int a = row[i - bpp], b = up[i], c = up[i - bpp];
            int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
            int nearer = pb <= pc ? b : c;
            int predictor = (pa <= pb && pa <= pc) ? a : nearer;
            row[i] = static_cast<Byte>(row[i] + predictor);
        }
        break;
    default:
        break;
    }
}
