// Throughput of the decoding filters on in-memory data: Flate (against zlib's own one-shot
// uncompress and against feeding inflate one byte per call, taking turns), PNG Up and Paeth
// predictors over Flate, and ASCII85. Each figure is the median and spread of the runs after a
// warm-up. Every side decodes into one buffer of the data's size, which after the last run must
// hold the data the input was made from, or the benchmark fails.
// Usage: bench_filter_decode [runs]

#include "bench/BenchSupport.h"
#include "bench/OutputChecks.h"
#include "tests/pdf/io/FilterTestSupport.h"
#include "pdf/io/InputAscii85DecodeStream.h"
#include "pdf/io/InputByteArrayStream.h"
#include "pdf/io/InputFlateDecodeStream.h"
#include "pdf/io/InputLimitedStream.h"
#include "pdf/io/InputPredictorFactory.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<Byte>;

Bytes SampleData(size_t inSize)
{
    // Text-like content with some noise, compressing roughly as page content does.
    Bytes data(inSize);
    uint32_t state = 12345;
    const char* words = "BT /F1 12 Tf 72 712 Td (Kestrin reads PDF streams) Tj ET q 1 0 0 1 0 0 cm Q ";
    size_t wordsLength = strlen(words);
    for (size_t i = 0; i < inSize; ++i) {
        state = state * 1664525u + 1013904223u;
        data[i] = (state >> 28) == 0 ? static_cast<Byte>(state >> 20) : static_cast<Byte>(words[i % wordsLength]);
    }
    return data;
}

Bytes Compress(const Bytes& inData)
{
    uLongf size = compressBound(static_cast<uLong>(inData.size()));
    Bytes out(size);
    compress2(out.data(), &size, inData.data(), static_cast<uLong>(inData.size()), Z_DEFAULT_COMPRESSION);
    out.resize(size);
    return out;
}

// Reads everything into outBuffer, 64 KB a call, as a reader of stream data does; the bytes read
// (one more than the buffer holds when the reader has more).
size_t Drain(IByteReader& inReader, Bytes& outBuffer)
{
    size_t total = 0;
    while (inReader.HasMoreBytes() && total < outBuffer.size()) {
        size_t got = inReader.Read(outBuffer.data() + total, std::min<size_t>(1 << 16, outBuffer.size() - total));
        if (got == 0)
            break;
        total += got;
    }
    Byte more;
    return total + (inReader.HasMoreBytes() && inReader.Read(&more, 1) == 1 ? 1 : 0);
}

// What is wrong with a side's last output: inProduced bytes of outBuffer against inExpected.
std::string OutputProblem(const Bytes& inBuffer, size_t inProduced, const Bytes& inExpected)
{
    if (inProduced != inExpected.size())
        return std::to_string(inProduced) + " bytes decoded, not " + std::to_string(inExpected.size());
    return std::equal(inExpected.begin(), inExpected.end(), inBuffer.begin()) ? std::string()
                                                                              : "the decoded bytes differ";
}

void Report(const char* inName, size_t inBytes, const bench::SideRuns& inRuns, const std::string& inProblem,
            bench::Failures& ioFailures)
{
    const bench::Spread seconds = inRuns.Seconds();
    const std::string problem = bench::RunsProblem(inRuns);
    printf("%-44s %10zu bytes  ms %-24s  %8.1f MB/s  %s\n", inName, inBytes,
           bench::Format({seconds.median * 1000, seconds.low * 1000, seconds.high * 1000}, 1).c_str(),
           inBytes / seconds.median / 1e6, ioFailures.Note(inName, problem.empty() ? inProblem : problem));
}

// Standard ASCII85 of the data, 64 characters a line, "z" for four zero bytes, with the end mark.
Bytes Ascii85(const Bytes& inData)
{
    Bytes text;
    size_t column = 0;
    auto put = [&](Byte inCharacter) {
        text.push_back(inCharacter);
        if (++column % 64 == 0)
            text.push_back('\n');
    };
    for (size_t at = 0; at < inData.size(); at += 4) {
        const size_t count = std::min<size_t>(4, inData.size() - at);
        uint32_t value = 0;
        for (size_t i = 0; i < 4; ++i)
            value = value << 8 | (i < count ? inData[at + i] : 0);
        if (value == 0 && count == 4) {
            put('z');
            continue;
        }
        Byte group[5];
        for (int i = 4; i >= 0; --i, value /= 85)
            group[i] = static_cast<Byte>('!' + value % 85);
        for (size_t i = 0; i <= count; ++i)
            put(group[i]);
    }
    text.push_back('~');
    text.push_back('>');
    return text;
}

// Feeds inflate one input byte per call, each byte asked of a limited reader over the data,
// as a reader with a one-byte input holder does.
size_t InflateByteByByte(const Bytes& inCompressed, Bytes& out)
{
    InputLimitedStream source(new InputByteArrayStream(inCompressed.data(), static_cast<long long>(inCompressed.size())),
                              static_cast<long long>(inCompressed.size()), true);
    z_stream stream;
    memset(&stream, 0, sizeof(stream));
    inflateInit(&stream);
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    int status = Z_OK;
    Byte holder;
    while (status == Z_OK && source.HasMoreBytes() && source.Read(&holder, 1) == 1) {
        stream.next_in = &holder;
        stream.avail_in = 1;
        while (stream.avail_in > 0 && status == Z_OK)
            status = inflate(&stream, Z_NO_FLUSH);
    }
    size_t produced = out.size() - stream.avail_out;
    inflateEnd(&stream);
    return produced;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = bench::RunCount(argc, argv, 1, 5);
    const size_t size = 64 * 1024 * 1024;
    Bytes data = SampleData(size);
    Bytes compressed = Compress(data);
    printf("sample: %zu bytes, compressed to %zu; %d runs each\n", data.size(), compressed.size(), runs);
    bench::PrintLoad();
    bench::Failures failures;

    {
        // One output buffer a side, a byte longer than the data, so that too much shows.
        std::vector<Bytes> out(3, Bytes(size + 1));
        size_t produced[3] = {0, 0, 0};
        const std::vector<bench::SideRuns> sides = bench::InterleaveInProcess(
            runs, {[&]() {
                       uLongf outSize = static_cast<uLongf>(out[0].size());
                       bool ok = uncompress(out[0].data(), &outSize, compressed.data(),
                                            static_cast<uLong>(compressed.size())) == Z_OK;
                       produced[0] = outSize;
                       return ok;
                   },
                   [&]() {
                       produced[1] = InflateByteByByte(compressed, out[1]);
                       return produced[1] == size;
                   },
                   [&]() {
                       InputFlateDecodeStream flate(
                           new InputByteArrayStream(compressed.data(), static_cast<long long>(compressed.size())));
                       flate.StartEncoding();
                       produced[2] = Drain(flate, out[2]);
                       return produced[2] == size;
                   }});
        const char* const names[] = {"zlib uncompress, one call", "inflate fed one byte per reader call",
                                     "InputFlateDecodeStream"};
        for (size_t side = 0; side < 3; ++side)
            Report(names[side], produced[side], sides[side], OutputProblem(out[side], produced[side], data), failures);
        printf("InputFlateDecodeStream / zlib uncompress (medians): %.2f times the time\n",
               sides[2].Seconds().median / sides[0].Seconds().median);
    }

    const long long columns = 1000;
    for (Byte type : {Byte(2), Byte(4)}) {
        // Whole rows of the data, filtered as PNG does; decoded, the data's rows again.
        const size_t rowCount = data.size() / 4 / static_cast<size_t>(columns);
        const Bytes expected(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(rowCount * columns));
        const Bytes rows = filtertest::PngEncode(expected, static_cast<size_t>(columns), 1, {type});
        Bytes packed = Compress(rows);
        Bytes out(expected.size() + 1);
        size_t produced = 0;
        const std::vector<bench::SideRuns> sides = bench::InterleaveInProcess(runs, {[&]() {
            InputFlateDecodeStream* flate = new InputFlateDecodeStream(new InputByteArrayStream(packed.data(), static_cast<long long>(packed.size())));
            flate->StartEncoding();
            std::unique_ptr<IByteReader> predictor(CreatePredictorStream(flate, 10 + type, 1, 8, columns));
            produced = Drain(*predictor, out);
            return produced > 0;
        }});
        Report(type == 2 ? "Flate + PNG Up predictor" : "Flate + PNG Paeth predictor", produced, sides[0],
               OutputProblem(out, produced, expected), failures);
    }

    {
        const Bytes expected(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(size / 4));
        const Bytes text = Ascii85(expected);
        Bytes out(expected.size() + 1);
        size_t produced = 0;
        const std::vector<bench::SideRuns> sides = bench::InterleaveInProcess(runs, {[&]() {
            InputAscii85DecodeStream ascii85(new InputByteArrayStream(text.data(), static_cast<long long>(text.size())));
            produced = Drain(ascii85, out);
            return produced > 0;
        }});
        Report("InputAscii85DecodeStream (output bytes)", produced, sides[0], OutputProblem(out, produced, expected),
               failures);
    }
    return failures.ExitStatus();
}
