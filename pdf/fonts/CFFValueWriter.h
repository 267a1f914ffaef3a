#pragma once
// Writes the primitive values of CFF data into a stream the caller owns: cards, INDEX offsets of
// the current offSize, DICT operands (integers in their shortest form, the fixed five-byte form
// for placeholders, reals as nibbles) and whole DICT entries. The status is sticky: after the
// first short write nothing more is written and every call returns -1. An unsupported offSize
// or a real that cannot be written fails that call only.

#include "pdf/fonts/DictOperand.h"
#include "pdf/io/IByteWriter.h"

class CFFValueWriter {
public:
    CFFValueWriter() = default;
    explicit CFFValueWriter(IByteWriter* inStream) { SetStream(inStream); }

    // Takes the stream (not owned); status 0 (-1 for null).
    void SetStream(IByteWriter* inStream);

    OpStatus Write(const Byte* inBuffer, size_t inSize);
    OpStatus PutByte(int inValue);
    OpStatus PutCard16(uint16_t inValue);
    OpStatus PutCard32(uint32_t inValue);
    OpStatus PutUInt24(uint32_t inValue);

    void SetOffSize(Byte inOffSize) { mOffSize = inOffSize; }
    Byte GetOffSize() const { return mOffSize; }
    OpStatus PutOffset(uint32_t inValue);

    OpStatus PutIntegerOperand(int32_t inValue);
    // 29 and four bytes whatever the value, so that a placeholder can be overwritten in place.
    OpStatus PutFiveByteInteger(int32_t inValue);
    // At most inFractionDigits digits after the point. Values of 1e15 and more (or not finite)
    // cannot be written.
    OpStatus PutRealOperand(double inValue, int inFractionDigits);
    // The operands, then the operator: keys 0x0C00 + x as the two bytes 12 x.
    OpStatus PutDictEntry(uint16_t inOperatorKey, const DictOperandList& inOperands);

    OpStatus GetStatus() const { return mStatus; }

private:
    IByteWriter* mStream = nullptr;
    Byte mOffSize = 0;
    OpStatus mStatus = eFailure;
};
