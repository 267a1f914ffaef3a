// libFuzzer target: parses a document from the fuzzer's bytes and, when it parses, reads every
// object, every stream's decoded data and every page's media box. Built and run by
// fuzz/run-parser-fuzzer.sh; not part of the test suite.

#include "pdf/io/InputByteArrayStream.h"
#include "pdf/parsing/PDFParser.h"
#include "tests/pdf/parsing/ParserWalk.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* inData, size_t inSize)
{
    InputByteArrayStream stream(inData, static_cast<LongFilePositionType>(inSize));
    PDFParser parser;
    if (parser.ParseDocument(&stream) != eSuccess)
        return 0;
    // Bounds keep one input from taking seconds; the parser itself must stay within them anyway.
    ParserWalkLimits limits;
    limits.maxObjects = 20000;
    limits.maxStreamBytes = 4 * 1024 * 1024;
    limits.maxPages = 20000;
    WalkParsedDocument(parser, limits);
    return 0;
}
