#!/usr/bin/env bash
# Installs what is missing, builds, and runs the example host.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/deps.sh"
"$here/build.sh"
source "$here/env.sh"
exec "$PYTHON" "$root/examples/host.py" "$@"
