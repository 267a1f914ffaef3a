// Parses a large generated PDF (thousands of pages, object streams, compressed content), resolves
// every object, decodes every stream and reads every page's media box; then times
// `qpdf --check` on the same file and prints the ratio. Run: build/bench/bench_parser [pages].

#include "pdf/io/InputByteArrayStream.h"
#include "pdf/parsing/PDFParser.h"
#include "tests/pdf/parsing/ParserWalk.h"

#include <chrono>
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

double Seconds(std::chrono::steady_clock::time_point inStart)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - inStart).count();
}

} // namespace

int main(int argc, char** argv)
{
    int pages = argc > 1 ? std::atoi(argv[1]) : 20000;
    std::filesystem::path dir = std::filesystem::temp_directory_path() / ("bench-parser-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::filesystem::path source = dir / "source.pdf", file = dir / "large.pdf";
    WriteSourceFile(source, pages);
    std::string command = "qpdf --object-streams=generate --stream-data=compress '" + source.string() + "' '" + file.string() + "'";
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "qpdf could not write the test file\n");
        return 1;
    }
    std::printf("file: %d pages, %lld bytes, object streams and compressed content\n", pages,
                static_cast<long long>(std::filesystem::file_size(file)));

    double best = 1e9;
    ParserWalkResult walk;
    for (int run = 0; run < 3; ++run) {
        auto start = std::chrono::steady_clock::now();
        std::ifstream in(file, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        InputByteArrayStream stream(reinterpret_cast<const Byte*>(bytes.data()), static_cast<LongFilePositionType>(bytes.size()));
        PDFParser parser;
        if (parser.ParseDocument(&stream) != eSuccess) {
            std::fprintf(stderr, "the parser refused the file\n");
            return 1;
        }
        walk = WalkParsedDocument(parser);
        best = std::min(best, Seconds(start));
        if (walk.failedObjects != 0 || walk.failedStreams != 0 || walk.mediaBoxes.size() != static_cast<size_t>(pages)) {
            std::fprintf(stderr, "the walk failed: %u objects, %u streams\n", walk.failedObjects, walk.failedStreams);
            return 1;
        }
    }
    std::printf("kestrin: parse + %u objects + %u streams (%llu decoded bytes) + %zu media boxes: %.3f s\n",
                walk.listedObjects, walk.streams, walk.streamBytes, walk.mediaBoxes.size(), best);

    double qpdfBest = 1e9;
    std::string check = "qpdf --check '" + file.string() + "' > /dev/null";
    for (int run = 0; run < 3; ++run) {
        auto start = std::chrono::steady_clock::now();
        if (std::system(check.c_str()) != 0) {
            std::fprintf(stderr, "qpdf --check failed\n");
            return 1;
        }
        qpdfBest = std::min(qpdfBest, Seconds(start));
    }
    std::printf("qpdf --check: %.3f s\n", qpdfBest);
    std::printf("ratio qpdf / kestrin: %.2f (above 1: kestrin is faster)\n", qpdfBest / best);
    std::filesystem::remove_all(dir);
    return 0;
}
