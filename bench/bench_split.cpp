// The split tool's engine against qpdf and mutool splitting the same files in the same run: a
// 675-page and a 5,000-page ordinary document (object streams, as recent producers write them),
// each into single pages and into 10-page parts. Every tool runs as a child process (this program
// runs itself for our side: PDFSplitter as the split window's job calls it, one parse of the
// source, a fresh writer per output, each output written beside its name and renamed), so that
// wall time and peak memory are measured the same way for all; the total size of the outputs is
// shown beside them. qpdf runs --split-pages, mutool a script that grafts each part's pages
// through one graft map per part. The tools take turns; each one's median and spread are shown.
// Every run writes into a folder of its own and the folders go only after the workload: a file system
// that has just deleted thousands of files makes the next thousands slower to create, which would
// favour whichever tool runs first. The sources are made by a child as well, so that the parent
// (whose pages a forked child counts until it runs the tool) stays small. On a disk file system
// creating thousands of files can outweigh the work of every tool; TMPDIR=/dev/shm measures the
// tools' own work. The parts of each tool's last round are checked (qpdf's check, the page
// counts, every page's text in its part, in the order of the parts' names) and a wrong one fails
// the benchmark.
// Run: [TMPDIR=folder] build/bench/bench_split [runs]

#include "app/tools/split/PDFSplitter.h"
#include "bench/BenchSupport.h"
#include "bench/OutputChecks.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using bench::RunChild;
using namespace benchsupport;

namespace {

// Our side, in the child: source, output folder, pages per part.
int RunOurs(char** argv)
{
    if (!bench::EmptyFolder(argv[3]))
        return 3;
    PDFSplitter splitter;
    const QList<FailedFile> failed =
        splitter.SplitByPagesPerInterval({QString::fromLocal8Bit(argv[2])}, std::atoi(argv[4]),
                                         QString::fromLocal8Bit(argv[3]), QStringLiteral("part-[IntervalIndex]"));
    for (const FailedFile& file : failed)
        std::fprintf(stderr, "%s: %s\n", qPrintable(file.path), qPrintable(file.reason));
    return failed.isEmpty() ? 0 : 2;
}

struct Tool {
    std::string name;
    std::vector<std::string> arguments; // "@" stands for the run's output folder
    std::string folder;
};

std::vector<std::string> WithFolder(const std::vector<std::string>& inArguments, const std::string& inFolder)
{
    std::vector<std::string> arguments;
    for (const std::string& argument : inArguments) {
        const size_t at = argument.find('@');
        arguments.push_back(at == std::string::npos ? argument
                                                    : argument.substr(0, at) + inFolder + argument.substr(at + 1));
    }
    return arguments;
}

// The last round's parts of each tool are checked: every page of the source in its part.
void RunWorkload(const std::string& inTitle, const std::vector<Tool>& inTools, int inSourcePages, int inPagesPerPart,
                 int inRuns, bench::Failures& ioFailures)
{
    std::printf("\n%s, %d runs each\n", inTitle.c_str(), inRuns);
    std::printf("  %-7s %-26s %9s %10s %7s %8s %6s\n", "tool", "seconds: median [min-max]", "peak MB", "output MB",
                "files", "ratio", "check");
    std::vector<std::vector<std::string>> folders(inTools.size());
    const std::vector<bench::SideRuns> sides = bench::Interleave(inTools.size(), inRuns, [&](size_t inTool, int inRound) {
        const std::string folder = inTools[inTool].folder + "-" + std::to_string(inRound + 1);
        fs::create_directories(folder);
        folders[inTool].push_back(folder);
        return RunChild(WithFolder(inTools[inTool].arguments, folder));
    });
    std::vector<long long> bytes(inTools.size(), 0);
    for (size_t t = 0; t < inTools.size(); ++t) {
        size_t files = 0;
        for (const auto& entry : fs::directory_iterator(folders[t].back())) {
            bytes[t] += static_cast<long long>(entry.file_size());
            files += entry.path().extension() == ".pdf";
        }
        const char* check = ioFailures.Check(inTitle + ", " + inTools[t].name, sides[t], [&]() {
            return bench::PartsProblem(folders[t].back(), inSourcePages, inPagesPerPart, bench::PageLabel);
        });
        std::printf("  %-7s %-26s %9.1f %10.1f %7zu %8.2f %6s\n", inTools[t].name.c_str(),
                    bench::Format(sides[t].Seconds(), 3).c_str(), sides[t].PeakKB() / 1024.0, bytes[t] / 1048576.0,
                    files, sides[t].Seconds().median / sides[0].Seconds().median, check);
    }
    for (const std::vector<std::string>& toolFolders : folders)
        for (const std::string& folder : toolFolders)
            fs::remove_all(folder);
    for (size_t t = 1; t < inTools.size(); ++t)
        std::printf("  %s / ours (medians): %.2f times the time, %.2f times the peak memory, %.2f times the output size\n",
                    inTools[t].name.c_str(), sides[t].Seconds().median / sides[0].Seconds().median,
                    static_cast<double>(sides[t].PeakKB()) / sides[0].PeakKB(), static_cast<double>(bytes[t]) / bytes[0]);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::string(argv[1]) == "--ours")
        return RunOurs(argv);
    if (argc == 5 && std::string(argv[1]) == "--make")
        return MakeSourceStep(argv[2], std::atoi(argv[3]), static_cast<unsigned>(std::atoi(argv[4])), true);
    const int runs = bench::RunCount(argc, argv, 1, 5);
    const std::string self = fs::canonical("/proc/self/exe").string();
    const fs::path dir = fs::temp_directory_path() / ("bench-split-" + std::to_string(getpid()));
    fs::create_directories(dir);
    bench::PrintLoad();
    bench::Failures failures;
    const std::string script = (dir / "split.js").string();
    WriteFile(script, "var src = new PDFDocument(scriptArgs[0]);\n"
                      "var n = parseInt(scriptArgs[2]);\n"
                      "var count = src.countPages();\n"
                      "for (var start = 0; start < count; start += n) {\n"
                      "  var dst = new PDFDocument();\n"
                      "  var map = dst.newGraftMap();\n"
                      "  for (var i = start; i < Math.min(start + n, count); ++i)\n"
                      "    map.graftPage(-1, src, i);\n"
                      "  dst.save(scriptArgs[1] + '/part-' + (start / n + 1) + '.pdf', '');\n"
                      "}\n");

    for (int pages : {675, 5000}) {
        const std::string source = (dir / ("source-" + std::to_string(pages) + ".pdf")).string();
        bench::Prepare("making " + source, {self, "--make", source, std::to_string(pages), std::to_string(11 + pages)},
                       dir);
        const long long sourceBytes = static_cast<long long>(fs::file_size(source));
        for (int part : {1, 10}) {
            const std::string n = std::to_string(part);
            const std::string ours = (dir / "ours").string(), qpdf = (dir / "qpdf").string(),
                              mutool = (dir / "mutool").string();
            const std::string qpdfSplit = part == 1 ? "--split-pages" : "--split-pages=" + n;
            RunWorkload("Splitting a " + std::to_string(pages) + "-page file (" +
                            std::to_string(sourceBytes / 1024) + " KB) into " +
                            (part == 1 ? std::string("single pages") : n + "-page parts"),
                        {{"ours", {self, "--ours", source, "@", n}, ours},
                         {"qpdf", {"qpdf", qpdfSplit, source, "@/part-%d.pdf"}, qpdf},
                         {"mutool", {"mutool", "run", script, source, "@", n}, mutool}},
                        pages, part, runs, failures);
        }
    }

    // VELLORAN_BENCH_KEEP keeps the files for profiling one tool alone.
    if (std::getenv("VELLORAN_BENCH_KEEP"))
        std::printf("\nfiles kept in %s\n", dir.string().c_str());
    else
        fs::remove_all(dir);
    return failures.ExitStatus();
}
