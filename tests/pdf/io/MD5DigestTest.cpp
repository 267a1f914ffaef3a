#include "pdf/io/MD5Digest.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string DigestOf(const std::string& inText)
{
    MD5Digest digest;
    digest.AddBytes(reinterpret_cast<const Byte*>(inText.data()), inText.size());
    return digest.HexDigest();
}

TEST(MD5Digest, RFC1321TestSuite)
{
    EXPECT_EQ(MD5Digest().HexDigest(), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(DigestOf(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(DigestOf("a"), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(DigestOf("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(DigestOf("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(DigestOf("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
    EXPECT_EQ(DigestOf("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "d174ab98d277d9f5a5611c2c9f419d9f");
    EXPECT_EQ(DigestOf("12345678901234567890123456789012345678901234567890123456789012345678901234567890"),
              "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(MD5Digest, PaddingAroundTheBlockEnd)
{
    // 55 bytes pad within one block; 56 to 64 need a second one.
    EXPECT_EQ(DigestOf(std::string(55, 'a')), "ef1772b6dff9a122358552954ad0df65");
    EXPECT_EQ(DigestOf(std::string(56, 'a')), "3b0c8ac703f828b04c6c197006d17218");
    EXPECT_EQ(DigestOf(std::string(63, 'a')), "b06521f39153d618550606be297466d5");
    EXPECT_EQ(DigestOf(std::string(64, 'a')), "014842d480b571495a4a0363793f7367");
    EXPECT_EQ(DigestOf(std::string(65, 'a')), "c743a45e0d2e6a95cb859adae0248435");
}

TEST(MD5Digest, PiecesGiveTheSameDigestAndTheFirstAnswerStays)
{
    const std::string text(1000, 'a');
    MD5Digest digest;
    size_t done = 0;
    for (size_t piece : {0, 1, 62, 64, 0, 200, 673}) {
        digest.AddBytes(reinterpret_cast<const Byte*>(text.data()) + done, piece);
        done += piece;
    }
    ASSERT_EQ(done, text.size());
    EXPECT_EQ(digest.HexDigest(), "cabe45dcc9ae5b66ba86600cca6b8ba8");
    digest.AddBytes(reinterpret_cast<const Byte*>("more"), 4);
    EXPECT_EQ(digest.HexDigest(), "cabe45dcc9ae5b66ba86600cca6b8ba8");
}

} // namespace
