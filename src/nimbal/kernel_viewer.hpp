// The kernel's viewer objects as a host calls them: the checks the kernel
// leaves out before it dereferences null (a None object, a view without a
// window, an iterator past its end, a value out of its range), the checked
// constructors, and a graphic driver that mends the kernel's RemoveView.
// Refusals are the kernel's own exception types (Standard_NullObject,
// Standard_ProgramError, Standard_OutOfRange, V3d_UnMapped), so a caller
// sees them as any other kernel failure.
#pragma once

#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <AIS_InteractiveContext.hxx>
#include <AIS_InteractiveObject.hxx>
#include <Aspect_DisplayConnection.hxx>
#include <Aspect_GradientFillMethod.hxx>
#include <Aspect_TypeOfLine.hxx>
#include <Aspect_TypeOfTriedronPosition.hxx>
#include <Aspect_Window.hxx>
#include <Graphic3d_Camera.hxx>
#include <Graphic3d_GraphicDriver.hxx>
#include <OpenGl_GraphicDriver.hxx>
#include <Prs3d_Drawer.hxx>
#include <Prs3d_LineAspect.hxx>
#include <Prs3d_TypeOfHighlight.hxx>
#include <Quantity_Color.hxx>
#include <Standard_NullObject.hxx>
#include <TopoDS_Shape.hxx>
#include <V3d_TypeOfVisualization.hxx>
#include <V3d_View.hxx>
#include <V3d_Viewer.hxx>
#include <Xw_Window.hxx>
#include <gp_XYZ.hxx>

namespace nimbal::kernel {

// `h`; Standard_NullObject "<what> is None" for a null handle.
template <class T>
const opencascade::handle<T>& required(const opencascade::handle<T>& h, const char* what) {
  if (h.IsNull()) throw Standard_NullObject((std::string(what) + " is None").c_str());
  return h;
}

// ---- construction ----

Handle(Aspect_DisplayConnection) display_connection(const std::string& display_name);

// An OpenGL driver on `display`, initialised when asked and `display` is
// given. Without a connection it serves window-less viewers (display,
// colours, cameras): it cannot open an OpenGL context.
Handle(OpenGl_GraphicDriver) graphic_driver(const Handle(Aspect_DisplayConnection)& display, bool initialize);

// A new X window of 1 to 16384 pixels each way on an open connection.
Handle(Xw_Window) x_window(const Handle(Aspect_DisplayConnection)& display, const std::string& title, int x, int y,
                           int width, int height);
// A window over one the host's toolkit made (its native id), which must
// exist on the connection and be at most 16384 pixels each way.
Handle(Xw_Window) x_window_over(const Handle(Aspect_DisplayConnection)& display, unsigned long native_window_id);

// A colour; NaN components are refused with the kernel's range error.
Quantity_Color color(double r, double g, double b, Quantity_TypeOfColor type);
// "Quantity_Color(1.000000, 0.000000, 0.000000, Quantity_TOC_RGB)": linear RGB.
std::string describe(const Quantity_Color& color);

Handle(V3d_Viewer) viewer(const Handle(Graphic3d_GraphicDriver)& driver);
Handle(AIS_InteractiveContext) interactive_context(const Handle(V3d_Viewer)& viewer);

// ---- what the kernel answers through out-parameters or nested aspects ----

// The colour's three components in the colour system `type`.
std::tuple<double, double, double> values(const Quantity_Color& color, Quantity_TypeOfColor type);
Quantity_Color line_color(const Prs3d_LineAspect& aspect);
Aspect_TypeOfLine line_type(const Prs3d_LineAspect& aspect);
double line_width(const Prs3d_LineAspect& aspect);
Quantity_Color object_color(const AIS_InteractiveObject& object);
// (width, height) in pixels.
std::pair<int, int> window_size(const Aspect_Window& window);
// The view's projection and up directions.
gp_XYZ projection(const V3d_View& view);
gp_XYZ up(const V3d_View& view);
// The gradient background's two colours and fill method.
std::tuple<Quantity_Color, Quantity_Color, Aspect_GradientFillMethod> gradient_background(const V3d_View& view);

// ---- attributes ----

void set_face_boundary_aspect(Prs3d_Drawer& drawer, const Handle(Prs3d_LineAspect)& aspect);
void set_attributes(AIS_InteractiveObject& object, const Handle(Prs3d_Drawer)& drawer);

// A projection by its number (0 orthographic to 4 mono right eye).
void set_projection_type(Graphic3d_Camera& camera, int kind);

// ---- views ----

// Needs a graphic driver with a display connection, and a window.
void set_window(V3d_View& view, const Handle(Aspect_Window)& window);

// Pixel conversions, rotations, pans and images: the view must have a
// window (V3d_UnMapped otherwise), which the kernel reads unchecked.
gp_XYZ pixel_to_world(const Handle(V3d_View)& view, int xp, int yp);
std::pair<int, int> world_to_pixel(const Handle(V3d_View)& view, double x, double y, double z);
// The world point at pixel (xp, yp) and the projection direction through it.
std::pair<gp_XYZ, gp_XYZ> pixel_to_ray(const Handle(V3d_View)& view, int xp, int yp);
void start_rotation(const Handle(V3d_View)& view, int x, int y, double z_rotation_threshold);
void rotation(const Handle(V3d_View)& view, int x, int y);
void pan(const Handle(V3d_View)& view, int dx, int dy, double zoom_factor, bool start);
// Writes the view's image to `file` (its suffix the format); whether it did.
bool dump(const Handle(V3d_View)& view, const std::string& file);

// The trihedron, whose scale must be positive and finite.
void triedron_display(V3d_View& view, Aspect_TypeOfTriedronPosition position, const Quantity_Color& color,
                      double scale, V3d_TypeOfVisualization mode);

// ---- interactive context: every object given must be non-null ----

void display(AIS_InteractiveContext& context, const Handle(AIS_InteractiveObject)& object, bool update);
void display_in_modes(AIS_InteractiveContext& context, const Handle(AIS_InteractiveObject)& object,
                      int display_mode, int selection_mode, bool update);
void redisplay(AIS_InteractiveContext& context, const Handle(AIS_InteractiveObject)& object, bool update,
               bool all_modes);
void erase(AIS_InteractiveContext& context, const Handle(AIS_InteractiveObject)& object, bool update);
void remove(AIS_InteractiveContext& context, const Handle(AIS_InteractiveObject)& object, bool update);
bool is_displayed(const AIS_InteractiveContext& context, const Handle(AIS_InteractiveObject)& object);
std::vector<Handle(AIS_InteractiveObject)> displayed_objects(const AIS_InteractiveContext& context);
void add_or_remove_selected(AIS_InteractiveContext& context, const Handle(AIS_InteractiveObject)& object,
                            bool update);
bool is_selected(const AIS_InteractiveContext& context, const Handle(AIS_InteractiveObject)& object);
void activate(AIS_InteractiveContext& context, const Handle(AIS_InteractiveObject)& object, int mode, bool force);
void deactivate(AIS_InteractiveContext& context, const Handle(AIS_InteractiveObject)& object);

// The selection iterator, which the kernel steps and reads without a check
// of its current entry: nothing past the end, a null object or shape there.
void next_selected(AIS_InteractiveContext& context);
Handle(AIS_InteractiveObject) selected_interactive(const AIS_InteractiveContext& context);
TopoDS_Shape selected_shape(const AIS_InteractiveContext& context);

// Detection under pixel (x, y) of a windowed view of the context's viewer;
// the kernel's detection status.
int move_to(AIS_InteractiveContext& context, int x, int y, const Handle(V3d_View)& view, bool update);
// The detected object, null when nothing is detected; and its detected
// sub-shape (or whole shape) placed, none when nothing is detected.
Handle(AIS_InteractiveObject) detected_interactive(const AIS_InteractiveContext& context);
std::optional<TopoDS_Shape> detected_shape(const AIS_InteractiveContext& context);

// The drawer of a highlight kind; null for a kind out of range.
Handle(Prs3d_Drawer) highlight_style(const AIS_InteractiveContext& context, Prs3d_TypeOfHighlight type);

}  // namespace nimbal::kernel
