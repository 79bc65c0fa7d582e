"""An edit reaches every shape built from it: the holders of an edited
component up to the top, a sketch's holders when it is committed, the
sketches on a moved plane, in both managers; what fails changes nothing;
and what the session shows is what a save and a load give."""
import math

import pytest

from manager_fixtures import CorvathHost, RecordingDrulen, RecordingFandor, TessikHost, bbox, faces
from ombrel_fixtures import measure, same_measure
from nimbal import kernel as k
from nimbal.enums import ShapeType, StandardPlane
from nimbal.managers.corvath import CoreCorvath
from nimbal.managers.tessik import CoreTessik
from nimbal.models import quenby as q
from nimbal.services.drulen import Drulen
from nimbal.services.ombrel import ProjectSerializer

T = ShapeType


def top_level_model(m):
    """The top-level shapes as the host shows them: type, name and measures,
    in registry order."""
    return [(m.get_shape(i).shape_type, m.get_shape(i).name, measure(m.get_shape(i).shape))
            for i in m.get_all_shape_ids()]


def reloaded(m, tmp_path):
    path = str(tmp_path / "model.vrex")
    assert ProjectSerializer.save_project(path, m) is True
    fresh = CoreCorvath()
    assert ProjectSerializer.load_project(path, fresh) is True
    return fresh


def assert_same_model(a, b):
    ma, mb = top_level_model(a), top_level_model(b)
    assert [x[:2] for x in ma] == [x[:2] for x in mb]
    for (_, name, x), (_, _, y) in zip(ma, mb):
        assert same_measure(x, y), (name, x, y)


def cube(m, x=0.0, depth=10.0):
    return m.create_shape(T.BOX, q.BoxProperties(width=10.0, height=10.0, depth=depth,
                                                  translation=q.Translation(x=x))).shape_id


# ---- the geometry manager: a component three levels down ----

def three_unions(m):
    """u3 = ((a + b) + c) + d, four cubes apart: returns a, b, c, d, u1, u2, u3."""
    a, b, c, d = (cube(m, x) for x in (0.0, 20.0, 40.0, 60.0))
    u1 = m.union_shapes([a, b])
    u2 = m.union_shapes([u1, c])
    u3 = m.union_shapes([u2, d])
    return a, b, c, d, u1, u2, u3


def fillet_union_array(m):
    """An array of a union of a fillet of a cube and a second cube."""
    a = cube(m)
    f = m.fillet_shape(a, q.FilletProperties(fillet_radius=1.0, edge_indices=[0]))
    u = m.union_shapes([f, cube(m, 20.0)])
    arr = m.create_shape_array(u, q.ArrayProperties(count_x=2, spacing_x=50.0))
    return a, [f, u, arr]


def test_every_holder_up_to_the_top_is_recomputed_recorded_and_saved(tmp_path):
    m = CorvathHost()
    a, b, c, d, u1, u2, u3 = three_unions(m)
    m.log.clear()
    deeper = q.BoxProperties(width=10.0, height=10.0, depth=30.0)
    assert k.volume(m.update_shape(a, deeper)) == pytest.approx(3000.0)
    assert [k.volume(m.get_shape(u).shape) for u in (u1, u2, u3)] == pytest.approx([4000.0, 5000.0, 6000.0])
    assert bbox(m.get_shape(u3).shape)[2::3] == pytest.approx((-15.0, 15.0))
    assert m.events() == [("updated", u1), ("updated", u2), ("updated", u3), ("undo_redo", True, False)]
    cmd = m._undo_stack[-1]
    assert list(cmd.before) == list(cmd.after) == [a, u1, u2, u3]
    edited = top_level_model(m)
    assert_same_model(m, reloaded(m, tmp_path))

    m.undo()
    assert [k.volume(m.get_shape(u).shape) for u in (u1, u2, u3)] == pytest.approx([2000.0, 3000.0, 4000.0])
    assert m.get_shape(a).properties.depth == 10.0
    assert m.events() == [("updated", u3), ("undo_redo", True, True)]  # the host sees the top only
    assert_same_model(m, reloaded(m, tmp_path))
    m.redo()
    assert top_level_model(m) == edited
    assert_same_model(m, reloaded(m, tmp_path))


def test_a_modifier_chain_is_recomputed_as_if_built_with_the_new_record(tmp_path):
    m = CorvathHost()
    a, holders = fillet_union_array(m)
    assert m.update_shape(a, q.BoxProperties(width=10.0, height=10.0, depth=24.0)) is not None
    direct = CoreCorvath()
    b = direct.create_shape(T.BOX, q.BoxProperties(width=10.0, height=10.0, depth=24.0)).shape_id
    f = direct.fillet_shape(b, q.FilletProperties(fillet_radius=1.0, edge_indices=[0]))
    u = direct.union_shapes([f, cube(direct, 20.0)])
    direct.create_shape_array(u, q.ArrayProperties(count_x=2, spacing_x=50.0))
    assert_same_model(m, direct)
    assert_same_model(m, reloaded(m, tmp_path))
    assert [e[1] for e in m.log if e[0] == "updated"] == holders


class FailingFold(RecordingDrulen):
    """Gives none (or raises) for the fuse whose second input is `tool`."""

    def __init__(self):
        super().__init__()
        self.tool, self.raises = None, False
        self.fuse_shapes = self._fuse

    def _fuse(self, acc, other):
        if self.tool is not None and other.IsSame(self.tool):
            if self.raises:
                raise RuntimeError("the kernel gave up")
            return None
        return self.real.fuse_shapes(acc, other)


@pytest.mark.parametrize("raises", [False, True], ids=["gives none", "raises"])
@pytest.mark.parametrize("level", [0, 1, 2], ids=["parent", "grandparent", "top"])
def test_a_holder_that_cannot_be_recomputed_changes_nothing(level, raises):
    svc = FailingFold()
    m = CorvathHost(svc)
    ids = three_unions(m)
    a, others, unions = ids[0], ids[1:4], ids[4:]
    kept = {i: (m.get_shape(i).shape, m.get_shape(i).properties) for i in (a,) + unions}
    depth = m.undo_depth()
    svc.tool, svc.raises = m.get_shape(others[level]).shape, raises
    m.log.clear()
    deeper = q.BoxProperties(width=10.0, height=10.0, depth=30.0)
    if raises:
        with pytest.raises(RuntimeError):
            m.update_shape(a, deeper)
        assert m.log == []
    else:
        assert m.update_shape(a, deeper) is None
        assert m.log == [("failed", "Update Shape", "Invalid properties: the shape could not be updated.")]
    assert {i: (m.get_shape(i).shape, m.get_shape(i).properties) for i in kept} == kept
    assert m.undo_depth() == depth and not m.can_redo


# ---- a sketch element edited through the geometry manager ----

def sketch_on_plane_at(m, z, *rects):
    plane = m.create_arbitrary_plane(translation=(0.0, 0.0, z))
    tessik = CoreTessik(plane.shape_id, plane.properties)
    for u, w in rects:
        tessik.create_rectangle(u, 0.0, w, 10.0)
    sketch = m.create_sketch(plane.shape_id)
    assert m.commit_sketch(sketch.shape_id, tessik)
    return plane, tessik, m.get_shape(sketch.shape_id)


@pytest.mark.parametrize("plane_removed", [False, True], ids=["plane kept", "plane removed"])
def test_a_sketch_element_is_rebuilt_on_its_plane(tmp_path, plane_removed):
    # A removed plane's record stays with the sketch and is saved with it.
    m = CorvathHost()
    plane, _, sketch = sketch_on_plane_at(m, 50.0, (0.0, 10.0), (30.0, 10.0))
    rect = sketch.components[0].shape_id
    if plane_removed:
        assert m.remove_shape(plane.shape_id)
    m.log.clear()
    new = q.RectangleProperties(width=20.0, height=5.0, local_u=5.0, local_v=2.0, plane_id=plane.shape_id)
    shape = m.update_shape(rect, new)
    assert bbox(shape) == pytest.approx((5.0, 2.0, 50.0, 25.0, 7.0, 50.0))
    assert bbox(sketch.shape)[2::3] == pytest.approx((50.0, 50.0))
    assert k.area(sketch.shape) == pytest.approx(200.0)
    assert m.events() == [("updated", sketch.shape_id), ("undo_redo", True, False)]
    assert_same_model(m, reloaded(m, tmp_path))
    loaded = reloaded(m, tmp_path).get_shape(sketch.shape_id)
    assert bbox(loaded.components[0].shape) == pytest.approx(bbox(shape))
    m.undo()
    assert k.area(sketch.shape) == pytest.approx(200.0) and bbox(sketch.components[0].shape)[0] == 0.0
    m.redo()
    assert bbox(m.get_shape(rect).shape) == pytest.approx(bbox(shape))


def test_an_element_of_a_sketch_union_is_refolded_on_the_plane(tmp_path):
    m = CorvathHost()
    plane = m.create_arbitrary_plane(translation=(0.0, 0.0, 50.0), rotation_deg=(30.0, 0.0, 0.0))
    tessik = CoreTessik(plane.shape_id, plane.properties)
    a = tessik.create_rectangle(0.0, 0.0, 20.0, 10.0).shape_id
    tessik.union_shapes([a, tessik.create_rectangle(10.0, 0.0, 20.0, 10.0).shape_id])
    sketch = m.create_sketch(plane.shape_id)
    assert m.commit_sketch(sketch.shape_id, tessik)
    sketch = m.get_shape(sketch.shape_id)
    (union,) = sketch.components
    assert k.area(sketch.shape) == pytest.approx(300.0)
    m.log.clear()
    wider = q.RectangleProperties(width=20.0, height=30.0, plane_id=plane.shape_id)
    assert m.update_shape(union.components[0].shape_id, wider) is not None
    assert k.area(union.shape) == pytest.approx(700.0) and k.area(sketch.shape) == pytest.approx(700.0)
    assert faces(sketch.shape) == 1  # refolded and merged as the sketch manager folds
    assert m.events() == [("updated", union.shape_id), ("updated", sketch.shape_id), ("undo_redo", True, False)]
    # the same elements drawn on the plane directly
    direct = CoreTessik(plane.shape_id, plane.properties)
    b = direct.create_rectangle(0.0, 0.0, 20.0, 30.0).shape_id
    expected = direct.get_shape(direct.union_shapes([b, direct.create_rectangle(10.0, 0.0, 20.0, 10.0).shape_id]))
    assert same_measure(measure(union.shape), measure(expected.shape))
    assert_same_model(m, reloaded(m, tmp_path))


# ---- the sketch manager: an element under a union of a subtraction ----

def nested_sketch(t):
    """u2 = ((a - b) + c) + d: returns a, s, u1, u2."""
    a = t.create_rectangle(0.0, 0.0, 20.0, 20.0).shape_id
    b = t.create_circle(20.0, 20.0, 5.0).shape_id
    s = t.subtract_shapes([a, b])
    u1 = t.union_shapes([s, t.create_rectangle(15.0, 0.0, 10.0, 4.0).shape_id])
    u2 = t.union_shapes([u1, t.create_rectangle(40.0, 0.0, 5.0, 5.0).shape_id])
    return a, s, u1, u2


def committed(t):
    """A geometry manager holding the sketch manager's elements as a sketch
    on the XY plane, the sketch manager's own plane."""
    m = CoreCorvath()
    plane = m.create_plane_from_standard(StandardPlane.XY)
    sketch = m.create_sketch(plane.shape_id)
    assert m.commit_sketch(sketch.shape_id, t)
    return m


def test_the_sketch_manager_refolds_every_holder(tmp_path):
    t = TessikHost()
    a, s, u1, u2 = nested_sketch(t)
    before = [k.area(t.get_shape(i).shape) for i in (s, u1, u2)]
    quarter_cut = 400.0 - 25.0 * math.pi / 4  # the circle at (20, 20) takes a quarter
    # the bar at (15, 0) sticks out of the rectangle by 5 x 4
    assert before == pytest.approx([quarter_cut, quarter_cut + 20.0, quarter_cut + 45.0], rel=1e-6)
    t.log.clear()
    assert t.update_shape(a, q.RectangleProperties(width=30.0, height=20.0))
    half_cut = 600.0 - 25.0 * math.pi / 2  # the wider one loses half the circle and holds the bar
    assert [k.area(t.get_shape(i).shape) for i in (s, u1, u2)] == pytest.approx(
        [half_cut, half_cut, half_cut + 25.0], rel=1e-6)
    assert t.events() == [("updated", s), ("updated", u1), ("updated", u2), ("undo_redo", True, False),
                          ("updated", a)]
    cmd = t._undo_redo._undo_stack[-1]
    assert list(cmd.before) == list(cmd.after) == [a, s, u1, u2]
    m = committed(t)
    assert_same_model(m, reloaded(m, tmp_path))
    t.undo()
    assert [k.area(t.get_shape(i).shape) for i in (s, u1, u2)] == pytest.approx(before)
    t.redo()
    assert k.area(t.get_shape(u2).shape) == pytest.approx(half_cut + 25.0, rel=1e-6)


@pytest.mark.parametrize("step", ["cut_shapes", "first fuse", "second fuse"])
def test_a_sketch_holder_that_cannot_be_refolded_changes_nothing(step):
    fandor = RecordingFandor()
    t = TessikHost(fandor=fandor)
    a, s, u1, u2 = nested_sketch(t)
    kept = {i: (t.get_shape(i).shape, t.get_shape(i).properties) for i in (a, s, u1, u2)}
    depth = len(t._undo_redo._undo_stack)
    fandor.answers = {
        "cut_shapes": {"cut_shapes": [None]},
        "first fuse": {"fuse_shapes": [None]},
        "second fuse": {"fuse_shapes": [fandor.real.fuse_shapes, None]},
    }[step]
    t.log.clear()
    assert t.update_shape(a, q.RectangleProperties(width=30.0, height=20.0)) is False
    assert t.log == []
    assert {i: (t.get_shape(i).shape, t.get_shape(i).properties) for i in kept} == kept
    assert len(t._undo_redo._undo_stack) == depth


# ---- a commit into a sketch that something is built on ----

def holder_of_sketch(m, kind, sketch):
    if kind == "extrude, union":
        e = m.extrude_shape(sketch, q.ExtrudeProperties(depth=5.0))
        return [e, m.union_shapes([e, cube(m, 100.0)])]
    if kind == "array":
        return [m.create_shape_array(sketch, q.ArrayProperties(count_x=2, spacing_x=100.0))]
    other = sketch_on_plane_at(m, 0.0, (0.0, 40.0))[2].shape_id
    pair = [sketch, other] if kind == "union" else [other, sketch]
    return [m.union_shapes(pair) if kind == "union" else m.subtract_shapes(pair)]


KINDS = ["union", "subtraction", "array", "extrude, union"]


@pytest.mark.parametrize("kind", KINDS)
def test_a_commit_whose_holder_cannot_be_recomputed_is_refused(kind, tmp_path):
    m = CorvathHost()
    _, tessik, sketch = sketch_on_plane_at(m, 0.0, (0.0, 10.0))
    holders = holder_of_sketch(m, kind, sketch.shape_id)
    saved = top_level_model(m)
    kept = {i: (m.get_shape(i).shape, list(m.get_shape(i).components)) for i in [sketch.shape_id] + holders}
    depth = m.undo_depth()
    m.log.clear()
    assert m.commit_sketch(sketch.shape_id, CoreTessik(tessik.plane_id, tessik.plane_props)) is False
    assert m.events() == [("failed", "Commit Sketch",
                           "The shapes built on the sketch could not be recomputed from its new elements.")]
    assert {i: (m.get_shape(i).shape, list(m.get_shape(i).components)) for i in kept} == kept
    assert m.undo_depth() == depth and top_level_model(m) == saved
    assert_same_model(m, reloaded(m, tmp_path))


@pytest.mark.parametrize("kind", KINDS)
def test_a_commit_recomputes_every_holder(kind, tmp_path):
    m = CorvathHost()
    _, tessik, sketch = sketch_on_plane_at(m, 0.0, (0.0, 10.0))
    holders = holder_of_sketch(m, kind, sketch.shape_id)
    saved = top_level_model(m)
    tessik.create_rectangle(-20.0, 0.0, 5.0, 10.0)
    m.log.clear()
    assert m.commit_sketch(sketch.shape_id, tessik) is True
    assert [e for e in m.events() if e[0] != "undo_redo"] == [("updated", h) for h in holders]
    top = m.get_shape(holders[-1])
    grown = {"union": 50.0, "subtraction": 0.0, "array": 100.0}.get(kind)
    if grown is not None:
        assert k.area(top.shape) - saved[-1][2][1] == pytest.approx(grown)
    else:
        assert k.volume(top.shape) - saved[-1][2][0] == pytest.approx(250.0)
    edited = top_level_model(m)
    assert_same_model(m, reloaded(m, tmp_path))
    m.undo()
    assert top_level_model(m) == saved
    m.redo()
    assert top_level_model(m) == edited


# ---- a moved plane takes its sketches along ----

def test_a_moved_plane_takes_its_sketches_and_what_is_built_on_them(tmp_path):
    m = CorvathHost()
    plane, _, sketch = sketch_on_plane_at(m, 0.0, (0.0, 10.0), (30.0, 5.0))
    e = m.extrude_shape(sketch.shape_id, q.ExtrudeProperties(depth=4.0))
    u = m.union_shapes([e, cube(m, 100.0)])
    before = top_level_model(m)
    m.log.clear()
    moved = q.PlaneProperties(source="custom", translation=q.Translation(z=20.0))
    assert m.update_shape(plane.shape_id, moved) is True
    assert (moved.origin_z, m.get_shape(plane.shape_id).properties.origin_z) == (20.0, 20.0)
    assert bbox(sketch.shape)[2::3] == pytest.approx((20.0, 20.0))
    assert all(bbox(c.shape)[2] == pytest.approx(20.0) for c in sketch.components)
    assert bbox(m.get_shape(e).shape)[2::3] == pytest.approx((20.0, 24.0))
    assert k.volume(m.get_shape(u).shape) == pytest.approx(150.0 * 4 + 1000.0)
    assert m.events() == [("updated", plane.shape_id), ("updated", sketch.shape_id), ("updated", e),
                          ("updated", u), ("undo_redo", True, False)]
    edited = top_level_model(m)
    assert_same_model(m, reloaded(m, tmp_path))
    m.undo()
    assert top_level_model(m) == before and bbox(sketch.shape)[2] == pytest.approx(0.0)
    assert_same_model(m, reloaded(m, tmp_path))
    m.redo()
    assert top_level_model(m) == edited
    # a plane given its own position again leaves its sketches as they are
    shape = sketch.shape
    m.log.clear()
    assert m.update_shape(plane.shape_id, q.PlaneProperties(source="custom", translation=q.Translation(z=20.0)))
    assert sketch.shape.IsSame(shape) and m.events() == [("updated", plane.shape_id), ("undo_redo", True, False)]


def test_a_plane_move_whose_sketch_holder_fails_changes_nothing():
    svc = RecordingDrulen()
    m = CorvathHost(svc)
    plane, _, sketch = sketch_on_plane_at(m, 0.0, (0.0, 10.0))
    e = m.extrude_shape(sketch.shape_id, q.ExtrudeProperties(depth=4.0))
    record = m.get_shape(plane.shape_id).properties
    kept = {i: m.get_shape(i).shape for i in (sketch.shape_id, e)}
    depth = m.undo_depth()
    svc.none_for.add("extrude_shape")
    m.log.clear()
    moved = q.PlaneProperties(source="custom", translation=q.Translation(z=20.0))
    assert m.update_shape(plane.shape_id, moved) is None
    assert m.log == [("failed", "Update Shape", "Invalid properties: the shape could not be updated.")]
    assert m.get_shape(plane.shape_id).properties is record and moved.origin_z == 0.0
    assert {i: m.get_shape(i).shape for i in kept} == kept and m.undo_depth() == depth


# ---- a hidden component's colour ----

def corvath_union(m):
    a, b = cube(m), cube(m, 5.0)
    return m, a, m.union_shapes([a, b])


def tessik_union(m):
    a = m.create_rectangle(0.0, 0.0, 10.0, 10.0).shape_id
    return m, a, m.union_shapes([a, m.create_rectangle(5.0, 0.0, 10.0, 10.0).shape_id])


@pytest.mark.parametrize("make, build", [(CorvathHost, corvath_union), (TessikHost, tessik_union)],
                         ids=["geometry manager", "sketch manager"])
def test_a_hidden_components_colour_survives_undo_and_redo(make, build):
    m, a, u = build(make())
    m.log.clear()
    assert m.update_shape_color(a, (1.0, 0.0, 0.0))
    assert [e[0] for e in m.events()] == ["undo_redo", "updated"]
    m.undo()
    assert m.get_shape(a).color != (1.0, 0.0, 0.0) and m.get_shape(a).parent_id == u
    m.redo()
    assert m.get_shape(a).color == (1.0, 0.0, 0.0)
    m.undo()
    m.undo()  # the union itself: its input comes back top-level in its old colour
    m.redo()
    m.redo()
    assert m.get_shape(a).color == (1.0, 0.0, 0.0) and m.get_shape(u).components[0] is m.get_shape(a)


def test_a_hidden_components_colour_is_what_the_file_keeps(tmp_path):
    m, a, u = corvath_union(CorvathHost())
    m.update_shape_color(a, (1.0, 0.0, 0.0))
    for step in (lambda: None, m.undo, m.redo):
        step()
        loaded = reloaded(m, tmp_path)
        (top,) = [loaded.get_shape(i) for i in loaded.get_all_shape_ids()]
        assert [c.color for c in top.components] == [c.color for c in m.get_shape(u).components]
    assert m.get_shape(a).color == (1.0, 0.0, 0.0)
