// What the selection service last made pickable on an interactive context.
// The view service and the selection service share a context but not each
// other: the selection service publishes its state here, and every path of
// the view service that displays an object again applies it, so a shown,
// re-shown or replaced presentation is pickable exactly as the others are.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include <AIS_InteractiveContext.hxx>
#include <AIS_InteractiveObject.hxx>

namespace nimbal::selection {

struct State {
  bool enabled = true;
  std::optional<int> mode;  // kernel selection mode; none: nothing is activated
  std::vector<Handle(AIS_InteractiveObject)> excluded;

  bool is_excluded(const Handle(AIS_InteractiveObject)& obj) const;
};

// Makes `state` the one in force on `context` (the owner keeps it alive and
// the context with it; the entry ends with the owner).
void publish(const Handle(AIS_InteractiveContext)& context, const std::shared_ptr<State>& state);

// The state in force on `context`, or null when no selection service set one.
std::shared_ptr<State> in_force(const Handle(AIS_InteractiveContext)& context);

// The kernel selection mode `obj` should be displayed with: -1 (none) when
// the state keeps it (or the presentation it replaces) unpickable, or when
// no state is in force.
int display_mode_for(const Handle(AIS_InteractiveContext)& context, const Handle(AIS_InteractiveObject)& obj,
                     const Handle(AIS_InteractiveObject)& replaced = {});

// A presentation replaced by another (the same shape id displayed again):
// the new one takes the old one's place in the exclusion list in force.
void replace(const Handle(AIS_InteractiveContext)& context, const Handle(AIS_InteractiveObject)& old_obj,
             const Handle(AIS_InteractiveObject)& new_obj);

// After a display that let the kernel pick the modes itself: leaves `obj`
// with exactly the modes the state in force gives it. Without a state,
// nothing changes.
void apply(const Handle(AIS_InteractiveContext)& context, const Handle(AIS_InteractiveObject)& obj);

}  // namespace nimbal::selection
