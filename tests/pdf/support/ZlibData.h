#pragma once
// Flate data made and checked with zlib itself, independent of the library's own filters.

#include <zlib.h>

#include <string>

namespace testsupport {

// The data compressed at zlib's default level; empty when zlib fails (a zlib stream never is).
inline std::string Deflate(const std::string& inData)
{
    uLongf size = compressBound(static_cast<uLong>(inData.size()));
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(&out[0]), &size, reinterpret_cast<const Bytef*>(inData.data()),
                  static_cast<uLong>(inData.size()), Z_DEFAULT_COMPRESSION) != Z_OK)
        return std::string();
    out.resize(size);
    return out;
}

// Inflates one complete zlib stream with zlib's uncompress; false when zlib rejects it or the
// data is not exactly inExpectedSize bytes long.
inline bool Inflate(const std::string& inCompressed, size_t inExpectedSize, std::string& outData)
{
    // One spare byte tells a longer result from an exact one.
    outData.assign(inExpectedSize + 1, '\0');
    uLongf size = static_cast<uLongf>(outData.size());
    int status = uncompress(reinterpret_cast<Bytef*>(&outData[0]), &size,
                            reinterpret_cast<const Bytef*>(inCompressed.data()), static_cast<uLong>(inCompressed.size()));
    if (status != Z_OK)
        return false;
    outData.resize(size);
    return size == inExpectedSize;
}

// zlib data that inflates to inMegabytes of zero bytes, made of one self-contained run of deflate
// blocks repeated, so that gigabytes are never compressed to make it (10 GB give 10 MB).
inline std::string ZerosDeflated(unsigned long long inMegabytes)
{
    std::string zeros(1 << 20, '\0');
    std::string run(64 * 1024, '\0');
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    stream.next_in = reinterpret_cast<Bytef*>(&zeros[0]);
    stream.avail_in = static_cast<uInt>(zeros.size());
    stream.next_out = reinterpret_cast<Bytef*>(&run[0]);
    stream.avail_out = static_cast<uInt>(run.size());
    // A full flush ends the run on a byte, and nothing after it refers back into it.
    deflate(&stream, Z_FULL_FLUSH);
    run.resize(run.size() - stream.avail_out);
    deflateEnd(&stream);

    std::string out = "\x78\xDA";
    out.reserve(out.size() + run.size() * inMegabytes + 6);
    for (unsigned long long i = 0; i < inMegabytes; ++i)
        out += run;
    out += std::string("\x03\x00", 2); // the final, empty block
    // Adler-32 of N zero bytes: the sum stays 1, the sum of sums is N.
    unsigned long adler = static_cast<unsigned long>(((inMegabytes << 20) % 65521) << 16 | 1);
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((adler >> shift) & 0xFF));
    return out;
}

} // namespace testsupport
