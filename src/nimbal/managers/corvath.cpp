#include "nimbal/managers/corvath.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <unordered_set>

#include <BRep_Builder.hxx>
#include <TopoDS_Compound.hxx>

#include "nimbal/errors.hpp"
#include "nimbal/limits.hpp"
#include "nimbal/managers/registry.hpp"

namespace nimbal::managers {

using namespace nimbal::models;
using registry::all_none;
using registry::as;
using registry::new_state;
using registry::single;

namespace {

std::string title_of(ShapeType t) {
  // "corner_round" -> "Corner Round"
  std::string v(enum_value(t)), out;
  bool start = true;
  for (char c : v) {
    if (c == '_') {
      out += ' ';
      start = true;
      continue;
    }
    out += start ? static_cast<char>(std::toupper(static_cast<unsigned char>(c)))
                 : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    start = false;
  }
  return out;
}

// The record a recomputation reads, of the class it needs (the host's
// assertion when it is of another class).
template <class T>
const T& require(const Quenby& rec) {
  if (const T* r = as<T>(rec)) return *r;
  throw BrokenPrecondition("expected a " + std::string(T::record_type().name) + ", got a " +
                       std::string(rec.type().name));
}

// The record a modifier of type `t` is recomputed from must be of its class.
void require_record_of(ShapeType t, const Quenby& rec) {
  const RecordType& expected = properties_class(t);
  if (!rec.type().derives_from(expected))
    throw BrokenPrecondition("expected a " + std::string(expected.name) + " for a " + std::string(enum_value(t)) +
                         " shape, got a " + std::string(rec.type().name));
}

Indices indices_of(const IndexList& l) { return Indices(l.begin(), l.end()); }

// A recomputed shape the kernel's checker refuses is no result: the shape
// keeps what it had.
TopoDS_Shape checked(const TopoDS_Shape& s) { return registry::valid_result(s) ? s : TopoDS_Shape(); }

}  // namespace

// ---------------------------------------------------------------------------

Point3 normal_from_rotation_deg(double rx, double ry, double rz) {
  const double a = services::radians_from_degrees(rx), b = services::radians_from_degrees(ry),
               c = services::radians_from_degrees(rz);
  double nx = 0.0, ny = 0.0, nz = 1.0;
  double y = ny * std::cos(a) - nz * std::sin(a);
  double z = ny * std::sin(a) + nz * std::cos(a);
  ny = y, nz = z;
  double x = nx * std::cos(b) + nz * std::sin(b);
  z = -nx * std::sin(b) + nz * std::cos(b);
  nx = x, nz = z;
  x = nx * std::cos(c) - ny * std::sin(c);
  y = nx * std::sin(c) + ny * std::cos(c);
  return {x, y, nz};
}

ManagedShape::~ManagedShape() {
  std::vector<ManagedShapePtr> pending(std::make_move_iterator(components.begin()),
                                       std::make_move_iterator(components.end()));
  components.clear();
  while (!pending.empty()) {
    ManagedShapePtr last = std::move(pending.back());
    pending.pop_back();
    // The last owner takes the components over, so freeing it recurses no
    // further.
    if (last && last.use_count() == 1) {
      for (auto& c : last->components) pending.push_back(std::move(c));
      last->components.clear();
    }
  }
}

const std::vector<std::pair<ShapeType, const RecordType*>>& properties_class_table() {
  static const std::vector<std::pair<ShapeType, const RecordType*>> table = {
      {ShapeType::BOX, &BoxProperties::record_type()},
      {ShapeType::SPHERE, &SphereProperties::record_type()},
      {ShapeType::CYLINDER, &CylinderProperties::record_type()},
      {ShapeType::CONE, &ConeProperties::record_type()},
      {ShapeType::TORUS, &TorusProperties::record_type()},
      {ShapeType::RECTANGLE, &RectangleProperties::record_type()},
      {ShapeType::CIRCLE, &CircleProperties::record_type()},
      {ShapeType::IMPORTED, &ImportedProperties::record_type()},
      {ShapeType::FACE, &FaceProperties::record_type()},
      {ShapeType::ARRAY, &ArrayProperties::record_type()},
      {ShapeType::FILLET, &FilletProperties::record_type()},
      {ShapeType::CORNER_ROUND, &CornerRoundProperties::record_type()},
      {ShapeType::POLYLINE_ROUND, &PolylineRoundProperties::record_type()},
      {ShapeType::PLANE, &PlaneProperties::record_type()},
      {ShapeType::SKETCH, &SketchProperties::record_type()},
      {ShapeType::POLYLINE, &PolylineProperties::record_type()},
      {ShapeType::EXTRUDE, &ExtrudeProperties::record_type()},
      {ShapeType::UNION, &BooleanProperties::record_type()},
      {ShapeType::SUBTRACTION, &BooleanProperties::record_type()},
  };
  return table;
}

const RecordType& properties_class(ShapeType t) {
  for (const auto& [type, rt] : properties_class_table())
    if (type == t) return *rt;
  return Quenby::record_type();
}

// ---------------------------------------------------------------------------
// Frame

CoreCorvath::CoreCorvath(std::shared_ptr<DrulenProtocol> geo_service)
    // A hidden component's colour change is a command of its own, as a
    // top-level shape's is: an undo of another command restores the
    // component from a snapshot, which must not bring an older colour back.
    : CoreManager({false, registry::HiddenEdit::Recorded, registry::RenameText::OldAndNewName,
                   registry::Removal::WithComponents, "Clear all"}),
      geo_(geo_service ? std::move(geo_service) : std::make_shared<services::Drulen>()) {}

// ---------------------------------------------------------------------------
// Undo integration

SnapshotPtr CoreCorvath::_snapshot(const std::string& shape_id) const {
  ManagedShapePtr ms = find(shape_id);
  return ms ? snapshot_of(*ms) : nullptr;
}

void CoreCorvath::_collect_snapshots(const ManagedShape& ms, Filled<State, false> out) const {
  if (!out) throw WrongType("out must be a mapping, not 'NoneType'");
  registry::collect_snapshots(ms, *out.map);
}


// ---------------------------------------------------------------------------
// Construction and placement

TopoDS_Shape CoreCorvath::_apply_transformations(const NullableShape& shape, const Quenby& p) {
  TopoDS_Shape s = shape;
  const Rotation& r = p.rotation;
  if (r.x != 0) s = geo_->rotate_shape(s, {0, 0, 0}, {1, 0, 0}, r.x);
  if (r.y != 0) s = geo_->rotate_shape(s, {0, 0, 0}, {0, 1, 0}, r.y);
  if (r.z != 0) s = geo_->rotate_shape(s, {0, 0, 0}, {0, 0, 1}, r.z);
  const Translation& t = p.translation;
  if (t.x != 0 || t.y != 0 || t.z != 0) s = geo_->translate_shape(s, t.x, t.y, t.z);
  return s;
}

TopoDS_Shape CoreCorvath::_update_transformed_shape(const ManagedShape& ms, const Quenby& new_properties) {
  TopoDS_Shape s = ms.shape;
  if (ms.properties) {
    const Translation& t = ms.properties->translation;
    if (t.x != 0 || t.y != 0 || t.z != 0) s = geo_->translate_shape(s, -t.x, -t.y, -t.z);
    const Rotation& r = ms.properties->rotation;
    if (r.z != 0) s = geo_->rotate_shape(s, {0, 0, 0}, {0, 0, 1}, -r.z);
    if (r.y != 0) s = geo_->rotate_shape(s, {0, 0, 0}, {0, 1, 0}, -r.y);
    if (r.x != 0) s = geo_->rotate_shape(s, {0, 0, 0}, {1, 0, 0}, -r.x);
  }
  return _apply_transformations(s, new_properties);
}

TopoDS_Shape CoreCorvath::_create_shape_from_properties(ShapeType t, const Quenby& p) {
  switch (t) {
    case ShapeType::BOX:
      if (auto* r = as<BoxProperties>(p)) {
        if (r->width <= 0 || r->height <= 0 || r->depth <= 0) return {};
        return _apply_transformations(geo_->create_box(r->width, r->height, r->depth), p);
      }
      return {};
    case ShapeType::SPHERE:
      if (auto* r = as<SphereProperties>(p)) {
        if (r->radius <= 0) return {};
        return _apply_transformations(geo_->create_sphere(r->radius), p);
      }
      return {};
    case ShapeType::CYLINDER:
      if (auto* r = as<CylinderProperties>(p)) {
        if (r->radius <= 0 || r->height <= 0) return {};
        return _apply_transformations(geo_->create_cylinder(r->radius, r->height), p);
      }
      return {};
    case ShapeType::CONE:
      if (auto* r = as<ConeProperties>(p)) {
        if (r->base_radius <= 0 || r->top_radius < 0 || r->height <= 0) return {};
        return _apply_transformations(geo_->create_cone(r->base_radius, r->top_radius, r->height), p);
      }
      return {};
    case ShapeType::TORUS:
      if (auto* r = as<TorusProperties>(p)) {
        if (r->major_radius <= 0 || r->minor_radius <= 0) return {};
        return _apply_transformations(geo_->create_torus(r->major_radius, r->minor_radius), p);
      }
      return {};
    case ShapeType::RECTANGLE:
      if (auto* r = as<RectangleProperties>(p)) {
        if (r->width <= 0 || r->height <= 0) return {};
        return _apply_transformations(geo_->create_rectangle(r->width, r->height), p);
      }
      return {};
    case ShapeType::CIRCLE:
      if (auto* r = as<CircleProperties>(p)) {
        if (r->radius <= 0) return {};
        return _apply_transformations(geo_->create_circle(r->radius), p);
      }
      return {};
    case ShapeType::POLYLINE:
      if (auto* r = as<PolylineProperties>(p))
        return geo_->create_polyline(std::vector<Point3>(r->points.begin(), r->points.end()), r->closed);
      return {};
    default:
      return {};
  }
}

// ---------------------------------------------------------------------------
// Limits

namespace {

// The copies an array's record makes (none for a count below one), capped
// just above what a model may build.
long long array_copies(const ManagedShape& ms) {
  constexpr long long cap = limits::max_built_shapes + 1;
  const auto* p = ms.properties ? as<ArrayProperties>(*ms.properties) : nullptr;
  if (!p) return 1;
  long long total = 1;
  for (long long c : {p->count_x, p->count_y, p->count_z}) {
    if (c <= 0) return 0;
    total = c > cap / total ? cap : total * c;
  }
  return total;
}

// The kinds whose components a project file writes.
bool holds_components(ShapeType t) {
  const ShapeCategory cat = category(t);
  return cat == ShapeCategory::BOOLEAN_OP || cat == ShapeCategory::MODIFIER_OP || t == ShapeType::SKETCH;
}

}  // namespace

bool CoreCorvath::within_limits(const std::string& title, const std::vector<const ManagedShape*>& joining,
                                const std::vector<const ManagedShape*>& leaving, const ManagedShape* original,
                                const ManagedShape* replaced) {
  // New shapes without components beside the model, none leaving: the
  // model's depth cannot change, and with no array each registered shape
  // (components are registered) is one object built once, so the registry
  // bounds both counts. The walk below costs the whole model: without this,
  // creating n shapes costs n squared.
  if (leaving.empty() && !original && shapes_.arrays() == 0 &&
      std::all_of(joining.begin(), joining.end(), [](const ManagedShape* ms) { return ms->components.empty(); }) &&
      shapes_.size() + joining.size() <= std::min<std::size_t>(limits::max_shape_objects,
                                                               static_cast<std::size_t>(limits::max_built_shapes)))
    return true;
  // Counted as a project file counts its shape objects, without recursion.
  struct Item {
    const ManagedShape* ms;
    int depth;
    long long copies;
  };
  constexpr long long cap = limits::max_built_shapes + 1;
  std::vector<Item> stack;
  const std::unordered_set<const ManagedShape*> left(leaving.begin(), leaving.end());
  for (const auto& [id, ms] : shapes_)
    if (ms->top_level() && !left.count(ms.get())) stack.push_back({ms.get(), 0, 1});
  for (const ManagedShape* ms : joining) stack.push_back({ms, 0, 1});
  std::unordered_set<const ManagedShape*> seen;
  std::size_t objects = 0;
  long long built = 0;
  const char* refusal = nullptr;
  while (!stack.empty() && !refusal) {
    Item item = stack.back();
    stack.pop_back();
    if (item.ms == original) item.ms = replaced;
    if (!seen.insert(item.ms).second) continue;
    if (++objects > limits::max_shape_objects) refusal = "hold more than";
    if (!refusal && item.depth > limits::max_shape_depth) refusal = "nest shapes deeper than";
    const ManagedShape& ms = *item.ms;
    bool inner = false;
    if (holds_components(ms.shape_type)) {
      const long long copies = ms.shape_type == ShapeType::ARRAY
                                   ? std::min(cap, item.copies * std::min(cap, array_copies(ms)))
                                   : item.copies;
      for (auto it = ms.components.rbegin(); it != ms.components.rend(); ++it)
        if (*it) {
          stack.push_back({it->get(), item.depth + 1, copies});
          inner = true;
        }
    }
    if (!refusal && !inner && (built = std::min(cap, built + item.copies)) > limits::max_built_shapes)
      refusal = "build more than";
  }
  if (!refusal) return true;
  const bool deep = std::string(refusal) == "nest shapes deeper than";
  const std::string bound = deep ? std::to_string(limits::max_shape_depth) + " levels"
                                 : std::to_string(refusal[0] == 'h' ? (long long)limits::max_shape_objects
                                                                    : limits::max_built_shapes) +
                                       " shapes";
  _notify_operation_failed(title, std::string("The model would ") + refusal + " " + bound +
                                      ", more than a project file can hold.");
  return false;
}

// ---------------------------------------------------------------------------
// Creation

ManagedShapePtr CoreCorvath::create_shape(ShapeType shape_type, const RecordPtr& properties, const Color& color,
                                          std::optional<std::string> name) {
  if (!properties) throw WrongType("create_shape: properties must be a property record");
  std::string display = name ? *name : _generate_shape_name(shape_type);
  ManagedShape leaf;
  leaf.shape_type = shape_type;
  if (!within_limits("Create " + title_of(shape_type), {&leaf})) return nullptr;
  TopoDS_Shape shape = _create_shape_from_properties(shape_type, *properties);
  if (shape.IsNull()) {
    _notify_operation_failed("Create " + title_of(shape_type),
                             "The shape geometry could not be constructed. Check that the dimensions are valid.");
    return nullptr;
  }
  return register_new("Create " + std::string(enum_value(shape_type)), shape_type, std::move(display), shape, color,
                      properties);
}

ManagedShapePtr CoreCorvath::import_shape(const std::string& filename, const Color& color, Nullable<Quenby> properties,
                                          std::optional<std::string> name) {
  TopoDS_Shape shape = read_import_file(filename);
  if (shape.IsNull()) return nullptr;
  return add_imported_shape(shape, color, std::move(properties), std::move(name));
}

TopoDS_Shape CoreCorvath::read_import_file(const std::string& filename) {
  TopoDS_Shape shape;
  _operation("Importing file...", [&] { shape = geo_->import_file(filename); });
  if (shape.IsNull())
    _notify_operation_failed("Import File", "Could not import '" + filename +
                                                "'. The file may be missing, corrupt, or in an unsupported format.");
  return shape;
}

ManagedShapePtr CoreCorvath::add_imported_shape(const TopoDS_Shape& shape, const Color& color, RecordPtr properties,
                                                std::optional<std::string> name) {
  if (!properties) properties = std::make_shared<ImportedProperties>();
  std::string display = name ? *name : _generate_shape_name(ShapeType::IMPORTED);
  ManagedShape leaf;
  leaf.shape_type = ShapeType::IMPORTED;
  if (!within_limits("Import File", {&leaf})) return nullptr;
  TopoDS_Shape placed = _apply_transformations(shape, *properties);
  return register_new("Import " + display, ShapeType::IMPORTED, display, placed, color, std::move(properties));
}

ManagedShapePtr CoreCorvath::register_plane(const std::string& description,
                                            std::shared_ptr<PlaneProperties> props, const Color& color,
                                            std::string name) {
  ManagedShape leaf;
  leaf.shape_type = ShapeType::PLANE;
  if (!within_limits("Create Plane", {&leaf})) return nullptr;
  return register_new(description, ShapeType::PLANE, std::move(name), {}, color, std::move(props));
}

namespace {
void set_plane(PlaneProperties& p, const services::PlaneParams& params) {
  const auto& [o, n] = params;
  p.normal_x = n[0], p.normal_y = n[1], p.normal_z = n[2];
  p.origin_x = o[0], p.origin_y = o[1], p.origin_z = o[2];
}
}  // namespace

ManagedShapePtr CoreCorvath::create_plane_from_standard(StandardPlane standard_plane, const Color& color,
                                                        std::optional<std::string> name) {
  static const std::pair<const char*, const char*> kViewNames[] = {
      {"xz", "Top Plane (XZ)"}, {"xy", "Front Plane (XY)"}, {"yz", "Right Plane (YZ)"}};
  const std::string value(enum_value(standard_plane));
  services::PlaneParams params = geo_->plane_params_for_standard(value);
  std::string display;
  if (name) {
    display = *name;
  } else {
    display = _generate_shape_name(ShapeType::PLANE);
    for (const auto& [key, view] : kViewNames)
      if (value == key) display = view;
  }
  auto props = std::make_shared<PlaneProperties>();
  set_plane(*props, params);
  props->source = "standard";
  props->standard_plane = value;
  return register_plane("Create plane (" + value + ")", std::move(props), color, std::move(display));
}

const ManagedShapePtr& registry_entry(const Registry& r, const std::string& id) {
  const ManagedShapePtr* p = r.find(id);
  if (!p) throw NotFound(id);
  return *p;
}

std::string text_form(const ManagedShape& s, const std::function<std::string(const std::string&)>& text,
                      const std::function<std::string(const char* field)>& shown) {
  std::string ids;
  for (const auto& c : s.components) ids += (ids.empty() ? "'" : ", '") + c->shape_id + "'";
  return "ManagedShape(shape_id=" + text(s.shape_id) + ", shape=" + shown("shape") +
         ", shape_type=" + shown("shape_type") + ", name=" + text(s.name) + ", color=" + shown("color") +
         ", properties=" + shown("properties") + ", components=[" + ids + "], parent_id=" + shown("parent_id") + ")";
}

namespace {

// Exactly three numbers. A wrong count is, for the rotation, a wrong type
// and for the translation a wrong value, as the host tells them apart.
Point3 plane_vector(const HostVector& given, const char* what) {
  const std::vector<HostValue<double>> items = given.get().value_or(std::vector<HostValue<double>>{});
  const bool rotation = std::string_view(what) == "rotation_deg";
  if (items.size() != 3) {
    const std::string msg = std::string(what) + " must hold exactly 3 values, got " + std::to_string(items.size());
    if (rotation) throw WrongType(msg);
    throw InvalidValue(msg);
  }
  Point3 p{};
  for (std::size_t i = 0; i < 3; ++i) {
    const std::optional<double> d = items[i].get();
    if (!d) throw WrongType(std::string(what) + " values must be numbers, not '" + items[i].type_name() + "'");
    p[i] = *d;
  }
  return p;
}

}  // namespace

ManagedShapePtr CoreCorvath::create_arbitrary_plane_as_given(const HostVector& translation,
                                                             const HostVector& rotation_deg, const Color& color,
                                                             const HostValue<std::string>& name) {
  const Point3 rotation = plane_vector(rotation_deg, "rotation_deg");
  const Point3 position = plane_vector(translation, "translation");
  std::optional<std::string> text;
  if (!name.is_none() && !(text = name.get()))
    throw WrongType("name must be a str or None, not '" + name.type_name() + "'");
  return create_arbitrary_plane(position, rotation, color, std::move(text));
}

ManagedShapePtr CoreCorvath::create_arbitrary_plane(const Point3& translation, const Point3& rotation_deg,
                                                    const Color& color, std::optional<std::string> name) {
  const Point3 n = normal_from_rotation_deg(rotation_deg[0], rotation_deg[1], rotation_deg[2]);
  std::string display = name ? *name : _generate_shape_name(ShapeType::PLANE);
  auto props = std::make_shared<PlaneProperties>();
  props->translation = Translation{translation[0], translation[1], translation[2]};
  props->rotation = Rotation{rotation_deg[0], rotation_deg[1], rotation_deg[2]};
  set_plane(*props, {translation, n});
  props->source = "custom";
  return register_plane("Create custom plane", std::move(props), color, std::move(display));
}

ManagedShapePtr CoreCorvath::create_plane_from_face_shape(const NullableShape& face_topo, const Color& color,
                                                          std::optional<std::string> name) {
  if (face_topo.IsNull()) return nullptr;
  services::PlaneParams params;
  try {
    params = geo_->plane_params_from_face(face_topo);
  } catch (const InvalidValue&) {
    return nullptr;
  }
  std::string display = name ? *name : _generate_shape_name(ShapeType::PLANE);
  auto props = std::make_shared<PlaneProperties>();
  set_plane(*props, params);
  props->source = "from_face";
  return register_plane("Create plane from face", std::move(props), color, std::move(display));
}

ManagedShapePtr CoreCorvath::create_plane_from_face(const std::string& face_shape_id, const Color& color,
                                                    std::optional<std::string> name) {
  ManagedShapePtr face = find(face_shape_id);
  if (!face || face->shape.IsNull()) return nullptr;
  services::PlaneParams params;
  try {
    params = geo_->plane_params_from_face(face->shape);
  } catch (const InvalidValue&) {
    return nullptr;
  }
  std::string display = name ? *name : _generate_shape_name(ShapeType::PLANE);
  auto props = std::make_shared<PlaneProperties>();
  set_plane(*props, params);
  props->source = "from_face";
  props->source_face_id = face_shape_id;
  return register_plane("Create plane from face", std::move(props), color, std::move(display));
}

// ---------------------------------------------------------------------------
// Update and recomputation

TopoDS_Shape CoreCorvath::_recompute_boolean_from_components(const ManagedShape& ms) {
  if (ms.components.empty()) return ms.shape;
  const bool fuse = ms.shape_type == ShapeType::UNION;
  if (!fuse && ms.shape_type != ShapeType::SUBTRACTION) return ms.shape;
  TopoDS_Shape acc = ms.components[0]->shape;
  for (std::size_t i = 1; i < ms.components.size(); ++i) {
    const TopoDS_Shape& s = ms.components[i]->shape;
    acc = fuse ? geo_->fuse_shapes(acc, s) : geo_->cut_shapes(acc, s);
    if (acc.IsNull()) return {};
  }
  return registry::checked_merge(acc, geo_->unify_same_domain(acc));
}

TopoDS_Shape CoreCorvath::_build_array_compound(const NullableShape& base_shape, const ArrayProperties& p) {
  return geo_->create_array_compound(base_shape, {p.count_x, p.count_y, p.count_z},
                                     {p.spacing_x, p.spacing_y, p.spacing_z});
}

TopoDS_Shape CoreCorvath::_recompute_array_from_component(const ManagedShape& ms) {
  if (ms.components.empty()) return {};
  return _build_array_compound(ms.components[0]->shape, require<ArrayProperties>(*ms.properties));
}

TopoDS_Shape CoreCorvath::_recompute_fillet_from_component(const ManagedShape& ms, const Nullable<Quenby>& properties) {
  if (ms.components.empty()) return {};
  const auto& p = require<FilletProperties>(properties ? *properties : *ms.properties);
  return checked(geo_->apply_fillet(ms.components[0]->shape, p.fillet_radius, indices_of(p.edge_indices)));
}

TopoDS_Shape CoreCorvath::_recompute_corner_round_from_component(const ManagedShape& ms,
                                                                 const Nullable<Quenby>& properties) {
  if (ms.components.empty()) return {};
  const auto& p = require<CornerRoundProperties>(properties ? *properties : *ms.properties);
  return checked(geo_->apply_corner_round(ms.components[0]->shape, p.corner_radius, indices_of(p.vertex_indices)));
}

TopoDS_Shape CoreCorvath::_recompute_polyline_round_from_component(const ManagedShape& ms,
                                                                   const Nullable<Quenby>& properties) {
  if (ms.components.empty()) return {};
  const auto& p = require<PolylineRoundProperties>(properties ? *properties : *ms.properties);
  return checked(
      geo_->apply_polyline_round(ms.components[0]->shape, p.corner_radius, indices_of(p.vertex_indices)));
}

TopoDS_Shape CoreCorvath::_recompute_extrude_from_component(const ManagedShape& ms, const Nullable<Quenby>& properties) {
  if (ms.components.empty()) return {};
  const auto& p = require<ExtrudeProperties>(properties ? *properties : *ms.properties);
  return checked(geo_->extrude_shape(ms.components[0]->shape, p.depth));
}

TopoDS_Shape CoreCorvath::_rebuild_sketch_compound(const ManagedShape& ms) const {
  TopoDS_Compound compound;
  BRep_Builder builder;
  builder.MakeCompound(compound);
  bool any = false;
  for (const auto& c : ms.components) {
    ManagedShapePtr live = find(c->shape_id);
    if (!live || live->shape.IsNull()) continue;
    builder.Add(compound, live->shape);
    any = true;
  }
  return any ? TopoDS_Shape(compound) : TopoDS_Shape();
}

TopoDS_Shape CoreCorvath::recompute_parent(const ManagedShape& parent) {
  TopoDS_Shape result;
  switch (parent.shape_type) {
    case ShapeType::ARRAY: result = _recompute_array_from_component(parent); break;
    case ShapeType::FILLET: result = _recompute_fillet_from_component(parent); break;
    case ShapeType::CORNER_ROUND: result = _recompute_corner_round_from_component(parent); break;
    case ShapeType::POLYLINE_ROUND: result = _recompute_polyline_round_from_component(parent); break;
    case ShapeType::EXTRUDE: result = _recompute_extrude_from_component(parent); break;
    // A sketch is rebuilt from its elements, not refolded.
    case ShapeType::SKETCH: result = _rebuild_sketch_compound(parent); break;
    default: result = _recompute_boolean_from_components(parent); break;
  }
  return result.IsNull() ? result : _apply_transformations(result, *parent.properties);
}

namespace {

bool is_sketch_element(ShapeType t) {
  return t == ShapeType::RECTANGLE || t == ShapeType::CIRCLE || t == ShapeType::LINE || t == ShapeType::ARC ||
         t == ShapeType::SKETCH_POLYLINE;
}

std::shared_ptr<SketchElementBuilder>& builder_slot() {
  static std::shared_ptr<SketchElementBuilder> slot;
  return slot;
}

}  // namespace

void set_sketch_element_builder(std::shared_ptr<SketchElementBuilder> builder) {
  builder_slot() = std::move(builder);
}
std::shared_ptr<SketchElementBuilder> sketch_element_builder() { return builder_slot(); }

ManagedShapePtr CoreCorvath::Recomputation::copy_of(const ManagedShape& ms) {
  auto it = copies.find(ms.shape_id);
  if (it != copies.end()) return it->second;
  auto copy = std::make_shared<ManagedShape>(ms);
  copies.emplace(ms.shape_id, copy);
  order.push_back(ms.shape_id);
  return copy;
}

void CoreCorvath::Recomputation::relink(ManagedShape& ms) const {
  for (auto& c : ms.components)
    if (c)
      if (auto it = copies.find(c->shape_id); it != copies.end() && it->second.get() != &ms) c = it->second;
}

std::vector<ManagedShapePtr> CoreCorvath::holders_of(const ManagedShape& ms) const {
  std::vector<ManagedShapePtr> chain;
  std::unordered_set<const ManagedShape*> seen{&ms};
  std::optional<std::string> next = ms.parent_id;
  while (next) {
    ManagedShapePtr holder = find(*next);
    // A chain that loops back is cut where it does.
    if (!holder || !seen.insert(holder.get()).second) break;
    chain.push_back(holder);
    next = holder->parent_id;
  }
  return chain;
}

ManagedShapePtr CoreCorvath::sketch_holding(const ManagedShape& ms) const {
  if (ms.shape_type == ShapeType::SKETCH) return find(ms.shape_id);
  for (const ManagedShapePtr& h : holders_of(ms)) {
    if (h->shape_type == ShapeType::SKETCH) return h;
    if (!registry::is_boolean(h->shape_type)) return nullptr;
  }
  return nullptr;
}

std::shared_ptr<PlaneProperties> CoreCorvath::plane_of_sketch(const ManagedShape& sketch) const {
  const auto* props = sketch.properties ? as<SketchProperties>(*sketch.properties) : nullptr;
  // A removed plane's record is kept, and saved with the sketch: its
  // elements go on being built where the file will rebuild them.
  RecordPtr plane = props ? _sketch_plane_record(props->plane_id) : nullptr;
  return plane ? std::static_pointer_cast<PlaneProperties>(plane) : nullptr;
}

TopoDS_Shape CoreCorvath::rebuild_sketch_element(const Recomputation& work, const ManagedShape& ms,
                                                 const Quenby& record) {
  const std::shared_ptr<SketchElementBuilder> builder = sketch_element_builder();
  if (!builder) return {};
  if (registry::is_boolean(ms.shape_type)) {
    if (ms.components.empty()) return {};
    ManagedShape trial = ms;
    work.relink(trial);
    for (const auto& c : trial.components)
      if (!c || c->shape.IsNull()) return {};
    return builder->combination(trial);
  }
  if (!is_sketch_element(ms.shape_type)) return {};
  const ManagedShapePtr sketch = sketch_holding(ms);
  const std::shared_ptr<PlaneProperties> plane = sketch ? plane_of_sketch(*sketch) : nullptr;
  if (!plane) return {};
  return builder->element(ms.shape_type, record, plane);
}

bool CoreCorvath::recompute_holder(Recomputation& work, const ManagedShape& holder) {
  ManagedShapePtr copy = work.copy_of(holder);
  work.relink(*copy);
  TopoDS_Shape shape;
  if (copy->shape_type == ShapeType::SKETCH) {
    TopoDS_Compound compound;
    BRep_Builder builder;
    builder.MakeCompound(compound);
    bool any = false;
    for (const auto& c : copy->components) {
      if (!c) continue;
      // A component not recomputed here counts as registered now.
      ManagedShapePtr part = work.copies.count(c->shape_id) ? c : find(c->shape_id);
      if (!part || part->shape.IsNull()) continue;
      builder.Add(compound, part->shape);
      any = true;
    }
    if (any) shape = _apply_transformations(compound, *copy->properties);
    if (shape.IsNull()) return false;
  } else if (registry::is_boolean(copy->shape_type) && sketch_holding(holder)) {
    shape = rebuild_sketch_element(work, *copy, *copy->properties);
  } else {
    // An input without geometry (an empty sketch) gives nothing to build on.
    for (const auto& c : copy->components)
      if (!c || c->shape.IsNull()) return false;
    shape = recompute_parent(*copy);
  }
  if (shape.IsNull()) return false;
  copy->shape = shape;
  return true;
}

bool CoreCorvath::recompute_holders(Recomputation& work, const ManagedShape& ms) {
  for (const ManagedShapePtr& holder : holders_of(ms))
    if (!recompute_holder(work, *holder)) return false;
  return true;
}

bool CoreCorvath::rebuild_sketches_on(Recomputation& work, const std::string& plane_id,
                                      const std::shared_ptr<PlaneProperties>& plane) {
  std::vector<ManagedShapePtr> sketches;
  for (const auto& kv : shapes_) {
    const ManagedShape& s = *kv.second;
    if (s.shape_type != ShapeType::SKETCH || s.components.empty() || !s.properties) continue;
    const auto* sp = as<SketchProperties>(*s.properties);
    if (sp && sp->plane_id == plane_id) sketches.push_back(kv.second);
  }
  if (sketches.empty()) return true;
  const std::shared_ptr<SketchElementBuilder> builder = sketch_element_builder();
  if (!builder) return false;
  for (const ManagedShapePtr& sketch : sketches) {
    // Inputs before what holds them: pre-order reversed.
    std::vector<const ManagedShape*> nodes;
    registry::for_each_in_tree(*sketch, [&](const ManagedShape& n) {
      if (&n != sketch.get()) nodes.push_back(&n);
    });
    for (auto it = nodes.rbegin(); it != nodes.rend(); ++it) {
      const ManagedShape& n = **it;
      TopoDS_Shape shape;
      if (registry::is_boolean(n.shape_type) && !n.components.empty()) {
        ManagedShapePtr copy = work.copy_of(n);
        work.relink(*copy);
        for (const auto& c : copy->components)
          if (!c || c->shape.IsNull()) return false;
        shape = builder->combination(*copy);
      } else if (is_sketch_element(n.shape_type) && n.properties) {
        shape = builder->element(n.shape_type, *n.properties, plane);
      } else {
        continue;  // nothing of a plane's to rebuild
      }
      if (shape.IsNull()) return false;
      work.copy_of(n)->shape = shape;
    }
    if (!recompute_holder(work, *sketch) || !recompute_holders(work, *sketch)) return false;
  }
  return true;
}

void CoreCorvath::store_recomputed(const Recomputation& work, const std::string& edited) {
  for (const std::string& id : work.order) {
    ManagedShapePtr live = find(id);
    const ManagedShapePtr& copy = work.copies.at(id);
    if (!live) continue;
    live->shape = copy->shape;
    if (id == edited) live->properties = copy->properties;
  }
}

TopoDS_Shape CoreCorvath::_update_component_shape(const ManagedShapePtr& component, const RecordPtr& properties) {
  if (!component || !component->parent_id || !properties) return {};
  ManagedShapePtr parent = find(*component->parent_id);
  if (!parent) return {};
  ManagedShape& ms = *component;
  const bool has_components = !ms.components.empty();
  Recomputation work;

  TopoDS_Shape base, fresh;
  bool placed = true;  // whether `base` still needs the record's placement
  const ManagedShapePtr sketch = sketch_holding(ms);
  // An element of a sketch stays on its sketch's plane, a removed one's
  // included (an element of a sketch with no plane record at all is built
  // from its record alone).
  if (sketch && ((is_sketch_element(ms.shape_type) && plane_of_sketch(*sketch)) ||
                 (registry::is_boolean(ms.shape_type) && has_components))) {
    placed = false;
    ManagedShape trial = ms;
    trial.properties = properties;
    fresh = rebuild_sketch_element(work, trial, *properties);
  } else {
    switch (ms.shape_type) {
      case ShapeType::UNION:
      case ShapeType::SUBTRACTION:
        if (has_components) {
          base = _recompute_boolean_from_components(ms);
          break;
        }
        placed = false;
        fresh = _create_shape_from_properties(ms.shape_type, *properties);
        break;
      case ShapeType::IMPORTED:
        placed = false;
        fresh = _update_transformed_shape(ms, *properties);
        break;
      case ShapeType::EXTRUDE:
      case ShapeType::ARRAY:
      case ShapeType::FILLET:
      case ShapeType::CORNER_ROUND:
      case ShapeType::POLYLINE_ROUND:
        if (has_components) {
          // Refused before anything changes, as on the top-level path.
          require_record_of(ms.shape_type, *properties);
          switch (ms.shape_type) {
            case ShapeType::EXTRUDE: base = _recompute_extrude_from_component(ms, properties); break;
            case ShapeType::ARRAY:
              base = _build_array_compound(ms.components[0]->shape, require<ArrayProperties>(*properties));
              break;
            case ShapeType::FILLET: base = _recompute_fillet_from_component(ms, properties); break;
            case ShapeType::CORNER_ROUND: base = _recompute_corner_round_from_component(ms, properties); break;
            default: base = _recompute_polyline_round_from_component(ms, properties); break;
          }
          break;
        }
        [[fallthrough]];
      default:
        placed = false;
        fresh = _create_shape_from_properties(ms.shape_type, *properties);
        break;
    }
  }
  if (placed) fresh = base.IsNull() ? TopoDS_Shape() : _apply_transformations(base, *properties);
  if (fresh.IsNull()) return {};

  // Every holder up to the top is recomputed with the new component before
  // anything is stored: if one gives no shape, nothing changes.
  ManagedShapePtr copy = work.copy_of(ms);
  copy->shape = fresh;
  copy->properties = properties;
  if (!recompute_holders(work, ms)) return {};
  store_recomputed(work, ms.shape_id);
  for (const std::string& id : work.order)
    if (id != ms.shape_id)
      if (ManagedShapePtr holder = find(id)) _notify_shape_updated(id, holder);
  return fresh;
}

UpdateResult CoreCorvath::update_shape(const std::string& shape_id, const RecordPtr& properties) {
  ManagedShapePtr ms = find(shape_id);
  if (!ms) return UpdateResult::none();
  if (!properties) throw WrongType("update_shape: properties must be a property record");
  if (ms->shape_type == ShapeType::ARRAY && properties->is<ArrayProperties>()) {
    // New counts multiply what the array holds, wherever it stands.
    ManagedShape trial = *ms;
    trial.properties = properties;
    if (array_copies(trial) <= services::kMaxArrayCopies && !within_limits("Update Shape", {}, {}, ms.get(), &trial))
      return UpdateResult::none();
  }
  // The entry and every holder above it: a component's edit recomputes
  // them all.
  std::vector<std::string> touched{shape_id};
  for (const ManagedShapePtr& h : holders_of(*ms)) touched.push_back(h->shape_id);
  auto snapshot_pair = [&] {
    auto s = new_state();
    for (const std::string& id : touched) s->set(id, _snapshot(id));
    return s;
  };
  StatePtr before = snapshot_pair();

  UpdateResult result;
  auto store = [&](const TopoDS_Shape& s) {
    ms->shape = s;
    ms->properties = properties;
    _notify_shape_updated(shape_id, ms);
  };
  const bool has_components = !ms->components.empty();
  const ShapeType t = ms->shape_type;

  if (ms->parent_id) {
    TopoDS_Shape s = _update_component_shape(ms, properties);
    if (!s.IsNull()) result = UpdateResult::of(s);
  } else if (has_components &&
             (t == ShapeType::UNION || t == ShapeType::SUBTRACTION || t == ShapeType::ARRAY ||
              t == ShapeType::FILLET || t == ShapeType::CORNER_ROUND || t == ShapeType::POLYLINE_ROUND ||
              t == ShapeType::EXTRUDE)) {
    TopoDS_Shape base;
    if (t != ShapeType::UNION && t != ShapeType::SUBTRACTION) require_record_of(t, *properties);
    switch (t) {
      case ShapeType::UNION:
      case ShapeType::SUBTRACTION: base = _recompute_boolean_from_components(*ms); break;
      case ShapeType::ARRAY:
        base = _build_array_compound(ms->components[0]->shape, require<ArrayProperties>(*properties));
        break;
      case ShapeType::FILLET: base = _recompute_fillet_from_component(*ms, properties); break;
      case ShapeType::CORNER_ROUND: base = _recompute_corner_round_from_component(*ms, properties); break;
      case ShapeType::POLYLINE_ROUND: base = _recompute_polyline_round_from_component(*ms, properties); break;
      default: base = _recompute_extrude_from_component(*ms, properties); break;
    }
    // A failed recomputation of a derived shape is silent.
    if (base.IsNull()) return UpdateResult::none();
    TopoDS_Shape placed = _apply_transformations(base, *properties);
    store(placed);
    result = UpdateResult::of(placed);
  } else if (t == ShapeType::IMPORTED || t == ShapeType::FACE) {
    TopoDS_Shape s = _update_transformed_shape(*ms, *properties);
    if (!s.IsNull()) {
      store(s);
      result = UpdateResult::of(s);
    }
  } else if (t == ShapeType::SKETCH) {
    TopoDS_Shape compound = _rebuild_sketch_compound(*ms);
    TopoDS_Shape placed = compound.IsNull() ? TopoDS_Shape() : _apply_transformations(compound, *properties);
    store(placed);
    result = placed.IsNull() ? UpdateResult::yes() : UpdateResult::of(placed);
  } else if (t == ShapeType::PLANE) {
    // The sketches on the plane move with it, and so does what is built on
    // them: all computed on the plane as it will be before anything changes.
    Recomputation work;
    std::shared_ptr<PlaneProperties> moved;
    if (properties->is<PlaneProperties>()) {
      moved = std::static_pointer_cast<PlaneProperties>(properties->clone());
      PlaneProperties& p = *moved;
      if (p.source == "custom") {
        p.origin_x = p.translation.x, p.origin_y = p.translation.y, p.origin_z = p.translation.z;
        const Point3 n = normal_from_rotation_deg(p.rotation.x, p.rotation.y, p.rotation.z);
        p.normal_x = n[0], p.normal_y = n[1], p.normal_z = n[2];
      }
    }
    // A plane that stays where it is leaves its sketches as they are.
    const auto* was = ms->properties ? as<PlaneProperties>(*ms->properties) : nullptr;
    const bool stays = !moved || (was && was->origin_x == moved->origin_x && was->origin_y == moved->origin_y &&
                                  was->origin_z == moved->origin_z && was->normal_x == moved->normal_x &&
                                  was->normal_y == moved->normal_y && was->normal_z == moved->normal_z);
    if (stays || rebuild_sketches_on(work, shape_id, moved)) {
      if (moved) {
        auto& p = static_cast<PlaneProperties&>(*properties);
        p.origin_x = moved->origin_x, p.origin_y = moved->origin_y, p.origin_z = moved->origin_z;
        p.normal_x = moved->normal_x, p.normal_y = moved->normal_y, p.normal_z = moved->normal_z;
      }
      for (const std::string& id : work.order) touched.push_back(id);
      before = snapshot_pair();
      ms->properties = properties;
      store_recomputed(work);
      _notify_shape_updated(shape_id, ms);
      for (const std::string& id : work.order)
        if (ManagedShapePtr moved_entry = find(id); moved_entry && (moved_entry->shape_type == ShapeType::SKETCH ||
                                                                     !sketch_holding(*moved_entry)))
          _notify_shape_updated(id, moved_entry);
      result = UpdateResult::yes();
    }
  } else {
    TopoDS_Shape s = _create_shape_from_properties(t, *properties);
    if (!s.IsNull()) {
      store(s);
      result = UpdateResult::of(s);
    }
  }

  if (result.kind == UpdateResult::Kind::None) {
    _notify_operation_failed("Update Shape", "Invalid properties: the shape could not be updated.");
    return result;
  }
  _push_undo("Update " + ms->name, before, snapshot_pair());
  return result;
}

// ---------------------------------------------------------------------------
// Editing and queries

ManagedShapePtr CoreCorvath::get_base_shape(const std::string& shape_id) const {
  ManagedShapePtr s = find(shape_id);
  std::unordered_set<const ManagedShape*> seen;
  while (s && category(s->shape_type) == ShapeCategory::MODIFIER_OP) {
    if (!seen.insert(s.get()).second) return nullptr;  // a chain that loops has no base
    s = s->components.empty() ? nullptr : s->components[0];
  }
  return s;
}

std::vector<ManagedShapePtr> CoreCorvath::get_modifier_chain(const std::string& shape_id) const {
  std::vector<ManagedShapePtr> chain;
  ManagedShapePtr s = find(shape_id);
  // Bounded by the registry: a component list that loops back cannot spin.
  while (s && chain.size() <= shapes_.size()) {
    chain.push_back(s);
    if (category(s->shape_type) != ShapeCategory::MODIFIER_OP || s->components.empty()) break;
    s = s->components[0];
  }
  std::reverse(chain.begin(), chain.end());
  return chain;
}

void CoreCorvath::_remove_component_subtree(const ManagedShape& ms) {
  registry::drop_component_subtree(shapes_, ms);
}

void CoreCorvath::_remove_shape(const ManagedShapePtr& ms) {
  registry::drop_and_report(*this, shapes_, ms->shape_id, *ms, registry::Removal::WithComponents);
}

std::vector<std::string> CoreCorvath::decompose_shape(const std::string& shape_id) {
  ManagedShapePtr ms = find(shape_id);
  if (!ms || !is_decomposable_shape_type(ms->shape_type) || !ms->top_level() || ms->components.empty())
    return {};
  auto before = new_state();
  _collect_snapshots(*ms, before.get());
  StatePtr after = single(shape_id, nullptr);
  std::vector<std::string> promoted;
  for (const auto& c : ms->components) {
    if (c == ms) continue;  // a shape listed among its own components is not promoted
    c->parent_id.reset();
    after->set(c->shape_id, snapshot_of(*c));
    for (const auto& cc : c->components) _collect_snapshots(*cc, after.get());
    promoted.push_back(c->shape_id);
  }
  registry::finish_decomposition(*this, shapes_, shape_id, *ms, before, after, promoted);
  return promoted;
}


// ---------------------------------------------------------------------------
// Booleans and modifiers

std::optional<std::string> CoreCorvath::combine(Boolean kind, const std::vector<std::string>& given_ids) {
  // Each id once: a repeated id is one input, reported removed once.
  const std::vector<std::string> ids = registry::first_occurrences(given_ids);
  const bool fuse = kind == Boolean::Union;
  const ShapeType type = fuse ? ShapeType::UNION : ShapeType::SUBTRACTION;
  const std::vector<ManagedShapePtr> inputs = registry::combination_inputs(shapes_, ids);
  if (inputs.empty()) return std::nullopt;
  {
    ManagedShape node;
    node.shape_type = type;
    node.components.assign(inputs.begin(), inputs.end());
    std::vector<const ManagedShape*> leaving;
    for (const auto& in : inputs) leaving.push_back(in.get());
    if (!within_limits(fuse ? "Boolean Union" : "Boolean Subtraction", {&node}, leaving)) return std::nullopt;
  }

  StatePtr before = registry::combination_before(inputs);
  TopoDS_Shape result = inputs[0]->shape;
  const Color color = inputs[0]->color;
  auto report_failure = [&] {
    _notify_operation_failed(fuse ? "Boolean Union" : "Boolean Subtraction",
                             fuse ? "The shapes could not be fused. They may be invalid or non-manifold."
                                  : "The shapes could not be subtracted. They may be invalid or non-manifold.");
  };
  bool failed = false;
  const bool completed = _operation(fuse ? "Computing boolean union..." : "Computing boolean subtraction...", [&] {
    for (std::size_t i = 1; i < inputs.size(); ++i) {
      result = fuse ? geo_->fuse_shapes(result, inputs[i]->shape) : geo_->cut_shapes(result, inputs[i]->shape);
      if (result.IsNull()) {
        failed = true;
        report_failure();
        return;
      }
    }
  });
  if (failed || !completed) return std::nullopt;

  result = registry::checked_merge(result, geo_->unify_same_domain(result));
  if (result.IsNull()) {
    // The kernel reported success with a shape its checker refuses.
    report_failure();
    return std::nullopt;
  }
  ManagedShapePtr ms =
      registry::combination_entry(*this, shapes_, type, result, color, std::make_shared<BooleanProperties>());
  registry::register_combination(*this, shapes_, ms, inputs, ids, before,
                                 fuse ? "Union shapes" : "Subtract shapes");
  return ms->shape_id;
}

std::optional<std::string> CoreCorvath::union_shapes(const std::vector<std::string>& ids) {
  return combine(Boolean::Union, ids);
}
std::optional<std::string> CoreCorvath::subtract_shapes(const std::vector<std::string>& ids) {
  return combine(Boolean::Subtraction, ids);
}

namespace {
struct ModifierInfo {
  ShapeType type;
  const char* progress;  // null: no progress scope
  const char* title;
  const char* message;
  const char* description;
};

const ModifierInfo& info(int kind) {
  static const ModifierInfo table[] = {
      {ShapeType::ARRAY, "Building shape array...", "Create Array", "The shape array could not be built.",
       "Create array"},
      {ShapeType::FILLET, "Applying fillet...", "Apply Fillet",
       "The fillet could not be applied. The radius may be too large for the selected edges.", "Apply fillet"},
      {ShapeType::CORNER_ROUND, nullptr, "Apply Corner Round",
       "The corner rounding could not be applied. The radius may be too large for the selected vertices.",
       "Apply corner round"},
      {ShapeType::POLYLINE_ROUND, nullptr, "Apply Polyline Round",
       "The polyline rounding could not be applied. The radius may be too large for the selected vertices.",
       "Apply polyline round"},
      {ShapeType::EXTRUDE, "Extruding shape...", "Extrude Shape",
       "The extrude could not be applied. The depth may be zero or the source shape is invalid.", "Extrude shape"},
  };
  return table[kind];
}

// The record's fields the operation reads: a record of another class
// simply has none of them.
template <class T>
const T& fields_of(const Quenby& rec, const char* field) {
  if (const T* r = as<T>(rec)) return *r;
  throw MissingMember("'" + std::string(rec.type().name) + "' object has no attribute '" + field + "'");
}
}  // namespace

TopoDS_Shape CoreCorvath::modifier_step(Modifier kind, const TopoDS_Shape& base, const Quenby& p) {
  switch (kind) {
    case Modifier::Array: return _build_array_compound(base, fields_of<ArrayProperties>(p, "count_x"));
    case Modifier::Fillet: {
      const auto& r = fields_of<FilletProperties>(p, "fillet_radius");
      return geo_->apply_fillet(base, r.fillet_radius, indices_of(r.edge_indices));
    }
    case Modifier::CornerRound: {
      const auto& r = fields_of<CornerRoundProperties>(p, "corner_radius");
      return geo_->apply_corner_round(base, r.corner_radius, indices_of(r.vertex_indices));
    }
    case Modifier::PolylineRound: {
      const auto& r = fields_of<PolylineRoundProperties>(p, "corner_radius");
      return geo_->apply_polyline_round(base, r.corner_radius, indices_of(r.vertex_indices));
    }
    case Modifier::Extrude: return geo_->extrude_shape(base, fields_of<ExtrudeProperties>(p, "depth").depth);
  }
  return {};
}

std::optional<std::string> CoreCorvath::modify(Modifier kind, const std::string& base_shape_id,
                                               const RecordPtr& properties) {
  const ModifierInfo& mi = info(static_cast<int>(kind));
  ManagedShapePtr base = find(base_shape_id);
  if (!base || !base->top_level()) return std::nullopt;
  if (!properties) throw WrongType("properties must be a property record");
  {
    ManagedShape node;
    node.shape_type = mi.type;
    node.properties = properties;
    node.components.push_back(base);
    // An array beyond one compound's copies is the kernel's to refuse.
    if (array_copies(node) <= services::kMaxArrayCopies && !within_limits(mi.title, {&node}, {base.get()}))
      return std::nullopt;
  }
  auto before = new_state();
  before->set(base->shape_id, snapshot_of(*base));
  TopoDS_Shape result;
  bool completed = true;
  if (mi.progress)
    completed = _operation(mi.progress, [&] { result = modifier_step(kind, base->shape, *properties); });
  else
    result = modifier_step(kind, base->shape, *properties);
  // An array only places copies of the registered base; every other step
  // computes new geometry, which the kernel can hand back invalid.
  if (!completed || result.IsNull() || (kind != Modifier::Array && !registry::valid_result(result))) {
    _notify_operation_failed(mi.title, mi.message);
    return std::nullopt;
  }
  auto ms = std::make_shared<ManagedShape>();
  ms->shape_id = free_shape_id(mi.type);
  ms->name = _generate_shape_name(mi.type);
  // The record's placement is applied as every later recomputation and a
  // project load apply it, so the shape never moves without an edit.
  result = _apply_transformations(result, *properties);
  ms->shape = result;
  ms->shape_type = mi.type;
  ms->color = base->color;
  ms->properties = properties;
  ms->components.push_back(base);
  base->parent_id = ms->shape_id;
  _notify_shape_removed(base_shape_id);
  shapes_.add(ms);
  _notify_shape_created(ms->shape_id, ms);
  before->set(ms->shape_id, nullptr);
  auto after = new_state();
  after->set(base->shape_id, snapshot_of(*base));
  after->set(ms->shape_id, snapshot_of(*ms));
  _push_undo(mi.description, before, after);
  return ms->shape_id;
}

std::optional<std::string> CoreCorvath::create_shape_array(const std::string& id, const RecordPtr& p) {
  return modify(Modifier::Array, id, p);
}
std::optional<std::string> CoreCorvath::fillet_shape(const std::string& id, const RecordPtr& p) {
  return modify(Modifier::Fillet, id, p);
}
std::optional<std::string> CoreCorvath::corner_round_shape(const std::string& id, const RecordPtr& p) {
  return modify(Modifier::CornerRound, id, p);
}
std::optional<std::string> CoreCorvath::polyline_round_shape(const std::string& id, const RecordPtr& p) {
  return modify(Modifier::PolylineRound, id, p);
}
std::optional<std::string> CoreCorvath::extrude_shape(const std::string& id, const RecordPtr& p) {
  return modify(Modifier::Extrude, id, p);
}

std::vector<std::string> CoreCorvath::split_to_faces(const std::string& shape_id) {
  ManagedShapePtr src = find(shape_id);
  if (!src || !src->top_level() || !is_volume_shape_type(src->shape_type)) return {};
  services::Shapes faces;
  const bool completed = _operation("Splitting to faces...", [&] { faces = geo_->explode_to_faces(src->shape); });
  if (!completed || faces.empty()) {
    _notify_operation_failed("Split to Faces", "No faces could be extracted from the shape.");
    return {};
  }
  {
    std::vector<ManagedShape> leaves(faces.size());
    std::vector<const ManagedShape*> joining;
    for (auto& leaf : leaves) {
      leaf.shape_type = ShapeType::FACE;
      joining.push_back(&leaf);
    }
    if (!within_limits("Split to Faces", joining, {src.get()})) return {};
  }
  const std::string name = src->name;
  const Color color = src->color;
  auto before = new_state();
  _collect_snapshots(*src, before.get());
  _remove_shape(src);
  StatePtr after = all_none(*before);
  std::vector<std::string> ids;
  for (std::size_t i = 0; i < faces.size(); ++i) {
    auto face = std::make_shared<ManagedShape>();
    face->shape_id = free_shape_id(ShapeType::FACE);
    face->shape = faces[i];
    face->shape_type = ShapeType::FACE;
    face->name = name + "_Face_" + std::to_string(i + 1);
    face->color = color;
    face->properties = std::make_shared<FaceProperties>();
    shapes_.add(face);
    _notify_shape_created(face->shape_id, face);
    ids.push_back(face->shape_id);
    after->set(face->shape_id, snapshot_of(*face));
  }
  auto final_before = std::make_shared<State>(*before);
  for (const std::string& id : ids) final_before->set(id, nullptr);
  _push_undo("Split " + name + " to faces", final_before, after);
  return ids;
}

// ---------------------------------------------------------------------------
// Export

bool CoreCorvath::export_all(bool step, const std::string& filename) {
  services::Shapes shapes;
  for (const auto& kv : shapes_)
    if (kv.second->top_level() && !kv.second->shape.IsNull()) shapes.push_back(kv.second->shape);
  bool ok = false;
  _operation(step ? "Exporting to STEP..." : "Exporting to IGES...", [&] {
    ok = step ? geo_->export_shapes_to_step(shapes, filename) : geo_->export_shapes_to_iges(shapes, filename);
  });
  return ok;
}

bool CoreCorvath::export_one(bool step, const std::string& shape_id, const std::string& filename) {
  ManagedShapePtr ms = find(shape_id);
  if (!ms || ms->shape.IsNull()) return false;
  services::Shapes shapes{ms->shape};
  bool ok = false;
  _operation(step ? "Exporting to STEP..." : "Exporting to IGES...", [&] {
    ok = step ? geo_->export_shapes_to_step(shapes, filename) : geo_->export_shapes_to_iges(shapes, filename);
  });
  return ok;
}

bool CoreCorvath::export_shapes_to_step(const std::string& f) { return export_all(true, f); }
bool CoreCorvath::export_shapes_to_iges(const std::string& f) { return export_all(false, f); }
bool CoreCorvath::export_shape_to_step(const std::string& id, const std::string& f) { return export_one(true, id, f); }
bool CoreCorvath::export_shape_to_iges(const std::string& id, const std::string& f) { return export_one(false, id, f); }

}  // namespace nimbal::managers
