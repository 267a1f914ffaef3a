// Files that real producers write and that other readers open although they bend the format:
// each is parsed, split and merged with the others, and the results show the pages, text and
// boxes that poppler shows of the sources and pass qpdf's check. Copied pages keep their other
// boxes, UserUnit and transparency group, and content that inflates without bound is copied as
// it is.

#include "CopyTestSupport.h"

#include "pdf/parsing/InheritedPageValues.h"
#include "pdf/support/LogCapture.h"

using namespace copytest;
using testsupport::LogCapture;
using testsupport::PdfinfoBoxes;

namespace {

std::string ReplaceAll(std::string inText, const std::string& inFrom, const std::string& inTo)
{
    for (size_t at = inText.find(inFrom); at != std::string::npos; at = inText.find(inFrom, at + inTo.size()))
        inText.replace(at, inFrom.size(), inTo);
    return inText;
}

// LZW data of 9-bit codes only: literals, with a clear code before the table would grow wider.
std::string LZWEncode(const std::string& inData)
{
    std::string out;
    unsigned long bits = 0;
    int bitCount = 0;
    auto put = [&](unsigned inCode) {
        bits = (bits << 9) | inCode;
        for (bitCount += 9; bitCount >= 8; bitCount -= 8)
            out.push_back(static_cast<char>((bits >> (bitCount - 8)) & 0xFF));
    };
    for (size_t i = 0; i < inData.size(); ++i) {
        if (i % 200 == 0)
            put(256);
        put(static_cast<unsigned char>(inData[i]));
    }
    put(257);
    if (bitCount > 0)
        out.push_back(static_cast<char>((bits << (8 - bitCount)) & 0xFF));
    return out;
}

std::string RunLengthEncode(const std::string& inData)
{
    std::string out;
    for (size_t at = 0; at < inData.size(); at += 100)
        out += static_cast<char>(std::min<size_t>(100, inData.size() - at) - 1) + inData.substr(at, 100);
    return out + '\x80';
}

std::string ASCIIHexEncode(const std::string& inData)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : inData)
        out += std::string{digits[c >> 4], digits[c & 15], ' '};
    return out + ">";
}

std::string FirstText(const std::string& inLabel)
{
    return "BT /F1 14 Tf 40 200 Td (" + inLabel + " first page) Tj ET";
}

// Two pages: the first with every box, the second plain; one font object for both.
PdfBuilder TwoPages(const std::string& inLabel)
{
    PdfBuilder builder;
    builder.Add("<< /Type /Catalog /Pages 2 0 R >>");
    builder.Add("<< /Type /Pages /Kids [3 0 R 5 0 R] /Count 2 >>");
    builder.Add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 400] /CropBox [10 10 290 390] /BleedBox [12 12 288 "
                "388] /TrimBox [20 20 280 380] /ArtBox [30 30 270 370] /Resources << /Font << /F1 7 0 R >> >> "
                "/Contents 4 0 R >>");
    builder.Add(PdfBuilder::Stream(FirstText(inLabel)));
    builder.Add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 300] /Resources << /Font << /F1 7 0 R >> >> "
                "/Contents 6 0 R >>");
    builder.Add(PdfBuilder::Stream("BT /F1 12 Tf 30 150 Td (" + inLabel + " second page) Tj ET"));
    builder.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
    return builder;
}

struct SloppyFile {
    std::string name;
    std::string bytes;
    int pages;
    std::string logLine;   // what the library says about it, when anything
    std::string reference = {}; // a sound file that readers show alike, where poppler stumbles on this one
};

std::vector<SloppyFile> SloppyFiles()
{
    std::vector<SloppyFile> files;
    files.push_back({"prefix", "\x1b%-12345X@PJL JOB NAME=\"sloppy\"\r\n@PJL ENTER LANGUAGE = PDF\r\n" +
                                   TwoPages("Prefixed").Build(),
                     2, ""});
    std::string rows = TwoPages("Short rows LF").Build();
    files.push_back({"rows-lf", ReplaceAll(ReplaceAll(rows, " n \n", " n\n"), " f \n", " f\n"), 2, ""});
    rows = TwoPages("Short rows CR").Build();
    files.push_back({"rows-cr", ReplaceAll(ReplaceAll(rows, " n \n", " n\r"), " f \n", " f\r"), 2, ""});

    PdfBuilder builder = TwoPages("Null filter");
    builder.objects[3] = PdfBuilder::Stream(FirstText("Null filter"), " /Filter null /DecodeParms null");
    files.push_back({"filter-null", builder.Build(), 2, ""});

    builder = TwoPages("Repeated key");
    builder.objects[6] = "<< /Type /Font /Subtype /Type1 /Encoding /MacRomanEncoding /BaseFont /Helvetica "
                         "/Encoding /WinAnsiEncoding >>";
    files.push_back({"repeated-key", builder.Build(), 2, "key Encoding appears twice in a dictionary"});

    builder = TwoPages("No length");
    builder.objects[3] = "<< >>\nstream\n" + FirstText("No length") + "\nendstream";
    files.push_back({"length-missing", builder.Build(), 2, "has no integer Length; its data ends after 51 bytes"});
    builder = TwoPages("Wrong length");
    builder.objects[3] = "<< /Length 5 >>\nstream\n" + FirstText("Wrong length") + "\r\nendstream";
    builder.objects[5] = "<< /Length 90 >>\nstream\nBT /F1 12 Tf 30 150 Td (Wrong length second page) Tj ET\nendstream";
    files.push_back({"length-wrong", builder.Build(), 2, "has Length 90, but its data ends after 55 bytes"});

    builder = TwoPages("Listed twice");
    builder.objects[1] = "<< /Type /Pages /Kids [3 0 R 3 0 R 5 0 R] /Count 3 >>";
    files.push_back({"page-twice", builder.Build(), 3, ""});
    builder = TwoPages("Shared node");
    builder.objects[1] = "<< /Type /Pages /Kids [8 0 R 8 0 R] /Count 4 >>";
    builder.Add("<< /Type /Pages /Parent 2 0 R /Kids [3 0 R 5 0 R] /Count 2 >>");
    builder.objects[2] = ReplaceAll(builder.objects[2], "/Parent 2 0 R", "/Parent 8 0 R");
    builder.objects[4] = ReplaceAll(builder.objects[4], "/Parent 2 0 R", "/Parent 8 0 R");
    files.push_back({"shared-node", builder.Build(), 4, ""});

    builder = TwoPages("Odd contents");
    builder.objects[2] = ReplaceAll(builder.objects[2], "/Contents 4 0 R", "/Contents [null 4 0 R 99 0 R 7 0 R 12]");
    // Poppler drops all of such a page's content; MuPDF, as we, only the items that are no streams.
    files.push_back({"contents-items", builder.Build(), 2, "names object 7, which is Dictionary, not a stream; left out",
                     TwoPages("Odd contents").Build()});

    builder = TwoPages("LZW and RunLength");
    builder.objects[3] = PdfBuilder::Stream(LZWEncode(FirstText("LZW and RunLength")), " /Filter /LZWDecode");
    builder.objects[5] = PdfBuilder::Stream(
        RunLengthEncode("BT /F1 12 Tf 30 150 Td (LZW and RunLength second page) Tj ET"), " /Filter /RunLengthDecode");
    files.push_back({"lzw-runlength", builder.Build(), 2, ""});
    builder = TwoPages("Hex over Flate");
    builder.objects[3] = PdfBuilder::Stream(ASCIIHexEncode(Deflate(FirstText("Hex over Flate"))),
                                            " /Filter [/ASCIIHexDecode /FlateDecode]");
    files.push_back({"asciihex-flate", builder.Build(), 2, ""});
    return files;
}

// The width and height of a PNG file.
std::pair<int, int> PngSize(const std::string& inPath)
{
    std::string png = ReadFile(inPath);
    if (png.size() < 24)
        return {0, 0};
    auto word = [&](size_t inAt) {
        return (static_cast<unsigned char>(png[inAt]) << 24) | (static_cast<unsigned char>(png[inAt + 1]) << 16) |
               (static_cast<unsigned char>(png[inAt + 2]) << 8) | static_cast<unsigned char>(png[inAt + 3]);
    };
    return {word(16), word(20)};
}

} // namespace

TEST(RealWorldFiles, SloppyFilesParseSplitAndMergeAsOtherReadersShowThem)
{
    TestDirectory dir("sloppy");
    std::vector<SloppyFile> files = SloppyFiles();
    std::vector<std::string> paths;
    // What poppler shows of each source (or of its sound reference): text, pixels and boxes.
    std::vector<std::unique_ptr<ShownDocument>> shown;
    std::vector<std::vector<std::string>> boxes;
    for (const SloppyFile& file : files) {
        SCOPED_TRACE(file.name);
        std::string path = (dir / (file.name + ".pdf")).string();
        paths.push_back(path);
        WriteFile(path, file.bytes);
        std::string said;
        {
            LogCapture log;
            auto parsed = parsertest::ParseBytes(file.bytes);
            ASSERT_EQ(parsed->status, eSuccess) << log.Text();
            EXPECT_EQ(parsed->parser.GetPageCount(), static_cast<uint32_t>(file.pages));
            // Every page's content, as a reader would find it.
            for (uint32_t i = 0; i < parsed->parser.GetPageCount(); ++i) {
                RefCountPtr<PDFDictionary> page(parsed->parser.ParsePage(i));
                ASSERT_TRUE(page);
                PDFObjectCastPtr<PDFStreamInput> contents(parsed->parser.ResolveDictionaryValue(page.GetPtr(), "Contents"));
                if (contents) {
                    EXPECT_GT(parsed->parser.GetStreamDataLength(contents.GetPtr()), 0);
                }
            }
            said = log.Text();
        }

        // Split: the first page alone.
        std::string part = (dir / (file.name + "-first.pdf")).string();
        LogCapture log;
        PDFWriter writer;
        ASSERT_EQ(writer.CreateNewPDF(part, 13, log.Settings()), eSuccess);
        ASSERT_EQ(writer.AppendPDFPagesFromPDF(path, Ranges({{0, 0}})).mStatus, eSuccess) << log.Text();
        ASSERT_EQ(writer.EndPDF(), eSuccess);
        said += log.Text();
        EXPECT_NE(said.find(file.logLine), std::string::npos) << said;
        ExpectQpdfAccepts(part);
        EXPECT_EQ(QpdfPageCount(part), 1);
        std::string shownPath = path;
        if (!file.reference.empty()) {
            shownPath = (dir / (file.name + "-reference.pdf")).string();
            WriteFile(shownPath, file.reference);
        }
        shown.push_back(std::make_unique<ShownDocument>(shownPath, (dir / (file.name + "-s")).string()));
        boxes.push_back(PdfinfoBoxes(path, file.pages));
        ShownDocument shownPart(part, (dir / (file.name + "-p")).string());
        ExpectSamePage(*shown.back(), 1, shownPart, 1, false);
        EXPECT_EQ(PdfinfoBoxes(part, 1)[0], boxes.back()[0]);
    }

    // All of them merged into one file.
    std::string target = (dir / "merged.pdf").string();
    ASSERT_EQ(AppendFiles(target, paths), eSuccess);
    ExpectQpdfAccepts(target);
    int total = 0;
    for (const SloppyFile& file : files)
        total += file.pages;
    ASSERT_EQ(QpdfPageCount(target), total);
    ShownDocument merged(target, (dir / "m").string());
    std::vector<std::string> mergedBoxes = PdfinfoBoxes(target, total);
    int first = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i].name);
        for (int page = 1; page <= files[i].pages; ++page) {
            ExpectSamePage(*shown[i], page, merged, first + page, page == 1);
            EXPECT_EQ(mergedBoxes[static_cast<size_t>(first + page - 1)], boxes[i][static_cast<size_t>(page - 1)]);
        }
        first += files[i].pages;
    }
    // The font with a repeated key is written with its last value, once.
    std::string bytes = ReadFile(target);
    EXPECT_EQ(bytes.find("MacRomanEncoding"), std::string::npos);
}

TEST(RealWorldFiles, PagesKeepTheirBoxesUserUnitAndGroup)
{
    // The first page has its own boxes, UserUnit and Group; the second stands below a node that
    // has them too, which readers do not apply to the page (only MediaBox, CropBox, Rotate and
    // Resources pass down), so its copy has none either.
    TestDirectory dir("boxes");
    PdfBuilder builder = TwoPages("Units");
    builder.objects[1] = "<< /Type /Pages /Kids [3 0 R 5 0 R] /Count 2 /BleedBox [1 1 199 299] /TrimBox [2 2 198 298] "
                         "/ArtBox [3 3 197 297] /UserUnit 3 /Group << /S /Transparency /CS /DeviceRGB >> >>";
    builder.objects[2] = ReplaceAll(builder.objects[2], "/Type /Page ", "/Type /Page /UserUnit 2.5 /Group 8 0 R ");
    builder.Add("<< /S /Transparency /CS /DeviceGray /I true >>");
    std::string source = (dir / "source.pdf").string();
    WriteFile(source, builder.Build());
    std::string target = (dir / "target.pdf").string();
    ASSERT_EQ(AppendFiles(target, {source}), eSuccess);
    ExpectQpdfAccepts(target);

    auto parsed = parsertest::ParseFile(target);
    ASSERT_EQ(parsed->status, eSuccess);
    RefCountPtr<PDFDictionary> first(parsed->parser.ParsePage(0));
    ASSERT_TRUE(first);
    PDFObjectCastPtr<PDFReal> unit(first->QueryDirectObject("UserUnit"));
    ASSERT_TRUE(unit);
    EXPECT_EQ(unit->GetValue(), 2.5);
    PDFObjectCastPtr<PDFDictionary> group(parsed->parser.ResolveDictionaryValue(first.GetPtr(), "Group"));
    ASSERT_TRUE(group);
    PDFObjectCastPtr<PDFName> colorSpace(group->QueryDirectObject("CS"));
    ASSERT_TRUE(colorSpace);
    EXPECT_EQ(colorSpace->GetValue(), "DeviceGray");
    const std::pair<std::string, PDFRectangle> boxes[] = {
        {"BleedBox", {12, 12, 288, 388}}, {"TrimBox", {20, 20, 280, 380}}, {"ArtBox", {30, 30, 270, 370}}};
    for (const auto& box : boxes) {
        RefCountPtr<PDFObject> value(first->QueryDirectObject(box.first));
        PDFRectangle rectangle;
        EXPECT_EQ(InheritedPageValues::ReadRectangle(nullptr, value.GetPtr(), rectangle), InheritedPageValues::eBoxRead) << box.first;
        EXPECT_EQ(rectangle, box.second) << box.first;
    }
    RefCountPtr<PDFDictionary> second(parsed->parser.ParsePage(1));
    ASSERT_TRUE(second);
    for (const char* key : {"UserUnit", "Group", "BleedBox", "TrimBox", "ArtBox"})
        EXPECT_FALSE(second->Exists(key)) << key;

    // MuPDF draws a page in its user units: each copy is as large as its source page; poppler
    // reports the same boxes.
    for (const std::string page : {"1", "2"}) {
        std::string sourcePng = (dir / ("s" + page + ".png")).string();
        std::string targetPng = (dir / ("t" + page + ".png")).string();
        ASSERT_EQ(parsertest::Run("mutool draw -r 18 -o " + Quote(sourcePng) + " " + Quote(source) + " " + page), 0);
        ASSERT_EQ(parsertest::Run("mutool draw -r 18 -o " + Quote(targetPng) + " " + Quote(target) + " " + page), 0);
        EXPECT_EQ(PngSize(targetPng), PngSize(sourcePng)) << page;
    }
    EXPECT_EQ(PdfinfoBoxes(target, 2), PdfinfoBoxes(source, 2));
}

TEST(RealWorldFiles, ContentIsCopiedAsItIsWhateverItInflatesTo)
{
    TestDirectory dir("bomb");
    // A page whose content inflates to 10 GB through three Flate layers; a second page names the
    // same stream and one with text in a Contents array.
    std::string layers = InflatingContent(10240);
    PdfBuilder builder = InflatingContentDocument(layers);
    builder.objects[1] = "<< /Type /Pages /Kids [3 0 R 5 0 R] /Count 2 /MediaBox [0 0 200 200] >>";
    builder.Add("<< /Type /Page /Parent 2 0 R /Resources << /Font << /F1 7 0 R >> >> /Contents [4 0 R 6 0 R] >>");
    builder.Add(PdfBuilder::Stream(LZWEncode("BT /F1 12 Tf 30 100 Td (After the bomb) Tj ET"), " /Filter /LZWDecode"));
    builder.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    std::string bytes = builder.Build();
    EXPECT_LT(bytes.size(), 2048u);
    std::string source = (dir / "bomb.pdf").string();
    WriteFile(source, bytes);

    for (bool compress : {true, false}) {
        SCOPED_TRACE(compress ? "compressed output" : "uncompressed output");
        std::string target = (dir / (compress ? "compressed.pdf" : "plain.pdf")).string();
        LogCapture log;
        PDFWriter writer;
        WriterOptions options;
        options.mCompressStreams = compress;
        ASSERT_EQ(writer.CreateNewPDF(target, 13, log.Settings(), options), eSuccess);
        ASSERT_EQ(writer.AppendPDFPagesFromPDF(source, PageSelection()).mStatus, eSuccess) << log.Text();
        ASSERT_EQ(writer.EndPDF(), eSuccess);
        // Uncompressed output would want decoded content; past the budget it stays as it is.
        if (!compress) {
            EXPECT_TRUE(log.Contains("its content streams are copied as they are")) << log.Text();
        }

        // Both pages show the stream's bytes unchanged, written once, and the second its text.
        auto parsed = parsertest::ParseFile(target);
        ASSERT_EQ(parsed->status, eSuccess);
        ASSERT_EQ(parsed->parser.GetPageCount(), 2u);
        RefCountPtr<PDFDictionary> first(parsed->parser.ParsePage(0));
        RefCountPtr<PDFDictionary> second(parsed->parser.ParsePage(1));
        PDFObjectCastPtr<PDFIndirectObjectReference> bomb(first->QueryDirectObject("Contents"));
        PDFObjectCastPtr<PDFArray> contents(second->QueryDirectObject("Contents"));
        ASSERT_TRUE(bomb && contents);
        ASSERT_EQ(contents->GetLength(), 2u);
        PDFObjectCastPtr<PDFIndirectObjectReference> shared(contents->QueryObject(0));
        EXPECT_EQ(shared->GetObjectID(), bomb->GetObjectID());
        PDFObjectCastPtr<PDFStreamInput> stream(parsed->parser.ParseObjectByID(bomb->GetObjectID()));
        ASSERT_TRUE(stream);
        EXPECT_EQ(parsed->bytes.substr(static_cast<size_t>(stream->GetStreamContentStart()), layers.size() + 2),
                  layers + "\r\n");
        // (No reader is asked to show these pages: each would inflate the 10 GB.)
        PDFObjectCastPtr<PDFIndirectObjectReference> text(contents->QueryObject(1));
        PDFObjectCastPtr<PDFStreamInput> lzw(parsed->parser.ParseObjectByID(text->GetObjectID()));
        ASSERT_TRUE(lzw);
        RefCountPtr<PDFDictionary> dictionary(lzw->QueryStreamDictionary());
        PDFObjectCastPtr<PDFName> filter(dictionary->QueryDirectObject("Filter"));
        EXPECT_TRUE(filter && filter->GetValue() == "LZWDecode");
    }

    // Placing the page as a form needs its content decoded: past the budget that fails.
    LogCapture log;
    PDFWriter writer;
    ASSERT_EQ(writer.CreateNewPDF((dir / "form.pdf").string(), 13, log.Settings()), eSuccess);
    ObjectIDType formID = writer.GetObjectsContext().GetInDirectObjectsRegistry().ReserveNewObjectID();
    EXPECT_EQ(writer.GetDocumentContext().WriteImageFileAsFormXObject(source, 0, formID), eFailure);
    EXPECT_TRUE(log.Contains("the page's content decodes to more than")) << log.Text();
    writer.EndPDF();
}
