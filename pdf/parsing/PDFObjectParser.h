#pragma once
// Builds one PDF object at a time from the tokens of a forward-only source, looking ahead where
// the grammar needs it (indirect references, the "stream" keyword). The source and the position
// provider are borrowed. After the owner seeks the source it must call ResetReadState, since
// look-ahead tokens may wait in the queue. Returned objects carry one new reference; a failure
// gives null after its trace-log lines and leaves nothing allocated.

#include "pdf/io/IReadPositionProvider.h"
#include "pdf/parsing/PDFTokenReader.h"

#include <string>
#include <vector>

class PDFObject;
class IPDFParserExtender;

class PDFObjectParser {
public:
    // Arrays and dictionaries nested deeper than this are refused (it also bounds the
    // recursion of destroying a parsed object).
    static constexpr int kMaxNestingDepth = 256;
    static_assert(kMaxNestingDepth <= PDFTokenReader::OpenNesting::kCapacity, "values passed over nest as deep");

    PDFObjectParser() = default;

    // inSoleReader: nothing else reads or moves the source between this parser's calls (see
    // PDFTokenReader).
    void SetReadStream(IByteReader* inSourceStream, IReadPositionProvider* inCurrentPositionProvider,
                       bool inSoleReader = false);
    void ResetReadState();

    // A new object, or null when no token remains or the object is malformed.
    PDFObject* ParseNextObject(IPDFParserExtender* inParserExtender = nullptr);

    // A partial read of the outermost dictionary of the objects parsed: only `keys` are built, the
    // values of the others are passed over, never built; and once `endKey` holds the name
    // `endName`, nothing after it is read. A page-tree walk needs Type and Kids of thousands of
    // dictionaries, and nothing more of one whose Type is Page.
    struct KeptKeys {
        std::vector<std::string> keys;
        std::string endKey;
        std::string endName;
    };
    // Borrowed; null reads whole objects.
    void SetKeptKeys(const KeptKeys* inKeys) { mKeptKeys = inKeys; }

    // How many objects (the outermost and all inside it) the last ParseNextObject built: a
    // measure of the memory the result holds.
    size_t GetObjectsBuilt() const { return mObjectsBuilt; }

    // The next token that is not a comment: the queue's front first.
    bool GetNextToken(std::string& outToken);
    // Appends a token at the back of the queue.
    void ReturnTokenToBuffer(const std::string& inToken);

    static bool IsNumber(const std::string& inToken);
    static bool IsInteger(const std::string& inToken) { return IsNumber(inToken) && inToken.find('.') == std::string::npos; }
    // Locale-independent; text that is no readable number gives 0.
    static long long StringToLongLong(const std::string& inText);
    static double StringToDouble(const std::string& inText);

    PDFTokenReader& GetTokenReader() { return mTokenReader; }

private:
    PDFObject* ParseObject(int inDepth);
    // The object that inToken, read already, begins.
    PDFObject* ParseObjectFrom(const std::string& inToken, int inDepth);
    // A closing token where a value belongs.
    PDFObject* NullForStrayToken(const std::string& inToken);
    PDFObject* ParseNumber(const std::string& inToken);
    PDFObject* ParseLiteralString(const std::string& inToken);
    PDFObject* ParseHexadecimalString(const std::string& inToken);
    PDFObject* ParseName(const std::string& inToken);
    PDFObject* ParseArray(int inDepth);
    PDFObject* ParseDictionary(int inDepth);
    // Passes over the value after a key; false when the dictionary ends without one or too deep.
    bool SkipValue(int inDepth);
    bool IsKeptKey(const std::string& inKeyToken) const;
    bool GetHexValue(Byte inByte, Byte& outValue);
    void PushFront(std::string inToken);

    PDFTokenReader mTokenReader;
    // Look-ahead tokens from mTokenBufferHead on; a vector, since a parser is made for every
    // object read from an object stream and an empty deque already allocates.
    std::vector<std::string> mTokenBuffer;
    size_t mTokenBufferHead = 0;
    IByteReader* mSource = nullptr;
    IReadPositionProvider* mPositionProvider = nullptr;
    IPDFParserExtender* mExtender = nullptr;
    const KeptKeys* mKeptKeys = nullptr;
    size_t mObjectsBuilt = 0;
    // Set when the depth limit was hit, so the enclosing levels fail without a line each.
    bool mNestingLimitHit = false;
};
