#include "pdf/fonts/FontDescriptorBuilder.h"

#include "pdf/fonts/FreeTypeFaceWrapper.h"
#include "pdf/fonts/IFontDescriptorHelper.h"
#include "pdf/writing/ObjectsContext.h"

#include <cstdint>

namespace {

const char* const scType = "Type";
const char* const scFontDescriptor = "FontDescriptor";
const char* const scFontName = "FontName";
const char* const scFontFamily = "FontFamily";
const char* const scFontStretch = "FontStretch";
const char* const scFontWeight = "FontWeight";
const char* const scFlags = "Flags";
const char* const scFontBBox = "FontBBox";
const char* const scItalicAngle = "ItalicAngle";
const char* const scAscent = "Ascent";
const char* const scDescent = "Descent";
const char* const scCapHeight = "CapHeight";
const char* const scXHeight = "XHeight";
const char* const scStemV = "StemV";

const unsigned int kFixedPitchFlag = 1;
const unsigned int kSerifFlag = 2;
const unsigned int kSymbolicFlag = 4;
const unsigned int kScriptFlag = 8;
const unsigned int kNonsymbolicFlag = 32;
const unsigned int kItalicFlag = 0x40;
const unsigned int kForceBoldFlag = 0x40000;

} // namespace

const char* FontDescriptorBuilder::StretchName(int inStretch)
{
    static const char* const scNames[] = {"UltraCondensed", "ExtraCondensed", "Condensed",
                                          "SemiCondensed",  "Normal",         "SemiExpanded",
                                          "Expanded",       "ExtraExpanded",  "UltraExpanded"};
    return inStretch >= 1 && inStretch <= 9 ? scNames[inStretch - 1] : "Normal";
}

OpStatus FontDescriptorBuilder::WriteDescriptor(ObjectIDType inDescriptorObjectID, const std::string& inFontName,
                                                FreeTypeFaceWrapper& inFontInfo,
                                                const EncodedGlyphList& inEncodedGlyphs,
                                                ObjectsContext* inObjectsContext,
                                                IFontDescriptorHelper* inDescriptorHelper)
{
    FT_Face face = inFontInfo.GetFace();
    IFreeTypeFaceExtender* extender = inFontInfo.GetFormatSpecificExtender();
    PDFValueWriter& values = inObjectsContext->GetValueWriter();

    inObjectsContext->StartIndirectObject(inDescriptorObjectID);
    DictionaryContext* descriptor = inObjectsContext->StartDictionary();
    descriptor->WriteKey(scType);
    values.WriteNameValue(scFontDescriptor, eTokenSeparatorEndLine);
    descriptor->WriteKey(scFontName);
    values.WriteNameValue(inFontName, eTokenSeparatorEndLine);
    descriptor->WriteKey(scFontFamily);
    values.WriteLiteralStringValue(face && face->family_name ? face->family_name : "", eTokenSeparatorEndLine);

    int stretch = extender ? extender->FontStretch() : IFreeTypeFaceExtender::kUnknownFontStretch;
    if (stretch == IFreeTypeFaceExtender::kUnknownFontStretch)
        stretch = inFontInfo.FontStretchFromStyleName();
    descriptor->WriteKey(scFontStretch);
    values.WriteNameValue(StretchName(stretch), eTokenSeparatorEndLine);

    int weight = extender ? extender->FontWeight() : IFreeTypeFaceExtender::kUnknownFontWeight;
    if (weight == IFreeTypeFaceExtender::kUnknownFontWeight)
        weight = inFontInfo.FontWeightFromStyleName();
    descriptor->WriteKey(scFontWeight);
    descriptor->WriteIntegerValue(weight);

    descriptor->WriteKey(scFontBBox);
    if (face)
        descriptor->WriteRectangleValue(static_cast<double>(inFontInfo.ScaleToThousandUnitsPerEm(face->bbox.xMin)),
                                        static_cast<double>(inFontInfo.ScaleToThousandUnitsPerEm(face->bbox.yMin)),
                                        static_cast<double>(inFontInfo.ScaleToThousandUnitsPerEm(face->bbox.xMax)),
                                        static_cast<double>(inFontInfo.ScaleToThousandUnitsPerEm(face->bbox.yMax)));
    else
        descriptor->WriteRectangleValue(0, 0, 0, 0);

    descriptor->WriteKey(scItalicAngle);
    descriptor->WriteRealValue(extender ? extender->ItalicAngle() : 0);

    descriptor->WriteKey(scAscent);
    descriptor->WriteIntegerValue(
        face ? static_cast<int16_t>(inFontInfo.ScaleToThousandUnitsPerEm(face->ascender)) : 0);
    descriptor->WriteKey(scDescent);
    descriptor->WriteIntegerValue(
        face ? static_cast<int16_t>(inFontInfo.ScaleToThousandUnitsPerEm(face->descender)) : 0);

    std::optional<FT_Short> capHeight = inFontInfo.CapHeightScaled();
    if (capHeight) {
        descriptor->WriteKey(scCapHeight);
        descriptor->WriteIntegerValue(*capHeight);
    }
    std::optional<FT_Short> xHeight = inFontInfo.XHeightScaled();
    if (xHeight) {
        descriptor->WriteKey(scXHeight);
        descriptor->WriteIntegerValue(*xHeight);
    }

    descriptor->WriteKey(scStemV);
    descriptor->WriteIntegerValue(
        face && extender ? static_cast<uint16_t>(inFontInfo.ScaleToThousandUnitsPerEm(extender->StemV())) : 0);

    inDescriptorHelper->WriteGlyphSetEntry(descriptor, inObjectsContext, inFontInfo, inEncodedGlyphs);

    descriptor->WriteKey(scFlags);
    descriptor->WriteIntegerValue(CalculateFlags(inFontInfo, inEncodedGlyphs));

    inDescriptorHelper->WriteFontProgramEntry(descriptor, inObjectsContext);

    OpStatus status = inObjectsContext->EndDictionary(descriptor);
    inObjectsContext->EndIndirectObject();
    return status;
}

unsigned int FontDescriptorBuilder::CalculateFlags(FreeTypeFaceWrapper& inFontInfo,
                                                   const EncodedGlyphList& inEncodedGlyphs)
{
    FT_Face face = inFontInfo.GetFace();
    IFreeTypeFaceExtender* extender = inFontInfo.GetFormatSpecificExtender();
    unsigned int flags = face && FT_IS_FIXED_WIDTH(face) ? kFixedPitchFlag : 0;
    if (extender && extender->HasSerifFlag())
        flags |= kSerifFlag;
    flags |= IsSymbolic(inEncodedGlyphs) ? kSymbolicFlag : kNonsymbolicFlag;
    if (extender) {
        if (extender->HasScriptFlag())
            flags |= kScriptFlag;
        if (extender->ItalicAngle() != 0)
            flags |= kItalicFlag;
        if (extender->HasForceBoldFlag())
            flags |= kForceBoldFlag;
    }
    return flags;
}

bool FontDescriptorBuilder::IsSymbolic(const EncodedGlyphList& inEncodedGlyphs)
{
    for (size_t i = 1; i < inEncodedGlyphs.size(); ++i) {
        for (uint32_t value : inEncodedGlyphs[i].mUnicodeCharacters) {
            if (value > 31 && !IsStandardLatinCharacter(value))
                return true;
        }
    }
    return false;
}
