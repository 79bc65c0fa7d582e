// Methods that check their `self`. pybind11 lets None through as the self of
// a method declared without argument names (and then calls the C++ member
// on a null object), and a binding whose self is a plain handle casts it
// only inside the body. Called last in a module's init, guard_method_self
// makes every method of the module's classes refuse a self that is not an
// instance of its class with the usual "incompatible function arguments"
// TypeError, before any argument is converted, and an instance whose C++
// object is not constructed yet (a subclass calling it before
// super().__init__()) with a TypeError saying so.
#pragma once

#include <string>
#include <unordered_map>

#include "nimbal_py/common.hpp"

namespace nimbal::py {
namespace method_guard_detail {

namespace pd = ::pybind11::detail;
using Impl = pyb::handle (*)(pd::function_call&);

struct Original {
  Impl impl;
  std::string member;  // the attribute's name (a property's getter has none)
};

// Never freed: function records live until the interpreter ends.
inline std::unordered_map<const pd::function_record*, Original>& originals() {
  static auto* table = new std::unordered_map<const pd::function_record*, Original>();
  return *table;
}

// Whether `self`, an instance of the pybind11 class `scope`, holds its C++
// object: the value pointer stays null until __init__ has constructed it.
inline bool constructed(pyb::handle self, pyb::handle scope) {
  const pd::type_info* info = pd::get_type_info(reinterpret_cast<PyTypeObject*>(scope.ptr()));
  if (!info) return true;
  auto* inst = reinterpret_cast<pd::instance*>(self.ptr());
  pd::value_and_holder v_h = inst->get_value_and_holder(info, /*throw_if_missing=*/false);
  // Not found (its operator bool would read the missing slot): an instance
  // of a derived class registers only that class; its first slot is the one.
  if (!v_h.inst) v_h = inst->get_value_and_holder();
  return v_h.value_ptr() != nullptr;
}

inline pyb::handle checked_self(pd::function_call& call) {
  const auto& table = originals();
  auto it = table.find(&call.func);
  if (it == table.end()) return PYBIND11_TRY_NEXT_OVERLOAD;
  if (call.args.empty() ||
      !PyObject_TypeCheck(call.args[0].ptr(), reinterpret_cast<PyTypeObject*>(call.func.scope.ptr())))
    return PYBIND11_TRY_NEXT_OVERLOAD;
  if (!constructed(call.args[0], call.func.scope))
    throw nimbal::used_before_init(pyb::str(call.func.scope.attr("__name__")), it->second.member,
                                   type_name(call.args[0]));
  return it->second.impl(call);
}

inline pd::function_record* record_of(pyb::handle f) {
  if (!f) return nullptr;
  f = pd::get_function(f);
  if (!f || !PyCFunction_Check(f.ptr())) return nullptr;
  PyObject* self = PyCFunction_GET_SELF(f.ptr());
  if (!self || !PyCapsule_CheckExact(self)) return nullptr;
  auto cap = pyb::reinterpret_borrow<pyb::capsule>(self);
  if (!pd::is_function_record_capsule(cap)) return nullptr;
  return cap.get_pointer<pd::function_record>();
}

inline void guard(pyb::handle f, const std::string& member) {
  for (pd::function_record* rec = record_of(f); rec; rec = rec->next) {
    if (!rec->is_method || rec->is_constructor || !rec->scope || rec->impl == &checked_self) continue;
    originals().emplace(rec, Original{rec->impl, member});
    rec->impl = &checked_self;
  }
}

}  // namespace method_guard_detail

inline void guard_method_self(pyb::module_& m) {
  namespace g = method_guard_detail;
  const pyb::object module_name = m.attr("__name__");
  for (auto item : pyb::reinterpret_borrow<pyb::dict>(m.attr("__dict__"))) {
    pyb::handle cls = item.second;
    if (!PyType_Check(cls.ptr()) ||
        !::pybind11::detail::get_type_info(reinterpret_cast<PyTypeObject*>(cls.ptr())))
      continue;
    if (!pyb::hasattr(cls, "__module__") || !pyb::object(cls.attr("__module__")).equal(module_name)) continue;
    for (auto entry : pyb::reinterpret_borrow<pyb::dict>(cls.attr("__dict__").attr("copy")())) {
      const std::string name = pyb::str(entry.first);
      pyb::handle attr = entry.second;
      if (PyObject_IsInstance(attr.ptr(), reinterpret_cast<PyObject*>(&PyProperty_Type)) == 1) {
        g::guard(attr.attr("fget"), name);
        g::guard(attr.attr("fset"), name);
      } else {
        g::guard(attr, name + "()");
      }
    }
  }
}

}  // namespace nimbal::py
