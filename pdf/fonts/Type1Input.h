#pragma once
// A parsed Type 1 font file in PFB form: the font dictionary, FontInfo, the Private dictionary,
// the encoding, the subroutines and the glyph programs (kept charstring-encrypted). It also
// finds, for one glyph, the subroutines and seac components its program uses.
//
// ParseFontFile resets everything and reads the whole font through the source, which the caller
// owns and may close afterwards. Counts and lengths from the file are checked against the data
// read; a damaged font fails with -1 and one trace-log line, keeping what was parsed until the
// next ParseFontFile.

#include "pdf/fonts/IType1InterpreterImplementation.h"
#include "pdf/fonts/InputPFBDecodeStream.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

struct Type1FontDictionary {
    std::string FontName;
    int PaintType = 0;
    int FontType = 0;
    double FontMatrix[6] = {0.001, 0, 0, 0.001, 0, 0};
    double FontBBox[4] = {0, 0, 0, 0};
    int UniqueID = -1;
    bool HasUniqueID = false;
    double StrokeWidth = 1.0;
    bool HasStrokeWidth = false;
    uint16_t FSType = 0;
    bool fsTypeValid = false;
};

struct Type1FontInfoDictionary {
    std::string version;
    std::string Notice;
    std::string Copyright;
    std::string FullName;
    std::string FamilyName;
    std::string Weight;
    double ItalicAngle = 0;
    bool isFixedPitch = false;
    double UnderlinePosition = 0;
    double UnderlineThickness = 0;
    uint16_t FSType = 0;
    bool fsTypeValid = false;
};

struct Type1PrivateDictionary {
    int UniqueID = -1;
    std::vector<int> BlueValues;
    std::vector<int> OtherBlues;
    std::vector<int> FamilyBlues;
    std::vector<int> FamilyOtherBlues;
    double BlueScale = 0.039625;
    int BlueShift = 7;
    int BlueFuzz = 1;
    double StdHW = -1;
    double StdVW = -1;
    std::vector<double> StemSnapH;
    std::vector<double> StemSnapV;
    bool ForceBold = false;
    int LanguageGroup = 0;
    int lenIV = 4;
    bool RndStemUp = false;
};

enum Type1EncodingType { eType1EncodingTypeStandardEncoding = 0, eType1EncodingTypeCustom = 1 };

struct CharString1Dependencies {
    std::set<Byte> mCharCodes;       // seac base and accent codes
    std::set<uint16_t> mOtherSubrs;  // other subroutines called
    std::set<uint16_t> mSubrs;       // subroutines called
};

class Type1Input : public Type1InterpreterImplementationAdapter {
public:
    // Larger counts and lengths than these are damage, not fonts.
    static constexpr long kMaxSubrs = 65536;
    static constexpr long kMaxCharStringLength = 65535;

    Type1Input() = default;
    Type1Input(const Type1Input&) = delete;
    Type1Input& operator=(const Type1Input&) = delete;

    OpStatus ParseFontFile(IByteReader* inSourceFile);

    // The glyph name of a code in the font's encoding; ".notdef" for a code without one.
    std::string GlyphNameOfCharCode(Byte inCharCode);
    // The lowest code of a glyph name in the font's encoding.
    bool CharCodeOfGlyphName(const std::string& inGlyphName, Byte& outCode) const;
    OpStatus CalculateDependenciesForCharIndex(const std::string& inGlyphName,
                                               CharString1Dependencies* ioDependenciesObject);
    // The advance width that the glyph's hsbw or sbw gives, in font units; none when the glyph
    // is missing, sets no width or cannot be run.
    std::optional<double> GlyphAdvance(const std::string& inGlyphName);

    const Type1FontDictionary& FontDictionary() const { return mFontDictionary; }
    const Type1FontInfoDictionary& FontInfoDictionary() const { return mFontInfoDictionary; }
    const Type1PrivateDictionary& PrivateDictionary() const { return mPrivateDictionary; }
    Type1EncodingType EncodingType() const { return mEncodingType; }
    // Null when the font has no program of that name.
    const Type1CharString* GetGlyphCharString(const std::string& inGlyphName) const;
    const std::map<std::string, Type1CharString>& CharStrings() const { return mCharStrings; }
    size_t SubrsCount() const { return mSubrs.size(); }

    const Type1CharString* GetLocalSubr(long inSubrIndex) override;
    int OnSeac(Type1OperandStack& inOperandStack) override;
    int OnHsbw(Type1OperandStack& inOperandStack) override;
    int OnSbw(Type1OperandStack& inOperandStack) override;
    bool AcceptsOtherSubr(long inOtherSubrIndex) override;
    int LenIVBytes() override { return mPrivateDictionary.lenIV; }

private:
    void Reset();
    bool NextToken(std::string& outToken);
    void PushBackToken(const std::string& inToken);
    bool HasMoreTokens();
    OpStatus ParseFontDictionary();
    OpStatus ParseFontInfoDictionary();
    OpStatus ParsePrivateDictionary();
    OpStatus ParseEncoding();
    // Reads up to the next "dup" (outFound true) or to the end of the encoding array.
    OpStatus NextEncodingEntry(bool& outFound);
    OpStatus ParseSubrs();
    OpStatus ParseCharStrings();
    OpStatus ReadCharStringBytes(long inLength, Type1CharString& outCharString);
    OpStatus ReadIntegerList(std::vector<int>& outList);
    OpStatus ReadRealList(std::vector<double>& outList);
    OpStatus ReadRealArray(double* outValues, int inCount);
    void BuildReverseEncoding();
    // Runs a glyph program, collecting what the non-null arguments ask for.
    OpStatus RunGlyph(const Type1CharString& inProgram, CharString1Dependencies* ioDependencies,
                      std::optional<double>* outAdvance);

    Type1FontDictionary mFontDictionary;
    Type1FontInfoDictionary mFontInfoDictionary;
    Type1PrivateDictionary mPrivateDictionary;
    Type1EncodingType mEncodingType = eType1EncodingTypeStandardEncoding;
    std::string mEncoding[256];
    std::map<std::string, Byte> mReverseEncoding;
    std::vector<Type1CharString> mSubrs;
    std::vector<bool> mSubrPresent;
    std::map<std::string, Type1CharString> mCharStrings;
    InputPFBDecodeStream mPFBStream;
    std::string mPendingToken;
    bool mHasPendingToken = false;
    OpStatus mSegmentStatus = eSuccess;
    CharString1Dependencies* mCurrentDependencies = nullptr;
    std::optional<double>* mCurrentAdvance = nullptr;
};
