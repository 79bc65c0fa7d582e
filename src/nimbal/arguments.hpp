// What a parameter or a result means where its plain C++ type does not say
// it: a shape the caller may leave out, any value where a shape is looked
// for, a record the caller may leave out, a shape or pointer that is always
// made, a map the call fills. A plain
// `const TopoDS_Shape&` is a shape the caller must give, a plain
// `std::shared_ptr<R>` a record the caller must give. The embedding layer
// converts each of these types one way wherever it appears.
#pragma once

#include <memory>
#include <utility>

#include <TopoDS_Shape.hxx>

#include "nimbal/host_value.hpp"

namespace nimbal {

// A shape the caller may leave out: none given is the null shape, which the
// operation answers by its own rule.
struct NullableShape : TopoDS_Shape {
  NullableShape() = default;
  NullableShape(TopoDS_Shape s) : TopoDS_Shape(std::move(s)) {}  // NOLINT: implicit on purpose
};

// Any value where the operation looks for a shape: None or a value of
// another kind is no shape, which the operation answers by its own rule
// (it is never refused for its kind).
struct MaybeShape : HostValue<TopoDS_Shape> {
  using HostValue<TopoDS_Shape>::HostValue;
};

// A record (or other shared object) the caller may leave out: a null
// pointer. A raw pointer converts without taking ownership.
template <class R>
struct Nullable : std::shared_ptr<R> {
  Nullable() = default;
  Nullable(std::nullptr_t) {}                                              // NOLINT: implicit on purpose
  template <class D>
  Nullable(std::shared_ptr<D> p) : std::shared_ptr<R>(std::move(p)) {}    // NOLINT: implicit on purpose
  Nullable(R* p) : std::shared_ptr<R>(std::shared_ptr<void>(), p) {}       // NOLINT: implicit on purpose
};

// A shape result the call always makes (never null): where the kernel makes
// none the call raises.
struct BuiltShape : TopoDS_Shape {
  explicit BuiltShape(TopoDS_Shape shape) : TopoDS_Shape(std::move(shape)) {}
};

// A pointer result the call always fills (never null).
template <class T>
struct NeverNull : std::shared_ptr<T> {
  NeverNull() = default;
  template <class D>
  NeverNull(std::shared_ptr<D> p) : std::shared_ptr<T>(std::move(p)) {}  // NOLINT: implicit on purpose
};

// A map the call fills, read by the caller once the call has returned.
// `OrNone`: the caller may leave it out (a null pointer: not wanted);
// otherwise the call refuses a null one itself.
template <class Map, bool OrNone>
struct Filled {
  Map* map = nullptr;
  Filled(Map* m = nullptr) : map(m) {}     // NOLINT: implicit on purpose
  operator Map*() const { return map; }    // NOLINT: implicit on purpose
  Map* operator->() const { return map; }
};

}  // namespace nimbal
