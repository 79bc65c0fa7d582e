#include "nimbal/kernel_viewer.hpp"

#include <cmath>

#include <AIS_ListOfInteractive.hxx>
#include <OpenGl_Context.hxx>
#include <OpenGl_View.hxx>
#include <OpenGl_Window.hxx>
#include <Standard_OutOfRange.hxx>
#include <Standard_ProgramError.hxx>
#include <StdSelect_BRepOwner.hxx>
#include <V3d_UnMapped.hxx>

namespace nimbal::kernel {

// In kernel_x11.cpp: Xlib's macros (None, Status, Bool) clash with the kernel's names.
bool x_window_size(void* display, unsigned long window, int& width, int& height);

namespace {

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

void* open_display(const Handle(Aspect_DisplayConnection)& d) {
  void* display = required(d, "the display connection")->GetDisplayAspect();
  if (display == nullptr) throw Standard_ProgramError("Xw_Window: the display connection is not open");
  return display;
}

// Past what an offscreen buffer holds, drawing falls back to one X request
// too big for the connection, and Xlib/xcb end the process.
void drawable_size(int w, int h) {
  if (w > 16384 || h > 16384) throw Standard_ProgramError("Xw_Window: the size must be at most 16384");
}

// Pixel conversions, rotations, pans, detection and images read the view's
// window; without one the kernel dereferences null.
const Handle(V3d_View)& windowed(const Handle(V3d_View)& v) {
  required(v, "the view");
  if (v->Window().IsNull()) throw V3d_UnMapped("the view has no window");
  return v;
}

const Handle(AIS_InteractiveObject)& object(const Handle(AIS_InteractiveObject)& o) {
  return required(o, "the object");
}

}  // namespace

Handle(Aspect_DisplayConnection) display_connection(const std::string& display_name) {
  return new Aspect_DisplayConnection(display_name.c_str());
}

Handle(OpenGl_GraphicDriver) graphic_driver(const Handle(Aspect_DisplayConnection)& display, bool initialize) {
  return new GlDriver(display, initialize && !display.IsNull());
}

Handle(Xw_Window) x_window(const Handle(Aspect_DisplayConnection)& display, const std::string& title, int x, int y,
                           int width, int height) {
  open_display(display);
  if (width <= 0 || height <= 0) throw Standard_ProgramError("Xw_Window: the size must be positive");
  drawable_size(width, height);
  return new Xw_Window(display, title.c_str(), x, y, width, height);
}

Handle(Xw_Window) x_window_over(const Handle(Aspect_DisplayConnection)& display, unsigned long native_window_id) {
  int w = 0, h = 0;
  if (!x_window_size(open_display(display), native_window_id, w, h))
    throw Standard_ProgramError(
        "Xw_Window: no such window on the display connection (a toolkit's window must be mapped first, "
        "e.g. by update() in Tk)");
  drawable_size(w, h);
  return new Xw_Window(display, static_cast<Aspect_Drawable>(native_window_id));
}

Quantity_Color color(double r, double g, double b, Quantity_TypeOfColor type) {
  // The kernel raises for components outside its range; NaN would pass it.
  if (std::isnan(r) || std::isnan(g) || std::isnan(b)) throw Standard_OutOfRange("Quantity_Color: NaN component");
  return Quantity_Color(r, g, b, type);
}

std::string describe(const Quantity_Color& c) {
  return "Quantity_Color(" + std::to_string(c.Red()) + ", " + std::to_string(c.Green()) + ", " +
         std::to_string(c.Blue()) + ", Quantity_TOC_RGB)";
}

std::tuple<double, double, double> values(const Quantity_Color& color, Quantity_TypeOfColor type) {
  double a = 0.0, b = 0.0, c = 0.0;
  color.Values(a, b, c, type);
  return {a, b, c};
}

Quantity_Color line_color(const Prs3d_LineAspect& aspect) { return aspect.Aspect()->Color(); }

Aspect_TypeOfLine line_type(const Prs3d_LineAspect& aspect) { return aspect.Aspect()->Type(); }

double line_width(const Prs3d_LineAspect& aspect) { return aspect.Aspect()->Width(); }

Quantity_Color object_color(const AIS_InteractiveObject& object) {
  Quantity_Color c;
  object.Color(c);
  return c;
}

std::pair<int, int> window_size(const Aspect_Window& window) {
  int w = 0, h = 0;
  window.Size(w, h);
  return {w, h};
}

gp_XYZ projection(const V3d_View& view) {
  double x = 0.0, y = 0.0, z = 0.0;
  view.Proj(x, y, z);
  return gp_XYZ(x, y, z);
}

gp_XYZ up(const V3d_View& view) {
  double x = 0.0, y = 0.0, z = 0.0;
  view.Up(x, y, z);
  return gp_XYZ(x, y, z);
}

std::tuple<Quantity_Color, Quantity_Color, Aspect_GradientFillMethod> gradient_background(const V3d_View& view) {
  Quantity_Color c1, c2;
  const Aspect_GradientBackground g = view.GradientBackground();
  g.Colors(c1, c2);
  return {c1, c2, g.BgGradientFillMethod()};
}

Handle(V3d_Viewer) viewer(const Handle(Graphic3d_GraphicDriver)& driver) {
  return new V3d_Viewer(required(driver, "the graphic driver"));
}

Handle(AIS_InteractiveContext) interactive_context(const Handle(V3d_Viewer)& viewer) {
  return new AIS_InteractiveContext(required(viewer, "the viewer"));
}

void set_face_boundary_aspect(Prs3d_Drawer& drawer, const Handle(Prs3d_LineAspect)& aspect) {
  drawer.SetFaceBoundaryAspect(required(aspect, "the line aspect"));
}

void set_attributes(AIS_InteractiveObject& object, const Handle(Prs3d_Drawer)& drawer) {
  object.SetAttributes(required(drawer, "the drawer"));
}

void set_projection_type(Graphic3d_Camera& camera, int kind) {
  if (kind < 0 || kind > Graphic3d_Camera::Projection_MonoRightEye)
    throw Standard_OutOfRange("Graphic3d_Camera::SetProjectionType: no such kind");
  camera.SetProjectionType(static_cast<Graphic3d_Camera::Projection>(kind));
}

void set_window(V3d_View& view, const Handle(Aspect_Window)& window) {
  // An OpenGL window needs a driver that holds a display connection.
  auto driver = Handle(OpenGl_GraphicDriver)::DownCast(view.Viewer()->Driver());
  if (driver.IsNull() || driver->GetDisplayConnection().IsNull())
    throw Standard_ProgramError("V3d_View::SetWindow: the graphic driver has no display connection");
  view.SetWindow(required(window, "the window"));
}

gp_XYZ pixel_to_world(const Handle(V3d_View)& view, int xp, int yp) {
  double x, y, z;
  windowed(view)->Convert(xp, yp, x, y, z);
  return gp_XYZ(x, y, z);
}

std::pair<int, int> world_to_pixel(const Handle(V3d_View)& view, double x, double y, double z) {
  int xp = 0, yp = 0;
  windowed(view)->Convert(x, y, z, xp, yp);
  return {xp, yp};
}

std::pair<gp_XYZ, gp_XYZ> pixel_to_ray(const Handle(V3d_View)& view, int xp, int yp) {
  double x, y, z, vx, vy, vz;
  windowed(view)->ConvertWithProj(xp, yp, x, y, z, vx, vy, vz);
  return {gp_XYZ(x, y, z), gp_XYZ(vx, vy, vz)};
}

void start_rotation(const Handle(V3d_View)& view, int x, int y, double z_rotation_threshold) {
  windowed(view)->StartRotation(x, y, z_rotation_threshold);
}

void rotation(const Handle(V3d_View)& view, int x, int y) { windowed(view)->Rotation(x, y); }

void pan(const Handle(V3d_View)& view, int dx, int dy, double zoom_factor, bool start) {
  windowed(view)->Pan(dx, dy, zoom_factor, start);
}

bool dump(const Handle(V3d_View)& view, const std::string& file) {
  if (file.empty()) throw Standard_ProgramError("V3d_View::Dump: empty file name");
  return windowed(view)->Dump(file.c_str());
}

void triedron_display(V3d_View& view, Aspect_TypeOfTriedronPosition position, const Quantity_Color& color,
                      double scale, V3d_TypeOfVisualization mode) {
  // The trihedron is laid out from the scale; a zero, negative or non-finite one crashes it.
  if (!(std::isfinite(scale) && scale > 0.0))
    throw Standard_OutOfRange("V3d_View::TriedronDisplay: the scale must be positive and finite");
  view.TriedronDisplay(position, color, scale, mode);
}

void display(AIS_InteractiveContext& context, const Handle(AIS_InteractiveObject)& o, bool update) {
  context.Display(object(o), update);
}

void display_in_modes(AIS_InteractiveContext& context, const Handle(AIS_InteractiveObject)& o, int display_mode,
                      int selection_mode, bool update) {
  context.Display(object(o), display_mode, selection_mode, update);
}

void redisplay(AIS_InteractiveContext& context, const Handle(AIS_InteractiveObject)& o, bool update,
               bool all_modes) {
  context.Redisplay(object(o), update, all_modes);
}

void erase(AIS_InteractiveContext& context, const Handle(AIS_InteractiveObject)& o, bool update) {
  context.Erase(object(o), update);
}

void remove(AIS_InteractiveContext& context, const Handle(AIS_InteractiveObject)& o, bool update) {
  context.Remove(object(o), update);
}

bool is_displayed(const AIS_InteractiveContext& context, const Handle(AIS_InteractiveObject)& o) {
  return context.IsDisplayed(object(o));
}

std::vector<Handle(AIS_InteractiveObject)> displayed_objects(const AIS_InteractiveContext& context) {
  AIS_ListOfInteractive list;
  context.DisplayedObjects(list);
  return {list.begin(), list.end()};
}

void add_or_remove_selected(AIS_InteractiveContext& context, const Handle(AIS_InteractiveObject)& o, bool update) {
  context.AddOrRemoveSelected(object(o), update);
}

bool is_selected(const AIS_InteractiveContext& context, const Handle(AIS_InteractiveObject)& o) {
  return context.IsSelected(object(o));
}

void activate(AIS_InteractiveContext& context, const Handle(AIS_InteractiveObject)& o, int mode, bool force) {
  context.Activate(object(o), mode, force);
}

void deactivate(AIS_InteractiveContext& context, const Handle(AIS_InteractiveObject)& o) {
  context.Deactivate(object(o));
}

void next_selected(AIS_InteractiveContext& context) {
  if (context.MoreSelected()) context.NextSelected();
}

Handle(AIS_InteractiveObject) selected_interactive(const AIS_InteractiveContext& context) {
  if (!context.MoreSelected()) return {};
  return context.SelectedInteractive();
}

TopoDS_Shape selected_shape(const AIS_InteractiveContext& context) {
  if (!context.MoreSelected()) return {};
  return context.SelectedShape();
}

int move_to(AIS_InteractiveContext& context, int x, int y, const Handle(V3d_View)& view, bool update) {
  if (windowed(view)->Viewer() != context.CurrentViewer())
    throw Standard_ProgramError("AIS_InteractiveContext::MoveTo: the view belongs to another viewer");
  return static_cast<int>(context.MoveTo(x, y, view, update));
}

Handle(AIS_InteractiveObject) detected_interactive(const AIS_InteractiveContext& context) {
  if (!context.HasDetected()) return {};
  return context.DetectedInteractive();
}

std::optional<TopoDS_Shape> detected_shape(const AIS_InteractiveContext& context) {
  if (!context.HasDetected()) return std::nullopt;
  auto owner = Handle(StdSelect_BRepOwner)::DownCast(context.DetectedOwner());
  if (owner.IsNull() || !owner->HasShape()) return std::nullopt;
  return owner->Shape().Located(owner->Location() * owner->Shape().Location());
}

Handle(Prs3d_Drawer) highlight_style(const AIS_InteractiveContext& context, Prs3d_TypeOfHighlight type) {
  if (type < 0 || type >= Prs3d_TypeOfHighlight_NB) return {};
  return context.HighlightStyle(type);
}

}  // namespace nimbal::kernel
