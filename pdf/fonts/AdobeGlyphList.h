#pragma once
// The glyph names by which a font without a Unicode map of its own (a Type 1 font) holds the
// glyph of a character: the Adobe Glyph List's names of the character, then the "uniXXXX" and
// "uXXXX" to "uXXXXXX" forms that the glyph naming rules give every character, then the name
// that the list's earlier version also gave ten characters ("space" for the no-break space).

#include <cstdint>
#include <string>
#include <vector>

class AdobeGlyphList {
public:
    // The names in the order to try them; none for a surrogate or a value beyond Unicode.
    static std::vector<std::string> GlyphNamesForUnicode(uint32_t inUnicode);
};
