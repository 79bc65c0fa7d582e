// nimbal.managers.corvath: the geometry manager as the host sees it. A host
// subclass's hooks, progress scope and state callbacks are reached through
// the trampoline below.
#include "nimbal/managers/corvath.hpp"

#include <pybind11/functional.h>

#include "corvath_bind.hpp"
#include "corvath_docs.hpp"
#include "nimbal_py/convert.hpp"
#include "nimbal_py/drulen_adapter.hpp"
#include "nimbal_py/hathel.hpp"
#include "nimbal_py/logging.hpp"
#include "nimbal_py/manager_hooks.hpp"
#include "nimbal_py/method_guard.hpp"

namespace pyb = pybind11;
namespace from_py = nimbal::py::from_py;
using namespace nimbal::managers;
using namespace nimbal::py::corvath;
using nimbal::ShapeType;
using nimbal::py::shape_or_none;
using nimbal::py::type_name;
using namespace nimbal::py::typing;
using nimbal::py::convert::RecordOrNull;
using nimbal::py::convert::ShapeArg;

namespace {

// The base progress scope as Python sees it: a context manager that does
// nothing.
struct NullScope {};

// Runs `step` inside the context manager `cm` exactly as a `with` statement
// would: an exception of the step goes to __exit__ and is raised again
// unless __exit__ swallows it. Returns false when it was swallowed.
bool run_in_scope(pyb::object cm, const std::function<void()>& step) {
  pyb::handle type = pyb::type::handle_of(cm);
  pyb::object exit = type.attr("__exit__");
  type.attr("__enter__")(cm);
  try {
    step();
  } catch (...) {
    pyb::object info = nimbal::py::exc_info_of(std::current_exception());
    if (pyb::bool_(exit(cm, info[pyb::int_(0)], info[pyb::int_(1)], info[pyb::int_(2)]))) return false;
    throw;
  }
  exit(cm, pyb::none(), pyb::none(), pyb::none());
  return true;
}

class PyCoreCorvath : public nimbal::py::ManagerHooks<CoreCorvath> {
 public:
  PyCoreCorvath(std::shared_ptr<nimbal::services::DrulenProtocol> geo, pyb::object geo_obj)
      : ManagerHooks(std::move(geo)), geo_service_obj(std::move(geo_obj)) {}

  // The service as it was given (or the Drulen made for it).
  pyb::object geo_service_obj;

  void _notify_operation_failed(const std::string& operation, const std::string& message) override {
    PYBIND11_OVERRIDE(void, CoreCorvath, _notify_operation_failed, operation, message);
  }
  bool _operation(const std::string& message, const std::function<void()>& step) override {
    pyb::gil_scoped_acquire gil;
    pyb::function override = pyb::get_override(static_cast<const CoreCorvath*>(this), "_operation");
    if (!override) return CoreCorvath::_operation(message, step);
    return run_in_scope(override(message), step);
  }
};

// One record of a sketch manager: a ManagedShape as it is, any other object
// read field by field.
class PyRecordReader final : public SketchRecordReader {
 public:
  explicit PyRecordReader(pyb::object obj) : obj_(std::move(obj)) {}

  Kind kind() const override {
    if (obj_.is_none()) return Kind::None;
    return pyb::isinstance<ManagedShape>(obj_) ? Kind::Managed : Kind::Fields;
  }
  ManagedShapePtr managed() const override { return obj_.cast<ManagedShapePtr>(); }
  const void* identity() const override { return obj_.ptr(); }
  void read_fields(ManagedShape& ms) override {
    ms.shape = from_py::shape_or_null(obj_.attr("shape"), "shape");
    ms.shape_type = obj_.attr("shape_type").cast<ShapeType>();
    ms.name = obj_.attr("name").cast<std::string>();
    ms.color = obj_.attr("color").cast<Color>();
    ms.properties = from_py::record(obj_.attr("properties"), "properties");
  }
  std::vector<std::unique_ptr<SketchRecordReader>> components() override {
    std::vector<std::unique_ptr<SketchRecordReader>> out;
    for (auto c : pyb::iter(obj_.attr("components")))
      out.push_back(std::make_unique<PyRecordReader>(pyb::reinterpret_borrow<pyb::object>(c)));
    return out;
  }
  std::optional<std::string> parent_id() override {
    return from_py::text_or_none(obj_.attr("parent_id"), "parent_id");
  }

 private:
  pyb::object obj_;
};

// A sketch manager seen through the two methods the manager reads: any
// object offering them serves.
class PySketchSource final : public SketchSource {
 public:
  explicit PySketchSource(pyb::object obj) : obj_(std::move(obj)) {}

  std::vector<std::string> get_all_shape_ids() override {
    std::vector<std::string> ids;
    for (auto id : pyb::iter(obj_.attr("get_all_shape_ids")())) {
      if (!PyUnicode_Check(id.ptr()))
        throw nimbal::WrongType("get_all_shape_ids must give shape ids (str), not '" + type_name(id) + "'");
      ids.push_back(id.cast<std::string>());
    }
    return ids;
  }

  ManagedShapePtr get_shape(const std::string& shape_id) override {
    PyRecordReader record(obj_.attr("get_shape")(shape_id));
    return read_sketch_record(record);
  }

 private:
  pyb::object obj_;
};

// A state argument that may be a State, a plain dict the caller owns, or
// None for "not wanted": the core fills a State of its own, whose entries
// then go into the argument in place.
struct StateOut {
  explicit StateOut(pyb::handle o) : out(o) {}
  pyb::handle out;
  nimbal::services::State filled;
  nimbal::services::State* target() { return out.is_none() ? nullptr : &filled; }
  void put() const {
    if (out.is_none()) return;
    const bool is_state = pyb::isinstance<nimbal::services::State>(out);
    for (const auto& [id, snap] : filled) {
      if (is_state)
        out.cast<nimbal::services::State&>().set(id, snap);
      else
        out[pyb::str(id)] = nimbal::py::snapshot_or_none(snap);
    }
  }
};

// Exactly three numbers; the core judges the count first.
nimbal::services::Point3 three(pyb::handle v, const char* what, PlaneVector which) {
  pyb::list items(pyb::iter(v));
  check_plane_vector_size(which, items.size());
  nimbal::services::Point3 p{};
  for (std::size_t i = 0; i < 3; ++i)
    if (!nimbal::py::as_double(items[i], p[i])) from_py::wrong_type(std::string(what) + " values", "numbers", items[i]);
  return p;
}

pyb::object record_class(ShapeType t) {
  return pyb::module_::import("nimbal.models.quenby").attr(properties_class(t).name.data());
}

NIMBAL_PY_NAME(command_list_name, "nimbal.services.hathel.CommandList");
NIMBAL_PY_NAME(scope_name, "typing.ContextManager[None]");
NIMBAL_PY_NAME(update_result_name, "nimbal.kernel.TopoDS_Shape | bool | None");
NIMBAL_PY_NAME(tessik_name, "nimbal.managers.tessik.CoreTessik");
NIMBAL_PY_NAME(geo_service_name, "nimbal.services.drulen.Drulen | None");
NIMBAL_PY_NAME(state_or_none_name, "nimbal.services.hathel.State | dict[str, typing.Any] | None");
using Managed = typed<managed_name>;
using StateArg = typed<state_name>;
using StateOrNone = typed<state_or_none_name>;

typed<update_result_name> update_result(const UpdateResult& r) {
  switch (r.kind) {
    case UpdateResult::Kind::Shape: return shape_or_none(r.shape);
    case UpdateResult::Kind::True: return pyb::bool_(true);
    default: return pyb::none();
  }
}

const nimbal::models::ArrayProperties& array_record(pyb::handle v) {
  if (!pyb::isinstance<nimbal::models::ArrayProperties>(v)) from_py::wrong_type("props", "an ArrayProperties", v);
  return v.cast<const nimbal::models::ArrayProperties&>();
}

}  // namespace

PYBIND11_MODULE(corvath, m) {
  m.doc() = doc::module;
  nimbal::py::import_kernel();
  pyb::module_::import("nimbal.enums");
  pyb::module_::import("nimbal.models.quenby");
  pyb::module_ drulen = pyb::module_::import("nimbal.services.drulen");
  pyb::module_::import("nimbal.services.hathel");
  nimbal::py::register_core_errors();

  bind_types(m);
  m.attr("DEFAULT_SHAPE_COLOR") = pyb::cast(DEFAULT_SHAPE_COLOR);
  m.attr("DEFAULT_PLANE_COLOR") = pyb::cast(DEFAULT_PLANE_COLOR);
  m.def("_normal_from_rotation_deg", &normal_from_rotation_deg, pyb::arg("rx"), pyb::arg("ry"), pyb::arg("rz"));

  pyb::class_<NullScope>(m, "_NullScope")
      .def("__enter__", [](NullScope&) { return pyb::none(); })
      .def("__exit__", [](NullScope&, pyb::handle, pyb::handle, pyb::handle) { return false; });

  pyb::class_<CoreCorvath, PyCoreCorvath, std::shared_ptr<CoreCorvath>> c(m, "CoreCorvath", doc::cls);
  c.def(pyb::init([drulen](typed<geo_service_name> geo_service) {
          // `is None`, not truth: any other object is the service.
          pyb::object obj = geo_service.is_none() ? drulen.attr("Drulen")() : geo_service;
          return std::make_shared<PyCoreCorvath>(nimbal::py::drulen_protocol_from(obj), obj);
        }),
        pyb::arg("geo_service") = pyb::none(), doc::init);

  // ---- attributes ----
  c.def_property_readonly("_shapes", registry_view<CoreCorvath>());
  c.def_property_readonly("_geo_service",
                          [](CoreCorvath& self) { return static_cast<PyCoreCorvath&>(self).geo_service_obj; });
  c.def_property_readonly("_undo_redo", undo_stacks<CoreCorvath>());
  c.def_property_readonly("_undo_stack", [](pyb::object self) -> typed<command_list_name> {
    return pyb::cast(&self.cast<CoreCorvath&>()._undo_stack(), pyb::return_value_policy::reference_internal, self);
  });

  // ---- hooks (nothing here) and the progress scope ----
  def_hooks<CoreCorvath>(c, {doc::hook_created, doc::hook_updated, doc::hook_removed, doc::hook_cleared,
                             doc::hook_undo_redo});
  c.def("_notify_operation_failed", &CoreCorvath::_notify_operation_failed, pyb::arg("operation"),
           pyb::arg("message"), doc::hook_failed)
      .def("_operation", [](CoreCorvath&, const std::string&) { return typed<scope_name>(pyb::cast(NullScope{})); },
           pyb::arg("message"), doc::hook_operation)
      .def("_on_redo_clears_all", &CoreCorvath::_on_redo_clears_all, doc::on_redo_clears_all);

  // ---- undo facade and state application ----
  c.def_property_readonly("can_undo", &CoreCorvath::can_undo, doc::can_undo)
      .def_property_readonly("can_redo", &CoreCorvath::can_redo, doc::can_redo)
      .def("undo", &CoreCorvath::undo, doc::undo)
      .def("redo", &CoreCorvath::redo, doc::redo)
      .def("clear_undo_history", &CoreCorvath::clear_undo_history, doc::clear_undo_history)
      .def("undo_depth", &CoreCorvath::undo_depth, doc::undo_depth)
      .def("trim_undo_to", &CoreCorvath::trim_undo_to, pyb::arg("depth"), doc::trim_undo_to);
  def_push_undo<CoreCorvath>(c, nullptr);
  c.def("_snapshot", &CoreCorvath::_snapshot, pyb::arg("shape_id"))
      .def(
          "_collect_snapshots",
          [](CoreCorvath& self, Managed ms, StateArg out) {
            ManagedShapePtr shape = managed_from_py(ms, "ms");
            if (out.is_none()) throw nimbal::WrongType("out must be a mapping, not 'NoneType'");
            StateOut o{out};
            self._collect_snapshots(*shape, *o.target());
            o.put();
          },
          pyb::arg("ms"), pyb::arg("out"));
  def_apply_state<CoreCorvath>(c, nullptr);
  c.def("_restore_from_snapshot", &CoreCorvath::_restore_from_snapshot, pyb::arg("shape_id"), pyb::arg("snapshot"));

  // ---- ids and names ----
  c.def("_new_shape_id", &CoreCorvath::_new_shape_id, pyb::arg("shape_type"))
      .def("_generate_shape_name", &CoreCorvath::_generate_shape_name, pyb::arg("shape_type"));

  // ---- creation ----
  nimbal::py::def(c, "create_shape", &CoreCorvath::create_shape, pyb::arg("shape_type"), pyb::arg("properties"),
                  pyb::arg("color") = DEFAULT_SHAPE_COLOR, pyb::arg("name") = pyb::none(), doc::create_shape);
  nimbal::py::def(
      c, "import_shape",
      [](CoreCorvath& self, const std::string& filename, const Color& color, RecordOrNull props,
         std::optional<std::string> name) { return self.import_shape(filename, color, props.ptr, std::move(name)); },
      pyb::arg("filename"), pyb::arg("color") = DEFAULT_SHAPE_COLOR, pyb::arg("properties") = pyb::none(),
      pyb::arg("name") = pyb::none(), doc::import_shape);
  nimbal::py::def(c, "create_plane_from_standard", &CoreCorvath::create_plane_from_standard,
                  pyb::arg("standard_plane"), pyb::arg("color") = DEFAULT_PLANE_COLOR, pyb::arg("name") = pyb::none(),
                  doc::create_plane_from_standard);
  c.def(
      "create_arbitrary_plane",
      [](CoreCorvath& self, typed<point3_name> translation, typed<point3_name> rotation_deg, const Color& color,
         str_or_none name) {
        auto rot = three(rotation_deg, "rotation_deg", PlaneVector::Rotation);
        auto tr = three(translation, "translation", PlaneVector::Translation);
        return as_typed<managed_or_none_name>(
            self.create_arbitrary_plane(tr, rot, color, from_py::text_or_none(name, "name")));
      },
      pyb::arg("translation") = pyb::make_tuple(0.0, 0.0, 0.0),
      pyb::arg("rotation_deg") = pyb::make_tuple(0.0, 0.0, 0.0), pyb::arg("color") = DEFAULT_PLANE_COLOR,
      pyb::arg("name") = pyb::none(), doc::create_arbitrary_plane);
  nimbal::py::def(
      c, "create_plane_from_face_shape",
      [](CoreCorvath& self, ShapeArg face, const Color& color, std::optional<std::string> name) {
        return self.create_plane_from_face_shape(face.shape, color, std::move(name));
      },
      pyb::arg("face_topo"), pyb::arg("color") = DEFAULT_PLANE_COLOR, pyb::arg("name") = pyb::none(),
      doc::create_plane_from_face_shape);
  nimbal::py::def(c, "create_plane_from_face", &CoreCorvath::create_plane_from_face, pyb::arg("face_shape_id"),
                  pyb::arg("color") = DEFAULT_PLANE_COLOR, pyb::arg("name") = pyb::none(), doc::create_plane_from_face);

  // ---- update and recomputation ----
  c.def(
      "update_shape",
      [](CoreCorvath& self, const std::string& id, record_arg props) {
        return update_result(self.update_shape(id, from_py::record(props, "properties")));
      },
      pyb::arg("shape_id"), pyb::arg("properties"), doc::update_shape);
  nimbal::py::def(c, "_update_component_shape", &CoreCorvath::_update_component_shape, pyb::arg("managed_shape"),
                  pyb::arg("properties"));
  nimbal::py::def(
      c, "_recompute_boolean_from_components",
      [](CoreCorvath& self, ManagedShapePtr ms) { return self._recompute_boolean_from_components(*ms); },
      pyb::arg("managed_shape"));
  c.def(
      "_build_array_compound",
      [](CoreCorvath& self, typed<shape_name> base, record_arg props) {
        return shape_or_none(self._build_array_compound(from_py::shape_or_null(base, "base_shape"), array_record(props)));
      },
      pyb::arg("base_shape"), pyb::arg("props"));
  nimbal::py::def(
      c, "_recompute_array_from_component",
      [](CoreCorvath& self, ManagedShapePtr ms) { return self._recompute_array_from_component(*ms); },
      pyb::arg("array_shape"));
  using Recompute = TopoDS_Shape (CoreCorvath::*)(const ManagedShape&, const RecordPtr&);
  const std::pair<const char*, Recompute> recomputes[] = {
      {"_recompute_fillet_from_component", &CoreCorvath::_recompute_fillet_from_component},
      {"_recompute_corner_round_from_component", &CoreCorvath::_recompute_corner_round_from_component},
      {"_recompute_polyline_round_from_component", &CoreCorvath::_recompute_polyline_round_from_component},
      {"_recompute_extrude_from_component", &CoreCorvath::_recompute_extrude_from_component},
  };
  for (auto [name, fn] : recomputes)
    nimbal::py::def(
        c, name,
        [fn = fn](CoreCorvath& self, ManagedShapePtr ms, RecordOrNull props) { return (self.*fn)(*ms, props.ptr); },
        pyb::arg("managed_shape"), pyb::arg("properties") = pyb::none());
  nimbal::py::def(
      c, "_create_shape_from_properties",
      [](CoreCorvath& self, ShapeType t, RecordPtr props) { return self._create_shape_from_properties(t, *props); },
      pyb::arg("shape_type"), pyb::arg("properties"));
  nimbal::py::def(
      c, "_apply_transformations",
      [](CoreCorvath& self, ShapeArg shape, RecordPtr props) {
        return self._apply_transformations(shape.shape, *props);
      },
      pyb::arg("shape"), pyb::arg("properties"));
  nimbal::py::def(
      c, "_update_transformed_shape",
      [](CoreCorvath& self, ManagedShapePtr ms, RecordPtr props) { return self._update_transformed_shape(*ms, *props); },
      pyb::arg("managed_shape"), pyb::arg("new_properties"));
  nimbal::py::def(
      c, "_rebuild_sketch_compound",
      [](CoreCorvath& self, ManagedShapePtr ms) { return self._rebuild_sketch_compound(*ms); },
      pyb::arg("managed_shape"));

  // ---- editing and queries ----
  c.def("update_shape_color", &CoreCorvath::update_shape_color, pyb::arg("shape_id"), pyb::arg("color"), doc::update_shape_color)
      .def("rename_shape", &CoreCorvath::rename_shape, pyb::arg("shape_id"), pyb::arg("new_name"), doc::rename_shape)
      .def("remove_shape", &CoreCorvath::remove_shape, pyb::arg("shape_id"), doc::remove_shape)
      .def("decompose_shape", &CoreCorvath::decompose_shape, pyb::arg("shape_id"), doc::decompose_shape)
      .def("clear_all", &CoreCorvath::clear_all, doc::clear_all);
  // Lambdas for the const queries: a const member is no definition here.
  nimbal::py::def(
      c, "get_shape", [](CoreCorvath& self, const std::string& id) { return self.get_shape(id); },
      pyb::arg("shape_id"), doc::get_shape);
  c.def("get_all_shape_ids", &CoreCorvath::get_all_shape_ids, doc::get_all_shape_ids);
  nimbal::py::def(
      c, "get_base_shape", [](CoreCorvath& self, const std::string& id) { return self.get_base_shape(id); },
      pyb::arg("shape_id"), doc::get_base_shape);
  c.def("get_modifier_chain", &CoreCorvath::get_modifier_chain, pyb::arg("shape_id"), doc::get_modifier_chain);
  nimbal::py::def(c, "_remove_shape", &CoreCorvath::_remove_shape, pyb::arg("managed_shape"));
  nimbal::py::def(
      c, "_remove_component_subtree",
      [](CoreCorvath& self, ManagedShapePtr ms) { self._remove_component_subtree(*ms); }, pyb::arg("managed_shape"));

  // ---- booleans, modifiers, split ----
  c.def("union_shapes", &CoreCorvath::union_shapes, pyb::arg("shape_ids"), doc::union_shapes)
      .def("subtract_shapes", &CoreCorvath::subtract_shapes, pyb::arg("shape_ids"), doc::subtract_shapes);
  using ModifierOp = std::optional<std::string> (CoreCorvath::*)(const std::string&, const RecordPtr&);
  const std::tuple<const char*, ModifierOp, const char*> modifiers[] = {
      {"create_shape_array", &CoreCorvath::create_shape_array, doc::create_shape_array},
      {"fillet_shape", &CoreCorvath::fillet_shape, doc::fillet_shape},
      {"corner_round_shape", &CoreCorvath::corner_round_shape, doc::corner_round_shape},
      {"polyline_round_shape", &CoreCorvath::polyline_round_shape, doc::polyline_round_shape},
      {"extrude_shape", &CoreCorvath::extrude_shape, doc::extrude_shape},
  };
  for (auto [name, fn, text] : modifiers)
    nimbal::py::def(c, name, fn, pyb::arg("base_shape_id"), pyb::arg("properties"), text);
  c.def("split_to_faces", &CoreCorvath::split_to_faces, pyb::arg("shape_id"), doc::split_to_faces);

  // ---- sketches ----
  nimbal::py::def(c, "create_sketch", &CoreCorvath::create_sketch, pyb::arg("plane_id"),
                  pyb::arg("color") = DEFAULT_PLANE_COLOR, pyb::arg("name") = pyb::none(), doc::create_sketch);
  c.def(
      "commit_sketch",
      [](CoreCorvath& self, const std::string& sketch_id, typed<tessik_name> tessik) {
        PySketchSource source(std::move(tessik));
        return self.commit_sketch(sketch_id, source);
      },
      pyb::arg("sketch_id"), pyb::arg("tessik"), doc::commit_sketch);
  nimbal::py::def(c, "restore_plane", &CoreCorvath::restore_plane, pyb::arg("shape_id"), pyb::arg("properties"),
                  pyb::arg("color") = DEFAULT_PLANE_COLOR, pyb::arg("name") = pyb::none(), doc::restore_plane);
  c.def(
      "restore_sketch",
      [](CoreCorvath& self, const std::string& shape_id, record_arg props, typed<tessik_name> tessik,
         const Color& color, str_or_none name) {
        PySketchSource source(std::move(tessik));
        return self.restore_sketch(shape_id, from_py::record(props, "properties"), source, color,
                                   from_py::text_or_none(name, "name"));
      },
      pyb::arg("shape_id"), pyb::arg("properties"), pyb::arg("tessik"), pyb::arg("color") = DEFAULT_SHAPE_COLOR,
      pyb::arg("name") = pyb::none(), doc::restore_sketch);
  c.def(
      "_build_sketch_comp",
      [](CoreCorvath& self, Managed rec, const std::string& comp_parent_id, StateOrNone before, StateOrNone after) {
        ManagedShapePtr record = managed_from_py(rec, "sketch_ms");
        StateOut b{before}, a{after};
        ManagedShapePtr copy = self._build_sketch_comp(*record, comp_parent_id, b.target(), a.target());
        b.put();
        a.put();
        return copy;
      },
      pyb::arg("sketch_ms"), pyb::arg("comp_parent_id"), pyb::arg("before") = pyb::none(),
      pyb::arg("after") = pyb::none());

  // ---- export ----
  c.def("export_shapes_to_step", &CoreCorvath::export_shapes_to_step, pyb::arg("filename"), doc::export_all)
      .def("export_shapes_to_iges", &CoreCorvath::export_shapes_to_iges, pyb::arg("filename"), doc::export_all)
      .def("export_shape_to_step", &CoreCorvath::export_shape_to_step, pyb::arg("shape_id"), pyb::arg("filename"), doc::export_one)
      .def("export_shape_to_iges", &CoreCorvath::export_shape_to_iges, pyb::arg("shape_id"), pyb::arg("filename"), doc::export_one);

  // ---- record classes by shape type ----
  pyb::dict table;
  for (const auto& [type, rt] : properties_class_table()) table[pyb::cast(type)] = record_class(type);
  c.attr("_PROPERTIES_CLASS") = table;
  c.def_static(
      "create_properties_for_type",
      [](ShapeType shape_type, pyb::kwargs values) { return record_arg(record_class(shape_type)(**values)); },
      pyb::arg("shape_type"), doc::create_properties_for_type);
  c.def_static(
      "properties_from_dict",
      [](ShapeType shape_type, typed<mapping_name> data) { return record_arg(record_class(shape_type).attr("from_dict")(data)); },
      pyb::arg("shape_type"), pyb::arg("data"), doc::properties_from_dict);
  nimbal::py::guard_method_self(m);  // last: after every class is bound
}
