#include "nimbal/services/hathel.hpp"

#include <algorithm>

#include "nimbal/errors.hpp"

namespace nimbal::services {

bool operator==(const ShapeSnapshot& a, const ShapeSnapshot& b) {
  const auto& x = a.properties;
  const auto& y = b.properties;
  const bool same_record = x == y || (x && y && models::equal(*x, *y));
  return a.shape_id == b.shape_id && a.shape.IsSame(b.shape) && a.shape_type == b.shape_type &&
         a.name == b.name && a.color == b.color && same_record && a.component_ids == b.component_ids &&
         a.parent_id == b.parent_id;
}

const SnapshotPtr& state_entry(const State& state, const std::string& key) {
  const SnapshotPtr* v = state.find(key);
  if (!v) throw NotFound(key);
  return *v;
}

void erase_state_entry(State& state, const std::string& key) {
  if (!state.erase(key)) throw NotFound(key);
}

std::string text_form(const State& state, const models::TextStyle& style, const SnapshotText& snapshot) {
  return dict_text_form(state, style.text, snapshot);
}

std::string text_form(const UndoCommand& cmd, const models::TextStyle& style, const SnapshotText& snapshot) {
  return "_UndoCommand(description=" + style.text(cmd.description) + ", before=" +
         text_form(*cmd.before, style, snapshot) + ", after=" + text_form(*cmd.after, style, snapshot) +
         ", redo_clears_all=" + (cmd.redo_clears_all ? "True" : "False") + ")";
}

std::string snapshot_text_form(const std::function<std::string(const char* field)>& field) {
  std::string s;
  for (const char* f : snapshot_fields) s += (s.empty() ? "" : ", ") + std::string(f) + "=" + field(f);
  return "_ShapeSnapshot(" + s + ")";
}

CommandPtr make_command(std::string description, StatePtr before, StatePtr after, bool redo_clears_all) {
  auto c = std::make_shared<UndoCommand>();
  c->description = std::move(description);
  if (before) c->before = std::move(before);
  if (after) c->after = std::move(after);
  c->redo_clears_all = redo_clears_all;
  return c;
}

Hathel::Hathel(ApplyState apply_state, OnChange on_change, OnRedoClearsAll on_redo_clears_all,
               long long max_steps)
    : apply_state_(std::move(apply_state)),
      on_change_(std::move(on_change)),
      on_redo_clears_all_(std::move(on_redo_clears_all)),
      max_steps_(max_steps) {}

void Hathel::changed() {
  if (on_change_) on_change_(can_undo(), can_redo());
}

void Hathel::move_command(const CommandPtr& cmd, CommandList& from, CommandList& to) {
  auto it = std::find(from.rbegin(), from.rend(), cmd);
  if (it != from.rend()) from.erase(std::next(it).base());
  to.push_back(cmd);
}

void Hathel::push(CommandPtr cmd) {
  undo_.push_back(std::move(cmd));
  if (static_cast<long long>(undo_.size()) > max_steps_) undo_.erase(undo_.begin());
  redo_.clear();
  changed();
}

void Hathel::undo() {
  if (undo_.empty()) return;
  CommandPtr cmd = undo_.back();
  // The state is held here: the callback may replace the command's own.
  if (apply_state_) apply_state_(StatePtr(cmd->before));
  move_command(cmd, undo_, redo_);
  changed();
}

void Hathel::redo() {
  if (redo_.empty()) return;
  CommandPtr cmd = redo_.back();
  if (cmd->redo_clears_all && on_redo_clears_all_)
    on_redo_clears_all_();
  else if (apply_state_)
    apply_state_(StatePtr(cmd->after));
  move_command(cmd, redo_, undo_);
  changed();
}

void Hathel::clear() {
  undo_.clear();
  redo_.clear();
  if (on_change_) on_change_(false, false);
}

void Hathel::trim_to(long long depth) {
  const auto n = static_cast<long long>(undo_.size());
  long long start = depth < 0 ? std::max(0LL, n + depth) : std::min(depth, n);
  undo_.erase(undo_.begin() + start, undo_.end());
  redo_.clear();
  changed();
}

CommandPtr Hathel::peek_last() const { return undo_.empty() ? nullptr : undo_.back(); }

CommandPtr Hathel::pop_last() {
  if (undo_.empty()) return nullptr;
  CommandPtr cmd = undo_.back();
  undo_.pop_back();
  changed();
  return cmd;
}

}  // namespace nimbal::services
