"""Refusals of the face's shared readers: mappings walked item by item,
iterables of shapes and of numbers, and constructors' arguments."""
import logging

import pytest

import nimbal.kernel as k
from nimbal.models import quenby as q
from nimbal.services import hathel as h
from nimbal.services.drulen import Drulen
from nimbal.enums import ShapeType
from nimbal.managers.corvath import ManagedShape
from nimbal.managers.tessik import CoreTessik
from nimbal.services.lumbra import Lumbra, ShapeInfo


class Pairs:
    """A mapping as far as the readers care: only items()."""

    def __init__(self, items):
        self._items = items

    def items(self):
        return self._items


def broken_after(first):
    yield first
    raise RuntimeError("broke")


@pytest.mark.parametrize("make, message", [
    # the key is refused before its value
    (lambda: h._UndoCommand("d", before={1: 5}), "before keys must be shape ids (str), not 'int'"),
    (lambda: h._UndoCommand("d", before={"a": 5}), "before values must be _ShapeSnapshot or None, not 'int'"),
    (lambda: h._UndoCommand("d", after=Pairs([("a", None, 1)])),
     "after items must be (shape id, snapshot) pairs, not 'tuple'"),
    (lambda: h._UndoCommand("d", before=5), "before must be a mapping of shape id to snapshot or None, not 'int'"),
    (lambda: h.CommandList([5]), "CommandList items must be _UndoCommand, not 'int'"),
    (lambda: q.Translation.from_dict({"x": Pairs([("x", 1, 2)])}),
     "a mapping's items must be (key, value) pairs, not 'tuple'"),
    (lambda: ShapeInfo("a", k.AIS_Shape(Drulen.create_box(1, 1, 1)), broken_after(0.5)),
     "color: the value could not be iterated"),
])
def test_a_value_the_readers_cannot_take_raises_type_error(make, message):
    with pytest.raises(TypeError) as e:
        make()
    assert str(e.value) == message


@pytest.mark.parametrize("make, error, message", [
    (lambda: ManagedShape(1, None, ShapeType.BOX, "n", (0, 0, 0), q.BoxProperties()), TypeError,
     "shape_id must be a str, not 'int'"),
    (lambda: ManagedShape("a", 3, ShapeType.BOX, "n", (0, 0, 0), q.BoxProperties()), TypeError,
     "shape must be a kernel shape or None, not 'int'"),
    (lambda: ManagedShape("a", None, 1, "n", (0, 0, 0), q.BoxProperties()), TypeError,
     "shape_type must be a nimbal.enums.ShapeType, not 'int'"),
    (lambda: h._ShapeSnapshot("a", None, ShapeType.BOX, "n", 1, q.BoxProperties(), [], None), TypeError,
     "color must be a sequence of three numbers, not 'int'"),
    (lambda: h._UndoCommand(5), TypeError, "description must be a str, not 'int'"),
    (lambda: h.Hathel(print, 2), TypeError, "on_change must be a callable, not 'int'"),
    (lambda: h.Hathel(print, print, 3), TypeError, "on_redo_clears_all must be a callable, not 'int'"),
    (lambda: h.Hathel(print, print, None, 2.5), TypeError, "max_steps must be an integer, not 'float'"),
    (lambda: CoreTessik(plane_id=5), TypeError, "plane_id must be a str, not 'int'"),
    (lambda: ShapeInfo(5, None), TypeError, "shape_id must be a str, not 'int'"),
    (lambda: Lumbra("view", None, None), TypeError, "view must be a V3d_View or None, not 'str'"),
    (lambda: k.Quantity_Color(1, 2, "x", k.Quantity_TOC_RGB), TypeError, "b must be a real number, not 'str'"),
    (lambda: k.Prs3d_LineAspect(None, k.Aspect_TOL_SOLID, 1.0), TypeError,
     "color must be a Quantity_Color, not 'NoneType'"),
    (lambda: k.AIS_Shape(None), TypeError, "shape must be a kernel shape, not 'NoneType'"),
])
def test_a_constructor_refuses_a_wrong_argument_as_a_method_does(make, error, message):
    with pytest.raises(error) as e:
        make()
    assert str(e.value) == message


def test_a_mapping_read_item_by_item_keeps_every_pair():
    cmd = h._UndoCommand("d", before=Pairs([("a", None), ("b", None)]))
    assert dict(cmd.before.items()) == {"a": None, "b": None}


@pytest.mark.parametrize("shapes, message", [
    ("abc", "shapes must be an iterable of kernel shapes, not 'str'"),
    (5, "shapes must be an iterable of kernel shapes, not 'int'"),
    ([k.TopoDS_Shape(), None], "each item of shapes must be a kernel shape, not 'NoneType'"),
    (broken_after(k.TopoDS_Shape()), "broke"),
])
def test_shapes_that_are_no_iterable_of_shapes_fail_the_export(tmp_path, capture_logs, shapes, message):
    target = tmp_path / "x.step"
    assert Drulen().export_shapes_to_step(shapes, str(target)) is False
    assert not target.exists()
    errors = [r.getMessage() for r in capture_logs.records if r.levelno == logging.ERROR]
    assert errors == ["Error exporting STEP file: " + message]
