// Incremental updates of files in every cross-reference form, in place and into a copy: the
// source stays an exact prefix, other readers accept the result and see the new section, and a
// failed or refused update leaves the user's file as it was.

#include "pdf/updating/UpdateTestSupport.h"

#include "pdf/io/InputFile.h"
#include "pdf/objects/PDFObjectCastPtr.h"
#include "pdf/objects/PDFObjects.h"
#include "pdf/writing/ObjectsContext.h"
#include "pdf/writing/OutputPage.h"
#include "pdf/writing/PageContentContext.h"
#include "pdf/support/LogCapture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

using namespace updatetest;
using testsupport::ReadFile;
using testsupport::TestDirectory;
using testsupport::WriteFile;
using testsupport::ExpectQpdfAccepts;

namespace {

// The newest trailer of a file as our parser reads it, with its parser kept alive.
struct ParsedOutput {
    explicit ParsedOutput(const std::string& inPath) : parsed(parsertest::ParseFile(inPath)) {}
    PDFDictionary* Trailer() { return parsed->parser.GetTrailer(); }
    long long TrailerInteger(const std::string& inKey)
    {
        PDFObjectCastPtr<PDFInteger> value(Trailer() ? Trailer()->QueryDirectObject(inKey) : nullptr);
        return value ? value->GetValue() : -1;
    }
    long long TrailerReference(const std::string& inKey)
    {
        PDFObjectCastPtr<PDFIndirectObjectReference> value(Trailer() ? Trailer()->QueryDirectObject(inKey) : nullptr);
        return value ? static_cast<long long>(value->GetObjectID()) : -1;
    }
    std::unique_ptr<parsertest::ParsedBytes> parsed;
};

// The position the last "startxref" of a file names.
long long LastStartXref(const std::string& inBytes)
{
    size_t at = inBytes.rfind("startxref");
    return at == std::string::npos ? -1 : std::stoll(inBytes.substr(at + 9));
}

class UpdateForms : public ::testing::TestWithParam<std::tuple<SourceForm, bool>> {};

} // namespace

TEST_P(UpdateForms, AppendsASectionOtherReadersAccept)
{
    SourceForm form = std::get<0>(GetParam());
    bool inPlace = std::get<1>(GetParam());
    TestDirectory folder;
    std::string source = folder.PathOf("source.pdf");
    std::string sourceBytes = TwoPageSource(form);
    WriteFile(source, sourceBytes);
    std::string output = inPlace ? source : folder.PathOf("output.pdf");

    const PDFRectangle crop(10, 20, 250, 300);
    ASSERT_EQ(RunUpdate(source, inPlace ? std::string() : output,
                        [&crop](PDFWriter& inWriter) { EXPECT_EQ(CropAllPages(inWriter, crop), eSuccess); }),
              eSuccess);

    std::string outputBytes = ReadFile(output);
    ASSERT_GT(outputBytes.size(), sourceBytes.size());
    EXPECT_EQ(outputBytes.compare(0, sourceBytes.size(), sourceBytes), 0) << "the source is not kept as a prefix";
    if (!inPlace) {
        EXPECT_EQ(ReadFile(source), sourceBytes) << "a copy must leave the source alone";
    }
    // The old "%%EOF" ends its line, so that the update's first object does not join the comment.
    size_t oldEnd = sourceBytes.rfind("%%EOF") + 5;
    EXPECT_TRUE(outputBytes[oldEnd] == '\r' || outputBytes[oldEnd] == '\n');
    ExpectQpdfAccepts(output);

    // The new section follows the old bytes and chains back to the old newest section; offsets
    // count from the header.
    long long sourceEnd = static_cast<long long>(sourceBytes.size() - sourceBytes.find("%PDF-"));
    ParsedOutput parsed(output);
    ASSERT_EQ(parsed.parsed->status, eSuccess);
    long long newSection = parsed.parsed->parser.GetXrefPosition();
    EXPECT_GE(newSection, sourceEnd);
    EXPECT_EQ(parsed.TrailerInteger("Prev"), LastStartXref(sourceBytes));
    EXPECT_EQ(parsed.TrailerReference("Root"), 1);
    EXPECT_EQ(parsed.parsed->parser.GetPageCount(), 2u);

    // A stream section answers a stream section, a table answers a table (hybrids included).
    bool streamSource = form == SourceForm::XrefStream;
    std::string appended = outputBytes.substr(sourceBytes.size());
    EXPECT_EQ(appended.find("trailer") == std::string::npos, streamSource) << appended;
    EXPECT_EQ(appended.find("/Type /XRef") != std::string::npos, streamSource) << appended;

    // qpdf sees the update's information dictionary at its offset in the new bytes.
    long long info = parsed.TrailerReference("Info");
    ASSERT_GT(info, 0);
    std::map<std::string, std::string> xref = QpdfXref(output);
    EXPECT_GE(QpdfOffset(xref, std::to_string(info) + "/0"), sourceEnd)
        << xref[std::to_string(info) + "/0"];
    EXPECT_NE(QpdfObject(output, std::to_string(info)).find("/ModDate (D:"), std::string::npos);
    // The rewritten pages are listed in the new section too.
    EXPECT_GE(QpdfOffset(xref, "3/0"), sourceEnd) << xref["3/0"];
    EXPECT_GE(QpdfOffset(xref, "5/0"), sourceEnd) << xref["5/0"];

    std::vector<PDFRectangle> boxes = parsertest::PdfinfoMediaBoxes(output, 2);
    ASSERT_EQ(boxes.size(), 2u);
    for (const PDFRectangle& box : boxes)
        EXPECT_EQ(box, crop);
}

INSTANTIATE_TEST_SUITE_P(Update, UpdateForms,
                         ::testing::Combine(::testing::Values(SourceForm::ClassicTable, SourceForm::XrefStream,
                                                              SourceForm::Hybrid, SourceForm::AlreadyUpdated,
                                                              SourceForm::NoFinalEndLine, SourceForm::Prefixed),
                                            ::testing::Bool()),
                         [](const ::testing::TestParamInfo<std::tuple<SourceForm, bool>>& inInfo) {
                             return std::string(FormName(std::get<0>(inInfo.param))) +
                                    (std::get<1>(inInfo.param) ? "InPlace" : "IntoCopy");
                         });

TEST(IncrementalUpdate, RewrittenObjectsKeepTheirGeneration)
{
    TestDirectory folder;
    std::string source = folder.PathOf("generation.pdf");
    // Object 4 (page 1's content) in its second generation.
    parsertest::PdfBuilder builder = TwoPageClassic();
    builder.objects[2] = "<< /Type /Page /Parent 2 0 R /Contents 4 1 R >>";
    std::string bytes = builder.Build();
    std::string header = "\n4 0 obj\n";
    bytes.replace(bytes.find(header), header.size(), "\n4 1 obj\n");
    std::string row = parsertest::PdfBuilder::Row(builder.offsets[4], 0, 'n');
    bytes.replace(bytes.find(row), row.size(), parsertest::PdfBuilder::Row(builder.offsets[4], 1, 'n'));
    WriteFile(source, bytes);

    ASSERT_EQ(RunUpdate(source, "",
                        [](PDFWriter& inWriter) {
                            ObjectsContext& objects = inWriter.GetObjectsContext();
                            objects.StartUpdatedIndirectObject(4);
                            std::unique_ptr<WrittenPDFStream> stream = objects.StartStream(nullptr, true);
                            const std::string content = "0 0 m 300 400 l S";
                            stream->GetWriteStream()->WriteBytes(reinterpret_cast<const Byte*>(content.data()),
                                                                 content.size());
                            objects.EndStream(stream.get());
                        }),
              eSuccess);

    std::string output = ReadFile(source);
    EXPECT_NE(output.find("4 1 obj\r\n", bytes.size()), std::string::npos);
    ExpectQpdfAccepts(source);
    std::map<std::string, std::string> xref = QpdfXref(source);
    EXPECT_GE(QpdfOffset(xref, "4/1"), static_cast<long long>(bytes.size())) << xref["4/1"];
}

TEST(IncrementalUpdate, FailedUpdateInPlaceLeavesTheFileAsItWas)
{
    TestDirectory folder;
    testsupport::LogCapture log;
    std::string source = folder.PathOf("precious.pdf");
    std::string bytes = TwoPageSource(SourceForm::ClassicTable);
    WriteFile(source, bytes);

    {
        // An object reserved and never written: the cross-reference section cannot be made.
        PDFWriter writer;
        ASSERT_EQ(writer.StartIncrementalUpdate(source, 13, "", log.Settings()), eSuccess);
        writer.GetObjectsContext().GetInDirectObjectsRegistry().ReserveNewObjectID();
        writer.GetObjectsContext().AllocateAndStartIndirectObject();
        writer.GetObjectsContext().WriteInteger(5);
        writer.GetObjectsContext().EndIndirectObject();
        EXPECT_EQ(writer.EndPDF(), eFailure);
        EXPECT_TRUE(log.Contains("was not registered as written"));
    }
    EXPECT_EQ(ReadFile(source), bytes);

    {
        // Abandoned: the writer goes before EndPDF, with objects already flushed to the file.
        PDFWriter writer;
        ASSERT_EQ(writer.StartIncrementalUpdate(source, 13), eSuccess);
        ObjectsContext& objects = writer.GetObjectsContext();
        for (int i = 0; i < 2000; ++i) {
            objects.AllocateAndStartIndirectObject();
            objects.WriteInteger(i);
            objects.EndIndirectObject();
        }
    }
    EXPECT_EQ(ReadFile(source), bytes);

    // The file still takes a good update afterwards.
    ASSERT_EQ(RunUpdate(source, ""), eSuccess);
    ExpectQpdfAccepts(source);
}

TEST(IncrementalUpdate, RefusedStartsTouchNothingAndLeaveNothingToEnd)
{
    TestDirectory folder;
    testsupport::LogCapture log;
    struct Case {
        const char* name;
        std::string bytes;
        int version;
    };
    const Case cases[] = {
        {"encrypted by reference", TwoPageSource(SourceForm::ClassicTable, "", " /Encrypt 9 0 R"), 13},
        {"encrypted inline", TwoPageSource(SourceForm::ClassicTable, "", " /Encrypt << /Filter /Standard /V 1 >>"), 13},
        {"encrypted stream form", TwoPageSource(SourceForm::XrefStream, "", " /Encrypt 9 0 R"), 13},
        {"not a PDF", "hello, this is text\n", 13},
        {"unknown version", TwoPageSource(SourceForm::ClassicTable), 25},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        std::string source = folder.PathOf("refused.pdf");
        std::string copy = folder.PathOf("copy.pdf");
        WriteFile(source, test.bytes);
        std::filesystem::remove(copy);
        for (const std::string& output : {std::string(), copy}) {
            PDFWriter writer;
            EXPECT_NE(writer.StartIncrementalUpdate(source, test.version, output, log.Settings()), eSuccess);
            EXPECT_FALSE(writer.IsModifyingFile());
            EXPECT_EQ(writer.CreateCopySessionForModifiedFile(), nullptr);
            EXPECT_EQ(writer.EndPDF(), eFailure);
            EXPECT_EQ(ReadFile(source), test.bytes);
            EXPECT_FALSE(std::filesystem::exists(copy));
        }
    }
    EXPECT_TRUE(log.Contains("encrypted files cannot be modified"));

    // A null Encrypt entry is no encryption.
    std::string source = folder.PathOf("plain.pdf");
    WriteFile(source, TwoPageSource(SourceForm::ClassicTable, "", " /Encrypt null"));
    EXPECT_EQ(RunUpdate(source, ""), eSuccess);
    ExpectQpdfAccepts(source);
}

TEST(IncrementalUpdate, AnotherSpellingOfTheSourceIsUpdatedInPlace)
{
    TestDirectory folder;
    std::string source = folder.PathOf("a.pdf");
    std::string bytes = TwoPageSource(SourceForm::ClassicTable);
    std::filesystem::create_symlink(source, folder.PathOf("symbolic.pdf"));
    const std::string spellings[] = {(folder.Path() / "." / "a.pdf").string(), folder.PathOf("symbolic.pdf"),
                                     folder.PathOf("hard.pdf")};
    for (const std::string& spelling : spellings) {
        SCOPED_TRACE(spelling);
        WriteFile(source, bytes);
        std::filesystem::remove(folder.PathOf("hard.pdf"));
        std::filesystem::create_hard_link(source, folder.PathOf("hard.pdf"));

        ASSERT_EQ(RunUpdate(source, spelling), eSuccess);
        std::string updated = ReadFile(source);
        EXPECT_EQ(updated.compare(0, bytes.size(), bytes), 0);
        // One update, not an update of a copy of a truncated file.
        EXPECT_EQ(LastStartXref(updated) > static_cast<long long>(bytes.size()), true);
        size_t first = updated.find("startxref");
        EXPECT_EQ(updated.find("startxref", updated.find("startxref", first + 1) + 1), std::string::npos);
        ExpectQpdfAccepts(source);
    }
}

TEST(IncrementalUpdate, CatalogIsWrittenOnlyWhenTheVersionRises)
{
    TestDirectory folder;
    std::string source = folder.PathOf("version.pdf");

    // 1.2 and code 13: a new catalog with Version 1.3 over the old page tree.
    parsertest::PdfBuilder old = TwoPageClassic("", "%PDF-1.2\n%\xE2\xE3\xCF\xD3\n");
    std::string bytes = old.Build();
    WriteFile(source, bytes);
    ASSERT_EQ(RunUpdate(source, ""), eSuccess);
    {
        ParsedOutput parsed(source);
        long long root = parsed.TrailerReference("Root");
        ASSERT_GT(root, 6);
        std::string catalog = QpdfObject(source, std::to_string(root));
        EXPECT_NE(catalog.find("/Version /1.3"), std::string::npos) << catalog;
        EXPECT_NE(catalog.find("/Pages 2 0 R"), std::string::npos) << catalog;
        EXPECT_EQ(parsed.parsed->parser.GetPageCount(), 2u);
        ExpectQpdfAccepts(source);
    }

    // A catalog that declares 1.6 already is not lowered to 1.3, whatever the header says; nor is 1.4.
    for (const std::pair<std::string, std::string>& declared :
         {std::make_pair(std::string("%PDF-1.2\n"), std::string("/Version /1.6")),
          std::make_pair(std::string("%PDF-1.4\n"), std::string())}) {
        parsertest::PdfBuilder builder = TwoPageClassic(declared.second, declared.first);
        WriteFile(source, builder.Build());
        ASSERT_EQ(RunUpdate(source, ""), eSuccess);
        ParsedOutput parsed(source);
        EXPECT_EQ(parsed.TrailerReference("Root"), 1) << declared.first;
    }
}

TEST(IncrementalUpdate, KeepsTheFirstPartOfTheDocumentID)
{
    TestDirectory folder;
    std::string source = folder.PathOf("id.pdf");
    const std::pair<std::string, std::string> ids[] = {{" /ID [<A1B2> <C3D4>]", "<A1B2>"},
                                                       {" /ID [(AB) (CD)]", "<4142>"}};
    for (const auto& id : ids) {
        WriteFile(source, TwoPageSource(SourceForm::ClassicTable, "", id.first));
        ASSERT_EQ(RunUpdate(source, ""), eSuccess);
        std::string bytes = ReadFile(source);
        size_t trailer = bytes.rfind("/ID [ ");
        ASSERT_NE(trailer, std::string::npos);
        EXPECT_EQ(bytes.compare(trailer + 6, id.second.size(), id.second), 0) << bytes.substr(trailer);
        ExpectQpdfAccepts(source);
    }

    // Without an ID the update makes a whole new one rather than an empty first part.
    WriteFile(source, TwoPageSource(SourceForm::ClassicTable));
    ASSERT_EQ(RunUpdate(source, ""), eSuccess);
    std::string bytes = ReadFile(source);
    size_t trailer = bytes.rfind("/ID [ <");
    ASSERT_NE(trailer, std::string::npos);
    std::string first = bytes.substr(trailer + 7, 32);
    EXPECT_EQ(bytes.compare(trailer + 7 + 32, 3 + 32, "> <" + first), 0) << bytes.substr(trailer);
}

TEST(IncrementalUpdate, CatalogAndInformationEntriesSurvive)
{
    TestDirectory folder;
    const std::vector<std::string> extra = {
        "<< /Type /Outlines /First 8 0 R /Last 8 0 R /Count 1 >>",
        "<< /Title (Chapter One) /Parent 7 0 R /Dest [3 0 R /Fit] >>",
        "<< /Title (Kept Title) /Author (Ann Author) /Custom (kept value) /Keywords <FEFF0041> "
        "/CreationDate (D:19990101000000Z) /ModDate (D:20000101000000Z) >>"};
    for (SourceForm form : {SourceForm::ClassicTable, SourceForm::XrefStream, SourceForm::Hybrid}) {
        SCOPED_TRACE(FormName(form));
        std::string source = folder.PathOf("kept.pdf");
        // The catalog declares 1.5 itself, so a rise to 1.7 rewrites it whatever the header says.
        WriteFile(source, TwoPageSource(form, "/Outlines 7 0 R /PageMode /UseOutlines /Lang (en) /Version /1.5",
                                        " /Info 9 0 R", extra));
        ASSERT_EQ(RunUpdate(source, "", nullptr, 17), eSuccess);
        ExpectQpdfAccepts(source);

        ParsedOutput parsed(source);
        long long root = parsed.TrailerReference("Root");
        ASSERT_GT(root, 9);
        std::string catalog = QpdfObject(source, std::to_string(root));
        for (const char* entry : {"/Outlines 7 0 R", "/PageMode /UseOutlines", "/Lang (en)", "/Pages 2 0 R",
                                  "/Type /Catalog", "/Version /1.7"})
            EXPECT_NE(catalog.find(entry), std::string::npos) << entry << " in " << catalog;
        std::string outline;
        testsupport::RunMerged("mutool show '" + source + "' outline", outline);
        EXPECT_NE(outline.find("Chapter One"), std::string::npos) << outline;

        long long info = parsed.TrailerReference("Info");
        ASSERT_GT(info, 9);
        std::string infoText = QpdfObject(source, std::to_string(info));
        for (const char* entry : {"/Title (Kept Title)", "/Author (Ann Author)", "/Custom (kept value)",
                                  "/CreationDate (D:19990101000000Z)", "/Keywords <feff0041>"})
            EXPECT_NE(infoText.find(entry), std::string::npos) << entry << " in " << infoText;
        EXPECT_EQ(infoText.find("D:20000101000000Z"), std::string::npos) << infoText;
        EXPECT_NE(infoText.find("/ModDate (D:"), std::string::npos) << infoText;
    }
}

TEST(IncrementalUpdate, AddedPagesJoinTheOldPageTree)
{
    TestDirectory folder;
    std::string source = folder.PathOf("five.pdf");
    parsertest::PdfBuilder builder = parsertest::PagesDocument({"", "", "", "", ""}, "/MediaBox [0 0 300 400]");
    // The catalog's own entries survive the catalog that the new page tree needs.
    builder.objects[0] = "<< /Type /Catalog /Pages 2 0 R /PageMode /UseNone >>";
    std::string sourceBytes = builder.Build();
    WriteFile(source, sourceBytes);

    ASSERT_EQ(RunUpdate(source, "",
                        [](PDFWriter& inWriter) {
                            DocumentContext& document = inWriter.GetDocumentContext();
                            for (int i = 0; i < 2; ++i) {
                                OutputPage page;
                                page.SetMediaBox(PDFRectangle(0, 0, 100 + i, 100));
                                document.StartPageContentContext(&page)->SetFillGray(0.5);
                                ObjectIDType pageID = 0;
                                EXPECT_EQ(document.WritePage(&page, pageID), eSuccess);
                            }
                        }),
              eSuccess);
    ExpectQpdfAccepts(source);
    EXPECT_EQ(parsertest::QpdfPageCount(source), 7);
    std::vector<PDFRectangle> boxes = parsertest::PdfinfoMediaBoxes(source, 7);
    ASSERT_EQ(boxes.size(), 7u);
    EXPECT_EQ(boxes[0], PDFRectangle(0, 0, 300, 400));
    EXPECT_EQ(boxes[6], PDFRectangle(0, 0, 101, 100));

    ParsedOutput parsed(source);
    std::string catalog = QpdfObject(source, std::to_string(parsed.TrailerReference("Root")));
    EXPECT_NE(catalog.find("/PageMode /UseNone"), std::string::npos) << catalog;
    size_t pages = catalog.find("/Pages ");
    ASSERT_NE(pages, std::string::npos);
    std::string top = QpdfObject(source, std::to_string(std::stoll(catalog.substr(pages + 7))));
    EXPECT_NE(top.find("/Count 7"), std::string::npos) << top;
    EXPECT_NE(top.find("/Kids [ 2 0 R "), std::string::npos) << top;
    EXPECT_NE(QpdfObject(source, "2").find("/Parent "), std::string::npos);
}

TEST(IncrementalUpdate, AddedPagesCountThePagesTheOldTreeHolds)
{
    // The old tree declares more pages than it holds (the reader uses those it finds), up to the
    // largest count there is: the new top node counts the pages there are, and no sum overflows.
    for (const char* declared : {"5", "9223372036854775807"}) {
        SCOPED_TRACE(declared);
        TestDirectory folder;
        std::string source = folder.PathOf("two.pdf");
        parsertest::PdfBuilder builder = TwoPageClassic();
        builder.objects[1] =
            std::string("<< /Type /Pages /Kids [3 0 R 5 0 R] /Count ") + declared + " /MediaBox [0 0 300 400] >>";
        WriteFile(source, builder.Build());

        ASSERT_EQ(RunUpdate(source, "",
                            [](PDFWriter& inWriter) {
                                OutputPage page;
                                page.SetMediaBox(PDFRectangle(0, 0, 100, 100));
                                ObjectIDType pageID = 0;
                                EXPECT_EQ(inWriter.GetDocumentContext().WritePage(&page, pageID), eSuccess);
                            }),
                  eSuccess);
        ExpectQpdfAccepts(source);
        ParsedOutput parsed(source);
        std::string catalog = QpdfObject(source, std::to_string(parsed.TrailerReference("Root")));
        size_t pages = catalog.find("/Pages ");
        ASSERT_NE(pages, std::string::npos);
        std::string top = QpdfObject(source, std::to_string(std::stoll(catalog.substr(pages + 7))));
        EXPECT_NE(top.find("/Count 3 "), std::string::npos) << top;
    }
}
