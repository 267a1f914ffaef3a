#pragma once
// The descendant CIDFont of a TrueType face: CIDFontType2 with an Identity CIDToGIDMap (CIDs
// are glyph ids), its program embedded as a TrueType subset (FontFile2).

#include "pdf/fonts/IDescendentFontWriter.h"

class TrueTypeDescendentFontWriter : public IDescendentFontWriter {
public:
    OpStatus WriteFont(ObjectIDType inDescendentObjectID, const std::string& inFontName,
                       FreeTypeFaceWrapper& inFontInfo, const EncodedGlyphList& inEncodedGlyphs,
                       ObjectsContext* inObjectsContext, bool inEmbedFont) override;
    void WriteSubtypeName(ObjectsContext* inObjectsContext, DictionaryContext* inFontDictionary) override;
    void WriteExtraKeys(ObjectsContext* inObjectsContext, DictionaryContext* inFontDictionary) override;
    void WriteFontProgramEntry(DictionaryContext* inDescriptor, ObjectsContext* inObjectsContext) override;

private:
    ObjectIDType mEmbeddedFontFileObjectID = 0;
};
