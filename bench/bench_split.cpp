// The split tool's engine against qpdf and mutool splitting the same files in the same run: a
// 675-page and a 5,000-page ordinary document (object streams, as recent producers write them),
// each into single pages and into 10-page parts. Every tool runs as a child process (this program
// runs itself for our side: PDFSplitter as the split window's job calls it, one parse of the
// source, a fresh writer per output, each output written beside its name and renamed), so that
// wall time and peak memory are measured the same way for all; the total size of the outputs is
// shown beside them. qpdf runs --split-pages, mutool a script that grafts each part's pages
// through one graft map per part. Each run is repeated and the fastest time kept. Every run
// writes into a folder of its own and the folders go only after the workload: a file system
// that has just deleted thousands of files makes the next thousands slower to create, which would
// favour whichever tool runs first. The sources are made by a child as well, so that the parent
// (whose pages a forked child counts until it runs the tool) stays small. On a disk file system
// creating thousands of files can outweigh the work of every tool; TMPDIR=/dev/shm measures the
// tools' own work.
// Run: [TMPDIR=folder] build/bench/bench_split [repeats]

#include "app/tools/split/PDFSplitter.h"
#include "bench/BenchSupport.h"

#include "ChildProcess.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using bench::Measure;
using bench::RunChild;
using namespace benchsupport;

namespace {

// Our side, in the child: source, output folder, pages per part.
int RunOurs(char** argv)
{
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

struct Result {
    Measure best;
    long long bytes = 0;
    size_t files = 0;
};

void RunWorkload(const std::string& inTitle, const std::vector<Tool>& inTools, size_t inExpectedFiles, int inRepeats)
{
    std::printf("\n%s\n", inTitle.c_str());
    std::printf("  %-7s %9s %9s %10s %7s %8s\n", "tool", "seconds", "peak MB", "output MB", "files", "ratio");
    std::vector<Result> results(inTools.size());
    std::vector<std::string> lastFolders(inTools.size());
    for (int repeat = 0; repeat < inRepeats; ++repeat) {
        for (size_t t = 0; t < inTools.size(); ++t) {
            const std::string folder = inTools[t].folder + "-" + std::to_string(repeat);
            fs::create_directories(folder);
            lastFolders[t] = folder;
            Measure measure = RunChild(WithFolder(inTools[t].arguments, folder));
            Result& result = results[t];
            long peak = std::max(result.best.peakKB, measure.peakKB);
            if (repeat == 0 || measure.seconds < result.best.seconds)
                result.best = measure;
            result.best.peakKB = peak;
            if (measure.status != 0)
                result.best.status = measure.status;
        }
    }
    for (size_t t = 0; t < inTools.size(); ++t) {
        Result& result = results[t];
        for (const auto& entry : fs::directory_iterator(lastFolders[t])) {
            result.bytes += static_cast<long long>(entry.file_size());
            result.files += entry.path().extension() == ".pdf";
        }
        std::string check = result.files == inExpectedFiles ? "" : " (files " + std::to_string(result.files) + ")";
        if (result.best.status != 0)
            check += " (exit " + std::to_string(result.best.status) + ")";
        std::printf("  %-7s %9.3f %9.1f %10.1f %7zu %8.2f%s\n", inTools[t].name.c_str(), result.best.seconds,
                    result.best.peakKB / 1024.0, result.bytes / 1048576.0, result.files,
                    result.best.seconds / results[0].best.seconds, check.c_str());
    }
    for (int repeat = 0; repeat < inRepeats; ++repeat)
        for (const Tool& tool : inTools)
            fs::remove_all(tool.folder + "-" + std::to_string(repeat));
    for (size_t t = 1; t < inTools.size(); ++t)
        std::printf("  %s / ours: %.2f times the time, %.2f times the peak memory, %.2f times the output size\n",
                    inTools[t].name.c_str(), results[t].best.seconds / results[0].best.seconds,
                    static_cast<double>(results[t].best.peakKB) / results[0].best.peakKB,
                    static_cast<double>(results[t].bytes) / results[0].bytes);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::string(argv[1]) == "--ours")
        return RunOurs(argv);
    if (argc == 5 && std::string(argv[1]) == "--make") {
        MakeSource(argv[2], std::atoi(argv[3]), static_cast<unsigned>(std::atoi(argv[4])), true);
        return 0;
    }
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const std::string self = fs::canonical("/proc/self/exe").string();
    const fs::path dir = fs::temp_directory_path() / ("bench-split-" + std::to_string(getpid()));
    fs::create_directories(dir);
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
        RunChild({self, "--make", source, std::to_string(pages), std::to_string(11 + pages)});
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
                        static_cast<size_t>((pages + part - 1) / part), repeats);
        }
    }

    // VELLORAN_BENCH_KEEP keeps the files for profiling one tool alone.
    if (std::getenv("VELLORAN_BENCH_KEEP"))
        std::printf("\nfiles kept in %s\n", dir.string().c_str());
    else
        fs::remove_all(dir);
    return 0;
}
