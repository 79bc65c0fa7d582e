// nimbal.kernel, viewer part: the objects a host creates to show shapes
// (display connection, graphic driver, viewer, view, offscreen window,
// interactive context, presentations) and the enumerations their methods
// take. Names and call forms follow the kernel's own; out-parameters come
// back as tuples. The checks before calls the kernel would answer with a
// null dereference (no window, a None object) are the core's.
#include "nimbal_py/viewer.hpp"

#include <AIS_DisplayMode.hxx>

#include "nimbal/kernel_viewer.hpp"
#include "nimbal_py/convert.hpp"
#include "nimbal_py/define.hpp"
#include "kernel_docs.hpp"

namespace pyb = pybind11;
namespace k = nimbal::kernel;

namespace doc = nimbal::py::kernel::doc;
using nimbal::py::as_constructor;
using nimbal::py::def;
using nimbal::py::made;
using nimbal::py::tupled;

namespace {

void bind_enums(pyb::module_& m) {
  NIMBAL_PY_KERNEL_ENUM(m, Quantity_TypeOfColor, Quantity_TOC_RGB, Quantity_TOC_sRGB, Quantity_TOC_HLS,
                        Quantity_TOC_CIELab, Quantity_TOC_CIELch);
  NIMBAL_PY_KERNEL_ENUM(m, Quantity_NameOfColor, Quantity_NOC_BLACK, Quantity_NOC_WHITE, Quantity_NOC_RED,
                        Quantity_NOC_GREEN, Quantity_NOC_BLUE1, Quantity_NOC_CYAN1, Quantity_NOC_YELLOW,
                        Quantity_NOC_GRAY);
  NIMBAL_PY_KERNEL_ENUM(m, Aspect_TypeOfTriedronPosition, Aspect_TOTP_CENTER, Aspect_TOTP_TOP, Aspect_TOTP_BOTTOM,
                        Aspect_TOTP_LEFT, Aspect_TOTP_RIGHT, Aspect_TOTP_LEFT_LOWER, Aspect_TOTP_LEFT_UPPER,
                        Aspect_TOTP_RIGHT_LOWER, Aspect_TOTP_RIGHT_UPPER);
  NIMBAL_PY_KERNEL_ENUM(m, V3d_TypeOfVisualization, V3d_WIREFRAME, V3d_ZBUFFER);
  NIMBAL_PY_KERNEL_ENUM(m, Aspect_GradientFillMethod, Aspect_GradientFillMethod_None,
                        Aspect_GradientFillMethod_Horizontal, Aspect_GradientFillMethod_Vertical,
                        Aspect_GradientFillMethod_Diagonal1, Aspect_GradientFillMethod_Diagonal2,
                        Aspect_GradientFillMethod_Corner1, Aspect_GradientFillMethod_Corner2,
                        Aspect_GradientFillMethod_Corner3, Aspect_GradientFillMethod_Corner4,
                        Aspect_GradientFillMethod_Elliptical);
  NIMBAL_PY_KERNEL_ENUM(m, Aspect_TypeOfLine, Aspect_TOL_EMPTY, Aspect_TOL_SOLID, Aspect_TOL_DASH, Aspect_TOL_DOT,
                        Aspect_TOL_DOTDASH, Aspect_TOL_USERDEFINED);
  NIMBAL_PY_KERNEL_ENUM(m, Prs3d_TypeOfHighlight, Prs3d_TypeOfHighlight_None, Prs3d_TypeOfHighlight_Selected,
                        Prs3d_TypeOfHighlight_Dynamic, Prs3d_TypeOfHighlight_LocalSelected,
                        Prs3d_TypeOfHighlight_LocalDynamic, Prs3d_TypeOfHighlight_SubIntensity);
  NIMBAL_PY_KERNEL_ENUM(m, AIS_DisplayMode, AIS_WireFrame, AIS_Shaded);
}

void bind_color(pyb::module_& m) {
  pyb::class_<Quantity_Color> color(m, "Quantity_Color", doc::color::cls);
  def(color, "__init__", made<Quantity_Color>, as_constructor);
  def(color, "__init__", made<Quantity_Color, Quantity_NameOfColor>, as_constructor, pyb::arg("name"));
  def(color, "__init__", &k::color, as_constructor, pyb::arg("r"), pyb::arg("g"), pyb::arg("b"), pyb::arg("type"));
  def(color, "Red", &Quantity_Color::Red, doc::color::Red);
  def(color, "Green", &Quantity_Color::Green, doc::color::Green);
  def(color, "Blue", &Quantity_Color::Blue, doc::color::Blue);
  def(color, "Values", tupled<&k::values>, pyb::arg("type"), doc::color::Values);
  def(color, "IsEqual", &Quantity_Color::IsEqual, pyb::arg("other"), doc::color::IsEqual);
  color.def("__eq__", &Quantity_Color::IsEqual, pyb::is_operator());
  def(color, "__repr__", pyb::overload_cast<const Quantity_Color&>(&k::describe));
}

void bind_drawer(pyb::module_& m) {
  pyb::class_<Prs3d_LineAspect, Handle(Prs3d_LineAspect)> aspect(m, "Prs3d_LineAspect", doc::line_aspect::cls);
  def(aspect, "__init__", made<Prs3d_LineAspect, Quantity_Color, Aspect_TypeOfLine, double>, as_constructor,
      pyb::arg("color"), pyb::arg("type"), pyb::arg("width"));
  def(aspect, "SetColor", &Prs3d_LineAspect::SetColor, pyb::arg("color"), doc::line_aspect::SetColor);
  def(aspect, "SetTypeOfLine", &Prs3d_LineAspect::SetTypeOfLine, pyb::arg("type"), doc::line_aspect::SetTypeOfLine);
  def(aspect, "SetWidth", &Prs3d_LineAspect::SetWidth, pyb::arg("width"), doc::line_aspect::SetWidth);
  def(aspect, "Color", &k::line_color, doc::line_aspect::Color);
  def(aspect, "Type", &k::line_type, doc::line_aspect::Type);
  def(aspect, "Width", &k::line_width, doc::line_aspect::Width);

  pyb::class_<Prs3d_Drawer, Handle(Prs3d_Drawer)> drawer(m, "Prs3d_Drawer", doc::drawer::cls);
  def(drawer, "__init__", made<Prs3d_Drawer>, as_constructor);
  def(drawer, "SetFaceBoundaryDraw", &Prs3d_Drawer::SetFaceBoundaryDraw, pyb::arg("enable"),
      doc::drawer::SetFaceBoundaryDraw);
  def(drawer, "FaceBoundaryDraw", &Prs3d_Drawer::FaceBoundaryDraw, doc::drawer::FaceBoundaryDraw);
  def(drawer, "SetFaceBoundaryAspect", &k::set_face_boundary_aspect, pyb::arg("aspect"),
      doc::drawer::SetFaceBoundaryAspect);
  def(drawer, "FaceBoundaryAspect", &Prs3d_Drawer::FaceBoundaryAspect, doc::drawer::FaceBoundaryAspect);
  def(drawer, "SetColor", &Prs3d_Drawer::SetColor, pyb::arg("color"), doc::drawer::SetColor);
  def(drawer, "Color", &Prs3d_Drawer::Color, doc::drawer::Color);
  def(drawer, "Transparency", &Prs3d_Drawer::Transparency, doc::drawer::Transparency);
}

void bind_objects(pyb::module_& m) {
  using Object = AIS_InteractiveObject;
  pyb::class_<Object, Handle(Object)> object(m, "AIS_InteractiveObject", doc::object::cls);
  object.def("__eq__", &nimbal::py::same_object<Object>, pyb::is_operator());
  def(object, "__hash__", &nimbal::py::object_hash<Object>);
  def(object, "SetColor", &Object::SetColor, pyb::arg("color"), doc::object::SetColor);
  def(object, "Color", &k::object_color, doc::object::Color);
  def(object, "HasColor", &Object::HasColor, doc::object::HasColor);
  def(object, "UnsetColor", &Object::UnsetColor, doc::object::UnsetColor);
  def(object, "SetWidth", &Object::SetWidth, pyb::arg("width"), doc::object::SetWidth);
  def(object, "Width", &Object::Width, doc::object::Width);
  def(object, "SetTransparency", &Object::SetTransparency, pyb::arg("value") = 0.6, doc::object::SetTransparency);
  def(object, "Transparency", &Object::Transparency, doc::object::Transparency);
  def(object, "UnsetTransparency", &Object::UnsetTransparency, doc::object::UnsetTransparency);
  def(object, "Attributes", &Object::Attributes, doc::object::Attributes);
  def(object, "SetAttributes", &k::set_attributes, pyb::arg("drawer"), doc::object::SetAttributes);
  def(object, "DisplayMode", &Object::DisplayMode, doc::object::DisplayMode);
  def(object, "HasInteractiveContext", &Object::HasInteractiveContext, doc::object::HasInteractiveContext);

  pyb::class_<AIS_Shape, Object, Handle(AIS_Shape)> shape(m, "AIS_Shape", doc::ais_shape::cls);
  def(shape, "__init__", made<AIS_Shape, TopoDS_Shape>, as_constructor, pyb::arg("shape"));
  def(shape, "Shape", nimbal::py::kernel_shape<&AIS_Shape::Shape>, doc::ais_shape::Shape);
  def(shape, "SetShape", &AIS_Shape::SetShape, pyb::arg("shape"), doc::ais_shape::SetShape);
}

void bind_windows(pyb::module_& m) {
  pyb::class_<Aspect_DisplayConnection, Handle(Aspect_DisplayConnection)> display(m, "Aspect_DisplayConnection",
                                                                                  doc::display_connection);
  def(display, "__init__", made<Aspect_DisplayConnection>, as_constructor);
  def(display, "__init__", &k::display_connection, as_constructor, pyb::arg("display_name"));

  pyb::class_<Graphic3d_GraphicDriver, Handle(Graphic3d_GraphicDriver)>(m, "Graphic3d_GraphicDriver", doc::graphic_driver);
  pyb::class_<OpenGl_GraphicDriver, Graphic3d_GraphicDriver, Handle(OpenGl_GraphicDriver)> driver(
      m, "OpenGl_GraphicDriver", doc::opengl_driver);
  def(driver, "__init__", &k::graphic_driver, as_constructor, pyb::arg("display_connection"),
      pyb::arg("initialize") = true);

  pyb::class_<Aspect_Window, Handle(Aspect_Window)> window(m, "Aspect_Window", doc::window::cls);
  def(window, "Size", tupled<&k::window_size>, doc::window::Size);
  def(window, "IsVirtual", &Aspect_Window::IsVirtual, doc::window::IsVirtual);
  def(window, "SetVirtual", &Aspect_Window::SetVirtual, pyb::arg("virtual"), doc::window::SetVirtual);
  def(window, "Map", &Aspect_Window::Map, doc::window::Map);
  def(window, "IsMapped", &Aspect_Window::IsMapped, doc::window::IsMapped);
  pyb::class_<Xw_Window, Aspect_Window, Handle(Xw_Window)> x_window(m, "Xw_Window", doc::window::x_window);
  def(x_window, "__init__", &k::x_window, as_constructor, pyb::arg("display_connection"), pyb::arg("title"),
      pyb::arg("x"), pyb::arg("y"), pyb::arg("width"), pyb::arg("height"));
  // Over a window the host's toolkit made (Tk's winfo_id(), Qt's winId()):
  // the view draws into the host's widget, and MustBeResized reads the
  // widget's size again after the toolkit resized it.
  def(x_window, "__init__", &k::x_window_over, as_constructor, pyb::arg("display_connection"),
      pyb::arg("native_window_id"));
}

void bind_viewer(pyb::module_& m) {
  using Camera = Graphic3d_Camera;
  pyb::class_<Camera, Handle(Camera)> cam(m, "Graphic3d_Camera", doc::camera::cls);
  NIMBAL_PY_KERNEL_ENUM(cam, Camera::Projection, Camera::Projection_Orthographic, Camera::Projection_Perspective,
                        Camera::Projection_Stereo, Camera::Projection_MonoLeftEye, Camera::Projection_MonoRightEye);
  def(cam, "ProjectionType", &Camera::ProjectionType, doc::camera::ProjectionType);
  // Two definitions of one arity: pybind11 picks the one whose argument
  // loads (a member or a plain int), which our reading would not let it do.
  cam.def("SetProjectionType", &Camera::SetProjectionType, pyb::arg("projection"), doc::camera::SetProjectionType)
      .def("SetProjectionType", &k::set_projection_type, pyb::arg("projection"));
  def(cam, "IsOrthographic", &Camera::IsOrthographic, doc::camera::IsOrthographic);
  def(cam, "Scale", &Camera::Scale, doc::camera::Scale);
  def(cam, "SetScale", &Camera::SetScale, pyb::arg("scale"), doc::camera::SetScale);
  def(cam, "Direction", tupled<&Camera::Direction>, doc::camera::Direction);
  def(cam, "Up", tupled<&Camera::Up>, doc::camera::Up);
  def(cam, "Eye", tupled<&Camera::Eye>, doc::camera::Eye);
  def(cam, "Center", tupled<&Camera::Center>, doc::camera::Center);

  pyb::class_<V3d_Viewer, Handle(V3d_Viewer)> viewer(m, "V3d_Viewer", doc::viewer::cls);
  def(viewer, "__init__", &k::viewer, as_constructor, pyb::arg("driver"));
  // A view reaches its viewer through a plain pointer: the view keeps it alive.
  def(viewer, "CreateView", &V3d_Viewer::CreateView, pyb::keep_alive<0, 1>(), doc::viewer::CreateView);
  def(viewer, "SetDefaultLights", &V3d_Viewer::SetDefaultLights, doc::viewer::SetDefaultLights);
  def(viewer, "SetLightOn", pyb::overload_cast<>(&V3d_Viewer::SetLightOn), doc::viewer::SetLightOn);
  def(viewer, "Redraw", &V3d_Viewer::Redraw, doc::viewer::Redraw);
}

void bind_view(pyb::module_& m) {
  using View = V3d_View;
  pyb::class_<View, Handle(View)> view(m, "V3d_View", doc::view::cls);
  def(view, "SetWindow", &k::set_window, pyb::arg("window"), doc::view::SetWindow);
  def(view, "Window", &View::Window, doc::view::Window);
  def(view, "IfWindow", &View::IfWindow, doc::view::IfWindow);
  def(view, "Viewer", &View::Viewer, doc::view::Viewer);
  def(view, "Camera", &View::Camera, doc::view::Camera);
  def(view, "SetProj", pyb::overload_cast<double, double, double>(&View::SetProj), pyb::arg("vx"), pyb::arg("vy"),
      pyb::arg("vz"), doc::view::SetProj);
  def(view, "SetUp", pyb::overload_cast<double, double, double>(&View::SetUp), pyb::arg("vx"), pyb::arg("vy"),
      pyb::arg("vz"), doc::view::SetUp);
  def(view, "Proj", tupled<&k::projection>, doc::view::Proj);
  def(view, "Up", tupled<&k::up>, doc::view::Up);
  // Two arities: pybind11 picks the definition by the number of arguments.
  def(view, "Convert", tupled<&k::pixel_to_world>, pyb::arg("xp"), pyb::arg("yp"), doc::view::Convert);
  def(view, "Convert", tupled<&k::world_to_pixel>, pyb::arg("x"), pyb::arg("y"), pyb::arg("z"));
  def(view, "ConvertWithProj", tupled<&k::pixel_to_ray>, pyb::arg("xp"), pyb::arg("yp"), doc::view::ConvertWithProj);
  def(view, "FitAll", pyb::overload_cast<double, bool>(&View::FitAll), pyb::arg("margin") = 0.01,
      pyb::arg("update") = true, doc::view::FitAll);
  def(view, "ZFitAll", &View::ZFitAll, pyb::arg("scale_factor") = 1.0, doc::view::ZFitAll);
  def(view, "Redraw", &View::Redraw, doc::view::Redraw);
  def(view, "MustBeResized", &View::MustBeResized, doc::view::MustBeResized);
  def(view, "StartRotation", &k::start_rotation, pyb::arg("x"), pyb::arg("y"), pyb::arg("z_rotation_threshold") = 0.0,
      doc::view::StartRotation);
  def(view, "Rotation", &k::rotation, pyb::arg("x"), pyb::arg("y"), doc::view::Rotation);
  def(view, "Pan", &k::pan, pyb::arg("dx"), pyb::arg("dy"), pyb::arg("zoom_factor") = 1.0, pyb::arg("start") = true,
      doc::view::Pan);
  def(view, "SetZoom", &View::SetZoom, pyb::arg("coef"), pyb::arg("start") = true, doc::view::SetZoom);
  def(view, "Scale", pyb::overload_cast<>(&View::Scale, pyb::const_), doc::view::Scale);
  def(view, "SetBackgroundColor", pyb::overload_cast<const Quantity_Color&>(&View::SetBackgroundColor),
      pyb::arg("color"), doc::view::SetBackgroundColor);
  def(view, "BackgroundColor", pyb::overload_cast<>(&View::BackgroundColor, pyb::const_), doc::view::BackgroundColor);
  def(view, "SetBgGradientColors", &View::SetBgGradientColors, pyb::arg("color1"), pyb::arg("color2"),
      pyb::arg("method") = Aspect_GradientFillMethod_Horizontal, pyb::arg("update") = false,
      doc::view::SetBgGradientColors);
  def(view, "GradientBackground", tupled<&k::gradient_background>, doc::view::GradientBackground);
  def(view, "TriedronDisplay", &k::triedron_display, pyb::arg("position") = Aspect_TOTP_CENTER,
      pyb::arg("color") = Quantity_Color(Quantity_NOC_WHITE), pyb::arg("scale") = 0.02, pyb::arg("mode") = V3d_WIREFRAME,
      doc::view::TriedronDisplay);
  def(view, "TriedronErase", &View::TriedronErase, doc::view::TriedronErase);
  def(view, "Dump", &k::dump, pyb::arg("file"), doc::view::Dump);
}

void bind_context(pyb::module_& m) {
  using Context = AIS_InteractiveContext;
  pyb::class_<Context, Handle(Context)> context(m, "AIS_InteractiveContext", doc::context::cls);
  def(context, "__init__", &k::interactive_context, as_constructor, pyb::arg("viewer"));
  // Overloads of distinct arities below: pybind11 picks by the number of arguments.
  def(context, "Display", &k::display, pyb::arg("obj"), pyb::arg("update"), doc::context::Display);
  def(context, "Display", &k::display_in_modes, pyb::arg("obj"), pyb::arg("display_mode"), pyb::arg("selection_mode"),
      pyb::arg("update"));
  def(context, "Redisplay", &k::redisplay, pyb::arg("obj"), pyb::arg("update"), pyb::arg("all_modes") = false,
      doc::context::Redisplay);
  def(context, "Erase", &k::erase, pyb::arg("obj"), pyb::arg("update"), doc::context::Erase);
  def(context, "Remove", &k::remove, pyb::arg("obj"), pyb::arg("update"), doc::context::Remove);
  def(context, "RemoveAll", &Context::RemoveAll, pyb::arg("update"), doc::context::RemoveAll);
  def(context, "IsDisplayed", &k::is_displayed, pyb::arg("obj"), doc::context::IsDisplayed);
  def(context, "DisplayedObjects", &k::displayed_objects, doc::context::DisplayedObjects);
  def(context, "SetDisplayMode", pyb::overload_cast<int, bool>(&Context::SetDisplayMode), pyb::arg("mode"),
      pyb::arg("update"), doc::context::SetDisplayMode);
  def(context, "DisplayMode", &Context::DisplayMode, doc::context::DisplayMode);
  def(context, "UpdateCurrentViewer", &Context::UpdateCurrentViewer, doc::context::UpdateCurrentViewer);
  def(context, "ClearSelected", &Context::ClearSelected, pyb::arg("update"), doc::context::ClearSelected);
  def(context, "AddOrRemoveSelected", &k::add_or_remove_selected, pyb::arg("obj"), pyb::arg("update"),
      doc::context::AddOrRemoveSelected);
  def(context, "IsSelected", &k::is_selected, pyb::arg("obj"), doc::context::IsSelected);
  def(context, "NbSelected", &Context::NbSelected, doc::context::NbSelected);
  def(context, "InitSelected", &Context::InitSelected, doc::context::InitSelected);
  def(context, "MoreSelected", &Context::MoreSelected, doc::context::MoreSelected);
  def(context, "NextSelected", &k::next_selected, doc::context::NextSelected);
  def(context, "SelectedInteractive", &k::selected_interactive, doc::context::SelectedInteractive);
  def(context, "SelectedShape", nimbal::py::kernel_shape<&k::selected_shape>, doc::context::SelectedShape);
  // Two definitions whose arities overlap (a mode, or an object then a
  // mode): pybind11 picks the one whose arguments load.
  context.def("Activate", pyb::overload_cast<int, bool>(&Context::Activate), pyb::arg("mode"), pyb::arg("force") = false,
              doc::context::Activate)
      .def("Activate", &k::activate, pyb::arg("obj"), pyb::arg("mode") = 0, pyb::arg("force") = false);
  def(context, "Deactivate", pyb::overload_cast<>(&Context::Deactivate), doc::context::Deactivate);
  def(context, "Deactivate", &k::deactivate, pyb::arg("obj"));
  def(context, "MoveTo", &k::move_to, pyb::arg("x"), pyb::arg("y"), pyb::arg("view"), pyb::arg("update"),
      doc::context::MoveTo);
  def(context, "HasDetected", &Context::HasDetected, doc::context::HasDetected);
  def(context, "DetectedInteractive", &k::detected_interactive, doc::context::DetectedInteractive);
  def(context, "DetectedShape", &k::detected_shape, doc::context::DetectedShape);
  def(context, "HighlightStyle", &k::highlight_style, pyb::arg("type"), doc::context::HighlightStyle);
  def(context, "SetToHilightSelected", &Context::SetToHilightSelected, pyb::arg("enable"),
      doc::context::SetToHilightSelected);
  def(context, "ToHilightSelected", &Context::ToHilightSelected, doc::context::ToHilightSelected);
}

}  // namespace

// Called from the kernel module's init.
void nimbal_bind_kernel_viewer(pyb::module_& m) {
  bind_enums(m);
  bind_color(m);
  bind_drawer(m);
  bind_objects(m);
  bind_windows(m);
  bind_viewer(m);
  bind_view(m);
  bind_context(m);
}
