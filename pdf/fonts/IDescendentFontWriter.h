#pragma once
// The descendant CIDFont of a Type0 font, as each font kind writes it: it embeds its font
// program and writes the CIDFont dictionary through DescendentFontWriter, telling it its
// Subtype, its extra keys and its font program entry.

#include "pdf/fonts/EncodedGlyph.h"
#include "pdf/io/IOBasicTypes.h"
#include "pdf/objects/ObjectIDType.h"

#include <string>

class DictionaryContext;
class FreeTypeFaceWrapper;
class ObjectsContext;

class IDescendentFontWriter {
public:
    virtual ~IDescendentFontWriter() {}

    virtual OpStatus WriteFont(ObjectIDType inDescendentObjectID, const std::string& inFontName,
                               FreeTypeFaceWrapper& inFontInfo, const EncodedGlyphList& inEncodedGlyphs,
                               ObjectsContext* inObjectsContext, bool inEmbedFont) = 0;
    virtual void WriteSubtypeName(ObjectsContext* inObjectsContext, DictionaryContext* inFontDictionary) = 0;
    virtual void WriteExtraKeys(ObjectsContext* inObjectsContext, DictionaryContext* inFontDictionary) = 0;
    virtual void WriteFontProgramEntry(DictionaryContext* inDescriptor, ObjectsContext* inObjectsContext) = 0;
};
