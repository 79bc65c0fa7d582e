// Geometry kernel service: every modelling computation over the kernel.
//
// `DrulenProtocol` is what the geometry manager calls (24 operations);
// `Drulen` implements it over OCCT. The operations themselves are static
// members of `Drulen` (suffix-free names in the `ops` struct) so that the
// Python face can offer them on the class; the virtual protocol members of a
// `Drulen` object forward to them (`create_array_compound` with the object
// itself, whose own `translate_shape` moves the copies). `host_ops` take the
// values a host passed as it passed them, for the rules that depend on
// their kind.
//
// Shapes: a null `TopoDS_Shape` stands for "no shape", both as an argument and
// as the absent result of an operation that may yield none.
#pragma once

#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <TopoDS_Shape.hxx>

#include "nimbal/arguments.hpp"
#include "nimbal/limits.hpp"

#include "nimbal/errors.hpp"
#include "nimbal/host_value.hpp"
#include "nimbal/log.hpp"

class XSControl_Reader;

namespace nimbal::services {

using Point3 = std::array<double, 3>;
using Count3 = std::array<long long, 3>;
using PlaneParams = std::pair<Point3, Point3>;
using Shapes = std::vector<TopoDS_Shape>;
// Shapes that are faces, each of them.
struct Faces : Shapes {
  Faces() = default;
  Faces(Shapes s) : Shapes(std::move(s)) {}  // NOLINT: implicit on purpose
};
using Indices = std::vector<long long>;

// The most copies create_array_compound makes in one compound: no more than
// a model may build in all.
inline constexpr long long kMaxArrayCopies = limits::max_built_shapes;

// The largest coordinate, in model units, a placement may give a shape.
// Above about 4.5e8 the spacing of doubles exceeds the kernel's confusion
// tolerance (1e-7): booleans there give wrong volumes (a unit sphere and
// cylinder fused at 1e10: 27% off) or never return (at 9.2e18).
inline constexpr double kMaxCoordinate = 1e8;

// An angle in degrees in radians, reduced modulo 360 first: the plain
// product overflows to infinity above about 5.7e307 degrees.
inline double radians_from_degrees(double degrees) { return std::fmod(degrees, 360.0) * M_PI / 180.0; }

// The module logger: "nimbal.services.drulen".
extern const log::Logger drulen_logger;

// The operations the geometry manager calls on its kernel service. Placement
// parameters left empty take the implementation's defaults; a substitute
// service is called with only the arguments the caller gave.
class DrulenProtocol {
 public:
  virtual ~DrulenProtocol() = default;

  virtual TopoDS_Shape create_box(double width, double height, double depth,
                                  std::optional<Point3> position = std::nullopt) = 0;
  virtual TopoDS_Shape create_sphere(double radius, std::optional<Point3> center = std::nullopt) = 0;
  virtual TopoDS_Shape create_cylinder(double radius, double height,
                                       std::optional<Point3> position = std::nullopt,
                                       std::optional<Point3> direction = std::nullopt) = 0;
  virtual TopoDS_Shape create_cone(double radius1, double radius2, double height,
                                   std::optional<Point3> position = std::nullopt,
                                   std::optional<Point3> direction = std::nullopt) = 0;
  virtual TopoDS_Shape create_torus(double major_radius, double minor_radius,
                                    std::optional<Point3> position = std::nullopt,
                                    std::optional<Point3> direction = std::nullopt) = 0;
  virtual TopoDS_Shape create_rectangle(double width, double height) = 0;
  virtual TopoDS_Shape create_circle(double radius) = 0;
  virtual TopoDS_Shape translate_shape(const TopoDS_Shape& shape, double dx, double dy, double dz) = 0;
  virtual TopoDS_Shape rotate_shape(const TopoDS_Shape& shape, const Point3& axis_point,
                                    const Point3& axis_direction, double angle_degrees) = 0;
  virtual TopoDS_Shape fuse_shapes(const TopoDS_Shape& shape1, const TopoDS_Shape& shape2) = 0;
  virtual TopoDS_Shape cut_shapes(const TopoDS_Shape& shape1, const TopoDS_Shape& shape2) = 0;
  virtual TopoDS_Shape unify_same_domain(const TopoDS_Shape& shape) = 0;
  virtual TopoDS_Shape import_file(const std::string& filename) = 0;
  virtual bool export_shapes_to_step(const Shapes& shapes, const std::string& filename) = 0;
  virtual bool export_shapes_to_iges(const Shapes& shapes, const std::string& filename) = 0;
  virtual Shapes explode_to_faces(const TopoDS_Shape& shape) = 0;
  virtual TopoDS_Shape create_array_compound(const TopoDS_Shape& base_shape, const Count3& count,
                                             const Point3& spacing) = 0;
  virtual TopoDS_Shape apply_fillet(const TopoDS_Shape& shape, double radius,
                                    const Indices& edge_indices = {}) = 0;
  virtual TopoDS_Shape apply_corner_round(const TopoDS_Shape& shape, double radius,
                                          const Indices& vertex_indices = {}) = 0;
  virtual TopoDS_Shape apply_polyline_round(const TopoDS_Shape& shape, double radius,
                                            const Indices& vertex_indices = {}) = 0;
  virtual PlaneParams plane_params_for_standard(const std::string& standard_plane) = 0;
  virtual PlaneParams plane_params_from_face(const TopoDS_Shape& face_shape) = 0;
  virtual TopoDS_Shape create_polyline(const std::vector<Point3>& points, bool closed = false) = 0;
  virtual TopoDS_Shape extrude_shape(const TopoDS_Shape& shape, double depth) = 0;
};

// The wrapped failure of plane_params_from_face; `cause` is the error caught.
struct PlaneFromFaceError : InvalidValue {
  PlaneFromFaceError(const std::string& msg, std::exception_ptr cause) : InvalidValue(msg), cause(cause) {}
  std::exception_ptr cause;
};

// The placements a substitute service is given, from the placement
// arguments a caller gave or left out (an operation's last ones): one left
// out is left out too, unless a later one is given: then it is Drulen's
// default (only a position precedes another placement).
std::vector<Point3> placements_passed(const std::vector<std::optional<Point3>>& given);

// A substitute service's answer to a plane query: exactly one (origin,
// normal) pair of points, or WrongType naming `what`.
PlaneParams plane_params_from(const std::vector<Point3>& answer, std::string_view what);

// A substitute service's answer to an operation yielding R, as the
// embedding layer reads it (`type`), and what it means (`read`): None from
// explode_to_faces is no faces; a plane query answers an (origin, normal)
// pair, and its refusal of the value (`refusal_answers`: InvalidValue) is an
// answer too, which the manager's plane constructors answer with none.
template <class R>
struct ServiceAnswer {
  using type = R;
  static constexpr bool refusal_answers = false;
  static R read(R answer, std::string_view) { return answer; }
};
// A shape may be None: the null shape.
template <>
struct ServiceAnswer<TopoDS_Shape> {
  using type = NullableShape;
  static constexpr bool refusal_answers = false;
  static TopoDS_Shape read(const NullableShape& answer, std::string_view) { return answer; }
};
template <>
struct ServiceAnswer<Shapes> {
  using type = std::optional<Shapes>;
  static constexpr bool refusal_answers = false;
  static Shapes read(std::optional<Shapes> answer, std::string_view) { return answer ? std::move(*answer) : Shapes{}; }
};
template <>
struct ServiceAnswer<PlaneParams> {
  using type = std::vector<Point3>;
  static constexpr bool refusal_answers = true;
  static PlaneParams read(const std::vector<Point3>& answer, std::string_view what) {
    return plane_params_from(answer, what);
  }
};

// A standard plane's name as the host gave it: its text (none for a value
// that is not text) and the host's own spelling of the value, which the
// refusal quotes.
struct PlaneKey {
  std::optional<std::string> text;
  std::string shown;
};

// Held for any use of the kernel's STEP and IGES code, which is not
// thread-safe: one holder in the process at a time (recursive). Waits with
// the embedding layer's lock released.
class ExchangeLock {
 public:
  ExchangeLock();
  ~ExchangeLock();
  ExchangeLock(const ExchangeLock&) = delete;
  ExchangeLock& operator=(const ExchangeLock&) = delete;
};

// A new kernel file reader: its creation sets the kernel's exchange globals.
template <class Reader>
Reader* new_exchange_reader() {
  ExchangeLock lock;
  return new Reader();
}

// STEP data held in memory; `name` is used in messages only.
struct StepBuffer {
  std::string name;
  std::string_view bytes;
};

// Operations whose errors are caught and logged; names the message used.
enum class GuardedOp {
  fuse, cut, intersect, unify_same_domain, explode_to_faces, extrude,
  fillet, corner_round, polyline_round, export_step, export_iges, import_step, import_iges,
};

class Drulen : public DrulenProtocol {
 public:
  // ---- the static operations (the Python face's static members) ----
  struct ops {
    static BuiltShape create_box(double width, double height, double depth, const Point3& position);
    static BuiltShape create_sphere(double radius, const Point3& center);
    static BuiltShape create_cylinder(double radius, double height, const Point3& position,
                                        const Point3& direction);
    static BuiltShape create_cone(double radius1, double radius2, double height, const Point3& position,
                                    const Point3& direction);
    static BuiltShape create_torus(double major_radius, double minor_radius, const Point3& position,
                                     const Point3& direction);
    static BuiltShape create_rectangle(double width, double height);
    static BuiltShape create_circle(double radius);
    static TopoDS_Shape extrude_shape(const TopoDS_Shape& shape, double depth);
    static TopoDS_Shape translate_shape(const TopoDS_Shape& shape, double dx, double dy, double dz);
    static TopoDS_Shape rotate_shape(const TopoDS_Shape& shape, const Point3& axis_point,
                                     const Point3& axis_direction, double angle_degrees);
    static TopoDS_Shape scale_shape(const TopoDS_Shape& shape, const Point3& center, double factor);
    static TopoDS_Shape fuse_shapes(const TopoDS_Shape& shape1, const TopoDS_Shape& shape2);
    static TopoDS_Shape cut_shapes(const TopoDS_Shape& shape1, const TopoDS_Shape& shape2);
    // The input shape itself when the kernel fails.
    static TopoDS_Shape unify_same_domain(const TopoDS_Shape& shape);
    static TopoDS_Shape intersect_shapes(const TopoDS_Shape& shape1, const TopoDS_Shape& shape2);
    static Faces explode_to_faces(const TopoDS_Shape& shape);
    static TopoDS_Shape apply_fillet(const TopoDS_Shape& shape, double radius, const Indices& edge_indices);
    static TopoDS_Shape apply_corner_round(const TopoDS_Shape& shape, double radius,
                                           const Indices& vertex_indices);
    static TopoDS_Shape apply_polyline_round(const TopoDS_Shape& shape, double radius,
                                             const Indices& vertex_indices);
    // Unguarded helpers: their errors reach the caller.
    static TopoDS_Shape fillet2d_face(const TopoDS_Shape& face, double radius, const Shapes& target_vertices);
    static TopoDS_Shape apply_corner_round_wire(const TopoDS_Shape& wire, double radius,
                                                const Shapes& target_vertices);
    // Throws InvalidValue "Unknown standard plane: 'key'".
    static PlaneParams plane_params_for_standard(std::string_view standard_plane);
    // Throws InvalidValue "Face is not planar" or "Could not extract plane
    // parameters from face: ...".
    static PlaneParams plane_params_from_face(const TopoDS_Shape& face_shape);
    static TopoDS_Shape create_polyline(const std::vector<Point3>& points, bool closed);
    static bool export_step(const TopoDS_Shape& shape, const std::string& filename);
    // `file_type` ("STEP" or "IGES") is used in messages only.
    static TopoDS_Shape import_with_reader(XSControl_Reader& reader, const std::string& filename,
                                           const std::string& file_type);
    // Files and buffers are read in the reader process: a reader that
    // crashes, is cancelled or passes the deadline fails that import only
    // (logged, none); the host's interrupt (Ctrl-C) stops it and goes on.
    static TopoDS_Shape import_file(const std::string& filename);
    // One shape per buffer, none where it failed (logged as import_file logs
    // its failures); a crash on one buffer fails that buffer only.
    static Shapes import_step_buffers(const std::vector<StepBuffer>& buffers);
    // The same for shapes in the kernel's native binary form (BinTools):
    // untrusted bytes, read in the reader process like STEP data.
    static Shapes import_native_buffers(const std::vector<StepBuffer>& buffers);
    static bool export_iges(const TopoDS_Shape& shape, const std::string& filename);
    static bool export_shapes_to_iges(const Shapes& shapes, const std::string& filename);
    static bool export_shapes_to_step(const Shapes& shapes, const std::string& filename);
    // Each copy placed by `placer`'s translate_shape (a subclass's override
    // included); the grid itself is never a subclass's override.
    static TopoDS_Shape create_array_compound(Drulen& placer, const TopoDS_Shape& base_shape, const Count3& count,
                                              const Point3& spacing);
  };

  // ---- the operations the host calls with values it has not tested ----
  // A value of the wrong kind is refused as the embedding layer's own
  // readers word it ("shape must be a kernel shape, not 'int'").
  struct host_ops {
    // No shape (None or null) is no prism whatever the depth, and only
    // then is the depth read: a wrong one is logged as the operation's
    // failure.
    static TopoDS_Shape extrude_shape(const NullableShape& shape, const HostValue<double>& depth);
    // None: the shape as it was given (a value that is no shape is logged
    // as the operation's failure, and the kernel's failure gives it back).
    static std::optional<TopoDS_Shape> unify_same_domain(const MaybeShape& shape);
    // A value that is no shape fails as a kernel failure does.
    static PlaneParams plane_params_from_face(const MaybeShape& face_shape);
    // Throws InvalidValue "Unknown standard plane: <shown>".
    static PlaneParams plane_params_for_standard(const PlaneKey& standard_plane);
  };

  // Every import in progress at the call fails as cancelled (logged, none),
  // whichever thread runs it.
  static void cancel_imports();
  // The longest one import may take before it fails (logged, none); none,
  // the default, waits for ever. Throws InvalidValue for a value <= 0 or NaN.
  static void set_import_deadline(std::optional<double> seconds);

  // The standard-plane normals, in table order.
  static const std::vector<std::pair<std::string, Point3>>& standard_plane_normals();
  // The normal of a standard plane key, none for an unknown key.
  static std::optional<Point3> standard_plane_normal(std::string_view key);

  // Logs the exception being handled the way `op` logs its own failures
  // (error with traceback; warning without it for unify_same_domain). Lets a
  // caller that converts arguments report a bad argument as the operation would.
  static void log_caught(GuardedOp op);
  // The answer to an argument of the wrong kind, refused before `op` began
  // (the exception being handled): logged as op's failure and answered as
  // one is (no shape, no faces, false).
  template <class R>
  static R refused_argument(GuardedOp op) {
    log_caught(op);
    return R{};
  }

  static constexpr Point3 default_position{0.0, 0.0, 0.0};
  static constexpr Point3 default_direction{0.0, 0.0, 1.0};

  // ---- DrulenProtocol ----
  TopoDS_Shape create_box(double width, double height, double depth,
                          std::optional<Point3> position = std::nullopt) override;
  TopoDS_Shape create_sphere(double radius, std::optional<Point3> center = std::nullopt) override;
  TopoDS_Shape create_cylinder(double radius, double height, std::optional<Point3> position = std::nullopt,
                               std::optional<Point3> direction = std::nullopt) override;
  TopoDS_Shape create_cone(double radius1, double radius2, double height,
                           std::optional<Point3> position = std::nullopt,
                           std::optional<Point3> direction = std::nullopt) override;
  TopoDS_Shape create_torus(double major_radius, double minor_radius,
                            std::optional<Point3> position = std::nullopt,
                            std::optional<Point3> direction = std::nullopt) override;
  TopoDS_Shape create_rectangle(double width, double height) override;
  TopoDS_Shape create_circle(double radius) override;
  TopoDS_Shape translate_shape(const TopoDS_Shape& shape, double dx, double dy, double dz) override;
  TopoDS_Shape rotate_shape(const TopoDS_Shape& shape, const Point3& axis_point, const Point3& axis_direction,
                            double angle_degrees) override;
  TopoDS_Shape fuse_shapes(const TopoDS_Shape& shape1, const TopoDS_Shape& shape2) override;
  TopoDS_Shape cut_shapes(const TopoDS_Shape& shape1, const TopoDS_Shape& shape2) override;
  TopoDS_Shape unify_same_domain(const TopoDS_Shape& shape) override;
  TopoDS_Shape import_file(const std::string& filename) override;
  bool export_shapes_to_step(const Shapes& shapes, const std::string& filename) override;
  bool export_shapes_to_iges(const Shapes& shapes, const std::string& filename) override;
  Shapes explode_to_faces(const TopoDS_Shape& shape) override;
  // Each copy comes from this object's (possibly overridden) translate_shape.
  TopoDS_Shape create_array_compound(const TopoDS_Shape& base_shape, const Count3& count,
                                     const Point3& spacing) override;
  TopoDS_Shape apply_fillet(const TopoDS_Shape& shape, double radius, const Indices& edge_indices = {}) override;
  TopoDS_Shape apply_corner_round(const TopoDS_Shape& shape, double radius,
                                  const Indices& vertex_indices = {}) override;
  TopoDS_Shape apply_polyline_round(const TopoDS_Shape& shape, double radius,
                                    const Indices& vertex_indices = {}) override;
  PlaneParams plane_params_for_standard(const std::string& standard_plane) override;
  PlaneParams plane_params_from_face(const TopoDS_Shape& face_shape) override;
  TopoDS_Shape create_polyline(const std::vector<Point3>& points, bool closed = false) override;
  TopoDS_Shape extrude_shape(const TopoDS_Shape& shape, double depth) override;
};

}  // namespace nimbal::services
