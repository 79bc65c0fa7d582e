import math

import pytest

from manager_fixtures import CorvathHost as Host, RecordingDrulen as RecordingService, bbox
from nimbal import kernel as k
from nimbal.enums import ShapeType
from nimbal.models import quenby as q
from nimbal.services.drulen import Drulen


@pytest.fixture
def host():
    return Host()


def cube(host, a=10.0, x=0.0, color=(0.7, 0.75, 0.8)):
    return host.create_shape(ShapeType.BOX, q.BoxProperties(width=a, height=a, depth=a,
                                                            translation=q.Translation(x=x)), color)


def rect(host, w=60.0, h=40.0):
    return host.create_shape(ShapeType.RECTANGLE, q.RectangleProperties(width=w, height=h))


def corner_path(host):
    return host.create_shape(ShapeType.POLYLINE, q.PolylineProperties(points=[(0, 0, 0), (40, 0, 0), (40, 30, 0)]))


def filleted_cube_volume(a, r):
    return a ** 3 - 12 * r * r * (1 - math.pi / 4) * (a - 2 * r) - 8 * r ** 3 * (1 - math.pi / 6)


# name, inputs builder, operation, measure, expected value, expected bounds
MAIN_ROAD = [
    ("union", lambda h: [cube(h), cube(h, x=5.0)],
     lambda h, ids: h.union_shapes(ids), k.volume, 1500.0, (-5, -5, -5, 10, 5, 5)),
    ("subtraction", lambda h: [cube(h), cube(h, x=5.0)],
     lambda h, ids: h.subtract_shapes(ids), k.volume, 500.0, (-5, -5, -5, 0, 5, 5)),
    ("array", lambda h: [cube(h)],
     lambda h, ids: h.create_shape_array(ids[0], q.ArrayProperties(count_x=3, count_y=2, spacing_x=20.0,
                                                                   spacing_y=20.0)),
     k.volume, 6000.0, (-5, -5, -5, 45, 25, 5)),
    ("fillet", lambda h: [cube(h)],
     lambda h, ids: h.fillet_shape(ids[0], q.FilletProperties(fillet_radius=1.0)),
     k.volume, filleted_cube_volume(10.0, 1.0), (-5, -5, -5, 5, 5, 5)),
    ("corner round", lambda h: [rect(h)],
     lambda h, ids: h.corner_round_shape(ids[0], q.CornerRoundProperties(corner_radius=5.0)),
     k.area, 2400 - 4 * 25 * (1 - math.pi / 4), (-30, -20, 0, 30, 20, 0)),
    ("polyline round", lambda h: [corner_path(h)],
     lambda h, ids: h.polyline_round_shape(ids[0], q.PolylineRoundProperties(corner_radius=5.0)),
     k.length, 70 - 10 + math.pi / 2 * 5, (0, 0, 0, 40, 30, 0)),
    ("extrude", lambda h: [rect(h)],
     lambda h, ids: h.extrude_shape(ids[0], q.ExtrudeProperties(depth=20.0, translation=q.Translation(z=10.0))),
     k.volume, 48000.0, (-30, -20, 10, 30, 20, 30)),
]


@pytest.mark.parametrize("name, build, op, measure, value, bounds", MAIN_ROAD, ids=[m[0] for m in MAIN_ROAD])
def test_main_road(host, name, build, op, measure, value, bounds):
    inputs = build(host)
    ids = [i.shape_id for i in inputs]
    rid = op(host, ids)
    assert rid is not None
    result = host.get_shape(rid)
    assert measure(result.shape) == pytest.approx(value, rel=1e-4)
    assert bbox(result.shape) == pytest.approx(bounds, abs=1e-4)
    assert all(i.parent_id == rid for i in inputs) and list(result.components) == inputs
    assert host.get_all_shape_ids() == [rid] and result.parent_id is None
    assert result.color == inputs[0].color

    host.undo()
    assert rid not in host._shapes and host.get_all_shape_ids() == ids
    assert all(host.get_shape(i) is obj and obj.parent_id is None for i, obj in zip(ids, inputs))
    host.redo()
    again = host.get_shape(rid)
    assert host.get_all_shape_ids() == [rid]
    assert [c.shape_id for c in again.components] == ids
    assert all(host.get_shape(i) is obj and obj.parent_id == rid for i, obj in zip(ids, inputs))
    assert measure(again.shape) == pytest.approx(value, rel=1e-4)


def test_hook_order_of_a_union_and_its_command(host):
    a, b = cube(host, color=(1, 0, 0)), cube(host, x=5.0, color=(0, 1, 0))
    host.log.clear()
    uid = host.union_shapes([a.shape_id, b.shape_id])
    assert host.events() == [("enter", "Computing boolean union..."), ("exit", "Computing boolean union..."),
                             ("removed", a.shape_id), ("removed", b.shape_id), ("created", uid),
                             ("undo_redo", True, False)]
    cmd = host._undo_stack[-1]
    assert cmd.description == "Union shapes"
    assert list(cmd.before) == [a.shape_id, b.shape_id, uid] and cmd.before[uid] is None
    assert cmd.before[a.shape_id].parent_id is None and cmd.after[a.shape_id].parent_id == uid
    assert host.get_shape(uid).name == "Union_1" and host.get_shape(uid).color == (1.0, 0.0, 0.0)
    assert type(host.get_shape(uid).properties) is q.BooleanProperties


def test_boolean_input_selection(host):
    a, b, c = cube(host), cube(host, x=5.0), cube(host, x=20.0)
    fid = host.fillet_shape(c.shape_id, q.FilletProperties())
    host.log.clear()
    assert host.union_shapes([]) is None and host.union_shapes([a.shape_id]) is None
    assert host.union_shapes([a.shape_id, "missing"]) is None
    assert host.union_shapes([a.shape_id, c.shape_id]) is None  # c is hidden
    assert host.log == []
    sid = host.subtract_shapes([c.shape_id, a.shape_id, b.shape_id])
    assert k.volume(host.get_shape(sid).shape) == pytest.approx(500)
    assert host.get_shape(c.shape_id).parent_id == fid
    assert [e for e in host.events() if e[0] == "removed"] == [
        ("removed", c.shape_id), ("removed", a.shape_id), ("removed", b.shape_id)]


# A host's selection lists an object once per picked edge or face: each id
# is taken once, at its first place.
@pytest.mark.parametrize("op, volume", [("union_shapes", 1500.0), ("subtract_shapes", 500.0)])
@pytest.mark.parametrize("given, taken", [("aa", ""), ("aba", "ab"), ("aab", "ab")])
def test_a_repeated_id_is_taken_once(host, op, volume, given, taken):
    named = {"a": cube(host), "b": cube(host, x=5.0)}
    depth = host.undo_depth()
    host.log.clear()
    rid = getattr(host, op)([named[c].shape_id for c in given])
    if not taken:  # one distinct input: nothing, as for a list of one id
        assert rid is None and host.log == [] and host.undo_depth() == depth
        assert named["a"].parent_id is None and host.get_all_shape_ids() == [named["a"].shape_id,
                                                                            named["b"].shape_id]
        return
    result = host.get_shape(rid)
    assert list(result.components) == [named[c] for c in taken]
    assert k.volume(result.shape) == pytest.approx(volume) and k.is_valid(result.shape)
    assert [e for e in host.events() if e[0] == "removed"] == [("removed", named[c].shape_id) for c in taken]
    cmd = host._undo_stack[-1]
    assert list(cmd.before) == list(cmd.after) == [named[c].shape_id for c in taken] + [rid]
    host.undo()
    assert host.get_all_shape_ids() == [named["a"].shape_id, named["b"].shape_id]


@pytest.mark.parametrize("op, fails, title, message, scoped", [
    (lambda h, ids: h.union_shapes(ids), "fuse_shapes", "Boolean Union",
     "The shapes could not be fused. They may be invalid or non-manifold.", "inside"),
    (lambda h, ids: h.subtract_shapes(ids), "cut_shapes", "Boolean Subtraction",
     "The shapes could not be subtracted. They may be invalid or non-manifold.", "inside"),
    (lambda h, ids: h.create_shape_array(ids[0], q.ArrayProperties()), "create_array_compound", "Create Array",
     "The shape array could not be built.", "after"),
    (lambda h, ids: h.fillet_shape(ids[0], q.FilletProperties()), "apply_fillet", "Apply Fillet",
     "The fillet could not be applied. The radius may be too large for the selected edges.", "after"),
    (lambda h, ids: h.corner_round_shape(ids[0], q.CornerRoundProperties()), "apply_corner_round",
     "Apply Corner Round",
     "The corner rounding could not be applied. The radius may be too large for the selected vertices.", None),
    (lambda h, ids: h.polyline_round_shape(ids[0], q.PolylineRoundProperties()), "apply_polyline_round",
     "Apply Polyline Round",
     "The polyline rounding could not be applied. The radius may be too large for the selected vertices.", None),
    (lambda h, ids: h.extrude_shape(ids[0], q.ExtrudeProperties()), "extrude_shape", "Extrude Shape",
     "The extrude could not be applied. The depth may be zero or the source shape is invalid.", "after"),
    (lambda h, ids: h.split_to_faces(ids[0]), "explode_to_faces", "Split to Faces",
     "No faces could be extracted from the shape.", "after"),
])
def test_kernel_failures(op, fails, title, message, scoped):
    svc = RecordingService()
    host = Host(svc)
    inputs = [cube(host), cube(host, x=5.0), cube(host, x=9.0)]
    ids = [i.shape_id for i in inputs]
    depth = host.undo_depth()
    svc.none_for.add(fails)
    host.log.clear()
    assert op(host, ids) in (None, [])
    events = host.events()
    assert [e for e in events if e[0] == "failed"] == [("failed", title, message)]
    assert [e[0] for e in events if e[0] not in ("enter", "exit", "failed")] == []
    if scoped == "inside":
        assert [e[0] for e in events] == ["enter", "failed", "exit"]
        assert svc.calls.count(fails) == 1  # stopped at the first failing step
    elif scoped == "after":
        assert [e[0] for e in events] == ["enter", "exit", "failed"]
    else:
        assert [e[0] for e in events] == ["failed"]
    assert host.undo_depth() == depth and host.get_all_shape_ids() == ids
    assert all(i.parent_id is None for i in inputs)


# A shape the kernel builds without complaint and its checker refuses.
BROKEN = Drulen.create_sphere(1e-300)


class BreakingService(RecordingService):
    """Answers BROKEN for the operations named in `breaks`."""

    def __init__(self):
        self.breaks = set()
        super().__init__()

    def _op(self, name):
        real = super()._op(name)

        def call(*args):
            out = real(*args)
            return BROKEN if name in self.breaks else out
        return call


# What the kernel answers successfully but invalid takes the failure path of
# the operation, as an answer of none does. An array only places copies of
# its registered base and is not checked.
@pytest.mark.parametrize("op, fails, title, scoped", [
    (lambda h, ids: h.union_shapes(ids), "fuse_shapes", "Boolean Union", True),
    (lambda h, ids: h.subtract_shapes(ids), "cut_shapes", "Boolean Subtraction", True),
    (lambda h, ids: h.fillet_shape(ids[0], q.FilletProperties()), "apply_fillet", "Apply Fillet", True),
    (lambda h, ids: h.corner_round_shape(ids[0], q.CornerRoundProperties()), "apply_corner_round",
     "Apply Corner Round", False),
    (lambda h, ids: h.polyline_round_shape(ids[0], q.PolylineRoundProperties()), "apply_polyline_round",
     "Apply Polyline Round", False),
    (lambda h, ids: h.extrude_shape(ids[0], q.ExtrudeProperties()), "extrude_shape", "Extrude Shape", True),
])
def test_invalid_kernel_results_are_failures(op, fails, title, scoped):
    assert not k.is_valid(BROKEN)
    svc = BreakingService()
    host = Host(svc)
    inputs = [cube(host), cube(host, x=5.0), cube(host, x=9.0)]
    ids = [i.shape_id for i in inputs]
    depth = host.undo_depth()
    svc.breaks.add(fails)
    host.log.clear()
    assert op(host, ids) is None
    events = host.events()
    assert [e[0] for e in events] == (["enter", "exit"] if scoped else []) + ["failed"]
    assert events[-1][1] == title
    assert host.undo_depth() == depth and host.get_all_shape_ids() == ids
    assert all(i.parent_id is None for i in inputs) and len(host._shapes) == 3


# A recomputation whose result is invalid changes nothing: not the shape,
# not the edited record, not the undo history.
@pytest.mark.parametrize("build, fails, edit", [
    (lambda h, a, b: h.fillet_shape(a.shape_id, q.FilletProperties(fillet_radius=1.0)), "apply_fillet",
     lambda h, a, b, rid: h.update_shape(rid, q.FilletProperties(fillet_radius=1.5))),
    (lambda h, a, b: h.union_shapes([a.shape_id, b.shape_id]), "fuse_shapes",
     lambda h, a, b, rid: h.update_shape(rid, q.BooleanProperties())),
    (lambda h, a, b: h.union_shapes([a.shape_id, b.shape_id]), "fuse_shapes",
     lambda h, a, b, rid: h.update_shape(a.shape_id, q.BoxProperties(width=12.0, height=10.0, depth=10.0))),
    (lambda h, a, b: h.fillet_shape(a.shape_id, q.FilletProperties(fillet_radius=1.0)), "apply_fillet",
     lambda h, a, b, rid: h.update_shape(a.shape_id, q.BoxProperties(width=12.0, height=10.0, depth=10.0))),
], ids=["fillet", "union", "union component", "fillet component"])
def test_invalid_recomputations_change_nothing(build, fails, edit):
    svc = BreakingService()
    host = Host(svc)
    a, b = cube(host), cube(host, x=5.0)
    rid = build(host, a, b)
    tree = {i: (s.shape, s.properties) for i, s in host._shapes.items()}
    depth = host.undo_depth()
    svc.breaks.add(fails)
    assert not edit(host, a, b, rid)
    assert {i: (s.shape, s.properties) for i, s in host._shapes.items()} == tree
    assert host.undo_depth() == depth and k.is_valid(host.get_shape(rid).shape)


def box_and_two_tori(host):
    box = host.create_shape(ShapeType.BOX, q.BoxProperties(width=20.0, height=20.0, depth=20.0))
    tori = [host.create_shape(ShapeType.TORUS, q.TorusProperties(major_radius=8.0, minor_radius=2.0,
                                                                 translation=q.Translation(*t)))
            for t in ((8.0, 6.0, 0.0), (-10.0, 6.0, -10.0))]
    uid = host.union_shapes([box.shape_id] + [t.shape_id for t in tori])
    assert k.is_valid(host.get_shape(uid).shape)
    return uid


def test_an_invalid_fillet_of_a_valid_union_is_not_registered():
    # The kernel's fillet of edges 2 and 3 of this union reports success with
    # a shape its checker refuses (seen on shapes of its own, as an attempt
    # leaves its mark on the shape it was given: a second one gives none).
    fused = Drulen.unify_same_domain(Drulen.fuse_shapes(Drulen.fuse_shapes(
        Drulen.create_box(20, 20, 20), Drulen.translate_shape(Drulen.create_torus(8, 2), 8, 6, 0)),
        Drulen.translate_shape(Drulen.create_torus(8, 2), -10, 6, -10)))
    broken = Drulen.apply_fillet(fused, 1.0, [2, 3])
    assert broken is not None and not k.is_valid(broken)

    host = Host()
    uid = box_and_two_tori(host)
    depth, shapes = host.undo_depth(), dict(host._shapes)
    host.log.clear()
    assert host.fillet_shape(uid, q.FilletProperties(fillet_radius=1.0, edge_indices=[2, 3])) is None
    assert host.events() == [("enter", "Applying fillet..."), ("exit", "Applying fillet..."), (
        "failed", "Apply Fillet", "The fillet could not be applied. The radius may be too large for the selected "
                                  "edges.")]
    assert dict(host._shapes) == shapes and host.undo_depth() == depth and host.get_all_shape_ids() == [uid]



def test_editing_a_fillet_into_an_invalid_one_changes_nothing():
    # Edge 9 of the same union fillets well.
    host = Host()
    uid = box_and_two_tori(host)
    fid = host.fillet_shape(uid, q.FilletProperties(fillet_radius=1.0, edge_indices=[9]))
    fillet = host.get_shape(fid)
    good, depth = fillet.shape, host.undo_depth()
    assert k.is_valid(good)
    assert not host.update_shape(fid, q.FilletProperties(fillet_radius=1.0, edge_indices=[2, 3]))
    assert fillet.shape == good and list(fillet.properties.edge_indices) == [9] and host.undo_depth() == depth


def test_modifier_rules(host):
    assert host.fillet_shape("missing", q.FilletProperties()) is None
    b = cube(host)
    fid = host.fillet_shape(b.shape_id, q.FilletProperties(fillet_radius=1.0, translation=q.Translation(x=50.0)))
    assert bbox(host.get_shape(fid).shape)[0] == pytest.approx(45)  # placed by its record
    host.log.clear()
    assert host.fillet_shape(b.shape_id, q.FilletProperties()) is None and host.log == []
    aid = host.create_shape_array(fid, q.ArrayProperties(count_x=0))
    empty = host.get_shape(aid).shape
    assert empty is not None and k.sub_shapes(empty, k.TopAbs_SOLID) == []
    assert list(host._undo_stack[-1].after) == [fid, aid]
    assert host.get_all_shape_ids() == [aid]
    assert [m.shape_id for m in host.get_modifier_chain(aid)] == [b.shape_id, fid, aid]
    assert host.get_base_shape(aid) is b
    assert host.get_shape(aid).name == "Array_1"
    with pytest.raises(AttributeError):
        host.extrude_shape(cube(host).shape_id, q.FilletProperties())


def test_corner_round_opens_no_scope(host):
    r = rect(host)
    host.log.clear()
    cid = host.corner_round_shape(r.shape_id, q.CornerRoundProperties(corner_radius=2.0))
    assert [e[0] for e in host.events()] == ["removed", "created", "undo_redo"]
    assert host.get_shape(cid).name == "Corner_round_1"


# ---- editing and queries ----

def nested(host):
    """A union of a fillet of a box and a sphere."""
    b = cube(host)
    fid = host.fillet_shape(b.shape_id, q.FilletProperties(fillet_radius=1.0))
    sphere = host.create_shape(ShapeType.SPHERE, q.SphereProperties(radius=4.0))
    uid = host.union_shapes([fid, sphere.shape_id])
    return uid, fid, b.shape_id, sphere.shape_id


def test_remove_of_a_nested_tree_and_its_undo(host):
    uid, fid, bid, sid = nested(host)
    host.log.clear()
    assert not host.remove_shape(fid) and not host.remove_shape("missing")
    assert host.remove_shape(uid)
    assert len(host._shapes) == 0
    assert host.events() == [("undo_redo", True, False), ("removed", uid)]
    cmd = host._undo_stack[-1]
    assert cmd.description == "Remove Union_1"
    assert list(cmd.before) == [uid, fid, bid, sid] and list(cmd.after) == [uid, fid, bid, sid]
    assert all(v is None for v in cmd.after.values())
    host.undo()
    assert set(host._shapes) == {uid, fid, bid, sid} and host.get_all_shape_ids() == [uid]
    assert [c.shape_id for c in host.get_shape(uid).components] == [fid, sid]


def test_decompose_of_a_nested_tree_and_its_undo(host):
    uid, fid, bid, sid = nested(host)
    box_id = cube(host).shape_id
    host.log.clear()
    assert host.decompose_shape(box_id) == [] and host.decompose_shape(fid) == []
    assert host.log == []
    assert host.decompose_shape(uid) == [fid, sid]
    assert host.events() == [("undo_redo", True, False), ("removed", uid), ("created", fid), ("created", sid)]
    assert host.get_shape(fid).parent_id is None and host.get_shape(bid).parent_id == fid
    after = host._undo_stack[-1].after
    assert list(after) == [uid, fid, bid, sid] and after[fid].parent_id is None
    host.undo()
    assert host.get_all_shape_ids() == [box_id, uid]
    assert host.get_shape(fid).parent_id == uid
    host.redo()
    assert set(host.get_all_shape_ids()) == {box_id, fid, sid}


def test_colour_and_rename(host):
    uid, fid, bid, sid = nested(host)
    host.log.clear()
    assert host.update_shape_color(fid, (1, 0, 0)) and host.get_shape(fid).color == (1.0, 0.0, 0.0)
    # a hidden component's colour is a command of its own, as a top-level shape's is
    assert host.events() == [("undo_redo", True, False), ("updated", fid)]
    assert host._undo_stack[-1].description == "Change color of Fillet_1"
    assert not host.update_shape_color("missing", (0, 0, 0))
    assert host.update_shape_color(uid, (0, 0, 1))
    assert host.events() == [("undo_redo", True, False), ("updated", uid)]
    assert host._undo_stack[-1].description == "Change color of Union_1"
    depth = host.undo_depth()
    assert host.rename_shape(uid, "  Part  ") and host.get_shape(uid).name == "Part"
    assert host._undo_stack[-1].description == "Rename Union_1 to Part"
    assert host.rename_shape(uid, "Part") and host.undo_depth() == depth + 1
    assert not host.rename_shape(uid, "   ") and not host.rename_shape("missing", "x")
    assert host.rename_shape(bid, "Box_7")  # hidden components are renamed with undo and a hook
    assert host.events()[-1] == ("updated", bid)
    assert host._generate_shape_name(ShapeType.BOX) == "Box_8"
    host.undo()
    assert host.get_shape(bid).name == "Box_1"


def test_queries(host):
    uid, fid, bid, sid = nested(host)
    assert host.get_all_shape_ids() == [uid] and host.get_shape(bid).parent_id == fid
    assert host.get_shape("missing") is None
    assert host.get_base_shape(uid).shape_id == uid
    u2 = host.union_shapes([cube(host, x=30).shape_id, cube(host, x=35).shape_id])
    f2 = host.fillet_shape(u2, q.FilletProperties(fillet_radius=0.5))
    assert host.get_base_shape(f2).shape_id == u2
    assert [m.shape_id for m in host.get_modifier_chain(f2)] == [u2, f2]
    assert host.get_modifier_chain("missing") == [] and host.get_base_shape("missing") is None


def test_clear_all_with_undo_and_redo(host):
    uid, fid, bid, sid = nested(host)
    host.log.clear()
    host.clear_all()
    assert host.events() == [("undo_redo", True, False), ("cleared",)] and len(host._shapes) == 0
    cmd = host._undo_stack[-1]
    assert cmd.description == "Clear all" and cmd.redo_clears_all
    assert list(cmd.before) == [bid, fid, sid, uid]
    host.undo()
    assert set(host._shapes) == {uid, fid, bid, sid} and host.get_all_shape_ids() == [uid]
    assert [e for e in host.events() if e[0] == "created"] == [("created", uid)]
    host.redo()
    assert host.events() == [("cleared",), ("undo_redo", True, False)]
    empty = Host()
    empty.clear_all()
    assert empty._undo_stack[-1].description == "Clear all" and len(empty._undo_stack[-1].before) == 0


# ---- split to faces ----

def test_split_a_box_into_faces_and_undo(host):
    b = cube(host, color=(0.2, 0.3, 0.4))
    host.log.clear()
    faces = host.split_to_faces(b.shape_id)
    assert len(faces) == 6 and b.shape_id not in host._shapes
    shapes = [host.get_shape(f) for f in faces]
    assert [s.name for s in shapes] == [f"Box_1_Face_{i}" for i in range(1, 7)]
    assert all(s.shape_type == ShapeType.FACE and s.color == (0.2, 0.3, 0.4) for s in shapes)
    assert all(type(s.properties) is q.FaceProperties and s.properties is not shapes[0].properties or s is shapes[0]
               for s in shapes)
    assert sum(k.area(s.shape) for s in shapes) == pytest.approx(600)
    ev = host.events()
    assert ev[:3] == [("enter", "Splitting to faces..."), ("exit", "Splitting to faces..."), ("removed", b.shape_id)]
    assert [e[0] for e in ev[3:]] == ["created"] * 6 + ["undo_redo"]
    cmd = host._undo_stack[-1]
    assert cmd.description == "Split Box_1 to faces" and list(cmd.before) == [b.shape_id] + faces
    host.undo()
    assert host.get_all_shape_ids() == [b.shape_id]
    host.redo()
    assert host.get_all_shape_ids() == faces


def test_split_refusals_and_subtrees(host):
    r = rect(host)
    b = cube(host)
    fid = host.fillet_shape(b.shape_id, q.FilletProperties())
    host.log.clear()
    for sid in ("missing", r.shape_id, b.shape_id):
        assert host.split_to_faces(sid) == []
    assert host.log == []
    faces = host.split_to_faces(fid)
    assert len(faces) == 26 and b.shape_id not in host._shapes and fid not in host._shapes
    assert list(host._undo_stack[-1].before)[:2] == [fid, b.shape_id]


# ---- export ----

@pytest.mark.parametrize("fmt", ["step", "iges"])
def test_exports_round_trip(host, tmp_path, fmt):
    a = cube(host)
    b = host.create_shape(ShapeType.SPHERE, q.SphereProperties(radius=3.0, translation=q.Translation(x=20)))
    host.create_arbitrary_plane()
    all_path, one_path = str(tmp_path / f"all.{fmt}"), str(tmp_path / f"one.{fmt}")
    host.log.clear()
    assert getattr(host, f"export_shapes_to_{fmt}")(all_path)
    assert getattr(host, f"export_shape_to_{fmt}")(b.shape_id, one_path)
    text = "Exporting to STEP..." if fmt == "step" else "Exporting to IGES..."
    assert host.events() == [("enter", text), ("exit", text)] * 2
    back = Drulen().import_file(all_path)
    expected = k.volume(a.shape) + k.volume(b.shape)
    if fmt == "step":
        assert k.volume(back) == pytest.approx(expected, rel=1e-3)
    else:  # IGES carries faces; the area is what survives
        assert k.area(back) == pytest.approx(k.area(a.shape) + k.area(b.shape), rel=1e-3)
    one = Drulen().import_file(one_path)
    assert bbox(one) == pytest.approx(bbox(b.shape), abs=1e-3)


def test_export_of_nothing_or_of_a_plane(host, tmp_path):
    plane = host.create_arbitrary_plane()
    host.log.clear()
    assert not host.export_shape_to_step(plane.shape_id, str(tmp_path / "p.step"))
    assert not host.export_shape_to_iges("missing", str(tmp_path / "p.igs"))
    assert host.log == []
    svc = RecordingService()
    only_planes = Host(svc)
    only_planes.create_arbitrary_plane()
    only_planes.export_shapes_to_step(str(tmp_path / "empty.step"))
    assert svc.calls[-1] == "export_shapes_to_step"
