#pragma once
// A sink of bytes. WriteBytes returns how many bytes it took; fewer than asked means failure.

#include "pdf/io/IOBasicTypes.h"

class IByteWriter {
public:
    virtual ~IByteWriter() {}
    virtual size_t WriteBytes(const Byte* inBuffer, size_t inSize) = 0;
};
