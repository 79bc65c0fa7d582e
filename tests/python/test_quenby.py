import collections.abc
import copy
import math

import pytest

import _nimbal_testing as t
from nimbal.models import quenby as q

T0 = {"x": 0.0, "y": 0.0, "z": 0.0}
SKETCH = [("plane_id", ""), ("local_u", 0.0), ("local_v", 0.0), ("filled", True)]

# Every record class with its own fields and defaults, in declaration order.
OWN_FIELDS = {
    "Quenby": [],
    "BoxProperties": [("width", 50.0), ("height", 50.0), ("depth", 50.0)],
    "SphereProperties": [("radius", 30.0)],
    "CylinderProperties": [("radius", 20.0), ("height", 60.0)],
    "ConeProperties": [("base_radius", 30.0), ("top_radius", 10.0), ("height", 70.0)],
    "TorusProperties": [("major_radius", 25.0), ("minor_radius", 10.0)],
    "RectangleProperties": [("width", 60.0), ("height", 40.0)] + SKETCH,
    "CircleProperties": [("radius", 30.0)] + SKETCH,
    "PolylineProperties": [("points", []), ("closed", False)],
    "ImportedProperties": [],
    "FaceProperties": [],
    "PlaneProperties": [("normal_x", 0.0), ("normal_y", 0.0), ("normal_z", 1.0),
                        ("origin_x", 0.0), ("origin_y", 0.0), ("origin_z", 0.0),
                        ("source", "standard"), ("standard_plane", "xy"),
                        ("source_face_id", "")],
    "ModifierProperties": [],
    "ArrayProperties": [("count_x", 2), ("count_y", 1), ("count_z", 1),
                        ("spacing_x", 100.0), ("spacing_y", 100.0), ("spacing_z", 100.0)],
    "FilletProperties": [("fillet_radius", 1.0), ("edge_indices", [])],
    "CornerRoundProperties": [("corner_radius", 1.0), ("vertex_indices", [])],
    "PolylineRoundProperties": [("corner_radius", 1.0), ("vertex_indices", [])],
    "ExtrudeProperties": [("depth", 20.0)],
    "BooleanProperties": [("remove_internal_edges", True)],
    "SketchProperties": [("plane_id", "")],
    "LineProperties": [("plane_id", ""), ("p1", (0.0, 0.0)), ("p2", (0.0, 100.0))],
    "ArcProperties": [("plane_id", ""), ("start", (-50.0, 0.0)), ("mid", (0.0, 50.0)),
                      ("end", (50.0, 0.0))],
    "SketchPolylineProperties": [("plane_id", ""), ("points_uv", []), ("closed", False),
                                 ("filled", False)],
}
MODIFIERS = {"ArrayProperties", "FilletProperties", "CornerRoundProperties",
             "PolylineRoundProperties", "ExtrudeProperties"}
SKIP = {
    "PolylineProperties": {"points", "closed"},
    "LineProperties": {"p1", "p2"},
    "ArcProperties": {"start", "mid", "end"},
    "SketchPolylineProperties": {"points_uv", "closed", "filled", "plane_id"},
}
DOCS = {
    "Quenby": "Base class for shape properties.",
    "BoxProperties": "Properties for box shapes.",
    "PolylineProperties": "Properties for a 3D polyline drawn as a wire in the OCP viewport.",
    "ModifierProperties": "Base for all MODIFIER_OP shape properties.",
    "ArcProperties": "Properties for a 3-point arc on a sketch plane (start \u2192 mid \u2192 end).",
    "CornerRoundProperties": "Properties for corner rounding applied to selected vertices of a "
                             "planar face (RECTANGLE).",
}

# A value of every field type different from every default.
SAMPLE = {float: 7.5, int: 4, bool: None, str: "plane_ab12cd34", tuple: None, list: None}


def sample_value(name, default):
    if isinstance(default, bool):
        return not default
    if isinstance(default, tuple):
        return tuple(c + 1.5 for c in default)
    if isinstance(default, list):
        if name == "points":
            return [(0.0, 0.0, 0.0), (1.0, 2.0, 3.0)]
        if name == "points_uv":
            return [(0.0, 0.0), (1.0, 2.0)]
        return [0, 3, 5]
    return SAMPLE[type(default)]


def sample_record(name):
    cls = getattr(q, name)
    kwargs = {f: sample_value(f, d) for f, d in OWN_FIELDS[name]}
    return cls(translation=q.Translation(1.0, 2.0, 3.0), rotation=q.Rotation(0.0, 0.0, 90.0),
               **kwargs)


NAMES = list(OWN_FIELDS)
param_names = pytest.mark.parametrize("name", NAMES)


def test_module_holds_every_record():
    assert q.__doc__ == "Shape property classes for structured data handling"
    assert len(NAMES) + 2 == 25
    assert q._SP.__bound__ is q.Quenby


@param_names
def test_defaults_and_field_order(name):
    rec = getattr(q, name)()
    fields = [("translation", q.Translation()), ("rotation", q.Rotation())] + OWN_FIELDS[name]
    assert rec.__match_args__ == tuple(f for f, _ in fields)
    assert t.record_fields(name) == [f for f, _ in fields]
    for field, default in fields:
        value = getattr(rec, field)
        assert value == default, field
        if isinstance(default, list):
            assert isinstance(value, collections.abc.MutableSequence), field
        else:
            assert type(value) is type(default), field


@param_names
def test_dictionary_form_keys_and_round_trip(name):
    cls = getattr(q, name)
    d = cls().to_dict()
    assert list(d) == ["translation", "rotation"] + [f for f, _ in OWN_FIELDS[name]]
    assert d["translation"] == T0 and list(d["rotation"]) == ["x", "y", "z"]
    assert cls.from_dict(d) == cls()
    assert type(cls.from_dict({})) is cls and cls.from_dict({}) == cls()


@param_names
def test_round_trip_of_non_default_values(name):
    rec = sample_record(name)
    back = type(rec).from_dict(rec.to_dict())
    if name in ("PolylineProperties", "SketchPolylineProperties"):
        # These two never read their position back.
        assert back.translation == q.Translation() and back.rotation == q.Rotation()
        back.translation, back.rotation = rec.translation, rec.rotation
    assert back == rec


@param_names
def test_class_facts(name):
    cls = getattr(q, name)
    assert cls._SKIP_FIELDS == frozenset({"translation", "rotation"} | SKIP.get(name, set()))
    assert issubclass(cls, q.Quenby)
    assert issubclass(cls, q.ModifierProperties) == (name in MODIFIERS or name == "ModifierProperties")
    if name in DOCS:
        assert cls.__doc__ == DOCS[name]
    assert cls.__doc__
    with pytest.raises(TypeError):
        hash(cls())


@param_names
def test_records_are_independent_and_deep_copied(name):
    cls = getattr(q, name)
    a, b = cls(), cls()
    a.translation.x = 5.0
    assert b.translation.x == 0.0 and a != b
    rec = sample_record(name)
    dup = copy.deepcopy(rec)
    assert dup == rec and dup is not rec and type(dup) is cls
    dup.rotation.z = 1.0
    assert rec.rotation.z == 90.0
    for field, default in OWN_FIELDS[name]:
        if isinstance(default, list):
            getattr(dup, field).clear()
            assert len(getattr(rec, field)) > 0
            assert getattr(a, field) is not getattr(b, field)
    assert copy.copy(rec) == rec


def test_records_of_different_classes_never_equal():
    assert q.ImportedProperties() != q.FaceProperties()
    assert q.CornerRoundProperties(corner_radius=2.0, vertex_indices=[1]) != \
        q.PolylineRoundProperties(corner_radius=2.0, vertex_indices=[1])
    assert q.ModifierProperties() != q.Quenby() and q.Quenby() != q.ModifierProperties()
    assert q.Translation(1, 2, 3) != q.Rotation(1, 2, 3)
    assert q.Quenby() != {"translation": T0, "rotation": T0}
    assert q.BoxProperties(width=1) != q.BoxProperties()


def test_construction_by_position_and_keyword():
    rec = q.BoxProperties(q.Translation(1, 0, 0), q.Rotation(), 1, 2, depth=3)
    assert (rec.translation.x, rec.width, rec.height, rec.depth) == (1.0, 1.0, 2.0, 3.0)
    with pytest.raises(TypeError, match="unexpected keyword argument 'size'"):
        q.BoxProperties(size=3)
    with pytest.raises(TypeError, match="multiple values for argument 'width'"):
        q.BoxProperties(q.Translation(), q.Rotation(), 1, width=2)
    with pytest.raises(TypeError, match="positional"):
        q.SphereProperties(q.Translation(), q.Rotation(), 1, 2)
    with pytest.raises(TypeError):
        q.Translation(w=1)


def test_text_form():
    assert repr(q.Quenby()) == ("Quenby(translation=Translation(x=0.0, y=0.0, z=0.0), "
                                "rotation=Rotation(x=0.0, y=0.0, z=0.0))")
    assert repr(q.LineProperties(plane_id="p")).endswith("plane_id='p', p1=(0.0, 0.0), p2=(0.0, 100.0))")
    assert repr(q.FilletProperties(edge_indices=[2, 1])).endswith("fillet_radius=1.0, edge_indices=[2, 1])")


def test_generic_dictionary_reading():
    d = {"translation": {"x": 5}, "width": 10, "colour": "ignored", "height": 2.5}
    rec = q.BoxProperties.from_dict(d)
    assert (rec.translation.x, rec.width, rec.height, rec.depth) == (5.0, 10.0, 2.5, 50.0)
    assert rec.rotation == q.Rotation()
    assert q.Translation.from_dict({}) == q.Translation()
    r = q.Rotation.from_dict({"z": 90, "w": 1})
    assert (r.x, r.y, r.z) == (0.0, 0.0, 90.0)
    # The translation entry is a new dictionary; a list field is a plain list.
    f = q.FilletProperties(edge_indices=[1])
    fd = f.to_dict()
    fd["translation"]["x"] = 9.0
    assert f.translation.x == 0.0 and type(fd["edge_indices"]) is list


class Lookup(collections.abc.Mapping):
    def __init__(self, d):
        self._d = d

    def __getitem__(self, k):
        return self._d[k]

    def __iter__(self):
        return iter(self._d)

    def __len__(self):
        return len(self._d)


def test_any_mapping_is_read():
    rec = q.SphereProperties.from_dict(Lookup({"radius": 4.0, "translation": Lookup({"y": 2.0})}))
    assert (rec.radius, rec.translation.y) == (4.0, 2.0)


@pytest.mark.parametrize("call, exc", [
    (lambda: q.Quenby.from_dict(None), AttributeError),
    (lambda: q.BoxProperties.from_dict([("width", 1)]), AttributeError),
    (lambda: q.BoxProperties.from_dict({"translation": None}), AttributeError),
    (lambda: q.BoxProperties.from_dict({"rotation": [0, 0, 0]}), AttributeError),
    (lambda: q.Translation.from_dict(None), AttributeError),
    (lambda: q.BoxProperties.from_dict({"width": None}), TypeError),
    (lambda: q.BoxProperties.from_dict({"width": "wide"}), TypeError),
    (lambda: q.PlaneProperties.from_dict({"source": 3}), TypeError),
    (lambda: q.BoxProperties.from_dict({"width": object()}), TypeError),
    (lambda: q.Translation.from_dict({"x": None}), TypeError),
])
def test_dictionary_reading_failures(call, exc):
    with pytest.raises(exc):
        call()


@pytest.mark.parametrize("entry, expected", [
    (3.0, 3), (2.9, 2), (-1.5, -1), (True, 1), (False, 0), ("7", 7), (" -12 ", -12), (5, 5)])
def test_array_counts_take_int_conversion(entry, expected):
    rec = q.ArrayProperties.from_dict({"count_x": entry, "count_y": 2.9, "translation": {"z": 1}})
    assert rec.count_x == expected and type(rec.count_x) is int
    assert (rec.count_y, rec.count_z, rec.translation.z) == (2, 1, 1.0)
    assert rec.spacing_x == 100.0


@pytest.mark.parametrize("entry, exc", [
    (None, TypeError), ([2], TypeError), ("two", ValueError), ("2.5", ValueError),
    (math.nan, ValueError), (math.inf, ValueError), (1e300, ValueError)])
def test_array_count_refusals(entry, exc):
    with pytest.raises(exc):
        q.ArrayProperties.from_dict({"count_z": entry})


@pytest.mark.parametrize("name, field", [("FilletProperties", "edge_indices"),
                                         ("CornerRoundProperties", "vertex_indices"),
                                         ("PolylineRoundProperties", "vertex_indices")])
def test_index_lists_take_int_conversion(name, field):
    cls = getattr(q, name)
    src = [1.9, 3, "4", True]
    rec = cls.from_dict({field: src})
    assert getattr(rec, field) == [1, 3, 4, 1]
    getattr(rec, field).append(8)
    assert src == [1.9, 3, "4", True]
    assert getattr(cls.from_dict({}), field) == []
    for bad, exc in ((None, TypeError), (5, TypeError), ([None], TypeError), (["x"], ValueError)):
        with pytest.raises(exc):
            cls.from_dict({field: bad})


def test_polyline_conversion():
    rec = q.PolylineProperties(points=[(0, 0, 0), (1, 0, 0)], closed=True,
                               translation=q.Translation(x=5))
    d = rec.to_dict()
    assert d["points"] == [[0, 0, 0], [1, 0, 0]] and type(d["points"][0]) is list
    assert d["translation"]["x"] == 5 and d["closed"] is True
    back = q.PolylineProperties.from_dict(d)
    assert list(back.points) == [(0.0, 0.0, 0.0), (1.0, 0.0, 0.0)]
    assert back.closed is True and back.translation == q.Translation()
    one = q.PolylineProperties.from_dict({"closed": 1})
    assert one.closed is True and one.points == []
    assert q.PolylineProperties.from_dict({"closed": None}).closed is False
    for bad in (None, 3, [None], [(1, 2)]):
        with pytest.raises((TypeError, ValueError)):
            q.PolylineProperties.from_dict({"points": bad})


def test_line_and_arc_conversion():
    d = q.LineProperties().to_dict()
    assert list(d.items())[2:] == [("plane_id", ""), ("p1", [0.0, 0.0]), ("p2", [0.0, 100.0])]
    assert q.LineProperties.from_dict(d) == q.LineProperties()
    line = q.LineProperties.from_dict({"p1": [1, 2]})
    assert line.p1 == (1.0, 2.0) and line.p2 == (0.0, 100.0) and line.plane_id == ""
    arc = q.ArcProperties(translation=q.Translation(0, 4, 0))
    assert (arc.start, arc.mid, arc.end) == ((-50.0, 0.0), (0.0, 50.0), (50.0, 0.0))
    assert q.ArcProperties.from_dict(arc.to_dict()).translation.y == 4.0
    with pytest.raises(TypeError):
        q.LineProperties.from_dict({"p2": None})
    with pytest.raises(AttributeError):
        q.ArcProperties.from_dict({"rotation": 3})
    with pytest.raises(ValueError):
        q.ArcProperties.from_dict({"mid": [1, 2, 3]})


def test_sketch_polyline_conversion():
    d = q.SketchPolylineProperties().to_dict()
    assert list(d.items())[2:] == [("plane_id", ""), ("points_uv", []), ("closed", False),
                                   ("filled", False)]
    rec = q.SketchPolylineProperties.from_dict(
        {"translation": {"x": 3}, "closed": "yes", "points_uv": [[1, 2], (3, 4)], "plane_id": "p"})
    assert rec.translation == q.Translation() and rec.closed is True and rec.filled is False
    assert list(rec.points_uv) == [(1.0, 2.0), (3.0, 4.0)] and rec.plane_id == "p"
    assert q.SketchPolylineProperties.from_dict({"filled": None}).filled is False


def test_list_fields_are_live():
    rec = q.FilletProperties(edge_indices=[1, 2])
    rec.edge_indices.append(3)
    rec.edge_indices += [4]
    rec.edge_indices[0] = 9
    del rec.edge_indices[1]
    assert rec.edge_indices == [9, 3, 4] and rec.to_dict()["edge_indices"] == [9, 3, 4]
    rec.edge_indices[1:] = [7]
    rec.edge_indices.insert(0, 5)
    rec.edge_indices.sort(reverse=True)
    assert list(rec.edge_indices) == [9, 7, 5]
    rec.edge_indices.sort(key=lambda i: i % 3)  # stable, as list.sort is
    assert list(rec.edge_indices) == [9, 7, 5]
    with pytest.raises(TypeError, match="no positional arguments"):
        rec.edge_indices.sort(None)
    assert rec.edge_indices.pop() == 5
    assert len(rec.edge_indices) == 2 and 9 in rec.edge_indices and 5 not in rec.edge_indices
    assert rec.edge_indices is rec.edge_indices
    assert isinstance(rec.edge_indices, collections.abc.MutableSequence)
    poly = q.PolylineProperties(points=[(0, 0, 0)])
    poly.points[0] = (1, 2, 3)
    poly.points.extend([[4, 5, 6]])
    assert poly.points == [(1.0, 2.0, 3.0), (4.0, 5.0, 6.0)] and poly.points != ((1, 2, 3), (4, 5, 6))
    assert repr(poly.points) == "[(1.0, 2.0, 3.0), (4.0, 5.0, 6.0)]"
    held = rec.edge_indices
    del rec
    assert held == [9, 7]


@pytest.mark.parametrize("action", [
    lambda r: r.edge_indices.append(1.5),
    lambda r: r.edge_indices.append("1"),
    lambda r: r.edge_indices.__setitem__(0, None),
    lambda r: r.edge_indices.extend([1, None]),
    lambda r: setattr(r, "edge_indices", "12"),
    lambda r: setattr(r, "edge_indices", None),
])
def test_list_fields_refuse_other_element_types(action):
    rec = q.FilletProperties(edge_indices=[1])
    with pytest.raises(TypeError):
        action(rec)
    assert rec.edge_indices == [1]


def test_list_field_index_errors():
    rec = q.FilletProperties()
    with pytest.raises(IndexError, match="^list index out of range$"):
        rec.edge_indices[0]
    with pytest.raises(IndexError, match="^pop from empty list$"):
        rec.edge_indices.pop()
    rec.edge_indices.append(4)
    for bad in (lambda l: l.pop(1), lambda l: l.__delitem__(-2), lambda l: l.__setitem__(1, 0)):
        with pytest.raises(IndexError, match="^list index out of range$"):
            bad(rec.edge_indices)
    assert rec.edge_indices == [4]
    with pytest.raises(ValueError):
        rec.edge_indices.remove(1)


@pytest.mark.parametrize("make", [lambda: q.ArrayProperties(count_x=2**31),
                                  lambda: q.ArrayProperties(count_y=-2**80),
                                  lambda: q.FilletProperties(edge_indices=[2**31])])
def test_integer_fields_refuse_values_beyond_int(make):
    with pytest.raises(ValueError, match="out of range"):
        make()


@pytest.mark.parametrize("edit", [
    lambda l: l.__setitem__(slice(1, 8, 2), [0, 0, 0, 0]),
    lambda l: l.__setitem__(slice(1, 8, 2), [0, 0]),
    lambda l: l.__setitem__(slice(8, 2), [5, 5, 5]),
    lambda l: l.__setitem__(slice(None, None, -3), [1, 2, 3, 4]),
    lambda l: l.__delitem__(slice(None, None, -2)),
    lambda l: (l.insert(-100, 7), l.insert(100, 8), l.insert(-1, 9)),
    lambda l: l.index(42),
    lambda l: l.index(6),
])
def test_list_fields_edit_as_lists_do(edit):
    # The same edit on a plain list and on a live list: same items after, same error.
    plain, rec = list(range(10)), q.FilletProperties(edge_indices=range(10))
    outcomes = []
    for target in (plain, rec.edge_indices):
        try:
            outcomes.append(edit(target))
        except ValueError as e:
            outcomes.append(str(e))
    assert outcomes[0] == outcomes[1] and list(rec.edge_indices) == plain


def test_nested_position_records_are_the_records_own():
    rec = q.BoxProperties()
    t_ = rec.translation
    t_.x = 4.0
    assert rec.translation.x == 4.0 and rec.translation is t_
    rec.rotation = q.Rotation(z=45)
    assert rec.rotation.z == 45.0


@pytest.mark.parametrize("cls, field, value", [
    (q.BoxProperties, "width", None), (q.BoxProperties, "width", "10"),
    (q.BoxProperties, "width", True), (q.ArrayProperties, "count_x", 2.5),
    (q.ArrayProperties, "count_x", True),
    (q.RectangleProperties, "filled", "yes"), (q.RectangleProperties, "plane_id", 3),
    (q.LineProperties, "p1", (1, 2, 3)), (q.LineProperties, "p1", "ab"),
    (q.Quenby, "translation", 5), (q.Quenby, "rotation", q.Translation()),
    (q.Translation, "x", None),
])
def test_typed_fields_refuse_other_values(cls, field, value):
    with pytest.raises(TypeError, match=field):
        cls(**{field: value})
    rec = cls()
    with pytest.raises(TypeError):
        setattr(rec, field, value)
    assert getattr(rec, field) == getattr(cls(), field)


def test_typed_fields_convert_compatible_values():
    rec = q.BoxProperties(width=10)
    assert rec.width == 10.0 and type(rec.width) is float
    rect = q.RectangleProperties(filled=0)
    assert rect.filled is False
    assert q.LineProperties(p1=[1, 2]).p1 == (1.0, 2.0)


class MyBox(q.BoxProperties):
    pass


def test_python_subclass_of_a_record():
    rec = MyBox.from_dict({"width": 3})
    assert type(rec) is MyBox and rec.width == 3.0
    dup = copy.deepcopy(rec)
    assert type(dup) is MyBox and dup == rec
    assert rec != q.BoxProperties(width=3)


class NewGivesSphere(q.BoxProperties):
    def __new__(cls, *args, **kwargs):
        return q.SphereProperties()


def test_from_dict_only_fills_a_record_of_its_class():
    # The classmethod's function called on another class, and a __new__
    # answering a record of another class, must not write fields across.
    from_dict = q.Quenby.__dict__["from_dict"].__func__
    for cls in (int, q.Translation):
        with pytest.raises(TypeError, match="not a record class"):
            from_dict(cls, {})
    assert from_dict(q.SphereProperties, {"radius": 2}) == q.SphereProperties(radius=2)
    with pytest.raises(TypeError, match="cannot copy a BoxProperties into a SphereProperties"):
        NewGivesSphere.from_dict({"width": 3})
