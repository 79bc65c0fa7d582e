// Bindings as definitions: a core function bound through `def` takes every
// argument as a plain object and converts it by the C++ parameter's type
// (the kind that type arrives in, see `arrives`), with the converters of
// common.hpp, kernel.hpp and records.hpp, each named by its pyb::arg for the
// message. Signatures and stubs show the Python type each conversion accepts.
//
//   def(c, "create_shape", &Core::create_shape, doc::create_shape,
//       pyb::arg("shape_type"), pyb::arg("properties"), pyb::arg("name") = pyb::none());
//
// Where one definition takes a parameter otherwise than its type says (a
// record that may be None, say), def<Kinds>(...) names the exception.
// A member function's self is its class (const or not, with or without
// parameters; a base class's member binds on the derived class); a lambda's
// or a plain function's first parameter is self when it is defined on a
// class (`def`), and there is none for a module function (`def_function`).
#pragma once

#include <array>
#include <climits>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include <Standard_Handle.hxx>

#include "nimbal/host_value.hpp"
#include "nimbal_py/common.hpp"
#include "nimbal_py/kernel.hpp"
#include "nimbal_py/records.hpp"

namespace nimbal::py {

// ---- parameter types of the face's own ----

// A kernel shape parameter that None is not: the operation reports a
// missing shape as a wrong argument (a plain TopoDS_Shape takes None as
// the null shape).
struct KernelShape : TopoDS_Shape {
  KernelShape() = default;
  KernelShape(TopoDS_Shape s) : TopoDS_Shape(std::move(s)) {}
};

template <class T>
struct is_handle : std::false_type {};
template <class T>
struct is_handle<opencascade::handle<T>> : std::true_type {};

// The host's object behind a HostValue, tested when the core asks; T is a
// number, a kernel type (shape or handle) or text.
template <class T>
class PyValue : public nimbal::HostValue<T>::Source {
 public:
  explicit PyValue(pyb::handle v) : v_(pyb::reinterpret_borrow<pyb::object>(v)) {}
  bool is_none() const override { return v_.is_none(); }
  std::optional<T> get() const override {
    if constexpr (std::is_same_v<T, double>) {
      double d = 0.0;
      if (as_double(v_, d)) return d;
    } else if constexpr (std::is_same_v<T, std::string>) {
      if (PyUnicode_Check(v_.ptr())) return v_.cast<std::string>();
    } else if constexpr (is_handle<T>::value) {
      if (pyb::isinstance<typename T::element_type>(v_)) return v_.cast<T>();
    } else {
      if (pyb::isinstance<T>(v_)) return v_.cast<T>();
    }
    return std::nullopt;
  }
  std::string type_name() const override { return nimbal::py::type_name(v_); }

 private:
  pyb::object v_;
};

// A host value read where it arrives, for a core operation that tests its
// kind only when it reaches it, perhaps with the interpreter lock released:
// what PyValue answers, read while the lock is held; `object` is the value
// itself, for an answer that must be that very object.
template <class T>
class GivenValue final : public nimbal::HostValue<T> {
 public:
  explicit GivenValue(pyb::handle v)
      : nimbal::HostValue<T>(std::make_shared<Read>(PyValue<T>(v))), object(pyb::reinterpret_borrow<pyb::object>(v)) {}
  pyb::object object;

 private:
  struct Read final : nimbal::HostValue<T>::Source {
    explicit Read(const PyValue<T>& v) : none_(v.is_none()), value_(v.get()), type_(v.type_name()) {}
    bool is_none() const override { return none_; }
    std::optional<T> get() const override { return value_; }
    std::string type_name() const override { return type_; }
    bool none_;
    std::optional<T> value_;
    std::string type_;
  };
};

template <class T>
nimbal::HostValue<T> host_value(pyb::handle v) {
  return nimbal::HostValue<T>(std::make_shared<PyValue<T>>(v));
}

namespace convert {

// Points read as `points` reads them, which signatures show as a list (as
// pybind11's own caster names them).
template <std::size_t N>
struct PointList : std::vector<std::array<double, N>> {};

// A record the core takes by reference, as the caller's own object rather
// than a copy: an override handed it back (passed_record) sees the very
// Python object the caller passed.
template <class R>
struct record_ref {
  const R* record = nullptr;
  operator const R&() const { return *record; }  // NOLINT: implicit on purpose
};

// How a parameter of C++ type P arrives from Python: as its decayed type,
// read by the value overload below, unless a kind of its own is declared
// for it (a record taken by reference arrives as the caller's object; a
// module declares its own types' kinds beside their converters). A kind
// converts to P; one that fills what the core wrote has put(), called
// once the core has returned.
template <class P, class = void>
struct arrives {
  using type = std::decay_t<P>;
};
template <class R>
struct arrives<const R&, std::enable_if_t<std::is_base_of_v<models::Quenby, R>>> {
  using type = record_ref<R>;
};

// ---- converters: value(object, tag<T>, what) reads a T; arg_name<T> is
// the Python type signatures and stubs show for it ----

template <class T>
struct tag {};

// For a parameter of C++ type A: its caster's name unless one is given.
template <class A, class = void>
struct arg_name {
  static constexpr auto name = pyb::detail::make_caster<A>::name;
};

// A kind that one converter of from_py reads, shown as `text`.
#define NIMBAL_PY_READ_BY(T, read, text)                                                      \
  inline T value(pyb::handle v, tag<T>, std::string_view what) { return read(v, what); }     \
  template <>                                                                                 \
  struct arg_name<T> {                                                                        \
    static constexpr auto name = pyb::detail::const_name(text);                               \
  }

// numbers

inline double value(pyb::handle v, tag<double>, std::string_view what) {
  double d = 0.0;
  if (!as_double(v, d)) from_py::wrong_type(what, "a real number", v);
  return d;
}

inline long long value(pyb::handle v, tag<long long>, std::string_view what) {
  if (PyFloat_Check(v.ptr()) || !PyIndex_Check(v.ptr())) from_py::wrong_type(what, "an integer", v);
  const auto n = from_py::index_value(v);
  if (!n) throw nimbal::InvalidValue(std::string(what) + " is out of range");
  return *n;
}

inline int value(pyb::handle v, tag<int>, std::string_view what) {
  const long long n = value(v, tag<long long>{}, what);
  if (n < INT_MIN || n > INT_MAX) throw nimbal::InvalidValue(std::string(what) + " is out of range");
  return static_cast<int>(n);
}

// A pixel coordinate: any real number, truncated toward zero.
inline nimbal::Pixel value(pyb::handle v, tag<nimbal::Pixel>, std::string_view what) {
  const double d = value(v, tag<double>{}, what);
  if (!std::isfinite(d)) throw nimbal::InvalidValue(std::string(what) + " must be finite");
  const double t = std::trunc(d);
  if (t < INT_MIN || t > INT_MAX) throw nimbal::InvalidValue(std::string(what) + " is out of range");
  return nimbal::Pixel{static_cast<int>(t)};
}
template <>
struct arg_name<nimbal::Pixel> : typing::float_name {};

NIMBAL_PY_READ_BY(std::vector<long long>, from_py::indices, "typing.Iterable[int]");
NIMBAL_PY_READ_BY(bool, from_py::truth, "bool");

// text and ids

NIMBAL_PY_READ_BY(std::string, from_py::text, "str");
NIMBAL_PY_READ_BY(std::optional<std::string>, from_py::text_or_none, "str | None");

// An id to look up: text, or a value that is no table's key (the lookup
// finds nothing). One that cannot be a key at all is an error, as it is
// for a dictionary.
inline nimbal::HostId value(pyb::handle v, tag<nimbal::HostId>, std::string_view) {
  if (PyUnicode_Check(v.ptr())) return {v.cast<std::string>()};
  if (PyObject_Hash(v.ptr()) == -1) throw pyb::error_already_set();
  return {};
}
template <>
struct arg_name<nimbal::HostId> : typing::str_name {};

// The ids among any iterable.
inline std::vector<nimbal::HostId> value(pyb::handle v, tag<std::vector<nimbal::HostId>>, std::string_view what) {
  std::vector<nimbal::HostId> ids;
  for (pyb::handle item : v) ids.push_back(value(item, tag<nimbal::HostId>{}, what));
  return ids;
}
template <>
struct arg_name<std::vector<nimbal::HostId>> {
  static constexpr auto name = pyb::detail::const_name("typing.Iterable[str]");
};

inline pyb::object value(pyb::handle v, tag<pyb::object>, std::string_view) {
  return pyb::reinterpret_borrow<pyb::object>(v);
}
template <>
struct arg_name<pyb::object> : typing::any_name {};

// points

template <std::size_t N>
std::array<double, N> value(pyb::handle v, tag<std::array<double, N>>, std::string_view what) {
  return from_py::point<N>(v, what);
}

template <std::size_t N>
std::vector<std::array<double, N>> value(pyb::handle v, tag<std::vector<std::array<double, N>>>,
                                         std::string_view what) {
  return from_py::points<N>(v, what);
}
template <std::size_t N>
struct arg_name<std::vector<std::array<double, N>>> {
  static constexpr auto name = pyb::detail::const_name("typing.Sequence[") +
                               pyb::detail::make_caster<std::array<double, N>>::name + pyb::detail::const_name("]");
};

template <std::size_t N>
PointList<N> value(pyb::handle v, tag<PointList<N>>, std::string_view what) {
  return {from_py::points<N>(v, what)};
}
template <std::size_t N>
struct arg_name<PointList<N>> {
  static constexpr auto name = pyb::detail::const_name("list[") +
                               pyb::detail::make_caster<std::array<double, N>>::name + pyb::detail::const_name("]");
};

// shapes: a plain TopoDS_Shape takes None as the null shape, which the core
// refuses where it needs a shape

NIMBAL_PY_READ_BY(TopoDS_Shape, from_py::shape_or_null, "nimbal.kernel.TopoDS_Shape | None");
NIMBAL_PY_READ_BY(KernelShape, from_py::shape, "nimbal.kernel.TopoDS_Shape");
NIMBAL_PY_READ_BY(std::vector<TopoDS_Shape>, from_py::shapes, "typing.Iterable[nimbal.kernel.TopoDS_Shape]");
#undef NIMBAL_PY_READ_BY

// None, or shapes as `shapes` reads them.
inline std::optional<std::vector<TopoDS_Shape>> value(pyb::handle v, tag<std::optional<std::vector<TopoDS_Shape>>>,
                                                      std::string_view what) {
  if (v.is_none()) return std::nullopt;
  return from_py::shapes(v, what);
}

// Kernel objects: None is the null handle (the operation refuses it itself).
template <class T>
opencascade::handle<T> value(pyb::handle v, tag<opencascade::handle<T>>, std::string_view what) {
  return from_py::instance_or_null<T, opencascade::handle<T>>(v, what);
}
template <class T>
struct arg_name<opencascade::handle<T>> : typing::class_or_none<T> {};

// host values: tested when the core asks, or read at once (GivenValue)

template <class T>
nimbal::HostValue<T> value(pyb::handle v, tag<nimbal::HostValue<T>>, std::string_view) {
  return host_value<T>(v);
}

template <class T>
GivenValue<T> value(pyb::handle v, tag<GivenValue<T>>, std::string_view) {
  return GivenValue<T>(v);
}
template <class T>
struct arg_name<GivenValue<T>> {
  static constexpr auto name = pyb::detail::make_caster<T>::name;
};

// records

// A record of type R (the base record type takes any).
template <class R, class = std::enable_if_t<std::is_base_of_v<models::Quenby, R>>>
std::shared_ptr<R> value(pyb::handle v, tag<std::shared_ptr<R>>, std::string_view what) {
  return from_py::instance<R, std::shared_ptr<R>>(v, what, from_py::record_kind<R>);
}

template <class R, class = std::enable_if_t<std::is_base_of_v<models::Quenby, R>>>
record_ref<R> value(pyb::handle v, tag<record_ref<R>>, std::string_view what) {
  return {&from_py::instance<R>(v, what, from_py::record_kind<R>)};
}
template <class R>
struct arg_name<record_ref<R>> {
  static constexpr auto name = pyb::detail::make_caster<R>::name;
};

// enumerations

// An enumeration member, or None (anything else is no member either).
template <class E, class = std::enable_if_t<std::is_enum_v<E>>>
std::optional<E> value(pyb::handle v, tag<std::optional<E>>, std::string_view) {
  return from_py::member_or_none<E>(v);
}
template <class E>
struct arg_name<std::optional<E>, std::enable_if_t<std::is_enum_v<E>>> {
  static constexpr auto name = pyb::detail::make_caster<E>::name + pyb::detail::const_name(" | None");
};

// everything else

// Through its registered caster.
template <class T>
T value(pyb::handle v, tag<T>, std::string_view what) {
  try {
    return pyb::cast<T>(v);
  } catch (const pyb::cast_error&) {
    from_py::wrong_type(what, from_py::kind_of<T>(), v);
  }
}

// ---- results ----

// For a result of type R.
template <class R>
struct result_name {
  static constexpr auto name = pyb::detail::make_caster<R>::name;
};
template <class T>
struct result_name<std::shared_ptr<T>> : typing::class_or_none<T> {};
template <>
struct result_name<TopoDS_Shape> : typing::shape_or_none_name {};
template <>
struct result_name<void> {  // pybind11's caster of void is that of void*
  static constexpr auto name = pyb::detail::const_name("None");
};

// A C++ result as Python sees it: a null shape or pointer is None; a
// Python object (a typed one) passes as it is.
template <class R>
pyb::object result(R&& r) {
  if constexpr (std::is_same_v<std::decay_t<R>, TopoDS_Shape>) return shape_or_none(r);
  else if constexpr (std::is_base_of_v<pyb::object, std::decay_t<R>>) return std::forward<R>(r);
  else return pyb::cast(std::forward<R>(r));
}

// ---- definitions ----

// Where a parameter's type alone does not say how it arrives, or a result
// is shown otherwise than by its type, one definition says so: def<Kinds>.
struct by_type {
  template <class A>
  using kind = A;
  template <class R>
  using result_name = convert::result_name<R>;
};
// Parameters that would arrive as From arrive as To.
template <class From, class To>
struct replacing : by_type {
  template <class A>
  using kind = std::conditional_t<std::is_same_v<A, From>, To, A>;
};
// The result shown as Name.
template <class Name>
struct result_named : by_type {
  template <class R>
  using result_name = Name;
};
template <class Kinds, class Args>
struct kinds_of;
template <class Kinds, class... A>
struct kinds_of<Kinds, std::tuple<A...>> {
  using type = std::tuple<typename Kinds::template kind<A>...>;
};

// What a callable is: its result, its self (void for none) and its
// parameters. A member function's self is its class; a callable object's
// (a lambda's) or a plain function's is its first parameter when WithSelf.
template <class R, class S, class... A>
struct signature {
  using ret = R;
  using self = S;
  using args = std::tuple<typename arrives<A>::type...>;
};

template <class M, bool WithSelf>
struct call_operator;
template <class R, class L, class S, class... A>
struct call_operator<R (L::*)(S, A...) const, true> : signature<R, S, A...> {};
template <class R, class L, class... A>
struct call_operator<R (L::*)(A...) const, false> : signature<R, void, A...> {};

template <class F, bool WithSelf>
struct traits : call_operator<decltype(&F::operator()), WithSelf> {};
template <class R, class C, class... A, bool W>
struct traits<R (C::*)(A...), W> : signature<R, C&, A...> {};
template <class R, class C, class... A, bool W>
struct traits<R (C::*)(A...) const, W> : signature<R, const C&, A...> {};
template <class R, class... A>
struct traits<R (*)(A...), false> : signature<R, void, A...> {};
template <class R, class S, class... A>
struct traits<R (*)(S, A...), true> : signature<R, S, A...> {};

// The names of the pyb::arg items among a definition's extras, in order.
template <std::size_t N, class... Extra>
std::array<const char*, N> arg_names(const Extra&... extra) {
  std::array<const char*, N> names{};
  std::size_t i = 0;
  auto take = [&](const auto& x) {
    if constexpr (std::is_base_of_v<pyb::arg, std::decay_t<decltype(x)>>) {
      if (i >= N) throw std::logic_error("more pyb::arg items than parameters");
      names[i++] = x.name;
    }
  };
  (take(extra), ...);
  if (i != N) throw std::logic_error("a pyb::arg item is needed for every parameter");
  return names;
}

// What a kind that fills the caller's argument hands back after the call
// (the int overload wins where A has put()).
template <class A>
auto hand_back(A& a, int) -> decltype(void(a.put())) {
  a.put();
}
template <class A>
void hand_back(A&, long) {}

// `f` with every parameter converted as above; `on_error`, given the raw
// arguments, answers a failed conversion (rethrowing it by default).
template <class Self, class R, class ResultName, class F, class OnError, class... A, std::size_t... I>
auto wrap(F f, std::array<const char*, sizeof...(A)> names, OnError on_error, std::tuple<A...>*,
          std::index_sequence<I...>) {
  auto call = [f = std::move(f), names, on_error = std::move(on_error)](auto&& self, auto&... raw) -> pyb::object {
    std::optional<std::tuple<A...>> args;
    try {
      args.emplace(std::tuple<A...>{value(raw, tag<A>{}, names[I])...});
    } catch (...) {
      return on_error(raw...);
    }
    pyb::object r = pyb::none();
    if constexpr (std::is_void_v<R>) std::invoke(f, self, std::move(std::get<I>(*args))...);
    else r = result(std::invoke(f, self, std::move(std::get<I>(*args))...));
    (hand_back(std::get<I>(*args), 0), ...);
    return r;
  };
  using Result = typing::typed<ResultName>;
  if constexpr (std::is_void_v<Self>) {
    return [call](typing::typed<arg_name<A>>... raw) -> Result { return call(nullptr, raw...); };
  } else {
    return [call](Self self, typing::typed<arg_name<A>>... raw) -> Result { return call(self, raw...); };
  }
}

struct rethrow {
  template <class... Raw>
  pyb::object operator()(const Raw&...) const {
    throw;
  }
};

// The self a method of class C takes: C itself where the callable's self is
// a base class of it (pybind11 knows only the classes it binds).
template <class C, class S>
struct self_as {
  using type = S;
};
template <class C, class B>
struct self_as<C, B&> {
  using Derived = std::conditional_t<std::is_const_v<B>, const C, C>;
  using type = std::conditional_t<std::is_base_of_v<std::remove_const_t<B>, C>, Derived&, B&>;
};

// A free callable `f` with converted arguments, named by `extra`'s pyb::args.
template <class F, class... Extra>
auto converted(F f, const Extra&... extra) {
  using T = traits<F, false>;
  using Args = typename T::args;
  constexpr std::size_t n = std::tuple_size_v<Args>;
  auto free = [f = std::move(f)](std::nullptr_t, auto&&... a) -> decltype(auto) {
    return f(std::forward<decltype(a)>(a)...);
  };
  return wrap<void, typename T::ret, result_name<typename T::ret>>(
      std::move(free), arg_names<n>(extra...), rethrow{}, static_cast<Args*>(nullptr), std::make_index_sequence<n>{});
}

}  // namespace convert

// Defines method `name` of `cls` as `f` with converted arguments, each of
// the kind its type arrives in unless Kinds says otherwise.
template <class Kinds = convert::by_type, class Cls, class F, class... Extra>
Cls& def(Cls& cls, const char* name, F f, const Extra&... extra) {
  using T = convert::traits<F, true>;
  using Args = typename convert::kinds_of<Kinds, typename T::args>::type;
  using Self = typename convert::self_as<typename Cls::type, typename T::self>::type;
  constexpr std::size_t n = std::tuple_size_v<Args>;
  return cls.def(name,
                 convert::wrap<Self, typename T::ret, typename Kinds::template result_name<typename T::ret>>(
                     std::move(f), convert::arg_names<n>(extra...), convert::rethrow{}, static_cast<Args*>(nullptr),
                     std::make_index_sequence<n>{}),
                 extra...);
}

// Defines module function `name` as `f` with converted arguments.
template <class F, class... Extra>
pyb::module_& def_function(pyb::module_& m, const char* name, F f, const Extra&... extra) {
  return m.def(name, convert::converted(std::move(f), extra...), extra...);
}

// Defines static method `name` of `cls` as `f` with converted arguments.
template <class Cls, class F, class... Extra>
Cls& def_static(Cls& cls, const char* name, F f, const Extra&... extra) {
  return cls.def_static(name, convert::converted(std::move(f), extra...), extra...);
}

}  // namespace nimbal::py
