// The selection service: drives interactive selection on the host's
// interactive context (modes, enabling, exclusion, priorities, highlight
// colours, hover and pick) and reads the selection back as objects, kernel
// sub-shapes and sub-shape indices.
//
// Every operation that drives the kernel catches what goes wrong, logs it on
// "nimbal.services.pikalo" at error level with the exception attached, and
// returns nothing (or what it had collected); accessors, the exclusion list
// and the index readers let errors through.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <AIS_InteractiveContext.hxx>
#include <AIS_InteractiveObject.hxx>
#include <AIS_NListOfEntityOwner.hxx>
#include <TopAbs_ShapeEnum.hxx>
#include <TopoDS_Shape.hxx>
#include <V3d_View.hxx>

#include "nimbal/arguments.hpp"
#include "nimbal/enums.hpp"
#include "nimbal/errors.hpp"
#include "nimbal/host_value.hpp"
#include "nimbal/selection_state.hpp"

namespace nimbal::services {

using ObjectValue = HostValue<Handle(AIS_InteractiveObject)>;

// What the service asks of the view service: the id of a detected object,
// as the host answered (the service tests the answer). The host's view
// service is handed in per call and never kept.
using ShapeIdLookup = std::function<HostValue<std::string>(const Handle(AIS_InteractiveObject)& obj)>;

// Kernel selection mode numbers of the shape presentations.
int kernel_mode(SelectionMode mode);

// The service's logger, and the head of the error record of each guarded
// operation whose arguments the face converts.
namespace pikalo_errors {
inline constexpr std::string_view logger = "nimbal.services.pikalo";
inline constexpr ErrorHead set_shape_selection_priority{logger, "Error setting shape selection priority: "};
inline constexpr ErrorHead move_to{logger, "Error in move_to: "};
inline constexpr ErrorHead select{logger, "Error handling selection: "};
inline constexpr ErrorHead set_enabled{logger, "Error setting selection enabled: "};
}  // namespace pikalo_errors

class Pikalo {
 public:
  // Makes no kernel call: nothing is selectable until set_mode/set_enabled.
  explicit Pikalo(Handle(AIS_InteractiveContext) context);
  virtual ~Pikalo() = default;

  // ---- modes, enabling, colours ----
  // `mode` none: a value that is no member; stored, everything deactivated,
  // nothing activated, logged.
  virtual void set_mode(std::optional<SelectionMode> mode);
  void set_enabled(bool enabled);
  bool is_enabled() const { return enabled_; }
  std::optional<SelectionMode> get_mode() const { return mode_; }
  virtual void configure_selection_colors();

  // ---- exclusion, priorities, clearing ----
  void exclude_from_selection(const Handle(AIS_InteractiveObject)& obj);
  void remove_excluded(const ObjectValue& obj);  // not listed, or not an object: nothing
  void clear_excluded() { state_->excluded.clear(); }
  const std::vector<Handle(AIS_InteractiveObject)>& excluded() const { return state_->excluded; }
  void set_shape_selection_priority(const ObjectValue& obj, int priority);  // None matches nothing
  void clear();

  // ---- hover, pick, reading the selection ----
  void move_to(Pixel x, Pixel y, const Handle(V3d_View)& view, bool update);
  void select(Pixel x, Pixel y, const Handle(V3d_View)& view, bool replace);
  std::optional<std::string> get_hovered_shape_id(const ShapeIdLookup& lumbra);
  std::vector<Handle(AIS_InteractiveObject)> get_selected_shapes();

  // ---- sub-shapes by index ----
  // The base shape is tested only for indices that are not empty, the
  // object only once there are sub-shapes to look for (inside the guard).
  void select_edges_by_index(const ObjectValue& ais_shape, const MaybeShape& base_shape,
                             const std::set<long long>& indices);
  void select_vertices_by_index(const ObjectValue& ais_shape, const MaybeShape& base_shape,
                                const std::set<long long>& indices);
  virtual std::vector<TopoDS_Shape> get_selected_subshapes();
  // The base shape is tested only when something is selected.
  std::vector<int> get_selected_edge_indices(const MaybeShape& base_shape);
  std::vector<int> get_selected_vertex_indices(const MaybeShape& base_shape);

  const Handle(AIS_InteractiveContext)& context() const { return context_; }

 private:
  const Handle(AIS_InteractiveContext)& ctx(const char* member) const;
  AIS_NListOfEntityOwner active_owners() const;  // the owners active in the main selector
  void select_by_index(TopAbs_ShapeEnum kind, const char* message, const ObjectValue& ais_shape,
                       const MaybeShape& base_shape, const std::set<long long>& indices);
  std::vector<int> selected_indices(TopAbs_ShapeEnum kind, const MaybeShape& base_shape);

  Handle(AIS_InteractiveContext) context_;
  bool enabled_ = true;
  std::optional<SelectionMode> mode_ = SelectionMode::VOLUME;
  // Published on the context at the first sweep or exclusion, so the view
  // service's re-displays follow it; holds the exclusion list.
  std::shared_ptr<selection::State> state_ = std::make_shared<selection::State>(selection::State{true, 0, {}});
};

}  // namespace nimbal::services
