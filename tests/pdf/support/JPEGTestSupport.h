#pragma once
// JPEG files made by the tests with libjpeg's compressor, from any pixels or from four solid
// blocks of colour (one per quarter, each a whole number of 16-pixel blocks so that compression
// keeps them solid), with the JFIF, Adobe and extra marker segments a test asks for; builders of Exif and Photoshop
// resolution blocks; and small byte surgery for damaged files.

#include "pdf/io/IOBasicTypes.h"

#include <cstdio> // jpeglib.h needs FILE

#include <jpeglib.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace JPEGTestSupport {

using Color = std::array<Byte, 4>;

struct JPEGRecipe {
    int mWidth = 96;
    int mHeight = 64;
    int mComponents = 3; // 1 gray, 3 RGB, 4 CMYK
    // Top left, top right, bottom left, bottom right, in the file's own component values.
    std::array<Color, 4> mBlocks = {Color{220, 30, 30, 0}, Color{30, 200, 60, 0}, Color{30, 60, 220, 0},
                                     Color{240, 220, 40, 0}};
    bool mProgressive = false;
    bool mJFIF = true;
    int mDensityUnit = 0; // 0 none, 1 per inch, 2 per cm
    int mXDensity = 1;
    int mYDensity = 1;
    bool mAdobe = false; // the Adobe block of CMYK files
    // Marker code and data, written in this order after the JFIF and Adobe blocks.
    std::vector<std::pair<int, std::string>> mMarkers;
};

// The colour of the block that holds the pixel.
inline const Color& BlockAt(const JPEGRecipe& inRecipe, int inX, int inY)
{
    int block = (inX < inRecipe.mWidth / 2 ? 0 : 1) + (inY < inRecipe.mHeight / 2 ? 0 : 2);
    return inRecipe.mBlocks[static_cast<size_t>(block)];
}

// Compresses inPixels (rows from the top, mComponents bytes a pixel) as the recipe says, the
// blocks aside; inScans, when given, is the progressive scan script to use.
inline std::string CompressJPEG(const JPEGRecipe& inRecipe, const std::vector<Byte>& inPixels,
                                const std::vector<jpeg_scan_info>* inScans = nullptr)
{
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* memory = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &memory, &size);
    info.image_width = static_cast<JDIMENSION>(inRecipe.mWidth);
    info.image_height = static_cast<JDIMENSION>(inRecipe.mHeight);
    info.input_components = inRecipe.mComponents;
    info.in_color_space = inRecipe.mComponents == 1 ? JCS_GRAYSCALE : inRecipe.mComponents == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    if (inRecipe.mProgressive)
        jpeg_simple_progression(&info);
    if (inScans) {
        info.scan_info = inScans->data();
        info.num_scans = static_cast<int>(inScans->size());
    }
    info.write_JFIF_header = inRecipe.mJFIF ? TRUE : FALSE;
    info.density_unit = static_cast<UINT8>(inRecipe.mDensityUnit);
    info.X_density = static_cast<UINT16>(inRecipe.mXDensity);
    info.Y_density = static_cast<UINT16>(inRecipe.mYDensity);
    info.write_Adobe_marker = inRecipe.mAdobe ? TRUE : FALSE;
    jpeg_start_compress(&info, TRUE);
    for (const auto& marker : inRecipe.mMarkers)
        jpeg_write_marker(&info, marker.first, reinterpret_cast<const JOCTET*>(marker.second.data()),
                          static_cast<unsigned int>(marker.second.size()));
    const size_t rowSize = static_cast<size_t>(inRecipe.mWidth) * inRecipe.mComponents;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(inPixels.data() + static_cast<size_t>(info.next_scanline) * rowSize);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::string jpeg(reinterpret_cast<const char*>(memory), size);
    jpeg_destroy_compress(&info);
    free(memory);
    return jpeg;
}

// The recipe's four blocks of colour, compressed.
inline std::string MakeJPEG(const JPEGRecipe& inRecipe)
{
    std::vector<Byte> pixels(static_cast<size_t>(inRecipe.mWidth) * inRecipe.mHeight * inRecipe.mComponents);
    size_t at = 0;
    for (int y = 0; y < inRecipe.mHeight; ++y)
        for (int x = 0; x < inRecipe.mWidth; ++x)
            for (int c = 0; c < inRecipe.mComponents; ++c)
                pixels[at++] = BlockAt(inRecipe, x, y)[static_cast<size_t>(c)];
    return CompressJPEG(inRecipe, pixels);
}

// Multi-byte values in either byte order.
inline std::string Bytes16(unsigned inValue, bool inBigEndian = true)
{
    char high = static_cast<char>((inValue >> 8) & 0xFF);
    char low = static_cast<char>(inValue & 0xFF);
    return inBigEndian ? std::string{high, low} : std::string{low, high};
}

inline std::string Bytes32(uint32_t inValue, bool inBigEndian = true)
{
    return inBigEndian ? Bytes16(inValue >> 16) + Bytes16(inValue & 0xFFFF)
                       : Bytes16(inValue & 0xFFFF, false) + Bytes16(inValue >> 16, false);
}

// An Exif APP1 block with XResolution, YResolution and, when inUnit is not negative,
// ResolutionUnit; the offsets can be bent to point anywhere.
struct ExifRecipe {
    bool mBigEndian = true;
    uint32_t mXNumerator = 300;
    uint32_t mXDenominator = 1;
    uint32_t mYNumerator = 300;
    uint32_t mYDenominator = 1;
    int mUnit = 2;
    uint32_t mDirectoryOffset = 8;     // where the directory really is
    uint32_t mWrittenDirectoryOffset = 8;
    long long mRationalOffsetShift = 0; // added to the written offsets of the rationals
    int mWrittenEntryCount = -1;        // the real count when negative
};

inline std::string ExifBlock(const ExifRecipe& inRecipe)
{
    bool big = inRecipe.mBigEndian;
    int entries = inRecipe.mUnit >= 0 ? 3 : 2;
    uint32_t rationals = inRecipe.mDirectoryOffset + 2 + 12 * entries + 4;
    auto entry = [&](unsigned inTag, unsigned inType, uint32_t inValue) {
        std::string value = inType == 3 ? Bytes16(inValue, big) + std::string(2, '\0') : Bytes32(inValue, big);
        return Bytes16(inTag, big) + Bytes16(inType, big) + Bytes32(1, big) + value;
    };
    std::string tiff = std::string(big ? "MM" : "II") + Bytes16(42, big) + Bytes32(inRecipe.mWrittenDirectoryOffset, big);
    tiff.resize(inRecipe.mDirectoryOffset, '\0');
    tiff += Bytes16(inRecipe.mWrittenEntryCount >= 0 ? static_cast<unsigned>(inRecipe.mWrittenEntryCount)
                                                   : static_cast<unsigned>(entries),
                    big);
    tiff += entry(282, 5, static_cast<uint32_t>(rationals + inRecipe.mRationalOffsetShift));
    tiff += entry(283, 5, static_cast<uint32_t>(rationals + 8 + inRecipe.mRationalOffsetShift));
    if (inRecipe.mUnit >= 0)
        tiff += entry(296, 3, static_cast<uint32_t>(inRecipe.mUnit));
    tiff += Bytes32(0, big); // no next directory
    tiff += Bytes32(inRecipe.mXNumerator, big) + Bytes32(inRecipe.mXDenominator, big);
    tiff += Bytes32(inRecipe.mYNumerator, big) + Bytes32(inRecipe.mYDenominator, big);
    return std::string("Exif\0\0", 6) + tiff;
}

// A Photoshop APP13 block: an unrelated resource with a name and an odd size first, then the
// resolution resource with 16.16 fixed-point resolutions.
inline std::string PhotoshopBlock(unsigned inXWhole, unsigned inXFraction, unsigned inYWhole, unsigned inYFraction)
{
    std::string block("Photoshop 3.0\0", 14);
    block += "8BIM" + Bytes16(0x0404) + std::string("\x02" "ab", 3) + std::string(1, '\0') + Bytes32(5) +
             std::string("12345", 5) + std::string(1, '\0');
    block += "8BIM" + Bytes16(0x03ED) + std::string(2, '\0') + Bytes32(16);
    block += Bytes16(inXWhole) + Bytes16(inXFraction) + Bytes16(1) + Bytes16(1);
    block += Bytes16(inYWhole) + Bytes16(inYFraction) + Bytes16(1) + Bytes16(1);
    return block;
}

inline std::string XMPBlock()
{
    return std::string("http://ns.adobe.com/xap/1.0/\0", 29) +
           "<?xpacket begin='' id='W5M0MpCehiHzreSzNTczkc9d'?><x:xmpmeta xmlns:x='adobe:ns:meta/'/>"
           "<?xpacket end='w'?>";
}

// The offset of the first FF <code> marker after the start of image; npos when there is none.
inline size_t FindMarker(const std::string& inJPEG, int inCode)
{
    size_t at = 2;
    while (at + 4 <= inJPEG.size()) {
        if (static_cast<Byte>(inJPEG[at]) != 0xFF)
            return std::string::npos;
        int code = static_cast<Byte>(inJPEG[at + 1]);
        if (code == inCode)
            return at;
        if (code == 0xDA)
            return std::string::npos;
        at += 2 + ((static_cast<Byte>(inJPEG[at + 2]) << 8) | static_cast<Byte>(inJPEG[at + 3]));
    }
    return std::string::npos;
}

} // namespace JPEGTestSupport
