// Operations of a service given from Python, forwarded by name: the C++
// arguments go as the Python values the service is given, and its answer is
// read as the core takes a kernel service's answers (services::ServiceAnswer);
// anything that is not what the operation yields raises TypeError. Shared by
// the kernel service's adapter and trampoline and the sketch plane service's
// adapter. Callers hold the interpreter lock.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "nimbal/services/drulen.hpp"
#include "nimbal_py/convert.hpp"
#include "nimbal_py/kernel.hpp"

namespace nimbal::py::forwarding {

// A flag passed by keyword.
struct Keyword {
  const char* name;
  bool value;
};

// A C++ argument as the Python value a service is given; a module
// specialises it for its own types before it forwards them.
template <class T>
pyb::object py_arg(const T& v) {
  return pyb::cast(v);
}
template <>
inline pyb::object py_arg(const TopoDS_Shape& s) {
  return shape_or_none(s);
}
template <>
inline pyb::object py_arg(const services::Shapes& shapes) {
  pyb::list out;
  for (const auto& s : shapes) out.append(shape_or_none(s));
  return std::move(out);
}
template <>
inline pyb::object py_arg(const services::Count3& c) {
  return pyb::make_tuple(c[0], c[1], c[2]);
}

// `f` called with `a...`: positional arguments, then the placements (an
// operation's last arguments) as the core passes them, then keywords.
template <class... A>
pyb::object call(const pyb::object& f, const A&... a) {
  using Placement = std::optional<services::Point3>;
  pyb::list positional;
  std::vector<Placement> placements;
  pyb::dict keywords;
  auto add = [&](const auto& v) {
    using T = std::decay_t<decltype(v)>;
    if constexpr (std::is_same_v<T, Placement>) {
      placements.push_back(v);
    } else if constexpr (std::is_same_v<T, Keyword>) {
      keywords[v.name] = v.value;
    } else {
      positional.append(py_arg<T>(v));
    }
  };
  (add(a), ...);
  for (const services::Point3& p : services::placements_passed(placements)) positional.append(py_arg(p));
  return f(*positional, **keywords);
}

// `f`'s answer to operation `op` called with `a...`, taken as the core takes
// the answers of an operation yielding R; where a refusal of the value is an
// answer, its ValueError is the core's InvalidValue.
template <class R, class... A>
R answer(const pyb::object& f, const char* op, const A&... a) {
  using Answer = services::ServiceAnswer<R>;
  pyb::object value;
  try {
    value = call(f, a...);
  } catch (pyb::error_already_set& e) {
    if (Answer::refusal_answers && e.matches(PyExc_ValueError))
      throw nimbal::InvalidValue(pyb::str(e.value()).cast<std::string>());
    throw;
  }
  const std::string what = std::string(op) + "'s result";
  return Answer::read(convert::value(value, convert::tag<typename Answer::type>{}, what), what);
}

// A Python object a C++ service holds, let go with the lock taken: the
// service may end on any thread.
struct Held : pyb::object {
  explicit Held(pyb::object obj) : pyb::object(std::move(obj)) {}
  ~Held() {
    pyb::gil_scoped_acquire gil;
    release().dec_ref();
  }
};

// The C++ T behind `obj` when it is one (exactly a T when `exact`: a
// subclass without a trampoline is reached through an adapter instead),
// keeping `obj` alive while the result lives; null otherwise.
template <class T>
std::shared_ptr<T> bound_object(pyb::object obj, bool exact) {
  pyb::handle type = pyb::detail::get_type_handle(typeid(T), false);
  if (!type || !(exact ? pyb::type::handle_of(obj).is(type) : PyObject_IsInstance(obj.ptr(), type.ptr()) == 1))
    return nullptr;
  T* impl = obj.cast<T*>();
  return std::shared_ptr<T>(impl, [keep = std::make_shared<Held>(std::move(obj))](T*) {});
}

}  // namespace nimbal::py::forwarding
