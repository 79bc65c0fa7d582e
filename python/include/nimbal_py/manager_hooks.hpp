// The trampoline of the hooks and overridable methods both managers share:
// a host subclass's override (in Python) is the one the C++ code calls.
// A manager's own trampoline derives from ManagerHooks<Core> and adds what
// only that manager has.
#pragma once

#include <string>

#include "nimbal/managers/corvath.hpp"
#include "nimbal_py/common.hpp"

namespace nimbal::py {

template <class Core>
class ManagerHooks : public Core {
 public:
  using Core::Core;

  void _notify_shape_created(const std::string& shape_id, const nimbal::managers::ManagedShapePtr& ms) override {
    PYBIND11_OVERRIDE(void, Core, _notify_shape_created, shape_id, ms);
  }
  void _notify_shape_updated(const std::string& shape_id, const nimbal::managers::ManagedShapePtr& ms) override {
    PYBIND11_OVERRIDE(void, Core, _notify_shape_updated, shape_id, ms);
  }
  void _notify_shape_removed(const std::string& shape_id) override {
    PYBIND11_OVERRIDE(void, Core, _notify_shape_removed, shape_id);
  }
  void _notify_all_cleared() override { PYBIND11_OVERRIDE(void, Core, _notify_all_cleared, ); }
  void _notify_undo_redo_changed(bool can_undo, bool can_redo) override {
    PYBIND11_OVERRIDE(void, Core, _notify_undo_redo_changed, can_undo, can_redo);
  }
  void _on_redo_clears_all() override { PYBIND11_OVERRIDE(void, Core, _on_redo_clears_all, ); }
  void _apply_state(const nimbal::services::StatePtr& state) override {
    PYBIND11_OVERRIDE(void, Core, _apply_state, state);
  }
  std::string _new_shape_id(nimbal::ShapeType t) override {
    PYBIND11_OVERRIDE(std::string, Core, _new_shape_id, t);
  }
  std::string _generate_shape_name(nimbal::ShapeType t) override {
    PYBIND11_OVERRIDE(std::string, Core, _generate_shape_name, t);
  }
};

}  // namespace nimbal::py
