#include "pdf/fonts/AdobeGlyphList.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace {

struct UnicodeAndName {
    uint32_t unicode;
    const char* name;
};

#include "pdf/fonts/AdobeGlyphList.inc"

template <size_t N>
void AppendNames(const UnicodeAndName (&inTable)[N], uint32_t inUnicode, std::vector<std::string>& ioNames)
{
    auto before = [](const UnicodeAndName& inEntry, uint32_t inValue) { return inEntry.unicode < inValue; };
    auto entry = std::lower_bound(std::begin(inTable), std::end(inTable), inUnicode, before);
    for (; entry != std::end(inTable) && entry->unicode == inUnicode; ++entry)
        ioNames.push_back(entry->name);
}

} // namespace

std::vector<std::string> AdobeGlyphList::GlyphNamesForUnicode(uint32_t inUnicode)
{
    std::vector<std::string> names;
    if (inUnicode > 0x10FFFF || (inUnicode >= 0xD800 && inUnicode <= 0xDFFF))
        return names;
    AppendNames(scGlyphList, inUnicode, names);
    char name[16];
    if (inUnicode <= 0xFFFF) {
        std::snprintf(name, sizeof(name), "uni%04X", static_cast<unsigned>(inUnicode));
        names.push_back(name);
    }
    std::snprintf(name, sizeof(name), "u%04X", static_cast<unsigned>(inUnicode));
    names.push_back(name);
    // Older fonts name the Greek Omega "Omega" and the no-break space "space"; a glyph of the
    // character's own name comes first.
    AppendNames(scEarlierSecondCharacters, inUnicode, names);
    return names;
}
