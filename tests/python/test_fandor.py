import logging
import math

import pytest

import nimbal.kernel as k
from nimbal.models.quenby import PlaneProperties
from nimbal.services import fandor as fandor_mod
from nimbal.services.fandor import Fandor

LOGGER = "nimbal.services.fandor"


def plane(origin=(0.0, 0.0, 0.0), normal=(0.0, 0.0, 1.0)):
    return PlaneProperties(
        origin_x=float(origin[0]), origin_y=float(origin[1]), origin_z=float(origin[2]),
        normal_x=float(normal[0]), normal_y=float(normal[1]), normal_z=float(normal[2]))


def approx3(t):
    return pytest.approx(tuple(t), abs=1e-9)


def point_of(vertex):
    b = k.bounding_box(vertex)
    return b[:3]


def vertices(shape):
    return [point_of(v) for v in k.sub_shapes(shape, k.TopAbs_VERTEX)]


def edges(shape):
    return k.sub_shapes(shape, k.TopAbs_EDGE)


def dot(a, b):
    return sum(x * y for x, y in zip(a, b))


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


@pytest.fixture
def f():
    return Fandor()


# ---- plane frame ----

S = math.sqrt(1 - 0.81)


@pytest.mark.parametrize("normal, u_axis, v_axis", [
    ((0, 0, 1), (1, 0, 0), (0, 1, 0)),
    ((0, 0, -1), (1, 0, 0), (0, -1, 0)),
    ((0, 1, 0), (1, 0, 0), (0, 0, -1)),
    ((0, -1, 0), (1, 0, 0), (0, 0, 1)),
    ((1, 0, 0), (0, 1, 0), (0, 0, 1)),
    ((-1, 0, 0), (0, 1, 0), (0, 0, -1)),
    # |nx| exactly 0.9 seeds with world Y, just below with world X
    ((0.9, S, 0), (0.0, 1.0, 0.0), None),
    ((-0.9, 0, S), (0.0, 1.0, 0.0), None),
    ((0.8999, math.sqrt(1 - 0.8999 ** 2), 0), (1.0, 0.0, 0.0), None),
    ((0, 0, 0), (1, 0, 0), (0, 1, 0)),   # zero normal: u from the seed, v falls back
    ((0, 0, 2), (1, 0, 0), (0, 1, 0)),   # non-unit normal, same axes
])
def test_plane_local_axes(f, normal, u_axis, v_axis):
    u, v = f.plane_local_axes(plane(normal=normal))
    assert isinstance(u, tuple) and isinstance(v, tuple)
    assert all(isinstance(c, float) for c in u + v)
    if v_axis is None:  # u_axis holds the seed: u = seed - (seed.n) n, normalised
        n = normal
        seed = u_axis
        d = dot(seed, n)
        raw = tuple(s - d * c for s, c in zip(seed, n))
        mag = math.sqrt(dot(raw, raw))
        assert u == approx3(tuple(c / mag for c in raw))
        assert v == approx3(cross(n, u))
        assert dot(u, n) == pytest.approx(0, abs=1e-12)
    else:
        assert u == approx3(u_axis)
        assert v == approx3(v_axis)


def test_axes_are_right_handed_for_an_oblique_normal(f):
    n = (1 / math.sqrt(3),) * 3
    u, v = f.plane_local_axes(plane(normal=n))
    assert dot(u, u) == pytest.approx(1) and dot(v, v) == pytest.approx(1)
    assert dot(u, v) == pytest.approx(0, abs=1e-12)
    assert cross(u, v) == approx3(n)


def test_axes_follow_a_changed_record(f):
    p = plane()
    assert f.plane_local_axes(p)[1] == approx3((0, 1, 0))
    p.normal_y, p.normal_z = 1.0, 0.0
    assert f.plane_local_axes(p)[1] == approx3((0, 0, -1))


def test_conversions_on_default_plane(f):
    p = plane()
    assert f.local_to_world(p, 3, 4) == (3.0, 4.0, 0.0)
    assert f.world_to_local(p, 3, 4, 7) == (3.0, 4.0)
    assert f.local_to_world(plane(normal=(0, 1, 0)), 0, 1) == approx3((0, 0, -1))


@pytest.mark.parametrize("origin, normal", [
    ((0, 0, 0), (0, 0, 1)),
    ((10, -5, 3), (0, 1, 0)),
    ((1, 2, 3), (0.6, 0.0, 0.8)),
    ((-7, 4, 2), (1 / math.sqrt(3),) * 3),
    ((0, 0, 5), (-1, 0, 0)),
])
@pytest.mark.parametrize("uv", [(0, 0), (3.5, -2.25), (-120.0, 1e3)])
def test_local_world_round_trip(f, origin, normal, uv):
    p = plane(origin, normal)
    x, y, z = f.local_to_world(p, *uv)
    # the world point lies in the plane
    assert dot((x - origin[0], y - origin[1], z - origin[2]), normal) == pytest.approx(0, abs=1e-9)
    assert f.world_to_local(p, x, y, z) == pytest.approx(uv, abs=1e-9)
    # a point off the plane maps to its orthogonal projection
    off = (x + 4 * normal[0], y + 4 * normal[1], z + 4 * normal[2])
    assert f.world_to_local(p, *off) == pytest.approx(uv, abs=1e-9)


def test_frame_operations_raise_for_bad_arguments(f):
    with pytest.raises(TypeError):
        f.plane_local_axes(object())
    with pytest.raises(TypeError):
        f.local_to_world(plane(), "a", 1)


@pytest.mark.parametrize("normal, up", [
    ((0, 0, 1), (0, 1, 0)),
    ((0, 0, -1), (0, 1, 0)),
    ((1, 0, 0), (0, 0, 1)),
    ((-1, 0, 0), (0, 0, 1)),
    ((0, 1, 0), (0, 0, 1)),
    ((0, -1, 0), (0, 0, 1)),
    ((0, 0, 0), (0, 0, 1)),
])
def test_up_vector_for_normal(f, normal, up):
    assert f.up_vector_for_normal(*normal) == approx3(up)


def test_up_vector_is_perpendicular_unit(f):
    n = (0.3, -0.4, math.sqrt(1 - 0.25))
    up = f.up_vector_for_normal(*n)
    assert dot(up, up) == pytest.approx(1)
    assert dot(up, n) == pytest.approx(0, abs=1e-12)


def test_module_constants():
    assert fandor_mod._EPS == 1e-10
    assert fandor_mod.logger.name == LOGGER


# ---- screen mapping ----

class RayView:
    """A fake kernel view with a fixed eye ray."""

    def __init__(self, point=(0, 0, 10), direction=(0, 0, -1), convert_with_proj=True):
        self.point, self.direction = point, direction
        self.calls = []
        self.convert_with_proj = convert_with_proj

    def ConvertWithProj(self, xp, yp):
        self.calls.append(("ConvertWithProj", xp, yp))
        if not self.convert_with_proj:
            raise RuntimeError("no ConvertWithProj")
        return (*self.point, *self.direction)

    def Convert(self, xp, yp):
        self.calls.append(("Convert", xp, yp))
        return self.point

    def Proj(self):
        self.calls.append(("Proj",))
        return self.direction


class BrokenView:
    def ConvertWithProj(self, xp, yp):
        raise RuntimeError("first")

    def Convert(self, xp, yp):
        raise ValueError("view is gone")

    def Proj(self):
        raise ValueError("view is gone")


def fandor_records(caplog):
    return [r for r in caplog.records if r.name == LOGGER]


@pytest.mark.parametrize("point, direction, expected", [
    ((0, 0, 10), (0, 0, -1), (0.0, 0.0)),
    ((0, 0, 10), (0, 0, 1), (0.0, 0.0)),          # hit behind the eye still counts
    ((3, 4, 10), (0, 0, -2), (3.0, 4.0)),
    ((0, 0, 10), (1, 0, -1), (10.0, 0.0)),        # oblique ray
    ((0, 0, 10), (1, 0, 0), None),                # parallel
])
def test_screen_to_plane_hits(f, capture_logs, point, direction, expected):
    view = RayView(point, direction)
    got = f.screen_to_plane_coords(view, plane(), 5, 6)
    if expected is None:
        assert got is None
    else:
        assert got == pytest.approx(expected)
    assert view.calls == [("ConvertWithProj", 5, 6)]
    assert fandor_records(capture_logs) == []


def test_screen_to_plane_on_an_offset_plane(f):
    p = plane((0, 5, 0), (0, 1, 0))
    got = f.screen_to_plane_coords(RayView((2, 20, -3), (0, -1, 0)), p, 0, 0)
    # v axis of this plane is world -Z
    assert got == pytest.approx((2.0, 3.0))


def test_screen_to_plane_hit_ignores_normal_length(f):
    view = RayView((1, 2, 10), (0.5, 0, -1))
    a = f.screen_to_plane_coords(view, plane(normal=(0, 0, 1)), 0, 0)
    b = f.screen_to_plane_coords(view, plane(normal=(0, 0, 3)), 0, 0)
    assert a == pytest.approx(b)


def test_screen_to_plane_fallback_without_log(f, capture_logs):
    view = RayView((3, 4, 10), (0, 0, -1), convert_with_proj=False)
    assert f.screen_to_plane_coords(view, plane(), 7, 8) == pytest.approx((3.0, 4.0))
    assert view.calls == [("ConvertWithProj", 7, 8), ("Convert", 7, 8), ("Proj",)]
    assert fandor_records(capture_logs) == []


@pytest.mark.parametrize("result", [(0, 0, 10, 0, 0), (0, 0, 10, 0, 0, -1, 9), 42, ("a",) * 6])
def test_screen_to_plane_bad_ray_result_falls_back(f, result):
    class View(RayView):
        def ConvertWithProj(self, xp, yp):
            return result

    assert f.screen_to_plane_coords(View((1, 1, 5)), plane(), 0, 0) == pytest.approx((1.0, 1.0))


def test_screen_to_plane_failure_logged_once(f, capture_logs):
    assert f.screen_to_plane_coords(BrokenView(), plane(), 1, 2) is None
    recs = fandor_records(capture_logs)
    assert len(recs) == 1
    assert recs[0].levelno == logging.DEBUG
    assert recs[0].getMessage() == "screen_to_plane_coords failed: view is gone"


def test_screen_to_plane_object_without_methods(f, capture_logs):
    assert f.screen_to_plane_coords(object(), plane(), 1, 2) is None
    recs = fandor_records(capture_logs)
    assert len(recs) == 1 and recs[0].getMessage().startswith("screen_to_plane_coords failed: ")


def test_screen_to_plane_short_fallback_result(f, capture_logs):
    class View(BrokenView):
        def Convert(self, xp, yp):
            return (1, 2)

    assert f.screen_to_plane_coords(View(), plane(), 0, 0) is None
    (rec,) = fandor_records(capture_logs)
    assert rec.getMessage() == ("screen_to_plane_coords failed: "
                                "not enough values to unpack (expected 3, got 2)")


def test_pixels_truncate_toward_zero(f):
    view = RayView()
    f.screen_to_plane_coords(view, plane(), 10.7, -0.5)
    assert view.calls == [("ConvertWithProj", 10, 0)]
    assert all(type(c) is int for c in view.calls[0][1:])


def test_nan_pixel_gives_none_with_log(f, capture_logs):
    view = RayView()
    assert f.screen_to_plane_coords(view, plane(), float("nan"), 0) is None
    assert view.calls == []
    (rec,) = fandor_records(capture_logs)
    assert rec.getMessage() == "screen_to_plane_coords failed: cannot convert float NaN to integer"


def test_zero_normal_gives_none(f):
    assert f.screen_to_plane_coords(RayView(), plane(normal=(0, 0, 0)), 0, 0) is None


def test_keyboard_interrupt_is_not_swallowed(f):
    class View(RayView):
        def ConvertWithProj(self, xp, yp):
            raise KeyboardInterrupt

    with pytest.raises(KeyboardInterrupt):
        f.screen_to_plane_coords(View(), plane(), 0, 0)


# ---- overriding the frame ----

class SwappedAxes(Fandor):
    """A frame with u and v exchanged (left-handed, but easy to recognise)."""

    def __init__(self):
        super().__init__()
        self.seen = []

    def plane_local_axes(self, plane_props):
        self.seen.append(plane_props)
        u, v = super().plane_local_axes(plane_props)
        return v, u


def test_override_changes_conversions_and_builders():
    s = SwappedAxes()
    p = plane()
    assert s.local_to_world(p, 1, 0) == approx3((0, 1, 0))
    assert s.world_to_local(p, 0, 5, 0) == pytest.approx((5.0, 0.0))
    assert s.screen_to_plane_coords(RayView((0, 3, 10)), p, 0, 0) == pytest.approx((3.0, 0.0))
    assert all(x is p for x in s.seen)

    b = k.bounding_box(s.create_rectangle_on_plane(p, 0, 0, 60, 40))
    assert b == pytest.approx((0, 0, 0, 40, 60, 0), abs=1e-7)
    line = s.create_line_on_plane(p, (0, 0), (7, 0))
    assert k.bounding_box(line) == pytest.approx((0, 0, 0, 0, 7, 0), abs=1e-7)
    poly = s.create_polyline_on_plane(p, [(0, 0), (5, 0), (5, 2)])
    assert k.bounding_box(poly) == pytest.approx((0, 0, 0, 2, 5, 0), abs=1e-7)
    circle = s.create_circle_on_plane(p, 0, 0, 1, filled=False)
    assert vertices(circle)[0] == approx3((0, 1, 0))  # starts on the u axis


def test_override_of_local_to_world_reaches_builders():
    class Lifted(Fandor):
        def local_to_world(self, plane_props, u, v):
            x, y, z = super().local_to_world(plane_props, u, v)
            return x, y, z + 100

    line = Lifted().create_line_on_plane(plane(), (0, 0), (1, 0))
    assert k.bounding_box(line)[2] == pytest.approx(100)


def test_bad_override_result():
    class Bad(Fandor):
        def plane_local_axes(self, plane_props):
            return (1, 0, 0)

    b = Bad()
    with pytest.raises(TypeError):
        b.local_to_world(plane(), 1, 1)
    with pytest.raises(TypeError):
        b.create_rectangle_on_plane(plane(), 0, 0, 1, 1)
    # the guarded builders answer None instead
    assert b.create_line_on_plane(plane(), (0, 0), (1, 0)) is None
    assert b.create_polyline_on_plane(plane(), [(0, 0), (1, 0)]) is None


def test_raising_override_reaches_caller_of_rectangle():
    class Raising(Fandor):
        def plane_local_axes(self, plane_props):
            raise ZeroDivisionError("no axes")

    r = Raising()
    with pytest.raises(ZeroDivisionError):
        r.create_circle_on_plane(plane(), 0, 0, 1)
    assert r.create_arc_on_plane(plane(), (1, 0), (0, 1), (-1, 0)) is None
