// Arguments of the guarded operations of the view and selection services.
// A GUI calls them from its event handlers with what it has at hand: pixel
// positions as floats, ids from wherever it keeps them. A value the
// operation cannot use must not raise out of the handler; it takes the
// operation's own error path instead (one error record with the
// operation's message and the error attached, nothing returned), as any
// error inside the operation does.
//
//   .def("pan", guarded_args(LOGGER, "Error panning: ",
//                            [](Lumbra& l, Pixel dx, Pixel dy) { l.pan(dx, dy); }),
//        pyb::arg("dx"), pyb::arg("dy"))
//
// The lambda states the types; every argument after self arrives as any
// object and is converted here. A "%s" in the message is the text of the
// first argument (an id).
#pragma once

#include <climits>
#include <cmath>
#include <optional>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

#include <Standard_Handle.hxx>

#include "nimbal/kernel.hpp"
#include "nimbal/log.hpp"
#include "nimbal_py/common.hpp"

namespace nimbal::py {

// A pixel coordinate: any real number, truncated toward zero as the
// kernel's integer pixels need.
struct Pixel {
  int value = 0;
  operator int() const { return value; }
};

// An id to look up: text, or a value that is no table's key (the lookup
// finds nothing). One that cannot be a key at all is an error, as it is
// for a dictionary.
struct Id {
  std::optional<std::string> text;
  explicit operator bool() const { return text.has_value(); }
  const std::string& operator*() const { return *text; }
};

namespace guarded_detail {

template <class T>
struct tag {};

inline Pixel convert(pyb::handle v, tag<Pixel>) {
  double d = 0.0;
  if (!as_double(v, d)) throw nimbal::WrongType("a pixel coordinate must be a real number, not '" + type_name(v) + "'");
  if (!std::isfinite(d)) throw nimbal::InvalidValue("a pixel coordinate must be finite");
  const double t = std::trunc(d);
  if (t < INT_MIN || t > INT_MAX) throw nimbal::InvalidValue("pixel coordinate out of range");
  return Pixel{static_cast<int>(t)};
}

inline double convert(pyb::handle v, tag<double>) {
  double d = 0.0;
  if (!as_double(v, d)) throw nimbal::WrongType("must be real number, not '" + type_name(v) + "'");
  return d;
}

inline int convert(pyb::handle v, tag<int>) {
  if (PyFloat_Check(v.ptr()) || !PyIndex_Check(v.ptr()))
    throw nimbal::WrongType("an integer is required, not '" + type_name(v) + "'");
  int overflow = 0;
  auto index = pyb::reinterpret_steal<pyb::object>(PyNumber_Index(v.ptr()));
  long long n = index ? PyLong_AsLongLongAndOverflow(index.ptr(), &overflow) : -1;
  if (!index || PyErr_Occurred()) throw pyb::error_already_set();
  if (overflow || n < INT_MIN || n > INT_MAX) throw nimbal::InvalidValue("integer out of range");
  return static_cast<int>(n);
}

inline bool convert(pyb::handle v, tag<bool>) {  // a flag: its truth value
  const int truth = PyObject_IsTrue(v.ptr());
  if (truth < 0) throw pyb::error_already_set();
  return truth == 1;
}

inline std::string convert(pyb::handle v, tag<std::string>) {
  if (!PyUnicode_Check(v.ptr())) throw nimbal::WrongType("an id must be a str, not '" + type_name(v) + "'");
  return v.cast<std::string>();
}

inline Id convert(pyb::handle v, tag<Id>) {
  if (PyUnicode_Check(v.ptr())) return Id{v.cast<std::string>()};
  if (PyObject_Hash(v.ptr()) == -1) throw pyb::error_already_set();
  return Id{};
}

inline pyb::object convert(pyb::handle v, tag<pyb::object>) { return pyb::reinterpret_borrow<pyb::object>(v); }

// Kernel objects: None is the null handle (the operation refuses it itself).
template <class T>
opencascade::handle<T> convert(pyb::handle v, tag<opencascade::handle<T>>) {
  if (v.is_none()) return {};
  if (!pyb::isinstance<T>(v))
    throw nimbal::WrongType("expected " + std::string(pyb::str(pyb::type::of<T>().attr("__name__"))) + ", not '" +
                            type_name(v) + "'");
  return v.cast<opencascade::handle<T>>();
}

// Everything else through its registered caster.
template <class T>
T convert(pyb::handle v, tag<T>) {
  try {
    return pyb::cast<T>(v);
  } catch (const pyb::cast_error&) {
    throw nimbal::WrongType(std::string("expected ") + pyb::detail::make_caster<T>::name.text + ", not '" +
                            type_name(v) + "'");
  }
}

template <class F>
struct traits : traits<decltype(&F::operator())> {};
template <class R, class L, class Self, class... A>
struct traits<R (L::*)(Self, A...) const> {
  using ret = R;
  using self = Self;
  using args = std::tuple<std::decay_t<A>...>;
};

// The Python type signatures and stubs show for an argument of C++ type A
// (what the conversion above accepts), and for the result (None when the
// arguments are refused).
template <class A>
struct arg_name {
  static constexpr auto name = pyb::detail::make_caster<A>::name;
};
template <>
struct arg_name<Pixel> : typing::float_name {};
template <>
struct arg_name<Id> : typing::str_name {};
template <>
struct arg_name<pyb::object> {
  static constexpr auto name = pyb::detail::const_name("object");
};
template <class T>
struct arg_name<opencascade::handle<T>> : typing::class_or_none<T> {};
template <class R>
struct result_name {
  static constexpr auto name = pyb::detail::make_caster<R>::name + pyb::detail::const_name(" | None");
};
template <class T>
struct result_name<std::optional<T>> {
  static constexpr auto name = pyb::detail::make_caster<std::optional<T>>::name;
};
template <>
struct result_name<void> {
  static constexpr auto name = pyb::detail::const_name("None");
};

template <class F, class R, class Self, class... A, std::size_t... I>
auto wrap(const char* logger, std::string message, F f, std::tuple<A...>*, std::index_sequence<I...>) {
  return [logger, message = std::move(message), f = std::move(f)](
             Self self, typing::typed<arg_name<A>>... raw) -> typing::typed<result_name<R>> {
    std::optional<std::tuple<A...>> args;
    try {
      args.emplace(std::tuple<A...>{convert(raw, tag<A>{})...});
    } catch (...) {
      if (!kernel::current_error_catchable()) throw;
      std::string text = message;
      if (auto at = text.find("%s"); at != std::string::npos) {
        std::string first;
        ((I == 0 ? (void)(first = std::string(pyb::str(raw))) : (void)0), ...);
        text.replace(at, 2, first);
      }
      log::write(logger, log::Level::Error, text + kernel::current_error_text(), std::current_exception());
      return pyb::none();
    }
    auto call = [&](auto&&... a) -> decltype(auto) { return f(self, std::forward<decltype(a)>(a)...); };
    if constexpr (std::is_void_v<R>) {
      std::apply(call, std::move(*args));
      return pyb::none();
    } else {
      return pyb::cast(std::apply(call, std::move(*args)));
    }
  };
}

}  // namespace guarded_detail

template <class F>
auto guarded_args(const char* logger, std::string message, F f) {
  using T = guarded_detail::traits<F>;
  using Args = typename T::args;
  return guarded_detail::wrap<F, typename T::ret, typename T::self>(
      logger, std::move(message), std::move(f), static_cast<Args*>(nullptr),
      std::make_index_sequence<std::tuple_size_v<Args>>{});
}

}  // namespace nimbal::py
