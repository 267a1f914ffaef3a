#pragma once
// A libtiff handle named "Stream" that reads a TIFF file through the library's own stream (not
// owned), which stands at the start of the TIFF data when the handle is opened; positions that
// libtiff asks for count from there. libtiff's messages go to the trace log through this handle's
// own handlers. The handle is closed when the object goes.

#include "pdf/io/IByteReaderWithPosition.h"

#include <tiffio.h>

class TIFFReadingHandle {
public:
    explicit TIFFReadingHandle(IByteReaderWithPosition* inStream);
    ~TIFFReadingHandle();
    TIFFReadingHandle(const TIFFReadingHandle&) = delete;
    TIFFReadingHandle& operator=(const TIFFReadingHandle&) = delete;

    // Reads the first directory; false (after libtiff's own log lines) when the data is no TIFF.
    bool Open();
    TIFF* Get() { return mTIFF; }
    // The stream's length from the opening position.
    LongFilePositionType DataSize();

private:
    static tmsize_t Read(thandle_t inHandle, void* inBuffer, tmsize_t inSize);
    static tmsize_t Write(thandle_t inHandle, void* inBuffer, tmsize_t inSize);
    static toff_t Seek(thandle_t inHandle, toff_t inOffset, int inWhence);
    static int Close(thandle_t inHandle);
    static toff_t Size(thandle_t inHandle);
    static int Map(thandle_t inHandle, void** outBase, toff_t* outSize);
    static void Unmap(thandle_t inHandle, void* inBase, toff_t inSize);

    IByteReaderWithPosition* mStream;
    LongFilePositionType mStart;
    TIFF* mTIFF = nullptr;
};
