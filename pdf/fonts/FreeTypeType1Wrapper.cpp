#include "pdf/fonts/FreeTypeType1Wrapper.h"

#include "pdf/io/DiagnosticLog.h"
#include "pdf/io/InputFile.h"

#include <cstring>

FreeTypeType1Wrapper::FreeTypeType1Wrapper(FT_Face inFace, const std::string& inFontFilePath,
                                           const std::string& inPFMFilePath)
    : mFace(inFace)
{
    std::memset(&mFontInfo, 0, sizeof(mFontInfo));
    std::memset(&mPrivate, 0, sizeof(mPrivate));
    mHasFontInfo = FT_Get_PS_Font_Info(inFace, &mFontInfo) == 0;
    if (!mHasFontInfo)
        TraceMessage("Unexpected failure in FreeTypeType1Wrapper::FreeTypeType1Wrapper. could not retrieve PS font info");
    mHasPrivate = FT_Get_PS_Font_Private(inFace, &mPrivate) == 0;
    if (!mHasPrivate)
        TraceMessage(
            "Unexpected failure in FreeTypeType1Wrapper::FreeTypeType1Wrapper. could not retrieve PS private font info");

    T1_EncodingType encodingType = T1_ENCODING_TYPE_NONE;
    if (FT_Get_PS_Font_Value(inFace, PS_DICT_ENCODING_TYPE, 0, &encodingType, sizeof(encodingType)) < 0)
        encodingType = T1_ENCODING_TYPE_NONE;
    mUsesOwnEncoding = encodingType == T1_ENCODING_TYPE_ARRAY;

    if (!inPFMFilePath.empty())
        mPFMIsRelevant = mPFMReader.Read(inPFMFilePath) != eFailure;

    // Only an own encoding needs the font file parsed here; that is done when first asked.
    if (mUsesOwnEncoding)
        mFontFilePath = inFontFilePath;
}

Type1Input& FreeTypeType1Wrapper::ParsedFontFile()
{
    if (!mFontFilePath.empty()) {
        InputFile file;
        if (file.OpenFile(mFontFilePath) == eSuccess)
            mType1File.ParseFontFile(file.GetInputStream());
        mFontFilePath.clear();
    }
    return mType1File;
}

double FreeTypeType1Wrapper::ItalicAngle()
{
    return mHasFontInfo ? static_cast<double>(mFontInfo.italic_angle) : 0;
}

std::optional<FT_Short> FreeTypeType1Wrapper::CapHeight()
{
    if (mPFMIsRelevant)
        return static_cast<FT_Short>(mPFMReader.CapHeight());
    return std::nullopt;
}

std::optional<FT_Short> FreeTypeType1Wrapper::XHeight()
{
    if (mPFMIsRelevant)
        return static_cast<FT_Short>(mPFMReader.XHeight());
    return std::nullopt;
}

FT_UShort FreeTypeType1Wrapper::StemV()
{
    return mHasPrivate ? mPrivate.standard_width[0] : 0;
}

bool FreeTypeType1Wrapper::HasSerifFlag()
{
    return mPFMIsRelevant && (mPFMReader.PitchAndFamily() & 0x10) != 0;
}

bool FreeTypeType1Wrapper::HasScriptFlag()
{
    return mPFMIsRelevant && (mPFMReader.PitchAndFamily() & 0x40) != 0;
}

bool FreeTypeType1Wrapper::HasForceBoldFlag()
{
    return mHasPrivate && mPrivate.force_bold == 1;
}

bool FreeTypeType1Wrapper::CodeForUnicode(uint32_t inUnicode, uint16_t& outCode)
{
    // Codes of an encoding array are one byte: a larger value has no code, rather than the
    // code of its low byte, which would show some unrelated glyph.
    if (inUnicode > 255)
        return false;
    outCode = static_cast<uint16_t>(inUnicode);
    return true;
}

std::string FreeTypeType1Wrapper::OwnGlyphName(uint16_t inCode)
{
    return ParsedFontFile().GlyphNameOfCharCode(static_cast<Byte>(inCode & 0xFF));
}

FT_UInt FreeTypeType1Wrapper::FaceGlyphIndexForCode(uint16_t inCode)
{
    std::string name = OwnGlyphName(inCode);
    return FT_Get_Name_Index(mFace, name.c_str());
}
