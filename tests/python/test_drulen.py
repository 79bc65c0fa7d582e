import logging
import math

import pytest

from nimbal import kernel as k
from nimbal.services import drulen
from nimbal.services.drulen import Drulen

D = Drulen
LOGGER = "nimbal.services.drulen"


def faces(s):
    return k.sub_shapes(s, k.TopAbs_FACE)


def edges(s):
    return k.sub_shapes(s, k.TopAbs_EDGE)


def vertices(s):
    return k.sub_shapes(s, k.TopAbs_VERTEX)


def records(caplog):
    return [(r.levelno, r.getMessage(), r.exc_info is not None and r.exc_info[1] is not None)
            for r in caplog.records if r.name == LOGGER]


def bbox(s):
    return pytest.approx(k.bounding_box(s), abs=1e-6)


# ---------------------------------------------------------------- module frame

def test_module_frame():
    assert drulen.logger is logging.getLogger(LOGGER)
    assert Drulen.__bases__ == (Drulen.__mro__[1],) and "DrulenProtocol" not in [c.__name__ for c in Drulen.__mro__]
    assert isinstance(Drulen(), drulen.DrulenProtocol)
    assert Drulen._STANDARD_PLANE_NORMALS == {"xy": (0.0, 0.0, 1.0), "xz": (0.0, 1.0, 0.0), "yz": (1.0, 0.0, 0.0)}
    assert list(Drulen._STANDARD_PLANE_NORMALS) == ["xy", "xz", "yz"]

    names = [n for n in dir(drulen.DrulenProtocol) if not n.startswith("_")]
    full = type("Full", (), {n: (lambda self, *a: None) for n in names})
    lacking = type("Lacking", (), {n: (lambda self, *a: None) for n in names if n != "extrude_shape"})
    assert isinstance(full(), drulen.DrulenProtocol)
    assert not isinstance(lacking(), drulen.DrulenProtocol)


def test_members_and_keywords():
    protocol = [n for n in drulen.DrulenProtocol.__dict__ if not n.startswith("_")]
    assert len(protocol) == 24
    members = protocol + ["scale_shape", "intersect_shapes", "_fillet2d_face", "_apply_corner_round_wire",
                          "export_step", "_import_with_reader", "export_iges"]
    assert all(callable(getattr(Drulen, n)) for n in members) and len(set(members)) == 31
    # Keywords by their names; static ones on the class and on an instance alike.
    a = D.create_cone(radius1=2, radius2=1, height=3, position=(0, 0, 0), direction=(0, 0, -1))
    b = Drulen().create_cone(2, 1, 3, (0, 0, 0), (0, 0, -1))
    assert k.bounding_box(a) == pytest.approx(k.bounding_box(b))
    s = D.create_sphere(radius=1)
    assert k.bounding_box(Drulen().translate_shape(shape=s, dx=1, dy=2, dz=3)) == bbox(D.translate_shape(s, 1, 2, 3))
    c = Drulen().create_array_compound(base_shape=s, count=(2, 1, 1), spacing=(3, 0, 0))
    assert c.NbChildren() == 2


# ---------------------------------------------------------------- primitives

def test_primitives_measure():
    pi = math.pi
    cases = [
        (D.create_box(2, 4, 6), 48, (-1, -2, -3, 1, 2, 3), 6, 12),
        (D.create_box(2, 4, 6, (1, 2, 3)), 48, (0, 0, 0, 2, 4, 6), 6, 12),
        (D.create_sphere(2), 4 / 3 * pi * 8, (-2, -2, -2, 2, 2, 2), 1, None),
        (D.create_sphere(1, (5, 0, 0)), 4 / 3 * pi, (4, -1, -1, 6, 1, 1), 1, None),
        (D.create_cylinder(1, 10), pi * 10, (-1, -1, -5, 1, 1, 5), 3, 3),
        (D.create_cylinder(1, 10, direction=(0, 0, 2)), pi * 10, (-1, -1, -5, 1, 1, 5), 3, 3),
        (D.create_cylinder(1, 10, direction=(1, 0, 0)), pi * 10, (-5, -1, -1, 5, 1, 1), 3, 3),
        (D.create_cone(2, 1, 3), pi * 3 / 3 * (4 + 2 + 1), (-2, -2, 0, 2, 2, 3), 3, 3),
        (D.create_cone(2, 1, 3, direction=(0, 0, -1)), 7 * pi, (-2, -2, -3, 2, 2, 0), 3, 3),
        (D.create_torus(5, 1), 2 * pi ** 2 * 5, (-6, -6, -1, 6, 6, 1), 1, None),
    ]
    for shape, volume, box, nfaces, nedges in cases:
        assert k.is_valid(shape)
        assert k.volume(shape) == pytest.approx(volume, rel=1e-6)
        assert k.bounding_box(shape) == pytest.approx(box, abs=1e-6)
        assert len(faces(shape)) == nfaces
        if nedges is not None:
            assert len(edges(shape)) == nedges
    # The integer defaults give the same shape as the equal reals.
    assert k.bounding_box(D.create_box(1, 2, 3)) == bbox(D.create_box(1.0, 2.0, 3.0, (0.0, 0.0, 0.0)))


def test_planar_primitives():
    r = D.create_rectangle(4, 2)
    assert type(r) is k.TopoDS_Face and k.area(r) == pytest.approx(8)
    assert k.bounding_box(r) == bbox(D.translate_shape(r, 0, 0, 0))
    assert k.bounding_box(r) == pytest.approx((-2, -1, 0, 2, 1, 0), abs=1e-6)
    assert D.plane_params_from_face(r) == ((0.0, 0.0, 0.0), (0.0, 0.0, 1.0))
    c = D.create_circle(3)
    assert type(c) is k.TopoDS_Face and k.area(c) == pytest.approx(9 * math.pi)
    assert len(edges(c)) == 1 and k.length(c) == pytest.approx(6 * math.pi)
    assert k.bounding_box(c) == pytest.approx((-3, -3, 0, 3, 3, 0), abs=1e-6)


@pytest.mark.parametrize("call", [
    lambda: D.create_cylinder(1, 2, direction=(0, 0, 0)),
    lambda: D.create_cone(1, 0, 2, direction=(0, 0, 0)),
    lambda: D.create_torus(2, 1, direction=(0, 0, 0)),
    lambda: D.create_sphere(-1),
    lambda: D.create_sphere(float("nan")),
    lambda: D.create_box(float("inf"), 1, 1),
    lambda: D.create_circle(-1),
    lambda: D.create_circle(0),
    lambda: D.create_torus(1, float("nan")),
])
def test_builders_let_kernel_errors_through(call, capture_logs):
    with pytest.raises(k.KernelError):
        call()
    assert records(capture_logs) == []


def test_builders_malformed_points_raise():
    with pytest.raises(TypeError):
        D.create_box(1, 1, 1, (0, 0))
    with pytest.raises(TypeError):
        D.create_box("1", 1, 1)
    with pytest.raises(TypeError):
        D.translate_shape(None, 1, 2, 3)


# ---------------------------------------------------------------- transforms

def test_transforms():
    box = D.create_box(1, 1, 1, (0.5, 0.5, 0.5))
    moved = D.translate_shape(box, 0, 0, 0)
    assert moved is not box and not moved.IsSame(box)
    assert k.bounding_box(moved) == bbox(box)
    assert k.bounding_box(D.translate_shape(box, 1, 2, 3)) == pytest.approx((1, 2, 3, 2, 3, 4), abs=1e-6)
    v = D.translate_shape(vertices(box)[0], 0, 0, 0)
    v = D.translate_shape(v, *[-c for c in k.bounding_box(v)[:3]])  # vertex at the origin
    v1 = D.translate_shape(v, 1, 0, 0)
    assert k.bounding_box(D.rotate_shape(v1, (0, 0, 0), (0, 0, 1), 90))[:3] == pytest.approx((0, 1, 0), abs=1e-9)
    assert k.bounding_box(D.rotate_shape(v1, (0, 0, 0), (0, 0, 1), -90))[:3] == pytest.approx((0, -1, 0), abs=1e-9)
    with pytest.raises(k.KernelError):
        D.rotate_shape(box, (0, 0, 0), (0, 0, 0), 90)
    assert k.bounding_box(D.scale_shape(box, (0, 0, 0), 2)) == pytest.approx((0, 0, 0, 2, 2, 2), abs=1e-6)
    assert k.bounding_box(D.scale_shape(box, (1, 1, 1), 2)) == pytest.approx((-1, -1, -1, 1, 1, 1), abs=1e-6)
    with pytest.raises(k.KernelError):
        D.translate_shape(k.TopoDS_Shape(), 1, 0, 0)
    with pytest.raises(k.KernelError):
        D.scale_shape(box, (0, 0, 0), 0)


def test_rotation_order_x_then_y_then_z():
    # A box long in X, turned 90 about X, then Y, then Z (each about the
    # world axes through the origin): X-length ends along Y, Y along Z... measure.
    box = D.create_box(4, 2, 1, (2, 1, 0.5))          # spans 0..4, 0..2, 0..1
    s = D.rotate_shape(box, (0, 0, 0), (1, 0, 0), 90)   # y -> z: 0..4, -1..0, 0..2
    assert k.bounding_box(s) == pytest.approx((0, -1, 0, 4, 0, 2), abs=1e-6)
    s = D.rotate_shape(s, (0, 0, 0), (0, 1, 0), 90)     # z -> x, x -> -z
    assert k.bounding_box(s) == pytest.approx((0, -1, -4, 2, 0, 0), abs=1e-6)
    s = D.rotate_shape(s, (0, 0, 0), (0, 0, 1), 90)     # x -> y, y -> -x
    assert k.bounding_box(s) == pytest.approx((0, 0, -4, 1, 2, 0), abs=1e-6)
    assert k.volume(s) == pytest.approx(8)


# ---------------------------------------------------------------- booleans and derived

def test_booleans_and_unify():
    a = D.create_box(2, 2, 2, (1, 1, 1))
    b = D.create_box(1, 1, 1, (0.5, 0.5, 0.5))
    cut = D.cut_shapes(a, b)
    assert k.volume(cut) == pytest.approx(7) and k.is_valid(cut)
    assert len(faces(cut)) == 9
    assert k.volume(D.cut_shapes(b, a)) == pytest.approx(0)
    assert k.volume(D.intersect_shapes(a, b)) == pytest.approx(1)
    side = D.create_box(2, 2, 2, (3, 1, 1))
    fused = D.fuse_shapes(a, side)
    assert k.volume(fused) == pytest.approx(16)
    assert len(faces(fused)) == 10
    # Same-domain edges only: the faces the fuse split stay as they are.
    unified = D.unify_same_domain(fused)
    assert len(faces(unified)) == 10 and len(edges(unified)) == 20
    assert k.volume(unified) == pytest.approx(16) and k.is_valid(unified)


def torus_face(dx=0.0):
    return faces(D.translate_shape(D.create_torus(16, 2), dx, 0, 0))[0]


@pytest.mark.parametrize("op, dx", [(D.cut_shapes, -12.0), (D.fuse_shapes, 3.0)])
def test_unify_keeps_what_the_boolean_made(op, dx):
    """A face merge could leave a face with no boundary (two overlapping
    toroidal faces); the edge merge keeps every face the boolean made."""
    raw = op(torus_face(), torus_face(dx))
    unified = D.unify_same_domain(raw)
    assert faces(unified) and all(k.sub_shapes(f, k.TopAbs_WIRE) for f in faces(unified))
    assert k.is_valid(unified) and len(faces(unified)) == len(faces(raw))
    assert k.area(unified) == pytest.approx(k.area(raw), rel=1e-5)
    assert k.bounding_box(unified) == pytest.approx(k.bounding_box(raw), abs=1e-6)


def test_a_subtraction_of_overlapping_faces_can_be_measured():
    from nimbal.enums import ShapeType
    from nimbal.managers.corvath import CoreCorvath
    from nimbal.models import quenby as q
    mgr = CoreCorvath()
    ids = [mgr.split_to_faces(mgr.create_shape(ShapeType.TORUS, q.TorusProperties(
        major_radius=16.0, minor_radius=2.0, translation=q.Translation(x=dx))).shape_id)[0] for dx in (0.0, -12.0)]
    cut = mgr.get_shape(mgr.subtract_shapes(ids)).shape
    assert k.bounding_box(cut) == pytest.approx((-18, -18, -2, 18, 18, 2), abs=1e-3)
    assert all(k.sub_shapes(f, k.TopAbs_WIRE) for f in faces(cut)) and k.is_valid(cut)


def test_explode_to_faces_copies():
    box = D.create_box(1, 2, 3)
    parts = D.explode_to_faces(box)
    assert len(parts) == 6 and all(type(f) is k.TopoDS_Face for f in parts)
    assert not any(p.IsSame(f) for p, f in zip(parts, faces(box)))
    assert sum(k.area(p) for p in parts) == pytest.approx(k.area(box))
    assert [k.bounding_box(p) for p in parts] == [pytest.approx(k.bounding_box(f)) for f in faces(box)]
    assert D.explode_to_faces(D.create_polyline([(0, 0, 0), (1, 0, 0)])) == []


def test_array_placement_order():
    base = D.create_sphere(1)
    c = Drulen().create_array_compound(base, (2, 3, 1), (10, 5, 0))
    assert type(c) is k.TopoDS_Compound
    solids = k.sub_shapes(c, k.TopAbs_SOLID)
    centres = [tuple(round((lo + hi) / 2, 6) for lo, hi in zip(k.bounding_box(s)[:3], k.bounding_box(s)[3:]))
               for s in solids]
    assert centres == [(0, 0, 0), (0, 5, 0), (0, 10, 0), (10, 0, 0), (10, 5, 0), (10, 10, 0)]
    assert not any(s.IsSame(base) for s in solids)
    for count in [(0, 3, 3), (3, -1, 2)]:
        empty = Drulen().create_array_compound(base, count, (1, 1, 1))
        assert type(empty) is k.TopoDS_Compound and empty.NbChildren() == 0
    with pytest.raises(TypeError):
        Drulen().create_array_compound(base, (1, 1), (1, 1, 1))


def test_subclass_override_of_translate_moves_copies():
    calls = []

    class Shifted(Drulen):
        def translate_shape(self, shape, dx, dy, dz):
            calls.append((dx, dy, dz))
            return Drulen.translate_shape(shape, dx + 100, dy, dz)

        @staticmethod
        def _fillet2d_face(face, radius, target_vertices):
            raise AssertionError("static helpers are reached through Drulen itself")

    svc = Shifted()
    c = svc.create_array_compound(D.create_box(1, 1, 1), (2, 1, 1), (10, 0, 0))
    assert calls == [(0.0, 0.0, 0.0), (10.0, 0.0, 0.0)]
    assert k.bounding_box(c) == pytest.approx((99.5, -0.5, -0.5, 110.5, 0.5, 0.5), abs=1e-6)
    rounded = svc.apply_corner_round(D.create_rectangle(4, 2), 0.5)
    assert rounded is not None and k.area(rounded) == pytest.approx(8 - (4 - math.pi) * 0.25)

    class Broken(Drulen):
        def translate_shape(self, shape, dx, dy, dz):
            return None
    with pytest.raises(k.KernelError):
        Broken().create_array_compound(D.create_box(1, 1, 1), (1, 1, 1), (0, 0, 0))


def test_extrude():
    rect = D.create_rectangle(4, 2)
    cases = [(rect, 5, (-2, -1, 0, 2, 1, 5)), (rect, -5, (-2, -1, -5, 2, 1, 0)),
             (rect.Reversed(), 5, (-2, -1, -5, 2, 1, 0))]
    for shape, depth, box in cases:
        solid = D.extrude_shape(shape, depth)
        assert type(solid) is k.TopoDS_Solid and k.volume(solid) == pytest.approx(40)
        assert k.bounding_box(solid) == pytest.approx(box, abs=1e-6)
    wire = D.create_polyline([(0, 0, 0), (4, 0, 0), (4, 3, 0)], closed=True)
    shell = D.extrude_shape(wire, 5)
    assert type(shell) is k.TopoDS_Shell and k.bounding_box(shell) == pytest.approx((0, 0, 0, 4, 3, 5), abs=1e-6)
    assert D.extrude_shape(rect, 0) is None and D.extrude_shape(None, 5) is None


def test_extrude_wire_in_vertical_plane_sweeps_along_its_normal():
    # World Z lies inside these planes: sweeping along it would be degenerate.
    xz = D.create_polyline([(0, 0, 0), (4, 0, 0), (4, 0, 3)], closed=True)
    yz = D.create_polyline([(0, 0, 0), (0, 4, 0), (0, 4, 3)], closed=True)
    for wire, box in [(xz, (0, 0, 0, 4, 5, 3)), (yz, (0, 0, 0, 5, 4, 3))]:
        shell = D.extrude_shape(wire, 5)
        assert k.bounding_box(shell) == pytest.approx(box, abs=1e-6)
        assert k.area(shell) == pytest.approx(5 * k.length(wire))
    # No plane (a straight line): world Z, as before.
    line = D.create_polyline([(0, 0, 0), (4, 0, 0)])
    assert k.bounding_box(D.extrude_shape(line, 2)) == pytest.approx((0, 0, 0, 4, 0, 2), abs=1e-6)


# ---------------------------------------------------------------- fillets and rounds

def test_fillet_index_selection():
    box = D.create_box(10, 10, 10)
    all_edges = D.apply_fillet(box, 1)
    assert k.is_valid(all_edges) and len(faces(all_edges)) == 26
    assert k.volume(all_edges) < 1000
    two = D.apply_fillet(box, 1, [0, 0, 3])
    assert len(faces(two)) == 8
    one_by_keyword = D.apply_fillet(box, 1, edge_indices=(3,))
    assert len(faces(one_by_keyword)) == 7
    # A whole float is its index, as Python compares 3.0 equal to 3.
    assert k.volume(D.apply_fillet(box, 1, [3.0])) == pytest.approx(k.volume(one_by_keyword))
    lost = 1000 - k.volume(one_by_keyword)
    assert lost == pytest.approx(10 * (1 - math.pi / 4), rel=1e-3)
    # The two edges share a corner, whose blend takes a little less than twice.
    assert 1000 - 2 * lost < k.volume(two) < 1000 - lost
    # Order does not count.
    assert k.volume(D.apply_fillet(box, 1, [3, 0])) == pytest.approx(k.volume(two))


def test_fillet_selecting_nothing_takes_the_logged_path(capture_logs):
    # The kernel (7.6) throws on a build without edges.
    box = D.create_box(10, 10, 10)
    for selection in ([12], [-1], [2 ** 70], [0.5], [float("nan")]):
        capture_logs.clear()
        assert D.apply_fillet(box, 1, selection) is None
        [(level, msg, tb)] = records(capture_logs)
        assert level == logging.ERROR and msg.startswith("Error applying fillet: ") and tb


def test_corner_round_area():
    rect = D.create_rectangle(4, 2)
    cut = 0.25 * (1 - math.pi / 4)    # area lost at one corner of radius 0.5
    assert k.area(D.apply_corner_round(rect, 0.5)) == pytest.approx(8 - 4 * cut)
    assert k.area(D.apply_corner_round(rect, 0.5, [0, 0])) == pytest.approx(8 - cut)
    assert D.apply_corner_round(rect, 0.5, [5, 9]) is None
    # A solid: its first face alone comes back, rounded. (All vertices of the
    # solid, as [] selects, include some off that face: the kernel then fails.)
    assert D.apply_corner_round(D.create_box(4, 4, 4), 1) is None
    box = D.create_box(4, 4, 4)
    first = faces(box)[0]
    on_first = [i for i, v in enumerate(vertices(box)) if any(v == w for w in vertices(first))]
    got = D.apply_corner_round(box, 1, on_first)
    assert type(got) is k.TopoDS_Face and k.area(got) == pytest.approx(k.area(first) - 4 * (1 - math.pi / 4))


def test_polyline_round_of_compound_and_open_polyline():
    w = D.create_polyline([(0, 0, 0), (10, 0, 0), (10, 10, 0), (20, 10, 0)])
    r = D.apply_polyline_round(w, 2)
    assert len(edges(r)) == 5  # two inner junctions, sharp ends
    assert k.bounding_box(r) == pytest.approx((0, 0, 0, 20, 10, 0), abs=1e-6)
    two = Drulen().create_array_compound(w, (2, 1, 1), (0, 0, 50))
    got = D.apply_polyline_round(two, 2)
    assert len(edges(got)) == 5 and k.bounding_box(got)[5] == pytest.approx(0)


# The worked numbers of the wire rounding, and its refusals.
SQ = [(0, 0, 0), (10, 0, 0), (10, 10, 0), (0, 10, 0)]
WIRE_ROUNDS = [
    # points, closed, radius, indices, edge count or None, length or None, warnings
    ([(0, 0, 0), (10, 0, 0), (10, 10, 0)], False, 2, [], 3, 16 + math.pi, []),
    ([(0, 0, 0), (1, 0, 0), (1, 10, 0)], False, 2, [], None, None,
     ["apply_corner_round: radius too large at junction 1, skipping"]),
    ([(0, 0, 0), (10, 0, 0), (10, 3, 0), (0, 3, 0)], False, 2, [], None, None,
     ["apply_corner_round: arcs at junctions 1 and 2 overlap, both skipped"]),
    (SQ, True, 6, [], None, None,
     ["apply_corner_round: arcs at junctions 0 and 1 overlap, both skipped",
      "apply_corner_round: arcs at junctions 2 and 3 overlap, both skipped"]),
    (SQ, True, 4, [], 8, 8 + 8 * math.pi, []),
    ([(0, 0, 0), (5, 0, 0), (10, 0, 0)], False, 1, [], None, None, []),
    ([(0, 0, 0), (10, 0, 0)], False, 1, [], None, None, []),
    ([(0, 0, 0), (10, 0, 0), (10, 10, 0)], False, 2, [0, 2], None, None, []),  # ends only
    ([(0, 0, 0), (10, 0, 0), (10, 10, 0)], False, 2, [-1], None, None, []),
    # Three arcs, the first pair overlapping: the third stays.
    ([(0, 0, 0), (10, 0, 0), (10, 3, 0), (20, 3, 0), (20, 13, 0)], False, 2, [], 5, None,
     ["apply_corner_round: arcs at junctions 1 and 2 overlap, both skipped"]),
]


@pytest.mark.parametrize("points, closed, radius, indices, nedges, length, warnings", WIRE_ROUNDS)
def test_wire_rounding(points, closed, radius, indices, nedges, length, warnings, capture_logs):
    wire = D.create_polyline(points, closed)
    got = D.apply_polyline_round(wire, radius, indices)
    assert records(capture_logs) == [(logging.WARNING, w, False) for w in warnings]
    if nedges is None:
        assert got is None
        return
    assert type(got) is k.TopoDS_Wire and len(edges(got)) == nedges
    if length is not None:
        assert k.length(got) == pytest.approx(length)


def test_wire_rounding_worked_corner():
    wire = D.create_polyline([(0, 0, 0), (10, 0, 0), (10, 10, 0)])
    first, arc, last = edges(D.apply_polyline_round(wire, 2))
    assert k.bounding_box(first) == pytest.approx((0, 0, 0, 8, 0, 0), abs=1e-9)
    assert k.length(arc) == pytest.approx(math.pi)  # quarter circle of radius 2
    assert k.bounding_box(arc) == pytest.approx((8, 0, 0, 10, 2, 0), abs=1e-6)
    assert k.bounding_box(last) == pytest.approx((10, 2, 0, 10, 10, 0), abs=1e-9)


def test_wire_rounding_of_reversed_edges():
    # The outer wire of a face holds reversed edges: each must be taken in
    # wire order, or the junctions fall on the wrong corners.
    rect = D.create_rectangle(4, 2)
    got = D.apply_polyline_round(rect, 0.5)
    assert type(got) is k.TopoDS_Wire and len(edges(got)) == 8
    assert k.length(got) == pytest.approx(8 + math.pi)
    assert k.bounding_box(got) == pytest.approx((-2, -1, 0, 2, 1, 0), abs=1e-6)
    face = k.sub_shapes(D.extrude_shape(got, 1), k.TopAbs_FACE)
    assert len(face) == 8
    assert all(k.is_valid(f) for f in face)


# ---------------------------------------------------------------- planes and polylines

def test_plane_params():
    assert D.plane_params_for_standard("xy") == ((0.0, 0.0, 0.0), (0.0, 0.0, 1.0))
    assert D.plane_params_for_standard("xz") == ((0.0, 0.0, 0.0), (0.0, 1.0, 0.0))
    assert Drulen().plane_params_for_standard(standard_plane="yz") == ((0.0, 0.0, 0.0), (1.0, 0.0, 0.0))
    assert D.plane_params_for_standard("xy")[1] is D.plane_params_for_standard("xy")[1]
    for key, text in [("XY", "'XY'"), ("", "''"), (None, "None"), ("it's", '"it\'s"'), (5, "5")]:
        with pytest.raises(ValueError) as e:
            D.plane_params_for_standard(key)
        assert str(e.value) == "Unknown standard plane: " + text
    rect = D.create_rectangle(4, 2)
    assert D.plane_params_from_face(rect.Reversed()) == ((0.0, 0.0, 0.0), (0.0, 0.0, 1.0))
    side = [f for f in faces(D.create_box(2, 2, 2)) if k.bounding_box(f)[0] == pytest.approx(1)][0]
    origin, normal = D.plane_params_from_face(side)
    assert origin[0] == pytest.approx(1) and normal == pytest.approx((1, 0, 0))


def test_plane_params_from_face_errors(capture_logs):
    for curved in (faces(D.create_cylinder(1, 2))[0], faces(D.create_sphere(1))[0]):
        with pytest.raises(ValueError) as e:
            D.plane_params_from_face(curved)
        assert str(e.value) == "Face is not planar" and e.value.__cause__ is None
    prefix = "Could not extract plane parameters from face: "
    for bad, cause in [(D.create_box(1, 1, 1), k.KernelError), (D.create_polyline([(0, 0, 0), (1, 0, 0)]), k.KernelError),
                       (k.TopoDS_Shape(), k.KernelError), (None, TypeError), (3, TypeError)]:
        with pytest.raises(ValueError) as e:
            D.plane_params_from_face(bad)
        assert str(e.value).startswith(prefix) and len(str(e.value)) > len(prefix)
        assert isinstance(e.value.__cause__, cause)
    assert records(capture_logs) == []


def test_polylines():
    assert D.create_polyline([]) is None and D.create_polyline([(0, 0, 0)], True) is None
    for points, closed, nedges, is_closed in [
        ([(0, 0, 0), (1, 0, 0)], True, 1, False),
        ([(0, 0, 0), (1, 0, 0), (1, 1, 0)], True, 3, True),
        ([(0, 0, 0), (1, 0, 0), (1, 1, 0)], False, 2, False),
        ([[0, 0, 0], [1, 0, 0], [1, 1, 0]], [1], 3, True),
    ]:
        w = D.create_polyline(points, closed)
        assert type(w) is k.TopoDS_Wire and len(edges(w)) == nedges
        assert (len(vertices(w)) == nedges) is is_closed
    assert k.length(D.create_polyline(points=[(0, 0, 0), (3, 4, 0)])) == pytest.approx(5)
    for bad in ([(0, 0, 0), (0, 0, 0)], [(0, 0, 0), (1, 0, 0), (0, 0, 0)]):
        with pytest.raises(k.KernelError):
            D.create_polyline(bad, closed=True)
    with pytest.raises(TypeError):
        D.create_polyline([(0, 0), (1, 0)])


# ---------------------------------------------------------------- failure conventions

BOX = D.create_box(1, 1, 1)
EDGE = k.sub_shapes(BOX, k.TopAbs_EDGE)[0]
NULL = k.TopoDS_Shape()
ERR, WARN = logging.ERROR, logging.WARNING

# operation, arguments, expected result ("input" = the very first argument),
# level, message beginning (None: no record), traceback attached
FAILURES = [
    ("fuse_shapes", (None, BOX), None, ERR, "Error fusing shapes: ", True),
    ("fuse_shapes", (BOX, "box"), None, ERR, "Error fusing shapes: ", True),
    ("fuse_shapes", (NULL, BOX), None, ERR, "Error fusing shapes: ", True),
    ("cut_shapes", (BOX, None), None, ERR, "Error cutting shapes: ", True),
    ("intersect_shapes", (3, BOX), None, ERR, "Error intersecting shapes: ", True),
    ("unify_same_domain", (NULL,), "input", WARN, "unify_same_domain failed: ", False),
    ("unify_same_domain", (None,), "input", WARN, "unify_same_domain failed: ", False),
    ("explode_to_faces", (None,), [], ERR, "Error exploding shape to faces: ", True),
    ("explode_to_faces", (EDGE,), [], None, None, False),
    ("extrude_shape", (BOX, "deep"), None, ERR, "Error extruding shape", True),
    ("extrude_shape", (BOX, float("nan")), None, ERR, "Error extruding shape", True),
    ("extrude_shape", (NULL, 1), None, None, None, False),
    ("apply_fillet", (None, 1), None, ERR, "Error applying fillet: ", True),
    ("apply_fillet", (BOX, 1, 5), None, ERR, "Error applying fillet: ", True),
    ("apply_fillet", (BOX, 0.1, [12]), None, ERR, "Error applying fillet: ", True),
    ("apply_fillet", (BOX, 0.1, ["0"]), None, ERR, "Error applying fillet: ", True),
    ("apply_fillet", (NULL, 1), None, ERR, "Error applying fillet: ", True),
    ("apply_corner_round", (None, 1), None, ERR, "Error applying corner round: ", True),
    ("apply_corner_round", (EDGE, 0.1), None, WARN, "apply_corner_round: shape is not a face", False),
    ("apply_corner_round", (D.create_rectangle(4, 2), -1), None, ERR, "Error applying corner round: ", True),
    ("apply_corner_round", (NULL, 1), None, None, None, False),
    ("apply_polyline_round", (EDGE, 0.1), None, WARN, "apply_polyline_round: no wire found in shape", False),
    ("apply_polyline_round", ([1, 2], 0.1), None, ERR, "Error applying polyline round: ", True),
    ("apply_polyline_round", (BOX, 0.1, [None]), None, ERR, "Error applying polyline round: ", True),
    ("import_file", ("model.step.bak",), None, WARN, "Unsupported file format: model.step.bak", False),
    ("import_file", ("model.stl",), None, WARN, "Unsupported file format: model.stl", False),
    ("import_file", ("model",), None, WARN, "Unsupported file format: model", False),
    ("import_file", ("/nonexistent/model.STP",), None, ERR, "Error reading STEP file: /nonexistent/model.STP", False),
    ("import_file", ("/nonexistent/model.Igs",), None, ERR, "Error reading IGES file: /nonexistent/model.Igs", False),
    ("export_step", (None, "/tmp/x.step"), False, ERR, "Error exporting STEP file: ", True),
    ("export_iges", (BOX, 7), False, ERR, "Error exporting IGES file: ", True),
    ("export_shapes_to_iges", ([BOX, None], "/tmp/x.igs"), False, ERR, "Error exporting IGES file: ", True),
    ("export_shapes_to_iges", (None, "/tmp/x.igs"), False, ERR, "Error exporting IGES file: ", True),
]


@pytest.mark.parametrize("op, args, expected, level, message, traceback", FAILURES)
def test_failure_conventions(op, args, expected, level, message, traceback, capture_logs):
    got = getattr(Drulen(), op)(*args)
    if expected == "input":
        assert got is args[0]
    else:
        assert got == expected and type(got) is type(expected)
    recs = records(capture_logs)
    if level is None:
        assert recs == []
        return
    [(lv, msg, tb)] = recs
    assert lv == level and msg.startswith(message) and tb is traceback
    if message.endswith(": "):
        assert len(msg) > len(message)
    if traceback:
        [rec] = [r for r in capture_logs.records if r.name == LOGGER]
        assert isinstance(rec.exc_info[1], Exception)


def test_failure_record_carries_the_kernel_error(capture_logs):
    assert D.fuse_shapes(NULL, BOX) is None
    [rec] = capture_logs.records
    assert isinstance(rec.exc_info[1], k.KernelError)
    assert rec.getMessage() == "Error fusing shapes: " + str(rec.exc_info[1])


def test_extrude_of_a_non_shape_raises(capture_logs):
    with pytest.raises(TypeError):
        D.extrude_shape(5, 1)
    assert records(capture_logs) == []


def test_success_logs_nothing(capture_logs):
    box = D.create_box(2, 2, 2)
    D.unify_same_domain(D.fuse_shapes(box, D.create_box(1, 1, 1, (1, 1, 1))))
    D.apply_fillet(box, 0.2, [0])
    D.apply_corner_round(D.create_rectangle(2, 2), 0.2)
    D.extrude_shape(D.create_circle(1), 1)
    D.explode_to_faces(box)
    assert records(capture_logs) == []
