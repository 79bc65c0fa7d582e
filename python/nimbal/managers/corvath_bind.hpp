// Pieces of the corvath module's binding, split across sources to keep each
// compile short.
#pragma once

#include "nimbal/managers/corvath.hpp"
#include "nimbal_py/convert.hpp"
#include "nimbal_py/hathel.hpp"
#include "nimbal_py/kernel.hpp"
#include "nimbal_py/records.hpp"

namespace nimbal::py::corvath {

using namespace nimbal::managers;

// Read-only live view of a manager's registry (kept alive with the manager).
struct RegistryView {
  const Registry* registry;
};

// ManagedShape, its live component list and the read-only registry view.
void bind_types(pyb::module_& m);

// Inline: the sketch manager's module takes managed shapes too.
inline ManagedShapePtr managed_from_py(pyb::handle v, std::string_view what) {
  if (!pyb::isinstance<ManagedShape>(v)) from_py::wrong_type(what, "a ManagedShape", v);
  return v.cast<ManagedShapePtr>();
}

NIMBAL_PY_NAME(state_name, "nimbal.services.hathel.State | dict[str, typing.Any]");
NIMBAL_PY_NAME(hathel_name, "nimbal.services.hathel.Hathel");

// The attributes and methods both managers bind the same way (`doc` may be
// null), each defined where the manager's own table lists it.
template <class Core>
pyb::cpp_function registry_view() {
  return pyb::cpp_function([](pyb::object self) { return RegistryView{&self.cast<Core&>()._shapes()}; },
                           pyb::keep_alive<0, 1>());
}

template <class Core>
auto undo_stacks() {
  return [](pyb::object self) -> typed<hathel_name> {
    return pyb::cast(&self.cast<Core&>()._undo_redo(), pyb::return_value_policy::reference_internal, self);
  };
}

// The hooks both managers call, each with its docstring.
struct HookDocs {
  const char *created, *updated, *removed, *cleared, *undo_redo;
};
template <class Core, class Cls>
void def_hooks(Cls& c, const HookDocs& doc) {
  c.def("_notify_shape_created", &Core::_notify_shape_created, pyb::arg("shape_id"), pyb::arg("ms"), doc.created)
      .def("_notify_shape_updated", &Core::_notify_shape_updated, pyb::arg("shape_id"), pyb::arg("ms"), doc.updated)
      .def("_notify_shape_removed", &Core::_notify_shape_removed, pyb::arg("shape_id"), doc.removed)
      .def("_notify_all_cleared", &Core::_notify_all_cleared, doc.cleared)
      .def("_notify_undo_redo_changed", &Core::_notify_undo_redo_changed, pyb::arg("can_undo"), pyb::arg("can_redo"),
           doc.undo_redo);
}

template <class Core, class Cls>
void def_push_undo(Cls& c, const char* doc) {
  c.def(
      "_push_undo",
      [](Core& self, const std::string& description, typed<state_name> before, typed<state_name> after,
         bool redo_clears_all) {
        self._push_undo(description, state_from_py(before, "before"), state_from_py(after, "after"),
                        redo_clears_all);
      },
      pyb::arg("description"), pyb::arg("before"), pyb::arg("after"), pyb::kw_only(),
      pyb::arg("redo_clears_all") = false, doc);
}

// The base class's state application, called as such: an override that
// reaches it must not reach itself again.
template <class Core, class Cls>
void def_apply_state(Cls& c, const char* doc) {
  c.def(
      "_apply_state", [](Core& self, typed<state_name> state) { self.Core::_apply_state(state_from_py(state)); },
      pyb::arg("state"), doc);
}

}  // namespace nimbal::py::corvath

// The managers' own argument kinds, for nimbal::py::def (found by the tag).
namespace nimbal::py::convert {

// A record where None means "no record" (a null pointer).
struct RecordOrNull {
  managers::RecordPtr ptr;
};
// A kernel shape where None is the null shape, shown as a shape alone.
struct ShapeArg {
  TopoDS_Shape shape;
};

inline managers::ManagedShapePtr value(pyb::handle v, tag<managers::ManagedShapePtr>, std::string_view what) {
  return corvath::managed_from_py(v, what);
}
inline RecordOrNull value(pyb::handle v, tag<RecordOrNull>, std::string_view what) {
  return {v.is_none() ? nullptr : from_py::record(v, what)};
}
inline ShapeArg value(pyb::handle v, tag<ShapeArg>, std::string_view what) { return {from_py::shape_or_null(v, what)}; }

template <>
struct arg_name<managers::ManagedShapePtr> : typing::managed_name {};
template <>
struct arg_name<RecordOrNull> : typing::record_or_none_name {};
template <>
struct arg_name<ShapeArg> : typing::shape_name {};

}  // namespace nimbal::py::convert
