// CFF subsetting beside HarfBuzz's subsetter on the same glyphs, both in this process and taking
// turns: each side reads the font file and builds its subset in memory (ours the CFF program,
// HarfBuzz an OpenType file whose "CFF " table is compared with it). Ours flattens every glyph
// program (no subroutines), so HarfBuzz is timed both keeping subroutines (as hb-subset does by
// default) and with --desubroutinize, the like-for-like case; pyftsubset's CFF size for the same
// glyphs is shown beside them. Glyph sets: 100 and 3,000 glyphs (all of them where the font has
// fewer) of an OpenType font of fonts-urw-base35 and of Noto Sans CJK, consecutive from glyph 1
// and spread evenly over the font, as the characters of a real text are.
// Usage: bench_cff_subset [runs]

#include "bench/FontSubsetPeers.h"
#include "pdf/fonts/CFFEmbeddedFontWriter.h"
#include "pdf/io/InputFile.h"

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
    for (const Font& font : fonts) {
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
                const size_t hbSize = bench::SfntTableLength(hb, "CFF ");
                const size_t hbFlatSize = bench::SfntTableLength(hbFlat, "CFF ");
                const size_t pyftSize = bench::SfntTableLength(bench::PyftsubsetSubset(request, pyftOutput), "CFF ");

                std::printf("\n%s, %u glyphs %s%s\n", std::strrchr(font.path, '/') + 1, count,
                            spread ? "spread over the font" : "from glyph 1 on",
                            sides[0].Status() || sides[1].Status() || sides[2].Status() ? " (A SIDE FAILED)" : "");
                std::printf("  %-28s %-26s %9s %9s\n", "", "seconds", "CFF bytes", "ours / it");
                std::printf("  %-28s %-26s %9zu\n", "ours (flattened)", bench::Format(sides[0].Seconds()).c_str(),
                            ours.size());
                const struct {
                    const char* name;
                    const bench::SideRuns* runs;
                    size_t size;
                } peers[] = {{"HarfBuzz, subroutines kept", &sides[1], hbSize},
                             {"HarfBuzz, desubroutinized", &sides[2], hbFlatSize},
                             {"pyftsubset (size only)", nullptr, pyftSize}};
                for (const auto& peer : peers)
                    std::printf("  %-28s %-26s %9zu %9.2f\n", peer.name,
                                peer.runs ? bench::Format(peer.runs->Seconds()).c_str() : "-", peer.size,
                                peer.size ? static_cast<double>(ours.size()) / peer.size : 0.0);
                std::printf("  time ours / HarfBuzz (medians): %.2f kept, %.2f desubroutinized\n",
                            sides[0].Seconds().median / sides[1].Seconds().median,
                            sides[0].Seconds().median / sides[2].Seconds().median);
            }
        }
    }
    std::remove(pyftOutput.c_str());
    return 0;
}
