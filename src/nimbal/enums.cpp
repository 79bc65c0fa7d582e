#include "nimbal/enums.hpp"

namespace nimbal {

const std::array<std::string_view, 22> EnumInfo<ShapeType>::names = {
    "BOX", "SPHERE", "CYLINDER", "CONE", "TORUS", "RECTANGLE", "CIRCLE", "IMPORTED",
    "FACE", "ARRAY", "FILLET", "CORNER_ROUND", "POLYLINE_ROUND", "PLANE", "SKETCH",
    "POLYLINE", "EXTRUDE", "UNION", "SUBTRACTION", "LINE", "ARC", "SKETCH_POLYLINE"};
const std::array<std::string_view, 22> EnumInfo<ShapeType>::values = {
    "box", "sphere", "cylinder", "cone", "torus", "rectangle", "circle", "imported",
    "face", "array", "fillet", "corner_round", "polyline_round", "plane", "sketch",
    "polyline", "extrude", "union", "subtraction", "line", "arc", "sketch_polyline"};

const std::array<std::string_view, 6> EnumInfo<ShapeCategory>::names = {
    "SOLID_PRIMITIVE", "PLANAR_PRIMITIVE", "CURVE_PRIMITIVE", "BOOLEAN_OP", "MODIFIER_OP",
    "EXTERNAL"};
const std::array<std::string_view, 6> EnumInfo<ShapeCategory>::values = {
    "solid_primitive", "planar_primitive", "curve_primitive", "boolean_op", "modifier_op",
    "external"};

const std::array<std::string_view, 3> EnumInfo<StandardPlane>::names = {"XY", "XZ", "YZ"};
const std::array<std::string_view, 3> EnumInfo<StandardPlane>::values = {"xy", "xz", "yz"};

const std::array<std::string_view, 3> EnumInfo<DisplayMode>::names = {"SHADED", "WIREFRAME",
                                                                      "BOTH"};
const std::array<std::string_view, 3> EnumInfo<DisplayMode>::values = {"shaded", "wireframe",
                                                                       "both"};

const std::array<std::string_view, 2> EnumInfo<ProjectionType>::names = {"ORTHOGRAPHIC",
                                                                         "PERSPECTIVE"};
const std::array<std::string_view, 2> EnumInfo<ProjectionType>::values = {"orthographic",
                                                                          "perspective"};

const std::array<std::string_view, 7> EnumInfo<ViewDirection>::names = {
    "TOP", "BOTTOM", "FRONT", "BACK", "LEFT", "RIGHT", "ISO"};
const std::array<std::string_view, 7> EnumInfo<ViewDirection>::values = {
    "top", "bottom", "front", "back", "left", "right", "iso"};

const std::array<std::string_view, 4> EnumInfo<SelectionMode>::names = {"VOLUME", "SURFACE",
                                                                        "EDGE", "VERTEX"};
const std::array<std::string_view, 4> EnumInfo<SelectionMode>::values = {"volume", "surface",
                                                                         "edge", "vertex"};

ShapeCategory category(ShapeType t) {
  switch (t) {
    case ShapeType::BOX:
    case ShapeType::SPHERE:
    case ShapeType::CYLINDER:
    case ShapeType::CONE:
    case ShapeType::TORUS:
      return ShapeCategory::SOLID_PRIMITIVE;
    case ShapeType::RECTANGLE:
    case ShapeType::CIRCLE:
    case ShapeType::PLANE:
    case ShapeType::SKETCH:
      return ShapeCategory::PLANAR_PRIMITIVE;
    case ShapeType::POLYLINE:
    case ShapeType::LINE:
    case ShapeType::ARC:
    case ShapeType::SKETCH_POLYLINE:
      return ShapeCategory::CURVE_PRIMITIVE;
    case ShapeType::UNION:
    case ShapeType::SUBTRACTION:
      return ShapeCategory::BOOLEAN_OP;
    case ShapeType::ARRAY:
    case ShapeType::FILLET:
    case ShapeType::CORNER_ROUND:
    case ShapeType::POLYLINE_ROUND:
    case ShapeType::EXTRUDE:
      return ShapeCategory::MODIFIER_OP;
    case ShapeType::IMPORTED:
    case ShapeType::FACE:
      return ShapeCategory::EXTERNAL;
  }
  return ShapeCategory::EXTERNAL;
}

bool is_volume_shape_type(ShapeType t) {
  switch (t) {
    case ShapeType::BOX:
    case ShapeType::SPHERE:
    case ShapeType::CYLINDER:
    case ShapeType::CONE:
    case ShapeType::TORUS:
    case ShapeType::IMPORTED:
    case ShapeType::UNION:
    case ShapeType::SUBTRACTION:
    case ShapeType::ARRAY:
    case ShapeType::FILLET:
    case ShapeType::EXTRUDE:
      return true;
    default:
      return false;
  }
}

bool is_decomposable_shape_type(ShapeType t) {
  switch (t) {
    case ShapeType::UNION:
    case ShapeType::SUBTRACTION:
    case ShapeType::FILLET:
    case ShapeType::CORNER_ROUND:
    case ShapeType::POLYLINE_ROUND:
    case ShapeType::ARRAY:
    case ShapeType::EXTRUDE:
      return true;
    default:
      return false;
  }
}

}  // namespace nimbal
