#pragma once
// A byte sink that tells how many bytes it has taken so far (for a file: its position).

#include "pdf/io/IByteWriter.h"

class IByteWriterWithPosition : public IByteWriter {
public:
    virtual ~IByteWriterWithPosition() {}
    virtual LongFilePositionType TellPosition() = 0;
};
