// nimbal.managers.corvath: the geometry manager as the host sees it. A host
// subclass's hooks, progress scope and state callbacks are reached through
// the trampoline below.
#include "nimbal/managers/corvath.hpp"

#include <pybind11/functional.h>

#include "corvath_bind.hpp"
#include "corvath_docs.hpp"
#include "manager_bind.hpp"
#include "nimbal_py/convert.hpp"
#include "nimbal_py/define.hpp"
#include "nimbal_py/drulen_adapter.hpp"
#include "nimbal_py/hathel.hpp"
#include "nimbal_py/logging.hpp"
#include "nimbal_py/manager_hooks.hpp"
#include "nimbal_py/method_guard.hpp"

namespace pyb = pybind11;
namespace from_py = nimbal::py::from_py;
using namespace nimbal::managers;
using namespace nimbal::py::manager_bind;
using namespace nimbal::py::corvath;
using nimbal::ShapeType;
using namespace nimbal::py::typing;
using nimbal::py::def;

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
    for (auto id : pyb::iter(obj_.attr("get_all_shape_ids")()))
      ids.push_back(sketch_shape_id(nimbal::py::host_value<std::string>(id)));
    return ids;
  }

  ManagedShapePtr get_shape(const std::string& shape_id) override {
    PyRecordReader record(obj_.attr("get_shape")(shape_id));
    return read_sketch_record(record);
  }

 private:
  pyb::object obj_;
};

}  // namespace

// The core's own argument types of this module.
namespace nimbal::py::convert {

// The sketch manager a commit or restore reads: any object offering its two
// methods.
struct SketchArg {
  PySketchSource source;
  operator SketchSource&() { return source; }
};
inline SketchArg value(pyb::handle v, tag<SketchSource>, std::string_view) {
  return {PySketchSource(pyb::reinterpret_borrow<pyb::object>(v))};
}
NIMBAL_PY_NAME(tessik_name, "nimbal.managers.tessik.CoreTessik");
template <>
struct arg_name<SketchSource> : tessik_name {};

// create_arbitrary_plane's vectors: any iterable, walked only when the core
// asks (its items are then read as they arrive).
class PyVector final : public managers::HostVector::Source {
 public:
  explicit PyVector(pyb::handle v) : v_(pyb::reinterpret_borrow<pyb::object>(v)) {}
  bool is_none() const override { return v_.is_none(); }
  std::optional<std::vector<nimbal::HostValue<double>>> get() const override {
    std::vector<nimbal::HostValue<double>> items;
    for (pyb::handle item : pyb::list(pyb::iter(v_))) items.push_back(GivenValue<double>(item));
    return items;
  }
  std::string type_name() const override { return py::type_name(v_); }

 private:
  pyb::object v_;
};
inline managers::HostVector value(pyb::handle v, tag<managers::HostVector>, std::string_view) {
  return managers::HostVector(std::make_shared<PyVector>(v));
}
template <>
struct arg_name<managers::HostVector> : typing::point3_name {};

}  // namespace nimbal::py::convert

namespace pybind11::detail {
// update_shape's answer: the new shape, True, or None.
template <>
struct type_caster<nimbal::managers::UpdateResult> {
  PYBIND11_TYPE_CASTER(nimbal::managers::UpdateResult, const_name("nimbal.kernel.TopoDS_Shape | bool | None"));
  bool load(handle, bool) { return false; }
  static handle cast(const nimbal::managers::UpdateResult& r, return_value_policy, handle) {
    using Kind = nimbal::managers::UpdateResult::Kind;
    switch (r.kind) {
      case Kind::Shape: return nimbal::py::shape_or_none(r.shape).release();
      case Kind::True: return pybind11::bool_(true).release();
      default: return pybind11::none().release();
    }
  }
};
}  // namespace pybind11::detail

namespace {

pyb::object record_class(ShapeType t) {
  return pyb::module_::import("nimbal.models.quenby").attr(properties_class(t).name.data());
}

NIMBAL_PY_NAME(command_list_name, "nimbal.services.hathel.CommandList");
NIMBAL_PY_NAME(scope_name, "typing.ContextManager[None]");
NIMBAL_PY_NAME(geo_service_name, "nimbal.services.drulen.Drulen | None");

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
  def(m, "_normal_from_rotation_deg", &normal_from_rotation_deg, pyb::arg("rx"), pyb::arg("ry"), pyb::arg("rz"));

  pyb::class_<NullScope> null_scope(m, "_NullScope");
  def(null_scope, "__enter__", [](NullScope&) {});
  def(null_scope, "__exit__", [](NullScope&, pyb::object, pyb::object, pyb::object) { return false; }, pyb::arg("arg0"),
      pyb::arg("arg1"), pyb::arg("arg2"));

  pyb::class_<CoreCorvath, PyCoreCorvath, std::shared_ptr<CoreCorvath>> c(m, "CoreCorvath", doc::cls);
  def(c, "__init__", [drulen](typed<geo_service_name> geo_service) {
    pyb::object obj = service_or_new(geo_service, drulen.attr("Drulen"));
    return std::make_shared<PyCoreCorvath>(nimbal::py::drulen_protocol_from(obj), obj);
  }, nimbal::py::as_constructor, pyb::arg("geo_service") = pyb::none(), doc::init);

  // ---- attributes ----
  c.def_property_readonly("_shapes", registry_view<CoreCorvath>());
  c.def_property_readonly("_geo_service",
                          [](CoreCorvath& self) { return static_cast<PyCoreCorvath&>(self).geo_service_obj; });
  c.def_property_readonly("_undo_redo", live<hathel_name, CoreCorvath>(&CoreCorvath::_undo_redo));
  c.def_property_readonly("_undo_stack", live<command_list_name, CoreCorvath>(&CoreCorvath::_undo_stack));

  // ---- hooks (nothing here) and the progress scope ----
  def_hooks(c, {doc::hook_created, doc::hook_updated, doc::hook_removed, doc::hook_cleared, doc::hook_undo_redo});
  def(c, "_notify_operation_failed", &CoreCorvath::_notify_operation_failed, pyb::arg("operation"),
      pyb::arg("message"), doc::hook_failed);
  def(
      c, "_operation", [](CoreCorvath&, const std::string&) { return typed<scope_name>(pyb::cast(NullScope{})); },
      pyb::arg("message"), doc::hook_operation);
  def(c, "_on_redo_clears_all", &CoreCorvath::_on_redo_clears_all, doc::on_redo_clears_all);

  // ---- undo facade and state application ----
  def_undo_facade(c, doc::can_undo, doc::can_redo, doc::undo, doc::redo);
  def(c, "clear_undo_history", &CoreCorvath::clear_undo_history, doc::clear_undo_history);
  def(c, "undo_depth", &CoreCorvath::undo_depth, doc::undo_depth);
  def(c, "trim_undo_to", &CoreCorvath::trim_undo_to, pyb::arg("depth"), doc::trim_undo_to);
  def_push_undo(c, nullptr);
  def(c, "_snapshot", &CoreCorvath::_snapshot, pyb::arg("shape_id"));
  def(c, "_collect_snapshots", &CoreCorvath::_collect_snapshots, pyb::arg("ms"), pyb::arg("out"));
  def_apply_state<CoreCorvath>(c, nullptr);
  def(c, "_restore_from_snapshot", &CoreCorvath::_restore_from_snapshot, pyb::arg("shape_id"), pyb::arg("snapshot"));

  // ---- ids and names ----
  def_id_drawing(c, nullptr, nullptr);

  // ---- creation ----
  def(c, "create_shape", &CoreCorvath::create_shape, pyb::arg("shape_type"), pyb::arg("properties"),
      pyb::arg("color") = DEFAULT_SHAPE_COLOR, pyb::arg("name") = pyb::none(), doc::create_shape);
  def(c, "import_shape", &CoreCorvath::import_shape, pyb::arg("filename"), pyb::arg("color") = DEFAULT_SHAPE_COLOR,
      pyb::arg("properties") = pyb::none(), pyb::arg("name") = pyb::none(), doc::import_shape);
  def(c, "create_plane_from_standard", &CoreCorvath::create_plane_from_standard, pyb::arg("standard_plane"),
      pyb::arg("color") = DEFAULT_PLANE_COLOR, pyb::arg("name") = pyb::none(), doc::create_plane_from_standard);
  def(c, "create_arbitrary_plane", &CoreCorvath::create_arbitrary_plane_as_given,
      pyb::arg("translation") = pyb::make_tuple(0.0, 0.0, 0.0),
      pyb::arg("rotation_deg") = pyb::make_tuple(0.0, 0.0, 0.0), pyb::arg("color") = DEFAULT_PLANE_COLOR,
      pyb::arg("name") = pyb::none(), doc::create_arbitrary_plane);
  def(c, "create_plane_from_face_shape", &CoreCorvath::create_plane_from_face_shape, pyb::arg("face_topo"),
      pyb::arg("color") = DEFAULT_PLANE_COLOR, pyb::arg("name") = pyb::none(), doc::create_plane_from_face_shape);
  def(c, "create_plane_from_face", &CoreCorvath::create_plane_from_face, pyb::arg("face_shape_id"),
      pyb::arg("color") = DEFAULT_PLANE_COLOR, pyb::arg("name") = pyb::none(), doc::create_plane_from_face);

  // ---- update and recomputation ----
  def(c, "update_shape", &CoreCorvath::update_shape, pyb::arg("shape_id"), pyb::arg("properties"),
      doc::update_shape);
  def(c, "_update_component_shape", &CoreCorvath::_update_component_shape, pyb::arg("managed_shape"),
      pyb::arg("properties"));
  def(c, "_recompute_boolean_from_components", &CoreCorvath::_recompute_boolean_from_components,
      pyb::arg("managed_shape"));
  def(c, "_build_array_compound", &CoreCorvath::_build_array_compound, pyb::arg("base_shape"), pyb::arg("props"));
  def(c, "_recompute_array_from_component", &CoreCorvath::_recompute_array_from_component, pyb::arg("array_shape"));
  using Recompute = TopoDS_Shape (CoreCorvath::*)(const ManagedShape&, const nimbal::Nullable<Quenby>&);
  const std::pair<const char*, Recompute> recomputes[] = {
      {"_recompute_fillet_from_component", &CoreCorvath::_recompute_fillet_from_component},
      {"_recompute_corner_round_from_component", &CoreCorvath::_recompute_corner_round_from_component},
      {"_recompute_polyline_round_from_component", &CoreCorvath::_recompute_polyline_round_from_component},
      {"_recompute_extrude_from_component", &CoreCorvath::_recompute_extrude_from_component},
  };
  for (auto [name, fn] : recomputes)
    def(c, name, fn, pyb::arg("managed_shape"), pyb::arg("properties") = pyb::none());
  def(c, "_create_shape_from_properties", &CoreCorvath::_create_shape_from_properties, pyb::arg("shape_type"),
      pyb::arg("properties"));
  def(c, "_apply_transformations", &CoreCorvath::_apply_transformations, pyb::arg("shape"), pyb::arg("properties"));
  def(c, "_update_transformed_shape", &CoreCorvath::_update_transformed_shape, pyb::arg("managed_shape"),
      pyb::arg("new_properties"));
  def(c, "_rebuild_sketch_compound", &CoreCorvath::_rebuild_sketch_compound, pyb::arg("managed_shape"));

  // ---- editing and queries ----
  def_entry_edits(c, doc::update_shape_color, doc::rename_shape, doc::remove_shape);
  def(c, "decompose_shape", &CoreCorvath::decompose_shape, pyb::arg("shape_id"), doc::decompose_shape);
  def(c, "clear_all", &CoreCorvath::clear_all, doc::clear_all);
  def_queries(c, doc::get_shape, doc::get_all_shape_ids);
  def(c, "get_base_shape", &CoreCorvath::get_base_shape, pyb::arg("shape_id"), doc::get_base_shape);
  def(c, "get_modifier_chain", &CoreCorvath::get_modifier_chain, pyb::arg("shape_id"), doc::get_modifier_chain);
  def(c, "_remove_shape", &CoreCorvath::_remove_shape, pyb::arg("managed_shape"));
  def(c, "_remove_component_subtree", &CoreCorvath::_remove_component_subtree, pyb::arg("managed_shape"));

  // ---- booleans, modifiers, split ----
  def(c, "union_shapes", &CoreCorvath::union_shapes, pyb::arg("shape_ids"), doc::union_shapes);
  def(c, "subtract_shapes", &CoreCorvath::subtract_shapes, pyb::arg("shape_ids"), doc::subtract_shapes);
  using ModifierOp = std::optional<std::string> (CoreCorvath::*)(const std::string&, const RecordPtr&);
  const std::tuple<const char*, ModifierOp, const char*> modifiers[] = {
      {"create_shape_array", &CoreCorvath::create_shape_array, doc::create_shape_array},
      {"fillet_shape", &CoreCorvath::fillet_shape, doc::fillet_shape},
      {"corner_round_shape", &CoreCorvath::corner_round_shape, doc::corner_round_shape},
      {"polyline_round_shape", &CoreCorvath::polyline_round_shape, doc::polyline_round_shape},
      {"extrude_shape", &CoreCorvath::extrude_shape, doc::extrude_shape},
  };
  for (auto [name, fn, text] : modifiers) def(c, name, fn, pyb::arg("base_shape_id"), pyb::arg("properties"), text);
  def(c, "split_to_faces", &CoreCorvath::split_to_faces, pyb::arg("shape_id"), doc::split_to_faces);

  // ---- sketches ----
  def(c, "create_sketch", &CoreCorvath::create_sketch, pyb::arg("plane_id"), pyb::arg("color") = DEFAULT_PLANE_COLOR,
      pyb::arg("name") = pyb::none(), doc::create_sketch);
  def(c, "commit_sketch", &CoreCorvath::commit_sketch, pyb::arg("sketch_id"), pyb::arg("tessik"),
      doc::commit_sketch);
  def(c, "restore_plane", &CoreCorvath::restore_plane, pyb::arg("shape_id"), pyb::arg("properties"),
      pyb::arg("color") = DEFAULT_PLANE_COLOR, pyb::arg("name") = pyb::none(), doc::restore_plane);
  def(c, "restore_sketch", &CoreCorvath::restore_sketch, pyb::arg("shape_id"), pyb::arg("properties"),
      pyb::arg("tessik"), pyb::arg("color") = DEFAULT_SHAPE_COLOR, pyb::arg("name") = pyb::none(),
      doc::restore_sketch);
  def(c, "_build_sketch_comp", &CoreCorvath::_build_sketch_comp, pyb::arg("sketch_ms"), pyb::arg("comp_parent_id"),
      pyb::arg("before") = pyb::none(), pyb::arg("after") = pyb::none());

  // ---- export ----
  def(c, "export_shapes_to_step", &CoreCorvath::export_shapes_to_step, pyb::arg("filename"), doc::export_all);
  def(c, "export_shapes_to_iges", &CoreCorvath::export_shapes_to_iges, pyb::arg("filename"), doc::export_all);
  def(c, "export_shape_to_step", &CoreCorvath::export_shape_to_step, pyb::arg("shape_id"), pyb::arg("filename"),
      doc::export_one);
  def(c, "export_shape_to_iges", &CoreCorvath::export_shape_to_iges, pyb::arg("shape_id"), pyb::arg("filename"),
      doc::export_one);

  // ---- record classes by shape type ----
  pyb::dict table;
  for (const auto& [type, rt] : properties_class_table()) table[pyb::cast(type)] = record_class(type);
  c.attr("_PROPERTIES_CLASS") = table;
  def(
      c, "create_properties_for_type",
      [](ShapeType shape_type, pyb::kwargs values) { return record_arg(record_class(shape_type)(**values)); },
      nimbal::py::as_static, pyb::arg("shape_type"), doc::create_properties_for_type);
  def(
      c, "properties_from_dict",
      [](ShapeType shape_type, typed<mapping_name> data) {
        return record_arg(record_class(shape_type).attr("from_dict")(data));
      },
      nimbal::py::as_static, pyb::arg("shape_type"), pyb::arg("data"), doc::properties_from_dict);
  nimbal::py::guard_method_self(m);  // last: after every class is bound
}
