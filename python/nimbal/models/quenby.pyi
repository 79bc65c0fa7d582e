# Generated from the built modules by scripts/stubs.sh; do not edit.
"""Shape property classes for structured data handling"""

import typing

class IndexList:
    """A live list of a record field: changes reach the record."""
    @typing.overload
    def __init__(self) -> None: ...
    @typing.overload
    def __init__(self, iterable: typing.Iterable[int]) -> None: ...
    def __len__(self) -> int: ...
    @typing.overload
    def __getitem__(self, arg0: int) -> int: ...
    @typing.overload
    def __getitem__(self, arg0: slice) -> list[int]: ...
    @typing.overload
    def __setitem__(self, arg0: int, arg1: int) -> None: ...
    @typing.overload
    def __setitem__(self, arg0: slice, arg1: typing.Iterable[int]) -> None: ...
    @typing.overload
    def __delitem__(self, arg0: int) -> None: ...
    @typing.overload
    def __delitem__(self, arg0: slice) -> None: ...
    def __iter__(self) -> typing.Iterator[int]: ...
    def __contains__(self, arg0: int) -> bool: ...
    def __eq__(self, other: object) -> bool: ...
    __hash__: typing.ClassVar[None]  # type: ignore[assignment]
    def __ne__(self, other: object) -> bool: ...
    def __repr__(self) -> str: ...
    def __copy__(self) -> IndexList: ...
    def __deepcopy__(self, memo: typing.Any) -> IndexList: ...
    def copy(self) -> list[int]:
        """A plain list of the items."""
    def __add__(self, arg0: typing.Iterable[int]) -> list[int]: ...
    def __iadd__(self, arg0: typing.Iterable[int]) -> IndexList: ...
    def append(self, item: int) -> None:
        """Adds item at the end.

        Raises TypeError (or ValueError) for an item the list cannot hold.
        """
    def extend(self, iterable: typing.Iterable[int]) -> None:
        """Adds every item of iterable at the end; all are checked before any is added.

        Raises TypeError for something that is not an iterable of items the list holds.
        """
    def insert(self, index: int, item: int) -> None:
        """Puts item before position index (counted from the end when negative, clamped to the list).

        Raises TypeError for an item the list cannot hold.
        """
    def pop(self, index: int = -1) -> int:
        """Removes and returns the item at index (the last by default).

        Raises IndexError when the list is empty or index is out of range.
        """
    def remove(self, item: int) -> None:
        """Removes the first item equal to item.

        Raises ValueError when there is none.
        """
    def clear(self) -> None:
        """Removes every item."""
    def index(self, item: int) -> int:
        """Position of the first item equal to item.

        Raises ValueError when there is none.
        """
    def count(self, item: int) -> int:
        """Number of items equal to item."""
    def reverse(self) -> None:
        """Reverses the items in place."""
    def sort(self, *args: typing.Any, **kwargs: typing.Any) -> None:
        """Sorts the items in place, taking list.sort's key and reverse; the list is unchanged if a key raises."""

class Point2List:
    """A live list of a record field: changes reach the record."""
    @typing.overload
    def __init__(self) -> None: ...
    @typing.overload
    def __init__(self, iterable: typing.Iterable[tuple[float, float]]) -> None: ...
    def __len__(self) -> int: ...
    @typing.overload
    def __getitem__(self, arg0: int) -> tuple[float, float]: ...
    @typing.overload
    def __getitem__(self, arg0: slice) -> list[tuple[float, float]]: ...
    @typing.overload
    def __setitem__(self, arg0: int, arg1: tuple[float, float]) -> None: ...
    @typing.overload
    def __setitem__(self, arg0: slice, arg1: typing.Iterable[tuple[float, float]]) -> None: ...
    @typing.overload
    def __delitem__(self, arg0: int) -> None: ...
    @typing.overload
    def __delitem__(self, arg0: slice) -> None: ...
    def __iter__(self) -> typing.Iterator[tuple[float, float]]: ...
    def __contains__(self, arg0: tuple[float, float]) -> bool: ...
    def __eq__(self, other: object) -> bool: ...
    __hash__: typing.ClassVar[None]  # type: ignore[assignment]
    def __ne__(self, other: object) -> bool: ...
    def __repr__(self) -> str: ...
    def __copy__(self) -> Point2List: ...
    def __deepcopy__(self, memo: typing.Any) -> Point2List: ...
    def copy(self) -> list[tuple[float, float]]:
        """A plain list of the items."""
    def __add__(self, arg0: typing.Iterable[tuple[float, float]]) -> list[tuple[float, float]]: ...
    def __iadd__(self, arg0: typing.Iterable[tuple[float, float]]) -> Point2List: ...
    def append(self, item: tuple[float, float]) -> None:
        """Adds item at the end.

        Raises TypeError (or ValueError) for an item the list cannot hold.
        """
    def extend(self, iterable: typing.Iterable[tuple[float, float]]) -> None:
        """Adds every item of iterable at the end; all are checked before any is added.

        Raises TypeError for something that is not an iterable of items the list holds.
        """
    def insert(self, index: int, item: tuple[float, float]) -> None:
        """Puts item before position index (counted from the end when negative, clamped to the list).

        Raises TypeError for an item the list cannot hold.
        """
    def pop(self, index: int = -1) -> tuple[float, float]:
        """Removes and returns the item at index (the last by default).

        Raises IndexError when the list is empty or index is out of range.
        """
    def remove(self, item: tuple[float, float]) -> None:
        """Removes the first item equal to item.

        Raises ValueError when there is none.
        """
    def clear(self) -> None:
        """Removes every item."""
    def index(self, item: tuple[float, float]) -> int:
        """Position of the first item equal to item.

        Raises ValueError when there is none.
        """
    def count(self, item: tuple[float, float]) -> int:
        """Number of items equal to item."""
    def reverse(self) -> None:
        """Reverses the items in place."""
    def sort(self, *args: typing.Any, **kwargs: typing.Any) -> None:
        """Sorts the items in place, taking list.sort's key and reverse; the list is unchanged if a key raises."""

class Point3List:
    """A live list of a record field: changes reach the record."""
    @typing.overload
    def __init__(self) -> None: ...
    @typing.overload
    def __init__(self, iterable: typing.Iterable[tuple[float, float, float]]) -> None: ...
    def __len__(self) -> int: ...
    @typing.overload
    def __getitem__(self, arg0: int) -> tuple[float, float, float]: ...
    @typing.overload
    def __getitem__(self, arg0: slice) -> list[tuple[float, float, float]]: ...
    @typing.overload
    def __setitem__(self, arg0: int, arg1: tuple[float, float, float]) -> None: ...
    @typing.overload
    def __setitem__(self, arg0: slice, arg1: typing.Iterable[tuple[float, float, float]]) -> None: ...
    @typing.overload
    def __delitem__(self, arg0: int) -> None: ...
    @typing.overload
    def __delitem__(self, arg0: slice) -> None: ...
    def __iter__(self) -> typing.Iterator[tuple[float, float, float]]: ...
    def __contains__(self, arg0: tuple[float, float, float]) -> bool: ...
    def __eq__(self, other: object) -> bool: ...
    __hash__: typing.ClassVar[None]  # type: ignore[assignment]
    def __ne__(self, other: object) -> bool: ...
    def __repr__(self) -> str: ...
    def __copy__(self) -> Point3List: ...
    def __deepcopy__(self, memo: typing.Any) -> Point3List: ...
    def copy(self) -> list[tuple[float, float, float]]:
        """A plain list of the items."""
    def __add__(self, arg0: typing.Iterable[tuple[float, float, float]]) -> list[tuple[float, float, float]]: ...
    def __iadd__(self, arg0: typing.Iterable[tuple[float, float, float]]) -> Point3List: ...
    def append(self, item: tuple[float, float, float]) -> None:
        """Adds item at the end.

        Raises TypeError (or ValueError) for an item the list cannot hold.
        """
    def extend(self, iterable: typing.Iterable[tuple[float, float, float]]) -> None:
        """Adds every item of iterable at the end; all are checked before any is added.

        Raises TypeError for something that is not an iterable of items the list holds.
        """
    def insert(self, index: int, item: tuple[float, float, float]) -> None:
        """Puts item before position index (counted from the end when negative, clamped to the list).

        Raises TypeError for an item the list cannot hold.
        """
    def pop(self, index: int = -1) -> tuple[float, float, float]:
        """Removes and returns the item at index (the last by default).

        Raises IndexError when the list is empty or index is out of range.
        """
    def remove(self, item: tuple[float, float, float]) -> None:
        """Removes the first item equal to item.

        Raises ValueError when there is none.
        """
    def clear(self) -> None:
        """Removes every item."""
    def index(self, item: tuple[float, float, float]) -> int:
        """Position of the first item equal to item.

        Raises ValueError when there is none.
        """
    def count(self, item: tuple[float, float, float]) -> int:
        """Number of items equal to item."""
    def reverse(self) -> None:
        """Reverses the items in place."""
    def sort(self, *args: typing.Any, **kwargs: typing.Any) -> None:
        """Sorts the items in place, taking list.sort's key and reverse; the list is unchanged if a key raises."""

class Translation:
    """3D translation/position."""
    def __init__(self, x: float = 0.0, y: float = 0.0, z: float = 0.0) -> None: ...
    @property
    def x(self) -> float:
        """Component along X (a translation in model units, a rotation in degrees)."""
    @x.setter
    def x(self, value: float) -> None: ...
    @property
    def y(self) -> float:
        """Component along Y (a translation in model units, a rotation in degrees)."""
    @y.setter
    def y(self, value: float) -> None: ...
    @property
    def z(self) -> float:
        """Component along Z (a translation in model units, a rotation in degrees)."""
    @z.setter
    def z(self, value: float) -> None: ...
    def __repr__(self) -> str: ...
    __hash__: typing.ClassVar[None]  # type: ignore[assignment]
    __match_args__: typing.ClassVar[tuple[str, ...]]
    def __eq__(self, other: object) -> bool: ...
    def __copy__(self) -> Translation: ...
    def __deepcopy__(self, memo: typing.Any) -> Translation: ...
    def to_dict(self) -> dict[str, typing.Any]:
        """The dictionary form: {'x': ..., 'y': ..., 'z': ...}, plain floats."""
    @classmethod
    def from_dict(cls, data: typing.Mapping[str, typing.Any]) -> typing.Self:
        """An instance of cls from a mapping with x, y and z; a missing key keeps its default.

        Raises AttributeError when data has no get, TypeError or ValueError for a value that is no number.
        """

class Rotation:
    """3D rotation in degrees."""
    def __init__(self, x: float = 0.0, y: float = 0.0, z: float = 0.0) -> None: ...
    @property
    def x(self) -> float:
        """Component along X (a translation in model units, a rotation in degrees)."""
    @x.setter
    def x(self, value: float) -> None: ...
    @property
    def y(self) -> float:
        """Component along Y (a translation in model units, a rotation in degrees)."""
    @y.setter
    def y(self, value: float) -> None: ...
    @property
    def z(self) -> float:
        """Component along Z (a translation in model units, a rotation in degrees)."""
    @z.setter
    def z(self, value: float) -> None: ...
    def __repr__(self) -> str: ...
    __hash__: typing.ClassVar[None]  # type: ignore[assignment]
    __match_args__: typing.ClassVar[tuple[str, ...]]
    def __eq__(self, other: object) -> bool: ...
    def __copy__(self) -> Rotation: ...
    def __deepcopy__(self, memo: typing.Any) -> Rotation: ...
    def to_dict(self) -> dict[str, typing.Any]:
        """The dictionary form: {'x': ..., 'y': ..., 'z': ...}, plain floats."""
    @classmethod
    def from_dict(cls, data: typing.Mapping[str, typing.Any]) -> typing.Self:
        """An instance of cls from a mapping with x, y and z; a missing key keeps its default.

        Raises AttributeError when data has no get, TypeError or ValueError for a value that is no number.
        """

class Quenby:
    """Base class for shape properties."""
    def __init__(self, translation: Translation = ..., rotation: Rotation = ...) -> None: ...
    @property
    def translation(self) -> Translation:
        """Where the shape is placed: a Translation, applied after the rotation."""
    @translation.setter
    def translation(self, value: Translation) -> None: ...
    @property
    def rotation(self) -> Rotation:
        """How the shape is turned about its own origin: a Rotation in degrees about X, then Y, then Z."""
    @rotation.setter
    def rotation(self, value: Rotation) -> None: ...
    def __repr__(self) -> str: ...
    __hash__: typing.ClassVar[None]  # type: ignore[assignment]
    __match_args__: typing.ClassVar[tuple[str, ...]]
    def __eq__(self, other: object) -> bool: ...
    def __copy__(self) -> object: ...
    def __deepcopy__(self, memo: typing.Any) -> object: ...
    def to_dict(self) -> dict[str, typing.Any]:
        """The dictionary form: every field by name (translation and rotation as dictionaries, lists as new plain lists), ready for JSON."""
    _SKIP_FIELDS: typing.ClassVar[frozenset[str]]
    @classmethod
    def from_dict(cls, data: typing.Mapping[str, typing.Any]) -> typing.Self:
        """An instance of cls from its dictionary form; keys that are missing keep their defaults and unknown keys are ignored.

        Raises AttributeError when data has no get, TypeError or ValueError for a value of the wrong kind.
        """

class BoxProperties(Quenby):
    """Properties for box shapes."""
    def __init__(self, translation: Translation = ..., rotation: Rotation = ..., width: float = 50.0, height: float = 50.0, depth: float = 50.0) -> None: ...
    @property
    def translation(self) -> Translation:
        """Where the shape is placed: a Translation, applied after the rotation."""
    @translation.setter
    def translation(self, value: Translation) -> None: ...
    @property
    def rotation(self) -> Rotation:
        """How the shape is turned about its own origin: a Rotation in degrees about X, then Y, then Z."""
    @rotation.setter
    def rotation(self, value: Rotation) -> None: ...
    @property
    def width(self) -> float:
        """Size along X (for a sketch rectangle: along the plane's u axis)."""
    @width.setter
    def width(self, value: float) -> None: ...
    @property
    def height(self) -> float:
        """Size along Y, or along the axis for a cylinder or cone (for a sketch rectangle: along v)."""
    @height.setter
    def height(self, value: float) -> None: ...
    @property
    def depth(self) -> float:
        """Size along Z for a box; distance along the face normal for an extrusion."""
    @depth.setter
    def depth(self, value: float) -> None: ...
    def __repr__(self) -> str: ...
    __hash__: typing.ClassVar[None]
    __match_args__: typing.ClassVar[tuple[str, ...]]
    def __eq__(self, other: object) -> bool: ...
    def __copy__(self) -> object: ...
    def __deepcopy__(self, memo: typing.Any) -> object: ...
    def to_dict(self) -> dict[str, typing.Any]:
        """The dictionary form: every field by name (translation and rotation as dictionaries, lists as new plain lists), ready for JSON."""
    _SKIP_FIELDS: typing.ClassVar[frozenset[str]]
    @classmethod
    def from_dict(cls, data: typing.Mapping[str, typing.Any]) -> typing.Self:
        """An instance of cls from its dictionary form; keys that are missing keep their defaults and unknown keys are ignored.

        Raises AttributeError when data has no get, TypeError or ValueError for a value of the wrong kind.
        """

class SphereProperties(Quenby):
    """Properties for sphere shapes."""
    def __init__(self, translation: Translation = ..., rotation: Rotation = ..., radius: float = 30.0) -> None: ...
    @property
    def translation(self) -> Translation:
        """Where the shape is placed: a Translation, applied after the rotation."""
    @translation.setter
    def translation(self, value: Translation) -> None: ...
    @property
    def rotation(self) -> Rotation:
        """How the shape is turned about its own origin: a Rotation in degrees about X, then Y, then Z."""
    @rotation.setter
    def rotation(self, value: Rotation) -> None: ...
    @property
    def radius(self) -> float:
        """Radius of the sphere, cylinder or circle."""
    @radius.setter
    def radius(self, value: float) -> None: ...
    def __repr__(self) -> str: ...
    __hash__: typing.ClassVar[None]
    __match_args__: typing.ClassVar[tuple[str, ...]]
    def __eq__(self, other: object) -> bool: ...
    def __copy__(self) -> object: ...
    def __deepcopy__(self, memo: typing.Any) -> object: ...
    def to_dict(self) -> dict[str, typing.Any]:
        """The dictionary form: every field by name (translation and rotation as dictionaries, lists as new plain lists), ready for JSON."""
    _SKIP_FIELDS: typing.ClassVar[frozenset[str]]
    @classmethod
    def from_dict(cls, data: typing.Mapping[str, typing.Any]) -> typing.Self:
        """An instance of cls from its dictionary form; keys that are missing keep their defaults and unknown keys are ignored.

        Raises AttributeError when data has no get, TypeError or ValueError for a value of the wrong kind.
        """

class CylinderProperties(Quenby):
    """Properties for cylinder shapes."""
    def __init__(self, translation: Translation = ..., rotation: Rotation = ..., radius: float = 20.0, height: float = 60.0) -> None: ...
    @property
    def translation(self) -> Translation:
        """Where the shape is placed: a Translation, applied after the rotation."""
    @translation.setter
    def translation(self, value: Translation) -> None: ...
    @property
    def rotation(self) -> Rotation:
        """How the shape is turned about its own origin: a Rotation in degrees about X, then Y, then Z."""
    @rotation.setter
    def rotation(self, value: Rotation) -> None: ...
    @property
    def radius(self) -> float:
        """Radius of the sphere, cylinder or circle."""
    @radius.setter
    def radius(self, value: float) -> None: ...
    @property
    def height(self) -> float:
        """Size along Y, or along the axis for a cylinder or cone (for a sketch rectangle: along v)."""
    @height.setter
    def height(self, value: float) -> None: ...
    def __repr__(self) -> str: ...
    __hash__: typing.ClassVar[None]
    __match_args__: typing.ClassVar[tuple[str, ...]]
    def __eq__(self, other: object) -> bool: ...
    def __copy__(self) -> object: ...
    def __deepcopy__(self, memo: typing.Any) -> object: ...
    def to_dict(self) -> dict[str, typing.Any]:
        """The dictionary form: every field by name (translation and rotation as dictionaries, lists as new plain lists), ready for JSON."""
    _SKIP_FIELDS: typing.ClassVar[frozenset[str]]
    @classmethod
    def from_dict(cls, data: typing.Mapping[str, typing.Any]) -> typing.Self:
        """An instance of cls from its dictionary form; keys that are missing keep their defaults and unknown keys are ignored.

        Raises AttributeError when data has no get, TypeError or ValueError for a value of the wrong kind.
        """

class ConeProperties(Quenby):
    """Properties for cone shapes."""
    def __init__(self, translation: Translation = ..., rotation: Rotation = ..., base_radius: float = 30.0, top_radius: float = 10.0, height: float = 70.0) -> None: ...
    @property
    def translation(self) -> Translation:
        """Where the shape is placed: a Translation, applied after the rotation."""
    @translation.setter
    def translation(self, value: Translation) -> None: ...
    @property
    def rotation(self) -> Rotation:
        """How the shape is turned about its own origin: a Rotation in degrees about X, then Y, then Z."""
    @rotation.setter
    def rotation(self, value: Rotation) -> None: ...
    @property
    def base_radius(self) -> float:
        """Radius of the cone at its base."""
    @base_radius.setter
    def base_radius(self, value: float) -> None: ...
    @property
    def top_radius(self) -> float:
        """Radius of the cone at its top (0 for a pointed cone)."""
    @top_radius.setter
    def top_radius(self, value: float) -> None: ...
    @property
    def height(self) -> float:
        """Size along Y, or along the axis for a cylinder or cone (for a sketch rectangle: along v)."""
    @height.setter
    def height(self, value: float) -> None: ...
    def __repr__(self) -> str: ...
    __hash__: typing.ClassVar[None]
    __match_args__: typing.ClassVar[tuple[str, ...]]
    def __eq__(self, other: object) -> bool: ...
    def __copy__(self) -> object: ...
    def __deepcopy__(self, memo: typing.Any) -> object: ...
    def to_dict(self) -> dict[str, typing.Any]:
        """The dictionary form: every field by name (translation and rotation as dictionaries, lists as new plain lists), ready for JSON."""
    _SKIP_FIELDS: typing.ClassVar[frozenset[str]]
    @classmethod
    def from_dict(cls, data: typing.Mapping[str, typing.Any]) -> typing.Self:
        """An instance of cls from its dictionary form; keys that are missing keep their defaults and unknown keys are ignored.

        Raises AttributeError when data has no get, TypeError or ValueError for a value of the wrong kind.
        """

class TorusProperties(Quenby):
    """Properties for torus shapes."""
    def __init__(self, translation: Translation = ..., rotation: Rotation = ..., major_radius: float = 25.0, minor_radius: float = 10.0) -> None: ...
    @property
    def translation(self) -> Translation:
        """Where the shape is placed: a Translation, applied after the rotation."""
    @translation.setter
    def translation(self, value: Translation) -> None: ...
    @property
    def rotation(self) -> Rotation:
        """How the shape is turned about its own origin: a Rotation in degrees about X, then Y, then Z."""
    @rotation.setter
    def rotation(self, value: Rotation) -> None: ...
    @property
    def major_radius(self) -> float:
        """Distance from the torus's axis to the centre of its tube."""
    @major_radius.setter
    def major_radius(self, value: float) -> None: ...
    @property
    def minor_radius(self) -> float:
        """Radius of the torus's tube."""
    @minor_radius.setter
    def minor_radius(self, value: float) -> None: ...
    def __repr__(self) -> str: ...
    __hash__: typing.ClassVar[None]
    __match_args__: typing.ClassVar[tuple[str, ...]]
    def __eq__(self, other: object) -> bool: ...
    def __copy__(self) -> object: ...
    def __deepcopy__(self, memo: typing.Any) -> object: ...
    def to_dict(self) -> dict[str, typing.Any]:
        """The dictionary form: every field by name (translation and rotation as dictionaries, lists as new plain lists), ready for JSON."""
    _SKIP_FIELDS: typing.ClassVar[frozenset[str]]
    @classmethod
    def from_dict(cls, data: typing.Mapping[str, typing.Any]) -> typing.Self:
        """An instance of cls from its dictionary form; keys that are missing keep their defaults and unknown keys are ignored.

        Raises AttributeError when data has no get, TypeError or ValueError for a value of the wrong kind.
        """

class RectangleProperties(Quenby):
    """Properties for rectangle shapes."""
    def __init__(self, translation: Translation = ..., rotation: Rotation = ..., width: float = 60.0, height: float = 40.0, plane_id: str = '', local_u: float = 0.0, local_v: float = 0.0, filled: bool = True) -> None: ...
    @property
    def translation(self) -> Translation:
        """Where the shape is placed: a Translation, applied after the rotation."""
    @translation.setter
    def translation(self, value: Translation) -> None: ...
    @property
    def rotation(self) -> Rotation:
        """How the shape is turned about its own origin: a Rotation in degrees about X, then Y, then Z."""
    @rotation.setter
    def rotation(self, value: Rotation) -> None: ...
    @property
    def width(self) -> float:
        """Size along X (for a sketch rectangle: along the plane's u axis)."""
    @width.setter
    def width(self, value: float) -> None: ...
    @property
    def height(self) -> float:
        """Size along Y, or along the axis for a cylinder or cone (for a sketch rectangle: along v)."""
    @height.setter
    def height(self, value: float) -> None: ...
    @property
    def plane_id(self) -> str:
        """Shape id of the reference plane the element or sketch lies on."""
    @plane_id.setter
    def plane_id(self, value: str) -> None: ...
    @property
    def local_u(self) -> float:
        """Plane-local u of the element's anchor (a rectangle's lower-left corner, a circle's centre)."""
    @local_u.setter
    def local_u(self, value: float) -> None: ...
    @property
    def local_v(self) -> float:
        """Plane-local v of the element's anchor (a rectangle's lower-left corner, a circle's centre)."""
    @local_v.setter
    def local_v(self, value: float) -> None: ...
    @property
    def filled(self) -> bool:
        """True for a face, False for an outline wire only."""
    @filled.setter
    def filled(self, value: bool) -> None: ...
    def __repr__(self) -> str: ...
    __hash__: typing.ClassVar[None]
    __match_args__: typing.ClassVar[tuple[str, ...]]
    def __eq__(self, other: object) -> bool: ...
    def __copy__(self) -> object: ...
    def __deepcopy__(self, memo: typing.Any) -> object: ...
    def to_dict(self) -> dict[str, typing.Any]:
        """The dictionary form: every field by name (translation and rotation as dictionaries, lists as new plain lists), ready for JSON."""
    _SKIP_FIELDS: typing.ClassVar[frozenset[str]]
    @classmethod
    def from_dict(cls, data: typing.Mapping[str, typing.Any]) -> typing.Self:
        """An instance of cls from its dictionary form; keys that are missing keep their defaults and unknown keys are ignored.

        Raises AttributeError when data has no get, TypeError or ValueError for a value of the wrong kind.
        """

class CircleProperties(Quenby):
    """Properties for circle shapes."""
    def __init__(self, translation: Translation = ..., rotation: Rotation = ..., radius: float = 30.0, plane_id: str = '', local_u: float = 0.0, local_v: float = 0.0, filled: bool = True) -> None: ...
    @property
    def translation(self) -> Translation:
        """Where the shape is placed: a Translation, applied after the rotation."""
    @translation.setter
    def translation(self, value: Translation) -> None: ...
    @property
    def rotation(self) -> Rotation:
        """How the shape is turned about its own origin: a Rotation in degrees about X, then Y, then Z."""
    @rotation.setter
    def rotation(self, value: Rotation) -> None: ...
    @property
    def radius(self) -> float:
        """Radius of the sphere, cylinder or circle."""
    @radius.setter
    def radius(self, value: float) -> None: ...
    @property
    def plane_id(self) -> str:
        """Shape id of the reference plane the element or sketch lies on."""
    @plane_id.setter
    def plane_id(self, value: str) -> None: ...
    @property
    def local_u(self) -> float:
        """Plane-local u of the element's anchor (a rectangle's lower-left corner, a circle's centre)."""
    @local_u.setter
    def local_u(self, value: float) -> None: ...
    @property
    def local_v(self) -> float:
        """Plane-local v of the element's anchor (a rectangle's lower-left corner, a circle's centre)."""
    @local_v.setter
    def local_v(self, value: float) -> None: ...
    @property
    def filled(self) -> bool:
        """True for a face, False for an outline wire only."""
    @filled.setter
    def filled(self, value: bool) -> None: ...
    def __repr__(self) -> str: ...
    __hash__: typing.ClassVar[None]
    __match_args__: typing.ClassVar[tuple[str, ...]]
    def __eq__(self, other: object) -> bool: ...
    def __copy__(self) -> object: ...
    def __deepcopy__(self, memo: typing.Any) -> object: ...
    def to_dict(self) -> dict[str, typing.Any]:
        """The dictionary form: every field by name (translation and rotation as dictionaries, lists as new plain lists), ready for JSON."""
    _SKIP_FIELDS: typing.ClassVar[frozenset[str]]
    @classmethod
    def from_dict(cls, data: typing.Mapping[str, typing.Any]) -> typing.Self:
        """An instance of cls from its dictionary form; keys that are missing keep their defaults and unknown keys are ignored.

        Raises AttributeError when data has no get, TypeError or ValueError for a value of the wrong kind.
        """

class PolylineProperties(Quenby):
    """Properties for a 3D polyline drawn as a wire in the OCP viewport."""
    def __init__(self, translation: Translation = ..., rotation: Rotation = ..., points: typing.Iterable[tuple[float, float, float]] = ..., closed: bool = False) -> None: ...
    @property
    def translation(self) -> Translation:
        """Where the shape is placed: a Translation, applied after the rotation."""
    @translation.setter
    def translation(self, value: Translation) -> None: ...
    @property
    def rotation(self) -> Rotation:
        """How the shape is turned about its own origin: a Rotation in degrees about X, then Y, then Z."""
    @rotation.setter
    def rotation(self, value: Rotation) -> None: ...
    @property
    def points(self) -> Point3List:
        """The polyline's points in world coordinates, (x, y, z) each."""
    @points.setter
    def points(self, value: Point3List) -> None: ...
    @property
    def closed(self) -> bool:
        """True when the last point joins the first."""
    @closed.setter
    def closed(self, value: bool) -> None: ...
    def __repr__(self) -> str: ...
    __hash__: typing.ClassVar[None]
    __match_args__: typing.ClassVar[tuple[str, ...]]
    def __eq__(self, other: object) -> bool: ...
    def __copy__(self) -> object: ...
    def __deepcopy__(self, memo: typing.Any) -> object: ...
    def to_dict(self) -> dict[str, typing.Any]:
        """The dictionary form: every field by name (translation and rotation as dictionaries, lists as new plain lists), ready for JSON."""
    _SKIP_FIELDS: typing.ClassVar[frozenset[str]]
    @classmethod
    def from_dict(cls, data: typing.Mapping[str, typing.Any]) -> typing.Self:
        """An instance of cls from its dictionary form; keys that are missing keep their defaults and unknown keys are ignored.

        Raises AttributeError when data has no get, TypeError or ValueError for a value of the wrong kind.
        """

class ImportedProperties(Quenby):
    """Properties for imported shapes (STEP, IGES, etc.)."""
    def __init__(self, translation: Translation = ..., rotation: Rotation = ...) -> None: ...
    @property
    def translation(self) -> Translation:
        """Where the shape is placed: a Translation, applied after the rotation."""
    @translation.setter
    def translation(self, value: Translation) -> None: ...
    @property
    def rotation(self) -> Rotation:
        """How the shape is turned about its own origin: a Rotation in degrees about X, then Y, then Z."""
    @rotation.setter
    def rotation(self, value: Rotation) -> None: ...
    def __repr__(self) -> str: ...
    __hash__: typing.ClassVar[None]
    __match_args__: typing.ClassVar[tuple[str, ...]]
    def __eq__(self, other: object) -> bool: ...
    def __copy__(self) -> object: ...
    def __deepcopy__(self, memo: typing.Any) -> object: ...
    def to_dict(self) -> dict[str, typing.Any]:
        """The dictionary form: every field by name (translation and rotation as dictionaries, lists as new plain lists), ready for JSON."""
    _SKIP_FIELDS: typing.ClassVar[frozenset[str]]
    @classmethod
    def from_dict(cls, data: typing.Mapping[str, typing.Any]) -> typing.Self:
        """An instance of cls from its dictionary form; keys that are missing keep their defaults and unknown keys are ignored.

        Raises AttributeError when data has no get, TypeError or ValueError for a value of the wrong kind.
        """

class FaceProperties(Quenby):
    """Properties for face shapes extracted from a solid."""
    def __init__(self, translation: Translation = ..., rotation: Rotation = ...) -> None: ...
    @property
    def translation(self) -> Translation:
        """Where the shape is placed: a Translation, applied after the rotation."""
    @translation.setter
    def translation(self, value: Translation) -> None: ...
    @property
    def rotation(self) -> Rotation:
        """How the shape is turned about its own origin: a Rotation in degrees about X, then Y, then Z."""
    @rotation.setter
    def rotation(self, value: Rotation) -> None: ...
    def __repr__(self) -> str: ...
    __hash__: typing.ClassVar[None]
    __match_args__: typing.ClassVar[tuple[str, ...]]
    def __eq__(self, other: object) -> bool: ...
    def __copy__(self) -> object: ...
    def __deepcopy__(self, memo: typing.Any) -> object: ...
    def to_dict(self) -> dict[str, typing.Any]:
        """The dictionary form: every field by name (translation and rotation as dictionaries, lists as new plain lists), ready for JSON."""
    _SKIP_FIELDS: typing.ClassVar[frozenset[str]]
    @classmethod
    def from_dict(cls, data: typing.Mapping[str, typing.Any]) -> typing.Self:
        """An instance of cls from its dictionary form; keys that are missing keep their defaults and unknown keys are ignored.

        Raises AttributeError when data has no get, TypeError or ValueError for a value of the wrong kind.
        """

class PlaneProperties(Quenby):
    """Properties for an auxiliary reference plane."""
    def __init__(self, translation: Translation = ..., rotation: Rotation = ..., normal_x: float = 0.0, normal_y: float = 0.0, normal_z: float = 1.0, origin_x: float = 0.0, origin_y: float = 0.0, origin_z: float = 0.0, source: str = 'standard', standard_plane: str = 'xy', source_face_id: str = '') -> None: ...
    @property
    def translation(self) -> Translation:
        """Where the shape is placed: a Translation, applied after the rotation."""
    @translation.setter
    def translation(self, value: Translation) -> None: ...
    @property
    def rotation(self) -> Rotation:
        """How the shape is turned about its own origin: a Rotation in degrees about X, then Y, then Z."""
    @rotation.setter
    def rotation(self, value: Rotation) -> None: ...
    @property
    def normal_x(self) -> float:
        """X of the plane's normal."""
    @normal_x.setter
    def normal_x(self, value: float) -> None: ...
    @property
    def normal_y(self) -> float:
        """Y of the plane's normal."""
    @normal_y.setter
    def normal_y(self, value: float) -> None: ...
    @property
    def normal_z(self) -> float:
        """Z of the plane's normal."""
    @normal_z.setter
    def normal_z(self, value: float) -> None: ...
    @property
    def origin_x(self) -> float:
        """X of the plane's origin."""
    @origin_x.setter
    def origin_x(self, value: float) -> None: ...
    @property
    def origin_y(self) -> float:
        """Y of the plane's origin."""
    @origin_y.setter
    def origin_y(self, value: float) -> None: ...
    @property
    def origin_z(self) -> float:
        """Z of the plane's origin."""
    @origin_z.setter
    def origin_z(self, value: float) -> None: ...
    @property
    def source(self) -> str:
        """How the plane was made: 'standard', 'custom' or 'from_face'."""
    @source.setter
    def source(self, value: str) -> None: ...
    @property
    def standard_plane(self) -> str:
        """The standard plane's name ('xy', 'xz' or 'yz') when the source is 'standard'."""
    @standard_plane.setter
    def standard_plane(self, value: str) -> None: ...
    @property
    def source_face_id(self) -> str:
        """Shape id of the face the plane was taken from when the source is 'from_face'."""
    @source_face_id.setter
    def source_face_id(self, value: str) -> None: ...
    def __repr__(self) -> str: ...
    __hash__: typing.ClassVar[None]
    __match_args__: typing.ClassVar[tuple[str, ...]]
    def __eq__(self, other: object) -> bool: ...
    def __copy__(self) -> object: ...
    def __deepcopy__(self, memo: typing.Any) -> object: ...
    def to_dict(self) -> dict[str, typing.Any]:
        """The dictionary form: every field by name (translation and rotation as dictionaries, lists as new plain lists), ready for JSON."""
    _SKIP_FIELDS: typing.ClassVar[frozenset[str]]
    @classmethod
    def from_dict(cls, data: typing.Mapping[str, typing.Any]) -> typing.Self:
        """An instance of cls from its dictionary form; keys that are missing keep their defaults and unknown keys are ignored.

        Raises AttributeError when data has no get, TypeError or ValueError for a value of the wrong kind.
        """

class ModifierProperties(Quenby):
    """Base for all MODIFIER_OP shape properties."""
    def __init__(self, translation: Translation = ..., rotation: Rotation = ...) -> None: ...
    @property
    def translation(self) -> Translation:
        """Where the shape is placed: a Translation, applied after the rotation."""
    @translation.setter
    def translation(self, value: Translation) -> None: ...
    @property
    def rotation(self) -> Rotation:
        """How the shape is turned about its own origin: a Rotation in degrees about X, then Y, then Z."""
    @rotation.setter
    def rotation(self, value: Rotation) -> None: ...
    def __repr__(self) -> str: ...
    __hash__: typing.ClassVar[None]
    __match_args__: typing.ClassVar[tuple[str, ...]]
    def __eq__(self, other: object) -> bool: ...
    def __copy__(self) -> object: ...
    def __deepcopy__(self, memo: typing.Any) -> object: ...
    def to_dict(self) -> dict[str, typing.Any]:
        """The dictionary form: every field by name (translation and rotation as dictionaries, lists as new plain lists), ready for JSON."""
    _SKIP_FIELDS: typing.ClassVar[frozenset[str]]
    @classmethod
    def from_dict(cls, data: typing.Mapping[str, typing.Any]) -> typing.Self:
        """An instance of cls from its dictionary form; keys that are missing keep their defaults and unknown keys are ignored.

        Raises AttributeError when data has no get, TypeError or ValueError for a value of the wrong kind.
        """

class ArrayProperties(ModifierProperties):
    """Properties for rectangular shape arrays (1D, 2D, or 3D)."""
    def __init__(self, translation: Translation = ..., rotation: Rotation = ..., count_x: int = 2, count_y: int = 1, count_z: int = 1, spacing_x: float = 100.0, spacing_y: float = 100.0, spacing_z: float = 100.0) -> None: ...
    @property
    def translation(self) -> Translation:
        """Where the shape is placed: a Translation, applied after the rotation."""
    @translation.setter
    def translation(self, value: Translation) -> None: ...
    @property
    def rotation(self) -> Rotation:
        """How the shape is turned about its own origin: a Rotation in degrees about X, then Y, then Z."""
    @rotation.setter
    def rotation(self, value: Rotation) -> None: ...
    @property
    def count_x(self) -> int:
        """Number of copies along X (at least 1)."""
    @count_x.setter
    def count_x(self, value: int) -> None: ...
    @property
    def count_y(self) -> int:
        """Number of copies along Y (at least 1)."""
    @count_y.setter
    def count_y(self, value: int) -> None: ...
    @property
    def count_z(self) -> int:
        """Number of copies along Z (at least 1)."""
    @count_z.setter
    def count_z(self, value: int) -> None: ...
    @property
    def spacing_x(self) -> float:
        """Distance between neighbouring copies along X."""
    @spacing_x.setter
    def spacing_x(self, value: float) -> None: ...
    @property
    def spacing_y(self) -> float:
        """Distance between neighbouring copies along Y."""
    @spacing_y.setter
    def spacing_y(self, value: float) -> None: ...
    @property
    def spacing_z(self) -> float:
        """Distance between neighbouring copies along Z."""
    @spacing_z.setter
    def spacing_z(self, value: float) -> None: ...
    def __repr__(self) -> str: ...
    __hash__: typing.ClassVar[None]
    __match_args__: typing.ClassVar[tuple[str, ...]]
    def __eq__(self, other: object) -> bool: ...
    def __copy__(self) -> object: ...
    def __deepcopy__(self, memo: typing.Any) -> object: ...
    def to_dict(self) -> dict[str, typing.Any]:
        """The dictionary form: every field by name (translation and rotation as dictionaries, lists as new plain lists), ready for JSON."""
    _SKIP_FIELDS: typing.ClassVar[frozenset[str]]
    @classmethod
    def from_dict(cls, data: typing.Mapping[str, typing.Any]) -> typing.Self:
        """An instance of cls from its dictionary form; keys that are missing keep their defaults and unknown keys are ignored.

        Raises AttributeError when data has no get, TypeError or ValueError for a value of the wrong kind.
        """

class FilletProperties(ModifierProperties):
    """Properties for a fillet applied to selected edges of a volume shape."""
    def __init__(self, translation: Translation = ..., rotation: Rotation = ..., fillet_radius: float = 1.0, edge_indices: typing.Iterable[int] = ...) -> None: ...
    @property
    def translation(self) -> Translation:
        """Where the shape is placed: a Translation, applied after the rotation."""
    @translation.setter
    def translation(self, value: Translation) -> None: ...
    @property
    def rotation(self) -> Rotation:
        """How the shape is turned about its own origin: a Rotation in degrees about X, then Y, then Z."""
    @rotation.setter
    def rotation(self, value: Rotation) -> None: ...
    @property
    def fillet_radius(self) -> float:
        """Radius of the fillet."""
    @fillet_radius.setter
    def fillet_radius(self, value: float) -> None: ...
    @property
    def edge_indices(self) -> IndexList:
        """Indices of the edges to fillet, in the shape's sub-shape order; empty for every edge."""
    @edge_indices.setter
    def edge_indices(self, value: IndexList) -> None: ...
    def __repr__(self) -> str: ...
    __hash__: typing.ClassVar[None]
    __match_args__: typing.ClassVar[tuple[str, ...]]
    def __eq__(self, other: object) -> bool: ...
    def __copy__(self) -> object: ...
    def __deepcopy__(self, memo: typing.Any) -> object: ...
    def to_dict(self) -> dict[str, typing.Any]:
        """The dictionary form: every field by name (translation and rotation as dictionaries, lists as new plain lists), ready for JSON."""
    _SKIP_FIELDS: typing.ClassVar[frozenset[str]]
    @classmethod
    def from_dict(cls, data: typing.Mapping[str, typing.Any]) -> typing.Self:
        """An instance of cls from its dictionary form; keys that are missing keep their defaults and unknown keys are ignored.

        Raises AttributeError when data has no get, TypeError or ValueError for a value of the wrong kind.
        """

class CornerRoundProperties(ModifierProperties):
    """Properties for corner rounding applied to selected vertices of a planar face (RECTANGLE)."""
    def __init__(self, translation: Translation = ..., rotation: Rotation = ..., corner_radius: float = 1.0, vertex_indices: typing.Iterable[int] = ...) -> None: ...
    @property
    def translation(self) -> Translation:
        """Where the shape is placed: a Translation, applied after the rotation."""
    @translation.setter
    def translation(self, value: Translation) -> None: ...
    @property
    def rotation(self) -> Rotation:
        """How the shape is turned about its own origin: a Rotation in degrees about X, then Y, then Z."""
    @rotation.setter
    def rotation(self, value: Rotation) -> None: ...
    @property
    def corner_radius(self) -> float:
        """Radius of each rounded corner."""
    @corner_radius.setter
    def corner_radius(self, value: float) -> None: ...
    @property
    def vertex_indices(self) -> IndexList:
        """Indices of the vertices to round, in the shape's sub-shape order."""
    @vertex_indices.setter
    def vertex_indices(self, value: IndexList) -> None: ...
    def __repr__(self) -> str: ...
    __hash__: typing.ClassVar[None]
    __match_args__: typing.ClassVar[tuple[str, ...]]
    def __eq__(self, other: object) -> bool: ...
    def __copy__(self) -> object: ...
    def __deepcopy__(self, memo: typing.Any) -> object: ...
    def to_dict(self) -> dict[str, typing.Any]:
        """The dictionary form: every field by name (translation and rotation as dictionaries, lists as new plain lists), ready for JSON."""
    _SKIP_FIELDS: typing.ClassVar[frozenset[str]]
    @classmethod
    def from_dict(cls, data: typing.Mapping[str, typing.Any]) -> typing.Self:
        """An instance of cls from its dictionary form; keys that are missing keep their defaults and unknown keys are ignored.

        Raises AttributeError when data has no get, TypeError or ValueError for a value of the wrong kind.
        """

class PolylineRoundProperties(ModifierProperties):
    """Properties for corner rounding applied to selected vertices of a polyline."""
    def __init__(self, translation: Translation = ..., rotation: Rotation = ..., corner_radius: float = 1.0, vertex_indices: typing.Iterable[int] = ...) -> None: ...
    @property
    def translation(self) -> Translation:
        """Where the shape is placed: a Translation, applied after the rotation."""
    @translation.setter
    def translation(self, value: Translation) -> None: ...
    @property
    def rotation(self) -> Rotation:
        """How the shape is turned about its own origin: a Rotation in degrees about X, then Y, then Z."""
    @rotation.setter
    def rotation(self, value: Rotation) -> None: ...
    @property
    def corner_radius(self) -> float:
        """Radius of each rounded corner."""
    @corner_radius.setter
    def corner_radius(self, value: float) -> None: ...
    @property
    def vertex_indices(self) -> IndexList:
        """Indices of the vertices to round, in the shape's sub-shape order."""
    @vertex_indices.setter
    def vertex_indices(self, value: IndexList) -> None: ...
    def __repr__(self) -> str: ...
    __hash__: typing.ClassVar[None]
    __match_args__: typing.ClassVar[tuple[str, ...]]
    def __eq__(self, other: object) -> bool: ...
    def __copy__(self) -> object: ...
    def __deepcopy__(self, memo: typing.Any) -> object: ...
    def to_dict(self) -> dict[str, typing.Any]:
        """The dictionary form: every field by name (translation and rotation as dictionaries, lists as new plain lists), ready for JSON."""
    _SKIP_FIELDS: typing.ClassVar[frozenset[str]]
    @classmethod
    def from_dict(cls, data: typing.Mapping[str, typing.Any]) -> typing.Self:
        """An instance of cls from its dictionary form; keys that are missing keep their defaults and unknown keys are ignored.

        Raises AttributeError when data has no get, TypeError or ValueError for a value of the wrong kind.
        """

class ExtrudeProperties(ModifierProperties):
    """Properties for extruding a planar source shape along its face normal."""
    def __init__(self, translation: Translation = ..., rotation: Rotation = ..., depth: float = 20.0) -> None: ...
    @property
    def translation(self) -> Translation:
        """Where the shape is placed: a Translation, applied after the rotation."""
    @translation.setter
    def translation(self, value: Translation) -> None: ...
    @property
    def rotation(self) -> Rotation:
        """How the shape is turned about its own origin: a Rotation in degrees about X, then Y, then Z."""
    @rotation.setter
    def rotation(self, value: Rotation) -> None: ...
    @property
    def depth(self) -> float:
        """Size along Z for a box; distance along the face normal for an extrusion."""
    @depth.setter
    def depth(self, value: float) -> None: ...
    def __repr__(self) -> str: ...
    __hash__: typing.ClassVar[None]
    __match_args__: typing.ClassVar[tuple[str, ...]]
    def __eq__(self, other: object) -> bool: ...
    def __copy__(self) -> object: ...
    def __deepcopy__(self, memo: typing.Any) -> object: ...
    def to_dict(self) -> dict[str, typing.Any]:
        """The dictionary form: every field by name (translation and rotation as dictionaries, lists as new plain lists), ready for JSON."""
    _SKIP_FIELDS: typing.ClassVar[frozenset[str]]
    @classmethod
    def from_dict(cls, data: typing.Mapping[str, typing.Any]) -> typing.Self:
        """An instance of cls from its dictionary form; keys that are missing keep their defaults and unknown keys are ignored.

        Raises AttributeError when data has no get, TypeError or ValueError for a value of the wrong kind.
        """

class BooleanProperties(Quenby):
    """Properties for UNION and SUBTRACTION boolean shapes."""
    def __init__(self, translation: Translation = ..., rotation: Rotation = ..., remove_internal_edges: bool = True) -> None: ...
    @property
    def translation(self) -> Translation:
        """Where the shape is placed: a Translation, applied after the rotation."""
    @translation.setter
    def translation(self, value: Translation) -> None: ...
    @property
    def rotation(self) -> Rotation:
        """How the shape is turned about its own origin: a Rotation in degrees about X, then Y, then Z."""
    @rotation.setter
    def rotation(self, value: Rotation) -> None: ...
    @property
    def remove_internal_edges(self) -> bool:
        """Whether the result's faces and edges of one surface or curve are merged."""
    @remove_internal_edges.setter
    def remove_internal_edges(self, value: bool) -> None: ...
    def __repr__(self) -> str: ...
    __hash__: typing.ClassVar[None]
    __match_args__: typing.ClassVar[tuple[str, ...]]
    def __eq__(self, other: object) -> bool: ...
    def __copy__(self) -> object: ...
    def __deepcopy__(self, memo: typing.Any) -> object: ...
    def to_dict(self) -> dict[str, typing.Any]:
        """The dictionary form: every field by name (translation and rotation as dictionaries, lists as new plain lists), ready for JSON."""
    _SKIP_FIELDS: typing.ClassVar[frozenset[str]]
    @classmethod
    def from_dict(cls, data: typing.Mapping[str, typing.Any]) -> typing.Self:
        """An instance of cls from its dictionary form; keys that are missing keep their defaults and unknown keys are ignored.

        Raises AttributeError when data has no get, TypeError or ValueError for a value of the wrong kind.
        """

class SketchProperties(Quenby):
    """Properties for a sketch on a reference plane."""
    def __init__(self, translation: Translation = ..., rotation: Rotation = ..., plane_id: str = '') -> None: ...
    @property
    def translation(self) -> Translation:
        """Where the shape is placed: a Translation, applied after the rotation."""
    @translation.setter
    def translation(self, value: Translation) -> None: ...
    @property
    def rotation(self) -> Rotation:
        """How the shape is turned about its own origin: a Rotation in degrees about X, then Y, then Z."""
    @rotation.setter
    def rotation(self, value: Rotation) -> None: ...
    @property
    def plane_id(self) -> str:
        """Shape id of the reference plane the element or sketch lies on."""
    @plane_id.setter
    def plane_id(self, value: str) -> None: ...
    def __repr__(self) -> str: ...
    __hash__: typing.ClassVar[None]
    __match_args__: typing.ClassVar[tuple[str, ...]]
    def __eq__(self, other: object) -> bool: ...
    def __copy__(self) -> object: ...
    def __deepcopy__(self, memo: typing.Any) -> object: ...
    def to_dict(self) -> dict[str, typing.Any]:
        """The dictionary form: every field by name (translation and rotation as dictionaries, lists as new plain lists), ready for JSON."""
    _SKIP_FIELDS: typing.ClassVar[frozenset[str]]
    @classmethod
    def from_dict(cls, data: typing.Mapping[str, typing.Any]) -> typing.Self:
        """An instance of cls from its dictionary form; keys that are missing keep their defaults and unknown keys are ignored.

        Raises AttributeError when data has no get, TypeError or ValueError for a value of the wrong kind.
        """

class LineProperties(Quenby):
    """Properties for a line segment on a sketch plane."""
    def __init__(self, translation: Translation = ..., rotation: Rotation = ..., plane_id: str = '', p1: tuple[float, float] = ..., p2: tuple[float, float] = ...) -> None: ...
    @property
    def translation(self) -> Translation:
        """Where the shape is placed: a Translation, applied after the rotation."""
    @translation.setter
    def translation(self, value: Translation) -> None: ...
    @property
    def rotation(self) -> Rotation:
        """How the shape is turned about its own origin: a Rotation in degrees about X, then Y, then Z."""
    @rotation.setter
    def rotation(self, value: Rotation) -> None: ...
    @property
    def plane_id(self) -> str:
        """Shape id of the reference plane the element or sketch lies on."""
    @plane_id.setter
    def plane_id(self, value: str) -> None: ...
    @property
    def p1(self) -> tuple[float, float]:
        """Start of the line, (u, v)."""
    @p1.setter
    def p1(self, value: tuple[float, float]) -> None: ...
    @property
    def p2(self) -> tuple[float, float]:
        """End of the line, (u, v)."""
    @p2.setter
    def p2(self, value: tuple[float, float]) -> None: ...
    def __repr__(self) -> str: ...
    __hash__: typing.ClassVar[None]
    __match_args__: typing.ClassVar[tuple[str, ...]]
    def __eq__(self, other: object) -> bool: ...
    def __copy__(self) -> object: ...
    def __deepcopy__(self, memo: typing.Any) -> object: ...
    def to_dict(self) -> dict[str, typing.Any]:
        """The dictionary form: every field by name (translation and rotation as dictionaries, lists as new plain lists), ready for JSON."""
    _SKIP_FIELDS: typing.ClassVar[frozenset[str]]
    @classmethod
    def from_dict(cls, data: typing.Mapping[str, typing.Any]) -> typing.Self:
        """An instance of cls from its dictionary form; keys that are missing keep their defaults and unknown keys are ignored.

        Raises AttributeError when data has no get, TypeError or ValueError for a value of the wrong kind.
        """

class ArcProperties(Quenby):
    """Properties for a 3-point arc on a sketch plane (start → mid → end)."""
    def __init__(self, translation: Translation = ..., rotation: Rotation = ..., plane_id: str = '', start: tuple[float, float] = ..., mid: tuple[float, float] = ..., end: tuple[float, float] = ...) -> None: ...
    @property
    def translation(self) -> Translation:
        """Where the shape is placed: a Translation, applied after the rotation."""
    @translation.setter
    def translation(self, value: Translation) -> None: ...
    @property
    def rotation(self) -> Rotation:
        """How the shape is turned about its own origin: a Rotation in degrees about X, then Y, then Z."""
    @rotation.setter
    def rotation(self, value: Rotation) -> None: ...
    @property
    def plane_id(self) -> str:
        """Shape id of the reference plane the element or sketch lies on."""
    @plane_id.setter
    def plane_id(self, value: str) -> None: ...
    @property
    def start(self) -> tuple[float, float]:
        """First point of the arc, (u, v)."""
    @start.setter
    def start(self, value: tuple[float, float]) -> None: ...
    @property
    def mid(self) -> tuple[float, float]:
        """A point the arc passes through between start and end, (u, v)."""
    @mid.setter
    def mid(self, value: tuple[float, float]) -> None: ...
    @property
    def end(self) -> tuple[float, float]:
        """Last point of the arc, (u, v)."""
    @end.setter
    def end(self, value: tuple[float, float]) -> None: ...
    def __repr__(self) -> str: ...
    __hash__: typing.ClassVar[None]
    __match_args__: typing.ClassVar[tuple[str, ...]]
    def __eq__(self, other: object) -> bool: ...
    def __copy__(self) -> object: ...
    def __deepcopy__(self, memo: typing.Any) -> object: ...
    def to_dict(self) -> dict[str, typing.Any]:
        """The dictionary form: every field by name (translation and rotation as dictionaries, lists as new plain lists), ready for JSON."""
    _SKIP_FIELDS: typing.ClassVar[frozenset[str]]
    @classmethod
    def from_dict(cls, data: typing.Mapping[str, typing.Any]) -> typing.Self:
        """An instance of cls from its dictionary form; keys that are missing keep their defaults and unknown keys are ignored.

        Raises AttributeError when data has no get, TypeError or ValueError for a value of the wrong kind.
        """

class SketchPolylineProperties(Quenby):
    """Properties for a multi-segment polyline on a sketch plane."""
    def __init__(self, translation: Translation = ..., rotation: Rotation = ..., plane_id: str = '', points_uv: typing.Iterable[tuple[float, float]] = ..., closed: bool = False, filled: bool = False) -> None: ...
    @property
    def translation(self) -> Translation:
        """Where the shape is placed: a Translation, applied after the rotation."""
    @translation.setter
    def translation(self, value: Translation) -> None: ...
    @property
    def rotation(self) -> Rotation:
        """How the shape is turned about its own origin: a Rotation in degrees about X, then Y, then Z."""
    @rotation.setter
    def rotation(self, value: Rotation) -> None: ...
    @property
    def plane_id(self) -> str:
        """Shape id of the reference plane the element or sketch lies on."""
    @plane_id.setter
    def plane_id(self, value: str) -> None: ...
    @property
    def points_uv(self) -> Point2List:
        """The polyline's points, (u, v) each."""
    @points_uv.setter
    def points_uv(self, value: Point2List) -> None: ...
    @property
    def closed(self) -> bool:
        """True when the last point joins the first."""
    @closed.setter
    def closed(self, value: bool) -> None: ...
    @property
    def filled(self) -> bool:
        """True for a face, False for an outline wire only."""
    @filled.setter
    def filled(self, value: bool) -> None: ...
    def __repr__(self) -> str: ...
    __hash__: typing.ClassVar[None]
    __match_args__: typing.ClassVar[tuple[str, ...]]
    def __eq__(self, other: object) -> bool: ...
    def __copy__(self) -> object: ...
    def __deepcopy__(self, memo: typing.Any) -> object: ...
    def to_dict(self) -> dict[str, typing.Any]:
        """The dictionary form: every field by name (translation and rotation as dictionaries, lists as new plain lists), ready for JSON."""
    _SKIP_FIELDS: typing.ClassVar[frozenset[str]]
    @classmethod
    def from_dict(cls, data: typing.Mapping[str, typing.Any]) -> typing.Self:
        """An instance of cls from its dictionary form; keys that are missing keep their defaults and unknown keys are ignored.

        Raises AttributeError when data has no get, TypeError or ValueError for a value of the wrong kind.
        """
_SP = typing.TypeVar("_SP", bound=Quenby)
