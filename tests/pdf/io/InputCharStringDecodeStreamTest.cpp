#include "pdf/io/InputByteArrayStream.h"
#include "pdf/io/InputCharStringDecodeStream.h"

#include "StuckReader.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Type 1 charstring encryption, the inverse of what the stream undoes.
std::vector<Byte> Encrypt(const std::vector<Byte>& inPlain)
{
    uint32_t key = 4330;
    std::vector<Byte> cipher;
    for (Byte plain : inPlain) {
        Byte c = static_cast<Byte>(plain ^ (key >> 8));
        key = ((c + key) * 52845u + 22719u) & 0xFFFF;
        cipher.push_back(c);
    }
    return cipher;
}

std::vector<Byte> Decrypt(const std::vector<Byte>& inCipher, int inLenIV)
{
    InputByteArrayStream source(inCipher.data(), static_cast<LongFilePositionType>(inCipher.size()));
    InputCharStringDecodeStream stream(&source);
    stream.StartDecryption(inLenIV);
    std::vector<Byte> plain;
    Byte buffer[3];
    while (stream.HasMoreBytes()) {
        size_t got = stream.Read(buffer, sizeof(buffer));
        plain.insert(plain.end(), buffer, buffer + got);
    }
    return plain;
}

TEST(InputCharStringDecodeStream, KnownKeyStream)
{
    // The key starts at 4330 (0x10EA), so the first cipher byte is the plain byte XOR 0x10;
    // the second key is (0x10 + 4330) * 52845 + 22719 mod 65536 = 0xBF31.
    EXPECT_EQ(Decrypt({0x10, 0xFE}, 0), (std::vector<Byte>{0x00, 0x41}));
}

TEST(InputCharStringDecodeStream, LenIVBytesAreDropped)
{
    const std::vector<Byte> charString = {0x8B, 0x8B, 0x0D, 0xF7, 0x57, 0x15, 0x0E}; // sample program bytes
    std::vector<Byte> withPrefix = {0x5A, 0x01, 0xFF, 0x33};
    withPrefix.insert(withPrefix.end(), charString.begin(), charString.end());
    EXPECT_EQ(Decrypt(Encrypt(withPrefix), 4), charString);
    EXPECT_EQ(Decrypt(Encrypt(charString), 0), charString);
    EXPECT_EQ(Decrypt(Encrypt({1, 2}), 4), std::vector<Byte>{}); // shorter than lenIV
}

TEST(InputCharStringDecodeStream, StuckSourceEndsTheStream)
{
    StuckReader stuck;
    InputCharStringDecodeStream stream(&stuck);
    stream.StartDecryption(4);
    Byte buffer[4];
    EXPECT_EQ(stream.Read(buffer, sizeof(buffer)), 0u);
    EXPECT_FALSE(stream.HasMoreBytes());
}

} // namespace
