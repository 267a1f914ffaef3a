#pragma once
// What the CFF fuzz target does with each input, shared with the test that replays the kept
// findings: read the bytes as CFF data, interpret and flatten every glyph (up to a cap), build
// a name-keyed and a CID-keyed subset of the first glyphs, and read each subset back. Returns
// false when a subset that was built cannot be read back or its glyphs cannot be interpreted:
// the writer must never produce what the reader refuses.

#include "pdf/fonts/CFFEmbeddedFontWriter.h"
#include "pdf/fonts/CFFFileInput.h"
#include "pdf/fonts/CharStringType2Flattener.h"
#include "pdf/io/InputByteArrayStream.h"
#include "pdf/io/OutputStringBufferStream.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace cfffuzz {

inline bool InterpretEveryGlyph(CFFFileInput& ioInput, uint32_t inCap, bool inMustSucceed)
{
    uint32_t count = std::min<uint32_t>(ioInput.GetCharStringsCount(0), inCap);
    CharStringType2Flattener flattener;
    for (uint32_t glyph = 0; glyph < count; ++glyph) {
        GlyphDependencies dependencies;
        OpStatus interpreted = ioInput.CalculateDependenciesForCharIndex(0, static_cast<uint16_t>(glyph), dependencies);
        OutputStringBufferStream flattened;
        OpStatus flattenedStatus = flattener.Trace(0, static_cast<uint16_t>(glyph), &ioInput, &flattened);
        if (inMustSucceed && (interpreted != eSuccess || flattenedStatus != eSuccess))
            return false;
    }
    return true;
}

inline bool ExerciseCFF(const uint8_t* inData, size_t inSize)
{
    InputByteArrayStream stream(inData, static_cast<LongFilePositionType>(inSize));
    CFFFileInput input;
    if (input.ReadCFFFile(&stream) != eSuccess)
        return true;
    InterpretEveryGlyph(input, 2000, false);

    std::vector<uint32_t> glyphs;
    std::vector<uint16_t> cids;
    for (uint32_t glyph = 1; glyph < input.GetCharStringsCount(0) && glyph < 12; ++glyph) {
        glyphs.push_back(glyph);
        cids.push_back(static_cast<uint16_t>(glyph));
    }
    for (int cid = 0; cid < 2; ++cid) {
        CFFEmbeddedFontWriter writer;
        bool notEmbeddable = false;
        std::string subset;
        if (writer.CreateCFFSubset(input, nullptr, glyphs, cid ? &cids : nullptr, "", notEmbeddable, subset) != eSuccess)
            continue;
        InputByteArrayStream subsetStream(reinterpret_cast<const Byte*>(subset.data()),
                                          static_cast<LongFilePositionType>(subset.size()));
        CFFFileInput reread;
        if (reread.ReadCFFFile(&subsetStream) != eSuccess || !InterpretEveryGlyph(reread, 2000, true))
            return false;
    }
    return true;
}

} // namespace cfffuzz
