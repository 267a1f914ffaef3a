#include "pdf/parsing/PDFTokenReader.h"

#include "pdf/io/DiagnosticLog.h"

void PDFTokenReader::SetReadStream(IByteReader* inSourceStream)
{
    ReleaseWindow();
    mSource = inSourceStream;
    mWindowSource = dynamic_cast<IByteReaderWindow*>(inSourceStream);
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
    return inByte == 0x00 || inByte == 0x09 || inByte == 0x0A || inByte == 0x0C || inByte == 0x0D || inByte == 0x20;
}

bool PDFTokenReader::IsPDFDelimiter(Byte inByte)
{
    return inByte == '(' || inByte == ')' || inByte == '<' || inByte == '>' || inByte == '[' || inByte == ']' ||
           inByte == '{' || inByte == '}' || inByte == '/' || inByte == '%';
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
    ReleaseWindow();
    return got ? 0 : -1;
}

void PDFTokenReader::SkipWhitespace()
{
    Byte byte;
    while (NextByte(byte)) {
        if (!IsPDFWhitespace(byte)) {
            PutBack(byte);
            return;
        }
    }
}

void PDFTokenReader::SkipTillToken()
{
    SkipWhitespace();
    ReleaseWindow();
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
    ReleaseWindow();
    return found;
}

bool PDFTokenReader::ReadToken(std::string& token)
{
    if (!mHasPutBackByte && (!mSource || !mSource->HasMoreBytes()))
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
    while (NextByte(byte)) {
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

    // The data of a stream begins right after "stream" and its line end (CR LF, LF or CR).
    if (hasEndingByte && ioToken == "stream") {
        if (endingByte == '\r') {
            Byte next;
            if (NextByte(next) && next != '\n')
                PutBack(next);
            return true;
        }
        return endingByte == '\n';
    }
    return true;
}
