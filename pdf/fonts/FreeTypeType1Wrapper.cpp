#include "pdf/fonts/FreeTypeType1Wrapper.h"

#include "pdf/fonts/AdobeGlyphList.h"

#include "pdf/io/DiagnosticLog.h"
#include "pdf/io/InputFile.h"

#include <cmath>
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

    // Parsed when first asked: a font used only for measuring may never need it.
    mFontFilePath = inFontFilePath;
}

Type1Input& FreeTypeType1Wrapper::ParsedFontFile()
{
    if (!mFontFilePath.empty()) {
        InputFile file;
        if (file.OpenFile(mFontFilePath) == eSuccess)
            mType1FileParsed = mType1File.ParseFontFile(file.GetInputStream()) == eSuccess;
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

FT_UInt FreeTypeType1Wrapper::GlyphIndexForUnicode(uint32_t inUnicode)
{
    // The encoding, own or standard, says nothing about which character a glyph shows; its name
    // does. A name must also have a program in the file, since the embedded subset is made from
    // those; when the file could not be parsed, FreeType's names are all there is.
    Type1Input& font = ParsedFontFile();
    for (const std::string& name : AdobeGlyphList::GlyphNamesForUnicode(inUnicode)) {
        if (mType1FileParsed && !font.GetGlyphCharString(name))
            continue;
        // Index 0 is .notdef, which no character has.
        FT_UInt index = FT_Get_Name_Index(mFace, name.c_str());
        if (index != 0)
            return index;
    }
    return 0;
}

std::optional<double> FreeTypeType1Wrapper::FractionalAdvance(FT_UInt inGlyphIndex)
{
    char name[128] = "";
    if (FT_Get_Glyph_Name(mFace, inGlyphIndex, name, sizeof(name)) != 0)
        return std::nullopt;
    std::optional<double> advance = ParsedFontFile().GlyphAdvance(name);
    if (!advance || std::trunc(*advance) == *advance)
        return std::nullopt;
    return advance;
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
