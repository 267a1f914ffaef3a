// Embedding a Type 1 face as a Type1C (CFF) subset, timed as a whole process, beside hb-subset
// making the same subset of the same face's OpenType/CFF file, both as whole processes started
// the same way (no shell) and taking turns: 100 glyphs and all glyphs of NimbusSans-Regular from
// fonts-urw-base35, the same glyph names for both. hb-subset keeps the "CFF " table alone (no
// layout closure, no other tables), whose size is compared with our CFF program; ours flattens
// every glyph program, so hb-subset is timed both keeping subroutines and with --desubroutinize.
// Prints times (median and spread of the runs), sizes and ratios. Every subset of the last round
// is read back by FreeType: it must hold the glyphs named and .notdef, each with the outline of
// the OpenType file's glyph of that name, or the benchmark fails.
// Usage: bench_type1_subset [runs]   (the program runs itself with --subset for each of its runs)

#include "bench/BenchSupport.h"
#include "bench/OutputChecks.h"
#include "tests/pdf/fonts/CFFTestSupport.h"
#include "pdf/fonts/FreeTypeFaceWrapper.h"
#include "pdf/fonts/FreeTypeWrapper.h"
#include "pdf/fonts/Type1ToCFFEmbeddedFontWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const kType1Source = "/usr/share/fonts/type1/urw-base35/NimbusSans-Regular.t1";
const char* const kOpenType = "/usr/share/fonts/opentype/urw-base35/NimbusSans-Regular.otf";

std::string Segment(int inType, const std::string& inData)
{
    std::string header = {static_cast<char>(0x80), static_cast<char>(inType)};
    for (int i = 0; i < 4; ++i)
        header.push_back(static_cast<char>((inData.size() >> (8 * i)) & 0xFF));
    return header + inData;
}

// The .t1 file (clear text, binary encrypted part, zeros) cut into PFB segments.
std::string ToPFB(const std::string& inFont)
{
    size_t eexec = inFont.find("currentfile eexec");
    size_t start = inFont.find_first_of("\r\n", eexec);
    while (start < inFont.size() && (inFont[start] == '\r' || inFont[start] == '\n'))
        ++start;
    size_t end = inFont.rfind("cleartomark");
    int zeros = 0;
    size_t cut = end;
    while (cut > start && zeros < 512) {
        --cut;
        if (inFont[cut] == '0')
            ++zeros;
    }
    return Segment(1, inFont.substr(0, start)) + Segment(2, inFont.substr(start, cut - start)) +
           Segment(1, inFont.substr(cut)) + std::string("\x80\x03", 2);
}

// Child mode: the subset of the named glyphs into a CFF file.
int MakeSubset(const std::string& inPFB, const std::string& inNamesFile, const std::string& inOutput)
{
    FreeTypeWrapper freeType;
    FT_Face face = freeType.NewFace(inPFB, 0);
    if (!face)
        return 1;
    FreeTypeFaceWrapper wrapper(face, inPFB, "", 0);
    std::vector<uint32_t> glyphs;
    std::istringstream names(testsupport::ReadFile(inNamesFile));
    for (std::string name; std::getline(names, name, ',');)
        glyphs.push_back(FT_Get_Name_Index(face, name.c_str()));
    std::sort(glyphs.begin(), glyphs.end());
    Type1ToCFFEmbeddedFontWriter writer;
    bool notEmbeddable = false;
    std::string font;
    if (writer.CreateCFFSubset(wrapper, glyphs, "ABCDEF+NimbusSans-Regular", notEmbeddable, font) != eSuccess)
        return 1;
    std::ofstream(inOutput, std::ios::binary) << font;
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::string(argv[1]) == "--subset")
        return MakeSubset(argv[2], argv[3], argv[4]);
    const int runs = bench::RunCount(argc, argv, 1, 15);

    std::filesystem::path folder = std::filesystem::temp_directory_path() / "bench_type1_subset";
    std::filesystem::create_directories(folder);
    std::string pfb = (folder / "NimbusSans-Regular.pfb").string();
    std::ofstream(pfb, std::ios::binary) << ToPFB(testsupport::ReadFile(kType1Source));

    FreeTypeWrapper freeType;
    FT_Face face = freeType.NewFace(pfb, 0);
    if (!face) {
        std::fprintf(stderr, "cannot open %s\n", pfb.c_str());
        return 1;
    }
    std::vector<std::string> names;
    for (FT_Long glyph = 1; glyph < face->num_glyphs; ++glyph) {
        char name[64] = "";
        FT_Get_Glyph_Name(face, static_cast<FT_UInt>(glyph), name, sizeof(name));
        names.push_back(name);
    }

    // The OpenType file's glyph of each name, for the outlines the subsets must keep.
    FT_Face openType = freeType.NewFace(kOpenType, 0);
    if (!openType) {
        std::fprintf(stderr, "cannot open %s\n", kOpenType);
        return 1;
    }
    std::vector<uint32_t> openTypeGlyphs;
    for (const std::string& name : names)
        openTypeGlyphs.push_back(FT_Get_Name_Index(openType, name.c_str()));

    std::printf("seconds: median [min-max] of %d runs each; sizes of the CFF programs in bytes\n", runs);
    bench::PrintLoad();
    bench::Failures failures;
    for (size_t count : {size_t(100), names.size()}) {
        std::string list;
        for (size_t i = 0; i < count && i < names.size(); ++i)
            list += (i ? "," : "") + names[i];
        std::string namesFile = (folder / "names.txt").string();
        std::ofstream(namesFile) << list;
        const std::string ours = (folder / "ours.cff").string(), kept = (folder / "hb.otf").string(),
                          flat = (folder / "hb-flat.otf").string();
        const std::vector<std::string> hbSubset = {"hb-subset", kOpenType, "--glyphs-file=" + namesFile,
                                                   "--drop-tables=*", "--drop-tables-=CFF ", "--notdef-outline"};
        std::vector<std::vector<std::string>> tools = {
            {std::filesystem::canonical("/proc/self/exe").string(), "--subset", pfb, namesFile, ours}, hbSubset,
            hbSubset};
        tools[1].push_back("--output-file=" + kept);
        tools[2].push_back("--desubroutinize");
        tools[2].push_back("--output-file=" + flat);
        const std::vector<bench::SideRuns> sides =
            bench::Interleave(tools.size(), runs, [&](size_t inTool, int) { return bench::RunChild(tools[inTool]); });

        // Glyph 0 is .notdef, then the glyphs named in the order of the file each side read: ours
        // of the Type 1 face, hb-subset's of the OpenType file.
        std::vector<std::pair<uint32_t, uint32_t>> sameAsType1 = {{0, 0}}, sameAsOpenType = {{0, 0}};
        std::vector<uint32_t> ascending(openTypeGlyphs.begin(), openTypeGlyphs.begin() + static_cast<long>(count));
        std::sort(ascending.begin(), ascending.end());
        for (size_t i = 0; i < count; ++i) {
            sameAsType1.emplace_back(static_cast<uint32_t>(i + 1), openTypeGlyphs[i]);
            sameAsOpenType.emplace_back(static_cast<uint32_t>(i + 1), ascending[i]);
        }
        const struct {
            const char* name;
            std::string program;
        } subsets[] = {{"ours (flattened)", testsupport::ReadFile(ours)},
                       {"hb-subset, subroutines kept", cfftest::CFFTable(testsupport::ReadFile(kept))},
                       {"hb-subset, desubroutinized", cfftest::CFFTable(testsupport::ReadFile(flat))}};
        const std::string title = std::to_string(count) + " glyphs";
        std::printf("\n%s\n  %-28s %-26s %9s %9s %6s\n", title.c_str(), "", "seconds", "CFF bytes", "ours / it",
                    "check");
        for (size_t t = 0; t < tools.size(); ++t) {
            const char* check = failures.Check(title + ", " + subsets[t].name, sides[t], [&]() -> std::string {
                if (subsets[t].program.empty())
                    return "no CFF program";
                return bench::FontProblem(subsets[t].program, static_cast<long>(count + 1), kOpenType, 0,
                                          t == 0 ? sameAsType1 : sameAsOpenType);
            });
            std::printf("  %-28s %-26s %9zu %9.2f %6s\n", subsets[t].name, bench::Format(sides[t].Seconds()).c_str(),
                        subsets[t].program.size(),
                        subsets[t].program.empty() ? 0.0
                                                   : static_cast<double>(subsets[0].program.size()) /
                                                         subsets[t].program.size(),
                        check);
        }
        std::printf("  time ours / hb-subset (medians): %.2f kept, %.2f desubroutinized\n",
                    sides[0].Seconds().median / sides[1].Seconds().median,
                    sides[0].Seconds().median / sides[2].Seconds().median);
    }
    std::filesystem::remove_all(folder);
    return failures.ExitStatus();
}
