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

} // namespace testsupport
