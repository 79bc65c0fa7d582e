"""The selection service over an offscreen view (Xvfb): what each mode makes
detectable, hover through a real view service, picking, exclusion,
priorities and edges and vertices by index, measured on the kernel shapes."""
import logging
import math

import pytest

import log_checks

import _nimbal_testing as t
import nimbal.kernel as k
from lumbra_fixtures import Scene
from nimbal.enums import DisplayMode, SelectionMode, ViewDirection
from nimbal.services.pikalo import Pikalo

LOGGER = "nimbal.services.pikalo"

# A 10 x 20 x 30 box seen from the iso direction (1, 1, 1): the faces x = 10,
# y = 20 and z = 30 face the camera.
TOP_CENTRE = (5.0, 10.0, 30.0)
SIDE_CENTRE = (10.0, 10.0, 15.0)
TOP_EDGE_MID = (5.0, 0.0, 30.0)      # the edge (0,0,30)-(10,0,30)
SIDE_EDGE_MID = (10.0, 0.0, 15.0)    # the edge (10,0,0)-(10,0,30)
CORNER = (10.0, 0.0, 30.0)
FAR_AWAY = (2, 2)                    # a pixel where nothing is shown


class View(Scene):
    def __init__(self):
        super().__init__(windowed=True)
        self.box = t.make_box(10.0, 20.0, 30.0)
        self.lumbra.display_shape(self.box, "box_1", (0.5, 0.5, 0.5))
        self.ais = self.lumbra.get_shape_info("box_1").ais_shape
        self.lumbra.setup_initial_view()
        self.lumbra.set_projection(ViewDirection.ISO)
        self.view.FitAll(0.2, True)
        self.pikalo = Pikalo(self.context)

    def pixel(self, point):
        return self.view.Convert(*point)

    def hover(self, point, update=True):
        x, y = self.pixel(point) if len(point) == 3 else point
        self.pikalo.move_to(x, y, self.view, update)
        return self.context.DetectedShape()

    def click(self, point, replace=True):
        x, y = self.pixel(point)
        self.pikalo.select(x, y, self.view, replace)


@pytest.fixture
def scene():
    return View()


records, assert_one_error = log_checks.for_logger(LOGGER)


def contains(shape, point, tol=1e-6):
    x0, y0, z0, x1, y1, z1 = k.bounding_box(shape)
    return all(lo - tol <= c <= hi + tol for lo, c, hi in zip((x0, y0, z0), point, (x1, y1, z1)))


def edge_ends(edge):
    x0, y0, z0, x1, y1, z1 = k.bounding_box(edge)
    return (x0, y0, z0), (x1, y1, z1)


# ---- modes: what can be detected ----

@pytest.mark.parametrize("mode, point, shape_type, measure, value", [
    (SelectionMode.VOLUME, SIDE_CENTRE, k.TopAbs_SOLID, k.volume, 6000.0),
    (SelectionMode.SURFACE, TOP_CENTRE, k.TopAbs_FACE, k.area, 200.0),
    (SelectionMode.SURFACE, SIDE_CENTRE, k.TopAbs_FACE, k.area, 600.0),
    (SelectionMode.EDGE, TOP_EDGE_MID, k.TopAbs_EDGE, k.length, 10.0),
    (SelectionMode.EDGE, SIDE_EDGE_MID, k.TopAbs_EDGE, k.length, 30.0),
    (SelectionMode.VERTEX, CORNER, k.TopAbs_VERTEX, k.length, 0.0),
])
def test_each_mode_detects_its_kind_of_sub_shape(scene, capture_logs, mode, point, shape_type, measure, value):
    scene.pikalo.set_mode(mode)
    detected = scene.hover(point)
    assert detected is not None and detected.ShapeType() == shape_type
    assert math.isclose(measure(detected), value, abs_tol=1e-6)
    assert contains(detected, point)
    assert records(capture_logs) == []


def test_edge_mode_does_not_detect_face_interiors(scene):
    inside = (3.0, 12.0, 30.0)  # on the top face, in front of no edge
    scene.pikalo.set_mode(SelectionMode.EDGE)
    assert scene.hover(inside) is None
    scene.pikalo.set_mode(SelectionMode.SURFACE)
    assert scene.hover(inside).ShapeType() == k.TopAbs_FACE


@pytest.mark.parametrize("first_sweep", [
    lambda p: p.set_mode(SelectionMode.VOLUME),
    lambda p: p.set_enabled(True),
], ids=["set_mode", "set_enabled"])
def test_a_new_service_says_enabled_but_picks_nothing_until_the_first_sweep(scene, first_sweep):
    # What both docstrings tell a host: is_enabled() is True from the start,
    # yet the context has no active selection mode until a sweep runs.
    p = scene.pikalo
    assert p.is_enabled() is True
    assert scene.hover(SIDE_CENTRE) is None
    first_sweep(p)
    assert scene.hover(SIDE_CENTRE).ShapeType() == k.TopAbs_SOLID


def test_disabling_makes_nothing_detectable_and_enabling_restores_the_mode(scene):
    p = scene.pikalo
    p.set_mode(SelectionMode.EDGE)
    scene.click(TOP_EDGE_MID)
    assert len(p.get_selected_shapes()) == 1
    p.set_enabled(False)
    assert p.get_selected_shapes() == []
    assert scene.hover(TOP_EDGE_MID) is None
    p.set_mode(SelectionMode.SURFACE)  # stored while disabled, nothing activated
    assert scene.hover(TOP_CENTRE) is None
    p.set_enabled(True)
    assert scene.hover(TOP_CENTRE).ShapeType() == k.TopAbs_FACE


def test_a_mode_that_is_no_member_leaves_nothing_detectable(scene, capture_logs):
    scene.pikalo.set_mode(SelectionMode.VOLUME)
    scene.pikalo.set_mode(2)
    assert scene.hover(SIDE_CENTRE) is None
    assert_one_error(capture_logs, "Error setting selection mode: ")


# ---- hover and the view service ----

def test_hover_gives_the_managers_id_through_the_view_service(scene, capture_logs):
    p = scene.pikalo
    p.set_mode(SelectionMode.VOLUME)
    assert p.get_hovered_shape_id(scene.lumbra) is None  # nothing detected yet
    scene.hover(SIDE_CENTRE)
    assert p.get_hovered_shape_id(scene.lumbra) == "box_1"
    assert p.get_hovered_shape_id(lumbra=scene.lumbra) == "box_1"
    scene.hover(FAR_AWAY)
    assert p.get_hovered_shape_id(scene.lumbra) is None
    # also from a sub-shape mode: the object of the detected edge
    p.set_mode(SelectionMode.EDGE)
    scene.hover(TOP_EDGE_MID)
    assert p.get_hovered_shape_id(scene.lumbra) == "box_1"
    assert records(capture_logs) == []


def test_hover_over_a_reference_plane_gives_its_id(scene):
    scene.lumbra.erase_shape("box_1")
    scene.lumbra.display_plane("plane_1", (0.0, 0.0, 0.0), (0.0, 0.0, 1.0))
    scene.view.FitAll(0.2, True)
    scene.pikalo.set_mode(SelectionMode.VOLUME)
    scene.hover((0.0, 0.0, 0.0))
    assert scene.pikalo.get_hovered_shape_id(scene.lumbra) == "plane_1"


def test_hover_over_an_object_the_view_service_does_not_know(scene, capture_logs):
    stranger = k.AIS_Shape(t.make_box(10.0, 20.0, 30.0))
    scene.lumbra.erase_shape("box_1")
    scene.context.Display(stranger, True)
    scene.pikalo.set_mode(SelectionMode.VOLUME)
    scene.hover(SIDE_CENTRE)
    assert scene.context.DetectedInteractive() == stranger
    assert scene.pikalo.get_hovered_shape_id(scene.lumbra) is None
    assert records(capture_logs) == []


def test_view_service_answer_is_passed_through_and_its_errors_logged(scene, capture_logs):
    asked = []

    class Stub:
        def __init__(self, answer):
            self.answer = answer

        def get_shape_id_for_ais_shape(self, obj):
            asked.append(obj)
            if isinstance(self.answer, BaseException):
                raise self.answer
            return self.answer

    scene.pikalo.set_mode(SelectionMode.VOLUME)
    scene.hover(SIDE_CENTRE)
    assert scene.pikalo.get_hovered_shape_id(Stub("other_id")) == "other_id"
    assert asked == [scene.ais] and asked[0] is scene.ais
    assert records(capture_logs) == []
    for bad in (Stub(KeyError("lookup broke")), object(), None, Stub(42)):
        capture_logs.clear()
        assert scene.pikalo.get_hovered_shape_id(bad) is None
        assert_one_error(capture_logs, "Error getting hovered shape id: ")
    with pytest.raises(KeyboardInterrupt):
        scene.pikalo.get_hovered_shape_id(Stub(KeyboardInterrupt()))


def test_hover_without_update_still_detects(scene):
    scene.pikalo.set_mode(SelectionMode.SURFACE)
    assert scene.hover(TOP_CENTRE, update=False).ShapeType() == k.TopAbs_FACE
    assert scene.pikalo.get_hovered_shape_id(scene.lumbra) == "box_1"


def test_pixels_outside_the_view_detect_nothing(scene, capture_logs):
    scene.pikalo.set_mode(SelectionMode.VOLUME)
    for xy in [(-50, -50), (100000, 100000), (-2**31, 2**31 - 1)]:
        assert scene.hover(xy) is None
    assert records(capture_logs) == []


def test_a_view_of_another_viewer_is_refused(scene, capture_logs):
    other = Scene(windowed=True)
    scene.pikalo.move_to(100, 100, other.view)
    assert "another viewer" in assert_one_error(capture_logs, "Error in move_to: ").getMessage()


# ---- picking ----

def test_select_replaces_and_shift_select_toggles(scene, capture_logs):
    p = scene.pikalo
    p.set_mode(SelectionMode.VOLUME)
    assert p.get_selected_shapes() == []
    scene.click(SIDE_CENTRE)
    assert p.get_selected_shapes() == [scene.ais]
    scene.click(SIDE_CENTRE, replace=False)
    assert p.get_selected_shapes() == []
    scene.click(SIDE_CENTRE, replace=False)
    assert p.get_selected_shapes() == [scene.ais]
    x, y = FAR_AWAY
    p.select(x, y, scene.view, True)  # a click on nothing empties the selection
    assert p.get_selected_shapes() == []
    assert records(capture_logs) == []


def test_picked_edges_read_back_as_shapes_and_indices(scene):
    p = scene.pikalo
    p.set_mode(SelectionMode.EDGE)
    scene.click(TOP_EDGE_MID)
    scene.click(SIDE_EDGE_MID, replace=False)
    assert p.get_selected_shapes() == [scene.ais, scene.ais]
    picked = p.get_selected_subshapes()
    assert sorted(k.length(e) for e in picked) == [10.0, 30.0]
    edges = k.sub_shapes(scene.box, k.TopAbs_EDGE)
    indices = p.get_selected_edge_indices(scene.box)
    assert indices == sorted(indices) and len(indices) == 2
    assert {edge_ends(edges[i]) for i in indices} == {((0, 0, 30), (10, 0, 30)), ((10, 0, 0), (10, 0, 30))}
    assert p.get_selected_vertex_indices(scene.box) == []
    # a copy of the box has other edges
    assert p.get_selected_edge_indices(t.make_box(10.0, 20.0, 30.0)) == []
    scene.click(TOP_EDGE_MID)
    assert [k.length(e) for e in p.get_selected_subshapes()] == [10.0]
    p.clear()
    assert p.get_selected_shapes() == [] and p.get_selected_subshapes() == []


def test_picked_faces_give_no_indices_and_picked_vertices_theirs(scene):
    p = scene.pikalo
    p.set_mode(SelectionMode.SURFACE)
    scene.click(TOP_CENTRE)
    assert [round(k.area(f), 6) for f in p.get_selected_subshapes()] == [200.0]
    assert p.get_selected_edge_indices(scene.box) == [] and p.get_selected_vertex_indices(scene.box) == []
    p.set_mode(SelectionMode.VERTEX)
    scene.click(CORNER)
    vertices = k.sub_shapes(scene.box, k.TopAbs_VERTEX)
    (i,) = p.get_selected_vertex_indices(scene.box)
    assert k.bounding_box(vertices[i])[:3] == CORNER
    assert p.get_selected_edge_indices(scene.box) == []


# ---- exclusion and priorities ----

def test_excluded_objects_stay_undetectable_until_the_next_sweep(scene):
    p = scene.pikalo
    p.set_mode(SelectionMode.VOLUME)
    p.exclude_from_selection(scene.ais)
    assert scene.hover(SIDE_CENTRE) is None
    for mode in (SelectionMode.SURFACE, SelectionMode.VOLUME):  # every sweep keeps it out
        p.set_mode(mode)
        assert scene.hover(SIDE_CENTRE) is None
    p.set_enabled(True)
    assert scene.hover(SIDE_CENTRE) is None
    p.remove_excluded(scene.ais)
    assert scene.hover(SIDE_CENTRE) is None  # not re-activated by the removal
    p.set_mode(SelectionMode.VOLUME)
    assert scene.hover(SIDE_CENTRE).ShapeType() == k.TopAbs_SOLID


def test_excluded_twice_needs_two_removals(scene):
    p = scene.pikalo
    p.exclude_from_selection(scene.ais)
    p.exclude_from_selection(scene.ais)
    p.remove_excluded(scene.ais)
    p.set_mode(SelectionMode.VOLUME)
    assert scene.hover(SIDE_CENTRE) is None
    p.clear_excluded()
    p.set_mode(SelectionMode.VOLUME)
    assert scene.pikalo.get_hovered_shape_id(scene.lumbra) is None
    scene.hover(SIDE_CENTRE)
    assert scene.pikalo.get_hovered_shape_id(scene.lumbra) == "box_1"


def test_exclusion_keeps_other_objects_detectable(scene):
    other = k.AIS_Shape(t.make_box(10.0, 20.0, 30.0))
    scene.context.Display(other, True)
    scene.pikalo.set_mode(SelectionMode.VOLUME)
    scene.pikalo.exclude_from_selection(scene.ais)
    scene.hover(SIDE_CENTRE)
    assert scene.context.DetectedInteractive() == other


def test_priority_settles_the_pick_between_coincident_shapes(scene, capture_logs):
    twin = k.AIS_Shape(t.make_box(10.0, 20.0, 30.0))
    scene.context.Display(twin, True)
    p = scene.pikalo
    p.set_mode(SelectionMode.VOLUME)
    for high, low in [(twin, scene.ais), (scene.ais, twin), (twin, scene.ais)]:
        p.set_shape_selection_priority(high, 9)
        p.set_shape_selection_priority(low, 0)
        scene.hover(FAR_AWAY)
        scene.hover(SIDE_CENTRE)
        assert scene.context.DetectedInteractive() == high
    p.set_shape_selection_priority(scene.ais, 1000)  # passed on unchanged
    scene.hover(FAR_AWAY)
    scene.hover(SIDE_CENTRE)
    assert scene.context.DetectedInteractive() == scene.ais
    assert records(capture_logs) == []


# ---- edges and vertices by index ----

def test_select_edges_by_index_selects_those_edges(scene, capture_logs):
    p = scene.pikalo
    p.set_mode(SelectionMode.EDGE)
    edges = k.sub_shapes(scene.box, k.TopAbs_EDGE)
    p.select_edges_by_index(scene.ais, scene.box, [2, 2, 0])
    assert p.get_selected_edge_indices(scene.box) == [0, 2]
    picked = p.get_selected_subshapes()
    assert len(picked) == 2 and {edges.index(e) for e in picked} == {0, 2}
    assert sorted(edge_ends(e) for e in picked) == sorted(edge_ends(edges[i]) for i in (0, 2))
    assert sorted(k.length(e) for e in picked) == sorted(k.length(edges[i]) for i in (0, 2))
    # a second call toggles them off; order and kind of iterable don't matter
    p.select_edges_by_index(ais_shape=scene.ais, base_shape=scene.box, edge_indices=(0, 2))
    assert p.get_selected_edge_indices(scene.box) == []
    p.select_edges_by_index(scene.ais, scene.box, {11, 5.0, -1, 12})
    assert p.get_selected_edge_indices(scene.box) == [5, 11]
    assert records(capture_logs) == []


def test_pre_selection_adds_to_a_picked_selection(scene):
    p = scene.pikalo
    p.set_mode(SelectionMode.EDGE)
    scene.click(TOP_EDGE_MID)
    (picked,) = p.get_selected_edge_indices(scene.box)
    other = (picked + 1) % 12
    p.select_edges_by_index(scene.ais, scene.box, [other])
    assert p.get_selected_edge_indices(scene.box) == sorted([picked, other])


def test_select_vertices_by_index(scene):
    p = scene.pikalo
    p.set_mode(SelectionMode.VERTEX)
    vertices = k.sub_shapes(scene.box, k.TopAbs_VERTEX)
    p.select_vertices_by_index(scene.ais, scene.box, [7, 3])
    assert p.get_selected_vertex_indices(scene.box) == [3, 7]
    assert {k.bounding_box(v)[:3] for v in p.get_selected_subshapes()} == {
        k.bounding_box(vertices[i])[:3] for i in (3, 7)}
    assert p.get_selected_edge_indices(scene.box) == []


def test_pre_selection_needs_the_matching_mode(scene):
    p = scene.pikalo
    p.set_mode(SelectionMode.VOLUME)
    p.select_edges_by_index(scene.ais, scene.box, [0, 1])
    assert p.get_selected_shapes() == []
    p.set_mode(SelectionMode.EDGE)
    p.select_vertices_by_index(scene.ais, scene.box, [0])
    assert p.get_selected_shapes() == []


def test_pre_selection_touches_only_the_given_object(scene):
    twin = k.AIS_Shape(scene.box)  # same topology, another presentation
    scene.context.Display(twin, True)
    p = scene.pikalo
    p.set_mode(SelectionMode.EDGE)
    p.select_edges_by_index(scene.ais, scene.box, [1, 4])
    assert p.get_selected_shapes() == [scene.ais, scene.ais]
    p.select_edges_by_index(twin, scene.box, [4])
    assert sorted(p.get_selected_edge_indices(scene.box)) == [1, 4, 4]
    p.select_edges_by_index(None, scene.box, [1])  # matches no object
    assert p.get_selected_edge_indices(scene.box) == [1, 4, 4]


# ---- the selection state survives every path that displays again ----

FACE_INSIDE = (3.0, 12.0, 30.0)  # on the top face, in front of no edge
PLANE_ONLY = (10.0, -5.0, 0.0)  # on the plane below the box, beside its outline


def _disabled(s):
    s.pikalo.set_mode(SelectionMode.VOLUME)
    s.pikalo.set_enabled(False)


def _edges(s):
    s.pikalo.set_mode(SelectionMode.EDGE)


def _excluded(s):
    s.pikalo.set_mode(SelectionMode.VOLUME)
    s.pikalo.exclude_from_selection(s.lumbra.get_shape_info("box_1").ais_shape)


def _nothing_detected(s):
    return all(s.hover(point, update=False) is None for point in (FACE_INSIDE, TOP_EDGE_MID, PLANE_ONLY))


def _edges_only(s):
    edge = s.hover(TOP_EDGE_MID, update=False)
    inside = [s.hover(point, update=False) for point in (FACE_INSIDE, PLANE_ONLY)]
    return inside == [None, None] and edge is not None and edge.ShapeType() == k.TopAbs_EDGE


def _box_never(s):
    ids = []
    for point in (FACE_INSIDE, SIDE_CENTRE, TOP_EDGE_MID):
        s.hover(point, update=False)
        ids.append(s.pikalo.get_hovered_shape_id(s.lumbra))
    return "box_1" not in ids


def _hide_and_show(s, shape_id):
    s.lumbra.set_shape_visibility(shape_id, False)
    s.lumbra.set_shape_visibility(shape_id, True)


REDISPLAYS = {
    "hide and show": lambda s: _hide_and_show(s, "box_1"),
    "same id again": lambda s: s.lumbra.display_shape(s.box, "box_1", (0.5, 0.5, 0.5)),
    "display mode": lambda s: s.lumbra.set_display_mode(DisplayMode.BOTH),
    "new plane": lambda s: s.lumbra.display_plane("q", (0.0, 0.0, -1.0), (0.0, 0.0, 1.0)),
    "plane moved": lambda s: s.lumbra.display_plane("p", (0.0, 0.0, -0.5), (0.0, 0.0, 1.0)),
    "hidden plane moved": lambda s: (s.lumbra.set_shape_visibility("p", False),
                                     s.lumbra.display_plane("p", (0.0, 0.0, -0.5), (0.0, 0.0, 1.0))),
    "plane resize": lambda s: s.lumbra.update_plane_display_sizes(),
    "fit and resize": lambda s: (s.lumbra.fit_all(), s.lumbra.update_plane_display_sizes()),
    "plane hidden and shown": lambda s: _hide_and_show(s, "p"),
}


@pytest.mark.parametrize("state, holds", [(_disabled, _nothing_detected), (_edges, _edges_only),
                                          (_excluded, _box_never)], ids=["disabled", "edges", "excluded"])
@pytest.mark.parametrize("path", list(REDISPLAYS), ids=list(REDISPLAYS))
def test_displaying_again_keeps_the_selection_state(scene, capture_logs, state, holds, path):
    scene.lumbra.display_plane("p", (0.0, 0.0, 0.0), (0.0, 0.0, 1.0))
    state(scene)
    assert holds(scene)
    REDISPLAYS[path](scene)
    assert holds(scene)
    assert [r for r in capture_logs.records if r.levelno >= logging.WARNING] == []


def test_a_replaced_presentation_stays_excluded_and_new_ones_follow_the_mode(scene):
    p, lb = scene.pikalo, scene.lumbra
    _excluded(scene)
    lb.display_shape(scene.box, "box_1", (0.5, 0.5, 0.5))
    new = lb.get_shape_info("box_1").ais_shape
    assert p._excluded == [new] and _box_never(scene)
    p.remove_excluded(new)
    lb.set_shape_visibility("box_1", False)
    lb.set_shape_visibility("box_1", True)  # shown again under the mode in force
    scene.hover(FACE_INSIDE)
    assert p.get_hovered_shape_id(lb) == "box_1"
    p.set_mode(SelectionMode.SURFACE)
    lb.erase_shape("box_1")
    lb.display_shape(scene.box, "box_2")  # displayed after the sweep: pickable in its mode
    assert scene.hover(FACE_INSIDE).ShapeType() == k.TopAbs_FACE
    assert p.get_hovered_shape_id(lb) == "box_2"
