#pragma once
// Copies decoded content (a page's operators) from a reader to a writer, giving every name
// operand found in the rename map its new name. Names are compared by their decoded value (#xx
// escapes replaced). An old name used in two categories (a font and an image both called F1)
// gets the new name of the category its operator uses (Tf a font, Do an XObject ...); such a
// name's operands are held until the operator comes, within a bound. Strings, hex strings and
// comments pass unchanged, and so does inline image data from ID to EI, which is binary and must
// never be read as tokens; inside an inline image's dictionary only a colour space value is a
// resource name. Data moves in bounded chunks; the reader and the writer are borrowed.

#include "pdf/io/IByteReader.h"
#include "pdf/io/IByteWriter.h"

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class ContentResourceRenamer {
public:
    static constexpr size_t kChunkSize = 64 * 1024;
    // Resource names are short; a longer name is copied unchanged without being held whole.
    static constexpr size_t kMaxNameLength = 4096;

    // Bytes held at most while waiting for the operator of a name used in several categories;
    // past that the name gets its first new name.
    static constexpr size_t kMaxHeldBytes = 64 * 1024;

    // The new names of one old name: (category key, new name) in the order they were made. The
    // first one serves wherever the operator does not tell the category.
    typedef std::vector<std::pair<std::string, std::string>> CategoryNames;
    // Old name (decoded, without the slash) to its new names (plain, without the slash).
    typedef std::map<std::string, CategoryNames> RenameMap;

    explicit ContentResourceRenamer(const RenameMap& inRenames);
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
    // Writes the held bytes with each held name given its name in the category (or its first).
    void ReleaseHeld(const std::string& inCategoryKey);

    struct Replacement {
        std::string mFirst;                             // escaped "/New"
        std::map<std::string, std::string> mByCategory; // category key -> escaped "/New"
        bool mAmbiguous = false;                        // the categories give different names
    };
    std::map<std::string, Replacement> mReplacements;
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
    // Output held since the first name of several categories, and where such names go into it.
    bool mHolding = false;
    std::string mHeld;
    std::vector<std::pair<size_t, const Replacement*>> mHeldReplacements;
};
