// TrueType subsetting beside HarfBuzz's subsetter, both in this process and taking turns, and
// pyftsubset's size for the same characters: each side reads the font file and builds the subset
// in memory, keeping glyph ids (--retain-gids) as ours does, and the peers keeping only the
// tables ours writes (a PDF reader uses no others). The tools are given the characters, ours their
// glyphs (and .notdef); all of them add the components of composite glyphs. HarfBuzz's size with
// its default tables is shown as well. Character sets: 100 and 3,000 characters of Droid Sans
// Fallback (Chinese, from U+4E00) and DejaVu Sans (Latin, Greek, Cyrillic and on), consecutive
// in the font's cmap and spread evenly over it. What ours does differently is printed below the
// figures.
// Usage: bench_truetype_subset [runs]

#include "bench/FontSubsetPeers.h"
#include "pdf/fonts/TrueTypeEmbeddedFontWriter.h"
#include "pdf/io/InputFile.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace {

// The tables our subsets hold.
const std::vector<std::string> kOurTables = {"OS/2", "cmap", "cvt ", "fpgm", "glyf", "head",
                                             "hhea", "hmtx", "loca", "maxp", "name", "prep"};

// The printable characters of the font's cmap (from inFirst on when consecutive) and their
// glyph ids: the first inCount, or inCount spread evenly over all of them.
void ChooseCharacters(FT_Library inLibrary, const char* inFontPath, uint32_t inFirst, size_t inCount, bool inSpread,
                      std::vector<uint32_t>& outCodes, std::vector<uint32_t>& outGlyphs)
{
    FT_Face face;
    if (FT_New_Face(inLibrary, inFontPath, 0, &face) != 0)
        std::exit(1);
    std::vector<std::pair<uint32_t, uint32_t>> all;
    FT_UInt glyph = 0;
    for (FT_ULong code = FT_Get_First_Char(face, &glyph); glyph != 0; code = FT_Get_Next_Char(face, code, &glyph)) {
        if ((inSpread || code >= inFirst) && code > 0x20 && code != 0x7F && (code < 0x80 || code > 0x9F) &&
            code < 0x10000)
            all.emplace_back(static_cast<uint32_t>(code), glyph);
    }
    FT_Done_Face(face);
    const size_t count = std::min(inCount, all.size());
    for (size_t i = 0; i < count; ++i) {
        const auto& character = all[inSpread ? i * all.size() / count : i];
        outCodes.push_back(character.first);
        outGlyphs.push_back(character.second);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = bench::RunCount(argc, argv, 1, 5);
    const struct {
        const char* path;
        uint32_t first;
    } fonts[] = {{"/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf", 0x4E00},
                 {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 0x21}};
    const std::string pyftOutput =
        (std::filesystem::temp_directory_path() / ("bench_truetype_subset_pyft_" + std::to_string(getpid()) + ".ttf"))
            .string();
    FT_Library library;
    FT_Init_FreeType(&library);

    std::printf("TrueType subsets keeping glyph ids, both in this process: seconds median [min-max] of %d runs\n",
                runs);
    bench::PrintLoad();
    std::printf("%-40s %7s %9s %9s %9s %6s %6s  %-24s %-24s %6s %10s\n", "font, characters", "glyphs", "ours B",
                "hb B", "pyft B", "/hb", "/pyft", "ours s", "hb s", "time", "hb all B");
    for (const auto& font : fonts) {
        for (size_t count : {size_t(100), size_t(3000)}) {
            for (bool spread : {false, true}) {
                bench::SubsetRequest request;
                request.fontPath = font.path;
                request.retainGlyphIDs = true;
                request.dropTables = bench::TablesOtherThan(font.path, 0, kOurTables);
                std::vector<uint32_t> glyphs;
                ChooseCharacters(library, font.path, font.first, count, spread, request.unicodes, glyphs);
                bench::SubsetRequest defaultTables = request;
                defaultTables.dropTables.clear();
                // Ours: the glyphs of the characters, ascending, .notdef included.
                glyphs.push_back(0);
                std::sort(glyphs.begin(), glyphs.end());
                glyphs.erase(std::unique(glyphs.begin(), glyphs.end()), glyphs.end());

                std::string ours, hb;
                const std::vector<bench::SideRuns> sides = bench::InterleaveInProcess(
                    runs, {[&]() {
                               InputFile file;
                               TrueTypeEmbeddedFontWriter writer;
                               bool notEmbeddable = false;
                               return file.OpenFile(font.path) == eSuccess &&
                                      writer.CreateTrueTypeSubset(file.GetInputStream(), 0, glyphs, notEmbeddable,
                                                                  ours) == eSuccess;
                           },
                           [&]() {
                               hb = bench::HarfBuzzSubset(request);
                               return !hb.empty();
                           }});
                const size_t pyft = bench::PyftsubsetSubset(request, pyftOutput).size();
                const std::string hbDefault = bench::HarfBuzzSubset(defaultTables);

                const std::string label = std::string(std::strrchr(font.path, '/') + 1) + ", " +
                                          std::to_string(request.unicodes.size()) + (spread ? " spread" : " in a row");
                std::printf("%-40s %7zu %9zu %9zu %9zu %6.2f %6.2f  %-24s %-24s %6.2f %10s%s\n", label.c_str(),
                            glyphs.size(), ours.size(), hb.size(), pyft,
                            hb.empty() ? 0.0 : static_cast<double>(ours.size()) / hb.size(),
                            pyft ? static_cast<double>(ours.size()) / pyft : 0.0,
                            bench::Format(sides[0].Seconds()).c_str(), bench::Format(sides[1].Seconds()).c_str(),
                            // A failed HarfBuzz run is no time to compare with.
                            sides[1].Status() ? 0.0 : sides[0].Seconds().median / sides[1].Seconds().median,
                            hbDefault.empty() ? "fails" : std::to_string(hbDefault.size()).c_str(),
                            sides[1].Status() ? " (HarfBuzz failed)" : sides[0].Status() ? " (OURS FAILED)" : "");
            }
        }
    }
    FT_Done_FreeType(library);
    std::remove(pyftOutput.c_str());
    std::printf("/hb, /pyft: our size over theirs, the same tables kept; time: ours / HarfBuzz (medians); hb all:\n"
                "HarfBuzz keeping its default tables (layout and others; HarfBuzz 6.0 fails on some sets).\n"
                "Ours copies the name and cmap tables whole and writes a long loca, where the peers keep only\n"
                "the cmap entries and names in use and choose the short loca when it fits: at characters\n"
                "spread over a font, whose cmap then stays large beside few glyphs, ours is the larger.\n");
    return 0;
}
