// Sketches in the geometry manager: creation on a plane, commit of a sketch
// manager's elements as copies, and the restore operations of project files.
#include <BRep_Builder.hxx>
#include <TopoDS_Compound.hxx>

#include <unordered_set>

#include "nimbal/errors.hpp"
#include "nimbal/managers/corvath.hpp"

namespace nimbal::managers {

using namespace nimbal::models;

namespace {

bool is_boolean(ShapeType t) { return t == ShapeType::UNION || t == ShapeType::SUBTRACTION; }

// The inputs of unions and subtractions that a copy follows must form a
// tree: a record that holds itself would be copied without end.
void check_tree(const ManagedShape& rec, std::unordered_set<const ManagedShape*>& path) {
  if (!is_boolean(rec.shape_type)) return;
  if (!path.insert(&rec).second)
    throw ValueError("the sketch element '" + rec.name + "' holds itself among its components");
  for (const auto& c : rec.components)
    if (c && !c->shape.IsNull()) check_tree(*c, path);
  path.erase(&rec);
}

}  // namespace

std::vector<ManagedShapePtr> CoreCorvath::sketch_records(SketchSource& tessik) {
  std::vector<ManagedShapePtr> records;
  for (const std::string& id : tessik.get_all_shape_ids()) {
    ManagedShapePtr rec = tessik.get_shape(id);
    if (!rec || rec->shape.IsNull() || rec->parent_id) continue;
    std::unordered_set<const ManagedShape*> path;
    check_tree(*rec, path);
    records.push_back(std::move(rec));
  }
  return records;
}

ManagedShapePtr CoreCorvath::_build_sketch_comp(const ManagedShape& rec, const std::string& comp_parent_id,
                                                State* before, State* after) {
  const std::string id = free_shape_id(rec.shape_type);
  ComponentList components;
  if (is_boolean(rec.shape_type))
    for (const auto& c : rec.components)
      if (c && !c->shape.IsNull()) components.push_back(_build_sketch_comp(*c, id, before, after));
  auto copy = std::make_shared<ManagedShape>();
  copy->shape_id = id;
  copy->shape = rec.shape;
  copy->shape_type = rec.shape_type;
  copy->name = rec.name;
  copy->color = rec.color;
  copy->properties = rec.properties;  // the sketch manager's record itself
  copy->components = std::move(components);
  copy->parent_id = comp_parent_id;
  shapes_.add(copy);
  if (before) before->set(id, nullptr);
  if (after) after->set(id, snapshot_of(*copy));
  return copy;
}

TopoDS_Shape CoreCorvath::copy_sketch_records(const std::vector<ManagedShapePtr>& records,
                                              const std::string& sketch_id, const Quenby& placement,
                                              ComponentList& components, State* before, State* after) {
  TopoDS_Compound compound;
  BRep_Builder builder;
  builder.MakeCompound(compound);
  for (const auto& rec : records) {
    builder.Add(compound, rec->shape);
    components.push_back(_build_sketch_comp(*rec, sketch_id, before, after));
  }
  return components.empty() ? TopoDS_Shape() : _apply_transformations(compound, placement);
}

ManagedShapePtr CoreCorvath::create_sketch(const std::string& plane_id, const Color& color,
                                           std::optional<std::string> name) {
  ManagedShapePtr plane = find(plane_id);
  if (!plane || plane->shape_type != ShapeType::PLANE) return nullptr;
  auto ms = std::make_shared<ManagedShape>();
  ms->name = name ? *name : _generate_shape_name(ShapeType::SKETCH);
  ms->shape_id = free_shape_id(ShapeType::SKETCH);
  ms->shape_type = ShapeType::SKETCH;
  ms->color = color;
  auto props = std::make_shared<SketchProperties>();
  props->plane_id = plane_id;
  ms->properties = std::move(props);
  return register_created("Create sketch", std::move(ms));
}

bool CoreCorvath::commit_sketch(const std::string& sketch_id, SketchSource& tessik) {
  ManagedShapePtr old = find(sketch_id);
  if (!old || old->shape_type != ShapeType::SKETCH) return false;
  // Everything the sketch manager holds is read before the registry
  // changes, so a failure there leaves the sketch as it was.
  const std::vector<ManagedShapePtr> records = sketch_records(tessik);
  const std::optional<std::string> parent_id = old->parent_id;

  auto before = std::make_shared<State>();
  before->set(sketch_id, snapshot_of(*old));
  for (const auto& c : old->components)
    if (ManagedShapePtr reg = find(c->shape_id)) before->set(c->shape_id, snapshot_of(*reg));
  if (parent_id)
    if (ManagedShapePtr parent = find(*parent_id)) before->set(*parent_id, snapshot_of(*parent));

  for (const auto& c : old->components) shapes_.drop(c->shape_id);
  if (!parent_id) {
    shapes_.drop(sketch_id);
    _notify_shape_removed(sketch_id);
  }
  auto after = std::make_shared<State>();
  for (const auto& kv : *before) after->set(kv.first, nullptr);

  auto entry = std::make_shared<ManagedShape>();
  entry->shape = copy_sketch_records(records, sketch_id, *old->properties, entry->components, before.get(),
                                     after.get());
  entry->shape_id = sketch_id;
  entry->shape_type = ShapeType::SKETCH;
  entry->name = old->name;
  entry->color = old->color;
  entry->properties = old->properties;
  entry->parent_id = parent_id;
  shapes_.add(entry);
  after->set(sketch_id, snapshot_of(*entry));

  // A sketch created and committed right after is one step of the history.
  if (services::CommandPtr last = undo_redo_.peek_last(); last && last->description == "Create sketch") {
    const SnapshotPtr* created = last->before->find(sketch_id);
    if (created && !*created) {
      undo_redo_.pop_last();
      before->set(sketch_id, nullptr);
    }
  }

  ManagedShapePtr parent = parent_id ? find(*parent_id) : nullptr;
  if (!parent) {
    _push_undo("Commit sketch", before, after);
    if (!parent_id) _notify_shape_created(sketch_id, entry);
    return true;
  }
  for (auto& c : parent->components)
    if (c->shape_id == sketch_id) {
      c = entry;
      break;
    }
  // An extrude is swept again from its profile; a parent of another kind is
  // recomputed its own way.
  TopoDS_Shape shape = recompute_parent(*parent);
  if (!shape.IsNull()) parent->shape = shape;
  after->set(*parent_id, snapshot_of(*parent));
  _push_undo("Commit sketch", before, after);
  _notify_shape_updated(*parent_id, parent);
  return true;
}

ManagedShapePtr CoreCorvath::restore_plane(const std::string& shape_id, const RecordPtr& properties,
                                           const Color& color, std::optional<std::string> name) {
  if (!properties) throw TypeError("restore_plane: properties must be a property record");
  auto ms = std::make_shared<ManagedShape>();
  ms->name = name ? *name : _generate_shape_name(ShapeType::PLANE);
  ms->shape_id = shape_id;
  ms->shape_type = ShapeType::PLANE;
  ms->color = color;
  ms->properties = properties;
  shapes_.add(ms);
  _notify_shape_created(shape_id, ms);
  return ms;
}

std::string CoreCorvath::restore_sketch(const std::string& shape_id, const RecordPtr& properties,
                                        SketchSource& tessik, const Color& color,
                                        std::optional<std::string> name) {
  if (!properties) throw TypeError("restore_sketch: properties must be a property record");
  std::string display = name ? *name : _generate_shape_name(ShapeType::SKETCH);
  const std::vector<ManagedShapePtr> records = sketch_records(tessik);
  auto ms = std::make_shared<ManagedShape>();
  ms->shape = copy_sketch_records(records, shape_id, *properties, ms->components, nullptr, nullptr);
  ms->shape_id = shape_id;
  ms->shape_type = ShapeType::SKETCH;
  ms->name = std::move(display);
  ms->color = color;
  ms->properties = properties;
  shapes_.add(ms);
  _notify_shape_created(shape_id, ms);
  return shape_id;
}

}  // namespace nimbal::managers
