// The docstrings of nimbal.services.ostrel.
#pragma once

namespace nimbal::py::ostrel::doc {

constexpr const char* module = R"(Sketch grid: snapping to a grid and grid line compounds on a plane.

_DEFAULT_EXTENT: 500.0, the default half-length of grid lines.
_DEFAULT_MAJOR_FACTOR: 5, the default spacing multiple of the major grid.
_MAX_LINES_PER_AXIS: 2000, the cap on grid positions on each side of the
origin.)";
constexpr const char* cls = R"(Snapping of plane-local points to a square grid, and grid line compounds.

Keeps no state but the sketch plane service that gives a plane's axes;
logs nothing and catches nothing. A subclass may override snap and
_build_grid_compound; snap_point and the two grid operations go through
them.)";
constexpr const char* init = R"(Creates the grid service.

Args:
    fandor: The Fandor whose plane_local_axes gives the grid's axes; any
        false value (None by default) gives a new Fandor.

Raises:
    TypeError: fandor is true but not a Fandor.)";
constexpr const char* fandor = "The sketch plane service giving the plane axes (read-only).";
constexpr const char* snap = R"(Rounds a coordinate to the nearest multiple of the spacing.

Overridable; snap_point uses it. Ties go to the even multiple (2.5 with
spacing 1 gives 2.0).

Args:
    coord: The plane-local coordinate.
    spacing: The grid spacing.

Returns:
    The snapped coordinate, or coord unchanged when spacing <= 0.

Raises:
    ValueError: coord / spacing is NaN.
    OverflowError: coord / spacing is infinite.)";
constexpr const char* snap_point = R"(Snaps both coordinates of a plane-local point through snap.

Args:
    u: Plane-local u.
    v: Plane-local v.
    spacing: The grid spacing.

Returns:
    (u, v) snapped; unchanged when spacing <= 0.

Raises:
    ValueError, OverflowError: as snap.)";
constexpr const char* create_minor_grid = R"(Grid lines on the plane at the spacing.

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
        extent 0).)";
constexpr const char* create_major_grid = R"(Grid lines on the plane at spacing * major_factor.

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
    nimbal.kernel.KernelError: as create_minor_grid.)";
constexpr const char* build_grid_compound = R"(Builds the grid line compound of one spacing.

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
        extent 0).)";

}  // namespace nimbal::py::ostrel::doc
