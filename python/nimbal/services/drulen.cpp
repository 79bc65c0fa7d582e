// nimbal.services.drulen: the geometry kernel service.
#include <pybind11/eval.h>

#include "drulen_bind.hpp"
#include "drulen_docs.hpp"
#include "nimbal_py/method_guard.hpp"

namespace pyb = pybind11;
using namespace nimbal::services;
namespace b = nimbal::py::drulen_bind;
namespace doc = nimbal::py::drulen_docs;

PYBIND11_MODULE(drulen, m) {
  m.doc() = doc::module;
  nimbal::py::import_kernel();
  nimbal::py::register_core_errors();
  nimbal::py::install_log_sink();
  // A face that gives no plane: ValueError from its cause. Registered after
  // the core errors' translator, so that it is tried first.
  pyb::register_local_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const PlaneFromFaceError& e) {
      pyb::tuple cause = nimbal::py::exc_info_of(e.cause);
      PyErr_SetObject(cause[0].ptr(), cause[1].ptr());
      pyb::raise_from(PyExc_ValueError, e.what());
    }
  });

  m.attr("logger") = pyb::module_::import("logging").attr("getLogger")("nimbal.services.drulen");

  pyb::dict scope;
  scope["__builtins__"] = pyb::module_::import("builtins");
  scope["__name__"] = "nimbal.services.drulen";
  pyb::exec(doc::protocol_source, scope);
  m.attr("DrulenProtocol") = scope["DrulenProtocol"];

  b::DrulenClass cls(m, "Drulen", doc::drulen);
  nimbal::py::def(cls, "__init__", nimbal::py::made<Drulen>, nimbal::py::as_constructor,
                  nimbal::py::trampoline(nimbal::py::made<b::PyDrulen>));

  b::bind_builders(cls);
  b::bind_modelling(cls);
  b::bind_exchange(m, cls);
  nimbal::py::guard_method_self(m);  // last: after every class is bound
}
