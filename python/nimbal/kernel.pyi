# Generated from the built modules by scripts/stubs.sh; do not edit.
"""Kernel objects and shape queries of nimbal.

The shapes the other modules take and give, the viewer objects a host builds
a 3D view from (display connection, graphic driver, window, viewer, view,
interactive context and objects), and queries that measure a shape. A failure
inside the kernel raises KernelError.
"""

import typing

class KernelError(RuntimeError):
    """A kernel operation failed; the message is the kernel's own."""

class TopAbs_ShapeEnum:
    """Members:

      TopAbs_COMPOUND

      TopAbs_COMPSOLID

      TopAbs_SOLID

      TopAbs_SHELL

      TopAbs_FACE

      TopAbs_WIRE

      TopAbs_EDGE

      TopAbs_VERTEX

      TopAbs_SHAPE
    """
    def __init__(self, value: int) -> None: ...
    def __repr__(self) -> str: ...
    @property
    def name(self) -> str: ...
    def __str__(self) -> str: ...
    @property
    def __members__(self) -> dict[typing.Any, typing.Any]: ...
    def __eq__(self, other: object) -> bool: ...
    def __ne__(self, other: object) -> bool: ...
    def __hash__(self) -> int: ...
    @property
    def value(self) -> int: ...
    def __int__(self) -> int: ...
    def __index__(self) -> int: ...
    TopAbs_COMPOUND: typing.ClassVar[TopAbs_ShapeEnum]
    TopAbs_COMPSOLID: typing.ClassVar[TopAbs_ShapeEnum]
    TopAbs_SOLID: typing.ClassVar[TopAbs_ShapeEnum]
    TopAbs_SHELL: typing.ClassVar[TopAbs_ShapeEnum]
    TopAbs_FACE: typing.ClassVar[TopAbs_ShapeEnum]
    TopAbs_WIRE: typing.ClassVar[TopAbs_ShapeEnum]
    TopAbs_EDGE: typing.ClassVar[TopAbs_ShapeEnum]
    TopAbs_VERTEX: typing.ClassVar[TopAbs_ShapeEnum]
    TopAbs_SHAPE: typing.ClassVar[TopAbs_ShapeEnum]
TopAbs_COMPOUND: TopAbs_ShapeEnum
TopAbs_COMPSOLID: TopAbs_ShapeEnum
TopAbs_SOLID: TopAbs_ShapeEnum
TopAbs_SHELL: TopAbs_ShapeEnum
TopAbs_FACE: TopAbs_ShapeEnum
TopAbs_WIRE: TopAbs_ShapeEnum
TopAbs_EDGE: TopAbs_ShapeEnum
TopAbs_VERTEX: TopAbs_ShapeEnum
TopAbs_SHAPE: TopAbs_ShapeEnum

class TopAbs_Orientation:
    """Members:

      TopAbs_FORWARD

      TopAbs_REVERSED

      TopAbs_INTERNAL

      TopAbs_EXTERNAL
    """
    def __init__(self, value: int) -> None: ...
    def __repr__(self) -> str: ...
    @property
    def name(self) -> str: ...
    def __str__(self) -> str: ...
    @property
    def __members__(self) -> dict[typing.Any, typing.Any]: ...
    def __eq__(self, other: object) -> bool: ...
    def __ne__(self, other: object) -> bool: ...
    def __hash__(self) -> int: ...
    @property
    def value(self) -> int: ...
    def __int__(self) -> int: ...
    def __index__(self) -> int: ...
    TopAbs_FORWARD: typing.ClassVar[TopAbs_Orientation]
    TopAbs_REVERSED: typing.ClassVar[TopAbs_Orientation]
    TopAbs_INTERNAL: typing.ClassVar[TopAbs_Orientation]
    TopAbs_EXTERNAL: typing.ClassVar[TopAbs_Orientation]
TopAbs_FORWARD: TopAbs_Orientation
TopAbs_REVERSED: TopAbs_Orientation
TopAbs_INTERNAL: TopAbs_Orientation
TopAbs_EXTERNAL: TopAbs_Orientation

class TopoDS_Shape:
    """A kernel shape: a null shape, or a topology of the type ShapeType() names.

    Shapes compare (==) and hash by IsSame: the same topology, whatever its orientation.
    """
    def __init__(self) -> None: ...
    def IsNull(self) -> bool:
        """Whether the shape holds no topology."""
    def ShapeType(self) -> TopAbs_ShapeEnum:
        """The topology's type (compound down to vertex).

        Raises KernelError for a null shape.
        """
    def Orientation(self) -> TopAbs_Orientation:
        """The shape's orientation (forward, reversed, internal or external).

        Raises KernelError for a null shape.
        """
    def IsSame(self, other: TopoDS_Shape) -> bool:
        """Whether other shares this shape's topology and location, whatever the orientation."""
    def IsEqual(self, other: TopoDS_Shape) -> bool:
        """Whether other shares topology, location and orientation."""
    def IsPartner(self, other: TopoDS_Shape) -> bool:
        """Whether other shares this shape's topology, whatever the location and orientation."""
    def Reversed(self) -> TopoDS_Shape:
        """A copy with the opposite orientation.

        Raises KernelError for a null shape.
        """
    def NbChildren(self) -> int:
        """Number of direct sub-shapes."""
    def __eq__(self, other: object) -> bool: ...
    def __hash__(self) -> int: ...
    def __ne__(self, other: object) -> bool: ...
    def __repr__(self) -> str: ...

class TopoDS_Compound(TopoDS_Shape):
    """A kernel compound: any shapes grouped."""
    def __init__(self) -> None:
        """A null shape of this type."""

class TopoDS_CompSolid(TopoDS_Shape):
    """A kernel compound solid: solids sharing faces."""
    def __init__(self) -> None:
        """A null shape of this type."""

class TopoDS_Solid(TopoDS_Shape):
    """A kernel solid."""
    def __init__(self) -> None:
        """A null shape of this type."""

class TopoDS_Shell(TopoDS_Shape):
    """A kernel shell: faces joined at their edges."""
    def __init__(self) -> None:
        """A null shape of this type."""

class TopoDS_Face(TopoDS_Shape):
    """A kernel face."""
    def __init__(self) -> None:
        """A null shape of this type."""

class TopoDS_Wire(TopoDS_Shape):
    """A kernel wire: edges joined end to end."""
    def __init__(self) -> None:
        """A null shape of this type."""

class TopoDS_Edge(TopoDS_Shape):
    """A kernel edge."""
    def __init__(self) -> None:
        """A null shape of this type."""

class TopoDS_Vertex(TopoDS_Shape):
    """A kernel vertex."""
    def __init__(self) -> None:
        """A null shape of this type."""

def volume(shape: TopoDS_Shape) -> float:
    """Volume of the shape's solids (0 for a null shape)."""

def area(shape: TopoDS_Shape) -> float:
    """Area of the shape's faces (0 for a null shape)."""

def length(shape: TopoDS_Shape) -> float:
    """Length of the shape's edges (0 for a null shape)."""

def bounding_box(shape: TopoDS_Shape) -> tuple[float, float, float, float, float, float] | None:
    """(xmin, ymin, zmin, xmax, ymax, zmax) of the exact bounds, or None for a null or empty shape."""

def sub_shapes(shape: TopoDS_Shape, type: TopAbs_ShapeEnum) -> list[TopoDS_Shape]:
    """Unique sub-shapes of the type, in TopExp::MapShapes order (the sub-shape indices)."""

def is_valid(shape: TopoDS_Shape) -> bool:
    """BRepCheck_Analyzer's verdict; False for a null shape."""

class Quantity_TypeOfColor:
    """Members:

      Quantity_TOC_RGB

      Quantity_TOC_sRGB

      Quantity_TOC_HLS

      Quantity_TOC_CIELab

      Quantity_TOC_CIELch
    """
    def __init__(self, value: int) -> None: ...
    def __repr__(self) -> str: ...
    @property
    def name(self) -> str: ...
    def __str__(self) -> str: ...
    @property
    def __members__(self) -> dict[typing.Any, typing.Any]: ...
    def __eq__(self, other: object) -> bool: ...
    def __ne__(self, other: object) -> bool: ...
    def __hash__(self) -> int: ...
    @property
    def value(self) -> int: ...
    def __int__(self) -> int: ...
    def __index__(self) -> int: ...
    Quantity_TOC_RGB: typing.ClassVar[Quantity_TypeOfColor]
    Quantity_TOC_sRGB: typing.ClassVar[Quantity_TypeOfColor]
    Quantity_TOC_HLS: typing.ClassVar[Quantity_TypeOfColor]
    Quantity_TOC_CIELab: typing.ClassVar[Quantity_TypeOfColor]
    Quantity_TOC_CIELch: typing.ClassVar[Quantity_TypeOfColor]
Quantity_TOC_RGB: Quantity_TypeOfColor
Quantity_TOC_sRGB: Quantity_TypeOfColor
Quantity_TOC_HLS: Quantity_TypeOfColor
Quantity_TOC_CIELab: Quantity_TypeOfColor
Quantity_TOC_CIELch: Quantity_TypeOfColor

class Quantity_NameOfColor:
    """Members:

      Quantity_NOC_BLACK

      Quantity_NOC_WHITE

      Quantity_NOC_RED

      Quantity_NOC_GREEN

      Quantity_NOC_BLUE1

      Quantity_NOC_CYAN1

      Quantity_NOC_YELLOW

      Quantity_NOC_GRAY
    """
    def __init__(self, value: int) -> None: ...
    def __repr__(self) -> str: ...
    @property
    def name(self) -> str: ...
    def __str__(self) -> str: ...
    @property
    def __members__(self) -> dict[typing.Any, typing.Any]: ...
    def __eq__(self, other: object) -> bool: ...
    def __ne__(self, other: object) -> bool: ...
    def __hash__(self) -> int: ...
    @property
    def value(self) -> int: ...
    def __int__(self) -> int: ...
    def __index__(self) -> int: ...
    Quantity_NOC_BLACK: typing.ClassVar[Quantity_NameOfColor]
    Quantity_NOC_WHITE: typing.ClassVar[Quantity_NameOfColor]
    Quantity_NOC_RED: typing.ClassVar[Quantity_NameOfColor]
    Quantity_NOC_GREEN: typing.ClassVar[Quantity_NameOfColor]
    Quantity_NOC_BLUE1: typing.ClassVar[Quantity_NameOfColor]
    Quantity_NOC_CYAN1: typing.ClassVar[Quantity_NameOfColor]
    Quantity_NOC_YELLOW: typing.ClassVar[Quantity_NameOfColor]
    Quantity_NOC_GRAY: typing.ClassVar[Quantity_NameOfColor]
Quantity_NOC_BLACK: Quantity_NameOfColor
Quantity_NOC_WHITE: Quantity_NameOfColor
Quantity_NOC_RED: Quantity_NameOfColor
Quantity_NOC_GREEN: Quantity_NameOfColor
Quantity_NOC_BLUE1: Quantity_NameOfColor
Quantity_NOC_CYAN1: Quantity_NameOfColor
Quantity_NOC_YELLOW: Quantity_NameOfColor
Quantity_NOC_GRAY: Quantity_NameOfColor

class Aspect_TypeOfTriedronPosition:
    """Members:

      Aspect_TOTP_CENTER

      Aspect_TOTP_TOP

      Aspect_TOTP_BOTTOM

      Aspect_TOTP_LEFT

      Aspect_TOTP_RIGHT

      Aspect_TOTP_LEFT_LOWER

      Aspect_TOTP_LEFT_UPPER

      Aspect_TOTP_RIGHT_LOWER

      Aspect_TOTP_RIGHT_UPPER
    """
    def __init__(self, value: int) -> None: ...
    def __repr__(self) -> str: ...
    @property
    def name(self) -> str: ...
    def __str__(self) -> str: ...
    @property
    def __members__(self) -> dict[typing.Any, typing.Any]: ...
    def __eq__(self, other: object) -> bool: ...
    def __ne__(self, other: object) -> bool: ...
    def __hash__(self) -> int: ...
    @property
    def value(self) -> int: ...
    def __int__(self) -> int: ...
    def __index__(self) -> int: ...
    Aspect_TOTP_CENTER: typing.ClassVar[Aspect_TypeOfTriedronPosition]
    Aspect_TOTP_TOP: typing.ClassVar[Aspect_TypeOfTriedronPosition]
    Aspect_TOTP_BOTTOM: typing.ClassVar[Aspect_TypeOfTriedronPosition]
    Aspect_TOTP_LEFT: typing.ClassVar[Aspect_TypeOfTriedronPosition]
    Aspect_TOTP_RIGHT: typing.ClassVar[Aspect_TypeOfTriedronPosition]
    Aspect_TOTP_LEFT_LOWER: typing.ClassVar[Aspect_TypeOfTriedronPosition]
    Aspect_TOTP_LEFT_UPPER: typing.ClassVar[Aspect_TypeOfTriedronPosition]
    Aspect_TOTP_RIGHT_LOWER: typing.ClassVar[Aspect_TypeOfTriedronPosition]
    Aspect_TOTP_RIGHT_UPPER: typing.ClassVar[Aspect_TypeOfTriedronPosition]
Aspect_TOTP_CENTER: Aspect_TypeOfTriedronPosition
Aspect_TOTP_TOP: Aspect_TypeOfTriedronPosition
Aspect_TOTP_BOTTOM: Aspect_TypeOfTriedronPosition
Aspect_TOTP_LEFT: Aspect_TypeOfTriedronPosition
Aspect_TOTP_RIGHT: Aspect_TypeOfTriedronPosition
Aspect_TOTP_LEFT_LOWER: Aspect_TypeOfTriedronPosition
Aspect_TOTP_LEFT_UPPER: Aspect_TypeOfTriedronPosition
Aspect_TOTP_RIGHT_LOWER: Aspect_TypeOfTriedronPosition
Aspect_TOTP_RIGHT_UPPER: Aspect_TypeOfTriedronPosition

class V3d_TypeOfVisualization:
    """Members:

      V3d_WIREFRAME

      V3d_ZBUFFER
    """
    def __init__(self, value: int) -> None: ...
    def __repr__(self) -> str: ...
    @property
    def name(self) -> str: ...
    def __str__(self) -> str: ...
    @property
    def __members__(self) -> dict[typing.Any, typing.Any]: ...
    def __eq__(self, other: object) -> bool: ...
    def __ne__(self, other: object) -> bool: ...
    def __hash__(self) -> int: ...
    @property
    def value(self) -> int: ...
    def __int__(self) -> int: ...
    def __index__(self) -> int: ...
    V3d_WIREFRAME: typing.ClassVar[V3d_TypeOfVisualization]
    V3d_ZBUFFER: typing.ClassVar[V3d_TypeOfVisualization]
V3d_WIREFRAME: V3d_TypeOfVisualization
V3d_ZBUFFER: V3d_TypeOfVisualization

class Aspect_GradientFillMethod:
    """Members:

      Aspect_GradientFillMethod_None

      Aspect_GradientFillMethod_Horizontal

      Aspect_GradientFillMethod_Vertical

      Aspect_GradientFillMethod_Diagonal1

      Aspect_GradientFillMethod_Diagonal2

      Aspect_GradientFillMethod_Corner1

      Aspect_GradientFillMethod_Corner2

      Aspect_GradientFillMethod_Corner3

      Aspect_GradientFillMethod_Corner4

      Aspect_GradientFillMethod_Elliptical
    """
    def __init__(self, value: int) -> None: ...
    def __repr__(self) -> str: ...
    @property
    def name(self) -> str: ...
    def __str__(self) -> str: ...
    @property
    def __members__(self) -> dict[typing.Any, typing.Any]: ...
    def __eq__(self, other: object) -> bool: ...
    def __ne__(self, other: object) -> bool: ...
    def __hash__(self) -> int: ...
    @property
    def value(self) -> int: ...
    def __int__(self) -> int: ...
    def __index__(self) -> int: ...
    Aspect_GradientFillMethod_None: typing.ClassVar[Aspect_GradientFillMethod]
    Aspect_GradientFillMethod_Horizontal: typing.ClassVar[Aspect_GradientFillMethod]
    Aspect_GradientFillMethod_Vertical: typing.ClassVar[Aspect_GradientFillMethod]
    Aspect_GradientFillMethod_Diagonal1: typing.ClassVar[Aspect_GradientFillMethod]
    Aspect_GradientFillMethod_Diagonal2: typing.ClassVar[Aspect_GradientFillMethod]
    Aspect_GradientFillMethod_Corner1: typing.ClassVar[Aspect_GradientFillMethod]
    Aspect_GradientFillMethod_Corner2: typing.ClassVar[Aspect_GradientFillMethod]
    Aspect_GradientFillMethod_Corner3: typing.ClassVar[Aspect_GradientFillMethod]
    Aspect_GradientFillMethod_Corner4: typing.ClassVar[Aspect_GradientFillMethod]
    Aspect_GradientFillMethod_Elliptical: typing.ClassVar[Aspect_GradientFillMethod]
Aspect_GradientFillMethod_None: Aspect_GradientFillMethod
Aspect_GradientFillMethod_Horizontal: Aspect_GradientFillMethod
Aspect_GradientFillMethod_Vertical: Aspect_GradientFillMethod
Aspect_GradientFillMethod_Diagonal1: Aspect_GradientFillMethod
Aspect_GradientFillMethod_Diagonal2: Aspect_GradientFillMethod
Aspect_GradientFillMethod_Corner1: Aspect_GradientFillMethod
Aspect_GradientFillMethod_Corner2: Aspect_GradientFillMethod
Aspect_GradientFillMethod_Corner3: Aspect_GradientFillMethod
Aspect_GradientFillMethod_Corner4: Aspect_GradientFillMethod
Aspect_GradientFillMethod_Elliptical: Aspect_GradientFillMethod

class Aspect_TypeOfLine:
    """Members:

      Aspect_TOL_EMPTY

      Aspect_TOL_SOLID

      Aspect_TOL_DASH

      Aspect_TOL_DOT

      Aspect_TOL_DOTDASH

      Aspect_TOL_USERDEFINED
    """
    def __init__(self, value: int) -> None: ...
    def __repr__(self) -> str: ...
    @property
    def name(self) -> str: ...
    def __str__(self) -> str: ...
    @property
    def __members__(self) -> dict[typing.Any, typing.Any]: ...
    def __eq__(self, other: object) -> bool: ...
    def __ne__(self, other: object) -> bool: ...
    def __hash__(self) -> int: ...
    @property
    def value(self) -> int: ...
    def __int__(self) -> int: ...
    def __index__(self) -> int: ...
    Aspect_TOL_EMPTY: typing.ClassVar[Aspect_TypeOfLine]
    Aspect_TOL_SOLID: typing.ClassVar[Aspect_TypeOfLine]
    Aspect_TOL_DASH: typing.ClassVar[Aspect_TypeOfLine]
    Aspect_TOL_DOT: typing.ClassVar[Aspect_TypeOfLine]
    Aspect_TOL_DOTDASH: typing.ClassVar[Aspect_TypeOfLine]
    Aspect_TOL_USERDEFINED: typing.ClassVar[Aspect_TypeOfLine]
Aspect_TOL_EMPTY: Aspect_TypeOfLine
Aspect_TOL_SOLID: Aspect_TypeOfLine
Aspect_TOL_DASH: Aspect_TypeOfLine
Aspect_TOL_DOT: Aspect_TypeOfLine
Aspect_TOL_DOTDASH: Aspect_TypeOfLine
Aspect_TOL_USERDEFINED: Aspect_TypeOfLine

class Prs3d_TypeOfHighlight:
    """Members:

      Prs3d_TypeOfHighlight_None

      Prs3d_TypeOfHighlight_Selected

      Prs3d_TypeOfHighlight_Dynamic

      Prs3d_TypeOfHighlight_LocalSelected

      Prs3d_TypeOfHighlight_LocalDynamic

      Prs3d_TypeOfHighlight_SubIntensity
    """
    def __init__(self, value: int) -> None: ...
    def __repr__(self) -> str: ...
    @property
    def name(self) -> str: ...
    def __str__(self) -> str: ...
    @property
    def __members__(self) -> dict[typing.Any, typing.Any]: ...
    def __eq__(self, other: object) -> bool: ...
    def __ne__(self, other: object) -> bool: ...
    def __hash__(self) -> int: ...
    @property
    def value(self) -> int: ...
    def __int__(self) -> int: ...
    def __index__(self) -> int: ...
    Prs3d_TypeOfHighlight_None: typing.ClassVar[Prs3d_TypeOfHighlight]
    Prs3d_TypeOfHighlight_Selected: typing.ClassVar[Prs3d_TypeOfHighlight]
    Prs3d_TypeOfHighlight_Dynamic: typing.ClassVar[Prs3d_TypeOfHighlight]
    Prs3d_TypeOfHighlight_LocalSelected: typing.ClassVar[Prs3d_TypeOfHighlight]
    Prs3d_TypeOfHighlight_LocalDynamic: typing.ClassVar[Prs3d_TypeOfHighlight]
    Prs3d_TypeOfHighlight_SubIntensity: typing.ClassVar[Prs3d_TypeOfHighlight]
Prs3d_TypeOfHighlight_None: Prs3d_TypeOfHighlight
Prs3d_TypeOfHighlight_Selected: Prs3d_TypeOfHighlight
Prs3d_TypeOfHighlight_Dynamic: Prs3d_TypeOfHighlight
Prs3d_TypeOfHighlight_LocalSelected: Prs3d_TypeOfHighlight
Prs3d_TypeOfHighlight_LocalDynamic: Prs3d_TypeOfHighlight
Prs3d_TypeOfHighlight_SubIntensity: Prs3d_TypeOfHighlight

class AIS_DisplayMode:
    """Members:

      AIS_WireFrame

      AIS_Shaded
    """
    def __init__(self, value: int) -> None: ...
    def __repr__(self) -> str: ...
    @property
    def name(self) -> str: ...
    def __str__(self) -> str: ...
    @property
    def __members__(self) -> dict[typing.Any, typing.Any]: ...
    def __eq__(self, other: object) -> bool: ...
    def __ne__(self, other: object) -> bool: ...
    def __hash__(self) -> int: ...
    @property
    def value(self) -> int: ...
    def __int__(self) -> int: ...
    def __index__(self) -> int: ...
    AIS_WireFrame: typing.ClassVar[AIS_DisplayMode]
    AIS_Shaded: typing.ClassVar[AIS_DisplayMode]
AIS_WireFrame: AIS_DisplayMode
AIS_Shaded: AIS_DisplayMode

class Quantity_Color:
    """A colour, stored as RGB components from 0 to 1."""
    @typing.overload
    def __init__(self) -> None: ...
    @typing.overload
    def __init__(self, name: Quantity_NameOfColor) -> None: ...
    @typing.overload
    def __init__(self, r: float, g: float, b: float, type: Quantity_TypeOfColor) -> None: ...
    def Red(self) -> float:
        """The red component, 0 to 1."""
    def Green(self) -> float:
        """The green component, 0 to 1."""
    def Blue(self) -> float:
        """The blue component, 0 to 1."""
    def Values(self, type: Quantity_TypeOfColor) -> tuple[typing.Any, ...]:
        """The three components in the colour system type, as (a, b, c)."""
    def IsEqual(self, other: Quantity_Color) -> bool:
        """Whether other is the same colour."""
    def __eq__(self, other: object) -> bool: ...
    __hash__: typing.ClassVar[None]  # type: ignore[assignment]
    def __repr__(self) -> str: ...

class Prs3d_LineAspect:
    """How lines are drawn: colour, line type and width."""
    def __init__(self, color: Quantity_Color, type: Aspect_TypeOfLine, width: float) -> None: ...
    def SetColor(self, color: Quantity_Color) -> None:
        """Sets the line colour."""
    def SetTypeOfLine(self, type: Aspect_TypeOfLine) -> None:
        """Sets the line type (solid, dashed, ...)."""
    def SetWidth(self, width: float) -> None:
        """Sets the line width in pixels."""
    def Color(self) -> Quantity_Color:
        """The line colour."""
    def Type(self) -> Aspect_TypeOfLine:
        """The line type."""
    def Width(self) -> float:
        """The line width in pixels."""

class Prs3d_Drawer:
    """Drawing attributes of a presentation (colour, transparency, face boundaries)."""
    def __init__(self) -> None: ...
    def SetFaceBoundaryDraw(self, enable: bool) -> None:
        """Sets whether face boundaries are drawn."""
    def FaceBoundaryDraw(self) -> bool:
        """Whether face boundaries are drawn."""
    def SetFaceBoundaryAspect(self, aspect: Prs3d_LineAspect | None) -> None:
        """Sets how face boundaries are drawn.

        Raises KernelError when aspect is None.
        """
    def FaceBoundaryAspect(self) -> Prs3d_LineAspect:
        """How face boundaries are drawn (a Prs3d_LineAspect)."""
    def SetColor(self, color: Quantity_Color) -> None:
        """Sets the colour."""
    def Color(self) -> Quantity_Color:
        """The colour."""
    def Transparency(self) -> float:
        """The transparency, 0 (opaque) to 1."""

class AIS_InteractiveObject:
    """An object a context can display and select.

    Two Python objects of the same kernel object compare equal and hash alike.
    """
    def __eq__(self, other: object) -> bool: ...
    def __hash__(self) -> int: ...
    def SetColor(self, color: Quantity_Color) -> None:
        """Sets the object's colour (redrawn on its context's next update)."""
    def Color(self) -> Quantity_Color:
        """The object's colour."""
    def HasColor(self) -> bool:
        """Whether a colour of its own is set."""
    def UnsetColor(self) -> None:
        """Drops the object's own colour."""
    def SetWidth(self, width: float) -> None:
        """Sets the line width in pixels."""
    def Width(self) -> float:
        """The line width in pixels."""
    def SetTransparency(self, value: float = 0.6) -> None:
        """Sets the transparency, 0 (opaque) to 1."""
    def Transparency(self) -> float:
        """The transparency, 0 (opaque) to 1."""
    def UnsetTransparency(self) -> None:
        """Makes the object opaque again."""
    def Attributes(self) -> Prs3d_Drawer:
        """The object's drawing attributes."""
    def SetAttributes(self, drawer: Prs3d_Drawer | None) -> None:
        """Replaces the object's drawing attributes.

        Raises KernelError when drawer is None.
        """
    def DisplayMode(self) -> int:
        """The object's own display mode (0 wireframe, 1 shaded)."""
    def HasInteractiveContext(self) -> bool:
        """Whether the object is displayed in a context."""

class AIS_Shape(AIS_InteractiveObject):
    """The interactive presentation of a kernel shape."""
    def __init__(self, shape: TopoDS_Shape) -> None: ...
    def Shape(self) -> TopoDS_Shape:
        """The presented shape."""
    def SetShape(self, shape: TopoDS_Shape) -> None:
        """Presents another shape (redrawn on Redisplay)."""

class Aspect_DisplayConnection:
    """A connection to an X display: the default one ($DISPLAY), or display_name."""
    @typing.overload
    def __init__(self) -> None: ...
    @typing.overload
    def __init__(self, display_name: str) -> None: ...

class Graphic3d_GraphicDriver:
    """A graphic driver: what viewers draw with."""

class OpenGl_GraphicDriver(Graphic3d_GraphicDriver):
    """The OpenGL graphic driver on a display connection.

    Without an open connection (or with initialize False) the driver is not initialised and views of it cannot draw.
    """
    def __init__(self, display_connection: Aspect_DisplayConnection | None, initialize: bool = True) -> None: ...

class Aspect_Window:
    """A window a view draws into."""
    def Size(self) -> tuple[typing.Any, ...]:
        """(width, height) in pixels."""
    def IsVirtual(self) -> bool:
        """Whether the window is offscreen (never mapped)."""
    def SetVirtual(self, virtual: bool) -> None:
        """Sets whether the window is offscreen; set it before the window is used."""
    def Map(self) -> None:
        """Shows the window on the display."""
    def IsMapped(self) -> bool:
        """Whether the window is shown."""

class Xw_Window(Aspect_Window):
    """An X11 window on a display connection.

    Xw_Window(display_connection, title, x, y, width, height) opens a window of
    its own; Xw_Window(display_connection, native_window_id) draws into a
    toolkit's window (in Tk, frame.winfo_id()), which must be mapped first:
    call update() (Tk) after packing the frame, before making the Xw_Window.

    Raises KernelError when the connection is None or not open, when there is
    no such window on the connection (not mapped yet, say), or the size is not
    1 to 16384 pixels.
    """
    @typing.overload
    def __init__(self, display_connection: Aspect_DisplayConnection | None, title: str, x: int, y: int, width: int, height: int) -> None: ...
    @typing.overload
    def __init__(self, display_connection: Aspect_DisplayConnection | None, native_window_id: int) -> None: ...

class Graphic3d_Camera:
    """A view's camera."""
    class Projection:
        """Members:

          Projection_Orthographic

          Projection_Perspective

          Projection_Stereo

          Projection_MonoLeftEye

          Projection_MonoRightEye
        """
        def __init__(self, value: int) -> None: ...
        def __repr__(self) -> str: ...
        @property
        def name(self) -> str: ...
        def __str__(self) -> str: ...
        @property
        def __members__(self) -> dict[typing.Any, typing.Any]: ...
        def __eq__(self, other: object) -> bool: ...
        def __ne__(self, other: object) -> bool: ...
        def __hash__(self) -> int: ...
        @property
        def value(self) -> int: ...
        def __int__(self) -> int: ...
        def __index__(self) -> int: ...
        Projection_Orthographic: typing.ClassVar[Graphic3d_Camera.Projection]
        Projection_Perspective: typing.ClassVar[Graphic3d_Camera.Projection]
        Projection_Stereo: typing.ClassVar[Graphic3d_Camera.Projection]
        Projection_MonoLeftEye: typing.ClassVar[Graphic3d_Camera.Projection]
        Projection_MonoRightEye: typing.ClassVar[Graphic3d_Camera.Projection]
    Projection_Orthographic: typing.ClassVar[Graphic3d_Camera.Projection]
    Projection_Perspective: typing.ClassVar[Graphic3d_Camera.Projection]
    Projection_Stereo: typing.ClassVar[Graphic3d_Camera.Projection]
    Projection_MonoLeftEye: typing.ClassVar[Graphic3d_Camera.Projection]
    Projection_MonoRightEye: typing.ClassVar[Graphic3d_Camera.Projection]
    def ProjectionType(self) -> Graphic3d_Camera.Projection:
        """The projection (orthographic, perspective, ...)."""
    @typing.overload
    def SetProjectionType(self, projection: Graphic3d_Camera.Projection) -> None: ...
    @typing.overload
    def SetProjectionType(self, projection: int) -> None: ...
    def IsOrthographic(self) -> bool:
        """Whether the projection is orthographic."""
    def Scale(self) -> float:
        """The camera's scale (the view height in model units for orthographic projection)."""
    def SetScale(self, scale: float) -> None:
        """Sets the camera's scale."""
    def Direction(self) -> tuple[typing.Any, ...]:
        """The unit direction the camera looks in, (x, y, z)."""
    def Up(self) -> tuple[typing.Any, ...]:
        """The camera's up direction, (x, y, z)."""
    def Eye(self) -> tuple[typing.Any, ...]:
        """The eye position, (x, y, z)."""
    def Center(self) -> tuple[typing.Any, ...]:
        """The point looked at, (x, y, z)."""

class V3d_Viewer:
    """A viewer: the views, lights and objects of one graphic driver.

    Raises KernelError when the driver is None.
    """
    def __init__(self, driver: Graphic3d_GraphicDriver | None) -> None: ...
    def CreateView(self) -> V3d_View:
        """A new view of this viewer (without a window until SetWindow); it keeps the viewer alive."""
    def SetDefaultLights(self) -> None:
        """Gives the viewer the default ambient and directional lights."""
    def SetLightOn(self) -> None:
        """Switches every defined light on."""
    def Redraw(self) -> None:
        """Redraws every view of the viewer."""

class V3d_View:
    """A view: a camera looking at a viewer's objects, drawn into a window."""
    def SetWindow(self, window: Aspect_Window | None) -> None:
        """Makes the view draw into window.

        Raises KernelError when window is None.
        """
    def Window(self) -> Aspect_Window:
        """The view's window.

        Raises KernelError when it has none.
        """
    def IfWindow(self) -> bool:
        """Whether the view has a window."""
    def Viewer(self) -> V3d_Viewer:
        """The viewer the view belongs to."""
    def Camera(self) -> Graphic3d_Camera:
        """The view's camera."""
    def SetProj(self, vx: float, vy: float, vz: float) -> None:
        """Looks along the direction from (vx, vy, vz) towards the centre."""
    def SetUp(self, vx: float, vy: float, vz: float) -> None:
        """Sets the up direction of the view."""
    def Proj(self) -> tuple[typing.Any, ...]:
        """The projection direction, (x, y, z)."""
    def Up(self) -> tuple[typing.Any, ...]:
        """The up direction, (x, y, z)."""
    @typing.overload
    def Convert(self, xp: int, yp: int) -> tuple[typing.Any, ...]: ...
    @typing.overload
    def Convert(self, x: float, y: float, z: float) -> tuple[typing.Any, ...]: ...
    def ConvertWithProj(self, xp: int, yp: int) -> tuple[typing.Any, ...]:
        """Pixel (xp, yp) to (x, y, z, vx, vy, vz): the world point and the projection direction through it.

        Raises KernelError when the view has no window.
        """
    def FitAll(self, margin: float = 0.01, update: bool = True) -> None:
        """Frames every displayed object, leaving margin around them."""
    def ZFitAll(self, scale_factor: float = 1.0) -> None:
        """Fits the depth range to the displayed objects."""
    def Redraw(self) -> None:
        """Redraws the view."""
    def MustBeResized(self) -> None:
        """Adapts the view to its window's new size."""
    def StartRotation(self, x: int, y: int, z_rotation_threshold: float = 0.0) -> None:
        """Starts a rotation by the mouse at pixel (x, y).

        Raises KernelError when the view has no window.
        """
    def Rotation(self, x: int, y: int) -> None:
        """Continues the rotation started by StartRotation to pixel (x, y).

        Raises KernelError when the view has no window.
        """
    def Pan(self, dx: int, dy: int, zoom_factor: float = 1.0, start: bool = True) -> None:
        """Moves the view by (dx, dy) pixels at the zoom factor.

        Raises KernelError when the view has no window.
        """
    def SetZoom(self, coef: float, start: bool = True) -> None:
        """Zooms by coef (relative to the start of the zoom when start is False)."""
    def Scale(self) -> float:
        """The view's scale."""
    def SetBackgroundColor(self, color: Quantity_Color) -> None:
        """Sets a plain background colour."""
    def BackgroundColor(self) -> Quantity_Color:
        """The plain background colour."""
    def SetBgGradientColors(self, color1: Quantity_Color, color2: Quantity_Color, method: Aspect_GradientFillMethod = Aspect_GradientFillMethod.Aspect_GradientFillMethod_Horizontal, update: bool = False) -> None:
        """Sets a gradient background from color1 to color2 by the fill method."""
    def GradientBackground(self) -> tuple[typing.Any, ...]:
        """(color1, color2, method) of the gradient background."""
    def TriedronDisplay(self, position: Aspect_TypeOfTriedronPosition = Aspect_TypeOfTriedronPosition.Aspect_TOTP_CENTER, color: Quantity_Color = ..., scale: float = 0.02, mode: V3d_TypeOfVisualization = V3d_TypeOfVisualization.V3d_WIREFRAME) -> None:
        """Shows the axis trihedron at a corner of the view.

        Raises KernelError when the scale is not positive and finite.
        """
    def TriedronErase(self) -> None:
        """Hides the axis trihedron."""
    def Dump(self, file: str) -> bool:
        """Writes the view's image to file (the format from its suffix); True on success.

        Raises KernelError when the view has no window. Raises KernelError for an empty file name too.
        """

class AIS_InteractiveContext:
    """Displays and selects interactive objects in one viewer.

    Raises KernelError when the viewer is None.
    """
    def __init__(self, viewer: V3d_Viewer | None) -> None: ...
    @typing.overload
    def Display(self, obj: AIS_InteractiveObject | None, update: bool) -> None: ...
    @typing.overload
    def Display(self, obj: AIS_InteractiveObject | None, display_mode: int, selection_mode: int, update: bool) -> None: ...
    def Redisplay(self, obj: AIS_InteractiveObject | None, update: bool, all_modes: bool = False) -> None:
        """Recomputes obj's presentation after a change.

        Raises KernelError when obj is None.
        """
    def Erase(self, obj: AIS_InteractiveObject | None, update: bool) -> None:
        """Hides obj, keeping it in the context.

        Raises KernelError when obj is None.
        """
    def Remove(self, obj: AIS_InteractiveObject | None, update: bool) -> None:
        """Takes obj out of the context.

        Raises KernelError when obj is None.
        """
    def RemoveAll(self, update: bool) -> None:
        """Takes every object out of the context."""
    def IsDisplayed(self, obj: AIS_InteractiveObject | None) -> bool:
        """Whether obj is displayed.

        Raises KernelError when obj is None.
        """
    def DisplayedObjects(self) -> list[AIS_InteractiveObject]:
        """Every displayed object."""
    def SetDisplayMode(self, mode: int, update: bool) -> None:
        """Sets the context's default display mode (or obj's own)."""
    def DisplayMode(self) -> int:
        """The context's default display mode."""
    def UpdateCurrentViewer(self) -> None:
        """Redraws the viewer."""
    def ClearSelected(self, update: bool) -> None:
        """Empties the selection."""
    def AddOrRemoveSelected(self, obj: AIS_InteractiveObject | None, update: bool) -> None:
        """Selects obj, or deselects it when it is selected.

        Raises KernelError when obj is None.
        """
    def IsSelected(self, obj: AIS_InteractiveObject | None) -> bool:
        """Whether obj is selected.

        Raises KernelError when obj is None.
        """
    def NbSelected(self) -> int:
        """Number of selected owners."""
    def InitSelected(self) -> None:
        """Starts an iteration over the selection."""
    def MoreSelected(self) -> bool:
        """Whether the iteration has a current owner."""
    def NextSelected(self) -> None:
        """Moves the iteration to the next owner (nothing past the end)."""
    def SelectedInteractive(self) -> AIS_InteractiveObject:
        """The object of the current owner, or None."""
    def SelectedShape(self) -> TopoDS_Shape:
        """The shape of the current owner (its sub-shape for a sub-shape selection), or None."""
    @typing.overload
    def Activate(self, mode: int, force: bool = False) -> None: ...
    @typing.overload
    def Activate(self, obj: AIS_InteractiveObject, mode: int = 0, force: bool = False) -> None: ...
    @typing.overload
    def Deactivate(self) -> None: ...
    @typing.overload
    def Deactivate(self, obj: AIS_InteractiveObject | None) -> None: ...
    def MoveTo(self, x: int, y: int, view: V3d_View | None, update: bool) -> int:
        """Detects what lies under pixel (x, y) of view and highlights it; returns the detection status.

        Raises KernelError when the view has no window or belongs to another viewer.
        """
    def HasDetected(self) -> bool:
        """Whether the last MoveTo detected something."""
    def DetectedInteractive(self) -> AIS_InteractiveObject:
        """The detected object, or None."""
    def DetectedShape(self) -> TopoDS_Shape | None:
        """The detected sub-shape (or whole shape), placed, or None."""
    def HighlightStyle(self, type: Prs3d_TypeOfHighlight) -> Prs3d_Drawer:
        """The drawer of a highlight kind (dynamic, selected, ...), or None for a kind out of range."""
    def SetToHilightSelected(self, enable: bool) -> None:
        """Sets whether hovering highlights selected objects too."""
    def ToHilightSelected(self) -> bool:
        """Whether hovering highlights selected objects too."""
