// nimbal.services.pikalo: the Python face of the selection service. Pixel
// and view arguments of the guarded operations take the operation's error
// path when refused; objects and shapes the service tests itself, when it
// reaches them. The view service handed to get_hovered_shape_id is any
// object with a get_shape_id_for_ais_shape method (a Lumbra, or a stand-in).
#include "nimbal/services/pikalo.hpp"

#include "nimbal/kernel.hpp"
#include "nimbal_py/convert.hpp"
#include "nimbal_py/define.hpp"
#include "nimbal_py/method_guard.hpp"
#include "nimbal_py/service_args.hpp"
#include "nimbal_py/service_module.hpp"
#include "nimbal_py/viewer.hpp"
#include "pikalo_docs.hpp"

namespace pyb = pybind11;
using nimbal::services::Pikalo;
using nimbal::py::def;
using nimbal::py::logged;

namespace doc = nimbal::py::pikalo::doc;
namespace err = nimbal::services::pikalo_errors;

namespace {

using namespace nimbal::py::typing;
NIMBAL_PY_NAME(mode_or_none_name, "nimbal.enums.SelectionMode | None");

// Keeps the values the host gave for the mode and the flag (a 1 stays 1), and
// lets a Python subclass's overrides be the ones the service calls.
class PyPikalo : public Pikalo {
 public:
  using Pikalo::Pikalo;
  pyb::object mode_obj = pyb::cast(nimbal::SelectionMode::VOLUME);
  pyb::object enabled_obj = pyb::bool_(true);

  void set_mode(std::optional<nimbal::SelectionMode> mode) override {
    // Reached from set_enabled only, with the stored mode: hand the override
    // the very value stored.
    PYBIND11_OVERRIDE_IMPL(void, Pikalo, "set_mode", mode_obj);
    Pikalo::set_mode(mode);
  }
  void configure_selection_colors() override { PYBIND11_OVERRIDE(void, Pikalo, configure_selection_colors, ); }
  std::vector<TopoDS_Shape> get_selected_subshapes() override {
    PYBIND11_OVERRIDE(std::vector<TopoDS_Shape>, Pikalo, get_selected_subshapes, );
  }
};

PyPikalo& alias(Pikalo& p) { return dynamic_cast<PyPikalo&>(p); }

}  // namespace

PYBIND11_MODULE(pikalo, m) {
  nimbal::py::begin_service_module(m, doc::module, {"nimbal.enums"});

  pyb::class_<Pikalo, PyPikalo, std::shared_ptr<Pikalo>> cls(m, "Pikalo", doc::cls);
  // Always the trampoline: the stored mode and enabling live in it.
  def(cls, "__init__", nimbal::py::made<PyPikalo, Handle(AIS_InteractiveContext)>, nimbal::py::as_constructor,
      pyb::arg("context"), doc::init);
  cls.def_property_readonly("_context", &Pikalo::context, doc::_context)
      .def_property_readonly("_selection_enabled", [](Pikalo& p) { return alias(p).enabled_obj; }, doc::_selection_enabled)
      .def_property_readonly("_selection_mode", [](Pikalo& p) { return alias(p).mode_obj; }, doc::_selection_mode)
      .def_property_readonly("_excluded", [](const Pikalo& p) { return pyb::list(pyb::cast(p.excluded())); }, doc::_excluded);
  // modes, enabling, colours
  def(
      cls, "set_mode",
      [](Pikalo& p, typed<mode_or_none_name> mode) {
        alias(p).mode_obj = mode;
        p.Pikalo::set_mode(nimbal::py::from_py::member_or_none<nimbal::SelectionMode>(mode));
      },
      pyb::arg("mode"), doc::set_mode);
  def(
      cls, "set_enabled",
      [](Pikalo& p, bool_arg enabled) {
        alias(p).enabled_obj = enabled;  // kept also when its truth fails
        // Its truth value is the first step of the guarded body.
        bool on = false;
        try {
          on = nimbal::py::from_py::truth(enabled, "an argument");
        } catch (...) {
          logged{err::set_enabled}(nimbal::py::convert::tag<void>{}, enabled);
          return;
        }
        p.set_enabled(on);
      },
      pyb::arg("enabled"), doc::set_enabled);
  def(cls, "is_enabled", [](Pikalo& p) { return bool_arg(alias(p).enabled_obj); }, doc::is_enabled);
  def(cls, "get_mode", [](Pikalo& p) { return typed<mode_or_none_name>(alias(p).mode_obj); }, doc::get_mode);
  def(cls, "configure_selection_colors", [](Pikalo& p) { p.Pikalo::configure_selection_colors(); },
      doc::configure_selection_colors);
  // exclusion, priorities, clearing
  def(cls, "exclude_from_selection", &Pikalo::exclude_from_selection, pyb::arg("ais_obj"),
      doc::exclude_from_selection);
  def(cls, "remove_excluded", &Pikalo::remove_excluded, pyb::arg("ais_obj"), doc::remove_excluded);
  def(cls, "clear_excluded", &Pikalo::clear_excluded, doc::clear_excluded);
  def(cls, "set_shape_selection_priority", &Pikalo::set_shape_selection_priority,
      logged{err::set_shape_selection_priority}, pyb::arg("ais_obj"), pyb::arg("priority"),
      doc::set_shape_selection_priority);
  def(cls, "clear", &Pikalo::clear, doc::clear);
  // hover, pick, reading the selection
  def(cls, "move_to", &Pikalo::move_to, logged{err::move_to}, pyb::arg("x"), pyb::arg("y"), pyb::arg("view"),
      pyb::arg("update") = true, doc::move_to);
  def(cls, "select", &Pikalo::select, logged{err::select}, pyb::arg("x"), pyb::arg("y"), pyb::arg("view"),
      pyb::arg("replace") = true, doc::select);
  def(cls, "get_hovered_shape_id", &Pikalo::get_hovered_shape_id, pyb::arg("lumbra"), doc::get_hovered_shape_id);
  def(cls, "get_selected_shapes", &Pikalo::get_selected_shapes, doc::get_selected_shapes);
  // sub-shapes by index
  def(cls, "select_edges_by_index", &Pikalo::select_edges_by_index, pyb::arg("ais_shape"), pyb::arg("base_shape"),
      pyb::arg("edge_indices"), doc::select_edges_by_index);
  def(cls, "select_vertices_by_index", &Pikalo::select_vertices_by_index, pyb::arg("ais_shape"),
      pyb::arg("base_shape"), pyb::arg("vertex_indices"), doc::select_vertices_by_index);
  def(cls, "get_selected_subshapes", [](Pikalo& p) { return p.Pikalo::get_selected_subshapes(); },
      doc::get_selected_subshapes);
  def(cls, "get_selected_edge_indices", &Pikalo::get_selected_edge_indices, pyb::arg("base_shape"),
      doc::get_selected_edge_indices);
  def(cls, "get_selected_vertex_indices", &Pikalo::get_selected_vertex_indices, pyb::arg("base_shape"),
      doc::get_selected_vertex_indices);
  nimbal::py::guard_method_self(m);  // last: after every class is bound
}
