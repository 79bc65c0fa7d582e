"""Project files: the container, the exact text of project.json, and saving."""

import contextlib
import json
import logging
import math
import pathlib
import zipfile
import zlib

import pytest

from manager_fixtures import CorvathHost as Host
from ombrel_fixtures import fill_every_kind, listing, step_file
from nimbal import kernel as k
from nimbal.enums import ShapeType, StandardPlane
from nimbal.managers.corvath import CoreCorvath
from nimbal.managers.tessik import CoreTessik
from nimbal.models import quenby as q
from nimbal.services.drulen import Drulen
from nimbal.services.ombrel import ProjectSerializer

T = ShapeType


@pytest.fixture
def tmpdir_env(tmp_path, monkeypatch):
    """A private temporary folder, to see every temporary file."""
    d = tmp_path / "tmp"
    d.mkdir()
    monkeypatch.setenv("TMPDIR", str(d))
    return d


def description(path):
    with zipfile.ZipFile(path) as zf:
        return zf.read("project.json").decode("ascii")


def test_empty_registry_gives_the_four_line_description(tmp_path):
    path = str(tmp_path / "empty.vrex")
    assert ProjectSerializer.save_project(path, CoreCorvath()) is True
    with zipfile.ZipFile(path) as zf:
        infos = zf.infolist()
        assert [i.filename for i in infos] == ["project.json"]
        assert infos[0].compress_type == zipfile.ZIP_DEFLATED
        assert zf.read("project.json") == b'{\n  "version": "1.0",\n  "shapes": []\n}'
    assert ProjectSerializer.FORMAT_VERSION == "1.0"


def test_version_is_read_through_the_class(tmp_path):
    class Newer(ProjectSerializer):
        FORMAT_VERSION = "2.5"

    path = str(tmp_path / "v.vrex")
    assert Newer.save_project(path, CoreCorvath())
    assert json.loads(description(path))["version"] == "2.5"


def test_text_is_what_the_host_json_writer_gives(tmp_path):
    """Floats in their shortest form, non-finite tokens, ASCII escapes and
    key order, byte for byte against json.dumps(indent=2)."""
    mgr = CoreCorvath()
    odd = [0.1, 1e16, 1e15, 1.5e-5, 0.0001, -0.0, 5e-324, 1.7976931348623157e308, 123456789.125, 2.0 / 3.0]
    props = q.PlaneProperties(origin_x=odd[0], origin_y=odd[1], origin_z=odd[2], normal_x=odd[3],
                              normal_y=odd[4], normal_z=odd[5], translation=q.Translation(x=odd[6], y=odd[7], z=odd[8]),
                              rotation=q.Rotation(x=odd[9], y=math.nan, z=-math.inf), source="cust\"om\\",
                              source_face_id="tab\tnew\nline\x01\x7f")
    name = "Ebene \u00e9 \u4e2d \U0001f600 end"
    mgr.restore_plane("plane_0001", props, (0.25, 1.0, math.inf), name)
    box = mgr.create_shape(T.BOX, q.BoxProperties(width=1.5), (1.0, 0.0, 0.0), "B")
    path = str(tmp_path / "odd.vrex")
    assert ProjectSerializer.save_project(path, mgr)
    expected = {"version": "1.0", "shapes": [
        {"shape_id": "plane_0001", "shape_type": "plane", "name": name, "color": [0.25, 1.0, math.inf],
         "properties": props.to_dict(), "parent_id": None},
        {"shape_id": box.shape_id, "shape_type": "box", "name": "B", "color": [1.0, 0.0, 0.0],
         "properties": box.properties.to_dict(), "parent_id": None},
    ]}
    text = description(path)
    assert text == json.dumps(expected, indent=2)
    assert "NaN" in text and "-Infinity" in text and "\\ud83d\\ude00" in text


def test_entries_are_deflated_at_the_default_level(tmp_path):
    """zlib's default level, as the host's zipfile uses it (not the best
    compression, which costs several times the time on a large project)."""
    mgr = CoreCorvath()
    for i in range(300):
        mgr.create_shape(T.BOX, q.BoxProperties(translation=q.Translation(x=i * 60.0)))
    mgr.import_shape(step_file(tmp_path))
    path = str(tmp_path / "many.vrex")
    assert ProjectSerializer.save_project(path, mgr)
    with zipfile.ZipFile(path) as zf:
        for info in zf.infolist():
            # the writer's deflate runs with zlib's largest memory level,
            # whose output can differ by a byte from the default one's
            deflate = zlib.compressobj(zlib.Z_DEFAULT_COMPRESSION, zlib.DEFLATED, -15, 9)
            data = zf.read(info)
            assert (info.compress_type, info.compress_size) == (
                zipfile.ZIP_DEFLATED, len(deflate.compress(data) + deflate.flush())), info.filename


def test_entries_follow_a_depth_first_walk(tmp_path):
    mgr = CoreCorvath()
    src = step_file(tmp_path)
    a = mgr.import_shape(src, name="A")
    box = mgr.create_shape(T.BOX, q.BoxProperties())
    b = mgr.import_shape(src, name="B")
    uid = mgr.union_shapes([box.shape_id, b.shape_id])
    c = mgr.import_shape(src, name="C")
    path = str(tmp_path / "order.vrex")
    assert ProjectSerializer.save_project(path, mgr)
    with zipfile.ZipFile(path) as zf:
        # Each STEP entry is followed by its lossless native copy.
        assert zf.namelist() == ["project.json"] + [f"shapes/{s.shape_id}{x}" for s in (a, b, c)
                                                    for x in (".step", ".bin")]
        assert all(i.compress_type == zipfile.ZIP_DEFLATED for i in zf.infolist())
        assert all(d.startswith(b"ISO-10303-21") for d in map(zf.read, zf.namelist()[1::2]))
        data = json.loads(zf.read("project.json"))
    shapes = data["shapes"]
    assert [s["shape_id"] for s in shapes] == [a.shape_id, uid, c.shape_id]
    union = shapes[1]
    assert [x["shape_id"] for x in union["components"]] == [box.shape_id, b.shape_id]
    assert all(x["parent_id"] == uid for x in union["components"])
    assert union["components"][1]["step_file"] == f"shapes/{b.shape_id}.step"
    assert "step_file" not in union and "components" not in shapes[0]
    assert shapes[0]["step_file"] == f"shapes/{a.shape_id}.step"


def test_keys_by_kind(tmp_path):
    mgr = CoreCorvath()
    plane = mgr.create_plane_from_standard(StandardPlane.XY)
    sketch = mgr.create_sketch(plane.shape_id)
    box = mgr.create_shape(T.BOX, q.BoxProperties())
    path = str(tmp_path / "kinds.vrex")
    assert ProjectSerializer.save_project(path, mgr)
    shapes = {s["shape_id"]: s for s in json.loads(description(path))["shapes"]}
    keys = ["shape_id", "shape_type", "name", "color", "properties", "parent_id"]
    assert list(shapes[plane.shape_id]) == keys
    assert list(shapes[box.shape_id]) == keys
    assert list(shapes[sketch.shape_id]) == keys + ["components"]
    assert shapes[sketch.shape_id]["components"] == []


def test_every_kind_saves_without_touching_the_manager(tmp_path):
    mgr = Host()
    fill_every_kind(mgr, tmp_path)
    ids, depth = mgr.get_all_shape_ids(), mgr.undo_depth()
    mgr.log.clear()
    path = tmp_path / "all.vrex"
    assert ProjectSerializer.save_project(path, mgr)  # a path object serves too
    assert mgr.get_all_shape_ids() == ids and mgr.undo_depth() == depth
    # One progress scope per exported shape, and no hook.
    assert mgr.events() == [("enter", "Exporting to STEP..."), ("exit", "Exporting to STEP...")]
    data = json.loads(description(path))
    assert [s["shape_id"] for s in data["shapes"]] == ids
    assert all(s["parent_id"] is None for s in data["shapes"])


class _NoExport:
    """A kernel service whose STEP export reports failure."""

    def __init__(self):
        self.real = Drulen()

    def __getattr__(self, name):
        return getattr(self.real, name)

    def export_shapes_to_step(self, shapes, filename):
        return False


@pytest.mark.parametrize("nesting", ["top level", "in a union", "in a fillet of a union"])
def test_export_reporting_false_fails_the_save_and_keeps_the_file(tmp_path, tmpdir_env, capture_logs, nesting):
    mgr = CoreCorvath(_NoExport())
    mgr.create_shape(T.SPHERE, q.SphereProperties())
    imp = mgr.import_shape(step_file(tmp_path), name="Bracket")
    if nesting != "top level":
        box = mgr.create_shape(T.BOX, q.BoxProperties(width=5.0, height=5.0, depth=50.0))
        top = mgr.union_shapes([box.shape_id, imp.shape_id])
        if nesting == "in a fillet of a union":
            mgr.fillet_shape(top, q.FilletProperties(fillet_radius=0.5, edge_indices=[0]))
    path = tmp_path / "noexport.vrex"
    before = b"PK previous project, kept byte for byte"
    path.write_bytes(before)
    capture_logs.clear()
    assert ProjectSerializer.save_project(str(path), mgr) is False
    assert path.read_bytes() == before
    assert capture_logs.messages == [
        f"Failed to save project '{path}': could not export the geometry of 'Bracket' ({imp.shape_id}) to STEP"]
    assert listing(tmpdir_env) == []
    assert listing(tmp_path) == ["noexport.vrex", "part.step", "tmp"]


def test_save_through_a_symbolic_link_writes_its_target(tmp_path):
    mgr = CoreCorvath()
    mgr.create_shape(T.BOX, q.BoxProperties(width=3.0, height=4.0, depth=5.0))
    (tmp_path / "real").mkdir()
    target = tmp_path / "real" / "p.vrex"
    target.write_bytes(b"old")
    target.chmod(0o640)
    hop = tmp_path / "hop.vrex"
    hop.symlink_to("real/p.vrex")  # relative, resolved beside the link
    link = tmp_path / "link.vrex"
    link.symlink_to(hop)  # a chain of two links
    dangling = tmp_path / "dangling.vrex"
    dangling.symlink_to(tmp_path / "real" / "new.vrex")
    for path, written in [(link, target), (dangling, tmp_path / "real" / "new.vrex")]:
        assert ProjectSerializer.save_project(str(path), mgr) is True
        assert path.is_symlink()
        assert json.loads(description(written))["shapes"][0]["properties"]["width"] == 3.0
    assert hop.is_symlink() and (target.stat().st_mode & 0o777) == 0o640
    assert sorted(p.name for p in (tmp_path / "real").iterdir()) == ["new.vrex", "p.vrex"]


def _chain_of_arrays(mgr, depth):
    top = mgr.create_shape(T.BOX, q.BoxProperties(width=1.0, height=1.0, depth=1.0)).shape_id
    for _ in range(depth):
        top = mgr.create_shape_array(top, q.ArrayProperties(count_x=1))
    return top


def _deep(mgr):
    return {"top": _chain_of_arrays(mgr, 500)}


def _arrays(mgr):
    box = mgr.create_shape(T.BOX, q.BoxProperties(width=1.0, height=1.0, depth=1.0))
    inner = mgr.create_shape_array(box.shape_id, q.ArrayProperties(count_x=400, count_y=125, spacing_x=2.0,
                                                                    spacing_y=2.0))
    return {"inner": inner, "outer": mgr.create_shape_array(inner, q.ArrayProperties(count_x=2, spacing_z=2.0))}


def _arrays_undone_and_redone(mgr):
    made = _arrays(mgr)
    for _ in range(3):
        mgr.undo()
    for _ in range(3):
        mgr.redo()
    return made


def _sketch_in_an_array(mgr):
    plane = mgr.create_plane_from_standard(StandardPlane.XY)
    sk = mgr.create_sketch(plane.shape_id)
    t = CoreTessik(plane.shape_id, plane.properties)
    for i in range(3):
        t.create_rectangle(20.0 * i, 0.0, 10.0, 10.0)
    assert mgr.commit_sketch(sk.shape_id, t)
    ext = mgr.extrude_shape(sk.shape_id, q.ExtrudeProperties(depth=5.0))
    mgr.create_shape_array(ext, q.ArrayProperties(count_x=100, count_y=100, count_z=3, spacing_x=100.0,
                                                   spacing_y=100.0, spacing_z=10.0))
    t.create_circle(0.0, 50.0, 5.0)
    return {"sketch": sk.shape_id, "tessik": t}


LIMIT_CASES = [
    # (label, model at a limit, operation passing it, failure hook title, the bound)
    ("an array nested one level too deep", _deep,
     lambda m, f: m.create_shape_array(f["top"], q.ArrayProperties(count_x=1)), "Create Array", "500 levels"),
    ("a union of the deepest tree", _deep,
     lambda m, f: m.union_shapes([f["top"], m.create_shape(T.BOX, q.BoxProperties()).shape_id]),
     "Boolean Union", "500 levels"),
    ("a fillet of the deepest tree", _deep,
     lambda m, f: m.fillet_shape(f["top"], q.FilletProperties(fillet_radius=0.1, edge_indices=[0])),
     "Apply Fillet", "500 levels"),
    ("an array of an array", _arrays,
     lambda m, f: m.create_shape_array(f["outer"], q.ArrayProperties(count_x=2)), "Create Array", "100000 shapes"),
    ("an inner array's new counts", _arrays,
     lambda m, f: m.update_shape(f["inner"], q.ArrayProperties(count_x=400, count_y=126)),
     "Update Shape", "100000 shapes"),
    ("a sketch commit inside an array", _sketch_in_an_array,
     lambda m, f: m.commit_sketch(f["sketch"], f["tessik"]) or None, "Commit Sketch", "100000 shapes"),
    ("a new box beside the most a model builds", _arrays,
     lambda m, f: m.create_shape(T.BOX, q.BoxProperties()), "Create Box", "100000 shapes"),
    ("a new box beside arrays undone and redone", _arrays_undone_and_redone,
     lambda m, f: m.create_shape(T.BOX, q.BoxProperties()), "Create Box", "100000 shapes"),
]


@pytest.mark.parametrize("label, make, op, title, bound", LIMIT_CASES, ids=[c[0] for c in LIMIT_CASES])
def test_the_manager_builds_only_what_a_project_file_holds(tmp_path, label, make, op, title, bound):
    mgr = Host()
    fixture = make(mgr)
    state = [(i, ms.name, ms.parent_id, ms.properties.to_dict(), [c.shape_id for c in ms.components])
             for i, ms in mgr._shapes.items()]
    last = mgr._undo_stack[-1]
    mgr.log.clear()
    assert op(mgr, fixture) is None
    failures = [e for e in mgr.log if e[0] == "failed"]
    assert failures == [("failed", title, f"The model would {'nest shapes deeper than' if 'levels' in bound else 'build more than'} "
                                          f"{bound}, more than a project file can hold.")]
    # Nothing changed but a helper shape an operation made before (a box).
    after = [(i, ms.name, ms.parent_id, ms.properties.to_dict(), [c.shape_id for c in ms.components])
             for i, ms in mgr._shapes.items()]
    assert after[:len(state)] == state and mgr._undo_stack[-1 - (len(after) - len(state))] is last
    # What the manager holds at the limit is saved and loaded.
    path = str(tmp_path / "limit.vrex")
    assert ProjectSerializer.save_project(path, mgr)
    back = CoreCorvath()
    assert ProjectSerializer.load_project(path, back)
    assert len(back._shapes) == len(mgr._shapes)


def test_a_split_to_more_faces_than_a_model_holds_is_refused():
    mgr = Host()
    box = mgr.create_shape(T.BOX, q.BoxProperties(width=1.0, height=1.0, depth=1.0))
    arr = mgr.create_shape_array(box.shape_id, q.ArrayProperties(count_x=170, count_y=100, spacing_x=2.0,
                                                                  spacing_y=2.0))
    mgr.log.clear()
    assert mgr.split_to_faces(arr) == []
    assert [e for e in mgr.log if e[0] == "failed"] == [
        ("failed", "Split to Faces", "The model would hold more than 100000 shapes, more than a project file can hold.")]
    assert mgr.get_all_shape_ids() == [arr] and len(mgr._shapes) == 2


def test_a_save_refuses_what_its_load_would_refuse(tmp_path, capture_logs):
    """The save checks the load's bounds: a file it reports as written is
    one the load reads back."""
    mgr = CoreCorvath()
    box = mgr.create_shape(T.BOX, q.BoxProperties())
    arr = mgr.get_shape(mgr.create_shape_array(box.shape_id, q.ArrayProperties(count_x=2)))
    arr.properties.count_x = 400  # what the record says is what a load builds
    outer = mgr.get_shape(mgr.create_shape_array(arr.shape_id, q.ArrayProperties(count_x=2)))
    outer.properties.count_x = 400
    path = tmp_path / "big.vrex"
    path.write_bytes(b"previous")
    assert ProjectSerializer.save_project(str(path), mgr) is False
    assert capture_logs.messages == [f"Failed to save project '{path}': project would build more than 100000 shapes"]
    assert path.read_bytes() == b"previous"
    outer.properties.count_x = 200
    assert ProjectSerializer.save_project(str(path), mgr) is True


def test_deep_models_save_and_load(tmp_path):
    """Both managers nest shapes without a limit of their own; a chain far
    deeper than a recursive walk could take saves, and loads back whole."""
    mgr = CoreCorvath()
    sid = mgr.create_shape(T.BOX, q.BoxProperties(width=1.0, height=2.0, depth=3.0)).shape_id
    for _ in range(450):
        sid = mgr.create_shape_array(sid, q.ArrayProperties(count_x=1, count_y=1, count_z=1))
    path = tmp_path / "deep.vrex"
    assert ProjectSerializer.save_project(str(path), mgr) is True
    text = description(path)
    assert text.count('"shape_type": "array"') == 450
    loaded = CoreCorvath()
    assert ProjectSerializer.load_project(str(path), loaded) is True
    (top,) = [loaded.get_shape(i) for i in loaded.get_all_shape_ids()]
    depth, ms = 0, top
    while ms.components:
        depth, ms = depth + 1, ms.components[0]
    assert (depth, ms.shape_type) == (450, T.BOX)
    assert k.volume(top.shape) == pytest.approx(6.0)


class _Once(Host):
    """A host whose progress scope raises once armed."""

    armed = False

    @contextlib.contextmanager
    def _operation(self, message):
        if self.armed:
            raise ValueError("disk on fire")
        yield


def test_export_that_raises_fails_the_save_and_leaves_the_file(tmp_path, tmpdir_env, capture_logs):
    mgr = _Once()
    mgr.import_shape(step_file(tmp_path))
    mgr.armed = True
    path = tmp_path / "keep.vrex"
    path.write_bytes(b"previous content")
    capture_logs.clear()
    assert ProjectSerializer.save_project(str(path), mgr) is False
    assert path.read_bytes() == b"previous content"
    msgs = [(r.name, r.levelno, r.getMessage(), r.exc_info) for r in capture_logs.records]
    assert msgs == [("root", logging.ERROR, f"Failed to save project '{path}': disk on fire", None)]
    assert listing(tmpdir_env) == []
    assert listing(tmp_path) == ["keep.vrex", "part.step", "tmp"]


@pytest.mark.parametrize("target", ["project", "project.zip", "sub dir/ünï.vrex"])
def test_path_is_used_exactly_and_nothing_is_left_beside_it(tmp_path, target):
    (tmp_path / "sub dir").mkdir()
    mgr = CoreCorvath()
    mgr.create_shape(T.BOX, q.BoxProperties())
    path = tmp_path / target
    path.write_bytes(b"old")  # replaced whole
    assert ProjectSerializer.save_project(str(path), mgr)
    assert zipfile.is_zipfile(path)
    assert listing(path.parent) == sorted(p.name for p in path.parent.iterdir())
    assert [p.name for p in path.parent.iterdir() if p.name.startswith(".")] == []


@pytest.mark.parametrize("target, why", [
    ("missing/x.vrex", "[Errno 2] No such file or directory: '{p}'"),
    ("", "[Errno 21] Is a directory: '{p}'"),
])
def test_unwritable_paths_fail_with_the_message(tmp_path, capture_logs, target, why):
    path = str(tmp_path / target) if target else str(tmp_path)
    assert ProjectSerializer.save_project(path, CoreCorvath()) is False
    assert capture_logs.messages == [f"Failed to save project '{path}': " + why.format(p=path)]
    assert [p.name for p in tmp_path.iterdir()] == []


class _Unprintable(Exception):
    def __str__(self):
        raise ValueError("no text")


class _FailingPath:
    def __fspath__(self):
        raise _Unprintable()

    def __repr__(self):
        return "failing path"


@pytest.mark.parametrize("entry", [ProjectSerializer.save_project, ProjectSerializer.load_project])
@pytest.mark.parametrize("path, why", [
    ("", "[Errno 2] No such file or directory: ''"),
    ("a\0b", "[Errno 2] No such file or directory: 'a\\x00b'"),
    (_FailingPath(), "<unprintable error>"),
])
def test_failure_texts_are_the_ones_the_host_prints(capture_logs, entry, path, why):
    assert entry(path, CoreCorvath()) is False
    verb = "save" if entry == ProjectSerializer.save_project else "load"
    assert capture_logs.messages == [f"Failed to {verb} project '{path}': {why}"]


def test_wrong_arguments_are_logged_failures(tmp_path, capture_logs):
    assert ProjectSerializer.save_project(str(tmp_path / "x.vrex"), None) is False
    assert ProjectSerializer.save_project(None, CoreCorvath()) is False
    assert capture_logs.messages[0] == (f"Failed to save project '{tmp_path / 'x.vrex'}': "
                                        "corvath must be a CoreCorvath, not 'NoneType'")
    assert capture_logs.messages[1].startswith("Failed to save project 'None': ")
    assert list(tmp_path.iterdir()) == []


def test_serialize_and_export_helpers(tmp_path, tmpdir_env):
    mgr = CoreCorvath()
    imp = mgr.import_shape(step_file(tmp_path))
    box = mgr.create_shape(T.BOX, q.BoxProperties())
    uid = mgr.union_shapes([box.shape_id, imp.shape_id])
    files = {}
    obj = ProjectSerializer._serialize_managed_shape(mgr.get_shape(uid), files, mgr)
    assert list(files) == [f"shapes/{imp.shape_id}.step", f"shapes/{imp.shape_id}.bin"]
    assert obj["components"][1]["step_file"] == f"shapes/{imp.shape_id}.step"
    data = ProjectSerializer._export_shape_to_bytes(imp, mgr)
    assert isinstance(data, bytes) and data.startswith(b"ISO-10303-21")
    plane = mgr.create_plane_from_standard(StandardPlane.XY)
    assert ProjectSerializer._export_shape_to_bytes(plane, mgr) is None
    assert listing(tmpdir_env) == []


class _ExportOnce(_NoExport):
    """A kernel service whose first STEP export works and every later one fails."""

    def __init__(self):
        super().__init__()
        self.exports = 0

    def export_shapes_to_step(self, shapes, filename):
        self.exports += 1
        return self.exports == 1 and self.real.export_shapes_to_step(shapes, filename)


def test_serialize_keeps_the_entries_made_before_a_failed_export(tmp_path, tmpdir_env):
    mgr = CoreCorvath(_ExportOnce())
    first = mgr.import_shape(step_file(tmp_path), name="First")
    second = mgr.import_shape(step_file(tmp_path), name="Second")
    uid = mgr.union_shapes([first.shape_id, second.shape_id])
    files = {"kept": b"x"}
    with pytest.raises(ValueError, match=f"could not export the geometry of 'Second' \\({second.shape_id}\\)"):
        ProjectSerializer._serialize_managed_shape(mgr.get_shape(uid), files, mgr)
    assert list(files) == ["kept", f"shapes/{first.shape_id}.step", f"shapes/{first.shape_id}.bin"]
    assert files[f"shapes/{first.shape_id}.step"].startswith(b"ISO-10303-21")
    assert listing(tmpdir_env) == []


def test_placed_import_is_stored_without_its_placement(tmp_path):
    """The entry holds the geometry as read; the record's placement is put
    back once by the load (see the load tests)."""
    mgr = CoreCorvath()
    src = step_file(tmp_path)
    imp = mgr.import_shape(src, properties=q.ImportedProperties(translation=q.Translation(x=100.0),
                                                               rotation=q.Rotation(z=90.0)))
    data = ProjectSerializer._export_shape_to_bytes(imp, mgr)
    raw = tmp_path / "raw.step"
    raw.write_bytes(data)
    as_read = k.bounding_box(Drulen().import_file(src))
    assert k.bounding_box(Drulen().import_file(str(raw))) == pytest.approx(as_read, abs=1e-6)
    assert k.bounding_box(imp.shape) != pytest.approx(as_read, abs=1e-6)


def test_a_shape_holding_itself_fails_the_save(tmp_path, capture_logs):
    mgr = CoreCorvath()
    a = mgr.create_shape(T.BOX, q.BoxProperties())
    b = mgr.create_shape(T.SPHERE, q.SphereProperties())
    u = mgr.get_shape(mgr.union_shapes([a.shape_id, b.shape_id]))
    u.components.append(u)
    path = tmp_path / "cycle.vrex"
    assert ProjectSerializer.save_project(str(path), mgr) is False
    assert capture_logs.messages == [f"Failed to save project '{path}': shapes nested too deeply (more than 500 levels)"]
    assert not path.exists()
    u.components.pop()
