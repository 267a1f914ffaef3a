// Splitting: page ranges of a 500-page file written into separate files, each checked by qpdf and
// showing its pages as the source does; once through a parse per file, once through one parse
// shared by a copy session per file.

#include "CopyTestSupport.h"

#include "pdf/copying/CopySession.h"
#include "pdf/io/InputFile.h"
#include "pdf/parsing/PDFParser.h"

using namespace copytest;

namespace {

const std::vector<std::pair<uint32_t, uint32_t>> kRanges = {
    {0, 0}, {1, 9}, {10, 99}, {100, 349}, {350, 498}, {499, 499}, {250, 250}};

void ExpectSplitFilesMatch(const std::string& inSource, const std::vector<std::string>& inTargets,
                           const std::string& inScratch, int inPixelEvery)
{
    ShownDocument source(inSource, inScratch + "-s");
    ASSERT_EQ(source.TextPageCount(), 500);
    for (size_t i = 0; i < kRanges.size(); ++i) {
        SCOPED_TRACE(inTargets[i]);
        ExpectQpdfAccepts(inTargets[i]);
        int pages = static_cast<int>(kRanges[i].second - kRanges[i].first + 1);
        ASSERT_EQ(QpdfPageCount(inTargets[i]), pages);
        ShownDocument target(inTargets[i], inScratch + "-t" + std::to_string(i));
        for (int page = 1; page <= pages; ++page) {
            int sourcePage = static_cast<int>(kRanges[i].first) + page;
            // Pixels on the first page of each file and on a sample of the source's pages.
            bool pixels = page == 1 || sourcePage % inPixelEvery == 0;
            ExpectSamePage(source, sourcePage, target, page, pixels);
        }
    }
}

} // namespace

TEST(SplitFiles, RangesOfALargeFileBecomeFilesThatShowTheirPages)
{
    TestDirectory dir("split");
    std::string source = (dir / "source.pdf").string();
    WriteFile(source, XrefStreamFile(MakeSourceDocument(500, "Split"), true, false));
    ASSERT_EQ(QpdfPageCount(source), 500);

    std::vector<std::string> targets;
    for (size_t i = 0; i < kRanges.size(); ++i) {
        targets.push_back((dir / ("part" + std::to_string(i) + ".pdf")).string());
        ASSERT_EQ(AppendFiles(targets.back(), {source}, Ranges({kRanges[i]})), eSuccess);
    }
    ExpectSplitFilesMatch(source, targets, (dir / "px").string(), 97);
}

TEST(SplitFiles, OneParseSharedBySessionsGivesTheSameFiles)
{
    TestDirectory dir("split-sessions");
    std::string source = (dir / "source.pdf").string();
    WriteFile(source, ClassicFile(MakeSourceDocument(500, "Shared")));
    InputFile file;
    ASSERT_EQ(file.OpenFile(source), eSuccess);
    PDFParser parser;
    ASSERT_EQ(parser.ParseDocument(file.GetInputStream()), eSuccess);

    std::vector<std::string> targets;
    for (size_t i = 0; i < kRanges.size(); ++i) {
        targets.push_back((dir / ("part" + std::to_string(i) + ".pdf")).string());
        PDFWriter writer;
        ASSERT_EQ(writer.CreateNewPDF(targets.back(), 13), eSuccess);
        std::unique_ptr<CopySession> session = writer.GetDocumentContext().CreateCopySessionForParser(&parser);
        ASSERT_TRUE(session);
        AppendPagesResult result = session->AppendPDFPages(Ranges({kRanges[i]}));
        ASSERT_EQ(result.mStatus, eSuccess);
        EXPECT_EQ(result.mPageObjectIDs.size(), kRanges[i].second - kRanges[i].first + 1);
        session.reset();
        ASSERT_EQ(writer.EndPDF(), eSuccess);
    }
    ExpectSplitFilesMatch(source, targets, (dir / "px").string(), 1000);
    // The shared parser is still whole after the sessions went.
    EXPECT_EQ(parser.GetPageCount(), 500u);
}
