"""The view service over a window-less viewer: tables, display, styling,
planes, camera, background and the error convention. No X server needed."""
import logging
import math

import pytest

import log_checks

import _nimbal_testing as t
import nimbal.kernel as k
from lumbra_fixtures import Scene
from nimbal.enums import DisplayMode, ProjectionType, ViewDirection
from nimbal.services import lumbra as lm
from nimbal.services.lumbra import Lumbra, ShapeInfo

LOGGER = "nimbal.services.lumbra"


@pytest.fixture
def scene():
    return Scene(windowed=False)


@pytest.fixture
def box():
    return t.make_box(10.0, 20.0, 30.0)


records, assert_one_error = log_checks.for_logger(LOGGER)


def rgb(color):
    return color.Values(k.Quantity_TOC_RGB)


def approx3(v, w):
    return len(v) == len(w) and all(math.isclose(a, b, abs_tol=1e-6) for a, b in zip(v, w))


def unit(v):
    n = math.sqrt(sum(x * x for x in v))
    return tuple(x / n for x in v)


def side_lengths(face):
    x0, y0, z0, x1, y1, z1 = k.bounding_box(face)
    return sorted((x1 - x0, y1 - y0, z1 - z0))


# ---- state, record, accessors ----

def test_new_service_state_and_accessors(scene):
    lb = scene.lumbra
    assert (lb._shapes, lb._ais_to_id, lb._plane_objects, lb._plane_visible) == ({}, {}, {}, {})
    assert lb._current_display_mode is DisplayMode.SHADED
    assert lb._background_color == (1.0, 1.0, 1.0)
    assert lb._background_gradient is None
    assert lb._global_transparency == 0.0 and lb._is_rendering is False
    assert lb.get_view() is scene.view and lb._view is scene.view
    assert lb.get_viewer() is scene.viewer and lb.get_context() is scene.context
    assert scene.displayed() == []
    assert lm.PLANE_COLOR == (0.4, 0.8, 1.0) and lm.PLANE_TRANSPARENCY == 0.65


def test_shape_info_defaults_and_mutability(box):
    ais = k.AIS_Shape(box)
    info = ShapeInfo("box_1", ais)
    assert (info.shape_id, info.ais_shape, info.color, info.visible) == ("box_1", ais, None, True)
    info = ShapeInfo(shape_id="b", ais_shape=ais, color=[0.1, 0.2, 0.3], visible=False)
    assert info.color == (0.1, 0.2, 0.3) and info.visible is False
    info.visible = True
    info.color = None
    info.shape_id = "c"
    assert (info.shape_id, info.color, info.visible) == ("c", None, True)


@pytest.mark.parametrize("color,kept", [((1, 2), (1.0, 2.0)), ((), ()), (iter([0.5] * 3), (0.5,) * 3)])
def test_shape_info_colour_is_any_numbers_as_given(box, color, kept):
    assert ShapeInfo("a", k.AIS_Shape(box), color).color == kept


@pytest.mark.parametrize("color,message", [
    (7, "color: cannot unpack non-iterable int object"),
    ("red", "color: cannot unpack str into numbers"),
    ((0.1, "g", 0.3), "color: must be real number, not str"),
])
def test_shape_info_colour_that_is_no_numbers_raises(box, color, message):
    with pytest.raises(TypeError, match=f"^{message}$"):
        ShapeInfo("a", k.AIS_Shape(box), color)
    info = ShapeInfo("a", k.AIS_Shape(box), (0.1, 0.2, 0.3))
    with pytest.raises(TypeError, match=f"^{message}$"):
        info.color = color
    assert info.color == (0.1, 0.2, 0.3)


# ---- initial view ----

def test_setup_initial_view_applies_background_trihedron_and_orthographic(scene):
    lb = scene.lumbra
    scene.view.Camera().SetProjectionType(k.Graphic3d_Camera.Projection_Perspective)
    scene.view.SetBackgroundColor(k.Quantity_Color(0.0, 0.0, 0.0, k.Quantity_TOC_RGB))
    lb.setup_initial_view()
    assert approx3(rgb(scene.view.BackgroundColor()), (1.0, 1.0, 1.0))
    assert scene.view.Camera().ProjectionType() == k.Graphic3d_Camera.Projection_Orthographic


def test_setup_initial_view_prefers_stored_gradient(scene, capture_logs):
    lb = scene.lumbra
    lb.set_background_gradient([0.1, 0.2, 0.3], (0.4, 0.5, 0.6), k.Aspect_GradientFillMethod_Diagonal1)
    scene.view.SetBgGradientColors(k.Quantity_Color(k.Quantity_NOC_BLACK), k.Quantity_Color(k.Quantity_NOC_BLACK),
                                   k.Aspect_GradientFillMethod_Horizontal, False)
    lb.setup_initial_view()
    c1, c2, method = scene.view.GradientBackground()
    assert approx3(rgb(c1), (0.1, 0.2, 0.3)) and approx3(rgb(c2), (0.4, 0.5, 0.6))
    assert method == k.Aspect_GradientFillMethod_Diagonal1
    assert records(capture_logs) == []


def test_a_kernel_enumeration_of_the_wrong_type_is_named_in_the_refusal(scene, capture_logs):
    scene.lumbra.set_background_gradient((1, 0, 0), (0, 0, 1), 5)
    err = assert_one_error(capture_logs, "Error setting background gradient: ")
    assert "must be a Aspect_GradientFillMethod, not 'int'" in err.getMessage()
    assert isinstance(err.exc_info[1], TypeError)


def test_setup_initial_view_without_view_logs_once(capture_logs):
    lb = Lumbra(None, None, None)
    lb.setup_initial_view()
    rec = assert_one_error(capture_logs, "Error setting up initial view: ")
    assert "SetBackgroundColor" in rec.getMessage()


class Recording(Lumbra):
    def __init__(self, *a):
        super().__init__(*a)
        self.calls = []

    def _setup_trihedron(self):
        self.calls.append("trihedron")

    def set_projection_type(self, projection_type):
        self.calls.append(("projection", projection_type))

    def _configure_shape_edges(self, ais_shape, enable):
        self.calls.append(("edges", enable))
        super()._configure_shape_edges(ais_shape, enable)

    def select_shapes(self, shape_ids):
        self.calls.append(("select", list(shape_ids)))


def test_overrides_of_a_subclass_are_the_ones_called(scene, box):
    lb = Recording(scene.view, scene.viewer, scene.context)
    lb.setup_initial_view()
    assert lb.calls == ["trihedron", ("projection", ProjectionType.ORTHOGRAPHIC)]
    lb.calls.clear()
    lb.set_display_mode(DisplayMode.BOTH)
    lb.display_shape(box, "box_1")
    lb.select_shape("box_1")
    assert lb.calls == [("edges", True), ("select", ["box_1"])]


def test_errors_of_an_override_are_logged_but_interrupts_pass(scene):
    class Failing(Lumbra):
        exc = ValueError("boom")

        def _setup_trihedron(self):
            raise self.exc

    lb = Failing(scene.view, scene.viewer, scene.context)
    logs = []
    handler = logging.Handler()
    handler.emit = logs.append
    logging.getLogger(LOGGER).addHandler(handler)
    try:
        lb.setup_initial_view()
        assert [r.getMessage() for r in logs] == ["Error setting up initial view: boom"]
        assert logs[0].exc_info[0] is ValueError
        lb.exc = KeyboardInterrupt()
        with pytest.raises(KeyboardInterrupt):
            lb.setup_initial_view()
    finally:
        logging.getLogger(LOGGER).removeHandler(handler)


# ---- view direction, projection, fitting, redraw ----

DIRECTIONS = [
    (ViewDirection.TOP, (0, 1, 0), (0, 0, -1)),
    (ViewDirection.BOTTOM, (0, -1, 0), (0, 0, 1)),
    (ViewDirection.FRONT, (0, 0, 1), (0, 1, 0)),
    (ViewDirection.BACK, (0, 0, -1), (0, 1, 0)),
    (ViewDirection.LEFT, (-1, 0, 0), (0, 1, 0)),
    (ViewDirection.RIGHT, (1, 0, 0), (0, 1, 0)),
    (ViewDirection.ISO, (1, 1, 1), (0, 1, 0)),
]


@pytest.mark.parametrize("direction,eye,up", DIRECTIONS)
def test_set_projection_turns_the_camera(scene, direction, eye, up):
    scene.lumbra.set_projection(direction)
    assert approx3(scene.view.Proj(), unit(eye))
    # The camera looks from the eye towards the centre.
    assert approx3(scene.view.Camera().Direction(), tuple(-x for x in unit(eye)))
    if direction is not ViewDirection.ISO:
        assert approx3(scene.view.Up(), up)
    else:  # up is made orthogonal to the eye direction; it keeps +Y up
        assert scene.view.Up()[1] > 0.8


@pytest.mark.parametrize("value", [None, "top", 3, ProjectionType.ORTHOGRAPHIC])
def test_set_projection_ignores_non_members(scene, capture_logs, value):
    scene.lumbra.set_projection(ViewDirection.FRONT)
    scene.lumbra.set_projection(value)
    assert approx3(scene.view.Proj(), (0, 0, 1))
    assert records(capture_logs) == []


@pytest.mark.parametrize("value,kind", [
    (ProjectionType.ORTHOGRAPHIC, "Projection_Orthographic"),
    (ProjectionType.PERSPECTIVE, "Projection_Perspective"),
    (None, "Projection_Perspective"),
    ("orthographic", "Projection_Perspective"),
])
def test_set_projection_type(scene, value, kind):
    scene.lumbra.set_projection_type(ProjectionType.ORTHOGRAPHIC if kind != "Projection_Orthographic" else
                                     ProjectionType.PERSPECTIVE)
    scene.lumbra.set_projection_type(value)
    assert scene.view.Camera().ProjectionType() == getattr(k.Graphic3d_Camera, kind)


def test_trihedron_without_view_is_retried_and_logged_at_debug_level(capture_logs):
    Lumbra(None, None, None)._setup_trihedron()
    recs = records(capture_logs)
    assert [(r.levelno, r.getMessage()) for r in recs] == [
        (logging.DEBUG, "Could not display trihedron: 'NoneType' object has no attribute 'TriedronDisplay'")]
    assert not recs[0].exc_info


def test_set_projection_type_without_view_is_logged(capture_logs):
    Lumbra(None, None, None).set_projection_type(ProjectionType.ORTHOGRAPHIC)
    # A missing name gets the one retry; its failure is a debug record.
    recs = records(capture_logs)
    assert [(r.levelno, r.getMessage()) for r in recs] == [
        (logging.DEBUG, "Could not set projection type: 'NoneType' object has no attribute 'Camera'")]
    assert not recs[0].exc_info


def test_fit_all_brings_visible_planes_back_and_keeps_hidden_ones_hidden(scene, box, capture_logs):
    lb = scene.lumbra
    lb.display_shape(box, "box_1")
    lb.display_plane("plane_a", (0, 0, 0), (0, 0, 1))
    lb.display_plane("plane_b", (0, 0, 0), (1, 0, 0))
    lb.set_shape_visibility("plane_b", False)
    lb.fit_all()
    assert scene.context.IsDisplayed(lb.get_plane_ais("plane_a"))
    assert not scene.context.IsDisplayed(lb.get_plane_ais("plane_b"))
    assert lb._plane_visible == {"plane_a": True, "plane_b": False}
    assert records(capture_logs) == []


def test_fit_all_failure_still_brings_planes_back(scene, capture_logs):
    lb = Lumbra(None, scene.viewer, scene.context)
    lb.display_plane("plane_a", (0, 0, 0), (0, 0, 1))
    lb.fit_all()
    assert_one_error(capture_logs, "Error fitting view: ")
    assert scene.context.IsDisplayed(lb.get_plane_ais("plane_a"))


def test_redraw_guard(capture_logs):
    lb = Lumbra(None, None, None)
    lb._is_rendering = True
    lb.redraw()  # nested: nothing, not even the failing call
    assert records(capture_logs) == []
    lb._is_rendering = False
    lb.redraw()
    assert_one_error(capture_logs, "Error in redraw: ")
    assert lb._is_rendering is False
    lb.redraw()
    assert len(records(capture_logs, logging.ERROR)) == 2


def test_must_be_resized_without_view_is_logged(capture_logs):
    Lumbra(None, None, None).must_be_resized()
    assert_one_error(capture_logs, "Error resizing view: 'NoneType' object has no attribute 'MustBeResized'")


# ---- display and display modes ----

def test_display_shape_records_and_shows(scene, box, capture_logs):
    lb = scene.lumbra
    assert lb.display_shape(box, "box_1") == "box_1"
    info = lb.get_shape_info("box_1")
    assert (info.shape_id, info.color, info.visible) == ("box_1", None, True)
    assert info.ais_shape.Shape().IsSame(box)
    assert scene.displayed() == [info.ais_shape]
    assert lb._ais_to_id == {info.ais_shape: "box_1"}
    assert not info.ais_shape.HasColor() and info.ais_shape.Width() == 0.0  # no own width
    assert info.ais_shape.Transparency() == 0.0
    assert records(capture_logs) == []


@pytest.mark.parametrize("color", [(0.2, 0.4, 0.6), [0.2, 0.4, 0.6]])
def test_display_shape_colour_and_width(scene, box, color):
    lb = scene.lumbra
    lb.display_shape(box, "box_1", color, width=2.5)
    info = lb.get_shape_info("box_1")
    assert approx3(rgb(info.ais_shape.Color()), (0.2, 0.4, 0.6))
    assert info.color == (0.2, 0.4, 0.6) and info.ais_shape.Width() == 2.5


@pytest.mark.parametrize("shape,color,needle", [
    ("box", (1.0, 0.0, 0.0, 1.0), "too many values to unpack (expected 3)"),
    ("box", (1.0, 0.0), "not enough values to unpack (expected 3, got 2)"),
    ("box", ("r", "g", "b"), "must be real number, not str"),
    ("box", 7, "non-iterable int"),
    ("box", (2.0, 0.0, 0.0), "Standard_OutOfRange"),
    ("box", (math.nan, 0.0, 0.0), "NaN"),
    (None, None, "needs a kernel shape, not 'NoneType'"),
    ("string", None, "needs a kernel shape, not 'str'"),
    ("null", None, "the shape is null"),
])
def test_display_shape_rejections_leave_nothing(scene, box, capture_logs, shape, color, needle):
    shape = {"box": box, "null": t.null_shape(), "string": "box"}.get(shape, shape)
    assert scene.lumbra.display_shape(shape, "s1", color) is None
    rec = assert_one_error(capture_logs, "Error displaying shape: ")
    assert needle in rec.getMessage()
    assert scene.displayed() == [] and scene.lumbra.get_shape_count() == 0 and scene.lumbra._ais_to_id == {}


def test_empty_colour_means_no_colour(scene, box):
    scene.lumbra.display_shape(box, "box_1", ())
    assert not scene.lumbra.get_shape_info("box_1").ais_shape.HasColor()


def test_global_transparency_reaches_new_shapes_only_above_zero(scene, box):
    lb = scene.lumbra
    lb.set_global_transparency(0.5)
    lb.display_shape(box, "a")
    assert math.isclose(lb.get_shape_info("a").ais_shape.Transparency(), 0.5, abs_tol=1e-6)
    lb.set_global_transparency(0.0)
    assert lb.get_shape_info("a").ais_shape.Transparency() == 0.0
    lb.display_shape(box, "b")
    assert lb.get_shape_info("b").ais_shape.Transparency() == 0.0


def test_display_modes_set_context_mode_and_face_boundaries(scene, box):
    lb = scene.lumbra
    lb.display_shape(box, "a")
    lb.set_display_mode(DisplayMode.BOTH)
    lb.display_shape(box, "b")
    lb.set_shape_visibility("a", False)  # hidden shapes are restyled too
    for sid in ("a", "b"):
        drawer = lb.get_shape_info(sid).ais_shape.Attributes()
        assert drawer.FaceBoundaryDraw()
        aspect = drawer.FaceBoundaryAspect()
        assert approx3(rgb(aspect.Color()), (0, 0, 0))
        assert aspect.Type() == k.Aspect_TOL_SOLID and aspect.Width() == 1.0
    assert scene.context.DisplayMode() == 1
    lb.set_display_mode(DisplayMode.WIREFRAME)
    assert scene.context.DisplayMode() == 0 and lb._current_display_mode is DisplayMode.WIREFRAME
    assert not any(lb.get_shape_info(s).ais_shape.Attributes().FaceBoundaryDraw() for s in ("a", "b"))
    lb.display_shape(box, "c")
    assert not lb.get_shape_info("c").ais_shape.Attributes().FaceBoundaryDraw()
    lb.set_display_mode(DisplayMode.SHADED)
    assert scene.context.DisplayMode() == 1


@pytest.mark.parametrize("value", [None, "wireframe", 0, ProjectionType.ORTHOGRAPHIC])
def test_display_mode_that_is_no_member_counts_as_shaded(scene, box, value):
    lb = scene.lumbra
    lb.display_shape(box, "a")
    lb.set_display_mode(DisplayMode.WIREFRAME)
    lb.set_display_mode(value)
    assert lb._current_display_mode is DisplayMode.SHADED and scene.context.DisplayMode() == 1
    assert not lb.get_shape_info("a").ais_shape.Attributes().FaceBoundaryDraw()


def test_set_display_mode_stores_mode_even_when_restyling_fails(box, capture_logs):
    lb = Lumbra(None, None, None)
    lb.set_display_mode(DisplayMode.WIREFRAME)
    assert lb._current_display_mode is DisplayMode.WIREFRAME
    assert_one_error(capture_logs, "Error setting display mode: ")


def test_configure_shape_edges_off_keeps_style_and_raises_on_none(scene, box):
    ais = k.AIS_Shape(box)
    scene.lumbra._configure_shape_edges(ais, True)
    scene.lumbra._configure_shape_edges(ais, False)
    assert not ais.Attributes().FaceBoundaryDraw()
    assert ais.Attributes().FaceBoundaryAspect().Width() == 1.0
    with pytest.raises(AttributeError):
        scene.lumbra._configure_shape_edges(None, True)


def test_display_again_under_same_id_replaces_the_presentation(scene, box):
    lb = scene.lumbra
    lb.display_shape(box, "a")
    old = lb.get_shape_info("a").ais_shape
    lb.display_shape(t.make_box(1, 1, 1), "a")
    new = lb.get_shape_info("a").ais_shape
    assert scene.displayed() == [new]
    assert lb.get_shape_id_for_ais_shape(old) is None and lb._ais_to_id == {new: "a"}
    lb.erase_shape("a")
    assert scene.displayed() == []


def test_set_shape_color_and_update_shape(scene, box, capture_logs):
    lb = scene.lumbra
    lb.display_shape(box, "a", (1.0, 0.0, 0.0))
    ais = lb.get_shape_info("a").ais_shape
    lb.set_shape_color(ais, [0.0, 0.0, 1.0], update=False)
    assert approx3(rgb(ais.Color()), (0, 0, 1))
    assert lb.get_shape_info("a").color == (1.0, 0.0, 0.0)
    lb.set_shape_color(ais, (0.0, 1.0), True)
    assert_one_error(capture_logs, "Error setting shape color: ")
    assert approx3(rgb(ais.Color()), (0, 0, 1))
    lb.update_shape(k.AIS_Shape(box))  # not recorded, not displayed: still fine
    lb.update_shape(None)
    assert len(records(capture_logs, logging.ERROR)) == 2
    assert records(capture_logs, logging.ERROR)[1].getMessage().startswith("Error updating shape: ")


# ---- registry, erasing, visibility ----

def test_erase_shape_and_erase_all(scene, box, capture_logs):
    lb = scene.lumbra
    lb.display_shape(box, "a")
    lb.display_shape(box, "b")
    lb.display_plane("p", (0, 0, 0), (0, 0, 1))
    ais_a = lb.get_shape_info("a").ais_shape
    lb.erase_shape("missing")
    lb.erase_shape("p")  # a plane id is not a shape
    assert len(scene.displayed()) == 3
    lb.erase_shape("a", False)
    assert lb.get_shape_info("a") is None and not lb.is_shape_visible("a")
    assert lb.get_shape_id_for_ais_shape(ais_a) is None and len(scene.displayed()) == 2
    scene.context.Display(k.AIS_Shape(box), False)  # not ours: erase_all removes it too
    lb.erase_all()
    assert scene.displayed() == [] and lb.get_all_shapes() == {}
    assert (lb._shapes, lb._ais_to_id, lb._plane_objects, lb._plane_visible) == ({}, {}, {}, {})
    assert not lb.is_shape_visible("b") and not lb.is_shape_visible("p")
    assert records(capture_logs) == []


def test_get_all_shapes_is_a_new_dict_of_the_same_records(scene, box):
    lb = scene.lumbra
    lb.display_shape(box, "a")
    lb.display_shape(box, "b")
    one, two = lb.get_all_shapes(), lb.get_all_shapes()
    assert one is not two and list(one) == ["a", "b"]
    one["a"].visible = False
    del one["b"]
    assert lb.get_shape_info("a").visible is False and lb.get_shape_count() == 2


def test_shape_visibility_erases_and_shows(scene, box):
    lb = scene.lumbra
    lb.display_shape(box, "a")
    ais = lb.get_shape_info("a").ais_shape
    lb.set_shape_visibility("a", False)
    assert not scene.context.IsDisplayed(ais) and lb.is_shape_visible("a") is False
    assert lb.get_shape_id_for_ais_shape(ais) == "a"  # hidden, still known
    lb.set_shape_visibility("a", 0)
    lb.set_shape_visibility("a", True)
    assert scene.context.IsDisplayed(ais) and lb.get_shape_info("a").visible is True
    lb.set_shape_visibility("nobody", False)


def test_plane_visibility_and_shape_first_lookup(scene, box):
    lb = scene.lumbra
    lb.display_plane("p", (0, 0, 0), (0, 0, 1))
    assert lb.is_shape_visible("p") is True
    lb.set_shape_visibility("p", False)
    assert lb._plane_visible == {"p": False} and not scene.context.IsDisplayed(lb.get_plane_ais("p"))
    lb.set_shape_visibility("p", True)
    assert lb.is_shape_visible("p") and scene.context.IsDisplayed(lb.get_plane_ais("p"))
    # One name space: a shape under the plane's id wins.
    lb.display_shape(box, "p")
    lb.set_shape_visibility("p", False)
    assert lb.get_shape_info("p").visible is False and lb._plane_visible["p"] is True


# ---- reference planes ----

@pytest.mark.parametrize("scale,side", [(10.0, 8.0), (1.0, 1.0), (1.25, 1.0), (100.0, 80.0)])
def test_plane_size_follows_camera_scale(scene, scale, side):
    scene.view.Camera().SetScale(scale)
    assert math.isclose(scene.lumbra._plane_display_size(), side)
    scene.lumbra.display_plane("p", (1.0, 2.0, 3.0), (0, 0, 1))
    face = scene.lumbra.get_plane_ais("p").Shape()
    assert side_lengths(face) == pytest.approx([0.0, side, side], abs=1e-7)
    assert k.area(face) == pytest.approx(side * side)


def test_plane_without_view_is_1000_wide_and_not_logged(scene, capture_logs):
    lb = Lumbra(None, scene.viewer, scene.context)
    assert lb._plane_display_size() == 1000.0
    lb.display_plane("p", (0, 0, 0), (0, 1, 0))
    assert side_lengths(lb.get_plane_ais("p").Shape()) == pytest.approx([0, 1000, 1000])
    assert records(capture_logs) == []


def test_plane_presentation_style(scene):
    lb = scene.lumbra
    lb.display_plane("p", [0, 0, 0], [0, 0, 2])
    ais = lb.get_plane_ais("p")
    assert approx3(rgb(ais.Color()), (0.4, 0.8, 1.0))
    assert math.isclose(ais.Transparency(), 0.65, abs_tol=1e-6)
    assert not ais.Attributes().FaceBoundaryDraw()
    assert lb._plane_objects["p"] == (ais, (0.0, 0.0, 0.0), (0.0, 0.0, 2.0))
    assert lb.get_shape_count() == 0 and lb.get_shape_info("p") is None


def test_display_plane_again_moves_the_same_presentation(scene):
    lb = scene.lumbra
    scene.view.Camera().SetScale(10.0)
    lb.display_plane("p", (0, 0, 0), (0, 0, 1))
    ais = lb.get_plane_ais("p")
    lb.set_shape_visibility("p", False)
    lb.display_plane("p", (5, 5, 5), (1, 0, 0), update=False)
    # Marked visible again, and shown again: flag and viewer agree.
    assert lb.get_plane_ais("p") is ais and scene.displayed() == [ais]
    x0, y0, z0, x1, y1, z1 = k.bounding_box(ais.Shape())
    assert (x0 + x1) / 2 == pytest.approx(5) and (y0 + y1) / 2 == pytest.approx(5)
    assert x1 - x0 == pytest.approx(0, abs=1e-7) and y1 - y0 == pytest.approx(8)
    assert lb._plane_objects["p"][1:] == ((5.0, 5.0, 5.0), (1.0, 0.0, 0.0))
    assert lb._plane_visible["p"] is True
    assert math.isclose(ais.Transparency(), 0.65, abs_tol=1e-6)


@pytest.mark.parametrize("origin,normal,needle", [
    ((0, 0, 0), (0, 0, 0), "zero norm"),
    ((0, 0, 0), (math.nan, 0, 1), "finite"),
    ((math.inf, 0, 0), (0, 0, 1), "finite"),
    ((0, 0), (0, 0, 1), "not enough values"),
    (None, (0, 0, 1), "NoneType"),
])
def test_bad_plane_is_logged_and_not_stored(scene, capture_logs, origin, normal, needle):
    scene.lumbra.display_plane("p", origin, normal)
    rec = assert_one_error(capture_logs, "Error displaying plane p: ")
    assert needle in rec.getMessage()
    assert scene.lumbra._plane_objects == {} and scene.lumbra._plane_visible == {}
    assert scene.displayed() == []


def test_erase_plane_and_lookup(scene, box, capture_logs):
    lb = scene.lumbra
    lb.display_shape(box, "a")
    lb.display_plane("p", (0, 0, 0), (0, 0, 1))
    ais = lb.get_plane_ais("p")
    assert lb.get_plane_ais("a") is None
    lb.erase_plane("nothing")
    lb.erase_plane("a")  # shapes are not planes
    assert len(scene.displayed()) == 2
    lb.erase_plane("p")
    assert lb.get_plane_ais("p") is None and lb.get_shape_id_for_ais_shape(ais) is None
    assert scene.displayed() == [lb.get_shape_info("a").ais_shape] and lb._plane_visible == {}
    assert records(capture_logs) == []


def test_update_plane_display_sizes_rebuilds_every_plane(scene):
    lb = scene.lumbra
    lb.update_plane_display_sizes()  # no planes: nothing at all
    scene.view.Camera().SetScale(10.0)
    lb.display_plane("p", (0, 0, 0), (0, 0, 1))
    lb.display_plane("q", (0, 0, 0), (0, 1, 0))
    lb.set_shape_visibility("q", False)
    scene.view.Camera().SetScale(50.0)
    lb.update_plane_display_sizes()
    for pid in ("p", "q"):
        assert side_lengths(lb.get_plane_ais(pid).Shape()) == pytest.approx([0, 40, 40], abs=1e-7)
    assert lb._plane_visible == {"p": True, "q": False}
    assert not scene.context.IsDisplayed(lb.get_plane_ais("q"))


# ---- selection by id, lookup ----

def test_select_shapes_toggles_and_skips_unknown_ids(scene, box, capture_logs):
    lb = scene.lumbra
    for sid in ("a", "b"):
        lb.display_shape(box, sid)
    lb.display_plane("p", (0, 0, 0), (0, 0, 1))
    a, b = (lb.get_shape_info(s).ais_shape for s in ("a", "b"))
    scene.context.Activate(0, True)  # what the selection service does
    lb.select_shapes(["a", "b", "p", "zzz", 5])
    assert scene.context.NbSelected() == 2
    lb.select_shapes(("b", "a", "b"))  # b twice: toggled back off
    assert scene.context.IsSelected(a) and not scene.context.IsSelected(b)
    lb.select_shape("b")
    assert scene.context.NbSelected() == 1 and scene.context.IsSelected(b)
    lb.select_shapes(iter([]))
    assert scene.context.NbSelected() == 0
    lb.select_shapes(None)
    assert_one_error(capture_logs, "Error selecting shapes: ")


@pytest.mark.parametrize("ids", [None, 5, ["b", ["a"]]])
def test_ids_that_cannot_be_read_are_logged_and_keep_the_selection(scene, box, capture_logs, ids):
    lb = scene.lumbra
    lb.display_shape(box, "a")
    lb.display_shape(box, "b")
    scene.context.Activate(0, True)
    lb.select_shape("a")
    lb.select_shapes(ids)
    assert_one_error(capture_logs, "Error selecting shapes: ")
    assert scene.context.NbSelected() == 1 and scene.context.IsSelected(lb.get_shape_info("a").ais_shape)


def test_shape_id_for_presentation(scene, box):
    lb = scene.lumbra
    lb.display_shape(box, "a")
    lb.display_plane("p", (0, 0, 0), (0, 0, 1))
    lb.set_shape_visibility("p", False)
    by_id = {lb.get_shape_id_for_ais_shape(o) for o in scene.context.DisplayedObjects()}
    assert by_id == {"a"}
    assert lb.get_shape_id_for_ais_shape(lb.get_plane_ais("p")) == "p"
    for other in (None, "a", box, k.AIS_Shape(box), scene.view):
        assert lb.get_shape_id_for_ais_shape(other) is None


def test_shape_count_leaves_planes_out(scene, box):
    lb = scene.lumbra
    lb.display_shape(box, "a")
    lb.display_shape(box, "b")
    for pid in "pqr":
        lb.display_plane(pid, (0, 0, 0), (0, 0, 1))
    assert lb.get_shape_count() == 2 and len(scene.displayed()) == 5


def test_the_context_gives_back_the_stored_presentation_objects(scene, box):
    lb = scene.lumbra
    lb.display_shape(box, "a")
    info = lb.get_shape_info("a")
    (obj,) = scene.context.DisplayedObjects()
    assert type(obj) is k.AIS_Shape and obj is info.ais_shape
    assert lb.get_shape_info("a").ais_shape is info.ais_shape


# ---- navigation, background, transparency ----

def test_pixel_moves_without_window_are_logged(scene, capture_logs):
    lb = scene.lumbra
    lb.start_rotation(10, 10)
    lb.rotate(20, 20)
    lb.pan(3, -4)
    msgs = [r.getMessage() for r in records(capture_logs, logging.ERROR)]
    assert [m.split(":")[0] for m in msgs] == ["Error starting rotation", "Error rotating", "Error panning"]
    assert all("window" in m for m in msgs)


def test_zoom(scene, capture_logs):
    lb = scene.lumbra
    scene.view.Camera().SetScale(100.0)
    lb.zoom(2.0)
    assert scene.view.Camera().Scale() == pytest.approx(50.0)
    for bad in (0.0, -1.0, math.nan, math.inf):
        lb.zoom(bad)
    assert len(records(capture_logs, logging.ERROR)) == 4
    assert all(r.getMessage().startswith("Error zooming: ") for r in records(capture_logs))
    assert scene.view.Camera().Scale() == pytest.approx(50.0)


def test_background_colour_and_gradient_fields(scene, capture_logs):
    lb = scene.lumbra
    lb.set_background_gradient((1, 0, 0), (0, 0, 1))
    assert lb._background_gradient == ((1.0, 0.0, 0.0), (0.0, 0.0, 1.0), k.Aspect_GradientFillMethod_Vertical)
    assert lb._background_color == (1.0, 1.0, 1.0)
    _, _, method = scene.view.GradientBackground()
    assert method == k.Aspect_GradientFillMethod_Vertical
    lb.set_background_color([0.2, 0.2, 0.2])
    assert lb._background_color == (0.2, 0.2, 0.2) and lb._background_gradient is None
    assert approx3(rgb(scene.view.BackgroundColor()), (0.2, 0.2, 0.2))
    assert records(capture_logs) == []
    lb.set_background_gradient((1, 0, 0), (0, 0, 1))
    lb.set_background_color((1.0, 0.0))  # refused: what was stored stays
    assert lb._background_color == (0.2, 0.2, 0.2)
    assert lb._background_gradient == ((1.0, 0.0, 0.0), (0.0, 0.0, 1.0), k.Aspect_GradientFillMethod_Vertical)
    assert_one_error(capture_logs, "Error setting background color: ")
    assert approx3(rgb(scene.view.BackgroundColor()), (0.2, 0.2, 0.2))
    lb.setup_initial_view()
    assert len(records(capture_logs, logging.ERROR)) == 1


def test_global_transparency_over_shapes_not_planes(scene, box, capture_logs):
    lb = scene.lumbra
    for sid in "abc":
        lb.display_shape(box, sid)
    lb.set_shape_visibility("c", False)
    lb.display_plane("p", (0, 0, 0), (0, 0, 1))
    lb.set_global_transparency(0.3, update=False)
    assert all(math.isclose(lb.get_shape_info(s).ais_shape.Transparency(), 0.3, abs_tol=1e-6) for s in "abc")
    assert math.isclose(lb.get_plane_ais("p").Transparency(), 0.65, abs_tol=1e-6)
    lb.display_shape(box, "d")
    assert math.isclose(lb.get_shape_info("d").ais_shape.Transparency(), 0.3, abs_tol=1e-6)
    lb.set_global_transparency(1.5)  # the kernel refuses; shapes keep 0.3
    assert_one_error(capture_logs, "Error setting global transparency: ")
    assert lb._global_transparency == 1.5
    assert math.isclose(lb.get_shape_info("a").ais_shape.Transparency(), 0.3, abs_tol=1e-6)


def test_host_path_with_managed_shapes(scene):
    from nimbal.enums import ShapeType
    from nimbal.managers.corvath import CoreCorvath
    from nimbal.models import quenby as q

    shown = []

    class Host(CoreCorvath):
        def _notify_shape_created(self, shape_id, ms):
            if ms.shape is not None:
                shown.append(scene.lumbra.display_shape(ms.shape, ms.shape_id, ms.color))

        def _notify_shape_removed(self, shape_id):
            scene.lumbra.erase_shape(shape_id)

    host = Host()
    ms = host.create_shape(ShapeType.BOX, q.BoxProperties(width=4, height=5, depth=6), (0.1, 0.2, 0.3))
    assert shown == [ms.shape_id]
    info = scene.lumbra.get_shape_info(ms.shape_id)
    assert approx3(rgb(info.ais_shape.Color()), (0.1, 0.2, 0.3))
    assert k.volume(info.ais_shape.Shape()) == pytest.approx(120.0)
    host.remove_shape(ms.shape_id)
    assert scene.displayed() == [] and scene.lumbra.get_shape_count() == 0
