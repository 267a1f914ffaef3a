// Reads a large generated PDF (thousands of pages, object streams, compressed content) whole,
// against qpdf --check on the same file, both as child processes taking turns: ours (this program
// run with --walk) parses the file, resolves every object, decodes every stream and reads every
// page's media box; qpdf --check does the same and also cuts every page's content into tokens,
// which ours does not. Run: build/bench/bench_parser [pages] [runs]

#include "bench/BenchSupport.h"
#include "bench/OutputChecks.h"
#include "pdf/io/InputFile.h"
#include "pdf/parsing/PDFParser.h"
#include "tests/pdf/parsing/ParserWalk.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

namespace {

// A page's drawing: a few hundred operators with varying numbers, so it does not compress away.
std::string PageContent(int inPage, unsigned& ioSeed)
{
    std::string content = "q 0.5 w\n";
    for (int i = 0; i < 120; ++i) {
        ioSeed = ioSeed * 1103515245u + 12345u;
        unsigned x = (ioSeed >> 8) % 600, y = (ioSeed >> 18) % 800;
        content += std::to_string(x) + " " + std::to_string(y) + " m " + std::to_string(x + 7) + "." +
                   std::to_string(i % 10) + " " + std::to_string(y + 3) + " l S\n";
    }
    content += "BT /F1 12 Tf 72 720 Td (Page " + std::to_string(inPage + 1) + ") Tj ET Q\n";
    return content;
}

void WriteSourceFile(const std::filesystem::path& inPath, int inPages)
{
    std::string out = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    std::vector<long long> offsets;
    auto add = [&](const std::string& inBody) {
        offsets.push_back(static_cast<long long>(out.size()));
        out += std::to_string(offsets.size()) + " 0 obj\n" + inBody + "\nendobj\n";
    };
    add("<< /Type /Catalog /Pages 2 0 R >>");
    // Intermediate nodes of 50 pages each keep the tree realistic.
    int nodes = (inPages + 49) / 50;
    std::string kids;
    for (int n = 0; n < nodes; ++n)
        kids += std::to_string(4 + n) + " 0 R ";
    add("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(inPages) + " /MediaBox [0 0 612 792] >>");
    add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    int firstPage = 4 + nodes;
    for (int n = 0; n < nodes; ++n) {
        std::string nodeKids;
        int count = 0;
        for (int p = n * 50; p < inPages && p < (n + 1) * 50; ++p, ++count)
            nodeKids += std::to_string(firstPage + 2 * p) + " 0 R ";
        add("<< /Type /Pages /Parent 2 0 R /Kids [" + nodeKids + "] /Count " + std::to_string(count) + " >>");
    }
    unsigned seed = 1;
    for (int p = 0; p < inPages; ++p) {
        add("<< /Type /Page /Parent " + std::to_string(4 + p / 50) + " 0 R /Resources << /Font << /F1 3 0 R >> >> /Contents " +
            std::to_string(firstPage + 2 * p + 1) + " 0 R" + (p % 3 == 0 ? " /MediaBox [0 0 595 842]" : "") + " >>");
        std::string content = PageContent(p, seed);
        add("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream");
    }
    long long xref = static_cast<long long>(out.size());
    out += "xref\n0 " + std::to_string(offsets.size() + 1) + "\n0000000000 65535 f \n";
    char row[32];
    for (long long offset : offsets) {
        snprintf(row, sizeof(row), "%010lld 00000 n \n", offset);
        out += row;
    }
    out += "trailer\n<< /Size " + std::to_string(offsets.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    std::ofstream(inPath, std::ios::binary).write(out.data(), static_cast<std::streamsize>(out.size()));
}

// Our side, in the child: the walk of the whole file; what it read goes to inReport.
int Walk(const char* inPath, const char* inReport, int inPages)
{
    InputFile file;
    PDFParser parser;
    if (file.OpenFile(inPath) != eSuccess || parser.ParseDocument(file.GetInputStream()) != eSuccess)
        return 1;
    const ParserWalkResult walk = WalkParsedDocument(parser);
    if (FILE* report = std::fopen(inReport, "w")) {
        std::fprintf(report, "%u objects, %u streams (%llu decoded bytes), %zu media boxes", walk.listedObjects,
                     walk.streams, walk.streamBytes, walk.mediaBoxes.size());
        std::fclose(report);
    }
    return walk.failedObjects == 0 && walk.failedStreams == 0 && walk.mediaBoxes.size() == static_cast<size_t>(inPages)
               ? 0
               : 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::string(argv[1]) == "--walk")
        return Walk(argv[2], argv[3], std::atoi(argv[4]));
    const int pages = argc > 1 ? std::atoi(argv[1]) : 20000;
    const int runs = bench::RunCount(argc, argv, 2, 5);
    std::filesystem::path dir = std::filesystem::temp_directory_path() / ("bench-parser-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::filesystem::path source = dir / "source.pdf", file = dir / "large.pdf", report = dir / "walk.txt";
    WriteSourceFile(source, pages);
    std::string command = "qpdf --object-streams=generate --stream-data=compress '" + source.string() + "' '" + file.string() + "'";
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "qpdf could not write the test file\n");
        return 1;
    }
    std::printf("file: %d pages, %lld bytes, object streams and compressed content; %d runs each\n", pages,
                static_cast<long long>(std::filesystem::file_size(file)), runs);
    bench::PrintLoad();

    const std::string self = std::filesystem::canonical("/proc/self/exe").string();
    const std::vector<std::vector<std::string>> tools = {
        {self, "--walk", file.string(), report.string(), std::to_string(pages)}, {"qpdf", "--check", file.string()}};
    const std::vector<bench::SideRuns> sides =
        bench::Interleave(tools.size(), runs, [&](size_t inTool, int) { return bench::RunChild(tools[inTool]); });
    std::ifstream walked(report);
    std::string what((std::istreambuf_iterator<char>(walked)), std::istreambuf_iterator<char>());
    // Ours fails its run when an object or stream could not be read or a page's media box is
    // missing; qpdf --check when it finds a fault.
    bench::Failures failures;
    std::printf("kestrin: parse + %s: %s s, %s\n", what.c_str(), bench::Format(sides[0].Seconds(), 3).c_str(),
                failures.Note("kestrin", bench::RunsProblem(sides[0])));
    std::printf("qpdf --check:     %s s, %s\n", bench::Format(sides[1].Seconds(), 3).c_str(),
                failures.Note("qpdf --check", bench::RunsProblem(sides[1])));
    std::printf("ratio qpdf / kestrin (medians): %.2f (above 1: kestrin is faster)\n",
                sides[1].Seconds().median / sides[0].Seconds().median);
    std::filesystem::remove_all(dir);
    return failures.ExitStatus();
}
