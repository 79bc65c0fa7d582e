// nimbal.services.drulen: the geometry kernel service.
#include <pybind11/eval.h>

#include "drulen_bind.hpp"
#include "nimbal_py/method_guard.hpp"

namespace pyb = pybind11;
using namespace nimbal::services;
namespace b = nimbal::py::drulen_bind;

namespace nimbal::py::drulen_bind {

TopoDS_Shape to_shape(pyb::handle obj, const char* name) {
  if (obj.is_none()) throw nimbal::TypeError(std::string(name) + " must be a TopoDS_Shape, not None");
  try {
    return obj.cast<TopoDS_Shape>();
  } catch (const pyb::cast_error&) {
    throw nimbal::TypeError(std::string(name) + " must be a TopoDS_Shape, not " + type_name(obj));
  }
}

double to_double(pyb::handle obj, const char* name) {
  double v;
  if (!as_double(obj, v)) throw nimbal::TypeError(std::string(name) + " must be a number, not " + type_name(obj));
  return v;
}

Indices to_indices(pyb::handle obj, const char* name) {
  PyObject* it = PyObject_GetIter(obj.ptr());
  if (!it) {
    PyErr_Clear();
    throw nimbal::TypeError(std::string(name) + " must be a sequence of integers, not " + type_name(obj));
  }
  auto iter = pyb::reinterpret_steal<pyb::object>(it);
  Indices out;
  while (PyObject* raw = PyIter_Next(iter.ptr())) {
    auto item = pyb::reinterpret_steal<pyb::object>(raw);
    if (PyFloat_Check(item.ptr())) {
      // Python compares 1.0 equal to 1: a whole float selects that index.
      double d = PyFloat_AsDouble(item.ptr());
      out.push_back(std::isfinite(d) && d == std::floor(d) && std::abs(d) < 9e18 ? static_cast<long long>(d)
                                                                               : LLONG_MIN);
      continue;
    }
    if (!PyIndex_Check(item.ptr()))
      throw nimbal::TypeError(std::string(name) + " must hold integers, not " + type_name(item));
    auto index = pyb::reinterpret_steal<pyb::object>(PyNumber_Index(item.ptr()));
    if (!index) throw pyb::error_already_set();
    int overflow = 0;
    long long v = PyLong_AsLongLongAndOverflow(index.ptr(), &overflow);
    // Beyond 64 bits an index is out of range: it selects nothing.
    out.push_back(overflow ? LLONG_MIN : v);
  }
  if (PyErr_Occurred()) throw pyb::error_already_set();
  return out;
}

Shapes to_shapes(pyb::handle obj, const char* name) {
  PyObject* it = PyObject_GetIter(obj.ptr());
  if (!it || PyUnicode_Check(obj.ptr())) {
    PyErr_Clear();
    throw nimbal::TypeError(std::string(name) + " must be a list of shapes, not " + type_name(obj));
  }
  auto iter = pyb::reinterpret_steal<pyb::object>(it);
  Shapes out;
  while (PyObject* raw = PyIter_Next(iter.ptr())) {
    auto item = pyb::reinterpret_steal<pyb::object>(raw);
    out.push_back(to_shape(item, "every element of shapes"));
  }
  if (PyErr_Occurred()) throw pyb::error_already_set();
  return out;
}

std::string to_filename(pyb::handle obj) {
  if (!PyUnicode_Check(obj.ptr()))
    throw nimbal::TypeError("filename must be a str, not " + type_name(obj));
  return obj.cast<std::string>();
}

}  // namespace nimbal::py::drulen_bind

namespace {

// The structural interface as the host's typing.Protocol: declarations only.
const char* protocol_source = R"PY(
import typing as _typing

@_typing.runtime_checkable
class DrulenProtocol(_typing.Protocol):
    """The 24 operations the geometry manager calls on its kernel service."""

    def create_box(self, width, height, depth, position=(0, 0, 0)): ...
    def create_sphere(self, radius, center=(0, 0, 0)): ...
    def create_cylinder(self, radius, height, position=(0, 0, 0), direction=(0, 0, 1)): ...
    def create_cone(self, radius1, radius2, height, position=(0, 0, 0), direction=(0, 0, 1)): ...
    def create_torus(self, major_radius, minor_radius, position=(0, 0, 0), direction=(0, 0, 1)): ...
    def create_rectangle(self, width, height): ...
    def create_circle(self, radius): ...
    def translate_shape(self, shape, dx, dy, dz): ...
    def rotate_shape(self, shape, axis_point, axis_direction, angle_degrees): ...
    def fuse_shapes(self, shape1, shape2): ...
    def cut_shapes(self, shape1, shape2): ...
    def unify_same_domain(self, shape): ...
    def import_file(self, filename): ...
    def export_shapes_to_step(self, shapes, filename): ...
    def export_shapes_to_iges(self, shapes, filename): ...
    def explode_to_faces(self, shape): ...
    def create_array_compound(self, base_shape, count, spacing): ...
    def apply_fillet(self, shape, radius, edge_indices=()): ...
    def apply_corner_round(self, shape, radius, vertex_indices=()): ...
    def apply_polyline_round(self, shape, radius, vertex_indices=()): ...
    def plane_params_for_standard(self, standard_plane): ...
    def plane_params_from_face(self, face_shape): ...
    def create_polyline(self, points, closed=False): ...
    def extrude_shape(self, shape, depth): ...

DrulenProtocol.__module__ = "nimbal.services.drulen"
)PY";

}  // namespace

PYBIND11_MODULE(drulen, m) {
  m.doc() = "Geometry kernel service: modelling operations over the kernel.";
  nimbal::py::import_kernel();
  nimbal::py::register_core_errors();
  nimbal::py::install_log_sink();

  m.attr("logger") = pyb::module_::import("logging").attr("getLogger")("nimbal.services.drulen");

  pyb::dict scope;
  scope["__builtins__"] = pyb::module_::import("builtins");
  scope["__name__"] = "nimbal.services.drulen";
  pyb::exec(protocol_source, scope);
  m.attr("DrulenProtocol") = scope["DrulenProtocol"];

  b::DrulenClass cls(m, "Drulen", "The geometry kernel service over the kernel; keeps no state.");
  cls.def(pyb::init<>());

  pyb::dict normals;
  for (const auto& [key, n] : Drulen::standard_plane_normals()) normals[pyb::str(key)] = nimbal::py::point_to_tuple<3>(n);
  cls.attr("_STANDARD_PLANE_NORMALS") = normals;

  b::bind_builders(cls);
  b::bind_modelling(cls);
  b::bind_exchange(m, cls);
  nimbal::py::guard_method_self(m);  // last: after every class is bound
}
