// Copy sessions: values of a parsed file written where the caller has an object or a key open,
// keeping the source's object ids (the road of an updated file), and the session's life.

#include "CopyTestSupport.h"

#include "pdf/copying/CopySession.h"
#include "pdf/objects/PDFObjects.h"
#include "pdf/parsing/IPDFParserExtender.h"
#include "pdf/parsing/PDFParser.h"
#include "pdf/writing/DocumentTestSupport.h"
#include "pdf/support/LogCapture.h"

using testsupport::LogCapture;
using namespace copytest;
using DocumentTestSupport::MemoryDocument;

namespace {

// Object 3 holds one value of every kind; object 4 is a stream whose Length is an object.
std::string ValuesFile()
{
    PdfBuilder builder;
    builder.Add("<< /Type /Catalog /Pages 2 0 R >>");
    builder.Add("<< /Type /Pages /Kids [5 0 R] /Count 1 >>");
    builder.Add("<< /Ref 12 0 R /Name /A#20B /Int -7 /Real 0.00048828125 /Bool true /Null null "
                "/Str (a\\(b\\)c) /Hex <0A1b> /Array [1 (x) 12 0 R [/N] << /K 2 >>] >>");
    builder.Add("<< /Length 6 0 R /Filter /FlateDecode >>\nstream\nABCDEFGHIJ\nendstream");
    builder.Add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>");
    builder.Add("10");
    return builder.Build();
}

} // namespace

TEST(CopySession, ParsedValuesKeepSourceIDsAndTheirBytes)
{
    TestDirectory dir("session-values");
    WriteFile(dir / "values.pdf", ValuesFile());
    MemoryDocument document;
    std::unique_ptr<CopySession> session = document.Document().CreateCopySessionForFile((dir / "values.pdf").string());
    ASSERT_TRUE(session);
    PDFParser* parser = session->GetSourceParser();
    ASSERT_NE(parser, nullptr);
    EXPECT_EQ(parser->GetPageCount(), 1u);

    RefCountPtr<PDFObject> values(parser->ParseObjectByID(3));
    ASSERT_TRUE(values);
    ObjectsContext& objects = document.Objects();
    objects.StartIndirectObject(objects.GetInDirectObjectsRegistry().ReserveNewObjectID());
    DictionaryContext* dictionary = objects.StartDictionary();
    ASSERT_EQ(dictionary->WriteKey("Copied"), eSuccess);
    ASSERT_EQ(session->CopyParsedValue(values.GetPtr()), eSuccess);
    ASSERT_EQ(objects.EndDictionary(dictionary), eSuccess);
    objects.EndIndirectObject();

    const std::string expected = "1 0 obj\r\n<<\r\n\t/Copied <<\r\n"
                                 "\t\t/Array [ 1 (x) 12 0 R [ /N ] <<\r\n\t\t\t/K 2\r\n\t\t>>\r\n]\r\n"
                                 "\t\t/Bool true\r\n"
                                 "\t\t/Hex <0A1b>\r\n"
                                 "\t\t/Int -7\r\n"
                                 "\t\t/Name /A#20B\r\n"
                                 "\t\t/Null null\r\n"
                                 "\t\t/Real 0.00048828125\r\n"
                                 "\t\t/Ref 12 0 R \t\t/Str (a\\(b\\)c)\r\n"
                                 "\t>>\r\n>>\r\nendobj\r\n";
    EXPECT_EQ(document.Bytes(), expected);
    EXPECT_FALSE(objects.HasFailed());
}

TEST(CopySession, StreamsAreCopiedEncodedWithTheirLengthFollowed)
{
    TestDirectory dir("session-stream");
    WriteFile(dir / "values.pdf", ValuesFile());
    MemoryDocument document;
    std::unique_ptr<CopySession> session = document.Document().CreateCopySessionForFile((dir / "values.pdf").string());
    ASSERT_TRUE(session);
    RefCountPtr<PDFObject> stream(session->GetSourceParser()->ParseObjectByID(4));
    ASSERT_TRUE(stream);
    document.Objects().StartIndirectObject(4);
    ASSERT_EQ(session->CopyParsedValue(stream.GetPtr()), eSuccess);
    document.Objects().EndIndirectObject();
    EXPECT_EQ(document.Bytes(), "4 0 obj\r\n<<\r\n\t/Filter /FlateDecode\r\n\t/Length 6 0 R >>\r\nstream\r\n"
                                "ABCDEFGHIJ\r\nendstream\r\nendobj\r\n");
}

TEST(CopySession, SessionsRegisterAndFailCleanly)
{
    TestDirectory dir("session-life");
    WriteFile(dir / "values.pdf", ValuesFile());
    MemoryDocument document;
    LogCapture log;
    EXPECT_FALSE(document.Document().CreateCopySessionForFile((dir / "missing.pdf").string()));
    EXPECT_TRUE(log.Contains("PDFDocumentHandler::StartFileCopyingContext, unable to open file for reading in"));

    WriteFile(dir / "garbage.pdf", "%PDF-1.4\nnothing here\n");
    EXPECT_FALSE(document.Document().CreateCopySessionForFile((dir / "garbage.pdf").string()));
    EXPECT_TRUE(log.Contains("PDFDocumentHandler::StartCopyingContext, failure occured while parsing PDF file."));

    // A session over a parser that is open already does not own it.
    parsertest::ParsedBytes parsed(ValuesFile());
    ASSERT_EQ(parsed.status, eSuccess);
    {
        std::unique_ptr<CopySession> session = document.Document().CreateCopySessionForParser(&parsed.parser);
        ASSERT_TRUE(session);
        EXPECT_EQ(session->GetSourceParser(), &parsed.parser);
        // A session that outlives the document's reset forgets its document context.
        document.Document().ResetForNewDocument();
    }
    EXPECT_EQ(parsed.parser.GetPageCount(), 1u);
}

TEST(CopySession, AnEncryptedFileIsCopiedOnlyThroughAParserWhoseExtenderDecrypts)
{
    class Decrypting : public IPDFParserExtender {
    public:
        IByteReader* CreateFilterForStream(IByteReader* inStream, PDFName*, PDFDictionary*) override { return inStream; }
        bool DoesSupportEncryption() override { return true; }
        IByteReader* CreateDefaultReadStream(IByteReader* inStream) override { return inStream; }
        std::string DecryptString(const std::string& inText) override { return inText; }
        void OnObjectStart(long long, long long) override {}
        void OnObjectEnd(PDFObject*) override {}
    };
    TestDirectory dir("session-encrypted");
    std::string plain = (dir / "plain.pdf").string();
    WriteFile(plain, ValuesFile());
    std::string encrypted = (dir / "encrypted.pdf").string();
    ASSERT_TRUE(parsertest::Qpdf("--encrypt user owner 256 -- " + Quote(plain) + " " + Quote(encrypted)));

    MemoryDocument document;
    LogCapture log;
    EXPECT_FALSE(document.Document().CreateCopySessionForFile(encrypted));
    EXPECT_TRUE(log.Contains("Document contains an encryption dictionary. Library does not support embedding of "
                             "encrypted PDF"));
    parsertest::ParsedBytes parsed(ReadFile(encrypted));
    ASSERT_EQ(parsed.status, eSuccess);
    EXPECT_FALSE(document.Document().CreateCopySessionForParser(&parsed.parser));
    Decrypting extender;
    parsed.parser.SetParserExtender(&extender);
    EXPECT_TRUE(document.Document().CreateCopySessionForParser(&parsed.parser));
    EXPECT_EQ(document.Bytes(), "");
}
