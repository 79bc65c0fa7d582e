#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/deps.sh"
"$here/build.sh"
source "$here/env.sh"
cd "$root"
# Viewer tests need an X server; xvfb-run gives them one for this run.
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$PYTHON" -m pytest tests/python "$@"
