#pragma once
// The simple font of a TrueType face: Subtype TrueType, WinAnsiEncoding (never Differences),
// the font program embedded as a TrueType subset (FontFile2) before the font dictionary is
// written. Used for one call.

#include "pdf/fonts/IANSIFontWriterHelper.h"
#include "pdf/fonts/IFontDescriptorHelper.h"
#include "pdf/io/IOBasicTypes.h"
#include "pdf/objects/ObjectIDType.h"

class TrueTypeANSIFontWriter : public IANSIFontWriterHelper, public IFontDescriptorHelper {
public:
    OpStatus WriteFont(FreeTypeFaceWrapper& inFontInfo, const WrittenFontRepresentation& inRepresentation,
                       ObjectsContext* inObjectsContext, bool inEmbedFont);

    void WriteSubtypeName(ObjectsContext* inObjectsContext, DictionaryContext* inFontDictionary) override;
    IFontDescriptorHelper* DescriptorHelper() override { return this; }
    bool AllowsDifferences() override { return false; }

    void WriteGlyphSetEntry(DictionaryContext*, ObjectsContext*, FreeTypeFaceWrapper&, const EncodedGlyphList&) override
    {
    }
    void WriteFontProgramEntry(DictionaryContext* inDescriptor, ObjectsContext* inObjectsContext) override;

private:
    ObjectIDType mEmbeddedFontFileObjectID = 0;
};
