// The docstrings of nimbal.kernel.
#pragma once

namespace nimbal::py::kernel::doc {

// Closing words of the calls the core refuses without a window.
#define NIMBAL_NO_WINDOW "\n\nRaises KernelError when the view has no window."

constexpr const char* module = R"(Kernel objects and shape queries of nimbal.

The shapes the other modules take and give, the viewer objects a host builds
a 3D view from (display connection, graphic driver, window, viewer, view,
interactive context and objects), and queries that measure a shape. A failure
inside the kernel raises KernelError.)";
constexpr const char* kernel_error = "A kernel operation failed; the message is the kernel's own.";

// ---- shapes ----

namespace shape {
constexpr const char* cls = R"(A kernel shape: a null shape, or a topology of the type ShapeType() names.

Shapes compare (==) and hash by IsSame: the same topology, whatever its orientation.)";
constexpr const char* IsNull = "Whether the shape holds no topology.";
constexpr const char* ShapeType = "The topology's type (compound down to vertex).\n\nRaises KernelError for a null shape.";
constexpr const char* Orientation =
    "The shape's orientation (forward, reversed, internal or external).\n\nRaises KernelError for a null shape.";
constexpr const char* IsSame =
    "Whether other shares this shape's topology and location, whatever the orientation.";
constexpr const char* IsEqual = "Whether other shares topology, location and orientation.";
constexpr const char* IsPartner =
    "Whether other shares this shape's topology, whatever the location and orientation.";
constexpr const char* Reversed = "A copy with the opposite orientation.\n\nRaises KernelError for a null shape.";
constexpr const char* NbChildren = "Number of direct sub-shapes.";
constexpr const char* subtype_init = "A null shape of this type.";
constexpr const char* compound = "A kernel compound: any shapes grouped.";
constexpr const char* compsolid = "A kernel compound solid: solids sharing faces.";
constexpr const char* solid = "A kernel solid.";
constexpr const char* shell = "A kernel shell: faces joined at their edges.";
constexpr const char* face = "A kernel face.";
constexpr const char* wire = "A kernel wire: edges joined end to end.";
constexpr const char* edge = "A kernel edge.";
constexpr const char* vertex = "A kernel vertex.";
}  // namespace shape

constexpr const char* volume = "Volume of the shape's solids (0 for a null shape).";
constexpr const char* area = "Area of the shape's faces (0 for a null shape).";
constexpr const char* length = "Length of the shape's edges (0 for a null shape).";
constexpr const char* bounding_box =
    "(xmin, ymin, zmin, xmax, ymax, zmax) of the exact bounds, or None for a null or empty shape.";
constexpr const char* sub_shapes =
    "Unique sub-shapes of the type, in TopExp::MapShapes order (the sub-shape indices).";
constexpr const char* is_valid = "BRepCheck_Analyzer's verdict; False for a null shape.";

// ---- colours and drawing attributes ----

namespace color {
constexpr const char* cls = "A colour, stored as RGB components from 0 to 1.";
constexpr const char* Red = "The red component, 0 to 1.";
constexpr const char* Green = "The green component, 0 to 1.";
constexpr const char* Blue = "The blue component, 0 to 1.";
constexpr const char* Values = "The three components in the colour system type, as (a, b, c).";
constexpr const char* IsEqual = "Whether other is the same colour.";
}  // namespace color

namespace line_aspect {
constexpr const char* cls = "How lines are drawn: colour, line type and width.";
constexpr const char* SetColor = "Sets the line colour.";
constexpr const char* SetTypeOfLine = "Sets the line type (solid, dashed, ...).";
constexpr const char* SetWidth = "Sets the line width in pixels.";
constexpr const char* Color = "The line colour.";
constexpr const char* Type = "The line type.";
constexpr const char* Width = "The line width in pixels.";
}  // namespace line_aspect

namespace drawer {
constexpr const char* cls = "Drawing attributes of a presentation (colour, transparency, face boundaries).";
constexpr const char* SetFaceBoundaryDraw = "Sets whether face boundaries are drawn.";
constexpr const char* FaceBoundaryDraw = "Whether face boundaries are drawn.";
constexpr const char* SetFaceBoundaryAspect = "Sets how face boundaries are drawn.\n\nRaises KernelError when aspect is None.";
constexpr const char* FaceBoundaryAspect = "How face boundaries are drawn (a Prs3d_LineAspect).";
constexpr const char* SetColor = "Sets the colour.";
constexpr const char* Color = "The colour.";
constexpr const char* Transparency = "The transparency, 0 (opaque) to 1.";
}  // namespace drawer

// ---- presentations ----

namespace object {
constexpr const char* cls = R"(An object a context can display and select.

Two Python objects of the same kernel object compare equal and hash alike.)";
constexpr const char* SetColor = "Sets the object's colour (redrawn on its context's next update).";
constexpr const char* Color = "The object's colour.";
constexpr const char* HasColor = "Whether a colour of its own is set.";
constexpr const char* UnsetColor = "Drops the object's own colour.";
constexpr const char* SetWidth = "Sets the line width in pixels.";
constexpr const char* Width = "The line width in pixels.";
constexpr const char* SetTransparency = "Sets the transparency, 0 (opaque) to 1.";
constexpr const char* Transparency = "The transparency, 0 (opaque) to 1.";
constexpr const char* UnsetTransparency = "Makes the object opaque again.";
constexpr const char* Attributes = "The object's drawing attributes.";
constexpr const char* SetAttributes = "Replaces the object's drawing attributes.\n\nRaises KernelError when drawer is None.";
constexpr const char* DisplayMode = "The object's own display mode (0 wireframe, 1 shaded).";
constexpr const char* HasInteractiveContext = "Whether the object is displayed in a context.";
}  // namespace object

namespace ais_shape {
constexpr const char* cls = "The interactive presentation of a kernel shape.";
constexpr const char* Shape = "The presented shape.";
constexpr const char* SetShape = "Presents another shape (redrawn on Redisplay).";
}  // namespace ais_shape

// ---- display, driver and windows ----

constexpr const char* display_connection = "A connection to an X display: the default one ($DISPLAY), or display_name.";
constexpr const char* graphic_driver = "A graphic driver: what viewers draw with.";
constexpr const char* opengl_driver = R"(The OpenGL graphic driver on a display connection.

Without an open connection (or with initialize False) the driver is not initialised and views of it cannot draw.)";

namespace window {
constexpr const char* cls = "A window a view draws into.";
constexpr const char* Size = "(width, height) in pixels.";
constexpr const char* IsVirtual = "Whether the window is offscreen (never mapped).";
constexpr const char* SetVirtual = "Sets whether the window is offscreen; set it before the window is used.";
constexpr const char* Map = "Shows the window on the display.";
constexpr const char* IsMapped = "Whether the window is shown.";
constexpr const char* x_window = R"(An X11 window on a display connection.

Xw_Window(display_connection, title, x, y, width, height) opens a window of
its own; Xw_Window(display_connection, native_window_id) draws into a
toolkit's window (in Tk, frame.winfo_id()), which must be mapped first:
call update() (Tk) after packing the frame, before making the Xw_Window.

Raises KernelError when the connection is None or not open, when there is
no such window on the connection (not mapped yet, say), or the size is not
1 to 16384 pixels.)";
}  // namespace window

// ---- camera, viewer and view ----

namespace camera {
constexpr const char* cls = "A view's camera.";
constexpr const char* ProjectionType = "The projection (orthographic, perspective, ...).";
constexpr const char* SetProjectionType = "Sets the projection.";
constexpr const char* IsOrthographic = "Whether the projection is orthographic.";
constexpr const char* Scale = "The camera's scale (the view height in model units for orthographic projection).";
constexpr const char* SetScale = "Sets the camera's scale.";
constexpr const char* Direction = "The unit direction the camera looks in, (x, y, z).";
constexpr const char* Up = "The camera's up direction, (x, y, z).";
constexpr const char* Eye = "The eye position, (x, y, z).";
constexpr const char* Center = "The point looked at, (x, y, z).";
}  // namespace camera

namespace viewer {
constexpr const char* cls = R"(A viewer: the views, lights and objects of one graphic driver.

Raises KernelError when the driver is None.)";
constexpr const char* CreateView =
    "A new view of this viewer (without a window until SetWindow); it keeps the viewer alive.";
constexpr const char* SetDefaultLights = "Gives the viewer the default ambient and directional lights.";
constexpr const char* SetLightOn = "Switches every defined light on.";
constexpr const char* Redraw = "Redraws every view of the viewer.";
}  // namespace viewer

namespace view {
constexpr const char* cls = "A view: a camera looking at a viewer's objects, drawn into a window.";
constexpr const char* SetWindow = "Makes the view draw into window.\n\nRaises KernelError when window is None.";
constexpr const char* Window = "The view's window.\n\nRaises KernelError when it has none.";
constexpr const char* IfWindow = "Whether the view has a window.";
constexpr const char* Viewer = "The viewer the view belongs to.";
constexpr const char* Camera = "The view's camera.";
constexpr const char* SetProj = "Looks along the direction from (vx, vy, vz) towards the centre.";
constexpr const char* SetUp = "Sets the up direction of the view.";
constexpr const char* Proj = "The projection direction, (x, y, z).";
constexpr const char* Up = "The up direction, (x, y, z).";
constexpr const char* Convert =
    "Pixel (xp, yp) to a world point (x, y, z), or world point (x, y, z) to a pixel (xp, yp)." NIMBAL_NO_WINDOW;
constexpr const char* ConvertWithProj =
    "Pixel (xp, yp) to (x, y, z, vx, vy, vz): the world point and the projection direction through it."
    NIMBAL_NO_WINDOW;
constexpr const char* FitAll = "Frames every displayed object, leaving margin around them.";
constexpr const char* ZFitAll = "Fits the depth range to the displayed objects.";
constexpr const char* Redraw = "Redraws the view.";
constexpr const char* MustBeResized = "Adapts the view to its window's new size.";
constexpr const char* StartRotation = "Starts a rotation by the mouse at pixel (x, y)." NIMBAL_NO_WINDOW;
constexpr const char* Rotation = "Continues the rotation started by StartRotation to pixel (x, y)." NIMBAL_NO_WINDOW;
constexpr const char* Pan = "Moves the view by (dx, dy) pixels at the zoom factor." NIMBAL_NO_WINDOW;
constexpr const char* SetZoom = "Zooms by coef (relative to the start of the zoom when start is False).";
constexpr const char* Scale = "The view's scale.";
constexpr const char* SetBackgroundColor = "Sets a plain background colour.";
constexpr const char* BackgroundColor = "The plain background colour.";
constexpr const char* SetBgGradientColors = "Sets a gradient background from color1 to color2 by the fill method.";
constexpr const char* GradientBackground = "(color1, color2, method) of the gradient background.";
constexpr const char* TriedronDisplay =
    "Shows the axis trihedron at a corner of the view.\n\nRaises KernelError when the scale is not positive and finite.";
constexpr const char* TriedronErase = "Hides the axis trihedron.";
constexpr const char* Dump = "Writes the view's image to file (the format from its suffix); True on success."
    NIMBAL_NO_WINDOW " Raises KernelError for an empty file name too.";
}  // namespace view

// ---- interactive context ----

namespace context {
// Closing words of the calls that refuse a None object.
#define NIMBAL_NO_OBJECT "\n\nRaises KernelError when obj is None."

constexpr const char* cls = R"(Displays and selects interactive objects in one viewer.

Raises KernelError when the viewer is None.)";
constexpr const char* Display =
    "Displays obj (in the display mode and selection mode when given); update redraws the viewer." NIMBAL_NO_OBJECT;
constexpr const char* Redisplay = "Recomputes obj's presentation after a change." NIMBAL_NO_OBJECT;
constexpr const char* Erase = "Hides obj, keeping it in the context." NIMBAL_NO_OBJECT;
constexpr const char* Remove = "Takes obj out of the context." NIMBAL_NO_OBJECT;
constexpr const char* RemoveAll = "Takes every object out of the context.";
constexpr const char* IsDisplayed = "Whether obj is displayed." NIMBAL_NO_OBJECT;
constexpr const char* DisplayedObjects = "Every displayed object.";
constexpr const char* SetDisplayMode = "Sets the context's default display mode (or obj's own).";
constexpr const char* DisplayMode = "The context's default display mode.";
constexpr const char* UpdateCurrentViewer = "Redraws the viewer.";
constexpr const char* ClearSelected = "Empties the selection.";
constexpr const char* AddOrRemoveSelected = "Selects obj, or deselects it when it is selected." NIMBAL_NO_OBJECT;
constexpr const char* IsSelected = "Whether obj is selected." NIMBAL_NO_OBJECT;
constexpr const char* NbSelected = "Number of selected owners.";
constexpr const char* InitSelected = "Starts an iteration over the selection.";
constexpr const char* MoreSelected = "Whether the iteration has a current owner.";
constexpr const char* NextSelected = "Moves the iteration to the next owner (nothing past the end).";
constexpr const char* SelectedInteractive = "The object of the current owner, or None.";
constexpr const char* SelectedShape =
    "The shape of the current owner (its sub-shape for a sub-shape selection), or None.";
constexpr const char* Activate = "Activates a selection mode, for every object or for obj.";
constexpr const char* Deactivate = "Deactivates the selection modes, of every object or of obj.";
constexpr const char* MoveTo =
    "Detects what lies under pixel (x, y) of view and highlights it; returns the detection status.\n\n"
    "Raises KernelError when the view has no window or belongs to another viewer.";
constexpr const char* HasDetected = "Whether the last MoveTo detected something.";
constexpr const char* DetectedInteractive = "The detected object, or None.";
constexpr const char* DetectedShape = "The detected sub-shape (or whole shape), placed, or None.";
constexpr const char* HighlightStyle =
    "The drawer of a highlight kind (dynamic, selected, ...), or None for a kind out of range.";
constexpr const char* SetToHilightSelected = "Sets whether hovering highlights selected objects too.";
constexpr const char* ToHilightSelected = "Whether hovering highlights selected objects too.";

#undef NIMBAL_NO_OBJECT
}  // namespace context

#undef NIMBAL_NO_WINDOW

}  // namespace nimbal::py::kernel::doc
