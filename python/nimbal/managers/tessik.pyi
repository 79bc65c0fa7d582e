# Generated from the built modules by scripts/stubs.sh; do not edit.
"""The sketch manager: registry, creation, editing, booleans, undo and hooks of sketch elements.

DEFAULT_SKETCH_COLOR: (0.45, 0.56, 0.7), the default colour of new elements.
The module also holds the names a host imports with it: ManagedShape,
ShapeType, the sketch property records, Fandor, Hathel, _UndoCommand and
_ShapeSnapshot.
"""

import nimbal.enums
import nimbal.kernel
import nimbal.managers.corvath
import nimbal.models.quenby
import nimbal.services.fandor
import nimbal.services.hathel
import typing

import uuid as uuid
from nimbal.managers.corvath import ManagedShape as ManagedShape
from nimbal.enums import ShapeType as ShapeType
from nimbal.models.quenby import ArcProperties as ArcProperties
from nimbal.models.quenby import BooleanProperties as BooleanProperties
from nimbal.models.quenby import CircleProperties as CircleProperties
from nimbal.models.quenby import LineProperties as LineProperties
from nimbal.models.quenby import PlaneProperties as PlaneProperties
from nimbal.models.quenby import RectangleProperties as RectangleProperties
from nimbal.models.quenby import Quenby as Quenby
from nimbal.models.quenby import SketchPolylineProperties as SketchPolylineProperties
from nimbal.services.fandor import Fandor as Fandor
from nimbal.services.hathel import Hathel as Hathel
from nimbal.services.hathel import _UndoCommand as _UndoCommand
from nimbal.services.hathel import _ShapeSnapshot as _ShapeSnapshot
DEFAULT_SKETCH_COLOR: tuple[float, float, float]

class CoreTessik:
    """The headless sketch manager of one sketch on one reference plane.

    Holds the registry of the sketch's 2D elements (rectangles, circles, lines,
    arcs, polylines and their unions and subtractions), builds them through a
    sketch plane service, and records every change on its own undo stacks. A
    host subclass overrides the ``_notify_*`` hooks to follow each change; they
    do nothing here. Nothing is logged and there is no failure hook: operations
    that fail return None, False or an empty list.
    """
    def __init__(self, plane_id: str = '', plane_props: nimbal.models.quenby.PlaneProperties | None = None, fandor: nimbal.services.fandor.Fandor | None = None, **kwargs: typing.Any) -> None:
        """Creates an empty sketch on one reference plane.

        Extra keywords go first to the initialiser that follows this class in the
        instance's class order (a host's UI base class); without one, ``object``
        refuses them. No hook is called.

        Args:
            plane_id: Shape id of the reference plane, written into every element's
                record.
            plane_props: The plane's PlaneProperties, kept as this very object;
                None gives a default plane (origin (0, 0, 0), normal (0, 0, 1)).
            fandor: The sketch plane service that builds and combines the elements;
                None gives a new Fandor. Any other object is called by method name.
            **kwargs: Passed on to the next initialiser in the class order.

        Raises:
            TypeError: plane_props is not a PlaneProperties, plane_id not a str, or
                an extra keyword is left that no initialiser takes.
        """
    @property
    def plane_id(self) -> str:
        """Shape id of the reference plane carrying the sketch (read-only)."""
    @property
    def plane_props(self) -> nimbal.models.quenby.PlaneProperties:
        """The sketch plane's PlaneProperties, the very object given to the constructor (read-only)."""
    @property
    def _plane_id(self) -> str:
        """Same as plane_id."""
    @property
    def _plane_props(self) -> nimbal.models.quenby.PlaneProperties:
        """Same as plane_props."""
    @property
    def _shapes(self) -> nimbal.managers.corvath.ShapeRegistry:
        """The registry: a live read-only mapping of shape id to ManagedShape.

        Holds every element in registration order, hidden components of unions and
        subtractions included.
        """
    @property
    def _fandor(self) -> nimbal.services.fandor.Fandor:
        """The sketch plane service as given to the constructor (or the Fandor made for it)."""
    @property
    def _undo_redo(self) -> nimbal.services.hathel.Hathel:
        """The sketch's Hathel undo and redo stacks (at most 50 commands).

        Its callbacks are this manager's _apply_state, _notify_undo_redo_changed
        and _on_redo_clears_all, so a subclass's overrides are the ones called.
        """
    def _notify_shape_created(self, shape_id: str, ms: nimbal.managers.corvath.ManagedShape) -> None:
        """Hook: a top-level element appeared; does nothing here.

        Called after a creation, for the result of a union or subtraction, for each
        component a decomposition gives back, and when undo or redo brings a
        top-level element back or makes a hidden one top-level.

        Args:
            shape_id: The element's id.
            ms: Its registered ManagedShape.
        """
    def _notify_shape_updated(self, shape_id: str, ms: nimbal.managers.corvath.ManagedShape) -> None:
        """Hook: an element's shape, colour or name changed; does nothing here.

        Called after update_shape (for the element and for each refolded holder),
        update_shape_color and rename_shape, and when undo or redo overwrites a
        record that is top-level before and after.

        Args:
            shape_id: The element's id.
            ms: Its registered ManagedShape.
        """
    def _notify_shape_removed(self, shape_id: str) -> None:
        """Hook: an element left the top level; does nothing here.

        Called after remove_shape, for each id given to a union or subtraction
        that became a hidden component, for a decomposed element, and when undo or
        redo removes a top-level record or hides one.

        Args:
            shape_id: The element's id.
        """
    def _notify_all_cleared(self) -> None:
        """Hook: the registry was emptied by clear_all or by the redo of one; does nothing here."""
    def _notify_undo_redo_changed(self, can_undo: bool, can_redo: bool) -> None:
        """Hook: undo availability after a push, undo or redo; does nothing here.

        Args:
            can_undo: Whether an undo is possible now.
            can_redo: Whether a redo is possible now.
        """
    def _new_shape_id(self, shape_type: nimbal.enums.ShapeType) -> str:
        """Draws a new shape id for an element of the type.

        Overridable. The manager draws again while the id is already registered.

        Args:
            shape_type: The element's ShapeType.

        Returns:
            The type's value, "_" and eight lower-case hexadecimal digits drawn at
            random, e.g. "rectangle_1f0c9a2e".
        """
    def _generate_shape_name(self, shape_type: nimbal.enums.ShapeType) -> str:
        """The next free display name for the type.

        Overridable. The prefix is the type's value capitalised plus "_"; every
        registered name (hidden components included) that is the prefix followed by
        an integer counts, whatever the element's type.

        Args:
            shape_type: The element's ShapeType.

        Returns:
            The prefix and one more than the highest number in use, e.g.
            "Rectangle_3"; "Rectangle_1" when none is in use.
        """
    def get_shape(self, shape_id: str) -> nimbal.managers.corvath.ManagedShape | None:
        """The registered element with the id, top-level or hidden.

        Args:
            shape_id: The element's id.

        Returns:
            Its ManagedShape, or None when the id is not registered.
        """
    def get_all_shape_ids(self) -> list[str]:
        """Every registered id, hidden components included, in registry order.

        Returns:
            A new list of ids; skip records whose parent_id is set to keep the
            top-level elements only.
        """
    @property
    def can_undo(self) -> bool:
        """Whether a command can be undone (read-only)."""
    @property
    def can_redo(self) -> bool:
        """Whether a command can be redone (read-only)."""
    def undo(self) -> None:
        """Undoes the newest command; nothing when there is none.

        Applies the command's before state through _apply_state, then moves it to
        the redo stack.

        The state application calls _notify_shape_removed, _notify_shape_created
        or _notify_shape_updated for each top-level element it touches; then
        _notify_undo_redo_changed follows.

        Hooks, in order, for the undo of a union: _notify_shape_removed (the
        union), _notify_shape_created (each input), _notify_undo_redo_changed.
        """
    def redo(self) -> None:
        """Redoes the newest undone command; nothing when there is none.

        Applies the command's after state through _apply_state (a clear-all command
        calls _on_redo_clears_all instead), then moves it back to the undo stack.

        Hooks, in order, for the redo of a union: _notify_shape_removed (each
        input), _notify_shape_created (the union), _notify_undo_redo_changed.

        Hooks, in order, for the redo of a clear-all: _notify_all_cleared,
        _notify_undo_redo_changed.
        """
    def _on_redo_clears_all(self) -> None:
        """Empties the registry for the redo of clear_all.

        Overridable; the undo stacks call it. Hidden components go as well.

        No _notify_shape_removed is called per element.

        Hooks, in order: _notify_all_cleared.
        """
    def _push_undo(self, description: str, before: nimbal.services.hathel.State | dict[str, nimbal.services.hathel._ShapeSnapshot | None], after: nimbal.services.hathel.State | dict[str, nimbal.services.hathel._ShapeSnapshot | None], *, redo_clears_all: bool = False) -> None:
        """Records one command on the undo stack and empties the redo stack.

        Beyond 50 commands the oldest is dropped.

        Args:
            description: Text shown to the user.
            before: State (shape id -> _ShapeSnapshot, or None where the shape must
                not exist) that undo applies; a State is kept as it is, any other
                mapping copied into a new State.
            after: State that redo applies.
            redo_clears_all: Keyword only; redo empties the registry instead of
                applying after.

        Raises:
            TypeError: before or after is not such a mapping.

        Hooks, in order: _notify_undo_redo_changed.
        """
    def _apply_state(self, state: nimbal.services.hathel.State | dict[str, nimbal.services.hathel._ShapeSnapshot | None]) -> None:
        """Makes the registry agree with a state; undo and redo call it.

        Overridable. Three passes in the state's order: ids mapped to None leave
        the registry, then hidden entries are restored, then top-level ones, each
        through _restore_from_snapshot.

        Args:
            state: Mapping of shape id to _ShapeSnapshot or None.

        Raises:
            TypeError: state is not such a mapping.

        It calls _notify_shape_removed for each top-level record removed, then the
        hooks of _restore_from_snapshot.
        """
    def _restore_from_snapshot(self, shape_id: str, snapshot: nimbal.services.hathel._ShapeSnapshot) -> None:
        """Creates or overwrites the record of one id from a snapshot.

        A new record goes to the end of the registry; an existing one is updated
        in place, so it stays the same object. Its components are the registered
        records named by the snapshot's component ids.

        Args:
            shape_id: The id to restore.
            snapshot: The _ShapeSnapshot to restore from.

        Raises:
            TypeError: snapshot is not a _ShapeSnapshot.

        It calls one hook: _notify_shape_created when the record is new and
        top-level or becomes top-level; _notify_shape_removed when it becomes
        hidden; _notify_shape_updated when it stays top-level; none while it stays
        hidden.
        """
    def create_rectangle(self, u: float, v: float, width: float = 60.0, height: float = 40.0, color: tuple[float, float, float] = (0.45, 0.56, 0.7), name: str | None = None, filled: bool = True) -> nimbal.managers.corvath.ManagedShape | None:
        """Creates a rectangle element on the sketch plane.

        Args:
            u: Plane-local u of the bottom-left corner.
            v: Plane-local v of the bottom-left corner.
            width: Extent along the plane's u axis.
            height: Extent along the plane's v axis.
            color: (r, g, b), each from 0 to 1.
            name: Display name; None generates one ("Rectangle_N").
            filled: A face when true, else the closed outline wire.

        Returns:
            The new registered ManagedShape (undo command "Create rectangle").

        Raises:
            TypeError: color is not three numbers, or name is not a str or None.
            ValueError: a coordinate or size is not finite.
            nimbal.kernel.KernelError: the kernel could not build it; nothing is
                registered.

        Hooks, in order: _notify_undo_redo_changed, _notify_shape_created.
        """
    def create_circle(self, u: float, v: float, radius: float = 30.0, color: tuple[float, float, float] = (0.45, 0.56, 0.7), name: str | None = None, filled: bool = True) -> nimbal.managers.corvath.ManagedShape | None:
        """Creates a circle element on the sketch plane.

        Args:
            u: Plane-local u of the centre.
            v: Plane-local v of the centre.
            radius: The radius.
            color: (r, g, b), each from 0 to 1.
            name: Display name; None generates one ("Circle_N").
            filled: A disk when true, else the circle's wire.

        Returns:
            The new registered ManagedShape (undo command "Create circle").

        Raises:
            TypeError: color is not three numbers, or name is not a str or None.
            ValueError: a coordinate or the radius is not finite.
            nimbal.kernel.KernelError: the kernel could not build it (e.g. radius
                0); nothing is registered.

        Hooks, in order: _notify_undo_redo_changed, _notify_shape_created.
        """
    def create_line(self, p1: tuple[float, float], p2: tuple[float, float], color: tuple[float, float, float] = (0.45, 0.56, 0.7), name: str | None = None) -> nimbal.managers.corvath.ManagedShape | None:
        """Creates a straight line element from p1 to p2.

        The element is registered even when the points coincide (within 1e-9) or
        the kernel fails: its shape is then None, until an update gives it one.

        Args:
            p1: Plane-local (u, v) start point.
            p2: Plane-local (u, v) end point.
            color: (r, g, b), each from 0 to 1.
            name: Display name; None generates one ("Line_N").

        Returns:
            The new registered ManagedShape (undo command "Create line"); never
            None.

        Raises:
            TypeError: a point is not a (u, v) pair of numbers, color not three
                numbers, or name not a str or None.

        Hooks, in order: _notify_undo_redo_changed, _notify_shape_created.
        """
    def create_arc(self, start: tuple[float, float], mid: tuple[float, float], end: tuple[float, float], color: tuple[float, float, float] = (0.45, 0.56, 0.7), name: str | None = None) -> nimbal.managers.corvath.ManagedShape | None:
        """Creates a circular arc element from start through mid to end.

        Args:
            start: Plane-local (u, v) start point.
            mid: A plane-local point the arc passes through.
            end: Plane-local (u, v) end point.
            color: (r, g, b), each from 0 to 1.
            name: Display name; None generates one ("Arc_N").

        Returns:
            The new registered ManagedShape (undo command "Create arc"), or None
            when no arc passes through the points (e.g. collinear ones); then
            nothing is registered and no hook is called.

        Raises:
            TypeError: a point is not a (u, v) pair of numbers, color not three
                numbers, or name not a str or None.

        Hooks, in order: _notify_undo_redo_changed, _notify_shape_created.
        """
    def create_sketch_polyline(self, points_uv: typing.Iterable[tuple[float, float]], closed: bool = False, filled: bool = False, color: tuple[float, float, float] = (0.45, 0.56, 0.7), name: str | None = None) -> nimbal.managers.corvath.ManagedShape | None:
        """Creates a polyline element through plane-local points.

        Consecutive repeated points (within 1e-9) collapse into one.

        Args:
            points_uv: Sequence of plane-local (u, v) points; the record keeps its
                own list of them.
            closed: Adds an edge from the last point back to the first.
            filled: With closed, a face bounded by the polyline.
            color: (r, g, b), each from 0 to 1.
            name: Display name; None generates one ("Sketch_polyline_N").

        Returns:
            The new registered ManagedShape (undo command "Create sketch_polyline"),
            or None when fewer than two distinct points remain or the wire cannot
            be made; then nothing is registered and no hook is called.

        Raises:
            TypeError: points_uv is not a sequence of (u, v) pairs of numbers,
                color not three numbers, or name not a str or None.

        Hooks, in order: _notify_undo_redo_changed, _notify_shape_created.
        """
    def _register_shape(self, shape_type: nimbal.enums.ShapeType, shape: nimbal.kernel.TopoDS_Shape | None, properties: nimbal.models.quenby.Quenby, color: tuple[float, float, float], name: str | None) -> nimbal.managers.corvath.ManagedShape:
        """Names, identifies, stores and records a new top-level element.

        The common last step of the creation operations. The name is made before
        the id; a given name is used as it is, an empty one included.

        Args:
            shape_type: The element's ShapeType.
            shape: Its kernel shape, or None.
            properties: Its property record, owned by the element from now on.
            color: (r, g, b), each from 0 to 1.
            name: Display name; None generates one.

        Returns:
            The new registered ManagedShape (undo command "Create " + the type's
            value).

        Raises:
            TypeError: shape is not a kernel shape or None, properties is not a
                property record, or name is not a str or None.

        Hooks, in order: _notify_undo_redo_changed, _notify_shape_created.
        """
    def update_shape(self, shape_id: str, properties: nimbal.models.quenby.Quenby) -> bool:
        """Rebuilds an element from a new property record.

        A union or subtraction with components is refolded from their current
        shapes, the record deciding the merge step; any other element is rebuilt
        by its own type from the record. The element then holds that very record.
        If the element is a hidden component, every union or subtraction that holds
        it is refolded as well, up to the top-level one, innermost first; if one of
        them fails to refold, nothing changes and False is returned.

        Args:
            shape_id: The element's id.
            properties: The new property record.

        Returns:
            True when rebuilt (undo command "Update " + the element's name, holding
            the element and every refolded holder); False, with no change, when the
            id is not registered or the rebuild or a refold yields no shape (e.g. a
            record of another kind).

        Raises:
            TypeError: properties is not a property record.
            ValueError, nimbal.kernel.KernelError: a rectangle or circle the kernel
                cannot build; nothing has changed.

        Hooks, in order, for a top-level element: _notify_undo_redo_changed,
        _notify_shape_updated.

        Hooks, in order, for a hidden component: _notify_shape_updated (each
        refolded holder, innermost first), _notify_undo_redo_changed,
        _notify_shape_updated (the component).
        """
    def _build_shape_from_properties(self, shape_type: nimbal.enums.ShapeType, properties: nimbal.models.quenby.Quenby) -> nimbal.kernel.TopoDS_Shape | None:
        """Builds the kernel shape of an element type from a property record.

        Dispatches to the sketch plane service's builder on this sketch's plane;
        the record's plane_id is not read.

        Args:
            shape_type: RECTANGLE, CIRCLE, LINE, ARC or SKETCH_POLYLINE.
            properties: The record of that type's class.

        Returns:
            The shape, or None when the builder yields none or the type and the
            record's class do not match.

        Raises:
            TypeError: properties is not a property record.
            ValueError, nimbal.kernel.KernelError: a rectangle or circle the kernel
                cannot build.
        """
    def _recompute_boolean_from_components(self, ms: nimbal.managers.corvath.ManagedShape, override_props: nimbal.models.quenby.Quenby | None = None) -> nimbal.kernel.TopoDS_Shape | None:
        """Refolds a union or subtraction from its components' current shapes.

        Fuses (union) or cuts (subtraction, the first minus each later one) in
        component order, then merges coplanar faces and collinear edges when the
        deciding record is a BooleanProperties with remove_internal_edges true.
        The element itself is not changed.

        Args:
            ms: The ManagedShape to refold.
            override_props: Record that decides the merge step instead of
                ms.properties; None uses ms.properties.

        Returns:
            The new shape; ms.shape unchanged when ms has no components or is not
            a boolean; None when a fold step fails.

        Raises:
            TypeError: ms is not a ManagedShape, or override_props is not a
                property record or None.
        """
    def update_shape_color(self, shape_id: str, color: tuple[float, float, float]) -> bool:
        """Gives an element a new colour.

        Args:
            shape_id: The element's id.
            color: (r, g, b), each from 0 to 1.

        Returns:
            True (undo command "Change color of " + name, also when the colour is
            the same); False when the id is not registered.

        Raises:
            TypeError: color is not three numbers.

        Hooks, in order: _notify_undo_redo_changed, _notify_shape_updated.
        """
    def rename_shape(self, shape_id: str, new_name: str) -> bool:
        """Renames an element; the name is stripped of surrounding white space.

        White space is what str.strip() strips (Unicode white space included).

        Names need not be unique.

        Args:
            shape_id: The element's id.
            new_name: The new display name.

        Returns:
            True when renamed (undo command "Rename to " + the stripped name) or
            when the name is already that; False when the stripped name is empty or
            the id is not registered.

        Hooks, in order: _notify_undo_redo_changed, _notify_shape_updated.

        Hooks, in order, when the name was already that: none.
        """
    def remove_shape(self, shape_id: str) -> bool:
        """Removes one element from the registry.

        Only that entry goes: the components of a removed union or subtraction
        stay registered, hidden, so that undo brings the element back whole.

        Args:
            shape_id: The element's id.

        Returns:
            True (undo command "Remove " + name); False when the id is not
            registered.

        Hooks, in order: _notify_undo_redo_changed, _notify_shape_removed.
        """
    def clear_all(self) -> None:
        """Empties the sketch, hidden components included.

        Records "Clear all sketch shapes" even for an empty sketch; its redo
        empties the registry again through _on_redo_clears_all.

        No _notify_shape_removed is called per element.

        Hooks, in order: _notify_undo_redo_changed, _notify_all_cleared.
        """
    def union_shapes(self, shape_ids: list[str], properties: nimbal.models.quenby.BooleanProperties | None = None) -> str | None:
        """Unites two or more top-level elements into a new UNION element.

        Each id is taken once, in the order of its first occurrence; ids that are
        not registered or name hidden components are passed over. The inputs stay
        registered as hidden components of the new element, which takes the first
        input's colour.

        Args:
            shape_ids: Ids of the elements to unite, in order.
            properties: BooleanProperties stored on the new element (this very
                record); None gives a new one. Its remove_internal_edges decides
                whether coplanar faces and collinear edges are merged.

        Returns:
            The new element's id (undo command "Union sketch shapes"), or None,
            with nothing changed, when fewer than two inputs are accepted, an input
            has no shape, or the kernel fails or gives a result its checker finds
            invalid.

        Raises:
            TypeError: shape_ids is not a sequence of str, or properties is not a
                BooleanProperties or None.

        Hooks, in order: _notify_shape_removed (each input, in the order taken),
        _notify_shape_created, _notify_undo_redo_changed.

        Hooks, in order, with fewer than two inputs accepted: none.
        """
    def subtract_shapes(self, shape_ids: list[str], properties: nimbal.models.quenby.BooleanProperties | None = None) -> str | None:
        """Cuts later top-level elements from the first into a SUBTRACTION.

        The first accepted id is the base and every further accepted one a tool
        cut from it in turn. Each id is taken once, in the order of its first
        occurrence; ids that are not registered or name hidden components are
        passed over. The inputs stay registered as hidden components of the new
        element, which takes the base's colour.

        Args:
            shape_ids: Ids of the base, then the tools, in order.
            properties: BooleanProperties stored on the new element (this very
                record); None gives a new one. Its remove_internal_edges decides
                whether coplanar faces and collinear edges are merged.

        Returns:
            The new element's id (undo command "Subtract sketch shapes"), or None,
            with nothing changed, when fewer than two inputs are accepted, an input
            has no shape, or the kernel fails or gives a result its checker finds
            invalid.

        Raises:
            TypeError: shape_ids is not a sequence of str, or properties is not a
                BooleanProperties or None.

        Hooks, in order: _notify_shape_removed (each input, in the order taken),
        _notify_shape_created, _notify_undo_redo_changed.

        Hooks, in order, with fewer than two inputs accepted: none.
        """
    def decompose_shape(self, shape_id: str) -> list[str]:
        """Dissolves a top-level union or subtraction into its components.

        The element leaves the registry; its still registered components become
        top-level again, unchanged.

        Args:
            shape_id: The element's id.

        Returns:
            The ids of the components given back, in component order (undo command
            "Decompose " + name); an empty list, with nothing changed, when the id
            is not registered, is no union or subtraction, has no components, or is
            itself hidden.

        Hooks, in order: _notify_undo_redo_changed, _notify_shape_removed (the
        element), _notify_shape_created (each component).
        """
