// The 3D view service: wraps the view, viewer and interactive context that
// the host created, keeps its own tables of displayed shapes and reference
// planes under the managers' ids, and drives the viewer for the host.
//
// Every operation that drives the kernel catches what goes wrong, logs it on
// "nimbal.services.lumbra" at error level with the exception attached, and
// returns nothing; accessors and table lookups let errors through.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <AIS_InteractiveContext.hxx>
#include <AIS_Shape.hxx>
#include <Aspect_GradientFillMethod.hxx>
#include <Quantity_Color.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Shape.hxx>
#include <V3d_View.hxx>
#include <V3d_Viewer.hxx>

#include "nimbal/enums.hpp"
#include "nimbal/host_value.hpp"
#include "nimbal/ordered_map.hpp"

namespace nimbal::services {

// A triple as the caller gave it (a colour, a point, a direction): its
// numbers, unpacked into three by the operation that needs them, so a wrong
// count is logged like any rejection by the kernel.
struct Components {
  std::vector<double> values;

  Components() = default;
  Components(std::vector<double> v) : values(std::move(v)) {}
};

// One shape displayed under a manager's shape id (planes have none).
struct ShapeInfo {
  std::string shape_id;
  Handle(AIS_Shape) ais_shape;
  std::optional<Components> color;  // as given to display_shape
  bool visible = true;
};

struct PlaneEntry {
  Handle(AIS_Shape) ais_shape;
  Components origin;  // as given to the last display_plane
  Components normal;
};

// The reverse table's entry, keyed by the presentation's address.
struct AisEntry {
  Handle(AIS_Shape) ais_shape;
  std::string shape_id;
};

struct Gradient {
  Components color1, color2;
  Aspect_GradientFillMethod method = Aspect_GradientFillMethod_Vertical;
};

inline constexpr std::array<double, 3> PLANE_COLOR{0.4, 0.8, 1.0};
inline constexpr double PLANE_TRANSPARENCY = 0.65;

// The service's logger, and the head of the error record of each guarded
// operation whose arguments the face converts.
namespace lumbra_errors {
inline constexpr std::string_view logger = "nimbal.services.lumbra";
inline constexpr ErrorHead display_shape{logger, "Error displaying shape: "};
inline constexpr ErrorHead update_shape{logger, "Error updating shape: "};
inline constexpr ErrorHead set_shape_color{logger, "Error setting shape color: "};
inline constexpr ErrorHead erase_shape{logger, "Error erasing shape: "};
inline constexpr ErrorHead set_shape_visibility{logger, "Error setting shape visibility: "};
inline constexpr ErrorHead display_plane{logger, "Error displaying plane %s: "};
inline constexpr ErrorHead erase_plane{logger, "Error erasing plane %s: "};
inline constexpr ErrorHead select_shapes{logger, "Error selecting shapes: "};
inline constexpr ErrorHead start_rotation{logger, "Error starting rotation: "};
inline constexpr ErrorHead rotate{logger, "Error rotating: "};
inline constexpr ErrorHead pan{logger, "Error panning: "};
inline constexpr ErrorHead zoom{logger, "Error zooming: "};
inline constexpr ErrorHead set_background_color{logger, "Error setting background color: "};
inline constexpr ErrorHead set_background_gradient{logger, "Error setting background gradient: "};
inline constexpr ErrorHead set_global_transparency{logger, "Error setting global transparency: "};
}  // namespace lumbra_errors

class Lumbra {
 public:
  using ShapeTable = OrderedMap<std::string, std::shared_ptr<ShapeInfo>>;

  // How the embedding layer tells a missing name or a rejected argument form
  // (the case that is retried once in a reduced form) among its own errors;
  // called inside a handler, after the core's own errors were looked at.
  struct ErrorPolicy {
    bool (*rejection)() = nullptr;
  };
  static void set_error_policy(const ErrorPolicy& policy);

  Lumbra(Handle(V3d_View) view, Handle(V3d_Viewer) viewer, Handle(AIS_InteractiveContext) context);
  virtual ~Lumbra() = default;

  // ---- initial view, camera, fitting ----
  void setup_initial_view();
  virtual void _setup_trihedron();
  void set_projection(std::optional<ViewDirection> direction);  // none: no member, nothing happens
  virtual void set_projection_type(std::optional<ProjectionType> projection_type);
  void fit_all();
  void redraw();
  void must_be_resized();

  // ---- shapes ----
  // `shape` is tested inside the guard; `color` none keeps the kernel's colour.
  std::optional<std::string> display_shape(const HostValue<TopoDS_Shape>& shape, const std::string& shape_id,
                                           const std::optional<Components>& color, bool update, double width);
  void set_display_mode(std::optional<DisplayMode> mode);  // none: no member, counts as SHADED
  virtual void _configure_shape_edges(const Handle(AIS_Shape)& ais_shape, bool enable);
  void update_shape(const Handle(AIS_Shape)& ais_shape, bool update);
  void set_shape_color(const Handle(AIS_Shape)& ais_shape, const Components& color, bool update);
  void erase_all();
  // An id of another kind names no shape: nothing happens.
  void erase_shape(const HostId& shape_id, bool update);
  ShapeTable get_all_shapes() const { return shapes_; }
  std::shared_ptr<ShapeInfo> get_shape_info(const std::string& shape_id) const;
  void set_shape_visibility(const HostId& shape_id, bool visible, bool update);
  bool is_shape_visible(const std::string& shape_id) const;

  // ---- reference planes ----
  void display_plane(const std::string& shape_id, const Components& origin, const Components& normal, bool update);
  Handle(AIS_Shape) get_plane_ais(const std::string& shape_id) const;
  void erase_plane(const HostId& shape_id, bool update);
  void update_plane_display_sizes();
  virtual TopoDS_Face _build_plane_face(const Components& origin, const Components& normal, double size);
  virtual double _plane_display_size();

  // ---- selection by id, lookup ----
  virtual void select_shapes(const std::vector<std::string>& shape_ids);
  // select_shapes with the host's ids: those of another kind name no shape.
  void select_given_ids(const std::vector<HostId>& shape_ids);
  void select_shape(const std::string& shape_id);
  // Anything that is not an AIS_Shape finds nothing.
  std::optional<std::string> get_shape_id_for_ais_shape(const HostValue<Handle(AIS_Shape)>& ais_shape) const;
  std::size_t get_shape_count() const { return shapes_.size(); }

  // ---- navigation, accessors, background, transparency ----
  void start_rotation(Pixel x, Pixel y);
  void rotate(Pixel x, Pixel y);
  void pan(Pixel dx, Pixel dy);
  void zoom(double factor);
  const Handle(V3d_View)& get_view() const { return view_; }
  const Handle(V3d_Viewer)& get_viewer() const { return viewer_; }
  const Handle(AIS_InteractiveContext)& get_context() const { return context_; }
  void set_background_color(const Components& color);
  void set_background_gradient(const Components& color1, const Components& color2,
                               Aspect_GradientFillMethod method);
  void set_global_transparency(double transparency, bool update);

  // ---- state, read by the Python face ----
  bool is_rendering() const { return is_rendering_; }
  void set_is_rendering(bool v) { is_rendering_ = v; }
  const ShapeTable& shapes() const { return shapes_; }
  const OrderedMap<const AIS_Shape*, AisEntry>& ais_to_id() const { return ais_to_id_; }
  const OrderedMap<std::string, PlaneEntry>& plane_objects() const { return plane_objects_; }
  const OrderedMap<std::string, bool>& plane_visible() const { return plane_visible_; }
  double global_transparency() const { return global_transparency_; }
  DisplayMode current_display_mode() const { return current_display_mode_; }
  const Components& background_color() const { return background_color_; }
  const std::optional<Gradient>& background_gradient() const { return background_gradient_; }

  // The kernel colour of an RGB triple; throws the host's unpacking errors.
  static Quantity_Color rgb(const Components& color);

 private:
  const Handle(V3d_View)& view(const char* member) const;
  const Handle(AIS_InteractiveContext)& context(const char* member) const;

  Handle(V3d_View) view_;
  Handle(V3d_Viewer) viewer_;
  Handle(AIS_InteractiveContext) context_;
  bool is_rendering_ = false;
  ShapeTable shapes_;
  OrderedMap<const AIS_Shape*, AisEntry> ais_to_id_;
  OrderedMap<std::string, PlaneEntry> plane_objects_;
  OrderedMap<std::string, bool> plane_visible_;
  double global_transparency_ = 0.0;
  DisplayMode current_display_mode_ = DisplayMode::SHADED;
  Components background_color_{{1.0, 1.0, 1.0}};
  std::optional<Gradient> background_gradient_;
};

}  // namespace nimbal::services
