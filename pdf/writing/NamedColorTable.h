#pragma once
// The 140 colour keywords of CSS and SVG (spelled with "gray" only), each with its 0xRRGGBB
// value. Callers look a name up and pass the value to SetFillColor with the RGB kind.

#include <cstdint>
#include <map>
#include <string>

class NamedColorTable {
public:
    // The whole table, from "aliceblue" to "yellowgreen".
    static const std::map<std::string, uint32_t>& Colors();
    // False for a name the table does not hold (names are lower case).
    static bool Find(const std::string& inName, uint32_t& outValue);
};
