// Operations of a service given from Python, forwarded by name: the C++
// arguments go as the Python values the service is given, and its answer is
// read as the core takes a kernel service's answers (services::ServiceAnswer);
// anything that is not what the operation yields raises TypeError. Shared by
// the kernel service's adapter and trampoline and the sketch plane service's
// adapter. Callers hold the interpreter lock.
#pragma once

#include <optional>
#include <string>
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
struct py_arg {
  static pyb::object of(const T& v) { return pyb::cast(v); }
};
template <>
struct py_arg<TopoDS_Shape> {
  static pyb::object of(const TopoDS_Shape& s) { return shape_or_none(s); }
};
template <>
struct py_arg<services::Shapes> {
  static pyb::object of(const services::Shapes& shapes) {
    pyb::list out;
    for (const auto& s : shapes) out.append(shape_or_none(s));
    return std::move(out);
  }
};
template <>
struct py_arg<services::Count3> {
  static pyb::object of(const services::Count3& c) { return pyb::make_tuple(c[0], c[1], c[2]); }
};

// The arguments of one call: positional ones, then the placements (an
// operation's last ones) as the core passes them, then keywords.
class Call {
 public:
  template <class... A>
  explicit Call(const A&... a) {
    (add(a), ...);
  }
  pyb::object operator()(const pyb::object& f) {
    for (const services::Point3& p : services::placements_passed(placements_))
      positional_.append(py_arg<services::Point3>::of(p));
    return f(*positional_, **keywords_);
  }

 private:
  template <class T>
  void add(const T& v) {
    positional_.append(py_arg<T>::of(v));
  }
  void add(const std::optional<services::Point3>& p) { placements_.push_back(p); }
  void add(const Keyword& k) { keywords_[k.name] = k.value; }

  pyb::list positional_;
  std::vector<std::optional<services::Point3>> placements_;
  pyb::dict keywords_;
};

// `f`'s answer to operation `op` called with `a...`, taken as the core takes
// the answers of an operation yielding R; where a refusal of the value is an
// answer, its ValueError is the core's InvalidValue.
template <class R, class... A>
R answer(const pyb::object& f, const char* op, const A&... a) {
  using Answer = services::ServiceAnswer<R>;
  pyb::object value;
  try {
    value = Call(a...)(f);
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
class Held {
 public:
  explicit Held(pyb::object obj) : obj_(std::move(obj)) {}
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  ~Held() {
    pyb::gil_scoped_acquire gil;
    obj_ = pyb::object();
  }
  const pyb::object& get() const { return obj_; }

  // Its operation `op` called with `a...`: the answer as above; a missing
  // operation is the AttributeError of its lookup.
  template <class R, class... A>
  R call(const char* op, const A&... a) const {
    pyb::gil_scoped_acquire gil;
    return answer<R>(obj_.attr(op), op, a...);
  }

 private:
  pyb::object obj_;
};

}  // namespace nimbal::py::forwarding
