#pragma once
// The written font of a Type 1 or CFF face. Its one-byte representation is a simple font whose
// codes are handed out one by one: a glyph gets the low byte of its character when that code is
// free, else the lowest free code; code 0 belongs to .notdef and a code once given is never
// freed. A text fits when there are codes left for all its new glyphs; a CID-keyed font never
// uses one-byte codes.
// At the end of the document the one-byte representation is written as a Type1 simple font
// with a Type1C subset; the CID one as a Type0 font over a CIDFontType0, which Type 1 faces do
// not have (they fail with a message).

#include "pdf/fonts/AbstractWrittenFont.h"

#include <list>
#include <utility>

class WrittenFontCFF : public AbstractWrittenFont {
public:
    WrittenFontCFF(ObjectsContext* inObjectsContext, bool inIsCID);

    OpStatus WriteFontDefinition(FreeTypeFaceWrapper& inFontInfo, bool inEmbedFont) override;

    int GetAvailablePositionsCount() const { return mAvailablePositionsCount; }
    bool IsCID() const { return mIsCID; }

protected:
    bool PlaceInANSIRepresentation(const GlyphTextRecordListList& inGlyphLists,
                                   UShortListList& outEncodedCharacters) override;
    bool PlaceInANSIRepresentation(const GlyphTextRecordList& inGlyphList,
                                   std::vector<uint16_t>& outEncodedCharacters) override;
    const char* StateTypeName() const override { return "WrittenFontCFF"; }
    void WriteStateEntries(ObjectsContext* inStateWriter, DictionaryContext* inStateDictionary) override;
    OpStatus ReadStateEntries(PDFParser* inStateReader, PDFDictionary* inStateDictionary) override;

private:
    typedef std::pair<Byte, Byte> ByteRange;

    bool HasRoomForGlyphs(const std::vector<const GlyphTextRecordList*>& inGlyphLists) const;
    void ReserveNotDef();
    uint16_t EncodeGlyph(uint16_t inGlyph, const std::vector<uint32_t>& inUnicodeValues);
    void RemoveFromFreeList(Byte inPosition);

    int mAvailablePositionsCount = 255;
    std::list<ByteRange> mFreeList;
    bool mAssignedPositionsAvailable[256];
    uint32_t mAssignedPositions[256];
    bool mIsCID;
};
