// Opening a 7,415-page document with object streams and a cross-reference stream and listing its
// pages (the page list a split window shows) against qpdf and pdfinfo, all as child processes
// taking turns in one run. Our child is this program, which links the PDF library alone: the
// listing measures reading, not the loading of the application's GUI and recognition libraries.
// Every side walks the whole page tree and reads each page object: ours gets every page's object
// number, qpdf --show-pages prints every page's object and its content streams' references, and
// pdfinfo -l with a last page past the end prints every page's size and rotation (from its boxes,
// inherited ones included). What each side printed in the last round is checked: the pages it
// lists must be the file's, or the benchmark fails.
// Run: build/bench/bench_page_list [runs]

#include "bench/BenchSupport.h"
#include "bench/OutputChecks.h"
#include "pdf/io/InputFile.h"
#include "pdf/parsing/PDFParser.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int kPages = 7415;

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
    if (argc == 3 && std::string(argv[1]) == "--make")
        return benchsupport::MakeSourceStep(argv[2], kPages, 99, true);
    const int runs = bench::RunCount(argc, argv, 1, 20);
    const std::string self = fs::canonical("/proc/self/exe").string();
    const fs::path dir = fs::temp_directory_path() / ("bench-page-list-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string source = (dir / "source-7415.pdf").string();
    // Made by a child, so that this process stays small: a child counts its parent's pages
    // until it runs the tool.
    bench::Prepare("making " + source, {self, "--make", source}, dir);

    // Each side's listing goes to a file of its own, read after the last round, and counts the
    // pages it reached: ours prints "7415 pages", qpdf a "page N:" line and pdfinfo a
    // "Page N size:" line for each page.
    const struct {
        const char* name;
        std::vector<std::string> arguments;
        std::function<int(const std::string&)> pages;
    } tools[] = {{"ours", {self, "--list", source},
                  [](const std::string& inText) { return std::atoi(inText.c_str()); }},
                 {"qpdf", {"qpdf", "--show-pages", source},
                  [](const std::string& inText) {
                      return static_cast<int>(bench::ReadQpdfPages(inText).contents.size());
                  }},
                 {"pdfinfo", {"pdfinfo", "-l", bench::kPdfinfoLastPage, source}, bench::PdfinfoPagesReached}};
    auto listing = [&](size_t inSide) { return (dir / (std::string(tools[inSide].name) + ".txt")).string(); };
    const std::vector<bench::SideRuns> sides = bench::Interleave(3, runs, [&](size_t inSide, int) {
        return bench::RunChild(tools[inSide].arguments, listing(inSide));
    });
    bench::Failures failures;
    const char* checks[3];
    for (size_t t = 0; t < 3; ++t) {
        checks[t] = failures.Check(tools[t].name, sides[t], [&]() -> std::string {
            const std::string text = testsupport::ReadFile(listing(t));
            const int listed = tools[t].pages(text);
            if (listed == kPages)
                return std::string();
            return "lists " + std::to_string(listed) + " pages, not " + std::to_string(kPages) + ": " +
                   bench::Excerpt(text);
        });
    }

    std::printf("Opening a 7415-page file with object streams (%lld KB) and listing its pages, %d runs each\n",
                static_cast<long long>(fs::file_size(source) / 1024), runs);
    bench::PrintLoad();
    std::printf("  %-8s %-28s %-28s %8s %6s\n", "tool", "seconds: median [min-max]", "cpu s: median [min-max]",
                "peak MB", "check");
    for (size_t t = 0; t < 3; ++t)
        std::printf("  %-8s %-28s %-28s %8.1f %6s\n", tools[t].name, bench::Format(sides[t].Seconds()).c_str(),
                    bench::Format(sides[t].CpuSeconds()).c_str(), sides[t].PeakKB() / 1024.0, checks[t]);
    const double ours = sides[0].Seconds().median;
    std::printf("  ours / qpdf:    %.2f times the time (goal: at most 1.00)\n", ours / sides[1].Seconds().median);
    std::printf("  ours / pdfinfo: %.2f times the time (goal: at most 1.20)\n", ours / sides[2].Seconds().median);
    fs::remove_all(dir);
    return failures.ExitStatus();
}
