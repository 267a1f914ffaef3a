#pragma once
// Copies decoded content (a page's operators) from a reader to a writer, giving every name
// operand found in the rename map its new name. Names are compared by their decoded value (#xx
// escapes replaced). Strings, hex strings and comments pass unchanged, and so does inline image
// data from ID to EI, which is binary and must never be read as tokens. Inside an inline image's
// dictionary only a colour space value is a resource name. Data moves in bounded chunks; the
// reader and the writer are borrowed.

#include "pdf/io/IByteReader.h"
#include "pdf/io/IByteWriter.h"

#include <map>
#include <memory>
#include <string>

class ContentResourceRenamer {
public:
    static constexpr size_t kChunkSize = 64 * 1024;
    // Resource names are short; a longer name is copied unchanged without being held whole.
    static constexpr size_t kMaxNameLength = 4096;

    // Old name (decoded, without the slash) to new name (plain, without the slash).
    explicit ContentResourceRenamer(const std::map<std::string, std::string>& inRenames);
    ~ContentResourceRenamer();
    ContentResourceRenamer(const ContentResourceRenamer&) = delete;
    ContentResourceRenamer& operator=(const ContentResourceRenamer&) = delete;

    // -1 when the writer takes fewer bytes than given, or the reader stops while claiming more.
    OpStatus Copy(IByteReader* inSource, IByteWriter* inTarget);

private:
    bool Next(Byte& outByte);
    void PushBack(Byte inByte);
    void Put(Byte inByte);
    void Put(const std::string& inBytes);
    void Flush();

    void CopyComment();
    void CopyLiteralString();
    void CopyHexStringOrDictionaryStart();
    void CopyName();
    void CopyRegularToken(Byte inFirst);
    void CopyInlineImageData();

    // Escaped "/New" for each decoded old name.
    std::map<std::string, std::string> mReplacements;
    IByteReader* mSource = nullptr;
    IByteWriter* mTarget = nullptr;
    std::unique_ptr<Byte[]> mInput;
    std::unique_ptr<Byte[]> mOutput;
    size_t mInputPosition = 0;
    size_t mInputEnd = 0;
    size_t mOutputUsed = 0;
    Byte mPushedBack[2] = {0, 0};
    int mPushedBackCount = 0;
    bool mSourceStuck = false;
    bool mTargetFailed = false;
    // Between BI and ID, and the last name met there (a colour space key wants a resource name).
    bool mInInlineImageDictionary = false;
    std::string mLastInlineImageName;
};
