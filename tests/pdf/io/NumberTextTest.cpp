#include "pdf/io/NumberText.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

namespace {

TEST(NumberText, TrimmedRealsDropTrailingZerosAndPoint)
{
    EXPECT_EQ(NumberText::FormatTrimmed(1.5), "1.5");
    EXPECT_EQ(NumberText::FormatTrimmed(2.0), "2");
    EXPECT_EQ(NumberText::FormatTrimmed(0.0), "0");
    EXPECT_EQ(NumberText::FormatTrimmed(100.0), "100");
    EXPECT_EQ(NumberText::FormatTrimmed(-0.25), "-0.25");
    EXPECT_EQ(NumberText::FormatTrimmed(595.2756), "595.2756");
    EXPECT_EQ(NumberText::FormatTrimmed(1.0000004), "1");
    EXPECT_EQ(NumberText::FormatTrimmed(0.1234567), "0.123457");
    EXPECT_EQ(NumberText::FormatTrimmed(-0.0000001), "0");
    EXPECT_EQ(NumberText::FormatTrimmed(1e15), "1000000000000000");
}

TEST(NumberText, NonFiniteValuesAreNeverWritten)
{
    std::string text;
    EXPECT_FALSE(NumberText::FormatTrimmed(std::numeric_limits<double>::infinity(), text));
    EXPECT_EQ(text, "0");
    EXPECT_FALSE(NumberText::FormatTrimmed(std::nan(""), text));
    EXPECT_EQ(text, "0");
    EXPECT_FALSE(NumberText::FormatFixed(-std::numeric_limits<double>::infinity(), 2, text));
    EXPECT_EQ(text, "0.00");
}

TEST(NumberText, ShortestTextKeepsTheExactValue)
{
    std::string text;
    ASSERT_TRUE(NumberText::FormatShortest(0.00048828125, text));
    EXPECT_EQ(text, "0.00048828125");
    ASSERT_TRUE(NumberText::FormatShortest(-12.5, text));
    EXPECT_EQ(text, "-12.5");
    ASSERT_TRUE(NumberText::FormatShortest(2.0, text));
    EXPECT_EQ(text, "2");
    ASSERT_TRUE(NumberText::FormatShortest(-0.0, text));
    EXPECT_EQ(text, "0");
    // Too large for a 64-bit integer: written so that readers still see a real.
    ASSERT_TRUE(NumberText::FormatShortest(1e20, text));
    EXPECT_EQ(text, "100000000000000000000.0");
    EXPECT_FALSE(NumberText::FormatShortest(std::nan(""), text));
    EXPECT_EQ(text, "0");
}

TEST(NumberText, ParsingReadsAsFarAsTheNumberGoes)
{
    double real;
    size_t used;
    ASSERT_TRUE(NumberText::ParseDouble("  -12.5abc", real, &used));
    EXPECT_DOUBLE_EQ(real, -12.5);
    EXPECT_EQ(used, 7u);
    ASSERT_TRUE(NumberText::ParseDouble(".5", real));
    EXPECT_DOUBLE_EQ(real, 0.5);
    ASSERT_TRUE(NumberText::ParseDouble("+3.", real));
    EXPECT_DOUBLE_EQ(real, 3.0);
    EXPECT_FALSE(NumberText::ParseDouble("abc", real));
    EXPECT_FALSE(NumberText::ParseDouble("inf", real));
    EXPECT_FALSE(NumberText::ParseDouble("nan", real));
    EXPECT_FALSE(NumberText::ParseDouble("-", real));
    EXPECT_FALSE(NumberText::ParseDouble("1e999", real));
    EXPECT_EQ(real, 0.0);

    long long integer;
    ASSERT_TRUE(NumberText::ParseLongLong("-42 0 R", integer, &used));
    EXPECT_EQ(integer, -42);
    EXPECT_EQ(used, 3u);
    ASSERT_TRUE(NumberText::ParseLongLong("9223372036854775807", integer));
    EXPECT_EQ(integer, std::numeric_limits<long long>::max());
    ASSERT_TRUE(NumberText::ParseLongLong("-9223372036854775808", integer));
    EXPECT_EQ(integer, std::numeric_limits<long long>::min());
    EXPECT_FALSE(NumberText::ParseLongLong("9223372036854775808", integer));
    EXPECT_FALSE(NumberText::ParseLongLong("x1", integer));
}

// Qt sets the process locale from the environment; a German locale writes decimal commas.
TEST(NumberText, CommaLocaleChangesNothing)
{
    const char* previous = std::setlocale(LC_ALL, nullptr);
    std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "de_DE.UTF-8 is not generated on this machine (scripts/install-deps.sh makes it)";
    char probe[32];
    snprintf(probe, sizeof(probe), "%.1f", 1.5);
    EXPECT_STREQ(probe, "1,5"); // the locale really is in effect

    EXPECT_EQ(NumberText::FormatTrimmed(1234.5), "1234.5");
    double real;
    ASSERT_TRUE(NumberText::ParseDouble("12.75", real));
    EXPECT_DOUBLE_EQ(real, 12.75);
    std::setlocale(LC_ALL, saved.c_str());
}

} // namespace
