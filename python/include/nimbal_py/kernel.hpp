// Kernel objects in the Python face: shapes arrive as their real subtype,
// handles are holders, and modules that pass shapes import nimbal.kernel
// first so its types and its kernel-error translation exist.
#pragma once

#include "nimbal_py/common.hpp"

#include <algorithm>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include <Standard_Handle.hxx>
#include <TopoDS_Compound.hxx>
#include <TopoDS_CompSolid.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Shape.hxx>
#include <TopoDS_Shell.hxx>
#include <TopoDS_Solid.hxx>
#include <TopoDS_Vertex.hxx>
#include <TopoDS_Wire.hxx>
#include <gp_Dir.hxx>
#include <gp_Pnt.hxx>
#include <gp_XYZ.hxx>

PYBIND11_DECLARE_HOLDER_TYPE(T, opencascade::handle<T>, true);

namespace pybind11 {
// TopoDS_Shape has no vtable: pick the Python class from ShapeType(). The
// subtypes add no data, so the object itself serves as the subtype.
template <>
struct polymorphic_type_hook<TopoDS_Shape> {
  static const void* get(const TopoDS_Shape* src, const std::type_info*& type) {
    // In TopAbs_ShapeEnum's order; TopAbs_SHAPE has no subtype.
    static const std::type_info* const subtypes[] = {
        &typeid(TopoDS_Compound), &typeid(TopoDS_CompSolid), &typeid(TopoDS_Solid), &typeid(TopoDS_Shell),
        &typeid(TopoDS_Face),     &typeid(TopoDS_Wire),      &typeid(TopoDS_Edge),  &typeid(TopoDS_Vertex)};
    type = nullptr;
    if (src && !src->IsNull() && src->ShapeType() < TopAbs_SHAPE) type = subtypes[src->ShapeType()];
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
  return instance<TopoDS_Shape, TopoDS_Shape>(v, what, "a kernel shape");
}

// A kernel shape, or None for the null shape.
inline TopoDS_Shape shape_or_null(pyb::handle v, std::string_view what) {
  return instance_or_null<TopoDS_Shape, TopoDS_Shape>(v, what, "a kernel shape or None");
}

// Any iterable of kernel shapes (text is not one); None among them is refused.
inline std::vector<TopoDS_Shape> shapes(pyb::handle v, std::string_view what) {
  auto refuse = [&] { wrong_type(what, "an iterable of kernel shapes", v); };
  if (PyUnicode_Check(v.ptr())) refuse();
  const std::string item = "each item of " + std::string(what);
  std::vector<TopoDS_Shape> out;
  for_each_item(v, refuse, [&](pyb::handle s) {
    out.push_back(shape(s, item));
    return true;
  });
  return out;
}

}  // namespace from_py

// None for "no kernel shape", the shape (as its subtype) otherwise.
inline typing::typed<typing::shape_or_none_name> shape_or_none(const TopoDS_Shape& s) {
  if (s.IsNull()) return pyb::none();
  return pyb::cast(s);
}

// ---- kernel answers as Python sees them ----

namespace to_py {

template <class T>
struct is_tuple_like : std::false_type {};
template <class... T>
struct is_tuple_like<std::tuple<T...>> : std::true_type {};
template <class A, class B>
struct is_tuple_like<std::pair<A, B>> : std::true_type {};

// Appends v to out: a point or direction as its x, y, z; a pair or tuple
// item by item; anything else as its Python object.
template <class T>
void flatten(pyb::list& out, const T& v) {
  if constexpr (std::is_same_v<T, gp_XYZ>) {
    out.append(v.X());
    out.append(v.Y());
    out.append(v.Z());
  } else if constexpr (std::is_same_v<T, gp_Pnt> || std::is_same_v<T, gp_Dir>) {
    flatten(out, v.XYZ());
  } else if constexpr (is_tuple_like<T>::value) {
    std::apply([&out](const auto&... item) { (flatten(out, item), ...); }, v);
  } else {
    out.append(pyb::cast(v));
  }
}

template <class T>
pyb::tuple flat_tuple(const T& v) {
  pyb::list out;
  flatten(out, v);
  return pyb::tuple(out);
}

}  // namespace to_py

// A kernel call whose answer Python reads in the kernel's own form, `Form`
// turning it into that: a member function's self is its class.
template <class Form, auto F, class Signature = decltype(F)>
struct answered_call;
template <class Form, auto F, class R, class... A>
struct answered_call<Form, F, R (*)(A...)> {
  static auto call(A... a) { return Form{}(F(std::forward<A>(a)...)); }
};
template <class Form, auto F, class R, class C, class... A>
struct answered_call<Form, F, R (C::*)(A...) const> {
  static auto call(const C& self, A... a) { return Form{}((self.*F)(std::forward<A>(a)...)); }
};

struct flat_tuple_form {
  template <class T>
  pyb::tuple operator()(const T& v) const { return to_py::flat_tuple(v); }
};
struct shape_object_form {
  typing::typed<typing::shape_name> operator()(const TopoDS_Shape& s) const { return pyb::cast(s); }
};

// Points, directions, pairs and tuples of them as one flat tuple, as the
// kernel's out-parameters give it: `def(view, "Proj", tupled<&k::projection>, doc)`.
template <auto F>
constexpr auto tupled = &answered_call<flat_tuple_form, F>::call;
// A shape as the kernel's own objects answer one: a null shape is a shape
// object too (IsNull() is true), not None.
template <auto F>
constexpr auto kernel_shape = &answered_call<shape_object_form, F>::call;

// Kernel objects held by handle compare and hash as the object: two Python
// wrappers of one kernel object are equal and hash alike.
template <class T>
bool same_object(const T& a, pyb::handle b) {
  return pyb::isinstance<T>(b) && &a == &b.cast<const T&>();
}
template <class T>
std::size_t object_hash(const T& a) {
  return std::hash<const void*>()(&a);
}

// ---- the kernel's enumerations ----

// A kernel enumeration under `scope` (a module or a class), its members
// exported beside it, each named as the kernel names it (a class's scope
// left off): NIMBAL_PY_KERNEL_ENUM(m, TopAbs_Orientation, TopAbs_FORWARD, ...).
#define NIMBAL_PY_KERNEL_ENUM(scope, E, ...) nimbal::py::bind_enum<E>(scope, #E, #__VA_ARGS__, {__VA_ARGS__})

// `names`: the members' spellings, as the macro gives them ("A, B, C").
template <class E, class Scope>
void bind_enum(Scope& scope, const char* name, std::string_view names, std::initializer_list<E> members) {
  auto unscoped = [](std::string_view s) {
    const std::size_t at = s.rfind("::");
    return at == std::string_view::npos ? s : s.substr(at + 2);
  };
  pyb::enum_<E> e(scope, unscoped(name).data());  // the rest of a literal: lives as long as the module
  for (E member : members) {
    names.remove_prefix(std::min(names.find_first_not_of(", \n"), names.size()));
    const std::string_view spelled = names.substr(0, names.find_first_of(", \n"));
    names.remove_prefix(spelled.size());
    e.value(std::string(unscoped(spelled)).c_str(), member);
  }
  e.export_values();
}

}  // namespace nimbal::py
