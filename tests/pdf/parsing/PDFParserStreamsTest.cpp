// Stream data readers: filters in order, predictors, values given by reference (also from inside
// object streams, which moves the source while the reader is being built), object streams too
// large to keep decoded, and the extender hooks.

#include "ParserTestSupport.h"
#include "ParserWalk.h"

#include "pdf/objects/PDFObjects.h"
#include "pdf/parsing/IPDFParserExtender.h"

#include "pdf/support/ZlibData.h"

#include <gtest/gtest.h>

using namespace parsertest;
using testsupport::Deflate;

namespace {

std::string Ascii85(const std::string& inData)
{
    std::string out;
    for (size_t i = 0; i < inData.size(); i += 4) {
        size_t count = std::min<size_t>(4, inData.size() - i);
        uint32_t value = 0;
        for (size_t k = 0; k < 4; ++k)
            value = (value << 8) | (k < count ? static_cast<Byte>(inData[i + k]) : 0);
        char digits[5];
        for (int k = 4; k >= 0; --k) {
            digits[k] = static_cast<char>('!' + value % 85);
            value /= 85;
        }
        out.append(digits, count + 1);
    }
    return out + "~>";
}

// The decoded data of object inID, or "<none>" when no reader could be made.
std::string ReadStream(PDFParser& inParser, uint32_t inID)
{
    PDFObjectCastPtr<PDFStreamInput> stream(inParser.ParseObjectByID(inID));
    if (!stream)
        return "<no stream>";
    inParser.GetParserStream()->SeekFromStart(stream->GetStreamContentStart());
    std::unique_ptr<IByteReader> reader(inParser.CreateInputStreamReader(stream.GetPtr()));
    if (!reader)
        return "<none>";
    std::string out;
    Byte buffer[4096];
    while (reader->HasMoreBytes()) {
        size_t got = reader->Read(buffer, sizeof(buffer));
        if (got == 0)
            break;
        out.append(reinterpret_cast<char*>(buffer), got);
    }
    return out;
}

const std::string kContent = "q 1 0 0 1 10 10 cm 0 0 m 100 100 l S Q BT /F1 12 Tf (Hello) Tj ET\n";

} // namespace

TEST(PDFParserStreamsTest, FiltersDecodeInOrder)
{
    PdfBuilder builder = PagesDocument({""});
    builder.Add(PdfBuilder::Stream(Deflate(Ascii85(kContent)), " /Filter [/FlateDecode /ASCII85Decode] /DecodeParms [null null]"));
    builder.Add(PdfBuilder::Stream(Ascii85(Deflate(kContent)), " /Filter [/ASCII85Decode /FlateDecode]"));
    builder.Add(PdfBuilder::Stream(Deflate(kContent), " /Filter /FlateDecode"));
    auto parsed = ParseBytes(builder.Build());
    ASSERT_EQ(parsed->status, eSuccess);
    EXPECT_EQ(ReadStream(parsed->parser, 5), kContent);
    EXPECT_EQ(ReadStream(parsed->parser, 6), kContent);
    EXPECT_EQ(ReadStream(parsed->parser, 7), kContent);
    EXPECT_EQ(ReadStream(parsed->parser, 4), "0 0 m 0 10 l S");
}

TEST(PDFParserStreamsTest, PngUpPredictor)
{
    // Rows of 5 bytes, each after the PNG filter byte 2 (Up).
    std::string rows, expected, previous(5, '\0');
    for (int row = 0; row < 4; ++row) {
        std::string line;
        for (int k = 0; k < 5; ++k)
            line.push_back(static_cast<char>(row * 7 + k * 3));
        expected += line;
        rows.push_back('\x02');
        for (int k = 0; k < 5; ++k)
            rows.push_back(static_cast<char>(line[k] - previous[k]));
        previous = line;
    }
    PdfBuilder builder = PagesDocument({""});
    builder.Add(PdfBuilder::Stream(Deflate(rows), " /Filter /FlateDecode /DecodeParms << /Predictor 12 /Columns 5 >>"));
    builder.Add("12");
    builder.Add(PdfBuilder::Stream(Deflate(rows), " /Filter /FlateDecode /DecodeParms << /Predictor 6 0 R /Columns 5 >>"));
    auto parsed = ParseBytes(builder.Build());
    ASSERT_EQ(parsed->status, eSuccess);
    EXPECT_EQ(ReadStream(parsed->parser, 5), expected);
    EXPECT_EQ(ReadStream(parsed->parser, 7), expected);
}

TEST(PDFParserStreamsTest, ValuesByReferenceAreReadBeforeTheData)
{
    // Length, Filter and DecodeParms named by objects in the file and inside an object stream:
    // reading them moves the source, which must be back at the data when the reader reads.
    std::string compressed = Deflate(kContent);
    XrefStreamBuilder builder;
    builder.fileObjects[1] = "<< /Type /Catalog /Pages 2 0 R >>";
    builder.fileObjects[2] = "<< /Type /Pages /Kids [3 0 R] /Count 1 >>";
    builder.fileObjects[3] = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 9 9] /Contents [10 0 R 11 0 R 12 0 R] >>";
    builder.objectStreams[20] = {{21, std::to_string(compressed.size())}, {22, "/FlateDecode"}, {23, "<< /Predictor 1 >>"},
                                 {24, "[/FlateDecode]"}};
    builder.fileObjects[25] = std::to_string(compressed.size());
    builder.fileObjects[10] = "<< /Length 21 0 R /Filter 22 0 R /DecodeParms 23 0 R >>\nstream\n" + compressed + "\nendstream";
    builder.fileObjects[11] = "<< /Length 25 0 R /Filter 24 0 R >>\nstream\n" + compressed + "\nendstream";
    builder.fileObjects[12] = "<< /Length 21 0 R /Filter [22 0 R] >>\nstream\n" + compressed + "\nendstream";
    auto parsed = ParseBytes(builder.Build());
    ASSERT_EQ(parsed->status, eSuccess);
    EXPECT_EQ(ReadStream(parsed->parser, 10), kContent);
    EXPECT_EQ(ReadStream(parsed->parser, 11), kContent);
    // Filter array elements must be names themselves.
    EXPECT_EQ(ReadStream(parsed->parser, 12), "<none>");
}

TEST(PDFParserStreamsTest, ObjectStreamsReadInAnyOrder)
{
    // Several object streams, objects read in an order that jumps between them.
    XrefStreamBuilder builder;
    builder.fileObjects[1] = "<< /Type /Catalog /Pages 2 0 R >>";
    builder.fileObjects[2] = "<< /Type /Pages /Kids [] /Count 0 >>";
    for (int stream = 0; stream < 5; ++stream) {
        int streamID = 100 + stream * 100;
        for (int i = 1; i <= 40; ++i)
            builder.objectStreams[streamID].push_back({streamID + i, "[" + std::to_string(streamID + i) + " (s)]"});
    }
    auto parsed = ParseBytes(builder.Build());
    ASSERT_EQ(parsed->status, eSuccess);
    for (int round = 0; round < 2; ++round) {
        for (int i = 40; i >= 1; --i) {
            for (int stream = 4; stream >= 0; --stream) {
                uint32_t id = static_cast<uint32_t>(100 + stream * 100 + i);
                PDFObjectCastPtr<PDFArray> array(parsed->parser.ParseObjectByID(id));
                ASSERT_TRUE(array) << id;
                PDFObjectCastPtr<PDFInteger> first(array->QueryObject(0));
                EXPECT_EQ(first->GetValue(), static_cast<long long>(id));
            }
        }
    }
    // An entry whose index does not match the stream's header.
    EXPECT_EQ(parsed->parser.GetXrefEntry(101)->mGeneration, 0u);
}

TEST(PDFParserStreamsTest, ObjectStreamTooLargeToKeep)
{
    // 40 MB of decoded data: read again from its start for each object instead of being kept.
    std::string objects = "<< /First true >>\n" + std::string(40 * 1024 * 1024, ' ') + "(last)\n";
    std::string header = "30 0 31 " + std::to_string(objects.size() - 7) + " ";
    std::string data = header + objects;
    std::string compressed = Deflate(data);
    XrefStreamBuilder builder;
    builder.fileObjects[1] = "<< /Type /Catalog /Pages 2 0 R >>";
    builder.fileObjects[2] = "<< /Type /Pages /Kids [] /Count 0 >>";
    builder.fileObjects[29] = "<< /Type /ObjStm /N 2 /First " + std::to_string(header.size()) + " /Length " +
                              std::to_string(compressed.size()) + " /Filter /FlateDecode >>\nstream\n" + compressed +
                              "\nendstream";
    builder.entryOverrides[30] = {2, 29, 0};
    builder.entryOverrides[31] = {2, 29, 1};
    builder.entryOverrides[32] = {2, 29, 0};
    auto parsed = ParseBytes(builder.Build());
    ASSERT_EQ(parsed->status, eSuccess);
    for (int round = 0; round < 2; ++round) {
        PDFObjectCastPtr<PDFDictionary> first(parsed->parser.ParseObjectByID(30));
        ASSERT_TRUE(first);
        EXPECT_TRUE(first->Exists("First"));
        PDFObjectCastPtr<PDFLiteralString> last(parsed->parser.ParseObjectByID(31));
        ASSERT_TRUE(last);
        EXPECT_EQ(last->GetValue(), "last");
    }
    // Index 0 names object 30, not 32: the wrong object is refused.
    EXPECT_EQ(parsed->parser.ParseObjectByID(32), nullptr);
}

namespace {

class RecordingExtender : public IPDFParserExtender {
public:
    IByteReader* CreateFilterForStream(IByteReader* inStream, PDFName* inFilterName, PDFDictionary*) override
    {
        filters.push_back(inFilterName->GetValue());
        return inStream;
    }
    bool DoesSupportEncryption() override { return false; }
    IByteReader* CreateDefaultReadStream(IByteReader* inStream) override
    {
        ++defaultStreams;
        return inStream;
    }
    std::string DecryptString(const std::string& inText) override { return "[" + inText + "]"; }
    void OnObjectStart(long long inObjectID, long long) override { started.push_back(inObjectID); }
    void OnObjectEnd(PDFObject*) override { ++ended; }

    std::vector<std::string> filters;
    std::vector<long long> started;
    int defaultStreams = 0;
    int ended = 0;
};

} // namespace

TEST(PDFParserStreamsTest, ExtenderHooks)
{
    PdfBuilder builder = PagesDocument({""});
    builder.Add("[(lit) <4142>]");
    builder.Add(PdfBuilder::Stream("abc", " /Filter /RunLengthDecode"));
    RecordingExtender extender;
    auto parsed = std::make_unique<ParsedBytes>(builder.Build());
    parsed->parser.SetParserExtender(&extender);
    EXPECT_EQ(parsed->parser.GetParserExtender(), &extender);

    PDFObjectCastPtr<PDFArray> strings(parsed->parser.ParseObjectByID(5));
    ASSERT_TRUE(strings);
    EXPECT_EQ(PDFObjectCastPtr<PDFLiteralString>(strings->QueryObject(0))->GetValue(), "[lit]");
    EXPECT_EQ(PDFObjectCastPtr<PDFHexString>(strings->QueryObject(1))->GetValue(), "[4142]");
    EXPECT_EQ(extender.started, (std::vector<long long>{5}));
    EXPECT_EQ(extender.ended, 1);

    // The extender does not know RunLengthDecode either: no reader.
    EXPECT_EQ(ReadStream(parsed->parser, 6), "<none>");
    EXPECT_EQ(extender.filters, (std::vector<std::string>{"RunLengthDecode"}));
    EXPECT_EQ(extender.defaultStreams, 1);
}

TEST(PDFParserStreamsTest, ObjectStreamHeaderVariants)
{
    // Plain headers are read straight from the data, the others through tokens: both must agree
    // on which objects can be read. {S} stands for the second object's offset.
    const std::string objects = "(first)\n(second)\n";
    const std::string second = std::to_string(objects.find("(second)"));
    const struct {
        std::string header;
        bool readable;
    } cases[] = {
        {"30 0 31 {S} ", true},
        {"\r\n 30\t0\n31 {S}\n\n", true},
        {"30 0 31 {S}", true},
        {"30 0 % a note\n31 {S} ", true},
        {"+30 0 31 {S} ", true},
        {"30 0 31 ", false},
        {"30 0 31 x ", false},
        {"30 0 31 1.5 ", false},
        {"30 0 31 {S}/ ", true},
        {"4294967326 0 31 {S} ", false},
        {"30 0 31 99999999999999999999999 ", false},
    };
    for (const auto& item : cases) {
        std::string header = item.header;
        XrefStreamBuilder::Substitute(header, "{S}", second);
        SCOPED_TRACE(header);
        const std::string data = header + objects;
        XrefStreamBuilder builder;
        builder.fileObjects[1] = "<< /Type /Catalog /Pages 2 0 R >>";
        builder.fileObjects[2] = "<< /Type /Pages /Kids [] /Count 0 >>";
        builder.fileObjects[29] = "<< /Type /ObjStm /N 2 /First " + std::to_string(header.size()) + " /Length " +
                                  std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream";
        builder.entryOverrides[30] = {2, 29, 0};
        builder.entryOverrides[31] = {2, 29, 1};
        auto parsed = ParseBytes(builder.Build());
        ASSERT_EQ(parsed->status, eSuccess);
        PDFObjectCastPtr<PDFLiteralString> last(parsed->parser.ParseObjectByID(31));
        EXPECT_EQ(static_cast<bool>(last), item.readable);
        if (last) {
            EXPECT_EQ(last->GetValue(), "second");
        }
    }
}

TEST(PDFParserStreamsTest, ObjectStreamsOfEverySizeAroundTheBufferSteps)
{
    // Decoded object streams go into room reserved from what they declare (DL, or a guess from
    // their size in the file) that doubles as they grow: every size around the steps of that room
    // and of the file's read buffer reads back whole, whether the data compresses a hundredfold or
    // barely, and whatever DL says.
    std::vector<size_t> sizes = {(1 << 20) + 3};
    for (size_t step : {4096, 8192, 16384, 65536, 262144})
        for (size_t size : {step - 1, step, step + 1})
            sizes.push_back(size);
    const std::string first = "<< /A 1 >>\n";
    const std::string header = "30 0 31 " + std::to_string(first.size()) + " ";
    for (size_t size : sizes) {
        for (bool noisy : {false, true}) {
            // The second object, a string, ends with the data.
            std::string text(size - header.size() - first.size() - 2, 'x');
            uint32_t state = static_cast<uint32_t>(size);
            for (char& c : text)
                c = noisy ? static_cast<char>('a' + (state = state * 1103515245u + 12345u) % 26) : c;
            const std::string data = header + first + "(" + text + ")";
            const std::string compressed = Deflate(data);
            for (const std::string declared : {"", " /DL {size}", " /DL 1", " /DL 999999999999"}) {
                std::string keys = declared;
                XrefStreamBuilder::Substitute(keys, "{size}", std::to_string(size));
                SCOPED_TRACE(std::to_string(size) + (noisy ? " noisy" : " plain") + keys);
                XrefStreamBuilder builder;
                builder.fileObjects[1] = "<< /Type /Catalog /Pages 2 0 R >>";
                builder.fileObjects[2] = "<< /Type /Pages /Kids [] /Count 0 >>";
                builder.fileObjects[29] = "<< /Type /ObjStm /N 2 /First " + std::to_string(header.size()) + " /Length " +
                                          std::to_string(compressed.size()) + " /Filter /FlateDecode" + keys +
                                          " >>\nstream\n" + compressed + "\nendstream";
                builder.entryOverrides[30] = {2, 29, 0};
                builder.entryOverrides[31] = {2, 29, 1};
                auto parsed = ParseBytes(builder.Build());
                ASSERT_EQ(parsed->status, eSuccess);
                PDFObjectCastPtr<PDFLiteralString> last(parsed->parser.ParseObjectByID(31));
                ASSERT_TRUE(last);
                EXPECT_EQ(last->GetValue(), text);
                EXPECT_TRUE(PDFObjectCastPtr<PDFDictionary>(parsed->parser.ParseObjectByID(30)));
            }
        }
    }
}

TEST(PDFParserStreamsTest, StreamsReadOneAfterAnotherAlsoAfterADamagedOne)
{
    // The parser's one inflate state is reset for each stream: streams and an object stream read
    // after a damaged stream, a cut one and one dropped half read decode as on their own.
    std::string noisy(70000, ' ');
    uint32_t state = 7;
    for (char& c : noisy)
        c = static_cast<char>((state = state * 1103515245u + 12345u) >> 24);
    std::string damaged = Deflate(noisy);
    damaged[damaged.size() / 2] ^= 0x5A;
    const std::string cut = Deflate(noisy).substr(0, 30000);
    XrefStreamBuilder builder;
    builder.fileObjects[1] = "<< /Type /Catalog /Pages 2 0 R >>";
    builder.fileObjects[2] = "<< /Type /Pages /Kids [] /Count 0 >>";
    builder.fileObjects[4] = PdfBuilder::Stream(Deflate(noisy), " /Filter /FlateDecode");
    builder.fileObjects[5] = PdfBuilder::Stream(damaged, " /Filter /FlateDecode");
    builder.fileObjects[6] = PdfBuilder::Stream(cut, " /Filter /FlateDecode");
    builder.fileObjects[7] = PdfBuilder::Stream(Deflate(kContent), " /Filter /FlateDecode");
    const std::string objects = "30 0 (packed)";
    builder.fileObjects[29] = PdfBuilder::Stream(Deflate(objects), " /Type /ObjStm /N 1 /First 5 /Filter /FlateDecode");
    builder.entryOverrides[30] = {2, 29, 0};
    auto parsed = ParseBytes(builder.Build());
    ASSERT_EQ(parsed->status, eSuccess);
    PDFParser& parser = parsed->parser;
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(ReadStream(parser, 4), noisy);
        EXPECT_NE(ReadStream(parser, 5), noisy);
        EXPECT_EQ(ReadStream(parser, 7), kContent);
        EXPECT_NE(ReadStream(parser, 6), noisy);
        {
            PDFObjectCastPtr<PDFStreamInput> stream(parser.ParseObjectByID(4));
            parser.GetParserStream()->SeekFromStart(stream->GetStreamContentStart());
            std::unique_ptr<IByteReader> dropped(parser.CreateInputStreamReader(stream.GetPtr()));
            Byte some[100];
            ASSERT_EQ(dropped->Read(some, sizeof(some)), sizeof(some));
        }
        EXPECT_EQ(ReadStream(parser, 7), kContent);
    }
    PDFObjectCastPtr<PDFLiteralString> packed(parser.ParseObjectByID(30));
    ASSERT_TRUE(packed);
    EXPECT_EQ(packed->GetValue(), "packed");
}
