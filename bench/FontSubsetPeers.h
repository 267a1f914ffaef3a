#pragma once
// The peers of the subsetting benchmarks: HarfBuzz's subsetter called in this process through its
// C API (libharfbuzz-subset, the library behind hb-subset), so that it does the same work as ours
// in the same way (read the font file, build the subset in memory); and pyftsubset
// (python3-fonttools) as a command, for the size of its subset only. Ours keeps the glyphs it is
// given and the components they are made of, nothing that a text shaper might substitute for
// them: both peers are given the same glyphs and keep none of the layout tables, without which
// they add no glyphs through them (HarfBuzz 6 has no flag that leaves out that closure alone).

#include "bench/BenchSupport.h"

#include <hb-subset.h>
#include <hb.h>

#include <algorithm>
#include <cstdint>
#include <functional>
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
    // Tables of the source to leave out besides the layout tables (the tools' own defaults apply
    // to the others).
    std::vector<std::string> dropTables;
};

// The tables through which a subsetter adds the glyphs that substitutions and positionings
// reach.
inline std::vector<std::string> WithLayoutTables(std::vector<std::string> inTables)
{
    for (const char* tag : {"GSUB", "GPOS", "GDEF", "BASE", "JSTF", "MATH"})
        if (std::find(inTables.begin(), inTables.end(), tag) == inTables.end())
            inTables.push_back(tag);
    return inTables;
}

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

// Reads the font file and hands its face and HarfBuzz's input for the request to inUse.
inline void WithHarfBuzzInput(const SubsetRequest& inRequest,
                              const std::function<void(hb_face_t*, hb_subset_input_t*)>& inUse)
{
    hb_blob_t* blob = hb_blob_create_from_file_or_fail(inRequest.fontPath.c_str());
    if (!blob)
        return;
    hb_face_t* face = hb_face_create(blob, inRequest.faceIndex);
    hb_subset_input_t* input = hb_subset_input_create_or_fail();
    if (input) {
        for (uint32_t glyph : inRequest.glyphs)
            hb_set_add(hb_subset_input_glyph_set(input), glyph);
        for (uint32_t unicode : inRequest.unicodes)
            hb_set_add(hb_subset_input_unicode_set(input), unicode);
        // .notdef keeps its outline, as ours keeps it: a reader draws it for a missing glyph.
        unsigned flags = HB_SUBSET_FLAGS_NOTDEF_OUTLINE;
        if (inRequest.retainGlyphIDs)
            flags |= HB_SUBSET_FLAGS_RETAIN_GIDS;
        if (inRequest.desubroutinize)
            flags |= HB_SUBSET_FLAGS_DESUBROUTINIZE;
        hb_subset_input_set_flags(input, flags);
        for (const std::string& tag : WithLayoutTables(inRequest.dropTables))
            hb_set_add(hb_subset_input_set(input, HB_SUBSET_SETS_DROP_TABLE_TAG),
                       hb_tag_from_string(tag.c_str(), static_cast<int>(tag.size())));
        inUse(face, input);
        hb_subset_input_destroy(input);
    }
    hb_face_destroy(face);
    hb_blob_destroy(blob);
}

// The subset font file HarfBuzz makes, read from the font file; empty when it fails.
inline std::string HarfBuzzSubset(const SubsetRequest& inRequest)
{
    std::string result;
    WithHarfBuzzInput(inRequest, [&result](hb_face_t* inFace, hb_subset_input_t* inInput) {
        if (hb_face_t* subset = hb_subset_or_fail(inFace, inInput)) {
            hb_blob_t* bytes = hb_face_reference_blob(subset);
            unsigned length = 0;
            const char* data = hb_blob_get_data(bytes, &length);
            result.assign(data ? data : "", data ? length : 0);
            hb_blob_destroy(bytes);
            hb_face_destroy(subset);
        }
    });
    return result;
}

// The glyphs of the source that HarfBuzz keeps for the request, ascending, .notdef included.
// Besides the glyphs asked for and their components, HarfBuzz keeps the glyphs of the variation
// sequences (cmap format 14) of the characters they show, and nothing turns that off: a
// benchmark gives ours this set, so that both subset the same glyphs.
inline std::vector<uint32_t> HarfBuzzGlyphSet(const SubsetRequest& inRequest)
{
    std::vector<uint32_t> glyphs;
    WithHarfBuzzInput(inRequest, [&glyphs](hb_face_t* inFace, hb_subset_input_t* inInput) {
        if (hb_subset_plan_t* plan = hb_subset_plan_create_or_fail(inFace, inInput)) {
            const hb_map_t* newToOld = hb_subset_plan_new_to_old_glyph_mapping(plan);
            for (hb_codepoint_t glyph = 0, kept = hb_map_get_population(newToOld); kept > 0; ++glyph)
                if (hb_map_has(newToOld, glyph)) {
                    glyphs.push_back(hb_map_get(newToOld, glyph));
                    --kept;
                }
            hb_subset_plan_destroy(plan);
        }
    });
    std::sort(glyphs.begin(), glyphs.end());
    return glyphs;
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
    std::string tags;
    for (const std::string& tag : WithLayoutTables(inRequest.dropTables))
        tags += (tags.empty() ? "" : ",") + tag;
    arguments.push_back("--drop-tables+=" + tags);
    arguments.push_back("--no-layout-closure");
    arguments.push_back("--notdef-outline");
    std::remove(inOutputPath.c_str());
    if (RunChild(arguments).status != 0)
        return std::string();
    std::ifstream file(inOutputPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

} // namespace bench
