#pragma once
// Cuts a byte source into PDF tokens, reading forward only. The source is borrowed; whoever
// seeks it must call ResetReadState (or SetReadStream) afterwards, since one byte may wait in the
// put-back slot. A token that would grow past kMaxTokenLength ends the read with "not found".
// A source that holds its next bytes in memory (IByteReaderWindow) is read in place, without a
// call per byte; it is left at the same place as a byte-by-byte read would leave it, after every
// call, unless the reader was told that it is the source's sole reader: then the bytes in memory
// are kept from one call to the next.

#include "pdf/io/IByteReader.h"
#include "pdf/io/IByteReaderWindow.h"

#include <bitset>
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

    void SetReadStream(IByteReader* inSourceStream, bool inSoleReader = false);
    // Empties the put-back slot and zeroes the positions; the source stays.
    void ResetReadState();

    BoolAndString ReadNextToken();
    // The same into outToken, whose storage is reused; false when no token was found.
    bool ReadNextToken(std::string& outToken);
    // Takes bytes while they are whitespace; the first other byte goes to the put-back slot.
    void SkipTillToken();
    // The arrays and dictionaries open while a value is passed over, innermost last. A closing
    // token of the other kind than the innermost one closes nothing: where a value belongs, the
    // object parser reads it as a null.
    class OpenNesting {
    public:
        static constexpr int kCapacity = 256;
        // False when inMaxOpen levels are open already.
        bool Open(bool inArray, int inMaxOpen)
        {
            if (mDepth >= inMaxOpen || mDepth >= kCapacity)
                return false;
            mArrays[static_cast<size_t>(mDepth++)] = inArray;
            return true;
        }
        // Whether the closing token of an array (or of a dictionary) closes the innermost level.
        bool Close(bool inArray)
        {
            if (mDepth == 0 || mArrays[static_cast<size_t>(mDepth - 1)] != inArray)
                return false;
            --mDepth;
            return true;
        }
        int Depth() const { return mDepth; }

    private:
        std::bitset<kCapacity> mArrays;
        int mDepth = 0;
    };
    // Passes over the bytes of an array (or dictionary) whose opening token was just read, up to
    // the token that closes it, cutting them as ReadNextToken would but keeping none. Nested
    // arrays and dictionaries count, up to inMaxOpen levels open at once (the one just opened
    // included).
    enum class SkipResult { eClosed, eEnded, eTooDeep };
    SkipResult SkipToClose(bool inArray, int inMaxOpen);
    // Passes over the value after a dictionary key, cutting bytes as ReadNextToken would but
    // keeping none: its first token (a name included, or a "]" that stands for a null), an array
    // or dictionary to its matching end, and what follows up to the next name ("id gen R"). It
    // stops before that name or a later "]" (eBeforeNext), or after the ">>" that ends the
    // dictionary (eDictionaryClosed). Nested arrays and dictionaries count up to inMaxOpen levels
    // open at once.
    enum class ValueEnd { eBeforeNext, eDictionaryClosed, eEnded, eTooDeep };
    ValueEnd SkipDictionaryValue(int inMaxOpen);
    // Passes over whitespace and the bytes of numbers and keywords up to the next delimiter,
    // where ReadNextToken goes on; only what a window source holds in memory is passed over.
    void SkipPlainTokens();
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
    // One byte, from the put-back slot, the window or the source; false at the end.
    bool NextByte(Byte& outByte)
    {
        if (mHasPutBackByte) {
            mHasPutBackByte = false;
            outByte = mPutBackByte;
            ++mReadPosition;
            return true;
        }
        if (mWindowTaken < mWindowSize) {
            outByte = mWindow[mWindowTaken++];
            ++mReadPosition;
            return true;
        }
        return NextByteFromSource(outByte);
    }
    bool NextByteFromSource(Byte& outByte);
    // Takes at most inLimit bytes from the window while their class is one of inClasses (a mask of
    // 1 << class: regular 0, whitespace 1, delimiter 2), none while a byte waits in the put-back
    // slot; the count taken. Inline: it runs once or more for every token.
    size_t TakeRunFromWindow(unsigned char inClasses, size_t inLimit)
    {
        return TakeRunWhile(sClassSets[inClasses & 7], inLimit);
    }
    // The same for the bytes whose entry in inTaken is 1.
    size_t TakeRunWhile(const unsigned char* inTaken, size_t inLimit)
    {
        if (mHasPutBackByte || mWindowTaken >= mWindowSize)
            return 0;
        const Byte* start = mWindow + mWindowTaken;
        const Byte* end = mWindowSize - mWindowTaken > inLimit ? start + inLimit : mWindow + mWindowSize;
        const Byte* at = start;
        while (at < end && inTaken[*at])
            ++at;
        size_t taken = static_cast<size_t>(at - start);
        mWindowTaken += taken;
        mReadPosition += static_cast<long long>(taken);
        return taken;
    }
    // For each set of byte classes (a mask as above), 1 for the bytes of those classes.
    static const unsigned char (*const sClassSets)[256];
    // Marks the bytes taken from the window read in the source and forgets the window: the
    // source may be used or moved by others between the reader's calls.
    void ReleaseWindow();
    // The end of a public call: the window goes back to the source unless this is its sole reader.
    void EndCall()
    {
        if (!mSoleReader)
            ReleaseWindow();
    }
    bool ReadToken(std::string& outToken);
    void SkipWhitespace();
    SkipResult SkipNested(bool inArray, int inMaxOpen);
    ValueEnd PassDictionaryValue(int inMaxOpen);
    // After its opening parenthesis; false when the data ends first.
    bool PassLiteralString();
    // Up to and with the first of the two bytes; false when the data ends first.
    bool PassUntil(Byte inLast, Byte inOtherLast);
    void PutBack(Byte inByte);
    bool ReadLiteralString(std::string& ioToken);
    bool ReadHexString(std::string& ioToken);
    void ReadComment(std::string& ioToken);
    bool ReadRegularToken(std::string& ioToken);
    // After "stream" and the byte that ended it: passes the blanks and line end before the
    // stream's data; false (the keyword is not taken) when no line end follows.
    bool PassStreamLineEnd(Byte inEndingByte);

    IByteReader* mSource = nullptr;
    IByteReaderWindow* mWindowSource = nullptr;
    bool mSoleReader = false;
    const Byte* mWindow = nullptr;
    size_t mWindowSize = 0;
    size_t mWindowTaken = 0;
    bool mHasPutBackByte = false;
    Byte mPutBackByte = 0;
    long long mReadPosition = 0;
    long long mTokenStart = 0;
};
