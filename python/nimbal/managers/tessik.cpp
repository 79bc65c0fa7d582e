// nimbal.managers.tessik: the sketch manager as the host sees it. A host
// subclass's hooks and state callbacks are reached through the trampoline
// below.
#include "nimbal/managers/tessik.hpp"

#include <pybind11/functional.h>
#include <pybind11/stl.h>

#include "corvath_bind.hpp"
#include "nimbal_py/manager_hooks.hpp"
#include "nimbal_py/method_guard.hpp"
#include "tessik_bind.hpp"
#include "tessik_docs.hpp"

namespace pyb = pybind11;
namespace from_py = nimbal::py::from_py;
namespace doc = nimbal::py::tessik::doc;
using namespace nimbal::managers;
using namespace nimbal::py::corvath;
using nimbal::ShapeType;
using nimbal::models::BooleanProperties;
using nimbal::models::PlaneProperties;
using nimbal::py::convert::RecordOrNull;
using namespace nimbal::py::typing;

// Plane-local points, as the sketch manager's messages name them.
namespace nimbal::py::convert {

struct UV {
  services::Point2 p;
};
struct UVs {
  std::vector<services::Point2> points;
};
NIMBAL_PY_NAME(points2_name, "typing.Iterable[tuple[float, float]]");

inline UV value(pyb::handle v, tag<UV>, std::string_view what) {
  return {from_py::point<2>(v, what, "a (u, v) pair of numbers")};
}
inline UVs value(pyb::handle v, tag<UVs>, std::string_view what) {
  return {from_py::points<2>(v, what, "a sequence of (u, v) pairs", "each point", "a (u, v) pair of numbers")};
}
template <>
struct arg_name<UV> : typing::point2_name {};
template <>
struct arg_name<UVs> : points2_name {};

}  // namespace nimbal::py::convert

namespace {

using nimbal::py::convert::UV;
using nimbal::py::convert::UVs;

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
NIMBAL_PY_NAME(plane_or_none_name, "nimbal.models.quenby.PlaneProperties | None");
NIMBAL_PY_NAME(boolean_or_none_name, "nimbal.models.quenby.BooleanProperties | None");
NIMBAL_PY_NAME(snapshot_name, "nimbal.services.hathel._ShapeSnapshot");

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
  c.def(pyb::init([fandor_cls](const std::string& plane_id, typed<plane_or_none_name> plane_props,
                               typed<fandor_or_none_name> fandor_obj) {
          PlanePtr plane = from_py::record_or_null_of<PlaneProperties>(plane_props, "plane_props");
          // `is None`, not truth: any other object is the service.
          pyb::object service = fandor_obj.is_none() ? fandor_cls() : pyb::reinterpret_borrow<pyb::object>(fandor_obj);
          return std::make_shared<PyCoreTessik>(plane_id, std::move(plane),
                                                nimbal::py::tessik::sketch_service_from(service), service);
        }),
        pyb::arg("plane_id") = "", pyb::arg("plane_props") = pyb::none(), pyb::arg("fandor") = pyb::none());

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
      .def_property_readonly("_undo_redo", undo_stacks<CoreTessik>(), doc::_undo_redo);

  // ---- hooks (nothing here) ----
  def_hooks<CoreTessik>(c, {doc::notify_shape_created, doc::notify_shape_updated, doc::notify_shape_removed,
                            doc::notify_all_cleared, doc::notify_undo_redo_changed});

  // ---- ids, names, queries ----
  c.def("_new_shape_id", &CoreTessik::_new_shape_id, pyb::arg("shape_type"), doc::new_shape_id)
      .def("_generate_shape_name", &CoreTessik::_generate_shape_name, pyb::arg("shape_type"), doc::generate_shape_name);
  nimbal::py::def(
      c, "get_shape", [](CoreTessik& self, const std::string& id) { return self.get_shape(id); },
      pyb::arg("shape_id"), doc::get_shape);
  c.def("get_all_shape_ids", &CoreTessik::get_all_shape_ids, doc::get_all_shape_ids);

  // ---- undo ----
  c.def_property_readonly("can_undo", &CoreTessik::can_undo, doc::can_undo)
      .def_property_readonly("can_redo", &CoreTessik::can_redo, doc::can_redo)
      .def("undo", &CoreTessik::undo, doc::undo)
      .def("redo", &CoreTessik::redo, doc::redo)
      .def("_on_redo_clears_all", &CoreTessik::_on_redo_clears_all, doc::on_redo_clears_all);
  def_push_undo<CoreTessik>(c, doc::push_undo);
  def_apply_state<CoreTessik>(c, doc::apply_state);
  c.def(
      "_restore_from_snapshot",
      [](CoreTessik& self, const std::string& shape_id, typed<snapshot_name> snapshot) {
        if (!pyb::isinstance<nimbal::services::ShapeSnapshot>(snapshot))
          from_py::wrong_type("snapshot", "a _ShapeSnapshot", snapshot);
        self._restore_from_snapshot(shape_id, snapshot.cast<nimbal::services::SnapshotPtr>());
      },
      pyb::arg("shape_id"), pyb::arg("snapshot"), doc::restore_from_snapshot);

  // ---- creation ----
  nimbal::py::def(c, "create_rectangle", &CoreTessik::create_rectangle, pyb::arg("u"), pyb::arg("v"),
                  pyb::arg("width") = 60.0, pyb::arg("height") = 40.0, pyb::arg("color") = DEFAULT_SKETCH_COLOR,
                  pyb::arg("name") = pyb::none(), pyb::arg("filled") = true, doc::create_rectangle);
  nimbal::py::def(c, "create_circle", &CoreTessik::create_circle, pyb::arg("u"), pyb::arg("v"),
                  pyb::arg("radius") = 30.0, pyb::arg("color") = DEFAULT_SKETCH_COLOR, pyb::arg("name") = pyb::none(),
                  pyb::arg("filled") = true, doc::create_circle);
  nimbal::py::def(
      c, "create_line",
      [](CoreTessik& self, UV p1, UV p2, const Color& color, std::optional<std::string> name) {
        return self.create_line(p1.p, p2.p, color, std::move(name));
      },
      pyb::arg("p1"), pyb::arg("p2"), pyb::arg("color") = DEFAULT_SKETCH_COLOR, pyb::arg("name") = pyb::none(),
      doc::create_line);
  nimbal::py::def(
      c, "create_arc",
      [](CoreTessik& self, UV start, UV mid, UV end, const Color& color, std::optional<std::string> name) {
        return self.create_arc(start.p, mid.p, end.p, color, std::move(name));
      },
      pyb::arg("start"), pyb::arg("mid"), pyb::arg("end"), pyb::arg("color") = DEFAULT_SKETCH_COLOR,
      pyb::arg("name") = pyb::none(), doc::create_arc);
  nimbal::py::def(
      c, "create_sketch_polyline",
      [](CoreTessik& self, UVs pts, bool closed, bool filled, const Color& color, std::optional<std::string> name) {
        return self.create_sketch_polyline(pts.points, closed, filled, color, std::move(name));
      },
      pyb::arg("points_uv"), pyb::arg("closed") = false, pyb::arg("filled") = false,
      pyb::arg("color") = DEFAULT_SKETCH_COLOR, pyb::arg("name") = pyb::none(), doc::create_sketch_polyline);
  c.def(
      "_register_shape",
      [](CoreTessik& self, ShapeType t, typed<shape_name> shape, record_arg props, const Color& color,
         str_or_none name) {
        return self._register_shape(t, from_py::shape_or_null(shape, "shape"), from_py::record(props, "properties"),
                                    color, from_py::text_or_none(name, "name"));
      },
      pyb::arg("shape_type"), pyb::arg("shape"), pyb::arg("properties"), pyb::arg("color"), pyb::arg("name"),
      doc::register_shape);

  // ---- editing ----
  nimbal::py::def(c, "update_shape", &CoreTessik::update_shape, pyb::arg("shape_id"), pyb::arg("properties"),
                  doc::update_shape);
  nimbal::py::def(
      c, "_build_shape_from_properties",
      [](CoreTessik& self, ShapeType t, RecordPtr props) { return self._build_shape_from_properties(t, *props); },
      pyb::arg("shape_type"), pyb::arg("properties"), doc::build_shape_from_properties);
  nimbal::py::def(
      c, "_recompute_boolean_from_components",
      [](CoreTessik& self, ManagedShapePtr ms, RecordOrNull override_props) {
        return self._recompute_boolean_from_components(*ms, override_props.ptr.get());
      },
      pyb::arg("ms"), pyb::arg("override_props") = pyb::none(), doc::recompute_boolean_from_components);
  c.def("update_shape_color", &CoreTessik::update_shape_color, pyb::arg("shape_id"), pyb::arg("color"),
        doc::update_shape_color)
      .def("rename_shape", &CoreTessik::rename_shape, pyb::arg("shape_id"), pyb::arg("new_name"), doc::rename_shape)
      .def("remove_shape", &CoreTessik::remove_shape, pyb::arg("shape_id"), doc::remove_shape)
      .def("clear_all", &CoreTessik::clear_all, doc::clear_all);

  // ---- booleans and decomposition ----
  using Combine = std::optional<std::string> (CoreTessik::*)(const std::vector<std::string>&,
                                                              std::shared_ptr<BooleanProperties>);
  const std::tuple<const char*, Combine, const char*> combinations[] = {
      {"union_shapes", &CoreTessik::union_shapes, doc::union_shapes},
      {"subtract_shapes", &CoreTessik::subtract_shapes, doc::subtract_shapes},
  };
  for (auto [name, fn, text] : combinations)
    c.def(
        name,
        [fn = fn](CoreTessik& self, const std::vector<std::string>& ids, typed<boolean_or_none_name> props) {
          return (self.*fn)(ids, from_py::record_or_null_of<BooleanProperties>(props, "properties"));
        },
        pyb::arg("shape_ids"), pyb::arg("properties") = pyb::none(), text);
  c.def("decompose_shape", &CoreTessik::decompose_shape, pyb::arg("shape_id"), doc::decompose_shape);
  nimbal::py::guard_method_self(m);  // last: after every class is bound
}
