#!/usr/bin/env bash
# Installs what is missing, builds, and runs the example host.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/deps.sh"
"$here/build.sh"
source "$here/env.sh"
# The view section renders offscreen; without a display, Xvfb provides one.
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$PYTHON" "$root/examples/host.py" "$@"
fi
exec "$PYTHON" "$root/examples/host.py" "$@"
