// Conversions of the undo history's types, shared by the modules that pass
// states and snapshots (hathel, corvath). The classes themselves are
// registered by nimbal.services.hathel.
#pragma once

#include "nimbal/services/hathel.hpp"
#include "nimbal_py/common.hpp"
#include "nimbal_py/convert.hpp"

namespace nimbal::py {

// A shape id among others (items, keys): text.
inline std::string shape_id_item(pyb::handle v, const std::string& what) {
  return from_py::text(v, what, "shape ids (str)");
}

// A snapshot, or None for none (a null pointer).
inline services::SnapshotPtr snapshot_or_null(pyb::handle v, const std::string& what) {
  return from_py::instance_or_null<services::ShapeSnapshot, services::SnapshotPtr>(v, what, "_ShapeSnapshot or None");
}

// A state from a State object (shared, not copied) or from any mapping of
// shape id to _ShapeSnapshot or None (copied into a new State).
inline services::StatePtr state_from_py(pyb::handle obj, const std::string& what = "state") {
  if (pyb::isinstance<services::State>(obj)) return obj.cast<services::StatePtr>();
  if (!PyObject_HasAttrString(obj.ptr(), "items"))
    from_py::wrong_type(what, "a mapping of shape id to snapshot or None", obj);
  auto state = std::make_shared<services::State>();
  from_py::for_each_pair(
      obj, [&](pyb::handle item) { from_py::wrong_type(what + " items", "(shape id, snapshot) pairs", item); },
      [&](pyb::handle key, pyb::handle value) {
        const std::string id = shape_id_item(key, what + " keys");  // the key is refused before the value
        state->set(id, snapshot_or_null(value, what + " values"));
      });
  return state;
}

// A state as state_from_py reads it, or None for none (a null pointer).
inline services::StatePtr state_or_null(pyb::handle obj, const std::string& what) {
  return obj.is_none() ? nullptr : state_from_py(obj, what);
}

inline pyb::object snapshot_or_none(const services::SnapshotPtr& s) {
  return s ? pyb::cast(s) : pyb::none();
}

// A snapshot as its object's repr writes it (a Python subclass's too).
inline std::string snapshot_text(const services::SnapshotPtr& s) { return pyb::repr(snapshot_or_none(s)); }

// An undo command, wherever one goes: it always lands on a stack, so a
// refusal names the stacks' items.
inline services::CommandPtr command_item(pyb::handle v) {
  return from_py::instance<services::UndoCommand, services::CommandPtr>(v, "CommandList items", "_UndoCommand");
}

namespace convert {
// A state the call reads, as state_from_py reads it (None is refused).
inline services::StatePtr value(pyb::handle v, tag<services::StatePtr>, std::string_view what) {
  return state_from_py(v, std::string(what));
}
template <>
struct arg_name<services::StatePtr> {
  static constexpr auto name = pyb::detail::const_name(
      "nimbal.services.hathel.State | dict[str, nimbal.services.hathel._ShapeSnapshot | None]");
};
inline services::CommandPtr value(pyb::handle v, tag<services::CommandPtr>, std::string_view) { return command_item(v); }
template <>
struct arg_name<services::CommandPtr> : typing::class_name<services::UndoCommand> {};
}  // namespace convert

}  // namespace nimbal::py
