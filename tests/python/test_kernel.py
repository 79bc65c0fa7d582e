import logging

import pytest

import _nimbal_testing as t
from nimbal import kernel as k


def test_shapes_arrive_as_their_subtype():
    box = t.make_box(10, 20, 30)
    assert type(box) is k.TopoDS_Solid and isinstance(box, k.TopoDS_Shape)
    assert box.ShapeType() == k.TopAbs_SOLID
    compound = t.make_box_and_face()
    assert type(compound) is k.TopoDS_Compound
    kinds = {k.TopAbs_SOLID: k.TopoDS_Solid, k.TopAbs_SHELL: k.TopoDS_Shell,
             k.TopAbs_FACE: k.TopoDS_Face, k.TopAbs_WIRE: k.TopoDS_Wire,
             k.TopAbs_EDGE: k.TopoDS_Edge, k.TopAbs_VERTEX: k.TopoDS_Vertex}
    for kind, cls in kinds.items():
        subs = k.sub_shapes(compound, kind)
        assert subs and all(type(s) is cls for s in subs)


def test_sub_shape_counts_and_order_are_stable():
    box = t.make_box(1, 2, 3)
    counts = [len(k.sub_shapes(box, kind)) for kind in (k.TopAbs_FACE, k.TopAbs_EDGE, k.TopAbs_VERTEX)]
    assert counts == [6, 12, 8]
    assert k.sub_shapes(box, k.TopAbs_EDGE) == k.sub_shapes(box, k.TopAbs_EDGE)
    assert k.sub_shapes(t.null_shape(), k.TopAbs_FACE) == []


def test_equality_and_hash_follow_map_shapes():
    box = t.make_box(1, 1, 1)
    a = k.sub_shapes(box, k.TopAbs_EDGE)
    b = k.sub_shapes(box, k.TopAbs_EDGE)
    assert all(x == y and hash(x) == hash(y) and x is not y for x, y in zip(a, b))
    assert len(set(a + b)) == 12
    assert a[0] != a[1]
    # Orientation does not matter, as in TopExp::MapShapes.
    assert a[0].Reversed() == a[0] and hash(a[0].Reversed()) == hash(a[0])
    assert not a[0].Reversed().IsEqual(a[0])
    assert t.make_box(1, 1, 1) != box


def test_measures():
    box = t.make_box(10, 20, 30)
    assert k.volume(box) == pytest.approx(6000)
    assert k.area(box) == pytest.approx(2 * (200 + 300 + 600))
    assert k.length(box) == pytest.approx(4 * (10 + 20 + 30))
    assert k.bounding_box(box) == pytest.approx((0, 0, 0, 10, 20, 30))
    assert k.is_valid(box)
    # Only solids count toward volume; the face adds its area.
    mixed = t.make_box_and_face()
    assert k.volume(mixed) == pytest.approx(6)
    assert k.area(mixed) == pytest.approx(22 + 100)


def test_null_shape_is_safe():
    null = t.null_shape()
    assert null.IsNull() and not t.make_box(1, 1, 1).IsNull()
    assert t.shape_or_none(null) is None
    assert (k.volume(null), k.area(null), k.length(null)) == (0, 0, 0)
    assert k.bounding_box(null) is None
    assert not k.is_valid(null)
    with pytest.raises(k.KernelError, match="null"):
        null.ShapeType()
    assert k.TopoDS_Shape() == k.TopoDS_Shape()


def test_kernel_error_is_translated():
    with pytest.raises(k.KernelError) as info:
        t.raise_kernel_failure("radius must be positive")
    assert str(info.value) == "Standard_ConstructionError: radius must be positive"
    assert issubclass(k.KernelError, RuntimeError)


@pytest.mark.parametrize("kind, exc", [("type", TypeError), ("value", ValueError),
                                       ("attribute", AttributeError), ("key", KeyError),
                                       ("assertion", AssertionError)])
def test_core_errors_are_translated(kind, exc):
    with pytest.raises(exc, match="bad input"):
        t.raise_core_error(kind, "bad input")


def test_log_records_reach_python_logging(capture_logs):
    t.log("nimbal.test.logger", logging.WARNING, "Refused: zero radius", False)
    t.log("nimbal.test.logger", logging.ERROR, "Fillet failed", True)
    recs = [r for r in capture_logs.records if r.name == "nimbal.test.logger"]
    assert [(r.levelno, r.getMessage()) for r in recs] == [
        (logging.WARNING, "Refused: zero radius"), (logging.ERROR, "Fillet failed")]
    assert recs[0].exc_info is None
    etype, evalue, _ = recs[1].exc_info
    assert etype is k.KernelError and "zero norm" in str(evalue)


def test_log_respects_logger_level(caplog):
    logging.getLogger("nimbal.test.quiet").setLevel(logging.ERROR)
    with caplog.at_level(logging.DEBUG, logger="nimbal.test.other"):
        t.log("nimbal.test.quiet", logging.INFO, "not shown", False)
    assert not [r for r in caplog.records if r.name == "nimbal.test.quiet"]


def test_kernel_messages_go_to_logging_not_stdout(capfd, tmp_path, capture_logs):
    from nimbal.services.drulen import Drulen

    assert Drulen().export_shapes_to_step([t.make_box(1, 1, 1)], str(tmp_path / "a.step"))
    out, _ = capfd.readouterr()
    assert out == ""
    assert any(r.name == "nimbal.kernel" for r in capture_logs.records)
