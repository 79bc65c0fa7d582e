// The one Python rule of each C++ parameter type: `value(object, tag<T>,
// what)` reads a T (or a holder that converts to it), refusing a wrong
// object with WrongType "<what> must be <kind>, not '<type>'"; `arg_name<T>`
// is the Python type signatures and stubs show for it; `result_name<R>` and
// `result()` do the same for results. A type with no rule here converts
// through its pybind11 caster. Where the C++ type alone would not say what
// the host may pass (a shape or record that may be None, a map the call
// fills), the core says it with its own types (nimbal/arguments.hpp).
//
// A module's own value type gets its rule beside the module's binding, in
// the namespace nimbal::py::convert: one `value` overload and one
// `arg_name` specialisation, once.
#pragma once

#include <array>
#include <climits>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include <Standard_Handle.hxx>

#include "nimbal/arguments.hpp"
#include "nimbal/host_value.hpp"
#include "nimbal_py/common.hpp"
#include "nimbal_py/kernel.hpp"
#include "nimbal_py/records.hpp"

class AIS_Shape;

namespace nimbal::py {

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
// itself, for an answer that must be that very object. Base is the core's
// kind of host value.
template <class T, class Base = nimbal::HostValue<T>>
class GivenValue final : public Base {
 public:
  explicit GivenValue(pyb::handle v)
      : Base(std::make_shared<Read>(PyValue<T>(v))), object(pyb::reinterpret_borrow<pyb::object>(v)) {}
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

// A host value the core asks about later (a duck-typed service's answer).
template <class T>
nimbal::HostValue<T> host_value(pyb::handle v) {
  return nimbal::HostValue<T>(std::make_shared<PyValue<T>>(v));
}

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

// ---- text and ids ----

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

// ---- shapes: a plain TopoDS_Shape must be given; a NullableShape takes
// None as the null shape ----

NIMBAL_PY_READ_BY(TopoDS_Shape, from_py::shape, "nimbal.kernel.TopoDS_Shape");
NIMBAL_PY_READ_BY(nimbal::NullableShape, from_py::shape_or_null, "nimbal.kernel.TopoDS_Shape | None");
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

// ---- host values: read where they arrive, tested when the core asks ----

template <class T>
GivenValue<T> value(pyb::handle v, tag<nimbal::HostValue<T>>, std::string_view) {
  return GivenValue<T>(v);
}
template <class T>
struct arg_name<nimbal::HostValue<T>> {
  static constexpr auto name = pyb::detail::make_caster<T>::name;
};
template <>
struct arg_name<nimbal::HostValue<TopoDS_Shape>> : typing::shape_name {};
// The view service's lookup takes any object: what is not one of its own
// displayed objects (None, an interactive object of another kind) has no id.
NIMBAL_PY_NAME(any_object_name, "object");
template <>
struct arg_name<nimbal::HostValue<Handle(AIS_Shape)>> : any_object_name {};
template <>
struct arg_name<nimbal::HostValue<std::string>> : typing::str_or_none_name {};

// Any value where a shape is looked for: never refused here.
inline GivenValue<TopoDS_Shape, nimbal::MaybeShape> value(pyb::handle v, tag<nimbal::MaybeShape>, std::string_view) {
  return GivenValue<TopoDS_Shape, nimbal::MaybeShape>(v);
}
NIMBAL_PY_NAME(maybe_shape_name, "nimbal.kernel.TopoDS_Shape | object");
template <>
struct arg_name<nimbal::MaybeShape> : maybe_shape_name {};

// The value itself too, for an answer that must be the very object given:
// read by the rule of its kind of host value.
template <class T, class Base>
GivenValue<T, Base> value(pyb::handle v, tag<GivenValue<T, Base>>, std::string_view what) {
  return value(v, tag<Base>{}, what);
}
template <class T, class Base>
struct arg_name<GivenValue<T, Base>> : arg_name<Base> {};

// ---- records and bound objects ----

// A record of type R that must be given (the base record type takes any).
template <class R, class = std::enable_if_t<std::is_base_of_v<models::Quenby, R>>>
std::shared_ptr<R> value(pyb::handle v, tag<std::shared_ptr<R>>, std::string_view what) {
  return from_py::instance<R, std::shared_ptr<R>>(v, what, from_py::record_kind<R>);
}

// A record (or other bound object) of type R, None being none.
template <class R>
nimbal::Nullable<R> value(pyb::handle v, tag<nimbal::Nullable<R>>, std::string_view what) {
  using T = std::remove_const_t<R>;
  if constexpr (std::is_same_v<T, models::Quenby>) {
    if (v.is_none()) return nullptr;
    return from_py::record(v, what);
  } else {
    return from_py::instance_or_null<T, std::shared_ptr<T>>(v, what);
  }
}
template <class R>
struct arg_name<nimbal::Nullable<R>> : typing::class_or_none<std::remove_const_t<R>> {};

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

// ---- everything else: through its registered caster ----

template <class T>
T cast_value(pyb::handle v, std::string_view what) {
  try {
    return pyb::cast<T>(v);
  } catch (const pyb::cast_error&) {
    from_py::wrong_type(what, from_py::kind_of<T>(), v);
  }
}

// Whether T has a rule of its own above (or beside a module's binding).
template <class T, class = void>
struct has_rule : std::false_type {};
template <class T>
struct has_rule<T, std::void_t<decltype(value(std::declval<pyb::handle>(), tag<T>{}, std::string_view{}))>>
    : std::true_type {};

// A bound class other than a kernel shape (shapes are values).
template <class T>
constexpr bool is_bound_class = std::is_class_v<T> && !std::is_base_of_v<TopoDS_Shape, T> &&
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
template <class T>
struct result_name<nimbal::NeverNull<T>> : typing::class_name<T> {};
template <>
struct result_name<TopoDS_Shape> : typing::shape_or_none_name {};
template <>
struct result_name<nimbal::BuiltShape> : typing::shape_name {};
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

// A C++ result as Python sees it: a null shape or pointer is None; a
// Python object (a typed one) passes as it is; a core type made from a
// shape or from shapes (a built shape, faces) is cast as what it is made of.
template <class R>
pyb::object result(R&& r) {
  using D = std::decay_t<R>;
  if constexpr (std::is_same_v<D, TopoDS_Shape>) return shape_or_none(r);
  else if constexpr (std::is_base_of_v<TopoDS_Shape, D>)  // a kernel subtype is a bound class of its own
    return pyb::detail::get_type_info(typeid(D)) ? pyb::cast(std::forward<R>(r))
                                                 : pyb::cast(static_cast<const TopoDS_Shape&>(r));
  else if constexpr (std::is_base_of_v<std::vector<TopoDS_Shape>, D>)
    return pyb::cast(static_cast<const std::vector<TopoDS_Shape>&>(r));
  else if constexpr (std::is_base_of_v<pyb::object, D>) return std::forward<R>(r);
  else if constexpr (shared_kind<std::decay_t<R>>::value)
    return pyb::cast(static_cast<const typename shared_kind<std::decay_t<R>>::base&>(r));
  else return pyb::cast(std::forward<R>(r));
}

}  // namespace convert
}  // namespace nimbal::py
