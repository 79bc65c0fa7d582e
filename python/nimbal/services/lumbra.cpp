// nimbal.services.lumbra: the Python face of the 3D view service. Colour and
// point triples arrive as whatever the caller passed and are unpacked inside
// the operation's guard, so a bad one is logged, not raised; a Python
// subclass's override of the overridable steps is the one the service calls.
#include "nimbal/services/lumbra.hpp"

#include "nimbal/kernel.hpp"
#include "nimbal_py/logging.hpp"
#include "nimbal_py/method_guard.hpp"
#include "nimbal_py/viewer.hpp"

namespace pyb = pybind11;
using nimbal::services::Components;
using nimbal::services::Lumbra;
using nimbal::services::ShapeArg;
using nimbal::services::ShapeInfo;

namespace {

// Any value as a triple argument; what is not a sequence of numbers keeps
// the reason for the guard to report.
Components components(pyb::handle v) {
  if (v.is_none() || PyUnicode_Check(v.ptr()) || PyBytes_Check(v.ptr()))
    return Components::invalid("cannot unpack " + nimbal::py::type_name(v) + " into numbers");
  PyObject* it = PyObject_GetIter(v.ptr());
  if (!it) {
    PyErr_Clear();
    return Components::invalid("cannot unpack non-iterable " + nimbal::py::type_name(v) + " object");
  }
  auto iter = pyb::reinterpret_steal<pyb::object>(it);
  std::vector<double> out;
  while (PyObject* raw = PyIter_Next(iter.ptr())) {
    auto item = pyb::reinterpret_steal<pyb::object>(raw);
    double d;
    if (!nimbal::py::as_double(item, d))
      return Components::invalid("must be real number, not " + nimbal::py::type_name(item));
    out.push_back(d);
    if (out.size() > 16) break;  // enough to say "too many"
  }
  if (PyErr_Occurred()) {
    PyErr_Clear();
    return Components::invalid("the value could not be iterated");
  }
  return Components(std::move(out));
}

using namespace nimbal::py::typing;
NIMBAL_PY_NAME(color_or_none_name, "tuple[float, float, float] | None");
NIMBAL_PY_NAME(direction_name, "nimbal.enums.ViewDirection | None");
NIMBAL_PY_NAME(projection_name, "nimbal.enums.ProjectionType | None");
NIMBAL_PY_NAME(display_mode_name, "nimbal.enums.DisplayMode | None");
NIMBAL_PY_NAME(ids_name, "typing.Iterable[str]");
NIMBAL_PY_NAME(ais_shape_or_none_name, "nimbal.kernel.AIS_Shape | None");

pyb::object components_to_py(const Components& c) {
  pyb::tuple t(c.values.size());
  for (std::size_t i = 0; i < c.values.size(); ++i) t[i] = pyb::float_(c.values[i]);
  return std::move(t);
}

}  // namespace

namespace pybind11::detail {
template <>
struct type_caster<Components> {
  PYBIND11_TYPE_CASTER(Components, const_name("tuple[float, float, float]"));
  bool load(handle src, bool) {
    value = components(src);
    return true;
  }
  static handle cast(const Components& c, return_value_policy, handle) { return components_to_py(c).release(); }
};
template <>
struct type_caster<ShapeArg> {
  PYBIND11_TYPE_CASTER(ShapeArg, const_name("nimbal.kernel.TopoDS_Shape"));
  bool load(handle src, bool) {
    if (isinstance<TopoDS_Shape>(src))
      value.shape = src.cast<TopoDS_Shape>();
    else
      value.problem = "AIS_Shape() needs a kernel shape, not '" + nimbal::py::type_name(src) + "'";
    return true;
  }
  static handle cast(const ShapeArg& s, return_value_policy, handle) {
    return nimbal::py::shape_or_none(s.shape).release();
  }
};
}  // namespace pybind11::detail

namespace {

template <class E>
std::optional<E> member_or_none(pyb::handle v) {
  pyb::detail::make_caster<E> c;
  if (!c.load(v, false)) return std::nullopt;
  return pyb::detail::cast_op<E>(c);
}



bool rejection() {
  try {
    throw;
  } catch (pyb::error_already_set& e) {
    return e.matches(PyExc_TypeError) || e.matches(PyExc_AttributeError);
  } catch (const pyb::cast_error&) {
    return true;
  } catch (const nimbal::TypeError&) {
    return true;
  } catch (const nimbal::AttributeError&) {
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

pyb::object optional_components(const std::optional<Components>& c) {
  return c ? components_to_py(*c) : pyb::none();
}

std::optional<Components> optional_components_from(pyb::handle v) {
  if (v.is_none()) return std::nullopt;
  return components(v);
}

}  // namespace

PYBIND11_MODULE(lumbra, m) {
  m.doc() = "The 3D view service over the host's view, viewer and interactive context.";
  nimbal::py::register_core_errors();
  nimbal::py::install_log_sink();
  nimbal::py::import_kernel();
  pyb::module_::import("nimbal.enums");
  Lumbra::set_error_policy({&rejection});

  m.attr("PLANE_COLOR") = pyb::make_tuple(nimbal::services::PLANE_COLOR[0], nimbal::services::PLANE_COLOR[1],
                                          nimbal::services::PLANE_COLOR[2]);
  m.attr("PLANE_TRANSPARENCY") = nimbal::services::PLANE_TRANSPARENCY;

  pyb::class_<ShapeInfo, std::shared_ptr<ShapeInfo>>(m, "ShapeInfo")
      .def(pyb::init([](std::string shape_id, Handle(AIS_Shape) ais_shape, typed<color_or_none_name> color, bool visible) {
             auto info = std::make_shared<ShapeInfo>();
             info->shape_id = std::move(shape_id);
             info->ais_shape = std::move(ais_shape);
             info->color = optional_components_from(color);
             if (info->color && !info->color->problem.empty()) throw nimbal::TypeError("color: " + info->color->problem);
             info->visible = visible;
             return info;
           }),
           pyb::arg("shape_id"), pyb::arg("ais_shape"), pyb::arg("color") = pyb::none(),
           pyb::arg("visible") = true)
      .def_readwrite("shape_id", &ShapeInfo::shape_id)
      .def_readwrite("ais_shape", &ShapeInfo::ais_shape)
      .def_property(
          "color", [](const ShapeInfo& s) { return typed<color_or_none_name>(optional_components(s.color)); },
          [](ShapeInfo& s, typed<color_or_none_name> v) {
            auto c = optional_components_from(v);
            if (c && !c->problem.empty()) throw nimbal::TypeError("color: " + c->problem);
            s.color = std::move(c);
          })
      .def_readwrite("visible", &ShapeInfo::visible);

  pyb::class_<Lumbra, PyLumbra>(m, "Lumbra")
      .def(pyb::init<Handle(V3d_View), Handle(V3d_Viewer), Handle(AIS_InteractiveContext)>(), pyb::arg("view"),
           pyb::arg("viewer"), pyb::arg("context"))
      // state
      .def_property_readonly("_view", &Lumbra::get_view)
      .def_property_readonly("_viewer", &Lumbra::get_viewer)
      .def_property_readonly("_context", &Lumbra::get_context)
      .def_property("_is_rendering", &Lumbra::is_rendering, &Lumbra::set_is_rendering)
      .def_property_readonly("_shapes", [](const Lumbra& l) { return shapes_dict(l.shapes()); })
      .def_property_readonly("_ais_to_id",
                             [](const Lumbra& l) {
                               pyb::dict d;
                               for (const auto& kv : l.ais_to_id()) d[pyb::cast(kv.second.ais_shape)] = pyb::str(kv.second.shape_id);
                               return d;
                             })
      .def_property_readonly("_plane_objects",
                             [](const Lumbra& l) {
                               pyb::dict d;
                               for (const auto& [id, e] : l.plane_objects())
                                 d[pyb::str(id)] = pyb::make_tuple(e.ais_shape, components_to_py(e.origin),
                                                                   components_to_py(e.normal));
                               return d;
                             })
      .def_property_readonly("_plane_visible",
                             [](const Lumbra& l) {
                               pyb::dict d;
                               for (const auto& [id, v] : l.plane_visible()) d[pyb::str(id)] = pyb::bool_(v);
                               return d;
                             })
      .def_property_readonly("_global_transparency", &Lumbra::global_transparency)
      .def_property_readonly("_current_display_mode", &Lumbra::current_display_mode)
      .def_property_readonly("_background_color",
                             [](const Lumbra& l) { return components_to_py(l.background_color()); })
      .def_property_readonly("_background_gradient",
                             [](const Lumbra& l) -> pyb::object {
                               const auto& g = l.background_gradient();
                               if (!g) return pyb::none();
                               return pyb::make_tuple(components_to_py(g->color1), components_to_py(g->color2),
                                                      g->method);
                             })
      // initial view, camera, fitting
      .def("setup_initial_view", &Lumbra::setup_initial_view)
      .def("_setup_trihedron", &Lumbra::_setup_trihedron)
      .def("set_projection",
           [](Lumbra& l, typed<direction_name> direction) {
             l.set_projection(member_or_none<nimbal::ViewDirection>(direction));
           },
           pyb::arg("direction"))
      .def("set_projection_type",
           [](Lumbra& l, typed<projection_name> projection_type) {
             l.set_projection_type(member_or_none<nimbal::ProjectionType>(projection_type));
           },
           pyb::arg("projection_type"))
      .def("fit_all", &Lumbra::fit_all)
      .def("redraw", &Lumbra::redraw)
      .def("must_be_resized", &Lumbra::must_be_resized)
      // shapes
      .def(
          "display_shape",
          [](Lumbra& l, const ShapeArg& shape, const std::string& shape_id, typed<color_or_none_name> color, bool update,
             double width) {
            std::optional<Components> c;
            if (PyObject_IsTrue(color.ptr()) == 1) c = components(color);  // None or empty: no colour
            PyErr_Clear();
            return l.display_shape(shape, shape_id, c, update, width);
          },
          pyb::arg("shape"), pyb::arg("shape_id"), pyb::arg("color") = pyb::none(), pyb::arg("update") = true,
          pyb::arg("width") = 1.0)
      .def(
          "set_display_mode",
          [](Lumbra& l, typed<display_mode_name> mode) {
            l.set_display_mode(member_or_none<nimbal::DisplayMode>(mode).value_or(nimbal::DisplayMode::SHADED));
          },
          pyb::arg("mode"))
      .def("_configure_shape_edges", &Lumbra::_configure_shape_edges, pyb::arg("ais_shape"), pyb::arg("enable"))
      .def("update_shape", &Lumbra::update_shape, pyb::arg("ais_shape"), pyb::arg("update") = true)
      .def("set_shape_color", &Lumbra::set_shape_color, pyb::arg("ais_shape"), pyb::arg("color"),
           pyb::arg("update") = true)
      .def("erase_all", &Lumbra::erase_all)
      .def("erase_shape", &Lumbra::erase_shape, pyb::arg("shape_id"), pyb::arg("update") = true)
      .def("get_all_shapes", [](const Lumbra& l) { return shapes_dict(l.get_all_shapes()); })
      .def("get_shape_info", &Lumbra::get_shape_info, pyb::arg("shape_id"))
      .def("set_shape_visibility", &Lumbra::set_shape_visibility, pyb::arg("shape_id"), pyb::arg("visible"),
           pyb::arg("update") = true)
      .def("is_shape_visible", &Lumbra::is_shape_visible, pyb::arg("shape_id"))
      // reference planes
      .def("display_plane", &Lumbra::display_plane, pyb::arg("shape_id"), pyb::arg("origin"), pyb::arg("normal"),
           pyb::arg("update") = true)
      .def("get_plane_ais", &Lumbra::get_plane_ais, pyb::arg("shape_id"))
      .def("erase_plane", &Lumbra::erase_plane, pyb::arg("shape_id"), pyb::arg("update") = true)
      .def("update_plane_display_sizes", &Lumbra::update_plane_display_sizes)
      .def("_build_plane_face", &Lumbra::_build_plane_face, pyb::arg("origin"), pyb::arg("normal"),
           pyb::arg("size"))
      .def("_plane_display_size", &Lumbra::_plane_display_size)
      // selection by id, lookup
      .def(
          "select_shapes",
          [](Lumbra& l, typed<ids_name> shape_ids) {
            std::vector<std::string> ids;
            try {
              // Items that are not text can be no table's key: passed over.
              for (pyb::handle item : pyb::iter(shape_ids))
                if (PyUnicode_Check(item.ptr())) ids.push_back(item.cast<std::string>());
            } catch (pyb::error_already_set& e) {
              if (!e.matches(PyExc_Exception)) throw;
              nimbal::log::Logger("nimbal.services.lumbra")
                  .exception("Error selecting shapes: " + pyb::str(e.value()).cast<std::string>());
              return;
            }
            l.select_shapes(ids);
          },
          pyb::arg("shape_ids"))
      .def("select_shape", &Lumbra::select_shape, pyb::arg("shape_id"))
      .def(
          "get_shape_id_for_ais_shape",
          [](const Lumbra& l, typed<ais_shape_or_none_name> ais_shape) -> std::optional<std::string> {
            if (!pyb::isinstance<AIS_Shape>(ais_shape)) return std::nullopt;
            return l.get_shape_id_for_ais_shape(ais_shape.cast<Handle(AIS_Shape)>());
          },
          pyb::arg("ais_shape"))
      .def("get_shape_count", &Lumbra::get_shape_count)
      // navigation, accessors, background, transparency
      .def("start_rotation", &Lumbra::start_rotation, pyb::arg("x"), pyb::arg("y"))
      .def("rotate", &Lumbra::rotate, pyb::arg("x"), pyb::arg("y"))
      .def("pan", &Lumbra::pan, pyb::arg("dx"), pyb::arg("dy"))
      .def("zoom", &Lumbra::zoom, pyb::arg("factor"))
      .def("get_view", &Lumbra::get_view)
      .def("get_viewer", &Lumbra::get_viewer)
      .def("get_context", &Lumbra::get_context)
      .def("set_background_color", &Lumbra::set_background_color, pyb::arg("color"))
      .def("set_background_gradient", &Lumbra::set_background_gradient, pyb::arg("color1"), pyb::arg("color2"),
           pyb::arg("method") = Aspect_GradientFillMethod_Vertical)
      .def("set_global_transparency", &Lumbra::set_global_transparency, pyb::arg("transparency"),
           pyb::arg("update") = true);
  nimbal::py::guard_method_self(m);  // last: after every class is bound
}
