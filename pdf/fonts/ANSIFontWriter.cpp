#include "pdf/fonts/ANSIFontWriter.h"

#include "pdf/fonts/FontDescriptorBuilder.h"
#include "pdf/fonts/FreeTypeFaceWrapper.h"
#include "pdf/fonts/IANSIFontWriterHelper.h"
#include "pdf/fonts/ToUnicodeMapWriter.h"
#include "pdf/fonts/WinAnsiEncoding.h"
#include "pdf/io/DiagnosticLog.h"
#include "pdf/writing/ObjectsContext.h"

#include <map>

namespace {

const char* const scType = "Type";
const char* const scFont = "Font";
const char* const scBaseFont = "BaseFont";
const char* const scToUnicode = "ToUnicode";
const char* const scFontDescriptor = "FontDescriptor";
const char* const scFirstChar = "FirstChar";
const char* const scLastChar = "LastChar";
const char* const scWidths = "Widths";
const char* const scEncoding = "Encoding";
const char* const scWinAnsiEncoding = "WinAnsiEncoding";
const char* const scBaseEncoding = "BaseEncoding";
const char* const scDifferences = "Differences";

} // namespace

OpStatus ANSIFontWriter::WriteFont(FreeTypeFaceWrapper& inFontInfo, const WrittenFontRepresentation& inRepresentation,
                                   ObjectsContext* inObjectsContext, IANSIFontWriterHelper* inFontSpecificHelper,
                                   const std::string& inFontName)
{
    mFontInfo = &inFontInfo;
    mObjectsContext = inObjectsContext;
    mDifferences.clear();
    PDFValueWriter& values = inObjectsContext->GetValueWriter();
    IndirectObjectsReferenceRegistry& registry = inObjectsContext->GetInDirectObjectsRegistry();

    inObjectsContext->StartIndirectObject(inRepresentation.mWrittenObjectID);
    DictionaryContext* font = inObjectsContext->StartDictionary();
    font->WriteKey(scType);
    values.WriteNameValue(scFont, eTokenSeparatorEndLine);
    inFontSpecificHelper->WriteSubtypeName(inObjectsContext, font);
    font->WriteKey(scBaseFont);
    values.WriteNameValue(inFontName, eTokenSeparatorEndLine);

    mEncodedGlyphs = CollectEncodedGlyphs(inRepresentation);
    WriteWidths(font);

    if (inFontSpecificHelper->AllowsDifferences())
        CollectDifferences();
    ObjectIDType encodingID = 0;
    font->WriteKey(scEncoding);
    if (mDifferences.empty()) {
        values.WriteNameValue(scWinAnsiEncoding, eTokenSeparatorEndLine);
    } else {
        encodingID = registry.ReserveNewObjectID();
        inObjectsContext->WriteIndirectObjectReference(encodingID);
    }

    ObjectIDType toUnicodeID = registry.ReserveNewObjectID();
    font->WriteKey(scToUnicode);
    inObjectsContext->WriteIndirectObjectReference(toUnicodeID);
    ObjectIDType descriptorID = registry.ReserveNewObjectID();
    font->WriteKey(scFontDescriptor);
    inObjectsContext->WriteIndirectObjectReference(descriptorID);

    if (inObjectsContext->EndDictionary(font) != eSuccess) {
        TraceMessage("ANSIFontWriter::WriteFont, unexpected failure. Failed to end dictionary in font write.");
        return eFailure;
    }
    inObjectsContext->EndIndirectObject();

    if (encodingID != 0)
        WriteEncodingDictionary(encodingID);
    ToUnicodeMapWriter::WriteToUnicodeMap(inObjectsContext, toUnicodeID, mEncodedGlyphs,
                                          ToUnicodeMapWriter::eOneByteCodes);
    // A failed write is remembered by the objects context and fails the document's end.
    FontDescriptorBuilder::WriteDescriptor(descriptorID, inFontName, inFontInfo, mEncodedGlyphs, inObjectsContext,
                                           inFontSpecificHelper->DescriptorHelper());
    return eSuccess;
}

void ANSIFontWriter::WriteWidths(DictionaryContext* inFontDictionary)
{
    if (mEncodedGlyphs.empty())
        return;
    uint16_t firstCode = mEncodedGlyphs.front().mEncodedCharacter;
    uint16_t lastCode = mEncodedGlyphs.back().mEncodedCharacter;
    inFontDictionary->WriteKey(scFirstChar);
    inFontDictionary->WriteIntegerValue(firstCode);
    inFontDictionary->WriteKey(scLastChar);
    inFontDictionary->WriteIntegerValue(lastCode);

    inFontDictionary->WriteKey(scWidths);
    mObjectsContext->StartArray();
    auto glyph = mEncodedGlyphs.begin();
    for (unsigned code = firstCode; code <= lastCode; ++code) {
        while (glyph != mEncodedGlyphs.end() && glyph->mEncodedCharacter < code)
            ++glyph;
        double width = 0;
        if (glyph != mEncodedGlyphs.end() && glyph->mEncodedCharacter == code)
            width = mFontInfo->GlyphWidth(static_cast<uint16_t>(glyph->mGlyphID));
        mObjectsContext->GetValueWriter().WriteRealValue(width, eTokenSeparatorSpace);
    }
    mObjectsContext->EndArray(eTokenSeparatorEndLine);
}

void ANSIFontWriter::CollectDifferences()
{
    for (const EncodedGlyph& glyph : mEncodedGlyphs) {
        std::string name = mFontInfo->GlyphNameOfIndex(static_cast<uint16_t>(glyph.mGlyphID));
        if (name != WinAnsiEncoding::GlyphName(static_cast<Byte>(glyph.mEncodedCharacter & 0xFF)))
            mDifferences.emplace_back(glyph.mEncodedCharacter, name);
    }
}

void ANSIFontWriter::WriteEncodingDictionary(ObjectIDType inEncodingObjectID)
{
    PDFValueWriter& values = mObjectsContext->GetValueWriter();
    mObjectsContext->StartIndirectObject(inEncodingObjectID);
    DictionaryContext* encoding = mObjectsContext->StartDictionary();
    encoding->WriteKey(scType);
    values.WriteNameValue(scEncoding, eTokenSeparatorEndLine);
    encoding->WriteKey(scBaseEncoding);
    values.WriteNameValue(scWinAnsiEncoding, eTokenSeparatorEndLine);
    encoding->WriteKey(scDifferences);
    mObjectsContext->StartArray();
    // Consecutive codes form one run: the run's first code, then the names.
    for (size_t i = 0; i < mDifferences.size(); ++i) {
        const auto& difference = mDifferences[i];
        bool laterRun = i > 0 && difference.first != mDifferences[i - 1].first + 1;
        if (i == 0) {
            mObjectsContext->WriteInteger(difference.first, eTokenSeparatorEndLine);
        } else if (laterRun) {
            mObjectsContext->EndLine();
            values.WriteText(std::string(encoding->GetIndentLevel() + 1, '\t'));
            mObjectsContext->WriteInteger(difference.first, eTokenSeparatorEndLine);
        }
        values.WriteNameValue(difference.second, eTokenSeparatorEndLine);
        if (laterRun)
            values.WriteText("  ");
    }
    mObjectsContext->EndArray(eTokenSeparatorEndLine);
    mObjectsContext->EndDictionary(encoding);
    mObjectsContext->EndIndirectObject();
}
