// The sketch manager: the registry of the 2D elements of one sketch on one
// reference plane, their creation through a sketch plane service, editing,
// 2D booleans and decomposition, undo and redo through a Hathel, and the
// hooks through which a host follows every change. Hooks are virtual so a
// host's subclass (in C++ or Python) receives them.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <TopoDS_Shape.hxx>

#include "nimbal/enums.hpp"
#include "nimbal/managers/corvath.hpp"
#include "nimbal/models/quenby.hpp"
#include "nimbal/services/fandor.hpp"
#include "nimbal/services/hathel.hpp"

namespace nimbal::managers {

using models::PlaneProperties;
using services::Point2;
using services::PolylinePoint;
using PlanePtr = std::shared_ptr<PlaneProperties>;

// A (u, v) position on the sketch plane, as the host gives one to the
// sketch manager.
struct PlanePoint : Point2 {
  PlanePoint() = default;
  PlanePoint(const Point2& p) : Point2(p) {}  // NOLINT: implicit on purpose
};

inline constexpr Color DEFAULT_SKETCH_COLOR{0.45, 0.56, 0.7};

// What the sketch manager asks of its sketch plane service: the element
// builders and the 2D booleans. A null shape is "none".
class SketchPlaneService {
 public:
  virtual ~SketchPlaneService() = default;
  // Kernel errors reach the caller.
  virtual TopoDS_Shape create_rectangle_on_plane(const PlanePtr& plane, double u, double v, double width,
                                                 double height, bool filled) = 0;
  virtual TopoDS_Shape create_circle_on_plane(const PlanePtr& plane, double u, double v, double radius,
                                              bool filled) = 0;
  virtual TopoDS_Shape create_line_on_plane(const PlanePtr& plane, const Point2& p1, const Point2& p2) = 0;
  virtual TopoDS_Shape create_arc_on_plane(const PlanePtr& plane, const Point2& start, const Point2& mid,
                                           const Point2& end) = 0;
  virtual TopoDS_Shape create_polyline_on_plane(const PlanePtr& plane, const std::vector<PolylinePoint>& points,
                                                bool closed, bool filled) = 0;
  virtual TopoDS_Shape fuse_shapes(const TopoDS_Shape& a, const TopoDS_Shape& b) = 0;
  virtual TopoDS_Shape cut_shapes(const TopoDS_Shape& a, const TopoDS_Shape& b) = 0;
  // The input itself when merging fails.
  virtual TopoDS_Shape unify_same_domain(const TopoDS_Shape& shape) = 0;
};

// The polyline's points as plain (u, v) pairs, for a service that takes
// nothing else: a coordinate the point lacks is 0.
std::vector<Point2> polyline_pairs(const std::vector<PolylinePoint>& points);

// The service over a Fandor.
class FandorService : public SketchPlaneService {
 public:
  explicit FandorService(std::shared_ptr<services::Fandor> fandor = nullptr);
  TopoDS_Shape create_rectangle_on_plane(const PlanePtr& plane, double u, double v, double width, double height,
                                         bool filled) override;
  TopoDS_Shape create_circle_on_plane(const PlanePtr& plane, double u, double v, double radius,
                                      bool filled) override;
  TopoDS_Shape create_line_on_plane(const PlanePtr& plane, const Point2& p1, const Point2& p2) override;
  TopoDS_Shape create_arc_on_plane(const PlanePtr& plane, const Point2& start, const Point2& mid,
                                   const Point2& end) override;
  TopoDS_Shape create_polyline_on_plane(const PlanePtr& plane, const std::vector<PolylinePoint>& points,
                                        bool closed, bool filled) override;
  TopoDS_Shape fuse_shapes(const TopoDS_Shape& a, const TopoDS_Shape& b) override;
  TopoDS_Shape cut_shapes(const TopoDS_Shape& a, const TopoDS_Shape& b) override;
  TopoDS_Shape unify_same_domain(const TopoDS_Shape& shape) override;
  const std::shared_ptr<services::Fandor>& fandor() const { return fandor_; }

 private:
  std::shared_ptr<services::Fandor> fandor_;
};

class CoreTessik : public CoreManager {
 public:
  // A null plane means a default PlaneProperties, a null service a new Fandor.
  explicit CoreTessik(std::string plane_id = "", PlanePtr plane_props = nullptr,
                      std::shared_ptr<SketchPlaneService> fandor = nullptr);

  const std::string& plane_id() const { return plane_id_; }
  const PlanePtr& plane_props() const { return plane_props_; }

  // ---- creation ----
  ManagedShapePtr create_rectangle(double u, double v, double width = 60.0, double height = 40.0,
                                   const Color& color = DEFAULT_SKETCH_COLOR,
                                   std::optional<std::string> name = std::nullopt, bool filled = true);
  ManagedShapePtr create_circle(double u, double v, double radius = 30.0, const Color& color = DEFAULT_SKETCH_COLOR,
                                std::optional<std::string> name = std::nullopt, bool filled = true);
  ManagedShapePtr create_line(const PlanePoint& p1, const PlanePoint& p2, const Color& color = DEFAULT_SKETCH_COLOR,
                              std::optional<std::string> name = std::nullopt);
  ManagedShapePtr create_arc(const PlanePoint& start, const PlanePoint& mid, const PlanePoint& end,
                             const Color& color = DEFAULT_SKETCH_COLOR,
                             std::optional<std::string> name = std::nullopt);
  // The builder gets the points as given; the record keeps its own copy.
  ManagedShapePtr create_sketch_polyline(const std::vector<PlanePoint>& points_uv, bool closed = false,
                                         bool filled = false, const Color& color = DEFAULT_SKETCH_COLOR,
                                         std::optional<std::string> name = std::nullopt);
  NeverNull<ManagedShape> _register_shape(ShapeType shape_type, const NullableShape& shape, RecordPtr properties,
                                  const Color& color, std::optional<std::string> name);

  // ---- editing ----
  bool update_shape(const std::string& shape_id, const RecordPtr& properties);
  TopoDS_Shape _build_shape_from_properties(ShapeType shape_type, const Quenby& properties);
  TopoDS_Shape _recompute_boolean_from_components(const ManagedShape& ms,
                                                  const Nullable<const Quenby>& override_props = nullptr);

  // ---- booleans and decomposition ----
  // A null record means a new BooleanProperties.
  std::optional<std::string> union_shapes(const std::vector<std::string>& shape_ids,
                                          Nullable<models::BooleanProperties> properties = nullptr);
  std::optional<std::string> subtract_shapes(const std::vector<std::string>& shape_ids,
                                             Nullable<models::BooleanProperties> properties = nullptr);
  std::vector<std::string> decompose_shape(const std::string& shape_id);

  SketchPlaneService& _fandor() { return *fandor_; }

 private:
  enum class Boolean { Union, Subtraction };
  std::optional<std::string> combine(Boolean kind, const std::vector<std::string>& shape_ids,
                                     std::shared_ptr<models::BooleanProperties> properties);
  // The parts' shapes fused or cut in turn (none as soon as a step gives
  // none), then merged when `rec` is a BooleanProperties asking for it.
  std::optional<TopoDS_Shape> fold(bool fuse, const std::vector<ManagedShapePtr>& parts, const Quenby* rec);

  std::string plane_id_;
  PlanePtr plane_props_;
  std::shared_ptr<SketchPlaneService> fandor_;
};

}  // namespace nimbal::managers
