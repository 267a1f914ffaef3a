#pragma once
// The MD5 message digest (RFC 1321) as 32 lower-case hexadecimal digits. Bytes may be added in
// any pieces; the first HexDigest call finalizes, and later calls (and later bytes) change nothing.

#include "pdf/io/IOBasicTypes.h"

#include <cstdint>
#include <string>

class MD5Digest {
public:
    MD5Digest();

    void AddBytes(const Byte* inBytes, size_t inLength);
    std::string HexDigest();

private:
    void TransformBlock(const Byte* inBlock);
    void Finalize();

    uint32_t mState[4];
    uint64_t mBitCount = 0;
    Byte mBlock[64];
    size_t mBlockFill = 0;
    Byte mDigest[16];
    bool mFinalized = false;
    std::string mHexDigest;
};
