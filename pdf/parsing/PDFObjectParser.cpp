#include "pdf/parsing/PDFObjectParser.h"

#include "pdf/io/DiagnosticLog.h"
#include "pdf/io/NumberText.h"
#include "pdf/objects/PDFObjects.h"
#include "pdf/parsing/IPDFParserExtender.h"

#include <cstdint>
#include <cstring>

namespace {

// Compares with a keyword of known length, without a strlen.
template <size_t N>
bool Is(const std::string& inToken, const char (&inKeyword)[N])
{
    return inToken.size() == N - 1 && memcmp(inToken.data(), inKeyword, N - 1) == 0;
}

} // namespace

void PDFObjectParser::SetReadStream(IByteReader* inSourceStream, IReadPositionProvider* inCurrentPositionProvider,
                                    bool inSoleReader)
{
    mSource = inSourceStream;
    mPositionProvider = inCurrentPositionProvider;
    mTokenBuffer.clear();
    mTokenBufferHead = 0;
    mTokenReader.SetReadStream(inSourceStream, inSoleReader);
}

void PDFObjectParser::ResetReadState()
{
    mTokenBuffer.clear();
    mTokenBufferHead = 0;
    mTokenReader.ResetReadState();
}

bool PDFObjectParser::GetNextToken(std::string& outToken)
{
    if (mTokenBufferHead < mTokenBuffer.size()) {
        outToken = std::move(mTokenBuffer[mTokenBufferHead++]);
        if (mTokenBufferHead == mTokenBuffer.size()) {
            mTokenBuffer.clear();
            mTokenBufferHead = 0;
        }
        return true;
    }
    // Comments never reach the object grammar.
    for (;;) {
        if (!mTokenReader.ReadNextToken(outToken))
            return false;
        if (outToken[0] != '%')
            return true;
    }
}

void PDFObjectParser::ReturnTokenToBuffer(const std::string& inToken)
{
    mTokenBuffer.push_back(inToken);
}

void PDFObjectParser::PushFront(std::string inToken)
{
    if (mTokenBufferHead > 0)
        mTokenBuffer[--mTokenBufferHead] = std::move(inToken);
    else
        mTokenBuffer.insert(mTokenBuffer.begin(), std::move(inToken));
}

bool PDFObjectParser::IsNumber(const std::string& inToken)
{
    if (inToken.empty())
        return false;
    char first = inToken[0];
    if (!(first == '+' || first == '-' || first == '.' || (first >= '0' && first <= '9')))
        return false;
    if (inToken.size() == 1 && (first == '+' || first == '-'))
        return false;
    bool pointSeen = first == '.';
    for (size_t i = 1; i < inToken.size(); ++i) {
        char c = inToken[i];
        if (c == '.') {
            if (pointSeen)
                return false;
            pointSeen = true;
        } else if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

long long PDFObjectParser::StringToLongLong(const std::string& inText)
{
    long long value = 0;
    NumberText::ParseLongLong(inText, value);
    return value;
}

double PDFObjectParser::StringToDouble(const std::string& inText)
{
    double value = 0;
    NumberText::ParseDouble(inText, value);
    return value;
}

PDFObject* PDFObjectParser::ParseNextObject(IPDFParserExtender* inParserExtender)
{
    mExtender = inParserExtender;
    mNestingLimitHit = false;
    mObjectsBuilt = 0;
    return ParseObject(0);
}

PDFObject* PDFObjectParser::ParseObject(int inDepth)
{
    std::string token;
    if (!GetNextToken(token))
        return nullptr;
    return ParseObjectFrom(token, inDepth);
}

PDFObject* PDFObjectParser::ParseObjectFrom(const std::string& inToken, int inDepth)
{
    ++mObjectsBuilt;
    if (Is(inToken, "true") || Is(inToken, "false"))
        return new PDFBoolean(Is(inToken, "true"));
    if (inToken[0] == '(')
        return ParseLiteralString(inToken);
    if (inToken[0] == '<' && !Is(inToken, "<<"))
        return ParseHexadecimalString(inToken);
    if (Is(inToken, "null"))
        return new PDFNull();
    if (inToken[0] == '/')
        return ParseName(inToken);

    if (IsNumber(inToken)) {
        long long objectID = 0;
        if (inToken.find('.') != std::string::npos || !NumberText::ParseLongLong(inToken, objectID) || objectID < 0)
            return ParseNumber(inToken);

        // A whole number may start an indirect reference: "id gen R". The integer object is made
        // only when it is none. "0 0 R" is a reference too: no object has number 0, so it reads
        // as null, as one to any missing object does.
        std::string second;
        if (!GetNextToken(second))
            return new PDFInteger(objectID);
        long long generation = 0;
        if (!IsInteger(second) || !NumberText::ParseLongLong(second, generation) || generation < 0) {
            PushFront(std::move(second));
            return new PDFInteger(objectID);
        }
        std::string third;
        if (!GetNextToken(third)) {
            PushFront(std::move(second));
            return new PDFInteger(objectID);
        }
        // Numbers beyond 32 bits never name an object: no aliasing of 2^32 + 1 to object 1.
        if (Is(third, "R") && objectID <= static_cast<long long>(UINT32_MAX) &&
            generation <= static_cast<long long>(UINT32_MAX))
            return new PDFIndirectObjectReference(static_cast<uint32_t>(objectID), static_cast<uint32_t>(generation));
        PushFront(std::move(third));
        PushFront(std::move(second));
        return new PDFInteger(objectID);
    }

    if (Is(inToken, "[") || Is(inToken, "<<")) {
        if (inDepth >= kMaxNestingDepth) {
            if (!mNestingLimitHit)
                TraceMessage("PDFObjectParser::ParseNextObject, arrays and dictionaries nested deeper than %d levels",
                             kMaxNestingDepth);
            mNestingLimitHit = true;
            return nullptr;
        }
        return Is(inToken, "[") ? ParseArray(inDepth + 1) : ParseDictionary(inDepth + 1);
    }

    return new PDFSymbol(inToken);
}

PDFObject* PDFObjectParser::NullForStrayToken(const std::string& inToken)
{
    ++mObjectsBuilt;
    TraceNote("PDFObjectParser::ParseNextObject, a %s where a value belongs is read as null", inToken.c_str());
    return new PDFNull();
}

PDFObject* PDFObjectParser::ParseNumber(const std::string& inToken)
{
    if (inToken.find('.') != std::string::npos)
        return new PDFReal(StringToDouble(inToken));
    long long value = 0;
    if (NumberText::ParseLongLong(inToken, value))
        return new PDFInteger(value);
    // Too large for 64 bits: kept as the real it stands for.
    return new PDFReal(StringToDouble(inToken));
}

PDFObject* PDFObjectParser::ParseLiteralString(const std::string& inToken)
{
    if (inToken.size() < 2 || inToken.back() != ')') {
        TraceMessage("PDFObjectParser::ParseLiteralString, exception in parsing literal string, no closing paranthesis, Expression: %s",
                     TraceExcerpt(inToken).c_str());
        return nullptr;
    }
    std::string value;
    value.reserve(inToken.size() - 2);
    size_t end = inToken.size() - 1;
    for (size_t i = 1; i < end; ++i) {
        char c = inToken[i];
        if (c != '\\') {
            value.push_back(c);
            continue;
        }
        if (++i >= end)
            break;
        c = inToken[i];
        switch (c) {
        case 'n': value.push_back('\n'); break;
        case 'r': value.push_back('\r'); break;
        case 't': value.push_back('\t'); break;
        case 'b': value.push_back('\b'); break;
        case 'f': value.push_back('\f'); break;
        case '(':
        case ')':
        case '\\': value.push_back(c); break;
        default:
            if (c >= '0' && c <= '7') {
                unsigned int octal = static_cast<unsigned int>(c - '0');
                for (int digits = 1; digits < 3 && i + 1 < end && inToken[i + 1] >= '0' && inToken[i + 1] <= '7'; ++digits)
                    octal = octal * 8 + static_cast<unsigned int>(inToken[++i] - '0');
                value.push_back(static_cast<char>(octal & 0xFF));
            } else {
                value.push_back(c);
            }
            break;
        }
    }
    if (mExtender)
        value = mExtender->DecryptString(value);
    return new PDFLiteralString(value);
}

PDFObject* PDFObjectParser::ParseHexadecimalString(const std::string& inToken)
{
    if (inToken.size() < 2 || inToken.back() != '>') {
        TraceMessage("PDFObjectParser::ParseHexadecimalString, exception in parsing hexadecimal string, no closing angle, Expression: %s",
                     TraceExcerpt(inToken).c_str());
        return nullptr;
    }
    std::string value = inToken.substr(1, inToken.size() - 2);
    if (mExtender)
        value = mExtender->DecryptString(value);
    return new PDFHexString(value);
}

bool PDFObjectParser::GetHexValue(Byte inByte, Byte& outValue)
{
    if (inByte >= '0' && inByte <= '9')
        outValue = static_cast<Byte>(inByte - '0');
    else if (inByte >= 'A' && inByte <= 'F')
        outValue = static_cast<Byte>(inByte - 'A' + 10);
    else if (inByte >= 'a' && inByte <= 'f')
        outValue = static_cast<Byte>(inByte - 'a' + 10);
    else {
        TraceMessage("PDFObjectParser::GetHexValue, unrecongnized hex value - %c", inByte);
        return false;
    }
    return true;
}

namespace {

bool IsHexDigit(char inCharacter)
{
    return (inCharacter >= '0' && inCharacter <= '9') || (inCharacter >= 'A' && inCharacter <= 'F') ||
           (inCharacter >= 'a' && inCharacter <= 'f');
}

} // namespace

PDFObject* PDFObjectParser::ParseName(const std::string& inToken)
{
    // Most names hold no escape.
    if (inToken.find('#', 1) == std::string::npos)
        return new PDFName(inToken.substr(1));
    std::string value;
    value.reserve(inToken.size());
    for (size_t i = 1; i < inToken.size(); ++i) {
        if (inToken[i] != '#') {
            value.push_back(inToken[i]);
            continue;
        }
        Byte high = 0, low = 0;
        if (i + 2 >= inToken.size() || !IsHexDigit(inToken[i + 1]) || !IsHexDigit(inToken[i + 2])) {
            // Before PDF 1.2 "#" was an ordinary character, and some writers still leave one
            // without digits: it stands for itself, as readers take it, rather than making the
            // whole object (a page's resources, say) unreadable.
            TraceMessage("PDFObjectParser::ParseName, a # without two hex digits stands for itself. token = %s",
                         TraceExcerpt(inToken).c_str());
            value.push_back('#');
            continue;
        }
        GetHexValue(static_cast<Byte>(inToken[i + 1]), high);
        GetHexValue(static_cast<Byte>(inToken[i + 2]), low);
        value.push_back(static_cast<char>((high << 4) | low));
        i += 2;
    }
    return new PDFName(value);
}

PDFObject* PDFObjectParser::ParseArray(int inDepth)
{
    // Held, as are its elements until they are in it: memory that runs out while the array grows
    // throws, and what was read so far goes with the holders.
    RefCountPtr<PDFArray> array(new PDFArray());
    std::string token;
    bool ended = false;
    while (GetNextToken(token)) {
        if (Is(token, "]")) {
            ended = true;
            break;
        }
        // A ">>" where an element belongs closes nothing here: a null, as readers take it.
        RefCountPtr<PDFObject> element(Is(token, ">>") ? NullForStrayToken(token) : ParseObjectFrom(token, inDepth));
        if (!element) {
            if (!mNestingLimitHit)
                TraceMessage("PDFObjectParser::ParseArray, failure to parse array, failed to parse a member object. token = %s",
                             TraceExcerpt(token).c_str());
            GetNextToken(token);
            break;
        }
        array->AppendObject(element.GetPtr());
    }
    if (ended)
        return array.Detach();
    if (!mNestingLimitHit)
        TraceMessage("PDFObjectParser::ParseArray, failure to parse array, didn't find end of array or failure to parse array member object. token = %s",
                     TraceExcerpt(token).c_str());
    return nullptr;
}

PDFObject* PDFObjectParser::ParseDictionary(int inDepth)
{
    // Held as the array is, with its key and value until they are in it.
    RefCountPtr<PDFDictionary> dictionary(new PDFDictionary());
    std::string token;
    bool ended = false;
    while (GetNextToken(token)) {
        if (Is(token, ">>")) {
            ended = true;
            break;
        }
        if (mKeptKeys && inDepth == 1 && token[0] == '/' && !IsKeptKey(token)) {
            if (!SkipValue(inDepth))
                break;
            continue;
        }
        RefCountPtr<PDFObject> keyObject(ParseObjectFrom(token, inDepth));
        if (!keyObject || keyObject->GetType() != PDFObject::ePDFObjectName) {
            if (!mNestingLimitHit)
                TraceMessage("PDFObjectParser::ParseDictionary, failure to parse key for a dictionary. token = %s",
                             TraceExcerpt(token).c_str());
            break;
        }
        PDFName* key = static_cast<PDFName*>(keyObject.GetPtr());
        // A key given twice (real producers write such dictionaries): the last value counts, as
        // readers take it.
        if (dictionary->ContainsKey(key->GetValue()))
            TraceNote("PDFObjectParser::ParseDictionary, key %s appears twice in a dictionary, the last value counts",
                      TraceExcerpt(key->GetValue()).c_str());
        // A "]" where the value belongs is a null, as readers take it; so is a ">>", which still
        // ends the dictionary.
        RefCountPtr<PDFObject> value;
        std::string valueToken;
        if (GetNextToken(valueToken)) {
            if (Is(valueToken, "]") || Is(valueToken, ">>")) {
                value = NullForStrayToken(valueToken);
                if (Is(valueToken, ">>"))
                    PushFront(std::move(valueToken));
            } else {
                value = ParseObjectFrom(valueToken, inDepth);
            }
        }
        if (!value) {
            if (!mNestingLimitHit)
                TraceMessage("PDFObjectParser::ParseDictionary, failure to parse value for a dictionary. token = %s",
                             TraceExcerpt(token).c_str());
            break;
        }
        dictionary->Replace(key, value.GetPtr());
        bool last = mKeptKeys && inDepth == 1 && value->GetType() == PDFObject::ePDFObjectName &&
                    key->GetValue() == mKeptKeys->endKey &&
                    static_cast<PDFName*>(value.GetPtr())->GetValue() == mKeptKeys->endName;
        if (last)
            return dictionary.Detach();
    }
    if (!ended) {
        if (!mNestingLimitHit)
            TraceMessage("PDFObjectParser::ParseDictionary, failure to parse dictionary, didn't find end of array or failure to parse dictionary member object. token = %s",
                         TraceExcerpt(token).c_str());
        return nullptr;
    }

    // A dictionary followed by "stream" is a stream's dictionary; its data starts right here.
    if (!GetNextToken(token))
        return dictionary.Detach();
    if (!Is(token, "stream")) {
        PushFront(token);
        return dictionary.Detach();
    }
    long long position = mPositionProvider ? mPositionProvider->TellPosition() : mTokenReader.GetReadPosition();
    // A byte read after a lone CR and put back belongs to the data.
    if (mTokenReader.HasPutBackByte())
        --position;
    return new PDFStreamInput(dictionary.GetPtr(), position);
}

bool PDFObjectParser::IsKeptKey(const std::string& inKeyToken) const
{
    for (const std::string& key : mKeptKeys->keys) {
        if (inKeyToken.size() == key.size() + 1 && inKeyToken.compare(1, std::string::npos, key) == 0)
            return true;
    }
    // Kept keys are plain names; a key written with # escapes is parsed and compared whole.
    return inKeyToken.find('#') != std::string::npos;
}

bool PDFObjectParser::SkipValue(int inDepth)
{
    // A value is one token, an array or dictionary up to its matching end, or "id gen R": it ends
    // where the next key (a name) or the end of the dictionary stands outside any nesting.
    if (mTokenBufferHead >= mTokenBuffer.size()) {
        // Nothing waits in the queue: the value's bytes are passed over without making tokens.
        switch (mTokenReader.SkipDictionaryValue(kMaxNestingDepth - inDepth)) {
        case PDFTokenReader::ValueEnd::eBeforeNext:
            return true;
        case PDFTokenReader::ValueEnd::eDictionaryClosed:
            PushFront(">>");
            return true;
        case PDFTokenReader::ValueEnd::eTooDeep:
            TraceMessage("PDFObjectParser::ParseNextObject, arrays and dictionaries nested deeper than %d levels",
                         kMaxNestingDepth);
            mNestingLimitHit = true;
            return false;
        case PDFTokenReader::ValueEnd::eEnded:
            return false;
        }
    }
    std::string token;
    PDFTokenReader::OpenNesting open;
    bool first = true;
    while (GetNextToken(token)) {
        bool opens = Is(token, "[") || Is(token, "<<");
        bool closes = Is(token, "]") || Is(token, ">>");
        // A "]" as the value stands for a null; a later one, or a key without a value, ends the
        // skipping as well, and the dictionary reads on.
        if (open.Depth() == 0 && !(first && Is(token, "]")) && (closes || (!first && token[0] == '/'))) {
            PushFront(std::move(token));
            return true;
        }
        first = false;
        if (opens) {
            if (inDepth + open.Depth() >= kMaxNestingDepth) {
                TraceMessage("PDFObjectParser::ParseNextObject, arrays and dictionaries nested deeper than %d levels",
                             kMaxNestingDepth);
                mNestingLimitHit = true;
                return false;
            }
            if (mTokenBufferHead < mTokenBuffer.size()) {
                open.Open(Is(token, "["), kMaxNestingDepth);
                continue;
            }
            // Nothing waits in the queue: the bytes up to the matching end are passed over
            // without making tokens of them.
            PDFTokenReader::SkipResult skipped =
                mTokenReader.SkipToClose(Is(token, "["), kMaxNestingDepth - inDepth - open.Depth());
            if (skipped == PDFTokenReader::SkipResult::eTooDeep) {
                TraceMessage("PDFObjectParser::ParseNextObject, arrays and dictionaries nested deeper than %d levels",
                             kMaxNestingDepth);
                mNestingLimitHit = true;
            }
            if (skipped != PDFTokenReader::SkipResult::eClosed)
                return false;
        } else if (closes) {
            // One of the other kind than the innermost level is a null inside it.
            open.Close(Is(token, "]"));
        }
        // Outside any nesting what follows up to the next delimiter is numbers and keywords
        // ("0 R"): passed over without making tokens of them.
        if (open.Depth() == 0 && mTokenBufferHead >= mTokenBuffer.size())
            mTokenReader.SkipPlainTokens();
    }
    return false;
}
