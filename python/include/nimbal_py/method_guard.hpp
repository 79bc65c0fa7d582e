// Methods that check their `self`. pybind11 lets None through as the self of
// a method declared without argument names (and then calls the C++ member
// on a null object), and a binding whose self is a plain handle casts it
// only inside the body. Called last in a module's init, guard_method_self
// makes every method of the module's classes refuse a self that is not an
// instance of its class with the usual "incompatible function arguments"
// TypeError, before any argument is converted.
#pragma once

#include <unordered_map>

#include "nimbal_py/common.hpp"

namespace nimbal::py {
namespace method_guard_detail {

namespace pd = ::pybind11::detail;
using Impl = pyb::handle (*)(pd::function_call&);

// Never freed: function records live until the interpreter ends.
inline std::unordered_map<const pd::function_record*, Impl>& originals() {
  static auto* table = new std::unordered_map<const pd::function_record*, Impl>();
  return *table;
}

inline pyb::handle checked_self(pd::function_call& call) {
  const auto& table = originals();
  auto it = table.find(&call.func);
  if (it == table.end()) return PYBIND11_TRY_NEXT_OVERLOAD;
  if (call.args.empty() ||
      !PyObject_TypeCheck(call.args[0].ptr(), reinterpret_cast<PyTypeObject*>(call.func.scope.ptr())))
    return PYBIND11_TRY_NEXT_OVERLOAD;
  return it->second(call);
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

inline void guard(pyb::handle f) {
  for (pd::function_record* rec = record_of(f); rec; rec = rec->next) {
    if (!rec->is_method || rec->is_constructor || !rec->scope || rec->impl == &checked_self) continue;
    originals().emplace(rec, rec->impl);
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
    for (auto attr : cls.attr("__dict__").attr("values")()) {
      if (PyObject_IsInstance(attr.ptr(), reinterpret_cast<PyObject*>(&PyProperty_Type)) == 1) {
        g::guard(attr.attr("fget"));
        g::guard(attr.attr("fset"));
      } else {
        g::guard(attr);
      }
    }
  }
}

}  // namespace nimbal::py
