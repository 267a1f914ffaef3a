// libFuzzer target: reads the fuzzer's bytes as an sfnt font (plain, collection or dfont) at
// face indexes 0 and 1 and walks what was read. Built and run by fuzz/run-opentype-fuzzer.sh;
// not part of the test suite.

#include "pdf/fonts/OpenTypeFileInput.h"
#include "pdf/io/InputByteArrayStream.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* inData, size_t inSize)
{
    InputByteArrayStream stream(inData, static_cast<LongFilePositionType>(inSize));
    OpenTypeFileInput input;
    for (uint16_t face = 0; face < 2; ++face) {
        stream.SeekFromStart(0);
        if (input.ReadOpenTypeFile(&stream, face) != eSuccess)
            continue;
        // Every component a record names must be a glyph of the font.
        size_t components = 0;
        for (uint32_t glyph = 0; glyph < input.GetGlyphCount(); ++glyph) {
            const GlyphEntry* entry = input.GetGlyphEntry(static_cast<uint16_t>(glyph));
            if (!entry)
                continue;
            for (uint16_t component : entry->mComponentGlyphs) {
                if (component >= input.GetGlyphCount())
                    __builtin_trap();
                ++components;
            }
        }
        if (input.GetHMtx().size() != input.GetGlyphCount())
            __builtin_trap();
        for (const NameTableEntry& name : input.GetName())
            components += name.mName.size();
        (void)components;
    }
    return 0;
}
