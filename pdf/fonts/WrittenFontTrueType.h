#pragma once
// The written font of a TrueType face. Its one-byte representation is a simple font with
// WinAnsiEncoding: a text fits it when every glyph shows exactly one character that has a
// WinAnsi code (the bullet excepted) and no two glyphs would share a code.
//
// Writing the font dictionaries is not built yet: WriteFontDefinition fails with one trace-log
// line when a representation is in use.

#include "pdf/fonts/AbstractWrittenFont.h"

class WrittenFontTrueType : public AbstractWrittenFont {
public:
    explicit WrittenFontTrueType(ObjectsContext* inObjectsContext) : AbstractWrittenFont(inObjectsContext) {}

    OpStatus WriteFontDefinition(FreeTypeFaceWrapper& inFontInfo, bool inEmbedFont) override;

protected:
    bool PlaceInANSIRepresentation(const GlyphTextRecordListList& inGlyphLists,
                                   UShortListList& outEncodedCharacters) override;
    bool PlaceInANSIRepresentation(const GlyphTextRecordList& inGlyphList,
                                   std::vector<uint16_t>& outEncodedCharacters) override;
    const char* StateTypeName() const override { return "WrittenFontTrueType"; }

private:
    bool PlaceLists(const std::vector<const GlyphTextRecordList*>& inGlyphLists, UShortListList& outEncodedCharacters);
};
