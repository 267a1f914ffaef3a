// The watermark tool's engine against qpdf --overlay and pdftk stamp, in the same run, on a
// 675-page and a 5,000-page ordinary document (object streams, as recent producers write them):
// a text mark ("Confidential - page [PgNo]" in a system TrueType font) and an image mark (a
// 200 x 100 JPEG) on every page. The peers stamp a one-page mark PDF over every page; that
// mark PDF is made by our own engine on a blank page, so all three draw the same mark (the
// peers cannot number the pages). Every tool runs as a child process, so that wall time and peak
// memory are measured the same way; the output's growth per page is shown beside them. The tools
// take turns; each one's median and spread are shown. A peer that is not installed is left out.
// Every run starts in an empty folder (our engine, run without a window, would pass over an
// output that is there already). The last round's outputs are checked (qpdf's check, the page
// count, every page's own text and its mark: the mark's text to pdftotext, the mark's image in
// pdfimages' list) and a wrong one fails the benchmark.
// Run: build/bench/bench_watermark [runs]

#include "app/FontCatalog.h"
#include "app/tools/watermark/PDFWatermarker.h"
#include "bench/BenchSupport.h"
#include "bench/OutputChecks.h"

#include <QCoreApplication>
#include <QImage>
#include <QPainter>

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

// A font of the system: DejaVu Sans when there, else the catalog's first.
QString FontName()
{
    const QStringList names = FontCatalog::Shared().DisplayNames();
    if (names.contains(QStringLiteral("DejaVuSans")))
        return QStringLiteral("DejaVuSans");
    return names.isEmpty() ? QString() : names.first();
}

// Our side, in the child: "text" or "image", source, output folder, JPEG.
int RunOurs(int argc, char** argv)
{
    if (!bench::EmptyFolder(argv[4]))
        return 3;
    QCoreApplication application(argc, argv);
    PDFWatermarker engine;
    const QString source = QString::fromLocal8Bit(argv[3]);
    const QString folder = QString::fromLocal8Bit(argv[4]);
    const QList<FailedFile> failed =
        std::string(argv[2]) == "text"
            ? engine.AddTextWatermark({source}, QStringLiteral("Confidential - page [PgNo]"), FontName(), 24,
                                      0xcc0000, 4, 0, 50, 50, folder, QStringLiteral("out"))
            : engine.AddImageWatermark({source}, QString::fromLocal8Bit(argv[5]), 100, 3, 0, 36, 36, folder,
                                       QStringLiteral("out"));
    for (const FailedFile& file : failed)
        std::fprintf(stderr, "%s: %s\n", qPrintable(file.path), qPrintable(file.reason));
    return failed.isEmpty() ? 0 : 2;
}

// A one-page blank Letter document with a classic cross-reference table.
std::string BlankPage()
{
    const std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R /Resources << >> >>",
        "<< /Length 0 >>\nstream\n\nendstream"};
    std::string pdf = "%PDF-1.4\n";
    std::vector<size_t> offsets;
    for (size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (size_t offset : offsets) {
        char row[32];
        std::snprintf(row, sizeof row, "%010zu 00000 n \n", offset);
        pdf += row;
    }
    pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

// In a child: the JPEG, and the two one-page mark PDFs of the peers, made by our engine.
int MakeMarks(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const fs::path dir = argv[2];
    QImage image(200, 100, QImage::Format_RGB32);
    image.fill(QColor(30, 90, 200));
    QPainter painter(&image);
    painter.fillRect(20, 20, 160, 60, QColor(250, 200, 40));
    painter.end();
    image.setDotsPerMeterX(2834);
    image.setDotsPerMeterY(2834);
    const QString jpeg = QString::fromStdString((dir / "mark.jpg").string());
    if (!image.save(jpeg, "JPG", 100)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(jpeg));
        return 2;
    }
    if (!WriteFile(dir / "blank.pdf", BlankPage())) {
        std::fprintf(stderr, "cannot write %s\n", (dir / "blank.pdf").c_str());
        return 2;
    }
    const QString blank = QString::fromStdString((dir / "blank.pdf").string());
    const QString folder = QString::fromStdString(dir.string());
    PDFWatermarker engine;
    QList<FailedFile> failed = engine.AddTextWatermark({blank}, QStringLiteral("Confidential"), FontName(), 24,
                                                       0xcc0000, 4, 0, 50, 50, folder, QStringLiteral("text-mark"));
    if (failed.isEmpty())
        failed = engine.AddImageWatermark({blank}, jpeg, 100, 3, 0, 36, 36, folder, QStringLiteral("image-mark"));
    for (const FailedFile& file : failed)
        std::fprintf(stderr, "%s: %s\n", qPrintable(file.path), qPrintable(file.reason));
    return failed.isEmpty() ? 0 : 2;
}

struct Tool {
    std::string name;
    std::vector<std::string> arguments; // "@" stands for the run's output folder
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

void RunWorkload(const std::string& inTitle, const std::vector<Tool>& inTools, const fs::path& inDir,
                 long long inSourceBytes, int inPages, bool inTextMark, int inRuns, bench::Failures& ioFailures)
{
    std::printf("\n%s, %d runs each\n", inTitle.c_str(), inRuns);
    std::printf("  %-6s %-26s %9s %10s %14s %8s %6s\n", "tool", "seconds: median [min-max]", "peak MB", "output MB",
                "bytes/page +", "ratio", "check");
    auto folder = [&](size_t inTool) { return inDir / (inTools[inTool].name + "-run"); };
    const std::vector<bench::SideRuns> sides = bench::Interleave(inTools.size(), inRuns, [&](size_t inTool, int) {
        fs::remove_all(folder(inTool));
        fs::create_directories(folder(inTool));
        return RunChild(WithFolder(inTools[inTool].arguments, folder(inTool).string()));
    });
    for (size_t t = 0; t < inTools.size(); ++t) {
        const fs::path output = folder(t) / "out.pdf";
        const long long bytes = fs::exists(output) ? static_cast<long long>(fs::file_size(output)) : 0;
        const char* check = ioFailures.Check(inTitle + ", " + inTools[t].name, sides[t], [&]() {
            // The peers' mark is the one-page mark PDF, which cannot number the pages.
            const bool numbered = t == 0;
            bench::PdfExpectation expected;
            expected.pages = inPages;
            expected.pageTexts = [&](int inPage) {
                std::vector<std::string> texts = {bench::PageLabel(inPage)};
                if (inTextMark)
                    texts.push_back(numbered ? "Confidential - page " + std::to_string(inPage) : "Confidential");
                return texts;
            };
            if (!inTextMark) {
                expected.imageWidth = 200;
                expected.imageHeight = 100;
            }
            return bench::PdfProblem(output.string(), expected);
        });
        std::printf("  %-6s %-26s %9.1f %10.2f %14.1f %8.2f %6s\n", inTools[t].name.c_str(),
                    bench::Format(sides[t].Seconds(), 3).c_str(), sides[t].PeakKB() / 1024.0, bytes / 1048576.0,
                    static_cast<double>(bytes - inSourceBytes) / inPages,
                    sides[t].Seconds().median / sides[0].Seconds().median, check);
        fs::remove_all(folder(t));
    }
    for (size_t t = 1; t < inTools.size(); ++t)
        std::printf("  %s / ours (medians): %.2f times the time, %.2f times the peak memory\n",
                    inTools[t].name.c_str(), sides[t].Seconds().median / sides[0].Seconds().median,
                    static_cast<double>(sides[t].PeakKB()) / sides[0].PeakKB());
}

// Whether a program of that name is on the path.
bool Installed(const std::string& inProgram)
{
    return RunQuietly("command -v " + inProgram) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 5 && std::string(argv[1]) == "--ours")
        return RunOurs(argc, argv);
    if (argc == 3 && std::string(argv[1]) == "--marks")
        return MakeMarks(argc, argv);
    if (argc == 5 && std::string(argv[1]) == "--make")
        return MakeSourceStep(argv[2], std::atoi(argv[3]), static_cast<unsigned>(std::atoi(argv[4])), true);
    const int runs = bench::RunCount(argc, argv, 1, 5);
    const std::string self = fs::canonical("/proc/self/exe").string();
    const fs::path dir = fs::temp_directory_path() / ("bench-watermark-" + std::to_string(getpid()));
    fs::create_directories(dir);
    bench::PrintLoad();
    bench::Failures failures;
    bench::Prepare("making the marks", {self, "--marks", dir.string()}, dir);
    const std::string jpeg = (dir / "mark.jpg").string();
    for (int pages : {675, 5000}) {
        const std::string source = (dir / ("source-" + std::to_string(pages) + ".pdf")).string();
        bench::Prepare("making " + source, {self, "--make", source, std::to_string(pages), std::to_string(11 + pages)},
                       dir);
        const long long sourceBytes = static_cast<long long>(fs::file_size(source));
        for (const std::string kind : {"text", "image"}) {
            const std::string mark = (dir / (kind + "-mark.pdf")).string();
            std::vector<Tool> tools = {{"ours", {self, "--ours", kind, source, "@", jpeg}},
                                       {"qpdf", {"qpdf", source, "--overlay", mark, "--repeat=1", "--", "@/out.pdf"}}};
            if (Installed("pdftk"))
                tools.push_back({"pdftk", {"pdftk", source, "stamp", mark, "output", "@/out.pdf"}});
            RunWorkload((kind == "image" ? "An " : "A ") + kind + " mark on every page of a " +
                            std::to_string(pages) + "-page file (" + std::to_string(sourceBytes / 1024) + " KB)",
                        tools, dir, sourceBytes, pages, kind == "text", runs, failures);
        }
    }
    if (std::getenv("VELLORAN_BENCH_KEEP"))
        std::printf("\nfiles kept in %s\n", dir.string().c_str());
    else
        fs::remove_all(dir);
    return failures.ExitStatus();
}
