"""The package's PEP 517 build backend, standard library only.

CMake configures and builds the checkout (in ${BUILD_DIR:-build}, as
scripts/build.sh does, so a second install only re-links what changed) and
installs the `python` component into a staging directory laid out as
site-packages; the staged tree plus its .dist-info becomes the wheel.
Needs nothing from a package index.
"""

import base64
import hashlib
import io
import os
import shutil
import subprocess
import sys
import sysconfig
import tarfile
import tempfile
import tomllib
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def _project():
    with open(os.path.join(ROOT, "pyproject.toml"), "rb") as f:
        return tomllib.load(f)["project"]


def _dist_name(project):
    return project["name"].replace("-", "_")


def _tag():
    impl = f"cp{sys.version_info.major}{sys.version_info.minor}"
    platform = sysconfig.get_platform().replace("-", "_").replace(".", "_")
    return f"{impl}-{impl}-{platform}"


def _interpreter():
    # A virtual environment's interpreter is a link to its base; building for
    # the base keeps the build directory's configuration the same as a plain
    # scripts/build.sh, whose scripts keep using that interpreter.
    return getattr(sys, "_base_executable", None) or sys.executable


def _run(args):
    # pip shows a backend's output only when asked (-v) or on failure.
    subprocess.run(args, check=True, stdout=sys.stderr)


def _build_and_stage(staging):
    build = os.environ.get("BUILD_DIR") or os.path.join(ROOT, "build")
    _run(["cmake", "-S", ROOT, "-B", build, "-DCMAKE_BUILD_TYPE=Release", f"-DNIMBAL_PYTHON={_interpreter()}"])
    _run(["cmake", "--build", build, "-j", str(os.cpu_count() or 1)])
    _run(["cmake", "--install", build, "--component", "python", "--prefix", staging])


def _metadata(project):
    lines = [
        "Metadata-Version: 2.1",
        f"Name: {project['name']}",
        f"Version: {project['version']}",
        f"Summary: {project.get('description', '')}",
    ]
    if "requires-python" in project:
        lines.append(f"Requires-Python: {project['requires-python']}")
    readme = project.get("readme")
    if readme:
        lines.append("Description-Content-Type: text/markdown")
        with open(os.path.join(ROOT, readme), encoding="utf-8") as f:
            return "\n".join(lines) + "\n\n" + f.read()
    return "\n".join(lines) + "\n"


def _wheel_file(tag):
    return f"Wheel-Version: 1.0\nGenerator: nimbal_backend\nRoot-Is-Purelib: false\nTag: {tag}\n"


def _record_line(arcname, data):
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
    return f"{arcname},sha256={digest},{len(data)}"


def _write_dist_info(staging, project, tag):
    dist_info = f"{_dist_name(project)}-{project['version']}.dist-info"
    os.makedirs(os.path.join(staging, dist_info))
    for name, text in (("METADATA", _metadata(project)), ("WHEEL", _wheel_file(tag))):
        with open(os.path.join(staging, dist_info, name), "w", encoding="utf-8") as f:
            f.write(text)
    return dist_info


def _files(root):
    out = []
    for dirpath, dirnames, filenames in os.walk(root):
        dirnames.sort()
        for name in sorted(filenames):
            path = os.path.join(dirpath, name)
            out.append((os.path.relpath(path, root).replace(os.sep, "/"), path))
    return out


def _pack(staging, dist_info, wheel_path):
    record_name = f"{dist_info}/RECORD"
    records = []
    with zipfile.ZipFile(wheel_path, "w", zipfile.ZIP_DEFLATED) as zf:
        # The .dist-info goes last, as the wheel format recommends.
        files = sorted(_files(staging), key=lambda f: (f[0].startswith(dist_info + "/"), f[0]))
        for arcname, path in files:
            with open(path, "rb") as f:
                data = f.read()
            info = zipfile.ZipInfo(arcname, date_time=(1980, 1, 1, 0, 0, 0))
            info.external_attr = (os.stat(path).st_mode & 0o777 | 0o100000) << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            zf.writestr(info, data)
            records.append(_record_line(arcname, data))
        records.append(f"{record_name},,")
        info = zipfile.ZipInfo(record_name, date_time=(1980, 1, 1, 0, 0, 0))
        info.external_attr = 0o100644 << 16
        zf.writestr(info, "\n".join(records) + "\n")


def get_requires_for_build_wheel(config_settings=None):
    return []


def get_requires_for_build_sdist(config_settings=None):
    return []


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    project = _project()
    tag = _tag()
    name = f"{_dist_name(project)}-{project['version']}-{tag}.whl"
    staging = tempfile.mkdtemp(prefix="nimbal-wheel-")
    try:
        _build_and_stage(staging)
        dist_info = _write_dist_info(staging, project, tag)
        _pack(staging, dist_info, os.path.join(wheel_directory, name))
    finally:
        shutil.rmtree(staging, ignore_errors=True)
    return name


_SDIST_SKIP = {".git", "__pycache__", ".pytest_cache"}


def build_sdist(sdist_directory, config_settings=None):
    project = _project()
    base = f"{_dist_name(project)}-{project['version']}"
    name = f"{base}.tar.gz"

    def keep(info):
        parts = info.name.split("/")[1:]
        if any(p in _SDIST_SKIP or p.startswith("build") for p in parts[:1]) or "__pycache__" in parts:
            return None
        return info

    with tarfile.open(os.path.join(sdist_directory, name), "w:gz") as tf:
        tf.add(ROOT, arcname=base, filter=keep)
        pkg_info = _metadata(project).encode()
        info = tarfile.TarInfo(f"{base}/PKG-INFO")
        info.size = len(pkg_info)
        info.mode = 0o644
        tf.addfile(info, io.BytesIO(pkg_info))
    return name
