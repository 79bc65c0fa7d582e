// Pieces every service module's face has alike: the first steps of its init
// and the trampoline of a hook that takes a record.
#pragma once

#include <initializer_list>

#include "nimbal_py/kernel.hpp"
#include "nimbal_py/logging.hpp"
#include "nimbal_py/records.hpp"

namespace nimbal::py {

// Its docstring, the core's errors as Python exceptions, its log records sent
// to `logging`, and the modules whose classes its signatures name (imported
// first, so that their types convert).
inline void begin_service_module(pyb::module_& m, const char* doc, std::initializer_list<const char*> imports) {
  m.doc() = doc;
  register_core_errors();
  install_log_sink();
  import_kernel();
  for (const char* name : imports) pyb::module_::import(name);
}

}  // namespace nimbal::py

// In a trampoline's override of Base::fn: a Python override of `name` answers
// (handed the caller's own record, see passed_record), else Base::fn does.
// get_override finds the Python class through a pointer of the bound type.
#define NIMBAL_RECORD_OVERRIDE(R, Base, name, fn, ...)                                           \
  do {                                                                                           \
    const Base* nimbal_bound_ = this;                                                            \
    if (auto r_ = ::nimbal::py::record_override<R>(nimbal_bound_, name, __VA_ARGS__)) return *r_; \
    return Base::fn(__VA_ARGS__);                                                                \
  } while (false)
