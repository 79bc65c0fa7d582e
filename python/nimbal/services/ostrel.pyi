# Generated from the built modules by scripts/stubs.sh; do not edit.
"""Sketch grid: snapping to a grid and grid line compounds on a plane.

_DEFAULT_EXTENT: 500.0, the default half-length of grid lines.
_DEFAULT_MAJOR_FACTOR: 5, the default spacing multiple of the major grid.
_MAX_LINES_PER_AXIS: 2000, the cap on grid positions on each side of the
origin.
"""

import nimbal.kernel
import nimbal.models.quenby
import nimbal.services.fandor
_DEFAULT_EXTENT: float
_DEFAULT_MAJOR_FACTOR: int
_MAX_LINES_PER_AXIS: int

class Ostrel:
    """Snapping of plane-local points to a square grid, and grid line compounds.

    Keeps no state but the sketch plane service that gives a plane's axes;
    logs nothing and catches nothing. A subclass may override snap and
    _build_grid_compound; snap_point and the two grid operations go through
    them.
    """
    def __init__(self, fandor: nimbal.services.fandor.Fandor | None = None) -> None:
        """Creates the grid service.

        Args:
            fandor: The Fandor whose plane_local_axes gives the grid's axes; any
                false value (None by default) gives a new Fandor.

        Raises:
            TypeError: fandor is true but not a Fandor.
        """
    @property
    def _fandor(self) -> nimbal.services.fandor.Fandor:
        """The sketch plane service giving the plane axes (read-only)."""
    def snap(self, coord: float, spacing: float) -> float:
        """Rounds a coordinate to the nearest multiple of the spacing.

        Overridable; snap_point uses it. Ties go to the even multiple (2.5 with
        spacing 1 gives 2.0).

        Args:
            coord: The plane-local coordinate.
            spacing: The grid spacing.

        Returns:
            The snapped coordinate, or coord unchanged when spacing <= 0.

        Raises:
            ValueError: coord / spacing is NaN.
            OverflowError: coord / spacing is infinite.
        """
    def snap_point(self, u: float, v: float, spacing: float) -> tuple[float, float]:
        """Snaps both coordinates of a plane-local point through snap.

        Args:
            u: Plane-local u.
            v: Plane-local v.
            spacing: The grid spacing.

        Returns:
            (u, v) snapped; unchanged when spacing <= 0.

        Raises:
            ValueError, OverflowError: as snap.
        """
    def create_minor_grid(self, plane_props: nimbal.models.quenby.PlaneProperties, spacing: float, extent: float = 500.0) -> nimbal.kernel.TopoDS_Compound:
        """Grid lines on the plane at the spacing.

        Args:
            plane_props: The PlaneProperties of the plane.
            spacing: The distance between neighbouring lines.
            extent: Half-length of every line, and the reach of the positions
                (rounded up to whole spacings, at most 2000 on each side).

        Returns:
            A new TopoDS_Compound of edges, built by _build_grid_compound: lines of
            constant u, then of constant v; a null compound when spacing <= 0.

        Raises:
            ValueError, OverflowError: extent / spacing is not a finite number, or
                a line end is not finite.
            nimbal.kernel.KernelError: the lines are too short for the kernel (e.g.
                extent 0).
        """
    def create_major_grid(self, plane_props: nimbal.models.quenby.PlaneProperties, spacing: float, major_factor: float = 5, extent: float = 500.0) -> nimbal.kernel.TopoDS_Compound:
        """Grid lines on the plane at spacing * major_factor.

        Args:
            plane_props: The PlaneProperties of the plane.
            spacing: The minor grid spacing.
            major_factor: The multiple of the spacing between major lines.
            extent: Half-length of every line.

        Returns:
            A new TopoDS_Compound of edges, built by _build_grid_compound; a null
            compound when spacing * major_factor <= 0.

        Raises:
            ValueError, OverflowError: as create_minor_grid.
            nimbal.kernel.KernelError: as create_minor_grid.
        """
    def _build_grid_compound(self, plane_props: nimbal.models.quenby.PlaneProperties, spacing: float, extent: float) -> nimbal.kernel.TopoDS_Compound:
        """Builds the grid line compound of one spacing.

        Overridable; both grid operations call it. Positions are k * spacing for
        k from -n to n, n being extent / spacing rounded up and capped at 2000.
        Lines of constant u come first (u ascending), then lines of constant v;
        each runs from -extent to +extent along the other axis.

        Args:
            plane_props: The PlaneProperties of the plane.
            spacing: The distance between neighbouring lines.
            extent: Half-length of every line.

        Returns:
            A new TopoDS_Compound of 2 * (2n + 1) edges; a null compound when
            spacing <= 0; an empty one when extent <= -spacing.

        Raises:
            ValueError, OverflowError: extent / spacing is not a finite number, or
                a line end is not finite.
            nimbal.kernel.KernelError: the lines are too short for the kernel (e.g.
                extent 0).
        """
