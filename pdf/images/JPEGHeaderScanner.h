#pragma once
// Reads the header of a JPEG file without decoding it: the frame's size and components, and the
// resolution of the first JFIF and Exif blocks and of a Photoshop block, and whether an Adobe
// block is there. The reader is not owned and is read from the file's start up to the first scan.
// Every segment is read whole (at most 65,533 bytes) and parsed inside its own bounds; damaged
// resolution blocks are ignored, while a file without a readable frame of positive size fails.

#include "pdf/images/JPEGImageInformation.h"
#include "pdf/io/IByteReader.h"

#include <cstddef>
#include <vector>

class JPEGHeaderScanner {
public:
    // -1, after one log line, when the data is not a JPEG file with a readable frame header.
    OpStatus ScanHeader(IByteReader* inJPEGStream, JPEGImageInformation& outInformation);

private:
    // Each takes the segment's data after its length bytes.
    OpStatus ReadFrame(const std::vector<Byte>& inSegment, JPEGImageInformation& ioInformation);
    bool ReadJFIF(const std::vector<Byte>& inSegment, JPEGImageInformation& ioInformation);
    bool ReadExif(const std::vector<Byte>& inSegment, JPEGImageInformation& ioInformation);
    bool ReadPhotoshop(const std::vector<Byte>& inSegment, JPEGImageInformation& ioInformation);
    bool ReadAdobe(const std::vector<Byte>& inSegment, JPEGImageInformation& ioInformation);
};
