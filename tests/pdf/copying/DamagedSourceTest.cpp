// Damaged and refused sources: what can be copied soundly is copied, anything else fails with a
// log line before a half-written object can reach the output. After a failed append the document
// still ends as a sound file holding the pages that were copied.

#include "CopyTestSupport.h"

#include "pdf/writing/DocumentTestSupport.h"
#include "pdf/support/LogCapture.h"

#include <functional>

using testsupport::LogCapture;
using namespace copytest;

namespace {

// One page whose resources hold the given extra font entry and image body, and whose content is
// the given body; objects after the image may be added by the caller.
PdfBuilder OnePage(const std::string& inFontEntry, const std::string& inImageBody, const std::string& inContents)
{
    PdfBuilder builder;
    builder.Add("<< /Type /Catalog /Pages 2 0 R >>");
    builder.Add("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    builder.Add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R /Resources << /Font << /F1 5 0 R " +
                inFontEntry + " >> /XObject << /Im1 6 0 R >> >> >>");
    builder.Add(inContents);
    builder.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    builder.Add(inImageBody);
    return builder;
}

const std::string kContent = PdfBuilder::Stream("BT /F1 12 Tf 10 100 Td (Sound text) Tj ET");
const std::string kImage = PdfBuilder::Stream("\x80", " /Type /XObject /Subtype /Image /Width 1 /Height 1 "
                                                      "/ColorSpace /DeviceGray /BitsPerComponent 8");

struct AppendOutcome {
    OpStatus appendStatus;
    OpStatus endStatus;
    std::string log;
};

// A new file with the pages of inGood, then an attempt to append inDamaged, then the end.
AppendOutcome AppendAfterGoodFile(const TestDirectory& inDir, const std::string& inDamaged, const std::string& inTarget)
{
    WriteFile(inDir / "good.pdf", OnePage("", kImage, kContent).Build());
    WriteFile(inDir / "damaged.pdf", inDamaged);
    LogCapture log;
    PDFWriter writer;
    EXPECT_EQ(writer.CreateNewPDF(inTarget, 13, log.Settings()), eSuccess);
    EXPECT_EQ(writer.AppendPDFPagesFromPDF((inDir / "good.pdf").string(), PageSelection()).mStatus, eSuccess);
    AppendOutcome outcome;
    outcome.appendStatus = writer.AppendPDFPagesFromPDF((inDir / "damaged.pdf").string(), PageSelection()).mStatus;
    outcome.endStatus = writer.EndPDF();
    outcome.log = log.Text();
    return outcome;
}

// The failed append left a sound file that holds the good file's page.
void ExpectNoBrokenFile(const AppendOutcome& inOutcome, const std::string& inTarget)
{
    EXPECT_EQ(inOutcome.endStatus, eSuccess) << inOutcome.log;
    ExpectQpdfAccepts(inTarget);
    EXPECT_EQ(QpdfPageCount(inTarget), 1);
}

} // namespace

TEST(DamagedSource, ReferencesToObjectsTheFileDoesNotHoldAreCopiedAsNull)
{
    TestDirectory dir("damaged-missing");
    // F2 names an object beyond the table, F3 a free entry: both stand for null.
    PdfBuilder builder = OnePage("/F2 40 0 R /F3 7 0 R", kImage, kContent);
    builder.Add("<< /Unused true >>");
    std::string bytes = builder.Build();
    std::string row = PdfBuilder::Row(builder.offsets[7], 0, 'n');
    bytes.replace(bytes.find(row), row.size(), PdfBuilder::Row(0, 1, 'f'));
    std::string target = (dir / "target.pdf").string();
    AppendOutcome outcome = AppendAfterGoodFile(dir, bytes, target);
    EXPECT_EQ(outcome.appendStatus, eSuccess) << outcome.log;
    EXPECT_EQ(outcome.endStatus, eSuccess);
    EXPECT_NE(outcome.log.find("object 40 is not in the source file, copied as null"), std::string::npos);
    ExpectQpdfAccepts(target);
    EXPECT_EQ(QpdfPageCount(target), 2);
    ShownDocument shown(target, (dir / "t").string());
    EXPECT_NE(shown.Text(2).find("Sound text"), std::string::npos);
}

TEST(DamagedSource, AStreamLengthGivenByReferenceIsCopiedWithItsObject)
{
    TestDirectory dir("indirect-length");
    PdfBuilder builder = OnePage("", "<< /Type /XObject /Subtype /Image /Width 1 /Height 1 /ColorSpace /DeviceGray "
                                     "/BitsPerComponent 8 /Length 7 0 R >>\nstream\n\x80\nendstream",
                                 kContent);
    builder.Add("1");
    std::string target = (dir / "target.pdf").string();
    AppendOutcome outcome = AppendAfterGoodFile(dir, builder.Build(), target);
    ASSERT_EQ(outcome.appendStatus, eSuccess) << outcome.log;
    ASSERT_EQ(outcome.endStatus, eSuccess);
    ExpectQpdfAccepts(target);
    auto parsed = parsertest::ParseFile(target);
    std::vector<RefCountPtr<PDFStreamInput>> images = StreamsOfSubtype(parsed->parser, "Image");
    ASSERT_EQ(images.size(), 2u);
    RefCountPtr<PDFDictionary> dictionary(images[1]->QueryStreamDictionary());
    PDFObjectCastPtr<PDFIndirectObjectReference> length(dictionary->QueryDirectObject("Length"));
    ASSERT_TRUE(length);
    PDFObjectCastPtr<PDFInteger> value(parsed->parser.ParseObjectByID(length->GetObjectID()));
    ASSERT_TRUE(value);
    EXPECT_EQ(value->GetValue(), 1);
    EXPECT_EQ(parsed->bytes.substr(static_cast<size_t>(images[1]->GetStreamContentStart()), 12),
              "\x80\r\nendstream");
}

TEST(DamagedSource, StreamLengthsThatCannotBeTrustedFailBeforeTheObjectIsBegun)
{
    // Lengths past the end, negative or not a number are found at "endstream" (the table of
    // sloppy files shows those); only a stream whose end cannot be found fails.
    const std::pair<std::string, std::string> cases[] = {
        {"past the end", "<< /Type /XObject /Subtype /Image /Width 1 /Height 1 /ColorSpace /DeviceGray "
                         "/BitsPerComponent 8 /Length 99999999 >>\nstream\n\x80\nendobj"},
        {"no length", "<< /Type /XObject /Subtype /Image /Width 1 /Height 1 /ColorSpace /DeviceGray "
                      "/BitsPerComponent 8 >>\nstream\n\x80\nendobj"},
    };
    for (const auto& damaged : cases) {
        SCOPED_TRACE(damaged.first);
        TestDirectory dir("damaged-length");
        std::string target = (dir / "target.pdf").string();
        AppendOutcome outcome = AppendAfterGoodFile(dir, OnePage("", damaged.second, kContent).Build(), target);
        EXPECT_NE(outcome.appendStatus, eSuccess);
        EXPECT_TRUE(outcome.log.find("no usable Length and no endstream") != std::string::npos) << outcome.log;
        EXPECT_TRUE(outcome.log.find("PDFDocumentHandler::WriteStreamObject") != std::string::npos) << outcome.log;
        EXPECT_NE(outcome.log.find("failed to embed page 0"), std::string::npos);
        ExpectNoBrokenFile(outcome, target);
    }
}

TEST(DamagedSource, ContentsThatAreNotStreamsAreLeftOut)
{
    // Items of a Contents array that are no streams are left out and the page is copied; a
    // Contents that is neither a stream nor an array fails the page.
    const std::pair<std::string, std::string> cases[] = {
        {"[4 0 R 12]", "item 1 of the page's Contents is Integer, not a reference to a stream; left out"},
        {"[4 0 R 5 0 R]", "item 1 of the page's Contents names object 5, which is Dictionary, not a stream; left out"},
        {"(text)", "error copying page content, expected either array or stream, getting LiteralString"},
    };
    for (const auto& damaged : cases) {
        SCOPED_TRACE(damaged.first);
        TestDirectory dir("damaged-contents");
        PdfBuilder builder = OnePage("", kImage, kContent);
        builder.objects[2].replace(builder.objects[2].find("/Contents 4 0 R"), 15, "/Contents " + damaged.first);
        std::string target = (dir / "target.pdf").string();
        AppendOutcome outcome = AppendAfterGoodFile(dir, builder.Build(), target);
        EXPECT_NE(outcome.log.find("PDFDocumentHandler::CopyPageContentToTargetPage, " + damaged.second),
                  std::string::npos)
            << outcome.log;
        if (damaged.first[0] == '(') {
            EXPECT_NE(outcome.appendStatus, eSuccess);
            ExpectNoBrokenFile(outcome, target);
            continue;
        }
        ASSERT_EQ(outcome.appendStatus, eSuccess);
        ASSERT_EQ(outcome.endStatus, eSuccess);
        ExpectQpdfAccepts(target);
        ShownDocument shown(target, (dir / "t").string());
        EXPECT_NE(shown.Text(2).find("Sound text"), std::string::npos);
    }
}

TEST(DamagedSource, ReferenceLoopsAndLongChainsAreCopiedOnceWithoutRecursion)
{
    TestDirectory dir("damaged-chains");
    // The font's descriptor-like chain: 40,000 objects each referring to the next, the last one
    // back to the first; a recursive copy would need a frame per object.
    const int chain = 40000;
    PdfBuilder builder = OnePage("/F2 7 0 R", kImage, kContent);
    for (int i = 0; i < chain; ++i) {
        int id = 7 + i;
        int next = i + 1 < chain ? id + 1 : 7;
        int back = i > 0 ? id - 1 : 7 + chain - 1;
        builder.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Courier /Next " + std::to_string(next) + " 0 R /Back " +
                    std::to_string(back) + " 0 R >>");
    }
    std::string source = (dir / "chain.pdf").string();
    WriteFile(source, builder.Build());
    std::string target = (dir / "target.pdf").string();
    ASSERT_EQ(AppendFiles(target, {source}), eSuccess);
    auto parsed = parsertest::ParseFile(target);
    ASSERT_EQ(parsed->status, eSuccess);
    EXPECT_EQ(parsed->parser.GetPageCount(), 1u);
    // Every object of the chain once, beside the page's own few objects.
    EXPECT_LT(parsed->parser.GetXrefSize(), static_cast<uint32_t>(chain + 12));
    EXPECT_GT(parsed->parser.GetXrefSize(), static_cast<uint32_t>(chain));
    ExpectQpdfAccepts(target);
}

TEST(DamagedSource, EncryptedFilesAreRefusedWithoutWritingAnything)
{
    TestDirectory dir("damaged-encrypted");
    std::string plain = (dir / "plain.pdf").string();
    WriteFile(plain, OnePage("", kImage, kContent).Build());
    std::string encrypted = (dir / "encrypted.pdf").string();
    ASSERT_TRUE(parsertest::Qpdf("--encrypt user owner 256 -- " + Quote(plain) + " " + Quote(encrypted)));

    LogCapture log;
    PDFWriter writer;
    std::string target = (dir / "target.pdf").string();
    ASSERT_EQ(writer.CreateNewPDF(target, 13, log.Settings()), eSuccess);
    LongFilePositionType before = writer.GetOutputFile().GetOutputStream()->TellPosition();
    AppendPagesResult result = writer.AppendPDFPagesFromPDF(encrypted, PageSelection());
    EXPECT_NE(result.mStatus, eSuccess);
    EXPECT_TRUE(result.mPageObjectIDs.empty());
    EXPECT_TRUE(log.Contains("PDFDocumentHandler::StartCopyingContext, Document contains an encryption dictionary. "
                             "Library does not support embedding of encrypted PDF"));
    EXPECT_EQ(writer.GetOutputFile().GetOutputStream()->TellPosition(), before);
    // Placing one of its pages as a form is refused the same way.
    EXPECT_EQ(writer.GetDocumentContext().WriteImageFileAsFormXObject(encrypted, 0, 99), eFailure);
    EXPECT_EQ(writer.GetOutputFile().GetOutputStream()->TellPosition(), before);
    EXPECT_EQ(writer.EndPDF(), eSuccess);
    ExpectQpdfAccepts(target);
}

TEST(DamagedSource, ANameWithAStrayNumberSignKeepsItsResourcesReadable)
{
    // Resources in an object of their own, naming the font with a "#" that no hex digits follow
    // (a writer's leftover from before PDF 1.2); the copy keeps the font and so the text.
    TestDirectory dir("damaged-stray-sign");
    PdfBuilder builder;
    builder.Add("<< /Type /Catalog /Pages 2 0 R >>");
    builder.Add("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    builder.Add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R /Resources 6 0 R >>");
    builder.Add(PdfBuilder::Stream("BT /F#2 12 Tf 10 100 Td (Stray sign) Tj ET"));
    builder.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    builder.Add("<< /Font << /F#2 5 0 R >> >>");
    std::string target = (dir / "target.pdf").string();
    AppendOutcome outcome = AppendAfterGoodFile(dir, builder.Build(), target);
    ASSERT_EQ(outcome.appendStatus, eSuccess) << outcome.log;
    ASSERT_EQ(outcome.endStatus, eSuccess);
    // The content keeps the name as written; MuPDF reads it as the source's writer meant it.
    std::string text;
    EXPECT_EQ(parsertest::Run("mutool draw -F txt -o - " + Quote(target), &text), 0);
    EXPECT_NE(text.find("Stray sign"), std::string::npos) << text;
    auto parsed = parsertest::ParseFile(target);
    ASSERT_EQ(parsed->status, eSuccess);
    RefCountPtr<PDFDictionary> page(parsed->parser.ParsePage(1));
    ASSERT_TRUE(page);
    PDFObjectCastPtr<PDFDictionary> resources(parsed->parser.ResolveDictionaryValue(page.GetPtr(), "Resources"));
    ASSERT_TRUE(resources);
    PDFObjectCastPtr<PDFDictionary> fonts(parsed->parser.ResolveDictionaryValue(resources.GetPtr(), "Font"));
    ASSERT_TRUE(fonts);
    EXPECT_TRUE(fonts->Exists("F#2"));
}

TEST(DamagedSource, ResourcesOrContentsThatCannotBeReadFailThePage)
{
    // The page's Resources, Contents or font dictionary names an object the file holds but that
    // does not parse: the page copied or placed without it would lose its fonts or its content
    // behind a success.
    struct Case {
        std::string entry;
        std::string copyMessage;
        std::string formMessage;
    };
    const Case cases[] = {
        {"/Resources 7 0 R", "the page's Resources names object 7, which cannot be read",
         "the page's Resources names object 7, which cannot be read"},
        {"/Contents 7 0 R", "the page's Contents names object 7, which cannot be read",
         "the page's Contents names object 7, which cannot be read"},
        {"/Resources << /Font 7 0 R >>", "PDFDocumentHandler::CopyInDirectObject, object not found. 7",
         "the page's Font resources name object 7, which cannot be read"},
    };
    for (const Case& damaged : cases) {
        SCOPED_TRACE(damaged.entry);
        TestDirectory dir("damaged-unreadable");
        PdfBuilder builder = OnePage("", kImage, kContent);
        std::string& page = builder.objects[2];
        if (damaged.entry.find("Resources") != std::string::npos)
            page = page.substr(0, page.find("/Resources")) + damaged.entry + " >>";
        else
            page.replace(page.find("/Contents 4 0 R"), 15, damaged.entry);
        builder.Add("<< /Font << /F1 5 0 R >> /Broken (unended >>");
        std::string target = (dir / "target.pdf").string();
        AppendOutcome outcome = AppendAfterGoodFile(dir, builder.Build(), target);
        EXPECT_NE(outcome.appendStatus, eSuccess);
        EXPECT_NE(outcome.log.find(damaged.copyMessage), std::string::npos) << outcome.log;
        EXPECT_NE(outcome.log.find("failed to embed page 0"), std::string::npos);
        ExpectNoBrokenFile(outcome, target);

        // Placed as a form, the page fails too.
        WriteFile(dir / "damaged.pdf", builder.Build());
        LogCapture log;
        PDFWriter writer;
        ASSERT_EQ(writer.CreateNewPDF((dir / "form.pdf").string(), 13, log.Settings()), eSuccess);
        ObjectIDType formID = writer.GetObjectsContext().GetInDirectObjectsRegistry().ReserveNewObjectID();
        EXPECT_EQ(writer.GetDocumentContext().WriteImageFileAsFormXObject((dir / "damaged.pdf").string(), 0, formID),
                  eFailure);
        EXPECT_TRUE(log.Contains(damaged.formMessage)) << log.Text();
        writer.EndPDF();
    }
}

namespace {

// A document of pages that show their labels in one shared font; objects from 20 on are the
// caller's, and the second page takes inSecondPageEntries.
XrefStreamBuilder LabelledPages(const std::vector<std::string>& inLabels, const std::string& inSecondPageEntries = "")
{
    XrefStreamBuilder builder;
    std::string kids;
    for (size_t i = 0; i < inLabels.size(); ++i) {
        const int page = 4 + 2 * static_cast<int>(i);
        kids += std::to_string(page) + " 0 R ";
        builder.fileObjects[page] = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 200] /Contents " +
                                    std::to_string(page + 1) + " 0 R /Resources << /Font << /F1 3 0 R >> >> " +
                                    (i == 1 ? inSecondPageEntries : std::string()) + " >>";
        builder.fileObjects[page + 1] = PdfBuilder::Stream("BT /F1 24 Tf 20 100 Td (" + inLabels[i] + ") Tj ET");
    }
    builder.fileObjects[1] = "<< /Type /Catalog /Pages 2 0 R >>";
    builder.fileObjects[2] = "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(inLabels.size()) + " >>";
    builder.fileObjects[3] = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>";
    return builder;
}

} // namespace

TEST(DamagedSource, APageThatFailsPartWayLeavesADocumentThatEnds)
{
    // The second page of a three-page file names an object that cannot be read, found only after
    // other objects of the page were given numbers or written. Wherever the file stands among
    // good ones, the document ends soundly with every good page and the damaged file's first and
    // third: the failed page costs only itself, and the append names it.
    struct Damage {
        std::string name;
        std::string secondPageEntries;
        std::function<void(XrefStreamBuilder&)> add;
    };
    const std::string unknownFilter = "/N {N} /First {First} /Length {Length} /Filter /LZWDecode";
    const Damage damages[] = {
        {"a font in an object stream of an unknown filter", "/Resources << /Font << /F1 3 0 R /F2 21 0 R >> >>",
         [&](XrefStreamBuilder& b) {
             b.objectStreams[20] = {{21, "<< /Type /Font /Subtype /Type1 /BaseFont /Courier >>"}};
             b.objectStreamKeys[20] = unknownFilter;
         }},
        {"a font listed where it is not", "/Resources << /Font << /F1 3 0 R /F2 21 0 R >> >>",
         [](XrefStreamBuilder& b) { b.entryOverrides[21] = {1, 9, 0}; }},
        {"a group whose colour space cannot be read", "/Group << /S /Transparency /CS 21 0 R >>",
         [](XrefStreamBuilder& b) { b.fileObjects[21] = "<< /Broken (unended >>"; }},
        {"an image of a form whose colour space lies in such a stream",
         "/Resources << /Font << /F1 3 0 R >> /XObject << /Fm1 22 0 R >> >>",
         [&](XrefStreamBuilder& b) {
             b.fileObjects[22] = PdfBuilder::Stream("/Im1 Do", " /Type /XObject /Subtype /Form /BBox [0 0 10 10] "
                                                               "/Resources << /XObject << /Im1 23 0 R >> >>");
             b.fileObjects[23] = PdfBuilder::Stream("\x80", " /Type /XObject /Subtype /Image /Width 1 /Height 1 "
                                                             "/BitsPerComponent 8 /ColorSpace 21 0 R");
             b.objectStreams[20] = {{21, "[/Indexed /DeviceRGB 0 <FF0000>]"}};
             b.objectStreamKeys[20] = unknownFilter;
         }},
    };
    TestDirectory dir("damaged-part-way");
    const std::string good = (dir / "good.pdf").string();
    WriteFile(good, LabelledPages({"Good one", "Good two"}).Build());
    for (const Damage& damage : damages) {
        XrefStreamBuilder builder = LabelledPages({"Damaged one", "Damaged two", "Damaged three"}, damage.secondPageEntries);
        damage.add(builder);
        const std::string damaged = (dir / "damaged.pdf").string();
        WriteFile(damaged, builder.Build());
        for (size_t at = 0; at < 3; ++at) {
            SCOPED_TRACE(damage.name + ", at " + std::to_string(at));
            std::vector<std::string> sources(2, good);
            sources.insert(sources.begin() + static_cast<long>(at), damaged);
            const std::string target = (dir / ("merged" + std::to_string(at) + ".pdf")).string();
            LogCapture log;
            PDFWriter writer;
            ASSERT_EQ(writer.CreateNewPDF(target, 13, log.Settings()), eSuccess);
            std::vector<std::string> expected;
            for (const std::string& source : sources) {
                const AppendPagesResult result = writer.AppendPDFPagesFromPDF(source, PageSelection());
                EXPECT_EQ(result.mStatus == eSuccess, source == good) << log.Text();
                EXPECT_EQ(result.mPageObjectIDs.size(), 2u);
                EXPECT_EQ(result.mFailedPages, source == good ? std::vector<uint32_t>{} : std::vector<uint32_t>{1});
                for (const char* label : source == good ? std::vector<const char*>{"Good one", "Good two"}
                                                        : std::vector<const char*>{"Damaged one", "Damaged three"})
                    expected.push_back(label);
            }
            ASSERT_EQ(writer.EndPDF(), eSuccess) << log.Text();
            ExpectQpdfAccepts(target);
            ShownDocument shown(target, (dir / "shown").string());
            ASSERT_EQ(shown.TextPageCount(), 6);
            for (int page = 1; page <= 6; ++page)
                EXPECT_NE(shown.Text(page).find(expected[static_cast<size_t>(page - 1)]), std::string::npos)
                    << "page " << page << ": " << shown.Text(page);
        }
    }
}
