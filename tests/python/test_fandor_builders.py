import math

import pytest

import nimbal.kernel as k
from nimbal.models.quenby import PlaneProperties
from nimbal.services.fandor import Fandor

from _nimbal_testing import make_box, null_shape


def plane(origin=(0.0, 0.0, 0.0), normal=(0.0, 0.0, 1.0)):
    return PlaneProperties(
        origin_x=float(origin[0]), origin_y=float(origin[1]), origin_z=float(origin[2]),
        normal_x=float(normal[0]), normal_y=float(normal[1]), normal_z=float(normal[2]))


def bbox(shape):
    return pytest.approx(k.bounding_box(shape), abs=1e-7)


def vertices(shape):
    return [k.bounding_box(v)[:3] for v in k.sub_shapes(shape, k.TopAbs_VERTEX)]


def n_edges(shape):
    return len(k.sub_shapes(shape, k.TopAbs_EDGE))


@pytest.fixture
def f():
    return Fandor()


# ---- rectangle and circle ----

@pytest.mark.parametrize("p, uv, box", [
    (plane(), (0, 0), (0, 0, 0, 60, 40, 0)),
    (plane(), (-30, -20), (-30, -20, 0, 30, 20, 0)),          # centred on the origin
    (plane(normal=(0, 1, 0)), (0, 0), (0, 0, -40, 60, 0, 0)),  # v axis is world -Z
    (plane((1, 2, 3), (1, 0, 0)), (0, 0), (1, 2, 3, 1, 62, 43)),
])
def test_rectangle_spans_its_outline(f, p, uv, box):
    face = f.create_rectangle_on_plane(p, *uv, 60, 40)
    assert isinstance(face, k.TopoDS_Face)
    assert k.area(face) == pytest.approx(2400)
    assert k.is_valid(face)
    assert k.bounding_box(face) == pytest.approx(box, abs=1e-7)

    wire = f.create_rectangle_on_plane(p, *uv, 60, 40, filled=False)
    assert isinstance(wire, k.TopoDS_Wire)
    assert n_edges(wire) == 4
    assert k.length(wire) == pytest.approx(200)
    assert k.bounding_box(wire) == pytest.approx(box, abs=1e-7)


@pytest.mark.parametrize("filled, kind", [(1, k.TopoDS_Face), ("yes", k.TopoDS_Face),
                                          (0, k.TopoDS_Wire), ("", k.TopoDS_Wire),
                                          (None, k.TopoDS_Wire)])
def test_filled_is_tested_for_truth(f, filled, kind):
    assert isinstance(f.create_rectangle_on_plane(plane(), 0, 0, 2, 2, filled), kind)
    assert isinstance(f.create_circle_on_plane(plane(), 0, 0, 2, filled=filled), kind)


def test_rectangle_on_oblique_plane_lies_in_it(f):
    n = (0.0, 0.6, 0.8)
    p = plane((5, 5, 5), n)
    face = f.create_rectangle_on_plane(p, 1, 2, 10, 20)
    assert k.area(face) == pytest.approx(200)
    for x, y, z in vertices(face):
        assert (x - 5) * n[0] + (y - 5) * n[1] + (z - 5) * n[2] == pytest.approx(0, abs=1e-9)
    # corners in plane-local coordinates
    local = sorted(tuple(round(c, 9) for c in f.world_to_local(p, *pt)) for pt in vertices(face))
    assert local == [(1, 2), (1, 22), (11, 2), (11, 22)]


def test_circle_centre_and_start(f):
    p = plane()
    face = f.create_circle_on_plane(p, 10, 5, 30)
    assert isinstance(face, k.TopoDS_Face)
    assert k.area(face) == pytest.approx(math.pi * 900, rel=1e-6)
    assert k.bounding_box(face) == pytest.approx((-20, -25, 0, 40, 35, 0), abs=1e-6)
    wire = f.create_circle_on_plane(p, 10, 5, 30, filled=False)
    assert isinstance(wire, k.TopoDS_Wire)
    assert n_edges(wire) == 1
    assert k.length(wire) == pytest.approx(60 * math.pi)
    assert vertices(wire) == [pytest.approx((40, 5, 0), abs=1e-9)]


def test_circle_starts_on_the_u_axis_of_a_tilted_plane(f):
    p = plane((0, 0, 0), (1, 0, 0))  # u axis is world Y
    wire = f.create_circle_on_plane(p, 0, 0, 2, filled=False)
    assert vertices(wire) == [pytest.approx((0, 2, 0), abs=1e-9)]


@pytest.mark.parametrize("build", [
    lambda f, p: f.create_rectangle_on_plane(p, 0, 0, 10, 10),
    lambda f, p: f.create_circle_on_plane(p, 0, 0, 5),
])
def test_rectangle_and_circle_raise_on_zero_normal(f, build):
    with pytest.raises(k.KernelError, match="gp_Dir"):
        build(f, plane(normal=(0, 0, 0)))


def test_kernel_errors_of_rectangle_and_circle_reach_caller(f):
    with pytest.raises(k.KernelError):
        f.create_circle_on_plane(plane(), 0, 0, -1)
    with pytest.raises(k.KernelError):  # the kernel gives no disk for radius 0
        f.create_circle_on_plane(plane(), 0, 0, 0)


@pytest.mark.parametrize("args", [(math.nan, 0, 1, 1), (0, 0, math.inf, 1), (0, 0, 1, -math.nan)])
def test_non_finite_rectangle_raises(f, args):
    with pytest.raises(ValueError):
        f.create_rectangle_on_plane(plane(), *args)


def test_non_finite_circle_raises(f):
    with pytest.raises(ValueError):
        f.create_circle_on_plane(plane(), 0, math.inf, 1)
    with pytest.raises(ValueError):
        f.create_circle_on_plane(plane(), 0, 0, math.nan)


def test_negative_rectangle_size_goes_to_the_kernel(f):
    # the kernel takes reversed bounds as the span u + width .. u
    face = f.create_rectangle_on_plane(plane(), 0, 0, -60, 40)
    assert k.area(face) == pytest.approx(2400)
    assert k.bounding_box(face) == pytest.approx((-60, 0, 0, 0, 40, 0), abs=1e-7)


# The kernel builds these without failing; they have no size (a zero side,
# or ends closer than its tolerance of 1e-7) and its checker refuses most.
@pytest.mark.parametrize("build", [
    lambda f: f.create_rectangle_on_plane(plane(), 0, 0, 0, 40),
    lambda f: f.create_rectangle_on_plane(plane(), 0, 0, 60, 0, False),
    lambda f: f.create_rectangle_on_plane(plane(), 0, 0, 1e-300, 40),
    lambda f: f.create_rectangle_on_plane(plane(), 0, 0, 5e-8, 40, False),
    lambda f: f.create_circle_on_plane(plane(), 0, 0, 0, False),
    lambda f: f.create_circle_on_plane(plane(), 0, 0, 1e-9),
    lambda f: f.create_circle_on_plane(plane(), 0, 0, 1e-9, False),
], ids=["rect w0", "rect outline h0", "rect w1e-300", "rect outline w5e-8", "circle outline r0", "circle r1e-9",
        "circle outline r1e-9"])
def test_rectangles_and_circles_without_size_raise(f, build):
    with pytest.raises(k.KernelError, match="^the kernel made no (rectangle|circle) (face|outline)"):
        build(f)


@pytest.mark.parametrize("build", [
    lambda f: f.create_line_on_plane(plane(), (0, 0), (5e-8, 0)),
    lambda f: f.create_arc_on_plane(plane(), (0, 0), (1e-8, 1e-8), (2e-8, 0)),
    lambda f: f.create_polyline_on_plane(plane(), [(0, 0), (5e-8, 0)]),
    lambda f: f.create_polyline_on_plane(plane(), [(0, 0), (10, 0), (10, 5e-8)], closed=True, filled=True),
], ids=["line", "arc", "polyline", "closed polyline"])
def test_lines_arcs_and_polylines_without_size_give_none(f, build):
    assert build(f) is None


@pytest.mark.parametrize("points", [
    [(0, 0), (10, 0), (20, 0)],          # collinear
    [(0, 0), (10, 0), (0, 0)],           # back where it started
    [(0, 0), (10, 10), (10, 0), (0, 10)],  # crossing itself
])
def test_filled_polyline_enclosing_nothing_is_its_wire(f, points):
    shape = f.create_polyline_on_plane(plane(), points, closed=True, filled=True)
    assert isinstance(shape, k.TopoDS_Wire) and k.is_valid(shape)


def test_elements_just_above_the_tolerance_build(f):
    assert k.is_valid(f.create_rectangle_on_plane(plane(), 0, 0, 1e-6, 40))
    assert k.is_valid(f.create_circle_on_plane(plane(), 0, 0, 1e-6, False))
    assert k.length(f.create_line_on_plane(plane(), (0, 0), (2e-7, 0))) == pytest.approx(2e-7)


# ---- line and arc ----

@pytest.mark.parametrize("p1, p2, length", [
    ((0, 0), (0, 5e-10), None),
    ((0, 0), (0, 0.001), 0.001),
    ((1e10, 0), (1e10 + 5, 0), None),   # relative tolerance covers 5
    ((3, 4), [3, 4], None),
    ((0, 0), (3, 4), 5.0),
    ([0, 0, 99], (3, 4), 5.0),          # read by position
])
def test_line(f, p1, p2, length):
    w = f.create_line_on_plane(plane(), p1, p2)
    if length is None:
        assert w is None
    else:
        assert isinstance(w, k.TopoDS_Wire)
        assert n_edges(w) == 1
        assert k.length(w) == pytest.approx(length)


def test_line_end_points_in_order(f):
    p = plane((0, 0, 7), (0, 0, 1))
    w = f.create_line_on_plane(p, (1, 2), (4, 6))
    assert vertices(w) == [pytest.approx((1, 2, 7)), pytest.approx((4, 6, 7))]


def test_line_builds_on_a_zero_normal(f):
    w = f.create_line_on_plane(plane(normal=(0, 0, 0)), (0, 0), (1, 1))
    assert k.bounding_box(w) == pytest.approx((0, 0, 0, 1, 1, 0), abs=1e-9)


def test_line_unreadable_end_point_raises(f):
    with pytest.raises(TypeError):
        f.create_line_on_plane(plane(), (0,), (1, 1))
    with pytest.raises(TypeError):
        f.create_line_on_plane(plane(), "ab", (1, 1))


def test_line_end_points_are_their_first_two_items(f):
    w = f.create_line_on_plane(plane(), (0, 0, 9), [3, 4])
    assert k.bounding_box(w) == pytest.approx((0, 0, 0, 3, 4, 0), abs=1e-9)
    with pytest.raises(TypeError, match=r"^p2 must be a \(u, v\) pair of numbers, not str$"):
        f.create_line_on_plane(plane(), (0, 0), "ab")


def test_line_with_nan_gives_none(f):
    assert f.create_line_on_plane(plane(), (math.nan, 0), (1, 1)) is None


def test_arc(f):
    w = f.create_arc_on_plane(plane(), (1, 0), (0, 1), (-1, 0))
    assert isinstance(w, k.TopoDS_Wire)
    assert n_edges(w) == 1
    assert k.length(w) == pytest.approx(math.pi)
    assert k.bounding_box(w) == pytest.approx((-1, 0, 0, 1, 1, 0), abs=1e-7)
    assert sorted(vertices(w)) == [pytest.approx((-1, 0, 0)), pytest.approx((1, 0, 0))]


def test_arc_through_mid_on_a_tilted_plane(f):
    p = plane((0, 0, 0), (0, 1, 0))
    w = f.create_arc_on_plane(p, (1, 0), (0, -1), (-1, 0))  # local v -1 is world z +1
    assert k.bounding_box(w) == pytest.approx((-1, 0, 0, 1, 0, 1), abs=1e-7)


@pytest.mark.parametrize("pts", [
    ((0, 0), (1, 1), (2, 2)),      # collinear
    ((0, 0), (0, 0), (1, 0)),      # repeated point
    ((0,), (1, 1), (2, 0)),        # unreadable point
    (None, (1, 1), (2, 0)),
    ((math.inf, 0), (1, 1), (2, 0)),
])
def test_arc_failures_give_none(f, pts):
    assert f.create_arc_on_plane(plane(), *pts) is None


def test_arc_on_zero_normal_still_builds(f):
    w = f.create_arc_on_plane(plane(normal=(0, 0, 0)), (1, 0), (0, 1), (-1, 0))
    assert k.length(w) == pytest.approx(math.pi)


# ---- polyline ----

SQUARE = [(0, 0), (10, 0), (10, 10), (0, 10)]


@pytest.mark.parametrize("points, closed, edges, length", [
    ([(0, 0), (0, 0), (10, 0)], False, 1, 10),
    ([(0, 0), (0.0000000005, 0), (10, 0)], False, 1, 10),
    ([(1e6, 0), (1e6 + 0.0005, 0), (1e6 + 10, 0)], False, 1, 10),
    ([], False, None, None),
    ([(3, 4)], True, None, None),
    ([(3, 4), (3, 4)], True, None, None),
    ([(3, 4), [3, 4 + 1e-12]], False, None, None),
    (SQUARE, True, 4, 40),
    (SQUARE + [(0, 0)], True, 4, 40),          # already closed: no extra edge
    (SQUARE, False, 3, 30),
    ([(0, 0), (5, 0)], True, 2, 10),           # there and back
    ([(0, 0), (5, 0), (0, 0)], False, 2, 10),  # A, B, A keeps all three
    ([(0, 0), (5, 0), (0, 0)], True, 2, 10),   # ... and needs no closing edge
    ([(0, 0), (5, 0), (5, 0), (5, 0), (5, 3)], False, 2, 8),
    ([(0, 0), (1, 1, 1)], False, None, None),  # passes the filter, not a pair
    ([(0, 0), (math.nan, 1)], False, None, None),
])
def test_polyline_filter_and_closing(f, points, closed, edges, length):
    w = f.create_polyline_on_plane(plane(), points, closed=closed)
    if edges is None:
        assert w is None
    else:
        assert isinstance(w, k.TopoDS_Wire)
        assert n_edges(w) == edges
        assert k.length(w) == pytest.approx(length)


def test_polyline_edge_order(f):
    w = f.create_polyline_on_plane(plane(), [(0, 0), (5, 0)], closed=True)
    es = k.sub_shapes(w, k.TopAbs_EDGE)
    assert [k.bounding_box(e) for e in es] == [pytest.approx((0, 0, 0, 5, 0, 0))] * 2


def test_polyline_accepts_any_iterable(f):
    w = f.create_polyline_on_plane(plane(), (p for p in SQUARE), True)
    assert n_edges(w) == 4


@pytest.mark.parametrize("closed, filled, kind", [
    (True, True, k.TopoDS_Face),
    (True, False, k.TopoDS_Wire),
    (False, True, k.TopoDS_Wire),
    (1, "y", k.TopoDS_Face),
])
def test_polyline_face_only_when_closed_and_filled(f, closed, filled, kind):
    assert isinstance(f.create_polyline_on_plane(plane(), SQUARE, closed=closed, filled=filled), kind)


def test_filled_polyline_lies_on_the_plane(f):
    p = plane((0, 0, 5), (0, 0, 2))
    face = f.create_polyline_on_plane(p, SQUARE, closed=True, filled=True)
    assert isinstance(face, k.TopoDS_Face)
    assert k.is_valid(face)
    assert k.area(face) == pytest.approx(100)
    assert k.bounding_box(face) == pytest.approx((0, 0, 5, 10, 10, 5), abs=1e-9)


def test_filled_polyline_on_zero_normal_gives_none(f):
    assert f.create_polyline_on_plane(plane(normal=(0, 0, 0)), SQUARE, True, True) is None


def test_polyline_filter_errors_reach_caller(f):
    with pytest.raises(TypeError):
        f.create_polyline_on_plane(plane(), [(0, 0), "ab"])
    with pytest.raises(TypeError):
        f.create_polyline_on_plane(plane(), 5)
    # a lone point is never read
    assert f.create_polyline_on_plane(plane(), [None]) is None
    # v is read only when the u values coincide
    assert f.create_polyline_on_plane(plane(), [(0, 0), (1, "v")]) is None
    with pytest.raises(TypeError):
        f.create_polyline_on_plane(plane(), [(0, 0), (0, "v")])


# ---- 2D booleans ----

def square(f, u, v, size=10):
    return f.create_rectangle_on_plane(plane(), u, v, size, size)


def test_fuse_and_cut(f):
    a, b = square(f, 0, 0), square(f, 5, 0)
    fused = Fandor.fuse_shapes(a, b)
    assert k.area(fused) == pytest.approx(150)
    assert k.bounding_box(fused) == pytest.approx((0, 0, 0, 15, 10, 0), abs=1e-7)
    ab, ba = Fandor.cut_shapes(a, b), f.cut_shapes(b, a)
    assert k.area(ab) == pytest.approx(50) and k.area(ba) == pytest.approx(50)
    assert k.bounding_box(ab) == pytest.approx((0, 0, 0, 5, 10, 0), abs=1e-7)
    assert k.bounding_box(ba) == pytest.approx((10, 0, 0, 15, 10, 0), abs=1e-7)


def test_unify_merges_fused_faces(f):
    fused = Fandor.fuse_shapes(square(f, 0, 0), square(f, 5, 0))
    assert len(k.sub_shapes(fused, k.TopAbs_FACE)) > 1
    merged = Fandor.unify_same_domain(fused)
    assert len(k.sub_shapes(merged, k.TopAbs_FACE)) == 1
    assert n_edges(merged) == 4
    assert k.area(merged) == pytest.approx(150)


@pytest.mark.parametrize("bad", [None, "shape", 3, null_shape()])
def test_booleans_of_non_shapes_give_none(f, bad):
    a = square(f, 0, 0)
    assert Fandor.fuse_shapes(a, bad) is None
    assert Fandor.cut_shapes(bad, a) is None


@pytest.mark.parametrize("bad", [None, "shape", 3, null_shape()])
def test_unify_returns_what_it_cannot_process(bad):
    assert Fandor.unify_same_domain(bad) is bad


def test_booleans_with_a_solid(f):
    box = make_box(10, 10, 10)
    assert k.volume(Fandor.cut_shapes(box, make_box(5, 5, 5))) == pytest.approx(875)
