#pragma once
// Writes log entries to a file (opened for appending and closed again for every entry) or to a
// stream. A file the log creates itself may start with a UTF-8 byte-order mark; an existing file
// is only ever appended to.

#include "pdf/io/IByteWriter.h"
#include "pdf/io/OutputFile.h"
#include "pdf/io/Platform.h"

#include <string>

class TraceLog {
public:
    TraceLog(const std::string& inFilePath, bool inWriteByteOrderMark);
    explicit TraceLog(IByteWriter* inStream);
    ~TraceLog();

    // One entry: "[ dd/mm/yyyy hh:mm:ss ] ", the text, CR LF.
    void WriteEntry(const Platform::LocalTime& inTime, const char* inText, size_t inLength);

    const std::string& GetFilePath() const { return mFilePath; }

private:
    void WriteParts(IByteWriter* inTarget, const Platform::LocalTime& inTime, const char* inText, size_t inLength);

    std::string mFilePath; // empty: entries are dropped (or go to the stream)
    OutputFile mOutputFile;
    IByteWriter* mTargetStream = nullptr;
    bool mToStream = false;
};
