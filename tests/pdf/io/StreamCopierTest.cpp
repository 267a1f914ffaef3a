#include "pdf/io/InputByteArrayStream.h"
#include "pdf/io/OutputStringBufferStream.h"
#include "pdf/io/StreamCopier.h"

#include "StuckReader.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class RefusingWriter : public IByteWriter {
public:
    size_t WriteBytes(const Byte*, size_t inSize) override { return inSize > 0 ? inSize - 1 : 0; }
};

TEST(StreamCopier, CopiesEverythingAndNothingFromAnEmptyReader)
{
    std::string contents(1000, 'q');
    contents += "end";
    InputByteArrayStream source(reinterpret_cast<const Byte*>(contents.data()), static_cast<LongFilePositionType>(contents.size()));
    OutputStringBufferStream target;
    StreamCopier copier(&target);
    EXPECT_EQ(copier.CopyToEnd(&source), eSuccess);
    EXPECT_EQ(target.ContentsAsString(), contents);

    InputByteArrayStream empty(reinterpret_cast<const Byte*>(contents.data()), 0);
    EXPECT_EQ(copier.CopyToEnd(&empty), eSuccess);
    EXPECT_EQ(target.ContentsAsString(), contents);
}

TEST(StreamCopier, FailsOnAStuckReaderAndOnAShortWrite)
{
    OutputStringBufferStream target;
    StuckReader stuck;
    EXPECT_EQ(StreamCopier(&target).CopyToEnd(&stuck), eFailure);
    EXPECT_EQ(StreamCopier(&target).CopyLength(&stuck, 10), eFailure);

    const Byte data[3] = {1, 2, 3};
    InputByteArrayStream source(data, 3);
    RefusingWriter refusing;
    EXPECT_EQ(StreamCopier(&refusing).CopyToEnd(&source), eFailure);
}

} // namespace
