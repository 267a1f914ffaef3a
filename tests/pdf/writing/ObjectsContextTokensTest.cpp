#include "pdf/writing/ObjectsContext.h"

#include "pdf/writing/WriterTestSupport.h"
#include "pdf/support/LogCapture.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

using testsupport::LogCapture;
using WriterTestSupport::MemoryContext;

namespace {

using namespace std::string_literals;

TEST(ObjectsContextTokens, KeywordsCommentsAndSimpleValues)
{
    MemoryContext memory;
    ObjectsContext& context = memory.Context();
    context.WriteComment("PDF-1.3");
    context.WriteKeyword("trailer");
    context.WriteInteger(-42, eTokenSeparatorSpace);
    context.WriteInteger(9223372036854775807LL, eTokenSeparatorEndLine);
    context.StartArray();
    context.WriteNull(eTokenSeparatorSpace);
    context.WriteBoolean(true, eTokenSeparatorSpace);
    context.WriteBoolean(false, eTokenSeparatorNone);
    context.EndArray(eTokenSeparatorEndLine);
    context.WriteIndirectObjectReference(12, 0, eTokenSeparatorSpace);
    context.WriteIndirectObjectReference(7, 3, eTokenSeparatorNone);
    context.EndLine();
    EXPECT_EQ(memory.Bytes(), "%PDF-1.3\r\n"
                              "trailer\r\n"
                              "-42 9223372036854775807\r\n"
                              "[ null true false]\r\n"
                              "12 0 R 7 3 R\r\n");
    EXPECT_FALSE(context.HasFailed());
}

TEST(ObjectsContextTokens, NamesEscapeDelimitersAndBytesOutsidePrintableAscii)
{
    MemoryContext memory;
    PDFValueWriter& writer = memory.Context().GetValueWriter();
    writer.WriteNameValue("A B#", eTokenSeparatorEndLine);
    writer.WriteNameValue("\xE9", eTokenSeparatorEndLine);
    writer.WriteNameValue("()<>[]{}/%", eTokenSeparatorSpace);
    writer.WriteNameValue("x\x7F\x00y"s, eTokenSeparatorSpace);
    writer.WriteNameValue("Helvetica-Bold!~", eTokenSeparatorNone);
    EXPECT_EQ(memory.Bytes(), "/A#20B#23\r\n"
                              "/#e9\r\n"
                              "/#28#29#3c#3e#5b#5d#7b#7d#2f#25 "
                              "/x#7f#00y "
                              "/Helvetica-Bold!~");
}

TEST(ObjectsContextTokens, LiteralStringsEscapeParenthesesBackslashAndOctal)
{
    MemoryContext memory;
    PDFValueWriter& writer = memory.Context().GetValueWriter();
    writer.WriteLiteralStringValue("a(b)\\c\n", eTokenSeparatorEndLine);
    writer.WriteLiteralStringValue("\x00\x1F\x7F\xFF ~"s, eTokenSeparatorSpace);
    writer.WriteLiteralStringValue("", eTokenSeparatorNone);
    EXPECT_EQ(memory.Bytes(), "(a\\(b\\)\\\\c\\012)\r\n"
                              "(\\000\\037\\177\\377 ~) "
                              "()");
}

TEST(ObjectsContextTokens, RealsAreTrimmedAndNeverInfiniteOrNaN)
{
    LogCapture log;
    MemoryContext memory;
    PDFValueWriter& writer = memory.Context().GetValueWriter();
    for (double value : {1.5, 2.0, 0.0, 100.0, -0.25, 595.2756, 1e-7, -0.0})
        writer.WriteRealValue(value, eTokenSeparatorSpace);
    EXPECT_EQ(memory.Bytes(), "1.5 2 0 100 -0.25 595.2756 0 0 ");
    EXPECT_FALSE(log.Contains("not finite"));

    writer.WriteRealValue(std::numeric_limits<double>::infinity(), eTokenSeparatorSpace);
    writer.WriteRealValue(std::nan(""), eTokenSeparatorNone);
    EXPECT_EQ(memory.Bytes(), "1.5 2 0 100 -0.25 595.2756 0 0 0 0");
    EXPECT_TRUE(log.Contains("PDFValueWriter::WriteRealValue, a number that is not finite was written as 0"));
}

TEST(ObjectsContextTokens, ObjectWithNestedDictionariesIsTabIndented)
{
    MemoryContext memory;
    ObjectsContext& context = memory.Context();
    PDFValueWriter& writer = context.GetValueWriter();
    ObjectIDType id = context.AllocateAndStartIndirectObject();
    EXPECT_EQ(id, 1u);
    DictionaryContext* page = context.StartDictionary();
    EXPECT_EQ(page->WriteKey("Type"), eSuccess);
    writer.WriteNameValue("Page", eTokenSeparatorEndLine);
    page->WriteKey("MediaBox");
    page->WriteRectangleValue(0, 0, 595.5, 842);
    page->WriteKey("Resources");
    DictionaryContext* resources = context.StartDictionary();
    resources->WriteKey("Font");
    DictionaryContext* fonts = context.StartDictionary();
    fonts->WriteKey("F1");
    context.WriteIndirectObjectReference(3, 0, eTokenSeparatorEndLine);
    EXPECT_EQ(context.EndDictionary(fonts), eSuccess);
    EXPECT_EQ(context.EndDictionary(resources), eSuccess);
    page->WriteKey("Rotate");
    page->WriteIntegerValue(90);
    page->WriteKey("UserUnit");
    page->WriteRealValue(1.25);
    page->WriteKey("Hidden");
    page->WriteBooleanValue(false);
    page->WriteKey("ID");
    page->WriteHexStringValue("A1B2");
    page->WriteKey("Title");
    writer.WriteLiteralStringValue("x", eTokenSeparatorEndLine);
    EXPECT_EQ(context.EndDictionary(page), eSuccess);
    context.EndIndirectObject();

    EXPECT_EQ(memory.Bytes(), "1 0 obj\r\n"
                              "<<\r\n"
                              "\t/Type /Page\r\n"
                              "\t/MediaBox [ 0 0 595.5 842 ]\r\n"
                              "\t/Resources <<\r\n"
                              "\t\t/Font <<\r\n"
                              "\t\t\t/F1 3 0 R\r\n"
                              "\t\t>>\r\n"
                              "\t>>\r\n"
                              "\t/Rotate 90\r\n"
                              "\t/UserUnit 1.25\r\n"
                              "\t/Hidden false\r\n"
                              "\t/ID <A1B2>\r\n"
                              "\t/Title (x)\r\n"
                              ">>\r\n"
                              "endobj\r\n");
    EXPECT_FALSE(context.HasFailed());
}

TEST(ObjectsContextTokens, ARepeatedKeyIsRefusedAndRemembered)
{
    LogCapture log;
    MemoryContext memory;
    ObjectsContext& context = memory.Context();
    DictionaryContext* outer = context.StartDictionary();
    ASSERT_EQ(outer->WriteKey("Type"), eSuccess);
    context.GetValueWriter().WriteNameValue("A", eTokenSeparatorEndLine);
    outer->WriteKey("Inner");
    DictionaryContext* inner = context.StartDictionary();
    EXPECT_EQ(inner->WriteKey("Type"), eSuccess); // another dictionary: fine
    context.GetValueWriter().WriteNameValue("B", eTokenSeparatorEndLine);
    context.EndDictionary(inner);
    EXPECT_FALSE(context.HasFailed());

    std::string before = memory.Bytes();
    EXPECT_EQ(outer->WriteKey("Type"), eFailure);
    EXPECT_EQ(memory.Bytes(), before);
    EXPECT_TRUE(log.Contains("DictionaryContext::WriteKey, Duplicate key error. Cannot write multiple keys in the same "
                             "dictionary. key reused - Type"));
    EXPECT_TRUE(context.HasFailed());
}

TEST(ObjectsContextTokens, DictionariesEndInnermostFirst)
{
    LogCapture log;
    MemoryContext memory;
    ObjectsContext& context = memory.Context();
    EXPECT_EQ(context.EndDictionary(nullptr), eFailure);
    EXPECT_TRUE(log.Contains("ObjectsContext::EndDictionary, stack underflow. Trying to end a dictionary when there's no open "
                             "dictionaries"));

    DictionaryContext* outer = context.StartDictionary();
    outer->WriteKey("Inner");
    DictionaryContext* inner = context.StartDictionary();
    std::string before = memory.Bytes();
    EXPECT_EQ(context.EndDictionary(outer), eFailure);
    EXPECT_EQ(memory.Bytes(), before);
    EXPECT_TRUE(log.Contains("ObjectsContext::EndDictionary, nesting violation. Trying to close a dictionary while one of it's "
                             "children is still open. First End the children"));
    // Both are still open and can be ended in order.
    EXPECT_EQ(context.EndDictionary(inner), eSuccess);
    EXPECT_EQ(context.EndDictionary(outer), eSuccess);
    EXPECT_EQ(memory.Bytes(), "<<\r\n\t/Inner <<\r\n\t>>\r\n>>\r\n");
    EXPECT_TRUE(context.HasFailed());
}

TEST(ObjectsContextTokens, ResetDropsOpenDictionariesWithoutTouchingTheOldOutput)
{
    // The output is gone before the reset: a closing ">>" written now would land in freed memory.
    std::unique_ptr<OutputStringBufferStream> output(new OutputStringBufferStream());
    ObjectsContext context;
    context.SetOutputStream(output.get());
    context.SetCompressStreams(false);
    EXPECT_EQ(context.GenerateSubsetFontPrefix(), "AAAAAB");
    context.AllocateAndStartIndirectObject();
    context.StartDictionary()->WriteKey("A");
    context.StartDictionary();
    output.reset();
    context.Reset();

    EXPECT_EQ(context.GetOutputStream(), nullptr);
    EXPECT_TRUE(context.IsCompressingStreams());
    EXPECT_EQ(context.GetInDirectObjectsRegistry().GetObjectsCount(), 1u);
    EXPECT_EQ(context.GenerateSubsetFontPrefix(), "AAAAAB");
    EXPECT_FALSE(context.HasFailed());
    EXPECT_EQ(context.EndDictionary(nullptr), eFailure); // nothing open any more
}

TEST(ObjectsContextTokens, RealsStayLocaleFreeUnderACommaLocale)
{
    std::string previous = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed";
    char probe[16];
    std::snprintf(probe, sizeof(probe), "%.1f", 1.5);
    MemoryContext memory;
    ObjectsContext& context = memory.Context();
    DictionaryContext* dictionary = context.StartDictionary();
    dictionary->WriteKey("MediaBox");
    dictionary->WriteRectangleValue(0.5, -12.25, 595.28, 841.89);
    dictionary->WriteKey("Scale");
    dictionary->WriteRealValue(1234567.125);
    context.EndDictionary(dictionary);
    context.GetValueWriter().WriteRealValue(-0.75, eTokenSeparatorNone);
    std::setlocale(LC_ALL, previous.c_str());

    EXPECT_STREQ(probe, "1,5"); // the locale really writes commas
    EXPECT_EQ(memory.Bytes(), "<<\r\n"
                              "\t/MediaBox [ 0.5 -12.25 595.28 841.89 ]\r\n"
                              "\t/Scale 1234567.125\r\n"
                              ">>\r\n"
                              "-0.75");
}

} // namespace
