#include "pdf/io/InputBufferedStream.h"
#include "pdf/io/InputByteArrayStream.h"
#include "pdf/io/InputFile.h"
#include "pdf/io/InputFileStream.h"

#include "pdf/support/LogCapture.h"
#include "StuckReader.h"
#include "pdf/support/TestDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <string>
#include <vector>

using testsupport::TestDirectory;
using testsupport::WriteFile;
using testsupport::LogCapture;

namespace {

const size_t kBufferSize = 0x40000;

std::string PatternText(size_t inSize)
{
    std::string text(inSize, '\0');
    unsigned state = 12345;
    for (size_t i = 0; i < inSize; ++i) {
        state = state * 1103515245u + 12345u;
        text[i] = static_cast<char>(state >> 24);
    }
    return text;
}

std::string ReadExactly(IByteReader* inStream, size_t inSize)
{
    std::string bytes(inSize, '\0');
    size_t got = inStream->Read(reinterpret_cast<Byte*>(&bytes[0]), inSize);
    bytes.resize(got);
    return bytes;
}

TEST(InputFile, ReadsAcrossBufferBoundariesGiveTheFileExactly)
{
    TestDirectory folder;
    const std::string path = folder.PathOf("data.bin");
    const std::string contents = PatternText(5 * kBufferSize + 12345);
    WriteFile(path, contents);

    InputFile file;
    ASSERT_EQ(file.OpenFile(path), eSuccess);
    IByteReaderWithPosition* stream = file.GetInputStream();
    ASSERT_NE(stream, nullptr);

    // Small reads, reads ending just past the buffer, large reads that bypass the buffer, and
    // one larger than everything that is left.
    const size_t sizes[] = {1, 1000, kBufferSize - 1001, 2, kBufferSize + 17, 3, 2 * kBufferSize + 5, 3 * kBufferSize};
    std::string read;
    for (size_t size : sizes) {
        EXPECT_EQ(stream->TellPosition(), static_cast<LongFilePositionType>(read.size()));
        read += ReadExactly(stream, size);
    }
    EXPECT_EQ(read.size(), contents.size());
    EXPECT_TRUE(read == contents);
    EXPECT_EQ(ReadExactly(stream, 10), "");
    EXPECT_FALSE(stream->HasMoreBytes());

    // Positioning empties the buffer and reads from the new place.
    stream->SeekFromStart(kBufferSize - 5);
    EXPECT_TRUE(stream->HasMoreBytes());
    EXPECT_EQ(ReadExactly(stream, 10), contents.substr(kBufferSize - 5, 10));
    stream->SkipForward(100); // inside the buffer
    EXPECT_EQ(stream->TellPosition(), static_cast<LongFilePositionType>(kBufferSize + 105));
    stream->SkipForward(kBufferSize); // past it
    EXPECT_EQ(stream->TellPosition(), static_cast<LongFilePositionType>(2 * kBufferSize + 105));
    EXPECT_EQ(ReadExactly(stream, 4), contents.substr(2 * kBufferSize + 105, 4));
    stream->SeekFromEnd(7);
    EXPECT_EQ(ReadExactly(stream, 100), contents.substr(contents.size() - 7));
}

TEST(InputFile, FileOfOneBufferEndsOnlyAfterAShortRead)
{
    TestDirectory folder;
    const std::string path = folder.PathOf("exact.bin");
    const std::string contents = PatternText(kBufferSize);
    WriteFile(path, contents);

    InputFile file;
    ASSERT_EQ(file.OpenFile(path), eSuccess);
    IByteReaderWithPosition* stream = file.GetInputStream();
    EXPECT_TRUE(ReadExactly(stream, kBufferSize) == contents);
    EXPECT_TRUE(stream->HasMoreBytes());
    EXPECT_EQ(ReadExactly(stream, 1), "");
    EXPECT_FALSE(stream->HasMoreBytes());
    EXPECT_EQ(file.CloseFile(), eSuccess);
    EXPECT_EQ(file.GetInputStream(), nullptr);
    EXPECT_EQ(file.CloseFile(), eSuccess);
}

TEST(InputFile, OpeningAnotherFileReplacesTheFirst)
{
    TestDirectory folder;
    WriteFile(folder.PathOf("first.txt"), "first");
    WriteFile(folder.PathOf("second.txt"), "second");
    InputFile file;
    ASSERT_EQ(file.OpenFile(folder.PathOf("first.txt")), eSuccess);
    ASSERT_EQ(file.OpenFile(folder.PathOf("second.txt")), eSuccess);
    EXPECT_EQ(file.GetFilePath(), folder.PathOf("second.txt"));
    EXPECT_EQ(ReadExactly(file.GetInputStream(), 100), "second");
}

TEST(InputFile, NonASCIIPathOpensItsFile)
{
    TestDirectory folder;
    const std::string name = "\xC3\x9C" "bersicht \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80.pdf"; // Ü...日本 😀
    const std::string path = folder.PathOf(name);
    WriteFile(path, "%PDF-1.3");
    ASSERT_TRUE(std::filesystem::exists(std::filesystem::u8path(path)));

    InputFile file;
    ASSERT_EQ(file.OpenFile(path), eSuccess);
    EXPECT_EQ(ReadExactly(file.GetInputStream(), 100), "%PDF-1.3");
}

TEST(InputFile, RefusesFoldersMissingFilesAndMalformedPaths)
{
    TestDirectory folder;
    LogCapture log;
    InputFile file;
    const std::string prefix = folder.PathOf("name");
    WriteFile(prefix, "must not be opened");
    ASSERT_EQ(file.OpenFile(prefix), eSuccess);

    // A folder, a missing file, and a path whose bad UTF-8 tail must not open the file named by
    // the part before it. Each failure leaves no file open.
    const std::string paths[] = {folder.Path().string(), folder.PathOf("missing.pdf"), prefix + "\xC3"};
    std::string expected;
    for (const std::string& path : paths) {
        EXPECT_EQ(file.OpenFile(path), eFailure) << path;
        EXPECT_EQ(file.GetInputStream(), nullptr);
        expected += "[ 05/03/2016 09:07:03 ] InputFile::OpenFile, Unexpected Failure. Cannot open file for reading - " +
                    path + "\r\n";
    }
    EXPECT_EQ(log.Text(), expected);
}

TEST(InputFile, NamedPipeIsRefusedWithoutWaitingForAWriter)
{
    TestDirectory folder;
    const std::string path = folder.PathOf("pipe");
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    InputFile file;
    EXPECT_EQ(file.OpenFile(path), eFailure);
}

TEST(InputFileStream, SeeksWithSizeAndFallbacks)
{
    TestDirectory folder;
    const std::string path = folder.PathOf("ten.bin");
    WriteFile(path, "0123456789");
    InputFileStream stream;
    EXPECT_EQ(stream.QueryFileSize(), 0);
    EXPECT_FALSE(stream.HasMoreBytes());
    ASSERT_EQ(stream.OpenForReading(path), eSuccess);
    stream.SeekFromStart(3);
    EXPECT_EQ(stream.QueryFileSize(), 10);
    EXPECT_EQ(stream.TellPosition(), 3); // kept
    stream.SeekFromEnd(4);
    EXPECT_EQ(ReadExactly(&stream, 2), "67");
    stream.SeekFromEnd(50); // before the start: back to it
    EXPECT_EQ(stream.TellPosition(), 0);
    EXPECT_EQ(ReadExactly(&stream, 20), "0123456789");
    EXPECT_FALSE(stream.HasMoreBytes());
    stream.SeekFromStart(0); // a seek after the end reads again
    EXPECT_TRUE(stream.HasMoreBytes());
    EXPECT_EQ(stream.Close(), eSuccess);
}

TEST(InputFileStream, ReadErrorEndsTheStream)
{
    // Reading this process's memory at offset 0 fails with an I/O error, not at an end of file.
    InputFileStream stream;
    if (stream.OpenForReading("/proc/self/mem") != eSuccess)
        GTEST_SKIP() << "/proc/self/mem cannot be opened here";
    Byte buffer[16];
    EXPECT_EQ(stream.Read(buffer, sizeof(buffer)), 0u);
    EXPECT_FALSE(stream.HasMoreBytes());
    stream.SeekFromStart(0);
    EXPECT_FALSE(stream.HasMoreBytes()); // stays failed

    InputBufferedStream buffered(new InputFileStream());
    static_cast<InputFileStream*>(buffered.GetSourceStream())->OpenForReading("/proc/self/mem");
    int reads = 0;
    while (buffered.HasMoreBytes() && reads < 10) {
        buffered.Read(buffer, sizeof(buffer));
        ++reads;
    }
    EXPECT_EQ(reads, 1);
}

TEST(InputBufferedStream, StuckSourceEndsInsteadOfSpinning)
{
    Byte buffer[kBufferSize + 10];
    for (size_t size : {size_t(10), kBufferSize, kBufferSize + 10}) {
        InputBufferedStream stream(new StuckReader(), kBufferSize);
        EXPECT_TRUE(stream.HasMoreBytes());
        EXPECT_EQ(stream.Read(buffer, size), 0u);
        EXPECT_FALSE(stream.HasMoreBytes()) << size;
    }
}

TEST(InputBufferedStream, BufferedBytesAreServedBeforeTheFailure)
{
    const std::string contents = "abcdefghij";
    InputByteArrayStream* source =
        new InputByteArrayStream(reinterpret_cast<const Byte*>(contents.data()), static_cast<LongFilePositionType>(contents.size()));
    InputBufferedStream stream(source, 4);
    EXPECT_EQ(ReadExactly(&stream, 1), "a");
    EXPECT_EQ(stream.TellPosition(), 1);
    EXPECT_EQ(ReadExactly(&stream, 8), "bcdefghi"); // 3 buffered, 4 direct, 1 through the buffer
    EXPECT_EQ(stream.TellPosition(), 9);
    EXPECT_EQ(ReadExactly(&stream, 8), "j");
    EXPECT_FALSE(stream.HasMoreBytes());
}

namespace {

// Counts the bytes the buffer takes from its source, and the reads.
class CountingSource : public InputByteArrayStream {
public:
    using InputByteArrayStream::InputByteArrayStream;
    size_t Read(Byte* inBuffer, size_t inSize) override
    {
        size_t got = InputByteArrayStream::Read(inBuffer, inSize);
        taken += got;
        ++reads;
        return got;
    }
    size_t taken = 0;
    size_t reads = 0;
};

} // namespace

TEST(InputBufferedStream, SeeksWithinTheBufferReadNothingFromTheSource)
{
    const std::string contents = "0123456789abcdefghijklmnopqrstuvwxyz";
    CountingSource* source =
        new CountingSource(reinterpret_cast<const Byte*>(contents.data()), static_cast<LongFilePositionType>(contents.size()));
    InputBufferedStream stream(source, 8);
    stream.SeekFromStart(10);
    EXPECT_EQ(ReadExactly(&stream, 2), "ab"); // the buffer holds 10 to 17
    EXPECT_EQ(source->taken, 8u);
    stream.SeekFromStart(16);
    EXPECT_EQ(stream.TellPosition(), 16);
    EXPECT_EQ(ReadExactly(&stream, 2), "gh");
    stream.SeekFromStart(10);
    EXPECT_EQ(ReadExactly(&stream, 3), "abc");
    EXPECT_EQ(source->taken, 8u);
    // Outside the buffer the source is read again, and reads go on from the new place.
    stream.SeekFromStart(18);
    EXPECT_EQ(ReadExactly(&stream, 3), "ijk");
    stream.SeekFromStart(2);
    EXPECT_EQ(ReadExactly(&stream, 12), "23456789abcd");
    EXPECT_EQ(stream.TellPosition(), 14);
}

TEST(InputBufferedStream, SeeksAtTheBufferEdgesAndSmallRefillsAfterASeek)
{
    const std::string contents = PatternText(4 * kBufferSize);
    CountingSource* source =
        new CountingSource(reinterpret_cast<const Byte*>(contents.data()), static_cast<LongFilePositionType>(contents.size()));
    InputBufferedStream stream(source, kBufferSize);
    const size_t seekRead = InputBufferedStream::kSeekReadSize;

    // A read at the start fills a whole buffer; a seek to its last byte and to its end reads
    // nothing more, and a read from the end goes on from there.
    EXPECT_EQ(ReadExactly(&stream, 10), contents.substr(0, 10));
    EXPECT_EQ(source->taken, kBufferSize);
    stream.SeekFromStart(kBufferSize - 1);
    EXPECT_EQ(ReadExactly(&stream, 1), contents.substr(kBufferSize - 1, 1));
    stream.SeekFromStart(0);
    stream.SeekFromStart(kBufferSize);
    EXPECT_EQ(source->taken, kBufferSize);
    EXPECT_EQ(stream.TellPosition(), static_cast<LongFilePositionType>(kBufferSize));
    EXPECT_EQ(ReadExactly(&stream, 3), contents.substr(kBufferSize, 3));

    // Far away: a small refill, then twice as much each time reads go on, up to the buffer.
    const size_t far = 3 * kBufferSize + 5;
    stream.SeekFromStart(far);
    size_t before = source->taken;
    EXPECT_EQ(ReadExactly(&stream, 1), contents.substr(far, 1));
    EXPECT_EQ(source->taken - before, seekRead);
    EXPECT_EQ(ReadExactly(&stream, seekRead + 10), contents.substr(far + 1, seekRead + 10));
    EXPECT_EQ(source->taken - before, 3 * seekRead);
    // Just before the small window: read again. A read larger than the first refill is whole.
    stream.SeekFromStart(far - 1);
    EXPECT_EQ(ReadExactly(&stream, 3 * seekRead), contents.substr(far - 1, 3 * seekRead));
    EXPECT_EQ(stream.TellPosition(), static_cast<LongFilePositionType>(far - 1 + 3 * seekRead));
    // Up to the end of the data and past it.
    stream.SeekFromStart(contents.size() - 2);
    EXPECT_EQ(ReadExactly(&stream, 10), contents.substr(contents.size() - 2));
    EXPECT_FALSE(stream.HasMoreBytes());
    stream.SeekFromStart(5);
    EXPECT_TRUE(stream.HasMoreBytes());
    EXPECT_EQ(ReadExactly(&stream, 2), contents.substr(5, 2));
}

TEST(InputByteArrayStream, PositionsAreClampedToTheArray)
{
    const Byte data[5] = {1, 2, 3, 4, 5};
    InputByteArrayStream stream(data, 5);
    stream.SeekFromStart(9);
    EXPECT_EQ(stream.TellPosition(), 5);
    EXPECT_FALSE(stream.HasMoreBytes());
    stream.SeekFromStart(-3);
    EXPECT_EQ(stream.TellPosition(), 0);
    stream.SkipForward(4);
    stream.SkipForward(static_cast<size_t>(-1));
    EXPECT_EQ(stream.TellPosition(), 5);
    stream.SeekFromEnd(2);
    EXPECT_EQ(stream.TellPosition(), 3);
    stream.SeekFromEnd(6);
    EXPECT_EQ(stream.TellPosition(), 0);
    stream.SeekFromEnd(-2);
    EXPECT_EQ(stream.TellPosition(), 5);

    stream.SeekFromStart(3);
    Byte buffer[8] = {};
    EXPECT_EQ(stream.Read(buffer, sizeof(buffer)), 2u);
    EXPECT_EQ(buffer[0], 4);
    EXPECT_EQ(buffer[1], 5);

    InputByteArrayStream empty(nullptr, 10);
    EXPECT_FALSE(empty.HasMoreBytes());
    EXPECT_EQ(empty.Read(buffer, sizeof(buffer)), 0u);
}

} // namespace
