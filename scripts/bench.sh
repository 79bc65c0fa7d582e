#!/usr/bin/env bash
# Builds and runs a benchmark: scripts/bench.sh <name> runs bench/<name>_bench.py.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/deps.sh"
"$here/build.sh"
source "$here/env.sh"
export NIMBAL_BUILD="$build"
exec "$PYTHON" "$root/bench/${1:?benchmark name, e.g. corvath}_bench.py" "${@:2}"
