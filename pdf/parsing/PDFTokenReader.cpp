#include "pdf/parsing/PDFTokenReader.h"

#include "pdf/io/DiagnosticLog.h"

void PDFTokenReader::SetReadStream(IByteReader* inSourceStream)
{
    mSource = inSourceStream;
    ResetReadState();
}

void PDFTokenReader::ResetReadState()
{
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

int PDFTokenReader::GetNextByteForToken(Byte& outByte)
{
    if (mHasPutBackByte) {
        mHasPutBackByte = false;
        outByte = mPutBackByte;
        ++mReadPosition;
        return 0;
    }
    if (!mSource || mSource->Read(&outByte, 1) != 1)
        return -1;
    ++mReadPosition;
    return 0;
}

void PDFTokenReader::SkipTillToken()
{
    Byte byte;
    while (GetNextByteForToken(byte) == 0) {
        if (!IsPDFWhitespace(byte)) {
            PutBack(byte);
            return;
        }
    }
}

BoolAndString PDFTokenReader::ReadNextToken()
{
    BoolAndString result(false, std::string());
    if (!mHasPutBackByte && (!mSource || !mSource->HasMoreBytes()))
        return result;

    SkipTillToken();
    mTokenStart = mReadPosition;
    Byte byte;
    if (GetNextByteForToken(byte) != 0)
        return result;

    std::string& token = result.second;
    token.push_back(static_cast<char>(byte));
    switch (byte) {
    case '%':
        ReadComment(token);
        result.first = true;
        break;
    case '(':
        result.first = ReadLiteralString(token);
        break;
    case '<':
        if (GetNextByteForToken(byte) != 0) {
            result.first = true;
        } else if (byte == '<') {
            token.push_back('<');
            result.first = true;
        } else {
            PutBack(byte);
            result.first = ReadHexString(token);
        }
        break;
    case '>':
        if (GetNextByteForToken(byte) == 0) {
            if (byte == '>')
                token.push_back('>');
            else
                PutBack(byte);
        }
        result.first = true;
        break;
    case '[':
    case ']':
    case '{':
    case '}':
        result.first = true;
        break;
    default:
        result.first = ReadRegularToken(token);
        break;
    }
    return result;
}

void PDFTokenReader::ReadComment(std::string& ioToken)
{
    // A comment runs to the line end; text past the length cap is consumed but not kept.
    Byte byte;
    while (GetNextByteForToken(byte) == 0) {
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
    while (depth > 0 && GetNextByteForToken(byte) == 0) {
        if (ioToken.size() >= kMaxTokenLength) {
            TraceMessage("PDFTokenReader::ReadNextToken, literal string longer than %lld bytes",
                         static_cast<long long>(kMaxTokenLength));
            return false;
        }
        if (byte == '\\') {
            Byte next;
            if (GetNextByteForToken(next) != 0) {
                ioToken.push_back('\\');
                break;
            }
            if (next == '\n')
                continue;
            if (next == '\r') {
                Byte afterCR;
                if (GetNextByteForToken(afterCR) == 0 && afterCR != '\n')
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
    while (GetNextByteForToken(byte) == 0) {
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
    while (GetNextByteForToken(byte) == 0) {
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
            if (GetNextByteForToken(next) == 0 && next != '\n')
                PutBack(next);
            return true;
        }
        return endingByte == '\n';
    }
    return true;
}
