// Page boxes written with their numbers as indirect objects, as a whole by reference, or on a
// node of the page tree: merged and split copies show every box as other readers show it in the
// source; a box that cannot be read is taken as readers take it (the nearest MediaBox up the tree
// that reads, else Letter; other boxes as if absent).

#include "CopyTestSupport.h"

#include "pdf/parsing/PDFPageInput.h"

#include <array>
#include <locale>
#include <sstream>

using namespace copytest;

// Failures show the corners.
static void PrintTo(const PDFRectangle& inBox, std::ostream* outStream)
{
    *outStream << "[" << inBox.LowerLeftX << " " << inBox.LowerLeftY << " " << inBox.UpperRightX << " "
               << inBox.UpperRightY << "]";
}

namespace {

enum class Form { Direct, IndirectNumbers, IndirectArray, Inherited, InheritedIndirectNumbers };
const char* const kFormNames[] = {"direct", "indirect numbers", "indirect array", "inherited",
                                  "inherited, indirect numbers"};

using Numbers = std::array<std::string, 4>;

// Boxes nested inside each other, each with its own numbers, integers and reals mixed.
const std::vector<std::pair<std::string, Numbers>> kBoxes = {{"MediaBox", {"0", "0.0", "250", "50.0"}},
                                                             {"CropBox", {"10", "5", "240.5", "45"}},
                                                             {"BleedBox", {"20.5", "8", "230", "42"}},
                                                             {"TrimBox", {"30", "10.25", "220", "40"}},
                                                             {"ArtBox", {"40", "12", "210.5", "38"}}};

const PDFRectangle kLetter(0, 0, 612, 792);

struct BoxRow {
    std::string key;
    Form form;
    Numbers numbers;
    // Set when the box does not read as written: what pdfinfo shows for it in the source.
    bool unreadable = false;
    PDFRectangle shown;
    // The value written instead of the numbers ("" leaves the key out), and the root's MediaBox.
    std::string written = "numbers";
    std::string rootBox = "[0 0 612 792]";
};

std::vector<BoxRow> BoxRows()
{
    std::vector<BoxRow> rows;
    for (const auto& box : kBoxes) {
        std::vector<Form> forms = {Form::Direct, Form::IndirectNumbers, Form::IndirectArray};
        // Only these two pass from the page tree's nodes to the page.
        if (box.first == "MediaBox" || box.first == "CropBox")
            forms.insert(forms.end(), {Form::Inherited, Form::InheritedIndirectNumbers});
        for (Form form : forms)
            rows.push_back({box.first, form, box.second, false, PDFRectangle()});
    }
    // Boxes that do not read (a name, a string) and a TrimBox on a node, which the page does not
    // take: the MediaBox above, the others as if absent. A box of no width reads as it is.
    const PDFRectangle crop(10, 5, 240.5, 45);
    rows.push_back({"MediaBox", Form::Direct, {"0", "0", "/W", "50"}, true, kLetter});
    rows.push_back({"CropBox", Form::IndirectNumbers, {"10", "5", "240.5", "(45)"}, true, PDFRectangle(0, 0, 250, 50)});
    rows.push_back({"ArtBox", Form::IndirectNumbers, {"40", "12", "40", "38"}, true, PDFRectangle(40, 12, 40, 38)});
    rows.push_back({"TrimBox", Form::Inherited, kBoxes[3].second, true, crop});
    // A page MediaBox that does not read, under a tree box and alone: the tree's, else Letter.
    for (const char* written : {"", "[0 0 300]", "/Letter", "[(0) (0) (300) (400)]", "[0 0 0 0]"}) {
        rows.push_back({"MediaBox", Form::Direct, kBoxes[0].second, true, PDFRectangle(0, 0, 400, 500), written,
                        "[0 0 400 500]"});
        rows.push_back({"MediaBox", Form::Direct, kBoxes[0].second, true, kLetter, written, ""});
    }
    return rows;
}

// Root (2) -> node (3) -> page 1 (4) with every box, page 2 (5) with a MediaBox of its own. The
// root's MediaBox differs from all, so a box taken from the wrong node shows.
std::string SourceFile(const BoxRow& inRow)
{
    PdfBuilder builder;
    builder.Add("<< /Type /Catalog /Pages 2 0 R >>");
    builder.Add("<< /Type /Pages /Kids [3 0 R] /Count 2" +
                (inRow.rootBox.empty() ? std::string() : " /MediaBox " + inRow.rootBox) + " >>");
    builder.Add(""); // the node and page 1, below
    builder.Add("");
    builder.Add("<< /Type /Page /Parent 3 0 R /Contents 6 0 R /MediaBox [0 0 200 100] >>");
    builder.Add(PdfBuilder::Stream("0 0 m 100 40 l S"));

    const bool indirectNumbers = inRow.form == Form::IndirectNumbers || inRow.form == Form::InheritedIndirectNumbers;
    std::string node, page;
    for (const auto& box : kBoxes) {
        bool tested = box.first == inRow.key;
        const Numbers& numbers = tested ? inRow.numbers : box.second;
        std::string value = "[";
        for (const std::string& number : numbers) {
            value += (tested && indirectNumbers ? std::to_string(builder.Add(number)) + " 0 R" : number) + " ";
        }
        value += "]";
        if (tested && inRow.form == Form::IndirectArray)
            value = std::to_string(builder.Add(value)) + " 0 R";
        if (tested && inRow.written != "numbers")
            value = inRow.written;
        bool inherited = tested && (inRow.form == Form::Inherited || inRow.form == Form::InheritedIndirectNumbers);
        if (!value.empty())
            (inherited ? node : page) += " /" + box.first + " " + value;
    }
    builder.objects[2] = "<< /Type /Pages /Parent 2 0 R /Kids [4 0 R 5 0 R] /Count 2" + node + " >>";
    builder.objects[3] = "<< /Type /Page /Parent 3 0 R /Contents 6 0 R" + page + " >>";
    return builder.Build();
}

// A box of one page's pdfinfo report; -1s when it is not there.
PDFRectangle BoxOf(const std::string& inReport, const std::string& inKey)
{
    PDFRectangle box(-1, -1, -1, -1);
    size_t at = inReport.find(inKey + ":");
    if (at == std::string::npos)
        return box;
    std::istringstream numbers(inReport.substr(at + inKey.size() + 1));
    numbers.imbue(std::locale::classic());
    numbers >> box.LowerLeftX >> box.LowerLeftY >> box.UpperRightX >> box.UpperRightY;
    return box;
}

PDFRectangle Rectangle(const Numbers& inNumbers)
{
    return PDFRectangle(std::stod(inNumbers[0]), std::stod(inNumbers[1]), std::stod(inNumbers[2]),
                        std::stod(inNumbers[3]));
}

void ExpectCopiesShowBoxes(const BoxRow& inRow, const TestDirectory& inDir)
{
    std::string bytes = SourceFile(inRow);
    std::string source = inDir.Write("source.pdf", bytes);
    std::string merged = inDir.PathOf("merged.pdf");
    std::string split = inDir.PathOf("split.pdf");
    ASSERT_EQ(AppendFiles(merged, {source, source}), eSuccess);
    ASSERT_EQ(AppendFiles(split, {source}, Ranges({{0, 0}})), eSuccess);
    ExpectQpdfAccepts(merged);
    ExpectQpdfAccepts(split);
    ASSERT_EQ(QpdfPageCount(merged), 4);
    ASSERT_EQ(QpdfPageCount(split), 1);

    std::vector<std::string> sourceBoxes = testsupport::PdfinfoBoxes(source, 2);
    std::vector<std::string> mergedBoxes = testsupport::PdfinfoBoxes(merged, 4);
    std::vector<std::string> splitBoxes = testsupport::PdfinfoBoxes(split, 1);
    // The source is what the row means it to be, for the other reader too.
    const PDFRectangle shown = inRow.unreadable ? inRow.shown : Rectangle(inRow.numbers);
    EXPECT_EQ(BoxOf(sourceBoxes[0], inRow.key), shown) << sourceBoxes[0];
    for (size_t page = 0; page < 4; ++page)
        EXPECT_EQ(mergedBoxes[page], sourceBoxes[page % 2]) << "merged page " << page + 1;
    EXPECT_EQ(splitBoxes[0], sourceBoxes[0]);

    if (inRow.key == "MediaBox") {
        auto parsed = parsertest::ParseBytes(bytes);
        ASSERT_EQ(parsed->status, eSuccess);
        EXPECT_EQ(PDFPageInput(&parsed->parser, parsed->parser.ParsePage(0)).GetMediaBox(), shown);
    }
}

} // namespace

TEST(IndirectBoxNumbers, CopiesShowTheBoxesOfTheSource)
{
    TestDirectory dir("boxes");
    for (const BoxRow& row : BoxRows()) {
        SCOPED_TRACE(row.key + ", " + kFormNames[static_cast<int>(row.form)] + " [" + row.numbers[0] + " " +
                     row.numbers[1] + " " + row.numbers[2] + " " + row.numbers[3] + "] written " + row.written +
                     ", root " + row.rootBox);
        ExpectCopiesShowBoxes(row, dir);
    }
}
