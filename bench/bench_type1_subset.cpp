// Embedding a Type 1 face as a Type1C (CFF) subset, timed as a whole process, beside hb-subset
// making the same subset of the same face's OpenType/CFF file, both as whole processes started
// the same way (no shell) and taking turns: 100 glyphs and all glyphs of NimbusSans-Regular from
// fonts-urw-base35. Prints times (median and spread of the runs), sizes and ratios. hb-subset
// writes a whole OpenType file; ours writes the CFF program alone.
// Usage: bench_type1_subset [runs]   (the program runs itself with --subset for each of its runs)

#include "bench/BenchSupport.h"
#include "pdf/fonts/FreeTypeFaceWrapper.h"
#include "pdf/fonts/FreeTypeWrapper.h"
#include "pdf/fonts/Type1ToCFFEmbeddedFontWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const kType1Source = "/usr/share/fonts/type1/urw-base35/NimbusSans-Regular.t1";
const char* const kOpenType = "/usr/share/fonts/opentype/urw-base35/NimbusSans-Regular.otf";

std::string ReadAll(const std::string& inPath)
{
    std::ifstream file(inPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

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
    std::istringstream names(ReadAll(inNamesFile));
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
    std::ofstream(pfb, std::ios::binary) << ToPFB(ReadAll(kType1Source));

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

    std::printf("seconds: median of %d runs each; spread [min-max] below each row\n", runs);
    bench::PrintLoad();
    std::printf("%-22s %9s %9s %6s   %9s %9s %9s %6s %6s\n", "subset", "ours s", "hb s", "ratio", "ours B",
                "hb otf B", "hb CFF B", "/otf", "/CFF");
    for (size_t count : {size_t(100), names.size()}) {
        std::string list;
        for (size_t i = 0; i < count && i < names.size(); ++i)
            list += (i ? "," : "") + names[i];
        std::string namesFile = (folder / "names.txt").string();
        std::ofstream(namesFile) << list;
        std::string ours = (folder / "ours.cff").string();
        std::string theirs = (folder / "hb.otf").string();
        const std::vector<std::vector<std::string>> tools = {
            {std::filesystem::canonical("/proc/self/exe").string(), "--subset", pfb, namesFile, ours},
            {"hb-subset", kOpenType, "--glyphs-file=" + namesFile, "--output-file=" + theirs}};
        const std::vector<bench::SideRuns> sides =
            bench::Interleave(tools.size(), runs, [&](size_t inTool, int) { return bench::RunChild(tools[inTool]); });
        if (sides[0].Status() != 0 || sides[1].Status() != 0) {
            std::fprintf(stderr, "a subset failed (exit %d / %d)\n", sides[0].Status(), sides[1].Status());
            return 1;
        }
        const double ourTime = sides[0].Seconds().median;
        const double hbTime = sides[1].Seconds().median;
        size_t ourSize = ReadAll(ours).size();
        std::string hb = ReadAll(theirs);
        size_t hbCFF = bench::SfntTableLength(hb, "CFF ");
        char label[32];
        std::snprintf(label, sizeof(label), "%zu glyphs", count);
        std::printf("%-22s %9.4f %9.4f %6.2f   %9zu %9zu %9zu %6.2f %6.2f\n", label, ourTime, hbTime, ourTime / hbTime,
                    ourSize, hb.size(), hbCFF, double(ourSize) / hb.size(), hbCFF ? double(ourSize) / hbCFF : 0.0);
        std::printf("%-22s ours %s, hb %s\n", "", bench::Format(sides[0].Seconds()).c_str(),
                    bench::Format(sides[1].Seconds()).c_str());
    }
    std::filesystem::remove_all(folder);
    return 0;
}
