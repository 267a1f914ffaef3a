#pragma once
// The descendant CIDFont of a CFF face: CIDFontType0 with its program as a FontFile3
// /CIDFontType0C stream whose CIDs are the glyph ids. Type 1 faces have no CID form here and
// fail with a message.

#include "pdf/fonts/IDescendentFontWriter.h"

class CFFDescendentFontWriter : public IDescendentFontWriter {
public:
    OpStatus WriteFont(ObjectIDType inDescendentObjectID, const std::string& inFontName,
                       FreeTypeFaceWrapper& inFontInfo, const EncodedGlyphList& inEncodedGlyphs,
                       ObjectsContext* inObjectsContext, bool inEmbedFont) override;
    void WriteSubtypeName(ObjectsContext* inObjectsContext, DictionaryContext* inFontDictionary) override;
    void WriteExtraKeys(ObjectsContext*, DictionaryContext*) override {}
    void WriteFontProgramEntry(DictionaryContext* inDescriptor, ObjectsContext* inObjectsContext) override;

private:
    ObjectIDType mEmbeddedFontFileObjectID = 0;
};
