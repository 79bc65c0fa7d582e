// nimbal.services.lumbra: the Python face of the 3D view service. Arguments
// of the guarded operations take the operation's error path when refused
// (triples are unpacked, and shapes tested, by the core inside its guard); a
// Python subclass's override of the overridable steps is the one the
// service calls.
#include "nimbal/services/lumbra.hpp"

#include "nimbal/kernel.hpp"
#include "nimbal_py/guarded_args.hpp"
#include "nimbal_py/logging.hpp"
#include "nimbal_py/method_guard.hpp"
#include "nimbal_py/viewer.hpp"

namespace pyb = pybind11;
using nimbal::services::Components;
using nimbal::services::Lumbra;
using nimbal::services::ShapeInfo;
using nimbal::py::guarded_args;
using nimbal::py::Id;
using nimbal::py::Pixel;
using nimbal::py::PyValue;

// Docstrings of the Python face.
namespace doc {

constexpr const char* module = R"(The 3D view service over the host's view, viewer and interactive context.

PLANE_COLOR: (0.4, 0.8, 1.0), the colour of reference planes.
PLANE_TRANSPARENCY: 0.65, their transparency. Failures are logged on
"nimbal.services.lumbra".)";
constexpr const char* info_cls = R"(Record of one shape displayed under a manager's shape id.

Reference planes have none. The attributes are plain and writable.)";
constexpr const char* info_init = R"(Creates the record.

Args:
    shape_id: The shape id the shape is displayed under.
    ais_shape: The AIS_Shape presentation in the context.
    color: (r, g, b) given at display, or None.
    visible: Whether the shape is shown.

Raises:
    TypeError: color is not a sequence of numbers or None, or another
        argument is of the wrong type.)";
constexpr const char* info_shape_id = "The shape id the shape is displayed under.";
constexpr const char* info_ais_shape = "The AIS_Shape presentation displayed in the context.";
constexpr const char* info_color = R"((r, g, b) given when the shape was displayed, or None.

A later set_shape_color does not change it. Setting it takes a sequence of
numbers or None; anything else raises TypeError.)";
constexpr const char* info_visible = "Whether the shape is shown; changed by set_shape_visibility.";

constexpr const char* cls = R"(The 3D view service over the host's view, viewer and interactive context.

Keeps tables of the shapes it displayed (by shape id) and of the reference
planes, and drives the viewer for the host. Operations that drive the
kernel catch errors of the Exception kind, log them on
"nimbal.services.lumbra" at error level with the traceback, and return
None; accessors and table lookups let errors through. A subclass may
override _setup_trihedron, set_projection_type, _configure_shape_edges,
_build_plane_face, _plane_display_size and select_shapes; the service's
own calls use the overrides.)";
constexpr const char* init = R"(Creates the service over the host's viewer objects.

Makes no call on them; the host calls setup_initial_view next. The tables
start empty, the display mode SHADED, the background white and the global
transparency 0.

Args:
    view: The host's V3d_View.
    viewer: The host's V3d_Viewer.
    context: The host's AIS_InteractiveContext.

Raises:
    TypeError: an argument is not of its kernel type.)";

constexpr const char* _view = "The V3d_View given to the constructor (read-only).";
constexpr const char* _viewer = "The V3d_Viewer given to the constructor (read-only).";
constexpr const char* _context = "The AIS_InteractiveContext given to the constructor (read-only).";
constexpr const char* _is_rendering = "True only while redraw runs the view's Redraw; guards against re-entry.";
constexpr const char* _shapes = "A new dict of shape id to ShapeInfo, in display order (read-only).";
constexpr const char* _ais_to_id = "A new dict of displayed AIS_Shape to its shape id (read-only).";
constexpr const char* _plane_objects =
    "A new dict of plane id to (AIS_Shape, origin, normal) of each displayed reference plane (read-only).";
constexpr const char* _plane_visible =
    "A new dict of plane id to its visibility; a plane without an entry counts as visible (read-only).";
constexpr const char* _global_transparency =
    "Transparency given to every shape; applied to a new shape only when above 0 (read-only).";
constexpr const char* _current_display_mode = "The DisplayMode in force for all shapes (read-only).";
constexpr const char* _background_color = "The solid background colour (r, g, b) last asked for (read-only).";
constexpr const char* _background_gradient =
    "(color1, color2, method) of the gradient background, or None when the solid colour applies (read-only).";

constexpr const char* setup_initial_view = R"(Gives the view its initial look.

Applies the stored background (the gradient if one is set, else the solid
colour), shows the axis trihedron through _setup_trihedron, and sets the
orthographic projection through set_projection_type. May be called again.

Raises:
    Nothing: failures are logged as "Error setting up initial view: ...";
    a background failure skips the trihedron and the projection.)";
constexpr const char* setup_trihedron = R"(Shows the white axis trihedron in the lower left corner, as wireframe.

Overridable; setup_initial_view calls it. A binding that refuses the
four-argument form gets one retry without the mode.

Raises:
    Nothing: a failed retry is logged at debug level ("Could not display
    trihedron: ..."), any other failure at warning level ("Unexpected
    trihedron error: ...").)";
constexpr const char* set_projection = R"(Turns the camera to a standard view direction.

Sets the eye direction and the up vector: +Y is up except for TOP (-Z up)
and BOTTOM (+Z up).

Args:
    direction: A ViewDirection member; any other value does nothing.

Raises:
    Nothing: failures are logged as "Error setting projection: ...".)";
constexpr const char* set_projection_type = R"(Switches the camera between orthographic and perspective projection.

Overridable; setup_initial_view calls it.

Args:
    projection_type: ProjectionType.ORTHOGRAPHIC for orthographic; any
        other value gives perspective.

Raises:
    Nothing: failures are logged as "Error setting projection type: ...";
    a refused kind is retried once by its number (logged at debug level
    when that fails too).)";
constexpr const char* fit_all = R"(Fits the displayed objects into the view, leaving reference planes out.

Visible planes are erased for the fit and displayed again afterwards, at
their old size: call update_plane_display_sizes after it.

Raises:
    nimbal.kernel.KernelError: a plane could not be displayed again.
        Fitting failures are only logged, as "Error fitting view: ...".)";
constexpr const char* redraw = R"(Redraws the view; does nothing while a redraw is already running.

Raises:
    Nothing: failures are logged as "Error in redraw: ...".)";
constexpr const char* must_be_resized = R"(Tells the view that its window changed size.

Raises:
    Nothing: failures are logged as "Error resizing view: ...".)";

constexpr const char* display_shape = R"(Displays a kernel shape under a shape id and records it.

The presentation takes the colour, the width (when not 1.0), the global
transparency (when above 0) and the current display mode (with face
boundaries through _configure_shape_edges in BOTH mode). A presentation
recorded before under the same id is removed from the context.

Args:
    shape: The TopoDS_Shape to show.
    shape_id: The manager's shape id, the key of the record.
    color: (r, g, b) from 0 to 1; None or empty keeps the kernel's colour.
    update: Whether the viewer redraws at once.
    width: Line width.

Returns:
    shape_id, or None after a failure (a null or non-shape, a colour that
    is not three numbers), logged as "Error displaying shape: ...".)";
constexpr const char* set_display_mode = R"(Switches every recorded shape to a display mode.

The mode is stored first and applies to later displays; every record,
hidden ones included, is restyled through _configure_shape_edges.

Args:
    mode: DisplayMode WIREFRAME, SHADED, or BOTH (shaded with face
        boundaries); any other value counts as SHADED.

Raises:
    Nothing: failures are logged as "Error setting display mode: ...".)";
constexpr const char* configure_shape_edges = R"(Switches the drawing of face boundaries of one presentation.

Overridable; display_shape and set_display_mode call it. Boundaries are
black, solid, width 1. Neither redisplays nor updates the viewer.

Args:
    ais_shape: The AIS_Shape.
    enable: Whether boundaries are drawn.

Raises:
    AttributeError: ais_shape is None; kernel errors reach the caller.)";
constexpr const char* update_shape = R"(Redisplays one presentation, recorded or not.

Args:
    ais_shape: The AIS_Shape.
    update: Whether the viewer redraws at once.

Raises:
    Nothing: failures are logged as "Error updating shape: ...".)";
constexpr const char* set_shape_color = R"(Gives one presentation a new colour.

The record's color keeps the colour given at display.

Args:
    ais_shape: The AIS_Shape.
    color: (r, g, b) from 0 to 1.
    update: Whether the presentation is redisplayed and the viewer redrawn.

Raises:
    Nothing: failures (e.g. a colour that is not three numbers) are logged
    as "Error setting shape color: ...".)";
constexpr const char* erase_all = R"(Removes everything from the context and empties all four tables.

Reference planes go too; display mode, transparency and background stay.

Raises:
    Nothing: failures are logged as "Error erasing all shapes: ..."; the
    tables are then kept.)";
constexpr const char* erase_shape = R"(Removes one recorded shape from the context and the tables.

An id without a record (a plane id included) does nothing.

Args:
    shape_id: The shape's id.
    update: Whether the viewer redraws at once.

Raises:
    Nothing: failures are logged as "Error erasing shape: ...".)";
constexpr const char* get_all_shapes = R"(The shape records.

Returns:
    A new dict of shape id to the registry's own ShapeInfo records.)";
constexpr const char* get_shape_info = R"(The record of one shape.

Args:
    shape_id: The shape's id.

Returns:
    The registry's own ShapeInfo, or None (also for a plane id).)";
constexpr const char* set_shape_visibility = R"(Hides or shows one shape or reference plane.

The id is looked up among the shapes first, then the planes. A hidden one
stays in the context and the tables. Nothing happens when it is already in
the asked state or the id is unknown.

Args:
    shape_id: A shape or plane id.
    visible: True to show, false to hide.
    update: Whether the viewer redraws at once.

Raises:
    Nothing: failures are logged as "Error setting shape visibility: ...";
    the flag then keeps its value.)";
constexpr const char* is_shape_visible = R"(Whether a shape or reference plane is shown.

Args:
    shape_id: A shape or plane id.

Returns:
    The shape's visible flag, else the plane's (true without an entry);
    False for an unknown id.)";

constexpr const char* display_plane = R"(Shows a reference plane as a light-blue translucent square, or moves it.

The square is centred on the origin and sized from the camera
(_plane_display_size, _build_plane_face). A known id keeps its
presentation, gets the new face and is shown again if hidden.

Args:
    shape_id: The plane's id.
    origin: (x, y, z) of the plane's origin.
    normal: (nx, ny, nz) of its normal.
    update: Whether the viewer is updated once at the end.

Raises:
    Nothing: failures (e.g. a zero normal) are logged as "Error displaying
    plane <id>: ..."; the tables are then unchanged.)";
constexpr const char* get_plane_ais = R"(The presentation of a displayed reference plane.

Args:
    shape_id: The plane's id.

Returns:
    Its AIS_Shape, or None (also for a shape id).)";
constexpr const char* erase_plane = R"(Removes one reference plane from the context and the plane tables.

An unknown id does nothing.

Args:
    shape_id: The plane's id.
    update: Whether the viewer redraws at once.

Raises:
    Nothing: failures are logged as "Error erasing plane <id>: ...".)";
constexpr const char* update_plane_display_sizes = R"(Resizes every reference plane to the current camera; call after zoom or fit.

Hidden planes are resized too and stay hidden. No planes: no kernel call.

Raises:
    Nothing: failures are logged as "Error updating plane sizes: ...".)";
constexpr const char* build_plane_face = R"(Square planar face centred on a point.

Overridable; the plane operations call it.

Args:
    origin: (x, y, z) of the centre.
    normal: (nx, ny, nz) of the plane normal.
    size: The side length.

Returns:
    A TopoDS_Face.

Raises:
    TypeError, ValueError: origin or normal is not three finite numbers,
        or size is not finite.
    nimbal.kernel.KernelError: the kernel refuses it (e.g. a zero normal).)";
constexpr const char* plane_display_size = R"(Side length for reference planes at the current zoom.

Overridable; the plane operations call it.

Returns:
    0.8 times the camera's scale, at least 1.0; 1000.0 when the camera
    cannot be read.)";

constexpr const char* select_shapes = R"(Selects displayed shapes by id, replacing the selection.

Overridable; select_shape calls it. Ids without a shape record (plane ids
included) and items that are not text are passed over; an id given twice
toggles back to unselected. The viewer is updated once.

Args:
    shape_ids: Iterable of shape ids.

Raises:
    Nothing: failures are logged as "Error selecting shapes: ...".)";
constexpr const char* select_shape = R"(Selects one displayed shape by id, through select_shapes.

Args:
    shape_id: The shape's id.)";
constexpr const char* get_shape_id_for_ais_shape = R"(The id a presentation is displayed under.

The selection service asks this for the detected object.

Args:
    ais_shape: Any object, normally a detected interactive object.

Returns:
    The shape id, else the id of the reference plane it presents, else
    None (also for anything that is not an AIS_Shape).)";
constexpr const char* get_shape_count = "The number of recorded shapes; reference planes do not count.";

constexpr const char* start_rotation = R"(Starts a camera rotation at a pixel.

Args:
    x: Pixel x in the view's window.
    y: Pixel y.

Raises:
    Nothing: failures are logged as "Error starting rotation: ...".)";
constexpr const char* rotate = R"(Continues the camera rotation towards a pixel.

Args:
    x: Pixel x in the view's window.
    y: Pixel y.

Raises:
    Nothing: failures are logged as "Error rotating: ...".)";
constexpr const char* pan = R"(Pans the camera by a pixel delta; the vertical delta is negated.

Args:
    dx: Horizontal delta in pixels.
    dy: Vertical delta in pixels (window y grows downwards).

Raises:
    Nothing: failures are logged as "Error panning: ...".)";
constexpr const char* zoom = R"(Zooms the camera by a factor; call update_plane_display_sizes afterwards.

Args:
    factor: The zoom factor.

Raises:
    Nothing: failures (a factor the kernel refuses, or not finite) are
    logged as "Error zooming: ...".)";
constexpr const char* get_view = "The V3d_View given to the constructor.";
constexpr const char* get_viewer = "The V3d_Viewer given to the constructor.";
constexpr const char* get_context = "The AIS_InteractiveContext given to the constructor.";
constexpr const char* set_background_color = R"(Sets a solid background colour and clears any gradient.

The view is redrawn; setup_initial_view applies the colour again.

Args:
    color: (r, g, b) from 0 to 1.

Raises:
    Nothing: failures (e.g. not three numbers) are logged as "Error setting
    background color: ...".)";
constexpr const char* set_background_gradient = R"(Sets a two-colour gradient background.

The view is redrawn; setup_initial_view applies the gradient again. The
solid colour is kept: only set_background_color clears the gradient.

Args:
    color1: (r, g, b) of the first colour (the top one when vertical).
    color2: (r, g, b) of the second colour.
    method: An Aspect_GradientFillMethod member.

Raises:
    Nothing: failures are logged as "Error setting background gradient:
    ...".)";
constexpr const char* set_global_transparency = R"(Gives every recorded shape one transparency, and later shapes too.

Reference planes keep their own. The value is not clamped.

Args:
    transparency: 0 opaque to 1 fully transparent.
    update: Whether the shapes are redisplayed and the viewer updated.

Raises:
    Nothing: failures are logged as "Error setting global transparency:
    ...".)";

}  // namespace doc

namespace {

constexpr const char* LOGGER = "nimbal.services.lumbra";

using namespace nimbal::py::typing;
NIMBAL_PY_NAME(color_or_none_name, "tuple[float, float, float] | None");
NIMBAL_PY_NAME(ais_shape_or_none_name, "nimbal.kernel.AIS_Shape | None");

pyb::object components_to_py(const Components& c) {
  pyb::tuple t(c.values.size());
  for (std::size_t i = 0; i < c.values.size(); ++i) t[i] = pyb::float_(c.values[i]);
  return std::move(t);
}

// The ids among any iterable (see Id).
struct Ids {
  std::vector<std::string> text;
};

}  // namespace

namespace pybind11::detail {
// Out only: arguments convert through convert::value below.
template <>
struct type_caster<Components> {
  PYBIND11_TYPE_CASTER(Components, const_name("tuple[float, float, float]"));
  bool load(handle, bool) { return false; }
  static handle cast(const Components& c, return_value_policy, handle) { return components_to_py(c).release(); }
};
}  // namespace pybind11::detail

namespace nimbal::py::convert {
// The operation unpacks the numbers itself, in its own words.
inline Components value(pyb::handle v, tag<Components>, std::string_view) { return from_py::numbers(v, ""); }
// A colour as `if color:` reads it: a false value (None, an empty sequence) is none.
inline std::optional<Components> value(pyb::handle v, tag<std::optional<Components>>, std::string_view what) {
  if (!from_py::truth(v, what)) return std::nullopt;
  return value(v, tag<Components>{}, what);
}
inline Ids value(pyb::handle v, tag<Ids>, std::string_view what) {
  auto iter = pyb::reinterpret_steal<pyb::object>(PyObject_GetIter(v.ptr()));
  if (!iter) throw pyb::error_already_set();
  Ids ids;
  while (PyObject* raw = PyIter_Next(iter.ptr()))
    if (Id id = value(pyb::reinterpret_steal<pyb::object>(raw), tag<Id>{}, what)) ids.text.push_back(*id);
  if (PyErr_Occurred()) throw pyb::error_already_set();
  return ids;
}
template <>
struct arg_name<std::optional<Components>> : color_or_none_name {};
template <>
struct arg_name<Ids> {
  static constexpr auto name = pyb::detail::const_name("typing.Iterable[str]");
};
}  // namespace nimbal::py::convert

namespace {

// The binding's own errors that count as a rejected argument form.
bool rejection() {
  try {
    throw;
  } catch (pyb::error_already_set& e) {
    return e.matches(PyExc_TypeError) || e.matches(PyExc_AttributeError);
  } catch (const pyb::cast_error&) {
    return true;
  } catch (...) {
    return false;
  }
}

class PyLumbra : public Lumbra {
 public:
  using Lumbra::Lumbra;
  void _setup_trihedron() override { PYBIND11_OVERRIDE(void, Lumbra, _setup_trihedron, ); }
  void set_projection_type(std::optional<nimbal::ProjectionType> projection_type) override {
    PYBIND11_OVERRIDE(void, Lumbra, set_projection_type, projection_type);
  }
  void _configure_shape_edges(const Handle(AIS_Shape)& ais_shape, bool enable) override {
    PYBIND11_OVERRIDE(void, Lumbra, _configure_shape_edges, ais_shape, enable);
  }
  TopoDS_Face _build_plane_face(const Components& origin, const Components& normal, double size) override {
    PYBIND11_OVERRIDE(TopoDS_Face, Lumbra, _build_plane_face, origin, normal, size);
  }
  double _plane_display_size() override { PYBIND11_OVERRIDE(double, Lumbra, _plane_display_size, ); }
  void select_shapes(const std::vector<std::string>& shape_ids) override {
    PYBIND11_OVERRIDE(void, Lumbra, select_shapes, shape_ids);
  }
};

pyb::dict shapes_dict(const Lumbra::ShapeTable& t) {
  pyb::dict d;
  for (const auto& [id, info] : t) d[pyb::str(id)] = pyb::cast(info);
  return d;
}

// ShapeInfo's colour: None, or any sequence of numbers, kept as given.
std::optional<Components> info_color(pyb::handle v) {
  if (v.is_none()) return std::nullopt;
  return Components(nimbal::py::from_py::numbers(v, "color"));
}

}  // namespace

PYBIND11_MODULE(lumbra, m) {
  m.doc() = doc::module;
  nimbal::py::register_core_errors();
  nimbal::py::install_log_sink();
  nimbal::py::import_kernel();
  pyb::module_::import("nimbal.enums");
  Lumbra::set_error_policy({&rejection});

  m.attr("PLANE_COLOR") = pyb::make_tuple(nimbal::services::PLANE_COLOR[0], nimbal::services::PLANE_COLOR[1],
                                          nimbal::services::PLANE_COLOR[2]);
  m.attr("PLANE_TRANSPARENCY") = nimbal::services::PLANE_TRANSPARENCY;

  pyb::class_<ShapeInfo, std::shared_ptr<ShapeInfo>>(m, "ShapeInfo", doc::info_cls)
      .def(pyb::init([](std::string shape_id, Handle(AIS_Shape) ais_shape, typed<color_or_none_name> color, bool visible) {
             return std::make_shared<ShapeInfo>(
                 ShapeInfo{std::move(shape_id), std::move(ais_shape), info_color(color), visible});
           }),
           pyb::arg("shape_id"), pyb::arg("ais_shape"), pyb::arg("color") = pyb::none(),
           pyb::arg("visible") = true, doc::info_init)
      .def_readwrite("shape_id", &ShapeInfo::shape_id, doc::info_shape_id)
      .def_readwrite("ais_shape", &ShapeInfo::ais_shape, doc::info_ais_shape)
      .def_property(
          "color",
          [](const ShapeInfo& s) { return typed<color_or_none_name>(s.color ? components_to_py(*s.color) : pyb::none()); },
          [](ShapeInfo& s, typed<color_or_none_name> v) { s.color = info_color(v); }, doc::info_color)
      .def_readwrite("visible", &ShapeInfo::visible, doc::info_visible);

  pyb::class_<Lumbra, PyLumbra> cls(m, "Lumbra", doc::cls);
  cls.def(pyb::init<Handle(V3d_View), Handle(V3d_Viewer), Handle(AIS_InteractiveContext)>(), pyb::arg("view"),
          pyb::arg("viewer"), pyb::arg("context"), doc::init)
      // state
      .def_property_readonly("_view", &Lumbra::get_view, doc::_view)
      .def_property_readonly("_viewer", &Lumbra::get_viewer, doc::_viewer)
      .def_property_readonly("_context", &Lumbra::get_context, doc::_context)
      .def_property("_is_rendering", &Lumbra::is_rendering, &Lumbra::set_is_rendering, doc::_is_rendering)
      .def_property_readonly("_shapes", [](const Lumbra& l) { return shapes_dict(l.shapes()); }, doc::_shapes)
      .def_property_readonly("_ais_to_id",
                             [](const Lumbra& l) {
                               pyb::dict d;
                               for (const auto& kv : l.ais_to_id()) d[pyb::cast(kv.second.ais_shape)] = pyb::str(kv.second.shape_id);
                               return d;
                             },
                             doc::_ais_to_id)
      .def_property_readonly("_plane_objects",
                             [](const Lumbra& l) {
                               pyb::dict d;
                               for (const auto& [id, e] : l.plane_objects())
                                 d[pyb::str(id)] = pyb::make_tuple(e.ais_shape, e.origin, e.normal);
                               return d;
                             },
                             doc::_plane_objects)
      .def_property_readonly("_plane_visible",
                             [](const Lumbra& l) {
                               pyb::dict d;
                               for (const auto& [id, v] : l.plane_visible()) d[pyb::str(id)] = pyb::bool_(v);
                               return d;
                             },
                             doc::_plane_visible)
      .def_property_readonly("_global_transparency", &Lumbra::global_transparency, doc::_global_transparency)
      .def_property_readonly("_current_display_mode", &Lumbra::current_display_mode, doc::_current_display_mode)
      .def_property_readonly("_background_color", [](const Lumbra& l) { return pyb::cast(l.background_color()); },
                             doc::_background_color)
      .def_property_readonly("_background_gradient",
                             [](const Lumbra& l) -> pyb::object {
                               const auto& g = l.background_gradient();
                               if (!g) return pyb::none();
                               return pyb::make_tuple(g->color1, g->color2, g->method);
                             },
                             doc::_background_gradient)
      // initial view, camera, fitting
      .def("setup_initial_view", &Lumbra::setup_initial_view, doc::setup_initial_view)
      .def("_setup_trihedron", &Lumbra::_setup_trihedron, doc::setup_trihedron);
  nimbal::py::def(cls, "set_projection", &Lumbra::set_projection, pyb::arg("direction"), doc::set_projection);
  nimbal::py::def(cls, "set_projection_type", &Lumbra::set_projection_type, pyb::arg("projection_type"),
                  doc::set_projection_type);
  cls.def("fit_all", &Lumbra::fit_all, doc::fit_all)
      .def("redraw", &Lumbra::redraw, doc::redraw)
      .def("must_be_resized", &Lumbra::must_be_resized, doc::must_be_resized)
      // shapes
      .def("display_shape",
           guarded_args(LOGGER, "Error displaying shape: ",
                        [](Lumbra& l, PyValue<TopoDS_Shape> shape, const std::string& shape_id,
                           std::optional<Components> color, bool update, double width) {
                          return l.display_shape(shape, shape_id, color, update, width);
                        }),
           pyb::arg("shape"), pyb::arg("shape_id"), pyb::arg("color") = pyb::none(), pyb::arg("update") = true,
           pyb::arg("width") = 1.0, doc::display_shape);
  nimbal::py::def(cls, "set_display_mode", &Lumbra::set_display_mode, pyb::arg("mode"), doc::set_display_mode);
  cls.def("_configure_shape_edges", &Lumbra::_configure_shape_edges, pyb::arg("ais_shape"), pyb::arg("enable"),
          doc::configure_shape_edges)
      .def("update_shape", guarded_args(LOGGER, "Error updating shape: ", &Lumbra::update_shape),
           pyb::arg("ais_shape"), pyb::arg("update") = true, doc::update_shape)
      .def("set_shape_color", guarded_args(LOGGER, "Error setting shape color: ", &Lumbra::set_shape_color),
           pyb::arg("ais_shape"), pyb::arg("color"), pyb::arg("update") = true, doc::set_shape_color)
      .def("erase_all", &Lumbra::erase_all, doc::erase_all)
      .def("erase_shape",
           guarded_args(LOGGER, "Error erasing shape: ",
                        [](Lumbra& l, const Id& id, bool update) {
                          if (id) l.erase_shape(*id, update);
                        }),
           pyb::arg("shape_id"), pyb::arg("update") = true, doc::erase_shape)
      .def("get_all_shapes", [](const Lumbra& l) { return shapes_dict(l.get_all_shapes()); }, doc::get_all_shapes)
      .def("get_shape_info", &Lumbra::get_shape_info, pyb::arg("shape_id"), doc::get_shape_info)
      .def("set_shape_visibility",
           guarded_args(LOGGER, "Error setting shape visibility: ",
                        [](Lumbra& l, const Id& id, bool visible, bool update) {
                          if (id) l.set_shape_visibility(*id, visible, update);
                        }),
           pyb::arg("shape_id"), pyb::arg("visible"), pyb::arg("update") = true, doc::set_shape_visibility)
      .def("is_shape_visible", &Lumbra::is_shape_visible, pyb::arg("shape_id"), doc::is_shape_visible)
      // reference planes
      .def("display_plane", guarded_args(LOGGER, "Error displaying plane %s: ", &Lumbra::display_plane),
           pyb::arg("shape_id"), pyb::arg("origin"), pyb::arg("normal"), pyb::arg("update") = true, doc::display_plane)
      .def("get_plane_ais", &Lumbra::get_plane_ais, pyb::arg("shape_id"), doc::get_plane_ais)
      .def("erase_plane",
           guarded_args(LOGGER, "Error erasing plane %s: ",
                        [](Lumbra& l, const Id& id, bool update) {
                          if (id) l.erase_plane(*id, update);
                        }),
           pyb::arg("shape_id"), pyb::arg("update") = true, doc::erase_plane)
      .def("update_plane_display_sizes", &Lumbra::update_plane_display_sizes, doc::update_plane_display_sizes);
  nimbal::py::def(cls, "_build_plane_face", &Lumbra::_build_plane_face, pyb::arg("origin"), pyb::arg("normal"),
                  pyb::arg("size"), doc::build_plane_face);
  cls.def("_plane_display_size", &Lumbra::_plane_display_size, doc::plane_display_size)
      // selection by id, lookup
      .def("select_shapes",
           guarded_args(LOGGER, "Error selecting shapes: ", [](Lumbra& l, Ids ids) { l.select_shapes(ids.text); }),
           pyb::arg("shape_ids"), doc::select_shapes)
      // Through the object's own select_shapes (a subclass's, too), which
      // takes any id and logs what it cannot use.
      .def("select_shape",
           [](typed<class_name<Lumbra>> self, typed<str_name> shape_id) {
             pyb::list ids;
             ids.append(shape_id);
             self.attr("select_shapes")(ids);
           },
           pyb::arg("shape_id"), doc::select_shape)
      .def("get_shape_id_for_ais_shape",
           [](const Lumbra& l, typed<ais_shape_or_none_name> ais_shape) {
             return l.get_shape_id_for_ais_shape(PyValue<Handle(AIS_Shape)>(ais_shape));
           },
           pyb::arg("ais_shape"), doc::get_shape_id_for_ais_shape)
      .def("get_shape_count", &Lumbra::get_shape_count, doc::get_shape_count)
      // navigation, accessors, background, transparency
      .def("start_rotation",
           guarded_args(LOGGER, "Error starting rotation: ",
                        [](Lumbra& l, Pixel x, Pixel y) { l.start_rotation(x, y); }),
           pyb::arg("x"), pyb::arg("y"), doc::start_rotation)
      .def("rotate", guarded_args(LOGGER, "Error rotating: ", [](Lumbra& l, Pixel x, Pixel y) { l.rotate(x, y); }),
           pyb::arg("x"), pyb::arg("y"), doc::rotate)
      .def("pan", guarded_args(LOGGER, "Error panning: ", [](Lumbra& l, Pixel dx, Pixel dy) { l.pan(dx, dy); }),
           pyb::arg("dx"), pyb::arg("dy"), doc::pan)
      .def("zoom", guarded_args(LOGGER, "Error zooming: ", &Lumbra::zoom), pyb::arg("factor"), doc::zoom)
      .def("get_view", &Lumbra::get_view, doc::get_view)
      .def("get_viewer", &Lumbra::get_viewer, doc::get_viewer)
      .def("get_context", &Lumbra::get_context, doc::get_context)
      .def("set_background_color", guarded_args(LOGGER, "Error setting background color: ", &Lumbra::set_background_color),
           pyb::arg("color"), doc::set_background_color)
      .def("set_background_gradient",
           guarded_args(LOGGER, "Error setting background gradient: ", &Lumbra::set_background_gradient),
           pyb::arg("color1"), pyb::arg("color2"), pyb::arg("method") = Aspect_GradientFillMethod_Vertical,
           doc::set_background_gradient)
      .def("set_global_transparency",
           guarded_args(LOGGER, "Error setting global transparency: ", &Lumbra::set_global_transparency),
           pyb::arg("transparency"), pyb::arg("update") = true, doc::set_global_transparency);
  nimbal::py::guard_method_self(m);  // last: after every class is bound
}
