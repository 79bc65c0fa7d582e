// Operations that catch and log their failures. Their arguments arrive as
// Python objects: one of the wrong type is a failure of the operation,
// logged like any other, never an exception out of it.
#include "drulen_bind.hpp"
#include "drulen_docs.hpp"

namespace pyb = pybind11;
namespace doc = nimbal::py::drulen_docs;

namespace nimbal::py::drulen_bind {

namespace {

// The core's "as given" is the very object given.
ShapeResult unify_same_domain(const GivenValue<TopoDS_Shape>& shape) {
  const std::optional<TopoDS_Shape> out = unlocked<&Drulen::host_ops::unify_same_domain>{}(shape);
  return out ? shape_or_none(*out) : ShapeResult(shape.object);
}

}  // namespace

void bind_modelling(DrulenClass& cls) {
  using O = Drulen::ops;
  def_with(cls, "extrude_shape", unlocked<&Drulen::host_ops::extrude_shape>{}, convert::rethrow{}, pyb::arg("shape"),
           pyb::arg("depth"), doc::extrude_shape);
  def_logged(cls, "fuse_shapes", GuardedOp::fuse, unlocked<&O::fuse_shapes>{}, pyb::arg("shape1"), pyb::arg("shape2"),
             doc::fuse_shapes);
  def_logged(cls, "cut_shapes", GuardedOp::cut, unlocked<&O::cut_shapes>{}, pyb::arg("shape1"), pyb::arg("shape2"),
             doc::cut_shapes);
  def_with(cls, "unify_same_domain", &unify_same_domain, convert::rethrow{}, pyb::arg("shape"), doc::unify_same_domain);
  def_logged(cls, "intersect_shapes", GuardedOp::intersect, unlocked<&O::intersect_shapes>{}, pyb::arg("shape1"),
             pyb::arg("shape2"), doc::intersect_shapes);
  def_logged<faces_name>(cls, "explode_to_faces", GuardedOp::explode_to_faces, unlocked<&O::explode_to_faces>{},
                         pyb::arg("shape"), doc::explode_to_faces);

  def_logged(cls, "apply_fillet", GuardedOp::fillet, unlocked<&O::apply_fillet>{}, pyb::arg("shape"),
             pyb::arg("radius"), pyb::arg("edge_indices") = pyb::tuple(), doc::apply_fillet);
  def_logged(cls, "apply_corner_round", GuardedOp::corner_round, unlocked<&O::apply_corner_round>{}, pyb::arg("shape"),
             pyb::arg("radius"), pyb::arg("vertex_indices") = pyb::tuple(), doc::apply_corner_round);
  def_logged(cls, "apply_polyline_round", GuardedOp::polyline_round, unlocked<&O::apply_polyline_round>{},
             pyb::arg("shape"), pyb::arg("radius"), pyb::arg("vertex_indices") = pyb::tuple(),
             doc::apply_polyline_round);
}

}  // namespace nimbal::py::drulen_bind
