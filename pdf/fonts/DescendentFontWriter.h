#pragma once
// Writes the CIDFont dictionary that a font kind's IDescendentFontWriter asks for: Subtype and
// extra keys from that writer, DW and W widths, CIDSystemInfo, the font descriptor with a
// CIDSet and the writer's font program entry. Used for one call.

#include "pdf/fonts/IFontDescriptorHelper.h"
#include "pdf/io/IOBasicTypes.h"
#include "pdf/objects/ObjectIDType.h"

#include <string>

class IDescendentFontWriter;

class DescendentFontWriter : public IFontDescriptorHelper {
public:
    OpStatus WriteFont(ObjectIDType inDescendentObjectID, const std::string& inFontName,
                       FreeTypeFaceWrapper& inFontInfo, const EncodedGlyphList& inEncodedGlyphs,
                       ObjectsContext* inObjectsContext, IDescendentFontWriter* inDescendentFontWriter);

    void WriteGlyphSetEntry(DictionaryContext* inDescriptor, ObjectsContext* inObjectsContext,
                            FreeTypeFaceWrapper& inFontInfo, const EncodedGlyphList& inEncodedGlyphs) override;
    void WriteFontProgramEntry(DictionaryContext* inDescriptor, ObjectsContext* inObjectsContext) override;

    // One bit per glyph id from 0 to the largest, high bit first; empty when that is 0.
    static std::string CIDSetBytes(const EncodedGlyphList& inEncodedGlyphs);

private:
    void WriteWidths(DictionaryContext* inFontDictionary, const EncodedGlyphList& inEncodedGlyphs);
    void WriteCIDSystemInfo(ObjectIDType inCIDSystemInfoObjectID);
    void WriteCIDSet(const EncodedGlyphList& inEncodedGlyphs);

    FreeTypeFaceWrapper* mFontInfo = nullptr;
    ObjectsContext* mObjectsContext = nullptr;
    IDescendentFontWriter* mDescendentFontWriter = nullptr;
    ObjectIDType mCIDSetObjectID = 0;
};
