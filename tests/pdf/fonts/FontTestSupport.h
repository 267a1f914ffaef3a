#pragma once
// Helpers of the font tests: the Debian fonts they read, FreeType opened on its own as the
// independent reader, big-endian patching of sfnt bytes, and collections and dfonts made from
// sfnt files.

#include "tests/pdf/support/TestDirectory.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace fonttest {

const char* const kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char* const kDejaVuSansBold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
const char* const kLiberationSans = "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf";
const char* const kDroidSansFallback = "/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf";
const char* const kNimbusSansOTF = "/usr/share/fonts/opentype/urw-base35/NimbusSans-Regular.otf";
const char* const kNimbusSansType1 = "/usr/share/fonts/type1/urw-base35/NimbusSans-Regular.t1";
const char* const kNimbusSansAFM = "/usr/share/fonts/type1/urw-base35/NimbusSans-Regular.afm";
const char* const kStandardSymbolsType1 = "/usr/share/fonts/type1/urw-base35/StandardSymbolsPS.t1";

enum InMemory { kInMemory };

// FreeType on its own: a library and one face of a file, opened by FreeType's own file access,
// or of font bytes in memory (kept with the face).
class ReferenceFace {
public:
    ReferenceFace(const std::string& inPath, long inFaceIndex = 0)
    {
        if (FT_Init_FreeType(&mLibrary) == 0)
            FT_New_Face(mLibrary, inPath.c_str(), inFaceIndex, &mFace);
    }
    ReferenceFace(const std::string& inBytes, InMemory) : mBytes(inBytes)
    {
        if (FT_Init_FreeType(&mLibrary) == 0)
            FT_New_Memory_Face(mLibrary, reinterpret_cast<const FT_Byte*>(mBytes.data()),
                               static_cast<FT_Long>(mBytes.size()), 0, &mFace);
    }
    ~ReferenceFace()
    {
        if (mFace)
            FT_Done_Face(mFace);
        if (mLibrary)
            FT_Done_FreeType(mLibrary);
    }
    ReferenceFace(const ReferenceFace&) = delete;
    ReferenceFace& operator=(const ReferenceFace&) = delete;

    FT_Face Face() const { return mFace; }

private:
    std::string mBytes;
    FT_Library mLibrary = nullptr;
    FT_Face mFace = nullptr;
};

inline uint32_t GetUInt32(const std::string& inBytes, size_t inAt)
{
    return (static_cast<uint32_t>(static_cast<unsigned char>(inBytes[inAt])) << 24) |
           (static_cast<uint32_t>(static_cast<unsigned char>(inBytes[inAt + 1])) << 16) |
           (static_cast<uint32_t>(static_cast<unsigned char>(inBytes[inAt + 2])) << 8) |
           static_cast<unsigned char>(inBytes[inAt + 3]);
}

inline uint16_t GetUInt16(const std::string& inBytes, size_t inAt)
{
    return static_cast<uint16_t>((static_cast<unsigned char>(inBytes[inAt]) << 8) |
                                 static_cast<unsigned char>(inBytes[inAt + 1]));
}

inline void PutUInt32(std::string& ioBytes, size_t inAt, uint32_t inValue)
{
    for (int i = 0; i < 4; ++i)
        ioBytes[inAt + i] = static_cast<char>((inValue >> (24 - 8 * i)) & 0xFF);
}

inline void PutUInt16(std::string& ioBytes, size_t inAt, uint16_t inValue)
{
    ioBytes[inAt] = static_cast<char>(inValue >> 8);
    ioBytes[inAt + 1] = static_cast<char>(inValue & 0xFF);
}

inline std::string BigEndian32(uint32_t inValue)
{
    std::string bytes(4, '\0');
    PutUInt32(bytes, 0, inValue);
    return bytes;
}

inline std::string BigEndian16(uint16_t inValue)
{
    std::string bytes(2, '\0');
    PutUInt16(bytes, 0, inValue);
    return bytes;
}

// The directory record of a table in a plain sfnt file: where its offset field is (npos if none).
inline size_t TableRecordAt(const std::string& inFont, const std::string& inTag)
{
    uint16_t count = GetUInt16(inFont, 4);
    for (size_t i = 0; i < count; ++i) {
        size_t record = 12 + 16 * i;
        if (inFont.compare(record, 4, inTag) == 0)
            return record;
    }
    return std::string::npos;
}

inline size_t TableOffset(const std::string& inFont, const std::string& inTag)
{
    return GetUInt32(inFont, TableRecordAt(inFont, inTag) + 8);
}

// The sfnt moved to inNewStart of a file: its table offsets (from the file's start) moved along.
inline std::string MovedSfnt(std::string inFont, uint32_t inNewStart)
{
    uint16_t count = GetUInt16(inFont, 4);
    for (size_t i = 0; i < count; ++i) {
        size_t field = 12 + 16 * i + 8;
        PutUInt32(inFont, field, GetUInt32(inFont, field) + inNewStart);
    }
    return inFont;
}

inline void PadToFour(std::string& ioBytes)
{
    while (ioBytes.size() % 4 != 0)
        ioBytes.push_back('\0');
}

// A TrueType collection of the given sfnt files, in that order.
inline std::string MakeCollection(const std::vector<std::string>& inFonts)
{
    std::string header = "ttcf" + BigEndian32(0x00010000) + BigEndian32(static_cast<uint32_t>(inFonts.size()));
    std::string body;
    size_t start = header.size() + 4 * inFonts.size();
    for (const std::string& font : inFonts) {
        uint32_t at = static_cast<uint32_t>(start + body.size());
        header += BigEndian32(at);
        body += MovedSfnt(font, at);
        PadToFour(body);
    }
    return header + body;
}

// A Mac resource fork holding each given file as an "sfnt" resource (ids 128 on), as a dfont.
inline std::string MakeDfont(const std::vector<std::string>& inResources)
{
    const uint32_t dataOffset = 256;
    std::string data;
    std::string references;
    for (size_t i = 0; i < inResources.size(); ++i) {
        references += BigEndian16(static_cast<uint16_t>(128 + i)) + BigEndian16(0xFFFF) +
                      BigEndian32(static_cast<uint32_t>(data.size()) & 0xFFFFFF) + BigEndian32(0);
        data += BigEndian32(static_cast<uint32_t>(inResources[i].size())) + inResources[i];
    }
    std::string typeList = BigEndian16(0) + "sfnt" + BigEndian16(static_cast<uint16_t>(inResources.size() - 1)) +
                           BigEndian16(2 + 8);
    uint32_t mapOffset = dataOffset + static_cast<uint32_t>(data.size());
    uint32_t mapLength = 28 + static_cast<uint32_t>(typeList.size() + references.size());
    std::string header = BigEndian32(dataOffset) + BigEndian32(mapOffset) +
                         BigEndian32(static_cast<uint32_t>(data.size())) + BigEndian32(mapLength);
    std::string map = header + std::string(8, '\0') + BigEndian16(28) + BigEndian16(static_cast<uint16_t>(mapLength)) +
                      typeList + references;
    return header + std::string(dataOffset - header.size(), '\0') + data + map;
}

} // namespace fonttest
