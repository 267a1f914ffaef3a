#pragma once
// Helpers shared by the writer's tests: an objects context writing into memory, a target that
// stops taking bytes, a capture of the trace log, a fresh temporary folder, and inflating with
// zlib itself.

#include "pdf/io/DiagnosticLog.h"
#include "pdf/io/IByteWriterWithPosition.h"
#include "pdf/io/OutputStringBufferStream.h"
#include "pdf/writing/ObjectsContext.h"

#include <zlib.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace WriterTestSupport {

// An objects context whose output is kept in memory.
class MemoryContext {
public:
    MemoryContext() { mContext.SetOutputStream(&mOutput); }
    ObjectsContext& Context() { return mContext; }
    std::string Bytes() const { return mOutput.ContentsAsString(); }
    LongFilePositionType Position() { return mOutput.TellPosition(); }

private:
    OutputStringBufferStream mOutput;
    ObjectsContext mContext;
};

// Takes bytes until its budget is spent, then takes no more (a full disk, a closed pipe).
class LimitedTarget : public IByteWriterWithPosition {
public:
    explicit LimitedTarget(size_t inBudget) : mBudget(inBudget) {}
    size_t WriteBytes(const Byte* inBuffer, size_t inSize) override
    {
        size_t taken = inSize < mBudget ? inSize : mBudget;
        mData.append(reinterpret_cast<const char*>(inBuffer), taken);
        mBudget -= taken;
        return taken;
    }
    LongFilePositionType TellPosition() override { return static_cast<LongFilePositionType>(mData.size()); }
    const std::string& Data() const { return mData; }

private:
    size_t mBudget;
    std::string mData;
};

// Sends the trace log into memory for the life of the object.
class LogCapture {
public:
    LogCapture() { DiagnosticLog::Instance().SetLogStream(&mStream, true); }
    ~LogCapture() { DiagnosticLog::Instance().SetLogStream(nullptr, false); }
    std::string Text() const { return mStream.ContentsAsString(); }
    bool Contains(const std::string& inText) const { return Text().find(inText) != std::string::npos; }

private:
    OutputStringBufferStream mStream;
};

// A new folder below the test build's temporary folder, removed with everything in it.
class TempDirectory {
public:
    TempDirectory()
    {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info ? info->test_suite_name() : "suite") + "_" +
                           (info ? info->name() : "test") + "_" + std::to_string(getpid());
        mPath = std::filesystem::path(VELLORAN_TEST_TMP) / name;
        std::filesystem::remove_all(mPath);
        std::filesystem::create_directories(mPath);
    }
    ~TempDirectory()
    {
        std::error_code ignored;
        std::filesystem::remove_all(mPath, ignored);
    }
    std::string File(const std::string& inName) const { return (mPath / inName).string(); }
    const std::filesystem::path& Path() const { return mPath; }

private:
    std::filesystem::path mPath;
};

// Inflates one complete zlib stream with zlib's uncompress; false when zlib rejects it or the
// data is not exactly inExpectedSize bytes long.
inline bool Inflate(const std::string& inCompressed, size_t inExpectedSize, std::string& outData)
{
    // One spare byte tells a longer result from an exact one.
    outData.assign(inExpectedSize + 1, '\0');
    uLongf size = static_cast<uLongf>(outData.size());
    int status = uncompress(reinterpret_cast<Bytef*>(&outData[0]), &size,
                            reinterpret_cast<const Bytef*>(inCompressed.data()), static_cast<uLong>(inCompressed.size()));
    if (status != Z_OK)
        return false;
    outData.resize(size);
    return size == inExpectedSize;
}

} // namespace WriterTestSupport
