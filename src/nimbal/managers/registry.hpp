// Registry mechanics both managers share: display prefixes, shape ids drawn
// until free, the states and commands of the undo stacks, the edits every
// entry takes the same way (colour, name, removal, clearing), and the
// restoring of registry entries from undo snapshots. Each manager calls its
// own hooks around these; the rules here are the same for both, and where
// the managers differ the difference is a parameter.
#pragma once

#include <cctype>
#include <cstdint>
#include <functional>
#include <queue>
#include <random>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "nimbal/errors.hpp"
#include "nimbal/managers/corvath.hpp"

namespace nimbal::managers::registry {

// The record as its class `T`; null when it is of another class.
template <class T>
const T* as(const Quenby& rec) {
  return rec.is<T>() ? static_cast<const T*>(&rec) : nullptr;
}

inline bool is_boolean(ShapeType t) { return t == ShapeType::UNION || t == ShapeType::SUBTRACTION; }

// "Box_", "Sketch_polyline_": the value with its first letter raised and the
// rest lowered.
inline std::string display_prefix(ShapeType t) {
  std::string prefix(enum_value(t));
  for (std::size_t i = 0; i < prefix.size(); ++i)
    prefix[i] = i == 0 ? static_cast<char>(std::toupper(static_cast<unsigned char>(prefix[i])))
                       : static_cast<char>(std::tolower(static_cast<unsigned char>(prefix[i])));
  return prefix + '_';
}

// Whether the code point is white space as the host's str.isspace() (and so
// str.strip() and int()) sees it: the Unicode White_Space characters and the
// four ASCII separators 0x1c to 0x1f.
constexpr bool is_white_space(char32_t c) {
  return c == ' ' || (c >= '\t' && c <= '\r') || (c >= 0x1c && c <= 0x1f) || c == 0x85 || c == 0xa0 ||
         c == 0x1680 || (c >= 0x2000 && c <= 0x200a) || c == 0x2028 || c == 0x2029 || c == 0x202f ||
         c == 0x205f || c == 0x3000;
}

// The byte length of the UTF-8 white space character that starts at `at`
// in `text`, or 0 when none does. Text from the host is well-formed UTF-8;
// a stray byte simply is no white space.
inline std::size_t white_space_at(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x80) return is_white_space(lead) ? 1 : 0;
  const std::size_t n = lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc0 ? 2 : 0;
  if (n == 0 || at + n > text.size()) return 0;
  char32_t c = lead & (0x7f >> n);
  for (std::size_t i = 1; i < n; ++i) {
    if ((byte(at + i) & 0xc0) != 0x80) return 0;
    c = (c << 6) | (byte(at + i) & 0x3f);
  }
  return is_white_space(c) ? n : 0;
}

// `text` without surrounding white space, as str.strip() leaves it.
inline std::string_view stripped_view(std::string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e) {
    const std::size_t n = white_space_at(text, b);
    if (n == 0) break;
    b += n;
  }
  while (e > b) {
    // The last character starts at the last byte that is no continuation
    // byte (at most four back).
    std::size_t start = e - 1;
    while (start > b && e - start < 4 && (static_cast<unsigned char>(text[start]) & 0xc0) == 0x80) --start;
    if (white_space_at(text.substr(0, e), start) != e - start) break;
    e = start;
  }
  return text.substr(b, e - b);
}

inline std::string stripped(const std::string& text) { return std::string(stripped_view(text)); }

// Whether `text` spells a positive integer as the host language's int()
// reads text (surrounding white space, one sign, decimal digits with single
// underscores between them), of any length; `digits` gets its value without
// leading zeros.
inline bool positive_decimal(std::string_view text, std::string& digits) {
  text = stripped_view(text);
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  digits.clear();
  bool last_digit = false;
  for (const char c : text) {
    if (c >= '0' && c <= '9') {
      if (!(digits.empty() && c == '0')) digits += c;
      last_digit = true;
    } else if (c == '_' && last_digit) {
      last_digit = false;
    } else {
      return false;
    }
  }
  return last_digit && !negative && !digits.empty();
}

// One more than the decimal `digits`.
inline std::string decimal_successor(std::string digits) {
  std::size_t i = digits.size();
  while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
  if (i == 0) return '1' + digits;
  ++digits[i - 1];
  return digits;
}

inline std::string display_name(ShapeType t, const NameIndex& names) {
  return display_prefix(t) + decimal_successor(names.highest(t));
}

// The type's value, "_", and eight hex digits: the first eight of a
// version-4 UUID are 32 random bits.
inline std::string random_shape_id(ShapeType t) {
  static thread_local std::mt19937 rng{std::random_device{}()};
  static const char* hex = "0123456789abcdef";
  const std::uint32_t bits = rng();
  std::string id(enum_value(t));
  id += '_';
  for (int shift = 28; shift >= 0; shift -= 4) id += hex[(bits >> shift) & 0xF];
  return id;
}

// An id from `draw`, drawn again while it names a registered entry (or one
// of `taken`, ids handed out for entries not registered yet): a clash would
// silently replace that entry. The bound only matters for a drawing override
// that keeps answering a taken id.
inline std::string free_shape_id(const NamedRegistry& shapes, ShapeType t,
                                 const std::function<std::string(ShapeType)>& draw,
                                 const std::unordered_set<std::string>* taken = nullptr) {
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::string id = draw(t);
    if (!shapes.contains(id) && !(taken && taken->count(id))) return id;
  }
  throw NotFound("no free shape id could be drawn for type '" + std::string(enum_value(t)) + "'");
}

// ---- states and commands ----

inline StatePtr new_state() { return std::make_shared<State>(); }
// A state of one entry.
StatePtr single(const std::string& id, SnapshotPtr snapshot);
// Every key of `src` mapped to none, in order.
StatePtr all_none(const State& src);
// An undo command; a null state stands for an empty one.
services::CommandPtr command(const std::string& description, StatePtr before, StatePtr after,
                             bool redo_clears_all);

// Calls `visit` on `ms`, then on each component's subtree in order
// (pre-order), each entry once and without recursion: a component list
// that a host made reach back to an ancestor must neither spin nor overflow.
template <class Visit>
void for_each_in_tree(const ManagedShape& ms, Visit&& visit) {
  std::unordered_set<const ManagedShape*> seen;
  std::vector<const ManagedShape*> todo{&ms};
  while (!todo.empty()) {
    const ManagedShape* s = todo.back();
    todo.pop_back();
    if (!seen.insert(s).second) continue;
    visit(*s);
    for (auto it = s->components.rbegin(); it != s->components.rend(); ++it)
      if (*it) todo.push_back(it->get());
  }
}

// The snapshots of `ms` and of each component's subtree, pre-order, each
// entry once.
void collect_snapshots(const ManagedShape& ms, State& out);
// Drops the entries below `ms` (not `ms`), each once.
void drop_component_subtree(NamedRegistry& shapes, const ManagedShape& ms);

// Registry order; hidden components left out when `top_level_only`.
std::vector<std::string> shape_ids(const NamedRegistry& shapes, bool top_level_only);

// Each id once, at its first place. A host's selection lists an object once
// per picked edge or face; a shape combined with itself is no union and
// subtracted from itself leaves nothing.
std::vector<std::string> first_occurrences(const std::vector<std::string>& shape_ids);

// The top-level entries a union or subtraction of `shape_ids` (each id once,
// as first_occurrences gives them) takes, in argument order; none when
// fewer than two are given or accepted.
std::vector<ManagedShapePtr> combination_inputs(const NamedRegistry& shapes,
                                                const std::vector<std::string>& shape_ids);

// ---- results of the kernel ----

// Whether a shape the kernel computed may be registered as an operation's
// result: not null, and valid by the kernel's checker. Booleans and fillets
// can hand back a shape the checker refuses while reporting success; such a
// shape breaks every operation built on it later. A shape with a vertex
// that is not finite is not valid (and is never given to the checker, which
// does not survive such geometry).
bool valid_result(const TopoDS_Shape& shape);

// What a union or subtraction keeps once its result went through the merge
// of same-domain sub-shapes: `merged` when it is valid; else `folded`, the
// result before the merge, when that is (the merge only cleans up); else
// null.
TopoDS_Shape checked_merge(const TopoDS_Shape& folded, const TopoDS_Shape& merged);

// The undo stacks of a manager, calling back into its own (overridable)
// state application, hook and redo-of-clear.
template <class Manager>
services::Hathel undo_stacks(Manager& m) {
  return services::Hathel([&m](const StatePtr& s) { m._apply_state(s); },
                          [&m](bool u, bool r) { m._notify_undo_redo_changed(u, r); },
                          [&m] { m._on_redo_clears_all(); });
}

// ---- edits every entry takes the same way ----

// Registers a new top-level entry with one command ("before" none) and the
// created hook.
template <class Manager>
const ManagedShapePtr& register_created(Manager& m, NamedRegistry& shapes, const ManagedShapePtr& ms,
                                        const std::string& description) {
  shapes.add(ms);
  m._push_undo(description, single(ms->shape_id, nullptr), single(ms->shape_id, snapshot_of(*ms)));
  m._notify_shape_created(ms->shape_id, ms);
  return ms;
}

// A new entry of a union or subtraction, drawn its id, then its name, through
// the manager's (overridable) drawing.
template <class Manager>
ManagedShapePtr combination_entry(Manager& m, const NamedRegistry& shapes, ShapeType type, const TopoDS_Shape& shape,
                                  const Color& color, RecordPtr properties) {
  auto ms = std::make_shared<ManagedShape>();
  ms->shape_id = free_shape_id(shapes, type, [&m](ShapeType t) { return m._new_shape_id(t); });
  ms->name = m._generate_shape_name(type);
  ms->shape = shape;
  ms->shape_type = type;
  ms->color = color;
  ms->properties = std::move(properties);
  return ms;
}

// The before state of a combination: each input's snapshot.
inline StatePtr combination_before(const std::vector<ManagedShapePtr>& inputs) {
  auto before = new_state();
  for (const auto& in : inputs) before->set(in->shape_id, snapshot_of(*in));
  return before;
}

// One entry edited in place by `edit`, recorded as one command and reported
// updated.
template <class Manager, class Edit>
void record_edit(Manager& m, const std::string& shape_id, const ManagedShapePtr& ms, const std::string& description,
                 Edit&& edit) {
  SnapshotPtr before = snapshot_of(*ms);
  edit();
  m._push_undo(description, single(shape_id, std::move(before)), single(shape_id, snapshot_of(*ms)));
  m._notify_shape_updated(shape_id, ms);
}

template <class Manager>
bool change_color(Manager& m, const NamedRegistry& shapes, const std::string& shape_id, const Color& color,
                  HiddenEdit hidden) {
  ManagedShapePtr ms = shapes.get(shape_id);
  if (!ms) return false;
  if (hidden == HiddenEdit::Silent && !ms->top_level()) {
    ms->color = color;
    return true;
  }
  record_edit(m, shape_id, ms, "Change color of " + ms->name, [&] { ms->color = color; });
  return true;
}

// False for a name that is empty once stripped or an unknown id; true, with
// nothing recorded, when the name is already that.
template <class Manager>
bool rename(Manager& m, NamedRegistry& shapes, const std::string& shape_id, const std::string& new_name,
            RenameText text) {
  const std::string name = stripped(new_name);
  ManagedShapePtr ms = shapes.get(shape_id);
  if (name.empty() || !ms) return false;
  if (ms->name == name) return true;
  const std::string description =
      text == RenameText::NewName ? "Rename to " + name : "Rename " + ms->name + " to " + name;
  record_edit(m, shape_id, ms, description, [&] { shapes.rename(*ms, name); });
  return true;
}

// Drops the entry `shape_id`, `ms` (with its subtree when asked), and
// reports it removed.
template <class Manager>
void drop_and_report(Manager& m, NamedRegistry& shapes, const std::string& shape_id, const ManagedShape& ms,
                     Removal removal) {
  if (removal == Removal::WithComponents) drop_component_subtree(shapes, ms);
  shapes.drop(shape_id);
  m._notify_shape_removed(shape_id);
}

// Removes a top-level entry with one command "Remove " + name. A hidden
// component goes only with what holds it: removed alone, its holder would
// list an entry no longer registered.
template <class Manager>
bool remove(Manager& m, NamedRegistry& shapes, const std::string& shape_id, Removal removal) {
  ManagedShapePtr ms = shapes.get(shape_id);
  if (!ms || !ms->top_level()) return false;
  auto before = new_state();
  if (removal == Removal::WithComponents)
    collect_snapshots(*ms, *before);
  else
    before->set(shape_id, snapshot_of(*ms));
  m._push_undo("Remove " + ms->name, before, all_none(*before));
  drop_and_report(m, shapes, shape_id, *ms, removal);
  return true;
}

// The registry emptied and reported cleared (no hook per entry).
template <class Manager>
void clear_and_report(Manager& m, NamedRegistry& shapes) {
  shapes.clear();
  m._notify_all_cleared();
}

// Empties the registry with one command whose redo empties it again.
template <class Manager>
void clear_all(Manager& m, NamedRegistry& shapes, const std::string& description) {
  auto before = new_state();
  for (const auto& kv : shapes) before->set(kv.first, snapshot_of(*kv.second));
  m._push_undo(description, before, all_none(*before), /*redo_clears_all=*/true);
  clear_and_report(m, shapes);
}

// The common end of a decomposition once `after` holds the promoted
// components: the command, the decomposed entry dropped and reported
// removed, each promoted one still registered reported created.
template <class Manager>
void finish_decomposition(Manager& m, NamedRegistry& shapes, const std::string& shape_id, const ManagedShape& ms,
                          const StatePtr& before, const StatePtr& after, const std::vector<std::string>& promoted) {
  m._push_undo("Decompose " + ms.name, before, after);
  shapes.drop(shape_id);
  m._notify_shape_removed(shape_id);
  for (const std::string& id : promoted)
    if (ManagedShapePtr p = shapes.get(id)) m._notify_shape_created(id, p);
}

using Entry = std::pair<std::string, SnapshotPtr>;

// The hidden entries of a state (snapshots with a parent), in the order they
// are restored: each after the entries of the same pass that it lists as
// components, otherwise in state order. In plain state order an entry that
// precedes its own components (an input removed and brought back, then a
// clear-all undone) would be rebuilt without them.
inline std::vector<Entry> hidden_restore_order(const State& state) {
  std::vector<Entry> hidden;
  for (const auto& [id, snap] : state)
    if (snap && snap->parent_id) hidden.emplace_back(id, snap);
  if (hidden.size() < 2) return hidden;
  std::unordered_map<std::string, std::size_t> pos;
  for (std::size_t i = 0; i < hidden.size(); ++i) pos.emplace(hidden[i].first, i);
  std::vector<std::size_t> pending(hidden.size(), 0);
  std::vector<std::vector<std::size_t>> dependents(hidden.size());
  for (std::size_t i = 0; i < hidden.size(); ++i)
    for (const std::string& cid : hidden[i].second->component_ids) {
      auto it = pos.find(cid);
      if (it == pos.end()) continue;
      ++pending[i];
      dependents[it->second].push_back(i);
    }
  std::priority_queue<std::size_t, std::vector<std::size_t>, std::greater<>> ready;
  for (std::size_t i = 0; i < hidden.size(); ++i)
    if (pending[i] == 0) ready.push(i);
  std::vector<bool> done(hidden.size(), false);
  std::vector<Entry> order;
  order.reserve(hidden.size());
  std::size_t scan = 0;
  while (order.size() < hidden.size()) {
    std::size_t i;
    if (!ready.empty()) {
      i = ready.top();
      ready.pop();
      if (done[i]) continue;
    } else {
      // Entries that list one another: take the first one left.
      while (done[scan]) ++scan;
      i = scan;
    }
    done[i] = true;
    order.push_back(hidden[i]);
    for (std::size_t d : dependents[i])
      if (pending[d] > 0 && --pending[d] == 0 && !done[d]) ready.push(d);
  }
  return order;
}

// Which hook a restored entry calls.
enum class Restored { Created, CreatedHidden, Updated, Hidden, Revealed, StillHidden };

// Creates or overwrites the entry `shape_id` from `snapshot`. A present
// entry stays the same object (every component list that holds it sees the
// change); an absent one goes to the end.
inline std::pair<ManagedShapePtr, Restored> restore_entry(NamedRegistry& shapes, const std::string& shape_id,
                                                          const services::ShapeSnapshot& snapshot) {
  ComponentList components;
  for (const std::string& cid : snapshot.component_ids)
    if (const ManagedShapePtr* c = shapes.find(cid)) components.push_back(*c);
  // The live entry gets its own record: editing it in place must not rewrite
  // the snapshot that stays on the stack.
  RecordPtr props = snapshot.properties ? snapshot.properties->clone() : nullptr;

  const ManagedShapePtr* found = shapes.find(shape_id);
  ManagedShapePtr ms = found ? *found : std::make_shared<ManagedShape>();
  const bool was_hidden = found && !ms->top_level();
  const bool now_hidden = snapshot.parent_id.has_value();
  if (found) {
    shapes.rename(*ms, snapshot.name);
  } else {
    ms->shape_id = snapshot.shape_id;
    ms->name = snapshot.name;
  }
  ms->shape = snapshot.shape;
  ms->shape_type = snapshot.shape_type;
  ms->color = snapshot.color;
  ms->properties = std::move(props);
  ms->components = std::move(components);
  ms->parent_id = snapshot.parent_id;
  if (!found) {
    shapes.add(shape_id, ms);
    // A registered holder that still lists an earlier object under this id
    // now lists the registered one.
    if (ms->parent_id)
      if (const ManagedShapePtr* holder = shapes.find(*ms->parent_id))
        for (auto& c : (*holder)->components)
          if (c && c != ms && c->shape_id == shape_id) c = ms;
    return {ms, now_hidden ? Restored::CreatedHidden : Restored::Created};
  }
  if (!was_hidden) return {ms, now_hidden ? Restored::Hidden : Restored::Updated};
  return {ms, now_hidden ? Restored::StillHidden : Restored::Revealed};
}

// The common end of a union or subtraction in either manager, once `result`
// carries its id, name, shape, type, colour and record: the inputs become
// its hidden components, every registered id of `shape_ids` (each once, as
// first_occurrences gives them) is reported removed in argument order, the
// result is registered and
// reported, and one command with the before and after states is recorded.
template <class Manager>
void register_combination(Manager& m, NamedRegistry& shapes, const ManagedShapePtr& result,
                          const std::vector<ManagedShapePtr>& inputs, const std::vector<std::string>& shape_ids,
                          const StatePtr& before, const std::string& description) {
  result->components.assign(inputs.begin(), inputs.end());
  for (const auto& in : inputs) in->parent_id = result->shape_id;
  for (const std::string& id : shape_ids)
    if (shapes.contains(id)) m._notify_shape_removed(id);
  shapes.add(result);
  m._notify_shape_created(result->shape_id, result);
  before->set(result->shape_id, nullptr);
  auto after = std::make_shared<State>();
  for (const auto& in : inputs) after->set(in->shape_id, snapshot_of(*in));
  after->set(result->shape_id, snapshot_of(*result));
  m._push_undo(description, before, after);
}

// Restores one entry and calls the manager's hook for what the restore did
// to the host's view: shown, changed, or hidden. A null snapshot is refused:
// no state holds one for an entry to restore.
template <class Manager>
void restore_and_report(Manager& m, NamedRegistry& shapes, const std::string& shape_id, const SnapshotPtr& snapshot) {
  if (!snapshot) throw WrongType("snapshot must be a _ShapeSnapshot");
  auto [ms, change] = restore_entry(shapes, shape_id, *snapshot);
  switch (change) {
    case Restored::Created:
    case Restored::Revealed: m._notify_shape_created(shape_id, ms); break;
    case Restored::Updated: m._notify_shape_updated(shape_id, ms); break;
    case Restored::Hidden: m._notify_shape_removed(shape_id); break;
    case Restored::CreatedHidden:
    case Restored::StillHidden: break;
  }
}

// A manager's state application, in three passes: removals, hidden entries
// (after the entries they list), top-level entries. Entries are restored
// through the manager's own (overridable) _restore_from_snapshot.
template <class Manager>
void apply_state(Manager& m, NamedRegistry& shapes, const StatePtr& state_ptr) {
  if (!state_ptr) return;
  // A copy: a hook may replace or clear the command's state while it is
  // being applied.
  const State state = *state_ptr;
  for (const auto& [id, snap] : state) {
    if (snap) continue;
    const ManagedShapePtr* found = shapes.find(id);
    if (!found) continue;
    const bool was_top_level = (*found)->top_level();
    shapes.drop(id);
    if (was_top_level) m._notify_shape_removed(id);
  }
  for (const auto& [id, snap] : hidden_restore_order(state)) m._restore_from_snapshot(id, snap);
  for (const auto& [id, snap] : state)
    if (snap && !snap->parent_id) m._restore_from_snapshot(id, snap);
}

}  // namespace nimbal::managers::registry
