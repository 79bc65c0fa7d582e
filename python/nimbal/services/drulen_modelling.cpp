// Operations that catch and log their failures. Their arguments arrive as
// Python objects: one of the wrong type is a failure of the operation,
// logged like any other, never an exception out of it.
#include "drulen_bind.hpp"

namespace pyb = pybind11;

namespace nimbal::py::drulen_bind {

namespace {

constexpr auto no_shape = [](const auto&...) { return pyb::object(pyb::none()); };
constexpr auto no_faces = [](const auto&...) { return pyb::object(pyb::list()); };

}  // namespace

void bind_modelling(DrulenClass& cls) {
  using O = Drulen::ops;
  cls.def_static(
      "extrude_shape",
      [](ShapeArg shape, typed<float_name> depth) -> ShapeResult {
        // Refused before the error trap: a shape of the wrong type raises,
        // and no shape is no prism whatever the depth.
        const TopoDS_Shape s = from_py::shape_or_null(shape, "shape");
        double d = 0.0;
        try {
          d = convert::value(depth, convert::tag<double>{}, "depth");
        } catch (const nimbal::WrongType&) {
          if (!s.IsNull()) Drulen::log_caught(GuardedOp::extrude);
          return pyb::none();
        }
        return shape_or_none(without_gil([&] { return O::extrude_shape(s, d); }));
      },
      pyb::arg("shape"), pyb::arg("depth"), "Prism of a planar face or wire along its normal, or None.");

  def_logged(cls, "fuse_shapes", GuardedOp::fuse, released<&O::fuse_shapes>{}, no_shape, pyb::arg("shape1"),
             pyb::arg("shape2"), "Boolean union, or None.");
  def_logged(cls, "cut_shapes", GuardedOp::cut, released<&O::cut_shapes>{}, no_shape, pyb::arg("shape1"),
             pyb::arg("shape2"), "shape1 with shape2 removed, or None.");
  cls.def_static(
      "unify_same_domain",
      [](ShapeArg shape) -> ShapeResult {
        TopoDS_Shape in;
        try {
          in = from_py::shape(shape, "shape");
        } catch (const nimbal::WrongType&) {
          Drulen::log_caught(GuardedOp::unify_same_domain);
          return std::move(shape);
        }
        const TopoDS_Shape out = without_gil([&] { return O::unify_same_domain(in); });
        // The kernel's failure gives the input back: the very object.
        return out.IsEqual(in) ? pyb::object(shape) : pyb::object(shape_or_none(out));
      },
      pyb::arg("shape"), "shape with its same-domain edges merged; shape itself when the kernel fails.");
  def_logged(cls, "intersect_shapes", GuardedOp::intersect, released<&O::intersect_shapes>{}, no_shape,
             pyb::arg("shape1"), pyb::arg("shape2"), "Common part of the two, or None.");
  def_logged<faces_name>(cls, "explode_to_faces", GuardedOp::explode_to_faces, released<&O::explode_to_faces>{},
                         no_faces, pyb::arg("shape"),
                         "Independent copies of the shape's faces (those made so far on a failure).");

  def_logged(cls, "apply_fillet", GuardedOp::fillet, released<&O::apply_fillet>{}, no_shape, pyb::arg("shape"),
             pyb::arg("radius"), pyb::arg("edge_indices") = pyb::tuple(),
             "3D fillet of the chosen edges (all when none is chosen), or None.");
  def_logged(cls, "apply_corner_round", GuardedOp::corner_round, released<&O::apply_corner_round>{}, no_shape,
             pyb::arg("shape"), pyb::arg("radius"), pyb::arg("vertex_indices") = pyb::tuple(),
             "Rounding of the chosen corners of a planar face, or None.");
  def_logged(cls, "apply_polyline_round", GuardedOp::polyline_round, released<&O::apply_polyline_round>{},
             no_shape, pyb::arg("shape"), pyb::arg("radius"), pyb::arg("vertex_indices") = pyb::tuple(),
             "Arcs inserted at the chosen junctions of a polyline wire, or None.");
}

}  // namespace nimbal::py::drulen_bind
