import contextlib
import math
import re

import pytest

from manager_fixtures import CorvathHost as Host, RecordingDrulen as RecordingService, bbox
from nimbal import kernel as k
from nimbal.enums import ShapeType, StandardPlane
from nimbal.managers import corvath as cv
from nimbal.models import quenby as q
from nimbal.services import hathel
from nimbal.services.drulen import Drulen

BOX = ShapeType.BOX
FAIL_MSG = "The shape geometry could not be constructed. Check that the dimensions are valid."


@pytest.fixture
def host():
    return Host()


def box(host, w=10.0, h=20.0, d=30.0, **kw):
    return host.create_shape(BOX, q.BoxProperties(width=w, height=h, depth=d, **kw))


# ---- construction, module constants, records ----

def test_module_constants_and_construction():
    assert cv.DEFAULT_SHAPE_COLOR == (0.7, 0.75, 0.8)
    assert cv.DEFAULT_PLANE_COLOR == (0.4, 0.8, 1.0)
    mgr = cv.CoreCorvath()
    assert isinstance(mgr._geo_service, Drulen) and isinstance(cv.CoreCorvath(None)._geo_service, Drulen)
    assert isinstance(mgr._undo_redo, hathel.Hathel) and len(mgr._shapes) == 0
    assert not mgr.can_undo and not mgr.can_redo


def test_a_service_is_kept_as_given_even_when_it_tests_false():
    class Falsy(RecordingService):
        def __bool__(self):
            return False

    svc = Falsy()
    mgr = cv.CoreCorvath(svc)
    assert mgr._geo_service is svc
    mgr.create_shape(BOX, q.BoxProperties())
    assert svc.calls == ["create_box"]


def test_managed_shape_record():
    props = q.BoxProperties()
    a = cv.ManagedShape(shape_id="box_1", shape=None, shape_type=BOX, name="Box_1",
                        color=(1, 0, 0), properties=props)
    b = cv.ManagedShape("box_2", None, BOX, "Box_2", (0, 1, 0), props)
    a.components.append(b)
    assert list(a.components) == [b] and len(b.components) == 0 and a.components[0] is b
    assert a.parent_id is None and a.properties is props and a.color == (1.0, 0.0, 0.0)
    assert bool(a)
    with pytest.raises(TypeError):
        cv.ManagedShape("x", None, "box", "X", (0, 0, 0), props)
    with pytest.raises(TypeError):
        a.components.append("box_2")


@pytest.mark.parametrize("shape_type, kwargs, cls", [
    (ShapeType.UNION, {}, "BooleanProperties"),
    (ShapeType.SUBTRACTION, {}, "BooleanProperties"),
    (ShapeType.BOX, {"width": 10.0}, "BoxProperties"),
    (ShapeType.LINE, {}, "Quenby"),
    (ShapeType.SKETCH, {"plane_id": "plane_1"}, "SketchProperties"),
])
def test_properties_factories(shape_type, kwargs, cls):
    rec = cv.CoreCorvath.create_properties_for_type(shape_type, **kwargs)
    assert type(rec).__name__ == cls and all(getattr(rec, f) == v for f, v in kwargs.items())
    back = cv.CoreCorvath().properties_from_dict(shape_type, rec.to_dict())
    assert back == rec and back is not rec
    assert cv.CoreCorvath.create_properties_for_type(shape_type) is not \
        cv.CoreCorvath.create_properties_for_type(shape_type)


def test_properties_factory_refusals_and_table():
    with pytest.raises(TypeError):
        cv.CoreCorvath.create_properties_for_type(ShapeType.LINE, p1=(0, 0))
    with pytest.raises(TypeError, match=r"^shape_type must be a nimbal\.enums\.ShapeType, not 'str'$"):
        cv.CoreCorvath.create_properties_for_type("box", width=1.0)
    table = cv.CoreCorvath._PROPERTIES_CLASS
    assert len(table) == 19 and list(table)[:3] == [ShapeType.BOX, ShapeType.SPHERE, ShapeType.CYLINDER]
    assert list(table)[-2:] == [ShapeType.UNION, ShapeType.SUBTRACTION]
    assert table[ShapeType.FILLET] is q.FilletProperties


# ---- creation, undo, redo ----

def test_create_undo_redo(host):
    props = q.BoxProperties(width=10.0)
    ms = host.create_shape(BOX, props, (0.1, 0.2, 0.3), "My box")
    sid = ms.shape_id
    assert host.log == [("undo_redo", True, False), ("created", sid, ms)]
    assert (ms.name, ms.color, ms.properties, ms.parent_id) == ("My box", (0.1, 0.2, 0.3), props, None)
    assert host.get_shape(sid) is ms and host._shapes[sid] is ms
    cmd = host._undo_stack[-1]
    assert cmd.description == "Create box" and dict(cmd.before) == {sid: None}
    assert cmd.after[sid].properties == props and cmd.after[sid].properties is not props
    host.log.clear()
    host.undo()
    assert host.events() == [("removed", sid), ("undo_redo", False, True)] and sid not in host._shapes
    host.redo()
    assert host.events() == [("created", sid), ("undo_redo", True, False)]
    again = host.get_shape(sid)
    assert again is not ms and again.name == "My box" and k.volume(again.shape) == pytest.approx(10 * 50 * 50)


def test_default_colour_and_placement_measured(host):
    ms = box(host, rotation=q.Rotation(z=90.0), translation=q.Translation(x=100.0))
    assert ms.color == cv.DEFAULT_SHAPE_COLOR
    # 10 along X turned to lie along Y, centred on (100, 0, 0).
    assert bbox(ms.shape) == pytest.approx((90, -5, -15, 110, 5, 15), abs=1e-6)
    cyl = host.create_shape(ShapeType.CYLINDER,
                            q.CylinderProperties(radius=5.0, height=60.0, rotation=q.Rotation(x=90.0, y=90.0)))
    xmin, ymin, zmin, xmax, ymax, zmax = bbox(cyl.shape)
    assert (ymax - ymin) == pytest.approx(60) and (xmax - xmin) == pytest.approx(10)


def test_polyline_is_not_placed(host):
    pts = [(0, 0, 0), (10, 0, 0), (10, 5, 0)]
    plain = host.create_shape(ShapeType.POLYLINE, q.PolylineProperties(points=pts))
    moved = host.create_shape(ShapeType.POLYLINE, q.PolylineProperties(points=pts, translation=q.Translation(x=50)))
    assert bbox(plain.shape) == pytest.approx(bbox(moved.shape))
    assert k.length(plain.shape) == pytest.approx(15)


@pytest.mark.parametrize("shape_type, props, title", [
    (BOX, q.BoxProperties(width=0.0), "Create Box"),
    (BOX, q.BoxProperties(depth=-1.0), "Create Box"),
    (BOX, q.SphereProperties(), "Create Box"),
    (ShapeType.CONE, q.ConeProperties(top_radius=-1.0), "Create Cone"),
    (ShapeType.IMPORTED, q.ImportedProperties(), "Create Imported"),
    (ShapeType.CORNER_ROUND, q.CornerRoundProperties(), "Create Corner Round"),
    (ShapeType.PLANE, q.PlaneProperties(), "Create Plane"),
    (ShapeType.UNION, q.BooleanProperties(), "Create Union"),
])
def test_create_failure_reports_once_and_changes_nothing(host, shape_type, props, title):
    assert host.create_shape(shape_type, props) is None
    assert host.log == [("failed", title, FAIL_MSG)]
    assert len(host._shapes) == 0 and host.undo_depth() == 0
    assert box(host).name == "Box_1"


def test_pointed_cone_is_built(host):
    cone = host.create_shape(ShapeType.CONE, q.ConeProperties(base_radius=10.0, top_radius=0.0, height=30.0))
    assert k.volume(cone.shape) == pytest.approx(math.pi * 100 * 30 / 3, rel=1e-6)


def test_kernel_errors_pass_through_create(host):
    with pytest.raises(TypeError):
        host.create_shape(BOX, None)
    with pytest.raises(TypeError):
        host.create_shape("box", q.BoxProperties())
    assert len(host._shapes) == 0 and not host.log


# ---- names (the shared id and name rules: test_ids_and_names.py) ----

def test_hidden_and_renamed_shapes_count_for_names(host):
    b = box(host)
    fid = host.fillet_shape(b.shape_id, q.FilletProperties(fillet_radius=1.0))
    host.rename_shape(b.shape_id, "Box_7")  # now hidden under the fillet
    assert host.get_shape(b.shape_id).parent_id == fid
    assert host._generate_shape_name(BOX) == "Box_8"


def test_names_follow_direct_assignment_removal_and_undo(host):
    a, b = box(host), box(host)
    a.name = "Box_50"  # written by the host, not through rename_shape
    assert host._generate_shape_name(BOX) == "Box_51"
    host.remove_shape(a.shape_id)
    assert host._generate_shape_name(BOX) == "Box_3"  # numbers are handed out again
    host.undo()
    assert host._generate_shape_name(BOX) == "Box_51"
    host.clear_all()
    assert host._generate_shape_name(BOX) == "Box_1"
    host.undo()
    host.rename_shape(b.shape_id, "Box_70")
    assert host._generate_shape_name(BOX) == "Box_71"


def test_long_numbers_leave_the_index_with_their_names(host):
    big = "Box_184467440737095516160"
    a = host.create_shape(BOX, q.BoxProperties(), name=big)
    b = host.create_shape(BOX, q.BoxProperties(), name="Box_0" + big[4:])  # the same number
    steps = [
        (lambda: host.remove_shape(a.shape_id), "Box_184467440737095516161"),
        (lambda: host.rename_shape(b.shape_id, "Box_99999999999999999999"), "Box_100000000000000000000"),
        (host.undo, "Box_184467440737095516161"),
        (host.undo, "Box_184467440737095516161"),
        (lambda: host.remove_shape(b.shape_id), "Box_184467440737095516161"),
        (lambda: host.remove_shape(a.shape_id), "Box_1"),
    ]
    for step, expected in steps:
        step()
        assert host._generate_shape_name(BOX) == expected


# ---- overrides reached from C++ ----

def test_operation_scope_override_sees_import_and_errors_pass_through(host, tmp_path):
    assert host.import_shape(str(tmp_path / "missing.step")) is None
    path = str(tmp_path / "missing.step")
    assert host.events() == [("enter", "Importing file..."), ("exit", "Importing file..."),
                             ("failed", "Import File",
                              f"Could not import '{path}'. The file may be missing, corrupt, or in an "
                              "unsupported format.")]

    class Raising(Host):
        def _notify_shape_created(self, shape_id, ms):
            raise RuntimeError("host failed")

    r = Raising()
    with pytest.raises(RuntimeError, match="host failed"):
        box(r)
    assert len(r._shapes) == 1 and r.undo_depth() == 1


def test_operation_scope_gets_the_exception_and_may_not_swallow_results():
    seen = []

    class Scoped(Host):
        @contextlib.contextmanager
        def _operation(self, message):
            try:
                yield
            except Exception as e:  # noqa: BLE001
                seen.append(type(e).__name__)
                raise

    class BadService(RecordingService):
        def __init__(self):
            super().__init__()
            self.import_file = self._raise

        def _raise(self, filename):
            raise OSError("disk on fire")

    mgr = Scoped(BadService())
    with pytest.raises(OSError, match="disk on fire"):
        mgr.import_shape("x.step")
    assert seen == ["OSError"] and len(mgr._shapes) == 0

    class Swallowing(Host):
        @contextlib.contextmanager
        def _operation(self, message):
            try:
                yield
            except OSError:
                pass

    quiet = Swallowing(BadService())
    assert quiet.import_shape("x.step") is None
    assert quiet.events()[-1][:2] == ("failed", "Import File")


def test_base_operation_scope_is_a_context_manager():
    mgr = cv.CoreCorvath()
    with mgr._operation("Working...") as value:
        assert value is None
    with pytest.raises(KeyError):
        with mgr._operation("Working..."):
            raise KeyError("through")


def test_stack_callbacks_reach_overrides():
    applied = []

    class Applying(Host):
        def _apply_state(self, state):
            applied.append(list(state))
            super()._apply_state(state)

    mgr = Applying()
    ms = box(mgr)
    mgr.undo()
    mgr.redo()
    assert applied == [[ms.shape_id], [ms.shape_id]]
    assert mgr.events().count(("undo_redo", True, False)) == 2


def test_on_redo_clears_all(host):
    b = box(host)
    host.fillet_shape(b.shape_id, q.FilletProperties())
    host.log.clear()
    host._on_redo_clears_all()
    assert host.events() == [("cleared",)] and len(host._shapes) == 0


def test_live_views(host):
    stack = host._undo_stack
    reg = host._shapes
    ms = box(host)
    assert len(stack) == 1 and stack[0].description == "Create box"
    assert list(reg) == [ms.shape_id] and reg.get("nope") is None and ms.shape_id in reg
    other = box(host)
    ms.components.append(other)
    assert host.get_shape(ms.shape_id).components[0] is other


# ---- state application ----

def test_undo_of_a_nested_remove_restores_components_first(host):
    b = box(host)
    sphere = host.create_shape(ShapeType.SPHERE, q.SphereProperties(radius=5.0))
    fid = host.fillet_shape(b.shape_id, q.FilletProperties(fillet_radius=1.0))
    uid = host.union_shapes([fid, sphere.shape_id])
    fillet = host.get_shape(fid)
    state = {}
    host._collect_snapshots(host.get_shape(uid), state)
    assert list(state) == [uid, fid, b.shape_id, sphere.shape_id]
    with pytest.raises(TypeError, match="out must be a mapping, not 'NoneType'"):
        host._collect_snapshots(host.get_shape(uid), None)
    assert host.remove_shape(uid)
    assert len(host._shapes) == 0
    host.log.clear()
    host.undo()
    assert [e for e in host.events() if e[0] != "undo_redo"] == [("created", uid)]
    union = host.get_shape(uid)
    assert [c.shape_id for c in union.components] == [fid, sphere.shape_id]
    assert [c.shape_id for c in host.get_shape(fid).components] == [b.shape_id]
    assert host.get_shape(b.shape_id).parent_id == fid and host.get_shape(fid).parent_id == uid
    assert host.get_shape(fid) is not fillet


def test_apply_state_hooks_and_identity(host):
    a = box(host)
    b = box(host)
    snap_a = host._snapshot(a.shape_id)
    hidden = hathel._ShapeSnapshot.from_managed(a)
    hidden.parent_id = b.shape_id
    host.log.clear()
    host._apply_state({"never_registered": None})
    assert host.log == []
    host._apply_state({a.shape_id: hidden})  # top-level -> hidden: removed, same object
    assert host.events() == [("removed", a.shape_id)] and host.get_shape(a.shape_id) is a
    host._apply_state({a.shape_id: snap_a})  # hidden -> top-level: created
    assert host.events() == [("created", a.shape_id)] and a.parent_id is None
    host._apply_state({a.shape_id: snap_a})  # top-level -> top-level: updated
    assert host.events() == [("updated", a.shape_id)]
    orphan = hathel._ShapeSnapshot.from_managed(a)
    orphan.component_ids = ["not_registered"]
    host._apply_state({a.shape_id: orphan})
    assert len(a.components) == 0


def test_restored_record_is_not_shared_with_history(host):
    ms = box(host)
    host.update_shape(ms.shape_id, q.BoxProperties(width=20.0))
    host.undo()
    live = host.get_shape(ms.shape_id).properties
    assert live.width == 10.0
    live.width = 999.0  # an edit in place must not rewrite the redo history
    host.redo()
    host.undo()
    assert host.get_shape(ms.shape_id).properties.width == 10.0


def test_undo_facade(host):
    box(host)
    box(host)
    depth = host.undo_depth()
    host.undo()
    host.trim_undo_to(host.undo_depth())
    assert not host.can_redo and host.undo_depth() == 1
    box(host)
    host.trim_undo_to(depth - 1)
    assert host.undo_depth() == 1
    host.clear_undo_history()
    assert (host.can_undo, host.can_redo, host.undo_depth()) == (False, False, 0)


# ---- planes ----

@pytest.mark.parametrize("angles, normal", [
    ((90, 0, 0), (0.0, -1.0, 6.123233995736766e-17)),
    ((0, 90, 0), (1.0, 0.0, 6.123233995736766e-17)),
    ((0, 0, 90), (0.0, 0.0, 1.0)),
    ((90, 0, 90), (1.0, -6.123233995736766e-17, 6.123233995736766e-17)),
    ((180, 0, 0), (0.0, -1.2246467991473532e-16, -1.0)),
])
def test_normal_from_rotation(angles, normal):
    assert cv._normal_from_rotation_deg(*angles) == normal


def test_standard_planes(host):
    p = host.create_plane_from_standard(StandardPlane.XZ)
    pr = p.properties
    assert (p.name, p.shape, p.shape_type, p.color) == ("Top Plane (XZ)", None, ShapeType.PLANE, (0.4, 0.8, 1.0))
    assert (pr.source, pr.standard_plane) == ("standard", "xz")
    origin, normal = Drulen().plane_params_for_standard("xz")
    assert (pr.origin_x, pr.origin_y, pr.origin_z) == tuple(origin)
    assert (pr.normal_x, pr.normal_y, pr.normal_z) == tuple(normal)
    assert host._undo_stack[-1].description == "Create plane (xz)"
    assert host.create_plane_from_standard(StandardPlane.XZ).name == "Top Plane (XZ)"
    assert host.create_plane_from_standard(StandardPlane.XY, name="Mine").name == "Mine"
    assert host.create_plane_from_standard(StandardPlane.YZ).name == "Right Plane (YZ)"


def test_arbitrary_planes(host):
    p = host.create_arbitrary_plane()
    pr = p.properties
    assert (pr.origin_x, pr.origin_y, pr.origin_z, pr.normal_x, pr.normal_y, pr.normal_z) == (0, 0, 0, 0, 0, 1)
    assert (pr.source, p.name, host._undo_stack[-1].description) == ("custom", "Plane_1", "Create custom plane")
    q2 = host.create_arbitrary_plane((5, 0, 0), (0, 90, 0)).properties
    assert (q2.origin_x, q2.translation.x, q2.rotation.y) == (5.0, 5.0, 90.0)
    assert (q2.normal_x, q2.normal_y, q2.normal_z) == (1.0, 0.0, 6.123233995736766e-17)
    with pytest.raises(TypeError):
        host.create_arbitrary_plane((0, 0, 0), (0, 90))
    with pytest.raises(ValueError):
        host.create_arbitrary_plane((0, 0), (0, 0, 0))
    assert len(host._shapes) == 2


@pytest.mark.parametrize("args, error, message", [
    # the rotation is judged before the translation, its count before its items, the name last
    ((5, (0, 0)), TypeError, "rotation_deg must hold exactly 3 values, got 2"),
    (((0, 0), (0, "a", 0)), TypeError, "rotation_deg values must be numbers, not 'str'"),
    ((("x", 0, 0), (0, 0, 0)), TypeError, "translation values must be numbers, not 'str'"),
    (((0, 0), (0, 0, 0), (1, 1, 1), 3), ValueError, "translation must hold exactly 3 values, got 2"),
    (((0, 0, 0), (0, 0, 0), (1, 1, 1), 3), TypeError, "name must be a str or None, not 'int'"),
])
def test_arbitrary_plane_refusals(host, args, error, message):
    with pytest.raises(error, match=re.escape(message)):
        host.create_arbitrary_plane(*args)
    assert len(host._shapes) == 0


def test_planes_from_faces():
    svc = RecordingService()
    host = Host(svc)
    assert host.create_plane_from_face_shape(None) is None and svc.calls == []
    b = box(host)
    rect = host.create_shape(ShapeType.RECTANGLE, q.RectangleProperties(translation=q.Translation(z=7.0)))
    host.log.clear()
    assert host.create_plane_from_face(b.shape_id) is None and host.log == []
    assert host.create_plane_from_face("unknown") is None
    plane = host.create_plane_from_face(rect.shape_id)
    assert plane.properties.source == "from_face" and plane.properties.source_face_id == rect.shape_id
    assert plane.properties.origin_z == pytest.approx(7.0) and abs(plane.properties.normal_z) == pytest.approx(1.0)
    assert host._undo_stack[-1].description == "Create plane from face"
    face = k.sub_shapes(b.shape, k.TopAbs_FACE)[0]
    assert host.create_plane_from_face_shape(face).properties.source_face_id == ""
    assert host.create_plane_from_face_shape(b.shape) is None


# ---- update_shape ----

def test_update_primitive_and_its_undo(host):
    ms = box(host)
    new = q.BoxProperties(width=40.0, translation=q.Translation(y=5.0))
    host.log.clear()
    shape = host.update_shape(ms.shape_id, new)
    assert k.volume(shape) == pytest.approx(40 * 50 * 50)
    assert bbox(ms.shape) == pytest.approx((-20, -20, -25, 20, 30, 25))
    assert ms.properties is new
    assert host.events() == [("updated", ms.shape_id), ("undo_redo", True, False)]
    assert host._undo_stack[-1].description == "Update Box_1"
    host.undo()
    assert bbox(host.get_shape(ms.shape_id).shape) == pytest.approx((-5, -10, -15, 5, 10, 15))


def test_update_failures(host):
    ms = box(host)
    depth = host.undo_depth()
    host.log.clear()
    assert host.update_shape("unknown", q.BoxProperties()) is None and host.log == []
    assert host.update_shape(ms.shape_id, q.BoxProperties(width=0.0)) is None
    assert host.log == [("failed", "Update Shape", "Invalid properties: the shape could not be updated.")]
    assert host.undo_depth() == depth and ms.properties.width == 10.0


def test_update_derived_shapes(host):
    a = box(host)
    b = box(host, translation=q.Translation(x=5.0))
    uid = host.union_shapes([a.shape_id, b.shape_id])
    moved = host.update_shape(uid, q.BooleanProperties(translation=q.Translation(z=100.0)))
    assert bbox(moved)[2] == pytest.approx(85.0)
    f = box(host)
    fid = host.fillet_shape(f.shape_id, q.FilletProperties(fillet_radius=1.0))
    bigger = host.update_shape(fid, q.FilletProperties(fillet_radius=3.0))
    assert k.volume(bigger) < k.volume(host.get_shape(f.shape_id).shape)
    with pytest.raises(AssertionError):
        host.update_shape(fid, q.ArrayProperties())
    assert host.get_shape(fid).properties.fillet_radius == 3.0


def test_failed_fold_is_silent_at_top_level():
    svc = RecordingService()
    host = Host(svc)
    a, b = box(host), box(host)
    uid = host.union_shapes([a.shape_id, b.shape_id])
    svc.none_for.add("fuse_shapes")
    host.log.clear()
    assert host.update_shape(uid, q.BooleanProperties()) is None and host.log == []


def test_component_update_recomputes_every_holder(host):
    base = box(host)
    fid = host.fillet_shape(base.shape_id, q.FilletProperties(fillet_radius=1.0))
    other = host.create_shape(ShapeType.SPHERE, q.SphereProperties(radius=2.0))
    uid = host.union_shapes([fid, other.shape_id])
    host.log.clear()
    new = q.BoxProperties(width=50.0, height=50.0, depth=50.0)
    shape = host.update_shape(base.shape_id, new)
    assert k.volume(shape) == pytest.approx(125000)
    assert bbox(host.get_shape(fid).shape) == pytest.approx((-25, -25, -25, 25, 25, 25), abs=1e-6)
    # the sphere lies inside the new box: the union is the filleted box
    assert k.volume(host.get_shape(uid).shape) == pytest.approx(k.volume(host.get_shape(fid).shape))
    assert host.events() == [("updated", fid), ("updated", uid), ("undo_redo", True, False)]
    assert list(host._undo_stack[-1].after) == [base.shape_id, fid, uid]


def test_component_update_that_fails_at_the_parent_changes_nothing():
    svc = RecordingService()
    host = Host(svc)
    base = box(host, 10.0, 10.0, 10.0)
    fid = host.fillet_shape(base.shape_id, q.FilletProperties(fillet_radius=4.0))
    old_shape, old_props, depth = base.shape, base.properties, host.undo_depth()
    svc.none_for.add("apply_fillet")  # the kernel refuses the parent's fillet
    host.log.clear()
    assert host.update_shape(base.shape_id, q.BoxProperties(width=5.0, height=5.0, depth=5.0)) is None
    assert host.log == [("failed", "Update Shape", "Invalid properties: the shape could not be updated.")]
    assert base.shape == old_shape and base.properties is old_props and host.undo_depth() == depth
    assert host.get_shape(fid).properties.fillet_radius == 4.0


def test_component_modifier_refuses_a_foreign_record(host):
    base = box(host)
    fid = host.fillet_shape(base.shape_id, q.FilletProperties(fillet_radius=1.0))
    host.union_shapes([fid, box(host, translation=q.Translation(x=3)).shape_id])
    fillet = host.get_shape(fid)
    before = (fillet.shape, fillet.properties)
    with pytest.raises(AssertionError):
        host.update_shape(fid, q.BoxProperties())
    assert (fillet.shape, fillet.properties) == before


def test_imported_and_plane_updates(host, tmp_path):
    src = box(host, 10, 10, 10)
    path = str(tmp_path / "part.step")
    assert Drulen().export_shapes_to_step([src.shape], path)
    imp = host.import_shape(path, properties=q.ImportedProperties(translation=q.Translation(x=10.0)))
    assert bbox(imp.shape) == pytest.approx((5, -5, -5, 15, 5, 5), abs=1e-6)
    assert host._undo_stack[-1].description == "Import Imported_1"
    moved = host.update_shape(imp.shape_id, q.ImportedProperties(rotation=q.Rotation(z=45.0)))
    assert bbox(moved)[0] == pytest.approx(-5 * math.sqrt(2), abs=1e-6)
    custom = host.create_arbitrary_plane()
    rec = q.PlaneProperties(source="custom", translation=q.Translation(1, 2, 3))
    assert host.update_shape(custom.shape_id, rec) is True
    assert (rec.origin_x, rec.origin_y, rec.origin_z, rec.normal_z) == (1.0, 2.0, 3.0, 1.0)
    std = host.create_plane_from_standard(StandardPlane.XY)
    untouched = q.PlaneProperties(normal_z=-1.0, translation=q.Translation(9, 9, 9))
    assert host.update_shape(std.shape_id, untouched) is True
    assert (untouched.origin_x, untouched.normal_z) == (0.0, -1.0)
    assert host._undo_stack[-1].description == "Update Front Plane (XY)"


def sketch_with_rectangles(host):
    """A sketch whose two rectangles are hidden components, set up through
    state application as a commit would leave it."""
    rect_a = host.create_shape(ShapeType.RECTANGLE, q.RectangleProperties(width=10.0, height=10.0))
    rect_b = host.create_shape(ShapeType.RECTANGLE,
                               q.RectangleProperties(width=4.0, height=4.0, translation=q.Translation(x=20.0)))
    sketch = cv.ManagedShape("sketch_00000001", None, ShapeType.SKETCH, "Sketch_1", (0, 0, 1),
                             q.SketchProperties(translation=q.Translation(z=5.0)))
    state = {}
    for r in (rect_a, rect_b):
        s = hathel._ShapeSnapshot.from_managed(r)
        s.parent_id = sketch.shape_id
        state[r.shape_id] = s
    snap = hathel._ShapeSnapshot.from_managed(sketch)
    snap.component_ids = [rect_a.shape_id, rect_b.shape_id]
    state[sketch.shape_id] = snap
    host._apply_state(state)
    return host.get_shape(sketch.shape_id), rect_a, rect_b


def test_sketch_update_and_sketch_parent_rebuilt_from_its_elements(host):
    sketch, rect_a, rect_b = sketch_with_rectangles(host)
    shape = host.update_shape(sketch.shape_id, q.SketchProperties(translation=q.Translation(z=5.0)))
    assert k.area(shape) == pytest.approx(116) and bbox(shape)[2] == pytest.approx(5.0)
    host.update_shape(rect_b.shape_id, q.RectangleProperties(width=6.0, height=6.0,
                                                             translation=q.Translation(x=20.0)))
    # Both elements, the edited one included, placed once.
    assert k.area(sketch.shape) == pytest.approx(136) and bbox(sketch.shape)[2] == pytest.approx(5.0)


def test_empty_sketch_update_gives_true(host):
    sketch, a, b = sketch_with_rectangles(host)
    for r in (a, b):
        host._apply_state({r.shape_id: None})
    assert host.update_shape(sketch.shape_id, q.SketchProperties()) is True
    assert sketch.shape is None


def test_substitute_service_receives_every_kernel_call():
    svc = RecordingService()
    host = Host(svc)
    a = box(host, rotation=q.Rotation(x=30.0), translation=q.Translation(x=1.0))
    b = box(host)
    host.union_shapes([a.shape_id, b.shape_id])
    assert svc.calls == ["create_box", "rotate_shape", "translate_shape", "create_box", "fuse_shapes",
                         "unify_same_domain"]
