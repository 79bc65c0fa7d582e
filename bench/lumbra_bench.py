"""Bulk display through the view service against the same kernel calls made
directly through nimbal.kernel, in the same run and on the same offscreen
view: N boxes displayed, fitted and rendered once; then the cost of a viewer
update per display call (the service's default); then display while the
selection service has swept whole-object selection. Needs an X server:

    xvfb-run -a -s "-screen 0 1280x1024x24" scripts/bench.sh lumbra [N]
"""
import os
import sys
import time

import nimbal.kernel as k
from nimbal.enums import DisplayMode, SelectionMode, ViewDirection
from nimbal.services.drulen import Drulen
from nimbal.services.lumbra import Lumbra
from nimbal.services.pikalo import Pikalo

W, H = 640, 480
COLOR = (0.5, 0.5, 0.5)
D = Drulen()
_display = []


class Scene:
    def __init__(self):
        if not _display:
            _display.append(k.Aspect_DisplayConnection())
        disp = _display[0]
        self.viewer = k.V3d_Viewer(k.OpenGl_GraphicDriver(disp))
        self.viewer.SetDefaultLights()
        self.viewer.SetLightOn()
        self.view = self.viewer.CreateView()
        self.context = k.AIS_InteractiveContext(self.viewer)
        self.window = k.Xw_Window(disp, "lumbra bench", 0, 0, W, H)
        self.window.SetVirtual(True)
        self.view.SetWindow(self.window)
        self.view.MustBeResized()
        self.lumbra = Lumbra(self.view, self.viewer, self.context)
        self.lumbra.setup_initial_view()
        self.lumbra.set_projection(ViewDirection.ISO)


def boxes(n):
    # New shapes every run: a shape keeps its triangulation once meshed.
    return [D.create_box(1, 2, 3, (4.0 * (i % 10), 4.0 * ((i // 10) % 10), 4.0 * (i // 100))) for i in range(n)]


def service(scene, shapes, update):
    lb = scene.lumbra
    for i, s in enumerate(shapes):
        lb.display_shape(s, f"box_{i}", COLOR, update)
    lb.fit_all()
    lb.redraw()


def raw(scene, shapes, update, selection_mode=-1, boundaries=False):
    ctx, view = scene.context, scene.view
    color = k.Quantity_Color(*COLOR, k.Quantity_TOC_RGB)
    for s in shapes:
        ais = k.AIS_Shape(s)
        ais.SetColor(color)
        if boundaries:
            drawer = ais.Attributes()
            drawer.SetFaceBoundaryDraw(True)
            drawer.SetFaceBoundaryAspect(k.Prs3d_LineAspect(k.Quantity_Color(0.0, 0.0, 0.0, k.Quantity_TOC_RGB),
                                                            k.Aspect_TOL_SOLID, 1.0))
            ais.SetAttributes(drawer)
        ctx.Display(ais, 1, selection_mode, update)
    view.FitAll()
    view.ZFitAll()
    view.Redraw()


def once(run, n, update, prepare):
    scene = Scene()
    if prepare:
        prepare(scene)
    shapes = boxes(n)
    t0 = time.perf_counter()
    run(scene, shapes, update)
    took = time.perf_counter() - t0
    scene.context.RemoveAll(False)
    return took


def compare(n, update, kernel, prepare=None, runs=3):
    """Best of `runs` of the service and of the kernel calls, taken in turns."""
    svc = ker = float("inf")
    for _ in range(runs):
        svc = min(svc, once(service, n, update, prepare))
        ker = min(ker, once(kernel, n, update, None))
    return svc, ker


def with_boundaries(scene):
    scene.lumbra.set_display_mode(DisplayMode.BOTH)


def swept(scene):
    scene.pikalo = Pikalo(scene.context)
    scene.pikalo.set_mode(SelectionMode.VOLUME)


def row(label, n, times):
    svc, kernel = times
    print(f"{label:<44}{n:>6}{svc:>12.3f}{kernel:>12.3f}{svc / kernel:>8.3f}")


def main():
    if not os.environ.get("DISPLAY"):
        sys.exit("no X server: run under xvfb-run (see the docstring)")
    n = int(sys.argv[1]) if len(sys.argv) > 1 else 1000
    m = max(1, n // 10)
    boundaries = lambda s, shapes, u: raw(s, shapes, u, boundaries=True)  # noqa: E731
    pickable = lambda s, shapes, u: raw(s, shapes, u, selection_mode=0)  # noqa: E731
    print(f"offscreen view {W}x{H}; best of 3 runs (5 with an update per call); seconds")
    print(f"{'case':<44}{'boxes':>6}{'service':>12}{'kernel':>12}{'ratio':>8}")
    compare(50, False, raw, runs=1)  # warm up the driver
    row("display, fit, render once", n, compare(n, False, raw))
    # A software render per call: its time varies by a quarter from run to run.
    row("display with a viewer update per call", m, compare(m, True, raw, runs=5))
    row("the same, face boundaries drawn", m, compare(m, True, boundaries, with_boundaries, runs=5))
    row("display, fit, render; face boundaries drawn", n, compare(n, False, boundaries, with_boundaries))
    row("display, fit, render; whole objects pickable", n, compare(n, False, pickable, swept))


if __name__ == "__main__":
    main()
