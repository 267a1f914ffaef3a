#!/bin/sh
# Builds the parser fuzz target with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# over the library's sources and runs it for the given number of seconds (default 60).
# Crashing inputs land in build-fuzz/crashes; keep each one under tests/pdf/parsing/regressions.
# Needs clang and Debian's libclang-rt-14-dev (the fuzzer runtime).
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
jobs=${JOBS:-$(nproc)}
out=build-fuzz
mkdir -p "$out/corpus" "$out/crashes"

sources=$(find pdf -name '*.cpp' | sort)
if [ ! -x "$out/parser_fuzzer" ] || [ -n "$(find pdf fuzz tests/pdf/parsing/ParserWalk.h -newer "$out/parser_fuzzer" -print -quit)" ]; then
    clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
        -I. $(pkg-config --cflags freetype2) $sources fuzz/parser_fuzzer.cpp -lz -ljpeg -ltiff $(pkg-config --libs freetype2) \
        -o "$out/parser_fuzzer"
fi

if [ -z "$(ls -A "$out/corpus")" ]; then
    sh fuzz/make-parser-seeds.sh "$out/corpus"
    cp tests/pdf/parsing/regressions/* "$out/corpus/" 2>/dev/null || true
fi

# libFuzzer writes one log per job into the current folder.
cd "$out"
./parser_fuzzer -max_total_time="$seconds" -jobs="$jobs" -workers="$jobs" -timeout=10 -rss_limit_mb=2048 \
    -max_len=65536 -dict=../fuzz/pdf.dict -artifact_prefix=crashes/ corpus
grep -h -E "ERROR|SUMMARY" fuzz-*.log || echo "no crash found"
