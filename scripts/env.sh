# Sourced by the other scripts: the interpreter the build chose and the
# paths that make the built package and Debian's pytest importable.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
PYTHON=$(cat "$build/python-interpreter")
# Debian packages pytest for its own Python; it runs under 3.12 from a
# folder of links to the packages it needs.
links="$build/pytest-links"
mkdir -p "$links"
for p in pytest _pytest pluggy iniconfig packaging attr py.py; do
  [ -e "$links/$p" ] || ln -s "/usr/lib/python3/dist-packages/$p" "$links/$p"
done
export PYTHONPATH="$links:$build/python:$build/tests${PYTHONPATH:+:$PYTHONPATH}"
