# Generated from the built modules by scripts/stubs.sh; do not edit.
"""The 3D view service over the host's view, viewer and interactive context.

PLANE_COLOR: (0.4, 0.8, 1.0), the colour of reference planes.
PLANE_TRANSPARENCY: 0.65, their transparency. Failures are logged on
"nimbal.services.lumbra".
"""

import nimbal.enums
import nimbal.kernel
import typing
PLANE_COLOR: tuple[float, float, float]
PLANE_TRANSPARENCY: float

class ShapeInfo:
    """Record of one shape displayed under a manager's shape id.

    Reference planes have none. The attributes are plain and writable.
    """
    def __init__(self, shape_id: str, ais_shape: nimbal.kernel.AIS_Shape | None, color: tuple[float, float, float] | None = None, visible: bool = True) -> None:
        """Creates the record.

        Args:
            shape_id: The shape id the shape is displayed under.
            ais_shape: The AIS_Shape presentation in the context.
            color: (r, g, b) given at display, or None.
            visible: Whether the shape is shown.

        Raises:
            TypeError: color is not a sequence of numbers or None, or another
                argument is of the wrong type.
        """
    @property
    def shape_id(self) -> str:
        """The shape id the shape is displayed under."""
    @shape_id.setter
    def shape_id(self, value: str) -> None: ...
    @property
    def ais_shape(self) -> nimbal.kernel.AIS_Shape:
        """The AIS_Shape presentation displayed in the context."""
    @ais_shape.setter
    def ais_shape(self, value: nimbal.kernel.AIS_Shape) -> None: ...
    @property
    def color(self) -> tuple[float, float, float] | None:
        """(r, g, b) given when the shape was displayed, or None.

        A later set_shape_color does not change it. Setting it takes a sequence of
        numbers or None; anything else raises TypeError.
        """
    @color.setter
    def color(self, value: tuple[float, float, float] | None) -> None: ...
    @property
    def visible(self) -> bool:
        """Whether the shape is shown; changed by set_shape_visibility."""
    @visible.setter
    def visible(self, value: bool) -> None: ...

class Lumbra:
    """The 3D view service over the host's view, viewer and interactive context.

    Keeps tables of the shapes it displayed (by shape id) and of the reference
    planes, and drives the viewer for the host. Operations that drive the
    kernel catch errors of the Exception kind, log them on
    "nimbal.services.lumbra" at error level with the traceback, and return
    None; accessors and table lookups let errors through. A subclass may
    override _setup_trihedron, set_projection_type, _configure_shape_edges,
    _build_plane_face, _plane_display_size and select_shapes; the service's
    own calls use the overrides.

    A host drives it from a manager's hooks (CoreCorvath's docstring says which
    hook calls which operation; examples/host.py does it): shapes through
    display_shape and erase_shape, reference planes through display_plane and
    erase_plane with the origin and normal of their PlaneProperties. When one
    operation fires many hooks, pass update=False and redraw once at the end.
    """
    def __init__(self, view: nimbal.kernel.V3d_View | None, viewer: nimbal.kernel.V3d_Viewer | None, context: nimbal.kernel.AIS_InteractiveContext | None) -> None:
        """Creates the service over the host's viewer objects.

        Makes no call on them; the host calls setup_initial_view next. The tables
        start empty, the display mode SHADED, the background white and the global
        transparency 0.

        Args:
            view: The host's V3d_View.
            viewer: The host's V3d_Viewer.
            context: The host's AIS_InteractiveContext.

        Raises:
            TypeError: an argument is not of its kernel type.
        """
    @property
    def _view(self) -> nimbal.kernel.V3d_View:
        """The V3d_View given to the constructor (read-only)."""
    @property
    def _viewer(self) -> nimbal.kernel.V3d_Viewer:
        """The V3d_Viewer given to the constructor (read-only)."""
    @property
    def _context(self) -> nimbal.kernel.AIS_InteractiveContext:
        """The AIS_InteractiveContext given to the constructor (read-only)."""
    @property
    def _is_rendering(self) -> bool:
        """True only while redraw runs the view's Redraw; guards against re-entry."""
    @_is_rendering.setter
    def _is_rendering(self, value: bool) -> None: ...
    @property
    def _shapes(self) -> dict[typing.Any, typing.Any]:
        """A new dict of shape id to ShapeInfo, in display order (read-only)."""
    @property
    def _ais_to_id(self) -> dict[typing.Any, typing.Any]:
        """A new dict of displayed AIS_Shape to its shape id (read-only)."""
    @property
    def _plane_objects(self) -> dict[typing.Any, typing.Any]:
        """A new dict of plane id to (AIS_Shape, origin, normal) of each displayed reference plane (read-only)."""
    @property
    def _plane_visible(self) -> dict[typing.Any, typing.Any]:
        """A new dict of plane id to its visibility; a plane without an entry counts as visible (read-only)."""
    @property
    def _global_transparency(self) -> float:
        """Transparency given to every shape; applied to a new shape only when above 0 (read-only)."""
    @property
    def _current_display_mode(self) -> nimbal.enums.DisplayMode:
        """The DisplayMode in force for all shapes (read-only)."""
    @property
    def _background_color(self) -> object:
        """The solid background colour (r, g, b) last asked for (read-only)."""
    @property
    def _background_gradient(self) -> object:
        """(color1, color2, method) of the gradient background, or None when the solid colour applies (read-only)."""
    def setup_initial_view(self) -> None:
        """Gives the view its initial look.

        Applies the stored background (the gradient if one is set, else the solid
        colour), shows the axis trihedron through _setup_trihedron, and sets the
        orthographic projection through set_projection_type. May be called again.

        Raises:
            Nothing: failures are logged as "Error setting up initial view: ...";
            a background failure skips the trihedron and the projection.
        """
    def _setup_trihedron(self) -> None:
        """Shows the white axis trihedron in the lower left corner, as wireframe.

        Overridable; setup_initial_view calls it. A binding that refuses the
        four-argument form gets one retry without the mode.

        Raises:
            Nothing: a failed retry is logged at debug level ("Could not display
            trihedron: ..."), any other failure at warning level ("Unexpected
            trihedron error: ...").
        """
    def set_projection(self, direction: nimbal.enums.ViewDirection | None) -> None:
        """Turns the camera to a standard view direction.

        Sets the eye direction and the up vector: +Y is up except for TOP (-Z up)
        and BOTTOM (+Z up).

        Args:
            direction: A ViewDirection member; any other value does nothing.

        Raises:
            Nothing: failures are logged as "Error setting projection: ...".
        """
    def set_projection_type(self, projection_type: nimbal.enums.ProjectionType | None) -> None:
        """Switches the camera between orthographic and perspective projection.

        Overridable; setup_initial_view calls it.

        Args:
            projection_type: ProjectionType.ORTHOGRAPHIC for orthographic; any
                other value gives perspective.

        Raises:
            Nothing: failures are logged as "Error setting projection type: ...";
            a refused kind is retried once by its number (logged at debug level
            when that fails too).
        """
    def fit_all(self) -> None:
        """Fits the displayed objects into the view, leaving reference planes out.

        Visible planes are erased for the fit and displayed again afterwards, at
        their old size: call update_plane_display_sizes after it.

        Raises:
            nimbal.kernel.KernelError: a plane could not be displayed again.
                Fitting failures are only logged, as "Error fitting view: ...".
        """
    def redraw(self) -> None:
        """Redraws the view; does nothing while a redraw is already running.

        Raises:
            Nothing: failures are logged as "Error in redraw: ...".
        """
    def must_be_resized(self) -> None:
        """Tells the view that its window changed size.

        Raises:
            Nothing: failures are logged as "Error resizing view: ...".
        """
    def display_shape(self, shape: nimbal.kernel.TopoDS_Shape, shape_id: str, color: tuple[float, float, float] | None = None, update: bool = True, width: float = 1.0) -> str | None:
        """Displays a kernel shape under a shape id and records it.

        The presentation takes the colour, the width (when not 1.0), the global
        transparency (when above 0) and the current display mode (with face
        boundaries through _configure_shape_edges in BOTH mode). A presentation
        recorded before under the same id is removed from the context.

        Args:
            shape: The TopoDS_Shape to show.
            shape_id: The manager's shape id, the key of the record.
            color: (r, g, b) from 0 to 1; None or empty keeps the kernel's colour.
            update: Whether the viewer redraws at once.
            width: Line width.

        Returns:
            shape_id, or None after a failure (a null or non-shape, a colour that
            is not three numbers), logged as "Error displaying shape: ...".
        """
    def set_display_mode(self, mode: nimbal.enums.DisplayMode | None) -> None:
        """Switches every recorded shape to a display mode.

        The mode is stored first and applies to later displays; every record,
        hidden ones included, is restyled through _configure_shape_edges.

        Args:
            mode: DisplayMode WIREFRAME, SHADED, or BOTH (shaded with face
                boundaries); any other value counts as SHADED.

        Raises:
            Nothing: failures are logged as "Error setting display mode: ...".
        """
    def _configure_shape_edges(self, ais_shape: nimbal.kernel.AIS_Shape | None, enable: bool) -> None:
        """Switches the drawing of face boundaries of one presentation.

        Overridable; display_shape and set_display_mode call it. Boundaries are
        black, solid, width 1. Neither redisplays nor updates the viewer.

        Args:
            ais_shape: The AIS_Shape.
            enable: Whether boundaries are drawn.

        Raises:
            AttributeError: ais_shape is None; kernel errors reach the caller.
        """
    def update_shape(self, ais_shape: nimbal.kernel.AIS_Shape | None, update: bool = True) -> None:
        """Redisplays one presentation, recorded or not.

        Args:
            ais_shape: The AIS_Shape.
            update: Whether the viewer redraws at once.

        Raises:
            Nothing: failures are logged as "Error updating shape: ...".
        """
    def set_shape_color(self, ais_shape: nimbal.kernel.AIS_Shape | None, color: tuple[float, float, float], update: bool = True) -> None:
        """Gives one presentation a new colour.

        The record's color keeps the colour given at display.

        Args:
            ais_shape: The AIS_Shape.
            color: (r, g, b) from 0 to 1.
            update: Whether the presentation is redisplayed and the viewer redrawn.

        Raises:
            Nothing: failures (e.g. a colour that is not three numbers) are logged
            as "Error setting shape color: ...".
        """
    def erase_all(self) -> None:
        """Removes everything from the context and empties all four tables.

        Reference planes go too; display mode, transparency and background stay.

        Raises:
            Nothing: failures are logged as "Error erasing all shapes: ..."; the
            tables are then kept.
        """
    def erase_shape(self, shape_id: str, update: bool = True) -> None:
        """Removes one recorded shape from the context and the tables.

        An id without a record (a plane id included) does nothing.

        Args:
            shape_id: The shape's id.
            update: Whether the viewer redraws at once.

        Raises:
            Nothing: failures are logged as "Error erasing shape: ...".
        """
    def get_all_shapes(self) -> dict[typing.Any, typing.Any]:
        """The shape records.

        Returns:
            A new dict of shape id to the registry's own ShapeInfo records.
        """
    def get_shape_info(self, shape_id: str) -> ShapeInfo | None:
        """The record of one shape.

        Args:
            shape_id: The shape's id.

        Returns:
            The registry's own ShapeInfo, or None (also for a plane id).
        """
    def set_shape_visibility(self, shape_id: str, visible: bool, update: bool = True) -> None:
        """Hides or shows one shape or reference plane.

        The id is looked up among the shapes first, then the planes. A hidden one
        stays in the context and the tables. Nothing happens when it is already in
        the asked state or the id is unknown.

        Args:
            shape_id: A shape or plane id.
            visible: True to show, false to hide.
            update: Whether the viewer redraws at once.

        Raises:
            Nothing: failures are logged as "Error setting shape visibility: ...";
            the flag then keeps its value.
        """
    def is_shape_visible(self, shape_id: str) -> bool:
        """Whether a shape or reference plane is shown.

        Args:
            shape_id: A shape or plane id.

        Returns:
            The shape's visible flag, else the plane's (true without an entry);
            False for an unknown id.
        """
    def display_plane(self, shape_id: str, origin: tuple[float, float, float], normal: tuple[float, float, float], update: bool = True) -> None:
        """Shows a reference plane as a light-blue translucent square, or moves it.

        The square is centred on the origin and sized from the camera
        (_plane_display_size, _build_plane_face). A known id keeps its
        presentation, gets the new face and is shown again if hidden.

        Args:
            shape_id: The plane's id.
            origin: (x, y, z) of the plane's origin.
            normal: (nx, ny, nz) of its normal.
            update: Whether the viewer is updated once at the end.

        Raises:
            Nothing: failures (e.g. a zero normal) are logged as "Error displaying
            plane <id>: ..."; the tables are then unchanged.
        """
    def get_plane_ais(self, shape_id: str) -> nimbal.kernel.AIS_Shape | None:
        """The presentation of a displayed reference plane.

        Args:
            shape_id: The plane's id.

        Returns:
            Its AIS_Shape, or None (also for a shape id).
        """
    def erase_plane(self, shape_id: str, update: bool = True) -> None:
        """Removes one reference plane from the context and the plane tables.

        An unknown id does nothing.

        Args:
            shape_id: The plane's id.
            update: Whether the viewer redraws at once.

        Raises:
            Nothing: failures are logged as "Error erasing plane <id>: ...".
        """
    def update_plane_display_sizes(self) -> None:
        """Resizes every reference plane to the current camera; call after zoom or fit.

        Hidden planes are resized too and stay hidden. No planes: no kernel call.

        Raises:
            Nothing: failures are logged as "Error updating plane sizes: ...".
        """
    def _build_plane_face(self, origin: tuple[float, float, float], normal: tuple[float, float, float], size: float) -> nimbal.kernel.TopoDS_Face:
        """Square planar face centred on a point.

        Overridable; the plane operations call it.

        Args:
            origin: (x, y, z) of the centre.
            normal: (nx, ny, nz) of the plane normal.
            size: The side length.

        Returns:
            A TopoDS_Face.

        Raises:
            TypeError, ValueError: origin or normal is not three finite numbers,
                or size is not finite.
            nimbal.kernel.KernelError: the kernel refuses it (e.g. a zero normal).
        """
    def _plane_display_size(self) -> float:
        """Side length for reference planes at the current zoom.

        Overridable; the plane operations call it.

        Returns:
            0.8 times the camera's scale, at least 1.0; 1000.0 when the camera
            cannot be read.
        """
    def select_shapes(self, shape_ids: typing.Iterable[str]) -> None:
        """Selects displayed shapes by id, replacing the selection.

        Overridable; select_shape calls it. Ids without a shape record (plane ids
        included) and items that are not text are passed over; an id given twice
        toggles back to unselected. The viewer is updated once.

        Args:
            shape_ids: Iterable of shape ids.

        Raises:
            Nothing: failures are logged as "Error selecting shapes: ...".
        """
    def select_shape(self, shape_id: str) -> None:
        """Selects one displayed shape by id, through select_shapes.

        Args:
            shape_id: The shape's id.
        """
    def get_shape_id_for_ais_shape(self, ais_shape: object) -> str | None:
        """The id a presentation is displayed under.

        The selection service asks this for the detected object.

        Args:
            ais_shape: Any object, normally a detected interactive object.

        Returns:
            The shape id, else the id of the reference plane it presents, else
            None (also for anything that is not an AIS_Shape).
        """
    def get_shape_count(self) -> int:
        """The number of recorded shapes; reference planes do not count."""
    def start_rotation(self, x: float, y: float) -> None:
        """Starts a camera rotation at a pixel.

        Args:
            x: Pixel x in the view's window.
            y: Pixel y.

        Raises:
            Nothing: failures are logged as "Error starting rotation: ...".
        """
    def rotate(self, x: float, y: float) -> None:
        """Continues the camera rotation towards a pixel.

        Args:
            x: Pixel x in the view's window.
            y: Pixel y.

        Raises:
            Nothing: failures are logged as "Error rotating: ...".
        """
    def pan(self, dx: float, dy: float) -> None:
        """Pans the camera by a pixel delta; the vertical delta is negated.

        Args:
            dx: Horizontal delta in pixels.
            dy: Vertical delta in pixels (window y grows downwards).

        Raises:
            Nothing: failures are logged as "Error panning: ...".
        """
    def zoom(self, factor: float) -> None:
        """Zooms the camera by a factor; call update_plane_display_sizes afterwards.

        Args:
            factor: The zoom factor.

        Raises:
            Nothing: failures (a factor the kernel refuses, or not finite) are
            logged as "Error zooming: ...".
        """
    def get_view(self) -> nimbal.kernel.V3d_View:
        """The V3d_View given to the constructor."""
    def get_viewer(self) -> nimbal.kernel.V3d_Viewer:
        """The V3d_Viewer given to the constructor."""
    def get_context(self) -> nimbal.kernel.AIS_InteractiveContext:
        """The AIS_InteractiveContext given to the constructor."""
    def set_background_color(self, color: tuple[float, float, float]) -> None:
        """Sets a solid background colour and clears any gradient.

        The view is redrawn; setup_initial_view applies the colour again.

        Args:
            color: (r, g, b) from 0 to 1.

        Raises:
            Nothing: failures (e.g. not three numbers) are logged as "Error setting
            background color: ...".
        """
    def set_background_gradient(self, color1: tuple[float, float, float], color2: tuple[float, float, float], method: nimbal.kernel.Aspect_GradientFillMethod = nimbal.kernel.Aspect_GradientFillMethod.Aspect_GradientFillMethod_Vertical) -> None:
        """Sets a two-colour gradient background.

        The view is redrawn; setup_initial_view applies the gradient again. The
        solid colour is kept: only set_background_color clears the gradient.

        Args:
            color1: (r, g, b) of the first colour (the top one when vertical).
            color2: (r, g, b) of the second colour.
            method: An Aspect_GradientFillMethod member.

        Raises:
            Nothing: failures are logged as "Error setting background gradient:
            ...".
        """
    def set_global_transparency(self, transparency: float, update: bool = True) -> None:
        """Gives every recorded shape one transparency, and later shapes too.

        Reference planes keep their own. The value is not clamped.

        Args:
            transparency: 0 opaque to 1 fully transparent.
            update: Whether the shapes are redisplayed and the viewer updated.

        Raises:
            Nothing: failures are logged as "Error setting global transparency:
            ...".
        """
