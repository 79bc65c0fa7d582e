// Shared by the binding sources of nimbal.services.drulen.
#pragma once

#include "nimbal_py/convert.hpp"
#include "nimbal_py/drulen_adapter.hpp"
#include "nimbal_py/logging.hpp"

namespace nimbal::py::drulen_bind {

using namespace nimbal::services;
using namespace nimbal::py::typing;
NIMBAL_PY_NAME(shape_arg_name, "nimbal.kernel.TopoDS_Shape");
NIMBAL_PY_NAME(faces_name, "list[nimbal.kernel.TopoDS_Face]");
using ShapeArg = typed<shape_arg_name>;
using ShapeResult = typed<shape_or_none_name>;
using DrulenClass = pyb::class_<Drulen, std::unique_ptr<Drulen>, class PyDrulen>;

// A Python subclass's override of a protocol operation is the one the C++
// code calls (create_array_compound calls translate_shape through it).
class PyDrulen : public DrulenForwarding<Drulen, PyDrulen> {
 public:
  pyb::function lookup(const char* name) const { return pyb::get_override(static_cast<const Drulen*>(this), name); }
};

// Runs kernel work that touches no Python object with the interpreter lock
// released, so that the host's other threads go on meanwhile.
template <class Work>
auto without_gil(Work&& work) -> decltype(work()) {
  pyb::gil_scoped_release release;
  return work();
}

// The core operation F as the face calls it: with the interpreter lock
// released, and None refused where F takes a shape.
template <class A>
struct face_param {
  using type = A;
};
template <>
struct face_param<const TopoDS_Shape&> {
  using type = const KernelShape&;
};
template <auto F>
struct released;
template <class R, class... A, R (*F)(A...)>
struct released<F> {
  R operator()(typename face_param<A>::type... a) const {
    pyb::gil_scoped_release unlocked;
    return F(a...);
  }
};

// The core function F with its null shape given as None, run with the
// interpreter lock released when `Unlocked`.
template <auto F, bool Unlocked = false>
struct or_none;
template <class... A, TopoDS_Shape (*F)(A...), bool Unlocked>
struct or_none<F, Unlocked> {
  ShapeResult operator()(A... a) const {
    if constexpr (Unlocked) {
      return shape_or_none(without_gil([&] { return F(a...); }));
    } else {
      return shape_or_none(F(a...));
    }
  }
};

// Defines `name` as `f` with converted arguments (see convert.hpp); one
// that is refused is logged as `op` logs its own failures, and the result
// is `fallback(raw arguments...)`. A static member unless Self is Drulen&
// (a method that ignores its self).
template <class ResultName = void, class Self = void, class F, class Fallback, class... Extra>
void def_logged(DrulenClass& cls, const char* name, GuardedOp op, F f, Fallback fallback, const Extra&... extra) {
  using T = convert::traits<F, false>;
  using Args = typename T::args;
  using Name = std::conditional_t<std::is_void_v<ResultName>, convert::result_name<typename T::ret>, ResultName>;
  constexpr std::size_t n = std::tuple_size_v<Args>;
  auto on_error = [op, fallback](const auto&... raw) -> pyb::object {
    Drulen::log_caught(op);
    return fallback(raw...);
  };
  auto call = [f](auto&&, auto&&... a) { return f(std::forward<decltype(a)>(a)...); };
  auto wrapped = convert::wrap<Self, typename T::ret, Name>(call, convert::arg_names<n>(extra...), on_error,
                                                             static_cast<Args*>(nullptr), std::make_index_sequence<n>{});
  if constexpr (std::is_void_v<Self>) {
    cls.def_static(name, wrapped, extra...);
  } else {
    cls.def(name, wrapped, extra...);
  }
}

void bind_builders(DrulenClass& cls);
void bind_modelling(DrulenClass& cls);
void bind_exchange(pyb::module_& m, DrulenClass& cls);

}  // namespace nimbal::py::drulen_bind
