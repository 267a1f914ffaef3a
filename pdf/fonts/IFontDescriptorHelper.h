#pragma once
// What a font dictionary writer adds to the font descriptor of its font: its glyph-set entry
// (CharSet for Type 1 simple fonts, CIDSet for CIDFonts, nothing for TrueType simple fonts) and
// the entry of its embedded font program (FontFile2 or FontFile3, when one was written).

#include "pdf/fonts/EncodedGlyph.h"

class DictionaryContext;
class FreeTypeFaceWrapper;
class ObjectsContext;

class IFontDescriptorHelper {
public:
    virtual ~IFontDescriptorHelper() {}

    virtual void WriteGlyphSetEntry(DictionaryContext* inDescriptor, ObjectsContext* inObjectsContext,
                                    FreeTypeFaceWrapper& inFontInfo, const EncodedGlyphList& inEncodedGlyphs) = 0;
    virtual void WriteFontProgramEntry(DictionaryContext* inDescriptor, ObjectsContext* inObjectsContext) = 0;
};
