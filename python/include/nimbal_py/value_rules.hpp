// The one Python rule of each C++ parameter type: `value(object, tag<T>,
// what)` reads a T (or a holder that converts to it), refusing a wrong
// object with WrongType "<what> must be <kind>, not '<type>'"; `arg_name<T>`
// is the Python type signatures and stubs show for it; `result_name<R>` and
// `result()` do the same for results. A type with no rule converts through
// its pybind11 caster.
//
// Here: numbers, text, any object, points, records, bound classes,
// enumerations and callbacks, which every module may pass (the models
// module too, which has no kernel); a Python type (dict, tuple) is taken
// only as itself. The kernel's values and the host values have their rules
// in convert.hpp; a module's own value type has its rule beside the
// module's binding, in the namespace nimbal::py::convert: one `value`
// overload and one `arg_name` specialisation, once. Rules are found when a
// binding is compiled, so each goes before the first binding that uses it.
#pragma once

#include <array>
#include <climits>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include <pybind11/functional.h>

#include "nimbal_py/common.hpp"
#include "nimbal_py/records.hpp"

namespace nimbal::py {
namespace convert {

template <class T>
struct tag {
  using type = T;
};

// A parameter taken by reference to a bound class: the caller's own object
// (no copy), so that an override handed it back sees that very object.
template <class T>
struct ref {
  T* object = nullptr;
  operator T&() const { return *object; }  // NOLINT: implicit on purpose
};

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

// ---- numbers ----

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

// A window id and the like: the kernel's unsigned long.
inline unsigned long value(pyb::handle v, tag<unsigned long>, std::string_view what) {
  if (PyFloat_Check(v.ptr()) || !PyIndex_Check(v.ptr())) from_py::wrong_type(what, "an integer", v);
  pyb::object n = pyb::reinterpret_steal<pyb::object>(PyNumber_Index(v.ptr()));
  if (!n) throw pyb::error_already_set();
  const unsigned long u = PyLong_AsUnsignedLong(n.ptr());
  if (u == static_cast<unsigned long>(-1) && PyErr_Occurred()) {
    PyErr_Clear();  // negative or beyond the type
    throw nimbal::InvalidValue(std::string(what) + " is out of range");
  }
  return u;
}

NIMBAL_PY_READ_BY(std::vector<long long>, from_py::indices, "typing.Iterable[int]");
NIMBAL_PY_READ_BY(bool, from_py::truth, "bool");

// ---- text ----

NIMBAL_PY_READ_BY(std::string, from_py::text, "str");
NIMBAL_PY_READ_BY(std::optional<std::string>, from_py::text_or_none, "str | None");

inline pyb::object value(pyb::handle v, tag<pyb::object>, std::string_view) {
  return pyb::reinterpret_borrow<pyb::object>(v);
}
template <>
struct arg_name<pyb::object> : typing::any_name {};

// ---- points ----

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
  static constexpr auto name = pyb::detail::const_name("list[") +
                               pyb::detail::make_caster<std::array<double, N>>::name + pyb::detail::const_name("]");
};

// ---- records and bound objects ----

// A record of type R that must be given (the base record type takes any).
template <class R, class = std::enable_if_t<std::is_base_of_v<models::Quenby, R>>>
std::shared_ptr<R> value(pyb::handle v, tag<std::shared_ptr<R>>, std::string_view what) {
  return from_py::instance<R, std::shared_ptr<R>>(v, what, from_py::record_kind<R>);
}

// "a ManagedShape", "an ArrayProperties": a bound class by its Python name.
template <class T>
std::string class_kind() {
  std::string kind = from_py::kind_of<T>();
  if (kind.size() > 2 && std::string_view("AEIOU").find(kind[2]) != std::string_view::npos) kind.insert(1, "n");
  return kind;
}

template <class T>
ref<T> value(pyb::handle v, tag<ref<T>>, std::string_view what) {
  using C = std::remove_const_t<T>;
  if constexpr (std::is_same_v<C, models::Quenby>) return {&from_py::instance<C>(v, what, from_py::record_kind<C>)};
  else return {&from_py::instance<C>(v, what, class_kind<C>())};
}
template <class T>
struct arg_name<ref<T>> {
  static constexpr auto name = pyb::detail::make_caster<std::remove_const_t<T>>::name;
};

// ---- enumerations ----

// An enumeration member, or None (anything else is no member either).
template <class E, class = std::enable_if_t<std::is_enum_v<E>>>
std::optional<E> value(pyb::handle v, tag<std::optional<E>>, std::string_view) {
  return from_py::member_or_none<E>(v);
}
template <class E>
struct arg_name<std::optional<E>, std::enable_if_t<std::is_enum_v<E>>> {
  static constexpr auto name = pyb::detail::make_caster<E>::name + pyb::detail::const_name(" | None");
};

// ---- callbacks ----

// A callable, called back as pybind11 calls one (None stays an empty
// callback, which the core does not call).
template <class R, class... A>
std::function<R(A...)> value(pyb::handle v, tag<std::function<R(A...)>>, std::string_view what) {
  if (!v.is_none() && !PyCallable_Check(v.ptr())) from_py::wrong_type(what, "a callable", v);
  return pyb::cast<std::function<R(A...)>>(v);
}
// A callback that may be left out: None is none.
template <class R, class... A>
std::optional<std::function<R(A...)>> value(pyb::handle v, tag<std::optional<std::function<R(A...)>>>,
                                            std::string_view what) {
  if (v.is_none()) return std::nullopt;
  return value(v, tag<std::function<R(A...)>>{}, what);
}

// ---- everything else: through its registered caster ----

template <class T>
T cast_value(pyb::handle v, std::string_view what) {
  if constexpr (pyb::detail::is_pyobject<T>::value) {
    // A Python type is taken as it is: pybind11's cast would convert (a
    // list of pairs into a new dict the caller never sees).
    if (!pyb::isinstance<T>(v)) from_py::wrong_type(what, from_py::kind_of<T>(), v);
    return pyb::reinterpret_borrow<T>(v);
  } else {
    try {
      return pyb::cast<T>(v);
    } catch (const pyb::cast_error&) {
      from_py::wrong_type(what, from_py::kind_of<T>(), v);
    } catch (const pyb::reference_cast_error&) {  // None for a bound class taken by value
      from_py::wrong_type(what, from_py::kind_of<T>(), v);
    }
  }
}

// Whether T has a rule of its own above (or beside a module's binding).
template <class T, class = void>
struct has_rule : std::false_type {};
template <class T>
struct has_rule<T, std::void_t<decltype(value(std::declval<pyb::handle>(), tag<T>{}, std::string_view{}))>>
    : std::true_type {};

// A bound class whose objects cross as values (copied), not as the
// caller's own object: specialised beside the kind's rules (kernel shapes).
template <class T, class = void>
struct held_by_value : std::false_type {};

// A bound class other than one held by value.
template <class T>
constexpr bool is_bound_class = std::is_class_v<T> && !held_by_value<T>::value &&
                                std::is_base_of_v<pyb::detail::type_caster_generic, pyb::detail::make_caster<T>>;

// What a parameter of C++ type P is read as: its decayed type, or the
// caller's object for a reference to a bound class without a rule by value.
template <class P>
struct read_kind {
  using T = std::remove_reference_t<P>;
  using D = std::decay_t<P>;
  using type = std::conditional_t<std::is_reference_v<P> && !has_rule<D>::value && is_bound_class<D>, ref<T>, D>;
};
template <class P>
using read_kind_t = typename read_kind<P>::type;

template <class K>
auto read(pyb::handle v, std::string_view what) {
  if constexpr (has_rule<K>::value) return value(v, tag<K>{}, what);
  else return cast_value<K>(v, what);
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
struct result_name<void> {  // pybind11's caster of void is that of void*
  static constexpr auto name = pyb::detail::const_name("None");
};
template <class Name>
struct result_name<typing::typed<Name>> : Name {};

// A core type that is a shared pointer (NeverNull, Nullable): cast as one.
template <class R, class = void>
struct shared_kind : std::false_type {};
template <class R>
struct shared_kind<R, std::void_t<typename R::element_type>>
    : std::is_base_of<std::shared_ptr<typename R::element_type>, R> {
  using base = std::shared_ptr<typename R::element_type>;
};

// Whether a result of type R has a rule of its own, `result_value(r,
// tag<R>)` (beside its kind's argument rules).
template <class R, class = void>
struct has_result_rule : std::false_type {};
template <class R>
struct has_result_rule<R, std::void_t<decltype(result_value(std::declval<const R&>(), tag<R>{}))>> : std::true_type {};

// A C++ result as Python sees it: by its rule where it has one; a null
// pointer is None; a Python object (a typed one) passes as it is.
template <class R>
pyb::object result(R&& r) {
  using D = std::decay_t<R>;
  if constexpr (has_result_rule<D>::value) return result_value(static_cast<const D&>(r), tag<D>{});
  else if constexpr (std::is_base_of_v<pyb::object, D>) return std::forward<R>(r);
  else if constexpr (shared_kind<D>::value) return pyb::cast(static_cast<const typename shared_kind<D>::base&>(r));
  else return pyb::cast(std::forward<R>(r));
}

}  // namespace convert

}  // namespace nimbal::py
