// A kernel service given from Python, seen from C++ as a DrulenProtocol.
//
// `drulen_protocol_from(obj)` gives the C++ object itself for a `Drulen` (or
// a Python subclass of it, whose overrides its trampoline honours) and
// otherwise an adapter that calls the 24 operations on any Python object by
// name, positionally, with the placements the core passes; arguments and
// answers as forwarding.hpp converts them. A module using this imports
// nimbal.services.drulen first.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "nimbal/services/drulen.hpp"
#include "nimbal_py/convert.hpp"
#include "nimbal_py/forwarding.hpp"
#include "nimbal_py/kernel.hpp"

namespace nimbal::py {

// The 24 operations as calls of the Python callable `Derived::lookup(name)`
// gives; where it gives none, Base's own operation. Shared by the adapter
// and by Drulen's trampoline.
template <class Base, class Derived>
class DrulenForwarding : public Base {
  using Point3 = services::Point3;
  using Shapes = services::Shapes;
  using Indices = services::Indices;
  using PlaneParams = services::PlaneParams;
  using OptPoint = std::optional<Point3>;

  template <class R, class Own, class... A>
  R forward(const char* name, Own own, const A&... a) {
    pyb::gil_scoped_acquire gil;
    if (pyb::object f = static_cast<Derived*>(this)->lookup(name)) return forwarding::answer<R>(f, name, a...);
    if constexpr (std::is_abstract_v<Base>) {
      throw nimbal::MissingMember(name);
    } else {
      return own(*this);
    }
  }

 public:
  // One operation: its result type, name, parameters and their names.
#define NIMBAL_DRULEN_FORWARD(R, op, params, ...) \
  R op params override { return forward<R>(#op, [&](auto& s) { return s.Base::op(__VA_ARGS__); }, __VA_ARGS__); }
  NIMBAL_DRULEN_FORWARD(TopoDS_Shape, create_box, (double width, double height, double depth, OptPoint position),
                        width, height, depth, position)
  NIMBAL_DRULEN_FORWARD(TopoDS_Shape, create_sphere, (double radius, OptPoint center), radius, center)
  NIMBAL_DRULEN_FORWARD(TopoDS_Shape, create_cylinder, (double radius, double height, OptPoint position,
                        OptPoint direction), radius, height, position, direction)
  NIMBAL_DRULEN_FORWARD(TopoDS_Shape, create_cone, (double radius1, double radius2, double height, OptPoint position,
                        OptPoint direction), radius1, radius2, height, position, direction)
  NIMBAL_DRULEN_FORWARD(TopoDS_Shape, create_torus, (double major_radius, double minor_radius, OptPoint position,
                        OptPoint direction), major_radius, minor_radius, position, direction)
  NIMBAL_DRULEN_FORWARD(TopoDS_Shape, create_rectangle, (double width, double height), width, height)
  NIMBAL_DRULEN_FORWARD(TopoDS_Shape, create_circle, (double radius), radius)
  NIMBAL_DRULEN_FORWARD(TopoDS_Shape, translate_shape, (const TopoDS_Shape& shape, double dx, double dy, double dz),
                        shape, dx, dy, dz)
  NIMBAL_DRULEN_FORWARD(TopoDS_Shape, rotate_shape, (const TopoDS_Shape& shape, const Point3& axis_point,
                        const Point3& axis_direction, double angle_degrees),
                        shape, axis_point, axis_direction, angle_degrees)
  NIMBAL_DRULEN_FORWARD(TopoDS_Shape, fuse_shapes, (const TopoDS_Shape& shape1, const TopoDS_Shape& shape2),
                        shape1, shape2)
  NIMBAL_DRULEN_FORWARD(TopoDS_Shape, cut_shapes, (const TopoDS_Shape& shape1, const TopoDS_Shape& shape2),
                        shape1, shape2)
  NIMBAL_DRULEN_FORWARD(TopoDS_Shape, unify_same_domain, (const TopoDS_Shape& shape), shape)
  NIMBAL_DRULEN_FORWARD(TopoDS_Shape, import_file, (const std::string& filename), filename)
  NIMBAL_DRULEN_FORWARD(bool, export_shapes_to_step, (const Shapes& shapes, const std::string& filename),
                        shapes, filename)
  NIMBAL_DRULEN_FORWARD(bool, export_shapes_to_iges, (const Shapes& shapes, const std::string& filename),
                        shapes, filename)
  NIMBAL_DRULEN_FORWARD(Shapes, explode_to_faces, (const TopoDS_Shape& shape), shape)
  NIMBAL_DRULEN_FORWARD(TopoDS_Shape, create_array_compound, (const TopoDS_Shape& base_shape,
                        const services::Count3& count, const Point3& spacing), base_shape, count, spacing)
  NIMBAL_DRULEN_FORWARD(TopoDS_Shape, apply_fillet, (const TopoDS_Shape& shape, double radius,
                        const Indices& edge_indices), shape, radius, edge_indices)
  NIMBAL_DRULEN_FORWARD(TopoDS_Shape, apply_corner_round, (const TopoDS_Shape& shape, double radius,
                        const Indices& vertex_indices), shape, radius, vertex_indices)
  NIMBAL_DRULEN_FORWARD(TopoDS_Shape, apply_polyline_round, (const TopoDS_Shape& shape, double radius,
                        const Indices& vertex_indices), shape, radius, vertex_indices)
  NIMBAL_DRULEN_FORWARD(PlaneParams, plane_params_for_standard, (const std::string& standard_plane), standard_plane)
  NIMBAL_DRULEN_FORWARD(PlaneParams, plane_params_from_face, (const TopoDS_Shape& face_shape), face_shape)
  NIMBAL_DRULEN_FORWARD(TopoDS_Shape, create_polyline, (const std::vector<Point3>& points, bool closed),
                        points, closed)
  NIMBAL_DRULEN_FORWARD(TopoDS_Shape, extrude_shape, (const TopoDS_Shape& shape, double depth), shape, depth)
#undef NIMBAL_DRULEN_FORWARD
};

// Forwards the 24 operations to any Python object offering them.
class DrulenAdapter final : public DrulenForwarding<services::DrulenProtocol, DrulenAdapter> {
 public:
  explicit DrulenAdapter(pyb::object service) : service_(std::move(service)) {}
  // A missing operation is the AttributeError of its lookup.
  pyb::object lookup(const char* name) const { return service_.attr(name); }

 private:
  forwarding::Held service_;
};

// The C++ Drulen behind `service` when it is one (its Python subclasses'
// overrides included), an adapter over the object otherwise. The result
// keeps `service` alive.
inline std::shared_ptr<services::DrulenProtocol> drulen_protocol_from(pyb::object service) {
  if (auto impl = forwarding::bound_object<services::Drulen>(service, false)) return impl;
  return std::make_shared<DrulenAdapter>(std::move(service));
}

}  // namespace nimbal::py
