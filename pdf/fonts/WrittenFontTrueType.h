#pragma once
// The written font of a TrueType face. Its one-byte representation is a simple font with
// WinAnsiEncoding: a text fits it when every glyph shows exactly one character that has a
// WinAnsi code (the bullet excepted) and no two glyphs would share a code.
// At the end of the document the one-byte representation is written as a TrueType simple
// font and the CID one as a Type0 font over a CIDFontType2, each with a TrueType subset.

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
