#include "nimbal/services/drulen.hpp"

#include <cmath>
#include <cstdio>
#include <unordered_set>

#include <BRepAdaptor_Surface.hxx>
#include <BRepAlgoAPI_Common.hxx>
#include <BRepAlgoAPI_Cut.hxx>
#include <BRepAlgoAPI_Fuse.hxx>
#include <BRepBuilderAPI_Copy.hxx>
#include <BRepBuilderAPI_FindPlane.hxx>
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <BRepBuilderAPI_Transform.hxx>
#include <BRepFilletAPI_MakeFillet.hxx>
#include <BRepFilletAPI_MakeFillet2d.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRepPrimAPI_MakeCone.hxx>
#include <BRepPrimAPI_MakeCylinder.hxx>
#include <BRepPrimAPI_MakePrism.hxx>
#include <BRepPrimAPI_MakeSphere.hxx>
#include <BRepPrimAPI_MakeTorus.hxx>
#include <BRep_Builder.hxx>
#include <Geom_Plane.hxx>
#include <ShapeUpgrade_UnifySameDomain.hxx>
#include <Standard_ConstructionError.hxx>
#include <Standard_DomainError.hxx>
#include <Standard_NullObject.hxx>
#include <TopExp.hxx>
#include <TopLoc_Location.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Compound.hxx>
#include <gp_Ax2.hxx>
#include <gp_Ax3.hxx>
#include <gp_Circ.hxx>
#include <gp_Dir.hxx>
#include <gp_Pln.hxx>
#include <gp_Pnt.hxx>
#include <gp_Trsf.hxx>
#include <gp_Vec.hxx>
#include <gp_XYZ.hxx>

#include "nimbal/errors.hpp"
#include "nimbal/kernel.hpp"
#include "nimbal/services/drulen_detail.hpp"
#include "nimbal/services/drulen_reader.hpp"

namespace nimbal::services {

const log::Logger drulen_logger("nimbal.services.drulen");

namespace detail {


void require_shape(const TopoDS_Shape& shape, const char* what) {
  if (shape.IsNull()) throw Standard_NullObject((std::string(what) + ": the shape is null").c_str());
}

double finite(double v, const char* what) {
  if (!std::isfinite(v)) throw Standard_DomainError((std::string(what) + " is not a finite number").c_str());
  return v;
}

gp_Pnt point(const Point3& p, const char* what) {
  return gp_Pnt(finite(p[0], what), finite(p[1], what), finite(p[2], what));
}

gp_Dir direction(const Point3& d, const char* what) {
  // gp_Dir refuses a zero vector itself; NaN would slip through it.
  return gp_Dir(finite(d[0], what), finite(d[1], what), finite(d[2], what));
}

std::unordered_set<long long> index_set(const Indices& indices) {
  return std::unordered_set<long long>(indices.begin(), indices.end());
}

bool selected(const std::unordered_set<long long>& set, int key) {
  return set.empty() || set.count(static_cast<long long>(key) - 1) > 0;
}

}  // namespace detail

using namespace detail;

namespace {

const char* guarded_format(GuardedOp op) {
  switch (op) {
    case GuardedOp::fuse: return "Error fusing shapes: ";
    case GuardedOp::cut: return "Error cutting shapes: ";
    case GuardedOp::intersect: return "Error intersecting shapes: ";
    case GuardedOp::unify_same_domain: return "unify_same_domain failed: ";
    case GuardedOp::explode_to_faces: return "Error exploding shape to faces: ";
    case GuardedOp::extrude: return "Error extruding shape";
    case GuardedOp::fillet: return "Error applying fillet: ";
    case GuardedOp::corner_round: return "Error applying corner round: ";
    case GuardedOp::polyline_round: return "Error applying polyline round: ";
    case GuardedOp::export_step: return "Error exporting STEP file: ";
    case GuardedOp::export_iges: return "Error exporting IGES file: ";
    case GuardedOp::import_step: return "Error importing STEP file: ";
    case GuardedOp::import_iges: return "Error importing IGES file: ";
  }
  return "Error: ";
}


template <class Algo>
TopoDS_Shape run_boolean(const TopoDS_Shape& a, const TopoDS_Shape& b) {
  require_shape(a, "shape1");
  require_shape(b, "shape2");
  Algo algo(a, b);  // builds on construction
  if (!algo.IsDone()) return TopoDS_Shape();
  return algo.Shape();
}

void require_model_size(const gp_XYZ& p, const char* what) {
  const double m = kMaxCoordinate;
  if (std::abs(p.X()) <= m && std::abs(p.Y()) <= m && std::abs(p.Z()) <= m) return;
  char limit[32];
  std::snprintf(limit, sizeof limit, "%g", m);
  throw Standard_DomainError((std::string(what) + " lies beyond the model size limit of " + limit).c_str());
}

// Scaling changes the geometry itself: a transformed copy.
TopoDS_Shape transformed(const TopoDS_Shape& shape, const gp_Trsf& trsf) {
  require_shape(shape, "shape");
  BRepBuilderAPI_Transform transform(shape, trsf, /*copy=*/true);
  return transform.Shape();
}

// A rigid move keeps the input's geometry under a new location: sub-shapes
// number and measure as a moved copy's would. The location is one composed
// transform, so moving a moved shape again does not lengthen its chain.
TopoDS_Shape placed(const TopoDS_Shape& shape, const gp_Trsf& trsf) {
  require_shape(shape, "shape");
  const gp_Trsf total = trsf.Multiplied(shape.Location().Transformation());
  require_model_size(total.TranslationPart(), "the placed shape");
  return shape.Located(TopLoc_Location(total));
}

// The plane a face-less planar shape lies in, its normal pointing along the
// positive sense of the first world axis it is not perpendicular to (+Z, then
// +Y, then +X), so that XY, XZ and YZ wires sweep like their standard planes.
std::optional<gp_Dir> plane_normal_of(const TopoDS_Shape& shape) {
  BRepBuilderAPI_FindPlane finder(shape);
  if (!finder.Found() || finder.Plane().IsNull()) return std::nullopt;
  gp_Dir n = finder.Plane()->Pln().Axis().Direction();
  const double eps = 1e-9;
  double key = std::abs(n.Z()) > eps ? n.Z() : (std::abs(n.Y()) > eps ? n.Y() : n.X());
  if (key < 0) n.Reverse();
  return n;
}

// The error being handled (a face refused on the way in too), as
// plane_params_from_face reports its failures.
PlaneFromFaceError plane_from_face_failure() {
  return PlaneFromFaceError("Could not extract plane parameters from face: " + current_error_text(),
                            std::current_exception());
}

// A shape the host gave.
TopoDS_Shape given_shape(const MaybeShape& value, const std::string& what) {
  if (auto shape = value.get()) return *shape;
  throw WrongType(what + " must be a kernel shape, not '" + value.type_name() + "'");
}

}  // namespace

void Drulen::log_caught(GuardedOp op) {
  if (op == GuardedOp::unify_same_domain) {
    drulen_logger.warning(guarded_format(op) + current_error_text());
  } else if (op == GuardedOp::extrude) {
    drulen_logger.exception(guarded_format(op));
  } else {
    drulen_logger.exception(guarded_format(op) + current_error_text());
  }
}

// ---------------------------------------------------------------- primitives

BuiltShape Drulen::ops::create_box(double width, double height, double depth, const Point3& position) {
  gp_Pnt corner(finite(position[0], "position") - finite(width, "width") / 2.0,
                finite(position[1], "position") - finite(height, "height") / 2.0,
                finite(position[2], "position") - finite(depth, "depth") / 2.0);
  return BuiltShape(BRepPrimAPI_MakeBox(corner, width, height, depth).Shape());
}

BuiltShape Drulen::ops::create_sphere(double radius, const Point3& center) {
  return BuiltShape(BRepPrimAPI_MakeSphere(point(center, "center"), finite(radius, "radius")).Shape());
}

BuiltShape Drulen::ops::create_cylinder(double radius, double height, const Point3& position,
                                          const Point3& direction) {
  gp_Dir d = detail::direction(direction, "direction");
  double half = finite(height, "height") / 2.0;
  gp_Pnt base(finite(position[0], "position") - d.X() * half, finite(position[1], "position") - d.Y() * half,
              finite(position[2], "position") - d.Z() * half);
  return BuiltShape(BRepPrimAPI_MakeCylinder(gp_Ax2(base, d), finite(radius, "radius"), height).Shape());
}

BuiltShape Drulen::ops::create_cone(double radius1, double radius2, double height, const Point3& position,
                                      const Point3& direction) {
  gp_Ax2 frame(point(position, "position"), detail::direction(direction, "direction"));
  return BuiltShape(BRepPrimAPI_MakeCone(frame, finite(radius1, "radius1"), finite(radius2, "radius2"),
                              finite(height, "height"))
      .Shape());
}

BuiltShape Drulen::ops::create_torus(double major_radius, double minor_radius, const Point3& position,
                                       const Point3& direction) {
  gp_Ax2 frame(point(position, "position"), detail::direction(direction, "direction"));
  return BuiltShape(BRepPrimAPI_MakeTorus(frame, finite(major_radius, "major_radius"), finite(minor_radius, "minor_radius"))
      .Shape());
}

BuiltShape Drulen::ops::create_rectangle(double width, double height) {
  gp_Pln plane(gp_Ax3(gp_Pnt(0.0, 0.0, 0.0), gp_Dir(0.0, 0.0, 1.0)));
  double hw = finite(width, "width") / 2.0, hh = finite(height, "height") / 2.0;
  return BuiltShape(BRepBuilderAPI_MakeFace(plane, -hw, hw, -hh, hh).Face());
}

BuiltShape Drulen::ops::create_circle(double radius) {
  gp_Circ circle(gp_Ax2(gp_Pnt(0.0, 0.0, 0.0), gp_Dir(0.0, 0.0, 1.0)), finite(radius, "radius"));
  TopoDS_Edge edge = BRepBuilderAPI_MakeEdge(circle).Edge();
  TopoDS_Wire wire = BRepBuilderAPI_MakeWire(edge).Wire();
  TopoDS_Face face = BRepBuilderAPI_MakeFace(wire).Face();
  // A builder yields a shape or raises; the face maker can hand back nothing.
  if (face.IsNull()) throw Standard_ConstructionError("create_circle: the kernel made no face");
  return BuiltShape(face);
}

// ---------------------------------------------------------------- transforms

TopoDS_Shape Drulen::ops::translate_shape(const TopoDS_Shape& shape, double dx, double dy, double dz) {
  const gp_XYZ offset(finite(dx, "dx"), finite(dy, "dy"), finite(dz, "dz"));
  require_model_size(offset, "the translation");
  gp_Trsf trsf;
  trsf.SetTranslation(gp_Vec(offset));
  return placed(shape, trsf);
}

TopoDS_Shape Drulen::ops::rotate_shape(const TopoDS_Shape& shape, const Point3& axis_point,
                                       const Point3& axis_direction, double angle_degrees) {
  const gp_Pnt origin = point(axis_point, "axis_point");
  require_model_size(origin.XYZ(), "the rotation axis");
  gp_Ax2 frame(origin, detail::direction(axis_direction, "axis_direction"));
  gp_Trsf trsf;
  trsf.SetRotation(frame.Axis(), radians_from_degrees(finite(angle_degrees, "angle_degrees")));
  return placed(shape, trsf);
}

TopoDS_Shape Drulen::ops::scale_shape(const TopoDS_Shape& shape, const Point3& center, double factor) {
  gp_Trsf trsf;
  trsf.SetScale(point(center, "center"), finite(factor, "factor"));
  return transformed(shape, trsf);
}

// ---------------------------------------------------------------- booleans

TopoDS_Shape Drulen::ops::fuse_shapes(const TopoDS_Shape& shape1, const TopoDS_Shape& shape2) {
  return guarded(GuardedOp::fuse, TopoDS_Shape(), [&] { return run_boolean<BRepAlgoAPI_Fuse>(shape1, shape2); });
}

TopoDS_Shape Drulen::ops::cut_shapes(const TopoDS_Shape& shape1, const TopoDS_Shape& shape2) {
  return guarded(GuardedOp::cut, TopoDS_Shape(), [&] { return run_boolean<BRepAlgoAPI_Cut>(shape1, shape2); });
}

TopoDS_Shape Drulen::ops::intersect_shapes(const TopoDS_Shape& shape1, const TopoDS_Shape& shape2) {
  return guarded(GuardedOp::intersect, TopoDS_Shape(),
                 [&] { return run_boolean<BRepAlgoAPI_Common>(shape1, shape2); });
}

TopoDS_Shape Drulen::ops::unify_same_domain(const TopoDS_Shape& shape) {
  return guarded(GuardedOp::unify_same_domain, shape, [&] {
    require_shape(shape, "shape");
    // Edges only: merging faces would renumber the edges of every union and
    // subtraction, and fillets saved by edge index pick their edges by that
    // numbering.
    ShapeUpgrade_UnifySameDomain unifier(shape, /*UnifyEdges=*/true, /*UnifyFaces=*/false,
                                         /*ConcatBSplines=*/false);
    unifier.Build();
    return unifier.Shape();
  });
}

// ---------------------------------------------------------------- derived shapes

Faces Drulen::ops::explode_to_faces(const TopoDS_Shape& shape) {
  Shapes faces;
  try {
    if (shape.IsNull()) return faces;
    for (TopExp_Explorer exp(shape, TopAbs_FACE); exp.More(); exp.Next()) {
      BRepBuilderAPI_Copy copy(exp.Current(), /*copyGeom=*/true);
      TopoDS_Shape face = copy.Shape();
      // A face inside a solid (oriented INTERNAL or EXTERNAL) bounds nothing
      // on its own; as a shape of its own it faces forward, which exchange
      // formats can write.
      const TopAbs_Orientation o = face.Orientation();
      if (o == TopAbs_INTERNAL || o == TopAbs_EXTERNAL) face.Orientation(TopAbs_FORWARD);
      faces.push_back(face);
    }
  } catch (const Standard_Failure&) {
    log_caught(GuardedOp::explode_to_faces);
  } catch (const std::exception&) {
    log_caught(GuardedOp::explode_to_faces);
  }
  return faces;
}

TopoDS_Shape Drulen::create_array_compound(const TopoDS_Shape& base_shape, const Count3& count,
                                           const Point3& spacing) {
  return ops::create_array_compound(*this, base_shape, count, spacing);
}

TopoDS_Shape Drulen::ops::create_array_compound(Drulen& placer, const TopoDS_Shape& base_shape, const Count3& count,
                                                const Point3& spacing) {
  TopoDS_Compound compound;
  BRep_Builder builder;
  builder.MakeCompound(compound);
  // Empty at once: the outer loops must not spin through a huge count when
  // an inner one is zero.
  if (count[0] <= 0 || count[1] <= 0 || count[2] <= 0) return compound;
  // A count of copies no memory could hold is refused before the first one
  // is made, rather than left to allocate for ever.
  long long total = 1;
  for (long long c : count) {
    if (c > kMaxArrayCopies / total)
      throw InvalidValue("an array of " + std::to_string(count[0]) + " x " + std::to_string(count[1]) + " x " +
                       std::to_string(count[2]) + " copies exceeds the limit of " + std::to_string(kMaxArrayCopies));
    total *= c;
  }
  for (long long ix = 0; ix < count[0]; ++ix)
    for (long long iy = 0; iy < count[1]; ++iy)
      for (long long iz = 0; iz < count[2]; ++iz) {
        TopoDS_Shape copy = placer.translate_shape(base_shape, double(ix) * spacing[0], double(iy) * spacing[1],
                                                   double(iz) * spacing[2]);
        require_shape(copy, "translate_shape result");
        builder.Add(compound, copy);
      }
  return compound;
}

TopoDS_Shape Drulen::ops::extrude_shape(const TopoDS_Shape& shape, double depth) {
  if (shape.IsNull() || depth == 0.0) return TopoDS_Shape();
  return guarded(GuardedOp::extrude, TopoDS_Shape(), [&]() -> TopoDS_Shape {
    finite(depth, "depth");
    gp_Dir dir(0.0, 0.0, 1.0);
    TopExp_Explorer faces(shape, TopAbs_FACE);
    if (faces.More()) {
      const TopoDS_Face& face = TopoDS::Face(faces.Current());
      BRepAdaptor_Surface surface(face);
      if (surface.GetType() == GeomAbs_Plane) {
        dir = surface.Plane().Axis().Direction();
        if (face.Orientation() == TopAbs_REVERSED) dir.Reverse();
      }
    } else if (auto normal = plane_normal_of(shape)) {
      // A face-less planar shape sweeps out of its own plane; world Z would
      // lie inside an XZ or YZ plane and give a degenerate prism.
      dir = *normal;
    }
    BRepPrimAPI_MakePrism prism(shape, gp_Vec(dir.X() * depth, dir.Y() * depth, dir.Z() * depth));
    if (!prism.IsDone()) return TopoDS_Shape();
    TopoDS_Shape result = prism.Shape();
    if (result.IsNull()) return TopoDS_Shape();
    return result;
  });
}

TopoDS_Shape Drulen::host_ops::extrude_shape(const NullableShape& shape, const HostValue<double>& depth) {
  const TopoDS_Shape& s = shape;
  if (s.IsNull()) return TopoDS_Shape();
  return guarded(GuardedOp::extrude, TopoDS_Shape(), [&] {
    const std::optional<double> d = depth.get();
    if (!d) throw WrongType("depth must be a real number, not '" + depth.type_name() + "'");
    return ops::extrude_shape(s, *d);
  });
}

std::optional<TopoDS_Shape> Drulen::host_ops::unify_same_domain(const MaybeShape& shape) {
  TopoDS_Shape in;
  try {
    in = given_shape(shape, "shape");
  } catch (const WrongType&) {
    log_caught(GuardedOp::unify_same_domain);
    return std::nullopt;
  }
  const TopoDS_Shape out = ops::unify_same_domain(in);
  if (out.IsEqual(in)) return std::nullopt;
  return out;
}

// ---------------------------------------------------------------- rounds

namespace {

// The kernel's fillet builders can crash on valid input: the builder runs in
// the reader process, whose crash fails this operation only. BinTools keeps
// the topology's order, so indices select there what they select here.
TopoDS_Shape round_in_reader(reader::Request kind, const TopoDS_Shape& shape, double radius,
                             const Indices& indices) {
  std::vector<reader::LogRecord> records;
  reader::Outcome o =
      reader::run(kind, reader::shape_bytes(shape), reader::round_params(radius, indices), reader::Stops{}, records);
  reader::replay(records);
  switch (o.kind) {
    case reader::Outcome::Kind::shape: return o.shape;
    case reader::Outcome::Kind::null_shape: return TopoDS_Shape();
    default: throw kernel::KernelError(o.error);
  }
}

TopoDS_Shape fillet_here(const TopoDS_Shape& shape, double radius, const Indices& edge_indices) {
  BRepFilletAPI_MakeFillet builder(shape);
  auto set = index_set(edge_indices);
  TopTools_IndexedMapOfShape edges;
  TopExp::MapShapes(shape, TopAbs_EDGE, edges);
  const int extent = edges.Extent();
  for (int i = 1; i <= extent; ++i)
    if (selected(set, i)) builder.Add(radius, TopoDS::Edge(edges.FindKey(i)));
  builder.Build();
  if (!builder.IsDone()) return TopoDS_Shape();
  TopoDS_Shape result = builder.Shape();
  return result.IsNull() ? TopoDS_Shape() : result;
}

// Steps shared by the corner and the polyline round: the selected vertices
// in map order, or none when the shape has no vertex or none is selected.
std::optional<Shapes> target_vertices_of(const TopoDS_Shape& shape, const Indices& vertex_indices) {
  if (shape.IsNull()) return std::nullopt;
  TopTools_IndexedMapOfShape vertices;
  TopExp::MapShapes(shape, TopAbs_VERTEX, vertices);
  if (vertices.Extent() == 0) return std::nullopt;
  auto set = index_set(vertex_indices);
  Shapes targets;
  for (int i = 1; i <= vertices.Extent(); ++i)
    if (selected(set, i)) targets.push_back(TopoDS::Vertex(vertices.FindKey(i)));
  if (targets.empty()) return std::nullopt;
  return targets;
}

// The face a corner round rounds: the shape itself or its first face.
TopoDS_Shape corner_round_face(const TopoDS_Shape& shape) {
  if (shape.ShapeType() == TopAbs_FACE) return shape;
  TopExp_Explorer faces(shape, TopAbs_FACE);
  return faces.More() ? faces.Current() : TopoDS_Shape();
}

TopoDS_Shape corner_round_here(const TopoDS_Shape& shape, double radius, const Indices& vertex_indices) {
  auto targets = target_vertices_of(shape, vertex_indices);
  TopoDS_Shape face = corner_round_face(shape);
  if (!targets || face.IsNull()) return TopoDS_Shape();
  return Drulen::ops::fillet2d_face(face, radius, *targets);
}

}  // namespace

TopoDS_Shape Drulen::ops::apply_fillet(const TopoDS_Shape& shape, double radius, const Indices& edge_indices) {
  return guarded(GuardedOp::fillet, TopoDS_Shape(), [&]() -> TopoDS_Shape {
    require_shape(shape, "shape");
    finite(radius, "radius");
    return round_in_reader(reader::Request::fillet, shape, radius, edge_indices);
  });
}

TopoDS_Shape Drulen::ops::apply_corner_round(const TopoDS_Shape& shape, double radius,
                                             const Indices& vertex_indices) {
  return guarded(GuardedOp::corner_round, TopoDS_Shape(), [&]() -> TopoDS_Shape {
    if (!target_vertices_of(shape, vertex_indices)) return TopoDS_Shape();
    if (corner_round_face(shape).IsNull()) {
      drulen_logger.warning("apply_corner_round: shape is not a face");
      return TopoDS_Shape();
    }
    finite(radius, "radius");
    return round_in_reader(reader::Request::corner_round, shape, radius, vertex_indices);
  });
}

reader::Outcome reader::serve_operation(Request kind, const std::string& a, const std::string& b) {
  double radius = 0;
  Indices indices;
  if (!read_round_params(b, radius, indices)) return failed("the operation's parameters are damaged");
  const TopoDS_Shape shape = shape_from_bytes(a);
  if (shape.IsNull()) return failed("the operation's shape is damaged");
  Outcome o;
  o.shape = kind == Request::fillet ? fillet_here(shape, radius, indices) : corner_round_here(shape, radius, indices);
  o.kind = o.shape.IsNull() ? Outcome::Kind::null_shape : Outcome::Kind::shape;
  return o;
}

TopoDS_Shape Drulen::ops::fillet2d_face(const TopoDS_Shape& face, double radius, const Shapes& target_vertices) {
  require_shape(face, "face");
  finite(radius, "radius");
  BRepFilletAPI_MakeFillet2d fillet(TopoDS::Face(face));
  for (const TopoDS_Shape& v : target_vertices) {
    require_shape(v, "vertex");
    fillet.AddFillet(TopoDS::Vertex(v), radius);
  }
  fillet.Build();
  if (!fillet.IsDone()) return TopoDS_Shape();
  TopoDS_Shape result = fillet.Shape();
  return result.IsNull() ? TopoDS_Shape() : result;
}

TopoDS_Shape Drulen::ops::apply_polyline_round(const TopoDS_Shape& shape, double radius,
                                               const Indices& vertex_indices) {
  return guarded(GuardedOp::polyline_round, TopoDS_Shape(), [&]() -> TopoDS_Shape {
    auto targets = target_vertices_of(shape, vertex_indices);
    if (!targets) return TopoDS_Shape();
    if (shape.ShapeType() == TopAbs_WIRE) return apply_corner_round_wire(shape, radius, *targets);
    TopExp_Explorer wires(shape, TopAbs_WIRE);
    if (!wires.More()) {
      drulen_logger.warning("apply_polyline_round: no wire found in shape");
      return TopoDS_Shape();
    }
    return apply_corner_round_wire(wires.Current(), radius, *targets);
  });
}

// ---------------------------------------------------------------- planes and polylines

const std::vector<std::pair<std::string, Point3>>& Drulen::standard_plane_normals() {
  static const std::vector<std::pair<std::string, Point3>> table{
      {"xy", {0.0, 0.0, 1.0}}, {"xz", {0.0, 1.0, 0.0}}, {"yz", {1.0, 0.0, 0.0}}};
  return table;
}

std::optional<Point3> Drulen::standard_plane_normal(std::string_view key) {
  for (const auto& [k, n] : standard_plane_normals())
    if (k == key) return n;
  return std::nullopt;
}

PlaneParams Drulen::ops::plane_params_for_standard(std::string_view standard_plane) {
  const std::string key(standard_plane);
  return host_ops::plane_params_for_standard({key, "'" + key + "'"});
}

PlaneParams Drulen::host_ops::plane_params_for_standard(const PlaneKey& standard_plane) {
  auto normal = standard_plane.text ? standard_plane_normal(*standard_plane.text) : std::nullopt;
  if (!normal) throw InvalidValue("Unknown standard plane: " + standard_plane.shown);
  return {Point3{0.0, 0.0, 0.0}, *normal};
}

PlaneParams Drulen::ops::plane_params_from_face(const TopoDS_Shape& face_shape) {
  try {
    require_shape(face_shape, "face_shape");
    const TopoDS_Face& face = TopoDS::Face(face_shape);
    BRepAdaptor_Surface surface(face);
    if (surface.GetType() != GeomAbs_Plane) throw InvalidValue("Face is not planar");
    gp_Pln plane = surface.Plane();
    const gp_Pnt& o = plane.Location();
    const gp_Dir& n = plane.Axis().Direction();
    return {Point3{o.X(), o.Y(), o.Z()}, Point3{n.X(), n.Y(), n.Z()}};
  } catch (const InvalidValue&) {
    throw;
  } catch (...) {
    throw plane_from_face_failure();
  }
}

PlaneParams Drulen::host_ops::plane_params_from_face(const MaybeShape& face_shape) {
  TopoDS_Shape face;
  try {
    face = given_shape(face_shape, "face_shape");
  } catch (const WrongType&) {
    throw plane_from_face_failure();
  }
  return ops::plane_params_from_face(face);
}

std::vector<Point3> placements_passed(const std::vector<std::optional<Point3>>& given) {
  std::size_t passed = 0;
  for (std::size_t i = 0; i < given.size(); ++i)
    if (given[i]) passed = i + 1;
  std::vector<Point3> out;
  for (std::size_t i = 0; i < passed; ++i) out.push_back(given[i].value_or(Drulen::default_position));
  return out;
}

PlaneParams plane_params_from(const std::vector<Point3>& answer, std::string_view what) {
  if (answer.size() != 2)
    throw WrongType(std::string(what) + " must be an (origin, normal) pair, not " + std::to_string(answer.size()) +
                    " points");
  return {answer[0], answer[1]};
}

TopoDS_Shape Drulen::ops::create_polyline(const std::vector<Point3>& points, bool closed) {
  const std::size_t n = points.size();
  if (n < 2) return TopoDS_Shape();
  std::vector<gp_Pnt> pnts;
  pnts.reserve(n);
  for (const Point3& p : points) pnts.push_back(point(p, "point"));
  return kernel::polyline_wire(pnts, closed && n >= 3);
}

// ---------------------------------------------------------------- the protocol

TopoDS_Shape Drulen::create_box(double w, double h, double d, std::optional<Point3> position) {
  return ops::create_box(w, h, d, position.value_or(default_position));
}
TopoDS_Shape Drulen::create_sphere(double r, std::optional<Point3> center) {
  return ops::create_sphere(r, center.value_or(default_position));
}
TopoDS_Shape Drulen::create_cylinder(double r, double h, std::optional<Point3> position,
                                     std::optional<Point3> direction) {
  return ops::create_cylinder(r, h, position.value_or(default_position), direction.value_or(default_direction));
}
TopoDS_Shape Drulen::create_cone(double r1, double r2, double h, std::optional<Point3> position,
                                 std::optional<Point3> direction) {
  return ops::create_cone(r1, r2, h, position.value_or(default_position), direction.value_or(default_direction));
}
TopoDS_Shape Drulen::create_torus(double major, double minor, std::optional<Point3> position,
                                  std::optional<Point3> direction) {
  return ops::create_torus(major, minor, position.value_or(default_position),
                           direction.value_or(default_direction));
}
TopoDS_Shape Drulen::create_rectangle(double w, double h) { return ops::create_rectangle(w, h); }
TopoDS_Shape Drulen::create_circle(double r) { return ops::create_circle(r); }
TopoDS_Shape Drulen::translate_shape(const TopoDS_Shape& s, double dx, double dy, double dz) {
  return ops::translate_shape(s, dx, dy, dz);
}
TopoDS_Shape Drulen::rotate_shape(const TopoDS_Shape& s, const Point3& p, const Point3& d, double a) {
  return ops::rotate_shape(s, p, d, a);
}
TopoDS_Shape Drulen::fuse_shapes(const TopoDS_Shape& a, const TopoDS_Shape& b) { return ops::fuse_shapes(a, b); }
TopoDS_Shape Drulen::cut_shapes(const TopoDS_Shape& a, const TopoDS_Shape& b) { return ops::cut_shapes(a, b); }
TopoDS_Shape Drulen::unify_same_domain(const TopoDS_Shape& s) { return ops::unify_same_domain(s); }
TopoDS_Shape Drulen::import_file(const std::string& f) { return ops::import_file(f); }
bool Drulen::export_shapes_to_step(const Shapes& s, const std::string& f) { return ops::export_shapes_to_step(s, f); }
bool Drulen::export_shapes_to_iges(const Shapes& s, const std::string& f) { return ops::export_shapes_to_iges(s, f); }
Shapes Drulen::explode_to_faces(const TopoDS_Shape& s) { return ops::explode_to_faces(s); }
TopoDS_Shape Drulen::apply_fillet(const TopoDS_Shape& s, double r, const Indices& i) {
  return ops::apply_fillet(s, r, i);
}
TopoDS_Shape Drulen::apply_corner_round(const TopoDS_Shape& s, double r, const Indices& i) {
  return ops::apply_corner_round(s, r, i);
}
TopoDS_Shape Drulen::apply_polyline_round(const TopoDS_Shape& s, double r, const Indices& i) {
  return ops::apply_polyline_round(s, r, i);
}
PlaneParams Drulen::plane_params_for_standard(const std::string& k) { return ops::plane_params_for_standard(k); }
PlaneParams Drulen::plane_params_from_face(const TopoDS_Shape& f) { return ops::plane_params_from_face(f); }
TopoDS_Shape Drulen::create_polyline(const std::vector<Point3>& p, bool closed) {
  return ops::create_polyline(p, closed);
}
TopoDS_Shape Drulen::extrude_shape(const TopoDS_Shape& s, double depth) { return ops::extrude_shape(s, depth); }

}  // namespace nimbal::services
