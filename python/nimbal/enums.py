"""Enumerations and shape-type sets shared by the nimbal modules."""

from enum import Enum


class ShapeCategory(Enum):
    """The family a ShapeType belongs to; a modifier's base is its first component."""

    SOLID_PRIMITIVE = "solid_primitive"
    PLANAR_PRIMITIVE = "planar_primitive"
    CURVE_PRIMITIVE = "curve_primitive"
    BOOLEAN_OP = "boolean_op"
    MODIFIER_OP = "modifier_op"
    EXTERNAL = "external"


class ShapeType(Enum):
    """Every kind of shape the managers make.

    The value, a lower-case word, is joined into shape ids, display names and
    undo descriptions and written to project files; ShapeType(value) gives
    the member back.
    """

    BOX = "box"
    SPHERE = "sphere"
    CYLINDER = "cylinder"
    CONE = "cone"
    TORUS = "torus"
    RECTANGLE = "rectangle"
    CIRCLE = "circle"
    IMPORTED = "imported"
    FACE = "face"
    ARRAY = "array"
    FILLET = "fillet"
    CORNER_ROUND = "corner_round"
    POLYLINE_ROUND = "polyline_round"
    PLANE = "plane"
    SKETCH = "sketch"
    POLYLINE = "polyline"
    EXTRUDE = "extrude"
    UNION = "union"
    SUBTRACTION = "subtraction"
    LINE = "line"
    ARC = "arc"
    SKETCH_POLYLINE = "sketch_polyline"

    @property
    def category(self) -> ShapeCategory:
        """The member's ShapeCategory."""
        return _CATEGORIES[self]


_C = ShapeCategory
_T = ShapeType
_CATEGORIES = {
    _T.BOX: _C.SOLID_PRIMITIVE,
    _T.SPHERE: _C.SOLID_PRIMITIVE,
    _T.CYLINDER: _C.SOLID_PRIMITIVE,
    _T.CONE: _C.SOLID_PRIMITIVE,
    _T.TORUS: _C.SOLID_PRIMITIVE,
    _T.RECTANGLE: _C.PLANAR_PRIMITIVE,
    _T.CIRCLE: _C.PLANAR_PRIMITIVE,
    _T.PLANE: _C.PLANAR_PRIMITIVE,
    _T.SKETCH: _C.PLANAR_PRIMITIVE,
    _T.POLYLINE: _C.CURVE_PRIMITIVE,
    _T.LINE: _C.CURVE_PRIMITIVE,
    _T.ARC: _C.CURVE_PRIMITIVE,
    _T.SKETCH_POLYLINE: _C.CURVE_PRIMITIVE,
    _T.UNION: _C.BOOLEAN_OP,
    _T.SUBTRACTION: _C.BOOLEAN_OP,
    _T.ARRAY: _C.MODIFIER_OP,
    _T.FILLET: _C.MODIFIER_OP,
    _T.CORNER_ROUND: _C.MODIFIER_OP,
    _T.POLYLINE_ROUND: _C.MODIFIER_OP,
    _T.EXTRUDE: _C.MODIFIER_OP,
    _T.IMPORTED: _C.EXTERNAL,
    _T.FACE: _C.EXTERNAL,
}


class StandardPlane(Enum):
    """The three planes through the origin a reference plane can be made from."""

    XY = "xy"
    XZ = "xz"
    YZ = "yz"


class DisplayMode(Enum):
    """How the view draws shapes: shaded faces, edges only, or both."""

    SHADED = "shaded"
    WIREFRAME = "wireframe"
    BOTH = "both"


class ProjectionType(Enum):
    """The view camera's projection."""

    ORTHOGRAPHIC = "orthographic"
    PERSPECTIVE = "perspective"


class ViewDirection(Enum):
    """Where the view looks from: the six axis directions or the isometric corner."""

    TOP = "top"
    BOTTOM = "bottom"
    FRONT = "front"
    BACK = "back"
    LEFT = "left"
    RIGHT = "right"
    ISO = "iso"


class SelectionMode(Enum):
    """What a pick in the view selects: whole shapes, faces, edges or vertices."""

    VOLUME = "volume"
    SURFACE = "surface"
    EDGE = "edge"
    VERTEX = "vertex"


# Types whose shapes have faces worth splitting off: the solids and what is
# derived from solids. Planar shapes, planes and sketches are already faces
# or have none.
VOLUME_SHAPE_TYPES = frozenset({
    _T.BOX, _T.SPHERE, _T.CYLINDER, _T.CONE, _T.TORUS, _T.IMPORTED,
    _T.UNION, _T.SUBTRACTION, _T.ARRAY, _T.FILLET, _T.EXTRUDE,
})

DECOMPOSABLE_SHAPE_TYPES = frozenset({
    _T.UNION, _T.SUBTRACTION, _T.FILLET, _T.CORNER_ROUND, _T.POLYLINE_ROUND,
    _T.ARRAY, _T.EXTRUDE,
})

del _C, _T

__all__ = [
    "ShapeCategory", "ShapeType", "StandardPlane", "DisplayMode", "ProjectionType",
    "ViewDirection", "SelectionMode", "VOLUME_SHAPE_TYPES", "DECOMPOSABLE_SHAPE_TYPES",
]
