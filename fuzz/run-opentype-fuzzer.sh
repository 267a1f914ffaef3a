#!/bin/sh
# Builds a font fuzz target with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# over the library's sources and runs it for the given number of seconds (default 60). The
# second argument names the target: opentype (the default, the sfnt reader), truetype_subset
# (the TrueType subsetter) or cff (CFF input, Type 2 charstrings and CFF subsets). Crashing
# inputs land in build-fuzz-<target>/crashes; keep each one under tests/pdf/fonts/regressions
# (tests/pdf/fonts/cff-regressions for cff). Needs clang, Debian's libclang-rt-14-dev and, for
# the seeds, python3-fonttools.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
target=${2:-opentype}
jobs=${JOBS:-2}
out=build-fuzz-$target
fuzzer=${target}_fuzzer
mkdir -p "$out/corpus" "$out/crashes"

sources=$(find pdf -name '*.cpp' | sort)
if [ ! -x "$out/$fuzzer" ] || [ -n "$(find pdf fuzz -newer "$out/$fuzzer" -print -quit)" ]; then
    clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
        -I. $(pkg-config --cflags freetype2) $sources "fuzz/$fuzzer.cpp" \
        -lz -ljpeg -ltiff $(pkg-config --libs freetype2) -o "$out/$fuzzer"
fi

if [ -z "$(ls -A "$out/corpus")" ]; then
    python=python3
    $python -c "import fontTools" 2>/dev/null || python=/usr/bin/python3
    if [ "$target" = cff ]; then
        $python fuzz/make-cff-seeds.py "$out/corpus"
        cp tests/pdf/fonts/cff-regressions/* "$out/corpus/" 2>/dev/null || true
    elif [ "$target" = truetype_subset ]; then
        $python fuzz/make-opentype-seeds.py "$out/corpus" --glyph-list
    else
        $python fuzz/make-opentype-seeds.py "$out/corpus"
        cp tests/pdf/fonts/regressions/* "$out/corpus/" 2>/dev/null || true
    fi
fi

# libFuzzer writes one log per job into the current folder.
cd "$out"
"./$fuzzer" -max_total_time="$seconds" -jobs="$jobs" -workers="$jobs" -timeout=10 -rss_limit_mb=2048 \
    -max_len=200000 -artifact_prefix=crashes/ corpus
grep -h -E "ERROR|SUMMARY" fuzz-*.log || echo "no crash found"
