// Operations that catch and log their failures. Their arguments arrive as
// Python objects: one of the wrong type is a failure of the operation,
// logged like any other, never an exception out of it.
#include "drulen_bind.hpp"

namespace pyb = pybind11;

namespace nimbal::py::drulen_bind {

namespace {

constexpr auto no_shape = [](const auto&...) { return pyb::object(pyb::none()); };
constexpr auto no_faces = [](const auto&...) { return pyb::object(pyb::list()); };

// The core's "as given" is the very object given.
ShapeResult unify_same_domain(const GivenValue<TopoDS_Shape>& shape) {
  const std::optional<TopoDS_Shape> out = unlocked<&Drulen::host_ops::unify_same_domain>{}(shape);
  return out ? shape_or_none(*out) : ShapeResult(shape.object);
}

}  // namespace

void bind_modelling(DrulenClass& cls) {
  using O = Drulen::ops;
  def_with(cls, "extrude_shape", unlocked<&Drulen::host_ops::extrude_shape>{}, convert::rethrow{}, pyb::arg("shape"),
           pyb::arg("depth"), "Prism of a planar face or wire along its normal, or None.");
  def_logged(cls, "fuse_shapes", GuardedOp::fuse, unlocked<&O::fuse_shapes>{}, no_shape, pyb::arg("shape1"),
             pyb::arg("shape2"), "Boolean union, or None.");
  def_logged(cls, "cut_shapes", GuardedOp::cut, unlocked<&O::cut_shapes>{}, no_shape, pyb::arg("shape1"),
             pyb::arg("shape2"), "shape1 with shape2 removed, or None.");
  def_with(cls, "unify_same_domain", &unify_same_domain, convert::rethrow{}, pyb::arg("shape"),
           "shape with its same-domain edges merged; shape itself when the kernel fails.");
  def_logged(cls, "intersect_shapes", GuardedOp::intersect, unlocked<&O::intersect_shapes>{}, no_shape,
             pyb::arg("shape1"), pyb::arg("shape2"), "Common part of the two, or None.");
  def_logged<faces_name>(cls, "explode_to_faces", GuardedOp::explode_to_faces, unlocked<&O::explode_to_faces>{},
                         no_faces, pyb::arg("shape"),
                         "Independent copies of the shape's faces (those made so far on a failure).");

  def_logged(cls, "apply_fillet", GuardedOp::fillet, unlocked<&O::apply_fillet>{}, no_shape, pyb::arg("shape"),
             pyb::arg("radius"), pyb::arg("edge_indices") = pyb::tuple(),
             "3D fillet of the chosen edges (all when none is chosen), or None.");
  def_logged(cls, "apply_corner_round", GuardedOp::corner_round, unlocked<&O::apply_corner_round>{}, no_shape,
             pyb::arg("shape"), pyb::arg("radius"), pyb::arg("vertex_indices") = pyb::tuple(),
             "Rounding of the chosen corners of a planar face, or None.");
  def_logged(cls, "apply_polyline_round", GuardedOp::polyline_round, unlocked<&O::apply_polyline_round>{},
             no_shape, pyb::arg("shape"), pyb::arg("radius"), pyb::arg("vertex_indices") = pyb::tuple(),
             "Arcs inserted at the chosen junctions of a polyline wire, or None.");
}

}  // namespace nimbal::py::drulen_bind
