#!/bin/sh
# Builds the TIFF image fuzz target with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) over the library's sources and runs it for the given number of
# seconds (default 60) with JOBS jobs (default 2). Crashing inputs land in build-fuzz-tiff/crashes;
# keep each one under tests/pdf/images/regressions. Needs clang and Debian's libclang-rt-14-dev.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
jobs=${JOBS:-2}
out=build-fuzz-tiff
mkdir -p "$out/corpus" "$out/crashes"

sources=$(find pdf -name '*.cpp' | sort)
if [ ! -x "$out/tiff_fuzzer" ] || [ -n "$(find pdf fuzz -newer "$out/tiff_fuzzer" -print -quit)" ]; then
    clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
        -I. $(pkg-config --cflags freetype2) $sources fuzz/tiff_fuzzer.cpp -lz -ljpeg -ltiff \
        $(pkg-config --libs freetype2) -o "$out/tiff_fuzzer"
fi

if [ -z "$(ls -A "$out/corpus")" ]; then
    c++ -std=c++17 -I. fuzz/make_tiff_seeds.cpp -ltiff -o "$out/make_tiff_seeds"
    "$out/make_tiff_seeds" "$out/corpus"
    cp tests/pdf/images/regressions/* "$out/corpus/" 2>/dev/null || true
fi

# Forked workers go on after a finding, so that one run collects every input that stops one.
cd "$out"
./tiff_fuzzer -max_total_time="$seconds" -fork="$jobs" -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
    -timeout=10 -rss_limit_mb=2048 -max_len=65536 -artifact_prefix=crashes/ corpus 2>&1 | tail -n 5
if [ -n "$(ls -A crashes)" ]; then ls -l crashes; else echo "no crash found"; fi
