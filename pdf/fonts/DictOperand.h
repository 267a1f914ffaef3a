#pragma once
// One operand of a CFF DICT: an integer, or a real with the number of fraction digits it was
// read with, so that a writer can put it back as it was.

#include <cstdint>
#include <vector>

struct DictOperand {
    bool mIsInteger = true;
    int32_t mIntegerValue = 0;
    double mRealValue = 0;
    int mRealFractionDigits = 0;

    static DictOperand Integer(int32_t inValue)
    {
        DictOperand operand;
        operand.mIntegerValue = inValue;
        return operand;
    }
    static DictOperand Real(double inValue, int inFractionDigits)
    {
        DictOperand operand;
        operand.mIsInteger = false;
        operand.mRealValue = inValue;
        operand.mRealFractionDigits = inFractionDigits;
        return operand;
    }
};

typedef std::vector<DictOperand> DictOperandList;
