#pragma once
// WinAnsiEncoding as simple TrueType fonts are written with it: the glyph name of each code
// (".notdef" for the codes the PDF table leaves unassigned, no-break space and soft hyphen
// included) and the code of a Unicode value.

#include "pdf/io/IOBasicTypes.h"

class WinAnsiEncoding {
public:
    static const char* GlyphName(Byte inCode);
    // 0-23, 32-126, 161-177 and 179-255 stand for themselves; 0x80-0x9F hold the typographic
    // characters of the encoding. False for every other value.
    static bool CodeForUnicode(uint32_t inUnicode, Byte& outCode);
};
