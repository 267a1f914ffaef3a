// Merging: files in every cross-reference layout, with inherited resources and boxes, rotated and
// cropped pages, shared fonts and images, appended into one new file that other readers accept
// and that shows every page as its source did.

#include "CopyTestSupport.h"

#include "pdf/objects/PDFObjects.h"
#include "pdf/parsing/PDFParser.h"

#include <sstream>

using namespace copytest;

namespace {

struct MergeSource {
    std::string path;
    int pages;
};

// Page i of the merge shows page j of source k; pixels are compared on a sample of pages.
void ExpectMergedPagesMatch(const std::string& inTarget, const std::vector<MergeSource>& inSources,
                            const std::string& inScratch, int inPixelEvery)
{
    ShownDocument target(inTarget, inScratch + "-t");
    EXPECT_EQ(target.TextPageCount(), QpdfPageCount(inTarget));
    int targetPage = 1;
    for (const MergeSource& source : inSources) {
        ShownDocument shown(source.path, inScratch + "-s");
        for (int page = 1; page <= source.pages; ++page, ++targetPage)
            ExpectSamePage(shown, page, target, targetPage, (targetPage - 1) % inPixelEvery == 0);
    }
}

} // namespace

TEST(MergeFiles, EveryCrossReferenceLayoutMergesIntoOneFile)
{
    TestDirectory dir("merge-layouts");
    std::vector<MergeSource> sources;
    for (const auto& layout : AllLayouts(MakeSourceDocument(7, "Layout"))) {
        WriteFile(dir / layout.first, layout.second);
        sources.push_back({(dir / layout.first).string(), 7});
    }
    // The same document rewritten by qpdf: compressed object streams, and a linearized file.
    std::string classic = (dir / "classic.pdf").string();
    ASSERT_TRUE(parsertest::Qpdf("--object-streams=generate --compress-streams=y " + Quote(classic) + " " +
                                 Quote((dir / "qpdf-objstm.pdf").string())));
    ASSERT_TRUE(parsertest::Qpdf("--linearize " + Quote(classic) + " " + Quote((dir / "qpdf-linear.pdf").string())));
    // Content without a filter is decoded and compressed again rather than copied as it is.
    ASSERT_TRUE(parsertest::Qpdf("--stream-data=uncompress " + Quote(classic) + " " +
                                 Quote((dir / "qpdf-plain.pdf").string())));
    sources.push_back({(dir / "qpdf-objstm.pdf").string(), 7});
    sources.push_back({(dir / "qpdf-linear.pdf").string(), 7});
    sources.push_back({(dir / "qpdf-plain.pdf").string(), 7});
    // An incremental update that replaces the content of page 3.
    WriteFile(dir / "updated.pdf", UpdatedFile(MakeSourceDocument(5, "Updated"), 2, "Replaced by the update"));
    sources.push_back({(dir / "updated.pdf").string(), 5});

    std::vector<std::string> paths;
    int total = 0;
    for (const MergeSource& source : sources) {
        ASSERT_EQ(QpdfPageCount(source.path), source.pages) << source.path;
        paths.push_back(source.path);
        total += source.pages;
    }
    std::string target = (dir / "merged.pdf").string();
    ASSERT_EQ(AppendFiles(target, paths), eSuccess);

    ExpectQpdfAccepts(target);
    EXPECT_EQ(QpdfPageCount(target), total);
    EXPECT_NE(ShownDocument(target, "").Text(52).find("Replaced by the update"), std::string::npos);
    ExpectMergedPagesMatch(target, sources, (dir / "px").string(), 3);
}

TEST(MergeFiles, SharedObjectsAreCopiedOncePerAppendAndAgainForTheNextAppend)
{
    TestDirectory dir("merge-shared");
    std::string source = (dir / "source.pdf").string();
    WriteFile(source, ClassicFile(MakeSourceDocument(12, "Shared")));
    std::string once = (dir / "once.pdf").string();
    std::string twice = (dir / "twice.pdf").string();
    ASSERT_EQ(AppendFiles(once, {source}), eSuccess);
    ASSERT_EQ(AppendFiles(twice, {source, source}), eSuccess);

    auto countImages = [](const std::string& inPath) {
        return StreamsOfSubtype(parsertest::ParseFile(inPath)->parser, "Image").size();
    };
    EXPECT_EQ(countImages(once), 1u);
    EXPECT_EQ(countImages(twice), 2u);
    EXPECT_EQ(QpdfPageCount(twice), 24);
    ExpectQpdfAccepts(twice);
}

TEST(MergeFiles, CopiedPagesKeepInheritedResourcesRotationAndCropBox)
{
    TestDirectory dir("merge-attributes");
    std::string source = (dir / "source.pdf").string();
    WriteFile(source, ClassicFile(MakeSourceDocument(8, "Attributes")));
    std::string target = (dir / "target.pdf").string();
    ASSERT_EQ(AppendFiles(target, {source}), eSuccess);

    // Every page of the target carries its own values, equal to what the source page inherits.
    std::string sourceInfo, targetInfo;
    copytest::Run("pdfinfo -box -f 1 -l 8 " + Quote(source), &sourceInfo);
    copytest::Run("pdfinfo -box -f 1 -l 8 " + Quote(target), &targetInfo);
    auto pageLines = [](const std::string& inReport) {
        std::string lines;
        std::istringstream report(inReport);
        std::string line;
        while (std::getline(report, line)) {
            if (line.compare(0, 5, "Page ") == 0 &&
                (line.find("MediaBox") != std::string::npos || line.find("CropBox") != std::string::npos ||
                 line.find("rot:") != std::string::npos))
                lines += line + "\n";
        }
        return lines;
    };
    EXPECT_FALSE(pageLines(sourceInfo).empty());
    EXPECT_EQ(pageLines(targetInfo), pageLines(sourceInfo));

    auto parsed = parsertest::ParseFile(target);
    ASSERT_EQ(parsed->parser.GetPageCount(), 8u);
    for (uint32_t i = 0; i < 8; ++i) {
        RefCountPtr<PDFDictionary> page(parsed->parser.ParsePage(i));
        PDFObjectCastPtr<PDFDictionary> resources(page->QueryDirectObject("Resources"));
        ASSERT_TRUE(resources) << "page " << i;
        EXPECT_TRUE(resources->Exists("Font"));
        EXPECT_TRUE(resources->Exists("XObject"));
        EXPECT_TRUE(resources->Exists("ExtGState"));
    }
}

TEST(MergeFiles, ListedRangesCopyInOrderAndABadRangeStopsTheAppend)
{
    TestDirectory dir("merge-ranges");
    std::string source = (dir / "source.pdf").string();
    WriteFile(source, XrefStreamFile(MakeSourceDocument(9, "Ranges"), true, false));
    std::string target = (dir / "target.pdf").string();
    {
        PDFWriter writer;
        ASSERT_EQ(writer.CreateNewPDF(target, 13), eSuccess);
        AppendPagesResult result = writer.AppendPDFPagesFromPDF(source, Ranges({{6, 8}, {0, 0}, {3, 4}}));
        EXPECT_EQ(result.mStatus, eSuccess);
        EXPECT_EQ(result.mPageObjectIDs.size(), 6u);
        // A range past the end fails after the ranges before it were copied.
        result = writer.AppendPDFPagesFromPDF(source, Ranges({{1, 1}, {8, 9}, {2, 2}}));
        EXPECT_NE(result.mStatus, eSuccess);
        EXPECT_EQ(result.mPageObjectIDs.size(), 1u);
        // So does a range whose end is before its start.
        result = writer.AppendPDFPagesFromPDF(source, Ranges({{2, 1}}));
        EXPECT_NE(result.mStatus, eSuccess);
        EXPECT_TRUE(result.mPageObjectIDs.empty());
        // No ranges copy nothing and succeed.
        result = writer.AppendPDFPagesFromPDF(source, Ranges({}));
        EXPECT_EQ(result.mStatus, eSuccess);
        EXPECT_TRUE(result.mPageObjectIDs.empty());
        ASSERT_EQ(writer.EndPDF(), eSuccess);
    }
    ExpectQpdfAccepts(target);
    ASSERT_EQ(QpdfPageCount(target), 7);
    const int expected[] = {7, 8, 9, 1, 4, 5, 2};
    ShownDocument shownSource(source, (dir / "s").string());
    ShownDocument shownTarget(target, (dir / "t").string());
    for (int i = 0; i < 7; ++i)
        ExpectSamePage(shownSource, expected[i], shownTarget, i + 1, i == 0 || i == 6);
}

TEST(MergeFiles, UncompressedOutputDecodesEveryContentStream)
{
    TestDirectory dir("merge-uncompressed");
    std::string source = (dir / "source.pdf").string();
    WriteFile(source, XrefStreamFile(MakeSourceDocument(6, "Plain"), true, false));
    std::string target = (dir / "target.pdf").string();
    {
        PDFWriter writer;
        WriterOptions options;
        options.mCompressStreams = false;
        ASSERT_EQ(writer.CreateNewPDF(target, 13, LogSettings(), options), eSuccess);
        ASSERT_EQ(writer.AppendPDFPagesFromPDF(source, PageSelection()).mStatus, eSuccess);
        ASSERT_EQ(writer.EndPDF(), eSuccess);
    }
    ExpectQpdfAccepts(target);
    // The page's text stands readable in the file: its content was decoded, not copied.
    EXPECT_NE(ReadFile(target).find("(Plain page 4) Tj"), std::string::npos);
    ExpectMergedPagesMatch(target, {{source, 6}}, (dir / "px").string(), 2);
}
