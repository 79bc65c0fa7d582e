#include "nimbal/managers/tessik.hpp"

#include <unordered_set>

#include "nimbal/errors.hpp"
#include "nimbal/managers/registry.hpp"

namespace nimbal::managers {

using namespace nimbal::models;
using registry::is_boolean;
using registry::as;
using registry::new_state;
using registry::single;

namespace {

template <class P>
std::vector<PolylinePoint> polyline_points(const std::vector<P>& points) {
  return std::vector<PolylinePoint>(points.begin(), points.end());
}

}  // namespace

// ---------------------------------------------------------------------------
// The sketch plane service over a Fandor

std::vector<Point2> polyline_pairs(const std::vector<PolylinePoint>& points) {
  std::vector<Point2> pairs;
  pairs.reserve(points.size());
  for (const auto& p : points) pairs.push_back({p.u.value_or(0.0), p.v.value_or(0.0)});
  return pairs;
}

FandorService::FandorService(std::shared_ptr<services::Fandor> fandor)
    : fandor_(fandor ? std::move(fandor) : std::make_shared<services::Fandor>()) {}

TopoDS_Shape FandorService::create_rectangle_on_plane(const PlanePtr& plane, double u, double v, double width,
                                                      double height, bool filled) {
  return fandor_->create_rectangle_on_plane(*plane, u, v, width, height, filled);
}
TopoDS_Shape FandorService::create_circle_on_plane(const PlanePtr& plane, double u, double v, double radius,
                                                   bool filled) {
  return fandor_->create_circle_on_plane(*plane, u, v, radius, filled);
}
TopoDS_Shape FandorService::create_line_on_plane(const PlanePtr& plane, const Point2& p1, const Point2& p2) {
  return fandor_->create_line_on_plane(*plane, p1, p2);
}
TopoDS_Shape FandorService::create_arc_on_plane(const PlanePtr& plane, const Point2& start, const Point2& mid,
                                                const Point2& end) {
  return fandor_->create_arc_on_plane(*plane, start, mid, end);
}
TopoDS_Shape FandorService::create_polyline_on_plane(const PlanePtr& plane, const std::vector<PolylinePoint>& points,
                                                     bool closed, bool filled) {
  return fandor_->create_polyline_on_plane(*plane, points, closed, filled);
}
TopoDS_Shape FandorService::fuse_shapes(const TopoDS_Shape& a, const TopoDS_Shape& b) {
  return services::Fandor::fuse_shapes(a, b);
}
TopoDS_Shape FandorService::cut_shapes(const TopoDS_Shape& a, const TopoDS_Shape& b) {
  return services::Fandor::cut_shapes(a, b);
}
TopoDS_Shape FandorService::unify_same_domain(const TopoDS_Shape& shape) {
  return services::Fandor::unify_same_domain(shape);
}

// ---------------------------------------------------------------------------
// Frame

CoreTessik::CoreTessik(std::string plane_id, PlanePtr plane_props, std::shared_ptr<SketchPlaneService> fandor)
    // The components of a removed union or subtraction stay registered,
    // hidden, for its undo to find.
    : CoreManager({true, registry::HiddenEdit::Recorded, registry::RenameText::NewName, registry::Removal::EntryOnly,
                   "Clear all sketch shapes"}),
      plane_id_(std::move(plane_id)),
      plane_props_(plane_props ? std::move(plane_props) : std::make_shared<PlaneProperties>()),
      fandor_(fandor ? std::move(fandor) : std::make_shared<FandorService>()) {}

// ---------------------------------------------------------------------------
// Creation

NeverNull<ManagedShape> CoreTessik::_register_shape(ShapeType shape_type, const NullableShape& shape,
                                                    RecordPtr properties, const Color& color,
                                                    std::optional<std::string> name) {
  // The name before the id.
  std::string n = name ? std::move(*name) : _generate_shape_name(shape_type);
  return register_new("Create " + std::string(enum_value(shape_type)), shape_type, std::move(n), shape, color,
                      std::move(properties));
}

ManagedShapePtr CoreTessik::create_rectangle(double u, double v, double width, double height, const Color& color,
                                             std::optional<std::string> name, bool filled) {
  auto rec = std::make_shared<RectangleProperties>();
  rec->width = width;
  rec->height = height;
  rec->plane_id = plane_id_;
  rec->local_u = u;
  rec->local_v = v;
  rec->filled = filled;
  TopoDS_Shape shape = fandor_->create_rectangle_on_plane(plane_props_, u, v, width, height, filled);
  return _register_shape(ShapeType::RECTANGLE, shape, std::move(rec), color, std::move(name));
}

ManagedShapePtr CoreTessik::create_circle(double u, double v, double radius, const Color& color,
                                          std::optional<std::string> name, bool filled) {
  auto rec = std::make_shared<CircleProperties>();
  rec->radius = radius;
  rec->plane_id = plane_id_;
  rec->local_u = u;
  rec->local_v = v;
  rec->filled = filled;
  TopoDS_Shape shape = fandor_->create_circle_on_plane(plane_props_, u, v, radius, filled);
  return _register_shape(ShapeType::CIRCLE, shape, std::move(rec), color, std::move(name));
}

ManagedShapePtr CoreTessik::create_line(const PlanePoint& p1, const PlanePoint& p2, const Color& color,
                                        std::optional<std::string> name) {
  auto rec = std::make_shared<LineProperties>();
  rec->plane_id = plane_id_;
  rec->p1 = p1;
  rec->p2 = p2;
  // Registered even without geometry: a later update can give it some.
  TopoDS_Shape shape = fandor_->create_line_on_plane(plane_props_, p1, p2);
  return _register_shape(ShapeType::LINE, shape, std::move(rec), color, std::move(name));
}

ManagedShapePtr CoreTessik::create_arc(const PlanePoint& start, const PlanePoint& mid, const PlanePoint& end,
                                       const Color& color,
                                       std::optional<std::string> name) {
  auto rec = std::make_shared<ArcProperties>();
  rec->plane_id = plane_id_;
  rec->start = start;
  rec->mid = mid;
  rec->end = end;
  TopoDS_Shape shape = fandor_->create_arc_on_plane(plane_props_, start, mid, end);
  if (shape.IsNull()) return nullptr;
  return _register_shape(ShapeType::ARC, shape, std::move(rec), color, std::move(name));
}

ManagedShapePtr CoreTessik::create_sketch_polyline(const std::vector<PlanePoint>& points_uv, bool closed, bool filled,
                                                   const Color& color, std::optional<std::string> name) {
  auto rec = std::make_shared<SketchPolylineProperties>();
  rec->plane_id = plane_id_;
  rec->points_uv.assign(points_uv.begin(), points_uv.end());
  rec->closed = closed;
  rec->filled = filled;
  TopoDS_Shape shape = fandor_->create_polyline_on_plane(plane_props_, polyline_points(points_uv), closed, filled);
  if (shape.IsNull()) return nullptr;
  return _register_shape(ShapeType::SKETCH_POLYLINE, shape, std::move(rec), color, std::move(name));
}

// ---------------------------------------------------------------------------
// Editing

TopoDS_Shape CoreTessik::_build_shape_from_properties(ShapeType t, const Quenby& p) {
  switch (t) {
    case ShapeType::RECTANGLE:
      if (auto* r = as<RectangleProperties>(p))
        return fandor_->create_rectangle_on_plane(plane_props_, r->local_u, r->local_v, r->width, r->height,
                                                  r->filled);
      return {};
    case ShapeType::CIRCLE:
      if (auto* r = as<CircleProperties>(p))
        return fandor_->create_circle_on_plane(plane_props_, r->local_u, r->local_v, r->radius, r->filled);
      return {};
    case ShapeType::LINE:
      if (auto* r = as<LineProperties>(p)) return fandor_->create_line_on_plane(plane_props_, r->p1, r->p2);
      return {};
    case ShapeType::ARC:
      if (auto* r = as<ArcProperties>(p)) return fandor_->create_arc_on_plane(plane_props_, r->start, r->mid, r->end);
      return {};
    case ShapeType::SKETCH_POLYLINE:
      if (auto* r = as<SketchPolylineProperties>(p))
        return fandor_->create_polyline_on_plane(plane_props_, polyline_points(r->points_uv), r->closed, r->filled);
      return {};
    default: return {};
  }
}

std::optional<TopoDS_Shape> CoreTessik::fold(bool fuse, const std::vector<ManagedShapePtr>& parts,
                                             const Quenby* rec) {
  TopoDS_Shape result = parts[0]->shape;
  for (std::size_t i = 1; i < parts.size(); ++i) {
    const TopoDS_Shape& next = parts[i]->shape;
    result = fuse ? fandor_->fuse_shapes(result, next) : fandor_->cut_shapes(result, next);
    if (result.IsNull()) return std::nullopt;
  }
  // The kernel can report success with a shape its checker refuses; the
  // merge keeps only a valid result.
  const auto* b = rec ? as<BooleanProperties>(*rec) : nullptr;
  if (b && b->remove_internal_edges)
    result = registry::checked_merge(result, fandor_->unify_same_domain(result));
  else if (!registry::valid_result(result))
    result.Nullify();
  if (result.IsNull()) return std::nullopt;
  return result;
}

TopoDS_Shape CoreTessik::_recompute_boolean_from_components(const ManagedShape& ms,
                                                            const Nullable<const Quenby>& override_props) {
  if (ms.components.empty() || !is_boolean(ms.shape_type)) return ms.shape;
  return fold(ms.shape_type == ShapeType::UNION, ms.components, override_props ? override_props.get() : ms.properties.get())
      .value_or(TopoDS_Shape());
}

bool CoreTessik::update_shape(const std::string& shape_id, const RecordPtr& properties) {
  ManagedShapePtr ms = find(shape_id);
  if (!ms || !properties) return false;
  auto before = single(shape_id, snapshot_of(*ms));
  const std::optional<std::string> parent_id = ms->parent_id;
  // An empty parent id names no parent.
  const bool has_parent = parent_id && !parent_id->empty();
  // The booleans that hold the element, its parent first, up to the top.
  std::vector<ManagedShapePtr> holders;
  if (has_parent) {
    ManagedShapePtr parent = find(*parent_id);
    before->set(*parent_id, parent ? snapshot_of(*parent) : nullptr);
    std::unordered_set<const ManagedShape*> seen{ms.get()};
    for (ManagedShapePtr h = parent; h && seen.insert(h.get()).second;
         h = h->parent_id && !h->parent_id->empty() ? find(*h->parent_id) : nullptr) {
      holders.push_back(h);
      if (h != parent) before->set(h->shape_id, snapshot_of(*h));
    }
  }
  TopoDS_Shape shape = is_boolean(ms->shape_type) && !ms->components.empty()
                           ? _recompute_boolean_from_components(*ms, properties.get())
                           : _build_shape_from_properties(ms->shape_type, *properties);
  if (shape.IsNull()) return false;

  // Each holder refolded in turn with the one below it as it will be; if
  // any gives no shape, nothing changes.
  auto below = std::make_shared<ManagedShape>(*ms);
  below->shape = shape;
  below->properties = properties;
  std::vector<TopoDS_Shape> refolded;
  for (const ManagedShapePtr& h : holders) {
    auto trial = std::make_shared<ManagedShape>(*h);
    for (auto& c : trial->components)
      if (c && c->shape_id == below->shape_id) c = below;
    trial->shape = _recompute_boolean_from_components(*trial);
    if (trial->shape.IsNull()) return false;
    refolded.push_back(trial->shape);
    below = std::move(trial);
  }

  ms->shape = shape;
  ms->properties = properties;
  for (std::size_t i = 0; i < holders.size(); ++i) {
    holders[i]->shape = refolded[i];
    _notify_shape_updated(holders[i]->shape_id, holders[i]);
  }
  auto after = single(shape_id, snapshot_of(*ms));
  for (const ManagedShapePtr& h : holders) after->set(h->shape_id, snapshot_of(*h));
  _push_undo("Update " + ms->name, before, after);
  _notify_shape_updated(shape_id, ms);
  return true;
}

// ---------------------------------------------------------------------------
// Booleans and decomposition

std::optional<std::string> CoreTessik::combine(Boolean kind, const std::vector<std::string>& given_ids,
                                               std::shared_ptr<BooleanProperties> properties) {
  // Each id once: a repeated id is one input, reported removed once.
  const std::vector<std::string> ids = registry::first_occurrences(given_ids);
  const bool fuse = kind == Boolean::Union;
  const ShapeType type = fuse ? ShapeType::UNION : ShapeType::SUBTRACTION;
  const std::vector<ManagedShapePtr> inputs = registry::combination_inputs(shapes_, ids);
  if (inputs.empty()) return std::nullopt;
  for (const auto& in : inputs)
    if (in->shape.IsNull()) return std::nullopt;

  StatePtr before = registry::combination_before(inputs);
  const Color color = inputs[0]->color;
  if (!properties) properties = std::make_shared<BooleanProperties>();
  const std::optional<TopoDS_Shape> result = fold(fuse, inputs, properties.get());
  if (!result) return std::nullopt;

  ManagedShapePtr ms = registry::combination_entry(*this, shapes_, type, *result, color, std::move(properties));
  registry::register_combination(*this, shapes_, ms, inputs, ids, before,
                                 fuse ? "Union sketch shapes" : "Subtract sketch shapes");
  return ms->shape_id;
}

std::optional<std::string> CoreTessik::union_shapes(const std::vector<std::string>& shape_ids,
                                                    Nullable<BooleanProperties> properties) {
  return combine(Boolean::Union, shape_ids, std::move(properties));
}

std::optional<std::string> CoreTessik::subtract_shapes(const std::vector<std::string>& shape_ids,
                                                       Nullable<BooleanProperties> properties) {
  return combine(Boolean::Subtraction, shape_ids, std::move(properties));
}

std::vector<std::string> CoreTessik::decompose_shape(const std::string& shape_id) {
  ManagedShapePtr ms = find(shape_id);
  if (!ms || !is_boolean(ms->shape_type) || ms->components.empty() || !ms->top_level()) return {};
  // The components as registered now. One removed while hidden is no longer
  // registered: it is neither given back nor entered into the undo maps,
  // which would otherwise bring it back on undo or redo.
  std::vector<ManagedShapePtr> components;
  for (const auto& c : ms->components)
    if (ManagedShapePtr reg = find(c->shape_id)) components.push_back(std::move(reg));
  auto before = single(shape_id, snapshot_of(*ms));
  for (const auto& c : components) before->set(c->shape_id, snapshot_of(*c));
  auto after = single(shape_id, nullptr);
  std::vector<std::string> promoted;
  for (const auto& c : components) {
    c->parent_id.reset();
    after->set(c->shape_id, snapshot_of(*c));
    promoted.push_back(c->shape_id);
  }
  registry::finish_decomposition(*this, shapes_, shape_id, *ms, before, after, promoted);
  return promoted;
}

// ---------------------------------------------------------------------------
// What the geometry manager rebuilds of a sketch, built as here

namespace {

class SketchBuilder final : public SketchElementBuilder {
 public:
  TopoDS_Shape element(ShapeType t, const Quenby& record, const PlanePtr& plane) override {
    CoreTessik sketch("", plane);
    return sketch._build_shape_from_properties(t, record);
  }
  TopoDS_Shape combination(const ManagedShape& ms) override {
    CoreTessik sketch;
    return sketch._recompute_boolean_from_components(ms);
  }
};

// Loading this library gives every geometry manager the builder.
[[maybe_unused]] const bool builder_installed = [] {
  set_sketch_element_builder(std::make_shared<SketchBuilder>());
  return true;
}();

}  // namespace

}  // namespace nimbal::managers
