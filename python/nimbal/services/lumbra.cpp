// nimbal.services.lumbra: the Python face of the 3D view service. Arguments
// of the guarded operations take the operation's error path when refused
// (triples are unpacked, and shapes tested, by the core inside its guard); a
// Python subclass's override of the overridable steps is the one the
// service calls.
#include "nimbal/services/lumbra.hpp"

#include "nimbal/kernel.hpp"
#include "nimbal_py/convert.hpp"
#include "nimbal_py/define.hpp"
#include "nimbal_py/method_guard.hpp"
#include "nimbal_py/service_args.hpp"
#include "nimbal_py/service_module.hpp"
#include "nimbal_py/viewer.hpp"
#include "lumbra_docs.hpp"

using namespace nimbal::py::typing;  // the type names signatures show

namespace pyb = pybind11;
using nimbal::services::Components;
using nimbal::services::Lumbra;
using nimbal::services::ShapeInfo;
using nimbal::py::as_constructor;
using nimbal::py::def;
using nimbal::py::logged;

using nimbal::py::typing::class_name;
using nimbal::py::typing::class_or_none;
using nimbal::py::typing::str_name;
using nimbal::py::typing::typed;

namespace doc = nimbal::py::lumbra::doc;
namespace err = nimbal::services::lumbra_errors;

namespace {

// The binding's own errors that count as a rejected argument form.
bool rejection() {
  try {
    throw;
  } catch (pyb::error_already_set& e) {
    return e.matches(PyExc_TypeError) || e.matches(PyExc_AttributeError);
  } catch (const pyb::cast_error&) {
    return true;
  } catch (...) {
    return false;
  }
}

class PyLumbra : public Lumbra {
 public:
  using Lumbra::Lumbra;
  void _setup_trihedron() override { PYBIND11_OVERRIDE(void, Lumbra, _setup_trihedron, ); }
  void set_projection_type(std::optional<nimbal::ProjectionType> projection_type) override {
    PYBIND11_OVERRIDE(void, Lumbra, set_projection_type, projection_type);
  }
  void _configure_shape_edges(const Handle(AIS_Shape)& ais_shape, bool enable) override {
    PYBIND11_OVERRIDE(void, Lumbra, _configure_shape_edges, ais_shape, enable);
  }
  TopoDS_Face _build_plane_face(const Components& origin, const Components& normal, double size) override {
    PYBIND11_OVERRIDE(TopoDS_Face, Lumbra, _build_plane_face, origin, normal, size);
  }
  double _plane_display_size() override { PYBIND11_OVERRIDE(double, Lumbra, _plane_display_size, ); }
  void select_shapes(const std::vector<std::string>& shape_ids) override {
    PYBIND11_OVERRIDE(void, Lumbra, select_shapes, shape_ids);
  }
};

// A view service, or the trampoline a Python subclass needs.
template <class L>
constexpr auto made_view = nimbal::py::made<L, Handle(V3d_View), Handle(V3d_Viewer), Handle(AIS_InteractiveContext)>;

}  // namespace

PYBIND11_MODULE(lumbra, m) {
  nimbal::py::begin_service_module(m, doc::module, {"nimbal.enums"});
  Lumbra::set_error_policy({&rejection});

  m.attr("PLANE_COLOR") = nimbal::services::PLANE_COLOR;
  m.attr("PLANE_TRANSPARENCY") = nimbal::services::PLANE_TRANSPARENCY;

  pyb::class_<ShapeInfo, std::shared_ptr<ShapeInfo>> info(m, "ShapeInfo", doc::info_cls);
  // The colour is read as its field is set (None, or any numbers, kept as
  // given), not as display_shape reads one.
  def(info, "__init__", [](std::string shape_id, Handle(AIS_Shape) ais_shape,
                           typed<nimbal::py::color_or_none_name> color, bool visible) {
    return ShapeInfo{std::move(shape_id), std::move(ais_shape), color.cast<std::optional<Components>>(), visible};
  }, as_constructor, pyb::arg("shape_id"), pyb::arg("ais_shape"), pyb::arg("color") = pyb::none(),
      pyb::arg("visible") = true, doc::info_init);
  info.def_readwrite("shape_id", &ShapeInfo::shape_id, doc::info_shape_id)
      .def_readwrite("ais_shape", &ShapeInfo::ais_shape, doc::info_ais_shape)
      .def_readwrite("color", &ShapeInfo::color, doc::info_color)
      .def_readwrite("visible", &ShapeInfo::visible, doc::info_visible);

  pyb::class_<Lumbra, PyLumbra> cls(m, "Lumbra", doc::cls);
  def(cls, "__init__", made_view<Lumbra>, as_constructor, nimbal::py::trampoline(made_view<PyLumbra>),
      pyb::arg("view"), pyb::arg("viewer"), pyb::arg("context"), doc::init);
  // state
  cls.def_property_readonly("_view", &Lumbra::get_view, doc::_view)
      .def_property_readonly("_viewer", &Lumbra::get_viewer, doc::_viewer)
      .def_property_readonly("_context", &Lumbra::get_context, doc::_context)
      .def_property("_is_rendering", &Lumbra::is_rendering, &Lumbra::set_is_rendering, doc::_is_rendering)
      .def_property_readonly("_shapes", &Lumbra::shapes, doc::_shapes)
      .def_property_readonly("_ais_to_id", &Lumbra::ais_to_id, doc::_ais_to_id)
      .def_property_readonly("_plane_objects", &Lumbra::plane_objects, doc::_plane_objects)
      .def_property_readonly("_plane_visible", &Lumbra::plane_visible, doc::_plane_visible)
      .def_property_readonly("_global_transparency", &Lumbra::global_transparency, doc::_global_transparency)
      .def_property_readonly("_current_display_mode", &Lumbra::current_display_mode, doc::_current_display_mode)
      .def_property_readonly("_background_color", nimbal::py::as_object(&Lumbra::background_color),
                             doc::_background_color)
      .def_property_readonly("_background_gradient", nimbal::py::as_object(&Lumbra::background_gradient),
                             doc::_background_gradient);
  // initial view, camera, fitting
  def(cls, "setup_initial_view", &Lumbra::setup_initial_view, doc::setup_initial_view);
  def(cls, "_setup_trihedron", &Lumbra::_setup_trihedron, doc::setup_trihedron);
  def(cls, "set_projection", &Lumbra::set_projection, pyb::arg("direction"), doc::set_projection);
  def(cls, "set_projection_type", &Lumbra::set_projection_type, pyb::arg("projection_type"),
      doc::set_projection_type);
  def(cls, "fit_all", &Lumbra::fit_all, doc::fit_all);
  def(cls, "redraw", &Lumbra::redraw, doc::redraw);
  def(cls, "must_be_resized", &Lumbra::must_be_resized, doc::must_be_resized);
  // shapes
  def(cls, "display_shape", &Lumbra::display_shape, logged{err::display_shape}, pyb::arg("shape"),
      pyb::arg("shape_id"), pyb::arg("color") = pyb::none(), pyb::arg("update") = true, pyb::arg("width") = 1.0,
      doc::display_shape);
  def(cls, "set_display_mode", &Lumbra::set_display_mode, pyb::arg("mode"), doc::set_display_mode);
  def(cls, "_configure_shape_edges", &Lumbra::_configure_shape_edges, pyb::arg("ais_shape"), pyb::arg("enable"),
      doc::configure_shape_edges);
  def(cls, "update_shape", &Lumbra::update_shape, logged{err::update_shape}, pyb::arg("ais_shape"),
      pyb::arg("update") = true, doc::update_shape);
  def(cls, "set_shape_color", &Lumbra::set_shape_color, logged{err::set_shape_color}, pyb::arg("ais_shape"),
      pyb::arg("color"), pyb::arg("update") = true, doc::set_shape_color);
  def(cls, "erase_all", &Lumbra::erase_all, doc::erase_all);
  def(cls, "erase_shape", &Lumbra::erase_shape, logged{err::erase_shape}, pyb::arg("shape_id"),
      pyb::arg("update") = true, doc::erase_shape);
  def(cls, "get_all_shapes", &Lumbra::get_all_shapes, doc::get_all_shapes);
  // Both lookups give None for an unknown id, and their signatures say so.
  def(cls, "get_shape_info", &Lumbra::get_shape_info, pyb::arg("shape_id"), doc::get_shape_info);
  def(cls, "set_shape_visibility", &Lumbra::set_shape_visibility, logged{err::set_shape_visibility},
      pyb::arg("shape_id"), pyb::arg("visible"), pyb::arg("update") = true, doc::set_shape_visibility);
  def(cls, "is_shape_visible", &Lumbra::is_shape_visible, pyb::arg("shape_id"), doc::is_shape_visible);
  // reference planes
  def(cls, "display_plane", &Lumbra::display_plane, logged{err::display_plane}, pyb::arg("shape_id"),
      pyb::arg("origin"), pyb::arg("normal"), pyb::arg("update") = true, doc::display_plane);
  def(
      cls, "get_plane_ais",
      [](const Lumbra& self, const std::string& shape_id) -> typed<class_or_none<AIS_Shape>> {
        return pyb::cast(self.get_plane_ais(shape_id));
      },
      pyb::arg("shape_id"), doc::get_plane_ais);
  def(cls, "erase_plane", &Lumbra::erase_plane, logged{err::erase_plane}, pyb::arg("shape_id"),
      pyb::arg("update") = true, doc::erase_plane);
  def(cls, "update_plane_display_sizes", &Lumbra::update_plane_display_sizes, doc::update_plane_display_sizes);
  def(cls, "_build_plane_face", &Lumbra::_build_plane_face, pyb::arg("origin"), pyb::arg("normal"),
      pyb::arg("size"), doc::build_plane_face);
  def(cls, "_plane_display_size", &Lumbra::_plane_display_size, doc::plane_display_size);
  // selection by id, lookup
  def(cls, "select_shapes", &Lumbra::select_given_ids, logged{err::select_shapes}, pyb::arg("shape_ids"),
      doc::select_shapes);
  // Through the object's own select_shapes (a subclass's, too), which
  // takes any id and logs what it cannot use.
  def(
      cls, "select_shape",
      [](typed<class_name<Lumbra>> self, typed<str_name> shape_id) {
        self.attr("select_shapes")(std::vector<pyb::object>{shape_id});
      },
      pyb::arg("shape_id"), doc::select_shape);
  def(cls, "get_shape_id_for_ais_shape", &Lumbra::get_shape_id_for_ais_shape, pyb::arg("ais_shape"),
      doc::get_shape_id_for_ais_shape);
  def(cls, "get_shape_count", &Lumbra::get_shape_count, doc::get_shape_count);
  // navigation, accessors, background, transparency
  def(cls, "start_rotation", &Lumbra::start_rotation, logged{err::start_rotation}, pyb::arg("x"), pyb::arg("y"),
      doc::start_rotation);
  def(cls, "rotate", &Lumbra::rotate, logged{err::rotate}, pyb::arg("x"), pyb::arg("y"), doc::rotate);
  def(cls, "pan", &Lumbra::pan, logged{err::pan}, pyb::arg("dx"), pyb::arg("dy"), doc::pan);
  def(cls, "zoom", &Lumbra::zoom, logged{err::zoom}, pyb::arg("factor"), doc::zoom);
  def(cls, "get_view", &Lumbra::get_view, doc::get_view);
  def(cls, "get_viewer", &Lumbra::get_viewer, doc::get_viewer);
  def(cls, "get_context", &Lumbra::get_context, doc::get_context);
  def(cls, "set_background_color", &Lumbra::set_background_color, logged{err::set_background_color},
      pyb::arg("color"), doc::set_background_color);
  def(cls, "set_background_gradient", &Lumbra::set_background_gradient, logged{err::set_background_gradient},
      pyb::arg("color1"), pyb::arg("color2"), pyb::arg("method") = Aspect_GradientFillMethod_Vertical,
      doc::set_background_gradient);
  def(cls, "set_global_transparency", &Lumbra::set_global_transparency, logged{err::set_global_transparency},
      pyb::arg("transparency"), pyb::arg("update") = true, doc::set_global_transparency);
  nimbal::py::guard_method_self(m);  // last: after every class is bound
}
