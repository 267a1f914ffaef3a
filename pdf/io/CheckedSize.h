#pragma once
// Byte counts computed from values that a file declares (widths, heights, samples, entry
// counts): 64-bit products and sums that report overflow and a cap instead of wrapping, so that
// nothing is allocated for a size the file merely claims.

#include <cstdint>

class CheckedSize {
public:
    CheckedSize() = default;
    explicit CheckedSize(uint64_t inValue) : mValue(inValue) {}

    CheckedSize& Multiply(uint64_t inFactor)
    {
        if (!mOverflow && __builtin_mul_overflow(mValue, inFactor, &mValue))
            mOverflow = true;
        return *this;
    }
    CheckedSize& Add(uint64_t inTerm)
    {
        if (!mOverflow && __builtin_add_overflow(mValue, inTerm, &mValue))
            mOverflow = true;
        return *this;
    }
    // Bits to whole bytes.
    CheckedSize& BitsToBytes()
    {
        if (!mOverflow)
            mValue = mValue / 8 + (mValue % 8 != 0 ? 1 : 0);
        return *this;
    }

    // The value, when it neither overflowed nor exceeds inCap.
    bool Within(uint64_t inCap) const { return !mOverflow && mValue <= inCap; }
    uint64_t Value() const { return mValue; }

private:
    uint64_t mValue = 0;
    bool mOverflow = false;
};
