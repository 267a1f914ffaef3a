#include "pdf/fonts/DescendentFontWriter.h"

#include "pdf/fonts/FontDescriptorBuilder.h"
#include "pdf/fonts/FreeTypeFaceWrapper.h"
#include "pdf/fonts/IDescendentFontWriter.h"
#include "pdf/io/DiagnosticLog.h"
#include "pdf/writing/ObjectsContext.h"

#include FT_CID_H

#include <algorithm>

namespace {

const char* const scType = "Type";
const char* const scFont = "Font";
const char* const scBaseFont = "BaseFont";
const char* const scFontDescriptor = "FontDescriptor";
const char* const scCIDSystemInfo = "CIDSystemInfo";
const char* const scDW = "DW";
const char* const scW = "W";
const char* const scOrdering = "Ordering";
const char* const scRegistry = "Registry";
const char* const scSupplement = "Supplement";
const char* const scCIDSet = "CIDSet";

// A run of consecutive CIDs in the W array.
struct WidthsGroup {
    uint16_t mFirstCID = 0;
    uint16_t mLastCID = 0;
    std::vector<double> mWidths;
    bool mUniform = true;
};

void WriteGroup(ObjectsContext* inObjectsContext, const WidthsGroup& inGroup)
{
    inObjectsContext->WriteInteger(inGroup.mFirstCID, eTokenSeparatorSpace);
    if (inGroup.mUniform) {
        inObjectsContext->WriteInteger(inGroup.mLastCID, eTokenSeparatorSpace);
        inObjectsContext->GetValueWriter().WriteRealValue(inGroup.mWidths.front(), eTokenSeparatorSpace);
        return;
    }
    inObjectsContext->StartArray();
    for (double width : inGroup.mWidths)
        inObjectsContext->GetValueWriter().WriteRealValue(width, eTokenSeparatorSpace);
    inObjectsContext->EndArray(eTokenSeparatorSpace);
}

} // namespace

OpStatus DescendentFontWriter::WriteFont(ObjectIDType inDescendentObjectID, const std::string& inFontName,
                                         FreeTypeFaceWrapper& inFontInfo, const EncodedGlyphList& inEncodedGlyphs,
                                         ObjectsContext* inObjectsContext,
                                         IDescendentFontWriter* inDescendentFontWriter)
{
    mFontInfo = &inFontInfo;
    mObjectsContext = inObjectsContext;
    mDescendentFontWriter = inDescendentFontWriter;
    mCIDSetObjectID = 0;
    PDFValueWriter& values = inObjectsContext->GetValueWriter();
    IndirectObjectsReferenceRegistry& registry = inObjectsContext->GetInDirectObjectsRegistry();

    inObjectsContext->StartIndirectObject(inDescendentObjectID);
    DictionaryContext* font = inObjectsContext->StartDictionary();
    font->WriteKey(scType);
    values.WriteNameValue(scFont, eTokenSeparatorEndLine);
    inDescendentFontWriter->WriteSubtypeName(inObjectsContext, font);
    font->WriteKey(scBaseFont);
    values.WriteNameValue(inFontName, eTokenSeparatorEndLine);

    WriteWidths(font, inEncodedGlyphs);

    ObjectIDType cidSystemInfoID = registry.ReserveNewObjectID();
    font->WriteKey(scCIDSystemInfo);
    inObjectsContext->WriteIndirectObjectReference(cidSystemInfoID);
    ObjectIDType descriptorID = registry.ReserveNewObjectID();
    font->WriteKey(scFontDescriptor);
    inObjectsContext->WriteIndirectObjectReference(descriptorID);
    inDescendentFontWriter->WriteExtraKeys(inObjectsContext, font);

    if (inObjectsContext->EndDictionary(font) != eSuccess)
        return eFailure;
    inObjectsContext->EndIndirectObject();

    WriteCIDSystemInfo(cidSystemInfoID);
    // A failed write is remembered by the objects context and fails the document's end.
    FontDescriptorBuilder::WriteDescriptor(descriptorID, inFontName, inFontInfo, inEncodedGlyphs, inObjectsContext,
                                           this);
    if (mCIDSetObjectID != 0)
        WriteCIDSet(inEncodedGlyphs);
    return eSuccess;
}

void DescendentFontWriter::WriteWidths(DictionaryContext* inFontDictionary, const EncodedGlyphList& inEncodedGlyphs)
{
    if (inEncodedGlyphs.empty())
        return;
    double defaultWidth = mFontInfo->GlyphWidth(static_cast<uint16_t>(inEncodedGlyphs.front().mGlyphID));
    inFontDictionary->WriteKey(scDW);
    inFontDictionary->WriteRealValue(defaultWidth);

    // Glyphs of the default width are left out; the others are written in runs of consecutive
    // CIDs, a run of one width as "first last width".
    bool opened = false;
    WidthsGroup group;
    for (size_t i = 1; i < inEncodedGlyphs.size(); ++i) {
        double width = mFontInfo->GlyphWidth(static_cast<uint16_t>(inEncodedGlyphs[i].mGlyphID));
        if (width == defaultWidth)
            continue;
        uint16_t cid = inEncodedGlyphs[i].mEncodedCharacter;
        if (!opened) {
            inFontDictionary->WriteKey(scW);
            mObjectsContext->StartArray();
            opened = true;
        } else if (cid == group.mLastCID + 1) {
            group.mWidths.push_back(width);
            group.mLastCID = cid;
            group.mUniform = group.mUniform && width == group.mWidths.front();
            continue;
        } else {
            WriteGroup(mObjectsContext, group);
        }
        group = WidthsGroup{cid, cid, {width}, true};
    }
    if (opened) {
        WriteGroup(mObjectsContext, group);
        mObjectsContext->EndArray(eTokenSeparatorEndLine);
    }
}

void DescendentFontWriter::WriteCIDSystemInfo(ObjectIDType inCIDSystemInfoObjectID)
{
    std::string registry = "Adobe";
    std::string ordering = "Identity";
    long long supplement = 0;
    FT_Face face = mFontInfo->GetFace();
    FT_Bool isCID = 0;
    const char* faceRegistry = nullptr;
    const char* faceOrdering = nullptr;
    FT_Int faceSupplement = 0;
    if (face && FT_Get_CID_Is_Internally_CID_Keyed(face, &isCID) == 0 && isCID &&
        FT_Get_CID_Registry_Ordering_Supplement(face, &faceRegistry, &faceOrdering, &faceSupplement) == 0) {
        registry = faceRegistry ? faceRegistry : "";
        ordering = faceOrdering ? faceOrdering : "";
        supplement = faceSupplement;
    }
    PDFValueWriter& values = mObjectsContext->GetValueWriter();
    mObjectsContext->StartIndirectObject(inCIDSystemInfoObjectID);
    DictionaryContext* info = mObjectsContext->StartDictionary();
    info->WriteKey(scRegistry);
    values.WriteLiteralStringValue(registry, eTokenSeparatorEndLine);
    info->WriteKey(scOrdering);
    values.WriteLiteralStringValue(ordering, eTokenSeparatorEndLine);
    info->WriteKey(scSupplement);
    info->WriteIntegerValue(supplement);
    mObjectsContext->EndDictionary(info);
    mObjectsContext->EndIndirectObject();
}

void DescendentFontWriter::WriteGlyphSetEntry(DictionaryContext* inDescriptor, ObjectsContext* inObjectsContext,
                                              FreeTypeFaceWrapper&, const EncodedGlyphList&)
{
    mCIDSetObjectID = inObjectsContext->GetInDirectObjectsRegistry().ReserveNewObjectID();
    inDescriptor->WriteKey(scCIDSet);
    inObjectsContext->WriteIndirectObjectReference(mCIDSetObjectID);
}

void DescendentFontWriter::WriteFontProgramEntry(DictionaryContext* inDescriptor, ObjectsContext* inObjectsContext)
{
    mDescendentFontWriter->WriteFontProgramEntry(inDescriptor, inObjectsContext);
}

std::string DescendentFontWriter::CIDSetBytes(const EncodedGlyphList& inEncodedGlyphs)
{
    uint32_t largest = 0;
    for (const EncodedGlyph& glyph : inEncodedGlyphs)
        largest = std::max(largest, glyph.mGlyphID);
    if (largest == 0)
        return std::string();
    std::string bytes(largest / 8 + 1, '\0');
    for (const EncodedGlyph& glyph : inEncodedGlyphs)
        bytes[glyph.mGlyphID / 8] = static_cast<char>(bytes[glyph.mGlyphID / 8] | (0x80 >> (glyph.mGlyphID % 8)));
    return bytes;
}

void DescendentFontWriter::WriteCIDSet(const EncodedGlyphList& inEncodedGlyphs)
{
    std::string bytes = CIDSetBytes(inEncodedGlyphs);
    mObjectsContext->StartIndirectObject(mCIDSetObjectID);
    std::unique_ptr<WrittenPDFStream> stream = mObjectsContext->StartStream();
    IByteWriterWithPosition* target = stream->GetWriteStream();
    if (target)
        target->WriteBytes(reinterpret_cast<const Byte*>(bytes.data()), bytes.size());
    mObjectsContext->EndStream(stream.get());
}
