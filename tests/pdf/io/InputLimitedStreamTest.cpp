#include "pdf/io/InputLimitedStream.h"
#include "pdf/io/InputStreamSkipperStream.h"

#include "FilterTestSupport.h"

using namespace filtertest;

namespace {

TEST(InputLimitedStream, ReadsNoMoreThanItsLimitAndOwnsTheSourceOnlyWhenTold)
{
    bool deleted = false;
    OwnedBytesReader* source = new OwnedBytesReader(ToBytes("0123456789"), 3, &deleted);
    {
        InputLimitedStream limited(source, 7, false);
        EXPECT_EQ(ReadAll(limited, 4), ToBytes("0123456"));
        EXPECT_FALSE(limited.HasMoreBytes());
        Byte buffer[4];
        EXPECT_EQ(limited.Read(buffer, 4), 0u);
    }
    EXPECT_FALSE(deleted);
    EXPECT_EQ(source->Position(), 7u);
    delete source;

    deleted = false;
    {
        InputLimitedStream limited(new OwnedBytesReader(ToBytes("abc"), 100, &deleted), 10, true);
        EXPECT_EQ(ReadAll(limited), ToBytes("abc"));
        EXPECT_FALSE(limited.HasMoreBytes());
    }
    EXPECT_TRUE(deleted);

    InputLimitedStream negative(new OwnedBytesReader(ToBytes("abc")), -5, true);
    EXPECT_FALSE(negative.HasMoreBytes());
}

TEST(InputStreamSkipperStream, CountsAndSkipsWhatPassesThrough)
{
    InputStreamSkipperStream skipper(new OwnedBytesReader(ToBytes("0123456789abcdef"), 5));
    Byte buffer[4];
    EXPECT_EQ(skipper.Read(buffer, 4), 4u);
    EXPECT_EQ(skipper.TellPosition(), 4);
    EXPECT_TRUE(skipper.SkipForward(6));
    EXPECT_EQ(skipper.TellPosition(), 10);
    ASSERT_EQ(skipper.Read(buffer, 1), 1u);
    EXPECT_EQ(buffer[0], 'a');
    EXPECT_FALSE(skipper.SkipForward(100)); // runs out: the source has no bytes left
    EXPECT_EQ(skipper.TellPosition(), 16);
    EXPECT_FALSE(skipper.HasMoreBytes());

    // A source that stalls cannot hold a skip forever.
    InputStreamSkipperStream stalled(new StallingReader(ToBytes("xy")));
    EXPECT_TRUE(stalled.SkipForward(1000));
    EXPECT_EQ(stalled.TellPosition(), 2);
}

} // namespace
