#!/bin/sh
# Installs what is needed, builds Velloran and runs the whole test suite twice: in the normal
# build and in the build with AddressSanitizer and UndefinedBehaviorSanitizer.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh

jobs=$(nproc)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

# GCC 12's AddressSanitizer cannot place its shadow memory under the stronger address
# randomisation of some newer kernels (vm.mmap_rnd_bits 32) and dies at start: where the system
# lets a program turn randomisation off, the sanitizer programs run without it (the build runs
# them too, to list their tests).
fixed=""
if setarch "$(uname -m)" -R true 2>/dev/null; then
  fixed="setarch $(uname -m) -R"
fi
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DVELLORAN_SANITIZE=ON -DVELLORAN_BUILD_BENCH=OFF
$fixed cmake --build build-sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  $fixed ctest --test-dir build-sanitize --output-on-failure -j "$jobs"
