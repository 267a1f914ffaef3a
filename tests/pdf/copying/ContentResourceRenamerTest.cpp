// Renaming resources in page content: only name operands change; strings, comments and the binary
// data of inline images pass byte for byte, and names are matched by their decoded value.

#include "pdf/copying/ContentResourceRenamer.h"
#include "pdf/io/InputByteArrayStream.h"
#include "pdf/io/OutputStringBufferStream.h"

#include "pdf/writing/WriterTestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

const ContentResourceRenamer::RenameMap kRenames = {
    {"F1", {{"Font", "FN1"}}},       {"F2", {{"Font", "FN2"}}},        {"Im1", {{"XObject", "XO1"}}},
    {"CS0", {{"ColorSpace", "CS1"}}}, {"W", {{"ExtGState", "GS7"}}},   {"A B", {{"Properties", "PP1"}}},
    {"R1", {{"ExtGState", "GS1"}, {"ColorSpace", "CS2"}, {"XObject", "XO2"}, {"Font", "FN3"}}}};

// Runs the renamer over the content, reading it in pieces of at most inReadSize bytes.
std::string Rename(const std::string& inContent, size_t inReadSize = 1 << 20,
                   const ContentResourceRenamer::RenameMap& inRenames = kRenames)
{
    class PiecewiseReader : public IByteReader {
    public:
        PiecewiseReader(const std::string& inData, size_t inPiece)
            : mStream(reinterpret_cast<const Byte*>(inData.data()), static_cast<LongFilePositionType>(inData.size())),
              mPiece(inPiece)
        {
        }
        size_t Read(Byte* inBuffer, size_t inSize) override { return mStream.Read(inBuffer, std::min(inSize, mPiece)); }
        bool HasMoreBytes() override { return mStream.HasMoreBytes(); }

    private:
        InputByteArrayStream mStream;
        size_t mPiece;
    };
    PiecewiseReader reader(inContent, inReadSize);
    OutputStringBufferStream output;
    ContentResourceRenamer renamer(inRenames);
    EXPECT_EQ(renamer.Copy(&reader, &output), eSuccess);
    return output.ContentsAsString();
}

} // namespace

TEST(ContentResourceRenamer, NameOperandsChangeAndEverythingElseStays)
{
    EXPECT_EQ(Rename("BT /F1 12 Tf (/F1 in a string \\) /F2) Tj <2F4631> Tj ET % /F1 in a comment\r\n/Im1 Do"),
              "BT /FN1 12 Tf (/F1 in a string \\) /F2) Tj <2F4631> Tj ET % /F1 in a comment\r\n/XO1 Do");
    // Nested parentheses keep the string open; names stop at delimiters.
    EXPECT_EQ(Rename("((/F1)) Tj [/F1/F2]TJ/F2<</F1 1>>BDC"), "((/F1)) Tj [/FN1/FN2]TJ/FN2<</FN1 1>>BDC");
    // Names that only start like a resource name, and names not in the map, stay.
    EXPECT_EQ(Rename("/F10 1 Tf /F /Im12 Do /Other gs"), "/F10 1 Tf /F /Im12 Do /Other gs");
}

TEST(ContentResourceRenamer, ANameOfSeveralCategoriesFollowsItsOperator)
{
    EXPECT_EQ(Rename("/R1 gs /R1 cs /R1 12 Tf q 1 0 0 1 0 0 cm /R1 Do Q"), "/GS1 gs /CS2 cs /FN3 12 Tf q 1 0 0 1 0 0 cm /XO2 Do Q");
    // Operands between the name and its operator are held with it, strings included.
    EXPECT_EQ(Rename("/R1 [(a) 1 (/R1)] <</K 1>> 0 Tf"), "/FN3 [(a) 1 (/R1)] <</K 1>> 0 Tf");
    // An operator that names no category, or the end of the content, gives the first name.
    EXPECT_EQ(Rename("/R1 /R1 BMC EMC /R1"), "/GS1 /GS1 BMC EMC /GS1");
    // Read a byte at a time, the same.
    EXPECT_EQ(Rename("/R1 12 Tf /R1 Do", 1), "/FN3 12 Tf /XO2 Do");
    // Held operands stop being held past a bound: the name gets its first new name.
    std::string operands(ContentResourceRenamer::kMaxHeldBytes + 10, ' ');
    EXPECT_EQ(Rename("/R1" + operands + "Do"), "/GS1" + operands + "Do");
}

TEST(ContentResourceRenamer, EscapedNamesMatchByTheirDecodedValue)
{
    // "/F#31" is the name F1; the new name is written with escapes where a name needs them.
    EXPECT_EQ(Rename("/F#31 9 Tf /#46#32 9 Tf /A#20B BDC"), "/FN1 9 Tf /FN2 9 Tf /PP1 BDC");
    // A "#" not followed by two hex digits is kept as it stands.
    EXPECT_EQ(Rename("/F#3 1 Tf /F#zz 1 Tf"), "/F#3 1 Tf /F#zz 1 Tf");
}

TEST(ContentResourceRenamer, InlineImageDataIsNeverReadAsTokens)
{
    // Binary data holding a slash and a resource name, an unbalanced parenthesis, "EI" inside a
    // word and "(" right after: none of it may change or swallow what follows.
    std::string data = std::string("\x00/F1 (\xFF", 8) + "xEIx" + std::string("\x0DEIy(", 5) + "/Im1";
    std::string content = "q BI /W 4 /H 4 /CS /G /BPC 8 ID " + data + "\nEI Q /F1 1 Tf";
    std::string expected = "q BI /W 4 /H 4 /CS /G /BPC 8 ID " + data + "\nEI Q /FN1 1 Tf";
    EXPECT_EQ(Rename(content), expected);
    // Read a byte at a time, the same.
    EXPECT_EQ(Rename(content, 1), expected);
    // Inside the image's dictionary only a colour space value names a resource: the key W stays
    // although a resource is called W.
    EXPECT_EQ(Rename("BI /W 1 /H 1 /CS /CS0 /BPC 8 /F /Fl ID \x01\nEI /W gs"),
              "BI /W 1 /H 1 /CS /CS1 /BPC 8 /F /Fl ID \x01\nEI /GS7 gs");
    // Data that runs to the end without EI is copied as it is.
    EXPECT_EQ(Rename("BI /W 1 /H 1 ID /F1 (((("), "BI /W 1 /H 1 ID /F1 ((((");
}

TEST(ContentResourceRenamer, LongContentAndLongNamesCrossChunkBorders)
{
    std::string content;
    std::string expected;
    while (content.size() < 3 * ContentResourceRenamer::kChunkSize) {
        content += "/F1 10 Tf (text) Tj ";
        expected += "/FN1 10 Tf (text) Tj ";
    }
    EXPECT_EQ(Rename(content, 777), expected);

    // A name longer than any resource name is copied without being held whole.
    std::string longName = "/" + std::string(ContentResourceRenamer::kMaxNameLength + 10, 'F');
    EXPECT_EQ(Rename(longName + " /F1"), longName + " /FN1");
}

TEST(ContentResourceRenamer, AWriterThatStopsTakingBytesFailsTheCopy)
{
    InputByteArrayStream reader(reinterpret_cast<const Byte*>("/F1 1 Tf"), 8);
    WriterTestSupport::LimitedTarget target(3);
    ContentResourceRenamer renamer(kRenames);
    EXPECT_EQ(renamer.Copy(&reader, &target), eFailure);
}
