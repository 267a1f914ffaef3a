#pragma once
// Writes the font descriptor of a font dictionary as one indirect object: names, stretch and
// weight, metrics scaled to 1000 units per em, the flags, and the calling writer's own entries
// through IFontDescriptorHelper. Works with a face wrapper that lacks the FreeType face or the
// format extender: the values they would give are then 0 or taken from the style name.

#include "pdf/fonts/EncodedGlyph.h"
#include "pdf/io/IOBasicTypes.h"
#include "pdf/objects/ObjectIDType.h"

#include <string>

class FreeTypeFaceWrapper;
class IFontDescriptorHelper;
class ObjectsContext;

class FontDescriptorBuilder {
public:
    // The status of ending the descriptor's dictionary; callers go on either way, since a
    // failure is remembered by the objects context and fails the document's end.
    static OpStatus WriteDescriptor(ObjectIDType inDescriptorObjectID, const std::string& inFontName,
                                    FreeTypeFaceWrapper& inFontInfo, const EncodedGlyphList& inEncodedGlyphs,
                                    ObjectsContext* inObjectsContext, IFontDescriptorHelper* inDescriptorHelper);

    static unsigned int CalculateFlags(FreeTypeFaceWrapper& inFontInfo, const EncodedGlyphList& inEncodedGlyphs);
    // True as soon as a shown character (control characters aside) is outside standard Latin.
    static bool IsSymbolic(const EncodedGlyphList& inEncodedGlyphs);
    // The PDF name of a stretch value 1 to 9; "Normal" for any other value.
    static const char* StretchName(int inStretch);
};
