// The Python rules of the kernel's values and of the host values, beside
// those of plain values (value_rules.hpp, which says how a rule is
// written): every binding that passes a kernel value includes this before
// its first binding. Where the C++ type alone would not say what the host
// may pass (a shape or record that may be None, any value where a shape is
// looked for, a map the call fills), the core says it with its own types
// (nimbal/arguments.hpp).
#pragma once

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
#include "nimbal_py/value_rules.hpp"

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

// ---- numbers and ids the core types ----

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

// ---- records and bound objects the caller may leave out ----

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

// Shapes are values: a shape parameter taken by reference is read by value.
template <class T>
struct held_by_value<T, std::enable_if_t<std::is_base_of_v<TopoDS_Shape, T>>> : std::true_type {};

// ---- results ----

template <class T>
struct result_name<nimbal::NeverNull<T>> : typing::class_name<T> {};
template <>
struct result_name<TopoDS_Shape> : typing::shape_or_none_name {};
template <>
struct result_name<nimbal::BuiltShape> : typing::shape_name {};

// A shape result: a null shape is None; a kernel subtype is its bound class
// where it has one; a core type made from a shape (a built shape) is cast as
// the shape it is.
template <class D, class = std::enable_if_t<std::is_base_of_v<TopoDS_Shape, D>>>
pyb::object result_value(const D& r, tag<D>) {
  if constexpr (std::is_same_v<D, TopoDS_Shape>) return shape_or_none(r);
  else if (pyb::detail::get_type_info(typeid(D))) return pyb::cast(r);
  else return pyb::cast(static_cast<const TopoDS_Shape&>(r));
}

// Shapes, or a core type made from shapes (faces): a list of them.
template <class D, class = std::enable_if_t<std::is_base_of_v<std::vector<TopoDS_Shape>, D>>, class = void>
pyb::object result_value(const D& r, tag<D>) {
  return pyb::cast(static_cast<const std::vector<TopoDS_Shape>&>(r));
}

}  // namespace convert
}  // namespace nimbal::py
