#!/usr/bin/env bash
# Builds nimbal with AddressSanitizer and UndefinedBehaviorSanitizer into its
# own directory (${SANITIZE_BUILD_DIR:-build-asan}) and runs every test under
# them. The interpreter is not instrumented, so the sanitizer runtimes are
# preloaded into it. CPython keeps objects alive until exit by design: leak
# detection is off. Pytest arguments go after the script, as for test.sh.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
export BUILD_DIR=${SANITIZE_BUILD_DIR:-$root/build-asan}
"$here/deps.sh"
san="-fsanitize=address,undefined -fno-omit-frame-pointer"
"$here/build.sh" "-DCMAKE_CXX_FLAGS=$san" "-DCMAKE_SHARED_LINKER_FLAGS=$san" \
  "-DCMAKE_MODULE_LINKER_FLAGS=$san" "-DCMAKE_EXE_LINKER_FLAGS=$san"
source "$here/env.sh"
cd "$root"
preload="$(c++ -print-file-name=libasan.so) $(c++ -print-file-name=libubsan.so)"
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
# Tests that cannot run under the sanitizers' runtimes look at this.
export NIMBAL_SANITIZER=address,undefined
# Only the interpreter (and the child interpreters tests start) gets the
# runtimes, not the X server.
# The sanitizer's stack frames are several times the release build's, so the
# deepest files a load accepts need a larger stack than the default 8 MiB.
ulimit -s 65536
exec xvfb-run -a -s "-screen 0 1280x1024x24" env LD_PRELOAD="$preload" \
  "$PYTHON" -m pytest tests/python "$@"
