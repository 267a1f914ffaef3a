// Merging and splitting PDF files, against qpdf and mutool doing the same in the same run:
//   1. merging 50 ordinary files (2 to 20 pages each, half of them with object streams);
//   2. merging 10 copies of a 500-page file (5,000 pages);
//   3. splitting a 500-page file into single pages;
//   4. merging a file of about a kilobyte whose page content inflates to 10 GB.
// Every tool runs as a child process (this program runs itself for our side), so that wall time
// and peak memory (maximum resident set, from wait4) are measured the same way for all. The tools
// take turns; each one's median and spread are shown. What each tool wrote in the last round is
// checked (qpdf's check, the pages in the page tree, every page's text in its place; the inflating
// file's output by its structure and its page's content stream, which must be the source's) and a
// wrong output fails the benchmark.
// Run: build/bench/bench_copying [runs]

#include "pdf/copying/CopySession.h"
#include "pdf/copying/PageSelection.h"
#include "pdf/io/InputFile.h"
#include "pdf/parsing/PDFParser.h"
#include "pdf/writing/PDFWriter.h"
#include "bench/BenchSupport.h"
#include "bench/OutputChecks.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;
using bench::RunChild;
using namespace benchsupport;

namespace {

// Our side, in the child: merge or split through the library as the application does.
int RunOurs(int argc, char** argv)
{
    std::string mode = argv[2];
    if (mode == "merge") {
        PDFWriter writer;
        if (writer.CreateNewPDF(argv[3], 13) != eSuccess)
            return 1;
        for (int i = 4; i < argc; ++i) {
            if (writer.AppendPDFPagesFromPDF(argv[i], PageSelection()).mStatus != eSuccess)
                return 2;
        }
        return writer.EndPDF() == eSuccess ? 0 : 3;
    }
    if (mode == "split" || mode == "split-sessions") {
        // As a split tool may: a new parse of the source for every output file through
        // AppendPDFPagesFromPDF, or one parse shared by a copy session per output file.
        InputFile file;
        PDFParser parser;
        if (file.OpenFile(argv[3]) != eSuccess || parser.ParseDocument(file.GetInputStream()) != eSuccess)
            return 1;
        for (uint32_t page = 0; page < parser.GetPageCount(); ++page) {
            PDFWriter writer;
            if (writer.CreateNewPDF(std::string(argv[4]) + "/page-" + std::to_string(page + 1) + ".pdf", 13) != eSuccess)
                return 1;
            PageSelection selection;
            selection.mKind = PageSelection::ListedRanges;
            selection.mRanges.emplace_back(page, page);
            if (mode == "split") {
                if (writer.AppendPDFPagesFromPDF(argv[3], selection).mStatus != eSuccess)
                    return 2;
            } else {
                std::unique_ptr<CopySession> session = writer.GetDocumentContext().CreateCopySessionForParser(&parser);
                if (!session || session->AppendPDFPages(selection).mStatus != eSuccess)
                    return 2;
            }
            if (writer.EndPDF() != eSuccess)
                return 3;
        }
        return 0;
    }
    return 4;
}

struct Tool {
    std::string name;
    std::vector<std::string> arguments;
    std::string output; // the merged file, or the folder of the split files
    bool folder = false;
};

// Runs the tools in turn and checks what each wrote in the last round (inProblem of the tool).
void RunWorkload(const std::string& inTitle, const std::vector<Tool>& inTools,
                 const std::function<std::string(const Tool&)>& inProblem, int inRuns, int inPagesHandled,
                 bench::Failures& ioFailures)
{
    std::printf("\n%s, %d runs each\n", inTitle.c_str(), inRuns);
    std::printf("  %-8s %-26s %12s %10s %8s\n", "tool", "seconds: median [min-max]", "ms per page", "peak MB", "check");
    const std::vector<bench::SideRuns> sides = bench::Interleave(inTools.size(), inRuns, [&](size_t inTool, int) {
        if (inTools[inTool].folder) {
            fs::remove_all(inTools[inTool].output);
            fs::create_directories(inTools[inTool].output);
        }
        bench::Measure run = RunChild(inTools[inTool].arguments);
        // qpdf answers 3 for a success with warnings (which the check of its output then names);
        // ours answers 3 when the document could not be ended, which is a failure.
        if (run.status == 3 && inTools[inTool].name == "qpdf")
            run.status = 0;
        return run;
    });
    for (size_t t = 0; t < inTools.size(); ++t) {
        const char* check = ioFailures.Check(inTitle + ", " + inTools[t].name, sides[t],
                                             [&]() { return inProblem(inTools[t]); });
        std::printf("  %-8s %-26s %12.3f %10.1f %8s\n", inTools[t].name.c_str(),
                    bench::Format(sides[t].Seconds(), 3).c_str(),
                    1000.0 * sides[t].Seconds().median / inPagesHandled, sides[t].PeakKB() / 1024.0, check);
    }
    for (size_t t = 1; t < inTools.size(); ++t)
        std::printf("  %s / ours (medians): %.2f times the time\n", inTools[t].name.c_str(),
                    sides[t].Seconds().median / sides[0].Seconds().median);
}

// The check of a merged file: sound, with the pages whose labels are given, in that order.
std::function<std::string(const Tool&)> MergedPages(const std::vector<int>& inLabels)
{
    return [expected = bench::LabelledPages(inLabels)](const Tool& inTool) {
        return bench::PdfProblem(inTool.output, expected);
    };
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::string(argv[1]) == "--ours")
        return RunOurs(argc, argv);
    const int runs = bench::RunCount(argc, argv, 1, 5);
    std::string self = fs::canonical("/proc/self/exe").string();
    fs::path dir = fs::temp_directory_path() / ("bench-copying-" + std::to_string(getpid()));
    fs::create_directories(dir);
    bench::PrintLoad();
    bench::Failures failures;
    const std::string splitJS = (dir / "split.js").string();
    WriteFile(splitJS, "var src = new PDFDocument(scriptArgs[0]);\n"
                       "for (var i = 0; i < src.countPages(); ++i) {\n"
                       "  var dst = new PDFDocument();\n"
                       "  dst.graftPage(-1, src, i);\n"
                       "  dst.save(scriptArgs[1] + '/page-' + (i + 1) + '.pdf', '');\n"
                       "}\n");

    // 1. Fifty ordinary files.
    std::vector<std::string> files;
    std::vector<int> fileLabels;
    for (int i = 0; i < 50; ++i) {
        int pages = 2 + (i * 7) % 19;
        fs::path path = dir / ("file" + std::to_string(i) + ".pdf");
        bench::EndUnlessPrepared("making " + path.string(), MakeSource(path, pages, 1000u + i, i % 2 == 0), dir);
        files.push_back(path.string());
        for (int page = 1; page <= pages; ++page)
            fileLabels.push_back(page);
    }
    const int filePages = static_cast<int>(fileLabels.size());
    {
        std::string ours = (dir / "ours-50.pdf").string(), qpdf = (dir / "qpdf-50.pdf").string(),
                    mutool = (dir / "mutool-50.pdf").string();
        std::vector<std::string> oursArgs = {self, "--ours", "merge", ours};
        std::vector<std::string> qpdfArgs = {"qpdf", "--empty", "--pages"};
        std::vector<std::string> mutoolArgs = {"mutool", "merge", "-o", mutool};
        for (const std::string& file : files) {
            oursArgs.push_back(file);
            qpdfArgs.push_back(file);
            mutoolArgs.push_back(file);
        }
        qpdfArgs.push_back("--");
        qpdfArgs.push_back(qpdf);
        RunWorkload("Merging 50 ordinary files (" + std::to_string(filePages) + " pages)",
                    {{"ours", oursArgs, ours}, {"qpdf", qpdfArgs, qpdf}, {"mutool", mutoolArgs, mutool}},
                    MergedPages(fileLabels), runs, filePages, failures);
    }

    // 2. Ten copies of a 500-page file.
    std::string big = (dir / "big.pdf").string();
    bench::EndUnlessPrepared("making " + big, MakeSource(big, 500, 7u, true), dir);
    {
        std::string ours = (dir / "ours-5000.pdf").string(), qpdf = (dir / "qpdf-5000.pdf").string(),
                    mutool = (dir / "mutool-5000.pdf").string();
        std::vector<std::string> oursArgs = {self, "--ours", "merge", ours};
        std::vector<std::string> qpdfArgs = {"qpdf", "--empty", "--pages"};
        std::vector<std::string> mutoolArgs = {"mutool", "merge", "-o", mutool};
        std::vector<int> labels;
        for (int i = 0; i < 10; ++i) {
            oursArgs.push_back(big);
            qpdfArgs.push_back(big);
            mutoolArgs.push_back(big);
            for (int page = 1; page <= 500; ++page)
                labels.push_back(page);
        }
        qpdfArgs.push_back("--");
        qpdfArgs.push_back(qpdf);
        RunWorkload("Merging 10 copies of a 500-page file (5000 pages)",
                    {{"ours", oursArgs, ours}, {"qpdf", qpdfArgs, qpdf}, {"mutool", mutoolArgs, mutool}},
                    MergedPages(labels), runs, 5000, failures);
    }

    // 3. Splitting the 500-page file into single pages.
    {
        std::string ours = (dir / "split-ours").string(), qpdf = (dir / "split-qpdf").string(),
                    mutool = (dir / "split-mutool").string(), reparse = (dir / "split-reparse").string();
        RunWorkload("Splitting a 500-page file into single pages (ours: one parse, a copy session per file; "
                    "ours-rp: a parse per file)",
                    {{"ours", {self, "--ours", "split-sessions", big, ours}, ours, true},
                     {"ours-rp", {self, "--ours", "split", big, reparse}, reparse, true},
                     {"qpdf", {"qpdf", "--split-pages", big, qpdf + "/page-%d.pdf"}, qpdf, true},
                     {"mutool", {"mutool", "run", splitJS, big, mutool}, mutool, true}},
                    [](const Tool& inTool) { return bench::PartsProblem(inTool.output, 500, 1, bench::PageLabel); },
                    runs, 500, failures);
    }

    // 4. A page whose content inflates to 10 GB, from a file of about a kilobyte. (qpdf inflates
    // it, which takes it a minute and more, so it is left out.)
    {
        std::string bomb = (dir / "bomb.pdf").string();
        WriteFile(bomb, copytest::InflatingContentDocument(copytest::InflatingContent(10240)).Build());
        std::string ours = (dir / "ours-bomb.pdf").string(), mutool = (dir / "mutool-bomb.pdf").string();
        RunWorkload("Merging a " + std::to_string(fs::file_size(bomb)) + "-byte file whose content inflates to 10 GB",
                    {{"ours", {self, "--ours", "merge", ours, bomb}, ours},
                     {"mutool", {"mutool", "merge", "-o", mutool, bomb}, mutool}},
                    [&bomb](const Tool& inTool) {
                        bench::PdfExpectation expected;
                        expected.pages = 1;
                        expected.structureOnly = true;
                        // Both sides copy the content stream as it is (not inflating it is the
                        // work timed here), so the page's stream must be the source's: the same
                        // raw bytes under the same filters decode to the same 10 GB, with no one
                        // inflating them. A page left empty, or a stream cut or encoded again,
                        // fails; inflating it to measure its length would take longer than the
                        // runs themselves.
                        expected.sameContentAs = bomb;
                        return bench::PdfProblem(inTool.output, expected);
                    },
                    runs, 1, failures);
    }

    // VELLORAN_BENCH_KEEP keeps the files for profiling one tool alone.
    if (std::getenv("VELLORAN_BENCH_KEEP"))
        std::printf("\nfiles kept in %s\n", dir.string().c_str());
    else
        fs::remove_all(dir);
    return failures.ExitStatus();
}
