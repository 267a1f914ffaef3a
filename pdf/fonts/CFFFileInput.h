#pragma once
// Reader of a Compact Font Format program (the "CFF " table of an OpenType font, or CFF data on
// its own) from a stream positioned at its first byte; the stream is the caller's.
//
// Reading CFF programs is not built yet: ReadCFFFile fails with one trace-log line, so fonts
// with CFF outlines cannot be read for subsetting.

#include "pdf/io/IByteReaderWithPosition.h"

class CFFFileInput {
public:
    CFFFileInput() = default;
    CFFFileInput(const CFFFileInput&) = delete;
    CFFFileInput& operator=(const CFFFileInput&) = delete;

    // Releases what an earlier read left, then reads the CFF data at the stream's position.
    OpStatus ReadCFFFile(IByteReaderWithPosition* inCFFFile);
    // Frees everything read.
    void ReleaseReadData() {}
};
