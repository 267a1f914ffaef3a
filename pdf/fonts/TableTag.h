#pragma once
// The 32-bit tag of an sfnt table name of up to four characters, padded with blanks, first
// character in the most significant byte: MakeTableTag("cvt") == MakeTableTag("cvt ").

#include <cstdint>
#include <string_view>

constexpr uint32_t MakeTableTag(std::string_view inName)
{
    uint32_t tag = 0;
    for (size_t i = 0; i < 4; ++i)
        tag = (tag << 8) | static_cast<unsigned char>(i < inName.size() ? inName[i] : ' ');
    return tag;
}
