// The writer's start and end: the header, refused starts, ends that must fail, and reuse.

#include "pdf/writing/PDFWriter.h"
#include "pdf/copying/AppendPagesResult.h"
#include "pdf/io/DiagnosticLog.h"
#include "pdf/writing/OutputPage.h"
#include "pdf/writing/PageContentContext.h"

#include "pdf/writing/DocumentTestSupport.h"
#include "pdf/parsing/ParserTestSupport.h"
#include "pdf/parsing/PDFParser.h"
#include "pdf/support/LogCapture.h"
#include "pdf/support/TestDirectory.h"
#include "pdf/support/ExternalReaders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

using testsupport::LogCapture;
using testsupport::ExpectQpdfAccepts;
using testsupport::ReadFile;
using testsupport::TestDirectory;

namespace {

const char kBinaryComment[] = "%\xBD\xBE\xBC\r\n";

// Adds inPageCount A4 pages, each with a little content.
void AddPages(PDFWriter& inWriter, int inPageCount)
{
    for (int i = 0; i < inPageCount; ++i) {
        OutputPage page;
        page.SetMediaBox(PDFRectangle(0, 0, 595, 842));
        PageContentContext* content = inWriter.GetDocumentContext().StartPageContentContext(&page);
        content->SetFillColor(0x336699, eColorSpaceRGB);
        content->Rectangle(10, 10, 100 + i % 50, 100);
        content->Fill();
        ObjectIDType pageID = 0;
        ASSERT_EQ(inWriter.GetDocumentContext().WritePage(&page, pageID), eSuccess);
    }
}

TEST(PDFWriter, HeaderLineAndBinaryComment)
{
    TestDirectory folder;
    WriterOptions uncompressed;
    uncompressed.mCompressStreams = false;
    for (int code : {10, 13, 17, 18}) {
        std::string path = folder.PathOf("version " + std::to_string(code) + ".pdf");
        PDFWriter writer;
        ASSERT_EQ(writer.CreateNewPDF(path, code, LogSettings(), uncompressed), eSuccess);
        ASSERT_EQ(writer.EndPDF(), eSuccess);
        std::string version = code == 18 ? "1.7" : "1." + std::to_string(code - 10);
        EXPECT_EQ(ReadFile(path).substr(0, 25), "%PDF-" + version + "\r\n" + kBinaryComment + "1 0 obj\r\n") << code;
        ExpectQpdfAccepts(path);
    }
}

TEST(PDFWriter, UnknownVersionCodesFailTheStartAndLeaveTheTargetAlone)
{
    TestDirectory folder;
    LogCapture log;
    std::string existing = folder.PathOf("existing.pdf");
    std::ofstream(existing) << "keep me";
    for (int code : {9, 19, 0, -13}) {
        PDFWriter writer;
        EXPECT_EQ(writer.CreateNewPDF(existing, code, log.Settings()), eFailure) << code;
        EXPECT_TRUE(log.Contains("PDFWriter::CreateNewPDF, unknown PDF version code " + std::to_string(code) +
                                 ", expected 10 to 18"));
        EXPECT_FALSE(writer.IsDocumentStarted());
        // Ending what never started writes nothing.
        EXPECT_EQ(writer.EndPDF(), eFailure);
        EXPECT_TRUE(log.Contains("PDFWriter::EndPDF, no PDF was started successfully, nothing to end"));
        EXPECT_EQ(ReadFile(existing), "keep me");
    }
    PDFWriter writer;
    EXPECT_EQ(writer.CreateNewPDF(folder.PathOf("new.pdf"), 19, log.Settings()), eFailure);
    EXPECT_FALSE(std::filesystem::exists(folder.PathOf("new.pdf")));
}

TEST(PDFWriter, EndWithoutAStartAndAfterAFailedOpen)
{
    TestDirectory folder;
    LogCapture log;
    PDFWriter writer;
    EXPECT_EQ(writer.EndPDF(), eFailure);

    std::string unreachable = folder.PathOf("no such folder/out.pdf");
    EXPECT_EQ(writer.CreateNewPDF(unreachable, 13, log.Settings()), eFailure);
    EXPECT_TRUE(
        log.Contains("OutputFile::OpenFile, Unexpected Failure. Cannot open file for writing - " + unreachable));
    EXPECT_EQ(writer.EndPDF(), eFailure);

    // The same writer still makes a good file afterwards.
    std::string path = folder.PathOf("after.pdf");
    ASSERT_EQ(writer.CreateNewPDF(path, 13, log.Settings()), eSuccess);
    AddPages(writer, 2);
    ASSERT_EQ(writer.EndPDF(), eSuccess);
    ExpectQpdfAccepts(path);
}

TEST(PDFWriter, ASecondStartWhileWritingIsRefused)
{
    TestDirectory folder;
    LogCapture log;
    PDFWriter writer;
    std::string first = folder.PathOf("first.pdf");
    ASSERT_EQ(writer.CreateNewPDF(first, 13, log.Settings()), eSuccess);
    AddPages(writer, 1);
    EXPECT_EQ(writer.CreateNewPDF(folder.PathOf("second.pdf"), 13, log.Settings()), eFailure);
    EXPECT_TRUE(log.Contains("PDFWriter::CreateNewPDF, a document is being written to " + first + "; end it first"));
    EXPECT_FALSE(std::filesystem::exists(folder.PathOf("second.pdf")));
    AddPages(writer, 1);
    ASSERT_EQ(writer.EndPDF(), eSuccess);
    ExpectQpdfAccepts(first);
}

TEST(PDFWriter, AReusedWriterStartsFromObjectOneAgain)
{
    TestDirectory folder;
    WriterOptions uncompressed;
    uncompressed.mCompressStreams = false;
    PDFWriter writer;
    std::string first = folder.PathOf("first.pdf");
    ASSERT_EQ(writer.CreateNewPDF(first, 13, LogSettings(), uncompressed), eSuccess);
    writer.GetDocumentContext().GetDocumentInfo().Title = "First";
    AddPages(writer, 12);
    ASSERT_EQ(writer.EndPDF(), eSuccess);

    // The second document gets the default options again: compressed streams.
    std::string second = folder.PathOf("second.pdf");
    ASSERT_EQ(writer.CreateNewPDF(second, 14), eSuccess);
    AddPages(writer, 3);
    ASSERT_EQ(writer.EndPDF(), eSuccess);

    std::string bytes = ReadFile(second);
    EXPECT_EQ(bytes.substr(0, 25), std::string("%PDF-1.4\r\n") + kBinaryComment + "1 0 obj\r\n");
    EXPECT_NE(bytes.find("/Filter /FlateDecode"), std::string::npos);
    // Nothing of the first document: no Info, and as many objects as three pages need
    // (three streams with their lengths, three pages, one leaf, the catalog, object 0).
    EXPECT_EQ(bytes.find("/Info"), std::string::npos);
    EXPECT_NE(bytes.find("trailer\r\n<<\r\n\t/Size 12\r\n"), std::string::npos);
    ExpectQpdfAccepts(first);
    ExpectQpdfAccepts(second);
    std::string output;
    EXPECT_EQ(testsupport::RunMerged("qpdf --show-npages '" + second + "'", output), 0);
    EXPECT_EQ(output, "3\n");
}

TEST(PDFWriter, AnEmptyDocumentEndsWell)
{
    TestDirectory folder;
    std::string path = folder.PathOf("empty.pdf");
    PDFWriter writer;
    ASSERT_EQ(writer.CreateNewPDF(path, 13), eSuccess);
    ASSERT_EQ(writer.EndPDF(), eSuccess);
    // One empty page tree node: qpdf takes it; poppler refuses any file without pages.
    ExpectQpdfAccepts(path);
    std::string output;
    EXPECT_EQ(testsupport::RunMerged("qpdf --show-npages '" + path + "'", output), 0) << output;
    EXPECT_EQ(output, "0\n");
}

TEST(PDFWriter, ATargetThatRefusesBytesFailsTheEnd)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    LogCapture log;
    // Small: everything waits in the buffer until the file is closed.
    {
        PDFWriter writer;
        ASSERT_EQ(writer.CreateNewPDF("/dev/full", 13, log.Settings()), eSuccess);
        AddPages(writer, 2);
        EXPECT_EQ(writer.EndPDF(), eFailure);
        EXPECT_TRUE(log.Contains("PDFWriter::EndPDF, Could not close output file"));
    }
    // Large: the loss happens while pages are written.
    {
        PDFWriter writer;
        WriterOptions uncompressed;
        uncompressed.mCompressStreams = false;
        ASSERT_EQ(writer.CreateNewPDF("/dev/full", 13, log.Settings(), uncompressed), eSuccess);
        AddPages(writer, 2000);
        EXPECT_EQ(writer.EndPDF(), eFailure);
        EXPECT_TRUE(log.Contains("PDFWriter::EndPDF, Could not end PDF"));
        EXPECT_FALSE(writer.IsDocumentStarted());
        // The system's reason, logged when the write was refused, is the end's reason too.
        EXPECT_EQ(DiagnosticLog::LastFailure().mText,
                  "PDFWriter::EndPDF, the file cannot be written: No space left on device");
    }
}

TEST(PDFWriter, ContentLeftOpenFailsTheEnd)
{
    // A page whose content stream was started but never ended nor written: the page tree that
    // follows would land inside the stream's data.
    TestDirectory folder;
    LogCapture log;
    PDFWriter writer;
    ASSERT_EQ(writer.CreateNewPDF(folder.PathOf("open.pdf"), 13, log.Settings()), eSuccess);
    OutputPage page;
    page.SetMediaBox(PDFRectangle(0, 0, 595, 842));
    writer.GetDocumentContext().StartPageContentContext(&page)->Rectangle(0, 0, 1, 1);
    EXPECT_EQ(writer.EndPDF(), eFailure);
    EXPECT_TRUE(log.Contains("PDFWriter::EndPDF, Could not end PDF"));
}

TEST(PDFWriter, FontsAndPagesThatCannotBeHadFailAndAreRemembered)
{
    TestDirectory folder;
    LogCapture log;
    PDFWriter writer;
    ASSERT_EQ(writer.CreateNewPDF(folder.PathOf("out.pdf"), 13, log.Settings()), eSuccess);
    AppendPagesResult appended =
        writer.AppendPDFPagesFromPDF(folder.PathOf("missing.pdf"), PageSelection(), std::vector<ObjectIDType>());
    EXPECT_NE(appended.mStatus, eSuccess);
    EXPECT_TRUE(appended.mPageObjectIDs.empty());

    std::string font = folder.PathOf("missing.ttf");
    EXPECT_EQ(writer.GetFontForFile(font), nullptr);
    std::string logText = log.Text();
    EXPECT_EQ(writer.GetFontForFile(font), nullptr);
    EXPECT_EQ(log.Text(), logText); // asked again: no second attempt, no second line
    // A document that asked for a font it could not have cannot end as if it had it.
    EXPECT_EQ(writer.EndPDF(), eFailure);
}

// With the log off, each failed entry point leaves its reason and the file it was about for the
// caller; the next entry point starts afresh.
TEST(PDFWriter, AFailedCallLeavesItsReasonWithTheLogOff)
{
    TestDirectory folder;
    LogCapture::TurnLogOff();
    parsertest::PdfBuilder builder;
    builder.Add("<< /Type /Catalog /Pages 2 0 R >>");
    builder.Add("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    builder.Add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>");
    std::string plain = folder.PathOf("plain.pdf");
    testsupport::WriteFile(plain, builder.Build());
    builder.trailerExtra = " /Encrypt << /Filter /Standard /V 1 /R 2 /P -4 >>";
    std::string locked = folder.PathOf("locked.pdf");
    testsupport::WriteFile(locked, builder.Build());
    std::string damaged = folder.PathOf("damaged.pdf");
    testsupport::WriteFile(damaged, "%PDF-1.4\nxref\n0 2\nnot a row\ntrailer\n<< /Size 2 >>\nstartxref\n9\n%%EOF\n");

    PDFWriter writer;
    std::string unreachable = folder.PathOf("no such folder/out.pdf");
    ASSERT_EQ(writer.CreateNewPDF(unreachable, 13), eFailure);
    DiagnosticLog::FailureReason reason = PDFWriter::GetLastFailure();
    EXPECT_EQ(reason.mText, "OutputFile::OpenFile, Unexpected Failure. Cannot open file for writing - " + unreachable);
    EXPECT_EQ(reason.mFile, unreachable);

    ASSERT_EQ(writer.CreateNewPDF(folder.PathOf("out.pdf"), 13), eSuccess);
    EXPECT_EQ(PDFWriter::GetLastFailure().mText, "");
    struct Case {
        std::string source;
        std::string reason;
    };
    for (const Case& c : {Case{locked, "PDFDocumentHandler::StartCopyingContext, Document contains an encryption "
                                       "dictionary. Library does not support embedding of encrypted PDF"},
                          Case{damaged, "PDFParser::"}, Case{folder.PathOf("missing.pdf"), "InputFile::OpenFile"}}) {
        EXPECT_NE(writer.AppendPDFPagesFromPDF(c.source, PageSelection()).mStatus, eSuccess);
        reason = PDFWriter::GetLastFailure();
        EXPECT_EQ(reason.mText.compare(0, c.reason.size(), c.reason), 0) << reason.mText;
        EXPECT_EQ(reason.mFile, c.source);
        EXPECT_EQ(PDFParser::GetLastFailure().mText, reason.mText);
    }
    EXPECT_EQ(writer.AppendPDFPagesFromPDF(plain, PageSelection()).mStatus, eSuccess);
    EXPECT_EQ(PDFWriter::GetLastFailure().mText, "");
    EXPECT_EQ(writer.EndPDF(), eSuccess);
}

} // namespace
