#pragma once
// Unicode code points decoded from UTF-8 and encoded as UTF-16. Paths are UTF-8 throughout the
// library; a path that does not decode cleanly is refused instead of being cut short.

#include "pdf/io/IOBasicTypes.h"

#include <string>
#include <vector>

class CodePointString {
public:
    struct UTF16Result {
        OpStatus status = eSuccess;
        std::u16string units;
    };

    // Clears the list, then decodes. -1 on a malformed sequence; what was decoded before stays.
    OpStatus FromUTF8Bytes(const std::string& inUTF8);
    // -1 on a surrogate or a value above 0x10FFFF; the units made before it are returned.
    UTF16Result ToUTF16Units() const;

    const std::vector<uint32_t>& GetCodePoints() const { return mCodePoints; }

private:
    std::vector<uint32_t> mCodePoints;
};

// UTF-8 to UTF-16. -1 when either step fails; outWide then holds only the part before the fault
// and must not be used as a path.
OpStatus WidePathFromUTF8(const std::string& inUTF8, std::u16string& outWide);
