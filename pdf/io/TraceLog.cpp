#include "pdf/io/TraceLog.h"

#include <cstdio>

TraceLog::TraceLog(const std::string& inFilePath, bool inWriteByteOrderMark)
{
    FILE* existing = Platform::OpenFile(inFilePath, Platform::FileMode::Read);
    if (existing) {
        std::fclose(existing);
        mFilePath = inFilePath;
        return;
    }

    // Created exclusively: a file that exists but could not be read is appended to later,
    // never truncated here.
    switch (Platform::CreateFileExclusive(inFilePath)) {
    case Platform::CreateResult::Created:
        mFilePath = inFilePath;
        if (inWriteByteOrderMark && mOutputFile.OpenFile(mFilePath, true) == eSuccess) {
            static const Byte kByteOrderMark[3] = {0xEF, 0xBB, 0xBF};
            mOutputFile.GetOutputStream()->WriteBytes(kByteOrderMark, 3);
            mOutputFile.FlushAndClose();
        }
        break;
    case Platform::CreateResult::AlreadyExists:
        mFilePath = inFilePath;
        break;
    case Platform::CreateResult::Failed:
        break;
    }
}

TraceLog::TraceLog(IByteWriter* inStream) : mTargetStream(inStream), mToStream(true) {}

TraceLog::~TraceLog()
{
    mOutputFile.FlushAndClose();
}

void TraceLog::WriteParts(IByteWriter* inTarget, const Platform::LocalTime& inTime, const char* inText,
                          size_t inLength)
{
    char stamp[64];
    int stampLength = snprintf(stamp, sizeof(stamp), "[ %02d/%02d/%04d %02d:%02d:%02d ] ", inTime.day,
                               inTime.month, inTime.year, inTime.hour, inTime.minute, inTime.second);
    if (stampLength < 0 || static_cast<size_t>(stampLength) >= sizeof(stamp))
        stampLength = 0;
    inTarget->WriteBytes(reinterpret_cast<const Byte*>(stamp), static_cast<size_t>(stampLength));
    inTarget->WriteBytes(reinterpret_cast<const Byte*>(inText), inLength);
    inTarget->WriteBytes(reinterpret_cast<const Byte*>("\r\n"), 2);
}

void TraceLog::WriteEntry(const Platform::LocalTime& inTime, const char* inText, size_t inLength)
{
    if (mToStream) {
        if (mTargetStream)
            WriteParts(mTargetStream, inTime, inText, inLength);
        return;
    }
    if (mFilePath.empty())
        return;
    if (mOutputFile.OpenFile(mFilePath, true) != eSuccess)
        return;
    WriteParts(mOutputFile.GetOutputStream(), inTime, inText, inLength);
    mOutputFile.FlushAndClose();
}
