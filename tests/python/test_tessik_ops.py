"""Sketch manager: element creation, editing, booleans and decomposition,
measured on the kernel shapes."""

import math
import re

import pytest

from manager_fixtures import TessikHost as Host, RecordingFandor as RecordingService, bbox, faces
from nimbal import kernel as k
from nimbal.enums import ShapeType
from nimbal.managers.tessik import DEFAULT_SKETCH_COLOR
from nimbal.models import quenby as q
from nimbal.services.drulen import Drulen
from nimbal.services.fandor import Fandor


@pytest.fixture
def host():
    return Host("plane_1")


def last_command(h):
    return h._undo_redo._undo_stack[-1]


# ---- creation ----

def test_rectangle_defaults_measured(host):
    ms = host.create_rectangle(10.0, 5.0)
    assert re.fullmatch(r"rectangle_[0-9a-f]{8}", ms.shape_id) and ms.name == "Rectangle_1"
    assert ms.color == DEFAULT_SKETCH_COLOR and ms.parent_id is None and len(ms.components) == 0
    assert ms.properties == q.RectangleProperties(width=60.0, height=40.0, plane_id="plane_1",
                                                  local_u=10.0, local_v=5.0, filled=True)
    assert isinstance(ms.shape, k.TopoDS_Face) and k.area(ms.shape) == pytest.approx(2400.0)
    assert bbox(ms.shape)[:2] == pytest.approx((10.0, 5.0), abs=1e-6)
    assert bbox(ms.shape)[3:5] == pytest.approx((70.0, 45.0), abs=1e-6)
    cmd = last_command(host)
    assert cmd.description == "Create rectangle" and list(cmd.before.items()) == [(ms.shape_id, None)]
    assert cmd.after[ms.shape_id].properties == ms.properties and not cmd.redo_clears_all
    assert host.events() == [("undo_redo", True, False), ("created", ms.shape_id)]


def test_circle_and_outlines(host):
    c = host.create_circle(5.0, -5.0)
    assert c.properties == q.CircleProperties(radius=30.0, plane_id="plane_1", local_u=5.0, local_v=-5.0)
    assert k.area(c.shape) == pytest.approx(math.pi * 900.0, rel=1e-6)
    assert bbox(c.shape)[:2] == pytest.approx((-25.0, -35.0), abs=1e-6)
    ring = host.create_circle(0, 0, radius=2.0, filled=False)
    rect = host.create_rectangle(0, 0, 3.0, 4.0, filled=False)
    assert isinstance(ring.shape, k.TopoDS_Wire) and k.length(ring.shape) == pytest.approx(4 * math.pi)
    assert isinstance(rect.shape, k.TopoDS_Wire) and k.length(rect.shape) == pytest.approx(14.0)
    assert not ring.properties.filled and last_command(host).description == "Create rectangle"


def test_elements_lie_on_the_managers_plane():
    plane = q.PlaneProperties(source="custom", normal_x=1.0, normal_z=0.0, origin_x=7.0)
    h = Host("plane_x", plane)
    box = bbox(h.create_rectangle(0, 0, 20.0, 10.0).shape)
    assert box[0] == pytest.approx(7.0) and box[3] == pytest.approx(7.0)
    line = h.create_line((0, 0), (0, 30.0))
    assert line.properties.plane_id == "plane_x" and k.length(line.shape) == pytest.approx(30.0)
    assert bbox(line.shape)[0] == pytest.approx(7.0)


def test_line_arc_and_polyline(host):
    line = host.create_line((0, 0), (30.0, 40.0), color=(1.0, 0.0, 0.0), name="L")
    assert line.properties == q.LineProperties(plane_id="plane_1", p1=(0.0, 0.0), p2=(30.0, 40.0))
    assert k.length(line.shape) == pytest.approx(50.0) and (line.name, line.color) == ("L", (1.0, 0.0, 0.0))
    arc = host.create_arc((-10.0, 0.0), (0.0, 10.0), (10.0, 0.0))
    assert arc.shape_type == ShapeType.ARC and k.length(arc.shape) == pytest.approx(10 * math.pi)
    pts = [(0, 0), (10, 0), (10, 10)]
    poly = host.create_sketch_polyline(tuple(pts))
    pts.append((0, 10))
    assert list(poly.properties.points_uv) == [(0.0, 0.0), (10.0, 0.0), (10.0, 10.0)]
    assert not poly.properties.closed and not poly.properties.filled
    assert k.length(poly.shape) == pytest.approx(20.0) and last_command(host).description == "Create sketch_polyline"
    face = host.create_sketch_polyline(pts, closed=True, filled=True)
    assert k.area(face.shape) == pytest.approx(100.0)


def test_a_line_without_geometry_is_registered_the_others_are_not(host):
    line = host.create_line((5.0, 5.0), (5.0, 5.0))
    assert line.shape is None and host.get_shape(line.shape_id) is line
    assert last_command(host).description == "Create line"
    assert host.events() == [("undo_redo", True, False), ("created", line.shape_id)]
    assert host.create_arc((0, 0), (1, 1), (2, 2)) is None
    assert host.create_sketch_polyline([(1, 1), (1, 1)]) is None
    assert host.create_sketch_polyline([]) is None
    assert host.log == [] and len(host._undo_redo._undo_stack) == 1 and len(host._shapes) == 1


def test_given_names_are_taken_as_they_are(host):
    a = host.create_rectangle(0, 0, name="")
    b = host.create_rectangle(0, 0, name=" Same ")
    c = host.create_rectangle(0, 0, name=" Same ")
    assert (a.name, b.name, c.name) == ("", " Same ", " Same ")
    assert host.create_circle(0, 0).name == "Circle_1"


@pytest.mark.parametrize("call, exc", [
    (lambda h: h.create_rectangle(float("nan"), 0.0), ValueError),
    (lambda h: h.create_circle(0.0, 0.0, radius=float("inf")), ValueError),
    (lambda h: h.create_circle(0.0, 0.0, radius=0.0), k.KernelError),
    # Elements without size are refused as the circle of radius 0 is.
    (lambda h: h.create_circle(0.0, 0.0, radius=0.0, filled=False), k.KernelError),
    (lambda h: h.create_rectangle(0.0, 0.0, 0.0, 40.0), k.KernelError),
    (lambda h: h.create_rectangle(0.0, 0.0, 60.0, 0.0, filled=False), k.KernelError),
    (lambda h: h.create_rectangle(0.0, 0.0, 1e-300, 40.0), k.KernelError),
    (lambda h: h.create_line((0, 0), (1, 2, 3)), TypeError),
    (lambda h: h.create_line("ab", (1, 2)), TypeError),
    (lambda h: h.create_arc((0, 0), None, (1, 1)), TypeError),
    (lambda h: h.create_sketch_polyline([(0, 0), ("a", 1)]), TypeError),
    (lambda h: h.create_sketch_polyline(None), TypeError),
    (lambda h: h.create_rectangle(0, 0, name=5), TypeError),
    (lambda h: h.create_rectangle(0, 0, color=(1, 0)), TypeError),
])
def test_refused_input_changes_nothing(host, call, exc):
    with pytest.raises(exc):
        call(host)
    assert len(host._shapes) == 0 and not host.can_undo and host.log == []


def test_elements_without_size_are_not_registered(host):
    # Ends closer than the kernel's tolerance: one point to the kernel.
    assert host.create_arc((0, 0), (1e-8, 1e-8), (2e-8, 0)) is None
    assert host.create_sketch_polyline([(0, 0), (5e-8, 0)]) is None
    assert len(host._shapes) == 0 and host.log == []
    line = host.create_line((0, 0), (5e-8, 0))  # a line is registered without geometry
    assert line.shape is None
    rect = host.create_rectangle(0, 0, 60.0, 40.0)
    with pytest.raises(k.KernelError):
        host.update_shape(rect.shape_id, q.RectangleProperties(width=0.0, height=40.0))
    assert k.area(rect.shape) == pytest.approx(2400.0) and rect.properties.width == 60.0


# ---- editing ----

def test_update_rebuilds_an_element_from_a_new_record(host):
    ms = host.create_rectangle(0, 0)
    host.log.clear()
    rec = q.RectangleProperties(width=10.0, height=20.0, local_u=100.0, local_v=50.0)
    assert host.update_shape(ms.shape_id, rec) is True
    assert ms.properties is rec and k.area(ms.shape) == pytest.approx(200.0)
    assert bbox(ms.shape)[:2] == pytest.approx((100.0, 50.0), abs=1e-6)
    assert last_command(host).description == "Update Rectangle_1"
    assert host.events() == [("undo_redo", True, False), ("updated", ms.shape_id)]
    host.undo()
    assert k.area(ms.shape) == pytest.approx(2400.0) and ms.properties.width == 60.0
    host.redo()
    assert k.area(ms.shape) == pytest.approx(200.0)


@pytest.mark.parametrize("make, record", [
    (lambda h: h.create_rectangle(0, 0), q.CircleProperties()),
    (lambda h: h.create_line((0, 0), (1, 0)), q.LineProperties(p1=(3.0, 3.0), p2=(3.0, 3.0))),
    (lambda h: h.create_arc((-1, 0), (0, 1), (1, 0)), q.ArcProperties(start=(0, 0), mid=(1, 1), end=(2, 2))),
    (lambda h: h._register_shape(ShapeType.UNION, None, q.BooleanProperties(), (0, 0, 0), None),
     q.BooleanProperties()),
])
def test_update_that_builds_nothing_changes_nothing(host, make, record):
    ms = make(host)
    shape, props, depth = ms.shape, ms.properties, len(host._undo_redo._undo_stack)
    host.log.clear()
    assert host.update_shape(ms.shape_id, record) is False
    assert ms.shape == shape and ms.properties is props and host.log == []
    assert len(host._undo_redo._undo_stack) == depth
    assert host.update_shape("nope", record) is False


def test_a_line_gets_geometry_by_update(host):
    line = host.create_line((1, 1), (1, 1))
    assert host.update_shape(line.shape_id, q.LineProperties(p1=(0, 0), p2=(0, 8.0)))
    assert k.length(line.shape) == pytest.approx(8.0)


def test_kernel_errors_of_an_update_leave_everything(host):
    ms = host.create_rectangle(0, 0)
    shape, props = ms.shape, ms.properties
    with pytest.raises(ValueError):
        host.update_shape(ms.shape_id, q.RectangleProperties(width=float("nan")))
    assert ms.shape == shape and ms.properties is props and len(host._undo_redo._undo_stack) == 1


def overlapping_pair(h):
    a = h.create_rectangle(0, 0, 20.0, 10.0)
    b = h.create_rectangle(10.0, 0, 20.0, 10.0)
    return a, b


def test_union_update_decides_the_merge_step(host):
    a, b = overlapping_pair(host)
    u = host.get_shape(host.union_shapes([a.shape_id, b.shape_id]))
    assert faces(u.shape) == 1 and k.area(u.shape) == pytest.approx(300.0)
    keep = q.BooleanProperties(remove_internal_edges=False)
    assert host.update_shape(u.shape_id, keep)
    assert u.properties is keep and faces(u.shape) > 1 and k.area(u.shape) == pytest.approx(300.0)
    assert list(u.components) == [a, b]


def test_updating_a_component_recomputes_every_holder(host):
    a, b = overlapping_pair(host)
    c = host.create_rectangle(100.0, 0, 5.0, 5.0)
    inner = host.union_shapes([a.shape_id, b.shape_id])
    outer = host.get_shape(host.union_shapes([inner, c.shape_id]))
    host.log.clear()
    assert host.update_shape(a.shape_id, q.RectangleProperties(width=40.0, height=10.0))
    inner_ms = host.get_shape(inner)
    assert k.area(inner_ms.shape) == pytest.approx(400.0)
    assert k.area(outer.shape) == pytest.approx(425.0)  # the top as well
    assert host.events() == [("updated", inner), ("updated", outer.shape_id), ("undo_redo", True, False),
                             ("updated", a.shape_id)]
    cmd = last_command(host)
    assert cmd.description == "Update Rectangle_1" and list(cmd.before) == [a.shape_id, inner, outer.shape_id]
    assert list(cmd.after) == list(cmd.before)
    host.undo()
    assert k.area(inner_ms.shape) == pytest.approx(300.0) and a.properties.width == 20.0
    assert k.area(outer.shape) == pytest.approx(325.0)


def test_colour_rename_and_their_undo(host):
    ms = host.create_rectangle(0, 0)
    host.log.clear()
    assert host.update_shape_color(ms.shape_id, ms.color)
    assert last_command(host).description == "Change color of Rectangle_1"
    assert host.update_shape_color(ms.shape_id, (1.0, 0.5, 0.0)) and ms.color == (1.0, 0.5, 0.0)
    assert host.rename_shape(ms.shape_id, "  Plate \t") and ms.name == "Plate"
    assert last_command(host).description == "Rename to Plate"
    depth = len(host._undo_redo._undo_stack)
    assert host.rename_shape(ms.shape_id, "Plate ") is True and len(host._undo_redo._undo_stack) == depth
    assert host.rename_shape(ms.shape_id, "   ") is False and host.rename_shape("nope", "X") is False
    assert host.update_shape_color("nope", (0, 0, 0)) is False
    assert [e[0] for e in host.events()] == ["undo_redo", "updated"] * 3
    host.undo()
    assert ms.name == "Rectangle_1"
    host.undo()
    assert ms.color == DEFAULT_SKETCH_COLOR


def test_a_hidden_components_colour_is_recorded_and_reported(host):
    # Unlike the geometry manager, where such an edit is silent.
    a, b = overlapping_pair(host)
    u = host.union_shapes([a.shape_id, b.shape_id])
    host.log.clear()
    assert host.update_shape_color(a.shape_id, (1.0, 0.0, 0.0)) and a.color == (1.0, 0.0, 0.0)
    assert host.events() == [("undo_redo", True, False), ("updated", a.shape_id)]
    cmd = last_command(host)
    assert cmd.description == "Change color of Rectangle_1" and list(cmd.before) == [a.shape_id]
    host.undo()
    assert a.color == DEFAULT_SKETCH_COLOR and a.parent_id == u


def test_remove_a_boolean_keeps_its_components(host):
    a, b = overlapping_pair(host)
    u = host.union_shapes([a.shape_id, b.shape_id])
    host.log.clear()
    assert host.remove_shape(u) and host.remove_shape(u) is False
    assert host.events() == [("undo_redo", True, False), ("removed", u)]
    assert last_command(host).description == "Remove Union_1"
    assert host.get_all_shape_ids() == [a.shape_id, b.shape_id] and a.parent_id == u
    host.undo()
    assert list(host.get_shape(u).components) == [a, b]


def test_a_hidden_component_is_not_removed_alone(host):
    a, b = overlapping_pair(host)
    u = host.get_shape(host.union_shapes([a.shape_id, b.shape_id]))
    ids, depth = list(host._shapes), len(host._undo_redo._undo_stack)
    host.log.clear()
    assert host.remove_shape(a.shape_id) is False
    assert host.log == [] and list(host._shapes) == ids and len(host._undo_redo._undo_stack) == depth
    assert list(u.components) == [a, b] and a.parent_id == u.shape_id
    host.undo()  # the union's undo, as before the refused removal
    assert host.get_shape(a.shape_id) is a and a.parent_id is None and u.shape_id not in host._shapes


def test_clear_all_on_an_empty_sketch_is_recorded(host):
    host.clear_all()
    cmd = last_command(host)
    assert cmd.description == "Clear all sketch shapes" and cmd.redo_clears_all
    assert len(cmd.before) == 0 and host.events() == [("undo_redo", True, False), ("cleared",)]


# ---- booleans and decomposition ----

@pytest.mark.parametrize("ids", [[], ["a"], ["a", "nope"], ["nope", "nope2"]])
def test_booleans_that_make_nothing(ids):
    h = Host()
    a = h.create_rectangle(0, 0).shape_id
    h.log.clear()
    named = [a if i == "a" else i for i in ids]
    assert h.union_shapes(named) is None and h.subtract_shapes(named) is None
    assert h.log == [] and len(h._undo_redo._undo_stack) == 1


def test_an_input_without_geometry_stops_before_the_kernel():
    svc = RecordingService()
    h = Host("p", None, svc)
    line = h.create_line((0, 0), (0, 0))
    rect = h.create_rectangle(0, 0)
    svc.calls.clear()
    h.log.clear()
    assert h.union_shapes([rect.shape_id, line.shape_id]) is None
    assert svc.calls == [] and h.log == [] and rect.parent_id is None


def test_union_with_hidden_and_repeated_ids(host):
    a, b = overlapping_pair(host)
    c = host.create_rectangle(100.0, 0, 5.0, 5.0)
    d = host.create_rectangle(200.0, 0, 5.0, 5.0)
    first = host.union_shapes([c.shape_id, d.shape_id])
    host.log.clear()
    new = host.subtract_shapes([c.shape_id, a.shape_id, b.shape_id])
    assert c.parent_id == first and [m.shape_id for m in host.get_shape(new).components] == [a.shape_id, b.shape_id]
    assert k.area(host.get_shape(new).shape) == pytest.approx(100.0)  # a's left half
    assert host.events() == [("removed", c.shape_id), ("removed", a.shape_id), ("removed", b.shape_id),
                             ("created", new), ("undo_redo", True, False)]
    assert last_command(host).description == "Subtract sketch shapes"


# Each id once, at its first place (see the geometry manager's test).
@pytest.mark.parametrize("op, area", [("union_shapes", 300.0), ("subtract_shapes", 100.0)])
@pytest.mark.parametrize("given, taken", [("aa", ""), ("aba", "ab"), ("aab", "ab")])
def test_a_repeated_id_is_taken_once(host, op, area, given, taken):
    named = dict(zip("ab", overlapping_pair(host)))
    depth = len(host._undo_redo._undo_stack)
    host.log.clear()
    rid = getattr(host, op)([named[c].shape_id for c in given])
    if not taken:
        assert rid is None and host.log == [] and len(host._undo_redo._undo_stack) == depth
        assert named["a"].parent_id is None
        return
    result = host.get_shape(rid)
    assert list(result.components) == [named[c] for c in taken]
    assert k.area(result.shape) == pytest.approx(area) and k.is_valid(result.shape)
    assert host.events() == [("removed", named[c].shape_id) for c in taken] + [("created", rid),
                                                                              ("undo_redo", True, False)]
    cmd = last_command(host)
    assert list(cmd.before) == list(cmd.after) == [named[c].shape_id for c in taken] + [rid]


def test_union_record_colour_and_merge_step():
    svc = RecordingService()
    h = Host("p", None, svc)
    a = h.create_rectangle(0, 0, 20.0, 10.0, color=(1.0, 0.0, 0.0))
    b = h.create_rectangle(10.0, 0, 20.0, 10.0, color=(0.0, 1.0, 0.0))
    svc.calls.clear()
    u = h.get_shape(h.union_shapes([a.shape_id, b.shape_id]))
    assert u.properties == q.BooleanProperties() and u.color == (1.0, 0.0, 0.0) and u.name == "Union_1"
    assert svc.names() == ["fuse_shapes", "unify_same_domain"]
    a2 = h.create_rectangle(0, 0, 20.0, 10.0)
    b2 = h.create_rectangle(10.0, 0, 20.0, 10.0)
    keep = q.BooleanProperties(remove_internal_edges=False)
    svc.calls.clear()
    u2 = h.get_shape(h.union_shapes([a2.shape_id, b2.shape_id], properties=keep))
    assert u2.properties is keep and svc.names() == ["fuse_shapes"] and faces(u2.shape) > 1
    with pytest.raises(TypeError):
        h.union_shapes([a2.shape_id, b2.shape_id], properties=q.RectangleProperties())


def test_a_fold_that_fails_midway_changes_nothing():
    svc = RecordingService(cut_shapes=[lambda s1, s2: Fandor.cut_shapes(s1, s2), None])
    h = Host("p", None, svc)
    ids = [h.create_rectangle(i * 5.0, 0, 10.0, 10.0).shape_id for i in range(3)]
    h.log.clear()
    assert h.subtract_shapes(ids) is None
    assert svc.names()[-2:] == ["cut_shapes", "cut_shapes"] and h.log == []
    assert all(h.get_shape(i).parent_id is None for i in ids) and len(h._undo_redo._undo_stack) == 3
    assert h.get_all_shape_ids() == ids


# A face the kernel builds without complaint and its checker refuses.
BROKEN = Drulen.create_rectangle(0.0, 10.0)


@pytest.mark.parametrize("op, step", [("union_shapes", "fuse_shapes"), ("subtract_shapes", "cut_shapes")])
def test_an_invalid_boolean_result_is_none(op, step):
    assert not k.is_valid(BROKEN)
    h = Host("p", None, RecordingService(**{step: [BROKEN]}))
    a, b = overlapping_pair(h)
    depth = len(h._undo_redo._undo_stack)
    h.log.clear()
    assert getattr(h, op)([a.shape_id, b.shape_id]) is None
    assert h.log == [] and len(h._undo_redo._undo_stack) == depth
    assert len(h._shapes) == 2 and a.parent_id is None and b.parent_id is None


def test_a_merge_that_breaks_a_valid_result_is_left_out():
    h = Host("p", None, RecordingService(unify_same_domain=[BROKEN]))
    u = h.get_shape(h.union_shapes([e.shape_id for e in overlapping_pair(h)]))
    assert k.is_valid(u.shape) and k.area(u.shape) == pytest.approx(300.0) and faces(u.shape) == 3  # as fused


def test_an_invalid_recomputation_changes_nothing():
    svc = RecordingService()
    h = Host("p", None, svc)
    a, b = overlapping_pair(h)
    u = h.get_shape(h.union_shapes([a.shape_id, b.shape_id]))
    shape, props, depth = u.shape, u.properties, len(h._undo_redo._undo_stack)
    svc.answers["fuse_shapes"] = [BROKEN]
    assert h.update_shape(u.shape_id, q.BooleanProperties(remove_internal_edges=False)) is False
    assert u.shape == shape and u.properties is props and len(h._undo_redo._undo_stack) == depth
    # The component's edit stands; its union keeps the shape it had.
    svc.answers["fuse_shapes"] = [BROKEN]
    h.update_shape(a.shape_id, q.RectangleProperties(width=25.0, height=10.0))
    assert u.shape == shape and k.is_valid(u.shape)


def test_decompose_and_its_undo(host):
    a, b = overlapping_pair(host)
    u = host.union_shapes([a.shape_id, b.shape_id])
    host.log.clear()
    assert host.decompose_shape(u) == [a.shape_id, b.shape_id]
    assert host.events() == [("undo_redo", True, False), ("removed", u), ("created", a.shape_id),
                             ("created", b.shape_id)]
    cmd = last_command(host)
    assert cmd.description == "Decompose Union_1" and list(cmd.before) == [u, a.shape_id, b.shape_id]
    assert cmd.after[u] is None and cmd.after[a.shape_id].parent_id is None
    assert a.parent_id is None and u not in host._shapes
    host.undo()
    restored = host.get_shape(u)
    assert list(restored.components) == [a, b] and a.parent_id == u
    assert k.area(restored.shape) == pytest.approx(300.0)
    host.redo()
    assert u not in host._shapes and b.parent_id is None


def test_what_cannot_be_decomposed(host):
    a, b = overlapping_pair(host)
    c = host.create_rectangle(100.0, 0, 5.0, 5.0)
    inner = host.union_shapes([a.shape_id, b.shape_id])
    host.union_shapes([inner, c.shape_id])
    empty = host._register_shape(ShapeType.UNION, None, q.BooleanProperties(), (0, 0, 0), None)
    depth = len(host._undo_redo._undo_stack)
    host.log.clear()
    for sid in (c.shape_id, "nope", inner, empty.shape_id):
        assert host.decompose_shape(sid) == []
    assert host.log == [] and len(host._undo_redo._undo_stack) == depth


def test_decompose_passes_over_a_component_no_longer_registered(host):
    a, b = overlapping_pair(host)
    u = host.union_shapes([a.shape_id, b.shape_id])
    host._apply_state({a.shape_id: None})  # a state that leaves the union listing it
    host.log.clear()
    assert host.decompose_shape(u) == [b.shape_id]
    assert host.events() == [("undo_redo", True, False), ("removed", u), ("created", b.shape_id)]
    host.undo()
    assert a.shape_id not in host._shapes and b.parent_id == u
    host.redo()
    assert host.get_all_shape_ids() == [b.shape_id]


# ---- the sketch plane service ----

def test_any_object_with_the_operations_serves():
    svc = RecordingService()
    h = Host("p", None, svc)
    assert h._fandor is svc
    h.create_rectangle(0, 0, filled=False)
    h.create_circle(0, 0, filled=False)
    h.create_sketch_polyline([(0, 0), (1, 0), (1, 1)], closed=True, filled=True)
    assert svc.calls == [("create_rectangle_on_plane", {"filled": False}),
                         ("create_circle_on_plane", {"filled": False}),
                         ("create_polyline_on_plane", {"closed": True, "filled": True})]
    bad = RecordingService(create_rectangle_on_plane=["not a shape"])
    with pytest.raises(TypeError):
        Host("p", None, bad).create_rectangle(0, 0)


def test_a_fandor_subclass_override_is_used():
    class Small(Fandor):
        def create_rectangle_on_plane(self, plane_props, u, v, width, height, filled=True):
            return super().create_rectangle_on_plane(plane_props, u, v, width / 2, height / 2, filled=filled)

    plane = q.PlaneProperties()
    h = Host("p", plane, Small())
    assert k.area(h.create_rectangle(0, 0, 10.0, 10.0).shape) == pytest.approx(25.0)


def test_the_geometry_manager_commits_a_sketch_from_this_manager():
    from nimbal.enums import StandardPlane
    from nimbal.managers.corvath import CoreCorvath

    geo = CoreCorvath()
    plane = geo.create_plane_from_standard(StandardPlane.XY)
    sketch = geo.create_sketch(plane.shape_id)
    h = Host(plane.shape_id, plane.properties)
    a, b = overlapping_pair(h)
    h.union_shapes([a.shape_id, b.shape_id])
    h.create_line((0, 0), (0, 0))  # no geometry: not copied
    assert geo.commit_sketch(sketch.shape_id, h) is True
    committed = geo.get_shape(sketch.shape_id)
    assert len(committed.components) == 1 and len(committed.components[0].components) == 2
    assert k.area(committed.shape) == pytest.approx(300.0)
    assert len(h._shapes) == 4  # the sketch manager is only read
