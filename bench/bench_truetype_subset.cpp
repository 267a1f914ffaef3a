// TrueType subsetting beside hb-subset (libharfbuzz-bin) and pyftsubset (python3-fonttools), all
// keeping glyph ids (--retain-gids) as ours does: for 100 and 3,000 characters of Droid Sans
// Fallback and DejaVu Sans, the subset's size and the time to make it, each tool as a whole
// process; and a whole process of ours that writes a one-page PDF document with that text,
// against the hb-subset process that only makes the subset.
// Usage: bench_truetype_subset [repeats]
// (bench_truetype_subset --write-document <font> <text file> <pdf> is the timed document writer.)

#include "pdf/fonts/TrueTypeEmbeddedFontWriter.h"
#include "pdf/io/InputFile.h"
#include "pdf/writing/OutputPage.h"
#include "pdf/writing/PDFWriter.h"
#include "pdf/writing/PageContentContext.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <chrono>
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

std::string ReadWhole(const std::string& inPath)
{
    std::ifstream file(inPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void AppendUTF8(std::string& ioText, uint32_t inCode)
{
    if (inCode < 0x80) {
        ioText.push_back(static_cast<char>(inCode));
    } else if (inCode < 0x800) {
        ioText.push_back(static_cast<char>(0xC0 | (inCode >> 6)));
        ioText.push_back(static_cast<char>(0x80 | (inCode & 0x3F)));
    } else if (inCode < 0x10000) {
        ioText.push_back(static_cast<char>(0xE0 | (inCode >> 12)));
        ioText.push_back(static_cast<char>(0x80 | ((inCode >> 6) & 0x3F)));
        ioText.push_back(static_cast<char>(0x80 | (inCode & 0x3F)));
    } else {
        ioText.push_back(static_cast<char>(0xF0 | (inCode >> 18)));
        ioText.push_back(static_cast<char>(0x80 | ((inCode >> 12) & 0x3F)));
        ioText.push_back(static_cast<char>(0x80 | ((inCode >> 6) & 0x3F)));
        ioText.push_back(static_cast<char>(0x80 | (inCode & 0x3F)));
    }
}

// The first inCount printable characters of the font's cmap from inFirst on, as a document in
// the font's script holds them, and their glyph ids.
void ChooseCharacters(FT_Library inLibrary, const char* inFontPath, uint32_t inFirst, size_t inCount,
                      std::vector<uint32_t>& outCodes, std::vector<uint32_t>& outGlyphs)
{
    FT_Face face;
    if (FT_New_Face(inLibrary, inFontPath, 0, &face) != 0)
        std::exit(1);
    std::vector<std::pair<uint32_t, uint32_t>> all;
    FT_UInt glyph = 0;
    for (FT_ULong code = FT_Get_First_Char(face, &glyph); glyph != 0; code = FT_Get_Next_Char(face, code, &glyph)) {
        if (code >= inFirst && code > 0x20 && code != 0x7F && (code < 0x80 || code > 0x9F) && code < 0x10000 &&
            all.size() < inCount)
            all.emplace_back(static_cast<uint32_t>(code), glyph);
    }
    FT_Done_Face(face);
    for (const auto& character : all) {
        outCodes.push_back(character.first);
        outGlyphs.push_back(character.second);
    }
}

// Runs a program to its end; the seconds it took, or -1 when it failed.
double TimeProcess(const std::vector<std::string>& inArguments)
{
    std::vector<char*> argv;
    for (const std::string& argument : inArguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    Clock::time_point start = Clock::now();
    pid_t child;
    if (posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    waitpid(child, &status, 0);
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

double Best(int inRepeats, const std::vector<std::string>& inArguments)
{
    double best = 1e9;
    for (int i = 0; i < inRepeats; ++i) {
        double seconds = TimeProcess(inArguments);
        if (seconds < 0) {
            std::fprintf(stderr, "failed: %s\n", inArguments.front().c_str());
            return -1;
        }
        best = seconds < best ? seconds : best;
    }
    return best;
}

// The document writer: one page, the text in lines of 40 characters, the font embedded.
int WriteDocument(const std::string& inFontPath, const std::string& inTextPath, const std::string& inPDFPath)
{
    std::string text = ReadWhole(inTextPath);
    PDFWriter writer;
    if (writer.CreateNewPDF(inPDFPath, 14) != eSuccess)
        return 1;
    TextOptions options;
    options.mFont = writer.GetFontForFile(inFontPath);
    options.mFontSize = 8;
    if (!options.mFont)
        return 1;
    OutputPage page;
    page.SetMediaBox(PDFRectangle(0, 0, 595, 842));
    PageContentContext* content = writer.GetDocumentContext().StartPageContentContext(&page);
    double y = 830;
    size_t start = 0;
    while (start < text.size()) {
        // 40 characters: skip UTF-8 continuation bytes when counting.
        size_t end = start;
        for (int characters = 0; end < text.size() && characters < 40; ++characters) {
            ++end;
            while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
                ++end;
        }
        if (content->WriteText(10, y, text.substr(start, end - start), options) != eSuccess)
            return 1;
        y -= 10;
        start = end;
    }
    ObjectIDType pageID = 0;
    if (writer.GetDocumentContext().WritePage(&page, pageID) != eSuccess || writer.EndPDF() != eSuccess)
        return 1;
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::string(argv[1]) == "--write-document")
        return WriteDocument(argv[2], argv[3], argv[4]);

    int repeats = argc > 1 ? std::atoi(argv[1]) : 5;
    // Droid Sans Fallback with Chinese text (from U+4E00), DejaVu Sans with Latin, Greek,
    // Cyrillic and on.
    const struct {
        const char* path;
        uint32_t first;
    } fonts[] = {{"/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf", 0x4E00},
                 {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 0x21}};
    std::filesystem::path folder = std::filesystem::path(VELLORAN_TEST_TMP) / "bench_truetype_subset";
    std::filesystem::create_directories(folder);
    std::string self = std::filesystem::canonical("/proc/self/exe").string();
    FT_Library library;
    FT_Init_FreeType(&library);

    std::printf("%-26s %7s %9s %9s %9s %6s %9s %9s %9s %9s %6s\n", "font, characters", "glyphs", "ours B", "hb B",
                "pyft B", "size", "ours s", "hb s", "pyft s", "doc s", "doc/hb");
    for (const auto& font : fonts) {
        const char* fontPath = font.path;
        for (size_t count : {size_t(100), size_t(3000)}) {
            std::vector<uint32_t> codes, glyphs;
            ChooseCharacters(library, fontPath, font.first, count, codes, glyphs);
            std::string text, unicodes;
            for (uint32_t code : codes) {
                AppendUTF8(text, code);
                char hex[16];
                std::snprintf(hex, sizeof(hex), "%s%X", unicodes.empty() ? "" : ",", code);
                unicodes += hex;
            }
            std::string textPath = (folder / "text.txt").string();
            std::ofstream(textPath, std::ios::binary) << text;

            // Ours, in this process: the glyphs of the characters, ascending, .notdef included.
            std::vector<uint32_t> subsetGlyphs = glyphs;
            subsetGlyphs.push_back(0);
            std::sort(subsetGlyphs.begin(), subsetGlyphs.end());
            subsetGlyphs.erase(std::unique(subsetGlyphs.begin(), subsetGlyphs.end()), subsetGlyphs.end());
            std::string ours;
            Clock::time_point start = Clock::now();
            for (int i = 0; i < repeats; ++i) {
                InputFile file;
                TrueTypeEmbeddedFontWriter writer;
                bool notEmbeddable = false;
                if (file.OpenFile(fontPath) != eSuccess ||
                    writer.CreateTrueTypeSubset(file.GetInputStream(), 0, subsetGlyphs, notEmbeddable, ours) !=
                        eSuccess)
                    return 1;
            }
            double oursSeconds = std::chrono::duration<double>(Clock::now() - start).count() / repeats;

            std::string hbPath = (folder / "hb.ttf").string();
            std::string pyftPath = (folder / "pyft.ttf").string();
            std::string unicodesPath = (folder / "unicodes.txt").string();
            std::ofstream(unicodesPath) << unicodes;
            double hbSeconds = Best(repeats, {"hb-subset", "--retain-gids", "--unicodes-file=" + unicodesPath,
                                              "--output-file=" + hbPath, fontPath});
            double pyftSeconds =
                Best(1, {"/usr/bin/python3", "-m", "fontTools.subset", fontPath, "--retain-gids",
                         "--unicodes=" + unicodes, "--output-file=" + pyftPath});
            double documentSeconds = Best(repeats, {self, "--write-document", fontPath, textPath,
                                                    (folder / "document.pdf").string()});
            size_t hbSize = std::filesystem::exists(hbPath) ? std::filesystem::file_size(hbPath) : 0;
            size_t pyftSize = std::filesystem::exists(pyftPath) ? std::filesystem::file_size(pyftPath) : 0;

            std::string label = std::string(std::strrchr(fontPath, '/') + 1) + ", " + std::to_string(count);
            std::printf("%-26s %7zu %9zu %9zu %9zu %6.2f %9.4f %9.4f %9.4f %9.4f %6.2f\n", label.c_str(),
                        subsetGlyphs.size(), ours.size(), hbSize, pyftSize,
                        hbSize ? static_cast<double>(ours.size()) / hbSize : 0.0, oursSeconds, hbSeconds, pyftSeconds,
                        documentSeconds, hbSeconds > 0 ? documentSeconds / hbSeconds : 0.0);
        }
    }
    FT_Done_FreeType(library);
    std::printf("size: ours / hb-subset (at most 1.10 wanted); doc/hb: our whole document-writing process / the "
                "hb-subset process (below 1 wanted)\n");
    return 0;
}
