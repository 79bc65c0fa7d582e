# Generated from the built modules by scripts/stubs.sh; do not edit.
"""Sketch grid: snapping to a grid and grid line compounds on a plane."""

import nimbal.kernel
import nimbal.models.quenby
import nimbal.services.fandor
_DEFAULT_EXTENT: float
_DEFAULT_MAJOR_FACTOR: int
_MAX_LINES_PER_AXIS: int

class Ostrel:
    """Snapping of plane-local points to a grid and grid line compounds."""
    def __init__(self, fandor: nimbal.services.fandor.Fandor | None = ...) -> None: ...
    @property
    def _fandor(self) -> nimbal.services.fandor.Fandor:
        """The sketch plane service giving the axes."""
    def snap(self, coord: float, spacing: float) -> float:
        """coord rounded to the nearest multiple of spacing (ties to the even multiple)."""
    def snap_point(self, u: float, v: float, spacing: float) -> tuple[float, float]:
        """(u, v), each snapped to the grid."""
    def create_minor_grid(self, plane_props: nimbal.models.quenby.PlaneProperties, spacing: float, extent: float = ...) -> nimbal.kernel.TopoDS_Compound:
        """Compound of the grid lines at the spacing."""
    def create_major_grid(self, plane_props: nimbal.models.quenby.PlaneProperties, spacing: float, major_factor: float = ..., extent: float = ...) -> nimbal.kernel.TopoDS_Compound:
        """Compound of the grid lines at spacing * major_factor."""
    def _build_grid_compound(self, plane_props: nimbal.models.quenby.PlaneProperties, spacing: float, extent: float) -> nimbal.kernel.TopoDS_Compound:
        """Lines of constant u, then of constant v, each 2 * extent long."""
