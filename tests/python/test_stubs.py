"""The committed type stubs are the ones the built modules give, and they type-check
together with the example host under mypy --strict."""

import importlib.util
import os
import pathlib
import subprocess
import sys

import pytest

ROOT = pathlib.Path(__file__).resolve().parents[2]
PACKAGE = ROOT / "python" / "nimbal"
BUILT = pathlib.Path(importlib.util.find_spec("nimbal").origin).parent
# Debian's mypy is built for Debian's own Python; it checks 3.12 code from there.
DEBIAN_PYTHON = "/usr/bin/python3"


def stubs_under(root):
    return {p.relative_to(root).as_posix(): p.read_text() for p in root.rglob("*.pyi")}


def test_committed_stubs_match_the_built_modules(tmp_path):
    r = subprocess.run([sys.executable, str(ROOT / "tools" / "stubgen.py"), str(tmp_path)],
                       capture_output=True, text=True, check=False)
    assert r.returncode == 0, r.stderr
    fresh, committed = stubs_under(tmp_path / "nimbal"), stubs_under(PACKAGE)
    assert sorted(fresh) == sorted(committed)
    stale = [name for name in fresh if fresh[name] != committed[name]]
    assert stale == [], "stale stubs; run scripts/stubs.sh"


def test_every_extension_module_has_its_stub_and_the_package_is_marked_typed():
    assert (BUILT / "py.typed").is_file()
    modules = {p.relative_to(BUILT).as_posix().split(".")[0] for p in BUILT.rglob("*.cpython-312*.so")}
    stubs = {p.relative_to(BUILT).as_posix()[: -len(".pyi")] for p in BUILT.rglob("*.pyi")}
    assert modules and modules == stubs


def mypy_available():
    if not os.path.exists(DEBIAN_PYTHON):
        return False
    r = subprocess.run([DEBIAN_PYTHON, "-c", "import mypy"], capture_output=True, check=False)
    return r.returncode == 0


@pytest.mark.skipif(not mypy_available(), reason="Debian's python3-mypy is not installed")
def test_example_host_and_stubs_pass_mypy_strict(tmp_path):
    env = {k: v for k, v in os.environ.items() if k != "PYTHONPATH"}
    env["MYPYPATH"] = str(BUILT.parent)
    r = subprocess.run(
        [DEBIAN_PYTHON, "-m", "mypy", "--strict", "--python-version", "3.12", "--cache-dir", str(tmp_path),
         str(ROOT / "examples" / "host.py"), str(BUILT)],
        capture_output=True, text=True, env=env, cwd=tmp_path, check=False,
    )
    assert r.returncode == 0, r.stdout + r.stderr


@pytest.mark.skipif(not mypy_available(), reason="Debian's python3-mypy is not installed")
def test_mypy_sees_a_wrong_argument_type_through_the_stubs(tmp_path):
    # The check has teeth: a record where a shape type belongs is refused.
    host = tmp_path / "bad_host.py"
    host.write_text(
        "from nimbal.managers.corvath import CoreCorvath\n"
        "from nimbal.models.quenby import BoxProperties\n"
        "CoreCorvath().create_shape(BoxProperties(), BoxProperties())\n"
    )
    env = {k: v for k, v in os.environ.items() if k != "PYTHONPATH"}
    env["MYPYPATH"] = str(BUILT.parent)
    r = subprocess.run(
        [DEBIAN_PYTHON, "-m", "mypy", "--strict", "--python-version", "3.12", "--cache-dir", str(tmp_path / "c"),
         str(host)],
        capture_output=True, text=True, env=env, cwd=tmp_path, check=False,
    )
    assert r.returncode == 1
    assert 'incompatible type "BoxProperties"; expected "ShapeType"' in r.stdout
