// CFF subsetting beside HarfBuzz's subsetter on the same glyphs, both in this process and taking
// turns: each side reads the font file and builds its subset in memory, ours the CFF program and
// HarfBuzz an OpenType file that keeps the "CFF " table alone (no layout closure, no other
// tables), whose size is compared with ours. Ours flattens every glyph program (no subroutines),
// so HarfBuzz is timed both keeping subroutines (as hb-subset does by default) and with
// --desubroutinize, the like-for-like case; pyftsubset's CFF size for the same glyphs is shown
// beside them. Every subset of the last round is read back by FreeType: it must hold the glyphs
// asked for and .notdef, each with its source glyph's outline, or the benchmark fails. Glyph
// sets: 100 and 3,000 glyphs (all of them where the font has fewer) of an OpenType font of
// fonts-urw-base35 and of Noto Sans CJK, consecutive from glyph 1 and spread evenly over the font,
// as the characters of a real text are.
// Usage: bench_cff_subset [runs]

#include "bench/FontSubsetPeers.h"
#include "bench/OutputChecks.h"
#include "tests/pdf/fonts/CFFTestSupport.h"
#include "pdf/fonts/CFFEmbeddedFontWriter.h"
#include "pdf/io/InputFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    const int runs = bench::RunCount(argc, argv, 1, 5);
    struct Font {
        const char* path;
        uint32_t glyphCount;
    };
    const Font fonts[] = {{"/usr/share/fonts/opentype/urw-base35/NimbusSans-Regular.otf", 855},
                          {"/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", 65535}};
    const std::string pyftOutput =
        (std::filesystem::temp_directory_path() / ("bench_cff_subset_pyft_" + std::to_string(getpid()) + ".otf")).string();

    std::printf("CFF subsets, both in this process: seconds median [min-max] of %d runs; sizes of the CFF "
                "programs in bytes\n",
                runs);
    bench::PrintLoad();
    bench::Failures failures;
    for (const Font& font : fonts) {
        const std::vector<std::string> otherTables = bench::TablesOtherThan(font.path, 0, {"CFF "});
        for (uint32_t wanted : {100u, 3000u}) {
            for (bool spread : {false, true}) {
                const uint32_t count = wanted < font.glyphCount - 1 ? wanted : font.glyphCount - 1;
                std::vector<uint32_t> glyphs;
                for (uint32_t i = 0; i < count; ++i)
                    glyphs.push_back(spread ? 1 + static_cast<uint32_t>(static_cast<uint64_t>(i) *
                                                                        (font.glyphCount - 1) / count)
                                            : 1 + i);
                bench::SubsetRequest request;
                request.fontPath = font.path;
                request.glyphs = glyphs;
                request.dropTables = otherTables;
                // The set HarfBuzz keeps, for every side; ours adds .notdef itself.
                glyphs = bench::HarfBuzzGlyphSet(request);
                glyphs.erase(std::remove(glyphs.begin(), glyphs.end(), 0u), glyphs.end());
                const size_t added = glyphs.size() - request.glyphs.size();
                request.glyphs = glyphs;

                std::string ours, hb, hbFlat;
                bench::SubsetRequest flat = request;
                flat.desubroutinize = true;
                const std::vector<bench::SideRuns> sides = bench::InterleaveInProcess(
                    runs, {[&]() {
                               InputFile file;
                               CFFEmbeddedFontWriter writer;
                               bool notEmbeddable = false;
                               return file.OpenFile(font.path) == eSuccess &&
                                      writer.CreateCFFSubset(file.GetInputStream(), 0, glyphs, nullptr, "",
                                                             notEmbeddable, ours) == eSuccess;
                           },
                           [&]() {
                               hb = bench::HarfBuzzSubset(request);
                               return !hb.empty();
                           },
                           [&]() {
                               hbFlat = bench::HarfBuzzSubset(flat);
                               return !hbFlat.empty();
                           }});
                const std::string pyft = cfftest::CFFTable(bench::PyftsubsetSubset(request, pyftOutput));

                // Glyph 0 is .notdef, then the glyphs asked for in their order.
                std::vector<std::pair<uint32_t, uint32_t>> same = {{0, 0}};
                for (size_t i = 0; i < glyphs.size(); ++i)
                    same.emplace_back(static_cast<uint32_t>(i + 1), glyphs[i]);
                const std::string title = std::string(std::strrchr(font.path, '/') + 1) + ", " +
                                          std::to_string(count) + " glyphs " +
                                          (spread ? "spread over the font" : "from glyph 1 on") +
                                          (added ? " and the " + std::to_string(added) + " of their variation sequences"
                                                 : std::string());
                const struct {
                    const char* name;
                    const bench::SideRuns* runs;
                    std::string program;
                } subsets[] = {{"ours (flattened)", &sides[0], ours},
                               {"HarfBuzz, subroutines kept", &sides[1], cfftest::CFFTable(hb)},
                               {"HarfBuzz, desubroutinized", &sides[2], cfftest::CFFTable(hbFlat)},
                               {"pyftsubset (size only)", nullptr, pyft}};
                std::printf("\n%s\n", title.c_str());
                std::printf("  %-28s %-26s %9s %9s %6s\n", "", "seconds", "CFF bytes", "ours / it", "check");
                // pyftsubset's time is not taken, so it has no runs to fail.
                const bench::SideRuns untimed;
                for (const auto& subset : subsets) {
                    const char* check = failures.Check(
                        title + ", " + subset.name, subset.runs ? *subset.runs : untimed, [&]() -> std::string {
                            if (subset.program.empty())
                                return "no CFF program";
                            return bench::FontProblem(subset.program, static_cast<long>(same.size()), font.path, 0,
                                                      same);
                        });
                    std::printf("  %-28s %-26s %9zu %9.2f %6s\n", subset.name,
                                subset.runs ? bench::Format(subset.runs->Seconds()).c_str() : "-",
                                subset.program.size(),
                                subset.program.empty() ? 0.0 : static_cast<double>(ours.size()) / subset.program.size(),
                                check);
                }
                std::printf("  time ours / HarfBuzz (medians): %.2f kept, %.2f desubroutinized\n",
                            sides[0].Seconds().median / sides[1].Seconds().median,
                            sides[0].Seconds().median / sides[2].Seconds().median);
            }
        }
    }
    std::remove(pyftOutput.c_str());
    return failures.ExitStatus();
}
