#!/usr/bin/env bash
# Regenerates the committed type stubs (python/nimbal/**/*.pyi) from the
# built modules; run after changing a binding. Builds first.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/build.sh"
source "$here/env.sh"
"$PYTHON" "$root/tools/stubgen.py" "$root/python"
# The build tree carries the stubs too.
"$here/build.sh"
