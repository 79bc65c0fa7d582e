#!/usr/bin/env bash
# Builds and runs a benchmark: scripts/bench.sh <name> runs bench/<name>_bench.py
# (drulen, corvath, sketch_grid, ombrel). Benchmarks are never part of the tests.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/deps.sh"
"$here/build.sh"
source "$here/env.sh"
export BUILD_DIR="$build"
exec "$PYTHON" "$root/bench/${1:?benchmark name, e.g. corvath}_bench.py" "${@:2}"
