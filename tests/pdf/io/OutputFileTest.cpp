#include "pdf/io/OutputBufferedStream.h"
#include "pdf/io/OutputFile.h"

#include "pdf/support/LogCapture.h"
#include "pdf/support/TestDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

using testsupport::ReadFile;
using testsupport::TestDirectory;
using testsupport::LogCapture;

namespace {

const size_t kBufferSize = 262144;

// What a RecordingWriter saw; it outlives the writer, which the buffered stream owns.
struct WriteRecord {
    std::vector<size_t> calls;
    std::string bytes;
    size_t acceptLimit = static_cast<size_t>(-1); // total bytes the target takes before it fails
};

class RecordingWriter : public IByteWriterWithPosition {
public:
    explicit RecordingWriter(WriteRecord& inRecord) : mRecord(inRecord) {}
    size_t WriteBytes(const Byte* inBuffer, size_t inSize) override
    {
        mRecord.calls.push_back(inSize);
        size_t room = mRecord.acceptLimit - mRecord.bytes.size();
        size_t taken = inSize < room ? inSize : room;
        mRecord.bytes.append(reinterpret_cast<const char*>(inBuffer), taken);
        return taken;
    }
    LongFilePositionType TellPosition() override { return static_cast<LongFilePositionType>(mRecord.bytes.size()); }

private:
    WriteRecord& mRecord;
};

std::vector<Byte> Pattern(size_t inSize)
{
    std::vector<Byte> bytes(inSize);
    for (size_t i = 0; i < inSize; ++i)
        bytes[i] = static_cast<Byte>((i * 131 + i / 251) & 0xFF);
    return bytes;
}

TEST(OutputBufferedStream, FullBufferStaysUntilOneMoreByte)
{
    WriteRecord record;
    std::vector<Byte> data = Pattern(kBufferSize + 1);
    {
        OutputBufferedStream stream(new RecordingWriter(record));
        EXPECT_EQ(stream.WriteBytes(data.data(), kBufferSize), kBufferSize);
        EXPECT_TRUE(record.calls.empty());
        EXPECT_EQ(stream.TellPosition(), static_cast<LongFilePositionType>(kBufferSize));

        EXPECT_EQ(stream.WriteBytes(data.data() + kBufferSize, 1), 1u);
        EXPECT_EQ(record.calls, std::vector<size_t>{kBufferSize});
        EXPECT_EQ(stream.TellPosition(), static_cast<LongFilePositionType>(kBufferSize + 1));
    }
    // The destructor writes out the last byte.
    EXPECT_EQ(record.calls, (std::vector<size_t>{kBufferSize, 1}));
    EXPECT_EQ(record.bytes, std::string(data.begin(), data.end()));
}

TEST(OutputBufferedStream, LargeWriteGoesStraightThroughInWholeBuffers)
{
    WriteRecord record;
    std::vector<Byte> data = Pattern(600000 + 10);
    {
        OutputBufferedStream stream(new RecordingWriter(record));
        EXPECT_EQ(stream.WriteBytes(data.data(), 600000), 600000u);
        EXPECT_EQ(record.calls, std::vector<size_t>{524288});
        EXPECT_EQ(stream.TellPosition(), 600000);

        // 75,712 bytes wait in the buffer; ten more still fit.
        EXPECT_EQ(stream.WriteBytes(data.data() + 600000, 10), 10u);
        EXPECT_EQ(record.calls.size(), 1u);
    }
    EXPECT_EQ(record.calls, (std::vector<size_t>{524288, 75722}));
    EXPECT_EQ(record.bytes, std::string(data.begin(), data.end()));
}

TEST(OutputBufferedStream, FailingTargetFailsEveryLaterWrite)
{
    WriteRecord record;
    record.acceptLimit = 1000;
    std::vector<Byte> data = Pattern(kBufferSize * 2);
    OutputBufferedStream stream(new RecordingWriter(record));
    EXPECT_EQ(stream.WriteBytes(data.data(), kBufferSize * 2), 1000u);
    EXPECT_TRUE(stream.HasFailed());
    // Small writes would fit the buffer, but must not pass for success.
    EXPECT_EQ(stream.WriteBytes(data.data(), 10), 0u);
    EXPECT_EQ(stream.Flush(), eFailure);
}

TEST(OutputBufferedStream, FailingFlushOfBufferedBytesIsReported)
{
    WriteRecord record;
    record.acceptLimit = 5;
    std::vector<Byte> data = Pattern(kBufferSize);
    OutputBufferedStream stream(new RecordingWriter(record));
    EXPECT_EQ(stream.WriteBytes(data.data(), 100), 100u); // buffered
    EXPECT_EQ(stream.WriteBytes(data.data(), kBufferSize), 0u); // the flush before it fails
    EXPECT_EQ(stream.Flush(), eFailure);
}

TEST(OutputFile, WritesAndAppendsWithPositionFromFileSize)
{
    TestDirectory folder;
    const std::string path = folder.PathOf("out.bin");
    OutputFile file;
    ASSERT_EQ(file.OpenFile(path), eSuccess);
    file.GetOutputStream()->WriteBytes(reinterpret_cast<const Byte*>("hello"), 5);
    EXPECT_EQ(file.GetOutputStream()->TellPosition(), 5);
    ASSERT_EQ(file.FlushAndClose(), eSuccess);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.GetFilePath(), path);

    ASSERT_EQ(file.OpenFile(path, true), eSuccess);
    EXPECT_EQ(file.GetOutputStream()->TellPosition(), 5);
    file.GetOutputStream()->WriteBytes(reinterpret_cast<const Byte*>(" world"), 6);
    EXPECT_EQ(file.GetOutputStream()->TellPosition(), 11);
    ASSERT_EQ(file.FlushAndClose(), eSuccess);
    EXPECT_EQ(ReadFile(path), "hello world");

    // Opening for writing truncates.
    ASSERT_EQ(file.OpenFile(path), eSuccess);
    ASSERT_EQ(file.FlushAndClose(), eSuccess);
    EXPECT_EQ(ReadFile(path), "");
}

TEST(OutputFile, OpeningInMissingFolderFailsWithLogLine)
{
    TestDirectory folder;
    LogCapture log;
    const std::string path = folder.PathOf("no-such-folder/out.pdf");
    OutputFile file;
    EXPECT_EQ(file.OpenFile(path), eFailure);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.GetOutputStream(), nullptr);
    EXPECT_EQ(log.Text(), "[ 05/03/2016 09:07:03 ] OutputFile::OpenFile, Unexpected Failure. Cannot open file for writing - " +
                              path + "\r\n");
}

TEST(OutputFile, FailedWriteMakesFlushAndCloseFail)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    OutputFile file;
    ASSERT_EQ(file.OpenFile("/dev/full"), eSuccess);
    std::vector<Byte> data = Pattern(1000);
    file.GetOutputStream()->WriteBytes(data.data(), data.size());
    EXPECT_EQ(file.FlushAndClose(), eFailure);
    // The reason outlives the file, until the next one is opened.
    EXPECT_EQ(file.GetWriteFailure(), "No space left on device");
    TestDirectory folder;
    ASSERT_EQ(file.OpenFile(folder.PathOf("next.pdf")), eSuccess);
    EXPECT_EQ(file.GetWriteFailure(), "");
}

} // namespace
