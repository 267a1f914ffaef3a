#include "pdf/fonts/Type1Input.h"

#include "pdf/fonts/StandardEncoding.h"
#include "pdf/fonts/Type1CharStringInterpreter.h"
#include "pdf/io/DiagnosticLog.h"

#include <charconv>
#include <climits>

namespace {

// PostScript numbers as C-locale stream extraction reads them: a leading number, 0 otherwise.
template <typename T>
T ParseNumber(const std::string& inToken)
{
    const char* begin = inToken.data();
    const char* end = begin + inToken.size();
    if (begin != end && *begin == '+')
        ++begin;
    T value = 0;
    if (std::from_chars(begin, end, value).ec != std::errc())
        return 0;
    return value;
}

int ToInt(const std::string& inToken) { return ParseNumber<int>(inToken); }
long ToLong(const std::string& inToken) { return ParseNumber<long>(inToken); }
double ToDouble(const std::string& inToken) { return ParseNumber<double>(inToken); }

// The text of a PostScript string token, escapes decoded.
std::string DecodeString(const std::string& inToken)
{
    if (inToken.size() < 2 || inToken.front() != '(')
        return std::string();
    size_t end = inToken.back() == ')' ? inToken.size() - 1 : inToken.size();
    std::string result;
    for (size_t i = 1; i < end; ++i) {
        char value = inToken[i];
        if (value != '\\' || i + 1 >= end) {
            result.push_back(value);
            continue;
        }
        char next = inToken[++i];
        switch (next) {
        case '(':
        case ')':
        case '\\': result.push_back(next); break;
        case 'b': result.push_back('\b'); break;
        case 'f': result.push_back('\f'); break;
        case 'n': result.push_back('\n'); break;
        case 'r': result.push_back('\r'); break;
        case 't': result.push_back('\t'); break;
        default:
            if (next >= '0' && next <= '7' && i + 2 < end && inToken[i + 1] >= '0' && inToken[i + 1] <= '7' &&
                inToken[i + 2] >= '0' && inToken[i + 2] <= '7') {
                int code = (next - '0') * 64 + (inToken[i + 1] - '0') * 8 + (inToken[i + 2] - '0');
                result.push_back(static_cast<char>(code & 0xFF));
                i += 2;
            } else {
                result.push_back('\0');
            }
            break;
        }
    }
    return result;
}

const std::pair<const char*, std::string Type1FontInfoDictionary::*> kFontInfoTexts[] = {
    {"/version", &Type1FontInfoDictionary::version},     {"/Notice", &Type1FontInfoDictionary::Notice},
    {"/Copyright", &Type1FontInfoDictionary::Copyright}, {"/FullName", &Type1FontInfoDictionary::FullName},
    {"/FamilyName", &Type1FontInfoDictionary::FamilyName}, {"/Weight", &Type1FontInfoDictionary::Weight}};
const std::pair<const char*, double Type1FontInfoDictionary::*> kFontInfoReals[] = {
    {"/ItalicAngle", &Type1FontInfoDictionary::ItalicAngle},
    {"/UnderlinePosition", &Type1FontInfoDictionary::UnderlinePosition},
    {"/UnderlineThickness", &Type1FontInfoDictionary::UnderlineThickness}};
const std::pair<const char*, int Type1PrivateDictionary::*> kPrivateIntegers[] = {
    {"/UniqueID", &Type1PrivateDictionary::UniqueID}, {"/BlueShift", &Type1PrivateDictionary::BlueShift},
    {"/BlueFuzz", &Type1PrivateDictionary::BlueFuzz}, {"/LanguageGroup", &Type1PrivateDictionary::LanguageGroup},
    {"/lenIV", &Type1PrivateDictionary::lenIV}};

bool IsName(const std::string& inToken)
{
    return !inToken.empty() && inToken[0] == '/';
}

// Tracks procedure nesting in a dictionary body, so that keywords inside a procedure value
// (OtherSubrs, for one) are not taken for the dictionary's own.
bool UpdateDepth(const std::string& inToken, int& ioDepth)
{
    if (inToken == "{") {
        ++ioDepth;
        return true;
    }
    if (inToken == "}") {
        if (ioDepth > 0)
            --ioDepth;
        return true;
    }
    return ioDepth > 0;
}

} // namespace

void Type1Input::Reset()
{
    mFontDictionary = Type1FontDictionary();
    mFontInfoDictionary = Type1FontInfoDictionary();
    mPrivateDictionary = Type1PrivateDictionary();
    mEncodingType = eType1EncodingTypeStandardEncoding;
    for (std::string& name : mEncoding)
        name.clear();
    mReverseEncoding.clear();
    mSubrs.clear();
    mSubrPresent.clear();
    mCharStrings.clear();
    mCurrentDependencies = nullptr;
    mPendingToken.clear();
    mHasPendingToken = false;
}

bool Type1Input::NextToken(std::string& outToken)
{
    if (mHasPendingToken) {
        mHasPendingToken = false;
        outToken.swap(mPendingToken);
        return true;
    }
    while (mPFBStream.GetNextToken(outToken)) {
        if (outToken[0] != '%')
            return true;
    }
    return false;
}

void Type1Input::PushBackToken(const std::string& inToken)
{
    mPendingToken = inToken;
    mHasPendingToken = true;
}

bool Type1Input::HasMoreTokens()
{
    return mHasPendingToken || mPFBStream.HasMoreBytes();
}

OpStatus Type1Input::ParseFontFile(IByteReader* inSourceFile)
{
    Reset();
    mSegmentStatus = mPFBStream.Assign(inSourceFile);
    OpStatus status = mSegmentStatus;
    std::string token;
    while (status == eSuccess && HasMoreTokens()) {
        if (!NextToken(token))
            continue;
        if (token == "begin")
            status = ParseFontDictionary();
        else if (token == "/Private")
            status = ParsePrivateDictionary();
        else if (token == "/CharStrings")
            status = ParseCharStrings();
    }
    if (status == eSuccess)
        status = mPFBStream.GetInternalState();
    mPFBStream.Release();
    // A font without an Encoding entry uses the standard encoding, and its codes as well.
    if (mReverseEncoding.empty())
        BuildReverseEncoding();
    if (status == eSuccess && mCharStrings.empty()) {
        TraceMessage("Type1Input::ParseFontFile, the font has no glyph programs");
        status = eFailure;
    }
    return status;
}

OpStatus Type1Input::ParseFontDictionary()
{
    std::string token;
    int depth = 0;
    OpStatus status = eSuccess;
    while (status == eSuccess && HasMoreTokens()) {
        if (!NextToken(token) || UpdateDepth(token, depth))
            continue;
        if (token == "end")
            break;
        if (token == "/FontInfo") {
            status = ParseFontInfoDictionary();
        } else if (token == "/FontName") {
            if (NextToken(token) && IsName(token))
                mFontDictionary.FontName = token.substr(1);
        } else if (token == "/PaintType") {
            if (NextToken(token))
                mFontDictionary.PaintType = ToInt(token);
        } else if (token == "/FontType") {
            if (NextToken(token))
                mFontDictionary.FontType = ToInt(token);
        } else if (token == "/UniqueID") {
            if (NextToken(token)) {
                mFontDictionary.UniqueID = ToInt(token);
                mFontDictionary.HasUniqueID = true;
            }
        } else if (token == "/FontMatrix") {
            status = ReadRealArray(mFontDictionary.FontMatrix, 6);
        } else if (token == "/FontBBox") {
            status = ReadRealArray(mFontDictionary.FontBBox, 4);
        } else if (token == "/StrokeWidth") {
            if (NextToken(token)) {
                mFontDictionary.StrokeWidth = ToDouble(token);
                mFontDictionary.HasStrokeWidth = true;
            }
        } else if (token == "/Encoding") {
            status = ParseEncoding();
            if (status == eSuccess)
                BuildReverseEncoding();
        } else if (token == "/FSType") {
            if (NextToken(token)) {
                mFontDictionary.FSType = static_cast<uint16_t>(ToLong(token));
                mFontDictionary.fsTypeValid = true;
            }
        } else if (token == "/Private") {
            status = ParsePrivateDictionary();
        } else if (token == "/CharStrings") {
            status = ParseCharStrings();
        }
    }
    return status;
}

OpStatus Type1Input::ParseFontInfoDictionary()
{
    mFontInfoDictionary.ItalicAngle = 0;
    mFontInfoDictionary.UnderlinePosition = 0;
    mFontInfoDictionary.UnderlineThickness = 0;
    std::string token;
    std::string value;
    int depth = 0;
    while (HasMoreTokens()) {
        if (!NextToken(token) || UpdateDepth(token, depth))
            continue;
        if (token == "end")
            break;
        std::string* text = nullptr;
        double* real = nullptr;
        for (const auto& entry : kFontInfoTexts) {
            if (token == entry.first)
                text = &(mFontInfoDictionary.*entry.second);
        }
        for (const auto& entry : kFontInfoReals) {
            if (token == entry.first)
                real = &(mFontInfoDictionary.*entry.second);
        }
        if (token == "/isFixedPitch") {
            if (NextToken(value))
                mFontInfoDictionary.isFixedPitch = value == "true";
            continue;
        }
        if (token == "/FSType") {
            if (NextToken(value)) {
                mFontInfoDictionary.FSType = static_cast<uint16_t>(ToLong(value));
                mFontInfoDictionary.fsTypeValid = true;
            }
            continue;
        }
        if (!text && !real)
            continue;
        if (!NextToken(value))
            continue;
        if (text)
            *text = DecodeString(value);
        else
            *real = ToDouble(value);
    }
    return eSuccess;
}

OpStatus Type1Input::ReadRealArray(double* outValues, int inCount)
{
    std::string token;
    if (!NextToken(token))
        return eFailure;
    for (int i = 0; i < inCount; ++i) {
        if (!NextToken(token))
            return eFailure;
        outValues[i] = ToDouble(token);
    }
    return NextToken(token) ? eSuccess : eFailure;
}

OpStatus Type1Input::ParseEncoding()
{
    std::string token;
    if (!NextToken(token))
        return eFailure;
    if (token == "StandardEncoding") {
        mEncodingType = eType1EncodingTypeStandardEncoding;
        NextToken(token);
        return eSuccess;
    }
    mEncodingType = eType1EncodingTypeCustom;
    // An encoding array without entries ends at its "readonly" or "def".
    bool entry = false;
    if (NextEncodingEntry(entry) != eSuccess)
        return eFailure;
    while (entry) {
        std::string codeToken;
        std::string nameToken;
        if (!NextToken(codeToken) || !NextToken(nameToken)) {
            TraceMessage("Type1Input::ParseEncoding, the encoding has no end");
            return eFailure;
        }
        long code = ToLong(codeToken);
        if (code < 0 || code > 255 || !IsName(nameToken)) {
            TraceMessage("Type1Input::ParseEncoding, wrong encoding entry %s %s", TraceExcerpt(codeToken).c_str(),
                         TraceExcerpt(nameToken).c_str());
            return eFailure;
        }
        mEncoding[code] = nameToken.substr(1);
        // "put", then the next "dup" or the closing "readonly"/"def"
        if (NextEncodingEntry(entry) != eSuccess)
            return eFailure;
    }
    return eSuccess;
}

OpStatus Type1Input::NextEncodingEntry(bool& outFound)
{
    std::string token;
    for (;;) {
        if (!NextToken(token)) {
            TraceMessage("Type1Input::ParseEncoding, the encoding has no end");
            return eFailure;
        }
        if (token == "dup" || token == "readonly" || token == "def") {
            outFound = token == "dup";
            return eSuccess;
        }
    }
}

void Type1Input::BuildReverseEncoding()
{
    mReverseEncoding.clear();
    mReverseEncoding.emplace("", 0);
    mReverseEncoding.emplace(".notdef", 0);
    for (int code = 0; code < 256; ++code) {
        std::string name = mEncodingType == eType1EncodingTypeCustom
                               ? mEncoding[code]
                               : std::string(StandardEncoding::GlyphName(static_cast<Byte>(code)));
        if (!name.empty())
            mReverseEncoding.emplace(name, static_cast<Byte>(code));
    }
}

OpStatus Type1Input::ReadIntegerList(std::vector<int>& outList)
{
    std::vector<double> values;
    OpStatus status = ReadRealList(values);
    outList.clear();
    for (double value : values)
        outList.push_back(value >= INT_MIN && value <= INT_MAX ? static_cast<int>(value) : 0);
    return status;
}

OpStatus Type1Input::ReadRealList(std::vector<double>& outList)
{
    outList.clear();
    std::string token;
    if (!NextToken(token))
        return eFailure;
    for (;;) {
        if (!NextToken(token))
            return eFailure;
        if (token == "]" || token == "}")
            return eSuccess;
        outList.push_back(ToDouble(token));
    }
}

OpStatus Type1Input::ParsePrivateDictionary()
{
    std::string token;
    int depth = 0;
    OpStatus status = eSuccess;
    Type1PrivateDictionary& dictionary = mPrivateDictionary;
    while (status == eSuccess && HasMoreTokens()) {
        if (!NextToken(token) || UpdateDepth(token, depth))
            continue;
        if (token == "end")
            break;
        int* integer = nullptr;
        for (const auto& entry : kPrivateIntegers) {
            if (token == entry.first)
                integer = &(dictionary.*entry.second);
        }
        if (integer) {
            if (NextToken(token))
                *integer = ToInt(token);
        } else if (token == "/BlueValues") {
            status = ReadIntegerList(dictionary.BlueValues);
        } else if (token == "/OtherBlues") {
            status = ReadIntegerList(dictionary.OtherBlues);
        } else if (token == "/FamilyBlues") {
            status = ReadIntegerList(dictionary.FamilyBlues);
        } else if (token == "/FamilyOtherBlues") {
            status = ReadIntegerList(dictionary.FamilyOtherBlues);
        } else if (token == "/StemSnapH") {
            status = ReadRealList(dictionary.StemSnapH);
        } else if (token == "/StemSnapV") {
            status = ReadRealList(dictionary.StemSnapV);
        } else if (token == "/BlueScale") {
            if (NextToken(token))
                dictionary.BlueScale = ToDouble(token);
        } else if (token == "/StdHW" || token == "/StdVW") {
            double& value = token == "/StdHW" ? dictionary.StdHW : dictionary.StdVW;
            if (NextToken(token) && NextToken(token)) {
                value = ToDouble(token);
                NextToken(token);
            }
        } else if (token == "/ForceBold") {
            if (NextToken(token))
                dictionary.ForceBold = token == "true";
        } else if (token == "/RndStemUp") {
            if (NextToken(token))
                dictionary.RndStemUp = token == "true";
        } else if (token == "/Subrs") {
            status = ParseSubrs();
        } else if (token == "/CharStrings") {
            status = ParseCharStrings();
        }
    }
    if (status != eSuccess)
        TraceMessage("Type1Input::ParsePrivateDictionary, failed to parse the Private dictionary");
    return status;
}

OpStatus Type1Input::ReadCharStringBytes(long inLength, Type1CharString& outCharString)
{
    if (inLength < 0 || inLength > kMaxCharStringLength) {
        TraceMessage("Type1Input::ReadCharStringBytes, wrong charstring length %ld", inLength);
        return eFailure;
    }
    outCharString.mCode.resize(static_cast<size_t>(inLength));
    size_t read = inLength > 0 ? mPFBStream.Read(outCharString.mCode.data(), outCharString.mCode.size()) : 0;
    if (read != outCharString.mCode.size()) {
        TraceMessage("Type1Input::ReadCharStringBytes, the font ends inside a charstring of %ld bytes", inLength);
        return eFailure;
    }
    return eSuccess;
}

OpStatus Type1Input::ParseSubrs()
{
    std::string token;
    if (!NextToken(token))
        return eFailure;
    long count = ToLong(token);
    if (count < 0 || count > kMaxSubrs) {
        TraceMessage("Type1Input::ParseSubrs, wrong subroutine count %ld", count);
        return eFailure;
    }
    mSubrs.clear();
    mSubrPresent.clear();
    if (count == 0)
        return eSuccess;
    do {
        if (!NextToken(token)) {
            TraceMessage("Type1Input::ParseSubrs, no subroutine found");
            return eFailure;
        }
    } while (token != "dup");

    for (long entry = 0; entry < count; ++entry) {
        std::string indexToken;
        std::string lengthToken;
        if (!NextToken(indexToken) || !NextToken(lengthToken) || !NextToken(token)) {
            TraceMessage("Type1Input::ParseSubrs, the font ends inside the subroutines");
            return eFailure;
        }
        long index = ToLong(indexToken);
        if (index < 0 || index >= count) {
            TraceMessage("Type1Input::ParseSubrs, subroutine index %ld is not below the count %ld", index, count);
            return eFailure;
        }
        Type1CharString program;
        if (ReadCharStringBytes(ToLong(lengthToken), program) != eSuccess)
            return eFailure;
        if (static_cast<size_t>(index) >= mSubrs.size()) {
            mSubrs.resize(static_cast<size_t>(index) + 1);
            mSubrPresent.resize(static_cast<size_t>(index) + 1, false);
        }
        mSubrs[static_cast<size_t>(index)] = std::move(program);
        mSubrPresent[static_cast<size_t>(index)] = true;
        if (entry + 1 == count)
            break;
        // The put procedure ("NP", "|" or "noaccess put"), then "dup" opens the next entry. A
        // font that declares more subroutines than it holds ends the list at anything else.
        for (;;) {
            if (!NextToken(token))
                return eSuccess;
            if (token == "dup")
                break;
            if (token != "NP" && token != "|" && token != "noaccess" && token != "put" && token != "readonly" &&
                token != "executeonly") {
                PushBackToken(token);
                return eSuccess;
            }
        }
    }
    return eSuccess;
}

OpStatus Type1Input::ParseCharStrings()
{
    std::string token;
    do {
        if (!NextToken(token)) {
            TraceMessage("Type1Input::ParseCharStrings, no glyph programs found");
            return eFailure;
        }
    } while (token != "begin");

    while (HasMoreTokens()) {
        if (!NextToken(token))
            continue;
        if (token == "end")
            return eSuccess;
        // The define procedure ("ND", "|-" or "noaccess def") after each program.
        if (!IsName(token))
            continue;
        std::string name = token.substr(1);
        std::string lengthToken;
        if (!NextToken(lengthToken) || !NextToken(token)) {
            TraceMessage("Type1Input::ParseCharStrings, the font ends inside the glyph programs");
            return eFailure;
        }
        Type1CharString program;
        if (ReadCharStringBytes(ToLong(lengthToken), program) != eSuccess)
            return eFailure;
        mCharStrings[name] = std::move(program);
    }
    return eSuccess;
}

std::string Type1Input::GlyphNameOfCharCode(Byte inCharCode)
{
    if (mEncodingType == eType1EncodingTypeStandardEncoding)
        return StandardEncoding::GlyphName(inCharCode);
    return mEncoding[inCharCode].empty() ? std::string(".notdef") : mEncoding[inCharCode];
}

bool Type1Input::CharCodeOfGlyphName(const std::string& inGlyphName, Byte& outCode) const
{
    auto it = mReverseEncoding.find(inGlyphName);
    if (it == mReverseEncoding.end())
        return false;
    outCode = it->second;
    return true;
}

const Type1CharString* Type1Input::GetGlyphCharString(const std::string& inGlyphName) const
{
    auto it = mCharStrings.find(inGlyphName);
    return it == mCharStrings.end() ? nullptr : &it->second;
}

OpStatus Type1Input::CalculateDependenciesForCharIndex(const std::string& inGlyphName,
                                                       CharString1Dependencies* ioDependenciesObject)
{
    const Type1CharString* program = GetGlyphCharString(inGlyphName);
    if (!program) {
        TraceMessage("Type1Input::CalculateDependenciesForCharIndex, Exception, cannot find glyph from name");
        return eFailure;
    }
    return RunGlyph(*program, ioDependenciesObject, nullptr);
}

std::optional<double> Type1Input::GlyphAdvance(const std::string& inGlyphName)
{
    const Type1CharString* program = GetGlyphCharString(inGlyphName);
    std::optional<double> advance;
    if (program && RunGlyph(*program, nullptr, &advance) != eSuccess)
        advance.reset();
    return advance;
}

OpStatus Type1Input::RunGlyph(const Type1CharString& inProgram, CharString1Dependencies* ioDependencies,
                              std::optional<double>* outAdvance)
{
    mCurrentDependencies = ioDependencies;
    mCurrentAdvance = outAdvance;
    Type1CharStringInterpreter interpreter;
    OpStatus status = interpreter.InterpretCharString(inProgram, this);
    mCurrentDependencies = nullptr;
    mCurrentAdvance = nullptr;
    return status;
}

int Type1Input::OnHsbw(Type1OperandStack& inOperandStack)
{
    if (mCurrentAdvance)
        *mCurrentAdvance = inOperandStack.back();
    return 0;
}

int Type1Input::OnSbw(Type1OperandStack& inOperandStack)
{
    if (mCurrentAdvance)
        *mCurrentAdvance = inOperandStack[inOperandStack.size() - 2];
    return 0;
}

const Type1CharString* Type1Input::GetLocalSubr(long inSubrIndex)
{
    if (inSubrIndex < 0 || static_cast<size_t>(inSubrIndex) >= mSubrs.size() ||
        !mSubrPresent[static_cast<size_t>(inSubrIndex)]) {
        TraceMessage("CharStringType1Tracer::GetLocalSubr exception, asked for %ld and there are only %ld count subrs",
                     inSubrIndex, static_cast<long>(mSubrs.size()));
        return nullptr;
    }
    if (mCurrentDependencies)
        mCurrentDependencies->mSubrs.insert(static_cast<uint16_t>(inSubrIndex));
    return &mSubrs[static_cast<size_t>(inSubrIndex)];
}

int Type1Input::OnSeac(Type1OperandStack& inOperandStack)
{
    if (!mCurrentDependencies)
        return 0;
    // The interpreter has checked that both codes are whole numbers.
    size_t size = inOperandStack.size();
    double accent = inOperandStack[size - 1];
    double base = inOperandStack[size - 2];
    if (accent < 0 || accent > 255 || base < 0 || base > 255)
        return -1;
    mCurrentDependencies->mCharCodes.insert(static_cast<Byte>(accent));
    mCurrentDependencies->mCharCodes.insert(static_cast<Byte>(base));
    return 0;
}

bool Type1Input::AcceptsOtherSubr(long inOtherSubrIndex)
{
    if (mCurrentDependencies && inOtherSubrIndex >= 0 && inOtherSubrIndex <= 0xFFFF)
        mCurrentDependencies->mOtherSubrs.insert(static_cast<uint16_t>(inOtherSubrIndex));
    return false;
}
