// Shared by the binding sources of nimbal.services.drulen.
#pragma once

#include "nimbal_py/drulen_adapter.hpp"
#include "nimbal_py/logging.hpp"

namespace nimbal::py::drulen_bind {

using namespace nimbal::services;
using namespace nimbal::py::typing;
NIMBAL_PY_NAME(shape_arg_name, "nimbal.kernel.TopoDS_Shape");
NIMBAL_PY_NAME(shapes_arg_name, "typing.Iterable[nimbal.kernel.TopoDS_Shape]");
NIMBAL_PY_NAME(indices_arg_name, "typing.Iterable[int]");
NIMBAL_PY_NAME(faces_name, "list[nimbal.kernel.TopoDS_Face]");
using ShapeArg = typed<shape_arg_name>;
using ShapeResult = typed<shape_or_none_name>;
using DrulenClass = pyb::class_<Drulen, std::unique_ptr<Drulen>, class PyDrulen>;

// A Python subclass's override of a protocol operation is the one the C++
// code calls (create_array_compound calls translate_shape through it).
class PyDrulen : public Drulen {
 public:
  using Drulen::Drulen;
#define NIMBAL_DRULEN_TRAMPOLINE_LOOKUP(name) pyb::get_override(static_cast<const Drulen*>(this), name)
#define NIMBAL_DRULEN_TRAMPOLINE_FALLBACK(call) return Drulen::call
  NIMBAL_DRULEN_FORWARD_ALL(NIMBAL_DRULEN_TRAMPOLINE_LOOKUP, NIMBAL_DRULEN_TRAMPOLINE_FALLBACK)
#undef NIMBAL_DRULEN_TRAMPOLINE_LOOKUP
#undef NIMBAL_DRULEN_TRAMPOLINE_FALLBACK
};

// Runs kernel work that touches no Python object with the interpreter lock
// released, so that the host's other threads go on meanwhile.
template <class Work>
auto without_gil(Work&& work) -> decltype(work()) {
  pyb::gil_scoped_release release;
  return work();
}

// Argument conversions for the operations that log their failures: each
// throws nimbal::WrongType, which the caller logs as the operation would.
TopoDS_Shape to_shape(pyb::handle obj, const char* name);
double to_double(pyb::handle obj, const char* name);
Indices to_indices(pyb::handle obj, const char* name);
Shapes to_shapes(pyb::handle obj, const char* name);
std::string to_filename(pyb::handle obj);

void bind_builders(DrulenClass& cls);
void bind_modelling(DrulenClass& cls);
void bind_exchange(pyb::module_& m, DrulenClass& cls);

}  // namespace nimbal::py::drulen_bind
