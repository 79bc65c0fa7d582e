# Generated from the built modules by scripts/stubs.sh; do not edit.
"""The geometry manager: registry, creation, editing, undo and hooks of managed shapes.

DEFAULT_SHAPE_COLOR and DEFAULT_PLANE_COLOR are the colours new shapes and
planes get when none is given.
"""

import nimbal.enums
import nimbal.kernel
import nimbal.managers.tessik
import nimbal.models.quenby
import nimbal.services.drulen
import nimbal.services.hathel
import typing

class ComponentList:
    """The hidden inputs of a managed shape (a live list)."""
    @typing.overload
    def __init__(self) -> None: ...
    @typing.overload
    def __init__(self, iterable: typing.Iterable[ManagedShape]) -> None: ...
    def __len__(self) -> int: ...
    @typing.overload
    def __getitem__(self, arg0: int) -> ManagedShape: ...
    @typing.overload
    def __getitem__(self, arg0: slice) -> list[ManagedShape]: ...
    @typing.overload
    def __setitem__(self, arg0: int, arg1: ManagedShape) -> None: ...
    @typing.overload
    def __setitem__(self, arg0: slice, arg1: typing.Iterable[ManagedShape]) -> None: ...
    @typing.overload
    def __delitem__(self, arg0: int) -> None: ...
    @typing.overload
    def __delitem__(self, arg0: slice) -> None: ...
    def __iter__(self) -> typing.Iterator[ManagedShape]: ...
    def __contains__(self, arg0: ManagedShape) -> bool: ...
    def __eq__(self, other: object) -> bool: ...
    __hash__: typing.ClassVar[None]  # type: ignore[assignment]
    def __ne__(self, other: object) -> bool: ...
    def __repr__(self) -> str: ...
    def __copy__(self) -> ComponentList: ...
    def __deepcopy__(self, memo: typing.Any) -> ComponentList: ...
    def copy(self) -> list[ManagedShape]:
        """A plain list of the items."""
    def __add__(self, arg0: typing.Iterable[ManagedShape]) -> list[ManagedShape]: ...
    def __iadd__(self, arg0: typing.Iterable[ManagedShape]) -> ComponentList: ...
    def append(self, item: ManagedShape) -> None:
        """Adds item at the end.

        Raises TypeError (or ValueError) for an item the list cannot hold.
        """
    def extend(self, iterable: typing.Iterable[ManagedShape]) -> None:
        """Adds every item of iterable at the end; all are checked before any is added.

        Raises TypeError for something that is not an iterable of items the list holds.
        """
    def insert(self, index: int, item: ManagedShape) -> None:
        """Puts item before position index (counted from the end when negative, clamped to the list).

        Raises TypeError for an item the list cannot hold.
        """
    def pop(self, index: int = -1) -> ManagedShape:
        """Removes and returns the item at index (the last by default).

        Raises IndexError when the list is empty or index is out of range.
        """
    def remove(self, item: ManagedShape) -> None:
        """Removes the first item equal to item.

        Raises ValueError when there is none.
        """
    def clear(self) -> None:
        """Removes every item."""
    def index(self, item: ManagedShape) -> int:
        """Position of the first item equal to item.

        Raises ValueError when there is none.
        """
    def count(self, item: ManagedShape) -> int:
        """Number of items equal to item."""
    def reverse(self) -> None:
        """Reverses the items in place."""
    def sort(self, *args: typing.Any, **kwargs: typing.Any) -> None:
        """Sorts the items in place, taking list.sort's key and reverse; the list is unchanged if a key raises."""

class ManagedShape:
    """A managed shape with its properties and metadata.

    One entry of a manager's registry: a top-level shape when parent_id is None,
    otherwise a hidden component of the shape parent_id names. Compares and
    hashes by identity.
    """
    def __init__(self, shape_id: str, shape: nimbal.kernel.TopoDS_Shape | None, shape_type: nimbal.enums.ShapeType, name: str, color: tuple[float, float, float], properties: nimbal.models.quenby.Quenby, components: typing.Iterable[ManagedShape] | None = None, parent_id: str | None = None) -> None:
        """Builds a record; it is not registered anywhere.

        Args:
            shape_id: The id the shape is registered under.
            shape: Its kernel shape, or None (a reference plane, or a sketch with
                no element that has a shape).
            shape_type: Its ShapeType.
            name: Its display name.
            color: (red, green, blue), each 0 to 1, stored as a copy.
            properties: Its property record, kept as this very object.
            components: Its hidden inputs (ManagedShape objects); None for none.
            parent_id: Id of the shape holding it as a component, or None.

        Raises:
            TypeError: for an argument of the wrong type.
        """
    @property
    def shape_id(self) -> str:
        """The id the shape is registered under."""
    @shape_id.setter
    def shape_id(self, value: str) -> None: ...
    @property
    def shape(self) -> nimbal.kernel.TopoDS_Shape | None:
        """The kernel shape, or None: always for a reference plane, and for a sketch with no element that has a shape."""
    @shape.setter
    def shape(self, value: nimbal.kernel.TopoDS_Shape | None) -> None: ...
    @property
    def shape_type(self) -> nimbal.enums.ShapeType:
        """The shape's ShapeType."""
    @shape_type.setter
    def shape_type(self, value: nimbal.enums.ShapeType) -> None: ...
    @property
    def name(self) -> str:
        """The display name; setting it keeps the next generated names in step."""
    @name.setter
    def name(self, value: str) -> None: ...
    @property
    def color(self) -> tuple[float, float, float]:
        """(red, green, blue), each 0 to 1."""
    @color.setter
    def color(self, value: tuple[float, float, float]) -> None: ...
    @property
    def properties(self) -> nimbal.models.quenby.Quenby:
        """The shape's property record."""
    @properties.setter
    def properties(self, value: nimbal.models.quenby.Quenby) -> None: ...
    @property
    def components(self) -> ComponentList:
        """The hidden inputs, in order (a live list); a modifier's base is the first."""
    @components.setter
    def components(self, value: ComponentList) -> None: ...
    @property
    def parent_id(self) -> str | None:
        """Id of the shape holding this one as a component; None for a top-level shape."""
    @parent_id.setter
    def parent_id(self, value: str | None) -> None: ...
    def __repr__(self) -> str: ...

class ShapeRegistry:
    """The manager's shapes by id, hidden components included, in registration order (a live, read-only view)."""
    def __len__(self) -> int: ...
    def __getitem__(self, arg0: str) -> ManagedShape: ...
    def __contains__(self, arg0: typing.Any) -> bool: ...
    def get(self, key: str, default: typing.Any = None) -> typing.Any:
        """The shape registered under key, or default."""
    def keys(self) -> list[str]:
        """Every registered id, in registration order."""
    def values(self) -> list[ManagedShape]:
        """Every registered shape, in registration order."""
    def items(self) -> list[tuple[str, ManagedShape]]:
        """(id, shape) pairs, in registration order."""
    def __iter__(self) -> typing.Iterator[str]: ...
    def __repr__(self) -> str: ...
DEFAULT_SHAPE_COLOR: tuple[float, float, float]
DEFAULT_PLANE_COLOR: tuple[float, float, float]

def _normal_from_rotation_deg(rx: float, ry: float, rz: float) -> tuple[float, float, float]: ...

class _NullScope:
    def __enter__(self) -> None: ...
    def __exit__(self, arg0: typing.Any, arg1: typing.Any, arg2: typing.Any) -> bool: ...

class CoreCorvath:
    """The headless geometry manager.

    Holds the registry of managed shapes (top-level shapes and their hidden
    components), builds them through its geometry kernel service, and records
    every change on its own undo stacks. A host subclass overrides the
    ``_notify_*`` hooks to follow each change and ``_operation`` to show progress;
    they do nothing here. A modelling operation that yields no result does not
    raise: it calls ``_notify_operation_failed(title, message)`` and returns None,
    False or an empty list. Errors the kernel service lets through and errors of
    hook overrides reach the caller. Each operation's docstring gives the order
    of its hooks.

    Wiring a view (a Lumbra) to the hooks, as examples/host.py does:
    _notify_shape_created displays ms.shape with display_shape(ms.shape,
    shape_id, ms.color), or, for a PLANE, display_plane(shape_id, (origin_x,
    origin_y, origin_z), (normal_x, normal_y, normal_z)) with the values of its
    PlaneProperties (a plane has no kernel shape); _notify_shape_updated displays
    it again the same way (display_shape replaces the presentation recorded under
    the id, display_plane moves the plane); _notify_shape_removed calls
    erase_shape(shape_id) or, for a plane id, erase_plane(shape_id);
    _notify_all_cleared calls erase_all(). One operation can fire many hooks (a
    load, an undo, a split): pass update=False to each display and erase call
    and redraw once when the operation returns, rather than render the whole
    view at every hook.

    A host that keys its own state by shape id: a loaded project gives its
    solids new ids, while its reference planes and sketches keep the ids they
    were saved with.
    """
    def __init__(self, geo_service: nimbal.services.drulen.Drulen | None = None) -> None:
        """Creates a manager with an empty registry and empty undo and redo stacks.

        Args:
            geo_service: The geometry kernel service; None gives a new Drulen. Any
                other object offering DrulenProtocol's operations is used as given.

        No hook is called.
        """
    @property
    def _shapes(self) -> ShapeRegistry: ...
    @property
    def _geo_service(self) -> object: ...
    @property
    def _undo_redo(self) -> nimbal.services.hathel.Hathel: ...
    @property
    def _undo_stack(self) -> nimbal.services.hathel.CommandList: ...
    def _notify_shape_created(self, shape_id: str, ms: ManagedShape) -> None:
        """Hook: shape ms was registered under shape_id as a top-level shape. Does nothing here.

        A host overrides it (same parameters) to show the shape; it is called
        synchronously inside the operation, and what it raises reaches the caller.
        """
    def _notify_shape_updated(self, shape_id: str, ms: ManagedShape) -> None:
        """Hook: the registered shape ms changed (geometry, colour, name or record). Does nothing here."""
    def _notify_shape_removed(self, shape_id: str) -> None:
        """Hook: the top-level shape shape_id left the registry. Does nothing here."""
    def _notify_all_cleared(self) -> None:
        """Hook: the registry was emptied at once (clear_all, redo of it). Does nothing here."""
    def _notify_undo_redo_changed(self, can_undo: bool, can_redo: bool) -> None:
        """Hook: what undo and redo can do now, called whenever either stack changes. Does nothing here."""
    def _notify_operation_failed(self, operation: str, message: str) -> None:
        """Hook: a modelling operation produced no result. Does nothing here.

        Args:
            operation: A short title, such as "Boolean Union".
            message: A sentence for the user.
        """
    def _operation(self, message: str) -> typing.ContextManager[None]:
        """The progress scope of one long step: a context manager around it.

        Here a scope that does nothing. A host overrides it (with
        contextlib.contextmanager, say) to show message while the step runs; an
        exception of the step passes through the scope, and one the scope swallows
        leaves the operation without a result, so it takes its failure path.
        """
    def _on_redo_clears_all(self) -> None:
        """What redoing "Clear all" does: empties the registry and calls _notify_all_cleared()."""
    @property
    def can_undo(self) -> bool:
        """Whether there is an edit to undo."""
    @property
    def can_redo(self) -> bool:
        """Whether there is an undone edit to redo."""
    def undo(self) -> None:
        """Undoes the newest edit: restores the shapes it changed and calls their hooks.

        The stored state calls _notify_shape_removed, _notify_shape_created or
        _notify_shape_updated for each top-level shape it touches (removals
        first), then _notify_undo_redo_changed(can_undo, can_redo) follows. Does
        nothing when there is nothing to undo.

        Hooks, in order, for the undo of a union: _notify_shape_removed (the
        union), _notify_shape_created (each input), _notify_undo_redo_changed.
        """
    def redo(self) -> None:
        """Redoes the newest undone edit, with the same hooks as undo.

        Redoing "Clear all" empties the registry and calls _notify_all_cleared().

        Hooks, in order, for the redo of a union: _notify_shape_removed (each
        input), _notify_shape_created (the union), _notify_undo_redo_changed.

        Hooks, in order, for the redo of "Clear all": _notify_all_cleared,
        _notify_undo_redo_changed.
        """
    def clear_undo_history(self) -> None:
        """Empties both undo stacks.

        Hooks, in order: _notify_undo_redo_changed (with False, False).
        """
    def undo_depth(self) -> int:
        """Number of edits on the undo stack."""
    def trim_undo_to(self, depth: int) -> None:
        """Keeps the oldest depth edits of the undo stack and empties the redo stack.

        A negative depth drops that many from the newest end.

        Hooks, in order: _notify_undo_redo_changed.
        """
    def _push_undo(self, description: str, before: nimbal.services.hathel.State | dict[str, nimbal.services.hathel._ShapeSnapshot | None], after: nimbal.services.hathel.State | dict[str, nimbal.services.hathel._ShapeSnapshot | None], *, redo_clears_all: bool = False) -> None: ...
    def _snapshot(self, shape_id: str) -> nimbal.services.hathel._ShapeSnapshot | None: ...
    def _collect_snapshots(self, ms: ManagedShape, out: nimbal.services.hathel.State | dict[str, typing.Any]) -> None: ...
    def _apply_state(self, state: nimbal.services.hathel.State | dict[str, nimbal.services.hathel._ShapeSnapshot | None]) -> None: ...
    def _restore_from_snapshot(self, shape_id: str, snapshot: nimbal.services.hathel._ShapeSnapshot) -> None: ...
    def _new_shape_id(self, shape_type: nimbal.enums.ShapeType) -> str: ...
    def _generate_shape_name(self, shape_type: nimbal.enums.ShapeType) -> str: ...
    def create_shape(self, shape_type: nimbal.enums.ShapeType, properties: nimbal.models.quenby.Quenby, color: tuple[float, float, float] = (0.7, 0.75, 0.8), name: str | None = None) -> ManagedShape | None:
        """Builds a shape from its record and registers it as a new top-level shape.

        Args:
            shape_type: What to build (a primitive, RECTANGLE, CIRCLE or POLYLINE).
            properties: Its record, kept as this very object; its rotation, then its
                translation, place the shape.
            color: (red, green, blue), each 0 to 1.
            name: Display name; None generates one such as "Box_3".

        Returns:
            The new ManagedShape, or None when no geometry results (then
            _notify_operation_failed("Create <Type>", message) is called).

        Records "Create <type>". Kernel errors are not caught.

        Hooks, in order: _notify_undo_redo_changed, _notify_shape_created.

        Hooks, in order, when no geometry results: _notify_operation_failed.
        """
    def import_shape(self, filename: str, color: tuple[float, float, float] = (0.7, 0.75, 0.8), properties: nimbal.models.quenby.Quenby | None = None, name: str | None = None) -> ManagedShape | None:
        """Reads a STEP or IGES file (chosen by suffix) and registers it as an IMPORTED shape.

        Args:
            filename: The file to read.
            color: (red, green, blue), each 0 to 1.
            properties: An ImportedProperties placing the shape; None for a new one.
            name: Display name; None generates one.

        Returns:
            The new ManagedShape, or None when the file yields no shape (then
            _notify_operation_failed is called).

        Records "Import <name>".

        Hooks, in order: _operation, _notify_undo_redo_changed,
        _notify_shape_created.

        Hooks, in order, when the file yields no shape: _operation,
        _notify_operation_failed.
        """
    def create_plane_from_standard(self, standard_plane: nimbal.enums.StandardPlane, color: tuple[float, float, float] = (0.4, 0.8, 1.0), name: str | None = None) -> ManagedShape | None:
        """Registers the reference plane XY, XZ or YZ through the origin.

        Args:
            standard_plane: Which StandardPlane.
            color: (red, green, blue), each 0 to 1.
            name: Display name; None generates one.

        Returns:
            The new PLANE ManagedShape, or None when the plane cannot be made
            (nothing is reported then).

        Records one "Create plane ..." command.

        Hooks, in order: _notify_undo_redo_changed, _notify_shape_created.
        """
    def create_arbitrary_plane(self, translation: tuple[float, float, float] = (0.0, 0.0, 0.0), rotation_deg: tuple[float, float, float] = (0.0, 0.0, 0.0), color: tuple[float, float, float] = (0.4, 0.8, 1.0), name: str | None = None) -> ManagedShape | None:
        """Registers a reference plane through translation whose normal is Z turned by rotation_deg.

        Args:
            translation: The plane's origin (x, y, z).
            rotation_deg: Rotations about X, Y and Z in degrees.
            color: (red, green, blue), each 0 to 1.
            name: Display name; None generates one.

        Raises:
            TypeError: when rotation_deg has not three values, or a value is no number.
            ValueError: when translation has not three values.

        Returns:
            The new PLANE ManagedShape, or None when the plane cannot be made
            (nothing is reported then).

        Records one "Create plane ..." command.

        Hooks, in order: _notify_undo_redo_changed, _notify_shape_created.
        """
    def create_plane_from_face_shape(self, face_topo: nimbal.kernel.TopoDS_Shape | None, color: tuple[float, float, float] = (0.4, 0.8, 1.0), name: str | None = None) -> ManagedShape | None:
        """Registers the reference plane carrying a planar kernel face.

        Args:
            face_topo: The face; None gives None without asking the kernel.
            color: (red, green, blue), each 0 to 1.
            name: Display name; None generates one.

        Returns:
            The new PLANE ManagedShape, or None when the plane cannot be made
            (nothing is reported then).

        Records one "Create plane ..." command.

        Hooks, in order: _notify_undo_redo_changed, _notify_shape_created.
        """
    def create_plane_from_face(self, face_shape_id: str, color: tuple[float, float, float] = (0.4, 0.8, 1.0), name: str | None = None) -> ManagedShape | None:
        """Registers the reference plane carrying the planar FACE shape face_shape_id.

        Args:
            face_shape_id: Id of a registered shape whose kernel shape is a planar face.
            color: (red, green, blue), each 0 to 1.
            name: Display name; None generates one.

        Returns:
            The new PLANE ManagedShape, or None when the plane cannot be made
            (nothing is reported then).

        Records one "Create plane ..." command.

        Hooks, in order: _notify_undo_redo_changed, _notify_shape_created.
        """
    def update_shape(self, shape_id: str, properties: nimbal.models.quenby.Quenby) -> nimbal.kernel.TopoDS_Shape | bool | None:
        """Gives a registered shape a new record and rebuilds it and every shape built on it.

        Args:
            shape_id: The shape to change.
            properties: Its new record, normally of the shape's own kind.

        Returns:
            The new kernel shape; True for a reference plane, and for a sketch whose
            rebuilt shape is None; None when the id is unknown (nothing is reported
            then) or the update or a recomputation above it failed (then
            _notify_operation_failed is called and nothing is changed).

        A hidden component's holders are recomputed up to the top-level one; an
        element of a sketch is rebuilt on its sketch's plane. A moved plane takes its
        sketches with it: their elements are rebuilt on it and what holds them is
        recomputed. Everything is computed before anything changes: if one of them
        gives no shape, the update fails. Records one command "Update <name>" (the
        shape and everything recomputed).

        Hooks, in order: _notify_shape_updated (each of: the shape unless it is a
        hidden component, every recomputed holder innermost first, a moved plane's
        sketches and their holders), _notify_undo_redo_changed.

        Hooks, in order, when the update fails: _notify_operation_failed.
        """
    def _update_component_shape(self, managed_shape: ManagedShape, properties: nimbal.models.quenby.Quenby) -> nimbal.kernel.TopoDS_Shape | None: ...
    def _recompute_boolean_from_components(self, managed_shape: ManagedShape) -> nimbal.kernel.TopoDS_Shape | None: ...
    def _build_array_compound(self, base_shape: nimbal.kernel.TopoDS_Shape | None, props: nimbal.models.quenby.ArrayProperties) -> nimbal.kernel.TopoDS_Shape | None: ...
    def _recompute_array_from_component(self, array_shape: ManagedShape) -> nimbal.kernel.TopoDS_Shape | None: ...
    def _recompute_fillet_from_component(self, managed_shape: ManagedShape, properties: nimbal.models.quenby.Quenby | None = None) -> nimbal.kernel.TopoDS_Shape | None: ...
    def _recompute_corner_round_from_component(self, managed_shape: ManagedShape, properties: nimbal.models.quenby.Quenby | None = None) -> nimbal.kernel.TopoDS_Shape | None: ...
    def _recompute_polyline_round_from_component(self, managed_shape: ManagedShape, properties: nimbal.models.quenby.Quenby | None = None) -> nimbal.kernel.TopoDS_Shape | None: ...
    def _recompute_extrude_from_component(self, managed_shape: ManagedShape, properties: nimbal.models.quenby.Quenby | None = None) -> nimbal.kernel.TopoDS_Shape | None: ...
    def _create_shape_from_properties(self, shape_type: nimbal.enums.ShapeType, properties: nimbal.models.quenby.Quenby) -> nimbal.kernel.TopoDS_Shape | None: ...
    def _apply_transformations(self, shape: nimbal.kernel.TopoDS_Shape | None, properties: nimbal.models.quenby.Quenby) -> nimbal.kernel.TopoDS_Shape | None: ...
    def _update_transformed_shape(self, managed_shape: ManagedShape, new_properties: nimbal.models.quenby.Quenby) -> nimbal.kernel.TopoDS_Shape | None: ...
    def _rebuild_sketch_compound(self, managed_shape: ManagedShape) -> nimbal.kernel.TopoDS_Shape | None: ...
    def update_shape_color(self, shape_id: str, color: tuple[float, float, float]) -> bool:
        """Sets a registered shape's colour.

        Returns True, or False for an unknown id. Records "Change color of <name>"
        (for a hidden component too, so that undoing another command never brings
        an older colour back).

        Hooks, in order: _notify_undo_redo_changed, _notify_shape_updated.
        """
    def rename_shape(self, shape_id: str, new_name: str) -> bool:
        """Sets a shape's name, stripped of surrounding white space.

        White space is what str.strip() strips (Unicode white space included).

        Returns False for an unknown id or an empty stripped name, True otherwise
        (also when the name was already that, with no command or hook). Records
        "Rename <old> to <new>".

        Hooks, in order: _notify_undo_redo_changed, _notify_shape_updated.
        """
    def remove_shape(self, shape_id: str) -> bool:
        """Removes a top-level shape with all its hidden components.

        Returns False for an unknown id or a hidden component, True when removed.
        Records "Remove <name>".

        Hooks, in order: _notify_undo_redo_changed, _notify_shape_removed (the
        shape only, not its components).
        """
    def decompose_shape(self, shape_id: str) -> list[str]:
        """Dissolves a top-level union, subtraction or modifier and makes its direct components top-level.

        Returns the promoted ids in component order, or an empty list when the
        shape is unknown, hidden, of another type or has no components. Records
        "Decompose <name>".

        Hooks, in order: _notify_undo_redo_changed, _notify_shape_removed (the
        dissolved shape), _notify_shape_created (each promoted component).
        """
    def clear_all(self) -> None:
        """Removes every shape, recording one undoable "Clear all".

        No removed hook is called for the single shapes.

        Hooks, in order: _notify_undo_redo_changed, _notify_all_cleared.
        """
    def get_shape(self, shape_id: str) -> ManagedShape | None:
        """The registered shape with that id (hidden components included), or None."""
    def get_all_shape_ids(self) -> list[str]:
        """Ids of the top-level shapes, in registration order."""
    def get_base_shape(self, shape_id: str) -> ManagedShape | None:
        """The shape a chain of modifiers starts from (the first component, followed down).

        The shape itself when it is no modifier; None for an unknown id or a
        modifier without components.
        """
    def get_modifier_chain(self, shape_id: str) -> list[ManagedShape]:
        """The chain from the base up to the shape, innermost first; empty for an unknown id."""
    def _remove_shape(self, managed_shape: ManagedShape) -> None: ...
    def _remove_component_subtree(self, managed_shape: ManagedShape) -> None: ...
    def union_shapes(self, shape_ids: list[str]) -> str | None:
        """Union of two or more top-level shapes as a new UNION shape.

        Args:
            shape_ids: Ids of top-level shapes, each taken once, in the order of
                its first occurrence; unknown and hidden ids are passed over.

        Returns:
            The new shape's id; None, with nothing reported or changed, when fewer
            than two usable ids remain; None after
            _notify_operation_failed(title, message) when the kernel gives no
            result or one its checker finds invalid.

        The inputs stay registered as hidden components. Records one command. The
        kernel step runs inside _operation.

        Hooks, in order: _operation, _notify_shape_removed (each input),
        _notify_shape_created, _notify_undo_redo_changed.

        Hooks, in order, with fewer than two usable ids: none.

        Hooks, in order, when the kernel fails: _operation, _notify_operation_failed.
        """
    def subtract_shapes(self, shape_ids: list[str]) -> str | None:
        """The first top-level shape with every further one cut from it, as a new SUBTRACTION shape.

        Args:
            shape_ids: Ids of top-level shapes, each taken once, in the order of
                its first occurrence; unknown and hidden ids are passed over.

        Returns:
            The new shape's id; None, with nothing reported or changed, when fewer
            than two usable ids remain; None after
            _notify_operation_failed(title, message) when the kernel gives no
            result or one its checker finds invalid.

        The inputs stay registered as hidden components. Records one command. The
        kernel step runs inside _operation.

        Hooks, in order: _operation, _notify_shape_removed (each input),
        _notify_shape_created, _notify_undo_redo_changed.

        Hooks, in order, with fewer than two usable ids: none.

        Hooks, in order, when the kernel fails: _operation, _notify_operation_failed.
        """
    def create_shape_array(self, base_shape_id: str, properties: nimbal.models.quenby.Quenby) -> str | None:
        """Copies of a shape on a grid (ArrayProperties), as a new ARRAY shape.

        Args:
            base_shape_id: Id of a top-level shape.
            properties: The modifier's record, kept as the new shape's own.

        Returns:
            The new shape's id, or None after _notify_operation_failed(title, message),
            also when the kernel's result is one its checker refuses (an array's
            copies of its base are not checked).

        The base stays registered as the new shape's hidden component. Records one
        command.

        Hooks, in order: _operation, _notify_shape_removed (the base),
        _notify_shape_created, _notify_undo_redo_changed.

        Hooks, in order, when the kernel fails: _operation, _notify_operation_failed.

        Raises:
            AttributeError: when properties is a record of another kind.
        """
    def fillet_shape(self, base_shape_id: str, properties: nimbal.models.quenby.Quenby) -> str | None:
        """3D fillet of a solid's edges (FilletProperties), as a new FILLET shape.

        Args:
            base_shape_id: Id of a top-level shape.
            properties: The modifier's record, kept as the new shape's own.

        Returns:
            The new shape's id, or None after _notify_operation_failed(title, message),
            also when the kernel's result is one its checker refuses (an array's
            copies of its base are not checked).

        The base stays registered as the new shape's hidden component. Records one
        command.

        Hooks, in order: _operation, _notify_shape_removed (the base),
        _notify_shape_created, _notify_undo_redo_changed.

        Hooks, in order, when the kernel fails: _operation, _notify_operation_failed.

        Raises:
            AttributeError: when properties is a record of another kind.
        """
    def corner_round_shape(self, base_shape_id: str, properties: nimbal.models.quenby.Quenby) -> str | None:
        """Rounded corners of a planar face (CornerRoundProperties), as a new CORNER_ROUND shape.

        Args:
            base_shape_id: Id of a top-level shape.
            properties: The modifier's record, kept as the new shape's own.

        Returns:
            The new shape's id, or None after _notify_operation_failed(title, message),
            also when the kernel's result is one its checker refuses (an array's
            copies of its base are not checked).

        The base stays registered as the new shape's hidden component. Records one
        command.

        Hooks, in order: _notify_shape_removed (the base),
        _notify_shape_created, _notify_undo_redo_changed.

        Hooks, in order, when the kernel fails: _notify_operation_failed.

        Raises:
            AttributeError: when properties is a record of another kind.
        """
    def polyline_round_shape(self, base_shape_id: str, properties: nimbal.models.quenby.Quenby) -> str | None:
        """Rounded junctions of a polyline (PolylineRoundProperties), as a new POLYLINE_ROUND shape.

        Args:
            base_shape_id: Id of a top-level shape.
            properties: The modifier's record, kept as the new shape's own.

        Returns:
            The new shape's id, or None after _notify_operation_failed(title, message),
            also when the kernel's result is one its checker refuses (an array's
            copies of its base are not checked).

        The base stays registered as the new shape's hidden component. Records one
        command.

        Hooks, in order: _notify_shape_removed (the base),
        _notify_shape_created, _notify_undo_redo_changed.

        Hooks, in order, when the kernel fails: _notify_operation_failed.

        Raises:
            AttributeError: when properties is a record of another kind.
        """
    def extrude_shape(self, base_shape_id: str, properties: nimbal.models.quenby.Quenby) -> str | None:
        """Prism of a planar shape or sketch along its normal (ExtrudeProperties), as a new EXTRUDE shape.

        Args:
            base_shape_id: Id of a top-level shape.
            properties: The modifier's record, kept as the new shape's own.

        Returns:
            The new shape's id, or None after _notify_operation_failed(title, message),
            also when the kernel's result is one its checker refuses (an array's
            copies of its base are not checked).

        The base stays registered as the new shape's hidden component. Records one
        command.

        Hooks, in order: _operation, _notify_shape_removed (the base),
        _notify_shape_created, _notify_undo_redo_changed.

        Hooks, in order, when the kernel fails: _operation, _notify_operation_failed.

        Raises:
            AttributeError: when properties is a record of another kind.
        """
    def split_to_faces(self, shape_id: str) -> list[str]:
        """Replaces a top-level volume shape by one new FACE shape per face.

        Returns the new ids in face order, or an empty list when nothing was done
        (after _notify_operation_failed when no face could be extracted). Records
        "Split <name> to faces".

        Hooks, in order: _operation, _notify_shape_removed (the source),
        _notify_shape_created (each face), _notify_undo_redo_changed.
        """
    def create_sketch(self, plane_id: str, color: tuple[float, float, float] = (0.4, 0.8, 1.0), name: str | None = None) -> ManagedShape | None:
        """Registers an empty SKETCH shape on the registered reference plane plane_id.

        Returns the new ManagedShape (its shape is None until the first commit), or
        None when plane_id names no registered plane (nothing is reported then).
        Records "Create sketch".

        Hooks, in order: _notify_undo_redo_changed, _notify_shape_created.
        """
    def commit_sketch(self, sketch_id: str, tessik: nimbal.managers.tessik.CoreTessik) -> bool:
        """Makes a sketch hold copies of a sketch manager's top-level elements.

        Args:
            sketch_id: Id of a registered SKETCH shape.
            tessik: The sketch manager (a CoreTessik, or any object with its
                get_all_shape_ids and get_shape).

        Returns:
            True, or False when the sketch is unknown (nothing is reported) or the
            commit failed (then _notify_operation_failed is called and nothing is
            changed): the sketch cannot be placed, or a shape built on it cannot be
            recomputed from its new elements (an empty sketch under a union, an
            array or an extrude).

        The sketch's shape becomes the compound of the copies and the shapes built on
        the sketch are recomputed, up to the top-level one. Records "Commit sketch", which takes the place
        of a directly preceding "Create sketch" of the same sketch (taking that
        command off reports the undo state once more). A top-level sketch is
        reported removed and created again under the same id, now last among the
        top-level shapes; a sketch that is an extrude's profile is not reported,
        the extrude is.

        Hooks, in order, when the commit takes the place of "Create sketch":
        _notify_shape_removed, _notify_undo_redo_changed,
        _notify_undo_redo_changed, _notify_shape_created.

        Hooks, in order, for a top-level sketch otherwise: _notify_shape_removed,
        _notify_undo_redo_changed, _notify_shape_created.

        Hooks, in order, for the profile of an extrude: _notify_undo_redo_changed,
        _notify_shape_updated (each shape built on the sketch, innermost first).
        """
    def restore_plane(self, shape_id: str, properties: nimbal.models.quenby.Quenby, color: tuple[float, float, float] = (0.4, 0.8, 1.0), name: str | None = None) -> ManagedShape | None:
        """Registers a saved plane under its saved id, without an undo command.

        Returns the new ManagedShape, or None when the plane cannot be made.

        Hooks, in order: _notify_shape_created.
        """
    def restore_sketch(self, shape_id: str, properties: nimbal.models.quenby.Quenby, tessik: nimbal.managers.tessik.CoreTessik, color: tuple[float, float, float] = (0.7, 0.75, 0.8), name: str | None = None) -> str:
        """Registers a saved sketch and copies of tessik's elements under the saved id, without an undo command.

        Returns the sketch's id.

        Hooks, in order: _notify_shape_created.
        """
    def _build_sketch_comp(self, sketch_ms: ManagedShape, comp_parent_id: str, before: nimbal.services.hathel.State | dict[str, typing.Any] | None = None, after: nimbal.services.hathel.State | dict[str, typing.Any] | None = None) -> ManagedShape: ...
    def export_shapes_to_step(self, filename: str) -> bool:
        """Writes every top-level shape with geometry to one file; True on success.

        The kernel service's export runs inside _operation; False when it fails
        (no failure hook is called).

        Hooks, in order: _operation.
        """
    def export_shapes_to_iges(self, filename: str) -> bool:
        """Writes every top-level shape with geometry to one file; True on success.

        The kernel service's export runs inside _operation; False when it fails
        (no failure hook is called).

        Hooks, in order: _operation.
        """
    def export_shape_to_step(self, shape_id: str, filename: str) -> bool:
        """Writes one registered shape to a file; True on success.

        False for an unknown id, a shape without geometry or a kernel failure. Runs
        inside _operation.

        Hooks, in order: _operation.
        """
    def export_shape_to_iges(self, shape_id: str, filename: str) -> bool:
        """Writes one registered shape to a file; True on success.

        False for an unknown id, a shape without geometry or a kernel failure. Runs
        inside _operation.

        Hooks, in order: _operation.
        """
    _PROPERTIES_CLASS: typing.ClassVar[dict[typing.Any, typing.Any]]
    @staticmethod
    def create_properties_for_type(shape_type: nimbal.enums.ShapeType, **kwargs: typing.Any) -> nimbal.models.quenby.Quenby:
        """A new record of the kind shape_type uses, with the given field values.

        Raises:
            TypeError: for an unknown field or a value of the wrong type.
            KeyError: for a shape type without a record class.
        """
    @staticmethod
    def properties_from_dict(shape_type: nimbal.enums.ShapeType, data: typing.Mapping[str, typing.Any]) -> nimbal.models.quenby.Quenby:
        """The record of the kind shape_type uses, from its dictionary form (see from_dict)."""
