#pragma once
// The simple font of a Type 1 or CFF face: Subtype Type1, WinAnsiEncoding with Differences for
// the glyph names that differ, the CharSet of the used glyph names in the descriptor, and the
// font program embedded as a CFF subset (FontFile3 /Type1C) before the font dictionary is
// written. Type 1 faces are converted from their PFB file, faces with CFF outlines subset from
// their own CFF program. Used for one call.

#include "pdf/fonts/IANSIFontWriterHelper.h"
#include "pdf/fonts/IFontDescriptorHelper.h"
#include "pdf/io/IOBasicTypes.h"
#include "pdf/objects/ObjectIDType.h"

#include <string>

class CFFANSIFontWriter : public IANSIFontWriterHelper, public IFontDescriptorHelper {
public:
    OpStatus WriteFont(FreeTypeFaceWrapper& inFontInfo, const WrittenFontRepresentation& inRepresentation,
                       ObjectsContext* inObjectsContext, bool inEmbedFont);

    void WriteSubtypeName(ObjectsContext* inObjectsContext, DictionaryContext* inFontDictionary) override;
    IFontDescriptorHelper* DescriptorHelper() override { return this; }
    bool AllowsDifferences() override { return true; }

    void WriteGlyphSetEntry(DictionaryContext* inDescriptor, ObjectsContext* inObjectsContext,
                            FreeTypeFaceWrapper& inFontInfo, const EncodedGlyphList& inEncodedGlyphs) override;
    void WriteFontProgramEntry(DictionaryContext* inDescriptor, ObjectsContext* inObjectsContext) override;

    // The CharSet string's contents: the glyph names of the records after .notdef, each as a
    // PDF name, with no separator ("/A/B/space").
    static std::string CharSetText(FreeTypeFaceWrapper& inFontInfo, const EncodedGlyphList& inEncodedGlyphs);

private:
    ObjectIDType mEmbeddedFontFileObjectID = 0;
};
