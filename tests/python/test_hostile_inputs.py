"""Hostile inputs that once crashed, hung or raised an internal error: each
case must now end in a documented Python exception or a sound result."""
import inspect

import pytest

import _nimbal_testing as t
import nimbal.kernel as k
import nimbal.managers.corvath as cv
import nimbal.models.quenby as q
import nimbal.services.drulen as dr
import nimbal.services.hathel as ha
import nimbal.services.ostrel as os_
from nimbal.enums import ShapeType


def box_props(w=10.0):
    return q.BoxProperties(width=w, height=w, depth=w)


def fillet_of_box(mgr):
    base = mgr.create_shape(ShapeType.BOX, box_props())
    fid = mgr.fillet_shape(base.shape_id, q.FilletProperties(fillet_radius=1.0))
    return base, mgr.get_shape(fid)


# ---- every module: a method called on something that is not its instance ----

def prop_get(cls, name):
    return inspect.getattr_static(cls, name).fget


WRONG_SELF = [
    # zero-argument members bound straight from C++ would run on a null object
    ("kernel.TopoDS_Shape.IsNull", k.TopoDS_Shape.IsNull),
    ("kernel.TopoDS_Wire.NbChildren", k.TopoDS_Wire.NbChildren),
    ("hathel.Hathel.undo", ha.Hathel.undo),
    ("hathel.Hathel.depth", ha.Hathel.depth),
    ("hathel.Hathel.can_undo", prop_get(ha.Hathel, "can_undo")),
    ("hathel.State.__len__", ha.State.__len__),
    ("hathel.State.clear", ha.State.clear),
    ("ostrel.Ostrel._fandor", prop_get(os_.Ostrel, "_fandor")),
    ("corvath.CoreCorvath.clear_all", cv.CoreCorvath.clear_all),
    ("corvath.CoreCorvath.get_all_shape_ids", cv.CoreCorvath.get_all_shape_ids),
    ("corvath.CoreCorvath.undo", cv.CoreCorvath.undo),
    # bodies that cast a plain self handle would raise "Unable to cast"
    ("quenby.BoxProperties.__eq__", lambda s: q.BoxProperties.__eq__(s, 1.0)),
    ("quenby.Translation.x", prop_get(q.Translation, "x")),
    ("hathel._ShapeSnapshot.component_ids", prop_get(ha._ShapeSnapshot, "component_ids")),
    ("hathel.Hathel._undo_stack", prop_get(ha.Hathel, "_undo_stack")),
    ("tessik.CoreTessik.clear_all", lambda s: __import__("nimbal.managers.tessik", fromlist=["x"]).CoreTessik.clear_all(s)),
    ("tessik.CoreTessik.can_undo", lambda s: prop_get(__import__("nimbal.managers.tessik", fromlist=["x"]).CoreTessik,
                                                      "can_undo")(s)),
    ("lumbra.Lumbra.redraw", lambda s: __import__("nimbal.services.lumbra", fromlist=["x"]).Lumbra.redraw(s)),
    ("pikalo.Pikalo.clear", lambda s: __import__("nimbal.services.pikalo", fromlist=["x"]).Pikalo.clear(s)),
    ("kernel.V3d_View.Redraw", k.V3d_View.Redraw),
    ("kernel.AIS_InteractiveContext.NbSelected", k.AIS_InteractiveContext.NbSelected),
]


@pytest.mark.parametrize("self_value", [None, object(), 1.5], ids=["None", "object", "float"])
@pytest.mark.parametrize("name,fn", WRONG_SELF, ids=[c[0] for c in WRONG_SELF])
def test_method_refuses_a_foreign_self(name, fn, self_value):
    with pytest.raises(TypeError):
        fn(self_value)


def test_methods_still_accept_instances_of_subclasses():
    class Host(cv.CoreCorvath):
        pass

    host = Host()
    assert cv.CoreCorvath.get_all_shape_ids(host) == []
    assert k.TopoDS_Shape.IsNull(t.make_box(1, 1, 1)) is False
    assert q.Quenby.__eq__(q.BoxProperties(), q.BoxProperties()) is True


# ---- nimbal.services.hathel ----

class ItemsOf:
    def __init__(self, items):
        self._items = items

    def items(self):
        return self._items


@pytest.mark.parametrize("items", [[1, 2], ["ab"], [("a",)], [("a", None, None)], [None]],
                         ids=["ints", "strings", "1-tuple", "3-tuple", "None"])
def test_state_from_mapping_with_malformed_items(items):
    with pytest.raises(TypeError):
        ha.State(ItemsOf(items))
    mgr = cv.CoreCorvath()
    with pytest.raises(TypeError):
        mgr._apply_state(ItemsOf(items))


def test_hook_replacing_command_states_during_undo_and_redo():
    class Host(cv.CoreCorvath):
        def _notify_shape_removed(self, shape_id):
            for cmd in list(self._undo_stack) + list(self._undo_redo._redo_stack):
                cmd.before = {}
                cmd.after = {}

        def _notify_shape_created(self, shape_id, ms):
            for cmd in list(self._undo_stack):
                cmd.before.clear()
                cmd.after.clear()

    mgr = Host()
    a = mgr.create_shape(ShapeType.BOX, box_props())
    b = mgr.create_shape(ShapeType.BOX, box_props(5.0))
    uid = mgr.union_shapes([a.shape_id, b.shape_id])
    mgr.undo()  # the union goes, whatever the hook does to the stored states
    assert uid not in mgr._shapes
    assert set(mgr.get_all_shape_ids()) == {a.shape_id, b.shape_id}
    mgr.redo()
    mgr.undo()
    mgr.undo()


# ---- nimbal.services.drulen ----

@pytest.mark.parametrize("count", [(10**9, 1, 1), (10**6, 10**6, 10**6), (2**62, 2**62, 2**62), (1000, 1000, 1)],
                         ids=["1e9", "1e18", "overflowing product", "1e6"])
def test_array_compound_refuses_counts_beyond_the_limit(count):
    with pytest.raises(ValueError, match="exceeds the limit"):
        dr.Drulen().create_array_compound(t.make_box(1, 1, 1), count, (2.0, 2.0, 2.0))


@pytest.mark.parametrize("count", [(2**62, 2**62, 0), (0, 2**62, 2**62), (2**62, -1, 2**62)])
def test_array_compound_with_an_empty_axis_is_empty_at_once(count):
    c = dr.Drulen().create_array_compound(t.make_box(1, 1, 1), count, (2.0, 2.0, 2.0))
    assert not c.IsNull() and c.NbChildren() == 0


def test_array_compound_within_the_limit_still_builds():
    c = dr.Drulen().create_array_compound(t.make_box(1, 1, 1), (2, 3, 1), (10.0, 5.0, 0.0))
    assert c.NbChildren() == 6
    assert k.volume(c) == pytest.approx(6.0)


def test_manager_array_beyond_the_limit_changes_nothing():
    mgr = cv.CoreCorvath()
    base = mgr.create_shape(ShapeType.BOX, box_props())
    with pytest.raises(ValueError, match="exceeds the limit"):
        mgr.create_shape_array(base.shape_id, q.ArrayProperties(count_x=10**9))
    assert mgr.get_all_shape_ids() == [base.shape_id] and base.parent_id is None
    aid = mgr.create_shape_array(base.shape_id, q.ArrayProperties(count_x=2))
    with pytest.raises(ValueError, match="exceeds the limit"):
        mgr.update_shape(aid, q.ArrayProperties(count_x=10**5, count_y=10**5))
    assert mgr.get_shape(aid).shape.NbChildren() == 2


# ---- nimbal.managers.corvath: component lists that loop back ----

def self_cycle(mgr):
    base, fil = fillet_of_box(mgr)
    fil.components.append(fil)  # the fillet lists itself
    return base, fil


def two_cycle(mgr):
    base, fil = fillet_of_box(mgr)
    base.components.append(fil)  # the base lists its parent
    return base, fil


CYCLES = [("self", self_cycle), ("two", two_cycle)]


@pytest.mark.parametrize("name,make", CYCLES, ids=[c[0] for c in CYCLES])
def test_collect_snapshots_visits_each_shape_once(name, make):
    mgr = cv.CoreCorvath()
    base, fil = make(mgr)
    out = {}
    mgr._collect_snapshots(fil, out)
    assert list(out) == [fil.shape_id, base.shape_id]


@pytest.mark.parametrize("name,make", CYCLES, ids=[c[0] for c in CYCLES])
def test_remove_and_undo_with_a_looping_component_list(name, make):
    mgr = cv.CoreCorvath()
    base, fil = make(mgr)
    assert mgr.remove_shape(fil.shape_id) is True
    assert len(mgr._shapes) == 0
    mgr.undo()
    assert set(mgr._shapes) == {base.shape_id, fil.shape_id}
    assert mgr.get_all_shape_ids() == [fil.shape_id]


@pytest.mark.parametrize("name,make", CYCLES, ids=[c[0] for c in CYCLES])
def test_remove_component_subtree_keeps_the_root(name, make):
    mgr = cv.CoreCorvath()
    base, fil = make(mgr)
    mgr._remove_component_subtree(fil)
    assert list(mgr._shapes) == [fil.shape_id]


@pytest.mark.parametrize("name,make", CYCLES, ids=[c[0] for c in CYCLES])
def test_decompose_with_a_looping_component_list(name, make):
    mgr = cv.CoreCorvath()
    base, fil = make(mgr)
    assert mgr.decompose_shape(fil.shape_id) == [base.shape_id]
    assert mgr.get_all_shape_ids() == [base.shape_id]
    mgr.undo()
    assert mgr.get_all_shape_ids() == [fil.shape_id]


def test_split_to_faces_of_a_shape_listing_itself():
    mgr = cv.CoreCorvath()
    b = mgr.create_shape(ShapeType.BOX, box_props())
    b.components.append(b)
    ids = mgr.split_to_faces(b.shape_id)
    assert len(ids) == 6 and b.shape_id not in mgr._shapes


@pytest.mark.parametrize("loop", ["first component is itself", "two modifiers in a ring"])
def test_base_shape_of_a_modifier_ring_is_none(loop):
    mgr = cv.CoreCorvath()
    base, fil = fillet_of_box(mgr)
    if loop == "first component is itself":
        fil.components[0] = fil
    else:
        base.shape_type = ShapeType.FILLET
        base.components.append(fil)
    assert mgr.get_base_shape(fil.shape_id) is None
    assert len(mgr.get_modifier_chain(fil.shape_id)) <= len(mgr._shapes) + 1


def test_restored_snapshot_listing_its_own_id():
    mgr = cv.CoreCorvath()
    b = mgr.create_shape(ShapeType.BOX, box_props())
    snap = mgr._snapshot(b.shape_id)
    snap.component_ids.append(b.shape_id)
    mgr._restore_from_snapshot(b.shape_id, snap)
    out = {}
    mgr._collect_snapshots(mgr.get_shape(b.shape_id), out)
    assert list(out) == [b.shape_id]
    assert mgr.remove_shape(b.shape_id) is True and len(mgr._shapes) == 0


def test_a_very_deep_component_chain_is_released_without_exhausting_the_stack():
    assert t.release_component_chain(1_000_000)


# ---- viewer objects of the kernel ----

def windowless_scene():
    viewer = k.V3d_Viewer(k.OpenGl_GraphicDriver(None))
    context = k.AIS_InteractiveContext(viewer)
    ais = k.AIS_Shape(t.make_box(1, 2, 3))
    context.Display(ais, True)
    return viewer, context, ais


def test_a_view_keeps_its_viewer_alive():
    import gc
    view = k.V3d_Viewer(k.OpenGl_GraphicDriver(None)).CreateView()
    gc.collect()
    assert isinstance(view.Viewer(), k.V3d_Viewer)
    view.SetProj(1.0, 0.0, 0.0)
    view.FitAll()
    view.Redraw()
    assert view.Proj() == pytest.approx((1.0, 0.0, 0.0))


SELECTION_STATES = [
    ("nothing selected", lambda c, a: None),
    ("selection cleared", lambda c, a: (c.AddOrRemoveSelected(a, False), c.ClearSelected(False))),
    ("object erased", lambda c, a: (c.AddOrRemoveSelected(a, False), c.Erase(a, False))),
    ("object removed", lambda c, a: (c.AddOrRemoveSelected(a, False), c.Remove(a, False))),
]


@pytest.mark.parametrize("name,prepare", SELECTION_STATES, ids=[c[0] for c in SELECTION_STATES])
def test_selection_iteration_with_no_current_entry(name, prepare):
    viewer, context, ais = windowless_scene()
    prepare(context, ais)
    context.InitSelected()
    for _ in range(3):
        context.NextSelected()
    assert not context.MoreSelected()
    assert context.SelectedInteractive() is None
    assert context.SelectedShape().IsNull()


def test_selection_iteration_past_the_end():
    viewer, context, ais = windowless_scene()
    context.AddOrRemoveSelected(ais, False)
    context.InitSelected()
    assert context.MoreSelected() and context.SelectedInteractive() == ais
    for _ in range(3):
        context.NextSelected()
    assert context.SelectedInteractive() is None
    assert context.SelectedShape().IsNull()


@pytest.mark.parametrize("scale", [0.0, -0.5, float("nan"), float("-inf"), float("inf")])
@pytest.mark.parametrize("windowed", [False, True], ids=["windowless", "offscreen"])
def test_trihedron_with_a_scale_that_is_not_positive_and_finite(scale, windowed):
    from lumbra_fixtures import Scene
    scene = Scene(windowed)
    with pytest.raises(k.KernelError):
        scene.view.TriedronDisplay(k.Aspect_TOTP_LEFT_LOWER, k.Quantity_Color(k.Quantity_NOC_WHITE), scale,
                                   k.V3d_WIREFRAME)
    scene.view.TriedronDisplay(k.Aspect_TOTP_LEFT_LOWER, k.Quantity_Color(k.Quantity_NOC_WHITE), 0.1,
                               k.V3d_WIREFRAME)
    scene.view.Redraw()


@pytest.mark.parametrize("size", [(16385, 10), (10, 40000), (100000, 100000)])
def test_offscreen_window_larger_than_a_drawable_buffer(size):
    from lumbra_fixtures import display_connection
    with pytest.raises(k.KernelError):
        k.Xw_Window(display_connection(), "too big", 0, 0, *size)
