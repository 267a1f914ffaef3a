// The crop tool's engine against copying the file with cp, in the same run: every page of an
// ordinary generated document (object streams, as recent producers write them; classic
// cross-references at 5,000 pages too) gets a new MediaBox, as the crop window's job does it:
// a checked copy of the source beside the target, parsed once, each page object written again
// in an incremental update, the copy renamed into place. Both sides run as child processes (this
// program runs itself for ours), so wall time is measured the same way; the two take turns, and
// the medians and spreads are shown. The time per 1,000 pages at 1,000, 5,000 and 20,000 pages
// shows whether the cost grows linearly with the page count.
// Run: build/bench/bench_crop [runs]

#include "app/tools/crop/PDFCropper.h"
#include "bench/BenchSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace benchsupport;
using bench::RunChild;

namespace {

// Our side, in the child: source and output folder; 10/10/80/80 percent, every page.
int RunOurs(char** argv)
{
    PDFCropper cropper;
    const QList<FailedFile> failed =
        cropper.CropDocuments({QString::fromLocal8Bit(argv[2])}, 1, 10, 10, 80, 80, QString::fromLocal8Bit(argv[3]),
                              QStringLiteral("cropped"));
    for (const FailedFile& file : failed)
        std::fprintf(stderr, "%s: %s\n", qPrintable(file.path), qPrintable(file.reason));
    return failed.isEmpty() ? 0 : 2;
}

// The arguments with "@" at the start of one replaced by the run's own folder, made here.
std::vector<std::string> InFolder(std::vector<std::string> inArguments, const fs::path& inFolder)
{
    fs::create_directories(inFolder);
    for (std::string& argument : inArguments)
        if (!argument.empty() && argument[0] == '@')
            argument = inFolder.string() + argument.substr(1);
    return inArguments;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--ours")
        return RunOurs(argv);
    if (argc == 6 && std::string(argv[1]) == "--make") {
        MakeSource(argv[2], std::atoi(argv[3]), static_cast<unsigned>(std::atoi(argv[4])), argv[5][0] == '1');
        return 0;
    }
    const int runs = bench::RunCount(argc, argv, 1, 5);
    const std::string self = fs::canonical("/proc/self/exe").string();
    const fs::path dir = fs::temp_directory_path() / ("bench-crop-" + std::to_string(getpid()));
    fs::create_directories(dir);

    std::printf("Cropping every page against cp of the same file, %d runs each (seconds: median [min-max])\n",
                runs);
    bench::PrintLoad();
    std::printf("\n  %-30s %7s %-26s %-26s %8s %14s %8s\n", "document", "MB", "cp s", "ours s", "ours/cp",
                "ours ms/1000p", "peak MB");
    const struct {
        int pages;
        bool objectStreams;
    } documents[] = {{1000, true}, {5000, true}, {20000, true}, {5000, false}};
    for (const auto& document : documents) {
        const std::string name = std::to_string(document.pages) + (document.objectStreams ? "-objstm" : "-classic");
        const std::string source = (dir / ("source-" + name + ".pdf")).string();
        RunChild({self, "--make", source, std::to_string(document.pages), std::to_string(17 + document.pages),
                  document.objectStreams ? "1" : "0"});
        const double megabytes = static_cast<double>(fs::file_size(source)) / 1048576.0;
        const std::vector<std::vector<std::string>> tools = {{"cp", source, "@/copy.pdf"}, {self, "--ours", source, "@"}};
        const char* const names[] = {"cp-", "ours-"};
        const std::vector<bench::SideRuns> sides = bench::Interleave(2, runs, [&](size_t inTool, int inRound) {
            const fs::path folder = dir / (names[inTool] + name + "-" + std::to_string(inRound + 1));
            return RunChild(InFolder(tools[inTool], folder));
        });
        const bench::SideRuns& copy = sides[0];
        const bench::SideRuns& ours = sides[1];
        std::string check;
        if (ours.Status() != 0 || copy.Status() != 0)
            check = " (exit " + std::to_string(ours.Status()) + "/" + std::to_string(copy.Status()) + ")";
        else if (CountPages((dir / ("ours-" + name + "-1") / "cropped.pdf").string()) != document.pages)
            check = " (page count differs)";
        std::printf("  %-30s %7.1f %-26s %-26s %8.2f %14.2f %8.1f%s\n",
                    (std::to_string(document.pages) + " pages, " +
                     (document.objectStreams ? "object streams" : "classic"))
                        .c_str(),
                    megabytes, bench::Format(copy.Seconds()).c_str(), bench::Format(ours.Seconds()).c_str(),
                    ours.Seconds().median / copy.Seconds().median,
                    ours.Seconds().median * 1000.0 / (document.pages / 1000.0), ours.PeakKB() / 1024.0,
                    check.c_str());
        for (int round = 0; round <= runs; ++round) {
            fs::remove_all(dir / ("cp-" + name + "-" + std::to_string(round)));
            fs::remove_all(dir / ("ours-" + name + "-" + std::to_string(round)));
        }
    }

    // VELLORAN_BENCH_KEEP keeps the sources for profiling.
    if (std::getenv("VELLORAN_BENCH_KEEP"))
        std::printf("\nfiles kept in %s\n", dir.string().c_str());
    else
        fs::remove_all(dir);
    return 0;
}
