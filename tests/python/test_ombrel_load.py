"""Project files: loading, the dispatch by kind, rebuilding, failures and
hostile files."""

import json
import logging
import os
import zipfile

import pytest

from manager_fixtures import CorvathHost as Host
from ombrel_fixtures import (fill_every_kind, listing, measure, same_measure, same_tree, step_entries_only,
                             step_file, tree, write_project)
import _nimbal_testing as testing
from nimbal import kernel as k
from nimbal.enums import ShapeType, StandardPlane
from nimbal.managers.corvath import CoreCorvath
from nimbal.managers.tessik import CoreTessik
from nimbal.models import quenby as q
from nimbal.services.drulen import Drulen
from nimbal.services.ombrel import ProjectSerializer as PS

T = ShapeType


@pytest.fixture
def tmpdir_env(tmp_path, monkeypatch):
    d = tmp_path / "tmp"
    d.mkdir()
    monkeypatch.setenv("TMPDIR", str(d))
    return d


def shape_obj(shape_type, name="N", color=(0.1, 0.2, 0.3), **extra):
    d = {"shape_id": f"{shape_type}_saved", "shape_type": shape_type, "name": name, "color": list(color)}
    d.update(extra)
    return d


def project(*shapes, **top):
    return json.dumps({"version": "1.0", "shapes": list(shapes), **top})


def top_level(mgr):
    return [mgr.get_shape(i) for i in mgr.get_all_shape_ids()]


# ---------------------------------------------------------------- round trips


def test_round_trip_of_every_kind(tmp_path, tmpdir_env):
    src = Host()
    made = fill_every_kind(src, tmp_path)
    path = str(tmp_path / "all.vrex")
    assert PS.save_project(path, src)
    dst = Host()
    assert PS.load_project(path, dst) is True
    before, after = top_level(src), top_level(dst)
    assert [s.shape_type for s in after] == [s.shape_type if s.shape_type != T.FACE else T.IMPORTED for s in before]
    for a, b in zip(before, after):
        assert same_tree(tree(a), tree(b)), (a.shape_type, tree(a), tree(b))
        assert all(c.parent_id == b.shape_id for c in b.components)
    # New ids but for planes; hidden components stay hidden.
    ids = {s.shape_id for s in before}
    assert {s.shape_id for s in after} & ids == {made["plane"].shape_id}
    assert dst.get_shape(made["plane"].shape_id).properties == made["plane"].properties
    assert listing(tmpdir_env) == []
    # The host's hooks ran during the load: cleared first, a creation per shape.
    kinds = [e[0] for e in dst.log]
    assert kinds[0] == "cleared" or kinds[:2] == ["undo_redo", "cleared"]
    assert dst.log[-1][0] in ("updated", "undo_redo", "created")


def test_placed_import_and_placed_array_stand_where_saved(tmp_path):
    src = CoreCorvath()
    imp = src.import_shape(step_file(tmp_path), properties=q.ImportedProperties(
        translation=q.Translation(x=100.0, z=-20.0), rotation=q.Rotation(x=30.0, z=45.0)))
    base = src.create_shape(T.BOX, q.BoxProperties(width=10.0, height=10.0, depth=10.0))
    arr = src.create_shape_array(base.shape_id, q.ArrayProperties(count_x=2, spacing_x=30.0))
    src.update_shape(arr, q.ArrayProperties(count_x=2, spacing_x=30.0, translation=q.Translation(y=50.0)))
    path = str(tmp_path / "placed.vrex")
    assert PS.save_project(path, src)
    dst = CoreCorvath()
    assert PS.load_project(path, dst)
    new_imp, new_arr = top_level(dst)
    assert same_measure(measure(new_imp.shape), measure(imp.shape))
    assert new_imp.properties == imp.properties
    assert same_measure(measure(new_arr.shape), measure(src.get_shape(arr).shape))
    # A later edit takes off exactly the placement the record holds.
    dst.update_shape(new_imp.shape_id, q.ImportedProperties())
    src.update_shape(imp.shape_id, q.ImportedProperties())
    assert same_measure(measure(dst.get_shape(new_imp.shape_id).shape), measure(src.get_shape(imp.shape_id).shape))
    # Save, load, save again: the same description but for the ids.
    again = str(tmp_path / "again.vrex")
    assert PS.save_project(again, dst)
    assert PS.load_project(again, dst) and same_measure(measure(top_level(dst)[1].shape),
                                                        measure(src.get_shape(arr).shape))


def test_face_comes_back_as_an_imported_shape(tmp_path):
    src = CoreCorvath()
    box = src.create_shape(T.BOX, q.BoxProperties())
    faces = src.split_to_faces(box.shape_id)
    face = src.get_shape(faces[0])
    src.rename_shape(face.shape_id, "Top face")
    src.update_shape_color(face.shape_id, (0.5, 0.5, 0.0))
    path = str(tmp_path / "face.vrex")
    assert PS.save_project(path, src)
    dst = CoreCorvath()
    assert PS.load_project(path, dst)
    got = top_level(dst)[0]
    assert got.shape_type == T.IMPORTED and got.name == "Top face" and got.color == (0.5, 0.5, 0.0)
    assert got.shape_id != face.shape_id
    assert same_measure(measure(got.shape), measure(face.shape))


def test_a_load_starts_a_fresh_history(tmp_path):
    mgr = Host()
    mgr.create_shape(T.SPHERE, q.SphereProperties())
    mgr.undo()  # something to redo, too
    path = write_project(tmp_path / "two.vrex", project(shape_obj("box", "One"), shape_obj("box", "Two")))
    assert PS.load_project(path, mgr)
    assert list(mgr._undo_stack) == [] and not mgr.can_undo and not mgr.can_redo
    assert mgr.log[-1] == ("undo_redo", False, False)
    assert [s.name for s in top_level(mgr)] == ["One", "Two"]
    mgr.undo()
    assert [s.name for s in top_level(mgr)] == ["One", "Two"]


@pytest.mark.parametrize("top", [{}, {"version": "9.9"}, {"version": None}])
def test_version_is_never_read(tmp_path, top):
    doc = json.dumps({**top, "shapes": [shape_obj("box")]})
    mgr = CoreCorvath()
    assert PS.load_project(write_project(tmp_path / "v.vrex", doc), mgr)
    assert [s.shape_type for s in top_level(mgr)] == [T.BOX]


def test_missing_shapes_clears(tmp_path):
    mgr = Host()
    mgr.create_shape(T.BOX, q.BoxProperties())
    assert PS.load_project(write_project(tmp_path / "n.vrex", '{"version": "1.0"}'), mgr) is True
    assert mgr.get_all_shape_ids() == [] and ("cleared",) in mgr.log


def test_reading_of_one_shape_object(tmp_path):
    doc = project(shape_obj("box", "Four", color=(0.1, 0.2, 0.3, 0.9)),                  # fourth item ignored
                  shape_obj("sphere", "  Spaced  "),                                     # no properties: defaults
                  shape_obj("cylinder", None, properties={"radius": 3, "height": 4}),     # no name: generated
                  shape_obj("box", "Bad", properties={"width": -1.0}),                   # kernel refuses: skipped
                  shape_obj("cone", "Nan", color=(float("nan"), 1, 0)))
    mgr = Host()
    assert PS.load_project(write_project(tmp_path / "r.vrex", doc), mgr)
    box, sphere, cyl, cone = top_level(mgr)
    assert box.color == (0.1, 0.2, 0.3) and box.name == "Four" and box.shape_id != "box_saved"
    assert sphere.name == "  Spaced  " and sphere.properties == q.SphereProperties()
    assert cyl.name == "Cylinder_1" and cyl.properties.radius == 3.0
    assert cone.color[0] != cone.color[0]
    assert [e[1] for e in mgr.log if e[0] == "failed"] == ["Create Box"]


# ---------------------------------------------------------------- failures


def _fail_cases(tmp_path):
    p = tmp_path
    (p / "text.vrex").write_text("not a zip")
    (p / "folder.vrex").mkdir()
    return [
        (str(p / "missing.vrex"), "[Errno 2] No such file or directory: '{p}'"),
        (str(p / "text.vrex"), "File is not a zip file"),
        (str(p / "folder.vrex"), "[Errno 21] Is a directory: '{p}'"),
        (write_project(p / "nojson.vrex", None, [("other.txt", b"x")]),
         "\"There is no item named 'project.json' in the archive\""),
        (write_project(p / "badjson.vrex", '{"shapes": [}'), "Expecting value: line 1 column 13 (char 12)"),
        (write_project(p / "trail.vrex", '{"shapes": []} x'), "Extra data: line 1 column 16 (char 15)"),
        (write_project(p / "key.vrex", '{\n  shapes: []}'),
         "Expecting property name enclosed in double quotes: line 2 column 3 (char 4)"),
        (write_project(p / "utf.vrex", b'{"shapes": ["\xff"]}'),
         "'utf-8' codec can't decode byte 0xff in position 13: invalid start byte"),
    ]


def test_failures_before_the_clear_leave_the_manager(tmp_path, capture_logs):
    for path, why in _fail_cases(tmp_path):
        mgr = Host()
        box = mgr.create_shape(T.BOX, q.BoxProperties())
        depth = mgr.undo_depth()
        capture_logs.clear()
        assert PS.load_project(path, mgr) is False, path
        recs = [(r.name, r.levelno, r.getMessage(), r.exc_info) for r in capture_logs.records]
        assert recs == [("root", logging.ERROR, f"Failed to load project '{path}': " + why.format(p=path), None)]
        assert mgr.get_all_shape_ids() == [box.shape_id] and mgr.undo_depth() == depth


class DisplayHost(Host):
    """Shows what the hooks say: created shows, removed and cleared erase."""

    def __init__(self, *args, **kwargs):
        self.shown = {}
        self.raise_on_created = None  # raise on this many more created hooks
        super().__init__(*args, **kwargs)

    def _notify_shape_created(self, shape_id, ms):
        super()._notify_shape_created(shape_id, ms)
        if self.raise_on_created is not None:
            self.raise_on_created -= 1
            if self.raise_on_created == 0:
                raise RuntimeError("host failed")
        self.shown[shape_id] = ms

    def _notify_shape_removed(self, shape_id):
        super()._notify_shape_removed(shape_id)
        self.shown.pop(shape_id, None)

    def _notify_all_cleared(self):
        super()._notify_all_cleared()
        self.shown.clear()


def _model_with_history():
    """Top-level shapes, hidden components, a plane and a sketch on it, an undo
    history and a redo step."""
    mgr = DisplayHost()
    mgr.create_shape(T.SPHERE, q.SphereProperties(radius=6.0), name="Ball")
    c = mgr.create_shape(T.CYLINDER, q.CylinderProperties(radius=2.0, height=30.0))
    b = mgr.create_shape(T.BOX, q.BoxProperties(width=20.0, height=5.0, depth=5.0))
    u = mgr.union_shapes([c.shape_id, b.shape_id])
    plane = mgr.create_plane_from_standard(StandardPlane.XY)
    sk = mgr.create_sketch(plane.shape_id)
    t = CoreTessik(plane.shape_id, plane.properties)
    t.create_rectangle(0.0, 0.0, 10.0, 5.0)
    assert mgr.commit_sketch(sk.shape_id, t)
    mgr.rename_shape(u, "Cross")
    mgr.undo()
    return mgr


def _model_state(mgr):
    return {
        "entries": [(i, ms, ms.name, ms.shape_type, ms.parent_id, ms.color, ms.properties.to_dict(),
                     [c.shape_id for c in ms.components], measure(ms.shape)) for i, ms in mgr._shapes.items()],
        "top": mgr.get_all_shape_ids(),
        "undo": list(mgr._undo_stack), "redo": list(mgr._undo_redo._redo_stack),
        "shown": dict(mgr.shown),
    }


def _step_bytes(tmp_path):
    with open(step_file(tmp_path, "in.step"), "rb") as f:
        return f.read()


BOX_A = shape_obj("box", "A")
FAILING_LOADS = [
    # (label, project.json or a file's bytes, entries, hook failure, why)
    ("unknown kind in the 2nd shape", project(BOX_A, shape_obj("bogus"), shape_obj("box", "B")), (), None,
     "'bogus' is not a valid ShapeType"),
    ("a refused property", project(BOX_A, shape_obj("box", properties={"width": "wide"})), (), None, None),
    ("a component without a colour",
     project(shape_obj("union", components=[shape_obj("box", "In"), {"shape_type": "box", "name": "x"}])), (),
     None, "'color'"),
    ("a modifier's record refused after its base was built",
     project(BOX_A, shape_obj("array", components=[shape_obj("box")], properties={"count_x": "many"})), (),
     None, None),
    ("a missing STEP entry after an imported shape",
     project(shape_obj("imported", step_file="shapes/in.step"), shape_obj("imported", step_file="shapes/no.step")),
     "step", None, "\"There is no item named 'shapes/no.step' in the archive\""),
    ("a host hook raising in the middle of the rebuild",
     project(BOX_A, shape_obj("union", components=[shape_obj("box"), shape_obj("sphere")]), shape_obj("box", "C")),
     (), 3, "host failed"),
    ("a colour of two items", project(BOX_A, shape_obj("box", "B", color=(1, 0))), (), None,
     "list index out of range"),
    ("a top-level array", json.dumps([BOX_A]), (), None, "'list' object has no attribute 'get'"),
    ("text that is not JSON", '{"shapes": [}', (), None, "Expecting value: line 1 column 13 (char 12)"),
    ("no project.json", None, (), None, "\"There is no item named 'project.json' in the archive\""),
]


@pytest.mark.parametrize("label, doc, entries, hook_failure, why", FAILING_LOADS, ids=[c[0] for c in FAILING_LOADS])
def test_a_failed_load_loses_nothing(tmp_path, tmpdir_env, capture_logs, label, doc, entries, hook_failure, why):
    extra = [("shapes/in.step", _step_bytes(tmp_path))] if entries == "step" else []
    path = write_project(tmp_path / "f.vrex", doc, extra)
    mgr = _model_with_history()
    before = _model_state(mgr)
    mgr.log.clear()
    capture_logs.clear()
    mgr.raise_on_created = hook_failure
    assert PS.load_project(path, mgr) is False
    mgr.raise_on_created = None
    msgs = capture_logs.messages
    assert len(msgs) == 1 and msgs[0].startswith(f"Failed to load project '{path}': "), msgs
    if why is not None:
        assert msgs[0] == f"Failed to load project '{path}': {why}"
    # The same objects with the same ids, names, records and geometry; the
    # same commands on both stacks; the host shows what it showed.
    assert _model_state(mgr) == before
    events = mgr.events()
    started = bool(events)
    if started:
        # The host saw the load begin; it is then told the old model again:
        # everything cleared, each top-level shape created in registry order,
        # then the undo state.
        n = len(before["top"])
        assert events[-(n + 2):] == [("cleared",)] + [("created", i) for i in before["top"]] + \
            [("undo_redo", True, True)]
    # Failures before the description is whole touch nothing at all.
    assert started == (label not in ("text that is not JSON", "no project.json"))
    # The history still works, step for step as in a twin that never loaded.
    twin = _model_with_history()
    for step in ["redo"] + ["undo"] * 4 + ["redo"] * 2:
        getattr(mgr, step)()
        getattr(twin, step)()
        assert [(s.name, s.shape_type, measure(s.shape)) for s in top_level(mgr)] == \
            [(s.name, s.shape_type, measure(s.shape)) for s in top_level(twin)]
        assert set(mgr.shown) == set(mgr.get_all_shape_ids())
    assert listing(tmpdir_env) == []


def test_a_hook_failing_while_the_old_model_is_shown_again_is_logged(tmp_path, capture_logs):
    class Failing(DisplayHost):
        def _notify_shape_created(self, shape_id, ms):
            super()._notify_shape_created(shape_id, ms)
            if self.failing:
                raise RuntimeError("no display")

    mgr = Failing()
    mgr.failing = False
    kept = [mgr.create_shape(T.BOX, q.BoxProperties()).shape_id,
            mgr.create_shape(T.SPHERE, q.SphereProperties()).shape_id]
    mgr.failing = True
    mgr.log.clear()
    capture_logs.clear()
    path = write_project(tmp_path / "p.vrex", project(BOX_A))
    assert PS.load_project(path, mgr) is False
    replay = "A hook failed while the model was restored after a failed load: no display"
    assert capture_logs.messages == [replay, replay, f"Failed to load project '{path}': no display"]
    assert mgr.get_all_shape_ids() == kept and mgr.undo_depth() == 2
    assert [e[0] for e in mgr.events()][-4:] == ["cleared", "created", "created", "undo_redo"]


def test_a_shape_that_rebuilds_to_nothing_is_skipped_and_the_load_succeeds(tmp_path, tmpdir_env):
    path = write_project(tmp_path / "d.vrex", project(
        BOX_A, shape_obj("imported", step_file="shapes/bad.step"), shape_obj("box", "B")),
        [("shapes/bad.step", b"ISO-10303-21;\nbroken")])
    mgr = _model_with_history()
    assert PS.load_project(path, mgr) is True
    assert [s.name for s in top_level(mgr)] == ["A", "B"]
    assert ("failed", "Import File") in [e[:2] for e in mgr.log]
    assert list(mgr._undo_stack) == [] and not mgr.can_redo and set(mgr.shown) == set(mgr.get_all_shape_ids())


def test_interrupts_are_not_caught(tmp_path):
    class Stop(CoreCorvath):
        def _notify_all_cleared(self):
            raise KeyboardInterrupt

    path = write_project(tmp_path / "k.vrex", project(shape_obj("box")))
    with pytest.raises(KeyboardInterrupt):
        PS.load_project(path, Stop())


# ---------------------------------------------------------------- hostile files


def _patch_central_size(path, name, size):
    with open(path, "rb") as f:
        data = bytearray(f.read())
    i = data.find(b"PK\x01\x02")
    while i >= 0:
        n = int.from_bytes(data[i + 28:i + 30], "little")
        if data[i + 46:i + 46 + n] == name.encode():
            data[i + 24:i + 28] = size.to_bytes(4, "little")
        i = data.find(b"PK\x01\x02", i + 4)
    with open(path, "wb") as f:
        f.write(bytes(data))


@pytest.mark.parametrize("extra_keys", [0, 3, 40])
def test_a_repeated_key_takes_its_last_value(tmp_path, extra_keys):
    """Small objects are searched directly, large ones through an index:
    both give the last value of a key."""
    keys = "".join(f'"k{i}": {i}, ' for i in range(extra_keys))
    props = '{"width": 1.0, ' + keys + '"width": 7.0, "height": 2.0, "height": 3.0}'
    text = ('{"shapes": [{"shape_type": "box", "name": "A", "color": [0, 0, 0], "properties": ' + props + "}]}")
    mgr = CoreCorvath()
    assert PS.load_project(write_project(tmp_path / "dup.vrex", text), mgr)
    (box,) = top_level(mgr)
    assert (box.properties.width, box.properties.height, box.properties.depth) == (7.0, 3.0, 50.0)
    assert k.volume(box.shape) == pytest.approx(7.0 * 3.0 * 50.0)


def _chain(depth):
    """The text of a union holding a union ... holding a box, `depth` levels
    below the top (built as text: the host's writer recurses)."""
    head = '{"shape_type": "union", "name": "U", "color": [0, 0, 0], "components": ['
    return head * depth + json.dumps(shape_obj("box")) + "]}" * depth


def _array(count, base):
    return shape_obj("array", properties={"count_x": count, "count_y": 1, "count_z": 1}, components=[base])


def test_hostile_files_fail_before_the_model_is_cleared(tmp_path, tmpdir_env, capture_logs):
    cases = []
    p = write_project(tmp_path / "declared.vrex", project())
    _patch_central_size(p, "project.json", 0xFFFFFFF0)
    cases.append((p, "entry 'project.json' is larger than 67108864 bytes"))
    cases.append((write_project(tmp_path / "bomb.vrex", b" " * (65 << 20)),
                  "entry 'project.json' is larger than 67108864 bytes"))
    p = write_project(tmp_path / "step.vrex", project(shape_obj("box"), shape_obj("imported", step_file="shapes/a.step")),
                      [("shapes/a.step", b"ISO-10303-21;")])
    _patch_central_size(p, "shapes/a.step", 0xFFFFFFF0)
    cases.append((p, "entry 'shapes/a.step' is larger than 536870912 bytes"))
    p = write_project(tmp_path / "native.vrex", project(shape_obj("imported", step_file="shapes/a.step")),
                      [("shapes/a.step", b"ISO-10303-21;"), ("shapes/a.bin", b"x")])
    _patch_central_size(p, "shapes/a.bin", 0xFFFFFFF0)
    cases.append((p, "entry 'shapes/a.bin' is larger than 536870912 bytes"))
    cases.append((write_project(tmp_path / "deep.vrex", "[" * 100000), "project.json is nested too deeply"))
    cases.append((write_project(tmp_path / "shapes.vrex", '{"shapes": [' + _chain(501) + "]}"),
                  "shapes nested too deeply (more than 500 levels)"))
    many = project(*[{"shape_type": "box"}] * 100001)
    cases.append((write_project(tmp_path / "many.vrex", many), "project holds more than 100000 shapes"))
    # Copies multiply through nesting: 400 x 400 boxes from a few hundred bytes.
    squared = project(_array(400, _array(400, shape_obj("box"))))
    cases.append((write_project(tmp_path / "squared.vrex", squared), "project would build more than 100000 shapes"))
    as_text = project(_array("400", _array(400.5, shape_obj("box"))))  # counts read as the record reads them
    cases.append((write_project(tmp_path / "as_text.vrex", as_text), "project would build more than 100000 shapes"))
    spread = project(*[_array(60000, shape_obj("box"))] * 2)
    cases.append((write_project(tmp_path / "spread.vrex", spread), "project would build more than 100000 shapes"))
    empties = '{"shapes": [], "pad": [' + "[]," * (5 << 20) + "[]]}"
    cases.append((write_project(tmp_path / "empties.vrex", empties), "project.json holds more than 4194304 values"))
    for path, why in cases:
        mgr = CoreCorvath()
        kept = mgr.create_shape(T.BOX, q.BoxProperties())
        capture_logs.clear()
        assert PS.load_project(path, mgr) is False, path
        assert capture_logs.messages[0].startswith(f"Failed to load project '{path}': {why}"), capture_logs.messages
        assert mgr.get_all_shape_ids() == [kept.shape_id], path
    assert listing(tmpdir_env) == []


def test_the_deepest_chain_loads(tmp_path):
    mgr = CoreCorvath()
    assert PS.load_project(write_project(tmp_path / "d.vrex", '{"shapes": [' + _chain(500) + "]}"), mgr)
    # A union of one component gives nothing; its box stays top level.
    assert [mgr.get_shape(i).shape_type for i in mgr.get_all_shape_ids()] == [T.BOX]


_LOW_MEMORY = """
import resource, sys
from nimbal.managers.corvath import CoreCorvath
from nimbal.services.ombrel import ProjectSerializer as PS
with open("/proc/self/statm") as f:
    vm = int(f.read().split()[0]) * resource.getpagesize()
for path, extra in zip(sys.argv[1::2], sys.argv[2::2]):
    resource.setrlimit(resource.RLIMIT_AS, (vm + (int(extra) << 20), resource.RLIM_INFINITY))
    print(PS.load_project(path, CoreCorvath()), flush=True)
"""


@pytest.mark.skipif(bool(os.environ.get("NIMBAL_SANITIZER")),
                    reason="the sanitizer reserves its shadow memory beyond any address-space limit")
def test_a_load_under_a_memory_limit_fails_cleanly(tmp_path):
    """64 MiB of empty lists in 63 KiB of container needs gigabytes without
    a bound on the values parsed; and a file within the bound, under limits
    that run out part way, must fail as a load, not end the process while
    the parsed part is freed."""
    import subprocess
    import sys
    text = '{"shapes": [], "pad": [' + "[]," * (21 << 20) + "[]]}"
    amplify = write_project(tmp_path / "amplify.vrex", text)
    assert os.path.getsize(amplify) < 128 << 10
    within = write_project(tmp_path / "within.vrex", '{"shapes": [], "pad": [' + "[]," * 2000000 + "[]]}")
    args = [amplify, "1200"] + [a for extra in range(20, 180, 20) for a in (within, str(extra))]
    run = subprocess.run([sys.executable, "-c", _LOW_MEMORY, *args], capture_output=True, text=True, timeout=120)
    assert run.returncode == 0, run.stderr[-2000:]
    results = run.stdout.split()
    assert len(results) == 9 and results[0] == "False" and "False" in results and results[-1] == "True"
    assert "project.json holds more than 4194304 values" in run.stderr.splitlines()[0]
    assert all(line.endswith("std::bad_alloc") for line in run.stderr.splitlines()[1:]), run.stderr[-2000:]


def test_entry_names_are_never_paths(tmp_path, tmpdir_env, monkeypatch):
    monkeypatch.chdir(tmpdir_env)
    with open(step_file(tmp_path), "rb") as f:
        step = f.read()
    evil = ["../escape.step", "/tmp/abs.step", "shapes/../../x.step"]
    doc = project(*[shape_obj("imported", name=n, step_file=n) for n in evil])
    path = write_project(tmp_path / "evil.vrex", doc, [(n, step) for n in evil])
    mgr = CoreCorvath()
    assert PS.load_project(path, mgr)
    assert [s.name for s in top_level(mgr)] == evil
    assert all(s.shape_type == T.IMPORTED and s.shape is not None for s in top_level(mgr))
    assert listing(tmpdir_env) == [] and not (tmp_path / "escape.step").exists()
    assert sorted(os.listdir(tmp_path)) == ["evil.vrex", "part.step", "tmp"]


def test_unreadable_step_entry(tmp_path, tmpdir_env):
    doc = project(shape_obj("imported", name="Junk", step_file="shapes/j.step"), shape_obj("box", "After"))
    path = write_project(tmp_path / "junk.vrex", doc, [("shapes/j.step", b"garbage")])
    mgr = Host()
    assert PS.load_project(path, mgr) is True
    (fail,) = [e for e in mgr.log if e[0] == "failed"]
    assert fail[1] == "Import File"
    tmp = fail[2].split("'")[1]
    assert tmp.startswith(str(tmpdir_env)) and tmp.endswith(".step")
    assert fail[2] == f"Could not import '{tmp}'. The file may be missing, corrupt, or in an unsupported format."
    assert [s.name for s in top_level(mgr)] == ["After"]
    assert listing(tmpdir_env) == []


# ---------------------------------------------------------------- rebuild operations


class Archive:
    """Stands in for the open container."""

    def __init__(self, entries=None):
        self.entries = entries or {}

    def read(self, name):
        return self.entries[name]


class _CountingReads(Drulen):
    reads = 0

    def import_file(self, filename):
        self.reads += 1
        return super().import_file(filename)


def test_an_entry_named_by_many_shapes_is_read_once(tmp_path, tmpdir_env):
    saver = CoreCorvath()
    saver.import_shape(step_file(tmp_path), name="Part")
    saved = tmp_path / "one.vrex"
    assert PS.save_project(str(saved), saver)
    with zipfile.ZipFile(saved) as zf:
        (obj,) = json.loads(zf.read("project.json"))["shapes"]
        entry = (obj["step_file"], zf.read(obj["step_file"]))
    box = shape_obj("box", properties={"width": 1.0, "height": 1.0, "depth": 1.0})
    union = shape_obj("union", components=[dict(obj, name="Inner"), box])
    path = write_project(tmp_path / "many.vrex", project(obj, dict(obj, name="Again"), union), [entry])
    service = _CountingReads()
    mgr = CoreCorvath(service)
    assert PS.load_project(path, mgr) is True
    assert service.reads == 1
    shapes = [mgr.get_shape(i) for i in mgr.get_all_shape_ids()]
    assert [s.name for s in shapes] == ["Part", "Again", "N"]
    imported = shapes[:2] + [shapes[2].components[0]]
    assert [s.name for s in imported] == ["Part", "Again", "Inner"]
    assert [round(k.volume(s.shape), 6) for s in imported] == [6000.0] * 3
    # Each shape owns its geometry, as separate imports would.
    assert not imported[0].shape.IsSame(imported[1].shape)
    assert not imported[0].shape.IsSame(imported[2].shape)
    assert listing(tmpdir_env) == []


def test_geometry_out_of_memory_fails_the_load_naming_the_shape(tmp_path, tmpdir_env, capture_logs):
    saver = CoreCorvath()
    saver.create_shape(T.BOX, q.BoxProperties())
    imp = saver.import_shape(step_file(tmp_path), name="Bracket")
    path = tmp_path / "p.vrex"
    assert PS.save_project(str(path), saver)
    step_entries_only(path)  # read through the service's STEP import
    mgr = CoreCorvath(testing.OutOfMemoryReader())
    mine = mgr.create_shape(T.SPHERE, q.SphereProperties())
    capture_logs.clear()
    assert PS.load_project(str(path), mgr) is False
    assert capture_logs.messages == [f"Failed to load project '{path}': out of memory while reading the geometry "
                                     f"of 'Bracket' from 'shapes/{imp.shape_id}.step'"]
    # The model that was open stays open.
    assert mgr.get_all_shape_ids() == [mine.shape_id] and mgr.undo_depth() == 1
    assert listing(tmpdir_env) == []


def test_booleans(tmp_path):
    mgr = CoreCorvath()
    comps = [shape_obj("box", "A", properties={"width": 40.0, "height": 40.0, "depth": 40.0}),
             shape_obj("box", "Bad", properties={"width": 0.0}),
             shape_obj("sphere", "B", properties={"radius": 10.0, "translation": {"x": 20.0}})]
    uid = PS._deserialize_boolean({"components": comps}, T.UNION, (1, 0, 0), " U ", {}, mgr, Archive())
    u = mgr.get_shape(uid)
    assert u.name == " U " and u.color == (1.0, 0.0, 0.0) and [c.name for c in u.components] == ["A", "B"]
    assert u.properties == q.BooleanProperties()
    assert [c.description for c in mgr._undo_stack][-2:] == ["Union shapes", "Change color of  U "]
    sid = PS._deserialize_boolean({"components": comps}, T.SUBTRACTION, (0, 1, 0), "S",
                                  {"remove_internal_edges": False}, mgr, Archive())
    s = mgr.get_shape(sid)
    assert s.properties.remove_internal_edges is False
    assert mgr._undo_stack[-1].description == "Update S"
    assert measure(s.shape)[0] < measure(u.shape)[0] - 1.0  # A minus B, not B minus A
    # One buildable component: nothing, the component stays top level.
    n = len(mgr.get_all_shape_ids())
    assert PS._deserialize_boolean({"components": comps[:2]}, T.UNION, (0, 0, 0), "X", {}, mgr, Archive()) is None
    assert PS._deserialize_boolean({}, T.UNION, (0, 0, 0), "X", {}, mgr, Archive()) is None
    assert len(mgr.get_all_shape_ids()) == n + 1


@pytest.mark.parametrize("op, kind, props", [
    (PS._deserialize_array, T.ARRAY, {"count_x": "3"}),
    (PS._deserialize_fillet, T.FILLET, {}),
    (PS._deserialize_extrude, T.EXTRUDE, {"depth": 5.0}),
])
def test_modifiers(op, kind, props):
    mgr = CoreCorvath()
    base = shape_obj("box" if kind != T.EXTRUDE else "rectangle", "Base")
    assert op({"components": []}, (0, 0, 0), "M", props, mgr, Archive()) is None
    assert mgr.get_all_shape_ids() == []
    mid = op({"components": [base, shape_obj("sphere", "Second")]}, (0, 0, 1), "M", props, mgr, Archive())
    assert mgr.get_all_shape_ids() == [mid]
    m = mgr.get_shape(mid)
    assert m.shape_type == kind and m.name == "M" and m.color == (0.0, 0.0, 1.0)
    assert [c.name for c in m.components] == ["Base"]
    if kind == T.ARRAY:
        assert m.properties.count_x == 3


def test_the_private_class_methods_refuse_a_wrong_argument_by_its_name():
    """Each argument is read in order by the rule of its kind; nothing is
    rebuilt, and a list of pairs is no dict of entries to fill."""
    mgr = CoreCorvath()
    box = mgr.create_shape(T.BOX, CoreCorvath.create_properties_for_type(T.BOX))
    calls = [
        (lambda: PS._deserialize_boolean({}, 1, (0, 0, 0), "B", {}, mgr, Archive()),
         "shape_type must be a nimbal.enums.ShapeType, not 'int'"),
        (lambda: PS._deserialize_plane({}, 1, "P", {}, mgr), "color must be a sequence of three numbers, not 'int'"),
        (lambda: PS._deserialize_fillet({}, (0, 0, 0), 3, {}, mgr, Archive()), "name must be a str or None, not 'int'"),
        (lambda: PS._deserialize_shape({}, "mgr", Archive()), "corvath must be a CoreCorvath, not 'str'"),
        (lambda: PS._create_sketch_comp_in_manager({}, mgr), "tessik must be a CoreTessik, not 'CoreCorvath'"),
        (lambda: PS._serialize_managed_shape(box, [("a", b"")], mgr), "step_files must be a dict, not 'list'"),
        (lambda: PS._serialize_managed_shape(box.shape, {}, mgr),
         "managed_shape must be a ManagedShape, not 'TopoDS_Solid'"),
        (lambda: PS._export_shape_to_bytes(box, None), "corvath must be a CoreCorvath, not 'NoneType'"),
    ]
    for call, message in calls:
        with pytest.raises(TypeError) as e:
            call()
        assert str(e.value) == message
    assert mgr.get_all_shape_ids() == [box.shape_id]


def test_planes_and_sketches(tmp_path, capture_logs):
    plane = shape_obj("plane", "My plane", properties={"normal_x": 1.0, "normal_z": 0.0, "origin_x": 5.0})
    rect = shape_obj("rectangle", "R", properties={"local_u": 10.0, "local_v": 5.0, "width": 20.0, "height": 8.0,
                                                    "filled": False})
    circle = shape_obj("circle", "C", properties={"radius": 4.0})
    line = shape_obj("line", "L", properties={"p1": [0, 0], "p2": [10, 10]})
    union = shape_obj("union", "RC", color=(0.9, 0.1, 0.1), components=[
        shape_obj("rectangle", "R2", properties={"width": 20.0, "height": 20.0}),
        shape_obj("circle", "C2", properties={"radius": 8.0, "local_u": 10.0})])
    lone = shape_obj("subtraction", "S", components=[shape_obj("arc", "A1"), shape_obj("torus", "T")])
    sketch = shape_obj("sketch", "My sketch", properties={"plane_id": "plane_saved"},
                       components=[rect, shape_obj("box", "Ignored"), circle, line, union, lone])
    early = dict(sketch, shape_id="early_sketch", name="Early")
    on_box = dict(sketch, shape_id="boxed", properties={"plane_id": "box_x"})
    empty = shape_obj("sketch", "Empty", properties={"plane_id": "plane_saved"}, shape_id="empty_sketch")
    no_id = dict(plane)
    del no_id["shape_id"]
    doc = project(early, plane, no_id, sketch, on_box, empty, dict(shape_obj("box"), shape_id="box_x"))
    mgr = Host()
    assert PS.load_project(write_project(tmp_path / "s.vrex", doc), mgr)
    ids = mgr.get_all_shape_ids()
    assert ids[:3] == ["plane_saved", "sketch_saved", "empty_sketch"] and len(ids) == 4
    # Planes are found in file order only; the box is registered after the sketch naming it.
    assert capture_logs.messages == ["Cannot restore sketch early_sketch: plane plane_saved not found",
                                     "Cannot restore sketch boxed: plane box_x not found"]
    p, s, e = (mgr.get_shape(i) for i in ids[:3])
    assert p.name == "My plane" and p.color == (0.1, 0.2, 0.3) and p.properties.origin_x == 5.0
    assert e.components == [] and e.shape is None
    assert s.name == "My sketch" and [c.shape_type for c in s.components] == [
        T.RECTANGLE, T.CIRCLE, T.LINE, T.UNION, T.ARC]
    r, c, ln, un, arc = s.components
    assert (r.name, r.properties.local_u, r.properties.width, r.properties.filled) == ("R", 10.0, 20.0, False)
    assert un.name == "RC" and un.color == (0.9, 0.1, 0.1) and [x.name for x in un.components] == ["R2", "C2"]
    assert un.properties.remove_internal_edges is True
    # The rectangle lies on the plane x = 5 (normal along x).
    bb = measure(r.shape)[2]
    assert bb[0] == pytest.approx(5.0, abs=1e-6) and bb[3] == pytest.approx(5.0, abs=1e-6)
    assert all(x.parent_id == "sketch_saved" for x in s.components)


def test_sketches_whose_plane_was_removed_come_back(tmp_path, capture_logs):
    src = DisplayHost()
    plane = src.create_arbitrary_plane((0.0, 0.0, 40.0), (30.0, 0.0, 0.0))
    flat = src.create_sketch(plane.shape_id, name="Flat")
    t = CoreTessik(plane.shape_id, plane.properties)
    t.create_rectangle(0.0, 0.0, 30.0, 20.0, filled=True)
    assert src.commit_sketch(flat.shape_id, t)
    prof = src.create_sketch(plane.shape_id, name="Profile")
    t = CoreTessik(plane.shape_id, plane.properties)
    t.create_circle(50.0, 0.0, 8.0, filled=True)
    assert src.commit_sketch(prof.shape_id, t)
    ext = src.extrude_shape(prof.shape_id, q.ExtrudeProperties(depth=12.0))
    assert src.remove_shape(plane.shape_id)
    shown = {i: measure(ms.shape) for i, ms in src.shown.items()}
    assert len(shown) == 2

    def trees(mgr):
        return [(s.name, s.shape_type, measure(s.shape), [(c.name, measure(c.shape)) for c in s.components])
                for s in top_level(mgr)]

    expected = trees(src)
    path = str(tmp_path / "p.vrex")
    for step in range(2):  # saved, loaded, saved again from what was loaded
        assert PS.save_project(path, src)
        dst = DisplayHost()
        capture_logs.clear()
        assert PS.load_project(path, dst)
        assert capture_logs.messages == []
        assert trees(dst) == expected
        # The host shows the same shapes, and no plane.
        assert sorted(str(measure(ms.shape)) for ms in dst.shown.values()) == sorted(map(str, shown.values()))
        assert all(ms.shape_type != T.PLANE for ms in dst._shapes.values())
        assert dst.get_shape(flat.shape_id).properties.plane_id == plane.shape_id
        src = dst
    # A plane registered with the model is saved as itself, not with its sketch.
    keep = CoreCorvath()
    p2 = keep.create_plane_from_standard(StandardPlane.XY)
    keep.create_sketch(p2.shape_id)
    assert PS.save_project(path, keep)
    with zipfile.ZipFile(path) as zf:
        assert ["plane_properties" in o for o in json.load(zf.open("project.json"))["shapes"]] == [False, False]


def test_sketch_on_a_box_and_a_taken_id(capture_logs):
    mgr = CoreCorvath()
    box = mgr.create_shape(T.BOX, q.BoxProperties())
    data = shape_obj("sketch", properties={"plane_id": box.shape_id})
    assert PS._deserialize_sketch(data, (0, 0, 0), "S", data["properties"], mgr, Archive()) is None
    assert capture_logs.messages == [f"Cannot restore sketch sketch_saved: plane {box.shape_id} not found"]
    # A second plane under an id already loaded replaces nothing.
    plane = shape_obj("plane")
    assert PS._deserialize_plane(plane, (0, 0, 0), "P1", {}, mgr) == "plane_saved"
    assert PS._deserialize_plane(plane, (0, 0, 0), "P2", {}, mgr) is None
    assert mgr.get_shape("plane_saved").name == "P1"
    assert capture_logs.messages[-1] == "Cannot restore plane plane_saved: id already in use"
    assert PS._deserialize_plane({"shape_id": ""}, (0, 0, 0), "P", {}, mgr) is None


def test_sketch_element_in_a_host_sketch_manager():
    t = CoreTessik("pl", q.PlaneProperties())
    rid = PS._create_sketch_comp_in_manager(shape_obj("rectangle", "R", properties={"width": 10.0}), t)
    assert t.get_shape(rid).properties.width == 10.0
    assert PS._create_sketch_comp_in_manager(shape_obj("box"), t) is None
    with pytest.raises(KeyError):
        PS._create_sketch_comp_in_manager({"shape_type": "line", "color": [0, 0, 0]}, t)
    with pytest.raises(ValueError, match="'nope' is not a valid ShapeType"):
        PS._create_sketch_comp_in_manager(shape_obj("nope"), t)


def test_committed_sketch_round_trip_keeps_ids(tmp_path):
    src = CoreCorvath()
    plane = src.create_arbitrary_plane((0.0, 0.0, 25.0), (0.0, 30.0, 0.0))
    sketch = src.create_sketch(plane.shape_id)
    t = CoreTessik(plane.shape_id, plane.properties)
    r = t.create_rectangle(0.0, 0.0, 40.0, 20.0, name="Slot")
    c = t.create_circle(20.0, 0.0, 10.0)
    t.union_shapes([r.shape_id, c.shape_id])
    t.create_line((0.0, 0.0), (50.0, 50.0))
    assert src.commit_sketch(sketch.shape_id, t)
    path = str(tmp_path / "sk.vrex")
    assert PS.save_project(path, src)
    dst = CoreCorvath()
    assert PS.load_project(path, dst)
    assert dst.get_all_shape_ids() == [plane.shape_id, sketch.shape_id]
    a, b = src.get_shape(sketch.shape_id), dst.get_shape(sketch.shape_id)
    assert same_tree(tree(a), tree(b))
    assert dst.get_shape(plane.shape_id).properties == plane.properties


# ---------------------------------------------------------------- histories and placement across a load


def registry_of(mgr):
    """Every registered shape: kind, name, record, parent and component ids, measure."""
    return {i: (s.shape_type, s.name, s.properties.to_dict(), s.parent_id, [c.shape_id for c in s.components],
                measure(s.shape)) for i, s in mgr._shapes.items()}


def test_loaded_planes_and_sketches_survive_every_walk_through_the_history(tmp_path):
    src = CoreCorvath()
    src.create_shape(T.BOX, q.BoxProperties())
    plane = src.create_plane_from_standard(StandardPlane.XY)
    sk = CoreTessik(plane.shape_id, plane.properties)
    sk.create_rectangle(0.0, 0.0, 10.0, 5.0)
    sid = src.create_sketch(plane.shape_id).shape_id
    assert src.commit_sketch(sid, sk)
    src.create_shape(T.SPHERE, q.SphereProperties(radius=3.0))
    path = str(tmp_path / "p.vrex")
    assert PS.save_project(path, src)
    dst = CoreCorvath()
    dst.create_shape(T.CONE, q.ConeProperties())  # replaced by the load
    assert PS.load_project(path, dst)
    loaded = registry_of(dst)
    assert {plane.shape_id, sid} <= set(loaded) and len(dst.get_all_shape_ids()) == 4
    # Undo everything, redo everything, in every combination of depth.
    for _ in range(3):
        while dst.can_undo:
            dst.undo()
        assert registry_of(dst) == loaded
        while dst.can_redo:
            dst.redo()
        assert registry_of(dst) == loaded
    # Edits after the load undo back to the loaded model and redo forward.
    box_id = dst.get_all_shape_ids()[0]
    dst.update_shape_color(box_id, (0.0, 1.0, 0.0))
    dst.remove_shape(plane.shape_id)
    edited = registry_of(dst)
    while dst.can_undo:
        dst.undo()
    assert registry_of(dst) == loaded
    while dst.can_redo:
        dst.redo()
    assert registry_of(dst) == edited


def placed_record(kind, how):
    """The record of `kind` with the placement the row asks for."""
    fields = {"array": dict(count_x=2, spacing_x=15.0), "fillet": dict(fillet_radius=1.0),
              "corner_round": dict(corner_radius=2.0), "polyline_round": dict(corner_radius=3.0),
              "extrude": dict(depth=6.0)}[kind]
    cls = {"array": q.ArrayProperties, "fillet": q.FilletProperties, "corner_round": q.CornerRoundProperties,
           "polyline_round": q.PolylineRoundProperties, "extrude": q.ExtrudeProperties}[kind]
    place = {} if how == "unplaced" else dict(translation=q.Translation(x=-3.0, y=10.0, z=2.0),
                                              rotation=q.Rotation(x=15.0, z=90.0))
    return cls(**fields, **place)


@pytest.mark.parametrize("how", ["unplaced", "created placed", "updated placed", "created placed, updated"])
@pytest.mark.parametrize("kind", ["array", "fillet", "corner_round", "polyline_round", "extrude"])
def test_placed_modifiers_come_back_where_they_were_saved(tmp_path, kind, how):
    src = CoreCorvath()
    base = {"array": lambda: src.create_shape(T.BOX, q.BoxProperties(width=10.0, height=10.0, depth=10.0)),
            "fillet": lambda: src.create_shape(T.BOX, q.BoxProperties(width=10.0, height=10.0, depth=10.0)),
            "corner_round": lambda: src.create_shape(T.RECTANGLE, q.RectangleProperties()),
            "polyline_round": lambda: src.create_shape(T.POLYLINE, q.PolylineProperties(
                points=[(0, 0, 0), (40, 0, 0), (40, 30, 0)])),
            "extrude": lambda: src.create_shape(T.CIRCLE, q.CircleProperties(radius=5.0))}[kind]()
    op = getattr(src, {"array": "create_shape_array", "fillet": "fillet_shape", "corner_round": "corner_round_shape",
                       "polyline_round": "polyline_round_shape", "extrude": "extrude_shape"}[kind])
    mid = op(base.shape_id, placed_record(kind, "unplaced" if how == "updated placed" else how))
    if how.startswith("updated") or how.endswith("updated"):
        assert src.update_shape(mid, placed_record(kind, "placed")) is not None
    made = src.get_shape(mid)
    saved = measure(made.shape)
    path = str(tmp_path / "m.vrex")
    for _ in range(2):  # save, load, and once more from the loaded model
        assert PS.save_project(path, src)
        dst = CoreCorvath()
        assert PS.load_project(path, dst)
        got = top_level(dst)[0]
        assert got.shape_type == made.shape_type and got.properties == made.properties
        assert same_measure(measure(got.shape), saved), (measure(got.shape), saved)
        assert same_measure(measure(got.components[0].shape), measure(made.components[0].shape))
        src = dst


@pytest.mark.parametrize("kind", ["array", "fillet", "corner_round", "polyline_round", "extrude"])
def test_a_placed_modifier_does_not_move_when_its_base_is_edited(kind):
    """Creation, recomputation and update agree on where a placed modifier
    stands."""
    mgr = CoreCorvath()
    base_type, base_rec, edited = {
        "array": (T.BOX, q.BoxProperties(width=10.0), q.BoxProperties(width=10.0)),
        "fillet": (T.BOX, q.BoxProperties(width=10.0), q.BoxProperties(width=10.0)),
        "corner_round": (T.RECTANGLE, q.RectangleProperties(), q.RectangleProperties()),
        "polyline_round": (T.POLYLINE, q.PolylineProperties(points=[(0, 0, 0), (40, 0, 0), (40, 30, 0)]),
                           q.PolylineProperties(points=[(0, 0, 0), (40, 0, 0), (40, 30, 0)])),
        "extrude": (T.CIRCLE, q.CircleProperties(radius=5.0), q.CircleProperties(radius=5.0)),
    }[kind]
    base = mgr.create_shape(base_type, base_rec)
    op = {"array": mgr.create_shape_array, "fillet": mgr.fillet_shape, "corner_round": mgr.corner_round_shape,
          "polyline_round": mgr.polyline_round_shape, "extrude": mgr.extrude_shape}[kind]
    rec = placed_record(kind, "placed")
    mid = op(base.shape_id, rec)
    at_creation = measure(mgr.get_shape(mid).shape)
    assert mgr.update_shape(base.shape_id, edited) is not None  # same geometry, recomputed
    assert same_measure(measure(mgr.get_shape(mid).shape), at_creation)
    assert mgr.update_shape(mid, rec.__deepcopy__({})) is not None
    assert same_measure(measure(mgr.get_shape(mid).shape), at_creation)


def edge_midpoints(shape):
    """The centre of each edge's bounds, in the kernel's edge numbering,
    rounded to compare."""
    out = []
    for e in k.sub_shapes(shape, k.TopAbs_ShapeEnum.TopAbs_EDGE):
        box = k.bounding_box(e)
        out.append(tuple(round((box[i] + box[i + 3]) / 2, 6) + 0.0 for i in range(3)))
    return out


def test_a_fillet_saved_by_edge_index_picks_the_edge_another_program_numbered(tmp_path):
    """A file written by another program: a union whose fuse was merged on
    same-domain edges only, then filleted on edge 9 of that numbering, the
    inner edge where the upper box stands on the lower one."""
    lower = shape_obj("box", "Lower", properties={"width": 30.0, "height": 10.0, "depth": 10.0})
    upper = shape_obj("box", "Upper", properties={"width": 10.0, "height": 10.0, "depth": 10.0,
                                                  "translation": {"x": 10.0, "y": 0.0, "z": 10.0}})
    union = shape_obj("union", "U", properties={"remove_internal_edges": True}, components=[lower, upper])
    fillet = shape_obj("fillet", "F", properties={"fillet_radius": 2.0, "edge_indices": [9]}, components=[union])
    mgr = CoreCorvath()
    assert PS.load_project(write_project(tmp_path / "other.vrex", project(fillet)), mgr)
    (loaded,) = top_level(mgr)

    # The other program's numbering: the raw fuse, merged by the kernel
    # directly on edges and not faces.
    fused = Drulen.fuse_shapes(Drulen.create_box(30, 10, 10),
                               Drulen.translate_shape(Drulen.create_box(10, 10, 10), 10, 0, 10))
    theirs = testing.unify_directly(fused, False)
    assert edge_midpoints(theirs)[9] == (5.0, 0.0, 5.0)
    expected = Drulen.apply_fillet(theirs, 2.0, [9])
    assert k.is_valid(loaded.shape)
    assert sorted(edge_midpoints(loaded.shape)) == sorted(edge_midpoints(expected))
    assert k.volume(loaded.shape) == pytest.approx(k.volume(expected), rel=1e-9)
    assert edge_midpoints(loaded.components[0].shape) == edge_midpoints(theirs)
