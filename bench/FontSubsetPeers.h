#pragma once
// The peers of the subsetting benchmarks: HarfBuzz's subsetter called in this process through its
// C API (libharfbuzz-subset, the library behind hb-subset), so that it does the same work as ours
// in the same way (read the font file, build the subset in memory); and pyftsubset
// (python3-fonttools) as a command, for the size of its subset only.

#include "bench/BenchSupport.h"

#include <hb-subset.h>
#include <hb.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace bench {

struct SubsetRequest {
    std::string fontPath;
    unsigned faceIndex = 0;
    std::vector<uint32_t> glyphs;   // glyph ids to keep
    std::vector<uint32_t> unicodes; // characters to keep, with their cmap entries
    bool retainGlyphIDs = false;
    bool desubroutinize = false;
    // Tables of the source to leave out (the tools' own defaults apply to the others).
    std::vector<std::string> dropTables;
};

// The tags of the font's tables that are not in inKeep, as HarfBuzz reads them.
inline std::vector<std::string> TablesOtherThan(const std::string& inFontPath, unsigned inFaceIndex,
                                                const std::vector<std::string>& inKeep)
{
    std::vector<std::string> others;
    hb_blob_t* blob = hb_blob_create_from_file_or_fail(inFontPath.c_str());
    if (!blob)
        return others;
    hb_face_t* face = hb_face_create(blob, inFaceIndex);
    hb_tag_t tags[256];
    unsigned count = 256;
    hb_face_get_table_tags(face, 0, &count, tags);
    for (unsigned i = 0; i < count; ++i) {
        char text[5] = {0, 0, 0, 0, 0};
        hb_tag_to_string(tags[i], text);
        if (std::find(inKeep.begin(), inKeep.end(), text) == inKeep.end())
            others.push_back(text);
    }
    hb_face_destroy(face);
    hb_blob_destroy(blob);
    return others;
}

// The subset font file HarfBuzz makes, read from the font file; empty when it fails.
inline std::string HarfBuzzSubset(const SubsetRequest& inRequest)
{
    std::string result;
    hb_blob_t* blob = hb_blob_create_from_file_or_fail(inRequest.fontPath.c_str());
    if (!blob)
        return result;
    hb_face_t* face = hb_face_create(blob, inRequest.faceIndex);
    hb_subset_input_t* input = hb_subset_input_create_or_fail();
    if (input) {
        for (uint32_t glyph : inRequest.glyphs)
            hb_set_add(hb_subset_input_glyph_set(input), glyph);
        for (uint32_t unicode : inRequest.unicodes)
            hb_set_add(hb_subset_input_unicode_set(input), unicode);
        unsigned flags = HB_SUBSET_FLAGS_DEFAULT;
        if (inRequest.retainGlyphIDs)
            flags |= HB_SUBSET_FLAGS_RETAIN_GIDS;
        if (inRequest.desubroutinize)
            flags |= HB_SUBSET_FLAGS_DESUBROUTINIZE;
        hb_subset_input_set_flags(input, flags);
        for (const std::string& tag : inRequest.dropTables)
            hb_set_add(hb_subset_input_set(input, HB_SUBSET_SETS_DROP_TABLE_TAG),
                       hb_tag_from_string(tag.c_str(), static_cast<int>(tag.size())));
        if (hb_face_t* subset = hb_subset_or_fail(face, input)) {
            hb_blob_t* bytes = hb_face_reference_blob(subset);
            unsigned length = 0;
            const char* data = hb_blob_get_data(bytes, &length);
            result.assign(data ? data : "", data ? length : 0);
            hb_blob_destroy(bytes);
            hb_face_destroy(subset);
        }
        hb_subset_input_destroy(input);
    }
    hb_face_destroy(face);
    hb_blob_destroy(blob);
    return result;
}

// The subset pyftsubset writes for the request (its size is what the benchmarks show); empty
// when it fails.
inline std::string PyftsubsetSubset(const SubsetRequest& inRequest, const std::string& inOutputPath)
{
    // Debian's Python, whose fontTools python3-fonttools installs (not whichever python3 comes first).
    std::vector<std::string> arguments = {"/usr/bin/python3", "-m", "fontTools.subset", inRequest.fontPath,
                                          "--font-number=" + std::to_string(inRequest.faceIndex),
                                          "--output-file=" + inOutputPath};
    auto list = [](const std::vector<uint32_t>& inValues, bool inHex) {
        std::string text;
        char number[16];
        for (uint32_t value : inValues) {
            std::snprintf(number, sizeof number, inHex ? "%X" : "%u", value);
            text += (text.empty() ? "" : ",") + std::string(number);
        }
        return text;
    };
    if (!inRequest.glyphs.empty())
        arguments.push_back("--gids=" + list(inRequest.glyphs, false));
    if (!inRequest.unicodes.empty())
        arguments.push_back("--unicodes=" + list(inRequest.unicodes, true));
    if (inRequest.retainGlyphIDs)
        arguments.push_back("--retain-gids");
    if (inRequest.desubroutinize)
        arguments.push_back("--desubroutinize");
    if (!inRequest.dropTables.empty()) {
        std::string tags;
        for (const std::string& tag : inRequest.dropTables)
            tags += (tags.empty() ? "" : ",") + tag;
        arguments.push_back("--drop-tables+=" + tags);
    }
    std::remove(inOutputPath.c_str());
    if (RunChild(arguments).status != 0)
        return std::string();
    std::ifstream file(inOutputPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

} // namespace bench
