#pragma once
// The glyph names of Adobe StandardEncoding by character code (".notdef" where the encoding has
// no glyph): the built-in encoding of Type 1 and CFF fonts and the codes of the seac operator.

#include "pdf/io/IOBasicTypes.h"

class StandardEncoding {
public:
    static const char* GlyphName(Byte inCode);
};
