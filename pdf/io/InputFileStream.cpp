#include "pdf/io/InputFileStream.h"

#include "pdf/io/Platform.h"

#include <limits>

InputFileStream::~InputFileStream()
{
    Close();
}

OpStatus InputFileStream::OpenForReading(const std::string& inFilePath)
{
    Close();
    mStream = Platform::OpenFile(inFilePath, Platform::FileMode::Read);
    return mStream ? eSuccess : eFailure;
}

OpStatus InputFileStream::Close()
{
    if (!mStream)
        return eSuccess;
    int result = std::fclose(mStream);
    mStream = nullptr;
    return result == 0 ? eSuccess : eFailure;
}

size_t InputFileStream::Read(Byte* inBuffer, size_t inBufferSize)
{
    if (!mStream || inBufferSize == 0)
        return 0;
    return std::fread(inBuffer, 1, inBufferSize, mStream);
}

bool InputFileStream::HasMoreBytes()
{
    // The error flag survives seeks (the end-of-file flag does not), so a failed file stays ended.
    return mStream && !std::feof(mStream) && !std::ferror(mStream);
}

void InputFileStream::SkipForward(size_t inSkipSize)
{
    if (!mStream)
        return;
    const size_t kMaxSkip = static_cast<size_t>(std::numeric_limits<long long>::max());
    Platform::SeekFile(mStream, static_cast<long long>(inSkipSize > kMaxSkip ? kMaxSkip : inSkipSize), SEEK_CUR);
}

void InputFileStream::SeekFromStart(LongFilePositionType inOffset)
{
    if (mStream)
        Platform::SeekFile(mStream, inOffset, SEEK_SET);
}

void InputFileStream::SeekFromEnd(LongFilePositionType inOffset)
{
    if (!mStream)
        return;
    if (inOffset < 0) { // past the end is no place to read from; the end is the nearest
        Platform::SeekFile(mStream, 0, SEEK_END);
        return;
    }
    if (Platform::SeekFile(mStream, -inOffset, SEEK_END) != 0)
        Platform::SeekFile(mStream, 0, SEEK_SET);
}

LongFilePositionType InputFileStream::TellPosition()
{
    if (!mStream)
        return 0;
    long long position = Platform::TellFile(mStream);
    return position < 0 ? 0 : position;
}

LongFilePositionType InputFileStream::QueryFileSize()
{
    if (!mStream)
        return 0;
    long long position = Platform::TellFile(mStream);
    if (position < 0 || Platform::SeekFile(mStream, 0, SEEK_END) != 0)
        return 0;
    long long size = Platform::TellFile(mStream);
    Platform::SeekFile(mStream, position, SEEK_SET);
    return size < 0 ? 0 : size;
}
