"""The checks the viewer objects make before a call the kernel would answer
with a null dereference: each refusal is a KernelError with the kernel's
exception name and our message."""
import pytest

import _nimbal_testing as t
import nimbal.kernel as k
from lumbra_fixtures import Scene

NO_WINDOW = "V3d_UnMapped: the view has no window"
NO_OBJECT = "Standard_NullObject: the object is None"


def refusal(call):
    with pytest.raises(k.KernelError) as info:
        call()
    return str(info.value)


WINDOWLESS = [
    ("colour with NaN", lambda s: k.Quantity_Color(float("nan"), 0, 0, k.Quantity_TOC_RGB),
     "Standard_OutOfRange: Quantity_Color: NaN component"),
    ("projection number past the last", lambda s: s.view.Camera().SetProjectionType(5),
     "Standard_OutOfRange: Graphic3d_Camera::SetProjectionType: no such kind"),
    ("negative projection number", lambda s: s.view.Camera().SetProjectionType(-1),
     "Standard_OutOfRange: Graphic3d_Camera::SetProjectionType: no such kind"),
    ("viewer of no driver", lambda s: k.V3d_Viewer(None), "Standard_NullObject: the graphic driver is None"),
    ("context of no viewer", lambda s: k.AIS_InteractiveContext(None), "Standard_NullObject: the viewer is None"),
    ("window on no connection", lambda s: k.Xw_Window(None, "w", 0, 0, 10, 10),
     "Standard_NullObject: the display connection is None"),
    ("no line aspect", lambda s: k.Prs3d_Drawer().SetFaceBoundaryAspect(None),
     "Standard_NullObject: the line aspect is None"),
    ("no drawer", lambda s: k.AIS_Shape(t.make_box(1, 1, 1)).SetAttributes(None),
     "Standard_NullObject: the drawer is None"),
    ("window for a driver without a display", lambda s: s.view.SetWindow(None),
     "Standard_ProgramError: V3d_View::SetWindow: the graphic driver has no display connection"),
    ("trihedron of scale 0", lambda s: s.view.TriedronDisplay(k.Aspect_TOTP_CENTER, k.Quantity_Color(), 0.0,
                                                              k.V3d_WIREFRAME),
     "Standard_OutOfRange: V3d_View::TriedronDisplay: the scale must be positive and finite"),
    ("image to an empty name", lambda s: s.view.Dump(""), "Standard_ProgramError: V3d_View::Dump: empty file name"),
    ("image", lambda s: s.view.Dump("a.png"), NO_WINDOW),
    ("pixel to world", lambda s: s.view.Convert(1, 2), NO_WINDOW),
    ("world to pixel", lambda s: s.view.Convert(1.0, 2.0, 3.0), NO_WINDOW),
    ("pixel to ray", lambda s: s.view.ConvertWithProj(1, 2), NO_WINDOW),
    ("rotation start", lambda s: s.view.StartRotation(1, 2), NO_WINDOW),
    ("rotation", lambda s: s.view.Rotation(1, 2), NO_WINDOW),
    ("pan", lambda s: s.view.Pan(1, 2), NO_WINDOW),
    ("detection in a window-less view", lambda s: s.context.MoveTo(1, 2, s.view, False), NO_WINDOW),
    ("detection in no view", lambda s: s.context.MoveTo(1, 2, None, False), "Standard_NullObject: the view is None"),
    ("display", lambda s: s.context.Display(None, False), NO_OBJECT),
    ("display in modes", lambda s: s.context.Display(None, 1, 0, False), NO_OBJECT),
    ("redisplay", lambda s: s.context.Redisplay(None, False), NO_OBJECT),
    ("erase", lambda s: s.context.Erase(None, False), NO_OBJECT),
    ("remove", lambda s: s.context.Remove(None, False), NO_OBJECT),
    ("is displayed", lambda s: s.context.IsDisplayed(None), NO_OBJECT),
    ("select", lambda s: s.context.AddOrRemoveSelected(None, False), NO_OBJECT),
    ("is selected", lambda s: s.context.IsSelected(None), NO_OBJECT),
    ("activate", lambda s: s.context.Activate(None, 0), NO_OBJECT),
    ("deactivate", lambda s: s.context.Deactivate(None), NO_OBJECT),
]


@pytest.mark.parametrize("call, message", [c[1:] for c in WINDOWLESS], ids=[c[0] for c in WINDOWLESS])
def test_window_less_refusals(call, message):
    scene = Scene(False)
    assert refusal(lambda: call(scene)) == message


def test_queries_of_nothing_and_reprs():
    scene = Scene(False)
    context = scene.context
    assert context.DetectedInteractive() is None and context.DetectedShape() is None
    assert context.HighlightStyle(k.Prs3d_TypeOfHighlight_Dynamic) is not None
    assert context.DisplayedObjects() == []
    assert (repr(k.TopoDS_Shape()), repr(k.TopoDS_Solid()), repr(t.make_box(1, 1, 1))) == (
        "<TopoDS_Shape (null)>", "<TopoDS_Shape (null)>", "<TopoDS_Solid>")
    assert repr(k.Quantity_Color(k.Quantity_NOC_RED)) == "Quantity_Color(1.000000, 0.000000, 0.000000, Quantity_TOC_RGB)"



def test_out_parameter_answers_are_flat_tuples():
    scene = Scene(False)
    view, camera = scene.view, scene.view.Camera()
    eye, center, direction = camera.Eye(), camera.Center(), camera.Direction()
    assert all(type(v) is tuple and len(v) == 3 for v in (eye, center, direction, camera.Up(), view.Up()))
    # The camera looks from its eye towards its centre; the view's projection points back at the eye.
    gap = [c - e for c, e in zip(center, eye)]
    norm = sum(g * g for g in gap) ** 0.5
    assert [g / norm for g in gap] == pytest.approx(list(direction))
    assert list(view.Proj()) == pytest.approx([-d for d in direction])
    view.SetBgGradientColors(k.Quantity_Color(k.Quantity_NOC_RED), k.Quantity_Color(k.Quantity_NOC_BLUE1),
                             k.Aspect_GradientFillMethod_Vertical)
    first, second, method = view.GradientBackground()
    assert (first.Values(k.Quantity_TOC_RGB), second.Values(k.Quantity_TOC_RGB), method) == (
        (1.0, 0.0, 0.0), (0.0, 0.0, 1.0), k.Aspect_GradientFillMethod_Vertical)
    # Both forms of selection-mode switching reach the kernel.
    box = k.AIS_Shape(t.make_box(1, 1, 1))
    scene.context.Display(box, False)
    scene.context.Activate(box, 2)
    scene.context.Deactivate()
    scene.context.Activate(1)
    scene.context.Deactivate(box)

WINDOWED = [
    ("window of no pixels", lambda s, d: k.Xw_Window(d, "w", 0, 0, 0, 10),
     "Standard_ProgramError: Xw_Window: the size must be positive"),
    ("window over no window", lambda s, d: k.Xw_Window(d, 0),
     "Standard_ProgramError: Xw_Window: no such window on the display connection (a toolkit's window must be "
     "mapped first, e.g. by update() in Tk)"),
    ("no window", lambda s, d: s.view.SetWindow(None), "Standard_NullObject: the window is None"),
    ("detection in another viewer's view", lambda s, d: Scene(True).context.MoveTo(1, 2, s.view, False),
     "Standard_ProgramError: AIS_InteractiveContext::MoveTo: the view belongs to another viewer"),
]


@pytest.mark.parametrize("call, message", [c[1:] for c in WINDOWED], ids=[c[0] for c in WINDOWED])
def test_windowed_refusals(call, message):
    from lumbra_fixtures import display_connection
    scene = Scene(True)
    assert refusal(lambda: call(scene, display_connection())) == message


@pytest.mark.parametrize("native_id, error, message", [
    (-1, ValueError, "native_window_id is out of range"),
    (2 ** 70, ValueError, "native_window_id is out of range"),
    (1.0, TypeError, "native_window_id must be an integer, not 'float'"),
])
def test_a_native_window_id_is_an_unsigned_integer(native_id, error, message):
    from lumbra_fixtures import display_connection
    with pytest.raises(error) as e:
        k.Xw_Window(display_connection(), native_id)
    assert str(e.value) == message
