import math

import pytest

import nimbal.kernel as k
from nimbal.models.quenby import PlaneProperties
from nimbal.services import ostrel as ostrel_mod
from nimbal.services.fandor import Fandor
from nimbal.services.ostrel import Ostrel


def edges(shape):
    return k.sub_shapes(shape, k.TopAbs_EDGE)


def end_points(edge):
    return [k.bounding_box(v)[:3] for v in k.sub_shapes(edge, k.TopAbs_VERTEX)]


@pytest.fixture
def grid():
    return Ostrel()


def test_constants():
    assert ostrel_mod._DEFAULT_EXTENT == 500.0 and type(ostrel_mod._DEFAULT_EXTENT) is float
    assert ostrel_mod._DEFAULT_MAJOR_FACTOR == 5 and type(ostrel_mod._DEFAULT_MAJOR_FACTOR) is int
    assert ostrel_mod._MAX_LINES_PER_AXIS == 2000


def test_constructor_keeps_or_makes_its_service():
    f = Fandor()
    assert Ostrel(f)._fandor is f
    assert Ostrel(fandor=f)._fandor is f
    assert isinstance(Ostrel()._fandor, Fandor)
    assert isinstance(Ostrel(0)._fandor, Fandor)   # false values mean "make one"
    with pytest.raises(TypeError):
        Ostrel("fandor")


# ---- snapping ----

@pytest.mark.parametrize("coord, spacing, expected", [
    (2.5, 1.0, 2.0), (3.5, 1.0, 4.0), (-2.5, 1.0, -2.0), (0.5, 1.0, 0.0),
    (7.4, 2.0, 8.0), (5.0, 2.0, 4.0), (7.0, 2.0, 8.0), (-3.0, 2.0, -4.0),
    (1.2, 0.5, 1.0), (1e300, 1e-5, 1e300),
    (4.7, 0, 4.7), (4.7, -1, 4.7), (-3.25, -0.5, -3.25),
])
def test_snap(grid, coord, spacing, expected):
    got = grid.snap(coord, spacing)
    assert got == expected and type(got) is float
    # the same as Python's own rounding
    if spacing > 0:
        assert got == round(coord / spacing) * spacing


@pytest.mark.parametrize("coord", [-0.4, -0.0, -1e-300])
def test_snap_to_zero_has_no_sign(grid, coord):
    got = grid.snap(coord, 2.0)
    assert got == 0.0 and math.copysign(1.0, got) == 1.0


@pytest.mark.parametrize("coord, spacing, error", [
    (math.nan, 1.0, ValueError), (1.0, math.nan, ValueError),
    (math.inf, 1.0, OverflowError), (-math.inf, 2.0, OverflowError),
    (1e308, 1e-10, OverflowError),   # the quotient overflows
])
def test_snap_raises_like_round(grid, coord, spacing, error):
    with pytest.raises(error) as info:
        round(coord / spacing)
    with pytest.raises(error, match=str(info.value)):
        grid.snap(coord, spacing)
    with pytest.raises(error):
        grid.snap_point(coord, 0.0, spacing)


def test_snap_point(grid):
    assert grid.snap_point(2.5, 3.5, 1.0) == (2.0, 4.0)
    assert grid.snap_point(u=2.5, v=-7.4, spacing=2.0) == (2.0, -8.0)
    assert grid.snap_point(1.3, 2.7, 0) == (1.3, 2.7)


def test_snap_point_uses_overridden_snap():
    class Tens(Ostrel):
        def __init__(self):
            super().__init__()
            self.calls = []

        def snap(self, coord, spacing):
            self.calls.append(coord)
            return super().snap(coord, spacing * 10)

    g = Tens()
    assert g.snap_point(14, 16, 1) == (10.0, 20.0)
    assert g.calls == [14, 16]


# ---- grid compounds ----

def test_minor_grid_worked_example(grid):
    c = grid.create_minor_grid(PlaneProperties(), 100, 250)
    assert isinstance(c, k.TopoDS_Compound)
    es = edges(c)
    assert len(es) == 14
    positions = [-300, -200, -100, 0, 100, 200, 300]
    want = [[(a, -250, 0), (a, 250, 0)] for a in positions]
    want += [[(-250, b, 0), (250, b, 0)] for b in positions]
    got = [end_points(e) for e in es]
    assert got == [[pytest.approx(p1), pytest.approx(p2)] for p1, p2 in want]


@pytest.mark.parametrize("spacing, extent, n_edges, outer", [
    (10, 500.0, 202, 500),
    (50, 500.0, 42, 500),      # whole quotient: ceiling adds nothing
    (30, 500.0, 70, 510),      # rounded up: outermost lines beyond the extent
    (0.1, 500.0, 8002, 200),   # capped at 2000 positions per side
    (100, -50.0, 2, 0),        # one line per family through the origin
    (100, -600.0, 0, None),    # no positions: an empty, non-null compound
])
def test_line_counts(grid, spacing, extent, n_edges, outer):
    c = grid.create_minor_grid(PlaneProperties(), spacing, extent)
    assert not c.IsNull()
    es = edges(c)
    assert len(es) == n_edges
    if n_edges:
        assert k.length(es[0]) == pytest.approx(2 * abs(extent))
        assert k.length(c) == pytest.approx(n_edges * 2 * abs(extent), rel=1e-9)
        box = k.bounding_box(c)
        half = max(outer, abs(extent))
        assert box == pytest.approx((-half, -half, 0, half, half, 0), abs=1e-6)
        # first family, last line: constant u at +outer
        (x1, _, _), (x2, _, _) = end_points(es[n_edges // 2 - 1])
        assert x1 == pytest.approx(outer) and x2 == pytest.approx(outer)


def test_negative_extent_runs_backwards(grid):
    (e1, e2) = edges(grid.create_minor_grid(PlaneProperties(), 100, -50))
    assert end_points(e1) == [pytest.approx((0, 50, 0)), pytest.approx((0, -50, 0))]
    assert end_points(e2) == [pytest.approx((50, 0, 0)), pytest.approx((-50, 0, 0))]


def test_major_grid(grid):
    p = PlaneProperties()
    major = grid.create_major_grid(p, 10)
    same = grid._build_grid_compound(p, 50, 500.0)
    assert len(edges(major)) == 42
    assert [end_points(e) for e in edges(major)] == [end_points(e) for e in edges(same)]
    assert len(edges(grid.create_major_grid(p, 10, major_factor=2, extent=40))) == 2 * 5


@pytest.mark.parametrize("call", [
    lambda g, p: g.create_minor_grid(p, 0),
    lambda g, p: g.create_minor_grid(p, -5, 100),
    lambda g, p: g.create_major_grid(p, 10, major_factor=0),
    lambda g, p: g.create_major_grid(p, 10, -1),
    lambda g, p: g._build_grid_compound(p, 0, 0),
])
def test_null_compound_for_no_spacing(grid, call):
    c = call(grid, PlaneProperties())
    assert isinstance(c, k.TopoDS_Compound)
    assert c.IsNull()


def test_grid_on_a_tilted_offset_plane(grid):
    p = PlaneProperties(origin_x=1.0, origin_y=2.0, origin_z=3.0,
                        normal_x=0.0, normal_y=1.0, normal_z=0.0)
    es = edges(grid.create_minor_grid(p, 10, 10))
    assert len(es) == 6
    # u axis world X, v axis world -Z: first line at u = -10, running v -10 .. 10
    assert end_points(es[0]) == [pytest.approx((-9, 2, 13)), pytest.approx((-9, 2, -7))]
    # second family: constant v, first at v = -10 (world z = 13), running along u
    assert end_points(es[3]) == [pytest.approx((-9, 2, 13)), pytest.approx((11, 2, 13))]
    for e in es:
        assert k.bounding_box(e)[1] == pytest.approx(2) and k.bounding_box(e)[4] == pytest.approx(2)


def test_grid_uses_the_service_axes_once_per_build():
    class Counting(Fandor):
        calls = 0

        def plane_local_axes(self, plane_props):
            Counting.calls += 1
            u, v = super().plane_local_axes(plane_props)
            return v, u

    g = Ostrel(Counting())
    es = edges(g.create_minor_grid(PlaneProperties(), 100, 250))
    assert Counting.calls == 1
    # u and v swapped: the first family runs along world X
    assert end_points(es[0]) == [pytest.approx((-250, -300, 0)), pytest.approx((250, -300, 0))]


def test_grid_builders_go_through_overridden_build():
    class Recording(Ostrel):
        def __init__(self):
            super().__init__()
            self.calls = []

        def _build_grid_compound(self, plane_props, spacing, extent):
            self.calls.append((spacing, extent))
            return super()._build_grid_compound(plane_props, spacing, extent)

    g = Recording()
    g.create_minor_grid(PlaneProperties(), 10)
    g.create_major_grid(PlaneProperties(), 10, 4, 100)
    assert g.calls == [(10, 500.0), (40, 100)]


def test_grid_errors_reach_caller(grid):
    p = PlaneProperties()
    with pytest.raises(k.KernelError):      # end points coincide
        grid.create_minor_grid(p, 10, 0)
    with pytest.raises(ValueError, match="NaN"):
        grid.create_minor_grid(p, 10, math.nan)
    with pytest.raises(OverflowError, match="infinity"):
        grid.create_minor_grid(p, 10, math.inf)
    with pytest.raises(OverflowError):
        grid.create_minor_grid(p, 1e-320, 1e300)
    with pytest.raises(TypeError):
        grid.create_minor_grid(object(), 10)
    p.origin_x = math.nan
    with pytest.raises(ValueError):
        grid.create_minor_grid(p, 10, 20)


def test_bad_axes_from_the_service_raise():
    class Bad(Fandor):
        def plane_local_axes(self, plane_props):
            return "no"

    with pytest.raises(TypeError):
        Ostrel(Bad()).create_minor_grid(PlaneProperties(), 10)


def test_each_call_returns_a_new_compound(grid):
    p = PlaneProperties()
    assert not grid.create_minor_grid(p, 100, 100).IsSame(grid.create_minor_grid(p, 100, 100))
