// Conversions of the undo history's types, shared by the modules that pass
// states and snapshots (hathel, corvath). The classes themselves are
// registered by nimbal.services.hathel.
#pragma once

#include "nimbal/services/hathel.hpp"
#include "nimbal_py/common.hpp"

namespace nimbal::py {

// A state from a State object (shared, not copied) or from any mapping of
// shape id to _ShapeSnapshot or None (copied into a new State).
inline services::StatePtr state_from_py(pyb::handle obj, const char* what = "state") {
  using services::ShapeSnapshot;
  using services::State;
  if (pyb::isinstance<State>(obj)) return obj.cast<services::StatePtr>();
  if (!PyObject_HasAttrString(obj.ptr(), "items"))
    throw nimbal::WrongType(std::string(what) + " must be a mapping of shape id to snapshot or None, not '" +
                            type_name(obj) + "'");
  auto state = std::make_shared<State>();
  for (auto item : pyb::iter(obj.attr("items")())) {
    // Checked: the tuple accessors below assume a real pair.
    if (!PyTuple_Check(item.ptr()) || PyTuple_GET_SIZE(item.ptr()) != 2)
      throw nimbal::WrongType(std::string(what) + " items must be (shape id, snapshot) pairs, not '" +
                              type_name(item) + "'");
    auto kv = pyb::reinterpret_borrow<pyb::tuple>(item);
    if (!PyUnicode_Check(kv[0].ptr()))
      throw nimbal::WrongType(std::string(what) + " keys must be shape ids (str), not '" + type_name(kv[0]) + "'");
    services::SnapshotPtr snap;
    if (!kv[1].is_none()) {
      if (!pyb::isinstance<ShapeSnapshot>(kv[1]))
        throw nimbal::WrongType(std::string(what) + " values must be _ShapeSnapshot or None, not '" +
                                type_name(kv[1]) + "'");
      snap = kv[1].cast<services::SnapshotPtr>();
    }
    state->set(kv[0].cast<std::string>(), std::move(snap));
  }
  return state;
}

inline pyb::object snapshot_or_none(const services::SnapshotPtr& s) {
  return s ? pyb::cast(s) : pyb::none();
}

}  // namespace nimbal::py
