import pytest

import _nimbal_testing as t
from nimbal import enums
from nimbal.enums import (DECOMPOSABLE_SHAPE_TYPES, VOLUME_SHAPE_TYPES, ShapeCategory,
                          ShapeType)

ENUMS = ["ShapeType", "ShapeCategory", "StandardPlane", "DisplayMode", "ProjectionType",
         "ViewDirection", "SelectionMode"]


@pytest.mark.parametrize("member", list(ShapeType), ids=lambda m: m.name)
def test_shape_type_from_value_and_lower_case_value(member):
    assert ShapeType(member.value) is member
    assert member.value == member.name.lower()


def test_fixed_categories():
    cat = {m: m.category for m in ShapeType}
    assert {m for m, c in cat.items() if c is ShapeCategory.BOOLEAN_OP} == {
        ShapeType.UNION, ShapeType.SUBTRACTION}
    assert {m for m, c in cat.items() if c is ShapeCategory.MODIFIER_OP} == {
        ShapeType.ARRAY, ShapeType.FILLET, ShapeType.CORNER_ROUND, ShapeType.POLYLINE_ROUND,
        ShapeType.EXTRUDE}
    # Project files export exactly these as geometry.
    assert {m for m, c in cat.items() if c is ShapeCategory.EXTERNAL} == {
        ShapeType.IMPORTED, ShapeType.FACE}
    primitives = {ShapeCategory.SOLID_PRIMITIVE, ShapeCategory.PLANAR_PRIMITIVE,
                  ShapeCategory.CURVE_PRIMITIVE}
    for m in ("BOX", "SPHERE", "CYLINDER", "CONE", "TORUS", "RECTANGLE", "CIRCLE", "POLYLINE"):
        assert ShapeType[m].category in primitives


def test_type_sets():
    assert DECOMPOSABLE_SHAPE_TYPES == {
        ShapeType.UNION, ShapeType.SUBTRACTION, ShapeType.FILLET, ShapeType.CORNER_ROUND,
        ShapeType.POLYLINE_ROUND, ShapeType.ARRAY, ShapeType.EXTRUDE}
    assert {ShapeType.BOX, ShapeType.IMPORTED, ShapeType.UNION, ShapeType.FILLET} <= VOLUME_SHAPE_TYPES
    assert not {ShapeType.FACE, ShapeType.PLANE, ShapeType.SKETCH, ShapeType.RECTANGLE} & VOLUME_SHAPE_TYPES


def test_members_as_keys_and_set_members():
    d = {ShapeType.BOX: 1, ShapeType("box"): 2}
    assert d == {ShapeType.BOX: 2}
    assert ShapeType("union") in DECOMPOSABLE_SHAPE_TYPES
    assert enums.StandardPlane("xz").value == "xz"
    assert enums.ProjectionType.ORTHOGRAPHIC != enums.ProjectionType.PERSPECTIVE


@pytest.mark.parametrize("name", ENUMS)
def test_cpp_mirror_matches(name):
    py_members = [(m.name, m.value) for m in getattr(enums, name)]
    assert t.enum_tables()[name] == py_members


@pytest.mark.parametrize("name", ENUMS[2:] + ["ShapeType"])
def test_every_member_crosses_both_ways(name):
    echo = {"ShapeType": t.echo_shape_type, "StandardPlane": t.echo_standard_plane,
            "DisplayMode": t.echo_display_mode, "ProjectionType": t.echo_projection_type,
            "ViewDirection": t.echo_view_direction, "SelectionMode": t.echo_selection_mode}[name]
    for m in getattr(enums, name):
        assert echo(m) is m


@pytest.mark.parametrize("member", list(ShapeType), ids=lambda m: m.name)
def test_cpp_facts_match(member):
    assert t.shape_type_facts(member) == (
        member.category, member in VOLUME_SHAPE_TYPES, member in DECOMPOSABLE_SHAPE_TYPES)


@pytest.mark.parametrize("bad", ["box", 0, None, enums.StandardPlane.XY])
def test_cpp_refuses_non_members(bad):
    with pytest.raises(TypeError):
        t.echo_shape_type(bad)
