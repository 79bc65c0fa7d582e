// Operations that catch and log their failures. Their arguments arrive as
// Python objects: one of the wrong type is a failure of the operation,
// logged like any other, never an exception out of it.
#include "drulen_bind.hpp"

namespace pyb = pybind11;

namespace nimbal::py::drulen_bind {

namespace {

// Runs `convert_and_call`; a conversion error is logged as `op` logs its
// own failures and gives `fallback()`.
template <class Body, class Fallback>
pyb::object logged(GuardedOp op, Body&& convert_and_call, Fallback&& fallback) {
  try {
    return convert_and_call();
  } catch (const nimbal::WrongType&) {
    Drulen::log_caught(op);
  } catch (const pyb::error_already_set&) {
    Drulen::log_caught(op);
  }
  return fallback();
}

pyb::object none() { return pyb::none(); }

}  // namespace

void bind_modelling(DrulenClass& cls) {
  using O = Drulen::ops;
  cls.def_static(
      "extrude_shape",
      [](ShapeArg shape, typed<float_name> depth) -> ShapeResult {
        // Refused before the error trap: no shape or no depth.
        if (shape.is_none()) return pyb::none();
        TopoDS_Shape s;
        try {
          s = shape.cast<TopoDS_Shape>();
        } catch (const pyb::cast_error&) {
          throw nimbal::WrongType("shape must be a TopoDS_Shape, not " + type_name(shape));
        }
        double d;
        if (as_double(depth, d) && d == 0.0) return pyb::none();
        return logged(
            GuardedOp::extrude,
            [&] {
              const double d = to_double(depth, "depth");
              return shape_or_none(without_gil([&] { return O::extrude_shape(s, d); }));
            },
            none);
      },
      pyb::arg("shape"), pyb::arg("depth"), "Prism of a planar face or wire along its normal, or None.");

  auto boolean = [&](const char* name, GuardedOp op, TopoDS_Shape (*fn)(const TopoDS_Shape&, const TopoDS_Shape&),
                     const char* doc) {
    cls.def_static(
        name,
        [op, fn](ShapeArg shape1, ShapeArg shape2) {
          return ShapeResult(logged(
              op,
              [&] {
                const TopoDS_Shape a = to_shape(shape1, "shape1"), b = to_shape(shape2, "shape2");
                return shape_or_none(without_gil([&] { return fn(a, b); }));
              },
              none));
        },
        pyb::arg("shape1"), pyb::arg("shape2"), doc);
  };
  boolean("fuse_shapes", GuardedOp::fuse, &O::fuse_shapes, "Boolean union, or None.");
  boolean("cut_shapes", GuardedOp::cut, &O::cut_shapes, "shape1 with shape2 removed, or None.");

  cls.def_static(
      "unify_same_domain",
      [](ShapeArg shape) {
        return ShapeResult(logged(
            GuardedOp::unify_same_domain,
            [&]() -> pyb::object {
              TopoDS_Shape in = to_shape(shape, "shape");
              TopoDS_Shape out = without_gil([&] { return O::unify_same_domain(in); });
              // The kernel's failure gives the input back: the very object.
              if (out.IsEqual(in)) return shape;
              return shape_or_none(out);
            },
            [&] { return pyb::object(shape); }));
      },
      pyb::arg("shape"), "shape with its same-domain edges merged; shape itself when the kernel fails.");
  boolean("intersect_shapes", GuardedOp::intersect, &O::intersect_shapes, "Common part of the two, or None.");

  cls.def_static(
      "explode_to_faces",
      [](ShapeArg shape) {
        return typed<faces_name>(logged(
            GuardedOp::explode_to_faces,
            [&]() -> pyb::object {
              pyb::list out;
              const TopoDS_Shape in = to_shape(shape, "shape");
              for (const auto& f : without_gil([&] { return O::explode_to_faces(in); })) out.append(pyb::cast(f));
              return std::move(out);
            },
            [] { return pyb::object(pyb::list()); }));
      },
      pyb::arg("shape"), "Independent copies of the shape's faces (those made so far on a failure).");

  using RoundFn = TopoDS_Shape (*)(const TopoDS_Shape&, double, const Indices&);
  auto round = [&](const char* name, const char* indices, GuardedOp op, RoundFn fn, const char* doc) {
    cls.def_static(
        name,
        [op, fn, indices](ShapeArg shape, typed<float_name> radius, typed<indices_arg_name> selection) {
          return ShapeResult(logged(
              op,
              [&] {
                const TopoDS_Shape s = to_shape(shape, "shape");
                const double r = to_double(radius, "radius");
                const Indices chosen = to_indices(selection, indices);
                return shape_or_none(without_gil([&] { return fn(s, r, chosen); }));
              },
              none));
        },
        pyb::arg("shape"), pyb::arg("radius"), pyb::arg(indices) = pyb::tuple(), doc);
  };
  round("apply_fillet", "edge_indices", GuardedOp::fillet, &O::apply_fillet,
        "3D fillet of the chosen edges (all when none is chosen), or None.");
  round("apply_corner_round", "vertex_indices", GuardedOp::corner_round, &O::apply_corner_round,
        "Rounding of the chosen corners of a planar face, or None.");
  round("apply_polyline_round", "vertex_indices", GuardedOp::polyline_round, &O::apply_polyline_round,
        "Arcs inserted at the chosen junctions of a polyline wire, or None.");
}

}  // namespace nimbal::py::drulen_bind
