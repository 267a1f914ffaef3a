#pragma once
// A file opened for writing through the platform layer. Owns its handle. The first write or close
// that the system refuses writes a failure line with the system's reason ("No space left on
// device"), which the layers above, who only see a short count, cannot know.

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

    // The system's reason for the first refused write or close since Open; empty when none.
    const std::string& GetFailure() const { return mFailure; }

private:
    // A failure line for the first refusal since the file was opened.
    void NoteFailure(const char* inStep);

    FILE* mStream = nullptr;
    std::string mFailure;
};
