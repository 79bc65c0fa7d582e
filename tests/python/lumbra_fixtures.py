"""Viewer objects for the view service tests: window-less (no X server
needed) and offscreen under an X server (Xvfb in CI)."""
import json
import os
import struct
import subprocess
import sys
import zlib

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


def read_png(path):
    """(width, height, rows of RGB triples) of an 8-bit RGB or RGBA PNG."""
    with open(path, "rb") as f:
        data = f.read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    pos, idat, hdr = 8, b"", None
    while pos < len(data):
        (n,) = struct.unpack(">I", data[pos:pos + 4])
        kind, body = data[pos + 4:pos + 8], data[pos + 8:pos + 8 + n]
        pos += 12 + n
        if kind == b"IHDR":
            hdr = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
    w, h, depth, ctype = hdr[:4]
    assert depth == 8 and ctype in (2, 6)
    bpp = 3 if ctype == 2 else 4
    raw, stride, rows, prev = zlib.decompress(idat), w * bpp, [], bytearray(w * bpp)
    for y in range(h):
        f, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b, c = prev[i], prev[i - bpp] if i >= bpp else 0
            if f == 1:
                line[i] = (line[i] + a) & 255
            elif f == 2:
                line[i] = (line[i] + b) & 255
            elif f == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([tuple(line[x * bpp:x * bpp + 3]) for x in range(w)])
        prev = line
    return w, h, rows


def render(scene, path):
    """The rows of RGB triples of the view rendered now (the view's own redraw)."""
    scene.view.Redraw()
    assert scene.view.Dump(str(path))
    return read_png(path)[2]


def share(rows, test):
    """The share of the pixels for which `test(rgb)` holds."""
    pixels = [p for row in rows for p in row]
    return sum(1 for p in pixels if test(p)) / len(pixels)


def red(p):
    return p[0] > 80 and p[1] < 60 and p[2] < 60


def run_in_child(source, timeout=60):
    """Runs `source` in a fresh interpreter on the same paths and X server, for
    cases that could end the process; returns what it printed last, as JSON."""
    display_connection()  # skips without an X server
    env = dict(os.environ, PYTHONPATH=os.pathsep.join(p for p in sys.path if p))
    done = subprocess.run([sys.executable, "-c", source], env=env, capture_output=True, text=True, timeout=timeout)
    assert done.returncode == 0, done.stderr[-2000:]
    return json.loads(done.stdout.strip().splitlines()[-1])
