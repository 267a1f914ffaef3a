#pragma once
// A font of a font file in use by one written document: turns UTF-8 text into glyphs, glyphs
// into the character codes of its written font, and measures text. The used-fonts repository
// makes and owns every PDFUsedFont; a pointer handed out stays valid until the repository is
// reset. The font owns its face (through the face wrapper) and its written font, which is made
// on the first encoding; the objects context is the document's and not owned.

#include "pdf/fonts/FreeTypeFaceWrapper.h"
#include "pdf/fonts/GlyphTextRecord.h"
#include "pdf/fonts/IWrittenFont.h"
#include "pdf/fonts/TextExtent.h"
#include "pdf/io/IOBasicTypes.h"
#include "pdf/objects/ObjectIDType.h"

#include <memory>
#include <string>
#include <vector>

class ObjectsContext;

class PDFUsedFont {
public:
    PDFUsedFont(FT_Face inFace, const std::string& inFontFilePath, const std::string& inOptionalMetricsFilePath,
                long inFontIndex, ObjectsContext* inObjectsContext);
    virtual ~PDFUsedFont();
    PDFUsedFont(const PDFUsedFont&) = delete;
    PDFUsedFont& operator=(const PDFUsedFont&) = delete;

    // One record per character, in text order. -1 when the text is not valid UTF-8 (no records)
    // or some character has no glyph (glyph 0 in its record).
    OpStatus TextToGlyphMapping(const std::string& inText, GlyphTextRecordList& outGlyphs);
    // The characters of the text that TextToGlyphMapping finds no glyph for, each once, in text
    // order; nothing is logged, so a caller may ask before it writes. -1 when the text is not
    // valid UTF-8 (nothing listed).
    OpStatus CharactersWithoutGlyph(const std::string& inText, std::vector<uint32_t>& outCharacters);
    // The character codes of the glyphs in the written font, whether they are two-byte (CID)
    // codes, and the object id of the font's dictionary. -1 only when the face has no written font.
    OpStatus EncodeGlyphs(const GlyphTextRecordList& inGlyphs, std::vector<uint16_t>& outCharacterCodes,
                          bool& outIsCIDFont, ObjectIDType& outFontObjectID);
    // The ink box of the text at the size (missing characters measured as glyph 0; text after
    // a UTF-8 fault is left out). 64-bit arithmetic: long texts and large sizes do not overflow.
    TextExtent MeasureText(const std::string& inText, long inFontSize);
    TextExtent MeasureGlyphs(const std::vector<uint16_t>& inGlyphCodes, long inFontSize);

    FreeTypeFaceWrapper& GetFreeTypeFont() { return mFaceWrapper; }
    IWrittenFont* GetWrittenFont() { return mWrittenFont.get(); }

private:
    FreeTypeFaceWrapper mFaceWrapper;
    std::unique_ptr<IWrittenFont> mWrittenFont;
    ObjectsContext* mObjectsContext;
};
