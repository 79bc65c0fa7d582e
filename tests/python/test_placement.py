"""Shapes moved and turned by location: the same geometry, numbering and
results as geometric copies, files included, and the limits of placement."""

import collections
import json
import math
import os
import re
import subprocess
import sys

import pytest

import _nimbal_testing as t
from nimbal import kernel as k
from nimbal.services.drulen import Drulen
from nimbal.managers.corvath import CoreCorvath
from nimbal.services.ombrel import ProjectSerializer
from placed_fixture import MEASURES, PROJECT, measures


def close(a, b, tol=1e-6):
    if isinstance(a, list):
        return len(a) == len(b) and all(close(x, y, tol) for x, y in zip(a, b))
    if isinstance(a, bool) or isinstance(a, int):
        return a == b
    return math.isclose(a, b, rel_tol=tol, abs_tol=tol)


def test_project_saved_before_loads_to_the_same_shapes():
    mgr = CoreCorvath()
    assert ProjectSerializer.load_project(PROJECT, mgr)
    with open(MEASURES) as f:
        expected = json.load(f)
    got = measures(mgr)
    assert [m["kind"] for m in got] == [m["kind"] for m in expected]
    for i, m in enumerate(expected):
        for key, value in m.items():
            if key != "kind":
                assert close(got[i][key], value), (i, m["kind"], key)


D = Drulen


def facts(shape):
    """What a caller can see of a shape: measures, extent, validity, and each
    face, edge and vertex in map order (what stored indices pick)."""
    subs = {t: k.sub_shapes(shape, t) for t in (k.TopAbs_SOLID, k.TopAbs_FACE, k.TopAbs_EDGE, k.TopAbs_VERTEX)}
    return {
        "volume": k.volume(shape), "area": k.area(shape), "length": k.length(shape),
        "bbox": list(k.bounding_box(shape)) if not shape.IsNull() else None, "valid": k.is_valid(shape),
        "counts": [len(v) for v in subs.values()],
        "faces": [[k.area(f)] + list(k.bounding_box(f)) for f in subs[k.TopAbs_FACE]],
        "edges": [[k.length(e)] + list(k.bounding_box(e)) for e in subs[k.TopAbs_EDGE]],
        "vertices": [list(k.bounding_box(v)[:3]) for v in subs[k.TopAbs_VERTEX]],
    }


def assert_same(a, b, tol=1e-6):
    fa, fb = facts(a), facts(b)
    for key in fa:
        assert (fa[key] == fb[key]) if key in ("valid", "counts") else close(fa[key], fb[key], tol), key


def polyline():
    return D.create_polyline([(0, 0, 0), (4, 0, 0), (4, 3, 1), (0, 3, 0)], True)


BASES = {
    "box": lambda: D.create_box(4, 3, 2, (1, 2, 3)),
    "cylinder": lambda: D.create_cylinder(1.5, 5, (2, 0, 0), (1, 1, 0)),
    "torus": lambda: D.create_torus(5, 1, (0, 0, 1), (0, 1, 1)),
    "rectangle": lambda: D.create_rectangle(6, 2),
    "polyline": polyline,
}

# (located placement, the same placement by copy) applied in order.
PLACEMENTS = {
    "translate": [("t", (3.5, -2, 7))],
    "rotate": [("r", ((0, 0, 0), (0, 0, 1), 37))],
    "rotate about a far axis": [("r", ((10, -4, 2), (1, 2, 3), -123))],
    "rotations then a move": [("r", ((0, 0, 0), (1, 0, 0), 30)), ("r", ((0, 0, 0), (0, 1, 0), -45)),
                              ("r", ((0, 0, 0), (0, 0, 1), 100)), ("t", (12.5, -7, 3.25))],
    "there and back": [("t", (5, 5, 5)), ("r", ((1, 1, 1), (0, 1, 0), 90)), ("r", ((1, 1, 1), (0, 1, 0), -90)),
                       ("t", (-5, -5, -5))],
}


def place(shape, steps, by_copy=False):
    for kind, args in steps:
        if kind == "t":
            shape = t.copy_translated(shape, *args) if by_copy else D.translate_shape(shape, *args)
        else:
            shape = t.copy_rotated(shape, *args) if by_copy else D.rotate_shape(shape, *args)
    return shape


@pytest.mark.parametrize("placement", PLACEMENTS)
@pytest.mark.parametrize("base", BASES)
def test_located_placement_looks_like_a_moved_copy(base, placement):
    shape = BASES[base]()
    located, copied = place(shape, PLACEMENTS[placement]), place(shape, PLACEMENTS[placement], by_copy=True)
    assert t.is_located(located) and not t.is_located(copied)
    assert not located.IsSame(shape) and type(located) is type(shape)
    assert_same(located, copied)
    # The input is left as it was.
    assert_same(shape, BASES[base]())


def test_results_of_located_shapes_match_those_of_copies():
    steps = PLACEMENTS["rotations then a move"]
    loc = lambda s: place(s, steps)
    cpy = lambda s: place(s, steps, by_copy=True)
    box, other = D.create_box(10, 6, 4), D.create_cylinder(2, 12, (3, 1, 0))
    rect, line = D.create_rectangle(6, 4), polyline()
    cases = [
        ("fillet", lambda p: D.apply_fillet(p(box), 1.0, [0, 3, 7, 10])),
        ("fillet all", lambda p: D.apply_fillet(p(box), 0.5, [])),
        ("fuse", lambda p: D.fuse_shapes(p(box), p(other))),
        ("cut", lambda p: D.cut_shapes(p(box), p(other))),
        ("common", lambda p: D.intersect_shapes(p(box), p(other))),
        ("union of a shape and its moved self", lambda p: D.fuse_shapes(p(box), D.translate_shape(p(box), 2, 1, 0))
         if p is loc else D.fuse_shapes(p(box), t.copy_translated(p(box), 2, 1, 0))),
        ("unify", lambda p: D.unify_same_domain(D.fuse_shapes(p(box), p(D.create_box(10, 6, 4, (10, 0, 0)))))),
        ("corner round", lambda p: D.apply_corner_round(p(rect), 1.0, [0, 2])),
        ("polyline round", lambda p: D.apply_polyline_round(p(line), 0.5, [1, 3])),
        ("extrude", lambda p: D.extrude_shape(p(rect), 3.0)),
        ("scale", lambda p: D.scale_shape(p(box), (1, 2, 3), 1.5)),
    ]
    for name, op in cases:
        a, b = op(loc), op(cpy)
        assert a is not None and b is not None, name
        assert_same(a, b), name
    # Splitting into faces: the same faces in the same order.
    a, b = D.explode_to_faces(loc(box)), D.explode_to_faces(cpy(box))
    assert len(a) == len(b) == 6
    for x, y in zip(a, b):
        assert_same(x, y)
    for x, y in zip(D.plane_params_from_face(a[0]), D.plane_params_from_face(b[0])):
        assert x == pytest.approx(y)


def copy_array(base, count, spacing):
    return [t.copy_translated(base, ix * spacing[0], iy * spacing[1], iz * spacing[2])
            for ix in range(count[0]) for iy in range(count[1]) for iz in range(count[2])]


def test_arrays_of_located_instances_match_arrays_of_copies():
    base = D.rotate_shape(D.create_box(4, 3, 2), (0, 0, 0), (0, 0, 1), 15)
    count, spacing = (3, 2, 2), (10, 8, 6)
    arr = D().create_array_compound(base, count, spacing)
    elements = k.sub_shapes(arr, k.TopAbs_SOLID)
    copies = copy_array(base, count, spacing)
    assert len(elements) == len(copies) == 12 and all(t.is_located(e) for e in elements)
    for e, c in zip(elements, copies):
        assert_same(e, c)
    # The compound's numbering, and what fillets, booleans and rounds make of it.
    ref = t.compound_of(copies)
    assert_same(arr, ref)
    assert_same(D.apply_fillet(arr, 0.4, [0, 13, 30]), D.apply_fillet(ref, 0.4, [0, 13, 30]))
    tool = D.create_cylinder(3, 40, (10, 4, 0))
    before = facts(base), t.max_tolerance(base)
    assert_same(D.cut_shapes(arr, tool), D.cut_shapes(ref, tool))
    assert_same(D.fuse_shapes(arr, tool), D.fuse_shapes(ref, tool))
    # The instances share the base's geometry; combining them leaves it be.
    assert (facts(base), t.max_tolerance(base)) == before
    faces = D().create_array_compound(D.create_rectangle(4, 2), (2, 2, 1), (5, 5, 0))
    ref = t.compound_of(copy_array(D.create_rectangle(4, 2), (2, 2, 1), (5, 5, 0)))
    assert_same(D.apply_corner_round(faces, 0.5, [0, 1]), D.apply_corner_round(ref, 0.5, [0, 1]))


def step_entities(path):
    with open(path) as f:
        return collections.Counter(re.findall(r"^#\d+\s*=\s*([A-Z_0-9]+)\s*\(", f.read(), re.M))


def iges_entities(path):
    with open(path) as f:
        lines = [ln for ln in f.read().splitlines() if len(ln) >= 73 and ln[72] == "D"]
    return collections.Counter(int(ln[:8]) for ln in lines[::2])


def solids_facts(shape):
    return sorted([[round(x, 5) for x in [k.volume(s), k.area(s), *k.bounding_box(s)]]
                   for s in k.sub_shapes(shape, k.TopAbs_SOLID)])


def faces_facts(shape):
    return sorted([[round(x, 5) for x in [k.area(f), *k.bounding_box(f)]] for f in k.sub_shapes(shape, k.TopAbs_FACE)])


@pytest.mark.parametrize("kind", ["step", "iges"])
def test_exports_of_located_shapes_are_flat_lists_of_solids(kind, tmp_path):
    steps = PLACEMENTS["rotations then a move"]
    box, cyl = D.create_box(4, 3, 2), D.create_cylinder(1, 5)
    base = D.rotate_shape(D.create_box(1, 2, 3), (0, 0, 0), (1, 1, 0), 20)
    located = [place(box, steps), place(cyl, steps), D().create_array_compound(base, (2, 2, 1), (5, 5, 0))]
    copied = [place(box, steps, True), place(cyl, steps, True), t.compound_of(copy_array(base, (2, 2, 1), (5, 5, 0)))]
    export = D().export_shapes_to_step if kind == "step" else D.export_shapes_to_iges
    entities = step_entities if kind == "step" else iges_entities
    paths = [str(tmp_path / f"{name}.{kind}") for name in ("located", "copied")]
    for shapes, path in zip((located, copied), paths):
        assert export(shapes, path)
    # The same entities, so no instance structure a reader must expand.
    assert entities(paths[0]) == entities(paths[1])
    if kind == "step":
        e = entities(paths[0])
        assert e["MANIFOLD_SOLID_BREP"] == 6 and "NEXT_ASSEMBLY_USAGE_OCCURRENCE" not in e
    back = [D.import_file(p) for p in paths]
    # IGES carries trimmed faces, not solids: their areas and bounds come back.
    facts = solids_facts if kind == "step" else faces_facts
    assert facts(back[0]) == facts(back[1]) == facts(t.compound_of(copied))
    assert all(k.is_valid(b) for b in back)


def run_child(code, timeout=60):
    """Runs `code` in a fresh interpreter; a kernel spin or crash there
    fails the test instead of hanging or ending the run."""
    here = os.path.dirname(os.path.abspath(__file__))
    env = dict(os.environ, PYTHONPATH=os.pathsep.join([here, os.environ.get("PYTHONPATH", "")]))
    out = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, timeout=timeout, env=env)
    assert out.returncode == 0, out.stderr
    return out.stdout


HUGE_ANGLES = r"""
import math
from nimbal import kernel as k
from nimbal.enums import ShapeType as T
from nimbal.managers.corvath import CoreCorvath, _normal_from_rotation_deg
from nimbal.models import quenby as q
from nimbal.services.drulen import Drulen as D
from nimbal.services.ombrel import ProjectSerializer
import tempfile, os

box = D.create_box(4, 3, 2, (1, 0, 0))
for angle in (1e308, -1e308, 5.8e307, 360.0 * 2**40 + 30, -math.ldexp(1, 1023)):
    turned = D.rotate_shape(box, (0, 0, 0), (0, 1, 0), angle)
    same = D.rotate_shape(box, (0, 0, 0), (0, 1, 0), math.fmod(angle, 360))
    assert all(math.isfinite(v) for v in k.bounding_box(turned)), angle
    assert k.bounding_box(turned) == k.bounding_box(same) and k.is_valid(turned), angle
    assert abs(k.volume(D.fuse_shapes(turned, box)) - k.volume(D.fuse_shapes(same, box))) < 1e-9, angle
    n = _normal_from_rotation_deg(angle, angle, -angle)
    assert all(math.isfinite(c) for c in n) and abs(sum(c * c for c in n) - 1) < 1e-12, angle
    assert n == _normal_from_rotation_deg(*(math.fmod(a, 360) for a in (angle, angle, -angle))), angle
# From a project file: a box turned by 1e308 about Y, saved and loaded.
mgr = CoreCorvath()
mgr.create_shape(T.BOX, q.BoxProperties(width=4, height=3, depth=2, rotation=q.Rotation(y=1e308)))
path = os.path.join(tempfile.mkdtemp(), "turned.vrex")
assert ProjectSerializer.save_project(path, mgr)
loaded = CoreCorvath()
assert ProjectSerializer.load_project(path, loaded)
s = loaded.get_shape(loaded.get_all_shape_ids()[0]).shape
assert all(math.isfinite(v) for v in k.bounding_box(s)) and abs(k.volume(s) - 24) < 1e-9
assert abs(k.volume(D.fuse_shapes(s, D.create_box(1, 1, 1))) - 24) < 1e-9
print("ok")
"""


def test_huge_angles_turn_by_their_remainder():
    assert run_child(HUGE_ANGLES) == "ok\n"


FAR_PLACEMENTS = r"""
import math, pathlib, tempfile
from nimbal import kernel as k
from nimbal.enums import ShapeType as T
from nimbal.managers.corvath import CoreCorvath
from nimbal.models import quenby as q
from nimbal.services.drulen import Drulen as D
from ombrel_fixtures import step_file

box = D.create_box(2, 2, 2)
def refused(fn):
    try:
        fn()
    except k.KernelError as e:
        assert "model size limit of 1e+08" in str(e), e
        return True
    return False

# At the limit a placement is made; beyond it, in any step, it is refused.
edge = D.translate_shape(box, 1e8, -1e8, 0)
assert k.bounding_box(edge)[0] == 1e8 - 1
cases = [
    lambda: D.translate_shape(box, 9.2e18, 0, 0),
    lambda: D.translate_shape(box, 0, 0, -1.0000001e8),
    lambda: D.translate_shape(D.translate_shape(box, 6e7, 0, 0), 6e7, 0, 0),
    lambda: D.rotate_shape(box, (2e8, 0, 0), (0, 0, 1), 90),
    lambda: D.rotate_shape(box, (0, 0, 0), (0, 0, 1), 90) and D.rotate_shape(edge, (0, 0, 0), (1, 1, 0), 90),
    lambda: D().create_array_compound(box, (3, 1, 1), (6e7, 0, 0)),
]
assert [refused(c) for c in cases] == [True] * len(cases)
# Far but allowed: a union there still returns and measures right.
far = D.fuse_shapes(D.translate_shape(box, 5e7, 5e7, 5e7), D.translate_shape(box, 5e7 + 1, 5e7 + 1, 5e7 + 1))
assert abs(k.volume(far) - 15) < 1e-6

# The manager: nothing is registered or changed by a refused placement.
mgr = CoreCorvath()
src = step_file(pathlib.Path(tempfile.mkdtemp()))
part = mgr.import_shape(src)
cube = mgr.create_shape(T.BOX, q.BoxProperties())
before = (mgr.get_all_shape_ids(), mgr.undo_depth(), k.bounding_box(part.shape), k.bounding_box(cube.shape))
ops = [
    lambda: mgr.import_shape(src, properties=q.ImportedProperties(translation=q.Translation(x=9.2e18))),
    lambda: mgr.create_shape(T.BOX, q.BoxProperties(translation=q.Translation(y=2e8))),
    lambda: mgr.update_shape(part.shape_id, q.ImportedProperties(translation=q.Translation(x=9.2e18))),
    lambda: mgr.update_shape(cube.shape_id, q.BoxProperties(translation=q.Translation(z=-5e8))),
    lambda: mgr.create_shape_array(cube.shape_id, q.ArrayProperties(count_x=3, spacing_x=6e7)),
]
assert [refused(op) for op in ops] == [True] * len(ops)
after = (mgr.get_all_shape_ids(), mgr.undo_depth(), k.bounding_box(mgr.get_shape(part.shape_id).shape),
         k.bounding_box(mgr.get_shape(cube.shape_id).shape))
assert after == before, (before, after)
assert mgr.union_shapes([part.shape_id, cube.shape_id]) is not None
print("ok")
"""


def test_placements_beyond_the_model_size_are_refused():
    assert run_child(FAR_PLACEMENTS) == "ok\n"


def wire_facts(w):
    """Closed flag, each edge's orientation and vertex indices in the wire's
    order, and the vertices' positions in map order."""
    closed, topo_closed, edges = t.wire_facts(w)
    return closed, topo_closed, edges, [tuple(k.bounding_box(v)[:3]) for v in k.sub_shapes(w, k.TopAbs_VERTEX)]


SQUARE = [(0, 0, 0), (4, 0, 0), (4, 3, 0), (0, 3, 0)]
POLYLINES = {
    "open": (SQUARE, False),
    "closed": (SQUARE, True),
    "two points closed": (SQUARE[:2], True),
    "back to the start": (SQUARE + [(0, 0, 0)], False),
    "back to the start within tolerance": (SQUARE + [(0, 0, 5e-8)], False),
    "figure of eight": ([(0, 0, 0), (2, 2, 0), (4, 0, 0), (4, 4, 0), (2, 2, 0), (0, 4, 0)], True),
    "touching its start midway": ([(0, 0, 0), (3, 0, 0), (3, 3, 0), (0, 0, 0), (-3, 0, 0), (-3, -3, 0)], False),
    "long and twisting": ([(math.cos(i / 7.0) * (1 + i / 100.0), math.sin(i / 7.0) * (1 + i / 100.0), i * 0.01)
                           for i in range(2000)], True),
    "far out": ([(1e12, 0, 0), (1e12, 3e11, 0), (-1e12, 5, 1e-300), (1e12 + 1e-3, 0, 0)], False),
    "a step within tolerance": ([(0, 0, 0), (1, 0, 0), (1, 0, 5e-8), (2, 0, 0)], False),
}


@pytest.mark.parametrize("name", POLYLINES)
def test_polylines_match_the_wire_builder(name):
    points, closed = POLYLINES[name]
    w = D.create_polyline(points, closed)
    ref = t.polyline_by_builder(points, closed and len(points) >= 3)
    assert wire_facts(w) == wire_facts(ref)
    assert k.length(w) == pytest.approx(k.length(ref)) and k.is_valid(w) == k.is_valid(ref)


@pytest.mark.parametrize("points, closed", [
    ([(0, 0, 0), (1, 0, 0), (1, 0, 0), (2, 0, 0)], False),
    ([(0, 0, 0), (1, 0, 0), (1, 1, 0), (0, 0, 0)], True),
    ([(0, 0, 0), (1, 0, 0), (1, 1, 0), (1, 1, 0), (0, 0, 0)], False),
])
def test_polylines_with_coincident_neighbours_raise_the_builders_error(points, closed):
    with pytest.raises(k.KernelError) as mine:
        D.create_polyline(points, closed)
    with pytest.raises(k.KernelError) as theirs:
        t.polyline_by_builder(points, closed)
    assert str(mine.value) == str(theirs.value)


@pytest.mark.parametrize("uv, closed", [
    ([(0, 0), (4, 0), (4, 3), (0, 3)], True),
    ([(0, 0), (4, 0), (4, 3), (0, 3)], False),
    ([(0, 0), (4, 0)], True),
    ([(0, 0), (4, 0), (4, 3), (0, 0)], True),
    ([(0, 0), (2, 2), (4, 0), (4, 4), (2, 2), (0, 4)], True),
])
def test_sketch_polylines_match_the_wire_builder(uv, closed):
    from nimbal.models.quenby import PlaneProperties
    from nimbal.services.fandor import Fandor
    f = Fandor()
    plane = PlaneProperties(origin_x=1.0, origin_y=2.0, origin_z=3.0, normal_x=0.0, normal_y=1.0, normal_z=1.0)
    w = f.create_polyline_on_plane(plane, uv, closed=closed)
    world = [f.local_to_world(plane, u, v) for u, v in uv]
    ref = t.polyline_by_builder(world, closed and uv[-1] != uv[0])
    assert wire_facts(w) == wire_facts(ref)
