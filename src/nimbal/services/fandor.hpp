// Sketch plane service: the frame of a reference plane, plane-local <-> world
// coordinates, mapping a screen pixel onto a plane, and the 2D sketch element
// builders. Stateless; every call reads the plane record afresh.
#pragma once

#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <TopoDS_Shape.hxx>

#include "nimbal/arguments.hpp"
#include "nimbal/errors.hpp"
#include "nimbal/host_value.hpp"
#include "nimbal/models/quenby.hpp"

namespace nimbal::services {

using models::PlaneProperties;
using Vec3 = std::array<double, 3>;
using Point2 = models::Point2;  // (u, v) on the plane
using Point3 = models::Point3;  // (x, y, z) in the world
using AxisPair = std::pair<Vec3, Vec3>;  // (u_axis, v_axis)

// Length below which a vector counts as zero; also the bound under which a
// ray is taken as parallel to a plane.
inline constexpr double kEps = 1e-10;

// A failed call of a host view. Host view implementations report their
// failures with this (or a kernel Standard_Failure): only these make
// screen_to_plane_coords fall back; anything else passes through.
struct ViewCallError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// What screen_to_plane_coords needs of the host's kernel view (V3d_View's
// own names and meanings).
class HostView {
 public:
  virtual ~HostView() = default;
  // A point on the eye ray through the pixel, then the ray's direction.
  virtual std::array<double, 6> ConvertWithProj(int xp, int yp) = 0;
  // The pixel as a world point.
  virtual Point3 Convert(int xp, int yp) = 0;
  // The view's projection direction.
  virtual Vec3 Proj() = 0;
};

// A plane-local point as the caller gave it: its first two items if they
// read as numbers, whether it is exactly a (u, v) pair, and the caller's
// name for its type (for messages). Each builder decides what it needs: the
// polyline filter reads only what it compares and building needs exact
// pairs; lines and arcs need the first two items.
using nimbal::BuiltShape;

struct PolylinePoint {
  std::optional<double> u, v;
  bool is_pair = true;
  std::string given_type;

  PolylinePoint() = default;
  PolylinePoint(double u_, double v_) : u(u_), v(v_) {}
  PolylinePoint(const Point2& p) : u(p[0]), v(p[1]) {}  // NOLINT: implicit on purpose

  // (u, v) when both items read as numbers.
  std::optional<Point2> leading_pair() const;
};

// The N numbers a host view's answer must hold, as tuple unpacking takes
// them; ViewCallError with unpacking's own message otherwise.
template <std::size_t N>
std::array<double, N> unpack_view_result(const std::vector<double>& values) {
  if (values.size() > N) throw ViewCallError("too many values to unpack (expected " + std::to_string(N) + ")");
  if (values.size() < N)
    throw ViewCallError("not enough values to unpack (expected " + std::to_string(N) + ", got " +
                        std::to_string(values.size()) + ")");
  std::array<double, N> out{};
  for (std::size_t i = 0; i < N; ++i) out[i] = values[i];
  return out;
}

// Refusals of a host view's answer, in unpacking's words: one that cannot
// be iterated, and one holding an item that is no number (`type_name` is the
// host's name of the offending value's type).
ViewCallError view_result_not_iterable(const std::string& type_name);
ViewCallError view_result_not_a_number(const std::string& type_name);

// The refusal of a derived frame whose plane_local_axes gives no pair of
// (x, y, z) triples.
WrongType bad_local_axes();

// Python's math.isclose(a, b, abs_tol=1e-9) (rel_tol 1e-9).
bool coords_close(double a, double b);

class Fandor {
 public:
  Fandor() = default;
  Fandor(const Fandor&) = default;
  Fandor& operator=(const Fandor&) = default;
  virtual ~Fandor() = default;

  // Overridable: the conversions and builders below go through these, so a
  // derived class's frame is used everywhere.
  virtual AxisPair plane_local_axes(const PlaneProperties& plane) const;
  virtual Point3 local_to_world(const PlaneProperties& plane, double u, double v) const;
  virtual Point2 world_to_local(const PlaneProperties& plane, double x, double y, double z) const;

  // The plane-local point under pixel (px, py); none when the view cannot
  // give a ray (logged at debug) or the ray runs parallel to the plane.
  std::optional<Point2> screen_to_plane_coords(HostView& view, const PlaneProperties& plane,
                                               double px, double py) const;

  // Kernel errors reach the caller (Standard_Failure); non-finite input
  // raises InvalidValue.
  BuiltShape create_rectangle_on_plane(const PlaneProperties& plane, double u, double v,
                                       double width, double height, bool filled = true) const;
  BuiltShape create_circle_on_plane(const PlaneProperties& plane, double u, double v,
                                    double radius, bool filled = true) const;
  // A null shape for "none".
  TopoDS_Shape create_line_on_plane(const PlaneProperties& plane, const Point2& p1,
                                    const Point2& p2) const;
  TopoDS_Shape create_arc_on_plane(const PlaneProperties& plane, const Point2& start,
                                   const Point2& mid, const Point2& end) const;
  // The same from points as given: a line's end that is no (u, v) pair of
  // numbers raises WrongType, an arc's such point gives none.
  TopoDS_Shape create_line_on_plane(const PlaneProperties& plane, const PolylinePoint& p1,
                                    const PolylinePoint& p2) const;
  TopoDS_Shape create_arc_on_plane(const PlaneProperties& plane, const PolylinePoint& start,
                                   const PolylinePoint& mid, const PolylinePoint& end) const;
  // Throws WrongType when a point the filter has to compare is unreadable;
  // every later failure gives a null shape.
  TopoDS_Shape create_polyline_on_plane(const PlaneProperties& plane,
                                        const std::vector<PolylinePoint>& points,
                                        bool closed = false, bool filled = false) const;

  // Null shape when the kernel fails (or an input is null).
  static TopoDS_Shape fuse_shapes(const TopoDS_Shape& shape1, const TopoDS_Shape& shape2);
  static TopoDS_Shape cut_shapes(const TopoDS_Shape& shape1, const TopoDS_Shape& shape2);
  // The input itself when merging fails.
  static TopoDS_Shape unify_same_domain(const TopoDS_Shape& shape);
  // As the host passes them: a value that is no kernel shape reads as the
  // null shape, which the booleans answer with none.
  static TopoDS_Shape fuse_shapes(const MaybeShape& shape1, const MaybeShape& shape2);
  static TopoDS_Shape cut_shapes(const MaybeShape& shape1, const MaybeShape& shape2);
  // None when the answer is the given value itself (unchanged, or merging
  // failed).
  static std::optional<TopoDS_Shape> unify_same_domain(const MaybeShape& shape);

  // Up direction for a view looking straight at a plane with this normal.
  Vec3 up_vector_for_normal(double nx, double ny, double nz) const;
};

}  // namespace nimbal::services
