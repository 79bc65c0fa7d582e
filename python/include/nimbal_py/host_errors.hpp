// The host's view of an exception caught by the core: the text of a Python
// error, the text Python prints for the exception as it would be raised,
// and whether it belongs to the ordinary Exception family (an interrupt or
// an exit request is never caught by the core's handlers).
#pragma once

#include "nimbal/kernel.hpp"
#include "nimbal_py/common.hpp"
#include "nimbal_py/logging.hpp"

namespace nimbal::py {

// A Python error's str(); what str() raises goes on.
inline std::optional<std::string> python_error_text() {
  try {
    throw;
  } catch (pyb::error_already_set& e) {
    return pyb::str(e.value()).cast<std::string>();
  } catch (...) {
    return std::nullopt;
  }
}

// str() of the error Python would see, through the exception translators;
// none when it cannot be printed.
inline std::optional<std::string> python_error_printed() {
  pyb::object value = exc_info_of(std::current_exception())[pyb::int_(1)];
  if (value.is_none()) return std::string("unknown error");
  try {
    return pyb::str(value).cast<std::string>();
  } catch (...) {
    PyErr_Clear();
    return std::nullopt;
  }
}

inline bool python_error_catchable() {
  try {
    throw;
  } catch (pyb::error_already_set& e) {
    return e.matches(PyExc_Exception);
  } catch (...) {
    return true;
  }
}

inline void install_host_error_policy() {
  nimbal::kernel::set_host_error_policy({&python_error_text, &python_error_printed, &python_error_catchable});
}

// A thread of the core that waits (for the exchange lock) never holds the
// interpreter lock meanwhile: the thread it waits for may need it to log.
inline void* release_interpreter_for_wait() {
  if (!Py_IsInitialized() || !PyGILState_Check()) return nullptr;
  return PyEval_SaveThread();
}

inline void restore_interpreter_after_wait(void* state) {
  PyEval_RestoreThread(static_cast<PyThreadState*>(state));
}

inline void install_wait_hooks() {
  nimbal::kernel::set_wait_hooks({&release_interpreter_for_wait, &restore_interpreter_after_wait});
}

}  // namespace nimbal::py
