// TrueType subsetting beside HarfBuzz's subsetter, both in this process and taking turns, and
// pyftsubset's size for the same glyphs: each side reads the font file and builds the subset in
// memory, keeping glyph ids (--retain-gids) as ours does, and the peers keeping only the tables
// ours writes (a PDF reader uses no others), so no layout tables. All are given the same glyphs
// (those of the characters, .notdef, and what HarfBuzz adds to them: components of composite
// glyphs, glyphs of variation sequences), the peers the characters as well for their cmap. Every
// subset of the last round is read back by FreeType: it must hold every glyph id up to the
// highest kept, each kept glyph with its source outline, or the benchmark fails. Character sets:
// 100 and 3,000 characters of Droid Sans Fallback (Chinese, from U+4E00) and DejaVu Sans (Latin,
// Greek, Cyrillic and on), consecutive in the font's cmap and spread evenly over it. What ours
// does differently is printed below the figures.
// Usage: bench_truetype_subset [runs]

#include "bench/FontSubsetPeers.h"
#include "bench/OutputChecks.h"
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
    std::printf("%-40s %7s %9s %9s %9s %6s %6s  %-24s %-24s %6s  %s\n", "font, characters", "glyphs", "ours B",
                "hb B", "pyft B", "/hb", "/pyft", "ours s", "hb s", "time", "check ours, hb, pyft");
    bench::Failures failures;
    for (const auto& font : fonts) {
        for (size_t count : {size_t(100), size_t(3000)}) {
            for (bool spread : {false, true}) {
                bench::SubsetRequest request;
                request.fontPath = font.path;
                request.retainGlyphIDs = true;
                request.dropTables = bench::TablesOtherThan(font.path, 0, kOurTables);
                ChooseCharacters(library, font.path, font.first, count, spread, request.unicodes, request.glyphs);
                request.glyphs.push_back(0);
                // Ours: the glyphs HarfBuzz keeps, ascending, .notdef included.
                const std::vector<uint32_t> glyphs = bench::HarfBuzzGlyphSet(request);
                request.glyphs = glyphs;

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
                const std::string pyft = bench::PyftsubsetSubset(request, pyftOutput);

                const std::string label = std::string(std::strrchr(font.path, '/') + 1) + ", " +
                                          std::to_string(request.unicodes.size()) + (spread ? " spread" : " in a row");
                // Every glyph id up to the highest kept is there, the kept ones with their outlines.
                std::vector<std::pair<uint32_t, uint32_t>> same;
                for (uint32_t glyph : glyphs)
                    same.emplace_back(glyph, glyph);
                const long expected = glyphs.empty() ? 0 : static_cast<long>(glyphs.back()) + 1;
                std::string checks;
                const bench::SideRuns untimed; // pyftsubset's time is not taken
                const struct {
                    const char* name;
                    const std::string& subset;
                    const bench::SideRuns& runs;
                } subsets[] = {{"ours", ours, sides[0]}, {"HarfBuzz", hb, sides[1]}, {"pyftsubset", pyft, untimed}};
                for (const auto& subset : subsets) {
                    // HarfBuzz 6.0 refuses some large cmaps: such a set has no figures to compare,
                    // but a subset it makes must be right.
                    if (subset.runs.Status() != 0 && &subset == &subsets[1]) {
                        checks += " refused";
                        continue;
                    }
                    checks += std::string(checks.empty() ? "" : " ") +
                              failures.Check(label + ", " + subset.name, subset.runs, [&]() -> std::string {
                                  if (subset.subset.empty())
                                      return "no subset written";
                                  return bench::FontProblem(subset.subset, expected, font.path, 0, same);
                              });
                }
                auto ratio = [](double inOurs, double inTheirs) {
                    char text[16] = "-";
                    if (inTheirs > 0)
                        std::snprintf(text, sizeof text, "%.2f", inOurs / inTheirs);
                    return std::string(text);
                };
                std::printf("%-40s %7zu %9zu %9zu %9zu %6s %6s  %-24s %-24s %6s  %s\n", label.c_str(), glyphs.size(),
                            ours.size(), hb.size(), pyft.size(), ratio(ours.size(), hb.size()).c_str(),
                            ratio(ours.size(), pyft.size()).c_str(), bench::Format(sides[0].Seconds()).c_str(),
                            sides[1].Status() ? "refused" : bench::Format(sides[1].Seconds()).c_str(),
                            ratio(sides[0].Seconds().median, sides[1].Status() ? 0 : sides[1].Seconds().median).c_str(),
                            checks.c_str());
            }
        }
    }
    FT_Done_FreeType(library);
    std::remove(pyftOutput.c_str());
    std::printf("/hb, /pyft: our size over theirs, the same tables kept; time: ours / HarfBuzz (medians).\n"
                "Ours copies the name and cmap tables whole and writes a long loca, where the peers keep only\n"
                "the cmap entries and names in use and choose the short loca when it fits: at characters\n"
                "spread over a font, whose cmap then stays large beside few glyphs, ours is the larger.\n"
                "refused: HarfBuzz 6.0 fails on the cmap of some large sets of characters spread over a font.\n");
    return failures.ExitStatus();
}
