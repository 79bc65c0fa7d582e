// The host's view of an exception caught by the core: its Python text, and
// whether it belongs to the ordinary Exception family (an interrupt or an
// exit request is never caught by the core's handlers).
#pragma once

#include "nimbal/kernel.hpp"
#include "nimbal_py/common.hpp"

namespace nimbal::py {

inline std::string python_error_text() {
  try {
    throw;
  } catch (pyb::error_already_set& e) {
    return pyb::str(e.value()).cast<std::string>();
  } catch (const Standard_Failure& f) {
    return nimbal::kernel::failure_text(f);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "unknown error";
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
  nimbal::kernel::set_host_error_policy({&python_error_text, &python_error_catchable});
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
