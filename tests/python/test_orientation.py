"""Orientation of placed shapes, checked on points a symmetric measure cannot
see: a cone's apex, a box's far corner, single vertex positions."""

import math

import pytest

from nimbal import kernel as k
from nimbal.enums import ShapeType
from nimbal.managers.corvath import CoreCorvath, _normal_from_rotation_deg
from nimbal.models import quenby as q
from nimbal.services.drulen import Drulen


def vertex_points(shape):
    """Every vertex of the shape as a point rounded for set comparison."""
    points = []
    for v in k.sub_shapes(shape, k.TopAbs_ShapeEnum.TopAbs_VERTEX):
        lo = k.bounding_box(v)[:3]
        points.append(tuple(round(c + 0.0, 6) for c in lo))
    return sorted(set(points))


def rotate_point(p, axis, degrees):
    """Right-hand rotation of p about a world axis through the origin."""
    a = math.radians(degrees)
    c, s = math.cos(a), math.sin(a)
    x, y, z = p
    if axis == "x":
        return (x, y * c - z * s, y * s + z * c)
    if axis == "y":
        return (x * c + z * s, y, -x * s + z * c)
    return (x * c - y * s, x * s + y * c, z)


def place(p, rotation, translation):
    for axis, angle in zip("xyz", rotation):
        if angle:
            p = rotate_point(p, axis, angle)
    return tuple(c + t for c, t in zip(p, translation))


def test_cone_base_at_position_and_apex_at_height():
    # A pointed cone: the seam vertex lies on the base circle at z = 0, the
    # apex at z = height; swapped radii would put them the other way round.
    cone = Drulen.create_cone(5.0, 0.0, 10.0)
    assert vertex_points(cone) == [(0.0, 0.0, 10.0), (5.0, 0.0, 0.0)]
    lo, hi = k.bounding_box(cone)[:3], k.bounding_box(cone)[3:]
    assert lo == pytest.approx((-5, -5, 0), abs=1e-6)
    assert hi == pytest.approx((5, 5, 10), abs=1e-6)


def test_truncated_cone_radii_sit_at_their_ends():
    # The section at the base is the larger one: its area is pi * r1^2.
    cone = Drulen.create_cone(6.0, 2.0, 9.0)
    faces = k.sub_shapes(cone, k.TopAbs_ShapeEnum.TopAbs_FACE)
    discs = {}
    for f in faces:
        lo = k.bounding_box(f)
        if abs(lo[2] - lo[5]) < 1e-9:  # planar cap
            discs[round(lo[2], 6)] = k.area(f)
    assert discs[0.0] == pytest.approx(math.pi * 36, rel=1e-6)
    assert discs[9.0] == pytest.approx(math.pi * 4, rel=1e-6)


ROTATIONS = [
    (90, 0, 0), (-90, 0, 0), (0, 90, 0), (0, -90, 0), (0, 0, 90), (0, 0, -90),
    (30, 0, 0), (0, 30, 0), (0, 0, 30), (90, 90, 0), (0, 90, 90), (30, 45, 60),
]

FIXTURES = [
    # Asymmetric about every axis: a pointed cone (apex off the origin) and
    # a box moved off the origin so its far corner is unique.
    (ShapeType.CONE, lambda: q.ConeProperties(base_radius=5.0, top_radius=0.0, height=10.0)),
    (ShapeType.BOX, lambda: q.BoxProperties(width=2.0, height=4.0, depth=6.0)),
]


@pytest.mark.parametrize("rotation", ROTATIONS, ids=lambda r: "rx%d_ry%d_rz%d" % r)
@pytest.mark.parametrize("shape_type,make", FIXTURES, ids=lambda v: getattr(v, "name", ""))
def test_manager_places_vertices_by_world_rotations_then_translation(shape_type, make, rotation):
    translation = (7.0, -3.0, 11.0)
    mgr = CoreCorvath()
    reference = mgr.create_shape(shape_type, make())
    props = make()
    props.rotation = q.Rotation(*rotation)
    props.translation = q.Translation(*translation)
    placed = mgr.create_shape(shape_type, props)
    expected = sorted({tuple(round(c + 0.0, 6) for c in place(p, rotation, translation))
                       for p in vertex_points(reference.shape)})
    got = vertex_points(placed.shape)
    assert len(got) == len(expected)
    for g, e in zip(got, expected):
        assert g == pytest.approx(e, abs=1e-5)


@pytest.mark.parametrize("rotation", ROTATIONS, ids=lambda r: "rx%d_ry%d_rz%d" % r)
def test_plane_normal_follows_the_same_rotations(rotation):
    assert _normal_from_rotation_deg(*rotation) == pytest.approx(place((0.0, 0.0, 1.0), rotation, (0, 0, 0)),
                                                                 abs=1e-9)


def test_kernel_rotation_sign_about_each_axis():
    # Right-hand rule on the apex of a cone standing on the origin.
    cases = {
        (1, 0, 0): (0.0, -10.0, 0.0),
        (0, 1, 0): (10.0, 0.0, 0.0),
        (0, 0, 1): (0.0, 0.0, 10.0),
    }
    for axis, apex in cases.items():
        turned = Drulen.rotate_shape(Drulen.create_cone(5.0, 0.0, 10.0), (0.0, 0.0, 0.0), axis, 90.0)
        assert any(p == pytest.approx(apex, abs=1e-6) for p in vertex_points(turned)), axis


def test_union_of_overlapping_boxes_keeps_the_faces_the_fuse_made():
    mgr = CoreCorvath()
    a = mgr.create_shape(ShapeType.BOX, q.BoxProperties(width=10.0, height=10.0, depth=10.0))
    props = q.BoxProperties(width=10.0, height=10.0, depth=10.0)
    props.translation = q.Translation(5.0, 0.0, 0.0)
    b = mgr.create_shape(ShapeType.BOX, props)
    u = mgr.get_shape(mgr.union_shapes([a.shape_id, b.shape_id]))
    assert k.is_valid(u.shape)
    assert k.volume(u.shape) == pytest.approx(1500.0, rel=1e-9)
    # Only same-domain edges are merged: the fuse's split side faces stay,
    # so the edges are numbered as the fuse numbered them.
    raw = Drulen.fuse_shapes(a.shape, b.shape)
    for kind in (k.TopAbs_ShapeEnum.TopAbs_FACE, k.TopAbs_ShapeEnum.TopAbs_EDGE):
        assert len(k.sub_shapes(u.shape, kind)) == len(k.sub_shapes(raw, kind))
    assert len(k.sub_shapes(u.shape, k.TopAbs_ShapeEnum.TopAbs_FACE)) == 14
