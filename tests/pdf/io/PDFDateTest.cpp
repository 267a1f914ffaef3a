#include "pdf/io/PDFDate.h"

#include "pdf/support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

using testsupport::LogCapture;

namespace {

TEST(PDFDate, FieldsAreWrittenUpToTheLastOneSet)
{
    PDFDate date;
    EXPECT_TRUE(date.IsNull());
    EXPECT_EQ(date.FormatAsPDFString(), "");

    date.mYear = 2016;
    EXPECT_EQ(date.FormatAsPDFString(), "D:2016");
    date.mDay = 5; // month unset before it
    EXPECT_EQ(date.FormatAsPDFString(), "D:20160105");
    date.mMonth = 3;
    date.mMinute = 7;
    EXPECT_EQ(date.FormatAsPDFString(), "D:201603050007");

    PDFDate early;
    early.mYear = 987;
    EXPECT_EQ(early.FormatAsPDFString(), "D:0987");
}

TEST(PDFDate, RelationToUTCWritesAllFieldsAndTheSuffix)
{
    PDFDate date;
    date.mYear = 2016;
    date.mMonth = 3;
    date.mDay = 5;
    date.mUTC = PDFDate::eSameAsUTC;
    EXPECT_EQ(date.FormatAsPDFString(), "D:20160305000000Z");

    date.mUTC = PDFDate::eBehindUTC;
    date.mHourFromUTC = 5;
    EXPECT_EQ(date.FormatAsPDFString(), "D:20160305000000-05'00'");

    date.mHour = 9;
    date.mMinute = 7;
    date.mSecond = 3;
    date.mUTC = PDFDate::eAheadOfUTC;
    date.mHourFromUTC = 2;
    date.mMinuteFromUTC = 0;
    EXPECT_EQ(date.FormatAsPDFString(), "D:20160305090703+02'00'");

    date.mUTC = PDFDate::eNoUTCRelation;
    EXPECT_EQ(date.FormatAsPDFString(), "D:20160305090703");
}

class PDFDateZoneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* zone = getenv("TZ");
        mHadZone = zone != nullptr;
        if (zone)
            mSavedZone = zone;
    }
    void TearDown() override
    {
        if (mHadZone)
            setenv("TZ", mSavedZone.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    static void UseZone(const char* inZone)
    {
        setenv("TZ", inZone, 1);
        tzset();
    }
    static std::string FormatInstant(time_t inTime)
    {
        Platform::LocalTime local;
        EXPECT_TRUE(Platform::LocalTimeAt(inTime, local));
        PDFDate date;
        date.SetToLocalTime(local);
        return date.FormatAsPDFString();
    }

private:
    bool mHadZone = false;
    std::string mSavedZone;
};

const time_t kWinterNoonUTC = 1452859200; // 2016-01-15 12:00:00 UTC
const time_t kSummerNoonUTC = 1468584000; // 2016-07-15 12:00:00 UTC
const char* const kEasternEurope = "EET-2EEST,M3.5.0/3,M10.5.0/4";

TEST_F(PDFDateZoneTest, OffsetFollowsTheZoneWithDaylightSaving)
{
    UseZone(kEasternEurope);
    EXPECT_EQ(FormatInstant(kWinterNoonUTC), "D:20160115140000+02'00'");
    EXPECT_EQ(FormatInstant(kSummerNoonUTC), "D:20160715150000+03'00'");

    UseZone("EST5EDT,M3.2.0,M11.1.0");
    EXPECT_EQ(FormatInstant(kWinterNoonUTC), "D:20160115070000-05'00'");
    EXPECT_EQ(FormatInstant(kSummerNoonUTC), "D:20160715080000-04'00'");

    UseZone("IST-5:30");
    EXPECT_EQ(FormatInstant(kWinterNoonUTC), "D:20160115173000+05'30'");

    UseZone("UTC0");
    EXPECT_EQ(FormatInstant(kSummerNoonUTC), "D:20160715120000Z");
}

TEST_F(PDFDateZoneTest, CurrentTimeCarriesTheZone)
{
    UseZone("UTC0");
    PDFDate date;
    date.SetToCurrentTime();
    std::string text = date.FormatAsPDFString();
    ASSERT_EQ(text.size(), 17u) << text;
    EXPECT_EQ(text.substr(0, 2), "D:");
    EXPECT_EQ(text.back(), 'Z');
    EXPECT_GE(date.mYear, 2024);

    UseZone(kEasternEurope);
    date.SetToCurrentTime();
    text = date.FormatAsPDFString();
    ASSERT_EQ(text.size(), 23u) << text;
    std::string suffix = text.substr(16);
    EXPECT_TRUE(suffix == "+02'00'" || suffix == "+03'00'") << text;
}

TEST(PDFDate, UnknownOffsetLeavesTheDateWithoutRelation)
{
    LogCapture log;
    Platform::LocalTime local;
    LogCapture::FixedClock(local);
    local.hasUTCOffset = false;
    PDFDate date;
    date.SetToLocalTime(local);
    EXPECT_EQ(date.FormatAsPDFString(), "D:20160305090703");
    EXPECT_EQ(log.Text(), "[ 05/03/2016 09:07:03 ] PDFDate::SetToCurrentTime, Couldn't get UTC.\r\n");
}

} // namespace
