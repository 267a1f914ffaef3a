#!/bin/sh
# Builds the Type 1 fuzz target with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# over the library's sources and runs it for the given number of seconds (default 60).
# Crashing inputs land in build-fuzz-type1/crashes; keep each one under
# tests/pdf/fonts/type1-regressions. Needs clang, Debian's libclang-rt-14-dev, python3 for the
# seeds and fonts-urw-base35.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
jobs=${JOBS:-2}
out=build-fuzz-type1
mkdir -p "$out/corpus" "$out/crashes"

sources=$(find pdf -name '*.cpp' | sort)
if [ ! -x "$out/type1_fuzzer" ] || [ -n "$(find pdf fuzz -newer "$out/type1_fuzzer" -print -quit)" ]; then
    clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
        -I. $(pkg-config --cflags freetype2) $sources fuzz/type1_fuzzer.cpp \
        -lz -ljpeg -ltiff $(pkg-config --libs freetype2) -o "$out/type1_fuzzer"
fi

if [ -z "$(ls -A "$out/corpus")" ]; then
    python3 fuzz/make-type1-seeds.py "$out/corpus"
    cp tests/pdf/fonts/type1-regressions/* "$out/corpus/" 2>/dev/null || true
fi

# libFuzzer writes one log per job into the current folder.
cd "$out"
./type1_fuzzer -max_total_time="$seconds" -jobs="$jobs" -workers="$jobs" -timeout=10 -rss_limit_mb=2048 \
    -max_len=48000 -artifact_prefix=crashes/ corpus
grep -h -E "ERROR|SUMMARY" fuzz-*.log || echo "no crash found"
