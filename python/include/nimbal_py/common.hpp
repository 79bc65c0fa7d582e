// Included first by every binding source: the conversions that must be the
// same in every extension module (points as tuples, enumeration members,
// core errors), so each type converts one way everywhere.
#pragma once

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <array>
#include <optional>
#include <string>

#include "nimbal/enums.hpp"
#include "nimbal/errors.hpp"

namespace nimbal::py {
namespace pyb = ::pybind11;

// Python's name for the type of `obj`, for messages.
inline std::string type_name(pyb::handle obj) {
  return pyb::str(pyb::handle(reinterpret_cast<PyObject*>(Py_TYPE(obj.ptr()))).attr("__name__"));
}

// None or a str.
inline std::optional<std::string> optional_str(pyb::handle v, const char* what) {
  if (v.is_none()) return std::nullopt;
  if (!PyUnicode_Check(v.ptr()))
    throw nimbal::TypeError(std::string(what) + " must be a str or None, not '" + type_name(v) + "'");
  return v.cast<std::string>();
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
  if (!obj || PyUnicode_Check(obj.ptr()) || PyBytes_Check(obj.ptr()) ||
      !PySequence_Check(obj.ptr()))
    return false;
  Py_ssize_t n = PySequence_Size(obj.ptr());
  if (n < 0) {
    PyErr_Clear();
    return false;
  }
  if (static_cast<std::size_t>(n) != N) return false;
  for (std::size_t i = 0; i < N; ++i) {
    pyb::object item = pyb::reinterpret_steal<pyb::object>(
        PySequence_GetItem(obj.ptr(), static_cast<Py_ssize_t>(i)));
    if (!item) {
      PyErr_Clear();
      return false;
    }
    if (!as_double(item, out[i])) return false;
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

// Core errors become the Python exceptions of the same names; registered
// per module, so each module handles its own throws.
inline void register_core_errors() {
  pyb::register_local_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const nimbal::TypeError& e) {
      PyErr_SetString(PyExc_TypeError, e.what());
    } catch (const nimbal::ValueError& e) {
      PyErr_SetString(PyExc_ValueError, e.what());
    } catch (const nimbal::AttributeError& e) {
      PyErr_SetString(PyExc_AttributeError, e.what());
    } catch (const nimbal::KeyError& e) {
      PyErr_SetString(PyExc_KeyError, e.what());
    } catch (const nimbal::AssertionError& e) {
      PyErr_SetString(PyExc_AssertionError, e.what());
    }
  });
}

}  // namespace nimbal::py

namespace pybind11::detail {

// Points cross as tuples of floats (never lists), from any sequence of N numbers.
template <std::size_t N>
struct nimbal_point_caster {
  using Point = std::array<double, N>;
  PYBIND11_TYPE_CASTER(Point, const_name("tuple[float, ...]"));
  bool load(handle src, bool) { return nimbal::py::as_point<N>(src, value); }
  static handle cast(const Point& p, return_value_policy, handle) {
    return nimbal::py::point_to_tuple<N>(p).release();
  }
};
template <> struct type_caster<std::array<double, 2>> : nimbal_point_caster<2> {};
template <> struct type_caster<std::array<double, 3>> : nimbal_point_caster<3> {};

// Enumerations cross as members of the `nimbal.enums` classes, matched by name.
template <class E>
struct nimbal_enum_caster {
  PYBIND11_TYPE_CASTER(E, const_name("nimbal.enums.Enum"));
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
template <> struct type_caster<nimbal::ShapeType> : nimbal_enum_caster<nimbal::ShapeType> {};
template <> struct type_caster<nimbal::ShapeCategory> : nimbal_enum_caster<nimbal::ShapeCategory> {};
template <> struct type_caster<nimbal::StandardPlane> : nimbal_enum_caster<nimbal::StandardPlane> {};
template <> struct type_caster<nimbal::DisplayMode> : nimbal_enum_caster<nimbal::DisplayMode> {};
template <> struct type_caster<nimbal::ProjectionType> : nimbal_enum_caster<nimbal::ProjectionType> {};
template <> struct type_caster<nimbal::ViewDirection> : nimbal_enum_caster<nimbal::ViewDirection> {};
template <> struct type_caster<nimbal::SelectionMode> : nimbal_enum_caster<nimbal::SelectionMode> {};

}  // namespace pybind11::detail
