#include "pdf/parsing/PDFTokenReader.h"

#include "pdf/io/DiagnosticLog.h"

#include <cstring>

namespace {

// Byte classes: most bytes are read through runs of one class, so the class is one table look-up.
enum : unsigned char { kRegular = 0, kWhitespace = 1, kDelimiter = 2 };

struct ByteClasses {
    unsigned char of[256] = {};
    // For each set of classes (a mask of 1 << class), 1 for the bytes of those classes.
    unsigned char in[8][256] = {};
    constexpr ByteClasses()
    {
        for (unsigned char c : {0x00, 0x09, 0x0A, 0x0C, 0x0D, 0x20})
            of[c] = kWhitespace;
        for (unsigned char c : {'(', ')', '<', '>', '[', ']', '{', '}', '/', '%'})
            of[c] = kDelimiter;
        for (int mask = 0; mask < 8; ++mask)
            for (int c = 0; c < 256; ++c)
                in[mask][c] = (mask >> of[c]) & 1;
    }
};

constexpr ByteClasses kClasses;

// Inside an array or dictionary being passed over, only these bytes mean anything: nesting,
// strings, hexadecimal strings and comments. 1 for every other byte.
struct NestingBytes {
    unsigned char passed[256] = {};
    constexpr NestingBytes()
    {
        for (int c = 0; c < 256; ++c)
            passed[c] = 1;
        for (unsigned char c : {'[', ']', '<', '>', '(', '%'})
            passed[c] = 0;
    }
};

constexpr NestingBytes kNesting;

} // namespace

const unsigned char (*const PDFTokenReader::sClassSets)[256] = kClasses.in;

void PDFTokenReader::SetReadStream(IByteReader* inSourceStream, bool inSoleReader)
{
    ReleaseWindow();
    mSource = inSourceStream;
    mWindowSource = dynamic_cast<IByteReaderWindow*>(inSourceStream);
    mSoleReader = inSoleReader;
    ResetReadState();
}

void PDFTokenReader::ResetReadState()
{
    // The owner seeked the source: bytes taken but not yet marked read are forgotten with the window.
    mWindow = nullptr;
    mWindowSize = mWindowTaken = 0;
    mHasPutBackByte = false;
    mPutBackByte = 0;
    mReadPosition = 0;
    mTokenStart = 0;
}

bool PDFTokenReader::IsPDFWhitespace(Byte inByte)
{
    return kClasses.of[inByte] == kWhitespace;
}

bool PDFTokenReader::IsPDFDelimiter(Byte inByte)
{
    return kClasses.of[inByte] == kDelimiter;
}

void PDFTokenReader::PutBack(Byte inByte)
{
    mHasPutBackByte = true;
    mPutBackByte = inByte;
    --mReadPosition;
}

bool PDFTokenReader::NextByteFromSource(Byte& outByte)
{
    if (mWindowSource) {
        ReleaseWindow();
        mWindow = mWindowSource->ReadWindow(mWindowSize);
        if (mWindowSize == 0) {
            mWindow = nullptr;
            return false;
        }
        outByte = mWindow[mWindowTaken++];
        ++mReadPosition;
        return true;
    }
    if (!mSource || mSource->Read(&outByte, 1) != 1)
        return false;
    ++mReadPosition;
    return true;
}

void PDFTokenReader::ReleaseWindow()
{
    if (mWindowSource && mWindowTaken > 0)
        mWindowSource->ConsumeWindow(mWindowTaken);
    mWindow = nullptr;
    mWindowSize = mWindowTaken = 0;
}

int PDFTokenReader::GetNextByteForToken(Byte& outByte)
{
    bool got = NextByte(outByte);
    EndCall();
    return got ? 0 : -1;
}

void PDFTokenReader::SkipWhitespace()
{
    Byte byte;
    for (;;) {
        TakeRunFromWindow(1u << kWhitespace, mWindowSize);
        if (!NextByte(byte))
            return;
        if (!IsPDFWhitespace(byte)) {
            PutBack(byte);
            return;
        }
    }
}

void PDFTokenReader::SkipTillToken()
{
    SkipWhitespace();
    EndCall();
}

PDFTokenReader::SkipResult PDFTokenReader::SkipToClose(bool inArray, int inMaxOpen)
{
    SkipResult result = SkipNested(inArray, inMaxOpen);
    EndCall();
    return result;
}

void PDFTokenReader::SkipPlainTokens()
{
    if (!mWindowSource)
        return;
    for (;;) {
        if (mHasPutBackByte) {
            if (IsPDFDelimiter(mPutBackByte))
                break;
            mHasPutBackByte = false;
            ++mReadPosition;
            continue;
        }
        if (mWindowTaken >= mWindowSize) {
            ReleaseWindow();
            mWindow = mWindowSource->ReadWindow(mWindowSize);
            if (mWindowSize == 0)
                break;
        }
        TakeRunFromWindow(1u << kRegular | 1u << kWhitespace, mWindowSize);
        if (mWindowTaken < mWindowSize)
            break;
    }
    EndCall();
}

bool PDFTokenReader::PassLiteralString()
{
    // The opening parenthesis was read; nested pairs count, a backslash escapes the next byte.
    long long depth = 1;
    Byte byte;
    while (depth > 0) {
        if (!NextByte(byte))
            return false;
        if (byte == '\\') {
            if (!NextByte(byte))
                return false;
        } else if (byte == '(') {
            ++depth;
        } else if (byte == ')') {
            --depth;
        }
    }
    return true;
}

bool PDFTokenReader::PassUntil(Byte inLast, Byte inOtherLast)
{
    Byte byte;
    do {
        if (!NextByte(byte))
            return false;
    } while (byte != inLast && byte != inOtherLast);
    return true;
}

PDFTokenReader::SkipResult PDFTokenReader::SkipNested(bool inArray, int inMaxOpen)
{
    OpenNesting open;
    if (!open.Open(inArray, inMaxOpen))
        return SkipResult::eTooDeep;
    Byte byte;
    for (;;) {
        // Names, numbers and keywords between the delimiters count for nothing here.
        TakeRunWhile(kNesting.passed, mWindowSize);
        if (!NextByte(byte))
            return SkipResult::eEnded;
        switch (byte) {
        case '[':
            if (!open.Open(true, inMaxOpen))
                return SkipResult::eTooDeep;
            break;
        case ']':
            if (open.Close(true) && open.Depth() == 0)
                return SkipResult::eClosed;
            break;
        case '<':
            if (!NextByte(byte))
                return SkipResult::eEnded;
            if (byte == '<') {
                if (!open.Open(false, inMaxOpen))
                    return SkipResult::eTooDeep;
                break;
            }
            // A hexadecimal string runs to the first '>'.
            if (byte != '>' && !PassUntil('>', '>'))
                return SkipResult::eEnded;
            break;
        case '>':
            if (!NextByte(byte))
                return SkipResult::eEnded;
            if (byte != '>')
                PutBack(byte);
            else if (open.Close(false) && open.Depth() == 0)
                return SkipResult::eClosed;
            break;
        case '(':
            if (!PassLiteralString())
                return SkipResult::eEnded;
            break;
        case '%':
            if (!PassUntil('\r', '\n'))
                return SkipResult::eEnded;
            break;
        default:
            break;
        }
    }
}

PDFTokenReader::ValueEnd PDFTokenReader::SkipDictionaryValue(int inMaxOpen)
{
    ValueEnd end = PassDictionaryValue(inMaxOpen);
    EndCall();
    return end;
}

PDFTokenReader::ValueEnd PDFTokenReader::PassDictionaryValue(int inMaxOpen)
{
    // Token by token as ReadNextToken cuts them, none kept: the value is its first token (a name
    // included) and whatever follows up to the next name or closing token. Once the first token
    // has begun, the bytes of numbers and keywords and the whitespace between them go in runs.
    bool first = true;
    Byte byte;
    for (;;) {
        TakeRunFromWindow(first ? 1u << kWhitespace : 1u << kRegular | 1u << kWhitespace, mWindowSize);
        if (!NextByte(byte))
            return ValueEnd::eEnded;
        const unsigned char kind = kClasses.of[byte];
        if (kind == kWhitespace || (kind == kRegular && !first))
            continue;
        if (byte == '%') {
            // A comment is no token; one that runs to the end leaves nothing to read.
            PassUntil('\r', '\n');
            continue;
        }
        if (byte == ']' && first) {
            // Stands where the value belongs: the object parser reads a null.
            first = false;
            continue;
        }
        if ((byte == '/' && !first) || byte == ']') {
            PutBack(byte);
            return ValueEnd::eBeforeNext;
        }
        first = false;
        switch (byte) {
        case '>': {
            Byte next;
            if (!NextByte(next))
                return ValueEnd::eEnded;
            if (next == '>')
                return ValueEnd::eDictionaryClosed;
            PutBack(next); // a lone '>' is a token of its own
            break;
        }
        case '<': {
            Byte next;
            if (!NextByte(next))
                return ValueEnd::eEnded;
            if (next != '<') {
                if (next != '>' && !PassUntil('>', '>'))
                    return ValueEnd::eEnded;
                break;
            }
        }
            // "<<" opens a dictionary, as '[' an array.
            [[fallthrough]];
        case '[': {
            SkipResult nested = SkipNested(byte == '[', inMaxOpen);
            if (nested != SkipResult::eClosed)
                return nested == SkipResult::eTooDeep ? ValueEnd::eTooDeep : ValueEnd::eEnded;
            break;
        }
        case '(':
            if (!PassLiteralString())
                return ValueEnd::eEnded;
            break;
        default:
            // The first token: a name given as the value, a number or keyword, or a token that
            // '{', '}' or a stray ')' begins; its other bytes go with the next run.
            break;
        }
    }
}

BoolAndString PDFTokenReader::ReadNextToken()
{
    BoolAndString result(false, std::string());
    result.first = ReadNextToken(result.second);
    return result;
}

bool PDFTokenReader::ReadNextToken(std::string& outToken)
{
    outToken.clear();
    bool found = ReadToken(outToken);
    EndCall();
    return found;
}

bool PDFTokenReader::ReadToken(std::string& token)
{
    if (!mHasPutBackByte && mWindowTaken >= mWindowSize && (!mSource || !mSource->HasMoreBytes()))
        return false;

    SkipWhitespace();
    mTokenStart = mReadPosition;
    Byte byte;
    if (!NextByte(byte))
        return false;

    bool found = false;
    token.push_back(static_cast<char>(byte));
    switch (byte) {
    case '%':
        ReadComment(token);
        found = true;
        break;
    case '(':
        found = ReadLiteralString(token);
        break;
    case '<':
        if (!NextByte(byte)) {
            found = true;
        } else if (byte == '<') {
            token.push_back('<');
            found = true;
        } else {
            PutBack(byte);
            found = ReadHexString(token);
        }
        break;
    case '>':
        if (NextByte(byte)) {
            if (byte == '>')
                token.push_back('>');
            else
                PutBack(byte);
        }
        found = true;
        break;
    case '[':
    case ']':
    case '{':
    case '}':
        found = true;
        break;
    default:
        found = ReadRegularToken(token);
        break;
    }
    return found;
}

void PDFTokenReader::ReadComment(std::string& ioToken)
{
    // A comment runs to the line end; text past the length cap is consumed but not kept.
    Byte byte;
    while (NextByte(byte)) {
        if (byte == '\r' || byte == '\n')
            break;
        if (ioToken.size() < kMaxTokenLength)
            ioToken.push_back(static_cast<char>(byte));
    }
}

bool PDFTokenReader::ReadLiteralString(std::string& ioToken)
{
    long long depth = 1;
    Byte byte;
    while (depth > 0 && NextByte(byte)) {
        if (ioToken.size() >= kMaxTokenLength) {
            TraceMessage("PDFTokenReader::ReadNextToken, literal string longer than %lld bytes",
                         static_cast<long long>(kMaxTokenLength));
            return false;
        }
        if (byte == '\\') {
            Byte next;
            if (!NextByte(next)) {
                ioToken.push_back('\\');
                break;
            }
            if (next == '\n')
                continue;
            if (next == '\r') {
                Byte afterCR;
                if (NextByte(afterCR) && afterCR != '\n')
                    PutBack(afterCR);
                continue;
            }
            ioToken.push_back('\\');
            ioToken.push_back(static_cast<char>(next));
            continue;
        }
        if (byte == '(')
            ++depth;
        else if (byte == ')')
            --depth;
        ioToken.push_back(static_cast<char>(byte));
    }
    return true;
}

bool PDFTokenReader::ReadHexString(std::string& ioToken)
{
    Byte byte;
    while (NextByte(byte)) {
        if (IsPDFWhitespace(byte))
            continue;
        if (ioToken.size() >= kMaxTokenLength) {
            TraceMessage("PDFTokenReader::ReadNextToken, hexadecimal string longer than %lld bytes",
                         static_cast<long long>(kMaxTokenLength));
            return false;
        }
        ioToken.push_back(static_cast<char>(byte));
        if (byte == '>')
            break;
    }
    return true;
}

bool PDFTokenReader::ReadRegularToken(std::string& ioToken)
{
    bool hasEndingByte = false;
    Byte endingByte = 0;
    Byte byte;
    for (;;) {
        const Byte* run = mWindow + mWindowTaken;
        size_t limit = ioToken.size() < kMaxTokenLength ? kMaxTokenLength - ioToken.size() : 0;
        if (size_t taken = TakeRunFromWindow(1u << kRegular, limit))
            ioToken.append(reinterpret_cast<const char*>(run), taken);
        if (!NextByte(byte))
            break;
        if (IsPDFWhitespace(byte)) {
            hasEndingByte = true;
            endingByte = byte;
            break;
        }
        if (IsPDFDelimiter(byte)) {
            hasEndingByte = true;
            endingByte = byte;
            PutBack(byte);
            break;
        }
        if (ioToken.size() >= kMaxTokenLength) {
            TraceMessage("PDFTokenReader::ReadNextToken, token longer than %lld bytes",
                         static_cast<long long>(kMaxTokenLength));
            return false;
        }
        ioToken.push_back(static_cast<char>(byte));
    }

    if (hasEndingByte && ioToken.size() == 6 && memcmp(ioToken.data(), "stream", 6) == 0)
        return PassStreamLineEnd(endingByte);
    return true;
}

bool PDFTokenReader::PassStreamLineEnd(Byte inEndingByte)
{
    // The data of a stream begins right after "stream" and its line end (CR LF, LF or CR). Some
    // writers put blanks or tabs before the line end; readers take the data after it all the same.
    Byte byte = inEndingByte;
    bool afterBlanks = false;
    while (byte == ' ' || byte == '\t') {
        if (!NextByte(byte))
            return false;
        afterBlanks = true;
    }
    if (byte == '\r') {
        Byte next;
        if (NextByte(next) && next != '\n')
            PutBack(next);
        return true;
    }
    if (byte == '\n')
        return true;
    // No line end: not the keyword that begins a stream's data. The byte after the blanks stays.
    if (afterBlanks)
        PutBack(byte);
    return false;
}
