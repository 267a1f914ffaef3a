// Decodes the streams of a file written by an independent tool (qpdf writes its cross-reference
// streams with FlateDecode and the PNG Up predictor) and compares with that tool's own decoding.

#include "pdf/io/InputFlateDecodeStream.h"
#include "pdf/io/InputLimitedStream.h"
#include "pdf/io/InputPredictorFactory.h"

#include "FilterTestSupport.h"

#include "pdf/support/ExternalReaders.h"
#include "pdf/support/TestDirectory.h"

#include <cstdio>
#include <memory>

using namespace filtertest;
using testsupport::Quote;
using testsupport::ReadFile;
using testsupport::Run;
using testsupport::TestDirectory;

namespace {

// A classic-xref PDF with many small objects (they go into an object stream) and one stream of
// random bytes large enough to push offsets past 16 bits.
std::string MakeSourcePDF(int inPageCount, size_t inDataSize)
{
    std::vector<std::string> objects;
    objects.push_back("<< /Type /Catalog /Pages 2 0 R >>");
    std::string kids;
    for (int i = 0; i < inPageCount; ++i)
        kids += std::to_string(4 + i) + " 0 R ";
    objects.push_back("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(inPageCount) + " >>");
    Bytes data = PseudoRandomBytes(inDataSize, 99);
    objects.push_back("<< /Length " + std::to_string(inDataSize) + " >>\nstream\n" + std::string(data.begin(), data.end()) +
                      "\nendstream");
    for (int i = 0; i < inPageCount; ++i)
        objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 3 0 R >>");

    std::string pdf = "%PDF-1.5\n";
    std::vector<size_t> offsets;
    for (size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (size_t offset : offsets) {
        char row[32];
        snprintf(row, sizeof(row), "%010zu 00000 n \n", offset);
        pdf += row;
    }
    pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) +
           "\n%%EOF\n";
    return pdf;
}

long long IntegerAfter(const std::string& inDictionary, const std::string& inKey, long long inDefault)
{
    size_t at = inDictionary.find(inKey + " ");
    return at == std::string::npos ? inDefault : std::stoll(inDictionary.substr(at + inKey.size() + 1));
}

struct FoundStream {
    long long objectNumber;
    std::string dictionary;
    size_t dataStart;
};

// A small ad-hoc scan: each "N 0 obj" whose object holds a stream.
std::vector<FoundStream> FindStreams(const std::string& inFile)
{
    std::vector<FoundStream> found;
    for (size_t at = inFile.find(" 0 obj"); at != std::string::npos; at = inFile.find(" 0 obj", at + 1)) {
        size_t numberStart = at;
        while (numberStart > 0 && isdigit(static_cast<unsigned char>(inFile[numberStart - 1])))
            --numberStart;
        if (numberStart == at || (numberStart > 0 && inFile[numberStart - 1] != '\n'))
            continue;
        size_t keyword = inFile.find("stream", at);
        size_t objectEnd = inFile.find("endobj", at);
        if (keyword == std::string::npos || keyword > objectEnd)
            continue;
        size_t dataStart = keyword + 6;
        if (inFile[dataStart] == '\r')
            ++dataStart;
        ++dataStart; // the line feed
        found.push_back({std::stoll(inFile.substr(numberStart, at - numberStart)), inFile.substr(at, keyword - at), dataStart});
    }
    return found;
}

void CheckEveryStreamAgainstQpdf(int inPageCount, size_t inDataSize, long long inExpectedColumns)
{
    if (Run("command -v qpdf") != 0)
        GTEST_SKIP() << "qpdf is not installed";
    TestDirectory folder;
    std::string in = folder.Write("in.pdf", MakeSourcePDF(inPageCount, inDataSize));
    std::string out = folder.PathOf("out.pdf");
    ASSERT_EQ(Run("qpdf --object-streams=generate " + Quote(in) + " " + Quote(out)), 0);
    std::string pdf = ReadFile(out);

    bool sawXref = false;
    std::vector<FoundStream> streams = FindStreams(pdf);
    EXPECT_GE(streams.size(), 3u); // object stream(s), the data stream, the cross-reference stream
    for (const FoundStream& stream : streams) {
        SCOPED_TRACE("object " + std::to_string(stream.objectNumber));
        ASSERT_NE(stream.dictionary.find("/FlateDecode"), std::string::npos);
        long long length = IntegerAfter(stream.dictionary, "/Length", -1);
        ASSERT_GT(length, 0);
        Bytes raw(pdf.begin() + static_cast<std::ptrdiff_t>(stream.dataStart), pdf.end());

        InputFlateDecodeStream* flate = new InputFlateDecodeStream(new InputLimitedStream(new OwnedBytesReader(raw), length, true));
        ASSERT_EQ(flate->StartEncoding(), eSuccess);
        std::unique_ptr<IByteReader> decoded(CreatePredictorStream(flate, IntegerAfter(stream.dictionary, "/Predictor", 1),
                                                                   IntegerAfter(stream.dictionary, "/Colors", 1),
                                                                   IntegerAfter(stream.dictionary, "/BitsPerComponent", 8),
                                                                   IntegerAfter(stream.dictionary, "/Columns", 1)));
        ASSERT_TRUE(decoded);
        Bytes ours = ReadAll(*decoded, 1000);

        std::string theirs;
        Run("qpdf --show-object=" + std::to_string(stream.objectNumber) + " --filtered-stream-data " + Quote(out),
            &theirs);
        ASSERT_FALSE(theirs.empty());
        EXPECT_EQ(std::string(ours.begin(), ours.end()), theirs);

        if (stream.dictionary.find("/XRef") != std::string::npos) {
            sawXref = true;
            EXPECT_EQ(IntegerAfter(stream.dictionary, "/Predictor", 1), 12);
            EXPECT_EQ(IntegerAfter(stream.dictionary, "/Columns", 1), inExpectedColumns);
        }
    }
    EXPECT_TRUE(sawXref);
}

TEST(InputPredictorQpdf, CrossReferenceStreamWithFourColumns)
{
    CheckEveryStreamAgainstQpdf(30, 1000, 4);
}

TEST(InputPredictorQpdf, CrossReferenceStreamWithFiveColumnsAndALargeDataStream)
{
    CheckEveryStreamAgainstQpdf(300, 200000, 5);
}

} // namespace
