// Kernel objects in the Python face: shapes arrive as their real subtype,
// handles are holders, and modules that pass shapes import nimbal.kernel
// first so its types and its kernel-error translation exist.
#pragma once

#include "nimbal_py/common.hpp"

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

// A kernel shape argument; None is the null shape.
inline TopoDS_Shape shape_from_py(pyb::handle v, const char* what) {
  if (v.is_none()) return TopoDS_Shape();
  if (!pyb::isinstance<TopoDS_Shape>(v))
    throw nimbal::TypeError(std::string(what) + " must be a kernel shape or None, not '" + type_name(v) + "'");
  return v.cast<TopoDS_Shape>();
}

// None for "no kernel shape", the shape (as its subtype) otherwise.
inline typed<shape_or_none_name> shape_or_none(const TopoDS_Shape& s) {
  if (s.IsNull()) return pyb::none();
  return pyb::cast(s);
}

}  // namespace nimbal::py
