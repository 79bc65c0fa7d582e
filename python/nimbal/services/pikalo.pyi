# Generated from the built modules by scripts/stubs.sh; do not edit.
"""The selection service over the host's interactive context.

Failures are logged on "nimbal.services.pikalo".
"""

import nimbal.enums
import nimbal.kernel
import nimbal.services.lumbra
import typing

class Pikalo:
    """The selection service over the host's interactive context.

    Drives selection modes, enabling, exclusion, priorities and highlight
    colours, hover and pick, and reads the selection back as objects, kernel
    sub-shapes and sub-shape indices. Operations that drive the kernel catch
    errors of the Exception kind, log them on "nimbal.services.pikalo" at
    error level with the traceback, and return None (or what they had
    collected); accessors, the exclusion list and the index readers let errors
    through. A subclass may override set_mode, configure_selection_colors and
    get_selected_subshapes; the service's own calls use the overrides.
    """
    def __init__(self, context: nimbal.kernel.AIS_InteractiveContext | None) -> None:
        """Creates the service on the host's interactive context.

        Makes no kernel call. Starts enabled (is_enabled() is True), in
        SelectionMode.VOLUME, with no excluded objects; yet nothing is pickable
        until set_mode or set_enabled(True) runs the first activation sweep: call
        one of them once the shapes are displayed.

        Args:
            context: The AIS_InteractiveContext the view service displays in.

        Raises:
            TypeError: context is not an AIS_InteractiveContext.
        """
    @property
    def _context(self) -> nimbal.kernel.AIS_InteractiveContext:
        """The AIS_InteractiveContext given to the constructor (read-only)."""
    @property
    def _selection_enabled(self) -> object:
        """The very value last given to set_enabled; True at first (read-only)."""
    @property
    def _selection_mode(self) -> object:
        """The very value last given to set_mode; SelectionMode.VOLUME at first (read-only)."""
    @property
    def _excluded(self) -> list[typing.Any]:
        """A new list of the objects kept out of selection, in the order excluded (read-only)."""
    def set_mode(self, mode: nimbal.enums.SelectionMode | None) -> None:
        """Switches the selection mode of every displayed object.

        Overridable; set_enabled(True) calls it. The mode is stored first; then
        every mode of every object is deactivated, and, while selection is
        enabled, the mode is activated and the excluded objects deactivated again;
        last, configure_selection_colors runs.

        Args:
            mode: SelectionMode VOLUME (whole objects), SURFACE (faces), EDGE or
                VERTEX. Any other value is stored, deactivates everything,
                activates nothing and is logged.

        Raises:
            Nothing: failures are logged as "Error setting selection mode: ...".
        """
    def set_enabled(self, enabled: bool) -> None:
        """Enables or disables selection.

        The value is stored as given. A true value runs set_mode with the stored
        mode (a full sweep, also when already enabled); a false one deactivates
        every object and clears the selection.

        Args:
            enabled: Tested for truth.

        Raises:
            Nothing: failures are logged as "Error setting selection enabled: ...".
        """
    def is_enabled(self) -> bool:
        """The very value last given to set_enabled (True at first).

        True on a new service does not mean anything is pickable yet: selection
        starts working at the first set_mode or set_enabled(True).
        """
    def get_mode(self) -> nimbal.enums.SelectionMode | None:
        """The very value last given to set_mode (SelectionMode.VOLUME at first)."""
    def configure_selection_colors(self) -> None:
        """Sets the highlight colours: cyan on hover, red when selected.

        Overridable; set_mode calls it. Applies to whole objects and sub-shapes;
        a highlight type the context has no style for is skipped. Selected objects
        also get the hover highlight.

        Raises:
            Nothing: failures are logged as "Error configuring selection colors:
            ...".
        """
    def exclude_from_selection(self, ais_obj: nimbal.kernel.AIS_InteractiveObject | None) -> None:
        """Keeps a displayed object out of selection and hover detection.

        The object is appended (no duplicate check) and deactivated at once, and
        again after every later activation sweep. Display it before excluding it.

        Args:
            ais_obj: The AIS_InteractiveObject.

        Raises:
            TypeError: ais_obj is None or not an interactive object; kernel errors
                reach the caller too.
        """
    def remove_excluded(self, ais_obj: nimbal.kernel.AIS_InteractiveObject) -> None:
        """Removes the first entry of an object from the exclusion list.

        An object not in the list, or not an interactive object, is ignored. The
        object becomes pickable again only at the next sweep (set_mode or
        set_enabled(True)).

        Args:
            ais_obj: The AIS_InteractiveObject.
        """
    def clear_excluded(self) -> None:
        """Empties the exclusion list; the objects become pickable again at the next sweep."""
    def set_shape_selection_priority(self, ais_obj: nimbal.kernel.AIS_InteractiveObject, priority: int) -> None:
        """Sets the picking priority of one object's active selection owners.

        Only owners active now receive it: call it after the mode concerned was
        activated. When owners overlap at a pick point the higher priority wins.

        Args:
            ais_obj: The AIS_InteractiveObject; None matches nothing.
            priority: Usually 0 to 9; passed to the kernel unchanged.

        Raises:
            TypeError: priority is not an integer. Kernel failures are only
                logged, as "Error setting shape selection priority: ...".
        """
    def clear(self) -> None:
        """Empties the selection and updates the viewer.

        Raises:
            Nothing: failures are logged as "Error clearing selection: ...".
        """
    def move_to(self, x: float, y: float, view: nimbal.kernel.V3d_View | None, update: bool = True) -> None:
        """Detects and highlights what lies under a pixel (mouse motion).

        Args:
            x: Pixel x in the view's window.
            y: Pixel y.
            view: The host's V3d_View, with a window, of the context's viewer.
            update: Whether the viewer redraws at once for the new hover state.

        Raises:
            Nothing: failures (including a bad pixel or view) are logged as "Error
            in move_to: ...".
        """
    def select(self, x: float, y: float, view: nimbal.kernel.V3d_View | None, replace: bool = True) -> None:
        """Picks what lies under a pixel (mouse click).

        Detects afresh at the pixel, then replaces the selection with the detected
        entity or toggles it in the selection; the viewer redraws.

        Args:
            x: Pixel x in the view's window.
            y: Pixel y.
            view: The host's V3d_View, with a window, of the context's viewer.
            replace: True to replace the selection, false to toggle the entity.

        Raises:
            Nothing: failures are logged as "Error handling selection: ...".
        """
    def get_hovered_shape_id(self, lumbra: nimbal.services.lumbra.Lumbra) -> str | None:
        """Id of the shape under the cursor, as the last move_to or select detected.

        Args:
            lumbra: The view service (any object with get_shape_id_for_ais_shape),
                asked for the detected object's id; not kept.

        Returns:
            The shape or plane id, or None when nothing is detected, the object is
            unknown to the view service, or a failure was logged as "Error getting
            hovered shape id: ..." (e.g. a lookup answer that is not a str or
            None).
        """
    def get_selected_shapes(self) -> list[nimbal.kernel.AIS_InteractiveObject]:
        """The interactive objects of the selected owners, in the context's order.

        An object stands once per selected owner (three selected edges: three
        times).

        Returns:
            A new list; after a failure, logged as "Error getting selected shapes:
            ...", the objects collected until then.
        """
    def select_edges_by_index(self, ais_shape: nimbal.kernel.AIS_InteractiveObject, base_shape: nimbal.kernel.TopoDS_Shape | object, edge_indices: typing.Iterable[int]) -> None:
        """Toggles the selection of a displayed object's edges, given by index.

        Index i names the (i + 1)-th unique edge of base_shape in the kernel's
        exploration order, as the fillet and round edge lists count them. The
        edge mode must be active (set_mode(SelectionMode.EDGE)); the existing
        selection is kept, and selected edges among the targets become unselected.
        Only owners of ais_shape are touched; the viewer is updated once.

        Args:
            ais_shape: The displayed AIS_Shape.
            base_shape: The kernel shape it shows (the same topology, not a copy).
            edge_indices: Iterable of indices, read as a set; out-of-range values
                are ignored. An empty one returns at once.

        Raises:
            TypeError: an index is unhashable, or base_shape is not a kernel shape
                (before any viewer call). Later failures are logged as "Error
                pre-selecting edges: ...".
        """
    def select_vertices_by_index(self, ais_shape: nimbal.kernel.AIS_InteractiveObject, base_shape: nimbal.kernel.TopoDS_Shape | object, vertex_indices: typing.Iterable[int]) -> None:
        """Toggles the selection of a displayed object's vertices, given by index.

        Index i names the (i + 1)-th unique vertex of base_shape in the kernel's
        exploration order. The vertex mode must be active
        (set_mode(SelectionMode.VERTEX)); the existing selection is kept, and
        selected vertices among the targets become unselected. Only owners of
        ais_shape are touched; the viewer is updated once.

        Args:
            ais_shape: The displayed AIS_Shape.
            base_shape: The kernel shape it shows (the same topology, not a copy).
            vertex_indices: Iterable of indices, read as a set; out-of-range values
                are ignored. An empty one returns at once.

        Raises:
            TypeError: an index is unhashable, or base_shape is not a kernel shape
                (before any viewer call). Later failures are logged as "Error
                pre-selecting vertices: ...".
        """
    def get_selected_subshapes(self) -> list[nimbal.kernel.TopoDS_Shape]:
        """The selected kernel sub-shapes (faces, edges or vertices), in selection order.

        Overridable; the index readers call it. Owners without a shape are left
        out.

        Returns:
            A new list of TopoDS_Shape; after a failure, logged as "Error getting
            selected subshapes: ...", those collected until then.
        """
    def get_selected_edge_indices(self, base_shape: nimbal.kernel.TopoDS_Shape | object) -> list[int]:
        """Indices in base_shape of the selected edges, through get_selected_subshapes.

        Selected sub-shapes that are no edge of base_shape are skipped; an edge
        selected through two owners counts twice.

        Args:
            base_shape: The kernel shape whose edges are numbered.

        Returns:
            A new list sorted ascending; empty when nothing is selected.

        Raises:
            TypeError: base_shape is not a kernel shape while something is
                selected.
        """
    def get_selected_vertex_indices(self, base_shape: nimbal.kernel.TopoDS_Shape | object) -> list[int]:
        """Indices in base_shape of the selected vertices, through get_selected_subshapes.

        Selected sub-shapes that are no vertex of base_shape are skipped.

        Args:
            base_shape: The kernel shape whose vertices are numbered.

        Returns:
            A new list sorted ascending; empty when nothing is selected.

        Raises:
            TypeError: base_shape is not a kernel shape while something is
                selected.
        """
