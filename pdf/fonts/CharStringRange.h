#pragma once
// Where one charstring or subroutine lies in CFF data: start and end (exclusive) relative to the
// start of the CFF data, and its index within its INDEX.

#include "pdf/io/IOBasicTypes.h"

struct CharStringRange {
    LongFilePositionType mStartPosition = 0;
    LongFilePositionType mEndPosition = 0;
    uint16_t mIndex = 0;
};
