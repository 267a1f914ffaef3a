#pragma once
// Turns the trace log on into memory for one test, with the clock fixed at 5 March 2016
// 09:07:03, and turns it off again afterwards.

#include "pdf/io/DiagnosticLog.h"
#include "pdf/io/OutputStringBufferStream.h"

#include <string>

class LogCapture {
public:
    LogCapture()
    {
        DiagnosticLog::Instance().SetClock(&FixedClock);
        DiagnosticLog::Instance().SetLogStream(&mStream, true);
    }
    ~LogCapture() { TurnLogOff(); }

    std::string Text() const { return mStream.ContentsAsString(); }

    static bool FixedClock(Platform::LocalTime& outTime)
    {
        outTime = Platform::LocalTime();
        outTime.year = 2016;
        outTime.month = 3;
        outTime.day = 5;
        outTime.hour = 9;
        outTime.minute = 7;
        outTime.second = 3;
        return true;
    }

    static void TurnLogOff()
    {
        DiagnosticLog::Instance().SetLogFile("PDFWriterLog.txt", false, false);
        DiagnosticLog::Instance().SetClock(nullptr);
    }

private:
    OutputStringBufferStream mStream;
};
