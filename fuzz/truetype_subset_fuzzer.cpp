// libFuzzer target: the fuzzer's bytes are a glyph list (a count byte, then as many big-endian
// 16-bit glyph ids) followed by an sfnt font, which is subset with that list. A subset that is
// built must hold its tables inside itself, a maxp glyph count above every listed glyph, a loca
// of ascending offsets that ends at glyf's length, and a whole-font checksum of 0xB1B0AFBA.
// (Reading it back through OpenTypeFileInput proves less: a damaged table copied unchanged,
// such as name records that run past their table, may read in the source and not in the subset.)
// Built and run by fuzz/run-opentype-fuzzer.sh with the target name truetype_subset; not part
// of the test suite.

#include "pdf/fonts/TrueTypeEmbeddedFontWriter.h"
#include "pdf/io/InputByteArrayStream.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* inData, size_t inSize)
{
    if (inSize < 1)
        return 0;
    size_t count = inData[0] % 64;
    if (inSize < 1 + 2 * count)
        return 0;
    std::vector<uint32_t> glyphs;
    for (size_t i = 0; i < count; ++i)
        glyphs.push_back(static_cast<uint32_t>((inData[1 + 2 * i] << 8) | inData[2 + 2 * i]));
    const uint8_t* font = inData + 1 + 2 * count;
    size_t fontSize = inSize - 1 - 2 * count;

    InputByteArrayStream stream(font, static_cast<LongFilePositionType>(fontSize));
    TrueTypeEmbeddedFontWriter writer;
    bool notEmbeddable = false;
    std::string subset;
    if (writer.CreateTrueTypeSubset(&stream, 0, glyphs, notEmbeddable, subset) != eSuccess || notEmbeddable)
        return 0;

    auto uint16 = [&](size_t inAt) {
        return (static_cast<uint32_t>(static_cast<uint8_t>(subset[inAt])) << 8) |
               static_cast<uint8_t>(subset[inAt + 1]);
    };
    uint32_t sum = 0;
    for (size_t at = 0; at + 4 <= subset.size(); at += 4)
        sum += (static_cast<uint32_t>(static_cast<uint8_t>(subset[at])) << 24) |
               (static_cast<uint32_t>(static_cast<uint8_t>(subset[at + 1])) << 16) |
               (static_cast<uint32_t>(static_cast<uint8_t>(subset[at + 2])) << 8) |
               static_cast<uint8_t>(subset[at + 3]);
    if (subset.size() % 4 != 0 || sum != 0xB1B0AFBA)
        __builtin_trap();

    auto word = [&](size_t inAt) { return (static_cast<uint32_t>(uint16(inAt)) << 16) | uint16(inAt + 2); };
    auto table = [&](const char* inTag, uint32_t& outOffset, uint32_t& outLength) {
        for (size_t record = 12; record + 16 <= 12 + 16 * static_cast<size_t>(uint16(4)); record += 16) {
            if (subset.compare(record, 4, inTag) == 0) {
                outOffset = word(record + 8);
                outLength = word(record + 12);
                return;
            }
        }
        __builtin_trap();
    };
    for (size_t record = 12; record < 12 + 16 * static_cast<size_t>(uint16(4)); record += 16) {
        if (static_cast<uint64_t>(word(record + 8)) + word(record + 12) > subset.size())
            __builtin_trap();
    }
    uint32_t maxp = 0, maxpLength = 0, loca = 0, locaLength = 0, glyf = 0, glyfLength = 0;
    table("maxp", maxp, maxpLength);
    table("loca", loca, locaLength);
    table("glyf", glyf, glyfLength);
    uint32_t glyphCount = uint16(maxp + 4);
    uint32_t largest = 0;
    for (uint32_t glyph : glyphs)
        largest = glyph > largest ? glyph : largest;
    if (glyphCount < largest + 1 || locaLength != 4 * (glyphCount + 1) || word(loca) != 0)
        __builtin_trap();
    for (uint32_t glyph = 0; glyph < glyphCount; ++glyph) {
        if (word(loca + 4 * glyph + 4) < word(loca + 4 * glyph))
            __builtin_trap();
    }
    if (word(loca + 4 * glyphCount) != glyfLength)
        __builtin_trap();
    return 0;
}
