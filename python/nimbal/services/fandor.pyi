# Generated from the built modules by scripts/stubs.sh; do not edit.
"""Sketch plane service: plane frames, plane-local coordinates and sketch elements."""

import logging
import nimbal.kernel
import nimbal.models.quenby
import typing
_EPS: float
logger: logging.Logger

class Fandor:
    """Plane frames, coordinate mapping and 2D element builders on a reference plane."""
    def __init__(self) -> None: ...
    def plane_local_axes(self, plane_props: nimbal.models.quenby.PlaneProperties) -> tuple[tuple[float, float, float], tuple[float, float, float]]:
        """(u_axis, v_axis): the plane's in-plane unit axes."""
    def local_to_world(self, plane_props: nimbal.models.quenby.PlaneProperties, u: float, v: float) -> tuple[float, float, float]:
        """World point of the plane-local point (u, v)."""
    def world_to_local(self, plane_props: nimbal.models.quenby.PlaneProperties, x: float, y: float, z: float) -> tuple[float, float]:
        """Plane-local (u, v) of the point's projection onto the plane."""
    def screen_to_plane_coords(self, v3d_view: nimbal.kernel.V3d_View, plane_props: nimbal.models.quenby.PlaneProperties, px: float, py: float) -> tuple[float, float] | None:
        """Plane-local (u, v) of the plane point under the pixel, or None."""
    def create_rectangle_on_plane(self, plane_props: nimbal.models.quenby.PlaneProperties, u: float, v: float, width: float, height: float, filled: bool = ...) -> nimbal.kernel.TopoDS_Shape:
        """Rectangle with bottom-left corner (u, v): a face when filled, else its outline wire."""
    def create_circle_on_plane(self, plane_props: nimbal.models.quenby.PlaneProperties, u: float, v: float, radius: float, filled: bool = ...) -> nimbal.kernel.TopoDS_Shape:
        """Circle centred at (u, v): a disk when filled, else a wire."""
    def create_line_on_plane(self, plane_props: nimbal.models.quenby.PlaneProperties, p1: tuple[float, float], p2: tuple[float, float]) -> nimbal.kernel.TopoDS_Shape | None:
        """Wire of one straight edge from p1 to p2, or None."""
    def create_arc_on_plane(self, plane_props: nimbal.models.quenby.PlaneProperties, start: tuple[float, float], mid: tuple[float, float], end: tuple[float, float]) -> nimbal.kernel.TopoDS_Shape | None:
        """Wire of the arc from start through mid to end, or None."""
    def create_polyline_on_plane(self, plane_props: nimbal.models.quenby.PlaneProperties, points_uv: typing.Iterable[typing.Sequence[float]], closed: bool = ..., filled: bool = ...) -> nimbal.kernel.TopoDS_Shape | None:
        """Wire through the points (repeats collapsed); a face when closed and filled; or None."""
    @staticmethod
    def fuse_shapes(shape1: nimbal.kernel.TopoDS_Shape, shape2: nimbal.kernel.TopoDS_Shape) -> nimbal.kernel.TopoDS_Shape | None:
        """Union of the two shapes, or None."""
    @staticmethod
    def cut_shapes(shape1: nimbal.kernel.TopoDS_Shape, shape2: nimbal.kernel.TopoDS_Shape) -> nimbal.kernel.TopoDS_Shape | None:
        """shape1 with shape2 removed from it, or None."""
    @staticmethod
    def unify_same_domain(shape: nimbal.kernel.TopoDS_Shape) -> nimbal.kernel.TopoDS_Shape:
        """The shape with coplanar faces and collinear edges merged, or the input itself."""
    def up_vector_for_normal(self, nx: float, ny: float, nz: float) -> tuple[float, float, float]:
        """Unit up vector for a view looking along the normal."""
