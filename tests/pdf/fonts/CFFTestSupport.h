#pragma once
// Helpers of the CFF tests: small CFF fonts built byte by byte (name-keyed or CID-keyed, with
// subroutines, charsets, encodings and FDSelect given as raw bytes), Type 2 number bytes, the
// "CFF " table of an OpenType file, and FreeType outlines and advances to compare glyphs by.

#include "FontTestSupport.h"

#include FT_OUTLINE_H

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace cfftest {

const char* const kNotoSansCJK = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";
const char* const kURWFolder = "/usr/share/fonts/opentype/urw-base35";

// The 35 OpenType fonts of fonts-urw-base35 in name order, then Noto Sans CJK (CID-keyed).
inline std::vector<std::string> DebianCFFFonts()
{
    std::vector<std::string> fonts;
    for (const auto& entry : std::filesystem::directory_iterator(kURWFolder))
        if (entry.path().extension() == ".otf")
            fonts.push_back(entry.path().string());
    std::sort(fonts.begin(), fonts.end());
    fonts.push_back(kNotoSansCJK);
    return fonts;
}

inline std::string Bytes(std::initializer_list<int> inBytes)
{
    std::string bytes;
    for (int byte : inBytes)
        bytes.push_back(static_cast<char>(byte));
    return bytes;
}

// A Type 2 / DICT integer in its shortest form (-1131 to 1131 and 16-bit values).
inline std::string Num(int inValue)
{
    if (inValue >= -107 && inValue <= 107)
        return Bytes({inValue + 139});
    if (inValue >= 108 && inValue <= 1131)
        return Bytes({(inValue - 108) / 256 + 247, (inValue - 108) % 256});
    if (inValue >= -1131 && inValue <= -108)
        return Bytes({(-inValue - 108) / 256 + 251, (-inValue - 108) % 256});
    return Bytes({28, (inValue >> 8) & 0xFF, inValue & 0xFF});
}

// A DICT integer that always takes five bytes, so that offsets can be laid out in advance.
inline std::string Int5(uint32_t inValue)
{
    return Bytes({29}) + fonttest::BigEndian32(inValue);
}

// An INDEX of the items: offSize 4 unless given.
inline std::string Index(const std::vector<std::string>& inItems, int inOffSize = 4)
{
    if (inItems.empty())
        return Bytes({0, 0});
    std::string index = fonttest::BigEndian16(static_cast<uint16_t>(inItems.size())) + Bytes({inOffSize});
    uint32_t offset = 1;
    auto putOffset = [&](uint32_t inOffset) {
        for (int i = inOffSize - 1; i >= 0; --i)
            index.push_back(static_cast<char>((inOffset >> (8 * i)) & 0xFF));
    };
    putOffset(offset);
    for (const std::string& item : inItems)
        putOffset(offset += static_cast<uint32_t>(item.size()));
    for (const std::string& item : inItems)
        index += item;
    return index;
}

struct FDSpec {
    std::string mFontDict;    // raw DICT entries besides Private
    std::string mPrivateDict; // raw DICT entries besides Subrs
    std::vector<std::string> mLocalSubrs;
};

// A CFF font of one font, laid out as: header, Name, Top DICT, String and Global Subr INDEXes,
// charset, encoding, FDSelect, CharStrings, Private DICT and its subrs, FDArray with the FD
// Private DICTs and their subrs. Offsets are five-byte integers.
struct CFFBuilder {
    int mHdrSize = 4;
    std::string mName = "TestFont";
    std::string mTopDictExtra; // raw entries written first (ROS for CID fonts)
    std::vector<std::string> mStrings;
    std::vector<std::string> mGlobalSubrs;
    std::string mCharset;  // raw; empty: the ISOAdobe charset (offset 0)
    std::string mEncoding; // raw; empty: Standard (offset 0)
    std::vector<std::string> mCharStrings;
    bool mHasPrivate = true;
    std::string mPrivateDict;
    std::vector<std::string> mLocalSubrs;
    std::vector<FDSpec> mFDs; // CID-keyed when not empty
    std::string mFDSelect;    // raw

    static std::string PrivateWithSubrs(const std::string& inDict, bool inHasSubrs)
    {
        return inHasSubrs ? inDict + Int5(static_cast<uint32_t>(inDict.size() + 6)) + Bytes({19}) : inDict;
    }

    std::string Build() const
    {
        std::string header = Bytes({1, 0, mHdrSize, 4}) + std::string(mHdrSize > 4 ? mHdrSize - 4 : 0, '\0');
        std::string name = Index({mName});
        bool cid = !mFDs.empty();
        // Top DICT size is fixed: every offset is five bytes.
        auto topDict = [&](uint32_t inCharset, uint32_t inEncoding, uint32_t inCharStrings, uint32_t inPrivateSize,
                           uint32_t inPrivate, uint32_t inFDArray, uint32_t inFDSelect) {
            std::string dict = mTopDictExtra;
            if (!mCharset.empty())
                dict += Int5(inCharset) + Bytes({15});
            if (!mEncoding.empty())
                dict += Int5(inEncoding) + Bytes({16});
            dict += Int5(inCharStrings) + Bytes({17});
            if (!cid && mHasPrivate)
                dict += Int5(inPrivateSize) + Int5(inPrivate) + Bytes({18});
            if (cid)
                dict += Int5(inFDArray) + Bytes({12, 36}) + Int5(inFDSelect) + Bytes({12, 37});
            return dict;
        };
        size_t topSize = Index({topDict(0, 0, 0, 0, 0, 0, 0)}).size();
        std::string strings = Index(mStrings);
        std::string globals = Index(mGlobalSubrs);
        uint32_t at = static_cast<uint32_t>(header.size() + name.size() + topSize + strings.size() + globals.size());
        uint32_t charsetAt = at;
        at += static_cast<uint32_t>(mCharset.size());
        uint32_t encodingAt = at;
        at += static_cast<uint32_t>(mEncoding.size());
        uint32_t fdSelectAt = at;
        at += static_cast<uint32_t>(mFDSelect.size());
        std::string charStrings = Index(mCharStrings);
        uint32_t charStringsAt = at;
        at += static_cast<uint32_t>(charStrings.size());
        std::string privateDict = PrivateWithSubrs(mPrivateDict, !mLocalSubrs.empty());
        std::string localSubrs = mLocalSubrs.empty() ? std::string() : Index(mLocalSubrs);
        uint32_t privateAt = at;
        std::string tail;
        if (!cid && mHasPrivate) {
            tail += privateDict + localSubrs;
            at += static_cast<uint32_t>(privateDict.size() + localSubrs.size());
        }
        std::vector<std::string> fontDicts;
        for (const FDSpec& fd : mFDs) {
            std::string fdPrivate = PrivateWithSubrs(fd.mPrivateDict, !fd.mLocalSubrs.empty());
            fontDicts.push_back(fd.mFontDict + Int5(static_cast<uint32_t>(fdPrivate.size())) + Int5(at) + Bytes({18}));
            tail += fdPrivate + (fd.mLocalSubrs.empty() ? std::string() : Index(fd.mLocalSubrs));
            at += static_cast<uint32_t>(fdPrivate.size() + (fd.mLocalSubrs.empty() ? 0 : Index(fd.mLocalSubrs).size()));
        }
        uint32_t fdArrayAt = at;
        if (cid)
            tail += Index(fontDicts);
        std::string top = Index({topDict(charsetAt, encodingAt, charStringsAt, static_cast<uint32_t>(privateDict.size()),
                                         privateAt, fdArrayAt, fdSelectAt)});
        return header + name + top + strings + globals + mCharset + mEncoding + mFDSelect + charStrings + tail;
    }
};

// The "CFF " table of a plain OpenType file, or of face 0 of a collection; empty when it has
// none or its records point beyond the file.
inline std::string CFFTable(const std::string& inFont)
{
    if (inFont.size() < 16)
        return std::string();
    size_t start = inFont.compare(0, 4, "ttcf") == 0 ? fonttest::GetUInt32(inFont, 12) : 0;
    if (start > inFont.size() - 12)
        return std::string();
    uint16_t count = fonttest::GetUInt16(inFont, start + 4);
    for (size_t i = 0; i < count && start + 12 + 16 * i + 16 <= inFont.size(); ++i) {
        size_t record = start + 12 + 16 * i;
        if (inFont.compare(record, 4, "CFF ") != 0)
            continue;
        const size_t offset = fonttest::GetUInt32(inFont, record + 8), length = fonttest::GetUInt32(inFont, record + 12);
        return offset <= inFont.size() && length <= inFont.size() - offset ? inFont.substr(offset, length)
                                                                           : std::string();
    }
    return std::string();
}

// A glyph as FreeType loads it unscaled: advance, then every point, tag and contour end.
inline std::string GlyphFingerprint(FT_Face inFace, unsigned inGlyph)
{
    if (FT_Load_Glyph(inFace, inGlyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) != 0)
        return "load failed";
    const FT_Outline& outline = inFace->glyph->outline;
    std::string print = "advance " + std::to_string(inFace->glyph->metrics.horiAdvance) + ":";
    for (int i = 0; i < outline.n_points; ++i)
        print += " " + std::to_string(outline.points[i].x) + "," + std::to_string(outline.points[i].y) + "/" +
                 std::to_string(outline.tags[i] & 3);
    for (int i = 0; i < outline.n_contours; ++i)
        print += " c" + std::to_string(outline.contours[i]);
    return print;
}

// FreeType over bytes in memory (the bytes must outlive the face).
class MemoryFace {
public:
    explicit MemoryFace(const std::string& inBytes)
    {
        if (FT_Init_FreeType(&mLibrary) == 0)
            FT_New_Memory_Face(mLibrary, reinterpret_cast<const FT_Byte*>(inBytes.data()),
                               static_cast<FT_Long>(inBytes.size()), 0, &mFace);
    }
    ~MemoryFace()
    {
        if (mFace)
            FT_Done_Face(mFace);
        if (mLibrary)
            FT_Done_FreeType(mLibrary);
    }
    MemoryFace(const MemoryFace&) = delete;
    MemoryFace& operator=(const MemoryFace&) = delete;
    FT_Face Face() const { return mFace; }

private:
    FT_Library mLibrary = nullptr;
    FT_Face mFace = nullptr;
};

} // namespace cfftest
