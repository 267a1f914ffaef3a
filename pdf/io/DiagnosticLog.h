#pragma once
// The library's process-wide trace log. Off unless a writer start turns it on; every failing
// operation writes one line "Class::Method, text" before it returns -1. One mutex guards the
// settings and the writing, since several tool jobs may run on their own threads at once.

#include "pdf/io/IByteWriter.h"
#include "pdf/io/Platform.h"

#include <atomic>
#include <cstdarg>
#include <memory>
#include <mutex>
#include <string>

class TraceLog;

class DiagnosticLog {
public:
    static constexpr size_t kMaxMessageLength = 5000;
    using ClockFunction = bool (*)(Platform::LocalTime&);

    static DiagnosticLog& Instance();

    // Formats one entry (cut at 5000 characters). Returns at once when the log is off.
    void WriteMessage(const char* inFormat, ...) __attribute__((format(printf, 2, 3)));
    void WriteFormattedMessage(const char* inFormat, va_list inArguments);

    // Points the log at a file; the file is probed (and created when missing) at the next message.
    void SetLogFile(const std::string& inLogFilePath, bool inEnabled, bool inWriteByteOrderMark);
    // Points the log at a stream (not owned); no file is used while a stream is set.
    void SetLogStream(IByteWriter* inLogStream, bool inEnabled);

    // The hook that the JPEG decoder calls with its own message text.
    void WriteJPGLibraryMessage(const char* inMessage);

    bool IsEnabled() const { return mEnabled.load(std::memory_order_relaxed); }

    // Tests pin the time stamps; null restores the system clock.
    void SetClock(ClockFunction inClock);

    ~DiagnosticLog();

private:
    DiagnosticLog();
    void EnsureTraceLog();
    void WriteEntry(const char* inText, size_t inLength);

    std::mutex mMutex;
    std::atomic<bool> mEnabled{false};
    std::string mLogFilePath = "Log.txt";
    IByteWriter* mLogStream = nullptr;
    bool mWriteByteOrderMark = false;
    std::unique_ptr<TraceLog> mTraceLog;
    ClockFunction mClock;
    char mBuffer[kMaxMessageLength + 1];
};

// Shorthand for DiagnosticLog::Instance().WriteMessage.
void TraceMessage(const char* inFormat, ...) __attribute__((format(printf, 1, 2)));

// Called by the JPEG decoder's message hook.
void KestrinJPGOutputMessage(const char* inMessage);
