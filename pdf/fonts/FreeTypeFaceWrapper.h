#pragma once
// One opened FreeType face and the questions the font writers ask about it: glyphs for Unicode
// text, glyph names, cap and x heights, stretch and weight from the style name, and which
// written font the face needs. Owns the face (released with FT_Done_Face, before the
// FreeTypeWrapper that made it goes) and its format extender, which exists for "Type 1",
// "TrueType" and "CFF" faces only. Glyphs are loaded unscaled and unhinted into the face's one
// glyph slot; the last loaded glyph is remembered so that a repeated load costs nothing, and
// every other load through the face clears that memory.

#include "pdf/fonts/IFreeTypeFaceExtender.h"
#include "pdf/io/IOBasicTypes.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class IWrittenFont;
class ObjectsContext;

// Whether a Unicode value is in the standard Latin character set (a font showing only these is
// not symbolic).
bool IsStandardLatinCharacter(uint32_t inUnicode);

class FreeTypeFaceWrapper {
public:
    // No scaling, no hinting, no auto-hinting: every glyph and character load of the library.
    static constexpr FT_Int32 kUnscaledLoadFlags = FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_AUTOHINT;

    // The metrics path reaches the Type 1 extender only with the extension "PFM" or "pfm".
    FreeTypeFaceWrapper(FT_Face inFace, const std::string& inFontFilePath, const std::string& inMetricsFilePath,
                        long inFontIndex);
    ~FreeTypeFaceWrapper();
    FreeTypeFaceWrapper(const FreeTypeFaceWrapper&) = delete;
    FreeTypeFaceWrapper& operator=(const FreeTypeFaceWrapper&) = delete;

    FT_Face GetFace() const { return mFace; }
    IFreeTypeFaceExtender* GetFormatSpecificExtender() const { return mFormatSpecificExtender.get(); }
    const std::string& GetFontFilePath() const { return mFontFilePath; }
    long GetFontIndex() const { return mFontIndex; }
    // FreeType's name of the face's format ("TrueType", "Type 1", "CFF" ...); empty without a face.
    std::string FontFormat() const;

    // A value in font units scaled to 1000 units per em: value x 1000 / units per em in double
    // precision, truncated toward zero; unchanged when units per em is 1000 (or 0); 0 without a face.
    long long ScaleToThousandUnitsPerEm(long long inValue) const;

    std::optional<FT_Short> CapHeightInFontUnits();
    std::optional<FT_Short> XHeightInFontUnits();
    std::optional<FT_Short> CapHeightScaled();
    std::optional<FT_Short> XHeightScaled();

    // 1 to 9 from the style name (5 when it says nothing); 11 without a face.
    int FontStretchFromStyleName() const;
    // 100 to 900 from the style name (400 when it says nothing); 1000 without a face.
    int FontWeightFromStyleName() const;
    static int FontStretchForStyleName(const std::string& inStyleName);
    static int FontWeightForStyleName(const std::string& inStyleName);

    std::string GlyphNameOfIndex(uint16_t inGlyphCode);
    std::string FallbackGlyphName();

    // One glyph code per Unicode value, through the extender (0 for a value without a glyph,
    // logged); -1 when some value had none or there is no face.
    OpStatus GetGlyphsForUnicodeText(const std::vector<uint32_t>& inUnicodeValues, std::vector<uint16_t>& outGlyphs);
    // The glyph code of one Unicode value as GetGlyphsForUnicodeText maps it, without a log
    // line; 0 when the face has none for it (or there is no face).
    uint16_t GlyphForUnicode(uint32_t inUnicodeValue);

    // Loads the glyph of a glyph code (the face's glyph index) into the face's slot; FreeType's
    // error, 0 on success. Metrics may be read only after 0.
    FT_Error LoadGlyph(uint16_t inGlyphCode);
    // The glyph's horizontal advance scaled to 1000 units per em (the widths of font
    // dictionaries); 0 when the glyph cannot be loaded. A width that the font gives with a
    // fraction of a unit keeps it (x 1000 / units per em, not truncated).
    double GlyphWidth(uint16_t inGlyphCode);

    // The written font this face needs, or null (logged) for a format without one.
    std::unique_ptr<IWrittenFont> CreateWrittenFontObject(ObjectsContext* inObjectsContext);

    // The extension rule for metrics files, exposed for its tests.
    static bool IsPFMPath(const std::string& inMetricsFilePath);

private:
    void SetupFormatSpecificExtender(const std::string& inFontFilePath, const std::string& inPFMFilePath);
    std::optional<FT_Short> HeightFromCharacter(FT_ULong inCharacter, const char* inCaller);
    std::optional<FT_Short> Scaled(std::optional<FT_Short> inValue) const;

    FT_Face mFace;
    std::unique_ptr<IFreeTypeFaceExtender> mFormatSpecificExtender;
    std::string mFontFilePath;
    long mFontIndex;
    std::optional<std::string> mFallbackGlyphName;
    bool mGlyphIsLoaded = false;
    uint16_t mCurrentGlyph = 0;
};
