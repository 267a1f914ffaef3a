#include "pdf/fonts/CFFEmbeddedFontWriter.h"

#include "pdf/fonts/CFFStandardStrings.h"
#include "pdf/fonts/CFFStructureWriter.h"
#include "pdf/fonts/CharStringType2Flattener.h"
#include "pdf/fonts/FreeTypeFaceWrapper.h"
#include "pdf/io/DiagnosticLog.h"
#include "pdf/io/InputFile.h"
#include "pdf/writing/ObjectsContext.h"

#include <algorithm>
#include <map>
#include <set>

namespace {

const std::string scSubtype = "Subtype";

const uint16_t scCharset = 15;
const uint16_t scEncoding = 16;
const uint16_t scCharStrings = 17;
const uint16_t scPrivate = 18;
const uint16_t scSubrs = 19;
const uint16_t scPostScript = 0x0C15;
const uint16_t scROS = 0x0C1E;
const uint16_t scCIDCount = 0x0C22;
const uint16_t scFDArray = 0x0C24;
const uint16_t scFDSelect = 0x0C25;

// The operands of DICT entries that are SIDs: version, Notice, FullName, FamilyName, Weight,
// Copyright, PostScript, BaseFontName, FontName take one; ROS takes two.
size_t SIDOperandCount(uint16_t inKey)
{
    switch (inKey) {
    case 0: case 1: case 2: case 3: case 4: case 0x0C00: case 0x0C15: case 0x0C16: case 0x0C26:
        return 1;
    case 0x0C1E:
        return 2;
    default:
        return 0;
    }
}

// The OS/2 fsType values that forbid embedding: restricted licence, alone or with bitmap-only.
bool ForbidsEmbedding(uint16_t inFSType)
{
    return inFSType == 2 || inFSType == 512 || inFSType == 514;
}

} // namespace

OpStatus CFFEmbeddedFontWriter::WriteEmbeddedFont(FreeTypeFaceWrapper& inFontInfo,
                                                  const std::vector<uint32_t>& inSubsetGlyphIDs,
                                                  const std::string& inFontFile3SubType,
                                                  const std::string& inSubsetFontName, ObjectsContext* inObjectsContext,
                                                  const std::vector<uint16_t>* inCIDMapping, ObjectIDType& outProgramID)
{
    outProgramID = 0;
    bool notEmbeddable = false;
    std::string font;
    OpStatus status = CreateCFFSubset(inFontInfo, inSubsetGlyphIDs, inCIDMapping, inSubsetFontName, notEmbeddable, font);
    if (status != eSuccess) {
        TraceMessage("CFFEmbeddedFontWriter::WriteEmbeddedFont, failed to write embedded font program");
        return status;
    }
    if (notEmbeddable) {
        TraceMessage("CFFEmbeddedFontWriter::WriteEmbeddedFont, font may not be embedded. so not embedding");
        return eSuccess;
    }

    outProgramID = inObjectsContext->AllocateAndStartIndirectObject();
    DictionaryContext* dictionary = inObjectsContext->StartDictionary();
    dictionary->WriteKey(scSubtype);
    inObjectsContext->GetValueWriter().WriteNameValue(inFontFile3SubType, eTokenSeparatorEndLine);
    std::unique_ptr<WrittenPDFStream> stream = inObjectsContext->StartStream(dictionary);
    IByteWriterWithPosition* target = stream->GetWriteStream();
    if (!target || target->WriteBytes(reinterpret_cast<const Byte*>(font.data()), font.size()) != font.size()) {
        TraceMessage("CFFEmbeddedFontWriter::WriteEmbeddedFont, failed to copy font program into pdf stream");
        inObjectsContext->EndStream(stream.get());
        return eFailure;
    }
    return inObjectsContext->EndStream(stream.get());
}

OpStatus CFFEmbeddedFontWriter::CreateCFFSubset(FreeTypeFaceWrapper& inFontInfo,
                                                const std::vector<uint32_t>& inSubsetGlyphIDs,
                                                const std::vector<uint16_t>* inCIDMapping,
                                                const std::string& inSubsetFontName, bool& outNotEmbeddable,
                                                std::string& outFont)
{
    outNotEmbeddable = false;
    outFont.clear();
    InputFile fontFile;
    if (fontFile.OpenFile(inFontInfo.GetFontFilePath()) != eSuccess) {
        TraceMessage("CFFEmbeddedFontWriter::CreateCFFSubset, cannot open type font file at %s",
                     inFontInfo.GetFontFilePath().c_str());
        return eFailure;
    }
    long faceIndex = inFontInfo.GetFontIndex();
    if (faceIndex < 0 || faceIndex > 0xFFFF) {
        TraceMessage("CFFEmbeddedFontWriter::CreateCFFSubset, face index %ld out of range", faceIndex);
        return eFailure;
    }
    OpStatus status = CreateCFFSubset(fontFile.GetInputStream(), static_cast<uint16_t>(faceIndex), inSubsetGlyphIDs,
                                      inCIDMapping, inSubsetFontName, outNotEmbeddable, outFont);
    fontFile.CloseFile();
    return status;
}

OpStatus CFFEmbeddedFontWriter::CreateCFFSubset(IByteReaderWithPosition* inFontStream, uint16_t inFaceIndex,
                                                const std::vector<uint32_t>& inSubsetGlyphIDs,
                                                const std::vector<uint16_t>* inCIDMapping,
                                                const std::string& inSubsetFontName, bool& outNotEmbeddable,
                                                std::string& outFont)
{
    outNotEmbeddable = false;
    outFont.clear();
    if (mOpenTypeInput.ReadOpenTypeFile(inFontStream, inFaceIndex) != eSuccess) {
        TraceMessage("CFFEmbeddedFontWriter::CreateCFFSubset, failed to read true type file");
        return eFailure;
    }
    if (mOpenTypeInput.GetOpenTypeFontType() != eOpenTypeCFF) {
        TraceMessage("CFFEmbeddedFontWriter::CreateCFFSubset, font file is not CFF, so there is an exceptions here. expecting CFFs only");
        return eFailure;
    }
    return CreateCFFSubset(mOpenTypeInput.GetCFF(), mOpenTypeInput.HasOS2() ? &mOpenTypeInput.GetOS2() : nullptr,
                           inSubsetGlyphIDs, inCIDMapping, inSubsetFontName, outNotEmbeddable, outFont);
}

OpStatus CFFEmbeddedFontWriter::CreateCFFSubset(CFFFileInput& inSource, const OS2Table* inOS2,
                                                const std::vector<uint32_t>& inSubsetGlyphIDs,
                                                const std::vector<uint16_t>* inCIDMapping,
                                                const std::string& inSubsetFontName, bool& outNotEmbeddable,
                                                std::string& outFont)
{
    outNotEmbeddable = false;
    outFont.clear();
    mSource = &inSource;
    if (mSource->GetFontsCount() == 0) {
        TraceMessage("CFFEmbeddedFontWriter::CreateCFFSubset, the CFF data holds no font");
        return eFailure;
    }
    mHasFSType = inOS2 != nullptr;
    mFSType = inOS2 ? inOS2->mFSType : 0;
    if (mHasFSType && ForbidsEmbedding(mFSType)) {
        outNotEmbeddable = true;
        return eSuccess;
    }

    // Glyph 0 leads; a glyph named twice is kept once.
    uint16_t glyphCount = mSource->GetCharStringsCount(0);
    std::vector<uint16_t> subsetGlyphIDs;
    std::set<uint16_t> seen;
    if (inSubsetGlyphIDs.empty() || inSubsetGlyphIDs.front() != 0) {
        subsetGlyphIDs.push_back(0);
        seen.insert(0);
    }
    for (uint32_t glyph : inSubsetGlyphIDs) {
        if (glyph >= glyphCount) {
            TraceMessage("CFFEmbeddedFontWriter::CreateCFFSubset, glyph %u is not in a font of %u glyphs", glyph,
                         static_cast<unsigned>(glyphCount));
            return eFailure;
        }
        if (seen.insert(static_cast<uint16_t>(glyph)).second)
            subsetGlyphIDs.push_back(static_cast<uint16_t>(glyph));
    }
    bool sourceIsCID = mSource->IsCIDKeyed(0);
    mIsCID = sourceIsCID || inCIDMapping;
    mConvertsToCID = mIsCID && !sourceIsCID;
    // Glyph programs are flattened first, since accented characters name more glyphs.
    if (FlattenGlyphs(subsetGlyphIDs) != eSuccess)
        return eFailure;
    mSubsetCIDs.clear();
    if (mIsCID) {
        // The given CIDs by glyph id: glyph 0 and added components, which have none, keep their id.
        std::map<uint16_t, uint16_t> cidOfGlyph;
        if (inCIDMapping)
            for (size_t i = 0; i < inSubsetGlyphIDs.size() && i < inCIDMapping->size(); ++i)
                cidOfGlyph.insert(std::make_pair(static_cast<uint16_t>(inSubsetGlyphIDs[i]), (*inCIDMapping)[i]));
        for (uint16_t glyph : subsetGlyphIDs) {
            auto found = cidOfGlyph.find(glyph);
            uint16_t cid = glyph == 0 ? 0
                           : found != cidOfGlyph.end() ? found->second
                           : inCIDMapping ? glyph
                                          : mSource->GetGlyphSID(0, glyph);
            mSubsetCIDs.push_back(cid);
        }
    }

    SelectStrings(subsetGlyphIDs);
    mAddedStrings.clear();
    if (mHasFSType && mSource->GetTopDictionary(0).mTopDict.count(scPostScript) == 0)
        mAddedStrings.push_back("/FSType " + std::to_string(mFSType) + " def");
    if (mConvertsToCID) {
        mAddedStrings.push_back("Adobe");
        mAddedStrings.push_back("Identity");
    }

    mFontFileStream.Reset();
    mPrimitivesWriter.SetStream(&mFontFileStream);
    mCharsetPlaceHolderPosition = mEncodingPlaceHolderPosition = mCharstringsPlaceHolderPosition = 0;
    mPrivatePlaceHolderPosition = mFDArrayPlaceHolderPosition = mFDSelectPlaceHolderPosition = 0;
    mPrivateSize = mPrivatePosition = 0;

    const CFFHeader& header = mSource->GetHeader();
    if (mPrimitivesWriter.Write(header.mBytes.data(), header.mBytes.size()) != eSuccess) {
        TraceMessage("CFFEmbeddedFontWriter::CreateCFFSubset, failed to write CFF header");
        return eFailure;
    }
    if (WriteName(inSubsetFontName) != eSuccess) {
        TraceMessage("CFFEmbeddedFontWriter::CreateCFFSubset, failed to write CFF Name");
        return eFailure;
    }
    if (WriteTopIndex() != eSuccess) {
        TraceMessage("CFFEmbeddedFontWriter::CreateCFFSubset, failed to write Top Index");
        return eFailure;
    }
    if (WriteStringIndex() != eSuccess) {
        TraceMessage("CFFEmbeddedFontWriter::CreateCFFSubset, failed to write String Index");
        return eFailure;
    }
    if (mPrimitivesWriter.PutCard16(0) != eSuccess) {
        TraceMessage("CFFEmbeddedFontWriter::CreateCFFSubset, failed to write global subrs index");
        return eFailure;
    }
    if (!mIsCID && WriteEncodings(subsetGlyphIDs) != eSuccess) {
        TraceMessage("CFFEmbeddedFontWriter::CreateCFFSubset, failed to write encodings");
        return eFailure;
    }
    if (WriteCharsets(subsetGlyphIDs) != eSuccess) {
        TraceMessage("CFFEmbeddedFontWriter::CreateCFFSubset, failed to write charstring");
        return eFailure;
    }
    if (mIsCID && WriteFDSelect(subsetGlyphIDs) != eSuccess) {
        TraceMessage("CFFEmbeddedFontWriter::CreateCFFSubset, failed to write FDSelect");
        return eFailure;
    }
    if (WriteCharStrings(subsetGlyphIDs) != eSuccess) {
        TraceMessage("CFFEmbeddedFontWriter::CreateCFFSubset, failed to write charstring");
        return eFailure;
    }
    const PrivateDictionary& privateDict = mSource->GetPrivateDictionary(0);
    if (!mIsCID && privateDict.mExists &&
        WritePrivateDictionary(privateDict.mPrivateDict, mPrivateSize, mPrivatePosition) != eSuccess) {
        TraceMessage("CFFEmbeddedFontWriter::CreateCFFSubset, failed to write private");
        return eFailure;
    }
    if (mIsCID && WriteFDArray() != eSuccess) {
        TraceMessage("CFFEmbeddedFontWriter::CreateCFFSubset, failed to write FDArray");
        return eFailure;
    }
    if (mPrimitivesWriter.GetStatus() != eSuccess) {
        TraceMessage("CFFEmbeddedFontWriter::CreateCFFSubset, failed to write charstring");
        return eFailure;
    }
    std::string font = mFontFileStream.ContentsAsString();
    if (UpdateIndexesAtTopDict(font) != eSuccess) {
        TraceMessage("CFFEmbeddedFontWriter::CreateCFFSubset, failed to update indexes");
        return eFailure;
    }
    outFont = std::move(font);
    return eSuccess;
}

namespace {

// Appends to a string: the program of one glyph.
class StringWriter : public IByteWriter {
public:
    explicit StringWriter(std::string& outBytes) : mBytes(outBytes) {}
    size_t WriteBytes(const Byte* inBuffer, size_t inSize) override
    {
        mBytes.append(reinterpret_cast<const char*>(inBuffer), inSize);
        return inSize;
    }

private:
    std::string& mBytes;
};

} // namespace

OpStatus CFFEmbeddedFontWriter::FlattenGlyphs(std::vector<uint16_t>& ioSubsetGlyphIDs)
{
    // Components may have components of their own; every glyph is flattened once.
    mCharStrings.clear();
    CharStringType2Flattener flattener;
    GlyphDependencies components;
    std::vector<uint16_t> pending(ioSubsetGlyphIDs.rbegin(), ioSubsetGlyphIDs.rend());
    while (!pending.empty()) {
        uint16_t glyph = pending.back();
        pending.pop_back();
        if (mCharStrings.count(glyph))
            continue;
        std::string& program = mCharStrings[glyph];
        StringWriter writer(program);
        GlyphDependencies found;
        if (flattener.Trace(0, glyph, mSource, &writer, &found) != eSuccess) {
            TraceMessage("CFFEmbeddedFontWriter::FlattenGlyphs, failed to flatten glyph %u", static_cast<unsigned>(glyph));
            TraceMessage("CFFEmbeddedFontWriter::CreateCFFSubset, failed to write charstring");
            return eFailure;
        }
        for (uint16_t component : found.mCharCodes) {
            components.mCharCodes.insert(component);
            if (!mCharStrings.count(component))
                pending.push_back(component);
        }
    }
    if (components.mCharCodes.empty())
        return eSuccess;
    // An accented character names its components by standard code, which a CID-keyed font
    // cannot resolve: the subset would lose those glyphs.
    if (mConvertsToCID) {
        TraceMessage("CFFEmbeddedFontWriter::FlattenGlyphs, accented characters made of components cannot be kept in a CID-keyed subset");
        TraceMessage("CFFEmbeddedFontWriter::CreateCFFSubset, failed to add dependent glyphs");
        return eFailure;
    }
    ioSubsetGlyphIDs.clear();
    for (const auto& entry : mCharStrings)
        ioSubsetGlyphIDs.push_back(entry.first);
    return eSuccess;
}

OpStatus CFFEmbeddedFontWriter::WriteName(const std::string& inSubsetFontName)
{
    std::string name = inSubsetFontName.empty() ? mSource->GetFontNames().front() : inSubsetFontName;
    return CFFStructureWriter::WriteIndex(mPrimitivesWriter, {name});
}

uint16_t CFFEmbeddedFontWriter::AddedStringSID(size_t inAddedIndex) const
{
    return static_cast<uint16_t>(CFFStandardStrings::kCount + mSubsetStrings.size() + inAddedIndex);
}

void CFFEmbeddedFontWriter::SelectStrings(const std::vector<uint16_t>& inSubsetGlyphIDs)
{
    // Only the strings the subset names are kept: the names of its glyphs and the font's own
    // names. A font's strings are mostly glyph names, most of which a subset does not use.
    std::set<uint16_t> used;
    auto useDict = [&used](const CFFDict& inDict) {
        for (const auto& entry : inDict)
            for (size_t i = 0; i < SIDOperandCount(entry.first) && i < entry.second.size(); ++i)
                if (entry.second[i].mIsInteger && entry.second[i].mIntegerValue >= 0 &&
                    entry.second[i].mIntegerValue <= 0xFFFF)
                    used.insert(static_cast<uint16_t>(entry.second[i].mIntegerValue));
    };
    useDict(mSource->GetTopDictionary(0).mTopDict);
    for (const FontDictionary& fd : mSource->GetTopDictionary(0).mFDArray)
        useDict(fd.mFontDict);
    if (!mSource->IsCIDKeyed(0))
        for (uint16_t glyph : inSubsetGlyphIDs)
            used.insert(mSource->GetGlyphSID(0, glyph));

    mSubsetStrings.clear();
    mSIDRemap.clear();
    const std::vector<std::string>& strings = mSource->GetStrings();
    for (uint16_t sid : used) {
        if (sid < CFFStandardStrings::kCount || static_cast<size_t>(sid - CFFStandardStrings::kCount) >= strings.size())
            continue;
        mSIDRemap[sid] = static_cast<uint16_t>(CFFStandardStrings::kCount + mSubsetStrings.size());
        mSubsetStrings.push_back(strings[sid - CFFStandardStrings::kCount]);
    }
}

uint16_t CFFEmbeddedFontWriter::RemapSID(uint16_t inSID) const
{
    if (inSID < CFFStandardStrings::kCount)
        return inSID;
    auto found = mSIDRemap.find(inSID);
    // A SID past the font's strings names nothing; .notdef stands in for it.
    return found == mSIDRemap.end() ? 0 : found->second;
}

DictOperandList CFFEmbeddedFontWriter::RemapSIDOperands(uint16_t inKey, const DictOperandList& inOperands) const
{
    DictOperandList operands = inOperands;
    for (size_t i = 0; i < SIDOperandCount(inKey) && i < operands.size(); ++i)
        if (operands[i].mIsInteger && operands[i].mIntegerValue >= 0 && operands[i].mIntegerValue <= 0xFFFF)
            operands[i].mIntegerValue = RemapSID(static_cast<uint16_t>(operands[i].mIntegerValue));
    return operands;
}

OpStatus CFFEmbeddedFontWriter::WriteTopIndex()
{
    OutputStringBufferStream dictStream;
    CFFValueWriter dictWriter(&dictStream);
    const CFFDict& topDict = mSource->GetTopDictionary(0).mTopDict;

    // ROS comes first in a CID-keyed font.
    if (mConvertsToCID) {
        size_t adobe = mAddedStrings.size() - 2;
        dictWriter.PutDictEntry(scROS, {DictOperand::Integer(AddedStringSID(adobe)),
                                        DictOperand::Integer(AddedStringSID(adobe + 1)), DictOperand::Integer(0)});
    } else if (mIsCID) {
        dictWriter.PutDictEntry(scROS, RemapSIDOperands(scROS, topDict.at(scROS)));
    }
    for (const auto& entry : topDict) {
        uint16_t key = entry.first;
        if (key == scCharset || key == scEncoding || key == scCharStrings || key == scPrivate || key == scROS ||
            key == scFDArray || key == scFDSelect || (mConvertsToCID && key == scCIDCount))
            continue;
        dictWriter.PutDictEntry(key, RemapSIDOperands(key, entry.second));
    }
    if (mConvertsToCID) {
        int32_t largestCID = *std::max_element(mSubsetCIDs.begin(), mSubsetCIDs.end());
        dictWriter.PutDictEntry(scCIDCount, {DictOperand::Integer(largestCID + 1)});
    }
    if (mHasFSType && topDict.count(scPostScript) == 0)
        dictWriter.PutDictEntry(scPostScript, {DictOperand::Integer(AddedStringSID(0))});

    // Placeholders, filled once the structures they point at are written; positions are taken
    // within the DICT first and moved to the output below.
    auto placeholder = [&](LongFilePositionType& outPosition) {
        outPosition = dictStream.TellPosition();
        dictWriter.PutFiveByteInteger(0);
    };
    placeholder(mCharsetPlaceHolderPosition);
    dictWriter.PutByte(scCharset);
    placeholder(mCharstringsPlaceHolderPosition);
    dictWriter.PutByte(scCharStrings);
    if (!mIsCID && mSource->GetPrivateDictionary(0).mExists) {
        placeholder(mPrivatePlaceHolderPosition);
        dictWriter.PutFiveByteInteger(0);
        dictWriter.PutByte(scPrivate);
    }
    if (!mIsCID) {
        placeholder(mEncodingPlaceHolderPosition);
        dictWriter.PutByte(scEncoding);
    } else {
        placeholder(mFDArrayPlaceHolderPosition);
        dictWriter.PutDictEntry(scFDArray, {});
        placeholder(mFDSelectPlaceHolderPosition);
        dictWriter.PutDictEntry(scFDSelect, {});
    }
    if (dictWriter.GetStatus() != eSuccess)
        return eFailure;

    std::string dict = dictStream.ContentsAsString();
    if (CFFStructureWriter::WriteIndex(mPrimitivesWriter, {dict}) != eSuccess)
        return eFailure;
    LongFilePositionType dictStart = mFontFileStream.TellPosition() - static_cast<LongFilePositionType>(dict.size());
    for (LongFilePositionType* position : {&mCharsetPlaceHolderPosition, &mCharstringsPlaceHolderPosition,
                                           &mPrivatePlaceHolderPosition, &mEncodingPlaceHolderPosition,
                                           &mFDArrayPlaceHolderPosition, &mFDSelectPlaceHolderPosition})
        if (*position != 0 || position == &mCharsetPlaceHolderPosition)
            *position += dictStart;
    if (!mIsCID && !mSource->GetPrivateDictionary(0).mExists)
        mPrivatePlaceHolderPosition = 0;
    return eSuccess;
}

OpStatus CFFEmbeddedFontWriter::WriteStringIndex()
{
    std::vector<std::string> strings = mSubsetStrings;
    strings.insert(strings.end(), mAddedStrings.begin(), mAddedStrings.end());
    return CFFStructureWriter::WriteIndex(mPrimitivesWriter, strings);
}

OpStatus CFFEmbeddedFontWriter::WriteEncodings(const std::vector<uint16_t>& inSubsetGlyphIDs)
{
    const EncodingTable* encoding = mSource->GetTopDictionary(0).mEncoding;
    if (!encoding || encoding->mType != eEncodingCustom) {
        mEncodingPosition = encoding ? encoding->mType : eEncodingStandard;
        return eSuccess;
    }
    mEncodingPosition = mFontFileStream.TellPosition();

    std::vector<std::pair<Byte, uint16_t>> supplements;
    for (uint16_t glyph : inSubsetGlyphIDs) {
        uint16_t sid = mSource->GetGlyphSID(0, glyph);
        auto found = encoding->mSupplements.find(sid);
        if (found != encoding->mSupplements.end())
            for (Byte code : found->second)
                supplements.push_back(std::make_pair(code, RemapSID(sid)));
    }
    if (supplements.size() > 255)
        supplements.resize(255);

    size_t codesCount = std::min(encoding->mEncoding.size(), inSubsetGlyphIDs.size() - 1);
    mPrimitivesWriter.PutByte(supplements.empty() ? 0 : 0x80);
    mPrimitivesWriter.PutByte(static_cast<int>(codesCount));
    for (size_t i = 1; i <= codesCount; ++i) {
        uint16_t glyph = inSubsetGlyphIDs[i];
        mPrimitivesWriter.PutByte(glyph >= 1 && glyph <= encoding->mEncoding.size() ? encoding->mEncoding[glyph - 1] : 0);
    }
    if (!supplements.empty()) {
        mPrimitivesWriter.PutByte(static_cast<int>(supplements.size()));
        for (const auto& supplement : supplements) {
            mPrimitivesWriter.PutByte(supplement.first);
            mPrimitivesWriter.PutCard16(supplement.second);
        }
    }
    return mPrimitivesWriter.GetStatus();
}

OpStatus CFFEmbeddedFontWriter::WriteCharsets(const std::vector<uint16_t>& inSubsetGlyphIDs)
{
    mCharsetPosition = mFontFileStream.TellPosition();
    mPrimitivesWriter.PutByte(0);
    for (size_t i = 1; i < inSubsetGlyphIDs.size(); ++i)
        mPrimitivesWriter.PutCard16(mIsCID ? mSubsetCIDs[i] : RemapSID(mSource->GetGlyphSID(0, inSubsetGlyphIDs[i])));
    return mPrimitivesWriter.GetStatus();
}

OpStatus CFFEmbeddedFontWriter::WriteFDSelect(const std::vector<uint16_t>& inSubsetGlyphIDs)
{
    mUsedFDs.clear();
    mGlyphFD.assign(inSubsetGlyphIDs.size(), 0);
    if (!mConvertsToCID) {
        // Used FDs keep their source order.
        const std::vector<FontDictionary>& fdArray = mSource->GetTopDictionary(0).mFDArray;
        std::set<size_t> used;
        for (uint16_t glyph : inSubsetGlyphIDs) {
            const FontDictionary* fd = mSource->GetGlyphFontDictionary(0, glyph);
            if (!fd) {
                TraceMessage("CFFEmbeddedFontWriter::WriteFDSelect, glyph %u has no FD", static_cast<unsigned>(glyph));
                return eFailure;
            }
            used.insert(static_cast<size_t>(fd - fdArray.data()));
        }
        std::map<const FontDictionary*, uint8_t> newNumber;
        for (size_t index : used) {
            newNumber[&fdArray[index]] = static_cast<uint8_t>(mUsedFDs.size());
            mUsedFDs.push_back(&fdArray[index]);
        }
        for (size_t i = 0; i < inSubsetGlyphIDs.size(); ++i)
            mGlyphFD[i] = newNumber[mSource->GetGlyphFontDictionary(0, inSubsetGlyphIDs[i])];
    }

    mFDSelectPosition = mFontFileStream.TellPosition();
    std::vector<std::pair<uint16_t, uint8_t>> ranges;
    for (size_t i = 0; i < mGlyphFD.size(); ++i)
        if (i == 0 || mGlyphFD[i] != mGlyphFD[i - 1])
            ranges.push_back(std::make_pair(static_cast<uint16_t>(i), mGlyphFD[i]));
    mPrimitivesWriter.PutByte(3);
    mPrimitivesWriter.PutCard16(static_cast<uint16_t>(ranges.size()));
    for (const auto& range : ranges) {
        mPrimitivesWriter.PutCard16(range.first);
        mPrimitivesWriter.PutByte(range.second);
    }
    mPrimitivesWriter.PutCard16(static_cast<uint16_t>(inSubsetGlyphIDs.size()));
    return mPrimitivesWriter.GetStatus();
}

OpStatus CFFEmbeddedFontWriter::WriteCharStrings(const std::vector<uint16_t>& inSubsetGlyphIDs)
{
    std::vector<std::string> charStrings;
    charStrings.reserve(inSubsetGlyphIDs.size());
    for (uint16_t glyph : inSubsetGlyphIDs)
        charStrings.push_back(std::move(mCharStrings[glyph]));
    mCharStrings.clear();
    mCharStringPosition = mFontFileStream.TellPosition();
    return CFFStructureWriter::WriteIndex(mPrimitivesWriter, charStrings);
}

OpStatus CFFEmbeddedFontWriter::WritePrivateDictionary(const CFFDict& inPrivateDict, LongFilePositionType& outSize,
                                                       LongFilePositionType& outOffset)
{
    outOffset = mFontFileStream.TellPosition();
    for (const auto& entry : inPrivateDict)
        if (entry.first != scSubrs && mPrimitivesWriter.PutDictEntry(entry.first, entry.second) != eSuccess)
            return eFailure;
    outSize = mFontFileStream.TellPosition() - outOffset;
    return eSuccess;
}

OpStatus CFFEmbeddedFontWriter::WriteFDArray()
{
    std::vector<std::string> fontDicts;
    if (mConvertsToCID) {
        // One FD carries the source's Private DICT.
        const PrivateDictionary& privateDict = mSource->GetPrivateDictionary(0);
        OutputStringBufferStream dictStream;
        CFFValueWriter dictWriter(&dictStream);
        // A Font DICT needs a Private DICT; an empty one stands in when the source has none.
        LongFilePositionType size = 0, offset = mFontFileStream.TellPosition();
        if (privateDict.mExists && WritePrivateDictionary(privateDict.mPrivateDict, size, offset) != eSuccess)
            return eFailure;
        dictWriter.PutDictEntry(scPrivate, {DictOperand::Integer(static_cast<int32_t>(size)),
                                            DictOperand::Integer(static_cast<int32_t>(offset))});
        fontDicts.push_back(dictStream.ContentsAsString());
    } else {
        std::vector<std::pair<LongFilePositionType, LongFilePositionType>> privates;
        for (const FontDictionary* fd : mUsedFDs) {
            LongFilePositionType size = 0, offset = 0;
            if (fd->mPrivateDict.mExists &&
                WritePrivateDictionary(fd->mPrivateDict.mPrivateDict, size, offset) != eSuccess)
                return eFailure;
            privates.push_back(std::make_pair(size, offset));
        }
        for (size_t i = 0; i < mUsedFDs.size(); ++i) {
            OutputStringBufferStream dictStream;
            CFFValueWriter dictWriter(&dictStream);
            for (const auto& entry : mUsedFDs[i]->mFontDict)
                if (entry.first != scPrivate)
                    dictWriter.PutDictEntry(entry.first, RemapSIDOperands(entry.first, entry.second));
            if (mUsedFDs[i]->mPrivateDict.mExists)
                dictWriter.PutDictEntry(scPrivate, {DictOperand::Integer(static_cast<int32_t>(privates[i].first)),
                                                    DictOperand::Integer(static_cast<int32_t>(privates[i].second))});
            if (dictWriter.GetStatus() != eSuccess)
                return eFailure;
            fontDicts.push_back(dictStream.ContentsAsString());
        }
    }
    mFDArrayPosition = mFontFileStream.TellPosition();
    return CFFStructureWriter::WriteIndex(mPrimitivesWriter, fontDicts);
}

OpStatus CFFEmbeddedFontWriter::UpdateIndexesAtTopDict(std::string& ioFont)
{
    // Every offset must fit the five-byte integers of the placeholders.
    if (ioFont.size() > 0x7FFFFFFF)
        return eFailure;
    std::vector<std::pair<LongFilePositionType, LongFilePositionType>> fills = {
        {mCharsetPlaceHolderPosition, mCharsetPosition}, {mCharstringsPlaceHolderPosition, mCharStringPosition}};
    if (mPrivatePlaceHolderPosition != 0) {
        fills.push_back({mPrivatePlaceHolderPosition, mPrivateSize});
        fills.push_back({mPrivatePlaceHolderPosition + 5, mPrivatePosition});
    }
    if (mEncodingPlaceHolderPosition != 0)
        fills.push_back({mEncodingPlaceHolderPosition, mEncodingPosition});
    if (mFDArrayPlaceHolderPosition != 0) {
        fills.push_back({mFDArrayPlaceHolderPosition, mFDArrayPosition});
        fills.push_back({mFDSelectPlaceHolderPosition, mFDSelectPosition});
    }
    for (const auto& fill : fills)
        if (CFFStructureWriter::FillPlaceholder(ioFont, static_cast<size_t>(fill.first),
                                                static_cast<int32_t>(fill.second)) != eSuccess)
            return eFailure;
    return eSuccess;
}
