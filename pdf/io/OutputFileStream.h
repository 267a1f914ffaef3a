#pragma once
// A file opened for writing through the platform layer. Owns its handle.

#include "pdf/io/IByteWriterWithPosition.h"

#include <cstdio>
#include <string>

class OutputFileStream : public IByteWriterWithPosition {
public:
    OutputFileStream() = default;
    ~OutputFileStream() override;
    OutputFileStream(const OutputFileStream&) = delete;
    OutputFileStream& operator=(const OutputFileStream&) = delete;

    // Truncates (or creates) the file, or appends to it; positioned at its end afterwards.
    OpStatus Open(const std::string& inFilePath, bool inAppend = false);
    OpStatus Close(); // -1 when the system reports a failed close (buffered data lost)

    size_t WriteBytes(const Byte* inBuffer, size_t inSize) override;
    LongFilePositionType TellPosition() override;

private:
    FILE* mStream = nullptr;
};
