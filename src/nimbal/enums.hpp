// C++ mirror of the package's enumeration module `nimbal.enums`. Members are
// matched to the Python members by name; values and categories agree with
// the Python module (checked by the test suite).
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace nimbal {

enum class ShapeType {
  BOX, SPHERE, CYLINDER, CONE, TORUS, RECTANGLE, CIRCLE, IMPORTED, FACE, ARRAY,
  FILLET, CORNER_ROUND, POLYLINE_ROUND, PLANE, SKETCH, POLYLINE, EXTRUDE, UNION,
  SUBTRACTION, LINE, ARC, SKETCH_POLYLINE,
};
enum class ShapeCategory {
  SOLID_PRIMITIVE, PLANAR_PRIMITIVE, CURVE_PRIMITIVE, BOOLEAN_OP, MODIFIER_OP, EXTERNAL,
};
enum class StandardPlane { XY, XZ, YZ };
enum class DisplayMode { SHADED, WIREFRAME, BOTH };
enum class ProjectionType { ORTHOGRAPHIC, PERSPECTIVE };
enum class ViewDirection { TOP, BOTTOM, FRONT, BACK, LEFT, RIGHT, ISO };
enum class SelectionMode { VOLUME, SURFACE, EDGE, VERTEX };

// Per enumeration: its Python class name and its members' names and values,
// indexed by the C++ enumerator.
template <class E> struct EnumInfo;

#define NIMBAL_ENUM_INFO(E, N)                                     \
  template <> struct EnumInfo<E> {                                 \
    static constexpr std::string_view python_name = #E;            \
    static const std::array<std::string_view, N> names;            \
    static const std::array<std::string_view, N> values;           \
  };
NIMBAL_ENUM_INFO(ShapeType, 22)
NIMBAL_ENUM_INFO(ShapeCategory, 6)
NIMBAL_ENUM_INFO(StandardPlane, 3)
NIMBAL_ENUM_INFO(DisplayMode, 3)
NIMBAL_ENUM_INFO(ProjectionType, 2)
NIMBAL_ENUM_INFO(ViewDirection, 7)
NIMBAL_ENUM_INFO(SelectionMode, 4)
#undef NIMBAL_ENUM_INFO

template <class E> std::string_view enum_name(E e) {
  return EnumInfo<E>::names[static_cast<std::size_t>(e)];
}
template <class E> std::string_view enum_value(E e) {
  return EnumInfo<E>::values[static_cast<std::size_t>(e)];
}
template <class E> std::optional<E> enum_from_name(std::string_view name) {
  const auto& names = EnumInfo<E>::names;
  for (std::size_t i = 0; i < names.size(); ++i)
    if (names[i] == name) return static_cast<E>(i);
  return std::nullopt;
}
template <class E> std::optional<E> enum_from_value(std::string_view value) {
  const auto& values = EnumInfo<E>::values;
  for (std::size_t i = 0; i < values.size(); ++i)
    if (values[i] == value) return static_cast<E>(i);
  return std::nullopt;
}

ShapeCategory category(ShapeType t);
// Types whose shapes have faces worth splitting off.
bool is_volume_shape_type(ShapeType t);
bool is_decomposable_shape_type(ShapeType t);

}  // namespace nimbal
