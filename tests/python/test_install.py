"""`pip install .` from the checkout: the wheel our backend builds installs
into a fresh virtual environment, without a package index, and every module
imports from there (its core libraries found through the installed RPATHs)."""

import base64
import hashlib
import os
import pathlib
import subprocess
import sys
import zipfile

import pytest

import package_modules

ROOT = pathlib.Path(__file__).resolve().parents[2]

MODULES = ["nimbal", *package_modules.MODULES]


def clean_env():
    """The environment without the paths that make the build tree importable."""
    env = {k: v for k, v in os.environ.items() if k not in ("PYTHONPATH", "PYTHONHOME", "LD_LIBRARY_PATH")}
    env["PIP_DISABLE_PIP_VERSION_CHECK"] = "1"
    return env


def run(args, cwd):
    return subprocess.run(args, cwd=cwd, env=clean_env(), capture_output=True, text=True, check=False)


@pytest.fixture(scope="module")
def wheel(tmp_path_factory):
    out = tmp_path_factory.mktemp("wheel")
    r = run([sys.executable, "-m", "pip", "wheel", "--no-index", "--no-deps", "-w", str(out), str(ROOT)], ROOT)
    assert r.returncode == 0, r.stdout + r.stderr
    (path,) = out.glob("*.whl")
    return path


@pytest.fixture(scope="module")
def venv(tmp_path_factory):
    env_dir = tmp_path_factory.mktemp("venv")
    # The base interpreter: the tests may run inside another environment.
    base = getattr(sys, "_base_executable", sys.executable)
    r = run([base, "-m", "venv", str(env_dir)], env_dir)
    assert r.returncode == 0, r.stderr
    return env_dir / "bin" / "python"


def test_wheel_names_its_platform_and_lists_every_file_with_its_hash(wheel):
    assert wheel.name == "nimbal-0.1.0-cp312-cp312-linux_x86_64.whl"
    with zipfile.ZipFile(wheel) as zf:
        names = set(zf.namelist())
        wheel_meta = zf.read("nimbal-0.1.0.dist-info/WHEEL").decode()
        record = zf.read("nimbal-0.1.0.dist-info/RECORD").decode().splitlines()
        listed = {}
        for line in record:
            name, digest, size = line.rsplit(",", 2)
            listed[name] = (digest, size)
        for name in names - {"nimbal-0.1.0.dist-info/RECORD"}:
            data = zf.read(name)
            expected = "sha256=" + base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
            assert listed[name] == (expected, str(len(data))), name
        assert listed["nimbal-0.1.0.dist-info/RECORD"] == ("", "")
        assert set(listed) == names
    assert "Tag: cp312-cp312-linux_x86_64" in wheel_meta
    with zipfile.ZipFile(wheel) as zf:
        assert zf.getinfo("nimbal/.libs/nimbal-reader").external_attr >> 16 & 0o111 == 0o111
    assert "Root-Is-Purelib: false" in wheel_meta
    for expected in [
        "nimbal/__init__.py",
        "nimbal/enums.py",
        "nimbal/py.typed",
        "nimbal/.libs/libnimbal_kernel.so",
        "nimbal/.libs/nimbal-reader",
        "nimbal/managers/corvath.cpython-312-x86_64-linux-gnu.so",
        "nimbal/services/pikalo.cpython-312-x86_64-linux-gnu.so",
    ]:
        assert expected in names
    # Every extension module has its stub beside it.
    for name in names:
        if name.endswith(".cpython-312-x86_64-linux-gnu.so"):
            assert name.split(".cpython")[0] + ".pyi" in names, name


def test_every_module_imports_from_the_installed_package(wheel, venv, tmp_path):
    r = run([str(venv), "-m", "pip", "install", "--no-index", str(wheel)], tmp_path)
    assert r.returncode == 0, r.stdout + r.stderr
    script = (
        "import importlib, sys\n"
        f"for m in {MODULES!r}:\n"
        "    mod = importlib.import_module(m)\n"
        "    assert mod.__file__.startswith(sys.prefix), (m, mod.__file__)\n"
        "import nimbal.managers.corvath as c, nimbal.kernel as k\n"
        "from nimbal.enums import ShapeType\n"
        "from nimbal.models.quenby import BoxProperties\n"
        "ms = c.CoreCorvath().create_shape(ShapeType.BOX, BoxProperties(width=2, height=3, depth=4))\n"
        "print(round(k.volume(ms.shape), 6))\n"
        # Reading runs the reader process installed beside the core libraries.
        "from nimbal.services.drulen import Drulen\n"
        "assert Drulen.export_step(ms.shape, 'box.step')\n"
        "print(round(k.volume(Drulen.import_file('box.step')), 6))\n"
        "import os\n"
        "def child_exe(p):\n"
        "    try:\n"
        "        if open(f'/proc/{p}/stat').read().rsplit(')', 1)[1].split()[1] == str(os.getpid()):\n"
        "            return os.readlink(f'/proc/{p}/exe')\n"
        "    except OSError:\n"
        "        pass\n"
        "exe = {child_exe(p) for p in os.listdir('/proc') if p.isdigit()} - {None}\n"
        "libs = os.path.realpath(os.path.join(os.path.dirname(c.__file__), '..', '.libs'))\n"
        "print(exe == {os.path.join(libs, 'nimbal-reader')} or exe)\n"
    )
    r = run([str(venv), "-c", script], tmp_path)
    assert r.returncode == 0, r.stdout + r.stderr
    assert r.stdout.split() == ["24.0", "24.0", "True"], r.stdout + r.stderr
