#pragma once
// One operand of a Type 2 charstring: an integer, or a real (16.16 numbers and computed values).

#include <cstdint>

struct Type2Operand {
    bool mIsInteger = true;
    int32_t mIntegerValue = 0;
    double mRealValue = 0;

    static Type2Operand Integer(int32_t inValue)
    {
        Type2Operand operand;
        operand.mIntegerValue = inValue;
        return operand;
    }
    static Type2Operand Real(double inValue)
    {
        Type2Operand operand;
        operand.mIsInteger = false;
        operand.mRealValue = inValue;
        return operand;
    }
    double AsReal() const { return mIsInteger ? static_cast<double>(mIntegerValue) : mRealValue; }
};
