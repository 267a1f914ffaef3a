#include "pdf/copying/ContentResourceRenamer.h"

#include "pdf/io/DiagnosticLog.h"
#include "pdf/io/OutputStringBufferStream.h"
#include "pdf/parsing/PDFTokenReader.h"
#include "pdf/writing/PDFValueWriter.h"

namespace {

bool IsWhitespace(Byte inByte)
{
    return PDFTokenReader::IsPDFWhitespace(inByte);
}

bool IsRegular(Byte inByte)
{
    return !PDFTokenReader::IsPDFWhitespace(inByte) && !PDFTokenReader::IsPDFDelimiter(inByte);
}

int HexValue(char inDigit)
{
    if (inDigit >= '0' && inDigit <= '9')
        return inDigit - '0';
    if (inDigit >= 'a' && inDigit <= 'f')
        return inDigit - 'a' + 10;
    if (inDigit >= 'A' && inDigit <= 'F')
        return inDigit - 'A' + 10;
    return -1;
}

// "#xx" replaced by its byte; a "#" without two hex digits stays itself.
std::string DecodeName(const std::string& inRaw)
{
    std::string decoded;
    decoded.reserve(inRaw.size());
    for (size_t i = 0; i < inRaw.size(); ++i) {
        if (inRaw[i] == '#' && i + 2 < inRaw.size()) {
            int high = HexValue(inRaw[i + 1]);
            int low = HexValue(inRaw[i + 2]);
            if (high >= 0 && low >= 0) {
                decoded.push_back(static_cast<char>(high * 16 + low));
                i += 2;
                continue;
            }
        }
        decoded.push_back(inRaw[i]);
    }
    return decoded;
}

// The category whose resource an operator's name operand names; empty for other operators.
const char* CategoryOfOperator(const std::string& inOperator)
{
    static const std::map<std::string, const char*> categories = {
        {"Tf", "Font"},         {"Do", "XObject"}, {"gs", "ExtGState"},  {"cs", "ColorSpace"}, {"CS", "ColorSpace"},
        {"scn", "Pattern"},     {"SCN", "Pattern"}, {"sh", "Shading"},   {"BDC", "Properties"}, {"DP", "Properties"}};
    auto found = categories.find(inOperator);
    return found == categories.end() ? "" : found->second;
}

} // namespace

ContentResourceRenamer::ContentResourceRenamer(const RenameMap& inRenames)
{
    OutputStringBufferStream escaped;
    PDFValueWriter writer(&escaped);
    auto escape = [&](const std::string& inName) {
        escaped.Reset();
        writer.WriteNameValue(inName, eTokenSeparatorNone);
        return escaped.ContentsAsString();
    };
    for (const auto& rename : inRenames) {
        if (rename.second.empty())
            continue;
        Replacement& replacement = mReplacements[rename.first];
        replacement.mFirst = escape(rename.second.front().second);
        for (const auto& categoryName : rename.second) {
            replacement.mByCategory.emplace(categoryName.first, escape(categoryName.second));
            replacement.mAmbiguous |= categoryName.second != rename.second.front().second;
        }
    }
}

ContentResourceRenamer::~ContentResourceRenamer() = default;

OpStatus ContentResourceRenamer::Copy(IByteReader* inSource, IByteWriter* inTarget)
{
    mSource = inSource;
    mTarget = inTarget;
    mInput.reset(new Byte[kChunkSize]);
    mOutput.reset(new Byte[kChunkSize]);
    mInputPosition = mInputEnd = mOutputUsed = 0;
    mPushedBackCount = 0;
    mSourceStuck = mTargetFailed = false;
    mInInlineImageDictionary = false;
    mHolding = false;
    mHeld.clear();
    mHeldReplacements.clear();

    Byte byte;
    while (!mTargetFailed && Next(byte)) {
        switch (byte) {
        case '%':
            Put(byte);
            CopyComment();
            break;
        case '(':
            Put(byte);
            CopyLiteralString();
            break;
        case '<':
            Put(byte);
            CopyHexStringOrDictionaryStart();
            break;
        case '/':
            CopyName();
            break;
        default:
            if (IsRegular(byte))
                CopyRegularToken(byte);
            else
                Put(byte);
            break;
        }
    }
    ReleaseHeld("");
    Flush();
    if (mTargetFailed) {
        TraceMessage("ContentResourceRenamer::Copy, the target took fewer bytes than given");
        return eFailure;
    }
    if (mSourceStuck) {
        TraceMessage("ContentResourceRenamer::Copy, the content reader stopped before its end");
        return eFailure;
    }
    return eSuccess;
}

bool ContentResourceRenamer::Next(Byte& outByte)
{
    if (mPushedBackCount > 0) {
        outByte = mPushedBack[--mPushedBackCount];
        return true;
    }
    if (mInputPosition == mInputEnd) {
        if (mSourceStuck || !mSource->HasMoreBytes())
            return false;
        mInputPosition = 0;
        mInputEnd = mSource->Read(mInput.get(), kChunkSize);
        if (mInputEnd == 0) {
            mSourceStuck = mSource->HasMoreBytes();
            return false;
        }
    }
    outByte = mInput[mInputPosition++];
    return true;
}

void ContentResourceRenamer::PushBack(Byte inByte)
{
    mPushedBack[mPushedBackCount++] = inByte;
}

void ContentResourceRenamer::Put(Byte inByte)
{
    if (mHolding) {
        mHeld.push_back(static_cast<char>(inByte));
        if (mHeld.size() >= kMaxHeldBytes)
            ReleaseHeld("");
        return;
    }
    mOutput[mOutputUsed++] = inByte;
    if (mOutputUsed == kChunkSize)
        Flush();
}

void ContentResourceRenamer::Put(const std::string& inBytes)
{
    for (char byte : inBytes)
        Put(static_cast<Byte>(byte));
}

void ContentResourceRenamer::ReleaseHeld(const std::string& inCategoryKey)
{
    if (!mHolding)
        return;
    mHolding = false;
    size_t written = 0;
    for (const auto& held : mHeldReplacements) {
        Put(mHeld.substr(written, held.first - written));
        auto inCategory = held.second->mByCategory.find(inCategoryKey);
        Put(inCategory != held.second->mByCategory.end() ? inCategory->second : held.second->mFirst);
        written = held.first;
    }
    Put(mHeld.substr(written));
    mHeld.clear();
    mHeldReplacements.clear();
}

void ContentResourceRenamer::Flush()
{
    if (mOutputUsed == 0 || mTargetFailed)
        return;
    if (mTarget->WriteBytes(mOutput.get(), mOutputUsed) != mOutputUsed)
        mTargetFailed = true;
    mOutputUsed = 0;
}

void ContentResourceRenamer::CopyComment()
{
    Byte byte;
    while (Next(byte)) {
        if (byte == '\r' || byte == '\n') {
            PushBack(byte);
            return;
        }
        Put(byte);
    }
}

void ContentResourceRenamer::CopyLiteralString()
{
    // Balanced parentheses nest; a backslash takes the next byte with it.
    long long depth = 1;
    Byte byte;
    while (depth > 0 && Next(byte)) {
        Put(byte);
        if (byte == '\\') {
            if (Next(byte))
                Put(byte);
        } else if (byte == '(') {
            ++depth;
        } else if (byte == ')') {
            --depth;
        }
    }
}

void ContentResourceRenamer::CopyHexStringOrDictionaryStart()
{
    Byte byte;
    if (!Next(byte))
        return;
    if (byte == '<') {
        Put(byte);
        return;
    }
    PushBack(byte);
    while (Next(byte)) {
        Put(byte);
        if (byte == '>')
            return;
    }
}

void ContentResourceRenamer::CopyName()
{
    std::string raw;
    Byte byte;
    bool tooLong = false;
    while (Next(byte)) {
        if (!IsRegular(byte)) {
            PushBack(byte);
            break;
        }
        if (raw.size() == kMaxNameLength) {
            tooLong = true;
            Put('/');
            Put(raw);
            Put(byte);
            while (Next(byte)) {
                if (!IsRegular(byte)) {
                    PushBack(byte);
                    break;
                }
                Put(byte);
            }
            break;
        }
        raw.push_back(static_cast<char>(byte));
    }
    if (tooLong)
        return;

    std::string decoded = DecodeName(raw);
    auto replacement = mReplacements.find(decoded);
    if (mInInlineImageDictionary) {
        // Keys and filter names of an inline image are not resources; only the value of a colour
        // space key may name one.
        bool isColorSpace = mLastInlineImageName == "CS" || mLastInlineImageName == "ColorSpace";
        mLastInlineImageName = decoded;
        if (isColorSpace && replacement != mReplacements.end()) {
            auto inCategory = replacement->second.mByCategory.find("ColorSpace");
            if (inCategory != replacement->second.mByCategory.end()) {
                Put(inCategory->second);
                return;
            }
        }
        Put('/');
        Put(raw);
        return;
    }
    if (replacement == mReplacements.end()) {
        Put('/');
        Put(raw);
    } else if (!replacement->second.mAmbiguous) {
        Put(replacement->second.mFirst);
    } else {
        // The operator after the operands tells which category the name belongs to.
        mHolding = true;
        mHeldReplacements.emplace_back(mHeld.size(), &replacement->second);
    }
}

void ContentResourceRenamer::CopyRegularToken(Byte inFirst)
{
    // Operators are short; a longer token is a number or an operand nobody looks at.
    std::string token(1, static_cast<char>(inFirst));
    Put(inFirst);
    Byte byte;
    while (Next(byte)) {
        if (!IsRegular(byte)) {
            PushBack(byte);
            break;
        }
        if (token.size() < 4)
            token.push_back(static_cast<char>(byte));
        Put(byte);
    }
    bool isNumber = (inFirst >= '0' && inFirst <= '9') || inFirst == '+' || inFirst == '-' || inFirst == '.';
    if (isNumber || token == "true" || token == "false" || token == "null")
        return;
    ReleaseHeld(CategoryOfOperator(token));
    if (token == "BI") {
        mInInlineImageDictionary = true;
        mLastInlineImageName.clear();
    } else if (token == "ID") {
        mInInlineImageDictionary = false;
        CopyInlineImageData();
    }
}

void ContentResourceRenamer::CopyInlineImageData()
{
    // One white-space byte ends the ID operator; the data runs to an EI between white space
    // (or the end of the content).
    Byte byte;
    if (!Next(byte))
        return;
    if (IsWhitespace(byte))
        Put(byte);
    else
        PushBack(byte); // no separator: the data starts at once
    bool afterWhitespace = true;
    while (Next(byte)) {
        if (afterWhitespace && byte == 'E') {
            Byte second;
            if (!Next(second)) {
                Put(byte);
                return;
            }
            if (second == 'I') {
                Byte third;
                bool more = Next(third);
                if (!more || IsWhitespace(third) || PDFTokenReader::IsPDFDelimiter(third)) {
                    Put('E');
                    Put('I');
                    if (more)
                        PushBack(third);
                    return;
                }
                PushBack(third);
            }
            PushBack(second);
            Put(byte);
            afterWhitespace = false;
            continue;
        }
        Put(byte);
        afterWhitespace = IsWhitespace(byte);
    }
}
