// nimbal.services.pikalo: the Python face of the selection service. Pixel,
// view and object arguments arrive as whatever the caller passed and are
// checked inside the operation's guard, so a bad one is logged, not raised.
// The view service handed to get_hovered_shape_id is any object with a
// get_shape_id_for_ais_shape method (a Lumbra, or a stand-in).
#include "nimbal/services/pikalo.hpp"

#include <climits>
#include <cmath>

#include "nimbal/kernel.hpp"
#include "nimbal_py/logging.hpp"
#include "nimbal_py/method_guard.hpp"
#include "nimbal_py/viewer.hpp"

namespace pyb = pybind11;
using nimbal::services::ObjectArg;
using nimbal::services::Pikalo;
using nimbal::services::PixelArg;
using nimbal::services::ShapeArgument;
using nimbal::services::ViewArg;

namespace {

constexpr const char* LOGGER = "nimbal.services.pikalo";



std::string not_a(const char* what, pyb::handle v) {
  return std::string(what) + " needed, not '" + nimbal::py::type_name(v) + "'";
}

ObjectArg object_arg(pyb::handle v) {  // None: an object that matches nothing
  if (v.is_none()) return ObjectArg(Handle(AIS_InteractiveObject)());
  if (!pyb::isinstance<AIS_InteractiveObject>(v)) return ObjectArg::invalid(not_a("an AIS_InteractiveObject", v));
  return ObjectArg(v.cast<Handle(AIS_InteractiveObject)>());
}

ViewArg view_arg(pyb::handle v) {
  if (!pyb::isinstance<V3d_View>(v)) return ViewArg::invalid(not_a("a V3d_View", v));
  return ViewArg(v.cast<Handle(V3d_View)>());
}

using namespace nimbal::py::typing;
NIMBAL_PY_NAME(mode_or_none_name, "nimbal.enums.SelectionMode | None");
NIMBAL_PY_NAME(lumbra_name, "nimbal.services.lumbra.Lumbra");
NIMBAL_PY_NAME(indices_name, "typing.Iterable[int]");
NIMBAL_PY_NAME(objects_name, "list[nimbal.kernel.AIS_InteractiveObject]");
NIMBAL_PY_NAME(shapes_name, "list[nimbal.kernel.TopoDS_Shape]");

PixelArg pixel_arg(pyb::handle v) {
  if (PyFloat_Check(v.ptr()) || !PyIndex_Check(v.ptr())) return PixelArg::invalid(not_a("an integer pixel", v));
  auto index = pyb::reinterpret_steal<pyb::object>(PyNumber_Index(v.ptr()));
  int overflow = 0;
  long long n = index ? PyLong_AsLongLongAndOverflow(index.ptr(), &overflow) : -1;
  if (!index || PyErr_Occurred()) {
    PyErr_Clear();
    return PixelArg::invalid(not_a("an integer pixel", v));
  }
  if (overflow || n < INT_MIN || n > INT_MAX) return PixelArg::invalid("pixel coordinate out of range");
  return PixelArg(static_cast<int>(n));
}

ShapeArgument shape_arg(pyb::handle v) {  // None: the null shape, no sub-shapes
  if (v.is_none()) return ShapeArgument(TopoDS_Shape());
  if (!pyb::isinstance<TopoDS_Shape>(v)) return ShapeArgument::invalid(not_a("a kernel shape", v));
  return ShapeArgument(v.cast<TopoDS_Shape>());
}

// An index list read as a set, as the host would: unhashable entries raise
// TypeError; whole numbers (also 2.0 or True) are indices; any other value
// equals no index and is dropped.
std::set<long long> index_set(pyb::handle indices) {
  std::set<long long> out;
  for (pyb::handle item : indices) {
    if (PyObject_Hash(item.ptr()) == -1) throw pyb::error_already_set();
    if (PyFloat_Check(item.ptr())) {
      double d = PyFloat_AS_DOUBLE(item.ptr());
      if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 9e18) out.insert(static_cast<long long>(d));
      continue;
    }
    if (!PyLong_Check(item.ptr())) continue;
    int overflow = 0;
    long long n = PyLong_AsLongLongAndOverflow(item.ptr(), &overflow);
    if (!overflow && !(n == -1 && PyErr_Occurred())) out.insert(n);
    PyErr_Clear();
  }
  return out;
}

template <class E>
std::optional<E> member_or_none(pyb::handle v) {
  pyb::detail::make_caster<E> c;
  if (!c.load(v, false)) return std::nullopt;
  return pyb::detail::cast_op<E>(c);
}

// The host's view service: only its id lookup is used.
class PyShapeIdLookup : public nimbal::services::ShapeIdLookup {
 public:
  explicit PyShapeIdLookup(pyb::handle obj) : obj_(obj) {}
  std::optional<std::string> get_shape_id_for_ais_shape(const Handle(AIS_InteractiveObject)& obj) override {
    pyb::object r = obj_.attr("get_shape_id_for_ais_shape")(obj);
    if (r.is_none()) return std::nullopt;
    if (!PyUnicode_Check(r.ptr()))
      throw nimbal::TypeError("get_shape_id_for_ais_shape returned '" + nimbal::py::type_name(r) +
                              "', not a str or None");
    return r.cast<std::string>();
  }

 private:
  pyb::handle obj_;
};

// Keeps the values the host gave for the mode and the flag (a 1 stays 1), and
// lets a Python subclass's overrides be the ones the service calls.
class PyPikalo : public Pikalo {
 public:
  using Pikalo::Pikalo;
  pyb::object mode_obj = pyb::cast(nimbal::SelectionMode::VOLUME);
  pyb::object enabled_obj = pyb::bool_(true);

  void set_mode(std::optional<nimbal::SelectionMode> mode) override {
    pyb::gil_scoped_acquire gil;
    // Reached from set_enabled only, with the stored mode: hand the override
    // the very value stored.
    if (pyb::function f = pyb::get_override(static_cast<const Pikalo*>(this), "set_mode")) {
      f(mode_obj);
      return;
    }
    Pikalo::set_mode(mode);
  }
  void configure_selection_colors() override { PYBIND11_OVERRIDE(void, Pikalo, configure_selection_colors, ); }
  std::vector<TopoDS_Shape> get_selected_subshapes() override {
    PYBIND11_OVERRIDE(std::vector<TopoDS_Shape>, Pikalo, get_selected_subshapes, );
  }
};

PyPikalo& alias(Pikalo& p) { return dynamic_cast<PyPikalo&>(p); }

pyb::list objects_list(const std::vector<Handle(AIS_InteractiveObject)>& v) {
  pyb::list out;
  for (const auto& o : v) out.append(o.IsNull() ? pyb::none() : pyb::cast(o));
  return out;
}

pyb::list shapes_list(const std::vector<TopoDS_Shape>& v) {
  pyb::list out;
  for (const auto& s : v) out.append(nimbal::py::shape_or_none(s));
  return out;
}

}  // namespace

PYBIND11_MODULE(pikalo, m) {
  m.doc() = "The selection service over the host's interactive context.";
  nimbal::py::register_core_errors();
  nimbal::py::install_log_sink();
  nimbal::py::import_kernel();
  pyb::module_::import("nimbal.enums");

  pyb::class_<Pikalo, PyPikalo, std::shared_ptr<Pikalo>>(m, "Pikalo")
      .def(pyb::init_alias<Handle(AIS_InteractiveContext)>(), pyb::arg("context"))
      .def_property_readonly("_context", &Pikalo::context)
      .def_property_readonly("_selection_enabled", [](Pikalo& p) { return alias(p).enabled_obj; })
      .def_property_readonly("_selection_mode", [](Pikalo& p) { return alias(p).mode_obj; })
      .def_property_readonly("_excluded", [](const Pikalo& p) { return objects_list(p.excluded()); })
      // modes, enabling, colours
      .def("set_mode",
           [](Pikalo& p, typed<mode_or_none_name> mode) {
             alias(p).mode_obj = mode;
             p.Pikalo::set_mode(member_or_none<nimbal::SelectionMode>(mode));
           },
           pyb::arg("mode"))
      .def("set_enabled",
           [](Pikalo& p, bool_arg enabled) {
             alias(p).enabled_obj = enabled;
             int truth = PyObject_IsTrue(enabled.ptr());
             if (truth < 0) {
               // Its truth value is the first step of the guarded body.
               try {
                 throw pyb::error_already_set();
               } catch (pyb::error_already_set& e) {
                 if (!e.matches(PyExc_Exception)) throw;
                 nimbal::log::write(LOGGER, nimbal::log::Level::Error,
                                    "Error setting selection enabled: " + nimbal::kernel::current_error_text(), std::current_exception());
               }
               return;
             }
             p.set_enabled(truth == 1);
           },
           pyb::arg("enabled"))
      .def("is_enabled", [](Pikalo& p) { return bool_arg(alias(p).enabled_obj); })
      .def("get_mode", [](Pikalo& p) { return typed<mode_or_none_name>(alias(p).mode_obj); })
      .def("configure_selection_colors", [](Pikalo& p) { p.Pikalo::configure_selection_colors(); })
      // exclusion, priorities, clearing
      .def("exclude_from_selection", &Pikalo::exclude_from_selection, pyb::arg("ais_obj"))
      .def("remove_excluded",
           [](Pikalo& p, typed<interactive_name> obj) {
             if (pyb::isinstance<AIS_InteractiveObject>(obj))
               p.remove_excluded(obj.cast<Handle(AIS_InteractiveObject)>());
           },
           pyb::arg("ais_obj"))
      .def("clear_excluded", &Pikalo::clear_excluded)
      .def("set_shape_selection_priority",
           [](Pikalo& p, typed<interactive_name> obj, int priority) { p.set_shape_selection_priority(object_arg(obj), priority); },
           pyb::arg("ais_obj"), pyb::arg("priority"))
      .def("clear", &Pikalo::clear)
      // hover, pick, reading the selection
      .def("move_to",
           [](Pikalo& p, typed<int_name> x, typed<int_name> y, typed<view_name> view, bool update) {
             p.move_to(pixel_arg(x), pixel_arg(y), view_arg(view), update);
           },
           pyb::arg("x"), pyb::arg("y"), pyb::arg("view"), pyb::arg("update") = true,
           "Detect and highlight what lies under the pixel; `update`: whether to update display.")
      .def("select",
           [](Pikalo& p, typed<int_name> x, typed<int_name> y, typed<view_name> view, bool replace) {
             p.select(pixel_arg(x), pixel_arg(y), view_arg(view), replace);
           },
           pyb::arg("x"), pyb::arg("y"), pyb::arg("view"), pyb::arg("replace") = true)
      .def("get_hovered_shape_id",
           [](Pikalo& p, typed<lumbra_name> lumbra) {
             PyShapeIdLookup lookup(lumbra);
             return p.get_hovered_shape_id(lookup);
           },
           pyb::arg("lumbra"))
      .def("get_selected_shapes", [](Pikalo& p) { return typed<objects_name>(objects_list(p.get_selected_shapes())); })
      // sub-shapes by index
      .def("select_edges_by_index",
           [](Pikalo& p, typed<interactive_name> ais_shape, typed<shape_name> base_shape, typed<indices_name> edge_indices) {
             if (!pyb::bool_(edge_indices)) return;
             auto set = index_set(edge_indices);
             if (set.empty()) return;
             p.select_edges_by_index(object_arg(ais_shape), shape_arg(base_shape), set);
           },
           pyb::arg("ais_shape"), pyb::arg("base_shape"), pyb::arg("edge_indices"))
      .def("select_vertices_by_index",
           [](Pikalo& p, typed<interactive_name> ais_shape, typed<shape_name> base_shape, typed<indices_name> vertex_indices) {
             if (!pyb::bool_(vertex_indices)) return;
             auto set = index_set(vertex_indices);
             if (set.empty()) return;
             p.select_vertices_by_index(object_arg(ais_shape), shape_arg(base_shape), set);
           },
           pyb::arg("ais_shape"), pyb::arg("base_shape"), pyb::arg("vertex_indices"))
      .def("get_selected_subshapes", [](Pikalo& p) { return typed<shapes_name>(shapes_list(p.Pikalo::get_selected_subshapes())); })
      .def("get_selected_edge_indices",
           [](Pikalo& p, typed<shape_name> base_shape) { return p.get_selected_edge_indices(shape_arg(base_shape)); },
           pyb::arg("base_shape"))
      .def("get_selected_vertex_indices",
           [](Pikalo& p, typed<shape_name> base_shape) { return p.get_selected_vertex_indices(shape_arg(base_shape)); },
           pyb::arg("base_shape"));
  nimbal::py::guard_method_self(m);  // last: after every class is bound
}
