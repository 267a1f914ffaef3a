// TIFF files to PDF, against tiff2pdf (libtiff's tool, with Flate for data it encodes again) and
// img2pdf doing the same in the same run:
//   1. a 20-page Group 4 scan (A4 at 300 dpi, one strip a page, as scanners write it);
//   2. a 20-page colour Deflate TIFF (A4 at 150 dpi, RGB with a horizontal predictor, in strips of
//      about 8 KB as libtiff writes by default): every tool decodes and encodes it again;
//   3. the same pages with one strip each, which a tool may copy unchanged.
// Every tool runs as a child process (this program runs itself for our side) and is timed from
// start to exit; the tools take turns, and each one's median and spread are shown. Each tool's
// last output is checked (qpdf's check, 20 pages, each with its picture at the TIFF page's size
// in pixels) and a wrong one fails the benchmark.
// Run: build/bench/bench_tiff [runs]

#include "pdf/io/DiagnosticLog.h"
#include "pdf/writing/OutputPage.h"
#include "pdf/writing/PDFWriter.h"
#include "pdf/writing/PageContentContext.h"

#include "bench/BenchSupport.h"
#include "bench/OutputChecks.h"

#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;
using bench::RunChild;

namespace {

struct Random {
    uint32_t mState;
    uint32_t Next()
    {
        mState = mState * 1103515245u + 12345u;
        return mState >> 8;
    }
};

// A scanned text page: lines of word-like marks, a rule and a few spots of dust.
std::vector<uint8_t> ScanPage(uint32_t inWidth, uint32_t inLength, Random& ioRandom)
{
    const uint32_t rowBytes = (inWidth + 7) / 8;
    std::vector<uint8_t> bits(size_t(rowBytes) * inLength, 0);
    auto black = [&](uint32_t inX, uint32_t inY) { bits[size_t(inY) * rowBytes + inX / 8] |= uint8_t(0x80 >> (inX % 8)); };
    for (uint32_t line = 300; line + 40 < inLength - 300; line += 50) {
        uint32_t x = 250;
        while (x < inWidth - 400) {
            uint32_t word = 40 + ioRandom.Next() % 160;
            for (uint32_t y = line; y < line + 30; ++y)
                for (uint32_t dx = 0; dx < word; ++dx)
                    if ((dx / 3 + y) % 7 != 0 && ioRandom.Next() % 16 != 0)
                        black(x + dx, y);
            x += word + 25;
        }
    }
    for (uint32_t y = 200; y < 206; ++y)
        for (uint32_t x = 250; x < inWidth - 250; ++x)
            black(x, y);
    for (int spot = 0; spot < 300; ++spot)
        black(ioRandom.Next() % inWidth, ioRandom.Next() % inLength);
    return bits;
}

// A colour page: smooth gradients with a little noise, as a photograph or a coloured scan.
std::vector<uint8_t> ColourPage(uint32_t inWidth, uint32_t inLength, Random& ioRandom, int inPage)
{
    std::vector<uint8_t> pixels(size_t(inWidth) * inLength * 3);
    for (uint32_t y = 0; y < inLength; ++y)
        for (uint32_t x = 0; x < inWidth; ++x) {
            uint8_t* p = &pixels[(size_t(y) * inWidth + x) * 3];
            double u = double(x) / inWidth;
            double v = double(y) / inLength;
            int noise = int(ioRandom.Next() % 9) - 4;
            p[0] = uint8_t(std::clamp(int(255 * u) + noise, 0, 255));
            p[1] = uint8_t(std::clamp(int(127 + 120 * std::sin(6.28 * (v + inPage * 0.05))) + noise, 0, 255));
            p[2] = uint8_t(std::clamp(int(255 * (1 - u * v)) + noise, 0, 255));
        }
    return pixels;
}

// The inputs: 20 A4 pages, at 300 dpi for the scan and 150 dpi for the colour pictures.
constexpr int kPages = 20;
constexpr uint32_t kScanWidth = 2480, kScanHeight = 3508;
constexpr uint32_t kColourWidth = 1240, kColourHeight = 1754;

bool WriteScan(const std::string& inPath)
{
    TIFF* tiff = TIFFOpen(inPath.c_str(), "w");
    Random random{7};
    const uint32_t width = kScanWidth, length = kScanHeight;
    for (int page = 0; page < kPages && tiff; ++page) {
        std::vector<uint8_t> bits = ScanPage(width, length, random);
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, length);
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, length);
        TIFFSetField(tiff, TIFFTAG_XRESOLUTION, 300.0f);
        TIFFSetField(tiff, TIFFTAG_YRESOLUTION, 300.0f);
        TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
        TIFFSetField(tiff, TIFFTAG_PAGENUMBER, uint16_t(page), uint16_t(kPages));
        if (TIFFWriteEncodedStrip(tiff, 0, bits.data(), tmsize_t(bits.size())) < 0 || !TIFFWriteDirectory(tiff))
            return false;
    }
    if (tiff)
        TIFFClose(tiff);
    return tiff != nullptr;
}

bool WriteColour(const std::string& inPath, bool inOneStrip)
{
    TIFF* tiff = TIFFOpen(inPath.c_str(), "w");
    Random random{11};
    const uint32_t width = kColourWidth, length = kColourHeight;
    for (int page = 0; page < kPages && tiff; ++page) {
        std::vector<uint8_t> pixels = ColourPage(width, length, random, page);
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, length);
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
        TIFFSetField(tiff, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
        uint32_t rows = inOneStrip ? length : TIFFDefaultStripSize(tiff, 0);
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, rows);
        TIFFSetField(tiff, TIFFTAG_XRESOLUTION, 150.0f);
        TIFFSetField(tiff, TIFFTAG_YRESOLUTION, 150.0f);
        TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        for (uint32_t y = 0; y < length; y += rows) {
            uint32_t count = std::min(rows, length - y);
            if (TIFFWriteEncodedStrip(tiff, TIFFComputeStrip(tiff, y, 0), &pixels[size_t(y) * width * 3],
                                      tmsize_t(size_t(count) * width * 3)) < 0)
                return false;
        }
        if (!TIFFWriteDirectory(tiff))
            return false;
    }
    if (tiff)
        TIFFClose(tiff);
    return tiff != nullptr;
}

// Our side, in the child: every page of the file on a page of its size, as the application
// places an image. A page that cannot be placed fails the run with its reason: a document
// missing pages is no result to time.
int RunOurs(const std::string& inTIFF, const std::string& inPDF)
{
    TIFF* tiff = TIFFOpen(inTIFF.c_str(), "r");
    const int pages = tiff ? TIFFNumberOfDirectories(tiff) : 0;
    if (tiff)
        TIFFClose(tiff);
    if (pages <= 0) {
        std::fprintf(stderr, "%s holds no TIFF page\n", inTIFF.c_str());
        return 4;
    }
    PDFWriter writer;
    if (writer.CreateNewPDF(inPDF, 14) != eSuccess)
        return 1;
    DocumentContext& document = writer.GetDocumentContext();
    for (int index = 0; index < pages; ++index) {
        DiagnosticLog::BeginOperation(inTIFF);
        std::pair<double, double> size = document.MeasureImage(inTIFF, index);
        OutputPage page;
        page.SetMediaBox(PDFRectangle(0, 0, size.first, size.second));
        ImageOptions options;
        options.mImageIndex = index;
        ObjectIDType pageID = 0;
        if (size.first <= 0 || size.second <= 0 ||
            document.StartPageContentContext(&page)->DrawImage(0, 0, inTIFF, options) != eSuccess ||
            document.WritePage(&page, pageID) != eSuccess) {
            std::fprintf(stderr, "page %d of %s cannot be placed: %s\n", index + 1, inTIFF.c_str(),
                         DiagnosticLog::LastFailure().mText.c_str());
            return 2;
        }
    }
    return writer.EndPDF() == eSuccess ? 0 : 3;
}

// Every tool's last output must be a sound 20-page document with each page's picture, of the
// TIFF page's size in pixels.
void RunWorkload(const std::string& inTitle, const std::string& inTIFF, int inWidth, int inHeight,
                 const std::string& inSelf, const fs::path& inFolder, int inRuns, bench::Failures& ioFailures)
{
    struct Tool {
        std::string name;
        std::vector<std::string> arguments;
        std::string output;
    };
    std::string ours = (inFolder / "ours.pdf").string(), tiff2pdf = (inFolder / "tiff2pdf.pdf").string(),
                img2pdf = (inFolder / "img2pdf.pdf").string();
    std::vector<Tool> tools = {{"ours", {inSelf, "--ours", inTIFF, ours}, ours},
                               {"tiff2pdf", {"tiff2pdf", "-z", "-o", tiff2pdf, inTIFF}, tiff2pdf},
                               {"img2pdf", {"img2pdf", "-o", img2pdf, inTIFF}, img2pdf}};
    const std::vector<bench::SideRuns> sides = bench::Interleave(
        tools.size(), inRuns, [&](size_t inTool, int) { return RunChild(tools[inTool].arguments); });
    std::printf("\n%s (%.1f MB), %d runs each\n", inTitle.c_str(), fs::file_size(inTIFF) / 1e6, inRuns);
    std::printf("  %-9s %-28s %-28s %10s %8s %6s\n", "tool", "seconds: median [min-max]",
                "cpu s: median [min-max]", "output MB", "peak MB", "check");
    std::vector<double> sizes;
    for (size_t t = 0; t < tools.size(); ++t) {
        sizes.push_back(fs::exists(tools[t].output) ? double(fs::file_size(tools[t].output)) : 0);
        const char* check = ioFailures.Check(inTitle + ", " + tools[t].name, sides[t], [&]() {
            bench::PdfExpectation expected;
            expected.pages = kPages;
            expected.imageWidth = inWidth;
            expected.imageHeight = inHeight;
            return bench::PdfProblem(tools[t].output, expected);
        });
        std::printf("  %-9s %-28s %-28s %10.3f %8.1f %6s\n", tools[t].name.c_str(),
                    bench::Format(sides[t].Seconds(), 3).c_str(), bench::Format(sides[t].CpuSeconds(), 3).c_str(),
                    sizes[t] / 1e6, sides[t].PeakKB() / 1024.0, check);
    }
    for (size_t t = 1; t < tools.size(); ++t)
        std::printf("  %s / ours (medians): %.2f times the time, %.2f times the processor time, %.3f times the size\n",
                    tools[t].name.c_str(), sides[t].Seconds().median / sides[0].Seconds().median,
                    sides[t].CpuSeconds().median / sides[0].CpuSeconds().median, sizes[0] > 0 ? sizes[t] / sizes[0] : 0.0);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--ours")
        return RunOurs(argv[2], argv[3]);
    const int runs = bench::RunCount(argc, argv, 1, 5);
    std::string self = fs::canonical("/proc/self/exe").string();
    fs::path folder = fs::temp_directory_path() / ("bench-tiff-" + std::to_string(getpid()));
    fs::create_directories(folder);
    std::string scan = (folder / "scan-g4.tif").string(), colour = (folder / "colour-deflate.tif").string(),
                colourWhole = (folder / "colour-deflate-one-strip.tif").string();
    if (!WriteScan(scan) || !WriteColour(colour, false) || !WriteColour(colourWhole, true)) {
        std::fprintf(stderr, "could not write the input files\n");
        return 1;
    }
    bench::PrintLoad();
    bench::Failures failures;
    RunWorkload("20-page Group 4 scan, A4 at 300 dpi", scan, kScanWidth, kScanHeight, self, folder, runs, failures);
    RunWorkload("20-page colour Deflate TIFF, A4 at 150 dpi, strips of 8 KB", colour, kColourWidth, kColourHeight, self,
                folder, runs, failures);
    RunWorkload("20-page colour Deflate TIFF, A4 at 150 dpi, one strip a page", colourWhole, kColourWidth,
                kColourHeight, self, folder, runs, failures);
    fs::remove_all(folder);
    return failures.ExitStatus();
}
