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

} // namespace

ContentResourceRenamer::ContentResourceRenamer(const std::map<std::string, std::string>& inRenames)
{
    OutputStringBufferStream escaped;
    PDFValueWriter writer(&escaped);
    for (const auto& rename : inRenames) {
        escaped.Reset();
        writer.WriteNameValue(rename.second, eTokenSeparatorNone);
        mReplacements.emplace(rename.first, escaped.ContentsAsString());
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
    mOutput[mOutputUsed++] = inByte;
    if (mOutputUsed == kChunkSize)
        Flush();
}

void ContentResourceRenamer::Put(const std::string& inBytes)
{
    for (char byte : inBytes)
        Put(static_cast<Byte>(byte));
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
    // In an inline image's dictionary keys and filter names are not resources; only the value
    // of a colour space key may name one.
    bool mayBeResource = !mInInlineImageDictionary || mLastInlineImageName == "CS" ||
                         mLastInlineImageName == "ColorSpace";
    if (mInInlineImageDictionary)
        mLastInlineImageName = decoded;
    auto replacement = mayBeResource ? mReplacements.find(decoded) : mReplacements.end();
    if (replacement != mReplacements.end()) {
        Put(replacement->second);
    } else {
        Put('/');
        Put(raw);
    }
}

void ContentResourceRenamer::CopyRegularToken(Byte inFirst)
{
    // Only the operators BI and ID matter here; a longer token is none of them.
    char token[3] = {static_cast<char>(inFirst), 0, 0};
    size_t length = 1;
    Put(inFirst);
    Byte byte;
    while (Next(byte)) {
        if (!IsRegular(byte)) {
            PushBack(byte);
            break;
        }
        if (length < 3)
            token[length] = static_cast<char>(byte);
        ++length;
        Put(byte);
    }
    if (length != 2)
        return;
    if (token[0] == 'B' && token[1] == 'I') {
        mInInlineImageDictionary = true;
        mLastInlineImageName.clear();
    } else if (token[0] == 'I' && token[1] == 'D') {
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
