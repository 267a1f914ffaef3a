#pragma once
// The encoding state of one used font in one output document: which glyphs were shown, the code
// each got, and the object id of the font dictionary that will define them (allocated on first
// use, so content streams can name the font before it is written). Codes are one byte (a simple
// font) or two bytes (a CID font with Identity-H). Made by FreeTypeFaceWrapper and owned by the
// PDFUsedFont; encoding never fails, since what does not fit one-byte codes goes to the CID font.

#include "pdf/fonts/GlyphTextRecord.h"
#include "pdf/io/IOBasicTypes.h"
#include "pdf/objects/ObjectIDType.h"

#include <vector>

class FreeTypeFaceWrapper;
class ObjectsContext;
class PDFParser;

typedef std::vector<GlyphTextRecordList> GlyphTextRecordListList;
typedef std::vector<std::vector<uint16_t>> UShortListList;

class IWrittenFont {
public:
    virtual ~IWrittenFont() {}

    // Several texts placed in one representation: one code list per text.
    virtual void EncodeGlyphLists(const GlyphTextRecordListList& inGlyphLists, UShortListList& outEncodedCharacters,
                                  bool& outIsCIDFont, ObjectIDType& outFontObjectID) = 0;
    virtual void EncodeGlyphList(const GlyphTextRecordList& inGlyphList, std::vector<uint16_t>& outEncodedCharacters,
                                 bool& outIsCIDFont, ObjectIDType& outFontObjectID) = 0;
    // Writes the font dictionaries of the representations in use; 0 when there are none.
    virtual OpStatus WriteFontDefinition(FreeTypeFaceWrapper& inFontInfo, bool inEmbedFont) = 0;
    // The encoding state as PDF objects, the first under inObjectID, and read back.
    virtual OpStatus SaveState(ObjectsContext* inStateWriter, ObjectIDType inObjectID) = 0;
    virtual OpStatus LoadState(PDFParser* inStateReader, ObjectIDType inObjectID) = 0;
};
