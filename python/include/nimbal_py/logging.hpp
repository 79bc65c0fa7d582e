// Routes the core's log records to Python's `logging`, keeping the
// exception of a record as its exc_info.
#pragma once

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

inline void python_log_sink(std::string_view logger, log::Level level, std::string_view message,
                            std::exception_ptr error) {
  if (!Py_IsInitialized()) return;
  pyb::gil_scoped_acquire gil;
  // A failing handler must not turn a log call into an error of the operation.
  PyObject *st, *sv, *stb;
  PyErr_Fetch(&st, &sv, &stb);
  try {
    pyb::object lg = python_logger(logger);
    pyb::int_ lv(static_cast<int>(level));
    if (lg.attr("isEnabledFor")(lv).cast<bool>()) {
      pyb::str msg(message.data(), message.size());
      if (error)
        lg.attr("log")(lv, msg, pyb::arg("exc_info") = exc_info_of(error));
      else
        lg.attr("log")(lv, msg);
    }
  } catch (...) {
    PyErr_Clear();
  }
  PyErr_Restore(st, sv, stb);
}

inline bool python_log_enabled(std::string_view logger, log::Level level) {
  if (!Py_IsInitialized()) return false;
  pyb::gil_scoped_acquire gil;
  try {
    return python_logger(logger).attr("isEnabledFor")(static_cast<int>(level)).cast<bool>();
  } catch (...) {
    PyErr_Clear();
    return false;
  }
}

// Called by every module that logs, at import.
inline void install_log_sink() { log::set_sink(&python_log_sink, &python_log_enabled); }

}  // namespace nimbal::py
