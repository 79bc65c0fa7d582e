"""Every order of hooks a docstring states is the order a recording host sees.

A docstring states an order in one form: "Hooks, in order" (a case may
follow after a comma), a colon, the hooks in call order (or "none"), a full
stop. A note in parentheses that says "each" stands for one call or more in
a row; every other hook is called exactly once. Each statement has a row in
SCENARIOS that runs the operation in that case."""

import contextlib
import importlib
import inspect
import re

import pytest

from manager_fixtures import RecordingDrulen
from nimbal import kernel as k
from nimbal.enums import ShapeType, StandardPlane
from nimbal.managers.corvath import CoreCorvath
from nimbal.managers.tessik import CoreTessik
from nimbal.models import quenby as q
from nimbal.services.drulen import Drulen
from package_modules import MODULES

_STATEMENT = re.compile(r"Hooks, in order(?:, (?P<case>[^:]+))?: (?P<hooks>.*?)\.(?=\s|$)")
_ITEM = re.compile(r"^(?P<name>_\w+)(?: \((?P<note>[^()]*)\))?$")


def split_items(text):
    """The items of a hook list, split at commas outside parentheses."""
    items, depth, cur = [], 0, ""
    for ch in text:
        depth += {"(": 1, ")": -1}.get(ch, 0)
        if ch == "," and depth == 0:
            items.append(cur.strip())
            cur = ""
        else:
            cur += ch
    items.append(cur.strip())
    return items


def statements(doc):
    """(case, [(hook, many)]) of every hook order stated in a docstring."""
    text = " ".join((doc or "").split())
    out = []
    for m in _STATEMENT.finditer(text):
        hooks = m.group("hooks")
        if hooks == "none":
            out.append((m.group("case") or "", []))
            continue
        items = []
        for item in split_items(hooks):
            im = _ITEM.match(item)
            assert im, f"not a hook: {item!r} in {m.group(0)!r}"
            items.append((im.group("name"), bool(im.group("note")) and "each" in im.group("note").split()))
        out.append((m.group("case") or "", items))
    return out


def documented_orders():
    """{(qualified member, case): hook items} over every module's docstrings."""
    found = {}
    for module_name in MODULES:
        module = importlib.import_module(module_name)
        for name, obj in vars(module).items():
            if getattr(obj, "__module__", None) != module_name:
                continue
            members = [(None, obj)]
            if inspect.isclass(obj):
                members += list(vars(obj).items())
            for member, attr in members:
                if isinstance(attr, property):
                    attr = attr.fget
                attr = getattr(attr, "__func__", attr)
                where = name if member is None else f"{name}.{member}"
                for case, items in statements(getattr(attr, "__doc__", None)):
                    assert (where, case) not in found, f"{where}: case {case!r} stated twice"
                    found[(where, case)] = items
    return found


def matches(items, calls):
    pattern = "".join(f"(?:{re.escape(n)};)+" if many else f"{re.escape(n)};" for n, many in items)
    return re.fullmatch(pattern, "".join(f"{c};" for c in calls)) is not None


@pytest.mark.parametrize(
    "items, calls, ok",
    [
        ([("_a", False), ("_b", True), ("_c", False)], ["_a", "_b", "_b", "_c"], True),
        ([("_a", False), ("_b", True), ("_c", False)], ["_a", "_c"], False),
        ([("_a", False), ("_a", False)], ["_a"], False),
        ([("_a", False)], ["_a", "_a"], False),
        ([], [], True),
        ([], ["_a"], False),
    ],
)
def test_matching_of_stated_orders(items, calls, ok):
    assert matches(items, calls) is ok


def test_statements_are_read_with_their_cases_and_notes():
    doc = ("Does it.\n\nHooks, in order: _operation, _notify_shape_removed (each\ninput), "
           "_notify_shape_created.\n\nHooks, in order, when \"A\" fails: none.")
    assert statements(doc) == [
        ("", [("_operation", False), ("_notify_shape_removed", True), ("_notify_shape_created", False)]),
        ('when "A" fails', []),
    ]


# ---- recording hosts ----

class Recording:
    """Logs the name of every hook called after start()."""

    def __init__(self, *args, **kwargs):
        self.calls = []
        super().__init__(*args, **kwargs)

    def start(self):
        self.calls.clear()

    def _notify_shape_created(self, shape_id, ms):
        self.calls.append("_notify_shape_created")

    def _notify_shape_updated(self, shape_id, ms):
        self.calls.append("_notify_shape_updated")

    def _notify_shape_removed(self, shape_id):
        self.calls.append("_notify_shape_removed")

    def _notify_all_cleared(self):
        self.calls.append("_notify_all_cleared")

    def _notify_undo_redo_changed(self, can_undo, can_redo):
        self.calls.append("_notify_undo_redo_changed")


class Corvath(Recording, CoreCorvath):
    def _notify_operation_failed(self, operation, message):
        self.calls.append("_notify_operation_failed")

    @contextlib.contextmanager
    def _operation(self, message):
        self.calls.append("_operation")
        yield


class Tessik(Recording, CoreTessik):
    pass


# ---- geometry manager scenarios: each builds its case, calls start(), runs the operation ----

ID = object()  # stands for the id of the shape a scenario made

def box(h, x=0.0):
    return h.create_shape(ShapeType.BOX, q.BoxProperties(translation=q.Translation(x, 0.0, 0.0))).shape_id


def two_boxes(h):
    return box(h), box(h, 5.0)


def failing(*ops):
    """A manager whose kernel service answers None to the given operations."""
    return Corvath(RecordingDrulen(none_for=ops))


def c_union(h, tmp):
    a, b = two_boxes(h)
    h.start()
    h.union_shapes([a, b])


def c_subtract(h, tmp):
    a, b = two_boxes(h)
    h.start()
    h.subtract_shapes([a, b])


def c_too_few(op):
    def run(h, tmp):
        a = box(h)
        h.start()
        getattr(h, op)([a, "box_00000000"])
    return run


def c_kernel_fails(op, kernel_op):
    def run(h, tmp):
        h = failing(kernel_op)
        a, b = two_boxes(h)
        h.start()
        assert getattr(h, op)([a, b]) is None
        return h
    return run


def rectangle(h):
    return h.create_shape(ShapeType.RECTANGLE, q.RectangleProperties(width=10.0, height=10.0)).shape_id


def polyline(h):
    return h.create_shape(ShapeType.POLYLINE, q.PolylineProperties(points=[(0, 0, 0), (10, 0, 0), (10, 10, 0)])).shape_id


def committed_sketch(h):
    plane = h.create_plane_from_standard(StandardPlane.XY)
    sketch = h.create_sketch(plane.shape_id)
    drawing = CoreTessik(plane.shape_id, plane.properties)
    drawing.create_rectangle(0.0, 0.0, 10.0, 10.0)
    return sketch.shape_id, drawing


def extrusion_base(h):
    sketch_id, _ = committed_sketch(h)
    h.commit_sketch(sketch_id, _)
    return sketch_id


MODIFIERS = {
    "create_shape_array": (box, lambda: q.ArrayProperties(count_x=2), "create_array_compound"),
    "fillet_shape": (box, lambda: q.FilletProperties(fillet_radius=1.0), "apply_fillet"),
    "extrude_shape": (extrusion_base, lambda: q.ExtrudeProperties(depth=3.0), "extrude_shape"),
    "corner_round_shape": (rectangle, lambda: q.CornerRoundProperties(corner_radius=1.0, vertex_indices=[0, 1]),
                           "apply_corner_round"),
    "polyline_round_shape": (polyline, lambda: q.PolylineRoundProperties(corner_radius=1.0, vertex_indices=[1]),
                             "apply_polyline_round"),
}


def c_modifier(op, fail=False):
    make_base, props, kernel_op = MODIFIERS[op]

    def run(h, tmp):
        if fail:
            h = failing(kernel_op)
        base = make_base(h)
        h.start()
        assert (getattr(h, op)(base, props()) is None) is fail
        return h
    return run


def c_undo_union(h, tmp):
    c_union(h, tmp)
    h.start()
    h.undo()


def c_redo_union(h, tmp):
    c_union(h, tmp)
    h.undo()
    h.start()
    h.redo()


def c_redo_clear(h, tmp):
    box(h)
    h.clear_all()
    h.undo()
    h.start()
    h.redo()


def c_plain(op, *args):
    def run(h, tmp):
        a = box(h)
        h.start()
        getattr(h, op)(*[a if x is ID else x for x in args])
    return run


def c_create(h, tmp):
    h.start()
    assert h.create_shape(ShapeType.BOX, q.BoxProperties()) is not None


def c_create_fails(h, tmp):
    h.start()
    assert h.create_shape(ShapeType.BOX, q.BoxProperties(width=0.0)) is None


def step_file(tmp):
    path = str(tmp / "box.step")
    assert Drulen().export_shapes_to_step([Drulen().create_box(1.0, 2.0, 3.0)], path)
    return path


def c_import(h, tmp):
    path = step_file(tmp)
    h.start()
    assert h.import_shape(path) is not None


def c_import_fails(h, tmp):
    h.start()
    assert h.import_shape(str(tmp / "missing.step")) is None


def c_planes(op):
    def run(h, tmp):
        if op == "create_plane_from_standard":
            args = (StandardPlane.XZ,)
        elif op == "create_arbitrary_plane":
            args = ((1.0, 2.0, 3.0), (10.0, 0.0, 0.0))
        elif op == "create_plane_from_face_shape":
            args = (k.sub_shapes(Drulen().create_box(1.0, 1.0, 1.0), k.TopAbs_FACE)[0],)
        else:
            args = (h.split_to_faces(box(h))[0],)
        h.start()
        assert getattr(h, op)(*args) is not None
    return run


def c_update(h, tmp):
    a = box(h)
    h.start()
    assert h.update_shape(a, q.BoxProperties(width=3.0)) is not None


def c_update_nested(h, tmp):
    a, b = two_boxes(h)
    fillet = h.fillet_shape(h.union_shapes([a, b]), q.FilletProperties(fillet_radius=0.5))
    assert fillet is not None
    h.start()
    assert h.update_shape(a, q.BoxProperties(width=3.0)) is not None


def c_update_fails(h, tmp):
    a = box(h)
    h.start()
    assert h.update_shape(a, q.BoxProperties(width=0.0)) is None


def c_decompose(h, tmp):
    a, b = two_boxes(h)
    u = h.union_shapes([a, b])
    h.start()
    assert h.decompose_shape(u) == [a, b]


def c_split(h, tmp):
    a = box(h)
    h.start()
    assert len(h.split_to_faces(a)) == 6


def c_trim(h, tmp):
    two_boxes(h)
    h.start()
    h.trim_undo_to(1)


def c_create_sketch(h, tmp):
    plane = h.create_plane_from_standard(StandardPlane.XY)
    h.start()
    assert h.create_sketch(plane.shape_id) is not None


def c_commit_first(h, tmp):
    sketch_id, drawing = committed_sketch(h)
    h.start()
    assert h.commit_sketch(sketch_id, drawing)


def c_commit_again(h, tmp):
    sketch_id, drawing = committed_sketch(h)
    h.commit_sketch(sketch_id, drawing)
    h.start()
    assert h.commit_sketch(sketch_id, drawing)


def c_commit_profile(h, tmp):
    sketch_id, drawing = committed_sketch(h)
    h.commit_sketch(sketch_id, drawing)
    assert h.extrude_shape(sketch_id, q.ExtrudeProperties(depth=3.0)) is not None
    h.start()
    assert h.commit_sketch(sketch_id, drawing)


def c_restore_plane(h, tmp):
    h.start()
    assert h.restore_plane("plane_0000abcd", q.PlaneProperties()) is not None


def c_restore_sketch(h, tmp):
    drawing = CoreTessik("plane_0000abcd", q.PlaneProperties())
    drawing.create_rectangle(0.0, 0.0, 10.0, 10.0)
    h.start()
    assert h.restore_sketch("sketch_0000abcd", q.SketchProperties(plane_id="plane_0000abcd"), drawing)


def c_export(op, one):
    def run(h, tmp):
        a = box(h)
        h.start()
        path = str(tmp / ("out." + op.rsplit("_", 1)[1]))
        assert (getattr(h, op)(a, path) if one else getattr(h, op)(path)) is True
    return run


# ---- sketch manager scenarios ----

def rect(t, u=0.0):
    return t.create_rectangle(u, 0.0, 10.0, 10.0).shape_id


def t_two(t):
    return rect(t), rect(t, 5.0)


def t_union(op):
    def run(t, tmp):
        a, b = t_two(t)
        t.start()
        assert getattr(t, op)([a, b]) is not None
    return run


def t_too_few(op):
    def run(t, tmp):
        a = rect(t)
        t.start()
        assert getattr(t, op)([a, "rectangle_00000000"]) is None
    return run


def t_undo_union(t, tmp):
    t_union("union_shapes")(t, tmp)
    t.start()
    t.undo()


def t_redo_union(t, tmp):
    t_union("union_shapes")(t, tmp)
    t.undo()
    t.start()
    t.redo()


def t_redo_clear(t, tmp):
    rect(t)
    t.clear_all()
    t.undo()
    t.start()
    t.redo()


def t_create(op, *args):
    def run(t, tmp):
        t.start()
        assert getattr(t, op)(*args) is not None
    return run


def t_on(op, *args):
    def run(t, tmp):
        a = rect(t)
        t.start()
        getattr(t, op)(*[a if x is ID else x for x in args])
    return run


def t_update_hidden(t, tmp):
    a, b = t_two(t)
    t.union_shapes([a, b])
    t.start()
    assert t.update_shape(a, q.RectangleProperties(width=3.0, height=3.0))


def t_rename_same(t, tmp):
    a = rect(t)
    t.start()
    assert t.rename_shape(a, t.get_shape(a).name)


def t_decompose(t, tmp):
    a, b = t_two(t)
    u = t.union_shapes([a, b])
    t.start()
    assert t.decompose_shape(u) == [a, b]


def t_register(t, tmp):
    t.start()
    t._register_shape(ShapeType.LINE, None, q.LineProperties(), (0.1, 0.2, 0.3), None)


SCENARIOS = {
    ("CoreCorvath.undo", "for the undo of a union"): c_undo_union,
    ("CoreCorvath.redo", "for the redo of a union"): c_redo_union,
    ("CoreCorvath.redo", 'for the redo of "Clear all"'): c_redo_clear,
    ("CoreCorvath.clear_undo_history", ""): c_plain("clear_undo_history"),
    ("CoreCorvath.trim_undo_to", ""): c_trim,
    ("CoreCorvath.create_shape", ""): c_create,
    ("CoreCorvath.create_shape", "when no geometry results"): c_create_fails,
    ("CoreCorvath.import_shape", ""): c_import,
    ("CoreCorvath.import_shape", "when the file yields no shape"): c_import_fails,
    **{(f"CoreCorvath.{op}", ""): c_planes(op) for op in (
        "create_plane_from_standard", "create_arbitrary_plane", "create_plane_from_face_shape",
        "create_plane_from_face")},
    ("CoreCorvath.update_shape", ""): [c_update, c_update_nested],
    ("CoreCorvath.update_shape", "when the update fails"): c_update_fails,
    ("CoreCorvath.update_shape_color", ""): c_plain("update_shape_color", ID, (1.0, 0.0, 0.0)),
    ("CoreCorvath.rename_shape", ""): c_plain("rename_shape", ID, "Part"),
    ("CoreCorvath.remove_shape", ""): c_plain("remove_shape", ID),
    ("CoreCorvath.decompose_shape", ""): c_decompose,
    ("CoreCorvath.clear_all", ""): c_plain("clear_all"),
    ("CoreCorvath.union_shapes", ""): c_union,
    ("CoreCorvath.union_shapes", "with fewer than two usable ids"): c_too_few("union_shapes"),
    ("CoreCorvath.union_shapes", "when the kernel fails"): c_kernel_fails("union_shapes", "fuse_shapes"),
    ("CoreCorvath.subtract_shapes", ""): c_subtract,
    ("CoreCorvath.subtract_shapes", "with fewer than two usable ids"): c_too_few("subtract_shapes"),
    ("CoreCorvath.subtract_shapes", "when the kernel fails"): c_kernel_fails("subtract_shapes", "cut_shapes"),
    **{(f"CoreCorvath.{op}", ""): c_modifier(op) for op in MODIFIERS},
    **{(f"CoreCorvath.{op}", "when the kernel fails"): c_modifier(op, fail=True) for op in MODIFIERS},
    ("CoreCorvath.split_to_faces", ""): c_split,
    ("CoreCorvath.create_sketch", ""): c_create_sketch,
    ("CoreCorvath.commit_sketch", 'when the commit takes the place of "Create sketch"'): c_commit_first,
    ("CoreCorvath.commit_sketch", "for a top-level sketch otherwise"): c_commit_again,
    ("CoreCorvath.commit_sketch", "for the profile of an extrude"): c_commit_profile,
    ("CoreCorvath.restore_plane", ""): c_restore_plane,
    ("CoreCorvath.restore_sketch", ""): c_restore_sketch,
    ("CoreCorvath.export_shapes_to_step", ""): c_export("export_shapes_to_step", False),
    ("CoreCorvath.export_shapes_to_iges", ""): c_export("export_shapes_to_iges", False),
    ("CoreCorvath.export_shape_to_step", ""): c_export("export_shape_to_step", True),
    ("CoreCorvath.export_shape_to_iges", ""): c_export("export_shape_to_iges", True),

    ("CoreTessik.undo", "for the undo of a union"): t_undo_union,
    ("CoreTessik.redo", "for the redo of a union"): t_redo_union,
    ("CoreTessik.redo", "for the redo of a clear-all"): t_redo_clear,
    ("CoreTessik._on_redo_clears_all", ""): t_on("_on_redo_clears_all"),
    ("CoreTessik._push_undo", ""): t_on("_push_undo", "Edit", {}, {}),
    ("CoreTessik.create_rectangle", ""): t_create("create_rectangle", 0.0, 0.0, 10.0, 10.0),
    ("CoreTessik.create_circle", ""): t_create("create_circle", 0.0, 0.0, 5.0),
    ("CoreTessik.create_line", ""): t_create("create_line", (0.0, 0.0), (5.0, 5.0)),
    ("CoreTessik.create_arc", ""): t_create("create_arc", (0.0, 0.0), (5.0, 5.0), (10.0, 0.0)),
    ("CoreTessik.create_sketch_polyline", ""): t_create("create_sketch_polyline", [(0, 0), (5, 5), (10, 0)]),
    ("CoreTessik._register_shape", ""): t_register,
    ("CoreTessik.update_shape", "for a top-level element"): t_on(
        "update_shape", ID, q.RectangleProperties(width=3.0, height=3.0)),
    ("CoreTessik.update_shape", "for a hidden component"): t_update_hidden,
    ("CoreTessik.update_shape_color", ""): t_on("update_shape_color", ID, (1.0, 0.0, 0.0)),
    ("CoreTessik.rename_shape", ""): t_on("rename_shape", ID, "Profile"),
    ("CoreTessik.rename_shape", "when the name was already that"): t_rename_same,
    ("CoreTessik.remove_shape", ""): t_on("remove_shape", ID),
    ("CoreTessik.clear_all", ""): t_on("clear_all"),
    ("CoreTessik.union_shapes", ""): t_union("union_shapes"),
    ("CoreTessik.union_shapes", "with fewer than two inputs accepted"): t_too_few("union_shapes"),
    ("CoreTessik.subtract_shapes", ""): t_union("subtract_shapes"),
    ("CoreTessik.subtract_shapes", "with fewer than two inputs accepted"): t_too_few("subtract_shapes"),
    ("CoreTessik.decompose_shape", ""): t_decompose,
}

DOCUMENTED = documented_orders()


def test_every_stated_order_has_a_scenario_and_every_scenario_a_statement():
    assert sorted(set(DOCUMENTED) - set(SCENARIOS)) == []
    assert sorted(set(SCENARIOS) - set(DOCUMENTED)) == []


@pytest.mark.parametrize("key", sorted(SCENARIOS), ids=lambda key: f"{key[0]}[{key[1]}]")
def test_hooks_come_in_the_stated_order(key, tmp_path):
    if key not in DOCUMENTED:
        pytest.skip("no statement (reported by the test above)")
    where, _ = key
    runs = SCENARIOS[key]
    for run in runs if isinstance(runs, list) else [runs]:
        host = Tessik("plane_1", q.PlaneProperties()) if where.startswith("CoreTessik") else Corvath()
        # A scenario that needs a host of its own (over a failing kernel service) returns it.
        used = run(host, tmp_path) or host
        assert matches(DOCUMENTED[key], used.calls), (DOCUMENTED[key], used.calls)


def test_no_docstring_keeps_an_unreadable_hook_heading():
    # The old headings ("Hooks:" sections, "hooks: ..." runs) say an order a test cannot read.
    stale = []
    for module_name in MODULES:
        module = importlib.import_module(module_name)
        for name, obj in vars(module).items():
            if getattr(obj, "__module__", None) != module_name or not inspect.isclass(obj):
                continue
            for member, attr in [(None, obj), *vars(obj).items()]:
                attr = getattr(getattr(attr, "fget", attr), "__func__", getattr(attr, "fget", attr))
                doc = getattr(attr, "__doc__", None) or ""
                if re.search(r"\b[Hh]ooks:", doc):
                    stale.append(f"{name}.{member}")
    assert stale == []
