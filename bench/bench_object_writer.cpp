// Speed of the object writer: many small objects with a cross-reference table, and one large
// Flate stream, both through the objects context into a file; zlib's own deflate of the same
// data at the same level (output counted, not written) as the yardstick for the stream, taking
// turns with it. What the last runs wrote is checked: every entry of the cross-reference table
// must point at its object, and both Flate streams must inflate to the data, or the benchmark
// fails. Usage: bench_object_writer [runs]

#include "bench/BenchSupport.h"
#include "bench/OutputChecks.h"
#include "pdf/io/OutputFile.h"
#include "pdf/writing/ObjectsContext.h"

#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point inStart)
{
    return std::chrono::duration<double>(Clock::now() - inStart).count();
}

// Page-content-like text with changing numbers, so that deflate has real work to do.
std::string MakeContent(size_t inSize)
{
    std::string data;
    data.reserve(inSize + 128);
    unsigned long state = 12345;
    char line[128];
    while (data.size() < inSize) {
        state = state * 1103515245UL + 12345UL;
        unsigned long x = (state >> 8) % 6000, y = (state >> 20) % 8000;
        int length = std::snprintf(line, sizeof(line), "%lu.%02lu %lu.%02lu m %lu %lu l S BT /F1 %lu Tf (w%lu) Tj ET\n",
                                   x / 10, x % 100, y / 10, y % 100, x, y, 6 + state % 30, state % 100000);
        data.append(line, static_cast<size_t>(length));
    }
    data.resize(inSize);
    return data;
}

// One output file with an objects context over it; Finish reports whether all went well.
class TimedFile {
public:
    bool Open(const std::string& inPath)
    {
        if (mFile.OpenFile(inPath) != eSuccess)
            return false;
        mStart = Clock::now();
        mContext.SetOutputStream(mFile.GetOutputStream());
        return true;
    }
    ObjectsContext& Context() { return mContext; }
    bool Finish(bool inOk, double& outSeconds)
    {
        inOk = !mContext.HasFailed() && inOk;
        inOk = mFile.FlushAndClose() == eSuccess && inOk;
        outSeconds = SecondsSince(mStart);
        return inOk;
    }

private:
    OutputFile mFile;
    ObjectsContext mContext;
    Clock::time_point mStart;
};

bool WriteSmallObjects(const std::string& inPath, int inCount, double& outSeconds)
{
    TimedFile file;
    if (!file.Open(inPath))
        return false;
    ObjectsContext& context = file.Context();
    context.WriteComment("PDF-1.4");
    for (int i = 0; i < inCount; ++i) {
        context.AllocateAndStartIndirectObject();
        DictionaryContext* dictionary = context.StartDictionary();
        dictionary->WriteKey("Type");
        context.GetValueWriter().WriteNameValue("Annot", eTokenSeparatorEndLine);
        dictionary->WriteKey("Rect");
        dictionary->WriteRectangleValue(10.5, 20.25, 100 + i % 500, 200.125);
        dictionary->WriteKey("Count");
        dictionary->WriteIntegerValue(i);
        dictionary->WriteKey("Parent");
        context.WriteIndirectObjectReference(1, 0, eTokenSeparatorEndLine);
        context.EndDictionary(dictionary);
        context.EndIndirectObject();
    }
    LongFilePositionType xref = 0;
    return file.Finish(context.WriteXrefTable(xref) == eSuccess, outSeconds);
}

bool WriteFlateStream(const std::string& inPath, const std::string& inData, double& outSeconds, long long& outEncoded)
{
    TimedFile file;
    if (!file.Open(inPath))
        return false;
    ObjectsContext& context = file.Context();
    context.AllocateAndStartIndirectObject();
    std::unique_ptr<WrittenPDFStream> stream = context.StartStream();
    const size_t chunk = 64 * 1024;
    for (size_t offset = 0; offset < inData.size(); offset += chunk) {
        size_t count = std::min(chunk, inData.size() - offset);
        stream->GetWriteStream()->WriteBytes(reinterpret_cast<const Byte*>(inData.data()) + offset, count);
    }
    bool ok = context.EndStream(stream.get()) == eSuccess;
    outEncoded = stream->GetLength();
    return file.Finish(ok, outSeconds);
}

// deflate alone, same level, same output buffer size, output kept in memory.
bool DeflateAlone(const std::string& inData, double& outSeconds, std::string& outEncoded)
{
    Clock::time_point start = Clock::now();
    z_stream stream = {};
    if (deflateInit(&stream, Z_DEFAULT_COMPRESSION) != Z_OK)
        return false;
    std::unique_ptr<Byte[]> buffer(new Byte[0x40000]);
    const size_t chunk = 64 * 1024;
    outEncoded.clear();
    for (size_t offset = 0; offset <= inData.size(); offset += chunk) {
        bool last = offset + chunk >= inData.size();
        size_t count = last ? inData.size() - offset : chunk;
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(inData.data() + offset));
        stream.avail_in = static_cast<uInt>(count);
        int status;
        do {
            stream.next_out = buffer.get();
            stream.avail_out = 0x40000;
            status = deflate(&stream, last ? Z_FINISH : Z_NO_FLUSH);
            outEncoded.append(reinterpret_cast<const char*>(buffer.get()), 0x40000 - stream.avail_out);
        } while (stream.avail_out == 0);
        if (last) {
            deflateEnd(&stream);
            outSeconds = SecondsSince(start);
            return status == Z_STREAM_END;
        }
    }
    deflateEnd(&stream);
    return false;
}

// What is wrong with the small objects' file: the table must list inCount objects after the free
// entry, each at the offset where "n 0 obj" starts.
std::string XrefProblem(const std::string& inFile, int inCount)
{
    const size_t xref = inFile.rfind("xref");
    if (xref == std::string::npos)
        return "no cross-reference table";
    // "xref", the first id (0) and the number of entries, each row then 20 bytes.
    char* end = nullptr;
    std::strtol(inFile.c_str() + xref + 4, &end, 10);
    const long entries = std::strtol(end, &end, 10);
    const size_t first = inFile.find('\n', static_cast<size_t>(end - inFile.c_str())) + 1;
    if (entries != inCount + 1 || first + static_cast<size_t>(entries) * 20 > inFile.size())
        return "the table lists " + std::to_string(entries) + " entries, not " + std::to_string(inCount + 1);
    for (long id = 1; id < entries; ++id) {
        const size_t offset = std::strtoull(inFile.c_str() + first + static_cast<size_t>(id) * 20, nullptr, 10);
        const std::string declaration = std::to_string(id) + " 0 obj";
        if (inFile.compare(offset, declaration.size(), declaration) != 0)
            return "entry " + std::to_string(id) + " points at " + bench::Excerpt(inFile.substr(offset, 20));
    }
    return std::string();
}

// What is wrong with Flate data that should inflate to inData.
std::string InflateProblem(const std::string& inEncoded, const std::string& inData)
{
    std::string inflated(inData.size() + 1, '\0');
    uLongf size = static_cast<uLongf>(inflated.size());
    const int status = uncompress(reinterpret_cast<Bytef*>(&inflated[0]), &size,
                                  reinterpret_cast<const Bytef*>(inEncoded.data()), static_cast<uLong>(inEncoded.size()));
    if (status != Z_OK)
        return "zlib cannot inflate it (" + std::to_string(status) + ")";
    inflated.resize(size);
    return inflated == inData ? std::string() : "it inflates to other data (" + std::to_string(size) + " bytes)";
}

// The data of the stream in the stream file: after the keyword and its end of line, Length bytes.
std::string StreamData(const std::string& inFile, long long inLength)
{
    size_t start = inFile.find("stream");
    if (start == std::string::npos)
        return std::string();
    start += 6;
    start += inFile.compare(start, 2, "\r\n") == 0 ? 2 : 1;
    return inFile.substr(start, static_cast<size_t>(inLength));
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = bench::RunCount(argc, argv, 1, 5);
    const int objectCount = 100000;
    const size_t streamSize = 100 * 1024 * 1024;
    std::filesystem::path folder = std::filesystem::temp_directory_path();
    std::string stem = "velloran_bench_object_writer_" + std::to_string(getpid());
    std::string objectsPath = (folder / (stem + "_objects.pdf")).string();
    std::string streamPath = (folder / (stem + "_stream.pdf")).string();
    bench::PrintLoad();

    double seconds = 0;
    const std::vector<bench::SideRuns> objects = bench::InterleaveInProcess(
        runs, {[&]() { return WriteSmallObjects(objectsPath, objectCount, seconds); }});
    long long objectsFileSize = static_cast<long long>(std::filesystem::file_size(objectsPath));

    std::string data = MakeContent(streamSize);
    long long streamEncoded = 0;
    std::string zlibEncoded;
    const std::vector<bench::SideRuns> streams = bench::InterleaveInProcess(
        runs, {[&]() { return WriteFlateStream(streamPath, data, seconds, streamEncoded); },
               [&]() { return DeflateAlone(data, seconds, zlibEncoded); }});
    bench::Failures failures;
    const char* objectsCheck = failures.Check("small objects", objects[0], [&]() {
        return XrefProblem(testsupport::ReadFile(objectsPath), objectCount);
    });
    const char* streamCheck = failures.Check("Flate stream", streams[0], [&]() {
        return InflateProblem(StreamData(testsupport::ReadFile(streamPath), streamEncoded), data);
    });
    const char* zlibCheck =
        failures.Check("zlib deflate", streams[1], [&]() { return InflateProblem(zlibEncoded, data); });
    std::filesystem::remove(objectsPath);
    std::filesystem::remove(streamPath);

    const double megabytes = static_cast<double>(streamSize) / (1024.0 * 1024.0);
    std::printf("seconds: median [min-max] of %d runs\n", runs);
    std::printf("small objects: %d objects and xref table, %lld bytes, %s s, %.0f objects/s, %s\n", objectCount,
                objectsFileSize, bench::Format(objects[0].Seconds(), 3).c_str(),
                objectCount / objects[0].Seconds().median, objectsCheck);
    std::printf("Flate stream through ObjectsContext: %.0f MB in, %lld bytes out, %s s, %.1f MB/s, %s\n", megabytes,
                streamEncoded, bench::Format(streams[0].Seconds(), 3).c_str(), megabytes / streams[0].Seconds().median,
                streamCheck);
    std::printf("zlib deflate alone (same level):     %.0f MB in, %zu bytes out, %s s, %.1f MB/s, %s\n", megabytes,
                zlibEncoded.size(), bench::Format(streams[1].Seconds(), 3).c_str(),
                megabytes / streams[1].Seconds().median, zlibCheck);
    std::printf("ours / zlib alone (medians): %.2f times the time\n",
                streams[0].Seconds().median / streams[1].Seconds().median);
    return failures.ExitStatus();
}
