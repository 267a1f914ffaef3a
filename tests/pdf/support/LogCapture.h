#pragma once
// The trace log sent into memory for one test, its time stamps pinned at 5 March 2016 09:07:03.
// The log is on from construction; a writer start given Settings() keeps it going into the same
// memory. When the object goes, the log is back at the writer's default (off, "PDFWriterLog.txt",
// the system clock).

#include "pdf/io/DiagnosticLog.h"
#include "pdf/io/OutputStringBufferStream.h"
#include "pdf/io/Platform.h"
#include "pdf/writing/LogSettings.h"

#include <string>

namespace testsupport {

class LogCapture {
public:
    LogCapture()
    {
        mSettings.mEnabled = true;
        mSettings.mLogStream = &mStream;
        DiagnosticLog::Instance().SetClock(&FixedClock);
        DiagnosticLog::Instance().SetLogStream(&mStream, true);
    }
    ~LogCapture() { TurnLogOff(); }

    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // For writer starts: the log on, into this capture.
    const LogSettings& Settings() const { return mSettings; }

    std::string Text() const { return mStream.ContentsAsString(); }
    bool Contains(const std::string& inText) const { return Text().find(inText) != std::string::npos; }
    size_t LineCount() const
    {
        std::string text = Text();
        size_t count = 0;
        for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2))
            ++count;
        return count;
    }

    static bool FixedClock(Platform::LocalTime& outTime)
    {
        outTime = Platform::LocalTime{2016, 3, 5, 9, 7, 3, false, 0};
        return true;
    }

    static void TurnLogOff()
    {
        DiagnosticLog::Instance().SetLogFile("PDFWriterLog.txt", false, false);
        DiagnosticLog::Instance().SetClock(nullptr);
    }

private:
    OutputStringBufferStream mStream;
    LogSettings mSettings;
};

} // namespace testsupport
