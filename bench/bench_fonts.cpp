// Speed of font input and text measurement beside FreeType doing the same work on its own:
// reading the tables that subsetting needs (directory, metrics, names, loca and every glyph
// header) against FreeType opening the face and reading every advance (not the glyph boxes, which
// ours reads from the glyph headers: the output says so); and
// measuring a long text against FreeType's advances and outline boxes for the same glyphs. Both
// sides run in this process and take turns; each run does the work `repeats` times over. What
// the last run read is checked: our advances must be FreeType's for every glyph, and our text
// width FreeType's within a hundredth (ours sums advances rounded to thousandths of an em), or
// the benchmark fails.
// Usage: bench_fonts [repeats] [runs]

#include "bench/BenchSupport.h"
#include "bench/OutputChecks.h"
#include "pdf/fonts/OpenTypeFileInput.h"
#include "pdf/fonts/PDFUsedFont.h"
#include "pdf/fonts/UsedFontsRepository.h"
#include "pdf/io/InputFile.h"
#include "pdf/io/OutputStringBufferStream.h"
#include "pdf/writing/ObjectsContext.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_OUTLINE_H

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

// The figures of both sides and the check of what they read (inProblem when both ran).
void Report(const char* inWhat, const std::vector<bench::SideRuns>& inSides, const std::string& inProblem,
            bench::Failures& ioFailures)
{
    std::string problem = bench::RunsProblem(inSides[0]);
    if (problem.empty())
        problem = bench::RunsProblem(inSides[1]);
    std::printf("%-40s ours %-24s FreeType %-24s ratio %5.2f  %s\n", inWhat,
                bench::Format(inSides[0].Seconds()).c_str(), bench::Format(inSides[1].Seconds()).c_str(),
                inSides[0].Seconds().median / inSides[1].Seconds().median,
                ioFailures.Note(inWhat, problem.empty() ? inProblem : problem));
}

} // namespace

int main(int argc, char** argv)
{
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const int runs = bench::RunCount(argc, argv, 2, 5);
    const char* fonts[] = {"/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf",
                           "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"};
    FT_Library library;
    FT_Init_FreeType(&library);
    std::printf("seconds: median [min-max] of %d runs, each doing the work %d times\n", runs, repeats);
    bench::PrintLoad();
    bench::Failures failures;

    for (const char* path : fonts) {
        // What the last repeat read: our tables, FreeType's advance of every glyph.
        std::unique_ptr<OpenTypeFileInput> read;
        std::vector<FT_Fixed> advances;
        auto ours = [&]() {
            for (int i = 0; i < repeats; ++i) {
                InputFile file;
                read = std::make_unique<OpenTypeFileInput>();
                if (file.OpenFile(path) != eSuccess || read->ReadOpenTypeFile(file.GetInputStream(), 0) != eSuccess)
                    return false;
            }
            return true;
        };
        auto freeType = [&]() {
            for (int i = 0; i < repeats; ++i) {
                FT_Face face;
                if (FT_New_Face(library, path, 0, &face) != 0)
                    return false;
                advances.resize(static_cast<size_t>(face->num_glyphs));
                for (FT_Long glyph = 0; glyph < face->num_glyphs; ++glyph)
                    FT_Get_Advance(face, static_cast<FT_UInt>(glyph), FT_LOAD_NO_SCALE, &advances[static_cast<size_t>(glyph)]);
                FT_Done_Face(face);
            }
            return true;
        };
        const std::vector<bench::SideRuns> sides = bench::InterleaveInProcess(runs, {ours, freeType});
        // Glyphs past the last metric share its advance.
        std::string problem;
        const std::vector<HMtxTableEntry>& metrics = read->GetHMtx();
        for (size_t glyph = 0; problem.empty() && glyph < advances.size(); ++glyph) {
            const long advance = metrics.empty() ? -1 : metrics[std::min(glyph, metrics.size() - 1)].mAdvanceWidth;
            if (advance != advances[glyph])
                problem = "glyph " + std::to_string(glyph) + " advances " + std::to_string(advance) + ", FreeType " +
                          std::to_string(advances[glyph]);
        }
        std::string what = std::string("read tables*, ") + (std::strrchr(path, '/') + 1);
        Report(what.c_str(), sides, problem, failures);
    }

    // Text measurement: 2,000 characters of plain Latin text, measured repeatedly.
    std::string text;
    while (text.size() < 2000)
        text += "Watermark 2024, the quick brown fox jumps. ";
    const char* path = fonts[1];
    OutputStringBufferStream output;
    ObjectsContext objects;
    objects.SetOutputStream(&output);
    UsedFontsRepository repository;
    repository.SetObjectsContext(&objects);
    PDFUsedFont* font = repository.GetFontForFile(path, 0);
    FT_Face face;
    if (!font || FT_New_Face(library, path, 0, &face) != 0)
        return 1;
    double oursWidth = 0, freeTypeUnits = 0;
    auto ours = [&]() {
        for (int i = 0; i < repeats * 10; ++i)
            oursWidth = font->MeasureText(text, 12).mWidth;
        return true;
    };
    auto freeType = [&]() {
        for (int i = 0; i < repeats * 10; ++i) {
            long long pen = 0, minX = 32000, maxX = -32000;
            for (unsigned char character : text) {
                FT_Load_Glyph(face, FT_Get_Char_Index(face, character), FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING);
                FT_BBox box = {0, 0, 0, 0};
                FT_Outline_Get_CBox(&face->glyph->outline, &box);
                minX = std::min<long long>(minX, pen + box.xMin);
                maxX = std::max<long long>(maxX, pen + box.xMax);
                pen += face->glyph->metrics.horiAdvance;
            }
            freeTypeUnits = static_cast<double>(maxX - minX);
        }
        return true;
    };
    const std::vector<bench::SideRuns> sides = bench::InterleaveInProcess(runs, {ours, freeType});
    const double freeTypeWidth = freeTypeUnits * 12 / face->units_per_EM;
    char problem[160] = "";
    if (!(oursWidth > 0) || std::fabs(oursWidth - freeTypeWidth) > freeTypeWidth / 100)
        std::snprintf(problem, sizeof problem, "ours %.2f points wide, FreeType %.2f", oursWidth, freeTypeWidth);
    Report("measure 2,000 characters, DejaVuSans", sides, problem, failures);
    std::printf("* ours also reads every glyph's header (its box); FreeType reads the advances only\n");
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return failures.ExitStatus();
}
