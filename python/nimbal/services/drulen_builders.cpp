// Builders, transforms, plane parameters and polylines: the operations that
// let errors through (kernel failures arrive as nimbal.kernel.KernelError).
#include "drulen_bind.hpp"

namespace pyb = pybind11;

namespace nimbal::py::drulen_bind {

namespace {

NIMBAL_PY_NAME(plane_params_name, "tuple[tuple[float, float, float], tuple[float, float, float]]");

pyb::object zero3() { return pyb::make_tuple(0, 0, 0); }
pyb::object z_axis() { return pyb::make_tuple(0, 0, 1); }

// The standard normals as Python tuples, made once: the same triple on every call.
pyb::handle standard_normal(const std::string& key) {
  static std::vector<std::pair<std::string, PyObject*>> cache = [] {
    std::vector<std::pair<std::string, PyObject*>> out;
    for (const auto& [k, n] : Drulen::standard_plane_normals())
      out.emplace_back(k, point_to_tuple<3>(n).release().ptr());
    return out;
  }();
  for (const auto& [k, t] : cache)
    if (k == key) return t;
  return pyb::handle();
}

[[noreturn]] void raise_value_error_from(const std::string& message, std::exception_ptr cause) {
  pyb::tuple info = exc_info_of(cause);
  pyb::object type = info[0], value = info[1];
  PyErr_SetObject(type.ptr(), value.ptr());
  pyb::raise_from(PyExc_ValueError, message.c_str());
  throw pyb::error_already_set();
}

}  // namespace

void bind_builders(DrulenClass& cls) {
  using O = Drulen::ops;
  cls.def_static("create_box", &O::create_box, pyb::arg("width"), pyb::arg("height"), pyb::arg("depth"),
                 pyb::arg("position") = zero3(), "Box of the three extents centred on position.");
  cls.def_static("create_sphere", &O::create_sphere, pyb::arg("radius"), pyb::arg("center") = zero3(),
                 "Sphere about center.");
  cls.def_static("create_cylinder", &O::create_cylinder, pyb::arg("radius"), pyb::arg("height"),
                 pyb::arg("position") = zero3(), pyb::arg("direction") = z_axis(),
                 "Cylinder along direction whose axis midpoint is position.");
  cls.def_static("create_cone", &O::create_cone, pyb::arg("radius1"), pyb::arg("radius2"), pyb::arg("height"),
                 pyb::arg("position") = zero3(), pyb::arg("direction") = z_axis(),
                 "Cone or truncated cone with its base centre at position.");
  cls.def_static("create_torus", &O::create_torus, pyb::arg("major_radius"), pyb::arg("minor_radius"),
                 pyb::arg("position") = zero3(), pyb::arg("direction") = z_axis(),
                 "Torus about position with axis direction.");
  cls.def_static("create_rectangle", &O::create_rectangle, pyb::arg("width"), pyb::arg("height"),
                 "Rectangular face in the XY plane centred on the origin.");
  cls.def_static("create_circle", &O::create_circle, pyb::arg("radius"),
                 "Disc face in the XY plane centred on the origin.");

  cls.def_static("translate_shape", &O::translate_shape, pyb::arg("shape"), pyb::arg("dx"), pyb::arg("dy"),
                 pyb::arg("dz"), "Translated copy of shape.");
  cls.def_static("rotate_shape", &O::rotate_shape, pyb::arg("shape"), pyb::arg("axis_point"),
                 pyb::arg("axis_direction"), pyb::arg("angle_degrees"),
                 "Copy of shape rotated about the axis through axis_point.");
  cls.def_static("scale_shape", &O::scale_shape, pyb::arg("shape"), pyb::arg("center"), pyb::arg("factor"),
                 "Copy of shape scaled uniformly about center.");

  cls.def(
      "create_array_compound",
      [](Drulen& self, const TopoDS_Shape& base_shape, const Count3& count, const Point3& spacing) {
        // Qualified: a subclass reaching this through super() must not loop
        // back into its own override.
        auto build = [&] { return self.Drulen::create_array_compound(base_shape, count, spacing); };
        // A Python translate_shape places the copies: that one needs the lock.
        if (pyb::get_override(static_cast<const Drulen*>(&self), "translate_shape")) return build();
        return without_gil(build);
      },
      pyb::arg("base_shape"), pyb::arg("count"), pyb::arg("spacing"),
      "Compound of copies of base_shape on a grid, each placed by this object's translate_shape.");

  cls.def_static(
      "plane_params_for_standard",
      [](typed<str_name> standard_plane) -> typed<plane_params_name> {
        if (PyUnicode_Check(standard_plane.ptr())) {
          pyb::handle normal = standard_normal(standard_plane.cast<std::string>());
          if (normal) return pyb::make_tuple(pyb::make_tuple(0.0, 0.0, 0.0), normal);
        }
        throw nimbal::InvalidValue("Unknown standard plane: " + std::string(pyb::repr(standard_plane)));
      },
      pyb::arg("standard_plane"), "(origin, normal) of the standard plane 'xy', 'xz' or 'yz'.");
  cls.def_static(
      "plane_params_from_face",
      [](ShapeArg face_shape) -> typed<plane_params_name> {
        try {
          TopoDS_Shape face;
          try {
            face = from_py::shape(face_shape, "face_shape");
          } catch (const nimbal::WrongType&) {
            throw Drulen::ops::plane_from_face_failure();
          }
          return pyb::cast(Drulen::ops::plane_params_from_face(face));
        } catch (const PlaneFromFaceError& e) {
          raise_value_error_from(e.what(), e.cause);
        }
      },
      pyb::arg("face_shape"), "(origin, normal) of the plane carrying a planar face.");
  cls.def_static(
      "create_polyline",
      [](const std::vector<Point3>& points, bool_arg closed) {
        return shape_or_none(Drulen::ops::create_polyline(points, from_py::truth(closed, "closed")));
      },
      pyb::arg("points"), pyb::arg("closed") = false, "Wire of straight edges through the points, or None.");

  cls.def_static("_fillet2d_face", or_none<&O::fillet2d_face>{}, pyb::arg("face"), pyb::arg("radius"),
                 pyb::arg("target_vertices"));
  cls.def_static("_apply_corner_round_wire", or_none<&O::apply_corner_round_wire>{}, pyb::arg("wire"),
                 pyb::arg("radius"), pyb::arg("target_vertices"));
}

}  // namespace nimbal::py::drulen_bind
