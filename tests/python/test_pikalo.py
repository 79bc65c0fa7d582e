"""The selection service without an X server: state, modes, colours, the
exclusion list, the index readers and the error convention. Detection itself
is tested under Xvfb in test_pikalo_view.py."""
import logging

import pytest

import log_checks

import _nimbal_testing as t
import nimbal.kernel as k
from lumbra_fixtures import Scene
from nimbal.enums import SelectionMode
from nimbal.services.pikalo import Pikalo

LOGGER = "nimbal.services.pikalo"
RED = k.Quantity_Color(k.Quantity_NOC_RED)
CYAN = k.Quantity_Color(k.Quantity_NOC_CYAN1)
STYLES = {
    k.Prs3d_TypeOfHighlight_Dynamic: CYAN,
    k.Prs3d_TypeOfHighlight_Selected: RED,
    k.Prs3d_TypeOfHighlight_LocalDynamic: CYAN,
    k.Prs3d_TypeOfHighlight_LocalSelected: RED,
}


@pytest.fixture
def scene():
    return Scene(windowed=False)


@pytest.fixture
def box():
    return t.make_box(10.0, 20.0, 30.0)


records, assert_one_error = log_checks.for_logger(LOGGER)


def style_colors(context):
    return {h: context.HighlightStyle(h).Color() for h in STYLES}


# ---- state, accessors, colours ----

def test_new_service_state_touches_nothing(scene):
    before = style_colors(scene.context)
    p = Pikalo(scene.context)
    assert p.is_enabled() is True and p._selection_enabled is True
    assert p.get_mode() is SelectionMode.VOLUME and p._selection_mode is SelectionMode.VOLUME
    assert p._excluded == [] and p._context is scene.context
    assert style_colors(scene.context) == before
    assert Pikalo(context=scene.context).get_mode() is SelectionMode.VOLUME
    with pytest.raises(TypeError):
        Pikalo()


def test_configure_selection_colors_sets_four_styles_and_highlight_selected(scene, capture_logs):
    scene.context.SetToHilightSelected(False)
    p = Pikalo(scene.context)
    p.configure_selection_colors()
    assert style_colors(scene.context) == STYLES
    assert scene.context.ToHilightSelected() is True
    assert records(capture_logs) == []


@pytest.mark.parametrize("mode", list(SelectionMode))
def test_set_mode_stores_the_member_and_applies_the_colours(scene, capture_logs, mode):
    p = Pikalo(scene.context)
    p.set_mode(mode)
    assert p.get_mode() is mode
    assert style_colors(scene.context) == STYLES
    assert records(capture_logs) == []


def test_values_given_are_kept_as_given(scene):
    p = Pikalo(scene.context)
    p.set_enabled(1)
    assert p.is_enabled() == 1 and type(p.is_enabled()) is int
    p.set_enabled(0)
    assert p.is_enabled() == 0 and type(p._selection_enabled) is int
    p.set_mode(mode=SelectionMode.EDGE)
    assert p.get_mode() is SelectionMode.EDGE


def test_mode_that_is_no_member_is_stored_and_logged(scene, capture_logs):
    p = Pikalo(scene.context)
    p.set_mode("edge")
    assert p.get_mode() == "edge"
    assert_one_error(capture_logs, "Error setting selection mode: ")


def test_truth_value_that_raises_is_logged_and_stored(scene, capture_logs):
    class Odd:
        def __bool__(self):
            raise RuntimeError("no truth")

    p = Pikalo(scene.context)
    odd = Odd()
    p.set_enabled(odd)
    assert p.is_enabled() is odd
    assert assert_one_error(capture_logs, "Error setting selection enabled: ").getMessage().endswith("no truth")


# ---- overrides are the ones the service calls ----

def test_subclass_overrides_are_called_by_the_service(scene):
    calls = []

    class Host(Pikalo):
        def set_mode(self, mode):
            calls.append(("set_mode", mode))
            super().set_mode(mode)

        def configure_selection_colors(self):
            calls.append(("colors",))

    p = Host(scene.context)
    p.set_mode(SelectionMode.SURFACE)
    calls.clear()
    p.set_enabled(True)
    assert calls == [("set_mode", SelectionMode.SURFACE), ("colors",)]
    # The kernel styles were left alone: the override replaced the colours.
    assert style_colors(scene.context) != STYLES


def test_interrupt_in_an_override_is_not_caught(scene, capture_logs):
    class Host(Pikalo):
        def configure_selection_colors(self):
            raise KeyboardInterrupt

    with pytest.raises(KeyboardInterrupt):
        Host(scene.context).set_mode(SelectionMode.EDGE)
    assert records(capture_logs) == []


def test_error_in_an_override_is_logged_under_set_mode(scene, capture_logs):
    class Host(Pikalo):
        def configure_selection_colors(self):
            raise ValueError("colours refused")

    p = Host(scene.context)
    p.set_mode(SelectionMode.VERTEX)
    rec = assert_one_error(capture_logs, "Error setting selection mode: ")
    assert rec.getMessage() == "Error setting selection mode: colours refused"
    assert p.get_mode() is SelectionMode.VERTEX


# ---- exclusion list ----

def test_exclusion_list_keeps_order_and_repeats(scene, box, capture_logs):
    a, b = k.AIS_Shape(box), k.AIS_Shape(box)
    scene.context.Display(a, False)
    scene.context.Display(b, False)
    p = Pikalo(scene.context)
    p.exclude_from_selection(a)
    p.exclude_from_selection(b)
    p.exclude_from_selection(a)
    assert p._excluded == [a, b, a]
    p.remove_excluded(a)
    assert p._excluded == [b, a]
    for stranger in (k.AIS_Shape(box), None, "a", 3):
        p.remove_excluded(stranger)
    assert p._excluded == [b, a]
    p.clear_excluded()
    assert p._excluded == []
    assert records(capture_logs) == []


@pytest.mark.parametrize("bad", [None, "shape", 1])
def test_excluding_a_non_object_raises_and_lists_nothing(scene, bad):
    p = Pikalo(scene.context)
    with pytest.raises(TypeError):
        p.exclude_from_selection(bad)
    assert p._excluded == []


# ---- the error convention ----

@pytest.mark.parametrize("call, prefix", [
    (lambda p, s: p.set_mode(SelectionMode.EDGE), "Error setting selection mode: "),
    (lambda p, s: p.set_enabled(False), "Error setting selection enabled: "),
    (lambda p, s: p.configure_selection_colors(), "Error configuring selection colors: "),
    (lambda p, s: p.set_shape_selection_priority(None, 5), "Error setting shape selection priority: "),
    (lambda p, s: p.clear(), "Error clearing selection: "),
    (lambda p, s: p.move_to(1, 2, s.view), "Error in move_to: "),
    (lambda p, s: p.select(1, 2, s.view, False), "Error handling selection: "),
    (lambda p, s: p.get_hovered_shape_id(s.lumbra), "Error getting hovered shape id: "),
])
def test_guarded_operations_on_no_context_log_and_return_nothing(scene, capture_logs, call, prefix):
    p = Pikalo(None)
    assert call(p, scene) is None
    rec = assert_one_error(capture_logs, prefix)
    assert "NoneType" in rec.getMessage()


def test_list_readers_on_no_context_log_and_return_empty_lists(scene, capture_logs):
    p = Pikalo(None)
    assert p.get_selected_shapes() == []
    assert_one_error(capture_logs, "Error getting selected shapes: ")
    capture_logs.clear()
    assert p.get_selected_subshapes() == []
    assert_one_error(capture_logs, "Error getting selected subshapes: ")


@pytest.mark.parametrize("view", ["no view", None, 3])
def test_detection_on_a_bad_view_is_logged(scene, capture_logs, view):
    p = Pikalo(scene.context)
    p.move_to(10, 10, view)
    assert_one_error(capture_logs, "Error in move_to: ")
    capture_logs.clear()
    p.select(10, 10, view)
    assert_one_error(capture_logs, "Error handling selection: ")


def test_detection_on_a_view_without_window_is_logged_not_a_crash(scene, box, capture_logs):
    scene.lumbra.display_shape(box, "box_1")
    p = Pikalo(scene.context)
    p.set_mode(SelectionMode.VOLUME)
    p.move_to(100, 100, scene.view, True)
    assert "no window" in assert_one_error(capture_logs, "Error in move_to: ").getMessage()
    capture_logs.clear()
    p.select(100, 100, scene.view, True)
    assert_one_error(capture_logs, "Error handling selection: ")
    assert p.get_selected_shapes() == []


@pytest.mark.parametrize("x, y", [(1.5, 2), ("1", 2), (1, None), (2**40, 1)])
def test_bad_pixels_are_logged(scene, capture_logs, x, y):
    Pikalo(scene.context).move_to(x, y, scene.view)
    assert_one_error(capture_logs, "Error in move_to: ")


def test_hover_before_any_detection_asks_nothing_of_the_view_service(scene, capture_logs):
    class Exploding:
        def get_shape_id_for_ais_shape(self, obj):
            raise AssertionError("must not be asked")

    p = Pikalo(scene.context)
    assert p.get_hovered_shape_id(Exploding()) is None
    assert p.get_hovered_shape_id(None) is None
    assert records(capture_logs) == []


def test_unguarded_operations_raise(scene):
    p = Pikalo(None)
    with pytest.raises(TypeError):
        p.exclude_from_selection("x")
    with pytest.raises(TypeError):
        p.set_mode()


def test_priority_for_an_object_without_owners_changes_nothing(scene, box, capture_logs):
    p = Pikalo(scene.context)
    p.set_shape_selection_priority(k.AIS_Shape(box), 42)
    p.set_shape_selection_priority(None, -3)
    assert records(capture_logs) == []
    for args in [("not an object", 1), (None, "high"), (None, 2.5)]:
        capture_logs.clear()
        p.set_shape_selection_priority(*args)
        assert_one_error(capture_logs, "Error setting shape selection priority: ")


# ---- sub-shape indices ----

class Picked(Pikalo):
    """Stands in for the context's selection: the index readers must use it."""

    def __init__(self, context, picked):
        super().__init__(context)
        self.picked = picked

    def get_selected_subshapes(self):
        return list(self.picked)


def test_index_readers_use_the_selected_subshapes(scene, box):
    edges = k.sub_shapes(box, k.TopAbs_EDGE)
    vertices = k.sub_shapes(box, k.TopAbs_VERTEX)
    faces = k.sub_shapes(box, k.TopAbs_FACE)
    cases = [
        ([edges[5], edges[1]], [1, 5], []),
        ([edges[3], edges[3]], [3, 3], []),
        ([faces[0], faces[2], box], [], []),
        ([vertices[4]], [], [4]),
        ([edges[0].Reversed()], [0], []),
        ([t.make_box(10.0, 20.0, 30.0)], [], []),
    ]
    for picked, edge_idx, vertex_idx in cases:
        p = Picked(scene.context, picked)
        assert p.get_selected_edge_indices(box) == edge_idx
        assert p.get_selected_vertex_indices(base_shape=box) == vertex_idx


def test_index_readers_with_nothing_selected_do_not_look_at_the_base_shape(scene):
    p = Picked(scene.context, [])
    assert p.get_selected_edge_indices("not a shape") == []
    assert p.get_selected_vertex_indices(None) == []
    assert Pikalo(scene.context).get_selected_edge_indices(object()) == []


def test_index_readers_raise_for_a_bad_base_shape(scene, box):
    p = Picked(scene.context, k.sub_shapes(box, k.TopAbs_EDGE)[:1])
    with pytest.raises(TypeError):
        p.get_selected_edge_indices("not a shape")
    assert p.get_selected_edge_indices(None) == []


def test_pre_selection_argument_rules(scene, box, capture_logs):
    p = Pikalo(scene.context)
    ais = k.AIS_Shape(box)
    # empty: returns before looking at the base shape
    for empty in ([], (), set(), None):
        p.select_edges_by_index(ais, "not a shape", empty)
        p.select_vertices_by_index(ais, object(), empty)
    # indices that name no position: no viewer call, no record
    p.select_edges_by_index(ais, box, [-1, 12, 99, "a", 2.5])
    p.select_vertices_by_index(ais, box, [8, -8])
    assert records(capture_logs) == []
    with pytest.raises(TypeError):
        p.select_edges_by_index(ais, box, [[1]])
    with pytest.raises(TypeError):
        p.select_edges_by_index(ais, "not a shape", [1])
    with pytest.raises(TypeError):
        p.select_vertices_by_index(ais_shape=ais, base_shape=box)


def test_pre_selection_failure_inside_the_walk_is_logged(scene, box, capture_logs):
    p = Pikalo(scene.context)
    p.select_edges_by_index("not an object", box, [0])
    assert_one_error(capture_logs, "Error pre-selecting edges: ")
    capture_logs.clear()
    Pikalo(None).select_vertices_by_index(k.AIS_Shape(box), box, [0])
    assert_one_error(capture_logs, "Error pre-selecting vertices: ")
