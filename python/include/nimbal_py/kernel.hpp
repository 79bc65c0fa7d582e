// Kernel objects in the Python face: shapes arrive as their real subtype,
// handles are holders, and modules that pass shapes import nimbal.kernel
// first so its types and its kernel-error translation exist.
#pragma once

#include "nimbal_py/common.hpp"

#include <vector>

#include <Standard_Handle.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Compound.hxx>
#include <TopoDS_CompSolid.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Shape.hxx>
#include <TopoDS_Shell.hxx>
#include <TopoDS_Solid.hxx>
#include <TopoDS_Vertex.hxx>
#include <TopoDS_Wire.hxx>

PYBIND11_DECLARE_HOLDER_TYPE(T, opencascade::handle<T>, true);

namespace pybind11 {
// TopoDS_Shape has no vtable: pick the Python class from ShapeType(). The
// subtypes add no data, so the object itself serves as the subtype.
template <>
struct polymorphic_type_hook<TopoDS_Shape> {
  static const void* get(const TopoDS_Shape* src, const std::type_info*& type) {
    type = nullptr;
    if (!src || src->IsNull()) return src;
    switch (src->ShapeType()) {
      case TopAbs_COMPOUND: type = &typeid(TopoDS_Compound); break;
      case TopAbs_COMPSOLID: type = &typeid(TopoDS_CompSolid); break;
      case TopAbs_SOLID: type = &typeid(TopoDS_Solid); break;
      case TopAbs_SHELL: type = &typeid(TopoDS_Shell); break;
      case TopAbs_FACE: type = &typeid(TopoDS_Face); break;
      case TopAbs_WIRE: type = &typeid(TopoDS_Wire); break;
      case TopAbs_EDGE: type = &typeid(TopoDS_Edge); break;
      case TopAbs_VERTEX: type = &typeid(TopoDS_Vertex); break;
      default: break;
    }
    return src;
  }
};
}  // namespace pybind11

namespace nimbal::py {

// Makes the kernel's Python types and error translation available; call at
// the start of every module init that passes kernel objects.
inline void import_kernel() { pyb::module_::import("nimbal.kernel"); }

namespace from_py {

// A kernel shape; None is refused.
inline TopoDS_Shape shape(pyb::handle v, std::string_view what) {
  if (v.is_none() || !pyb::isinstance<TopoDS_Shape>(v)) wrong_type(what, "a kernel shape", v);
  return v.cast<TopoDS_Shape>();
}

// A kernel shape, or None for the null shape.
inline TopoDS_Shape shape_or_null(pyb::handle v, std::string_view what) {
  if (v.is_none()) return TopoDS_Shape();
  if (!pyb::isinstance<TopoDS_Shape>(v)) wrong_type(what, "a kernel shape or None", v);
  return v.cast<TopoDS_Shape>();
}

// Any iterable of kernel shapes (text is not one); None among them is refused.
inline std::vector<TopoDS_Shape> shapes(pyb::handle v, std::string_view what) {
  PyObject* it = PyUnicode_Check(v.ptr()) ? nullptr : PyObject_GetIter(v.ptr());
  if (!it) {
    PyErr_Clear();
    wrong_type(what, "an iterable of kernel shapes", v);
  }
  auto iter = pyb::reinterpret_steal<pyb::object>(it);
  const std::string item = "each item of " + std::string(what);
  std::vector<TopoDS_Shape> out;
  while (PyObject* raw = PyIter_Next(iter.ptr())) out.push_back(shape(pyb::reinterpret_steal<pyb::object>(raw), item));
  if (PyErr_Occurred()) throw pyb::error_already_set();
  return out;
}

}  // namespace from_py

// None for "no kernel shape", the shape (as its subtype) otherwise.
inline typed<shape_or_none_name> shape_or_none(const TopoDS_Shape& s) {
  if (s.IsNull()) return pyb::none();
  return pyb::cast(s);
}

}  // namespace nimbal::py
