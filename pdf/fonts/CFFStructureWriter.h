#pragma once
// The CFF structures that every CFF font writer builds the same way: an INDEX from its items
// (offSize chosen from the last offset, first offset 1; an empty INDEX is the two bytes 0 0),
// and the five-byte DICT placeholders overwritten once the offsets they stand for are known.

#include "pdf/fonts/CFFValueWriter.h"

#include <string>
#include <vector>

class CFFStructureWriter {
public:
    // 1 below 256, 2 up to 65535, 3 below 2^24, else 4.
    static Byte OffSizeFor(uint32_t inLastOffset);
    // -1 on a failed write or when the items are too large for 32-bit offsets.
    static OpStatus WriteIndex(CFFValueWriter& inWriter, const std::vector<std::string>& inItems);
    // A placeholder of the five bytes 29 x x x x at inPosition of the written data gets inValue.
    static OpStatus FillPlaceholder(std::string& ioData, size_t inPosition, int32_t inValue);
};
