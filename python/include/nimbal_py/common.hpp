// Included first by every binding source: the conversions that must be the
// same in every extension module, so each type converts one way everywhere.
// In order: reading numbers and points, the type names signatures show, the
// casters (points as tuples, enumeration members), the from_py converters,
// and the core errors' translation.
#pragma once

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <array>
#include <climits>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "nimbal/enums.hpp"
#include "nimbal/errors.hpp"

namespace nimbal::py {
namespace pyb = ::pybind11;

// Python's name for the type of `obj`, for messages.
inline std::string type_name(pyb::handle obj) {
  return pyb::str(pyb::handle(reinterpret_cast<PyObject*>(Py_TYPE(obj.ptr()))).attr("__name__"));
}

// A number as a C++ double: int, float or anything with __float__/__index__.
// Text is not a number.
inline bool as_double(pyb::handle obj, double& out) {
  if (PyUnicode_Check(obj.ptr()) || PyBytes_Check(obj.ptr())) return false;
  double v = PyFloat_AsDouble(obj.ptr());
  if (v == -1.0 && PyErr_Occurred()) {
    PyErr_Clear();
    return false;
  }
  out = v;
  return true;
}

// A sequence of N numbers (tuple, list, ...) as a C++ point.
template <std::size_t N>
bool as_point(pyb::handle obj, std::array<double, N>& out) {
  if (!obj || PyUnicode_Check(obj.ptr()) || PyBytes_Check(obj.ptr()) || !PySequence_Check(obj.ptr())) return false;
  // A failed size or item is no point: its error is dropped.
  if (PySequence_Size(obj.ptr()) != static_cast<Py_ssize_t>(N)) {
    PyErr_Clear();
    return false;
  }
  for (std::size_t i = 0; i < N; ++i) {
    auto item = pyb::reinterpret_steal<pyb::object>(PySequence_GetItem(obj.ptr(), static_cast<Py_ssize_t>(i)));
    if (!item || !as_double(item, out[i])) {
      PyErr_Clear();
      return false;
    }
  }
  return true;
}

template <std::size_t N>
pyb::tuple point_to_tuple(const std::array<double, N>& p) {
  pyb::tuple t(N);
  for (std::size_t i = 0; i < N; ++i) t[i] = pyb::float_(p[i]);
  return t;
}

// The class of a `nimbal.enums` enumeration, imported once and kept.
template <class E>
pyb::handle enum_class() {
  static PyObject* cls = [] {
    pyb::object c = pyb::module_::import("nimbal.enums").attr(EnumInfo<E>::python_name.data());
    return c.release().ptr();  // lives as long as the interpreter
  }();
  return cls;
}

namespace typing {

// A Python object passed through as it came, under the type name that
// signatures and stubs show for it. The binding converts it (and reports a
// wrong type in its own words), so loading never fails.
template <class Name>
class typed : public pyb::object {
 public:
  using pyb::object::object;
  typed() = default;
  typed(pyb::object o) : pyb::object(std::move(o)) {}
  static bool check_(pyb::handle h) { return h.ptr() != nullptr; }
};

// The Python name of the registered class of C++ type T (plus `suffix`).
template <class T>
struct class_name {
  static constexpr auto name = pyb::detail::const_name<T>();
};
template <class T>
struct class_or_none {
  static constexpr auto name = pyb::detail::const_name<T>() + pyb::detail::const_name(" | None");
};

// A type name spelled out, for types no C++ type stands for.
#define NIMBAL_PY_NAME(Tag, text) \
  struct Tag {                     \
    static constexpr auto name = ::pybind11::detail::const_name(text); \
  }

NIMBAL_PY_NAME(str_or_none_name, "str | None");
NIMBAL_PY_NAME(bool_name, "bool");
NIMBAL_PY_NAME(str_name, "str");
NIMBAL_PY_NAME(int_name, "int");
NIMBAL_PY_NAME(float_name, "float");
NIMBAL_PY_NAME(point2_name, "tuple[float, float]");
NIMBAL_PY_NAME(point3_name, "tuple[float, float, float]");
NIMBAL_PY_NAME(dict_name, "dict[str, typing.Any]");
NIMBAL_PY_NAME(any_name, "typing.Any");
NIMBAL_PY_NAME(self_name, "typing.Self");
NIMBAL_PY_NAME(mapping_name, "typing.Mapping[str, typing.Any]");
NIMBAL_PY_NAME(shape_name, "nimbal.kernel.TopoDS_Shape");
NIMBAL_PY_NAME(record_name, "nimbal.models.quenby.Quenby");
NIMBAL_PY_NAME(shape_or_none_name, "nimbal.kernel.TopoDS_Shape | None");
NIMBAL_PY_NAME(managed_name, "nimbal.managers.corvath.ManagedShape");
NIMBAL_PY_NAME(managed_or_none_name, "nimbal.managers.corvath.ManagedShape | None");
NIMBAL_PY_NAME(view_name, "nimbal.kernel.V3d_View");

using str_or_none = typed<str_or_none_name>;

using bool_arg = typed<bool_name>;
using any_arg = typed<any_name>;
using record_arg = typed<record_name>;

}  // namespace typing

}  // namespace nimbal::py

namespace pybind11::detail {

template <class Name>
struct handle_type_name<nimbal::py::typing::typed<Name>> {
  static constexpr auto name = Name::name;
};

// Points cross as tuples of floats (never lists), from any sequence of N numbers.
template <std::size_t N>
struct nimbal_point_caster {
  using Point = std::array<double, N>;
  PYBIND11_TYPE_CASTER(Point, const_name<N == 2>("tuple[float, float]", "tuple[float, float, float]"));
  bool load(handle src, bool) { return nimbal::py::as_point<N>(src, value); }
  static handle cast(const Point& p, return_value_policy, handle) {
    return nimbal::py::point_to_tuple<N>(p).release();
  }
};
template <> struct type_caster<std::array<double, 2>> : nimbal_point_caster<2> {};
template <> struct type_caster<std::array<double, 3>> : nimbal_point_caster<3> {};

// Enumerations cross as members of the `nimbal.enums` classes, matched by name.
template <class E, class Name>
struct nimbal_enum_caster {
  PYBIND11_TYPE_CASTER(E, Name::name);
  bool load(handle src, bool) {
    int ok = PyObject_IsInstance(src.ptr(), nimbal::py::enum_class<E>().ptr());
    if (ok != 1) {
      if (ok < 0) PyErr_Clear();
      return false;
    }
    auto e = nimbal::enum_from_name<E>(src.attr("name").cast<std::string>());
    if (!e) return false;
    value = *e;
    return true;
  }
  static handle cast(E e, return_value_policy, handle) {
    return object(nimbal::py::enum_class<E>().attr(std::string(nimbal::enum_name(e)).c_str())).release();
  }
};

// The caster of enumeration nimbal::E, shown as nimbal.enums.E.
#define NIMBAL_PY_ENUM_CASTER(E)                                \
  NIMBAL_PY_NAME(enum_##E##_name, "nimbal.enums." #E);           \
  template <>                                                   \
  struct type_caster<nimbal::E> : nimbal_enum_caster<nimbal::E, enum_##E##_name> {}
NIMBAL_PY_ENUM_CASTER(ShapeType);
NIMBAL_PY_ENUM_CASTER(ShapeCategory);
NIMBAL_PY_ENUM_CASTER(StandardPlane);
NIMBAL_PY_ENUM_CASTER(DisplayMode);
NIMBAL_PY_ENUM_CASTER(ProjectionType);
NIMBAL_PY_ENUM_CASTER(ViewDirection);
NIMBAL_PY_ENUM_CASTER(SelectionMode);
#undef NIMBAL_PY_ENUM_CASTER

// Optional and list types in today's spelling, as the stubs write them.
template <>
struct type_caster<std::optional<std::string>> : optional_caster<std::optional<std::string>> {
  static constexpr auto name = const_name("str | None");
};
template <>
struct type_caster<std::vector<std::string>> : list_caster<std::vector<std::string>, std::string> {
  static constexpr auto name = const_name("list[str]");
};
template <>
struct type_caster<std::array<long long, 3>> : array_caster<std::array<long long, 3>, long long, false, 3> {
  static constexpr auto name = const_name("tuple[int, int, int]");
};
template <>
struct type_caster<std::vector<int>> : list_caster<std::vector<int>, int> {
  static constexpr auto name = const_name("list[int]");
};

}  // namespace pybind11::detail

namespace nimbal::py {

// The converters of values that bindings take as plain objects, one per
// kind of value (shapes in kernel.hpp, records in records.hpp). `what` names
// the value in the message: an argument ("name"), or a duck-typed service's
// answer ("create_box's result"). A wrong value raises WrongType
// "<what> must be <kind>, not '<type>'".
namespace from_py {

[[noreturn]] inline void wrong_type(std::string_view what, std::string_view kind, pyb::handle got) {
  throw nimbal::WrongType(std::string(what) + " must be " + std::string(kind) + ", not '" + type_name(got) + "'");
}

// "a <name>" for a value of type T. A class registered with pybind11 has a
// placeholder for its caster's name, filled in only in signatures: its
// Python class name stands in.
template <class T>
std::string kind_of() {
  const std::string text = pyb::detail::make_caster<T>::name.text;
  if (text.find('%') == std::string::npos) return "a " + text;
  if (auto* info = pyb::detail::get_type_info(typeid(T)))
    return "a " + pyb::handle(reinterpret_cast<PyObject*>(info->type)).attr("__name__").cast<std::string>();
  return "a " + pyb::type_id<T>();
}

// An instance of the bound class T (a subclass's too) as Holder (a
// reference, a copy, a pointer or handle to it), refused as `kind` says; by
// default named by its Python class name: "<what> must be a CoreCorvath,
// not '<type>'".
template <class T, class Holder = T&>
Holder instance(pyb::handle v, std::string_view what, std::string_view kind = {}) {
  if (!pyb::isinstance<T>(v)) wrong_type(what, kind.empty() ? kind_of<T>() : std::string(kind), v);
  return v.cast<Holder>();
}

// As `instance`, or None for a null Holder; by default refused as
// "a <Name> or None".
template <class T, class Holder>
Holder instance_or_null(pyb::handle v, std::string_view what, std::string_view kind = {}) {
  if (v.is_none()) return Holder();
  return instance<T, Holder>(v, what, kind.empty() ? kind_of<T>() + " or None" : std::string(kind));
}

// Calls `each` on every item of the iterable `v` while it answers true;
// `refuse` answers a value that is not iterable. An error of the iteration
// itself goes on.
template <class Refuse, class Each>
void for_each_item(pyb::handle v, Refuse refuse, Each each) {
  PyObject* it = PyObject_GetIter(v.ptr());
  if (!it) {
    PyErr_Clear();
    refuse();
  }
  auto iter = pyb::reinterpret_steal<pyb::object>(it);
  while (PyObject* raw = PyIter_Next(iter.ptr()))
    if (!each(pyb::reinterpret_steal<pyb::object>(raw))) return;
  if (PyErr_Occurred()) throw pyb::error_already_set();
}

// Calls each(key, value) for every item of a mapping's items(), each as an
// object; `refuse` answers an item that is no (key, value) pair.
template <class Refuse, class Each>
void for_each_pair(pyb::handle mapping, Refuse refuse, Each each) {
  for (auto item : pyb::iter(mapping.attr("items")())) {
    // Checked: the tuple accessors below assume a real pair.
    if (!PyTuple_Check(item.ptr()) || PyTuple_GET_SIZE(item.ptr()) != 2) refuse(item);
    auto kv = pyb::reinterpret_borrow<pyb::tuple>(item);
    each(kv[0], kv[1]);
  }
}

// ---- truth values ----

// The value's truth, as `if value:` tests it. Only the value's own __bool__
// or __len__ can fail; its error goes on, with a note naming the value.
inline bool truth(pyb::handle v, std::string_view what) {
  const int r = PyObject_IsTrue(v.ptr());
  if (r >= 0) return r == 1;
  pyb::error_already_set e;
  if (e.matches(PyExc_Exception)) {
    try {
      e.value().attr("add_note")("while testing the truth of " + std::string(what));
    } catch (pyb::error_already_set&) {
    }
  }
  throw e;
}

// Strict readers for typed attributes, where Python's loose kinds would
// hide a mistake: a bool is no number there, and only a bool or an int is a
// truth value.
inline bool boolean(pyb::handle v, std::string_view what) {
  if (!PyLong_Check(v.ptr())) wrong_type(what, "a boolean", v);
  return PyObject_IsTrue(v.ptr()) == 1;
}

// ---- text ----

inline std::string text(pyb::handle v, std::string_view what, std::string_view kind = "a str") {
  if (!PyUnicode_Check(v.ptr())) wrong_type(what, kind, v);
  return v.cast<std::string>();
}

inline std::optional<std::string> text_or_none(pyb::handle v, std::string_view what) {
  if (v.is_none()) return std::nullopt;
  return text(v, what, "a str or None");
}

// ---- numbers ----

inline double number(pyb::handle v, std::string_view what) {
  double d = 0.0;
  if (PyBool_Check(v.ptr()) || !as_double(v, d)) wrong_type(what, "a number", v);
  return d;
}

// The integer an __index__ value stands for; none beyond long long.
inline std::optional<long long> index_value(pyb::handle v) {
  auto index = pyb::reinterpret_steal<pyb::object>(PyNumber_Index(v.ptr()));
  if (!index) throw pyb::error_already_set();
  int overflow = 0;
  const long long n = PyLong_AsLongLongAndOverflow(index.ptr(), &overflow);
  if (n == -1 && PyErr_Occurred()) throw pyb::error_already_set();
  if (overflow) return std::nullopt;
  return n;
}

// The index a float equals, as Python compares 1.0 equal to 1; none for a
// fraction or one beyond 64 bits.
inline std::optional<long long> whole_number(double d) {
  if (std::isfinite(d) && d == std::floor(d) && std::abs(d) < 9e18) return static_cast<long long>(d);
  return std::nullopt;
}

// An int or anything with __index__ (a bool only when `bools`); nullopt
// for one beyond long long.
inline std::optional<long long> integer(pyb::handle v, std::string_view what,
                                        std::string_view kind = "an integer", bool bools = false) {
  if ((!bools && PyBool_Check(v.ptr())) || !PyIndex_Check(v.ptr())) wrong_type(what, kind, v);
  return index_value(v);
}

// Indices to look up, from any iterable of integers. As Python compares
// 1.0 equal to 1, a whole float is its integer; an item that equals no
// 64-bit index (a fraction, an integer beyond 64 bits) becomes LLONG_MIN,
// which no table holds, so it selects nothing.
inline std::vector<long long> indices(pyb::handle v, std::string_view what) {
  const std::string each = "each item of " + std::string(what);
  std::vector<long long> out;
  for_each_item(v, [&] { wrong_type(what, "an iterable of integers", v); }, [&](pyb::handle item) {
    if (PyFloat_Check(item.ptr())) {
      out.push_back(whole_number(PyFloat_AsDouble(item.ptr())).value_or(LLONG_MIN));
    } else {
      if (!PyIndex_Check(item.ptr())) wrong_type(each, "an integer", item);
      out.push_back(index_value(item).value_or(LLONG_MIN));
    }
    return true;
  });
  return out;
}

// The numbers of any iterable, for an operation that unpacks them itself
// and words a wrong count in its own terms. A refusal is worded as the
// host's unpacking words it, headed by "<what>: " when `what` is not empty.
// Reading stops after `limit` + 1 numbers: enough to tell "too many".
inline std::vector<double> numbers(pyb::handle v, std::string_view what, std::size_t limit = 16) {
  const std::string head = what.empty() ? std::string() : std::string(what) + ": ";
  if (v.is_none() || PyUnicode_Check(v.ptr()) || PyBytes_Check(v.ptr()))
    throw nimbal::WrongType(head + "cannot unpack " + type_name(v) + " into numbers");
  std::vector<double> out;
  try {
    for_each_item(
        v, [&] { throw nimbal::WrongType(head + "cannot unpack non-iterable " + type_name(v) + " object"); },
        [&](pyb::handle item) {
          double d = 0.0;
          if (!as_double(item, d)) throw nimbal::WrongType(head + "must be real number, not " + type_name(item));
          out.push_back(d);
          return out.size() <= limit;
        });
  } catch (const pyb::error_already_set&) {
    throw nimbal::WrongType(head + "the value could not be iterated");
  }
  return out;
}

// ---- points ----

template <std::size_t N>
constexpr std::string_view point_kind = N == 2 ? "a pair of numbers" : "a sequence of three numbers";

// A point, refused as `kind` says.
template <std::size_t N>
std::array<double, N> point(pyb::handle v, std::string_view what, std::string_view kind = point_kind<N>) {
  std::array<double, N> p{};
  if (!as_point<N>(v, p)) wrong_type(what, kind, v);
  return p;
}

// A sequence of points; `item_what` and `item_kind` name each item.
template <std::size_t N>
std::vector<std::array<double, N>> points(pyb::handle v, std::string_view what, std::string_view kind,
                                          std::string_view item_what, std::string_view item_kind) {
  if (!PySequence_Check(v.ptr()) || PyUnicode_Check(v.ptr()) || PyBytes_Check(v.ptr())) wrong_type(what, kind, v);
  std::vector<std::array<double, N>> out;
  for (pyb::handle p : v) out.push_back(point<N>(p, item_what, item_kind));
  return out;
}

template <std::size_t N>
std::vector<std::array<double, N>> points(pyb::handle v, std::string_view what) {
  return points<N>(v, what, N == 2 ? "a sequence of pairs of numbers" : "a sequence of triples of numbers",
                   "each item of " + std::string(what), point_kind<N>);
}

// An (r, g, b) triple of numbers.
inline std::array<double, 3> colour(pyb::handle v, std::string_view what) {
  return point<3>(v, what, "an (r, g, b) triple of numbers");
}

// ---- enumerations ----

// A member of E's `nimbal.enums` class; None and anything else are no
// member, which the core answers by its own rule for "none given".
template <class E>
std::optional<E> member_or_none(pyb::handle v) {
  pyb::detail::make_caster<E> c;
  if (!c.load(v, false)) return std::nullopt;
  return pyb::detail::cast_op<E>(c);
}

}  // namespace from_py

// Core errors become the Python exceptions of the same names; registered
// per module, so each module handles its own throws.
inline void register_core_errors() {
  pyb::register_local_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const nimbal::WrongType& e) {
      PyErr_SetString(PyExc_TypeError, e.what());
    } catch (const nimbal::InvalidValue& e) {
      PyErr_SetString(PyExc_ValueError, e.what());
    } catch (const nimbal::MissingMember& e) {
      PyErr_SetString(PyExc_AttributeError, e.what());
    } catch (const nimbal::NotFound& e) {
      PyErr_SetString(PyExc_KeyError, e.what());
    } catch (const nimbal::BrokenPrecondition& e) {
      PyErr_SetString(PyExc_AssertionError, e.what());
    } catch (const nimbal::OutOfRange& e) {
      PyErr_SetString(PyExc_IndexError, e.what());
    }
  });
}

// ---- small pieces of the Python object protocol ----

// The answer of a comparison that leaves the other operand to decide.
inline pyb::object not_implemented() { return pyb::reinterpret_borrow<pyb::object>(Py_NotImplemented); }

// Makes `f` the classmethod `name` of `cls`.
inline void set_classmethod(pyb::handle cls, const char* name, const pyb::cpp_function& f) {
  cls.attr(name) = pyb::reinterpret_steal<pyb::object>(PyClassMethod_New(f.ptr()));
}

}  // namespace nimbal::py
