import logging
import os

import pytest

import _nimbal_testing as t
from nimbal import kernel as k
from nimbal.services.drulen import Drulen

D = Drulen
LOGGER = "nimbal.services.drulen"


def records(caplog):
    return [(r.levelno, r.getMessage()) for r in caplog.records if r.name == LOGGER]


def two_shapes():
    return [D.create_box(2, 2, 2), D.create_sphere(1, (5, 0, 0))]


@pytest.mark.parametrize("name, export", [
    ("pair.step", lambda s, f: Drulen().export_shapes_to_step(s, f)),
    ("pair.iges", D.export_shapes_to_iges),
])
def test_round_trip_of_two_shapes(tmp_path, name, export, capture_logs):
    shapes = two_shapes()
    target = str(tmp_path / name)
    assert export(shapes, target) is True
    assert sorted(os.listdir(tmp_path)) == [name]  # no temporary left
    for spelling in (target, target[:-5] + target[-5:].upper()):
        if spelling != target:
            os.rename(target, spelling)
            target = spelling
        back = D.import_file(target)
        assert type(back) is k.TopoDS_Compound
        if name.endswith(".step"):
            assert back.NbChildren() == 2 and len(k.sub_shapes(back, k.TopAbs_SOLID)) == 2
            assert k.volume(back) == pytest.approx(sum(k.volume(s) for s in shapes), rel=1e-4)
        else:  # IGES carries the faces as trimmed surfaces
            assert len(k.sub_shapes(back, k.TopAbs_FACE)) == sum(len(k.sub_shapes(s, k.TopAbs_FACE)) for s in shapes)
            assert k.area(back) == pytest.approx(sum(k.area(s) for s in shapes), rel=1e-4)
        assert k.bounding_box(back) == pytest.approx(k.bounding_box(t.compound_of(shapes)), abs=1e-4)
    assert records(capture_logs) == []


def test_single_shape_exports(tmp_path):
    box = D.create_box(1, 2, 3)
    for fn, name, measure, value in [(D.export_step, "one.stp", k.volume, 6), (D.export_iges, "one.igs", k.area, 22)]:
        assert fn(box, str(tmp_path / name)) is True
        assert measure(D.import_file(str(tmp_path / name))) == pytest.approx(value, rel=1e-4)


def test_readers_by_hand(tmp_path):
    f = str(tmp_path / "b.step")
    assert D.export_step(D.create_box(1, 1, 1), f)
    from nimbal.services import drulen
    got = D._import_with_reader(drulen.STEPControl_Reader(), f, "STEP")
    assert k.volume(got) == pytest.approx(1)


def test_step_schema_is_ap203(tmp_path):
    f = tmp_path / "s.step"
    assert Drulen().export_shapes_to_step([D.create_box(1, 1, 1)], str(f))
    assert "AP203" in f.read_text().upper() or "CONFIG_CONTROL_DESIGN" in f.read_text().upper()


def test_export_that_loses_a_shape_reports_failure(tmp_path, capture_logs):
    # A null shape cannot be transferred: the export reports it instead of
    # writing a file without it.
    target = tmp_path / "lost.step"
    assert Drulen().export_shapes_to_step([D.create_box(1, 1, 1), k.TopoDS_Shape()], str(target)) is False
    assert not target.exists() and os.listdir(tmp_path) == []
    [(level, msg)] = records(capture_logs)
    assert level == logging.ERROR and msg.startswith("Error exporting STEP file: ") and "shape 1" in msg
    capture_logs.clear()
    assert D.export_shapes_to_iges([k.TopoDS_Shape()], str(tmp_path / "lost.igs")) is False
    [(level, msg)] = records(capture_logs)
    assert msg.startswith("Error exporting IGES file: ") and "shape 0" in msg


def test_a_file_that_cannot_be_made_is_false_with_a_warning_saying_why(tmp_path, capture_logs):
    box = [D.create_box(1, 1, 1)]
    missing = str(tmp_path / "no" / "such" / "dir" / "x.step")
    assert Drulen().export_shapes_to_step(box, missing) is False
    assert D.export_shapes_to_iges(box, str(tmp_path / "no" / "x.igs")) is False
    assert records(capture_logs) == [
        (logging.WARNING, f"cannot write {missing}: No such file or directory"),
        (logging.WARNING, f"cannot write {tmp_path / 'no' / 'x.igs'}: No such file or directory")]
    assert os.listdir(tmp_path) == []
    capture_logs.clear()
    os.chmod(tmp_path, 0o500)
    try:
        if os.access(tmp_path, os.W_OK):
            pytest.skip("running with rights that ignore directory permissions")
        assert Drulen().export_shapes_to_step(box, str(tmp_path / "ro.step")) is False
    finally:
        os.chmod(tmp_path, 0o700)
    assert records(capture_logs) == [(logging.WARNING, f"cannot write {tmp_path / 'ro.step'}: Permission denied")]
    assert os.listdir(tmp_path) == []


def test_overwrite_replaces_file_whole(tmp_path):
    target = tmp_path / "m.step"
    target.write_text("old")
    assert Drulen().export_shapes_to_step(two_shapes(), str(target))
    assert k.sub_shapes(D.import_file(str(target)), k.TopAbs_SOLID).__len__() == 2
    assert sorted(os.listdir(tmp_path)) == ["m.step"]


def test_empty_export_and_empty_import(tmp_path, capture_logs):
    target = str(tmp_path / "empty.step")
    # The kernel refuses to write a model without a root: the write status.
    result = Drulen().export_shapes_to_step([], target)
    assert result is False and records(capture_logs) == []
    assert os.listdir(tmp_path) == []


def test_unreadable_contents_and_bad_names(tmp_path, capture_logs):
    junk = tmp_path / "junk.step"
    junk.write_text("this is not a STEP file\n")
    assert D.import_file(str(junk)) is None
    [(level, msg)] = records(capture_logs)
    assert level == logging.ERROR and msg == "Error reading STEP file: " + str(junk)
    capture_logs.clear()
    assert D.import_file(str(tmp_path / "a\0b.step")) is None
    [(level, msg)] = records(capture_logs)
    assert msg.startswith("Error importing STEP file: ")
    capture_logs.clear()
    assert Drulen().export_shapes_to_step([D.create_box(1, 1, 1)], str(tmp_path / "a\0b.step")) is False
    assert records(capture_logs)[0][1].startswith("Error exporting STEP file: ")
    assert os.listdir(tmp_path) == ["junk.step"]
    with pytest.raises(TypeError):
        D.import_file(None)


def test_every_step_file_of_a_process_has_the_same_schema(tmp_path):
    # A fresh interpreter: the kernel's exchange settings start at their
    # defaults, so the first export is the one that could differ.
    import subprocess
    import sys
    script = (
        "import sys\n"
        "from nimbal.services.drulen import Drulen as D\n"
        "b = D.create_box(1, 1, 1)\n"
        "for p in sys.argv[1:]:\n"
        "    assert D.export_step(b, p)\n"
    )
    paths = [str(tmp_path / f"{i}.step") for i in range(2)]
    subprocess.run([sys.executable, "-c", script, *paths], check=True, timeout=120)
    for p in paths:
        with open(p) as f:
            assert "FILE_SCHEMA(('CONFIG_CONTROL_DESIGN'));" in f.read(), p
