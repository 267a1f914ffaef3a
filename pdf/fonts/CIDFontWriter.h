#pragma once
// Writes a written font's CID representation as a Type0 font: the Type0 dictionary with
// Identity-H codes (CID = glyph id) and its ToUnicode map, then the descendant CIDFont through
// the kind's IDescendentFontWriter. Used for one call.

#include "pdf/fonts/EncodedGlyph.h"
#include "pdf/io/IOBasicTypes.h"

class FreeTypeFaceWrapper;
class IDescendentFontWriter;
class ObjectsContext;

class CIDFontWriter {
public:
    virtual ~CIDFontWriter() {}

    // The Type0 dictionary goes under the representation's object id.
    OpStatus WriteFont(FreeTypeFaceWrapper& inFontInfo, const WrittenFontRepresentation& inRepresentation,
                       ObjectsContext* inObjectsContext, IDescendentFontWriter* inDescendentFontWriter,
                       bool inEmbedFont);
};
