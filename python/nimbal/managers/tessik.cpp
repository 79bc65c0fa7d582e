// nimbal.managers.tessik: the sketch manager as the host sees it. A host
// subclass's hooks and state callbacks are reached through the trampoline
// below.
#include "nimbal/managers/tessik.hpp"

#include <pybind11/functional.h>
#include <pybind11/stl.h>

#include "corvath_bind.hpp"
#include "nimbal_py/hathel.hpp"
#include "nimbal_py/records.hpp"
#include "tessik_bind.hpp"
#include "nimbal_py/method_guard.hpp"

namespace pyb = pybind11;
using namespace nimbal::managers;
using nimbal::ShapeType;
using nimbal::models::BooleanProperties;
using nimbal::py::record_from_py;
using nimbal::py::shape_or_none;
using nimbal::py::type_name;
using nimbal::services::Point2;
using namespace nimbal::py::typing;

namespace {

class PyCoreTessik : public CoreTessik {
 public:
  PyCoreTessik(std::string plane_id, PlanePtr plane, std::shared_ptr<SketchPlaneService> service,
               pyb::object fandor_obj)
      : CoreTessik(std::move(plane_id), std::move(plane), std::move(service)), fandor_obj(std::move(fandor_obj)) {}

  // The service as it was given (or the Fandor made for it).
  pyb::object fandor_obj;

  void _notify_shape_created(const std::string& shape_id, const ManagedShapePtr& ms) override {
    PYBIND11_OVERRIDE(void, CoreTessik, _notify_shape_created, shape_id, ms);
  }
  void _notify_shape_updated(const std::string& shape_id, const ManagedShapePtr& ms) override {
    PYBIND11_OVERRIDE(void, CoreTessik, _notify_shape_updated, shape_id, ms);
  }
  void _notify_shape_removed(const std::string& shape_id) override {
    PYBIND11_OVERRIDE(void, CoreTessik, _notify_shape_removed, shape_id);
  }
  void _notify_all_cleared() override { PYBIND11_OVERRIDE(void, CoreTessik, _notify_all_cleared, ); }
  void _notify_undo_redo_changed(bool can_undo, bool can_redo) override {
    PYBIND11_OVERRIDE(void, CoreTessik, _notify_undo_redo_changed, can_undo, can_redo);
  }
  void _on_redo_clears_all() override { PYBIND11_OVERRIDE(void, CoreTessik, _on_redo_clears_all, ); }
  void _apply_state(const nimbal::services::StatePtr& state) override {
    PYBIND11_OVERRIDE(void, CoreTessik, _apply_state, state);
  }
  std::string _new_shape_id(ShapeType t) override { PYBIND11_OVERRIDE(std::string, CoreTessik, _new_shape_id, t); }
  std::string _generate_shape_name(ShapeType t) override {
    PYBIND11_OVERRIDE(std::string, CoreTessik, _generate_shape_name, t);
  }
};

std::optional<std::string> optional_name(pyb::handle v) { return nimbal::py::optional_str(v, "name"); }

Point2 point(pyb::handle v, const char* what) {
  Point2 p{};
  if (!nimbal::py::as_point<2>(v, p))
    throw nimbal::TypeError(std::string(what) + " must be a (u, v) pair of numbers, not '" + type_name(v) + "'");
  return p;
}

std::vector<Point2> points(pyb::handle v, const char* what) {
  if (!PySequence_Check(v.ptr()) || PyUnicode_Check(v.ptr()) || PyBytes_Check(v.ptr()))
    throw nimbal::TypeError(std::string(what) + " must be a sequence of (u, v) pairs, not '" + type_name(v) + "'");
  std::vector<Point2> out;
  for (pyb::handle p : v) out.push_back(point(p, "each point"));
  return out;
}

bool truth(pyb::handle obj) {
  int r = PyObject_IsTrue(obj.ptr());
  if (r < 0) throw pyb::error_already_set();
  return r == 1;
}

std::shared_ptr<BooleanProperties> boolean_record(pyb::handle v) {
  if (v.is_none()) return nullptr;
  if (!pyb::isinstance<BooleanProperties>(v))
    throw nimbal::TypeError("properties must be a BooleanProperties or None, not '" + type_name(v) + "'");
  return std::static_pointer_cast<BooleanProperties>(v.cast<std::shared_ptr<nimbal::models::Quenby>>());
}

ManagedShapePtr managed(pyb::handle v, const char* what) {
  if (!pyb::isinstance<ManagedShape>(v))
    throw nimbal::TypeError(std::string(what) + " must be a ManagedShape, not '" + type_name(v) + "'");
  return v.cast<ManagedShapePtr>();
}

NIMBAL_PY_NAME(hathel_name, "nimbal.services.hathel.Hathel");
NIMBAL_PY_NAME(fandor_name, "nimbal.services.fandor.Fandor");
NIMBAL_PY_NAME(fandor_or_none_name, "nimbal.services.fandor.Fandor | None");
NIMBAL_PY_NAME(plane_or_none_name, "nimbal.models.quenby.PlaneProperties | None");
NIMBAL_PY_NAME(boolean_or_none_name, "nimbal.models.quenby.BooleanProperties | None");
NIMBAL_PY_NAME(points2_name, "typing.Iterable[tuple[float, float]]");
NIMBAL_PY_NAME(state_name, "nimbal.services.hathel.State | dict[str, typing.Any]");
NIMBAL_PY_NAME(snapshot_name, "nimbal.services.hathel._ShapeSnapshot");

PyCoreTessik& py_self(CoreTessik& self) { return static_cast<PyCoreTessik&>(self); }

}  // namespace

PYBIND11_MODULE(tessik, m) {
  m.doc() = "The sketch manager: registry, creation, editing, booleans, undo and hooks of sketch elements.";
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

  pyb::class_<CoreTessik, PyCoreTessik, std::shared_ptr<CoreTessik>> c(
      m, "CoreTessik", "The headless sketch manager of one sketch on one reference plane.");
  pyb::object fandor_cls = fandor.attr("Fandor");
  c.def(pyb::init([fandor_cls](const std::string& plane_id, typed<plane_or_none_name> plane_props, typed<fandor_or_none_name> fandor_obj) {
          PlanePtr plane;
          if (!plane_props.is_none()) {
            if (!pyb::isinstance<nimbal::models::PlaneProperties>(plane_props))
              throw nimbal::TypeError("plane_props must be a PlaneProperties or None, not '" +
                                      type_name(plane_props) + "'");
            plane = std::static_pointer_cast<nimbal::models::PlaneProperties>(
                plane_props.cast<std::shared_ptr<nimbal::models::Quenby>>());
          }
          // `is None`, not truth: any other object is the service.
          pyb::object service = fandor_obj.is_none() ? fandor_cls() : pyb::reinterpret_borrow<pyb::object>(fandor_obj);
          return std::make_shared<PyCoreTessik>(plane_id, std::move(plane),
                                                nimbal::py::tessik::sketch_service_from(service), service);
        }),
        pyb::arg("plane_id") = "", pyb::arg("plane_props") = pyb::none(), pyb::arg("fandor") = pyb::none());

  // Extra keywords go to the initialiser after this class in the instance's
  // hierarchy (a host's UI base class), before anything is set.
  pyb::object cpp_init = c.attr("__init__");
  pyb::object cls_obj = c;
  c.attr("__init__") = pyb::cpp_function(
      [cpp_init, cls_obj](typed<class_name<CoreTessik>> self, typed<str_name> plane_id, typed<plane_or_none_name> plane_props, typed<fandor_or_none_name> fandor_obj,
                          pyb::kwargs kwargs) {
        // The next class after this one in the instance's order that defines
        // an initialiser, passing over pybind11's own base, whose initialiser
        // refuses every call; `object` at the latest, which refuses extra
        // keywords with TypeError.
        pyb::handle skip = cls_obj.attr("__base__");
        bool after = false;
        for (pyb::handle k : pyb::type::handle_of(self).attr("__mro__")) {
          if (!after) {
            after = k.is(cls_obj);
            continue;
          }
          if (k.is(skip) || !k.attr("__dict__").contains("__init__")) continue;
          k.attr("__init__")(self, **kwargs);
          break;
        }
        cpp_init(self, plane_id, plane_props, fandor_obj);
      },
      pyb::name("__init__"), pyb::is_method(c), pyb::sibling(pyb::none()),
      pyb::arg("plane_id") = "", pyb::arg("plane_props") = pyb::none(), pyb::arg("fandor") = pyb::none());

  // ---- attributes and read-only properties ----
  c.def_property_readonly("plane_id", [](CoreTessik& s) { return s.plane_id(); })
      .def_property_readonly("plane_props", [](CoreTessik& s) { return s.plane_props(); })
      .def_property_readonly("_plane_id", [](CoreTessik& s) { return s.plane_id(); })
      .def_property_readonly("_plane_props", [](CoreTessik& s) { return s.plane_props(); })
      .def_property_readonly("_shapes", pyb::cpp_function(
                                            [](pyb::object self) {
                                              return nimbal::py::corvath::RegistryView{
                                                  &self.cast<CoreTessik&>()._shapes()};
                                            },
                                            pyb::keep_alive<0, 1>()))
      .def_property_readonly("_fandor", [](CoreTessik& self) { return typed<fandor_name>(py_self(self).fandor_obj); })
      .def_property_readonly("_undo_redo", [](pyb::object self) -> typed<hathel_name> {
        return pyb::cast(&self.cast<CoreTessik&>()._undo_redo(), pyb::return_value_policy::reference_internal, self);
      });

  // ---- hooks (nothing here) ----
  c.def("_notify_shape_created", &CoreTessik::_notify_shape_created, pyb::arg("shape_id"), pyb::arg("ms"))
      .def("_notify_shape_updated", &CoreTessik::_notify_shape_updated, pyb::arg("shape_id"), pyb::arg("ms"))
      .def("_notify_shape_removed", &CoreTessik::_notify_shape_removed, pyb::arg("shape_id"))
      .def("_notify_all_cleared", &CoreTessik::_notify_all_cleared)
      .def("_notify_undo_redo_changed", &CoreTessik::_notify_undo_redo_changed, pyb::arg("can_undo"),
           pyb::arg("can_redo"));

  // ---- ids, names, queries ----
  c.def("_new_shape_id", &CoreTessik::_new_shape_id, pyb::arg("shape_type"))
      .def("_generate_shape_name", &CoreTessik::_generate_shape_name, pyb::arg("shape_type"))
      .def("get_shape", &CoreTessik::get_shape, pyb::arg("shape_id"))
      .def("get_all_shape_ids", &CoreTessik::get_all_shape_ids);

  // ---- undo ----
  c.def_property_readonly("can_undo", &CoreTessik::can_undo)
      .def_property_readonly("can_redo", &CoreTessik::can_redo)
      .def("undo", &CoreTessik::undo)
      .def("redo", &CoreTessik::redo)
      .def("_on_redo_clears_all", &CoreTessik::_on_redo_clears_all)
      .def(
          "_push_undo",
          [](CoreTessik& self, const std::string& description, typed<state_name> before, typed<state_name> after,
             bool redo_clears_all) {
            self._push_undo(description, nimbal::py::state_from_py(before, "before"),
                            nimbal::py::state_from_py(after, "after"), redo_clears_all);
          },
          pyb::arg("description"), pyb::arg("before"), pyb::arg("after"), pyb::kw_only(),
          pyb::arg("redo_clears_all") = false)
      .def(
          "_apply_state",
          [](CoreTessik& self, typed<state_name> state) { self.CoreTessik::_apply_state(nimbal::py::state_from_py(state)); },
          pyb::arg("state"))
      .def(
          "_restore_from_snapshot",
          [](CoreTessik& self, const std::string& shape_id, typed<snapshot_name> snapshot) {
            if (!pyb::isinstance<nimbal::services::ShapeSnapshot>(snapshot))
              throw nimbal::TypeError("snapshot must be a _ShapeSnapshot, not '" + type_name(snapshot) + "'");
            self._restore_from_snapshot(shape_id, snapshot.cast<nimbal::services::SnapshotPtr>());
          },
          pyb::arg("shape_id"), pyb::arg("snapshot"));

  // ---- creation ----
  c.def(
       "create_rectangle",
       [](CoreTessik& self, double u, double v, double width, double height, const Color& color, str_or_none name,
          bool_arg filled) {
         return self.create_rectangle(u, v, width, height, color, optional_name(name), truth(filled));
       },
       pyb::arg("u"), pyb::arg("v"), pyb::arg("width") = 60.0, pyb::arg("height") = 40.0,
       pyb::arg("color") = DEFAULT_SKETCH_COLOR, pyb::arg("name") = pyb::none(), pyb::arg("filled") = true)
      .def(
          "create_circle",
          [](CoreTessik& self, double u, double v, double radius, const Color& color, str_or_none name,
             bool_arg filled) {
            return self.create_circle(u, v, radius, color, optional_name(name), truth(filled));
          },
          pyb::arg("u"), pyb::arg("v"), pyb::arg("radius") = 30.0, pyb::arg("color") = DEFAULT_SKETCH_COLOR,
          pyb::arg("name") = pyb::none(), pyb::arg("filled") = true)
      .def(
          "create_line",
          [](CoreTessik& self, typed<point2_name> p1, typed<point2_name> p2, const Color& color, str_or_none name) {
            return self.create_line(point(p1, "p1"), point(p2, "p2"), color, optional_name(name));
          },
          pyb::arg("p1"), pyb::arg("p2"), pyb::arg("color") = DEFAULT_SKETCH_COLOR, pyb::arg("name") = pyb::none())
      .def(
          "create_arc",
          [](CoreTessik& self, typed<point2_name> start, typed<point2_name> mid, typed<point2_name> end, const Color& color,
             str_or_none name) {
            return self.create_arc(point(start, "start"), point(mid, "mid"), point(end, "end"), color,
                                   optional_name(name));
          },
          pyb::arg("start"), pyb::arg("mid"), pyb::arg("end"), pyb::arg("color") = DEFAULT_SKETCH_COLOR,
          pyb::arg("name") = pyb::none())
      .def(
          "create_sketch_polyline",
          [](CoreTessik& self, typed<points2_name> pts, bool_arg closed, bool_arg filled, const Color& color,
             str_or_none name) {
            return self.create_sketch_polyline(points(pts, "points_uv"), truth(closed), truth(filled), color,
                                               optional_name(name));
          },
          pyb::arg("points_uv"), pyb::arg("closed") = false, pyb::arg("filled") = false,
          pyb::arg("color") = DEFAULT_SKETCH_COLOR, pyb::arg("name") = pyb::none())
      .def(
          "_register_shape",
          [](CoreTessik& self, ShapeType t, typed<shape_name> shape, record_arg props, const Color& color,
             str_or_none name) {
            return self._register_shape(t, nimbal::py::shape_from_py(shape, "shape"),
                                        record_from_py(props, "properties"), color, optional_name(name));
          },
          pyb::arg("shape_type"), pyb::arg("shape"), pyb::arg("properties"), pyb::arg("color"), pyb::arg("name"));

  // ---- editing ----
  c.def(
       "update_shape",
       [](CoreTessik& self, const std::string& id, record_arg props) {
         return self.update_shape(id, record_from_py(props, "properties"));
       },
       pyb::arg("shape_id"), pyb::arg("properties"))
      .def(
          "_build_shape_from_properties",
          [](CoreTessik& self, ShapeType t, record_arg props) {
            return typed<shape_or_none_name>(shape_or_none(self._build_shape_from_properties(t, *record_from_py(props, "properties"))));
          },
          pyb::arg("shape_type"), pyb::arg("properties"))
      .def(
          "_recompute_boolean_from_components",
          [](CoreTessik& self, typed<managed_name> ms, record_or_none override_props) {
            RecordPtr rec = override_props.is_none() ? nullptr : record_from_py(override_props, "override_props");
            return typed<shape_or_none_name>(shape_or_none(self._recompute_boolean_from_components(*managed(ms, "ms"), rec.get())));
          },
          pyb::arg("ms"), pyb::arg("override_props") = pyb::none())
      .def("update_shape_color", &CoreTessik::update_shape_color, pyb::arg("shape_id"), pyb::arg("color"))
      .def("rename_shape", &CoreTessik::rename_shape, pyb::arg("shape_id"), pyb::arg("new_name"))
      .def("remove_shape", &CoreTessik::remove_shape, pyb::arg("shape_id"))
      .def("clear_all", &CoreTessik::clear_all);

  // ---- booleans and decomposition ----
  c.def(
       "union_shapes",
       [](CoreTessik& self, const std::vector<std::string>& ids, typed<boolean_or_none_name> props) {
         return (self.union_shapes(ids, boolean_record(props)));
       },
       pyb::arg("shape_ids"), pyb::arg("properties") = pyb::none())
      .def(
          "subtract_shapes",
          [](CoreTessik& self, const std::vector<std::string>& ids, typed<boolean_or_none_name> props) {
            return (self.subtract_shapes(ids, boolean_record(props)));
          },
          pyb::arg("shape_ids"), pyb::arg("properties") = pyb::none())
      .def("decompose_shape", &CoreTessik::decompose_shape, pyb::arg("shape_id"));
  nimbal::py::guard_method_self(m);  // last: after every class is bound
}
