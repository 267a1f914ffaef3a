#include "pdf/io/CodePointString.h"

#include <gtest/gtest.h>

namespace {

TEST(CodePointString, DecodesEachSequenceLengthAndEncodesSurrogatePairs)
{
    CodePointString text;
    ASSERT_EQ(text.FromUTF8Bytes("\x41\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"), eSuccess);
    EXPECT_EQ(text.GetCodePoints(), (std::vector<uint32_t>{0x41, 0xE9, 0x20AC, 0x1F600}));
    CodePointString::UTF16Result units = text.ToUTF16Units();
    EXPECT_EQ(units.status, eSuccess);
    EXPECT_EQ(units.units, (std::u16string{0x41, 0xE9, 0x20AC, 0xD83D, 0xDE00}));

    std::u16string wide;
    EXPECT_EQ(WidePathFromUTF8("/tmp/\xC3\xA9t\xC3\xA9.pdf", wide), eSuccess);
    EXPECT_EQ(wide, u"/tmp/\u00E9t\u00E9.pdf");
}

TEST(CodePointString, MalformedInputFailsKeepingWhatCameBefore)
{
    CodePointString text;
    EXPECT_EQ(text.FromUTF8Bytes("a\x80"), eFailure); // lone continuation byte
    EXPECT_EQ(text.GetCodePoints(), std::vector<uint32_t>{0x61});
    EXPECT_EQ(text.FromUTF8Bytes("ab\xE2\x82"), eFailure); // lead byte cut off at the end
    EXPECT_EQ(text.GetCodePoints(), (std::vector<uint32_t>{0x61, 0x62}));
    EXPECT_EQ(text.FromUTF8Bytes("\xC3" "A"), eFailure); // continuation outside 80..BF
    EXPECT_EQ(text.FromUTF8Bytes("\xF8\x88\x80\x80\x80"), eFailure); // five-byte lead

    // A surrogate or a value past 0x10FFFF cannot become UTF-16.
    ASSERT_EQ(text.FromUTF8Bytes("x\xED\xA0\x80"), eSuccess);
    CodePointString::UTF16Result units = text.ToUTF16Units();
    EXPECT_EQ(units.status, eFailure);
    EXPECT_EQ(units.units, u"x");
    ASSERT_EQ(text.FromUTF8Bytes("\xF4\x90\x80\x80"), eSuccess);
    EXPECT_EQ(text.ToUTF16Units().status, eFailure);

    std::u16string wide;
    EXPECT_EQ(WidePathFromUTF8("file\xC3", wide), eFailure);
    EXPECT_EQ(wide, u"file");
}

} // namespace
