#pragma once
// Helpers shared by the decoding filter tests: readers over owned bytes, the shared capture of the
// trace log, and draining a reader the way the parser does.

#include "pdf/io/IByteReader.h"

#include "pdf/support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace filtertest {

using Bytes = std::vector<Byte>;

inline Bytes ToBytes(const std::string& inText)
{
    return Bytes(inText.begin(), inText.end());
}

// A reader over its own copy of some bytes, giving at most mMaxChunk bytes per Read, so that
// filters meet sources that answer in small pieces. Can report its deletion.
class OwnedBytesReader : public IByteReader {
public:
    explicit OwnedBytesReader(Bytes inBytes, size_t inMaxChunk = static_cast<size_t>(-1), bool* outDeleted = nullptr)
        : mBytes(std::move(inBytes)), mMaxChunk(inMaxChunk), mDeleted(outDeleted)
    {
    }
    ~OwnedBytesReader() override
    {
        if (mDeleted)
            *mDeleted = true;
    }
    size_t Read(Byte* inBuffer, size_t inBufferSize) override
    {
        size_t count = std::min(std::min(inBufferSize, mMaxChunk), mBytes.size() - mPosition);
        if (count > 0)
            memcpy(inBuffer, mBytes.data() + mPosition, count);
        mPosition += count;
        return count;
    }
    bool HasMoreBytes() override { return mPosition < mBytes.size(); }
    size_t Position() const { return mPosition; }

private:
    Bytes mBytes;
    size_t mPosition = 0;
    size_t mMaxChunk;
    bool* mDeleted;
};

// A reader that breaks: after its bytes it yields nothing yet claims more is there.
class StallingReader : public IByteReader {
public:
    explicit StallingReader(Bytes inBytes) : mInner(std::move(inBytes)) {}
    size_t Read(Byte* inBuffer, size_t inBufferSize) override { return mInner.Read(inBuffer, inBufferSize); }
    bool HasMoreBytes() override { return true; }

private:
    OwnedBytesReader mInner;
};

// Reads until HasMoreBytes turns false, in pieces of inPieceSize bytes. A reader that keeps
// claiming more data while giving none fails the test instead of hanging it.
inline Bytes ReadAll(IByteReader& inReader, size_t inPieceSize = 4096)
{
    Bytes result;
    std::vector<Byte> piece(inPieceSize);
    int emptyReads = 0;
    while (inReader.HasMoreBytes()) {
        size_t got = inReader.Read(piece.data(), piece.size());
        result.insert(result.end(), piece.begin(), piece.begin() + static_cast<std::ptrdiff_t>(got));
        if (got == 0 && ++emptyReads > 2) {
            ADD_FAILURE() << "reader claims more bytes but gives none";
            break;
        }
    }
    return result;
}

using testsupport::LogCapture;

// Deterministic pseudo-random bytes (no dependence on the standard library's generators).
inline Bytes PseudoRandomBytes(size_t inCount, uint32_t inSeed)
{
    Bytes bytes(inCount);
    uint32_t state = inSeed * 2654435761u + 1;
    for (size_t i = 0; i < inCount; ++i) {
        state = state * 1664525u + 1013904223u;
        bytes[i] = static_cast<Byte>(state >> 24);
    }
    return bytes;
}

// An encoder written from the published PNG filter definitions, to make predictor input.
inline int PaethPredictor(int a, int b, int c)
{
    int p = a + b - c;
    int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc)
        return a;
    return pb <= pc ? b : c;
}

// Filters whole rows of raw image bytes; inTypes gives each row's type (cycled).
inline Bytes PngEncode(const Bytes& inRaw, size_t inRowBytes, size_t inBpp, const std::vector<int>& inTypes)
{
    Bytes out;
    Bytes zero(inRowBytes, 0);
    size_t rows = inRaw.size() / inRowBytes;
    for (size_t r = 0; r < rows; ++r) {
        const Byte* x = inRaw.data() + r * inRowBytes;
        const Byte* prior = r == 0 ? zero.data() : inRaw.data() + (r - 1) * inRowBytes;
        int type = inTypes[r % inTypes.size()];
        out.push_back(static_cast<Byte>(type));
        for (size_t i = 0; i < inRowBytes; ++i) {
            int a = i >= inBpp ? x[i - inBpp] : 0;
            int b = prior[i];
            int c = i >= inBpp ? prior[i - inBpp] : 0;
            int predicted = 0;
            switch (type) {
            case 1: predicted = a; break;
            case 2: predicted = b; break;
            case 3: predicted = (a + b) / 2; break;
            case 4: predicted = PaethPredictor(a, b, c); break;
            default: break;
            }
            out.push_back(static_cast<Byte>(x[i] - predicted));
        }
    }
    return out;
}

} // namespace filtertest
