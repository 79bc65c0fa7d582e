// The registry of managed shapes and what both managers do the same way
// with it: its entries, the drawing of ids and names, the hooks a host
// follows it by, the undo stacks and the state application (CoreManager).
// Each manager adds its own operations and service.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <TopoDS_Shape.hxx>

#include "nimbal/arguments.hpp"
#include "nimbal/enums.hpp"
#include "nimbal/host_value.hpp"
#include "nimbal/models/quenby.hpp"
#include "nimbal/ordered_map.hpp"
#include "nimbal/services/drulen.hpp"
#include "nimbal/services/hathel.hpp"

namespace nimbal::managers {

using models::Quenby;
using services::Color;
using services::Indices;
using services::DrulenProtocol;
using services::Point3;
using services::SnapshotPtr;
using services::State;
using services::StatePtr;
using RecordPtr = std::shared_ptr<Quenby>;

struct ManagedShape;
using ManagedShapePtr = std::shared_ptr<ManagedShape>;

struct ComponentList : std::vector<ManagedShapePtr> {
  using std::vector<ManagedShapePtr>::vector;
};

// One registry entry. Operations change it in place, so the registry, the
// parent's component list and the host share one object.
struct ManagedShape {
  std::string shape_id;
  TopoDS_Shape shape;  // null for planes and empty sketches
  ShapeType shape_type = ShapeType::BOX;
  // Managers index the names of their registered shapes; code that writes
  // a registered shape's name other than through its manager calls
  // names_changed_outside() afterwards.
  std::string name;
  Color color{0.0, 0.0, 0.0};
  RecordPtr properties;
  ComponentList components;
  std::optional<std::string> parent_id;  // none: top-level

  ManagedShape() = default;
  ManagedShape(const ManagedShape&) = default;
  ManagedShape& operator=(const ManagedShape&) = default;
  // Releases a chain of components of any depth without one stack frame
  // per level.
  ~ManagedShape();

  bool top_level() const { return !parent_id; }
};

using Registry = OrderedMap<std::string, ManagedShapePtr>;
// The entry of `id`; NotFound (the id) when there is none.
const ManagedShapePtr& registry_entry(const Registry& r, const std::string& id);

// The text form "ManagedShape(shape_id=..., ...)": `text` is the host's form
// of a text, `shown(field)` its form of that field's value; components are
// listed by id only, so a deep chain is not spelled out.
std::string text_form(const ManagedShape& s, const std::function<std::string(const std::string&)>& text,
                      const std::function<std::string(const char* field)>& shown);

// Tells every manager that some registered shape's name may have changed
// behind its back (its name index is rebuilt on next use).
void names_changed_outside();
// A name written straight into the record (a host sets it): a registered
// shape's number may have changed with it.
void rename_outside(ManagedShape& ms, std::string name);
// Counts those changes; a manager whose count is behind rebuilds its index.
std::uint64_t names_epoch();

// Decimal digit strings without leading zeros, ordered by value.
struct DecimalLess {
  bool operator()(const std::string& a, const std::string& b) const {
    return a.size() != b.size() ? a.size() < b.size() : a < b;
  }
};

// The numbers that registered names bear after each shape type's display
// prefix ("Box_" 3 -> 3), so a new display name needs no scan of the
// registry. Numbers are kept as digits: a name may bear any number of them.
class NameIndex {
 public:
  void add(const std::string& name);
  void remove(const std::string& name);
  void clear();
  std::string highest(ShapeType t) const;  // "0" when no name counts

 private:
  using Numbers = std::multiset<std::string, DecimalLess>;
  std::vector<Numbers> numbers_ = std::vector<Numbers>(EnumInfo<ShapeType>::names.size());
};

// A manager's registry with the index of its names kept in step: every
// change of an entry, or of a registered name, goes through it. Reading is
// as from the underlying map.
class NamedRegistry {
 public:
  NamedRegistry() : epoch_(names_epoch()) {}

  const Registry& map() const { return shapes_; }
  Registry::const_iterator begin() const { return shapes_.begin(); }
  Registry::const_iterator end() const { return shapes_.end(); }
  std::size_t size() const { return shapes_.size(); }
  // Registered arrays, of any depth (as registered: a type changed behind
  // the manager's back is not seen).
  std::size_t arrays() const { return arrays_; }
  bool contains(const std::string& id) const { return shapes_.contains(id); }
  const ManagedShapePtr* find(const std::string& id) const { return shapes_.find(id); }
  // Null when `id` is not registered.
  ManagedShapePtr get(const std::string& id) const;

  // Under its own id, or under `id` (a present id keeps its place).
  void add(const ManagedShapePtr& ms) { add(ms->shape_id, ms); }
  void add(const std::string& id, const ManagedShapePtr& ms);
  void drop(const std::string& id);
  void clear();
  void rename(ManagedShape& ms, std::string name);
  // Rebuilt first when a registered name was changed behind the manager's
  // back (names_changed_outside).
  const NameIndex& names();
  // The record of the plane last registered under `id` that has left the
  // registry since (removed, cleared, undone); null when none has. A sketch
  // drawn on a removed plane still stands on that record.
  RecordPtr dropped_plane(const std::string& id) const;
  void remember_plane(const std::string& id, RecordPtr record);

 private:
  Registry shapes_;
  std::unordered_map<std::string, RecordPtr> dropped_planes_;
  NameIndex names_;
  std::uint64_t epoch_;
  std::size_t arrays_ = 0;
};

// The snapshot of a managed shape: its record deep-copied, the rest shared.
SnapshotPtr snapshot_of(const ManagedShape& ms);

namespace registry {
// Whether a hidden component's edit is recorded and reported like a
// top-level entry's, or made silently (its holder is what the host sees).
enum class HiddenEdit { Recorded, Silent };
// How a rename's command reads: "Rename to B" or "Rename A to B".
enum class RenameText { NewName, OldAndNewName };
// Whether a removed entry takes its components' subtrees with it, or leaves
// them registered (hidden) for the undo to find.
enum class Removal { EntryOnly, WithComponents };
}  // namespace registry

// Where the managers' edits of an entry differ.
struct EditRules {
  bool lists_hidden;  // get_all_shape_ids lists hidden components too
  registry::HiddenEdit hidden_colour;
  registry::RenameText rename_text;
  registry::Removal removal;
  std::string clear_description;
};

// What both managers do the same way: the registry with its id and name
// drawing, the hooks a host follows it by, the undo stacks and the state
// application. Each manager adds its own operations and service.
class CoreManager {
 public:
  virtual ~CoreManager() = default;
  CoreManager(const CoreManager&) = delete;
  CoreManager& operator=(const CoreManager&) = delete;

  // ---- hooks: nothing here; a host overrides them ----
  virtual void _notify_shape_created(const std::string& shape_id, const ManagedShapePtr& ms) {}
  virtual void _notify_shape_updated(const std::string& shape_id, const ManagedShapePtr& ms) {}
  virtual void _notify_shape_removed(const std::string& shape_id) {}
  virtual void _notify_all_cleared() {}
  virtual void _notify_undo_redo_changed(bool can_undo, bool can_redo) {}
  virtual void _on_redo_clears_all();

  // ---- undo ----
  bool can_undo() const { return undo_redo_.can_undo(); }
  bool can_redo() const { return undo_redo_.can_redo(); }
  void undo() { undo_redo_.undo(); }
  void redo() { undo_redo_.redo(); }
  void _push_undo(const std::string& description, StatePtr before, StatePtr after, bool redo_clears_all = false);
  virtual void _apply_state(const StatePtr& state);
  void _restore_from_snapshot(const std::string& shape_id, const SnapshotPtr& snapshot);

  // ---- ids, names, queries ----
  virtual std::string _new_shape_id(ShapeType shape_type);
  virtual std::string _generate_shape_name(ShapeType shape_type);
  ManagedShapePtr get_shape(const std::string& shape_id) const;
  // In registry order, hidden components where the rules list them.
  std::vector<std::string> get_all_shape_ids() const;

  // ---- edits every entry takes ----
  bool update_shape_color(const std::string& shape_id, const Color& color);
  bool rename_shape(const std::string& shape_id, const std::string& new_name);
  bool remove_shape(const std::string& shape_id);
  void clear_all();

  const Registry& _shapes() const { return shapes_.map(); }
  services::Hathel& _undo_redo() { return undo_redo_; }

  // The whole model as it stands: each entry (the object itself and its
  // fields as they are now) under its key, and both undo stacks.
  struct ModelBackup {
    std::vector<std::pair<std::string, ManagedShapePtr>> keys;
    std::vector<ManagedShape> fields;
    services::CommandList undo, redo;
  };
  ModelBackup _backup_model();
  // Puts a backup back in place of whatever the registry and the stacks
  // hold now; calls no hook.
  void _restore_model(const ModelBackup& backup);

 protected:
  explicit CoreManager(EditRules rules);
  // Null when `id` is not registered.
  ManagedShapePtr find(const std::string& id) const { return shapes_.get(id); }
  // _new_shape_id, drawn again while it names a registered shape.
  std::string free_shape_id(ShapeType t);
  // A new top-level entry under a free id (drawn after its name), registered
  // with one command and the created hook.
  ManagedShapePtr register_new(const std::string& description, ShapeType type, std::string name,
                               const TopoDS_Shape& shape, const Color& color, RecordPtr properties);

  NamedRegistry shapes_;
  services::Hathel undo_redo_;

 private:
  EditRules rules_;
};

}  // namespace nimbal::managers
