#include "pdf/fonts/OpenTypeFileInput.h"

#include "pdf/fonts/TableTag.h"
#include "pdf/io/DiagnosticLog.h"

#include <initializer_list>
#include <iterator>

namespace {

// Composite glyph flags.
const uint16_t ARG_1_AND_2_ARE_WORDS = 0x0001;
const uint16_t WE_HAVE_A_SCALE = 0x0008;
const uint16_t MORE_COMPONENTS = 0x0020;
const uint16_t WE_HAVE_AN_X_AND_Y_SCALE = 0x0040;
const uint16_t WE_HAVE_A_TWO_BY_TWO = 0x0080;

// The name records of one font may share their strings, so their copies are capped as a whole.
const size_t kMaxNameBytes = 16 * 1024 * 1024;

std::string TagText(uint32_t inTag)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        char character = static_cast<char>((inTag >> shift) & 0xFF);
        text.push_back(character >= 32 && character < 127 ? character : '?');
    }
    return text;
}

} // namespace

void OpenTypeFileInput::FreeTables()
{
    mTables.clear();
    mHead = HeadTable();
    mMaxp = MaxpTable();
    mHHea = HHeaTable();
    mHMtx.clear();
    mOS2Exists = false;
    mOS2 = OS2Table();
    mName.clear();
    mLoca.clear();
    mGlyphs.clear();
    mGlyphRead.clear();
    mHasCVT = mHasFPGM = mHasPrep = false;
    mFontType = eOpenTypeTrueType;
    mCFF.ReleaseReadData();
}

OpStatus OpenTypeFileInput::ReadOpenTypeFile(IByteReaderWithPosition* inFile, uint16_t inFaceIndex,
                                             EGlyphRecords inGlyphRecords)
{
    mFaceIndex = inFaceIndex;
    mGlyphRecords = inGlyphRecords;
    FreeTables();
    mPrimitivesReader.SetStream(inFile);
    mHeaderOffset = 0;
    mTableOffset = 0;
    mInsideCollection = false;
    mInsideResource = false;
    mFileLength = 0;
    if (inFile) {
        LongFilePositionType origin = inFile->TellPosition();
        inFile->SeekFromEnd(0);
        mFileLength = inFile->TellPosition() - origin;
        inFile->SeekFromStart(origin);
    }

    struct Step {
        OpStatus (OpenTypeFileInput::*read)();
        const char* what;
    };
    static const Step scSteps[] = {{&OpenTypeFileInput::ReaderTrueTypeHeader, "true type header"},
                                   {&OpenTypeFileInput::ReadHead, "head table"},
                                   {&OpenTypeFileInput::ReadMaxP, "maxp table"},
                                   {&OpenTypeFileInput::ReadHHea, "hhea table"},
                                   {&OpenTypeFileInput::ReadHMtx, "hmtx table"},
                                   {&OpenTypeFileInput::ReadOS2, "os2 table"},
                                   {&OpenTypeFileInput::ReadName, "name table"}};
    static const Step scTrueTypeSteps[] = {{&OpenTypeFileInput::ReadLoca, "loca table"},
                                           {&OpenTypeFileInput::ReadGlyfForDependencies, "glyf table"}};
    for (const Step& step : scSteps) {
        if ((this->*step.read)() != eSuccess) {
            TraceMessage("OpenTypeFileInput::ReadOpenTypeFile, failed to read %s", step.what);
            return eFailure;
        }
    }

    if (mFontType == eOpenTypeCFF) {
        OpStatus status = ReadCFF();
        if (status != eSuccess)
            TraceMessage("OpenTypeFileInput::ReadOpenTypeFile, failed to read CFF table");
        return status;
    }

    for (const Step& step : scTrueTypeSteps) {
        if ((this->*step.read)() != eSuccess) {
            TraceMessage("OpenTypeFileInput::ReadOpenTypeFile, failed to read %s", step.what);
            return eFailure;
        }
    }
    mHasCVT = FindTableEntry("cvt ") != nullptr;
    mHasFPGM = FindTableEntry("fpgm") != nullptr;
    mHasPrep = FindTableEntry("prep") != nullptr;
    mCFF.ReleaseReadData();
    return eSuccess;
}

const TableEntry* OpenTypeFileInput::FindTableEntry(const std::string& inName) const
{
    auto found = mTables.find(MakeTableTag(inName));
    return found == mTables.end() ? nullptr : &found->second;
}

const GlyphEntry* OpenTypeFileInput::GetGlyphEntry(uint16_t inGlyphID) const
{
    return inGlyphID < mGlyphs.size() ? mGlyphs[inGlyphID].get() : nullptr;
}

const TableEntry* OpenTypeFileInput::SeekToTable(const char* inName, const char* inCaller)
{
    const TableEntry* entry = FindTableEntry(inName);
    if (!entry) {
        TraceMessage("OpenTypeFileInput::%s, could not find %s table", inCaller, inName);
        return nullptr;
    }
    mPrimitivesReader.SetOffset(entry->mOffset);
    return entry;
}

OpStatus OpenTypeFileInput::ReaderTrueTypeHeader()
{
    if (ReadOpenTypeSFNT() != eSuccess) {
        TraceMessage("OpenTypeFileInput::ReaderTrueTypeHeader, SFNT header not open type");
        return eFailure;
    }
    uint16_t tableCount = 0;
    mPrimitivesReader.SetOffset(mHeaderOffset);
    mPrimitivesReader.Skip(4);
    mPrimitivesReader.ReadUInt16(tableCount);
    mPrimitivesReader.Skip(6);
    for (uint16_t i = 0; i < tableCount && mPrimitivesReader.GetStatus() == eSuccess; ++i) {
        uint32_t tag = 0;
        TableEntry entry;
        mPrimitivesReader.ReadUInt32(tag);
        mPrimitivesReader.ReadUInt32(entry.mCheckSum);
        mPrimitivesReader.ReadUInt32(entry.mOffset);
        mPrimitivesReader.ReadUInt32(entry.mLength);
        if (mPrimitivesReader.GetStatus() != eSuccess)
            break;
        LongFilePositionType offset = mTableOffset + entry.mOffset;
        if (offset > UINT32_MAX || offset + entry.mLength > mFileLength) {
            TraceMessage("OpenTypeFileInput::ReaderTrueTypeHeader, table %s at %lld with length %u lies beyond the end "
                         "of the file",
                         TagText(tag).c_str(), offset, entry.mLength);
            return eFailure;
        }
        entry.mOffset = static_cast<uint32_t>(offset);
        mTables.emplace(tag, entry); // a repeated tag keeps its first entry
    }
    return mPrimitivesReader.GetStatus();
}

OpStatus OpenTypeFileInput::ReadOpenTypeSFNT()
{
    while (true) {
        uint32_t tag = 0;
        mPrimitivesReader.SetOffset(mHeaderOffset);
        if (mPrimitivesReader.ReadUInt32(tag) != eSuccess)
            return eFailure;
        if (tag == 0x00010000 || tag == MakeTableTag("true")) {
            mFontType = eOpenTypeTrueType;
            return eSuccess;
        }
        if (tag == MakeTableTag("OTTO")) {
            mFontType = eOpenTypeCFF;
            return eSuccess;
        }
        if (tag == MakeTableTag("ttcf")) {
            // One collection level: an entry leading to another collection header (itself
            // included) would otherwise be followed for ever.
            if (mInsideCollection || mInsideResource) {
                TraceMessage("OpenTypeFileInput::ReadOpenTypeSFNT, a collection inside a collection or resource is "
                             "not supported");
                return eFailure;
            }
            uint32_t version = 0;
            uint32_t fontCount = 0;
            uint32_t faceOffset = 0;
            mPrimitivesReader.ReadUInt32(version);
            if (mPrimitivesReader.ReadUInt32(fontCount) != eSuccess)
                return eFailure;
            if (mFaceIndex >= fontCount) {
                TraceMessage("OpenTypeFileInput::ReadOpenTypeSFNT, face index %d out of range. Max font count is %ld",
                             mFaceIndex, static_cast<long>(fontCount));
                return eFailure;
            }
            mPrimitivesReader.Skip(4 * static_cast<size_t>(mFaceIndex));
            if (mPrimitivesReader.ReadUInt32(faceOffset) != eSuccess)
                return eFailure;
            if (faceOffset < 12 + 4ULL * fontCount) {
                TraceMessage("OpenTypeFileInput::ReadOpenTypeSFNT, face %d of the collection starts at %u, inside the "
                             "collection header",
                             mFaceIndex, faceOffset);
                return eFailure;
            }
            mHeaderOffset += faceOffset;
            mInsideCollection = true;
            continue;
        }
        if (mInsideCollection || mInsideResource)
            return eFailure;
        return ReadOpenTypeSFNTFromDfont();
    }
}

OpStatus OpenTypeFileInput::ReadOpenTypeSFNTFromDfont()
{
    Byte header[16];
    mPrimitivesReader.SetOffset(mHeaderOffset);
    if (mPrimitivesReader.Read(header, sizeof(header)) != eSuccess)
        return eFailure;
    auto word = [&header](int inIndex) {
        return (static_cast<uint32_t>(header[inIndex * 4]) << 24) | (static_cast<uint32_t>(header[inIndex * 4 + 1]) << 16) |
               (static_cast<uint32_t>(header[inIndex * 4 + 2]) << 8) | header[inIndex * 4 + 3];
    };
    uint32_t dataOffset = word(0);
    uint32_t mapOffset = word(1);
    uint32_t dataLength = word(2);
    if (mapOffset == 0 || static_cast<unsigned long long>(dataOffset) + dataLength != mapOffset)
        return eFailure;

    Byte mapHeader[16];
    mPrimitivesReader.SetOffset(mHeaderOffset + mapOffset);
    if (mPrimitivesReader.Read(mapHeader, sizeof(mapHeader)) != eSuccess)
        return eFailure;
    bool allZero = true;
    bool sameAsHeader = true;
    for (size_t i = 0; i < sizeof(mapHeader); ++i) {
        allZero = allZero && mapHeader[i] == 0;
        sameAsHeader = sameAsHeader && mapHeader[i] == header[i];
    }
    if (!allZero && !sameAsHeader)
        return eFailure;

    uint16_t typeListOffset = 0;
    uint16_t typeCountMinusOne = 0;
    mPrimitivesReader.Skip(8);
    mPrimitivesReader.ReadUInt16(typeListOffset);
    LongFilePositionType typeList = mHeaderOffset + static_cast<LongFilePositionType>(mapOffset) + typeListOffset;
    mPrimitivesReader.SetOffset(typeList);
    if (mPrimitivesReader.ReadUInt16(typeCountMinusOne) != eSuccess)
        return eFailure;

    for (uint32_t type = 0; type <= typeCountMinusOne; ++type) {
        uint32_t tag = 0;
        uint16_t countMinusOne = 0;
        uint16_t referenceListOffset = 0;
        mPrimitivesReader.ReadUInt32(tag);
        mPrimitivesReader.ReadUInt16(countMinusOne);
        if (mPrimitivesReader.ReadUInt16(referenceListOffset) != eSuccess)
            return eFailure;
        if (tag != MakeTableTag("sfnt"))
            continue;

        std::map<uint16_t, LongFilePositionType> resourceOffsets;
        mPrimitivesReader.SetOffset(typeList + referenceListOffset);
        for (uint32_t reference = 0; reference <= countMinusOne; ++reference) {
            uint16_t id = 0;
            uint16_t nameOffset = 0;
            uint32_t attributesAndOffset = 0;
            uint32_t handle = 0;
            mPrimitivesReader.ReadUInt16(id);
            mPrimitivesReader.ReadUInt16(nameOffset);
            mPrimitivesReader.ReadUInt32(attributesAndOffset);
            if (mPrimitivesReader.ReadUInt32(handle) != eSuccess)
                return eFailure;
            resourceOffsets.emplace(id, mHeaderOffset + static_cast<LongFilePositionType>(dataOffset) +
                                            (attributesAndOffset & 0xFFFFFF));
        }
        if (mFaceIndex >= resourceOffsets.size()) {
            TraceMessage("OpenTypeFileInput::ReadOpenTypeSFNTFromDfont, could not find face inside resource");
            return eFailure;
        }
        auto chosen = resourceOffsets.begin();
        std::advance(chosen, mFaceIndex);
        // Past the resource's length word. One resource level: what lies there must be an sfnt.
        mHeaderOffset = mTableOffset = chosen->second + 4;
        mInsideResource = true;
        return ReadOpenTypeSFNT();
    }
    return eFailure;
}

OpStatus OpenTypeFileInput::ReadHead()
{
    if (!SeekToTable("head", "ReadHead"))
        return eFailure;
    BigEndianReader& reader = mPrimitivesReader;
    reader.ReadFixed(mHead.mTableVersionNumber);
    reader.ReadFixed(mHead.mFontRevision);
    reader.ReadUInt32(mHead.mCheckSumAdjustment);
    reader.ReadUInt32(mHead.mMagicNumber);
    reader.ReadUInt16(mHead.mFlags);
    reader.ReadUInt16(mHead.mUnitsPerEm);
    reader.ReadDateTime64(mHead.mCreated);
    reader.ReadDateTime64(mHead.mModified);
    reader.ReadSInt16(mHead.mXMin);
    reader.ReadSInt16(mHead.mYMin);
    reader.ReadSInt16(mHead.mXMax);
    reader.ReadSInt16(mHead.mYMax);
    reader.ReadUInt16(mHead.mMacStyle);
    reader.ReadUInt16(mHead.mLowestRecPPEM);
    reader.ReadSInt16(mHead.mFontDirectionHint);
    reader.ReadSInt16(mHead.mIndexToLocFormat);
    reader.ReadSInt16(mHead.mGlyphDataFormat);
    return reader.GetStatus();
}

OpStatus OpenTypeFileInput::ReadMaxP()
{
    if (!SeekToTable("maxp", "ReadMaxP"))
        return eFailure;
    BigEndianReader& reader = mPrimitivesReader;
    reader.ReadFixed(mMaxp.mVersion);
    reader.ReadUInt16(mMaxp.mNumGlyphs);
    if (mMaxp.mVersion == 1.0) {
        for (uint16_t* field :
             {&mMaxp.mMaxPoints, &mMaxp.mMaxContours, &mMaxp.mMaxCompositePoints, &mMaxp.mMaxCompositeContours,
              &mMaxp.mMaxZones, &mMaxp.mMaxTwilightPoints, &mMaxp.mMaxStorage, &mMaxp.mMaxFunctionDefs,
              &mMaxp.mMaxInstructionDefs, &mMaxp.mMaxStackElements, &mMaxp.mMaxSizeOfInstructions,
              &mMaxp.mMaxComponentElements, &mMaxp.mMaxComponentDepth})
            reader.ReadUInt16(*field);
    }
    return reader.GetStatus();
}

OpStatus OpenTypeFileInput::ReadHHea()
{
    if (!SeekToTable("hhea", "ReadHHea"))
        return eFailure;
    BigEndianReader& reader = mPrimitivesReader;
    reader.ReadFixed(mHHea.mVersion);
    reader.ReadSInt16(mHHea.mAscender);
    reader.ReadSInt16(mHHea.mDescender);
    reader.ReadSInt16(mHHea.mLineGap);
    reader.ReadUInt16(mHHea.mAdvanceWidthMax);
    reader.ReadSInt16(mHHea.mMinLeftSideBearing);
    reader.ReadSInt16(mHHea.mMinRightSideBearing);
    reader.ReadSInt16(mHHea.mXMaxExtent);
    reader.ReadSInt16(mHHea.mCaretSlopeRise);
    reader.ReadSInt16(mHHea.mCaretSlopeRun);
    reader.ReadSInt16(mHHea.mCaretOffset);
    reader.Skip(8);
    reader.ReadSInt16(mHHea.mMetricDataFormat);
    reader.ReadUInt16(mHHea.mNumberOfHMetrics);
    return reader.GetStatus();
}

OpStatus OpenTypeFileInput::ReadHMtx()
{
    if (!SeekToTable("hmtx", "ReadHMtx"))
        return eFailure;
    // Later glyphs take the advance of the last full entry, which must exist.
    uint16_t metricsCount = mHHea.mNumberOfHMetrics;
    if (metricsCount == 0 || metricsCount > mMaxp.mNumGlyphs) {
        TraceMessage("OpenTypeFileInput::ReadHMtx, numberOfHMetrics %u is not within 1 and the glyph count %u",
                     metricsCount, mMaxp.mNumGlyphs);
        return eFailure;
    }
    BigEndianReader& reader = mPrimitivesReader;
    mHMtx.assign(mMaxp.mNumGlyphs, HMtxTableEntry());
    for (uint16_t i = 0; i < metricsCount; ++i) {
        reader.ReadUInt16(mHMtx[i].mAdvanceWidth);
        reader.ReadSInt16(mHMtx[i].mLeftSideBearing);
    }
    for (uint32_t i = metricsCount; i < mMaxp.mNumGlyphs; ++i) {
        mHMtx[i].mAdvanceWidth = mHMtx[metricsCount - 1].mAdvanceWidth;
        reader.ReadSInt16(mHMtx[i].mLeftSideBearing);
    }
    return reader.GetStatus();
}

OpStatus OpenTypeFileInput::ReadOS2()
{
    const TableEntry* entry = FindTableEntry("OS/2");
    mOS2Exists = entry != nullptr;
    if (!entry)
        return eSuccess;
    BigEndianReader& reader = mPrimitivesReader;
    reader.SetOffset(entry->mOffset);
    reader.ReadUInt16(mOS2.mVersion);
    reader.ReadSInt16(mOS2.mAvgCharWidth);
    reader.ReadUInt16(mOS2.mWeightClass);
    reader.ReadUInt16(mOS2.mWidthClass);
    reader.ReadUInt16(mOS2.mFSType);
    for (int16_t* field : {&mOS2.mSubscriptXSize, &mOS2.mSubscriptYSize, &mOS2.mSubscriptXOffset,
                           &mOS2.mSubscriptYOffset, &mOS2.mSuperscriptXSize, &mOS2.mSuperscriptYSize,
                           &mOS2.mSuperscriptXOffset, &mOS2.mSuperscriptYOffset, &mOS2.mStrikeoutSize,
                           &mOS2.mStrikeoutPosition, &mOS2.mFamilyClass})
        reader.ReadSInt16(*field);
    reader.Read(mOS2.mPanose, sizeof(mOS2.mPanose));
    reader.ReadUInt32(mOS2.mUnicodeRange1);
    reader.ReadUInt32(mOS2.mUnicodeRange2);
    reader.ReadUInt32(mOS2.mUnicodeRange3);
    reader.ReadUInt32(mOS2.mUnicodeRange4);
    for (char& character : mOS2.mAchVendID)
        reader.ReadChar(character);
    reader.ReadUInt16(mOS2.mFSSelection);
    reader.ReadUInt16(mOS2.mFirstCharIndex);
    reader.ReadUInt16(mOS2.mLastCharIndex);
    reader.ReadSInt16(mOS2.mTypoAscender);
    reader.ReadSInt16(mOS2.mTypoDescender);
    reader.ReadSInt16(mOS2.mTypoLineGap);
    reader.ReadUInt16(mOS2.mWinAscent);
    reader.ReadUInt16(mOS2.mWinDescent);

    // 78 bytes so far; the rest of version 2 and later tables is 18 more.
    if (entry->mLength >= 78 + 18) {
        reader.ReadUInt32(mOS2.mCodePageRange1);
        reader.ReadUInt32(mOS2.mCodePageRange2);
        reader.ReadSInt16(mOS2.mXHeight);
        reader.ReadSInt16(mOS2.mCapHeight);
        reader.ReadUInt16(mOS2.mDefaultChar);
        reader.ReadUInt16(mOS2.mBreakChar);
        reader.ReadUInt16(mOS2.mMaxContext);
    }
    return reader.GetStatus();
}

OpStatus OpenTypeFileInput::ReadName()
{
    const TableEntry* entry = SeekToTable("name", "ReadName");
    if (!entry)
        return eFailure;
    BigEndianReader& reader = mPrimitivesReader;
    uint16_t count = 0;
    uint16_t stringOffset = 0;
    reader.Skip(2);
    reader.ReadUInt16(count);
    reader.ReadUInt16(stringOffset);
    if (reader.GetStatus() != eSuccess)
        return eFailure;
    // Records that would run past the table are other tables' bytes, not names.
    const uint32_t recordRoom = entry->mLength > 6 ? (entry->mLength - 6) / 12 : 0;
    if (count > recordRoom)
        count = static_cast<uint16_t>(recordRoom > 0xFFFF ? 0xFFFF : recordRoom);
    mName.assign(count, NameTableEntry());
    for (NameTableEntry& record : mName) {
        reader.ReadUInt16(record.mPlatformID);
        reader.ReadUInt16(record.mEncodingID);
        reader.ReadUInt16(record.mLanguageID);
        reader.ReadUInt16(record.mNameID);
        reader.ReadUInt16(record.mLength);
        reader.ReadUInt16(record.mOffset);
    }
    size_t copied = 0;
    unsigned long long tableEnd = static_cast<unsigned long long>(entry->mOffset) + entry->mLength;
    for (NameTableEntry& record : mName) {
        if (reader.GetStatus() != eSuccess)
            break;
        unsigned long long start = static_cast<unsigned long long>(entry->mOffset) + stringOffset + record.mOffset;
        // A string outside the table's storage is left empty, as other readers ignore it too.
        if (start + record.mLength > tableEnd)
            continue;
        copied += record.mLength;
        if (copied > kMaxNameBytes) {
            TraceMessage("OpenTypeFileInput::ReadName, the name records hold more than %zu bytes", kMaxNameBytes);
            return eFailure;
        }
        record.mName.resize(record.mLength);
        reader.SetOffset(static_cast<LongFilePositionType>(start));
        reader.Read(reinterpret_cast<Byte*>(record.mName.data()), record.mLength);
    }
    return reader.GetStatus();
}

OpStatus OpenTypeFileInput::ReadLoca()
{
    const TableEntry* entry = SeekToTable("loca", "ReadLoca");
    if (!entry)
        return eFailure;
    size_t count = static_cast<size_t>(mMaxp.mNumGlyphs) + 1;
    bool longOffsets = mHead.mIndexToLocFormat != 0;
    if (count * (longOffsets ? 4 : 2) > entry->mLength) {
        TraceMessage("OpenTypeFileInput::ReadLoca, the loca table of %u bytes cannot hold %zu offsets", entry->mLength,
                     count);
        return eFailure;
    }
    BigEndianReader& reader = mPrimitivesReader;
    mLoca.assign(count, 0);
    for (uint32_t& offset : mLoca) {
        if (longOffsets) {
            reader.ReadUInt32(offset);
        } else {
            uint16_t shortOffset = 0;
            reader.ReadUInt16(shortOffset);
            offset = static_cast<uint32_t>(shortOffset) * 2;
        }
    }
    if (reader.GetStatus() != eSuccess)
        return eFailure;

    // Glyph data is cut out between neighbouring offsets, so they must ascend within glyf.
    const TableEntry* glyf = FindTableEntry("glyf");
    uint32_t glyfLength = glyf ? glyf->mLength : 0;
    for (size_t i = 0; i < count; ++i) {
        if ((i > 0 && mLoca[i] < mLoca[i - 1]) || mLoca[i] > glyfLength) {
            TraceMessage("OpenTypeFileInput::ReadLoca, offset %u of glyph %zu is below the one before it or past the "
                         "glyf table's %u bytes",
                         mLoca[i], i, glyfLength);
            return eFailure;
        }
    }
    return eSuccess;
}

OpStatus OpenTypeFileInput::ReadGlyfForDependencies()
{
    const TableEntry* glyf = SeekToTable("glyf", "ReadGlyfForDependencies");
    if (!glyf)
        return eFailure;
    mGlyfOffset = glyf->mOffset;
    mGlyphs.clear();
    mGlyphs.resize(mMaxp.mNumGlyphs);
    mGlyphRead.assign(mMaxp.mNumGlyphs, false);
    if (mGlyphRecords == eReadGlyphRecordsOnDemand)
        return eSuccess;
    for (uint16_t glyph = 0; glyph < mMaxp.mNumGlyphs; ++glyph) {
        if (ReadGlyphEntry(glyph) != eSuccess)
            return eFailure;
    }
    return eSuccess;
}

OpStatus OpenTypeFileInput::ReadGlyphEntry(uint16_t inGlyphID)
{
    mGlyphRead[inGlyphID] = true;
    if (mLoca[inGlyphID] == mLoca[inGlyphID + 1])
        return eSuccess;
    BigEndianReader& reader = mPrimitivesReader;
    LongFilePositionType start = static_cast<LongFilePositionType>(mGlyfOffset) + mLoca[inGlyphID];
    LongFilePositionType end = static_cast<LongFilePositionType>(mGlyfOffset) + mLoca[inGlyphID + 1];
    if (end - start < 10) {
        TraceMessage("OpenTypeFileInput::ReadGlyfForDependencies, glyph %u is shorter than a glyph header", inGlyphID);
        return eFailure;
    }
    auto entry = std::make_unique<GlyphEntry>();
    reader.SetOffset(start);
    reader.ReadSInt16(entry->mNumberOfContours);
    reader.ReadSInt16(entry->mXMin);
    reader.ReadSInt16(entry->mYMin);
    reader.ReadSInt16(entry->mXMax);
    reader.ReadSInt16(entry->mYMax);
    if (entry->mNumberOfContours < 0) {
        uint16_t flags = 0;
        do {
            uint16_t component = 0;
            // A component list that runs on past its glyph reads other glyphs' bytes.
            if (reader.GetOffset() + 4 > end) {
                TraceMessage("OpenTypeFileInput::ReadGlyfForDependencies, composite glyph %u runs past its end",
                             inGlyphID);
                return eFailure;
            }
            reader.ReadUInt16(flags);
            if (reader.ReadUInt16(component) != eSuccess)
                return eFailure;
            if (component >= mMaxp.mNumGlyphs) {
                TraceMessage("OpenTypeFileInput::ReadGlyfForDependencies, dependent glyph out of range");
                return eFailure;
            }
            entry->mComponentGlyphs.push_back(component);
            reader.Skip((flags & ARG_1_AND_2_ARE_WORDS) ? 4 : 2);
            if (flags & WE_HAVE_A_SCALE)
                reader.Skip(2);
            else if (flags & WE_HAVE_AN_X_AND_Y_SCALE)
                reader.Skip(4);
            else if (flags & WE_HAVE_A_TWO_BY_TWO)
                reader.Skip(8);
        } while ((flags & MORE_COMPONENTS) && reader.GetStatus() == eSuccess);
    }
    if (reader.GetStatus() != eSuccess)
        return eFailure;
    mGlyphs[inGlyphID] = std::move(entry);
    return eSuccess;
}

OpStatus OpenTypeFileInput::LoadGlyphEntry(uint16_t inGlyphID, const GlyphEntry*& outEntry)
{
    outEntry = nullptr;
    if (inGlyphID >= mGlyphs.size()) {
        TraceMessage("OpenTypeFileInput::LoadGlyphEntry, glyph %u is not below the glyph count %zu", inGlyphID,
                     mGlyphs.size());
        return eFailure;
    }
    if (!mGlyphRead[inGlyphID] && ReadGlyphEntry(inGlyphID) != eSuccess)
        return eFailure;
    outEntry = mGlyphs[inGlyphID].get();
    return eSuccess;
}

OpStatus OpenTypeFileInput::ReadCFF()
{
    const TableEntry* entry = FindTableEntry("CFF ");
    if (!entry) {
        TraceMessage("OpenTypeFileInput::ReadCFF, could not find cff table entry");
        return eFailure;
    }
    mPrimitivesReader.SetOffset(entry->mOffset);
    if (mPrimitivesReader.GetStatus() != eSuccess)
        return eFailure;
    return mCFF.ReadCFFFile(mPrimitivesReader.GetStream(), entry->mLength);
}
