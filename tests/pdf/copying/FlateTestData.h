#pragma once
// Flate-compressed data for generated test and benchmark files, made with zlib itself.

#include "tests/pdf/parsing/ParserTestSupport.h"
#include "tests/pdf/support/ZlibData.h"

#include <string>

namespace copytest {

using testsupport::Deflate;

// A stream object body with the data Flate-compressed.
inline std::string FlateStream(const std::string& inData, const std::string& inDictionaryExtra = "")
{
    return parsertest::PdfBuilder::Stream(Deflate(inData), " /Filter /FlateDecode" + inDictionaryExtra);
}

} // namespace copytest
