#pragma once
// The face extender of TrueType and CFF-flavoured faces: answers from the post, OS/2 and PCLT
// tables that FreeType exposes (PCLT only for fonts without OS/2). The face is not owned; the
// table pointers live as long as it.

#include "pdf/fonts/IFreeTypeFaceExtender.h"

#include FT_TRUETYPE_TABLES_H

class FreeTypeOpenTypeWrapper : public IFreeTypeFaceExtender {
public:
    explicit FreeTypeOpenTypeWrapper(FT_Face inFace);

    double ItalicAngle() override;
    std::optional<FT_Short> CapHeight() override;
    std::optional<FT_Short> XHeight() override;
    FT_UShort StemV() override;
    int FontStretch() override;
    int FontWeight() override;
    bool HasSerifFlag() override;
    bool HasScriptFlag() override { return false; }
    bool HasForceBoldFlag() override { return false; }
    bool UsesOwnEncoding() override { return false; }
    // The face's own Unicode map.
    FT_UInt GlyphIndexForUnicode(uint32_t inUnicode) override { return FT_Get_Char_Index(mFace, inUnicode); }
    std::string OwnGlyphName(uint16_t) override { return ".notdef"; }
    std::optional<double> FractionalAdvance(FT_UInt) override { return std::nullopt; }
    FT_UInt FaceGlyphIndexForCode(uint16_t inCode) override { return inCode; }

    // The weight of a PCLT strokeWeight (-7 to 7); kUnknownFontWeight outside.
    static int WeightFromPCLTStrokeWeight(int inStrokeWeight);
    // The stretch of a PCLT widthType.
    static int StretchFromPCLTWidthType(int inWidthType);
    // 50 + (weight / 65)^2, truncated: the stem width guessed from a weight.
    static FT_UShort StemVFromWeight(int inWeight);

private:
    FT_UShort StemVFromLowerLWidth();

    FT_Face mFace;
    TT_Postscript* mPostScriptTable = nullptr;
    TT_OS2* mOS2Table = nullptr;
    TT_PCLT* mPCLTTable = nullptr;
};
