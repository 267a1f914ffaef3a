#pragma once
// Reads the image data of one TIFF page (or of one of its tiles) as the PDF image holds it:
// either the encoded bytes unchanged (Group 4 bit-reversed when stored least significant bit
// first), or decoded samples after the page's conversions (separate planes interleaved, edge
// tiles cropped to the image, alpha dropped, YCbCr turned into RGB, signed L*a*b* made unsigned).
// Every buffer size is computed in 64 bits, checked against libtiff's own and capped before it is
// allocated. The handle and the page information are borrowed.

#include "pdf/images/TIFFPageInformation.h"
#include "pdf/io/IOBasicTypes.h"

#include <tiffio.h>

#include <cstdint>
#include <memory>
#include <string>

struct TIFFImageData {
    std::unique_ptr<Byte[]> mBytes;
    uint64_t mSize = 0;
    uint32_t mWidth = 0;  // pixels of each row
    uint32_t mLength = 0; // rows
};

class TIFFSampleReader {
public:
    TIFFSampleReader(TIFF* inTIFF, const TIFFPageInformation& inPage, const std::string& inFileName)
        : mTIFF(inTIFF), mPage(inPage), mFileName(inFileName)
    {
    }

    // The encoded bytes of the tile, or of the page's single strip; its size is the full tile's.
    bool ReadRaw(uint32_t inTile, TIFFImageData& outData);
    // The decoded, converted samples of the tile (cropped at the image's edges) or of the page.
    bool ReadDecoded(uint32_t inTile, TIFFImageData& outData);

private:
    bool Allocate(uint64_t inSize, TIFFImageData& outData);
    bool ReadStrips(TIFFImageData& outData);
    bool ReadTile(uint32_t inTile, TIFFImageData& outData);
    bool ReadRGBA(TIFFImageData& outData);
    // Row bytes of inWidth pixels of inSamples samples at the page's bits per sample; 0 when the
    // row would be too long.
    uint64_t RowBytes(uint32_t inWidth, uint16_t inSamples) const;
    bool Interleave(TIFFImageData& ioData, uint64_t inPlaneBytes);
    void Crop(TIFFImageData& ioData, uint32_t inWidth, uint32_t inLength);
    void DropAlpha(TIFFImageData& ioData);
    void MakeLabUnsigned(TIFFImageData& ioData);

    TIFF* mTIFF;
    const TIFFPageInformation& mPage;
    std::string mFileName;
};
