// The core's hooks into the host: its log records go to Python's `logging`
// (the exception of a record as its exc_info), and an exception the core
// catches is read as the host sees it: the text of a Python error, the text
// Python prints for the exception as it would be raised, and whether it
// belongs to the ordinary Exception family (an interrupt or an exit request
// is never caught by the core's handlers).
#pragma once

#include <sys/syscall.h>
#include <unistd.h>

#include "nimbal/kernel.hpp"
#include "nimbal/log.hpp"
#include "nimbal_py/common.hpp"

namespace nimbal::py {

// (type, value, traceback) for a C++ exception, through the registered
// exception translators, as pybind11 would raise it.
inline pyb::object exc_info_of(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (pyb::error_already_set& e) {
    // An error raised by the C API has no traceback; make_tuple refuses a
    // null object, and the record would be lost.
    pyb::object tb = e.trace() ? pyb::reinterpret_borrow<pyb::object>(e.trace()) : pyb::none();
    return pyb::make_tuple(e.type(), e.value(), tb);
  } catch (...) {
    if (!pyb::detail::apply_exception_translators(
            pyb::detail::get_local_internals().registered_exception_translators) &&
        !pyb::detail::apply_exception_translators(
            pyb::detail::get_internals().registered_exception_translators)) {
      PyErr_SetString(PyExc_RuntimeError, "unknown C++ exception");
    }
  }
  PyObject *type = nullptr, *value = nullptr, *tb = nullptr;
  PyErr_Fetch(&type, &value, &tb);
  PyErr_NormalizeException(&type, &value, &tb);
  auto t = pyb::reinterpret_steal<pyb::object>(type);
  auto v = pyb::reinterpret_steal<pyb::object>(value);
  auto b = tb ? pyb::reinterpret_steal<pyb::object>(tb) : pyb::none();
  return pyb::make_tuple(t ? t : pyb::none(), v ? v : pyb::none(), b);
}

inline pyb::object python_logger(std::string_view name) {
  static PyObject* get_logger = [] {
    return pyb::object(pyb::module_::import("logging").attr("getLogger")).release().ptr();
  }();
  return pyb::reinterpret_borrow<pyb::object>(get_logger)(pyb::str(name.data(), name.size()));
}

// f(the logger `name`) under the interpreter lock; false where it fails: a
// failing handler must not turn a log call into an error of the operation,
// nor take away an error the caller has pending.
template <class F>
bool with_python_logger(std::string_view name, F f) {
  if (!Py_IsInitialized()) return false;
  pyb::gil_scoped_acquire gil;
  PyObject *st, *sv, *stb;
  PyErr_Fetch(&st, &sv, &stb);
  bool answer = false;
  try {
    answer = f(python_logger(name));
  } catch (...) {
    PyErr_Clear();
  }
  PyErr_Restore(st, sv, stb);
  return answer;
}

inline bool python_log_enabled(std::string_view logger, log::Level level) {
  return with_python_logger(logger, [level](const pyb::object& lg) {
    return lg.attr("isEnabledFor")(static_cast<int>(level)).cast<bool>();
  });
}

inline void python_log_sink(std::string_view logger, log::Level level, std::string_view message,
                            std::exception_ptr error) {
  with_python_logger(logger, [&](const pyb::object& lg) {
    pyb::int_ lv(static_cast<int>(level));
    if (!lg.attr("isEnabledFor")(lv).cast<bool>()) return false;
    lg.attr("log")(lv, pyb::str(message.data(), message.size()),
                   pyb::arg("exc_info") = error ? exc_info_of(error) : pyb::none());
    return true;
  });
}

// Called by every module that logs, at import.
inline void install_log_sink() { log::set_sink(&python_log_sink, &python_log_enabled); }

// Inside a handler: the Python error being handled (the handler keeps it
// alive), null for an error of another kind.
inline const pyb::error_already_set* python_error() {
  try {
    throw;
  } catch (const pyb::error_already_set& e) {
    return &e;
  } catch (...) {
    return nullptr;
  }
}

// A Python error's str(); what str() raises goes on.
inline std::optional<std::string> python_error_text() {
  if (const auto* e = python_error()) return pyb::str(e->value()).cast<std::string>();
  return std::nullopt;
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
  const auto* e = python_error();
  return !e || e->matches(PyExc_Exception);
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

// A pending Ctrl-C (or another signal whose Python handler raises) stops a
// wait of the core. Python runs signal handlers in its main thread only, so
// other threads' waits go on without taking the interpreter lock.
inline void raise_pending_interrupt() {
  if (!Py_IsInitialized() || ::getpid() != static_cast<pid_t>(::syscall(SYS_gettid))) return;
  pyb::gil_scoped_acquire gil;
  if (PyErr_CheckSignals() != 0) throw pyb::error_already_set();
}

// At the kernel module's import: every other module imports it first.
inline void install_host_hooks() {
  install_log_sink();
  nimbal::kernel::set_host_error_policy({&python_error_text, &python_error_printed, &python_error_catchable});
  nimbal::kernel::set_wait_hooks({&release_interpreter_for_wait, &restore_interpreter_after_wait});
  nimbal::kernel::set_interrupt_check(&raise_pending_interrupt);
}

}  // namespace nimbal::py
