#include "pdf/fonts/FreeTypeFaceWrapper.h"

#include "pdf/fonts/FreeTypeOpenTypeWrapper.h"
#include "pdf/fonts/FreeTypeType1Wrapper.h"
#include "pdf/fonts/WrittenFontCFF.h"
#include "pdf/fonts/WrittenFontTrueType.h"
#include "pdf/io/DiagnosticLog.h"

#include FT_FONT_FORMATS_H
#include FT_CID_H

#include <cstring>

namespace {

std::string FontFormatOf(FT_Face inFace)
{
    const char* format = inFace ? FT_Get_Font_Format(inFace) : nullptr;
    return format ? format : "";
}

struct StyleWord {
    const char* word;
    int value;
};

int FirstMatch(const std::string& inStyleName, const StyleWord* inWords, size_t inCount, int inNoMatch)
{
    for (size_t i = 0; i < inCount; ++i) {
        if (inStyleName.find(inWords[i].word) != std::string::npos)
            return inWords[i].value;
    }
    return inNoMatch;
}

} // namespace

bool IsStandardLatinCharacter(uint32_t inUnicode)
{
    if (inUnicode <= 126)
        return true;
    if (inUnicode <= 255)
        return !(inUnicode <= 160 || inUnicode == 173 || inUnicode == 179 || inUnicode == 190);
    static const uint32_t scOthers[] = {305,  321,  322,  338,  339,  352,  353,  376,  381,   382,  402,
                                        733,  8211, 8212, 8216, 8217, 8218, 8220, 8221, 8222,  8230, 8240,
                                        8249, 8250, 8260, 8364, 8482, 64257, 64258};
    for (uint32_t value : scOthers) {
        if (value == inUnicode)
            return true;
    }
    return false;
}

FreeTypeFaceWrapper::FreeTypeFaceWrapper(FT_Face inFace, const std::string& inFontFilePath,
                                         const std::string& inMetricsFilePath, long inFontIndex)
    : mFace(inFace), mFontFilePath(inFontFilePath), mFontIndex(inFontIndex)
{
    SetupFormatSpecificExtender(inFontFilePath, IsPFMPath(inMetricsFilePath) ? inMetricsFilePath : std::string());
}

FreeTypeFaceWrapper::~FreeTypeFaceWrapper()
{
    mFormatSpecificExtender.reset();
    if (mFace)
        FT_Done_Face(mFace);
}

bool FreeTypeFaceWrapper::IsPFMPath(const std::string& inMetricsFilePath)
{
    size_t dot = inMetricsFilePath.rfind('.');
    if (dot == std::string::npos || dot + 1 == inMetricsFilePath.size())
        return false;
    std::string extension = inMetricsFilePath.substr(dot + 1);
    return extension == "PFM" || extension == "pfm";
}

void FreeTypeFaceWrapper::SetupFormatSpecificExtender(const std::string& inFontFilePath,
                                                      const std::string& inPFMFilePath)
{
    if (!mFace)
        return;
    std::string format = FontFormatOf(mFace);
    if (format == "Type 1")
        mFormatSpecificExtender = std::make_unique<FreeTypeType1Wrapper>(mFace, inFontFilePath, inPFMFilePath);
    else if (format == "CFF" || format == "TrueType")
        mFormatSpecificExtender = std::make_unique<FreeTypeOpenTypeWrapper>(mFace);
    else
        TraceMessage("Failure in FreeTypeFaceWrapper::SetupFormatSpecificExtender, could not find format specific "
                     "implementation for %s",
                     format.c_str());
}

long long FreeTypeFaceWrapper::ScaleToThousandUnitsPerEm(long long inValue) const
{
    if (!mFace)
        return 0;
    if (mFace->units_per_EM == 1000 || mFace->units_per_EM == 0)
        return inValue;
    return static_cast<long long>(static_cast<double>(inValue) * 1000.0 / mFace->units_per_EM);
}

std::optional<FT_Short> FreeTypeFaceWrapper::HeightFromCharacter(FT_ULong inCharacter, const char* inCaller)
{
    // The slot is overwritten: the remembered glyph is gone.
    mGlyphIsLoaded = false;
    if (FT_Load_Char(mFace, inCharacter, kUnscaledLoadFlags) != 0) {
        TraceMessage("%s, unable to load glyph for char code = 0x%x", inCaller, static_cast<unsigned>(inCharacter));
        return std::nullopt;
    }
    return static_cast<FT_Short>(mFace->glyph->metrics.horiBearingY);
}

std::optional<FT_Short> FreeTypeFaceWrapper::CapHeightInFontUnits()
{
    if (!mFace)
        return std::nullopt;
    if (mFormatSpecificExtender) {
        std::optional<FT_Short> value = mFormatSpecificExtender->CapHeight();
        if (value)
            return value;
    }
    return HeightFromCharacter('H', "FreeTypeFaceWrapper::CapHeightFromHHeight");
}

std::optional<FT_Short> FreeTypeFaceWrapper::XHeightInFontUnits()
{
    if (!mFace)
        return std::nullopt;
    if (mFormatSpecificExtender) {
        std::optional<FT_Short> value = mFormatSpecificExtender->XHeight();
        if (value)
            return value;
    }
    return HeightFromCharacter('x', "FreeTypeFaceWrapper::XHeightFromLowerXHeight");
}

std::optional<FT_Short> FreeTypeFaceWrapper::Scaled(std::optional<FT_Short> inValue) const
{
    if (!inValue)
        return inValue;
    return static_cast<FT_Short>(ScaleToThousandUnitsPerEm(*inValue));
}

std::optional<FT_Short> FreeTypeFaceWrapper::CapHeightScaled()
{
    return Scaled(CapHeightInFontUnits());
}

std::optional<FT_Short> FreeTypeFaceWrapper::XHeightScaled()
{
    return Scaled(XHeightInFontUnits());
}

int FreeTypeFaceWrapper::FontStretchForStyleName(const std::string& inStyleName)
{
    static const StyleWord scWords[] = {
        {"Semi Condensed", 4},  {"Ultra Condensed", 1}, {"Extra Compressed", 1}, {"Ultra Compressed", 1},
        {"Extra Condensed", 2}, {"Compressed", 2},      {"Condensed", 3},        {"Semi Expanded", 6},
        {"Extra Expanded", 8},  {"Ultra Expanded", 9},  {"Expanded", 7}};
    return FirstMatch(inStyleName, scWords, sizeof(scWords) / sizeof(scWords[0]), 5);
}

int FreeTypeFaceWrapper::FontWeightForStyleName(const std::string& inStyleName)
{
    static const StyleWord scWords[] = {
        {"Thin", 100},        {"Black", 900},      {"Heavy", 900},      {"Extra Light", 200},
        {"Ultra Light", 200}, {"Regular", 400},    {"Normal", 400},     {"Demi Light", 400},
        {"Semi Light", 400},  {"Light", 300},      {"Medium", 500},     {"Semi Bold", 600},
        {"Demi Bold", 600},   {"Extra Bold", 800}, {"Ultra Bold", 800}, {"Bold", 700}};
    return FirstMatch(inStyleName, scWords, sizeof(scWords) / sizeof(scWords[0]), 400);
}

int FreeTypeFaceWrapper::FontStretchFromStyleName() const
{
    if (!mFace)
        return IFreeTypeFaceExtender::kUnknownFontStretch;
    return mFace->style_name ? FontStretchForStyleName(mFace->style_name) : 5;
}

int FreeTypeFaceWrapper::FontWeightFromStyleName() const
{
    if (!mFace)
        return IFreeTypeFaceExtender::kUnknownFontWeight;
    return mFace->style_name ? FontWeightForStyleName(mFace->style_name) : 400;
}

std::string FreeTypeFaceWrapper::FallbackGlyphName()
{
    if (mFallbackGlyphName)
        return *mFallbackGlyphName;
    // Set before the lookups below, which may come back here through GlyphNameOfIndex.
    mFallbackGlyphName = ".notdef";
    std::string name;
    if (mFace && FT_HAS_GLYPH_NAMES(mFace)) {
        // FT_Get_Name_Index gives 0 both for a name it lacks and for a .notdef at glyph 0, where
        // fonts keep it: that glyph's own name tells the two apart.
        char glyphZero[100] = "";
        FT_Get_Glyph_Name(mFace, 0, glyphZero, sizeof(glyphZero));
        if (FT_Get_Name_Index(mFace, ".notdef") != 0 || std::strcmp(glyphZero, ".notdef") == 0) {
            name = ".notdef";
        } else {
            FT_UInt glyph = 0;
            FT_Get_First_Char(mFace, &glyph);
            name = GlyphNameOfIndex(static_cast<uint16_t>(glyph));
        }
    }
    mFallbackGlyphName = name.empty() ? ".notdef" : name;
    return *mFallbackGlyphName;
}

std::string FreeTypeFaceWrapper::FontFormat() const
{
    return FontFormatOf(mFace);
}

std::string FreeTypeFaceWrapper::GlyphNameOfIndex(uint16_t inGlyphCode)
{
    if (mFace && inGlyphCode < mFace->num_glyphs) {
        char buffer[100];
        buffer[0] = '\0';
        if (FT_Get_Glyph_Name(mFace, inGlyphCode, buffer, sizeof(buffer)) != 0)
            buffer[0] = '\0';
        return buffer;
    }
    return FallbackGlyphName();
}

OpStatus FreeTypeFaceWrapper::GetGlyphsForUnicodeText(const std::vector<uint32_t>& inUnicodeValues,
                                                      std::vector<uint16_t>& outGlyphs)
{
    outGlyphs.clear();
    if (!mFace)
        return eFailure;
    OpStatus status = eSuccess;
    outGlyphs.reserve(inUnicodeValues.size());
    for (uint32_t value : inUnicodeValues) {
        uint16_t glyph = GlyphForUnicode(value);
        if (glyph == 0) {
            TraceMessage("FreeTypeFaceWrapper::GetGlyphsForUnicodeText, failed to find glyph for charachter 0x%04x",
                         value);
            status = eFailure;
        }
        outGlyphs.push_back(glyph);
    }
    return status;
}

uint16_t FreeTypeFaceWrapper::GlyphForUnicode(uint32_t inUnicodeValue)
{
    if (!mFace)
        return 0;
    FT_UInt index = mFormatSpecificExtender ? mFormatSpecificExtender->GlyphIndexForUnicode(inUnicodeValue)
                                            : FT_Get_Char_Index(mFace, inUnicodeValue);
    // Glyph codes are 16-bit, as every sfnt and CFF glyph id.
    return index <= 0xFFFF ? static_cast<uint16_t>(index) : 0;
}

FT_Error FreeTypeFaceWrapper::LoadGlyph(uint16_t inGlyphCode)
{
    if (!mFace)
        return FT_Err_Invalid_Face_Handle;
    if (mGlyphIsLoaded && mCurrentGlyph == inGlyphCode)
        return 0;
    FT_Error error = FT_Load_Glyph(mFace, inGlyphCode, kUnscaledLoadFlags);
    mGlyphIsLoaded = error == 0;
    mCurrentGlyph = inGlyphCode;
    return error;
}

double FreeTypeFaceWrapper::GlyphWidth(uint16_t inGlyphCode)
{
    if (LoadGlyph(inGlyphCode) != 0)
        return 0;
    std::optional<double> fractional =
        mFormatSpecificExtender ? mFormatSpecificExtender->FractionalAdvance(inGlyphCode) : std::nullopt;
    if (fractional) {
        FT_UShort unitsPerEm = mFace->units_per_EM;
        return unitsPerEm == 0 || unitsPerEm == 1000 ? *fractional : *fractional * 1000.0 / unitsPerEm;
    }
    return ScaleToThousandUnitsPerEm(mFace->glyph->metrics.horiAdvance);
}

std::unique_ptr<IWrittenFont> FreeTypeFaceWrapper::CreateWrittenFontObject(ObjectsContext* inObjectsContext)
{
    if (!mFace)
        return nullptr;
    std::string format = FontFormatOf(mFace);
    if (format == "Type 1" || format == "CFF") {
        FT_Bool isCID = 0;
        if (FT_Get_CID_Is_Internally_CID_Keyed(mFace, &isCID) != 0)
            isCID = 0;
        return std::make_unique<WrittenFontCFF>(inObjectsContext, isCID != 0);
    }
    if (format == "TrueType")
        return std::make_unique<WrittenFontTrueType>(inObjectsContext);
    TraceMessage("Failure in FreeTypeFaceWrapper::CreateWrittenFontObject, could not find font writer implementation "
                 "for %s",
                 format.c_str());
    return nullptr;
}
