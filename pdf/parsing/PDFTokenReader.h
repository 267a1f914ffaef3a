#pragma once
// Cuts a byte source into PDF tokens, reading forward only. The source is borrowed; whoever
// seeks it must call ResetReadState (or SetReadStream) afterwards, since one byte may wait in the
// put-back slot. A token that would grow past kMaxTokenLength ends the read with "not found".

#include "pdf/io/IByteReader.h"

#include <string>
#include <utility>

// Found flag and token text.
typedef std::pair<bool, std::string> BoolAndString;

class PDFTokenReader {
public:
    // Strings and hex strings longer than this are refused; decoded object streams could
    // otherwise grow one token without bound.
    static constexpr size_t kMaxTokenLength = 64 * 1024 * 1024;

    PDFTokenReader() = default;

    void SetReadStream(IByteReader* inSourceStream);
    // Empties the put-back slot and zeroes the positions; the source stays.
    void ResetReadState();

    BoolAndString ReadNextToken();
    // Takes bytes while they are whitespace; the first other byte goes to the put-back slot.
    void SkipTillToken();
    // 0 with the next byte (the put-back byte first), or -1 when the source has nothing more.
    int GetNextByteForToken(Byte& outByte);

    // Bytes taken since the reader was set up, less a byte waiting in the put-back slot.
    long long GetReadPosition() const { return mReadPosition; }
    // Read position before the first byte of the last token.
    long long GetCurrentTokenStart() const { return mTokenStart; }
    bool HasPutBackByte() const { return mHasPutBackByte; }

    static bool IsPDFWhitespace(Byte inByte);
    static bool IsPDFDelimiter(Byte inByte);

private:
    void PutBack(Byte inByte);
    bool ReadLiteralString(std::string& ioToken);
    bool ReadHexString(std::string& ioToken);
    void ReadComment(std::string& ioToken);
    bool ReadRegularToken(std::string& ioToken);

    IByteReader* mSource = nullptr;
    bool mHasPutBackByte = false;
    Byte mPutBackByte = 0;
    long long mReadPosition = 0;
    long long mTokenStart = 0;
};
