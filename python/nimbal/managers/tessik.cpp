// nimbal.managers.tessik: the sketch manager as the host sees it. A host
// subclass's hooks and state callbacks are reached through the trampoline
// below.
#include "nimbal/managers/tessik.hpp"

#include <pybind11/functional.h>
#include <pybind11/stl.h>

#include "manager_bind.hpp"
#include "nimbal_py/convert.hpp"
#include "nimbal_py/define.hpp"
#include "nimbal_py/manager_hooks.hpp"
#include "nimbal_py/method_guard.hpp"
#include "tessik_bind.hpp"
#include "tessik_docs.hpp"

namespace pyb = pybind11;
namespace from_py = nimbal::py::from_py;
namespace doc = nimbal::py::tessik::doc;
using namespace nimbal::managers;
using namespace nimbal::py::manager_bind;
using nimbal::ShapeType;
using nimbal::models::PlaneProperties;
using nimbal::py::def;
using namespace nimbal::py::typing;

// Plane-local points, as the sketch manager's messages name them.
namespace nimbal::py::convert {

NIMBAL_PY_NAME(points2_name, "typing.Iterable[tuple[float, float]]");

inline managers::PlanePoint value(pyb::handle v, tag<managers::PlanePoint>, std::string_view what) {
  return from_py::point<2>(v, what, "a (u, v) pair of numbers");
}
inline std::vector<managers::PlanePoint> value(pyb::handle v, tag<std::vector<managers::PlanePoint>>,
                                               std::string_view what) {
  const auto points =
      from_py::points<2>(v, what, "a sequence of (u, v) pairs", "each point", "a (u, v) pair of numbers");
  return {points.begin(), points.end()};
}
template <>
struct arg_name<managers::PlanePoint> : typing::point2_name {};
template <>
struct arg_name<std::vector<managers::PlanePoint>> : points2_name {};

}  // namespace nimbal::py::convert

namespace {

class PyCoreTessik : public nimbal::py::ManagerHooks<CoreTessik> {
 public:
  PyCoreTessik(std::string plane_id, PlanePtr plane, std::shared_ptr<SketchPlaneService> service,
               pyb::object fandor_obj)
      : ManagerHooks(std::move(plane_id), std::move(plane), std::move(service)), fandor_obj(std::move(fandor_obj)) {}

  // The service as it was given (or the Fandor made for it).
  pyb::object fandor_obj;
};

NIMBAL_PY_NAME(fandor_name, "nimbal.services.fandor.Fandor");
NIMBAL_PY_NAME(fandor_or_none_name, "nimbal.services.fandor.Fandor | None");

}  // namespace

PYBIND11_MODULE(tessik, m) {
  m.doc() = doc::module;
  nimbal::py::import_kernel();
  pyb::module_ enums = pyb::module_::import("nimbal.enums");
  pyb::module_ quenby = pyb::module_::import("nimbal.models.quenby");
  pyb::module_ hathel = pyb::module_::import("nimbal.services.hathel");
  pyb::module_ corvath = pyb::module_::import("nimbal.managers.corvath");
  pyb::module_ fandor = pyb::module_::import("nimbal.services.fandor");
  nimbal::py::register_core_errors();

  // The names this module brings in, as a host may import them from here.
  m.attr("uuid") = pyb::module_::import("uuid");
  m.attr("ManagedShape") = corvath.attr("ManagedShape");
  m.attr("ShapeType") = enums.attr("ShapeType");
  for (const char* rec : {"ArcProperties", "BooleanProperties", "CircleProperties", "LineProperties",
                          "PlaneProperties", "RectangleProperties", "Quenby", "SketchPolylineProperties"})
    m.attr(rec) = quenby.attr(rec);
  m.attr("Fandor") = fandor.attr("Fandor");
  for (const char* name : {"Hathel", "_UndoCommand", "_ShapeSnapshot"}) m.attr(name) = hathel.attr(name);
  m.attr("DEFAULT_SKETCH_COLOR") = pyb::cast(DEFAULT_SKETCH_COLOR);

  pyb::class_<CoreTessik, PyCoreTessik, std::shared_ptr<CoreTessik>> c(m, "CoreTessik", doc::cls);
  pyb::object fandor_cls = fandor.attr("Fandor");
  def(c, "__init__", [fandor_cls](const std::string& plane_id, nimbal::Nullable<PlaneProperties> plane_props,
                                  typed<fandor_or_none_name> fandor_obj) {
    pyb::object service = service_or_new(fandor_obj, fandor_cls);
    return std::make_shared<PyCoreTessik>(plane_id, std::move(plane_props),
                                          nimbal::py::tessik::sketch_service_from(service), service);
  }, nimbal::py::as_constructor, pyb::arg("plane_id") = "", pyb::arg("plane_props") = pyb::none(),
      pyb::arg("fandor") = pyb::none());

  // Extra keywords go to the initialiser after this class in the instance's
  // hierarchy (a host's UI base class), before anything is set: a Python
  // __init__ around the constructor above, since pybind11 takes a hand-made
  // C++ __init__ for its deprecated placement-new form.
  pyb::module_::import("nimbal.managers._cooperative").attr("cooperative_init")(c, c.attr("__init__"), doc::init);

  // ---- attributes and read-only properties ----
  c.def_property_readonly("plane_id", &CoreTessik::plane_id, doc::plane_id)
      .def_property_readonly("plane_props", &CoreTessik::plane_props, doc::plane_props)
      .def_property_readonly("_plane_id", &CoreTessik::plane_id, doc::_plane_id)
      .def_property_readonly("_plane_props", &CoreTessik::plane_props, doc::_plane_props)
      .def_property_readonly("_shapes", registry_view<CoreTessik>(), doc::_shapes)
      .def_property_readonly(
          "_fandor",
          [](CoreTessik& self) { return typed<fandor_name>(static_cast<PyCoreTessik&>(self).fandor_obj); },
          doc::_fandor)
      .def_property_readonly("_undo_redo", live<hathel_name, CoreTessik>(&CoreTessik::_undo_redo), doc::_undo_redo);

  // ---- hooks (nothing here) ----
  def_hooks(c, {doc::notify_shape_created, doc::notify_shape_updated, doc::notify_shape_removed,
                doc::notify_all_cleared, doc::notify_undo_redo_changed});

  // ---- ids, names, queries ----
  def_id_drawing(c, doc::new_shape_id, doc::generate_shape_name);
  def_queries(c, doc::get_shape, doc::get_all_shape_ids);

  // ---- undo ----
  def_undo_facade(c, doc::can_undo, doc::can_redo, doc::undo, doc::redo);
  def(c, "_on_redo_clears_all", &CoreTessik::_on_redo_clears_all, doc::on_redo_clears_all);
  def_push_undo(c, doc::push_undo);
  def_apply_state<CoreTessik>(c, doc::apply_state);
  def(c, "_restore_from_snapshot", &CoreTessik::_restore_from_snapshot, pyb::arg("shape_id"),
                  pyb::arg("snapshot"), doc::restore_from_snapshot);

  // ---- creation ----
  def(c, "create_rectangle", &CoreTessik::create_rectangle, pyb::arg("u"), pyb::arg("v"),
                  pyb::arg("width") = 60.0, pyb::arg("height") = 40.0, pyb::arg("color") = DEFAULT_SKETCH_COLOR,
                  pyb::arg("name") = pyb::none(), pyb::arg("filled") = true, doc::create_rectangle);
  def(c, "create_circle", &CoreTessik::create_circle, pyb::arg("u"), pyb::arg("v"),
                  pyb::arg("radius") = 30.0, pyb::arg("color") = DEFAULT_SKETCH_COLOR, pyb::arg("name") = pyb::none(),
                  pyb::arg("filled") = true, doc::create_circle);
  def(c, "create_line", &CoreTessik::create_line, pyb::arg("p1"), pyb::arg("p2"),
                  pyb::arg("color") = DEFAULT_SKETCH_COLOR, pyb::arg("name") = pyb::none(), doc::create_line);
  def(c, "create_arc", &CoreTessik::create_arc, pyb::arg("start"), pyb::arg("mid"), pyb::arg("end"),
                  pyb::arg("color") = DEFAULT_SKETCH_COLOR, pyb::arg("name") = pyb::none(), doc::create_arc);
  def(c, "create_sketch_polyline", &CoreTessik::create_sketch_polyline, pyb::arg("points_uv"),
                  pyb::arg("closed") = false, pyb::arg("filled") = false, pyb::arg("color") = DEFAULT_SKETCH_COLOR,
                  pyb::arg("name") = pyb::none(), doc::create_sketch_polyline);
  def(c, "_register_shape", &CoreTessik::_register_shape, pyb::arg("shape_type"),
                               pyb::arg("shape"), pyb::arg("properties"), pyb::arg("color"), pyb::arg("name"),
                               doc::register_shape);

  // ---- editing ----
  def(c, "update_shape", &CoreTessik::update_shape, pyb::arg("shape_id"), pyb::arg("properties"),
                  doc::update_shape);
  def(c, "_build_shape_from_properties", &CoreTessik::_build_shape_from_properties, pyb::arg("shape_type"),
                  pyb::arg("properties"), doc::build_shape_from_properties);
  def(c, "_recompute_boolean_from_components", &CoreTessik::_recompute_boolean_from_components,
                  pyb::arg("ms"), pyb::arg("override_props") = pyb::none(), doc::recompute_boolean_from_components);
  def_entry_edits(c, doc::update_shape_color, doc::rename_shape, doc::remove_shape);
  def(c, "clear_all", &CoreTessik::clear_all, doc::clear_all);

  // ---- booleans and decomposition ----
  def(c, "union_shapes", &CoreTessik::union_shapes, pyb::arg("shape_ids"),
                  pyb::arg("properties") = pyb::none(), doc::union_shapes);
  def(c, "subtract_shapes", &CoreTessik::subtract_shapes, pyb::arg("shape_ids"),
                  pyb::arg("properties") = pyb::none(), doc::subtract_shapes);
  def(c, "decompose_shape", &CoreTessik::decompose_shape, pyb::arg("shape_id"), doc::decompose_shape);
  nimbal::py::guard_method_self(m);  // last: after every class is bound
}
