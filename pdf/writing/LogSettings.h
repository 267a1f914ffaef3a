#pragma once
// How a writer start sets up the process-wide trace log: on or off, whether a log file the
// library creates begins with a UTF-8 byte-order mark, the file's UTF-8 path, and an optional
// stream (not owned) that takes the entries instead of any file. A default-made value is the
// writer's default: logging off, no mark, "PDFWriterLog.txt", no stream.

#include "pdf/io/IByteWriter.h"

#include <string>

struct LogSettings {
    bool mEnabled = false;
    bool mWriteByteOrderMark = false;
    std::string mLogFilePath = "PDFWriterLog.txt";
    IByteWriter* mLogStream = nullptr;
};
