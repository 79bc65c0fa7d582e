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


def mypy_strict(tmp_path, source):
    """mypy --strict over one host file, as the README says to run it on the build tree."""
    host = tmp_path / "host_app.py"
    host.write_text(source)
    env = {k: v for k, v in os.environ.items() if k != "PYTHONPATH"}
    env["MYPYPATH"] = str(BUILT.parent)
    return subprocess.run(
        [DEBIAN_PYTHON, "-m", "mypy", "--strict", "--python-version", "3.12", "--cache-dir", str(tmp_path / "c"),
         str(host)],
        capture_output=True, text=True, env=env, cwd=tmp_path, check=False,
    )


# What a host writes: the selection to ids, a view record after its None
# check, the registry by key.
NATURAL_HOST = """
from nimbal.managers.corvath import CoreCorvath, ManagedShape
from nimbal.services.lumbra import Lumbra
from nimbal.services.pikalo import Pikalo


def selected_ids(pikalo: Pikalo, lumbra: Lumbra) -> list[str]:
    ids = []
    for obj in pikalo.get_selected_shapes():
        shape_id = lumbra.get_shape_id_for_ais_shape(obj)
        if shape_id is not None:
            ids.append(shape_id)
    return ids


def is_shown(lumbra: Lumbra, shape_id: str) -> bool:
    info = lumbra.get_shape_info(shape_id)
    return info is not None and info.visible


def plane_shown(lumbra: Lumbra, shape_id: str) -> bool:
    return lumbra.get_plane_ais(shape_id) is not None


def named(corvath: CoreCorvath, shape_id: str) -> str:
    ms: ManagedShape = corvath._shapes[shape_id]
    return ms.name
"""


@pytest.mark.skipif(not mypy_available(), reason="Debian's python3-mypy is not installed")
def test_natural_host_code_passes_mypy_strict(tmp_path):
    r = mypy_strict(tmp_path, NATURAL_HOST)
    assert r.returncode == 0, r.stdout + r.stderr


@pytest.mark.skipif(not mypy_available(), reason="Debian's python3-mypy is not installed")
@pytest.mark.parametrize("line", [
    "lumbra.get_shape_info('box_1').visible",
    "lumbra.get_plane_ais('plane_1').Shape()",
])
def test_an_unchecked_none_fails_mypy_strict(tmp_path, line):
    # Both lookups give None for an unknown id; the stubs must say so.
    r = mypy_strict(tmp_path, "from nimbal.services.lumbra import Lumbra\n\n\n"
                              f"def look(lumbra: Lumbra) -> object:\n    return {line}\n")
    assert r.returncode == 1, r.stdout + r.stderr
    assert '[union-attr]' in r.stdout and 'Item "None"' in r.stdout, r.stdout


def public_signatures():
    """(qualified name, signature line) of every public method, property and function."""
    import importlib
    import inspect

    from test_docstrings import MODULES

    for module_name in MODULES:
        module = importlib.import_module(module_name)
        for name, obj in vars(module).items():
            if name.startswith("_") or getattr(obj, "__module__", None) != module_name:
                continue
            members = vars(obj).items() if inspect.isclass(obj) else [(None, obj)]
            for member, attr in members:
                if member is not None and member.startswith("_"):
                    continue
                if isinstance(attr, property):
                    funcs = [attr.fget, attr.fset]
                elif isinstance(attr, (staticmethod, classmethod)):
                    funcs = [attr.__func__]
                else:
                    funcs = [attr]
                for f in funcs:
                    for line in (getattr(f, "__doc__", None) or "").splitlines():
                        if "(" in line and ") -> " in line:
                            yield f"{module_name}.{name}" + (f".{member}" if member else ""), line


# Parameters that take any object by design, each with its reason.
ANY_OBJECT = {
    # The selection hands over whatever was detected; what the view does not show has no id.
    "nimbal.services.lumbra.Lumbra.get_shape_id_for_ais_shape: ais_shape: object",
}


def test_public_signatures_name_their_types():
    import re

    sys.path.insert(0, str(ROOT / "tools"))
    from stubgen import split_top  # the stubs' own argument splitting

    vague = []
    for where, line in public_signatures():
        args, _, result = line.partition(") -> ")
        args = args[args.index("(") + 1:]
        for i, p in enumerate(split_top(args)):
            if i == 0 and (p.startswith("self") or p.startswith("arg0") or p.startswith("cls")):
                continue  # the instance or class itself
            if re.match(r"^\w+: (handle|object)\b", p) and f"{where}: {p}" not in ANY_OBJECT:
                vague.append(f"{where}: {p}")
        if re.fullmatch(r"(handle|object)", result.strip()):
            vague.append(f"{where}: -> {result.strip()}")
    assert vague == []


@pytest.mark.parametrize(
    "where, fragment",
    [
        ("nimbal.managers.corvath.CoreCorvath.create_shape", "shape_type: nimbal.enums.ShapeType"),
        ("nimbal.managers.corvath.CoreCorvath.create_shape", "properties: nimbal.models.quenby.Quenby"),
        ("nimbal.managers.corvath.CoreCorvath.create_shape", "color: tuple[float, float, float] = "),
        ("nimbal.managers.corvath.CoreCorvath.create_shape", "name: str | None = None"),
        ("nimbal.managers.corvath.CoreCorvath.create_shape", "-> nimbal.managers.corvath.ManagedShape | None"),
        ("nimbal.managers.tessik.CoreTessik.create_line", "p1: tuple[float, float]"),
        ("nimbal.services.lumbra.Lumbra.set_projection", "direction: nimbal.enums.ViewDirection | None"),
        ("nimbal.services.pikalo.Pikalo.move_to", "view: nimbal.kernel.V3d_View"),
        ("nimbal.models.quenby.FilletProperties.edge_indices", "-> nimbal.models.quenby.IndexList"),
        ("nimbal.services.drulen.Drulen.apply_fillet", "edge_indices: typing.Iterable[int] = "),
    ],
)
def test_signatures_spell_the_types(where, fragment):
    lines = [line for w, line in public_signatures() if w == where]
    assert any(fragment in line for line in lines), lines


@pytest.mark.parametrize("annotation, text, written", [
    ("str | None", "None", "None"),
    ("float", "0.6", "0.6"),
    ("int", "-1", "-1"),
    ("str", "''", "''"),
    ("bool", "True", "True"),
    ("tuple[float, float, float]", "(0.7, 0.75, 0.8)", "(0.7, 0.75, 0.8)"),
    ("typing.Iterable[int]", "()", "()"),
    ("Aspect_GradientFillMethod", "<Aspect_GradientFillMethod.Aspect_GradientFillMethod_Vertical: 2>",
     "Aspect_GradientFillMethod.Aspect_GradientFillMethod_Vertical"),
    ("nimbal.kernel.Aspect_TypeOfTriedronPosition | None",
     "<Aspect_TypeOfTriedronPosition.Aspect_TOTP_CENTER: 0>",
     "nimbal.kernel.Aspect_TypeOfTriedronPosition.Aspect_TOTP_CENTER"),
    # Not plain: a kernel object's repr, a member of a type the annotation does not name.
    ("Quantity_Color", "Quantity_Color(1.000000, 1.000000, 1.000000, Quantity_TOC_RGB)", "..."),
    ("int", "<Other.X: 1>", "..."),
])
def test_stub_defaults_are_written_as_their_values_where_plain(annotation, text, written):
    sys.path.insert(0, str(ROOT / "tools"))
    from stubgen import default_value

    assert default_value(annotation, text) == written


def test_committed_stubs_show_real_defaults():
    corvath = (PACKAGE / "managers" / "corvath.pyi").read_text()
    assert ("def create_shape(self, shape_type: nimbal.enums.ShapeType, properties: nimbal.models.quenby.Quenby, "
            "color: tuple[float, float, float] = (0.7, 0.75, 0.8), name: str | None = None)") in corvath
    lumbra = (PACKAGE / "services" / "lumbra.pyi").read_text()
    assert "def get_shape_info(self, shape_id: str) -> ShapeInfo | None:" in lumbra
    assert "def get_plane_ais(self, shape_id: str) -> nimbal.kernel.AIS_Shape | None:" in lumbra
    assert "def get_shape_id_for_ais_shape(self, ais_shape: object) -> str | None:" in lumbra
