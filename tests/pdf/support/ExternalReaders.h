#pragma once
// Other readers as independent judges of the files the tests write: running a command, qpdf's
// check and page count, pdfinfo's fields and boxes, pdfimages' list and pages rendered by
// pdftoppm.

#include "pdf/io/IOBasicTypes.h"
#include "pdf/parsing/PDFRectangle.h"

#include "tests/pdf/support/TestDirectory.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <locale>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

namespace testsupport {

// Runs a shell command line as it is; its exit status, -1 when it did not end normally.
inline int RunShell(const std::string& inCommandLine, std::string* outOutput)
{
    if (outOutput)
        outOutput->clear();
    FILE* pipe = popen(inCommandLine.c_str(), "r");
    if (!pipe)
        return -1;
    std::string output;
    char buffer[65536];
    size_t got;
    while ((got = fread(buffer, 1, sizeof(buffer), pipe)) > 0)
        output.append(buffer, got);
    int status = pclose(pipe);
    if (outOutput)
        *outOutput = output;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs a command; its standard output goes into outOutput when given, its standard error is
// dropped.
inline int Run(const std::string& inCommand, std::string* outOutput = nullptr)
{
    return RunShell(inCommand + " 2>/dev/null", outOutput);
}

// Runs a command with its standard output and standard error together in outText.
inline int RunMerged(const std::string& inCommand, std::string& outText)
{
    return RunShell(inCommand + " 2>&1", &outText);
}

inline std::string Quote(const std::filesystem::path& inPath)
{
    return "'" + inPath.string() + "'";
}

// qpdf exits 0, or 3 for warnings; anything else is a failure to write the output.
inline bool Qpdf(const std::string& inArguments)
{
    int status = Run("qpdf " + inArguments);
    return status == 0 || status == 3;
}

// qpdf checks the file and finds nothing to warn about.
inline void ExpectQpdfAccepts(const std::string& inPath)
{
    std::string output;
    EXPECT_EQ(RunMerged("qpdf --check " + Quote(inPath), output), 0) << output;
    EXPECT_NE(output.find("No syntax or stream encoding errors found"), std::string::npos) << output;
    EXPECT_EQ(output.find("WARNING"), std::string::npos) << output;
}

// The page count qpdf reads; -1 when it fails, or warns unless inWarningsAllowed.
inline int QpdfPageCount(const std::filesystem::path& inPath, bool inWarningsAllowed = false)
{
    std::string output;
    if (Run(std::string("qpdf ") + (inWarningsAllowed ? "--warning-exit-0 " : "") + "--show-npages " + Quote(inPath),
            &output) != 0)
        return -1;
    return std::stoi(output);
}

// The value of a "Key:   value" line of pdfinfo's report.
inline std::string PdfinfoField(const std::string& inReport, const std::string& inKey)
{
    size_t start = inReport.find("\n" + inKey + ":");
    if (start == std::string::npos && inReport.compare(0, inKey.size() + 1, inKey + ":") == 0)
        start = 0;
    else if (start == std::string::npos)
        return "<missing>";
    else
        ++start;
    start = inReport.find_first_not_of(' ', start + inKey.size() + 1);
    size_t end = inReport.find('\n', start);
    return inReport.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// The MediaBox of every page as pdfinfo reports it.
inline std::vector<PDFRectangle> PdfinfoMediaBoxes(const std::filesystem::path& inPath, int inPageCount)
{
    std::vector<PDFRectangle> boxes;
    std::string output;
    Run("pdfinfo -box -f 1 -l " + std::to_string(inPageCount) + " " + Quote(inPath), &output);
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        size_t at = line.find("MediaBox:");
        if (line.compare(0, 4, "Page") != 0 || at == std::string::npos)
            continue;
        std::istringstream numbers(line.substr(at + 9));
        numbers.imbue(std::locale::classic());
        PDFRectangle box;
        numbers >> box.LowerLeftX >> box.LowerLeftY >> box.UpperRightX >> box.UpperRightY;
        boxes.push_back(box);
    }
    return boxes;
}

// Every box of every page as pdfinfo reports it, one text per page ("MediaBox: ... ArtBox: ...",
// the page number left out).
inline std::vector<std::string> PdfinfoBoxes(const std::filesystem::path& inPath, int inPageCount)
{
    std::vector<std::string> pages(static_cast<size_t>(inPageCount));
    std::string output;
    Run("pdfinfo -box -f 1 -l " + std::to_string(inPageCount) + " " + Quote(inPath), &output);
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string word, rest;
        int page = 0;
        if (!(fields >> word >> page) || word != "Page" || page < 1 || page > inPageCount ||
            line.find("Box:") == std::string::npos)
            continue;
        std::getline(fields, rest);
        pages[static_cast<size_t>(page - 1)] += rest + "\n";
    }
    return pages;
}

// The rows that poppler's tools print below a line of dashes (pdfimages -list, pdffonts), split
// into fields.
inline std::vector<std::vector<std::string>> TableRows(const std::string& inOutput)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(inOutput);
    bool body = false;
    for (std::string line; std::getline(lines, line);) {
        if (line.compare(0, 3, "---") == 0) {
            body = true;
            continue;
        }
        std::istringstream fields(line);
        std::vector<std::string> row;
        for (std::string field; fields >> field;)
            row.push_back(field);
        if (body && !row.empty())
            rows.push_back(row);
    }
    return rows;
}

// The rows of "pdfimages -list" split into fields (page, num, type, width, height, color, comp,
// bpc, enc, interp, object, generation ...), of one page (1-based) or of all when inPage is 0.
inline std::vector<std::vector<std::string>> PdfimagesList(const std::string& inPDF, int inPage = 0)
{
    std::string pages = inPage > 0 ? "-f " + std::to_string(inPage) + " -l " + std::to_string(inPage) + " " : "";
    std::string output;
    EXPECT_EQ(RunMerged("pdfimages -list " + pages + Quote(inPDF), output), 0) << output;
    return TableRows(output);
}

// One page (1-based) rendered in colour at 72 dpi by pdftoppm, so that a pixel is a point.
class RenderedPage {
public:
    using RGB = std::array<int, 3>;

    RenderedPage(const std::string& inPDF, int inPage, const std::string& inStem)
    {
        std::string page = std::to_string(inPage);
        std::string output;
        EXPECT_EQ(RunMerged("pdftoppm -r 72 -singlefile -f " + page + " -l " + page + " " + Quote(inPDF) + " " +
                                Quote(inStem),
                            output),
                  0)
            << output;
        std::string data = ReadFile(inStem + ".ppm");
        std::istringstream header(data);
        std::string magic;
        int maximum = 0;
        header >> magic >> mWidth >> mHeight >> maximum;
        EXPECT_EQ(magic, "P6");
        EXPECT_EQ(maximum, 255);
        size_t start = static_cast<size_t>(header.tellg()) + 1;
        if (magic == "P6" && maximum == 255 && mWidth > 0 && mHeight > 0 &&
            data.size() >= start + static_cast<size_t>(mWidth) * mHeight * 3)
            mPixels = data.substr(start);
    }

    // In pixels, which are points; 0 when nothing was rendered.
    int Width() const { return mPixels.empty() ? 0 : mWidth; }
    int Height() const { return mPixels.empty() ? 0 : mHeight; }

    // The colour at a point of the page, origin at the lower left; -1s outside the page or when
    // nothing was rendered.
    RGB At(double inX, double inY) const
    {
        int x = static_cast<int>(std::floor(inX));
        int y = static_cast<int>(std::floor(mHeight - inY));
        if (mPixels.empty() || x < 0 || y < 0 || x >= mWidth || y >= mHeight)
            return {-1, -1, -1};
        size_t at = (static_cast<size_t>(y) * mWidth + x) * 3;
        return {static_cast<Byte>(mPixels[at]), static_cast<Byte>(mPixels[at + 1]), static_cast<Byte>(mPixels[at + 2])};
    }

private:
    int mWidth = 0;
    int mHeight = 0;
    std::string mPixels;
};

} // namespace testsupport
