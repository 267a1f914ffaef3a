#include "pdf/io/OutputFileStream.h"

#include "pdf/io/DiagnosticLog.h"
#include "pdf/io/Platform.h"

OutputFileStream::~OutputFileStream()
{
    Close();
}

OpStatus OutputFileStream::Open(const std::string& inFilePath, bool inAppend)
{
    Close(); // a handle held from before would otherwise leak
    mFailure.clear();
    mStream = Platform::OpenFile(inFilePath, inAppend ? Platform::FileMode::Append : Platform::FileMode::WriteTruncate);
    if (!mStream)
        return eFailure;
    // Appending: TellPosition must give the file's size from the start.
    if (Platform::SeekFile(mStream, 0, SEEK_END) != 0) {
        std::fclose(mStream);
        mStream = nullptr;
        return eFailure;
    }
    return eSuccess;
}

OpStatus OutputFileStream::Close()
{
    if (!mStream)
        return eSuccess;
    int result = std::fclose(mStream);
    mStream = nullptr;
    if (result != 0)
        NoteFailure("Close");
    return result == 0 ? eSuccess : eFailure;
}

size_t OutputFileStream::WriteBytes(const Byte* inBuffer, size_t inSize)
{
    if (!mStream)
        return 0;
    size_t written = std::fwrite(inBuffer, 1, inSize, mStream);
    if (written != inSize)
        NoteFailure("WriteBytes");
    return written;
}

void OutputFileStream::NoteFailure(const char* inStep)
{
    // errno first: the log may make system calls of its own.
    const std::string reason = Platform::LastErrorText();
    if (!mFailure.empty())
        return;
    mFailure = reason;
    TraceMessage("OutputFileStream::%s, the file cannot be written: %s", inStep, mFailure.c_str());
}

LongFilePositionType OutputFileStream::TellPosition()
{
    if (!mStream)
        return 0;
    long long position = Platform::TellFile(mStream);
    return position < 0 ? 0 : position;
}
