// What both manager bindings share: the members of their base class bound
// once, the live views of their parts, and the rules of the managers' own
// argument types (managed shapes, snapshots, the maps a call fills).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "nimbal/managers/core_manager.hpp"
#include "nimbal_py/common.hpp"
#include "nimbal_py/convert.hpp"
#include "nimbal_py/define.hpp"
#include "nimbal_py/hathel.hpp"

namespace nimbal::py::manager_bind {

using nimbal::managers::CoreManager;
using nimbal::managers::ManagedShape;
using nimbal::managers::ManagedShapePtr;
using nimbal::managers::Registry;

// Read-only live view of a manager's registry (kept alive with the manager).
struct RegistryView {
  const Registry* registry;
};

inline ManagedShapePtr managed_from_py(pyb::handle v, std::string_view what) {
  if (!pyb::isinstance<ManagedShape>(v)) from_py::wrong_type(what, "a ManagedShape", v);
  return v.cast<ManagedShapePtr>();
}

NIMBAL_PY_NAME(state_name, "nimbal.services.hathel.State | dict[str, typing.Any]");
NIMBAL_PY_NAME(state_or_none_name, "nimbal.services.hathel.State | dict[str, typing.Any] | None");
NIMBAL_PY_NAME(hathel_name, "nimbal.services.hathel.Hathel");

// The service a host gave a manager; None (`is None`, not truth) is a new
// instance of `cls`.
inline pyb::object service_or_new(pyb::handle given, pyb::handle cls) {
  return given.is_none() ? cls() : pyb::reinterpret_borrow<pyb::object>(given);
}

template <class Core>
pyb::cpp_function registry_view() {
  return pyb::cpp_function([](pyb::object self) { return RegistryView{&self.cast<Core&>()._shapes()}; },
                           pyb::keep_alive<0, 1>());
}

// A part of the manager `Self` (perhaps of its base class), live (kept
// alive with it), shown as `Name`.
template <class Name, class Self, class Core, class R>
auto live(R& (Core::*part)()) {
  return [part](pyb::object self) -> typing::typed<Name> {
    return pyb::cast(&(self.cast<Self&>().*part)(), pyb::return_value_policy::reference_internal, self);
  };
}

// ---- the base class's members, bound once for both managers in groups as
// each manager's table lists them (`doc` may be null) ----

// The hooks both managers call, each with its docstring.
struct HookDocs {
  const char *created, *updated, *removed, *cleared, *undo_redo;
};
template <class Cls>
void def_hooks(Cls& c, const HookDocs& doc) {
  def(c, "_notify_shape_created", &CoreManager::_notify_shape_created, pyb::arg("shape_id"), pyb::arg("ms"),
      doc.created);
  def(c, "_notify_shape_updated", &CoreManager::_notify_shape_updated, pyb::arg("shape_id"), pyb::arg("ms"),
      doc.updated);
  def(c, "_notify_shape_removed", &CoreManager::_notify_shape_removed, pyb::arg("shape_id"), doc.removed);
  def(c, "_notify_all_cleared", &CoreManager::_notify_all_cleared, doc.cleared);
  def(c, "_notify_undo_redo_changed", &CoreManager::_notify_undo_redo_changed, pyb::arg("can_undo"),
      pyb::arg("can_redo"), doc.undo_redo);
}

template <class Cls>
void def_push_undo(Cls& c, const char* doc) {
  def(c, "_push_undo", &CoreManager::_push_undo, pyb::arg("description"), pyb::arg("before"), pyb::arg("after"),
      pyb::kw_only(), pyb::arg("redo_clears_all") = false, doc);
}

// The base class's state application, called as such: an override that
// reaches it must not reach itself again.
template <class Core, class Cls>
void def_apply_state(Cls& c, const char* doc) {
  def(
      c, "_apply_state",
      [](Core& self, const services::StatePtr& state) { self.Core::_apply_state(state); },
      pyb::arg("state"), doc);
}

template <class Cls>
void def_undo_facade(Cls& c, const char* can_undo, const char* can_redo, const char* undo, const char* redo) {
  c.def_property_readonly("can_undo", &CoreManager::can_undo, can_undo)
      .def_property_readonly("can_redo", &CoreManager::can_redo, can_redo);
  def(c, "undo", &CoreManager::undo, undo);
  def(c, "redo", &CoreManager::redo, redo);
}

template <class Cls>
void def_id_drawing(Cls& c, const char* new_id_doc, const char* name_doc) {
  def(c, "_new_shape_id", &CoreManager::_new_shape_id, pyb::arg("shape_type"), new_id_doc);
  def(c, "_generate_shape_name", &CoreManager::_generate_shape_name, pyb::arg("shape_type"), name_doc);
}

template <class Cls>
void def_queries(Cls& c, const char* get_doc, const char* ids_doc) {
  def(c, "get_shape", &CoreManager::get_shape, pyb::arg("shape_id"), get_doc);
  def(c, "get_all_shape_ids", &CoreManager::get_all_shape_ids, ids_doc);
}

template <class Cls>
void def_entry_edits(Cls& c, const char* color, const char* rename, const char* remove) {
  def(c, "update_shape_color", &CoreManager::update_shape_color, pyb::arg("shape_id"), pyb::arg("color"), color);
  def(c, "rename_shape", &CoreManager::rename_shape, pyb::arg("shape_id"), pyb::arg("new_name"), rename);
  def(c, "remove_shape", &CoreManager::remove_shape, pyb::arg("shape_id"), remove);
}

}  // namespace nimbal::py::manager_bind

namespace nimbal::py::convert {

inline managers::ManagedShapePtr value(pyb::handle v, tag<managers::ManagedShapePtr>, std::string_view what) {
  return manager_bind::managed_from_py(v, what);
}
template <>
struct arg_name<managers::ManagedShapePtr> : typing::managed_name {};

inline services::SnapshotPtr value(pyb::handle v, tag<services::SnapshotPtr>, std::string_view what) {
  if (!pyb::isinstance<services::ShapeSnapshot>(v)) from_py::wrong_type(what, "a _ShapeSnapshot", v);
  return v.cast<services::SnapshotPtr>();
}

// A map the core fills, given as a State, a plain dict the caller owns or
// None ("not wanted"): the core fills a State of its own, whose entries go
// into the argument once the call has returned.
template <bool OrNone>
struct FilledState {
  pyb::object out;
  services::State filled;
  operator nimbal::Filled<services::State, OrNone>() { return out.is_none() ? nullptr : &filled; }
  void put() const {
    if (out.is_none()) return;
    const bool is_state = pyb::isinstance<services::State>(out);
    for (const auto& [id, snap] : filled) {
      if (is_state)
        out.cast<services::State&>().set(id, snap);
      else
        out[pyb::str(id)] = snapshot_or_none(snap);
    }
  }
};
template <bool OrNone>
FilledState<OrNone> value(pyb::handle v, tag<nimbal::Filled<services::State, OrNone>>, std::string_view) {
  return {pyb::reinterpret_borrow<pyb::object>(v), {}};
}
template <>
struct arg_name<nimbal::Filled<services::State, false>> : manager_bind::state_name {};
template <>
struct arg_name<nimbal::Filled<services::State, true>> : manager_bind::state_or_none_name {};

}  // namespace nimbal::py::convert
