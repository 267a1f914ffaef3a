#pragma once
// Reader of a Compact Font Format program (the "CFF " table of an OpenType font, or CFF data on
// its own) from a stream positioned at its first byte; the stream is the caller's. The data is
// read into memory at once, so the stream is free again afterwards. Everything read stays until
// the next read or destruction; shared charsets, encodings and local subrs are owned once.
// Positions are relative to the start of the CFF data. Damaged data fails with -1 and trace-log
// lines: every INDEX is checked against the data before anything is allocated, offsets must be
// monotonic and inside the data, and charsets, encodings, FDArray indexes and FDSelect are
// checked against the glyph count. The reader also serves the Type 2 interpreter when the
// subroutines and accented-character components of a glyph are collected; glyph operations
// use the first font.

#include "pdf/fonts/CFFValueReader.h"
#include "pdf/fonts/CharStringRange.h"
#include "pdf/fonts/DictOperand.h"
#include "pdf/fonts/Type2InterpreterImplementationAdapter.h"
#include "pdf/io/InputByteArrayStream.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

// Operator key to operands; 12 x has the key 0x0C00 + x. The first occurrence of a key wins.
typedef std::map<uint16_t, DictOperandList> CFFDict;

struct CFFHeader {
    Byte mMajor = 0;
    Byte mMinor = 0;
    Byte mHdrSize = 0;
    Byte mOffSize = 0;
    std::vector<Byte> mBytes; // all hdrSize bytes as read
};

struct SubrsIndex {
    Byte mCharStringType = 2;
    std::vector<CharStringRange> mCharStrings;
};

struct FontCharStrings {
    Byte mCharStringType = 2;
    std::vector<CharStringRange> mCharStrings;
};

struct PrivateDictionary {
    LongFilePositionType mPrivateDictStart = 0;
    LongFilePositionType mPrivateDictEnd = 0;
    bool mExists = false;
    CFFDict mPrivateDict;
    const SubrsIndex* mLocalSubrs = nullptr; // owned by the reader's subrs map
};

struct FontDictionary {
    LongFilePositionType mFontDictStart = 0;
    LongFilePositionType mFontDictEnd = 0;
    CFFDict mFontDict;
    PrivateDictionary mPrivateDict;
};

enum ECharSetType { eCharSetISOAdobe = 0, eCharSetExpert = 1, eCharSetExpertSubset = 2, eCharSetCustom = 3 };

struct CharsetTable {
    ECharSetType mType = eCharSetISOAdobe;
    // Non-CID fonts: SID to the glyph's charstring (the first glyph of a SID wins).
    std::map<uint16_t, const CharStringRange*> mSIDToGlyphMap;
    // Custom charsets: the SID (CID for CID-keyed fonts) of every glyph, glyph 0 having 0.
    std::vector<uint16_t> mSIDs;
};

enum EEncodingType { eEncodingStandard = 0, eEncodingExpert = 1, eEncodingCustom = 2 };

struct EncodingTable {
    LongFilePositionType mEncodingStart = 0;
    LongFilePositionType mEncodingEnd = 0;
    EEncodingType mType = eEncodingStandard;
    // Codes of glyphs 1 to mEncoding.size().
    std::vector<Byte> mEncoding;
    // SID to its extra codes.
    std::map<uint16_t, std::vector<Byte>> mSupplements;
};

struct TopDictionary {
    CFFDict mTopDict;
    const CharsetTable* mCharSet = nullptr;
    const EncodingTable* mEncoding = nullptr;
    std::vector<FontDictionary> mFDArray;
    // Per glyph: its FD, null when FDSelect gives it none.
    std::vector<const FontDictionary*> mFDSelect;
};

struct GlyphDependencies {
    std::set<uint16_t> mCharCodes; // glyph indices of accented-character components
    std::set<uint16_t> mGlobalSubrs;
    std::set<uint16_t> mLocalSubrs;
};

class CFFFileInput : public Type2InterpreterImplementationAdapter {
public:
    CFFFileInput() = default;
    ~CFFFileInput() = default;
    CFFFileInput(const CFFFileInput&) = delete;
    CFFFileInput& operator=(const CFFFileInput&) = delete;

    // Releases what an earlier read left, then reads the CFF data at the stream's position.
    // inCFFLength bounds the data (the "CFF " table's length); negative: up to the stream's end.
    OpStatus ReadCFFFile(IByteReaderWithPosition* inCFFFile, LongFilePositionType inCFFLength = -1);
    // Frees everything read.
    void ReleaseReadData();

    // Selects the glyph's local subrs and charset for interpretation and clears the dependency
    // target.
    OpStatus PrepareForGlyphIntepretation(uint16_t inFontIndex, uint16_t inCharStringIndex);
    OpStatus CalculateDependenciesForCharIndex(uint16_t inFontIndex, uint16_t inCharStringIndex,
                                               GlyphDependencies& ioDependenciesObject);
    // The base and accent glyphs that an endchar with these operands (adx ady bchar achar, by
    // standard code) names, added to the components of ioDependencies; -1 (logged) when the
    // codes name no glyph of the font.
    OpStatus AddAccentComponents(const std::vector<Type2Operand>& inEndcharOperands,
                                 GlyphDependencies& ioDependencies) const;
    // The glyph's program; null (logged) for a glyph or font that does not exist.
    const CharStringRange* GetGlyphCharStringRange(uint16_t inFontIndex, uint16_t inCharStringIndex);

    const CFFHeader& GetHeader() const { return mHeader; }
    uint16_t GetFontsCount() const { return static_cast<uint16_t>(mName.size()); }
    const std::vector<std::string>& GetFontNames() const { return mName; }
    // The font index of a name; -1 when there is none.
    int GetFontIndex(const std::string& inFontName) const;
    LongFilePositionType GetNameIndexPosition() const { return mNameIndexPosition; }
    LongFilePositionType GetTopDictIndexPosition() const { return mTopDictIndexPosition; }
    LongFilePositionType GetStringIndexPosition() const { return mStringIndexPosition; }
    LongFilePositionType GetGlobalSubrsPosition() const { return mGlobalSubrsPosition; }
    LongFilePositionType GetCFFLength() const { return mCFFLength; }

    const TopDictionary& GetTopDictionary(uint16_t inFontIndex) const { return mTopDictIndex[inFontIndex]; }
    const FontCharStrings& GetCharStrings(uint16_t inFontIndex) const { return mCharStrings[inFontIndex]; }
    const PrivateDictionary& GetPrivateDictionary(uint16_t inFontIndex) const { return mPrivateDicts[inFontIndex]; }
    uint16_t GetCharStringsCount(uint16_t inFontIndex) const;
    bool IsCIDKeyed(uint16_t inFontIndex) const;

    // The font's own strings (SIDs from 391 on).
    const std::vector<std::string>& GetStrings() const { return mStrings; }
    // Standard strings first, then the font's; null for an SID beyond both.
    const char* GetStringForSID(uint16_t inSID) const;
    bool GetSIDForString(const std::string& inString, uint16_t& outSID) const;
    const std::vector<CharStringRange>& GetGlobalSubrs() const { return mGlobalSubrs; }

    // The glyph's SID (its CID for CID-keyed fonts): 0 for glyph 0 and for glyphs the font lacks.
    uint16_t GetGlyphSID(uint16_t inFontIndex, uint16_t inGlyphIndex) const;
    // The FD of a glyph of a CID-keyed font; null when FDSelect gives it none.
    const FontDictionary* GetGlyphFontDictionary(uint16_t inFontIndex, uint16_t inGlyphIndex) const;

    // The predefined charsets without their leading ".notdef": ISOAdobe (SIDs 1 to 228),
    // Expert (165 SIDs) and ExpertSubset (86 SIDs).
    static const std::vector<uint16_t>& PredefinedCharset(ECharSetType inType);
    // The bias of a subroutine number for a subrs INDEX of inCount items.
    static int32_t SubrBias(size_t inCount);

    // Interpretation callbacks.
    OpStatus FetchCharStringBytes(LongFilePositionType inStart, LongFilePositionType inEnd,
                                  const Byte*& outBytes) override;
    OpStatus OnEndchar(CharStringType2Interpreter& inInterpreter) override;
    const CharStringRange* LocalSubrCharString(int32_t inSubrIndex) override;
    const CharStringRange* GlobalSubrCharString(int32_t inSubrIndex) override;

private:
    OpStatus ReadHeader();
    // The items of an INDEX at the current position; the reader is left after its data.
    OpStatus ReadIndexRanges(std::vector<CharStringRange>& outRanges);
    OpStatus ReadIndexStrings(std::vector<std::string>& outStrings);
    OpStatus ReadDict(LongFilePositionType inLength, CFFDict& outDict);
    OpStatus ReadTopDictIndex();
    OpStatus ReadStringIndex();
    OpStatus ReadCharStrings();
    OpStatus ReadPrivateDict(const CFFDict& inReferencingDict, PrivateDictionary& outPrivate);
    OpStatus ReadLocalSubrs(PrivateDictionary& ioPrivate, Byte inCharStringType);
    OpStatus ReadCharsets();
    OpStatus ReadCharset(LongFilePositionType inOffset, bool inIsCID, const FontCharStrings& inCharStrings,
                         CharsetTable& outCharset);
    OpStatus ReadEncodings();
    OpStatus ReadEncoding(LongFilePositionType inOffset, EncodingTable& outEncoding);
    OpStatus ReadCIDInformation();
    OpStatus ReadFDArray(uint16_t inFontIndex);
    OpStatus ReadFDSelect(uint16_t inFontIndex);
    // An offset operand of a DICT: false when the key is there but is no offset inside the data.
    bool GetDictOffset(const CFFDict& inDict, uint16_t inKey, LongFilePositionType& outOffset) const;
    bool HasRoom(LongFilePositionType inByteCount);
    const CharStringRange* SubrFromIndex(const std::vector<CharStringRange>& inSubrs, int32_t inSubrIndex,
                                         std::set<uint16_t>* ioDependencySet);

    std::vector<Byte> mData; // the whole CFF data
    InputByteArrayStream mDataStream;
    CFFValueReader mPrimitivesReader;
    LongFilePositionType mCFFLength = 0;

    CFFHeader mHeader;
    std::vector<std::string> mName;
    std::map<std::string, uint16_t> mNameToIndex;
    LongFilePositionType mNameIndexPosition = 0;
    LongFilePositionType mTopDictIndexPosition = 0;
    LongFilePositionType mStringIndexPosition = 0;
    LongFilePositionType mGlobalSubrsPosition = 0;
    std::vector<TopDictionary> mTopDictIndex;
    std::vector<std::string> mStrings;
    std::map<std::string, uint16_t> mStringToSID;
    std::vector<CharStringRange> mGlobalSubrs;
    std::vector<FontCharStrings> mCharStrings;
    std::vector<PrivateDictionary> mPrivateDicts;
    std::map<LongFilePositionType, std::unique_ptr<SubrsIndex>> mLocalSubrs;
    std::map<LongFilePositionType, std::unique_ptr<CharsetTable>> mCharsets;
    std::map<LongFilePositionType, std::unique_ptr<EncodingTable>> mEncodings;

    const SubrsIndex* mCurrentLocalSubrs = nullptr;
    const CharsetTable* mCurrentCharsetInfo = nullptr;
    GlyphDependencies* mCurrentDependencies = nullptr;
};
