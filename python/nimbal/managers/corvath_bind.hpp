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

// The service a host gave a manager; None (`is None`, not truth) is a new
// instance of `cls`.
inline pyb::object service_or_new(pyb::handle given, pyb::handle cls) {
  return given.is_none() ? cls() : pyb::reinterpret_borrow<pyb::object>(given);
}

// The attributes and methods both managers bind the same way (`doc` may be
// null), each defined where the manager's own table lists it.
template <class Core>
pyb::cpp_function registry_view() {
  return pyb::cpp_function([](pyb::object self) { return RegistryView{&self.cast<Core&>()._shapes()}; },
                           pyb::keep_alive<0, 1>());
}

// A part of the manager `Self` (perhaps of its base class), live (kept
// alive with it), shown as `Name`.
template <class Name, class Self, class Core, class R>
auto live(R& (Core::*part)()) {
  return [part](pyb::object self) -> typed<Name> {
    return pyb::cast(&(self.cast<Self&>().*part)(), pyb::return_value_policy::reference_internal, self);
  };
}

// The hooks both managers call, each with its docstring.
struct HookDocs {
  const char *created, *updated, *removed, *cleared, *undo_redo;
};
template <class Cls>
void def_hooks(Cls& c, const HookDocs& doc) {
  c.def("_notify_shape_created", &CoreManager::_notify_shape_created, pyb::arg("shape_id"), pyb::arg("ms"),
        doc.created)
      .def("_notify_shape_updated", &CoreManager::_notify_shape_updated, pyb::arg("shape_id"), pyb::arg("ms"),
           doc.updated)
      .def("_notify_shape_removed", &CoreManager::_notify_shape_removed, pyb::arg("shape_id"), doc.removed)
      .def("_notify_all_cleared", &CoreManager::_notify_all_cleared, doc.cleared)
      .def("_notify_undo_redo_changed", &CoreManager::_notify_undo_redo_changed, pyb::arg("can_undo"),
           pyb::arg("can_redo"), doc.undo_redo);
}

template <class Core, class Cls>
void def_push_undo(Cls& c, const char* doc) {
  c.def(
      "_push_undo",
      [](Core& self, const std::string& description, typed<state_name> before, typed<state_name> after,
         bool redo_clears_all) {
        // Read in the order given, so a refusal names the first wrong one.
        StatePtr b = state_from_py(before, "before");
        StatePtr a = state_from_py(after, "after");
        self._push_undo(description, std::move(b), std::move(a), redo_clears_all);
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

// The managers' own argument kinds: how a core parameter arrives from
// Python where its type says it (convert::arrives), and what one
// definition says otherwise (nimbal::py::def<Kinds>).
namespace nimbal::py::convert {

// A record of class R, None being no record (a null pointer).
template <class R>
struct OrNull {
  std::shared_ptr<R> ptr;
  operator const std::shared_ptr<R>&() const { return ptr; }
  operator const R*() const { return ptr.get(); }
};
using RecordOrNull = OrNull<models::Quenby>;
// A kernel shape where None is the null shape, shown as a shape alone.
struct ShapeArg {
  TopoDS_Shape shape;
  operator const TopoDS_Shape&() const { return shape; }
};
// A managed shape or an array record that the core takes by reference:
// the object the caller passed, not a copy.
template <class T>
struct Ref {
  std::shared_ptr<T> ptr;
  operator const T&() const { return *ptr; }
};
// A map the core fills, given as a State, a plain dict the caller owns or
// None ("not wanted"): the core fills a State of its own, whose entries go
// into the argument once the call has returned.
template <bool OrNone>
struct StateOut {
  pyb::object out;
  services::State filled;
  operator services::State*() { return out.is_none() ? nullptr : &filled; }
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

inline managers::ManagedShapePtr value(pyb::handle v, tag<managers::ManagedShapePtr>, std::string_view what) {
  return corvath::managed_from_py(v, what);
}
template <class R>
OrNull<R> value(pyb::handle v, tag<OrNull<R>>, std::string_view what) {
  if constexpr (std::is_same_v<R, models::Quenby>) return {v.is_none() ? nullptr : from_py::record(v, what)};
  else return {from_py::record_or_null_of<R>(v, what)};
}
inline ShapeArg value(pyb::handle v, tag<ShapeArg>, std::string_view what) { return {from_py::shape_or_null(v, what)}; }
template <class T>
Ref<T> value(pyb::handle v, tag<Ref<T>>, std::string_view what) {
  if constexpr (std::is_same_v<T, managers::ManagedShape>) return {corvath::managed_from_py(v, what)};
  else if (!pyb::isinstance<T>(v)) from_py::wrong_type(what, "an ArrayProperties", v);
  return {v.cast<std::shared_ptr<T>>()};
}
template <bool OrNone>
StateOut<OrNone> value(pyb::handle v, tag<StateOut<OrNone>>, std::string_view) {
  return {pyb::reinterpret_borrow<pyb::object>(v), {}};
}
inline services::SnapshotPtr value(pyb::handle v, tag<services::SnapshotPtr>, std::string_view what) {
  if (!pyb::isinstance<services::ShapeSnapshot>(v)) from_py::wrong_type(what, "a _ShapeSnapshot", v);
  return v.cast<services::SnapshotPtr>();
}

// create_arbitrary_plane's vectors: any iterable, walked only when the core
// asks (its items are then read as they arrive).
class PyVector final : public managers::HostVector::Source {
 public:
  explicit PyVector(pyb::handle v) : v_(pyb::reinterpret_borrow<pyb::object>(v)) {}
  bool is_none() const override { return v_.is_none(); }
  std::optional<std::vector<nimbal::HostValue<double>>> get() const override {
    std::vector<nimbal::HostValue<double>> items;
    for (pyb::handle item : pyb::list(pyb::iter(v_))) items.push_back(value(item, tag<GivenValue<double>>{}, ""));
    return items;
  }
  std::string type_name() const override { return py::type_name(v_); }

 private:
  pyb::object v_;
};
inline managers::HostVector value(pyb::handle v, tag<managers::HostVector>, std::string_view) {
  return managers::HostVector(std::make_shared<PyVector>(v));
}
template <> struct arg_name<managers::HostVector> : typing::point3_name {};
template <> struct arg_name<nimbal::HostValue<std::string>> : typing::str_or_none_name {};

NIMBAL_PY_NAME(state_or_none_name, "nimbal.services.hathel.State | dict[str, typing.Any] | None");
template <> struct arg_name<managers::ManagedShapePtr> : typing::managed_name {};
template <class R> struct arg_name<OrNull<R>> : typing::class_or_none<R> {};
template <> struct arg_name<ShapeArg> : typing::shape_name {};
template <> struct arg_name<Ref<managers::ManagedShape>> : typing::managed_name {};
template <> struct arg_name<Ref<models::ArrayProperties>> : typing::record_name {};
template <> struct arg_name<StateOut<false>> : corvath::state_name {};
template <> struct arg_name<StateOut<true>> : state_or_none_name {};

template <> struct arrives<const managers::ManagedShape&> { using type = Ref<managers::ManagedShape>; };
template <> struct arrives<const models::ArrayProperties&> { using type = Ref<models::ArrayProperties>; };
template <> struct arrives<const TopoDS_Shape&> { using type = ShapeArg; };
template <> struct arrives<const models::Quenby*> { using type = RecordOrNull; };
template <> struct arrives<std::shared_ptr<models::BooleanProperties>> { using type = OrNull<models::BooleanProperties>; };
template <> struct arrives<services::State*> { using type = StateOut<true>; };

// Records that may be None, a map that must be given, a managed shape that
// is always there.
using RecordsOrNone = replacing<managers::RecordPtr, RecordOrNull>;
using MapGiven = replacing<StateOut<true>, StateOut<false>>;
using AlwaysGiven = result_named<typing::managed_name>;

}  // namespace nimbal::py::convert

namespace nimbal::py::corvath {

// The base class's members, bound once for both managers in groups as each
// manager's table lists them.
template <class Cls>
void def_undo_facade(Cls& c, const char* can_undo, const char* can_redo, const char* undo, const char* redo) {
  c.def_property_readonly("can_undo", &CoreManager::can_undo, can_undo)
      .def_property_readonly("can_redo", &CoreManager::can_redo, can_redo)
      .def("undo", &CoreManager::undo, undo)
      .def("redo", &CoreManager::redo, redo);
}

template <class Cls>
void def_id_drawing(Cls& c, const char* new_id_doc, const char* name_doc) {
  c.def("_new_shape_id", &CoreManager::_new_shape_id, pyb::arg("shape_type"), new_id_doc)
      .def("_generate_shape_name", &CoreManager::_generate_shape_name, pyb::arg("shape_type"), name_doc);
}

template <class Cls>
void def_queries(Cls& c, const char* get_doc, const char* ids_doc) {
  nimbal::py::def(c, "get_shape", &CoreManager::get_shape, pyb::arg("shape_id"), get_doc);
  c.def("get_all_shape_ids", &CoreManager::get_all_shape_ids, ids_doc);
}

template <class Cls>
void def_entry_edits(Cls& c, const char* color, const char* rename, const char* remove) {
  c.def("update_shape_color", &CoreManager::update_shape_color, pyb::arg("shape_id"), pyb::arg("color"), color)
      .def("rename_shape", &CoreManager::rename_shape, pyb::arg("shape_id"), pyb::arg("new_name"), rename)
      .def("remove_shape", &CoreManager::remove_shape, pyb::arg("shape_id"), remove);
}

}  // namespace nimbal::py::corvath

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
