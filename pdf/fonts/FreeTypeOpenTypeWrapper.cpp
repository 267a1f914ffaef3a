#include "pdf/fonts/FreeTypeOpenTypeWrapper.h"

#include "pdf/io/DiagnosticLog.h"

#include <cmath>

namespace {
// No scaling, no hinting, no auto-hinting: glyph metrics in font units.
const FT_Int32 kUnscaledLoadFlags = FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_AUTOHINT;
} // namespace

FreeTypeOpenTypeWrapper::FreeTypeOpenTypeWrapper(FT_Face inFace) : mFace(inFace)
{
    mPostScriptTable = static_cast<TT_Postscript*>(FT_Get_Sfnt_Table(inFace, FT_SFNT_POST));
    if (!mPostScriptTable)
        TraceMessage("FreeTypeOpenTypeWrapper::FreeTypeOpenTypeWrapper, Warning, Failed to retrieve postscript table");
    mOS2Table = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(inFace, FT_SFNT_OS2));
    if (!mOS2Table)
        mPCLTTable = static_cast<TT_PCLT*>(FT_Get_Sfnt_Table(inFace, FT_SFNT_PCLT));
}

double FreeTypeOpenTypeWrapper::ItalicAngle()
{
    return mPostScriptTable ? mPostScriptTable->italicAngle / 65536.0 : 0;
}

std::optional<FT_Short> FreeTypeOpenTypeWrapper::CapHeight()
{
    if (mOS2Table)
        return mOS2Table->sCapHeight;
    if (mPCLTTable)
        return static_cast<FT_Short>(mPCLTTable->CapHeight);
    return std::nullopt;
}

std::optional<FT_Short> FreeTypeOpenTypeWrapper::XHeight()
{
    if (mOS2Table)
        return mOS2Table->sxHeight;
    if (mPCLTTable)
        return static_cast<FT_Short>(mPCLTTable->xHeight);
    return std::nullopt;
}

FT_UShort FreeTypeOpenTypeWrapper::StemV()
{
    return StemVFromLowerLWidth();
}

FT_UShort FreeTypeOpenTypeWrapper::StemVFromLowerLWidth()
{
    if (FT_Load_Char(mFace, 'l', kUnscaledLoadFlags) == 0)
        return static_cast<FT_UShort>(mFace->glyph->metrics.horiAdvance);

    TraceMessage("FreeTypeOpenTypeWrapper::StemVFromLowerLWidth, unable to load glyph for lower l");
    int weight = 500;
    if (mOS2Table) {
        weight = mOS2Table->usWeightClass;
    } else if (mPCLTTable) {
        int pcltWeight = mPCLTTable->StrokeWeight * 80 + 500;
        weight = pcltWeight >= 0 ? pcltWeight : 0;
    }
    return StemVFromWeight(weight);
}

FT_UShort FreeTypeOpenTypeWrapper::StemVFromWeight(int inWeight)
{
    double ratio = inWeight / 65.0;
    return static_cast<FT_UShort>(50 + ratio * ratio);
}

int FreeTypeOpenTypeWrapper::FontStretch()
{
    if (mOS2Table)
        return mOS2Table->usWidthClass;
    if (mPCLTTable)
        return StretchFromPCLTWidthType(mPCLTTable->WidthType);
    return kUnknownFontStretch;
}

int FreeTypeOpenTypeWrapper::StretchFromPCLTWidthType(int inWidthType)
{
    if (inWidthType == 5)
        return 9;
    if (inWidthType == -5)
        return 1;
    return inWidthType + 5;
}

int FreeTypeOpenTypeWrapper::FontWeight()
{
    if (mOS2Table)
        return mOS2Table->usWeightClass;
    if (mPCLTTable)
        return WeightFromPCLTStrokeWeight(mPCLTTable->StrokeWeight);
    return kUnknownFontWeight;
}

int FreeTypeOpenTypeWrapper::WeightFromPCLTStrokeWeight(int inStrokeWeight)
{
    static const int scWeights[15] = {100, 100, 100, 200, 300, 400, 400, 400, 600, 600, 700, 800, 900, 900, 900};
    if (inStrokeWeight < -7 || inStrokeWeight > 7)
        return kUnknownFontWeight;
    return scWeights[inStrokeWeight + 7];
}

bool FreeTypeOpenTypeWrapper::HasSerifFlag()
{
    if (mPCLTTable)
        return (mPCLTTable->SerifStyle & 0xC0) != 0x40;
    return true;
}
