#pragma once
// Encodes decoded image data as zlib (Flate) streams through libtiff's Adobe Deflate codec: a
// libtiff handle named "dummy.txt", opened for writing over client procedures, takes each buffer
// as one more strip of an image of the buffer's size, and its write procedure passes the strip's
// encoded bytes to the target writer of that call. The TIFF header and directory that libtiff
// also writes go nowhere: a target is set only while a strip is written and is cleared before the
// handle is closed. One encoder serves every tile of one size, so that the codec's state is made
// once per page, not once per tile.

#include "pdf/io/IByteWriter.h"

#include <tiffio.h>

#include <cstdint>
#include <string>

class TIFFStripEncoder {
public:
    // Buffers of inLength rows of inWidth pixels of inSamplesPerPixel samples of inBitsPerSample
    // bits each, every row padded to whole bytes. With inPredictor (8-bit samples only) each sample
    // is encoded as its difference to the one before it in its row (the TIFF predictor 2 of PDF's
    // DecodeParms), which changes the caller's buffer.
    TIFFStripEncoder(uint32_t inWidth, uint32_t inLength, uint16_t inBitsPerSample, uint16_t inSamplesPerPixel,
                     bool inPredictor, const std::string& inImageName);
    ~TIFFStripEncoder();
    TIFFStripEncoder(const TIFFStripEncoder&) = delete;
    TIFFStripEncoder& operator=(const TIFFStripEncoder&) = delete;

    // -1 after a log line when libtiff fails or the target takes fewer bytes than given.
    OpStatus Encode(IByteWriter* inTarget, Byte* ioData, uint64_t inSize);

private:
    static tmsize_t Read(thandle_t inHandle, void* inBuffer, tmsize_t inSize);
    static tmsize_t Write(thandle_t inHandle, void* inBuffer, tmsize_t inSize);
    static toff_t Seek(thandle_t inHandle, toff_t inOffset, int inWhence);
    static int Close(thandle_t inHandle);
    static toff_t Size(thandle_t inHandle);
    static int Map(thandle_t inHandle, void** outBase, toff_t* outSize);
    static void Unmap(thandle_t inHandle, void* inBase, toff_t inSize);

    std::string mImageName;
    TIFF* mTIFF = nullptr;
    uint32_t mNextStrip = 0;
    IByteWriter* mTarget = nullptr;
    bool mWriteFailed = false;
};
