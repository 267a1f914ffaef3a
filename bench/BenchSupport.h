#pragma once
// What the benchmarks share:
// - how sides are timed against each other (bench::Interleave): the sides take turns, the order
//   turning by one each round so that none always runs first or after the same neighbour; one
//   warm-up round is not counted and at least kMinRuns rounds are; each side is summarised by
//   its median and its spread (fastest and slowest run), never by its fastest run alone;
// - an ordinary generated document (text pages in two standard fonts with some drawing, a logo
//   image on every page, a photo-like image on every tenth, pages in nodes of ten), written
//   classic or with object streams by qpdf.
// Children are run and measured by ChildProcess.h.

#include "ChildProcess.h"
#include "tests/pdf/copying/FlateTestData.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace bench {

constexpr int kMinRuns = 5;

// The run count a benchmark's argument asks for, never below kMinRuns.
inline int RunCount(int argc, char** argv, int inArgument, int inDefault)
{
    return std::max(kMinRuns, argc > inArgument ? std::atoi(argv[inArgument]) : inDefault);
}

struct Spread {
    double median = 0;
    double low = 0;
    double high = 0;
};

inline Spread SpreadOf(std::vector<double> inValues)
{
    Spread spread;
    if (inValues.empty())
        return spread;
    std::sort(inValues.begin(), inValues.end());
    const size_t n = inValues.size();
    spread.median = n % 2 ? inValues[n / 2] : (inValues[n / 2 - 1] + inValues[n / 2]) / 2;
    spread.low = inValues.front();
    spread.high = inValues.back();
    return spread;
}

// "0.0123 [0.0119-0.0131]": the median, then the fastest and slowest run.
inline std::string Format(const Spread& inSpread, int inDecimals = 4)
{
    char text[96];
    std::snprintf(text, sizeof text, "%.*f [%.*f-%.*f]", inDecimals, inSpread.median, inDecimals, inSpread.low,
                  inDecimals, inSpread.high);
    return text;
}

// The runs of one side.
struct SideRuns {
    std::vector<Measure> runs;

    Spread Seconds() const { return Of(&Measure::seconds); }
    Spread CpuSeconds() const { return Of(&Measure::cpuSeconds); }
    long PeakKB() const
    {
        long peak = 0;
        for (const Measure& run : runs)
            peak = std::max(peak, run.peakKB);
        return peak;
    }
    // The first failing run, nullptr when every run succeeded.
    const Measure* Failed() const
    {
        for (const Measure& run : runs)
            if (run.status != 0)
                return &run;
        return nullptr;
    }
    // The first failing run's status, 0 when every run succeeded.
    int Status() const { return Failed() ? Failed()->status : 0; }

private:
    Spread Of(double Measure::*inField) const
    {
        std::vector<double> values;
        for (const Measure& run : runs)
            values.push_back(run.*inField);
        return SpreadOf(values);
    }
};

// A failed run (child or in-process work), if it failed: its results are no results. The reason
// is the run's own where it gave one (a child's last words on its standard error).
inline std::string RunsProblem(const Measure& inRun)
{
    if (inRun.status == 0)
        return std::string();
    return "a run failed (status " + std::to_string(inRun.status) + ")" +
           (inRun.reason.empty() ? "" : ": " + inRun.reason);
}

// The first failed run of a side, if any.
inline std::string RunsProblem(const SideRuns& inRuns)
{
    return inRuns.Failed() ? RunsProblem(*inRuns.Failed()) : std::string();
}

// inRunOnce(side, round) does one run of a side and measures it; round -1 is the warm-up.
inline std::vector<SideRuns> Interleave(size_t inSides, int inRuns,
                                        const std::function<Measure(size_t, int)>& inRunOnce)
{
    std::vector<SideRuns> sides(inSides);
    for (int round = -1; round < std::max(inRuns, kMinRuns); ++round) {
        for (size_t turn = 0; turn < inSides; ++turn) {
            const size_t side = (turn + static_cast<size_t>(round + 1)) % inSides;
            Measure measure = inRunOnce(side, round);
            if (round >= 0)
                sides[side].runs.push_back(measure);
        }
    }
    return sides;
}

// One run of work done inside this process: wall time and the process's processor time; the
// status is 1 when the work reports failure.
inline Measure TimeInProcess(const std::function<bool()>& inWork)
{
    auto cpuNow = []() {
        timespec now{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
        return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
    };
    Measure measure;
    const double cpuStart = cpuNow();
    const auto start = std::chrono::steady_clock::now();
    const bool ok = inWork();
    measure.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    measure.cpuSeconds = cpuNow() - cpuStart;
    measure.status = ok ? 0 : 1;
    return measure;
}

// Work done inside this process, one function a side, taking turns as Interleave does.
inline std::vector<SideRuns> InterleaveInProcess(int inRuns, const std::vector<std::function<bool()>>& inSides)
{
    return Interleave(inSides.size(), inRuns, [&](size_t inSide, int) { return TimeInProcess(inSides[inSide]); });
}

// The machine's load when the figures were taken: they mean little on a busy machine.
inline void PrintLoad()
{
    double load[3] = {0, 0, 0};
    if (FILE* file = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(file, "%lf %lf %lf", &load[0], &load[1], &load[2]) != 3)
            load[0] = load[1] = load[2] = -1;
        std::fclose(file);
    }
    std::printf("machine load (1, 5, 15 min): %.2f %.2f %.2f\n", load[0], load[1], load[2]);
}

} // namespace bench

namespace benchsupport {

namespace fs = std::filesystem;
using copytest::FlateStream;

// An ordinary document: text pages in two standard fonts with some drawing, a logo image on
// every page and a photo-like image on every tenth, pages in nodes of ten. Classic layout.
inline std::string MakeDocument(int inPages, unsigned inSeed)
{
    std::vector<std::string> objects;
    auto add = [&](const std::string& inBody) {
        objects.push_back(inBody);
        return static_cast<int>(objects.size());
    };
    add("<< /Type /Catalog /Pages 2 0 R >>");
    add("");
    int helvetica = add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
    int times = add("<< /Type /Font /Subtype /Type1 /BaseFont /Times-Roman /Encoding /WinAnsiEncoding >>");
    unsigned seed = inSeed;
    auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    std::string logo;
    for (int i = 0; i < 64 * 64; ++i)
        logo += std::string{static_cast<char>(i % 64 * 4), static_cast<char>(i / 64 * 4), static_cast<char>(128)};
    int logoID = add(FlateStream(logo, " /Type /XObject /Subtype /Image /Width 64 /Height 64 /ColorSpace /DeviceRGB "
                                       "/BitsPerComponent 8"));
    const char* words[] = {"merge", "split", "document", "page", "report", "quarterly", "figures", "the", "and",
                           "of", "customer", "invoice", "total", "amount", "delivery", "schedule", "review"};
    std::string kids;
    int nodes = (inPages + 9) / 10;
    for (int node = 0; node < nodes; ++node) {
        int nodeID = add("");
        kids += std::to_string(nodeID) + " 0 R ";
        std::string nodeKids;
        int count = 0;
        for (int page = node * 10; page < inPages && page < node * 10 + 10; ++page, ++count) {
            std::string content = "q 0.2 0.3 0.5 rg 50 740 500 30 re f Q q 64 0 0 64 480 700 cm /Logo Do Q\n";
            content += "BT /F2 18 Tf 60 750 Td (Page " + std::to_string(page + 1) + ") Tj ET\n";
            content += "BT /F1 10 Tf 60 700 Td 13 TL\n";
            for (int line = 0; line < 45; ++line) {
                std::string text;
                for (int word = 0; word < 11; ++word)
                    text += std::string(words[next() % 17]) + " ";
                content += "(" + text + ") '\n";
            }
            content += "ET\n0.5 w ";
            for (int i = 0; i < 20; ++i)
                content += std::to_string(60 + next() % 480) + " " + std::to_string(60 + next() % 100) + " m " +
                           std::to_string(60 + next() % 480) + " " + std::to_string(60 + next() % 100) + " l S\n";
            std::string resources = "<< /ProcSet [/PDF /Text /ImageC] /Font << /F1 " + std::to_string(helvetica) +
                                    " 0 R /F2 " + std::to_string(times) + " 0 R >> /XObject << /Logo " +
                                    std::to_string(logoID) + " 0 R";
            if (page % 10 == 0) {
                std::string photo;
                for (int i = 0; i < 120 * 90; ++i)
                    photo += std::string{static_cast<char>(next()), static_cast<char>(i), static_cast<char>(i >> 4)};
                int photoID = add(FlateStream(photo, " /Type /XObject /Subtype /Image /Width 120 /Height 90 "
                                                     "/ColorSpace /DeviceRGB /BitsPerComponent 8"));
                resources += " /Photo " + std::to_string(photoID) + " 0 R";
                content += "q 240 0 0 180 60 80 cm /Photo Do Q\n";
            }
            resources += " >> >>";
            int contentID = add(FlateStream(content));
            int pageID = add("<< /Type /Page /Parent " + std::to_string(nodeID) + " 0 R /Resources " + resources +
                             " /Contents " + std::to_string(contentID) + " 0 R >>");
            nodeKids += std::to_string(pageID) + " 0 R ";
        }
        objects[nodeID - 1] = "<< /Type /Pages /Parent 2 0 R /Kids [" + nodeKids + "] /Count " + std::to_string(count) + " >>";
    }
    objects[1] = "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(inPages) + " /MediaBox [0 0 612 792] >>";

    parsertest::PdfBuilder builder;
    builder.objects = objects;
    return builder.Build();
}

// Whether all of the bytes were written.
inline bool WriteFile(const fs::path& inPath, const std::string& inBytes)
{
    std::ofstream file(inPath, std::ios::binary);
    file.write(inBytes.data(), static_cast<std::streamsize>(inBytes.size()));
    file.close();
    return file.good();
}

inline int RunQuietly(const std::string& inCommand)
{
    return std::system((inCommand + " >/dev/null 2>&1").c_str());
}

// Writes the document, rewritten by qpdf with object streams when asked (as most producers of
// the last years write); what went wrong, empty when nothing did.
inline std::string MakeSource(const fs::path& inPath, int inPages, unsigned inSeed, bool inObjectStreams)
{
    const fs::path classic = inObjectStreams ? fs::path(inPath.string() + ".classic.pdf") : inPath;
    if (!WriteFile(classic, MakeDocument(inPages, inSeed)))
        return "cannot write " + classic.string();
    if (!inObjectStreams)
        return std::string();
    const bench::Measure rewrite =
        bench::RunChild({"qpdf", "--object-streams=generate", classic.string(), inPath.string()});
    fs::remove(classic);
    if (rewrite.status == 0)
        return std::string();
    return "qpdf could not write " + inPath.string() + " with object streams (status " +
           std::to_string(rewrite.status) + "): " + rewrite.reason;
}

// A benchmark's --make step, in its child: the source made, or the reason why not on standard
// error and exit status 1.
inline int MakeSourceStep(const fs::path& inPath, int inPages, unsigned inSeed, bool inObjectStreams)
{
    const std::string problem = MakeSource(inPath, inPages, inSeed, inObjectStreams);
    if (!problem.empty())
        std::fprintf(stderr, "%s\n", problem.c_str());
    return problem.empty() ? 0 : 1;
}

} // namespace benchsupport
