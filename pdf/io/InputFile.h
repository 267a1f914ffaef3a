#pragma once
// A file opened for reading: an InputFileStream behind a 256 KB InputBufferedStream. The stream
// from GetInputStream stays owned by the InputFile and is valid until the file is closed or
// another one opened. A failed open leaves no file open and the previous path in place.

#include "pdf/io/InputBufferedStream.h"

#include <string>

class InputFileStream;

class InputFile {
public:
    InputFile() = default;
    ~InputFile(); // closes the file, ignoring the result
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Closes a file opened before, then opens the regular file at the UTF-8 path.
    OpStatus OpenFile(const std::string& inFilePath);
    // Nothing open is success. -1 when the system reports a failed close (no log line).
    OpStatus CloseFile();

    InputBufferedStream* GetInputStream() { return mInputStream; }
    const std::string& GetFilePath() const { return mFilePath; }

private:
    std::string mFilePath;
    InputBufferedStream* mInputStream = nullptr;
    InputFileStream* mFileStream = nullptr; // owned through mInputStream
};
