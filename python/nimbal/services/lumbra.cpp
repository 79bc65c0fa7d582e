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
#include "lumbra_docs.hpp"

namespace pyb = pybind11;
using nimbal::services::Components;
using nimbal::services::Lumbra;
using nimbal::services::ShapeInfo;
using nimbal::py::guarded_args;
using nimbal::py::Id;
using nimbal::py::Pixel;
using nimbal::py::PyValue;

namespace doc = nimbal::py::lumbra::doc;

namespace {

constexpr const char* LOGGER = "nimbal.services.lumbra";

using namespace nimbal::py::typing;
NIMBAL_PY_NAME(color_or_none_name, "tuple[float, float, float] | None");
NIMBAL_PY_NAME(ais_shape_or_none_name, "nimbal.kernel.AIS_Shape | None");

pyb::object components_to_py(const Components& c) { return pyb::tuple(pyb::cast(c.values)); }

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

// A new dict of a table keyed by id, each value as `value` gives it.
template <class Table, class F>
pyb::dict by_id(const Table& table, F value) {
  pyb::dict d;
  for (const auto& [id, v] : table) d[pyb::str(id)] = value(v);
  return d;
}
const auto records = [](const std::shared_ptr<ShapeInfo>& info) { return pyb::cast(info); };

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
      .def_property_readonly("_shapes", [](const Lumbra& l) { return by_id(l.shapes(), records); }, doc::_shapes)
      .def_property_readonly("_ais_to_id",
                             [](const Lumbra& l) {
                               pyb::dict d;
                               for (const auto& kv : l.ais_to_id()) d[pyb::cast(kv.second.ais_shape)] = pyb::str(kv.second.shape_id);
                               return d;
                             },
                             doc::_ais_to_id)
      .def_property_readonly("_plane_objects",
                             [](const Lumbra& l) {
                               return by_id(l.plane_objects(), [](const nimbal::services::PlaneEntry& e) {
                                 return pyb::make_tuple(e.ais_shape, e.origin, e.normal);
                               });
                             },
                             doc::_plane_objects)
      .def_property_readonly("_plane_visible",
                             [](const Lumbra& l) { return by_id(l.plane_visible(), [](bool v) { return pyb::bool_(v); }); },
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
      .def("get_all_shapes", [](const Lumbra& l) { return by_id(l.get_all_shapes(), records); }, doc::get_all_shapes)
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
