// nimbal.kernel, viewer part: the objects a host creates to show shapes
// (display connection, graphic driver, viewer, view, offscreen window,
// interactive context, presentations) and the enumerations their methods
// take. Names and call forms follow the kernel's own; out-parameters come
// back as tuples. Calls the kernel would answer with a null dereference
// (no window, a None object) raise KernelError instead.
#include "nimbal_py/viewer.hpp"

#include <cmath>

#include <AIS_DisplayMode.hxx>
#include <AIS_ListOfInteractive.hxx>
#include <Aspect_DisplayConnection.hxx>
#include <Aspect_GradientFillMethod.hxx>
#include <Aspect_TypeOfLine.hxx>
#include <Aspect_TypeOfTriedronPosition.hxx>
#include <Aspect_Window.hxx>
#include <Graphic3d_Camera.hxx>
#include <OpenGl_Context.hxx>
#include <OpenGl_GraphicDriver.hxx>
#include <OpenGl_View.hxx>
#include <OpenGl_Window.hxx>
#include <Prs3d_Drawer.hxx>
#include <Prs3d_LineAspect.hxx>
#include <Prs3d_TypeOfHighlight.hxx>
#include <Quantity_Color.hxx>
#include <Standard_NullObject.hxx>
#include <Standard_ProgramError.hxx>
#include <StdSelect_BRepOwner.hxx>
#include <V3d_TypeOfVisualization.hxx>
#include <V3d_UnMapped.hxx>
#include <Xw_Window.hxx>

namespace pyb = pybind11;

namespace {

template <class T>
const opencascade::handle<T>& req(const opencascade::handle<T>& h, const char* what) {
  if (h.IsNull()) throw Standard_NullObject((std::string(what) + " is None").c_str());
  return h;
}

// Pixel conversions, rotations, pans, detection and images read the view's
// window; without one the kernel dereferences null.
const Handle(V3d_View)& windowed(const Handle(V3d_View)& v) {
  req(v, "the view");
  if (v->Window().IsNull()) throw V3d_UnMapped("the view has no window");
  return v;
}

// The kernel's RemoveView, for a view without a window, compares the
// driver's shared context with that view's (null) window's context whenever
// another view of the driver has a window: destroying a window-less view
// (its viewer released, say) while a windowed one lives is then a null
// dereference. This driver takes that case itself; the rest is the kernel's.
class GlDriver : public OpenGl_GraphicDriver {
 public:
  using OpenGl_GraphicDriver::OpenGl_GraphicDriver;

  void RemoveView(const Handle(Graphic3d_CView)& view) override {
    Handle(OpenGl_View) gl = Handle(OpenGl_View)::DownCast(view);
    if (gl.IsNull() || !gl->GlWindow().IsNull() || !myMapOfView.Contains(gl)) {
      OpenGl_GraphicDriver::RemoveView(view);
      return;
    }
    // A window-less view never gives the shared context, so reading it
    // before the removal gives the context of a remaining windowed view.
    Handle(OpenGl_Context) shared = GetSharedContext();
    if (shared.IsNull()) {
      OpenGl_GraphicDriver::RemoveView(view);
      return;
    }
    myMapOfView.Remove(gl);
    shared->MakeCurrent();
    gl->ReleaseGlResources(shared);
  }
};

pyb::tuple xyz(double x, double y, double z) { return pyb::make_tuple(x, y, z); }
pyb::tuple xyz(const gp_XYZ& p) { return xyz(p.X(), p.Y(), p.Z()); }

template <class T>
void same_object_semantics(pyb::class_<T, opencascade::handle<T>>& c) {
  // Two Python wrappers of one kernel object are equal and hash alike.
  c.def("__eq__", [](const T& a, pyb::handle b) {
     if (!pyb::isinstance<T>(b)) return false;
     return &a == &b.cast<const T&>();
   }, pyb::is_operator());
  c.def("__hash__", [](const T& a) { return std::hash<const void*>()(&a); });
}

void bind_enums(pyb::module_& m) {
  pyb::enum_<Quantity_TypeOfColor>(m, "Quantity_TypeOfColor")
      .value("Quantity_TOC_RGB", Quantity_TOC_RGB)
      .value("Quantity_TOC_sRGB", Quantity_TOC_sRGB)
      .value("Quantity_TOC_HLS", Quantity_TOC_HLS)
      .value("Quantity_TOC_CIELab", Quantity_TOC_CIELab)
      .value("Quantity_TOC_CIELch", Quantity_TOC_CIELch)
      .export_values();
  pyb::enum_<Quantity_NameOfColor>(m, "Quantity_NameOfColor")
      .value("Quantity_NOC_BLACK", Quantity_NOC_BLACK)
      .value("Quantity_NOC_WHITE", Quantity_NOC_WHITE)
      .value("Quantity_NOC_RED", Quantity_NOC_RED)
      .value("Quantity_NOC_GREEN", Quantity_NOC_GREEN)
      .value("Quantity_NOC_BLUE1", Quantity_NOC_BLUE1)
      .value("Quantity_NOC_CYAN1", Quantity_NOC_CYAN1)
      .value("Quantity_NOC_YELLOW", Quantity_NOC_YELLOW)
      .value("Quantity_NOC_GRAY", Quantity_NOC_GRAY)
      .export_values();
  pyb::enum_<Aspect_TypeOfTriedronPosition>(m, "Aspect_TypeOfTriedronPosition")
      .value("Aspect_TOTP_CENTER", Aspect_TOTP_CENTER)
      .value("Aspect_TOTP_TOP", Aspect_TOTP_TOP)
      .value("Aspect_TOTP_BOTTOM", Aspect_TOTP_BOTTOM)
      .value("Aspect_TOTP_LEFT", Aspect_TOTP_LEFT)
      .value("Aspect_TOTP_RIGHT", Aspect_TOTP_RIGHT)
      .value("Aspect_TOTP_LEFT_LOWER", Aspect_TOTP_LEFT_LOWER)
      .value("Aspect_TOTP_LEFT_UPPER", Aspect_TOTP_LEFT_UPPER)
      .value("Aspect_TOTP_RIGHT_LOWER", Aspect_TOTP_RIGHT_LOWER)
      .value("Aspect_TOTP_RIGHT_UPPER", Aspect_TOTP_RIGHT_UPPER)
      .export_values();
  pyb::enum_<V3d_TypeOfVisualization>(m, "V3d_TypeOfVisualization")
      .value("V3d_WIREFRAME", V3d_WIREFRAME)
      .value("V3d_ZBUFFER", V3d_ZBUFFER)
      .export_values();
  pyb::enum_<Aspect_GradientFillMethod>(m, "Aspect_GradientFillMethod")
      .value("Aspect_GradientFillMethod_None", Aspect_GradientFillMethod_None)
      .value("Aspect_GradientFillMethod_Horizontal", Aspect_GradientFillMethod_Horizontal)
      .value("Aspect_GradientFillMethod_Vertical", Aspect_GradientFillMethod_Vertical)
      .value("Aspect_GradientFillMethod_Diagonal1", Aspect_GradientFillMethod_Diagonal1)
      .value("Aspect_GradientFillMethod_Diagonal2", Aspect_GradientFillMethod_Diagonal2)
      .value("Aspect_GradientFillMethod_Corner1", Aspect_GradientFillMethod_Corner1)
      .value("Aspect_GradientFillMethod_Corner2", Aspect_GradientFillMethod_Corner2)
      .value("Aspect_GradientFillMethod_Corner3", Aspect_GradientFillMethod_Corner3)
      .value("Aspect_GradientFillMethod_Corner4", Aspect_GradientFillMethod_Corner4)
      .value("Aspect_GradientFillMethod_Elliptical", Aspect_GradientFillMethod_Elliptical)
      .export_values();
  pyb::enum_<Aspect_TypeOfLine>(m, "Aspect_TypeOfLine")
      .value("Aspect_TOL_EMPTY", Aspect_TOL_EMPTY)
      .value("Aspect_TOL_SOLID", Aspect_TOL_SOLID)
      .value("Aspect_TOL_DASH", Aspect_TOL_DASH)
      .value("Aspect_TOL_DOT", Aspect_TOL_DOT)
      .value("Aspect_TOL_DOTDASH", Aspect_TOL_DOTDASH)
      .value("Aspect_TOL_USERDEFINED", Aspect_TOL_USERDEFINED)
      .export_values();
  pyb::enum_<Prs3d_TypeOfHighlight>(m, "Prs3d_TypeOfHighlight")
      .value("Prs3d_TypeOfHighlight_None", Prs3d_TypeOfHighlight_None)
      .value("Prs3d_TypeOfHighlight_Selected", Prs3d_TypeOfHighlight_Selected)
      .value("Prs3d_TypeOfHighlight_Dynamic", Prs3d_TypeOfHighlight_Dynamic)
      .value("Prs3d_TypeOfHighlight_LocalSelected", Prs3d_TypeOfHighlight_LocalSelected)
      .value("Prs3d_TypeOfHighlight_LocalDynamic", Prs3d_TypeOfHighlight_LocalDynamic)
      .value("Prs3d_TypeOfHighlight_SubIntensity", Prs3d_TypeOfHighlight_SubIntensity)
      .export_values();
  pyb::enum_<AIS_DisplayMode>(m, "AIS_DisplayMode")
      .value("AIS_WireFrame", AIS_WireFrame)
      .value("AIS_Shaded", AIS_Shaded)
      .export_values();
}

void bind_color(pyb::module_& m) {
  pyb::class_<Quantity_Color>(m, "Quantity_Color")
      .def(pyb::init<>())
      .def(pyb::init<Quantity_NameOfColor>(), pyb::arg("name"))
      .def(pyb::init([](double r, double g, double b, Quantity_TypeOfColor t) {
             // The kernel raises for components outside its range; NaN would pass it.
             if (!(r == r && g == g && b == b)) throw Standard_OutOfRange("Quantity_Color: NaN component");
             return Quantity_Color(r, g, b, t);
           }),
           pyb::arg("r"), pyb::arg("g"), pyb::arg("b"), pyb::arg("type"))
      .def("Red", &Quantity_Color::Red)
      .def("Green", &Quantity_Color::Green)
      .def("Blue", &Quantity_Color::Blue)
      .def("Values", [](const Quantity_Color& c, Quantity_TypeOfColor t) {
        double a, b, d;
        c.Values(a, b, d, t);
        return xyz(a, b, d);
      }, pyb::arg("type"))
      .def("IsEqual", &Quantity_Color::IsEqual, pyb::arg("other"))
      .def("__eq__", [](const Quantity_Color& a, const Quantity_Color& b) { return a.IsEqual(b); },
           pyb::is_operator())
      .def("__repr__", [](const Quantity_Color& c) {
        return "Quantity_Color(" + std::to_string(c.Red()) + ", " + std::to_string(c.Green()) + ", " +
               std::to_string(c.Blue()) + ", Quantity_TOC_RGB)";
      });
}

void bind_drawer(pyb::module_& m) {
  pyb::class_<Prs3d_LineAspect, Handle(Prs3d_LineAspect)>(m, "Prs3d_LineAspect")
      .def(pyb::init([](const Quantity_Color& c, Aspect_TypeOfLine t, double w) {
             return Handle(Prs3d_LineAspect)(new Prs3d_LineAspect(c, t, w));
           }),
           pyb::arg("color"), pyb::arg("type"), pyb::arg("width"))
      .def("SetColor", &Prs3d_LineAspect::SetColor, pyb::arg("color"))
      .def("SetTypeOfLine", &Prs3d_LineAspect::SetTypeOfLine, pyb::arg("type"))
      .def("SetWidth", &Prs3d_LineAspect::SetWidth, pyb::arg("width"))
      .def("Color", [](const Prs3d_LineAspect& a) { return a.Aspect()->Color(); })
      .def("Type", [](const Prs3d_LineAspect& a) { return a.Aspect()->Type(); })
      .def("Width", [](const Prs3d_LineAspect& a) { return a.Aspect()->Width(); });

  pyb::class_<Prs3d_Drawer, Handle(Prs3d_Drawer)>(m, "Prs3d_Drawer")
      .def(pyb::init([] { return Handle(Prs3d_Drawer)(new Prs3d_Drawer()); }))
      .def("SetFaceBoundaryDraw", &Prs3d_Drawer::SetFaceBoundaryDraw, pyb::arg("enable"))
      .def("FaceBoundaryDraw", &Prs3d_Drawer::FaceBoundaryDraw)
      .def("SetFaceBoundaryAspect",
           [](Prs3d_Drawer& d, const Handle(Prs3d_LineAspect)& a) {
             d.SetFaceBoundaryAspect(req(a, "the line aspect"));
           },
           pyb::arg("aspect"))
      .def("FaceBoundaryAspect", &Prs3d_Drawer::FaceBoundaryAspect)
      .def("SetColor", &Prs3d_Drawer::SetColor, pyb::arg("color"))
      .def("Color", &Prs3d_Drawer::Color)
      .def("Transparency", &Prs3d_Drawer::Transparency);
}

void bind_objects(pyb::module_& m) {
  pyb::class_<AIS_InteractiveObject, Handle(AIS_InteractiveObject)> io(m, "AIS_InteractiveObject");
  same_object_semantics(io);
  io.def("SetColor", &AIS_InteractiveObject::SetColor, pyb::arg("color"))
      .def("Color", [](const AIS_InteractiveObject& o) {
        Quantity_Color c;
        o.Color(c);
        return c;
      })
      .def("HasColor", &AIS_InteractiveObject::HasColor)
      .def("UnsetColor", &AIS_InteractiveObject::UnsetColor)
      .def("SetWidth", &AIS_InteractiveObject::SetWidth, pyb::arg("width"))
      .def("Width", &AIS_InteractiveObject::Width)
      .def("SetTransparency", &AIS_InteractiveObject::SetTransparency, pyb::arg("value") = 0.6)
      .def("Transparency", &AIS_InteractiveObject::Transparency)
      .def("UnsetTransparency", &AIS_InteractiveObject::UnsetTransparency)
      .def("Attributes", &AIS_InteractiveObject::Attributes)
      .def("SetAttributes",
           [](AIS_InteractiveObject& o, const Handle(Prs3d_Drawer)& d) {
             o.SetAttributes(req(d, "the drawer"));
           },
           pyb::arg("drawer"))
      .def("DisplayMode", &AIS_InteractiveObject::DisplayMode)
      .def("HasInteractiveContext", &AIS_InteractiveObject::HasInteractiveContext);

  pyb::class_<AIS_Shape, AIS_InteractiveObject, Handle(AIS_Shape)>(m, "AIS_Shape")
      .def(pyb::init([](const TopoDS_Shape& s) { return Handle(AIS_Shape)(new AIS_Shape(s)); }),
           pyb::arg("shape"))
      .def("Shape", &AIS_Shape::Shape)
      .def("SetShape", &AIS_Shape::SetShape, pyb::arg("shape"));
}

void bind_viewer(pyb::module_& m) {
  pyb::class_<Aspect_DisplayConnection, Handle(Aspect_DisplayConnection)>(m, "Aspect_DisplayConnection")
      .def(pyb::init([] { return Handle(Aspect_DisplayConnection)(new Aspect_DisplayConnection()); }))
      .def(pyb::init([](const std::string& name) {
             return Handle(Aspect_DisplayConnection)(new Aspect_DisplayConnection(name.c_str()));
           }),
           pyb::arg("display_name"));

  pyb::class_<Graphic3d_GraphicDriver, Handle(Graphic3d_GraphicDriver)>(m, "Graphic3d_GraphicDriver");
  pyb::class_<OpenGl_GraphicDriver, Graphic3d_GraphicDriver, Handle(OpenGl_GraphicDriver)>(
      m, "OpenGl_GraphicDriver")
      // None as the connection: a driver for window-less viewers (display,
      // colours, cameras); it cannot open an OpenGL context, so it is never
      // initialised.
      .def(pyb::init([](const Handle(Aspect_DisplayConnection)& d, bool init) {
             return Handle(OpenGl_GraphicDriver)(new GlDriver(d, init && !d.IsNull()));
           }),
           pyb::arg("display_connection"), pyb::arg("initialize") = true);

  pyb::class_<Aspect_Window, Handle(Aspect_Window)>(m, "Aspect_Window")
      .def("Size", [](const Aspect_Window& w) {
        int x = 0, y = 0;
        w.Size(x, y);
        return pyb::make_tuple(x, y);
      })
      .def("IsVirtual", &Aspect_Window::IsVirtual)
      .def("SetVirtual", &Aspect_Window::SetVirtual, pyb::arg("virtual"))
      .def("Map", &Aspect_Window::Map)
      .def("IsMapped", &Aspect_Window::IsMapped);
  pyb::class_<Xw_Window, Aspect_Window, Handle(Xw_Window)>(m, "Xw_Window")
      .def(pyb::init([](const Handle(Aspect_DisplayConnection)& d, const std::string& title, int x, int y,
                        int w, int h) {
             if (req(d, "the display connection")->GetDisplayAspect() == nullptr)
               throw Standard_ProgramError("Xw_Window: the display connection is not open");
             if (w <= 0 || h <= 0) throw Standard_ProgramError("Xw_Window: the size must be positive");
             // Past what an offscreen buffer holds, drawing falls back to one X
             // request too big for the connection, and Xlib/xcb end the process.
             if (w > 16384 || h > 16384) throw Standard_ProgramError("Xw_Window: the size must be at most 16384");
             return Handle(Xw_Window)(new Xw_Window(d, title.c_str(), x, y, w, h));
           }),
           pyb::arg("display_connection"), pyb::arg("title"), pyb::arg("x"), pyb::arg("y"),
           pyb::arg("width"), pyb::arg("height"));

  pyb::class_<Graphic3d_Camera, Handle(Graphic3d_Camera)> cam(m, "Graphic3d_Camera");
  pyb::enum_<Graphic3d_Camera::Projection>(cam, "Projection")
      .value("Projection_Orthographic", Graphic3d_Camera::Projection_Orthographic)
      .value("Projection_Perspective", Graphic3d_Camera::Projection_Perspective)
      .value("Projection_Stereo", Graphic3d_Camera::Projection_Stereo)
      .value("Projection_MonoLeftEye", Graphic3d_Camera::Projection_MonoLeftEye)
      .value("Projection_MonoRightEye", Graphic3d_Camera::Projection_MonoRightEye)
      .export_values();
  cam.def("ProjectionType", &Graphic3d_Camera::ProjectionType)
      .def("SetProjectionType", &Graphic3d_Camera::SetProjectionType, pyb::arg("projection"))
      .def("SetProjectionType",
           [](Graphic3d_Camera& c, int kind) {
             if (kind < 0 || kind > Graphic3d_Camera::Projection_MonoRightEye)
               throw Standard_OutOfRange("Graphic3d_Camera::SetProjectionType: no such kind");
             c.SetProjectionType(static_cast<Graphic3d_Camera::Projection>(kind));
           },
           pyb::arg("projection"))
      .def("IsOrthographic", &Graphic3d_Camera::IsOrthographic)
      .def("Scale", &Graphic3d_Camera::Scale)
      .def("SetScale", &Graphic3d_Camera::SetScale, pyb::arg("scale"))
      .def("Direction", [](const Graphic3d_Camera& c) { return xyz(c.Direction().XYZ()); })
      .def("Up", [](const Graphic3d_Camera& c) { return xyz(c.Up().XYZ()); })
      .def("Eye", [](const Graphic3d_Camera& c) { return xyz(c.Eye().XYZ()); })
      .def("Center", [](const Graphic3d_Camera& c) { return xyz(c.Center().XYZ()); });

  pyb::class_<V3d_Viewer, Handle(V3d_Viewer)>(m, "V3d_Viewer")
      .def(pyb::init([](const Handle(Graphic3d_GraphicDriver)& d) {
             return Handle(V3d_Viewer)(new V3d_Viewer(req(d, "the graphic driver")));
           }),
           pyb::arg("driver"))
      // A view reaches its viewer through a plain pointer: the view keeps it alive.
      .def("CreateView", &V3d_Viewer::CreateView, pyb::keep_alive<0, 1>())
      .def("SetDefaultLights", &V3d_Viewer::SetDefaultLights)
      .def("SetLightOn", pyb::overload_cast<>(&V3d_Viewer::SetLightOn))
      .def("Redraw", &V3d_Viewer::Redraw);

  pyb::class_<V3d_View, Handle(V3d_View)>(m, "V3d_View")
      .def("SetWindow",
           [](V3d_View& v, const Handle(Aspect_Window)& w) {
             // An OpenGL window needs a driver that holds a display connection.
             auto drv = Handle(OpenGl_GraphicDriver)::DownCast(v.Viewer()->Driver());
             if (drv.IsNull() || drv->GetDisplayConnection().IsNull())
               throw Standard_ProgramError("V3d_View::SetWindow: the graphic driver has no display connection");
             v.SetWindow(req(w, "the window"));
           },
           pyb::arg("window"))
      .def("Window", &V3d_View::Window)
      .def("IfWindow", &V3d_View::IfWindow)
      .def("Viewer", &V3d_View::Viewer)
      .def("Camera", &V3d_View::Camera)
      .def("SetProj", pyb::overload_cast<double, double, double>(&V3d_View::SetProj), pyb::arg("vx"),
           pyb::arg("vy"), pyb::arg("vz"))
      .def("SetUp", pyb::overload_cast<double, double, double>(&V3d_View::SetUp), pyb::arg("vx"),
           pyb::arg("vy"), pyb::arg("vz"))
      .def("Proj", [](const V3d_View& v) {
        double x, y, z;
        v.Proj(x, y, z);
        return xyz(x, y, z);
      })
      .def("Up", [](const V3d_View& v) {
        double x, y, z;
        v.Up(x, y, z);
        return xyz(x, y, z);
      })
      .def("Convert", [](const Handle(V3d_View)& v, int xp, int yp) {
        double x, y, z;
        windowed(v)->Convert(xp, yp, x, y, z);
        return xyz(x, y, z);
      }, pyb::arg("xp"), pyb::arg("yp"))
      .def("Convert", [](const Handle(V3d_View)& v, double x, double y, double z) {
        int xp = 0, yp = 0;
        windowed(v)->Convert(x, y, z, xp, yp);
        return pyb::make_tuple(xp, yp);
      }, pyb::arg("x"), pyb::arg("y"), pyb::arg("z"))
      .def("ConvertWithProj", [](const Handle(V3d_View)& v, int xp, int yp) {
        double x, y, z, vx, vy, vz;
        windowed(v)->ConvertWithProj(xp, yp, x, y, z, vx, vy, vz);
        return pyb::make_tuple(x, y, z, vx, vy, vz);
      }, pyb::arg("xp"), pyb::arg("yp"))
      .def("FitAll", [](V3d_View& v, double margin, bool update) { v.FitAll(margin, update); },
           pyb::arg("margin") = 0.01, pyb::arg("update") = true)
      .def("ZFitAll", [](const V3d_View& v, double f) { v.ZFitAll(f); }, pyb::arg("scale_factor") = 1.0)
      .def("Redraw", &V3d_View::Redraw)
      .def("MustBeResized", &V3d_View::MustBeResized)
      .def("StartRotation", [](const Handle(V3d_View)& v, int x, int y, double threshold) {
        windowed(v)->StartRotation(x, y, threshold);
      }, pyb::arg("x"), pyb::arg("y"), pyb::arg("z_rotation_threshold") = 0.0)
      .def("Rotation", [](const Handle(V3d_View)& v, int x, int y) { windowed(v)->Rotation(x, y); },
           pyb::arg("x"), pyb::arg("y"))
      .def("Pan", [](const Handle(V3d_View)& v, int dx, int dy, double zoom, bool start) {
        windowed(v)->Pan(dx, dy, zoom, start);
      }, pyb::arg("dx"), pyb::arg("dy"), pyb::arg("zoom_factor") = 1.0, pyb::arg("start") = true)
      .def("SetZoom", &V3d_View::SetZoom, pyb::arg("coef"), pyb::arg("start") = true)
      .def("Scale", [](const V3d_View& v) { return v.Scale(); })
      .def("SetBackgroundColor", pyb::overload_cast<const Quantity_Color&>(&V3d_View::SetBackgroundColor),
           pyb::arg("color"))
      .def("BackgroundColor", pyb::overload_cast<>(&V3d_View::BackgroundColor, pyb::const_))
      .def("SetBgGradientColors", &V3d_View::SetBgGradientColors, pyb::arg("color1"), pyb::arg("color2"),
           pyb::arg("method") = Aspect_GradientFillMethod_Horizontal, pyb::arg("update") = false)
      .def("GradientBackground", [](const V3d_View& v) {
        Quantity_Color c1, c2;
        Aspect_GradientBackground g = v.GradientBackground();
        g.Colors(c1, c2);
        return pyb::make_tuple(c1, c2, g.BgGradientFillMethod());
      })
      .def("TriedronDisplay",
           [](V3d_View& v, Aspect_TypeOfTriedronPosition pos, const Quantity_Color& color, double scale,
              V3d_TypeOfVisualization mode) {
             // The trihedron is laid out from the scale; a zero, negative or non-finite one crashes it.
             if (!(std::isfinite(scale) && scale > 0.0))
               throw Standard_OutOfRange("V3d_View::TriedronDisplay: the scale must be positive and finite");
             v.TriedronDisplay(pos, color, scale, mode);
           },
           pyb::arg("position") = Aspect_TOTP_CENTER,
           pyb::arg("color") = Quantity_Color(Quantity_NOC_WHITE), pyb::arg("scale") = 0.02,
           pyb::arg("mode") = V3d_WIREFRAME)
      .def("TriedronErase", &V3d_View::TriedronErase)
      .def("Dump", [](const Handle(V3d_View)& v, const std::string& path) {
        if (path.empty()) throw Standard_ProgramError("V3d_View::Dump: empty file name");
        return windowed(v)->Dump(path.c_str());
      }, pyb::arg("file"));

  pyb::class_<AIS_InteractiveContext, Handle(AIS_InteractiveContext)>(m, "AIS_InteractiveContext")
      .def(pyb::init([](const Handle(V3d_Viewer)& v) {
             return Handle(AIS_InteractiveContext)(new AIS_InteractiveContext(req(v, "the viewer")));
           }),
           pyb::arg("viewer"))
      .def("Display",
           [](AIS_InteractiveContext& c, const Handle(AIS_InteractiveObject)& o, bool update) {
             c.Display(req(o, "the object"), update);
           },
           pyb::arg("obj"), pyb::arg("update"))
      .def("Display",
           [](AIS_InteractiveContext& c, const Handle(AIS_InteractiveObject)& o, int mode, int sel,
              bool update) { c.Display(req(o, "the object"), mode, sel, update); },
           pyb::arg("obj"), pyb::arg("display_mode"), pyb::arg("selection_mode"), pyb::arg("update"))
      .def("Redisplay",
           [](AIS_InteractiveContext& c, const Handle(AIS_InteractiveObject)& o, bool update, bool all) {
             c.Redisplay(req(o, "the object"), update, all);
           },
           pyb::arg("obj"), pyb::arg("update"), pyb::arg("all_modes") = false)
      .def("Erase",
           [](AIS_InteractiveContext& c, const Handle(AIS_InteractiveObject)& o, bool update) {
             c.Erase(req(o, "the object"), update);
           },
           pyb::arg("obj"), pyb::arg("update"))
      .def("Remove",
           [](AIS_InteractiveContext& c, const Handle(AIS_InteractiveObject)& o, bool update) {
             c.Remove(req(o, "the object"), update);
           },
           pyb::arg("obj"), pyb::arg("update"))
      .def("RemoveAll", &AIS_InteractiveContext::RemoveAll, pyb::arg("update"))
      .def("IsDisplayed",
           [](const AIS_InteractiveContext& c, const Handle(AIS_InteractiveObject)& o) {
             return c.IsDisplayed(req(o, "the object"));
           },
           pyb::arg("obj"))
      .def("DisplayedObjects", [](const AIS_InteractiveContext& c) {
        AIS_ListOfInteractive l;
        c.DisplayedObjects(l);
        std::vector<Handle(AIS_InteractiveObject)> out(l.begin(), l.end());
        return out;
      })
      .def("SetDisplayMode",
           pyb::overload_cast<const Standard_Integer, const Standard_Boolean>(
               &AIS_InteractiveContext::SetDisplayMode),
           pyb::arg("mode"), pyb::arg("update"))
      .def("DisplayMode", &AIS_InteractiveContext::DisplayMode)
      .def("UpdateCurrentViewer", &AIS_InteractiveContext::UpdateCurrentViewer)
      .def("ClearSelected", &AIS_InteractiveContext::ClearSelected, pyb::arg("update"))
      .def("AddOrRemoveSelected",
           [](AIS_InteractiveContext& c, const Handle(AIS_InteractiveObject)& o, bool update) {
             c.AddOrRemoveSelected(req(o, "the object"), update);
           },
           pyb::arg("obj"), pyb::arg("update"))
      .def("IsSelected",
           [](const AIS_InteractiveContext& c, const Handle(AIS_InteractiveObject)& o) {
             return c.IsSelected(req(o, "the object"));
           },
           pyb::arg("obj"))
      .def("NbSelected", &AIS_InteractiveContext::NbSelected)
      .def("InitSelected", &AIS_InteractiveContext::InitSelected)
      .def("MoreSelected", &AIS_InteractiveContext::MoreSelected)
      // The kernel's selection iterator dereferences its current entry without
      // checking: past the end (or with nothing selected) there is none.
      .def("NextSelected", [](AIS_InteractiveContext& c) {
        if (c.MoreSelected()) c.NextSelected();
      })
      .def("SelectedInteractive", [](const AIS_InteractiveContext& c) -> Handle(AIS_InteractiveObject) {
        if (!c.MoreSelected()) return {};
        return c.SelectedInteractive();
      })
      .def("SelectedShape", [](const AIS_InteractiveContext& c) {
        if (!c.MoreSelected()) return TopoDS_Shape();
        return c.SelectedShape();
      })
      .def("Activate", [](AIS_InteractiveContext& c, int mode, bool force) { c.Activate(mode, force); },
           pyb::arg("mode"), pyb::arg("force") = false)
      .def("Activate",
           [](AIS_InteractiveContext& c, const Handle(AIS_InteractiveObject)& o, int mode, bool force) {
             c.Activate(req(o, "the object"), mode, force);
           },
           pyb::arg("obj"), pyb::arg("mode") = 0, pyb::arg("force") = false)
      .def("Deactivate", [](AIS_InteractiveContext& c) { c.Deactivate(); })
      .def("Deactivate",
           [](AIS_InteractiveContext& c, const Handle(AIS_InteractiveObject)& o) {
             c.Deactivate(req(o, "the object"));
           },
           pyb::arg("obj"))
      .def("MoveTo",
           [](AIS_InteractiveContext& c, int x, int y, const Handle(V3d_View)& v, bool update) {
             if (windowed(v)->Viewer() != c.CurrentViewer())
               throw Standard_ProgramError("AIS_InteractiveContext::MoveTo: the view belongs to another viewer");
             return static_cast<int>(c.MoveTo(x, y, v, update));
           },
           pyb::arg("x"), pyb::arg("y"), pyb::arg("view"), pyb::arg("update"))
      .def("HasDetected", &AIS_InteractiveContext::HasDetected)
      .def("DetectedInteractive", [](const AIS_InteractiveContext& c) -> Handle(AIS_InteractiveObject) {
        if (!c.HasDetected()) return {};
        return c.DetectedInteractive();
      })
      // The sub-shape (or whole shape) of the detected owner; None when none.
      .def("DetectedShape", [](const AIS_InteractiveContext& c) -> nimbal::py::typed<nimbal::py::shape_or_none_name> {
        if (!c.HasDetected()) return pyb::none();
        auto o = Handle(StdSelect_BRepOwner)::DownCast(c.DetectedOwner());
        if (o.IsNull() || !o->HasShape()) return pyb::none();
        return nimbal::py::shape_or_none(o->Shape().Located(o->Location() * o->Shape().Location()));
      })
      .def("HighlightStyle",
           [](const AIS_InteractiveContext& c, Prs3d_TypeOfHighlight t) -> Handle(Prs3d_Drawer) {
             if (t < 0 || t >= Prs3d_TypeOfHighlight_NB) return {};
             return c.HighlightStyle(t);
           },
           pyb::arg("type"))
      .def("SetToHilightSelected", &AIS_InteractiveContext::SetToHilightSelected, pyb::arg("enable"))
      .def("ToHilightSelected", &AIS_InteractiveContext::ToHilightSelected);
}

}  // namespace

// Called from the kernel module's init.
void nimbal_bind_kernel_viewer(pyb::module_& m) {
  bind_enums(m);
  bind_color(m);
  bind_drawer(m);
  bind_objects(m);
  bind_viewer(m);
}
