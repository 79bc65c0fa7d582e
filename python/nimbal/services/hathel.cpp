// nimbal.services.hathel: shape snapshots, undo commands and the bounded
// undo/redo stacks.
#include "nimbal/services/hathel.hpp"

#include <pybind11/functional.h>

#include "nimbal_py/convert.hpp"
#include "nimbal_py/define.hpp"
#include "nimbal_py/hathel.hpp"
#include "nimbal_py/kernel.hpp"
#include "nimbal_py/live_list.hpp"
#include "nimbal_py/mapping.hpp"
#include "nimbal_py/method_guard.hpp"
#include "nimbal_py/records.hpp"
#include "nimbal_py/shape_fields.hpp"
#include "hathel_docs.hpp"

namespace pyb = pybind11;
namespace from_py = nimbal::py::from_py;
using namespace nimbal::services;
using nimbal::models::Quenby;
using nimbal::py::as_constructor;
using nimbal::py::def;
namespace doc = nimbal::py::hathel::doc;

using namespace nimbal::py::typing;
NIMBAL_PY_NAME(snapshot_or_none_name, "nimbal.services.hathel._ShapeSnapshot | None");
NIMBAL_PY_NAME(state_in_name, "typing.Mapping[str, nimbal.services.hathel._ShapeSnapshot | None]");
using state_arg_name = nimbal::py::convert::arg_name<StatePtr>;
NIMBAL_PY_NAME(state_or_none_name,
               "nimbal.services.hathel.State | dict[str, nimbal.services.hathel._ShapeSnapshot | None] | None");
NIMBAL_PY_NAME(state_dict_name, "dict[str, nimbal.services.hathel._ShapeSnapshot | None]");

namespace {

struct IdElem {
  static constexpr const char* name = "IdList";
  NIMBAL_PY_NAME(item_name, "str");
  static std::string from_py(pyb::handle v) { return nimbal::py::shape_id_item(v, "IdList items"); }
  static pyb::object to_py(const std::string& s) { return pyb::str(s); }
};

struct CommandElem {
  static constexpr const char* name = "CommandList";
  NIMBAL_PY_NAME(item_name, "nimbal.services.hathel._UndoCommand");
  static CommandPtr from_py(pyb::handle v) { return nimbal::py::command_item(v); }
  static pyb::object to_py(const CommandPtr& c) { return pyb::cast(c); }
};

// A snapshot of any object offering the managed-shape fields, read in the
// documented order; the record is deep-copied, everything else shared.
SnapshotPtr snapshot_from_managed(pyb::handle ms) {
  auto s = std::make_shared<ShapeSnapshot>();
  pyb::object id = ms.attr("shape_id");
  pyb::object shape = ms.attr("shape");
  pyb::object type = ms.attr("shape_type");
  pyb::object name = ms.attr("name");
  pyb::object color = ms.attr("color");
  s->shape_id = id.cast<std::string>();
  s->shape = from_py::shape_or_null(shape, "shape");
  s->shape_type = type.cast<nimbal::ShapeType>();
  s->name = name.cast<std::string>();
  s->color = color.cast<Color>();
  s->properties = from_py::record(ms.attr("properties"), "properties")->clone();
  for (auto c : pyb::iter(ms.attr("components"))) s->component_ids.push_back(c.attr("shape_id").cast<std::string>());
  s->parent_id = from_py::text_or_none(ms.attr("parent_id"), "parent_id");
  return s;
}

using SnapshotFields = nimbal::py::ShapeFields<&ShapeSnapshot::component_ids, IdElem, false>;

struct StateEntries {
  using View = State;
  using item_name = snapshot_or_none_name;
  static const State& map(const State& s) { return s; }
  static constexpr auto entry = &state_entry;
  static constexpr auto to_py = &nimbal::py::snapshot_or_none;
};
using StateMap = nimbal::py::MappingOf<StateEntries>;

void bind_state(pyb::module_& m) {
  pyb::class_<State, StatePtr> cls(m, "State", doc::state_cls);
  def(cls, "__init__", [] { return std::make_shared<State>(); }, as_constructor);
  // A new State, even of a State.
  def(cls, "__init__", [](typed<state_in_name> mapping) {
    return std::make_shared<State>(*nimbal::py::state_from_py(mapping));
  }, as_constructor, pyb::arg("mapping"));
  def(cls, "__len__", &StateMap::len);
  def(cls, "__contains__", &StateMap::contains, pyb::arg("arg0"));
  def(cls, "__getitem__", &StateMap::getitem, pyb::arg("arg0"));
  def(cls, "__setitem__", [](State& s, const std::string& k, typed<snapshot_or_none_name> v) {
    s.set(k, nimbal::py::snapshot_or_null(v, "state values"));
  }, pyb::arg("arg0"), pyb::arg("arg1"));
  def(cls, "__delitem__", &erase_state_entry, pyb::arg("arg0"));
  def(cls, "__iter__", &StateMap::iter);
  def(cls, "keys", &StateMap::keys, doc::state_keys);
  def(cls, "values", &StateMap::values, doc::state_values);
  def(cls, "items", &StateMap::items, doc::state_items);
  def(cls, "get", &StateMap::get, pyb::arg("key"), pyb::arg("default") = pyb::none(), doc::state_get);
  def(cls, "clear", &State::clear, doc::state_clear);
  def(cls, "copy", [](const State& s) { return typed<state_dict_name>(pyb::dict(StateMap::items(s))); },
      doc::state_copy);
  def(cls, "__eq__", [](const State& s, pyb::object other) -> pyb::object {
    if (pyb::isinstance<State>(other) || PyDict_Check(other.ptr()))
      return pyb::bool_(pyb::dict(StateMap::items(s)).equal(pyb::dict(other)));
    return nimbal::py::not_implemented();
  }, pyb::arg("other"));
  def(cls, "__repr__", &StateMap::repr);
  cls.attr("__hash__") = pyb::none();
  pyb::module_::import("collections.abc").attr("MutableMapping").attr("register")(cls);
}

void bind_snapshot(pyb::module_& m) {
  pyb::class_<ShapeSnapshot, SnapshotPtr> cls(m, "_ShapeSnapshot", doc::snapshot_cls);
  def(cls, "__init__", SnapshotFields::factory("component_ids"), as_constructor, pyb::arg("shape_id"), pyb::arg("shape"),
      pyb::arg("shape_type"), pyb::arg("name"), pyb::arg("color"), pyb::arg("properties"), pyb::arg("component_ids"),
      pyb::arg("parent_id"));
  SnapshotFields::def(cls, "component_ids", [](ShapeSnapshot& s, std::string name) { s.name = std::move(name); });
  def(cls, "__eq__", [](const ShapeSnapshot& a, pyb::object b) -> pyb::object {
    if (!pyb::isinstance<ShapeSnapshot>(b)) return nimbal::py::not_implemented();
    return pyb::bool_(a == b.cast<const ShapeSnapshot&>());
  }, pyb::arg("other"));
  def(cls, "__repr__", [](pyb::object self) {
    return snapshot_text_form([self](const char* f) { return std::string(pyb::repr(self.attr(f))); });
  });
  cls.attr("__hash__") = pyb::none();
  def(cls, "from_managed", [](pyb::type cls, typed<managed_name> ms) -> typed<self_name> {
    SnapshotPtr s = snapshot_from_managed(ms);
    if (cls.is(pyb::type::of<ShapeSnapshot>())) return pyb::cast(s);
    // A subclass made in Python: an instance of it with the same values.
    return cls(s->shape_id, nimbal::py::shape_or_none(s->shape), s->shape_type, s->name, s->color, s->properties,
               pyb::cast(s->component_ids), s->parent_id);
  }, nimbal::py::as_classmethod, pyb::arg("ms"));
}

// A command's state, set from a State (kept as it is) or any mapping (copied).
auto set_state(StatePtr UndoCommand::*field, const char* what) {
  return [field, what](UndoCommand& c, typed<state_arg_name> v) { c.*field = nimbal::py::state_from_py(v, what); };
}

void bind_command(pyb::module_& m) {
  pyb::class_<UndoCommand, CommandPtr> cls(m, "_UndoCommand", doc::command_cls);
  def(cls, "__init__", [](const std::string& description, typed<state_or_none_name> before,
                          typed<state_or_none_name> after, bool redo_clears_all) {
    // Read in order: a call's arguments are not.
    StatePtr from = nimbal::py::state_or_null(before, "before");
    return make_command(description, from, nimbal::py::state_or_null(after, "after"), redo_clears_all);
  }, as_constructor, pyb::arg("description"), pyb::arg("before") = pyb::none(), pyb::arg("after") = pyb::none(),
      pyb::arg("redo_clears_all") = false);
  cls.def_readwrite("description", &UndoCommand::description)
      .def_property("before", [](const UndoCommand& c) { return c.before; }, set_state(&UndoCommand::before, "before"))
      .def_property("after", [](const UndoCommand& c) { return c.after; }, set_state(&UndoCommand::after, "after"))
      .def_readwrite("redo_clears_all", &UndoCommand::redo_clears_all);
  def(cls, "__repr__", [](const UndoCommand& c) {
    return text_form(c, nimbal::py::text_style(), nimbal::py::snapshot_text);
  });
}

void bind_hathel(pyb::module_& m) {
  pyb::class_<Hathel, std::shared_ptr<Hathel>> cls(m, "Hathel", doc::hathel_cls);
  def(cls, "__init__", [](Hathel::ApplyState apply_state, Hathel::OnChange on_change,
                          std::optional<Hathel::OnRedoClearsAll> on_redo_clears_all, long long max_steps) {
    return std::make_shared<Hathel>(std::move(apply_state), std::move(on_change),
                                    on_redo_clears_all.value_or(Hathel::OnRedoClearsAll{}), max_steps);
  }, as_constructor, pyb::arg("apply_state"), pyb::arg("on_change"), pyb::arg("on_redo_clears_all") = pyb::none(),
      pyb::arg("max_steps") = MAX_UNDO_STEPS, doc::hathel_init);
  cls.def_property_readonly("can_undo", &Hathel::can_undo, doc::can_undo)
      .def_property_readonly("can_redo", &Hathel::can_redo, doc::can_redo);
  def(cls, "push", &Hathel::push, pyb::arg("cmd"), doc::push);
  def(cls, "undo", &Hathel::undo, doc::undo);
  def(cls, "redo", &Hathel::redo, doc::redo);
  def(cls, "clear", &Hathel::clear, doc::clear);
  def(cls, "depth", &Hathel::depth, doc::depth);
  def(cls, "trim_to", &Hathel::trim_to, pyb::arg("depth"), doc::trim_to);
  def(cls, "peek_last", &Hathel::peek_last, doc::peek_last);
  def(cls, "pop_last", &Hathel::pop_last, doc::pop_last);
  cls.def_property_readonly("_max_steps", &Hathel::max_steps)
      .def_property_readonly("_apply_state", &Hathel::apply_state_callback)
      .def_property_readonly("_on_change", &Hathel::on_change_callback)
      // An unset callback reads as None.
      .def_property_readonly("_on_redo_clears_all",
                             [](const Hathel& h) -> pyb::object { return pyb::cast(h.on_redo_clears_all_callback()); })
      .def_property_readonly("_undo_stack", &Hathel::undo_stack)
      .def_property_readonly("_redo_stack", &Hathel::redo_stack);
}

}  // namespace

PYBIND11_MODULE(hathel, m) {
  m.doc() = doc::module;
  nimbal::py::import_kernel();
  pyb::module_::import("nimbal.models.quenby");
  pyb::module_::import("nimbal.enums");
  nimbal::py::register_core_errors();

  nimbal::py::bind_live_list<IdList, IdElem>(m, doc::id_list_cls);
  nimbal::py::bind_live_list<CommandList, CommandElem>(m, doc::command_list_cls);
  bind_state(m);
  bind_snapshot(m);
  bind_command(m);
  bind_hathel(m);
  m.attr("MAX_UNDO_STEPS") = MAX_UNDO_STEPS;
  nimbal::py::guard_method_self(m);  // last: after every class is bound
}
