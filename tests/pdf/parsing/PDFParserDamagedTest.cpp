// Damaged and hostile files: each must give -1 (or the documented fallback) quickly, with no
// crash, no loop and no unbounded allocation.

#include "ParserTestSupport.h"
#include "ParserWalk.h"

#include "pdf/io/DiagnosticLog.h"
#include "pdf/objects/PDFObjects.h"
#include "pdf/parsing/PDFPageInput.h"

#include <gtest/gtest.h>

using namespace parsertest;

namespace {

PdfBuilder TwoPages()
{
    return PagesDocument({"/MediaBox [0 0 100 100]", ""}, "/MediaBox [0 0 612 792]");
}

std::string Replace(std::string inText, const std::string& inFrom, const std::string& inTo)
{
    size_t at = inText.find(inFrom);
    EXPECT_NE(at, std::string::npos) << inFrom;
    if (at != std::string::npos)
        inText.replace(at, inFrom.size(), inTo);
    return inText;
}

// Replaces one object's body in a builder and writes the file.
std::string WithObject(PdfBuilder inBuilder, int inID, const std::string& inBody)
{
    inBuilder.objects[static_cast<size_t>(inID - 1)] = inBody;
    return inBuilder.Build();
}

OpStatus StatusOf(const std::string& inBytes)
{
    return ParseBytes(inBytes)->status;
}

} // namespace

// A file that is no PDF may be any file: the reason, which the user reads, quotes only a short
// excerpt of its first line, each byte that cannot be printed escaped.
TEST(PDFParserDamagedTest, ANonPDFFileIsQuotedAsAShortEscapedExcerpt)
{
    const std::string reason = "PDFParser::ParseHeaderLine, file does not begin as a PDF file. a PDF file should "
                               "start with \"%PDF-\". file header = ";
    DiagnosticLog::BeginOperation("x");
    EXPECT_EQ(StatusOf("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\nx\n"), eFailure);
    EXPECT_EQ(DiagnosticLog::LastFailure().mText, reason + "Format: https://www.debian.org/d...");
    DiagnosticLog::BeginOperation("x");
    EXPECT_EQ(StatusOf(std::string("GIF89a\0\x01\x1B[2J\\x\xC3\xA9\rmore", 17)), eFailure);
    EXPECT_EQ(DiagnosticLog::LastFailure().mText, reason + "GIF89a\\x00\\x01\\x1B[2J\\x5Cx\\xC3\\xA9");
}

TEST(PDFParserDamagedTest, TruncatedFilesNeverCrash)
{
    TestDirectory dir("truncated");
    WriteFile(dir / "in.pdf", TwoPages().Build());
    ASSERT_TRUE(Qpdf("--object-streams=generate --stream-data=compress " + Quote(dir / "in.pdf") + " " + Quote(dir / "objstm.pdf")));
    for (const std::string& whole : {ReadFile(dir / "in.pdf"), ReadFile(dir / "objstm.pdf")}) {
        // A cut file parses only when it keeps the last "startxref" and its number whole.
        const size_t numberEnd = whole.find_first_of("\r\n", whole.rfind("startxref") + 10);
        for (size_t length = 0; length + 6 < whole.size(); length += 3) {
            auto parsed = ParseBytes(whole.substr(0, length));
            EXPECT_EQ(parsed->status, length < numberEnd ? eFailure : eSuccess) << length;
        }
        // Cut in the middle but with a valid ending: the objects or the table are gone.
        for (size_t cut = 20; cut + 40 < whole.size(); cut += 37) {
            std::string damaged = whole.substr(0, cut) + whole.substr(cut + 30);
            auto parsed = ParseBytes(damaged);
            if (parsed->status == eSuccess)
                WalkParsedDocument(parsed->parser);
        }
    }
}

TEST(PDFParserDamagedTest, DamagedCrossReferenceTables)
{
    PdfBuilder builder = TwoPages();
    std::string good = builder.Build();
    ASSERT_EQ(StatusOf(good), eSuccess);

    // A malformed 20-byte row fails the parse instead of turning objects free.
    EXPECT_EQ(StatusOf(Replace(good, " 00000 n \n", " 00000 x \n")), eFailure);
    EXPECT_EQ(StatusOf(Replace(good, " 00000 n \n", " 0000O n \n")), eFailure);
    // A row cut short, or with more digits than its field holds.
    EXPECT_EQ(StatusOf(Replace(good, " 00000 n \n", " n \n")), eFailure);
    EXPECT_EQ(StatusOf(Replace(good, " 00000 n \n", " 000000 n \n")), eFailure);
    // A cut table, a subsection that claims more rows than the file holds, non-numbers.
    EXPECT_EQ(StatusOf(good.substr(0, builder.xrefOffset + 40) + "\nstartxref\n" + std::to_string(builder.xrefOffset) + "\n%%EOF\n"),
              eFailure);
    EXPECT_EQ(StatusOf(Replace(good, "xref\n0 7", "xref\n0 99999999")), eFailure);
    EXPECT_EQ(StatusOf(Replace(good, "xref\n0 7", "xref\n0 -1")), eFailure);
    EXPECT_EQ(StatusOf(Replace(good, "xref\n0 7", "xref\nzero 11")), eFailure);
    EXPECT_EQ(StatusOf(Replace(good, "xref\n0 7", "xref\n8388600 11")), eFailure);
    // Sizes out of range or given by reference.
    EXPECT_EQ(StatusOf(Replace(good, "/Size 7", "/Size -4")), eFailure);
    EXPECT_EQ(StatusOf(Replace(good, "/Size 7", "/Size 999999999999")), eFailure);
    EXPECT_EQ(StatusOf(Replace(good, "/Size 7", "/Size 1 0 R")), eFailure);
    // A large Size alone costs nothing: entries are allocated as rows are read.
    auto large = ParseBytes(Replace(good, "/Size 7", "/Size 8388608"));
    EXPECT_EQ(large->status, eSuccess);
    EXPECT_EQ(large->parser.GetXrefSize(), 8388608u);
    EXPECT_EQ(large->parser.ParseObjectByID(8388607), nullptr);
}

TEST(PDFParserDamagedTest, BrokenEndOfFile)
{
    std::string good = TwoPages().Build();
    // Garbage after "startxref", a position outside the file or pointing at something else.
    EXPECT_EQ(StatusOf(good.substr(0, good.rfind("startxref")) + "startxref\ngarbage\n%%EOF\n"), eFailure);
    EXPECT_EQ(StatusOf(good.substr(0, good.rfind("startxref")) + "startxref\n99999999\n%%EOF\n"), eFailure);
    EXPECT_EQ(StatusOf(good.substr(0, good.rfind("startxref")) + "startxref\n-5\n%%EOF\n"), eFailure);
    EXPECT_EQ(StatusOf(good.substr(0, good.rfind("startxref")) + "startxref\n15\n%%EOF\n"), eFailure);
    EXPECT_EQ(StatusOf(good.substr(0, good.rfind("startxref")) + "\n%%EOF\n"), eFailure);

    // Files without any line end: the backward search reaches the start and stops.
    for (size_t length : {1000, 1023, 1024, 1025, 2048, 5000}) {
        std::string noLines = "%PDF-1.4 " + std::string(length, 'x') + " %%EOF";
        EXPECT_EQ(StatusOf(noLines), eFailure) << length;
        EXPECT_EQ(StatusOf(std::string(length, ' ')), eFailure) << length;
        EXPECT_EQ(StatusOf("%PDF-1.4\n" + std::string(length, 'y') + "\n%%EOF"), eFailure) << length;
    }
}

TEST(PDFParserDamagedTest, PrevChainsThatLoop)
{
    PdfBuilder builder = TwoPages();
    std::string base = builder.Build();
    const std::string page = "<< /Type /Page /Parent 2 0 R >>";
    const long long objectLength = static_cast<long long>(("3 0 obj\n" + page + "\nendobj\n").size());
    // An update whose Prev names itself.
    long long own = static_cast<long long>(base.size()) + objectLength;
    std::string selfLoop = AppendUpdate(base, own, 7, {{3, "<< /Type /Page /Parent 2 0 R >>"}});
    ASSERT_EQ(static_cast<long long>(selfLoop.rfind("\nxref\n") + 1), own);
    EXPECT_EQ(StatusOf(selfLoop), eFailure);

    // Two updates naming each other.
    std::string first = AppendUpdate(base, builder.xrefOffset, 7, {{3, "<< /Type /Page /Parent 2 0 R >>"}});
    long long firstXref = static_cast<long long>(first.rfind("\nxref\n") + 1);
    long long secondXref = static_cast<long long>(first.size()) + objectLength;
    std::string twoLoop = AppendUpdate(first, firstXref, 7, {{5, "<< /Type /Page /Parent 2 0 R >>"}});
    ASSERT_EQ(static_cast<long long>(twoLoop.rfind("\nxref\n") + 1), secondXref);
    twoLoop = Replace(twoLoop, "/Prev " + std::to_string(builder.xrefOffset), "/Prev " + std::to_string(secondXref));
    EXPECT_EQ(StatusOf(twoLoop), eFailure);

    // A Prev that is no integer, or that points outside the file.
    EXPECT_EQ(StatusOf(Replace(first, "/Prev " + std::to_string(builder.xrefOffset), "/Prev (x)")), eFailure);
    EXPECT_EQ(StatusOf(Replace(first, "/Prev " + std::to_string(builder.xrefOffset), "/Prev 123456789")), eFailure);
}

TEST(PDFParserDamagedTest, PageTreesThatLoopOrLie)
{
    PdfBuilder builder = TwoPages();
    // Kids naming the root, and a node that names itself.
    EXPECT_EQ(StatusOf(WithObject(builder, 2, "<< /Type /Pages /Kids [3 0 R 2 0 R] /Count 2 >>")), eFailure);
    PdfBuilder nested = builder;
    nested.objects[1] = "<< /Type /Pages /Kids [3 0 R 7 0 R] /Count 3 >>";
    nested.Add("<< /Type /Pages /Kids [7 0 R] /Count 1 >>");
    EXPECT_EQ(StatusOf(nested.Build()), eFailure);
    // Subtrees listed under each other without end: a node reached twice is walked twice, so a
    // few objects could list billions of pages; the walk stops at its budget.
    PdfBuilder doubling = builder;
    doubling.objects[1] = "<< /Type /Pages /Kids [7 0 R 7 0 R] /Count 2147483647 >>";
    for (int level = 0; level < 40; ++level)
        doubling.Add(level < 39 ? "<< /Type /Pages /Kids [" + std::to_string(8 + level) + " 0 R " +
                                      std::to_string(8 + level) + " 0 R] >>"
                                : "<< /Type /Pages /Kids [3 0 R 3 0 R] >>");
    EXPECT_EQ(StatusOf(doubling.Build()), eFailure);
    // Fewer leaves than Count: the pages found. More leaves than Count: failure.
    auto fewer = ParseBytes(WithObject(builder, 2, "<< /Type /Pages /Kids [3 0 R 5 0 R] /Count 7 >>"));
    ASSERT_EQ(fewer->status, eSuccess);
    EXPECT_EQ(fewer->parser.GetPageCount(), 2u);
    EXPECT_NE(fewer->parser.GetPageObjectID(1), 0u);
    auto huge = ParseBytes(WithObject(builder, 2, "<< /Type /Pages /Kids [3 0 R 5 0 R] /Count 2147483647 >>"));
    ASSERT_EQ(huge->status, eSuccess);
    EXPECT_EQ(huge->parser.GetPageCount(), 2u);
    EXPECT_EQ(StatusOf(WithObject(builder, 2, "<< /Type /Pages /Kids [3 0 R 5 0 R] /Count 1 >>")), eFailure);
    EXPECT_EQ(StatusOf(WithObject(builder, 2, "<< /Type /Pages /Kids [3 0 R 5 0 R] /Count -2 >>")), eFailure);
    // Kids naming an object that is no array, a wrong Type.
    EXPECT_EQ(StatusOf(WithObject(builder, 2, "<< /Type /Pages /Kids 3 0 R /Count 2 >>")), eFailure);
    EXPECT_EQ(StatusOf(WithObject(builder, 2, "<< /Type /Pages /Kids 99 0 R /Count 2 >>")), eFailure);
    EXPECT_EQ(StatusOf(WithObject(builder, 3, "<< /Type /Font /Parent 2 0 R >>")), eFailure);
    EXPECT_EQ(StatusOf(Replace(builder.Build(), "/Root 1 0 R", "/Root 4294967297 0 R")), eFailure);
    // Kids entries that are no page and no node are passed over: a number, a string, null, a
    // reference to null or to no object (twice), an object number beyond 32 bits, which must not
    // alias object 3. A dictionary written in place, or an object the file holds that cannot be
    // read, may be a page: the file is refused.
    PdfBuilder odd = builder;
    odd.Add("null");
    odd.Add("<< /A 1");
    const struct {
        const char* kids;
        std::vector<uint32_t> pages; // empty: refused
    } kidsCases[] = {
        {"3 0 R 5", {3}},
        {"(x) 3 0 R 7 null 5 0 R", {3, 5}},
        {"3 0 R 7 0 R 9 0 R 9 0 R 5 0 R", {3, 5}},
        {"4294967299 0 R 5 0 R", {5}},
        {"3 0 R << /Type /Page >> 5 0 R", {}},
        {"3 0 R 8 0 R 5 0 R", {}},
    };
    for (const auto& item : kidsCases) {
        SCOPED_TRACE(item.kids);
        auto parsed =
            ParseBytes(WithObject(odd, 2, std::string("<< /Type /Pages /Kids [") + item.kids + "] /Count 2 >>"));
        ASSERT_EQ(parsed->status, item.pages.empty() ? eFailure : eSuccess);
        std::vector<uint32_t> pages;
        for (uint32_t i = 0; i < parsed->parser.GetPageCount(); ++i)
            pages.push_back(parsed->parser.GetPageObjectID(i));
        if (!item.pages.empty()) {
            EXPECT_EQ(pages, item.pages);
        }
    }
}

TEST(PDFParserDamagedTest, MediaBoxFallbacks)
{
    PdfBuilder builder = TwoPages();
    // The root's Parent names itself and holds no MediaBox: the walk stops with the Letter fallback.
    auto looped = ParseBytes(WithObject(builder, 2, "<< /Type /Pages /Kids [3 0 R 5 0 R] /Count 2 /Parent 2 0 R >>"));
    ASSERT_EQ(looped->status, eSuccess);
    PDFPageInput second(&looped->parser, looped->parser.ParsePage(1));
    EXPECT_EQ(second.GetMediaBox(), PDFRectangle(0, 0, 612, 792));
    PDFPageInput first(&looped->parser, looped->parser.ParsePage(0));
    EXPECT_EQ(first.GetMediaBox(), PDFRectangle(0, 0, 100, 100));

    // Five numbers, no array, or an element that is no number: the parent's box, as readers take
    // it (its own [0 0 400 500] on a page-tree root that differs from Letter).
    builder = PagesDocument({"/MediaBox [0 0 100 100]", ""}, "/MediaBox [0 0 400 500]");
    const PDFRectangle parentBox(0, 0, 400, 500);
    auto five = ParseBytes(WithObject(builder, 3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 1 2 3] >>"));
    EXPECT_EQ(PDFPageInput(&five->parser, five->parser.ParsePage(0)).GetMediaBox(), parentBox);
    auto notArray = ParseBytes(WithObject(builder, 3, "<< /Type /Page /Parent 2 0 R /MediaBox 5 >>"));
    EXPECT_EQ(PDFPageInput(&notArray->parser, notArray->parser.ParsePage(0)).GetMediaBox(), parentBox);
    auto mixed = ParseBytes(WithObject(builder, 3, "<< /Type /Page /Parent 2 0 R /MediaBox [-1 2.5 3 (x)] >>"));
    EXPECT_EQ(PDFPageInput(&mixed->parser, mixed->parser.ParsePage(0)).GetMediaBox(), parentBox);
    // Sides whose area is beyond a double: no size at all, not the parent's.
    const std::string huge = "1" + std::string(200, '0') + ".0";
    auto overflowing = ParseBytes(
        WithObject(builder, 3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + huge + " " + huge + "] >>"));
    EXPECT_EQ(PDFPageInput(&overflowing->parser, overflowing->parser.ParsePage(0)).GetMediaBox(),
              PDFRectangle(0, 0, 612, 792));

    // A page input over something that is no page.
    EXPECT_EQ(PDFPageInput(&mixed->parser, nullptr).GetMediaBox(), PDFRectangle(0, 0, 612, 792));
    EXPECT_EQ(PDFPageInput(&mixed->parser, new PDFInteger(3)).GetMediaBox(), PDFRectangle(0, 0, 612, 792));
    EXPECT_EQ(PDFPageInput(&mixed->parser, mixed->parser.ParseObjectByID(2)).GetMediaBox(), PDFRectangle(0, 0, 612, 792));
}

TEST(PDFParserDamagedTest, BrokenObjects)
{
    PdfBuilder builder = TwoPages();
    // 100,000 nested arrays in a page's attribute: the page object fails, the parse goes on
    // because the page tree does not need it (the walk reads a page only up to its Type).
    std::string deep = "<< /Type /Page /Parent 2 0 R /X " + std::string(100000, '[') + " >>";
    auto parsed = ParseBytes(WithObject(builder, 5, deep));
    ASSERT_EQ(parsed->status, eSuccess);
    ASSERT_EQ(parsed->parser.GetPageCount(), 2u);
    EXPECT_TRUE(RefCountPtr<PDFDictionary>(parsed->parser.ParsePage(0)));
    EXPECT_FALSE(RefCountPtr<PDFDictionary>(parsed->parser.ParsePage(1)));
    // Written before the Type, the same value fails the walk.
    auto deepFirst = ParseBytes(WithObject(builder, 5, "<< /X " + std::string(100000, '[') + " /Type /Page >>"));
    EXPECT_EQ(deepFirst->status, eFailure);
    auto nestedContent = ParseBytes(WithObject(builder, 4, std::string(100000, '[')));
    ASSERT_EQ(nestedContent->status, eSuccess);
    EXPECT_EQ(nestedContent->parser.ParseObjectByID(4), nullptr);

    // Declarations that disagree with the table.
    std::string good = builder.Build();
    auto wrongID = ParseBytes(Replace(good, "4 0 obj", "9 0 obj"));
    ASSERT_EQ(wrongID->status, eSuccess);
    EXPECT_EQ(wrongID->parser.ParseObjectByID(4), nullptr);
    auto wrongGeneration = ParseBytes(Replace(good, "4 0 obj", "4 1 obj"));
    EXPECT_EQ(wrongGeneration->parser.ParseObjectByID(4), nullptr);
    auto noKeyword = ParseBytes(Replace(good, "4 0 obj", "4 0 endobj"));
    EXPECT_EQ(noKeyword->parser.ParseObjectByID(4), nullptr);
}

TEST(PDFParserDamagedTest, HostileStreamDictionaries)
{
    PdfBuilder builder = TwoPages();
    auto readAll = [](const std::string& inBytes, int inID) -> long long {
        auto parsed = ParseBytes(inBytes);
        if (parsed->status != eSuccess)
            return -2;
        PDFObjectCastPtr<PDFStreamInput> stream(parsed->parser.ParseObjectByID(static_cast<uint32_t>(inID)));
        if (!stream)
            return -3;
        parsed->parser.GetParserStream()->SeekFromStart(stream->GetStreamContentStart());
        std::unique_ptr<IByteReader> reader(parsed->parser.CreateInputStreamReader(stream.GetPtr()));
        if (!reader)
            return -1;
        long long total = 0;
        Byte buffer[256];
        for (size_t got; (got = reader->Read(buffer, sizeof(buffer))) > 0;)
            total += static_cast<long long>(got);
        return total;
    };
    std::string data = "0 0 m 1 1 l S";
    EXPECT_EQ(readAll(WithObject(builder, 4, PdfBuilder::Stream(data)), 4), 13);
    // Lengths that are negative, beyond the file, missing, or by reference to a non-integer: the
    // data ends at "endstream". Without one, the stream cannot be read.
    EXPECT_EQ(readAll(WithObject(builder, 4, "<< /Length -1 >>\nstream\n" + data + "\nendstream"), 4), 13);
    EXPECT_EQ(readAll(WithObject(builder, 4, "<< /Length 99999999999 >>\nstream\n" + data + "\nendstream"), 4), 13);
    EXPECT_EQ(readAll(WithObject(builder, 4, "<< >>\nstream\n" + data + "\nendstream"), 4), 13);
    EXPECT_EQ(readAll(WithObject(builder, 4, "<< /Length 4 0 R >>\nstream\n" + data + "\nendstream"), 4), 13);
    EXPECT_EQ(readAll(WithObject(builder, 4, "<< /Length 2 >>\nstream\n" + data + "\r\nendstream"), 4), 13);
    EXPECT_EQ(readAll(WithObject(builder, 6, "<< >>\nstream\n" + data + "\nendobj"), 6), -1);
    // A null Filter or DecodeParms is no filter, no parameters.
    EXPECT_EQ(readAll(WithObject(builder, 4, PdfBuilder::Stream(data, " /Filter null /DecodeParms null")), 4), 13);
    // Unknown filters, filters of the wrong kind, far too many filters, a refused predictor.
    EXPECT_EQ(readAll(WithObject(builder, 4, PdfBuilder::Stream(data, " /Filter /LZWDecode")), 4), -1);
    EXPECT_EQ(readAll(WithObject(builder, 4, PdfBuilder::Stream(data, " /Filter 5")), 4), -1);
    EXPECT_EQ(readAll(WithObject(builder, 4, PdfBuilder::Stream(data, " /Filter [/ASCII85Decode 5]")), 4), -1);
    std::string many;
    for (int i = 0; i < 5000; ++i)
        many += "/ASCII85Decode ";
    EXPECT_EQ(readAll(WithObject(builder, 4, PdfBuilder::Stream(data, " /Filter [" + many + "]")), 4), -1);
    EXPECT_EQ(readAll(WithObject(builder, 4, PdfBuilder::Stream(data, " /Filter /FlateDecode /DecodeParms << /Predictor 3 >>")), 4), -1);
    EXPECT_EQ(readAll(WithObject(builder, 4, PdfBuilder::Stream(data, " /Filter /FlateDecode /DecodeParms << /Predictor 12 /Columns -5 >>")), 4), -1);
    EXPECT_EQ(readAll(WithObject(builder, 4, PdfBuilder::Stream(data, " /Filter /FlateDecode /DecodeParms << /Predictor 12 /Columns 99999999999 >>")), 4), -1);
}

TEST(PDFParserDamagedTest, HostileCrossReferenceStreams)
{
    XrefStreamBuilder builder;
    builder.fileObjects[1] = "<< /Type /Catalog /Pages 2 0 R >>";
    builder.objectStreams[5] = {{2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>"}, {3, "<< /Type /Page /Parent 2 0 R >>"}};
    std::string good = builder.Build();
    ASSERT_EQ(StatusOf(good), eSuccess);

    EXPECT_EQ(StatusOf(Replace(good, "/W [1 4 2]", "/W [1 4]")), eFailure);
    EXPECT_EQ(StatusOf(Replace(good, "/W [1 4 2]", "/W [1 33 2]")), eFailure);
    EXPECT_EQ(StatusOf(Replace(good, "/W [1 4 2]", "/W [1 4 33]")), eFailure);
    EXPECT_EQ(StatusOf(Replace(good, "/W [1 4 2]", "/W [0 0 0]")), eFailure);
    EXPECT_EQ(StatusOf(Replace(good, "/W [1 4 2]", "/W [-1 4 2]")), eFailure);
    EXPECT_EQ(StatusOf(Replace(good, "/W [1 4 2]", "/W [1 4 2.0]")), eFailure);
    EXPECT_EQ(StatusOf(Replace(good, "/W [1 4 2]", "/W 7")), eFailure);
    EXPECT_EQ(StatusOf(Replace(good, "/Size 7", "/Size 99999999")), eFailure);
    EXPECT_EQ(StatusOf(Replace(good, "/Size 7", "/Size -7")), eFailure);
    EXPECT_EQ(StatusOf(Replace(good, "/Size 7", "/Size 7 /Index [0 -7]")), eFailure);
    EXPECT_EQ(StatusOf(Replace(good, "/Size 7", "/Size 7 /Index [8388600 9]")), eFailure);
    EXPECT_EQ(StatusOf(Replace(good, "/Size 7", "/Size 7 /Index [0]")), eFailure);
    EXPECT_EQ(StatusOf(Replace(good, "/Size 7", "/Size 7 /Index [0 (x)]")), eFailure);
    // More entries announced than the data holds: the listed ones stand, the rest stay unlisted.
    auto longer = ParseBytes(Replace(good, "/Size 7", "/Size 7 /Index [0 5000]"));
    ASSERT_EQ(longer->status, eSuccess);
    EXPECT_EQ(longer->parser.GetXrefEntry(100)->mType, eXrefEntryUndefined);
    // An unknown entry type.
    std::string badType = good;
    badType[badType.find("stream\n") + 7 + 7] = '\x07';
    EXPECT_EQ(StatusOf(badType), eFailure);
}

TEST(PDFParserDamagedTest, CrossReferenceStreamEntriesAcrossReadsAndCut)
{
    // Entries are read hundreds at a time: every entry around the edges of those reads counts,
    // and data that ends inside an entry still fails, wherever it ends.
    XrefStreamBuilder builder;
    builder.fileObjects[1] = "<< /Type /Catalog /Pages 2 0 R >>";
    builder.fileObjects[2] = "<< /Type /Pages /Kids [] /Count 0 >>";
    for (int id = 3; id < 1300; ++id)
        builder.fileObjects[id] = std::to_string(id * 7);
    const std::string good = builder.Build();
    auto parsed = ParseBytes(good);
    ASSERT_EQ(parsed->status, eSuccess);
    for (uint32_t id : {3u, 584u, 585u, 586u, 587u, 1169u, 1170u, 1171u, 1299u}) {
        PDFObjectCastPtr<PDFInteger> value(parsed->parser.ParseObjectByID(id));
        ASSERT_TRUE(value) << id;
        EXPECT_EQ(value->GetValue(), id * 7);
    }
    // The last entry cut by 1 to 6 of its 7 bytes, the Length following.
    const size_t dataEnd = good.rfind("\nendstream");
    const size_t lengthAt = good.rfind("/Length ") + 8;
    const long long length = std::stoll(good.substr(lengthAt));
    for (int cut = 1; cut < 7; ++cut) {
        std::string damaged = good.substr(0, dataEnd - static_cast<size_t>(cut)) + good.substr(dataEnd);
        damaged.replace(lengthAt, std::to_string(length).size(), std::to_string(length - cut));
        EXPECT_EQ(StatusOf(damaged), eFailure) << cut;
    }
}

TEST(PDFParserDamagedTest, ObjectStreamsThatReferToThemselves)
{
    auto build = [](const std::string& inKeys, const std::vector<std::pair<int, std::string>>& inMore = {}) {
        XrefStreamBuilder builder;
        builder.fileObjects[1] = "<< /Type /Catalog /Pages 2 0 R >>";
        builder.fileObjects[2] = "<< /Type /Pages /Kids [3 0 R] /Count 1 >>";
        builder.fileObjects[3] = "<< /Type /Page /Parent 2 0 R /Resources 6 0 R >>";
        builder.objectStreams[5] = {{6, "<< /Font << >> >>"}, {7, "12"}, {8, "(text)"}};
        for (const auto& object : inMore)
            builder.objectStreams[5].push_back(object);
        if (!inKeys.empty())
            builder.objectStreamKeys[5] = inKeys;
        return builder.Build();
    };
    auto readObject = [](const std::string& inBytes, uint32_t inID) {
        auto parsed = ParseBytes(inBytes);
        EXPECT_EQ(parsed->status, eSuccess);
        RefCountPtr<PDFObject> object(parsed->parser.ParseObjectByID(inID));
        // Everything is read again, through the cache of decoded object streams.
        WalkParsedDocument(parsed->parser);
        return object ? object->GetType() : -1;
    };
    EXPECT_EQ(readObject(build(""), 6), PDFObject::ePDFObjectDictionary);
    EXPECT_EQ(readObject(build(""), 8), PDFObject::ePDFObjectLiteralString);

    // Length, N, First, Filter or DecodeParms given by an object inside the same stream.
    // (A Length that cannot be read is found at "endstream" instead.)
    EXPECT_EQ(readObject(build("/N {N} /First {First} /Length 7 0 R"), 6), PDFObject::ePDFObjectDictionary);
    EXPECT_EQ(readObject(build("/N 7 0 R /First {First} /Length {Length}"), 6), -1);
    EXPECT_EQ(readObject(build("/N {N} /First 7 0 R /Length {Length}"), 8), -1);
    EXPECT_EQ(readObject(build("/N {N} /First {First} /Length {Length} /Filter 8 0 R"), 6), -1);
    EXPECT_EQ(readObject(build("/N {N} /First {First} /Length {Length} /Filter /FlateDecode /DecodeParms 6 0 R"), 6), -1);
    // N beyond the file's objects or negative, First negative or inside the header.
    EXPECT_EQ(readObject(build("/N 99999999 /First {First} /Length {Length}"), 6), -1);
    EXPECT_EQ(readObject(build("/N -3 /First {First} /Length {Length}"), 6), -1);
    EXPECT_EQ(readObject(build("/N {N} /First -1 /Length {Length}"), 6), -1);
    EXPECT_EQ(readObject(build("/N {N} /First 0 /Length {Length}"), 6), -1);
    EXPECT_EQ(readObject(build("/N {N} /First 99999 /Length {Length}"), 6), -1);
    // An object that is itself a stream cannot live in an object stream.
    EXPECT_EQ(readObject(build("", {{9, "<< /Length 1 >>\nstream\nx\nendstream"}}), 9), -1);

    // An object stream listed as lying inside itself, or two listed inside each other.
    XrefStreamBuilder self;
    self.fileObjects[1] = "<< /Type /Catalog /Pages 2 0 R >>";
    self.fileObjects[2] = "<< /Type /Pages /Kids [] /Count 0 >>";
    self.objectStreams[5] = {{6, "1"}};
    self.objectStreams[7] = {{8, "2"}};
    self.entryOverrides[5] = {2, 5, 0};
    auto parsed = ParseBytes(self.Build());
    ASSERT_EQ(parsed->status, eSuccess);
    EXPECT_EQ(parsed->parser.ParseObjectByID(5), nullptr);
    EXPECT_EQ(parsed->parser.ParseObjectByID(6), nullptr);
    self.entryOverrides[5] = {2, 7, 0};
    self.entryOverrides[7] = {2, 5, 0};
    auto crossed = ParseBytes(self.Build());
    ASSERT_EQ(crossed->status, eSuccess);
    EXPECT_EQ(crossed->parser.ParseObjectByID(6), nullptr);
    EXPECT_EQ(crossed->parser.ParseObjectByID(8), nullptr);
}
