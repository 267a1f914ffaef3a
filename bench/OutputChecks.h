#pragma once
// How the benchmarks judge what each side produced, so that a ratio never rests on a wrong
// output: PDF files are read by other programs than the ones timed (qpdf's check and its walk of
// the page tree, pdftotext's page texts, pdfinfo's boxes, pdfimages' list), font subsets by
// FreeType; a benchmark gathers what is wrong in a Failures, prints its figures all the same, and
// exits with a failure that names every reason. Each problem is a short text, empty when there is
// none.

#include "bench/BenchSupport.h"
#include "tests/pdf/fonts/FontTestSupport.h"
#include "tests/pdf/support/ExternalReaders.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_CID_H

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace bench {

// The reasons a benchmark fails for, gathered as it goes.
class Failures {
public:
    // Notes the problem of inWhat, when there is one; "ok" or "WRONG" for the benchmark's table.
    const char* Note(const std::string& inWhat, const std::string& inProblem)
    {
        if (inProblem.empty())
            return "ok";
        mProblems.push_back(inWhat + ": " + inProblem);
        return "WRONG";
    }
    // Notes what is wrong with a side: its first failed run with its reason, or else what inCheck
    // finds in what it produced.
    const char* Check(const std::string& inWhat, const SideRuns& inRuns, const std::function<std::string()>& inCheck)
    {
        const std::string problem = RunsProblem(inRuns);
        return Note(inWhat, problem.empty() ? inCheck() : problem);
    }
    // Prints every problem to standard error, after the figures; the benchmark's exit status.
    int ExitStatus() const
    {
        std::fflush(stdout);
        for (const std::string& problem : mProblems)
            std::fprintf(stderr, "FAILED %s\n", problem.c_str());
        return mProblems.empty() ? 0 : 1;
    }

private:
    std::vector<std::string> mProblems;
};

// Ends the benchmark when a step that makes its inputs went wrong (inProblem not empty), with
// the step's reason and its scratch folder removed: without its inputs there is nothing to time.
inline void EndUnlessPrepared(const std::string& inWhat, const std::string& inProblem,
                              const std::filesystem::path& inScratch)
{
    if (inProblem.empty())
        return;
    std::error_code ignored;
    std::filesystem::remove_all(inScratch, ignored);
    std::fflush(stdout);
    std::fprintf(stderr, "FAILED %s: %s\n", inWhat.c_str(), inProblem.c_str());
    std::exit(1);
}

// Runs a child that makes inputs; one that fails ends the benchmark as above.
inline void Prepare(const std::string& inWhat, const std::vector<std::string>& inArguments,
                    const std::filesystem::path& inScratch)
{
    EndUnlessPrepared(inWhat, RunsProblem(RunChild(inArguments)), inScratch);
}

// The text at the top of each page of the generated documents, "Page 1" onwards.
inline std::string PageLabel(int inPage)
{
    return "Page " + std::to_string(inPage);
}

// White space runs (line and page breaks included) made one space, so that a text wrapped or
// laid out otherwise is still found.
inline std::string Collapsed(const std::string& inText)
{
    std::string out;
    for (char c : inText) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            if (!out.empty() && out.back() != ' ')
                out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

// Whether inText holds inWanted with no letter or digit right after it ("Page 1" is not in
// "Page 10"), both collapsed.
inline bool HoldsText(const std::string& inText, const std::string& inWanted)
{
    const std::string text = Collapsed(inText), wanted = Collapsed(inWanted);
    for (size_t at = text.find(wanted); at != std::string::npos; at = text.find(wanted, at + 1)) {
        const size_t end = at + wanted.size();
        if (end == text.size() || !std::isalnum(static_cast<unsigned char>(text[end])))
            return true;
    }
    return false;
}

inline std::string Excerpt(const std::string& inText, size_t inLength = 80)
{
    const std::string text = Collapsed(inText);
    return "\"" + text.substr(0, inLength) + (text.size() > inLength ? "...\"" : "\"");
}

// The table rows of what a command of poppler's prints (pdfimages -list, pdffonts).
inline std::vector<std::vector<std::string>> TableRows(const std::string& inCommand)
{
    std::string output;
    testsupport::Run(inCommand, &output);
    return testsupport::TableRows(output);
}

// The text of every page as pdftotext reads it, one entry a page.
inline std::vector<std::string> PageTexts(const std::string& inPath)
{
    std::string text;
    testsupport::Run("pdftotext -q " + testsupport::Quote(inPath) + " -", &text);
    // A form feed ends every page.
    std::vector<std::string> pages;
    for (size_t start = 0, end; (end = text.find('\f', start)) != std::string::npos; start = end + 1)
        pages.push_back(text.substr(start, end - start));
    return pages;
}

// What a PDF output must show. Only what is set is looked at.
struct PdfExpectation {
    int pages = -1;
    // Texts that pdftotext must find on a page (1-based).
    std::function<std::vector<std::string>(int)> pageTexts;
    // The MediaBox of every page (left, bottom, right, top) as pdfinfo reads it.
    std::vector<double> mediaBox;
    // An image of this size in pixels that pdfimages must list on every page.
    int imageWidth = 0;
    int imageHeight = 0;
    // qpdf's check decodes every stream and reads every page's content: a page whose content
    // inflates to gigabytes keeps it busy for minutes, so there only the structure is read.
    bool structureOnly = false;
    // A source whose pages' content streams every page must hold as they were: the same raw
    // bytes under the same dictionary (its /Length aside), which decode alike without anyone
    // decoding them.
    std::string sameContentAs;
};

// pdfinfo -l with this last page visits every page the root's /Count names and stops there.
constexpr const char* kPdfinfoLastPage = "2147483647";

// The pages pdfinfo reached in a report made with -l: a "Page N size:" line each, where a page
// that /Count names but the page tree lacks shows the size 0 x 0.
inline int PdfinfoPagesReached(const std::string& inReport)
{
    int pages = 0;
    std::istringstream lines(inReport);
    for (std::string line; std::getline(lines, line);) {
        const size_t at = line.find(" size:");
        if (line.compare(0, 5, "Page ") != 0 || at == std::string::npos)
            continue;
        const size_t size = line.find_first_not_of(' ', at + 6);
        pages += size != std::string::npos && line.compare(size, 6, "0 x 0 ") != 0;
    }
    return pages;
}

// What "qpdf --show-npages --show-pages" prints (after --check's lines, when asked): the root's
// /Count on a line of its own, then every page qpdf reaches by walking the page tree
// ("page 1: 3 0 R") with its content streams ("  content:", "    4 0 R"). The pages listed are
// those really there, whatever /Count says.
struct QpdfPages {
    long declared = -1;
    std::vector<std::vector<std::string>> contents; // a page each, its content streams' references
};

inline QpdfPages ReadQpdfPages(const std::string& inReport)
{
    QpdfPages tree;
    bool inContents = false;
    std::istringstream lines(inReport);
    for (std::string line; std::getline(lines, line);) {
        if (line.compare(0, 5, "page ") == 0) {
            tree.contents.emplace_back();
            inContents = false;
        } else if (!tree.contents.empty() && line.compare(0, 2, "  ") == 0 && line.compare(0, 3, "   ") != 0) {
            inContents = line == "  content:";
        } else if (inContents && line.compare(0, 4, "    ") == 0) {
            tree.contents.back().push_back(line.substr(4));
        } else if (tree.contents.empty() && !line.empty() &&
                   line.find_first_not_of("0123456789") == std::string::npos) {
            tree.declared = std::atol(line.c_str());
        }
    }
    return tree;
}

// Pages that show, one each, the labels of generated pages (PageLabel) in this order: the pages
// of merged documents, say.
inline PdfExpectation LabelledPages(const std::vector<int>& inLabels)
{
    PdfExpectation expected;
    expected.pages = static_cast<int>(inLabels.size());
    expected.pageTexts = [inLabels](int inPage) {
        return std::vector<std::string>{PageLabel(inLabels[static_cast<size_t>(inPage - 1)])};
    };
    return expected;
}

// Runs a check in a child process and gives the problem it found. The readers' outputs can run
// to megabytes, and a side run later as a forked child counts the pages of this process as its
// own until it runs its program: this process must stay as small as it was.
inline std::string CheckedInChild(const std::function<std::string()>& inCheck)
{
    std::fflush(nullptr);
    int ends[2];
    if (pipe(ends) != 0)
        return "no pipe for the check";
    const pid_t child = fork();
    if (child == 0) {
        close(ends[0]);
        const std::string problem = inCheck();
        for (size_t done = 0; done < problem.size();) {
            const ssize_t wrote = write(ends[1], problem.data() + done, problem.size() - done);
            if (wrote <= 0)
                _exit(1);
            done += static_cast<size_t>(wrote);
        }
        _exit(0);
    }
    close(ends[1]);
    std::string problem;
    char buffer[4096];
    for (ssize_t got; (got = read(ends[0], buffer, sizeof buffer)) > 0;)
        problem.append(buffer, static_cast<size_t>(got));
    close(ends[0]);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "the check itself did not end normally";
    return problem;
}

namespace checks {

// A stream as the file holds it, for comparing a copy with its original without decoding either:
// its dictionary as qpdf shows it, /Length left out, then its raw bytes; empty when qpdf cannot
// show it without a complaint.
inline std::string RawStream(const std::string& inPath, const std::string& inReference)
{
    // "4 0 R" is object 4,0 to qpdf.
    const std::string object = "--show-object=" + std::regex_replace(inReference, std::regex(" (\\d+) R$"), ",$1") +
                               " " + testsupport::Quote(inPath);
    std::string dictionary, bytes;
    if (testsupport::Run("qpdf " + object, &dictionary) != 0 ||
        testsupport::Run("qpdf --raw-stream-data " + object, &bytes) != 0)
        return std::string();
    return std::regex_replace(dictionary, std::regex("/Length \\d+( \\d+ R)?"), "") + bytes;
}

inline std::string PdfProblem(const std::string& inPath, const PdfExpectation& inExpected)
{
    if (!std::filesystem::is_regular_file(inPath))
        return "no file " + inPath;
    const std::string file = testsupport::Quote(inPath);
    std::string report;
    const std::string qpdf = inExpected.structureOnly ? "qpdf" : "qpdf --check";
    const int status = testsupport::RunMerged(qpdf + " --show-npages --show-pages " + file, report);
    if (status != 0 || report.find("WARNING") != std::string::npos || report.find("ERROR") != std::string::npos)
        return qpdf + " (exit " + std::to_string(status) + "): " + Excerpt(report, 300);
    // qpdf's check passes a root /Count that names pages the tree lacks: the pages are counted
    // where they are, and the two must agree.
    const QpdfPages tree = ReadQpdfPages(report);
    const int pages = static_cast<int>(tree.contents.size());
    if (tree.declared != pages)
        return "the page tree's root counts " + std::to_string(tree.declared) + " pages, qpdf reaches " +
               std::to_string(pages) + " in the tree";
    if (inExpected.pages >= 0 && pages != inExpected.pages)
        return "qpdf reaches " + std::to_string(pages) + " pages in the page tree, not " +
               std::to_string(inExpected.pages);
    if (!inExpected.sameContentAs.empty()) {
        std::string sourceReport;
        testsupport::Run("qpdf --show-pages " + testsupport::Quote(inExpected.sameContentAs), &sourceReport);
        const QpdfPages source = ReadQpdfPages(sourceReport);
        if (static_cast<int>(source.contents.size()) != pages)
            return "the source " + inExpected.sameContentAs + " has " + std::to_string(source.contents.size()) +
                   " pages, not " + std::to_string(pages);
        for (size_t page = 0; page < tree.contents.size(); ++page) {
            const std::vector<std::string>& written = tree.contents[page];
            const std::vector<std::string>& wanted = source.contents[page];
            if (written.size() != wanted.size())
                return "page " + std::to_string(page + 1) + " has " + std::to_string(written.size()) +
                       " content streams, the source's " + std::to_string(wanted.size());
            for (size_t i = 0; i < written.size(); ++i) {
                const std::string copy = RawStream(inPath, written[i]),
                                  original = RawStream(inExpected.sameContentAs, wanted[i]);
                if (copy.empty() || copy != original)
                    return "page " + std::to_string(page + 1) + "'s content " + written[i] + " (" +
                           std::to_string(copy.size()) + " bytes with its dictionary) is not the source's " +
                           wanted[i] + " as it was (" + std::to_string(original.size()) + ")";
            }
        }
    }

    if (inExpected.pageTexts) {
        const std::vector<std::string> texts = PageTexts(inPath);
        if (static_cast<int>(texts.size()) != pages)
            return "pdftotext reads " + std::to_string(texts.size()) + " pages, not " + std::to_string(pages);
        for (int page = 1; page <= pages; ++page)
            for (const std::string& wanted : inExpected.pageTexts(page))
                if (!HoldsText(texts[static_cast<size_t>(page - 1)], wanted))
                    return "page " + std::to_string(page) + " does not show \"" + wanted + "\" to pdftotext: " +
                           Excerpt(texts[static_cast<size_t>(page - 1)]);
    }
    if (inExpected.mediaBox.size() == 4) {
        const std::vector<PDFRectangle> boxes = testsupport::PdfinfoMediaBoxes(inPath, pages);
        if (static_cast<int>(boxes.size()) != pages)
            return "pdfinfo reads " + std::to_string(boxes.size()) + " MediaBoxes, not " + std::to_string(pages);
        const std::vector<double>& want = inExpected.mediaBox;
        for (size_t page = 0; page < boxes.size(); ++page) {
            const PDFRectangle& box = boxes[page];
            if (std::fabs(box.LowerLeftX - want[0]) > 0.01 || std::fabs(box.LowerLeftY - want[1]) > 0.01 ||
                std::fabs(box.UpperRightX - want[2]) > 0.01 || std::fabs(box.UpperRightY - want[3]) > 0.01) {
                char text[160];
                std::snprintf(text, sizeof text, "page %zu has the MediaBox [%g %g %g %g], not [%g %g %g %g]",
                              page + 1, box.LowerLeftX, box.LowerLeftY, box.UpperRightX, box.UpperRightY, want[0],
                              want[1], want[2], want[3]);
                return text;
            }
        }
    }
    if (inExpected.imageWidth > 0) {
        std::vector<bool> found(static_cast<size_t>(pages), false);
        // page, num, type, width, height, ...
        for (const std::vector<std::string>& row : TableRows("pdfimages -list " + file)) {
            const int page = row.size() > 4 ? std::atoi(row[0].c_str()) : 0;
            if (page >= 1 && page <= pages && row[2] == "image" && std::atoi(row[3].c_str()) == inExpected.imageWidth &&
                std::atoi(row[4].c_str()) == inExpected.imageHeight)
                found[static_cast<size_t>(page - 1)] = true;
        }
        const auto missing = std::find(found.begin(), found.end(), false);
        if (missing != found.end())
            return "pdfimages lists no " + std::to_string(inExpected.imageWidth) + " x " +
                   std::to_string(inExpected.imageHeight) + " image on page " +
                   std::to_string(missing - found.begin() + 1);
    }
    return std::string();
}

} // namespace checks

// What is wrong with the PDF file, if anything: qpdf must find nothing to warn about and reach the
// pages expected in the page tree, as many as its root counts, and the other readers must find
// what the expectation names.
inline std::string PdfProblem(const std::string& inPath, const PdfExpectation& inExpected)
{
    return CheckedInChild([&]() { return checks::PdfProblem(inPath, inExpected); });
}

// Does inWork(0) to inWork(inCount - 1), four at a time: checks of thousands of small files
// are mostly waiting for the readers' processes.
inline void InParallel(size_t inCount, const std::function<void(size_t)>& inWork)
{
    std::atomic<size_t> next{0};
    std::vector<std::thread> workers;
    for (int i = 0; i < 4; ++i)
        workers.emplace_back([&]() {
            for (size_t item; (item = next++) < inCount;)
                inWork(item);
        });
    for (std::thread& worker : workers)
        worker.join();
}

// Names in the order a person reads numbered files: digit runs compare as numbers, so that
// part-9 comes before part-10 and part-009 before part-010.
inline bool NaturalLess(const std::string& inLeft, const std::string& inRight)
{
    size_t i = 0, j = 0;
    auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    while (i < inLeft.size() && j < inRight.size()) {
        if (digit(inLeft[i]) && digit(inRight[j])) {
            const size_t endI = inLeft.find_first_not_of("0123456789", i), endJ = inRight.find_first_not_of("0123456789", j);
            const unsigned long long left = std::stoull(inLeft.substr(i, endI - i)),
                                     right = std::stoull(inRight.substr(j, endJ - j));
            if (left != right)
                return left < right;
            i = endI == std::string::npos ? inLeft.size() : endI;
            j = endJ == std::string::npos ? inRight.size() : endJ;
        } else {
            if (inLeft[i] != inRight[j])
                return inLeft[i] < inRight[j];
            ++i;
            ++j;
        }
    }
    return inLeft.size() - i < inRight.size() - j;
}

// What is wrong with the parts a split wrote into the folder, if anything: it must hold only
// the parts, which in name order hold the source's pages inPagesPerPart at a time (the last part
// the rest), each part a sound PDF whose pages show the source pages' texts (inPageText of the
// source page number).
inline std::string PartsProblem(const std::string& inFolder, int inSourcePages, int inPagesPerPart,
                                const std::function<std::string(int)>& inPageText)
{
    return CheckedInChild([&]() {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(inFolder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end(), NaturalLess);
        const size_t parts = static_cast<size_t>((inSourcePages + inPagesPerPart - 1) / inPagesPerPart);
        if (names.size() != parts)
            return std::to_string(names.size()) + " files in " + inFolder + ", not " + std::to_string(parts) + " parts";
        std::vector<std::string> problems(parts);
        InParallel(parts, [&](size_t inPart) {
            if (std::filesystem::path(names[inPart]).extension() != ".pdf") {
                problems[inPart] = "not a part";
                return;
            }
            const int first = static_cast<int>(inPart) * inPagesPerPart + 1;
            PdfExpectation expected;
            expected.pages = std::min(inPagesPerPart, inSourcePages - first + 1);
            expected.pageTexts = [&](int inPage) { return std::vector<std::string>{inPageText(first + inPage - 1)}; };
            problems[inPart] = checks::PdfProblem(inFolder + "/" + names[inPart], expected);
        });
        for (size_t part = 0; part < parts; ++part)
            if (!problems[part].empty())
                return names[part] + " (part " + std::to_string(part + 1) + "): " + problems[part];
        return std::string();
    });
}

// The glyphs of a bare CFF program: the entries of the CharStrings INDEX that its first Top DICT
// names; -1 when that cannot be read. (FreeType counts a CID-keyed program's glyphs by its
// highest CID.)
inline long CFFGlyphCount(const std::string& inCFF)
{
    auto number = [&inCFF](size_t inAt, int inBytes) {
        long value = 0;
        for (int i = 0; i < inBytes; ++i)
            value = (value << 8) |
                    (inAt + static_cast<size_t>(i) < inCFF.size() ? static_cast<unsigned char>(inCFF[inAt + static_cast<size_t>(i)]) : 0);
        return value;
    };
    // An INDEX: a count, the size of its offsets, count + 1 offsets from the byte before its data.
    auto item = [&](size_t inIndex, long inItem, size_t& outStart, size_t& outEnd) {
        const int offSize = static_cast<int>(number(inIndex + 2, 1));
        const size_t offsets = inIndex + 3, data = offsets + static_cast<size_t>((number(inIndex, 2) + 1) * offSize) - 1;
        outStart = data + static_cast<size_t>(number(offsets + static_cast<size_t>(inItem * offSize), offSize));
        outEnd = data + static_cast<size_t>(number(offsets + static_cast<size_t>((inItem + 1) * offSize), offSize));
    };
    size_t start = 0, end = 0;
    const size_t names = static_cast<size_t>(number(2, 1));
    item(names, number(names, 2) - 1, start, end); // the Top DICT INDEX follows the last name
    const size_t topDicts = end;
    item(topDicts, 0, start, end);
    long operand = 0;
    for (size_t at = start; at < end && end <= inCFF.size();) {
        const long b0 = number(at, 1);
        if (b0 == 17) // CharStrings, at the offset of its operand
            return operand > 0 ? number(static_cast<size_t>(operand), 2) : -1;
        if (b0 == 28 || b0 == 29) {
            operand = b0 == 28 ? static_cast<int16_t>(number(at + 1, 2)) : static_cast<int32_t>(number(at + 1, 4));
            at += b0 == 28 ? 3 : 5;
        } else if (b0 == 30) { // a real: nibbles up to the end nibble
            while (++at < end && (number(at, 1) & 0x0F) != 0x0F && (number(at, 1) >> 4) != 0x0F) {
            }
            ++at;
        } else if (b0 >= 32 && b0 <= 246) {
            operand = b0 - 139;
            ++at;
        } else if (b0 >= 247 && b0 <= 254) {
            operand = b0 <= 250 ? (b0 - 247) * 256 + number(at + 1, 1) + 108 : -(b0 - 251) * 256 - number(at + 1, 1) - 108;
            at += 2;
        } else {
            at += b0 == 12 ? 2 : 1;
        }
    }
    return -1;
}

// What is wrong with a font subset (an sfnt file or a bare CFF program), if anything: it must
// hold inGlyphs glyphs, and each pair of inSameGlyphs (a glyph of the subset, the glyph of the
// source font it stands for) must have the source glyph's outline to FreeType, as many contours
// and points. FreeType reaches the glyphs of a bare CID-keyed program by CID, which a subset
// keeps.
inline std::string FontProblem(const std::string& inFont, long inGlyphs, const std::string& inSourcePath,
                               long inSourceFace, const std::vector<std::pair<uint32_t, uint32_t>>& inSameGlyphs)
{
    auto outline = [](FT_Face inFace, uint32_t inGlyph) {
        if (FT_Load_Glyph(inFace, inGlyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) != 0)
            return std::make_pair(-1, -1);
        return std::make_pair(static_cast<int>(inFace->glyph->outline.n_contours),
                              static_cast<int>(inFace->glyph->outline.n_points));
    };
    const fonttest::ReferenceFace subset(inFont, fonttest::kInMemory);
    if (!subset.Face())
        return "FreeType cannot read it";
    const bool bareCFF = inFont[0] == 1;
    if (const long glyphs = bareCFF ? CFFGlyphCount(inFont) : subset.Face()->num_glyphs; glyphs != inGlyphs)
        return std::to_string(glyphs) + " glyphs, not " + std::to_string(inGlyphs);
    const fonttest::ReferenceFace source(inSourcePath, inSourceFace);
    if (!source.Face())
        return "FreeType cannot read the source " + inSourcePath;
    FT_Bool cidKeyed = 0;
    if (bareCFF)
        FT_Get_CID_Is_Internally_CID_Keyed(subset.Face(), &cidKeyed);
    for (const auto& [keptGlyph, sourceGlyph] : inSameGlyphs) {
        FT_UInt kept = keptGlyph;
        if (cidKeyed && FT_Get_CID_From_Glyph_Index(source.Face(), sourceGlyph, &kept) != 0)
            kept = 0;
        const auto keptOutline = outline(subset.Face(), kept), sourceOutline = outline(source.Face(), sourceGlyph);
        if (keptOutline != sourceOutline)
            return "glyph " + std::to_string(keptGlyph) + " has " + std::to_string(keptOutline.first) +
                   " contours and " + std::to_string(keptOutline.second) + " points, its source glyph " +
                   std::to_string(sourceGlyph) + " " + std::to_string(sourceOutline.first) + " and " +
                   std::to_string(sourceOutline.second);
    }
    return std::string();
}

// Our engines, run without a window, pass over an output that is there already and still
// report success: a run of ours must start in an empty folder, or it would time nothing.
inline bool EmptyFolder(const std::string& inFolder)
{
    std::error_code error;
    if (std::filesystem::is_empty(inFolder, error) && !error)
        return true;
    std::fprintf(stderr, "%s is not an empty folder: the engine would pass over what is there\n", inFolder.c_str());
    return false;
}

} // namespace bench
