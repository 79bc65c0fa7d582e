#include "nimbal/services/fandor.hpp"

#include <cmath>
#include <limits>

#include <BRepAlgoAPI_Cut.hxx>
#include <BRepAlgoAPI_Fuse.hxx>
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <BRepTools.hxx>
#include <Precision.hxx>
#include <GC_MakeArcOfCircle.hxx>
#include <Geom_TrimmedCurve.hxx>
#include <ShapeUpgrade_UnifySameDomain.hxx>
#include <Standard_Failure.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_ListOfShape.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Wire.hxx>
#include <gp_Ax2.hxx>
#include <gp_Ax3.hxx>
#include <gp_Circ.hxx>
#include <gp_Dir.hxx>
#include <gp_Pln.hxx>
#include <gp_Pnt.hxx>

#include "nimbal/errors.hpp"
#include "nimbal/kernel.hpp"
#include "nimbal/log.hpp"

namespace nimbal::services {
namespace {

constexpr log::Logger lg("nimbal.services.fandor");

bool finite3(const Vec3& p) {
  return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]);
}

// The kernel accepts NaN and infinite coordinates and builds nonsense from
// them; refuse those before they get there.
void require_finite(const Vec3& p, const char* what) {
  if (!finite3(p)) throw InvalidValue(std::string(what) + " is not finite");
}

gp_Pnt to_pnt(const Point3& p) { return gp_Pnt(p[0], p[1], p[2]); }

gp_Dir normal_dir(const PlaneProperties& plane) {
  Vec3 n{plane.normal_x, plane.normal_y, plane.normal_z};
  require_finite(n, "plane normal");
  return gp_Dir(n[0], n[1], n[2]);  // Standard_ConstructionError for a zero normal
}

gp_Dir x_dir(const AxisPair& axes) {
  require_finite(axes.first, "plane u axis");
  return gp_Dir(axes.first[0], axes.first[1], axes.first[2]);
}

// Python's int() of a pixel coordinate, limited to what a kernel view takes.
int pixel(double p) {
  if (std::isnan(p)) throw ViewCallError("cannot convert float NaN to integer");
  if (std::isinf(p)) throw ViewCallError("cannot convert float infinity to integer");
  double t = std::trunc(p);
  if (t < static_cast<double>(std::numeric_limits<int>::min()) ||
      t > static_cast<double>(std::numeric_limits<int>::max()))
    throw ViewCallError("pixel coordinate out of range");
  return static_cast<int>(t);
}

TopoDS_Wire wire_of(const TopoDS_Edge& edge) { return BRepBuilderAPI_MakeWire(edge).Wire(); }

// Whether an element the kernel built has no size: its checker refuses it,
// an edge is no longer than the kernel's tolerance (its two ends are one
// point to the kernel), or a face is a strip no wider than that tolerance
// (its area at most half its outline's length times it). The kernel builds such elements without
// failing (a rectangle of width 0, a circle outline of radius 0), and every
// operation on them later fails or measures nothing.
bool degenerate(const TopoDS_Shape& shape) {
  const double tol = Precision::Confusion();
  if (!kernel::is_valid(shape)) return true;
  for (TopExp_Explorer e(shape, TopAbs_EDGE); e.More(); e.Next())
    if (kernel::length(e.Current()) <= tol) return true;
  for (TopExp_Explorer f(shape, TopAbs_FACE); f.More(); f.Next())
    if (kernel::area(f.Current()) <= 0.5 * tol * kernel::length(f.Current())) return true;
  return false;
}

// Rectangles and circles yield a shape or raise: the kernel can hand back a
// null face without failing (a circle of radius 0), or one without size,
// which is no result either.
BuiltShape non_null(const TopoDS_Shape& shape, const char* what) {
  if (shape.IsNull()) throw kernel::KernelError(std::string("the kernel made no ") + what);
  if (degenerate(shape)) throw kernel::KernelError(std::string("the kernel made no ") + what + " of any size");
  return BuiltShape(shape);
}

// A line, an arc or a polyline without size is none, as one the kernel
// refuses to build.
TopoDS_Shape sized(const TopoDS_Shape& shape) {
  return shape.IsNull() || degenerate(shape) ? TopoDS_Shape() : shape;
}

}  // namespace

std::optional<Point2> PolylinePoint::leading_pair() const {
  if (!u || !v) return std::nullopt;
  return Point2{*u, *v};
}

ViewCallError view_result_not_iterable(const std::string& type_name) {
  return ViewCallError("cannot unpack non-iterable " + type_name + " object");
}

ViewCallError view_result_not_a_number(const std::string& type_name) {
  return ViewCallError("view result holds a " + type_name + ", not a number");
}

WrongType bad_local_axes() { return WrongType("plane_local_axes must return a pair of (x, y, z) triples"); }

bool coords_close(double a, double b) {
  if (a == b) return true;
  if (std::isinf(a) || std::isinf(b)) return false;
  const double diff = std::fabs(b - a);
  return diff <= std::fabs(1e-9 * b) || diff <= std::fabs(1e-9 * a) || diff <= 1e-9;
}

AxisPair Fandor::plane_local_axes(const PlaneProperties& plane) const {
  const double nx = plane.normal_x, ny = plane.normal_y, nz = plane.normal_z;
  Vec3 ref = std::fabs(nx) < 0.9 ? Vec3{1.0, 0.0, 0.0} : Vec3{0.0, 1.0, 0.0};
  const double dot = ref[0] * nx + ref[1] * ny + ref[2] * nz;
  Vec3 u{ref[0] - dot * nx, ref[1] - dot * ny, ref[2] - dot * nz};
  const double umag = std::sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2]);
  if (umag < kEps)
    u = {1.0, 0.0, 0.0};
  else
    u = {u[0] / umag, u[1] / umag, u[2] / umag};
  Vec3 v{ny * u[2] - nz * u[1], nz * u[0] - nx * u[2], nx * u[1] - ny * u[0]};
  const double vmag = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (vmag < kEps)
    v = {0.0, 1.0, 0.0};
  else
    v = {v[0] / vmag, v[1] / vmag, v[2] / vmag};
  return {u, v};
}

Point3 Fandor::local_to_world(const PlaneProperties& plane, double u, double v) const {
  const auto [ua, va] = plane_local_axes(plane);
  return {plane.origin_x + u * ua[0] + v * va[0], plane.origin_y + u * ua[1] + v * va[1],
          plane.origin_z + u * ua[2] + v * va[2]};
}

Point2 Fandor::world_to_local(const PlaneProperties& plane, double x, double y, double z) const {
  const auto [ua, va] = plane_local_axes(plane);
  const double dx = x - plane.origin_x, dy = y - plane.origin_y, dz = z - plane.origin_z;
  return {dx * ua[0] + dy * ua[1] + dz * ua[2], dx * va[0] + dy * va[1] + dz * va[2]};
}

std::optional<Point2> Fandor::screen_to_plane_coords(HostView& view, const PlaneProperties& plane,
                                                     double px, double py) const {
  std::array<double, 6> ray{};
  bool have_ray = false;
  try {
    ray = view.ConvertWithProj(pixel(px), pixel(py));
    have_ray = true;
  } catch (const ViewCallError&) {
  } catch (const Standard_Failure&) {
  }
  if (!have_ray) {
    // Views without ConvertWithProj: the pixel's point and the projection.
    try {
      const int xp = pixel(px), yp = pixel(py);
      const Point3 p = view.Convert(xp, yp);
      const Vec3 d = view.Proj();
      ray = {p[0], p[1], p[2], d[0], d[1], d[2]};
    } catch (const ViewCallError& e) {
      lg.debug(std::string("screen_to_plane_coords failed: ") + e.what());
      return std::nullopt;
    } catch (const Standard_Failure& f) {
      lg.debug("screen_to_plane_coords failed: " + kernel::failure_text(f));
      return std::nullopt;
    }
  }
  const auto [X, Y, Z, Dx, Dy, Dz] = ray;
  const double nx = plane.normal_x, ny = plane.normal_y, nz = plane.normal_z;
  const double ox = plane.origin_x, oy = plane.origin_y, oz = plane.origin_z;
  const double denom = Dx * nx + Dy * ny + Dz * nz;
  if (std::fabs(denom) < kEps) return std::nullopt;
  const double num = (ox - X) * nx + (oy - Y) * ny + (oz - Z) * nz;
  const double t = num / denom;
  return world_to_local(plane, X + t * Dx, Y + t * Dy, Z + t * Dz);
}

BuiltShape Fandor::create_rectangle_on_plane(const PlaneProperties& plane, double u, double v,
                                             double width, double height, bool filled) const {
  const Point3 centre = local_to_world(plane, u + width / 2.0, v + height / 2.0);
  require_finite(centre, "rectangle centre");
  const double hw = width / 2.0, hh = height / 2.0;
  require_finite({hw, hh, 0.0}, "rectangle size");
  const gp_Dir main = normal_dir(plane);
  const gp_Dir xd = x_dir(plane_local_axes(plane));
  const gp_Pln pln(gp_Ax3(to_pnt(centre), main, xd));
  BRepBuilderAPI_MakeFace maker(pln, -hw, hw, -hh, hh);
  if (filled) return non_null(maker.Face(), "rectangle face");
  return non_null(BRepTools::OuterWire(maker.Face()), "rectangle outline");
}

BuiltShape Fandor::create_circle_on_plane(const PlaneProperties& plane, double u, double v,
                                          double radius, bool filled) const {
  const Point3 centre = local_to_world(plane, u, v);
  require_finite(centre, "circle centre");
  require_finite({radius, 0.0, 0.0}, "circle radius");
  const gp_Dir main = normal_dir(plane);
  const gp_Dir xd = x_dir(plane_local_axes(plane));
  const gp_Circ circ(gp_Ax2(to_pnt(centre), main, xd), radius);
  const TopoDS_Wire wire = wire_of(BRepBuilderAPI_MakeEdge(circ).Edge());
  if (!filled) return non_null(wire, "circle outline");
  return non_null(BRepBuilderAPI_MakeFace(wire).Face(), "circle face");
}

TopoDS_Shape Fandor::create_line_on_plane(const PlaneProperties& plane, const Point2& p1,
                                          const Point2& p2) const {
  if (coords_close(p1[0], p2[0]) && coords_close(p1[1], p2[1])) return {};
  try {
    const Point3 a = local_to_world(plane, p1[0], p1[1]);
    const Point3 b = local_to_world(plane, p2[0], p2[1]);
    require_finite(a, "line end point");
    require_finite(b, "line end point");
    return sized(wire_of(BRepBuilderAPI_MakeEdge(to_pnt(a), to_pnt(b)).Edge()));
  } catch (const std::exception&) {
  } catch (const Standard_Failure&) {
  }
  return {};
}

TopoDS_Shape Fandor::create_arc_on_plane(const PlaneProperties& plane, const Point2& start,
                                         const Point2& mid, const Point2& end) const {
  try {
    const Point3 a = local_to_world(plane, start[0], start[1]);
    const Point3 b = local_to_world(plane, mid[0], mid[1]);
    const Point3 c = local_to_world(plane, end[0], end[1]);
    for (const auto& p : {a, b, c}) require_finite(p, "arc point");
    GC_MakeArcOfCircle arc(to_pnt(a), to_pnt(b), to_pnt(c));
    if (!arc.IsDone()) return {};
    return sized(wire_of(BRepBuilderAPI_MakeEdge(arc.Value()).Edge()));
  } catch (const std::exception&) {
  } catch (const Standard_Failure&) {
  }
  return {};
}

TopoDS_Shape Fandor::create_line_on_plane(const PlaneProperties& plane, const PolylinePoint& p1,
                                          const PolylinePoint& p2) const {
  auto end_point = [](const PolylinePoint& p, const char* name) {
    auto pair = p.leading_pair();
    if (!pair) throw WrongType(std::string(name) + " must be a (u, v) pair of numbers, not " + p.given_type);
    return *pair;
  };
  const Point2 a = end_point(p1, "p1");
  return create_line_on_plane(plane, a, end_point(p2, "p2"));
}

TopoDS_Shape Fandor::create_arc_on_plane(const PlaneProperties& plane, const PolylinePoint& start,
                                         const PolylinePoint& mid, const PolylinePoint& end) const {
  auto a = start.leading_pair(), b = mid.leading_pair(), c = end.leading_pair();
  if (!a || !b || !c) return {};
  return create_arc_on_plane(plane, *a, *b, *c);
}

namespace {

double read_coord(const std::optional<double>& c) {
  if (!c) throw WrongType("polyline point is not a (u, v) pair of numbers");
  return *c;
}

bool points_coincide(const PolylinePoint& a, const PolylinePoint& b) {
  return coords_close(read_coord(a.u), read_coord(b.u)) &&
         coords_close(read_coord(a.v), read_coord(b.v));
}

}  // namespace

TopoDS_Shape Fandor::create_polyline_on_plane(const PlaneProperties& plane,
                                              const std::vector<PolylinePoint>& points,
                                              bool closed, bool filled) const {
  // Collapse runs of repeated points; unguarded, like reading the input.
  std::vector<const PolylinePoint*> kept;
  for (const auto& p : points)
    if (kept.empty() || !points_coincide(*kept.back(), p)) kept.push_back(&p);
  if (kept.size() < 2) return {};

  try {
    std::vector<gp_Pnt> world;
    world.reserve(kept.size());
    for (const PolylinePoint* p : kept) {
      if (!p->is_pair || !p->u || !p->v) return {};
      const Point3 w = local_to_world(plane, *p->u, *p->v);
      require_finite(w, "polyline point");
      world.push_back(to_pnt(w));
    }
    const TopoDS_Wire wire =
        kernel::polyline_wire(world, closed && !points_coincide(*kept.back(), *kept.front()));
    if (sized(wire).IsNull()) return {};
    if (filled && closed) {
      require_finite({plane.origin_x, plane.origin_y, plane.origin_z}, "plane origin");
      const gp_Pnt origin(plane.origin_x, plane.origin_y, plane.origin_z);
      const gp_Dir main = normal_dir(plane);
      const gp_Dir xd = x_dir(plane_local_axes(plane));
      BRepBuilderAPI_MakeFace face(gp_Pln(gp_Ax3(origin, main, xd)), wire);
      // A face without area (collinear or doubled-back points) counts as
      // one the builder could not make.
      if (face.IsDone() && !sized(face.Face()).IsNull()) return face.Face();
    }
    return wire;
  } catch (const std::exception&) {
  } catch (const Standard_Failure&) {
  }
  return {};
}

namespace {

template <class Algo>
TopoDS_Shape run_boolean(const TopoDS_Shape& object, const TopoDS_Shape& tool) {
  if (object.IsNull() || tool.IsNull()) return {};
  try {
    Algo algo;  // arguments set here so that Build runs once
    TopTools_ListOfShape args, tools;
    args.Append(object);
    tools.Append(tool);
    algo.SetArguments(args);
    algo.SetTools(tools);
    algo.Build();
    if (algo.IsDone()) return algo.Shape();
  } catch (const Standard_Failure&) {
  } catch (const std::exception&) {
  }
  return {};
}

}  // namespace

TopoDS_Shape Fandor::fuse_shapes(const TopoDS_Shape& shape1, const TopoDS_Shape& shape2) {
  return run_boolean<BRepAlgoAPI_Fuse>(shape1, shape2);
}

TopoDS_Shape Fandor::cut_shapes(const TopoDS_Shape& shape1, const TopoDS_Shape& shape2) {
  return run_boolean<BRepAlgoAPI_Cut>(shape1, shape2);
}

TopoDS_Shape Fandor::unify_same_domain(const TopoDS_Shape& shape) {
  if (shape.IsNull()) return shape;
  try {
    ShapeUpgrade_UnifySameDomain unify(shape, true, true, true);
    unify.Build();
    return unify.Shape();
  } catch (const Standard_Failure&) {
  } catch (const std::exception&) {
  }
  return shape;
}

namespace {
TopoDS_Shape shape_or_null(const MaybeShape& given) { return given.get().value_or(TopoDS_Shape()); }
}  // namespace

TopoDS_Shape Fandor::fuse_shapes(const MaybeShape& shape1, const MaybeShape& shape2) {
  return fuse_shapes(shape_or_null(shape1), shape_or_null(shape2));
}

TopoDS_Shape Fandor::cut_shapes(const MaybeShape& shape1, const MaybeShape& shape2) {
  return cut_shapes(shape_or_null(shape1), shape_or_null(shape2));
}

std::optional<TopoDS_Shape> Fandor::unify_same_domain(const MaybeShape& shape) {
  const TopoDS_Shape in = shape_or_null(shape);
  TopoDS_Shape out = unify_same_domain(in);
  if (out.IsEqual(in)) return std::nullopt;
  return out;
}

Vec3 Fandor::up_vector_for_normal(double nx, double ny, double nz) const {
  Vec3 ref = std::fabs(nz) < 0.9 ? Vec3{0.0, 0.0, 1.0} : Vec3{0.0, 1.0, 0.0};
  const double dot = ref[0] * nx + ref[1] * ny + ref[2] * nz;
  Vec3 up{ref[0] - dot * nx, ref[1] - dot * ny, ref[2] - dot * nz};
  const double mag = std::sqrt(up[0] * up[0] + up[1] * up[1] + up[2] * up[2]);
  if (mag < kEps) return {0.0, 1.0, 0.0};
  return {up[0] / mag, up[1] / mag, up[2] / mag};
}

}  // namespace nimbal::services
