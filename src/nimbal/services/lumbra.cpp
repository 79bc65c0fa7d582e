#include "nimbal/services/lumbra.hpp"

#include <cmath>
#include <limits>

#include <Aspect_TypeOfLine.hxx>
#include <Aspect_TypeOfTriedronPosition.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <Graphic3d_Camera.hxx>
#include <Prs3d_Drawer.hxx>
#include <Prs3d_LineAspect.hxx>
#include <Standard_Failure.hxx>
#include <V3d_TypeOfVisualization.hxx>
#include <gp_Ax3.hxx>
#include <gp_Dir.hxx>
#include <gp_Pln.hxx>
#include <gp_Pnt.hxx>

#include "nimbal/errors.hpp"
#include "nimbal/kernel.hpp"
#include "nimbal/log.hpp"
#include "nimbal/selection_state.hpp"

namespace nimbal::services {

namespace {

constexpr log::Logger lg(lumbra_errors::logger);

Lumbra::ErrorPolicy policy;

bool rejection() {
  try {
    throw;
  } catch (const nimbal::WrongType&) {
    return true;
  } catch (const nimbal::MissingMember&) {
    return true;
  } catch (...) {
    return policy.rejection && policy.rejection();
  }
}

std::string error_text() { return kernel::current_error_text(); }

// Logs the exception being handled with `message`; rethrows what the host
// does not count as an error of its operations.
void log_caught(log::Level level, const std::string& message, bool with_traceback) {
  if (!kernel::current_error_catchable()) throw;
  log::write(lg.name(), level, message, with_traceback ? std::current_exception() : nullptr);
}

// Runs `first`; when the binding rejected its form, `reduced` once, whose
// failure is logged at debug level without traceback. Any other failure of
// `first` is logged at `level` with the traceback.
template <class F, class G>
void with_retry(F&& first, G&& reduced, log::Level level, const char* failed, const char* retry_failed) {
  try {
    first();
  } catch (...) {
    if (!kernel::current_error_catchable()) throw;
    if (!rejection()) {
      log_caught(level, failed + error_text(), true);
      return;
    }
    try {
      reduced();
    } catch (...) {
      log_caught(log::Level::Debug, retry_failed + error_text(), false);
    }
  }
}

std::array<double, 3> three(const Components& c) {
  if (c.values.size() > 3) throw nimbal::InvalidValue("too many values to unpack (expected 3)");
  if (c.values.size() < 3)
    throw nimbal::InvalidValue("not enough values to unpack (expected 3, got " + std::to_string(c.values.size()) +
                             ")");
  return {c.values[0], c.values[1], c.values[2]};
}

// NaN and infinities pass the kernel's own checks and poison meshing.
std::array<double, 3> finite_three(const Components& c, const char* what) {
  auto v = three(c);
  for (double x : v)
    if (!std::isfinite(x)) throw nimbal::InvalidValue(std::string(what) + " must hold finite numbers");
  return v;
}

Handle(Prs3d_LineAspect) face_boundary_aspect() {
  return new Prs3d_LineAspect(Quantity_Color(0.0, 0.0, 0.0, Quantity_TOC_RGB), Aspect_TOL_SOLID, 1.0);
}

const Handle(AIS_Shape)& presentation(const Handle(AIS_Shape)& p, const char* member) {
  if (p.IsNull()) throw nimbal::MissingMember(std::string("'NoneType' object has no attribute '") + member + "'");
  return p;
}

}  // namespace

void Lumbra::set_error_policy(const ErrorPolicy& p) { policy = p; }

Quantity_Color Lumbra::rgb(const Components& color) {
  auto v = three(color);
  for (double x : v)
    if (std::isnan(x)) throw nimbal::InvalidValue("colour components must be numbers, not NaN");
  return Quantity_Color(v[0], v[1], v[2], Quantity_TOC_RGB);
}

Lumbra::Lumbra(Handle(V3d_View) view, Handle(V3d_Viewer) viewer, Handle(AIS_InteractiveContext) context)
    : view_(std::move(view)), viewer_(std::move(viewer)), context_(std::move(context)) {}

const Handle(V3d_View)& Lumbra::view(const char* member) const {
  if (view_.IsNull()) throw nimbal::MissingMember(std::string("'NoneType' object has no attribute '") + member + "'");
  return view_;
}

const Handle(AIS_InteractiveContext)& Lumbra::context(const char* member) const {
  if (context_.IsNull())
    throw nimbal::MissingMember(std::string("'NoneType' object has no attribute '") + member + "'");
  return context_;
}

// ---- initial view, camera, fitting ----

void Lumbra::setup_initial_view() {
  guarded(lg, "Error setting up initial view: ", [&] {
    if (background_gradient_) {
      const Gradient& g = *background_gradient_;
      view("SetBgGradientColors")->SetBgGradientColors(rgb(g.color1), rgb(g.color2), g.method, true);
    } else {
      view("SetBackgroundColor")->SetBackgroundColor(rgb(background_color_));
    }
    _setup_trihedron();
    set_projection_type(ProjectionType::ORTHOGRAPHIC);
    // The context starts in wireframe: its first switch to wireframe would be
    // a no-op, and planes (shown in its default mode) would be bare outlines.
    context("SetDisplayMode")->SetDisplayMode(current_display_mode_ == DisplayMode::WIREFRAME ? 0 : 1, false);
  });
}

void Lumbra::_setup_trihedron() {
  const Quantity_Color white(Quantity_NOC_WHITE);
  with_retry([&] { view("TriedronDisplay")->TriedronDisplay(Aspect_TOTP_LEFT_LOWER, white, 0.08, V3d_WIREFRAME); },
             // A binding without the four-argument form: leave the mode to the kernel.
             [&] { view("TriedronDisplay")->TriedronDisplay(Aspect_TOTP_LEFT_LOWER, white, 0.08); },
             log::Level::Warning, "Unexpected trihedron error: ", "Could not display trihedron: ");
}

void Lumbra::set_projection(std::optional<ViewDirection> direction) {
  guarded(lg, "Error setting projection: ", [&] {
    if (!direction) return;
    struct Row {
      double proj[3], up[3];
    };
    static const Row rows[] = {
        {{0, 1, 0}, {0, 0, -1}},  // TOP
        {{0, -1, 0}, {0, 0, 1}},  // BOTTOM
        {{0, 0, 1}, {0, 1, 0}},   // FRONT
        {{0, 0, -1}, {0, 1, 0}},  // BACK
        {{-1, 0, 0}, {0, 1, 0}},  // LEFT
        {{1, 0, 0}, {0, 1, 0}},   // RIGHT
        {{1, 1, 1}, {0, 1, 0}},   // ISO
    };
    const Row& r = rows[static_cast<int>(*direction)];
    view("SetProj")->SetProj(r.proj[0], r.proj[1], r.proj[2]);
    view("SetUp")->SetUp(r.up[0], r.up[1], r.up[2]);
  });
}

void Lumbra::set_projection_type(std::optional<ProjectionType> projection_type) {
  const bool ortho = projection_type == ProjectionType::ORTHOGRAPHIC;
  auto camera = [&]() -> Handle(Graphic3d_Camera) {
    Handle(Graphic3d_Camera) c = view("Camera")->Camera();
    if (c.IsNull()) throw nimbal::MissingMember("'NoneType' object has no attribute 'SetProjectionType'");
    return c;
  };
  with_retry([&] {
        camera()->SetProjectionType(ortho ? Graphic3d_Camera::Projection_Orthographic
                                          : Graphic3d_Camera::Projection_Perspective);
      },
      // The kinds by their numbers: 0 orthographic, 1 perspective.
      [&] { camera()->SetProjectionType(static_cast<Graphic3d_Camera::Projection>(ortho ? 0 : 1)); },
      log::Level::Error, "Error setting projection type: ", "Could not set projection type: ");
}

void Lumbra::fit_all() {
  std::vector<Handle(AIS_Shape)> planes;
  for (const auto& [id, entry] : plane_objects_) {
    const bool* shown = plane_visible_.find(id);
    if (!shown || *shown) planes.push_back(entry.ais_shape);
  }
  guarded(lg, "Error fitting view: ", [&] {
    for (const auto& p : planes) context("Erase")->Erase(p, false);
    view("FitAll")->FitAll();
    view("ZFitAll")->ZFitAll();
  });
  // Not guarded: a plane that cannot come back must not go unnoticed.
  for (const auto& p : planes) {
    context("Display")->Display(p, false);
    selection::apply(context_, p);
  }
}

void Lumbra::redraw() {
  if (is_rendering_) return;
  try {
    is_rendering_ = true;
    view("Redraw")->Redraw();
    is_rendering_ = false;
  } catch (...) {
    is_rendering_ = false;
    log_failure(lg.name(), "Error in redraw: ");
  }
}

void Lumbra::must_be_resized() {
  guarded(lg, "Error resizing view: ", [&] { view("MustBeResized")->MustBeResized(); });
}

// ---- shapes ----

std::optional<std::string> Lumbra::display_shape(const HostValue<TopoDS_Shape>& shape, const std::string& shape_id,
                                                 const std::optional<Components>& color, bool update,
                                                 double width) {
  std::optional<std::string> result;
  guarded(lumbra_errors::display_shape, [&] {
    const std::optional<TopoDS_Shape> given = shape.get();
    if (!given) throw nimbal::WrongType("AIS_Shape() needs a kernel shape, not '" + shape.type_name() + "'");
    // An empty presentation would be recorded, counted and fitted like a shape.
    if (given->IsNull()) throw nimbal::WrongType("the shape is null");
    if (!std::isfinite(width)) throw nimbal::InvalidValue("the line width must be a finite number");
    Handle(AIS_Shape) ais = new AIS_Shape(*given);
    if (color) ais->SetColor(rgb(*color));
    if (width != 1.0) ais->SetWidth(width);
    if (global_transparency_ > 0) ais->SetTransparency(global_transparency_);
    const int mode = current_display_mode_ == DisplayMode::WIREFRAME ? 0 : 1;
    const auto& ctx = context("Display");
    Handle(AIS_Shape) prev;
    if (auto* old = shapes_.find(shape_id); old && *old && (*old)->ais_shape != ais) prev = (*old)->ais_shape;
    // Boundaries set before the display: the presentation is computed and
    // the viewer redrawn once, not again by a redisplay.
    if (current_display_mode_ == DisplayMode::BOTH) _configure_shape_edges(ais, true);
    ctx->Display(ais, mode, selection::display_mode_for(ctx, ais, prev), update);
    // A presentation recorded before under this id would stay on screen with
    // no record left to erase it by.
    if (!prev.IsNull()) {
      ctx->Remove(prev, update);
      ais_to_id_.erase(prev.get());
      selection::replace(ctx, prev, ais);  // an excluded shape stays excluded
    }
    auto info = std::make_shared<ShapeInfo>();
    info->shape_id = shape_id;
    info->ais_shape = ais;
    info->color = color;
    info->visible = true;
    shapes_.set(shape_id, info);
    ais_to_id_.set(ais.get(), AisEntry{ais, shape_id});
    result = shape_id;
  });
  return result;
}

void Lumbra::set_display_mode(std::optional<DisplayMode> given) {
  const DisplayMode mode = given.value_or(DisplayMode::SHADED);
  current_display_mode_ = mode;
  guarded(lg, "Error setting display mode: ", [&] {
    const int number = mode == DisplayMode::WIREFRAME ? 0 : 1;
    const bool edges = mode == DisplayMode::BOTH;
    const auto& ctx = context("SetDisplayMode");
    ctx->SetDisplayMode(number, false);
    // A snapshot: an override of _configure_shape_edges may touch the table.
    std::vector<std::shared_ptr<ShapeInfo>> infos;
    for (const auto& kv : shapes_) infos.push_back(kv.second);
    for (const auto& info : infos) {
      _configure_shape_edges(info->ais_shape, edges);
      ctx->Redisplay(presentation(info->ais_shape, "Redisplay"), false);
    }
    ctx->UpdateCurrentViewer();
  });
}

void Lumbra::_configure_shape_edges(const Handle(AIS_Shape)& ais_shape, bool enable) {
  Handle(Prs3d_Drawer) drawer = presentation(ais_shape, "Attributes")->Attributes();
  drawer->SetFaceBoundaryDraw(enable);
  if (enable) drawer->SetFaceBoundaryAspect(face_boundary_aspect());
  ais_shape->SetAttributes(drawer);
}

void Lumbra::update_shape(const Handle(AIS_Shape)& ais_shape, bool update) {
  guarded(lumbra_errors::update_shape, [&] {
    context("Redisplay")->Redisplay(presentation(ais_shape, "Redisplay"), update);
  });
}

void Lumbra::set_shape_color(const Handle(AIS_Shape)& ais_shape, const Components& color, bool update) {
  guarded(lumbra_errors::set_shape_color, [&] {
    Quantity_Color c = rgb(color);
    presentation(ais_shape, "SetColor")->SetColor(c);
    if (update) context("Redisplay")->Redisplay(ais_shape, true);
  });
}

void Lumbra::erase_all() {
  guarded(lg, "Error erasing all shapes: ", [&] {
    context("RemoveAll")->RemoveAll(true);
    shapes_.clear();
    ais_to_id_.clear();
    plane_objects_.clear();
    plane_visible_.clear();
  });
}

void Lumbra::erase_shape(const HostId& shape_id, bool update) {
  if (!shape_id) return;
  guarded(lumbra_errors::erase_shape, [&] {
    auto* found = shapes_.find(*shape_id);
    if (!found) return;
    std::shared_ptr<ShapeInfo> info = *found;
    Handle(AIS_Shape) ais = info ? info->ais_shape : Handle(AIS_Shape)();
    context("Remove")->Remove(presentation(ais, "Remove"), update);
    ais_to_id_.erase(ais.get());
    shapes_.erase(*shape_id);
  });
}

std::shared_ptr<ShapeInfo> Lumbra::get_shape_info(const std::string& shape_id) const {
  const auto* found = shapes_.find(shape_id);
  return found ? *found : nullptr;
}

void Lumbra::set_shape_visibility(const HostId& given, bool visible, bool update) {
  if (!given) return;
  const std::string& shape_id = *given;
  guarded(lumbra_errors::set_shape_visibility, [&] {
    if (auto* found = shapes_.find(shape_id)) {
      std::shared_ptr<ShapeInfo> info = *found;
      if (visible && !info->visible) {
        context("Display")->Display(presentation(info->ais_shape, "Display"), update);
        selection::apply(context_, info->ais_shape);
        info->visible = true;
      } else if (!visible && info->visible) {
        context("Erase")->Erase(presentation(info->ais_shape, "Erase"), update);
        info->visible = false;
      }
      return;
    }
    if (auto* entry = plane_objects_.find(shape_id)) {
      Handle(AIS_Shape) ais = entry->ais_shape;
      const bool* flag = plane_visible_.find(shape_id);
      const bool currently_visible = flag ? *flag : true;
      if (visible && !currently_visible) {
        context("Display")->Display(ais, update);
        selection::apply(context_, ais);
        plane_visible_.set(shape_id, true);
      } else if (!visible && currently_visible) {
        context("Erase")->Erase(ais, update);
        plane_visible_.set(shape_id, false);
      }
    }
  });
}

bool Lumbra::is_shape_visible(const std::string& shape_id) const {
  if (const auto* found = shapes_.find(shape_id)) return *found && (*found)->visible;
  if (plane_objects_.contains(shape_id)) {
    const bool* flag = plane_visible_.find(shape_id);
    return flag ? *flag : true;
  }
  return false;
}

// ---- reference planes ----

double Lumbra::_plane_display_size() {
  try {
    Handle(Graphic3d_Camera) camera = view("Camera")->Camera();
    if (camera.IsNull()) return 1000.0;
    const double size = camera->Scale() * 0.8;
    if (!std::isfinite(size)) return 1000.0;
    return 1.0 > size ? 1.0 : size;
  } catch (...) {
    if (!kernel::current_error_catchable()) throw;
    return 1000.0;
  }
}

TopoDS_Face Lumbra::_build_plane_face(const Components& origin, const Components& normal, double size) {
  auto o = finite_three(origin, "origin");
  auto n = finite_three(normal, "normal");
  if (!std::isfinite(size)) throw nimbal::InvalidValue("the plane size must be finite");
  gp_Pln pln(gp_Ax3(gp_Pnt(o[0], o[1], o[2]), gp_Dir(n[0], n[1], n[2])));
  const double half = size / 2.0;
  BRepBuilderAPI_MakeFace maker(pln, -half, half, -half, half);
  if (!maker.IsDone()) throw kernel::KernelError("BRepBuilderAPI_MakeFace: the plane face was not built");
  return maker.Face();
}

void Lumbra::display_plane(const std::string& shape_id, const Components& origin, const Components& normal,
                           bool update) {
  try {
    const double size = _plane_display_size();
    TopoDS_Face face = _build_plane_face(origin, normal, size);
    Handle(AIS_Shape) ais;
    if (auto* entry = plane_objects_.find(shape_id)) {
      ais = entry->ais_shape;
      presentation(ais, "SetShape")->SetShape(face);
      context("Redisplay")->Redisplay(ais, false);
      // The plane is marked visible below; a hidden one must come back with
      // it, or the flag would say shown while the viewer shows nothing.
      if (const bool* shown = plane_visible_.find(shape_id); shown && !*shown) {
        context("Display")->Display(ais, false);
        selection::apply(context_, ais);
      }
    } else {
      ais = new AIS_Shape(face);
      ais->SetColor(Quantity_Color(PLANE_COLOR[0], PLANE_COLOR[1], PLANE_COLOR[2], Quantity_TOC_RGB));
      ais->SetTransparency(PLANE_TRANSPARENCY);
      Handle(Prs3d_Drawer) drawer = ais->Attributes();
      drawer->SetFaceBoundaryDraw(false);
      ais->SetAttributes(drawer);
      context("Display")->Display(ais, false);
      selection::apply(context_, ais);
    }
    if (update) context("UpdateCurrentViewer")->UpdateCurrentViewer();
    plane_objects_.set(shape_id, PlaneEntry{ais, origin, normal});
    plane_visible_.set(shape_id, true);
  } catch (...) {
    log_failure(lumbra_errors::display_plane, shape_id);
  }
}

Handle(AIS_Shape) Lumbra::get_plane_ais(const std::string& shape_id) const {
  const auto* entry = plane_objects_.find(shape_id);
  return entry ? entry->ais_shape : Handle(AIS_Shape)();
}

void Lumbra::erase_plane(const HostId& given, bool update) {
  if (!given) return;
  const std::string& shape_id = *given;
  try {
    auto* entry = plane_objects_.find(shape_id);
    if (!entry) return;
    context("Remove")->Remove(presentation(entry->ais_shape, "Remove"), update);
    plane_objects_.erase(shape_id);
    plane_visible_.erase(shape_id);
  } catch (...) {
    log_failure(lumbra_errors::erase_plane, shape_id);
  }
}

void Lumbra::update_plane_display_sizes() {
  guarded(lg, "Error updating plane sizes: ", [&] {
    if (plane_objects_.empty()) return;
    const double size = _plane_display_size();
    // A snapshot: an override of _build_plane_face may touch the table.
    std::vector<PlaneEntry> entries;
    for (const auto& kv : plane_objects_) entries.push_back(kv.second);
    for (const auto& e : entries) {
      TopoDS_Face face = _build_plane_face(e.origin, e.normal, size);
      presentation(e.ais_shape, "SetShape")->SetShape(face);
      context("Redisplay")->Redisplay(e.ais_shape, false);
    }
    context("UpdateCurrentViewer")->UpdateCurrentViewer();
  });
}

// ---- selection by id, lookup ----

void Lumbra::select_shapes(const std::vector<std::string>& shape_ids) {
  guarded(lumbra_errors::select_shapes, [&] {
    const auto& ctx = context("ClearSelected");
    ctx->ClearSelected(false);
    std::string refused;  // ids the kernel has nothing to select by
    for (const auto& id : shape_ids) {
      const auto* found = shapes_.find(id);
      if (!found || !*found) continue;
      const auto& ais = presentation((*found)->ais_shape, "AddOrRemoveSelected");
      // The kernel selects an object through the owner of its whole-object
      // selection, which exists only once that mode was computed.
      const int whole = ais->GlobalSelectionMode();
      if (!ais->HasSelection(whole)) {
        ctx->Activate(ais, whole, false);  // computes it; it stays computed
        ctx->Deactivate(ais, whole);
      }
      if (ais->GlobalSelOwner().IsNull()) {
        refused += (refused.empty() ? "'" : ", '") + id + "'";
        continue;
      }
      ctx->AddOrRemoveSelected(ais, false);
    }
    ctx->UpdateCurrentViewer();
    // After the others are selected and shown: the host learns which were not.
    if (!refused.empty())
      throw kernel::KernelError("nothing to select by for " + refused + " (a hidden shape cannot be selected)");
  });
}

void Lumbra::select_given_ids(const std::vector<HostId>& shape_ids) {
  std::vector<std::string> texts;
  for (const auto& id : shape_ids)
    if (id) texts.push_back(*id);
  select_shapes(texts);
}

void Lumbra::select_shape(const std::string& shape_id) { select_shapes({shape_id}); }

std::optional<std::string> Lumbra::get_shape_id_for_ais_shape(const HostValue<Handle(AIS_Shape)>& given) const {
  const Handle(AIS_Shape) ais_shape = given.get().value_or(Handle(AIS_Shape)());
  if (ais_shape.IsNull()) return std::nullopt;
  if (const AisEntry* e = ais_to_id_.find(ais_shape.get())) return e->shape_id;
  for (const auto& [id, entry] : plane_objects_)
    if (entry.ais_shape == ais_shape) return id;
  return std::nullopt;
}

// ---- navigation, background, transparency ----

void Lumbra::start_rotation(Pixel x, Pixel y) {
  guarded(lumbra_errors::start_rotation, [&] { view("StartRotation")->StartRotation(x, y); });
}

void Lumbra::rotate(Pixel x, Pixel y) {
  guarded(lumbra_errors::rotate, [&] { view("Rotation")->Rotation(x, y); });
}

void Lumbra::pan(Pixel dx, Pixel dy) {
  guarded(lumbra_errors::pan, [&] {
    const auto& v = view("Pan");
    if (dy.value == std::numeric_limits<int>::min()) throw nimbal::InvalidValue("dy is out of range");
    v->Pan(dx, -dy.value);
  });
}

void Lumbra::zoom(double factor) {
  guarded(lumbra_errors::zoom, [&] {
    // The kernel refuses factors <= 0 itself but takes NaN and infinity,
    // which leave the camera unusable for every later call.
    if (!std::isfinite(factor)) throw nimbal::InvalidValue("the zoom factor must be a finite number");
    view("SetZoom")->SetZoom(factor);
  });
}

void Lumbra::set_background_color(const Components& color) {
  guarded(lumbra_errors::set_background_color, [&] {
    Quantity_Color c = rgb(color);
    const auto& v = view("SetBackgroundColor");
    v->SetBackgroundColor(c);
    // Kept only once the kernel took it: every later set-up applies it again.
    background_color_ = color;
    background_gradient_.reset();
    v->Redraw();
  });
}

void Lumbra::set_background_gradient(const Components& color1, const Components& color2,
                                     Aspect_GradientFillMethod method) {
  guarded(lumbra_errors::set_background_gradient, [&] {
    Quantity_Color first = rgb(color1);
    Quantity_Color second = rgb(color2);
    if (method < Aspect_GradientFillMethod_None || method > Aspect_GradientFillMethod_Elliptical)
      throw nimbal::InvalidValue("not an Aspect_GradientFillMethod member: " + std::to_string(int(method)));
    const auto& v = view("SetBgGradientColors");
    v->SetBgGradientColors(first, second, method, true);
    background_gradient_ = Gradient{color1, color2, method};
    v->Redraw();
  });
}

void Lumbra::set_global_transparency(double transparency, bool update) {
  guarded(lumbra_errors::set_global_transparency, [&] {
    if (!std::isfinite(transparency)) throw nimbal::InvalidValue("the transparency must be a finite number");
    global_transparency_ = transparency;
    std::vector<std::shared_ptr<ShapeInfo>> infos;
    for (const auto& kv : shapes_) infos.push_back(kv.second);
    for (const auto& info : infos) {
      const auto& ais = presentation(info->ais_shape, "SetTransparency");
      ais->SetTransparency(transparency);
      if (update) context("Redisplay")->Redisplay(ais, false);
    }
    if (update) context("UpdateCurrentViewer")->UpdateCurrentViewer();
  });
}

}  // namespace nimbal::services
