#pragma once
// A file opened for reading through the platform layer, with 64-bit positions. Owns its handle.
// A read that fails (not only one that meets the end) ends the stream: HasMoreBytes turns false
// and stays false, so no caller loops on a file that yields nothing.

#include "pdf/io/IByteReaderWithPosition.h"

#include <cstdio>
#include <string>

class InputFileStream : public IByteReaderWithPosition {
public:
    InputFileStream() = default;
    ~InputFileStream() override;
    InputFileStream(const InputFileStream&) = delete;
    InputFileStream& operator=(const InputFileStream&) = delete;

    // Opens a regular file for shared binary reading; a handle held before is closed first.
    OpStatus OpenForReading(const std::string& inFilePath);
    OpStatus Close(); // -1 when the system reports a failed close

    size_t Read(Byte* inBuffer, size_t inBufferSize) override;
    // After the last byte was read this stays true until a read comes back short.
    bool HasMoreBytes() override;
    void SkipForward(size_t inSkipSize) override;
    void SeekFromStart(LongFilePositionType inOffset) override;
    // Places the reader inOffset bytes before the end; at the start when that seek fails.
    void SeekFromEnd(LongFilePositionType inOffset) override;
    LongFilePositionType TellPosition() override; // 0 when closed

    LongFilePositionType QueryFileSize(); // 0 when closed; the position is kept

private:
    FILE* mStream = nullptr;
};
