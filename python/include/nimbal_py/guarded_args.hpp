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
// first argument (an id). A PyValue<T> argument is not converted: the core
// tests it itself once the operation reaches it.
#pragma once

#include <string>
#include <type_traits>

#include "nimbal/host_value.hpp"
#include "nimbal/kernel.hpp"
#include "nimbal/log.hpp"
#include "nimbal_py/convert.hpp"

namespace nimbal::py {

namespace guarded_detail {

template <class T>
struct is_handle : std::false_type {};
template <class T>
struct is_handle<opencascade::handle<T>> : std::true_type {};

// A failed conversion, logged as the operation's own error; the result is None.
struct log_error {
  const char* logger;
  std::string message;
  template <class... Raw>
  pyb::object operator()(const Raw&... raw) const {
    if (!kernel::current_error_catchable()) throw;
    std::string text = message;
    if (auto at = text.find("%s"); at != std::string::npos) {
      std::string first;
      if constexpr (sizeof...(Raw) > 0) first = std::string(pyb::str(pyb::handle(std::get<0>(std::tie(raw...)))));
      text.replace(at, 2, first);
    }
    log::write(logger, log::Level::Error, text + kernel::current_error_text(), std::current_exception());
    return pyb::none();
  }
};

// The result as signatures show it: None too, when the arguments are refused.
template <class R>
struct or_none {
  static constexpr auto name = convert::result_name<R>::name + pyb::detail::const_name(" | None");
};
template <class T>
struct or_none<std::optional<T>> : convert::result_name<std::optional<T>> {};
template <class T>
struct or_none<std::shared_ptr<T>> : convert::result_name<std::shared_ptr<T>> {};
template <>
struct or_none<TopoDS_Shape> : convert::result_name<TopoDS_Shape> {};
template <>
struct or_none<void> : convert::result_name<void> {};

}  // namespace guarded_detail

// `f` (whose first parameter is self) with its arguments converted, a
// refused one taking the operation's error path. No argument names: the
// message is the operation's.
template <class F>
auto guarded_args(const char* logger, std::string message, F f) {
  using T = convert::traits<F, true>;
  using Args = typename T::args;
  constexpr std::size_t n = std::tuple_size_v<Args>;
  std::array<const char*, n> names;
  names.fill("an argument");
  return convert::wrap<typename T::self, typename T::ret, guarded_detail::or_none<typename T::ret>>(
      std::move(f), names, guarded_detail::log_error{logger, std::move(message)}, static_cast<Args*>(nullptr),
      std::make_index_sequence<n>{});
}

// A host value the core tests itself when it reaches it; T is a kernel
// type (shape or handle) or text.
template <class T>
class PyValue : public nimbal::HostValue<T> {
 public:
  explicit PyValue(pyb::handle v) : v_(pyb::reinterpret_borrow<pyb::object>(v)) {}
  bool is_none() const override { return v_.is_none(); }
  std::optional<T> get() const override {
    if constexpr (std::is_same_v<T, std::string>) {
      if (PyUnicode_Check(v_.ptr())) return v_.cast<std::string>();
    } else if constexpr (guarded_detail::is_handle<T>::value) {
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

namespace convert {
template <class T>
PyValue<T> value(pyb::handle v, tag<PyValue<T>>, std::string_view) {
  return PyValue<T>(v);
}
template <class T>
struct arg_name<PyValue<T>> {
  static constexpr auto name = pyb::detail::make_caster<T>::name;
};
}  // namespace convert

}  // namespace nimbal::py
