"""The view inside a host's own widget: a Tk frame (the standard library's
toolkit) under Xvfb holds the view through Xw_Window over the frame's X
window id; Tk's own pointer events drive the hover, and the view follows
the frame's size. Each run is a child process: a toolkit and the kernel on
one X connection's windows could end the process."""
import pytest

from lumbra_fixtures import run_in_child

pytest.importorskip("tkinter")

HOST = """
import json, os, tkinter
import _nimbal_testing as t
import nimbal.kernel as k
from lumbra_fixtures import read_png, red
from nimbal.enums import SelectionMode, ViewDirection
from nimbal.services.lumbra import Lumbra
from nimbal.services.pikalo import Pikalo

root = tkinter.Tk()
frame = tkinter.Frame(root, width=200, height=150)
frame.pack()
root.update()

disp = k.Aspect_DisplayConnection()
viewer = k.V3d_Viewer(k.OpenGl_GraphicDriver(disp))
viewer.SetDefaultLights()
viewer.SetLightOn()
view = viewer.CreateView()
context = k.AIS_InteractiveContext(viewer)
window = k.Xw_Window(disp, frame.winfo_id())
view.SetWindow(window)
lumbra = Lumbra(view, viewer, context)
lumbra.setup_initial_view()
lumbra.set_background_color((1.0, 1.0, 1.0))
lumbra.display_shape(t.make_box(10.0, 10.0, 10.0), "box_1", (1.0, 0.0, 0.0))
lumbra.set_projection(ViewDirection.ISO)
lumbra.fit_all()
lumbra.redraw()
pikalo = Pikalo(context)
pikalo.set_mode(SelectionMode.VOLUME)

hovered = []
def on_motion(event):
    pikalo.move_to(event.x, event.y, view)
    hovered.append(pikalo.get_hovered_shape_id(lumbra))
frame.bind("<Motion>", on_motion)
resizes = []
frame.bind("<Configure>", lambda event: (resizes.append((event.width, event.height)), lumbra.must_be_resized()))
for x, y in [(100, 75), (3, 3), (101.0, 76.0)]:
    frame.event_generate("<Motion>", x=x, y=y)

def render(name):
    path = os.path.join(OUT, name)
    assert view.Dump(path)
    w, h, rows = read_png(path)
    return [w, h, rows[h // 2][w // 2], sum(1 for row in rows for p in row if red(p)) / (w * h)]

first = [list(window.Size()), render("frame.png")]
frame.configure(width=300, height=120)
root.update()  # Tk resizes the frame; its <Configure> tells the view
lumbra.fit_all()
resized = [list(window.Size()), render("resized.png")]
huge = tkinter.Frame(tkinter.Toplevel(root), width=20000, height=10)
huge.pack()
root.update()
refused = []
for bad in (0, 0x7ffffff0, huge.winfo_id()):
    try:
        k.Xw_Window(disp, bad)
    except k.KernelError as e:
        refused.append(str(e))
print(json.dumps({"hovered": hovered, "first": first, "resized": resized, "resizes": resizes, "refused": refused}))
os._exit(0)  # the toolkit's windows go with the process, not before the view's
"""


def test_a_tk_frame_holds_the_view_and_routes_the_pointer(tmp_path):
    seen = run_in_child(f"OUT = {str(tmp_path)!r}\n" + HOST)
    assert seen["hovered"] == ["box_1", None, "box_1"]  # over the shape, the background, the shape
    size, (w, h, centre, red_share) = seen["first"]
    assert size == [200, 150] and (w, h) == (200, 150)
    assert centre[0] > 150 and centre[1] < 60 and red_share > 0.1  # the red box, fitted in the frame
    assert seen["resizes"][-1] == [300, 120]
    size, (w, h, centre, red_share) = seen["resized"]
    assert size == [300, 120] and (w, h) == (300, 120)
    assert centre[0] > 150 and red_share > 0.1
    assert len(seen["refused"]) == 3
    assert all("no such window" in e for e in seen["refused"][:2]) and "at most 16384" in seen["refused"][2]
