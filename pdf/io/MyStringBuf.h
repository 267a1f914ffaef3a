#pragma once
// The memory buffer of the string streams.

#include <sstream>

class MyStringBuf : public std::stringbuf {
public:
    MyStringBuf() : std::stringbuf(std::ios_base::in | std::ios_base::out | std::ios_base::binary) {}
};
