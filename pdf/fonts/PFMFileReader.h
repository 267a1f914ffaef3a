#pragma once
// The Windows printer font metrics (PFM) that may come with a Type 1 font: the values the Type 1
// face extender uses.
//
// Reading PFM files is not built yet: Read fails with one trace-log line and every value stays 0.

#include "pdf/io/IOBasicTypes.h"

#include <string>

class PFMFileReader {
public:
    OpStatus Read(const std::string& inPFMFilePath);

    Byte PitchAndFamily() const { return mPitchAndFamily; }
    uint16_t CapHeight() const { return mCapHeight; }
    uint16_t XHeight() const { return mXHeight; }

private:
    Byte mPitchAndFamily = 0;
    uint16_t mCapHeight = 0;
    uint16_t mXHeight = 0;
};
