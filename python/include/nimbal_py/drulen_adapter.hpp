// A kernel service given from Python, seen from C++ as a DrulenProtocol.
//
// `drulen_protocol_from(obj)` gives the C++ object itself for a `Drulen` (or
// a Python subclass of it, whose overrides its trampoline honours) and
// otherwise an adapter that calls the 24 operations on any Python object by
// name, positionally, leaving out the placement arguments the caller left
// out. Results are checked on the way back: None is "no shape", anything
// that is not what the operation yields raises TypeError. A module using
// this imports nimbal.services.drulen first.
#pragma once

#include <memory>
#include <string>

#include "nimbal/services/drulen.hpp"
#include "nimbal_py/kernel.hpp"

namespace nimbal::py::drulen_conv {

using namespace nimbal::services;

inline pyb::object shape_arg(const TopoDS_Shape& s) { return shape_or_none(s); }

inline pyb::list shapes_arg(const Shapes& shapes) {
  pyb::list out;
  for (const auto& s : shapes) out.append(shape_or_none(s));
  return out;
}

inline pyb::list indices_arg(const Indices& indices) {
  pyb::list out;
  for (long long i : indices) out.append(pyb::int_(i));
  return out;
}

inline pyb::tuple count_arg(const Count3& c) { return pyb::make_tuple(c[0], c[1], c[2]); }

inline pyb::list points_arg(const std::vector<Point3>& points) {
  pyb::list out;
  for (const auto& p : points) out.append(point_to_tuple<3>(p));
  return out;
}

// A Python value as a shape: a kernel shape, or None for the null shape.
inline TopoDS_Shape shape_result(pyb::handle value, const char* op) {
  if (value.is_none()) return TopoDS_Shape();
  try {
    return value.cast<TopoDS_Shape>();
  } catch (const pyb::cast_error&) {
    throw nimbal::WrongType(std::string(op) + " returned " + type_name(value) +
                            ", expected a TopoDS_Shape or None");
  }
}

inline bool bool_result(pyb::handle value, const char* op) {
  int truth = PyObject_IsTrue(value.ptr());
  if (truth < 0) throw pyb::error_already_set();
  return truth != 0;
}

inline Shapes shapes_result(pyb::handle value, const char* op) {
  Shapes out;
  if (value.is_none()) return out;  // "no faces", as an empty list
  if (!PySequence_Check(value.ptr()) || PyUnicode_Check(value.ptr()))
    throw nimbal::WrongType(std::string(op) + " returned " + type_name(value) + ", expected a list of shapes");
  for (pyb::handle item : value) {
    if (item.is_none())
      throw nimbal::WrongType(std::string(op) + " returned None among its shapes");
    out.push_back(shape_result(item, op));
  }
  return out;
}

inline PlaneParams plane_result(pyb::handle value, const char* op) {
  Point3 origin, normal;
  bool ok = PySequence_Check(value.ptr()) && !PyUnicode_Check(value.ptr()) && pyb::len(value) == 2 &&
            as_point<3>(value[pyb::int_(0)], origin) && as_point<3>(value[pyb::int_(1)], normal);
  if (!ok)
    throw nimbal::WrongType(std::string(op) + " returned " + type_name(value) +
                            ", expected (origin, normal) as two triples of numbers");
  return {origin, normal};
}

// A refused plane from a Python service arrives as the core's ValueError, the
// one failure the manager's plane constructors answer with none.
template <class Call>
PlaneParams plane_call(Call&& call, const char* op) {
  pyb::object value;
  try {
    value = call();
  } catch (pyb::error_already_set& e) {
    if (!e.matches(PyExc_ValueError)) throw;
    throw nimbal::InvalidValue(pyb::str(e.value()).cast<std::string>());
  }
  return plane_result(value, op);
}

}  // namespace nimbal::py::drulen_conv

// The 24 operations as calls of a Python callable `F` obtained by name;
// shared by the adapter and by Drulen's trampoline. `LOOKUP(name)` yields
// the callable (false when there is none), `FALLBACK(call)` the C++ call
// made then.
#define NIMBAL_DRULEN_FORWARD_ALL(LOOKUP, FALLBACK)                                                         \
  TopoDS_Shape create_box(double width, double height, double depth,                                        \
                          std::optional<::nimbal::services::Point3> position = std::nullopt) override {     \
    namespace c = ::nimbal::py::drulen_conv;                                                                \
    ::pybind11::gil_scoped_acquire gil;                                                                     \
    if (auto f = LOOKUP("create_box"))                                                                      \
      return c::shape_result(position ? f(width, height, depth, *position) : f(width, height, depth),      \
                             "create_box");                                                                 \
    FALLBACK(create_box(width, height, depth, position));                                                   \
  }                                                                                                         \
  TopoDS_Shape create_sphere(double radius, std::optional<::nimbal::services::Point3> center = std::nullopt) \
      override {                                                                                            \
    namespace c = ::nimbal::py::drulen_conv;                                                                \
    ::pybind11::gil_scoped_acquire gil;                                                                     \
    if (auto f = LOOKUP("create_sphere"))                                                                   \
      return c::shape_result(center ? f(radius, *center) : f(radius), "create_sphere");                    \
    FALLBACK(create_sphere(radius, center));                                                                \
  }                                                                                                         \
  TopoDS_Shape create_cylinder(double radius, double height,                                                \
                               std::optional<::nimbal::services::Point3> position = std::nullopt,           \
                               std::optional<::nimbal::services::Point3> direction = std::nullopt) override { \
    namespace c = ::nimbal::py::drulen_conv;                                                                \
    ::pybind11::gil_scoped_acquire gil;                                                                     \
    if (auto f = LOOKUP("create_cylinder")) {                                                               \
      if (direction)                                                                                        \
        return c::shape_result(f(radius, height, position.value_or(::nimbal::services::Drulen::default_position), \
                                 *direction), "create_cylinder");                                          \
      return c::shape_result(position ? f(radius, height, *position) : f(radius, height), "create_cylinder"); \
    }                                                                                                       \
    FALLBACK(create_cylinder(radius, height, position, direction));                                         \
  }                                                                                                         \
  TopoDS_Shape create_cone(double radius1, double radius2, double height,                                   \
                           std::optional<::nimbal::services::Point3> position = std::nullopt,               \
                           std::optional<::nimbal::services::Point3> direction = std::nullopt) override {   \
    namespace c = ::nimbal::py::drulen_conv;                                                                \
    ::pybind11::gil_scoped_acquire gil;                                                                     \
    if (auto f = LOOKUP("create_cone")) {                                                                   \
      if (direction)                                                                                        \
        return c::shape_result(f(radius1, radius2, height,                                                  \
                                 position.value_or(::nimbal::services::Drulen::default_position), *direction), \
                               "create_cone");                                                              \
      return c::shape_result(position ? f(radius1, radius2, height, *position) : f(radius1, radius2, height), \
                             "create_cone");                                                                \
    }                                                                                                       \
    FALLBACK(create_cone(radius1, radius2, height, position, direction));                                   \
  }                                                                                                         \
  TopoDS_Shape create_torus(double major_radius, double minor_radius,                                       \
                            std::optional<::nimbal::services::Point3> position = std::nullopt,              \
                            std::optional<::nimbal::services::Point3> direction = std::nullopt) override {  \
    namespace c = ::nimbal::py::drulen_conv;                                                                \
    ::pybind11::gil_scoped_acquire gil;                                                                     \
    if (auto f = LOOKUP("create_torus")) {                                                                  \
      if (direction)                                                                                        \
        return c::shape_result(f(major_radius, minor_radius,                                                \
                                 position.value_or(::nimbal::services::Drulen::default_position), *direction), \
                               "create_torus");                                                             \
      return c::shape_result(position ? f(major_radius, minor_radius, *position) : f(major_radius, minor_radius), \
                             "create_torus");                                                               \
    }                                                                                                       \
    FALLBACK(create_torus(major_radius, minor_radius, position, direction));                                \
  }                                                                                                         \
  TopoDS_Shape create_rectangle(double width, double height) override {                                     \
    ::pybind11::gil_scoped_acquire gil;                                                                     \
    if (auto f = LOOKUP("create_rectangle"))                                                                \
      return ::nimbal::py::drulen_conv::shape_result(f(width, height), "create_rectangle");                 \
    FALLBACK(create_rectangle(width, height));                                                              \
  }                                                                                                         \
  TopoDS_Shape create_circle(double radius) override {                                                      \
    ::pybind11::gil_scoped_acquire gil;                                                                     \
    if (auto f = LOOKUP("create_circle"))                                                                   \
      return ::nimbal::py::drulen_conv::shape_result(f(radius), "create_circle");                           \
    FALLBACK(create_circle(radius));                                                                        \
  }                                                                                                         \
  TopoDS_Shape translate_shape(const TopoDS_Shape& shape, double dx, double dy, double dz) override {        \
    namespace c = ::nimbal::py::drulen_conv;                                                                \
    ::pybind11::gil_scoped_acquire gil;                                                                     \
    if (auto f = LOOKUP("translate_shape"))                                                                 \
      return c::shape_result(f(c::shape_arg(shape), dx, dy, dz), "translate_shape");                        \
    FALLBACK(translate_shape(shape, dx, dy, dz));                                                           \
  }                                                                                                         \
  TopoDS_Shape rotate_shape(const TopoDS_Shape& shape, const ::nimbal::services::Point3& axis_point,        \
                            const ::nimbal::services::Point3& axis_direction, double angle_degrees) override { \
    namespace c = ::nimbal::py::drulen_conv;                                                                \
    ::pybind11::gil_scoped_acquire gil;                                                                     \
    if (auto f = LOOKUP("rotate_shape"))                                                                    \
      return c::shape_result(f(c::shape_arg(shape), axis_point, axis_direction, angle_degrees), "rotate_shape"); \
    FALLBACK(rotate_shape(shape, axis_point, axis_direction, angle_degrees));                               \
  }                                                                                                         \
  TopoDS_Shape fuse_shapes(const TopoDS_Shape& shape1, const TopoDS_Shape& shape2) override {               \
    namespace c = ::nimbal::py::drulen_conv;                                                                \
    ::pybind11::gil_scoped_acquire gil;                                                                     \
    if (auto f = LOOKUP("fuse_shapes"))                                                                     \
      return c::shape_result(f(c::shape_arg(shape1), c::shape_arg(shape2)), "fuse_shapes");                 \
    FALLBACK(fuse_shapes(shape1, shape2));                                                                  \
  }                                                                                                         \
  TopoDS_Shape cut_shapes(const TopoDS_Shape& shape1, const TopoDS_Shape& shape2) override {                \
    namespace c = ::nimbal::py::drulen_conv;                                                                \
    ::pybind11::gil_scoped_acquire gil;                                                                     \
    if (auto f = LOOKUP("cut_shapes"))                                                                      \
      return c::shape_result(f(c::shape_arg(shape1), c::shape_arg(shape2)), "cut_shapes");                  \
    FALLBACK(cut_shapes(shape1, shape2));                                                                   \
  }                                                                                                         \
  TopoDS_Shape unify_same_domain(const TopoDS_Shape& shape) override {                                      \
    namespace c = ::nimbal::py::drulen_conv;                                                                \
    ::pybind11::gil_scoped_acquire gil;                                                                     \
    if (auto f = LOOKUP("unify_same_domain"))                                                               \
      return c::shape_result(f(c::shape_arg(shape)), "unify_same_domain");                                  \
    FALLBACK(unify_same_domain(shape));                                                                     \
  }                                                                                                         \
  TopoDS_Shape import_file(const std::string& filename) override {                                          \
    ::pybind11::gil_scoped_acquire gil;                                                                     \
    if (auto f = LOOKUP("import_file"))                                                                     \
      return ::nimbal::py::drulen_conv::shape_result(f(filename), "import_file");                           \
    FALLBACK(import_file(filename));                                                                        \
  }                                                                                                         \
  bool export_shapes_to_step(const ::nimbal::services::Shapes& shapes, const std::string& filename) override { \
    namespace c = ::nimbal::py::drulen_conv;                                                                \
    ::pybind11::gil_scoped_acquire gil;                                                                     \
    if (auto f = LOOKUP("export_shapes_to_step"))                                                           \
      return c::bool_result(f(c::shapes_arg(shapes), filename), "export_shapes_to_step");                   \
    FALLBACK(export_shapes_to_step(shapes, filename));                                                      \
  }                                                                                                         \
  bool export_shapes_to_iges(const ::nimbal::services::Shapes& shapes, const std::string& filename) override { \
    namespace c = ::nimbal::py::drulen_conv;                                                                \
    ::pybind11::gil_scoped_acquire gil;                                                                     \
    if (auto f = LOOKUP("export_shapes_to_iges"))                                                           \
      return c::bool_result(f(c::shapes_arg(shapes), filename), "export_shapes_to_iges");                   \
    FALLBACK(export_shapes_to_iges(shapes, filename));                                                      \
  }                                                                                                         \
  ::nimbal::services::Shapes explode_to_faces(const TopoDS_Shape& shape) override {                         \
    namespace c = ::nimbal::py::drulen_conv;                                                                \
    ::pybind11::gil_scoped_acquire gil;                                                                     \
    if (auto f = LOOKUP("explode_to_faces"))                                                                \
      return c::shapes_result(f(c::shape_arg(shape)), "explode_to_faces");                                  \
    FALLBACK(explode_to_faces(shape));                                                                      \
  }                                                                                                         \
  TopoDS_Shape create_array_compound(const TopoDS_Shape& base_shape, const ::nimbal::services::Count3& count, \
                                     const ::nimbal::services::Point3& spacing) override {                  \
    namespace c = ::nimbal::py::drulen_conv;                                                                \
    ::pybind11::gil_scoped_acquire gil;                                                                     \
    if (auto f = LOOKUP("create_array_compound"))                                                           \
      return c::shape_result(f(c::shape_arg(base_shape), c::count_arg(count), spacing),                     \
                             "create_array_compound");                                                      \
    FALLBACK(create_array_compound(base_shape, count, spacing));                                            \
  }                                                                                                         \
  TopoDS_Shape apply_fillet(const TopoDS_Shape& shape, double radius,                                       \
                            const ::nimbal::services::Indices& edge_indices = {}) override {                \
    namespace c = ::nimbal::py::drulen_conv;                                                                \
    ::pybind11::gil_scoped_acquire gil;                                                                     \
    if (auto f = LOOKUP("apply_fillet"))                                                                    \
      return c::shape_result(f(c::shape_arg(shape), radius, c::indices_arg(edge_indices)), "apply_fillet"); \
    FALLBACK(apply_fillet(shape, radius, edge_indices));                                                    \
  }                                                                                                         \
  TopoDS_Shape apply_corner_round(const TopoDS_Shape& shape, double radius,                                 \
                                  const ::nimbal::services::Indices& vertex_indices = {}) override {        \
    namespace c = ::nimbal::py::drulen_conv;                                                                \
    ::pybind11::gil_scoped_acquire gil;                                                                     \
    if (auto f = LOOKUP("apply_corner_round"))                                                              \
      return c::shape_result(f(c::shape_arg(shape), radius, c::indices_arg(vertex_indices)),                \
                             "apply_corner_round");                                                         \
    FALLBACK(apply_corner_round(shape, radius, vertex_indices));                                            \
  }                                                                                                         \
  TopoDS_Shape apply_polyline_round(const TopoDS_Shape& shape, double radius,                               \
                                    const ::nimbal::services::Indices& vertex_indices = {}) override {      \
    namespace c = ::nimbal::py::drulen_conv;                                                                \
    ::pybind11::gil_scoped_acquire gil;                                                                     \
    if (auto f = LOOKUP("apply_polyline_round"))                                                            \
      return c::shape_result(f(c::shape_arg(shape), radius, c::indices_arg(vertex_indices)),                \
                             "apply_polyline_round");                                                       \
    FALLBACK(apply_polyline_round(shape, radius, vertex_indices));                                          \
  }                                                                                                         \
  ::nimbal::services::PlaneParams plane_params_for_standard(const std::string& standard_plane) override {   \
    ::pybind11::gil_scoped_acquire gil;                                                                     \
    if (auto f = LOOKUP("plane_params_for_standard"))                                                       \
      return ::nimbal::py::drulen_conv::plane_call([&] { return f(standard_plane); },                      \
                                                   "plane_params_for_standard");                           \
    FALLBACK(plane_params_for_standard(standard_plane));                                                    \
  }                                                                                                         \
  ::nimbal::services::PlaneParams plane_params_from_face(const TopoDS_Shape& face_shape) override {         \
    namespace c = ::nimbal::py::drulen_conv;                                                                \
    ::pybind11::gil_scoped_acquire gil;                                                                     \
    if (auto f = LOOKUP("plane_params_from_face"))                                                          \
      return c::plane_call([&] { return f(c::shape_arg(face_shape)); }, "plane_params_from_face");          \
    FALLBACK(plane_params_from_face(face_shape));                                                           \
  }                                                                                                         \
  TopoDS_Shape create_polyline(const std::vector<::nimbal::services::Point3>& points, bool closed = false)   \
      override {                                                                                            \
    namespace c = ::nimbal::py::drulen_conv;                                                                \
    ::pybind11::gil_scoped_acquire gil;                                                                     \
    if (auto f = LOOKUP("create_polyline"))                                                                 \
      return c::shape_result(f(c::points_arg(points), closed), "create_polyline");                          \
    FALLBACK(create_polyline(points, closed));                                                              \
  }                                                                                                         \
  TopoDS_Shape extrude_shape(const TopoDS_Shape& shape, double depth) override {                            \
    namespace c = ::nimbal::py::drulen_conv;                                                                \
    ::pybind11::gil_scoped_acquire gil;                                                                     \
    if (auto f = LOOKUP("extrude_shape"))                                                                   \
      return c::shape_result(f(c::shape_arg(shape), depth), "extrude_shape");                               \
    FALLBACK(extrude_shape(shape, depth));                                                                  \
  }

namespace nimbal::py {

// Forwards the 24 operations to any Python object offering them.
class DrulenAdapter final : public nimbal::services::DrulenProtocol {
 public:
  explicit DrulenAdapter(pyb::object service) : service_(std::move(service)) {}
  ~DrulenAdapter() override {
    pyb::gil_scoped_acquire gil;
    service_ = pyb::object();
  }
  const pyb::object& service() const { return service_; }

#define NIMBAL_DRULEN_ADAPTER_LOOKUP(name) pyb::object(service_.attr(name))
#define NIMBAL_DRULEN_ADAPTER_FALLBACK(call) throw nimbal::MissingMember("unreachable")
  NIMBAL_DRULEN_FORWARD_ALL(NIMBAL_DRULEN_ADAPTER_LOOKUP, NIMBAL_DRULEN_ADAPTER_FALLBACK)
#undef NIMBAL_DRULEN_ADAPTER_LOOKUP
#undef NIMBAL_DRULEN_ADAPTER_FALLBACK

 private:
  pyb::object service_;
};

// The C++ Drulen behind `service` when it is one (its Python subclasses'
// overrides included), an adapter over the object otherwise. The result
// keeps `service` alive.
inline std::shared_ptr<nimbal::services::DrulenProtocol> drulen_protocol_from(pyb::object service) {
  pyb::handle drulen_type = pyb::detail::get_type_handle(typeid(nimbal::services::Drulen), false);
  if (drulen_type && PyObject_IsInstance(service.ptr(), drulen_type.ptr()) == 1) {
    auto* impl = service.cast<nimbal::services::Drulen*>();
    PyObject* keep = service.release().ptr();
    return std::shared_ptr<nimbal::services::DrulenProtocol>(
        static_cast<nimbal::services::DrulenProtocol*>(impl), [keep](nimbal::services::DrulenProtocol*) {
          pyb::gil_scoped_acquire gil;
          Py_DECREF(keep);
        });
  }
  return std::make_shared<DrulenAdapter>(std::move(service));
}

}  // namespace nimbal::py
