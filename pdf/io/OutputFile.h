#pragma once
// A file being written: an OutputFileStream behind the library's buffered stream. Every writer
// of the library writes through GetOutputStream(). Opening an open file closes it first.

#include "pdf/io/OutputBufferedStream.h"

#include <string>

class OutputFileStream;

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile(); // closes as FlushAndClose does
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    OpStatus OpenFile(const std::string& inFilePath, bool inAppend = false);
    // Writes out the buffer and closes. -1 when any write of the file or the close failed;
    // the caller words the message.
    OpStatus FlushAndClose();

    bool IsOpen() const { return mOutputStream != nullptr; }
    IByteWriterWithPosition* GetOutputStream() { return mOutputStream; }
    const std::string& GetFilePath() const { return mFilePath; }
    // The system's reason for the first write (or the close) of the file that it refused: of the
    // open file, or after closing of the file closed last, until another one is opened; empty
    // when none. A caller whose end of the file failed learns so whether the disk was the cause.
    std::string GetWriteFailure() const;

private:
    OpStatus CloseStreams();

    std::string mFilePath;
    OutputBufferedStream* mOutputStream = nullptr;
    OutputFileStream* mFileStream = nullptr; // owned through mOutputStream
    std::string mClosedFileFailure;
};
