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
typing::typed<plane_params_name> plane_params_for_standard(const services::PlaneKey& standard_plane) {
  static auto* normals = new std::map<services::Point3, pyb::object>();  // lives as long as the interpreter
  const auto [origin, normal] = Drulen::host_ops::plane_params_for_standard(standard_plane);
  pyb::object& made = (*normals)[normal];
  if (!made) made = point_to_tuple<3>(normal);
  return pyb::make_tuple(point_to_tuple<3>(origin), made);
}

}  // namespace

void bind_builders(DrulenClass& cls) {
  using O = Drulen::ops;
  cls.attr("_STANDARD_PLANE_NORMALS") = standard_normals();
  def(cls, "create_box", &O::create_box, nimbal::py::as_static, pyb::arg("width"), pyb::arg("height"), pyb::arg("depth"),
                 pyb::arg("position") = zero3(), doc::create_box);
  def(cls, "create_sphere", &O::create_sphere, nimbal::py::as_static, pyb::arg("radius"), pyb::arg("center") = zero3(),
                 doc::create_sphere);
  def(cls, "create_cylinder", &O::create_cylinder, nimbal::py::as_static, pyb::arg("radius"), pyb::arg("height"),
                 pyb::arg("position") = zero3(), pyb::arg("direction") = z_axis(), doc::create_cylinder);
  def(cls, "create_cone", &O::create_cone, nimbal::py::as_static, pyb::arg("radius1"), pyb::arg("radius2"), pyb::arg("height"),
                 pyb::arg("position") = zero3(), pyb::arg("direction") = z_axis(), doc::create_cone);
  def(cls, "create_torus", &O::create_torus, nimbal::py::as_static, pyb::arg("major_radius"), pyb::arg("minor_radius"),
                 pyb::arg("position") = zero3(), pyb::arg("direction") = z_axis(), doc::create_torus);
  def(cls, "create_rectangle", &O::create_rectangle, nimbal::py::as_static, pyb::arg("width"), pyb::arg("height"),
                 doc::create_rectangle);
  def(cls, "create_circle", &O::create_circle, nimbal::py::as_static, pyb::arg("radius"), doc::create_circle);

  // The transforms and the array answer a shape object, never None.
  using Shown = typing::typed<typing::shape_name>;
  def(
      cls, "translate_shape",
      [](const TopoDS_Shape& shape, double dx, double dy, double dz) -> Shown {
        return pyb::cast(O::translate_shape(shape, dx, dy, dz));
      },
      as_static, pyb::arg("shape"), pyb::arg("dx"), pyb::arg("dy"), pyb::arg("dz"), doc::translate_shape);
  def(
      cls, "rotate_shape",
      [](const TopoDS_Shape& shape, const services::Point3& axis_point, const services::Point3& axis_direction,
         double angle_degrees) -> Shown {
        return pyb::cast(O::rotate_shape(shape, axis_point, axis_direction, angle_degrees));
      },
      as_static, pyb::arg("shape"), pyb::arg("axis_point"), pyb::arg("axis_direction"), pyb::arg("angle_degrees"),
      doc::rotate_shape);
  def(
      cls, "scale_shape",
      [](const TopoDS_Shape& shape, const services::Point3& center, double factor) -> Shown {
        return pyb::cast(O::scale_shape(shape, center, factor));
      },
      as_static, pyb::arg("shape"), pyb::arg("center"), pyb::arg("factor"), doc::scale_shape);

  def(
      cls, "create_array_compound",
      [](Drulen& self, const TopoDS_Shape& base_shape, const services::Count3& count,
         const services::Point3& spacing) -> Shown {
        TopoDS_Shape out;
        {
          pyb::gil_scoped_release release;
          out = O::create_array_compound(self, base_shape, count, spacing);
        }
        return pyb::cast(out);
      },
      pyb::arg("base_shape"), pyb::arg("count"), pyb::arg("spacing"), doc::create_array_compound);
  def(cls, "plane_params_for_standard", &plane_params_for_standard, as_static, pyb::arg("standard_plane"),
      doc::plane_params_for_standard);
  def(cls, "plane_params_from_face", &Drulen::host_ops::plane_params_from_face, as_static, unlocked,
      pyb::arg("face_shape"), doc::plane_params_from_face);
  def(cls, "create_polyline", &O::create_polyline, as_static, unlocked, pyb::arg("points"),
      pyb::arg("closed") = false, doc::create_polyline);

  def(cls, "_fillet2d_face", &O::fillet2d_face, as_static, unlocked, pyb::arg("face"), pyb::arg("radius"),
      pyb::arg("target_vertices"));
  def(cls, "_apply_corner_round_wire", &O::apply_corner_round_wire, as_static, unlocked, pyb::arg("wire"),
      pyb::arg("radius"), pyb::arg("target_vertices"));
}

}  // namespace nimbal::py::drulen_bind
