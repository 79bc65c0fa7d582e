// Property records as arguments. The classes are registered by
// nimbal.models.quenby, which a module using this imports first.
#pragma once

#include <memory>
#include <optional>

#include "nimbal/models/quenby.hpp"
#include "nimbal_py/common.hpp"

namespace nimbal::py {

namespace from_py {

// A record, refused as `kind` says.
inline std::shared_ptr<models::Quenby> record(pyb::handle v, std::string_view what,
                                              std::string_view kind = "a property record") {
  return instance<models::Quenby, std::shared_ptr<models::Quenby>>(v, what, kind);
}

// A record, or None for no record (a null pointer).
inline std::shared_ptr<models::Quenby> record_or_null(pyb::handle v, std::string_view what) {
  return instance_or_null<models::Quenby, std::shared_ptr<models::Quenby>>(v, what, "a property record or None");
}

// A record of class R, or None for no record (a null pointer).
template <class R>
std::shared_ptr<R> record_or_null_of(pyb::handle v, std::string_view what) {
  return instance_or_null<R, std::shared_ptr<R>>(v, what);
}

// How a refusal names a record of class R: by its class name, the base
// class as any property record.
template <class R>
constexpr std::string_view record_kind = std::is_same_v<R, models::Quenby> ? "a property record" : "";

}  // namespace from_py

// A record the caller passed in, handed back to Python (to an override, say)
// as its existing object rather than a copy.
template <class R>
pyb::object passed_record(const R& record) {
  return pyb::cast(&record, pyb::return_value_policy::reference);
}

// Python's own repr of a float and of a str, for the core's text forms.
inline const models::TextStyle& text_style() {
  static const models::TextStyle style{
      [](double d) { return std::string(pyb::repr(pyb::float_(d))); },
      [](const std::string& s) { return std::string(pyb::repr(pyb::str(s))); }};
  return style;
}

// The name a text form gives `self`: its class's, a Python subclass's too.
inline std::string class_qualname(pyb::handle self) {
  return pyb::str(pyb::handle(reinterpret_cast<PyObject*>(Py_TYPE(self.ptr()))).attr("__qualname__"));
}

// The Python override `name` of `self` called with `record` handed back as
// the caller's own object and the other arguments as they are; none when
// the class does not override it.
template <class R, class Base, class Record, class... A>
std::optional<R> record_override(const Base* self, const char* name, const Record& record, const A&... a) {
  pyb::gil_scoped_acquire gil;
  pyb::function ov = pyb::get_override(self, name);
  if (!ov) return std::nullopt;
  return ov(passed_record(record), a...).template cast<R>();
}

}  // namespace nimbal::py
