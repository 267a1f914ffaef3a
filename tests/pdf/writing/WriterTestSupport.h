#pragma once
// Helpers shared by the writer's tests: an objects context writing into memory, a target that
// stops taking bytes, inflating with zlib itself, and running the other readers.

#include "pdf/io/IByteWriterWithPosition.h"
#include "pdf/io/OutputStringBufferStream.h"
#include "pdf/writing/ObjectsContext.h"

#include <zlib.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>
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


// Runs a command and returns its exit status, with its standard output and error in outText.
inline int Run(const std::string& inCommand, std::string& outText)
{
    outText.clear();
    FILE* pipe = popen((inCommand + " 2>&1").c_str(), "r");
    if (!pipe)
        return -1;
    char buffer[4096];
    size_t count;
    while ((count = fread(buffer, 1, sizeof(buffer), pipe)) > 0)
        outText.append(buffer, count);
    int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// qpdf checks the file and finds nothing to warn about.
inline void ExpectQpdfAccepts(const std::string& inPath)
{
    std::string output;
    EXPECT_EQ(Run("qpdf --check '" + inPath + "'", output), 0) << output;
    EXPECT_NE(output.find("No syntax or stream encoding errors found"), std::string::npos) << output;
    EXPECT_EQ(output.find("WARNING"), std::string::npos) << output;
}

// The value of a "Key:   value" line of pdfinfo's report.
inline std::string Field(const std::string& inReport, const std::string& inKey)
{
    size_t start = inReport.find("\n" + inKey + ":");
    if (start == std::string::npos && inReport.compare(0, inKey.size() + 1, inKey + ":") == 0)
        start = 0;
    else if (start == std::string::npos)
        return "<missing>";
    else
        ++start;
    start = inReport.find_first_not_of(' ', start + inKey.size() + 1);
    size_t end = inReport.find('\n', start);
    return inReport.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

} // namespace WriterTestSupport
