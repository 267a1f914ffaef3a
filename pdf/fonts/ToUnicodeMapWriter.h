#pragma once
// The ToUnicode CMap of a written font: a stream in a reserved object that maps every code of
// the font but .notdef's to the UTF-16 text of its glyph, in "beginbfchar" blocks of at most 100
// entries. Simple fonts use one-byte codes, Type0 fonts two-byte codes.

#include "pdf/fonts/EncodedGlyph.h"
#include "pdf/io/IOBasicTypes.h"
#include "pdf/objects/ObjectIDType.h"

#include <string>

class ObjectsContext;

class ToUnicodeMapWriter {
public:
    enum ECodeWidth { eOneByteCodes = 1, eTwoByteCodes = 2 };

    // The status of ending the stream.
    static OpStatus WriteToUnicodeMap(ObjectsContext* inObjectsContext, ObjectIDType inObjectID,
                                      const EncodedGlyphList& inEncodedGlyphs, ECodeWidth inCodeWidth);

    // The text of the map, as the stream holds it before compression.
    static std::string ToUnicodeMapText(const EncodedGlyphList& inEncodedGlyphs, ECodeWidth inCodeWidth);

    // The UTF-16 hex digits of the values, lowercase; "0000" for none. A value UTF-16 cannot
    // hold (a surrogate, or above U+10FFFF) becomes U+FFFD, the replacement character.
    static std::string UTF16Hex(const std::vector<uint32_t>& inUnicodeValues);
};
