#pragma once
// The 391 standard strings of the Compact Font Format (SIDs 0 to 390, ".notdef" to "Semibold"),
// shared by the CFF reader and the CFF writers. Strings a font adds get SIDs from 391 on.

#include <cstdint>
#include <string_view>

class CFFStandardStrings {
public:
    static constexpr uint16_t kCount = 391;

    // The string of a standard SID; null for SIDs from 391 on.
    static const char* StringOfSID(uint16_t inSID);
    // The SID of a standard string (binary search over the strings in byte order).
    static bool SIDOfString(std::string_view inString, uint16_t& outSID);
};
