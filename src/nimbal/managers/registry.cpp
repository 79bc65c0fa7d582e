#include "nimbal/managers/registry.hpp"

#include <atomic>
#include <cmath>

#include <BRep_Tool.hxx>
#include <Standard_Failure.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <gp_Pnt.hxx>

#include "nimbal/kernel.hpp"

namespace nimbal::managers {

namespace {

std::atomic<std::uint64_t> g_names_epoch{0};

const std::vector<std::string>& display_prefixes() {
  static const std::vector<std::string> all = [] {
    std::vector<std::string> v;
    for (std::size_t i = 0; i < EnumInfo<ShapeType>::names.size(); ++i)
      v.push_back(registry::display_prefix(static_cast<ShapeType>(i)));
    return v;
  }();
  return all;
}

// The number `name` bears after `prefix`, if it bears one that counts.
bool number_after(const std::string& name, const std::string& prefix, std::string& n) {
  return name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
         registry::positive_decimal(std::string_view(name).substr(prefix.size()), n);
}

}  // namespace

// ---------------------------------------------------------------------------
// The name index

void names_changed_outside() { ++g_names_epoch; }

void rename_outside(ManagedShape& ms, std::string name) {
  ms.name = std::move(name);
  names_changed_outside();
}

std::uint64_t names_epoch() { return g_names_epoch.load(); }

void NameIndex::add(const std::string& name) {
  const auto& prefixes = display_prefixes();
  for (std::size_t t = 0; t < prefixes.size(); ++t) {
    std::string n;
    if (number_after(name, prefixes[t], n)) numbers_[t].insert(std::move(n));
  }
}

void NameIndex::remove(const std::string& name) {
  const auto& prefixes = display_prefixes();
  for (std::size_t t = 0; t < prefixes.size(); ++t) {
    std::string n;
    if (!number_after(name, prefixes[t], n)) continue;
    auto it = numbers_[t].find(n);
    if (it != numbers_[t].end()) numbers_[t].erase(it);
  }
}

void NameIndex::clear() {
  for (auto& s : numbers_) s.clear();
}

std::string NameIndex::highest(ShapeType t) const {
  const auto& s = numbers_[static_cast<std::size_t>(t)];
  return s.empty() ? "0" : *s.rbegin();
}

// ---------------------------------------------------------------------------
// The registry with its name index

ManagedShapePtr NamedRegistry::get(const std::string& id) const {
  const ManagedShapePtr* p = shapes_.find(id);
  return p ? *p : nullptr;
}

void NamedRegistry::add(const std::string& id, const ManagedShapePtr& ms) {
  if (const ManagedShapePtr* old = shapes_.find(id)) {
    names_.remove((*old)->name);
    arrays_ -= (*old)->shape_type == ShapeType::ARRAY;
  }
  shapes_.set(id, ms);
  names_.add(ms->name);
  arrays_ += ms->shape_type == ShapeType::ARRAY;
}

void NamedRegistry::drop(const std::string& id) {
  if (const ManagedShapePtr* ms = shapes_.find(id)) {
    if ((*ms)->shape_type == ShapeType::PLANE && (*ms)->properties) dropped_planes_[id] = (*ms)->properties;
    names_.remove((*ms)->name);
    arrays_ -= (*ms)->shape_type == ShapeType::ARRAY;
    shapes_.erase(id);
  }
}

void NamedRegistry::clear() {
  for (const auto& [id, ms] : shapes_)
    if (ms->shape_type == ShapeType::PLANE && ms->properties) dropped_planes_[id] = ms->properties;
  shapes_.clear();
  names_.clear();
  arrays_ = 0;
}

RecordPtr NamedRegistry::dropped_plane(const std::string& id) const {
  auto it = dropped_planes_.find(id);
  return it == dropped_planes_.end() ? nullptr : it->second;
}

void NamedRegistry::remember_plane(const std::string& id, RecordPtr record) {
  if (record) dropped_planes_[id] = std::move(record);
}

void NamedRegistry::rename(ManagedShape& ms, std::string name) {
  names_.remove(ms.name);
  ms.name = std::move(name);
  names_.add(ms.name);
}

const NameIndex& NamedRegistry::names() {
  const std::uint64_t now = names_epoch();
  if (epoch_ != now) {
    names_.clear();
    for (const auto& kv : shapes_) names_.add(kv.second->name);
    epoch_ = now;
  }
  return names_;
}

// ---------------------------------------------------------------------------
// States and commands

SnapshotPtr snapshot_of(const ManagedShape& ms) {
  auto s = std::make_shared<services::ShapeSnapshot>();
  s->shape_id = ms.shape_id;
  s->shape = ms.shape;
  s->shape_type = ms.shape_type;
  s->name = ms.name;
  s->color = ms.color;
  s->properties = ms.properties ? ms.properties->clone() : nullptr;
  s->component_ids.reserve(ms.components.size());
  for (const auto& c : ms.components) s->component_ids.push_back(c->shape_id);
  s->parent_id = ms.parent_id;
  return s;
}

namespace registry {

StatePtr single(const std::string& id, SnapshotPtr snapshot) {
  auto s = new_state();
  s->set(id, std::move(snapshot));
  return s;
}

StatePtr all_none(const State& src) {
  auto out = new_state();
  for (const auto& kv : src) out->set(kv.first, nullptr);
  return out;
}

services::CommandPtr command(const std::string& description, StatePtr before, StatePtr after,
                             bool redo_clears_all) {
  auto cmd = std::make_shared<services::UndoCommand>();
  cmd->description = description;
  cmd->before = before ? std::move(before) : new_state();
  cmd->after = after ? std::move(after) : new_state();
  cmd->redo_clears_all = redo_clears_all;
  return cmd;
}

void collect_snapshots(const ManagedShape& ms, State& out) {
  for_each_in_tree(ms, [&](const ManagedShape& s) { out.set(s.shape_id, snapshot_of(s)); });
}

void drop_component_subtree(NamedRegistry& shapes, const ManagedShape& ms) {
  // Post-order without recursion, each shape once (see for_each_in_tree);
  // `ms` itself stays, even when its components reach back to it.
  std::unordered_set<const ManagedShape*> seen{&ms};
  std::vector<std::pair<const ManagedShape*, std::size_t>> stack{{&ms, 0}};
  while (!stack.empty()) {
    const ManagedShape* s = stack.back().first;
    std::size_t& next = stack.back().second;
    if (next < s->components.size()) {
      const ManagedShape* c = s->components[next++].get();
      if (c && seen.insert(c).second) stack.emplace_back(c, 0);
      continue;
    }
    stack.pop_back();
    if (s != &ms) shapes.drop(s->shape_id);
  }
}

std::vector<std::string> shape_ids(const NamedRegistry& shapes, bool top_level_only) {
  std::vector<std::string> ids;
  ids.reserve(shapes.size());
  for (const auto& kv : shapes)
    if (!top_level_only || kv.second->top_level()) ids.push_back(kv.first);
  return ids;
}

std::vector<std::string> first_occurrences(const std::vector<std::string>& shape_ids) {
  std::vector<std::string> ids;
  ids.reserve(shape_ids.size());
  std::unordered_set<std::string_view> seen;
  for (const std::string& id : shape_ids)
    if (seen.insert(id).second) ids.push_back(id);
  return ids;
}

std::vector<ManagedShapePtr> combination_inputs(const NamedRegistry& shapes,
                                                const std::vector<std::string>& shape_ids) {
  std::vector<ManagedShapePtr> inputs;
  if (shape_ids.size() < 2) return inputs;
  for (const std::string& id : shape_ids)
    if (ManagedShapePtr s = shapes.get(id); s && s->top_level()) inputs.push_back(std::move(s));
  if (inputs.size() < 2) inputs.clear();
  return inputs;
}

bool valid_result(const TopoDS_Shape& shape) {
  if (shape.IsNull()) return false;
  try {
    for (TopExp_Explorer v(shape, TopAbs_VERTEX); v.More(); v.Next()) {
      const gp_Pnt p = BRep_Tool::Pnt(TopoDS::Vertex(v.Current()));
      if (!std::isfinite(p.X()) || !std::isfinite(p.Y()) || !std::isfinite(p.Z())) return false;
    }
    return kernel::is_valid(shape);
  } catch (const Standard_Failure&) {
    return false;
  }
}

TopoDS_Shape checked_merge(const TopoDS_Shape& folded, const TopoDS_Shape& merged) {
  if (valid_result(merged)) return merged;
  if (!merged.IsSame(folded) && valid_result(folded)) return folded;
  return {};
}

}  // namespace registry

// ---------------------------------------------------------------------------
// What both managers share

CoreManager::CoreManager(EditRules rules) : undo_redo_(registry::undo_stacks(*this)), rules_(std::move(rules)) {}

void CoreManager::_on_redo_clears_all() { registry::clear_and_report(*this, shapes_); }

void CoreManager::_push_undo(const std::string& description, StatePtr before, StatePtr after,
                             bool redo_clears_all) {
  undo_redo_.push(registry::command(description, std::move(before), std::move(after), redo_clears_all));
}

void CoreManager::_apply_state(const StatePtr& state) { registry::apply_state(*this, shapes_, state); }

void CoreManager::_restore_from_snapshot(const std::string& shape_id, const SnapshotPtr& snapshot) {
  registry::restore_and_report(*this, shapes_, shape_id, snapshot);
}

std::string CoreManager::_new_shape_id(ShapeType t) { return registry::random_shape_id(t); }

std::string CoreManager::free_shape_id(ShapeType t) {
  return registry::free_shape_id(shapes_, t, [this](ShapeType type) { return _new_shape_id(type); });
}

std::string CoreManager::_generate_shape_name(ShapeType t) { return registry::display_name(t, shapes_.names()); }

ManagedShapePtr CoreManager::register_new(const std::string& description, ShapeType type, std::string name,
                                          const TopoDS_Shape& shape, const Color& color, RecordPtr properties) {
  auto ms = std::make_shared<ManagedShape>();
  ms->shape_id = free_shape_id(type);
  ms->shape = shape;
  ms->shape_type = type;
  ms->name = std::move(name);
  ms->color = color;
  ms->properties = std::move(properties);
  return registry::register_created(*this, shapes_, ms, description);
}

ManagedShapePtr CoreManager::get_shape(const std::string& shape_id) const { return find(shape_id); }

std::vector<std::string> CoreManager::get_all_shape_ids() const {
  return registry::shape_ids(shapes_, /*top_level_only=*/!rules_.lists_hidden);
}

bool CoreManager::update_shape_color(const std::string& shape_id, const Color& color) {
  return registry::change_color(*this, shapes_, shape_id, color, rules_.hidden_colour);
}

bool CoreManager::rename_shape(const std::string& shape_id, const std::string& new_name) {
  return registry::rename(*this, shapes_, shape_id, new_name, rules_.rename_text);
}

bool CoreManager::remove_shape(const std::string& shape_id) {
  return registry::remove(*this, shapes_, shape_id, rules_.removal);
}

void CoreManager::clear_all() { registry::clear_all(*this, shapes_, rules_.clear_description); }

CoreManager::ModelBackup CoreManager::_backup_model() {
  ModelBackup b;
  b.keys.reserve(shapes_.size());
  b.fields.reserve(shapes_.size());
  for (const auto& [id, ms] : shapes_) {
    b.keys.emplace_back(id, ms);
    b.fields.push_back(*ms);
  }
  b.undo = undo_redo_.undo_stack();
  b.redo = undo_redo_.redo_stack();
  return b;
}

void CoreManager::_restore_model(const ModelBackup& b) {
  shapes_.clear();
  for (std::size_t i = 0; i < b.keys.size(); ++i) {
    const auto& [id, ms] = b.keys[i];
    // Fields before the add, so the name index counts the name restored.
    *ms = b.fields[i];
    shapes_.add(id, ms);
  }
  undo_redo_.undo_stack() = b.undo;
  undo_redo_.redo_stack() = b.redo;
}

}  // namespace nimbal::managers
