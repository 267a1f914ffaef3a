// Keywords of the file structure followed directly by a delimiter ("trailer<<", "obj[", "R/Key",
// ">>stream" ...) or by blanks before their line end ("stream \r\n"), bytes after the last
// "%%EOF", references to object 0 or to no object, and cross-reference streams with wide fields:
// each file opens with its pages, merges and splits into files that qpdf accepts and that keep
// what the glued objects held.

#include "ParserTestSupport.h"

#include "tests/pdf/copying/CopyTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <regex>
#include <string>
#include <vector>

using namespace parsertest;

namespace {

const char kHeader[] = "%PDF-1.5\n%\xE2\xE3\xCF\xD3\n";
const char kSpacedTrailer[] = "trailer\n<< /Size {size} /Root 1 0 R >>";
const char kGluedTrailer[] = "trailer<</Size {size}/Root 1 0 R>>";
const char kStartxref[] = "startxref\n{xref}\n%%EOF\n";

void Fill(std::string& ioText, const std::string& inField, const std::string& inValue)
{
    XrefStreamBuilder::Substitute(ioText, "{" + inField + "}", inValue);
}

// Two pages sharing a content stream (object 5) that draws kText with the font of object 7.
const std::string kText = "BT /F1 12 Tf 20 100 Td (Glued) Tj ET";
const std::map<int, std::string> kBase = {
    {1, "<< /Type /Catalog /Pages 2 0 R >>"},
    {2, "<< /Type /Pages /Kids [ 3 0 R 4 0 R ] /Count 2 /MediaBox [0 0 300 200] >>"},
    {3, "<< /Type /Page /Parent 2 0 R /Contents 5 0 R /Resources 6 0 R >>"},
    {4, "<< /Type /Page /Parent 2 0 R /Contents 5 0 R /Resources 6 0 R >>"},
    {5, PdfBuilder::Stream(kText)},
    {6, "<< /Font << /F1 7 0 R >> /ProcSet [/PDF /Text] >>"},
    {7, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"}};

// The base objects, spaced, with some replaced or added by objects given exactly as they stand in
// the file ("3 0 obj<<...>>endobj").
std::string Objects(const std::map<int, std::string>& inRaw)
{
    std::map<int, std::string> all;
    for (const auto& object : kBase)
        all[object.first] = std::to_string(object.first) + " 0 obj\n" + object.second + "\nendobj";
    for (const auto& object : inRaw)
        all[object.first] = object.second;
    std::string out;
    for (const auto& object : all)
        out += object.second + "\n";
    return out;
}

// Every object of the text by id, found at its declaration, with its offset counted from inBase.
std::map<int, long long> Declarations(const std::string& inText, long long inBase)
{
    std::map<int, long long> offsets;
    static const std::regex declaration("(^|\n)(\\d+) 0 obj");
    for (std::sregex_iterator it(inText.begin(), inText.end(), declaration), end; it != end; ++it)
        offsets[std::stoi((*it)[2])] = inBase + (*it).position(2);
    return offsets;
}

// The objects as they stand in the file (numbered from 1 without a gap), listed by a classic
// table with the trailer text ({size} filled in) or, with no trailer text, by a cross-reference
// stream whose own object is glued as well; outXref: where the listing starts.
std::string BuildFile(const std::string& inObjects, const std::string& inTrailer = kSpacedTrailer,
                      const std::string& inStartxref = kStartxref, long long* outXref = nullptr)
{
    std::string out = kHeader;
    std::map<int, long long> offsets = Declarations(inObjects, static_cast<long long>(out.size()));
    out += inObjects;
    const int size = static_cast<int>(offsets.size()) + 1;
    const long long xref = static_cast<long long>(out.size());
    if (inTrailer.empty()) {
        offsets[size] = xref; // the stream lists itself
        std::string rows = std::string("\0\0\0\0\0\xFF\xFF", 7);
        for (int id = 1; id <= size; ++id) {
            rows += '\1';
            for (int shift = 24; shift >= 0; shift -= 8)
                rows += static_cast<char>((offsets.at(id) >> shift) & 0xFF);
            rows += std::string(2, '\0');
        }
        out += std::to_string(size) + " 0 obj<</Type/XRef/Size " + std::to_string(size + 1) +
               "/W[1 4 2]/Root 1 0 R/Length " + std::to_string(rows.size()) + ">>stream\n" + rows +
               "\nendstream\nendobj\n";
    } else {
        out += "xref\n0 " + std::to_string(size) + "\n" + PdfBuilder::Row(0, 65535, 'f');
        for (int id = 1; id < size; ++id)
            out += PdfBuilder::Row(offsets.at(id), 0, 'n');
        std::string trailer = inTrailer;
        Fill(trailer, "size", std::to_string(size));
        out += trailer + "\n";
    }
    std::string startxref = inStartxref;
    Fill(startxref, "xref", std::to_string(xref));
    if (outXref)
        *outXref = xref;
    return out + startxref;
}

const std::string kGluedObjects =
    "1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj\n"
    "2 0 obj<</Type/Pages/Kids[3 0 R 4 0 R]/Count 2/MediaBox[0 0 300 200]>>endobj\n"
    "3 0 obj<</Type/Page/Parent 2 0 R/Contents 5 0 R/Resources 6 0 R>>endobj\n"
    "4 0 obj<</Type/Page/Parent 2 0 R/Contents[5 0 R]/Resources 6 0 R>>endobj\n"
    "5 0 obj<</Length 36>>stream\n" + kText + "\nendstream\nendobj\n"
    "6 0 obj<</Font<</F1 7 0 R>>/ProcSet[/PDF/Text]>>endobj\n"
    "7 0 obj<</Type/Font/Subtype/Type1/BaseFont/Helvetica>>endobj\n";

// Resources with an optional content group (object 8) whose Name is object 9.
std::string NamedLayer(const std::string& inNameObject)
{
    return Objects({{6, "6 0 obj\n<< /Font << /F1 7 0 R >> /Properties << /MC0 8 0 R >> >>\nendobj"},
                    {8, "8 0 obj\n<< /Type /OCG /Name 9 0 R >>\nendobj"},
                    {9, inNameObject}});
}

struct KeywordRow {
    const char* name;
    std::string bytes;
    int pages;
    // What qpdf's JSON of the one-page split shows when the objects that the row glues were read.
    std::string copied;
    bool cleanSource = true; // qpdf --check finds nothing in the source
    bool qpdfReadsSource = true;
};

// The glued file updated: a third page added, the new trailer glued to its keyword.
std::string GluedUpdate()
{
    long long xref = 0;
    const std::string base = BuildFile(kGluedObjects, kGluedTrailer, kStartxref, &xref);
    std::string updated =
        AppendUpdate(base, xref, 9,
                     {{2, "<< /Type /Pages /Kids [3 0 R 4 0 R 8 0 R] /Count 3 /MediaBox [0 0 300 200] >>"},
                      {8, "<< /Type /Page /Parent 2 0 R /Contents 5 0 R /Resources 6 0 R >>"}});
    updated.replace(updated.rfind("trailer\n<< "), 11, "trailer<<");
    return updated;
}

const std::vector<KeywordRow> kKeywordRows = {
    {"spaced keywords", BuildFile(Objects({})), 2, "/Helvetica"},
    {"trailer<<", BuildFile(Objects({}), kGluedTrailer), 2, "/Helvetica"},
    {"trailer%comment",
     BuildFile(Objects({}), "trailer%the dictionary follows\n<< /Size {size} /Root 1 0 R >>"), 2, "/Helvetica"},
    {"startxref%comment", BuildFile(Objects({}), kGluedTrailer, "startxref%at\n{xref}\n%%EOF\n"), 2, "/Helvetica"},
    {"obj<< and >>endobj", BuildFile(Objects({{1, "1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj"}})), 2,
     "/Helvetica"},
    {"obj[ as Contents",
     BuildFile(Objects({{3, "3 0 obj\n<< /Type /Page /Parent 2 0 R /Contents 8 0 R /Resources 6 0 R >>\nendobj"},
                        {8, "8 0 obj[5 0 R]endobj"}})),
     2, "/Helvetica"},
    // Kids by reference, to an array object whose keyword is glued to it.
    {"obj[ as Kids",
     BuildFile(Objects({{2, "2 0 obj\n<< /Type /Pages /Kids 8 0 R /Count 2 /MediaBox [0 0 300 200] >>\nendobj"},
                        {8, "8 0 obj[3 0 R 4 0 R]endobj"}})),
     2, "/Helvetica"},
    {"obj/Name",
     BuildFile(Objects({{7, "7 0 obj\n<< /Type /Font /Subtype /Type1 /BaseFont 8 0 R >>\nendobj"},
                        {8, "8 0 obj/Courier\nendobj"}})),
     2, "\"/Courier\""},
    {"obj(string)", BuildFile(NamedLayer("9 0 obj(Glued layer)endobj")), 2, "u:Glued layer"},
    {"obj<hex>", BuildFile(NamedLayer("9 0 obj<476C75656420686578>endobj")), 2, "u:Glued hex"},
    {"obj%comment",
     BuildFile(Objects({{5, "5 0 obj%content\n<< /Length 36 >>\nstream\n" + kText + "\nendstream\nendobj"},
                        {7, "7 0 obj%font\n<< /Type /Font /Subtype /Type1 /BaseFont /Times-Roman >>\nendobj"}})),
     2, "/Times-Roman"},
    {">>stream", BuildFile(Objects({{5, "5 0 obj<</Length 36>>stream\n" + kText + "\nendstream\nendobj"}})), 2,
     "/Helvetica"},
    {"endstream endobj on one line",
     BuildFile(Objects({{5, "5 0 obj\n<< /Length 36 >>\nstream\n" + kText + "\nendstream endobj"}})), 2,
     "/Helvetica"},
    {"endstream%comment",
     BuildFile(Objects({{5, "5 0 obj\n<< /Length 36 >>\nstream\n" + kText + "\nendstream%end\nendobj"}})), 2,
     "/Helvetica"},
    {"R>>", BuildFile(Objects({{6, "6 0 obj\n<< /Font <</F1 7 0 R>> >>\nendobj"}})), 2, "/Helvetica"},
    {"R]",
     BuildFile(Objects(
         {{2, "2 0 obj\n<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 /MediaBox [0 0 300 200] >>\nendobj"},
          {4, "4 0 obj\n<< /Type /Page /Parent 2 0 R /Contents [5 0 R] /Resources 6 0 R >>\nendobj"}})),
     2, "/Helvetica"},
    {"R/Key",
     BuildFile(Objects(
         {{3, "3 0 obj\n<< /Type /Page /Parent 2 0 R/Contents 5 0 R/Resources 6 0 R/Rotate 90 >>\nendobj"}})),
     2, "/Helvetica"},
    {"R( R<hex> R%comment",
     BuildFile(Objects(
         {{6, "6 0 obj\n<< /Font << /F1 7 0 R >> /Properties << /MC0 8 0 R >> >>\nendobj"},
          {8, "8 0 obj\n<< /Type /OCG /Name (Layer) /Extra [7 0 R(after R)7 0 R<4142>7 0 R%note\n] >>\nendobj"}})),
     2, "u:after R"},
    {"everything glued", BuildFile(kGluedObjects, kGluedTrailer), 2, "/Helvetica"},
    {"cross-reference stream obj<</Type/XRef", BuildFile(kGluedObjects, ""), 2, "/Helvetica"},
    {"update with trailer<< and Prev", GluedUpdate(), 3, "/Helvetica"},
    // References to object 0, which no file holds, and to an object the file lacks read as null.
    {"CropBox 0 0 R and Rotate 0 0 R",
     BuildFile(Objects({{3, "3 0 obj\n<< /Type /Page /Parent 2 0 R /Contents 5 0 R /Resources 6 0 R /CropBox 0 0 R "
                            "/Rotate 0 0 R /UserUnit 99 0 R >>\nendobj"}})),
     2, "/Helvetica"},
    {"Annots [0 0 R 99 0 R]",
     BuildFile(Objects(
         {{3, "3 0 obj<</Type/Page/Parent 2 0 R/Contents 5 0 R/Resources 6 0 R/Annots[0 0 R 99 0 R]>>endobj"}})),
     2, "/Helvetica"},
    {"resources naming 0 0 R and 99 0 R",
     BuildFile(Objects({{6, "6 0 obj\n<< /Font << /F1 7 0 R /F0 0 0 R >> /XObject << /X9 99 0 R >> "
                            "/ExtGState [0 0 R] >>\nendobj"}})),
     2, "/Helvetica"},
    // qpdf reports the null among the content streams of the source, not of the copies.
    {"Contents [5 0 R 0 0 R]",
     BuildFile(Objects(
         {{3, "3 0 obj\n<< /Type /Page /Parent 2 0 R /Contents [5 0 R 0 0 R] /Resources 6 0 R >>\nendobj"}})),
     2, "/Helvetica", false},
};

std::string QpdfJson(const std::string& inPath)
{
    std::string json;
    testsupport::Run("qpdf --json=2 --json-key=qpdf " + Quote(inPath), &json);
    return json;
}

// The row's file opens with its pages; merged whole (twice) and split (its first page), it gives
// files that qpdf accepts and that keep the objects the row glued.
void ExpectRowCopies(const KeywordRow& inRow, const TestDirectory& inDir)
{
    auto parsed = ParseBytes(inRow.bytes);
    ASSERT_EQ(parsed->status, eSuccess);
    EXPECT_EQ(parsed->parser.GetPageCount(), static_cast<uint32_t>(inRow.pages));
    EXPECT_FALSE(parsed->parser.HasEncryptionDictionary());
    // The file is what other readers read too.
    std::string source = inDir.Write("source.pdf", inRow.bytes);
    if (inRow.cleanSource)
        testsupport::ExpectQpdfAccepts(source);
    if (inRow.qpdfReadsSource) {
        ASSERT_EQ(QpdfPageCount(source, !inRow.cleanSource), inRow.pages);
    }

    std::string merged = inDir.PathOf("merged.pdf");
    std::string split = inDir.PathOf("split.pdf");
    ASSERT_EQ(copytest::AppendFiles(merged, {source, source}), eSuccess);
    ASSERT_EQ(copytest::AppendFiles(split, {source}, copytest::Ranges({{0, 0}})), eSuccess);
    testsupport::ExpectQpdfAccepts(merged);
    testsupport::ExpectQpdfAccepts(split);
    EXPECT_EQ(QpdfPageCount(merged), 2 * inRow.pages);
    EXPECT_EQ(QpdfPageCount(split), 1);
    EXPECT_NE(QpdfJson(split).find(inRow.copied), std::string::npos);
    for (const std::string& copy : {merged, split}) {
        std::string text;
        testsupport::Run("pdftotext -q " + Quote(copy) + " -", &text);
        EXPECT_NE(text.find("Glued"), std::string::npos) << copy << text;
    }
}

// "stream" then blanks or a tab before its line end, in an object of the file, beside an object
// stream (and begun so itself), and glued to its dictionary. qpdf warns about the sources only.
const std::vector<KeywordRow> kStreamLineEndRows = {
    {"stream \\r\\n",
     BuildFile(Objects({{5, "5 0 obj\n<< /Length 36 >> stream \r\n" + kText + "\nendstream\nendobj"}})), 2,
     "/Helvetica", false},
    {"stream  \\n",
     [] {
         XrefStreamBuilder builder;
         builder.streamKeyword = "stream  \n";
         for (int id : {1, 2, 3, 4})
             builder.fileObjects[id] = kBase.at(id);
         builder.fileObjects[5] = "<< /Length 36 >>\nstream  \n" + kText + "\nendstream";
         builder.objectStreams[10] = {{6, kBase.at(6)}, {7, kBase.at(7)}};
         return builder.Build();
     }(),
     2, "/Helvetica", false},
    {"stream\\t\\r\\n",
     [] {
         std::string objects = kGluedObjects;
         XrefStreamBuilder::Substitute(objects, ">>stream\n", ">>stream\t\r\n");
         return BuildFile(objects, kGluedTrailer);
     }(),
     2, "/Helvetica", false},
};

// Bytes after the last "%%EOF", which must lie within the file's last 1024 bytes, trailing
// whitespace aside. qpdf warns about some of the sources, not about the copies.
const std::string kEndOfFile = BuildFile(Objects({}));
// Zeros with binary bytes among them and at their end, then zeros: with 1018, "%%EOF" starts
// 1024 bytes before the end.
std::string JunkAfterEndOfFile(size_t inLength)
{
    std::string junk(inLength, '\0');
    junk[100] = '\x01';
    junk[101] = '\xFF';
    junk[inLength - 1] = '\x7F';
    return junk + std::string(8, '\0');
}

const std::vector<KeywordRow> kEndOfFileRows = {
    {"zeros and binary bytes after %%EOF", kEndOfFile + JunkAfterEndOfFile(1018), 2, "/Helvetica", false},
    {"a text line after %%EOF", kEndOfFile + "SomeData\n", 2, "/Helvetica"},
    {"blanks and many zeros after %%EOF", kEndOfFile + " \r\n\t \n\n" + std::string(4096, '\0'), 2, "/Helvetica", false},
    // The last of two markers is the update's.
    {"an update followed by a text line", GluedUpdate() + "SomeData", 3, "/Helvetica"},
};

// One page listed by a cross-reference stream of the given field widths, its resources in an
// object stream, with extra entries (ids 8 on) whose values do not fit what an entry holds.
// qpdf refuses fields wider than 8 bytes and indexes beyond 32 bits (mutool reads such files).
struct WideFieldRow {
    const char* name;
    std::array<int, 3> widths;
    std::map<int, std::array<unsigned long long, 3>> unfit;
    bool padded = false; // object 8's position gets a padding byte that is not zero
};

const std::vector<WideFieldRow> kWideFieldRows = {
    {"W [1 3 6]", {1, 3, 6}, {}},
    {"W [1 4 8]", {1, 4, 8}, {}},
    {"a generation and a position beyond their fields", {1, 8, 8}, {{8, {1, 0, 70000}}, {9, {1, 1ULL << 63, 0}}}},
    {"W [1 9 9] padded with zeros but for one position; an index and a stream beyond 32 bits",
     {1, 9, 9},
     {{8, {1, 0, 0}}, {10, {2, 20, 1ULL << 32}}, {11, {2, 1ULL << 32, 0}}},
     true},
};

std::string WideFieldFile(const WideFieldRow& inRow)
{
    XrefStreamBuilder builder;
    builder.widths = inRow.widths;
    builder.fileObjects = {{1, kBase.at(1)},
                           {2, "<< /Type /Pages /Kids [ 3 0 R ] /Count 1 /MediaBox [0 0 300 200] >>"},
                           {3, kBase.at(3)},
                           {5, kBase.at(5)}};
    builder.objectStreams[20] = {{6, kBase.at(6)}, {7, kBase.at(7)}};
    builder.entryOverrides = inRow.unfit;
    std::string bytes = builder.Build();
    if (inRow.padded) {
        const size_t entry = static_cast<size_t>(inRow.widths[0] + inRow.widths[1] + inRow.widths[2]);
        bytes[bytes.rfind(">>\nstream\n") + 10 + 8 * entry + static_cast<size_t>(inRow.widths[0])] = '\x01';
    }
    return bytes;
}

} // namespace

TEST(KeywordDelimiter, CrossReferenceStreamsWithWideFields)
{
    TestDirectory dir("widefields");
    for (const WideFieldRow& row : kWideFieldRows) {
        SCOPED_TRACE(row.name);
        const std::string bytes = WideFieldFile(row);
        ExpectRowCopies({row.name, bytes, 1, "/Helvetica", row.unfit.empty(), !row.padded}, dir);
        // Only the objects whose entries do not fit are lost.
        auto parsed = ParseBytes(bytes);
        for (const auto& entry : row.unfit)
            EXPECT_EQ(parsed->parser.ParseObjectByID(static_cast<uint32_t>(entry.first)), nullptr) << entry.first;
    }
}

TEST(KeywordDelimiter, StreamKeywordWithBlanksAndBytesAfterTheLastEndOfFileMarker)
{
    TestDirectory dir("streamblanks");
    for (const auto* rows : {&kStreamLineEndRows, &kEndOfFileRows}) {
        for (const KeywordRow& row : *rows) {
            SCOPED_TRACE(row.name);
            ExpectRowCopies(row, dir);
        }
    }
    // One byte more, and the marker lies beyond the bytes searched.
    const std::string far = kEndOfFile + JunkAfterEndOfFile(1019);
    EXPECT_EQ(ParseBytes(far)->status, eFailure);
    EXPECT_NE(copytest::AppendFiles(dir.PathOf("far.pdf"), {dir.Write("far-source.pdf", far)}), eSuccess);
}

TEST(KeywordDelimiter, GluedKeywordsAndNullReferencesOpenMergeAndSplit)
{
    TestDirectory dir("glued");
    for (const KeywordRow& row : kKeywordRows) {
        SCOPED_TRACE(row.name);
        ExpectRowCopies(row, dir);
    }
}

TEST(KeywordDelimiter, EncryptDictionaryAfterTrailerIsSeen)
{
    const std::string encrypt = "/Filter/Standard/V 1/R 2/O<" + std::string(64, 'A') + ">/U<" + std::string(64, 'B') +
                                ">/P -4";
    const std::vector<std::pair<std::string, std::string>> files = {
        {"in the trailer",
         BuildFile(kGluedObjects, "trailer<</Size {size}/Root 1 0 R/Encrypt<<" + encrypt + ">>/ID[<01><01>]>>")},
        {"by reference", BuildFile(kGluedObjects + "8 0 obj<<" + encrypt + ">>endobj\n",
                                   "trailer<</Size {size}/Root 1 0 R/Encrypt 8 0 R>>")}};
    for (const auto& file : files) {
        SCOPED_TRACE(file.first);
        auto parsed = ParseBytes(file.second);
        EXPECT_EQ(parsed->status, eSuccess);
        EXPECT_TRUE(parsed->parser.HasEncryptionDictionary());
        EXPECT_EQ(parsed->parser.GetPageCount(), 0u);
    }
}
