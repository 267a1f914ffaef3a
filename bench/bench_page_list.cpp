// Opening a 7,415-page document with object streams and listing its pages (the page list a split
// window shows) against qpdf --show-npages, both as child processes in one run. Our child is this
// program, which links the PDF library alone: the listing measures reading, not the loading of the
// application's GUI and recognition libraries. Run: build/bench/bench_page_list [repeats]

#include "bench/BenchSupport.h"
#include "pdf/io/InputFile.h"
#include "pdf/parsing/PDFParser.h"

#include "ChildProcess.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Our side, in the child: opens the source and reads every page's object number.
int ListPages(const char* inPath)
{
    InputFile file;
    PDFParser parser;
    if (file.OpenFile(inPath) != eSuccess || parser.ParseDocument(file.GetInputStream()) != eSuccess)
        return 1;
    unsigned long long sum = 0;
    for (uint32_t page = 0; page < parser.GetPageCount(); ++page)
        sum += parser.GetPageObjectID(page);
    std::printf("%u pages (%llu)\n", parser.GetPageCount(), sum);
    return parser.GetPageCount() > 0 ? 0 : 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--list")
        return ListPages(argv[2]);
    if (argc == 3 && std::string(argv[1]) == "--make") {
        benchsupport::MakeSource(argv[2], 7415, 99, true);
        return 0;
    }
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const std::string self = fs::canonical("/proc/self/exe").string();
    const fs::path dir = fs::temp_directory_path() / ("bench-page-list-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string source = (dir / "source-7415.pdf").string();
    // Made by a child, so that this process stays small: a child counts its parent's pages
    // until it runs the tool.
    bench::RunChild({self, "--make", source});

    // Alternating runs, the fastest of each kept; processor time is shown beside wall time.
    bench::Measure ours, qpdf;
    for (int repeat = 0; repeat < repeats; ++repeat) {
        bench::Measure a = bench::RunChild({self, "--list", source});
        bench::Measure b = bench::RunChild({"qpdf", "--show-npages", source});
        if (repeat == 0 || a.seconds < ours.seconds)
            ours = a;
        if (repeat == 0 || b.seconds < qpdf.seconds)
            qpdf = b;
    }
    std::printf("Opening a 7415-page file with object streams (%lld KB) and listing its pages, fastest of %d\n",
                static_cast<long long>(fs::file_size(source) / 1024), repeats);
    std::printf("  %-7s %9s %9s %9s\n", "tool", "seconds", "cpu s", "peak MB");
    for (const auto& [name, m] : {std::pair<const char*, bench::Measure&>{"ours", ours}, {"qpdf", qpdf}})
        std::printf("  %-7s %9.4f %9.4f %9.1f%s\n", name, m.seconds, m.cpuSeconds, m.peakKB / 1024.0,
                    m.status != 0 ? " (failed)" : "");
    std::printf("  ours / qpdf: %.2f times the time\n", ours.seconds / qpdf.seconds);
    fs::remove_all(dir);
    return ours.status == 0 && qpdf.status == 0 ? 0 : 1;
}
