// The crop tool's engine against mutool cropping the same file, in the same run, with copying the
// file (cp) as the floor of both: every page of an ordinary generated document (object streams,
// as recent producers write them; classic cross-references at 5,000 pages too) gets a new
// MediaBox, 10 and 80 percent of the Letter page. Ours does it as the crop window's job does: a
// checked copy of the source beside the target, parsed once, each page object written again in
// an incremental update, the copy renamed into place; mutool runs a script that sets the same
// MediaBox on every page and saves an incremental update into a new file. All run as child
// processes (this program runs itself for ours), so wall time is measured the same way; they
// take turns, and the medians and spreads are shown. The time per 1,000 pages at 1,000, 5,000
// and 20,000 pages shows whether the cost grows linearly with the page count. The last round's
// outputs are checked (qpdf's check, the page count, every page's MediaBox read back by pdfinfo;
// the copy keeps the Letter box) and a wrong one fails the benchmark.
// Run: build/bench/bench_crop [runs]

#include "app/tools/crop/PDFCropper.h"
#include "bench/BenchSupport.h"
#include "bench/OutputChecks.h"

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
    if (!bench::EmptyFolder(argv[3]))
        return 3;
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

// The page and the crop in points: 10 percent of each side in from the lower left, 80 percent
// of each side wide and high, in whole points.
const std::vector<double> kLetter = {0, 0, 612, 792};
const std::vector<double> kCropped = {61, 79, 551, 713};

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--ours")
        return RunOurs(argv);
    if (argc == 6 && std::string(argv[1]) == "--make")
        return MakeSourceStep(argv[2], std::atoi(argv[3]), static_cast<unsigned>(std::atoi(argv[4])),
                              argv[5][0] == '1');
    const int runs = bench::RunCount(argc, argv, 1, 5);
    const std::string self = fs::canonical("/proc/self/exe").string();
    const fs::path dir = fs::temp_directory_path() / ("bench-crop-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string script = (dir / "crop.js").string();
    WriteFile(script, "var doc = new PDFDocument(scriptArgs[0]);\n"
                      "var box = [scriptArgs[2], scriptArgs[3], scriptArgs[4], scriptArgs[5]].map(Number);\n"
                      "for (var i = 0, n = doc.countPages(); i < n; ++i)\n"
                      "  doc.findPage(i).put('MediaBox', box);\n"
                      "doc.save(scriptArgs[1], 'incremental');\n");
    auto number = [](double inValue) { return std::to_string(static_cast<int>(inValue)); };

    std::printf("Cropping every page, ours against mutool and cp, %d runs each (seconds: median [min-max])\n",
                runs);
    bench::PrintLoad();
    bench::Failures failures;
    const struct {
        int pages;
        bool objectStreams;
    } documents[] = {{1000, true}, {5000, true}, {20000, true}, {5000, false}};
    for (const auto& document : documents) {
        const std::string name = std::to_string(document.pages) + (document.objectStreams ? "-objstm" : "-classic");
        const std::string source = (dir / ("source-" + name + ".pdf")).string();
        bench::Prepare("making " + source,
                       {self, "--make", source, std::to_string(document.pages), std::to_string(17 + document.pages),
                        document.objectStreams ? "1" : "0"},
                       dir);
        const std::string title = std::to_string(document.pages) + " pages, " +
                                  (document.objectStreams ? "object streams" : "classic");
        std::printf("\n%s, %.1f MB\n", title.c_str(), static_cast<double>(fs::file_size(source)) / 1048576.0);
        std::printf("  %-7s %-26s %14s %8s %6s\n", "tool", "seconds: median [min-max]", "ms/1000 pages", "peak MB",
                    "check");
        const struct {
            const char* name;
            std::vector<std::string> arguments;
            std::string output; // in the run's folder
            const std::vector<double>& box;
        } tools[] = {{"cp", {"cp", source, "@/copy.pdf"}, "copy.pdf", kLetter},
                     {"ours", {self, "--ours", source, "@"}, "cropped.pdf", kCropped},
                     {"mutool",
                      {"mutool", "run", script, source, "@/cropped.pdf", number(kCropped[0]), number(kCropped[1]),
                       number(kCropped[2]), number(kCropped[3])},
                      "cropped.pdf",
                      kCropped}};
        auto folder = [&](size_t inTool, int inRound) {
            return dir / (tools[inTool].name + ("-" + name + "-" + std::to_string(inRound + 1)));
        };
        std::vector<fs::path> lastFolder(3);
        const std::vector<bench::SideRuns> sides = bench::Interleave(3, runs, [&](size_t inTool, int inRound) {
            lastFolder[inTool] = folder(inTool, inRound);
            return RunChild(InFolder(tools[inTool].arguments, lastFolder[inTool]));
        });
        for (size_t t = 0; t < 3; ++t) {
            const char* check = failures.Check(title + ", " + tools[t].name, sides[t], [&]() {
                bench::PdfExpectation expected;
                expected.pages = document.pages;
                expected.mediaBox = tools[t].box;
                return bench::PdfProblem((lastFolder[t] / tools[t].output).string(), expected);
            });
            std::printf("  %-7s %-26s %14.2f %8.1f %6s\n", tools[t].name, bench::Format(sides[t].Seconds()).c_str(),
                        sides[t].Seconds().median * 1000.0 / (document.pages / 1000.0), sides[t].PeakKB() / 1024.0,
                        check);
        }
        std::printf("  ours / mutool (medians): %.2f times the time; ours / cp: %.2f\n",
                    sides[1].Seconds().median / sides[2].Seconds().median,
                    sides[1].Seconds().median / sides[0].Seconds().median);
        for (size_t t = 0; t < 3; ++t)
            for (int round = -1; round < runs; ++round)
                fs::remove_all(folder(t, round));
    }

    // VELLORAN_BENCH_KEEP keeps the sources for profiling.
    if (std::getenv("VELLORAN_BENCH_KEEP"))
        std::printf("\nfiles kept in %s\n", dir.string().c_str());
    else
        fs::remove_all(dir);
    return failures.ExitStatus();
}
