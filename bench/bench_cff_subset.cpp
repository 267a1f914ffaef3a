// CFF subsetting beside hb-subset (Debian's libharfbuzz-bin) on the same glyphs: 100 and 3,000
// glyphs (all of them where the font has fewer) of an OpenType font of fonts-urw-base35 and of
// Noto Sans CJK. Ours reads the font file and builds the flattened CFF subset in memory;
// hb-subset runs as its command line does and writes an OpenType file, whose "CFF " table is
// compared with our CFF program. hb-subset keeps subroutines; its --desubroutinize output is
// shown as well. Times are the best of the repeats. Usage: bench_cff_subset [repeats]

#include "pdf/fonts/CFFEmbeddedFontWriter.h"
#include "pdf/io/InputFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point inStart)
{
    return std::chrono::duration<double>(Clock::now() - inStart).count();
}

std::string ReadAll(const std::string& inPath)
{
    std::ifstream file(inPath, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

uint32_t UInt32At(const std::string& inBytes, size_t inAt)
{
    return (static_cast<uint32_t>(static_cast<unsigned char>(inBytes[inAt])) << 24) |
           (static_cast<uint32_t>(static_cast<unsigned char>(inBytes[inAt + 1])) << 16) |
           (static_cast<uint32_t>(static_cast<unsigned char>(inBytes[inAt + 2])) << 8) |
           static_cast<unsigned char>(inBytes[inAt + 3]);
}

// The length of the "CFF " table of an OpenType file; 0 when there is none.
size_t CFFTableLength(const std::string& inFont)
{
    if (inFont.size() < 12)
        return 0;
    size_t count = (static_cast<unsigned char>(inFont[4]) << 8) | static_cast<unsigned char>(inFont[5]);
    for (size_t i = 0; i < count && 12 + 16 * i + 16 <= inFont.size(); ++i)
        if (inFont.compare(12 + 16 * i, 4, "CFF ") == 0)
            return UInt32At(inFont, 12 + 16 * i + 12);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    int repeats = argc > 1 ? std::atoi(argv[1]) : 5;
    struct Font {
        const char* path;
        uint32_t glyphCount;
    };
    const Font fonts[] = {{"/usr/share/fonts/opentype/urw-base35/NimbusSans-Regular.otf", 855},
                          {"/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", 65535}};
    const char* output = "/tmp/bench_cff_subset_hb.otf";

    for (const Font& font : fonts) {
        for (uint32_t wanted : {100u, 3000u}) {
            // Spread over the font, as the characters of a real text are.
            uint32_t count = wanted < font.glyphCount - 1 ? wanted : font.glyphCount - 1;
            std::vector<uint32_t> glyphs;
            for (uint32_t i = 0; i < count; ++i)
                glyphs.push_back(1 + static_cast<uint32_t>(static_cast<uint64_t>(i) * (font.glyphCount - 1) / count));
            std::string gids;
            for (uint32_t glyph : glyphs)
                gids += (gids.empty() ? "" : ",") + std::to_string(glyph);

            // The best of the repeats: other work on the machine only ever adds time.
            double ours = 1e9;
            std::string subset;
            for (int i = 0; i < repeats; ++i) {
                Clock::time_point start = Clock::now();
                InputFile file;
                CFFEmbeddedFontWriter writer;
                bool notEmbeddable = false;
                if (file.OpenFile(font.path) != eSuccess ||
                    writer.CreateCFFSubset(file.GetInputStream(), 0, glyphs, nullptr, "", notEmbeddable, subset) !=
                        eSuccess) {
                    std::fprintf(stderr, "subset of %s failed\n", font.path);
                    return 1;
                }
                ours = std::min(ours, SecondsSince(start));
            }

            double peerTimes[2];
            size_t peerSizes[2];
            for (int desubroutinize = 0; desubroutinize < 2; ++desubroutinize) {
                std::string command = std::string("hb-subset --face-index=0 ") +
                                      (desubroutinize ? "--desubroutinize " : "") + "--gids=" + gids +
                                      " --output-file=" + output + " " + font.path;
                peerTimes[desubroutinize] = 1e9;
                for (int i = 0; i < repeats; ++i) {
                    Clock::time_point start = Clock::now();
                    if (std::system(command.c_str()) != 0) {
                        std::fprintf(stderr, "hb-subset failed\n");
                        return 1;
                    }
                    peerTimes[desubroutinize] = std::min(peerTimes[desubroutinize], SecondsSince(start));
                }
                peerSizes[desubroutinize] = CFFTableLength(ReadAll(output));
            }
            const char* name = std::strrchr(font.path, '/') + 1;
            std::printf("%-28s %5u glyphs  ours %8.4f s %9zu B | hb-subset %8.4f s %9zu B | "
                        "desubroutinized %8.4f s %9zu B | time ratio %5.2f  size ratio %5.2f (desubr. %5.2f)\n",
                        name, count, ours, subset.size(), peerTimes[0], peerSizes[0], peerTimes[1], peerSizes[1],
                        ours / peerTimes[0], static_cast<double>(subset.size()) / peerSizes[0],
                        static_cast<double>(subset.size()) / peerSizes[1]);
        }
    }
    std::remove(output);
    return 0;
}
