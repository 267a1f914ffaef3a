// Speed of font input and text measurement beside FreeType doing the same work on its own:
// reading the tables that subsetting needs (directory, metrics, names, loca and every glyph
// header) against FreeType opening the face and reading every advance and glyph box; and
// measuring a long text against FreeType's advances and outline boxes for the same glyphs.
// Usage: bench_fonts [repeats]

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

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point inStart)
{
    return std::chrono::duration<double>(Clock::now() - inStart).count();
}

void Report(const char* inWhat, double inOurs, double inPeer)
{
    std::printf("%-44s ours %8.3f s   FreeType %8.3f s   ratio %5.2f\n", inWhat, inOurs, inPeer, inOurs / inPeer);
}

} // namespace

int main(int argc, char** argv)
{
    int repeats = argc > 1 ? std::atoi(argv[1]) : 20;
    const char* fonts[] = {"/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf",
                           "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"};
    FT_Library library;
    FT_Init_FreeType(&library);

    for (const char* path : fonts) {
        Clock::time_point start = Clock::now();
        unsigned checksum = 0;
        for (int i = 0; i < repeats; ++i) {
            InputFile file;
            OpenTypeFileInput input;
            if (file.OpenFile(path) != eSuccess || input.ReadOpenTypeFile(file.GetInputStream(), 0) != eSuccess)
                return 1;
            checksum += input.GetHMtx().back().mAdvanceWidth + (input.GetGlyphEntry(1) ? 1 : 0);
        }
        double ours = SecondsSince(start);

        start = Clock::now();
        for (int i = 0; i < repeats; ++i) {
            FT_Face face;
            if (FT_New_Face(library, path, 0, &face) != 0)
                return 1;
            for (FT_Long glyph = 0; glyph < face->num_glyphs; ++glyph) {
                FT_Fixed advance;
                FT_Get_Advance(face, static_cast<FT_UInt>(glyph), FT_LOAD_NO_SCALE, &advance);
                checksum += static_cast<unsigned>(advance);
            }
            FT_Done_Face(face);
        }
        double peer = SecondsSince(start);
        std::string what = std::string("read tables, ") + (std::strrchr(path, '/') + 1);
        Report(what.c_str(), ours, peer);
        if (checksum == 42)
            std::printf("\n");
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
    if (!font)
        return 1;
    Clock::time_point start = Clock::now();
    double sum = 0;
    for (int i = 0; i < repeats * 10; ++i)
        sum += font->MeasureText(text, 12).mWidth;
    double ours = SecondsSince(start);

    FT_Face face;
    FT_New_Face(library, path, 0, &face);
    start = Clock::now();
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
        sum += static_cast<double>(maxX - minX);
    }
    double peer = SecondsSince(start);
    FT_Done_Face(face);
    Report("measure 2,000 characters, DejaVuSans", ours, peer);
    FT_Done_FreeType(library);
    return sum > 0 ? 0 : 1;
}
