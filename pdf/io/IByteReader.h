#pragma once
// A source of bytes. Read returns how many bytes it produced; HasMoreBytes turns false at
// the end of the data or after a failure, so no caller loops on a reader that yields nothing.

#include "pdf/io/IOBasicTypes.h"

class IByteReader {
public:
    virtual ~IByteReader() {}
    virtual size_t Read(Byte* inBuffer, size_t inBufferSize) = 0;
    virtual bool HasMoreBytes() = 0;
};
