#pragma once
// The library's process-wide trace log. Off unless a writer start turns it on; every failing
// operation writes one line "Class::Method, text" before it returns -1. One mutex guards the
// settings and the writing, since several tool jobs may run on their own threads at once.
//
// Whether or not the log is on, each thread keeps the reason of its last failure: the first
// failure line written since the thread's current operation began (BeginOperation, called by
// the writer's entry points), which is the line nearest the cause, since every layer that
// gives up adds its own line after it. A line about something the library read past and went
// on (a repaired or ignored oddity of the file) goes through TraceNote, so that it is logged
// but never taken for the reason of a later failure.

#include "pdf/io/IByteWriter.h"
#include "pdf/io/Platform.h"

#include <atomic>
#include <cstdarg>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

class TraceLog;

class DiagnosticLog {
public:
    static constexpr size_t kMaxMessageLength = 5000;
    using ClockFunction = bool (*)(Platform::LocalTime&);

    static DiagnosticLog& Instance();

    // Why the calling thread's last operation failed, and the file that operation was about.
    // An empty text: nothing failed since the operation began.
    struct FailureReason {
        std::string mText;
        std::string mFile;
    };
    // Forgets the calling thread's reason; the next failure line becomes the new one.
    static void BeginOperation(const std::string& inFile);
    static FailureReason LastFailure();

    // A failure line: formatted (cut at 5000 characters), kept as the thread's reason when it is
    // the first since the operation began, and written when the log is on.
    void WriteMessage(const char* inFormat, ...) __attribute__((format(printf, 2, 3)));
    void WriteFormattedMessage(const char* inFormat, va_list inArguments);
    // A note: written when the log is on, never kept as a reason.
    void WriteFormattedNote(const char* inFormat, va_list inArguments);

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
    void WriteToLog(const char* inFormat, va_list inArguments);

    std::mutex mMutex;
    std::atomic<bool> mEnabled{false};
    std::string mLogFilePath = "Log.txt";
    IByteWriter* mLogStream = nullptr;
    bool mWriteByteOrderMark = false;
    std::unique_ptr<TraceLog> mTraceLog;
    ClockFunction mClock;
    char mBuffer[kMaxMessageLength + 1];
};

// Shorthand for DiagnosticLog::Instance().WriteMessage: a failure line.
void TraceMessage(const char* inFormat, ...) __attribute__((format(printf, 1, 2)));
// A line about an oddity the library got past; never a failure's reason.
void TraceNote(const char* inFormat, ...) __attribute__((format(printf, 1, 2)));

// Bytes read from a file, fit to be quoted in a trace line, which may reach the user as the
// reason of a failure: at most kMaxTraceExcerptBytes of them, printable ASCII as it is, a
// backslash and every other byte as "\xNN", and "..." after a cut. A text file or a binary blob
// taken for a PDF thus shows a few recognisable characters, never a page of raw bytes.
inline constexpr size_t kMaxTraceExcerptBytes = 32;
std::string TraceExcerpt(std::string_view inBytes);

// Called by the JPEG decoder's message hook.
void KestrinJPGOutputMessage(const char* inMessage);
