#include "pdf/fonts/InputPFBDecodeStream.h"

#include "pdf/io/DiagnosticLog.h"

#include <algorithm>
#include <cstring>

namespace {

const uint16_t kEexecKey = 55665;
const uint16_t kMultiplier = 52845;
const uint16_t kIncrement = 22719;
const int kEexecLeadingBytes = 4;
const Byte kSegmentMarker = 0x80;

bool IsWhiteSpace(Byte inChar)
{
    return inChar == 0 || inChar == '\t' || inChar == '\n' || inChar == '\f' || inChar == '\r' || inChar == ' ';
}

bool IsDelimiter(Byte inChar)
{
    return std::strchr("()<>[]{}/%", inChar) != nullptr && inChar != 0;
}

} // namespace

OpStatus InputPFBDecodeStream::Assign(IByteReader* inSource)
{
    mSource = inSource;
    mBufferSize = mBufferPosition = 0;
    mHasPutBack = false;
    mSegmentRemaining = mSegmentRead = 0;
    mSegmentType = eSegmentNone;
    mEndOfFileSeen = false;
    mDecrypting = false;
    mStatus = inSource ? eSuccess : eFailure;
    if (!inSource)
        return eFailure;
    return InitializeStreamSegment();
}

void InputPFBDecodeStream::Release()
{
    mSource = nullptr;
    mStatus = eFailure;
}

bool InputPFBDecodeStream::SourceHasMoreBytes()
{
    return mSource && (mBufferPosition < mBufferSize || mSource->HasMoreBytes());
}

bool InputPFBDecodeStream::ReadSourceByte(Byte& outByte)
{
    if (mBufferPosition == mBufferSize) {
        if (!mSource || !mSource->HasMoreBytes())
            return false;
        mBufferSize = mSource->Read(mBuffer, sizeof(mBuffer));
        mBufferPosition = 0;
        if (mBufferSize == 0)
            return false;
    }
    outByte = mBuffer[mBufferPosition++];
    return true;
}

bool InputPFBDecodeStream::ReadLength(uint32_t& outLength)
{
    outLength = 0;
    for (int i = 0; i < 4; ++i) {
        Byte value;
        if (!ReadSourceByte(value))
            return false;
        outLength |= static_cast<uint32_t>(value) << (8 * i);
    }
    return true;
}

OpStatus InputPFBDecodeStream::InitializeStreamSegment()
{
    if (mStatus != eSuccess)
        return eFailure;
    if (!SourceHasMoreBytes())
        return eSuccess;

    Byte marker;
    if (!ReadSourceByte(marker)) {
        TraceMessage("InputPFBDecodeStream::InitializeStreamSegment, unable to read segment header");
        return mStatus = eFailure;
    }
    // Without the marker this is no PFB data (or a damaged one): reading on would hand out
    // length and data bytes as if they were text.
    if (marker != kSegmentMarker) {
        TraceMessage("InputPFBDecodeStream::InitializeStreamSegment, wrong segment header");
        return mStatus = eFailure;
    }
    Byte type;
    if (!ReadSourceByte(type)) {
        TraceMessage("InputPFBDecodeStream::InitializeStreamSegment, unable to read segment type");
        return mStatus = eFailure;
    }
    mSegmentRead = 0;
    mSegmentRemaining = 0;
    int previousType = mSegmentType;
    mSegmentType = type;

    uint32_t length = 0;
    switch (type) {
    case eSegmentText:
        if (!ReadLength(length)) {
            TraceMessage("InputPFBDecodeStream::InitializeStreamSegment, unable to read segment length");
            return mStatus = eFailure;
        }
        mSegmentRemaining = length;
        mDecrypting = false;
        if (previousType == eSegmentBinary) {
            if (SkipTrailer() != eSuccess)
                return mStatus = eFailure;
            if (mSegmentRemaining == 0 && !mHasPutBack)
                return InitializeStreamSegment();
        }
        return eSuccess;
    case eSegmentBinary:
        if (!ReadLength(length)) {
            TraceMessage("InputPFBDecodeStream::InitializeStreamSegment, unable to read segment length");
            return mStatus = eFailure;
        }
        mSegmentRemaining = length;
        // Producers may split the encrypted part over several binary segments: the cipher runs on
        // from one to the next, and only the first starts with the random bytes.
        if (previousType != eSegmentBinary) {
            mRandomizer = kEexecKey;
            mDecrypting = true;
            Byte dropped;
            for (int i = 0; i < kEexecLeadingBytes; ++i) {
                if (!ReadSegmentByte(dropped))
                    break;
            }
        }
        mDecrypting = true;
        return mStatus;
    case eSegmentEndOfFile:
        mEndOfFileSeen = true;
        return eSuccess;
    default:
        TraceMessage("InputPFBDecodeStream::InitializeStreamSegment, unrecognized segment type - %d", type);
        return mStatus = eFailure;
    }
}

OpStatus InputPFBDecodeStream::SkipTrailer()
{
    // The zeros that close the encrypted part (512 of them, though some fonts write fewer or
    // more), then "cleartomark". A trailer segment holding nothing else is accepted as well.
    Byte value = 0;
    do {
        if (!ReadSegmentByte(value))
            return mStatus;
    } while (value == '0' || IsWhiteSpace(value));
    std::string keyword(1, static_cast<char>(value));
    while (ReadSegmentByte(value)) {
        if (IsWhiteSpace(value) || IsDelimiter(value)) {
            PutBack(value);
            break;
        }
        if (keyword.size() > 16)
            break;
        keyword.push_back(static_cast<char>(value));
    }
    if (mStatus != eSuccess)
        return mStatus;
    if (keyword != "cleartomark") {
        TraceMessage("InputPFBDecodeStream::InitializeStreamSegment, the trailer has no cleartomark");
        return eFailure;
    }
    while (GetChar(value)) {
        if (!IsWhiteSpace(value)) {
            PutBack(value);
            break;
        }
    }
    return mStatus;
}

bool InputPFBDecodeStream::ReadSegmentByte(Byte& outByte)
{
    if (mStatus != eSuccess || mSegmentRemaining == 0)
        return false;
    Byte value;
    if (!ReadSourceByte(value)) {
        TraceMessage("InputPFBDecodeStream::Read, the file ends inside a segment of %llu bytes",
                     static_cast<unsigned long long>(mSegmentRead + mSegmentRemaining));
        mStatus = eFailure;
        return false;
    }
    --mSegmentRemaining;
    ++mSegmentRead;
    if (mDecrypting) {
        outByte = static_cast<Byte>(value ^ (mRandomizer >> 8));
        mRandomizer = static_cast<uint16_t>((uint32_t{value} + mRandomizer) * kMultiplier + kIncrement);
    } else {
        outByte = value;
    }
    return true;
}

bool InputPFBDecodeStream::GetChar(Byte& outByte)
{
    if (mHasPutBack) {
        mHasPutBack = false;
        outByte = mPutBack;
        return true;
    }
    return ReadSegmentByte(outByte);
}

void InputPFBDecodeStream::PutBack(Byte inByte)
{
    mPutBack = inByte;
    mHasPutBack = true;
}

size_t InputPFBDecodeStream::Read(Byte* inBuffer, size_t inBufferSize)
{
    size_t count = 0;
    if (inBufferSize == 0)
        return 0;
    while (count < inBufferSize && mStatus == eSuccess && mSource && !mEndOfFileSeen) {
        // The tokenizer, or the trailer of the encrypted part, may have put a character back.
        if (mHasPutBack) {
            inBuffer[count++] = mPutBack;
            mHasPutBack = false;
        } else if (mSegmentRemaining > 0) {
            // Straight from the read buffer, a run at a time.
            if (mBufferPosition == mBufferSize) {
                Byte value;
                if (!ReadSegmentByte(value))
                    break;
                inBuffer[count++] = value;
                continue;
            }
            size_t run = std::min<uint64_t>({inBufferSize - count, mSegmentRemaining, mBufferSize - mBufferPosition});
            const Byte* source = mBuffer + mBufferPosition;
            if (mDecrypting) {
                for (size_t i = 0; i < run; ++i) {
                    Byte cipher = source[i];
                    inBuffer[count + i] = static_cast<Byte>(cipher ^ (mRandomizer >> 8));
                    mRandomizer = static_cast<uint16_t>((uint32_t{cipher} + mRandomizer) * kMultiplier + kIncrement);
                }
            } else {
                std::memcpy(inBuffer + count, source, run);
            }
            count += run;
            mBufferPosition += run;
            mSegmentRemaining -= run;
            mSegmentRead += run;
        } else {
            if (!SourceHasMoreBytes() || InitializeStreamSegment() != eSuccess)
                break;
        }
    }
    return count;
}

bool InputPFBDecodeStream::HasMoreBytes()
{
    if (mStatus != eSuccess || !mSource || mEndOfFileSeen)
        return false;
    return mHasPutBack || mSegmentRemaining > 0 || SourceHasMoreBytes();
}

bool InputPFBDecodeStream::GetNextToken(std::string& outToken)
{
    outToken.clear();
    if (mStatus != eSuccess || !mSource)
        return false;
    if (!mHasPutBack && mSegmentRemaining == 0) {
        if (mEndOfFileSeen || !SourceHasMoreBytes())
            return false;
        if (InitializeStreamSegment() != eSuccess || mEndOfFileSeen)
            return false;
    }

    Byte value;
    do {
        if (!GetChar(value))
            return false;
    } while (IsWhiteSpace(value));

    outToken.push_back(static_cast<char>(value));
    switch (value) {
    case '%':
        while (GetChar(value) && value != '\r' && value != '\n')
            outToken.push_back(static_cast<char>(value));
        break;
    case '(': {
        int depth = 1;
        while (depth > 0 && GetChar(value)) {
            if (value == '\\') {
                Byte next;
                if (!GetChar(next))
                    break;
                if (next == '\n')
                    continue;
                if (next == '\r') {
                    Byte after;
                    if (GetChar(after) && after != '\n')
                        PutBack(after);
                    continue;
                }
                outToken.push_back('\\');
                outToken.push_back(static_cast<char>(next));
                continue;
            }
            if (value == '(')
                ++depth;
            else if (value == ')')
                --depth;
            outToken.push_back(static_cast<char>(value));
        }
        break;
    }
    case '<':
        if (!GetChar(value))
            break;
        if (value == '~') {
            outToken.push_back('~');
            while (GetChar(value)) {
                outToken.push_back(static_cast<char>(value));
                if (value == '~') {
                    Byte next;
                    if (!GetChar(next))
                        break;
                    if (next == '>') {
                        outToken.push_back('>');
                        break;
                    }
                    PutBack(next);
                }
            }
        } else {
            do {
                if (!IsWhiteSpace(value))
                    outToken.push_back(static_cast<char>(value));
            } while (value != '>' && GetChar(value));
        }
        break;
    case '[':
    case ']':
    case '{':
    case '}':
        break;
    default:
        while (GetChar(value)) {
            if (IsWhiteSpace(value))
                break;
            if (IsDelimiter(value)) {
                PutBack(value);
                break;
            }
            outToken.push_back(static_cast<char>(value));
        }
        break;
    }
    return true;
}
