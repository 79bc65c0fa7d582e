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
typing::typed<typing::shape_or_none_name> unify_same_domain(const GivenValue<TopoDS_Shape, MaybeShape>& shape) {
  std::optional<TopoDS_Shape> out;
  {
    pyb::gil_scoped_release release;
    out = Drulen::host_ops::unify_same_domain(shape);
  }
  return out ? shape_or_none(*out) : typing::typed<typing::shape_or_none_name>(shape.object);
}

}  // namespace

void bind_modelling(DrulenClass& cls) {
  using O = Drulen::ops;
  def(cls, "extrude_shape", &Drulen::host_ops::extrude_shape, as_static, unlocked, pyb::arg("shape"),
      pyb::arg("depth"), doc::extrude_shape);
  def(cls, "fuse_shapes", &O::fuse_shapes, as_static, unlocked, logged_as(GuardedOp::fuse), pyb::arg("shape1"),
      pyb::arg("shape2"), doc::fuse_shapes);
  def(cls, "cut_shapes", &O::cut_shapes, as_static, unlocked, logged_as(GuardedOp::cut), pyb::arg("shape1"),
      pyb::arg("shape2"), doc::cut_shapes);
  def(cls, "unify_same_domain", &unify_same_domain, as_static, pyb::arg("shape"), doc::unify_same_domain);
  def(cls, "intersect_shapes", &O::intersect_shapes, as_static, unlocked, logged_as(GuardedOp::intersect),
      pyb::arg("shape1"), pyb::arg("shape2"), doc::intersect_shapes);
  def(cls, "explode_to_faces", &O::explode_to_faces, as_static, unlocked, logged_as(GuardedOp::explode_to_faces),
      pyb::arg("shape"), doc::explode_to_faces);

  def(cls, "apply_fillet", &O::apply_fillet, as_static, unlocked, logged_as(GuardedOp::fillet), pyb::arg("shape"),
      pyb::arg("radius"), pyb::arg("edge_indices") = pyb::tuple(), doc::apply_fillet);
  def(cls, "apply_corner_round", &O::apply_corner_round, as_static, unlocked, logged_as(GuardedOp::corner_round),
      pyb::arg("shape"), pyb::arg("radius"), pyb::arg("vertex_indices") = pyb::tuple(), doc::apply_corner_round);
  def(cls, "apply_polyline_round", &O::apply_polyline_round, as_static, unlocked,
      logged_as(GuardedOp::polyline_round), pyb::arg("shape"), pyb::arg("radius"),
      pyb::arg("vertex_indices") = pyb::tuple(), doc::apply_polyline_round);
}

}  // namespace nimbal::py::drulen_bind
