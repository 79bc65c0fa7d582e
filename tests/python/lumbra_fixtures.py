"""Viewer objects for the view service tests: window-less (no X server
needed) and offscreen under an X server (Xvfb in CI)."""
import os

import pytest

import nimbal.kernel as k
from nimbal.services.lumbra import Lumbra

_display = []  # opened once, never closed: Xlib must not outlive its server


def display_connection():
    if not os.environ.get("DISPLAY"):
        pytest.skip("no X server: DISPLAY is not set (run under xvfb-run)")
    if not _display:
        try:
            _display.append(k.Aspect_DisplayConnection())
        except k.KernelError as e:
            pytest.skip(f"X server {os.environ['DISPLAY']} not reachable: {e}")
    return _display[0]


class Scene:
    def __init__(self, windowed, width=320, height=240):
        disp = display_connection() if windowed else None
        self.driver = k.OpenGl_GraphicDriver(disp)
        self.viewer = k.V3d_Viewer(self.driver)
        self.viewer.SetDefaultLights()
        self.viewer.SetLightOn()
        self.view = self.viewer.CreateView()
        self.context = k.AIS_InteractiveContext(self.viewer)
        self.window = None
        if windowed:
            self.window = k.Xw_Window(disp, "nimbal test", 0, 0, width, height)
            self.window.SetVirtual(True)
            self.view.SetWindow(self.window)
            self.view.MustBeResized()
        self.lumbra = Lumbra(self.view, self.viewer, self.context)

    def displayed(self):
        return self.context.DisplayedObjects()
