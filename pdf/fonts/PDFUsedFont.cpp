#include "pdf/fonts/PDFUsedFont.h"

#include "pdf/io/CodePointString.h"
#include "pdf/io/DiagnosticLog.h"

#include FT_GLYPH_H

#include <algorithm>
#include <unordered_set>

PDFUsedFont::PDFUsedFont(FT_Face inFace, const std::string& inFontFilePath,
                         const std::string& inOptionalMetricsFilePath, long inFontIndex,
                         ObjectsContext* inObjectsContext)
    : mFaceWrapper(inFace, inFontFilePath, inOptionalMetricsFilePath, inFontIndex), mObjectsContext(inObjectsContext)
{
}

PDFUsedFont::~PDFUsedFont() = default;

OpStatus PDFUsedFont::TextToGlyphMapping(const std::string& inText, GlyphTextRecordList& outGlyphs)
{
    outGlyphs.clear();
    CodePointString text;
    if (text.FromUTF8Bytes(inText) != eSuccess)
        return eFailure;
    std::vector<uint16_t> glyphs;
    OpStatus status = mFaceWrapper.GetGlyphsForUnicodeText(text.GetCodePoints(), glyphs);
    // No face: the wrapper gave nothing, so every character shows as glyph 0.
    glyphs.resize(text.GetCodePoints().size(), 0);
    outGlyphs.reserve(glyphs.size());
    for (size_t i = 0; i < glyphs.size(); ++i)
        outGlyphs.push_back(GlyphTextRecord{glyphs[i], {text.GetCodePoints()[i]}});
    return status;
}

OpStatus PDFUsedFont::CharactersWithoutGlyph(const std::string& inText, std::vector<uint32_t>& outCharacters)
{
    outCharacters.clear();
    CodePointString text;
    if (text.FromUTF8Bytes(inText) != eSuccess)
        return eFailure;
    std::unordered_set<uint32_t> listed;
    for (uint32_t character : text.GetCodePoints()) {
        if (mFaceWrapper.GlyphForUnicode(character) == 0 && listed.insert(character).second)
            outCharacters.push_back(character);
    }
    return eSuccess;
}

OpStatus PDFUsedFont::EncodeGlyphs(const GlyphTextRecordList& inGlyphs, std::vector<uint16_t>& outCharacterCodes,
                                   bool& outIsCIDFont, ObjectIDType& outFontObjectID)
{
    if (!mWrittenFont)
        mWrittenFont = mFaceWrapper.CreateWrittenFontObject(mObjectsContext);
    if (!mWrittenFont) {
        outCharacterCodes.clear();
        outIsCIDFont = false;
        outFontObjectID = 0;
        TraceMessage("PDFUsedFont::EncodeGlyphs, the font of %s has no written font", mFaceWrapper.GetFontFilePath().c_str());
        return eFailure;
    }
    mWrittenFont->EncodeGlyphList(inGlyphs, outCharacterCodes, outIsCIDFont, outFontObjectID);
    return eSuccess;
}

TextExtent PDFUsedFont::MeasureText(const std::string& inText, long inFontSize)
{
    CodePointString text;
    text.FromUTF8Bytes(inText); // what decoded before a fault is measured
    std::vector<uint16_t> glyphs;
    mFaceWrapper.GetGlyphsForUnicodeText(text.GetCodePoints(), glyphs);
    return MeasureGlyphs(glyphs, inFontSize);
}

TextExtent PDFUsedFont::MeasureGlyphs(const std::vector<uint16_t>& inGlyphCodes, long inFontSize)
{
    // Each glyph's box sits at the pen position the advances before it give; one load serves
    // both, the advance after the box.
    FT_Face face = mFaceWrapper.GetFace();
    long long penX = 0;
    long long minX = 32000;
    long long minY = 32000;
    long long maxX = -32000;
    long long maxY = -32000;
    if (inGlyphCodes.empty())
        minX = minY = maxX = maxY = 0;
    for (size_t i = 0; i < inGlyphCodes.size() && face; ++i) {
        // A glyph that cannot be loaded adds neither advance nor box.
        if (mFaceWrapper.LoadGlyph(inGlyphCodes[i]) != 0)
            continue;
        FT_Glyph glyph = nullptr;
        if (FT_Get_Glyph(face->glyph, &glyph) == 0) {
            FT_BBox box;
            FT_Glyph_Get_CBox(glyph, FT_GLYPH_BBOX_UNSCALED, &box);
            FT_Done_Glyph(glyph);
            minX = std::min(minX, mFaceWrapper.ScaleToThousandUnitsPerEm(box.xMin) + penX);
            maxX = std::max(maxX, mFaceWrapper.ScaleToThousandUnitsPerEm(box.xMax) + penX);
            minY = std::min(minY, mFaceWrapper.ScaleToThousandUnitsPerEm(box.yMin));
            maxY = std::max(maxY, mFaceWrapper.ScaleToThousandUnitsPerEm(box.yMax));
        }
        penX += mFaceWrapper.ScaleToThousandUnitsPerEm(face->glyph->metrics.horiAdvance);
    }
    if (maxX < minX)
        minX = minY = maxX = maxY = 0;

    // 128 bits for the product: a text of any length at any size stays exact.
    auto atSize = [inFontSize](long long inValue) {
        return static_cast<double>(static_cast<__int128>(inValue) * inFontSize / 1000);
    };
    TextExtent extent;
    extent.mMinX = atSize(minX);
    extent.mMinY = atSize(minY);
    extent.mMaxX = atSize(maxX);
    extent.mMaxY = atSize(maxY);
    extent.mWidth = atSize(maxX - minX);
    extent.mHeight = atSize(maxY - minY);
    return extent;
}
