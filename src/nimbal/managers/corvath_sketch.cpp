// Sketches in the geometry manager: creation on a plane, commit of a sketch
// manager's elements as copies, and the restore operations of project files.
//
// A commit or restore computes everything first (the copies with their ids,
// the placed compound, the recomputed parent, the undo states) and changes
// the registry only after the last step that can fail, so a failure leaves
// the manager as it was.
#include <BRep_Builder.hxx>
#include <TopoDS_Compound.hxx>

#include <unordered_set>

#include "nimbal/errors.hpp"
#include "nimbal/managers/corvath.hpp"
#include "nimbal/managers/registry.hpp"

namespace nimbal::managers {

using namespace nimbal::models;
using registry::is_boolean;

namespace {

// The inputs of a union or subtraction that its copy follows.
bool followed(const ManagedShapePtr& c) { return c && !c->shape.IsNull(); }

}  // namespace

std::string sketch_shape_id(const HostValue<std::string>& answer) {
  if (std::optional<std::string> id = answer.get()) return *std::move(id);
  throw WrongType("get_all_shape_ids must give shape ids (str), not '" + answer.type_name() + "'");
}

ManagedShapePtr read_sketch_record(SketchRecordReader& root) {
  using Kind = SketchRecordReader::Kind;
  const Kind root_kind = root.kind();
  if (root_kind == Kind::None) return nullptr;
  if (root_kind == Kind::Managed) return root.managed();
  struct Frame {
    SketchRecordReader* src;
    ManagedShapePtr ms;
    std::vector<std::unique_ptr<SketchRecordReader>> components;
    std::size_t next = 0;
  };
  std::unordered_set<const void*> path;
  std::vector<Frame> stack;
  auto open = [&](SketchRecordReader& r) {
    if (!path.insert(r.identity()).second)
      throw InvalidValue("a sketch record holds itself among its components");
    auto ms = std::make_shared<ManagedShape>();
    r.read_fields(*ms);
    stack.push_back(Frame{&r, std::move(ms), r.components()});
  };
  open(root);
  ManagedShapePtr done;
  while (!stack.empty()) {
    Frame& f = stack.back();
    if (f.next < f.components.size()) {
      SketchRecordReader& c = *f.components[f.next++];
      const Kind kind = c.kind();
      if (kind == Kind::Fields)
        open(c);
      else if (kind == Kind::Managed)
        f.ms->components.push_back(c.managed());
      continue;
    }
    f.ms->parent_id = f.src->parent_id();
    done = std::move(f.ms);
    path.erase(f.src->identity());
    stack.pop_back();
    if (!stack.empty()) stack.back().ms->components.push_back(done);
  }
  return done;
}

std::vector<ManagedShapePtr> CoreCorvath::sketch_records(SketchSource& tessik) {
  std::vector<ManagedShapePtr> records;
  for (const std::string& id : tessik.get_all_shape_ids()) {
    ManagedShapePtr rec = tessik.get_shape(id);
    if (!rec || rec->shape.IsNull() || rec->parent_id) continue;
    records.push_back(std::move(rec));
  }
  return records;
}

ManagedShapePtr CoreCorvath::copy_sketch_record(const ManagedShape& rec, const std::string& comp_parent_id,
                                                std::unordered_set<std::string>& taken,
                                                std::vector<ManagedShapePtr>& order) {
  // Depth first without recursion: a union chain of any depth is copied
  // with the heap, not the stack. Ids are drawn before the inputs' ids;
  // copies are listed after their inputs, the order they are registered in.
  struct Frame {
    const ManagedShape* rec;
    ManagedShapePtr copy;
    std::size_t next = 0;
  };
  std::unordered_set<const ManagedShape*> path;
  std::vector<Frame> stack;
  auto open = [&](const ManagedShape& r, const std::string& parent) {
    // A record that holds itself would be copied without end.
    if (!path.insert(&r).second)
      throw InvalidValue("the sketch element '" + r.name + "' holds itself among its components");
    auto copy = std::make_shared<ManagedShape>();
    copy->shape_id = registry::free_shape_id(shapes_, r.shape_type,
                                             [this](ShapeType t) { return _new_shape_id(t); }, &taken);
    taken.insert(copy->shape_id);
    copy->shape = r.shape;
    copy->shape_type = r.shape_type;
    copy->name = r.name;
    copy->color = r.color;
    copy->properties = r.properties;  // the sketch manager's record itself
    copy->parent_id = parent;
    stack.push_back({&r, std::move(copy)});
  };
  open(rec, comp_parent_id);
  ManagedShapePtr done;
  while (!stack.empty()) {
    Frame& f = stack.back();
    if (is_boolean(f.rec->shape_type) && f.next < f.rec->components.size()) {
      const ManagedShapePtr& c = f.rec->components[f.next++];
      if (followed(c)) open(*c, f.copy->shape_id);
      continue;
    }
    done = std::move(f.copy);
    path.erase(f.rec);
    stack.pop_back();
    order.push_back(done);
    if (!stack.empty()) stack.back().copy->components.push_back(done);
  }
  return done;
}

CoreCorvath::SketchCopies CoreCorvath::prepare_sketch(SketchSource& tessik, const std::string& sketch_id,
                                                      const Quenby& placement) {
  // Everything the sketch manager holds is read first, so a failure there
  // changes nothing.
  const std::vector<ManagedShapePtr> records = sketch_records(tessik);
  SketchCopies out;
  std::unordered_set<std::string> taken{sketch_id};
  TopoDS_Compound compound;
  BRep_Builder builder;
  builder.MakeCompound(compound);
  for (const auto& rec : records) {
    builder.Add(compound, rec->shape);
    out.components.push_back(copy_sketch_record(*rec, sketch_id, taken, out.order));
  }
  if (!out.components.empty()) {
    out.shape = _apply_transformations(compound, placement);
    out.placed = !out.shape.IsNull();
  }
  return out;
}

void CoreCorvath::register_sketch_copies(const SketchCopies& copies) {
  for (const auto& copy : copies.order) shapes_.add(copy);
}

NeverNull<ManagedShape> CoreCorvath::_build_sketch_comp(const ManagedShape& rec, const std::string& comp_parent_id,
                                                        Filled<State, true> before, Filled<State, true> after) {
  std::unordered_set<std::string> taken;
  std::vector<ManagedShapePtr> order;
  ManagedShapePtr copy = copy_sketch_record(rec, comp_parent_id, taken, order);
  for (const auto& c : order) {
    shapes_.add(c);
    if (before) before->set(c->shape_id, nullptr);
    if (after) after->set(c->shape_id, snapshot_of(*c));
  }
  return copy;
}

ManagedShapePtr CoreCorvath::create_sketch(const std::string& plane_id, const Color& color,
                                           std::optional<std::string> name) {
  ManagedShapePtr plane = find(plane_id);
  if (!plane || plane->shape_type != ShapeType::PLANE) return nullptr;
  std::string display = name ? *name : _generate_shape_name(ShapeType::SKETCH);
  ManagedShape leaf;
  leaf.shape_type = ShapeType::SKETCH;
  if (!within_limits("Create Sketch", {&leaf})) return nullptr;
  auto props = std::make_shared<SketchProperties>();
  props->plane_id = plane_id;
  return register_new("Create sketch", ShapeType::SKETCH, std::move(display), {}, color, std::move(props));
}

bool CoreCorvath::commit_sketch(const std::string& sketch_id, SketchSource& tessik) {
  ManagedShapePtr old = find(sketch_id);
  if (!old || old->shape_type != ShapeType::SKETCH) return false;
  const std::optional<std::string> parent_id = old->parent_id;
  ManagedShapePtr parent = parent_id ? find(*parent_id) : nullptr;

  // ---- compute: nothing below changes the registry, the stack or a hook
  SketchCopies copies = prepare_sketch(tessik, sketch_id, *old->properties);
  if (!copies.components.empty() && !copies.placed) {
    _notify_operation_failed("Commit Sketch", "The sketch could not be placed: the kernel gave no shape.");
    return false;
  }
  auto entry = std::make_shared<ManagedShape>();
  entry->shape_id = sketch_id;
  entry->shape = copies.shape;
  entry->shape_type = ShapeType::SKETCH;
  entry->name = old->name;
  entry->color = old->color;
  entry->properties = old->properties;
  entry->components = copies.components;
  entry->parent_id = parent_id;
  // The elements deepen the tree the sketch stands in, and an array around
  // it multiplies them.
  if (!within_limits("Commit Sketch", {}, {}, old.get(), entry.get())) return false;

  // What holds the sketch as it will be, up to the top: the new entry in
  // the old one's place, each holder recomputed and placed. A holder that
  // gives no shape refuses the commit before anything changes.
  Recomputation work;
  work.copies.emplace(sketch_id, entry);
  if (parent && !recompute_holders(work, *old)) {
    _notify_operation_failed("Commit Sketch",
                             "The shapes built on the sketch could not be recomputed from its new elements.");
    return false;
  }

  StatePtr before = registry::single(sketch_id, snapshot_of(*old));
  std::vector<std::string> old_ids;
  for (const auto& c : old->components)
    if (ManagedShapePtr reg = c ? find(c->shape_id) : nullptr) {
      before->set(c->shape_id, snapshot_of(*reg));
      old_ids.push_back(c->shape_id);
    }
  for (const std::string& id : work.order) before->set(id, snapshot_of(*find(id)));
  StatePtr after = registry::all_none(*before);
  for (const auto& c : copies.order) {
    before->set(c->shape_id, nullptr);
    after->set(c->shape_id, snapshot_of(*c));
  }
  after->set(sketch_id, snapshot_of(*entry));
  for (const std::string& id : work.order) after->set(id, snapshot_of(*work.copies.at(id)));
  // A sketch created and committed right after is one step of the history.
  services::CommandPtr last = undo_redo_.peek_last();
  bool merge = false;
  if (last && last->description == "Create sketch" && last->before) {
    const SnapshotPtr* created = last->before->find(sketch_id);
    merge = created && !*created;
  }

  // ---- change the registry
  for (const std::string& id : old_ids) shapes_.drop(id);
  if (!parent_id) shapes_.drop(sketch_id);
  register_sketch_copies(copies);
  shapes_.add(entry);
  if (parent) {
    parent->components = work.copies.at(*parent_id)->components;
    store_recomputed(work);
  }

  // ---- report and record
  if (!parent_id) _notify_shape_removed(sketch_id);
  if (merge) {
    undo_redo_.pop_last();
    before->set(sketch_id, nullptr);
  }
  _push_undo("Commit sketch", before, after);
  if (parent) {
    for (const std::string& id : work.order)
      if (ManagedShapePtr holder = find(id)) _notify_shape_updated(id, holder);
  } else if (!parent_id)
    _notify_shape_created(sketch_id, entry);
  return true;
}

RecordPtr CoreCorvath::_sketch_plane_record(const std::string& plane_id) const {
  if (ManagedShapePtr plane = find(plane_id))
    if (plane->shape_type == ShapeType::PLANE && plane->properties && plane->properties->is<PlaneProperties>())
      return plane->properties;
  RecordPtr dropped = shapes_.dropped_plane(plane_id);
  return dropped && dropped->is<PlaneProperties>() ? dropped : nullptr;
}

ManagedShapePtr CoreCorvath::restore_plane(const std::string& shape_id, const RecordPtr& properties,
                                           const Color& color, std::optional<std::string> name) {
  if (!properties) throw WrongType("restore_plane: properties must be a property record");
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
  if (!properties) throw WrongType("restore_sketch: properties must be a property record");
  std::string display = name ? *name : _generate_shape_name(ShapeType::SKETCH);
  SketchCopies copies = prepare_sketch(tessik, shape_id, *properties);
  if (!copies.components.empty() && !copies.placed)
    throw InvalidValue("restore_sketch: the sketch '" + shape_id + "' could not be placed");
  auto ms = std::make_shared<ManagedShape>();
  ms->shape = copies.shape;
  ms->shape_id = shape_id;
  ms->shape_type = ShapeType::SKETCH;
  ms->name = std::move(display);
  ms->color = color;
  ms->properties = properties;
  ms->components = copies.components;
  register_sketch_copies(copies);
  shapes_.add(ms);
  _notify_shape_created(shape_id, ms);
  return shape_id;
}

}  // namespace nimbal::managers
