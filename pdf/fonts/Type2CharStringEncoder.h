#pragma once
// Writes the byte forms of Type 2 charstrings into a stream the caller owns: integer and
// 16.16 real operands, operators (0x0C00 + x as the two bytes 12 x) and hint masks. Used by
// the charstring flattener and by the Type 1 to Type 2 conversion. Each call returns 0, or -1
// after a short write or for a value that has no Type 2 form (then nothing is written).

#include "pdf/fonts/Type2Operand.h"
#include "pdf/io/IByteWriter.h"

class Type2CharStringEncoder {
public:
    explicit Type2CharStringEncoder(IByteWriter* inStream) : mStream(inStream) {}

    // -32768 to 32767 in the shortest form.
    OpStatus WriteCharStringOperand(long inValue);
    // 255 and the value times 65536, truncated toward zero, as a signed 32-bit number.
    OpStatus WriteRealOperand(double inValue);
    OpStatus WriteOperand(const Type2Operand& inOperand);
    // A whole value as an integer, any other as a real.
    OpStatus WriteNumberOperand(double inValue);
    OpStatus WriteOperator(uint16_t inOperatorCode);
    // The low inByteCount bytes of inMask, most significant first.
    OpStatus WriteHintMask(unsigned long inMask, size_t inByteCount);
    OpStatus WriteBytes(const Byte* inBytes, size_t inSize);

private:
    IByteWriter* mStream;
};
