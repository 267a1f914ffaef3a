#include "pdf/io/InputBufferedStream.h"
#include "pdf/io/InputByteArrayStream.h"
#include "pdf/objects/PDFObjects.h"
#include "pdf/parsing/PDFObjectParser.h"
#include "pdf/parsing/PDFTokenReader.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Parses objects one after another from a text.
class TextParser {
public:
    explicit TextParser(const std::string& inText) : mText(inText)
    {
        mStream.Assign(reinterpret_cast<const Byte*>(mText.data()), static_cast<LongFilePositionType>(mText.size()));
        mPosition.Assign(&mStream);
        mParser.SetReadStream(&mStream, &mPosition);
    }
    RefCountPtr<PDFObject> Next() { return RefCountPtr<PDFObject>(mParser.ParseNextObject()); }
    PDFObjectParser& Parser() { return mParser; }

private:
    std::string mText;
    InputByteArrayStream mStream;
    AdapterIByteReaderWithPositionToIReadPositionProvider mPosition;
    PDFObjectParser mParser;
};

RefCountPtr<PDFObject> ParseOne(const std::string& inText)
{
    TextParser parser(inText);
    return parser.Next();
}

std::vector<std::string> Tokens(const std::string& inText)
{
    InputByteArrayStream stream(reinterpret_cast<const Byte*>(inText.data()), static_cast<LongFilePositionType>(inText.size()));
    PDFTokenReader reader;
    reader.SetReadStream(&stream);
    std::vector<std::string> tokens;
    for (BoolAndString token = reader.ReadNextToken(); token.first; token = reader.ReadNextToken())
        tokens.push_back(token.second);
    return tokens;
}

// A source that gives one byte per call and holds nothing in memory for the tokenizer.
class ByteByByte : public IByteReader {
public:
    explicit ByteByByte(const std::string& inText) : mText(inText) {}
    size_t Read(Byte* inBuffer, size_t inSize) override
    {
        if (inSize == 0 || mAt >= mText.size())
            return 0;
        inBuffer[0] = static_cast<Byte>(mText[mAt++]);
        return 1;
    }
    bool HasMoreBytes() override { return mAt < mText.size(); }

private:
    std::string mText;
    size_t mAt = 0;
};

template <class T>
T* As(const RefCountPtr<PDFObject>& inObject)
{
    EXPECT_TRUE(inObject);
    if (!inObject)
        return nullptr;
    EXPECT_EQ(inObject->GetType(), T::eType);
    return inObject->GetType() == T::eType ? static_cast<T*>(inObject.GetPtr()) : nullptr;
}

} // namespace

TEST(PDFTokenReaderTest, CutsTokensAtWhitespaceAndDelimiters)
{
    EXPECT_EQ(Tokens("  /Name[1 2]<<>>{}%comment\r\n(str(in)g)<4 1 4>>"),
              (std::vector<std::string>{"/Name", "[", "1", "2", "]", "<<", ">>", "{", "}", "%comment", "(str(in)g)", "<414>", ">"}));
    // A backslash at a line end joins the lines; an escaped parenthesis does not nest.
    EXPECT_EQ(Tokens("(a\\\r\nb\\) c)"), (std::vector<std::string>{"(ab\\) c)"}));
    EXPECT_EQ(Tokens("<"), (std::vector<std::string>{"<"}));
    EXPECT_EQ(Tokens("<>"), (std::vector<std::string>{"<>"}));
}

TEST(PDFTokenReaderTest, TokensAcrossBufferBoundariesAreThoseReadByteByByte)
{
    // Read in place through buffers of every small size, so that each token and each line end
    // after "stream" is cut somewhere, the tokens and positions are those of a reader that takes
    // one byte per call; between tokens the source stands right behind the bytes taken.
    const std::string text = "%PDF-1.7\r\n12 0 obj\n<< /Type /Page /Kids [3 0 R 44 0 R] /F#20 (a (b) \\) c\\\r\nd) "
                             "<41 42\n43> >>stream\r\nDATA endstream %end\rtrue false null -1.25 .5 ]";
    std::vector<std::pair<std::string, long long>> expected;
    {
        ByteByByte source(text);
        PDFTokenReader reader;
        reader.SetReadStream(&source);
        for (BoolAndString token = reader.ReadNextToken(); token.first; token = reader.ReadNextToken())
            expected.emplace_back(token.second, reader.GetReadPosition());
    }
    ASSERT_EQ(expected.size(), 30u);
    for (size_t bufferSize = 1; bufferSize <= 24; ++bufferSize) {
        SCOPED_TRACE(bufferSize);
        InputBufferedStream buffered(
            new InputByteArrayStream(reinterpret_cast<const Byte*>(text.data()), static_cast<LongFilePositionType>(text.size())),
            bufferSize);
        PDFTokenReader reader;
        reader.SetReadStream(&buffered);
        std::vector<std::pair<std::string, long long>> tokens;
        std::string token;
        while (reader.ReadNextToken(token)) {
            tokens.emplace_back(token, reader.GetReadPosition());
            EXPECT_EQ(buffered.TellPosition(), reader.GetReadPosition() + (reader.HasPutBackByte() ? 1 : 0));
        }
        EXPECT_EQ(tokens, expected);
    }
}

TEST(PDFTokenReaderTest, StreamKeywordNeedsALineEnd)
{
    EXPECT_EQ(Tokens("stream\r\nabc"), (std::vector<std::string>{"stream", "abc"}));
    EXPECT_EQ(Tokens("stream\nabc"), (std::vector<std::string>{"stream", "abc"}));
    // Blanks and tabs before the line end are passed over; "stream" followed by a blank and no
    // line end is no token.
    EXPECT_EQ(Tokens("stream \t \r\nabc"), (std::vector<std::string>{"stream", "abc"}));
    EXPECT_TRUE(Tokens("stream abc").empty());
}

TEST(PDFObjectParserTest, ScalarsAndStrings)
{
    EXPECT_TRUE(As<PDFBoolean>(ParseOne("true"))->GetValue());
    EXPECT_FALSE(As<PDFBoolean>(ParseOne("false"))->GetValue());
    As<PDFNull>(ParseOne("null"));
    EXPECT_EQ(As<PDFInteger>(ParseOne("-17"))->GetValue(), -17);
    EXPECT_EQ(As<PDFInteger>(ParseOne("+5"))->GetValue(), 5);
    EXPECT_DOUBLE_EQ(As<PDFReal>(ParseOne("-.5"))->GetValue(), -0.5);
    EXPECT_DOUBLE_EQ(As<PDFReal>(ParseOne("12.25"))->GetValue(), 12.25);
    EXPECT_DOUBLE_EQ(As<PDFReal>(ParseOne("."))->GetValue(), 0.0);
    // Too large for 64 bits: kept as a real, never wrapped.
    EXPECT_DOUBLE_EQ(As<PDFReal>(ParseOne("99999999999999999999"))->GetValue(), 1e20);
    EXPECT_EQ(As<PDFSymbol>(ParseOne("1.2.3"))->GetValue(), "1.2.3");
    EXPECT_EQ(As<PDFName>(ParseOne("/A#20B"))->GetValue(), "A B");
    // A "#" without two hex digits after it stands for itself, as it did before PDF 1.2 (and as
    // some writers still leave it): the object holding such a name stays readable.
    EXPECT_EQ(As<PDFName>(ParseOne("/A#2"))->GetValue(), "A#2");
    EXPECT_EQ(As<PDFName>(ParseOne("/A#zz"))->GetValue(), "A#zz");
    EXPECT_EQ(As<PDFName>(ParseOne("/#"))->GetValue(), "#");
    EXPECT_EQ(As<PDFName>(ParseOne("/F#2#41"))->GetValue(), "F#2A");
    EXPECT_EQ(As<PDFHexString>(ParseOne("<41 42>"))->GetValue(), "4142");
    EXPECT_EQ(As<PDFHexString>(ParseOne("<>"))->GetValue(), "");
    EXPECT_EQ(As<PDFLiteralString>(ParseOne("(a\\n\\(b\\)\\\\)"))->GetValue(), "a\n(b)\\");
    EXPECT_EQ(As<PDFLiteralString>(ParseOne("(\\053\\7x\\q)"))->GetValue(), std::string("\x2B\x07xq"));
    EXPECT_EQ(As<PDFLiteralString>(ParseOne("(nested (balanced) parens)"))->GetValue(), "nested (balanced) parens");
    EXPECT_FALSE(ParseOne("(unterminated"));
    EXPECT_FALSE(ParseOne("<4142"));
    EXPECT_FALSE(ParseOne(""));
}

TEST(PDFObjectParserTest, IndirectReferencesAndLookAhead)
{
    RefCountPtr<PDFObject> referenceObject = ParseOne("12 0 R");
    PDFIndirectObjectReference* reference = As<PDFIndirectObjectReference>(referenceObject);
    EXPECT_EQ(reference->GetObjectID(), 12u);
    EXPECT_EQ(reference->GetGenerationNumber(), 0u);

    // "12 0 obj" leaves the look-ahead tokens for the next objects.
    TextParser declaration("12 0 obj");
    EXPECT_EQ(As<PDFInteger>(declaration.Next())->GetValue(), 12);
    EXPECT_EQ(As<PDFInteger>(declaration.Next())->GetValue(), 0);
    EXPECT_EQ(As<PDFSymbol>(declaration.Next())->GetValue(), "obj");

    RefCountPtr<PDFObject> numbersObject = ParseOne("[1 2 3]");
    PDFArray* numbers = As<PDFArray>(numbersObject);
    ASSERT_EQ(numbers->GetLength(), 3u);
    for (uint32_t i = 0; i < 3; ++i)
        EXPECT_EQ(As<PDFInteger>(RefCountPtr<PDFObject>(numbers->QueryObject(i)))->GetValue(), i + 1);

    // 0 and negative numbers never start a reference.
    RefCountPtr<PDFObject> mixedObject = ParseOne("[-1 0 R]");
    PDFArray* mixed = As<PDFArray>(mixedObject);
    ASSERT_EQ(mixed->GetLength(), 3u);
    EXPECT_EQ(As<PDFSymbol>(RefCountPtr<PDFObject>(mixed->QueryObject(2)))->GetValue(), "R");

    // An object number beyond 32 bits is no reference: no aliasing of 2^32 + 1 to object 1.
    TextParser huge("4294967297 0 R");
    EXPECT_EQ(As<PDFInteger>(huge.Next())->GetValue(), 4294967297LL);
    EXPECT_EQ(As<PDFInteger>(huge.Next())->GetValue(), 0);
    EXPECT_EQ(As<PDFSymbol>(huge.Next())->GetValue(), "R");
    TextParser hugeGeneration("7 4294967296 R");
    EXPECT_EQ(As<PDFInteger>(hugeGeneration.Next())->GetValue(), 7);
}

TEST(PDFObjectParserTest, DictionariesAndStreams)
{
    RefCountPtr<PDFObject> dictionaryObject = ParseOne("<< /b 1 /a [/x] /ab << /in 2 0 R >> >>");
    PDFDictionary* dictionary = As<PDFDictionary>(dictionaryObject);
    DictionaryIterator it = dictionary->CreateIterator();
    std::vector<std::string> keys;
    while (it.MoveNext())
        keys.push_back(it.GetKey()->GetValue());
    EXPECT_EQ(keys, (std::vector<std::string>{"a", "ab", "b"}));

    // A repeated key keeps its last value, once; a key that is no name, or a missing end fail
    // the dictionary.
    RefCountPtr<PDFObject> repeatedObject = ParseOne("<< /a 1 /b 3 /a << /c 2 >> >>");
    PDFDictionary* repeated = As<PDFDictionary>(repeatedObject);
    EXPECT_EQ(repeated->GetSize(), 2u);
    PDFObjectCastPtr<PDFDictionary> last(repeated->QueryDirectObject("a"));
    EXPECT_TRUE(last && last->Exists("c"));
    EXPECT_FALSE(ParseOne("<< 1 2 >>"));
    EXPECT_FALSE(ParseOne("<< /a 1"));
    EXPECT_FALSE(ParseOne("[1 2"));
    EXPECT_FALSE(ParseOne("[1 (x]"));

    std::string text = "<< /Length 3 >>\r\nstream\r\nabc\nendstream";
    RefCountPtr<PDFObject> streamObject = ParseOne(text);
    PDFStreamInput* stream = As<PDFStreamInput>(streamObject);
    EXPECT_EQ(stream->GetStreamContentStart(), static_cast<long long>(text.find("abc")));
    // After "stream" and a lone CR the data starts at the next byte.
    std::string crOnly = "<< /Length 3 >> stream\rabc";
    EXPECT_EQ(As<PDFStreamInput>(ParseOne(crOnly))->GetStreamContentStart(), static_cast<long long>(crOnly.find("abc")));
    // The same after blanks; a lone CR then data.
    std::string blanksCR = "<< /Length 3 >> stream  \rabc";
    EXPECT_EQ(As<PDFStreamInput>(ParseOne(blanksCR))->GetStreamContentStart(),
              static_cast<long long>(blanksCR.find("abc")));
    // "stream" followed by a blank and data: a plain dictionary.
    As<PDFDictionary>(ParseOne("<< /Length 3 >> stream abc"));
}

TEST(PDFObjectParserTest, CommentsAreSkipped)
{
    TextParser parser("1 % one\n%another\n/Two");
    EXPECT_EQ(As<PDFInteger>(parser.Next())->GetValue(), 1);
    EXPECT_EQ(As<PDFName>(parser.Next())->GetValue(), "Two");
}

TEST(PDFObjectParserTest, DeepNestingFailsWithoutExhaustingTheStack)
{
    std::string nested(100000, '[');
    EXPECT_FALSE(ParseOne(nested + std::string(100000, ']')));
    std::string dictionaries;
    for (int i = 0; i < 50000; ++i)
        dictionaries += "<</a ";
    EXPECT_FALSE(ParseOne(dictionaries));

    // Nesting right up to the limit is fine.
    int depth = PDFObjectParser::kMaxNestingDepth;
    EXPECT_TRUE(ParseOne(std::string(depth, '[') + std::string(depth, ']')));
}

namespace {

// A parser for the text over each kind of source: held in memory and read by the parser alone,
// through buffers that cut the text anywhere, one byte at a time, and (when inFromQueue) as
// tokens already waiting in the queue. The parser is given to inCheck with a name for the source.
template <class Check>
void ForEverySource(const std::string& inText, bool inFromQueue, Check inCheck)
{
    const Byte* bytes = reinterpret_cast<const Byte*>(inText.data());
    const LongFilePositionType size = static_cast<LongFilePositionType>(inText.size());
    {
        InputByteArrayStream memory(bytes, size);
        PDFObjectParser parser;
        parser.SetReadStream(&memory, nullptr, true);
        inCheck(parser, "memory");
    }
    for (size_t bufferSize : {1, 3, 7, 64}) {
        InputBufferedStream buffered(new InputByteArrayStream(bytes, size), bufferSize);
        PDFObjectParser parser;
        parser.SetReadStream(&buffered, nullptr);
        inCheck(parser, "buffers of " + std::to_string(bufferSize));
    }
    {
        ByteByByte source(inText);
        PDFObjectParser parser;
        parser.SetReadStream(&source, nullptr);
        inCheck(parser, "byte by byte");
    }
    if (inFromQueue) {
        InputByteArrayStream empty;
        PDFObjectParser parser;
        parser.SetReadStream(&empty, nullptr);
        for (const std::string& token : Tokens(inText))
            parser.ReturnTokenToBuffer(token);
        inCheck(parser, "queue");
    }
}

// A parsed value as text: null, numbers, names, [arrays] and <<dictionaries>> with their keys in
// order; "-" for no object.
std::string Shape(PDFObject* inObject)
{
    if (!inObject)
        return "-";
    switch (inObject->GetType()) {
    case PDFObject::ePDFObjectNull:
        return "null";
    case PDFObject::ePDFObjectInteger:
        return std::to_string(static_cast<PDFInteger*>(inObject)->GetValue());
    case PDFObject::ePDFObjectName:
        return "/" + static_cast<PDFName*>(inObject)->GetValue();
    case PDFObject::ePDFObjectArray: {
        auto* array = static_cast<PDFArray*>(inObject);
        std::string text = "[";
        for (uint32_t i = 0; i < array->GetLength(); ++i)
            text += (i ? " " : "") + Shape(RefCountPtr<PDFObject>(array->QueryObject(i)).GetPtr());
        return text + "]";
    }
    case PDFObject::ePDFObjectDictionary: {
        std::string text = "<<";
        DictionaryIterator it = static_cast<PDFDictionary*>(inObject)->CreateIterator();
        while (it.MoveNext())
            text += " /" + it.GetKey()->GetValue() + " " + Shape(it.GetValue());
        return text + " >>";
    }
    default:
        return PDFObject::TypeLabelFor(inObject->GetType());
    }
}

// The page walk's partial read of the text finds a dictionary holding only the Type given ("-":
// none; null: no object) from every source.
void ExpectWalkFinds(const std::string& inText, const char* inType, bool inFromQueue)
{
    static const PDFObjectParser::KeptKeys kept = {{"Type", "Kids"}, "Type", "Page"};
    const std::string expected =
        !inType ? "-" : std::string(inType) == "-" ? "<< >>" : std::string("<< /Type /") + inType + " >>";
    ForEverySource(inText, inFromQueue, [&](PDFObjectParser& parser, const std::string& source) {
        parser.SetKeptKeys(&kept);
        EXPECT_EQ(Shape(RefCountPtr<PDFObject>(parser.ParseNextObject()).GetPtr()), expected) << source;
    });
}

} // namespace

TEST(PDFObjectParserTest, PassedOverValuesEndWhereTheirTokensEnd)
{
    // A partial read passes over the values of other keys byte by byte; each must end where its
    // tokens would, so that the Type after it is found (or the dictionary fails) alike from a
    // source held in memory that the parser alone reads, from buffers that cut the value
    // anywhere, and from a source read one byte at a time. "-": the dictionary ends before Type.
    const struct {
        const char* value;
        const char* type; // null: no dictionary
    } cases[] = {
        {"/X /Y", "Page"}, {"/X 12", "Page"}, {"/X 1 0 R", "Page"}, {"/X % a >> ] /Type /Pages\n 5", "Page"},
        {"/X % c\n/Y", "Page"}, {"/X (s /Type /Pages)", "Page"}, {"/X <2F54797065>", "Page"}, {"/X <>", "Page"},
        {"/X << /Type /Pages >>", "Page"}, {"/X [/Type /Pages]", "Page"}, {"/X []", "Page"}, {"/X > 3", "Page"},
        {"/X { 1 }", "Page"}, {"/X )x", "Page"}, {"/X >>", "-"}, {"/X ]", "Page"}, {"/X (never closed", nullptr},
        {"/X <4142", nullptr}, {"/X [ 1 2", nullptr},
    };
    for (const auto& item : cases) {
        for (const char* gap : {" ", ""}) {
            const std::string text = std::string("<< /A 1 ") + item.value + gap + "/Type /Page >>";
            SCOPED_TRACE(text);
            ExpectWalkFinds(text, item.type, false);
        }
    }
}

TEST(PDFObjectParserTest, AClosingTokenWhereAValueBelongsIsNull)
{
    // A "]" where a dictionary's value belongs, a ">>" where an array's element belongs: a null.
    // A ">>" as a value still ends its dictionary. A full read and the page walk's partial read,
    // which passes the value over, agree on every source.
    const struct {
        const char* text;
        const char* full;  // the object read whole
        const char* type;  // its Type in a partial read; "-" none, null: no object
    } cases[] = {
        {"<< /X ] /Type /Page >>", "<< /Type /Page /X null >>", "Page"},
        {"<< /Type /Page /X ] >>", "<< /Type /Page /X null >>", "Page"},
        {"<< /A 1 /X >>", "<< /A 1 /X null >>", "-"},
        {"<< /X [1 >> 2] /Type /Page >>", "<< /Type /Page /X [1 null 2] >>", "Page"},
        {"<< /X << /A ] /B 2 >> /Type /Page >>", "<< /Type /Page /X << /A null /B 2 >> >>", "Page"},
        {"<< /X [<< /A ] >> /B] /Type /Page >>", "<< /Type /Page /X [<< /A null >> /B] >>", "Page"},
        {"<< /X [1 >> /Type /Page >>", "-", nullptr},
        {"<< /X ] ] /Type /Page >>", "-", nullptr},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.text);
        EXPECT_EQ(Shape(ParseOne(item.text).GetPtr()), item.full);
        ExpectWalkFinds(item.text, item.type, true);
    }
}
