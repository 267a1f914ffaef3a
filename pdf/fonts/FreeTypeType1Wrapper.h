#pragma once
// The face extender of Type 1 faces: FontInfo and Private values through FreeType, the encoding
// kind, PFM metrics when a PFM file came with the font, and from the parsed font file the glyphs
// of characters by glyph name and the glyph names of the font's own encoding. The font file is
// parsed when first needed; the face is not owned.

#include "pdf/fonts/IFreeTypeFaceExtender.h"
#include "pdf/fonts/PFMFileReader.h"
#include "pdf/fonts/Type1Input.h"

#include FT_TYPE1_TABLES_H

class FreeTypeType1Wrapper : public IFreeTypeFaceExtender {
public:
    // An empty metrics path reads no PFM file; an empty font path parses no font file.
    FreeTypeType1Wrapper(FT_Face inFace, const std::string& inFontFilePath, const std::string& inPFMFilePath);

    double ItalicAngle() override;
    std::optional<FT_Short> CapHeight() override;
    std::optional<FT_Short> XHeight() override;
    FT_UShort StemV() override;
    int FontStretch() override { return kUnknownFontStretch; }
    int FontWeight() override { return kUnknownFontWeight; }
    bool HasSerifFlag() override;
    bool HasScriptFlag() override;
    bool HasForceBoldFlag() override;
    bool UsesOwnEncoding() override { return mUsesOwnEncoding; }
    // By the character's glyph names (Adobe Glyph List, uniXXXX, uXXXX) among the font's
    // CharStrings.
    FT_UInt GlyphIndexForUnicode(uint32_t inUnicode) override;
    std::string OwnGlyphName(uint16_t inCode) override;
    FT_UInt FaceGlyphIndexForCode(uint16_t inCode) override;
    // From the glyph's hsbw or sbw in the parsed font file.
    std::optional<double> FractionalAdvance(FT_UInt inGlyphIndex) override;

private:
    Type1Input& ParsedFontFile();

    FT_Face mFace;
    PS_FontInfoRec mFontInfo;
    bool mHasFontInfo = false;
    PS_PrivateRec mPrivate;
    bool mHasPrivate = false;
    bool mUsesOwnEncoding = false;
    PFMFileReader mPFMReader;
    bool mPFMIsRelevant = false;
    Type1Input mType1File;
    bool mType1FileParsed = false;
    std::string mFontFilePath; // until the file is parsed
};
