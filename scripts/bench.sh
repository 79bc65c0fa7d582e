#!/usr/bin/env bash
# Builds and runs a benchmark: scripts/bench.sh <name> runs bench/<name>_bench.py
# (drulen, corvath, sketch_grid, ombrel, lumbra). Benchmarks are never part of the tests.
# lumbra renders, so it needs an X server:
#   xvfb-run -a -s "-screen 0 1280x1024x24" scripts/bench.sh lumbra [boxes]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/deps.sh"
"$here/build.sh"
source "$here/env.sh"
export BUILD_DIR="$build"
exec "$PYTHON" "$root/bench/${1:?benchmark name, e.g. corvath}_bench.py" "${@:2}"
