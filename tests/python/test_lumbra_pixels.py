"""The view service as a host sees it under Xvfb: what the context holds and
what the offscreen render shows after backgrounds the kernel refuses,
display-mode switches, planes, non-finite styles, selection by id and the
arguments a GUI passes from its event handlers."""
import logging
import math
import os

import pytest

import log_checks

import _nimbal_testing as t
import nimbal.kernel as k
from lumbra_fixtures import Scene, red, render, run_in_child, share
from nimbal.enums import DisplayMode, SelectionMode, ViewDirection
from nimbal.services.pikalo import Pikalo

W, H = 160, 120
records, assert_one_error = log_checks.for_logger("nimbal.services.lumbra")


@pytest.fixture
def scene():
    s = Scene(windowed=True, width=W, height=H)
    s.lumbra.setup_initial_view()
    s.lumbra.set_background_color((1.0, 1.0, 1.0))
    return s


def show_box(scene, color=(1.0, 0.0, 0.0)):
    box = t.make_box(10.0, 10.0, 10.0)
    scene.lumbra.display_shape(box, "box_1", color)
    scene.lumbra.set_projection(ViewDirection.ISO)
    scene.lumbra.fit_all()
    return box


def centre(rows):
    return rows[H // 2][W // 2]


# ---- backgrounds the kernel refuses ----

@pytest.mark.parametrize("refuse, prefix", [
    (lambda lb: lb.set_background_color((2.0, 0.0, 0.0)), "Error setting background color: "),
    (lambda lb: lb.set_background_color((1.0, 0.0)), "Error setting background color: "),
    (lambda lb: lb.set_background_color([0.1, math.nan, 0.1]), "Error setting background color: "),
    (lambda lb: lb.set_background_gradient((1.0, 0.0, 0.0), (0.0, 0.0, 1.5)), "Error setting background gradient: "),
    (lambda lb: lb.set_background_gradient((1.0, 0.0), (0.0, 0.0, 1.0)), "Error setting background gradient: "),
    (lambda lb: lb.set_background_gradient((1.0, 0.0, 0.0), (0.0, 0.0, 1.0), 3), "Error setting background gradient: "),
])
def test_a_refused_background_keeps_the_previous_one_and_set_up_still_works(scene, tmp_path, capture_logs,
                                                                            refuse, prefix):
    lb = scene.lumbra
    lb.set_background_color((0.0, 0.0, 1.0))
    assert records(capture_logs) == []
    refuse(lb)
    assert_one_error(capture_logs, prefix)
    assert lb._background_color == (0.0, 0.0, 1.0) and lb._background_gradient is None
    # A later set-up applies the kept colour and goes on to the camera.
    scene.view.Camera().SetProjectionType(k.Graphic3d_Camera.Projection_Perspective)
    capture_logs.clear()
    lb.setup_initial_view()
    assert records(capture_logs, logging.ERROR) == []
    assert scene.view.Camera().IsOrthographic()
    r, g, b = centre(render(scene, tmp_path / "bg.png"))
    assert b > 200 and r < 40 and g < 40


# Making an enumeration member outside the kernel's list is itself undefined
# in C++, which the sanitizer reports before the service can refuse it.
@pytest.mark.skipif(bool(os.environ.get("NIMBAL_SANITIZER")),
                    reason="an out-of-range kernel enumeration is undefined behaviour before any check")
def test_a_gradient_method_beyond_the_kernels_is_refused():
    # The kernel indexes its fill table with the method: one out of range was a crash.
    seen = run_in_child("""
import json, logging
import nimbal.kernel as k
from lumbra_fixtures import Scene
s = Scene(windowed=True, width=64, height=48)
s.lumbra.setup_initial_view()
errors = []
logging.getLogger("nimbal.services.lumbra").addHandler(type("H", (logging.Handler,), {
    "emit": lambda self, r: errors.append(r.getMessage())})())
for m in (42, 100):
    s.lumbra.set_background_gradient((1.0, 0.0, 0.0), (0.0, 0.0, 1.0), k.Aspect_GradientFillMethod(m))
s.lumbra.setup_initial_view()
s.view.Redraw()
print(json.dumps([errors, s.lumbra._background_gradient is None]))
""")
    errors, no_gradient = seen
    assert len(errors) == 2 and all(e.startswith("Error setting background gradient: ") for e in errors)
    assert no_gradient


def test_a_refused_solid_colour_keeps_the_gradient_in_force(scene, tmp_path, capture_logs):
    lb = scene.lumbra
    lb.set_background_gradient((1.0, 0.0, 0.0), (0.0, 0.0, 1.0))
    lb.set_background_color((1.0, 2.0, 3.0))
    assert lb._background_gradient[2] == k.Aspect_GradientFillMethod_Vertical
    assert lb._background_color == (1.0, 1.0, 1.0)
    lb.setup_initial_view()
    rows = render(scene, tmp_path / "gradient.png")
    top, bottom = rows[2][W // 2], rows[H - 3][W // 2]
    assert top[0] > 200 and top[2] < 60 and bottom[2] > 200 and bottom[0] < 60
    assert len(records(capture_logs, logging.ERROR)) == 1


# ---- display modes and planes ----

def frame_plane(scene):
    # The service's fit leaves planes out; the view's own fit takes them.
    scene.lumbra.set_projection(ViewDirection.FRONT)
    scene.view.FitAll(0.01, False)
    scene.view.ZFitAll()
    scene.lumbra.update_plane_display_sizes()


def test_the_first_switch_to_wireframe_draws_wireframe(scene, tmp_path):
    show_box(scene)
    assert share(render(scene, tmp_path / "shaded.png"), red) > 0.2
    scene.lumbra.set_display_mode(DisplayMode.WIREFRAME)
    rows = render(scene, tmp_path / "wire.png")
    assert share(rows, red) < 0.08  # lines only
    scene.lumbra.set_display_mode(DisplayMode.SHADED)
    assert share(render(scene, tmp_path / "again.png"), red) > 0.05


def test_a_shape_shown_again_keeps_the_shaded_mode(scene, tmp_path):
    show_box(scene)
    scene.lumbra.set_shape_visibility("box_1", False)
    assert share(render(scene, tmp_path / "hidden.png"), red) < 0.005  # the trihedron's axis
    scene.lumbra.set_shape_visibility("box_1", True)
    assert share(render(scene, tmp_path / "shown.png"), red) > 0.05


def test_planes_are_drawn_filled_in_the_starting_mode(scene, tmp_path):
    lb = scene.lumbra
    lb.set_background_color((0.0, 0.0, 0.0))  # the lit, translucent face shows as light over black
    lb.display_plane("plane_1", (0.0, 0.0, 0.0), (0.0, 0.0, 1.0))
    frame_plane(scene)
    assert min(centre(render(scene, tmp_path / "plane.png"))) > 60
    lb.set_display_mode(DisplayMode.WIREFRAME)  # planes follow the context's mode: an outline
    assert max(centre(render(scene, tmp_path / "wire.png"))) < 20


def test_a_plane_shown_before_set_up_is_filled_after_it(tmp_path):
    scene = Scene(windowed=True, width=W, height=H)
    scene.lumbra.display_plane("plane_1", (0.0, 0.0, 0.0), (0.0, 0.0, 1.0))
    scene.lumbra.setup_initial_view()
    scene.lumbra.set_background_color((0.0, 0.0, 0.0))
    frame_plane(scene)
    assert min(centre(render(scene, tmp_path / "plane.png"))) > 60


# ---- non-finite styles ----

@pytest.mark.parametrize("value", [math.nan, math.inf, -math.inf])
def test_non_finite_widths_and_transparencies_are_refused(scene, capture_logs, value):
    lb = scene.lumbra
    box = t.make_box(1.0, 1.0, 1.0)
    assert lb.display_shape(box, "w", width=value) is None
    assert_one_error(capture_logs, "Error displaying shape: ")
    assert lb.get_shape_info("w") is None and scene.displayed() == []
    lb.display_shape(box, "a")
    lb.set_global_transparency(0.3)
    capture_logs.clear()
    lb.set_global_transparency(value)
    assert_one_error(capture_logs, "Error setting global transparency: ")
    assert lb._global_transparency == 0.3
    assert math.isclose(lb.get_shape_info("a").ais_shape.Transparency(), 0.3, abs_tol=1e-6)


# ---- selection by id ----

def _sweep_edges(scene, p):
    p.set_mode(SelectionMode.EDGE)


def _hover_nothing(scene, p):
    pass


def _disable(scene, p):
    p.set_mode(SelectionMode.VOLUME)
    p.set_enabled(False)


def _exclude(scene, p):
    p.exclude_from_selection(scene.lumbra.get_shape_info("box_1").ais_shape)


@pytest.mark.parametrize("state", [_hover_nothing, _sweep_edges, _disable, _exclude])
def test_select_shapes_selects_whatever_was_swept_before(scene, tmp_path, capture_logs, state):
    show_box(scene, (0.5, 0.5, 0.5))
    p = Pikalo(scene.context)
    p.configure_selection_colors()
    state(scene, p)
    scene.lumbra.select_shapes(["box_1"])
    ais = scene.lumbra.get_shape_info("box_1").ais_shape
    assert scene.context.NbSelected() == 1 and p.get_selected_shapes() == [ais]
    assert share(render(scene, tmp_path / "selected.png"), red) > 0.005  # the selection colour
    scene.lumbra.select_shapes(["box_1", "box_1"])  # a toggle, as before
    assert scene.context.NbSelected() == 0
    assert records(capture_logs) == []


def test_select_shapes_selects_the_shown_and_names_the_hidden(scene, capture_logs):
    lb = scene.lumbra
    for sid in ("a", "b"):
        lb.display_shape(t.make_box(1.0, 1.0, 1.0), sid)
    lb.set_shape_visibility("a", False)
    lb.select_shapes(["a", "b"])
    assert Pikalo(scene.context).get_selected_shapes() == [lb.get_shape_info("b").ais_shape]
    assert "'a'" in assert_one_error(capture_logs, "Error selecting shapes: ").getMessage()


# ---- arguments from a GUI's event handlers ----

def test_float_pixels_are_truncated_toward_zero(scene, capture_logs):
    show_box(scene)
    lb, cam = scene.lumbra, scene.view.Camera()
    c0 = cam.Center()
    lb.pan(40.9, -12.99)
    moved = cam.Center()
    assert moved != pytest.approx(c0, abs=1e-6)
    lb.pan(-40, 12)
    assert cam.Center() == pytest.approx(c0, abs=1e-6)
    twin = Scene(windowed=True, width=W, height=H)
    twin.lumbra.setup_initial_view()
    show_box(twin)
    for view_service, (x0, y0, x1, y1) in [(lb, (100.7, 100.2, 160.9, -120.5)), (twin.lumbra, (100, 100, 160, -120))]:
        view_service.start_rotation(x0, y0)
        view_service.rotate(x1, y1)
    assert cam.Direction() == pytest.approx(twin.view.Camera().Direction(), abs=1e-9)
    p = Pikalo(scene.context)
    p.set_mode(SelectionMode.VOLUME)
    p.move_to(W / 2 + 0.5, H / 2 + 0.5, scene.view)
    assert p.get_hovered_shape_id(lb) == "box_1"
    p.select(W / 2 + 0.25, H / 2 - 0.75, scene.view)
    assert p.get_selected_shapes() == [lb.get_shape_info("box_1").ais_shape]
    assert records(capture_logs) == []


def test_ids_that_are_no_key_find_nothing(scene, capture_logs):
    show_box(scene)
    lb = scene.lumbra
    lb.display_plane("p", (0, 0, 0), (0, 0, 1))
    for call in (lambda: lb.erase_shape(7), lambda: lb.set_shape_visibility(None, False),
                 lambda: lb.erase_plane((1, 2)), lambda: lb.select_shapes([7, None])):
        assert call() is None
    assert records(capture_logs) == []
    assert list(lb.get_all_shapes()) == ["box_1"] and lb.is_shape_visible("box_1") and lb.get_plane_ais("p")


LUMBRA = "nimbal.services.lumbra"
PIKALO = "nimbal.services.pikalo"


@pytest.mark.parametrize("call, logger, prefix", [
    (lambda s: s.lumbra.pan("10", 0), LUMBRA, "Error panning: "),
    (lambda s: s.lumbra.pan(math.nan, 0), LUMBRA, "Error panning: "),
    (lambda s: s.lumbra.pan(1e12, 0), LUMBRA, "Error panning: "),
    (lambda s: s.lumbra.start_rotation(None, 3), LUMBRA, "Error starting rotation: "),
    (lambda s: s.lumbra.rotate([1], 3), LUMBRA, "Error rotating: "),
    (lambda s: s.lumbra.zoom("2"), LUMBRA, "Error zooming: "),
    (lambda s: s.lumbra.erase_shape(["box_1"]), LUMBRA, "Error erasing shape: "),
    (lambda s: s.lumbra.set_shape_visibility(["box_1"], False), LUMBRA, "Error setting shape visibility: "),
    (lambda s: s.lumbra.display_shape(t.make_box(1.0, 1.0, 1.0), ["x"]), LUMBRA, "Error displaying shape: "),
    (lambda s: s.lumbra.display_shape(t.make_box(1.0, 1.0, 1.0), "x", width="2"), LUMBRA, "Error displaying shape: "),
    (lambda s: s.lumbra.update_shape("box_1"), LUMBRA, "Error updating shape: "),
    (lambda s: s.lumbra.set_shape_color("box_1", (0, 0, 0)), LUMBRA, "Error setting shape color: "),
    (lambda s: s.lumbra.display_plane(["p"], (0, 0, 0), (0, 0, 1)), LUMBRA, "Error displaying plane ['p']: "),
    (lambda s: s.lumbra.erase_plane([7]), LUMBRA, "Error erasing plane [7]: "),
    (lambda s: s.lumbra.set_global_transparency("0.5"), LUMBRA, "Error setting global transparency: "),
    (lambda s: s.lumbra.select_shape(["box_1"]), LUMBRA, "Error selecting shapes: "),
    (lambda s: s.lumbra.select_shapes([["box_1"]]), LUMBRA, "Error selecting shapes: "),
    (lambda s: s.pikalo.move_to("a", 1, s.view), PIKALO, "Error in move_to: "),
    (lambda s: s.pikalo.move_to(1, math.inf, s.view), PIKALO, "Error in move_to: "),
    (lambda s: s.pikalo.move_to(1, 1, "view"), PIKALO, "Error in move_to: "),
    (lambda s: s.pikalo.select([1], 1, s.view), PIKALO, "Error handling selection: "),
])
def test_bad_arguments_take_the_operations_error_path(scene, capture_logs, call, logger, prefix):
    show_box(scene)
    scene.pikalo = Pikalo(scene.context)
    camera = scene.view.Camera()
    before = (camera.Center(), camera.Direction(), camera.Scale())
    assert call(scene) is None
    errors = [r for r in capture_logs.records if r.levelno >= logging.WARNING]
    assert len(errors) == 1 and errors[0].name == logger and errors[0].levelno == logging.ERROR
    assert errors[0].getMessage().startswith(prefix), errors[0].getMessage()
    assert errors[0].exc_info and errors[0].exc_info[1] is not None
    assert (camera.Center(), camera.Direction(), camera.Scale()) == before
    assert list(scene.lumbra.get_all_shapes()) == ["box_1"] and scene.lumbra.is_shape_visible("box_1")


# ---- the same picture as the kernel's own sequence ----

def test_boundaries_set_before_the_display_draw_the_same_picture(tmp_path):
    # The service styles a new shape before displaying it (one presentation,
    # one redraw); the kernel's display-then-restyle sequence draws the same.
    service, kernel = (Scene(windowed=True, width=W, height=H) for _ in range(2))
    box = t.make_box(10.0, 20.0, 30.0)
    for s in (service, kernel):
        s.lumbra.setup_initial_view()
        s.lumbra.set_background_color((1.0, 1.0, 1.0))
        s.lumbra.set_display_mode(DisplayMode.BOTH)
        s.lumbra.set_projection(ViewDirection.ISO)
    service.lumbra.display_shape(box, "box_1", (0.8, 0.2, 0.2))
    ais = k.AIS_Shape(box)
    ais.SetColor(k.Quantity_Color(0.8, 0.2, 0.2, k.Quantity_TOC_RGB))
    kernel.context.Display(ais, 1, -1, True)
    drawer = ais.Attributes()
    drawer.SetFaceBoundaryDraw(True)
    drawer.SetFaceBoundaryAspect(k.Prs3d_LineAspect(k.Quantity_Color(0.0, 0.0, 0.0, k.Quantity_TOC_RGB),
                                                    k.Aspect_TOL_SOLID, 1.0))
    ais.SetAttributes(drawer)
    kernel.context.Redisplay(ais, True)
    rows = []
    for name, s in (("service", service), ("kernel", kernel)):
        s.view.FitAll(0.1, False)
        s.view.ZFitAll()
        rows.append(render(s, tmp_path / f"{name}.png"))
    pixels = [(a, b) for ra, rb in zip(*rows) for a, b in zip(ra, rb)]
    differing = sum(1 for a, b in pixels if max(abs(x - y) for x, y in zip(a, b)) > 8)
    assert differing <= 0.002 * len(pixels)
    dark = sum(1 for a, _ in pixels if max(a) < 60)
    assert dark > 0.005 * len(pixels)  # the black boundaries are there
