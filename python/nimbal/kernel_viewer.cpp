// nimbal.kernel, viewer part: the objects a host creates to show shapes
// (display connection, graphic driver, viewer, view, offscreen window,
// interactive context, presentations) and the enumerations their methods
// take. Names and call forms follow the kernel's own; out-parameters come
// back as tuples. The checks before calls the kernel would answer with a
// null dereference (no window, a None object) are the core's.
#include "nimbal_py/viewer.hpp"

#include <AIS_DisplayMode.hxx>
#include <Aspect_GradientFillMethod.hxx>
#include <Aspect_TypeOfLine.hxx>

#include "nimbal/kernel_viewer.hpp"

namespace pyb = pybind11;
namespace k = nimbal::kernel;

namespace {

pyb::tuple xyz(double x, double y, double z) { return pyb::make_tuple(x, y, z); }
pyb::tuple xyz(const gp_XYZ& p) { return xyz(p.X(), p.Y(), p.Z()); }

// A getter of three out-parameters, as a tuple.
template <class T, void (T::*Get)(double&, double&, double&) const>
pyb::tuple triple(const T& o) {
  double x, y, z;
  (o.*Get)(x, y, z);
  return xyz(x, y, z);
}

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
  pyb::class_<Quantity_Color>(m, "Quantity_Color", "A colour, stored as RGB components from 0 to 1.")
      .def(pyb::init<>())
      .def(pyb::init<Quantity_NameOfColor>(), pyb::arg("name"))
      .def(pyb::init(&k::color), pyb::arg("r"), pyb::arg("g"), pyb::arg("b"), pyb::arg("type"))
      .def("Red", &Quantity_Color::Red, "The red component, 0 to 1.")
      .def("Green", &Quantity_Color::Green, "The green component, 0 to 1.")
      .def("Blue", &Quantity_Color::Blue, "The blue component, 0 to 1.")
      .def("Values", [](const Quantity_Color& c, Quantity_TypeOfColor t) {
        double a, b, d;
        c.Values(a, b, d, t);
        return xyz(a, b, d);
      }, pyb::arg("type"), "The three components in the colour system type, as (a, b, c).")
      .def("IsEqual", &Quantity_Color::IsEqual, pyb::arg("other"), "Whether other is the same colour.")
      .def("__eq__", [](const Quantity_Color& a, const Quantity_Color& b) { return a.IsEqual(b); },
           pyb::is_operator())
      .def("__repr__", pyb::overload_cast<const Quantity_Color&>(&k::describe));
}

void bind_drawer(pyb::module_& m) {
  pyb::class_<Prs3d_LineAspect, Handle(Prs3d_LineAspect)>(m, "Prs3d_LineAspect", "How lines are drawn: colour, line type and width.")
      .def(pyb::init<const Quantity_Color&, Aspect_TypeOfLine, double>(), pyb::arg("color"), pyb::arg("type"), pyb::arg("width"))
      .def("SetColor", &Prs3d_LineAspect::SetColor, pyb::arg("color"), "Sets the line colour.")
      .def("SetTypeOfLine", &Prs3d_LineAspect::SetTypeOfLine, pyb::arg("type"), "Sets the line type (solid, dashed, ...).")
      .def("SetWidth", &Prs3d_LineAspect::SetWidth, pyb::arg("width"), "Sets the line width in pixels.")
      .def("Color", [](const Prs3d_LineAspect& a) { return a.Aspect()->Color(); }, "The line colour.")
      .def("Type", [](const Prs3d_LineAspect& a) { return a.Aspect()->Type(); }, "The line type.")
      .def("Width", [](const Prs3d_LineAspect& a) { return a.Aspect()->Width(); }, "The line width in pixels.");

  pyb::class_<Prs3d_Drawer, Handle(Prs3d_Drawer)>(m, "Prs3d_Drawer", "Drawing attributes of a presentation (colour, transparency, face boundaries).")
      .def(pyb::init<>())
      .def("SetFaceBoundaryDraw", &Prs3d_Drawer::SetFaceBoundaryDraw, pyb::arg("enable"), "Sets whether face boundaries are drawn.")
      .def("FaceBoundaryDraw", &Prs3d_Drawer::FaceBoundaryDraw, "Whether face boundaries are drawn.")
      .def("SetFaceBoundaryAspect", &k::set_face_boundary_aspect, pyb::arg("aspect"), "Sets how face boundaries are drawn.\n\nRaises KernelError when aspect is None.")
      .def("FaceBoundaryAspect", &Prs3d_Drawer::FaceBoundaryAspect, "How face boundaries are drawn (a Prs3d_LineAspect).")
      .def("SetColor", &Prs3d_Drawer::SetColor, pyb::arg("color"), "Sets the colour.")
      .def("Color", &Prs3d_Drawer::Color, "The colour.")
      .def("Transparency", &Prs3d_Drawer::Transparency, "The transparency, 0 (opaque) to 1.");
}

void bind_objects(pyb::module_& m) {
  pyb::class_<AIS_InteractiveObject, Handle(AIS_InteractiveObject)> io(m, "AIS_InteractiveObject", "An object a context can display and select.\n\nTwo Python objects of the same kernel object compare equal and hash alike.");
  same_object_semantics(io);
  io.def("SetColor", &AIS_InteractiveObject::SetColor, pyb::arg("color"), "Sets the object's colour (redrawn on its context's next update).")
      .def("Color", [](const AIS_InteractiveObject& o) {
        Quantity_Color c;
        o.Color(c);
        return c;
      }, "The object's colour.")
      .def("HasColor", &AIS_InteractiveObject::HasColor, "Whether a colour of its own is set.")
      .def("UnsetColor", &AIS_InteractiveObject::UnsetColor, "Drops the object's own colour.")
      .def("SetWidth", &AIS_InteractiveObject::SetWidth, pyb::arg("width"), "Sets the line width in pixels.")
      .def("Width", &AIS_InteractiveObject::Width, "The line width in pixels.")
      .def("SetTransparency", &AIS_InteractiveObject::SetTransparency, pyb::arg("value") = 0.6, "Sets the transparency, 0 (opaque) to 1.")
      .def("Transparency", &AIS_InteractiveObject::Transparency, "The transparency, 0 (opaque) to 1.")
      .def("UnsetTransparency", &AIS_InteractiveObject::UnsetTransparency, "Makes the object opaque again.")
      .def("Attributes", &AIS_InteractiveObject::Attributes, "The object's drawing attributes.")
      .def("SetAttributes", &k::set_attributes, pyb::arg("drawer"), "Replaces the object's drawing attributes.\n\nRaises KernelError when drawer is None.")
      .def("DisplayMode", &AIS_InteractiveObject::DisplayMode, "The object's own display mode (0 wireframe, 1 shaded).")
      .def("HasInteractiveContext", &AIS_InteractiveObject::HasInteractiveContext, "Whether the object is displayed in a context.");

  pyb::class_<AIS_Shape, AIS_InteractiveObject, Handle(AIS_Shape)>(m, "AIS_Shape", "The interactive presentation of a kernel shape.")
      .def(pyb::init<const TopoDS_Shape&>(), pyb::arg("shape"))
      .def("Shape", &AIS_Shape::Shape, "The presented shape.")
      .def("SetShape", &AIS_Shape::SetShape, pyb::arg("shape"), "Presents another shape (redrawn on Redisplay).");
}

void bind_viewer(pyb::module_& m) {
  pyb::class_<Aspect_DisplayConnection, Handle(Aspect_DisplayConnection)>(m, "Aspect_DisplayConnection", "A connection to an X display: the default one ($DISPLAY), or display_name.")
      .def(pyb::init<>())
      .def(pyb::init([](const std::string& name) {
             return Handle(Aspect_DisplayConnection)(new Aspect_DisplayConnection(name.c_str()));
           }),
           pyb::arg("display_name"));

  pyb::class_<Graphic3d_GraphicDriver, Handle(Graphic3d_GraphicDriver)>(m, "Graphic3d_GraphicDriver", "A graphic driver: what viewers draw with.");
  pyb::class_<OpenGl_GraphicDriver, Graphic3d_GraphicDriver, Handle(OpenGl_GraphicDriver)>(
      m, "OpenGl_GraphicDriver", "The OpenGL graphic driver on a display connection.\n\nWithout an open connection (or with initialize False) the driver is not initialised and views of it cannot draw.")
      .def(pyb::init(&k::graphic_driver), pyb::arg("display_connection"), pyb::arg("initialize") = true);

  pyb::class_<Aspect_Window, Handle(Aspect_Window)>(m, "Aspect_Window", "A window a view draws into.")
      .def("Size", [](const Aspect_Window& w) {
        int x = 0, y = 0;
        w.Size(x, y);
        return pyb::make_tuple(x, y);
      }, "(width, height) in pixels.")
      .def("IsVirtual", &Aspect_Window::IsVirtual, "Whether the window is offscreen (never mapped).")
      .def("SetVirtual", &Aspect_Window::SetVirtual, pyb::arg("virtual"), "Sets whether the window is offscreen; set it before the window is used.")
      .def("Map", &Aspect_Window::Map, "Shows the window on the display.")
      .def("IsMapped", &Aspect_Window::IsMapped, "Whether the window is shown.");
  pyb::class_<Xw_Window, Aspect_Window, Handle(Xw_Window)>(m, "Xw_Window", "An X11 window on a display connection.\n\nRaises KernelError when the connection is None or not open, or the size is not 1 to 16384 pixels.")
      .def(pyb::init(&k::x_window), pyb::arg("display_connection"), pyb::arg("title"), pyb::arg("x"), pyb::arg("y"),
           pyb::arg("width"), pyb::arg("height"))
      // Over a window the host's toolkit made (Tk's winfo_id(), Qt's winId()):
      // the view draws into the host's widget, and MustBeResized reads the
      // widget's size again after the toolkit resized it.
      .def(pyb::init(&k::x_window_over), pyb::arg("display_connection"), pyb::arg("native_window_id"));

  pyb::class_<Graphic3d_Camera, Handle(Graphic3d_Camera)> cam(m, "Graphic3d_Camera", "A view's camera.");
  pyb::enum_<Graphic3d_Camera::Projection>(cam, "Projection")
      .value("Projection_Orthographic", Graphic3d_Camera::Projection_Orthographic)
      .value("Projection_Perspective", Graphic3d_Camera::Projection_Perspective)
      .value("Projection_Stereo", Graphic3d_Camera::Projection_Stereo)
      .value("Projection_MonoLeftEye", Graphic3d_Camera::Projection_MonoLeftEye)
      .value("Projection_MonoRightEye", Graphic3d_Camera::Projection_MonoRightEye)
      .export_values();
  cam.def("ProjectionType", &Graphic3d_Camera::ProjectionType, "The projection (orthographic, perspective, ...).")
      .def("SetProjectionType", &Graphic3d_Camera::SetProjectionType, pyb::arg("projection"), "Sets the projection.")
      .def("SetProjectionType", &k::set_projection_type, pyb::arg("projection"))
      .def("IsOrthographic", &Graphic3d_Camera::IsOrthographic, "Whether the projection is orthographic.")
      .def("Scale", &Graphic3d_Camera::Scale, "The camera's scale (the view height in model units for orthographic projection).")
      .def("SetScale", &Graphic3d_Camera::SetScale, pyb::arg("scale"), "Sets the camera's scale.")
      .def("Direction", [](const Graphic3d_Camera& c) { return xyz(c.Direction().XYZ()); }, "The unit direction the camera looks in, (x, y, z).")
      .def("Up", [](const Graphic3d_Camera& c) { return xyz(c.Up().XYZ()); }, "The camera's up direction, (x, y, z).")
      .def("Eye", [](const Graphic3d_Camera& c) { return xyz(c.Eye().XYZ()); }, "The eye position, (x, y, z).")
      .def("Center", [](const Graphic3d_Camera& c) { return xyz(c.Center().XYZ()); }, "The point looked at, (x, y, z).");

  pyb::class_<V3d_Viewer, Handle(V3d_Viewer)>(m, "V3d_Viewer", "A viewer: the views, lights and objects of one graphic driver.\n\nRaises KernelError when the driver is None.")
      .def(pyb::init(&k::viewer), pyb::arg("driver"))
      // A view reaches its viewer through a plain pointer: the view keeps it alive.
      .def("CreateView", &V3d_Viewer::CreateView, pyb::keep_alive<0, 1>(), "A new view of this viewer (without a window until SetWindow); it keeps the viewer alive.")
      .def("SetDefaultLights", &V3d_Viewer::SetDefaultLights, "Gives the viewer the default ambient and directional lights.")
      .def("SetLightOn", pyb::overload_cast<>(&V3d_Viewer::SetLightOn), "Switches every defined light on.")
      .def("Redraw", &V3d_Viewer::Redraw, "Redraws every view of the viewer.");

  pyb::class_<V3d_View, Handle(V3d_View)>(m, "V3d_View", "A view: a camera looking at a viewer's objects, drawn into a window.")
      .def("SetWindow", &k::set_window, pyb::arg("window"), "Makes the view draw into window.\n\nRaises KernelError when window is None.")
      .def("Window", &V3d_View::Window, "The view's window.\n\nRaises KernelError when it has none.")
      .def("IfWindow", &V3d_View::IfWindow, "Whether the view has a window.")
      .def("Viewer", &V3d_View::Viewer, "The viewer the view belongs to.")
      .def("Camera", &V3d_View::Camera, "The view's camera.")
      .def("SetProj", pyb::overload_cast<double, double, double>(&V3d_View::SetProj), pyb::arg("vx"),
           pyb::arg("vy"), pyb::arg("vz"), "Looks along the direction from (vx, vy, vz) towards the centre.")
      .def("SetUp", pyb::overload_cast<double, double, double>(&V3d_View::SetUp), pyb::arg("vx"),
           pyb::arg("vy"), pyb::arg("vz"), "Sets the up direction of the view.")
      .def("Proj", &triple<V3d_View, &V3d_View::Proj>, "The projection direction, (x, y, z).")
      .def("Up", &triple<V3d_View, &V3d_View::Up>, "The up direction, (x, y, z).")
      .def("Convert", [](const Handle(V3d_View)& v, int xp, int yp) { return xyz(k::pixel_to_world(v, xp, yp)); },
           pyb::arg("xp"), pyb::arg("yp"), "Pixel (xp, yp) to a world point (x, y, z), or world point (x, y, z) to a pixel (xp, yp).\n\nRaises KernelError when the view has no window.")
      .def("Convert", [](const Handle(V3d_View)& v, double x, double y, double z) {
        auto [xp, yp] = k::world_to_pixel(v, x, y, z);
        return pyb::make_tuple(xp, yp);
      }, pyb::arg("x"), pyb::arg("y"), pyb::arg("z"))
      .def("ConvertWithProj", [](const Handle(V3d_View)& v, int xp, int yp) {
        auto [p, d] = k::pixel_to_ray(v, xp, yp);
        return pyb::make_tuple(p.X(), p.Y(), p.Z(), d.X(), d.Y(), d.Z());
      }, pyb::arg("xp"), pyb::arg("yp"), "Pixel (xp, yp) to (x, y, z, vx, vy, vz): the world point and the projection direction through it.\n\nRaises KernelError when the view has no window.")
      .def("FitAll", [](V3d_View& v, double margin, bool update) { v.FitAll(margin, update); },
           pyb::arg("margin") = 0.01, pyb::arg("update") = true, "Frames every displayed object, leaving margin around them.")
      .def("ZFitAll", [](const V3d_View& v, double f) { v.ZFitAll(f); }, pyb::arg("scale_factor") = 1.0, "Fits the depth range to the displayed objects.")
      .def("Redraw", &V3d_View::Redraw, "Redraws the view.")
      .def("MustBeResized", &V3d_View::MustBeResized, "Adapts the view to its window's new size.")
      .def("StartRotation", &k::start_rotation, pyb::arg("x"), pyb::arg("y"), pyb::arg("z_rotation_threshold") = 0.0, "Starts a rotation by the mouse at pixel (x, y).\n\nRaises KernelError when the view has no window.")
      .def("Rotation", &k::rotation, pyb::arg("x"), pyb::arg("y"), "Continues the rotation started by StartRotation to pixel (x, y).\n\nRaises KernelError when the view has no window.")
      .def("Pan", &k::pan, pyb::arg("dx"), pyb::arg("dy"), pyb::arg("zoom_factor") = 1.0, pyb::arg("start") = true, "Moves the view by (dx, dy) pixels at the zoom factor.\n\nRaises KernelError when the view has no window.")
      .def("SetZoom", &V3d_View::SetZoom, pyb::arg("coef"), pyb::arg("start") = true, "Zooms by coef (relative to the start of the zoom when start is False).")
      .def("Scale", [](const V3d_View& v) { return v.Scale(); }, "The view's scale.")
      .def("SetBackgroundColor", pyb::overload_cast<const Quantity_Color&>(&V3d_View::SetBackgroundColor),
           pyb::arg("color"), "Sets a plain background colour.")
      .def("BackgroundColor", pyb::overload_cast<>(&V3d_View::BackgroundColor, pyb::const_), "The plain background colour.")
      .def("SetBgGradientColors", &V3d_View::SetBgGradientColors, pyb::arg("color1"), pyb::arg("color2"),
           pyb::arg("method") = Aspect_GradientFillMethod_Horizontal, pyb::arg("update") = false, "Sets a gradient background from color1 to color2 by the fill method.")
      .def("GradientBackground", [](const V3d_View& v) {
        Quantity_Color c1, c2;
        Aspect_GradientBackground g = v.GradientBackground();
        g.Colors(c1, c2);
        return pyb::make_tuple(c1, c2, g.BgGradientFillMethod());
      }, "(color1, color2, method) of the gradient background.")
      .def("TriedronDisplay", &k::triedron_display, pyb::arg("position") = Aspect_TOTP_CENTER,
           pyb::arg("color") = Quantity_Color(Quantity_NOC_WHITE), pyb::arg("scale") = 0.02,
           pyb::arg("mode") = V3d_WIREFRAME, "Shows the axis trihedron at a corner of the view.\n\nRaises KernelError when the scale is not positive and finite.")
      .def("TriedronErase", &V3d_View::TriedronErase, "Hides the axis trihedron.")
      .def("Dump", &k::dump, pyb::arg("file"), "Writes the view's image to file (the format from its suffix); True on success.\n\nRaises KernelError when the view has no window. Raises KernelError for an empty file name too.");

  pyb::class_<AIS_InteractiveContext, Handle(AIS_InteractiveContext)>(m, "AIS_InteractiveContext", "Displays and selects interactive objects in one viewer.\n\nRaises KernelError when the viewer is None.")
      .def(pyb::init(&k::interactive_context), pyb::arg("viewer"))
      .def("Display", &k::display, pyb::arg("obj"), pyb::arg("update"), "Displays obj (in the display mode and selection mode when given); update redraws the viewer.\n\nRaises KernelError when obj is None.")
      .def("Display", &k::display_in_modes, pyb::arg("obj"), pyb::arg("display_mode"), pyb::arg("selection_mode"), pyb::arg("update"))
      .def("Redisplay", &k::redisplay, pyb::arg("obj"), pyb::arg("update"), pyb::arg("all_modes") = false, "Recomputes obj's presentation after a change.\n\nRaises KernelError when obj is None.")
      .def("Erase", &k::erase, pyb::arg("obj"), pyb::arg("update"), "Hides obj, keeping it in the context.\n\nRaises KernelError when obj is None.")
      .def("Remove", &k::remove, pyb::arg("obj"), pyb::arg("update"), "Takes obj out of the context.\n\nRaises KernelError when obj is None.")
      .def("RemoveAll", &AIS_InteractiveContext::RemoveAll, pyb::arg("update"), "Takes every object out of the context.")
      .def("IsDisplayed", &k::is_displayed, pyb::arg("obj"), "Whether obj is displayed.\n\nRaises KernelError when obj is None.")
      .def("DisplayedObjects", &k::displayed_objects, "Every displayed object.")
      .def("SetDisplayMode",
           pyb::overload_cast<const Standard_Integer, const Standard_Boolean>(
               &AIS_InteractiveContext::SetDisplayMode),
           pyb::arg("mode"), pyb::arg("update"), "Sets the context's default display mode (or obj's own).")
      .def("DisplayMode", &AIS_InteractiveContext::DisplayMode, "The context's default display mode.")
      .def("UpdateCurrentViewer", &AIS_InteractiveContext::UpdateCurrentViewer, "Redraws the viewer.")
      .def("ClearSelected", &AIS_InteractiveContext::ClearSelected, pyb::arg("update"), "Empties the selection.")
      .def("AddOrRemoveSelected", &k::add_or_remove_selected, pyb::arg("obj"), pyb::arg("update"), "Selects obj, or deselects it when it is selected.\n\nRaises KernelError when obj is None.")
      .def("IsSelected", &k::is_selected, pyb::arg("obj"), "Whether obj is selected.\n\nRaises KernelError when obj is None.")
      .def("NbSelected", &AIS_InteractiveContext::NbSelected, "Number of selected owners.")
      .def("InitSelected", &AIS_InteractiveContext::InitSelected, "Starts an iteration over the selection.")
      .def("MoreSelected", &AIS_InteractiveContext::MoreSelected, "Whether the iteration has a current owner.")
      .def("NextSelected", &k::next_selected, "Moves the iteration to the next owner (nothing past the end).")
      .def("SelectedInteractive", &k::selected_interactive, "The object of the current owner, or None.")
      .def("SelectedShape", &k::selected_shape, "The shape of the current owner (its sub-shape for a sub-shape selection), or None.")
      .def("Activate", [](AIS_InteractiveContext& c, int mode, bool force) { c.Activate(mode, force); },
           pyb::arg("mode"), pyb::arg("force") = false, "Activates a selection mode, for every object or for obj.")
      .def("Activate", &k::activate, pyb::arg("obj"), pyb::arg("mode") = 0, pyb::arg("force") = false)
      .def("Deactivate", [](AIS_InteractiveContext& c) { c.Deactivate(); }, "Deactivates the selection modes, of every object or of obj.")
      .def("Deactivate", &k::deactivate, pyb::arg("obj"))
      .def("MoveTo", &k::move_to, pyb::arg("x"), pyb::arg("y"), pyb::arg("view"), pyb::arg("update"), "Detects what lies under pixel (x, y) of view and highlights it; returns the detection status.\n\nRaises KernelError when the view has no window or belongs to another viewer.")
      .def("HasDetected", &AIS_InteractiveContext::HasDetected, "Whether the last MoveTo detected something.")
      .def("DetectedInteractive", &k::detected_interactive, "The detected object, or None.")
      .def("DetectedShape", [](const AIS_InteractiveContext& c) { return nimbal::py::shape_or_none(k::detected_shape(c)); },
           "The detected sub-shape (or whole shape), placed, or None.")
      .def("HighlightStyle", &k::highlight_style, pyb::arg("type"), "The drawer of a highlight kind (dynamic, selected, ...), or None for a kind out of range.")
      .def("SetToHilightSelected", &AIS_InteractiveContext::SetToHilightSelected, pyb::arg("enable"), "Sets whether hovering highlights selected objects too.")
      .def("ToHilightSelected", &AIS_InteractiveContext::ToHilightSelected, "Whether hovering highlights selected objects too.");
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
