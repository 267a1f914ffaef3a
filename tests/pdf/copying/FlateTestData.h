#pragma once
// Flate-compressed data for generated test and benchmark files, made with zlib itself.

#include "tests/pdf/parsing/ParserTestSupport.h"

#include <zlib.h>

#include <string>

namespace copytest {

inline std::string Deflate(const std::string& inData)
{
    uLongf size = compressBound(static_cast<uLong>(inData.size()));
    std::string out(size, '\0');
    compress(reinterpret_cast<Bytef*>(&out[0]), &size, reinterpret_cast<const Bytef*>(inData.data()),
             static_cast<uLong>(inData.size()));
    out.resize(size);
    return out;
}

// A stream object body with the data Flate-compressed.
inline std::string FlateStream(const std::string& inData, const std::string& inDictionaryExtra = "")
{
    return parsertest::PdfBuilder::Stream(Deflate(inData), " /Filter /FlateDecode" + inDictionaryExtra);
}

} // namespace copytest
