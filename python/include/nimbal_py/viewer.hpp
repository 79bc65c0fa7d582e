// Viewer objects in the Python face. Include in every binding source that
// passes AIS objects: an interactive object handed back by the context then
// arrives as AIS_Shape when it is one (also for kernel subclasses of AIS_Shape
// that have no Python class), so a presentation stored by one module is
// recognised by another.
#pragma once

#include "nimbal_py/kernel.hpp"

#include <AIS_InteractiveObject.hxx>
#include <AIS_Shape.hxx>

namespace pybind11 {
template <>
struct polymorphic_type_hook<AIS_InteractiveObject> {
  static const void* get(const AIS_InteractiveObject* src, const std::type_info*& type) {
    type = nullptr;
    if (!src) return src;
    if (auto* s = dynamic_cast<const AIS_Shape*>(src)) {
      type = &typeid(AIS_Shape);
      return s;
    }
    type = &typeid(*src);
    return dynamic_cast<const void*>(src);
  }
};
}  // namespace pybind11
