#include "nimbal/services/pikalo.hpp"

#include <AIS_NListOfEntityOwner.hxx>
#include <AIS_SelectionScheme.hxx>
#include <Prs3d_Drawer.hxx>
#include <Prs3d_TypeOfHighlight.hxx>
#include <Quantity_Color.hxx>
#include <SelectMgr_EntityOwner.hxx>
#include <Standard_Failure.hxx>
#include <StdSelect_BRepOwner.hxx>
#include <StdSelect_ViewerSelector3d.hxx>
#include <TopExp.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <V3d_Viewer.hxx>

#include <algorithm>

#include "nimbal/errors.hpp"
#include "nimbal/kernel.hpp"
#include "nimbal/log.hpp"

namespace nimbal::services {

namespace {

constexpr log::Logger lg(pikalo_errors::logger);

[[noreturn]] void no_attribute(const char* member) {
  throw nimbal::MissingMember(std::string("'NoneType' object has no attribute '") + member + "'");
}

// The kernel dereferences the view's window while detecting; without one (or
// with a view of another viewer) it would crash instead of failing.
const Handle(V3d_View)& detecting_view(const Handle(V3d_View)& v, const Handle(AIS_InteractiveContext)& context) {
  if (v.IsNull()) throw nimbal::WrongType("MoveTo needs a V3d_View, not None");
  if (v->Window().IsNull()) throw nimbal::InvalidValue("MoveTo: the view has no window");
  if (v->Viewer() != context->CurrentViewer())
    throw nimbal::InvalidValue("MoveTo: the view belongs to another viewer than the context's");
  return v;
}

// A host value as T, None being the null value that matches nothing.
template <class T>
T none_or(const HostValue<T>& v, const char* kind) {
  if (v.is_none()) return T();
  if (auto value = v.get()) return *value;
  throw nimbal::WrongType(std::string(kind) + " needed, not '" + v.type_name() + "'");
}

Handle(AIS_InteractiveObject) object(const ObjectValue& v) { return none_or(v, "an AIS_InteractiveObject"); }
TopoDS_Shape shape(const MaybeShape& v) { return none_or(v, "a kernel shape"); }

}  // namespace

int kernel_mode(SelectionMode mode) {
  switch (mode) {
    case SelectionMode::VOLUME: return 0;
    case SelectionMode::SURFACE: return 4;
    case SelectionMode::EDGE: return 2;
    case SelectionMode::VERTEX: return 1;
  }
  return 0;
}


Pikalo::Pikalo(Handle(AIS_InteractiveContext) context) : context_(std::move(context)) {}

const Handle(AIS_InteractiveContext)& Pikalo::ctx(const char* member) const {
  if (context_.IsNull()) no_attribute(member);
  return context_;
}

AIS_NListOfEntityOwner Pikalo::active_owners() const {
  AIS_NListOfEntityOwner owners;
  const Handle(StdSelect_ViewerSelector3d)& selector = ctx("MainSelector")->MainSelector();
  if (selector.IsNull()) no_attribute("ActiveOwners");
  selector->ActiveOwners(owners);
  return owners;
}

// ---- modes, enabling, colours ----

void Pikalo::set_mode(std::optional<SelectionMode> mode) {
  mode_ = mode;  // kept whatever the sweep below does
  guarded(lg, "Error setting selection mode: ", [&] {
    // Everything is deactivated first, also for a value that names no mode.
    ctx("Deactivate")->Deactivate();
    state_->enabled = enabled_;
    state_->mode = mode ? std::optional<int>(kernel_mode(*mode)) : std::nullopt;
    selection::publish(context_, state_);
    if (!mode) throw nimbal::InvalidValue("not a selection mode");
    if (enabled_) {
      context_->Activate(*state_->mode, true);
      // Activate reached the excluded objects too.
      for (const auto& obj : state_->excluded) context_->Deactivate(obj);
    }
    configure_selection_colors();
  });
}

void Pikalo::set_enabled(bool enabled) {
  enabled_ = enabled;
  guarded(pikalo_errors::set_enabled, [&] {
    if (enabled) {
      set_mode(mode_);
    } else {
      ctx("Deactivate")->Deactivate();
      state_->enabled = false;
      selection::publish(context_, state_);
      context_->ClearSelected(true);
    }
  });
}

void Pikalo::configure_selection_colors() {
  guarded(lg, "Error configuring selection colors: ", [&] {
    const Quantity_Color red(Quantity_NOC_RED);
    const Quantity_Color cyan(Quantity_NOC_CYAN1);
    const std::pair<Prs3d_TypeOfHighlight, const Quantity_Color*> rows[] = {
        {Prs3d_TypeOfHighlight_Dynamic, &cyan},
        {Prs3d_TypeOfHighlight_Selected, &red},
        {Prs3d_TypeOfHighlight_LocalDynamic, &cyan},
        {Prs3d_TypeOfHighlight_LocalSelected, &red},
    };
    const auto& c = ctx("HighlightStyle");
    for (const auto& [type, color] : rows) {
      const Handle(Prs3d_Drawer)& style = c->HighlightStyle(type);
      if (!style.IsNull()) style->SetColor(*color);
    }
    c->SetToHilightSelected(true);
  });
}

// ---- exclusion, priorities, clearing ----

void Pikalo::exclude_from_selection(const Handle(AIS_InteractiveObject)& obj) {
  // A None in the list would fail every later sweep right after its Activate.
  if (obj.IsNull()) throw nimbal::WrongType("exclude_from_selection needs an interactive object, not None");
  state_->excluded.push_back(obj);
  const auto& c = ctx("Deactivate");
  selection::publish(c, state_);
  c->Deactivate(obj);
}

void Pikalo::remove_excluded(const ObjectValue& value) {
  const Handle(AIS_InteractiveObject) obj = value.get().value_or(Handle(AIS_InteractiveObject)());
  auto& excluded = state_->excluded;
  auto it = std::find(excluded.begin(), excluded.end(), obj);
  if (it != excluded.end()) excluded.erase(it);
}

void Pikalo::set_shape_selection_priority(const ObjectValue& obj, int priority) {
  guarded(pikalo_errors::set_shape_selection_priority, [&] {
    const AIS_NListOfEntityOwner owners = active_owners();
    const Handle(AIS_InteractiveObject) target = object(obj);
    for (const auto& owner : owners)
      if (!owner.IsNull() && owner->IsSameSelectable(target)) owner->SetPriority(priority);
  });
}

void Pikalo::clear() {
  guarded(lg, "Error clearing selection: ", [&] { ctx("ClearSelected")->ClearSelected(true); });
}

// ---- hover, pick, reading the selection ----

void Pikalo::move_to(Pixel x, Pixel y, const Handle(V3d_View)& view, bool update) {
  guarded(pikalo_errors::move_to, [&] {
    const auto& c = ctx("MoveTo");
    const auto& v = detecting_view(view, c);
    c->MoveTo(x, y, v, update);
  });
}

void Pikalo::select(Pixel x, Pixel y, const Handle(V3d_View)& view, bool replace) {
  guarded(pikalo_errors::select, [&] {
    const auto& c = ctx("MoveTo");
    const auto& v = detecting_view(view, c);
    c->MoveTo(x, y, v, true);
    // Replace, or toggle the detected entity; either way the viewer redraws.
    c->SelectDetected(replace ? AIS_SelectionScheme_Replace : AIS_SelectionScheme_XOR);
    c->UpdateCurrentViewer();
  });
}

std::optional<std::string> Pikalo::get_hovered_shape_id(const ShapeIdLookup& lumbra) {
  std::optional<std::string> result;
  guarded(lg, "Error getting hovered shape id: ", [&] {
    const auto& c = ctx("HasDetected");
    if (!c->HasDetected()) return;
    Handle(AIS_InteractiveObject) obj = c->DetectedInteractive();
    if (obj.IsNull()) return;
    const HostValue<std::string> answer = lumbra(obj);
    if (answer.is_none()) return;
    result = answer.get();
    if (!result)
      throw nimbal::WrongType("get_shape_id_for_ais_shape returned '" + answer.type_name() + "', not a str or None");
  });
  return result;
}

std::vector<Handle(AIS_InteractiveObject)> Pikalo::get_selected_shapes() {
  std::vector<Handle(AIS_InteractiveObject)> out;
  guarded(lg, "Error getting selected shapes: ", [&] {
    const auto& c = ctx("InitSelected");
    for (c->InitSelected(); c->MoreSelected(); c->NextSelected()) out.push_back(c->SelectedInteractive());
  });
  return out;
}

// ---- sub-shapes by index ----

void Pikalo::select_edges_by_index(const ObjectValue& ais_shape, const MaybeShape& base_shape,
                                   const std::set<long long>& indices) {
  select_by_index(TopAbs_EDGE, "Error pre-selecting edges: ", ais_shape, base_shape, indices);
}

void Pikalo::select_vertices_by_index(const ObjectValue& ais_shape, const MaybeShape& base_shape,
                                      const std::set<long long>& indices) {
  select_by_index(TopAbs_VERTEX, "Error pre-selecting vertices: ", ais_shape, base_shape, indices);
}

void Pikalo::select_by_index(TopAbs_ShapeEnum kind, const char* message, const ObjectValue& ais_shape,
                             const MaybeShape& base_shape, const std::set<long long>& indices) {
  if (indices.empty()) return;
  // Unguarded: a base shape the kernel cannot explore is the caller's error.
  TopTools_IndexedMapOfShape map;
  TopExp::MapShapes(shape(base_shape), kind, map);
  std::vector<TopoDS_Shape> targets;
  for (int i = 1; i <= map.Extent(); ++i)
    if (indices.count(i - 1)) targets.push_back(map.FindKey(i));
  if (targets.empty()) return;

  guarded(lg, message, [&] {
    const AIS_NListOfEntityOwner owners = active_owners();
    const auto& c = context_;  // not null: the owners came from it
    const Handle(AIS_InteractiveObject) target_obj = object(ais_shape);
    for (const auto& owner : owners) {
      Handle(StdSelect_BRepOwner) brep = Handle(StdSelect_BRepOwner)::DownCast(owner);
      if (brep.IsNull() || !brep->HasShape() || !brep->IsSameSelectable(target_obj)) continue;
      const TopoDS_Shape& sub = brep->Shape();
      for (const auto& t : targets) {
        if (sub.IsSame(t)) {
          c->AddOrRemoveSelected(owner, false);
          break;
        }
      }
    }
    c->UpdateCurrentViewer();
  });
}

std::vector<TopoDS_Shape> Pikalo::get_selected_subshapes() {
  std::vector<TopoDS_Shape> out;
  guarded(lg, "Error getting selected subshapes: ", [&] {
    const auto& c = ctx("InitSelected");
    for (c->InitSelected(); c->MoreSelected(); c->NextSelected()) {
      TopoDS_Shape s = c->SelectedShape();
      if (!s.IsNull()) out.push_back(s);
    }
  });
  return out;
}

std::vector<int> Pikalo::get_selected_edge_indices(const MaybeShape& base_shape) {
  return selected_indices(TopAbs_EDGE, base_shape);
}

std::vector<int> Pikalo::get_selected_vertex_indices(const MaybeShape& base_shape) {
  return selected_indices(TopAbs_VERTEX, base_shape);
}

std::vector<int> Pikalo::selected_indices(TopAbs_ShapeEnum kind, const MaybeShape& base_shape) {
  std::vector<TopoDS_Shape> selected = get_selected_subshapes();  // an override's answer counts
  std::vector<int> out;
  if (selected.empty()) return out;
  TopTools_IndexedMapOfShape map;
  TopExp::MapShapes(shape(base_shape), kind, map);
  for (const auto& s : selected) {
    int pos = map.FindIndex(s);
    if (pos > 0) out.push_back(pos - 1);
  }
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace nimbal::services
