#include "nimbal/selection_state.hpp"

#include <algorithm>
#include <mutex>
#include <unordered_map>

#include <TColStd_ListOfInteger.hxx>

namespace nimbal::selection {

namespace {

// Keyed by address: a live entry's owner holds the context, so the address
// cannot be reused while the entry can be reached.
std::mutex registry_mutex;
std::unordered_map<const AIS_InteractiveContext*, std::weak_ptr<State>>& registry() {
  static auto* table = new std::unordered_map<const AIS_InteractiveContext*, std::weak_ptr<State>>();
  return *table;
}

}  // namespace

bool State::is_excluded(const Handle(AIS_InteractiveObject)& obj) const {
  return std::find(excluded.begin(), excluded.end(), obj) != excluded.end();
}

void publish(const Handle(AIS_InteractiveContext)& context, const std::shared_ptr<State>& state) {
  if (context.IsNull()) return;
  std::lock_guard<std::mutex> lock(registry_mutex);
  auto& table = registry();
  for (auto it = table.begin(); it != table.end();) it = it->second.expired() ? table.erase(it) : std::next(it);
  table[context.get()] = state;
}

std::shared_ptr<State> in_force(const Handle(AIS_InteractiveContext)& context) {
  if (context.IsNull()) return nullptr;
  std::lock_guard<std::mutex> lock(registry_mutex);
  auto& table = registry();
  auto it = table.find(context.get());
  return it == table.end() ? nullptr : it->second.lock();
}

int display_mode_for(const Handle(AIS_InteractiveContext)& context, const Handle(AIS_InteractiveObject)& obj,
                     const Handle(AIS_InteractiveObject)& replaced) {
  auto state = in_force(context);
  if (!state || !state->enabled || !state->mode || state->is_excluded(obj)) return -1;
  if (!replaced.IsNull() && state->is_excluded(replaced)) return -1;
  return *state->mode;
}

void replace(const Handle(AIS_InteractiveContext)& context, const Handle(AIS_InteractiveObject)& old_obj,
             const Handle(AIS_InteractiveObject)& new_obj) {
  auto state = in_force(context);
  if (!state || old_obj.IsNull()) return;
  auto& excluded = state->excluded;
  std::replace(excluded.begin(), excluded.end(), old_obj, new_obj);
}

void apply(const Handle(AIS_InteractiveContext)& context, const Handle(AIS_InteractiveObject)& obj) {
  auto state = in_force(context);
  if (!state || obj.IsNull()) return;
  const int mode = display_mode_for(context, obj);
  TColStd_ListOfInteger active;
  context->ActivatedModes(obj, active);
  if (mode < 0 ? active.IsEmpty() : (active.Size() == 1 && active.First() == mode)) return;
  context->Deactivate(obj);
  if (mode >= 0) context->Activate(obj, mode, false);
}

}  // namespace nimbal::selection
