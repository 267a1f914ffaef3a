#include "pdf/io/DiagnosticLog.h"

#include "pdf/io/TraceLog.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

DiagnosticLog& DiagnosticLog::Instance()
{
    static DiagnosticLog sLog;
    return sLog;
}

DiagnosticLog::DiagnosticLog() : mClock(&Platform::GetCurrentLocalTime)
{
    mBuffer[0] = 0;
}

DiagnosticLog::~DiagnosticLog() = default;

void DiagnosticLog::EnsureTraceLog()
{
    if (mTraceLog)
        return;
    if (mLogStream)
        mTraceLog.reset(new TraceLog(mLogStream));
    else
        mTraceLog.reset(new TraceLog(mLogFilePath, mWriteByteOrderMark));
}

void DiagnosticLog::WriteEntry(const char* inText, size_t inLength)
{
    EnsureTraceLog();
    Platform::LocalTime now;
    if (!mClock(now))
        now = Platform::LocalTime();
    mTraceLog->WriteEntry(now, inText, inLength);
}

// Set while this thread writes an entry. The log's own file handling reports failures through
// the log (OutputFile::OpenFile on an unwritable log path); such a nested message is dropped,
// since the mutex is already held by this very thread.
static thread_local bool sWritingEntry = false;

namespace {
struct WritingEntryScope {
    WritingEntryScope() { sWritingEntry = true; }
    ~WritingEntryScope() { sWritingEntry = false; }
};
} // namespace

namespace {

// The calling thread's reason; set is false until a failure line arrives after BeginOperation.
struct ThreadFailure {
    DiagnosticLog::FailureReason reason;
    bool set = false;
};
thread_local ThreadFailure sFailure;

} // namespace

void DiagnosticLog::BeginOperation(const std::string& inFile)
{
    sFailure.reason.mText.clear();
    sFailure.reason.mFile = inFile;
    sFailure.set = false;
}

DiagnosticLog::FailureReason DiagnosticLog::LastFailure()
{
    return sFailure.reason;
}

void DiagnosticLog::WriteToLog(const char* inFormat, va_list inArguments)
{
    if (!IsEnabled())
        return;
    std::lock_guard<std::mutex> lock(mMutex);
    if (!mEnabled)
        return;
    WritingEntryScope writing;
    int length = vsnprintf(mBuffer, sizeof(mBuffer), inFormat, inArguments);
    if (length >= 0) {
        // vsnprintf cuts the text at the buffer's 5000 characters.
        size_t textLength =
            static_cast<size_t>(length) > kMaxMessageLength ? kMaxMessageLength : static_cast<size_t>(length);
        WriteEntry(mBuffer, textLength);
    }
}

void DiagnosticLog::WriteFormattedMessage(const char* inFormat, va_list inArguments)
{
    if (sWritingEntry)
        return;
    if (!sFailure.set) {
        // Only the first line since the operation began is formatted for the reason: the lines
        // that follow it are the layers above giving up.
        char text[kMaxMessageLength + 1];
        va_list copy;
        va_copy(copy, inArguments);
        int length = vsnprintf(text, sizeof(text), inFormat, copy);
        va_end(copy);
        if (length >= 0) {
            sFailure.reason.mText.assign(text, static_cast<size_t>(length) > kMaxMessageLength ? kMaxMessageLength
                                                                                             : static_cast<size_t>(length));
            sFailure.set = true;
        }
    }
    WriteToLog(inFormat, inArguments);
}

void DiagnosticLog::WriteFormattedNote(const char* inFormat, va_list inArguments)
{
    if (sWritingEntry)
        return;
    WriteToLog(inFormat, inArguments);
}

void DiagnosticLog::WriteMessage(const char* inFormat, ...)
{
    va_list arguments;
    va_start(arguments, inFormat);
    WriteFormattedMessage(inFormat, arguments);
    va_end(arguments);
}

void DiagnosticLog::WriteJPGLibraryMessage(const char* inMessage)
{
    WriteMessage("KestrinJPGOutputMessage, error from jpg library: %s", inMessage ? inMessage : "");
}

void DiagnosticLog::SetLogFile(const std::string& inLogFilePath, bool inEnabled, bool inWriteByteOrderMark)
{
    std::lock_guard<std::mutex> lock(mMutex);
    mLogFilePath = inLogFilePath;
    mWriteByteOrderMark = inWriteByteOrderMark;
    mLogStream = nullptr;
    mTraceLog.reset();
    mEnabled = inEnabled;
}

void DiagnosticLog::SetLogStream(IByteWriter* inLogStream, bool inEnabled)
{
    std::lock_guard<std::mutex> lock(mMutex);
    mLogStream = inLogStream;
    mWriteByteOrderMark = false;
    mEnabled = inEnabled;
    // An existing writer is rebuilt over the stream now; otherwise the first message builds it.
    if (mTraceLog)
        mTraceLog.reset(inEnabled ? new TraceLog(inLogStream) : nullptr);
}

void DiagnosticLog::SetClock(ClockFunction inClock)
{
    std::lock_guard<std::mutex> lock(mMutex);
    mClock = inClock ? inClock : &Platform::GetCurrentLocalTime;
}

void TraceMessage(const char* inFormat, ...)
{
    va_list arguments;
    va_start(arguments, inFormat);
    DiagnosticLog::Instance().WriteFormattedMessage(inFormat, arguments);
    va_end(arguments);
}

std::string TraceExcerpt(std::string_view inBytes)
{
    static const char kDigits[] = "0123456789ABCDEF";
    const std::string_view kept = inBytes.substr(0, kMaxTraceExcerptBytes);
    std::string excerpt;
    excerpt.reserve(kept.size() * 4 + 3);
    for (char character : kept) {
        const unsigned char byte = static_cast<unsigned char>(character);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            excerpt.push_back(character);
            continue;
        }
        excerpt += "\\x";
        excerpt.push_back(kDigits[byte >> 4]);
        excerpt.push_back(kDigits[byte & 0x0F]);
    }
    if (inBytes.size() > kept.size())
        excerpt += "...";
    return excerpt;
}

void TraceNote(const char* inFormat, ...)
{
    DiagnosticLog& log = DiagnosticLog::Instance();
    if (!log.IsEnabled())
        return;
    va_list arguments;
    va_start(arguments, inFormat);
    log.WriteFormattedNote(inFormat, arguments);
    va_end(arguments);
}

void KestrinJPGOutputMessage(const char* inMessage)
{
    DiagnosticLog::Instance().WriteJPGLibraryMessage(inMessage);
}
