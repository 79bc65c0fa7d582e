#!/usr/bin/env bash
# Builds the loader's fuzz target (clang, libFuzzer, ASan + UBSan) into
# build-fuzz/, writes a seed corpus through the project's own save, and fuzzes
# for a bounded time: tools/fuzz/run.sh [seconds, default 900] [libFuzzer args].
# Findings land in build-fuzz/findings/. Not part of the tests or CI.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
seconds=${1:-900}
shift || true
out=${FUZZ_BUILD_DIR:-$root/build-fuzz}

"$root/scripts/deps.sh" clang-14 libclang-rt-14-dev
"$root/scripts/build.sh" >/dev/null   # the Python face writes the seeds
cmake -S "$here" -B "$out" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$out" -j "$(nproc)" >/dev/null

seeds="$out/seeds"
corpus="$out/corpus"
mkdir -p "$seeds" "$corpus" "$out/findings"
source "$root/scripts/env.sh"
PYTHONPATH="$root/tests/python:$PYTHONPATH" "$PYTHON" "$here/make_seeds.py" "$seeds"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ulimit -s unlimited 2>/dev/null || ulimit -s 65536
exec "$out/load_project_fuzzer" "$corpus" "$seeds" \
  -max_total_time="$seconds" -max_len=65536 -timeout=60 -rss_limit_mb=4096 \
  -artifact_prefix="$out/findings/" -print_final_stats=1 "$@"
