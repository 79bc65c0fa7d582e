"""What goes out through an export or a project file comes back as it was:
the same geometry, the same kind of shape, sub-shapes in the same order;
and an export writes the file the way the format and the file system say."""
import logging
import os
import zipfile

import pytest

import _nimbal_testing as t
from nimbal import kernel as k
from nimbal.enums import ShapeType as T
from nimbal.managers.corvath import CoreCorvath
from nimbal.models import quenby as q
from nimbal.services.drulen import Drulen as D
from nimbal.services.ombrel import ProjectSerializer as PS
from ombrel_fixtures import step_entries_only, step_file

LOGGER = "nimbal.services.drulen"


def facts(shape):
    return [k.volume(shape), k.area(shape), *k.bounding_box(shape)]


def same_facts(a, b):
    return facts(a) == pytest.approx(facts(b), rel=1e-3, abs=1e-6)


def centres(shape, kind):
    """The centre of each sub-shape of `kind`, in the kernel's numbering."""
    out = []
    for s in k.sub_shapes(shape, kind):
        b = k.bounding_box(s)
        out.append(tuple(round((b[i] + b[i + 3]) / 2, 4) for i in range(3)))
    return out


def spheres(mgr):
    a = mgr.create_shape(T.SPHERE, q.SphereProperties(radius=10.0))
    b = mgr.create_shape(T.SPHERE, q.SphereProperties(radius=8.0, translation=q.Translation(x=8.0)))
    return a, b


def sphere_and_box(mgr):
    a = mgr.create_shape(T.SPHERE, q.SphereProperties(radius=10.0))
    b = mgr.create_shape(T.BOX, q.BoxProperties(width=10.0, height=10.0, depth=10.0,
                                                translation=q.Translation(x=5.0, y=-5.0, z=-5.0)))
    return a, b


def box_minus_two_cylinders():
    """Its cut holds a face oriented INTERNAL where the cylinders overlap."""
    box = D.create_box(40.0, 20.0, 20.0)
    cyl = D.translate_shape(D.create_cylinder(5.0, 40.0), 10.0, 10.0, -10.0)
    return D.cut_shapes(box, D().create_array_compound(cyl, (2, 1, 1), (4.0, 0.0, 0.0)))


def save_and_load(mgr, tmp_path, name="p.vrex", step_only=False):
    path = str(tmp_path / name)
    assert PS.save_project(path, mgr)
    if step_only:
        step_entries_only(path)
    back = CoreCorvath()
    assert PS.load_project(path, back) is True
    return back


def top(mgr):
    return [mgr.get_shape(i) for i in mgr.get_all_shape_ids()]


# ---------------------------------------------------------------- STEP export

@pytest.mark.parametrize("pair", [spheres, sphere_and_box], ids=["sphere and sphere", "sphere and box"])
def test_a_union_read_back_from_its_export_is_the_union(tmp_path, pair):
    mgr = CoreCorvath()
    uid = mgr.union_shapes([s.shape_id for s in pair(mgr)])
    union = mgr.get_shape(uid).shape
    path = str(tmp_path / "u.step")
    assert mgr.export_shape_to_step(uid, path) is True
    back = D.import_file(path)
    assert same_facts(back, union)
    assert len(k.sub_shapes(back, k.TopAbs_FACE)) == len(k.sub_shapes(union, k.TopAbs_FACE))


@pytest.mark.parametrize("pair", [spheres, sphere_and_box], ids=["sphere and sphere", "sphere and box"])
@pytest.mark.parametrize("step_only", [False, True], ids=["as saved", "step entries only"])
def test_faces_split_from_a_union_keep_their_area_through_a_project_file(tmp_path, pair, step_only):
    mgr = CoreCorvath()
    uid = mgr.union_shapes([s.shape_id for s in pair(mgr)])
    faces = [mgr.get_shape(i).shape for i in mgr.split_to_faces(uid)]
    back = top(save_and_load(mgr, tmp_path, step_only=step_only))
    assert len(back) == len(faces)
    for face, loaded in zip(faces, back):
        assert k.area(loaded.shape) == pytest.approx(k.area(face), rel=1e-3)
        assert k.bounding_box(loaded.shape) == pytest.approx(k.bounding_box(face), rel=1e-3, abs=1e-6)


def test_a_face_oriented_internal_is_split_forward_and_never_exported_as_a_success(tmp_path, capture_logs):
    cut = box_minus_two_cylinders()
    inner = [f for f in k.sub_shapes(cut, k.TopAbs_FACE) if f.Orientation() == k.TopAbs_INTERNAL]
    assert len(inner) == 1
    # The writer cannot write such a face on its own: the export says so.
    assert D.export_step(inner[0], str(tmp_path / "inner.step")) is False
    [(level, msg)] = [(r.levelno, r.getMessage()) for r in capture_logs.records if r.name == LOGGER]
    assert level == logging.ERROR and msg == "Error exporting STEP file: 1 face could not be written"
    assert not (tmp_path / "inner.step").exists()
    # Split off on its own it bounds nothing: it comes out FORWARD, which the
    # writer writes and the reader gives back.
    split = [f for f in D.explode_to_faces(cut) if facts(f) == pytest.approx(facts(inner[0]))
             and f.Orientation() != k.TopAbs_REVERSED]
    assert split and all(f.Orientation() == k.TopAbs_FORWARD for f in split)
    path = str(tmp_path / "face.step")
    assert D.export_step(split[0], path) is True
    assert same_facts(D.import_file(path), split[0])


def test_the_manager_refuses_a_cut_the_checker_calls_invalid():
    """The kernel's cut with an INTERNAL face is no valid solid: the manager
    does not register it."""
    mgr = CoreCorvath()
    box = mgr.create_shape(T.BOX, q.BoxProperties(width=40.0, height=20.0, depth=20.0))
    cyl = mgr.create_shape(T.CYLINDER, q.CylinderProperties(radius=5.0, height=40.0,
                                                            translation=q.Translation(x=10.0, y=10.0, z=-10.0)))
    arr = mgr.create_shape_array(cyl.shape_id, q.ArrayProperties(count_x=2, spacing_x=4.0))
    ids = mgr.get_all_shape_ids()
    assert mgr.subtract_shapes([box.shape_id, arr]) is None
    assert mgr.get_all_shape_ids() == ids


# ---------------------------------------------------------------- the native copy

def test_a_project_file_holds_a_native_copy_beside_each_step_entry(tmp_path):
    mgr = CoreCorvath()
    imp = mgr.import_shape(step_file(tmp_path), name="Part")
    path = str(tmp_path / "p.vrex")
    assert PS.save_project(path, mgr)
    with zipfile.ZipFile(path) as zf:
        assert zf.namelist() == ["project.json", f"shapes/{imp.shape_id}.step", f"shapes/{imp.shape_id}.bin"]
        assert zf.read(f"shapes/{imp.shape_id}.step").startswith(b"ISO-10303-21")


def test_a_union_of_two_overlapping_faces_after_a_load(tmp_path):
    mgr = CoreCorvath()
    a = mgr.create_shape(T.BOX, q.BoxProperties(width=20.0, height=20.0, depth=5.0))
    b = mgr.create_shape(T.BOX, q.BoxProperties(width=20.0, height=20.0, depth=5.0,
                                                translation=q.Translation(x=10.0, y=10.0)))
    # The bottom faces (z = 0) of both boxes: 400 each, overlapping by 100.
    bottom = []
    for box in (a, b):
        for fid in mgr.split_to_faces(box.shape_id):
            if k.bounding_box(mgr.get_shape(fid).shape)[5] < 1e-9:
                bottom.append(fid)
    assert len(bottom) == 2
    uid = mgr.union_shapes(bottom)
    saved = mgr.get_shape(uid).shape
    faces = len(k.sub_shapes(saved, k.TopAbs_FACE))
    assert k.area(saved) == pytest.approx(700.0)
    loaded = [s for s in top(save_and_load(mgr, tmp_path)) if s.shape_type == T.UNION]
    assert len(loaded) == 1
    assert k.area(loaded[0].shape) == pytest.approx(700.0)
    assert len(k.sub_shapes(loaded[0].shape, k.TopAbs_FACE)) == faces
    assert [type(c.shape) for c in loaded[0].components] == [k.TopoDS_Face] * 2


def test_a_corner_round_by_vertex_index_rounds_the_same_corner_after_a_load(tmp_path):
    mgr = CoreCorvath()
    box = mgr.create_shape(T.BOX, q.BoxProperties(width=30.0, height=20.0, depth=10.0,
                                                  rotation=q.Rotation(x=20.0, y=35.0, z=10.0)))
    faces = mgr.split_to_faces(box.shape_id)
    rounds = [mgr.corner_round_shape(fid, q.CornerRoundProperties(corner_radius=2.0, vertex_indices=[i]))
              for i, fid in enumerate(faces[:4])]
    saved = [mgr.get_shape(r).shape for r in rounds]
    loaded = [s.shape for s in top(save_and_load(mgr, tmp_path)) if s.shape_type == T.CORNER_ROUND]
    assert len(loaded) == 4
    for before, after in zip(saved, loaded):
        assert centres(after, k.TopAbs_VERTEX) == pytest.approx(centres(before, k.TopAbs_VERTEX), abs=1e-4)
        assert k.area(after) == pytest.approx(k.area(before), rel=1e-6)


def test_a_fillet_by_edge_index_on_an_imported_shape_lands_on_the_same_edge_after_a_load(tmp_path):
    mgr = CoreCorvath()
    src = str(tmp_path / "part.step")
    assert D.export_step(D.fuse_shapes(D.create_box(10, 10, 10), D.create_cylinder(3, 20, (5, 5, 0))), src)
    fillets = []
    for i in range(3):
        imp = mgr.import_shape(src, name=f"Part{i}")
        fillets.append(mgr.fillet_shape(imp.shape_id, q.FilletProperties(fillet_radius=1.0, edge_indices=[i])))
    saved = [mgr.get_shape(f).shape for f in fillets]
    loaded = [s.shape for s in top(save_and_load(mgr, tmp_path)) if s.shape_type == T.FILLET]
    assert len(loaded) == 3
    for before, after in zip(saved, loaded):
        assert same_facts(after, before)
        assert centres(after, k.TopAbs_EDGE) == pytest.approx(centres(before, k.TopAbs_EDGE), abs=1e-4)


def test_a_file_with_step_entries_only_loads_through_the_step_import(tmp_path):
    class Counting(D):
        imports = 0

        def import_file(self, filename):
            self.imports += 1
            return super().import_file(filename)

    mgr = CoreCorvath()
    mgr.import_shape(step_file(tmp_path), name="Part",
                     properties=q.ImportedProperties(translation=q.Translation(x=5.0), rotation=q.Rotation(z=30.0)))
    faces = mgr.split_to_faces(mgr.create_shape(T.BOX, q.BoxProperties()).shape_id)
    saved = [s.shape for s in top(mgr)]
    for step_only, reads in [(True, 7), (False, 0)]:
        path = str(tmp_path / f"{step_only}.vrex")
        assert PS.save_project(path, mgr)
        if step_only:
            step_entries_only(path)
        service = Counting()
        back = CoreCorvath(service)
        assert PS.load_project(path, back) is True
        assert service.imports == reads
        loaded = top(back)
        assert [s.name for s in loaded] == ["Part"] + [mgr.get_shape(f).name for f in faces]
        assert [s.shape_type for s in loaded] == [T.IMPORTED] * 7
        for a, b in zip(saved, loaded):
            assert same_facts(b.shape, a)
        # STEP brings a face back wrapped in a shell; the native copy, a face.
        assert {type(s.shape) for s in loaded[1:]} == {k.TopoDS_Shell if step_only else k.TopoDS_Face}


def test_an_unreadable_native_copy_falls_back_to_the_step_entry(tmp_path, capture_logs):
    mgr = CoreCorvath()
    imp = mgr.import_shape(step_file(tmp_path), name="Part")
    path = tmp_path / "p.vrex"
    assert PS.save_project(str(path), mgr)
    with zipfile.ZipFile(path) as zf:
        entries = [(i.filename, zf.read(i)) for i in zf.infolist()]
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as zf:
        for name, data in entries:
            zf.writestr(name, data[:len(data) // 3] if name.endswith(".bin") else data)
    back = CoreCorvath()
    capture_logs.clear()
    assert PS.load_project(str(path), back) is True
    (loaded,) = top(back)
    assert same_facts(loaded.shape, imp.shape)
    assert any(r.name == LOGGER and r.getMessage().startswith("Error importing native file: ")
               for r in capture_logs.records)


# ---------------------------------------------------------------- exports as the format says

def test_iges_is_written_as_trimmed_surfaces(tmp_path):
    path = tmp_path / "b.igs"
    assert D.export_iges(D.create_box(1, 2, 3), str(path)) is True
    lines = [ln for ln in path.read_text().splitlines() if len(ln) >= 73 and ln[72] == "D"]
    types = {int(ln[:8]) for ln in lines[::2]}
    assert 144 in types and 186 not in types


def test_the_exchange_settings_an_export_changes_are_put_back(tmp_path):
    names = ("write.step.assembly", "write.step.schema", "write.surfacecurve.mode")
    t.set_exchange_setting("write.step.assembly", 1)
    t.set_exchange_setting("write.step.schema", "AP214IS")
    before = [t.exchange_setting(n) for n in names]
    try:
        assert D.export_step(D.create_box(1, 1, 1), str(tmp_path / "a.step"))
        assert [t.exchange_setting(n) for n in names] == before
        # Also when the export fails.
        assert D.export_step(D.create_box(1, 1, 1), str(tmp_path / "no" / "a.step")) is False
        assert [t.exchange_setting(n) for n in names] == before
        assert "CONFIG_CONTROL_DESIGN" in (tmp_path / "a.step").read_text()
    finally:
        t.set_exchange_setting("write.step.assembly", 0)
        t.set_exchange_setting("write.step.schema", "AP203")


@pytest.mark.parametrize("suffix", [".step", ".igs"])
def test_an_export_through_links_writes_their_target_and_keeps_its_mode(tmp_path, suffix):
    export = D.export_step if suffix == ".step" else D.export_iges
    (tmp_path / "real").mkdir()
    target = tmp_path / "real" / ("model" + suffix)
    target.write_text("old")
    os.chmod(target, 0o600)
    os.symlink("real/model" + suffix, tmp_path / ("first" + suffix))
    link = tmp_path / ("second" + suffix)
    os.symlink("first" + suffix, link)
    assert export(D.create_box(1, 2, 3), str(link)) is True
    assert os.path.islink(link) and os.path.islink(tmp_path / ("first" + suffix))
    assert os.stat(target).st_mode & 0o777 == 0o600
    assert k.area(D.import_file(str(target))) == pytest.approx(22.0)
    assert sorted(os.listdir(tmp_path)) == sorted(["real", "first" + suffix, "second" + suffix])
    assert os.listdir(tmp_path / "real") == ["model" + suffix]
    # A plain file keeps its mode too.
    os.chmod(target, 0o640)
    assert export(D.create_box(1, 1, 1), str(target)) is True
    assert os.stat(target).st_mode & 0o777 == 0o640 and k.area(D.import_file(str(target))) == pytest.approx(6.0)
