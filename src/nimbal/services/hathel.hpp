// Undo history: snapshots of managed shapes, undoable commands holding the
// states before and after an edit, and the bounded undo/redo stacks that
// drive a manager through three callbacks.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <TopoDS_Shape.hxx>

#include "nimbal/enums.hpp"
#include "nimbal/models/quenby.hpp"
#include "nimbal/ordered_map.hpp"

namespace nimbal::services {

using Color = std::array<double, 3>;

struct IdList : std::vector<std::string> {
  using std::vector<std::string>::vector;
};

// The state of one managed shape at one moment. The kernel shape is shared,
// the property record is the snapshot's own copy.
struct ShapeSnapshot {
  std::string shape_id;
  TopoDS_Shape shape;  // null: the shape had no geometry
  ShapeType shape_type = ShapeType::BOX;
  std::string name;
  Color color{0.0, 0.0, 0.0};
  std::shared_ptr<models::Quenby> properties;
  IdList component_ids;
  std::optional<std::string> parent_id;
};
using SnapshotPtr = std::shared_ptr<ShapeSnapshot>;

// The snapshot's fields by name, in declaration order, for listings such as
// a text form.
inline constexpr const char* snapshot_fields[] = {"shape_id", "shape",      "shape_type",    "name",
                                                  "color",    "properties", "component_ids", "parent_id"};

// Field by field; the kernel shapes are the same shape, the records equal
// (or both absent).
bool operator==(const ShapeSnapshot& a, const ShapeSnapshot& b);

// Shape id -> snapshot (the shape must exist so) or null (it must not exist).
using State = OrderedMap<std::string, SnapshotPtr>;
using StatePtr = std::shared_ptr<State>;

// The entry for `key`, and its removal; both throw NotFound (the key) when
// there is none.
const SnapshotPtr& state_entry(const State& state, const std::string& key);
void erase_state_entry(State& state, const std::string& key);

struct UndoCommand {
  std::string description;
  StatePtr before = std::make_shared<State>();
  StatePtr after = std::make_shared<State>();
  bool redo_clears_all = false;
};

// Text forms as the host writes them. `snapshot` writes one snapshot (a
// null one too: the host's None); a state reads as the host's dict of it.
using SnapshotText = std::function<std::string(const SnapshotPtr&)>;
std::string text_form(const State& state, const models::TextStyle& style, const SnapshotText& snapshot);
std::string text_form(const UndoCommand& cmd, const models::TextStyle& style, const SnapshotText& snapshot);
// "_ShapeSnapshot(shape_id=..., ...)", each field (of snapshot_fields) as
// `field` writes it.
std::string snapshot_text_form(const std::function<std::string(const char* field)>& field);
using CommandPtr = std::shared_ptr<UndoCommand>;
// A command as a host builds one; a null state is an empty one.
CommandPtr make_command(std::string description, StatePtr before, StatePtr after, bool redo_clears_all);

struct CommandList : std::vector<CommandPtr> {
  using std::vector<CommandPtr>::vector;
};

constexpr long long MAX_UNDO_STEPS = 50;

class Hathel {
 public:
  using ApplyState = std::function<void(const StatePtr&)>;
  using OnChange = std::function<void(bool can_undo, bool can_redo)>;
  using OnRedoClearsAll = std::function<void()>;

  Hathel(ApplyState apply_state, OnChange on_change, OnRedoClearsAll on_redo_clears_all = {},
         long long max_steps = MAX_UNDO_STEPS);

  bool can_undo() const { return !undo_.empty(); }
  bool can_redo() const { return !redo_.empty(); }

  void push(CommandPtr cmd);
  void undo();
  void redo();
  void clear();
  long long depth() const { return static_cast<long long>(undo_.size()); }
  // Python slice rules: negative counts from the newest end.
  void trim_to(long long depth);
  CommandPtr peek_last() const;
  CommandPtr pop_last();

  CommandList& undo_stack() { return undo_; }
  CommandList& redo_stack() { return redo_; }
  long long max_steps() const { return max_steps_; }
  const ApplyState& apply_state_callback() const { return apply_state_; }
  const OnChange& on_change_callback() const { return on_change_; }
  const OnRedoClearsAll& on_redo_clears_all_callback() const { return on_redo_clears_all_; }

 private:
  void changed();
  // Moves `cmd` from the end of `from` to `to`; a callback that changed the
  // stacks meanwhile cannot make it move another command.
  static void move_command(const CommandPtr& cmd, CommandList& from, CommandList& to);

  ApplyState apply_state_;
  OnChange on_change_;
  OnRedoClearsAll on_redo_clears_all_;
  long long max_steps_;
  CommandList undo_;
  CommandList redo_;
};

}  // namespace nimbal::services
