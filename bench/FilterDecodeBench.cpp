// Throughput of the decoding filters on in-memory data: Flate (against zlib's own one-shot
// uncompress and against feeding inflate one byte per call, taking turns), PNG Up and Paeth
// predictors over Flate, and ASCII85. Each figure is the median and spread of the runs after a
// warm-up. Usage: FilterDecodeBench [runs]

#include "bench/BenchSupport.h"
#include "pdf/io/InputAscii85DecodeStream.h"
#include "pdf/io/InputByteArrayStream.h"
#include "pdf/io/InputFlateDecodeStream.h"
#include "pdf/io/InputLimitedStream.h"
#include "pdf/io/InputPredictorFactory.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <memory>
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

size_t Drain(IByteReader& inReader)
{
    static Byte buffer[1 << 16];
    size_t total = 0;
    while (inReader.HasMoreBytes()) {
        size_t got = inReader.Read(buffer, sizeof(buffer));
        if (got == 0)
            break;
        total += got;
    }
    return total;
}

void Report(const char* inName, size_t inBytes, const bench::SideRuns& inRuns)
{
    const bench::Spread seconds = inRuns.Seconds();
    printf("%-44s %10zu bytes  ms %-24s  %8.1f MB/s%s\n", inName, inBytes,
           bench::Format({seconds.median * 1000, seconds.low * 1000, seconds.high * 1000}, 1).c_str(),
           inBytes / seconds.median / 1e6, inRuns.Status() != 0 ? " (FAILED)" : "");
}

// Feeds inflate one input byte per call, each byte asked of a limited reader over the data,
// as a reader with a one-byte input holder does.
size_t InflateByteByByte(const Bytes& inCompressed, size_t inExpected)
{
    InputLimitedStream source(new InputByteArrayStream(inCompressed.data(), static_cast<long long>(inCompressed.size())),
                              static_cast<long long>(inCompressed.size()), true);
    z_stream stream;
    memset(&stream, 0, sizeof(stream));
    inflateInit(&stream);
    Bytes out(inExpected);
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

    {
        Bytes out(size);
        size_t produced[3] = {0, 0, 0};
        const std::vector<bench::SideRuns> sides = bench::InterleaveInProcess(
            runs, {[&]() {
                       uLongf outSize = static_cast<uLongf>(size);
                       bool ok = uncompress(out.data(), &outSize, compressed.data(),
                                            static_cast<uLong>(compressed.size())) == Z_OK;
                       produced[0] = outSize;
                       return ok;
                   },
                   [&]() {
                       produced[1] = InflateByteByByte(compressed, size);
                       return produced[1] == size;
                   },
                   [&]() {
                       InputFlateDecodeStream flate(
                           new InputByteArrayStream(compressed.data(), static_cast<long long>(compressed.size())));
                       flate.StartEncoding();
                       produced[2] = Drain(flate);
                       return produced[2] == size;
                   }});
        Report("zlib uncompress, one call", produced[0], sides[0]);
        Report("inflate fed one byte per reader call", produced[1], sides[1]);
        Report("InputFlateDecodeStream", produced[2], sides[2]);
        printf("InputFlateDecodeStream / zlib uncompress (medians): %.2f times the time\n",
               sides[2].Seconds().median / sides[0].Seconds().median);
    }

    const long long columns = 1000;
    for (Byte type : {Byte(2), Byte(4)}) {
        Bytes rows;
        for (size_t at = 0; at + columns <= data.size() / 4; at += columns) {
            rows.push_back(type);
            rows.insert(rows.end(), data.begin() + static_cast<std::ptrdiff_t>(at), data.begin() + static_cast<std::ptrdiff_t>(at + columns));
        }
        Bytes packed = Compress(rows);
        size_t produced = 0;
        const std::vector<bench::SideRuns> sides = bench::InterleaveInProcess(runs, {[&]() {
            InputFlateDecodeStream* flate = new InputFlateDecodeStream(new InputByteArrayStream(packed.data(), static_cast<long long>(packed.size())));
            flate->StartEncoding();
            std::unique_ptr<IByteReader> predictor(CreatePredictorStream(flate, 10 + type, 1, 8, columns));
            produced = Drain(*predictor);
            return produced > 0;
        }});
        Report(type == 2 ? "Flate + PNG Up predictor" : "Flate + PNG Paeth predictor", produced, sides[0]);
    }

    {
        Bytes text;
        const char* alphabet = "!\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstu";
        for (size_t i = 0; i < size / 4; ++i) {
            text.push_back(static_cast<Byte>(alphabet[data[i] % 85]));
            if (i % 64 == 63)
                text.push_back('\n');
        }
        text.push_back('~');
        text.push_back('>');
        size_t produced = 0;
        const std::vector<bench::SideRuns> sides = bench::InterleaveInProcess(runs, {[&]() {
            InputAscii85DecodeStream ascii85(new InputByteArrayStream(text.data(), static_cast<long long>(text.size())));
            produced = Drain(ascii85);
            return produced > 0;
        }});
        Report("InputAscii85DecodeStream (output bytes)", produced, sides[0]);
    }
    return 0;
}
