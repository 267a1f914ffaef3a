#include "pdf/io/DiagnosticLog.h"
#include "pdf/io/OutputStringBufferStream.h"

#include "pdf/support/LogCapture.h"
#include "pdf/support/TestDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <thread>
#include <vector>

using testsupport::ReadFile;
using testsupport::TestDirectory;
using testsupport::WriteFile;
using testsupport::LogCapture;

namespace {

const std::string kStamp = "[ 05/03/2016 09:07:03 ] ";
const std::string kByteOrderMark = "\xEF\xBB\xBF";

class DiagnosticLogTest : public ::testing::Test {
protected:
    void SetUp() override { DiagnosticLog::Instance().SetClock(&LogCapture::FixedClock); }
    void TearDown() override { LogCapture::TurnLogOff(); }
    TestDirectory mFolder;
};

TEST_F(DiagnosticLogTest, CreatedFileGetsByteOrderMarkOnceAndIsAppendedToLater)
{
    const std::string path = mFolder.PathOf("PDFWriterLog.txt");
    DiagnosticLog::Instance().SetLogFile(path, true, true);
    TraceMessage("PDFWriter::EndPDF, Could not end PDF");
    TraceMessage("InputFile::OpenFile, value %d and %lld", 7, 1234567890123LL);
    EXPECT_EQ(ReadFile(path), kByteOrderMark + kStamp + "PDFWriter::EndPDF, Could not end PDF\r\n" +
                                                 kStamp + "InputFile::OpenFile, value 7 and 1234567890123\r\n");

    // A later run (new settings) probes the file again: it exists, so no second mark.
    DiagnosticLog::Instance().SetLogFile(path, true, true);
    TraceMessage("Second run");
    EXPECT_EQ(ReadFile(path), kByteOrderMark + kStamp + "PDFWriter::EndPDF, Could not end PDF\r\n" +
                                                 kStamp + "InputFile::OpenFile, value 7 and 1234567890123\r\n" +
                                                 kStamp + "Second run\r\n");
}

TEST_F(DiagnosticLogTest, ExistingFileIsNeverTruncatedNorMarked)
{
    const std::string path = mFolder.PathOf("existing.txt");
    WriteFile(path, "earlier entries\r\n");
    DiagnosticLog::Instance().SetLogFile(path, true, true);
    TraceMessage("appended");
    EXPECT_EQ(ReadFile(path), "earlier entries\r\n" + kStamp + "appended\r\n");
}

TEST_F(DiagnosticLogTest, UnreadableExistingFileIsAppendedToNotRecreated)
{
    // Write-only: the probe for reading fails (unless run as root), yet the file exists.
    const std::string path = mFolder.PathOf("write-only.txt");
    WriteFile(path, "kept\r\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_write);
    DiagnosticLog::Instance().SetLogFile(path, true, true);
    TraceMessage("appended");
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(ReadFile(path), "kept\r\n" + kStamp + "appended\r\n");
}

TEST_F(DiagnosticLogTest, LogOffCreatesNoFile)
{
    const std::string path = mFolder.PathOf("off.txt");
    DiagnosticLog::Instance().SetLogFile(path, false, true);
    TraceMessage("not written %s", "at all");
    KestrinJPGOutputMessage("nor this");
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(DiagnosticLogTest, StreamTargetUsesNoFileAndNoMark)
{
    const std::string path = mFolder.PathOf("unused.txt");
    DiagnosticLog::Instance().SetLogFile(path, true, true);
    OutputStringBufferStream stream;
    DiagnosticLog::Instance().SetLogStream(&stream, true);
    TraceMessage("Class::Method, %s", "to the stream");
    KestrinJPGOutputMessage("Bogus marker length");
    EXPECT_EQ(stream.ContentsAsString(),
              kStamp + "Class::Method, to the stream\r\n" + kStamp +
                  "KestrinJPGOutputMessage, error from jpg library: Bogus marker length\r\n");
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(DiagnosticLogTest, LongMessageIsCutAt5000Characters)
{
    LogCapture capture;
    std::string longText(6000, 'x');
    TraceMessage("%s", longText.c_str());
    EXPECT_EQ(capture.Text(), kStamp + std::string(5000, 'x') + "\r\n");
}

TEST_F(DiagnosticLogTest, UnwritableLogPathDropsEntriesWithoutBlocking)
{
    // A folder where the file should be: the log's own open fails and reports through the log,
    // which must neither deadlock nor recurse.
    DiagnosticLog::Instance().SetLogFile(mFolder.Path().string(), true, false);
    TraceMessage("dropped");
    DiagnosticLog::Instance().SetLogFile(mFolder.PathOf("missing-folder/log.txt"), true, false);
    TraceMessage("dropped too");
    EXPECT_FALSE(std::filesystem::exists(mFolder.PathOf("missing-folder")));
}

TEST_F(DiagnosticLogTest, EntriesFromSeveralThreadsStayWhole)
{
    LogCapture capture;
    const int kThreads = 4;
    const int kMessages = 250;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < kMessages; ++i)
                TraceMessage("Worker::Run, thread %d message %d", t, i);
        });
    for (std::thread& thread : threads)
        thread.join();

    std::istringstream lines(capture.Text());
    std::string line;
    int count = 0;
    std::vector<int> next(kThreads, 0);
    while (std::getline(lines, line)) {
        int thread = -1, message = -1;
        ASSERT_EQ(sscanf(line.c_str(), "[ 05/03/2016 09:07:03 ] Worker::Run, thread %d message %d\r", &thread, &message), 2)
            << line;
        ASSERT_TRUE(thread >= 0 && thread < kThreads);
        EXPECT_EQ(message, next[thread]++); // each thread's entries in its own order
        EXPECT_EQ(line.back(), '\r');
        ++count;
    }
    EXPECT_EQ(count, kThreads * kMessages);
}

// The reason of a failure is kept per thread whether or not the log is on: the first failure
// line since the operation began, never a note, and never another thread's line.
TEST_F(DiagnosticLogTest, EachThreadKeepsTheFirstFailureLineOfItsOperation)
{
    DiagnosticLog::Instance().SetLogFile(mFolder.PathOf("off.txt"), false, false);
    DiagnosticLog::BeginOperation("/docs/a.pdf");
    EXPECT_EQ(DiagnosticLog::LastFailure().mText, "");
    TraceNote("Parser::Read, a key given twice, the last value counts");
    EXPECT_EQ(DiagnosticLog::LastFailure().mText, "");
    TraceMessage("Parser::Row, malformed cross-reference entry for object %d", 7);
    TraceMessage("Handler::Start, failure occured while parsing PDF file.");
    std::thread other([] {
        DiagnosticLog::BeginOperation("/docs/b.pdf");
        TraceMessage("Other::Thread, its own failure");
        EXPECT_EQ(DiagnosticLog::LastFailure().mFile, "/docs/b.pdf");
    });
    other.join();
    DiagnosticLog::FailureReason reason = DiagnosticLog::LastFailure();
    EXPECT_EQ(reason.mText, "Parser::Row, malformed cross-reference entry for object 7");
    EXPECT_EQ(reason.mFile, "/docs/a.pdf");
    EXPECT_FALSE(std::filesystem::exists(mFolder.PathOf("off.txt")));

    DiagnosticLog::BeginOperation("/docs/c.pdf");
    EXPECT_EQ(DiagnosticLog::LastFailure().mText, "");
    TraceMessage("%s", std::string(6000, 'x').c_str());
    EXPECT_EQ(DiagnosticLog::LastFailure().mText.size(), 5000u);

    // With the log on, the note and the failure are both written.
    LogCapture capture;
    DiagnosticLog::BeginOperation("/docs/d.pdf");
    TraceNote("Note::Line, read past");
    TraceMessage("Fail::Line, gave up");
    EXPECT_EQ(capture.Text(), kStamp + "Note::Line, read past\r\n" + kStamp + "Fail::Line, gave up\r\n");
    EXPECT_EQ(DiagnosticLog::LastFailure().mText, "Fail::Line, gave up");
}

} // namespace
