#include "pdf/io/InputPredictorTIFFSubStream.h"

#include "pdf/io/DiagnosticLog.h"


InputPredictorTIFFSubStream::InputPredictorTIFFSubStream(IByteReader* inSourceStream, long long inColors,
                                                         long long inBitsPerComponent, long long inColumns)
    : InputPredictorStream(inSourceStream)
{
    if (!PredictorRowLayout::Compute(inColors, inBitsPerComponent, inColumns, mLayout)) {
        TraceMessage("InputPredictorTIFFSubStream::InputPredictorTIFFSubStream, unsupported predictor parameters. Colors = %lld, BitsPerComponent = %lld, Columns = %lld",
                     inColors, inBitsPerComponent, inColumns);
        Fail();
        return;
    }
    mSampleCount = static_cast<size_t>(inColors) * static_cast<size_t>(inColumns);
}

bool InputPredictorTIFFSubStream::ReadNextRow()
{
    if (!mRow)
        mRow.reset(new Byte[mLayout.rowBytes]); // with the first row: an empty stream costs nothing
    switch (ReadRow(mRow.get(), mLayout.rowBytes)) {
    case RowResult::End:
        return false;
    case RowResult::Short:
        TraceMessage("InputPredictorPNGSubStream::Read, problem, expected columns*colors*bitspercomponent/8 number read. didn't make it");
        Fail();
        return false;
    case RowResult::Full:
        break;
    }
    DecodeRow();
    SetOutput(mRow.get(), mLayout.rowBytes);
    return true;
}

void InputPredictorTIFFSubStream::DecodeRow()
{
    // Each sample adds the same component of the pixel to its left; the first pixel stays.
    Byte* row = mRow.get();
    const size_t colors = mLayout.colors;
    switch (mLayout.bitsPerComponent) {
    case 8:
        for (size_t i = colors; i < mLayout.rowBytes; ++i)
            row[i] = static_cast<Byte>(row[i] + row[i - colors]);
        break;
    case 16:
        for (size_t i = colors; i < mSampleCount; ++i) {
            unsigned left = (static_cast<unsigned>(row[2 * (i - colors)]) << 8) | row[2 * (i - colors) + 1];
            unsigned value = ((static_cast<unsigned>(row[2 * i]) << 8) | row[2 * i + 1]) + left;
            row[2 * i] = static_cast<Byte>(value >> 8);
            row[2 * i + 1] = static_cast<Byte>(value);
        }
        break;
    default: {
        // 1, 2 or 4 bits: samples packed from the most significant bit; padding bits stay.
        const unsigned bits = mLayout.bitsPerComponent;
        const unsigned mask = (1u << bits) - 1;
        auto sampleAt = [&](size_t inIndex) {
            size_t bit = inIndex * bits;
            return (row[bit / 8] >> (8 - bits - bit % 8)) & mask;
        };
        for (size_t i = colors; i < mSampleCount; ++i) {
            unsigned value = (sampleAt(i) + sampleAt(i - colors)) & mask;
            size_t bit = i * bits;
            unsigned shift = 8 - bits - static_cast<unsigned>(bit % 8);
            row[bit / 8] = static_cast<Byte>((row[bit / 8] & ~(mask << shift)) | (value << shift));
        }
        break;
    }
    }
}
