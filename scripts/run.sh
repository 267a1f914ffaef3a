#!/bin/sh
# Installs what is needed, builds Velloran and starts it. Arguments go to the program.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target velloran

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: Velloran is built (build/app/velloran) but needs a display to start, and neither DISPLAY nor WAYLAND_DISPLAY is set." >&2
  exit 1
fi
exec build/app/velloran "$@"
