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

// Content that inflates to inMegabytes of zero bytes through three Flate layers (10 GB take
// about a kilobyte), and a one-page document (objects 1 to 4) whose page shows it.
inline std::string InflatingContent(unsigned long long inMegabytes)
{
    return Deflate(Deflate(testsupport::ZerosDeflated(inMegabytes)));
}

inline parsertest::PdfBuilder InflatingContentDocument(const std::string& inContent)
{
    parsertest::PdfBuilder builder;
    builder.Add("<< /Type /Catalog /Pages 2 0 R >>");
    builder.Add("<< /Type /Pages /Kids [3 0 R] /Count 1 /MediaBox [0 0 200 200] >>");
    builder.Add("<< /Type /Page /Parent 2 0 R /Contents 4 0 R >>");
    builder.Add(parsertest::PdfBuilder::Stream(inContent, " /Filter [/FlateDecode /FlateDecode /FlateDecode]"));
    return builder;
}

} // namespace copytest
