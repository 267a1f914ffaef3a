#include "pdf/fonts/CFFFileInput.h"

#include "pdf/fonts/CFFStandardStrings.h"
#include "pdf/fonts/CharStringType2Interpreter.h"
#include "pdf/fonts/StandardEncoding.h"
#include "pdf/io/DiagnosticLog.h"

#include <cmath>

namespace {

const uint16_t scCharset = 15;
const uint16_t scEncoding = 16;
const uint16_t scCharStrings = 17;
const uint16_t scPrivate = 18;
const uint16_t scSubrs = 19;
const uint16_t scCharstringType = 0x0C06;
const uint16_t scROS = 0x0C1E;
const uint16_t scFDArray = 0x0C24;
const uint16_t scFDSelect = 0x0C25;

// A DICT holds at most this many operands before an operator; more means damaged data.
const size_t scMaxDictOperands = 48;
// Reals beyond this cannot be written back into a DICT, and no font needs them.
const double scMaxDictReal = 1e15;

// An operand as an integer, when it is one (reals only when whole).
bool OperandAsInteger(const DictOperand& inOperand, long long& outValue)
{
    if (inOperand.mIsInteger) {
        outValue = inOperand.mIntegerValue;
        return true;
    }
    double value = inOperand.mRealValue;
    if (!(std::fabs(value) < 2147483648.0) || value != std::trunc(value))
        return false;
    outValue = static_cast<long long>(value);
    return true;
}

// The integer at inPosition of a DICT entry, or inDefault when the key is absent. False when
// the entry is there but has no integer at that position.
bool DictInteger(const CFFDict& inDict, uint16_t inKey, size_t inPosition, long long inDefault, long long& outValue)
{
    CFFDict::const_iterator it = inDict.find(inKey);
    if (it == inDict.end()) {
        outValue = inDefault;
        return true;
    }
    if (inPosition >= it->second.size())
        return false;
    return OperandAsInteger(it->second[inPosition], outValue);
}

std::vector<uint16_t> MakeISOAdobe()
{
    std::vector<uint16_t> sids;
    for (uint16_t sid = 1; sid <= 228; ++sid)
        sids.push_back(sid);
    return sids;
}

std::vector<uint16_t> MakeRange(std::initializer_list<uint16_t> inSIDs)
{
    return std::vector<uint16_t>(inSIDs);
}

std::vector<uint16_t> MakeExpert()
{
    std::vector<uint16_t> sids = MakeRange({1, 229, 230, 231, 232, 233, 234, 235, 236, 237, 238, 13, 14, 15, 99});
    for (uint16_t sid = 239; sid <= 248; ++sid)
        sids.push_back(sid);
    sids.insert(sids.end(), {27, 28});
    for (uint16_t sid = 249; sid <= 266; ++sid)
        sids.push_back(sid);
    sids.insert(sids.end(), {109, 110});
    for (uint16_t sid = 267; sid <= 318; ++sid)
        sids.push_back(sid);
    sids.insert(sids.end(), {158, 155, 163});
    for (uint16_t sid = 319; sid <= 326; ++sid)
        sids.push_back(sid);
    sids.insert(sids.end(), {150, 164, 169});
    for (uint16_t sid = 327; sid <= 378; ++sid)
        sids.push_back(sid);
    return sids;
}

std::vector<uint16_t> MakeExpertSubset()
{
    std::vector<uint16_t> sids = MakeRange({1, 231, 232, 235, 236, 237, 238, 13, 14, 15, 99});
    for (uint16_t sid = 239; sid <= 248; ++sid)
        sids.push_back(sid);
    sids.insert(sids.end(), {27, 28, 249, 250, 251});
    for (uint16_t sid = 253; sid <= 266; ++sid)
        sids.push_back(sid);
    sids.insert(sids.end(), {109, 110, 267, 268, 269, 270, 272, 300, 301, 302, 305, 314, 315, 158, 155, 163});
    for (uint16_t sid = 320; sid <= 326; ++sid)
        sids.push_back(sid);
    sids.insert(sids.end(), {150, 164, 169});
    for (uint16_t sid = 327; sid <= 346; ++sid)
        sids.push_back(sid);
    return sids;
}

} // namespace

const std::vector<uint16_t>& CFFFileInput::PredefinedCharset(ECharSetType inType)
{
    static const std::vector<uint16_t> scISOAdobe = MakeISOAdobe();
    static const std::vector<uint16_t> scExpert = MakeExpert();
    static const std::vector<uint16_t> scExpertSubset = MakeExpertSubset();
    static const std::vector<uint16_t> scNone;
    switch (inType) {
    case eCharSetISOAdobe:
        return scISOAdobe;
    case eCharSetExpert:
        return scExpert;
    case eCharSetExpertSubset:
        return scExpertSubset;
    default:
        return scNone;
    }
}

int32_t CFFFileInput::SubrBias(size_t inCount)
{
    return inCount < 1240 ? 107 : inCount < 33900 ? 1131 : 32768;
}

void CFFFileInput::ReleaseReadData()
{
    mHeader = CFFHeader();
    mName.clear();
    mNameToIndex.clear();
    mNameIndexPosition = mTopDictIndexPosition = mStringIndexPosition = mGlobalSubrsPosition = 0;
    mTopDictIndex.clear();
    mStrings.clear();
    mStringToSID.clear();
    mGlobalSubrs.clear();
    mCharStrings.clear();
    mPrivateDicts.clear();
    mLocalSubrs.clear();
    mCharsets.clear();
    mEncodings.clear();
    mCurrentLocalSubrs = nullptr;
    mCurrentCharsetInfo = nullptr;
    mCurrentDependencies = nullptr;
    mCFFLength = 0;
    mDataStream.Assign(nullptr, 0);
    mData.clear();
    mData.shrink_to_fit();
}

OpStatus CFFFileInput::ReadCFFFile(IByteReaderWithPosition* inCFFFile, LongFilePositionType inCFFLength)
{
    ReleaseReadData();
    if (!inCFFFile) {
        TraceMessage("CFFFileInput::ReadCFFFile, no stream to read from");
        return eFailure;
    }
    // The data is read into memory once: glyph programs and subroutines are fetched from all
    // over it, and every seek of a buffered file stream would refill its buffer.
    LongFilePositionType start = inCFFFile->TellPosition();
    inCFFFile->SeekFromEnd(0);
    LongFilePositionType available = inCFFFile->TellPosition() - start;
    inCFFFile->SeekFromStart(start);
    if (available < 0)
        available = 0;
    if (inCFFLength < 0 || inCFFLength > available)
        inCFFLength = available;
    mCFFLength = inCFFLength;
    mData.resize(static_cast<size_t>(mCFFLength));
    if (!mData.empty() && inCFFFile->Read(mData.data(), mData.size()) != mData.size()) {
        TraceMessage("CFFFileInput::ReadCFFFile, Failed to read header");
        return eFailure;
    }
    mDataStream.Assign(mData.data(), mCFFLength);
    mPrimitivesReader.SetStream(&mDataStream);

    if (ReadHeader() != eSuccess) {
        TraceMessage("CFFFileInput::ReadCFFFile, Failed to read header");
        return eFailure;
    }

    mNameIndexPosition = mPrimitivesReader.GetOffset();
    if (ReadIndexStrings(mName) != eSuccess) {
        TraceMessage("CFFFileInput::ReadCFFFile Failed to read name");
        return eFailure;
    }
    for (size_t i = 0; i < mName.size(); ++i)
        if (!mName[i].empty() && mName[i][0] != 0)
            mNameToIndex.insert(std::make_pair(mName[i], static_cast<uint16_t>(i)));

    mTopDictIndexPosition = mPrimitivesReader.GetOffset();
    if (ReadTopDictIndex() != eSuccess) {
        TraceMessage("CFFFileInput::ReadCFFFile failed to read top index");
        return eFailure;
    }

    mStringIndexPosition = mPrimitivesReader.GetOffset();
    if (ReadStringIndex() != eSuccess) {
        TraceMessage("CFFFileInput::ReadCFFFile failed to read top index");
        return eFailure;
    }

    mGlobalSubrsPosition = mPrimitivesReader.GetOffset();
    if (ReadIndexRanges(mGlobalSubrs) != eSuccess) {
        TraceMessage("CFFFileInput::ReadCFFFile failed to read global subrs");
        return eFailure;
    }

    if (ReadCharStrings() != eSuccess) {
        TraceMessage("CFFFileInput::ReadCFFFile failed to read charstrings");
        return eFailure;
    }

    mPrivateDicts.resize(mName.size());
    for (size_t i = 0; i < mName.size(); ++i) {
        if (ReadPrivateDict(mTopDictIndex[i].mTopDict, mPrivateDicts[i]) != eSuccess) {
            TraceMessage("CFFFileInput::ReadCFFFile failed to read charstrings");
            return eFailure;
        }
    }
    for (size_t i = 0; i < mName.size(); ++i) {
        if (ReadLocalSubrs(mPrivateDicts[i], mCharStrings[i].mCharStringType) != eSuccess) {
            TraceMessage("CFFFileInput::ReadCFFFile failed to read local subrs");
            return eFailure;
        }
    }

    if (ReadCharsets() != eSuccess) {
        TraceMessage("CFFFileInput::ReadCFFFile failed to read char set");
        return eFailure;
    }
    if (ReadEncodings() != eSuccess) {
        TraceMessage("CFFFileInput::ReadCFFFile failed to read encodings");
        return eFailure;
    }
    if (ReadCIDInformation() != eSuccess) {
        TraceMessage("CFFFileInput::ReadCFFFile failed to read CID Information");
        return eFailure;
    }
    return mPrimitivesReader.GetStatus();
}

bool CFFFileInput::HasRoom(LongFilePositionType inByteCount)
{
    LongFilePositionType at = mPrimitivesReader.GetOffset();
    return inByteCount >= 0 && at >= 0 && at <= mCFFLength && inByteCount <= mCFFLength - at;
}

OpStatus CFFFileInput::ReadHeader()
{
    Byte bytes[4];
    if (mPrimitivesReader.Read(bytes, 4) != eSuccess)
        return eFailure;
    mHeader.mMajor = bytes[0];
    mHeader.mMinor = bytes[1];
    mHeader.mHdrSize = bytes[2];
    mHeader.mOffSize = bytes[3];
    // The Name INDEX cannot begin inside the four bytes just read.
    if (mHeader.mHdrSize < 4 || !HasRoom(mHeader.mHdrSize - 4))
        return eFailure;
    mHeader.mBytes.assign(bytes, bytes + 4);
    if (mHeader.mHdrSize > 4) {
        mHeader.mBytes.resize(mHeader.mHdrSize);
        if (mPrimitivesReader.Read(mHeader.mBytes.data() + 4, mHeader.mHdrSize - 4) != eSuccess)
            return eFailure;
    }
    return eSuccess;
}

OpStatus CFFFileInput::ReadIndexRanges(std::vector<CharStringRange>& outRanges)
{
    outRanges.clear();
    uint16_t count;
    if (mPrimitivesReader.ReadCard16(count) != eSuccess)
        return eFailure;
    if (count == 0)
        return eSuccess;
    Byte offSize;
    if (mPrimitivesReader.ReadCard8(offSize) != eSuccess)
        return eFailure;
    if (offSize < 1 || offSize > 4) {
        TraceMessage("CFFFileInput::ReadIndexRanges, offSize %u is not 1 to 4", static_cast<unsigned>(offSize));
        return eFailure;
    }
    if (!HasRoom((static_cast<LongFilePositionType>(count) + 1) * offSize)) {
        TraceMessage("CFFFileInput::ReadIndexRanges, the offsets of an INDEX of %u items run past the data",
                     static_cast<unsigned>(count));
        return eFailure;
    }
    mPrimitivesReader.SetOffSize(offSize);
    std::vector<uint32_t> offsets(static_cast<size_t>(count) + 1);
    for (uint32_t& offset : offsets)
        if (mPrimitivesReader.GetOffsetBySize(offset) != eSuccess)
            return eFailure;
    // Offsets count from the byte before the data; each item ends where the next begins.
    LongFilePositionType dataStart = mPrimitivesReader.GetOffset() - 1;
    if (offsets[0] < 1) {
        TraceMessage("CFFFileInput::ReadIndexRanges, first offset of an INDEX is 0");
        return eFailure;
    }
    for (size_t i = 1; i < offsets.size(); ++i) {
        if (offsets[i] < offsets[i - 1]) {
            TraceMessage("CFFFileInput::ReadIndexRanges, INDEX offsets are not ascending");
            return eFailure;
        }
    }
    if (dataStart + offsets[count] > mCFFLength) {
        TraceMessage("CFFFileInput::ReadIndexRanges, INDEX data runs past the end of the CFF data");
        return eFailure;
    }
    outRanges.resize(count);
    for (uint16_t i = 0; i < count; ++i) {
        outRanges[i].mStartPosition = dataStart + offsets[i];
        outRanges[i].mEndPosition = dataStart + offsets[i + 1];
        outRanges[i].mIndex = i;
    }
    mPrimitivesReader.SetOffset(dataStart + offsets[count]);
    return mPrimitivesReader.GetStatus();
}

OpStatus CFFFileInput::ReadIndexStrings(std::vector<std::string>& outStrings)
{
    std::vector<CharStringRange> ranges;
    if (ReadIndexRanges(ranges) != eSuccess)
        return eFailure;
    LongFilePositionType after = mPrimitivesReader.GetOffset();
    outStrings.clear();
    outStrings.reserve(ranges.size());
    if (!ranges.empty())
        mPrimitivesReader.SetOffset(ranges.front().mStartPosition);
    for (const CharStringRange& range : ranges) {
        std::string item(static_cast<size_t>(range.mEndPosition - range.mStartPosition), '\0');
        if (mPrimitivesReader.Read(reinterpret_cast<Byte*>(&item[0]), item.size()) != eSuccess)
            return eFailure;
        outStrings.push_back(std::move(item));
    }
    mPrimitivesReader.SetOffset(after);
    return mPrimitivesReader.GetStatus();
}

OpStatus CFFFileInput::ReadDict(LongFilePositionType inLength, CFFDict& outDict)
{
    outDict.clear();
    if (!HasRoom(inLength)) {
        TraceMessage("CFFFileInput::ReadDict, DICT of %lld bytes runs past the end of the CFF data", inLength);
        return eFailure;
    }
    LongFilePositionType end = mPrimitivesReader.GetOffset() + inLength;
    DictOperandList operands;
    while (mPrimitivesReader.GetOffset() < end) {
        Byte byte;
        if (mPrimitivesReader.ReadCard8(byte) != eSuccess)
            return eFailure;
        if (byte == 28 || byte == 29 || (byte >= 32 && byte <= 254)) {
            int32_t value;
            if (mPrimitivesReader.GetDictInteger(byte, value) != eSuccess)
                return eFailure;
            operands.push_back(DictOperand::Integer(value));
        } else if (byte == 30) {
            double value;
            int fractionDigits;
            if (mPrimitivesReader.GetDictReal(value, fractionDigits) != eSuccess || !(std::fabs(value) < scMaxDictReal)) {
                TraceMessage("CFFFileInput::ReadDict, a real operand is damaged or out of range");
                return eFailure;
            }
            operands.push_back(DictOperand::Real(value, fractionDigits));
        } else if (byte == 255) {
            TraceMessage("CFFFileInput::ReadDict, reserved byte 255 in a DICT");
            return eFailure;
        } else {
            uint16_t key = byte;
            if (byte == 12) {
                Byte second;
                if (mPrimitivesReader.ReadCard8(second) != eSuccess)
                    return eFailure;
                key = static_cast<uint16_t>(0x0C00 + second);
            }
            outDict.insert(std::make_pair(key, operands));
            operands.clear();
            continue;
        }
        if (operands.size() > scMaxDictOperands) {
            TraceMessage("CFFFileInput::ReadDict, more than %zu operands before an operator", scMaxDictOperands);
            return eFailure;
        }
    }
    return mPrimitivesReader.GetStatus();
}

OpStatus CFFFileInput::ReadTopDictIndex()
{
    std::vector<CharStringRange> ranges;
    if (ReadIndexRanges(ranges) != eSuccess)
        return eFailure;
    LongFilePositionType after = mPrimitivesReader.GetOffset();
    // Top DICTs and the structures per font exist for the fonts the Name INDEX names.
    if (ranges.size() < mName.size()) {
        TraceMessage("CFFFileInput::ReadTopDictIndex, %zu Top DICTs for %zu fonts", ranges.size(), mName.size());
        return eFailure;
    }
    mTopDictIndex.resize(mName.size());
    for (size_t i = 0; i < mName.size(); ++i) {
        mPrimitivesReader.SetOffset(ranges[i].mStartPosition);
        if (ReadDict(ranges[i].mEndPosition - ranges[i].mStartPosition, mTopDictIndex[i].mTopDict) != eSuccess)
            return eFailure;
    }
    mPrimitivesReader.SetOffset(after);
    return mPrimitivesReader.GetStatus();
}

OpStatus CFFFileInput::ReadStringIndex()
{
    if (ReadIndexStrings(mStrings) != eSuccess)
        return eFailure;
    for (uint16_t sid = 0; sid < CFFStandardStrings::kCount; ++sid)
        mStringToSID.insert(std::make_pair(std::string(CFFStandardStrings::StringOfSID(sid)), sid));
    if (mStrings.size() > 0xFFFFu - CFFStandardStrings::kCount) {
        TraceMessage("CFFFileInput::ReadStringIndex, too many strings for 16-bit SIDs");
        return eFailure;
    }
    for (size_t i = 0; i < mStrings.size(); ++i)
        mStringToSID.insert(std::make_pair(mStrings[i], static_cast<uint16_t>(CFFStandardStrings::kCount + i)));
    return eSuccess;
}

bool CFFFileInput::GetDictOffset(const CFFDict& inDict, uint16_t inKey, LongFilePositionType& outOffset) const
{
    long long value;
    if (!DictInteger(inDict, inKey, 0, 0, value) || value < 0 || value > mCFFLength)
        return false;
    outOffset = value;
    return true;
}

OpStatus CFFFileInput::ReadCharStrings()
{
    mCharStrings.resize(mName.size());
    for (size_t i = 0; i < mName.size(); ++i) {
        const CFFDict& topDict = mTopDictIndex[i].mTopDict;
        LongFilePositionType offset;
        long long type;
        if (!GetDictOffset(topDict, scCharStrings, offset) || !DictInteger(topDict, scCharstringType, 0, 2, type) ||
            type < 0 || type > 255) {
            TraceMessage("CFFFileInput::ReadCharStrings, damaged CharStrings or CharstringType entry");
            return eFailure;
        }
        mCharStrings[i].mCharStringType = static_cast<Byte>(type);
        if (offset != 0) {
            mPrimitivesReader.SetOffset(offset);
            if (ReadIndexRanges(mCharStrings[i].mCharStrings) != eSuccess)
                return eFailure;
        }
    }
    return eSuccess;
}

OpStatus CFFFileInput::ReadPrivateDict(const CFFDict& inReferencingDict, PrivateDictionary& outPrivate)
{
    outPrivate = PrivateDictionary();
    CFFDict::const_iterator it = inReferencingDict.find(scPrivate);
    if (it == inReferencingDict.end())
        return eSuccess;
    long long size, offset;
    if (!DictInteger(inReferencingDict, scPrivate, 0, 0, size) ||
        !DictInteger(inReferencingDict, scPrivate, 1, 0, offset) || size < 0 || offset < 0 || offset > mCFFLength ||
        size > mCFFLength - offset) {
        TraceMessage("CFFFileInput::ReadPrivateDict, Private entry is damaged or points outside the CFF data");
        return eFailure;
    }
    mPrimitivesReader.SetOffset(offset);
    if (ReadDict(size, outPrivate.mPrivateDict) != eSuccess)
        return eFailure;
    outPrivate.mExists = true;
    outPrivate.mPrivateDictStart = offset;
    outPrivate.mPrivateDictEnd = offset + size;
    return eSuccess;
}

OpStatus CFFFileInput::ReadLocalSubrs(PrivateDictionary& ioPrivate, Byte inCharStringType)
{
    if (!ioPrivate.mExists)
        return eSuccess;
    long long subrsOffset;
    if (!DictInteger(ioPrivate.mPrivateDict, scSubrs, 0, 0, subrsOffset) || subrsOffset < 0 ||
        ioPrivate.mPrivateDictStart + subrsOffset > mCFFLength) {
        TraceMessage("CFFFileInput::ReadLocalSubrs, failed to read local subrs");
        return eFailure;
    }
    if (subrsOffset == 0)
        return eSuccess;
    LongFilePositionType position = ioPrivate.mPrivateDictStart + subrsOffset;
    auto found = mLocalSubrs.find(position);
    if (found != mLocalSubrs.end()) {
        ioPrivate.mLocalSubrs = found->second.get();
        return eSuccess;
    }
    std::unique_ptr<SubrsIndex> subrs = std::make_unique<SubrsIndex>();
    subrs->mCharStringType = inCharStringType;
    mPrimitivesReader.SetOffset(position);
    if (ReadIndexRanges(subrs->mCharStrings) != eSuccess) {
        TraceMessage("CFFFileInput::ReadLocalSubrs, failed to read local subrs");
        return eFailure;
    }
    ioPrivate.mLocalSubrs = subrs.get();
    mLocalSubrs[position] = std::move(subrs);
    return eSuccess;
}

OpStatus CFFFileInput::ReadCharsets()
{
    for (size_t i = 0; i < mName.size(); ++i) {
        LongFilePositionType offset;
        if (!GetDictOffset(mTopDictIndex[i].mTopDict, scCharset, offset)) {
            TraceMessage("CFFFileInput::ReadCharsets, damaged charset entry");
            return eFailure;
        }
        auto found = mCharsets.find(offset);
        if (found != mCharsets.end()) {
            mTopDictIndex[i].mCharSet = found->second.get();
            continue;
        }
        std::unique_ptr<CharsetTable> charset = std::make_unique<CharsetTable>();
        if (ReadCharset(offset, IsCIDKeyed(static_cast<uint16_t>(i)), mCharStrings[i], *charset) != eSuccess)
            return eFailure;
        mTopDictIndex[i].mCharSet = charset.get();
        mCharsets[offset] = std::move(charset);
    }
    return eSuccess;
}

OpStatus CFFFileInput::ReadCharset(LongFilePositionType inOffset, bool inIsCID, const FontCharStrings& inCharStrings,
                                   CharsetTable& outCharset)
{
    size_t glyphCount = inCharStrings.mCharStrings.size();
    if (inOffset <= 2) {
        outCharset.mType = static_cast<ECharSetType>(inOffset);
        if (!inIsCID && glyphCount > 0) {
            const std::vector<uint16_t>& table = PredefinedCharset(outCharset.mType);
            outCharset.mSIDToGlyphMap.insert(std::make_pair(uint16_t(0), &inCharStrings.mCharStrings[0]));
            for (size_t glyph = 1; glyph < glyphCount && glyph <= table.size(); ++glyph)
                outCharset.mSIDToGlyphMap.insert(std::make_pair(table[glyph - 1], &inCharStrings.mCharStrings[glyph]));
        }
        return eSuccess;
    }

    outCharset.mType = eCharSetCustom;
    mPrimitivesReader.SetOffset(inOffset);
    Byte format;
    if (mPrimitivesReader.ReadCard8(format) != eSuccess)
        return eFailure;
    if (format > 2) {
        TraceMessage("CFFFileInput::ReadCharset, unknown charset format %u", static_cast<unsigned>(format));
        return eFailure;
    }
    if (glyphCount == 0)
        return eSuccess;
    if (format == 0 && !HasRoom(2 * static_cast<LongFilePositionType>(glyphCount - 1))) {
        TraceMessage("CFFFileInput::ReadCharset, charset runs past the end of the CFF data");
        return eFailure;
    }
    outCharset.mSIDs.reserve(glyphCount);
    outCharset.mSIDs.push_back(0);
    while (outCharset.mSIDs.size() < glyphCount) {
        uint16_t first;
        if (mPrimitivesReader.ReadCard16(first) != eSuccess)
            return eFailure;
        if (format == 0) {
            outCharset.mSIDs.push_back(first);
            continue;
        }
        uint32_t left;
        if (format == 1) {
            Byte value;
            if (mPrimitivesReader.ReadCard8(value) != eSuccess)
                return eFailure;
            left = value;
        } else {
            uint16_t value;
            if (mPrimitivesReader.ReadCard16(value) != eSuccess)
                return eFailure;
            left = value;
        }
        if (first + left > 0xFFFF) {
            TraceMessage("CFFFileInput::ReadCharset, charset range runs past the largest SID");
            return eFailure;
        }
        // A range that reaches past the last glyph gives values only to the glyphs there are.
        for (uint32_t k = 0; k <= left && outCharset.mSIDs.size() < glyphCount; ++k)
            outCharset.mSIDs.push_back(static_cast<uint16_t>(first + k));
    }
    if (!inIsCID)
        for (size_t glyph = 0; glyph < glyphCount; ++glyph)
            outCharset.mSIDToGlyphMap.insert(std::make_pair(outCharset.mSIDs[glyph], &inCharStrings.mCharStrings[glyph]));
    return mPrimitivesReader.GetStatus();
}

OpStatus CFFFileInput::ReadEncodings()
{
    for (size_t i = 0; i < mName.size(); ++i) {
        LongFilePositionType offset;
        if (!GetDictOffset(mTopDictIndex[i].mTopDict, scEncoding, offset)) {
            TraceMessage("CFFFileInput::ReadEncodings, damaged Encoding entry");
            return eFailure;
        }
        auto found = mEncodings.find(offset);
        if (found != mEncodings.end()) {
            mTopDictIndex[i].mEncoding = found->second.get();
            continue;
        }
        std::unique_ptr<EncodingTable> encoding = std::make_unique<EncodingTable>();
        if (ReadEncoding(offset, *encoding) != eSuccess)
            return eFailure;
        mTopDictIndex[i].mEncoding = encoding.get();
        mEncodings[offset] = std::move(encoding);
    }
    return eSuccess;
}

OpStatus CFFFileInput::ReadEncoding(LongFilePositionType inOffset, EncodingTable& outEncoding)
{
    outEncoding.mEncodingStart = outEncoding.mEncodingEnd = inOffset;
    if (inOffset <= 1) {
        outEncoding.mType = static_cast<EEncodingType>(inOffset);
        return eSuccess;
    }
    outEncoding.mType = eEncodingCustom;
    mPrimitivesReader.SetOffset(inOffset);
    Byte format;
    if (mPrimitivesReader.ReadCard8(format) != eSuccess)
        return eFailure;
    if ((format & 0x7F) > 1) {
        TraceMessage("CFFFileInput::ReadEncoding, unknown encoding format %u", static_cast<unsigned>(format));
        return eFailure;
    }
    if ((format & 1) == 0) {
        Byte count;
        if (mPrimitivesReader.ReadCard8(count) != eSuccess)
            return eFailure;
        outEncoding.mEncoding.resize(count);
        if (count > 0 && mPrimitivesReader.Read(outEncoding.mEncoding.data(), count) != eSuccess)
            return eFailure;
    } else {
        Byte ranges;
        if (mPrimitivesReader.ReadCard8(ranges) != eSuccess)
            return eFailure;
        for (Byte i = 0; i < ranges; ++i) {
            Byte first, left;
            if (mPrimitivesReader.ReadCard8(first) != eSuccess || mPrimitivesReader.ReadCard8(left) != eSuccess)
                return eFailure;
            // Codes are bytes, and there are at most 255 glyphs with a code.
            if (first + left > 255 || outEncoding.mEncoding.size() + left + 1 > 255) {
                TraceMessage("CFFFileInput::ReadEncoding, encoding ranges give more codes than there are");
                return eFailure;
            }
            for (int k = 0; k <= left; ++k)
                outEncoding.mEncoding.push_back(static_cast<Byte>(first + k));
        }
    }
    if (format & 0x80) {
        Byte supplements;
        if (mPrimitivesReader.ReadCard8(supplements) != eSuccess)
            return eFailure;
        for (Byte i = 0; i < supplements; ++i) {
            Byte code;
            uint16_t sid;
            if (mPrimitivesReader.ReadCard8(code) != eSuccess || mPrimitivesReader.ReadCard16(sid) != eSuccess)
                return eFailure;
            outEncoding.mSupplements[sid].push_back(code);
        }
    }
    outEncoding.mEncodingEnd = mPrimitivesReader.GetOffset();
    return mPrimitivesReader.GetStatus();
}

OpStatus CFFFileInput::ReadCIDInformation()
{
    for (size_t i = 0; i < mName.size(); ++i) {
        if (!IsCIDKeyed(static_cast<uint16_t>(i)))
            continue;
        if (ReadFDArray(static_cast<uint16_t>(i)) != eSuccess) {
            TraceMessage("CFFFileInput::ReadCIDInformation, unable to read FDArray for font index %d", static_cast<int>(i));
            return eFailure;
        }
        if (ReadFDSelect(static_cast<uint16_t>(i)) != eSuccess) {
            TraceMessage("CFFFileInput::ReadCIDInformation, unable to read FDSelect for font index %d", static_cast<int>(i));
            return eFailure;
        }
    }
    return eSuccess;
}

OpStatus CFFFileInput::ReadFDArray(uint16_t inFontIndex)
{
    TopDictionary& topDict = mTopDictIndex[inFontIndex];
    LongFilePositionType offset;
    if (topDict.mTopDict.find(scFDArray) == topDict.mTopDict.end() ||
        !GetDictOffset(topDict.mTopDict, scFDArray, offset))
        return eFailure;
    mPrimitivesReader.SetOffset(offset);
    std::vector<CharStringRange> ranges;
    if (ReadIndexRanges(ranges) != eSuccess)
        return eFailure;
    topDict.mFDArray.resize(ranges.size());
    for (size_t i = 0; i < ranges.size(); ++i) {
        FontDictionary& fd = topDict.mFDArray[i];
        fd.mFontDictStart = ranges[i].mStartPosition;
        fd.mFontDictEnd = ranges[i].mEndPosition;
        mPrimitivesReader.SetOffset(fd.mFontDictStart);
        if (ReadDict(fd.mFontDictEnd - fd.mFontDictStart, fd.mFontDict) != eSuccess) {
            TraceMessage("CFFFileInput::ReadFDArray, failed to read FDArray");
            return eFailure;
        }
    }
    Byte type = mCharStrings[inFontIndex].mCharStringType;
    for (FontDictionary& fd : topDict.mFDArray) {
        if (ReadPrivateDict(fd.mFontDict, fd.mPrivateDict) != eSuccess ||
            ReadLocalSubrs(fd.mPrivateDict, type) != eSuccess)
            return eFailure;
    }
    return eSuccess;
}

OpStatus CFFFileInput::ReadFDSelect(uint16_t inFontIndex)
{
    TopDictionary& topDict = mTopDictIndex[inFontIndex];
    size_t glyphCount = mCharStrings[inFontIndex].mCharStrings.size();
    LongFilePositionType offset;
    if (topDict.mTopDict.find(scFDSelect) == topDict.mTopDict.end() ||
        !GetDictOffset(topDict.mTopDict, scFDSelect, offset))
        return eFailure;
    mPrimitivesReader.SetOffset(offset);
    Byte format;
    if (mPrimitivesReader.ReadCard8(format) != eSuccess)
        return eFailure;
    topDict.mFDSelect.assign(glyphCount, nullptr);
    size_t fdCount = topDict.mFDArray.size();
    if (format == 0) {
        if (!HasRoom(static_cast<LongFilePositionType>(glyphCount)))
            return eFailure;
        for (size_t glyph = 0; glyph < glyphCount; ++glyph) {
            Byte fd;
            if (mPrimitivesReader.ReadCard8(fd) != eSuccess)
                return eFailure;
            if (fd >= fdCount) {
                TraceMessage("CFFFileInput::ReadFDSelect, FD %u of glyph %zu is not in the FDArray of %zu",
                             static_cast<unsigned>(fd), glyph, fdCount);
                return eFailure;
            }
            topDict.mFDSelect[glyph] = &topDict.mFDArray[fd];
        }
        return eSuccess;
    }
    if (format != 3) {
        TraceMessage("CFFFileInput::ReadFDSelect, unknown FDSelect format %u", static_cast<unsigned>(format));
        return eFailure;
    }
    uint16_t rangesCount, first;
    if (mPrimitivesReader.ReadCard16(rangesCount) != eSuccess || mPrimitivesReader.ReadCard16(first) != eSuccess)
        return eFailure;
    if (!HasRoom(3 * static_cast<LongFilePositionType>(rangesCount)))
        return eFailure;
    for (uint16_t i = 0; i < rangesCount; ++i) {
        Byte fd;
        uint16_t next;
        if (mPrimitivesReader.ReadCard8(fd) != eSuccess || mPrimitivesReader.ReadCard16(next) != eSuccess)
            return eFailure;
        if (fd >= fdCount || next < first) {
            TraceMessage("CFFFileInput::ReadFDSelect, FDSelect range %u is damaged", static_cast<unsigned>(i));
            return eFailure;
        }
        // Ranges past the last glyph select nothing.
        for (size_t glyph = first; glyph < next && glyph < glyphCount; ++glyph)
            topDict.mFDSelect[glyph] = &topDict.mFDArray[fd];
        first = next;
    }
    return eSuccess;
}

int CFFFileInput::GetFontIndex(const std::string& inFontName) const
{
    auto it = mNameToIndex.find(inFontName);
    return it == mNameToIndex.end() ? -1 : it->second;
}

uint16_t CFFFileInput::GetCharStringsCount(uint16_t inFontIndex) const
{
    return inFontIndex < mCharStrings.size() ? static_cast<uint16_t>(mCharStrings[inFontIndex].mCharStrings.size()) : 0;
}

bool CFFFileInput::IsCIDKeyed(uint16_t inFontIndex) const
{
    return inFontIndex < mTopDictIndex.size() &&
           mTopDictIndex[inFontIndex].mTopDict.find(scROS) != mTopDictIndex[inFontIndex].mTopDict.end();
}

const char* CFFFileInput::GetStringForSID(uint16_t inSID) const
{
    if (inSID < CFFStandardStrings::kCount)
        return CFFStandardStrings::StringOfSID(inSID);
    size_t index = inSID - CFFStandardStrings::kCount;
    return index < mStrings.size() ? mStrings[index].c_str() : nullptr;
}

bool CFFFileInput::GetSIDForString(const std::string& inString, uint16_t& outSID) const
{
    auto it = mStringToSID.find(inString);
    if (it == mStringToSID.end())
        return false;
    outSID = it->second;
    return true;
}

uint16_t CFFFileInput::GetGlyphSID(uint16_t inFontIndex, uint16_t inGlyphIndex) const
{
    if (inGlyphIndex == 0 || inGlyphIndex >= GetCharStringsCount(inFontIndex))
        return 0;
    const CharsetTable* charset = mTopDictIndex[inFontIndex].mCharSet;
    if (!charset)
        return 0;
    if (charset->mType == eCharSetCustom)
        return inGlyphIndex < charset->mSIDs.size() ? charset->mSIDs[inGlyphIndex] : 0;
    const std::vector<uint16_t>& table = PredefinedCharset(charset->mType);
    return inGlyphIndex - 1u < table.size() ? table[inGlyphIndex - 1] : 0;
}

const FontDictionary* CFFFileInput::GetGlyphFontDictionary(uint16_t inFontIndex, uint16_t inGlyphIndex) const
{
    if (inFontIndex >= mTopDictIndex.size())
        return nullptr;
    const std::vector<const FontDictionary*>& select = mTopDictIndex[inFontIndex].mFDSelect;
    return inGlyphIndex < select.size() ? select[inGlyphIndex] : nullptr;
}

const CharStringRange* CFFFileInput::GetGlyphCharStringRange(uint16_t inFontIndex, uint16_t inCharStringIndex)
{
    if (mName.empty()) {
        TraceMessage("CFFFileInput::CalculateDependenciesForCharIndex, inFontIndex = %d is invalid. there are %d fonts in the CFF segment",
                     static_cast<int>(inFontIndex), 0);
        return nullptr;
    }
    if (inCharStringIndex >= GetCharStringsCount(inFontIndex)) {
        TraceMessage("CFFFileInput::CalculateDependenciesForCharIndex, inCharStringIndex = %d is invalid. there are %d charsringd in the CFF segment for the requested font",
                     static_cast<int>(inCharStringIndex), static_cast<int>(GetCharStringsCount(inFontIndex)));
        return nullptr;
    }
    return &mCharStrings[inFontIndex].mCharStrings[inCharStringIndex];
}

OpStatus CFFFileInput::PrepareForGlyphIntepretation(uint16_t inFontIndex, uint16_t inCharStringIndex)
{
    // The glyph operations serve the first font only.
    (void)inFontIndex;
    const uint16_t font = 0;
    if (mName.empty()) {
        TraceMessage("CFFFileInput::PrepareForGlyphIntepretation, inFontIndex = %d is invalid. there are %d fonts in the CFF segment",
                     0, 0);
        return eFailure;
    }
    if (inCharStringIndex >= GetCharStringsCount(font)) {
        TraceMessage("CFFFileInput::PrepareForGlyphIntepretation, inCharStringIndex = %d is invalid. there are %d charsringd in the CFF segment for the requested font",
                     static_cast<int>(inCharStringIndex), static_cast<int>(GetCharStringsCount(font)));
        return eFailure;
    }
    if (mCharStrings[font].mCharStringType != 2) {
        TraceMessage("CFFFileInput::PrepareForGlyphIntepretation, unsupported charstring format = %d. only type 2 charstrings are supported",
                     static_cast<int>(mCharStrings[font].mCharStringType));
        return eFailure;
    }
    const TopDictionary& topDict = mTopDictIndex[font];
    if (IsCIDKeyed(font)) {
        const FontDictionary* fd = GetGlyphFontDictionary(font, inCharStringIndex);
        if (!fd) {
            TraceMessage("CFFFileInput::PrepareForGlyphIntepretation, glyph %d has no FDSelect entry",
                         static_cast<int>(inCharStringIndex));
            return eFailure;
        }
        mCurrentLocalSubrs = fd->mPrivateDict.mLocalSubrs;
    } else {
        mCurrentLocalSubrs = mPrivateDicts[font].mLocalSubrs;
    }
    mCurrentCharsetInfo = topDict.mCharSet;
    mCurrentDependencies = nullptr;
    return eSuccess;
}

OpStatus CFFFileInput::CalculateDependenciesForCharIndex(uint16_t inFontIndex, uint16_t inCharStringIndex,
                                                         GlyphDependencies& ioDependenciesObject)
{
    if (PrepareForGlyphIntepretation(inFontIndex, inCharStringIndex) != eSuccess)
        return eFailure;
    const CharStringRange* range = GetGlyphCharStringRange(0, inCharStringIndex);
    if (!range)
        return eFailure;
    mCurrentDependencies = &ioDependenciesObject;
    CharStringType2Interpreter interpreter;
    OpStatus status = interpreter.Intepret(*range, this);
    mCurrentDependencies = nullptr;
    return status;
}

OpStatus CFFFileInput::FetchCharStringBytes(LongFilePositionType inStart, LongFilePositionType inEnd,
                                            const Byte*& outBytes)
{
    // Ranges come from checked INDEXes; this guards against any other caller.
    if (inStart < 0 || inEnd < inStart || inEnd > mCFFLength)
        return eFailure;
    outBytes = mData.data() + inStart;
    return eSuccess;
}

const CharStringRange* CFFFileInput::SubrFromIndex(const std::vector<CharStringRange>& inSubrs, int32_t inSubrIndex,
                                                   std::set<uint16_t>* ioDependencySet)
{
    // A biased number outside the table names no subroutine; it is not wrapped into it.
    int64_t biased = static_cast<int64_t>(inSubrIndex) + SubrBias(inSubrs.size());
    if (biased < 0 || biased >= static_cast<int64_t>(inSubrs.size())) {
        TraceMessage("CFFFileInput::SubrFromIndex, subroutine %d is not in a table of %zu", static_cast<int>(inSubrIndex),
                     inSubrs.size());
        return nullptr;
    }
    if (ioDependencySet)
        ioDependencySet->insert(static_cast<uint16_t>(biased));
    return &inSubrs[static_cast<size_t>(biased)];
}

const CharStringRange* CFFFileInput::LocalSubrCharString(int32_t inSubrIndex)
{
    static const std::vector<CharStringRange> scNoSubrs;
    return SubrFromIndex(mCurrentLocalSubrs ? mCurrentLocalSubrs->mCharStrings : scNoSubrs, inSubrIndex,
                         mCurrentDependencies ? &mCurrentDependencies->mLocalSubrs : nullptr);
}

const CharStringRange* CFFFileInput::GlobalSubrCharString(int32_t inSubrIndex)
{
    return SubrFromIndex(mGlobalSubrs, inSubrIndex, mCurrentDependencies ? &mCurrentDependencies->mGlobalSubrs : nullptr);
}

OpStatus CFFFileInput::OnEndchar(CharStringType2Interpreter& inInterpreter)
{
    if (inInterpreter.GetStackSize() < 4)
        return eSuccess;
    if (!mCurrentDependencies) {
        TraceMessage("CFFFileInput::OnEndchar, accented character outside dependency collection");
        return eFailure;
    }
    return AddAccentComponents(inInterpreter.GetOperandStack(), *mCurrentDependencies);
}

OpStatus CFFFileInput::AddAccentComponents(const std::vector<Type2Operand>& inEndcharOperands,
                                           GlyphDependencies& ioDependencies) const
{
    const std::vector<Type2Operand>& stack = inEndcharOperands;
    if (stack.size() < 4)
        return eSuccess;
    int32_t codes[2];
    for (int i = 0; i < 2; ++i) {
        const Type2Operand& operand = stack[stack.size() - 2 + i];
        codes[i] = operand.mIsInteger ? operand.mIntegerValue : static_cast<int32_t>(std::trunc(operand.mRealValue));
    }
    const CharsetTable* charset = mTopDictIndex.empty() ? nullptr : mTopDictIndex[0].mCharSet;
    if (!charset) {
        TraceMessage("CFFFileInput::OnEndchar, accented character in a font without a charset");
        return eFailure;
    }
    uint16_t glyphs[2];
    for (int i = 0; i < 2; ++i) {
        uint16_t sid;
        auto glyph = charset->mSIDToGlyphMap.end();
        if (GetSIDForString(StandardEncoding::GlyphName(static_cast<Byte>(codes[i] & 0xFF)), sid))
            glyph = charset->mSIDToGlyphMap.find(sid);
        if (glyph == charset->mSIDToGlyphMap.end()) {
            TraceMessage("CFFFileInput::OnEndchar, accented character names code %d, which is no glyph of the font",
                         static_cast<int>(codes[i] & 0xFF));
            return eFailure;
        }
        glyphs[i] = glyph->second->mIndex;
    }
    ioDependencies.mCharCodes.insert(glyphs[0]);
    ioDependencies.mCharCodes.insert(glyphs[1]);
    return eSuccess;
}
