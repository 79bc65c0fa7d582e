import pytest

from manager_fixtures import CorvathHost as Host, RecordingDrulen as RecordingService, bbox
from nimbal import kernel as k
from nimbal.enums import ShapeType, StandardPlane
from nimbal.managers import corvath as cv
from nimbal.models import quenby as q
from nimbal.services.drulen import Drulen

geo = Drulen()


class FakeSketchManager:
    """Offers the two methods the geometry manager reads, over real records."""

    def __init__(self):
        self.records = {}

    def add(self, shape, shape_type=ShapeType.RECTANGLE, parent_id=None, components=(), name=None):
        sid = f"{shape_type.value}_{len(self.records):08x}"
        ms = cv.ManagedShape(sid, shape, shape_type, name or f"El_{len(self.records)}", (0.1, 0.2, 0.3),
                             q.RectangleProperties(), list(components), parent_id)
        self.records[sid] = ms
        return ms

    def rect(self, w, h, x=0.0):
        return self.add(geo.translate_shape(geo.create_rectangle(w, h), x, 0, 0))

    def get_all_shape_ids(self):
        return list(self.records)

    def get_shape(self, shape_id):
        return self.records.get(shape_id)


@pytest.fixture
def host():
    return Host()


def plane(host):
    return host.create_plane_from_standard(StandardPlane.XY)


def test_create_sketch(host):
    p = plane(host)
    box = host.create_shape(ShapeType.BOX, q.BoxProperties())
    host.log.clear()
    assert host.create_sketch(box.shape_id) is None and host.create_sketch("missing") is None
    assert host.log == []
    s = host.create_sketch(p.shape_id)
    assert (s.name, s.shape, s.color, s.properties.plane_id) == ("Sketch_1", None, (0.4, 0.8, 1.0), p.shape_id)
    assert host.events() == [("undo_redo", True, False), ("created", s.shape_id)]
    assert host._undo_stack[-1].description == "Create sketch"


def test_commit_right_after_create_is_one_step(host):
    p = plane(host)
    s = host.create_sketch(p.shape_id)
    tessik = FakeSketchManager()
    tessik.rect(10, 10)
    tessik.rect(4, 4, x=20)
    depth = host.undo_depth()
    host.log.clear()
    assert host.commit_sketch(s.shape_id, tessik)
    ev = host.events()
    assert ev[0] == ("removed", s.shape_id) and ev[-1] == ("created", s.shape_id)
    assert [e for e in ev if e[0] == "undo_redo"] == [("undo_redo", True, False)] * 2
    assert host.undo_depth() == depth and host._undo_stack[-1].description == "Commit sketch"
    sketch = host.get_shape(s.shape_id)
    assert k.area(sketch.shape) == pytest.approx(116) and len(sketch.components) == 2
    copies = [c.shape_id for c in sketch.components]
    assert all(host.get_shape(c).parent_id == s.shape_id for c in copies)
    assert not set(copies) & set(tessik.records)  # fresh ids
    assert sketch.components[0].shape == tessik.get_shape(tessik.get_all_shape_ids()[0]).shape
    host.undo()
    assert s.shape_id not in host._shapes and not any(c in host._shapes for c in copies)
    host.redo()
    assert k.area(host.get_shape(s.shape_id).shape) == pytest.approx(116)
    assert host.get_all_shape_ids()[-1] == s.shape_id


def test_commit_of_an_older_sketch_and_a_second_commit(host):
    p = plane(host)
    a = host.create_sketch(p.shape_id)
    b = host.create_sketch(p.shape_id)
    tessik = FakeSketchManager()
    tessik.rect(10, 10)
    assert host.commit_sketch(a.shape_id, tessik)
    assert [c.description for c in host._undo_stack][-2:] == ["Create sketch", "Commit sketch"]
    assert host._undo_stack[-1].before[a.shape_id].shape_id == a.shape_id
    assert host.get_all_shape_ids()[-1] == a.shape_id  # re-inserted at the end
    first = [c.shape_id for c in host.get_shape(a.shape_id).components]
    tessik.rect(2, 2, x=30)
    assert host.commit_sketch(a.shape_id, tessik)
    assert [c.description for c in host._undo_stack][-2:] == ["Commit sketch", "Commit sketch"]
    assert not any(c in host._shapes for c in first)
    assert len(host.get_shape(a.shape_id).components) == 2
    assert b.shape_id in host._shapes


def test_union_elements_are_copied_with_their_inputs(host):
    s = host.create_sketch(plane(host).shape_id)
    tessik = FakeSketchManager()
    r1 = tessik.rect(10, 10)
    r2 = tessik.rect(10, 10, x=5)
    fused = geo.unify_same_domain(geo.fuse_shapes(r1.shape, r2.shape))
    union = tessik.add(fused, ShapeType.UNION, components=[r1, r2])
    r1.parent_id = r2.parent_id = union.shape_id
    assert host.commit_sketch(s.shape_id, tessik)
    sketch = host.get_shape(s.shape_id)
    assert len(sketch.components) == 1
    copy = sketch.components[0]
    assert copy.shape_type == ShapeType.UNION and len(copy.components) == 2
    assert all(c.parent_id == copy.shape_id and c.shape_id in host._shapes for c in copy.components)
    assert k.area(sketch.shape) == pytest.approx(150)
    before = list(host._undo_stack[-1].before)
    assert before.index(copy.components[0].shape_id) < before.index(copy.shape_id)


def test_a_sketch_manager_without_geometry(host):
    s = host.create_sketch(plane(host).shape_id)
    tessik = FakeSketchManager()
    tessik.add(None)
    assert host.commit_sketch(s.shape_id, tessik) is True
    assert host.get_shape(s.shape_id).shape is None and len(host.get_shape(s.shape_id).components) == 0
    assert not host.commit_sketch("missing", tessik)
    assert not host.commit_sketch(plane(host).shape_id, tessik)


def test_commit_of_an_extrude_profile_recomputes_the_extrude(host):
    s = host.create_sketch(plane(host).shape_id)
    tessik = FakeSketchManager()
    tessik.rect(10, 10)
    host.commit_sketch(s.shape_id, tessik)
    eid = host.extrude_shape(s.shape_id, q.ExtrudeProperties(depth=5.0, translation=q.Translation(z=100)))
    assert k.volume(host.get_shape(eid).shape) == pytest.approx(500)
    tessik.rect(20, 20, x=50)
    host.log.clear()
    assert host.commit_sketch(s.shape_id, tessik)
    ext = host.get_shape(eid)
    assert k.volume(ext.shape) == pytest.approx(500 + 2000) and bbox(ext.shape)[2] == pytest.approx(100)
    assert ext.components[0] is host.get_shape(s.shape_id)
    assert host.events() == [("undo_redo", True, False), ("updated", eid)]
    assert host.get_all_shape_ids() == [host.get_all_shape_ids()[0], eid]
    host.undo()
    assert k.volume(host.get_shape(eid).shape) == pytest.approx(500)


def test_commit_of_a_union_input_recomputes_the_union(host):
    s = host.create_sketch(plane(host).shape_id)
    tessik = FakeSketchManager()
    tessik.rect(10, 10)
    host.commit_sketch(s.shape_id, tessik)
    other = host.create_shape(ShapeType.RECTANGLE, q.RectangleProperties(width=10, height=10,
                                                                         translation=q.Translation(x=5)))
    uid = host.union_shapes([s.shape_id, other.shape_id])
    tessik.records.clear()
    tessik.rect(10, 10, x=-20)
    assert host.commit_sketch(s.shape_id, tessik)
    assert k.area(host.get_shape(uid).shape) == pytest.approx(200)


def test_failures_of_the_sketch_manager_leave_the_sketch_as_it_was(host):
    s = host.create_sketch(plane(host).shape_id)
    tessik = FakeSketchManager()
    tessik.rect(10, 10)
    host.commit_sketch(s.shape_id, tessik)
    registry, depth = list(host._shapes), host.undo_depth()

    class Broken(FakeSketchManager):
        def get_shape(self, shape_id):
            raise RuntimeError("sketch manager failed")

    broken = Broken()
    broken.rect(1, 1)
    with pytest.raises(RuntimeError):
        host.commit_sketch(s.shape_id, broken)
    looping = FakeSketchManager()
    u = looping.add(geo.create_rectangle(1, 1), ShapeType.UNION)
    u.components.append(u)
    with pytest.raises(ValueError):
        host.commit_sketch(s.shape_id, looping)
    assert list(host._shapes) == registry and host.undo_depth() == depth


def test_records_that_only_look_like_managed_shapes(host):
    from types import SimpleNamespace
    s = host.create_sketch(plane(host).shape_id)
    real = cv.ManagedShape("rectangle_real0001", geo.translate_shape(geo.create_rectangle(10, 10), 5, 0, 0),
                           ShapeType.RECTANGLE, "Real", (0, 0, 0), q.RectangleProperties())

    def look_alike(shape, shape_type, components=(), parent_id=None):
        return SimpleNamespace(shape=shape, shape_type=shape_type, name="Alike", color=(0.1, 0.2, 0.3),
                               properties=q.RectangleProperties(), components=list(components),
                               parent_id=parent_id)

    leaf = look_alike(geo.create_rectangle(10, 10), ShapeType.RECTANGLE, parent_id="union_top00001")
    top = look_alike(geo.unify_same_domain(geo.fuse_shapes(leaf.shape, real.shape)), ShapeType.UNION,
                     [None, leaf, real])

    class Source:
        def get_all_shape_ids(self):
            return ["union_top00001"]

        def get_shape(self, shape_id):
            return top

    assert host.commit_sketch(s.shape_id, Source())
    copy = host.get_shape(s.shape_id).components[0]
    # None is passed over; the look-alike and the managed shape are both copied.
    assert [c.name for c in copy.components] == ["Alike", "Real"]
    assert k.area(host.get_shape(s.shape_id).shape) == pytest.approx(150)
    registry, depth = list(host._shapes), host.undo_depth()
    top.components.append(top)
    with pytest.raises(ValueError, match="holds itself"):
        host.commit_sketch(s.shape_id, Source())
    assert list(host._shapes) == registry and host.undo_depth() == depth


def test_commit_refuses_a_sketch_id_that_is_not_text(host):
    class Source(FakeSketchManager):
        def get_all_shape_ids(self):
            return [*self.records, 7]

    tessik = Source()
    tessik.rect(10, 10)
    s = host.create_sketch(host.create_plane_from_standard(StandardPlane.XY).shape_id)
    registry, depth = list(host._shapes), host.undo_depth()
    with pytest.raises(TypeError, match=r"get_all_shape_ids must give shape ids \(str\), not 'int'"):
        host.commit_sketch(s.shape_id, tessik)
    assert list(host._shapes) == registry and host.undo_depth() == depth


def test_restore_from_snapshot_refuses_none(host):
    with pytest.raises(TypeError, match="snapshot must be a _ShapeSnapshot"):
        host._restore_from_snapshot("box_00000001", None)
    assert len(host._shapes) == 0


def test_restores(host):
    tessik = FakeSketchManager()
    tessik.rect(10, 10)
    host.log.clear()
    pl = host.restore_plane("plane_saved001", q.PlaneProperties(origin_z=3.0))
    assert (pl.shape_id, pl.name, pl.color, pl.properties.origin_z) == ("plane_saved001", "Plane_1",
                                                                       (0.4, 0.8, 1.0), 3.0)
    sid = host.restore_sketch("sketch_saved01", q.SketchProperties(plane_id="plane_saved001",
                                                                   translation=q.Translation(z=2.0)), tessik)
    assert sid == "sketch_saved01"
    sk = host.get_shape(sid)
    assert sk.color == (0.7, 0.75, 0.8) and bbox(sk.shape)[2] == pytest.approx(2.0)
    again = host.restore_plane("plane_saved001", q.PlaneProperties(), name="Again")
    assert host.get_shape("plane_saved001") is again and list(host._shapes).index("plane_saved001") == 0
    assert [e[0] for e in host.events()] == ["created"] * 3 and host.undo_depth() == 0


def test_rebuild_sketch_compound(host):
    s = host.create_sketch(plane(host).shape_id)
    assert host._rebuild_sketch_compound(s) is None
    tessik = FakeSketchManager()
    tessik.rect(10, 10)
    host.commit_sketch(s.shape_id, tessik)
    sketch = host.get_shape(s.shape_id)
    assert k.area(host._rebuild_sketch_compound(sketch)) == pytest.approx(100)
    host._apply_state({sketch.components[0].shape_id: None})
    assert host._rebuild_sketch_compound(sketch) is None


# ---- a commit or restore that fails changes nothing ----

class SwitchedService(RecordingService):
    """A real kernel until `fail` names an operation: then that operation
    raises (or answers None when `answer_none` is set)."""

    def __init__(self):
        super().__init__()
        self.fail, self.answer_none = None, False

    def _op(self, name):
        real = super()._op(name)

        def call(*args):
            if name == self.fail:
                if self.answer_none:
                    return None
                raise RuntimeError(f"{name} failed")
            return real(*args)
        return call


class DrawingHost(Host):
    """Its id drawing can be made to fail after a number of draws."""

    draws_left = None

    def _new_shape_id(self, shape_type):
        if self.draws_left is not None:
            if self.draws_left == 0:
                raise RuntimeError("no more ids")
            self.draws_left -= 1
        return super()._new_shape_id(shape_type)


def registry_view(host):
    """Every entry with everything a commit could change, by identity."""
    return [(sid, ms, ms.shape, list(ms.components), ms.parent_id, ms.properties)
            for sid, ms in host._shapes.items()]


def registry_values(host):
    """Every entry by value, in any order: what undo must bring back."""
    return {sid: (ms.shape, [c.shape_id for c in ms.components], ms.parent_id) for sid, ms in host._shapes.items()}


def stack_view(host):
    return [(c.description, list(c.before), list(c.after)) for c in host._undo_stack]


def nan_placement(record):
    record.translation = q.Translation(x=float("nan"))


def top_level_sketch(host, s):
    return s, lambda: k.area(host.get_shape(s).shape)


def extruded(host, s):
    eid = host.extrude_shape(s, q.ExtrudeProperties(depth=5.0))
    return eid, lambda: k.volume(host.get_shape(eid).shape)


def united(host, s):
    other = host.create_shape(ShapeType.RECTANGLE, q.RectangleProperties(width=10, height=10,
                                                                        translation=q.Translation(x=50)))
    uid = host.union_shapes([s, other.shape_id])
    return uid, lambda: k.area(host.get_shape(uid).shape)


# (case, how the sketch is used, how the commit is made to fail, what the
# host hears), measured: (before the failing commit, after a good one).
FAILED_COMMITS = [
    ("copy ids", top_level_sketch, lambda h, s, u, svc: setattr(h, "draws_left", 1), "raises", (100, 500)),
    ("sketch placement", top_level_sketch,
     lambda h, s, u, svc: nan_placement(h.get_shape(s).properties), "raises", (100, 500)),
    ("sketch placement gives none", top_level_sketch,
     lambda h, s, u, svc: (setattr(h.get_shape(s).properties, "translation", q.Translation(x=5)),
                           setattr(svc, "answer_none", True), setattr(svc, "fail", "translate_shape")),
     "reported", (100, 500)),
    ("copy ids of a profile", extruded, lambda h, s, u, svc: setattr(h, "draws_left", 1), "raises", (500, 2500)),
    ("profile placement", extruded,
     lambda h, s, u, svc: nan_placement(h.get_shape(s).properties), "raises", (500, 2500)),
    ("extrude recomputation", extruded, lambda h, s, u, svc: setattr(svc, "fail", "extrude_shape"),
     "raises", (500, 2500)),
    ("extrude placement", extruded, lambda h, s, u, svc: nan_placement(h.get_shape(u).properties),
     "raises", (500, 2500)),
    ("union recomputation", united, lambda h, s, u, svc: setattr(svc, "fail", "fuse_shapes"),
     "raises", (200, 600)),
    ("union refold merge", united, lambda h, s, u, svc: setattr(svc, "fail", "unify_same_domain"),
     "raises", (200, 600)),
]


@pytest.mark.parametrize("case, use, break_it, heard, measures", FAILED_COMMITS,
                         ids=[c[0] for c in FAILED_COMMITS])
def test_a_failed_commit_changes_nothing(case, use, break_it, heard, measures):
    svc = SwitchedService()
    host = DrawingHost(svc)
    s = host.create_sketch(plane(host).shape_id).shape_id
    tessik = FakeSketchManager()
    tessik.rect(10, 10)
    assert host.commit_sketch(s, tessik)
    user, measure = use(host, s)
    assert measure() == pytest.approx(measures[0])
    registry, values, stack = registry_view(host), registry_values(host), stack_view(host)
    record = host.get_shape(s).properties
    saved = (record.translation.x, host.get_shape(user).properties.translation.x)

    tessik.rect(20, 20, x=-40)
    break_it(host, s, user, svc)
    host.log.clear()
    if heard == "raises":
        with pytest.raises(RuntimeError):  # the kernel's error, as an update lets it through
            host.commit_sketch(s, tessik)
        assert host.log == []
    else:
        assert host.commit_sketch(s, tessik) is False
        assert host.events() == [("failed", "Commit Sketch",
                                  "The sketch could not be placed: the kernel gave no shape.")]
    assert registry_view(host) == registry and stack_view(host) == stack
    assert all(host.get_shape(c.shape_id) is c for c in host.get_shape(s).components)

    # Mended, the same commit goes through, and the history still walks.
    svc.fail, host.draws_left = None, None
    record.translation.x = saved[0]
    host.get_shape(user).properties.translation.x = saved[1]
    assert host.commit_sketch(s, tessik)
    assert measure() == pytest.approx(measures[1])
    host.undo()
    assert registry_values(host) == values and measure() == pytest.approx(measures[0])
    host.redo()
    assert measure() == pytest.approx(measures[1])
    while host.can_undo:
        host.undo()
    assert len(host._shapes) == 0
    while host.can_redo:
        host.redo()
    assert measure() == pytest.approx(measures[1])


def test_a_failed_restore_leaves_nothing_behind():
    tessik = FakeSketchManager()
    r1 = tessik.rect(10, 10)
    r2 = tessik.rect(10, 10, x=5)
    union = tessik.add(geo.fuse_shapes(r1.shape, r2.shape), ShapeType.UNION, components=[r1, r2])
    r1.parent_id = r2.parent_id = union.shape_id
    tessik.rect(3, 3, x=40)
    bad = q.SketchProperties(translation=q.Translation(z=float("nan")))
    host = DrawingHost()
    pl = host.restore_plane("plane_saved001", q.PlaneProperties())
    host.log.clear()
    with pytest.raises(k.KernelError):
        host.restore_sketch("sketch_saved01", bad, tessik)
    host.draws_left = 2  # fails at the third copy
    with pytest.raises(RuntimeError):
        host.restore_sketch("sketch_saved01", q.SketchProperties(), tessik)
    assert list(host._shapes) == [pl.shape_id] and host.log == [] and host.undo_depth() == 0
    host.draws_left = None
    assert host.restore_sketch("sketch_saved01", q.SketchProperties(), tessik) == "sketch_saved01"
    assert len(host._shapes) == 6 and k.area(host.get_shape("sketch_saved01").shape) == pytest.approx(159)
