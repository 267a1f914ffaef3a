// Files written by independent tools (or by hand and rewritten by qpdf): the parser must find the
// page count and media boxes that qpdf and pdfinfo find, and resolve every listed object.

#include "ParserTestSupport.h"
#include "ParserWalk.h"

#include "pdf/objects/PDFObjects.h"
#include "pdf/parsing/PDFPageInput.h"

#include <gtest/gtest.h>

using namespace parsertest;

namespace {

PdfBuilder MixedPagesDocument()
{
    // Page 1 inherits the root's box; the others carry their own, in integers and reals.
    return PagesDocument({"", "/MediaBox [0 0 595.5 842.25]", "/MediaBox [10 20 300 400]", "/Rotate 90"},
                         "/MediaBox [0 0 612 792]");
}

// Parses the file and compares it with qpdf and pdfinfo; every listed object must resolve.
void ExpectMatchesReferenceTools(const std::filesystem::path& inPath, int inExpectedPages = -1)
{
    SCOPED_TRACE(inPath.filename().string());
    auto parsed = ParseFile(inPath);
    ASSERT_EQ(parsed->status, eSuccess);
    int pages = QpdfPageCount(inPath);
    if (inExpectedPages >= 0) {
        EXPECT_EQ(pages, inExpectedPages);
    }
    ASSERT_EQ(static_cast<int>(parsed->parser.GetPageCount()), pages);

    ParserWalkResult walk = WalkParsedDocument(parsed->parser);
    EXPECT_GT(walk.listedObjects, 0u);
    EXPECT_EQ(walk.failedObjects, 0u);
    EXPECT_EQ(walk.failedStreams, 0u);

    std::vector<PDFRectangle> expected = PdfinfoMediaBoxes(inPath, pages);
    ASSERT_EQ(expected.size(), walk.mediaBoxes.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(walk.mediaBoxes[i].LowerLeftX, expected[i].LowerLeftX, 0.01) << "page " << i;
        EXPECT_NEAR(walk.mediaBoxes[i].LowerLeftY, expected[i].LowerLeftY, 0.01) << "page " << i;
        EXPECT_NEAR(walk.mediaBoxes[i].UpperRightX, expected[i].UpperRightX, 0.01) << "page " << i;
        EXPECT_NEAR(walk.mediaBoxes[i].UpperRightY, expected[i].UpperRightY, 0.01) << "page " << i;
    }
}

} // namespace

TEST(PDFParserFilesTest, HandWrittenClassicFile)
{
    TestDirectory dir("classic");
    WriteFile(dir / "in.pdf", MixedPagesDocument().Build());
    ExpectMatchesReferenceTools(dir / "in.pdf", 4);

    auto parsed = ParseFile(dir / "in.pdf");
    EXPECT_DOUBLE_EQ(parsed->parser.GetPDFLevel(), 1.4);
    EXPECT_EQ(parsed->parser.GetXrefSize(), 11u);
    EXPECT_FALSE(parsed->parser.HasEncryptionDictionary());
    EXPECT_EQ(parsed->parser.GetPageObjectID(1), 5u);
    EXPECT_EQ(parsed->parser.GetPageObjectID(4), 0u);
    EXPECT_EQ(parsed->parser.GetXrefEntry(0)->mType, eXrefEntryDelete);
    EXPECT_EQ(parsed->parser.GetXrefEntry(11)->mType, eXrefEntryUndefined);
    EXPECT_EQ(parsed->parser.ParseObjectByID(0), nullptr);
    EXPECT_EQ(parsed->parser.ParseObjectByID(11), nullptr);
    EXPECT_EQ(parsed->parser.ParsePage(4), nullptr);
}

TEST(PDFParserFilesTest, QpdfRewritesInEveryLayout)
{
    TestDirectory dir("layouts");
    WriteFile(dir / "in.pdf", MixedPagesDocument().Build());
    const std::vector<std::pair<std::string, std::string>> layouts = {
        {"objstm.pdf", "--object-streams=generate"},
        {"objstm-compressed.pdf", "--object-streams=generate --stream-data=compress"},
        {"plain.pdf", "--object-streams=disable --stream-data=compress"},
        {"qdf.pdf", "--qdf"},
        {"linearized.pdf", "--linearize"},
        {"linearized-objstm.pdf", "--linearize --object-streams=generate"},
    };
    for (const auto& layout : layouts) {
        ASSERT_TRUE(Qpdf(layout.second + " " + Quote(dir / "in.pdf") + " " + Quote(dir / layout.first)));
        ExpectMatchesReferenceTools(dir / layout.first, 4);
    }
}

TEST(PDFParserFilesTest, VersionsOneZeroToOneSeven)
{
    TestDirectory dir("versions");
    WriteFile(dir / "in.pdf", MixedPagesDocument().Build());
    for (int minor = 0; minor <= 7; ++minor) {
        std::string name = "v1" + std::to_string(minor) + ".pdf";
        std::string streams = minor >= 5 ? "--object-streams=generate " : "--object-streams=disable ";
        ASSERT_TRUE(Qpdf(streams + "--force-version=1." + std::to_string(minor) + " " + Quote(dir / "in.pdf") + " " +
                         Quote(dir / name)));
        ExpectMatchesReferenceTools(dir / name, 4);
        auto parsed = ParseFile(dir / name);
        EXPECT_DOUBLE_EQ(parsed->parser.GetPDFLevel(), 1.0 + minor / 10.0);
    }
}

TEST(PDFParserFilesTest, ManyPagesInANestedTree)
{
    TestDirectory dir("many");
    std::vector<std::string> pages;
    for (int i = 0; i < 300; ++i)
        pages.push_back("/MediaBox [0 0 " + std::to_string(100 + i) + " 500]");
    WriteFile(dir / "flat.pdf", PagesDocument(pages).Build());
    // qpdf keeps the tree flat; a nested tree comes from the hand-written file below.
    ASSERT_TRUE(Qpdf("--object-streams=generate " + Quote(dir / "flat.pdf") + " " + Quote(dir / "objstm.pdf")));
    ExpectMatchesReferenceTools(dir / "objstm.pdf", 300);

    // Two intermediate nodes: leaves come in Kids order, depth first.
    PdfBuilder nested;
    nested.Add("<< /Type /Catalog /Pages 2 0 R >>");
    nested.Add("<< /Type /Pages /Kids [3 0 R 4 0 R 7 0 R] /Count 4 /MediaBox [0 0 200 200] >>");
    nested.Add("<< /Type /Pages /Parent 2 0 R /Kids [5 0 R 6 0 R] /Count 2 /MediaBox [0 0 300 300] >>");
    nested.Add("<< /Type /Pages /Parent 2 0 R /Kids [8 0 R] /Count 1 >>");
    nested.Add("<< /Type /Page /Parent 3 0 R >>");
    nested.Add("<< /Type /Page /Parent 3 0 R /MediaBox [0 0 1 1] >>");
    nested.Add("<< /Type /Page /Parent 2 0 R >>");
    nested.Add("<< /Type /Page /Parent 4 0 R >>");
    WriteFile(dir / "nested.pdf", nested.Build());
    ExpectMatchesReferenceTools(dir / "nested.pdf", 4);
    auto parsed = ParseFile(dir / "nested.pdf");
    std::vector<uint32_t> ids;
    for (uint32_t i = 0; i < parsed->parser.GetPageCount(); ++i)
        ids.push_back(parsed->parser.GetPageObjectID(i));
    EXPECT_EQ(ids, (std::vector<uint32_t>{5, 6, 8, 7}));
}

TEST(PDFParserFilesTest, IncrementalUpdatesNewestEntryWins)
{
    TestDirectory dir("updates");
    PdfBuilder base = MixedPagesDocument();
    std::string bytes = base.Build();
    // Update 1 gives page 1 a box of its own; update 2 changes it again and adds object 11;
    // update 3 frees object 11 and changes page 2.
    bytes = AppendUpdate(bytes, base.xrefOffset, 11, {{3, "<< /Type /Page /Parent 2 0 R /Contents 4 0 R /MediaBox [0 0 111 111] >>"}});
    long long second = static_cast<long long>(bytes.rfind("\nxref\n") + 1);
    bytes = AppendUpdate(bytes, second, 12,
                         {{3, "<< /Type /Page /Parent 2 0 R /Contents 4 0 R /MediaBox [0 0 222 222] >>"}, {11, "(eleven)"}});
    long long third = static_cast<long long>(bytes.rfind("\nxref\n") + 1);
    bytes = AppendUpdate(bytes, third, 12, {{5, "<< /Type /Page /Parent 2 0 R /Contents 6 0 R /MediaBox [0 0 333 333] >>"}},
                         "", {11});
    WriteFile(dir / "updated.pdf", bytes);
    ExpectMatchesReferenceTools(dir / "updated.pdf", 4);

    auto parsed = ParseFile(dir / "updated.pdf");
    ASSERT_EQ(parsed->status, eSuccess);
    EXPECT_EQ(parsed->parser.GetXrefSize(), 12u);
    EXPECT_EQ(parsed->parser.GetXrefEntry(11)->mType, eXrefEntryDelete);
    EXPECT_EQ(parsed->parser.ParseObjectByID(11), nullptr);
    PDFPageInput first(&parsed->parser, parsed->parser.ParsePage(0));
    EXPECT_EQ(first.GetMediaBox(), PDFRectangle(0, 0, 222, 222));
    PDFPageInput second_(&parsed->parser, parsed->parser.ParsePage(1));
    EXPECT_EQ(second_.GetMediaBox(), PDFRectangle(0, 0, 333, 333));

    // qpdf rewrites the updated file into one section; the result must be the same.
    ASSERT_TRUE(Qpdf("--object-streams=generate " + Quote(dir / "updated.pdf") + " " + Quote(dir / "flattened.pdf")));
    ExpectMatchesReferenceTools(dir / "flattened.pdf", 4);
}

TEST(PDFParserFilesTest, UpdateWithCrossReferenceStreamOverClassicTable)
{
    // qpdf --qdf output updated with a cross-reference stream that lists one replaced page.
    TestDirectory dir("mixed-update");
    PdfBuilder base = MixedPagesDocument();
    std::string bytes = base.Build();
    long long pageOffset = static_cast<long long>(bytes.size());
    bytes += "3 0 obj\n<< /Type /Page /Parent 2 0 R /MediaBox [0 0 444 444] >>\nendobj\n";
    long long xrefOffset = static_cast<long long>(bytes.size());
    std::string rows;
    rows += '\x01';
    for (int shift = 24; shift >= 0; shift -= 8)
        rows.push_back(static_cast<char>((pageOffset >> shift) & 0xFF));
    rows += '\x00';
    rows += '\x01';
    for (int shift = 24; shift >= 0; shift -= 8)
        rows.push_back(static_cast<char>((xrefOffset >> shift) & 0xFF));
    rows += '\x00';
    bytes += "12 0 obj\n<< /Type /XRef /Size 13 /W [1 4 1] /Index [3 1 12 1] /Root 1 0 R /Prev " +
             std::to_string(base.xrefOffset) + " /Length " + std::to_string(rows.size()) + " >>\nstream\n" + rows +
             "\nendstream\nendobj\nstartxref\n" + std::to_string(xrefOffset) + "\n%%EOF\n";
    WriteFile(dir / "update.pdf", bytes);
    ExpectMatchesReferenceTools(dir / "update.pdf", 4);
    auto parsed = ParseFile(dir / "update.pdf");
    PDFPageInput first(&parsed->parser, parsed->parser.ParsePage(0));
    EXPECT_EQ(first.GetMediaBox(), PDFRectangle(0, 0, 444, 444));
}

TEST(PDFParserFilesTest, CrossReferenceStreamAndHybridFiles)
{
    TestDirectory dir("hybrid");
    XrefStreamBuilder builder;
    builder.fileObjects[1] = "<< /Type /Catalog /Pages 2 0 R >>";
    builder.fileObjects[4] = PdfBuilder::Stream("0H`%lD'1Pe+>GPmC`lX~>", " /Filter /ASCII85Decode");
    builder.objectStreams[7] = {{2, "<< /Type /Pages /Kids [3 0 R 5 0 R] /Count 2 /MediaBox [0 0 612 792] >>"},
                                {3, "<< /Type /Page /Parent 2 0 R /Contents 4 0 R >>"},
                                {5, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 99 98.5] /Contents 6 0 R >>"}};
    builder.fileObjects[6] = PdfBuilder::Stream("1 1 m 2 2 l S");
    WriteFile(dir / "xrefstream.pdf", builder.Build());
    ExpectMatchesReferenceTools(dir / "xrefstream.pdf", 2);

    builder.hybrid = true;
    WriteFile(dir / "hybrid.pdf", builder.Build());
    ExpectMatchesReferenceTools(dir / "hybrid.pdf", 2);
    EXPECT_EQ(ParseFile(dir / "hybrid.pdf")->parser.GetXrefEntry(3)->mType, eXrefEntryStreamObject);

    // A table that lists the hidden objects as free: the stream's entries overwrite them.
    builder.hybridListsFree = true;
    auto parsed = ParseBytes(builder.Build());
    ASSERT_EQ(parsed->status, eSuccess);
    EXPECT_EQ(parsed->parser.GetPageCount(), 2u);
    EXPECT_EQ(parsed->parser.GetXrefEntry(3)->mType, eXrefEntryStreamObject);
    EXPECT_EQ(parsed->parser.GetXrefEntry(3)->mObjectPosition, 7);
    EXPECT_EQ(parsed->parser.GetXrefEntry(3)->mGeneration, 1u);

    // The content stream decodes through ASCII85.
    PDFObjectCastPtr<PDFStreamInput> contents(parsed->parser.ParseObjectByID(4));
    ASSERT_TRUE(contents);
    parsed->parser.GetParserStream()->SeekFromStart(contents->GetStreamContentStart());
    std::unique_ptr<IByteReader> reader(parsed->parser.CreateInputStreamReader(contents.GetPtr()));
    ASSERT_TRUE(reader);
    Byte buffer[64];
    size_t got = reader->Read(buffer, sizeof(buffer));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), got), "0 0 m 10 10 l S");
}

TEST(PDFParserFilesTest, EncryptedFileHasNoPages)
{
    TestDirectory dir("encrypted");
    WriteFile(dir / "in.pdf", MixedPagesDocument().Build());
    ASSERT_TRUE(Qpdf("--encrypt u o 256 -- " + Quote(dir / "in.pdf") + " " + Quote(dir / "aes.pdf")));
    ASSERT_TRUE(Qpdf("--allow-weak-crypto --encrypt u o 128 --use-aes=n -- --object-streams=disable " + Quote(dir / "in.pdf") + " " +
                     Quote(dir / "rc4.pdf")));
    for (const char* name : {"aes.pdf", "rc4.pdf"}) {
        auto parsed = ParseFile(dir / name);
        EXPECT_EQ(parsed->status, eSuccess) << name;
        EXPECT_TRUE(parsed->parser.HasEncryptionDictionary()) << name;
        EXPECT_EQ(parsed->parser.GetPageCount(), 0u) << name;
        EXPECT_EQ(parsed->parser.GetPageObjectID(0), 0u) << name;
        EXPECT_EQ(parsed->parser.ParsePage(0), nullptr) << name;
    }
}

TEST(PDFParserFilesTest, HeaderAndEndOfFileVariants)
{
    PdfBuilder builder = PagesDocument({"/MediaBox [0 0 10 10]"});
    std::string bytes = builder.Build();

    // A blank line before the header, a 1.7 header, blank lines and spaces after %%EOF.
    PdfBuilder blankFirst = builder;
    blankFirst.header = "\r\n%PDF-1.7\n";
    auto parsed = ParseBytes(blankFirst.Build() + "\n\n   \r\n");
    ASSERT_EQ(parsed->status, eSuccess);
    EXPECT_DOUBLE_EQ(parsed->parser.GetPDFLevel(), 1.7);
    EXPECT_EQ(parsed->parser.GetPageCount(), 1u);

    // Text after %%EOF on the same line; "startxref" and the number on one line.
    std::string oneLine = bytes;
    oneLine.replace(oneLine.find("startxref\n"), 10, "startxref ");
    oneLine.replace(oneLine.rfind("%%EOF"), 5, "%%EOF trailing words");
    EXPECT_EQ(ParseBytes(oneLine)->status, eSuccess);
    // Words before the keyword on the number's line are read past until "startxref".
    std::string forward = bytes;
    forward.replace(forward.find("startxref\n"), 10, "junk startxref ");
    EXPECT_EQ(ParseBytes(forward)->status, eSuccess);

    // Bytes before the header whose writer counted offsets from the file's first byte: the
    // offsets counted from the header fail, then the others are tried. A header later than the
    // first 1024 bytes; a last line after %%EOF is passed over.
    EXPECT_EQ(ParseBytes("garbage\n" + bytes)->status, eSuccess);
    EXPECT_EQ(ParseBytes(std::string(1020, ' ') + "garbage\n" + bytes)->status, eFailure);
    EXPECT_EQ(ParseBytes(bytes + "not the end\n")->status, eSuccess);
    EXPECT_EQ(ParseBytes("")->status, eFailure);
}

TEST(PDFParserFilesTest, PageTreeWalkPassesOverValuesItDoesNotRead)
{
    // Opening builds only Type and Kids of each node; the values before them must be passed over
    // whatever they hold: references, nested dictionaries with Type and Kids keys of their own,
    // strings with brackets, hex strings, names. Each page still reads whole.
    const std::string resources = "/Resources << /Font << /F1 9 0 R >> /Kids [1 2] /Type /Pages "
                                  "/X [<< /A [(>>]) <41> [/B]] >> 3 0 R] >>";
    PdfBuilder builder;
    builder.Add("<< /Type /Catalog /Pages 2 0 R >>");
    builder.Add("<< /Count 3 /Odd [ [ ] ] /Kids [3 0 R 4 0 R] /Note (a ] b) /Type /Pages >>");
    builder.Add("<< /Parent 2 0 R " + resources + " /Contents 8 0 R /Type /Page /Rotate 90 >>");
    builder.Add("<< /Parent 2 0 R /Type /Pages /Count 2 /Kids [5 0 R 6 0 R] /Tail << /Kids [7 0 R] >> >>");
    builder.Add("<< /Parent 4 0 R /MediaBox [0 0 100 100] /Type /Page >>");
    builder.Add("<< /Parent 4 0 R /Dup /Type /Type /Page >>");
    builder.Add("<< /Type /Page >>");
    builder.Add("<< /Length 0 >>\nstream\n\nendstream");
    builder.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    auto parsed = ParseBytes(builder.Build());
    ASSERT_EQ(parsed->status, eSuccess);
    ASSERT_EQ(parsed->parser.GetPageCount(), 3u);
    EXPECT_EQ(parsed->parser.GetPageObjectID(0), 3u);
    EXPECT_EQ(parsed->parser.GetPageObjectID(1), 5u);
    EXPECT_EQ(parsed->parser.GetPageObjectID(2), 6u);

    RefCountPtr<PDFDictionary> page(parsed->parser.ParsePage(0));
    ASSERT_TRUE(page);
    PDFObjectCastPtr<PDFDictionary> pageResources(page->QueryDirectObject("Resources"));
    ASSERT_TRUE(pageResources);
    EXPECT_TRUE(RefCountPtr<PDFObject>(pageResources->QueryDirectObject("Font")));
    PDFObjectCastPtr<PDFInteger> rotate(page->QueryDirectObject("Rotate"));
    ASSERT_TRUE(rotate);
    EXPECT_EQ(rotate->GetValue(), 90);
    RefCountPtr<PDFDictionary> second(parsed->parser.ParsePage(1));
    ASSERT_TRUE(second);
    EXPECT_TRUE(RefCountPtr<PDFObject>(second->QueryDirectObject("MediaBox")));
}

TEST(PDFParserFilesTest, ParsedObjectsAreSharedWithinABoundedCache)
{
    // Arrays of 10,000 numbers hold 10,001 objects each: about 26 of them fill the cache, so
    // reading 40 evicts the first. One larger than an object may be to be kept is parsed anew each
    // time.
    std::string numbers;
    for (int i = 0; i < 10000; ++i)
        numbers += std::to_string(i % 97) + " ";
    PdfBuilder builder;
    builder.Add("<< /Type /Catalog /Pages 2 0 R >>");
    builder.Add("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    builder.Add("<< /Type /Page /Parent 2 0 R >>");
    const uint32_t firstArray = 4, arrays = 40;
    for (uint32_t i = 0; i < arrays; ++i)
        builder.Add("[" + numbers + "]");
    const uint32_t largeID = builder.Add("[" + numbers + numbers + "]");
    static_assert(PDFParser::kMaxCachedObjectSize < 20001 && PDFParser::kObjectCacheBudget / 10001 < arrays - 1,
                  "the arrays must overflow the cache");
    auto parsed = ParseBytes(builder.Build());
    ASSERT_EQ(parsed->status, eSuccess);
    PDFParser& parser = parsed->parser;

    RefCountPtr<PDFObject> first(parser.ParseObjectByID(firstArray));
    ASSERT_TRUE(first);
    RefCountPtr<PDFObject> again(parser.ParseObjectByID(firstArray));
    EXPECT_EQ(again.GetPtr(), first.GetPtr());
    for (uint32_t i = 1; i < arrays; ++i)
        EXPECT_TRUE(RefCountPtr<PDFObject>(parser.ParseObjectByID(firstArray + i)));
    RefCountPtr<PDFObject> last(parser.ParseObjectByID(firstArray + arrays - 1));
    RefCountPtr<PDFObject> lastAgain(parser.ParseObjectByID(firstArray + arrays - 1));
    EXPECT_EQ(last.GetPtr(), lastAgain.GetPtr());
    RefCountPtr<PDFObject> evicted(parser.ParseObjectByID(firstArray));
    ASSERT_TRUE(evicted);
    EXPECT_NE(evicted.GetPtr(), first.GetPtr());
    EXPECT_EQ(static_cast<PDFArray*>(evicted.GetPtr())->GetLength(), 10000u);

    RefCountPtr<PDFObject> large(parser.ParseObjectByID(largeID));
    RefCountPtr<PDFObject> largeAgain(parser.ParseObjectByID(largeID));
    ASSERT_TRUE(large && largeAgain);
    EXPECT_NE(large.GetPtr(), largeAgain.GetPtr());
}

TEST(PDFParserFilesTest, PageTreeWalkPassesOverNestedValuesByteByByte)
{
    // A skipped array or dictionary is passed over without making tokens of it; its end must be
    // found where the tokens would put it, in the file and in an object stream alike, with the
    // Type key right after it (written with and without spaces).
    const struct {
        const char* value;
        bool readable;
    } cases[] = {
        {"/Resources << /A (a \\) ]>> ) /B (x (y) >>) >>", true},
        {"/Resources << % a comment >> ]\n /A 1 >>", true},
        {"/Resources << /H <3e 3E\n20> /I [<41><>] >>", true},
        {"/Resources [ { } << >> [ ] /N#20x ]", true},
        {"/Annots [1 0 R 2 0 R]", true},
        {"/Resources <<>>", true},
        {"/Resources << /A [ > ] /B 1 >>", true},
        {"/Resources << /A (unclosed ) >>", true},
        {"/Resources << /A [", false},
        {"/Resources << /A (never closed", false},
        {"/Resources << /A <4142", false},
        {"/Resources << % to the end", false},
    };
    std::string tooDeep = "/Resources << /A ";
    for (int i = 0; i < 300; ++i)
        tooDeep += "[";
    for (int i = 0; i < 300; ++i)
        tooDeep += "]";
    tooDeep += " >>";

    std::vector<std::pair<std::string, bool>> table;
    for (const auto& item : cases)
        table.emplace_back(item.value, item.readable);
    table.emplace_back(tooDeep, false);
    for (const auto& [value, readable] : table) {
        for (const char* gap : {" ", ""}) {
            const std::string page = "<< /Parent 2 0 R " + value + gap + "/Type /Page >>";
            SCOPED_TRACE(page);
            PdfBuilder classic;
            classic.Add("<< /Type /Catalog /Pages 2 0 R >>");
            classic.Add("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
            classic.Add(page);
            XrefStreamBuilder packed;
            packed.objectStreams[4] = {{1, "<< /Type /Catalog /Pages 2 0 R >>"},
                                       {2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>"},
                                       {3, page}};
            for (const std::string& bytes : {classic.Build(), packed.Build()}) {
                auto parsed = ParseBytes(bytes);
                if (!readable) {
                    EXPECT_FALSE(parsed->status == eSuccess && parsed->parser.GetPageCount() == 1);
                    continue;
                }
                ASSERT_EQ(parsed->status, eSuccess);
                ASSERT_EQ(parsed->parser.GetPageCount(), 1u);
                EXPECT_EQ(parsed->parser.GetPageObjectID(0), 3u);
            }
        }
    }
}
