// Inputs that once crashed or hung the parser (found by fuzz/run-parser-fuzzer.sh): each must
// parse or fail cleanly, and a parsed one must survive reading everything it offers.

#include "ParserTestSupport.h"
#include "ParserWalk.h"

#include <gtest/gtest.h>

using namespace parsertest;

TEST(ParserRegressionsTest, EveryKeptInputIsHandledCleanly)
{
    std::filesystem::path folder = std::filesystem::path(__FILE__).parent_path() / "regressions";
    ASSERT_TRUE(std::filesystem::is_directory(folder));
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (!entry.is_regular_file() || entry.path().extension() != ".pdf")
            continue;
        SCOPED_TRACE(entry.path().filename().string());
        ++files;
        auto parsed = ParseFile(entry.path());
        if (parsed->status == eSuccess) {
            ParserWalkResult walk = WalkParsedDocument(parsed->parser);
            EXPECT_LE(walk.mediaBoxes.size(), parsed->parser.GetXrefSize());
        }
    }
    EXPECT_GT(files, 0);
}
