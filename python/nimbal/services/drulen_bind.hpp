// Shared by the binding sources of nimbal.services.drulen.
#pragma once

#include "nimbal_py/convert.hpp"
#include "nimbal_py/drulen_adapter.hpp"
#include "nimbal_py/logging.hpp"

namespace nimbal::py::convert {

// A standard plane's name as the core quotes it: the host's spelling.
inline services::PlaneKey value(pyb::handle v, tag<services::PlaneKey>, std::string_view) {
  return {PyUnicode_Check(v.ptr()) ? std::optional<std::string>(v.cast<std::string>()) : std::nullopt,
          std::string(pyb::repr(v))};
}
template <>
struct arg_name<services::PlaneKey> : typing::str_name {};

}  // namespace nimbal::py::convert

namespace nimbal::py::drulen_bind {

using namespace nimbal::services;
using namespace nimbal::py::typing;
NIMBAL_PY_NAME(faces_name, "list[nimbal.kernel.TopoDS_Face]");
NIMBAL_PY_NAME(plane_params_name, "tuple[tuple[float, float, float], tuple[float, float, float]]");
using ShapeResult = typed<shape_or_none_name>;
using DrulenClass = pyb::class_<Drulen, std::unique_ptr<Drulen>, class PyDrulen>;

// A Python subclass's override of a protocol operation is the one the C++
// code calls (create_array_compound calls translate_shape through it).
class PyDrulen : public DrulenForwarding<Drulen, PyDrulen> {
 public:
  pyb::function lookup(const char* name) const { return pyb::get_override(static_cast<const Drulen*>(this), name); }
};

// A core parameter as the face converts it: a shape where one is needed
// refuses None; a host value is read at once, for the core to test.
template <class A>
struct face_param {
  using type = A;
};
template <>
struct face_param<const TopoDS_Shape&> {
  using type = const KernelShape&;
};
template <>
struct face_param<const std::vector<Point3>&> {
  using type = const convert::PointList<3>&;
};
template <class T>
struct face_param<const HostValue<T>&> {
  using type = const GivenValue<T>&;
};

// The core function F run with the interpreter lock released, so that the
// host's other threads go on meanwhile (a Python override it calls takes
// the lock back). `Converted`: its parameters as convert.hpp reads them
// (face_param), else as pybind11's casters do. `NoneResult`: its null
// shape is None.
template <auto F, bool Converted = true, bool NoneResult = false>
struct unlocked;
template <class R, class... A, R (*F)(A...), bool Converted, bool NoneResult>
struct unlocked<F, Converted, NoneResult> {
  template <class P>
  using param = std::conditional_t<Converted, typename face_param<P>::type, P>;
  using result = std::conditional_t<NoneResult, ShapeResult, R>;
  result operator()(param<A>... a) const {
    R r = [&] {
      pyb::gil_scoped_release release;
      return F(a...);
    }();
    if constexpr (NoneResult) {
      return shape_or_none(r);
    } else {
      return r;
    }
  }
};
template <auto F>
using or_none = unlocked<F, false, true>;

// Defines `name` as `f` with converted arguments (see convert.hpp), a
// refused one answered by `on_error(raw arguments...)`. A static member
// unless Self is Drulen& (a method that ignores its self).
template <class ResultName = void, class Self = void, class F, class OnError, class... Extra>
void def_with(DrulenClass& cls, const char* name, F f, OnError on_error, const Extra&... extra) {
  using T = convert::traits<F, false>;
  using Args = typename T::args;
  using Name = std::conditional_t<std::is_void_v<ResultName>, convert::result_name<typename T::ret>, ResultName>;
  constexpr std::size_t n = std::tuple_size_v<Args>;
  auto call = [f](auto&&, auto&&... a) { return f(std::forward<decltype(a)>(a)...); };
  auto wrapped = convert::wrap<Self, typename T::ret, Name>(call, convert::arg_names<n>(extra...), on_error,
                                                             static_cast<Args*>(nullptr), std::make_index_sequence<n>{});
  if constexpr (std::is_void_v<Self>) {
    cls.def_static(name, wrapped, extra...);
  } else {
    cls.def(name, wrapped, extra...);
  }
}

// The same, a refused argument answered as the core answers it for `op`.
template <class ResultName = void, class Self = void, class F, class... Extra>
void def_logged(DrulenClass& cls, const char* name, GuardedOp op, F f, const Extra&... extra) {
  auto on_error = [op](const auto&...) -> pyb::object {
    return convert::result(Drulen::refused_argument<typename convert::traits<F, false>::ret>(op));
  };
  def_with<ResultName, Self>(cls, name, f, on_error, extra...);
}

void bind_builders(DrulenClass& cls);
void bind_modelling(DrulenClass& cls);
void bind_exchange(pyb::module_& m, DrulenClass& cls);

}  // namespace nimbal::py::drulen_bind
