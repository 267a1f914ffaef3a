#pragma once
// The sfnt tables that OpenTypeFileInput keeps, field by field as the file holds them. 16.16
// fixed values are held as doubles (integer part plus fraction / 65536); offsets of table
// entries already include the table offset of a dfont resource and are relative to the origin
// of the reader.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct TableEntry {
    uint32_t mCheckSum = 0;
    uint32_t mOffset = 0;
    uint32_t mLength = 0;
};

struct HeadTable {
    double mTableVersionNumber = 0;
    double mFontRevision = 0;
    uint32_t mCheckSumAdjustment = 0;
    uint32_t mMagicNumber = 0;
    uint16_t mFlags = 0;
    uint16_t mUnitsPerEm = 0;
    long long mCreated = 0;
    long long mModified = 0;
    int16_t mXMin = 0;
    int16_t mYMin = 0;
    int16_t mXMax = 0;
    int16_t mYMax = 0;
    uint16_t mMacStyle = 0;
    uint16_t mLowestRecPPEM = 0;
    int16_t mFontDirectionHint = 0;
    int16_t mIndexToLocFormat = 0;
    int16_t mGlyphDataFormat = 0;
};

// The fields after numGlyphs are read only for version 1.0 tables, else they stay 0.
struct MaxpTable {
    double mVersion = 0;
    uint16_t mNumGlyphs = 0;
    uint16_t mMaxPoints = 0;
    uint16_t mMaxContours = 0;
    uint16_t mMaxCompositePoints = 0;
    uint16_t mMaxCompositeContours = 0;
    uint16_t mMaxZones = 0;
    uint16_t mMaxTwilightPoints = 0;
    uint16_t mMaxStorage = 0;
    uint16_t mMaxFunctionDefs = 0;
    uint16_t mMaxInstructionDefs = 0;
    uint16_t mMaxStackElements = 0;
    uint16_t mMaxSizeOfInstructions = 0;
    uint16_t mMaxComponentElements = 0;
    uint16_t mMaxComponentDepth = 0;
};

struct HHeaTable {
    double mVersion = 0;
    int16_t mAscender = 0;
    int16_t mDescender = 0;
    int16_t mLineGap = 0;
    uint16_t mAdvanceWidthMax = 0;
    int16_t mMinLeftSideBearing = 0;
    int16_t mMinRightSideBearing = 0;
    int16_t mXMaxExtent = 0;
    int16_t mCaretSlopeRise = 0;
    int16_t mCaretSlopeRun = 0;
    int16_t mCaretOffset = 0;
    int16_t mMetricDataFormat = 0;
    uint16_t mNumberOfHMetrics = 0;
};

struct HMtxTableEntry {
    uint16_t mAdvanceWidth = 0;
    int16_t mLeftSideBearing = 0;
};

// The fields from ulCodePageRange1 on stay 0 in tables too short to hold them.
struct OS2Table {
    uint16_t mVersion = 0;
    int16_t mAvgCharWidth = 0;
    uint16_t mWeightClass = 0;
    uint16_t mWidthClass = 0;
    uint16_t mFSType = 0;
    int16_t mSubscriptXSize = 0;
    int16_t mSubscriptYSize = 0;
    int16_t mSubscriptXOffset = 0;
    int16_t mSubscriptYOffset = 0;
    int16_t mSuperscriptXSize = 0;
    int16_t mSuperscriptYSize = 0;
    int16_t mSuperscriptXOffset = 0;
    int16_t mSuperscriptYOffset = 0;
    int16_t mStrikeoutSize = 0;
    int16_t mStrikeoutPosition = 0;
    int16_t mFamilyClass = 0;
    uint8_t mPanose[10] = {0};
    uint32_t mUnicodeRange1 = 0;
    uint32_t mUnicodeRange2 = 0;
    uint32_t mUnicodeRange3 = 0;
    uint32_t mUnicodeRange4 = 0;
    char mAchVendID[4] = {0};
    uint16_t mFSSelection = 0;
    uint16_t mFirstCharIndex = 0;
    uint16_t mLastCharIndex = 0;
    int16_t mTypoAscender = 0;
    int16_t mTypoDescender = 0;
    int16_t mTypoLineGap = 0;
    uint16_t mWinAscent = 0;
    uint16_t mWinDescent = 0;
    uint32_t mCodePageRange1 = 0;
    uint32_t mCodePageRange2 = 0;
    int16_t mXHeight = 0;
    int16_t mCapHeight = 0;
    uint16_t mDefaultChar = 0;
    uint16_t mBreakChar = 0;
    uint16_t mMaxContext = 0;
};

// One name record with its bytes as stored (not decoded).
struct NameTableEntry {
    uint16_t mPlatformID = 0;
    uint16_t mEncodingID = 0;
    uint16_t mLanguageID = 0;
    uint16_t mNameID = 0;
    uint16_t mLength = 0;
    uint16_t mOffset = 0;
    std::string mName;
};

// A non-empty glyph of a TrueType-flavoured font: its header and, for a composite glyph, the
// glyph ids it is built from, in file order (all below numGlyphs).
struct GlyphEntry {
    int16_t mNumberOfContours = 0;
    int16_t mXMin = 0;
    int16_t mYMin = 0;
    int16_t mXMax = 0;
    int16_t mYMax = 0;
    std::vector<uint16_t> mComponentGlyphs;
};

enum EOpenTypeInputType { eOpenTypeTrueType, eOpenTypeCFF };
