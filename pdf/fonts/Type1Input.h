#pragma once
// A parsed Type 1 font file (PFB form): its dictionaries, encoding, subroutines and glyph
// programs.
//
// Parsing Type 1 files is not built yet: ParseFontFile fails with one trace-log line and the
// object keeps the state of a font with the standard encoding and no glyphs.

#include "pdf/io/IByteReader.h"

#include <string>

class Type1Input {
public:
    Type1Input() = default;
    Type1Input(const Type1Input&) = delete;
    Type1Input& operator=(const Type1Input&) = delete;

    OpStatus ParseFontFile(IByteReader* inSourceFile);
    // The glyph name of a code in the font's encoding; ".notdef" for a code without one.
    std::string GlyphNameOfCharCode(Byte inCharCode);
};
