# Generated from the built modules by scripts/stubs.sh; do not edit.
"""Sketch plane service: plane frames, plane-local coordinates and sketch elements.

_EPS: 1e-10, the length below which a vector counts as zero and a ray as
parallel to a plane. logger: "nimbal.services.fandor"; only
screen_to_plane_coords writes to it, at debug level.
"""

import logging
import nimbal.kernel
import nimbal.models.quenby
import typing
_EPS: float
logger: logging.Logger

class Fandor:
    """Plane frames, coordinate mapping and 2D element builders on a reference plane.

    Stateless: every call reads the PlaneProperties record afresh, so one
    instance serves any number of planes and callers. A subclass may override
    plane_local_axes, local_to_world and world_to_local; every conversion and
    builder goes through them. Plane-local points are (u, v) pairs; world
    points are (x, y, z) in model units.
    """
    def __init__(self) -> None:
        """Creates the service; it takes no arguments and keeps no state."""
    def plane_local_axes(self, plane_props: nimbal.models.quenby.PlaneProperties) -> tuple[tuple[float, float, float], tuple[float, float, float]]:
        """The plane's two in-plane unit axes.

        Overridable; every conversion and builder of this service uses it. The
        normal is used as stored (a unit normal is expected); u is world X (or
        world Y when |normal_x| >= 0.9) made perpendicular to it, and v is
        normal x u. Degenerate vectors fall back to world X and Y.

        Args:
            plane_props: The PlaneProperties of the plane.

        Returns:
            (u_axis, v_axis), two (x, y, z) tuples of floats.

        Raises:
            TypeError: plane_props is not a PlaneProperties.
        """
    def local_to_world(self, plane_props: nimbal.models.quenby.PlaneProperties, u: float, v: float) -> tuple[float, float, float]:
        """World point of a plane-local point.

        Args:
            plane_props: The PlaneProperties of the plane.
            u: Plane-local u.
            v: Plane-local v.

        Returns:
            (x, y, z): origin + u * u_axis + v * v_axis.

        Raises:
            TypeError: an argument of the wrong type.
        """
    def world_to_local(self, plane_props: nimbal.models.quenby.PlaneProperties, x: float, y: float, z: float) -> tuple[float, float]:
        """Plane-local coordinates of a world point's projection onto the plane.

        The distance from the plane is dropped.

        Args:
            plane_props: The PlaneProperties of the plane.
            x: World x.
            y: World y.
            z: World z.

        Returns:
            (u, v) of the orthogonal projection.

        Raises:
            TypeError: an argument of the wrong type.
        """
    def screen_to_plane_coords(self, v3d_view: nimbal.kernel.V3d_View, plane_props: nimbal.models.quenby.PlaneProperties, px: float, py: float) -> tuple[float, float] | None:
        """Plane-local point of the plane under a screen pixel.

        Asks the view for the eye ray through the pixel (ConvertWithProj, or
        Convert and Proj when that fails) and intersects the ray's whole line with
        the plane, behind the eye point too.

        Args:
            v3d_view: The host's kernel view, or any object with ConvertWithProj,
                Convert and Proj.
            plane_props: The PlaneProperties of the plane.
            px: Pixel x, truncated toward zero.
            py: Pixel y, truncated toward zero.

        Returns:
            (u, v), or None when the view gives no ray (logged at debug level as
            "screen_to_plane_coords failed: ...") or the ray runs parallel to the
            plane.

        Raises:
            TypeError: plane_props is not a PlaneProperties.
        """
    def create_rectangle_on_plane(self, plane_props: nimbal.models.quenby.PlaneProperties, u: float, v: float, width: float, height: float, filled: bool = True) -> nimbal.kernel.TopoDS_Shape:
        """Rectangle on the plane with its bottom-left corner at (u, v).

        It spans u to u + width along the u axis and v to v + height along the v
        axis.

        Args:
            plane_props: The PlaneProperties of the plane.
            u: Plane-local u of the corner.
            v: Plane-local v of the corner.
            width: Extent along the u axis.
            height: Extent along the v axis.
            filled: A face when true, else the closed outline wire of four edges.

        Returns:
            A TopoDS_Face or TopoDS_Wire.

        Raises:
            ValueError: a coordinate, size or the normal is not finite.
            nimbal.kernel.KernelError: the kernel cannot build it (e.g. a zero
                normal), or what it builds has no size: a side of 0 or of no more
                than the kernel's tolerance (1e-7). A negative size spans the other
                way.
        """
    def create_circle_on_plane(self, plane_props: nimbal.models.quenby.PlaneProperties, u: float, v: float, radius: float, filled: bool = True) -> nimbal.kernel.TopoDS_Shape:
        """Circle on the plane centred at (u, v).

        Its edge starts and ends at centre + radius * u_axis.

        Args:
            plane_props: The PlaneProperties of the plane.
            u: Plane-local u of the centre.
            v: Plane-local v of the centre.
            radius: The radius.
            filled: A disk face when true, else the circle's wire.

        Returns:
            A TopoDS_Face or TopoDS_Wire.

        Raises:
            ValueError: a coordinate, the radius or the normal is not finite.
            nimbal.kernel.KernelError: the kernel cannot build it (e.g. a zero
                normal), or what it builds has no size (a radius of 0 or too small
                for the kernel's tolerance of 1e-7).
        """
    def create_line_on_plane(self, plane_props: nimbal.models.quenby.PlaneProperties, p1: tuple[float, float], p2: tuple[float, float]) -> nimbal.kernel.TopoDS_Shape | None:
        """Wire of one straight edge from p1 to p2 on the plane.

        Args:
            plane_props: The PlaneProperties of the plane.
            p1: Plane-local (u, v) start point.
            p2: Plane-local (u, v) end point.

        Returns:
            A TopoDS_Wire, or None when the points coincide (within 1e-9, relative
            or absolute), lie within the kernel's tolerance (1e-7) of each other,
            or the kernel cannot make the edge.

        Raises:
            TypeError: p1 or p2 is not a (u, v) pair of numbers.
        """
    def create_arc_on_plane(self, plane_props: nimbal.models.quenby.PlaneProperties, start: tuple[float, float], mid: tuple[float, float], end: tuple[float, float]) -> nimbal.kernel.TopoDS_Shape | None:
        """Wire of the circular arc from start through mid to end on the plane.

        Args:
            plane_props: The PlaneProperties of the plane.
            start: Plane-local (u, v) start point.
            mid: A plane-local point the arc passes through.
            end: Plane-local (u, v) end point.

        Returns:
            A TopoDS_Wire, or None when a point is not a pair of numbers, the
            points are collinear or coincide, the arc is no longer than the
            kernel's tolerance (1e-7), or the kernel fails.
        """
    def create_polyline_on_plane(self, plane_props: nimbal.models.quenby.PlaneProperties, points_uv: typing.Iterable[typing.Sequence[float]], closed: bool = False, filled: bool = False) -> nimbal.kernel.TopoDS_Shape | None:
        """Wire through plane-local points, or the face it bounds.

        Runs of consecutive repeated points (within 1e-9) collapse into one; a
        point is compared with the last one kept only.

        Args:
            plane_props: The PlaneProperties of the plane.
            points_uv: Iterable of plane-local (u, v) points.
            closed: Adds an edge from the last point back to the first, unless they
                coincide.
            filled: With closed, a face on the plane bounded by the wire (the wire
                itself when the face cannot be made or encloses no area: collinear
                points, a path crossing itself or doubling back).

        Returns:
            A TopoDS_Wire or TopoDS_Face, or None when fewer than two points remain,
            a kept point is not exactly a (u, v) pair, or the wire cannot be made
            or has an edge no longer than the kernel's tolerance (1e-7).

        Raises:
            TypeError: a point whose coordinates must be compared is not readable
                as numbers.
        """
    @staticmethod
    def fuse_shapes(shape1: nimbal.kernel.TopoDS_Shape | object, shape2: nimbal.kernel.TopoDS_Shape | object) -> nimbal.kernel.TopoDS_Shape | None:
        """Boolean union of two shapes.

        Args:
            shape1: The first kernel shape.
            shape2: The second kernel shape.

        Returns:
            The union, or None when an argument is not a non-null kernel shape or
            the kernel fails.
        """
    @staticmethod
    def cut_shapes(shape1: nimbal.kernel.TopoDS_Shape | object, shape2: nimbal.kernel.TopoDS_Shape | object) -> nimbal.kernel.TopoDS_Shape | None:
        """Boolean difference: shape1 with shape2 removed from it.

        Args:
            shape1: The kernel shape cut from.
            shape2: The kernel shape removed.

        Returns:
            The difference, or None when an argument is not a non-null kernel shape
            or the kernel fails.
        """
    @staticmethod
    def unify_same_domain(shape: nimbal.kernel.TopoDS_Shape | object) -> nimbal.kernel.TopoDS_Shape:
        """Merges the shape's coplanar faces and collinear edges.

        Args:
            shape: A kernel shape.

        Returns:
            The merged shape, or the very object passed when it is no kernel shape,
            is null or merging fails or changes nothing.
        """
    def up_vector_for_normal(self, nx: float, ny: float, nz: float) -> tuple[float, float, float]:
        """Up direction for a view looking straight along a plane normal.

        World Z (or world Y when |nz| >= 0.9) made perpendicular to the normal;
        the host hands it to the view's SetUp when it locks a view onto a plane.

        Args:
            nx: Normal x.
            ny: Normal y.
            nz: Normal z.

        Returns:
            A unit (x, y, z) tuple; (0, 1, 0) when the seed is parallel to the
            normal.
        """
