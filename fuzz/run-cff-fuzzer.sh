#!/bin/sh
# Builds the CFF fuzz target with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# over the library's sources and runs it for the given number of seconds (default 60).
# Crashing inputs land in build-fuzz-cff/crashes; keep each one under
# tests/pdf/fonts/cff-regressions. Needs clang and Debian's libclang-rt-14-dev; the seeds are the
# CFF tables of fonts-urw-base35 fonts.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
jobs=${JOBS:-2}
out=build-fuzz-cff
mkdir -p "$out/corpus" "$out/crashes"

sources=$(find pdf -name '*.cpp' | sort)
if [ ! -x "$out/cff_fuzzer" ] || [ -n "$(find pdf fuzz -newer "$out/cff_fuzzer" -print -quit)" ]; then
    clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
        -I. $(pkg-config --cflags freetype2) $sources fuzz/cff_fuzzer.cpp \
        -lz -ljpeg $(pkg-config --libs freetype2) -o "$out/cff_fuzzer"
fi

if [ -z "$(ls -A "$out/corpus")" ]; then
    python3 fuzz/make-cff-seeds.py "$out/corpus"
    cp tests/pdf/fonts/cff-regressions/* "$out/corpus/" 2>/dev/null || true
fi

# libFuzzer writes one log per job into the current folder.
cd "$out"
./cff_fuzzer -max_total_time="$seconds" -jobs="$jobs" -workers="$jobs" -timeout=10 -rss_limit_mb=2048 \
    -max_len=200000 -artifact_prefix=crashes/ corpus
grep -h -E "ERROR|SUMMARY" fuzz-*.log || echo "no crash found"
