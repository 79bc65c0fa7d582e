#!/usr/bin/env bash
# Configures and builds nimbal into ${BUILD_DIR:-build}, compiler warnings
# being errors. Extra arguments go to CMake's configure step (e.g.
# -DNIMBAL_PYTHON=/path/to/python3.12). NIMBAL_JOBS sets the number of
# parallel compile jobs (default: all cores).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DNIMBAL_WERROR=ON "$@" >/dev/null
cmake --build "$build" -j "${NIMBAL_JOBS:-$(nproc)}"
