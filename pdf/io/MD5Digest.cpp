#include "pdf/io/MD5Digest.h"

#include <cstring>

namespace {

// Per-round shift amounts and the sine-derived constants T[i] = floor(2^32 * |sin(i + 1)|).
const int kShift[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                        5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                        4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                        6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};

const uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

uint32_t RotateLeft(uint32_t inValue, int inCount)
{
    return (inValue << inCount) | (inValue >> (32 - inCount));
}

} // namespace

MD5Digest::MD5Digest()
{
    mState[0] = 0x67452301;
    mState[1] = 0xefcdab89;
    mState[2] = 0x98badcfe;
    mState[3] = 0x10325476;
}

void MD5Digest::TransformBlock(const Byte* inBlock)
{
    uint32_t words[16];
    for (int i = 0; i < 16; ++i) // the message is read as little-endian words
        words[i] = uint32_t{inBlock[i * 4]} | (uint32_t{inBlock[i * 4 + 1]} << 8) |
                   (uint32_t{inBlock[i * 4 + 2]} << 16) | (uint32_t{inBlock[i * 4 + 3]} << 24);

    uint32_t a = mState[0], b = mState[1], c = mState[2], d = mState[3];
    for (int i = 0; i < 64; ++i) {
        uint32_t mixed;
        int wordIndex;
        if (i < 16) {
            mixed = (b & c) | (~b & d);
            wordIndex = i;
        } else if (i < 32) {
            mixed = (b & d) | (c & ~d);
            wordIndex = (5 * i + 1) % 16;
        } else if (i < 48) {
            mixed = b ^ c ^ d;
            wordIndex = (3 * i + 5) % 16;
        } else {
            mixed = c ^ (b | ~d);
            wordIndex = (7 * i) % 16;
        }
        uint32_t next = b + RotateLeft(a + mixed + kSine[i] + words[wordIndex], kShift[i]);
        a = d;
        d = c;
        c = b;
        b = next;
    }
    mState[0] += a;
    mState[1] += b;
    mState[2] += c;
    mState[3] += d;
}

void MD5Digest::AddBytes(const Byte* inBytes, size_t inLength)
{
    if (mFinalized || inLength == 0)
        return;
    mBitCount += static_cast<uint64_t>(inLength) * 8; // modulo 2^64, as the RFC counts
    while (inLength > 0) {
        size_t take = sizeof(mBlock) - mBlockFill;
        if (take > inLength)
            take = inLength;
        memcpy(mBlock + mBlockFill, inBytes, take);
        mBlockFill += take;
        inBytes += take;
        inLength -= take;
        if (mBlockFill == sizeof(mBlock)) {
            TransformBlock(mBlock);
            mBlockFill = 0;
        }
    }
}

void MD5Digest::Finalize()
{
    // The padding must not count into the message length: keep the length from before it.
    const uint64_t bitCount = mBitCount;
    Byte length[8];
    for (int i = 0; i < 8; ++i)
        length[i] = static_cast<Byte>(bitCount >> (8 * i));

    static const Byte kPadding[64] = {0x80};
    size_t padLength = mBlockFill < 56 ? 56 - mBlockFill : 120 - mBlockFill;
    AddBytes(kPadding, padLength);
    AddBytes(length, 8);

    for (int i = 0; i < 4; ++i)
        for (int k = 0; k < 4; ++k)
            mDigest[i * 4 + k] = static_cast<Byte>(mState[i] >> (8 * k));
    mFinalized = true;

    static const char kHex[] = "0123456789abcdef";
    mHexDigest.clear();
    for (Byte value : mDigest) {
        mHexDigest.push_back(kHex[value >> 4]);
        mHexDigest.push_back(kHex[value & 0x0F]);
    }
}

std::string MD5Digest::HexDigest()
{
    if (!mFinalized)
        Finalize();
    return mHexDigest;
}
