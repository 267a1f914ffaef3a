// The crop tool's engine against copying the file with cp, in the same run: every page of an
// ordinary generated document (object streams, as recent producers write them; classic
// cross-references at 5,000 pages too) gets a new MediaBox, as the crop window's job does it:
// a checked copy of the source beside the target, parsed once, each page object written again
// in an incremental update, the copy renamed into place. Both sides run as child processes (this
// program runs itself for ours), so wall time is measured the same way; each run is repeated and
// the fastest kept. The time per 1,000 pages at 1,000, 5,000 and 20,000 pages shows whether the
// cost grows linearly with the page count.
// Run: build/bench/bench_crop [repeats]

#include "app/tools/crop/PDFCropper.h"
#include "bench/BenchSupport.h"

#include "ChildProcess.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace benchsupport;
using bench::Measure;
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

// The fastest of the runs; each writes into a folder of its own, for which "@" stands.
Measure Best(const std::vector<std::string>& inArguments, const fs::path& inFolder, int inRepeats)
{
    Measure best;
    for (int repeat = 0; repeat < inRepeats; ++repeat) {
        const fs::path folder = inFolder.string() + "-" + std::to_string(repeat);
        fs::create_directories(folder);
        std::vector<std::string> arguments = inArguments;
        for (std::string& argument : arguments)
            if (!argument.empty() && argument[0] == '@')
                argument = folder.string() + argument.substr(1);
        const Measure measure = RunChild(arguments);
        if (repeat == 0 || measure.seconds < best.seconds)
            best = measure;
        if (measure.status != 0)
            best.status = measure.status;
    }
    return best;
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
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::string self = fs::canonical("/proc/self/exe").string();
    const fs::path dir = fs::temp_directory_path() / ("bench-crop-" + std::to_string(getpid()));
    fs::create_directories(dir);

    std::printf("Cropping every page against cp of the same file (best of %d runs)\n\n", repeats);
    std::printf("  %-22s %9s %9s %9s %8s %14s %9s\n", "document", "MB", "cp s", "ours s", "ours/cp",
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
        const Measure copy = Best({"cp", source, "@/copy.pdf"}, dir / ("cp-" + name), repeats);
        const Measure ours = Best({self, "--ours", source, "@"}, dir / ("ours-" + name), repeats);
        std::string check;
        if (ours.status != 0 || copy.status != 0)
            check = " (exit " + std::to_string(ours.status) + "/" + std::to_string(copy.status) + ")";
        else if (CountPages((dir / ("ours-" + name + "-0") / "cropped.pdf").string()) != document.pages)
            check = " (page count differs)";
        std::printf("  %-22s %9.1f %9.4f %9.4f %8.2f %14.2f %9.1f%s\n",
                    (std::to_string(document.pages) + " pages, " +
                     (document.objectStreams ? "object streams" : "classic"))
                        .c_str(),
                    megabytes, copy.seconds, ours.seconds, ours.seconds / copy.seconds,
                    ours.seconds * 1000.0 / (document.pages / 1000.0), ours.peakKB / 1024.0, check.c_str());
        for (int repeat = 0; repeat < repeats; ++repeat) {
            fs::remove_all(dir / ("cp-" + name + "-" + std::to_string(repeat)));
            fs::remove_all(dir / ("ours-" + name + "-" + std::to_string(repeat)));
        }
    }

    // VELLORAN_BENCH_KEEP keeps the sources for profiling.
    if (std::getenv("VELLORAN_BENCH_KEEP"))
        std::printf("\nfiles kept in %s\n", dir.string().c_str());
    else
        fs::remove_all(dir);
    return 0;
}
