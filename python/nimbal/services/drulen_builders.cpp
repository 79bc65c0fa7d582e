// Builders, transforms, plane parameters and polylines: the operations that
// let errors through (kernel failures arrive as nimbal.kernel.KernelError).
#include <map>

#include "drulen_bind.hpp"
#include "drulen_docs.hpp"

namespace pyb = pybind11;
namespace doc = nimbal::py::drulen_docs;

namespace nimbal::py::drulen_bind {

namespace {

pyb::object zero3() { return pyb::make_tuple(0, 0, 0); }
pyb::object z_axis() { return pyb::make_tuple(0, 0, 1); }

// The standard normals by key, in the core's table order.
pyb::dict standard_normals() {
  pyb::dict normals;
  for (const auto& [key, n] : Drulen::standard_plane_normals()) normals[pyb::str(key)] = point_to_tuple<3>(n);
  return normals;
}

// Each normal as a tuple made once: the same object on every call.
typed<plane_params_name> plane_params_for_standard(const PlaneKey& standard_plane) {
  static auto* normals = new std::map<Point3, pyb::object>();  // lives as long as the interpreter
  const auto [origin, normal] = Drulen::host_ops::plane_params_for_standard(standard_plane);
  pyb::object& made = (*normals)[normal];
  if (!made) made = point_to_tuple<3>(normal);
  return pyb::make_tuple(point_to_tuple<3>(origin), made);
}

}  // namespace

void bind_builders(DrulenClass& cls) {
  using O = Drulen::ops;
  cls.attr("_STANDARD_PLANE_NORMALS") = standard_normals();
  cls.def_static("create_box", &O::create_box, pyb::arg("width"), pyb::arg("height"), pyb::arg("depth"),
                 pyb::arg("position") = zero3(), doc::create_box);
  cls.def_static("create_sphere", &O::create_sphere, pyb::arg("radius"), pyb::arg("center") = zero3(),
                 doc::create_sphere);
  cls.def_static("create_cylinder", &O::create_cylinder, pyb::arg("radius"), pyb::arg("height"),
                 pyb::arg("position") = zero3(), pyb::arg("direction") = z_axis(), doc::create_cylinder);
  cls.def_static("create_cone", &O::create_cone, pyb::arg("radius1"), pyb::arg("radius2"), pyb::arg("height"),
                 pyb::arg("position") = zero3(), pyb::arg("direction") = z_axis(), doc::create_cone);
  cls.def_static("create_torus", &O::create_torus, pyb::arg("major_radius"), pyb::arg("minor_radius"),
                 pyb::arg("position") = zero3(), pyb::arg("direction") = z_axis(), doc::create_torus);
  cls.def_static("create_rectangle", &O::create_rectangle, pyb::arg("width"), pyb::arg("height"),
                 doc::create_rectangle);
  cls.def_static("create_circle", &O::create_circle, pyb::arg("radius"), doc::create_circle);

  cls.def_static("translate_shape", &O::translate_shape, pyb::arg("shape"), pyb::arg("dx"), pyb::arg("dy"),
                 pyb::arg("dz"), doc::translate_shape);
  cls.def_static("rotate_shape", &O::rotate_shape, pyb::arg("shape"), pyb::arg("axis_point"),
                 pyb::arg("axis_direction"), pyb::arg("angle_degrees"), doc::rotate_shape);
  cls.def_static("scale_shape", &O::scale_shape, pyb::arg("shape"), pyb::arg("center"), pyb::arg("factor"),
                 doc::scale_shape);

  cls.def("create_array_compound", unlocked<&O::create_array_compound, false>{}, pyb::arg("base_shape"),
          pyb::arg("count"), pyb::arg("spacing"), doc::create_array_compound);
  def_with(cls, "plane_params_for_standard", &plane_params_for_standard, convert::rethrow{}, pyb::arg("standard_plane"),
           doc::plane_params_for_standard);
  def_with<plane_params_name>(cls, "plane_params_from_face", unlocked<&Drulen::host_ops::plane_params_from_face>{},
                              convert::rethrow{}, pyb::arg("face_shape"), doc::plane_params_from_face);
  def_with(cls, "create_polyline", unlocked<&O::create_polyline>{}, convert::rethrow{}, pyb::arg("points"),
           pyb::arg("closed") = false, doc::create_polyline);

  cls.def_static("_fillet2d_face", or_none<&O::fillet2d_face>{}, pyb::arg("face"), pyb::arg("radius"),
                 pyb::arg("target_vertices"));
  cls.def_static("_apply_corner_round_wire", or_none<&O::apply_corner_round_wire>{}, pyb::arg("wire"),
                 pyb::arg("radius"), pyb::arg("target_vertices"));
}

}  // namespace nimbal::py::drulen_bind
